// LevelBench -- level generation per shipped area and for synthetic area files up to the attempt cap, and cell questions per second.
#include "BenchGameFolder.h"
#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "resources/ResourceManager.h"
#include "resources/device/NullGraphicsDevice.h"
#include "resources/models/ModelResourceTypes.h"
#include "resources/shaders/ShaderSystem.h"
#include "resources/textures/TextureResource.h"
#include "rules/GameData.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/LevelCells.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The shipped game seen through a folder of its own: "Assets" and the archive are links to the
// shipped ones, and the synthetic area files go to the user folder, which is read first.
class LevelBenchWorld {
public:
    LevelBenchWorld()
        : folder(fs::temp_directory_path() / "emberlode-levelbench"), platform((folder / "User").string()),
          files(PrepareFolder(folder))
    {
        gDebugSystem = &debug;
        gPlatformSystem = &platform;
        files.SetRootFolders("Assets");
        ready = files.MountArchive("assets001.zip");
        gFileSystem = &files;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gColorSystem = &colors;
        device = std::make_unique<NullGraphicsDevice>();
        gGraphicsDevice = device.get();
        device->RegisterVars();
        manager = std::make_unique<ResourceManager>();
        gResourceManager = manager.get();
        RegisterModelResourceTypes(*manager);
        manager->Init();
        TextureResource::RegisterTypes(*manager);
        shaders = std::make_unique<ShaderSystem>();
        gShaderSystem = shaders.get();
        shaders->Start();
        gDatabase = &database;
        database.Load();
        gGameData = &gameData;
        gameData.Load(database);
        gRandomSystem = &random;
        gWorld = &world;
        world.Create();
        World::RegisterResourceTypes();
    }

    ~LevelBenchWorld()
    {
        world.Destroy();
        areas.clear();
        manager->Shutdown();
        gWorld = nullptr;
        gRandomSystem = nullptr;
        gGameData = nullptr;
        gDatabase = nullptr;
        gShaderSystem = nullptr;
        shaders.reset();
        gResourceManager = nullptr;
        manager.reset();
        gGraphicsDevice = nullptr;
        gColorSystem = nullptr;
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gFileSystem = nullptr;
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
    }

    static std::string PrepareFolder(const fs::path& folder)
    {
        std::string linked = BenchLinkedGameFolder(folder);
        fs::create_directories(folder / "User" / "Levels");
        return linked;
    }

    void WriteArea(const std::string& name, const std::string& text)
    {
        std::ofstream(folder / "User" / name, std::ios::binary) << text;
    }

    // A level of a fresh area definition; MinBlocks as given, the shipped failure counts.
    Level& MakeLevel(const std::string& file, int32_t generator, int32_t minBlocks)
    {
        auto area = std::make_unique<AreaDefinition>();
        area->areaFileName = file;
        area->levelGenerator = generator;
        area->minBlocks = minBlocks;
        area->maxBlockFailures = 6;
        area->maxLevelFailures = 4;
        auto level = std::make_unique<Level>();
        level->area = area.get();
        areas.push_back(std::move(area));
        return *world.AddLevel(std::move(level));
    }

    fs::path folder;
    DebugSystem debug;
    PosixPlatformSystem platform;
    PosixFileSystem files;
    CommandSystem commands;
    UserVarSystem vars;
    ColorSystem colors;
    std::unique_ptr<NullGraphicsDevice> device;
    std::unique_ptr<ResourceManager> manager;
    std::unique_ptr<ShaderSystem> shaders;
    Database database;
    GameData gameData;
    RandomSystem random{1};
    std::vector<std::unique_ptr<AreaDefinition>> areas;
    World world;
    bool ready = false;
};

// A level's whole making: the grid from a new seed, then every block's cells.
void GenerateWithCells(Level& level, uint32_t seed, const LevelGeometry& geometry)
{
    level.seed = seed;
    level.data = std::make_unique<LevelData>(geometry);
    LevelGenerator::AddReference(level, kLevelReferenceActive);
    LevelGenerator::EnsureGenerated(level);
    for (int32_t by = 0; by < geometry.blocksPerColumn; ++by)
        for (int32_t bx = 0; bx < geometry.blocksPerRow; ++bx)
            benchmark::DoNotOptimize(LevelCells::IsCellBlocked(level, bx * geometry.CellsPerBlockX() + 1,
                                                                by * geometry.CellsPerBlockY() + 1));
    LevelGenerator::DropAllReferences(level);
}

