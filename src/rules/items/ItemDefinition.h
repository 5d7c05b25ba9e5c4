// ItemDefinition -- an item record of the game database, read once: type, slot, requirements, stack, value and base stats.
#pragma once

#include "core/EngineEnums.h"
#include "core/SimpleData.h"
#include "rules/items/MagicModifier.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <array>
#include <memory>
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
//
// Use keys (default 0, empty or none): "StatusEffect" (an effect record the user gets) with
// "StatusEffectUseLevel" (flag: at the item's level rather than level 1); "MinHealthGainBase",
// "MaxHealthGainBase", "MinHealthGainPerLevel", "MaxHealthGainPerLevel" and
// "HealthGainPercent" (a fraction of the user's maximum health), the same five for power;
// "TeleportHome"; "ItemTimer" (the name of the timer group the use starts) with
// "ItemTimerTime" (seconds); "UseEffectName" with "UseEffectTime"; "UseStatChanges" (flag: the
// stat changes are given on use, not while worn); "OnUseSkill" (a skill record the use casts);
// "PickupText" (the key of the message on picking it up); "PartialBonusStatusEffect" and
// "FullBonusStatusEffect" (set bonus effect records); "GambleChance" (a gambler's weight);
// "Consumable" and "InstantUse" (flags); "CovenantCurrency" (0 none, else the kind of covenant
// money it is); "RandomDirection", "Disappear", "FadeOnPickup" (flags) and
// "DisappearSoundName".
class ItemDefinition : public SimpleData {
public:
    static constexpr int32_t kRelicFactorCount = 14;

    // A gain drawn between its minimum and maximum, each its base plus per level x the item's level.
    struct Gain {
        int32_t minBase = 0;
        int32_t maxBase = 0;
        int32_t minPerLevel = 0;
        int32_t maxPerLevel = 0;
        float percent = 0.0f;

        // {min, max} at the level (taken into 0..MaxLevel), saturated.
        DamageRange At(int32_t level) const;
    };

    ItemDefinition();
    ~ItemDefinition() override;
    ItemDefinition(ItemDefinition&&) noexcept;
    ItemDefinition& operator=(ItemDefinition&&) noexcept;

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

    const DatabaseEntry* statusEffectRecord = nullptr;
    bool statusEffectUseLevel = false;
    // The effect at its use level for the definition's "ItemLevel"; it adds its worth to the
    // item's value and its lines to the tooltip. Null without one.
    std::unique_ptr<StatusEffectBase> statusEffect;
    Gain healthGain;
    Gain powerGain;
    bool teleportHome = false;
    std::string itemTimer;
    float itemTimerTime = 0.0f;
    std::string useEffectName;
    float useEffectTime = 0.0f;
    bool useStatChanges = false;
    std::string onUseSkill;
    std::string pickupText;
    const DatabaseEntry* partialBonusStatusEffect = nullptr;
    const DatabaseEntry* fullBonusStatusEffect = nullptr;
    float gambleChance = 0.0f;
    bool consumable = false;
    bool instantUse = false;
    int32_t covenantCurrency = 0;
    bool randomDirection = false;
    bool disappear = false;
    bool fadeOnPickup = false;
    std::string disappearSoundName;

private:
    void ReadUseKeys(const DatabaseEntry& e);
};
