// MonsterArchetype -- a family of monster types: spawn weights, faction, behaviour stack and the types that belong to it.
#pragma once

#include "core/RandomSystem.h"
#include "core/SimpleData.h"
#include "rules/CharacterClass.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class MonsterType;
class SkillDefinition;

// Read from a "MonsterArchetype" record. The types are GameData's, listed here in the order of
// the game data's monster-type list once every type has been linked.
class MonsterArchetype : public SimpleData {
public:
    void Load(const DatabaseEntry* entry) override;

    // The types whose level window (shifted by the world's difficulty) holds the level, in
    // list order; out is cleared first.
    void GetTypesForLevel(int32_t level, std::vector<MonsterType*>& out) const;
    // One of the types drawn uniformly from the stream; null when there are none.
    MonsterType* PickRandomFromList(RandomStream stream = RandomStream::GameData) const;
    // The interval between attacks, varied by a uniform factor in [1 - variation, 1 + variation)
    // from random stream 0.
    float GetRandomAttackInterval() const;
    // The pause before the next skill: "SkillDelay" at full health, moving linearly to
    // "SkillDelayLowHealth" as the health fraction falls to 0.
    float GetSkillDelay(float healthFraction) const;

    std::string name;
    float initChance = 0.0f;
    float spawnChance = 0.0f;
    std::string factionName;
    std::string questItemName;
    // What a slain member leaves for a quest about its type: the "QuestItem" record, dropped
    // with "QuestItemDropChance" (0..1); its type's "QuestItemAmount" stacks it (0: one).
    const DatabaseEntry* questItem = nullptr;
    float questItemDropChance = 0.0f;
    std::string behaviorStackName;
    bool adventurer = false;
    bool raisable = false;
    bool edible = false;
    const DatabaseEntry* soundGroup = nullptr;
    float attackInterval = 0.0f;
    float attackIntervalVariation = 0.0f;
    float skillDelay = 0.0f;
    float skillDelayLowHealth = 0.0f;
    std::vector<MonsterType*> types;

    // What the client's mirror of a creature takes from its archetype.
    bool namePlate = false;          // "NamePlate": the name shows above the creature
    int32_t classIndex = -1;         // "Class": a character class record name; -1 for none
    std::string nameListName;        // "NameList": the name generator's list for personal names
    bool canAttack = false;          // "CanAttack"
    float radius = 0.0f;             // "Radius"
    float selectRadius = 0.0f;       // "SelectRadius"
    bool hideFromMiniMap = false;    // "HideFromMiniMap"
    std::vector<const SkillDefinition*> skills;  // "Skill", one line each; unknown names logged
    int32_t skinSurface = -1;        // "SkinSurface": the model surface the skin textures cover
    std::vector<std::string> skinTextures;      // "SkinTexture", one line each, one drawn per creature
    bool randomSize = false;         // "RandomSize": each creature's size drawn in MinSize..MaxSize
    float minSize = 1.0f;
    float maxSize = 1.0f;
    // "StartStrength" .. "StartSpirit" with "StrengthPerLevel" .. "SpiritPerLevel", and
    // "MinDamage" / "MaxDamage" with their "PerLevel" keys, as a class reads them.
    std::array<ClassLevelValue, 5> attributes{};
    ClassLevelValue minDamage;
    ClassLevelValue maxDamage;

private:
    void LoadClientFields();
    void LoadLevelValues();
};
