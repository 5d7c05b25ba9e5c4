// LoopbackDevice -- OpenAL Soft's loopback device for the driver: no sound card, and time moves only when a test renders.
#pragma once

#include "audio/OpenAlDeviceFactory.h"

#include <AL/alc.h>
#include <AL/alext.h>
#include <cstdlib>
#include <string>
#include <vector>

// OpenAL Soft reads its settings at the first call into it; every test binary sets them before
// main runs.
inline const bool kLoopbackSettingsSet = setenv("ALSOFT_CONF", EMBERLODE_ALSOFT_CONF, 1) == 0;

// Opens a loopback device for every name once the first failCount opens have failed, and
// records the names asked for. Sources play only as far as Render mixes them.
class LoopbackDeviceFactory : public OpenAlDeviceFactory {
public:
    static constexpr ALCint kRate = 44100;

    // The settings file gives every device 40 sources.
    static constexpr int32_t kSources = 40;

    explicit LoopbackDeviceFactory(int failCount = 0) : failCount(failCount) {}

    ALCdevice* Open(const char* name) override
    {
        tried.push_back(name ? name : "(default)");
        if (static_cast<int>(tried.size()) <= failCount)
            return nullptr;
        auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
        device = open ? open(nullptr) : nullptr;
        return device;
    }

    const ALCint* GetContextAttributes() const override { return attributes.data(); }

    // Mixes the frames as if that much time had passed on a sound card.
    void Render(int frames)
    {
        auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(device, "alcRenderSamplesSOFT"));
        std::vector<short> mix(static_cast<size_t>(frames) * 2);
        render(device, mix.data(), frames);
    }

    std::vector<std::string> tried;
    ALCdevice* device = nullptr;

private:
    int failCount;
    std::vector<ALCint> attributes = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT,
                                      ALC_FREQUENCY, kRate, 0};
};
