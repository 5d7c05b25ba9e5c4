// DropDownBoxTest -- drop-down boxes loaded from a menu file and clicked through the client's click order: the box opens, takes the client's open drop-down claim, writes the picked choice's value to its var, runs its select lines and gives the claim back; the shown text follows the var without regard to case; a destroyed open box lets go of the claim.
#include "ui/UiWorld.h"

#include "client/ClientApp.h"
#include "client/ClientInput.h"
#include "ui/widgets/UIDropDownBox.h"
#include "ui/widgets/UIScrollBar.h"

namespace {

class DropDownBoxWorld : public UiWorld {
protected:
    void SetUp() override
    {
        gClientApp = &app;
        app.SetUi(ui.get());
        commands.RegisterInfoProc("testChoices", [this](std::vector<ListEntry>& rows) { rows = provided; });
        provided.resize(5);
        const char* names[] = {"Low", "Medium", "High", "Ultra", "Custom"};
        const char* values[] = {"low", "", "high", "ultra", "custom"};
        for (size_t i = 0; i < provided.size(); ++i) {
            provided[i].name = names[i];
            provided[i].value = values[i];
        }
        WriteMenu("b.mnu", "name B\nsize 640 480\n"
                           "DropDownBox { internalName Pick position 100 100 baseSize 150 20 maxSize 150 80 "
                           "infoProc testChoices userVar pickVar low addSelectCommand \"record picked\" "
                           "addSelectCommand \"record twice\" }\n"
                           "DropDownBox { internalName Flat position 300 100 baseSize 150 0 maxSize 150 80 "
                           "infoProc testChoices userVar flatVar low }\n"
                           "DropDownBox { internalName Low position 300 300 baseSize 150 40 maxSize 150 20 "
                           "infoProc testChoices }\n"
                           "DropDownBox { internalName Nobody position 500 300 baseSize 150 20 maxSize 150 80 "
                           "infoProc notRegistered }\n"
                           "DropDownBox { internalName Huge position 500 400 baseSize 150 1e-30 maxSize 150 1e30 "
                           "infoProc testChoices userVar hugeVar low }\n"
                           "Widget { internalName Under position 100 130 size 120 60 canClick 1 "
                           "addCommand \"record under\" }\n");
        ui->RegisterCommands();
        commands.Execute("showMenu B");
        pick = Find("Pick");
        ui->Update(0.0f);
    }
    void TearDown() override
    {
        app.SetUi(nullptr);
        gClientApp = nullptr;
    }

    UIDropDownBox* Find(const std::string& widgetName) const
    {
        auto* box = dynamic_cast<UIDropDownBox*>(ui->FindWidgetByPath("B::" + widgetName));
        if (!box)
            throw std::runtime_error("no box " + widgetName);
        return box;
    }

    // A press and a release as the client's input hands them on.
    void Press(int32_t x, int32_t y)
    {
        MoveCursor(x, y);
        Client::OnButtonPress(0, true, x, y);
        Client::OnButtonPress(0, false, x, y);
    }

    ClientApp app;
    std::vector<ListEntry> provided;
    UIDropDownBox* pick = nullptr;
};

TEST_F(DropDownBoxWorld, PickingTheSecondRowWritesItsValueRunsTheSelectLinesAndCloses)
{
    ASSERT_EQ(pick->choices.size(), 5u);
    EXPECT_EQ(pick->choices[1].value, "Medium") << "an empty value takes the name";
    EXPECT_EQ(pick->GetShownText(), "Low");
    EXPECT_EQ(pick->GetVisibleRows(), 3);
    EXPECT_EQ(pick->size[1], 20.0f);
    Press(110, 110);
    EXPECT_TRUE(pick->IsOpen());
    EXPECT_EQ(app.GetOpenDropDown(), pick);
    EXPECT_EQ(pick->size[1], 80.0f);
    ASSERT_NE(pick->GetScrollBar(), nullptr);
    EXPECT_TRUE(pick->GetScrollBar()->IsVisible()) << "five choices in three rows need the bar";
    EXPECT_EQ(pick->GetScrollBar()->UIWidget::position[0], 100.0f + 150.0f - 16.0f);
    EXPECT_EQ(pick->GetScrollBar()->UIWidget::position[1], 120.0f);
    Press(110, 145);
    EXPECT_EQ(vars.GetStringByName("pickVar"), "Medium");
    EXPECT_EQ(TakeRan(), (std::vector<std::string>{"picked", "twice"})) << "the widget under is not asked";
    EXPECT_FALSE(pick->IsOpen());
    EXPECT_EQ(pick->size[1], 20.0f);
    EXPECT_FALSE(pick->GetScrollBar()->IsVisible()) << "hidden while closed";
    EXPECT_EQ(app.GetOpenDropDown(), nullptr);
    EXPECT_EQ(pick->GetShownText(), "Medium");
}

TEST_F(DropDownBoxWorld, AClickOutsideTheChoicesClosesWithoutChangingTheVar)
{
    Press(110, 110);
    Press(400, 145);
    EXPECT_FALSE(pick->IsOpen());
    EXPECT_EQ(vars.GetStringByName("pickVar"), "low");
    EXPECT_TRUE(TakeRan().empty());
    EXPECT_EQ(app.GetOpenDropDown(), nullptr);
    Press(110, 110);
    Press(110, 110);
    EXPECT_FALSE(pick->IsOpen()) << "the head closes the open box";
    EXPECT_EQ(vars.GetStringByName("pickVar"), "low");
    Press(110, 150);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"under"}) << "closed, clicks reach the menus again";
}

