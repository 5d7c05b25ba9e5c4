// ItemWorld -- a test world for items: a small item database with its game data, and helpers to make items and inventories.
#pragma once

#include "rules/IntArray.h"
#include "rules/RulesWorld.h"
#include "rules/items/InventoryBase.h"
#include "rules/items/ItemBase.h"
#include "rules/monsters/RecordWorld.h"

#include <memory>
#include <string>

// Records named after what the tests need of them; numbers chosen so that each formula's
// rounding shows.
inline std::string ItemWorldRecords()
{
    return RecordWorld::Records({
        "GameSystem: Type Info; ItemQualityValueMultRare 1.1; ItemQualityStatMultRare 1.5; ItemPriceFactor 1.5; "
            "GuardCostPerLevel 2.5; IdentifyCost 10; BaseItemTimeOnGround 60; TimeOnGroundMultRare 2; "
            "MinSellPercent 0.25; MaxSellPercent 0.5; MinSellPercentPrice 1000; ValueEachPointTemporaryAttribute 0.5",
        "Sword: Type Item; Name \"$$ItemSword$$\"; ItemType HandPrimary; ItemRequirement WeaponSword; "
            "MinDamagePhysical 3; MaxDamagePhysical 7; Value 100; MinLevel 2; RequiredStrength 10; "
            "ModifiersAllowed 1; ModifierLevelRequirement 0.5",
        "GreatAxe: Type Item; Name \"$$ItemGreatAxe$$\"; ItemType HandBoth; MaxDamagePhysical 12; Value 300",
        "Dagger: Type Item; Name \"$$ItemDagger$$\"; ItemType HandEither; MaxDamagePhysical 3; Value 40",
        "Buckler: Type Item; Name \"$$ItemBuckler$$\"; ItemType HandSecondary; ItemRequirement Shield; Armor 5; "
            "Value 50",
        "Band: Type Item; Name \"$$ItemBand$$\"; ItemType Ring; Value 80",
        "Charm: Type Item; Name \"$$ItemCharm$$\"; ItemType Jewelry; Value 80",
        "Helm: Type Item; Name \"$$ItemHelm$$\"; ItemType Head; Armor 4; Defense 2; StatChangeVitality 1; Value 60",
        "Crown: Type Item; Name \"$$ItemCrown$$\"; ItemType Head; Unique 1; Armor 9; Value 900",
        "Tonic: Type Item; Name \"$$ItemTonic$$\"; ItemType Drink; MaxStack 5; Value 10; CanBeUsed 1",
        "Elixir: Type Item; Name \"$$ItemElixir$$\"; ItemType Drink; MaxStack 4; Value 20; CanBeUsed 1; ItemLevel 3; "
            "StatusEffect Vigour; StatusEffectUseLevel 1; MinHealthGainBase 5; MaxHealthGainBase 9; "
            "MinHealthGainPerLevel 1; MaxHealthGainPerLevel 2; PowerGainPercent 0.25; ItemTimer \"Potion\"; "
            "ItemTimerTime 30; OnUseSkill Blink; PickupText \"PickedUpElixir\"; FullBonusStatusEffect Vigour; "
            "GambleChance 0.5; Consumable 1; TeleportHome 1",
        "Vigour: Type StatusEffect; Name \"$$Vigour$$\"; TotalTime 120; StatChangeStrength 2; PerLevel VigourStep",
        "VigourStep: Type StatusEffect; StatChangeStrength 1",
        "Pack: Type Item; Name \"$$ItemPack$$\"; ItemType Bag; BagSize 6; Value 20",
        "Pouch: Type Item; ItemType Bag; BagSize 3",
        "Primer: Type Item; Name \"$$ItemPrimer$$\"; ItemType Tome; ForcedItemSlot 2; Value 5",
        "Idol: Type Item; Name \"$$ItemIdol$$\"; ItemType Relic; Value 500; RelicBonusPerLevel 0.1; "
            "RelicBonusPerLevel 0.02",
        "Ward: Type Item; Name \"$$ItemWard$$\"; ItemType Guard; Guard Warden; Value 200",
        "Warden: MinLevel 4",
        "Heirloom: Type Item; Name \"$$ItemHeirloom$$\"; ItemType Other; NoDrop 1; Value 1; Unsellable 1",
        "Token: Type QuestItem; Name \"$$ItemToken$$\"",
        "Keen: Type MagicModifier; Name \"$$AffixKeen$$\"; Prefix 1; MinLevel 3; ItemLevel 10; "
            "MagicRequirement Weapon; ValueBonus 0.5; StatChangeStrength 2 6",
        "Bear: Type MagicModifier; Name \"$$AffixBear$$\"; StatChangeVitality 4; StatChangeArmor 2 4; ValueBonus 0.25",
        "Fox: Type MagicModifier; Name \"$$AffixFox$$\"; StatChangeDexterity 1 3",
    });
}

class ItemWorld : public RulesWorld {
protected:
    ItemWorld()
    {
        Load({{"items.dbr", ItemWorldRecords()}});
        gameData.Load(database);
    }

    // A fresh item of the record, or null when the record is no item.
    std::unique_ptr<ItemBase> Make(const std::string& name, int32_t stack = 1)
    {
        auto item = std::make_unique<ItemBase>();
        item->SetEntryByName(name);
        item->SetStackCount(stack);
        return item;
    }

    const MagicModifier* Affix(const std::string& name) const
    {
        return gameData.GetItemRecords().FindMagicModifier(name);
    }

    // Puts a new item straight into the cell, whatever the rules say; returns it.
    ItemBase* Plant(InventoryBase& inventory, const std::string& name, int32_t bag, int32_t slot, int32_t stack = 1)
    {
        std::unique_ptr<ItemBase> item = Make(name, stack);
        ItemBase* raw = item.get();
        return inventory.PlaceItem(item, bag, slot, kPlaceAnyGroup) ? raw : nullptr;
    }

    // Stats of a character of that level with every attribute at the value.
    static IntArray Stats(int32_t level, int32_t attributes)
    {
        IntArray stats(CharacterStat::Num);
        stats.Set(CharacterStat::Level, level);
        for (int32_t stat = CharacterStat::Strength; stat <= CharacterStat::Spirit; ++stat)
            stats.Set(stat, attributes);
        return stats;
    }
};

// An inventory with the carried bags, the equipment, the rows and the house sized as a
// character's or a covenant's would be.
class TestInventory : public InventoryBase {
public:
    TestInventory()
    {
        for (int32_t bag = 0; bag < kBagCount; ++bag)
            ResizeBag(bag, 8);
        ResizeBag(InventoryGroupIndex::Equipment, EquipedLocation::None);
    }

    const IntArray* GetOwnerStats() const override { return ownerStats; }

    const IntArray* ownerStats = nullptr;
};
