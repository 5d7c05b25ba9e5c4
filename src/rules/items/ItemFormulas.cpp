// ItemFormulas -- the item arithmetic: equipment slots of item types, the equipping rule of a cell, identify costs, and ItemBase's numbers.
#include "rules/items/ItemFormulas.h"

#include "core/ColorCode.h"
#include "core/DatabaseEntry.h"
#include "core/LocSystem.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/items/InventoryBase.h"
#include "rules/items/ItemBase.h"
#include "rules/items/ItemRecords.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int32_t kRedColor = 1;

// A product this close to a whole number counts as that number, so float noise in the factors
// never rounds a price up by a coin.
constexpr double kWholeTolerance = 1e-4;

const ItemTuning& Tuning()
{
    static const ItemTuning kDefaults;
    return gGameData ? gGameData->GetItemRecords().GetTuning() : kDefaults;
}

int32_t Saturate(double value)
{
    if (!(value > 0.0))
        return 0;
    return value >= std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                        : static_cast<int32_t>(value);
}

int32_t RoundScaled(int32_t value, float factor)
{
    return static_cast<int32_t>(std::lround(static_cast<double>(value) * factor));
}

std::string Colored(int32_t color, const std::string& text)
{
    return MakeColorCode(color) + text + MakeColorCode(kNormalTextColor);
}

const std::string& EnumName(const char* table, int32_t value)
{
    return EnumTable::Find(table)->GetName(value);
}

} // namespace

int32_t BagForSlotType(int32_t itemType)
{
    if (itemType >= ItemType::Head && itemType <= ItemType::Ring)
        return itemType;
    switch (itemType) {
    case ItemType::Jewelry: return EquipedLocation::Jewelry1;
    case ItemType::HandPrimary: return EquipedLocation::HandPrimary;
    case ItemType::HandSecondary: return EquipedLocation::HandSecondary;
    case ItemType::HandBoth: return EquipedLocation::HandPrimary;
    case ItemType::Ranged: return EquipedLocation::Ranged;
    default: return EquipedLocation::None;
    }
}

bool ItemMatchesSlotType(const ItemBase& item, int32_t slotType)
{
    if (slotType == ItemSlotType::None || item.GetSlotType() == slotType)
        return true;
    return slotType == ItemSlotType::HandSecondary && item.GetItemType() == ItemType::HandEither;
}

bool CanEquipItemInSlot(const InventoryBase& inventory, const ItemBase* item, int32_t group, int32_t index,
                        int32_t slotType)
{
    if (!item)
        return true;
    return ItemMatchesSlotType(*item, slotType) &&
           inventory.CanPlace(*item, group, index, kPlaceIgnoreOccupant) != kPlaceRefused;
}

int32_t GetIdentifyAllCost(const InventoryBase& inventory, int32_t leftOut)
{
    double total = 0.0;
    for (int32_t bag = 0; bag < InventoryBase::kBagCount; ++bag) {
        const InventoryBag* contents = inventory.GetBag(bag);
        if (!contents || contents->IsShared() || bag == leftOut)
            continue;
        for (int32_t slot = 0; slot < contents->GetSlotCount(); ++slot) {
            if (const ItemBase* item = contents->GetItem(slot))
                total += item->GetIdentifyCost();
        }
    }
    return Saturate(total);
}

// ---- ItemBase ----

void ItemBase::ComputeStats()
{
    // Every change that moves the value passes through here.
    InvalidatePrices();
    stats.Clear();
    armor = defense = defenseBonus = 0;
    damage.fill({});
    if (!definition)
        return;
    float mult = Tuning().qualityStatMult[static_cast<size_t>(quality)];
    armor = RoundScaled(definition->armor, mult);
    defense = RoundScaled(definition->defense, mult);
    for (int32_t type = 0; type < DamageType::kCount; ++type)
        damage[type] = {RoundScaled(definition->damage[type].min, mult), RoundScaled(definition->damage[type].max, mult)};
    // Armour, defense and damage changes join the combat figures, which the wearer's stats
    // take from there; everything else is a plain stat.
    auto add = [this](int32_t stat, int32_t value) {
        switch (stat) {
        case CharacterStat::Armor: armor += value; break;
        case CharacterStat::Defense: defenseBonus += value; break;
        case CharacterStat::MinDamage: damage[DamageType::Physical].min += value; break;
        case CharacterStat::MaxDamage: damage[DamageType::Physical].max += value; break;
        default: stats.Add(stat, value); break;
        }
    };
    // A definition's stat changes are fixed: the first number of each.
    for (const StatRange& range : definition->stats)
        add(range.stat, range.min);
    for (const ItemAffix& affix : affixes) {
        for (const StatRange& range : affix.modifier->GetStatRanges())
            add(range.stat, MagicModifier::ValueAt(range, affix.strength));
    }
}

DamageRange ItemBase::GetDamage(int32_t damageType) const
{
    return damageType >= 0 && damageType < DamageType::kCount ? damage[damageType] : DamageRange{};
}

