// RandomSystemTest -- the exact stream step, bounded draws at their edges, rounding and distinct picks.
#include "core/RandomSystem.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>

TEST(RandomSystemStream, StepsFromZeroGiveTheKnownStatesAndFloats)
{
    RandomSystem random;
    EXPECT_EQ(random.Next(RandomStream::GameData), 0x008B1D3Fu);
    EXPECT_EQ(random.Next(RandomStream::GameData), 0x8D7B01AAu);
    EXPECT_EQ(random.Next(RandomStream::GameData), 0xD15A09B1u);

    random.SetState(RandomStream::Quest, 0);
    EXPECT_EQ(random.RandomFloat(RandomStream::Quest), 0.004241943359375f);
    EXPECT_EQ(random.RandomFloat(RandomStream::Quest), 0.105316162109375f);
    EXPECT_EQ(random.RandomFloat(RandomStream::Quest), 0.63555908203125f);
    EXPECT_EQ(random.GetState(RandomStream::GameData), 0xD15A09B1u);
}

TEST(RandomSystemStream, SeedGivesEveryStreamADifferentStart)
{
    RandomSystem random(12345u);
    EXPECT_EQ(random.GetState(RandomStream::GameData), 12345u);
    for (int i = 1; i < kRandomStreamCount; ++i)
        EXPECT_NE(random.GetState(static_cast<RandomStream>(i)), random.GetState(static_cast<RandomStream>(i - 1)));
}

TEST(RandomSystemStream, UnknownStreamChangesNothing)
{
    RandomSystem random(7u);
    RandomSystem before = random;
    random.SetState(static_cast<RandomStream>(9), 99u);
    EXPECT_EQ(random.GetState(static_cast<RandomStream>(-1)), 0u);
    for (int i = 0; i < kRandomStreamCount; ++i)
        EXPECT_EQ(random.GetState(static_cast<RandomStream>(i)), before.GetState(static_cast<RandomStream>(i)));
}

TEST(RandomSystemBounds, IndexFollowsTheDrawsAndStaysInRange)
{
    RandomSystem random;
    // Draws 0.0042, 0.1053, 0.6356 over a span of 10.
    EXPECT_EQ(random.RandomIndex(RandomStream::Names, 10, 19), 10);
    EXPECT_EQ(random.RandomIndex(RandomStream::Names, 10, 19), 11);
    EXPECT_EQ(random.RandomIndex(RandomStream::Names, 10, 19), 16);

    bool sawLow = false, sawHigh = false;
    for (int i = 0; i < 2000; ++i) {
        int32_t value = random.RandomIndex(RandomStream::GameData, -3, 4);
        ASSERT_GE(value, -3);
        ASSERT_LE(value, 4);
        sawLow |= value == -3;
        sawHigh |= value == 4;
    }
    EXPECT_TRUE(sawLow && sawHigh);
}

TEST(RandomSystemBounds, ProductReachingTheSpanGivesTheTopValue)
{
    EXPECT_EQ(RandomSystem::IndexFromFraction(1.0f, 5, 9), 9);
    EXPECT_EQ(RandomSystem::IndexFromFraction(0.99999f, 5, 9), 9);
    EXPECT_EQ(RandomSystem::IndexFromFraction(0.0f, 5, 9), 5);
    EXPECT_EQ(RandomSystem::IndexFromFraction(1.0f, INT_MIN, INT_MAX), INT_MAX);
    EXPECT_EQ(RandomSystem::IndexFromFraction(0.0f, INT_MIN, INT_MAX), INT_MIN);
}

TEST(RandomSystemBounds, EmptyRangesStillStepAndGiveTheLowerBound)
{
    RandomSystem random;
    EXPECT_EQ(random.RandomIndex(RandomStream::GameData, 5, 2), 5);
    EXPECT_EQ(random.GetState(RandomStream::GameData), 0x008B1D3Fu);
    EXPECT_EQ(random.RandomInt(RandomStream::GameData, 0), 0);
    EXPECT_EQ(random.RandomInt(RandomStream::GameData, -4), 0);
    EXPECT_EQ(random.GetState(RandomStream::GameData), 0xD15A09B1u);
}

TEST(RandomSystemDerived, SignedAndRoundUseStreamZero)
{
    RandomSystem random;
    // r = 0.004241943359375: 10 - 2.5 + r * 5.
    EXPECT_FLOAT_EQ(random.RandomSigned(10.0f, 0.25f), 7.521209716796875f);

    random.SetState(RandomStream::GameData, 0);
    EXPECT_EQ(random.RandomRound(2.5f), 3);  // r 0.0042 < 0.5
    random.SetState(RandomStream::GameData, 0);
    EXPECT_EQ(random.RandomRound(-2.5f), -3);
    EXPECT_EQ(random.RandomRound(2.05f), 2);  // r 0.1053 >= 0.05
    EXPECT_EQ(random.RandomRound(NAN), 0);
    EXPECT_EQ(random.GetState(RandomStream::GameData), 0xD15A09B1u);
    EXPECT_EQ(random.RandomRound(1e20f), INT_MAX);
}

