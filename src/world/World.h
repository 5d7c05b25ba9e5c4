// World -- the adventure's map: its levels on the layout grid, sections and areas, secret levels, monster levels and par times.
#pragma once

#include "core/BaseClass.h"
#include "core/TimeStamp.h"
#include "resources/ResourceHandle.h"
#include "world/Level.h"
#include "world/LevelAnchors.h"
#include "world/WorldSize.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class AreaDefinition;
class AreaResource;
struct Color;
class DatabaseEntry;
class LayoutGrid;
class MonsterType;
class WorldSection;
struct LevelTileCell;
struct TileObjectInstance;
struct Vector2;

// The eight neighbour directions of a level, by the offset of the neighbour's origin in levels:
// 0 (-1, +1), 1 (0, +1), 2 (+1, +1), 3 (+1, 0), 4 (+1, -1), 5 (0, -1), 6 (-1, -1), 7 (-1, 0).
constexpr int32_t kWorldDirectionCount = 8;
// "No single step": opposite directions, two steps on one axis, levels not adjacent.
constexpr int32_t kNoWorldDirection = 9;

struct LevelStep {
    int32_t dx = 0;
    int32_t dy = 0;
};
// The step of a direction; (0, 0) outside 0..7.
LevelStep LevelStepOfDirection(int32_t direction);
// The direction of a one-level step; kNoWorldDirection for any other step.
int32_t DirectionOfLevelStep(LevelStep step);
// The side of a level facing a straight direction (1, 7, 3, 5); -1 for a diagonal.
int32_t LevelSideOfDirection(int32_t direction);

// Where a level lies on the layout grid; -1, -1 for a detached level or an index outside the list.
struct LevelGridInfo {
    int32_t column = -1;
    int32_t row = -1;
    int32_t depth = 0;
};

// The half of the program a level callback belongs to, and what happened to the level.
enum class WorldSide { Server, Client };
enum class LevelEvent { Generated, Released };
using LevelCallback = void (*)(int32_t level);

// Level joins: how the sides of two neighbouring levels meet.
enum class LevelJoin { Passage = 0, Wall = 1, Open = 2, Undecided = 3 };

// The server and every client build the same world from (adventure name, difficulty, layout
// seed, secret seed): all layout randomness comes from stream 1 seeded with the layout seed
// and stream 3 seeded with the secret seed. Main thread only.
class World : public BaseClass {
public:
    World();
    ~World() override;
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // The empty world of start-up.
    void Create();
    // Empties the world; the selected size entry and the seeds stay.
    void Reset();
    // Reads the adventure and builds its levels. An unknown name falls back to "World"; when
    // that is missing too, the read fails (false), and with fatalWhenMissing the program ends
    // with "Invalid Adventure!\n" (a world host starting a game of its own). An adventure
    // without any size is refused (false) with a warning.
    bool ReadFromDatabase(std::string_view adventureName, int32_t difficulty, bool fatalWhenMissing = false);
    // The secret levels and the treasure level, from the secret seed.
    void CreateSecretLevels();
    // Shut-down: no more level callbacks, then empty.
    void Destroy();
    // The "ara" area files.
    static void RegisterResourceTypes();

    // ---- Geometry and the level list -----------------------------------------------------
    // Every level has the same size in world units: the tile counts times the tile size.
    void SetLevelSize(float width, float height);
    float GetLevelWidth() const { return levelWidth; }
    float GetLevelHeight() const { return levelHeight; }
    int32_t GetLevelCount() const { return static_cast<int32_t>(levels.size()); }
    // Null outside the list.
    Level* GetLevel(int32_t index) const;
    // Appends a level; its index is its place in the list.
    Level* AddLevel(std::unique_ptr<Level> level);
    // The movement and sight cells of the levels built from the area (every level for null)
    // are built again from their blocks when next asked: after an edit of the area's cells or
    // a reload of the models that stand in them.
    void InvalidateCachedBlocksOf(const AreaResource* area);
    // The neighbour's index, -1 when there is none, the level is outside the list or the
    // direction outside 0..7.
    int32_t GetNeighbourLevel(int32_t level, int32_t direction) const;
    LevelGridInfo GetLevelInfo(int32_t level) const;
    // The direction whose step is the sum of the two steps, when that is one step.
    static int32_t CombineDirections(int32_t first, int32_t second);
    // The direction in which B's grid cell lies next to A's; kNoWorldDirection when they are
    // not adjacent, either lies off the grid or either index is outside the list.
    int32_t DirectionBetween(int32_t levelA, int32_t levelB) const;