TEST_F(DropDownBoxWorld, TheRowsStartAtTheScrollPosition)
{
    Press(110, 110);
    pick->GetScrollBar()->position = 2;
    EXPECT_EQ(pick->GetChoiceAt(110.0f, 121.0f), 2);
    EXPECT_EQ(pick->GetLastVisible(), 4);
    EXPECT_EQ(pick->GetChoiceAt(110.0f, 179.0f), 4);
    pick->GetScrollBar()->position = 3;
    EXPECT_EQ(pick->GetChoiceAt(110.0f, 179.0f), -1) << "past the last choice";
    EXPECT_EQ(pick->GetChoiceAt(251.0f, 130.0f), -1) << "right of the box";
}

TEST_F(DropDownBoxWorld, TheShownTextMatchesTheVarIgnoringCase)
{
    vars.SetStringByName("pickVar", "ULTRA");
    EXPECT_EQ(pick->GetShownText(), "Ultra");
    vars.SetStringByName("pickVar", "nothing");
    EXPECT_EQ(pick->GetShownText(), "") << "a value no choice has shows an empty box";
    EXPECT_EQ(Find("Nobody")->choices.size(), 0u) << "an unregistered provider gives no choices";
}

TEST_F(DropDownBoxWorld, FlatOrShortBoxesShowNoRowsAndPickNothing)
{
    UIDropDownBox* flat = Find("Flat");
    EXPECT_EQ(flat->GetVisibleRows(), 0);
    flat->OnClick(0, true, 310, 100);
    ASSERT_TRUE(flat->IsOpen());
    MoveCursor(310, 130);
    flat->OnClick(0, true, 310, 130);
    EXPECT_FALSE(flat->IsOpen());
    EXPECT_EQ(vars.GetStringByName("flatVar"), "low") << "a height of 0 picks no choice";
    EXPECT_EQ(Find("Low")->GetVisibleRows(), 0) << "a maxSize below baseSize shows no rows, not fewer than none";
    EXPECT_EQ(Find("Low")->GetScrollBar()->size[1], 0.0f);
    UIDropDownBox* huge = Find("Huge");
    EXPECT_GT(huge->GetVisibleRows(), 0) << "huge sizes give a bounded row count";
    EXPECT_EQ(huge->GetLastVisible(), 4);
    huge->OnClick(0, true, 510, 400);
    MoveCursor(510, 460);
    huge->OnClick(0, true, 510, 460);
    EXPECT_EQ(vars.GetStringByName("hugeVar"), "low") << "a row far past the choices picks nothing";
}

TEST_F(DropDownBoxWorld, ADestroyedOpenBoxGivesTheClaimBackAndACopyStartsClosed)
{
    Press(110, 110);
    ASSERT_EQ(app.GetOpenDropDown(), pick);
    std::unique_ptr<UIWidget> copy(UISystem::CloneWidget(pick));
    auto* copied = dynamic_cast<UIDropDownBox*>(copy.get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->choices.size(), 5u);
    EXPECT_EQ(copied->selectCommands.size(), 2u);
    EXPECT_FALSE(copied->IsOpen()) << "a copy holds no claim";
    copy.reset();
    EXPECT_EQ(app.GetOpenDropDown(), pick);
    ui->LoadMenus(true);
    EXPECT_EQ(app.GetOpenDropDown(), nullptr) << "the reload destroyed the open box";
}

} // namespace
