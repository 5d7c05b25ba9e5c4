// WeatherFrontsTest -- fronts start with their draws in order, fade, drift off the world's edge and end; the weather sums and caps them; its saved block survives every cut and hostile count; the game steps, resets and answers it.
#include "entities/EntityRulesWorld.h"
#include "server/GameWorld.h"
#include "server/Weather.h"

#include "core/MessageBuffer.h"
#include "world/AreaDefinition.h"

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr float kLevel = RowWorld::kLevelSize;

// Every key of a usable weather.
const char* const kWeatherKeys = "    MinFrontStartTime 1\n    MaxFrontStartTime 1\n    MaxFronts 2\n"
                                 "    MinFrontIntensity 0.4\n    MaxFrontIntensity 0.8\n    MaxTotalIntensity 1\n"
                                 "    MaxFrontWindSpeed 5\n    MaxTotalWindSpeed 6\n"
                                 "    MinFrontFadeUpTime 2\n    MaxFrontFadeUpTime 4\n"
                                 "    MinFrontTime 10\n    MaxFrontTime 20\n"
                                 "    MinFrontFadeDownTime 3\n    MaxFrontFadeDownTime 6\n"
                                 "    MinIntensityChange -0.1\n    MaxIntensityChange 0.2\n"
                                 "    MinWindVelocityChange -1\n    MaxWindVelocityChange 1\n"
                                 "    RandomChangeTime 10\n    MinFrontSpeed 10\n    MaxFrontSpeed 30\n"
                                 "    MinFrontMinDistance 0.1\n    MaxFrontMinDistance 0.2\n"
                                 "    MinFrontMaxDistance 0.3\n    MaxFrontMaxDistance 0.5\n";

class WeatherFronts : public EntityRulesWorld {
protected:
    WeatherFronts() : row(3)
    {
        // Only the middle level is outdoors.
        for (int32_t i = 0; i < 3; ++i) {
            areas.push_back(std::make_unique<AreaDefinition>());
            areas.back()->weatherIntensityMult = i == 1 ? 1.0f : 0.0f;
            row.world.GetLevel(i)->area = areas.back().get();
        }
    }

    // The weather of a "Weather" record with the usable keys, each line of extra replacing the
    // line of its key.
    Weather& Make(const std::string& extra = "")
    {
        std::map<std::string, std::string> lines;
        for (const std::string& text : {std::string(kWeatherKeys), extra}) {
            std::istringstream in(text);
            std::string key;
            std::string value;
            while (in >> key >> value)
                lines[key] = value;
        }
        std::string record = "Weather\n{\n";
        for (const auto& [key, value] : lines)
            record += "    " + key + " " + value + "\n";
        LoadRecords(record + "}\n");
        weather.LoadTuning(database.FindEntryByName("Weather"));
        return weather;
    }

    // A full-strength front at the point: no fade-in, a long life, no fade-out.
    WeatherFront Front(float x, float y, float intensity, Vector2 wind, float inner, float outer) const
    {
        WeatherFront front(weather.GetTuning());
        front.intensity = intensity;
        front.wind = wind;
        front.position = At(x, y, 1);
        front.innerRadius = inner;
        front.outerRadius = outer;
        front.lifeTime = 100.0f;
        front.lifeTimer.running = 1;
        front.lifeTimer.total = front.lifeTimer.remaining = 100.0f;
        return front;
    }

    // A block holding the fronts, as a world save would.
    static MessageBuffer Block(const std::vector<WeatherFront>& fronts)
    {
        MessageBuffer buffer;
        buffer.WriteInt(static_cast<int32_t>(fronts.size()));
        for (const WeatherFront& front : fronts)
            front.Write(buffer);
        return buffer;
    }

    // The first live front as the world save's block holds it; false when the block holds none.
    static bool SavedFront(const Weather& source, WeatherFront& out)
    {
        MessageBuffer buffer;
        source.Write(buffer);
        buffer.SetReadPos(0);
        return buffer.ReadInt() >= 1 && out.Read(buffer);
    }

