// SdlGraphicsSystem -- the game window through SDL2: its OpenGL context, display modes, gamma, cursors and event pump.
#pragma once

#include "core/system/GraphicsSystem.h"

#include <array>
#include <string>

class InputEventListener;
union SDL_Event;
struct SDL_Window;
struct SDL_Cursor;

// Main thread, except MakeCurrent and ReleaseContext, which the graphics device's context lock
// calls from whichever thread takes the context.
class SdlGraphicsSystem : public GraphicsSystem {
public:
    // The smallest window the menus are laid out for.
    static constexpr int32_t kMinWidth = 640;
    static constexpr int32_t kMinHeight = 480;

    SdlGraphicsSystem();
    ~SdlGraphicsSystem() override;

    // The window's title ("GameName"); before SetupDisplay.
    void SetWindowTitle(const std::string& title) { windowTitle = title; }
    // Keys, text and the mouse go to the listener; null drops them.
    void SetInputListener(InputEventListener* listener) { inputListener = listener; }

    // Handles every waiting window event; false once the window was asked to close.
    bool PumpEvents();
    // Refuses, with a warning, a window size in "r_width" and "r_height" below kMinWidth x
    // kMinHeight or beyond the display's largest mode: 800 x 600 is written in its place.
    // Before the start-up's SetupDisplay, and by every restart.
    void KeepStartSizeInBounds();
    // Puts back what the window changed outside the program, the gamma ramp and the display's
    // mode, when it ends without its shut-down.
    void RestoreDesktop();

    void SetupDisplay() override;
    void DestroyDisplay() override;
    void RestartDisplay() override;
    void* GetProcAddress(const char* name) override;
    bool MakeCurrent() override;
    bool ReleaseContext() override;
    bool SwapBuffers() override;
    void ApplySwapInterval() override;
    void SetCursor(int32_t index) override;
    void ShowSystemCursor() override;
    void FreeCursors() override;

    bool IsDisplayUp() const { return context != nullptr; }
    int32_t GetWindowLeft() const { return windowLeft; }
    int32_t GetWindowTop() const { return windowTop; }

protected:
    void ListDisplayModes() override;
    // The common window sizes within the desktop that the display does not list, as modes of
    // the desktop's depth and no set frequency.
    void AddWindowSizes();
    bool TryDisplayMode(int32_t width, int32_t height, int32_t frequency) override;
    DisplayMode GetDesktopMode() override;
    bool ReadGammaRamp(GammaRamp& ramp) override;
    bool WriteGammaRamp(const GammaRamp& ramp) override;
    bool CreateCursor(int32_t index, const CursorImage& image) override;

private:
    bool InitVideo();
    // The critical error of a failed set-up step, with SDL's reason.
    static void FailSetup(const char* step);
    void ProbeMultisample();
    void SetContextAttributes(int32_t samples);
    void CreateWindowAndContext();
    // Full screen on the mode in use, or back to a window of that size.
    bool ApplyWindowMode();
    // false for a close request.
    bool HandleEvent(const SDL_Event& event);
    bool HandleWindowEvent(const SDL_Event& event);
    void HandleKey(const SDL_Event& event);
    void OnActivate(bool active, bool minimisedNow);

    std::string windowTitle = "Emberlode";
    InputEventListener* inputListener = nullptr;
    bool videoStarted = false;
    bool multisampleProbed = false;
    SDL_Window* window = nullptr;
    void* context = nullptr;
    int32_t windowLeft = 0;
    int32_t windowTop = 0;
    std::array<SDL_Cursor*, kCursorCount> cursors{};
};
