// LevelQueries -- what the world and spawn code ask of a generated level: blocks under tiles and points, random places, rolls and small queries.
#pragma once

#include "resources/ResourceHandle.h"
#include "world/WorldPos.h"

#include <cstdint>

class DatabaseEntry;
struct Level;
struct LevelGate;

// Every query brings the level's generation up to date first, and takes any tile, block or
// point: outside the level it answers empty, -1 or "not there".
namespace LevelQueries {

// A bound on the draws of a random point: a level whose blocks are all unreachable still ends.
constexpr int32_t kMaxPointDraws = 1000;

// The grid index of the block holding the tile, with the tile's place inside the block; -1
// outside the level.
int32_t TileToBlock(const Level& level, int32_t tileX, int32_t tileY, int32_t& localX, int32_t& localY);
// The grid index of the block under a point in world units; -1 outside the level.
int32_t WorldToBlock(const Level& level, float x, float y);
ResourceHandle GetTileTexture(Level& level, int32_t tileX, int32_t tileY);
int32_t GetTileObject(Level& level, int32_t tileX, int32_t tileY, ResourceHandle& model, int32_t& value);
bool IsBlockInBounds(const Level& level, int32_t blockX, int32_t blockY);
bool IsBlockEmpty(Level& level, int32_t blockX, int32_t blockY);
bool IsBlockReachable(Level& level, int32_t blockX, int32_t blockY);
int32_t GetGridEntry(const Level& level, int32_t index);
// The monsters (chests) for the block at a grid index, by the area's roll; a block that forces
// them always gets its roll.
int32_t RollBlockMonsters(Level& level, int32_t index, bool always);
int32_t RollBlockChests(Level& level, int32_t index, bool always);
// Stream 1; drawn again while the point lands on another level or, once the level is
// generated, on an unreachable block. After kMaxPointDraws the centre of the first reachable
// block; level -1 when the level has none.
WorldPos RandomPointInLevel(Level& level);
// Stream 0, inside the block at (blockX, blockY); drawn again while it leaves the level.
WorldPos RandomPointInBlock(Level& level, int32_t blockX, int32_t blockY);
// After an edit: the drawing records of the 3 x 3 tiles around are built again.
void ClearTileCellsAround(Level& level, int32_t tileX, int32_t tileY);
// The cell bits are built again on the next question.
void InvalidateCachedBlocks(Level& level);

const DatabaseEntry* PickChestType(const Level& level);
const DatabaseEntry* PickTrapType(const Level& level);
// Up the parent links to the level at the top.
const Level& TopLevel(const Level& level);
// The gates that join the level to the levels above and below it.
int32_t GetGateCount(const Level& level);
// Gate i of that list: where it stands and the level it leads to; position level -1 and target
// -1 for an index outside the list.
LevelGate GetGate(const Level& level, int32_t i);
// The target of the first gate that leads down; -1 without one.
int32_t GetDownwardGateTarget(const Level& level);

} // namespace LevelQueries
