// OpenAlSource -- one OpenAL source of the driver with the state of the stream it may be playing.
#pragma once

#include "audio/OggMemoryReader.h"

#include <AL/al.h>
#include <array>
#include <vorbis/vorbisfile.h>

constexpr int kOpenAlStreamBuffers = 4;

struct OpenAlSource {
    ALuint name = 0;
    // The buffers of the stream that plays, 0 for a slot without one.
    std::array<ALuint, kOpenAlStreamBuffers> streamBuffers{};
    OggVorbis_File decoder{};
    // Set between a successful open and its one clear: the decoder state is cleared once only.
    bool decoderOpen = false;
    // AL_FORMAT_MONO16 or AL_FORMAT_STEREO16; 0 when nothing decodable plays.
    ALenum format = 0;
    ALsizei sampleRate = 0;
    bool streaming = false;
    bool streamLoops = false;
    // Whether the last start or refill that decoded decoded any bytes: a loop that yields
    // none has nothing to come back to.
    bool decodedLastPass = false;
    OggMemoryReader reader;
};
