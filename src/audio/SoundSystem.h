// SoundSystem -- the game's sound front end: the sound user vars, 256 channels, the listener, volumes and music.
#pragma once

#include "audio/SoundDriver.h"
#include "audio/SoundInstance.h"
#include "audio/SoundWorld.h"
#include "core/BaseClass.h"
#include "core/TimeStamp.h"
#include "core/UserVarRef.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ResourceManager;

// Main thread only, except IsInitialised and GetDriver, which the sound resources' factories
// call on the resource loader's thread. While it is not initialised every operation returns
// at once (null or -1 where it returns something).
class SoundSystem : public BaseClass {
public:
    static constexpr int32_t kChannelCount = 256;
    // Channels 0 and 1 are music's; PlayMusic alternates between them.
    static constexpr int32_t kMusicChannels = 2;
    static constexpr int32_t kSpeakerTypeCount = 9;
    static constexpr int32_t kDefaultSpeakerType = 4;
    static const char* const kSpeakerTypeNames[kSpeakerTypeCount];

    // The clock fades run on; the default reads the timer's game clock.
    using Clock = std::function<TimeStamp()>;

    // The world must outlive the system.
    explicit SoundSystem(const SoundWorld& world, Clock clock = {});
    ~SoundSystem() override;

    // The list providers "getSpeakerTypes" and "getSoundDevices", and the resource types.
    void RegisterCommands(ResourceManager& manager);
    // "snd", "wav", "lsb" and "ogg".
    static void RegisterTypes(ResourceManager& manager);

    // Registers the user vars and starts the driver, which the system then owns. True also
    // when "s_initSound" is off (the game runs silent); false for a null driver or one that
    // fails to start.
    bool Init(std::unique_ptr<SoundDriver> driver);
    // Once a client frame: volumes, the window's activity, channels, speakers, listener, streams.
    bool Update();
    // Stops every channel, then the driver.
    void Shutdown();
    // Stops every channel and lets go of what each held: before the resources are flushed,
    // while the driver can still delete their buffers.
    void ReleaseChannels();

    // The first inactive channel from 2 upward.
    SoundInstance* FindFreeChannel();
    // The first active channel, not fading out, with that owner and slot.
    SoundInstance* FindOwnerChannel(int32_t owner, int32_t slot);
    // Plays on a free channel; in a numbered slot (1 and above) of a real owner the owner's old
    // sound in that slot stops first.
    void PlayOwnedSound(int32_t handle, const SoundPos& position, int32_t owner, int32_t slot, bool loop,
                       float minDistance, float fadeIn);
    void StopResource(int32_t handle);
    // Stops the music at once and starts the track on the other music channel, looping.
    void PlayMusic(int32_t handle, float fadeIn, float level);
    void StopMusic(float fadeOut);
    void SetMusicVolume(float fadeTime, float level);
    // The first free source of the kind's range, -1 when all are busy.
    int32_t FindFreeSource(int32_t kind);
    // Frees the channel's source in the table if the table still gives it to that channel.
    void ReleaseSource(int32_t channel);
    void TakeSource(int32_t source, int32_t channel);
    // A fade step (and the gain sent) for every active channel of the kind.
    void RefreshKind(int32_t kind);

    bool IsInitialised() const { return initialised.load(std::memory_order_acquire); }
    // Null while not initialised.
    SoundDriver* GetDriver() const { return IsInitialised() ? driver.get() : nullptr; }
    std::string GetDeviceName() const;
    const SoundWorld& GetWorld() const { return world; }
    TimeStamp Now() const { return clock(); }
    // Null for an index outside 0 to 255, or before Init.
    SoundInstance* GetChannel(int32_t index);
    int32_t GetMusicChannel() const { return musicChannel; }
    int32_t GetSourceCount() const { return sourceCount; }
    // -1 for a free source or one outside the table.
    int32_t GetSourceChannel(int32_t source) const;
    // The volume factor of a kind: music, dialog or effects.
    float GetKindVolume(int32_t kind) const;
    float GetMusicVolume() const { return musicVolume; }
    bool IsPaused() const { return paused; }
    bool IsMuted() const { return muted; }
    bool ShouldMoveOffListener() const { return moveOffListener.GetBool(); }
    const SoundPos& GetListenerPosition() const { return listener; }
    int32_t GetSpeakerType() const { return speakerType; }

private:
    void RegisterVars();
    void UpdateVolumes();
    void UpdateSpeakerType();
    void UpdateListener();
    void RegisterListProviders();

    const SoundWorld& world;
    Clock clock;
    std::unique_ptr<SoundDriver> driver;
    int32_t sourceCount = 0;
    UserVarRef cpuUsage;
    UserVarRef soundsPlaying;
    UserVarRef initSound;
    UserVarRef volumeMasterVar;
    UserVarRef volumeSfxVar;
    UserVarRef volumeMusicVar;
    UserVarRef volumeDialogVar;
    UserVarRef speakerTypeVar;
    UserVarRef soundDevice;
    UserVarRef moveOffListener;
    int32_t speakerType = 0;
    float masterVolume = 1.0f;
    float effectsVolume = 1.0f;
    float musicVolume = 1.0f;
    float dialogVolume = 1.0f;
    int32_t musicChannel = -1;
    std::vector<std::unique_ptr<SoundInstance>> channels;
    std::vector<int32_t> sourceChannels;
    bool muted = false;
    bool paused = false;
    std::atomic<bool> initialised{false};
    SoundPos listener;
};

extern SoundSystem* gSoundSystem;
