// GraphicsSystemTest -- the display's shared choices on a fake platform: start-up mode, fallback chain and write-back, multisample match, gamma ramps, cursor checks, the view size and the frame-rate cap.
#include "core/ConfigWorld.h"

#include "core/system/GraphicsSystem.h"

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Accepts only the modes in `settable`; records every mode tried and every ramp written.
class GraphicsSystemFakeDisplay : public GraphicsSystem {
public:
    void SetupDisplay() override {}
    void DestroyDisplay() override {}
    void RestartDisplay() override {}
    void* GetProcAddress(const char*) override { return nullptr; }
    bool MakeCurrent() override { return true; }
    bool ReleaseContext() override { return true; }
    bool SwapBuffers() override { return true; }
    void ApplySwapInterval() override {}
    void SetCursor(int32_t) override {}
    void ShowSystemCursor() override {}
    void FreeCursors() override {}

    std::vector<DisplayMode> listed;
    std::set<std::tuple<int32_t, int32_t, int32_t>> settable;
    std::vector<std::tuple<int32_t, int32_t, int32_t>> tried;
    DisplayMode desktop{32, 1280, 1024, 60};
    bool rampReadable = true;
    GammaRamp deviceRamp = BuildGammaRamp(1.0f);
    std::vector<GammaRamp> written;
    std::vector<CursorImage> cursorsMade;

    using GraphicsSystem::multisampleCounts;

protected:
    void ListDisplayModes() override
    {
        if (displayModes.empty())
            displayModes = listed;
    }
    bool TryDisplayMode(int32_t width, int32_t height, int32_t frequency) override
    {
        tried.emplace_back(width, height, frequency);
        return settable.count({width, height, frequency}) != 0;
    }
    DisplayMode GetDesktopMode() override { return desktop; }
    bool ReadGammaRamp(GammaRamp& ramp) override
    {
        ramp = deviceRamp;
        return rampReadable;
    }
    bool WriteGammaRamp(const GammaRamp& ramp) override
    {
        written.push_back(ramp);
        return true;
    }
    bool CreateCursor(int32_t, const CursorImage& image) override
    {
        cursorsMade.push_back(image);
        return true;
    }
};

class GraphicsSystemTest : public ConfigWorld {
protected:
    GraphicsSystemTest() { display.RegisterDisplayVars(); }

    std::string Var(const char* name) { return gUserVarSystem->GetStringByName(name); }

    GraphicsSystemFakeDisplay display;
};

using DisplayModeTuple = std::tuple<int32_t, int32_t, int32_t>;

TEST_F(GraphicsSystemTest, ModeNumberPicksAListedModeOnceAndIsIgnoredPastTheList)
{
    display.listed = {{32, 640, 480, 60}, {16, 800, 600, 60}, {32, 1024, 768, 75}};
    gUserVarSystem->SetStringByName("r_mode", "3");
    gUserVarSystem->SetStringByName("r_freq", "75");
    display.ChooseStartMode();
    EXPECT_EQ((std::tuple{display.GetModeWidth(), display.GetModeHeight(), display.GetModeFrequency()}),
              (DisplayModeTuple{1024, 768, 75}));
    EXPECT_EQ(Var("r_width"), "1024");
    EXPECT_EQ(Var("r_height"), "768");
    EXPECT_EQ(Var("r_mode"), "-1");

    for (const char* mode : {"4", "0", "-3"}) {
        gUserVarSystem->SetStringByName("r_mode", mode);
        gUserVarSystem->SetStringByName("r_width", "700");
        gUserVarSystem->SetStringByName("r_height", "500");
        display.ChooseStartMode();
        EXPECT_EQ(display.GetModeWidth(), 700) << mode;
        EXPECT_EQ(display.GetModeHeight(), 500) << mode;
        EXPECT_EQ(Var("r_mode"), mode);
    }
}

