// ResourceManagerBench -- 2,000 small text resources through the loader thread, from the asset folder and from an archive.
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "resources/Resource.h"
#include "resources/ResourceManager.h"

#include <benchmark/benchmark.h>
#include <minizip/zip.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kResourceFiles = 2000;

std::string FileName(const char* folder, int index)
{
    return std::string(folder) + "/t" + std::to_string(index) + ".txt";
}

std::string FileText(int index)
{
    return "text resource number " + std::to_string(index) + "\n" + std::string(static_cast<size_t>(100 + index % 200), 'x');
}

bool WriteArchive(const fs::path& path)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (int i = 0; i < kResourceFiles && ok; ++i) {
        std::string name = FileName("zipped", i);
        std::string text = FileText(i);
        zip_fileinfo info{};
        ok = zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                   Z_DEFAULT_COMPRESSION, 0) == ZIP_OK &&
             zipWriteInFileInZip(zip, text.data(), static_cast<unsigned>(text.size())) == ZIP_OK &&
             zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

// The engine systems the manager stands on, over a game folder made once for every run.
class ResourceManagerBenchWorld {
public:
    ResourceManagerBenchWorld()
    {
        std::string pattern = (fs::temp_directory_path() / "emberlode-resbench-XXXXXX").string();
        root = mkdtemp(pattern.data()) ? pattern : std::string();
        for (int i = 0; i < kResourceFiles; ++i) {
            fs::path path = fs::path(root) / "Assets" / FileName("loose", i);
            fs::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary) << FileText(i);
        }
        archiveWritten = WriteArchive(fs::path(root) / "assets001.zip");
        gDebugSystem = new DebugSystem();
        gPlatformSystem = new PosixPlatformSystem(root + "/User");
        auto* files = new PosixFileSystem(root);
        files->SetRootFolders("Assets");
        files->MountAssetArchives();
        gFileSystem = files;
        gCommandSystem = new CommandSystem();
        gUserVarSystem = new UserVarSystem();
    }
    ~ResourceManagerBenchWorld()
    {
        delete gUserVarSystem;
        delete gCommandSystem;
        delete gFileSystem;
        delete gPlatformSystem;
        delete gDebugSystem;
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    std::string root;
    bool archiveWritten = false;
};

ResourceManagerBenchWorld& ResourceManagerWorld()
{
    static ResourceManagerBenchWorld world;
    return world;
}

// Queues every file, then fetches each as a caller would; the fetches are the time the main
// thread spends blocked on the loader.
void LoadTextResources(benchmark::State& state, const char* folder)
{
    if (!ResourceManagerWorld().archiveWritten) {
        state.SkipWithError("could not build the archive");
        return;
    }
    double blockedSeconds = 0;
    double wallSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        gResourceManager = new ResourceManager();
        gResourceManager->Init();
        std::vector<ResourceHandle> handles(kResourceFiles);
        state.ResumeTiming();

        Clock::time_point start = Clock::now();
        for (int i = 0; i < kResourceFiles; ++i)
            gResourceManager->Load(FileName(folder, i), handles[static_cast<size_t>(i)]);
        Clock::time_point queued = Clock::now();
        uint64_t bytes = 0;
        for (const ResourceHandle& handle : handles)
            bytes += gResourceManager->Get(handle)->GetByteCount();
        Clock::time_point done = Clock::now();
        benchmark::DoNotOptimize(bytes);
        blockedSeconds += std::chrono::duration<double>(done - queued).count();
        wallSeconds += std::chrono::duration<double>(done - start).count();

        state.PauseTiming();
        handles.clear();
        delete gResourceManager;
        state.ResumeTiming();
    }
    state.counters["wall_ms"] = benchmark::Counter(wallSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["blocked_ms"] = benchmark::Counter(blockedSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kResourceFiles);
}

void ResourceManagerLoadFromFolder(benchmark::State& state)
{
    LoadTextResources(state, "loose");
}

void ResourceManagerLoadFromArchive(benchmark::State& state)
{
    LoadTextResources(state, "zipped");
}

} // namespace

BENCHMARK(ResourceManagerLoadFromFolder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ResourceManagerLoadFromArchive)->Unit(benchmark::kMillisecond)->UseRealTime();
