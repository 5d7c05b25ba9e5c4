// DropDownMenuTest -- drop-down menus loaded from a menu file and clicked through the client's click order: opening takes the client's open drop-down claim, the next click anywhere goes to the open menu, a choice runs its command and every close gives the claim back, also when the menu is destroyed open; in the shipped game offscreen, the open list drawn on its black ground with the row under the cursor in the hover colour.
#include "app/OffscreenShots.h"
#include "ui/UiWorld.h"

#include "client/ClientApp.h"
#include "client/ClientInput.h"
#include "render/TextMeasure.h"
#include "ui/widgets/UIDropDownMenu.h"

namespace {

class DropDownMenu : public UiWorld {
protected:
    void SetUp() override
    {
        gClientApp = &app;
        app.SetUi(ui.get());
        WriteMenu("d.mnu", "name D\nvisible 1\nsize 640 480\n"
                           "DropDownMenu { internalName Pick position 100 100 baseSize 120 20 choiceSize 120 20 "
                           "text Pick addChoice First \"record first\" addChoice Twice \"record one\" "
                           "addChoice Twice \"record two\" }\n"
                           "DropDownMenu { internalName Bare position 300 100 baseSize 80 20 choiceSize 80 20 }\n"
                           "Widget { internalName Under position 100 130 size 120 60 canClick 1 "
                           "addCommand \"record under\" }\n");
        ui->RegisterCommands();
        pick = dynamic_cast<UIDropDownMenu*>(ui->FindWidgetByPath("D::Pick"));
        ASSERT_NE(pick, nullptr) << "the factory makes the kind";
        ui->Update(0.0f);
    }
    void TearDown() override
    {
        app.SetUi(nullptr);
        gClientApp = nullptr;
    }

    // A press and a release as the client's input hands them on.
    void Press(int32_t x, int32_t y)
    {
        MoveCursor(x, y);
        Client::OnButtonPress(0, true, x, y);
        Client::OnButtonPress(0, false, x, y);
    }

    ClientApp app;
    UIDropDownMenu* pick = nullptr;
};

TEST_F(DropDownMenu, AChoiceRunsItsCommandAndGivesTheClaimBack)
{
    ASSERT_EQ(pick->choices.size(), 3u);
    EXPECT_EQ(pick->choices[1].label, "Twice") << "a repeated label is kept in file order";
    EXPECT_EQ(pick->choices[2].command, "record two");
    Press(110, 110);
    EXPECT_TRUE(pick->IsOpen());
    EXPECT_EQ(app.GetOpenDropDown(), pick);
    EXPECT_EQ(pick->size[1], 80.0f) << "open: the head and three rows";
    EXPECT_TRUE(TakeRan().empty());
    // Row 0 runs from one row below the top: y 120 is still the head, 121 .. 140 the first row.
    EXPECT_EQ(pick->GetChoiceAt(120.0f), -1);
    EXPECT_EQ(pick->GetChoiceAt(121.0f), 0);
    EXPECT_EQ(pick->GetChoiceAt(160.0f), 1);
    EXPECT_EQ(pick->GetChoiceAt(161.0f), 2);
    EXPECT_EQ(pick->GetChoiceAt(181.0f), -1);
    Press(500, 165) ;
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"two"}) << "x is not tested, and the widget under is not asked";
    EXPECT_FALSE(pick->IsOpen());
    EXPECT_EQ(pick->size[1], 20.0f);
    EXPECT_EQ(app.GetOpenDropDown(), nullptr);
}

TEST_F(DropDownMenu, AClickOnTheHeadOrBelowTheRowsClosesAndRunsNothing)
{
    Press(110, 110);
    Press(110, 110);
    EXPECT_FALSE(pick->IsOpen());
    EXPECT_TRUE(TakeRan().empty());
    Press(110, 110);
    Press(110, 185);
    EXPECT_FALSE(pick->IsOpen());
    EXPECT_TRUE(TakeRan().empty()) << "the claimed click below the rows reaches no widget";
    EXPECT_EQ(app.GetOpenDropDown(), nullptr);
    Press(110, 150);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"under"}) << "closed, clicks reach the menus again";
}

TEST_F(DropDownMenu, WithoutChoicesTheOpenMenuKeepsItsClosedHeight)
{
    auto* bare = dynamic_cast<UIDropDownMenu*>(ui->FindWidgetByPath("D::Bare"));
    ASSERT_NE(bare, nullptr);
    Press(310, 110);
    EXPECT_TRUE(bare->IsOpen());
    EXPECT_EQ(bare->size[1], 20.0f);
}

TEST_F(DropDownMenu, AMenuDestroyedOpenGivesTheClaimBack)
{
    Press(110, 110);
    ASSERT_EQ(app.GetOpenDropDown(), pick);
    std::unique_ptr<UIWidget> copy(UISystem::CloneWidget(pick));
    auto* copied = dynamic_cast<UIDropDownMenu*>(copy.get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->choices.size(), 3u);
    EXPECT_FALSE(copied->IsOpen()) << "a copy holds no claim";
    copy.reset();
    EXPECT_EQ(app.GetOpenDropDown(), pick);
    ui->LoadMenus(true);
    EXPECT_EQ(app.GetOpenDropDown(), nullptr) << "the reload destroyed the open menu";
    Press(110, 150);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"under"});
}

