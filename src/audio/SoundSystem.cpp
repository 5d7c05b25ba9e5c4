// SoundSystem -- the game's sound front end: the sound user vars, 256 channels, the listener, volumes and music.
#include "audio/SoundSystem.h"

#include "audio/LevelSoundBankResource.h"
#include "audio/MusicResource.h"
#include "audio/SoundBankResource.h"
#include "audio/SoundResource.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/TimerSystem.h"
#include "resources/ResourceManager.h"

SoundSystem* gSoundSystem = nullptr;

const char* const SoundSystem::kSpeakerTypeNames[kSpeakerTypeCount] = {
    "Dolby", "HeadPhones", "Mono", "Quad", "Stereo", "Surround", "Dts", "Prologic2", "Prologic2Interior",
};

namespace {

TimeStamp SoundSystemGameClock()
{
    return gTimerSystem ? gTimerSystem->GetClock() : TimeStamp();
}

} // namespace

SoundSystem::SoundSystem(const SoundWorld& world, Clock clock)
    : world(world), clock(clock ? std::move(clock) : Clock(&SoundSystemGameClock))
{
}

SoundSystem::~SoundSystem()
{
    Shutdown();
    channels.clear();
    if (gSoundSystem == this)
        gSoundSystem = nullptr;
}

// ---- Registration and start-up -------------------------------------------------------------

void SoundSystem::RegisterCommands(ResourceManager& manager)
{
    RegisterListProviders();
    RegisterTypes(manager);
}

void SoundSystem::RegisterTypes(ResourceManager& manager)
{
    // Not reloadable: a playing channel's driver holds the buffer, and its decoder reads the
    // encoded bytes in place.
    manager.RegisterType("snd", kMemSound, true, "", false, &SoundBankResource::Create,
                         &SoundBankResource::CreatePlaceholder);
    manager.RegisterType("wav", kMemSound, true, "", false, &SoundResource::Create, &SoundResource::CreatePlaceholder);
    manager.RegisterType("lsb", kMemSound, true, "", false, &LevelSoundBankResource::Create);
    MusicResource::RegisterType(manager);
}

void SoundSystem::RegisterListProviders()
{
    gCommandSystem->RegisterInfoProc("getSpeakerTypes", [](std::vector<ListEntry>& rows) {
        for (int32_t i = 0; i < kSpeakerTypeCount; ++i) {
            ListEntry row;
            row.name = kSpeakerTypeNames[i];
            row.value = std::to_string(i);
            rows.push_back(row);
        }
    });
    gCommandSystem->RegisterInfoProc("getSoundDevices", [](std::vector<ListEntry>& rows) {
        const char* const devices[] = {"DirectSound3D", "DirectSound", "MMSYSTEM"};
        for (int32_t i = 0; i < 3; ++i) {
            ListEntry row;
            row.name = devices[i];
            row.value = std::to_string(i);
            rows.push_back(row);
        }
    });
}

void SoundSystem::RegisterVars()
{
    cpuUsage = gUserVarSystem->RegisterVar("s_cpuUsage", "0");
    soundsPlaying = gUserVarSystem->RegisterVar("s_soundsPlaying", "0");
    initSound = gUserVarSystem->RegisterVar("s_initSound", "1");
    moveOffListener = gUserVarSystem->RegisterVar("s_moveOffListener", "0");
    volumeMasterVar = gUserVarSystem->RegisterVar("s_volumeMaster", "1.0");
    volumeSfxVar = gUserVarSystem->RegisterVar("s_volumeSfx", "1.0");
    volumeMusicVar = gUserVarSystem->RegisterVar("s_volumeMusic", "1.0");
    volumeDialogVar = gUserVarSystem->RegisterVar("s_volumeDialog", "1.0");
    soundDevice = gUserVarSystem->RegisterVar("s_soundDevice", "0");
}

