// DatabaseBench -- loading a generated 20,000-record game database through the file system, and field reads.
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "platform/PosixFileSystem.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kRecords = 20000;
constexpr int kDatabaseFiles = 4;
constexpr int kTemplates = 100;

const char* const kTypes[] = {"Item", "Actor", "Skill", "StatusEffect", "MonsterType", "Object"};

// Records shaped like game data: a template each, a dozen keys, lists and quoted texts.
std::string MakeRecords(int first, int count)
{
    std::string text = "// generated\n";
    for (int i = first; i < first + count; ++i) {
        text += "Record" + std::to_string(i) + "\n{\n";
        text += "    Base Template" + std::to_string(i % kTemplates) + "\n";
        text += "    Name \"Record number " + std::to_string(i) + "\"\n";
        text += "    Level " + std::to_string(i % 50) + "\n";
        text += "    MinDamage " + std::to_string(i % 7) + "\n    MaxDamage " + std::to_string(i % 13) + "\n";
        text += "    Speed 1." + std::to_string(i % 10) + "\n    Radius 0.75\n";
        text += "    ModelName models/creature" + std::to_string(i % 40) + ".mdl\n";
        text += "    LightColor 1 0.5 0.25\n";
        text += "    Skill Strike\n    Skill Parry\n    Skill Dash\n";
        text += "    Description \"A generated record, long enough to be a real tooltip line.\"\n}\n";
    }
    return text;
}

std::string MakeTemplates()
{
    std::string text;
    for (int i = 0; i < kTemplates; ++i) {
        text += "Template" + std::to_string(i) + "\n{\n    Type " + kTypes[i % 6] + "\n    BaseOnly 1\n";
        text += "    Armor " + std::to_string(i) + "\n    Skill Rest\n}\n";
    }
    return text;
}

void WriteDatabaseFile(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A game folder holding the generated database, removed when the benchmark ends.
class GeneratedGame {
public:
    GeneratedGame()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "emberlode-bench-XXXXXX").string();
        root = mkdtemp(pattern.data()) ? pattern : std::string();
        std::filesystem::path database = std::filesystem::path(root) / "Assets" / "Database";
        std::string list = "templates.dbr\n";
        WriteDatabaseFile(database / "templates.dbr", MakeTemplates());
        for (int file = 0; file < kDatabaseFiles; ++file) {
            std::string name = "records" + std::to_string(file) + ".dbr";
            WriteDatabaseFile(database / name, MakeRecords(file * (kRecords / kDatabaseFiles), kRecords / kDatabaseFiles));
            list += name + "\n";
        }
        WriteDatabaseFile(database / "database.dbl", list);
    }

    ~GeneratedGame()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    std::string root;
};

struct DatabaseBenchWorld {
    DatabaseBenchWorld() : files(game.root)
    {
        files.SetRootFolders("Assets");
        gDebugSystem = &debug;
        gFileSystem = &files;
    }
    ~DatabaseBenchWorld() { gFileSystem = nullptr; }

    DebugSystem debug;
    GeneratedGame game;
    PosixFileSystem files;
};

void DatabaseLoad20000(benchmark::State& state)
{
    DatabaseBenchWorld world;
    Database database;
    for (auto _ : state) {
        database.Load();
        benchmark::DoNotOptimize(database.GetEntryCount());
    }
    if (database.GetEntryCount() != kRecords + kTemplates)
        state.SkipWithError("the generated database did not load whole");
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * database.GetEntryCount());
}

void DatabaseFieldReads(benchmark::State& state)
{
    DatabaseBenchWorld world;
    Database database;
    database.Load();
    std::vector<std::string> skills;
    int64_t sum = 0;
    for (auto _ : state) {
        for (int i = 0; i < kRecords; i += 10) {
            const DatabaseEntry* entry = database.FindEntryByName("Record" + std::to_string(i));
            sum += entry->GetInt("Level") + entry->GetInt("Armor");
            sum += static_cast<int64_t>(entry->GetFloat("Speed", 0.0f));
            entry->GetStringList("Skill", skills, true, false);
            sum += static_cast<int64_t>(skills.size());
        }
    }
    benchmark::DoNotOptimize(sum);
    // One item is one record: a name lookup, three field reads and one list read.
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * (kRecords / 10));
}

} // namespace

BENCHMARK(DatabaseLoad20000)->Unit(benchmark::kMillisecond);
BENCHMARK(DatabaseFieldReads)->Unit(benchmark::kMillisecond);
