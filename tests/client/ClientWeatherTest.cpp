// ClientWeatherTest -- the client's rain and lightning on the real sound system: the strength bands and their strict thresholds, the two slots a change of band cross-fades between, the check that restarts in light drizzle, the thunder delay by intensity and a flash pattern letter by letter.
#include "client/ClientServicesWorld.h"

#include "client/WeatherClient.h"
#include "support/LogLines.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

namespace {

class ClientWeatherWorld : public ClientServicesWorld {
protected:
    void SetUp() override
    {
        for (const char* name : {"light", "medium", "hard", "thunder"})
            WriteSound(std::string("Sounds/Weather/") + name + ".wav");
    }

    // The "Weather" record of the lines after the four sounds, on the player's level with the
    // area's factor 1.
    void Join(const std::string& lines)
    {
        StartAndJoin("Weather\n{\n"
                     "    SoundLightRain \"Sounds/Weather/light.wav\"\n"
                     "    SoundMediumRain \"Sounds/Weather/medium.wav\"\n"
                     "    SoundHardRain \"Sounds/Weather/hard.wav\"\n"
                     "    SoundThunder \"Sounds/Weather/thunder.wav\"\n" +
                     lines + "\n}\n");
        gWorld->GetLevel(link->position.level)->area->weatherIntensityMult = 1.0f;
        weather.Init(database);
    }

    void Frame(float intensity, float dt)
    {
        weather.SetFromUpdate(intensity, 0.0f, 0.0f);
        weather.Update(dt);
    }

    // The sound the player owns in a slot; empty when none plays there (or it fades out).
    std::string InSlot(int32_t slot)
    {
        SoundInstance* channel = sound->FindOwnerChannel(link->GetEntityNumber(), slot);
        return channel ? manager->GetName(channel->GetResource()) : std::string();
    }

    int CountPlaying(const std::string& name)
    {
        std::vector<std::string> names = PlayingSounds();
        return static_cast<int>(std::count(names.begin(), names.end(), name));
    }