    static std::vector<uint8_t> Bytes(const Weather& source)
    {
        MessageBuffer buffer;
        source.Write(buffer);
        return {buffer.Data(), buffer.Data() + buffer.Size()};
    }

    RowWorld row;
    std::vector<std::unique_ptr<AreaDefinition>> areas;
    Weather weather;
};

// ---- Starting a front -----------------------------------------------------------------------

TEST_F(WeatherFronts, AStartedFrontTakesItsDrawsInOrderOnAnOutdoorLevel)
{
    Make();
    RandomSystem script = random;
    constexpr RandomStream kS = RandomStream::GameData;
    weather.Update(0.5f);  // the start timer's draw
    EXPECT_EQ(weather.GetLiveFrontCount(), 0);
    script.RandomFloat(kS);
    weather.Update(0.5f);
    ASSERT_EQ(weather.GetLiveFrontCount(), 1);
    WeatherFront saved(weather.GetTuning());
    ASSERT_TRUE(SavedFront(weather, saved));
    const WeatherFront* front = &saved;
    // The start position: the one outdoor level, then x and y across it.
    script.RandomFloat(kS);
    float x = script.RandomFloat(kS) * kLevel;
    float y = script.RandomFloat(kS) * kLevel;
    float intensity = script.RandomRange(kS, 0.4f, 0.8f);
    float windSpeed = script.RandomFloat(kS) * 5.0f;
    Vector2 windDirection = script.RandomDirection2D(kS);
    float speed = script.RandomRange(kS, 10.0f, 30.0f);
    Vector2 heading = script.RandomDirection2D(kS);
    float inner = kLevel * script.RandomRange(kS, 0.1f, 0.2f);
    float outer = kLevel * script.RandomRange(kS, 0.3f, 0.5f);
    float fadeIn = script.RandomRange(kS, 2.0f, 4.0f);
    float life = script.RandomRange(kS, 10.0f, 20.0f);
    float fadeOut = script.RandomRange(kS, 3.0f, 6.0f);
    float change = script.RandomRange(kS, 9.0f, 11.0f);
    EXPECT_FLOAT_EQ(front->intensity, intensity);
    EXPECT_FLOAT_EQ(front->wind.x, windDirection.x * windSpeed);
    EXPECT_FLOAT_EQ(front->wind.y, windDirection.y * windSpeed);
    EXPECT_FLOAT_EQ(front->innerRadius, inner);
    EXPECT_FLOAT_EQ(front->outerRadius, outer);
    EXPECT_FLOAT_EQ(front->fadeInTime, fadeIn);
    EXPECT_FLOAT_EQ(front->lifeTime, life);
    EXPECT_FLOAT_EQ(front->fadeOutTime, fadeOut);
    EXPECT_FLOAT_EQ(front->changeTimer.total, change);
    EXPECT_TRUE(front->fadeInTimer.running && front->lifeTimer.running);
    EXPECT_FALSE(front->fadeOutTimer.running);
    // The front's own first step drifted it; the start timer drew again before that.
    script.RandomFloat(kS);
    EXPECT_EQ(front->position.level, 1);
    EXPECT_NEAR(front->position.x, x + heading.x * speed * 0.5f, 1e-2f);
    EXPECT_NEAR(front->position.y, y + heading.y * speed * 0.5f, 1e-2f);
    EXPECT_EQ(random.GetState(kS), script.GetState(kS));
}

TEST_F(WeatherFronts, FullSlotsSkipTheStartAndTheTimerRunsAgain)
{
    Make("    MaxFronts 1\n    MinFrontTime 100\n    MaxFrontTime 100\n");
    weather.Update(1.0f);
    weather.Update(0.0f);
    ASSERT_EQ(weather.GetLiveFrontCount(), 1);
    weather.Update(1.0f);
    EXPECT_EQ(weather.GetLiveFrontCount(), 1);
    EXPECT_TRUE(weather.GetStartTimer().running);
    EXPECT_FLOAT_EQ(weather.GetStartTimer().remaining, 1.0f);
}

