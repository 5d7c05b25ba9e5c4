// TorchTest -- torches: their light from the lit state, flicker at its exact interval, wind and rain at their limits, fire and cold, use, gusts, and the saved word.
#include "entities/EntityWorld.h"
#include "entities/Torch.h"

#include "core/MessageBuffer.h"
#include "core/Vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

namespace {

constexpr const char* kTorchRecords = R"(
TorchSteady
{
    LightColor "1 0.5 0.25"
    LightFalloff 300
    FlickerTime 0.5
}
TorchFlicker
{
    LightColor "1 0.5 0.25"
    LightFalloff 300
    FlickerTime 0.5
    FlickerIntensity 0.25
    FlickerMaxDistance 6
}
TorchWindy
{
    LightFalloff 300
    MaxWind 5
    WeatherTime 1
    EffectedByFire 1
}
TorchRainy
{
    LightFalloff 300
    MaxRain 0.5
    WeatherTime 1
    EffectedByIce 1
}
TorchSheltered
{
    LightFalloff 300
    MaxWind 5
    MaxRain 0.5
}
TorchSolid
{
    Solid 1
    LightFalloff 300
}
)";

class TorchLight : public EntityWorld {
protected:
    void SetUp() override { LoadRecords(kTorchRecords); }

    Torch* Make(const char* record)
    {
        auto* torch = Spawn<Torch>(100.0f, 100.0f);
        torch->SetEntry(database.FindEntryByName(record));
        return torch;
    }

    void Run(Torch* torch, int32_t steps)
    {
        for (int32_t i = 0; i < steps; ++i)
            torch->Update(FakeGameServices::kStep);
    }
};

} // namespace

// ---- Light and flicker ---------------------------------------------------------------------------

TEST_F(TorchLight, LoadingShowsTheRecordsLight)
{
    Torch* torch = Make("TorchSteady");
    EXPECT_TRUE(torch->IsLit());
    EXPECT_FLOAT_EQ(torch->lightFalloff, 300.0f);
    EXPECT_FLOAT_EQ(torch->lightColor.g, 0.5f);
    EXPECT_FLOAT_EQ(torch->GetLightColor().b, 0.25f);
    EXPECT_EQ(torch->maxHealth, 1);
    EXPECT_EQ(torch->health, 1);
    EXPECT_FALSE(torch->netFlag) << "not solid unless the record says so";
    EXPECT_TRUE(Make("TorchSolid")->netFlag);
}

TEST_F(TorchLight, NoIntensityNoFlickerEvenWithAFlickerTime)
{
    Torch* torch = Make("TorchSteady");
    for (int32_t i = 0; i < 100; ++i) {
        torch->Update(FakeGameServices::kStep);
        ASSERT_FLOAT_EQ(torch->lightFalloff, 300.0f);
    }
    EXPECT_FLOAT_EQ(torch->lightOffset[0], 0.0f);
}

TEST_F(TorchLight, FlickerChangesTheLightExactlyEveryFlickerTimeWithinItsBounds)
{
    Torch* torch = Make("TorchFlicker");
    std::vector<int32_t> changes;
    float last = torch->lightFalloff;
    for (int32_t step = 1; step <= 100; ++step) {
        torch->Update(FakeGameServices::kStep);
        float now = torch->lightFalloff;
        ASSERT_GE(now, 225.0f);
        ASSERT_LT(now, 375.0f);
        float reach = std::hypot(torch->lightOffset[0], torch->lightOffset[1]);
        ASSERT_LE(reach, 6.0f + 1e-4f);
        if (now != last)
            changes.push_back(step);
        last = now;
    }
    ASSERT_GE(changes.size(), 9u);
    for (size_t i = 1; i < changes.size(); ++i)
        EXPECT_EQ((changes[i] - changes[0]) % 10, 0) << "every ten steps of 0.05 s";
    EXPECT_EQ(changes.front(), 1) << "a timer that never ran is due at once";
}

TEST_F(TorchLight, AnUnlitTorchShowsNoLightAndUseSwitchesIt)
{
    Torch* torch = Make("TorchSteady");
    torch->Use(nullptr);
    EXPECT_FALSE(torch->IsLit());
    EXPECT_FLOAT_EQ(torch->lightFalloff, 0.0f);
    Run(torch, 20);
    EXPECT_FLOAT_EQ(torch->lightFalloff, 0.0f);
    torch->Use(nullptr);
    EXPECT_TRUE(torch->IsLit());
    EXPECT_FLOAT_EQ(torch->lightFalloff, 300.0f);
}

// ---- Weather -------------------------------------------------------------------------------------

TEST_F(TorchLight, WindJustBelowItsLimitLeavesItLitAndAtTheLimitPutsItOut)
{
    Torch* torch = Make("TorchWindy");
    game.weatherWind = Vector2{3.0f, 3.9f};
    Run(torch, 1);
    EXPECT_TRUE(torch->IsLit());
    game.weatherWind = Vector2{3.0f, 4.0f};
    Run(torch, 19);
    EXPECT_TRUE(torch->IsLit()) << "the next look is a whole WeatherTime later";
    Run(torch, 1);
    EXPECT_FALSE(torch->IsLit());
    EXPECT_FLOAT_EQ(torch->lightFalloff, 0.0f);
}

