// GameBench -- the server game's fixed step over a full entity table of stand-in creatures and objects (its 99th percentile and its allocations), adds, radius and ring searches, movers, a long trace and many timed actions, each search checked against a walk of the table.
#include "BenchDataWorld.h"
#include "BenchAllocations.h"
#include "BenchIterations.h"
#include "core/EventSystem.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "covenants/Covenant.h"
#include "entities/GameServices.h"
#include "entities/Sentient.h"
#include "entities/StatusEffect.h"
#include "server/quests/Quest.h"
#include "server/Game.h"
#include "world/Level.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <vector>

namespace {

constexpr float kGameBenchLevelSize = 4096.0f;
constexpr float kGameBenchStep = 0.05f;

// Open ground: the levels are not generated, so the cell answers are the world's stand-in.
class GameBenchGame : public Game {
public:
    bool IsCellBlocked(const WorldPos& position) const override { return !IsKnownLevel(position.level); }
    bool IsCellSightBlocked(const WorldPos& position) const override { return !IsKnownLevel(position.level); }
    bool IsBodyBlocked(const WorldPos& position, float) const override { return !IsKnownLevel(position.level); }
};

// A monster until monsters exist: each of its behaviours thinks every step; the first looks for
// enemies, the second walks, the others weigh their chances.
class GameBenchActor : public Entity {
public:
    // Room for the whole table: a crowd larger than any met in the warm-up grows no list in a
    // measured step.
    explicit GameBenchActor(int32_t behaviours) : behaviours(behaviours) { enemies.reserve(GameServices::kMaxEntities); }
    void Update(float seconds) override
    {
        Entity::Update(seconds);
        gGameServices->FindEntitiesInRadius(position, this, 400.0f, 0x51, enemies, false);
        WorldPos next = position.Offset({heading.x * 40.0f * seconds, heading.y * 40.0f * seconds});
        if (next.level == -1 || enemies.size() > 12)
            heading = {-heading.x, -heading.y};
        else
            SetPosition(next);
        for (int32_t i = 2; i < behaviours; ++i)
            weight += static_cast<float>(enemies.size()) * 0.01f * static_cast<float>(i);
    }
    int32_t behaviours;
    Vector2 heading{1.0f, 0.0f};
    float weight = 0.0f;
    std::vector<Entity*> enemies;
};

class GameBenchChest : public Entity {
public:
    bool IsChest() const override { return true; }
    bool NeedsUpdate() const override { return false; }
};

// A pressure plate: asks who stands on it every step.
class GameBenchPlate : public Entity {
public:
    GameBenchPlate() { standing.reserve(GameServices::kMaxEntities); }
    void Update(float seconds) override
    {
        Entity::Update(seconds);
        standing.clear();
        gGameServices->CollectEntitiesNear(position, 32.0f, true, standing);
    }
    std::vector<int32_t> standing;
};

class GameBenchQuest : public Quest {
public:
    explicit GameBenchQuest(int32_t target) : Quest(nullptr)
    {
        level = 1;
        count = 1;
        targetLevel = target;
    }
};

class GameBenchCovenant : public Covenant {
public:
    void Start(int32_t, int32_t) override {}
    void SetUpFirstWorld() override {}
    void Update(float seconds) override { clock += seconds; }
    void PayUpkeep() override { ++upkeeps; }
    Entity* GetLeader() const override { return nullptr; }
    bool IsMember(const Sentient&) const override { return false; }
    WorldPos GetHomePosition() const override { return {}; }
    Entity* GetHomeEntity() const override { return nullptr; }
    int32_t GetHomeStat(int32_t) const override { return 0; }
    void RecomputeTotals() override {}
    void ModifyMemberStat(int32_t, int32_t&, int32_t) const override {}
    void OnMemberDied(Sentient&) override {}
    void RecordMemberExperience(int32_t, int32_t, float) override {}
    void OnMemberGainedExperience(Sentient&, int32_t) override {}
    bool IsRaiding() const override { return false; }
    bool IsBeingRaided() const override { return false; }
    float clock = 0.0f;
    int32_t upkeeps = 0;
};

// Three levels in a row, the game behind gGameServices, events, types and a seeded stream.
class GameBenchWorld {
public:
    GameBenchWorld() : random(4242)
    {
        gRandomSystem = &random;
        gEventSystem = &events;
        gTypeRegistry = &types;
        Entity::RegisterEventClass(events, types);
        BenchLevelsInARow(world, kGameBenchLevelSize, 3);
        gWorld = &world;
        game = std::make_unique<GameBenchGame>();
        game->ResetLevels();
        gGameServices = game.get();
    }

