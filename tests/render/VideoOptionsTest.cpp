// VideoOptionsTest -- the video options menu's lists through the command system over a display's injected mode list (one entry a size, frequencies repeated per depth, the current size first), the anisotropy from its var, the screen size and the full-screen toggle's restart.
#include "render/VideoOptions.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/GraphicsSystem.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

// A named namespace: the fixture shares the class's name, and the unity build shares the file.
namespace video_options_test {

class VideoOptionsDisplay : public GraphicsSystem {
public:
    void SetupDisplay() override {}
    void DestroyDisplay() override {}
    void RestartDisplay() override { events.push_back("restart " + fullScreenVar.GetString()); }
    void* GetProcAddress(const char*) override { return nullptr; }
    bool MakeCurrent() override { return true; }
    bool ReleaseContext() override { return true; }
    bool SwapBuffers() override { return true; }
    void ApplySwapInterval() override {}
    void SetCursor(int32_t index) override { events.push_back("cursor " + std::to_string(index)); }
    void ShowSystemCursor() override {}
    void FreeCursors() override {}

    void Offer(std::vector<DisplayMode> modes, std::vector<int32_t> samples)
    {
        displayModes = std::move(modes);
        multisampleCounts = std::move(samples);
    }
    void GoFullScreen(int32_t width, int32_t height)
    {
        fullScreen = true;
        modeWidth = width;
        modeHeight = height;
    }

    std::vector<std::string> events;

protected:
    void ListDisplayModes() override {}
    bool TryDisplayMode(int32_t, int32_t, int32_t) override { return true; }
    DisplayMode GetDesktopMode() override { return {32, 1920, 1080, 60}; }
    bool ReadGammaRamp(GammaRamp&) override { return false; }
    bool WriteGammaRamp(const GammaRamp&) override { return false; }
    bool CreateCursor(int32_t, const CursorImage&) override { return false; }
};

class VideoOptions : public ::testing::Test {
protected:
    VideoOptions()
    {
        gDebugSystem = &debug;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        commands.RegisterCommands();
        vars.RegisterCommands();
        display.RegisterDisplayVars();
        options.RegisterCommands();
        display.Offer({{16, 800, 600, 60}, {32, 800, 600, 60}, {32, 800, 600, 75}, {32, 640, 480, 60},
                       {24, 1024, 768, 60}, {32, 1024, 768, 60}, {32, 1280, 720, 0}, {32, 1024, 500, 60}},
                      {2, 4});
        vars.SetStringByName("r_width", "1280");
        vars.SetStringByName("r_height", "720");
    }
    ~VideoOptions() override
    {
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gDebugSystem = nullptr;
    }

    using Rows = std::vector<std::pair<std::string, std::string>>;
    Rows List(const char* provider) const
    {
        std::vector<ListEntry> entries;
        commands.CallInfoProc(provider, entries);
        Rows rows;
        for (const ListEntry& entry : entries)
            rows.emplace_back(entry.name, entry.value);
        return rows;
    }

