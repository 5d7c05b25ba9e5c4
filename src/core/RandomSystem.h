// RandomSystem -- five independent linear congruential streams with the engine's exact step.
#pragma once

#include "core/BaseClass.h"
#include "core/Vector.h"

#include <cstdint>
#include <vector>

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
    // Every state 0 until seeded.
    RandomSystem() = default;
    explicit RandomSystem(uint32_t seed);
    // The composition root passes the clock. Stream 0 takes the seed, each later stream the
    // state one step on from the stream before it, so no two streams start alike.
    void Seed(uint32_t seed);

    // x = x * 0x8B1D5 + 0x8B1D3F (mod 2^32); stored and returned.
    uint32_t Next(RandomStream stream);
    // ((x >> 16) & 0x7FFF) / 32768 after one step.
    float RandomFloat(RandomStream stream);
    // [0, n-1]; n <= 0 still steps the stream and gives 0.
    int32_t RandomInt(RandomStream stream, int32_t n);
    // [min, max]; max < min still steps the stream and gives min.
    int32_t RandomIndex(RandomStream stream, int32_t min, int32_t max);
    // 0 to 7: a draw times 8, 8 taken as 7.
    int32_t RandomIndex8(RandomStream stream);
    // a + r * (b - a).
    float RandomRange(RandomStream stream, float a, float b);
    // r * scale.
    float RandomScaled(RandomStream stream, float scale);
    // The vector of two draws each taken to 2r - 1, normalised (x drawn first).
    Vector2 RandomDirection2D(RandomStream stream);
    // The same with three draws, x, y, z; a beam's joints are jittered from stream 3 this way.
    Vector3 RandomDirection3D(RandomStream stream);

    // value + a uniform amount in [-value * fraction, value * fraction), from stream 0.
    float RandomSigned(float value, float fraction);
    // floor(|x|), plus one when a draw of stream 0 falls below the fraction of |x|; the sign kept,
    // so the result averages x. A non-finite x gives 0 (the stream still steps).
    int32_t RandomRound(float x);
    // Replaces out with min(n, k) distinct indices of 0..n-1 in draw order, from stream 0.
    void PickDistinctIndices(int32_t n, int32_t k, std::vector<int32_t>& out);

    uint32_t GetState(RandomStream stream) const;
    void SetState(RandomStream stream, uint32_t state);

    // min + trunc(fraction * (max - min + 1)), with a product that reaches the span giving max;
    // max < min gives min. The step every bounded draw ends in.
    static int32_t IndexFromFraction(float fraction, int32_t min, int32_t max);

private:
    uint32_t& StateOf(RandomStream stream);

    uint32_t states[kRandomStreamCount] = {};
};

extern RandomSystem* gRandomSystem;

// Draws of the process-wide system for code that also runs without one (a tool, a bare test
// world): with no system each gives its stated fallback and no stream steps.
float DrawRandomFloat(RandomStream stream = RandomStream::GameData, float fallback = 0.0f);
// 0 without a system.
uint32_t DrawRandomStep(RandomStream stream);
// min without a system.
int32_t DrawRandomIndex(RandomStream stream, int32_t min, int32_t max);
// a without a system.
float DrawRandomRange(RandomStream stream, float a, float b);
// The fallback draw times the scale without a system.
float DrawRandomScaled(RandomStream stream, float scale, float fallback = 0.0f);
// x toward zero without a system, 0 for a non-finite x as RandomRound gives.
int32_t DrawRandomRound(float x);
