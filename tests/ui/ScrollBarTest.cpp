// ScrollBarTest -- scroll bars and sliders loaded from a menu file and driven by clicks through the UI system: ranges and thumb sizes, the parts under the cursor, paging, dragging with the anchor, held-button repeats, empty lists, and the slider's value mapping.
#include "ui/UiWorld.h"

#include "ui/widgets/UIScrollBar.h"
#include "ui/widgets/UISlider.h"

#include <cmath>

namespace {

// The menu sits at (20, 10): the bar's top-left is at (120, 60) on the screen, 16 x 216.
const char kScrollMenu[] = "name S\nvisible 1\nposition 20 10\nsize 600 400\n"
                           "ScrollBar { internalName Bar position 100 50 size 16 216 }\n"
                           "ScrollBar { internalName Lazy position 300 50 size 16 216 hideIfNotNeeded 1 }\n"
                           "ScrollBar { internalName Across vertical 0 basicSetup 0 300 200 100 }\n"
                           "Slider { internalName Volume position 200 100 size 200 20 userVar sliderValue 0 "
                           "minValue 0 maxValue 10 }\n"
                           "Slider { internalName Flat position 200 200 size 200 20 userVar flatValue 3 "
                           "minValue 3 maxValue 3 }\n"
                           "Slider { internalName Thin position 200 300 size 0 20 userVar thinValue 0 "
                           "minValue 2 maxValue 4 }\n";

class ScrollBarWorld : public UiWorld {
protected:
    void SetUp() override
    {
        WriteMenu("s.mnu", kScrollMenu);
        ui->RegisterCommands();
        bar = dynamic_cast<UIScrollBar*>(ui->FindWidgetByPath("S::Bar"));
        ASSERT_NE(bar, nullptr);
    }

    // A press held at the point; the caller releases.
    void Press(int32_t x, int32_t y)
    {
        MoveCursor(x, y);
        ui->HandleMouseButton(0, true, x, y);
    }
    void Release(int32_t x, int32_t y) { ui->HandleMouseButton(0, false, x, y); }

