// KeyboardEndToEndTest -- the shipped game in an offscreen window: key events pushed through SDL open the console with the console key, and a typed line runs.
#include "app/Application.h"
#include "core/Application.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "platform/PosixTimerSystem.h"
#include "support/TempFolder.h"

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <string>
#include <vector>

namespace {

// The real platform and its window pump; sleeping moves the test's clock instead of the wall clock.
class KeyboardPlatform : public PosixPlatformSystem {
public:
    KeyboardPlatform(const std::string& userFolder, uint64_t& now) : PosixPlatformSystem(userFolder), now(now)
    {
        SetCriticalErrorHandler([](const std::string& message) { throw std::runtime_error(message); });
    }
    void Sleep(uint32_t milliseconds) override
    {
        if (std::this_thread::get_id() != mainThread || milliseconds == 0) {
            PosixPlatformSystem::Sleep(milliseconds);
            return;
        }
        now += milliseconds + 1;
    }

    uint64_t& now;
    std::thread::id mainThread = std::this_thread::get_id();
};

class KeyboardGame : public ::testing::Test {
protected:
    KeyboardGame()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("ALSOFT_DRIVERS", "null", 1);
        const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
        if (gameDir)
            std::filesystem::copy(gameDir, folder.Path(), std::filesystem::copy_options::recursive);
        std::filesystem::remove_all(folder.Path() / "User");
        working = folder.Path().string();
        InstallSystems(app, working, DisplayChoice::kWindow);
        app.GetSystem(SystemSlot::Platform).create = [this] {
            gPlatformSystem = new KeyboardPlatform(working + "/User", now);
        };
        app.GetSystem(SystemSlot::Timer).create = [this] {
            gTimerSystem = new PosixTimerSystem([this] { return now; });
        };
        app.GetSystem(SystemSlot::Debug).create = [create = app.GetSystem(SystemSlot::Debug).create] {
            create();
            gDebugSystem->SetEchoToStdout(false);
        };
        gApplication = &app;
    }
    ~KeyboardGame() override { app.ShutDown(); }

    // One tap of each key: down and up, a frame each, as a typist's keys arrive.
    void Tap(SDL_Scancode scancode)
    {
        Push(scancode, true);
        app.RunFrame();
        Push(scancode, false);
        app.RunFrame();
    }

    void TypeLine(const std::string& text)
    {
        for (char c : text) {
            bool upper = c >= 'A' && c <= 'Z';
            if (upper)
                Push(SDL_SCANCODE_LSHIFT, true);
            Tap(ScancodeOf(c));
            if (upper)
                Push(SDL_SCANCODE_LSHIFT, false);
        }
        Tap(SDL_SCANCODE_RETURN);
    }

    static SDL_Scancode ScancodeOf(char c)
    {
        if (c >= 'a' && c <= 'z')
            return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (c - 'a'));
        if (c >= 'A' && c <= 'Z')
            return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (c - 'A'));
        if (c >= '1' && c <= '9')
            return static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (c - '1'));
        switch (c) {
        case '0': return SDL_SCANCODE_0;
        case ' ': return SDL_SCANCODE_SPACE;
        case '.': return SDL_SCANCODE_PERIOD;
        default: return SDL_SCANCODE_UNKNOWN;
        }
    }

    static void Push(SDL_Scancode scancode, bool down)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    TempFolder folder;
    std::string working;
    Application app;
    uint64_t now = 5000;
};

TEST_F(KeyboardGame, TheConsoleKeyOpensTheConsoleAndATypedLineRuns)
{
    if (!std::getenv("EMBERLODE_GAME_DIR"))
        GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
    ASSERT_TRUE(app.StartUp());
    ASSERT_NE(gInputSystem, nullptr);
    EXPECT_TRUE(gInputSystem->IsStarted());
    app.RunFrame();
    Console& console = gDebugSystem->GetConsole();
    ASSERT_FALSE(console.IsShown());

    Tap(SDL_SCANCODE_GRAVE);
    ASSERT_TRUE(console.IsShown());
    TypeLine("setUserVar zoom 1.2");
    EXPECT_EQ(gUserVarSystem->GetStringByName("zoom"), "1.2");
    EXPECT_EQ(console.GetHistory(), std::vector<std::string>{"setUserVar zoom 1.2"});

    // Closed again, the console key's binding opens it, and "quit" typed there ends the run.
    Tap(SDL_SCANCODE_GRAVE);
    EXPECT_FALSE(console.IsShown());
    Tap(SDL_SCANCODE_GRAVE);
    TypeLine("quit");
    EXPECT_FALSE(app.IsRunning());
    gDebugSystem->Flush();
    std::string log = folder.Read("User/log.txt");
    EXPECT_NE(log.find("Input initialized\n"), std::string::npos) << log;
    EXPECT_NE(log.find("]setUserVar zoom 1.2\n"), std::string::npos) << log;
}

} // namespace
