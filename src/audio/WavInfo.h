// WavInfo -- what the WAV reader finds in a RIFF/WAVE file: its format and where its samples lie.
#pragma once

#include <cstddef>
#include <cstdint>

// All zero when the bytes are not a usable WAV file.
struct WavInfo {
    int32_t formatTag = 0;
    int32_t sampleRate = 0;
    int32_t bitsPerSample = 0;
    int32_t channelCount = 0;
    // Data bytes / (bits / 8): single samples, not frames; 0 below 8 bits per sample.
    int32_t sampleCount = 0;
    // Inside the file bytes, which must outlive every use of it.
    const uint8_t* samples = nullptr;

    // (bits / 8) x sample count: never more than the file holds past the samples' start.
    size_t GetDataBytes() const;
};

// Fills info from a RIFF/WAVE file: the "fmt " chunk's format tag, channel count, rate and bits,
// and the "data" chunk's samples. On a big-endian machine 16-bit samples are turned to native
// order in place. A file that is not RIFF/WAVE or lacks a whole "fmt " chunk leaves info zero.
void ReadWav(uint8_t* bytes, size_t byteCount, WavInfo& info);
