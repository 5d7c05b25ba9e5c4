// LevelEditor -- the area editor's registration, commands, user vars, modes, block choice, the per-frame sync of the vars into the block, hover texts and the view keys.
#include "tools/LevelEditor.h"

#include "client/ClientApp.h"
#include "client/ScreenConversion.h"
#include "core/CommandSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/widgets/UITextureList.h"
#include "world/AreaResource.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"

#include <cmath>

LevelEditor* gLevelEditor = nullptr;

namespace {

// The user vars in the order of the editor's var handles; "EditorFullLevel" and
// "EditorRandomRotation" default to "0", the rest to the empty text.
constexpr const char* kLevelEditorConnectionVars[4] = {"EditorTopConnection", "EditorLeftConnection",
                                                        "EditorRightConnection", "EditorBottomConnection"};

// What the info procedures and the hover texts name: the area's own list entry.
std::string LevelEditorTileName(const AreaResource& area, int32_t tile)
{
    const auto& tiles = area.GetTileTextures();
    return tile >= 0 && tile < static_cast<int32_t>(tiles.size()) ? tiles[static_cast<size_t>(tile)].name : "";
}

std::string LevelEditorObjectName(const AreaResource& area, int32_t objectIndex)
{
    const auto& objects = area.GetObjectTypes();
    return objectIndex >= 0 && objectIndex < static_cast<int32_t>(objects.size())
               ? objects[static_cast<size_t>(objectIndex)].name
               : "";
}

void LevelEditorRegister(const char* name, CommandSystem::Handler handler, const char* help,
                         const char* argNames = "", const char* argTypes = "")
{
    gCommandSystem->RegisterCommand(name, std::move(handler), help, argNames, argTypes);
}

} // namespace

LevelEditor::LevelEditor() = default;

LevelEditor::~LevelEditor()
{
    ShutDown();
}

// ---- Registration ------------------------------------------------------------------------------

void LevelEditor::Register()
{
    RegisterVars();
    RegisterCommands();
    gCommandSystem->RegisterInfoProc("EditorGetBlocks", [this](std::vector<ListEntry>& rows) { GetBlocks(rows); });
    gCommandSystem->RegisterInfoProc("getConnectionNames",
                                     [this](std::vector<ListEntry>& rows) { GetConnectionNames(rows); });
    LevelGeometry g = LevelGeometry::Current();
    homeView.Set(-1, Vector2{static_cast<float>(g.blockTileWidth) * g.tileSize * 0.5f + 5.0f,
                             static_cast<float>(g.blockTileHeight) * g.tileSize * 0.5f + 60.0f});
    viewTarget = homeView;
    // The outline stands for a tile without a texture; the highlight is laid over the tile under the cursor.
    if (gResourceManager) {
        LoadTextureByName(kOutlineTexture, outlineTexture, TextureUsage::TwoSidedVertexColor);
        LoadTextureByName(kHighlightTexture, highlightTexture, TextureUsage::AlphaBlended);
        LoadTextureByName(kCellTexture, cellTexture, TextureUsage::TwoSidedVertexColor);
    }
    currentBlock = -1;
    ClearConnectionVars();
    SetTextureMode(false);
    NewArea();
}

void LevelEditor::RegisterVars()
{
    UserVarSystem& vars = *gUserVarSystem;
    textureVar = vars.RegisterVar("EditorTexture", "");
    textureAltVar = vars.RegisterVar("EditorTextureAlt", "");
    objectVar = vars.RegisterVar("EditorObject", "");
    areaFileNameVar = vars.RegisterVar("EditorAreaFileName", "");
    blockNameVar = vars.RegisterVar("EditorBlockName", "");
    blockIndexVar = vars.RegisterVar("EditorBlockIndex", "");
    blockWeightVar = vars.RegisterVar("EditorBlockWeight", "");
    blockMaxUseVar = vars.RegisterVar("EditorBlockMaxUse", "");
    blockOpenEdgesVar = vars.RegisterVar("EditorBlockOpenEdges", "");
    blockMonstersVar = vars.RegisterVar("EditorBlockAlwaysHasMonsters", "");
    blockChestVar = vars.RegisterVar("EditorBlockAlwaysHasChest", "");
    for (size_t side = 0; side < connectionVars.size(); ++side)
        connectionVars[side] = vars.RegisterVar(kLevelEditorConnectionVars[side], "");
    connectionNameVar = vars.RegisterVar("EditorConnectionName", "");
    connectionToDeleteVar = vars.RegisterVar("EditorConnectionToDelete", "");
    highlightInfoVar = vars.RegisterVar("EditorHighlightInfo", "");
    tileLocationVar = vars.RegisterVar("EditorTileLocation", "");
    saveStatusVar = vars.RegisterVar("EditorSaveStatus", "");
    fullLevelVar = vars.RegisterVar("EditorFullLevel", "0");
    randomRotationVar = vars.RegisterVar("EditorRandomRotation", "0");
    collisionGridVar = vars.RegisterVar("showCollisionGrid", "0");
    sightGridVar = vars.RegisterVar("showSightCollisionGrid", "0");
    lastFullLevel = fullLevelVar.GetInt() != 0;
}

