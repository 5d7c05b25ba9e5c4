// OffscreenGame -- the shipped game started in an offscreen window on a test clock, with key taps and typed lines pushed through SDL.
#pragma once

#include "app/Application.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "core/system/GraphicsSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "platform/PosixTimerSystem.h"
#include "support/SwappableApplication.h"
#include "support/TempFolder.h"

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>

// The real platform and its window pump; sleeping moves the test's clock instead of the wall clock.
class OffscreenGamePlatform : public PosixPlatformSystem {
public:
    OffscreenGamePlatform(const std::string& userFolder, uint64_t& now) : PosixPlatformSystem(userFolder), now(now) {}
    [[noreturn]] void CriticalError(const std::string& message) override { throw std::runtime_error(message); }
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

class OffscreenGame : public ::testing::Test {
protected:
    static constexpr uint32_t kOffscreenGameSeed = 0x0ff5c4e3u;

    OffscreenGame()
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
            gPlatformSystem = new OffscreenGamePlatform(working + "/User", now);
        };
        app.GetSystem(SystemSlot::Timer).create = [this] {
            gTimerSystem = new PosixTimerSystem([this] { return now; });
        };
        // One seed for every run: the program seeds from the wall clock, and some seeds put a
        // wandering creature beside the player, between two screenshots that should match.
        app.GetSystem(SystemSlot::Random).create = [] { gRandomSystem = new RandomSystem(kOffscreenGameSeed); };
        app.GetSystem(SystemSlot::Debug).create = [create = app.GetSystem(SystemSlot::Debug).create] {
            create();
            gDebugSystem->SetEchoToStdout(false);
        };
        gApplication = &app;
    }
    ~OffscreenGame() override { app.ShutDown(); }

    // One frame a twentieth of a second of game time after the last.
    void Frame()
    {
        now += 50;
        app.RunFrame();
    }
    void Frames(int count)
    {
        for (int i = 0; i < count; ++i)
            Frame();
    }

    // A mouse motion, or a left button going down or up, at a point of the 640 x 480 screen
    // whatever the window's size.
    static void PushMouse(Uint32 type, int32_t uiX, int32_t uiY)
    {
        int32_t x = uiX * gGraphicsSystem->GetViewWidth() / 640;
        int32_t y = uiY * gGraphicsSystem->GetViewHeight() / 480;
        SDL_Event event{};
        event.type = type;
        if (type == SDL_MOUSEMOTION) {
            event.motion.x = x;
            event.motion.y = y;
        } else {
            event.button.button = SDL_BUTTON_LEFT;
            event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            event.button.x = x;
            event.button.y = y;
        }
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    // One tap of each key: down and up, a frame each, as a typist's keys arrive.
    void Tap(SDL_Scancode scancode)
    {
        Push(scancode, true);
        app.RunFrame();
        Push(scancode, false);
        app.RunFrame();
    }

    // Keys typed into the focused field, shift held for capitals and the underscore.
    void TypeKeys(const std::string& text)
    {
        for (char c : text) {
            bool upper = (c >= 'A' && c <= 'Z') || c == '_';
            if (upper)
                Push(SDL_SCANCODE_LSHIFT, true);
            Tap(ScancodeOf(c));
            if (upper)
                Push(SDL_SCANCODE_LSHIFT, false);
        }
    }

    // A console line: its keys, then the Enter that ends it.
    void TypeLine(const std::string& text)
    {
        TypeKeys(text);
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
        case '_': return SDL_SCANCODE_MINUS;
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
    SwappableApplication app;
    uint64_t now = 5000;
};
