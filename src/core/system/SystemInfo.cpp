// SystemInfo -- the machine report written at start-up, the key repeat timing and the window's active and minimised flags.
#include "core/system/SystemInfo.h"

#include <algorithm>

SystemInfo* gSystemInfo = nullptr;

namespace {

constexpr const char* kSystemInfoFeatureNames[kProcessorFeatureCount] = {
    "FPU", "MMX", "SSE", "SSE2", "CLFL", "3DNOW", "3DNOW+", "TSC", "CX8", "CMOV",
    "VME", "DE", "PSE", "MSR", "PAE", "MCE", "APIC", "SEP", "MTRR", "PGE",
    "MCA", "PAT", "PSE36", "FXSR", "DTES", "SS", "HTT", "TM1", "MP", "SSE3",
};

} // namespace

float SystemInfo::KeyRepeatDelay(int delayStep)
{
    // 250 ms to 1 s in four steps.
    return static_cast<float>(std::clamp(delayStep, 0, 3) / 3.0 * 0.75 + 0.25);
}

float SystemInfo::KeyRepeatInterval(int speedStep)
{
    // 2.5 to 30 repeats a second.
    return static_cast<float>(1.0 / (std::clamp(speedStep, 0, 31) / 31.0 * 27.5 + 2.5));
}

std::string SystemInfo::FeatureList(const std::bitset<kProcessorFeatureCount>& features)
{
    std::string list;
    for (int feature = 0; feature < kProcessorFeatureCount; ++feature) {
        if (!features.test(static_cast<size_t>(feature)))
            continue;
        if (!list.empty())
            list += ", ";
        list += kSystemInfoFeatureNames[feature];
    }
    return list;
}
