// GameData -- the game's definition lists and tuning values, read from the game database once at start-up.
#pragma once

#include "core/BaseClass.h"
#include "rules/GameSystemTuning.h"
#include "rules/RecordList.h"
#include "rules/items/ItemRecords.h"

#include <cstdint>
#include <string>
#include <string_view>

class CharacterClass;
class Database;
class DatabaseEntry;
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

    // ---- Items: the item and affix records and the item tuning (rules/items) -------------------
    const ItemRecords& GetItemRecords() const { return itemRecords; }

    // ---- Skills, status effects and character classes ---------------------------------------
    // (defined in rules/skills/GameDataSkills.cpp)
    // Loaded in this order, skills first, each seeing the records before it: a skill's
    // "PerLevel" and "Skill" names, a tree's skills, a class's trees. Names ignore case.

    const SkillDefinition* FindSkillDefinition(std::string_view name) const;
    int32_t FindSkillDefinitionIndex(std::string_view name) const;  // -1 when none
    const SkillDefinition* GetSkillDefinition(int32_t index) const;  // null outside the list
    const SkillTree* FindSkillTree(std::string_view name) const;
    // The status effects of the database, unscaled, for their names, texts and values.
    const StatusEffectBase* FindStatusEffect(std::string_view name) const;
    int32_t GetCharacterClassCount() const;
    const CharacterClass* GetCharacterClass(int32_t index) const;  // null outside the list
    const CharacterClass* FindCharacterClass(std::string_view name) const;
    int32_t FindCharacterClassIndex(std::string_view name) const;  // -1 when none
    // The class's display name; empty outside the list.
    std::string GetCharacterClassName(int32_t index) const;
    // "ClassMonsterGeneric", the class of every monster.
    const CharacterClass* GetGenericMonsterClass() const;

private:
    void LoadSkillRecords(const Database& database);

    const DatabaseEntry* gameSystemEntry = nullptr;
    GameSystemTuning tuning;

    ItemRecords itemRecords;

    RecordList<SkillDefinition> skillDefinitions;
    RecordList<SkillTree> skillTrees;
    RecordList<StatusEffectBase> statusEffects;
    RecordList<CharacterClass> characterClasses;
};

extern GameData* gGameData;
