// AreaEditorEditingTest -- what the area editor does to the area in edit: block operations, connections, painting and placing by clicks, dragging, the brush, filling and the test blocks of the whole-level preview.
#include "tools/AreaEditorFixture.h"

#include "client/ClientApp.h"
#include "resources/ResourceManager.h"
#include "resources/models/ModelResource.h"
#include "world/LevelCells.h"
#include "world/LevelData.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace {

using AreaEditorEditing = AreaEditorGame;


int32_t CountTiles(int32_t block, const std::string& name)
{
    const AreaResource& area = *gLevelEditor->GetArea();
    int32_t count = 0;
    for (int32_t y = 0; y < area.GetBlockHeight(); ++y)
        for (int32_t x = 0; x < area.GetBlockWidth(); ++x) {
            int32_t tile = area.GetBlock(block)->tiles[static_cast<size_t>((area.GetBlockHeight() - 1 - y) *
                                                                           area.GetBlockWidth() + x)];
            if (tile >= 0 && area.GetTileTextures()[static_cast<size_t>(tile)].name == name)
                ++count;
        }
    return count;
}

TEST_F(AreaEditorEditing, ClicksPaintPlaceEraseAndPick)
{
    EnterWithNewBlock();
    Run("EditorTextureMode");
    // No brush: the click is not the editor's and paints nothing.
    ClickAt(kMidX, kMidY);
    auto [x, y] = TileAt(kMidX, kMidY);
    EXPECT_EQ(TileName(0, x, y), "");
    SetVar("EditorTexture", kGrass);
    SetVar("EditorTextureAlt", kEarth);
    ClickAt(kMidX, kMidY);
    EXPECT_NE(TileName(0, x, y), "");
    std::string grass = TileName(0, x, y);
    ClickWith(SDL_BUTTON_RIGHT, kMidX, kMidY);
    std::string earth = TileName(0, x, y);
    EXPECT_NE(earth, grass);
    EXPECT_EQ(CountTiles(0, grass), 0);
    EXPECT_EQ(CountTiles(0, earth), 1);

    // Ctrl and a left click copy the name under the cursor into the brush, painting nothing.
    SetVar("EditorTexture", "");
    Push(SDL_SCANCODE_LCTRL, true);
    ClickAt(kMidX, kMidY);
    Push(SDL_SCANCODE_LCTRL, false);
    app.RunFrame();
    EXPECT_EQ(Var("EditorTexture"), earth);
    EXPECT_EQ(CountTiles(0, earth), 1);

    // Objects: placed with the editor's rotation, erased by a right click without an object.
    Run("EditorObjectMode");
    SetVar("EditorObject", kBoulder);
    Run("EditorObjectsRotateCW");
    ClickAt(kMidX, kMidY);
    ResourceHandle model;
    int32_t facing = -1;
    EXPECT_GE(Area().GetTileObject(0, x, y, model, facing), 0);
    EXPECT_EQ(facing, 5);
    SetVar("EditorObject", "");
    ClickWith(SDL_BUTTON_RIGHT, kMidX, kMidY);
    EXPECT_EQ(Area().GetTileObject(0, x, y, model, facing), -1);
}

TEST_F(AreaEditorEditing, DraggingPaintsEveryTilePassedAndTheReleaseGivesTheMouseBack)
{
    EnterWithNewBlock();
    Run("EditorTextureMode");
    SetVar("EditorTexture", kGrass);
    PushMotion(kMidX, kMidY);
    app.RunFrame();
    PushButton(SDL_BUTTON_LEFT, true, kMidX, kMidY);
    app.RunFrame();
    EXPECT_TRUE(Editor().IsPainting());
    EXPECT_TRUE(static_cast<bool>(gClientApp->GetClickHook())) << "the editor holds the mouse while painting";
    std::set<std::pair<int32_t, int32_t>> passed;
    for (int32_t step = 0; step <= 4; ++step) {
        int32_t x = kMidX - 64 + step * 32;
        PushMotion(x, kMidY);
        app.RunFrame();
        passed.insert(TileAt(x, kMidY));
    }
    PushButton(SDL_BUTTON_LEFT, false, kMidX + 64, kMidY);
    app.RunFrame();
    EXPECT_FALSE(Editor().IsPainting());
    EXPECT_FALSE(static_cast<bool>(gClientApp->GetClickHook()));
    ASSERT_GE(passed.size(), 2u);
    std::string grass;
    for (auto [x, y] : passed) {
        EXPECT_NE(TileName(0, x, y), "") << x << "," << y;
        grass = TileName(0, x, y);
    }
    EXPECT_EQ(CountTiles(0, grass), static_cast<int32_t>(passed.size())) << "only the tiles passed are painted";
    // After the release the cursor paints nothing more.
    PushMotion(kMidX, kMidY - 100);
    app.RunFrame();
    EXPECT_EQ(CountTiles(0, grass), static_cast<int32_t>(passed.size()));
}

