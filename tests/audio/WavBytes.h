// WavBytes -- builds RIFF/WAVE files byte by byte for the sound tests.
#pragma once

#include "support/ByteText.h"

#include <cstdint>
#include <string>
#include <vector>

struct WavLayout {
    int32_t channels = 1;
    int32_t bits = 16;
    int32_t rate = 22050;
    // Bytes of "fmt " beyond the usual 16 (an extension size field, say).
    uint32_t formatExtra = 0;
    // The size the "data" header claims; -1: the true size.
    int64_t claimedDataSize = -1;
    // A chunk of this many bytes (odd sizes get their pad byte) before "fmt ".
    int32_t chunkBeforeFormat = -1;
};

inline void WavPut32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void WavPut16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void WavPutId(std::vector<uint8_t>& out, const char* id)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(id[i]));
}

inline std::vector<uint8_t> BuildWav(const std::vector<uint8_t>& samples, const WavLayout& layout = {})
{
    std::vector<uint8_t> body;
    WavPutId(body, "WAVE");
    if (layout.chunkBeforeFormat >= 0) {
        WavPutId(body, "LIST");
        WavPut32(body, static_cast<uint32_t>(layout.chunkBeforeFormat));
        body.insert(body.end(), static_cast<size_t>(layout.chunkBeforeFormat + (layout.chunkBeforeFormat & 1)), 'x');
    }
    WavPutId(body, "fmt ");
    WavPut32(body, 16 + layout.formatExtra);
    WavPut16(body, 1);
    WavPut16(body, static_cast<uint16_t>(layout.channels));
    WavPut32(body, static_cast<uint32_t>(layout.rate));
    WavPut32(body, static_cast<uint32_t>(layout.rate * layout.channels * layout.bits / 8));
    WavPut16(body, static_cast<uint16_t>(layout.channels * layout.bits / 8));
    WavPut16(body, static_cast<uint16_t>(layout.bits));
    body.insert(body.end(), layout.formatExtra, 0);
    WavPutId(body, "data");
    WavPut32(body, layout.claimedDataSize >= 0 ? static_cast<uint32_t>(layout.claimedDataSize)
                                               : static_cast<uint32_t>(samples.size()));
    body.insert(body.end(), samples.begin(), samples.end());
    std::vector<uint8_t> file;
    WavPutId(file, "RIFF");
    WavPut32(file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}
