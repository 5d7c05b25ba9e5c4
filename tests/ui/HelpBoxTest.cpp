// HelpBoxTest -- where the help box puts its boxes (above, below, beside an anchor, clear of the boxes placed before), and the labels of things in the world: which show, the Alt key and its toggle, and a press on a label handed to the player.
#include "ui/UiWorld.h"

#include "ui/widgets/UIHelp.h"

#include <algorithm>
#include <cmath>

namespace {

// Boxes of w x h text; the border is 5 each way, so the frame is w + 10 by h + 10.
class HelpBoxLayout : public ::testing::Test {
protected:
    // The frame's upper-left corner after placing a w x h text by the anchor.
    std::array<float, 2> Place(float ax, float ay, float w, float h, bool avoid = true, float side = 32.0f)
    {
        const float anchor[2] = {ax, ay};
        const float extent[2] = {side, side};
        help.Layout(w, h, anchor, extent, avoid);
        return {help.position[0] - 5.0f, help.position[1] - 5.0f};
    }

    static bool Overlap(const UIHelp::PlacedBox& a, const UIHelp::PlacedBox& b)
    {
        return a.left <= b.right && a.right >= b.left && a.top <= b.bottom && a.bottom >= b.top;
    }

    UIHelp help;
};

TEST_F(HelpBoxLayout, ABoxWithoutAnchorStandsAtTheBasePositionInsideTheRightMargin)
{
    const float none[2] = {0.0f, 0.0f};
    help.basePosition[0] = 630.0f;
    help.basePosition[1] = 10.0f;
    help.Layout(100.0f, 12.0f, none, none, true);
    EXPECT_FLOAT_EQ(help.position[0], 635.0f - 110.0f) << "the frame's outer right edge at 630";
    EXPECT_FLOAT_EQ(help.position[1], 10.0f);
    EXPECT_TRUE(help.GetPlacedBoxes().empty()) << "a box without anchor is never recorded";

    help.basePosition[0] = 100.0f;
    help.Layout(100.0f, 12.0f, none, none, true);
    EXPECT_FLOAT_EQ(help.position[0], 100.0f) << "the text's corner is the base position itself";
}

TEST_F(HelpBoxLayout, AboveTheAnchorWhenThereIsRoomElseBelowElseCentredBesideIt)
{
    // 110 x 40 frames: above is anchor y - 60, centred on the anchor across.
    auto above = Place(300.0f, 200.0f, 100.0f, 30.0f, false);
    EXPECT_FLOAT_EQ(above[0], 316.0f - 55.0f);
    EXPECT_FLOAT_EQ(above[1], 140.0f);
    auto below = Place(300.0f, 10.0f, 100.0f, 30.0f, false);
    EXPECT_FLOAT_EQ(below[1], 10.0f + 32.0f + 20.0f);

    // 430 high: neither above nor below fits, so the box is centred on the screen's height and
    // goes to the left of the anchor, or to its right when the left has no room.
    auto left = Place(300.0f, 10.0f, 100.0f, 420.0f, false);
    EXPECT_FLOAT_EQ(left[1], 240.0f - 215.0f);
    EXPECT_FLOAT_EQ(left[0], 300.0f - 20.0f - 110.0f);
    auto right = Place(50.0f, 10.0f, 100.0f, 420.0f, false);
    EXPECT_FLOAT_EQ(right[0], 50.0f + 32.0f + 20.0f);
    auto squeezed = Place(50.0f, 10.0f, 600.0f, 420.0f, false);
    EXPECT_FLOAT_EQ(Place(300.0f, 10.0f, 100.0f, 400.0f, false)[1], 62.0f) << "472 high still fits below";
    EXPECT_FLOAT_EQ(squeezed[0], 5.0f) << "neither side fits: centred, then held 5 from the left";
}

TEST_F(HelpBoxLayout, ACentredBoxKeepsFiveUnitsFromEitherEdge)
{
    EXPECT_FLOAT_EQ(Place(620.0f, 200.0f, 100.0f, 30.0f, false)[0], 635.0f - 110.0f);
    EXPECT_FLOAT_EQ(Place(0.0f, 200.0f, 100.0f, 30.0f, false)[0], 5.0f);
}

TEST_F(HelpBoxLayout, TheSecondOfTwoBoxesAtOnePointGoesJustBelowTheFirstWhenNoFartherThanAbove)
{
    auto first = Place(300.0f, 200.0f, 100.0f, 30.0f);
    auto second = Place(300.0f, 200.0f, 100.0f, 30.0f);
    EXPECT_FLOAT_EQ(second[0], first[0]) << "x never changes";
    EXPECT_FLOAT_EQ(second[1], first[1] + 40.0f + 1.0f) << "one unit below the first";
    // The third meets the first again: above it is 41 away, below the second 82.
    auto third = Place(300.0f, 200.0f, 100.0f, 30.0f);
    EXPECT_FLOAT_EQ(third[1], first[1] - 40.0f - 1.0f);
    ASSERT_EQ(help.GetPlacedBoxes().size(), 3u);
}

// The second box starts at the first box's outer right edge, 32 below the first text's top; it
// goes to the first box's left when it would cross 635 (never left of 5), and is centred on the
// screen's height when it would reach past 480.
TEST_F(HelpBoxLayout, TheSecondBoxStandsBesideTheFirstOrLeftOfItAndCentredWhenTooLow)
{
    struct Case {
        const char* what;
        float firstX;
        float firstY;
        float firstWidth;
        float w2;
        float h2;
        float x;
        float y;
    };
    const Case cases[] = {
        {"to the right", 100.0f, 50.0f, 80.0f, 60.0f, 20.0f, 100.0f + 5.0f + 80.0f + 5.0f, 50.0f + 32.0f + 5.0f},
        {"to the left", 500.0f, 50.0f, 80.0f, 100.0f, 20.0f, 585.0f - (80.0f + 110.0f + 10.0f) + 5.0f, 87.0f},
        {"held 5 from the left", 10.0f, 50.0f, 600.0f, 100.0f, 20.0f, 5.0f + 5.0f, 87.0f},
        {"centred down the screen", 100.0f, 440.0f, 80.0f, 60.0f, 30.0f, 190.0f, 240.0f - 20.0f + 5.0f},
    };
    for (const Case& c : cases) {
        help.position[0] = c.firstX;
        help.position[1] = c.firstY;
        help.LayoutSecond(c.firstWidth, c.w2, c.h2);
        EXPECT_FLOAT_EQ(help.position[0], c.x) << c.what;
        EXPECT_FLOAT_EQ(help.position[1], c.y) << c.what;
        EXPECT_FLOAT_EQ(help.size[0], c.w2) << c.what;
        EXPECT_FLOAT_EQ(help.size[1], c.h2) << c.what;
    }
}

TEST_F(HelpBoxLayout, AColumnOfTenBoxesNeverOverlapsAndAlternatesAroundTheAnchor)
{
    std::vector<float> tops;
    for (int i = 0; i < 10; ++i)
        tops.push_back(Place(300.0f, 240.0f, 100.0f, 30.0f)[1]);
    const auto& boxes = help.GetPlacedBoxes();
    ASSERT_EQ(boxes.size(), 10u);
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(Overlap(boxes[i], boxes[j])) << "boxes " << i << " and " << j;
    // The first stands above the anchor at 180; the others take the nearer free place, below first on a tie.
    const float expected[] = {180.0f, 221.0f, 139.0f, 262.0f, 98.0f, 303.0f, 57.0f, 344.0f, 16.0f, 385.0f};
    for (int i = 0; i < 10; ++i)
        EXPECT_FLOAT_EQ(tops[static_cast<size_t>(i)], expected[i]) << "box " << i;
}

TEST_F(HelpBoxLayout, AnUpwardMoveWhollyAboveTheScreenIsTakenAndADownwardOnePastTheBottomToo)
{
    // The first frame's top is at 0: moving above it leaves the screen altogether.
    EXPECT_FLOAT_EQ(Place(300.0f, 60.0f, 100.0f, 30.0f)[1], 0.0f);
    EXPECT_FLOAT_EQ(Place(300.0f, 60.0f, 100.0f, 30.0f)[1], -41.0f) << "taken, and not seen";

    // A frame 478 high centred at 1 .. 479: above it there is room to search, below it none.
    help.ClearPlacedBoxes();
    EXPECT_FLOAT_EQ(Place(300.0f, 10.0f, 100.0f, 468.0f)[1], 1.0f);
    EXPECT_FLOAT_EQ(Place(300.0f, 10.0f, 100.0f, 468.0f)[1], 480.0f) << "below the screen replaces the upward place";
}

} // namespace

