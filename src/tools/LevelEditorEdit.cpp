// LevelEditorEdit -- what the area editor does to the area in edit: new, load, release and save, the block operations, connections, painting and placing with the mouse, filling and the whole-level preview.
#include "tools/LevelEditor.h"

#include "client/ClientApp.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/LocSystem.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "core/system/InputSystem.h"
#include "resources/ResourceManager.h"
#include "resources/models/ModelResource.h"
#include "resources/shaders/ShaderLookup.h"
#include "world/AreaFileWriter.h"
#include "world/AreaResource.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/LevelQueries.h"
#include "world/World.h"

#include <algorithm>

namespace {

// The connection names every new area starts with, at indices 0 to 3.
constexpr const char* kLevelEditorNewAreaConnections[4] = {"open", "levelEdgeClosed", "levelBottleneck",
                                                           "levelEdgeOpen"};
// The test blocks' outer edges use the second connection name.
constexpr int32_t kLevelEditorBorderConnection = 1;
// Test blocks name their inner connections "1", "2", ...: at least this many are made.
constexpr int32_t kLevelEditorTestConnections = 7;

// A model's footprint in tiles along one side: its collision cells over the cells a tile has;
// a model without cells covers one tile.
int32_t LevelEditorFootprint(const ModelResource* model, bool widthSide)
{
    if (!model || model->cellsPerTile <= 0)
        return 1;
    int32_t cells = widthSide ? model->collisionWidth : model->collisionHeight;
    return std::max(1, (cells + model->cellsPerTile - 1) / model->cellsPerTile);
}

} // namespace

// ---- Areas -------------------------------------------------------------------------------------

void LevelEditor::NewArea()
{
    ReleaseArea();
    LevelGeometry g = LevelGeometry::Current();
    ownArea = std::make_unique<AreaResource>(g.blockTileWidth, g.blockTileHeight);
    areaIsLoaded = false;
    areaFileNameVar.SetString("");
    currentBlock = -1;
    ClearConnectionVars();
    ClearLevelCaches();
    for (const char* name : kLevelEditorNewAreaConnections)
        ownArea->AddEdgeType(name);
    // The new piece's ground lies around the home view: a view left elsewhere showed only blue.
    viewTarget = homeView;
    if (active)
        RebuildFullLevel();
    clean = true;
}

void LevelEditor::LoadArea()
{
    ReleaseArea();
    currentBlock = -1;
    ClearConnectionVars();
    ClearLevelCaches();
    std::string path = "Levels/" + areaFileNameVar.GetString();
    // The resource manager stands an empty area in for a missing file; the modder is told why.
    if (gFileSystem && !gFileSystem->FileExists(path))
        DebugSystem::Print(kPrintWarning, "No area file %s\n", path.c_str());
    if (gResourceManager)
        gResourceManager->Load(path, loadedArea);
    areaIsLoaded = true;
    if (AreaResource* area = GetArea())
        area->Acquire();
    RebuildFullLevel();
    clean = true;
}

void LevelEditor::ReleaseArea()
{
    // The preview is bound to the area: it goes first.
    FreeEditorLevel();
    ownArea.reset();
    if (areaIsLoaded) {
        if (AreaResource* area = GetArea())
            area->Release();
    }
    loadedArea.Reset();
}

bool LevelEditor::Save()
{
    AreaResource* area = GetArea();
    std::string name;
    if (!NormalizeGamePath(areaFileNameVar.GetString(), name) || name.empty()) {
        ShowMenu("EditorSaveAs");
        return false;
    }
    size_t slash = name.rfind('/');
    if (name.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos)
        name += ".ara";
    std::string path = "Levels/" + name;
    if (!area || !WriteStringToFile(path, WriteAreaFile(*area))) {
        DebugSystem::Print(kPrintWarning, "Couldn't save %s\n", path.c_str());
        saveStatusVar.SetString("$$EditorSaveFailed$$ " + FormatLiteralToken("%s", path.c_str()));
        return false;
    }
    DebugSystem::Print(kPrintPlain, "Saved %s\n", path.c_str());
    saveStatusVar.SetString("$$EditorSaved$$ " + FormatLiteralToken("%s", path.c_str()));
    clean = true;
    return true;
}

// ---- Blocks ------------------------------------------------------------------------------------

