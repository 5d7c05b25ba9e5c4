// SystemInfo -- the machine report written at start-up, the key repeat timing and the window's active and minimised flags.
#pragma once

#include "core/BaseClass.h"

#include <bitset>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

// The processor features the report names, in the order the feature list is written.
enum ProcessorFeature : int {
    kFeatureFpu, kFeatureMmx, kFeatureSse, kFeatureSse2, kFeatureClflush, kFeature3dnow, kFeature3dnowExt,
    kFeatureTsc, kFeatureCx8, kFeatureCmov, kFeatureVme, kFeatureDe, kFeaturePse, kFeatureMsr, kFeaturePae,
    kFeatureMce, kFeatureApic, kFeatureSep, kFeatureMtrr, kFeaturePge, kFeatureMca, kFeaturePat, kFeaturePse36,
    kFeatureFxsr, kFeatureDtes, kFeatureSs, kFeatureHtt, kFeatureTm1, kFeatureMp, kFeatureSse3,
    kProcessorFeatureCount,
};

class SystemInfo : public BaseClass {
public:
    // The opened sound device's name, empty while none is open.
    using SoundDeviceQuery = std::function<std::string()>;

    // Gathers the machine description and writes it to the log; called once at start-up,
    // after the sound system has started and before the input system starts.
    virtual void LogSystemInfo() = 0;

    // The sound system, once its device is open, names it here; until then (or when it names
    // none) the report falls back on what the operating system lists.
    void SetSoundDeviceQuery(SoundDeviceQuery query) { soundDeviceQuery = std::move(query); }

    // The auto-repeat timing in seconds from the desktop's settings: delay step 0 to 3 and
    // speed step 0 to 31 (out-of-range steps are clamped).
    static float KeyRepeatDelay(int delayStep);
    static float KeyRepeatInterval(int speedStep);
    // The names of the set flags in table order, separated by ", ".
    static std::string FeatureList(const std::bitset<kProcessorFeatureCount>& features);

    std::string osDescription;
    std::string processorVendor;
    std::string processorName;
    std::string processorFeatureList;
    std::bitset<kProcessorFeatureCount> processorFeatures;
    int32_t ramMegabytes = 0;
    std::string soundDeviceName;
    // Read by the keyboard's auto-repeat; the values of delay step 1 and speed step 31 until the report runs.
    float keyRepeatDelay = 0.5f;
    float keyRepeatInterval = 1.0f / 30.0f;

    // Kept current by the window's event handling; the frame loop idles and the sound is
    // muted while the application is inactive or minimised.
    bool applicationActive = true;
    bool minimised = false;

protected:
    SoundDeviceQuery soundDeviceQuery;
};

extern SystemInfo* gSystemInfo;
