// GameData -- the game's definition lists and tuning values, read from the game database once at start-up.
#pragma once

#include "core/BaseClass.h"
#include "rules/GameSystemTuning.h"
#include "rules/RecordList.h"
#include "rules/items/ItemRecords.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Attachment;
class CharacterClass;
class CovenantDefinition;
class CovenantTrait;
class Database;
class DatabaseEntry;
class IntArray;
class MonsterArchetype;
class MonsterDefinition;
class MonsterEnhancement;
class MonsterType;
class NpcChat;
class QuestDefinition;
class SkillDefinition;
class SkillTree;
class StatusEffectBase;

// Built after the commands are registered (it registers the rules' enum tables), loaded after
// the database, read-only afterwards. It owns every record it makes; records point at database
// entries, so it is loaded again whenever the database is. Record kinds join it as RecordList
// members (rules/RecordList.h) filled in Load.
class GameData : public BaseClass {
public:
    GameData();
    ~GameData() override;
    GameData(const GameData&) = delete;
    GameData& operator=(const GameData&) = delete;

    // Reads the "GameSystem" tuning and every list. A missing record logs and keeps the defaults.
    void Load(const Database& database);

    const GameSystemTuning& GetTuning() const { return tuning; }
    // The text of the key in the "GameSystem" record; empty when either is missing.
    std::string GetNameById(std::string_view key) const;
    // Font n of the "Fonts" list for the text codes; entry 0 for an n outside the list, empty
    // when the list is.
    const std::string& GetTextFontName(int32_t n) const;

    // Bounds-checked reads of the tuning tables: an index outside a table logs at level 3 and
    // gives the neutral value named.
    int32_t GetAttributeCap(int32_t attribute) const;        // BaseStrength..BaseSpirit; 0 (no cap)
    float GetDeathScoreMult(int32_t deaths) const;           // 1 past the list, without a log
    int32_t GetDifficultyMinLevel(int32_t difficulty) const; // by WorldDifficultyLevel; 1
    int32_t GetDifficultyMonsterLevelStart(int32_t difficulty) const;  // 1
    float GetDifficultyTimeMult(int32_t difficulty) const;   // 1
    int32_t GetDifficultyLivesChange(int32_t difficulty) const;  // 0
    float GetXpMultMonster(int32_t rarity) const;            // 1
    int32_t GetItemTypeColor(int32_t itemType) const;        // colour-table index; 0
    std::string GetItemQualityColorCode(int32_t quality) const;  // "^cNNN"; the normal text colour
    std::string GetMonsterRarityColorCode(int32_t rarity) const;
    int32_t GetTreatyColor(int32_t treaty) const;
    int32_t GetTradeRouteColor(int32_t kind) const;
    float GetValueEachPoint(int32_t value) const;            // 0

    // The points a level needs (rules/Formulas.h has the rest of the rules arithmetic).
    int32_t XpNeededForLevel(int32_t level) const;
    // The money a monster of the level carries on average, in single precision.
    float GetMonsterMoney(int32_t level) const;
    // 0.5 + 0.05 x (DisarmTrap value - owner level), kept within 0..1.
    static float GetDisarmTrapChance(int32_t disarmValue, int32_t ownerLevel);

    // ---- Monsters, attachments, NPC chat and covenant records --------------------------------
    // (defined in rules/monsters/GameDataMonsters.cpp and rules/covenants/GameDataCovenants.cpp)

    // The world sets its difficulty while it runs (0 without a world); monster level windows
    // shift by that difficulty's "DifficultyMonsterLevelStart" minus 1, none at difficulty 0.
    void SetWorldDifficulty(int32_t difficulty) { worldDifficulty = difficulty; }
    int32_t GetWorldDifficulty() const { return worldDifficulty; }
    // Where the world definition starts a character: its first level's start. The world writes
    // it as it lays itself out (as it writes its difficulty); not valid before that.
    struct StartPosition {
        int32_t level = 0;
        float x = 0.0f;
        float y = 0.0f;
        bool valid = false;
    };
    void GetStartPosition(StartPosition& out) const { out = startPosition; }
    void SetStartPosition(const StartPosition& start) { startPosition = start; }
    int32_t GetMonsterLevelShift() const;

    const RecordList<MonsterArchetype>& GetArchetypes() const { return archetypes; }
    MonsterArchetype* FindArchetype(std::string_view name) const;
    MonsterArchetype* FindArchetype(const DatabaseEntry* entry) const;
    int32_t GetMonsterTypeCount() const;
    MonsterType* GetMonsterType(int32_t index) const;  // null outside the list
    MonsterType* FindMonsterType(std::string_view name) const;
    MonsterType* FindMonsterTypeBy(const DatabaseEntry* entry) const;
    const RecordList<MonsterEnhancement>& GetMonsterEnhancements() const { return monsterEnhancements; }

