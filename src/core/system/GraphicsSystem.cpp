// GraphicsSystem -- the window, the GL context and the display behind one interface, with the display state and choices the platform shares.
#include "core/system/GraphicsSystem.h"

#include "core/UserVarSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

GraphicsSystem* gGraphicsSystem = nullptr;

void GraphicsSystem::RegisterDisplayVars()
{
    fullScreenVar = gUserVarSystem->RegisterVar("r_fullscreen", "0");
    widthVar = gUserVarSystem->RegisterVar("r_width", "800");
    heightVar = gUserVarSystem->RegisterVar("r_height", "600");
    frequencyVar = gUserVarSystem->RegisterVar("r_freq", "0");
    modeVar = gUserVarSystem->RegisterVar("r_mode", "-1");
    monitorSyncVar = gUserVarSystem->RegisterVar("monitorSync", "1");
    topWindowVar = gUserVarSystem->RegisterVar("r_topWindow", "1");
    antiAliasingVar = gUserVarSystem->RegisterVar("r_antiAliasingSamples", "0");
    gammaVar = gUserVarSystem->RegisterVar("r_gamma", "1.0");
    maxFpsVar = gUserVarSystem->RegisterVar("maxFps", "0");
    maxFpsUnsyncedVar = gUserVarSystem->RegisterVar("maxFpsUnsynced", "120");
}

void GraphicsSystem::WriteModeVars(int32_t width, int32_t height, int32_t frequency)
{
    widthVar.SetString(std::to_string(width));
    heightVar.SetString(std::to_string(height));
    frequencyVar.SetString(std::to_string(frequency));
}

void GraphicsSystem::ChooseStartMode()
{
    ListDisplayModes();
    int32_t mode = modeVar.GetInt();
    if (mode > 0 && static_cast<size_t>(mode) <= displayModes.size()) {
        const DisplayMode& chosen = displayModes[static_cast<size_t>(mode) - 1];
        modeVar.SetString("-1");
        widthVar.SetString(std::to_string(chosen.width));
        heightVar.SetString(std::to_string(chosen.height));
    }
    modeWidth = widthVar.GetInt();
    modeHeight = heightVar.GetInt();
    modeFrequency = frequencyVar.GetInt();
}

bool GraphicsSystem::SetDisplayMode(int32_t& width, int32_t& height, int32_t& frequency, bool fallback)
{
    if (TryDisplayMode(width, height, frequency)) {
        WriteModeVars(width, height, frequency);
        return true;
    }
    if (!fallback)
        return false;
    int32_t nearWidth = width;
    int32_t nearHeight = height;
    int32_t nearFrequency = frequency;
    if (FindClosestDisplayMode(nearWidth, nearHeight, nearFrequency)) {
        width = nearWidth;
        height = nearHeight;
        frequency = nearFrequency;
        if (SetDisplayMode(width, height, frequency, false))
            return true;
    }
    width = 800;
    height = 600;
    frequency = 0;
    if (SetDisplayMode(width, height, frequency, false))
        return true;
    DisplayMode desktop = GetDesktopMode();
    width = desktop.width;
    height = desktop.height;
    frequency = 0;
    return SetDisplayMode(width, height, frequency, false);
}

bool GraphicsSystem::FindClosestDisplayMode(int32_t& width, int32_t& height, int32_t& frequency) const
{
    const DisplayMode* best = nullptr;
    double bestDistance = std::numeric_limits<double>::max();
    for (const DisplayMode& mode : GetFullScreenModes()) {
        if (mode.bitsPerPixel < 24)
            continue;
        double distance = std::hypot(static_cast<double>(mode.width) - width, static_cast<double>(mode.height) - height);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = &mode;
        }
    }
    if (!best)
        return false;
    // The size is chosen first; a rate the display does not list at that size gives its nearest.
    if (frequency > 0) {
        int64_t wanted = frequency;
        int64_t bestGap = std::numeric_limits<int64_t>::max();
        for (const DisplayMode& mode : GetFullScreenModes()) {
            if (mode.bitsPerPixel < 24 || mode.width != best->width || mode.height != best->height)
                continue;
            int64_t gap = std::llabs(int64_t{mode.frequency} - wanted);
            if (gap < bestGap) {
                bestGap = gap;
                frequency = mode.frequency;
            }
        }
    } else {
        frequency = best->frequency;
    }
    width = best->width;
    height = best->height;
    return true;
}

int32_t GraphicsSystem::ChooseMultisampleSamples() const
{
    int32_t wanted = antiAliasingVar.IsValid() ? antiAliasingVar.GetInt() : 0;
    if (wanted < 1)
        return 0;
    bool found = std::find(multisampleCounts.begin(), multisampleCounts.end(), wanted) != multisampleCounts.end();
    return found ? wanted : 0;
}

