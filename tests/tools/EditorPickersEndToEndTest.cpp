// EditorPickersEndToEndTest -- the editors' pickers in the shipped game, clicked through SDL: the area picker lists the shipped areas of the game's archive beside one the editor saved in the user folder and loads the one double-clicked; the object-folder picker turns the object list to the folder entered, whose models stand drawn in their entries.
#include "tools/AreaEditorFixture.h"

#include "ui/widgets/UIFilePicker.h"
#include "ui/widgets/UITextureList.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class EditorPickers : public AreaEditorGame {
protected:
    // The picker's row of the entry of that name; -1 when it is not listed.
    static int32_t RowOf(const UIFilePicker& picker, const std::string& name)
    {
        const auto& entries = picker.GetEntries();
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].name == name)
                return static_cast<int32_t>(i);
        return -1;
    }
    static std::vector<std::string> Names(const UIFilePicker& picker)
    {
        std::vector<std::string> names;
        for (const auto& entry : picker.GetEntries())
            names.push_back(entry.name);
        return names;
    }
    // Two clicks on a row, as quick as a double click; only read where the row lies.
    void DoubleClickRow(const UIFilePicker& picker, int32_t row)
    {
        auto x = static_cast<int32_t>(picker.GetScreenPosition().x + 40.0f);
        auto y = static_cast<int32_t>(picker.GetScreenPosition().y + UIFilePicker::kHeaderHeight +
                                      UIFilePicker::kRowHeight * (static_cast<float>(row) + 0.5f));
        ClickAt(x, y);
        ClickAt(x, y);
    }
    void ClickWidget(const std::string& path)
    {
        UIWidget* widget = gUISystem->FindWidgetByPath(path);
        ASSERT_NE(widget, nullptr) << path;
        ClickAt(static_cast<int32_t>(widget->GetScreenPosition().x + widget->size[0] / 2.0f),
                static_cast<int32_t>(widget->GetScreenPosition().y + widget->size[1] / 2.0f));
    }
};

} // namespace

TEST_F(EditorPickers, TheAreaPickerListsTheShippedAndTheSavedAreasAndLoadsTheOneDoubleClicked)
{
    EnterWithNewBlock();
    SetVar("EditorAreaFileName", "mine");
    Run("EditorSave");
    ASSERT_TRUE(std::filesystem::exists(folder.Path() / "User/Levels/mine.ara"));

    Run("EditorOpen 0");
    ASSERT_TRUE(Shown("EditorPickArea"));
    auto* picker = dynamic_cast<UIFilePicker*>(gUISystem->FindWidgetByPath("EditorPickArea::Picker"));
    ASSERT_NE(picker, nullptr);
    std::vector<std::string> names = Names(*picker);
    EXPECT_NE(RowOf(*picker, "grasslands.ara"), -1) << "the shipped areas, from the game's archive";
    EXPECT_NE(RowOf(*picker, "mine.ara"), -1) << "the area saved in the user folder";
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end())) << "in name order";

    int32_t row = RowOf(*picker, "grasslands.ara");
    ASSERT_GE(row, 0);
    DoubleClickRow(*picker, row);
    EXPECT_EQ(Var("EditorAreaFileName"), "grasslands.ara");
    EXPECT_FALSE(Shown("EditorPickArea")) << "the picker closes on its answer";
    ASSERT_NE(Editor().GetArea(), nullptr);
    EXPECT_GT(Area().GetBlockCount(), 1) << "the shipped area is loaded in place of the one-block area";
    EXPECT_TRUE(Editor().IsClean());
}

TEST_F(EditorPickers, TheObjectFolderPickerTurnsTheObjectListToTheFolderEntered)
{
    EnterWithNewBlock();
    Run("EditorChangeObjectDir");
    ASSERT_TRUE(Shown("EditorPickObjectDir"));
    auto* picker = dynamic_cast<UIFilePicker*>(gUISystem->FindWidgetByPath("EditorPickObjectDir::Picker"));
    ASSERT_NE(picker, nullptr);
    int32_t row = RowOf(*picker, "Items");
    ASSERT_GE(row, 0) << "the model folders, from the game's archive";
    EXPECT_NE(RowOf(*picker, "Props"), -1);
    DoubleClickRow(*picker, row);
    EXPECT_EQ(picker->currentPath, "/Items");
    ClickWidget("EditorPickObjectDir::Pickerok");
    EXPECT_EQ(Var("EditorObjectDir"), "/Items");
    EXPECT_FALSE(Shown("EditorPickObjectDir"));
    app.RunFrame();
    auto* list = dynamic_cast<UITextureList*>(gUISystem->FindWidgetByPath("Editor::ObjectList"));
    ASSERT_NE(list, nullptr);
    ASSERT_FALSE(list->GetNames().empty());
    for (const std::string& name : list->GetNames())
        EXPECT_EQ(name.rfind("Models/Items/", 0), 0u) << name;
}

TEST_F(EditorPickers, TheObjectListDrawsEachModelInItsEntryUnderItsName)
{
    EnterWithNewBlock();
    auto* list = dynamic_cast<UITextureList*>(gUISystem->FindWidgetByPath("Editor::ObjectList"));
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->useModels);
    SetVar("EditorObjectDir", "/NoSuchFolder");
    Frames(2);
    ASSERT_TRUE(list->GetNames().empty());
    TargaImage none = Screenshot();
    SetVar("EditorObjectDir", "/Props");
    Frames(2);
    ASSERT_FALSE(list->GetNames().empty());
    TargaImage shown = Screenshot();
    auto x = static_cast<int>(list->GetScreenPosition().x);
    auto y = static_cast<int>(list->GetScreenPosition().y);
    auto side = static_cast<int>(list->elementSize[1]);
    // Below the first entry's name, round its square: the first model's figure.
    int figure = ChangedIn(none, shown, x - side / 2, y + 14, x + side, y + side + 8);
    EXPECT_GT(figure, 200);
    EXPECT_LT(ChangedIn(none, shown, x - 200, y, x - 150, y + side), 5) << "the block's ground beside";
}
