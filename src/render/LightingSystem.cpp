// LightingSystem -- the lights of the frame being drawn: the capped list, the colour of light at a point and the six-sided light of a model.
#include "render/LightingSystem.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "world/EntityBase.h"
#include "world/World.h"
#include "world/WorldPos.h"

#include <algorithm>
#include <cmath>

LightingSystem* gLightingSystem = nullptr;

namespace {

void LightingSystemAdd(float* out, const Color& color, float scale)
{
    out[0] += color.r * scale;
    out[1] += color.g * scale;
    out[2] += color.b * scale;
}

} // namespace

void LightingSystem::Init()
{
    const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName("LightingSystem") : nullptr;
    if (!record)
        DebugSystem::Print(kPrintError, "LightingSystem database entry not found!\n");
    Load(record);
    fullBrightVar = gUserVarSystem->RegisterVar("r_fullbright", "0");
}

void LightingSystem::Load(const DatabaseEntry* record)
{
    auto value = [record](const char* key) { return record ? record->GetFloat(key, 0.0f) : 0.0f; };
    tuning.falloff = value("falloffMultiplier");
    tuning.top = value("TopSphereColorMult");
    tuning.bottom = value("BottomSphereColorMult");
    tuning.ambient = value("AmbientSphereColorMult");
    tuning.direct = value("DirectSphereColorMult");
}

void LightingSystem::SetMaxLights(int32_t n)
{
    n = std::clamp(n, 0, kMaxLightsCap);
    if (n == ordinaryCap)
        return;
    ordinaryCap = n;
    priorityCap = n + 2;
    lights.resize(static_cast<size_t>(priorityCap));
    lightCount = std::min(lightCount, priorityCap);
}

void LightingSystem::Reset()
{
    if (!IsPaused())
        lightCount = 0;
}

void LightingSystem::AddLight(int32_t level, float x, float y, const Color& color, float radius, int32_t type)
{
    if (IsPaused())
        return;
    if (type == kPointLight) {
        if (lightCount >= ordinaryCap)
            return;
    } else {
        if (lightCount >= priorityCap)
            return;
        if (type == kPriorityLight)
            type = kPointLight;
    }
    if (!(radius > 0.0f) && type != kGlobalLight)
        return;
    if (color.r == 0.0f && color.g == 0.0f && color.b == 0.0f)
        return;
    Light& light = lights[static_cast<size_t>(lightCount++)];
    light.level = level;
    light.x = x;
    light.y = y;
    light.color = color;
    light.type = type;
    light.radius = radius;
    light.radiusSquared = radius * radius;
    float falloff = radius * tuning.falloff;
    light.falloffRadiusSquared = falloff * falloff;
}

void LightingSystem::AddEntityLight(const EntityBase& entity)
{
    WorldPos at = entity.position.Offset(Vector2{entity.lightOffset[0], entity.lightOffset[1]});
    Color color;
    float radius = 0.0f;
    entity.GetLight(color, radius);
    AddLight(at.level, at.x, at.y, color, radius, kPointLight);
}

bool LightingSystem::FullBright() const
{
    return fullBrightVar.IsValid() && fullBrightVar.GetInt() != 0;
}

bool LightingSystem::OffsetThroughWorld(int32_t fromLevel, int32_t toLevel, float& dx, float& dy)
{
    if (!gWorld || !gWorld->GetLevel(fromLevel) || !gWorld->GetLevel(toLevel))
        return false;
    WorldPos origin{fromLevel, 0.0f, 0.0f, true};
    origin.ToLevelFrame(toLevel);
    dx = origin.x;
    dy = origin.y;
    return true;
}

void LightingSystem::Offset(const Light& light, int32_t level, float x, float y, float& dx, float& dy) const
{
    float lightX = light.x;
    float lightY = light.y;
    float shiftX = 0.0f;
    float shiftY = 0.0f;
    if (light.level != level && levelOffset && levelOffset(light.level, level, shiftX, shiftY)) {
        lightX += shiftX;
        lightY += shiftY;
    }
    dx = lightX - x;
    dy = lightY - y;
}

