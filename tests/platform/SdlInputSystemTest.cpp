// SdlInputSystemTest -- SDL events pushed through the window's pump under the offscreen driver: buffered keys read by the frame, focus changes, overflow, mouse buttons and the wheel.
#include "platform/SdlInputSystem.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/SystemInfo.h"
#include "core/system/TimerSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "platform/SdlGraphicsSystem.h"
#include "support/LogLines.h"
#include "support/TempFolder.h"

#include <SDL.h>

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class SdlInputClock : public TimerSystem {
public:
    uint32_t GetTime() override { return now; }
    uint32_t now = 0;
};

class SdlInputInfo : public SystemInfo {
public:
    void LogSystemInfo() override {}
};

class SdlInputWorld : public ::testing::Test {
protected:
    SdlInputWorld() : platform((folder.Path() / "User").string())
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        debug.SetMaxConsoleLines(1 << 12);
        gDebugSystem = &debug;
        gPlatformSystem = &platform;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gSystemInfo = &info;
        gTimerSystem = &clock;
        commands.RegisterCommands();
        vars.RegisterCommands();
        for (const char* name : {"keyPress", "buttonPress", "mouseScrollUp", "mouseScrollDown"})
            RecordLines(name);
        display = std::make_unique<SdlGraphicsSystem>();
        display->RegisterDisplayVars();
        vars.SetStringByName("r_width", "640");
        vars.SetStringByName("r_height", "480");
        display->ChooseStartMode();
        display->SetupDisplay();
        gGraphicsSystem = display.get();
        input.RegisterCommands();
        gInputSystem = &input;
        display->SetInputListener(&input);
        // What SDL itself sent at the window's opening is taken in before the system starts.
        display->PumpEvents();
        clock.UpdateClock();
        EXPECT_TRUE(input.Init());
        input.OnStarted();
        Frame();
    }
    ~SdlInputWorld() override
    {
        display->SetInputListener(nullptr);
        gInputSystem = nullptr;
        display.reset();
        gGraphicsSystem = nullptr;
        gTimerSystem = nullptr;
        gSystemInfo = nullptr;
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
    }

    void RecordLines(const char* name)
    {
        commands.RegisterCommand(
            name,
            [this, name](const std::vector<std::string>& args) {
                std::string line = name;
                for (const std::string& arg : args)
                    line += " " + arg;
                lines.push_back(line);
            },
            "", "", "", kCommandNoArgumentCheck);
    }

    // The platform's pump, then the client's input step, 10 ms later than the last frame.
    Lines Frame()
    {
        display->PumpEvents();
        clock.now += 10;
        clock.UpdateClock();
        input.Update();
        Lines taken;
        taken.swap(lines);
        return taken;
    }

    static void PushKey(SDL_Scancode scancode, bool down, bool repeat = false)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat ? 1 : 0;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    static void PushWindowEvent(uint8_t kind)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = kind;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    static void PushButton(uint8_t button, bool down, int32_t x, int32_t y)
    {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.button = button;
        event.button.x = x;
        event.button.y = y;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    static void PushMotion(int32_t x, int32_t y)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = x;
        event.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    static void PushWheel(int32_t x, int32_t y, bool flipped = false)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.x = x;
        event.wheel.y = y;
        event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    TempFolder folder;
    DebugSystem debug;
    PosixPlatformSystem platform;
    CommandSystem commands;
    UserVarSystem vars;
    SdlInputInfo info;
    SdlInputClock clock;
    std::unique_ptr<SdlGraphicsSystem> display;
    SdlInputSystem input;
    Lines lines;
};

TEST_F(SdlInputWorld, KeysWaitForTheFramesReadAndComeInArrivalOrder)
{
    PushKey(SDL_SCANCODE_GRAVE, true);
    PushKey(SDL_SCANCODE_A, true);
    PushKey(SDL_SCANCODE_GRAVE, false);
    display->PumpEvents();
    EXPECT_TRUE(lines.empty()) << "the pump only buffers keys";
    EXPECT_EQ(Frame(), (Lines{"keyPress 41 1 0", "keyPress 30 1 0", "keyPress 41 0 0"}));
    EXPECT_TRUE(input.IsKeyDown(30));
    EXPECT_FALSE(input.IsKeyDown(41));
    EXPECT_TRUE(input.WasKeyPressed(41));
    // The desktop's own repeats and keys the game has no code for are not passed on.
    PushKey(SDL_SCANCODE_A, true, true);
    PushKey(SDL_SCANCODE_F24, true);
    PushKey(SDL_SCANCODE_KP_ENTER, true);
    EXPECT_EQ(Frame(), Lines{"keyPress 156 1 0"});
}

