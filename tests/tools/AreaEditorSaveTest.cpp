// AreaEditorSaveTest -- "EditorSave" writes the area in edit under "Levels/" in the user folder, whole or not at all, and refuses names that would leave that folder; the editors' dialogs stand clear of their tool strip.
#include "tools/AreaEditorFixture.h"

#include "core/LocSystem.h"
#include "support/LogLines.h"
#include "world/AreaFileWriter.h"

#include <filesystem>

namespace {

using AreaEditorSave = AreaEditorGame;

TEST_F(AreaEditorSave, TheSavedFileIsTheWritersTextAndReadsBackWithOnlyTheEdit)
{
    std::string shipped = ShippedText("Levels/grasslands.ara");
    ASSERT_FALSE(shipped.empty());
    SetVar("EditorAreaFileName", "grasslands.ara");
    Run("EditorLoadArea");
    Run("editor 1");
    ASSERT_GT(Area().GetBlockCount(), 1);
    SetVar("EditorBlockIndex", "1");
    Run("EditorChangeBlock");
    SetVar("EditorBlockName", "renamed hall");
    app.RunFrame();
    EXPECT_FALSE(Editor().IsClean());
    SetVar("EditorAreaFileName", "copy");
    Run("EditorSave");
    EXPECT_TRUE(Editor().IsClean());
    std::string saved = folder.Read("User/Levels/copy.ara");
    EXPECT_EQ(saved, WriteAreaFile(Area()));
    auto original = ParseArea(shipped);
    auto reread = ParseArea(saved);
    EXPECT_EQ(reread->GetParseFaults(), 0);
    ASSERT_EQ(reread->GetBlockCount(), original->GetBlockCount());
    EXPECT_EQ(reread->GetTileTextures().size(), original->GetTileTextures().size());
    EXPECT_EQ(reread->GetEdgeTypeNames(), original->GetEdgeTypeNames());
    for (int32_t b = 0; b < original->GetBlockCount(); ++b) {
        const AreaBlock& was = *original->GetBlock(b);
        const AreaBlock& now = *reread->GetBlock(b);
        EXPECT_EQ(now.name, b == 1 ? "renamed hall" : was.name) << b;
        EXPECT_EQ(now.tiles, was.tiles) << b;
        EXPECT_EQ(now.edges, was.edges) << b;
        EXPECT_EQ(now.edgeMask, was.edgeMask) << b;
        EXPECT_FLOAT_EQ(now.weight, was.weight) << b;
    }
}

TEST_F(AreaEditorSave, NamesStayInsideTheLevelsFolder)
{
    EnterWithNewBlock();
    for (const char* refused : {"../x", "/x", ""}) {
        Run("hideMenu EditorSaveAs");
        SetVar("EditorAreaFileName", refused);
        Run("EditorSave");
        EXPECT_TRUE(Shown("EditorSaveAs")) << refused;
        EXPECT_FALSE(Editor().IsClean()) << refused;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User/x"));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "x"));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User/Levels/x.ara"));
    SetVar("EditorAreaFileName", "a");
    Run("EditorSave");
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "User/Levels/a.ara")) << "the extension is added";
    EXPECT_TRUE(Editor().IsClean());
    // The save-as menu's OK names the file and saves it.
    Run("EditorNewBlock");
    Run("EditorSaveAs");
    EXPECT_TRUE(Shown("EditorSaveAs"));
    SetVar("EditorAreaFileName", "b.ara");
    // The menu stands at 95, 170, clear of the tool strip; its OK button at 20, 76 inside it, 96 by 30.
    ClickAt(163, 261);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "User/Levels/b.ara"));
    EXPECT_FALSE(Shown("EditorSaveAs"));
}

