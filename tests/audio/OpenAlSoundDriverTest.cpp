// OpenAlSoundDriverTest -- the OpenAL driver on the loopback device: start-up, source ranges, formats, gains and positions.
#include "audio/AlNames.h"
#include "audio/LoopbackDevice.h"
#include "audio/OpenAlErrorReport.h"
#include "audio/OpenAlSoundDriver.h"
#include "audio/WavInfo.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "support/LogLines.h"

#include <AL/al.h>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// The listener's reference is wherever the test puts it; levels share one frame.
class PlacedWorld : public SoundWorld {
public:
    SoundPos GetListenerReference() const override { return reference; }
    SoundPos reference;
};

class DriverWorld : public ::testing::Test {
protected:
    DriverWorld()
    {
        gDebugSystem = &debug;
        debug.SetMaxConsoleLines(1 << 16);
        gUserVarSystem = &vars;
    }
    ~DriverWorld() override
    {
        driver.reset();
        gUserVarSystem = nullptr;
        gDebugSystem = nullptr;
    }

    bool Start(int failCount = 0)
    {
        auto made = std::make_unique<LoopbackDeviceFactory>(failCount);
        factory = made.get();
        driver = std::make_unique<OpenAlSoundDriver>(world, std::move(made));
        return driver->Init();
    }

    float SourceFloat(int32_t source, ALenum what) const
    {
        float value = -1.0f;
        alGetSourcef(FindAlSource(*driver, source), what, &value);
        return value;
    }

    std::vector<float> SourcePosition(int32_t source) const
    {
        std::vector<float> at(3, 0.0f);
        alGetSourcefv(FindAlSource(*driver, source), AL_POSITION, at.data());
        return at;
    }

    DebugSystem debug;
    UserVarSystem vars;
    PlacedWorld world;
    LoopbackDeviceFactory* factory = nullptr;
    std::unique_ptr<OpenAlSoundDriver> driver;
};

// A WAV description over sample bytes the test owns.
WavInfo Described(const std::vector<uint8_t>& samples, int32_t channels, int32_t bits, int32_t rate = 22050)
{
    WavInfo wav;
    wav.channelCount = channels;
    wav.bitsPerSample = bits;
    wav.sampleRate = rate;
    wav.sampleCount = bits >= 8 ? static_cast<int32_t>(samples.size()) / (bits / 8) : 0;
    wav.samples = samples.data();
    return wav;
}

ALint BufferSize(uint32_t buffer)
{
    ALint size = -1;
    alGetBufferi(buffer, AL_SIZE, &size);
    return size;
}

} // namespace

TEST_F(DriverWorld, OpensTheDefaultDeviceFirstAndTakesEverySourceItCanMake)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(factory->tried, (std::vector<std::string>{"(default)"}));
    EXPECT_EQ(driver->GetSourceCount(), 40);
    EXPECT_EQ(CountLinesHolding(debug, "Opened OpenAL Soft Device"), 1);
    EXPECT_EQ(CountLinesHolding(debug, "Using 40 sound sources"), 1);
    EXPECT_EQ(driver->GetDeviceName(), "OpenAL Soft");
    driver->Shutdown();
    EXPECT_EQ(driver->GetSourceCount(), 0);
    EXPECT_EQ(driver->GetDeviceName(), "");
}

TEST_F(DriverWorld, FortySourcesGiveMusicTheFirstTwoAndEveryOtherKindTheRest)
{
    ASSERT_TRUE(Start());
    ASSERT_EQ(driver->GetSourceCount(), 40);
    int32_t first = -1;
    int32_t count = -1;
    for (int32_t kind : {kSoundMono, kSoundStereo, kSoundStream, kSoundDialog}) {
        driver->GetSourceRange(kind, first, count);
        EXPECT_EQ(first, 2) << kind;
        EXPECT_EQ(count, 38) << kind;
    }
    driver->GetSourceRange(kSoundMusic, first, count);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(count, 2);
    driver->GetSourceRange(5, first, count);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(driver->IsPositional(kSoundMono));
    EXPECT_FALSE(driver->IsPositional(kSoundStereo));
    EXPECT_TRUE(driver->IsPositional(kSoundStream));
    EXPECT_TRUE(driver->IsPositional(kSoundDialog));
    EXPECT_FALSE(driver->IsPositional(kSoundMusic));
}