TEST_F(AreaEditorEditing, TheBrushPaintsItsSquareInsideTheBlockOnlyAndIsBounded)
{
    EnterWithNewBlock();
    Run("EditorTextureMode");
    SetVar("EditorTexture", kGrass);
    Run("EditorBrushSize 1");
    ClickAt(kMidX, kMidY);
    std::string grass = TileName(0, TileAt(kMidX, kMidY).first, TileAt(kMidX, kMidY).second);
    EXPECT_EQ(CountTiles(0, grass), 9);
    // At the block's corner only the four tiles inside are painted.
    Run("EditorNew 0");
    Run("EditorNewBlock");
    for (int i = 0; i < 8; ++i) {
        if (TileAt(kMidX, kMidY).first > 0)
            Tap(SDL_SCANCODE_LEFT);
        if (TileAt(kMidX, kMidY).second > 0)
            Tap(SDL_SCANCODE_DOWN);
    }
    ASSERT_EQ(TileAt(kMidX, kMidY), std::make_pair(0, 0));
    ClickAt(kMidX, kMidY);
    EXPECT_EQ(CountTiles(0, grass), 4);
    // A negative brush is empty; a huge one is held to the level and fills the block at once.
    Run("EditorNew 0");
    Run("EditorNewBlock");
    Run("EditorBrushSize -2");
    ClickAt(kMidX, kMidY);
    EXPECT_EQ(CountTiles(0, grass), 0);
    Run("EditorBrushSize 2000000000");
    ClickAt(kMidX, kMidY);
    EXPECT_EQ(CountTiles(0, grass), Area().GetBlockWidth() * Area().GetBlockHeight());
}

TEST_F(AreaEditorEditing, BlocksDuplicateDeleteAndRotate)
{
    EnterWithNewBlock();
    SetVar("EditorBlockName", "hall");
    app.RunFrame();
    Run("EditorDuplicateBlock");
    EXPECT_EQ(Editor().GetCurrentBlockIndex(), 1);
    EXPECT_EQ(Var("EditorBlockName"), "hall-dup");
    Run("EditorNewBlock");
    SetVar("EditorBlockName", "last");
    app.RunFrame();
    // Deleting the middle block moves the later one down.
    SetVar("EditorBlockIndex", "1");
    Run("EditorChangeBlock");
    Run("EditorDeleteBlock");
    EXPECT_EQ(Editor().GetCurrentBlockIndex(), -1);
    ASSERT_EQ(Area().GetBlockCount(), 2);
    EXPECT_EQ(Area().GetBlock(1)->name, "last");

    // Four quarter turns bring every tile, object and connection back.
    SetVar("EditorBlockIndex", "0");
    Run("EditorChangeBlock");
    Run("EditorTextureMode");
    SetVar("EditorTexture", kGrass);
    ClickAt(kMidX, kMidY);
    Run("EditorObjectMode");
    SetVar("EditorObject", kBoulder);
    ClickAt(kMidX - 70, kMidY);
    SetVar("EditorTopConnection", "levelEdgeOpen");
    SetVar("EditorLeftConnection", "levelBottleneck");
    app.RunFrame();
    AreaBlock before = *Area().GetBlock(0);
    Run("EditorRotateBlock");
    const AreaBlock& turned = *Area().GetBlock(0);
    EXPECT_EQ(turned.edges[0], before.edges[1]) << "the left edge becomes the top";
    EXPECT_EQ(Var("EditorTopConnection"), "levelBottleneck");
    EXPECT_NE(turned.tiles, before.tiles);
    for (int i = 0; i < 3; ++i)
        Run("EditorRotateBlock");
    const AreaBlock& after = *Area().GetBlock(0);
    EXPECT_EQ(after.tiles, before.tiles);
    EXPECT_EQ(after.edges, before.edges);
    for (size_t i = 0; i < before.cells.size(); ++i) {
        EXPECT_EQ(after.cells[i].objectIndex, before.cells[i].objectIndex) << i;
        if (before.cells[i].objectIndex >= 0) {
            EXPECT_EQ(after.cells[i].objectValue % 8, before.cells[i].objectValue % 8) << i;
        }
    }
}

