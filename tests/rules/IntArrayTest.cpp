// IntArrayTest -- element edges, both saved forms byte for byte, longer and shorter stored arrays, and cut or lying streams.
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "rules/IntArray.h"

#include <gtest/gtest.h>

namespace {

class IntArrayWorld : public ::testing::Test {
protected:
    IntArrayWorld()
    {
        gDebugSystem = &debug;
        debug.SetMaxConsoleLines(1 << 16);
    }

    static IntArray Make(std::initializer_list<int32_t> values)
    {
        IntArray array(static_cast<int32_t>(values.size()));
        int32_t i = 0;
        for (int32_t value : values)
            array.Set(i++, value);
        return array;
    }

    static MessageBuffer Words(std::initializer_list<int32_t> words)
    {
        MessageBuffer buffer;
        for (int32_t word : words)
            buffer.WriteInt(word);
        return buffer;
    }

    size_t Logged() const { return debug.GetConsoleLines().size(); }

    DebugSystem debug;
};

TEST_F(IntArrayWorld, CappedAndFlooredArithmetic)
{
    IntArray array = Make({8, 8, 12, 3});
    array.AddCapped(0, 5, 10);
    array.AddCapped(1, 1, 10);
    array.AddCapped(2, -5, 10);
    array.SubtractFloored(3, 5);
    EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{10, 9, 7, 0}));
    array.AddCapped(1, 1000, 0);  // a cap of 0 never caps
    array.AddCapped(2, -20, 10);  // nothing floors a capped add
    EXPECT_EQ(array.Get(1), 1009);
    EXPECT_EQ(array.Get(2), -13);
    // Sums saturate instead of wrapping into the opposite sign.
    array.Set(0, INT32_MAX);
    array.Add(0, 1);
    array.Set(2, 5);
    array.SubtractFloored(2, INT32_MIN);
    EXPECT_EQ(array.Get(0), INT32_MAX);
    EXPECT_EQ(array.Get(2), INT32_MAX);
}

TEST_F(IntArrayWorld, IndexOutsideReadsZeroAndChangesNothing)
{
    IntArray array = Make({1, 2, 3});
    array.Set(3, 9);
    array.Add(-1, 9);
    array.AddCapped(INT32_MAX, 9, 0);
    array.SubtractFloored(INT32_MIN, 9);
    EXPECT_EQ(array.Get(3), 0);
    EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(debug.GetConsoleLines().front(), "^c001IntArray index 3 outside 0..2\n");
    EXPECT_EQ(Logged(), 5u);
}

TEST_F(IntArrayWorld, ClearAndCopyFromShorterSource)
{
    IntArray array = Make({1, 2, 3});
    array.CopyFrom(Make({7, 8}));
    EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{7, 8, 3}));
    EXPECT_EQ(Logged(), 1u);
    array.CopyFrom(Make({4, 5, 6, 7}));
    EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{4, 5, 6}));
    array.Clear();
    EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{0, 0, 0}));
}

TEST_F(IntArrayWorld, SavedFormsByteForByte)
{
    IntArray array = Make({1, 2, -3});
    MessageBuffer counted;
    array.Write(counted);
    MessageBuffer expected = Words({3, 1, 2, -3});
    ASSERT_EQ(counted.Size(), 16u);
    EXPECT_EQ(std::vector<uint8_t>(counted.Data(), counted.Data() + 16),
              std::vector<uint8_t>(expected.Data(), expected.Data() + 16));
    EXPECT_EQ(counted.Data()[12], 0xFD);  // little-endian -3
    MessageBuffer bare;
    array.WriteValues(bare);
    EXPECT_EQ(bare.Size(), 12u);

    IntArray back(3);
    ASSERT_TRUE(back.Read(counted));
    ASSERT_TRUE(back.ReadValues(bare));
    EXPECT_EQ(back.GetValues(), array.GetValues());
    EXPECT_EQ(counted.BytesLeft() + bare.BytesLeft(), 0u);
}

TEST_F(IntArrayWorld, LongerAndShorterStoredArrays)
{
    IntArray array = Make({0, 0, 9});
    MessageBuffer longer = Words({5, 1, 2, 3, 4, 5, 77});
    ASSERT_TRUE(array.Read(longer));
    EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(longer.ReadInt(), 77);  // the dropped words were read past
    MessageBuffer shorter = Words({2, 7, 8});
    ASSERT_TRUE(array.Read(shorter));
    EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{7, 8, 3}));
    EXPECT_EQ(array.GetCount(), 3);

    MessageBuffer bare = Words({4, 5, 6, 7, 99});
    ASSERT_TRUE(array.ReadValues(bare, 4));
    EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{4, 5, 6}));
    EXPECT_EQ(bare.ReadInt(), 99);
    MessageBuffer two = Words({1, 2});
    ASSERT_TRUE(array.ReadValues(two, 2));
    EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{1, 2, 6}));
}

TEST_F(IntArrayWorld, CutStreamsAndLyingCountsChangeNothing)
{
    MessageBuffer whole = Words({3, 10, 20, 30});
    for (size_t cut = 0; cut < whole.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(whole.Data(), cut);
        IntArray array = Make({1, 2, 3});
        EXPECT_FALSE(array.Read(part)) << cut;
        EXPECT_TRUE(part.Overrun()) << cut;
        EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{1, 2, 3})) << cut;

        MessageBuffer bare;
        bare.WriteBytes(whole.Data() + 4, std::min<size_t>(cut, 12));
        if (cut < 12) {
            EXPECT_FALSE(array.ReadValues(bare)) << cut;
            EXPECT_TRUE(bare.Overrun()) << cut;
        }
        EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{1, 2, 3})) << cut;
    }
    for (int32_t count : {-1, INT32_MIN, INT32_MAX, 4}) {
        MessageBuffer lying = Words({count, 10, 20, 30});
        IntArray array = Make({1, 2, 3});
        EXPECT_FALSE(array.Read(lying)) << count;
        EXPECT_FALSE(array.ReadValues(lying, count)) << count;
        EXPECT_EQ(array.GetValues(), (std::vector<int32_t>{1, 2, 3})) << count;
    }
}

} // namespace
