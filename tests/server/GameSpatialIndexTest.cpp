// GameSpatialIndexTest -- the quadtree and the per-level grids against brute force: movers, level crossings, removals, reused numbers, places that are no number.
#include "server/GameWorld.h"

#include "core/RandomSystem.h"
#include "server/SpatialTree.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace {

std::set<int32_t> Sorted(const std::vector<int32_t>& numbers)
{
    return {numbers.begin(), numbers.end()};
}

TEST(SpatialTree, SplitsPastCapacityAndStopsAtTheMaximumDepth)
{
    SpatialTree root(0, 0, 1600, 1600);
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

TEST(SpatialTree, RemovesByThePlaceItWasEnteredAt)
{
    SpatialTree root(0, 0, 1600, 1600);
    for (int32_t i = 0; i < 40; ++i)
        root.Insert({i, 40.0f * static_cast<float>(i), 40.0f * static_cast<float>(i)});
    EXPECT_FALSE(root.Remove(5, 1500.0f, 100.0f)) << "not in the leaf of that place";
    EXPECT_TRUE(root.Remove(5, 200.0f, 200.0f));
    EXPECT_FALSE(root.Remove(5, 200.0f, 200.0f));
    EXPECT_EQ(root.CountEntries(), 39);
}

// Cleared, the tree holds nothing and takes a new crowd in the memory it kept.
TEST(SpatialTree, ClearedItHoldsNothingAndRefillsWithoutGrowing)
{
    SpatialTree root(0, 0, 1600, 1600);
    for (int32_t i = 0; i < 120; ++i)
        root.Insert({i, 13.0f * static_cast<float>(i), 7.0f * static_cast<float>(i)});
    size_t reserved = root.CountReservedBytes();
    root.Clear();
    EXPECT_EQ(root.CountEntries(), 0);
    std::vector<int32_t> found;
    root.CollectAll(found);
    EXPECT_TRUE(found.empty());
    root.CollectInRadius(800.0f, 400.0f, 2000.0f, found);
    EXPECT_TRUE(found.empty());
    EXPECT_FALSE(root.Remove(5, 65.0f, 35.0f));
    for (int32_t i = 0; i < 120; ++i)
        root.Insert({1000 + i, 13.0f * static_cast<float>(i), 7.0f * static_cast<float>(i)});
    EXPECT_EQ(root.CountReservedBytes(), reserved);
    root.CollectInRadius(65.0f, 35.0f, 1.0f, found);
    EXPECT_NE(std::find(found.begin(), found.end(), 1005), found.end());
    EXPECT_TRUE(std::all_of(found.begin(), found.end(), [](int32_t number) { return number >= 1000; }));
    found.clear();
    root.CollectAll(found);
    EXPECT_EQ(found.size(), 120u);
}

TEST(SpatialTree, PlacesBeyondTheBoundsAreStillFound)
{
    SpatialTree root(0, 0, 1000, 1000);
    for (int32_t i = 0; i < 30; ++i)
        root.Insert({i, 500.0f, 500.0f});
    root.Insert({99, 1030.0f, -20.0f});
    std::vector<int32_t> found;
    root.CollectInRadius(1010.0f, 0.0f, 40.0f, found);
    EXPECT_EQ(found, std::vector<int32_t>{99});
    EXPECT_TRUE(root.Remove(99, 1030.0f, -20.0f));
}

// Two leaves at the maximum depth in opposite corners, each several blocks long; entries move
// from one to the other, so the blocks one gives back are taken by the other. The searches give
// a leaf's entries in the order they came (the game's draws over them depend on it).
TEST(SpatialTree, CrowdedLeavesKeepTheOrderOfEntryWhileTheirBlocksPassBetweenThem)
{
    SpatialTree tree(0, 0, 1600, 1600);
    auto corner = [](int32_t which) { return which == 0 ? 1.5f : 1501.5f; };
    auto found = [&](int32_t which) {
        std::vector<int32_t> numbers;
        tree.CollectInRadius(corner(which), corner(which), 0.5f, numbers);
        return numbers;
    };
    std::array<std::vector<int32_t>, 2> model;
    for (int32_t i = 0; i < 60; ++i) {
        tree.Insert({i, corner(i % 2), corner(i % 2)});
        model[static_cast<size_t>(i % 2)].push_back(i);
    }
    RandomSystem stream(77);
    constexpr int32_t kBlock = SpatialTree::kBlockEntries;
    for (int32_t round = 0; round < 400; ++round) {
        int32_t from = stream.RandomInt(RandomStream::GameData, 2);
        if (model[static_cast<size_t>(from)].empty())
            from = 1 - from;
        std::vector<int32_t>& leaf = model[static_cast<size_t>(from)];
        int32_t size = static_cast<int32_t>(leaf.size());
        // The ends of the leaf and of its blocks come up as often as the rest.
        std::array<int32_t, 5> edges = {0, size - 1, kBlock - 1, kBlock, 2 * kBlock};
        int32_t at = round % 2 == 0 ? edges[static_cast<size_t>(round / 2 % 5)]
                                    : stream.RandomInt(RandomStream::GameData, size);
        at = std::clamp(at, 0, size - 1);
        int32_t number = leaf[static_cast<size_t>(at)];
        ASSERT_TRUE(tree.Remove(number, corner(from), corner(from)));
        leaf.erase(leaf.begin() + at);
        int32_t to = stream.RandomInt(RandomStream::GameData, 2);
        tree.Insert({number, corner(to), corner(to)});
        model[static_cast<size_t>(to)].push_back(number);
        ASSERT_EQ(found(0), model[0]) << "round " << round;
        ASSERT_EQ(found(1), model[1]) << "round " << round;
    }
    // Emptied and entered again: the leaf's blocks, given back and taken anew, bring back none
    // of its old entries.
    for (int32_t number : model[0])
        ASSERT_TRUE(tree.Remove(number, corner(0), corner(0)));
    EXPECT_TRUE(found(0).empty());
    tree.Insert({500, corner(0), corner(0)});
    EXPECT_EQ(found(0), std::vector<int32_t>{500});
    EXPECT_EQ(found(1), model[1]);
    EXPECT_EQ(tree.CountEntries(), 1 + static_cast<int32_t>(model[1].size()));
}

// Entered packed into a few small squares, then spread over the whole level and gathered again:
// the blocks the leaves need among them change by hundreds, the store not at all.
TEST(SpatialTree, ACrowdMovingAboutNeverGrowsTheStoreAndIsFoundWhereverItGoes)
{
    constexpr float kSize = 4096.0f;
    constexpr int32_t kCrowd = 400;
    SpatialTree tree(0, 0, kSize, kSize);
    RandomSystem stream(4242);
    auto draw = [&](float range) { return stream.RandomFloat(RandomStream::GameData) * range; };
    auto packed = [&](int32_t i, int32_t round) {
        float square = static_cast<float>((i + round / 300) % 4) * 900.0f + 300.0f;
        return SpatialEntry{i, square + draw(20.0f), square + draw(20.0f)};
    };
    std::vector<SpatialEntry> crowd;
    for (int32_t i = 0; i < kCrowd; ++i) {
        crowd.push_back(packed(i, 0));
        tree.Insert(crowd.back());
    }
    size_t bytes = tree.CountReservedBytes();
    for (int32_t round = 0; round < 1500; ++round) {
        bool spread = round / 300 % 2 == 0;
        for (int32_t k = 0; k < 20; ++k) {
            SpatialEntry& entry = crowd[static_cast<size_t>(stream.RandomInt(RandomStream::GameData, kCrowd))];
            ASSERT_TRUE(tree.Remove(entry.entityNumber, entry.x, entry.y));
            entry = spread ? SpatialEntry{entry.entityNumber, draw(kSize), draw(kSize)} : packed(entry.entityNumber, round);
            tree.Insert(entry);
        }
        ASSERT_EQ(tree.CountReservedBytes(), bytes) << "round " << round;
        float x = draw(kSize);
        float y = draw(kSize);
        float radius = draw(600.0f);
        std::vector<int32_t> numbers;
        tree.CollectInRadius(x, y, radius, numbers);
        std::set<int32_t> collected = Sorted(numbers);
        ASSERT_EQ(collected.size(), numbers.size()) << "no number twice, round " << round;
        for (const SpatialEntry& entry : crowd) {
            bool near = std::hypot(entry.x - x, entry.y - y) <= radius;
            ASSERT_TRUE(!near || collected.count(entry.entityNumber)) << entry.entityNumber << " missed, round " << round;
        }
    }
    std::vector<int32_t> all;
    tree.CollectAll(all);
    EXPECT_EQ(Sorted(all).size(), static_cast<size_t>(kCrowd));
    EXPECT_EQ(tree.CountEntries(), kCrowd);
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
