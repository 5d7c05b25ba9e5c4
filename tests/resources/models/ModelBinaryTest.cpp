// ModelBinaryTest -- skeleton, mesh and animation files: exact layouts read in place, every damaged table refused, cut and flipped files survived.
#include "resources/models/MeshResource.h"
#include "resources/models/ModelFileParser.h"
#include "resources/models/ModelWorld.h"
#include "resources/models/SkeletonResource.h"
#include "resources/models/Skin.h"

#include <cmath>
#include <limits>
#include <memory>
#include <random>

namespace {

std::string Patch(std::string bytes, size_t offset, int32_t value)
{
    std::memcpy(bytes.data() + offset, &value, 4);
    return bytes;
}

std::string PatchFloat(std::string bytes, size_t offset, float value)
{
    std::memcpy(bytes.data() + offset, &value, 4);
    return bytes;
}

// One surface of vertexCount vertices, each with its own weight on bone 0, and triangleCount
// triangles (0, 1, 2); version 1 writes the surface record (id, triangles, vertices, triangle
// offset, vertex offset), any other version (id, vertices, triangles, vertex offset, triangle offset).
std::string MakeMesh(int32_t version, int32_t id, int32_t triangleCount, int32_t vertexCount, size_t trailing = 0)
{
    int32_t triangleOffset = 56;
    int32_t vertexOffset = triangleOffset + 12 * triangleCount;
    int32_t weightOffset = vertexOffset + 28 * vertexCount;
    Words words;
    words.Int(0).Int(version).Int(1).Int(triangleCount).Int(vertexCount).Int(36).Int(triangleOffset);
    words.Int(vertexOffset).Int(weightOffset);
    if (version == 1)
        words.Int(id).Int(triangleCount).Int(vertexCount).Int(triangleOffset).Int(vertexOffset);
    else
        words.Int(id).Int(vertexCount).Int(triangleCount).Int(vertexOffset).Int(triangleOffset);
    for (int32_t t = 0; t < triangleCount; ++t)
        words.Int(0).Int(1).Int(2);
    for (int32_t v = 0; v < vertexCount; ++v)
        words.Float(0.5f).Float(0.25f).Float(0).Float(0).Float(1).Int(1).Int(v);
    for (int32_t v = 0; v < vertexCount; ++v)
        words.Int(0).Float(static_cast<float>(v)).Float(0).Float(0).Float(1);
    words.bytes.append(trailing, '\x7f');
    return words.bytes;
}

class ModelBinary : public ModelWorld {
protected:
    template <class T>
    std::unique_ptr<T> Read(Resource* (*factory)(const std::string&, uint8_t*, uint32_t, int32_t),
                            const std::string& bytes)
    {
        return std::unique_ptr<T>(static_cast<T*>(RunFactory(factory, "Models/test.bin", bytes)));
    }

    // Each damaged file is refused with one line naming it.
    void ExpectRefused(Resource* (*factory)(const std::string&, uint8_t*, uint32_t, int32_t),
                       const std::vector<std::pair<const char*, std::string>>& cases)
    {
        for (const auto& [what, bytes] : cases) {
            int before = CountLogged("Models/test.bin is damaged");
            EXPECT_EQ(Read<Resource>(factory, bytes), nullptr) << what;
            EXPECT_EQ(CountLogged("Models/test.bin is damaged"), before + 1) << what;
        }
    }
};

TEST_F(ModelBinary, SkeletonReadsParentsAndNamesInPlace)
{
    auto skeleton = Read<SkeletonResource>(SkeletonResource::Load, MakeSkeleton({{-1, "Pelvis"}, {0, "Chest"}, {1, "Head"}}));
    ASSERT_NE(skeleton, nullptr);
    EXPECT_EQ(skeleton->GetBoneCount(), 3);
    EXPECT_EQ(skeleton->GetParent(2), 1);
    EXPECT_EQ(skeleton->GetParent(3), -1);
    EXPECT_EQ(skeleton->GetBoneName(1), "Chest");
    EXPECT_EQ(skeleton->FindBone("HEAD"), 2);
    EXPECT_EQ(skeleton->FindBone("Tail"), -1);
}

TEST_F(ModelBinary, DamagedSkeletonsAreRefused)
{
    std::string good = MakeSkeleton({{-1, "a"}, {0, "b"}});
    std::vector<std::pair<int32_t, std::string>> many(SkeletonResource::kMaxBones + 1, {-1, "x"});
    ExpectRefused(SkeletonResource::Load, {
                                              {"short header", good.substr(0, 11)},
                                              {"bone table past the end", Patch(good, 8, 5)},
                                              {"negative bone count", Patch(good, 8, -1)},
                                              {"name outside", Patch(good, 16, 1000)},
                                              {"name without its NUL", good.substr(0, good.size() - 1)},
                                              {"parent outside", Patch(good, 20, 2)},
                                              {"parent below -1", Patch(good, 20, -2)},
                                              {"own parent", Patch(good, 20, 1)},
                                              {"cycle", Patch(Patch(good, 12, 1), 20, 0)},
                                              {"too many bones", MakeSkeleton(many)},
                                          });
}

TEST_F(ModelBinary, MeshSurfacesFollowTheVersionsOrder)
{
    std::string one = MakeMesh(1, 4, 2, 3);
    auto mesh = Read<MeshResource>(MeshResource::Load, one);
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetSurfaceCount(), 1);
    const MeshSurface& first = mesh->GetSurfaces()[0];
    EXPECT_EQ(first.id, 4);
    EXPECT_EQ(first.triangleCount, 2);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(first.triangles), mesh->GetBytes() + 56);
    EXPECT_EQ(first.vertices[2].firstWeight, 2);
    EXPECT_FLOAT_EQ(mesh->GetWeights()[2].position.x, 2.0f);
    EXPECT_EQ(mesh->GetBoneSpan(), 1);

    // Version 2 stores (7, 300, 120, a, b): 120 triangles at b, 300 vertices at a.
    auto two = Read<MeshResource>(MeshResource::Load, MakeMesh(2, 7, 120, 300));
    ASSERT_NE(two, nullptr);
    const MeshSurface& swapped = two->GetSurfaces()[0];
    EXPECT_EQ(swapped.triangleCount, 120);
    EXPECT_EQ(swapped.vertexCount, 300);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(swapped.triangles), two->GetBytes() + 56);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(swapped.vertices), two->GetBytes() + 56 + 120 * 12);

    // The weights run to the end: 19 bytes after the last whole record are no weight.
    auto trailing = Read<MeshResource>(MeshResource::Load, MakeMesh(1, 4, 2, 3, 19));
    ASSERT_NE(trailing, nullptr);
    EXPECT_EQ(trailing->GetWeightCount(), 3);
}