void LevelEditor::RegisterCommands()
{
    RegisterAreaCommands();
    RegisterBlockCommands();
    RegisterModeCommands();
}

// The help texts as the menus' tooltips have always shown them, repeats and slips included.
void LevelEditor::RegisterAreaCommands()
{
    LevelEditorRegister("editor", [this](const auto& a) { OnEditorCommand(std::atoi(a[0].c_str()) != 0); },
                        "Go into editor mode", "run", "d");
    LevelEditorRegister("editorExit", [this](const auto&) { Leave(); }, "Exits the editor with saving checks");
    LevelEditorRegister("EditorNew", [this](const auto& a) { OnNewCommand(std::atoi(a[0].c_str()) != 0); },
                        "Creates a new area", "needsSaveCheck", "b");
    LevelEditorRegister("EditorOpen", [this](const auto& a) { OnOpenCommand(std::atoi(a[0].c_str()) != 0); },
                        "Opens an area", "needsSaveCheck", "b");
    LevelEditorRegister("EditorSave", [this](const auto&) { Save(); }, "Saves the current area");
    LevelEditorRegister("EditorSaveAs", [this](const auto&) { ShowMenu("EditorSaveAs"); }, "Saves the current area");
    LevelEditorRegister("EditorLoadArea", [this](const auto&) { LoadArea(); }, "Loads an area");
    LevelEditorRegister("EditorNewConnection", [this](const auto&) { ShowMenu("EditorNewConnection"); },
                        "Creates a new connection");
    LevelEditorRegister("EditorPickConnectionToDelete", [this](const auto&) { ShowMenu("EditorDeleteConnection"); },
                        "Deletes a connection");
    LevelEditorRegister("EditorCreateNewConnection", [this](const auto&) { CreateConnection(); },
                        "Creates a new connection");
    LevelEditorRegister("EditorDeleteConnection", [this](const auto&) { DeleteConnection(); },
                        "Creates a new connection");
    LevelEditorRegister("EditorFill", [this](const auto&) { Fill(); },
                        "Fills in the entire level with the current texture");
}

void LevelEditor::RegisterBlockCommands()
{
    LevelEditorRegister("EditorNewBlock", [this](const auto&) { NewBlock(); }, "Creates a new block");
    LevelEditorRegister("EditorDuplicateBlock", [this](const auto&) { DuplicateBlock(); },
                        "Duplicates the current block");
    LevelEditorRegister("EditorRotateBlock", [this](const auto&) { RotateBlock(); }, "Rotates the current block");
    LevelEditorRegister("EditorSelectBlock", [this](const auto&) { ShowMenu("EditorPickBlock"); },
                        "Selects a current block");
    LevelEditorRegister("EditorChangeBlock", [this](const auto&) { ChangeBlock(); }, "Changes the current block");
    LevelEditorRegister("EditorDeleteBlock", [this](const auto&) { DeleteBlock(); }, "Deletes the current block");
    LevelEditorRegister("EditorPrevBlock", [this](const auto&) { StepBlock(-1); }, "Go to previous block");
    LevelEditorRegister("EditorNextBlock", [this](const auto&) { StepBlock(1); }, "Go to next block");
}

