// WavInfoTest -- the WAV reader on built files: fields, chunk walking, and files that lie about their sizes.
#include "audio/WavBytes.h"
#include "audio/WavInfo.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

namespace {

std::vector<uint8_t> Ramp(size_t count)
{
    std::vector<uint8_t> samples(count);
    std::iota(samples.begin(), samples.end(), uint8_t{1});
    return samples;
}

WavInfo Read(std::vector<uint8_t>& file)
{
    WavInfo info;
    ReadWav(file.data(), file.size(), info);
    return info;
}

void Overwrite(std::vector<uint8_t>& file, size_t offset, const char* id)
{
    for (size_t i = 0; i < 4; ++i)
        file.at(offset + i) = static_cast<uint8_t>(id[i]);
}

// The samples the reader points at lie wholly inside the file.
bool InsideFile(const WavInfo& info, const std::vector<uint8_t>& file)
{
    if (info.GetDataBytes() == 0)
        return true;
    return info.samples >= file.data() && info.samples + info.GetDataBytes() <= file.data() + file.size();
}

} // namespace

TEST(WavRead, FieldsComeFromFmtAndTheSamplesFromData)
{
    std::vector<uint8_t> samples = Ramp(200);
    std::vector<uint8_t> file = BuildWav(samples, {2, 16, 44100});
    WavInfo info = Read(file);
    EXPECT_EQ(info.formatTag, 1);
    EXPECT_EQ(info.channelCount, 2);
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_EQ(info.sampleCount, 100);
    ASSERT_EQ(info.samples, file.data() + 44);
    EXPECT_EQ(std::memcmp(info.samples, samples.data(), samples.size()), 0);
}

TEST(WavRead, ALongerFmtChunkIsFoundByTheSecondSearchForData)
{
    std::vector<uint8_t> file = BuildWav(Ramp(100), {1, 8, 11025, 2});
    WavInfo info = Read(file);
    EXPECT_EQ(info.sampleCount, 100);
    EXPECT_EQ(info.samples, file.data() + 46);
}

TEST(WavRead, ChunksBeforeFmtAreWalkedOverWithTheirPadByte)
{
    std::vector<uint8_t> file = BuildWav(Ramp(64), {1, 16, 8000, 0, -1, 7});
    WavInfo info = Read(file);
    EXPECT_EQ(info.sampleRate, 8000);
    EXPECT_EQ(info.sampleCount, 32);
    EXPECT_EQ(info.samples[0], 1);
}

TEST(WavRead, NotRiffWaveOrNoFmtLeavesEverythingZero)
{
    std::vector<uint8_t> good = BuildWav(Ramp(16));
    std::vector<uint8_t> notWave = good;
    Overwrite(notWave, 8, "AVI ");
    std::vector<uint8_t> noFormat = good;
    Overwrite(noFormat, 12, "junk");
    for (auto* file : {&notWave, &noFormat}) {
        WavInfo info = Read(*file);
        EXPECT_EQ(info.sampleRate, 0);
        EXPECT_EQ(info.channelCount, 0);
        EXPECT_EQ(info.samples, nullptr);
    }
}

TEST(WavRead, AFmtChunkShorterThanItsFieldsIsRefused)
{
    std::vector<uint8_t> file = BuildWav(Ramp(16));
    // "fmt " claims 14 bytes: its rate and bits would be read from the next chunk.
    file[16] = 14;
    WavInfo info = Read(file);
    EXPECT_EQ(info.sampleRate, 0);
    EXPECT_EQ(info.bitsPerSample, 0);
}

TEST(WavRead, MissingDataKeepsTheFormatWithNoSamples)
{
    std::vector<uint8_t> file = BuildWav(Ramp(16));
    Overwrite(file, 36, "dat?");
    WavInfo info = Read(file);
    EXPECT_EQ(info.sampleRate, 22050);
    EXPECT_EQ(info.sampleCount, 0);
    EXPECT_EQ(info.GetDataBytes(), 0u);
}

TEST(WavRead, DataThatClaimsMoreThanTheFileIsCutAtItsEnd)
{
    for (int64_t claimed : {int64_t{101}, int64_t{1} << 20, int64_t{0xFFFFFFFF}, int64_t{0x7FFFFFFF}}) {
        std::vector<uint8_t> file = BuildWav(Ramp(100), {1, 16, 22050, 0, claimed});
        WavInfo info = Read(file);
        EXPECT_EQ(info.sampleCount, 50) << claimed;
        EXPECT_TRUE(InsideFile(info, file)) << claimed;
    }
}

TEST(WavRead, FewerThanEightBitsGiveNoSamples)
{
    for (int32_t bits : {0, 1, 4, 7}) {
        std::vector<uint8_t> file = BuildWav(Ramp(40), {1, bits});
        WavInfo info = Read(file);
        EXPECT_EQ(info.bitsPerSample, bits);
        EXPECT_EQ(info.sampleCount, 0) << bits;
        EXPECT_EQ(info.GetDataBytes(), 0u);
    }
    std::vector<uint8_t> wide = BuildWav(Ramp(40), {1, 24});
    EXPECT_EQ(Read(wide).sampleCount, 13);
}

TEST(WavRead, AFileCutAtEveryOffsetNeverPointsOutsideItself)
{
    std::vector<uint8_t> whole = BuildWav(Ramp(50), {2, 16, 22050, 2, -1, 3});
    for (size_t size = 0; size <= whole.size(); ++size) {
        // A copy of exactly the first bytes, so that ASan sees a read past the cut.
        std::unique_ptr<uint8_t[]> cut(new uint8_t[size]);
        std::copy_n(whole.data(), size, cut.get());
        WavInfo info;
        ReadWav(cut.get(), size, info);
        ASSERT_TRUE(info.GetDataBytes() == 0 ||
                    (info.samples >= cut.get() && info.samples + info.GetDataBytes() <= cut.get() + size))
            << size;
        if (size < whole.size()) {
            EXPECT_LT(info.GetDataBytes(), 50u) << size;
        }
    }
}

TEST(WavRead, ChunkSizesNearTheTopOfTheRangeDoNotWrapBackIntoTheFile)
{
    std::vector<uint8_t> file = BuildWav(Ramp(32), {1, 16, 22050, 0, -1, 0});
    // The empty chunk before "fmt " now claims 4 GB - 1: its pad byte would make the step wrap.
    file[16] = file[17] = file[18] = file[19] = 0xFF;
    WavInfo info = Read(file);
    EXPECT_EQ(info.sampleRate, 0);
    EXPECT_TRUE(InsideFile(info, file));
}

TEST(WavRead, FlippedBitsNeverLeadOutsideTheFile)
{
    std::vector<uint8_t> whole = BuildWav(Ramp(60), {2, 8, 22050, 2, -1, 5});
    std::mt19937 random(1234);
    for (int round = 0; round < 4000; ++round) {
        std::vector<uint8_t> file = whole;
        for (int flip = 0; flip < 3; ++flip) {
            size_t at = random() % file.size();
            file[at] ^= static_cast<uint8_t>(1u << (random() % 8));
        }
        WavInfo info = Read(file);
        ASSERT_TRUE(InsideFile(info, file)) << round;
    }
}
