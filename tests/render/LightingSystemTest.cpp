// LightingSystemTest -- the light caps with their two priority places, falloff boundaries, the brightest-channel scaling, full-bright, the six-sided light, pausing, level offsets and the tuning record.
#include "render/LightingSystem.h"

#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"

#include <gtest/gtest.h>

namespace {

class LightingSystemTest : public ::testing::Test {
protected:
    LightingSystemTest()
    {
        gDebugSystem = &debug;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        commands.RegisterCommands();
        vars.RegisterCommands();
        gDatabase = nullptr;
        lights.Init();
        lights.SetMaxLights(16);
    }
    ~LightingSystemTest() override
    {
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gDebugSystem = nullptr;
    }

    // Falloff 2: full out to the radius, nothing from twice the radius.
    void Tune(float falloff, float top = 0.0f, float bottom = 0.0f, float ambient = 0.0f, float direct = 0.0f)
    {
        lights.SetTuning({falloff, top, bottom, ambient, direct});
    }

    static void ExpectColor(const Color& color, float r, float g, float b)
    {
        EXPECT_NEAR(color.r, r, 1e-5f);
        EXPECT_NEAR(color.g, g, 1e-5f);
        EXPECT_NEAR(color.b, b, 1e-5f);
    }

    DebugSystem debug;
    CommandSystem commands;
    UserVarSystem vars;
    LightingSystem lights;
};

TEST_F(LightingSystemTest, OrdinaryLightsStopAtTheCapAndTwoPriorityLightsStillFit)
{
    Tune(2.0f);
    for (int i = 0; i < 17; ++i)
        lights.AddLight(0, static_cast<float>(i), 0.0f, Color{0.1f, 0.0f, 0.0f}, 10.0f, LightingSystem::kPointLight);
    EXPECT_EQ(lights.GetLightCount(), 16);
    lights.AddLight(0, 0.0f, 0.0f, Color{0.0f, 0.1f, 0.0f}, 10.0f, LightingSystem::kPriorityLight);
    lights.AddLight(-1, 0.0f, 0.0f, Color{0.0f, 0.0f, 0.1f}, 0.0f, LightingSystem::kGlobalLight);
    lights.AddLight(-1, 0.0f, 0.0f, Color{0.0f, 0.0f, 0.1f}, 0.0f, LightingSystem::kGlobalLight);
    EXPECT_EQ(lights.GetLightCount(), 18);
    EXPECT_EQ(lights.GetLight(16).type, LightingSystem::kPointLight);
    EXPECT_EQ(lights.GetLight(17).type, LightingSystem::kGlobalLight);
    lights.Reset();
    EXPECT_EQ(lights.GetLightCount(), 0);
}

TEST_F(LightingSystemTest, LightsWithoutRadiusOrColourAreDropped)
{
    Tune(2.0f);
    lights.AddLight(0, 0.0f, 0.0f, Color{1.0f, 0.0f, 0.0f}, 0.0f, LightingSystem::kPointLight);
    lights.AddLight(0, 0.0f, 0.0f, Color{1.0f, 0.0f, 0.0f}, -3.0f, LightingSystem::kPriorityLight);
    lights.AddLight(0, 0.0f, 0.0f, Color{0.0f, 0.0f, 0.0f}, 5.0f, LightingSystem::kPointLight);
    lights.AddLight(0, 0.0f, 0.0f, Color{0.0f, 0.0f, 0.0f}, 0.0f, LightingSystem::kGlobalLight);
    EXPECT_EQ(lights.GetLightCount(), 0);
}

TEST_F(LightingSystemTest, APointLightIsFullToItsRadiusAndFadesToNothingAtTheFalloff)
{
    Tune(2.0f);
    lights.AddLight(0, 0.0f, 0.0f, Color{0.8f, 0.4f, 0.2f}, 10.0f, LightingSystem::kPointLight);
    ExpectColor(lights.LightAt(0, 10.0f, 0.0f), 0.8f, 0.4f, 0.2f);
    ExpectColor(lights.LightAt(0, 0.0f, 15.0f), 0.4f, 0.2f, 0.1f);
    ExpectColor(lights.LightAt(0, 20.0f, 0.0f), 0.0f, 0.0f, 0.0f);
    ExpectColor(lights.LightAt(0, 30.0f, 0.0f), 0.0f, 0.0f, 0.0f);
}

TEST_F(LightingSystemTest, ASumBrighterThanOneIsScaledByItsBrightestChannel)
{
    Tune(2.0f);
    lights.AddLight(0, 0.0f, 0.0f, Color{1.0f, 0.5f, 0.25f}, 10.0f, LightingSystem::kPointLight);
    lights.AddLight(-1, 0.0f, 0.0f, Color{1.0f, 0.5f, 0.25f}, 0.0f, LightingSystem::kGlobalLight);
    ExpectColor(lights.LightAt(0, 1.0f, 1.0f), 1.0f, 0.5f, 0.25f);
    // Far away only the global light reaches.
    ExpectColor(lights.LightAt(0, 500.0f, 0.0f), 1.0f, 0.5f, 0.25f);
    ExpectColor(lights.LightAt(7, 500.0f, 0.0f), 1.0f, 0.5f, 0.25f);
}

TEST_F(LightingSystemTest, FullBrightMakesEveryAnswerWhite)
{
    Tune(2.0f);
    vars.SetStringByName("r_fullbright", "1");
    ExpectColor(lights.LightAt(0, 0.0f, 0.0f), 1.0f, 1.0f, 1.0f);
    std::array<float, 18> sphere = lights.LightSphere(0, 0.0f, 0.0f, 1.0f, 0.0f);
    for (float value : sphere)
        EXPECT_EQ(value, 1.0f);
}

TEST_F(LightingSystemTest, ALightJustBehindAModelLightsItsFront)
{
    Tune(2.0f, 0.5f, 0.5f, 0.0f, 1.0f);
    // Facing +x, the light 3 units behind: pulled 8 forward, it lies 5 ahead.
    lights.AddLight(0, -3.0f, 0.0f, Color{0.5f, 0.0f, 0.0f}, 10.0f, LightingSystem::kPointLight);
    std::array<float, 18> sphere = lights.LightSphere(0, 0.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_NEAR(sphere[6], 0.5f, 1e-5f); // front
    EXPECT_NEAR(sphere[9], 0.0f, 1e-5f); // back
    EXPECT_NEAR(sphere[0], 0.0f, 1e-5f); // right, at right angles
    EXPECT_NEAR(sphere[12], 0.25f, 1e-5f); // top: the four sides x 0.5
    EXPECT_NEAR(sphere[15], 0.125f, 1e-5f); // bottom: the top x 0.5
}

TEST_F(LightingSystemTest, TheRightSideIsTheFacingTurnedClockwiseAndAmbientLightsEverySide)
{
    Tune(2.0f, 0.0f, 0.0f, 0.25f, 1.0f);
    // Facing +y: right is +x. The light lies 20 units along +x.
    lights.AddLight(0, 20.0f, 0.0f, Color{0.4f, 0.4f, 0.4f}, 30.0f, LightingSystem::kPointLight);
    std::array<float, 18> sphere = lights.LightSphere(0, 0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(sphere[0], 0.4f + 0.1f, 1e-5f); // right: direct and ambient
    EXPECT_NEAR(sphere[3], 0.1f, 1e-5f);        // left: ambient
    EXPECT_NEAR(sphere[6], 0.1f, 1e-5f);
}

TEST_F(LightingSystemTest, WhilePausedTheLastFramesLightsStay)
{
    Tune(2.0f);
    bool paused = false;
    lights.SetPausedQuery([&paused] { return paused; });
    lights.AddLight(0, 0.0f, 0.0f, Color{1.0f, 0.0f, 0.0f}, 10.0f, LightingSystem::kPointLight);
    paused = true;
    lights.Reset();
    lights.AddLight(0, 0.0f, 0.0f, Color{1.0f, 0.0f, 0.0f}, 10.0f, LightingSystem::kPointLight);
    EXPECT_EQ(lights.GetLightCount(), 1);
    paused = false;
    lights.Reset();
    EXPECT_EQ(lights.GetLightCount(), 0);
}

TEST_F(LightingSystemTest, ALightOnANeighbouringLevelIsMeasuredInThePointsLevel)
{
    Tune(2.0f);
    // Level 1 lies 100 units east of level 0.
    lights.SetLevelOffset([](int32_t from, int32_t to, float& dx, float& dy) {
        if (from != 1 || to != 0)
            return false;
        dx = 100.0f;
        dy = 0.0f;
        return true;
    });
    lights.AddLight(1, -5.0f, 0.0f, Color{0.5f, 0.5f, 0.5f}, 10.0f, LightingSystem::kPointLight);
    ExpectColor(lights.LightAt(0, 95.0f, 0.0f), 0.5f, 0.5f, 0.5f);
    ExpectColor(lights.LightAt(0, -5.0f, 0.0f), 0.0f, 0.0f, 0.0f);
    // LightAtPoint asks for the level.
    lights.SetCurrentLevelQuery([] { return 0; });
    ExpectColor(lights.LightAtPoint(95.0f, 0.0f), 0.5f, 0.5f, 0.5f);
}

TEST_F(LightingSystemTest, ANewCapTakesEffectAndTheSameCapChangesNothing)
{
    Tune(2.0f);
    lights.AddLight(0, 0.0f, 0.0f, Color{1.0f, 0.0f, 0.0f}, 10.0f, LightingSystem::kPointLight);
    lights.SetMaxLights(16);
    EXPECT_EQ(lights.GetLightCount(), 1);
    lights.SetMaxLights(1);
    lights.AddLight(0, 0.0f, 0.0f, Color{1.0f, 0.0f, 0.0f}, 10.0f, LightingSystem::kPointLight);
    EXPECT_EQ(lights.GetLightCount(), 1);
    lights.AddLight(0, 0.0f, 0.0f, Color{1.0f, 0.0f, 0.0f}, 10.0f, LightingSystem::kPriorityLight);
    lights.AddLight(0, 0.0f, 0.0f, Color{1.0f, 0.0f, 0.0f}, 10.0f, LightingSystem::kPriorityLight);
    lights.AddLight(0, 0.0f, 0.0f, Color{1.0f, 0.0f, 0.0f}, 10.0f, LightingSystem::kPriorityLight);
    EXPECT_EQ(lights.GetLightCount(), 3);
}

TEST(LightingSystemRecord, AMissingRecordIsAnErrorAndLeavesOnlyGlobalLight)
{
    DebugSystem debug;
    CommandSystem commands;
    UserVarSystem vars;
    gDebugSystem = &debug;
    gCommandSystem = &commands;
    gUserVarSystem = &vars;
    gDatabase = nullptr;
    LightingSystem lights;
    lights.Init();
    lights.SetMaxLights(4);
    lights.AddLight(0, 0.0f, 0.0f, Color{1.0f, 0.0f, 0.0f}, 10.0f, LightingSystem::kPointLight);
    lights.AddLight(-1, 0.0f, 0.0f, Color{0.0f, 0.5f, 0.0f}, 0.0f, LightingSystem::kGlobalLight);
    Color light = lights.LightAt(0, 0.0f, 0.0f);
    EXPECT_EQ(light.r, 0.0f);
    EXPECT_EQ(light.g, 0.5f);
    bool logged = false;
    for (const std::string& line : debug.GetConsoleLines())
        logged = logged || line.find("LightingSystem database entry not found!") != std::string::npos;
    EXPECT_TRUE(logged);
    gUserVarSystem = nullptr;
    gCommandSystem = nullptr;
    gDebugSystem = nullptr;
}

} // namespace