void LevelEditor::RegisterModeCommands()
{
    LevelEditorRegister("EditorChangeTextureDir", [this](const auto&) { ShowMenu("EditorTextures"); },
                        "Change to a different texture directory");
    LevelEditorRegister("EditorChangeObjectDir", [this](const auto&) { ShowMenu("EditorPickObjectDir"); },
                        "Change to a different object directory");
    LevelEditorRegister("EditorTextureMode", [this](const auto&) { SetTextureMode(true); }, "Goes into texture mode");
    LevelEditorRegister("EditorObjectMode", [this](const auto&) { SetTextureMode(false); }, "Goes into texture mode");
    LevelEditorRegister("EditorObjectsRotateCCW", [this](const auto&) { TurnObjects(-1); }, "Rotates the objects CCW");
    LevelEditorRegister("EditorObjectsRotateCW", [this](const auto&) { TurnObjects(1); }, "Rotates the objects CW");
    LevelEditorRegister("EditorBrushSize", [this](const auto& a) { brushSize = std::atoi(a[0].c_str()); },
                        "Change the texture brush size ", "brushSize", "d");
}

void LevelEditor::GetBlocks(std::vector<ListEntry>& rows) const
{
    AreaResource* area = GetArea();
    if (!area)
        return;
    for (int32_t i = 0; i < area->GetBlockCount(); ++i) {
        if (const AreaBlock* block = area->GetBlock(i))
            rows.push_back({block->name, "", "", std::to_string(i)});
    }
}

void LevelEditor::GetConnectionNames(std::vector<ListEntry>& rows) const
{
    if (AreaResource* area = GetArea()) {
        for (const std::string& name : area->GetEdgeTypeNames())
            rows.push_back({name, "", "", ""});
    }
}

// ---- Entering and leaving ----------------------------------------------------------------------

void LevelEditor::OnEditorCommand(bool run)
{
    if (run)
        Enter();
    else if (clean)
        Leave();
    else
        ShowMenu("EditorExitConfirm");
}

void LevelEditor::Enter()
{
    if (active)
        return;
    ShowMenu("Editor");
    active = true;
    // A thing carried on the cursor goes back: the editor's clicks are no drops.
    if (gUISystem)
        gUISystem->CancelDrag();
    // The view keys come before the menus and the key bindings while the editor is on.
    if (gClientApp)
        gClientApp->SetKeyHook([this](int32_t key, bool down, bool repeat) { return OnKey(key, down, repeat); },
                               this);
    RebuildFullLevel();
}

void LevelEditor::Leave()
{
    if (!active)
        return;
    SetMenuVisible("Editor", false);
    GiveCaptureBack();
    if (gClientApp)
        gClientApp->ClearKeyHook(this);
    active = false;
}

void LevelEditor::OnNewCommand(bool needsSaveCheck)
{
    if (needsSaveCheck && !clean)
        ShowMenu("EditorNewConfirm");
    else
        NewArea();
}

void LevelEditor::OnOpenCommand(bool needsSaveCheck)
{
    ShowMenu(needsSaveCheck && !clean ? "EditorOpenConfirm" : "EditorPickArea");
}

void LevelEditor::ShowMenu(const char* menuName) const
{
    SetMenuVisible(menuName, true);
}

void LevelEditor::SetMenuVisible(const char* menuName, bool on) const
{
    if (gUISystem)
        gUISystem->SetMenuVisible(menuName, on);
}

// ---- Modes and blocks --------------------------------------------------------------------------

// The lists are looked up each time, so a reload of the menu files never leaves a stale pointer.
void LevelEditor::SetTextureMode(bool on)
{
    textureMode = on;
    if (!gUISystem)
        return;
    if (UIWidget* list = gUISystem->FindWidgetByPath("Editor::TextureList"))
        list->SetVisible(on);
    if (UIWidget* list = gUISystem->FindWidgetByPath("Editor::ObjectList"))
        list->SetVisible(!on);
}

void LevelEditor::TurnObjects(int32_t step)
{
    objectRotation = (objectRotation + step + kRotationCount) % kRotationCount;
    // The object list shows its models turned the way they will be placed.
    if (auto* list = gUISystem ? dynamic_cast<UITextureList*>(gUISystem->FindWidgetByPath("Editor::ObjectList")) : nullptr)
        list->modelPose = objectRotation;
}

void LevelEditor::ChangeBlock()
{
    AreaResource* area = GetArea();
    int32_t index = std::atoi(blockIndexVar.GetString().c_str());
    if (area && area->GetBlock(index)) {
        currentBlock = index;
        ShowConnectionVars();
        ClearLevelCaches();
    }
    ShowBlockVars();
}

void LevelEditor::StepBlock(int32_t step)
{
    AreaResource* area = GetArea();
    if (!area || area->GetBlockCount() == 0)
        return;
    int32_t count = area->GetBlockCount();
    int32_t index = std::atoi(blockIndexVar.GetString().c_str()) + step;
    if (index < 0)
        index = count - 1;
    else if (index >= count)
        index = 0;
    blockIndexVar.SetString(std::to_string(index));
    ChangeBlock();
}