TEST_F(WeatherFronts, WithoutAnOutdoorLevelAFrontStartsNowhereAndStaysThere)
{
    areas[1]->weatherIntensityMult = 0.0f;
    Make();
    weather.Update(1.0f);
    weather.Update(0.0f);
    ASSERT_EQ(weather.GetLiveFrontCount(), 1);
    WeatherFront front(weather.GetTuning());
    ASSERT_TRUE(SavedFront(weather, front));
    EXPECT_EQ(front.position.level, -1);
    for (int i = 0; i < 20; ++i)
        weather.Update(0.05f);
    ASSERT_TRUE(SavedFront(weather, front));
    EXPECT_EQ(front.position.level, -1);
    EXPECT_FLOAT_EQ(front.position.x, 0.0f);
    EXPECT_FLOAT_EQ(weather.GetWeatherAt(At(0, 0, -1)).intensity, 0.0f);
}

TEST_F(WeatherFronts, NoWeatherRecordMeansNoSlotsAndOneWarning)
{
    weather.LoadTuning(nullptr);
    EXPECT_EQ(CountLogged("^c005Weather database entry not found, the weather stays clear\n"), 1);
    for (int i = 0; i < 100; ++i)
        weather.Update(1.0f);
    EXPECT_EQ(weather.GetSlotCount(), 0);
    EXPECT_EQ(weather.GetLiveFrontCount(), 0);
}

// ---- A front's life -------------------------------------------------------------------------

TEST_F(WeatherFronts, TheFadeRisesThroughTheFadeInAndFallsThroughTheFadeOut)
{
    Make();
    WeatherFront front = Front(100, 100, 0.5f, {}, 10, 20);
    front.fadeInTime = 4.0f;
    front.fadeInTimer.running = 1;
    front.fadeInTimer.total = front.fadeInTimer.remaining = 4.0f;
    front.lifeTime = front.lifeTimer.total = front.lifeTimer.remaining = 6.0f;
    front.fadeOutTime = 2.0f;
    EXPECT_FLOAT_EQ(front.GetFadeFactor(), 0.0f);
    front.Update(1.0f, random);
    EXPECT_FLOAT_EQ(front.GetFadeFactor(), 0.25f);
    front.Update(3.0f, random);
    EXPECT_FLOAT_EQ(front.GetFadeFactor(), 1.0f);
    front.Update(2.0f, random);  // the life runs out and the fade-out starts
    EXPECT_TRUE(front.fadeOutTimer.running);
    EXPECT_FLOAT_EQ(front.GetFadeFactor(), 1.0f);
    EXPECT_FALSE(front.IsOver());
    front.Update(1.5f, random);
    EXPECT_FLOAT_EQ(front.GetFadeFactor(), 0.25f);
    front.Update(0.5f, random);
    EXPECT_TRUE(front.IsOver());
}

TEST_F(WeatherFronts, AFrontWithoutFadeInHasItsFullStrengthAtOnce)
{
    Make();
    WeatherFront front = Front(100, 100, 0.5f, {}, 10, 20);
    front.fadeInTimer.running = 1;  // started with a fade-in time of 0
    EXPECT_FLOAT_EQ(front.GetFadeFactor(), 1.0f);
}

