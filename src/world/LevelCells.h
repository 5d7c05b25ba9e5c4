// LevelCells -- movement and sight on a level's fine cell grid, built block by block; tile object instances, ground textures and tile drawing records.
#pragma once

#include "resources/ResourceHandle.h"

#include <cstdint>

class AreaResource;
struct Level;
struct LevelTileCell;
struct TileObjectInstance;

// A cell is CellsPerTile along each side of a tile; cell (cx, cy) counts from the level's
// lower left. Bits are built for a whole block on its first question, from the level's
// borders, the tiles' shaders and the footprints of the placed objects (its own and those of
// the eight blocks around that reach into it, so the answer never depends on which block was
// asked first). Every question takes any cell: outside the level the answer is "blocked".
namespace LevelCells {

bool IsCellBlocked(Level& level, int32_t cellX, int32_t cellY);
// The movement and sight bits of the block at grid place (blockX, blockY), whose grid index is
// blockIndex: the level's border walls, the tiles' shaders and the objects' footprints; then
// its built bit. Nothing for a level not generated or a place outside its grid.
void BuildBlockCells(Level& level, int32_t blockIndex, int32_t blockX, int32_t blockY);
bool IsCellSightBlocked(Level& level, int32_t cellX, int32_t cellY);
// The object index standing on the tile (an occupant), -1 for none or outside the level.
int32_t GetTileOccupant(Level& level, int32_t tileX, int32_t tileY);
// The tile's object model (empty without one) and its instance, drawn on first access from
// stream 0 when the model asks for a random facing or scale.
void GetTileObjectInstance(Level& level, int32_t tileX, int32_t tileY, ResourceHandle& model, TileObjectInstance& out);
// The opacity the tile's object instance is drawn at from now on; nothing outside the level or
// for a tile without an object instance.
void SetTileObjectOpacity(Level& level, int32_t tileX, int32_t tileY, float opacity);
// The tile's drawing record, built on first access; null outside the level.
const LevelTileCell* GetTileCell(Level& level, int32_t tileX, int32_t tileY);
// What the ground of the tile is drawn with: the area's default shader under an unreachable
// wall, an occupant's map shader under an object, else the tile's own texture.
ResourceHandle GetGroundTexture(Level& level, int32_t tileX, int32_t tileY);
// What tile (x, y), whose own texture in the level's area file area is own, shows of the wall
// the level keeps along its edges (the one-cell ring of BuildBlockCells): the area file's first
// texture that stops both movement and sight, where the ring runs through the tile and it has a
// texture of its own that does not stop movement already; empty everywhere else (an empty grid
// place among them), and without one such texture. A player sees the edge he cannot cross as a
// wall, not as the ground beside it.
ResourceHandle GetBorderWallTexture(Level& level, const AreaResource& area, int32_t tileX, int32_t tileY,
                                    const ResourceHandle& own);

} // namespace LevelCells
