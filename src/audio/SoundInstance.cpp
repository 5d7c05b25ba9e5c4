// SoundInstance -- one playback channel: what it plays, where, how loud, its fades and its driver source.
#include "audio/SoundInstance.h"

#include "audio/MusicResource.h"
#include "audio/SoundBankResource.h"
#include "audio/SoundResource.h"
#include "audio/SoundSystem.h"
#include "core/RandomSystem.h"
#include "resources/ResourceManager.h"

namespace {

// s_moveOffListener keeps positional sounds at least this far from the listener on x and y.
constexpr float kSoundMoveOffDistance = 2.0f;

// Whole seconds and their fraction from one stamp to the next.
float SoundElapsedSeconds(const TimeStamp& from, const TimeStamp& to)
{
    TimeStamp difference = TimeStamp::Difference(from, to);
    difference.Normalize();
    return difference.GetTotalSeconds();
}

// Moves one coordinate so that it lies at least the move-off distance from the listener when
// it is nearer, but not on, the listener's own line.
float SoundPushAway(float delta)
{
    if (delta > 0.0f && delta < kSoundMoveOffDistance)
        return kSoundMoveOffDistance - delta;
    if (delta < 0.0f && delta > -kSoundMoveOffDistance)
        return -(delta + kSoundMoveOffDistance);
    return 0.0f;
}

} // namespace

SoundInstance::SoundInstance(SoundSystem& system, int32_t index) : system(system), index(index) {}

SoundInstance::~SoundInstance()
{
    ReleaseResource();
}

void SoundInstance::ReleaseResource()
{
    if (resource != -1 && gResourceManager)
        gResourceManager->Release(resource);
    resource = -1;
}

void SoundInstance::HoldResource(int32_t handle)
{
    if (handle == resource)
        return;
    if (gResourceManager) {
        gResourceManager->AddRef(handle);
        gResourceManager->Release(resource);
    }
    resource = handle;
}

// ---- Playing -------------------------------------------------------------------------------

void SoundInstance::Play(int32_t handle, const SoundPos& where, int32_t newOwner, int32_t newSlot, bool loop,
                         float newMinDistance, float fadeIn)
{
    if (!system.IsInitialised() || !SetUpFrom(handle))
        return;
    owner = newOwner;
    slot = newSlot;
    position = where;
    if (newMinDistance > 0.0f)
        minDistance = newMinDistance;
    if (fadeIn > 0.0f)
        StartFadeIn(fadeIn);
    bool buffered = kind == kSoundMono || kind == kSoundStereo;
    if (buffered ? buffer == 0 : stream == 0)
        return;
    SoundDriver& driver = *system.GetDriver();
    if (kind == kSoundStream && !driver.CanShareStreams())
        system.StopResource(handle);
    if (kind == kSoundStream && slot == kSoundSlotDialog)
        kind = kSoundDialog;
    if (!TakeSource())
        return;
    if (driver.IsPositional(kind)) {
        UpdatePosition();
        driver.SetSourceDistances(sourceHandle, minDistance, maxDistance);
    }
    if (kind == kSoundMono)
        driver.SetSourcePitch(sourceHandle, sampleRate, pitch);
    // Set before the gain is taken, so a loop started during the pause starts silent.
    looping = loop;
    driver.SetSourceGain(sourceHandle, GetGain());
    StartPlaying(loop);
}

