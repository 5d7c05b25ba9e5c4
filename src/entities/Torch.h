// Torch -- a light placed in a level: lit or out, flickering, put out by wind, rain, cold and gusts, lit by fire and by users, kept in the world save.
#pragma once

#include "core/Color.h"
#include "core/RandomTimer.h"
#include "entities/Entity.h"

#include <cstdint>

class Torch : public Entity {
public:
    static constexpr const char* kLitAnimation = "idle";
    static constexpr const char* kOutAnimation = "off";

    Torch();
    ~Torch() override;

    void Load(const DatabaseEntry* record) override;
    void Update(float seconds) override;
    // Switches it: lit goes out, out is lit.
    void Use(Entity* user) override;
    void OnDamagePart(int32_t amount, int32_t damageType) override;
    // Fire lights one that fire lights, cold puts out one that cold puts out; nothing for a
    // negative amount.
    void OnDamageOfType(int32_t amount, int32_t damageType);
    // A torch has no hit points to lose: damage only lights or douses it, by its type.
    void TakeDamage(int32_t amount, Entity* attacker, bool overTime, bool quiet) override;
    bool ShowsDamage() const override { return false; }
    bool CanBeAttacked() const override { return false; }
    void WriteSaved(MessageBuffer& buffer) const override;
    bool ReadSaved(MessageBuffer& buffer, int32_t version) override;
    // One little-endian word: 1 lit, 0 out.
    void WriteSavedState(MessageBuffer& buffer) const;
    // False, with nothing changed, when the word is not all there.
    bool ReadSavedState(MessageBuffer& buffer, int32_t version);

    // The entity's light from the lit state: falloff 0 when out, else the falloff with its
    // random flicker and the light's random offset.
    void RefreshLight();
    // A gust of the strength: out when wind matters to it ("MaxWind" above 0) and the gust is at
    // least that strong. True when it went out now.
    bool BlowOut(float windStrength);
    bool IsLit() const { return lit; }
    // The colour it shows when lit ("LightColor"), as a secret judges red torchlight.
    const Color& GetLightColor() const { return color; }

private:
    void SetLit(bool value);
    void CheckWeather();

    bool lit = true;
    Color color;
    float falloff = 0.0f;
    RandomTimer flickerTimer;
    float flickerTime = 0.0f;
    float flickerIntensity = 0.0f;
    float flickerMaxDistance = 0.0f;
    RandomTimer weatherTimer;
    float weatherTime = 0.0f;
    float maxWind = 0.0f;
    float maxRain = 0.0f;
    bool effectedByFire = false;
    bool effectedByIce = false;
};
