// SdlGraphicsSystemTest -- the SDL window under the offscreen driver: set-up from the vars, and the event pump's window events, Alt+Enter and input hand-over.
#include "platform/PosixPlatformSystem.h"
#include "platform/InputEventListener.h"
#include "platform/SdlGraphicsSystem.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/SystemInfo.h"
#include "support/TempFolder.h"

#include <SDL.h>

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

class SdlWindowInput : public InputEventListener {
public:
    void OnKey(int32_t scancode, int32_t, uint16_t, bool down, bool repeat) override
    {
        events.push_back("key " + std::to_string(scancode) + (down ? " down" : " up") + (repeat ? " repeat" : ""));
    }
    void OnText(const char* utf8) override { events.push_back(std::string("text ") + utf8); }
    void OnMouseMove(int32_t x, int32_t y) override
    {
        events.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    }
    void OnMouseButton(int32_t button, bool down, int32_t x, int32_t y) override
    {
        events.push_back("button " + std::to_string(button) + (down ? " down " : " up ") + std::to_string(x) + "," +
                         std::to_string(y));
    }
    void OnMouseWheel(int32_t delta) override { events.push_back("wheel " + std::to_string(delta)); }
    void ResetInput() override { events.push_back("reset"); }

    std::vector<std::string> events;
};

class SdlWindowSystemInfo : public SystemInfo {
public:
    void LogSystemInfo() override {}
};

class SdlWindowWorld : public ::testing::Test {
protected:
    SdlWindowWorld() : platform((folder.Path() / "User").string())
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        gDebugSystem = &debug;
        gPlatformSystem = &platform;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gSystemInfo = &info;
        commands.RegisterCommands();
        vars.RegisterCommands();
        display = std::make_unique<SdlGraphicsSystem>();
        display->RegisterDisplayVars();
        display->SetInputListener(&input);
    }
    ~SdlWindowWorld() override
    {
        display.reset();
        gSystemInfo = nullptr;
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
    }

    // Opens the window and takes in what SDL itself sent at its opening.
    void Open()
    {
        display->ChooseStartMode();
        display->SetupDisplay();
        display->PumpEvents();
        input.events.clear();
    }

    static void PushWindowEvent(uint8_t kind, int32_t data1 = 0, int32_t data2 = 0)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = kind;
        event.window.data1 = data1;
        event.window.data2 = data2;
        SDL_PushEvent(&event);
    }

    static void PushKey(SDL_Keycode key, SDL_Scancode scancode, uint16_t modifiers, bool down = true)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = key;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = modifiers;
        SDL_PushEvent(&event);
    }

    std::string Var(const char* name) { return vars.GetStringByName(name); }

    // What the renderer's toggle does to the display: "r_fullscreen" flipped, the display
    // restarted (the busy cursor, gamma and textures are the renderer's own, tested there).
    void ToggleAsTheRendererDoes()
    {
        display->SetToggleFullScreenHook([this] {
            ++toggles;
            vars.SetStringByName("r_fullscreen", Var("r_fullscreen") == "0" ? "1" : "0");
            display->RestartDisplay();
        });
    }
    int toggles = 0;

    TempFolder folder;
    DebugSystem debug;
    PosixPlatformSystem platform;
    CommandSystem commands;
    UserVarSystem vars;
    SdlWindowSystemInfo info;
    SdlWindowInput input;
    std::unique_ptr<SdlGraphicsSystem> display;
};

TEST_F(SdlWindowWorld, TheWindowOpensAtTheConfiguredSizeWithAContextAnyThreadCanTake)
{
    vars.SetStringByName("r_width", "320");
    vars.SetStringByName("r_height", "200");
    Open();
    ASSERT_TRUE(display->IsDisplayUp());
    EXPECT_FALSE(display->IsFullScreen());
    EXPECT_EQ(display->GetViewWidth(), 320);
    EXPECT_EQ(display->GetViewHeight(), 200);
    // Left released by the set-up, so the loader thread can take it as well as this one.
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_TRUE(display->MakeCurrent());
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_NE(display->GetProcAddress("glCompressedTexImage2DARB"), nullptr);
    EXPECT_TRUE(display->ReleaseContext());
    display->DestroyDisplay();
    EXPECT_FALSE(display->IsDisplayUp());
}

