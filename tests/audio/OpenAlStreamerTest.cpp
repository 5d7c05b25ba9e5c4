// OpenAlStreamerTest -- Ogg Vorbis streams on the loopback device: queued chunks, refills, seamless loops and the end.
#include "audio/AlNames.h"
#include "audio/LoopbackDevice.h"
#include "audio/OpenAlSoundDriver.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "gen/OggEncoder.h"
#include "support/LogLines.h"

#include <AL/al.h>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// 16-bit mono at 22,050 Hz: one chunk of 44,100 bytes is exactly one second.
constexpr int kStreamRate = 22050;
constexpr int kFramesPerChunk = 22050;
// The loopback device mixes at 44.1 kHz: this many frames play a quarter of a chunk.
constexpr int kQuarterChunkFrames = LoopbackDeviceFactory::kRate / 4;

std::vector<uint8_t> ToneOgg(int frames, int channels = 1)
{
    std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(8000.0 * std::sin(static_cast<double>(i / channels) * 0.05));
    return EncodeOggVorbis(samples, channels, kStreamRate, 0.2f);
}

class StreamWorld : public ::testing::Test {
protected:
    StreamWorld()
    {
        gDebugSystem = &debug;
        gUserVarSystem = &vars;
        auto made = std::make_unique<LoopbackDeviceFactory>();
        factory = made.get();
        driver = std::make_unique<OpenAlSoundDriver>(world, std::move(made));
        started = driver->Init();
        sourceZero = started ? FindAlSource(*driver, 0) : 0;
    }
    ~StreamWorld() override
    {
        driver.reset();
        gUserVarSystem = nullptr;
        gDebugSystem = nullptr;
    }

    // Starts a stream of the bytes on source 0; the bytes must outlive it.
    int32_t Play(const std::vector<uint8_t>& bytes, bool loop, const std::string& name = "Music/tone.ogg")
    {
        int32_t stream = driver->CreateStream(bytes.data(), static_cast<uint32_t>(bytes.size()), name);
        driver->SetStreamLooping(0, stream, loop);
        driver->StartStream(0, stream);
        return stream;
    }

    ALint SourceInt(ALenum what) const
    {
        ALint value = -1;
        alGetSourcei(sourceZero, what, &value);
        return value;
    }

    // A quarter of a chunk of playing time, then the frame's refill.
    void Frame()
    {
        factory->Render(kQuarterChunkFrames);
        driver->UpdateStreams();
    }

    DebugSystem debug;
    UserVarSystem vars;
    SoundWorld world;
    LoopbackDeviceFactory* factory = nullptr;
    std::unique_ptr<OpenAlSoundDriver> driver;
    bool started = false;
    ALuint sourceZero = 0;
};

} // namespace

TEST_F(StreamWorld, AStreamStartsWithOneBufferPerChunkUpToFour)
{
    ASSERT_TRUE(started);
    const std::vector<std::pair<int, int>> cases = {
        {kFramesPerChunk / 2, 1}, {kFramesPerChunk * 3 / 2, 2}, {kFramesPerChunk * 5 / 2, 3}, {kFramesPerChunk * 6, 4}};
    for (auto [frames, queued] : cases) {
        std::vector<uint8_t> bytes = ToneOgg(frames);
        int32_t stream = Play(bytes, false);
        EXPECT_EQ(SourceInt(AL_BUFFERS_QUEUED), queued) << frames;
        EXPECT_EQ(SourceInt(AL_SOURCE_STATE), AL_PLAYING) << frames;
        driver->StopStream(0, stream);
        driver->DeleteStream(stream);
    }
}

TEST_F(StreamWorld, EveryProcessedBufferIsRefilledAndQueuedAgain)
{
    ASSERT_TRUE(started);
    std::vector<uint8_t> bytes = ToneOgg(kFramesPerChunk * 8);
    Play(bytes, false);
    factory->Render(kQuarterChunkFrames * 5);
    EXPECT_EQ(SourceInt(AL_BUFFERS_PROCESSED), 1);
    driver->UpdateStreams();
    EXPECT_EQ(SourceInt(AL_BUFFERS_PROCESSED), 0);
    EXPECT_EQ(SourceInt(AL_BUFFERS_QUEUED), 4);
}

