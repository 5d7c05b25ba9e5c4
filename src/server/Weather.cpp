// Weather -- the server's rain and wind: fronts started at random on outdoor levels, moved each step, summed at any point and saved with the world.
#include "server/Weather.h"

#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"
#include "world/WorldPosFrame.h"

#include <cmath>

namespace {

struct WeatherFloatKey {
    const char* name;
    float WeatherTuning::*member;
};

constexpr WeatherFloatKey kWeatherFloatKeys[] = {
    {"MinFrontStartTime", &WeatherTuning::minFrontStartTime},
    {"MaxFrontStartTime", &WeatherTuning::maxFrontStartTime},
    {"MinFrontIntensity", &WeatherTuning::minFrontIntensity},
    {"MaxFrontIntensity", &WeatherTuning::maxFrontIntensity},
    {"MaxTotalIntensity", &WeatherTuning::maxTotalIntensity},
    {"MaxFrontWindSpeed", &WeatherTuning::maxFrontWindSpeed},
    {"MaxTotalWindSpeed", &WeatherTuning::maxTotalWindSpeed},
    {"MinFrontFadeUpTime", &WeatherTuning::minFrontFadeUpTime},
    {"MaxFrontFadeUpTime", &WeatherTuning::maxFrontFadeUpTime},
    {"MinFrontTime", &WeatherTuning::minFrontTime},
    {"MaxFrontTime", &WeatherTuning::maxFrontTime},
    {"MinFrontFadeDownTime", &WeatherTuning::minFrontFadeDownTime},
    {"MaxFrontFadeDownTime", &WeatherTuning::maxFrontFadeDownTime},
    {"MinIntensityChange", &WeatherTuning::minIntensityChange},
    {"MaxIntensityChange", &WeatherTuning::maxIntensityChange},
    {"MinWindVelocityChange", &WeatherTuning::minWindVelocityChange},
    {"MaxWindVelocityChange", &WeatherTuning::maxWindVelocityChange},
    {"RandomChangeTime", &WeatherTuning::randomChangeTime},
    {"MinFrontSpeed", &WeatherTuning::minFrontSpeed},
    {"MaxFrontSpeed", &WeatherTuning::maxFrontSpeed},
    {"MinFrontMinDistance", &WeatherTuning::minFrontMinDistance},
    {"MaxFrontMinDistance", &WeatherTuning::maxFrontMinDistance},
    {"MinFrontMaxDistance", &WeatherTuning::minFrontMaxDistance},
    {"MaxFrontMaxDistance", &WeatherTuning::maxFrontMaxDistance},
};

// The slot count a record may ask for; more would only cost memory no world can use.
constexpr int32_t kWeatherMaxSlots = 256;

// Shortens the vector to the length when it is longer.
void WeatherCapLength(Vector2& v, float length)
{
    float current = Vector2Length(v);
    if (current > length && current > 0.0f)
        v = v * (length / current);
}

} // namespace

void Weather::LoadTuning(const DatabaseEntry* record)
{
    tuning = WeatherTuning{};
    slots.clear();
    liveFronts = 0;
    if (!record) {
        DebugSystem::Print(kPrintWarning, "Weather database entry not found, the weather stays clear\n");
        Reset();
        return;
    }
    for (const WeatherFloatKey& key : kWeatherFloatKeys)
        tuning.*key.member = record->GetFloat(key.name, 0.0f);
    int32_t count = record->GetInt("MaxFronts", 0);
    if (count < 0 || count > kWeatherMaxSlots) {
        DebugSystem::Print(kPrintWarning, "Weather MaxFronts %d is outside 0 to %d\n", count, kWeatherMaxSlots);
        count = count < 0 ? 0 : kWeatherMaxSlots;
    }
    tuning.maxFronts = count;
    slots.resize(static_cast<size_t>(count));
    Reset();
}

void Weather::Reset()
{
    for (auto& slot : slots)
        slot.reset();
    liveFronts = 0;
    startTimer = RandomTimer{};
    startTimer.minimum = tuning.minFrontStartTime;
    startTimer.maximum = tuning.maxFrontStartTime;
}

// ---- The step ------------------------------------------------------------------------------

void Weather::Update(float seconds)
{
    if (!gRandomSystem)
        return;
    RandomSystem& random = *gRandomSystem;
    if (!startTimer.running)
        startTimer.Restart(random);
    startTimer.Update(seconds);
    if (startTimer.IsExpired()) {
        StartFront(PickStartPosition(random), random);
        startTimer.Restart(random);
    }
    for (auto& slot : slots) {
        if (!slot)
            continue;
        slot->Update(seconds, random);
        if (slot->IsOver()) {
            slot.reset();
            --liveFronts;
        }
    }
}