TEST_F(TorchLight, RainPutsItOutAndItStaysOutWhenTheRainStops)
{
    Torch* torch = Make("TorchRainy");
    game.weatherIntensity = 0.49f;
    Run(torch, 1);
    EXPECT_TRUE(torch->IsLit());
    game.weatherIntensity = 0.5f;
    Run(torch, 20);
    EXPECT_FALSE(torch->IsLit());
    game.weatherIntensity = 0.0f;
    Run(torch, 100);
    EXPECT_FALSE(torch->IsLit());
}

TEST_F(TorchLight, TheWeatherIsAskedOncePerWeatherTimeAtItsOwnPlace)
{
    Torch* torch = Make("TorchWindy");
    std::set<float> asked;
    game.weatherAt = [&](const WorldPos& where, float& rain, Vector2& wind) {
        asked.insert(where.x);
        rain = 0.0f;
        wind = Vector2{};
    };
    Run(torch, 60);
    EXPECT_EQ(game.weatherQuestions, 3);
    EXPECT_EQ(asked, std::set<float>{100.0f});
}

TEST_F(TorchLight, WithoutAWeatherTimeOrLimitsTheWeatherIsNeverAsked)
{
    game.weatherWind = Vector2{50.0f, 0.0f};
    game.weatherIntensity = 5.0f;
    Torch* sheltered = Make("TorchSheltered");
    Torch* steady = Make("TorchSteady");
    Run(sheltered, 60);
    Run(steady, 60);
    EXPECT_EQ(game.weatherQuestions, 0);
    EXPECT_TRUE(sheltered->IsLit());
    EXPECT_TRUE(steady->IsLit());
}

// ---- Gusts, fire and cold ------------------------------------------------------------------------

TEST_F(TorchLight, AGustMustReachItsLimitAndWindMeansNothingWithoutOne)
{
    Torch* windy = Make("TorchWindy");
    EXPECT_FALSE(windy->BlowOut(4.9f));
    EXPECT_TRUE(windy->IsLit());
    EXPECT_TRUE(windy->BlowOut(5.0f));
    EXPECT_FALSE(windy->IsLit());
    EXPECT_FALSE(windy->BlowOut(5.0f)) << "already out";
    Torch* rainy = Make("TorchRainy");
    EXPECT_FALSE(rainy->BlowOut(1000.0f));
    EXPECT_TRUE(rainy->IsLit());
}

TEST_F(TorchLight, FireLightsOnlyATorchFireLights)
{
    Torch* windy = Make("TorchWindy");
    Torch* rainy = Make("TorchRainy");
    windy->Use(nullptr);
    rainy->Use(nullptr);
    windy->OnDamagePart(-3, DamageType::Fire);
    EXPECT_FALSE(windy->IsLit()) << "a negative amount does nothing";
    windy->OnDamagePart(0, DamageType::Fire);
    EXPECT_TRUE(windy->IsLit());
    EXPECT_FLOAT_EQ(windy->lightFalloff, 300.0f);
    rainy->OnDamagePart(10, DamageType::Fire);
    EXPECT_FALSE(rainy->IsLit());
}

TEST_F(TorchLight, ColdPutsOutOnlyATorchColdPutsOut)
{
    Torch* windy = Make("TorchWindy");
    Torch* rainy = Make("TorchRainy");
    windy->OnDamageOfType(10, DamageType::Cold);
    EXPECT_TRUE(windy->IsLit());
    rainy->OnDamageOfType(10, DamageType::Physical);
    EXPECT_TRUE(rainy->IsLit());
    rainy->OnDamageOfType(10, DamageType::Cold);
    EXPECT_FALSE(rainy->IsLit());
    EXPECT_FLOAT_EQ(rainy->lightFalloff, 0.0f);
}

TEST_F(TorchLight, DamageNeverBreaksATorch)
{
    Torch* torch = Make("TorchWindy");
    torch->TakeDamage(500, nullptr, false, false);
    EXPECT_EQ(torch->health, 1);
    EXPECT_FALSE(torch->CanBeAttacked());
}

// ---- The saved word ------------------------------------------------------------------------------

TEST_F(TorchLight, TheLitStateIsOneLittleEndianWordAndComesBack)
{
    Torch* torch = Make("TorchRainy");
    MessageBuffer lit;
    torch->WriteSavedState(lit);
    ASSERT_EQ(lit.Size(), 4u);
    EXPECT_EQ(lit.Data()[0], 1);
    EXPECT_EQ(lit.Data()[3], 0);
    torch->Use(nullptr);
    MessageBuffer out;
    torch->WriteSaved(out);
    EXPECT_EQ(out.Data()[0], 0);

    Torch* restored = Make("TorchRainy");
    ASSERT_TRUE(restored->ReadSavedState(out, 0));
    EXPECT_FALSE(restored->IsLit());
    EXPECT_FLOAT_EQ(restored->lightFalloff, 0.0f);
    ASSERT_TRUE(restored->ReadSaved(lit, 0));
    EXPECT_TRUE(restored->IsLit()) << "a saved state lights it again";
    EXPECT_FLOAT_EQ(restored->lightFalloff, 300.0f);
}

TEST_F(TorchLight, AWordCutShortChangesNothing)
{
    MessageBuffer full;
    full.WriteInt(0);
    for (size_t cut = 0; cut < full.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(full.Data(), cut);
        Torch* torch = Make("TorchSteady");
        EXPECT_FALSE(torch->ReadSavedState(part, 0)) << cut;
        EXPECT_TRUE(torch->IsLit());
    }
}
