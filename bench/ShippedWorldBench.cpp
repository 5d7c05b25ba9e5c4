// ShippedWorldBench -- the world host's own steady step in the shipped game: a seeded new world, the player down in one of its dungeons trading blows with goblins of the host's own making; the host's share of each frame (median, p99), its allocations after the warm-up, the peaks of its pooled records, and the warnings and errors the run logged.
#include "BenchAllocations.h"
#include "BenchIterations.h"
#include "BenchShippedGame.h"
#include "SwappableApplication.h"

#include "app/Application.h"
#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/EventSystem.h"
#include "core/RandomSystem.h"
#include "entities/Player.h"
#include "entities/StatusEffect.h"
#include "platform/PosixPlatformSystem.h"
#include "platform/PosixTimerSystem.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kShippedWorldSeed = 20261207;
constexpr int kShippedWorldMonsters = 30;
// Two minutes of game time at the host's 50 ms steps before anything is counted: every pool
// has met the fight's busiest moment by then.
constexpr int kShippedWorldWarmFrames = 2400;
constexpr uint32_t kShippedWorldFrameMs = 50;

// The whole program without a window; counting is on only in the host's three parts of a frame.
class ShippedWorld {
public:
    ShippedWorld() : folder(BenchShippedGameFolder("emberlode-shippedworldbench"))
    {
        // A clock the benchmark moves by one host step a frame, and no sleep between frames.
        InstallBenchSystems(app, folder, DisplayChoice::kHeadless, &now);
        gApplication = &app;
        started = app.StartUp();
        // Each hook runs at the end of its step: the tick, then the client's receive and update,
        // the host's steps, the draw, the frame's end. The host's parts are counted and timed.
        const std::array<FrameStep, 5> ends = {FrameStep::WorldHostTick, FrameStep::ClientUpdate, FrameStep::ServerFrame,
                                               FrameStep::ClientDraw, FrameStep::ServerFrameEnd};
        for (size_t i = 0; i < ends.size(); ++i) {
            bool hostNext = i == 1 || i == 3;
            app.AddFrameHook(ends[i], [this, i, hostNext](uint32_t) {
                marks[i] = Clock::now();
                BenchAllocations::SetCounting(hostNext && countHost);
            });
        }
    }

    ~ShippedWorld()
    {
        app.ShutDown();
        std::error_code error;
        fs::remove_all(folder, error);
    }

    // A seeded new game through the console's own command, run until the host has the player.
    bool EnterTheWorld()
    {
        if (!started)
            return false;
        gRandomSystem->Seed(kShippedWorldSeed);
        if (!ExecuteCommandLine("start both"))
            return false;
        for (int i = 0; i < 400 && !BenchHostPlayer(); ++i)
            app.RunFrame();
        return BenchHostPlayer() != nullptr;
    }

    // The player warped to the first dungeon level and run until that level is made.
    bool GoDownIntoADungeon()
    {
        int32_t dungeon = BenchFirstDungeonLevel();
        if (dungeon == -1)
            return false;
        BenchHostPlayer()->Warp(gGame->GetStartPosition(dungeon));
        auto arrived = [dungeon] { return gWorld->IsLevelGenerated(dungeon) && BenchHostPlayer()->position.level == dungeon; };
        for (int i = 0; i < 400 && !arrived(); ++i)
            app.RunFrame();
        return arrived();
    }

    // Goblins of the host's own making in a ring round the player.
    int PlaceGoblins()
    {
        const DatabaseEntry* goblin = gDatabase->FindEntryByName("MonsterGoblinScout");
        Player* player = BenchHostPlayer();
        for (int i = 0; i < kShippedWorldMonsters && goblin; ++i) {
            Entity* monster = gGame->MakeMonster(nullptr, goblin, 1, 0);
            if (!monster)
                break;
            float angle = 6.2831853f * static_cast<float>(i) / kShippedWorldMonsters;
            monster->SetPosition(player->position.Offset(Vector2{std::cos(angle) * 140.0f, std::sin(angle) * 140.0f}));
            if (gGame->AddEntity(monster) == -1) {
                delete monster;
                break;
            }
            goblins.emplace_back(monster);
        }
        return static_cast<int>(goblins.size());
    }

