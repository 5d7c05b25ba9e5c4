// LevelSoundBankResource -- a level's ".lsb" bank: random ambient sounds around the player and one looping base sound.
#pragma once

#include "resources/Resource.h"
#include "resources/ResourceHandle.h"

#include <cstdint>
#include <string>
#include <vector>

// One "randomSound" line: how often the sound may play and how far from the player.
struct RandomSoundEntry {
    ResourceHandle sound;
    // Seconds of rest after it played.
    float restTime = 0.0f;
    // Seconds between two checks.
    float checkInterval = 0.0f;
    // Chance per check, 0 to 1.
    float chance = 0.0f;
    float minDistance = 0.0f;
    float maxDistance = 0.0f;
    bool restRunning = false;
    float restTimer = 0.0f;
    bool checkRunning = false;
    float checkTimer = 0.0f;
};

// Driven by the client's level logic once a frame while the player stands in the level.
class LevelSoundBankResource : public Resource {
public:
    static constexpr float kBaseSoundFadeSeconds = 5.0f;

    // The "lsb" factory: "randomSound" name rest interval chance mindist maxdist, and
    // "baseSound" name; keys in any case, missing numbers 0.
    static Resource* Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    void Parse(const uint8_t* bytes, uint32_t byteCount);

    // Advances the timers by dt seconds and plays the random sounds whose check comes up, at a
    // random place between their distances from the player. Draws come from random stream 0.
    void Update(float dt);
    // Fades the base sound that plays for the local player out over five seconds.
    void StopBaseSound();
    // Fades this bank's base sound in over five seconds, looping, owned by the local player.
    void StartBaseSound();

    const std::vector<RandomSoundEntry>& GetRandomSounds() const { return randomSounds; }
    const std::string& GetBaseSoundName() const { return baseSoundName; }
    int32_t GetBaseSound() const { return baseSound; }

private:
    void PlayRandomSound(const RandomSoundEntry& entry);

    std::vector<RandomSoundEntry> randomSounds;
    std::string baseSoundName;
    ResourceHandle baseSound;
};
