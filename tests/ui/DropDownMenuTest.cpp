// DropDownMenuTest -- drop-down menus loaded from a menu file and clicked through the client's click order: opening takes the client's open drop-down claim, the next click anywhere goes to the open menu, a choice runs its command and every close gives the claim back, also when the menu is destroyed open.
#include "ui/UiWorld.h"

#include "client/ClientApp.h"
#include "client/ClientInput.h"
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

} // namespace
