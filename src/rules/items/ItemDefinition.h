// ItemDefinition -- an item record of the game database, read once: type, slot, requirements, stack, value and base stats.
#pragma once

#include "core/EngineEnums.h"
#include "core/SimpleData.h"
#include "rules/items/MagicModifier.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The five attributes an item may require, in stat order (Strength .. Spirit).
constexpr int32_t kItemAttributeCount = 5;

struct DamageRange {
    int32_t min = 0;
    int32_t max = 0;
};

// Records of the types "Item" and "QuestItem". Every instance of an item points at one of these;
// keys the shared rules do not use are read by their users through the entry. Keys (default):
// "Name" (the display name: text with localisation tokens), "ItemType" (Other), "ItemSlotType" (derived from the
// type), "Quality" (an "ItemRarity" name; "Set" (non-empty), "Unique" and "Artifact" override
// it), "ItemLevel" (1), "MinLevel" (level requirement), "Required" + Strength .. Spirit,
// "ItemRequirement", "MaxStack" (1), "Value", "NoDrop", "MustStayInInventory",
// "AlwaysIdentified", "ModifiersAllowed", "AlwaysMagic", "CanBeUsed", "Unsellable",
// "ModifierLevelRequirement" (float), "Armor", "Defense", "MinDamage" and "MaxDamage" +
// a "DamageType" name, "StatChange" + stat, "TimeOnGround" (float), "ForcedItemSlot" (-1),
// "BagSize" (slots of a bag item), "Guard" (the guard record a guard item stands for) and
// "RelicBonusPerLevel" (a relic's factor increments, one value a line, up to 14).
class ItemDefinition : public SimpleData {
public:
    static constexpr int32_t kRelicFactorCount = 14;

    void Load(const DatabaseEntry* entry) override;

    std::string displayName;
    int32_t itemType = ItemType::Other;
    int32_t slotType = ItemSlotType::General;
    int32_t quality = ItemRarity::Normal;
    int32_t itemLevel = 1;
    int32_t requiredLevel = 0;
    std::array<int32_t, kItemAttributeCount> requiredAttributes{};
    int32_t itemRequirement = ItemRequirement::None;
    int32_t maxStack = 1;
    int32_t value = 0;
    bool noDrop = false;
    bool mustStayInInventory = false;
    bool alwaysIdentified = false;
    bool modifiersAllowed = false;
    bool alwaysMagic = false;
    bool canBeUsed = false;
    bool unsellable = false;
    float modifierLevelRequirement = 0.0f;
    int32_t armor = 0;
    int32_t defense = 0;
    std::array<DamageRange, DamageType::kCount> damage{};
    std::vector<StatRange> stats;
    float timeOnGround = 0.0f;
    int32_t forcedItemSlot = -1;
    int32_t bagSize = 0;
    const DatabaseEntry* guard = nullptr;
    std::vector<float> relicBonusPerLevel;
};