TEST(RandomSystemDerived, ScaledAndDirectionDrawFromTheirStreamAlone)
{
    RandomSystem random(3u);
    RandomSystem before = random;
    // From state 0 the draws are 0.00424, 0.10532, 0.63556.
    random.SetState(RandomStream::Names, 0);
    EXPECT_FLOAT_EQ(random.RandomScaled(RandomStream::Names, 1000.0f), 4.241943359375f);
    EXPECT_FLOAT_EQ(random.RandomScaled(RandomStream::Names, -2.0f), -0.21063232421875f);
    random.SetState(RandomStream::Quest, 0);
    Vector3 direction = random.RandomDirection3D(RandomStream::Quest);
    // (2r - 1) per draw, x first, then normalised.
    EXPECT_NEAR(direction.x, -0.765037f, 1e-5f);
    EXPECT_NEAR(direction.y, -0.609063f, 1e-5f);
    EXPECT_NEAR(direction.z, 0.209190f, 1e-5f);
    EXPECT_EQ(random.GetState(RandomStream::Quest), 0xD15A09B1u);
    for (RandomStream untouched : {RandomStream::GameData, RandomStream::BlockPoints, RandomStream::BlockPlacement})
        EXPECT_EQ(random.GetState(untouched), before.GetState(untouched));
    for (int i = 0; i < 50; ++i)
        ASSERT_NEAR(Vector3Length(random.RandomDirection3D(RandomStream::Quest)), 1.0f, 1e-5f);
}

TEST(RandomSystemDerived, PickDistinctIndicesGivesMinOfNAndKDistinctValues)
{
    RandomSystem random(99u);
    std::vector<int32_t> picks = {42, 43};
    random.PickDistinctIndices(10, 4, picks);
    ASSERT_EQ(picks.size(), 4u);
    std::vector<int32_t> sorted = picks;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    EXPECT_TRUE(sorted.front() >= 0 && sorted.back() <= 9);

    random.PickDistinctIndices(3, 5, picks);
    std::sort(picks.begin(), picks.end());
    EXPECT_EQ(picks, (std::vector<int32_t>{0, 1, 2}));

    random.PickDistinctIndices(0, 5, picks);
    EXPECT_TRUE(picks.empty());
}

// The process-wide draws: the same values as the system's own, from the stream named, and
// the stated fallbacks with no system.
TEST(RandomSystemGlobalDraws, FollowTheProcessSystemsStreams)
{
    RandomSystem expected(321u);
    RandomSystem live(321u);
    RandomSystem* saved = gRandomSystem;
    gRandomSystem = &live;
    EXPECT_EQ(DrawRandomFloat(), expected.RandomFloat(RandomStream::GameData));
    EXPECT_EQ(DrawRandomFloat(RandomStream::Quest, 2.0f), expected.RandomFloat(RandomStream::Quest));
    EXPECT_EQ(DrawRandomStep(RandomStream::Names), expected.Next(RandomStream::Names));
    EXPECT_EQ(DrawRandomIndex(RandomStream::BlockPoints, 3, 9), expected.RandomIndex(RandomStream::BlockPoints, 3, 9));
    EXPECT_EQ(DrawRandomRange(RandomStream::BlockPlacement, -2.0f, 5.0f),
              expected.RandomRange(RandomStream::BlockPlacement, -2.0f, 5.0f));
    EXPECT_EQ(DrawRandomRound(7.25f), expected.RandomRound(7.25f));
    for (int i = 0; i < kRandomStreamCount; ++i)
        EXPECT_EQ(live.GetState(static_cast<RandomStream>(i)), expected.GetState(static_cast<RandomStream>(i)));
    gRandomSystem = saved;
}

TEST(RandomSystemGlobalDraws, WithoutASystemGiveTheirFallbacks)
{
    RandomSystem* saved = gRandomSystem;
    gRandomSystem = nullptr;
    EXPECT_EQ(DrawRandomFloat(), 0.0f);
    // A chance roll that must fail without a system asks for 1.
    EXPECT_EQ(DrawRandomFloat(RandomStream::GameData, 1.0f), 1.0f);
    EXPECT_EQ(DrawRandomStep(RandomStream::GameData), 0u);
    EXPECT_EQ(DrawRandomIndex(RandomStream::GameData, 4, 9), 4);
    EXPECT_EQ(DrawRandomRange(RandomStream::GameData, -3.0f, 8.0f), -3.0f);
    EXPECT_EQ(DrawRandomRound(-7.75f), -7);
    EXPECT_EQ(DrawRandomRound(3.0e10f), INT_MAX);
    // A non-finite amount counts as nothing, as the system's own rounding has it.
    EXPECT_EQ(DrawRandomRound(std::nanf("")), 0);
    EXPECT_EQ(DrawRandomRound(-INFINITY), 0);
    gRandomSystem = saved;
}