bool ItemBase::CanStackWith(const ItemBase& other) const
{
    return definition && definition == other.definition && IsStackable() && affixes.empty() &&
           other.affixes.empty();
}

bool ItemBase::IsUnidentified() const
{
    return !IsIdentified() && !affixes.empty();
}

bool ItemBase::IsWearableType() const
{
    bool inBag = (group >= InventoryGroupIndex::Bag1 && group <= InventoryGroupIndex::Bag4) ||
                 (group >= InventoryGroupIndex::StashBag1 && group <= InventoryGroupIndex::StashBag8);
    int32_t type = GetItemType();
    return inBag && type != ItemType::Tome && (type < ItemType::Relic || type > ItemType::Other);
}

bool ItemBase::FitsEquipSlot(int32_t equipedLocation) const
{
    switch (GetItemType()) {
    case ItemType::Ring: return equipedLocation == EquipedLocation::Ring1 || equipedLocation == EquipedLocation::Ring2;
    case ItemType::Jewelry:
        return equipedLocation == EquipedLocation::Jewelry1 || equipedLocation == EquipedLocation::Jewelry2;
    case ItemType::HandEither:
        return equipedLocation == EquipedLocation::HandPrimary || equipedLocation == EquipedLocation::HandSecondary;
    default: return equipedLocation != EquipedLocation::None && BagForSlotType(GetItemType()) == equipedLocation;
    }
}

int32_t ItemBase::FirstUnmetRequirement(const IntArray& viewer) const
{
    if (!definition)
        return -1;
    if (viewer.Get(CharacterStat::Level) < requiredLevel)
        return kItemAttributeCount;
    for (int32_t i = 0; i < kItemAttributeCount; ++i) {
        if (viewer.Get(CharacterStat::Strength + i) < definition->requiredAttributes[i])
            return i;
    }
    return -1;
}

bool ItemBase::MeetsRequirements(const IntArray& viewer) const
{
    return FirstUnmetRequirement(viewer) < 0;
}

std::string ItemBase::RequirementLine(int32_t which) const
{
    if (which == kItemAttributeCount)
        return MakeLocToken("TooltipRequiredLevel", "%d", requiredLevel);
    return MakeLocToken("TooltipRequiredStat", "%d %s", definition->requiredAttributes[static_cast<size_t>(which)],
                        GetCharacterStatName(CharacterStat::Strength + which, true).c_str());
}

std::string ItemBase::GetUnmetRequirement(const IntArray& viewer) const
{
    int32_t which = FirstUnmetRequirement(viewer);
    return which < 0 ? std::string() : RequirementLine(which);
}

bool ItemBase::MeetsMagicRequirement(int32_t magicRequirement) const
{
    int32_t type = GetItemType();
    bool shield = definition && definition->itemRequirement == ItemRequirement::Shield;
    switch (magicRequirement) {
    case MagicRequirement::Weapon:
        return type >= ItemType::HandPrimary && type <= ItemType::Ranged && !shield;
    case MagicRequirement::Armor: return type >= ItemType::Head && type <= ItemType::Feet && type != ItemType::Neck;
    case MagicRequirement::Shield: return shield;
    case MagicRequirement::Jewelry:
        return type == ItemType::Neck || type == ItemType::Ring || type == ItemType::Jewelry;
    case MagicRequirement::Wearable: return type <= ItemType::Ranged;
    default: return true;
    }
}

int32_t ItemBase::GetValue(bool withStack) const
{
    if (!definition)
        return 0;
    double bonus = 1.0;
    for (const ItemAffix& affix : affixes)
        bonus += affix.modifier->GetValueBonus();
    double worth = definition->value;
    if (definition->statusEffect)
        worth += definition->statusEffect->GetValue();
    double value = static_cast<double>(Tuning().qualityValueMult[static_cast<size_t>(quality)]) * bonus *
                   GetValueMultiplier() * worth;
    if (withStack && IsStackable())
        value *= stackCount;
    return Saturate(std::ceil(value - kWholeTolerance));
}

int32_t ItemBase::GetPrice() const
{
    if (cachedPrice < 0)
        cachedPrice = std::max(0, Saturate(std::round(static_cast<double>(GetValue(true)) * Tuning().priceFactor)));
    return cachedPrice;
}

int32_t ItemBase::GetSellPrice() const
{
    if (!gGameData || (definition && definition->unsellable))
        return 0;
    if (cachedSellPrice < 0) {
        int32_t value = GetValue(true);
        // The shipped tuning gives the sell percentage as a fraction of the value.
        double share = GetSellPercent(gGameData->GetTuning(), value);
        cachedSellPrice = std::max(0, Saturate(std::floor(value * share + kWholeTolerance)));
    }
    return cachedSellPrice;
}

void ItemBase::InvalidatePrices() const
{
    cachedPrice = -1;
    cachedSellPrice = -1;
}

DamageRange ItemBase::GetHealthGain() const
{
    return definition ? definition->healthGain.At(level) : DamageRange{};
}

