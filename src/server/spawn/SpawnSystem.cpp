// SpawnSystem -- the server's one source of chance for what turns up: monsters with their rarity and enchantments, items with their level and affixes, loot, traps.
#include "server/spawn/SpawnSystem.h"

#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "rules/GameData.h"
#include "rules/items/ItemDefinition.h"
#include "rules/items/MagicModifier.h"
#include "rules/monsters/MonsterEnhancement.h"

#include <algorithm>
#include <cmath>
#include <string>

SpawnSystem* gSpawnSystem = nullptr;

namespace {

constexpr const char* kSpawnMonsterRarityNames[MonsterRarity::kCount] = {
    "Normal", "Common", "Uncommon", "Rare", "VeryRare", "Unique", "Legend", "Boss"};
constexpr const char* kSpawnItemRarityNames[ItemRarity::kCount] = {
    "Normal", "Common", "Uncommon", "Rare", "VeryRare", "Set", "Unique", "Artifact"};

std::string SpawnKey(const char* prefix, const char* name, const char* suffix)
{
    return std::string(prefix) + name + suffix;
}

int32_t SpawnCommandInt(const std::vector<std::string>& args, size_t index, int32_t fallback)
{
    return index < args.size() ? std::atoi(args[index].c_str()) : fallback;
}

} // namespace

const char* SpawnSystem::MonsterRarityName(int32_t rarity)
{
    return kSpawnMonsterRarityNames[std::clamp(rarity, 0, MonsterRarity::kCount - 1)];
}

void SpawnSystem::Create()
{
    if (!gSpawnSystem)
        gSpawnSystem = new SpawnSystem();
    gSpawnSystem->Load();
}

void SpawnSystem::Destroy()
{
    delete gSpawnSystem;
    gSpawnSystem = nullptr;
}

void SpawnSystem::Clear()
{
    for (std::string& model : effectModel)
        model.clear();
    for (SpawnTable& table : tables)
        table.Clear();
    loaded = false;
}

void SpawnSystem::Load()
{
    Clear();
    const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName(kRecordName) : nullptr;
    if (!record) {
        DebugSystem::Print(3, "SpawnSystem database entry not found!\n");
        return;
    }
    ReadRecord(*record);
    FillModifierTables();
    FillItemTables();
    FillEnhancementTables();
    FillTrapTable();
    RegisterCommands();
    loaded = true;
}

void SpawnSystem::ReadRecord(const DatabaseEntry& record)
{
    monsterEnchantmentNormalChance = record.GetInt("MonsterEnchantmentNormalChance");
    monsterEnchantmentMajorChance = record.GetInt("MonsterEnchantmentMajorChance");
    for (int32_t m = 0; m < MonsterRarity::kCount; ++m) {
        const char* name = kSpawnMonsterRarityNames[m];
        MonsterLoot& loot = monsterLoot[static_cast<size_t>(m)];
        loot.itemChance = record.GetFloat(SpawnKey("Monster", name, "ItemChance"), 0.0f);
        loot.minItems = record.GetInt(SpawnKey("Monster", name, "MinItems"));
        loot.maxItems = record.GetInt(SpawnKey("Monster", name, "MaxItems"));
        loot.increasedMagicChance = record.GetInt(SpawnKey("Monster", name, "IncreasedMagicChance"));
        levelIncrease[static_cast<size_t>(m)] = record.GetInt(SpawnKey("Monster", name, "LevelIncrease"));
        effectModel[static_cast<size_t>(m)] = record.GetString(SpawnKey("Monster", name, "EffectModel"));
    }
    for (int32_t i = 0; i < ItemRarity::kCount; ++i) {
        const char* name = kSpawnItemRarityNames[i];
        levelSpreadMult[static_cast<size_t>(i)] = record.GetFloat(SpawnKey("Item", name, "LevelSpreadMult"), 0.0f);
        itemRarityChances[static_cast<size_t>(i)] = record.GetInt(SpawnKey("Item", name, "Chance"));
    }
    minLevelSpread = record.GetInt("MinLevelSpread");
    maxLevelSpread = record.GetInt("MaxLevelSpread");
    minItemDropLevelSpread = record.GetInt("MinItemDropLevelSpread");
    maxItemDropLevelSpread = record.GetInt("MaxItemDropLevelSpread");
    maxItemDropLevelAboveBase = record.GetInt("MaxItemDropLevelAboveBase");
    itemDropAboveBaseLevel = record.GetFloat("ItemDropAboveBaseLevel", 0.0f);
    minModifierLevelSpread = record.GetInt("MinModifierLevelSpread");
    maxModifierLevelSpread = record.GetInt("MaxModifierLevelSpread");
    maxNormalItemLevel = record.GetInt("MaxNormalItemLevel");
    // Every level spread divides by it.
    if (maxNormalItemLevel <= 0) {
        DebugSystem::Print(2, "SpawnSystem: MaxNormalItemLevel %d is not above 0; 1 is used\n", maxNormalItemLevel);
        maxNormalItemLevel = 1;
    }
}

