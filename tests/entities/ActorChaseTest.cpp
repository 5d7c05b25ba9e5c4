// ActorChaseTest -- actors walking over the real path finder: a melee chase of a target on the move with few searches that still reaches and strikes it, a repeated order walked on one path, a kept path searched again when something steps into it, a failed search answered again without a new one, and a stopped chase taken up again.
#include "entities/ai/BehaviorMelee.h"
#include "entities/ai/BehaviorWorld.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/PathFinder.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kChaseCell = 32.0f;

class ActorChase : public BehaviorWorld {
protected:
    ActorChase()
    {
        gWorld = &world;
        world.Create();
        area.name = "Field";
        auto level = std::make_unique<Level>();
        level->area = &area;
        world.AddLevel(std::move(level));
        Level& field = *world.GetLevel(0);
        LevelGenerator::AddReference(field, 0);
        LevelGenerator::EnsureGenerated(field);
        data = field.data.get();
        std::fill(data->visited.begin(), data->visited.end(), true);
        std::fill(data->blockBuilt.begin(), data->blockBuilt.end(), true);
        std::fill(data->movementBits.begin(), data->movementBits.end(), false);
        game.pathFinder = &finder;
        gPathFinder = &finder;
    }

    ~ActorChase() override
    {
        game.DestroyAll();
        world.Destroy();
        gPathFinder = nullptr;
        gWorld = nullptr;
    }

    // Level cells are kChaseCell wide from the origin.
    void Block(float x, float y, bool blocked = true)
    {
        int32_t cx = static_cast<int32_t>(std::floor(x / kChaseCell + 0.5f));
        int32_t cy = static_cast<int32_t>(std::floor(y / kChaseCell + 0.5f));
        data->movementBits[static_cast<size_t>(cy * data->geometry.CellsAcross() + cx)] = blocked;
    }

    // Orders the move every step as the behaviours do, and walks, until it ends or the steps run out.
    int32_t WalkWithOrders(Actor* actor, const WorldPos& goal, int32_t steps)
    {
        int32_t taken = 0;
        for (; taken < steps; ++taken) {
            actor->MoveTo(goal);
            actor->Walk();
            game.Step();
            if (!actor->moving)
                break;
        }
        return taken;
    }

    static int32_t Count(const ScriptedBehavior& watcher, const std::string& call)
    {
        return static_cast<int32_t>(std::count(watcher.calls.begin(), watcher.calls.end(), call));
    }

    ScriptedBehavior* Watch(Actor* actor)
    {
        auto behavior = std::make_unique<ScriptedBehavior>();
        ScriptedBehavior* raw = behavior.get();
        actor->AddBehavior(std::move(behavior));
        return raw;
    }

    World world;
    AreaDefinition area;
    LevelData* data = nullptr;
    PathFinder finder;
};

} // namespace

TEST_F(ActorChase, AMeleeChaseOfATargetOnTheMoveSearchesRarelyYetReachesAndStrikesIt)
{
    Actor* actor = SpawnActor("MonsterTester", 5, 800.0f, 800.0f);
    actor->SetActive(true);
    actor->mayGoInactive = false;
    auto melee = std::make_unique<BehaviorMelee>();
    melee->actor = actor;
    actor->AddBehavior(std::move(melee));
    // A wall between them to go round.
    for (float y = 640.0f; y <= 960.0f; y += kChaseCell)
        Block(1000.0f, y);
    Sentient* target = SpawnTarget(1300.0f, 800.0f);
    target->maxHealth = target->health = 1000000;
    actor->AddHate(target, 5.0f, 0);
    // The target walks a circle of 150 around (1300, 800) at 40 units a second.
    constexpr int32_t kSteps = 400;
    float nearest = 1e9f;
    int32_t stepsInReach = 0;
    int32_t swings = 0;
    for (int32_t i = 0; i < kSteps; ++i) {
        float angle = 40.0f / 150.0f * FakeGameServices::kStep * static_cast<float>(i);
        target->SetPosition(At(1300.0f + 150.0f * std::cos(angle) - 150.0f, 800.0f + 150.0f * std::sin(angle)));
        int32_t before = game.CountScheduledActions();
        actor->Update(FakeGameServices::kStep);
        swings += game.CountScheduledActions() > before ? 1 : 0;
        game.Step();
        float distance = EntityDistance2D(actor, target, false);
        nearest = std::min(nearest, distance);
        stepsInReach += distance < BehaviorMelee::kSwingReach ? 1 : 0;
    }
    EXPECT_LE(static_cast<double>(actor->pathSearches) / kSteps, 0.1) << actor->pathSearches << " searches";
    EXPECT_GT(actor->pathSearches, 2) << "the moving target is searched for again";
    EXPECT_LT(nearest, BehaviorMelee::kSwingReach);
    // Once caught, the target stays in reach while it circles.
    EXPECT_GT(stepsInReach, kSteps / 2);
    EXPECT_GT(swings, 3);
}

