// SoundDriver -- the sound output device as the sound system sees it: sources, buffers, streams and the listener.
#pragma once

#include "audio/SoundWorld.h"
#include "core/BaseClass.h"

#include <cstdint>
#include <string>

struct WavInfo;

// The kinds of sound a channel plays; they decide the volume factor, the source range and
// whether the sound is placed in 3-D.
enum SoundKind : int32_t {
    kSoundMono = 0,    // a decoded mono buffer
    kSoundStereo = 1,  // a decoded stereo buffer
    kSoundStream = 2,  // an encoded sound decoded while it plays
    kSoundDialog = 3,  // a stream played in the dialog slot
    kSoundMusic = 4,
};

// Handles are plain integers: a source index (0 to count - 1), a source handle (what the
// attach calls return, -1 failure), a buffer (0 none) and a stream (0 none).
class SoundDriver : public BaseClass {
public:
    // Opens the device; false stops the start-up.
    virtual bool Init() = 0;
    // Releases every source, buffer and stream record and closes the device.
    virtual void Shutdown() = 0;
    // A slot kept free for a later device feature; the sound system never calls it.
    virtual void ReservedHook() = 0;
    // Fixed from a successful Init until Shutdown.
    virtual int32_t GetSourceCount() = 0;
    // Called once, right after a successful Init.
    virtual void PostInit() = 0;
    // The speaker layout, an index into the sound system's table of nine names.
    virtual void SetSpeakerType(int32_t type) = 0;
    // A percentage, for the statistics line.
    virtual double GetCpuUsage() = 0;
    // The sources for which IsSourcePlaying holds.
    virtual int32_t CountPlaying() = 0;
    // Refills the queues of the playing streams; once a frame.
    virtual void UpdateStreams() = 0;
    // The master volume; 0 mutes everything.
    virtual void SetListenerGain(float gain) = 0;
    virtual void SetListenerPosition(const SoundPos& position) = 0;
    virtual void StopStream(int32_t source, int32_t stream) = 0;
    // Stops a buffer source and detaches its buffer.
    virtual void StopSource(int32_t source) = 0;
    // Gains below 0 count as 0.
    virtual void SetSourceGain(int32_t source, float gain) = 0;
    virtual void SetSourcePosition(int32_t source, const SoundPos& position) = 0;
    virtual void SetSourceDistances(int32_t source, float minimum, float maximum) = 0;
    virtual void SetSourcePitch(int32_t source, int32_t sampleRate, float pitch) = 0;
    // False ends the channel that plays on the source.
    virtual bool IsSourcePlaying(int32_t source) = 0;
    virtual void SetSourceLooping(int32_t source, bool loop) = 0;
    virtual void SetStreamLooping(int32_t source, int32_t stream, bool loop) = 0;
    // A decoded sound from a parsed WAV file; 0 when the format is not one the device takes.
    // May be called from the resource loader's thread.
    virtual uint32_t CreateBuffer(const uint8_t* bytes, uint32_t byteCount, const WavInfo& wav) = 0;
    // A stream over an encoded file that its resource keeps in memory; the bytes are not
    // copied; the name is the file's, for the log. May be called from the resource loader's thread.
    virtual int32_t CreateStream(const uint8_t* bytes, uint32_t byteCount, const std::string& name) = 0;
    virtual int32_t AttachBuffer(int32_t sourceIndex, uint32_t buffer) = 0;
    virtual void PlayBuffer(int32_t source, uint32_t buffer) = 0;
    virtual int32_t AttachStream(int32_t sourceIndex, int32_t stream) = 0;
    virtual void StartStream(int32_t source, int32_t stream) = 0;
    virtual void DeleteBuffer(uint32_t buffer) = 0;
    // 0 is ignored.
    virtual void DeleteStream(int32_t stream) = 0;
    // Part of what a driver offers, though the sound system never pauses a source: a pause
    // silences looping sounds through their gain instead.
    virtual bool PauseSource(int32_t source) = 0;
    virtual bool ResumeSource(int32_t source) = 0;
    // The sources a kind of sound may use: first and count.
    virtual void GetSourceRange(int32_t kind, int32_t& first, int32_t& count) = 0;
    // False: one stream resource plays on one channel at a time.
    virtual bool CanShareStreams() = 0;
    // Whether the kind is placed in 3-D.
    virtual bool IsPositional(int32_t kind) = 0;
    // What the opened device calls itself, for the system report; empty when none is open.
    virtual std::string GetDeviceName() = 0;
};