void LevelEditor::ShowBlockVars()
{
    const AreaBlock* block = GetCurrentBlock();
    if (!block)
        return;
    blockNameVar.SetString(block->name);
    blockWeightVar.SetString(StringFormat("%.1f", static_cast<double>(block->weight)));
    blockMaxUseVar.SetString(StringFormat("%d", block->maxUses));
    blockOpenEdgesVar.SetString(AreaResource::EdgeMaskToText(block->edgeMask));
    blockMonstersVar.SetString(StringFormat("%d", block->forceMonsters ? 1 : 0));
    blockChestVar.SetString(StringFormat("%d", block->forceChests ? 1 : 0));
}

void LevelEditor::ShowConnectionVars()
{
    AreaResource* area = GetArea();
    const AreaBlock* block = GetCurrentBlock();
    if (!area || !block) {
        ClearConnectionVars();
        return;
    }
    const auto& names = area->GetEdgeTypeNames();
    for (size_t side = 0; side < connectionVars.size(); ++side) {
        int32_t edge = block->edges[side];
        bool named = edge >= 0 && edge < static_cast<int32_t>(names.size());
        connectionVars[side].SetString(named ? names[static_cast<size_t>(edge)] : "");
    }
}

void LevelEditor::ClearConnectionVars()
{
    for (const UserVarRef& var : connectionVars)
        var.SetString("");
}

// ---- The frame ---------------------------------------------------------------------------------

void LevelEditor::Update()
{
    bool fullLevel = IsFullLevel();
    if (fullLevel != lastFullLevel) {
        lastFullLevel = fullLevel;
        RebuildFullLevel();
    }
    SyncVarsIntoBlock();
    ShowHoverInfo();
    PaintHeld();
}

// The weight is compared in its shown form: a weight the var cannot show exactly (1.25 shows
// "1.2") is not rounded by merely choosing its block.
void LevelEditor::SyncVarsIntoBlock()
{
    AreaBlock* block = GetCurrentBlock();
    AreaResource* area = GetArea();
    if (!block || !area)
        return;
    bool changed = false;
    auto take = [&changed](auto& field, auto value) {
        if (field != value) {
            field = value;
            changed = true;
        }
    };
    take(block->name, blockNameVar.GetString());
    if (blockWeightVar.GetString() != StringFormat("%.1f", static_cast<double>(block->weight)))
        take(block->weight, blockWeightVar.GetFloat());
    take(block->maxUses, blockMaxUseVar.GetInt());
    take(block->forceMonsters, blockMonstersVar.GetInt() != 0);
    take(block->forceChests, blockChestVar.GetInt() != 0);
    int32_t mask = block->edgeMask;
    AreaResource::EdgeMaskFromText(blockOpenEdgesVar.GetString(), mask);
    take(block->edgeMask, mask);
    for (size_t side = 0; side < connectionVars.size(); ++side) {
        int32_t edge = area->FindEdgeType(connectionVars[side].GetString());
        if (edge >= 0)
            take(block->edges[side], edge);
    }
    if (changed)
        clean = false;
}

void LevelEditor::ShowHoverInfo()
{
    highlightInfoVar.SetString("");
    tileLocationVar.SetString("");
    AreaResource* area = GetArea();
    int32_t tileX = -1;
    int32_t tileY = -1;
    int32_t block = -1;
    int32_t blockX = 0;
    int32_t blockY = 0;
    if (!area || !ResolveCursorTile(tileX, tileY, block, blockX, blockY))
        return;
    if (textureMode) {
        const AreaBlock* found = area->GetBlock(block);
        size_t element = static_cast<size_t>((area->GetBlockHeight() - 1 - blockY) * area->GetBlockWidth() + blockX);
        highlightInfoVar.SetString(LevelEditorTileName(*area, found->tiles[element]));
    } else {
        ResourceHandle model;
        int32_t value = 0;
        highlightInfoVar.SetString(LevelEditorObjectName(*area, area->GetTileObject(block, blockX, blockY, model, value)));
    }
    float size = LevelGeometry::Current().tileSize;
    tileLocationVar.SetString(StringFormat("%.0f %.0f", static_cast<double>(static_cast<float>(tileX) * size),
                                           static_cast<double>(static_cast<float>(tileY) * size)));
}

