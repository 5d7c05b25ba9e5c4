// WavInfo -- what the WAV reader finds in a RIFF/WAVE file: its format and where its samples lie.
#include "audio/WavInfo.h"

#include "core/system/PlatformSystem.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

constexpr uint64_t kWavChunkHeaderBytes = 8;
// Format tag, channels, rate, byte rate, block align and bits: what every "fmt " chunk holds.
constexpr uint32_t kWavMinFormatBytes = 16;

struct WavChunk {
    uint64_t dataOffset = 0;
    uint64_t size = 0;
};

// The file's fields are little-endian: the platform turns them to the host's order; without one
// (a tool, a test) they are put together byte by byte.
uint32_t WavReadU32(const uint8_t* at)
{
    if (!gPlatformSystem)
        return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
               static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
    int32_t stored;
    std::memcpy(&stored, at, 4);
    return static_cast<uint32_t>(gPlatformSystem->FromLittle32(stored));
}

uint16_t WavReadU16(const uint8_t* at)
{
    if (!gPlatformSystem)
        return static_cast<uint16_t>(at[0] | at[1] << 8);
    uint16_t stored;
    std::memcpy(&stored, at, 2);
    return gPlatformSystem->FromLittle16(stored);
}

// Walks the chunks from start and gives the first with the identifier. Offsets are 64-bit, so
// a chunk that claims 4 GB steps past the end instead of wrapping back into the file.
bool WavFindChunk(const uint8_t* bytes, uint64_t byteCount, uint64_t start, const char* id, WavChunk& out)
{
    uint64_t position = start;
    while (position + kWavChunkHeaderBytes <= byteCount) {
        uint64_t size = WavReadU32(bytes + position + 4);
        if (std::memcmp(bytes + position, id, 4) == 0) {
            out = {position + kWavChunkHeaderBytes, size};
            return true;
        }
        position += kWavChunkHeaderBytes + size + (size & 1);
    }
    return false;
}

void WavSwapSamplesToNative(WavInfo& info)
{
    if (!gPlatformSystem || !gPlatformSystem->IsBigEndian())
        return;
    auto* sample = const_cast<uint8_t*>(info.samples);
    for (int32_t i = 0; i < info.sampleCount; ++i, sample += 2) {
        uint16_t stored;
        std::memcpy(&stored, sample, 2);
        stored = gPlatformSystem->FromLittle16(stored);
        std::memcpy(sample, &stored, 2);
    }
}

} // namespace

size_t WavInfo::GetDataBytes() const
{
    return bitsPerSample >= 8 ? static_cast<size_t>(bitsPerSample / 8) * static_cast<size_t>(sampleCount) : 0;
}

void ReadWav(uint8_t* bytes, size_t byteCount, WavInfo& info)
{
    info = WavInfo();
    WavChunk riff;
    if (!bytes || !WavFindChunk(bytes, byteCount, 0, "RIFF", riff) || riff.dataOffset + 4 > byteCount ||
        std::memcmp(bytes + riff.dataOffset, "WAVE", 4) != 0)
        return;
    WavChunk format;
    // A short "fmt " chunk, or one cut by the end of the file, would have its fields read
    // from whatever follows it.
    if (!WavFindChunk(bytes, byteCount, riff.dataOffset + 4, "fmt ", format) || format.size < kWavMinFormatBytes ||
        format.dataOffset + kWavMinFormatBytes > byteCount)
        return;
    const uint8_t* fields = bytes + format.dataOffset;
    info.formatTag = static_cast<int16_t>(WavReadU16(fields));
    info.channelCount = WavReadU16(fields + 2);
    info.sampleRate = static_cast<int32_t>(WavReadU32(fields + 4));
    info.bitsPerSample = WavReadU16(fields + 14);
    WavChunk data;
    // A longer "fmt " chunk makes the first search start inside it; the second walks from the top.
    if (!WavFindChunk(bytes, byteCount, format.dataOffset + kWavMinFormatBytes, "data", data) &&
        !WavFindChunk(bytes, byteCount, riff.dataOffset + 4, "data", data))
        return;
    // A "data" chunk that claims more than the file holds keeps only what is there.
    uint64_t dataBytes = std::min<uint64_t>(data.size, byteCount - data.dataOffset);
    info.samples = bytes + data.dataOffset;
    if (info.bitsPerSample >= 8)
        info.sampleCount = static_cast<int32_t>(std::min<uint64_t>(dataBytes / (info.bitsPerSample / 8), INT32_MAX));
    if (info.bitsPerSample == 16)
        WavSwapSamplesToNative(info);
}
