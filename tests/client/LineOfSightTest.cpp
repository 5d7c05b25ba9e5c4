// LineOfSightTest -- the shadow grids (the soft grid's margins on the four border runs, the blocked step's own cell lit, the centre never shadowed), the window's edge, the fade while the character walks from one destination to the next, the switches, the maps' shader at a cell and the game client's owner look-up.
#include "client/ClientServicesWorld.h"

#include "client/ClientSight.h"
#include "client/EntityOverlays.h"
#include "rules/RulesWorld.h"
#include "world/Level.h"
#include "world/World.h"

#include <cmath>

namespace {

// Cells of 10 x 10 world units with no world: only the blockers given cast shadows.
class LineOfSightGrid : public RulesWorld {
protected:
    void SetUp() override { LoadGameSystem("ShowLineOfSight 1\nGridSize 10 10\nTileSize 40"); }

    static bool At(const ClientSight::Grid& grid, int32_t x, int32_t y)
    {
        return grid[static_cast<size_t>(y * ClientSight::kGridSide + x)];
    }

    // A blocker at a cell's offset from the centre.
    static ClientSight::Blocker BlockerAt(int32_t dx, int32_t dy, float radius = 5.0f)
    {
        return {kCentre.x + static_cast<float>(dx) * 10.0f, kCentre.y + static_cast<float>(dy) * 10.0f, radius};
    }

