// LinuxSystemInfoTest -- the report's lines and their order, the sound device's fallbacks, and the os-release and sound card texts.
#include "platform/LinuxSystemInfo.h"

#include "core/DebugSystem.h"
#include "support/LogLines.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class SystemReportWorld : public ::testing::Test {
protected:
    SystemReportWorld()
    {
        gDebugSystem = &debug;
        debug.SetDeveloper(true);
        sources.osDescription = [] { return std::string("Emberlode OS 1, Linux 6.0 x86_64"); };
        sources.processor = [] {
            ProcessorInfo info;
            info.vendor = "GenuineIntel";
            info.name = "Test Core";
            info.features.set(kFeatureSse2).set(kFeatureFpu).set(kFeatureSse3);
            return info;
        };
        sources.ramMegabytes = [] { return 2048; };
        sources.firstSoundCard = [this] { return soundCard; };
    }

    DebugSystem debug;
    LinuxSystemInfo::Sources sources;
    std::string soundCard = "0 [Loopback       ]: Loopback - Loopback";
};

} // namespace

TEST_F(SystemReportWorld, SixLinesInTheirOrderAtDeveloperLevel)
{
    LinuxSystemInfo info(sources);
    info.LogSystemInfo();
    EXPECT_EQ(debug.GetConsoleLines(), (std::vector<std::string>{
                                           "OS: Emberlode OS 1, Linux 6.0 x86_64\n",
                                           "CPU Type: GenuineIntel\n",
                                           "CPU Name: Test Core\n",
                                           "CPU Features: FPU, SSE2, SSE3\n",
                                           "Sound card: 0 [Loopback       ]: Loopback - Loopback\n",
                                           "RAM: 2048 MByte!\n",
                                       }));
    EXPECT_EQ(info.ramMegabytes, 2048);
    EXPECT_TRUE(info.processorFeatures.test(kFeatureSse3));
    EXPECT_FLOAT_EQ(info.keyRepeatDelay, 0.5f);
    EXPECT_FLOAT_EQ(info.keyRepeatInterval, 1.0f / 30.0f);

    debug.SetDeveloper(false);
    info.LogSystemInfo();
    EXPECT_EQ(debug.GetConsoleLines().size(), 6u) << "the report is developer output";
}

TEST_F(SystemReportWorld, OpenedSoundDeviceWinsAndAnEmptyOneFallsBack)
{
    LinuxSystemInfo info(sources);
    std::string opened = "Emberlode Loopback Device";
    info.SetSoundDeviceQuery([&opened] { return opened; });
    info.LogSystemInfo();
    EXPECT_EQ(info.soundDeviceName, "Emberlode Loopback Device");
    opened.clear();
    info.LogSystemInfo();
    EXPECT_EQ(info.soundDeviceName, soundCard);
    soundCard.clear();
    info.LogSystemInfo();
    EXPECT_EQ(info.soundDeviceName, "");
    EXPECT_EQ(CountLinesHolding(debug, "Sound card: \n"), 1);
}

TEST_F(SystemReportWorld, MissingSourcesLeaveUnknownEmptyAndZero)
{
    LinuxSystemInfo info(LinuxSystemInfo::Sources{});
    info.LogSystemInfo();
    EXPECT_EQ(debug.GetConsoleLines(), (std::vector<std::string>{"OS: Unknown\n", "CPU Type: \n", "CPU Name: \n",
                                                                 "CPU Features: \n", "Sound card: \n",
                                                                 "RAM: 0 MByte!\n"}));
}

TEST_F(SystemReportWorld, ThisMachineFillsEveryLine)
{
    LinuxSystemInfo info;
    info.LogSystemInfo();
    std::vector<std::string> lines = debug.GetConsoleLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(info.osDescription, "Unknown");
    EXPECT_NE(info.osDescription.find("Linux"), std::string::npos) << info.osDescription;
    EXPECT_FALSE(info.processorVendor.empty());
    EXPECT_GT(info.ramMegabytes, 0);
    EXPECT_EQ(lines[5], "RAM: " + std::to_string(info.ramMegabytes) + " MByte!\n");
}

TEST(SystemReportOs, PrettyNameUnquotedAndJoinedWithUname)
{
    const char* release = "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME_EXTRA=no\n  PRETTY_NAME=\"Emberlode \\\"Ash\\\" 1\"\n";
    EXPECT_EQ(LinuxSystemInfo::PrettyName(release), "Emberlode \"Ash\" 1");
    EXPECT_EQ(LinuxSystemInfo::PrettyName("PRETTY_NAME='Single $quoted'\n"), "Single $quoted");
    EXPECT_EQ(LinuxSystemInfo::PrettyName("PRETTY_NAME=Bare\n"), "Bare");
    EXPECT_EQ(LinuxSystemInfo::PrettyName("PRETTY_NAME=\"\n"), "\"");
    EXPECT_EQ(LinuxSystemInfo::PrettyName(""), "");

    EXPECT_EQ(LinuxSystemInfo::DescribeOs("Linux 6.1 x86_64", "PRETTY_NAME=\"Debian 12\""),
              "Debian 12, Linux 6.1 x86_64");
    EXPECT_EQ(LinuxSystemInfo::DescribeOs("Linux 6.1 x86_64", ""), "Linux 6.1 x86_64");
    EXPECT_EQ(LinuxSystemInfo::DescribeOs("", "PRETTY_NAME=Debian"), "Debian");
    EXPECT_EQ(LinuxSystemInfo::DescribeOs("", "NAME=Debian"), "Unknown");
}

TEST(SystemReportSound, FirstCardLineOrNothing)
{
    EXPECT_EQ(LinuxSystemInfo::FirstSoundCard(" 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
                                              "                      HDA Intel PCH at 0xf7f10000 irq 32\n"),
              "0 [PCH            ]: HDA-Intel - HDA Intel PCH");
    EXPECT_EQ(LinuxSystemInfo::FirstSoundCard("--- no soundcards ---\n"), "");
    EXPECT_EQ(LinuxSystemInfo::FirstSoundCard(""), "");
    EXPECT_EQ(LinuxSystemInfo::FirstSoundCard("\n 1 [Second]\n"), "");
}