void LevelGenerateShipped(benchmark::State& state)
{
    static const char* const kFiles[] = {"Levels/grasslands.ara", "Levels/caves.ara", "Levels/crypt.ara"};
    LevelBenchWorld world;
    if (!world.ready) {
        state.SkipWithError("the shipped game folder and its archive are needed");
        return;
    }
    int32_t kind = static_cast<int32_t>(state.range(0));
    Level& level = world.MakeLevel(kFiles[kind], kind, 12);
    level.area->maxBlockWidth = kind == 0 ? 0 : 8;
    level.area->maxBlockHeight = kind == 0 ? 0 : 8;
    // The file and its textures are loaded once, as a running game has them.
    ResourceHandle keep;
    world.manager->Load(kFiles[kind], keep);
    GenerateWithCells(level, 1, LevelGeometry::Current());
    uint32_t seed = 2;
    for (auto _ : state)
        GenerateWithCells(level, seed++ * 2654435761u, LevelGeometry::Current());
    state.SetLabel(kFiles[kind]);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(LevelGenerateShipped)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// count blocks with random corridor or closed sides, and one all-closed block.
std::string LevelBenchSyntheticArea(int32_t count)
{
    std::string text = "1 Textures/areas/dungeon/floor_stone_01.tga\n3 closed corridor levelBottleneck\n0\n";
    uint32_t state = 12345;
    for (int32_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        uint32_t bits = i == 0 ? 0 : (state >> 16) & 15;
        text += "block B 1 " + std::to_string(bits) + "\n{\n";
        for (int row = 0; row < 8; ++row)
            text += "0 0 0 0 0 0 0 0\n";
        for (int side = 0; side < 4; ++side)
            text += std::to_string((bits >> side) & 1) + (side < 3 ? " " : "\n");
        text += "}\n";
    }
    return text;
}

// Synthetic files of 20, 100 and 500 blocks on grids of 8 x 8 and 16 x 16 blocks; the worst case
// asks for more blocks than any grid holds, so every generation runs to the attempt cap.
void LevelGenerateSynthetic(benchmark::State& state)
{
    LevelBenchWorld world;
    if (!world.ready) {
        state.SkipWithError("the shipped game folder and its archive are needed");
        return;
    }
    int32_t blocks = static_cast<int32_t>(state.range(0));
    int32_t side = static_cast<int32_t>(state.range(1));
    bool worst = state.range(2) != 0;
    std::string file = "Levels/synthetic" + std::to_string(blocks) + ".ara";
    world.WriteArea(file, LevelBenchSyntheticArea(blocks));
    GameSystemTuning tuning = world.gameData.GetTuning();
    tuning.levelTileWidth = side * tuning.blockTileWidth;
    tuning.levelTileHeight = side * tuning.blockTileHeight;
    LevelGeometry geometry = LevelGeometry::FromTuning(tuning);
    Level& level = world.MakeLevel(file, 2, worst ? 1 << 30 : side * side / 4);
    ResourceHandle keep;
    world.manager->Load(file, keep);
    uint32_t seed = 1;
    for (auto _ : state)
        GenerateWithCells(level, seed++ * 2654435761u, geometry);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(LevelGenerateSynthetic)
    ->Args({20, 8, 0})->Args({100, 8, 0})->Args({500, 8, 0})
    ->Args({20, 16, 0})->Args({100, 16, 0})->Args({500, 16, 0})
    ->Args({100, 8, 1})->Args({100, 16, 1})
    ->Unit(benchmark::kMillisecond);

// One cell question on a generated cave level whose blocks are all built.
void LevelCellQueries(benchmark::State& state)
{
    LevelBenchWorld world;
    if (!world.ready) {
        state.SkipWithError("the shipped game folder and its archive are needed");
        return;
    }
    Level& level = world.MakeLevel("Levels/caves.ara", 1, 12);
    level.seed = 77;
    LevelGenerator::AddReference(level, kLevelReferenceActive);
    LevelGenerator::EnsureGenerated(level);
    LevelGeometry g = level.data->geometry;
    uint32_t cell = 0;
    for (auto _ : state) {
        cell = cell * 1664525u + 1013904223u;
        int32_t cx = static_cast<int32_t>((cell >> 8) % static_cast<uint32_t>(g.CellsAcross()));
        int32_t cy = static_cast<int32_t>((cell >> 20) % static_cast<uint32_t>(g.CellsDown()));
        benchmark::DoNotOptimize(LevelCells::IsCellBlocked(level, cx, cy));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(LevelCellQueries);

} // namespace