    // ---- Building: the layout's tools ------------------------------------------------------
    // Null outside a read.
    LayoutGrid* GetLayoutGrid() const { return layoutGrid.get(); }
    // A fresh grid of the size's cells for a read: no rows used, every cell empty, every row's
    // bounds -1. Replaces the grid of an earlier read.
    void CreateLayoutGrid(const WorldSize& size);
    // The level in the cell; null outside the grid, in an empty cell and outside a read.
    Level* GetGridCell(int32_t column, int32_t row) const;
    // Stores the level in the cell (when inside the grid) and appends it to the list.
    Level* AddLevelToGrid(int32_t row, int32_t column, std::unique_ptr<Level> level, bool path);
    // Appends the new level below the parent, joined by a pair of gates at random points.
    Level* AddSubLevel(Level* parent, std::unique_ptr<Level> level);
    // Records the two as neighbours and sets their facing sides.
    void ConnectLevels(Level* a, Level* b, LevelJoin join);
    // Joins every grid level with the grid levels around it, then settles the neighbours of
    // neighbours until nothing changes.
    void JoinGrid();
    // One passage for each pair of touching areas (across sections only between start and end
    // areas); their other shared sides become walls.
    void JoinAreas();
    // A random point of the level (LevelQueries::RandomPointInLevel); level -1 outside the list.
    WorldPos RandomPointInLevel(int32_t level);
    // Every level reached from this one through gates, except on the way back, gets one
    // monster level more than the level it was reached from, and its area's monster pools.
    void PassMonsterLevelDownGates(int32_t level);
    const std::vector<std::unique_ptr<WorldSection>>& GetSections() const { return sections; }
    const WorldSize* GetSelectedSize() const;

    // ---- Queries ----------------------------------------------------------------------------
    bool IsActive() const { return active; }
    const std::string& GetAdventureName() const { return adventureName; }
    // Put back after a refused saved world; the next read sets it again.
    void SetAdventureName(std::string_view name) { adventureName = name; }
    int32_t GetDifficulty() const { return difficulty; }
    // 1 outside the list.
    int32_t GetLevelMonsterLevel(int32_t level) const;
    // Empty for a level outside the list or without an area.
    std::string GetLevelName(int32_t level) const;
    // Level -1, (0, 0) outside the list.
    WorldPos GetLevelGatePos(int32_t level) const;
    // The level has generated data whose block grid has been generated.
    bool IsLevelGenerated(int32_t level) const;
    // False for a level outside the list or without an area.
    bool AreUniqueMonstersAllowed(int32_t level) const;
    int32_t GetHighestMonsterLevel() const { return highestMonsterLevel; }
    int32_t GetLowestMonsterLevel() const { return lowestMonsterLevel; }
    int32_t GetFirstSecretLevel() const { return firstSecretLevel; }
    int32_t GetSecretLevelCount() const { return secretLevelCount; }
    int32_t GetTreasureLevel() const { return treasureLevel; }
    bool AreSecretLevelsMade() const { return secretLevelsMade; }

    // ---- Anchors and generation on demand -----------------------------------------------------
    // A new anchor (or the key's existing one) moved to the level.
    LevelAnchor& CreateAnchor(int32_t key, int32_t level) { return anchors.Create(key, level); }
    void CreateStartAnchor() { anchors.CreateStart(); }
    void MoveAnchor(LevelAnchor& anchor, int32_t level) { anchors.Move(anchor, level); }
    void UpdateAnchor(int32_t key, const WorldPos& position, int32_t* outLevel = nullptr)
    {
        anchors.Update(key, position, outLevel);
    }
    LevelAnchor* FindAnchor(int32_t key) { return anchors.Find(key); }
    void RefLevel(int32_t level, int32_t key, bool followGates) { anchors.RefLevel(level, key, followGates); }
    void UnrefLevel(int32_t level, int32_t key, bool followGates) { anchors.UnrefLevel(level, key, followGates); }
    // Once per frame: advances every level whose generation is wanted, and acquires the area of
    // an active generated level that has not got it yet.
    void UpdateLevelGeneration();

