// AreaEditorCommandsTest -- the area editor's commands, user vars, info procedures, view keys and hover texts, in the shipped game.
#include "tools/AreaEditorFixture.h"

#include "client/ClientApp.h"
#include "rules/GameData.h"
#include "ui/widgets/UITextureList.h"
#include "world/LevelData.h"

#include <vector>

namespace {

using AreaEditorCommands = AreaEditorGame;

// A menu with a widget whose hot key is the Down arrow, shown over the editor: both want it.
class AreaEditorKeys : public AreaEditorGame {
protected:
    void BeforeStart() override
    {
        folder.Write("Assets/UI/keyprobe.mnu", "MenuType Menu\nname KeyProbe\nposition 0 0\nsize 100 40\n"
                                               "Widget { internalName Down position 0 0 size 100 40 hotKey Down "
                                               "addCommand \"setUserVar keyProbeDown 1\" }\n");
    }
};

TEST_F(AreaEditorCommands, LeavingAsksOnlyAfterAnEdit)
{
    Run("EditorNew 0");
    Run("editor 1");
    EXPECT_TRUE(Editor().IsActive());
    EXPECT_TRUE(Shown("Editor"));
    Run("editor 0");
    EXPECT_FALSE(Editor().IsActive());
    EXPECT_FALSE(Shown("Editor"));

    EnterWithNewBlock();
    Run("editor 0");
    EXPECT_TRUE(Editor().IsActive()) << "an unsaved edit keeps the editor open";
    EXPECT_TRUE(Shown("EditorExitConfirm"));
    Run("editorExit");
    EXPECT_FALSE(Editor().IsActive());
    // A new area asks first while the edits are unsaved, and not once they are discarded.
    Run("EditorNew 1");
    EXPECT_TRUE(Shown("EditorNewConfirm"));
    EXPECT_EQ(Area().GetBlockCount(), 1);
    Run("EditorNew 0");
    EXPECT_EQ(Area().GetBlockCount(), 0);
    EXPECT_TRUE(Editor().IsClean());
    EXPECT_EQ(Area().GetEdgeTypeNames(),
              (std::vector<std::string>{"open", "levelEdgeClosed", "levelBottleneck", "levelEdgeOpen"}));
}

TEST_F(AreaEditorCommands, BlocksWrapBothWaysAndTheirVarsFollow)
{
    EnterWithNewBlock();
    Run("EditorNewBlock");
    Run("EditorNewBlock");
    for (int32_t i = 0; i < 3; ++i)
        Area().GetBlock(i)->name = "b" + std::to_string(i);
    SetVar("EditorBlockIndex", "2");
    Run("EditorNextBlock");
    EXPECT_EQ(Editor().GetCurrentBlockIndex(), 0);
    EXPECT_EQ(Var("EditorBlockName"), "b0");
    EXPECT_EQ(Var("EditorBlockIndex"), "0");
    Run("EditorPrevBlock");
    EXPECT_EQ(Editor().GetCurrentBlockIndex(), 2);
    EXPECT_EQ(Var("EditorBlockName"), "b2");
    // An index that names no block leaves the block in edit.
    SetVar("EditorBlockIndex", "7");
    Run("EditorChangeBlock");
    EXPECT_EQ(Editor().GetCurrentBlockIndex(), 2);
}

TEST_F(AreaEditorCommands, VarsAndBlockFieldsSyncBothWays)
{
    EnterWithNewBlock();
    EXPECT_EQ(Var("EditorBlockName"), "unnamed");
    EXPECT_EQ(Var("EditorBlockWeight"), "1.0");
    EXPECT_EQ(Var("EditorBlockOpenEdges"), "1111");
    Run("EditorNew 0");
    Run("EditorNewBlock");
    Run("EditorNew 0");
    EXPECT_TRUE(Editor().IsClean());
    Run("EditorNewBlock");
    // From the vars into the block, each change clearing clean.
    SetVar("EditorBlockName", "hall");
    SetVar("EditorBlockWeight", "2.5");
    SetVar("EditorBlockMaxUse", "3");
    SetVar("EditorBlockOpenEdges", "1010");
    SetVar("EditorBlockAlwaysHasChest", "1");
    SetVar("EditorLeftConnection", "levelBottleneck");
    SetVar("EditorTopConnection", "no such name");
    app.RunFrame();
    const AreaBlock& block = *Editor().GetCurrentBlock();
    EXPECT_EQ(block.name, "hall");
    EXPECT_FLOAT_EQ(block.weight, 2.5f);
    EXPECT_EQ(block.maxUses, 3);
    EXPECT_EQ(block.edgeMask, 0b0101);
    EXPECT_TRUE(block.forceChests);
    EXPECT_FALSE(block.forceMonsters);
    EXPECT_EQ(block.edges[1], 2);
    EXPECT_EQ(block.edges[0], -1) << "a name not among the connections is ignored";
    EXPECT_FALSE(Editor().IsClean());

    // From a block into the vars: a weight the var cannot show exactly is not rounded by
    // merely choosing its block.
    Area().GetBlock(0)->weight = 1.25f;
    SetVar("EditorBlockIndex", "0");
    Run("EditorChangeBlock");
    EXPECT_EQ(Var("EditorBlockWeight"), "1.2");
    EXPECT_EQ(Var("EditorLeftConnection"), "levelBottleneck");
    app.RunFrame();
    EXPECT_FLOAT_EQ(Area().GetBlock(0)->weight, 1.25f);
}

TEST_F(AreaEditorCommands, ObjectRotationWrapsAndBrushSizeIsStored)
{
    Run("EditorObjectsRotateCW");
    EXPECT_EQ(Editor().GetObjectRotation(), 5);
    for (int i = 0; i < 5; ++i)
        Run("EditorObjectsRotateCCW");
    EXPECT_EQ(Editor().GetObjectRotation(), 0);
    Run("EditorObjectsRotateCCW");
    EXPECT_EQ(Editor().GetObjectRotation(), 7);
    Run("EditorObjectsRotateCW");
    EXPECT_EQ(Editor().GetObjectRotation(), 0);
    Run("EditorBrushSize -3");
    EXPECT_EQ(Editor().GetBrushSize(), -3);
    Run("EditorTextureMode");
    EXPECT_TRUE(Editor().IsTextureMode());
    Run("editor 1");
    EXPECT_TRUE(gUISystem->FindWidgetByPath("Editor::TextureList")->IsVisible());
    EXPECT_FALSE(gUISystem->FindWidgetByPath("Editor::ObjectList")->IsVisible());
    // The lists are found again after the menu files are read anew.
    Run("reloadMenus");
    Run("EditorObjectMode");
    EXPECT_FALSE(Editor().IsTextureMode());
    EXPECT_FALSE(gUISystem->FindWidgetByPath("Editor::TextureList")->IsVisible());
    EXPECT_TRUE(gUISystem->FindWidgetByPath("Editor::ObjectList")->IsVisible());
}

TEST_F(AreaEditorCommands, TurningObjectsTurnsTheObjectListsModelsToo)
{
    auto* list = dynamic_cast<UITextureList*>(gUISystem->FindWidgetByPath("Editor::ObjectList"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->modelPose, Editor().GetObjectRotation());
    Run("EditorObjectsRotateCCW");
    Run("EditorObjectsRotateCCW");
    EXPECT_EQ(list->modelPose, 2);
    for (int i = 0; i < 7; ++i)
        Run("EditorObjectsRotateCW");
    EXPECT_EQ(list->modelPose, 1) << "the list follows past the wrap";
    EXPECT_EQ(list->modelPose, Editor().GetObjectRotation());
}

TEST_F(AreaEditorKeys, TheViewKeysComeBeforeTheMenusWhileTheEditorIsOnAndTheConsoleStillTypes)
{
    EnterWithNewBlock();
    Run("showMenu KeyProbe");
    SetVar("keyProbeDown", "0");
    WorldPos3 home = Editor().GetViewTarget();
    Tap(SDL_SCANCODE_DOWN);
    EXPECT_LT(Editor().GetViewTarget().y, home.y) << "the editor moves its view";
    EXPECT_EQ(Var("keyProbeDown"), "0") << "the menu below never sees the key";
    // The console, opened over the editor, takes what is typed.
    TypeOnConsole("EditorNewBlock");
    EXPECT_EQ(Area().GetBlockCount(), 2);
    Tap(SDL_SCANCODE_HOME);
    EXPECT_FLOAT_EQ(Editor().GetViewTarget().y, home.y);

    Run("editorExit");
    ASSERT_FALSE(Editor().IsActive());
    Tap(SDL_SCANCODE_DOWN);
    EXPECT_EQ(Var("keyProbeDown"), "1") << "once the editor is left the menu has its key again";
    EXPECT_FLOAT_EQ(Editor().GetViewTarget().y, home.y);
}

TEST_F(AreaEditorCommands, InfoProceduresListBlocksAndConnections)
{
    EnterWithNewBlock();
    Run("EditorNewBlock");
    Run("EditorNewBlock");
    Area().GetBlock(1)->name = "middle";
    std::vector<ListEntry> rows;
    gCommandSystem->CallInfoProc("EditorGetBlocks", rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].name, "middle");
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].value, std::to_string(i));
    SetVar("EditorConnectionName", "river");
    Run("EditorCreateNewConnection");
    gCommandSystem->CallInfoProc("getConnectionNames", rows);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[4].name, "river");
}