    ~GameBenchWorld()
    {
        game->Reset();
        game.reset();
        gGameServices = nullptr;
        gWorld = nullptr;
        gTypeRegistry = nullptr;
        gEventSystem = nullptr;
        gRandomSystem = nullptr;
    }

    WorldPos Uniform()
    {
        return {random.RandomInt(RandomStream::GameData, 3), random.RandomFloat(RandomStream::GameData) * kGameBenchLevelSize,
                random.RandomFloat(RandomStream::GameData) * kGameBenchLevelSize, true};
    }

    // Near one of a few camps on level 1.
    WorldPos Clustered()
    {
        float camp = static_cast<float>(random.RandomInt(RandomStream::GameData, 4));
        Vector2 offset = random.RandomDirection2D(RandomStream::GameData) * (random.RandomFloat(RandomStream::GameData) * 150.0f);
        return {1, 600.0f + camp * 900.0f + offset.x, 2000.0f + offset.y, true};
    }

    template <class T, class... Args>
    T* Add(const WorldPos& where, Args... args)
    {
        auto* entity = new T(args...);
        entity->SetPosition(where);
        if (game->AddEntity(entity) == -1) {
            delete entity;
            return nullptr;
        }
        return entity;
    }

    void AddEffect()
    {
        if (Entity* effect = Add<Entity>(Uniform()))
            effect->ScheduleDelete(0.5f + random.RandomFloat(RandomStream::GameData) * 2.0f);
    }

    void FillTable()
    {
        for (int32_t i = 0; i < 400; ++i)
            Add<GameBenchActor>(i % 2 ? Clustered() : Uniform(), 4 + i % 3);
        for (int32_t i = 0; i < 300; ++i) {
            auto* sentient = Add<Sentient>(Uniform());
            for (int32_t k = 0; k < 2 + i % 2; ++k) {
                auto effect = std::make_unique<StatusEffect>();
                effect->forever = true;
                effect->tickTime = 1.0f;
                effect->statChange.Set(CharacterStat::Armor, 5 * k);
                sentient->AttachStatusEffect(std::move(effect), nullptr);
            }
            sentient->RecalculateStats(true);
        }
        for (int32_t i = 0; i < 400; ++i) {
            if (i % 2)
                Add<GameBenchChest>(Uniform());
            else
                Add<Entity>(Uniform());
        }
        for (int32_t i = 0; i < 100; ++i) {
            Entity* torch = Add<Entity>(Uniform());
            flicker.emplace_back(std::make_unique<RandomTimer>());
            flicker.back()->minimum = 0.1f;
            flicker.back()->maximum = 0.3f;
            flicker.back()->Restart(random);
            torch->timers.push_back(flicker.back().get());
        }
        for (int32_t i = 0; i < 100; ++i)
            Add<GameBenchPlate>(Uniform());
        for (int32_t i = 0; i < 200; ++i)
            AddEffect();
        for (int32_t i = 0; i < 10; ++i)
            game->GetWorldQuests().push_back(std::make_unique<GameBenchQuest>(i % 3));
        for (int32_t i = 0; i < 4; ++i)
            game->AddCovenant(std::make_unique<GameBenchCovenant>());
        for (int32_t i = 0; i < 30; ++i)
            game->QueueRespawn(i % 3, 1.0f + static_cast<float>(i) * 0.1f, Uniform());
    }

