// WorldBench -- reading and laying out the shipped adventure at its largest size, as both halves do when a game starts.
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "rules/GameData.h"
#include "world/World.h"
#include "world/WorldSize.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path WorldBenchGameFolder()
{
    if (const char* folder = std::getenv("EMBERLODE_GAME_DIR"))
        return folder;
    return fs::path(__FILE__).parent_path().parent_path() / "game";
}

// The shipped database over the game folder, read once; the log goes to a temporary folder.
class WorldBenchGame {
public:
    WorldBenchGame()
        : platform((fs::temp_directory_path() / "emberlode-worldbench").string()),
          files(WorldBenchGameFolder().string())
    {
        gDebugSystem = &debug;
        gPlatformSystem = &platform;
        files.SetRootFolders("Assets");
        gFileSystem = &files;
        gDatabase = &database;
        database.Load();
        gGameData = &gameData;
        gameData.Load(database);
        gRandomSystem = &random;
        gWorld = &world;
        world.Create();
    }

    ~WorldBenchGame()
    {
        world.Destroy();
        gWorld = nullptr;
        gRandomSystem = nullptr;
        gGameData = nullptr;
        gDatabase = nullptr;
        gFileSystem = nullptr;
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
    }

    // The size with the most cells of the shipped adventure; -1 when it cannot be read.
    int32_t LargestSizeEntry() const
    {
        const DatabaseEntry* adventure = database.FindEntryByName("World");
        if (!adventure)
            return -1;
        std::vector<std::string> names;
        adventure->GetStringList("WorldSize", names, true, false);
        int32_t best = -1;
        int32_t bestCells = -1;
        for (const std::string& name : names) {
            const DatabaseEntry* entry = database.FindEntryByName(name);
            if (!entry)
                continue;
            WorldSize size = WorldSize::FromEntry(*entry);
            if (size.width * size.height > bestCells) {
                bestCells = size.width * size.height;
                best = entry->GetId();
            }
        }
        return best;
    }

    DebugSystem debug;
    PosixPlatformSystem platform;
    PosixFileSystem files;
    Database database;
    GameData gameData;
    RandomSystem random{2026};
    World world;
};

// One whole read per iteration, each with a new layout seed: sections, areas, links, joins,
// seeds, gates and monster levels, then the secret and treasure levels.
void WorldReadLargestSize(benchmark::State& state)
{
    WorldBenchGame game;
    int32_t entry = game.LargestSizeEntry();
    if (entry < 0) {
        state.SkipWithError("the shipped game folder is needed");
        return;
    }
    game.world.SetSelectedSizeEntry(entry);
    uint32_t seed = 1;
    int64_t levels = 0;
    for (auto _ : state) {
        game.world.SetLayoutSeed(seed++);
        game.world.SetSecretSeed(seed);
        game.world.ReadFromDatabase("World", 0);
        game.world.CreateSecretLevels();
        levels += game.world.GetLevelCount();
    }
    state.SetLabel(game.world.GetSelectedSize() ? game.world.GetSelectedSize()->name : "");
    state.counters["levels"] = benchmark::Counter(static_cast<double>(levels), benchmark::Counter::kAvgIterations);
}
BENCHMARK(WorldReadLargestSize)->Unit(benchmark::kMicrosecond);

} // namespace