    // ---- Cells and tiles across level edges -----------------------------------------------------
    // Whole tile (cell) coordinates outside the level are carried one step into the neighbour
    // and shifted into its frame; the level reached, -1 when there is none.
    int32_t WrapTileToLevel(int32_t level, int32_t& tileX, int32_t& tileY) const;
    int32_t WrapCellToLevel(int32_t level, int32_t& cellX, int32_t& cellY) const;
    // The movement (sight) bit of the position's cell, carried across the edge; a cell on no
    // level is blocked.
    bool IsCellBlocked(const WorldPos& position) const;
    bool IsCellSightBlocked(const WorldPos& position) const;
    // Any blocked cell within the radius, ring by ring; corners only when the radius reaches them.
    bool IsBlockedNear(const WorldPos& position, float radius) const;

    // ---- Level and area queries (a fixed default for an index outside the list) ----------------
    // Writes the level's monster level; the area's weighted pick, null outside the list.
    MonsterType* PickLevelMonster(int32_t level, int32_t& monsterLevel) const;
    // The shown texture of a tile carried across edges; off the world, the asking level's
    // area's default shader.
    ResourceHandle GetTile(int32_t level, int32_t tileX, int32_t tileY) const;
    // Not carried across edges; empty for a level outside the list.
    ResourceHandle GetGroundTexture(int32_t level, int32_t tileX, int32_t tileY) const;
    void GetTileObjectInstance(int32_t level, int32_t tileX, int32_t tileY, ResourceHandle& model,
                               TileObjectInstance& out) const;
    // Carried across edges like GetTileDrawData; nothing when no level is reached.
    void SetTileObjectOpacity(int32_t level, int32_t tileX, int32_t tileY, float opacity);
    // Carried across edges; null when no level is reached.
    const LevelTileCell* GetTileDrawData(int32_t level, int32_t tileX, int32_t tileY, ResourceHandle& model,
                                         TileObjectInstance& out) const;
    bool IsLevelBelowAnother(int32_t level) const;
    // The top of the level's parent chain, the level itself without parent; null outside.
    const Level* GetTopLevel(int32_t level) const;
    WorldPos GetLevelRandomPoint(int32_t level) { return RandomPointInLevel(level); }
    std::string GetLevelSoundFileName(int32_t level) const;
    std::string GetLevelTreasureChestName(int32_t level) const;
    std::string GetLevelTextFile(int32_t level) const;
    // "ObjectGate" for a linked gate (kind 1), else the name the level's area gives a gate that
    // leads up or down.
    std::string GetGateObjectName(int32_t level, int32_t gateKind, bool down) const;
    // The index-th "PlayerStatusEffect"; empty outside the list.
    std::string GetPlayerStatusEffect(int32_t index) const;
    bool CanLevelBePurged(int32_t level) const;
    bool AreTrapsAllowed(int32_t level) const;
    // Referenced for the caller; empty outside the list.
    ResourceHandle GetLevelMapShader(int32_t level) const;
    // The area's music, else the adventure's.
    const std::string& GetLevelMusicName(int32_t level) const;
    Level* FindLevelOfArea(const DatabaseEntry* areaEntry) const;
    // A level for a quest target: the levels whose monster level is M when there are any, else
    // those whose area's offsets put M in range; the one at floor(count x fraction). Detached
    // levels (no section, no parent) from firstShutLevel on are left out: no way leads into them.
    static constexpr int32_t kNoShutLevel = INT32_MAX;
    Level* PickTargetLevel(int32_t monsterLevel, float fraction, bool surfaceOnly,
                           int32_t firstShutLevel = kNoShutLevel) const;
    int32_t RollBlockMonsters(int32_t level, int32_t blockIndex, bool always) const;
    int32_t RollBlockChests(int32_t level, int32_t blockIndex, bool always) const;
    bool IsBlockInBounds(int32_t level, int32_t blockX, int32_t blockY) const;
    bool IsBlockEmpty(int32_t level, int32_t blockX, int32_t blockY) const;
    bool IsBlockReachable(int32_t level, int32_t blockX, int32_t blockY) const;
    void AddLevelMonsterType(int32_t level, MonsterType* type) const;
    // The type goes to the area's pool B only when the area already knows it.
    void AddLevelMonsterCandidate(int32_t level, MonsterType* type, float weightFactor, int32_t tag) const;
    // False (out untouched) outside the list.
    bool GetLevelStartPosition(int32_t level, std::string_view gateName, Vector2& out) const;
    int32_t RollLevelTrapsPerBlock(int32_t level) const;
    int32_t GetDownwardGateTarget(int32_t level) const;
    bool IsMonsterTypeListed(int32_t level, const MonsterType* type) const;
    // Between the area's day and night colours by the blend (0 day, 1 night); black outside.
    void GetSunColour(int32_t level, Color& out, float blend) const;

