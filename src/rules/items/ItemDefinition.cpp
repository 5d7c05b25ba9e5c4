// ItemDefinition -- an item record of the game database, read once: type, slot, requirements, stack, value and base stats.
#include "rules/items/ItemDefinition.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "rules/Formulas.h"

#include <algorithm>

namespace {

// By item type: the hands all lie in hand slots, the rest in the slot of their use.
constexpr int32_t kDefaultSlotTypes[ItemType::kCount] = {
    ItemSlotType::Head,        ItemSlotType::Neck,        ItemSlotType::Shoulders,   ItemSlotType::Back,
    ItemSlotType::Chest,       ItemSlotType::Wrists,      ItemSlotType::Hands,       ItemSlotType::Waist,
    ItemSlotType::Legs,        ItemSlotType::Feet,        ItemSlotType::Ring,        ItemSlotType::Jewelry,
    ItemSlotType::HandPrimary, ItemSlotType::HandSecondary, ItemSlotType::HandPrimary, ItemSlotType::HandPrimary,
    ItemSlotType::Ranged,      ItemSlotType::Bag,         ItemSlotType::Tome,        ItemSlotType::Guard,
    ItemSlotType::Relic,       ItemSlotType::General,     ItemSlotType::General,     ItemSlotType::General,
    ItemSlotType::General,
};

int32_t ReadQuality(const DatabaseEntry& entry)
{
    if (entry.GetInt("Artifact") != 0)
        return ItemRarity::Artifact;
    if (entry.GetInt("Unique") != 0)
        return ItemRarity::Unique;
    if (!entry.GetString("Set").empty())
        return ItemRarity::Set;
    return EnumTable::LookupIn("ItemRarity", entry.GetString("Quality"));
}

// The slot type an item type lies in when its record names none.
int32_t GetDefaultSlotType(int32_t itemType)
{
    return itemType >= 0 && itemType < ItemType::kCount ? kDefaultSlotTypes[itemType] : ItemSlotType::None;
}

// A record named by the key; none for an empty name, logged for one the database lacks.
const DatabaseEntry* ReadItemReference(const DatabaseEntry& entry, const char* key)
{
    std::string name = entry.GetString(key);
    const DatabaseEntry* found = name.empty() || !gDatabase ? nullptr : gDatabase->FindEntryByName(name);
    if (!name.empty() && !found)
        DebugSystem::Print(kPrintWarning, "Item %s: %s names the missing record %s\n",
                           std::string(entry.GetName()).c_str(), key, name.c_str());
    return found;
}

ItemDefinition::Gain ReadItemGain(const DatabaseEntry& entry, const std::string& what)
{
    return {entry.GetInt("Min" + what + "GainBase"), entry.GetInt("Max" + what + "GainBase"),
            entry.GetInt("Min" + what + "GainPerLevel"), entry.GetInt("Max" + what + "GainPerLevel"),
            entry.GetFloat(what + "GainPercent", 0.0f)};
}

} // namespace

ItemDefinition::ItemDefinition() = default;
ItemDefinition::~ItemDefinition() = default;
ItemDefinition::ItemDefinition(ItemDefinition&&) noexcept = default;
ItemDefinition& ItemDefinition::operator=(ItemDefinition&&) noexcept = default;

DamageRange ItemDefinition::Gain::At(int32_t level) const
{
    int32_t steps = ClampLevel(level);
    return {AddPerLevel(minBase, minPerLevel, steps), AddPerLevel(maxBase, maxPerLevel, steps)};
}