DamageRange ItemBase::GetPowerGain() const
{
    return definition ? definition->powerGain.At(level) : DamageRange{};
}

int32_t ItemBase::GetIdentifyCost() const
{
    if (!gGameData || !IsUnidentified())
        return 0;
    return Saturate(static_cast<double>(gGameData->GetTuning().identifyCost) * std::max(1, requiredLevel));
}

int32_t ItemBase::GetGuardCost() const
{
    if (!guard || guardFallen)
        return 0;
    double levels = std::max(1, guard->GetInt("MinLevel"));
    return Saturate(std::ceil(levels * Tuning().guardCostPerLevel - kWholeTolerance));
}

float ItemBase::GetTimeOnGround() const
{
    if (definition && definition->timeOnGround > 0.0f)
        return definition->timeOnGround;
    if (!gGameData)
        return 0.0f;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    return tuning.timeOnGroundMult[static_cast<size_t>(quality)] * tuning.baseItemTimeOnGround;
}

float ItemBase::GetRelicFactor(int32_t m) const
{
    if (GetItemType() != ItemType::Relic || m < 0 || m >= static_cast<int32_t>(definition->relicBonusPerLevel.size()))
        return 1.0f;
    return 1.0f + definition->relicBonusPerLevel[static_cast<size_t>(m)] * static_cast<float>(level);
}

std::string ItemBase::GetDisplayName() const
{
    if (!definition)
        return std::string();
    std::string name = definition->displayName;
    if (IsUnidentified() || affixes.size() > 2)
        return name;
    std::string prefix, suffix;
    for (const ItemAffix& affix : affixes)
        (affix.modifier->IsPrefix() ? prefix : suffix) = affix.modifier->GetDisplayName();
    if (!prefix.empty())
        name = prefix + " " + name;
    if (!suffix.empty())
        name += " " + suffix;
    return name;
}

void ItemBase::BuildTooltip(const ItemTooltipOptions& options, std::string& out) const
{
    if (!definition)
        return;
    std::string qualityCode = gGameData ? gGameData->GetItemQualityColorCode(quality) : MakeColorCode(kNormalTextColor);
    out += qualityCode + GetDisplayName() + MakeColorCode(kNormalTextColor);
    out += "\n$$ItemType" + EnumName("ItemType", GetItemType()) + "$$";
    if (armor != 0)
        out += "\n" + MakeLocToken("TooltipArmor", "%d", armor);
    if (defense + defenseBonus != 0)
        out += "\n" + MakeLocToken("TooltipDefense", "%d", defense + defenseBonus);
    for (int32_t type = 0; type < DamageType::kCount; ++type) {
        if (damage[type].max > 0)
            out += "\n" + MakeLocToken("TooltipDamage", "%d %d %s", damage[type].min, damage[type].max,
                                       ("$$" + EnumName("DamageType", type) + "$$").c_str());
    }
    bool showAffixes = !options.gamble && !IsUnidentified();
    for (int32_t stat = 0; showAffixes && stat < stats.GetCount(); ++stat) {
        if (int32_t value = stats.Get(stat))
            out += "\n" + MakeLocToken("TooltipStat", "%+d %s", value, GetCharacterStatName(stat, true).c_str());
    }
    // An endless stack has no count to tell: "1000000000 of 1000000000" read as a fault.
    if (IsStackable() && !IsEndlessStack())
        out += "\n" + MakeLocToken("TooltipStack", "%d %d", stackCount, GetMaxStack());
    if (const StatusEffectBase* effect = definition->statusEffect.get()) {
        std::string lines;
        out.append("\n").append(effect->name).append("\n");
        out += effect->BuildDescription(lines, nullptr, effect->level, 0, nullptr);
    }
    const IntArray* viewer = options.viewerStats;
    auto requirement = [&](bool met, const std::string& line) {
        out += "\n" + (met ? line : Colored(kRedColor, line));
    };
    if (requiredLevel > 0)
        requirement(!viewer || viewer->Get(CharacterStat::Level) >= requiredLevel, RequirementLine(kItemAttributeCount));
    for (int32_t i = 0; i < kItemAttributeCount; ++i) {
        int32_t needed = definition->requiredAttributes[i];
        if (needed > 0)
            requirement(!viewer || viewer->Get(CharacterStat::Strength + i) >= needed, RequirementLine(i));
    }
    // A wager's goods are unknown to the buyer whether or not they are magic.
    if (options.gamble)
        out += "\n$$TooltipGambleUnknown$$";
    else if (IsUnidentified())
        out += "\n$$TooltipUnidentified$$";
    if (options.tomeShelved)
        out += "\n$$TooltipTomeShelved$$";
    if (options.gamble)
        out += "\n$$TooltipPrice$$ " + FormatMoney(GetPrice());
    else if (options.vendorGoods)
        out += "\n$$TooltipPrice$$ " + FormatMoney(Saturate(std::floor(GetValue(false) * options.vendorFactor)));
    else
        out += "\n$$TooltipValue$$ " + FormatMoney(GetValue(true));
}