    static constexpr WorldPos kCentre{0, 1000.0f, 1000.0f, true};
    GameClient client;
    ClientSight sight{client};
    ClientSight::Grid full;
    ClientSight::Grid soft;
};

TEST_F(LineOfSightGrid, TheSoftGridLeavesTwoStepsLitBehindABlockerOnlyOnTheFirstTwoRuns)
{
    // Above the centre the rays of the first run pass; below it those of the last.
    ClientSight::TraceGrids(kCentre, {BlockerAt(0, 3), BlockerAt(0, -3)}, full, soft);
    ASSERT_EQ(full.size(), static_cast<size_t>(ClientSight::kGridCells));
    // The blocked step's own cell stays lit; the cells behind it are in shadow.
    EXPECT_FALSE(At(full, 20, 23));
    EXPECT_TRUE(At(full, 20, 24));
    EXPECT_TRUE(At(full, 20, 25));
    EXPECT_FALSE(At(soft, 20, 24));
    EXPECT_FALSE(At(soft, 20, 25));
    EXPECT_TRUE(At(soft, 20, 26));
    EXPECT_TRUE(At(full, 20, 40));

    EXPECT_FALSE(At(full, 20, 17));
    EXPECT_TRUE(At(full, 20, 15));
    EXPECT_TRUE(At(soft, 20, 16));
    EXPECT_TRUE(At(soft, 20, 15));
    EXPECT_FALSE(At(full, 20, 20));
}

TEST_F(LineOfSightGrid, TheLeftAndRightRunsDifferInTheirMarginsToo)
{
    ClientSight::TraceGrids(kCentre, {BlockerAt(-3, 0), BlockerAt(3, 0)}, full, soft);
    EXPECT_TRUE(At(full, 15, 20));
    EXPECT_FALSE(At(soft, 15, 20));
    EXPECT_TRUE(At(soft, 14, 20));
    EXPECT_TRUE(At(full, 25, 20));
    EXPECT_TRUE(At(soft, 25, 20));
    EXPECT_TRUE(At(soft, 24, 20));
}

TEST_F(LineOfSightGrid, NoBlockerNoShadowAndTheCentreIsAlwaysLit)
{
    ClientSight::TraceGrids(kCentre, {}, full, soft);
    EXPECT_EQ(std::count(full.begin(), full.end(), true), 0);
    // A ring of blockers all round: everything past it is dark, the centre is not.
    std::vector<ClientSight::Blocker> ring;
    for (int32_t d = -1; d <= 1; ++d)
        for (int32_t e = -1; e <= 1; ++e)
            if (d != 0 || e != 0)
                ring.push_back(BlockerAt(d, e, 8.0f));
    ClientSight::TraceGrids(kCentre, ring, full, soft);
    EXPECT_FALSE(At(full, 20, 20));
    EXPECT_TRUE(At(full, 0, 0));
    EXPECT_TRUE(At(full, 40, 40));
    EXPECT_TRUE(At(full, 3, 37));
}

TEST_F(LineOfSightGrid, JustOutsideTheWindowOnlyALitNeighbourInsideItSees)
{
    ClientSight::TraceGrids(kCentre, {}, full, soft);
    WorldPos outside = kCentre;
    outside.x += 21.0f * 10.0f;
    EXPECT_TRUE(sight.IsPositionInSight(outside, full, kCentre));
    outside.x += 10.0f;
    EXPECT_FALSE(sight.IsPositionInSight(outside, full, kCentre));
    // The column at the window's edge dark: the cell just past it sees nothing.
    ClientSight::TraceGrids(kCentre, {BlockerAt(3, 0), BlockerAt(3, 1), BlockerAt(3, -1), BlockerAt(3, 2),
                                      BlockerAt(3, -2)},
                            full, soft);
    WorldPos right = kCentre;
    right.x += 21.0f * 10.0f;
    EXPECT_FALSE(sight.IsPositionInSight(right, full, kCentre));
    // A grid never computed sees nothing; a far or broken position neither.
    EXPECT_FALSE(sight.IsPositionInSight(kCentre, ClientSight::Grid(), kCentre));
    WorldPos broken{0, NAN, 5.0f, true};
    EXPECT_FALSE(sight.IsPositionInSight(broken, full, kCentre));
}

TEST_F(LineOfSightGrid, SwitchedOffEverythingIsSeen)
{
    sight.SetFogOff(true);
    EXPECT_TRUE(sight.IsPositionInSight(kCentre, ClientSight::Grid(), kCentre));
    EXPECT_FLOAT_EQ(sight.GetSightFade(kCentre, false), 1.0f);
    sight.SetFogOff(false);
    LoadGameSystem("ShowLineOfSight 0");
    EXPECT_TRUE(sight.IsPositionInSight(kCentre, ClientSight::Grid(), kCentre));
    EXPECT_FLOAT_EQ(sight.GetSightFade(kCentre, true), 1.0f);
}

// Counts the texts an overlay draw hands it.
class LineOfSightCanvas : public OverlayCanvas {
public:
    Vector2 GetEntityTop(const EntityClient&) const override { return Vector2{100.0f, 100.0f}; }
    float GetScale() const override { return 1.0f; }
    float MeasureTextHeight(const std::string&) const override { return 10.0f; }
    void FillRect(float, float, float, float, int32_t, float) override {}
    void DrawText(const std::string&, float, float, int32_t, float) override { ++texts; }
    int32_t texts = 0;
};

// ---- In a joined game on a generated level ----

class LineOfSightWalk : public ClientServicesWorld {
protected:
    void SetUp() override
    {
        StartAndJoin("", "ShowLineOfSight 1\n");
        // Two more entities beside the player, so that the client mirrors three.
        for (float dx : {40.0f, 80.0f})
            Spawn(link->position.x + dx, link->position.y, link->position.level);
        ClientFrame(0);
        ClientFrame(0);
    }

    ClientSight& Sight() { return gameClient->GetSight(); }

