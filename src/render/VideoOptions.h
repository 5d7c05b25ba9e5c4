// VideoOptions -- the lists the video options menu chooses from (shadows, filtering, texture quality, display modes, frequencies, screenshots, ground detail, antialiasing), the screen's size, the anisotropy, the ground detail, and the full-screen toggle.
#pragma once

#include "core/CommandSystem.h"
#include "core/UserVarRef.h"

#include <cstdint>
#include <functional>
#include <vector>

class FrameTools;
class GraphicsDevice;
class GraphicsSystem;

// Main thread. Owned by the renderer; the lists read the display's mode list when asked.
class VideoOptions {
public:
    // The smallest display mode a list offers.
    static constexpr int32_t kMinListedWidth = 800;
    static constexpr int32_t kMinListedHeight = 600;
    static constexpr int32_t kMinListedBits = 24;
    // The cursor shown while the display restarts.
    static constexpr int32_t kBusyCursor = 7;

    explicit VideoOptions(GraphicsSystem& display) : display(display) {}

    // The eight list providers, "r_anisotropic" and "r_anisotropicValue".
    void RegisterCommands();
    // Heard after the display restarted (the maps' textures, the shaders).
    void SetRestartHook(std::function<void()> hook) { restartHook = std::move(hook); }
    // The restart holds the device's context, and has the textures made for the old view's
    // size forgotten (the bloom's and the explored overlay's) before it lets go.
    void SetRestartDevice(GraphicsDevice* restartDevice, std::function<void()> forgetViewTextures)
    {
        device = restartDevice;
        forgetHook = std::move(forgetViewTextures);
    }

    void ListDisplayModes(std::vector<ListEntry>& rows) const;
    void ListScreenFrequencies(std::vector<ListEntry>& rows) const;
    void ListAntiAliasingModes(std::vector<ListEntry>& rows) const;

    // The full-screen mode's size while one is in use, else the view's: the display's answer,
    // which the cursor's conversion below the renderer reads too.
    int32_t GetScreenWidth() const;
    int32_t GetScreenHeight() const;

    // From the driver at start-up: anisotropy is offered when the extension is there.
    void InitAnisotropy(bool supported, float driverMaximum);
    // 1 + "r_anisotropicValue" x (maximum - 1), held to 1 .. maximum.
    void UpdateAnisotropy();
    bool IsAnisotropySupported() const { return anisotropySupported; }
    float GetAnisotropy() const { return anisotropy; }
    // With the extension: the anisotropy ("r_anisotropic" off gives 1) set on every loaded
    // "ctx", "rtx" and "tga" texture and on the uploads that follow.
    void ApplyAnisotropy(GraphicsDevice& device);
    // The ground of every level with an area, and of the area in edit, laid again at the
    // current "r_groundDetail".
    void RefreshGroundDetail(FrameTools* tools);

    // The settings as they stand become the applied ones (at start-up).
    void TakeAppliedSettings();
    // The frame's settings step: the anisotropy, the ground detail and the antialiasing
    // samples, each acted on when its var changed since last applied.
    void ApplyChangedSettings(GraphicsDevice& device, FrameTools* tools);

    // "r_fullscreen" flipped, then the display restarted as "vidRestart" does (Alt+Enter).
    void ToggleFullScreen();
    // "vidRestart": the busy cursor; with the context held, the saved gamma put back, the start
    // mode chosen again ("r_mode"), the window changed in place (the input starts again with
    // it), the gamma saved and "r_gamma" applied anew, the view's textures forgotten; then the
    // hook. The context lives on through the change, so its textures and shaders stay loaded.
    void RestartGraphics();

private:
    GraphicsSystem& display;
    std::function<void()> restartHook;
    GraphicsDevice* device = nullptr;
    std::function<void()> forgetHook;
    UserVarRef anisotropicVar;
    UserVarRef anisotropyValueVar;
    UserVarRef groundDetailVar;
    UserVarRef antiAliasingVar;
    UserVarRef gammaVar;
    // The values last acted on, compared as numbers: a copy of each text every frame would go
    // to the heap.
    int32_t appliedAnisotropic = 0;
    float appliedAnisotropyValue = 0.0f;
    int32_t appliedGroundDetail = 0;
    int32_t appliedAntiAliasing = 0;
    bool anisotropySupported = false;
    float maxAnisotropy = 0.0f;
    float anisotropy = 0.0f;
};
