// LevelData -- the generated contents of a level: its block grid, reachability, the cell bits of movement and sight, and drawing records.
#include "world/LevelData.h"

#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"

#include <algorithm>

LevelGeometry LevelGeometry::FromTuning(const GameSystemTuning& tuning)
{
    LevelGeometry g;
    g.levelTileWidth = std::max(tuning.levelTileWidth, 1);
    g.levelTileHeight = std::max(tuning.levelTileHeight, 1);
    g.blockTileWidth = std::clamp(tuning.blockTileWidth, 1, g.levelTileWidth);
    g.blockTileHeight = std::clamp(tuning.blockTileHeight, 1, g.levelTileHeight);
    g.blocksPerRow = g.levelTileWidth / g.blockTileWidth;
    g.blocksPerColumn = g.levelTileHeight / g.blockTileHeight;
    // A hostile grid size cannot make the cell bits of a level take gigabytes.
    g.cellsPerTile = std::clamp(tuning.cellsPerTile, 1, 8);
    g.tileSize = tuning.tileSize;
    g.blockWidth = static_cast<float>(g.blockTileWidth) * g.tileSize;
    g.blockHeight = static_cast<float>(g.blockTileHeight) * g.tileSize;
    return g;
}

LevelGeometry LevelGeometry::Current()
{
    if (gGameData)
        return FromTuning(gGameData->GetTuning());
    GameSystemTuning defaults;
    defaults.cellsPerTile = static_cast<int32_t>(defaults.tileSize / defaults.gridSize.x + 0.5f);
    return FromTuning(defaults);
}

LevelData::LevelData(const LevelGeometry& geometry)
    : geometry(geometry), movementBits(static_cast<size_t>(geometry.CellsAcross()) * geometry.CellsDown()),
      sightBits(movementBits.size()), blockBuilt(static_cast<size_t>(geometry.BlockCount()))
{
}
