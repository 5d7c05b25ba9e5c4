// GameSpatialIndexTest -- the quadtree and the per-level grids against brute force: movers, level crossings, removals, reused numbers, places that are no number.
#include "server/GameWorld.h"

#include "core/RandomSystem.h"
#include "server/SpatialTreeNode.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace {

std::set<int32_t> Sorted(const std::vector<int32_t>& numbers)
{
    return {numbers.begin(), numbers.end()};
}

TEST(SpatialTreeNode, SplitsPastCapacityAndStopsAtTheMaximumDepth)
{
    SpatialTreeNode root(0, 0, 1600, 1600);
    // Nine entries fit a leaf; the tenth splits it. All in one corner: the tree goes down to its
    // depth limit and the last leaf then keeps any number.
    for (int32_t i = 0; i < 200; ++i)
        root.Insert({i, 1.0f + 0.001f * static_cast<float>(i), 1.0f});
    EXPECT_EQ(root.CountEntries(), 200);
    std::vector<int32_t> found;
    root.CollectInRadius(1.0f, 1.0f, 0.5f, found);
    EXPECT_EQ(found.size(), 200u);
    found.clear();
    root.CollectInRadius(1500.0f, 1500.0f, 10.0f, found);
    EXPECT_TRUE(found.empty()) << "the far quadrant's leaf is visited and empty";
}

TEST(SpatialTreeNode, RemovesByThePlaceItWasEnteredAt)
{
    SpatialTreeNode root(0, 0, 1600, 1600);
    for (int32_t i = 0; i < 40; ++i)
        root.Insert({i, 40.0f * static_cast<float>(i), 40.0f * static_cast<float>(i)});
    EXPECT_FALSE(root.Remove(5, 1500.0f, 100.0f)) << "not in the leaf of that place";
    EXPECT_TRUE(root.Remove(5, 200.0f, 200.0f));
    EXPECT_FALSE(root.Remove(5, 200.0f, 200.0f));
    EXPECT_EQ(root.CountEntries(), 39);
}

TEST(SpatialTreeNode, PlacesBeyondTheBoundsAreStillFound)
{
    SpatialTreeNode root(0, 0, 1000, 1000);
    for (int32_t i = 0; i < 30; ++i)
        root.Insert({i, 500.0f, 500.0f});
    root.Insert({99, 1030.0f, -20.0f});
    std::vector<int32_t> found;
    root.CollectInRadius(1010.0f, 0.0f, 40.0f, found);
    EXPECT_EQ(found, std::vector<int32_t>{99});
    EXPECT_TRUE(root.Remove(99, 1030.0f, -20.0f));
}

class GameSpatialIndex : public GameWorld {
protected:
    // Every entity whose distance (less its radius with useRadii) is within the radius, by
    // walking the whole table.
    std::set<int32_t> BruteForce(const WorldPos& centre, float radius, bool useRadii) const
    {
        std::set<int32_t> numbers;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
            const Entity* entity = game->GetEntity(i);
            if (!entity || entity->position.level == -1 || !std::isfinite(entity->position.x))
                continue;
            float distance = Vector2Length(centre.DeltaTo(entity->position)) - (useRadii ? entity->radius : 0.0f);
            if (distance <= radius)
                numbers.insert(i);
        }
        return numbers;
    }

    std::set<int32_t> Near(const WorldPos& centre, float radius, bool useRadii) const
    {
        std::vector<int32_t> numbers;
        game->CollectEntitiesNear(centre, radius, useRadii, numbers);
        EXPECT_EQ(numbers.size(), Sorted(numbers).size()) << "no number twice";
        return Sorted(numbers);
    }

    WorldPos RandomPlace(RandomSystem& stream)
    {
        int32_t level = stream.RandomInt(RandomStream::GameData, 3);
        float x = stream.RandomFloat(RandomStream::GameData) * RowWorld::kLevelSize;
        float y = stream.RandomFloat(RandomStream::GameData) * RowWorld::kLevelSize;
        return At(x, y, level);
    }
};