    // What the world host does after each step (the lines and sounds sent), and the effects
    // that ended come back elsewhere, so the table stays full.
    void Replenish()
    {
        game->GetClientLines().clear();
        game->ClearSounds();
        while (game->CountEntities() < GameServices::kMaxEntities)
            AddEffect();
    }

    std::set<int32_t> BruteForce(const WorldPos& centre, float radius) const
    {
        std::set<int32_t> numbers;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
            const Entity* entity = game->GetEntity(i);
            if (entity && entity->position.level != -1 &&
                Vector2Length(centre.DeltaTo(entity->position)) - entity->radius <= radius)
                numbers.insert(i);
        }
        return numbers;
    }

    RandomSystem random;
    EventSystem events;
    TypeRegistry types;
    World world;
    std::unique_ptr<GameBenchGame> game;
    std::vector<std::unique_ptr<RandomTimer>> flicker;
};

double GameBenchPercentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * static_cast<double>(values.size())));
    return values[index];
}

void GameUpdateFullTable(benchmark::State& state)
{
    GameBenchWorld bench;
    bench.FillTable();
    // Warm-up: lists, pools and grid nodes grow to what the crowd needs.
    for (int32_t i = 0; i < 4000; ++i) {
        bench.game->Update(kGameBenchStep);
        bench.Replenish();
    }
    std::vector<double> stepMs;
    BenchAllocations::Reset();
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        BenchAllocations::SetCounting(true);
        bench.game->Update(kGameBenchStep);
        BenchAllocations::SetCounting(false);
        stepMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        state.PauseTiming();
        bench.Replenish();
        state.ResumeTiming();
    }
    state.counters["entities"] = bench.game->CountEntities();
    state.counters["p50_ms"] = GameBenchPercentile(stepMs, 0.50);
    state.counters["p99_ms"] = GameBenchPercentile(stepMs, 0.99);
    state.counters["max_ms"] = GameBenchPercentile(stepMs, 1.0);
    state.counters["allocations_per_step"] =
        stepMs.empty() ? 0.0 : static_cast<double>(BenchAllocations::Count()) / static_cast<double>(stepMs.size());
}

void GameAddTwoHundred(benchmark::State& state)
{
    GameBenchWorld bench;
    bench.FillTable();
    std::vector<Entity*> removed;
    for (auto _ : state) {
        state.PauseTiming();
        for (int32_t i = 0; i < 200; ++i) {
            Entity* entity = bench.game->GetEntity(i * 7);
            if (entity) {
                bench.game->RemoveEntity(entity);
                delete entity;
            }
        }
        bench.game->Update(kGameBenchStep);
        std::vector<Entity*> fresh;
        for (int32_t i = 0; i < 200; ++i) {
            fresh.push_back(new Entity());
            fresh.back()->position = bench.Uniform();
        }
        state.ResumeTiming();
        for (Entity* entity : fresh)
            benchmark::DoNotOptimize(bench.game->AddEntity(entity));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 200);
}