void ItemDefinition::Load(const DatabaseEntry* newEntry)
{
    *this = ItemDefinition();
    entry = newEntry;
    if (!entry)
        return;
    const DatabaseEntry& e = *entry;
    displayName = e.GetString("Name");
    itemType = GetItemTypeByName(e.GetString("ItemType"));
    std::string slotName = e.GetString("ItemSlotType");
    slotType = slotName.empty() ? GetDefaultSlotType(itemType) : GetItemSlotTypeByName(slotName);
    quality = ReadQuality(e);
    itemLevel = std::max(1, e.GetInt("ItemLevel", 1));
    requiredLevel = e.GetInt("MinLevel");
    for (int32_t i = 0; i < kItemAttributeCount; ++i)
        requiredAttributes[i] = e.GetInt("Required" + GetCharacterStatName(CharacterStat::Strength + i, false));
    itemRequirement = GetItemRequirementByName(e.GetString("ItemRequirement"));
    maxStack = std::max(1, e.GetInt("MaxStack", 1));
    value = std::max(0, e.GetInt("Value"));
    noDrop = e.GetInt("NoDrop") != 0;
    mustStayInInventory = e.GetInt("MustStayInInventory") != 0;
    alwaysIdentified = e.GetInt("AlwaysIdentified") != 0;
    modifiersAllowed = e.GetInt("ModifiersAllowed") != 0;
    alwaysMagic = e.GetInt("AlwaysMagic") != 0;
    canBeUsed = e.GetInt("CanBeUsed") != 0;
    unsellable = e.GetInt("Unsellable") != 0;
    modifierLevelRequirement = e.GetFloat("ModifierLevelRequirement", 0.0f);
    armor = e.GetInt("Armor");
    defense = e.GetInt("Defense");
    for (int32_t type = 0; type < DamageType::kCount; ++type) {
        const std::string& typeName = EnumTable::Find("DamageType")->GetName(type);
        damage[type] = {e.GetInt("MinDamage" + typeName), e.GetInt("MaxDamage" + typeName)};
    }
    ReadStatRanges(e, stats);
    timeOnGround = e.GetFloat("TimeOnGround", 0.0f);
    forcedItemSlot = e.GetInt("ForcedItemSlot", -1);
    bagSize = std::max(0, e.GetInt("BagSize"));
    std::string guardName = e.GetString("Guard");
    if (!guardName.empty() && !(gDatabase && (guard = gDatabase->FindEntryByName(guardName))))
        DebugSystem::Print(kPrintWarning, "Item %s names the missing guard record %s\n", std::string(e.GetName()).c_str(),
                           guardName.c_str());
    e.GetFloatList("RelicBonusPerLevel", relicBonusPerLevel, true, true);
    if (relicBonusPerLevel.size() > kRelicFactorCount)
        relicBonusPerLevel.resize(kRelicFactorCount);
    ReadUseKeys(e);
}

void ItemDefinition::ReadUseKeys(const DatabaseEntry& e)
{
    statusEffectRecord = ReadItemReference(e, "StatusEffect");
    statusEffectUseLevel = e.GetInt("StatusEffectUseLevel") != 0;
    if (statusEffectRecord) {
        statusEffect = std::make_unique<StatusEffectBase>();
        statusEffect->SetDefinition(statusEffectRecord, statusEffectUseLevel ? itemLevel : 1, nullptr);
    }
    healthGain = ReadItemGain(e, "Health");
    powerGain = ReadItemGain(e, "Power");
    teleportHome = e.GetInt("TeleportHome") != 0;
    itemTimer = e.GetString("ItemTimer");
    itemTimerTime = e.GetFloat("ItemTimerTime", 0.0f);
    useEffectName = e.GetString("UseEffectName");
    useEffectTime = e.GetFloat("UseEffectTime", 0.0f);
    useStatChanges = e.GetInt("UseStatChanges") != 0;
    onUseSkill = e.GetString("OnUseSkill");
    pickupText = e.GetString("PickupText");
    partialBonusStatusEffect = ReadItemReference(e, "PartialBonusStatusEffect");
    fullBonusStatusEffect = ReadItemReference(e, "FullBonusStatusEffect");
    gambleChance = e.GetFloat("GambleChance", 0.0f);
    consumable = e.GetInt("Consumable") != 0;
    instantUse = e.GetInt("InstantUse") != 0;
    covenantCurrency = e.GetInt("CovenantCurrency");
    randomDirection = e.GetInt("RandomDirection") != 0;
    disappear = e.GetInt("Disappear") != 0;
    fadeOnPickup = e.GetInt("FadeOnPickup") != 0;
    disappearSoundName = e.GetString("DisappearSoundName");
}
