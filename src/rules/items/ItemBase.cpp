// ItemBase -- one item as the server and the client share it: definition, quality, stack, affixes, where it lies, its saved record.
#include "rules/items/ItemBase.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/items/ItemRecords.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

void WriteReference(MessageBuffer& buffer, const DatabaseEntry* entry, bool byName)
{
    if (byName)
        buffer.WriteString(entry ? entry->GetName() : std::string_view());
    else
        buffer.WriteInt(entry ? entry->GetId() : -1);
}

// The entry a reference names; none for the empty name or -1, and for one the database lacks
// (missing is then set).
const DatabaseEntry* ReadReference(MessageBuffer& buffer, bool byName, bool& missing)
{
    const DatabaseEntry* entry = nullptr;
    if (byName) {
        std::string name = buffer.ReadString();
        if (!name.empty() && !(gDatabase && (entry = gDatabase->FindEntryByName(name))))
            missing = true;
    } else {
        int32_t id = buffer.ReadInt();
        if (id != -1 && !(gDatabase && (entry = gDatabase->GetEntryByIndex(id))))
            missing = true;
    }
    return entry;
}

const ItemRecords* Records()
{
    return gGameData ? &gGameData->GetItemRecords() : nullptr;
}

// Fewest bytes an affix can take: a reference and its float.
size_t AffixBytes(bool byName)
{
    return (byName ? 1 : 4) + 4;
}

} // namespace

bool QualityTakesAffixes(int32_t quality)
{
    return quality >= ItemRarity::Common && quality <= ItemRarity::VeryRare;
}

ItemBase::ItemBase() : stats(CharacterStat::Num) {}

void ItemBase::Load(const DatabaseEntry* newEntry)
{
    entry = newEntry;
    ResolveDefinition();
    Reset();
}

bool ItemBase::IsUsable() const
{
    if (group == InventoryGroupIndex::Stash || group == InventoryGroupIndex::Loot)
        return true;
    if (IsUnidentified() || IsWearableType())
        return true;
    return definition && definition->canBeUsed;
}

void ItemBase::ResolveDefinition()
{
    const ItemRecords* records = Records();
    definition = records ? records->FindItemDefinition(entry) : nullptr;
    if (entry && !definition)
        DebugSystem::Print(kPrintWarning, "%s is no item definition\n", std::string(entry->GetName()).c_str());
    stackCount = std::clamp(stackCount, 1, GetMaxStack());
    ComputeStats();
}

void ItemBase::Reset()
{
    quality = definition ? definition->quality : ItemRarity::Normal;
    level = definition ? definition->itemLevel : 1;
    requiredLevel = definition ? definition->requiredLevel : 0;
    stackCount = 1;
    identified = false;
    affixes.clear();
    guard = definition ? definition->guard : nullptr;
    guardFallen = false;
    guardHealth = 0;
    ComputeStats();
}

void ItemBase::CopyFrom(const ItemBase& other)
{
    SetEntry(other.entry);
    definition = other.definition;
    quality = other.quality;
    level = other.level;
    requiredLevel = other.requiredLevel;
    stackCount = other.stackCount;
    identified = other.identified;
    affixes = other.affixes;
    guard = other.guard;
    guardFallen = other.guardFallen;
    guardHealth = other.guardHealth;
    ComputeStats();
}

void ItemBase::SetQuality(int32_t newQuality)
{
    quality = std::clamp(newQuality, 0, ItemRarity::kCount - 1);
    // Only qualities 1-4 save their affixes, so an item carrying some stays among them.
    if (!affixes.empty())
        quality = std::clamp<int32_t>(quality, ItemRarity::Common, ItemRarity::VeryRare);
    ComputeStats();
}

void ItemBase::SetLevel(int32_t newLevel)
{
    level = std::max(1, ClampLevel(newLevel));
    InvalidatePrices();
}

void ItemBase::SetStackCount(int32_t count)
{
    stackCount = std::clamp(count, 1, GetMaxStack());
    InvalidatePrices();
}

bool ItemBase::IsIdentified() const
{
    return identified || (definition && definition->alwaysIdentified);
}

