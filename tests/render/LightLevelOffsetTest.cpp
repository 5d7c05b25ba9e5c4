// LightLevelOffsetTest -- lights measured across level edges through the world's own layout: a light just over a neighbour's edge lights this side, a light two levels away reaches only as far as its distance, and a level the world lacks keeps its light where it stands.
#include "render/LightingSystem.h"

#include "render/MapWorld.h"

#include <gtest/gtest.h>

namespace {

// Three levels of 64 tiles of 10 units in one row: each level 640 units wide.
class LightLevelOffset : public MapWorld {
protected:
    LightLevelOffset()
    {
        Build(10.0f, 64, 3, 1);
        lights.Init();
        lights.SetMaxLights(16);
        lights.SetTuning({2.0f, 0.0f, 0.0f, 0.0f, 0.0f});
        lights.SetLevelOffset(&LightingSystem::OffsetThroughWorld);
    }
    LightingSystem lights;
};

TEST_F(LightLevelOffset, ALightOverTheEdgeLightsTheNeighboursSideAndAFarLevelsLightStaysAway)
{
    float dx = 0.0f;
    float dy = 0.0f;
    ASSERT_TRUE(LightingSystem::OffsetThroughWorld(1, 0, dx, dy));
    EXPECT_FLOAT_EQ(dx, 640.0f);
    EXPECT_FLOAT_EQ(dy, 0.0f);
    ASSERT_TRUE(LightingSystem::OffsetThroughWorld(0, 2, dx, dy));
    EXPECT_FLOAT_EQ(dx, -1280.0f);
    EXPECT_FALSE(LightingSystem::OffsetThroughWorld(0, 7, dx, dy));

    // 5 units into level 1: 10 units from a point 5 units inside level 0's east edge.
    lights.AddLight(1, 5.0f, 100.0f, Color{0.5f, 0.5f, 0.5f}, 10.0f, LightingSystem::kPointLight);
    Color near = lights.LightAt(0, 635.0f, 100.0f);
    EXPECT_NEAR(near.r, 0.5f, 1e-5f);
    // The same coordinates on level 0 itself are a whole level away from the light.
    EXPECT_NEAR(lights.LightAt(0, 5.0f, 100.0f).r, 0.0f, 1e-5f);

    // Level 2 lies a level beyond: its light at x 5 does not reach level 0's east edge.
    lights.Reset();
    lights.AddLight(2, 5.0f, 100.0f, Color{0.5f, 0.5f, 0.5f}, 10.0f, LightingSystem::kPointLight);
    EXPECT_NEAR(lights.LightAt(0, 635.0f, 100.0f).r, 0.0f, 1e-5f);
    EXPECT_NEAR(lights.LightAt(1, 635.0f, 100.0f).r, 0.5f, 1e-5f);
}

} // namespace