WorldPos Weather::PickStartPosition(RandomSystem& random) const
{
    WorldPos where;
    if (!gWorld)
        return where;
    std::vector<int32_t> outdoor;
    for (int32_t i = 0; i < gWorld->GetLevelCount(); ++i) {
        const Level* level = gWorld->GetLevel(i);
        if (level && level->area && level->area->weatherIntensityMult > 0.0f)
            outdoor.push_back(i);
    }
    if (outdoor.empty())
        return where;
    int32_t n = static_cast<int32_t>(outdoor.size());
    auto k = static_cast<int32_t>(std::floor(random.RandomScaled(RandomStream::GameData, static_cast<float>(n))));
    if (k >= n)
        k = n - 1;
    WorldPosFrame frame;
    where.level = outdoor[static_cast<size_t>(k)];
    where.x = random.RandomScaled(RandomStream::GameData, frame.width);
    where.y = random.RandomScaled(RandomStream::GameData, frame.height);
    return where;
}

void Weather::StartFront(const WorldPos& where, RandomSystem& random)
{
    if (liveFronts >= GetSlotCount())
        return;
    std::unique_ptr<WeatherFront>* free = nullptr;
    for (auto& slot : slots)
        if (!slot) {
            free = &slot;
            break;
        }
    if (!free)
        return;
    constexpr RandomStream kStream = RandomStream::GameData;
    auto front = std::make_unique<WeatherFront>(tuning);
    front->intensity = random.RandomRange(kStream, tuning.minFrontIntensity, tuning.maxFrontIntensity);
    float windSpeed = random.RandomScaled(kStream, tuning.maxFrontWindSpeed);
    front->wind = random.RandomDirection2D(kStream) * windSpeed;
    front->position = where;
    float speed = random.RandomRange(kStream, tuning.minFrontSpeed, tuning.maxFrontSpeed);
    front->velocity = random.RandomDirection2D(kStream) * speed;
    float width = WorldPosFrame().width;
    front->innerRadius = width * random.RandomRange(kStream, tuning.minFrontMinDistance, tuning.maxFrontMinDistance);
    front->outerRadius = width * random.RandomRange(kStream, tuning.minFrontMaxDistance, tuning.maxFrontMaxDistance);
    front->fadeInTime = random.RandomRange(kStream, tuning.minFrontFadeUpTime, tuning.maxFrontFadeUpTime);
    front->lifeTime = random.RandomRange(kStream, tuning.minFrontTime, tuning.maxFrontTime);
    front->fadeOutTime = random.RandomRange(kStream, tuning.minFrontFadeDownTime, tuning.maxFrontFadeDownTime);
    for (RandomTimer* timer : {&front->fadeInTimer, &front->lifeTimer}) {
        float length = timer == &front->fadeInTimer ? front->fadeInTime : front->lifeTime;
        timer->running = 1;
        timer->minimum = timer->maximum = timer->total = timer->remaining = length;
    }
    front->changeTimer.minimum = 0.9f * tuning.randomChangeTime;
    front->changeTimer.maximum = 1.1f * tuning.randomChangeTime;
    front->changeTimer.Restart(random);
    *free = std::move(front);
    ++liveFronts;
}

// ---- The weather at a point ------------------------------------------------------------------

WeatherSample Weather::GetWeatherAt(const WorldPos& position) const
{
    WeatherSample sample;
    for (const auto& front : slots) {
        if (!front)
            continue;
        float weight = front->GetWeight(position);
        if (weight <= 0.0f)
            continue;
        float share = front->GetFadeFactor() * weight;
        sample.intensity += share * front->intensity;
        sample.wind = sample.wind + front->wind * share;
    }
    float intensityCap = tuning.maxTotalIntensity < 0.0f ? tuning.maxFrontIntensity : tuning.maxTotalIntensity;
    if (sample.intensity > intensityCap)
        sample.intensity = intensityCap;
    WeatherCapLength(sample.wind, tuning.maxTotalWindSpeed < 0.0f ? tuning.maxFrontWindSpeed : tuning.maxTotalWindSpeed);
    return sample;
}

// ---- The saved block -------------------------------------------------------------------------

void Weather::Write(MessageBuffer& buffer) const
{
    buffer.WriteInt(liveFronts);
    for (const auto& front : slots)
        if (front)
            front->Write(buffer);
}

bool Weather::Read(MessageBuffer& buffer)
{
    int32_t count = 0;
    if (!buffer.ReadCount(count, WeatherFront::kRecordBytes) || count > kMaxSavedFronts) {
        DebugSystem::Print(kPrintWarning, "Weather block refused: bad front count\n");
        return false;
    }
    std::vector<std::unique_ptr<WeatherFront>> read;
    for (int32_t i = 0; i < count; ++i) {
        auto front = std::make_unique<WeatherFront>(tuning);
        if (!front->Read(buffer)) {
            DebugSystem::Print(kPrintWarning, "Weather block refused: front %d is damaged\n", i);
            return false;
        }
        // Fronts past the slots were still read, so that what follows the block lines up.
        if (i < GetSlotCount())
            read.push_back(std::move(front));
    }
    Reset();
    for (size_t i = 0; i < read.size(); ++i)
        slots[i] = std::move(read[i]);
    liveFronts = static_cast<int32_t>(read.size());
    return true;
}