bool ItemBase::AddAffix(const MagicModifier* modifier, float strength)
{
    if (!modifier || static_cast<int32_t>(affixes.size()) >= kMaxAffixes || quality >= ItemRarity::Set)
        return false;
    // An "AlwaysMagic" item rolled Normal still gets its affix; the saved record carries
    // affixes only for qualities 1-4, so the quality follows the affix rather than lose it.
    if (quality == ItemRarity::Normal)
        quality = ItemRarity::Common;
    affixes.push_back({modifier, std::isfinite(strength) ? std::clamp(strength, 0.0f, 1.0f) : 0.0f});
    float factor = definition ? definition->modifierLevelRequirement : 0.0f;
    int32_t fromLevel = static_cast<int32_t>(std::floor(static_cast<float>(modifier->GetItemLevel()) * factor));
    requiredLevel = std::max({requiredLevel, modifier->GetMinLevel(), fromLevel});
    ComputeStats();
    return true;
}

int32_t ItemBase::CountPrefixes() const
{
    return static_cast<int32_t>(std::count_if(affixes.begin(), affixes.end(),
                                              [](const ItemAffix& affix) { return affix.modifier->IsPrefix(); }));
}

int32_t ItemBase::CountSuffixes() const
{
    return static_cast<int32_t>(affixes.size()) - CountPrefixes();
}

void ItemBase::SetLocation(int32_t newGroup, int32_t newSlot)
{
    group = newGroup;
    slot = newSlot;
}

void ItemBase::Write(MessageBuffer& buffer, bool byName) const
{
    WriteReference(buffer, entry, byName);
    buffer.WriteRaw32(IsIdentified() ? 1 : 0);
    bool withAffixes = QualityTakesAffixes(quality);
    buffer.WriteInt(withAffixes ? static_cast<int32_t>(affixes.size()) : 0);
    for (const ItemAffix& affix : affixes) {
        if (!withAffixes)
            break;
        WriteReference(buffer, affix.modifier->GetEntry(), byName);
        buffer.WriteFloat(affix.strength);
    }
    for (int32_t word : {quality, level, requiredLevel, stackCount, guardHealth})
        buffer.WriteInt(word);
    WriteReference(buffer, guard, byName);
    buffer.WriteRaw32(guardFallen ? 1 : 0);
}

bool ItemBase::Read(MessageBuffer& buffer, bool byName)
{
    bool missing = false;
    const DatabaseEntry* newEntry = ReadReference(buffer, byName, missing);
    if (missing)
        DebugSystem::Print(kPrintWarning, "Saved item names an unknown item definition\n");
    bool newIdentified = buffer.ReadRaw32() != 0;
    int32_t affixCount = 0;
    if (!buffer.ReadCount(affixCount, AffixBytes(byName)) || affixCount > kMaxAffixes)
        return false;
    // Read beside the item, which a refused record leaves as it was; no heap for the few there are.
    std::array<ItemAffix, kMaxAffixes> newAffixes;
    size_t newAffixCount = 0;
    const ItemRecords* records = Records();
    for (int32_t i = 0; i < affixCount; ++i) {
        bool affixMissing = false;
        const DatabaseEntry* affixEntry = ReadReference(buffer, byName, affixMissing);
        float strength = buffer.ReadFloat();
        const MagicModifier* modifier = records ? records->FindMagicModifier(affixEntry) : nullptr;
        if (modifier)
            newAffixes[newAffixCount++] = {modifier, std::isfinite(strength) ? std::clamp(strength, 0.0f, 1.0f) : 0.0f};
        else
            DebugSystem::Print(kPrintWarning, "Saved item names an unknown affix; it is dropped\n");
    }
    int32_t words[5];
    for (int32_t& word : words)
        word = buffer.ReadInt();
    bool guardMissing = false;
    const DatabaseEntry* newGuard = ReadReference(buffer, byName, guardMissing);
    bool newFallen = buffer.ReadRaw32() != 0;
    if (buffer.Overrun() || words[0] < 0 || words[0] >= ItemRarity::kCount || words[3] < 1)
        return false;

    if (newEntry == entry)
        Reset();
    else
        SetEntry(newEntry);
    quality = words[0];
    SetLevel(words[1]);
    requiredLevel = words[2];
    SetStackCount(words[3]);
    guardHealth = words[4];
    identified = newIdentified;
    if (QualityTakesAffixes(quality))
        affixes.assign(newAffixes.begin(), newAffixes.begin() + static_cast<std::ptrdiff_t>(newAffixCount));
    guard = guardMissing ? guard : newGuard;
    guardFallen = newFallen;
    ComputeStats();
    return true;
}
