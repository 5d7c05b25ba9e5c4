// LevelAnchorsTest -- holds on blocks of nine: reference counts over move sequences, no release of shared levels, gates followed, hysteresis, the start anchor.
#include "world/LevelAnchors.h"

#include "world/GridWorld.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <vector>

namespace {

std::vector<int32_t> gAnchorsTestReleased;
std::map<int32_t, int32_t> gAnchorsTestGenerated;

void AnchorsTestOnReleased(int32_t level)
{
    gAnchorsTestReleased.push_back(level);
}

void AnchorsTestOnGenerated(int32_t level)
{
    ++gAnchorsTestGenerated[level];
}

class LevelAnchorsGrid : public GridWorld {
protected:
    LevelAnchorsGrid()
    {
        gAnchorsTestReleased.clear();
        gAnchorsTestGenerated.clear();
        BuildGrid(6, 6);
        world.AddLevelCallback(WorldSide::Server, LevelEvent::Released, AnchorsTestOnReleased);
        world.AddLevelCallback(WorldSide::Server, LevelEvent::Generated, AnchorsTestOnGenerated);
    }

    // What the anchors should hold of a level: per anchor, one for each of the nine levels of
    // its block that is the level, and one for each of their gates that leads to it.
    int32_t ExpectedHolders(int32_t index)
    {
        int32_t count = 0;
        for (const auto& [key, anchor] : heldKeys) {
            int32_t centre = world.FindAnchor(key)->anchoredLevel;
            if (centre < 0)
                continue;
            std::vector<int32_t> block{centre};
            for (int32_t d = 0; d < kWorldDirectionCount; ++d) {
                if (world.GetNeighbourLevel(centre, d) >= 0)
                    block.push_back(world.GetNeighbourLevel(centre, d));
            }
            for (int32_t member : block) {
                count += member == index;
                for (const LevelGate& gate : world.GetLevel(member)->gates)
                    count += gate.targetLevel == index;
            }
        }
        return count;
    }

    void ExpectCountsMatch()
    {
        for (int32_t i = 0; i < world.GetLevelCount(); ++i)
            ASSERT_EQ(Holders(i), ExpectedHolders(i)) << "level " << i;
    }