    // CollectMonsterTypes filters: 0 takes every type; otherwise a type passes when the filter
    // shares a bit with its rarity's: Normal..VeryRare 2, Unique 4, Legend 8, Boss 16 and 32.
    static constexpr int32_t kMonsterFilterAll = 0;
    static constexpr int32_t kMonsterFilterNormal = 2;
    static constexpr int32_t kMonsterFilterUnique = 4;
    static constexpr int32_t kMonsterFilterLegend = 8;
    static constexpr int32_t kMonsterFilterBoss = 0x30;
    // The types passing the filter whose shifted level window overlaps minLevel..maxLevel, in
    // list order; out is cleared first.
    void CollectMonsterTypes(int32_t filter, std::vector<MonsterType*>& out, int32_t minLevel, int32_t maxLevel) const;
    // The types that may turn up at a level: neither unique nor legend, not excluded, with an
    // archetype whose "InitChance" and "SpawnChance" are above 0, the level in the shifted window.
    int32_t CountEligibleMonsterTypes(int32_t level) const;
    MonsterType* GetEligibleMonsterType(int32_t level, int32_t n) const;  // null past the count
    // The score of the remembered monster at funStats i (a monster-type index, -1 for none) and
    // i + 1 (PackMonsterKillInfo): levels from startLevel up to the monster's, counted 100 each,
    // times the "XpMultMonster" factor of its rarity, rounded; 0 for no monster, a type the
    // game data does not hold, i outside the list or a monster below startLevel.
    int32_t GetKillScore(const IntArray& funStats, int32_t i, int32_t startLevel) const;

    Attachment* FindAttachment(std::string_view name) const;
    const RecordList<NpcChat>& GetNpcChats() const { return npcChats; }

    int32_t GetCovenantDefinitionCount() const;
    CovenantDefinition* GetCovenantDefinition(int32_t index) const;  // null outside the list
    int32_t FindCovenantDefinitionIndex(std::string_view name) const;  // -1 when none
    int32_t GetCovenantTraitCount() const;
    CovenantTrait* GetCovenantTrait(int32_t index) const;
    int32_t FindCovenantTraitIndex(std::string_view name) const;

    // ---- Items: the item and affix records and the item tuning (rules/items) -------------------
    const ItemRecords& GetItemRecords() const { return itemRecords; }

    // ---- Skills, status effects and character classes ---------------------------------------
    // (defined in rules/skills/GameDataSkills.cpp)
    // Loaded in this order, skills first, each seeing the records before it: a skill's
    // "PerLevel" and "Skill" names, a tree's skills, a class's trees. Names ignore case.

    const SkillDefinition* FindSkillDefinition(std::string_view name) const;
    int32_t FindSkillDefinitionIndex(std::string_view name) const;  // -1 when none
    const SkillTree* FindSkillTree(std::string_view name) const;
    // The status effects of the database, unscaled, for their names, texts and values.
    const StatusEffectBase* FindStatusEffect(std::string_view name) const;
    const CharacterClass* GetCharacterClass(int32_t index) const;  // null outside the list
    const CharacterClass* FindCharacterClass(std::string_view name) const;
    int32_t FindCharacterClassIndex(std::string_view name) const;  // -1 when none
    // The class's record name ("ArchetypeNpcPotentialRecruit" + it names the recruits of the
    // class); empty outside the list and for an empty position.
    std::string GetCharacterClassName(int32_t index) const;
    // The class's display name ("Name"); empty outside the list.
    std::string GetCharacterClassDisplayName(int32_t index) const;
    // "ClassMonsterGeneric", the class of every monster.
    const CharacterClass* GetGenericMonsterClass() const;

    // ---- Quest definitions (defined in rules/quests/GameDataQuests.cpp) -----------------------
    const RecordList<QuestDefinition>& GetQuestDefinitions() const { return questDefinitions; }
    // The definition read from that entry; null when none is.
    const QuestDefinition* FindQuestDefinition(const DatabaseEntry* entry) const;
    // The first definition, in database order, of that QuestType; null when none is.
    const QuestDefinition* FindQuestDefinitionByType(int32_t questType) const;
    // A definition's entry drawn from random stream 0, weighted by "RandomQuestChance" (or
    // "RandomEventChance"); a weight of 0 is never drawn. Null when no weight is above 0.
    const DatabaseEntry* PickRandomQuest() const;
    const DatabaseEntry* PickRandomEvent() const;
    // An index into the definition list: among the definitions of that QuestType, one drawn
    // from random stream 0 weighted by "RandomQuestChance" + "RandomEventChance". A single
    // definition is given without a draw; when every weight is 0 the first of the type is; -1
    // when the type has none.
    int32_t FindWeightedEntry(int32_t questType) const;

private:
    void LoadSkillRecords(const Database& database);
    void LoadMonsterRecords(const Database& database);
    void LoadCovenantRecords(const Database& database);
    void LoadQuestRecords(const Database& database);

    const DatabaseEntry* gameSystemEntry = nullptr;
    GameSystemTuning tuning;

    ItemRecords itemRecords;

    int32_t worldDifficulty = 0;
    StartPosition startPosition;
    RecordList<MonsterArchetype> archetypes;
    RecordList<MonsterType> monsterTypes;
    RecordList<MonsterDefinition> monsterDefinitions;
    RecordList<MonsterEnhancement> monsterEnhancements;
    RecordList<Attachment> attachments;
    RecordList<NpcChat> npcChats;
    RecordList<CovenantDefinition> covenantDefinitions;
    RecordList<CovenantTrait> covenantTraits;

    RecordList<SkillDefinition> skillDefinitions;
    RecordList<SkillTree> skillTrees;
    RecordList<StatusEffectBase> statusEffects;
    RecordList<CharacterClass> characterClasses;

    RecordList<QuestDefinition> questDefinitions;
    float randomQuestChanceTotal = 0.0f;
    float randomEventChanceTotal = 0.0f;
};

extern GameData* gGameData;
