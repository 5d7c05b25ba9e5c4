// LevelEditor -- the in-game area editor: the area in edit, its blocks, painting and placing with the mouse, the whole-level preview, saving, and the commands and user vars its menus drive.
#pragma once

#include "core/UserVarRef.h"
#include "resources/ResourceHandle.h"
#include "world/Level.h"
#include "world/WorldPos3.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AreaResource;
struct AreaBlock;
struct ListEntry;

// Main thread. One per process, behind gLevelEditor; the commands, the client's key and button
// hooks and the frame's editor view reach it there.
class LevelEditor {
public:
    // Key codes of the view keys and the Control keys.
    static constexpr int32_t kKeyUp = 0xC8;
    static constexpr int32_t kKeyDown = 0xD0;
    static constexpr int32_t kKeyLeft = 0xCB;
    static constexpr int32_t kKeyRight = 0xCD;
    static constexpr int32_t kKeyHome = 0xC7;
    static constexpr int32_t kKeyEnd = 0xCF;
    static constexpr int32_t kKeyLeftControl = 0x1D;
    static constexpr int32_t kKeyRightControl = 0x9D;
    // Placed objects face one of eight directions; a fresh editor places them facing 4.
    static constexpr int32_t kRotationCount = 8;
    static constexpr int32_t kStartRotation = 4;
    // Where the highlight of the tile under the cursor and the editor's outline come from.
    static constexpr const char* kOutlineTexture = "Textures/Editor/EditorOutline.tga";
    static constexpr const char* kHighlightTexture = "Textures/Editor/EditorHighlight.tga";
    // White, tinted by the colour table for the collision overlays' squares.
    static constexpr const char* kCellTexture = "Textures/Editor/EditorCell.tga";
    // The overlays' squares are this many world units wide, centred on their cell.
    static constexpr float kCellSquare = 4.0f;

    LevelEditor();
    ~LevelEditor();
    LevelEditor(const LevelEditor&) = delete;
    LevelEditor& operator=(const LevelEditor&) = delete;

    // The 21 user vars, the 27 commands and the two info procedures, the home view, the
    // textures and a new empty area; after the menus are loaded.
    void Register();
    // Releases the area in edit, the preview level and every handle.
    void ShutDown();

    // ---- Entering, leaving and input -------------------------------------------------------------
    void Enter();
    void Leave();
    bool IsActive() const { return active; }
    // The client's key hook while the editor is on: the view keys move the view; every key-up is swallowed.
    bool OnKey(int32_t key, bool down, bool repeat);
    // Offered every button event: painting, placing, erasing and Ctrl-picking.
    bool OnButton(int32_t button, bool down, int32_t x, int32_t y);

    // ---- The frame -----------------------------------------------------------------------------
    // The vars into the block, the hover texts and held-button painting.
    void Update();
    // Update, then the blue-cleared view of the block or the level; nothing while off.
    void Draw();

    // ---- The area in edit --------------------------------------------------------------------------
    void NewArea();
    void LoadArea();
    void ReleaseArea();
    void NewBlock();
    void DuplicateBlock();
    void DeleteBlock();
    void RotateBlock();
    void CreateConnection();
    void DeleteConnection();
    void Fill();
    void RebuildFullLevel();
    void CreateTestBlocks();
    // Writes the area to "Levels/<EditorAreaFileName>" in the user folder; false (and the
    // save-as menu) for an empty or refused name, false when the file could not be written.
    bool Save();