TEST_F(StreamWorld, ALoopExactlyTwoChunksLongNeverRunsDry)
{
    ASSERT_TRUE(started);
    std::vector<uint8_t> bytes = ToneOgg(kFramesPerChunk * 2);
    Play(bytes, true);
    ASSERT_EQ(SourceInt(AL_BUFFERS_QUEUED), 2);
    // Ten passes through the file: the chunk that finds the end is decoded again from the start.
    for (int frame = 0; frame < 4 * 2 * 10; ++frame) {
        Frame();
        ASSERT_EQ(SourceInt(AL_SOURCE_STATE), AL_PLAYING) << frame;
        ASSERT_EQ(SourceInt(AL_BUFFERS_QUEUED), 2) << frame;
    }
    EXPECT_TRUE(driver->IsSourcePlaying(0));
}

TEST_F(StreamWorld, AStreamThatDoesNotLoopEndsAndThenCountsAsStopped)
{
    ASSERT_TRUE(started);
    std::vector<uint8_t> bytes = ToneOgg(kFramesPerChunk * 3 / 2);
    Play(bytes, false);
    EXPECT_TRUE(driver->IsSourcePlaying(0));
    for (int frame = 0; frame < 8; ++frame)
        Frame();
    EXPECT_EQ(SourceInt(AL_BUFFERS_QUEUED), 0);
    EXPECT_FALSE(driver->IsSourcePlaying(0));
    EXPECT_EQ(driver->CountPlaying(), 0);
}

TEST_F(StreamWorld, StoppingTwiceReturnsTheBuffersToThePoolOnce)
{
    ASSERT_TRUE(started);
    debug.SetDeveloper(true);
    std::vector<uint8_t> bytes = ToneOgg(kFramesPerChunk / 2);
    int32_t stream = Play(bytes, false);
    // Every slot holds a name, the three without data as well.
    EXPECT_EQ(CountLiveAlBuffers(), 4);
    driver->StopStream(0, stream);
    driver->StopStream(0, stream);
    EXPECT_FALSE(driver->IsSourcePlaying(0));
    // The next stream takes its names from the pool, and a stream beside it makes four of its
    // own: a name pooled twice would be filled while the first stream still holds it.
    std::vector<uint8_t> longer = ToneOgg(kFramesPerChunk * 6);
    Play(longer, false);
    EXPECT_EQ(CountLiveAlBuffers(), 4);
    EXPECT_EQ(SourceInt(AL_BUFFERS_QUEUED), 4);
    int32_t beside = driver->CreateStream(longer.data(), static_cast<uint32_t>(longer.size()), "Music/beside.ogg");
    driver->StartStream(1, beside);
    EXPECT_EQ(CountLiveAlBuffers(), 8);
    EXPECT_EQ(driver->CountPlaying(), 2);
    EXPECT_EQ(CountLinesHolding(debug, "AL_INVALID"), 0);
}

TEST_F(StreamWorld, BytesTheDecoderCannotOpenPlayNothing)
{
    ASSERT_TRUE(started);
    std::vector<uint8_t> good = ToneOgg(kFramesPerChunk);
    std::vector<uint8_t> cut(good.begin(), good.begin() + 40);
    std::vector<uint8_t> noise(3000, 0x5A);
    for (const auto* bytes : {&cut, &noise}) {
        int32_t stream = Play(*bytes, true);
        EXPECT_EQ(SourceInt(AL_BUFFERS_QUEUED), 0);
        EXPECT_FALSE(driver->IsSourcePlaying(0));
        driver->StopStream(0, stream);
    }
    EXPECT_EQ(CountLiveAlBuffers(), 0);
}

TEST_F(StreamWorld, MoreThanTwoChannelsPlayNothingAndStereoPlays)
{
    ASSERT_TRUE(started);
    std::vector<uint8_t> three = ToneOgg(kFramesPerChunk, 3);
    ASSERT_FALSE(three.empty());
    int32_t stream = Play(three, false);
    EXPECT_EQ(SourceInt(AL_BUFFERS_QUEUED), 0);
    driver->StopStream(0, stream);
    std::vector<uint8_t> stereo = ToneOgg(kFramesPerChunk, 2);
    Play(stereo, false);
    // Two seconds of 16-bit stereo samples at 22,050 Hz: two chunks.
    EXPECT_EQ(SourceInt(AL_BUFFERS_QUEUED), 2);
}

