// GraphicsSystem -- the window, the GL context and the display behind one interface, with the display state and choices the platform shares.
#pragma once

#include "core/BaseClass.h"
#include "core/UserVarRef.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// One mode of the display as the platform lists it.
struct DisplayMode {
    int32_t bitsPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frequency = 0;
};

// A cursor picture: RGBA bytes, rows from the top, with its hot spot.
struct CursorImage {
    const uint8_t* rgba = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t hotX = 0;
    int32_t hotY = 0;
};

// The red, green and blue ramps, 256 steps each.
using GammaRamp = std::array<std::array<uint16_t, 256>, 3>;

// The platform implements the display operations; the base keeps what they read and write (the
// display vars, the mode in use, the mode list, the view size) and the choices that need no
// platform: the start-up mode, the fallback chain, the gamma ramp and the frame-rate cap.
class GraphicsSystem : public BaseClass {
public:
    // The cursor table's entries; 0 and kCursorCount - 1 stay empty.
    static constexpr int32_t kCursorCount = 9;
    static constexpr int32_t kMaxCursorSide = 32;

    // The display vars, get-or-create: "r_fullscreen", "r_width", "r_height", "r_freq", "r_mode",
    // "monitorSync", "r_topWindow", "r_antiAliasingSamples", "r_gamma", "maxFps" and
    // "maxFpsUnsynced".
    void RegisterDisplayVars();

    // Width and height from "r_mode" when it is 1 .. the number of listed modes (then written
    // into "r_width" and "r_height" and "r_mode" set back to -1), else from "r_width" and
    // "r_height"; the frequency from "r_freq". Lists the modes first.
    void ChooseStartMode();
    // Asks for the mode; when it cannot be set and fallback is allowed, tries the nearest listed
    // mode, then 800 x 600, then the desktop's mode. The values finally tried are left in the
    // arguments and, on success, written into "r_width", "r_height" and "r_freq".
    bool SetDisplayMode(int32_t& width, int32_t& height, int32_t& frequency, bool fallback);
    // The listed mode of at least 24 bits nearest in width and height (straight-line distance, the
    // first on a tie), then, when a frequency is asked for, the rate of that size nearest to it;
    // false when no mode has 24 bits.
    bool FindClosestDisplayMode(int32_t& width, int32_t& height, int32_t& frequency) const;

    // The sample count for "r_antiAliasingSamples": the wanted count when the probe found a format
    // of exactly that many samples, else 0 (the ordinary format).
    int32_t ChooseMultisampleSamples() const;

    // The ramp for a gamma clamped to 0.5 .. 3.0; 1.0 gives level i x 257.
    static GammaRamp BuildGammaRamp(float gamma);
    // A ramp may be changed only when no channel ever decreases.
    static bool IsRampUsable(const GammaRamp& ramp);
    // Saves the display's ramp; gamma changes stay off for the run when it is unusable.
    void SaveGammaRamp();
    void SetGamma(float gamma);
    void RestoreGamma();
    bool IsGammaAvailable() const { return gammaAvailable; }

    // Builds the cursor of the entry from the picture; none for an empty entry, a picture
    // larger than kMaxCursorSide or with no pixels. False when none was built.
    bool LoadCursor(int32_t index, const CursorImage& image);
    bool HasCursor(int32_t index) const;
    // The entry's picture as a texture (-1 for none), with a reference taken for the caller, who
    // gives it back. The renderer, which loads the pictures, registers them.
    void GetCursorTexture(int32_t& texture, int32_t index) const;
    void SetCursorTexture(int32_t index, int32_t texture);
    // Takes a reference on a texture for GetCursorTexture: the resource manager lies above this layer.
    void SetTextureReferenceHook(std::function<void(int32_t texture)> hook);

    // A window size change: the view takes the size, but a zero size (a minimised window) keeps
    // the last non-zero one, so nothing divides by it. The hook (the renderer's viewport) hears it.
    void OnViewResized(int32_t width, int32_t height);
    void SetViewResizedHook(std::function<void(int32_t width, int32_t height)> hook);
    // The mouse moved over the window: the hook (the interface) sets the cursor for its state.
    void OnCursorMoved();
    void SetCursorMovedHook(std::function<void()> hook);
    // Alt+Enter: the hook (the renderer's full-screen toggle and its full restart) hears it;
    // without one the key does nothing.
    void OnToggleFullScreenKey();
    void SetToggleFullScreenHook(std::function<void()> hook);
    int32_t GetViewWidth() const { return viewWidth; }
    int32_t GetViewHeight() const { return viewHeight; }

