// PosixPlatformSystemTest -- byte order, threads, the recursive lock, quit requests, fatal errors and the clipboard.
#include "platform/PosixPlatformSystem.h"

#include "core/DebugSystem.h"
#include "core/system/CriticalSection.h"
#include "platform/LittleEndian.h"
#include "support/OffscreenClipboard.h"
#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace {

constexpr auto kThreadWait = std::chrono::seconds(10);

template <typename T>
std::array<uint8_t, sizeof(T)> BytesOf(T value)
{
    std::array<uint8_t, sizeof(T)> bytes;
    memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

template <typename T, size_t N>
T FromBytes(const std::array<uint8_t, N>& bytes)
{
    static_assert(sizeof(T) == N);
    T value;
    memcpy(&value, bytes.data(), N);
    return value;
}

} // namespace

TEST(PlatformByteOrder, StoredFormIsLittleEndianBothWays)
{
    TempFolder folder;
    PosixPlatformSystem platform(folder.Path().string());
    const std::array<uint8_t, 2> word = {0x34, 0x12};
    const std::array<uint8_t, 4> dword = {0x44, 0x33, 0x22, 0x11};
    const std::array<uint8_t, 4> minusTwo = {0xFE, 0xFF, 0xFF, 0xFF};
    const std::array<uint8_t, 8> qword = {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01};
    const std::array<uint8_t, 4> onePointFive = {0x00, 0x00, 0xC0, 0x3F};
    const std::array<uint8_t, 8> minusTwoPointFive = {0, 0, 0, 0, 0, 0, 0x04, 0xC0};

    EXPECT_EQ(BytesOf(platform.ToLittle16(0x1234)), word);
    EXPECT_EQ(BytesOf(platform.ToLittleS16(-2)), (std::array<uint8_t, 2>{0xFE, 0xFF}));
    EXPECT_EQ(BytesOf(platform.ToLittleS16(0x1234)), word);
    EXPECT_EQ(BytesOf(platform.ToLittleU32(0x11223344u)), dword);
    EXPECT_EQ(BytesOf(platform.ToLittle32(-2)), minusTwo);
    EXPECT_EQ(BytesOf(platform.ToLittle64(uint64_t{0x0102030405060708})), qword);
    EXPECT_EQ(BytesOf(platform.ToLittleFloat(1.5f)), onePointFive);

    EXPECT_EQ(platform.FromLittle16(FromBytes<uint16_t>(word)), 0x1234);
    EXPECT_EQ(platform.FromLittleS16(FromBytes<int16_t>(std::array<uint8_t, 2>{0x00, 0x80})), -32768);
    EXPECT_EQ(platform.FromLittleU32(FromBytes<uint32_t>(dword)), 0x11223344u);
    EXPECT_EQ(platform.FromLittle32(FromBytes<int32_t>(minusTwo)), -2);
    EXPECT_EQ(platform.FromLittleFloat(onePointFive.data()), 1.5f);
    EXPECT_EQ(platform.FromLittleDouble(minusTwoPointFive.data()), -2.5);
}

TEST(PlatformByteOrder, BigEndianHostSwapsEveryWidth)
{
    using Big = LittleEndian<std::endian::big>;
    using Little = LittleEndian<std::endian::little>;
    static_assert(Big::Convert(uint16_t{0x1234}) == 0x3412);
    static_assert(Big::Convert(0x11223344u) == 0x44332211u);
    static_assert(Big::Convert(uint64_t{0x0102030405060708}) == 0x0807060504030201u);
    static_assert(Little::Convert(0x11223344u) == 0x11223344u);
}

namespace {

struct ThreadProbe {
    std::promise<uint32_t> threadId;
    PosixPlatformSystem* platform;
};

void ReportThreadId(void* argument)
{
    auto* probe = static_cast<ThreadProbe*>(argument);
    probe->threadId.set_value(probe->platform->GetCurrentThreadId());
}

struct EndingProbe {
    std::promise<std::string> ended;
    PosixPlatformSystem* platform;
    std::string steps;
};

// Tells, as the thread's stack is unwound, what the thread had done by then.
struct UnwindMark {
    EndingProbe* probe;
    ~UnwindMark() { probe->ended.set_value(probe->steps); }
};

void EndHalfWay(void* argument)
{
    auto* probe = static_cast<EndingProbe*>(argument);
    UnwindMark mark{probe};
    probe->steps += "before";
    probe->platform->EndThread();
    probe->steps += " after";
}

} // namespace

