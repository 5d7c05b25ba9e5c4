// ItemGeneration -- the spawn system's items: a rarity, a level spread around a base level, a base item by weight and up to four affixes.
#include "server/spawn/SpawnSystem.h"

#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "entities/Item.h"
#include "rules/GameData.h"
#include "rules/items/ItemDefinition.h"
#include "rules/items/MagicModifier.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t ItemGenPercentRoll()
{
    return std::min(static_cast<int32_t>(DrawRandomScaled(RandomStream::GameData, 100.0f)), 99);
}

int32_t ItemGenModifierCount(int32_t rarity)
{
    switch (rarity) {
    case ItemRarity::Common: return 1;
    case ItemRarity::Uncommon: return 2;
    case ItemRarity::Rare: return 3;
    case ItemRarity::VeryRare: return 4;
    default: return 0;
    }
}

std::unique_ptr<Item> ItemGenMake(const DatabaseEntry* entry)
{
    auto item = std::make_unique<Item>();
    if (item->GetEntry() != entry)
        item->SetEntry(entry);
    item->ResolveDefinition();
    return item;
}

} // namespace

std::array<float, ItemRarity::kCount> SpawnSystem::BoostedRarityChances(int32_t magicBonus) const
{
    std::array<float, ItemRarity::kCount> chances{};
    float boost = static_cast<float>(magicBonus) * 0.01f + 1.0f;
    for (int32_t i = 1; i < ItemRarity::kCount; ++i) {
        float chance = static_cast<float>(GetItemRarityChance(i));
        if (boost > 1.0f) {
            // A boost fills a rarity up to its cap and carries what is left to the next one.
            float cap = std::max(75.0f, chance);
            float boosted = chance * boost;
            if (boosted > cap) {
                boost = boosted / cap;
                chance = cap;
            } else {
                boost = 1.0f;
                chance = boosted;
            }
        }
        chances[static_cast<size_t>(i)] = chance;
    }
    return chances;
}

int32_t SpawnSystem::PickItemRarity(int32_t minRarity, int32_t magicBonus) const
{
    int32_t rarity = std::clamp(minRarity, 0, ItemRarity::kCount - 1);
    if (rarity == ItemRarity::Artifact)
        return rarity;
    std::array<float, ItemRarity::kCount> chances = BoostedRarityChances(magicBonus);
    for (int32_t next = rarity + 1; next < ItemRarity::kCount; ++next) {
        if (!(DrawRandomScaled(RandomStream::GameData, 100.0f) < chances[static_cast<size_t>(next)]))
            break;
        rarity = next;
    }
    return rarity;
}

int32_t SpawnSystem::RollItemLevel(int32_t baseLevel, int32_t minSpread, int32_t maxSpread, int32_t rarity,
                                   float aboveChance, int32_t maxAbove) const
{
    constexpr int32_t kTop = 100;
    int32_t low = baseLevel;
    int32_t high = baseLevel;
    if (aboveChance > static_cast<float>(ItemGenPercentRoll())) {
        low = baseLevel + 1;
        high = baseLevel + maxAbove;
    } else {
        float share = static_cast<float>(baseLevel) / static_cast<float>(maxNormalItemLevel) *
                      static_cast<float>(maxSpread - minSpread);
        float mult = levelSpreadMult[static_cast<size_t>(std::clamp(rarity, 0, ItemRarity::kCount - 1))];
        float spread = (std::floor(share + 0.5f) + static_cast<float>(minLevelSpread)) * mult;
        low = baseLevel - static_cast<int32_t>(std::floor(spread));
    }
    low = std::clamp(low, 1, kTop);
    if (high < low)
        high = low;
    else if (high > kTop)
        high = kTop;
    int32_t count = high - low + 1;
    int32_t k =
        std::min(static_cast<int32_t>(DrawRandomScaled(RandomStream::GameData, static_cast<float>(count))), count - 1);
    return low + k;
}

int32_t SpawnSystem::RollDropLevel(int32_t baseLevel) const
{
    return RollItemLevel(baseLevel, minItemDropLevelSpread, maxItemDropLevelSpread, ItemRarity::Normal,
                         itemDropAboveBaseLevel, maxItemDropLevelAboveBase);
}

std::unique_ptr<Item> SpawnSystem::CreateItemFromTable(int32_t table, int32_t level) const
{
    const SpawnEntry* entry = PickWeightedByLevel(table, level);
    if (!entry || !entry->definition)
        return nullptr;
    return ItemGenMake(entry->definition);
}