TEST_F(AreaEditorEditing, AWideObjectTurnedAtTheBlockEdgeStaysInside)
{
    EnterWithNewBlock();
    ResourceHandle boulder;
    gResourceManager->Load(kBoulder, boulder);
    auto* model = dynamic_cast<ModelResource*>(gResourceManager->Get(boulder));
    ASSERT_NE(model, nullptr);
    // Three tiles wide: the turn would shift it two rows down.
    model->collisionWidth = model->cellsPerTile * 3;
    model->collisionHeight = model->cellsPerTile * 3;
    int32_t last = Area().GetBlockWidth() - 1;
    Area().SetCell(0, last, 2, boulder, 0);
    Area().SetCell(0, 2, 5, boulder, 2);
    Run("EditorRotateBlock");
    ResourceHandle found;
    int32_t facing = -1;
    // (last, 2) turns to (2, 0): a shift below row 0 is skipped.
    EXPECT_GE(Area().GetTileObject(0, 2, 0, found, facing), 0);
    EXPECT_EQ(facing, 2);
    // (2, 5) turns to (5, last - 2), then two rows down to keep covering its tiles.
    EXPECT_GE(Area().GetTileObject(0, 5, last - 2 - 2, found, facing), 0);
    EXPECT_EQ(facing, 4);
    int32_t objects = 0;
    for (const AreaCell& cell : Area().GetBlock(0)->cells)
        objects += cell.objectIndex >= 0 ? 1 : 0;
    EXPECT_EQ(objects, 2);
}

TEST_F(AreaEditorEditing, DeletingAConnectionRenumbersTheEdgesThatFollowIt)
{
    EnterWithNewBlock();
    SetVar("EditorConnectionName", "river");
    Run("EditorCreateNewConnection");
    SetVar("EditorTopConnection", "river");
    SetVar("EditorLeftConnection", "levelBottleneck");
    SetVar("EditorRightConnection", "levelEdgeClosed");
    app.RunFrame();
    EXPECT_EQ(Editor().GetCurrentBlock()->edges[0], 4);
    SetVar("EditorConnectionToDelete", "levelBottleneck");
    Run("EditorDeleteConnection");
    const AreaBlock& block = *Editor().GetCurrentBlock();
    EXPECT_EQ(block.edges[0], 3) << "later names move down one";
    EXPECT_EQ(block.edges[1], 0) << "the edges that used it fall back to the first";
    EXPECT_EQ(block.edges[2], 1);
    EXPECT_EQ(Var("EditorTopConnection"), "river");
    EXPECT_EQ(Area().FindEdgeType("levelBottleneck"), -1);
}

TEST_F(AreaEditorEditing, TheWholeLevelPreviewMakesTestBlocksAndFillsOnlyEmptyTiles)
{
    Run("EditorNew 0");
    SetVar("EditorFullLevel", "1");
    Run("editor 1");
    EXPECT_TRUE(Editor().IsFullLevelBuilt());
    LevelGeometry g = LevelGeometry::Current();
    ASSERT_EQ(Area().GetBlockCount(), g.blocksPerRow * g.blocksPerColumn);
    const AreaBlock& second = *Area().GetBlock(1);
    EXPECT_EQ(second.name, "2-1");
    EXPECT_EQ(Area().GetEdgeTypeNames()[static_cast<size_t>(second.edges[0])], "1");
    EXPECT_EQ(second.edges[3], 1) << "the outer edges use the second name";
    EXPECT_EQ(Area().GetEdgeTypeNames()[static_cast<size_t>(second.edges[1])], "1");
    EXPECT_EQ(Area().GetEdgeTypeNames()[static_cast<size_t>(second.edges[2])], "2");
    EXPECT_TRUE(Editor().IsClean());

    // One painted tile survives the fill; every other tile of the level gets the brush.
    Run("EditorTextureMode");
    SetVar("EditorTexture", kEarth);
    ClickAt(kMidX, kMidY);
    int32_t block = -1;
    int32_t bx = 0;
    int32_t by = 0;
    auto [x, y] = TileAt(kMidX, kMidY);
    ASSERT_TRUE(Editor().ResolveTile(x, y, block, bx, by));
    std::string earth = TileName(block, bx, by);
    SetVar("EditorTexture", kGrass);
    Run("EditorFill");
    EXPECT_EQ(TileName(block, bx, by), earth);
    int32_t empty = 0;
    for (int32_t b = 0; b < Area().GetBlockCount(); ++b)
        for (int32_t ty = 0; ty < Area().GetBlockHeight(); ++ty)
            for (int32_t tx = 0; tx < Area().GetBlockWidth(); ++tx)
                empty += TileName(b, tx, ty).empty() ? 1 : 0;
    EXPECT_EQ(empty, 0);
    // Outside the preview the fill does nothing.
    SetVar("EditorFullLevel", "0");
    Run("EditorNewBlock");
    Run("EditorFill");
    int32_t fresh = Editor().GetCurrentBlockIndex();
    for (int32_t ty = 0; ty < Area().GetBlockHeight(); ++ty)
        for (int32_t tx = 0; tx < Area().GetBlockWidth(); ++tx)
            EXPECT_EQ(TileName(fresh, tx, ty), "");
}