TEST_F(GraphicsSystemTest, AModeThatCannotBeSetFallsBackToTheNearestThen800x600ThenTheDesktop)
{
    display.listed = {{32, 1280, 720, 60}, {16, 1000, 700, 60}, {32, 1600, 900, 60}};
    display.ChooseStartMode();
    int32_t width = 1024;
    int32_t height = 700;
    int32_t frequency = 0;

    // Nothing settable: every step is tried, the last with the desktop's size and no rate.
    EXPECT_FALSE(display.SetDisplayMode(width, height, frequency, true));
    EXPECT_EQ(display.tried, (std::vector<DisplayModeTuple>{{1024, 700, 0}, {1280, 720, 60}, {800, 600, 0}, {1280, 1024, 0}}));

    display.tried.clear();
    display.settable = {{800, 600, 0}};
    width = 1024;
    height = 700;
    frequency = 0;
    EXPECT_TRUE(display.SetDisplayMode(width, height, frequency, true));
    EXPECT_EQ((DisplayModeTuple{width, height, frequency}), (DisplayModeTuple{800, 600, 0}));
    EXPECT_EQ(Var("r_width"), "800");
    EXPECT_EQ(Var("r_height"), "600");
    EXPECT_EQ(Var("r_freq"), "0");

    // The nearest listed mode of at least 24 bits, and of the rate asked for.
    display.settable = {{1600, 900, 60}, {1280, 720, 60}};
    width = 1500;
    height = 880;
    frequency = 60;
    EXPECT_TRUE(display.SetDisplayMode(width, height, frequency, true));
    EXPECT_EQ((DisplayModeTuple{width, height, frequency}), (DisplayModeTuple{1600, 900, 60}));
    EXPECT_EQ(Var("r_freq"), "60");

    // Without fallback a refusal changes nothing.
    display.tried.clear();
    width = 1024;
    EXPECT_FALSE(display.SetDisplayMode(width, height, frequency, false));
    EXPECT_EQ(display.tried.size(), 1u);
    EXPECT_EQ(Var("r_width"), "1600");
    // A rate not listed at the nearest size takes that size's nearest rate.
    int32_t rate = 75;
    EXPECT_TRUE(display.FindClosestDisplayMode(width, height, rate));
    EXPECT_EQ((DisplayModeTuple{width, height, rate}), (DisplayModeTuple{1280, 720, 60}));
}

TEST_F(GraphicsSystemTest, TheNearestModeIsTheNearestSizeInAStraightLineThenTheNearestRateOfThatSize)
{
    display.listed = {{32, 800, 600, 60},  {32, 800, 600, 75},   {24, 1024, 768, 60},
                      {32, 1024, 768, 85}, {16, 1280, 1024, 100}, {32, 1400, 600, 60}};
    struct Case {
        DisplayModeTuple asked;
        DisplayModeTuple found;
    };
    const Case cases[] = {
        {{1000, 760, 80}, {1024, 768, 85}},
        {{1000, 760, 70}, {1024, 768, 60}},
        // No rate asked: the first listed mode of the size.
        {{800, 600, 0}, {800, 600, 60}},
        // 16 bits never qualify; the rate is the nearest the chosen size offers.
        {{1280, 1024, 100}, {1024, 768, 85}},
        // Equally far in a straight line (140): the first listed wins.
        {{912, 684, 0}, {800, 600, 60}},
        // 210 away in a straight line against 250; summed, 1400 x 600 would be the nearer.
        {{1150, 600, 0}, {1024, 768, 60}},
    };
    display.ChooseStartMode();
    for (const Case& c : cases) {
        auto [width, height, rate] = c.asked;
        EXPECT_TRUE(display.FindClosestDisplayMode(width, height, rate));
        EXPECT_EQ((DisplayModeTuple{width, height, rate}), c.found) << std::get<0>(c.asked) << "x" << std::get<1>(c.asked);
    }
    // A full-screen request at a rate the display does not list lands on the nearest mode, not on 800 x 600.
    display.settable = {{1024, 768, 85}, {800, 600, 0}};
    display.tried.clear();
    int32_t width = 1030;
    int32_t height = 770;
    int32_t rate = 90;
    EXPECT_TRUE(display.SetDisplayMode(width, height, rate, true));
    EXPECT_EQ(display.tried, (std::vector<DisplayModeTuple>{{1030, 770, 90}, {1024, 768, 85}}));
    EXPECT_EQ(Var("r_freq"), "85");
}

TEST_F(GraphicsSystemTest, MultisampleNeedsAFormatOfExactlyTheWantedCount)
{
    display.multisampleCounts = {2, 4};
    const std::pair<const char*, int32_t> cases[] = {{"0", 0}, {"3", 0}, {"4", 4}, {"2", 2}, {"8", 0}, {"-2", 0}};
    for (const auto& [wanted, samples] : cases) {
        gUserVarSystem->SetStringByName("r_antiAliasingSamples", wanted);
        EXPECT_EQ(display.ChooseMultisampleSamples(), samples) << wanted;
    }
}

