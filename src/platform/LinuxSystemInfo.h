// LinuxSystemInfo -- the machine report on Linux: uname and os-release, the processor, sysinfo's RAM, the sound card.
#pragma once

#include "core/system/SystemInfo.h"
#include "platform/ProcessorInfo.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class LinuxSystemInfo : public SystemInfo {
public:
    // Where each part of the report comes from; tests hand in their own machine.
    struct Sources {
        std::function<std::string()> osDescription;
        std::function<ProcessorInfo()> processor;
        std::function<int32_t()> ramMegabytes;
        // The first sound card the system lists, for when the sound system names no device.
        std::function<std::string()> firstSoundCard;
    };

    // The desktop offers the game no keyboard repeat settings: the steps of a common desktop's
    // default, half a second before the first repeat and thirty repeats a second.
    static constexpr int kKeyRepeatDelayStep = 1;
    static constexpr int kKeyRepeatSpeedStep = 31;

    LinuxSystemInfo();
    explicit LinuxSystemInfo(Sources sources);

    void LogSystemInfo() override;

    static Sources MachineSources();
    // "<PRETTY_NAME>, <sysname> <release> <machine>", either part alone when the other is
    // missing, "Unknown" when both are.
    static std::string DescribeOs(std::string_view unameText, std::string_view osRelease);
    // The PRETTY_NAME value of an os-release file, its quotes and escapes removed.
    static std::string PrettyName(std::string_view osRelease);
    // The first line of /proc/asound/cards, trimmed; empty when it lists no card.
    static std::string FirstSoundCard(std::string_view cardsText);

private:
    Sources sources;
};
