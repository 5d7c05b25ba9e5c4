// WeatherFront -- one moving patch of rain and wind: its fade, life and change timers, its strength, drift and reach.
#pragma once

#include "core/RandomTimer.h"
#include "core/Vector.h"
#include "world/WorldPos.h"

class MessageBuffer;
class RandomSystem;
struct WeatherTuning;

class WeatherFront {
public:
    // The saved record: four timers, intensity, wind, three times, position, two radii, velocity.
    static constexpr size_t kRecordBytes = 4 * 20 + 4 + 8 + 12 + 12 + 8 + 8;

    explicit WeatherFront(const WeatherTuning& tuning) : tuning(&tuning) {}

    // Timers, then the fade-out start, the random change and the drift, in that order.
    void Update(float seconds, RandomSystem& random);
    // 0 to 1: rising through the fade-in, falling through the fade-out, 0 once over.
    float GetFadeFactor() const;
    // The weather's deletion rule: no rain left, faded out, or run out with no fade-out.
    bool IsOver() const;
    // How much of the front reaches the point: 1 inside the inner radius, falling to 0 at the
    // outer one. The centre is taken into the point's level frame.
    float GetWeight(const WorldPos& point) const;

    void Write(MessageBuffer& buffer) const;
    // False (a timer or value refused) with the front to be thrown away by the caller.
    bool Read(MessageBuffer& buffer);

    RandomTimer fadeInTimer;
    RandomTimer lifeTimer;
    RandomTimer fadeOutTimer;
    RandomTimer changeTimer;
    float intensity = 0.0f;
    Vector2 wind;
    float fadeInTime = 0.0f;
    float lifeTime = 0.0f;
    float fadeOutTime = 0.0f;
    WorldPos position;
    // World units per second.
    Vector2 velocity;
    float innerRadius = 0.0f;
    float outerRadius = 0.0f;

private:
    void ApplyRandomChange(RandomSystem& random);
    void Drift(float seconds, RandomSystem& random);

    const WeatherTuning* tuning;
};
