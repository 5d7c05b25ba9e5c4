// RandomSystem -- five independent linear congruential streams with the engine's exact step.
#include "core/RandomSystem.h"

#include "core/DebugSystem.h"
#include "core/MathUtil.h"

#include <algorithm>
#include <cmath>
#include <utility>

RandomSystem* gRandomSystem = nullptr;

namespace {

constexpr uint32_t kMultiplier = 0x8B1D5u;
constexpr uint32_t kIncrement = 0x8B1D3Fu;

uint32_t Step(uint32_t state)
{
    return state * kMultiplier + kIncrement;
}

int StreamIndex(RandomStream stream)
{
    return static_cast<int>(stream);
}

bool IsValidStream(RandomStream stream)
{
    return StreamIndex(stream) >= 0 && StreamIndex(stream) < kRandomStreamCount;
}

} // namespace

RandomSystem::RandomSystem(uint32_t seed)
{
    Seed(seed);
}

void RandomSystem::Seed(uint32_t seed)
{
    states[0] = seed;
    for (int i = 1; i < kRandomStreamCount; ++i)
        states[i] = Step(states[i - 1]);
}

uint32_t& RandomSystem::StateOf(RandomStream stream)
{
    if (IsValidStream(stream))
        return states[StreamIndex(stream)];
    DebugSystem::Print(kPrintError, "Random stream %d does not exist\n", StreamIndex(stream));
    return states[0];
}

uint32_t RandomSystem::Next(RandomStream stream)
{
    uint32_t& state = StateOf(stream);
    state = Step(state);
    return state;
}

float RandomSystem::RandomFloat(RandomStream stream)
{
    return static_cast<float>((Next(stream) >> 16) & 0x7FFFu) / 32768.0f;
}

int32_t RandomSystem::IndexFromFraction(float fraction, int32_t min, int32_t max)
{
    if (max < min)
        return min;
    // The span is taken in 64 bits: [INT32_MIN, INT32_MAX] holds 2^32 values.
    int64_t span = static_cast<int64_t>(max) - min + 1;
    float product = fraction * static_cast<float>(span);
    int64_t offset = 0;
    if (product >= static_cast<float>(span))
        offset = span - 1;
    else if (product > 0.0f)
        offset = std::min(static_cast<int64_t>(product), span - 1);
    return static_cast<int32_t>(min + offset);
}

int32_t RandomSystem::RandomInt(RandomStream stream, int32_t n)
{
    float fraction = RandomFloat(stream);
    return n <= 0 ? 0 : IndexFromFraction(fraction, 0, n - 1);
}

int32_t RandomSystem::RandomIndex(RandomStream stream, int32_t min, int32_t max)
{
    return IndexFromFraction(RandomFloat(stream), min, max);
}

int32_t RandomSystem::RandomIndex8(RandomStream stream)
{
    return RandomInt(stream, 8);
}

float RandomSystem::RandomRange(RandomStream stream, float a, float b)
{
    return a + RandomFloat(stream) * (b - a);
}

float RandomSystem::RandomScaled(RandomStream stream, float scale)
{
    return RandomFloat(stream) * scale;
}

Vector2 RandomSystem::RandomDirection2D(RandomStream stream)
{
    Vector2 direction;
    direction.x = 2.0f * RandomFloat(stream) - 1.0f;
    direction.y = 2.0f * RandomFloat(stream) - 1.0f;
    Vector2Normalize(direction);
    return direction;
}

Vector3 RandomSystem::RandomDirection3D(RandomStream stream)
{
    Vector3 direction;
    direction.x = 2.0f * RandomFloat(stream) - 1.0f;
    direction.y = 2.0f * RandomFloat(stream) - 1.0f;
    direction.z = 2.0f * RandomFloat(stream) - 1.0f;
    Vector3Normalize(direction);
    return direction;
}

float RandomSystem::RandomSigned(float value, float fraction)
{
    float reach = value * fraction;
    return value + RandomRange(RandomStream::GameData, -reach, reach);
}

int32_t RandomSystem::RandomRound(float x)
{
    float draw = RandomFloat(RandomStream::GameData);
    if (!std::isfinite(x))
        return 0;
    float magnitude = std::fabs(x);
    float whole = std::floor(magnitude);
    // Above 2^23 a float has no fraction, so the +1 can never push past the saturated limit.
    int32_t result = FloorToInt(magnitude) + (draw < magnitude - whole ? 1 : 0);
    return x < 0.0f ? -result : result;
}

void RandomSystem::PickDistinctIndices(int32_t n, int32_t k, std::vector<int32_t>& out)
{
    out.clear();
    if (n <= 0 || k <= 0)
        return;
    std::vector<int32_t> pool(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        pool[static_cast<size_t>(i)] = i;
    int32_t count = std::min(n, k);
    out.reserve(static_cast<size_t>(count));
    // A partial shuffle: each draw picks one of the indices not yet taken.
    for (int32_t i = 0; i < count; ++i) {
        int32_t j = RandomIndex(RandomStream::GameData, i, n - 1);
        std::swap(pool[static_cast<size_t>(i)], pool[static_cast<size_t>(j)]);
        out.push_back(pool[static_cast<size_t>(i)]);
    }
}

uint32_t RandomSystem::GetState(RandomStream stream) const
{
    return IsValidStream(stream) ? states[StreamIndex(stream)] : 0;
}

void RandomSystem::SetState(RandomStream stream, uint32_t state)
{
    if (!IsValidStream(stream)) {
        DebugSystem::Print(kPrintError, "Random stream %d does not exist\n", StreamIndex(stream));
        return;
    }
    states[StreamIndex(stream)] = state;
}

float DrawRandomFloat(RandomStream stream, float fallback)
{
    return gRandomSystem ? gRandomSystem->RandomFloat(stream) : fallback;
}

uint32_t DrawRandomStep(RandomStream stream)
{
    return gRandomSystem ? gRandomSystem->Next(stream) : 0u;
}

int32_t DrawRandomIndex(RandomStream stream, int32_t min, int32_t max)
{
    return gRandomSystem ? gRandomSystem->RandomIndex(stream, min, max) : min;
}

float DrawRandomRange(RandomStream stream, float a, float b)
{
    return gRandomSystem ? gRandomSystem->RandomRange(stream, a, b) : a;
}

float DrawRandomScaled(RandomStream stream, float scale, float fallback)
{
    return gRandomSystem ? gRandomSystem->RandomScaled(stream, scale) : fallback * scale;
}

int32_t DrawRandomRound(float x)
{
    if (gRandomSystem)
        return gRandomSystem->RandomRound(x);
    return std::isfinite(x) ? SaturatingInt(x) : 0;
}
