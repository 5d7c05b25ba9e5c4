// CovenantBench -- the computer-run covenants' step in the real game over the shipped records with full rosters: 8 and 32 covenants for an hour of steps, as they run and with every timer forced to run out together, timed per step with its allocations; and the valuation curve for large amounts.
#include "BenchAllocations.h"
#include "BenchSpawnWorld.h"
#include "covenants/ActorCovenant.h"
#include "covenants/OfferValuation.h"
#include "entities/Actor.h"
#include "rules/covenants/CovenantDefinition.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr float kCovenantBenchStep = 0.05f;
// An hour of fixed steps; the timers all run out together this often when forced.
constexpr int32_t kCovenantBenchSteps = 72000;
constexpr int32_t kCovenantBenchForceEvery = 600;
// The smoke run's six minutes still pass ten forced timers; the whole hour took over a minute of
// processor time there, and under a loaded machine ran the smoke run past its time-out.
constexpr int32_t kCovenantBenchSmokeSteps = 7200;
// High enough that every rival starts with its full roster.
constexpr int32_t kCovenantBenchStartingLevel = 20;

// The calling thread's processor time in milliseconds: on a shared machine a step's wall time
// also counts the other programs the step waited for.
double CovenantBenchThreadMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

// A rival that adds the time and allocations of its own step to the benchmark's counts.
class CovenantBenchRival : public ActorCovenant {
public:
    void Update(float seconds) override
    {
        BenchAllocations::SetCounting(true);
        double start = CovenantBenchThreadMs();
        ActorCovenant::Update(seconds);
        *spent += CovenantBenchThreadMs() - start;
        BenchAllocations::SetCounting(false);
    }
    double* spent = nullptr;
};

class CovenantBenchWorld : public BenchSpawnWorld {
public:
    explicit CovenantBenchWorld(int32_t count) : BenchSpawnWorld("emberlode-covenantbench", 41)
    {
        StartGame(std::make_unique<BenchOpenGroundGame>());
        // The player's own definition is the last and never runs a rival.
        int32_t definitions = std::max(1, gameData.GetCovenantDefinitionCount() - 1);
        for (int32_t i = 0; i < count; ++i) {
            auto rival = std::make_unique<CovenantBenchRival>();
            rival->spent = &spent;
            CovenantBenchRival* raw = rival.get();
            game->AddCovenant(std::move(rival));
            raw->SetDefinitionIndex(i % definitions);
            raw->Start(kCovenantBenchStartingLevel, 1);
            raw->RecalculateMemberStats(nullptr);
            rivals.push_back(raw);
        }
        for (CovenantBenchRival* rival : rivals)
            rival->SetUpFirstWorld();
        game->SetWorldRunning();
    }

    void ForceTimers()
    {
        for (CovenantBenchRival* rival : rivals)
            for (RandomTimer& timer : rival->timerSet) {
                timer.running = 1;
                timer.remaining = 0.0f;
            }
    }

    std::vector<CovenantBenchRival*> rivals;
    double spent = 0.0;
};

double CovenantBenchPercentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    auto at = static_cast<size_t>(share * static_cast<double>(values.size() - 1));
    return values[at];
}

// Args: covenant count, and 1 when every timer is forced to run out every 600 steps.
void CovenantStepHour(benchmark::State& state)
{
    auto count = static_cast<int32_t>(state.range(0));
    bool forced = state.range(1) != 0;
    std::vector<double> stepMs;
    int64_t allocations = 0;
    int32_t raids = 0;
    int32_t steps = std::getenv("EMBERLODE_BENCH_SMOKE") ? kCovenantBenchSmokeSteps : kCovenantBenchSteps;
    for (auto _ : state) {
        CovenantBenchWorld bench(count);
        stepMs.clear();
        stepMs.reserve(static_cast<size_t>(steps));
        BenchAllocations::Reset();
        for (int32_t step = 1; step <= steps; ++step) {
            if (forced && step % kCovenantBenchForceEvery == 0)
                bench.ForceTimers();
            bench.spent = 0.0;
            bench.game->Update(kCovenantBenchStep);
            stepMs.push_back(bench.spent);
            for (const CovenantBenchRival* rival : bench.rivals)
                raids += rival->targetCovenant != -1 ? 1 : 0;
        }
        allocations = BenchAllocations::Count();
    }
    double total = 0.0;
    for (double ms : stepMs)
        total += ms;
    double mean = stepMs.empty() ? 0.0 : total / static_cast<double>(stepMs.size());
    state.counters["covenants"] = count;
    state.counters["mean_ms"] = mean;
    state.counters["mean_ms_per_covenant"] = mean / count;
    state.counters["p99_ms"] = CovenantBenchPercentile(stepMs, 0.99);
    state.counters["max_ms"] = CovenantBenchPercentile(stepMs, 1.0);
    state.counters["allocations_per_step"] = static_cast<double>(allocations) / steps;
    state.counters["raiding_covenant_steps"] = raids;
}

// The valuation curve of an amount against a stock of the same size, by chunk percent (in
// thousandths): args amount, percent.
void CovenantDiminishingValue(benchmark::State& state)
{
    BenchDataWorld data("emberlode-covenantbench-value", 43);
    ActorCovenant judge;
    judge.SetDefinitionIndex(0);
    CovenantDefinition* definition = data.gameData.GetCovenantDefinition(0);
    definition->genericValueChunkPercent = static_cast<float>(state.range(1)) / 1000.0f;
    auto amount = static_cast<int32_t>(state.range(0));
    float value = 0.0f;
    for (auto _ : state) {
        value = OfferValuation::DiminishingValue(judge, amount, amount, 1, 1.0f, 1.0e9f);
        benchmark::DoNotOptimize(value);
    }
    state.counters["value"] = value;
}

} // namespace

BENCHMARK(CovenantStepHour)->ArgsProduct({{8, 32}, {0, 1}})->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(CovenantDiminishingValue)
    ->ArgsProduct({{10, 1000000, 1000000000}, {1, 50}})
    ->Unit(benchmark::kMicrosecond);
