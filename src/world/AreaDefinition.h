// AreaDefinition -- one kind of area of an adventure: its piece file, size in levels, per-block spawn rolls, monster pools and gates.
#pragma once

#include "core/BaseClass.h"
#include "core/Color.h"
#include "core/EngineEnums.h"
#include "core/Vector.h"
#include "resources/ResourceHandle.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class DatabaseEntry;
class MonsterArchetype;
class MonsterType;
class WorldSection;
struct Level;

// A weighted database record: a chest or trap kind.
struct AreaSpawnKind {
    float spawnChance = 0.0f;
    const DatabaseEntry* entry = nullptr;
};

// A pool B record; an emptied one (no type) is reused by the next addition.
struct AreaPoolEntry {
    float weight = 0.0f;
    MonsterType* type = nullptr;
    int32_t tag = 0;
};

// Read from an "Area" record of the game database; owned by the world or its section. Random
// draws come from stream 0 except the size roll and the gate's level and point (stream 1).
class AreaDefinition : public BaseClass {
public:
    AreaDefinition();
    ~AreaDefinition() override;
    AreaDefinition(const AreaDefinition&) = delete;
    AreaDefinition& operator=(const AreaDefinition&) = delete;

    void Load(const DatabaseEntry* record);

    // Width, then height, each in levels; a minimum above its maximum gives the minimum.
    void RollSize(int32_t& width, int32_t& height) const;
    // always skips the chance roll (a block that forces its monsters or chests).
    int32_t RollMonstersPerBlock(bool always) const;
    int32_t RollChestsPerBlock(bool always) const;
    int32_t RollTrapsPerBlock() const;
    // An index into the chest (trap) kinds; -1 when none is picked.
    int32_t PickChestKind() const;
    int32_t PickTrapKind() const;

    // Fills the candidates and pool A for the monster level, once per definition.
    void BuildMonsterPools(int32_t depth);
    void AddToPoolA(MonsterType* type);
    void AddToPoolB(MonsterType* type, float weightFactor, int32_t tag);
    // Only when the type's root base is a candidate or in pool A.
    void AddToPoolBIfKnown(MonsterType* type, float weightFactor, int32_t tag);
    void RemoveFromPoolB(int32_t tag);
    // Null when both pools weigh nothing or a walk ends first.
    MonsterType* PickMonster() const;

    bool IsDesired(const MonsterArchetype* archetype) const;
    bool IsJoinedWith(const AreaDefinition* area) const;
    // 0 outside the eight ranks.
    float GetMonsterRankChance(bool night, int32_t rank) const;
    // The up gate's name for an upward gate; for a downward one the down gate's name in this
    // area's own levels and the entrance's anywhere else (an index outside every list included).
    const std::string& GetGateName(int32_t levelIndex, bool down) const;
    // "StartPosition" + name of the record, when there is a record and a name; else the
    // plain start position.
    Vector2 GetStartPosition(std::string_view gateName) const;
    // The middle of the area's first level; level -1 without levels.
    WorldPos GetCenterPosition() const;
    // With the used flag, levels and "SpawnGate": a random level of the area gets its gate at a
    // random point of it.
    void PlaceGate();
    // The first of the area's levels that holds the area's gate; null when none does.
    Level* FindGateLevel() const;
    // The name followed by " lvl %d" for a monster level of 1 or more; the bare name otherwise;
    // empty without a name.
    std::string DisplayName(int32_t monsterLevel) const;

    // The level generator names of the "RandomGenerator" table; an unknown name logs
    // "Unknown %s name %s\n" and gives the table's default.
    static int32_t ParseLevelGeneratorName(std::string_view name);

    std::string name;
    std::string areaFileName;
    std::string soundFileName;
    int32_t minWidth = 0;
    int32_t maxWidth = 0;
    int32_t minHeight = 0;
    int32_t maxHeight = 0;
    // Filled by the world layout.
    std::vector<Level*> levels;
    std::vector<AreaDefinition*> joinedAreas;
    bool used = false;
    bool fixed = false;
    bool pathArea = false;
    float monsterChancePerBlock = 0.0f;
    int32_t minMonstersPerBlock = 0;
    int32_t maxMonstersPerBlock = 0;
    int32_t minChestsPerBlock = 0;
    int32_t maxChestsPerBlock = 0;
    float chestChancePerBlock = 0.0f;
    int32_t minTrapsPerBlock = 0;
    int32_t maxTrapsPerBlock = 0;
    float trapChancePerBlock = 0.0f;
    int32_t maxQuestItemsPerBlock = 0;
    float questItemChancePerBlock = 0.0f;
    const DatabaseEntry* questItem = nullptr;
    WorldSection* section = nullptr;
    std::vector<MonsterArchetype*> monsterArchetypes;
    std::vector<MonsterArchetype*> desiredArchetypes;
    // Drawn candidates leave null places behind.
    std::vector<MonsterType*> candidates;
    std::vector<MonsterType*> poolA;
    std::vector<AreaPoolEntry> poolB;
    float poolBTotal = 0.0f;
    float poolATotal = 0.0f;
    std::vector<AreaSpawnKind> chestKinds;
    float chestKindTotal = 0.0f;
    std::vector<AreaSpawnKind> trapKinds;
    float trapKindTotal = 0.0f;
    float npcSpawnChance = 0.0f;
    int32_t monsterTypesToUse = 0;
    int32_t minMonsterLevelOffset = 0;
    int32_t maxMonsterLevelOffset = 0;
    int32_t minDesiredMonsterLevelOffset = 0;
    int32_t maxDesiredMonsterLevelOffset = 0;
    float dungeonChance = 0.0f;
    bool poolsBuilt = false;
    Color daySunColor;
    Color nightSunColor;
    float colorTransitionTime = 0.0f;
    bool spawnGate = false;
    const DatabaseEntry* record = nullptr;
    int32_t minDepth = 1;
    int32_t maxDepth = 1;
    int32_t maxBlockWidth = 0;
    int32_t maxBlockHeight = 0;
    int32_t minBlocks = 0;
    float spawnChance = 0.0f;
    float desiredChanceMult = 0.0f;
    std::array<float, MonsterRarity::kCount> nightRankChances{};
    std::array<float, MonsterRarity::kCount> dayRankChances{};
    int32_t levelGenerator = 0;
    ResourceHandle defaultShader;
    ResourceHandle defaultMapShader;
    std::string entranceGateName;
    std::string downGateName;
    std::string upGateName;
    std::string treasureMapChestName;
    float weatherIntensityMult = 0.0f;
    int32_t maxBlockFailures = 0;
    int32_t maxLevelFailures = 0;
    bool playerCanCreateGate = false;
    bool uniqueMonstersAllowed = false;
    bool secretLevel = false;
    std::string textFile;
    Vector2 startPosition;
    std::string areaDown;
    std::string areaNorth;
    std::string areaSouth;
    std::string areaWest;
    std::string areaEast;
    bool canBePurged = false;
    bool autoMap = false;
    bool trapsAllowed = false;
    std::string musicName;

private:
    void LoadLists(const DatabaseEntry& entry);
    void CollectCandidates(int32_t depth);
    MonsterType* DrawCandidate();
    float CandidateWeight(const MonsterType* type) const;
};
