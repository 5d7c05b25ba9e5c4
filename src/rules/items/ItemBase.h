// ItemBase -- one item as the server and the client share it: definition, quality, stack, affixes, where it lies, its saved record.
#pragma once

#include "core/SafeClass.h"
#include "rules/IntArray.h"
#include "rules/items/ItemDefinition.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class MagicModifier;
class MessageBuffer;

struct ItemAffix {
    const MagicModifier* modifier = nullptr;
    // 0..1: where each of the affix's stat ranges lands.
    float strength = 0.0f;
};

// What the tooltip says beside the item itself.
struct ItemTooltipOptions {
    // The viewer's CharacterStat values; with them, unmet requirements show in red.
    const IntArray* viewerStats = nullptr;
    // A vendor's goods show their price instead of their value: one unit's value (a unit is what
    // the vendor sells of a stack) times this factor, rounded down.
    bool vendorGoods = false;
    float vendorFactor = 1.0f;
    // A gamble slot hides the affixes and shows the gamble price.
    bool gamble = false;
    // A tome whose bookshelf cell is already taken says so.
    bool tomeShelved = false;
};

// The item's class, which the use and wear rules test (6 and 15: take it to the main bag;
// 2-5 and 7-14: it may be worn), is the inventory group the item lies in: 6 Stash, 15 Loot,
// 2-5 the four carried bags, 7-14 the stash bags. The inventory keeps it with the slot.
//
// The arithmetic members (stats, value, price, names, tooltip, requirements) are defined in
// ItemFormulas.cpp, so that every number the game might tune sits in one file.
class ItemBase : public SafeClass {
public:
    // More than the spawn rules ever give (4); a saved record holding more is refused.
    static constexpr int32_t kMaxAffixes = 8;
    // A stack this large is one its holder never runs out of (a trader's guards): shown with no count.
    static constexpr int32_t kEndlessStack = 1000000000;

    ItemBase();

    // SimpleData: finds the definition of the entry, then resets the item to a fresh one of it.
    void Load(const DatabaseEntry* entry) override;
    // Virtual operations after SimpleData's, in slot order.
    // Whether a use request makes sense: an item in the stash or the loot is taken, an
    // unidentified one identified, a wearable one worn; otherwise the record's "CanBeUsed".
    virtual bool IsUsable() const;
    // The trade factor of the item's kind; the server and client know the game's values.
    virtual float GetValueMultiplier() const { return 1.0f; }
    // Finds the definition of the entry again and recomputes the stats.
    virtual void ResolveDefinition();
    // A fresh item of the definition: its quality and levels, a stack of one, no affixes,
    // not identified. The place it lies in is kept.
    virtual void Reset();

    // This item's entry and whole state; a derived class's own fields are its own business.
    void CopyFrom(const ItemBase& other);

    // The record: definition reference, identified word, affixes, five item words (quality,
    // level, required level, stack count, guard health), the guard reference and the fallen word.
    // A reference is the entry's name by name, else its index (-1 / empty for none).
    void Write(MessageBuffer& buffer, bool byName) const;
    // False, the item unchanged, for a record that is cut short or malformed. A well-formed
    // record naming a definition the database lacks reads as true, leaves the item without a
    // definition (the caller drops it) and logs; an affix the database lacks is dropped.
    bool Read(MessageBuffer& buffer, bool byName);

    const ItemDefinition* GetDefinition() const { return definition; }
    int32_t GetItemType() const { return definition ? definition->itemType : ItemType::Other; }
    int32_t GetSlotType() const { return definition ? definition->slotType : ItemSlotType::None; }
    int32_t GetMaxStack() const { return definition ? definition->maxStack : 1; }

    int32_t GetQuality() const { return quality; }
    // Taken into 0..7; into Common..VeryRare while the item carries affixes.
    void SetQuality(int32_t newQuality);
    int32_t GetLevel() const { return level; }
    // Taken into 1..the game's "MaxLevel".
    void SetLevel(int32_t newLevel);
    int32_t GetRequiredLevel() const { return requiredLevel; }
    int32_t GetStackCount() const { return stackCount; }
    // Kept within 1..GetMaxStack().
    void SetStackCount(int32_t count);
    // True for an item that needs no identifying as well.
    bool IsIdentified() const;
    void SetIdentified(bool value) { identified = value; }

    const std::vector<ItemAffix>& GetAffixes() const { return affixes; }
    // Adds an affix rolled at strength and recomputes the stats; the level requirement rises to
    // the affix's "MinLevel" and to floor("ItemLevel" x the item's "ModifierLevelRequirement"),
    // and a Normal item becomes Common. False, nothing changed, for a Set, Unique or Artifact
    // item (the saved record carries no affix for them), one with kMaxAffixes already, or no modifier.
    bool AddAffix(const MagicModifier* modifier, float strength);
    int32_t CountPrefixes() const;
    int32_t CountSuffixes() const;

    int32_t GetGroup() const { return group; }
    int32_t GetSlot() const { return slot; }
    // The inventory's bookkeeping; -1, -1 when the item lies in none.
    void SetLocation(int32_t newGroup, int32_t newSlot);

    // A guard item's guard record (none for other items), its fallen flag and the mirror of its guard's health.
    const DatabaseEntry* GetGuardRecord() const { return guard; }
    bool IsGuardFallen() const { return guardFallen; }
    void SetGuardFallen(bool fallen) { guardFallen = fallen; }
    int32_t GetGuardHealth() const { return guardHealth; }
    void SetGuardHealth(int32_t health) { guardHealth = health; }