TEST_F(ModelBinary, DamagedMeshesAreRefused)
{
    std::string good = MakeMesh(1, 4, 2, 3);
    size_t vertex0 = 56 + 24;
    size_t weight0 = vertex0 + 3 * 28;
    ExpectRefused(MeshResource::Load, {
                                          {"short header", good.substr(0, 35)},
                                          {"surface table past the end", Patch(good, 8, 1000)},
                                          {"misaligned triangles", Patch(good, 24, 57)},
                                          {"surface vertices past the end", Patch(good, 36 + 8, 1000)},
                                          {"triangle vertex outside its surface", Patch(good, 56 + 4, 3)},
                                          {"negative triangle vertex", Patch(good, 56, -1)},
                                          {"vertex weights past the table", Patch(good, vertex0 + 24, 3)},
                                          {"negative weight count", Patch(good, vertex0 + 20, -1)},
                                          {"weight on a negative bone", Patch(good, weight0, -1)},
                                          {"weight offset past the end", Patch(good, 32, 10000)},
                                          {"normal not a number", PatchFloat(good, vertex0 + 8, NAN)},
                                          {"weight infinite", PatchFloat(good, weight0 + 16, INFINITY)},
                                      });
}

TEST_F(ModelBinary, AnimationBoundsComeFromTheTableOrTheDefaults)
{
    std::string withBounds = MakeAnimation(3, 2, RestPose, {0.5f, 1.0f, 1.5f});
    auto two = Read<AnimationResource>(AnimationResource::Load, withBounds);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->GetFramePoses(3), nullptr);
    EXPECT_FLOAT_EQ(two->GetFramePoses(2)[1].position.z, 1.0f);
    EXPECT_FLOAT_EQ(two->GetRootMotion()[2].x, 1.5f);
    EXPECT_FLOAT_EQ(two->GetFrameBoundsMin(2).y, 4.0f);
    EXPECT_FLOAT_EQ(two->GetFrameBoundsMax(2).z, 7.0f);
    EXPECT_FLOAT_EQ(two->GetFrameRadius(1), 1.5f);
    // The bounds table is not read for version 1, wherever its offset points.
    auto one = Read<AnimationResource>(AnimationResource::Load, Patch(MakeAnimation(3, 2, RestPose, {}, 1), 24, -8));
    ASSERT_NE(one, nullptr);
    EXPECT_FLOAT_EQ(one->GetFrameBoundsMin(1).x, -20.0f);
    EXPECT_FLOAT_EQ(one->GetFrameBoundsMax(1).z, 60.0f);
    EXPECT_FLOAT_EQ(one->GetFrameRadius(0), 30.0f);
}

