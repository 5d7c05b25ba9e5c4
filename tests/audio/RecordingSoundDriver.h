// RecordingSoundDriver -- a sound driver that plays nothing and writes down every call, for the front-end tests.
#pragma once

#include "audio/SoundDriver.h"
#include "audio/WavInfo.h"

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// Sources split like OpenAL's: the first two for music, the rest for every other kind. A
// source plays from its start until the test ends it. The resource factories call in from the
// loader thread, so everything is under one lock.
class RecordingSoundDriver : public SoundDriver {
public:
    explicit RecordingSoundDriver(int32_t sources = 8, bool starts = true) : sources(sources), starts(starts) {}

    bool Init() override { return Note("Init"), starts; }
    void Shutdown() override { Note("Shutdown"); }
    // Noted so that the call lists show the sound system never uses it.
    void ReservedHook() override { Note("ReservedHook"); }
    int32_t GetSourceCount() override { return sources; }
    void PostInit() override { Note("PostInit"); }
    void SetSpeakerType(int32_t type) override { Note("Speakers " + std::to_string(type)); }
    double GetCpuUsage() override { return 12.5; }
    int32_t CountPlaying() override
    {
        std::lock_guard<std::mutex> guard(lock);
        return static_cast<int32_t>(playing.size());
    }
    void UpdateStreams() override { Note("UpdateStreams"); }
    void SetListenerGain(float gain) override
    {
        std::lock_guard<std::mutex> guard(lock);
        listenerGain = gain;
    }
    void SetListenerPosition(const SoundPos& position) override
    {
        std::lock_guard<std::mutex> guard(lock);
        listener = position;
    }
    void StopStream(int32_t source, int32_t stream) override
    {
        Note("StopStream " + std::to_string(source) + " " + std::to_string(stream));
        End(source);
    }
    void StopSource(int32_t source) override
    {
        Note("StopSource " + std::to_string(source));
        End(source);
    }
    void SetSourceGain(int32_t source, float gain) override
    {
        std::lock_guard<std::mutex> guard(lock);
        gains[source] = gain;
    }
    void SetSourcePosition(int32_t source, const SoundPos& position) override
    {
        std::lock_guard<std::mutex> guard(lock);
        positions[source] = position;
    }
    void SetSourceDistances(int32_t source, float minimum, float) override
    {
        std::lock_guard<std::mutex> guard(lock);
        minimums[source] = minimum;
    }
    void SetSourcePitch(int32_t source, int32_t, float pitch) override
    {
        std::lock_guard<std::mutex> guard(lock);
        pitches[source] = pitch;
    }
    bool IsSourcePlaying(int32_t source) override
    {
        std::lock_guard<std::mutex> guard(lock);
        return playing.count(source) != 0;
    }
    void SetSourceLooping(int32_t source, bool loop) override
    {
        std::lock_guard<std::mutex> guard(lock);
        loops[source] = loop;
    }
    void SetStreamLooping(int32_t source, int32_t, bool loop) override
    {
        std::lock_guard<std::mutex> guard(lock);
        loops[source] = loop;
    }
    uint32_t CreateBuffer(const uint8_t*, uint32_t, const WavInfo& wav) override
    {
        std::lock_guard<std::mutex> guard(lock);
        buffersMade.push_back(wav.sampleCount);
        return static_cast<uint32_t>(100 + buffersMade.size());
    }
    int32_t CreateStream(const uint8_t*, uint32_t byteCount, const std::string&) override
    {
        std::lock_guard<std::mutex> guard(lock);
        streamsMade.push_back(byteCount);
        return static_cast<int32_t>(500 + streamsMade.size());
    }
    int32_t AttachBuffer(int32_t sourceIndex, uint32_t) override { return attachFails ? -1 : sourceIndex; }
    void PlayBuffer(int32_t source, uint32_t buffer) override
    {
        Note("PlayBuffer " + std::to_string(source) + " " + std::to_string(buffer));
        Begin(source);
    }
    int32_t AttachStream(int32_t sourceIndex, int32_t) override { return attachFails ? -1 : sourceIndex; }
    void StartStream(int32_t source, int32_t stream) override
    {
        Note("StartStream " + std::to_string(source) + " " + std::to_string(stream));
        Begin(source);
    }
    void DeleteBuffer(uint32_t buffer) override { Note("DeleteBuffer " + std::to_string(buffer)); }
    void DeleteStream(int32_t stream) override { Note("DeleteStream " + std::to_string(stream)); }
    bool PauseSource(int32_t) override { return true; }
    bool ResumeSource(int32_t) override { return true; }
    void GetSourceRange(int32_t kind, int32_t& first, int32_t& count) override
    {
        first = kind == kSoundMusic ? 0 : 2;
        count = kind == kSoundMusic ? 2 : kind >= 0 && kind < kSoundMusic ? sources - 2 : 0;
    }
    bool CanShareStreams() override { return sharesStreams; }
    bool IsPositional(int32_t kind) override { return kind == kSoundMono || kind == kSoundStream || kind == kSoundDialog; }
    std::string GetDeviceName() override { return "Recording"; }

    // The sound on the source has run out.
    void End(int32_t source)
    {
        std::lock_guard<std::mutex> guard(lock);
        playing.erase(source);
    }
    std::vector<std::string> Calls() const
    {
        std::lock_guard<std::mutex> guard(lock);
        return calls;
    }
    int CountCalls(const std::string& prefix) const
    {
        std::lock_guard<std::mutex> guard(lock);
        int count = 0;
        for (const std::string& call : calls)
            count += call.rfind(prefix, 0) == 0 ? 1 : 0;
        return count;
    }
    float Gain(int32_t source) const
    {
        std::lock_guard<std::mutex> guard(lock);
        auto found = gains.find(source);
        return found == gains.end() ? -1.0f : found->second;
    }

    mutable std::mutex lock;
    int32_t sources;
    bool starts;
    bool attachFails = false;
    bool sharesStreams = true;
    std::vector<std::string> calls;
    std::set<int32_t> playing;
    std::map<int32_t, float> gains;
    std::map<int32_t, SoundPos> positions;
    std::map<int32_t, float> minimums;
    std::map<int32_t, float> pitches;
    std::map<int32_t, bool> loops;
    std::vector<int32_t> buffersMade;
    std::vector<uint32_t> streamsMade;
    float listenerGain = -1.0f;
    SoundPos listener;

private:
    void Note(const std::string& call)
    {
        std::lock_guard<std::mutex> guard(lock);
        calls.push_back(call);
    }
    void Begin(int32_t source)
    {
        std::lock_guard<std::mutex> guard(lock);
        playing.insert(source);
    }
};
