// EndToEndTest -- the real executable on a copy of the shipped game folder, stopped by two SIGTERMs; with "developer 1" its start-up report.
#include "support/TempFolder.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Starts the program with the folder as its working folder and its console output discarded,
// its window on Mesa's software renderer without a display. With no sound card, sound plays on
// OpenAL Soft's null device unless the test names other drivers.
// Its standard error goes to errors when named.
pid_t StartGame(const std::filesystem::path& folder, const char* soundDrivers = "null",
                const std::filesystem::path& errors = {}, const char* videoDriver = "offscreen")
{
    pid_t child = fork();
    if (child == 0) {
        int quiet = open("/dev/null", O_WRONLY);
        if (quiet < 0 || dup2(quiet, STDOUT_FILENO) < 0 || chdir(folder.c_str()) != 0 ||
            setenv("SDL_VIDEODRIVER", videoDriver, 1) != 0)
            _exit(126);
        int errorFile = errors.empty() ? -1 : open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (!errors.empty() && (errorFile < 0 || dup2(errorFile, STDERR_FILENO) < 0))
            _exit(126);
        setenv("ALSOFT_DRIVERS", soundDrivers, 1);
        execl(EMBERLODE_EXECUTABLE, EMBERLODE_EXECUTABLE, static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

// Stops the program as the timeout tool and a service manager in a hurry do: two SIGTERMs in a row.
void SendTwoSigterms(pid_t child)
{
    kill(child, SIGTERM);
    kill(child, SIGTERM);
}

// Polls the log until it holds the text, for up to a minute (a start-up beside a full build can
// take twenty seconds); false when the program ended or the time ran out.
bool WaitForLogLine(const TempFolder& folder, pid_t child, const std::string& text)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        if (folder.Read("User/log.txt").find(text) != std::string::npos)
            return true;
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Copies the staged game folder to a folder of the test's own, without a user folder.
void CopyEndToEndGame(const TempFolder& folder)
{
    const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
    ASSERT_NE(gameDir, nullptr);
    std::filesystem::copy(gameDir, folder.Path(), std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(folder.Path() / "User");
}

// Waits up to a minute for the process to end; one that runs on is killed, and the answer is false.
bool WaitForEndToEndExit(pid_t child, int& status)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(child, &status, WNOHANG) == child)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return false;
}

} // namespace

TEST(EndToEnd, ShippedGameStartsAndShutsDownCleanlyOnSigterm)
{
    const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
    ASSERT_NE(gameDir, nullptr);
    TempFolder folder;
    std::filesystem::copy(gameDir, folder.Path(), std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(folder.Path() / "User");
    ASSERT_TRUE(std::filesystem::is_regular_file(folder.Path() / "assets001.zip")) << "the build writes game/assets001.zip";

    pid_t child = StartGame(folder.Path());
    ASSERT_GT(child, 0);
    bool started = WaitForLogLine(folder, child, "Debug system started\n");
    SendTwoSigterms(child);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(started) << folder.Read("User/log.txt");

    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string log = folder.Read("User/log.txt");
    // The version first; without "developer 1" the log still says what was read from then on.
    EXPECT_EQ(log.rfind("Emberlode 0.1 (development)\nMounted Assets, User and 1 archive: assets001.zip\n", 0), 0u)
        << log;
    size_t texts = log.find("\nLanguage loaded: ");
    ASSERT_NE(texts, std::string::npos) << log;
    int textCount = 0;
    ASSERT_EQ(sscanf(log.c_str() + texts, "\nLanguage loaded: %d texts", &textCount), 1) << log;
    EXPECT_GT(textCount, 0);
    size_t database = log.find("\nDatabase loaded: ");
    ASSERT_NE(database, std::string::npos) << log;
    int entries = 0;
    int files = 0;
    ASSERT_EQ(sscanf(log.c_str() + database, "\nDatabase loaded: %d entries from %d files", &entries, &files), 2)
        << log;
    EXPECT_GT(entries, 0);
    EXPECT_GT(files, 0);
    size_t begun = log.find("Debug system started\n");
    size_t statistics = log.find("File system: ");
    EXPECT_LT(texts, database);
    EXPECT_LT(begun, statistics) << log;
    // One line sums what the start-up loaded and checked; every kind is shipped.
    size_t loaded = log.find("\nLoaded and checked ");
    ASSERT_NE(loaded, std::string::npos) << log;
    EXPECT_LT(database, loaded);
    EXPECT_LT(loaded, begun);
    int counts[5] = {};
    ASSERT_EQ(sscanf(log.c_str() + loaded, "\nLoaded and checked %d textures, %d shaders, %d fonts, %d models and %d effects",
                     &counts[0], &counts[1], &counts[2], &counts[3], &counts[4]),
              5)
        << log;
    for (int count : counts)
        EXPECT_GT(count, 0) << log;
    // When and why the shut-down began, before its statistics.
    size_t stopping = log.find("\nShutting down at ");
    ASSERT_NE(stopping, std::string::npos) << log;
    EXPECT_LT(begun, stopping);
    EXPECT_LT(stopping, statistics);
    int date[6] = {};
    unsigned seconds = 0;
    unsigned milliseconds = 0;
    char reason[16] = {};
    ASSERT_EQ(sscanf(log.c_str() + stopping, "\nShutting down at %d-%d-%d %d:%d:%d, %u.%u s after the start: %15s", &date[0],
                     &date[1], &date[2], &date[3], &date[4], &date[5], &seconds, &milliseconds, reason),
              9)
        << log;
    EXPECT_STREQ(reason, "SIGTERM");
    // The second signal changed nothing: the settings were saved and the game folder is free
    // again for the next run.
    std::string settings = folder.Read("User/user.cfg");
    EXPECT_NE(settings.find("loc_language "), std::string::npos) << settings;
    EXPECT_NE(settings.find("\nVirtualKey VirtualToggleConsole "), std::string::npos) << settings;
    EXPECT_EQ(folder.Read("User/instance.lock"), "");
    for (const char* line : {"Memory statistics:\n", "Debug: ", " user vars\n", "Profiler: "})
        EXPECT_NE(log.find(line, statistics), std::string::npos) << line << "\n" << log;
    // The window's OpenGL context came up before the start-up ended, and frames were drawn.
    size_t display = log.find("\nOpenGL: ");
    EXPECT_LT(display, begun) << log;
    size_t closed = log.find("\nDisplay closed after ");
    ASSERT_NE(closed, std::string::npos) << log;
    long long frames = 0;
    ASSERT_EQ(sscanf(log.c_str() + closed, "\nDisplay closed after %lld frames", &frames), 1) << log;
    EXPECT_GE(frames, 1);
    // Nothing in the shipped content is a warning or an error.
    EXPECT_EQ(log.find("^c005"), std::string::npos) << log;
    EXPECT_EQ(log.find("^c001"), std::string::npos) << log;
}

TEST(EndToEnd, DeveloperStartSaysNetworkingAndReportsTheMachine)
{
    const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
    ASSERT_NE(gameDir, nullptr);
    TempFolder folder;
    std::filesystem::copy(gameDir, folder.Path(), std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(folder.Path() / "User");
    folder.Write("User/user.cfg", "developer 1\n");

    pid_t child = StartGame(folder.Path());
    ASSERT_GT(child, 0);
    bool started = WaitForLogLine(folder, child, "Debug system started\n");
    SendTwoSigterms(child);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(started) << folder.Read("User/log.txt");

    std::string log = folder.Read("User/log.txt");
    // Said once, while the commands register: before the language is read.
    size_t previous = log.find("\nInitializing networking\n");
    ASSERT_NE(previous, std::string::npos) << log;
    EXPECT_LT(previous, log.find("\nLanguage loaded: "));
    EXPECT_EQ(log.find("Initializing networking", previous + 2), std::string::npos);
    for (const char* line : {"\nOS: ", "\nCPU Type: ", "\nCPU Name: ", "\nCPU Features: ", "\nSound card: ",
                             "\nRAM: ", "\nDebug system started\n"}) {
        size_t at = log.find(line, previous + 1);
        ASSERT_NE(at, std::string::npos) << line << "\n" << log;
        previous = at;
    }
    int megabytes = 0;
    ASSERT_EQ(sscanf(log.c_str() + log.find("\nRAM: "), "\nRAM: %d MByte!\n", &megabytes), 1) << log;
    EXPECT_GT(megabytes, 0);
}

TEST(EndToEnd, WithNoSoundDeviceToOpenTheStartUpEndsWithTheSoundMessage)
{
    const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
    ASSERT_NE(gameDir, nullptr);
    TempFolder folder;
    std::filesystem::copy(gameDir, folder.Path(), std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(folder.Path() / "User");

    // A driver list that names no OpenAL Soft back end: no device opens.
    pid_t child = StartGame(folder.Path(), "nosuchdriver");
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::string log = folder.Read("User/log.txt");
    EXPECT_NE(log.find("Failed to open sound device!\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Critical Error: Sound system failed to initialize!  See User/log.txt for more info.\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Debug system started"), std::string::npos) << log;
    // The window was up: the critical error let go of the game folder before the process ended.
    EXPECT_NE(log.find("\nOpenGL: "), std::string::npos) << log;
    EXPECT_EQ(folder.Read("User/instance.lock"), "");
}

TEST(EndToEnd, AVideoDriverThatCannotStartEndsTheStartUpWithSdlsReason)
{
    TempFolder folder;
    ASSERT_NO_FATAL_FAILURE(CopyEndToEndGame(folder));
    TempFolder errors;
    pid_t child = StartGame(folder.Path(), "null", errors.Path() / "stderr.txt", "nosuchvideodriver");
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_TRUE(WaitForEndToEndExit(child, status));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    // The step that failed, then what SDL said of it, which names the driver.
    std::string message = errors.Read("stderr.txt");
    size_t fatal = message.find("Critical Error: RegisterClass failed: ");
    ASSERT_NE(fatal, std::string::npos) << message;
    EXPECT_NE(message.find("nosuchvideodriver", fatal), std::string::npos) << message;
    std::string log = folder.Read("User/log.txt");
    EXPECT_NE(log.find("Critical Error: RegisterClass failed: "), std::string::npos) << log;
    EXPECT_EQ(folder.Read("User/instance.lock"), "");
}

TEST(EndToEnd, ASecondCopyOnTheSameGameFolderRefusesAndLeavesTheFirstAlone)
{
    TempFolder folder;
    ASSERT_NO_FATAL_FAILURE(CopyEndToEndGame(folder));
    pid_t first = StartGame(folder.Path());
    ASSERT_GT(first, 0);
    bool started = WaitForLogLine(folder, first, "Debug system started\n");

    TempFolder errors;
    pid_t second = StartGame(folder.Path(), "null", errors.Path() / "stderr.txt");
    int secondStatus = 0;
    bool secondEnded = second > 0 && WaitForEndToEndExit(second, secondStatus);
    std::string logWhileBoth = folder.Read("User/log.txt");
    SendTwoSigterms(first);
    int firstStatus = 0;
    ASSERT_EQ(waitpid(first, &firstStatus, 0), first);
    ASSERT_TRUE(started) << folder.Read("User/log.txt");
    ASSERT_TRUE(secondEnded) << "the second copy ran on";

    ASSERT_TRUE(WIFEXITED(secondStatus));
    EXPECT_EQ(WEXITSTATUS(secondStatus), 1);
    std::string message = errors.Read("stderr.txt");
    std::string expected = "Emberlode is already running on this game folder (process " + std::to_string(first) +
                           " holds " + (folder.Path() / "User/instance.lock").string() +
                           "): quit it before starting another copy.\n";
    EXPECT_EQ(message, expected);
    // The first copy's log was neither started over nor written to by the second.
    EXPECT_EQ(logWhileBoth.rfind("Emberlode 0.1 (development)\n", 0), 0u) << logWhileBoth;
    EXPECT_EQ(logWhileBoth.find("Emberlode 0.1", 1), std::string::npos) << logWhileBoth;
    EXPECT_NE(logWhileBoth.find("Debug system started\n"), std::string::npos) << logWhileBoth;
    ASSERT_TRUE(WIFEXITED(firstStatus));
    EXPECT_EQ(WEXITSTATUS(firstStatus), 0);
}

TEST(EndToEnd, TheLockOfARunThatEndedWithoutLettingGoIsTakenOver)
{
    TempFolder folder;
    ASSERT_NO_FATAL_FAILURE(CopyEndToEndGame(folder));
    // What a run killed outright leaves: its process id, no lock.
    folder.Write("User/instance.lock", "4194304\n");

    pid_t child = StartGame(folder.Path());
    ASSERT_GT(child, 0);
    bool started = WaitForLogLine(folder, child, "Debug system started\n");
    std::string lockWhileRunning = folder.Read("User/instance.lock");
    SendTwoSigterms(child);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(started) << folder.Read("User/log.txt");

    EXPECT_EQ(lockWhileRunning, std::to_string(child) + "\n");
    std::string log = folder.Read("User/log.txt");
    EXPECT_NE(log.find("Took over " + (folder.Path() / "User/instance.lock").string() +
                       " from process 4194304, which ended without letting go of it\n"),
              std::string::npos)
        << log;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
