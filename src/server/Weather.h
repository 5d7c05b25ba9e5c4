// Weather -- the server's rain and wind: fronts started at random on outdoor levels, moved each step, summed at any point and saved with the world.
#pragma once

#include "core/RandomTimer.h"
#include "core/Vector.h"
#include "server/WeatherFront.h"
#include "world/WorldPos.h"

#include <cstdint>
#include <memory>
#include <vector>

class DatabaseEntry;
class MessageBuffer;
class RandomSystem;

// The keys of the "Weather" record; a key the record lacks reads 0.
struct WeatherTuning {
    float minFrontStartTime = 0.0f;
    float maxFrontStartTime = 0.0f;
    int32_t maxFronts = 0;
    float minFrontIntensity = 0.0f;
    float maxFrontIntensity = 0.0f;
    // Below 0: the front maximum caps the sum too.
    float maxTotalIntensity = 0.0f;
    float maxFrontWindSpeed = 0.0f;
    float maxTotalWindSpeed = 0.0f;
    float minFrontFadeUpTime = 0.0f;
    float maxFrontFadeUpTime = 0.0f;
    float minFrontTime = 0.0f;
    float maxFrontTime = 0.0f;
    float minFrontFadeDownTime = 0.0f;
    float maxFrontFadeDownTime = 0.0f;
    float minIntensityChange = 0.0f;
    float maxIntensityChange = 0.0f;
    float minWindVelocityChange = 0.0f;
    float maxWindVelocityChange = 0.0f;
    float randomChangeTime = 0.0f;
    float minFrontSpeed = 0.0f;
    float maxFrontSpeed = 0.0f;
    // Fractions of the level width.
    float minFrontMinDistance = 0.0f;
    float maxFrontMinDistance = 0.0f;
    float minFrontMaxDistance = 0.0f;
    float maxFrontMaxDistance = 0.0f;
};

// The rain and wind at a point.
struct WeatherSample {
    float intensity = 0.0f;
    Vector2 wind;
};

// Main thread only; every draw is from random stream 0 of the process's random system.
class Weather {
public:
    // A front count beyond this in a saved block is refused, whatever the bytes left.
    static constexpr int32_t kMaxSavedFronts = 4096;

    Weather() = default;
    // Reads the tuning; null (no "Weather" record) leaves no slots, with one warning.
    explicit Weather(const DatabaseEntry* record) { LoadTuning(record); }
    // The fronts point at the tuning they change by.
    Weather(const Weather&) = delete;
    Weather& operator=(const Weather&) = delete;

    // Fronts gone, start timer stopped; then the record's tuning and "MaxFronts" empty slots.
    void LoadTuning(const DatabaseEntry* record);
    // Fronts gone and the start timer stopped; the tuning stays.
    void Reset();

    // One server step: the start timer, a new front when it runs out, then each front's step
    // and the deletion of those that are over.
    void Update(float seconds);
    // The sum of the fronts' fade x intensity x weight, and the same of the wind, each capped.
    WeatherSample GetWeatherAt(const WorldPos& position) const;

    // The world save's block: the live count, then each live front in slot order.
    void Write(MessageBuffer& buffer) const;
    // False, with the weather unchanged, for a block cut short, a count negative or past the
    // bytes left, or a value that is not finite. Fronts beyond the slots are read and dropped.
    bool Read(MessageBuffer& buffer);

    const WeatherTuning& GetTuning() const { return tuning; }
    int32_t GetLiveFrontCount() const { return liveFronts; }
    int32_t GetSlotCount() const { return static_cast<int32_t>(slots.size()); }
    const RandomTimer& GetStartTimer() const { return startTimer; }

private:
    WorldPos PickStartPosition(RandomSystem& random) const;
    void StartFront(const WorldPos& where, RandomSystem& random);

    WeatherTuning tuning;
    RandomTimer startTimer;
    int32_t liveFronts = 0;
    std::vector<std::unique_ptr<WeatherFront>> slots;
};