TEST_F(GraphicsSystemTest, GammaRampsAreTheIdentityAtOneAndClampedOutside)
{
    GammaRamp identity = GraphicsSystem::BuildGammaRamp(1.0f);
    for (size_t i = 0; i < 256; ++i)
        ASSERT_EQ(identity[1][i], i * 257) << i;
    EXPECT_EQ(GraphicsSystem::BuildGammaRamp(5.0f), GraphicsSystem::BuildGammaRamp(3.0f));
    EXPECT_EQ(GraphicsSystem::BuildGammaRamp(0.2f), GraphicsSystem::BuildGammaRamp(0.5f));
    EXPECT_EQ(GraphicsSystem::BuildGammaRamp(std::numeric_limits<float>::quiet_NaN()), identity);
    GammaRamp bright = GraphicsSystem::BuildGammaRamp(2.0f);
    // floor(sqrt(64 / 255) x 255 + 0.5) = 128.
    EXPECT_EQ(bright[0][64], 128 * 257);
    EXPECT_EQ(bright[2][255], 255 * 257);
    EXPECT_EQ(bright[0][0], 0);
    EXPECT_TRUE(GraphicsSystem::IsRampUsable(bright));
}

TEST_F(GraphicsSystemTest, AnUnreadableOrDecreasingRampTurnsGammaOffAndRestoreGivesTheSavedOneBack)
{
    display.deviceRamp[2][200] = 0;
    display.SaveGammaRamp();
    EXPECT_FALSE(display.IsGammaAvailable());
    display.SetGamma(2.0f);
    EXPECT_TRUE(display.written.empty());

    display.deviceRamp = GraphicsSystem::BuildGammaRamp(0.8f);
    display.rampReadable = false;
    display.SaveGammaRamp();
    EXPECT_FALSE(display.IsGammaAvailable());

    display.rampReadable = true;
    display.SaveGammaRamp();
    ASSERT_TRUE(display.IsGammaAvailable());
    display.RestoreGamma();
    EXPECT_TRUE(display.written.empty()) << "nothing was changed";
    display.SetGamma(1.5f);
    display.RestoreGamma();
    ASSERT_EQ(display.written.size(), 2u);
    EXPECT_EQ(display.written[0], GraphicsSystem::BuildGammaRamp(1.5f));
    EXPECT_EQ(display.written[1], display.deviceRamp);
}

TEST_F(GraphicsSystemTest, CursorsAreBuiltOnlyFromPicturesUpTo32x32WithPixels)
{
    std::vector<uint8_t> pixels(48 * 48 * 4, 0xFF);
    EXPECT_TRUE(display.LoadCursor(1, {pixels.data(), 32, 32, 0, 0}));
    EXPECT_TRUE(display.HasCursor(1));
    EXPECT_FALSE(display.LoadCursor(2, {pixels.data(), 48, 48, 0, 0}));
    EXPECT_FALSE(display.LoadCursor(3, {pixels.data(), 33, 1, 0, 0}));
    EXPECT_FALSE(display.LoadCursor(4, {nullptr, 16, 16, 0, 0}));
    EXPECT_FALSE(display.LoadCursor(5, {pixels.data(), 0, 16, 0, 0}));
    EXPECT_FALSE(display.LoadCursor(6, {pixels.data(), 16, -16, 0, 0}));
    // Entries 0 and 8 stay empty; the table has no others.
    for (int32_t entry : {0, 8, 9, -1})
        EXPECT_FALSE(display.LoadCursor(entry, {pixels.data(), 16, 16, 0, 0})) << entry;
    EXPECT_FALSE(display.HasCursor(2));
    EXPECT_FALSE(display.HasCursor(100));
    // A hot spot outside the picture is pulled onto its edge.
    EXPECT_TRUE(display.LoadCursor(7, {pixels.data(), 16, 8, 40, -3}));
    ASSERT_EQ(display.cursorsMade.size(), 2u);
    EXPECT_EQ(display.cursorsMade[1].hotX, 15);
    EXPECT_EQ(display.cursorsMade[1].hotY, 0);
    // A refused picture takes away the entry's earlier cursor.
    EXPECT_FALSE(display.LoadCursor(1, {pixels.data(), 64, 64, 0, 0}));
    EXPECT_FALSE(display.HasCursor(1));
}