const DatabaseEntry* SpawnSystem::PickModifier(const Item* item, int32_t level) const
{
    int32_t modifierLevel = RollItemLevel(level, minModifierLevelSpread, maxModifierLevelSpread, ItemRarity::Normal,
                                          itemDropAboveBaseLevel, maxItemDropLevelAboveBase);
    int32_t prefixes = item ? item->CountPrefixes() : 0;
    int32_t suffixes = item ? item->CountSuffixes() : 0;
    int32_t table = Prefixes;
    if (prefixes > 0 && suffixes == 0)
        table = Suffixes;
    else if (prefixes == suffixes || (prefixes > 0 && suffixes > 0))
        table = ItemGenPercentRoll() < 50 ? Suffixes : Prefixes;
    const SpawnEntry* entry = PickWeightedByLevel(table, modifierLevel);
    return entry ? entry->definition : nullptr;
}

void SpawnSystem::AddModifiers(Item& item, int32_t count, int32_t baseLevel) const
{
    const ItemDefinition* definition = item.GetDefinition();
    if (!definition || !gGameData)
        return;
    int32_t added = 0;
    // A modifier the item cannot take costs an attempt: at most 4n in all.
    for (int32_t attempt = 0; attempt < 4 * count && added < count; ++attempt) {
        const DatabaseEntry* entry = PickModifier(&item, baseLevel);
        const MagicModifier* modifier = entry ? gGameData->GetItemRecords().FindMagicModifier(entry) : nullptr;
        if (!modifier || !definition->modifiersAllowed || !item.MeetsMagicRequirement(modifier->GetMagicRequirement()))
            continue;
        if (item.AddAffix(modifier, MagicModifier::RollStrength()))
            ++added;
    }
}

std::unique_ptr<Item> SpawnSystem::GenerateItem(const ItemRequest& request) const
{
    int32_t rarity = PickItemRarity(request.minRarity, request.magicBonus);
    int32_t minSpread = request.minSpread < 0 ? minItemDropLevelSpread : request.minSpread;
    int32_t maxSpread = request.maxSpread < 0 ? maxItemDropLevelSpread : request.maxSpread;
    float aboveChance = request.aboveChance < 0.0f ? itemDropAboveBaseLevel : request.aboveChance;
    int32_t maxAbove = request.maxAbove < 0 ? maxItemDropLevelAboveBase : request.maxAbove;
    int32_t level = RollItemLevel(request.baseLevel, minSpread, maxSpread, rarity, aboveChance, maxAbove);

    std::unique_ptr<Item> item;
    if (request.definition) {
        item = ItemGenMake(request.definition);
        rarity = std::min<int32_t>(rarity, ItemRarity::VeryRare);
    } else if (rarity == ItemRarity::Unique) {
        item = CreateItemFromTable(UniqueItems, level);
    } else if (rarity == ItemRarity::Artifact) {
        item = CreateItemFromTable(Artifacts, level);
    } else if (rarity == ItemRarity::Set) {
        item = CreateItemFromTable(SetItems, level);
    } else {
        item = CreateItemFromTable(NormalItems, level);
        // A magic roll wants a base that takes affixes: one more pick, taken as it comes.
        if (item && rarity > ItemRarity::Normal && item->GetDefinition() && !item->GetDefinition()->modifiersAllowed)
            item = CreateItemFromTable(NormalItems, level);
    }
    if (!item || !item->GetDefinition())
        return nullptr;
    if (item->GetDefinition()->quality < ItemRarity::Set && rarity <= ItemRarity::VeryRare)
        item->SetQuality(rarity);

    bool alwaysMagic = item->GetDefinition()->alwaysMagic && rarity <= ItemRarity::VeryRare;
    int32_t count = ItemGenModifierCount(rarity);
    if (alwaysMagic)
        count = std::max(count, 1);
    AddModifiers(*item, count, request.baseLevel);
    if (alwaysMagic && item->GetAffixes().empty())
        return nullptr;
    item->ComputeStats();
    // A relic's level is its strength; the cached prices go with the old one.
    if (item->GetItemType() == ItemType::Relic && item->GetLevel() != level) {
        item->SetLevel(level);
        item->InvalidatePrices();
    }
    return item;
}

std::unique_ptr<Item> SpawnSystem::CreateRandomItem(int32_t level, const DatabaseEntry* base) const
{
    if (!base)
        return nullptr;
    const SpawnEntry* best = nullptr;
    for (const SpawnEntry& entry : tables[NormalItems].GetEntries()) {
        if (!entry.definition || entry.minLevel > level)
            continue;
        if (entry.definition != base && !entry.definition->IsDerivedFrom(base))
            continue;
        if (!best || entry.minLevel > best->minLevel)
            best = &entry;
    }
    if (!best)
        return nullptr;
    auto item = ItemGenMake(best->definition);
    item->ComputeStats();
    return item;
}