bool SoundInstance::SetUpFrom(int32_t handle)
{
    minDistance = kDefaultMinDistance;
    maxDistance = kDefaultMaxDistance;
    volume = 1.0f;
    pitch = 1.0f;
    sampleRate = 0;
    buffer = 0;
    stream = 0;
    kind = kSoundMono;
    playDuringPause = false;
    Resource* object = gResourceManager ? gResourceManager->Get(handle) : nullptr;
    SoundResource* sound = dynamic_cast<SoundResource*>(object);
    if (auto* bank = dynamic_cast<SoundBankResource*>(object)) {
        if (bank->IsFailed())
            return false;
        SetUpFromBank(*bank);
        // A bank with no usable sound is then taken as the plain sound it is not.
        if (SoundResource* drawn = bank->PickSound())
            sound = drawn;
    }
    if (auto* music = dynamic_cast<MusicResource*>(sound)) {
        kind = kSoundStream;
        stream = music->GetStream();
    } else if (sound && !sound->IsFailed()) {
        buffer = sound->GetBuffer();
        sampleRate = sound->GetSampleRate();
        kind = sound->IsStereo() ? kSoundStereo : kSoundMono;
    } else {
        return false;
    }
    nudge = 0.0f;
    ClearFades();
    // The target follows the level the sound starts at, so a later fade to the same level is
    // not taken as already done.
    fadeTarget = volume;
    HoldResource(handle);
    return true;
}

// Volume before pitch, both before the pick: the draws come from stream 0 in this order.
void SoundInstance::SetUpFromBank(SoundBankResource& bank)
{
    minDistance = bank.GetMinDistance();
    maxDistance = bank.GetMaxDistance();
    volume = bank.GetRandomVolume();
    pitch = bank.GetRandomPitch();
    playDuringPause = bank.PlaysDuringPause();
}

// No source is ever taken from another sound: with the kind's sources all busy the sound is
// dropped.
bool SoundInstance::TakeSource()
{
    SoundDriver& driver = *system.GetDriver();
    sourceIndex = system.FindFreeSource(kind);
    if (sourceIndex == -1) {
        buffer = 0;
        stream = 0;
        return false;
    }
    system.TakeSource(sourceIndex, index);
    bool buffered = kind == kSoundMono || kind == kSoundStereo;
    sourceHandle = buffered ? driver.AttachBuffer(sourceIndex, buffer) : driver.AttachStream(sourceIndex, stream);
    if (sourceHandle == -1) {
        // The source would otherwise stay booked to a channel that plays nothing.
        system.ReleaseSource(index);
        buffer = 0;
        stream = 0;
        return false;
    }
    return true;
}

void SoundInstance::StartPlaying(bool loop)
{
    SoundDriver& driver = *system.GetDriver();
    bool buffered = kind == kSoundMono || kind == kSoundStereo;
    if (buffered)
        driver.SetSourceLooping(sourceHandle, loop);
    else
        driver.SetStreamLooping(sourceHandle, stream, loop);
    if (buffered)
        driver.PlayBuffer(sourceHandle, buffer);
    else
        driver.StartStream(sourceHandle, stream);
    active = true;
}

void SoundInstance::StartMusic(int32_t handle, int32_t musicStream, int32_t source, float fadeIn, float level)
{
    SoundDriver* driver = system.GetDriver();
    if (!driver)
        return;
    // The decoder reads the resource's bytes in place: the channel holds it while it plays.
    HoldResource(handle);
    volume = level;
    fadeTarget = level;
    ClearFades();
    stream = musicStream;
    buffer = 0;
    kind = kSoundMusic;
    owner = -1;
    slot = 0;
    sourceIndex = source;
    system.TakeSource(source, index);
    sourceHandle = driver->AttachStream(source, stream);
    if (fadeIn > 0.0f)
        StartFadeIn(fadeIn);
    else
        driver->SetSourceGain(sourceHandle, GetGain());
    driver->SetStreamLooping(sourceHandle, stream, true);
    looping = true;
    driver->StartStream(sourceHandle, stream);
    active = true;
}

void SoundInstance::Stop()
{
    SoundDriver* driver = system.GetDriver();
    if (active && driver) {
        if (stream != 0)
            driver->StopStream(sourceHandle, stream);
        else if (buffer != 0)
            driver->StopSource(sourceHandle);
    }
    stream = 0;
    buffer = 0;
    active = false;
    system.ReleaseSource(index);
}

// ---- Fades and gain ------------------------------------------------------------------------

void SoundInstance::ClearFades()
{
    fadingIn = false;
    fadingOut = false;
    fadingTo = false;
}