void LevelEditor::NewBlock()
{
    AreaResource* area = GetArea();
    if (!area)
        return;
    AreaBlock* block = area->NewBlock();
    block->name = "unnamed";
    block->edges.fill(-1);
    currentBlock = area->GetBlockCount() - 1;
    ShowBlockVars();
    ShowConnectionVars();
    ClearLevelCaches();
    clean = false;
}

void LevelEditor::DuplicateBlock()
{
    AreaResource* area = GetArea();
    AreaBlock* source = GetCurrentBlock();
    if (!area || !source)
        return;
    AreaBlock copy = *source;
    AreaBlock* block = area->NewBlock();
    *block = std::move(copy);
    block->name += "-dup";
    currentBlock = area->GetBlockCount() - 1;
    ShowBlockVars();
    ShowConnectionVars();
    ClearLevelCaches();
    clean = false;
}

void LevelEditor::DeleteBlock()
{
    AreaResource* area = GetArea();
    if (!area || !GetCurrentBlock())
        return;
    // The preview may show the block: it is rebuilt without it.
    FreeEditorLevel();
    area->RemoveBlock(currentBlock);
    currentBlock = -1;
    ClearConnectionVars();
    ClearLevelCaches();
    clean = false;
    if (active)
        RebuildFullLevel();
}

// A quarter turn clockwise: tile (x, y) takes old tile (H - 1 - y, x); objects move the other
// way round and turn by two eighths.
void LevelEditor::RotateBlock()
{
    AreaResource* area = GetArea();
    AreaBlock* block = GetCurrentBlock();
    if (!area || !block)
        return;
    int32_t size = area->GetBlockWidth();
    std::array<int32_t, 4> edges = block->edges;
    block->edges = {edges[1], edges[3], edges[0], edges[2]};
    AreaBlock old = *block;
    auto element = [size](int32_t x, int32_t y) { return static_cast<size_t>((size - 1 - y) * size + x); };
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x)
            block->tiles[element(x, y)] = old.tiles[element(size - 1 - y, x)];
    std::fill(block->cells.begin(), block->cells.end(), AreaCell{});
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            AreaCell cell = old.cells[element(x, y)];
            if (cell.objectIndex < 0)
                continue;
            int32_t newX = y;
            int32_t newY = size - 1 - x;
            int32_t turned = (cell.objectValue + 2) % kRotationCount;
            const auto* model = gResourceManager ? dynamic_cast<const ModelResource*>(gResourceManager->Get(
                                                       area->GetObjectTypeModel(cell.objectIndex)))
                                                 : nullptr;
            int32_t extent = LevelEditorFootprint(model, turned == 2 || turned == 6);
            if (extent > 1 && cell.objectValue % 2 == 0) {
                // A shift that would leave the block is skipped: nothing is written outside it.
                if (newY - (extent - 1) >= 0)
                    newY -= extent - 1;
                else
                    DebugSystem::Print(kPrintWarning, "Object at %d %d of block %s stays unshifted: its footprint "
                                       "would leave the block\n", x, y, block->name.c_str());
            }
            block->cells[element(newX, newY)] = {cell.objectIndex, turned};
        }
    }
    ShowConnectionVars();
    ClearLevelCaches();
    clean = false;
    if (fullLevelBuilt)
        RebuildFullLevel();
}

// ---- Connections -------------------------------------------------------------------------------

void LevelEditor::CreateConnection()
{
    AreaResource* area = GetArea();
    std::string name = connectionNameVar.GetString();
    if (!area || name.empty())
        return;
    area->AddEdgeType(name);
    clean = false;
}

void LevelEditor::DeleteConnection()
{
    AreaResource* area = GetArea();
    std::string name = connectionToDeleteVar.GetString();
    if (!area || area->FindEdgeType(name) < 0)
        return;
    area->RemoveEdgeType(name);
    ShowConnectionVars();
    clean = false;
}

// ---- Painting ----------------------------------------------------------------------------------

bool LevelEditor::OnButton(int32_t button, bool down, int32_t x, int32_t y)
{
    if (!active || (button != 0 && button != 1))
        return false;
    if (!down) {
        if (painting) {
            painting = false;
            GiveCaptureBack();
        }
        return true;
    }
    if (IsCtrlDown()) {
        PickUnderCursor(button);
        return true;
    }
    if (!PaintAt(button, x, y))
        return false;
    if (!painting) {
        painting = true;
        TakeCapture();
    }
    return true;
}

bool LevelEditor::IsCtrlDown() const
{
    return gInputSystem && (gInputSystem->IsKeyDown(kKeyLeftControl) || gInputSystem->IsKeyDown(kKeyRightControl));
}

