// RandomSystem -- five independent linear congruential streams with the engine's exact step.
#pragma once

#include "core/BaseClass.h"

#include <cstdint>

// A distinct type so that a stream can never be passed where a bound is expected.
enum class RandomStream : int {
    GameData = 0,  // general picks of game data, models and effects
    BlockPoints = 1,
    BlockPlacement = 2,
    Quest = 3,
    Names = 4,
};
constexpr int kRandomStreamCount = 5;

class RandomSystem : public BaseClass {
public:
    // x = x * 0x8B1D5 + 0x8B1D3F (mod 2^32); stored and returned.
    uint32_t Next(RandomStream stream);
    // ((x >> 16) & 0x7FFF) / 32768 after one step.
    float RandomFloat(RandomStream stream);
    // [0, n-1]; n <= 0 still steps the stream and gives 0.
    int32_t RandomInt(RandomStream stream, int32_t n);
    // [min, max]; max < min still steps the stream and gives min.
    int32_t RandomIndex(RandomStream stream, int32_t min, int32_t max);
    float RandomRange(RandomStream stream, float a, float b);
    uint32_t GetState(RandomStream stream) const;
    void SetState(RandomStream stream, uint32_t state);

private:
    uint32_t states[kRandomStreamCount] = {};
};

extern RandomSystem* gRandomSystem;
