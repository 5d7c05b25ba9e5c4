// SpawnSystem -- the server's one source of chance for what turns up: monsters with their rarity and enchantments, items with their level and affixes, loot, traps.
#pragma once

#include "core/EngineEnums.h"
#include "server/spawn/LevelFiller.h"
#include "server/spawn/SpawnTable.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Actor;
class DatabaseEntry;
class Entity;
class Item;
class MonsterType;
class Sentient;

// Every draw is from random stream 0; without a random system every roll takes its lowest
// outcome. Main thread only.
class SpawnSystem {
public:
    // The eleven tables, in the order the object keeps them.
    enum Table : int32_t {
        NormalItems,
        SetItems,
        UniqueItems,
        Artifacts,
        Prefixes,
        Suffixes,
        MinorEnhancements,
        OtherEnhancements,
        MajorEnhancements,
        NpcEnhancements,
        Traps,
        kTableCount
    };

    // Monster{M}ItemChance, MinItems, MaxItems, IncreasedMagicChance of one monster rarity.
    struct MonsterLoot {
        float itemChance = 0.0f;
        int32_t minItems = 0;
        int32_t maxItems = 0;
        int32_t increasedMagicChance = 0;
    };

    // The options of GenerateItem; a negative spread, chance or maxAbove takes the record's
    // MinItemDropLevelSpread, MaxItemDropLevelSpread, ItemDropAboveBaseLevel or
    // MaxItemDropLevelAboveBase.
    struct ItemRequest {
        int32_t baseLevel = 1;
        int32_t minSpread = -1;
        int32_t maxSpread = -1;
        float aboveChance = -1.0f;
        // Fixes the base item; the rarity then goes no higher than VeryRare.
        const DatabaseEntry* definition = nullptr;
        int32_t minRarity = ItemRarity::Normal;
        int32_t magicBonus = 0;
        int32_t maxAbove = -1;
    };

    // How many items a debug command makes at most, whatever it is asked for.
    static constexpr int32_t kMaxDebugCount = 1000;
    // The shipped record; a single item record never enters more than its one table.
    static constexpr const char* kRecordName = "SpawnSystem";

    // Start-up, right after the world: the empty system behind gSpawnSystem, then Load.
    static void Create();
    // Shut-down, before the world goes.
    static void Destroy();

    // Reads the "SpawnSystem" record, then fills the tables from the game data; registers the
    // two debug commands. Without the record it logs and every table stays empty.
    void Load();
    // Every table and string emptied.
    void Clear();

    const SpawnTable& GetTable(int32_t table) const { return tables[static_cast<size_t>(table)]; }
    // The level taken into 1..105; null from an empty table or a level nothing covers.
    const SpawnEntry* PickWeightedByLevel(int32_t table, int32_t level) const;

    // ---- Monsters (SpawnMonsters.cpp) ------------------------------------------------------
    // The level's area decides whether a monster turns up (its chance times the factor) and
    // the world which; not placed. Null when nothing spawns.
    Actor* TrySpawnMonster(int32_t level, float factor, int32_t spawnFlag, int32_t minRarity);
    int32_t PickMonsterRarity(int32_t minRarity, const MonsterType* type, int32_t level) const;
    // A new actor (a Vendor for a vendor type) of the type at the level with its rarity's
    // enchantments; not placed. Null without a type.
    Actor* SpawnMonster(const MonsterType* type, int32_t rarity, int32_t level, int32_t spawnFlag,
                        bool noEnchantments);
    const DatabaseEntry* PickEnchantment(const Actor& actor, int32_t rarity, int32_t level) const;
    // At a free spot around the position, into the table, its rarity's effect model attached.
    // A refused actor is deleted: null. Null for a null actor.
    Actor* PlaceSpawnedMonster(Actor* actor, const WorldPos& position);
    // The type of the name at its own rarity, at the level (-1: its own level), placed; null
    // for a name no type has.
    Actor* SpawnMonsterByName(std::string_view name, const WorldPos& position, int32_t level);
    Actor* SpawnQuestMonster(const MonsterType* type, int32_t level, const WorldPos& position);
    // A type drawn uniformly (stream 0) from the list, placed at the position; null for none.
    Actor* SpawnMonsterFromList(const std::vector<const MonsterType*>& types, int32_t level, const WorldPos& position);
    // TrySpawnMonster, then the crowding test: a body as large as a tile keeps away from
    // others of its type. Placed, or deleted (null).
    Actor* TrySpawnMonsterAt(int32_t level, const WorldPos& position, int32_t minRarity);
    // Passes the crowding test at the position.
    bool IsUncrowded(const Actor& actor, const WorldPos& position) const;
    // Uniform among the normal types around the level; null when none.
    MonsterType* PickRandomMonsterType(int32_t level) const;
    // Uniform among the monster types with a "GuardItem" whose window holds the level (every
    // guard type when none does); null when there are none.
    const MonsterType* PickGuardType(int32_t level) const;
    // The level a type's monster gets: its own when its window is one level, else the world's.
    static int32_t MonsterLevelOf(const MonsterType& type, int32_t worldLevel);
    // The MonsterRarity name; "Normal" outside the table.
    static const char* MonsterRarityName(int32_t rarity);

