// LinuxSystemInfo -- the machine report on Linux: uname and os-release, the processor, sysinfo's RAM, the sound card.
#include "platform/LinuxSystemInfo.h"

#include "core/DebugSystem.h"

#include <fstream>
#include <sstream>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <utility>

namespace {

std::string LinuxSystemInfoReadFile(const char* path)
{
    std::ifstream file(path);
    if (!file)
        return {};
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string_view LinuxSystemInfoTrim(std::string_view text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// An os-release value: inside double quotes a backslash keeps the next character; single
// quotes are taken as they stand.
std::string LinuxSystemInfoUnquote(std::string_view value)
{
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
        return std::string(value.substr(1, value.size() - 2));
    if (value.size() < 2 || value.front() != '"' || value.back() != '"')
        return std::string(value);
    std::string text;
    for (size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '\\' && i + 2 < value.size())
            ++i;
        text += value[i];
    }
    return text;
}

std::string LinuxSystemInfoMachineOs()
{
    utsname names{};
    std::string unameText;
    if (uname(&names) == 0)
        unameText = std::string(names.sysname) + " " + names.release + " " + names.machine;
    std::string osRelease = LinuxSystemInfoReadFile("/etc/os-release");
    if (osRelease.empty())
        osRelease = LinuxSystemInfoReadFile("/usr/lib/os-release");
    return LinuxSystemInfo::DescribeOs(unameText, osRelease);
}

int32_t LinuxSystemInfoMachineRam()
{
    struct sysinfo memory{};
    if (sysinfo(&memory) != 0)
        return 0;
    return static_cast<int32_t>((static_cast<uint64_t>(memory.totalram) * memory.mem_unit) >> 20);
}

} // namespace

LinuxSystemInfo::LinuxSystemInfo() : LinuxSystemInfo(MachineSources())
{
}

LinuxSystemInfo::LinuxSystemInfo(Sources sources) : sources(std::move(sources))
{
}

LinuxSystemInfo::Sources LinuxSystemInfo::MachineSources()
{
    Sources machine;
    machine.osDescription = LinuxSystemInfoMachineOs;
    machine.processor = ProcessorInfo::ReadFromMachine;
    machine.ramMegabytes = LinuxSystemInfoMachineRam;
    machine.firstSoundCard = [] { return FirstSoundCard(LinuxSystemInfoReadFile("/proc/asound/cards")); };
    return machine;
}

std::string LinuxSystemInfo::PrettyName(std::string_view osRelease)
{
    std::istringstream lines{std::string(osRelease)};
    std::string line;
    constexpr std::string_view key = "PRETTY_NAME=";
    while (std::getline(lines, line)) {
        std::string_view trimmed = LinuxSystemInfoTrim(line);
        if (trimmed.substr(0, key.size()) == key)
            return LinuxSystemInfoUnquote(trimmed.substr(key.size()));
    }
    return {};
}

std::string LinuxSystemInfo::DescribeOs(std::string_view unameText, std::string_view osRelease)
{
    std::string pretty = PrettyName(osRelease);
    if (pretty.empty() && unameText.empty())
        return "Unknown";
    if (pretty.empty())
        return std::string(unameText);
    if (unameText.empty())
        return pretty;
    return pretty + ", " + std::string(unameText);
}

std::string LinuxSystemInfo::FirstSoundCard(std::string_view cardsText)
{
    std::string_view first = LinuxSystemInfoTrim(cardsText.substr(0, cardsText.find('\n')));
    // Without a card the kernel writes "--- no soundcards ---".
    if (first.substr(0, 3) == "---")
        return {};
    return std::string(first);
}

void LinuxSystemInfo::LogSystemInfo()
{
    osDescription = sources.osDescription ? sources.osDescription() : std::string("Unknown");
    ProcessorInfo processor = sources.processor ? sources.processor() : ProcessorInfo();
    processorVendor = processor.vendor;
    processorName = processor.name;
    processorFeatures = processor.features;
    processorFeatureList = FeatureList(processorFeatures);
    ramMegabytes = sources.ramMegabytes ? sources.ramMegabytes() : 0;
    soundDeviceName = soundDeviceQuery ? soundDeviceQuery() : std::string();
    if (soundDeviceName.empty() && sources.firstSoundCard)
        soundDeviceName = sources.firstSoundCard();
    keyRepeatDelay = KeyRepeatDelay(kKeyRepeatDelayStep);
    keyRepeatInterval = KeyRepeatInterval(kKeyRepeatSpeedStep);

    DebugSystem::Print(kPrintDeveloper, "OS: %s\n", osDescription.c_str());
    DebugSystem::Print(kPrintDeveloper, "CPU Type: %s\n", processorVendor.c_str());
    DebugSystem::Print(kPrintDeveloper, "CPU Name: %s\n", processorName.c_str());
    DebugSystem::Print(kPrintDeveloper, "CPU Features: %s\n", processorFeatureList.c_str());
    DebugSystem::Print(kPrintDeveloper, "Sound card: %s\n", soundDeviceName.c_str());
    DebugSystem::Print(kPrintDeveloper, "RAM: %d MByte!\n", ramMegabytes);
}
