// FrameRateCounterEndToEndTest -- the shipped game's frame-rate counter on the test clock: drawn in white at the top left while "fps" is set, the last frame's rate without smoothing (nothing after a frame that took no time), and with "smoothFps" 1.0 the frames of the last full second or more, held between samples.
#include "app/OffscreenShots.h"

#include "core/StringUtil.h"
#include "resources/fonts/ScreenText.h"

namespace {

// The counter's texts as the screen text draws them, with the box of the last one.
class FrameRateTexts : public ScreenTextWatcher {
public:
    void OnText(std::u16string_view shown, const std::vector<Box>& lines) override
    {
        std::string words = WideToNarrow(WString(shown));
        if (words.size() <= 4 || words.compare(words.size() - 4, 4, " fps") != 0)
            return;
        texts.push_back(words);
        if (!lines.empty())
            box = lines.front();
    }
    void OnRect(int32_t, float, float, float, float, float) override {}

    std::vector<std::string> texts;
    Box box;
};

class FrameRateCounter : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        // Uncapped, the loop never sleeps: each frame lasts just what the test's clock moves.
        StartShippedGame("maxFpsUnsynced 0\n");
        ASSERT_NE(gScreenText, nullptr);
        gScreenText->SetWatcher(&watcher);
    }
    void TearDown() override
    {
        if (gScreenText)
            gScreenText->SetWatcher(nullptr);
    }

    // One frame of that many milliseconds; the counter's text it drew, empty for none.
    std::string FrameOf(uint32_t milliseconds)
    {
        watcher.texts.clear();
        now += milliseconds;
        app.RunFrame();
        return watcher.texts.empty() ? std::string() : watcher.texts.back();
    }

    // The screenshot key's picture, its frames that many milliseconds each, and the counter's
    // text in it.
    TargaImage ShotOf(uint32_t milliseconds)
    {
        watcher.texts.clear();
        TargaImage image = Screenshot(639, 479, milliseconds);
        lastShotText = watcher.texts.empty() ? std::string() : watcher.texts.back();
        return image;
    }

    FrameRateTexts watcher;
    std::string lastShotText;
};

TEST_F(FrameRateCounter, UnsmoothedItShowsTheLastFramesRateInWhiteAtTheTopLeft)
{
    gUserVarSystem->SetStringByName("r_screenshotType", "2");
    TargaImage without = ShotOf(40);
    EXPECT_EQ(lastShotText, "") << "nothing while \"fps\" is 0";
    gUserVarSystem->SetStringByName("fps", "1");
    const std::pair<uint32_t, const char*> frames[] = {{40, "25.0 fps"}, {50, "20.0 fps"}, {8, "125.0 fps"},
                                                       {3, "333.3 fps"}, {40, "25.0 fps"}};
    for (const auto& [milliseconds, text] : frames)
        EXPECT_EQ(FrameOf(milliseconds), text) << milliseconds << " ms";
    EXPECT_EQ(FrameOf(0), "") << "a frame that took no time shows no rate";
    EXPECT_EQ(FrameOf(40), "25.0 fps");

    TargaImage with = ShotOf(40);
    EXPECT_EQ(lastShotText, "25.0 fps");
    const ScreenTextWatcher::Box& box = watcher.box;
    EXPECT_NEAR(box.x0, 10.0f, 3.0f) << "the text starts at (10, 10)";
    EXPECT_NEAR(box.y0, 10.0f, 6.0f);
    int x0 = static_cast<int>(box.x0);
    int y0 = static_cast<int>(box.y0);
    int x1 = static_cast<int>(box.x1) + 1;
    int y1 = static_cast<int>(box.y1) + 1;
    auto white = [](const std::array<int, 3>& p) { return std::min({p[0], p[1], p[2]}) > 200; };
    EXPECT_GT(CountPixels(with, x0, y0, x1, y1, white), 10) << "the rate is drawn in white";
    EXPECT_GT(ChangedPixels(with, without, x0, y0, x1, y1, 60), 10) << "and is not there without \"fps\"";
    KeepFailedFrame("FrameRateCounter");
}

TEST_F(FrameRateCounter, SmoothedOverASecondItShowsTheFramesOfTheLastFullSecondOrMore)
{
    gUserVarSystem->SetStringByName("fps", "1");
    gUserVarSystem->SetStringByName("smoothFps", "1.0");
    // Frames of 30 ms: a sample is due once a second has passed, at the 34th frame (1.02 s).
    std::vector<std::string> shown;
    for (int i = 0; i < 140; ++i)
        shown.push_back(FrameOf(30));
    EXPECT_EQ(shown.back(), "33.3 fps");
    // Before the first sample nothing is counted yet; from it on the rate stays.
    size_t changes = 0;
    for (size_t i = 1; i < shown.size(); ++i)
        changes += shown[i] != shown[i - 1] ? 1 : 0;
    EXPECT_LE(changes, 2u);
    // A slower frame alone changes nothing shown; a full second of them shows their rate.
    EXPECT_NE(FrameOf(50), "20.0 fps") << "held until the sample is due";
    for (int i = 0; i < 60; ++i)
        FrameOf(50);
    EXPECT_EQ(FrameOf(50), "20.0 fps");
}

} // namespace