TEST_F(SdlInputWorld, AKeyHeldAcrossAFocusChangeMakesNoNewPressButItsReleaseCounts)
{
    PushKey(SDL_SCANCODE_A, true);
    EXPECT_EQ(Frame(), Lines{"keyPress 30 1 0"});
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushKey(SDL_SCANCODE_B, true);
    EXPECT_TRUE(Frame().empty());
    EXPECT_FALSE(input.IsKeyboardAcquired());
    EXPECT_EQ(input.GetRepeatKey(), -1);
    PushKey(SDL_SCANCODE_B, true);
    EXPECT_TRUE(Frame().empty());
    // Back in front, the desktop reports the key still held: no press for it.
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushKey(SDL_SCANCODE_A, true);
    EXPECT_TRUE(Frame().empty());
    EXPECT_TRUE(input.IsKeyboardAcquired());
    EXPECT_FALSE(input.IsKeyDown(30));
    PushKey(SDL_SCANCODE_A, true);
    EXPECT_TRUE(Frame().empty());
    PushKey(SDL_SCANCODE_A, false);
    EXPECT_EQ(Frame(), Lines{"keyPress 30 0 0"});
    PushKey(SDL_SCANCODE_A, true);
    EXPECT_EQ(Frame(), Lines{"keyPress 30 1 0"});
}

TEST_F(SdlInputWorld, AFocusRoundTripWithinOneFrameAlsoDropsTheHeldKeysPress)
{
    PushKey(SDL_SCANCODE_S, true);
    EXPECT_EQ(Frame(), Lines{"keyPress 31 1 0"});
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushKey(SDL_SCANCODE_S, true);
    EXPECT_TRUE(Frame().empty());
    PushKey(SDL_SCANCODE_S, true);
    EXPECT_TRUE(Frame().empty());
    PushKey(SDL_SCANCODE_S, false);
    EXPECT_EQ(Frame(), Lines{"keyPress 31 0 0"});
}

TEST_F(SdlInputWorld, MoreThanAHundredKeysInAFrameKeepTheFirstHundredAndSaySo)
{
    debug.SetDeveloper(true);
    for (int i = 0; i < 105; ++i)
        PushKey(i % 2 == 0 ? SDL_SCANCODE_D : SDL_SCANCODE_F, true);
    Lines read = Frame();
    ASSERT_EQ(read.size(), 100u);
    EXPECT_EQ(read.front(), "keyPress 32 1 0");
    EXPECT_EQ(read.back(), "keyPress 33 1 0");
    EXPECT_EQ(CountLinesHolding(debug, "Keyboard buffer overflowed"), 1);
    PushKey(SDL_SCANCODE_D, false);
    EXPECT_EQ(Frame(), Lines{"keyPress 32 0 0"});
    EXPECT_EQ(CountLinesHolding(debug, "Keyboard buffer overflowed"), 1);
}

TEST_F(SdlInputWorld, KeyDebuggingLogsTheRawCodeOfEachPress)
{
    debug.SetDeveloper(true);
    vars.SetStringByName("i_debug", "1");
    PushKey(SDL_SCANCODE_Q, true);
    PushKey(SDL_SCANCODE_Q, false);
    Frame();
    EXPECT_EQ(CountLinesHolding(debug, "Keypress code - 16"), 1);
}

TEST_F(SdlInputWorld, ButtonsAreNumberedLeftRightMiddleAndExtrasAtTheMappedCursor)
{
    PushMotion(100, 50);
    Frame();
    PushButton(SDL_BUTTON_RIGHT, true, 100, 50);
    PushButton(SDL_BUTTON_X2, true, 100, 50);
    PushButton(SDL_BUTTON_X1, true, 100, 50);
    PushButton(SDL_BUTTON_X2, false, 100, 50);
    PushButton(7, true, 100, 50);
    PushButton(SDL_BUTTON_MIDDLE, true, 100, 50);
    PushButton(SDL_BUTTON_LEFT, true, 100, 50);
    EXPECT_EQ(Frame(), (Lines{"buttonPress 1 1 100 50", "buttonPress 4 1 100 50", "buttonPress 3 1 100 50",
                              "buttonPress 4 0 100 50", "buttonPress 2 1 100 50", "buttonPress 0 1 100 50"}));
    EXPECT_TRUE(input.IsMouseDown(3));
    EXPECT_FALSE(input.IsMouseDown(4));
    // The window grown to twice the size halves the units a pixel is worth.
    display->OnViewResized(1280, 960);
    PushMotion(-20, 1000);
    Frame();
    EXPECT_EQ(input.GetCursorX(), 0);
    EXPECT_EQ(input.GetCursorY(), 479);
    PushMotion(201, 101);
    PushButton(SDL_BUTTON_LEFT, false, 201, 101);
    EXPECT_EQ(Frame(), Lines{"buttonPress 0 0 101 51"}) << "a click carries its own place, mapped";
    EXPECT_EQ(input.GetCursorX(), 101);
    EXPECT_EQ(input.GetCursorY(), 51);
    // Focus back: every held button is forgotten, so the next click is a press again.
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushButton(SDL_BUTTON_RIGHT, true, 0, 0);
    EXPECT_EQ(Frame(), Lines{"buttonPress 1 1 0 0"});
}