TEST_F(ActorChase, ARepeatedOrderIsWalkedOnOnePath)
{
    Actor* actor = SpawnActor("MonsterTester", 5, 320.0f, 320.0f);
    ScriptedBehavior* watcher = Watch(actor);
    WorldPos goal = At(640.0f, 480.0f);
    int32_t steps = WalkWithOrders(actor, goal, 400);
    EXPECT_LT(steps, 400);
    EXPECT_TRUE(actor->position.IsWithinRange(goal, 0.5f));
    EXPECT_EQ(actor->pathSearches, 1);
    EXPECT_EQ(Count(*watcher, "notify 5"), 1);
    EXPECT_EQ(Count(*watcher, "notify 4"), 0);
    // A new goal is a new search.
    WalkWithOrders(actor, At(640.0f, 320.0f), 400);
    EXPECT_EQ(actor->pathSearches, 2);
    EXPECT_TRUE(actor->position.IsWithinRange(At(640.0f, 320.0f), 0.5f));
}

TEST_F(ActorChase, AKeptPathCrossedByABlockerIsSearchedAgainAndGoesRound)
{
    Actor* actor = SpawnActor("MonsterTester", 5, 320.0f, 320.0f);
    ScriptedBehavior* watcher = Watch(actor);
    WorldPos goal = At(640.0f, 320.0f);
    WalkWithOrders(actor, goal, 20);
    ASSERT_TRUE(actor->moving);
    ASSERT_EQ(actor->pathSearches, 1);
    // A wall rises across the straight way ahead; the line test sees it as a thin wall
    // through its cells' centres.
    for (float y = 224.0f; y <= 416.0f; y += kChaseCell)
        Block(544.0f, y);
    game.lineBlocked = [](const WorldPos& from, const WorldPos& to) {
        if ((from.x - 544.0f) * (to.x - 544.0f) > 0.0f)
            return false;
        if (from.x == to.x)
            return std::max(from.y, to.y) >= 224.0f && std::min(from.y, to.y) <= 416.0f;
        float y = from.y + (544.0f - from.x) / (to.x - from.x) * (to.y - from.y);
        return y >= 224.0f && y <= 416.0f;
    };
    int32_t steps = WalkWithOrders(actor, goal, 400);
    EXPECT_LT(steps, 400);
    EXPECT_TRUE(actor->position.IsWithinRange(goal, 0.5f));
    EXPECT_EQ(actor->pathSearches, 2);
    EXPECT_EQ(Count(*watcher, "notify 4"), 0);
}

TEST_F(ActorChase, AFailedSearchRepeatedFromTheSameCellIsAnsweredWithoutANewOneForHalfASecond)
{
    Actor* actor = SpawnActor("MonsterTester", 5, 320.0f, 320.0f);
    ScriptedBehavior* watcher = Watch(actor);
    // The goal walled in.
    for (float y = 576.0f; y <= 704.0f; y += kChaseCell)
        for (float x = 576.0f; x <= 704.0f; x += kChaseCell)
            Block(x, y, x == 576.0f || x == 704.0f || y == 576.0f || y == 704.0f);
    WorldPos goal = At(640.0f, 640.0f);
    for (int32_t i = 0; i < 20; ++i) {
        actor->MoveTo(goal);
        actor->Walk();
        game.Step();
    }
    // Every order still fails as a search would; one search per half second.
    EXPECT_EQ(Count(*watcher, "notify 4"), 20);
    EXPECT_EQ(actor->pathSearches, 2);
    EXPECT_FALSE(actor->moving);
    // Opened, the next search after the half second finds the way.
    Block(576.0f, 640.0f, false);
    for (int32_t i = 0; i < 10; ++i) {
        actor->MoveTo(goal);
        actor->Walk();
        game.Step();
    }
    EXPECT_TRUE(actor->moving);
    EXPECT_EQ(actor->pathSearches, 3);
}

TEST_F(ActorChase, AChaseStoppedAndOrderedAgainAtOnceTakesUpItsPath)
{
    Actor* actor = SpawnActor("MonsterTester", 5, 320.0f, 320.0f);
    Sentient* target = SpawnTarget(960.0f, 320.0f);
    auto chase = [&](int32_t steps) {
        for (int32_t i = 0; i < steps; ++i) {
            actor->MoveToEntity(target);
            actor->Walk();
            game.Step();
        }
    };
    chase(3);
    ASSERT_EQ(actor->pathSearches, 1);
    // Two behaviours taking turns: one stops the move, the other orders the chase again.
    actor->StopMoving();
    chase(3);
    EXPECT_EQ(actor->pathSearches, 1);
    EXPECT_TRUE(actor->moving);
    float before = actor->position.x;
    chase(2);
    EXPECT_GT(actor->position.x, before);
    // Stopped for longer than the repath time, the chase is searched again once the cell
    // being walked into is reached.
    actor->StopMoving();
    game.StepFor(1.0f);
    chase(8);
    EXPECT_EQ(actor->pathSearches, 2);
    // The target beside it: the order ends in an arrival without a search.
    target->SetPosition(actor->position);
    game.StepFor(1.0f);
    chase(12);
    EXPECT_FALSE(actor->moving);
    EXPECT_EQ(actor->pathSearches, 2);
}
