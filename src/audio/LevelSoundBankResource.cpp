// LevelSoundBankResource -- a level's ".lsb" bank: random ambient sounds around the player and one looping base sound.
#include "audio/LevelSoundBankResource.h"

#include "audio/SoundSystem.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "resources/ResourceManager.h"

#include <algorithm>
#include <cmath>

namespace {

float LevelSoundReadFloat(TextParser& parser)
{
    float value = 0.0f;
    parser.ReadFloat(value, false);
    return std::isfinite(value) ? value : 0.0f;
}

void LevelSoundCountDown(bool running, float& timer, float dt)
{
    if (running)
        timer = std::max(timer - dt, 0.0f);
}

} // namespace

Resource* LevelSoundBankResource::Create(const std::string&, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    auto* bank = new LevelSoundBankResource();
    bank->Parse(bytes, byteCount);
    return bank;
}

void LevelSoundBankResource::Parse(const uint8_t* bytes, uint32_t byteCount)
{
    TextParser parser(bytes, bytes ? byteCount : 0);
    std::string key;
    while (parser.NextToken(key)) {
        if (StringEqualsNoCase(key, "randomSound")) {
            RandomSoundEntry& entry = randomSounds.emplace_back();
            std::string name;
            parser.NextToken(name, false);
            if (gResourceManager)
                gResourceManager->Load(name, entry.sound);
            entry.restTime = LevelSoundReadFloat(parser);
            entry.checkInterval = LevelSoundReadFloat(parser);
            entry.chance = LevelSoundReadFloat(parser);
            entry.minDistance = LevelSoundReadFloat(parser);
            entry.maxDistance = LevelSoundReadFloat(parser);
        } else if (StringEqualsNoCase(key, "baseSound")) {
            parser.NextToken(baseSoundName, false);
            if (gResourceManager)
                gResourceManager->Load(baseSoundName, baseSound);
        }
    }
}

void LevelSoundBankResource::Update(float dt)
{
    for (RandomSoundEntry& entry : randomSounds) {
        LevelSoundCountDown(entry.restRunning, entry.restTimer, dt);
        LevelSoundCountDown(entry.checkRunning, entry.checkTimer, dt);
        if ((entry.restRunning && entry.restTimer > 0.0f) || (entry.checkRunning && entry.checkTimer > 0.0f))
            continue;
        entry.checkTimer = entry.checkInterval;
        entry.checkRunning = true;
        if (DrawRandomFloat() >= entry.chance)
            continue;
        PlayRandomSound(entry);
        entry.restTimer = entry.restTime;
        entry.restRunning = true;
    }
}

// Distance first, then the two direction draws, all from stream 0.
void LevelSoundBankResource::PlayRandomSound(const RandomSoundEntry& entry)
{
    if (!gSoundSystem)
        return;
    const SoundWorld& world = gSoundSystem->GetWorld();
    SoundPos position = world.GetListenerReference();
    float distance = DrawRandomRange(RandomStream::GameData, entry.minDistance, entry.maxDistance);
    float dx = 2.0f * DrawRandomFloat() - 1.0f;
    float dy = 2.0f * DrawRandomFloat() - 1.0f;
    float length = std::sqrt(dx * dx + dy * dy);
    if (length > 0.0f) {
        dx /= length;
        dy /= length;
    }
    position.x += dx * distance;
    position.y += dy * distance;
    position.z = 0.0f;
    world.Normalize(position);
    if (!gSoundSystem->IsInitialised() || entry.sound == -1)
        return;
    if (SoundInstance* channel = gSoundSystem->FindFreeChannel())
        channel->Play(entry.sound, position, -1, 0, false, 0.0f, 0.0f);
}

void LevelSoundBankResource::StopBaseSound()
{
    if (!gSoundSystem)
        return;
    int32_t player = gSoundSystem->GetWorld().GetLocalPlayerEntity();
    if (SoundInstance* channel = gSoundSystem->FindOwnerChannel(player, kSoundSlotLevelBase))
        channel->FadeOut(kBaseSoundFadeSeconds);
}

void LevelSoundBankResource::StartBaseSound()
{
    if (!gSoundSystem || !gSoundSystem->IsInitialised() || baseSound == -1)
        return;
    int32_t player = gSoundSystem->GetWorld().GetLocalPlayerEntity();
    if (SoundInstance* channel = gSoundSystem->FindFreeChannel())
        channel->Play(baseSound, SoundPos(), player, kSoundSlotLevelBase, true, 0.0f, kBaseSoundFadeSeconds);
}
