// OpenAlSoundDriver -- the sound driver over OpenAL: device start-up, sources, buffers, positions and Ogg streams.
#pragma once

#include "audio/OpenAlDeviceFactory.h"
#include "audio/OpenAlSource.h"
#include "audio/OpenAlStreamer.h"
#include "audio/SoundDriver.h"

#include <AL/alc.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class SoundWorld;

// The resource loader creates and deletes buffers and stream records on its own thread while
// the main thread plays: one lock around every operation keeps OpenAL's shared error state
// and the stream table whole.
class OpenAlSoundDriver : public SoundDriver {
public:
    // OpenAL hands out no more sources than this.
    static constexpr int32_t kMaxSources = 256;
    // Every sound lies at least this far in front of the listener.
    static constexpr float kMinimumDepth = 16.0f;

    // The world gives the reference that positions are taken relative to; it must outlive
    // the driver.
    explicit OpenAlSoundDriver(const SoundWorld& world,
                               std::unique_ptr<OpenAlDeviceFactory> factory = std::make_unique<OpenAlDeviceFactory>());
    ~OpenAlSoundDriver() override;

    bool Init() override;
    void Shutdown() override;
    void ReservedHook() override;
    int32_t GetSourceCount() override;
    void PostInit() override;
    void SetSpeakerType(int32_t type) override;
    double GetCpuUsage() override;
    int32_t CountPlaying() override;
    void UpdateStreams() override;
    void SetListenerGain(float gain) override;
    void SetListenerPosition(const SoundPos& position) override;
    void StopStream(int32_t source, int32_t stream) override;
    void StopSource(int32_t source) override;
    void SetSourceGain(int32_t source, float gain) override;
    void SetSourcePosition(int32_t source, const SoundPos& position) override;
    void SetSourceDistances(int32_t source, float minimum, float maximum) override;
    void SetSourcePitch(int32_t source, int32_t sampleRate, float pitch) override;
    bool IsSourcePlaying(int32_t source) override;
    void SetSourceLooping(int32_t source, bool loop) override;
    void SetStreamLooping(int32_t source, int32_t stream, bool loop) override;
    uint32_t CreateBuffer(const uint8_t* bytes, uint32_t byteCount, const WavInfo& wav) override;
    int32_t CreateStream(const uint8_t* bytes, uint32_t byteCount, const std::string& name) override;
    int32_t AttachBuffer(int32_t sourceIndex, uint32_t buffer) override;
    void PlayBuffer(int32_t source, uint32_t buffer) override;
    int32_t AttachStream(int32_t sourceIndex, int32_t stream) override;
    void StartStream(int32_t source, int32_t stream) override;
    void DeleteBuffer(uint32_t buffer) override;
    void DeleteStream(int32_t stream) override;
    bool PauseSource(int32_t source) override;
    bool ResumeSource(int32_t source) override;
    void GetSourceRange(int32_t kind, int32_t& first, int32_t& count) override;
    bool CanShareStreams() override;
    bool IsPositional(int32_t kind) override;
    std::string GetDeviceName() override;

    int32_t GetOpenDecoderCount() const;

private:
    // The OpenAL coordinates of a place: relative to the world's reference, depth away from
    // the listener; with the floor, never nearer than kMinimumDepth.
    void ToOpenAl(const SoundPos& position, bool floorDepth, float out[3]) const;
    bool OpenDevice();
    int32_t ProbeSourceCount();
    bool MakeSources(int32_t count);
    void CloseDevice();
    OpenAlSource* FindSource(int32_t source);
    const OggMemoryData* FindStream(int32_t stream) const;
    bool IsStreamPlaying(const OpenAlSource& source) const;

    const SoundWorld& world;
    std::unique_ptr<OpenAlDeviceFactory> factory;
    mutable std::recursive_mutex lock;
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    std::string deviceName;
    std::vector<OpenAlSource> sources;
    OpenAlStreamer streamer;
    // Stream handle h is entry h - 1; a deleted record leaves its entry empty for reuse.
    std::vector<std::unique_ptr<OggMemoryData>> streams;
};