bool SoundSystem::Init(std::unique_ptr<SoundDriver> newDriver)
{
    if (!newDriver)
        return false;
    RegisterVars();
    masterVolume = effectsVolume = musicVolume = dialogVolume = 1.0f;
    if (!initSound.GetBool()) {
        DebugSystem::Print(kPrintWarning, "Skipped sound system initialization\n");
        return true;
    }
    driver = std::move(newDriver);
    if (!driver->Init()) {
        driver.reset();
        return false;
    }
    sourceCount = driver->GetSourceCount();
    DebugSystem::Print(kPrintPlain, "Sound system initialized\n");
    driver->PostInit();
    channels.clear();
    for (int32_t i = 0; i < kChannelCount; ++i)
        channels.push_back(std::make_unique<SoundInstance>(*this, i));
    sourceChannels.assign(static_cast<size_t>(sourceCount), -1);
    speakerType = kDefaultSpeakerType;
    speakerTypeVar = gUserVarSystem->RegisterVar("s_speakerType", kSpeakerTypeNames[kDefaultSpeakerType]);
    driver->SetSpeakerType(speakerType);
    initialised.store(true, std::memory_order_release);
    return true;
}

void SoundSystem::Shutdown()
{
    if (!IsInitialised())
        return;
    for (auto& channel : channels)
        channel->Stop();
    initialised.store(false, std::memory_order_release);
    driver->Shutdown();
}

void SoundSystem::ReleaseChannels()
{
    for (auto& channel : channels) {
        if (IsInitialised())
            channel->Stop();
        channel->ReleaseResource();
    }
    musicChannel = -1;
}

std::string SoundSystem::GetDeviceName() const
{
    SoundDriver* current = GetDriver();
    return current ? current->GetDeviceName() : std::string();
}

// ---- The frame -----------------------------------------------------------------------------

bool SoundSystem::Update()
{
    if (!IsInitialised())
        return true;
    UpdateVolumes();
    // One line a frame each: without the line end every frame's figure would run into the next.
    if (cpuUsage.GetInt() != 0)
        DebugSystem::Print(kPrintPlain, "Sound CPU percent = %.1f%%\n", driver->GetCpuUsage());
    if (soundsPlaying.GetInt() != 0)
        DebugSystem::Print(kPrintPlain, "# sound playing = %d\n", driver->CountPlaying());
    for (auto& channel : channels)
        channel->Update();
    UpdateSpeakerType();
    UpdateListener();
    if (!world.AreStreamsHeld())
        driver->UpdateStreams();
    return true;
}

// Settings loaded from the configuration carry their changed flags, so the first update
// after start-up applies them.
void SoundSystem::UpdateVolumes()
{
    bool active = world.IsApplicationActive();
    if (!active && !muted) {
        driver->SetListenerGain(0.0f);
        muted = true;
    } else if (active && muted) {
        driver->SetListenerGain(masterVolume);
        muted = false;
    }
    if (volumeMasterVar.GetFlag()) {
        masterVolume = volumeMasterVar.GetFloat();
        volumeMasterVar.SetFlag();
        driver->SetListenerGain(masterVolume);
    }
    if (volumeSfxVar.GetFlag()) {
        effectsVolume = volumeSfxVar.GetFloat();
        volumeSfxVar.SetFlag();
        RefreshKind(kSoundMono);
        RefreshKind(kSoundStereo);
        RefreshKind(kSoundStream);
    }
    if (volumeMusicVar.GetFlag()) {
        musicVolume = volumeMusicVar.GetFloat();
        volumeMusicVar.SetFlag();
        RefreshKind(kSoundMusic);
    }
    if (volumeDialogVar.GetFlag()) {
        dialogVolume = volumeDialogVar.GetFloat();
        volumeDialogVar.SetFlag();
        RefreshKind(kSoundDialog);
    }
    bool nowPaused = world.IsPaused();
    if (nowPaused != paused) {
        paused = nowPaused;
        RefreshKind(kSoundMono);
        RefreshKind(kSoundStereo);
        RefreshKind(kSoundStream);
    }
}

// The var's default text "Stereo" reads as the integer 0, so a fresh configuration passes 0 at
// the first update; the menus store the index.
void SoundSystem::UpdateSpeakerType()
{
    if (!speakerTypeVar.GetFlag())
        return;
    speakerType = speakerTypeVar.GetInt();
    speakerTypeVar.SetFlag();
    driver->SetSpeakerType(speakerType);
}

void SoundSystem::UpdateListener()
{
    SoundPos reference = world.GetListenerReference();
    listener = {reference.level, reference.x, reference.y, 0.0f};
    driver->SetListenerPosition(listener);
}

void SoundSystem::RefreshKind(int32_t kind)
{
    if (!IsInitialised())
        return;
    for (auto& channel : channels) {
        if (channel->IsActive() && channel->GetKind() == kind)
            channel->FadeStep();
    }
}

