// MessageBufferTest -- exact byte layout, round trips, truncation at every offset, hostile counts.
#include "core/MessageBuffer.h"

#include "core/TimeStamp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const MessageBuffer& buffer)
{
    return std::vector<uint8_t>(buffer.Data(), buffer.Data() + buffer.Size());
}

MessageBuffer FromBytes(const std::vector<uint8_t>& bytes, size_t count)
{
    MessageBuffer buffer;
    buffer.WriteBytes(bytes.data(), count);
    return buffer;
}

// One value of every kind, in the order ReadRecord takes them back.
void WriteRecord(MessageBuffer& buffer)
{
    buffer.WriteInt(-7);
    buffer.WriteString("name");
    buffer.WriteFloat(2.5f);
    buffer.WriteBool(true);
    buffer.WriteIntVector({1, -2, 3});
    buffer.WriteStringList({"a", "", "bc"});
    buffer.WriteBoolVector({true, false});
    buffer.WriteDouble(-0.125);
    buffer.WriteUInt(0xFFFFFFFFu);
}

struct Record {
    int32_t number = 0;
    std::string name;
    float real = 0;
    bool flag = false;
    std::vector<int32_t> ints;
    std::vector<std::string> texts;
    std::vector<bool> flags;
    double precise = 0;
    uint32_t word = 0;
};

Record ReadRecord(MessageBuffer& buffer)
{
    Record r;
    r.number = buffer.ReadInt();
    r.name = buffer.ReadString();
    r.real = buffer.ReadFloat();
    r.flag = buffer.ReadBool();
    buffer.ReadIntVector(r.ints);
    buffer.ReadStringList(r.texts);
    buffer.ReadBoolVector(r.flags);
    r.precise = buffer.ReadDouble();
    r.word = buffer.ReadUInt();
    return r;
}

} // namespace