TEST_F(ModelBinary, DamagedAnimationsAreRefused)
{
    std::string good = MakeAnimation(3, 2, RestPose);
    ExpectRefused(AnimationResource::Load, {
                                               {"short header", good.substr(0, 27)},
                                               {"bounds cut off", good.substr(0, good.size() - 4)},
                                               {"frames past the end", Patch(good, 8, 4)},
                                               {"negative frames", Patch(good, 8, -3)},
                                               {"more bones than a skeleton", Patch(good, 12, 1 << 20)},
                                               {"misaligned root motion", Patch(good, 20, 2 + 28 + 6 * 28)},
                                               {"negative pose offset", Patch(good, 16, -28)},
                                               {"rotation not a number", PatchFloat(good, 28 + 12, NAN)},
                                               {"frame count times bones overflowing", Patch(Patch(good, 8, 1 << 30), 12, 256)},
                                           });
}

// Reads everything an accepted file hands out, so the sanitizer sees any read outside it.
void Touch(const Resource* resource)
{
    volatile float sink = 0.0f;
    if (auto* skeleton = dynamic_cast<const SkeletonResource*>(resource)) {
        for (int32_t b = 0; b < skeleton->GetBoneCount(); ++b)
            sink = sink + static_cast<float>(skeleton->GetBoneName(b).size() + skeleton->GetParent(b));
    } else if (auto* mesh = dynamic_cast<const MeshResource*>(resource)) {
        for (const MeshSurface& surface : mesh->GetSurfaces()) {
            for (int32_t t = 0; t < surface.triangleCount; ++t) {
                const MeshVertex& vertex = surface.vertices[surface.triangles[t].vertex[2]];
                for (int32_t w = 0; w < vertex.weightCount; ++w)
                    sink = sink + mesh->GetWeights()[vertex.firstWeight + w].weight;
            }
        }
    } else if (auto* animation = dynamic_cast<const AnimationResource*>(resource)) {
        for (int32_t f = 0; f < animation->GetFrameCount(); ++f) {
            const BonePose* poses = animation->GetFramePoses(f);
            for (int32_t b = 0; b < animation->GetBoneCount(); ++b)
                sink = sink + poses[b].rotation.w;
            sink = sink + animation->GetRootMotion()[f].x + animation->GetFrameRadius(f);
        }
    }
}

TEST_F(ModelBinary, CutAndFlippedFilesAreRefusedOrReadSafely)
{
    using Factory = Resource* (*)(const std::string&, uint8_t*, uint32_t, int32_t);
    const std::pair<Factory, std::string> files[] = {
        {SkeletonResource::Load, MakeChainSkeleton(6)},
        {MeshResource::Load, MakeMesh(1, 3, 4, 5)},
        {MeshResource::Load, MakeMesh(2, 3, 4, 5)},
        {AnimationResource::Load, MakeAnimation(4, 3, RestPose, {1, 2, 3, 4})},
    };
    std::mt19937 flips(20240611);
    for (const auto& [factory, good] : files) {
        for (size_t cut = 0; cut < good.size(); ++cut) {
            std::unique_ptr<Resource> read(RunFactory(factory, "Models/cut.bin", good.substr(0, cut)));
            Touch(read.get());
        }
        for (int trial = 0; trial < 2000; ++trial) {
            std::string bytes = good;
            for (int bit = 0; bit < 1 + trial % 3; ++bit)
                bytes[flips() % bytes.size()] ^= static_cast<char>(1 << (flips() % 8));
            std::unique_ptr<Resource> read(RunFactory(factory, "Models/flip.bin", bytes));
            Touch(read.get());
        }
    }
}

// The text formats take anything: a flipped file still gives a model, tags or a skin.
TEST_F(ModelBinary, FlippedTextFilesStillParse)
{
    const std::string model =
        "type 3d\nskeleton a.mds\nanimations\n{\n walk walk fps 10\n {\n  client\n  {\n   3 sound \"a b\"\n  }\n }\n}\n"
        "collision\n{\n1 0\n0 1\n}\noffset 4 5\n";
    const std::string tags = "weapon \"right hand\" 1 2 3 1 0 0 0\nhelmet head\n";
    const std::string skin = "dir Textures\nsurface 1 a.tga noHighlight\n";
    std::mt19937 flips(77);
    for (int trial = 0; trial < 300; ++trial) {
        std::string m = model, t = tags, s = skin;
        for (std::string* text : {&m, &t, &s})
            (*text)[flips() % text->size()] ^= static_cast<char>(1 << (flips() % 8));
        std::unique_ptr<ModelResource> read(ModelFileParser::Read("Models/flip.mdl", reinterpret_cast<const uint8_t*>(m.data()),
                                                                  static_cast<uint32_t>(m.size()), grid));
        EXPECT_EQ(read->collisionCells.size(), static_cast<size_t>(read->collisionWidth) * read->collisionHeight);
        TagsResource tagSet;
        tagSet.Parse(reinterpret_cast<const uint8_t*>(t.data()), static_cast<uint32_t>(t.size()));
        Skin flipped;
        flipped.Parse(reinterpret_cast<const uint8_t*>(s.data()), static_cast<uint32_t>(s.size()));
    }
}

} // namespace