    // A position whose answer differs between the previous and the current full grid.
    bool FindChangingPosition(WorldPos& out, float& now, float& before)
    {
        const WorldPos& current = Sight().GetCurrentCentre();
        for (int32_t dy = -25; dy <= 25; ++dy) {
            for (int32_t dx = -25; dx <= 25; ++dx) {
                WorldPos at{current.level, current.x + 32.0f * dx, current.y + 32.0f * dy, true};
                now = Sight().IsPositionInSight(at, Sight().GetGrid(true, false), current) ? 1.0f : 0.0f;
                before = Sight().IsPositionInSight(at, Sight().GetGrid(false, false), Sight().GetPreviousCentre())
                             ? 1.0f
                             : 0.0f;
                if (now != before) {
                    out = at;
                    return true;
                }
            }
        }
        return false;
    }
};

TEST_F(LineOfSightWalk, TheGridsFollowTheDestinationAndTheFadeRunsWithTheDistanceWalked)
{
    WorldPos start = link->position;
    link->destination = start;
    Sight().UpdateLineOfSight();
    EXPECT_EQ(Sight().GetCurrentCentre().x, start.x);
    WorldPos goal = start;
    goal.x += 320.0f;
    link->destination = goal;
    Sight().UpdateLineOfSight();
    EXPECT_EQ(Sight().GetPreviousCentre().x, start.x);
    EXPECT_EQ(Sight().GetCurrentCentre().x, goal.x);

    WorldPos probe;
    float now = 0.0f;
    float before = 0.0f;
    ASSERT_TRUE(FindChangingPosition(probe, now, before));
    // Still at the start: the old answer; a quarter of the way: three quarters of it.
    link->position = start;
    EXPECT_FLOAT_EQ(Sight().GetSightFade(probe, false), before);
    link->position.x = start.x + 80.0f;
    EXPECT_FLOAT_EQ(Sight().GetSightFade(probe, false), 0.25f * now + 0.75f * before);
    link->position.x = start.x + 240.0f;
    EXPECT_FLOAT_EQ(Sight().GetSightFade(probe, false), 0.75f * now + 0.25f * before);
    link->position = goal;
    EXPECT_FLOAT_EQ(Sight().GetSightFade(probe, false), now);
    // Walked back past the old centre: held at the old answer, never beyond it.
    link->position.x = start.x - 320.0f;
    EXPECT_FLOAT_EQ(Sight().GetSightFade(probe, false), before);
}

TEST_F(LineOfSightWalk, AChangedBlockerRecomputesBothGridsOnceAndTheSwitchesStopIt)
{
    // A new game switches the fog back on.
    Sight().SetFogOff(true);
    gameClient->Reset();
    EXPECT_FALSE(Sight().IsFogOff());
    link->destination = link->position;
    Sight().UpdateLineOfSight();
    gameClient->losDirty = true;
    Sight().UpdateLineOfSight();
    EXPECT_FALSE(gameClient->losDirty);
    EXPECT_EQ(Sight().GetGrid(false, false).size(), static_cast<size_t>(ClientSight::kGridCells));
    Sight().SetFogOff(true);
    gameClient->losDirty = true;
    Sight().UpdateLineOfSight();
    EXPECT_TRUE(gameClient->losDirty);
}

TEST_F(LineOfSightWalk, TheLowerNumberedShaderEntityWithinFourUnitsGivesTheCellsShader)
{
    EntityClient* body = gameClient->GetEntity(link->GetEntityNumber());
    ASSERT_NE(body, nullptr);
    const GameSystemTuning& tuning = gameData.GetTuning();
    int32_t mapX = static_cast<int32_t>(std::floor((body->position.x - tuning.gridSize.x) / tuning.tileSize));
    int32_t mapY = static_cast<int32_t>(std::floor((body->position.y - tuning.gridSize.y) / tuning.tileSize));
    float cellX = static_cast<float>(mapX) * tuning.tileSize + tuning.gridSize.x;
    float cellY = static_cast<float>(mapY) * tuning.tileSize + tuning.gridSize.y;
    EXPECT_FALSE(Sight().GetMapShaderAt(body->position.level, mapX, mapY).IsValid());

    WriteSound("Textures/first.wav");
    WriteSound("Textures/second.wav");
    int32_t near = -1;
    for (int32_t number = 0; number < GameClient::kMaxEntities && near == -1; ++number)
        if (gameClient->GetEntity(number) && number != body->entityNumber)
            near = number;
    ASSERT_NE(near, -1) << "the level holds no second entity";
    EntityClient* other = gameClient->GetEntity(near);
    EntityClient* lower = near < body->entityNumber ? other : body;
    EntityClient* higher = lower == body ? other : body;
    for (EntityClient* entity : {lower, higher}) {
        entity->position = WorldPos{body->position.level, cellX + 1.0f, cellY + 2.0f, true};
        entity->alwaysUseMapShader = true;
    }
    manager->Load("Textures/first.wav", lower->mapShader);
    manager->Load("Textures/second.wav", higher->mapShader);
    // The list was built for this update without them: it waits for the next update.
    EXPECT_FALSE(Sight().GetMapShaderAt(body->position.level, mapX, mapY).IsValid());
    ClientFrame(0);
    for (EntityClient* entity : {lower, higher}) {
        entity->position = WorldPos{body->position.level, cellX + 1.0f, cellY + 2.0f, true};
        entity->alwaysUseMapShader = true;
    }
    ResourceHandle shader = Sight().GetMapShaderAt(body->position.level, mapX, mapY);
    EXPECT_EQ(shader.GetName(), "Textures/first.wav");
    lower->position.x += 4.0f;
    EXPECT_EQ(Sight().GetMapShaderAt(body->position.level, mapX, mapY).GetName(), "Textures/second.wav");
}

TEST_F(LineOfSightWalk, AnOwnersSlotFindsTheFirstEntityItHolds)
{
    EntityClient* body = gameClient->GetEntity(link->GetEntityNumber());
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(gameClient->FindEntityByOwner(nullptr, 1), nullptr);
    EXPECT_EQ(gameClient->FindEntityByOwner(body, -1), nullptr);
    EXPECT_EQ(gameClient->FindEntityByOwner(body, 3), nullptr);
    std::vector<EntityClient*> held;
    for (int32_t number = 0; number < GameClient::kMaxEntities; ++number)
        if (EntityClient* entity = gameClient->GetEntity(number); entity && entity != body)
            held.push_back(entity);
    ASSERT_FALSE(held.empty());
    for (EntityClient* entity : held) {
        entity->parentNumber = body->entityNumber;
        entity->parentTag = 3;
    }
    EXPECT_EQ(gameClient->FindEntityByOwner(body, 3), held.front());
    EXPECT_EQ(gameClient->FindEntityByOwner(body, 2), nullptr);
    // One hanging on the owner by no tag is still no answer for slot -1; nor is an owner the
    // table does not hold, though every unowned entity names owner -1.
    for (EntityClient* entity : held)
        entity->parentTag = -1;
    EXPECT_EQ(gameClient->FindEntityByOwner(body, -1), nullptr);
    EntityClient loose;
    ASSERT_EQ(loose.entityNumber, -1);
    held.front()->parentNumber = -1;
    held.front()->parentTag = 3;
    EXPECT_EQ(gameClient->FindEntityByOwner(&loose, 3), nullptr);
}

} // namespace