    // ---- Questions ---------------------------------------------------------------------------------
    // Null while no area is in edit.
    AreaResource* GetArea() const;
    // The area in edit and its preview shown at the current "r_groundDetail".
    void RefreshGroundDetail();
    AreaBlock* GetCurrentBlock() const;
    int32_t GetCurrentBlockIndex() const { return currentBlock; }
    bool IsClean() const { return clean; }
    bool IsTextureMode() const { return textureMode; }
    bool IsPainting() const { return painting; }
    bool IsFullLevelBuilt() const { return fullLevelBuilt; }
    int32_t GetObjectRotation() const { return objectRotation; }
    int32_t GetBrushSize() const { return brushSize; }
    const WorldPos3& GetViewTarget() const { return viewTarget; }
    const Level& GetEditorLevel() const { return editorLevel; }
    // The world tile under the screen point (640 x 480 units), from the view target.
    void ScreenToTile(int32_t x, int32_t y, int32_t& tileX, int32_t& tileY) const;
    // The area block and its tile at the tile of the block in edit, or of the preview in full-level mode; false outside.
    bool ResolveTile(int32_t tileX, int32_t tileY, int32_t& block, int32_t& blockX, int32_t& blockY) const;
    // The same for the tile under the mouse cursor; false without input or outside.
    bool ResolveCursorTile(int32_t& tileX, int32_t& tileY, int32_t& block, int32_t& blockX, int32_t& blockY) const;

private:
    void RegisterVars();
    void RegisterCommands();
    void RegisterAreaCommands();
    void RegisterBlockCommands();
    void RegisterModeCommands();
    void GetBlocks(std::vector<ListEntry>& rows) const;
    void GetConnectionNames(std::vector<ListEntry>& rows) const;
    void OnEditorCommand(bool run);
    void OnNewCommand(bool needsSaveCheck);
    void OnOpenCommand(bool needsSaveCheck);
    void SetTextureMode(bool on);
    void TurnObjects(int32_t step);
    void ChangeBlock();
    void StepBlock(int32_t step);
    void ShowBlockVars();
    void ShowConnectionVars();
    void ClearConnectionVars();
    void ClearLevelCaches();
    void SyncVarsIntoBlock();
    void ShowHoverInfo();
    void PaintHeld();
    bool IsFullLevel() const;
    // A new area without blocks, in block mode: the view shows the ground its first block will take.
    bool ShowsNewGround() const;
    bool IsCtrlDown() const;
    void PickUnderCursor(int32_t button);
    void ResolveBrushes();
    bool PaintAt(int32_t button, int32_t x, int32_t y);
    void PaintTile(int32_t button, int32_t tileX, int32_t tileY);
    void TakeCapture();
    void GiveCaptureBack();
    void FreeEditorLevel();
    void ReleaseHandles();
    void ShowMenu(const char* menuName) const;
    void SetMenuVisible(const char* menuName, bool on) const;
    void DrawTiles();
    void DrawNewGround(const AreaResource& area);
    void DrawTile(int32_t tileX, int32_t tileY, int32_t shader, float lift);
    void DrawObject(int32_t tileX, int32_t tileY);
    // The level whose cells the overlays show: the preview, or a level holding only the block in edit.
    Level* CellLevel();
    void DrawCollisionOverlays();
    void DrawCells(Level& level, const std::array<int32_t, 4>& window, bool sight);

    bool active = false;
    Level editorLevel;
    Level blockLevel;
    bool fullLevelBuilt = false;
    ResourceHandle loadedArea;
    std::unique_ptr<AreaResource> ownArea;
    bool areaIsLoaded = false;
    int32_t currentBlock = -1;
    WorldPos3 homeView;
    WorldPos3 viewTarget;
    ResourceHandle outlineTexture;
    ResourceHandle highlightTexture;
    ResourceHandle cellTexture;
    ResourceHandle texture;
    std::string textureName;
    ResourceHandle altTexture;
    std::string altTextureName;
    ResourceHandle object;
    std::string objectName;
    bool painting = false;
    int32_t paintButton = 0;
    bool textureMode = false;
    int32_t objectRotation = kStartRotation;
    bool clean = true;
    int32_t brushSize = 0;

    UserVarRef textureVar;
    UserVarRef textureAltVar;
    UserVarRef objectVar;
    UserVarRef areaFileNameVar;
    UserVarRef blockNameVar;
    UserVarRef blockIndexVar;
    UserVarRef blockWeightVar;
    UserVarRef blockMaxUseVar;
    UserVarRef blockOpenEdgesVar;
    UserVarRef blockMonstersVar;
    UserVarRef blockChestVar;
    std::array<UserVarRef, 4> connectionVars;
    UserVarRef connectionNameVar;
    UserVarRef connectionToDeleteVar;
    UserVarRef highlightInfoVar;
    UserVarRef tileLocationVar;
    // The outcome of the last save, on the editor's strip: the log alone is no answer to a modder.
    UserVarRef saveStatusVar;
    UserVarRef fullLevelVar;
    UserVarRef randomRotationVar;
    UserVarRef collisionGridVar;
    UserVarRef sightGridVar;
    bool lastFullLevel = false;
};

extern LevelEditor* gLevelEditor;