TEST_F(WeatherFronts, AFrontWithoutFadeOutGoesInTheStepItsLifeRunsOut)
{
    Make("    MaxFronts 1\n    MinFrontTime 2\n    MaxFrontTime 2\n    MinFrontFadeDownTime 0\n"
         "    MaxFrontFadeDownTime 0\n    MinIntensityChange 0\n    MaxIntensityChange 0\n"
         "    RandomChangeTime 100\n");
    // The start step counts the new front's 2 s life down by 1 s already.
    weather.Update(1.0f);
    ASSERT_EQ(weather.GetLiveFrontCount(), 1);
    for (int i = 0; i < 19; ++i)
        weather.Update(0.05f);
    EXPECT_EQ(weather.GetLiveFrontCount(), 1);
    weather.Update(0.05f);
    EXPECT_EQ(weather.GetLiveFrontCount(), 0);
    EXPECT_EQ(Bytes(weather), (std::vector<uint8_t>{0, 0, 0, 0})) << "the save holds no front";
}

TEST_F(WeatherFronts, ARandomChangeIsCappedAboveOnlyAndTheWindScaledDown)
{
    Make("    MinIntensityChange 0.5\n    MaxIntensityChange 0.5\n"
         "    MinWindVelocityChange 10\n    MaxWindVelocityChange 10\n");
    WeatherFront front = Front(100, 100, 0.7f, {1, 0}, 10, 20);
    front.changeTimer.running = 1;
    front.changeTimer.minimum = front.changeTimer.maximum = 1.0f;
    front.changeTimer.total = front.changeTimer.remaining = 1.0f;
    front.Update(1.0f, random);
    EXPECT_FLOAT_EQ(front.intensity, 0.8f);
    EXPECT_NEAR(Vector2Length(front.wind), 5.0f, 1e-4f);
    EXPECT_NEAR(front.wind.x / front.wind.y, 11.0f / 10.0f, 1e-4f);
    EXPECT_FLOAT_EQ(front.changeTimer.remaining, 1.0f);
    // A change that drives the intensity to 0 or below is the front's end, not a floor.
    Make("    MinIntensityChange -2\n    MaxIntensityChange -2\n");
    WeatherFront fading = Front(100, 100, 0.7f, {}, 10, 20);
    fading.changeTimer = front.changeTimer;
    fading.changeTimer.remaining = 0.0f;
    fading.Update(0.05f, random);
    EXPECT_FLOAT_EQ(fading.intensity, -1.3f);
    EXPECT_TRUE(fading.IsOver());
}

TEST_F(WeatherFronts, AFrontLeavingTheWorldStaysAndTurnsWithItsSpeed)
{
    Make();
    WeatherFront front = Front(kLevel - 1.0f, 100, 0.5f, {}, 10, 20);
    front.position.level = 2;  // the east edge of the last level
    front.velocity = {40.0f, 0.0f};
    front.Update(0.05f, random);
    EXPECT_EQ(front.position.level, 2);
    EXPECT_FLOAT_EQ(front.position.x, kLevel - 1.0f);
    EXPECT_NEAR(Vector2Length(front.velocity), 40.0f, 1e-3f);
    // Across an inner edge it is carried into the neighbour.
    front.position = At(kLevel - 1.0f, 100, 0);
    front.velocity = {40.0f, 0.0f};
    front.Update(0.05f, random);
    EXPECT_EQ(front.position.level, 1);
    EXPECT_NEAR(front.position.x, 1.0f, 1e-3f);
}

// ---- The weather at a point -------------------------------------------------------------------

TEST_F(WeatherFronts, TheInnerRadiusCountsWholeAndTheOuterNotAtAll)
{
    Make();
    MessageBuffer block = Block({Front(1000, 1000, 0.5f, {2, 0}, 100, 300)});
    ASSERT_TRUE(weather.Read(block));
    EXPECT_FLOAT_EQ(weather.GetWeatherAt(At(1100, 1000, 1)).intensity, 0.5f);
    EXPECT_FLOAT_EQ(weather.GetWeatherAt(At(1200, 1000, 1)).intensity, 0.25f);
    EXPECT_FLOAT_EQ(weather.GetWeatherAt(At(1200, 1000, 1)).wind.x, 1.0f);
    EXPECT_FLOAT_EQ(weather.GetWeatherAt(At(1300, 1000, 1)).intensity, 0.0f);
    // The western neighbour sees a front near the shared edge, 90 units away across it.
    MessageBuffer edge = Block({Front(50, 1000, 0.5f, {}, 50, 130)});
    ASSERT_TRUE(weather.Read(edge));
    EXPECT_FLOAT_EQ(weather.GetWeatherAt(At(kLevel - 40, 1000, 0)).intensity, 0.25f);
}

