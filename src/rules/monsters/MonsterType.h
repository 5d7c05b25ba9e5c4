// MonsterType -- one kind of monster: its archetype and actor record, names, rarity, level window and linked versions.
#pragma once

#include "core/SimpleData.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class MonsterArchetype;
class MonsterDefinition;

// Read from a "MonsterType" record. Load keeps the names of the records it refers to; GameData
// links them once every list is loaded, so a type may name one defined after it. A reference
// that names no record stays null (and the content lint reports it).
class MonsterType : public SimpleData {
public:
    void Load(const DatabaseEntry* entry) override;

    // The base level window, shifted up by the world's difficulty: plus that difficulty's
    // "DifficultyMonsterLevelStart" minus 1 while a world of difficulty other than 0 runs.
    int32_t GetMinLevel() const;
    int32_t GetMaxLevel() const;
    // Its own "FactionName", else its archetype's; empty without either.
    std::string GetFactionName() const;
    // Version i; null for i outside the list.
    MonsterType* GetVersion(int32_t i) const;
    // A version drawn uniformly from random stream 0; null without versions.
    MonsterType* PickRandomVersion() const;
    bool IsUniqueOrLegend() const;
    // The model surfaces a creature of this type has switched off: the type's own "HideSurface"
    // lines, then its actor record's (empty without one). Views of the records' own lists, as
    // every spawn asks.
    std::array<std::span<const int32_t>, 2> GetHiddenSurfaces() const;

    // Records named by the type, resolved by GameData.
    std::string archetypeName;
    std::string definitionName;
    std::string baseTypeName;
    std::string nextVariantName;
    std::string legendTypeName;
    std::vector<std::string> versionNames;
    MonsterArchetype* archetype = nullptr;
    const MonsterDefinition* definition = nullptr;
    MonsterType* baseType = nullptr;
    MonsterType* nextVariant = nullptr;
    MonsterType* legendType = nullptr;
    std::vector<MonsterType*> versions;

    std::string name;  // display name, a localisation key
    std::string pluralName;
    std::string title;
    int32_t rarity = 0;  // MonsterRarity; 0 also means the spawn system rolls one
    int32_t index = -1;  // in the game data's monster-type list
    int32_t baseMinLevel = 0;
    int32_t baseMaxLevel = 0;
    std::string factionName;
    bool excluded = false;
    bool vendor = false;
    bool renegade = false;
    bool thief = false;
    // The answer its creatures give to the sentients' neutral query of that name.
    bool traitS = true;
    float size = 0.0f;
    int32_t questItemAmount = 0;
    std::vector<std::string> enhancements;
    std::vector<std::string> skills;
    std::vector<int32_t> hiddenSurfaces;
};

// The packed word a kill record keeps beside the monster type: byte 0 the level, byte 1 the
// rarity, byte 2 a further level (the killer's, for the toughest-battle record). Each is kept
// within 0..255.
int32_t PackMonsterKillInfo(int32_t level, int32_t rarity, int32_t furtherLevel);