TEST(PlatformThreads, StartedThreadRunsEntryWithItsArgumentOnAnotherThread)
{
    TempFolder folder;
    PosixPlatformSystem platform(folder.Path().string());
    for (uint32_t stackSize : {0u, 1u, 256u * 1024u}) {
        ThreadProbe probe{{}, &platform};
        std::future<uint32_t> done = probe.threadId.get_future();
        ASSERT_TRUE(platform.StartThread(ReportThreadId, stackSize, &probe));
        ASSERT_EQ(done.wait_for(kThreadWait), std::future_status::ready);
        uint32_t otherId = done.get();
        EXPECT_NE(otherId, platform.GetCurrentThreadId());
        EXPECT_NE(otherId, 0u);
    }
    EXPECT_EQ(platform.GetCurrentThreadId(), static_cast<uint32_t>(getpid()));
}

TEST(PlatformThreads, EndThreadEndsTheThreadWhereItIsCalledAndUnwindsItsStack)
{
    TempFolder folder;
    PosixPlatformSystem platform(folder.Path().string());
    EndingProbe probe{{}, &platform, {}};
    std::future<std::string> ended = probe.ended.get_future();
    ASSERT_TRUE(platform.StartThread(EndHalfWay, 0, &probe));
    ASSERT_EQ(ended.wait_for(kThreadWait), std::future_status::ready);
    EXPECT_EQ(ended.get(), "before");
}

TEST(PlatformThreads, LowerPriorityIsReadBackAndClampedAtTheLowest)
{
    TempFolder folder;
    PosixPlatformSystem platform(folder.Path().string());
    // Nice values are per thread on Linux: a helper thread keeps the change from the test process.
    std::thread([&platform] {
        int32_t before = platform.GetPriority();
        if (before >= 19)
            return;
        EXPECT_NE(platform.SetPriority(before + 1), 0);
        EXPECT_EQ(platform.GetPriority(), before + 1);
        // Past the lowest priority the kernel stores the lowest.
        EXPECT_NE(platform.SetPriority(50), 0);
        EXPECT_EQ(platform.GetPriority(), 19);
    }).join();
}

TEST(PlatformLock, OwnerReentersWhileAnotherThreadWaits)
{
    TempFolder folder;
    PosixPlatformSystem platform(folder.Path().string());
    std::unique_ptr<CriticalSection> section(platform.CreateCriticalSection());
    section->Enter();
    section->Enter();

    std::promise<void> waiting;
    std::atomic<bool> acquired{false};
    std::thread other([&] {
        waiting.set_value();
        section->Enter();
        acquired = true;
        section->Leave();
    });
    waiting.get_future().wait();
    section->Leave();
    EXPECT_FALSE(acquired.load()) << "one Leave of two must keep the lock held";
    section->Leave();
    other.join();
    EXPECT_TRUE(acquired.load());
}

TEST(PlatformQuit, PumpReportsQuitRequestsFromCodeAndSignals)
{
    TempFolder folder;
    {
        PosixPlatformSystem platform(folder.Path().string());
        EXPECT_TRUE(platform.PumpMessages());
        platform.OnQuit();
        EXPECT_FALSE(platform.PumpMessages());
        EXPECT_FALSE(platform.PumpMessages());
        EXPECT_EQ(platform.GetQuitReason(), "quit requested");
    }
    {
        // A new platform starts with no request and no reason left from the last.
        PosixPlatformSystem platform(folder.Path().string());
        int pumps = 0;
        platform.SetMessagePump([&pumps] { return ++pumps < 2; });
        EXPECT_TRUE(platform.PumpMessages());
        EXPECT_FALSE(platform.PumpMessages());
        EXPECT_EQ(platform.GetQuitReason(), "window closed");
        // Closed stays closed, as a signal's request does.
        platform.SetMessagePump({});
        EXPECT_FALSE(platform.PumpMessages());
    }
    for (int signalNumber : {SIGTERM, SIGINT}) {
        PosixPlatformSystem platform(folder.Path().string());
        EXPECT_TRUE(platform.PumpMessages());
        ASSERT_TRUE(PosixPlatformSystem::InstallQuitSignalHandlers());
        raise(signalNumber);
        EXPECT_FALSE(platform.PumpMessages());
        EXPECT_EQ(platform.GetQuitReason(), signalNumber == SIGTERM ? "SIGTERM" : "SIGINT");
        // The handler stays: a second signal must not end the shut-down half way.
        struct sigaction current {};
        sigaction(signalNumber, nullptr, &current);
        EXPECT_NE(current.sa_handler, SIG_DFL);
    }
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
}

namespace {

std::atomic<int64_t> gPlatformTestSignalMs{0};

int64_t PlatformTestSignalClock()
{
    return gPlatformTestSignalMs.load();
}

void PlatformTestHastyExit()
{
    const char mark[] = "hasty exit hook ran\n";
    [[maybe_unused]] ssize_t written = write(STDERR_FILENO, mark, sizeof mark - 1);
}

} // namespace