    DebugSystem debug;
    CommandSystem commands;
    UserVarSystem vars;
    VideoOptionsDisplay display;
    ::VideoOptions options{display};
};

TEST_F(VideoOptions, DisplayModesListTheCurrentSizeThenEachLargeEnoughSizeOnceByItsFirstMode)
{
    // The current size is the first row only, and holds "r_mode" as a restart leaves it, so the
    // box names it; once a mode is chosen and not yet taken, the row keeps the size with "0".
    EXPECT_EQ(List("getAvailableDisplayModes"), (Rows{{"1280x720", "-1"}, {"800x600", "2"}, {"1024x768", "5"}}));
    vars.SetStringByName("r_width", "640");
    vars.SetStringByName("r_height", "480");
    vars.SetStringByName("r_mode", "5");
    EXPECT_EQ(List("getAvailableDisplayModes"),
              (Rows{{"640x480", "0"}, {"800x600", "2"}, {"1024x768", "5"}, {"1280x720", "7"}}));
}

TEST_F(VideoOptions, FrequenciesOfTheChosenSizeAreListedOncePerDepthWithTheDefaultFirst)
{
    EXPECT_EQ(List("getAvailableScreenFrequencies"), (Rows{{"$$FreqDefault$$", "0"}}));  // 1280 x 720 has none
    vars.SetStringByName("r_width", "800");
    vars.SetStringByName("r_height", "600");
    EXPECT_EQ(List("getAvailableScreenFrequencies"),
              (Rows{{"$$FreqDefault$$", "0"}, {"60 $$FreqHz$$", "60"}, {"75 $$FreqHz$$", "75"}}));
    vars.SetStringByName("r_mode", "5");  // 1024 x 768, offered at 24 and 32 bits
    EXPECT_EQ(List("getAvailableScreenFrequencies"),
              (Rows{{"$$FreqDefault$$", "0"}, {"60 $$FreqHz$$", "60"}, {"60 $$FreqHz$$", "60"}}));
    vars.SetStringByName("r_mode", "99");
    EXPECT_EQ(List("getAvailableScreenFrequencies").size(), 3u);  // back to r_width and r_height
}

TEST_F(VideoOptions, TheFixedListsAndTheAntialiasingModesGiveTheValuesTheirVarsRead)
{
    EXPECT_EQ(List("getShadowTypes"),
              (Rows{{"$$ShadowsNone$$", "0"}, {"$$ShadowsSimple$$", "1"}, {"$$ShadowsComplex$$", "2"}}));
    EXPECT_EQ(List("getFilteringQualityTypes"),
              (Rows{{"$$FilteringNone$$", "0"}, {"$$FilteringBilinear$$", "1"}, {"$$FilteringTrilinear$$", "2"}}));
    EXPECT_EQ(List("getTextureQualityTypes"), (Rows{{"High", "0"}, {"Medium", "1"}, {"Low", "2"}}));
    EXPECT_EQ(List("getScreenshotTypes"), (Rows{{"jpg", "0"}, {"png", "1"}, {"tga", "2"}}));
    EXPECT_EQ(List("getGroundDetailTypes"), (Rows{{"$$GroundDetailLow$$", "0"},
                                                  {"$$GroundDetailNormal$$", "1"},
                                                  {"$$GroundDetailHigh$$", "2"}}));
    EXPECT_EQ(List("getAntiAliasingModes"), (Rows{{"$$AntiAliasingNone$$", "0"},
                                                  {"2 $$AntiAliasingSamples$$", "2"},
                                                  {"4 $$AntiAliasingSamples$$", "4"}}));
}

TEST_F(VideoOptions, AnisotropyRunsFromOneToTheDriversMaximumAndStaysOffWithoutTheExtension)
{
    options.InitAnisotropy(false, 16.0f);
    vars.SetStringByName("r_anisotropicValue", "1");
    options.UpdateAnisotropy();
    EXPECT_FALSE(options.IsAnisotropySupported());
    EXPECT_EQ(options.GetAnisotropy(), 0.0f);

    options.InitAnisotropy(true, 16.0f);
    for (auto [value, expected] : {std::pair{"0", 1.0f}, {"0.5", 8.5f}, {"1", 16.0f}, {"2", 16.0f}, {"-1", 1.0f}}) {
        vars.SetStringByName("r_anisotropicValue", value);
        options.UpdateAnisotropy();
        EXPECT_FLOAT_EQ(options.GetAnisotropy(), expected) << value;
    }
}

TEST_F(VideoOptions, TheScreenIsTheFullScreenModeOrTheViewAndTheToggleRestartsBehindTheBusyCursor)
{
    display.OnViewResized(1000, 700);
    EXPECT_EQ(display.GetScreenWidth(), 1000);
    EXPECT_EQ(display.GetScreenHeight(), 700);
    EXPECT_EQ(options.GetScreenWidth(), 1000);
    EXPECT_EQ(options.GetScreenHeight(), 700);
    display.GoFullScreen(1280, 720);
    EXPECT_EQ(display.GetScreenWidth(), 1280);
    EXPECT_EQ(display.GetScreenHeight(), 720);
    // A window resized under a full-screen mode does not change the screen the options report.
    display.OnViewResized(640, 400);
    EXPECT_EQ(options.GetScreenWidth(), 1280);
    EXPECT_EQ(options.GetScreenHeight(), 720);

    // Alt+Enter, as the renderer hooks it: the var flipped, each restart behind the busy
    // cursor, and the maps' hook after each.
    int restarts = 0;
    options.SetRestartHook([&] { ++restarts; });
    display.SetToggleFullScreenHook([this] { options.ToggleFullScreen(); });
    display.OnToggleFullScreenKey();
    display.OnToggleFullScreenKey();
    EXPECT_EQ(display.events, (std::vector<std::string>{"cursor 7", "restart 1", "cursor 7", "restart 0"}));
    EXPECT_EQ(restarts, 2);

    // A mode chosen in the list becomes the size the restart opens.
    vars.SetStringByName("r_mode", "6");
    options.RestartGraphics();
    EXPECT_EQ(vars.GetStringByName("r_width"), "1024");
    EXPECT_EQ(vars.GetStringByName("r_height"), "768");
    EXPECT_EQ(vars.GetStringByName("r_mode"), "-1");
}

} // namespace video_options_test
