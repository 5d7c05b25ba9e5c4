// LocSystemBench -- translations per second of a nested token, and of a log line that holds none.
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "platform/PosixFileSystem.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A language of a few hundred texts in a folder of its own, removed when the bench ends.
class LocBenchWorld {
public:
    LocBenchWorld()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "emberlode-locbench-XXXXXX").string();
        folder = mkdtemp(pattern.data()) ? pattern : std::filesystem::temp_directory_path().string();
        std::filesystem::create_directories(folder + "/Assets/Loc");
        std::ofstream out(folder + "/Assets/Loc/English.loc", std::ios::binary);
        for (int i = 0; i < 300; ++i)
            out << "Filler" << i << " \"filler text " << i << "\"\n";
        out << "RequiresKeyXChest \"You need %1 to open this chest.\"\n"
               "CopperKey \"the $$Copper$$ key\"\n"
               "Copper \"copper\"\n"
               "QuestTitleKillMonsters \"Slay %1 %2 for $$GP$$\"\n"
               "GP \"gold\"\n";
        out.close();
        files = std::make_unique<PosixFileSystem>(folder);
        files->SetRootFolders("Assets");
        gFileSystem = files.get();
        loc.Load("English");
    }
    ~LocBenchWorld()
    {
        gFileSystem = nullptr;
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string folder;
    std::unique_ptr<PosixFileSystem> files;
    LocSystem loc;
};

void LocTranslateNestedToken(benchmark::State& state)
{
    LocBenchWorld world;
    const std::string text = "^c008" + MakeLocToken("RequiresKeyXChest", "$$%s$$", "CopperKey") + " "
        + MakeLocToken("QuestTitleKillMonsters", "%d %s", 5, "rats");
    for (auto _ : state)
        benchmark::DoNotOptimize(world.loc.Translate(text));
    state.SetItemsProcessed(state.iterations());
}

void LocTranslateNestedTokenWide(benchmark::State& state)
{
    LocBenchWorld world;
    const WString text = NarrowToWide(MakeLocToken("RequiresKeyXChest", "$$%s$$", "CopperKey"));
    for (auto _ : state)
        benchmark::DoNotOptimize(world.loc.Translate(text));
    state.SetItemsProcessed(state.iterations());
}

// Every log line passes through the translator, most of them without a token.
void LocTranslatePlainLogLine(benchmark::State& state)
{
    LocBenchWorld world;
    const std::string text = "Loaded 1234 resources from Models/creatures in 56 ms\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(world.loc.Translate(text));
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(LocTranslateNestedToken);
BENCHMARK(LocTranslateNestedTokenWide);
BENCHMARK(LocTranslatePlainLogLine);