TEST_F(GameSpatialIndex, TheGridsAgreeWithBruteForceThroughAHundredStepsOfMovers)
{
    RandomSystem stream(1234);
    std::vector<Entity*> movers;
    for (int32_t i = 0; i < 500; ++i) {
        Entity* mover = Spawn(0, 0);
        mover->radius = stream.RandomFloat(RandomStream::GameData) * 40.0f;
        mover->SetPosition(RandomPlace(stream));
        movers.push_back(mover);
    }
    int32_t crossings = 0;
    for (int32_t step = 0; step < 100; ++step) {
        for (Entity*& mover : movers) {
            Vector2 move = stream.RandomDirection2D(RandomStream::GameData) * 400.0f;
            WorldPos next = mover->position.Offset(move);
            crossings += next.level != mover->position.level;
            if (next.level == -1)
                next = RandomPlace(stream);
            mover->SetPosition(next);
        }
        // A few leave each step and new ones take reused numbers.
        for (int32_t k = 0; k < 5; ++k) {
            size_t which = static_cast<size_t>(stream.RandomInt(RandomStream::GameData, 500));
            game->RemoveEntity(movers[which]);
            delete movers[which];
            auto* fresh = new Entity();
            fresh->SetPosition(RandomPlace(stream));
            ASSERT_NE(game->AddEntity(fresh), -1);
            movers[which] = fresh;
        }
        Step();
        for (int32_t q = 0; q < 4; ++q) {
            WorldPos centre = RandomPlace(stream);
            float radius = 50.0f + stream.RandomFloat(RandomStream::GameData) * 900.0f;
            bool useRadii = q % 2 == 0;
            ASSERT_EQ(Near(centre, radius, useRadii), BruteForce(centre, radius, useRadii))
                << "step " << step << " query " << q;
        }
    }
    EXPECT_GT(crossings, 100) << "the movers crossed level edges";
}

TEST_F(GameSpatialIndex, SearchesReachIntoTheNeighbourLevels)
{
    Entity* east = Spawn(10, 2000, 1);
    std::vector<int32_t> numbers;
    game->FindEntitiesNear(At(RowWorld::kLevelSize - 10, 2000, 0), 30.0f, false, numbers);
    EXPECT_EQ(numbers, std::vector<int32_t>{east->entityNumber});
    EXPECT_EQ(Near(At(RowWorld::kLevelSize - 10, 2000, 0), 20.0f, false), std::set<int32_t>{east->entityNumber});
    EXPECT_TRUE(Near(At(RowWorld::kLevelSize - 10, 2000, 0), 19.9f, false).empty());
    EXPECT_TRUE(Near(At(RowWorld::kLevelSize - 10, 2000, 2), 100.0f, false).empty()) << "level 2 is not beside level 1's west edge";
}

TEST_F(GameSpatialIndex, APlaceThatIsNoNumberNeverEntersAGrid)
{
    Entity* entity = Spawn(100, 100);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        entity->SetPosition(At(bad, 100));
        std::vector<int32_t> numbers;
        game->CollectLevelEntities(0, numbers);
        EXPECT_TRUE(numbers.empty());
        EXPECT_TRUE(Near(At(100, 100), 5000.0f, false).empty());
        EXPECT_TRUE(Near(At(bad, 100), 5000.0f, false).empty());
    }
    entity->SetPosition(At(100, 100));
    EXPECT_EQ(Near(At(100, 100), 1.0f, false), std::set<int32_t>{entity->entityNumber});
}

TEST_F(GameSpatialIndex, LeavingEveryLevelAndComingBack)
{
    Entity* entity = Spawn(100, 100);
    entity->SetPosition(At(100, 100, -1));
    std::vector<int32_t> numbers;
    game->CollectLevelEntities(0, numbers);
    EXPECT_TRUE(numbers.empty());
    game->MoveInGrid(entity, At(0, 0, -1), At(0, 0, -1));
    game->CollectLevelEntities(0, numbers);
    EXPECT_TRUE(numbers.empty()) << "both levels -1 changes nothing";
    entity->SetPosition(At(300, 300, 2));
    game->CollectLevelEntities(2, numbers);
    EXPECT_EQ(numbers, std::vector<int32_t>{entity->entityNumber});
    game->CollectLevelEntities(-1, numbers);
    EXPECT_TRUE(numbers.empty());
}

TEST_F(GameSpatialIndex, AnEntityOnALevelWithoutARecordIsInNoGrid)
{
    Entity* entity = Spawn(100, 100, 7);
    EXPECT_TRUE(Near(At(100, 100, 7), 10.0f, false).empty());
    entity->SetPosition(At(100, 100, 0));
    EXPECT_EQ(Near(At(100, 100, 0), 10.0f, false).size(), 1u);
}

} // namespace