TEST_F(WeatherFronts, OverlappingFrontsAreCappedByTheTotals)
{
    Make();
    MessageBuffer block = Block({Front(1000, 1000, 0.8f, {4, 0}, 100, 300), Front(1000, 1000, 0.7f, {4, 0}, 100, 300)});
    ASSERT_TRUE(weather.Read(block));
    WeatherSample sample = weather.GetWeatherAt(At(1000, 1000, 1));
    EXPECT_FLOAT_EQ(sample.intensity, 1.0f);
    EXPECT_FLOAT_EQ(sample.wind.x, 6.0f);
    // Totals below 0 take the front maxima.
    Make("    MaxTotalIntensity -1\n    MaxTotalWindSpeed -1\n");
    block.SetReadPos(0);
    ASSERT_TRUE(weather.Read(block));
    sample = weather.GetWeatherAt(At(1000, 1000, 1));
    EXPECT_FLOAT_EQ(sample.intensity, 0.8f);
    EXPECT_FLOAT_EQ(sample.wind.x, 5.0f);
}

// ---- The saved block ----------------------------------------------------------------------------

TEST_F(WeatherFronts, TheBlockRoundTripsItsLiveFrontsInSlotOrder)
{
    Make("    MaxFronts 3\n");
    MessageBuffer block = Block({Front(10, 20, 0.5f, {1, 2}, 30, 40), Front(50, 60, 0.6f, {3, 4}, 70, 80)});
    ASSERT_TRUE(weather.Read(block));
    EXPECT_EQ(Bytes(weather), std::vector<uint8_t>(block.Data(), block.Data() + block.Size()));
    ASSERT_EQ(block.Size(), 4 + 2 * WeatherFront::kRecordBytes);
    // Count, then the first front's fade-in timer: running word, minimum, maximum, total, remaining.
    EXPECT_EQ(block.Data()[0], 2);
    Weather copy;
    copy.LoadTuning(database.FindEntryByName("Weather"));
    MessageBuffer again;
    weather.Write(again);
    ASSERT_TRUE(copy.Read(again));
    EXPECT_EQ(Bytes(copy), Bytes(weather));
    EXPECT_FLOAT_EQ(copy.GetWeatherAt(At(50, 60, 1)).intensity, 0.6f);
}

TEST_F(WeatherFronts, ABlockCutAnywhereIsRefusedAndChangesNothing)
{
    Make();
    MessageBuffer kept = Block({Front(10, 20, 0.5f, {1, 2}, 30, 40)});
    ASSERT_TRUE(weather.Read(kept));
    const std::vector<uint8_t> before = Bytes(weather);
    MessageBuffer full = Block({Front(1, 2, 0.3f, {}, 5, 6), Front(7, 8, 0.4f, {}, 9, 10)});
    for (size_t cut = 0; cut < full.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(full.Data(), cut);
        EXPECT_FALSE(weather.Read(part)) << cut;
        EXPECT_EQ(Bytes(weather), before) << cut;
    }
}