int32_t SpawnSystem::SpreadMaxLevel(int32_t itemLevel) const
{
    float share = static_cast<float>(itemLevel) / static_cast<float>(maxNormalItemLevel) *
                  static_cast<float>(maxLevelSpread - minLevelSpread);
    return itemLevel + minLevelSpread + static_cast<int32_t>(std::floor(share + 0.5f));
}

void SpawnSystem::FillModifierTables()
{
    if (!gGameData)
        return;
    for (const auto& modifier : gGameData->GetItemRecords().GetMagicModifiers()) {
        const DatabaseEntry* entry = modifier->GetEntry();
        if (!entry)
            continue;
        int32_t itemLevel = entry->GetInt("ItemLevel");
        int32_t maxLevel = entry->GetInt("AvailableAtMaxLevel") != 0 ? SpawnTable::kMaxLevel : SpreadMaxLevel(itemLevel);
        tables[modifier->IsPrefix() ? Prefixes : Suffixes].Add(entry, entry->GetFloat("SpawnChance", 0.0f), itemLevel,
                                                                maxLevel);
    }
}

void SpawnSystem::FillItemTables()
{
    if (!gGameData)
        return;
    // Every droppable record enters: a cap on their number would leave later records never dropped.
    for (const auto& definition : gGameData->GetItemRecords().GetItemDefinitions()) {
        const DatabaseEntry* entry = definition->GetEntry();
        if (!entry || entry->GetType() != DatabaseEntryType::Item || definition->noDrop)
            continue;
        float weight = entry->GetFloat("SpawnChance", 0.0f);
        if (!(weight > 0.0f))
            continue;
        int32_t minLevel = entry->GetInt("MinLevel");
        int32_t maxLevel = entry->GetInt("MaxLevel");
        // Mended: a record that names only the level it asks for entered the table at level 1
        // alone, so the first monsters dropped the best gear; it spreads up from that level now.
        if (maxLevel == 0) {
            if (minLevel == 0)
                minLevel = definition->itemLevel;
            maxLevel = SpreadMaxLevel(minLevel);
        }
        int32_t table = NormalItems;
        if (definition->quality == ItemRarity::Artifact)
            table = Artifacts;
        else if (definition->quality == ItemRarity::Unique)
            table = UniqueItems;
        else if (definition->quality == ItemRarity::Set)
            table = SetItems;
        tables[static_cast<size_t>(table)].Add(entry, weight, minLevel, maxLevel);
    }
}

void SpawnSystem::FillEnhancementTables()
{
    if (!gGameData)
        return;
    for (const auto& enhancement : gGameData->GetMonsterEnhancements()) {
        int32_t table = OtherEnhancements;
        switch (enhancement->table) {
        case MonsterEnhancement::Table::Npc: table = NpcEnhancements; break;
        case MonsterEnhancement::Table::Minor: table = MinorEnhancements; break;
        case MonsterEnhancement::Table::Major: table = MajorEnhancements; break;
        case MonsterEnhancement::Table::Other: table = OtherEnhancements; break;
        }
        tables[static_cast<size_t>(table)].Add(enhancement->GetEntry(), enhancement->spawnChance,
                                               enhancement->minLevel, enhancement->maxLevel);
    }
}

