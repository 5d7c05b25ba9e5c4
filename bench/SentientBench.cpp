// SentientBench -- a sentient's stat recomputation with six status effects, and the heap allocations of its steady-state update.
#include "BenchAllocations.h"
#include "core/RandomSystem.h"
#include "entities/Sentient.h"
#include "entities/StatusEffect.h"

#include <benchmark/benchmark.h>

#include <memory>

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
