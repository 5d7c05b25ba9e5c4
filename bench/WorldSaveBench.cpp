// WorldSaveBench -- the world save of a shipped world filling its 1,500 entity slots but for the room its quests take again (chests, doors, torches, triggers, gates and plain objects) and ten quests: writing it through a temporary file, and reading it back into a fresh game.
#include "BenchDataWorld.h"
#include "core/DatabaseEntry.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/quests/QuestDefinition.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "server/spawn/SpawnSystem.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kWorldSaveBenchEntities = 1500;
// Slots left free for what the quests place again when they are read back (a recruit, a
// chest): in a full table that would overflow and pass over the last records.
constexpr int32_t kWorldSaveBenchQuestRoom = 10;
constexpr int32_t kWorldSaveBenchQuests = 10;

// The shipped records and adventure; saves go to a folder of the benchmark's own.
class WorldSaveBenchWorld : public BenchDataWorld {
public:
    WorldSaveBenchWorld()
        : BenchDataWorld("emberlode-worldsavebench", 51),
          userFiles((std::filesystem::temp_directory_path() / "emberlode-worldsavebench").string())
    {
        userFiles.SetRootFolders("Assets");
        Entity::RegisterEventClass(events, types);
        Sentient::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        gWorld = &world;
        world.Create();
        MakeGame();
        spawn.Load();
        gSpawnSystem = &spawn;
        gFileSystem = &userFiles;
        // Each object's model names its record, as the model files' "ObjectType" lines do.
        spawn.GetLevelFiller().SetModelObjectTypeLookup([this](std::string_view model) {
            auto found = modelRecords.find(std::string(model));
            return found == modelRecords.end() ? std::string() : found->second;
        });
    }

    ~WorldSaveBenchWorld()
    {
        game->Reset();
        game.reset();
        gSpawnSystem = nullptr;
        gGame = nullptr;
        gGameServices = nullptr;
        world.Destroy();
        gWorld = nullptr;
        gFileSystem = &files;
    }

    void MakeGame()
    {
        if (game)
            game->Reset();
        game.reset();
        game = std::make_unique<BenchOpenGroundGame>();
        gGameServices = game.get();
        gGame = game.get();
    }

    // The shipped object records the level files place, each shown by a model of its own
    // name; false when none is there.
    bool FindRecords()
    {
        for (const char* name : {"Prop", "Torch", "ChestTemplate", "Lever"})
            if (const DatabaseEntry* entry = database.FindEntryByName(name);
                entry && !entry->GetString("ObjectType").empty()) {
                std::string model = "bench/" + std::string(name) + ".mdl";
                modelRecords[model] = name;
                models.push_back(model);
            }
        return !models.empty();
    }

    // A new world with its first player, the objects spread over its levels and ten quests.
    void Fill()
    {
        game->NewWorld(0, 0, 0, 0);
        // The town stands as the world host makes it: a load builds it again.
        if (game->GetTownNpcSlotCount() == 0)
            game->CreateTownNpcs();
        auto* player = new Player();
        game->AddEntity(player);
        LevelFiller& filler = spawn.GetLevelFiller();
        float size = world.GetLevelWidth();
        for (int32_t i = 0; game->CountEntities() < kWorldSaveBenchEntities - kWorldSaveBenchQuestRoom &&
                            i < 4 * kWorldSaveBenchEntities;
             ++i) {
            WorldPos place;
            place.level = i % world.GetLevelCount();
            place.x = static_cast<float>((i * 97) % 1000) / 1000.0f * size;
            place.y = static_cast<float>((i * 61) % 1000) / 1000.0f * size;
            filler.RestoreLevelObject(place, i % 8, models[static_cast<size_t>(i) % models.size()]);
        }
        // The world's own objects (its gates) are looked up by their models the same way.
        for (int32_t number = 0; number < Game::kMaxEntities; ++number)
            if (const Entity* entity = game->GetEntity(number); entity && entity->GetEntry() && !entity->modelName.empty())
                modelRecords.emplace(entity->modelName, std::string(entity->GetEntry()->GetName()));
        std::vector<std::string> names;
        for (const auto& definition : gameData.GetQuestDefinitions())
            if (definition && definition->GetEntry())
                names.emplace_back(definition->GetEntry()->GetName());
        auto& list = game->GetQuests().GetList();
        for (int32_t slot = 0; slot < kWorldSaveBenchQuests && !names.empty(); ++slot) {
            auto quest = std::make_unique<Quest>(&game->GetQuests());
            quest->Setup(database.FindEntryByName(names[static_cast<size_t>(slot) % names.size()]), 5,
                         0x100u + static_cast<uint32_t>(slot), 0, game->GetElapsed());
            quest->questId = slot;
            list.push_back(std::move(quest));
        }
    }

    PosixFileSystem userFiles;
    World world;
    std::unique_ptr<BenchOpenGroundGame> game;
    SpawnSystem spawn;
    std::map<std::string, std::string> modelRecords;
    std::vector<std::string> models;
};

size_t WorldSaveBenchBytes()
{
    FileBuffer bytes = gFileSystem->LoadWholeFile("chars/bench.wld", kLocationUser);
    return bytes.Size();
}

// The whole file built and committed: temporary file, fsync and rename.
void WorldSaveWrite(benchmark::State& state)
{
    WorldSaveBenchWorld bench;
    if (!bench.spawn.IsLoaded() || !bench.FindRecords()) {
        state.SkipWithError("the shipped game folder is needed");
        return;
    }
    bench.Fill();
    for (auto _ : state)
        if (!bench.game->SaveWorld("Bench"))
            state.SkipWithError("the world was not saved");
    state.counters["entities"] = static_cast<double>(bench.game->CountEntities());
    state.counters["bytes"] = static_cast<double>(WorldSaveBenchBytes());
}
BENCHMARK(WorldSaveWrite)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same file read back into a fresh game each time: the world rebuilt, the quests restored,
// every entity made again.
void WorldSaveLoad(benchmark::State& state)
{
    WorldSaveBenchWorld bench;
    if (!bench.spawn.IsLoaded() || !bench.FindRecords()) {
        state.SkipWithError("the shipped game folder is needed");
        return;
    }
    bench.Fill();
    bench.game->SaveWorld("Bench");
    int32_t loaded = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench.MakeGame();
        state.ResumeTiming();
        if (bench.game->LoadWorld("Bench") != Game::WorldLoadResult::Loaded)
            state.SkipWithError("the world was not loaded");
        loaded = bench.game->CountEntities();
    }
    state.counters["entities"] = static_cast<double>(loaded);
    // A world whose records stop early measures nothing worth a figure.
    if (loaded + 1 < kWorldSaveBenchEntities - kWorldSaveBenchQuestRoom)
        state.SkipWithError("the entity records stopped before the last one (see the log)");
    state.counters["bytes"] = static_cast<double>(WorldSaveBenchBytes());
}
BENCHMARK(WorldSaveLoad)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