namespace {

// The things lying in the world as the client would report them.
class LabelView : public FakeGameView {
public:
    void GetHelpEntities(std::vector<int32_t>& out) const override { out = labelled; }
    bool GetEntityScreenPoint(int32_t entity, float& x, float& y) const override
    {
        auto found = points.find(entity);
        if (found == points.end())
            return false;
        x = found->second[0];
        y = found->second[1];
        return true;
    }
    bool GetHoverText(int32_t entity, std::string& text, bool& placed, float& x, float& y) const override
    {
        if (std::find(labelled.begin(), labelled.end(), entity) == labelled.end() || secret.count(entity) != 0)
            return false;
        text = "Thing " + std::to_string(entity);
        placed = false;
        x = y = 0.0f;
        return true;
    }
    bool UseLeftButtonActionOn(int32_t entity) override
    {
        used.push_back(entity);
        return true;
    }

    std::vector<int32_t> labelled;
    std::map<int32_t, std::array<float, 2>> points;
    std::set<int32_t> secret;
    std::vector<int32_t> used;
};

class HelpBoxLabels : public UiWorld {
protected:
    void SetUp() override
    {
        WriteMenu("helpbottom.mnu", "name HelpBottom\nsize 640 480\nalwaysOnBottom 1\nalwaysHandleInput 1\ninGameOnly\n"
                                    "Help { internalName Help showItemsHelp 1 showPopupHelp 0 }\n");
        WriteMenu("pause.mnu", "name Pause\nsize 640 480\nWidget { internalName Back position 0 0 size 10 10 }\n");
        ui->RegisterCommands();
        help = dynamic_cast<UIHelp*>(ui->helpBottomBox);
        ASSERT_NE(help, nullptr) << "the UI system finds the help box of HelpBottom";
        labels.running = true;
        labels.player = true;
        ui->SetGameView(&labels);
    }