void LevelEditor::PickUnderCursor(int32_t button)
{
    std::string shown = highlightInfoVar.GetString();
    if (!textureMode)
        objectVar.SetString(shown);
    else
        (button == 0 ? textureVar : textureAltVar).SetString(shown);
}

void LevelEditor::ResolveBrushes()
{
    auto resolve = [](const UserVarRef& var, std::string& name, ResourceHandle& handle, bool isTexture) {
        std::string wanted = var.GetString();
        if (wanted == name)
            return;
        name = wanted;
        handle.Reset();
        if (wanted.empty() || !gResourceManager)
            return;
        if (isTexture)
            LoadTextureByName(wanted, handle, TextureUsage::TwoSidedVertexColor);
        else
            gResourceManager->Load(wanted, handle);
    };
    resolve(textureVar, textureName, texture, true);
    resolve(textureAltVar, altTextureName, altTexture, true);
    resolve(objectVar, objectName, object, false);
}

bool LevelEditor::PaintAt(int32_t button, int32_t x, int32_t y)
{
    ResolveBrushes();
    const ResourceHandle& brush = button == 0 ? texture : altTexture;
    if (textureMode ? !brush.IsValid() : (!object.IsValid() && button == 0))
        return false;
    int32_t tileX = -1;
    int32_t tileY = -1;
    ScreenToTile(x, y, tileX, tileY);
    if (currentBlock < 0 && !IsFullLevel()) {
        // The bare ground of a new area is its first block to come: the first stroke on it makes it.
        bool lays = textureMode || button == 0;
        if (!lays || !ShowsNewGround() || tileX < 0 || tileY < 0 || tileX >= GetArea()->GetBlockWidth() ||
            tileY >= GetArea()->GetBlockHeight())
            return false;
        NewBlock();
    }
    LevelGeometry g = LevelGeometry::Current();
    // A brush is never wider than the level, so a huge size cannot loop for ever.
    int32_t radius = textureMode ? std::min(brushSize, g.levelTileWidth) : 0;
    for (int32_t dy = -radius; dy <= radius; ++dy)
        for (int32_t dx = -radius; dx <= radius; ++dx)
            PaintTile(button, tileX + dx, tileY + dy);
    clean = false;
    ClearLevelCaches();
    return true;
}

void LevelEditor::PaintTile(int32_t button, int32_t tileX, int32_t tileY)
{
    AreaResource* area = GetArea();
    int32_t block = -1;
    int32_t blockX = 0;
    int32_t blockY = 0;
    if (!area || !ResolveTile(tileX, tileY, block, blockX, blockY))
        return;
    if (textureMode) {
        area->SetTile(block, blockX, blockY, button == 0 ? texture : altTexture);
        if (editorLevel.data)
            LevelQueries::ClearTileCellsAround(editorLevel, tileX, tileY);
    } else if (button == 0) {
        bool random = randomRotationVar.GetInt() != 0 && gRandomSystem;
        int32_t rotation = random ? gRandomSystem->RandomInt(RandomStream::GameData, kRotationCount) : objectRotation;
        area->SetCell(block, blockX, blockY, object, rotation);
    } else {
        area->ClearCell(block, blockX, blockY);
    }
}

// Dragging with a button held paints every tile the cursor passes, once a frame.
void LevelEditor::PaintHeld()
{
    if (!painting || !active || !gInputSystem)
        return;
    int32_t x = gInputSystem->GetCursorX();
    int32_t y = gInputSystem->GetCursorY();
    if (gInputSystem->IsMouseDown(0)) {
        if (IsCtrlDown())
            PickUnderCursor(0);
        else
            PaintAt(0, x, y);
    } else if (gInputSystem->IsMouseDown(1)) {
        OnButton(1, true, x, y);
    }
}

// While painting every button event, the release included, reaches the editor alone.
void LevelEditor::TakeCapture()
{
    if (gClientApp)
        gClientApp->SetClickHook([this](int32_t button, bool down, int32_t x, int32_t y) {
            return OnButton(button, down, x, y);
        });
}

void LevelEditor::GiveCaptureBack()
{
    painting = false;
    if (gClientApp)
        gClientApp->SetClickHook(nullptr);
}

