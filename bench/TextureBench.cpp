// TextureBench -- 200 generated textures loaded through the resource manager from Targa files and from both caches.
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "resources/ResourceManager.h"
#include "resources/device/NullGraphicsDevice.h"
#include "resources/textures/ImageWriter.h"
#include "resources/textures/TextureCtx.h"
#include "resources/textures/TextureResource.h"
#include "resources/textures/TextureRtx.h"

#include <benchmark/benchmark.h>

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

constexpr int kTextures = 200;
constexpr int kSide = 128;

void WriteTextureFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// Smooth colour fields with a little grain, half opaque and half with alpha, as tiles and sprites are.
std::vector<uint8_t> TexturePixels(int index, int bytesPerPixel)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(kSide) * kSide * bytesPerPixel);
    uint32_t grain = 2463534242u + static_cast<uint32_t>(index);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            grain ^= grain << 13;
            grain ^= grain >> 17;
            grain ^= grain << 5;
            uint8_t* pixel = &pixels[(static_cast<size_t>(y) * kSide + x) * bytesPerPixel];
            pixel[0] = static_cast<uint8_t>(x * 2 + index + (grain & 7));
            pixel[1] = static_cast<uint8_t>(y * 2 + (grain >> 8 & 7));
            pixel[2] = static_cast<uint8_t>((x + y) + index * 3);
            if (bytesPerPixel == 4)
                pixel[3] = static_cast<uint8_t>(255 - ((x - 64) * (x - 64) + (y - 64) * (y - 64)) / 32);
        }
    }
    return pixels;
}

// The engine systems the manager and the textures stand on, over a folder of textures made
// once; installed into the engine's pointers only while a benchmark runs.
class TextureBenchWorld {
public:
    TextureBenchWorld()
    {
        std::string pattern = (fs::temp_directory_path() / "emberlode-texbench-XXXXXX").string();
        root = mkdtemp(pattern.data()) ? pattern : std::string();
        for (int i = 0; i < kTextures; ++i) {
            int bytesPerPixel = i % 2 == 0 ? 3 : 4;
            std::vector<uint8_t> pixels = TexturePixels(i, bytesPerPixel);
            fs::path base = fs::path(root) / "Assets" / ("Textures/t" + std::to_string(i));
            WriteTextureFile(base.string() + ".tga", EncodeTga(kSide, kSide, bytesPerPixel, pixels.data()));
            TextureRtx chain;
            chain.SetSource(pixels.data(), kSide, kSide, bytesPerPixel);
            chain.BuildMipChain();
            WriteTextureFile(base.string() + ".rtx", chain.Encode());
            DxtMode mode = bytesPerPixel == 3 ? DxtMode::kDxt1 : DxtMode::kDxt5;
            WriteTextureFile(base.string() + ".ctx", TextureCtx::Encode(chain.GetChain(), kSide, kSide, chain.GetLevelCount(),
                                                                 bytesPerPixel, mode));
        }
        platform = std::make_unique<PosixPlatformSystem>(root + "/User");
        files = std::make_unique<PosixFileSystem>(root);
        files->SetRootFolders("Assets");
    }
    ~TextureBenchWorld()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    std::string root;
    std::unique_ptr<PosixPlatformSystem> platform;
    std::unique_ptr<PosixFileSystem> files;
};

TextureBenchWorld& TextureWorld()
{
    static TextureBenchWorld world;
    return world;
}

// Puts this benchmark's systems in the engine's pointers and gives the old ones back after.
class Installed {
public:
    Installed()
        : debug(gDebugSystem), platform(gPlatformSystem), files(gFileSystem), commands(gCommandSystem),
          vars(gUserVarSystem)
    {
        if (!gDebugSystem)
            gDebugSystem = &ownDebug;
        gPlatformSystem = TextureWorld().platform.get();
        gFileSystem = TextureWorld().files.get();
        gCommandSystem = &ownCommands;
        gUserVarSystem = &ownVars;
        device = std::make_unique<NullGraphicsDevice>();
        gGraphicsDevice = device.get();
    }
    ~Installed()
    {
        gGraphicsDevice = nullptr;
        device.reset();
        gUserVarSystem = vars;
        gCommandSystem = commands;
        gFileSystem = files;
        gPlatformSystem = platform;
        gDebugSystem = debug;
    }

private:
    DebugSystem* debug;
    PlatformSystem* platform;
    FileSystem* files;
    CommandSystem* commands;
    UserVarSystem* vars;
    DebugSystem ownDebug;
    CommandSystem ownCommands;
    UserVarSystem ownVars;
    std::unique_ptr<NullGraphicsDevice> device;
};

// Queues all 200, then fetches each as a caller would; the fetches are the time the main thread
// spends blocked on the loader.
void LoadTextures(benchmark::State& state, const char* extension)
{
    Installed installed;
    double blockedSeconds = 0;
    uint64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ResourceManager manager;
        gResourceManager = &manager;
        manager.Init();
        TextureResource::RegisterTypes(manager);
        std::vector<ResourceHandle> handles(kTextures);
        state.ResumeTiming();

        for (int i = 0; i < kTextures; ++i)
            manager.Load("Textures/t" + std::to_string(i) + "." + extension, handles[static_cast<size_t>(i)]);
        Clock::time_point queued = Clock::now();
        int placeholders = 0;
        for (const ResourceHandle& handle : handles)
            placeholders += dynamic_cast<TextureResource*>(manager.Get(handle))->IsPlaceholder();
        blockedSeconds += std::chrono::duration<double>(Clock::now() - queued).count();

        state.PauseTiming();
        if (placeholders > 0)
            state.SkipWithError("a texture did not load");
        handles.clear();
        manager.Shutdown();
        gResourceManager = nullptr;
        state.ResumeTiming();
    }
    for (int i = 0; i < kTextures; ++i)
        bytes += fs::file_size(fs::path(TextureWorld().root) / "Assets" / ("Textures/t" + std::to_string(i) + "." + extension));
    state.counters["blocked_ms"] = benchmark::Counter(blockedSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kTextures);
}

void TextureLoadTarga(benchmark::State& state)
{
    LoadTextures(state, "tga");
}

void TextureLoadRawCache(benchmark::State& state)
{
    LoadTextures(state, "rtx");
}

void TextureLoadCompressedCache(benchmark::State& state)
{
    LoadTextures(state, "ctx");
}

} // namespace

BENCHMARK(TextureLoadTarga)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextureLoadRawCache)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextureLoadCompressedCache)->Unit(benchmark::kMillisecond)->UseRealTime();
