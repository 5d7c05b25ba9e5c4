// LevelData -- the generated contents of a level: its block grid, reachability, the cell bits of movement and sight, and drawing records.
#pragma once

#include "resources/ResourceHandle.h"

#include <array>
#include <cstdint>
#include <vector>

class AreaResource;
struct GameSystemTuning;

// The sizes every level shares, from the game data.
struct LevelGeometry {
    static LevelGeometry FromTuning(const GameSystemTuning& tuning);
    // The game data's, or its defaults without game data.
    static LevelGeometry Current();

    int32_t levelTileWidth = 64;
    int32_t levelTileHeight = 64;
    int32_t blockTileWidth = 8;
    int32_t blockTileHeight = 8;
    int32_t blocksPerRow = 8;
    int32_t blocksPerColumn = 8;
    int32_t cellsPerTile = 2;
    float tileSize = 64.0f;
    float blockWidth = 512.0f;
    float blockHeight = 512.0f;

    int32_t BlockCount() const { return blocksPerRow * blocksPerColumn; }
    int32_t TileCount() const { return levelTileWidth * levelTileHeight; }
    int32_t CellsAcross() const { return levelTileWidth * cellsPerTile; }
    int32_t CellsDown() const { return levelTileHeight * cellsPerTile; }
    int32_t CellsPerBlockX() const { return blockTileWidth * cellsPerTile; }
    int32_t CellsPerBlockY() const { return blockTileHeight * cellsPerTile; }
};

// A tile's drawing record: the combined texture of the tile and the neighbours drawn over it,
// and per corner (up-left, up-right, down-right, down-left) one blend weight per texture.
struct LevelTileCell {
    ResourceHandle texture;
    std::vector<int32_t> textures;
    std::array<std::vector<uint8_t>, 4> corners;
    bool built = false;
};

// What a placed object looks like on its tile, drawn once.
struct TileObjectInstance {
    int32_t facing = 0;
    float scale = 1.0f;
    // The drawn opacity: the level pass eases it down while the model stands in the player's way.
    float opacity = 1.0f;
    bool initialised = false;
};

struct LevelData {
    explicit LevelData(const LevelGeometry& geometry);

    LevelGeometry geometry;
    bool generated = false;
    bool areaAcquired = false;
    bool active = true;
    // The generated notification was sent for this generation (or activation).
    bool announced = false;
    ResourceHandle area;
    // The area editor shows this piece set directly; null otherwise.
    AreaResource* boundArea = nullptr;
    bool editorLevel = false;
    std::vector<int32_t> blockGrid;
    std::vector<bool> visited;
    std::vector<int32_t> useCounts;
    int32_t holders = 0;
    int32_t activeHolders = 0;
    std::vector<LevelTileCell> tileCells;
    std::vector<int32_t> tileOccupants;
    std::vector<TileObjectInstance> objectInstances;
    // One byte per cell, not one bit: a path search reads a row of its window in one sweep.
    std::vector<uint8_t> movementBits;
    std::vector<bool> sightBits;
    std::vector<bool> blockBuilt;
};
