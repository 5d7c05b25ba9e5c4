// UIListTest -- lists loaded from a menu file: rows from a list provider and from a folder's file names, the selection written to user vars, kept and clamped on a refresh of the contents, clicks that select, tick or run the row's value, the double-click redirect against the injected clock, the row codes and per-row tooltips.
#include "ui/UiWorld.h"

#include "ui/widgets/UIList.h"
#include "ui/widgets/UIScrollBar.h"

namespace {

class UIListWorld : public UiWorld {
protected:
    void SetUp() override
    {
        commands.RegisterInfoProc("testRows", [this](std::vector<ListEntry>& rows) { rows = provided; });
        provided = {Row("Alpha", "a"), Row("Beta", "b"), Row("Gamma", "g"), Row("Delta", "d")};
        provided[2].enabled = 0;
        provided[1].helpText = "second";
        provided[1].extra = "more";
        WriteMenu("l.mnu", "name L\nsize 640 480\n"
                           "List { internalName Rows position 100 100 size 200 30 itemHeight 10 infoProc testRows "
                           "userVar listVar \"\" ItemSelectedUserVar listPicked doubleClickRedirect Go }\n"
                           "List { internalName Values position 400 100 size 100 100 itemHeight 0 infoProc testRows "
                           "userVarHoldsName 0 userVar valueVar \"\" selectFirstItem 1 }\n"
                           "List { internalName Ticks position 100 300 size 100 100 itemHeight 20 infoProc testRows "
                           "canSelectMultiple 1 userVar tickVar \"\" }\n"
                           "List { internalName Runs position 300 300 size 100 100 itemHeight 20 infoProc testRows "
                           "runCommandOnSelect 1 }\n"
                           "List { internalName Saves position 500 300 size 100 100 directoryVar saveFolder "
                           "extension sav fileType USER }\n"
                           "List { internalName Huge position 0 400 size 100 1e30 itemHeight 1 infoProc testRows }\n"
                           "Widget { internalName Go position 0 0 size 10 10 canClick 1 addCommand \"record go\" }\n");
        ui->RegisterCommands();
        rowsList = Find("Rows");
        commands.Execute("showMenu L");
    }

    static ListEntry Row(const std::string& name, const std::string& value)
    {
        ListEntry row;
        row.name = name;
        row.value = value;
        return row;
    }

    UIList* Find(const std::string& widgetName) const
    {
        auto* list = dynamic_cast<UIList*>(ui->FindWidgetByPath("L::" + widgetName));
        if (!list)
            throw std::runtime_error("no list " + widgetName);
        return list;
    }

    std::vector<ListEntry> provided;
    UIList* rowsList = nullptr;
};

TEST_F(UIListWorld, ShowingFillsFromTheProviderAndClearsTheSelection)
{
    ASSERT_EQ(rowsList->rows.size(), 4u);
    EXPECT_EQ(rowsList->rows[3]->name, "Delta");
    EXPECT_EQ(rowsList->selectedRow, -1);
    EXPECT_EQ(vars.GetStringByName("listPicked"), "0");
    EXPECT_EQ(rowsList->GetVisibleRows(), 3);
    ASSERT_NE(rowsList->GetScrollBar(), nullptr) << "made when attached";
    EXPECT_EQ(rowsList->GetScrollBar()->count, 4);
    EXPECT_EQ(rowsList->GetScrollBar()->pageSize, 3);
    UIList* values = Find("Values");
    EXPECT_EQ(values->itemHeight, UIList::kDefaultItemHeight) << "an item height below 1 reads as 10";
    EXPECT_EQ(values->selectedRow, 0) << "selectFirstItem";
    EXPECT_EQ(vars.GetStringByName("valueVar"), "a") << "userVarHoldsName 0 writes the value";
    std::string value;
    EXPECT_FALSE(rowsList->GetSelectedValue(value));
}

TEST_F(UIListWorld, AClickSelectsTheRowUnderItAndWritesItsName)
{
    Click(150, 115);
    EXPECT_EQ(rowsList->selectedRow, 1);
    EXPECT_EQ(vars.GetStringByName("listVar"), "Beta");
    EXPECT_EQ(vars.GetStringByName("listPicked"), "1");
    std::string value;
    ASSERT_TRUE(rowsList->GetSelectedValue(value));
    EXPECT_EQ(value, "b");
    Click(150, 125);
    EXPECT_EQ(rowsList->selectedRow, 1) << "a disabled row cannot be clicked";
    Click(150, 105, 1);
    EXPECT_EQ(rowsList->selectedRow, 1) << "only the left button selects";
    rowsList->GetScrollBar()->position = 1;
    EXPECT_EQ(rowsList->RowAt(150, 125), 3) << "rows count from the first visible one";
    EXPECT_EQ(rowsList->RowAt(350, 125), -1);
    provided.resize(2);
    rowsList->GetScrollBar()->position = 0;
    EXPECT_EQ(rowsList->RowAt(150, 125), 2) << "inside the widget";
    rowsList->RefreshContents();
    EXPECT_EQ(rowsList->RowAt(150, 125), -1) << "below the last row";
}

TEST_F(UIListWorld, RefreshingTheContentsKeepsTheSelectionClampedToTheRows)
{
    Click(150, 115);
    provided = {Row("One", "1"), Row("Two", "2"), Row("Three", "3")};
    rowsList->RefreshContents();
    EXPECT_EQ(rowsList->selectedRow, 1);
    EXPECT_EQ(vars.GetStringByName("listVar"), "Two") << "the kept selection is applied again";
    provided.resize(1);
    rowsList->RefreshContents();
    EXPECT_EQ(rowsList->selectedRow, 0) << "a vanished row falls back to the first";
    EXPECT_EQ(vars.GetStringByName("listVar"), "One");
    provided.clear();
    rowsList->RefreshContents();
    EXPECT_EQ(rowsList->selectedRow, 0) << "with no rows the index stays";
    EXPECT_EQ(vars.GetStringByName("listVar"), "One") << "and no var changes";
    std::string value = "kept";
    EXPECT_FALSE(rowsList->GetSelectedValue(value)) << "an index naming no row reads nothing";
    std::vector<std::string> values;
    rowsList->GetSelectedValues(values);
    EXPECT_TRUE(values.empty());
    rowsList->Refresh();
    EXPECT_EQ(rowsList->selectedRow, -1);
    EXPECT_EQ(vars.GetStringByName("listPicked"), "0");
}

TEST_F(UIListWorld, TicksToggleWithoutTouchingTheVarAndAreReadInRowOrder)
{
    UIList* ticks = Find("Ticks");
    Click(150, 365);
    Click(150, 305);
    Click(150, 325);
    Click(150, 325);
    Click(150, 345);
    EXPECT_EQ(vars.GetStringByName("tickVar"), "");
    std::vector<std::string> values;
    ticks->GetSelectedValues(values);
    EXPECT_EQ(values, (std::vector<std::string>{"a", "d"})) << "the disabled third row cannot be ticked";
    EXPECT_EQ(ticks->RowText(0), "^c001^l000Alpha");
    EXPECT_EQ(ticks->RowText(1), "Beta");
    EXPECT_EQ(ticks->RowText(2), "^c004Gamma");
    provided.push_back(Row("Epsilon", "e"));
    ticks->RefreshContents();
    ASSERT_EQ(ticks->ticked.size(), 5u) << "ticks follow the row count";
    EXPECT_FALSE(ticks->ticked[4]);
    EXPECT_TRUE(ticks->ticked[3]);
}

TEST_F(UIListWorld, ARunOnSelectListRunsTheRowValueInsteadOfSelecting)
{
    provided[1].value = "record picked beta";
    UIList* runs = Find("Runs");
    runs->RefreshContents();
    Click(350, 325);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"picked beta"});
    EXPECT_EQ(runs->selectedRow, -1);
}