void GameRadiusQueries(benchmark::State& state)
{
    GameBenchWorld bench;
    bool clustered = state.range(1) != 0;
    for (int32_t i = 0; i < 1500; ++i)
        bench.Add<Entity>(clustered ? bench.Clustered() : bench.Uniform());
    float radius = static_cast<float>(state.range(0));
    std::vector<WorldPos> centres;
    for (int32_t i = 0; i < 64; ++i)
        centres.push_back(clustered ? bench.Clustered() : bench.Uniform());
    int64_t mismatches = 0;
    std::vector<int32_t> found;
    for (const WorldPos& centre : centres) {
        found.clear();
        bench.game->CollectEntitiesNear(centre, radius, true, found);
        mismatches += std::set<int32_t>(found.begin(), found.end()) != bench.BruteForce(centre, radius);
    }
    if (mismatches)
        state.SkipWithError("a radius search disagreed with the walk of the table");
    size_t next = 0;
    int64_t hits = 0;
    for (auto _ : state) {
        found.clear();
        bench.game->CollectEntitiesNear(centres[next++ % centres.size()], radius, true, found);
        hits += static_cast<int64_t>(found.size());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.counters["found_per_query"] = state.iterations() ? static_cast<double>(hits) / static_cast<double>(state.iterations()) : 0.0;
}

void GameMovers(benchmark::State& state)
{
    GameBenchWorld bench;
    std::vector<Entity*> movers;
    for (int32_t i = 0; i < 500; ++i)
        movers.push_back(bench.Add<Entity>(bench.Uniform()));
    for (auto _ : state) {
        for (Entity* mover : movers) {
            WorldPos next = mover->position.Offset(bench.random.RandomDirection2D(RandomStream::GameData) * 30.0f);
            mover->SetPosition(next.level == -1 ? bench.Uniform() : next);
        }
    }
    int64_t mismatches = 0;
    for (int32_t q = 0; q < 32; ++q) {
        WorldPos centre = bench.Uniform();
        std::vector<int32_t> found;
        bench.game->CollectEntitiesNear(centre, 500.0f, true, found);
        mismatches += std::set<int32_t>(found.begin(), found.end()) != bench.BruteForce(centre, 500.0f);
    }
    if (mismatches)
        state.SkipWithError("the grid lost a mover");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 500);
}

void GameRings(benchmark::State& state)
{
    GameBenchWorld bench;
    for (int32_t i = 0; i < 1500; ++i)
        bench.Add<Entity>(bench.Clustered());
    Entity body;
    body.radius = 16.0f;
    SpawnSearch search;
    search.entity = &body;
    int32_t rings = static_cast<int32_t>(state.range(0));
    WorldPos out;
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.game->FindSpawnPosition({1, 600.0f, 2000.0f, true}, rings, search, false, out));
}

void GameDiagonalTrace(benchmark::State& state)
{
    GameBenchWorld bench;
    for (int32_t i = 0; i < 1500; ++i)
        bench.Add<Entity>(bench.Uniform());
    Entity* hit = nullptr;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            bench.game->TraceLine({0, 10.0f, 10.0f, true}, {0, 4000.0f, 4000.0f, true}, 4u, nullptr, nullptr, hit));
}

void GameTimedActions(benchmark::State& state)
{
    GameBenchWorld bench;
    std::vector<Entity*> targets;
    for (int32_t i = 0; i < 1000; ++i)
        targets.push_back(bench.Add<Entity>(bench.Uniform()));
    int fadeId = Entity::GetFadeToEventId();
    for (auto _ : state) {
        state.PauseTiming();
        for (int32_t i = 0; i < 5000; ++i)
            bench.game->ScheduleTimedAction(targets[static_cast<size_t>(i % 1000)], bench.events.MakeEvent(fadeId),
                                            10.0f + static_cast<float>(i % 7));
        state.ResumeTiming();
        for (int32_t i = 0; i < 20; ++i)
            bench.game->UpdateTimedActions(kGameBenchStep);
        state.PauseTiming();
        bench.game->ClearTimedActions();
        state.ResumeTiming();
    }
    state.counters["actions"] = 5000;
}

} // namespace

BENCHMARK(GameUpdateFullTable)->Unit(benchmark::kMillisecond)->Iterations(BenchIterations(2000));
BENCHMARK(GameAddTwoHundred)->Unit(benchmark::kMicrosecond);
BENCHMARK(GameRadiusQueries)->ArgsProduct({{100, 250, 500, 1000}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(GameMovers)->Unit(benchmark::kMicrosecond);
BENCHMARK(GameRings)->DenseRange(0, 7)->Unit(benchmark::kMicrosecond);
BENCHMARK(GameDiagonalTrace)->Unit(benchmark::kMicrosecond);
BENCHMARK(GameTimedActions)->Unit(benchmark::kMillisecond);