TEST_F(LineOfSightWalk, OverlaysShowOnlyWhileTheEntityAndEveryOwnerUpItsChainAreInSight)
{
    Spawn(link->position.x + 120.0f, link->position.y, link->position.level);
    ClientFrame(0);
    ClientFrame(0);
    // The local player's frame traces the grids; the test's link stands in for that player.
    Sight().UpdateLineOfSight();
    std::vector<EntityClient*> chain;
    for (int32_t number = 0; number < EntityClient::kMaxEntities; ++number)
        if (EntityClient* entity = gameClient->GetEntity(number);
            entity && number != link->GetEntityNumber() && entity->position.Distance2D(link->position) < 200.0f)
            chain.push_back(entity);
    ASSERT_GE(chain.size(), 3u);
    // The first hangs on the second, the second on the third.
    chain[0]->parentNumber = chain[1]->entityNumber;
    chain[1]->parentNumber = chain[2]->entityNumber;
    OverlayFrame frame;
    frame.lifeSeconds = 2.0f;
    chain[0]->damageTexts = {{frame.now, "7"}};
    // The first one's place is lit (the others may stand in its shadow).
    const WorldPos near = chain[0]->position;
    WorldPos far = link->position;
    far.x += 30.0f * gGameData->GetTuning().gridSize.x;
    ASSERT_GT(Sight().GetSightFade(near, true), 0.0f);
    ASSERT_EQ(Sight().GetSightFade(far, true), 0.0f);
    for (size_t away = 0; away <= 3; ++away) {
        for (size_t i = 0; i < 3; ++i)
            chain[i]->position = i == away ? far : near;
        LineOfSightCanvas canvas;
        chain[0]->UpdateVisuals(frame, canvas);

        EXPECT_EQ(canvas.texts, away == 3 ? 1 : 0) << "link " << away << " out of sight";
    }
}