TEST_F(GraphicsSystemTest, ACursorsTextureIsLentWithAReferenceTakenAndEmptyEntriesLendNone)
{
    std::vector<int32_t> referenced;
    display.SetTextureReferenceHook([&](int32_t texture) { referenced.push_back(texture); });
    display.SetCursorTexture(1, 40);
    display.SetCursorTexture(7, 41);
    // Entries 0 and 8 have no picture; the table has no others.
    for (int32_t entry : {0, 8, 9, -1})
        display.SetCursorTexture(entry, 50);
    struct Case {
        int32_t entry;
        int32_t texture;
    };
    const Case cases[] = {{1, 40}, {7, 41}, {2, -1}, {0, -1}, {8, -1}, {9, -1}, {-1, -1}};
    for (const Case& c : cases) {
        int32_t texture = 99;
        display.GetCursorTexture(texture, c.entry);
        EXPECT_EQ(texture, c.texture) << c.entry;
    }
    EXPECT_EQ(referenced, (std::vector<int32_t>{40, 41})) << "a reference only for a texture lent";
    display.SetCursorTexture(1, -1);
    int32_t texture = 99;
    display.GetCursorTexture(texture, 1);
    EXPECT_EQ(texture, -1);
    EXPECT_EQ(referenced.size(), 2u);
}

TEST_F(GraphicsSystemTest, AZeroSizedViewKeepsTheLastSize)
{
    std::vector<std::pair<int32_t, int32_t>> heard;
    display.SetViewResizedHook([&](int32_t width, int32_t height) { heard.emplace_back(width, height); });
    display.OnViewResized(1024, 640);
    display.OnViewResized(0, 0);
    display.OnViewResized(1024, 0);
    display.OnViewResized(-5, 300);
    EXPECT_EQ(display.GetViewWidth(), 1024);
    EXPECT_EQ(display.GetViewHeight(), 640);
    EXPECT_EQ(heard, (std::vector<std::pair<int32_t, int32_t>>{{1024, 640}}));
}

TEST_F(GraphicsSystemTest, TheFrameRateCapSleepsWhatIsLeftOfTheBudget)
{
    EXPECT_EQ(display.FrameRateCapDelay(5), 0u);
    gUserVarSystem->SetStringByName("maxFps", "-10");
    EXPECT_EQ(display.FrameRateCapDelay(5), 0u);

    gUserVarSystem->SetStringByName("maxFps", "50");
    // The first frame: 10 ms of work, no sleep before it.
    EXPECT_EQ(display.FrameRateCapDelay(10), 10u);
    // 12 ms of work after that 10 ms sleep: measured 22 ms.
    EXPECT_EQ(display.FrameRateCapDelay(22), 8u);
    // Over budget: no sleep, and the next frame's work is its whole length.
    EXPECT_EQ(display.FrameRateCapDelay(40), 0u);
    EXPECT_EQ(display.FrameRateCapDelay(15), 5u);
    // 30 fps: a budget of 33.3 ms, truncated once the work is taken off.
    gUserVarSystem->SetStringByName("maxFps", "30");
    EXPECT_EQ(display.FrameRateCapDelay(5), 33u);
}

TEST_F(GraphicsSystemTest, SwapsThatDoNotWaitForTheDisplayAreCappedByTheUnsyncedVar)
{
    // Vertical sync paces the loop: no sleep of the game's own.
    EXPECT_EQ(display.FrameRateCapDelay(1), 0u);
    display.SetSwapWaitsForDisplay(false);
    // 120 a second by default: 8 ms less the work.
    EXPECT_EQ(display.FrameRateCapDelay(1), 7u);
    // 10 ms of work after that 7 ms sleep, at 50 a second.
    gUserVarSystem->SetStringByName("maxFpsUnsynced", "50");
    EXPECT_EQ(display.FrameRateCapDelay(17), 10u);
    // "maxFps" set by the player wins; 0 in the unsynced var lets the loop run free.
    gUserVarSystem->SetStringByName("maxFps", "100");
    EXPECT_EQ(display.FrameRateCapDelay(16), 4u);
    gUserVarSystem->SetStringByName("maxFps", "0");
    gUserVarSystem->SetStringByName("maxFpsUnsynced", "0");
    EXPECT_EQ(display.FrameRateCapDelay(3), 0u);
}

} // namespace