TEST_F(DriverWorld, EachDeviceChoiceFallsBackInItsOwnOrderAndAnUnknownChoiceActsAsZero)
{
    const std::vector<std::pair<const char*, std::vector<std::string>>> cases = {
        {"0", {"(default)", "DirectSound", "MMSYSTEM", "(default)"}},
        {"1", {"DirectSound", "MMSYSTEM", "(default)"}},
        {"2", {"MMSYSTEM", "(default)"}},
        {"5", {"(default)", "DirectSound", "MMSYSTEM", "(default)"}},
        {"-1", {"(default)", "DirectSound", "MMSYSTEM", "(default)"}},
    };
    for (const auto& [choice, order] : cases) {
        vars.SetStringByName("s_soundDevice", choice);
        EXPECT_FALSE(Start(100)) << choice;
        EXPECT_EQ(factory->tried, order) << choice;
    }
    EXPECT_EQ(CountLinesHolding(debug, "Failed to open sound device!"), 5);
    // The last name of the order is still tried: it opens.
    vars.SetStringByName("s_soundDevice", "2");
    ASSERT_TRUE(Start(1));
    EXPECT_EQ(factory->tried, (std::vector<std::string>{"MMSYSTEM", "(default)"}));
}

TEST_F(DriverWorld, BuffersTakeOnlyEightAndSixteenBitMonoAndStereo)
{
    ASSERT_TRUE(Start());
    std::vector<uint8_t> samples(400, 0x40);
    for (auto [channels, bits] : {std::pair{1, 8}, {1, 16}, {2, 8}, {2, 16}}) {
        uint32_t buffer = driver->CreateBuffer(nullptr, 0, Described(samples, channels, bits));
        ASSERT_NE(buffer, 0u) << channels << "x" << bits;
        EXPECT_EQ(BufferSize(buffer), 400) << channels << "x" << bits;
        driver->DeleteBuffer(buffer);
    }
    EXPECT_EQ(driver->CreateBuffer(nullptr, 0, Described(samples, 1, 24)), 0u);
    EXPECT_EQ(driver->CreateBuffer(nullptr, 0, Described(samples, 4, 16)), 0u);
    EXPECT_EQ(driver->CreateBuffer(nullptr, 0, Described(samples, 0, 16)), 0u);
    EXPECT_EQ(driver->CreateBuffer(nullptr, 0, Described(samples, 1, 4)), 0u);
    EXPECT_EQ(driver->CreateBuffer(nullptr, 0, Described(samples, 1, 16, 0)), 0u);
}

TEST_F(DriverWorld, DataThatEndsInsideAFrameIsCutToWholeFrames)
{
    ASSERT_TRUE(Start());
    // 402 bytes of 16-bit stereo: 100 whole frames and half of another.
    std::vector<uint8_t> samples(402, 0);
    uint32_t buffer = driver->CreateBuffer(nullptr, 0, Described(samples, 2, 16));
    ASSERT_NE(buffer, 0u);
    EXPECT_EQ(BufferSize(buffer), 400);
}

TEST_F(DriverWorld, GainsBelowZeroAreSentAsZero)
{
    ASSERT_TRUE(Start());
    driver->SetSourceGain(5, -0.5f);
    EXPECT_EQ(SourceFloat(5, AL_GAIN), 0.0f);
    driver->SetSourceGain(5, 0.75f);
    EXPECT_FLOAT_EQ(SourceFloat(5, AL_GAIN), 0.75f);
}

