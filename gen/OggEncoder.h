// OggEncoder -- encodes 16-bit PCM as an Ogg Vorbis file, the same bytes on every run.
#pragma once

#include <cstdint>
#include <vector>

// samples are interleaved, channels per frame; quality from -0.1 to 1.0 (libvorbisenc's VBR
// scale). Empty on failure (an encoder that refuses the rate or channel count).
std::vector<uint8_t> EncodeOggVorbis(const std::vector<int16_t>& samples, int channels, int sampleRate,
                                     float quality);