// Over a white panel: a menu whose rows are white, the row under the cursor green.
const char kDropDownDrawMenu[] =
    "MenuType Menu\nname Drops\nposition 0 0\nsize 640 480\n"
    "Widget { internalName Panel drawOrder -2 position 80 80 size 320 200 texture \"Textures/white.tga\" }\n"
    "DropDownMenu { internalName Pick position 100 100 baseSize 200 24 choiceSize 200 24 text Pick "
    "color \"1 1 1\" hoverColor \"0 1 0\" addChoice \"A\" \"record a\" "
    "addChoice \"Second\" \"record b\" addChoice \"C\" \"record c\" }\n";

class DropDownMenuDraw : public OffscreenShotGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        folder.Write("Assets/UI/drops.mnu", kDropDownDrawMenu);
        folder.Write("User/user.cfg", "r_width 640\nr_height 480\n");
        ASSERT_TRUE(app.StartUp());
        app.RunFrame();
    }

    // Row i's band of the screen: the rows start one row below the menu's top at 100.
    static constexpr int kRowHeight = 24;
    static int RowTop(int row) { return 100 + kRowHeight * (row + 1); }
    // A row's letters are counted away from its edges, so that a pixel or two of rounding puts
    // no letter of the next row in its band.
    static constexpr int kInset = 3;

    static int CountGreen(const TargaImage& shot, int x1, int row)
    {
        return CountPixels(shot, 100, RowTop(row) + kInset, x1, RowTop(row) + kRowHeight - kInset,
                           [](const auto& p) { return p[1] > 180 && p[0] < 90 && p[2] < 90; });
    }
    static int CountWhite(const TargaImage& shot, int x1, int row)
    {
        return CountPixels(shot, 100, RowTop(row) + kInset, x1, RowTop(row) + kRowHeight - kInset,
                           [](const auto& p) { return std::min({p[0], p[1], p[2]}) > 180; });
    }
    static int CountBlack(const TargaImage& shot, int x0, int y0, int x1, int y1)
    {
        return CountPixels(shot, x0, y0, x1, y1, [](const auto& p) { return std::max({p[0], p[1], p[2]}) < 40; });
    }
};

TEST_F(DropDownMenuDraw, TheOpenListLiesOnBlackWithTheRowUnderTheCursorInTheHoverColour)
{
    TypeOnConsole("showMenu Drops");
    gUserVarSystem->SetStringByName("r_screenshotType", "2");
    auto* pick = dynamic_cast<UIDropDownMenu*>(gUISystem->FindWidgetByPath("Drops::Pick"));
    ASSERT_NE(pick, nullptr);
    // The list is as wide as its widest label; the cursor rests right of it, inside the menu.
    int listRight = 100 + static_cast<int>(MeasureTextA("Second", pick->font.GetValue()).width);
    ASSERT_GT(listRight, 150);
    ASSERT_LT(listRight, 280);
    const int cursorX = 295;

    // Closed, the panel shows white where the rows will lie.
    TargaImage closed = Screenshot(cursorX, RowTop(1) + kRowHeight / 2);
    EXPECT_EQ(CountBlack(closed, 100, RowTop(0), listRight, RowTop(3)), 0) << "no list is drawn while closed";
    KeepFailedFrame("DropDownMenuDraw");

    ClickAt(110, 110);
    ASSERT_TRUE(pick->IsOpen());
    for (int hovered : {1, 2}) {
        TargaImage open = Screenshot(cursorX, RowTop(hovered) + kRowHeight / 2);
        // Black under the rows across the widest label, right of the short ones too; right of
        // the widest label the panel shows again.
        EXPECT_GT(CountBlack(open, 120, RowTop(0) + 2, 140, RowTop(1) - 2), 200) << "the list's ground is black";
        EXPECT_GT(CountBlack(open, 120, RowTop(2) + 2, 140, RowTop(3) - 2), 200);
        EXPECT_EQ(CountBlack(open, listRight + 4, RowTop(0), listRight + 40, RowTop(1)), 0)
            << "the ground ends with the widest label";
        for (int row = 0; row < 3; ++row) {
            if (row == hovered) {
                EXPECT_GT(CountGreen(open, listRight, row), 5) << "the hovered row " << row << " is green";
                EXPECT_EQ(CountWhite(open, listRight, row), 0) << "and only green";
            } else {
                EXPECT_EQ(CountGreen(open, listRight, row), 0) << "row " << row << " is not hovered";
                EXPECT_GT(CountWhite(open, listRight, row), 5) << "row " << row << " is in the normal colour";
            }
        }
        KeepFailedFrame("DropDownMenuDraw");
    }
}

} // namespace