void SpawnSystem::FillTrapTable()
{
    if (!gDatabase)
        return;
    for (const DatabaseEntry* entry = gDatabase->GetNextEntryOfType(DatabaseEntryType::Trap); entry;
         entry = gDatabase->GetNextEntryOfType(DatabaseEntryType::Trap, entry)) {
        if (entry->IsBaseOnly())
            continue;
        tables[Traps].Add(entry, entry->GetFloat("SpawnChance", 0.0f), entry->GetInt("MinLevel"),
                          entry->GetInt("MaxLevel"));
    }
}

const SpawnEntry* SpawnSystem::PickWeightedByLevel(int32_t table, int32_t level) const
{
    if (table < 0 || table >= kTableCount)
        return nullptr;
    float r = DrawRandomFloat();
    return tables[static_cast<size_t>(table)].Pick(level, r);
}

const SpawnSystem::MonsterLoot& SpawnSystem::GetMonsterLoot(int32_t rarity) const
{
    return monsterLoot[static_cast<size_t>(std::clamp(rarity, 0, MonsterRarity::kCount - 1))];
}

int32_t SpawnSystem::GetLevelIncrease(int32_t rarity) const
{
    return levelIncrease[static_cast<size_t>(std::clamp(rarity, 0, MonsterRarity::kCount - 1))];
}

const std::string& SpawnSystem::GetEffectModel(int32_t rarity) const
{
    return effectModel[static_cast<size_t>(std::clamp(rarity, 0, MonsterRarity::kCount - 1))];
}

int32_t SpawnSystem::GetItemRarityChance(int32_t rarity) const
{
    return itemRarityChances[static_cast<size_t>(std::clamp(rarity, 0, ItemRarity::kCount - 1))];
}

// ---- Debug commands ------------------------------------------------------------------------

void SpawnSystem::RegisterCommands()
{
    if (!gCommandSystem)
        return;
    gCommandSystem->RegisterCommand(
        "randomModifier",
        [](const std::vector<std::string>& args) {
            if (gSpawnSystem)
                gSpawnSystem->RandomModifierCommand(SpawnCommandInt(args, 0, 1), SpawnCommandInt(args, 1, 1));
        },
        "Gets a random magic modifier", "level numItems", "iI");
    gCommandSystem->RegisterCommand(
        "randomEnchantment",
        [](const std::vector<std::string>& args) {
            if (gSpawnSystem)
                gSpawnSystem->RandomEnchantmentCommand(SpawnCommandInt(args, 0, 1), SpawnCommandInt(args, 1, 1));
        },
        "Gets a random monster enchantment", "level numEnchantments", "iI");
}

// A typed count of millions would hold the console for minutes: at most kMaxDebugCount.
void SpawnSystem::RandomModifierCommand(int32_t level, int32_t count) const
{
    count = std::min(count, kMaxDebugCount);
    for (int32_t i = 0; i < count; ++i) {
        const DatabaseEntry* modifier = PickModifier(nullptr, level);
        if (modifier)
            DebugSystem::Print(0, "\tMagicModifier\t%s\n", std::string(modifier->GetName()).c_str());
        else
            DebugSystem::Print(0, "Couldn't find a modifier!\n");
    }
}

void SpawnSystem::RandomEnchantmentCommand(int32_t level, int32_t count) const
{
    count = std::min(count, kMaxDebugCount);
    for (int32_t i = 0; i < count; ++i) {
        const SpawnEntry* entry = PickWeightedByLevel(PickEnchantmentTable(false, MonsterRarity::Rare), level);
        if (entry && entry->definition)
            DebugSystem::Print(0, "\tEnhancement\t%s\n", std::string(entry->definition->GetName()).c_str());
        else
            DebugSystem::Print(0, "Couldn't find an enchantment!\n");
    }
}
