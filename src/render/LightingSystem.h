// LightingSystem -- the lights of the frame being drawn: the capped list, the colour of light at a point and the six-sided light of a model.
#pragma once

#include "core/BaseClass.h"
#include "core/Color.h"
#include "core/UserVarRef.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class DatabaseEntry;
class EntityBase;

// Main thread. The list is emptied at the start of each client frame and refilled while the
// frame is built; "r_maxLights" ordinary lights fit, and two more for the player's own light
// (type 1, stored as 0) and the global light (type 2).
class LightingSystem : public BaseClass {
public:
    static constexpr int32_t kPointLight = 0;
    static constexpr int32_t kPriorityLight = 1;
    static constexpr int32_t kGlobalLight = 2;
    // The most ordinary lights a frame keeps: every light is weighed for every lit vertex.
    static constexpr int32_t kMaxLightsCap = 64;

    struct Light {
        int32_t level = -1;
        float x = 0.0f;
        float y = 0.0f;
        Color color;
        int32_t type = kPointLight;
        float radius = 0.0f;
        float radiusSquared = 0.0f;
        // (radius x falloff multiplier) squared: beyond it a point light gives nothing.
        float falloffRadiusSquared = 0.0f;
    };

    // The offset that re-expresses a point of one level in another level's frame; false when
    // the two levels do not meet (the point is then taken as it stands).
    using LevelOffset = std::function<bool(int32_t fromLevel, int32_t toLevel, float& dx, float& dy)>;

    // The record's multipliers; 0 for a missing key.
    struct Tuning {
        float falloff = 0.0f;
        float top = 0.0f;
        float bottom = 0.0f;
        float ambient = 0.0f;
        float direct = 0.0f;
    };

    // The "LightingSystem" record's multipliers (an error line when it is missing; all stay 0),
    // then "r_fullbright".
    void Init();
    void Load(const DatabaseEntry* record);
    void SetTuning(const Tuning& values) { tuning = values; }
    // n ordinary lights (held to 0 .. kMaxLightsCap) and two priority ones; the list keeps its
    // lights up to the new size.
    void SetMaxLights(int32_t n);
    int32_t GetMaxLights() const { return ordinaryCap; }

    // While paused neither the reset nor new lights take effect: the last frame's lights stay.
    void SetPausedQuery(std::function<bool()> query) { pausedQuery = std::move(query); }
    void SetLevelOffset(LevelOffset offset) { levelOffset = std::move(offset); }
    // The world's own offset: where level from's origin lies in level to's frame (neighbours
    // across their shared edge, levels of one grid by their cells); false without both levels.
    static bool OffsetThroughWorld(int32_t fromLevel, int32_t toLevel, float& dx, float& dy);
    // The level LightAtPoint lights on: the local player's while a game runs; -1 otherwise.
    void SetCurrentLevelQuery(std::function<int32_t()> query) { currentLevelQuery = std::move(query); }

    void Reset();
    // Dropped silently: past its cap, without a radius (a global light needs none), or black.
    void AddLight(int32_t level, float x, float y, const Color& color, float radius, int32_t type);
    // The entity's own light (a point light) at its place moved by its light offset, carried
    // across a level edge.
    void AddEntityLight(const EntityBase& entity);
    int32_t GetLightCount() const { return lightCount; }
    const Light& GetLight(int32_t index) const { return lights[static_cast<size_t>(index)]; }

    // The sum of the lights at the point, scaled down so its brightest channel is at most 1;
    // white under "r_fullbright".
    Color LightAt(int32_t level, float x, float y) const;
    Color LightAtPoint(float x, float y) const;
    // Right, left, front, back, top, bottom (RGB each) of a model at the point facing (fx, fy).
    std::array<float, 18> LightSphere(int32_t level, float x, float y, float facingX, float facingY) const;

    float GetFalloffMultiplier() const { return tuning.falloff; }

private:
    bool IsPaused() const { return pausedQuery && pausedQuery(); }
    bool FullBright() const;
    // The light's position minus the point's, in the point's level.
    void Offset(const Light& light, int32_t level, float x, float y, float& dx, float& dy) const;
    Color Contribution(const Light& light, int32_t level, float x, float y) const;

    int32_t lightCount = 0;
    int32_t ordinaryCap = 0;
    int32_t priorityCap = 2;
    std::vector<Light> lights = std::vector<Light>(2);
    Tuning tuning;
    UserVarRef fullBrightVar;
    std::function<bool()> pausedQuery;
    std::function<int32_t()> currentLevelQuery;
    LevelOffset levelOffset;
};

extern LightingSystem* gLightingSystem;
