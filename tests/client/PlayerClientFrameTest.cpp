// PlayerClientFrameTest -- the local player's frame against the game client's: the sight grids traced where the frame's chase left the move target, and the player's own light, added last, shining with the ordinary lights full.
#include "client/PlayerClientWorld.h"

#include "client/ClientSight.h"
#include "render/LightingSystem.h"
#include "world/World.h"

#include <vector>

namespace {

class PlayerClientFrame : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("GridSize 32 32\nShowLineOfSight 1\n");
        MakePlayer();
        Join();
        gWorld->UpdateLevelGeneration();
    }

    // Host entities east of the player at the distances given, as the client mirrors them.
    std::vector<EntityClient*> MirroredEast(const std::vector<float>& distances)
    {
        std::vector<Entity*> spawned;
        for (float dx : distances)
            spawned.push_back(Spawn<Entity>(hostPlayer->position.x + dx, hostPlayer->position.y,
                                            hostPlayer->position.level));
        ClientFrame(50);
        ClientFrame(50);
        std::vector<EntityClient*> mirrors;
        for (Entity* entity : spawned)
            mirrors.push_back(gameClient->GetEntity(entity->entityNumber));
        return mirrors;
    }
};

// In the frame the chase moves the move target onto the chosen entity the sight grids are traced
// there, not where the move target stood before the player's walk.
TEST_F(PlayerClientFrame, TheSightGridsCentreWhereTheFramesWalkLeftTheMoveTarget)
{
    EntityClient* far = MirroredEast({200.0f}).front();
    ASSERT_NE(far, nullptr);
    const WorldPos before = gameClient->GetSight().GetCurrentCentre();
    ASSERT_GT(before.Distance2D(far->position), 100.0f);
    player->SetTarget(far, true);
    ASSERT_TRUE(player->SetInteractionMode(true, PlayerClient::kModeApproach, true));
    ClientFrame(0);
    ASSERT_LT(player->GetMoveTarget().Distance2D(far->position), 1.0f) << "the chase took the entity's place";
    EXPECT_LT(gameClient->GetSight().GetCurrentCentre().Distance2D(far->position), 1.0f)
        << "traced a frame behind, at " << gameClient->GetSight().GetCurrentCentre().x;
}

// As many lit things in view as the ordinary lights hold, each lit in its own update before the
// player's: the player's own light, added last, still shines in a place kept beyond them.
TEST_F(PlayerClientFrame, ThePlayersOwnLightShinesWhenTheOrdinaryLightsAreFull)
{
    // In the system's slot while the test runs, and out of it however the test ends.
    struct LightingInPlace {
        LightingInPlace()
        {
            lighting.SetMaxLights(16);
            gLightingSystem = &lighting;
        }
        ~LightingInPlace() { gLightingSystem = nullptr; }
        LightingSystem lighting;
    } slot;
    LightingSystem& lighting = slot.lighting;
    std::vector<float> distances;
    for (int i = 0; i < 18; ++i)
        distances.push_back(40.0f + 12.0f * static_cast<float>(i));
    for (EntityClient* mirror : MirroredEast(distances)) {
        ASSERT_NE(mirror, nullptr);
        mirror->lightColor = Color{1.0f, 1.0f, 1.0f};
        mirror->lightFalloff = 50.0f;
    }
    const Color own{0.5f, 0.25f, 0.125f};
    player->GetBody()->lightColor = own;
    player->GetBody()->lightFalloff = 80.0f;
    lighting.Reset();
    gameClient->Update(0.0f);
    player->UpdateFrame(0.0f);

    int ordinary = 0;
    int players = 0;
    for (int32_t i = 0; i < lighting.GetLightCount(); ++i) {
        const LightingSystem::Light& light = lighting.GetLight(i);
        ordinary += light.color.r == 1.0f && light.color.g == 1.0f && light.color.b == 1.0f;
        if (light.color.r == own.r && light.color.g == own.g && light.color.b == own.b) {
            ++players;
            EXPECT_EQ(light.type, LightingSystem::kPointLight) << "it shines as a point light";
            EXPECT_FLOAT_EQ(light.x, player->GetPosition().x + player->lightOffset[0]);
        }
    }
    EXPECT_EQ(ordinary, 16) << "the ordinary lights are full";
    EXPECT_EQ(players, 1) << "the player's own light";
}

} // namespace