void SoundInstance::StartFadeIn(float seconds)
{
    fadeTarget = volume;
    volume = 0.0f;
    fadeRate = 1.0f / seconds;
    fadeClock = system.Now();
    fadingIn = true;
}

void SoundInstance::FadeOut(float seconds)
{
    ClearFades();
    fadingOut = true;
    // A later request for the level the sound had is then a change, not one already made.
    fadeTarget = 0.0f;
    fadeClock = system.Now();
    fadeRate = seconds > 0.0f ? -volume / seconds : -volume;
}

void SoundInstance::SetVolumeFaded(float seconds, float level)
{
    // The level a fade in or down is already heading for changes nothing; after a fade-out it
    // asks the sound back.
    if (level == fadeTarget && !fadingOut)
        return;
    // Every fade still running ends: one left on would carry the volume past the level, or stop
    // the sound though it was asked back.
    ClearFades();
    fadeTarget = level;
    if (seconds <= 0.0f) {
        volume = level;
        // Nothing else sends the gain of a sound that is not fading.
        if (active)
            FadeStep();
        return;
    }
    fadeClock = system.Now();
    if (volume < level) {
        fadingIn = true;
        fadeRate = 1.0f / seconds;
    } else if (volume > level) {
        fadingTo = true;
        fadeRate = -1.0f / seconds;
    }
}

void SoundInstance::FadeStep()
{
    SoundDriver* driver = system.GetDriver();
    if (!driver)
        return;
    if (IsFading()) {
        TimeStamp now = system.Now();
        volume += fadeRate * SoundElapsedSeconds(fadeClock, now);
        fadeClock = now;
        if (fadingIn && volume > fadeTarget) {
            fadingIn = false;
            volume = fadeTarget;
        } else if (fadingOut && volume <= 0.0f) {
            fadingOut = false;
            Stop();
        } else if (fadingTo && volume <= fadeTarget) {
            fadingTo = false;
            volume = fadeTarget;
        }
    }
    driver->SetSourceGain(sourceHandle, GetGain());
}

float SoundInstance::GetGain() const
{
    if (looping && system.IsPaused() && !playDuringPause)
        return 0.0f;
    return volume * system.GetKindVolume(kind);
}

// ---- Each frame ----------------------------------------------------------------------------

void SoundInstance::Update()
{
    if (!active)
        return;
    if (IsFading()) {
        bool wasFadingOut = fadingOut;
        FadeStep();
        if (wasFadingOut && volume <= 0.0f)
            Stop();
    }
    if (buffer == 0 && stream == 0)
        return;
    SoundDriver& driver = *system.GetDriver();
    if (!driver.IsSourcePlaying(sourceHandle)) {
        Stop();
        return;
    }
    if (driver.IsPositional(kind))
        UpdatePosition();
    SoundPos ignored;
    // A loop lives as long as its owner entity; one that never had an owner (a menu's loop)
    // plays until it is stopped.
    if (looping && owner != -1 && !system.GetWorld().FindEntityPosition(owner, ignored))
        Stop();
}

void SoundInstance::UpdatePosition()
{
    SoundDriver* driver = system.GetDriver();
    if (!driver)
        return;
    if (owner != -1)
        system.GetWorld().FindEntityPosition(owner, position);
    if (system.ShouldMoveOffListener())
        MoveOffListener();
    driver->SetSourcePosition(sourceHandle, position);
}

void SoundInstance::MoveOffListener()
{
    SoundDelta delta = system.GetWorld().DeltaTo(system.GetListenerPosition(), position);
    position.y += SoundPushAway(delta.y);
    if (delta.x != 0.0f) {
        position.x += SoundPushAway(delta.x);
        return;
    }
    if (nudge == 0.0f) {
        float draw = DrawRandomFloat();
        nudge = draw >= 0.5f ? kSoundMoveOffDistance : -kSoundMoveOffDistance;
    }
    position.x += nudge;
}
