// LineOfSightBench -- one pair of sight grids (ComputeSightGrid's tracing) with 0, 200 and 1,500 blockers scattered over three windows' width, the blockers first narrowed to the 41-cell window beside the plain test of every blocker at every step.
#include "client/ClientSight.h"
#include "core/RandomSystem.h"

#include <benchmark/benchmark.h>

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

} // namespace

BENCHMARK(ComputeSightGridPair)
    ->ArgsProduct({{0, 200, 1500}, {1, 0}})
    ->ArgNames({"blockers", "narrowed"})
    ->Unit(benchmark::kMicrosecond);