    // ---- Names other parts of the program use for the services above ---------------------------
    // The level a level hangs under, to the top (a quest's home level).
    const Level* GetRootLevel(int32_t level) const { return GetTopLevel(level); }
    // The level a new quest's target is placed on.
    Level* PickQuestLevel(int32_t monsterLevel, float fraction, bool surfaceOnly) const
    {
        return PickTargetLevel(monsterLevel, fraction, surfaceOnly);
    }
    // Rebuilds what derives from the secret seed: the secret and treasure levels.
    void MakeTreasureQuestText() { CreateSecretLevels(); }
    // Asks for a level on behalf of an owner (-1: the client): the owner's anchor is made on it
    // or moved to it.
    void AddLevelLink(int32_t level, int32_t owner) { anchors.Create(owner, level); }
    // Keeps the start level and its neighbours generated.
    void CreateLevelAnchor() { CreateStartAnchor(); }
    // Inside the list and its area has a name.
    bool IsLevelValid(int32_t level) const;
    // The level the owner's anchor holds after the owner moved to the position (the owner's
    // current level, with one level of hysteresis); -1 without anchor or on no level.
    int32_t FindPathBetweenLevels(int32_t owner, const WorldPos& position);
    // The shader of the ground drawn under a tile; empty without one and for level -1.
    ResourceHandle GetBlockAt(int32_t level, int32_t tileX, int32_t tileY) const
    {
        return GetGroundTexture(level, tileX, tileY);
    }
    // Every tile drawing record of the level is built again on its next use, at the ground
    // detail of that moment.
    void FillLevelCells(int32_t level) const;
    // The ground laid again at the current "r_groundDetail": every level with an area takes the
    // area's replacements anew and rebuilds its tiles from it.
    void RefreshGroundDetail();

    // ---- Seeds and size selection -----------------------------------------------------------
    uint32_t GetLayoutSeed() const { return layoutSeed; }
    void SetLayoutSeed(uint32_t seed) { layoutSeed = seed; }
    uint32_t GetSecretSeed() const { return secretSeed; }
    void SetSecretSeed(uint32_t seed) { secretSeed = seed; }
    // The database entry of the size to select at the next read; -1 for "Standard".
    void SetSelectedSizeEntry(int32_t entry) { selectedSizeEntry = entry; }

    // ---- Worlds laid out by hand (tools and tests that add their levels themselves) ------------
    void SetDifficulty(int32_t value) { difficulty = value; }
    void SetSecretLevels(int32_t first, int32_t count, int32_t treasure)
    {
        firstSecretLevel = first;
        secretLevelCount = count;
        treasureLevel = treasure;
    }

    // ---- Par times ---------------------------------------------------------------------------
    bool IsGreatTime(const TimeStamp& elapsed) const;
    bool IsGoodTime(const TimeStamp& elapsed) const;
    float GetTimeScoreMult(const TimeStamp& elapsed) const;
    // The elapsed time and both par times as localisation tokens, each par line coloured by
    // whether it was beaten.
    void BuildTimeText(std::string& out, const TimeStamp& elapsed) const;