Color LightingSystem::Contribution(const Light& light, int32_t level, float x, float y) const
{
    if (light.type == kGlobalLight)
        return light.color;
    if (light.type != kPointLight)
        return {};
    float dx = 0.0f;
    float dy = 0.0f;
    Offset(light, level, x, y, dx, dy);
    float squared = dx * dx + dy * dy;
    if (squared >= light.falloffRadiusSquared)
        return {};
    if (squared < light.radiusSquared)
        return light.color;
    // Full at the radius, fading linearly to nothing at radius x falloff multiplier.
    float factor = 1.0f - (std::sqrt(squared) - light.radius) / ((tuning.falloff - 1.0f) * light.radius);
    return Color{light.color.r * factor, light.color.g * factor, light.color.b * factor};
}

Color LightingSystem::LightAt(int32_t level, float x, float y) const
{
    if (FullBright())
        return Color{1.0f, 1.0f, 1.0f};
    float sum[3] = {0.0f, 0.0f, 0.0f};
    for (int32_t i = 0; i < lightCount; ++i)
        LightingSystemAdd(sum, Contribution(lights[static_cast<size_t>(i)], level, x, y), 1.0f);
    Color light{sum[0], sum[1], sum[2]};
    Color::ScaleToUnit(light);
    return light;
}

Color LightingSystem::LightAtPoint(float x, float y) const
{
    return LightAt(currentLevelQuery ? currentLevelQuery() : -1, x, y);
}

std::array<float, 18> LightingSystem::LightSphere(int32_t level, float x, float y, float facingX,
                                                  float facingY) const
{
    std::array<float, 18> sphere{};
    if (FullBright()) {
        sphere.fill(1.0f);
        return sphere;
    }
    // The facing turned by -90 degrees about z.
    float angle = (std::atan2(facingY, facingX) * 57.29577951f - 90.0f) * 0.017453293f;
    float rightX = std::cos(angle);
    float rightY = std::sin(angle);
    const float faces[4][2] = {{rightX, rightY}, {-rightX, -rightY}, {facingX, facingY}, {-facingX, -facingY}};
    for (int32_t i = 0; i < lightCount; ++i) {
        const Light& light = lights[static_cast<size_t>(i)];
        Color contribution = Contribution(light, level, x, y);
        float dx = 0.0f;
        float dy = 0.0f;
        Offset(light, level, x, y, dx, dy);
        // A light closer than 8 units is taken as lying ahead, so it lights the front.
        if (std::sqrt(dx * dx + dy * dy) < 8.0f) {
            dx += facingX * 8.0f;
            dy += facingY * 8.0f;
        }
        float length = std::sqrt(dx * dx + dy * dy);
        if (length > 0.0f) {
            dx /= length;
            dy /= length;
        }
        for (int face = 0; face < 4; ++face) {
            float* out = sphere.data() + face * 3;
            if (light.type == kGlobalLight) {
                LightingSystemAdd(out, contribution, 1.0f);
                continue;
            }
            float k = faces[face][0] * dx + faces[face][1] * dy;
            if (k > 0.0f)
                LightingSystemAdd(out, contribution, k * tuning.direct);
            LightingSystemAdd(out, contribution, tuning.ambient);
        }
    }
    for (int channel = 0; channel < 3; ++channel) {
        float top = (sphere[channel] + sphere[3 + channel] + sphere[6 + channel] + sphere[9 + channel]) * tuning.top;
        sphere[12 + channel] = top;
        sphere[15 + channel] = top * tuning.bottom;
    }
    for (int side = 0; side < 6; ++side) {
        Color scaled{sphere[side * 3], sphere[side * 3 + 1], sphere[side * 3 + 2]};
        Color::ScaleToUnit(scaled);
        sphere[side * 3] = scaled.r;
        sphere[side * 3 + 1] = scaled.g;
        sphere[side * 3 + 2] = scaled.b;
    }
    return sphere;
}