    // Milliseconds the frame loop sleeps for the "maxFps" cap given the last frame's measured
    // length (sleep included); 0 when uncapped or over budget. With "maxFps" 0 and swaps that
    // do not wait for the display, "maxFpsUnsynced" caps the loop instead, so that an idle
    // game does not spin a core.
    uint32_t FrameRateCapDelay(uint32_t lastFrameMs);
    // Whether a buffer swap waits for the display (vertical sync in effect); the platform says
    // so when it applies the swap interval.
    void SetSwapWaitsForDisplay(bool waits) { swapWaitsForDisplay = waits; }
    bool DoesSwapWaitForDisplay() const { return swapWaitsForDisplay; }

    // The display operations.
    // Creates the window and the GL context for the mode in use, full screen when
    // "r_fullscreen" says so; a failure is a critical error.
    virtual void SetupDisplay() = 0;
    virtual void DestroyDisplay() = 0;
    // Applies a changed "r_fullscreen" or size to the open window (Alt+Enter, "vidRestart").
    virtual void RestartDisplay() = 0;
    // The address of a graphics-library entry point of the context; null when the driver has none.
    virtual void* GetProcAddress(const char* name) = 0;
    virtual bool MakeCurrent() = 0;
    virtual bool ReleaseContext() = 0;
    virtual bool SwapBuffers() = 0;
    // The swap interval from "monitorSync", with the context taken by the caller.
    virtual void ApplySwapInterval() = 0;
    virtual void SetCursor(int32_t index) = 0;
    // Offered by every display though the game always draws its own cursor.
    virtual void ShowSystemCursor() = 0;
    virtual void FreeCursors() = 0;

    int32_t GetModeWidth() const { return modeWidth; }
    int32_t GetModeHeight() const { return modeHeight; }
    int32_t GetModeFrequency() const { return modeFrequency; }
    bool IsFullScreen() const { return fullScreen; }
    // The full-screen mode's size while one is in use, else the view's.
    int32_t GetScreenWidth() const { return fullScreen ? modeWidth : viewWidth; }
    int32_t GetScreenHeight() const { return fullScreen ? modeHeight : viewHeight; }
    bool IsMultisampleInUse() const { return multisampleInUse; }
    const std::vector<DisplayMode>& GetDisplayModes() const { return displayModes; }
    // The modes the display itself lists, the first of GetDisplayModes: those a full screen takes.
    std::span<const DisplayMode> GetFullScreenModes() const
    {
        return std::span<const DisplayMode>(displayModes).first(displayModes.size() - windowOnlyModes);
    }
    // The multisample counts the display offers, rising.
    const std::vector<int32_t>& GetMultisampleCounts() const { return multisampleCounts; }

protected:
    // The platform's side of the choices above.
    virtual void ListDisplayModes() = 0;
    virtual bool TryDisplayMode(int32_t width, int32_t height, int32_t frequency) = 0;
    virtual DisplayMode GetDesktopMode() = 0;
    virtual bool ReadGammaRamp(GammaRamp& ramp) = 0;
    virtual bool WriteGammaRamp(const GammaRamp& ramp) = 0;
    // The picture has been checked; false when the platform could not make a cursor of it.
    virtual bool CreateCursor(int32_t index, const CursorImage& image) = 0;

    int32_t modeWidth = 800;
    int32_t modeHeight = 600;
    int32_t modeFrequency = 0;
    bool fullScreen = false;
    bool multisampleInUse = false;
    // The sample counts (2 .. 8, rising) the platform's probe found formats for.
    std::vector<int32_t> multisampleCounts;
    std::vector<DisplayMode> displayModes;
    // How many modes at the end of the list are sizes only a window takes (the display lists
    // them not): no full screen is chosen among them.
    size_t windowOnlyModes = 0;
    std::array<bool, kCursorCount> cursorLoaded{};
    std::array<int32_t, kCursorCount> cursorTextures = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
    std::function<void(int32_t texture)> textureReferenceHook;
    UserVarRef fullScreenVar;
    UserVarRef widthVar;
    UserVarRef heightVar;
    UserVarRef frequencyVar;
    UserVarRef modeVar;
    UserVarRef monitorSyncVar;
    UserVarRef topWindowVar;
    UserVarRef antiAliasingVar;
    UserVarRef gammaVar;
    UserVarRef maxFpsVar;
    UserVarRef maxFpsUnsyncedVar;

private:
    void WriteModeVars(int32_t width, int32_t height, int32_t frequency);

    int32_t viewWidth = 800;
    int32_t viewHeight = 600;
    std::function<void(int32_t, int32_t)> viewResizedHook;
    std::function<void()> cursorMovedHook;
    std::function<void()> toggleFullScreenHook;
    GammaRamp savedRamp{};
    bool gammaAvailable = false;
    bool gammaChanged = false;
    uint32_t lastCapSleepMs = 0;
    bool swapWaitsForDisplay = true;
};

extern GraphicsSystem* gGraphicsSystem;