    // ---- ItemFormulas.cpp ----
    // Armour, defense and damage from the definition times the quality's stat factor, stats from
    // the definition, then each affix's values at its strength added.
    void ComputeStats();
    int32_t GetArmor() const { return armor; }
    int32_t GetDefense() const { return defense; }
    int32_t GetDefenseBonus() const { return defenseBonus; }
    // {0, 0} for a type outside the table.
    DamageRange GetDamage(int32_t damageType) const;
    // The computed value of a CharacterStat (index-tested against the list).
    int32_t GetIntAt(int32_t stat) const { return stats.Get(stat); }
    // Every computed stat value, by CharacterStat.
    const IntArray& GetStatValues() const { return stats; }

    bool IsStackable() const { return GetMaxStack() > 1; }
    // A trader's endless stack, one fewer after each sale: no holder gathers half as many.
    bool IsEndlessStack() const { return stackCount > kEndlessStack / 2; }
    // Same definition, both stackable, neither carrying affixes.
    bool CanStackWith(const ItemBase& other) const;
    // Not identified, not "AlwaysIdentified", and it has affixes.
    bool IsUnidentified() const;
    // Lies in a carried or stash bag (class 2-5 or 7-14) and is no tome, relic, treasure map,
    // food, drink or other item.
    bool IsWearableType() const;
    // Whether the item's type may lie in that equipment slot (an EquipedLocation).
    bool FitsEquipSlot(int32_t equipedLocation) const;
    // The stats' Level and Strength .. Spirit reach the item's requirements.
    bool MeetsRequirements(const IntArray& stats) const;
    // The first requirement the stats fall short of, in the tooltip's words; empty when all are met.
    std::string GetUnmetRequirement(const IntArray& stats) const;
    bool MeetsMagicRequirement(int32_t magicRequirement) const;

    // ceil(value factor x ("Value" + the worth of the item's status effect) x (the stack count
    // when asked and the item stacks)); the factor is the quality's value factor x (1 + each
    // affix's "ValueBonus") x GetValueMultiplier().
    int32_t GetValue(bool withStack) const;
    // The buying (and gamble) price: GetValue(true) x "ItemPriceFactor", to the nearest, not below 0.
    // Kept once computed, until the stack, quality, level, affixes or definition change or
    // InvalidatePrices is called.
    int32_t GetPrice() const;
    // What a vendor pays: floor(GetValue(true) x the sell share of that value ("MinSellPercent"
    // .. "MaxSellPercent", fractions)); 0 for an "Unsellable" item. Kept as GetPrice is.
    int32_t GetSellPrice() const;
    // For a derived class whose value multiplier has changed (the game's trade values).
    void InvalidatePrices() const;
    // The health and power a use restores, {min, max} at the item's level.
    DamageRange GetHealthGain() const;
    DamageRange GetPowerGain() const;
    // "IdentifyCost" x the level requirement (at least 1) for an unidentified item, else 0.
    int32_t GetIdentifyCost() const;
    // ceil(the guard record's "MinLevel" (at least 1) x "GuardCostPerLevel"); 0 for other items
    // and for a fallen guard.
    int32_t GetGuardCost() const;
    // The record's "TimeOnGround" when above 0, else "TimeOnGroundMult" of the quality x
    // "BaseItemTimeOnGround".
    float GetTimeOnGround() const;
    // Factor m (0..13) of a relic: 1 + "RelicBonusPerLevel" m x the item's level; 1 for other
    // items and for m outside the list.
    float GetRelicFactor(int32_t m) const;

    // The names of the last prefix, the item and the last suffix, blank-separated, for an
    // identified item with at most two affixes; the item's name alone otherwise.
    std::string GetDisplayName() const;
    // Appends the full description with colour codes: name in its quality colour, type, armour,
    // damage, stats, requirements, identify hint, price.
    void BuildTooltip(const ItemTooltipOptions& options, std::string& out) const;

private:
    // The first requirement the stats fall short of: the level (kItemAttributeCount), an
    // attribute (its index), or -1 for none.
    int32_t FirstUnmetRequirement(const IntArray& stats) const;
    // The tooltip's line of that requirement.
    std::string RequirementLine(int32_t which) const;

    const ItemDefinition* definition = nullptr;
    int32_t quality = ItemRarity::Normal;
    int32_t level = 1;
    int32_t requiredLevel = 0;
    int32_t stackCount = 1;
    bool identified = false;
    std::vector<ItemAffix> affixes;
    int32_t group = -1;
    int32_t slot = -1;
    const DatabaseEntry* guard = nullptr;
    bool guardFallen = false;
    int32_t guardHealth = 0;

    // Computed by ComputeStats.
    int32_t armor = 0;
    int32_t defense = 0;
    int32_t defenseBonus = 0;
    std::array<DamageRange, DamageType::kCount> damage{};
    IntArray stats;
    // -1 until asked for.
    mutable int32_t cachedPrice = -1;
    mutable int32_t cachedSellPrice = -1;
};

// Qualities 1 to 4 carry affixes; Normal, Set, Unique and Artifact items never do.
bool QualityTakesAffixes(int32_t quality);