// The world point under the cursor is the view target plus the screen point's offset on the
// ground, as the player's clicks are found; floored, so a point left of the first tile is -1.
void LevelEditor::ScreenToTile(int32_t x, int32_t y, int32_t& tileX, int32_t& tileY) const
{
    float size = LevelGeometry::Current().tileSize;
    Vector2 offset = ScreenConversion::ScreenToWorldOffset(static_cast<float>(x), static_cast<float>(y),
                                                           ScreenConversion::CurrentView());
    tileX = static_cast<int32_t>(std::floor((viewTarget.x + offset.x) / size));
    tileY = static_cast<int32_t>(std::floor((viewTarget.y + offset.y) / size));
}

bool LevelEditor::ResolveCursorTile(int32_t& tileX, int32_t& tileY, int32_t& block, int32_t& blockX,
                                    int32_t& blockY) const
{
    if (!gInputSystem)
        return false;
    ScreenToTile(gInputSystem->GetCursorX(), gInputSystem->GetCursorY(), tileX, tileY);
    return ResolveTile(tileX, tileY, block, blockX, blockY);
}

bool LevelEditor::ResolveTile(int32_t tileX, int32_t tileY, int32_t& block, int32_t& blockX, int32_t& blockY) const
{
    AreaResource* area = GetArea();
    if (!area || tileX < 0 || tileY < 0)
        return false;
    int32_t width = area->GetBlockWidth();
    int32_t height = area->GetBlockHeight();
    if (!IsFullLevel()) {
        block = currentBlock;
        blockX = tileX;
        blockY = tileY;
        return tileX < width && tileY < height && area->GetBlock(block);
    }
    const LevelData* data = editorLevel.data.get();
    if (!fullLevelBuilt || !data || width <= 0 || height <= 0)
        return false;
    const LevelGeometry& g = data->geometry;
    if (tileX >= g.levelTileWidth || tileY >= g.levelTileHeight)
        return false;
    size_t cell = static_cast<size_t>((tileY / height) * g.blocksPerRow + tileX / width);
    block = cell < data->blockGrid.size() ? data->blockGrid[cell] : -1;
    blockX = tileX % width;
    blockY = tileY % height;
    return area->GetBlock(block) != nullptr;
}

bool LevelEditor::IsFullLevel() const
{
    return fullLevelVar.IsValid() && fullLevelVar.GetInt() != 0;
}

// ---- The view keys -----------------------------------------------------------------------------

bool LevelEditor::OnKey(int32_t key, bool down, bool /*repeat*/)
{
    if (!active)
        return false;
    if (!down)
        return true;
    LevelGeometry g = LevelGeometry::Current();
    float worldWidth = static_cast<float>(g.levelTileWidth) * g.tileSize;
    float worldHeight = static_cast<float>(g.levelTileHeight) * g.tileSize;
    Vector3 step;
    switch (key) {
    case kKeyUp:
        step.y = g.tileSize;
        break;
    case kKeyDown:
        step.y = -g.tileSize;
        break;
    case kKeyLeft:
        step.x = -g.tileSize;
        break;
    case kKeyRight:
        step.x = g.tileSize;
        break;
    case kKeyHome:
        viewTarget = homeView;
        return true;
    case kKeyEnd:
        viewTarget.Set(viewTarget.level, Vector2{worldWidth, worldHeight});
        return true;
    default:
        return false;
    }
    // A step that would leave the level is not taken; one that stays inside (its far edges
    // included) is carried into no neighbour.
    float x = viewTarget.x + step.x;
    float y = viewTarget.y + step.y;
    if (x >= 0.0f && y >= 0.0f && x <= worldWidth && y <= worldHeight)
        viewTarget = viewTarget.Add(step);
    return true;
}

// ---- Questions ---------------------------------------------------------------------------------

AreaResource* LevelEditor::GetArea() const
{
    if (!areaIsLoaded)
        return ownArea.get();
    if (!loadedArea.IsValid() || !gResourceManager)
        return nullptr;
    return dynamic_cast<AreaResource*>(gResourceManager->Get(loadedArea));
}

bool LevelEditor::ShowsNewGround() const
{
    const AreaResource* area = GetArea();
    return !areaIsLoaded && area && area->GetBlockCount() == 0 && !IsFullLevel();
}

AreaBlock* LevelEditor::GetCurrentBlock() const
{
    AreaResource* area = GetArea();
    return area ? area->GetBlock(currentBlock) : nullptr;
}
