// WeatherClient -- the rain and lightning the player hears and sees where it stands: a rain loop of three strengths that cross-fades between two slots, lightning flashes by brightness patterns, and thunder after each flash.
#pragma once

#include "resources/ResourceHandle.h"

#include <cstdint>
#include <string>
#include <vector>

class Database;

// Main thread only. Owned by the game client; tuned by the "Weather" record.
class WeatherClient {
public:
    // The two slots of the local player's sounds that the rain alternates between.
    static constexpr int32_t kRainSlotA = 132;
    static constexpr int32_t kRainSlotB = 133;
    // Letters of a lightning pattern a second.
    static constexpr float kPatternLettersPerSecond = 20.0f;

    // Every value 0, no sounds, then the record.
    void Init(const Database& database);
    // The record's keys; without the record everything stays as it is.
    void Load(const Database& database);
    // The weather at the player as the last game update gave it.
    void SetFromUpdate(float newIntensity, float newWindX, float newWindY);
    // Once a client frame, with its seconds.
    void Update(float dt);
    // The area's "WeatherIntensityMult" of the local player's level; 0 without one.
    static float GetPlayerAreaWeatherMult();
    float GetEffectiveIntensity() const { return intensity * GetPlayerAreaWeatherMult(); }
    // Lets go of the sounds before the resources are flushed.
    void Release();

    float lowestSunlightMult = 0.0f;
    float intensity = 0.0f;
    float windX = 0.0f;
    float windY = 0.0f;
    float lightningBrightness = 0.0f;

    int32_t GetRainSoundSlot() const { return rainSoundSlot; }
    int32_t GetCurrentRainSound() const { return currentRainSound; }
    int32_t GetThunderSound() const { return thunderSound; }
    const std::vector<float>& GetThunderDelays() const { return thunderDelays; }
    bool IsCheckArmed() const { return checkArmed; }
    float GetCheckTimer() const { return checkTimer; }
    const std::string& GetPattern() const { return pattern; }

private:
    void PlayRainSound(const ResourceHandle& handle);
    void StopRainSound();
    void ArmCheck();
    void Strike(float effective);

    ResourceHandle lightRainSound;
    ResourceHandle mediumRainSound;
    ResourceHandle hardRainSound;
    ResourceHandle thunderSound;
    ResourceHandle currentRainSound;
    float lightRainMinIntensity = 0.0f;
    float mediumRainMinIntensity = 0.0f;
    float hardRainMinIntensity = 0.0f;
    float rainSoundFadeTime = 0.0f;
    int32_t rainSoundSlot = -1;
    float lightningCheckTime = 0.0f;
    float baseLightningChance = 0.0f;
    float maxLightningIntensity = 0.0f;
    std::vector<std::string> lightningPatterns;
    float maxThunderTime = 0.0f;
    bool checkArmed = false;
    float checkTimer = 0.0f;
    float checkPeriod = 0.0f;
    std::string pattern;
    float patternTime = 0.0f;
    std::vector<float> thunderDelays;
};