// Levels of 72 tiles hold nine blocks a side: more than the seven inner names a grid of eight needs.
class AreaEditorWideGrid : public AreaEditorGame {
    void BeforeStart() override
    {
        std::filesystem::path rules = folder.Path() / "Assets/Database/rules.dbr";
        std::ifstream in(rules);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        for (const char* key : {"LevelTileWidth", "LevelTileHeight"}) {
            std::string from = std::string(key) + " 64";
            size_t at = text.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            text.replace(at, from.size(), std::string(key) + " 72");
        }
        std::ofstream(rules) << text;
    }
};

TEST_F(AreaEditorWideGrid, TestBlocksOnANineByNineGridGetEnoughConnectionNames)
{
    ASSERT_EQ(LevelGeometry::Current().blocksPerRow, 9);
    Run("EditorNew 0");
    SetVar("EditorFullLevel", "1");
    Run("editor 1");
    ASSERT_EQ(Area().GetBlockCount(), 81);
    const auto& names = Area().GetEdgeTypeNames();
    // Block 8-8 (column 7, row 7) meets 9-8 and 8-9 through the eighth inner name.
    const AreaBlock& inner = *Area().GetBlock(7 * 9 + 7);
    EXPECT_EQ(inner.name, "8-8");
    EXPECT_EQ(names[static_cast<size_t>(inner.edges[0])], "8");
    EXPECT_EQ(names[static_cast<size_t>(inner.edges[2])], "8");
    for (int32_t b = 0; b < Area().GetBlockCount(); ++b)
        for (int32_t edge : Area().GetBlock(b)->edges)
            EXPECT_TRUE(edge >= 0 && edge < static_cast<int32_t>(names.size())) << b;
}

} // namespace

// The preview's movement cells follow the edits: a placed boulder blocks its tile, and once
// erased the tile is open again.
TEST_F(AreaEditorEditing, ThePreviewsCellsFollowAPlacedAndAnErasedObject)
{
    Run("EditorNew 0");
    SetVar("EditorFullLevel", "1");
    Run("editor 1");
    ASSERT_TRUE(Editor().IsFullLevelBuilt());
    Run("EditorObjectMode");
    auto [x, y] = TileAt(kMidX, kMidY);
    // Only read, as the editor's own overlay reads them.
    auto& level = const_cast<Level&>(Editor().GetEditorLevel());
    const LevelGeometry& g = level.data->geometry;
    auto blocked = [&, x = x, y = y] {
        int32_t count = 0;
        for (int32_t cy = y * g.cellsPerTile; cy < (y + 1) * g.cellsPerTile; ++cy)
            for (int32_t cx = x * g.cellsPerTile; cx < (x + 1) * g.cellsPerTile; ++cx)
                count += LevelCells::IsCellBlocked(level, cx, cy) ? 1 : 0;
        return count;
    };
    ASSERT_EQ(blocked(), 0);
    SetVar("EditorObject", kBoulder);
    ClickAt(kMidX, kMidY);
    EXPECT_GT(blocked(), 0);
    SetVar("EditorObject", "");
    ClickWith(SDL_BUTTON_RIGHT, kMidX, kMidY);
    EXPECT_EQ(blocked(), 0) << "the erased boulder still blocks";
}