TEST_F(AreaEditorSave, ABlockedTargetKeepsWhatWasThereAndTheAreaUnclean)
{
    EnterWithNewBlock();
    folder.Write("User/Levels/blocked.ara/old.txt", "kept");
    SetVar("EditorAreaFileName", "blocked.ara");
    Run("EditorSave");
    EXPECT_FALSE(Editor().IsClean());
    EXPECT_EQ(folder.Read("User/Levels/blocked.ara/old.txt"), "kept");
    EXPECT_EQ(CountLinesHolding(*gDebugSystem, "Couldn't save Levels/blocked.ara"), 1);
    EXPECT_EQ(CountLinesHolding(*gDebugSystem, "Saved Levels/blocked.ara"), 0) << "a failure is not told as a success";
    // The editor's strip says so too, in its own words, naming the file.
    EXPECT_EQ(gLocSystem->Translate(Var("EditorSaveStatus")).rfind(gLocSystem->Translate("$$EditorSaveFailed$$"), 0), 0u)
        << Var("EditorSaveStatus");
    EXPECT_NE(Var("EditorSaveStatus").find("Levels/blocked.ara"), std::string::npos);
    // Saved under a free name the same area is written whole.
    SetVar("EditorAreaFileName", "free.ara");
    Run("EditorSave");
    EXPECT_TRUE(Editor().IsClean());
    EXPECT_EQ(folder.Read("User/Levels/free.ara"), WriteAreaFile(Area()));
    EXPECT_EQ(CountLinesHolding(*gDebugSystem, "Saved Levels/free.ara"), 1);
    EXPECT_EQ(gLocSystem->Translate(Var("EditorSaveStatus")),
              gLocSystem->Translate("$$EditorSaved$$") + " Levels/free.ara");
}

TEST_F(AreaEditorSave, AMissingAreaFileIsNamedAndLeavesNothingToEdit)
{
    SetVar("EditorAreaFileName", "grasslands.ara");
    Run("EditorLoadArea");
    EXPECT_EQ(CountLinesHolding(*gDebugSystem, "No area file"), 0) << "a shipped area is found";
    SetVar("EditorAreaFileName", "nothere.ara");
    Run("EditorLoadArea");
    Run("editor 1");
    EXPECT_EQ(CountLinesHolding(*gDebugSystem, "No area file Levels/nothere.ara"), 1);
    std::vector<ListEntry> blocks;
    gCommandSystem->CallInfoProc("EditorGetBlocks", blocks);
    EXPECT_TRUE(blocks.empty());
    // The block commands find nothing to work on and leave the area as it was.
    SetVar("EditorBlockIndex", "0");
    Run("EditorChangeBlock");
    Run("EditorRotateBlock");
    Run("EditorDeleteBlock");
    EXPECT_EQ(Editor().GetCurrentBlockIndex(), -1);
    EXPECT_TRUE(Editor().IsClean());
}

} // namespace

namespace {

// Every dialog the editors open stands clear of their tool strip down the right of the screen:
// "Save the area as" drawn whole, its words and both buttons, none of it under the strip.
TEST_F(AreaEditorSave, TheEditorsDialogsStandClearOfTheToolStrip)
{
    EnterWithNewBlock();
    UIMenu* strip = gUISystem->FindMenu("Editor");
    ASSERT_NE(strip, nullptr);
    for (const char* name : {"EditorSaveAs", "EditorNewConnection", "EditorDeleteConnection", "EditorExitConfirm",
                             "EditorNewConfirm", "EditorOpenConfirm", "EditorPickArea", "EditorPickBlock",
                             "EditorPickObjectDir", "EditorTextures", "ModelEditorPickDir",
                             "ModelEditorPickAttachmentDir"}) {
        UIMenu* dialog = gUISystem->FindMenu(name);
        ASSERT_NE(dialog, nullptr) << name;
        EXPECT_LE(dialog->position[0] + dialog->size[0], strip->position[0]) << name << " reaches under the strip";
    }
    TargaImage before = Screenshot();
    Run("EditorSaveAs");
    ASSERT_TRUE(Shown("EditorSaveAs"));
    TargaImage shown = Screenshot();
    for (const char* part : {"EditorSaveAs::Heading", "EditorSaveAs::OkLabel", "EditorSaveAs::BackLabel"}) {
        UIWidget* widget = gUISystem->FindWidgetByPath(part);
        ASSERT_NE(widget, nullptr) << part;
        auto x = static_cast<int>(widget->GetScreenPosition().x);
        auto y = static_cast<int>(widget->GetScreenPosition().y);
        EXPECT_GT(BrightPixels(shown, x, y, x + static_cast<int>(widget->size[0]), y + static_cast<int>(widget->size[1]),
                               150),
                  20)
            << part << " is not drawn";
    }
    auto left = static_cast<int>(strip->position[0]);
    EXPECT_EQ(ChangedPixels(before, shown, left, 0, 640, 480, 24), 0) << "the dialog drew on the strip";
}

} // namespace