GammaRamp GraphicsSystem::BuildGammaRamp(float gamma)
{
    // NaN counts as the identity rather than poisoning every level.
    if (std::isnan(gamma))
        gamma = 1.0f;
    gamma = std::clamp(gamma, 0.5f, 3.0f);
    GammaRamp ramp{};
    for (int32_t i = 0; i < 256; ++i) {
        int32_t level = i;
        if (gamma != 1.0f) {
            double scaled = std::floor(std::pow(i / 255.0, 1.0 / gamma) * 255.0 + 0.5);
            level = std::clamp(static_cast<int32_t>(scaled), 0, 255);
        }
        for (auto& channel : ramp)
            channel[static_cast<size_t>(i)] = static_cast<uint16_t>(level * 257);
    }
    return ramp;
}

bool GraphicsSystem::IsRampUsable(const GammaRamp& ramp)
{
    for (const auto& channel : ramp) {
        if (!std::is_sorted(channel.begin(), channel.end()))
            return false;
    }
    return true;
}

void GraphicsSystem::SaveGammaRamp()
{
    gammaAvailable = ReadGammaRamp(savedRamp) && IsRampUsable(savedRamp);
}

void GraphicsSystem::SetGamma(float gamma)
{
    if (!gammaAvailable)
        return;
    WriteGammaRamp(BuildGammaRamp(gamma));
    gammaChanged = true;
}

void GraphicsSystem::RestoreGamma()
{
    if (gammaAvailable && gammaChanged)
        WriteGammaRamp(savedRamp);
    gammaChanged = false;
}

bool GraphicsSystem::LoadCursor(int32_t index, const CursorImage& image)
{
    if (index <= 0 || index >= kCursorCount - 1)
        return false;
    cursorLoaded[static_cast<size_t>(index)] = false;
    if (!image.rgba || image.width <= 0 || image.height <= 0 || image.width > kMaxCursorSide ||
        image.height > kMaxCursorSide)
        return false;
    // A hot spot outside the picture is pulled onto its edge.
    CursorImage checked = image;
    checked.hotX = std::clamp(image.hotX, 0, image.width - 1);
    checked.hotY = std::clamp(image.hotY, 0, image.height - 1);
    cursorLoaded[static_cast<size_t>(index)] = CreateCursor(index, checked);
    return cursorLoaded[static_cast<size_t>(index)];
}

bool GraphicsSystem::HasCursor(int32_t index) const
{
    return index >= 0 && index < kCursorCount && cursorLoaded[static_cast<size_t>(index)];
}

void GraphicsSystem::OnViewResized(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return;
    viewWidth = width;
    viewHeight = height;
    if (viewResizedHook)
        viewResizedHook(width, height);
}

void GraphicsSystem::SetViewResizedHook(std::function<void(int32_t width, int32_t height)> hook)
{
    viewResizedHook = std::move(hook);
}

void GraphicsSystem::GetCursorTexture(int32_t& texture, int32_t index) const
{
    texture = index >= 0 && index < kCursorCount ? cursorTextures[static_cast<size_t>(index)] : -1;
    if (texture != -1 && textureReferenceHook)
        textureReferenceHook(texture);
}

void GraphicsSystem::SetCursorTexture(int32_t index, int32_t texture)
{
    if (index > 0 && index < kCursorCount - 1)
        cursorTextures[static_cast<size_t>(index)] = texture;
}

void GraphicsSystem::SetTextureReferenceHook(std::function<void(int32_t texture)> hook)
{
    textureReferenceHook = std::move(hook);
}

void GraphicsSystem::OnCursorMoved()
{
    if (cursorMovedHook)
        cursorMovedHook();
}

void GraphicsSystem::SetCursorMovedHook(std::function<void()> hook)
{
    cursorMovedHook = std::move(hook);
}

void GraphicsSystem::OnToggleFullScreenKey()
{
    if (toggleFullScreenHook)
        toggleFullScreenHook();
}

void GraphicsSystem::SetToggleFullScreenHook(std::function<void()> hook)
{
    toggleFullScreenHook = std::move(hook);
}

uint32_t GraphicsSystem::FrameRateCapDelay(uint32_t lastFrameMs)
{
    int32_t cap = maxFpsVar.IsValid() ? maxFpsVar.GetInt() : 0;
    if (cap <= 0 && !swapWaitsForDisplay && maxFpsUnsyncedVar.IsValid())
        cap = maxFpsUnsyncedVar.GetInt();
    if (cap <= 0)
        return 0;
    double budget = 1000.0 / cap;
    double worked = static_cast<double>(lastFrameMs) - static_cast<double>(lastCapSleepMs);
    lastCapSleepMs = budget >= worked ? static_cast<uint32_t>(budget - worked) : 0;
    return lastCapSleepMs;
}
