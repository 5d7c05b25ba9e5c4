// SentientBench -- a sentient's stat recomputation with six status effects, then with full equipment and twenty skills, and the heap allocations of its steady-state update.
#include "BenchAllocations.h"
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Sentient.h"
#include "entities/SkillList.h"
#include "entities/StatusEffect.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "rules/GameData.h"
#include "rules/skills/SkillDefinition.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

// Six effects as a buffed and poisoned fighter carries them: attribute and stat changes,
// percentages and dynamic-stat shares, each lasting and ticking once a second.
void SentientBenchAddEffects(Sentient& sentient)
{
    for (int32_t i = 0; i < 6; ++i) {
        auto effect = std::make_unique<StatusEffect>();
        effect->forever = true;
        effect->tickTime = 1.0f;
        effect->effectType = StatusEffectType::Normal;
        effect->statChange.Set(CharacterStat::Strength + i % 5, 3 + i);
        effect->statChange.Set(CharacterStat::Armor, 10 * i);
        effect->statChange.Set(CharacterStat::ResistanceFire + i % 5, 5);
        effect->statMult.Set(CharacterStat::MaxHealth, 100 * i);
        effect->statMult.Set(CharacterStat::Defense, -50 * i);
        effect->dynamicStatChange[DynamicStat::PowerRegen] = 0.5f;
        effect->damageMult[DamageType::Fire] = 0.1f;
        sentient.AttachStatusEffect(std::move(effect), nullptr);
    }
}

class SentientBenchWorld {
public:
    SentientBenchWorld() : random(1234)
    {
        gRandomSystem = &random;
        for (int32_t i = 0; i < 5; ++i)
            sentient.stats.Set(CharacterStat::BaseStrength + i, 20 + i);
        SentientBenchAddEffects(sentient);
        sentient.RecalculateStats(true);
    }
    ~SentientBenchWorld() { gRandomSystem = nullptr; }

    RandomSystem random;
    Sentient sentient;
};

// The shipped database and game data, for items and skills of real records.
class SentientBenchGame {
public:
    SentientBenchGame()
        : platform((std::filesystem::temp_directory_path() / "emberlode-sentientbench").string()),
          files((std::filesystem::path(__FILE__).parent_path().parent_path() / "game").string())
    {
        gDebugSystem = &debug;
        gPlatformSystem = &platform;
        files.SetRootFolders("Assets");
        gFileSystem = &files;
        gDatabase = &database;
        database.Load();
        gGameData = &gameData;
        gameData.Load(database);
    }

    ~SentientBenchGame()
    {
        gGameData = nullptr;
        gDatabase = nullptr;
        gFileSystem = nullptr;
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
    }

    DebugSystem debug;
    PosixPlatformSystem platform;
    PosixFileSystem files;
    Database database;
    GameData gameData;
};

// Every worn slot and one tome on the bookshelf: eighteen items of the shipped records, each
// with an affix where the item takes one.
void SentientBenchEquip(Sentient& sentient)
{
    const char* names[] = {"WardensHelm", "PaddedCap",    "QuiltedTunic", "StuddedJerkin", "LinkedHauberk",
                           "HideBoots",   "IronGauntlets", "PlateGreaves", "OakBuckler",    "EmberKnife",
                           "LeadSling",   "ForgeHammer",  "AshwoodStaff", "CinderBlade",   "Splitmaul",
                           "VigilGreatblade", "EmberwakeCleaver", "PaddedCap"};
    const auto& affixes = gGameData->GetItemRecords().GetMagicModifiers();
    InventoryBase& inventory = *sentient.inventory;
    inventory.ResizeBag(InventoryGroupIndex::Equipment, EquipedLocation::None);
    inventory.ResizeBag(InventoryGroupIndex::Bookshelf, 1);
    for (int32_t i = 0; i < 18; ++i) {
        auto item = std::make_unique<Item>();
        item->SetEntry(gDatabase->FindEntryByName(names[i]));
        if (affixes.GetCount() > 0)
            item->AddAffix(affixes.Get(i % affixes.GetCount()), 0.5f);
        std::unique_ptr<ItemBase> owned(item.release());
        int32_t bag = i < EquipedLocation::None ? InventoryGroupIndex::Equipment : InventoryGroupIndex::Bookshelf;
        int32_t slot = i < EquipedLocation::None ? i : 0;
        inventory.PlaceItem(owned, bag, slot, kPlaceAnyGroup | kPlaceIgnoreOffHand);
    }
}

// Twenty skills of the shipped records, each at level 3 or by its requirement.
void SentientBenchLearn(Sentient& sentient)
{
    int32_t learned = 0;
    for (const DatabaseEntry* entry = gDatabase->GetNextEntryOfType(DatabaseEntryType::Skill); entry && learned < 20;
         entry = gDatabase->GetNextEntryOfType(DatabaseEntryType::Skill, entry)) {
        const SkillDefinition* definition = gGameData->FindSkillDefinition(entry->GetName());
        if (!definition)
            continue;
        sentient.skillList->AddSkill(definition, &sentient, learned / 15, learned % 15);
        ++learned;
    }
    for (int32_t stat = CharacterStat::Skill1; stat <= CharacterStat::Skill60; ++stat)
        sentient.stats.Set(stat, 3);
    sentient.stats.Set(CharacterStat::Level, 10);
}

void SentientRecalculateStatsEquipped(benchmark::State& state)
{
    SentientBenchGame game;
    SentientBenchWorld world;
    SentientBenchEquip(world.sentient);
    SentientBenchLearn(world.sentient);
    world.sentient.RecalculateStats(true);
    for (auto _ : state) {
        world.sentient.RecalculateStats(false);
        benchmark::DoNotOptimize(world.sentient.stats.GetValues().data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.counters["items"] = world.sentient.inventory->CountItems(InventoryGroupIndex::Equipment) +
                              world.sentient.inventory->CountItems(InventoryGroupIndex::Bookshelf);
    state.counters["skills"] = static_cast<double>(world.sentient.skillList->GetSkills().size());
}

void SentientRecalculateStats(benchmark::State& state)
{
    SentientBenchWorld world;
    for (auto _ : state) {
        world.sentient.RecalculateStats(false);
        benchmark::DoNotOptimize(world.sentient.stats.GetValues().data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void SentientSteadyUpdate(benchmark::State& state)
{
    SentientBenchWorld world;
    // The first updates may size the lists the later ones reuse.
    for (int32_t i = 0; i < 100; ++i)
        world.sentient.Update(0.05f);
    BenchAllocations::Reset();
    int64_t updates = 0;
    for (auto _ : state) {
        BenchAllocations::SetCounting(true);
        world.sentient.Update(0.05f);
        BenchAllocations::SetCounting(false);
        ++updates;
    }
    state.counters["allocations_per_update"] =
        updates ? static_cast<double>(BenchAllocations::Count()) / static_cast<double>(updates) : 0.0;
}

} // namespace

BENCHMARK(SentientRecalculateStats)->Unit(benchmark::kMicrosecond);
BENCHMARK(SentientSteadyUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(SentientRecalculateStatsEquipped)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
