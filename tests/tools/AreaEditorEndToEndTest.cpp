// AreaEditorEndToEndTest -- the area editor and the model viewer drawn offscreen and read back, a shipped area edited by a click and a typed name, saved, and seen again by a fresh start of the game on the same user folder, and an edit seen at once by the level a running game built from that area.
#include "tools/AreaEditorFixture.h"

#include "core/TextParser.h"
#include "tools/ModelEditor.h"
#include "ui/widgets/UITextureList.h"
#include "world/AreaFileWriter.h"
#include "world/LevelCells.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/World.h"
#include "resources/ResourceManager.h"

#include <array>
#include <cstdlib>
#include <cmath>

namespace {

using EditorsGL = AreaEditorGame;
using AreaEditorEndToEnd = AreaEditorGame;

bool NearlyBlue(const std::array<int, 3>& pixel)
{
    return pixel[0] < 30 && pixel[1] < 30 && pixel[2] > 220;
}

TEST_F(EditorsGL, TheBackgroundIsBlueAndAPaintedTileTakesItsTexturesColour)
{
    EnterWithNewBlock();
    TargaImage before = Screenshot();
    EXPECT_TRUE(NearlyBlue(PixelAt(before, 5, 5))) << "around the block the screen is cleared to blue";
    std::array<int, 3> empty = PixelAt(before, kMidX, kMidY);
    EXPECT_FALSE(NearlyBlue(empty)) << "the block's empty tiles are drawn";
    Run("EditorTextureMode");
    SetVar("EditorTexture", kGrass);
    ClickAt(kMidX, kMidY);
    TargaImage after = Screenshot();
    std::array<int, 3> grass = PixelAt(after, kMidX, kMidY);
    EXPECT_GT(grass[1], grass[0] + 10) << "the grass is green";
    EXPECT_GT(grass[1], grass[2] + 10);
    EXPECT_NE(grass, empty);
}


// The strip's New, clicked with a shipped block in edit and the view moved off it, puts the view
// back on the new area's ground and draws it, and the first stroke there makes its first block.
TEST_F(EditorsGL, NewShowsTheNewAreasGroundAndTheFirstStrokeMakesItsBlock)
{
    TypeOnConsole("editor 1");
    ASSERT_TRUE(Editor().IsActive());
    SetVar("EditorAreaFileName", "grasslands.ara");
    Run("EditorLoadArea");
    SetVar("EditorBlockIndex", "0");
    Run("EditorChangeBlock");
    ASSERT_NE(Editor().GetCurrentBlock(), nullptr);
    for (int i = 0; i < 40; ++i)
        Tap(SDL_SCANCODE_RIGHT);
    ASSERT_TRUE(NearlyBlue(PixelAt(Screenshot(), kMidX, kMidY))) << "the view has left the block";
    ASSERT_TRUE(Editor().IsClean());

    // The New button's middle, on the strip at the screen's right.
    ClickAt(430 + 55, 15);
    EXPECT_EQ(Area().GetBlockCount(), 0) << "a new area, not the loaded one";
    EXPECT_EQ(Editor().GetCurrentBlock(), nullptr);
    TargaImage shown = Screenshot();
    EXPECT_TRUE(NearlyBlue(PixelAt(shown, 5, 5))) << "the blue lies around the ground";
    std::array<int, 3> ground = PixelAt(shown, kMidX, kMidY);
    EXPECT_FALSE(NearlyBlue(ground)) << "the new area's ground is drawn under the view";

    // Painting it makes the first block, and the tile takes the brush's colour.
    Run("EditorTextureMode");
    SetVar("EditorTexture", kGrass);
    ClickAt(kMidX, kMidY);
    ASSERT_EQ(Area().GetBlockCount(), 1);
    EXPECT_EQ(Editor().GetCurrentBlockIndex(), 0);
    auto [x, y] = TileAt(kMidX, kMidY);
    EXPECT_NE(TileName(0, x, y).find("floor_grass_01"), std::string::npos) << TileName(0, x, y);
    std::array<int, 3> grass = PixelAt(Screenshot(), kMidX, kMidY);
    EXPECT_GT(grass[1], grass[0] + 10) << "the grass is green";
    EXPECT_NE(grass, ground);
    // An erase on a new area's bare ground lays nothing, so it makes no block.
    ClickAt(430 + 55, 15);
    ASSERT_TRUE(Shown("EditorNewConfirm")) << "the painted block asks first";
    Run("hideMenu EditorNewConfirm");
    Run("EditorNew 0");
    Run("EditorObjectMode");
    ClickAt(kMidX, kMidY, SDL_BUTTON_RIGHT);
    EXPECT_EQ(Area().GetBlockCount(), 0);
}

TEST_F(EditorsGL, TheCollisionOverlaysShowTheBlocksCellsInTheFirstColourWhereFree)
{
    EnterWithNewBlock();
    TargaImage plain = Screenshot();
    SetVar("showCollisionGrid", "1");
    TargaImage movement = Screenshot();
    int32_t cells = Area().GetBlockWidth() * Area().GetBlockHeight();
    // Each free cell's square is a few pixels across: far more than none, far fewer than the block.
    EXPECT_GT(PixelsOfColor(movement, 0) - PixelsOfColor(plain, 0), cells * 2);
    EXPECT_GT(DifferingPixels(plain, movement), cells / 2);
    SetVar("showCollisionGrid", "0");
    TargaImage off = Screenshot();
    EXPECT_EQ(DifferingPixels(plain, off), 0);
    SetVar("showSightCollisionGrid", "1");
    TargaImage sight = Screenshot();
    EXPECT_GT(PixelsOfColor(sight, 0) - PixelsOfColor(plain, 0), cells * 2);
}

TEST_F(EditorsGL, TheModelViewerRedrawsUnderItsCommands)
{
    Run("modelEditor 1");
    SetVar("ModelEditorModel", "Models/warden.mdl");
    app.RunFrame();
    ASSERT_NE(gModelEditor->GetModel(), nullptr);
    for (int i = 0; i < 8 && Var("modelEditorAnim") != "walk"; ++i)
        Run("ModelEditorNextAnim");
    ASSERT_EQ(Var("modelEditorAnim"), "walk");
    TargaImage blank = Screenshot();
    Run("modelEditor 0");
    TargaImage closed = Screenshot();
    Run("modelEditor 1");
    TargaImage first = Screenshot();
    EXPECT_GT(DifferingPixels(closed, first), 50) << "the model is drawn";
    EXPECT_EQ(DifferingPixels(blank, first), 0) << "the same state draws the same picture";
    for (int i = 0; i < 4; ++i)
        Run("ModelEditorRotateRight");
    TargaImage turned = Screenshot();
    EXPECT_GT(DifferingPixels(first, turned), 20);
    for (int i = 0; i < 6; ++i)
        Run("ModelEditorZoomOut");
    TargaImage smaller = Screenshot();
    EXPECT_GT(DifferingPixels(turned, smaller), 20);
    for (int i = 0; i < 4; ++i)
        Run("ModelEditorNextFrame");
    TargaImage stepped = Screenshot();
    EXPECT_GT(DifferingPixels(smaller, stepped), 5);
}

TEST_F(EditorsGL, TheModelViewerPlaysWithTheClientsFrameAndHangsTheAttachmentOnTheTag)
{
    Run("modelEditor 1");
    SetVar("ModelEditorModel", "Models/warden.mdl");
    app.RunFrame();
    for (int i = 0; i < 8 && Var("modelEditorAnim") != "walk"; ++i)
        Run("ModelEditorNextAnim");
    ASSERT_EQ(Var("modelEditorAnim"), "walk");
    TargaImage still = Screenshot();
    Frames(4);
    EXPECT_EQ(DifferingPixels(still, Screenshot()), 0) << "stopped, the frames pass it by";
    Run("ModelEditorPlay");
    Frames(4);
    TargaImage walking = Screenshot();
    EXPECT_NE(Var("modelEditorFrame"), "0");
    EXPECT_GT(DifferingPixels(still, walking), 5) << "playing, the client's frames move it";
    Run("ModelEditorStop");
    SetVar("ModelEditorAttachmentModel", "Models/Items/sword.mdl");
    TargaImage bare = Screenshot();
    SetVar("ModelEditorShowAttachment", "1");
    TargaImage armed = Screenshot();
    EXPECT_GT(DifferingPixels(bare, armed), 5) << "the sword hangs on the current tag";
    SetVar("ModelEditorShowAttachment", "0");
    EXPECT_EQ(DifferingPixels(bare, Screenshot()), 0);
}

TEST_F(EditorsGL, TheCurrentTagShowsItsAxesUnderShowTagsAndTheyTurnWithIt)
{
    Run("modelEditor 1");
    SetVar("ModelEditorModel", "Models/warden.mdl");
    app.RunFrame();
    ASSERT_GE(gModelEditor->GetCurrentTag(), 0);
    for (int i = 0; i < 10; ++i)
        Run("ModelEditorZoomIn");
    TargaImage hidden = Screenshot();
    SetVar("showTags", "1");
    TargaImage shown = Screenshot();
    EXPECT_GT(DifferingPixels(hidden, shown), 3) << "the tag's axes are seen at a modder's zoom";
    for (int i = 0; i < 6; ++i)
        Run("ModelEditorYawLeft");
    EXPECT_GT(DifferingPixels(shown, Screenshot()), 2) << "and they turn with the tag";
    SetVar("showTags", "0");
    EXPECT_EQ(DifferingPixels(hidden, Screenshot()), 0);
}

TEST_F(EditorsGL, TheTextureListShowsGroundTexturesInTheirOwnColours)
{
    EnterWithNewBlock();
    Run("EditorTextureMode");
    auto* list = dynamic_cast<UITextureList*>(gUISystem->FindWidgetByPath("Editor::TextureList"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->folderPath, "Textures/areas/grasslands") << "the list opens on the folder its menu names";
    ASSERT_FALSE(list->GetNames().empty());
    TargaImage image = Screenshot();
    // The ground shaders cull back faces and take their colour from the level's light: shown
    // flat on the screen they were missing, then black.
    int x0 = static_cast<int>(list->GetScreenPosition().x) + 2;
    int y0 = static_cast<int>(list->GetScreenPosition().y) + 2;
    int side = static_cast<int>(list->elementSize[0]) - 4;
    int lit = 0;
    for (int y = y0; y < y0 + side; ++y)
        for (int x = x0; x < x0 + side; ++x) {
            std::array<int, 3> p = PixelAt(image, x, y);
            lit += p[0] + p[1] + p[2] > 150 ? 1 : 0;
        }
    EXPECT_GT(lit, side * side / 2) << "the first texture fills its square in its own colours";
}

TEST_F(EditorsGL, TheObjectListDrawsItsModelsTurnedAsTheyWillBePlaced)
{
    EnterWithNewBlock();
    auto* list = dynamic_cast<UITextureList*>(gUISystem->FindWidgetByPath("Editor::ObjectList"));
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->IsVisible()) << "the editor starts in object mode";
    EXPECT_EQ(list->folderPath, "Models/Props") << "the list opens on the folder its menu names";
    ASSERT_FALSE(list->GetNames().empty());
    // The first entry's square, below the line its name takes.
    int x0 = static_cast<int>(list->GetScreenPosition().x);
    int y0 = static_cast<int>(list->GetScreenPosition().y) + 14;
    int x1 = x0 + static_cast<int>(list->elementSize[0]);
    int y1 = static_cast<int>(list->GetScreenPosition().y + list->elementSize[1]);
    TargaImage shown = Screenshot();
    SetVar("EditorObjectDir", "/NoSuchFolder");
    app.RunFrame();
    ASSERT_TRUE(list->GetNames().empty());
    TargaImage none = Screenshot();
    EXPECT_GT(ChangedIn(shown, none, x0, y0, x1, y1), 20) << "the first model is drawn in its square";
    SetVar("EditorObjectDir", "/Props");
    app.RunFrame();
    EXPECT_EQ(ChangedIn(shown, Screenshot(), x0, y0, x1, y1), 0) << "the same list draws the same picture";
    Run("EditorObjectsRotateCW");
    Run("EditorObjectsRotateCW");
    EXPECT_GT(ChangedIn(shown, Screenshot(), x0, y0, x1, y1), 5) << "a quarter turn turns the thumbnail";
}

TEST_F(AreaEditorEndToEnd, AShippedAreaEditedAndSavedIsWhatTheNextStartGenerates)
{
    std::string shippedText = ShippedText("Levels/grasslands.ara");
    ASSERT_FALSE(shippedText.empty());
    TypeOnConsole("editor 1");
    ASSERT_TRUE(Editor().IsActive());
    // Which block the generator places, from the whole-level preview of the shipped area.
    SetVar("EditorAreaFileName", "grasslands.ara");
    SetVar("EditorFullLevel", "1");
    Run("EditorLoadArea");
    ASSERT_TRUE(Editor().IsFullLevelBuilt());
    int32_t placed = -1;
    for (int32_t block : Editor().GetEditorLevel().data->blockGrid)
        placed = placed < 0 ? block : placed;
    ASSERT_GE(placed, 0);
    SetVar("EditorFullLevel", "0");
    SetVar("EditorBlockIndex", std::to_string(placed));
    Run("EditorChangeBlock");
    ASSERT_EQ(Editor().GetCurrentBlockIndex(), placed);

    // One tile painted by a click, the block renamed through its var, and saved.
    auto [x, y] = TileAt(kMidX, kMidY);
    std::string was = TileName(placed, x, y);
    const char* brush = was.find("earth") != std::string::npos ? kGrass : kEarth;
    Run("EditorTextureMode");
    SetVar("EditorTexture", brush);
    ClickAt(kMidX, kMidY);
    std::string painted = TileName(placed, x, y);
    ASSERT_NE(painted, was);
    SetVar("EditorBlockName", "painted block");
    app.RunFrame();
    Run("EditorSave");
    ASSERT_TRUE(Editor().IsClean());
    std::string saved = folder.Read("User/Levels/grasslands.ara");
    EXPECT_EQ(saved, WriteAreaFile(Area()));
    // Read back, it is the shipped area but for the painted tile and the block's name.
    auto shipped = ParseArea(shippedText);
    auto reread = ParseArea(saved);
    EXPECT_EQ(reread->GetParseFaults(), 0);
    ASSERT_EQ(reread->GetBlockCount(), shipped->GetBlockCount());
    EXPECT_EQ(reread->GetEdgeTypeNames(), shipped->GetEdgeTypeNames());
    auto textureOf = [](const AreaResource& area, const AreaBlock& block, size_t tile) {
        int32_t index = block.tiles[tile];
        return index < 0 ? std::string() : area.GetTileTextures()[static_cast<size_t>(index)].name;
    };
    size_t paintedTile = static_cast<size_t>((Area().GetBlockHeight() - 1 - y) * Area().GetBlockWidth() + x);
    int32_t differing = 0;
    for (int32_t b = 0; b < shipped->GetBlockCount(); ++b) {
        const AreaBlock& was = *shipped->GetBlock(b);
        const AreaBlock& now = *reread->GetBlock(b);
        EXPECT_EQ(now.name, b == placed ? "painted block" : was.name) << b;
        EXPECT_EQ(now.edges, was.edges) << b;
        EXPECT_EQ(now.edgeMask, was.edgeMask) << b;
        EXPECT_FLOAT_EQ(now.weight, was.weight) << b;
        ASSERT_EQ(now.tiles.size(), was.tiles.size()) << b;
        for (size_t tile = 0; tile < was.tiles.size(); ++tile) {
            std::string before = textureOf(*shipped, was, tile);
            std::string after = textureOf(*reread, now, tile);
            if (before == after)
                continue;
            ++differing;
            EXPECT_TRUE(b == placed && tile == paintedTile) << "block " << b << " tile " << tile;
            EXPECT_EQ(after, painted);
        }
    }
    EXPECT_EQ(differing, 1);

    // A fresh start on the same folder reads the saved area in place of the shipped one.
    app.ShutDown();
    ASSERT_TRUE(app.StartUp());
    app.RunFrame();
    Run("hideMenu Main");
    SetVar("EditorAreaFileName", "grasslands.ara");
    SetVar("EditorFullLevel", "1");
    Run("editor 1");
    Run("EditorLoadArea");
    ASSERT_TRUE(Editor().IsFullLevelBuilt());
    EXPECT_EQ(Area().GetBlock(placed)->name, "painted block");
    const LevelData& level = *Editor().GetEditorLevel().data;
    int32_t width = Area().GetBlockWidth();
    int32_t height = Area().GetBlockHeight();
    int32_t placements = 0;
    for (size_t cell = 0; cell < level.blockGrid.size(); ++cell) {
        if (level.blockGrid[cell] != placed)
            continue;
        int32_t levelX = static_cast<int32_t>(cell) % level.geometry.blocksPerRow * width + x;
        int32_t levelY = static_cast<int32_t>(cell) / level.geometry.blocksPerRow * height + y;
        int32_t block = -1;
        int32_t bx = 0;
        int32_t by = 0;
        ASSERT_TRUE(Editor().ResolveTile(levelX, levelY, block, bx, by));
        EXPECT_EQ(TileName(block, bx, by), painted);
        ++placements;
    }
    EXPECT_GT(placements, 0);
}

} // namespace