    UIScrollBar* bar = nullptr;
};

constexpr float kScrollBarLeft = 120.0f;
constexpr float kScrollBarTop = 60.0f;

TEST_F(ScrollBarWorld, TheRangeSizesTheThumbAndTheStep)
{
    EXPECT_FLOAT_EQ(bar->arrowHeight, 16.0f);
    EXPECT_FLOAT_EQ(bar->trackStart, kScrollBarTop + 16.0f);
    // Before any range the thumb fills the track.
    EXPECT_FLOAT_EQ(bar->thumbLength, 184.0f);
    bar->SetRange(100, 10);
    EXPECT_FLOAT_EQ(bar->thumbLength, 18.4f);
    EXPECT_NEAR(bar->stepLength, 1.656f, 1e-4f);
    EXPECT_FALSE(bar->allVisible);
    bar->position = 7;
    bar->SetRange(100, 10);
    EXPECT_EQ(bar->position, 7) << "the same range again moves nothing";
    bar->SetRange(100, 20);
    EXPECT_EQ(bar->position, 0);
    bar->SetRange(5, 10);
    EXPECT_FLOAT_EQ(bar->thumbLength, 184.0f);
    EXPECT_TRUE(bar->allVisible);
}

TEST_F(ScrollBarWorld, EachPartAnswersUpToItsEdges)
{
    bar->SetRange(100, 10);
    ui->Update(0.0f);
    float thumbEnd = bar->thumbPos + bar->thumbLength;
    EXPECT_EQ(bar->HitPart(kScrollBarLeft - 0.5f, kScrollBarTop + 5), UIScrollBar::kOutside);
    EXPECT_EQ(bar->HitPart(kScrollBarLeft + 16.5f, kScrollBarTop + 5), UIScrollBar::kOutside);
    EXPECT_EQ(bar->HitPart(kScrollBarLeft, kScrollBarTop - 0.5f), UIScrollBar::kOutside);
    EXPECT_EQ(bar->HitPart(kScrollBarLeft, kScrollBarTop + 216.5f), UIScrollBar::kOutside);
    EXPECT_EQ(bar->HitPart(kScrollBarLeft, kScrollBarTop), UIScrollBar::kFirstArrow);
    EXPECT_EQ(bar->HitPart(kScrollBarLeft + 16, kScrollBarTop + 15.9f), UIScrollBar::kFirstArrow);
    EXPECT_EQ(bar->HitPart(kScrollBarLeft, kScrollBarTop + 16), UIScrollBar::kThumb);
    EXPECT_EQ(bar->HitPart(kScrollBarLeft, thumbEnd), UIScrollBar::kThumb);
    EXPECT_EQ(bar->HitPart(kScrollBarLeft, thumbEnd + 0.1f), UIScrollBar::kPageForward);
    EXPECT_EQ(bar->HitPart(kScrollBarLeft, kScrollBarTop + 199.9f), UIScrollBar::kPageForward);
    EXPECT_EQ(bar->HitPart(kScrollBarLeft, kScrollBarTop + 200), UIScrollBar::kSecondArrow);
    // The far edge itself belongs to no part's half-open range and falls to the track.
    EXPECT_EQ(bar->HitPart(kScrollBarLeft, kScrollBarTop + 216), UIScrollBar::kPageForward);
    bar->position = 50;
    ui->Update(0.0f);
    EXPECT_EQ(bar->HitPart(kScrollBarLeft, bar->thumbPos - 0.1f), UIScrollBar::kPageBack);
}

TEST_F(ScrollBarWorld, ClicksStepAndPageWithinTheLines)
{
    bar->SetRange(100, 10);
    EXPECT_TRUE(Click(128, 60 + 208));
    EXPECT_EQ(bar->position, 1);
    EXPECT_TRUE(Click(128, 60 + 4));
    EXPECT_TRUE(Click(128, 60 + 4));
    EXPECT_EQ(bar->position, 0) << "the first arrow stops at the first line";
    ui->Update(0.0f);
    EXPECT_TRUE(Click(128, 60 + 150));
    EXPECT_EQ(bar->position, 10);
    bar->position = 95;
    ui->Update(0.0f);
    bar->ScrollByPart(UIScrollBar::kPageForward);
    EXPECT_EQ(bar->position, 99) << "paging past the end stops at the last line";
    bar->ScrollByPart(UIScrollBar::kPageBack);
    EXPECT_EQ(bar->position, 89);
}

TEST_F(ScrollBarWorld, AHeldArrowRepeatsAfterAQuarterSecondThenEveryTwentieth)
{
    bar->SetRange(100, 10);
    Press(128, 60 + 208);
    EXPECT_EQ(bar->position, 1);
    ui->Update(0.2f);
    EXPECT_EQ(bar->position, 1);
    ui->Update(0.06f);
    EXPECT_EQ(bar->position, 2);
    ui->Update(0.04f);
    EXPECT_EQ(bar->position, 2);
    ui->Update(0.02f);
    EXPECT_EQ(bar->position, 3);
    ui->Update(0.06f);
    EXPECT_EQ(bar->position, 4);
    Release(128, 60 + 208);
    ui->Update(1.0f);
    EXPECT_EQ(bar->position, 4) << "the release ends the repeat";
    EXPECT_FALSE(bar->repeatArmed);
}

TEST_F(ScrollBarWorld, TheDraggedThumbKeepsTheFractionOfALine)
{
    bar->SetRange(100, 10);
    ui->Update(0.0f);
    auto grab = static_cast<int32_t>(bar->thumbPos + 5);
    Press(128, grab);
    EXPECT_EQ(bar->pressedPart, UIScrollBar::kThumb);
    float step = bar->stepLength;
    // Two and a half lines down.
    bar->DragBy(2.5f * step, false);
    EXPECT_EQ(bar->position, 2);
    EXPECT_NEAR(bar->dragAnchorY, static_cast<float>(grab) + 2.0f * step, 1e-3f);
    bar->DragBy(0.5f * step + 1e-3f, false);
    EXPECT_EQ(bar->position, 2) << "half a line more moves nothing yet";
    // Through the cursor: the frame drags the thumb to it.
    MoveCursor(128, static_cast<int32_t>(std::ceil(bar->dragAnchorY + step)));
    ui->Update(0.0f);
    EXPECT_EQ(bar->position, 3);
    Release(128, 0);
    MoveCursor(128, 250);
    ui->Update(0.0f);
    EXPECT_EQ(bar->position, 3) << "the released thumb no longer follows";
}

TEST_F(ScrollBarWorld, WithNoLinesNothingMovesOffTheFirstLine)
{
    bar->SetRange(0, 10);
    EXPECT_FLOAT_EQ(bar->stepLength, 0.0f);
    Click(128, 60 + 208);
    EXPECT_EQ(bar->position, 0);
    Click(128, 60 + 100);
    EXPECT_EQ(bar->position, 0);
    bar->DragBy(500.0f, true);
    EXPECT_EQ(bar->position, 0);
    bar->ClampPosition();
    EXPECT_EQ(bar->position, 0);
}

TEST_F(ScrollBarWorld, ABarHiddenWhenAllFitsTakesNoClicks)
{
    auto* lazy = dynamic_cast<UIScrollBar*>(ui->FindWidgetByPath("S::Lazy"));
    ASSERT_NE(lazy, nullptr);
    lazy->SetRange(5, 10);
    EXPECT_FALSE(lazy->IsVisible());
    EXPECT_FALSE(Click(328, 60 + 208));
    lazy->SetRange(50, 10);
    EXPECT_TRUE(lazy->IsVisible());
    EXPECT_TRUE(Click(328, 60 + 208));
    EXPECT_EQ(lazy->position, 1);
}

TEST_F(ScrollBarWorld, BasicSetupPutsAHorizontalBarAlongTheAreasBottom)
{
    auto* across = dynamic_cast<UIScrollBar*>(ui->FindWidgetByPath("S::Across"));
    ASSERT_NE(across, nullptr);
    EXPECT_FLOAT_EQ(across->UIWidget::position[0], 0.0f);
    EXPECT_FLOAT_EQ(across->UIWidget::position[1], 384.0f);
    EXPECT_FLOAT_EQ(across->size[0], 200.0f);
    EXPECT_FLOAT_EQ(across->size[1], 16.0f);
    EXPECT_FLOAT_EQ(across->trackStart, 20.0f + 16.0f);
    across->SetRange(20, 5);
    EXPECT_TRUE(Click(20 + 200 - 4, 10 + 384 + 8));
    EXPECT_EQ(across->position, 1);
}

TEST_F(ScrollBarWorld, AClonedBarKeepsItsRangeAndPlace)
{
    bar->SetRange(100, 10);
    bar->position = 12;
    std::unique_ptr<UIWidget> copy(UISystem::CloneWidget(bar));
    auto* cloned = dynamic_cast<UIScrollBar*>(copy.get());
    ASSERT_NE(cloned, nullptr);
    EXPECT_EQ(cloned->position, 12);
    EXPECT_EQ(cloned->count, 100);
    EXPECT_FLOAT_EQ(cloned->stepLength, bar->stepLength);
}

class SliderWorld : public ScrollBarWorld {};

TEST_F(SliderWorld, AClickWritesTheValueAtThePoint)
{
    // The bar spans x 220 .. 420 on the screen; the notch starts at the left end.
    Click(420, 120);
    EXPECT_EQ(vars.GetStringByName("sliderValue"), "10.000000");
    Click(220, 120);
    EXPECT_EQ(vars.GetStringByName("sliderValue"), "0.000000");
    Click(320, 120);
    EXPECT_EQ(vars.GetStringByName("sliderValue"), "5.000000");
}

TEST_F(SliderWorld, TheNotchFollowsTheValueWithoutClamping)
{
    auto* volume = dynamic_cast<UISlider*>(ui->FindWidgetByPath("S::Volume"));
    ASSERT_NE(volume, nullptr);
    vars.SetStringByName("sliderValue", "2.5");
    EXPECT_FLOAT_EQ(volume->GetNotchX(), 220.0f + 50.0f - 4.0f);
    vars.SetStringByName("sliderValue", "15");
    EXPECT_FLOAT_EQ(volume->GetNotchFraction(), 1.5f);
    auto* flat = dynamic_cast<UISlider*>(ui->FindWidgetByPath("S::Flat"));
    EXPECT_FLOAT_EQ(flat->GetNotchFraction(), 0.5f) << "an equal minimum and maximum puts the notch midway";
    Click(220 + 30, 220);
    EXPECT_EQ(vars.GetStringByName("flatValue"), "3.000000");
}

TEST_F(SliderWorld, APressOnTheNotchDragsUntilTheRelease)
{
    vars.SetStringByName("sliderValue", "5");
    auto* volume = dynamic_cast<UISlider*>(ui->FindWidgetByPath("S::Volume"));
    Press(320, 120);
    EXPECT_TRUE(volume->repeatArmed);
    EXPECT_EQ(vars.GetStringByName("sliderValue"), "5") << "grabbing the notch writes nothing yet";
    MoveCursor(260, 120);
    ui->Update(0.0f);
    EXPECT_EQ(vars.GetStringByName("sliderValue"), "2.000000");
    MoveCursor(100, 120);
    ui->Update(0.0f);
    EXPECT_EQ(vars.GetStringByName("sliderValue"), "0.000000") << "dragged past the end it stops at the minimum";
    Release(100, 120);
    EXPECT_FALSE(volume->repeatArmed);
    MoveCursor(400, 120);
    ui->Update(0.0f);
    EXPECT_EQ(vars.GetStringByName("sliderValue"), "0.000000");
}

TEST_F(SliderWorld, ABarOfNoWidthWritesItsMinimum)
{
    auto* thin = dynamic_cast<UISlider*>(ui->FindWidgetByPath("S::Thin"));
    ASSERT_NE(thin, nullptr);
    thin->SetFromX(500.0f);
    EXPECT_EQ(vars.GetStringByName("thinValue"), "2.000000");
}

} // namespace
