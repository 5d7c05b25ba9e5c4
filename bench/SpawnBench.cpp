// SpawnBench -- the spawn system over the shipped records: filling a shipped level with its rolled monsters, generating items and weighted picks.
#include "BenchSpawnWorld.h"
#include "entities/Actor.h"
#include "entities/Item.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

// Open ground on every level of the world, every level generated.
class SpawnBenchGame : public BenchOpenGroundGame {
public:
    bool IsLevelGenerated(int32_t level) const override { return IsKnownLevel(level); }
};

// The shipped database, game data and adventure, the spawn system read from them.
class SpawnBenchWorld : public BenchSpawnWorld {
public:
    SpawnBenchWorld() : BenchSpawnWorld("emberlode-spawnbench", 29) { StartGame(std::make_unique<SpawnBenchGame>()); }

    // The first level whose area spawns monsters; -1 when none does.
    int32_t FindMonsterLevel() const
    {
        for (int32_t level = 0; level < world.GetLevelCount(); ++level) {
            const Level* record = world.GetLevel(level);
            if (record && record->area && record->area->monsterChancePerBlock > 0.0f && record->area->PickMonster())
                return level;
        }
        return -1;
    }
};

// One level's random monsters as population makes them: each block's roll of its area, then a
// spawn, the crowding test and placement for each; the level's entities go between iterations.
void SpawnPopulateShippedLevel(benchmark::State& state)
{
    SpawnBenchWorld bench;
    int32_t level = bench.FindMonsterLevel();
    if (!bench.spawn.IsLoaded() || level < 0) {
        state.SkipWithError("the shipped game folder is needed");
        return;
    }
    const AreaDefinition& area = *bench.world.GetLevel(level)->area;
    const GameSystemTuning& tuning = bench.gameData.GetTuning();
    int32_t blocks = tuning.blocksPerRow * tuning.blocksPerColumn;
    int64_t placed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench.game->Reset();
        bench.game->ResetLevels();
        int32_t count = 0;
        for (int32_t block = 0; block < blocks; ++block)
            count += area.RollMonstersPerBlock(false);
        state.ResumeTiming();
        bench.spawn.GetLevelFiller().SpawnRandomMonsters(level, count);
        placed += bench.game->CountEntities();
    }
    state.counters["monsters"] = benchmark::Counter(static_cast<double>(placed), benchmark::Counter::kAvgIterations);
}
BENCHMARK(SpawnPopulateShippedLevel)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Loot-like items at level 10 with a magic bonus of 50.
void SpawnGenerateItem(benchmark::State& state)
{
    SpawnBenchWorld bench;
    if (!bench.spawn.IsLoaded()) {
        state.SkipWithError("the shipped game folder is needed");
        return;
    }
    SpawnSystem::ItemRequest request;
    request.baseLevel = 10;
    request.magicBonus = 50;
    int64_t made = 0;
    for (auto _ : state) {
        std::unique_ptr<Item> item = bench.spawn.GenerateItem(request);
        made += item ? 1 : 0;
        benchmark::DoNotOptimize(item);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["made_share"] =
        benchmark::Counter(static_cast<double>(made), benchmark::Counter::kAvgIterations);
}
BENCHMARK(SpawnGenerateItem)->Unit(benchmark::kMicrosecond);

void SpawnPickWeightedByLevel(benchmark::State& state)
{
    SpawnBenchWorld bench;
    if (bench.spawn.GetTable(SpawnSystem::NormalItems).IsEmpty()) {
        state.SkipWithError("the shipped game folder is needed");
        return;
    }
    int32_t level = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench.spawn.PickWeightedByLevel(SpawnSystem::NormalItems, level));
        level = level % 20 + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SpawnPickWeightedByLevel)->Unit(benchmark::kNanosecond);

} // namespace
