// SoundBankResource -- a ".snd" bank: a set of sounds with distances, volume, pitch and their random variations.
#pragma once

#include "audio/BaseSoundResource.h"
#include "resources/ResourceHandle.h"

#include <cstdint>
#include <string>
#include <vector>

class SoundResource;

// Drawing from a bank uses random stream 0, so a seeded stream gives the same draws.
class SoundBankResource : public BaseSoundResource {
public:
    static constexpr float kDefaultMinDistance = 64.0f;
    static constexpr float kDefaultMaxDistance = 10000.0f;

    // The "snd" factory: keys (any case) each followed by its value; a token that is no key is
    // passed over, and a key whose value is missing from its line reads 0 (false), not its default.
    static Resource* Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    static Resource* CreatePlaceholder(const std::string& name);
    // Parses the bank text into this bank, loading each sound it names.
    void Parse(const uint8_t* bytes, uint32_t byteCount);

    // One of the sounds (a WAV or an Ogg resource); null for an empty bank or another kind.
    SoundResource* PickSound() const;
    // Uniform in [volume - variation, volume + variation); the volume itself without variation.
    float GetRandomVolume() const;
    float GetRandomPitch() const;

    float GetMinDistance() const { return minDistance; }
    float GetMaxDistance() const { return maxDistance; }
    float GetVolume() const { return volume; }
    float GetVolumeVariation() const { return volumeVariation; }
    float GetPitch() const { return pitch; }
    float GetPitchVariation() const { return pitchVariation; }
    bool PlaysDuringPause() const { return playDuringPause; }
    const std::vector<ResourceHandle>& GetSounds() const { return sounds; }

private:
    float minDistance = kDefaultMinDistance;
    float maxDistance = kDefaultMaxDistance;
    float volume = 1.0f;
    float volumeVariation = 0.0f;
    float pitch = 1.0f;
    float pitchVariation = 0.0f;
    bool playDuringPause = false;
    // Each holds one reference, released with the bank.
    std::vector<ResourceHandle> sounds;
};
