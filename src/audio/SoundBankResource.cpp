// SoundBankResource -- a ".snd" bank: a set of sounds with distances, volume, pitch and their random variations.
#include "audio/SoundBankResource.h"

#include "audio/SoundResource.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "resources/ResourceManager.h"

#include <cmath>

namespace {

// A number from the key's own line; missing or not finite reads 0.
float SoundBankReadFloat(TextParser& parser)
{
    float value = 0.0f;
    parser.ReadFloat(value, false);
    return std::isfinite(value) ? value : 0.0f;
}

float SoundBankVary(float value, float variation)
{
    if (variation == 0.0f)
        return value;
    return value + (DrawRandomFloat() * 2.0f * variation - variation);
}

} // namespace

Resource* SoundBankResource::Create(const std::string&, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    auto* bank = new SoundBankResource();
    bank->Parse(bytes, byteCount);
    return bank;
}

Resource* SoundBankResource::CreatePlaceholder(const std::string&)
{
    auto* bank = new SoundBankResource();
    bank->SetFailed();
    return bank;
}

void SoundBankResource::Parse(const uint8_t* bytes, uint32_t byteCount)
{
    TextParser parser(bytes, bytes ? byteCount : 0);
    std::string key;
    while (parser.NextToken(key)) {
        if (StringEqualsNoCase(key, "Sound")) {
            std::string name;
            parser.NextToken(name, false);
            sounds.emplace_back();
            if (gResourceManager)
                gResourceManager->Load(name, sounds.back());
        } else if (StringEqualsNoCase(key, "MinDist")) {
            minDistance = SoundBankReadFloat(parser);
        } else if (StringEqualsNoCase(key, "MaxDist")) {
            maxDistance = SoundBankReadFloat(parser);
        } else if (StringEqualsNoCase(key, "Volume")) {
            volume = SoundBankReadFloat(parser);
        } else if (StringEqualsNoCase(key, "VolumeVariation")) {
            volumeVariation = SoundBankReadFloat(parser);
        } else if (StringEqualsNoCase(key, "Pitch")) {
            pitch = SoundBankReadFloat(parser);
        } else if (StringEqualsNoCase(key, "PitchVariation")) {
            pitchVariation = SoundBankReadFloat(parser);
        } else if (StringEqualsNoCase(key, "PlayDuringPause")) {
            parser.ReadBool(playDuringPause, false);
        }
    }
}

SoundResource* SoundBankResource::PickSound() const
{
    if (sounds.empty())
        return nullptr;
    int32_t count = static_cast<int32_t>(sounds.size());
    int32_t pick = static_cast<int32_t>(DrawRandomScaled(RandomStream::GameData, static_cast<float>(count)));
    if (pick >= count)
        pick = count - 1;
    return gResourceManager ? dynamic_cast<SoundResource*>(gResourceManager->Get(sounds[pick])) : nullptr;
}

float SoundBankResource::GetRandomVolume() const
{
    return SoundBankVary(volume, volumeVariation);
}

float SoundBankResource::GetRandomPitch() const
{
    return SoundBankVary(pitch, pitchVariation);
}
