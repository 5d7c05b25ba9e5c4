// VideoOptions -- the lists the video options menu chooses from (shadows, filtering, texture quality, display modes, frequencies, screenshots, ground detail, antialiasing), the screen's size, the anisotropy, the ground detail, and the full-screen toggle.
#include "render/VideoOptions.h"

#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/GraphicsSystem.h"
#include "render/FrameTools.h"
#include "resources/GraphicsDevice.h"
#include "world/World.h"

#include <algorithm>
#include <string>

namespace {

struct VideoOptionsRow {
    const char* text;
    const char* value;
};

void VideoOptionsFixedList(std::string_view name, std::vector<VideoOptionsRow> rows)
{
    gCommandSystem->RegisterInfoProc(name, [rows](std::vector<ListEntry>& out) {
        for (const VideoOptionsRow& row : rows) {
            ListEntry entry;
            entry.name = row.text;
            entry.value = row.value;
            out.push_back(entry);
        }
    });
}

ListEntry VideoOptionsEntry(std::string text, std::string value)
{
    ListEntry entry;
    entry.name = std::move(text);
    entry.value = std::move(value);
    return entry;
}

std::string VideoOptionsSize(int32_t width, int32_t height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

} // namespace

void VideoOptions::RegisterCommands()
{
    anisotropicVar = gUserVarSystem->RegisterVar("r_anisotropic", "0");
    anisotropyValueVar = gUserVarSystem->RegisterVar("r_anisotropicValue", "0");
    groundDetailVar = gUserVarSystem->RegisterVar("r_groundDetail", "2");
    antiAliasingVar = gUserVarSystem->RegisterVar("r_antiAliasingSamples", "0");
    gammaVar = gUserVarSystem->RegisterVar("r_gamma", "1.0");
    VideoOptionsFixedList("getShadowTypes",
                          {{"$$ShadowsNone$$", "0"}, {"$$ShadowsSimple$$", "1"}, {"$$ShadowsComplex$$", "2"}});
    VideoOptionsFixedList("getFilteringQualityTypes", {{"$$FilteringNone$$", "0"},
                                                       {"$$FilteringBilinear$$", "1"},
                                                       {"$$FilteringTrilinear$$", "2"}});
    VideoOptionsFixedList("getTextureQualityTypes", {{"High", "0"}, {"Medium", "1"}, {"Low", "2"}});
    VideoOptionsFixedList("getScreenshotTypes", {{"jpg", "0"}, {"png", "1"}, {"tga", "2"}});
    VideoOptionsFixedList("getGroundDetailTypes", {{"$$GroundDetailLow$$", "0"},
                                                   {"$$GroundDetailNormal$$", "1"},
                                                   {"$$GroundDetailHigh$$", "2"}});
    gCommandSystem->RegisterInfoProc("getAvailableDisplayModes",
                                     [this](std::vector<ListEntry>& rows) { ListDisplayModes(rows); });
    gCommandSystem->RegisterInfoProc("getAvailableScreenFrequencies",
                                     [this](std::vector<ListEntry>& rows) { ListScreenFrequencies(rows); });
    gCommandSystem->RegisterInfoProc("getAntiAliasingModes",
                                     [this](std::vector<ListEntry>& rows) { ListAntiAliasingModes(rows); });
}

// The current size first, then each other size once, by the index of its first mode plus one
// ("r_mode"). The current size's row keeps it: its value is what "r_mode" holds while it names no
// mode, so the box shows that row after a restart; the current size is not offered again.
void VideoOptions::ListDisplayModes(std::vector<ListEntry>& rows) const
{
    int32_t width = gUserVarSystem->GetIntByName("r_width");
    int32_t height = gUserVarSystem->GetIntByName("r_height");
    const std::vector<DisplayMode>& modes = display.GetDisplayModes();
    std::string chosen = gUserVarSystem->GetStringByName("r_mode");
    int32_t chosenMode = gUserVarSystem->GetIntByName("r_mode");
    bool namesMode = chosenMode >= 1 && static_cast<size_t>(chosenMode) <= modes.size();
    rows.push_back(VideoOptionsEntry(VideoOptionsSize(width, height), namesMode || chosen.empty() ? "0" : chosen));
    size_t firstListed = rows.size();
    for (size_t i = 0; i < modes.size(); ++i) {
        const DisplayMode& mode = modes[i];
        if (mode.bitsPerPixel < kMinListedBits || mode.width < kMinListedWidth || mode.height < kMinListedHeight)
            continue;
        if (mode.width == width && mode.height == height)
            continue;
        bool listed = std::any_of(rows.begin() + static_cast<std::ptrdiff_t>(firstListed), rows.end(),
                                  [&](const ListEntry& row) {
                                      const DisplayMode& other = modes[static_cast<size_t>(std::stoi(row.value) - 1)];
                                      return other.width == mode.width && other.height == mode.height;
                                  });
        if (!listed)
            rows.push_back(VideoOptionsEntry(VideoOptionsSize(mode.width, mode.height), std::to_string(i + 1)));
    }
}

// Repeats stay: a frequency offered at two depths is listed twice.
void VideoOptions::ListScreenFrequencies(std::vector<ListEntry>& rows) const
{
    const std::vector<DisplayMode>& modes = display.GetDisplayModes();
    int32_t chosen = gUserVarSystem->GetIntByName("r_mode");
    int32_t width = gUserVarSystem->GetIntByName("r_width");
    int32_t height = gUserVarSystem->GetIntByName("r_height");
    if (chosen >= 1 && static_cast<size_t>(chosen) <= modes.size()) {
        width = modes[static_cast<size_t>(chosen) - 1].width;
        height = modes[static_cast<size_t>(chosen) - 1].height;
    }
    rows.push_back(VideoOptionsEntry("$$FreqDefault$$", "0"));
    for (const DisplayMode& mode : modes) {
        if (mode.bitsPerPixel >= kMinListedBits && mode.width == width && mode.height == height && mode.frequency > 0)
            rows.push_back(VideoOptionsEntry(std::to_string(mode.frequency) + " $$FreqHz$$",
                                             std::to_string(mode.frequency)));
    }
}

void VideoOptions::ListAntiAliasingModes(std::vector<ListEntry>& rows) const
{
    rows.push_back(VideoOptionsEntry("$$AntiAliasingNone$$", "0"));
    for (int32_t samples : display.GetMultisampleCounts())
        rows.push_back(VideoOptionsEntry(std::to_string(samples) + " $$AntiAliasingSamples$$", std::to_string(samples)));
}

int32_t VideoOptions::GetScreenWidth() const
{
    return display.GetScreenWidth();
}

int32_t VideoOptions::GetScreenHeight() const
{
    return display.GetScreenHeight();
}

void VideoOptions::InitAnisotropy(bool supported, float driverMaximum)
{
    anisotropySupported = supported;
    maxAnisotropy = supported ? driverMaximum : 0.0f;
    anisotropy = 0.0f;
    if (supported)
        UpdateAnisotropy();
}

void VideoOptions::UpdateAnisotropy()
{
    if (!anisotropySupported)
        return;
    float value = anisotropyValueVar.IsValid() ? anisotropyValueVar.GetFloat() : 0.0f;
    anisotropy = std::clamp(1.0f + value * (maxAnisotropy - 1.0f), 1.0f, std::max(1.0f, maxAnisotropy));
}

void VideoOptions::ApplyAnisotropy(GraphicsDevice& device)
{
    if (!anisotropySupported)
        return;
    UpdateAnisotropy();
    float value = anisotropicVar.IsValid() && anisotropicVar.GetInt() != 0 ? anisotropy : 1.0f;
    // All under the context, as the loader's uploads choose theirs: a texture the loader makes
    // meanwhile is among those set here, or made after with the new choice. Going by the
    // textures the device holds, not by the loaded rows, takes in one uploaded but not yet
    // marked loaded.
    device.AcquireContext();
    device.ApplyVars();
    device.SetUploadAnisotropy(anisotropy);
    device.SetLiveTexturesAnisotropy(value);
    device.ReleaseContext();
}

void VideoOptions::RefreshGroundDetail(FrameTools* tools)
{
    if (gWorld)
        gWorld->RefreshGroundDetail();
    if (tools)
        tools->RefreshGroundDetail();
}

void VideoOptions::TakeAppliedSettings()
{
    appliedAnisotropic = anisotropicVar.IsValid() ? anisotropicVar.GetInt() : 0;
    appliedAnisotropyValue = anisotropyValueVar.IsValid() ? anisotropyValueVar.GetFloat() : 0.0f;
    appliedGroundDetail = groundDetailVar.IsValid() ? groundDetailVar.GetInt() : 0;
    appliedAntiAliasing = antiAliasingVar.IsValid() ? antiAliasingVar.GetInt() : 0;
}

void VideoOptions::ApplyChangedSettings(GraphicsDevice& device, FrameTools* tools)
{
    if (!anisotropicVar.IsValid() || !groundDetailVar.IsValid() || !antiAliasingVar.IsValid())
        return;
    int32_t anisotropic = anisotropicVar.GetInt();
    float anisotropyValue = anisotropyValueVar.GetFloat();
    if (anisotropic != appliedAnisotropic || anisotropyValue != appliedAnisotropyValue) {
        appliedAnisotropic = anisotropic;
        appliedAnisotropyValue = anisotropyValue;
        ApplyAnisotropy(device);
    }
    int32_t groundDetail = groundDetailVar.GetInt();
    if (groundDetail != appliedGroundDetail) {
        appliedGroundDetail = groundDetail;
        RefreshGroundDetail(tools);
    }
    // The pixel format is chosen when the window is made; the running display keeps its own.
    int32_t antiAliasing = antiAliasingVar.GetInt();
    if (antiAliasing != appliedAntiAliasing) {
        appliedAntiAliasing = antiAliasing;
        DebugSystem::Print(kPrintPlain, "Antialiasing with %d samples takes effect at the next start\n", antiAliasing);
    }
}

void VideoOptions::ToggleFullScreen()
{
    bool full = gUserVarSystem->GetIntByName("r_fullscreen") != 0;
    gUserVarSystem->SetStringByName("r_fullscreen", full ? "0" : "1");
    RestartGraphics();
}

void VideoOptions::RestartGraphics()
{
    display.SetCursor(kBusyCursor);
    if (device)
        device->AcquireContext();
    display.RestoreGamma();
    // The display start-up's own choice: a mode picked in "r_mode" becomes "r_width" and "r_height".
    display.ChooseStartMode();
    display.RestartDisplay();
    display.SaveGammaRamp();
    display.SetGamma(gammaVar.GetFloat());
    if (forgetHook)
        forgetHook();
    if (device)
        device->ReleaseContext();
    if (restartHook)
        restartHook();
}
