// ActorChaseBench -- 50, 200 and 400 shipped wolves (their stack: approach, melee, eating corpses, following the leader, idling, the way home) chasing players round a generated level with walls, over the real path finder: path searches per actor-step, while chasing and in all, the step's median and 99th percentile, and its allocations.
#include "BenchDataWorld.h"
#include "BenchAllocations.h"
#include "BenchIterations.h"
#include "entities/Actor.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/PathFinder.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr float kChaseBenchStep = 0.05f;
constexpr float kChaseBenchLevelSize = 4096.0f;
constexpr int32_t kChaseBenchPlayers = 4;
constexpr int32_t kChaseBenchWarmSteps = 1200;

// The real game over the level's own cells; players and monsters are enemies, monsters friends.
class ChaseBenchGame : public Game {
public:
    int32_t GetRelationship(const Entity* a, const Entity* b) const override
    {
        if (!a || !b)
            return 2;
        bool aMonster = dynamic_cast<const Actor*>(a) != nullptr;
        bool bMonster = dynamic_cast<const Actor*>(b) != nullptr;
        return aMonster == bMonster ? 2 : 0;
    }
};

// A player that walks a circle and cannot be killed.
class ChaseBenchPlayer : public Sentient {
public:
    void Walk(float seconds)
    {
        angle += speed / radius * seconds;
        SetPosition({0, centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle), true});
        maxHealth = health = 1000000;
    }
    Vector2 centre;
    float radius = 300.0f;
    float speed = 90.0f;
    float angle = 0.0f;
};

class ChaseBenchWorld : public BenchDataWorld {
public:
    explicit ChaseBenchWorld(int32_t monsters) : BenchDataWorld("emberlode-actorchasebench", 90)
    {
        Entity::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        BenchLevelsInARow(world, kChaseBenchLevelSize, 1);
        area.name = "Chase";
        world.GetLevel(0)->area = &area;
        gWorld = &world;
        LayLevel();
        gPathFinder = &finder;
        game = std::make_unique<ChaseBenchGame>();
        game->ResetLevels();
        gGameServices = game.get();
        AddPlayers();
        for (int32_t i = 0; i < monsters; ++i)
            AddMonster(i);
    }

    ~ChaseBenchWorld()
    {
        game->Reset();
        game.reset();
        gGameServices = nullptr;
        gPathFinder = nullptr;
        world.Destroy();
        gWorld = nullptr;
    }

    // Generated, then walls: a tenth of the cells at random and four long walls with gaps.
    void LayLevel()
    {
        Level& level = *world.GetLevel(0);
        LevelGenerator::AddReference(level, 0);
        LevelGenerator::EnsureGenerated(level);
        LevelData& data = *level.data;
        std::fill(data.visited.begin(), data.visited.end(), true);
        std::fill(data.blockBuilt.begin(), data.blockBuilt.end(), true);
        std::fill(data.sightBits.begin(), data.sightBits.end(), false);
        int32_t across = data.geometry.CellsAcross();
        int32_t down = data.geometry.CellsDown();
        for (int32_t y = 0; y < down; ++y) {
            for (int32_t x = 0; x < across; ++x) {
                bool edge = x == 0 || y == 0 || x == across - 1 || y == down - 1;
                bool wall = (x == across / 3 || x == 2 * across / 3) && y % 24 > 4;
                wall = wall || ((y == down / 3 || y == 2 * down / 3) && x % 30 > 6);
                bool stone = random.RandomFloat(RandomStream::GameData) < 0.1f;
                data.movementBits[static_cast<size_t>(y * across + x)] = edge || wall || stone;
            }
        }
    }

    void AddPlayers()
    {
        for (int32_t i = 0; i < kChaseBenchPlayers; ++i) {
            auto* player = new ChaseBenchPlayer();
            player->centre = {1400.0f + 1300.0f * static_cast<float>(i % 2), 1400.0f + 1300.0f * static_cast<float>(i / 2)};
            player->angle = static_cast<float>(i);
            player->maxHealth = player->health = 1000000;
            player->Walk(0.0f);
            if (game->AddEntity(player) == -1)
                continue;
            players.push_back(player);
        }
    }