TEST_F(StreamWorld, ShutdownWithAStreamStillPlayingClosesItsDecoder)
{
    ASSERT_TRUE(started);
    std::vector<uint8_t> bytes = ToneOgg(kFramesPerChunk * 6);
    Play(bytes, true);
    ASSERT_EQ(driver->GetOpenDecoderCount(), 1);
    driver->Shutdown();
    EXPECT_EQ(driver->GetOpenDecoderCount(), 0);
    EXPECT_EQ(driver->GetSourceCount(), 0);
    EXPECT_FALSE(driver->IsSourcePlaying(0));
}

TEST_F(StreamWorld, ALoopThatYieldsNoSoundLetsGoOfItsSourceAndAnUnreadableFileIsNamed)
{
    ASSERT_TRUE(started);
    debug.SetDeveloper(true);
    // Headers the decoder opens, and no sample after them.
    std::vector<uint8_t> silent = EncodeOggVorbis({}, 1, kStreamRate, 0.2f);
    int32_t stream = Play(silent, true, "Music/silent.ogg");
    ASSERT_EQ(driver->GetOpenDecoderCount(), 1);
    EXPECT_EQ(SourceInt(AL_BUFFERS_QUEUED), 0);
    for (int frame = 0; frame < 4; ++frame)
        Frame();
    EXPECT_FALSE(driver->IsSourcePlaying(0));
    EXPECT_EQ(driver->CountPlaying(), 0);
    driver->StopStream(0, stream);
    EXPECT_EQ(driver->GetOpenDecoderCount(), 0);
    // A loop that plays keeps counting as playing between its refills.
    std::vector<uint8_t> tone = ToneOgg(kFramesPerChunk / 2);
    stream = Play(tone, true);
    for (int frame = 0; frame < 12; ++frame) {
        Frame();
        ASSERT_TRUE(driver->IsSourcePlaying(0)) << frame;
    }
    driver->StopStream(0, stream);
    // Bytes the decoder cannot open: one developer line that names the file, and no decoder.
    std::vector<uint8_t> noise(3000, 0x5A);
    Play(noise, true, "Music/noise.ogg");
    EXPECT_EQ(driver->GetOpenDecoderCount(), 0);
    int named = 0;
    for (const std::string& line : debug.GetConsoleLines())
        named += line.find("Music/noise.ogg") != std::string::npos ? 1 : 0;
    EXPECT_EQ(named, 1);
}

TEST_F(StreamWorld, DamagedFilesPlayWhatTheDecoderCanReadAndNeverReadOutsideTheirBytes)
{
    ASSERT_TRUE(started);
    const std::vector<uint8_t> whole = ToneOgg(kFramesPerChunk * 3);
    std::mt19937 random(77);
    int heldSilent = 0;
    for (int round = 0; round < 60; ++round) {
        // Damage in the audio pages, past the headers; every other file also cut short. Each
        // is held in a block of exactly its size, so that a read past the end is seen.
        std::vector<uint8_t> damaged = whole;
        size_t half = damaged.size() / 2;
        for (int flip = 0; flip < 4; ++flip)
            damaged[half + random() % half] ^= static_cast<uint8_t>(1u << (random() % 8));
        if (round % 2 == 1)
            damaged.resize(half + random() % half);
        damaged.shrink_to_fit();
        int32_t stream = Play(damaged, round % 3 == 0);
        for (int frame = 0; frame < 16; ++frame) {
            // A loop over a file that yields no sound counts as playing no longer than its
            // queued sound lasts: it would otherwise hold its source for ever.
            if (driver->IsSourcePlaying(0) && SourceInt(AL_BUFFERS_QUEUED) == 0)
                ++heldSilent;
            Frame();
        }
        driver->StopStream(0, stream);
        driver->DeleteStream(stream);
    }
    EXPECT_EQ(heldSilent, 0);
    // The four names went round: none was lost, none made twice.
    EXPECT_EQ(CountLiveAlBuffers(), 4);
}