    // Between frames, as a player leaning on the attack key would: the nearest goblin struck at
    // whenever the last swing is done; nobody falls, so the fight never ends.
    void KeepFighting()
    {
        Player* player = BenchHostPlayer();
        player->health = player->maxHealth;
        Entity* nearest = nullptr;
        for (const SafePointer& pointer : goblins) {
            auto* goblin = pointer.GetAs<Entity>();
            if (!goblin)
                continue;
            goblin->health = std::max(goblin->health, goblin->maxHealth);
            if (!nearest || player->position.Distance2D(goblin->position) < player->position.Distance2D(nearest->position))
                nearest = goblin;
        }
        player->SetSelectedTarget(nearest);
        if (nearest && !player->TraitP())
            player->Attack();
    }

    void Frame()
    {
        KeepFighting();
        frameStart = Clock::now();
        BenchAllocations::SetCounting(countHost);
        now += kShippedWorldFrameMs;
        app.RunFrame();
        BenchAllocations::SetCounting(false);
        peakRecords = std::max(peakRecords, gEventSystem->GetRecordCount() - gEventSystem->GetPooledCount());
        size_t carried = 0;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            if (const auto* sentient = dynamic_cast<const Sentient*>(gGame->GetEntity(number)))
                carried += sentient->GetStatusEffects().size();
        peakEffects = std::max(peakEffects, carried);
    }

    // The host's part of the last frame: its tick, its steps and the frame's end.
    double HostMs() const
    {
        return Ms(frameStart, marks[0]) + Ms(marks[1], marks[2]) + Ms(marks[3], marks[4]);
    }

    // The warning and error lines the run has logged so far.
    int CountLoggedProblems() const
    {
        gDebugSystem->Flush();
        std::ifstream log(fs::path(folder) / "User" / "log.txt");
        std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
        int count = 0;
        for (const char* mark : {"^c001", "^c005"})
            for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1))
                ++count;
        return count;
    }

    static double Ms(Clock::time_point from, Clock::time_point to)
    {
        return std::chrono::duration<double, std::milli>(to - from).count();
    }

    bool countHost = false;
    std::string folder;
    SwappableApplication app;
    bool started = false;
    uint64_t now = 0;
    std::vector<SafePointer> goblins;
    Clock::time_point frameStart;
    std::array<Clock::time_point, 5> marks{};
    size_t peakRecords = 0;
    size_t peakEffects = 0;
};

void ShippedWorldFight(benchmark::State& state)
{
    ShippedWorld world;
    if (!world.EnterTheWorld() || !world.GoDownIntoADungeon()) {
        state.SkipWithError("the shipped game did not start or has no dungeon");
        return;
    }
    if (world.PlaceGoblins() != kShippedWorldMonsters) {
        state.SkipWithError("the goblins were not all placed");
        return;
    }
    BenchHostPlayer()->flags |= EntityFlag::Invulnerable;
    for (int i = 0; i < kShippedWorldWarmFrames; ++i)
        world.Frame();
    std::vector<double> hostMs;
    BenchAllocations::Reset();
    world.countHost = true;
    for (auto _ : state) {
        world.Frame();
        hostMs.push_back(world.HostMs());
    }
    world.countHost = false;
    if (hostMs.empty())
        return;
    std::sort(hostMs.begin(), hostMs.end());
    auto at = [&](double fraction) { return hostMs[static_cast<size_t>(fraction * static_cast<double>(hostMs.size() - 1))]; };
    state.counters["host_median_ms"] = at(0.5);
    state.counters["host_p99_ms"] = at(0.99);
    state.counters["allocations_per_frame"] = static_cast<double>(BenchAllocations::Count()) / static_cast<double>(hostMs.size());
    state.counters["peak_event_records_in_use"] = static_cast<double>(world.peakRecords);
    state.counters["peak_effects_carried"] = static_cast<double>(world.peakEffects);
    state.counters["logged_problems"] = world.CountLoggedProblems();
}

} // namespace

BENCHMARK(ShippedWorldFight)->Unit(benchmark::kMillisecond)->Iterations(BenchIterations(1200));
