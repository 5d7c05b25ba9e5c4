// ActorBench -- one awake shipped monster's step against a player it hates (senses, target choice, the choice among eight skills, one behaviour), its median time and its allocations once settled.
#include "BenchDataWorld.h"
#include "BenchAllocations.h"
#include "entities/Actor.h"
#include "entities/BehaviorBase.h"
#include "entities/SkillList.h"
#include "world/Level.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr float kActorBenchStep = 0.05f;
constexpr const char* kActorBenchSkills[] = {"SkillWardenCleave",    "SkillWardenShieldBash", "SkillWardenHamstring",
                                             "SkillWardenAimedShot", "SkillWardenMend",       "SkillWardenStoneSkin",
                                             "SkillWardenWard"};

// Open ground and a finder that always finds a way without searching: the step is measured
// without path searches, and the monster and the player are enemies.
class ActorBenchGame : public BenchOpenGroundGame {
public:
    bool IsLevelGenerated(int32_t level) const override { return IsKnownLevel(level); }
    bool FindPath(const Entity&, const WorldPos&, const WorldPos&, const Entity*, PathRecord* path) override
    {
        if (path)
            path->count = 0;
        return true;
    }
    int32_t GetRelationship(const Entity* a, const Entity* b) const override { return a && b ? 0 : 2; }
};

// A behaviour that always runs and weighs its chance each step, as an attack behaviour does.
class ActorBenchBehavior : public BehaviorBase {
public:
    void InitFromData(const BehaviorBase&) override {}
    bool WantsToRun() override { return true; }
    bool ContinueRunning() override { return true; }
    void Think(float seconds) override { weight += seconds; }
    int32_t GetType() const override { return 2; }

    float weight = 0.0f;
};

class ActorBenchWorld : public BenchDataWorld {
public:
    ActorBenchWorld() : BenchDataWorld("emberlode-actorbench", 77)
    {
        Entity::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        world.SetLevelSize(4096.0f, 4096.0f);
        world.AddLevel(std::make_unique<Level>());
        gWorld = &world;
        game = std::make_unique<ActorBenchGame>();
        game->ResetLevels();
        gGameServices = game.get();
    }

    ~ActorBenchWorld()
    {
        game->Reset();
        game.reset();
        gGameServices = nullptr;
        gWorld = nullptr;
    }

    // The goblin shaman at level 10 with eight skills, awake, a player 80 units away.
    Actor* Prepare()
    {
        const MonsterType* type = gameData.FindMonsterType("MonsterGoblinShaman");
        if (!type)
            return nullptr;
        auto* actor = new Actor();
        actor->SetUpFromMonsterType(type, 10, false);
        for (const char* name : kActorBenchSkills)
            actor->LearnSkill(gameData.FindSkillDefinition(name));
        actor->AddBehavior(std::make_unique<ActorBenchBehavior>());
        actor->SetPosition({0, 2000.0f, 2000.0f, true});
        actor->SetActive(true);
        actor->mayGoInactive = false;
        if (game->AddEntity(actor) == -1)
            return nullptr;
        auto* player = new Sentient();
        player->maxHealth = player->health = 1000000;
        player->SetPosition({0, 2080.0f, 2000.0f, true});
        if (game->AddEntity(player) == -1)
            return nullptr;
        return actor;
    }

    World world;
    std::unique_ptr<ActorBenchGame> game;
};

void ActorStep(benchmark::State& state)
{
    ActorBenchWorld world;
    Actor* actor = world.Prepare();
    if (!actor) {
        state.SkipWithError("the shipped game folder is needed");
        return;
    }
    // The first steps find the player and size the lists the later steps reuse.
    for (int32_t i = 0; i < 200; ++i) {
        actor->Update(kActorBenchStep);
        world.game->UpdateTimedActions(kActorBenchStep);
    }
    if (!actor->GetCurrentTarget()) {
        state.SkipWithError("the monster found no target");
        return;
    }
    BenchAllocations::Reset();
    int64_t steps = 0;
    for (auto _ : state) {
        BenchAllocations::SetCounting(true);
        actor->Update(kActorBenchStep);
        // Its swings and skills arrive as timed actions; delivered, their events go back to the
        // pool the next ones are taken from, as in the game's own step.
        world.game->UpdateTimedActions(kActorBenchStep);
        BenchAllocations::SetCounting(false);
        ++steps;
    }
    state.counters["skills"] = static_cast<double>(actor->skillList->GetSkills().size());
    state.counters["allocations_per_step"] =
        steps ? static_cast<double>(BenchAllocations::Count()) / static_cast<double>(steps) : 0.0;
}

} // namespace

BENCHMARK(ActorStep)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