    // ---- Adventure rules ----------------------------------------------------------------------
    const std::string& GetTextFile() const { return textFile; }
    const std::string& GetEpilogueText() const { return epilogueText; }
    const std::vector<std::string>& GetBeginningQuests() const { return beginningQuests; }
    const std::vector<std::string>& GetUnlocksOnWin() const { return unlocksOnWin; }
    int32_t GetPlayerLives() const { return playerLives; }
    int32_t GetSecretCount() const { return secretCount; }
    const std::string& GetMusicName() const { return musicName; }

    // ---- Drawing hooks ------------------------------------------------------------------------
    // The renderer makes one texture of a tile's layered textures; without it (the world host)
    // a tile's drawing record holds no combined texture.
    using BlendedTextureHook = std::function<void(const std::vector<int32_t>& textures, ResourceHandle& out)>;
    void SetBlendedTextureHook(BlendedTextureHook hook) { blendedTextureHook = std::move(hook); }
    void MakeBlendedTexture(const std::vector<int32_t>& textures, ResourceHandle& out) const;

    // ---- Level callbacks ----------------------------------------------------------------------
    void AddLevelCallback(WorldSide side, LevelEvent event, LevelCallback callback);
    // Every server-side generated function, and with client also every client-side one;
    // nothing once callbacks are disabled.
    void NotifyLevelGenerated(int32_t level, bool client) const;
    // The client-side released functions with client, else the server-side ones.
    void NotifyLevelReleased(int32_t level, bool client) const;

private:
    // The first level's start, told to the game data as the world definition's start position.
    void PublishStartPosition() const;
    bool ReadSizes(const DatabaseEntry& adventure);
    void SelectSize();
    void ReadSecretAreas(const DatabaseEntry& adventure);
    void ReadSections(const DatabaseEntry& adventure);
    void ReadRules(const DatabaseEntry& adventure);
    void AssignMonsterLevels();
    void AssignSectionMonsterLevels(WorldSection& section, int32_t base);
    void UpdateMonsterLevelRange();
    AreaDefinition* PickSecretArea();
    void DropSecretLevels();
    void AddDetachedLevel(AreaDefinition* area);

    bool active = false;
    std::vector<std::unique_ptr<Level>> levels;
    uint32_t layoutSeed = 0;
    uint32_t secretSeed = 0;
    std::string adventureName;
    std::string epilogueText;
    std::vector<std::unique_ptr<WorldSection>> sections;
    std::unique_ptr<LayoutGrid> layoutGrid;
    std::vector<std::pair<int32_t, int32_t>> pendingJoins;
    std::vector<WorldSize> worldSizes;
    int32_t selectedSize = -1;
    int32_t selectedSizeEntry = -1;
    std::vector<LevelCallback> callbacks[2][2];
    bool callbacksEnabled = false;
    int32_t firstSecretLevel = 0;
    int32_t secretLevelCount = 0;
    int32_t treasureLevel = 0;
    std::vector<std::unique_ptr<AreaDefinition>> secretAreas;
    float secretChanceTotal = 0.0f;
    int32_t difficulty = 0;
    int32_t highestMonsterLevel = 0;
    int32_t lowestMonsterLevel = 100;
    std::string textFile;
    std::vector<std::string> beginningQuests;
    std::vector<std::string> playerStatusEffects;
    std::vector<std::string> unlocksOnWin;
    int32_t playerLives = 0;
    int32_t secretCount = 0;
    int32_t greatTimeSeconds = 0;
    float greatTimeScoreMult = 0.0f;
    int32_t goodTimeSeconds = 0;
    float goodTimeScoreMult = 0.0f;
    std::string musicName;
    float levelWidth = 0.0f;
    float levelHeight = 0.0f;
    BlendedTextureHook blendedTextureHook;
    LevelAnchors anchors{*this};
    // The secret levels made from the current secret seed start at firstSecretLevel.
    bool secretLevelsMade = false;
};

extern World* gWorld;
