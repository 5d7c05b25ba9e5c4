// OggMemoryReaderTest -- the decoder's callbacks over in-memory bytes: reads cut at the end, seeks, and the refused ones.
#include "audio/OggMemoryReader.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace {

class ReaderWorld : public ::testing::Test {
protected:
    ReaderWorld() : bytes(1000)
    {
        std::iota(bytes.begin(), bytes.end(), uint8_t{0});
        data.bytes = bytes.data();
        data.size = static_cast<uint32_t>(bytes.size());
        reader.Open(&data);
    }

    std::vector<uint8_t> bytes;
    OggMemoryData data;
    OggMemoryReader reader;
};

} // namespace

TEST_F(ReaderWorld, ReadsCopyFromThePositionAndStopAtTheEnd)
{
    std::vector<uint8_t> out(64, 0xEE);
    ASSERT_EQ(OggMemoryReader::Seek(&reader, 980, SEEK_SET), 0);
    EXPECT_EQ(OggMemoryReader::Read(out.data(), 1, 64, &reader), 20u);
    EXPECT_EQ(out[0], static_cast<uint8_t>(980 & 0xFF));
    EXPECT_EQ(out[19], static_cast<uint8_t>(999 & 0xFF));
    EXPECT_EQ(out[20], 0xEE);
    EXPECT_EQ(OggMemoryReader::Tell(&reader), 1000);
    EXPECT_EQ(OggMemoryReader::Read(out.data(), 1, 64, &reader), 0u);
}

TEST_F(ReaderWorld, ACountWhoseProductOverflowsIsCutToTheBytesLeft)
{
    std::vector<uint8_t> out(1000);
    EXPECT_EQ(OggMemoryReader::Read(out.data(), 2, SIZE_MAX / 2 + 2, &reader), 1000u);
    EXPECT_EQ(out[999], static_cast<uint8_t>(999 & 0xFF));
}

TEST_F(ReaderWorld, SeeksFromStartPositionAndEnd)
{
    EXPECT_EQ(OggMemoryReader::Seek(&reader, -10, SEEK_END), 0);
    EXPECT_EQ(OggMemoryReader::Tell(&reader), 990);
    EXPECT_EQ(OggMemoryReader::Seek(&reader, -90, SEEK_CUR), 0);
    EXPECT_EQ(OggMemoryReader::Tell(&reader), 900);
    EXPECT_EQ(OggMemoryReader::Seek(&reader, 5, 7), 0);
    EXPECT_EQ(OggMemoryReader::Tell(&reader), 900);
    // Past the end is a place, where reads find nothing.
    EXPECT_EQ(OggMemoryReader::Seek(&reader, 5000, SEEK_SET), 0);
    uint8_t out = 0;
    EXPECT_EQ(OggMemoryReader::Read(&out, 1, 1, &reader), 0u);
}

TEST_F(ReaderWorld, ASeekBeforeTheStartIsRefusedAndTheReadStillStartsWhereItWas)
{
    ASSERT_EQ(OggMemoryReader::Seek(&reader, 100, SEEK_SET), 0);
    EXPECT_EQ(OggMemoryReader::Seek(&reader, -1, SEEK_SET), -1);
    EXPECT_EQ(OggMemoryReader::Seek(&reader, -101, SEEK_CUR), -1);
    EXPECT_EQ(OggMemoryReader::Seek(&reader, -1001, SEEK_END), -1);
    EXPECT_EQ(OggMemoryReader::Seek(&reader, INT64_MIN, SEEK_END), -1);
    EXPECT_EQ(OggMemoryReader::Tell(&reader), 100);
    uint8_t out = 0;
    ASSERT_EQ(OggMemoryReader::Read(&out, 1, 1, &reader), 1u);
    EXPECT_EQ(out, 100);
}

TEST_F(ReaderWorld, OffsetsBeyondThirtyTwoBitsLandOutsideTheFile)
{
    EXPECT_EQ(OggMemoryReader::Seek(&reader, INT64_C(1) << 40, SEEK_SET), 0);
    uint8_t out = 0;
    EXPECT_EQ(OggMemoryReader::Read(&out, 1, 1, &reader), 0u);
    EXPECT_EQ(OggMemoryReader::Seek(&reader, INT64_MAX, SEEK_END), 0);
    EXPECT_EQ(OggMemoryReader::Read(&out, 1, 1, &reader), 0u);
}

TEST(OggMemoryReaderWithoutStream, EveryCallbackRefusesOrGivesNothing)
{
    OggMemoryReader reader;
    uint8_t out = 0;
    EXPECT_EQ(OggMemoryReader::Read(&out, 1, 1, &reader), 0u);
    EXPECT_EQ(OggMemoryReader::Seek(&reader, 0, SEEK_SET), -1);
    EXPECT_EQ(OggMemoryReader::CloseStream(&reader), -1);
    EXPECT_EQ(OggMemoryReader::Tell(&reader), 0);
    EXPECT_EQ(OggMemoryReader::Read(&out, 1, 1, nullptr), 0u);
}
