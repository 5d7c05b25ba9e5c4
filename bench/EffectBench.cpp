// EffectBench -- 10,000 live particles updated and queued as render surfaces each frame, and the same frame drawn into batches.
#include "BenchAllocations.h"
#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "core/SafeClass.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "resources/ResourceManager.h"
#include "resources/device/NullGraphicsDevice.h"
#include "resources/effects/EffectHost.h"
#include "resources/effects/EffectSurfaces.h"
#include "resources/effects/EffectSystem.h"
#include "resources/effects/SurfaceQueue.h"
#include "resources/shaders/ShaderBatch.h"
#include "resources/shaders/ShaderSystem.h"
#include "resources/textures/TextureResource.h"

#include <algorithm>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kParticles = 10000;
constexpr float kFrameTime = 1.0f / 60.0f;

// Ten thousand sparks that fly, fall, bounce, spin, swirl and fade in, and never die while measured.
constexpr const char* kEffectText = "texture Effects/bench.tga\nadditive\nspawnCount 10000\nsphere 0.5\n"
                                    "velocity crand 2 crand 2 randRange 1 4\naccel 0 0 -9.8\nbounce\n"
                                    "bounceFactor 0.6\navelocity 0 0 30\nspin 0.5\nfadeIn\nfadeTime 0.5\n"
                                    "scale randRange 0.5 1.5\nsize 0.1\nmaxAge 1000000\n";
constexpr const char* kShaderText = "Textures/Effects/bench\n{\n    sort Additive\n    {\n"
                                    "        texture Textures/Effects/bench.tga\n        blendFunc SrcAlpha One\n"
                                    "        colorGen CodeGenerated\n        alphaGen CodeGenerated\n    }\n}\n";

class StillHost : public SafeClass, public EffectHost {
public:
    SafeClass& GetSafeObject() override { return *this; }
    EffectHost* GetEffectOwner() override { return nullptr; }
    float GetOpacity() override { return 1.0f; }
    bool IsDead() override { return false; }
    bool IsHidden() override { return false; }
    int32_t FindAttachPoint(std::string_view) override { return -1; }
    void GetAttachPointTransform(int32_t, AttachTransform& out) override
    {
        out.position = {0, {32.0f, 32.0f, 1.0f}};
        out.orientation = Matrix3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    }
    int32_t FindEquippedAttachPoint(int32_t, std::string_view) override { return -1; }
    void GetEquippedAttachPointTransform(int32_t, int32_t index, AttachTransform& out) override
    {
        GetAttachPointTransform(index, out);
    }
    void GetBeamEndPoint(int32_t, int32_t& entityNumber, int32_t& attachIndex) override
    {
        entityNumber = attachIndex = -1;
    }
    int32_t GetItemTypeColorIndex() override { return -1; }
    int32_t GetCovenantColorIndex() override { return -1; }
};

// The engine systems under the effects, over a temporary folder with the one effect and its shader.
class EffectBenchWorld {
public:
    EffectBenchWorld()
    {
        std::string pattern = (fs::temp_directory_path() / "emberlode-effectbench-XXXXXX").string();
        root = mkdtemp(pattern.data()) ? pattern : std::string();
        fs::create_directories(fs::path(root) / "Assets/Effects");
        fs::create_directories(fs::path(root) / "Assets/Shaders");
        std::ofstream(fs::path(root) / "Assets/Effects/bench.eff") << kEffectText;
        std::ofstream(fs::path(root) / "Assets/Shaders/bench.sdr") << kShaderText;
        gDebugSystem = &debug;
        platform = std::make_unique<PosixPlatformSystem>(root + "/User");
        gPlatformSystem = platform.get();
        files = std::make_unique<PosixFileSystem>(root);
        files->SetRootFolders("Assets");
        gFileSystem = files.get();
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gColorSystem = &colors;
        gRandomSystem = &random;
        // The device's context lock comes from the platform.
        device = std::make_unique<NullGraphicsDevice>();
        gGraphicsDevice = device.get();
        device->RegisterVars();
        manager = std::make_unique<ResourceManager>();
        gResourceManager = manager.get();
        manager->Init();
        TextureResource::RegisterTypes(*manager);
        EffectSystem::RegisterTypes(*manager);
        shaders = std::make_unique<ShaderSystem>();
        gShaderSystem = shaders.get();
        shaders->Start();
    }

    ~EffectBenchWorld()
    {
        manager->Shutdown();
        gShaderSystem = nullptr;
        shaders.reset();
        gResourceManager = nullptr;
        manager.reset();
        gGraphicsDevice = nullptr;
        device.reset();
        gRandomSystem = nullptr;
        gColorSystem = nullptr;
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gFileSystem = nullptr;
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    std::string root;
    DebugSystem debug;
    std::unique_ptr<PosixPlatformSystem> platform;
    std::unique_ptr<PosixFileSystem> files;
    CommandSystem commands;
    UserVarSystem vars;
    ColorSystem colors;
    RandomSystem random{2024};
    std::unique_ptr<NullGraphicsDevice> device;
    std::unique_ptr<ResourceManager> manager;
    std::unique_ptr<ShaderSystem> shaders;
};

// One frame: every particle updated, then queued as a surface of the pass.
void RunFrames(benchmark::State& state, bool draw)
{
    EffectBenchWorld world;
    StillHost host;
    EffectSystem system;
    SurfaceQueue queue;
    EffectSurfaces surfaces(queue);
    ShaderBatch batch(world.device.get());
    system.SpawnEffect(&host, "bench.eff", "");
    system.UpdateAll(kFrameTime);
    if (system.GetLiveEffects().empty() || system.GetLiveEffects()[0]->particles.size() != kParticles) {
        state.SkipWithError("the benchmark effect did not spawn its particles");
        return;
    }
    BenchAllocations::Reset();
    for (auto _ : state) {
        system.UpdateAll(kFrameTime);
        queue.BeginSurfaceFrame();
        system.DrawAll(surfaces);
        // The sort and the batches of a steady scene reuse the storage of the frame before.
        BenchAllocations::SetCounting(true);
        if (draw)
            queue.DrawQueuedSurfaces(batch);
        BenchAllocations::SetCounting(false);
        benchmark::DoNotOptimize(queue.GetFrameSurfaces().data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kParticles);
    state.counters["draw_allocations_per_frame"] =
        static_cast<double>(BenchAllocations::Count()) / static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    state.counters["particles"] = static_cast<double>(queue.GetFrameSurfaces().size());
}

void EffectParticlesUpdateAndQueue(benchmark::State& state)
{
    RunFrames(state, false);
}
BENCHMARK(EffectParticlesUpdateAndQueue)->Unit(benchmark::kMicrosecond);

// The same frame carried on into sorted batches of sprite quads.
void EffectParticlesUpdateQueueAndDraw(benchmark::State& state)
{
    RunFrames(state, true);
}
BENCHMARK(EffectParticlesUpdateQueueAndDraw)->Unit(benchmark::kMicrosecond);

} // namespace
