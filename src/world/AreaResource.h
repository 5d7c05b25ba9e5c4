// AreaResource -- a loaded area file ("ara"): tile textures, object models, edge types and the blocks levels are built from.
#pragma once

#include "resources/Resource.h"
#include "resources/ResourceHandle.h"
#include "world/AreaBlock.h"
#include "world/AreaEdgeRoles.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TextParser;

struct AreaTileTexture {
    std::string name;
    ResourceHandle baseTexture;
    // The base texture unless the ground-detail replacement changed it.
    ResourceHandle shownTexture;
};

struct AreaObjectType {
    std::string name;
    ResourceHandle model;
};

// Parsed on the loader thread, used on the main thread by level generation and the area
// editor. Textures and models are held only between the first Acquire and the last Release.
// Every accessor takes any block number and tile position: outside the file they answer -1
// or false.
class AreaResource : public Resource {
public:
    // Hostile files cannot make the lists grow without bound.
    static constexpr int32_t kMaxNamedTypes = 4096;
    static constexpr int32_t kMaxBlocks = 65536;

    // Blocks are blockWidth x blockHeight tiles (the game data's "BlockTileWidth" and
    // "BlockTileHeight").
    AreaResource(int32_t blockWidth, int32_t blockHeight);
    ~AreaResource() override;

    // The "ara" factory: parses the file with the game data's block size.
    static Resource* Create(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    // The stand-in for a file that exists nowhere: no blocks, so its levels stay empty.
    static Resource* CreateMissing(const std::string& name);
    // The file grammar; never stops on bad input. Replaces nothing: call on a fresh object.
    void Parse(TextParser& parser);
    // How many values the parse had to mend or drop: counts past the names left or the limits,
    // tile and object indices outside their lists, facings outside 0..7, weights below 0 or not
    // numbers, object lines outside the block. Shipped files have none.
    int32_t GetParseFaults() const { return parseFaults; }

    void Acquire();
    void Release();
    bool AreTexturesLoaded() const { return texturesLoaded; }
    int32_t GetAcquireCount() const { return acquireCount; }

    int32_t GetBlockWidth() const { return blockWidth; }
    int32_t GetBlockHeight() const { return blockHeight; }
    int32_t GetBlockCount() const { return static_cast<int32_t>(blocks.size()); }
    AreaBlock* GetBlock(int32_t block) const;
    const std::vector<AreaTileTexture>& GetTileTextures() const { return tileTextures; }
    const std::vector<AreaObjectType>& GetObjectTypes() const { return objectTypes; }
    const std::vector<std::string>& GetEdgeTypeNames() const { return edgeTypeNames; }
    const AreaEdgeRoles& GetEdgeRoles() const { return edgeRoles; }

    // The shown texture of tile (x, y), y from the bottom; empty for an empty tile.
    ResourceHandle GetTileTexture(int32_t block, int32_t x, int32_t y) const;
    // The object index of the cell or -1; on success model and value are written, on -1
    // model is emptied.
    int32_t GetTileObject(int32_t block, int32_t x, int32_t y, ResourceHandle& model, int32_t& value) const;
    // Empty for -1 and for an index past the object types.
    ResourceHandle GetObjectTypeModel(int32_t objectIndex) const;

    // A block fitting the four side requirements, drawn by weight from random stream 2; -1
    // when none fits. useCounts (one per block, the level's) are grown to the block count and
    // the chosen block's count raised.
    int32_t ChooseBlock(const std::array<int32_t, kAreaBlockSideCount>& requirements, std::vector<int32_t>& useCounts) const;
    bool EdgeFits(int32_t edge, int32_t requirement) const { return edgeRoles.EdgeFits(edge, requirement); }
    bool IsSideOpen(int32_t block, int32_t side) const;
    // -1 outside the blocks or sides.
    int32_t GetEdge(int32_t block, int32_t side) const;

    int32_t FindEdgeType(std::string_view name) const;
    void AddEdgeType(std::string_view name);
    // Edges of the removed type become 0 and later indices move down one.
    void RemoveEdgeType(std::string_view name);

    // Editing, for the area editor.
    AreaBlock* NewBlock();
    // Later blocks move down one number; an index naming no block changes nothing.
    void RemoveBlock(int32_t block);
    void SetTile(int32_t block, int32_t x, int32_t y, const ResourceHandle& texture);
    void SetCell(int32_t block, int32_t x, int32_t y, const ResourceHandle& model, int32_t objectValue);
    void ClearCell(int32_t block, int32_t x, int32_t y);
    int32_t FindTileByName(std::string_view name) const;
    int32_t FindTileByTexture(int32_t texture) const;
    int32_t FindObjectByModel(int32_t model) const;
    // "1" or "0" per side, side 0 first.
    static std::string EdgeMaskToText(int32_t mask);
    // A text not exactly four characters long leaves the mask as it is.
    static void EdgeMaskFromText(std::string_view text, int32_t& mask);

    // The game-database record of the ground-detail replacement for a detail level (0 Low,
    // 1 Normal, 2 High): "GroundDetail" + the file's own name; any other level adds no suffix.
    std::string GroundDetailRecordName(int32_t detail) const;
    // While the textures are held: the shown textures chosen again for the current detail.
    void ReapplyGroundDetail();

private:
    // Element index of tile (x, y) or -1 outside the block.
    int32_t TileElement(int32_t x, int32_t y) const;
    AreaBlock* BlockAt(int32_t block, int32_t x, int32_t y, int32_t& element) const;
    void ParseNames(TextParser& parser, std::vector<std::string>& names);
    void ParseBlock(TextParser& parser);
    void LoadHandles();
    void ReleaseHandles();
    void ApplyGroundDetail();

    int32_t blockWidth;
    int32_t blockHeight;
    int32_t parseFaults = 0;
    int32_t acquireCount = 0;
    bool texturesLoaded = false;
    std::vector<AreaTileTexture> tileTextures;
    std::vector<AreaObjectType> objectTypes;
    std::vector<std::string> edgeTypeNames;
    AreaEdgeRoles edgeRoles;
    std::vector<std::unique_ptr<AreaBlock>> blocks;
};
