// SoundInstance -- one playback channel: what it plays, where, how loud, its fades and its driver source.
#pragma once

#include "audio/SoundWorld.h"
#include "core/TimeStamp.h"

#include <cstdint>

class SoundSystem;
class SoundBankResource;

// Slots an owner's sounds play in: 1 and above are numbered slots where a new sound replaces
// the old one; 0 and -1 replace nothing.
constexpr int32_t kSoundSlotLevelBase = -2;  // the level's ambient base sound
constexpr int32_t kSoundSlotDialog = -3;     // the story voice and other dialog

class SoundInstance {
public:
    static constexpr float kDefaultMinDistance = 64.0f;
    static constexpr float kDefaultMaxDistance = 10000.0f;

    SoundInstance(SoundSystem& system, int32_t index);
    // Lets go of the resource the channel holds.
    ~SoundInstance();
    SoundInstance(const SoundInstance&) = delete;
    SoundInstance& operator=(const SoundInstance&) = delete;

    // Plays a sound, music or sound-bank resource. A minimum distance above 0 replaces the
    // resource's; a fade-in time above 0 fades the sound in over that many seconds. Nothing
    // plays for a failed or empty resource or when no source of the kind is free.
    void Play(int32_t handle, const SoundPos& position, int32_t owner, int32_t slot, bool loop, float minDistance,
              float fadeIn);
    // Stops the channel and frees its source.
    void Stop();
    void FadeOut(float seconds);
    // Moves the volume to the level over the time; at once for a time of 0 or less.
    void SetVolumeFaded(float seconds, float level);
    // Once a frame: fades, position, and the end of the sound.
    void Update();
    void UpdatePosition();
    // The channel's volume times its kind's factor; 0 for a loop silenced by the pause.
    float GetGain() const;
    // Runs one fade step when a fade is on, then sends the gain to the driver.
    void FadeStep();
    // Starts a channel as music on its fixed source: always looping.
    void StartMusic(int32_t handle, int32_t stream, int32_t sourceIndex, float fadeIn, float level);
    // Gives up the held resource (at shut-down, before the resources are flushed).
    void ReleaseResource();

    int32_t GetIndex() const { return index; }
    bool IsActive() const { return active; }
    bool IsFadingOut() const { return fadingOut; }
    bool IsFading() const { return fadingIn || fadingOut || fadingTo; }
    int32_t GetKind() const { return kind; }
    int32_t GetOwner() const { return owner; }
    int32_t GetSlot() const { return slot; }
    int32_t GetResource() const { return resource; }
    int32_t GetSourceIndex() const { return sourceIndex; }
    int32_t GetSourceHandle() const { return sourceHandle; }
    float GetVolume() const { return volume; }
    float GetPitch() const { return pitch; }
    float GetMinDistance() const { return minDistance; }
    bool IsLooping() const { return looping; }
    const SoundPos& GetPosition() const { return position; }

private:
    // Step 1 of Play: the resource's sound, music or bank draw; false when nothing can play.
    bool SetUpFrom(int32_t handle);
    void SetUpFromBank(SoundBankResource& bank);
    void HoldResource(int32_t handle);
    void StartFadeIn(float seconds);
    void ClearFades();
    // Attaches the buffer or stream to the free source; false (source given back) when it fails.
    bool TakeSource();
    void StartPlaying(bool loop);
    void MoveOffListener();

    SoundSystem& system;
    const int32_t index;
    int32_t sourceIndex = -1;
    int32_t sourceHandle = -1;
    uint32_t buffer = 0;
    int32_t stream = 0;
    int32_t resource = -1;
    bool active = false;
    float minDistance = kDefaultMinDistance;
    float maxDistance = kDefaultMaxDistance;
    float volume = 1.0f;
    int32_t sampleRate = 0;
    float pitch = 1.0f;
    int32_t owner = -1;
    int32_t slot = 0;
    int32_t kind = 0;
    bool looping = false;
    bool playDuringPause = false;
    SoundPos position;
    bool fadingOut = false;
    bool fadingIn = false;
    bool fadingTo = false;
    TimeStamp fadeClock;
    // Volume units per second; negative while falling.
    float fadeRate = 0.0f;
    float fadeTarget = 0.0f;
    // The side, +2 or -2, a sound on the listener's axis was first moved to; 0 until then.
    float nudge = 0.0f;
};
