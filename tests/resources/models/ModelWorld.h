// ModelWorld -- the model resource types over a temporary game folder, with builders for skeleton, mesh and animation bytes.
#pragma once

#include "core/Memory.h"
#include "resources/ResourceWorld.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/ModelResource.h"
#include "resources/models/ModelResourceTypes.h"

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Little-endian 4-byte words, as every field of the binaries is.
class Words {
public:
    Words& Int(int32_t value)
    {
        bytes.append(reinterpret_cast<const char*>(&value), 4);
        return *this;
    }
    Words& Float(float value)
    {
        bytes.append(reinterpret_cast<const char*>(&value), 4);
        return *this;
    }
    Words& Text(const std::string& text)
    {
        bytes.append(text);
        bytes.push_back('\0');
        return *this;
    }
    int32_t Size() const { return static_cast<int32_t>(bytes.size()); }

    std::string bytes;
};

// Bones (parent, name); the names follow the bone table in order.
inline std::string MakeSkeleton(const std::vector<std::pair<int32_t, std::string>>& bones)
{
    Words words;
    words.Int(0).Int(0).Int(static_cast<int32_t>(bones.size()));
    int32_t nameOffset = 12 + 8 * static_cast<int32_t>(bones.size());
    for (const auto& [parent, name] : bones) {
        words.Int(parent).Int(nameOffset);
        nameOffset += static_cast<int32_t>(name.size()) + 1;
    }
    for (const auto& bone : bones)
        words.Text(bone.second);
    return words.bytes;
}

// A chain of n bones, each the child of the one before: "b0" to "b<n-1>".
inline std::string MakeChainSkeleton(int32_t n)
{
    std::vector<std::pair<int32_t, std::string>> bones;
    for (int32_t i = 0; i < n; ++i)
        bones.emplace_back(i - 1, "b" + std::to_string(i));
    return MakeSkeleton(bones);
}

using PoseMaker = std::function<BonePose(int32_t frame, int32_t bone)>;

// Header, poses, root motion (x from rootX, or 0), then for version 2 the bounds, frame f's
// minimum (f, 2f, 3f), maximum (f + 1, ...) and radius f + 0.5.
inline std::string MakeAnimation(int32_t frames, int32_t bones, const PoseMaker& pose,
                                 const std::vector<float>& rootX = {}, int32_t version = 2)
{
    int32_t poseOffset = 28;
    int32_t rootOffset = poseOffset + frames * bones * 28;
    int32_t boundsOffset = rootOffset + frames * 12;
    Words words;
    words.Int(0).Int(version).Int(frames).Int(bones).Int(poseOffset).Int(rootOffset).Int(boundsOffset);
    for (int32_t f = 0; f < frames; ++f) {
        for (int32_t b = 0; b < bones; ++b) {
            BonePose p = pose(f, b);
            words.Float(p.rotation.x).Float(p.rotation.y).Float(p.rotation.z).Float(p.rotation.w);
            words.Float(p.position.x).Float(p.position.y).Float(p.position.z);
        }
    }
    for (int32_t f = 0; f < frames; ++f)
        words.Float(f < static_cast<int32_t>(rootX.size()) ? rootX[f] : 0.0f).Float(0.0f).Float(0.0f);
    for (int32_t f = 0; version > 1 && f < frames; ++f) {
        float v = static_cast<float>(f);
        words.Float(v).Float(2 * v).Float(3 * v).Float(v + 1).Float(2 * v + 1).Float(3 * v + 1).Float(v + 0.5f);
    }
    return words.bytes;
}

// Every bone at rest: no rotation, one unit up from its parent.
inline BonePose RestPose(int32_t, int32_t)
{
    return {{0, 0, 0, 1}, {0, 0, 1}};
}

// A copy in the engine allocator, as the resource manager hands a factory its bytes.
inline uint8_t* AllocatedCopy(const std::string& bytes)
{
    auto* copy = static_cast<uint8_t*>(MemAllocArray(bytes.size() + 2, kMemGraphics));
    std::memcpy(copy, bytes.data(), bytes.size());
    copy[bytes.size()] = 0;
    copy[bytes.size() + 1] = 0;
    return copy;
}

// Runs a factory as the loader does: the bytes are the resource's when it keeps them, else freed.
template <class Factory>
Resource* RunFactory(Factory factory, const std::string& name, const std::string& bytes)
{
    uint8_t* copy = AllocatedCopy(bytes);
    Resource* made = factory(name, copy, static_cast<uint32_t>(bytes.size()), 0);
    if (!made || !made->KeepsBytes())
        MemFreeArray(copy);
    return made;
}

class ModelWorld : public ResourceWorld {
protected:
    ModelWorld()
    {
        RegisterModelResourceTypes(*manager, [this] { return grid; });
    }

    void TearDown() override
    {
        held.clear();
        ResourceWorld::TearDown();
    }

    ResourceHandle& Hold() { return held.emplace_back(); }

    // Writes the model file and loads it; null when it does not resolve.
    ModelResource* LoadModel(const std::string& name, const std::string& text)
    {
        WriteAsset(name, text);
        ResourceHandle& handle = Hold();
        manager->Load(name, handle);
        return dynamic_cast<ModelResource*>(manager->Get(handle));
    }

    ModelGrid grid;
    std::deque<ResourceHandle> held;
};
