// LittleEndian -- converts between a host's byte order and little-endian; the host order is fixed at compile time.
#pragma once

#include <bit>
#include <cstdint>

// Converting to and from little-endian is the same operation, so each width has one function.
template <std::endian Host>
struct LittleEndian {
    static_assert(Host == std::endian::little || Host == std::endian::big, "mixed-endian hosts are not supported");

    static constexpr uint16_t Convert(uint16_t value)
    {
        if constexpr (Host == std::endian::little)
            return value;
        else
            return __builtin_bswap16(value);
    }

    static constexpr uint32_t Convert(uint32_t value)
    {
        if constexpr (Host == std::endian::little)
            return value;
        else
            return __builtin_bswap32(value);
    }

    static constexpr uint64_t Convert(uint64_t value)
    {
        if constexpr (Host == std::endian::little)
            return value;
        else
            return __builtin_bswap64(value);
    }
};

using HostLittleEndian = LittleEndian<std::endian::native>;