    // A wolf awake within sight of a player, on a free cell.
    void AddMonster(int32_t index)
    {
        const MonsterType* type = gameData.FindMonsterType("MonsterWolf");
        if (!type || players.empty())
            return;
        const ChaseBenchPlayer& near = *players[static_cast<size_t>(index) % players.size()];
        WorldPos where;
        for (int32_t attempt = 0; attempt < 50; ++attempt) {
            Vector2 offset = random.RandomDirection2D(RandomStream::GameData) * (100.0f + 400.0f * random.RandomFloat(RandomStream::GameData));
            where = {0, near.centre.x + offset.x, near.centre.y + offset.y, true};
            Actor::SnapToWorldGrid(where);
            if (!game->IsCellBlocked(where))
                break;
        }
        auto* actor = new Actor();
        actor->SetUpFromMonsterType(type, 10, false);
        actor->SetPosition(where);
        actor->SetActive(true);
        actor->mayGoInactive = false;
        if (game->AddEntity(actor) == -1) {
            delete actor;
            return;
        }
        monsters.push_back(actor);
    }

    int64_t Searches() const
    {
        int64_t total = 0;
        for (const Actor* actor : monsters)
            total += actor->pathSearches;
        return total;
    }

    // One step as the world host runs it: the game's update, then the hits and kills it queued
    // delivered; the lines and sounds for the clients go as the frame's updates are sent.
    void Step()
    {
        for (ChaseBenchPlayer* player : players)
            player->Walk(kChaseBenchStep);
        game->Update(kChaseBenchStep);
        events.DispatchQueue();
        game->ClearClientLines();
        game->GetPlayerLines().clear();
        game->ClearSounds();
    }

    World world;
    AreaDefinition area;
    PathFinder finder;
    std::unique_ptr<ChaseBenchGame> game;
    std::vector<ChaseBenchPlayer*> players;
    std::vector<Actor*> monsters;
};

// Each iteration is one game step of every monster; the searches of monsters with a target
// before the step count as chasing.
void ActorChase(benchmark::State& state)
{
    ChaseBenchWorld bench(static_cast<int32_t>(state.range(0)));
    if (bench.monsters.empty()) {
        state.SkipWithError("the shipped game folder is needed");
        return;
    }
    for (int32_t i = 0; i < kChaseBenchWarmSteps; ++i)
        bench.Step();
    std::vector<double> micros;
    micros.reserve(1 << 16);
    std::vector<int32_t> before(bench.monsters.size());
    std::vector<bool> chasing(bench.monsters.size());
    int64_t actorSteps = 0;
    int64_t chaseSteps = 0;
    int64_t chaseSearches = 0;
    int64_t searchesAtStart = bench.Searches();
    BenchAllocations::Reset();
    for (auto _ : state) {
        for (size_t i = 0; i < bench.monsters.size(); ++i) {
            before[i] = bench.monsters[i]->pathSearches;
            chasing[i] = !bench.monsters[i]->IsDead() && bench.monsters[i]->GetCurrentTarget() != nullptr;
        }
        BenchAllocations::SetCounting(true);
        auto begin = std::chrono::steady_clock::now();
        bench.Step();
        auto end = std::chrono::steady_clock::now();
        BenchAllocations::SetCounting(false);
        if (micros.size() < micros.capacity())
            micros.push_back(std::chrono::duration<double, std::micro>(end - begin).count());
        for (size_t i = 0; i < bench.monsters.size(); ++i) {
            if (!chasing[i])
                continue;
            ++chaseSteps;
            chaseSearches += bench.monsters[i]->pathSearches - before[i];
        }
        actorSteps += static_cast<int64_t>(bench.monsters.size());
    }
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    auto at = [&](double fraction) { return micros[static_cast<size_t>(fraction * static_cast<double>(micros.size() - 1))]; };
    double steps = static_cast<double>(micros.size());
    state.counters["step_median_us"] = at(0.5);
    state.counters["step_p99_us"] = at(0.99);
    state.counters["searches_per_actor_step"] =
        static_cast<double>(bench.Searches() - searchesAtStart) / static_cast<double>(std::max<int64_t>(actorSteps, 1));
    state.counters["chase_searches_per_actor_step"] =
        static_cast<double>(chaseSearches) / static_cast<double>(std::max<int64_t>(chaseSteps, 1));
    state.counters["chasing_share"] = static_cast<double>(chaseSteps) / static_cast<double>(std::max<int64_t>(actorSteps, 1));
    state.counters["allocations_per_step"] = static_cast<double>(BenchAllocations::Count()) / steps;
    state.counters["event_records"] = static_cast<double>(bench.events.GetRecordCount());
}

BENCHMARK(ActorChase)->Arg(50)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond)->Iterations(BenchIterations(600));

} // namespace
