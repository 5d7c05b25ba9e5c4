// StatusEffectBench -- the status effects' share of a server step: 300 carriers of three shipped effects, then 100 smouldering aura carriers among them, in a table of 1,500 entities; time per step and heap allocations.
#include "BenchDataWorld.h"
#include "BenchAllocations.h"
#include "entities/Sentient.h"
#include "entities/StatusEffect.h"
#include "world/Level.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr float kStatusEffectBenchLevel = 4096.0f;
constexpr float kStatusEffectBenchStep = 0.05f;

class StatusEffectBenchGame : public BenchOpenGroundGame {
public:
};

// The shipped records over one level, the real game behind gGameServices, a seeded stream.
class StatusEffectBenchWorld : public BenchDataWorld {
public:
    StatusEffectBenchWorld() : BenchDataWorld("emberlode-statuseffectbench", 777)
    {
        Entity::RegisterEventClass(events, types);
        Sentient::RegisterEventClass(events, types);
        world.SetLevelSize(kStatusEffectBenchLevel, kStatusEffectBenchLevel);
        auto level = std::make_unique<Level>();
        level->column = 0;
        world.AddLevel(std::move(level));
        gWorld = &world;
        game = std::make_unique<StatusEffectBenchGame>();
        game->ResetLevels();
        gGameServices = game.get();
    }

    ~StatusEffectBenchWorld()
    {
        game->Reset();
        game.reset();
        gGameServices = nullptr;
        gWorld = nullptr;
    }

    WorldPos Anywhere()
    {
        return {0, 100.0f + random.RandomFloat(RandomStream::GameData) * (kStatusEffectBenchLevel - 200.0f),
                100.0f + random.RandomFloat(RandomStream::GameData) * (kStatusEffectBenchLevel - 200.0f), true};
    }

    Sentient* AddSentient(const WorldPos& where)
    {
        auto* sentient = new Sentient();
        sentient->SetPosition(where);
        if (game->AddEntity(sentient) == -1) {
            delete sentient;
            return nullptr;
        }
        sentient->SetClass(0, true);
        sentient->RecalculateStats(true);
        carriers.push_back(sentient);
        return sentient;
    }

    // 300 carriers of regeneration, renewal and stone skin; the aura carriers in covenant 1,
    // so that the others are their enemies; then the rest of the table.
    void Fill(int32_t auraCarriers)
    {
        const char* effects[] = {"StatusEffectBasicRegen", "StatusEffectRenewal", "StatusEffectStoneSkin"};
        for (int32_t i = 0; i < 300; ++i) {
            Sentient* sentient = AddSentient(Anywhere());
            for (const char* name : effects)
                sentient->AddStatusEffectByName(name, sentient, 1 + i % 4);
            // Kept for the whole run: the measure is of carried effects, not of their ends.
            for (const auto& effect : sentient->GetStatusEffects())
                effect->forever = true;
        }
        for (int32_t i = 0; i < auraCarriers; ++i) {
            Sentient* carrier = AddSentient(Anywhere());
            carrier->covenantIndex = 1;
            carrier->AddStatusEffectByName("StatusEffectSmoulder", carrier, 1);
        }
        while (game->CountEntities() < GameServices::kMaxEntities) {
            auto* other = new Entity();
            other->SetPosition(Anywhere());
            if (game->AddEntity(other) == -1) {
                delete other;
                break;
            }
        }
    }

    // The effects' part of one step: every carrier's effect update, in table order.
    void StepEffects()
    {
        for (Sentient* carrier : carriers)
            carrier->UpdateStatusEffects(kStatusEffectBenchStep);
    }

    // What the world host does after each step: the hits the ticks queued reach their
    // listeners and the damage lines and sounds go to the clients. Without it their records would pile up
    // and every step make new ones.
    void DeliverStepEvents()
    {
        events.DispatchQueue();
        game->ClearClientLines();
        game->ClearSounds();
    }

    World world;
    std::unique_ptr<StatusEffectBenchGame> game;
    std::vector<Sentient*> carriers;
};

double StatusEffectBenchPercentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    auto index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

void StatusEffectStep(benchmark::State& state)
{
    StatusEffectBenchWorld bench;
    bench.Fill(static_cast<int32_t>(state.range(0)));
    // Warm-up: every effect has ticked and every list has found its size. A minute of game
    // time, so that the sentients two auras reach in the same step have their spare effects.
    for (int32_t i = 0; i < 1200; ++i) {
        bench.StepEffects();
        bench.DeliverStepEvents();
    }
    std::vector<double> stepMs;
    BenchAllocations::Reset();
    int64_t steps = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        BenchAllocations::SetCounting(true);
        bench.StepEffects();
        BenchAllocations::SetCounting(false);
        stepMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        ++steps;
        bench.DeliverStepEvents();
    }
    int64_t carried = 0;
    for (const Sentient* carrier : bench.carriers)
        carried += static_cast<int64_t>(carrier->GetStatusEffects().size());
    state.counters["entities"] = bench.game->CountEntities();
    state.counters["effects"] = static_cast<double>(carried);
    state.counters["p50_ms"] = StatusEffectBenchPercentile(stepMs, 0.50);
    state.counters["p99_ms"] = StatusEffectBenchPercentile(stepMs, 0.99);
    state.counters["allocations_per_step"] =
        steps ? static_cast<double>(BenchAllocations::Count()) / static_cast<double>(steps) : 0.0;
    state.counters["event_records"] = static_cast<double>(bench.events.GetRecordCount());
}

} // namespace

// Argument: the aura carriers among the 300 ordinary ones.
BENCHMARK(StatusEffectStep)->Arg(0)->Arg(100)->Unit(benchmark::kMicrosecond);
