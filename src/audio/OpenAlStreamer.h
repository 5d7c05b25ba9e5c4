// OpenAlStreamer -- plays Ogg Vorbis streams on OpenAL sources: decodes chunks into a short queue of recycled buffers.
#pragma once

#include "audio/OpenAlSource.h"

#include <AL/al.h>
#include <cstdint>
#include <deque>
#include <vector>

// Main thread only: refilling is polled from the frame, not run on a thread of its own.
class OpenAlStreamer {
public:
    // At most this many bytes are decoded per refill of one buffer: a quarter second of
    // 44.1 kHz 16-bit stereo, a second of 22.05 kHz 16-bit mono.
    static constexpr uint32_t kChunkBytes = 44100;

    OpenAlStreamer();

    // Opens the decoder over the stream and queues up to four chunks. A file the decoder
    // cannot open (one developer line names it), or one of more than two channels, plays
    // nothing and the source stays idle.
    void Start(OpenAlSource& source, const OggMemoryData* stream);
    // Refills every processed buffer; a looping stream goes on from its first sample without a
    // gap. A source that ran dry between refills starts again.
    void Refill(OpenAlSource& source);
    // Stops the source, puts its buffers back in the pool and clears the decoder. A second
    // stop only repeats the OpenAL calls.
    void Stop(OpenAlSource& source);
    // Deletes the pooled buffer names; at the driver's shut-down.
    void DeleteFreeBuffers();
    // Decoders opened and not yet cleared, over every source.
    int32_t GetOpenDecoderCount() const { return openDecoders; }

private:
    // Decodes into the shared buffer: bytes made, 0 at the end of the stream.
    int32_t DecodeChunk(OpenAlSource& source);
    ALuint TakeBuffer();
    void QueueChunk(OpenAlSource& source, ALuint buffer, int32_t bytes);

    std::deque<ALuint> freeBuffers;
    std::vector<char> decodeBuffer;
    int32_t openDecoders = 0;
};
