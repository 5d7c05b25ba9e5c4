// WorldHostBench -- one client's game update for 0, 100 and 1,499 visible entities besides the player (time, bytes, buffer growth and allocations after warm-up), and the visibility scan by per-slot mark against the list search it replaces, checked equal in the same run.
#include "BenchDataWorld.h"
#include "BenchAllocations.h"
#include "core/EventSystem.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "world/Level.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr float kWorldHostBenchLevelSize = 4096.0f;

// Open ground on three levels in a row, the real game and a world host, one player at the
// centre of level 1 and the asked number of others inside its box; the rest of the table is
// filled with entities far out of sight.
class WorldHostBenchWorld {
public:
    explicit WorldHostBenchWorld(int32_t visibleOthers) : random(977)
    {
        gRandomSystem = &random;
        gEventSystem = &events;
        gTypeRegistry = &types;
        Entity::RegisterEventClass(events, types);
        BenchLevelsInARow(world, kWorldHostBenchLevelSize, 3);
        gWorld = &world;
        game = std::make_unique<Game>();
        game->ResetLevels();
        gGame = game.get();
        gGameServices = game.get();
        host = std::make_unique<WorldHost>();
        player = Add<Player>({1, 2048.0f, 2048.0f, true});
        client.player.Set(player);
        client.currentLevel = 1;
        for (int32_t i = 0; i < GameServices::kMaxEntities - 1; ++i) {
            bool seen = i < visibleOthers;
            WorldPos where = seen ? WorldPos{1, 2048.0f + Spread(), 2048.0f + Spread(), true}
                                  : WorldPos{i % 2 ? 0 : 2, 300.0f + Spread(), 3800.0f + Spread(), true};
            if (i % 3 == 0)
                Add<Sentient>(where);
            else
                Add<Entity>(where);
        }
    }

    ~WorldHostBenchWorld()
    {
        host.reset();
        game->Reset();
        game.reset();
        gGame = nullptr;
        gGameServices = nullptr;
        gWorld = nullptr;
        gTypeRegistry = nullptr;
        gEventSystem = nullptr;
        gRandomSystem = nullptr;
    }

    // The list search the per-slot mark replaces: "not yet in the list" by looking through it.
    const std::vector<Entity*>& CollectNaive()
    {
        naive.clear();
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
            Entity* entity = game->GetEntity(i);
            if (!entity || !host->IsVisibleTo(*player, *entity) ||
                std::find(naive.begin(), naive.end(), entity) != naive.end())
                continue;
            naive.push_back(entity);
            linked.clear();
            entity->CollectLinkedEntities(linked);
            for (Entity* other : linked)
                if (other && std::find(naive.begin(), naive.end(), other) == naive.end())
                    naive.push_back(other);
        }
        return naive;
    }

    RandomSystem random;
    EventSystem events;
    TypeRegistry types;
    World world;
    std::unique_ptr<Game> game;
    std::unique_ptr<WorldHost> host;
    Player* player = nullptr;
    ClientRecord client;

private:
    float Spread() { return (random.RandomFloat(RandomStream::GameData) - 0.5f) * 1000.0f; }

    template <class T>
    T* Add(const WorldPos& where)
    {
        auto* entity = new T();
        entity->SetPosition(where);
        if (game->AddEntity(entity) == -1) {
            delete entity;
            return nullptr;
        }
        return entity;
    }

    std::vector<Entity*> naive;
    std::vector<Entity*> linked;
};

void BM_WorldHostGameUpdate(benchmark::State& state)
{
    WorldHostBenchWorld bench(static_cast<int32_t>(state.range(0)));
    MessageBuffer buffer;
    for (int i = 0; i < 3; ++i) {
        buffer.Clear();
        bench.host->WriteGameUpdate(buffer, bench.client);
    }
    size_t warmCapacity = buffer.Capacity();
    BenchAllocations::Reset();
    BenchAllocations::SetCounting(true);
    for (auto _ : state) {
        buffer.Clear();
        bench.host->WriteGameUpdate(buffer, bench.client);
        benchmark::DoNotOptimize(buffer.Data());
    }
    BenchAllocations::SetCounting(false);
    state.counters["visible"] = static_cast<double>(bench.host->CollectVisible(*bench.player).size());
    state.counters["bytes"] = static_cast<double>(buffer.Size());
    state.counters["growth"] = static_cast<double>(buffer.Capacity() - warmCapacity);
    state.counters["allocs/update"] =
        benchmark::Counter(static_cast<double>(BenchAllocations::Count()), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WorldHostGameUpdate)->Arg(0)->Arg(100)->Arg(1499)->Unit(benchmark::kMicrosecond);

void BM_WorldHostVisibilityMarks(benchmark::State& state)
{
    WorldHostBenchWorld bench(static_cast<int32_t>(state.range(0)));
    if (bench.host->CollectVisible(*bench.player) != bench.CollectNaive()) {
        state.SkipWithError("the marks and the list search disagree");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.host->CollectVisible(*bench.player).data());
    state.counters["visible"] = static_cast<double>(bench.host->CollectVisible(*bench.player).size());
}
BENCHMARK(BM_WorldHostVisibilityMarks)->Arg(100)->Arg(1499)->Unit(benchmark::kMicrosecond);

void BM_WorldHostVisibilityListSearch(benchmark::State& state)
{
    WorldHostBenchWorld bench(static_cast<int32_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.CollectNaive().data());
}
BENCHMARK(BM_WorldHostVisibilityListSearch)->Arg(100)->Arg(1499)->Unit(benchmark::kMicrosecond);

} // namespace