    std::map<int32_t, bool> heldKeys;
};

TEST_F(LevelAnchorsGrid, MovingToANeighbourKeepsTheSharedLevels)
{
    LevelAnchor& anchor = world.CreateAnchor(7, At(2, 2));
    world.UpdateLevelGeneration();
    EXPECT_EQ(gAnchorsTestGenerated.size(), 9u);
    world.MoveAnchor(anchor, At(3, 2));
    world.UpdateLevelGeneration();
    // The three levels of column 1 go; the six shared ones are neither released nor made again.
    std::vector<int32_t> released = gAnchorsTestReleased;
    std::sort(released.begin(), released.end());
    EXPECT_EQ(released, (std::vector<int32_t>{At(1, 1), At(1, 2), At(1, 3)}));
    for (int32_t row = 1; row <= 3; ++row) {
        for (int32_t column = 2; column <= 3; ++column)
            EXPECT_EQ(gAnchorsTestGenerated[At(column, row)], 1) << column << "," << row;
        EXPECT_EQ(gAnchorsTestGenerated[At(4, row)], 1);
    }
    EXPECT_EQ(anchor.anchoredLevel, At(3, 2));
}

TEST_F(LevelAnchorsGrid, CountsMatchTheBlocksOverMoveSequences)
{
    // A gate pair to a detached level: the holders of its parent's block hold it too.
    auto cellar = std::make_unique<Level>();
    cellar->area = area.get();
    world.AddSubLevel(world.GetLevel(At(4, 4)), std::move(cellar));
    RandomSystem moves(5150);
    for (int32_t key : {3, -1, 12}) {
        world.CreateAnchor(key, At(0, 0));
        heldKeys[key] = true;
    }
    ExpectCountsMatch();
    for (int32_t step = 0; step < 300; ++step) {
        int32_t key = std::vector<int32_t>{3, -1, 12}[static_cast<size_t>(moves.RandomInt(RandomStream::GameData, 3))];
        int32_t target = moves.RandomIndex(RandomStream::GameData, -1, world.GetLevelCount() - 1);
        world.MoveAnchor(*world.FindAnchor(key), target);
        if (step % 7 == 0)
            world.UpdateLevelGeneration();
        ExpectCountsMatch();
    }
    for (int32_t key : {3, -1, 12})
        world.MoveAnchor(*world.FindAnchor(key), -1);
    for (int32_t i = 0; i < world.GetLevelCount(); ++i)
        EXPECT_EQ(world.GetLevel(i)->data, nullptr) << i;
}

TEST_F(LevelAnchorsGrid, ASecondCreateForAKeyMovesItsAnchor)
{
    world.CreateAnchor(4, At(1, 1));
    world.CreateAnchor(4, At(4, 4));
    heldKeys[4] = true;
    ExpectCountsMatch();
    EXPECT_EQ(Holders(At(1, 1)), 0);
}

TEST_F(LevelAnchorsGrid, EdgeCrossingKeepsTheBlockUntilAFullLevelAway)
{
    world.CreateAnchor(9, At(2, 2));
    const float w = world.GetLevelWidth();
    const float h = world.GetLevelHeight();
    int32_t out = 77;
    // Just over the east edge: the position's level is the neighbour, the anchor stays.
    world.UpdateAnchor(9, WorldPos{At(3, 2), 10.0f, 0.5f * h, true}, &out);
    EXPECT_EQ(out, At(2, 2));
    EXPECT_EQ(world.FindAnchor(9)->requestedLevel, At(3, 2));
    // Half a level further: still within a level width of the old centre.
    world.UpdateAnchor(9, WorldPos{At(3, 2), 0.5f * w - 1.0f, 0.5f * h, true}, &out);
    EXPECT_EQ(out, At(2, 2));
    // A full level width from the old centre: the anchor follows.
    world.UpdateAnchor(9, WorldPos{At(3, 2), 0.5f * w, 0.5f * h, true}, &out);
    EXPECT_EQ(out, At(3, 2));
    // Diagonally, the same on each axis.
    world.UpdateAnchor(9, WorldPos{At(4, 3), 1.0f, 1.0f, true}, &out);
    EXPECT_EQ(out, At(3, 2));
}

TEST_F(LevelAnchorsGrid, NoLevelOrNoAnchorChangesNothing)
{
    world.CreateAnchor(9, At(2, 2));
    int32_t out = 77;
    world.UpdateAnchor(9, WorldPos{-1, 0.0f, 0.0f, true}, &out);
    EXPECT_EQ(out, 77);
    EXPECT_EQ(world.FindAnchor(9)->requestedLevel, At(2, 2));
    world.UpdateAnchor(10, WorldPos{At(1, 1), 0.0f, 0.0f, true}, &out);
    EXPECT_EQ(out, -1);
    EXPECT_EQ(world.FindAnchor(10), nullptr);
    // The client's name for it answers the same.
    EXPECT_EQ(world.FindPathBetweenLevels(10, WorldPos{At(1, 1), 0.0f, 0.0f, true}), -1);
    EXPECT_EQ(world.FindPathBetweenLevels(9, WorldPos{At(5, 5), 1.0f, 1.0f, true}), At(5, 5));
}

TEST_F(LevelAnchorsGrid, LevelsOutsideTheListAreIgnored)
{
    for (int32_t bad : {-2, world.GetLevelCount(), INT_MAX, INT_MIN}) {
        LevelAnchor& anchor = world.CreateAnchor(1, bad);
        EXPECT_EQ(anchor.anchoredLevel, bad);
        world.RefLevel(bad, 1, true);
        world.UnrefLevel(bad, 1, true);
        world.MoveAnchor(anchor, -1);
    }
    for (int32_t i = 0; i < world.GetLevelCount(); ++i)
        EXPECT_EQ(Holders(i), 0);
}

TEST_F(LevelAnchorsGrid, ResetForgetsTheAnchors)
{
    world.CreateAnchor(2, At(1, 1));
    world.Reset();
    EXPECT_EQ(world.FindAnchor(2), nullptr);
    EXPECT_EQ(world.GetLevelCount(), 0);
}

const std::string kAnchorsTestAdventure =
    "SizeStandard\n{\n Name Standard\n Width 5\n Height 4\n SectionLevelDepth 2\n SectionMinLevelsMult 1\n}\n"
    "AreaMeadow\n{\n Type Area\n Name Meadow\n MinWidth 1\n MaxWidth 1\n MinHeight 1\n MaxHeight 1\n}\n"
    "SectionOne\n{\n StartArea AreaMeadow\n EndArea AreaMeadow\n}\n"
    "World\n{\n Type Adventure\n WorldSize SizeStandard\n Section SectionOne\n}\n";

class LevelAnchorsStart : public WorldDatabase {
protected:
    LevelAnchorsStart() { LoadRecords(kAnchorsTestAdventure); }
};

TEST_F(LevelAnchorsStart, StartAnchorTakesTheFirstFreeNegativeKeyOnce)
{
    world.CreateStartAnchor();
    EXPECT_EQ(world.FindAnchor(-1), nullptr);  // no adventure read yet
    world.SetLayoutSeed(17);
    ASSERT_TRUE(world.ReadFromDatabase("World", 0));
    ASSERT_GT(world.GetLevelCount(), 0);
    world.CreateAnchor(-1, world.GetLevelCount() - 1);
    world.CreateStartAnchor();
    ASSERT_NE(world.FindAnchor(-2), nullptr);
    EXPECT_EQ(world.FindAnchor(-2)->anchoredLevel, 0);
    EXPECT_GT(world.GetLevel(0)->data->holders, 0);
    world.CreateStartAnchor();
    EXPECT_EQ(world.FindAnchor(-3), nullptr);
    // The client's name for it is the same operation.
    world.CreateLevelAnchor();
    EXPECT_EQ(world.FindAnchor(-3), nullptr);
}

} // namespace
