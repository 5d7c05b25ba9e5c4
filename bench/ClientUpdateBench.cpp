// ClientUpdateBench -- one game update of 1,500 visible entities of shipped records: the world host writing it and the game client reading and applying the same bytes (ReadGameUpdate, which reads it whole and then applies it), side by side: time, bytes and allocations after warm-up.
#include "BenchAllocations.h"
#include "BenchHostWorld.h"
#include "client/EntityClient.h"
#include "core/MessageBuffer.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr float kClientUpdateBenchLevelSize = 4096.0f;
constexpr const char* kClientUpdateBenchMonsters[] = {"MonsterGoblinScout", "MonsterGoblinRaider", "MonsterSkeleton"};
constexpr const char* kClientUpdateBenchItems[] = {"EmberKnife", "PaddedCap", "HideBoots"};

// A player in the middle of a level and every other slot of the table filled inside its box:
// shipped monsters, items lying on the ground and chests, a third each.
class ClientUpdateBenchWorld : public BenchHostWorld {
public:
    ClientUpdateBenchWorld() : BenchHostWorld("emberlode-clientupdatebench", 4711, kClientUpdateBenchLevelSize)
    {
        player = Add(new Player(), 0.0f, 0.0f);
        client.player.Set(player);
        client.currentLevel = 1;
        for (int32_t i = 0; i < GameServices::kMaxEntities - 1; ++i)
            Add(MakeShipped(i), Spread(), Spread());
    }

    Player* player = nullptr;

private:
    float Spread() { return (random.RandomFloat(RandomStream::GameData) - 0.5f) * 1000.0f; }

    Entity* MakeShipped(int32_t i)
    {
        size_t pick = static_cast<size_t>(i / 3) % 3;
        if (i % 3 == 0) {
            auto* actor = new Actor();
            actor->SetUpFromMonsterType(gameData.FindMonsterType(kClientUpdateBenchMonsters[pick]), 10, false);
            return actor;
        }
        auto* entity = i % 3 == 1 ? static_cast<Entity*>(new ItemGround()) : new Chest();
        entity->SetEntry(database.FindEntryByName(i % 3 == 1 ? kClientUpdateBenchItems[pick] : "Chest"));
        return entity;
    }

    template <class T>
    T* Add(T* entity, float dx, float dy)
    {
        return Place(entity, {1, 2048.0f + dx, 2048.0f + dy, true});
    }
};

void BM_ClientUpdateHostWrites(benchmark::State& state)
{
    ClientUpdateBenchWorld bench;
    MessageBuffer buffer;
    for (int i = 0; i < 3; ++i)
        bench.WriteUpdate(buffer);
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
    state.counters["allocs/update"] =
        benchmark::Counter(static_cast<double>(BenchAllocations::Count()), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ClientUpdateHostWrites)->Unit(benchmark::kMicrosecond);

void BM_ClientUpdateClientReads(benchmark::State& state)
{
    ClientUpdateBenchWorld bench;
    MessageBuffer buffer;
    size_t start = bench.WriteUpdate(buffer);
    // Warm-up: the mirrors are made and the staging grows to the update once.
    for (int i = 0; i < 3; ++i) {
        buffer.SetReadPos(start);
        if (!bench.gameClient->ReadGameUpdate(buffer, nullptr)) {
            state.SkipWithError("the client refused the host's update");
            return;
        }
    }
    BenchAllocations::Reset();
    BenchAllocations::SetCounting(true);
    for (auto _ : state) {
        buffer.SetReadPos(start);
        benchmark::DoNotOptimize(bench.gameClient->ReadGameUpdate(buffer, nullptr));
    }
    BenchAllocations::SetCounting(false);
    int32_t mirrored = 0;
    for (int32_t i = 0; i < GameClient::kMaxEntities; ++i)
        mirrored += bench.gameClient->GetEntity(i) != nullptr;
    state.counters["mirrored"] = static_cast<double>(mirrored);
    state.counters["bytes"] = static_cast<double>(buffer.Size() - start);
    state.counters["allocs/update"] =
        benchmark::Counter(static_cast<double>(BenchAllocations::Count()), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ClientUpdateClientReads)->Unit(benchmark::kMicrosecond);

} // namespace
