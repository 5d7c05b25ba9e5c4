// NoCaseHash -- hashing and equality of names that are looked up without regard to ASCII case, eight bytes at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace NoCaseWords {

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x80 * kOnes;

// Each ASCII capital of the eight bytes lowered, every other byte left as it is: a byte's
// high bit is set by the additions exactly when it lies in 'A'..'Z', and no addition carries
// into the next byte because the high bits are cleared first.
inline uint64_t Lower(uint64_t word)
{
    uint64_t low7 = word & ~kHighBits;
    uint64_t fromA = low7 + (0x80 - 'A') * kOnes;
    uint64_t pastZ = low7 + (0x80 - 'Z' - 1) * kOnes;
    uint64_t capitals = fromA & ~pastZ & ~word & kHighBits;
    return word | (capitals >> 2);
}

// The up to eight bytes from offset, zero-filled past the end.
inline uint64_t Load(std::string_view text, size_t offset)
{
    uint64_t word = 0;
    size_t count = text.size() - offset < 8 ? text.size() - offset : 8;
    std::memcpy(&word, text.data() + offset, count);
    return word;
}

} // namespace NoCaseWords

// Transparent, so that a map keyed by std::string is searched with a string_view.
struct NoCaseHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const
    {
        uint64_t hash = 0x9E3779B97F4A7C15ull ^ text.size();
        for (size_t offset = 0; offset < text.size(); offset += 8) {
            hash = (hash ^ NoCaseWords::Lower(NoCaseWords::Load(text, offset))) * 0xFF51AFD7ED558CCDull;
            hash ^= hash >> 32;
        }
        return static_cast<size_t>(hash);
    }
};

struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const
    {
        if (a.size() != b.size())
            return false;
        for (size_t offset = 0; offset < a.size(); offset += 8) {
            if (NoCaseWords::Lower(NoCaseWords::Load(a, offset)) != NoCaseWords::Lower(NoCaseWords::Load(b, offset)))
                return false;
        }
        return true;
    }
};
