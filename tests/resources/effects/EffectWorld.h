// EffectWorld -- an effect system over the shader world, with fake client entities, a fake client and a seeded stream.
#pragma once

#include "resources/shaders/ShaderWorld.h"

#include "core/RandomSystem.h"
#include "core/SafeClass.h"
#include "resources/effects/EffectHost.h"
#include "resources/effects/EffectSurfaces.h"
#include "resources/effects/EffectSystem.h"
#include "resources/effects/SurfaceQueue.h"
#include "resources/shaders/ShaderBatch.h"
#include "support/ShippedGame.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A client entity: attach points by name, a transform per index (the entity itself at -1).
class FakeHost : public SafeClass, public EffectHost {
public:
    SafeClass& GetSafeObject() override { return *this; }
    EffectHost* GetEffectOwner() override { return owner; }
    float GetOpacity() override { return opacity; }
    bool IsDead() override { return dead; }
    bool IsHidden() override { return hidden; }
    int32_t FindAttachPoint(std::string_view name) override
    {
        auto found = points.find(std::string(name));
        return found == points.end() ? -1 : found->second;
    }
    void GetAttachPointTransform(int32_t index, AttachTransform& out) override { out = transforms[index]; }
    int32_t FindEquippedAttachPoint(int32_t location, std::string_view name) override
    {
        return location == equippedLocation ? FindAttachPoint(name) + 100 : -1;
    }
    void GetEquippedAttachPointTransform(int32_t, int32_t index, AttachTransform& out) override
    {
        out = transforms[index];
    }
    void GetBeamEndPoint(int32_t which, int32_t& entityNumber, int32_t& attachIndex) override
    {
        entityNumber = beamEnds[static_cast<size_t>(which)][0];
        attachIndex = beamEnds[static_cast<size_t>(which)][1];
    }
    int32_t GetItemTypeColorIndex() override { return itemColor; }
    int32_t GetCovenantColorIndex() override { return covenantColor; }

    // Puts attach point index at a place with the identity orientation.
    void Place(int32_t index, Vector3 point, int32_t level = 0)
    {
        AttachTransform& transform = transforms[index];
        transform.position = {level, point};
        transform.orientation = Matrix3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    }

    EffectHost* owner = nullptr;
    float opacity = 1.0f;
    bool dead = false;
    bool hidden = false;
    std::map<std::string, int32_t> points;
    std::map<int32_t, AttachTransform> transforms;
    int32_t equippedLocation = -2;
    // Entity number and attach-point index of each end.
    std::array<std::array<int32_t, 2>, 2> beamEnds = {{{-1, -1}, {-1, -1}}};
    int32_t itemColor = -1;
    int32_t covenantColor = -1;
};

class FakeClient : public EffectContext {
public:
    bool IsPaused() override { return paused; }
    bool WantsAnimationWhilePaused() override { return animateWhilePaused; }
    EffectHost* GetHiddenEntity() override { return hiddenEntity; }
    EffectHost* GetEntity(int32_t number) override
    {
        auto found = entities.find(number);
        return found == entities.end() ? nullptr : found->second;
    }
    EffectHost* FindEntityByOwner(EffectHost* owner, int32_t subId) override
    {
        return owner && subId == modelSubId ? modelEntity : nullptr;
    }
    float GetAreaWeatherFactor() override { return areaWeather; }
    float GetWeatherStrength() override { return weatherStrength; }
    Vector2 GetWind() override { return wind; }
    void PlaySound(int32_t sound, const EffectPos&) override { sounds.push_back(sound); }

    bool paused = false;
    bool animateWhilePaused = false;
    EffectHost* hiddenEntity = nullptr;
    std::map<int32_t, EffectHost*> entities;
    int32_t modelSubId = -1;
    EffectHost* modelEntity = nullptr;
    float areaWeather = 1.0f;
    float weatherStrength = 1.0f;
    Vector2 wind;
    std::vector<int32_t> sounds;
};

class EffectWorld : public ShaderWorld {
protected:
    // shipped: over the game's own assets and generated archive.
    explicit EffectWorld(bool shipped = false)
    {
        gRandomSystem = &random;
        if (shipped)
            LinkShipped();
        StartShaders();
        EffectSystem::RegisterTypes(*manager);
        system = std::make_unique<EffectSystem>(limits);
        system->SetContext(&client);
        host.Place(-1, {10, 20, 0});
    }

    ~EffectWorld() override { gRandomSystem = nullptr; }

    // Live objects give up their definitions and pooled surfaces their memory before the count.
    void TearDown() override
    {
        system.reset();
        surfaces.reset();
        queue.reset();
        ShaderWorld::TearDown();
    }

    void LinkShipped()
    {
        ASSERT_TRUE(LinkShippedGame(folder.Path())) << "EMBERLODE_GAME_DIR not set";
        ASSERT_TRUE(files.MountArchive("assets001.zip")) << "the build writes game/assets001.zip";
    }

    // A fresh system with other limits.
    void Rebuild(const EffectLimits& newLimits)
    {
        system = std::make_unique<EffectSystem>(newLimits);
        system->SetContext(&client);
    }

    void WriteEffect(const std::string& name, const std::string& text) { WriteAsset("Effects/" + name, text); }

    // The definition of a file written under "Effects", loaded through the manager.
    template <class Definition>
    const Definition* Load(const std::string& name, const std::string& text)
    {
        WriteEffect(name, text);
        ResourceHandle& handle = Hold();
        manager->Load("effects/" + name, handle);
        return dynamic_cast<const Definition*>(manager->Get(handle));
    }

    // One drawing pass of the live effects; returns the surfaces queued.
    const std::vector<RenderSurface*>& DrawPass()
    {
        queue->BeginSurfaceFrame();
        system->DrawAll(*surfaces);
        return queue->GetFrameSurfaces();
    }

    RandomSystem random{12345};
    EffectLimits limits;
    FakeClient client;
    FakeHost host;
    std::unique_ptr<EffectSystem> system;
    std::unique_ptr<SurfaceQueue> queue = std::make_unique<SurfaceQueue>();
    std::unique_ptr<EffectSurfaces> surfaces = std::make_unique<EffectSurfaces>(*queue);
};