void LevelEditor::Fill()
{
    ResolveBrushes();
    AreaResource* area = GetArea();
    const LevelData* data = editorLevel.data.get();
    if (!IsFullLevel() || !texture.IsValid() || !area || !data)
        return;
    for (int32_t y = 0; y < data->geometry.levelTileHeight; ++y) {
        for (int32_t x = 0; x < data->geometry.levelTileWidth; ++x) {
            int32_t block = -1;
            int32_t blockX = 0;
            int32_t blockY = 0;
            if (!ResolveTile(x, y, block, blockX, blockY))
                continue;
            size_t element = static_cast<size_t>((area->GetBlockHeight() - 1 - blockY) * area->GetBlockWidth() + blockX);
            if (area->GetBlock(block)->tiles[element] < 0)
                area->SetTile(block, blockX, blockY, texture);
        }
    }
    clean = false;
    ClearLevelCaches();
}

// ---- The whole-level preview -------------------------------------------------------------------

// Generated from the area in edit itself, so an unsaved area previews too.
void LevelEditor::RebuildFullLevel()
{
    AreaResource* area = GetArea();
    if (!IsFullLevel() || !area)
        return;
    if (area->GetBlockCount() == 0)
        CreateTestBlocks();
    FreeEditorLevel();
    editorLevel.data = std::make_unique<LevelData>(LevelGeometry::Current());
    editorLevel.data->boundArea = area;
    editorLevel.data->editorLevel = true;
    // The preview is no level of the world: nobody is told of it, and it holds no textures.
    editorLevel.data->announced = true;
    editorLevel.data->active = false;
    LevelGenerator::Generate(editorLevel);
    fullLevelBuilt = true;
}

// Neighbouring test blocks share a connection name on their common edge: the edge between
// columns c - 1 and c is named "c", between rows r - 1 and r likewise. A grid of more than
// eight blocks a side gets as many names as it needs.
void LevelEditor::CreateTestBlocks()
{
    AreaResource* area = GetArea();
    if (!area)
        return;
    LevelGeometry g = LevelGeometry::Current();
    int32_t cols = g.blocksPerRow;
    int32_t rows = g.blocksPerColumn;
    int32_t names = std::max({kLevelEditorTestConnections, cols - 1, rows - 1});
    for (int32_t i = 1; i <= names; ++i)
        area->AddEdgeType(std::to_string(i));
    auto inner = [area](int32_t number) { return area->FindEdgeType(std::to_string(number)); };
    // Made for the preview, not by the modder: they leave the area as clean as it was.
    bool wasClean = clean;
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < cols; ++c) {
            NewBlock();
            AreaBlock* block = GetCurrentBlock();
            block->name = StringFormat("%d-%d", c + 1, r + 1);
            blockNameVar.SetString(block->name);
            block->edges[0] = r == rows - 1 ? kLevelEditorBorderConnection : inner(r + 1);
            block->edges[1] = c == 0 ? kLevelEditorBorderConnection : inner(c);
            block->edges[2] = c == cols - 1 ? kLevelEditorBorderConnection : inner(c + 1);
            block->edges[3] = r == 0 ? kLevelEditorBorderConnection : inner(r);
        }
    }
    ShowConnectionVars();
    clean = wasClean;
}

void LevelEditor::ClearLevelCaches()
{
    blockLevel.data.reset();
    if (LevelData* data = editorLevel.data.get()) {
        data->tileCells.clear();
        LevelQueries::InvalidateCachedBlocks(editorLevel);
    }
    // An area of "Levels/" is the very resource the game's levels are built from.
    if (gWorld)
        gWorld->InvalidateCachedBlocksOf(GetArea());
}

void LevelEditor::RefreshGroundDetail()
{
    if (AreaResource* area = GetArea())
        area->ReapplyGroundDetail();
    for (Level* level : {&editorLevel, &blockLevel}) {
        if (level->data)
            level->data->tileCells.clear();
    }
}

void LevelEditor::FreeEditorLevel()
{
    editorLevel.data.reset();
    blockLevel.data.reset();
    fullLevelBuilt = false;
}

// ---- Shut-down ---------------------------------------------------------------------------------

void LevelEditor::ShutDown()
{
    Leave();
    ReleaseArea();
    ReleaseHandles();
}

void LevelEditor::ReleaseHandles()
{
    textureName.clear();
    altTextureName.clear();
    objectName.clear();
    texture.Reset();
    altTexture.Reset();
    object.Reset();
    outlineTexture.Reset();
    highlightTexture.Reset();
    cellTexture.Reset();
}
