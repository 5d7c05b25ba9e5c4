// ShaderBench -- parsing every shipped ".sdr" file into shader definitions, from memory and through the file system.
#include "BenchGameFolder.h"
#include "core/DebugSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "resources/shaders/ShaderSystem.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadShippedShaders()
{
    std::vector<std::string> texts;
    std::filesystem::path folder = BenchGameFolder() / "Assets" / "Shaders";
    if (!std::filesystem::is_directory(folder))
        return texts;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".sdr")
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        texts.push_back(text.str());
    }
    return texts;
}

void ShaderParseShipped(benchmark::State& state)
{
    const std::vector<std::string> texts = ReadShippedShaders();
    if (texts.empty()) {
        state.SkipWithError("no shipped shader files found");
        return;
    }
    size_t bytes = 0;
    for (const std::string& text : texts)
        bytes += text.size();
    size_t definitions = 0;
    for (auto _ : state) {
        ShaderSystem system;
        for (const std::string& text : texts)
            system.ParseShaderText(text.data(), text.size());
        definitions = system.GetDefinitionCount();
        benchmark::DoNotOptimize(definitions);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * definitions));
    state.counters["shaders"] = static_cast<double>(definitions);
}
BENCHMARK(ShaderParseShipped);

// The start-up road: the folder listed, every file read and parsed.
void ShaderLoadShippedFiles(benchmark::State& state)
{
    std::filesystem::path game = BenchGameFolder();
    std::filesystem::path user = std::filesystem::temp_directory_path() / "emberlode_shader_bench";
    DebugSystem debug;
    gDebugSystem = &debug;
    PosixPlatformSystem platform(user.string());
    gPlatformSystem = &platform;
    PosixFileSystem files(game.string());
    files.SetRootFolders("Assets");
    gFileSystem = &files;
    size_t definitions = 0;
    for (auto _ : state) {
        ShaderSystem system;
        system.LoadShaderFiles();
        definitions = system.GetDefinitionCount();
        benchmark::DoNotOptimize(definitions);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * definitions));
    gFileSystem = nullptr;
    gPlatformSystem = nullptr;
    gDebugSystem = nullptr;
    std::filesystem::remove_all(user);
}
BENCHMARK(ShaderLoadShippedFiles);

} // namespace
