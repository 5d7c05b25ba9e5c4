// LineOfSightBench -- one pair of sight grids (ComputeSightGrid's tracing) with 0, 200 and 1,500 blockers scattered over three windows' width, the blockers first narrowed to the 41-cell window beside the plain test of every blocker at every step; and the maps' shader looked up at every cell of a 64 x 64 map with 100 shader entities.
#include "BenchHostWorld.h"
#include "client/ClientSight.h"
#include "client/EntityClient.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "entities/Chest.h"
#include "entities/Player.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr WorldPos kLineOfSightBenchCentre{0, 2048.0f, 2048.0f, true};

std::vector<ClientSight::Blocker> LineOfSightBenchBlockers(int32_t count)
{
    RandomSystem random(20261207);
    // The default cells are 32 units: the window is 1,312 units wide; blockers spread over three.
    constexpr float kSpread = 3.0f * ClientSight::kGridSide * 32.0f;
    std::vector<ClientSight::Blocker> blockers;
    for (int32_t i = 0; i < count; ++i)
        blockers.push_back({kLineOfSightBenchCentre.x + random.RandomRange(RandomStream::GameData, -0.5f, 0.5f) * kSpread,
                            kLineOfSightBenchCentre.y + random.RandomRange(RandomStream::GameData, -0.5f, 0.5f) * kSpread,
                            random.RandomRange(RandomStream::GameData, 8.0f, 24.0f)});
    return blockers;
}

// Arguments: the blocker count, then 1 to narrow the list first (as the client does) or 0.
void ComputeSightGridPair(benchmark::State& state)
{
    std::vector<ClientSight::Blocker> blockers = LineOfSightBenchBlockers(static_cast<int32_t>(state.range(0)));
    bool narrow = state.range(1) != 0;
    ClientSight::Grid full;
    ClientSight::Grid soft;
    for (auto _ : state) {
        if (narrow)
            ClientSight::TraceGrids(kLineOfSightBenchCentre,
                                    ClientSight::NarrowBlockers(kLineOfSightBenchCentre, blockers), full, soft);
        else
            ClientSight::TraceGrids(kLineOfSightBenchCentre, blockers, full, soft);
        benchmark::DoNotOptimize(full);
    }
}

constexpr float kLineOfSightBenchLevelSize = 4096.0f;
constexpr int32_t kLineOfSightBenchMapCells = 64;
constexpr int32_t kLineOfSightBenchShaders = 100;

// A player and 100 chests mirrored by a game client from the host's own update, every chest then
// marked to draw its map shader and scattered over the player's level.
class LineOfSightBenchMapWorld : public BenchHostWorld {
public:
    LineOfSightBenchMapWorld() : BenchHostWorld("emberlode-lineofsightbench", 4242, kLineOfSightBenchLevelSize)
    {
        auto* player = Add(new Player(), 0.0f);
        client.player.Set(player);
        client.currentLevel = 1;
        for (int32_t i = 0; i < kLineOfSightBenchShaders; ++i) {
            auto* chest = new Chest();
            chest->SetEntry(database.FindEntryByName("Chest"));
            Add(chest, static_cast<float>(i));
        }
        MessageBuffer buffer;
        WriteUpdate(buffer);
        mirrored = gameClient->ReadGameUpdate(buffer, nullptr);
        for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
            EntityClient* mirror = gameClient->GetEntity(number);
            if (!mirror || mirror->entityNumber == player->entityNumber)
                continue;
            // On a map cell's point, so that the lookups of those cells stop at it.
            const GameSystemTuning& tuning = gameData.GetTuning();
            auto cell = [this, &tuning](float size) {
                return static_cast<float>(random.RandomInt(RandomStream::GameData, kLineOfSightBenchMapCells)) *
                           tuning.tileSize + size;
            };
            mirror->alwaysUseMapShader = true;
            mirror->position = WorldPos{1, cell(tuning.gridSize.x), cell(tuning.gridSize.y), true};
            ++shaders;
        }
    }

    bool mirrored = false;
    int32_t shaders = 0;

private:
    // Within the update's box around the level's middle, where the player stands.
    template <class T>
    T* Add(T* entity, float offset)
    {
        return Place(entity, {1, 2048.0f + offset, 2048.0f - offset, true});
    }
};

void GetMapShaderAtMap(benchmark::State& state)
{
    LineOfSightBenchMapWorld bench;
    if (!bench.mirrored) {
        state.SkipWithError("the client refused the host's update");
        return;
    }
    ClientSight& sight = bench.gameClient->GetSight();
    for (auto _ : state) {
        for (int32_t y = 0; y < kLineOfSightBenchMapCells; ++y)
            for (int32_t x = 0; x < kLineOfSightBenchMapCells; ++x)
                benchmark::DoNotOptimize(sight.GetMapShaderAt(1, x, y));
    }
    state.counters["shaderEntities"] = static_cast<double>(bench.shaders);
}

} // namespace

BENCHMARK(GetMapShaderAtMap)->Unit(benchmark::kMicrosecond);

BENCHMARK(ComputeSightGridPair)
    ->ArgsProduct({{0, 200, 1500}, {1, 0}})
    ->ArgNames({"blockers", "narrowed"})
    ->Unit(benchmark::kMicrosecond);
