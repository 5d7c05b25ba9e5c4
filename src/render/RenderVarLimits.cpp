// RenderVarLimits -- the range each render setting is held to, so that no value typed or read from a ".cfg" file asks the driver or the memory for more than they can give.
#include "render/RenderVarLimits.h"

#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "render/LightingSystem.h"
#include "render/WorldViewOverlays.h"

#include <algorithm>
#include <cmath>

namespace {

struct RenderVarRange {
    const char* name;
    const char* defaultText;
    float low;
    float high;
    bool integer;
};

constexpr float kRenderPasses = static_cast<float>(WorldViewOverlays::kMaxBloomPasses);

// Flags read only as zero or not need no range; these are the counts, sizes, choices and factors.
constexpr RenderVarRange kRenderVarRanges[] = {
    {"r_shadows", "1", 0.0f, 2.0f, true},
    {"r_maxLights", "16", 0.0f, static_cast<float>(LightingSystem::kMaxLightsCap), true},
    {"r_bloomTextureSize", "256", 1.0f, static_cast<float>(RenderVarLimits::kMaxBloomSide), true},
    {"r_bloomDarkenPasses", "1", 0.0f, kRenderPasses, true},
    {"r_bloomBlur", "2", 0.0f, kRenderPasses, true},
    {"r_bloomBlurDistance", "1.0", 0.0f, 64.0f, false},
    {"r_bloomIntensity", "1.4", 0.0f, 16.0f, false},
    {"r_screenshotType", "0", 0.0f, 2.0f, true},
    {"r_groundDetail", "2", 0.0f, 2.0f, true},
    {"filteringQuality", "1", 0.0f, 2.0f, true},
    {"r_anisotropicValue", "0", 0.0f, 16.0f, false},
    {"r_antiAliasingSamples", "0", 0.0f, 16.0f, true},
    {"r_gamma", "1.0", 0.5f, 3.0f, false},
    {"r_freq", "0", 0.0f, 1000.0f, true},
    {"monitorSync", "1", -1.0f, 1.0f, true},
    {"maxFps", "0", 0.0f, 1000.0f, true},
    {"maxFpsUnsynced", "120", 0.0f, 1000.0f, true},
    {"zoom", "1.0", 0.1f, 3.0f, false},
    {"smoothFps", "0.0", 0.0f, 60.0f, false},
    {"showNormals", "0", 0.0f, 2.0f, true},
    {"showTris", "0", 0.0f, 2.0f, true},
    {"miniMapAlpha", "0.5", 0.0f, 1.0f, false},
    {"miniMapSize", "128.0", 32.0f, 480.0f, false},
    {"ui_maxTextEventsSaved", "100", 0.0f, 10000.0f, true},
    {"ui_maxTextEventsShown", "10", 0.0f, 100.0f, true},
    {"ui_textEventsTime", "30.0", 0.0f, 3600.0f, false},
};

} // namespace

void RenderVarLimits::FindVars()
{
    entries.clear();
    for (const RenderVarRange& range : kRenderVarRanges) {
        if (std::string_view(range.name) == "r_bloomTextureSize")
            bloomSideEntry = static_cast<int32_t>(entries.size());
        entries.push_back(
            {gUserVarSystem->RegisterVar(range.name, range.defaultText), range.low, range.high, range.integer});
    }
}

void RenderVarLimits::SetMaxTextureSize(int32_t side)
{
    if (bloomSideEntry >= 0)
        entries[static_cast<size_t>(bloomSideEntry)].high = static_cast<float>(std::clamp(side, 1, kMaxBloomSide));
}

void RenderVarLimits::Apply()
{
    for (const Entry& entry : entries) {
        if (!entry.var.IsValid())
            continue;
        float raw = entry.var.GetFloat();
        float reading = raw;
        if (entry.integer) {
            // "1e30" reads as 1 whole, and a number past 32 bits as the largest: the floating
            // reading tells them from a true value.
            auto whole = static_cast<float>(entry.var.GetInt());
            if (!std::isfinite(raw) || std::fabs(raw - whole) < 1.0f)
                reading = whole;
        }
        float used = std::isnan(reading) ? entry.low : std::clamp(reading, entry.low, entry.high);
        if (entry.integer)
            used = std::trunc(used);
        // "nan" or "inf" is written over even where it reads as a whole number in range. So is a
        // count not written as plain decimal digits: its users read the whole-number value, which
        // takes "5e2" as 5 and "0x10" as 0 where the range check saw 500 and 16; the value checked
        // is written out, so that both readings agree.
        bool plainText = !entry.integer || IsIntegerText(entry.var.GetString());
        if (used == reading && std::isfinite(raw) && plainText)
            continue;
        std::string text = entry.integer ? StringFormat("%d", static_cast<int32_t>(used))
                                         : StringFormat("%g", static_cast<double>(used));
        DebugSystem::Print(kPrintWarning, "%s is held to %g .. %g: using %s\n", entry.var.GetName().c_str(),
                           static_cast<double>(entry.low), static_cast<double>(entry.high), text.c_str());
        entry.var.SetString(text);
    }
}