TEST_F(SdlWindowWorld, WindowEventsResizeTheViewSetTheFlagsAndCloseEndsThePump)
{
    Open();
    std::vector<std::pair<int32_t, int32_t>> views;
    display->SetViewResizedHook([&](int32_t width, int32_t height) { views.emplace_back(width, height); });
    PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 400);
    PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 0, 0);
    PushWindowEvent(SDL_WINDOWEVENT_MOVED, 30, -4);
    EXPECT_TRUE(display->PumpEvents());
    EXPECT_EQ(views, (std::vector<std::pair<int32_t, int32_t>>{{640, 400}}));
    EXPECT_EQ(display->GetViewWidth(), 640);
    EXPECT_EQ(display->GetWindowLeft(), 30);
    EXPECT_EQ(display->GetWindowTop(), -4);

    // The window's focus noticed after it opened: it had it all along, so nothing is reset.
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_TRUE(display->PumpEvents());
    EXPECT_TRUE(info.applicationActive);
    EXPECT_TRUE(input.events.empty());
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_TRUE(display->PumpEvents());
    EXPECT_FALSE(info.applicationActive);
    PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_TRUE(display->PumpEvents());
    EXPECT_TRUE(info.minimised);
    EXPECT_TRUE(input.events.empty());
    PushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_TRUE(display->PumpEvents());
    EXPECT_TRUE(info.applicationActive);
    EXPECT_FALSE(info.minimised);
    // One return, one reset: the focus that comes with the restore finds the window in front.
    EXPECT_EQ(input.events, std::vector<std::string>{"reset"});

    // A close request ends the pump after the events that came with it, and the platform's
    // pump turns it into the quit that stays seen.
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 100, 50);
    platform.SetMessagePump([this] { return display->PumpEvents(); });
    EXPECT_FALSE(platform.PumpMessages());
    EXPECT_EQ(display->GetViewWidth(), 100);
    EXPECT_FALSE(platform.PumpMessages());
    platform.SetMessagePump({});

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_FALSE(display->PumpEvents());
}