TEST_F(WeatherFronts, HostileCountsAndValuesAreRefused)
{
    Make();
    MessageBuffer kept = Block({Front(10, 20, 0.5f, {1, 2}, 30, 40)});
    ASSERT_TRUE(weather.Read(kept));
    const std::vector<uint8_t> before = Bytes(weather);
    MessageBuffer body = Block({Front(1, 2, 0.3f, {}, 5, 6)});
    for (uint32_t count : {0xFFFFFFFFu, 0x80000000u, 2u}) {
        MessageBuffer hostile;
        hostile.WriteUInt(count);
        hostile.WriteBytes(body.Data() + 4, body.Size() - 4);
        EXPECT_FALSE(weather.Read(hostile)) << count;
        EXPECT_EQ(Bytes(weather), before) << count;
    }
    // A wind that is not a number, in the one front's record.
    WeatherFront broken = Front(1, 2, 0.3f, {std::numeric_limits<float>::quiet_NaN(), 0}, 5, 6);
    MessageBuffer nan = Block({broken});
    EXPECT_FALSE(weather.Read(nan));
    EXPECT_EQ(Bytes(weather), before);
}

TEST_F(WeatherFronts, FrontsBeyondTheSlotsAreReadAndDropped)
{
    Make("    MaxFronts 1\n");
    MessageBuffer block = Block({Front(10, 20, 0.5f, {}, 30, 40), Front(50, 60, 0.6f, {}, 70, 80)});
    block.WriteInt(0x1234);  // what the save holds after the block
    ASSERT_TRUE(weather.Read(block));
    EXPECT_EQ(weather.GetLiveFrontCount(), 1);
    WeatherFront kept(weather.GetTuning());
    ASSERT_TRUE(SavedFront(weather, kept));
    EXPECT_FLOAT_EQ(kept.intensity, 0.5f);
    EXPECT_EQ(block.ReadInt(), 0x1234);
}

} // namespace

namespace {

class GameWeather : public GameWorld {};

TEST_F(GameWeather, TheGameStepMovesTheWeatherAndAResetClearsItsFronts)
{
    LoadRecords("Weather\n{\n    MinFrontStartTime 1\n    MaxFrontStartTime 1\n    MaxFronts 2\n"
                "    MinFrontIntensity 0.5\n    MaxFrontIntensity 0.5\n    MinFrontTime 60\n    MaxFrontTime 60\n}\n");
    game->GetWeather().LoadTuning(database.FindEntryByName("Weather"));
    Step(19);
    EXPECT_EQ(game->GetWeather().GetLiveFrontCount(), 0);
    Step(2);
    EXPECT_EQ(game->GetWeather().GetLiveFrontCount(), 1);
    game->Reset();
    EXPECT_EQ(game->GetWeather().GetLiveFrontCount(), 0);
    EXPECT_FALSE(game->GetWeather().GetStartTimer().running);
    EXPECT_EQ(game->GetWeather().GetSlotCount(), 2) << "the tuning outlives a reset";
}

TEST_F(GameWeather, TheEntitiesAskTheGamesWeather)
{
    LoadRecords("Weather\n{\n    MaxFronts 1\n    MaxFrontIntensity 1\n    MaxTotalIntensity 1\n"
                "    MaxFrontWindSpeed 5\n    MaxTotalWindSpeed 5\n}\n");
    game->GetWeather().LoadTuning(database.FindEntryByName("Weather"));
    WeatherFront front(game->GetWeather().GetTuning());
    front.intensity = 0.75f;
    front.wind = {0.0f, 3.0f};
    front.position = At(300, 300, 1);
    front.innerRadius = 100.0f;
    front.outerRadius = 200.0f;
    MessageBuffer block;
    block.WriteInt(1);
    front.Write(block);
    ASSERT_TRUE(game->GetWeather().Read(block));
    float intensity = 0.0f;
    Vector2 wind;
    gGameServices->GetWeatherAt(At(300, 450, 1), intensity, wind);
    EXPECT_FLOAT_EQ(intensity, 0.375f);
    EXPECT_FLOAT_EQ(wind.y, 1.5f);
    gGameServices->GetWeatherAt(At(300, 300, 0), intensity, wind);
    EXPECT_FLOAT_EQ(intensity, 0.0f) << "the same spot of the next level is a level's width away";
}

} // namespace