    WeatherClient weather;
};

constexpr const char* kClientWeatherBands = "    LightRainMinIntensity 0.2\n    MediumRainMinIntensity 0.5\n"
                                            "    HardRainMinIntensity 0.8\n    RainSoundFadeTime 2\n";

TEST_F(ClientWeatherWorld, EachBandPlaysItsLoopAndTheThresholdsAreStrict)
{
    Join(kClientWeatherBands);
    struct Case {
        float intensity;
        const char* sound;
    };
    for (const Case& c : {Case{0.9f, "Sounds/Weather/hard.wav"}, Case{0.8f, "Sounds/Weather/medium.wav"},
                          Case{0.5f, "Sounds/Weather/light.wav"}, Case{0.2f, ""}}) {
        Frame(c.intensity, 0.05f);
        EXPECT_EQ(InSlot(weather.GetRainSoundSlot()), c.sound) << c.intensity;
    }
    // The area's factor scales the rain: with 0 nothing falls where the player stands.
    gWorld->GetLevel(link->position.level)->area->weatherIntensityMult = 0.0f;
    Frame(1.0f, 0.05f);
    EXPECT_EQ(weather.GetCurrentRainSound(), -1);
}

TEST_F(ClientWeatherWorld, AChangeOfBandFadesTheOldSlotOutWhileTheOtherFadesIn)
{
    Join(kClientWeatherBands);
    Frame(0.3f, 0.05f);
    EXPECT_EQ(weather.GetRainSoundSlot(), WeatherClient::kRainSlotA);
    SoundInstance* light = sound->FindOwnerChannel(link->GetEntityNumber(), WeatherClient::kRainSlotA);
    ASSERT_NE(light, nullptr);
    EXPECT_TRUE(light->IsLooping());
    // The same band again changes nothing.
    Frame(0.4f, 0.05f);
    EXPECT_EQ(weather.GetRainSoundSlot(), WeatherClient::kRainSlotA);
    Frame(0.6f, 0.05f);
    EXPECT_EQ(weather.GetRainSoundSlot(), WeatherClient::kRainSlotB);
    EXPECT_TRUE(light->IsActive());
    EXPECT_TRUE(light->IsFadingOut());
    SoundInstance* medium = sound->FindOwnerChannel(link->GetEntityNumber(), WeatherClient::kRainSlotB);
    ASSERT_NE(medium, nullptr);
    EXPECT_EQ(manager->GetName(medium->GetResource()), "Sounds/Weather/medium.wav");
    EXPECT_TRUE(medium->IsFading());
    // And back: the slots keep alternating.
    Frame(0.3f, 0.05f);
    EXPECT_EQ(weather.GetRainSoundSlot(), WeatherClient::kRainSlotA);
}

TEST_F(ClientWeatherWorld, InDrizzleBelowTheLightBandTheCheckRestartsEveryFrameAndNoLightningStrikes)
{
    Join(std::string(kClientWeatherBands) +
         "    LightningCheckTime 1\n    BaseLightningChance 10\n    LightningString \"zzz\"\n");
    for (int frame = 0; frame < 40; ++frame) {
        Frame(0.1f, 0.5f);
        EXPECT_TRUE(weather.IsCheckArmed());
        EXPECT_GE(weather.GetCheckTimer(), 0.9f);
        EXPECT_EQ(weather.GetPattern(), "");
    }
    EXPECT_EQ(weather.GetCurrentRainSound(), -1);
    EXPECT_TRUE(weather.GetThunderDelays().empty());
}

TEST_F(ClientWeatherWorld, ThunderFollowsAtOnceInFullRainAndAfterHalfTheTimeAtHalf)
{
    Join("    BaseLightningChance 4\n    MaxThunderTime 4\n    LightningString \"az\"\n");
    Frame(1.0f, 0.05f);
    ASSERT_FALSE(weather.GetThunderDelays().empty());
    EXPECT_FLOAT_EQ(weather.GetThunderDelays()[0], 0.0f);
    EXPECT_EQ(CountPlaying("Sounds/Weather/thunder.wav"), 0);
    Frame(1.0f, 0.05f);
    EXPECT_EQ(CountPlaying("Sounds/Weather/thunder.wav"), 1);

    WeatherClient half;
    half.Init(database);
    half.SetFromUpdate(0.5f, 0.0f, 0.0f);
    half.Update(0.05f);
    ASSERT_FALSE(half.GetThunderDelays().empty());
    EXPECT_FLOAT_EQ(half.GetThunderDelays()[0], 2.0f);
    float waited = 0.0f;
    int before = CountPlaying("Sounds/Weather/thunder.wav");
    while (CountPlaying("Sounds/Weather/thunder.wav") == before && waited < 5.0f) {
        half.Update(0.25f);
        waited += 0.25f;
    }
    EXPECT_FLOAT_EQ(waited, 2.25f);
}

TEST_F(ClientWeatherWorld, AFlashPatternShowsOneLetterATwentiethOfASecondThenEnds)
{
    Join("    BaseLightningChance 4\n    MaxLightningIntensity 0.52\n    LightningString \"az\"\n"
         "    LightningCheckTime 100\n");
    // The first frame arms the check; the strike waits for its timer.
    Frame(1.0f, 0.0f);
    Frame(1.0f, 110.0f);
    ASSERT_EQ(weather.GetPattern(), "az");
    EXPECT_FLOAT_EQ(weather.lightningBrightness, 0.0f);
    Frame(1.0f, 0.03f);
    EXPECT_FLOAT_EQ(weather.lightningBrightness, 0.0f);
    Frame(1.0f, 0.04f);
    EXPECT_FLOAT_EQ(weather.lightningBrightness, 25.0f / 26.0f * 0.52f);
    Frame(1.0f, 0.04f);
    EXPECT_FLOAT_EQ(weather.lightningBrightness, 0.0f);
    EXPECT_EQ(weather.GetPattern(), "");
}

TEST_F(ClientWeatherWorld, LettersOutsideTheAlphabetAreHeldToItWithOneWarning)
{
    Join("    BaseLightningChance 4\n    MaxLightningIntensity 1\n    LightningString \"~\" \"A\"\n"
         "    LightningCheckTime 100\n");
    EXPECT_EQ(CountLinesHolding(debug, "holds letters outside a to z"), 1);
    Frame(1.0f, 0.0f);
    Frame(1.0f, 110.0f);
    Frame(1.0f, 0.01f);
    EXPECT_GE(weather.lightningBrightness, 0.0f);
    EXPECT_LE(weather.lightningBrightness, 25.0f / 26.0f);
}

TEST_F(ClientWeatherWorld, TheGameUpdatesRainPlaysTheLoopAndDarkensTheAmbientLightToTheFloor)
{
    Join(std::string(kClientWeatherBands) + "    LowestSunlightMult 0.4\n");
    gameClient->GetWeather().Init(database);
    AreaDefinition* area = gWorld->GetLevel(link->position.level)->area;
    area->daySunColor = Color{0.5f, 0.6f, 0.8f};
    area->nightSunColor = area->daySunColor;
    gameClient->Update(0.0f);
    Color clear = gameClient->GetAmbientColour();
    ASSERT_GT(clear.r, 0.0f);
    EXPECT_FLOAT_EQ(gameClient->GetWeatheredAmbient().r, clear.r);
    gameClient->weather[0] = 1.0f;
    gameClient->Update(0.05f);
    EXPECT_EQ(InSlot(WeatherClient::kRainSlotA), "Sounds/Weather/hard.wav");
    EXPECT_FLOAT_EQ(gameClient->GetWeatheredAmbient().r, clear.r * 0.4f);
    gameClient->weather[0] = 0.5f;
    EXPECT_FLOAT_EQ(gameClient->GetWeatheredAmbient().g, clear.g * 0.7f);
}

TEST_F(ClientWeatherWorld, WithoutTheRecordNothingSoundsAndNothingFlashes)
{
    StartAndJoin();
    gWorld->GetLevel(link->position.level)->area->weatherIntensityMult = 1.0f;
    weather.Init(database);
    Frame(1.0f, 0.05f);
    Frame(1.0f, 0.05f);
    EXPECT_TRUE(PlayingSounds().empty());
    EXPECT_EQ(weather.GetPattern(), "");
    EXPECT_FLOAT_EQ(weather.lowestSunlightMult, 0.0f);
}

} // namespace