TEST_F(SdlWindowWorld, AltEnterTogglesFullScreenAndOtherInputGoesToTheListener)
{
    Open();
    // Without the renderer's toggle the key changes nothing and goes nowhere.
    PushKey(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
    EXPECT_TRUE(display->PumpEvents());
    EXPECT_EQ(Var("r_fullscreen"), "0");
    EXPECT_FALSE(display->IsFullScreen());
    EXPECT_TRUE(input.events.empty());
    ToggleAsTheRendererDoes();
    PushKey(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
    EXPECT_TRUE(display->PumpEvents());
    EXPECT_EQ(Var("r_fullscreen"), "1");
    EXPECT_TRUE(display->IsFullScreen());
    // The offscreen display lists no mode of 800 x 600: the desktop's was taken and written back.
    EXPECT_EQ(Var("r_width"), std::to_string(display->GetModeWidth()));
    EXPECT_NE(display->GetModeWidth(), 800);
    PushKey(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_RALT);
    EXPECT_TRUE(display->PumpEvents());
    EXPECT_EQ(Var("r_fullscreen"), "0");
    EXPECT_FALSE(display->IsFullScreen());
    EXPECT_TRUE(input.events.empty()) << "Alt+Enter is the window's own";
    EXPECT_EQ(toggles, 2);

    PushKey(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_NONE);
    PushKey(SDLK_a, SDL_SCANCODE_A, KMOD_NONE, false);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    SDL_strlcpy(text.text.text, "\xC3\xA9", sizeof text.text.text);
    SDL_PushEvent(&text);
    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_RIGHT;
    button.button.x = 12;
    button.button.y = 34;
    SDL_PushEvent(&button);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 2;
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    SDL_PushEvent(&wheel);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 5;
    motion.motion.y = 6;
    SDL_PushEvent(&motion);
    EXPECT_TRUE(display->PumpEvents());
    EXPECT_EQ(input.events, (std::vector<std::string>{"key 40 down", "key 4 up", "text \xC3\xA9", "button 3 down 12,34",
                                                      "wheel -2", "move 5,6"}));
}

// A display with no full-screen mode at all leaves Alt+Enter in a window: "r_fullscreen" says what
// the display gave, so the next Alt+Enter asks for full screen again rather than only turn it off.
TEST_F(SdlWindowWorld, ADisplayThatRefusesFullScreenLeavesTheSettingAtWhatItGave)
{
    class NoFullScreenDisplay : public SdlGraphicsSystem {
    public:
        int asked = 0;

    protected:
        bool TryDisplayMode(int32_t, int32_t, int32_t) override
        {
            ++asked;
            return false;
        }
    };
    auto* refusing = new NoFullScreenDisplay();
    display.reset(refusing);
    display->RegisterDisplayVars();
    display->SetInputListener(&input);
    Open();
    ToggleAsTheRendererDoes();
    for (int press = 1; press <= 2; ++press) {
        int asked = refusing->asked;
        PushKey(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
        EXPECT_TRUE(display->PumpEvents());
        EXPECT_GT(refusing->asked, asked) << "Alt+Enter " << press << " asked the display for full screen";
        EXPECT_EQ(Var("r_fullscreen"), "0") << "Alt+Enter " << press;
        EXPECT_FALSE(display->IsFullScreen());
    }
    EXPECT_EQ(toggles, 2);
}

TEST_F(SdlWindowWorld, AWindowSizeOutsideTheMenusAndTheDisplaysBoundsIsRefusedForEightHundredBySixHundred)
{
    // The default size is in bounds; this starts the video, which the desktop's mode needs.
    size_t quiet = debug.GetConsoleLines().size();
    display->KeepStartSizeInBounds();
    EXPECT_EQ(debug.GetConsoleLines().size(), quiet);
    // The offscreen display's desktop is its largest mode.
    int32_t widest = 0;
    int32_t tallest = 0;
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    widest = desktop.w;
    tallest = desktop.h;
    ASSERT_GE(widest, 800);
    const std::vector<std::pair<int32_t, int32_t>> refused = {
        {320, 200}, {639, 480}, {640, 479}, {0, 600}, {-800, 600}, {widest + 1, tallest}, {widest, tallest + 1}};
    for (auto [width, height] : refused) {
        vars.SetStringByName("r_width", std::to_string(width));
        vars.SetStringByName("r_height", std::to_string(height));
        size_t before = debug.GetConsoleLines().size();
        display->KeepStartSizeInBounds();
        EXPECT_EQ(Var("r_width"), "800") << width << "x" << height;
        EXPECT_EQ(Var("r_height"), "600") << width << "x" << height;
        ASSERT_EQ(debug.GetConsoleLines().size(), before + 1);
        EXPECT_EQ(debug.GetConsoleLines().back().rfind("^c005Can't open a window of " + std::to_string(width) + "x" +
                                                           std::to_string(height) + " (from 640x480 to ",
                                                       0),
                  0u)
            << debug.GetConsoleLines().back();
    }
    for (auto [width, height] : std::vector<std::pair<int32_t, int32_t>>{{640, 480}, {widest, tallest}}) {
        vars.SetStringByName("r_width", std::to_string(width));
        vars.SetStringByName("r_height", std::to_string(height));
        display->KeepStartSizeInBounds();
        EXPECT_EQ(Var("r_width"), std::to_string(width));
        EXPECT_EQ(Var("r_height"), std::to_string(height));
    }
    Open();
    EXPECT_EQ(display->GetViewWidth(), widest);
}

TEST_F(SdlWindowWorld, TheOffscreenDriverNeverWaitsForTheDisplaySoTheLoopIsCapped)
{
    Open();
    ASSERT_TRUE(display->MakeCurrent());
    display->ApplySwapInterval();
    display->ReleaseContext();
    EXPECT_FALSE(display->DoesSwapWaitForDisplay());
    EXPECT_EQ(display->FrameRateCapDelay(1), 7u);
}

TEST_F(SdlWindowWorld, RestoringTheDesktopLeavesFullScreen)
{
    // What SDL itself says of the windows it has.
    auto countFullScreen = [] {
        int count = 0;
        for (uint32_t id = 1; id < 256; ++id) {
            if (SDL_Window* open = SDL_GetWindowFromID(id))
                count += (SDL_GetWindowFlags(open) & SDL_WINDOW_FULLSCREEN) != 0 ? 1 : 0;
        }
        return count;
    };
    Open();
    ToggleAsTheRendererDoes();
    PushKey(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
    ASSERT_TRUE(display->PumpEvents());
    ASSERT_TRUE(display->IsFullScreen());
    ASSERT_EQ(countFullScreen(), 1);
    display->RestoreDesktop();
    EXPECT_FALSE(display->IsFullScreen());
    EXPECT_EQ(countFullScreen(), 0);
    // Nothing to put back a second time, and no window: nothing happens.
    display->RestoreDesktop();
    display->DestroyDisplay();
    display->RestoreDesktop();
}

// A cursor index without a picture hides the cursor; the system's own cursor shows again.
TEST_F(SdlWindowWorld, TheSystemsOwnCursorShowsAgainAfterACursorWithoutAPictureHidIt)
{
    Open();
    ASSERT_FALSE(display->HasCursor(5));
    display->SetCursor(5);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    display->ShowSystemCursor();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(SDL_GetCursor(), SDL_GetDefaultCursor());
    display->DestroyDisplay();
}

TEST(PlatformMessageBox, OnlyARealDisplayMayShowOne)
{
    EXPECT_TRUE(PosixPlatformSystem::CanShowMessageBox("x11", ":0", nullptr));
    EXPECT_TRUE(PosixPlatformSystem::CanShowMessageBox("wayland", nullptr, "wayland-0"));
    EXPECT_FALSE(PosixPlatformSystem::CanShowMessageBox("offscreen", ":0", "wayland-0"));
    EXPECT_FALSE(PosixPlatformSystem::CanShowMessageBox("dummy", ":0", nullptr));
    EXPECT_FALSE(PosixPlatformSystem::CanShowMessageBox("x11", "", nullptr));
    EXPECT_FALSE(PosixPlatformSystem::CanShowMessageBox("x11", nullptr, nullptr));
    EXPECT_FALSE(PosixPlatformSystem::CanShowMessageBox(nullptr, ":0", nullptr));
}

} // namespace
