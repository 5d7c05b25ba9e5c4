// CharacterClass -- a character class record: its power, its stat rules and its skill trees.
#pragma once

#include "core/Color.h"
#include "core/SimpleData.h"

#include <array>
#include <cstdint>
#include <string>

class SkillTree;

// A class has at most four skill trees; a tree's position is its tree index.
constexpr int32_t kMaxSkillTrees = 4;

// The class's power gains, in the order the interface lists them: "PowerGainOn" + each name.
namespace PowerGain {
enum Value : int32_t { Hit, Damage, BlockOrParry, CriticalHit, CrushingBlow, DeepWounds, Kill };
constexpr int32_t kCount = 7;
} // namespace PowerGain

// A value that grows with the level: base + perLevel x level.
struct ClassLevelValue {
    float base = 0.0f;
    float perLevel = 0.0f;

    // Truncated toward zero and kept within the int32 range; the level is taken into 0..MaxLevel.
    int32_t At(int32_t level) const;
};

// Read once from its entry; the skill trees are GameData's, found by the names of the
// "SkillTree" list among the trees loaded before the classes. A name that is no tree leaves
// its position empty, so the trees after it keep their indexes.
class CharacterClass : public SimpleData {
public:
    void Load(const DatabaseEntry* entry) override;

    // Null for an index outside 0..3 or an empty position.
    const SkillTree* GetSkillTree(int32_t treeIndex) const;
    int32_t GetSkillTreeCount() const { return treeCount; }
    // True for entry id 0 or the id of a skill in one of the class's trees.
    bool AllowsSkill(int32_t skillEntryId) const;

    std::string name;
    std::string desc;
    // What an NPC of the class is called after its level; the name when the record has none.
    std::string title;
    // Shown wherever a text speaks of the power the class spends.
    std::string powerName;
    bool male = false;
    std::string modelName;
    // "SkinSurface<Location>": the skin surface an item worn there retextures; -1 for none.
    std::array<int32_t, 18> skinSurfaces{};
    float baseSpeed = 0.0f;
    std::array<float, PowerGain::kCount> powerGainOn{};

    float damageMultPerStr = 0.0f;
    float defensePerDex = 0.0f;
    float attackPerDex = 0.0f;
    float healthPerVit = 0.0f;
    float healthPerLevel = 0.0f;
    int32_t powerPerInt = 0;
    int32_t powerPerSpr = 0;
    float powerRegenPerInt = 0.0f;
    float powerRegenPerSpr = 0.0f;
    float healthRegenPerSpr = 0.0f;
    float resistancePerSpr = 0.0f;
    float criticalPerInt = 0.0f;
    // Below 0 when the key is missing: MaxPower then follows the attributes and a refill
    // fills the power to its maximum.
    int32_t maxPower = -1;
    int32_t powerStart = -1;
    int32_t powerRegen = 0;
    float basePowerRegen = 0.0f;
    bool canRegenPower = false;
    bool canDrainPower = false;
    float combatPowerRegenMultiplier = 0.0f;
    float combatHealthRegenMultiplier = 0.0f;
    float powerRegenOutsideCombat = 0.0f;
    bool powerDirection = false;
    float powerDecay = 0.0f;
    float powerTimer = 0.0f;
    float specificMissTypePercent = 0.0f;
    bool maxPowerOnLevelUp = false;
    // StrengthPerLevel .. SpiritPerLevel.
    std::array<float, 5> attributePerLevel{};
    // "StartStrength" .. "StartSpirit": a new character's BaseStrength .. BaseSpirit.
    std::array<int32_t, 5> startAttributes{};
    // "MinDamage", "MaxDamage", "Armor" and "Resistance", each with its "PerLevel" key.
    ClassLevelValue minDamage;
    ClassLevelValue maxDamage;
    ClassLevelValue armor;
    ClassLevelValue resistance;
    // "PrimaryColor" and "SecondaryColor": three numbers 0..1 each, red first; black when the
    // key is missing, logged and black when it holds fewer than three numbers.
    Color primaryColor;
    Color secondaryColor;

    // A monster's BaseStrength .. BaseSpirit at a level: trunc(start + per-level gain x level);
    // 0 for an attribute outside 0..4.
    int32_t GetAttributeAtLevel(int32_t attribute, int32_t level) const;

private:
    std::array<const SkillTree*, kMaxSkillTrees> skillTrees{};
    int32_t treeCount = 0;
};
