// GameSurroundingsBench -- the step's exploration around the players: per player and step, on explored levels and on a level still waiting to be generated, with "SpawnSteps" 5 and 10.
#include "BenchAllocations.h"
#include "BenchDataWorld.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "server/spawn/SpawnSystem.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr float kSurroundingsLevelSize = 4096.0f;
constexpr int32_t kSurroundingsLevels = 3;
constexpr int32_t kSurroundingsPlayers = 4;

// A game folder of its own whose one record gives the steps asked for.
std::string SurroundingsGameFolder(int32_t steps)
{
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("emberlode_surroundings_bench_" + std::to_string(steps));
    std::filesystem::create_directories(folder / "Assets" / "Database");
    std::ofstream(folder / "Assets" / "Database" / "database.dbl") << "rules.dbr\n";
    std::ofstream(folder / "Assets" / "Database" / "rules.dbr")
        << "GameSystem\n{\n    LevelTileWidth 64\n    LevelTileHeight 64\n    TileSize 64\n    GridSize 32 32\n"
        << "    SpawnSteps " << steps << "\n    SpawnStepDistance 32\n}\n";
    return folder.string();
}

class SurroundingsWorld : public BenchDataWorld {
public:
    SurroundingsWorld(int32_t steps, bool explored)
        : BenchDataWorld("emberlode_surroundings_user", 77, SurroundingsGameFolder(steps))
    {
        Entity::RegisterEventClass(events, types);
        Sentient::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        BenchLevelsInARow(world, kSurroundingsLevelSize, kSurroundingsLevels);
        gWorld = &world;
        game = std::make_unique<BenchOpenGroundGame>();
        game->ResetLevels();
        gGame = game.get();
        gGameServices = game.get();
        gSpawnSystem = &spawn;
        game->SetWorldRunning();
        const GameSystemTuning& tuning = gameData.GetTuning();
        int32_t cells = tuning.cellsPerLevelX * tuning.cellsPerLevelY;
        for (int32_t level = 0; explored && level < kSurroundingsLevels; ++level)
            for (int32_t cell = 0; cell < cells; ++cell)
                game->SetCellExplored(level, cell);
        // Players spread over the middle level; one stands at its edge so that probes cross.
        for (int32_t i = 0; i < kSurroundingsPlayers; ++i) {
            auto* player = new Player();
            player->SetCharacterFlag(CharacterFlag::kTutorialOver, true);
            float x = i == 0 ? 4090.0f : 500.0f + 900.0f * static_cast<float>(i);
            player->SetPosition({1, x, 1000.0f + 700.0f * static_cast<float>(i), true});
            game->AddEntity(player);
            players.push_back(player);
        }
    }

    ~SurroundingsWorld()
    {
        game->Reset();
        game.reset();
        gSpawnSystem = nullptr;
        gGameServices = nullptr;
        gGame = nullptr;
        gWorld = nullptr;
    }

    // The players walk a cell's width each step, back and forth, as they would in play.
    void Walk(int32_t step)
    {
        float dx = (step / 64) % 2 == 0 ? 32.0f : -32.0f;
        for (Player* player : players) {
            WorldPos next = player->position;
            next.x += dx;
            next.Normalize();
            player->SetPosition(next);
        }
    }

    World world;
    std::unique_ptr<Game> game;
    SpawnSystem spawn;
    std::vector<Player*> players;
};

// Argument 0: "SpawnSteps"; argument 1: 1 on explored levels, 0 on levels not generated yet
// (every probe asks the filler and is refused). Time per player and step.
void BM_GameSurroundings(benchmark::State& state)
{
    SurroundingsWorld world(static_cast<int32_t>(state.range(0)), state.range(1) != 0);
    if (world.game->GetSpawnSteps() != state.range(0)) {
        state.SkipWithError("the record's SpawnSteps was not read");
        return;
    }
    int32_t step = 0;
    for (int32_t i = 0; i < 200; ++i)
        world.game->UpdatePlayerSurroundings(0.05f);
    BenchAllocations::Reset();
    BenchAllocations::SetCounting(true);
    for (auto _ : state) {
        state.PauseTiming();
        world.Walk(step++);
        state.ResumeTiming();
        world.game->UpdatePlayerSurroundings(0.05f);
    }
    BenchAllocations::SetCounting(false);
    int64_t probes = (2 * state.range(0) + 1) * (2 * state.range(0) + 1);
    state.counters["time_per_player_step"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kSurroundingsPlayers,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
    state.counters["probes_per_player"] = static_cast<double>(probes);
    state.counters["allocs_per_step"] =
        static_cast<double>(BenchAllocations::Count()) / static_cast<double>(std::max<int64_t>(1, state.iterations()));
}

} // namespace

BENCHMARK(BM_GameSurroundings)->Args({5, 1})->Args({10, 1})->Args({5, 0})->Args({10, 0})->Unit(benchmark::kMicrosecond);