// A frame that stalls (a loaded machine, the renderer's first frames) takes in every move and
// click made meanwhile at once: each click still acts where the pointer was when it was made.
TEST_F(SdlInputWorld, MovesAndClicksOfOneStalledFrameClickWhereEachWasMade)
{
    PushMotion(320, 240);
    Frame();
    PushMotion(320, 196);
    PushButton(SDL_BUTTON_LEFT, true, 320, 196);
    PushButton(SDL_BUTTON_LEFT, false, 320, 196);
    PushMotion(330, 133);
    PushButton(SDL_BUTTON_LEFT, true, 330, 133);
    PushButton(SDL_BUTTON_LEFT, false, 330, 133);
    EXPECT_EQ(Frame(), (Lines{"buttonPress 0 1 320 196", "buttonPress 0 0 320 196", "buttonPress 0 1 330 133",
                              "buttonPress 0 0 330 133"}));
    EXPECT_EQ(input.GetCursorX(), 330);
    EXPECT_EQ(input.GetCursorY(), 133);
}

// The window's focus is noticed a frame or more after the start (the desktop tells it late);
// the keyboard was taken with the window in front, so no key around that notice is lost.
TEST_F(SdlInputWorld, TheFocusNoticedAfterTheStartLosesNoKey)
{
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushKey(SDL_SCANCODE_N, true);
    EXPECT_EQ(Frame(), Lines{"keyPress 49 1 0"});
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Frame();
    PushKey(SDL_SCANCODE_F12, true);
    EXPECT_EQ(Frame(), Lines{"keyPress 88 1 0"});
    EXPECT_TRUE(input.IsKeyDown(88));
}

TEST_F(SdlInputWorld, TheWheelScrollsByItsForwardTurnOnly)
{
    PushWheel(0, 1);
    PushWheel(0, -2);
    PushWheel(3, 0);
    PushWheel(0, 1, true);
    EXPECT_EQ(Frame(), (Lines{"mouseScrollUp", "mouseScrollDown", "mouseScrollDown"}));
}

TEST_F(SdlInputWorld, AfterShutdownNoKeyIsTakenAndARestartOpensTheKeyboardAgain)
{
    input.Shutdown();
    PushKey(SDL_SCANCODE_W, true);
    EXPECT_TRUE(Frame().empty());
    input.Restart();
    EXPECT_TRUE(input.IsKeyboardAcquired());
    // The first read after it still takes no press of a key held across it.
    PushKey(SDL_SCANCODE_W, true);
    EXPECT_TRUE(Frame().empty());
    PushKey(SDL_SCANCODE_W, false);
    PushKey(SDL_SCANCODE_W, true);
    EXPECT_EQ(Frame(), (Lines{"keyPress 17 0 0", "keyPress 17 1 0"}));
}

TEST_F(SdlInputWorld, AltEnterRestartsTheInputWithTheDisplay)
{
    // The renderer's toggle, as far as the display goes: the display restarted.
    display->SetToggleFullScreenHook([this] { display->RestartDisplay(); });
    PushKey(SDL_SCANCODE_A, true);
    PushButton(SDL_BUTTON_LEFT, true, 0, 0);
    EXPECT_EQ(Frame(), (Lines{"buttonPress 0 1 0 0", "keyPress 30 1 0"}));
    SDL_Event altEnter{};
    altEnter.type = SDL_KEYDOWN;
    altEnter.key.state = SDL_PRESSED;
    altEnter.key.keysym.scancode = SDL_SCANCODE_RETURN;
    altEnter.key.keysym.sym = SDLK_RETURN;
    altEnter.key.keysym.mod = KMOD_LALT;
    ASSERT_EQ(SDL_PushEvent(&altEnter), 1);
    PushKey(SDL_SCANCODE_A, true);
    EXPECT_TRUE(Frame().empty());
    EXPECT_FALSE(input.IsKeyDown(30));
    EXPECT_EQ(CountLinesHolding(debug, "Input initialized"), 2);
    PushKey(SDL_SCANCODE_A, false);
    EXPECT_EQ(Frame(), Lines{"keyPress 30 0 0"});
    // The left button held across it is forgotten: its release says nothing, another click
    // presses only its own button.
    PushButton(SDL_BUTTON_LEFT, false, 0, 0);
    PushButton(SDL_BUTTON_RIGHT, true, 0, 0);
    EXPECT_EQ(Frame(), Lines{"buttonPress 1 1 0 0"});
}

} // namespace
