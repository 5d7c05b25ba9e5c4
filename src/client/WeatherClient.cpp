// WeatherClient -- the rain and lightning the player hears and sees where it stands: a rain loop of three strengths that cross-fades between two slots, lightning flashes by brightness patterns, and thunder after each flash.
#include "client/WeatherClient.h"

#include "audio/SoundSystem.h"
#include "client/ClientApp.h"
#include "client/LocalPlayerLink.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "resources/ResourceManager.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <algorithm>

namespace {

// The letters of a pattern run from "a" (dark) to "z" (brightest).
constexpr int32_t kWeatherClientBrightestLetter = 'z' - 'a';
constexpr float kWeatherClientLetterSteps = 26.0f;

int32_t WeatherClientOwner()
{
    LocalPlayerLink* link = gClientApp ? gClientApp->GetLink() : nullptr;
    return link ? link->GetEntityNumber() : -1;
}

bool WeatherClientSoundOn()
{
    return gSoundSystem && gSoundSystem->IsInitialised();
}

void WeatherClientLoadSound(const DatabaseEntry& entry, const char* key, ResourceHandle& out)
{
    out.Reset();
    std::string name = entry.GetString(key);
    if (!name.empty() && gResourceManager)
        gResourceManager->Load(name, out);
}

} // namespace

void WeatherClient::Init(const Database& database)
{
    Release();
    *this = WeatherClient();
    Load(database);
}

void WeatherClient::Load(const Database& database)
{
    const DatabaseEntry* entry = database.FindEntryByName("Weather");
    if (!entry)
        return;
    lowestSunlightMult = entry->GetFloat("LowestSunlightMult", 0.0f);
    WeatherClientLoadSound(*entry, "SoundLightRain", lightRainSound);
    WeatherClientLoadSound(*entry, "SoundMediumRain", mediumRainSound);
    WeatherClientLoadSound(*entry, "SoundHardRain", hardRainSound);
    WeatherClientLoadSound(*entry, "SoundThunder", thunderSound);
    lightRainMinIntensity = entry->GetFloat("LightRainMinIntensity", 0.0f);
    mediumRainMinIntensity = entry->GetFloat("MediumRainMinIntensity", 0.0f);
    hardRainMinIntensity = entry->GetFloat("HardRainMinIntensity", 0.0f);
    rainSoundFadeTime = entry->GetFloat("RainSoundFadeTime", 0.0f);
    lightningCheckTime = entry->GetFloat("LightningCheckTime", 0.0f);
    baseLightningChance = entry->GetFloat("BaseLightningChance", 0.0f);
    maxLightningIntensity = entry->GetFloat("MaxLightningIntensity", 0.0f);
    maxThunderTime = entry->GetFloat("MaxThunderTime", 0.0f);
    entry->GetStringList("LightningString", lightningPatterns, true, false);
    for (const std::string& letters : lightningPatterns) {
        if (std::all_of(letters.begin(), letters.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
            continue;
        DebugSystem::Print(kPrintWarning, "Weather LightningString \"%s\" holds letters outside a to z; they are held there\n",
                           letters.c_str());
        break;
    }
}

void WeatherClient::SetFromUpdate(float newIntensity, float newWindX, float newWindY)
{
    intensity = newIntensity;
    windX = newWindX;
    windY = newWindY;
}

float WeatherClient::GetPlayerAreaWeatherMult()
{
    LocalPlayerLink* link = gClientApp ? gClientApp->GetLink() : nullptr;
    const Level* level = link && gWorld ? gWorld->GetLevel(link->GetPosition().level) : nullptr;
    return level && level->area ? level->area->weatherIntensityMult : 0.0f;
}

void WeatherClient::Update(float dt)
{
    if (checkArmed)
        checkTimer = std::max(checkTimer - dt, 0.0f);
    if (!gClientApp || !gClientApp->GetLink())
        return;
    float effective = GetEffectiveIntensity();
    if (effective > hardRainMinIntensity) {
        PlayRainSound(hardRainSound);
    } else if (effective > mediumRainMinIntensity) {
        PlayRainSound(mediumRainSound);
    } else if (effective > lightRainMinIntensity) {
        PlayRainSound(lightRainSound);
    } else {
        StopRainSound();
        checkArmed = false;
    }
    lightningBrightness = 0.0f;
    if (!pattern.empty()) {
        patternTime += dt;
        auto letter = static_cast<size_t>(patternTime * kPatternLettersPerSecond);
        if (letter < pattern.size()) {
            int32_t step = std::clamp(pattern[letter] - 'a', 0, kWeatherClientBrightestLetter);
            lightningBrightness = static_cast<float>(step) / kWeatherClientLetterSteps * maxLightningIntensity;
        } else {
            pattern.clear();
        }
    }
    for (float& delay : thunderDelays) {
        if (delay < 0.0f)
            continue;
        delay -= dt;
        if (delay < 0.0f && WeatherClientSoundOn() && thunderSound.IsValid())
            gSoundSystem->PlayOwnedSound(thunderSound, SoundPos(), WeatherClientOwner(), 0, false, 0.0f, 0.0f);
    }
    if (effective > 0.0f && !checkArmed)
        ArmCheck();
    if (checkArmed && checkTimer <= 0.0f) {
        if (DrawRandomFloat() < baseLightningChance * effective)
            Strike(effective);
        ArmCheck();
    }
}

void WeatherClient::ArmCheck()
{
    float spread = lightningCheckTime * 0.1f;
    checkPeriod = lightningCheckTime + (DrawRandomFloat() * 2.0f - 1.0f) * spread;
    checkTimer = checkPeriod;
    checkArmed = true;
}

void WeatherClient::Strike(float effective)
{
    if (!lightningPatterns.empty()) {
        auto count = static_cast<int32_t>(lightningPatterns.size());
        int32_t pick = std::min(
            static_cast<int32_t>(DrawRandomScaled(RandomStream::GameData, static_cast<float>(count))), count - 1);
        pattern = lightningPatterns[static_cast<size_t>(pick)];
        patternTime = 0.0f;
    }
    float delay = (1.0f - effective) * maxThunderTime;
    auto freeSlot = std::find_if(thunderDelays.begin(), thunderDelays.end(), [](float d) { return d < 0.0f; });
    if (freeSlot != thunderDelays.end())
        *freeSlot = delay;
    else
        thunderDelays.push_back(delay);
}

void WeatherClient::PlayRainSound(const ResourceHandle& handle)
{
    if (handle.GetValue() == currentRainSound.GetValue())
        return;
    StopRainSound();
    rainSoundSlot = rainSoundSlot == -1 || rainSoundSlot == kRainSlotB ? kRainSlotA : kRainSlotB;
    if (WeatherClientSoundOn() && handle.IsValid())
        gSoundSystem->PlayOwnedSound(handle, SoundPos(), WeatherClientOwner(), rainSoundSlot, true, 0.0f,
                                     rainSoundFadeTime);
    currentRainSound = handle;
}

void WeatherClient::StopRainSound()
{
    if (!currentRainSound.IsValid())
        return;
    if (SoundInstance* channel = WeatherClientSoundOn() ? gSoundSystem->FindOwnerChannel(WeatherClientOwner(), rainSoundSlot)
                                                        : nullptr) {
        if (rainSoundFadeTime > 0.0f)
            channel->FadeOut(rainSoundFadeTime);
        else
            channel->Stop();
    }
    currentRainSound.Reset();
}

void WeatherClient::Release()
{
    lightRainSound.Reset();
    mediumRainSound.Reset();
    hardRainSound.Reset();
    thunderSound.Reset();
    currentRainSound.Reset();
}