TEST(PlatformQuitSignalsDeathTest, FurtherSigtermsAreIgnoredOnceAQuitIsUnderWay)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFolder folder;
    // In a child of its own: were a signal to end the process, the test runner would survive it.
    EXPECT_EXIT(
        {
            PosixPlatformSystem platform(folder.Path().string());
            PosixPlatformSystem::InstallQuitSignalHandlers();
            PosixPlatformSystem::SetHastyExitHook(PlatformTestHastyExit);
            for (int sent = 0; sent < 3; ++sent)
                raise(SIGTERM);
            // A SIGINT after the SIGTERM asks for nothing more: the reason stays the first's.
            raise(SIGINT);
            bool asked = !platform.PumpMessages() && platform.GetQuitReason() == "SIGTERM";
            _exit(asked ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "^$");
}

TEST(PlatformQuitSignalsDeathTest, ASecondSigintMoreThanASecondAfterTheFirstEndsTheProgramInHaste)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFolder folder;
    EXPECT_EXIT(
        {
            PosixPlatformSystem platform(folder.Path().string());
            PosixPlatformSystem::InstallQuitSignalHandlers(PlatformTestSignalClock);
            PosixPlatformSystem::SetHastyExitHook(PlatformTestHastyExit);
            gPlatformTestSignalMs = 50000;
            raise(SIGINT);
            // Within the second, and exactly at its end: the quit under way goes on.
            gPlatformTestSignalMs = 50400;
            raise(SIGINT);
            gPlatformTestSignalMs = 51000;
            raise(SIGINT);
            raise(SIGTERM);
            if (platform.PumpMessages() || platform.GetQuitReason() != "SIGINT")
                _exit(3);
            gPlatformTestSignalMs = 51001;
            raise(SIGINT);
            _exit(4);
        },
        ::testing::ExitedWithCode(130), "^hasty exit hook ran\n$");
}

TEST(PlatformCriticalErrorDeathTest, TheLogIsOnDiskWhenTheProcessEnds)
{
    // A forked child, which writes into this test's own folder.
    GTEST_FLAG_SET(death_test_style, "fast");
    TempFolder folder;
    std::string logPath = (folder.Path() / "log.txt").string();
    EXPECT_EXIT(
        {
            PosixPlatformSystem platform(folder.Path().string());
            auto* debug = new DebugSystem();
            gDebugSystem = debug;
            if (!debug->OpenLogFile(logPath))
                _exit(3);
            // Buffered: only the critical error's own flush puts the line on disk.
            debug->SetLogFileMode(1);
            platform.CriticalError("Invalid Adventure!\n");
        },
        testing::ExitedWithCode(1), "^Critical Error: Invalid Adventure!\n$");
    EXPECT_EQ(folder.Read("log.txt"), "^c001Critical Error: Invalid Adventure!\n");
}

TEST(PlatformCriticalErrorDeathTest, ExitsWithCodeOneAndTellsStandardError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFolder folder;
    PosixPlatformSystem platform(folder.Path().string());
    EXPECT_EXIT(platform.CriticalError("No display"), testing::ExitedWithCode(1), "^Critical Error: No display\n$");
    // The hook puts the desktop back after the log is on disk and before the exit.
    EXPECT_EXIT(
        {
            PosixPlatformSystem::SetHastyExitHook(PlatformTestHastyExit);
            platform.CriticalError("No display");
        },
        testing::ExitedWithCode(1), "^Critical Error: No display\nhasty exit hook ran\n$");
}

TEST(PlatformClipboard, GetAppendsPlainTextOnly)
{
    TempFolder folder;
    PosixPlatformSystem platform(folder.Path().string());
    OffscreenClipboard video;
    if (!video.started)
        GTEST_SKIP() << "no clipboard here: " << SDL_GetError();
    SDL_SetClipboardText("");
    std::string text = "kept";
    EXPECT_TRUE(platform.ClipboardGet(text));
    EXPECT_EQ(text, "kept");

    EXPECT_TRUE(platform.ClipboardPut("Sheet", false));
    EXPECT_TRUE(platform.ClipboardGet(text));
    EXPECT_EQ(text, "keptSheet");

    // SDL has no HTML form: the page goes as its source text, which reads back as it was put.
    EXPECT_TRUE(platform.ClipboardPut("<b>Sheet</b>", true));
    text = "kept";
    EXPECT_TRUE(platform.ClipboardGet(text));
    EXPECT_EQ(text, "kept<b>Sheet</b>");
}

// Without SDL's video part there is no clipboard: nothing is put, nothing read, and both say so.
TEST(PlatformClipboard, WithoutTheVideoPartThereIsNoClipboard)
{
    TempFolder folder;
    PosixPlatformSystem platform(folder.Path().string());
    ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "another test left SDL's video part running";
    EXPECT_FALSE(platform.ClipboardPut("Sheet", false));
    std::string text = "kept";
    EXPECT_FALSE(platform.ClipboardGet(text));
    EXPECT_EQ(text, "kept");
}