TEST(MessageBufferLayout, ScalarsAreLittleEndianWords)
{
    MessageBuffer buffer;
    buffer.WriteInt(0x01020304);
    buffer.WriteFloat(1.0f);
    buffer.WriteString("ab");
    buffer.WriteBool(true);
    buffer.WriteInt(-2);
    buffer.WriteDouble(1.0);
    EXPECT_EQ(Bytes(buffer), (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0x80, 0x3F,
                                                   0x61, 0x62, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFE,
                                                   0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
}

TEST(MessageBufferLayout, ListsAreACountThenTheirValues)
{
    MessageBuffer buffer;
    buffer.WriteIntVector({-1, 2});
    buffer.WriteBoolVector({true, false});
    buffer.WriteStringList({"a", ""});
    EXPECT_EQ(Bytes(buffer),
              (std::vector<uint8_t>{2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0,
                                    0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 'a', 0, 0}));
}

TEST(MessageBufferLayout, RawWordKeepsHostBytesAndEmbeddedNulEndsAText)
{
    MessageBuffer buffer;
    buffer.WriteRaw32(0x01020304u);
    buffer.WriteString(std::string("x\0y", 3));
    uint32_t host = 0x01020304u;
    EXPECT_EQ(std::memcmp(buffer.Data(), &host, 4), 0);
    EXPECT_EQ(buffer.Size(), 6u);
    EXPECT_EQ(buffer.ReadRaw32(), 0x01020304u);
    EXPECT_EQ(buffer.ReadString(), "x");
    EXPECT_FALSE(buffer.Overrun());
}

TEST(MessageBufferRoundTrip, MixedRecordReadsBackExactly)
{
    MessageBuffer buffer;
    WriteRecord(buffer);
    Record r = ReadRecord(buffer);
    EXPECT_FALSE(buffer.Overrun());
    EXPECT_EQ(buffer.BytesLeft(), 0u);
    EXPECT_EQ(r.number, -7);
    EXPECT_EQ(r.name, "name");
    EXPECT_EQ(r.real, 2.5f);
    EXPECT_TRUE(r.flag);
    EXPECT_EQ(r.ints, (std::vector<int32_t>{1, -2, 3}));
    EXPECT_EQ(r.texts, (std::vector<std::string>{"a", "", "bc"}));
    EXPECT_EQ(r.flags, (std::vector<bool>{true, false}));
    EXPECT_EQ(r.precise, -0.125);
    EXPECT_EQ(r.word, 0xFFFFFFFFu);
}

TEST(MessageBufferLayout, VectorsAreConsecutiveFloatsAndACutOneEndsInZeros)
{
    MessageBuffer buffer;
    for (float value : {1.5f, -2.0f, 3.25f, 4.0f, 5.0f, 6.0f, 7.0f})
        buffer.WriteFloat(value);
    float x = 9, y = 9, z = 9;
    buffer.ReadVector3(x, y, z);
    EXPECT_EQ(std::vector<float>({x, y, z}), (std::vector<float>{1.5f, -2.0f, 3.25f}));
    buffer.ReadVector2(x, y);
    EXPECT_EQ(std::vector<float>({x, y}), (std::vector<float>{4.0f, 5.0f}));
    EXPECT_FALSE(buffer.Overrun());
    // Only two floats are left for three: the third reads as 0 and the overrun sticks.
    buffer.ReadVector3(x, y, z);
    EXPECT_EQ(std::vector<float>({x, y, z}), (std::vector<float>{6.0f, 7.0f, 0.0f}));
    EXPECT_TRUE(buffer.Overrun());
    buffer.ReadVector2(x, y);
    EXPECT_EQ(std::vector<float>({x, y}), (std::vector<float>{0.0f, 0.0f}));
}

TEST(MessageBufferLayout, TimeStampIsThreeIntsAndAFloat)
{
    MessageBuffer buffer;
    buffer.WriteTimeStamp(TimeStamp{1, -2, 3, 0.5f});
    EXPECT_EQ(Bytes(buffer), (std::vector<uint8_t>{1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 0, 0,
                                                   0, 0x3F}));
    TimeStamp back;
    buffer.ReadTimeStamp(back);
    EXPECT_EQ(back.hours, -2);
    EXPECT_EQ(back.seconds, 0.5f);
    buffer.ReadTimeStamp(back);
    EXPECT_TRUE(buffer.Overrun());
    EXPECT_EQ(back.days, 0);
}

TEST(MessageBufferRoundTrip, ReadBoolTakesAnyNonZeroWordAndRewindClearsTheFlag)
{
    MessageBuffer buffer;
    buffer.WriteUInt(0x100);
    EXPECT_TRUE(buffer.ReadBool());
    EXPECT_EQ(buffer.ReadInt(), 0);
    EXPECT_TRUE(buffer.Overrun());
    buffer.SetReadPos(0);
    EXPECT_FALSE(buffer.Overrun());
    EXPECT_EQ(buffer.ReadUInt(), 0x100u);
    buffer.SetReadPos(99);
    EXPECT_EQ(buffer.GetReadPos(), 4u);
}

TEST(MessageBufferOverrun, EveryCutOffsetIsDetectedAndReadsStayInBounds)
{
    MessageBuffer whole;
    WriteRecord(whole);
    std::vector<uint8_t> bytes = Bytes(whole);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        MessageBuffer buffer = FromBytes(bytes, cut);
        Record r = ReadRecord(buffer);
        EXPECT_TRUE(buffer.Overrun()) << cut;
        EXPECT_EQ(buffer.GetReadPos(), cut);
        if (cut < 4)
            EXPECT_EQ(r.number, 0);
        else
            EXPECT_EQ(r.number, -7);
        // The last word is all ones, so a cut inside it must read as 0, not as a partial word.
        EXPECT_EQ(r.word, 0u);
    }
}

TEST(MessageBufferOverrun, TextWithoutNulReadsEmptyAndStaysAtTheEnd)
{
    MessageBuffer buffer;
    buffer.WriteBytes("abc", 3);
    EXPECT_EQ(buffer.ReadString(), "");
    EXPECT_TRUE(buffer.Overrun());
    EXPECT_EQ(buffer.BytesLeft(), 0u);
    EXPECT_EQ(buffer.ReadString(), "");
    uint8_t out[3] = {1, 2, 3};
    EXPECT_FALSE(buffer.ReadBytes(out, 3));
    EXPECT_EQ(out[0] | out[1] | out[2], 0);
}

// A kept string takes each text in its own room; a text cut short leaves it empty.
TEST(MessageBufferRoundTrip, TextsReadIntoAKeptStringReuseItsRoom)
{
    MessageBuffer buffer;
    buffer.WriteString("a covenant of the long marches");
    buffer.WriteString("short");
    buffer.WriteBytes("cut", 3);
    std::string kept;
    kept.reserve(64);
    const char* room = kept.data();
    buffer.ReadString(kept);
    EXPECT_EQ(kept, "a covenant of the long marches");
    buffer.ReadString(kept);
    EXPECT_EQ(kept, "short");
    EXPECT_EQ(kept.data(), room);
    EXPECT_FALSE(buffer.Overrun());
    buffer.ReadString(kept);
    EXPECT_EQ(kept, "");
    EXPECT_TRUE(buffer.Overrun());
    EXPECT_EQ(buffer.BytesLeft(), 0u);
}

// A kept list takes each list read into it whole, longer or shorter, in the room it has: an
// update read every frame does not go to the heap for its lists.
TEST(MessageBufferRoundTrip, ListsReadIntoAKeptListReplaceItInItsRoom)
{
    const std::vector<std::vector<int32_t>> lists = {{4, -7, 9}, {1}, {}, {5, 6, 7, 8, INT32_MIN}, {2, 2}};
    MessageBuffer buffer;
    for (const std::vector<int32_t>& list : lists) {
        buffer.WriteIntVector(list);
        std::vector<bool> flags;
        for (int32_t value : list)
            flags.push_back(value % 2 != 0);
        buffer.WriteBoolVector(flags);
    }
    std::vector<int32_t> ints;
    ints.reserve(8);
    std::vector<bool> flags;
    flags.reserve(64);
    const int32_t* intRoom = ints.data();
    size_t flagRoom = flags.capacity();
    for (const std::vector<int32_t>& list : lists) {
        ASSERT_TRUE(buffer.ReadIntVector(ints));
        EXPECT_EQ(ints, list);
        ASSERT_TRUE(buffer.ReadBoolVector(flags));
        ASSERT_EQ(flags.size(), list.size());
        for (size_t i = 0; i < list.size(); ++i)
            EXPECT_EQ(flags[i], list[i] % 2 != 0) << i;
        EXPECT_EQ(ints.data(), intRoom);
        EXPECT_EQ(flags.capacity(), flagRoom);
    }
    EXPECT_EQ(buffer.BytesLeft(), 0u);
    EXPECT_FALSE(buffer.Overrun());
}

TEST(MessageBufferOverrun, HugeAndNegativeCountsAreRefusedAndChangeNothing)
{
    for (int32_t count : {-1, INT32_MIN, INT32_MAX, 3}) {
        MessageBuffer buffer;
        buffer.WriteInt(count);
        buffer.WriteBytes("abcdefgh", 8);
        std::vector<int32_t> ints = {9};
        EXPECT_FALSE(buffer.ReadIntVector(ints)) << count;
        EXPECT_EQ(ints, (std::vector<int32_t>{9}));
        EXPECT_TRUE(buffer.Overrun());
        for (int kind = 0; kind < 2; ++kind) {
            buffer.SetReadPos(0);
            std::vector<bool> flags = {true};
            std::vector<std::string> texts = {"kept"};
            bool ok = kind ? buffer.ReadBoolVector(flags) : buffer.ReadStringList(texts);
            // Three texts could fit in eight bytes, but these bytes hold no NUL.
            EXPECT_FALSE(ok) << count;
            EXPECT_EQ(flags, (std::vector<bool>{true}));
            EXPECT_EQ(texts, (std::vector<std::string>{"kept"}));
        }
    }
}

TEST(MessageBufferOverrun, CountIsCheckedAgainstTheBytesLeft)
{
    MessageBuffer buffer;
    buffer.WriteInt(2);
    buffer.WriteInt(10);
    int32_t count = -5;
    EXPECT_FALSE(buffer.ReadCount(count, 4));
    EXPECT_EQ(count, 0);
    buffer.SetReadPos(0);
    EXPECT_TRUE(buffer.ReadCount(count, 2));
    EXPECT_EQ(count, 2);
}

TEST(MessageBufferLayout, AFiniteTimeStampIsNormalisedAndOneWithoutANumberOfSecondsRefused)
{
    MessageBuffer buffer;
    buffer.WriteTimeStamp(TimeStamp{0, 1, 59, 75.5f});
    buffer.WriteTimeStamp(TimeStamp{2, 0, 0, std::nanf("")});
    buffer.WriteTimeStamp(TimeStamp{2, 0, 0, std::numeric_limits<float>::infinity()});
    TimeStamp stamp;
    ASSERT_TRUE(buffer.ReadFiniteTimeStamp(stamp));
    EXPECT_EQ(stamp.hours, 2);
    EXPECT_EQ(stamp.minutes, 0);
    EXPECT_FLOAT_EQ(stamp.seconds, 15.5f);
    EXPECT_FALSE(buffer.ReadFiniteTimeStamp(stamp));
    EXPECT_FALSE(buffer.ReadFiniteTimeStamp(stamp));
    EXPECT_FALSE(buffer.Overrun());
}

TEST(MessageBufferOverrun, FiniteFloatsRefuseNotANumberInfinityAndAShortBuffer)
{
    MessageBuffer buffer;
    for (float value : {1.5f, -2.0f, 0.0f, std::nanf(""), 3.0f, -std::numeric_limits<float>::infinity(), 4.0f})
        buffer.WriteFloat(value);
    float three[3] = {};
    ASSERT_TRUE(buffer.ReadFiniteFloats(three));
    EXPECT_EQ(three[0], 1.5f);
    EXPECT_EQ(three[1], -2.0f);
    EXPECT_EQ(three[2], 0.0f);
    float two[2] = {};
    // A bad value anywhere in the run refuses it, the last as well as the first.
    EXPECT_FALSE(buffer.ReadFiniteFloats(two));
    EXPECT_FALSE(buffer.ReadFiniteFloats(two));
    EXPECT_FALSE(buffer.Overrun());
    // One value left for two: short, though the one there is a number.
    EXPECT_FALSE(buffer.ReadFiniteFloats(two));
    EXPECT_TRUE(buffer.Overrun());
}
