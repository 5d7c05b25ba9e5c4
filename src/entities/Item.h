// Item -- an item held or dropped by a host entity: its use, its share of its wearer's stats and damage, its set bonuses, its ground entity and its skill.
#pragma once

#include "core/SafePointer.h"
#include "rules/items/ItemBase.h"

#include <cstdint>
#include <memory>

class Entity;
class InventoryBase;
class Sentient;
class Skill;
class StatPairList;

// What an equipped item adds to a stat: its own value, or (for Armor, Defense and the damage
// stats) its armour, defense and damage values.
namespace EquipmentStatKind {
constexpr int32_t kOwnValue = 0;
constexpr int32_t kItemValues = 1;
} // namespace EquipmentStatKind

class Item : public ItemBase {
public:
    static constexpr float kUseEffectSeconds = 5.0f;

    Item();
    ~Item() override;

    // For item types 22 and 23 the game's trade values; 1 for the others.
    float GetValueMultiplier() const override;
    // Also makes the item's "OnUseSkill" skill.
    void ResolveDefinition() override;
    void Reset() override;

    // True when the item is used up: the caller removes it.
    bool Use(Sentient* user);
    // The partial, then the full set bonus, each when the wearer meets it and may take it.
    bool ApplySetBonuses(Sentient& wearer) const;
    // "PickupText" with the item's name, told to the one who picked it up.
    void ShowPickupText(Sentient& player) const;
    void SetGroundEntity(Entity* entity);
    // The sum of the item's affixes' "WeaponSpeed": how much quicker it strikes.
    float GetWeaponSpeedBonus() const;
    // The item's damage of the six types, in order, as six entries of the list.
    void AddItemDamage(StatPairList& list) const;

    // The item in the slot used by the user; removed from the slot when used up.
    static void UseItemAt(InventoryBase& inventory, int32_t bag, int32_t slot, Sentient* user);
    // The share of the stat of every item in the equipment, then in the backup bag.
    static void AddEquipmentStat(const InventoryBase& inventory, int32_t kind, int32_t stat, int32_t& total);
    // The damage of each item in the first 18 equipment slots, for mode 1.
    static void BuildWeaponDamage(const InventoryBase& inventory, StatPairList& list, int32_t mode);
    // Whether the sentient may use the item by its "ItemRequirement" tier.
    static bool MeetsItemRequirement(const Sentient& sentient, const ItemBase& item);

    // The number of the quest a quest item belongs to; -1 for none.
    int32_t questNumber = -1;
    // A money item's amount.
    int32_t money = 0;

private:
    bool UseSpecialKinds(Sentient* user);
    bool UseConsumable(Sentient& user);
    void RestoreHealthAndPower(Sentient& user) const;
    void GiveStatChanges(Sentient& user) const;

    SafePointer groundEntity;
    std::unique_ptr<Skill> useSkill;
};