TEST_F(DriverWorld, SoundsLieAtLeastSixteenUnitsInFrontWithHeightAsUp)
{
    ASSERT_TRUE(Start());
    world.reference = {3, 100.0f, 100.0f, 0.0f};
    driver->SetSourcePosition(4, {3, 105.0f, 103.0f, 7.0f});
    EXPECT_EQ(SourcePosition(4), (std::vector<float>{5.0f, 7.0f, -16.0f}));
    driver->SetSourcePosition(4, {3, 100.0f, 97.0f, 0.0f});
    EXPECT_EQ(SourcePosition(4), (std::vector<float>{0.0f, 0.0f, -16.0f}));
    driver->SetSourcePosition(4, {3, 90.0f, 60.0f, -2.0f});
    EXPECT_EQ(SourcePosition(4), (std::vector<float>{-10.0f, -2.0f, -40.0f}));
    driver->SetSourcePosition(4, {3, 100.0f, 140.0f, 0.0f});
    EXPECT_EQ(SourcePosition(4), (std::vector<float>{0.0f, 0.0f, -40.0f}));
}

TEST_F(DriverWorld, TheListenerStandsAtItsReferenceFacingDownTheDepthAxis)
{
    ASSERT_TRUE(Start());
    world.reference = {2, 50.0f, 50.0f, 0.0f};
    driver->SetListenerPosition({2, 50.0f, 50.0f, 0.0f});
    float at[3] = {-1.0f, -1.0f, -1.0f};
    alGetListenerfv(AL_POSITION, at);
    EXPECT_EQ(std::vector<float>(at, at + 3), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    float orientation[6] = {};
    alGetListenerfv(AL_ORIENTATION, orientation);
    EXPECT_EQ(std::vector<float>(orientation, orientation + 6), (std::vector<float>{0, 0, -1, 0, 1, 0}));
    driver->SetListenerGain(0.0f);
    float gain = -1.0f;
    alGetListenerf(AL_GAIN, &gain);
    EXPECT_EQ(gain, 0.0f);
}

TEST_F(DriverWorld, TheReferenceDistanceIsTwiceTheMinimumAndPitchIsTheFactor)
{
    ASSERT_TRUE(Start());
    driver->SetSourceDistances(7, 32.0f, 500.0f);
    EXPECT_EQ(SourceFloat(7, AL_REFERENCE_DISTANCE), 64.0f);
    driver->SetSourcePitch(7, 22050, 1.25f);
    EXPECT_EQ(SourceFloat(7, AL_PITCH), 1.25f);
}

TEST_F(DriverWorld, ABufferPlaysUntilItsSamplesAreMixedAndLoopsWhenAsked)
{
    ASSERT_TRUE(Start());
    ALuint loopedName = FindAlSource(*driver, 3);
    ASSERT_NE(loopedName, 0u);
    std::vector<uint8_t> samples(4410 * 2, 0x10);  // a tenth of a second at 44.1 kHz
    uint32_t buffer = driver->CreateBuffer(nullptr, 0, Described(samples, 1, 16, 44100));
    int32_t once = driver->AttachBuffer(2, buffer);
    int32_t looped = driver->AttachBuffer(3, buffer);
    ASSERT_EQ(once, 2);
    ASSERT_EQ(looped, 3);
    driver->SetSourceLooping(looped, true);
    driver->PlayBuffer(once, buffer);
    driver->PlayBuffer(looped, buffer);
    EXPECT_EQ(driver->CountPlaying(), 2);
    factory->Render(8000);
    EXPECT_EQ(driver->CountPlaying(), 1);
    EXPECT_FALSE(driver->IsSourcePlaying(once));
    EXPECT_TRUE(driver->IsSourcePlaying(looped));
    driver->StopSource(looped);
    EXPECT_EQ(driver->CountPlaying(), 0);
    ALint attached = -1;
    alGetSourcei(loopedName, AL_BUFFER, &attached);
    EXPECT_EQ(attached, 0);
    driver->DeleteBuffer(buffer);
}

// A paused source keeps its place while the mix goes on and plays out once resumed; the reserved
// hook touches no source; handles outside the table are answered true without a call to OpenAL.
TEST_F(DriverWorld, APausedSourceWaitsUntilResumedAndTheReservedHookTouchesNothing)
{
    ASSERT_TRUE(Start());
    // Found before the sound starts: the search plays and stops a marker on the source.
    ALuint name = FindAlSource(*driver, 2);
    ASSERT_NE(name, 0u);
    std::vector<uint8_t> samples(4410 * 2, 0x10);  // a tenth of a second at 44.1 kHz
    uint32_t buffer = driver->CreateBuffer(nullptr, 0, Described(samples, 1, 16, 44100));
    int32_t source = driver->AttachBuffer(2, buffer);
    ASSERT_EQ(source, 2);
    auto state = [name] {
        ALint value = 0;
        alGetSourcei(name, AL_SOURCE_STATE, &value);
        return value;
    };
    driver->PlayBuffer(source, buffer);
    EXPECT_TRUE(driver->PauseSource(source));
    EXPECT_EQ(state(), AL_PAUSED);
    factory->Render(8000);
    driver->ReservedHook();
    EXPECT_EQ(state(), AL_PAUSED) << "a paused sound does not run out";
    EXPECT_FALSE(driver->IsSourcePlaying(source));
    EXPECT_TRUE(driver->ResumeSource(source));
    EXPECT_TRUE(driver->IsSourcePlaying(source));
    factory->Render(8000);
    EXPECT_EQ(state(), AL_STOPPED) << "resumed, it plays out";
    EXPECT_TRUE(driver->PauseSource(99));
    EXPECT_TRUE(driver->ResumeSource(-1));
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
    driver->StopSource(source);
    driver->DeleteBuffer(buffer);
}

TEST_F(DriverWorld, HandlesOutsideTheTableAreRefusedWithoutTouchingOpenAl)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(driver->AttachBuffer(40, 1), -1);
    EXPECT_EQ(driver->AttachStream(-1, 1), -1);
    EXPECT_FALSE(driver->IsSourcePlaying(-1));
    driver->SetSourceGain(99, 1.0f);
    driver->StopStream(99, 1);
    driver->StartStream(0, 12345);
    driver->DeleteStream(12345);
    EXPECT_FALSE(driver->IsSourcePlaying(0));
    EXPECT_EQ(alGetError(), AL_NO_ERROR);
}

