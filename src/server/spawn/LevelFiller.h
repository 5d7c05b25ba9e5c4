// LevelFiller -- fills a level once per world: the objects its area pieces place on their tiles, then its random monsters; rebuilds saved level objects.
#pragma once

#include "world/WorldPos.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class Chest;
class DatabaseEntry;
class Entity;
class SpawnSystem;
class TrapGround;

// The kinds an object record names in "ObjectType" (compared without regard to case; an
// unknown name is Normal).
namespace LevelObjectKind {
enum : int32_t { Normal, Door, Torch, Secret, Item, Monster, Chest, Trap, Gate, Trigger, SimpleAnimating, kCount };
} // namespace LevelObjectKind

// Main thread only; every draw from random stream 0.
class LevelFiller {
public:
    // An area item is not laid within this of a sentient.
    static constexpr float kItemSentientRange = 300.0f;

    explicit LevelFiller(SpawnSystem& spawn);

    static int32_t GetObjectKind(const DatabaseEntry& record);

    // False while the game has no player, for a level the world lacks and for one that is not
    // valid or not generated yet; true once the level is (or already was) filled.
    bool PopulateLevel(int32_t level);
    // The entity made for the object record on the tile cell of the level, facing the
    // direction, in the game's table; null for a missing record, a kind this game cannot make,
    // an item beside a sentient, or a refused entity (deleted).
    Entity* PlaceLevelObject(int32_t level, int32_t cellX, int32_t cellY, const DatabaseEntry* record,
                             std::string_view modelName, int32_t facing);
    // A saved object again, from its place and model; null for a place that is not finite, on
    // no level, or a model no object record shows. The saved record name, when the database knows
    // it as an object of the kind the model shows, is the record made: the chests share one model.
    Entity* RestoreLevelObject(const WorldPos& position, int32_t facing, std::string_view modelName,
                               std::string_view recordName = {});
    // A point of the level snapped to the middle of a grid cell; level -1 for a level the world lacks.
    WorldPos RandomPointInLevel(int32_t level) const;
    // The record a model names for the object it shows (the model file's "ObjectType" line);
    // null when the model cannot be loaded or names no record.
    const DatabaseEntry* FindObjectRecord(std::string_view modelName) const;
    // Where the record names of models come from: the resource manager's model files, unless
    // replaced (the tests script them).
    using ModelObjectTypeLookup = std::function<std::string(std::string_view modelName)>;
    void SetModelObjectTypeLookup(ModelObjectTypeLookup lookup) { modelLookup = std::move(lookup); }
    // The gate kind an object record makes: a named gate's start with "TeleportStart", its end
    // with "TeleportEnd" alone, otherwise a depth gate.
    static int32_t GetGateKind(const DatabaseEntry& record);

    // A plate of the level's area trap record near the position, at the level (-1: the level's
    // own monster level, 1 for a level the world lacks), in the game's table; null without one.
    Entity* SpawnGroundTrapAt(const WorldPos& position, int32_t level);
    // A plate of the area's trap record at an item level rolled around the level; neither placed
    // nor armed (its placement step arms it). Null without a record.
    TrapGround* CreateGroundTrap(int32_t levelIndex, int32_t level);
    // A chest of the area's chest record at a drop level rolled around the level's monster
    // level, randomised, at a free spot near the position, in the table; null without one.
    Entity* SpawnChestAt(const WorldPos& position);
    // A chest of the definition (the level's area chest record without one) at the level (0:
    // rolled as SpawnChestAt does), randomised, not placed; null without a record.
    Chest* CreateChest(const DatabaseEntry* definition, int32_t levelIndex, int32_t level);
    // The chests the level's blocks roll together.
    int32_t CountLevelChests(int32_t level) const;
    // Monsters (and plates where the area allows traps) as the level's blocks roll them.
    void SpawnRandomMonsters(int32_t level, int32_t count);
    void SpawnRandomTraps(int32_t level, int32_t count);

private:
    void PlaceAreaObjects(int32_t level);
    // The first of the chests that takes the record laid at the spot; false when none does.
    bool StoreInNearbyChest(const std::vector<int32_t>& chests, const DatabaseEntry& record,
                            const WorldPos& spot) const;
    int32_t CountLevelMonsters(int32_t level) const;
    int32_t CountLevelTraps(int32_t level) const;
    Entity* AddPlaced(Entity* entity, const WorldPos& spot, int32_t cell);
    Entity* PlacePlainObject(Entity* entity, const DatabaseEntry& record, std::string_view modelName,
                             const WorldPos& spot, int32_t cell, int32_t facing);
    Entity* PlaceItemObject(const DatabaseEntry& record, const WorldPos& spot, int32_t cell);
    Entity* PlaceMonsterObject(const DatabaseEntry& record, std::string_view modelName, const WorldPos& spot,
                               int32_t cell, int32_t level);

    SpawnSystem& spawn;
    ModelObjectTypeLookup modelLookup;
};