// ---- Channels and sources ------------------------------------------------------------------

SoundInstance* SoundSystem::GetChannel(int32_t index)
{
    return index >= 0 && index < static_cast<int32_t>(channels.size()) ? channels[index].get() : nullptr;
}

SoundInstance* SoundSystem::FindFreeChannel()
{
    if (!IsInitialised())
        return nullptr;
    for (int32_t i = kMusicChannels; i < kChannelCount; ++i) {
        if (!channels[i]->IsActive())
            return channels[i].get();
    }
    return nullptr;
}

SoundInstance* SoundSystem::FindOwnerChannel(int32_t owner, int32_t slot)
{
    if (!IsInitialised())
        return nullptr;
    for (auto& channel : channels) {
        if (channel->IsActive() && !channel->IsFadingOut() && channel->GetOwner() == owner &&
            channel->GetSlot() == slot)
            return channel.get();
    }
    return nullptr;
}

void SoundSystem::PlayOwnedSound(int32_t handle, const SoundPos& position, int32_t owner, int32_t slot, bool loop,
                                 float minDistance, float fadeIn)
{
    if (!IsInitialised() || handle == -1)
        return;
    if (slot >= 1 && owner != -1) {
        if (SoundInstance* old = FindOwnerChannel(owner, slot))
            old->Stop();
    }
    if (SoundInstance* channel = FindFreeChannel())
        channel->Play(handle, position, owner, slot, loop, minDistance, fadeIn);
}

void SoundSystem::StopResource(int32_t handle)
{
    if (!IsInitialised())
        return;
    for (auto& channel : channels) {
        if (channel->IsActive() && channel->GetResource() == handle)
            channel->Stop();
    }
}

int32_t SoundSystem::FindFreeSource(int32_t kind)
{
    if (!IsInitialised())
        return -1;
    int32_t first = 0;
    int32_t count = 0;
    driver->GetSourceRange(kind, first, count);
    for (int32_t source = std::max(first, 0); source < first + count && source < sourceCount; ++source) {
        if (sourceChannels[source] == -1)
            return source;
    }
    return -1;
}

int32_t SoundSystem::GetSourceChannel(int32_t source) const
{
    return source >= 0 && source < static_cast<int32_t>(sourceChannels.size()) ? sourceChannels[source] : -1;
}

void SoundSystem::TakeSource(int32_t source, int32_t channel)
{
    if (source >= 0 && source < static_cast<int32_t>(sourceChannels.size()))
        sourceChannels[source] = channel;
}

void SoundSystem::ReleaseSource(int32_t channel)
{
    SoundInstance* instance = GetChannel(channel);
    if (!instance)
        return;
    int32_t source = instance->GetSourceIndex();
    if (GetSourceChannel(source) == channel)
        sourceChannels[source] = -1;
}

float SoundSystem::GetKindVolume(int32_t kind) const
{
    if (kind == kSoundMusic)
        return musicVolume;
    if (kind == kSoundDialog)
        return dialogVolume;
    return effectsVolume;
}

// ---- Music ---------------------------------------------------------------------------------

void SoundSystem::PlayMusic(int32_t handle, float fadeIn, float level)
{
    if (!IsInitialised())
        return;
    auto* music = dynamic_cast<MusicResource*>(gResourceManager ? gResourceManager->Get(handle) : nullptr);
    if (!music || music->IsFailed() || music->GetStream() == 0)
        return;
    if (musicChannel != -1)
        channels[musicChannel]->Stop();
    int32_t next = musicChannel == -1 ? 0 : 1 - musicChannel;
    int32_t first = 0;
    int32_t count = 0;
    driver->GetSourceRange(kSoundMusic, first, count);
    if (next >= count)
        return;
    channels[next]->Stop();
    channels[next]->StartMusic(handle, music->GetStream(), first + next, fadeIn, level);
    musicChannel = next;
}

void SoundSystem::StopMusic(float fadeOut)
{
    if (!IsInitialised() || musicChannel == -1)
        return;
    if (fadeOut > 0.0f)
        channels[musicChannel]->FadeOut(fadeOut);
    else
        channels[musicChannel]->Stop();
}

void SoundSystem::SetMusicVolume(float fadeTime, float level)
{
    if (!IsInitialised() || musicChannel == -1)
        return;
    channels[musicChannel]->SetVolumeFaded(fadeTime, level);
}