namespace {

// The area editor opened on the console of a running game.
class AreaEditorInGame : public AreaEditorGame {
protected:
    void SetUp() override
    {
        if (!std::getenv("EMBERLODE_GAME_DIR"))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        StartInANewWorld();
    }
};

} // namespace

// The area of "Levels/" in edit is the very area the player's level is built from: an object
// placed and erased there blocks and frees the level's cells at once.
TEST_F(AreaEditorInGame, AnObjectPlacedInTheAreaOfThePlayersLevelBlocksItsCellsUntilErased)
{
    Level& level = *gWorld->GetLevel(HostPlayer()->position.level);
    ASSERT_TRUE(level.data && level.data->area.IsValid());
    std::string path = gResourceManager->GetName(level.data->area.GetValue());
    size_t slash = path.find_last_of("/\\");
    SetVar("EditorAreaFileName", slash == std::string::npos ? path : path.substr(slash + 1));
    SetVar("EditorFullLevel", "0");
    TypeOnConsole("editor 1");
    Run("EditorLoadArea");
    ASSERT_EQ(Editor().GetArea(), LevelGenerator::GetArea(level)) << path;

    // The block of the level's first filled grid cell, in edit.
    const LevelGeometry& g = level.data->geometry;
    int32_t gridCell = 0;
    while (gridCell < static_cast<int32_t>(level.data->blockGrid.size()) && level.data->blockGrid[gridCell] < 0)
        ++gridCell;
    ASSERT_LT(gridCell, static_cast<int32_t>(level.data->blockGrid.size()));
    SetVar("EditorBlockIndex", std::to_string(level.data->blockGrid[gridCell]));
    Run("EditorChangeBlock");
    Run("EditorObjectMode");
    auto [x, y] = TileAt(kMidX, kMidY);
    int32_t block = -1;
    int32_t bx = 0;
    int32_t by = 0;
    ASSERT_TRUE(Editor().ResolveTile(x, y, block, bx, by));
    int32_t tileX = gridCell % g.blocksPerRow * g.blockTileWidth + bx;
    int32_t tileY = gridCell / g.blocksPerRow * g.blockTileHeight + by;
    auto blocked = [&] {
        int32_t count = 0;
        for (int32_t cy = tileY * g.cellsPerTile; cy < (tileY + 1) * g.cellsPerTile; ++cy)
            for (int32_t cx = tileX * g.cellsPerTile; cx < (tileX + 1) * g.cellsPerTile; ++cx)
                count += LevelCells::IsCellBlocked(level, cx, cy) ? 1 : 0;
        return count;
    };
    SetVar("EditorObject", "");
    ClickWith(SDL_BUTTON_RIGHT, kMidX, kMidY);
    int32_t open = blocked();
    ASSERT_LT(open, g.cellsPerTile * g.cellsPerTile) << "the tile is walled in by its neighbours";
    SetVar("EditorObject", kBoulder);
    ClickAt(kMidX, kMidY);
    EXPECT_GT(blocked(), open) << "the placed boulder does not block the level";
    SetVar("EditorObject", "");
    ClickWith(SDL_BUTTON_RIGHT, kMidX, kMidY);
    EXPECT_EQ(blocked(), open) << "the erased boulder still blocks the level";
}