    // ---- Items (ItemGeneration.cpp) ---------------------------------------------------------
    int32_t PickItemRarity(int32_t minRarity, int32_t magicBonus) const;
    // The chances PickItemRarity rolls against after the boost, indices 1..7.
    std::array<float, ItemRarity::kCount> BoostedRarityChances(int32_t magicBonus) const;
    // 1..100.
    int32_t RollItemLevel(int32_t baseLevel, int32_t minSpread, int32_t maxSpread, int32_t rarity, float aboveChance,
                          int32_t maxAbove) const;
    // A dropped item's or a placed chest's or plate's level around the base: the record's drop spreads.
    int32_t RollDropLevel(int32_t baseLevel) const;
    // The caller owns the item; null when no base item was found or an "AlwaysMagic" item took
    // no affix.
    std::unique_ptr<Item> GenerateItem(const ItemRequest& request) const;
    const DatabaseEntry* PickModifier(const Item* item, int32_t level) const;
    std::unique_ptr<Item> CreateItemFromTable(int32_t table, int32_t level) const;
    // Among the normal items, the highest minimum level not above the level whose record is or
    // derives from the base record (the first of equals); null when none.
    std::unique_ptr<Item> CreateRandomItem(int32_t level, const DatabaseEntry* base) const;

    // ---- Loot (LootDrops.cpp) ----------------------------------------------------------------
    // What a source (a killed creature or a chest) leaves: into the container's loot bag, or on
    // the ground near the position. Returns how many items were generated.
    int32_t DropItems(const WorldPos& position, float chance, int32_t minItems, int32_t maxItems, int32_t level,
                      float countBonus, float groundChance, Sentient* container, Entity* source,
                      int32_t magicBonus) const;
    // minItems, and each further one up to maxItems at 50 % + half a percent per bonus point.
    int32_t RollItemCount(int32_t minItems, int32_t maxItems, float countBonus) const;
    // True when an item was placed.
    bool GenerateAndDropItem(const WorldPos& position, Sentient* container, int32_t magicBonus, int32_t level,
                             Entity* source) const;
    // Into bag 15 of the container: onto a stack of its kind with room, else the first empty
    // slot; an item with no room is deleted (false).
    static bool PutIntoLootBag(Sentient& container, std::unique_ptr<Item> item);
    void DropMonsterLoot(Sentient& monster, float groundChance, float countBonus, int32_t magicBonus) const;
    // The chest's loot, always on the ground.
    void DropChestLoot(Entity& chest, float itemChance, int32_t minItems, int32_t maxItems, int32_t level,
                       int32_t magicBonus, float countBonus, int32_t extraMagicBonus) const;
    // A quest's item of the definition on the ground near the position, its stack the amount
    // when not 0; a wide search with a non-zero flag word; the quest's number goes to the
    // clients, which name the item after its quest. The item on the ground; null (deleted)
    // when it finds no spot.
    Entity* PlaceQuestItem(const DatabaseEntry* definition, const WorldPos& position, int32_t amount,
                           int32_t flags, int32_t questNumber = -1) const;
    // A slain monster's quest item: its quest-target record is its monster type (what the
    // monster-item quests name), whose archetype names the item and its drop chance. Dropped
    // only while the first player holds an unfinished quest of such a kind about that type.
    Entity* DropQuestItem(const Actor& victim, const WorldPos& position) const;
    // A generated item of the definition (at most VeryRare) on the ground near the position.
    bool GenerateItemAndDrop(const DatabaseEntry* definition, const WorldPos& position) const;

    // ---- Levels (LevelFiller) --------------------------------------------------------------------
    LevelFiller& GetLevelFiller() { return filler; }

    // ---- The record's values -------------------------------------------------------------------
    bool IsLoaded() const { return loaded; }
    const MonsterLoot& GetMonsterLoot(int32_t rarity) const;
    int32_t GetLevelIncrease(int32_t rarity) const;
    const std::string& GetEffectModel(int32_t rarity) const;
    int32_t GetItemRarityChance(int32_t rarity) const;
    int32_t GetMaxNormalItemLevel() const { return maxNormalItemLevel; }

private:
    void ReadRecord(const DatabaseEntry& record);
    void FillModifierTables();
    void FillItemTables();
    void FillEnhancementTables();
    void FillTrapTable();
    // ItemLevel + MinLevelSpread + the spread share of the level, rounded.
    int32_t SpreadMaxLevel(int32_t itemLevel) const;
    void RegisterCommands();
    void RandomModifierCommand(int32_t level, int32_t count) const;
    void RandomEnchantmentCommand(int32_t level, int32_t count) const;
    int32_t PickEnchantmentTable(bool npc, int32_t rarity) const;
    int32_t CountEnchantments(int32_t rarity, bool npc) const;
    void AddModifiers(Item& item, int32_t count, int32_t baseLevel) const;
    bool IsNight() const;

    std::array<int32_t, ItemRarity::kCount> itemRarityChances{};
    std::array<SpawnTable, kTableCount> tables;
    int32_t monsterEnchantmentNormalChance = 0;
    int32_t monsterEnchantmentMajorChance = 0;
    std::array<MonsterLoot, MonsterRarity::kCount> monsterLoot{};
    std::array<float, ItemRarity::kCount> levelSpreadMult{};
    int32_t minLevelSpread = 0;
    int32_t maxLevelSpread = 0;
    int32_t minItemDropLevelSpread = 0;
    int32_t maxItemDropLevelSpread = 0;
    int32_t maxItemDropLevelAboveBase = 0;
    float itemDropAboveBaseLevel = 0.0f;
    int32_t minModifierLevelSpread = 0;
    int32_t maxModifierLevelSpread = 0;
    int32_t maxNormalItemLevel = 1;
    std::array<int32_t, MonsterRarity::kCount> levelIncrease{};
    std::array<std::string, MonsterRarity::kCount> effectModel;
    bool loaded = false;
    LevelFiller filler{*this};
};

extern SpawnSystem* gSpawnSystem;