    void Put(int32_t entity, float x, float y)
    {
        labels.labelled.push_back(entity);
        labels.points[entity] = {x, y};
    }

    // One frame of the bottom help box, the keys pressed in it then forgotten as the client does.
    size_t DrawnLabels()
    {
        ui->DrawHelpBottom(0.016f);
        input.ClearPressed();
        return help->GetPlacedBoxes().size();
    }

    void HoldAlt(bool down)
    {
        if (down)
            input.OnKeyDown(UIHelp::kKeyLeftAlt);
        else
            input.OnKeyUp(UIHelp::kKeyLeftAlt);
    }

    LabelView labels;
    UIHelp* help = nullptr;
};

TEST_F(HelpBoxLabels, OnlyThingsWhosePointLiesOnTheScreenGetALabel)
{
    Put(1, 0.0f, 0.0f);
    Put(2, 639.5f, 479.5f);
    Put(3, 640.0f, 100.0f);
    Put(4, 100.0f, 480.0f);
    Put(5, -0.5f, 100.0f);
    Put(6, 100.0f, -0.5f);
    Put(7, std::nanf(""), 100.0f);
    labels.labelled.push_back(8); // on no level: no point
    Put(9, 300.0f, 300.0f);
    labels.secret.insert(9);
    HoldAlt(true);
    EXPECT_EQ(DrawnLabels(), 2u) << "the two corners inside 0 <= x < 640 and 0 <= y < 480";
}

TEST_F(HelpBoxLabels, AltShowsTheLabelsWhileHeldOrTogglesThemWithTheSetting)
{
    Put(1, 300.0f, 300.0f);
    EXPECT_EQ(DrawnLabels(), 0u) << "no labels without Alt";
    HoldAlt(true);
    EXPECT_EQ(DrawnLabels(), 1u);
    EXPECT_EQ(DrawnLabels(), 1u) << "still held";
    HoldAlt(false);
    help->ClearPlacedBoxes();
    EXPECT_EQ(DrawnLabels(), 0u);

    vars.SetStringByName("ui_useShowItemsToggle", "1");
    EXPECT_EQ(DrawnLabels(), 1u) << "the toggle starts on";
    HoldAlt(true);
    HoldAlt(false);
    help->ClearPlacedBoxes();
    EXPECT_EQ(DrawnLabels(), 0u) << "a press of Alt turns them off";
    EXPECT_EQ(DrawnLabels(), 0u) << "and they stay off with Alt let go";
    input.OnKeyDown(UIHelp::kKeyRightAlt);
    EXPECT_EQ(DrawnLabels(), 1u) << "the right Alt turns them on again";

    ui->PushMenuByName("Pause");
    help->ClearPlacedBoxes();
    EXPECT_EQ(DrawnLabels(), 0u) << "a menu that stops the world hides them";
}

TEST_F(HelpBoxLabels, APressOnALabelGivesItsThingToThePlayersLeftButtonAction)
{
    Put(4, 200.0f, 200.0f);
    Put(5, 400.0f, 300.0f);
    HoldAlt(true);
    ASSERT_EQ(DrawnLabels(), 2u);
    UIHelp::PlacedBox second = help->GetPlacedBoxes()[1];
    EXPECT_TRUE(Click(static_cast<int32_t>(second.left) + 1, static_cast<int32_t>(second.bottom) - 1));
    EXPECT_EQ(labels.used, std::vector<int32_t>{5});

    EXPECT_FALSE(Click(20, 460)) << "a press beside every label goes on to the world";
    EXPECT_FALSE(Click(static_cast<int32_t>(second.left) + 1, static_cast<int32_t>(second.bottom) - 1, 1))
        << "only the left button";
    labels.player = false;
    EXPECT_FALSE(Click(static_cast<int32_t>(second.left) + 1, static_cast<int32_t>(second.bottom) - 1));
    HoldAlt(false);
    labels.player = true;
    EXPECT_FALSE(Click(static_cast<int32_t>(second.left) + 1, static_cast<int32_t>(second.bottom) - 1))
        << "no labels shown, none pressed";
    EXPECT_EQ(labels.used, std::vector<int32_t>{5});
}

TEST_F(HelpBoxLabels, FifteenHundredThingsAtOnePointAllGetLabelsThatNeverOverlap)
{
    for (int32_t entity = 0; entity < 1500; ++entity)
        Put(entity, 320.0f, 240.0f);
    HoldAlt(true);
    ASSERT_EQ(DrawnLabels(), 1500u);
    const auto& boxes = help->GetPlacedBoxes();
    int32_t onScreen = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_FLOAT_EQ(boxes[i].left, boxes[0].left);
        onScreen += boxes[i].bottom >= 0.0f && boxes[i].top < 480.0f;
        bool seen = boxes[i].bottom >= 0.0f && boxes[i].top < 480.0f;
        for (size_t j = 0; seen && j < i; ++j) {
            ASSERT_FALSE(boxes[i].left <= boxes[j].right && boxes[i].top <= boxes[j].bottom &&
                         boxes[i].bottom >= boxes[j].top)
                << "labels " << i << " and " << j;
        }
    }
    EXPECT_GT(onScreen, 10) << "a screenful of them is seen";
}

} // namespace