TEST_F(AreaEditorCommands, ViewKeysMoveByATileAndStopAtTheLevelEdges)
{
    EnterWithNewBlock();
    LevelGeometry g = LevelGeometry::Current();
    WorldPos3 home = Editor().GetViewTarget();
    Tap(SDL_SCANCODE_RIGHT);
    EXPECT_FLOAT_EQ(Editor().GetViewTarget().x, home.x + g.tileSize);
    Tap(SDL_SCANCODE_UP);
    EXPECT_FLOAT_EQ(Editor().GetViewTarget().y, home.y + g.tileSize);
    for (int i = 0; i < 8; ++i)
        Tap(SDL_SCANCODE_LEFT);
    EXPECT_GE(Editor().GetViewTarget().x, 0.0f) << "a move past the left edge is undone";
    EXPECT_LT(Editor().GetViewTarget().x, g.tileSize);
    for (int i = 0; i < 8; ++i)
        Tap(SDL_SCANCODE_DOWN);
    EXPECT_GE(Editor().GetViewTarget().y, 0.0f);
    EXPECT_LT(Editor().GetViewTarget().y, g.tileSize);
    Tap(SDL_SCANCODE_END);
    float width = static_cast<float>(g.levelTileWidth) * g.tileSize;
    float height = static_cast<float>(g.levelTileHeight) * g.tileSize;
    EXPECT_FLOAT_EQ(Editor().GetViewTarget().x, width);
    EXPECT_FLOAT_EQ(Editor().GetViewTarget().y, height);
    Tap(SDL_SCANCODE_UP);
    Tap(SDL_SCANCODE_RIGHT);
    EXPECT_FLOAT_EQ(Editor().GetViewTarget().x, width);
    EXPECT_FLOAT_EQ(Editor().GetViewTarget().y, height);
    Tap(SDL_SCANCODE_HOME);
    EXPECT_FLOAT_EQ(Editor().GetViewTarget().x, home.x);
    EXPECT_FLOAT_EQ(Editor().GetViewTarget().y, home.y);
}

TEST_F(AreaEditorCommands, HoverTextsNameTheTileUnderTheCursor)
{
    EnterWithNewBlock();
    Run("EditorTextureMode");
    SetVar("EditorTexture", kGrass);
    ClickAt(300, 260);
    auto [x, y] = TileAt(300, 260);
    ASSERT_GE(x, 0);
    ASSERT_GE(y, 0);
    PushMotion(300, 260);
    app.RunFrame();
    EXPECT_EQ(Var("EditorHighlightInfo"), TileName(0, x, y));
    EXPECT_FALSE(Var("EditorHighlightInfo").empty());
    float size = LevelGeometry::Current().tileSize;
    EXPECT_EQ(Var("EditorTileLocation"),
              std::to_string(static_cast<int>(static_cast<float>(x) * size)) + " " +
                  std::to_string(static_cast<int>(static_cast<float>(y) * size)));
    // Off the block both are empty: the far corner of the level is nowhere near it.
    Tap(SDL_SCANCODE_END);
    PushMotion(300, 260);
    app.RunFrame();
    EXPECT_EQ(Var("EditorHighlightInfo"), "");
    EXPECT_EQ(Var("EditorTileLocation"), "");
}

} // namespace
