// LevelGenerator -- makes a level's block grid from its seed and area file, and keeps its generated data while references hold it.
#pragma once

#include "world/WorldPos.h"

#include <array>
#include <cstdint>

class AreaDefinition;
class AreaResource;
class World;
struct Level;
struct LevelData;

// Reference kinds: these two make a reference an active one (the area's textures and models
// are held while any active reference is).
constexpr int32_t kLevelReferenceActive = -1;
constexpr int32_t kLevelReferenceActiveEditor = -1000;

// A level's grid depends only on its seed (random stream 2 is set to it) and its area file.
// Main thread only; the area file is read by the resource manager's loader.
namespace LevelGenerator {

// Attempts and retries are bounded whatever the area definition asks.
constexpr int32_t kMaxAttempts = 100;
constexpr int32_t kMaxBlockFailures = 100;

void AddReference(Level& level, int32_t kind);
void ReleaseReference(Level& level, int32_t kind);
void DropAllReferences(Level& level);
// Generates the grid when it is wanted (waiting for the area file), acquires the area while the
// level is active, and announces a new generation once.
void EnsureGenerated(Level& level);
bool IsAreaLoaded(const Level& level);
void Generate(Level& level);
// The grid of a "Cave" or "Dungeon" level, grown outward from a start block on the bottom row;
// an attempt above 0 starts from an empty grid, or ends generation with the grid as it stands
// once attempts run past the area's "MaxLevelFailures".
void PlaceBlocks(Level& level, int32_t attempt);
// The grid of a "Normal" level, or of one showing a bound area: every place in rows from the
// bottom takes the first fitting block.
void FillGrid(Level& level);
// Empties the grids the level's size gives: no block placed or visited, no tile or cell taken.
void ResetGrid(LevelData& data);
// The codes a block at (x, y) must meet, sides 0 to 3: a neighbour's edge, -1 for an empty
// neighbour, -3 for a closed level border, -4 for the border's opening.
std::array<int32_t, 4> Requirements(const Level& level, int32_t x, int32_t y);
// Joins the level with the neighbours of its neighbours it still lacks; true when it joined any.
bool SettleNeighbours(World& world, Level& level);
// The area file the level's grid is made of: the bound one, else the loaded resource; null
// while there is none.
AreaResource* GetArea(const Level& level);

// Names the game and the client use:
// The position of the level's gate with that index in its gate list (the gates that join it
// to the levels above and below); level -1 for a level outside the world or an index outside
// the list.
WorldPos FindGate(int32_t level, int32_t gateId);
// The area file's block number under the position in its level (what a chest placed there
// stands on); 0 for a position on no level, outside it, on an empty block or before the level
// is generated.
int32_t GetAreaIndex(const WorldPos& position);

} // namespace LevelGenerator