TEST(OpenAlErrorReport, TheFiveErrorCodesHaveNamesAndOthersNone)
{
    EXPECT_STREQ(OpenAlErrorName(0xA001), "AL_INVALID_NAME");
    EXPECT_STREQ(OpenAlErrorName(0xA002), "AL_INVALID_ENUM");
    EXPECT_STREQ(OpenAlErrorName(0xA003), "AL_INVALID_VALUE");
    EXPECT_STREQ(OpenAlErrorName(0xA004), "AL_INVALID_OPERATION");
    EXPECT_STREQ(OpenAlErrorName(0xA005), "AL_OUT_OF_MEMORY");
    EXPECT_EQ(OpenAlErrorName(0), nullptr);
    EXPECT_EQ(OpenAlErrorName(0xA006), nullptr);
}

TEST_F(DriverWorld, AnOpenAlErrorIsLoggedByNameAsDeveloperText)
{
    ASSERT_TRUE(Start());
    ALuint name = FindAlSource(*driver, 2);
    ASSERT_NE(name, 0u);
    debug.SetDeveloper(true);
    alSourcef(name, AL_PITCH, -1.0f);
    driver->SetSourceGain(2, 0.5f);
    EXPECT_EQ(CountLinesHolding(debug, "AL_INVALID_VALUE"), 1);
}
