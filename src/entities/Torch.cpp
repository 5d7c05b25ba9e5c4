// Torch -- a light placed in a level: lit or out, flickering, put out by wind, rain, cold and gusts, lit by fire and by users, kept in the world save.
#include "entities/Torch.h"

#include "core/ColorSystem.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "core/Vector.h"
#include "entities/GameServices.h"

#include <cmath>

namespace {
constexpr int32_t kTorchAnimationPriority = 14;
// Intervals are counted down in float steps: one within this of its end is due at that step
// rather than a whole step late.
constexpr float kTorchDueTolerance = 1e-4f;

// The timer runs again with exactly its time: a torch's intervals are not drawn.
void TorchRestart(RandomTimer& timer, float seconds)
{
    timer.minimum = seconds;
    timer.maximum = seconds;
    timer.total = seconds;
    timer.remaining = seconds;
    timer.running = 1;
}

bool TorchTimerDue(const RandomTimer& timer)
{
    return !timer.running || timer.remaining <= kTorchDueTolerance;
}
} // namespace

Torch::Torch()
{
    maxHealth = 1;
    health = 1;
    flickerTimer.listed = 1;
    weatherTimer.listed = 1;
    timers.push_back(&flickerTimer);
    timers.push_back(&weatherTimer);
}

Torch::~Torch() = default;

void Torch::Load(const DatabaseEntry* record)
{
    Entity::Load(record);
    if (!record)
        return;
    netFlag = record->GetInt("Solid") != 0;
    color = ParseColor(record->GetString("LightColor"));
    falloff = record->GetFloat("LightFalloff", 0.0f);
    flickerTime = record->GetFloat("FlickerTime", 0.0f);
    flickerIntensity = record->GetFloat("FlickerIntensity", 0.0f);
    flickerMaxDistance = record->GetFloat("FlickerMaxDistance", 0.0f);
    maxWind = record->GetFloat("MaxWind", 0.0f);
    maxRain = record->GetFloat("MaxRain", 0.0f);
    weatherTime = record->GetFloat("WeatherTime", 0.0f);
    effectedByFire = record->GetInt("EffectedByFire") != 0;
    effectedByIce = record->GetInt("EffectedByIce") != 0;
    RefreshLight();
}

void Torch::RefreshLight()
{
    float shown = 0.0f;
    if (lit) {
        shown = falloff;
        if (flickerIntensity > 0.0f && gRandomSystem)
            shown = gRandomSystem->RandomSigned(falloff, flickerIntensity);
    }
    lightColor = color;
    lightFalloff = shown;
    if (flickerMaxDistance > 0.0f && gRandomSystem) {
        Vector2 direction{gRandomSystem->RandomRange(RandomStream::GameData, -1.0f, 1.0f),
                          gRandomSystem->RandomRange(RandomStream::GameData, -1.0f, 1.0f)};
        float length = Vector2Length(direction);
        // Both draws at 0 give no direction: the light stays where it is.
        if (length > 0.0f) {
            float reach = gRandomSystem->RandomScaled(RandomStream::GameData, flickerMaxDistance);
            lightOffset[0] = direction.x / length * reach;
            lightOffset[1] = direction.y / length * reach;
        }
    }
}

void Torch::SetLit(bool value)
{
    lit = value;
    RefreshLight();
}

void Torch::Update(float seconds)
{
    Entity::Update(seconds);
    PlayAnimation(lit ? kLitAnimation : kOutAnimation, kTorchAnimationPriority, AnimationMode::Loop, false);
    if (flickerIntensity > 0.0f && TorchTimerDue(flickerTimer)) {
        RefreshLight();
        TorchRestart(flickerTimer, flickerTime);
    }
    if ((maxWind > 0.0f || maxRain > 0.0f) && weatherTime > 0.0f && TorchTimerDue(weatherTimer)) {
        CheckWeather();
        TorchRestart(weatherTimer, weatherTime);
    }
}

void Torch::CheckWeather()
{
    if (!gGameServices)
        return;
    float rain = 0.0f;
    Vector2 wind{};
    gGameServices->GetWeatherAt(position, rain, wind);
    bool drowned = maxRain > 0.0f && rain >= maxRain;
    bool blown = maxWind > 0.0f && Vector2Length(wind) >= maxWind;
    // Out stays out when the weather calms: only use, fire or a saved state lights it again.
    if (drowned || blown)
        SetLit(false);
}

void Torch::TakeDamage(int32_t, Entity*, bool, bool)
{
}

bool Torch::BlowOut(float windStrength)
{
    if (!(maxWind > 0.0f) || !(maxWind <= windStrength) || !lit)
        return false;
    SetLit(false);
    return true;
}

void Torch::Use(Entity*)
{
    SetLit(!lit);
}

void Torch::OnDamagePart(int32_t amount, int32_t damageType)
{
    OnDamageOfType(amount, damageType);
}

void Torch::OnDamageOfType(int32_t amount, int32_t damageType)
{
    if (amount < 0)
        return;
    if (damageType == DamageType::Fire) {
        if (effectedByFire)
            SetLit(true);
    } else if (damageType == DamageType::Cold && effectedByIce) {
        SetLit(false);
    }
}

void Torch::WriteSaved(MessageBuffer& buffer) const
{
    WriteSavedState(buffer);
}

bool Torch::ReadSaved(MessageBuffer& buffer, int32_t version)
{
    return ReadSavedState(buffer, version);
}

void Torch::WriteSavedState(MessageBuffer& buffer) const
{
    buffer.WriteInt(lit ? 1 : 0);
}

bool Torch::ReadSavedState(MessageBuffer& buffer, int32_t)
{
    if (buffer.BytesLeft() < sizeof(int32_t))
        return false;
    SetLit(buffer.ReadInt() != 0);
    return true;
}