TEST_F(UIListWorld, TheSecondClickOnARowWithinTheIntervalPressesTheRedirect)
{
    Click(150, 105);
    Advance(499);
    Click(150, 105);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"go"});
    Advance(500);
    Click(150, 105);
    EXPECT_TRUE(TakeRan().empty()) << "exactly at the interval is no double click";
    Advance(100);
    Click(150, 115);
    EXPECT_TRUE(TakeRan().empty()) << "another row is no double click";
    Advance(100);
    Click(150, 115);
    EXPECT_EQ(TakeRan(), std::vector<std::string>{"go"});
}

TEST_F(UIListWorld, EachRowGivesItsOwnTooltipAndTheSelectedRowItsCode)
{
    std::string text;
    std::string title;
    ASSERT_TRUE(rowsList->GetHelpText(150, 115, text, title));
    EXPECT_EQ(text, "second");
    EXPECT_EQ(title, "more");
    provided.resize(2);
    rowsList->RefreshContents();
    EXPECT_FALSE(rowsList->GetHelpText(150, 125, text, title)) << "no row under the point";
    Click(150, 105);
    EXPECT_EQ(rowsList->RowText(0), "^c001^l000Alpha");
    EXPECT_EQ(rowsList->RowText(1), "Beta");
}

TEST_F(UIListWorld, AFolderListShowsTheUserFilesNamesCutAtTheFirstDot)
{
    folder.Write("User/saves/hero.sav", "x");
    folder.Write("User/saves/old.hero.sav", "x");
    folder.Write("User/saves/notes.txt", "x");
    folder.Write("Assets/saves/asset.sav", "x");
    vars.RegisterVar("saveFolder", "", true).SetString("saves");
    UIList* saves = Find("Saves");
    saves->Refresh();
    ASSERT_EQ(saves->rows.size(), 2u) << "only the user folder's files of the extension";
    EXPECT_EQ(saves->rows[0]->name, "hero");
    EXPECT_EQ(saves->rows[1]->name, "old") << "cut at the first dot";
    EXPECT_EQ(saves->rows[1]->value, "");
    EXPECT_NE(saves->rows[1]->enabled, 0);
    EXPECT_EQ(saves->directory, "saves") << "the folder var's value replaces the folder";
}

TEST_F(UIListWorld, AHugeListHasABoundedPageAndNoRowPastItsRows)
{
    UIList* huge = Find("Huge");
    EXPECT_GT(huge->GetVisibleRows(), 0);
    EXPECT_EQ(huge->RowAt(50, 2000000000), -1);
    EXPECT_EQ(huge->RowAt(50, 403), 3);
    huge->Draw();
}

TEST_F(UIListWorld, ACopyHoldsItsOwnRowsAndNoScrollBar)
{
    Click(150, 115);
    std::unique_ptr<UIWidget> copy(UISystem::CloneWidget(rowsList));
    auto* list = dynamic_cast<UIList*>(copy.get());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->rows.size(), 4u);
    EXPECT_NE(list->rows[0].get(), rowsList->rows[0].get()) << "rows are copied, not shared";
    EXPECT_EQ(list->rows[1]->helpText, "second");
    EXPECT_EQ(list->selectedRow, 1);
    EXPECT_EQ(list->infoProc, "testRows");
    EXPECT_EQ(list->doubleClickRedirect, "Go");
    EXPECT_EQ(list->GetScrollBar(), nullptr);
}

} // namespace
