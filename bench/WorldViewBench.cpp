// WorldViewBench -- one world frame over a generated shipped level: its ground, 200 shipped models (20 of them translucent) and 1,000 particles queued and drawn through the sorted batches, beside a naive path that draws every surface in a batch of its own.
#include "BenchAllocations.h"
#include "BenchGameFolder.h"
#include "BenchIterations.h"
#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "render/FrameRenderer.h"
#include "render/FrameScene.h"
#include "render/WorldView.h"
#include "resources/ResourceManager.h"
#include "resources/device/NullGraphicsDevice.h"
#include "resources/models/ModelResourceTypes.h"
#include "resources/models/Skin.h"
#include "resources/shaders/ShaderBatch.h"
#include "resources/shaders/ShaderLookup.h"
#include "resources/shaders/ShaderSystem.h"
#include "resources/textures/TextureResource.h"
#include "rules/GameData.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/LevelGenerator.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kModels = 200;
constexpr int kTranslucentModels = 20;
constexpr int kParticles = 1000;
constexpr int kFrames = 200;
constexpr int kWarmUpFrames = 5;

// Counts what reaches the library: draws, and the matrix loads each batch of a model costs.
class CountingDevice : public NullGraphicsDevice {
public:
    void DrawBatch(const DeviceBatch&) override { ++draws; }
    void SetModelViewMatrix(const Matrix4&) override { ++states; }
    int64_t draws = 0;
    int64_t states = 0;
};

class WorldViewScene : public FrameScene {
public:
    bool IsGameRunning() const override { return true; }
    bool IsPaused() const override { return false; }
    bool GetCameraTarget(WorldPos& out) const override
    {
        out = target;
        return true;
    }
    void DrawEntities(WorldView&) override {}
    void DrawEntityOverlays() override {}
    bool HasLocalPlayer() const override { return true; }
    bool IsRevealed() const override { return false; }
    float GetVisibility(const WorldPos&) const override { return 1.0f; }
    bool GetLocalPlayerScreenBox(std::array<float, 4>& out) const override
    {
        out = {300.0f, 220.0f, 340.0f, 260.0f};
        return true;
    }
    Vector2 WorldToScreenRaised(const WorldPos3& p, float height) const override
    {
        return {p.x - p.y, -(p.x + p.y) * 0.5f - height};
    }
    WorldPos target;
};

// The shipped game through a folder of its own, a generated level of the grasslands and the
// world view over the counting device.
class WorldViewBenchWorld {
public:
    WorldViewBenchWorld()
        : folder(fs::temp_directory_path() / "emberlode-worldviewbench"), platform((folder / "User").string()),
          files(BenchLinkedGameFolder(folder))
    {
        gDebugSystem = &debug;
        gPlatformSystem = &platform;
        files.SetRootFolders("Assets");
        ready = files.MountArchive("assets001.zip");
        gFileSystem = &files;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gColorSystem = &colors;
        // The device's context lock needs the platform.
        device = std::make_unique<CountingDevice>();
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
        world.SetBlendedTextureHook(MakeBlendedTileShaderName);
        World::RegisterResourceTypes();
        view = std::make_unique<WorldView>(*device);
        view->RegisterVars();
        frame = std::make_unique<FrameRenderer>(*view, batch);
        frame->RegisterVars();
        frame->SetScene(&scene);
    }

    ~WorldViewBenchWorld()
    {
        frame.reset();
        view.reset();
        models.clear();
        world.Destroy();
        area.reset();
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
        device.reset();
        gColorSystem = nullptr;
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gFileSystem = nullptr;
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
    }

    // The start level, generated and held, the camera over its middle.
    bool MakeLevel()
    {
        area = std::make_unique<AreaDefinition>();
        area->areaFileName = "Levels/grasslands.ara";
        area->levelGenerator = 0;
        area->minBlocks = 12;
        area->maxBlockFailures = 6;
        area->maxLevelFailures = 4;
        auto made = std::make_unique<Level>();
        made->area = area.get();
        Level* level = world.AddLevel(std::move(made));
        LevelGenerator::AddReference(*level, kLevelReferenceActive);
        LevelGenerator::EnsureGenerated(*level);
        scene.target = WorldPos{level->index, 2048.0f, 2048.0f};
        view->SetViewSize(1280, 720);
        return level->data != nullptr;
    }

    bool LoadModels()
    {
        for (const char* name : {"tree", "pillar", "boulder", "chest", "door", "torch", "gate", "lever"}) {
            models.emplace_back();
            manager->Load(std::string("Models/Props/") + name + ".mdl", models.back());
        }
        const auto* first = dynamic_cast<const ModelResource*>(manager->Get(models[0]));
        const Skin* skin = first ? first->GetSkin() : nullptr;
        particleShader = skin && !skin->GetEntries().empty()
                             ? dynamic_cast<const Shader*>(manager->Get(skin->GetEntries()[0].shader))
                             : nullptr;
        return particleShader != nullptr;
    }

    // The scene of one frame queued: ground and placed props, then the models and particles.
    void QueueFrame()
    {
        view->BeginWorldView(scene.target, 1.0f, false);
        view->BeginFrame();
        frame->DrawLevelCells(1.0f / 60.0f);
        for (int i = 0; i < kModels; ++i) {
            ModelSurfacesDesc desc;
            desc.model = models[static_cast<size_t>(i) % models.size()];
            desc.animation = 0;
            desc.time = 0.5f;
            desc.position = WorldPos3{scene.target.level, scene.target.x + static_cast<float>(i % 20) * 24.0f - 240.0f,
                                      scene.target.y + static_cast<float>(i / 20) * 24.0f - 120.0f, 0.0f};
            desc.alpha = i < kTranslucentModels ? 0.5f : 1.0f;
            view->AddModelSurfaces(desc);
        }
        for (int i = 0; i < kParticles; ++i) {
            Vector3 at{scene.target.x + static_cast<float>(i % 40) * 8.0f - 160.0f,
                       scene.target.y + static_cast<float>(i / 40) * 8.0f - 100.0f, 16.0f};
            view->GetEffects().AddParticleSurface(*particleShader, at, static_cast<float>(i % 360), 2.0f,
                                                  Color{1.0f, 0.8f, 0.4f}, 0.8f, 0.0f);
        }
    }

    // Every surface in a batch of its own, as a renderer without the sort would draw them.
    void DrawNaive()
    {
        for (RenderSurface* surface : view->GetQueue().GetFrameSurfaces()) {
            batch.BeginBatch(surface->shader.Get());
            batch.SetSurfaceState(surface->opacity, surface->writeMask);
            surface->BeginDraw();
            if (!surface->IsHidden())
                surface->AddGeometry(batch, !surface->fullBright);
            batch.FlushBatch();
            surface->EndDraw();
        }
    }

    fs::path folder;
    DebugSystem debug;
    PosixPlatformSystem platform;
    PosixFileSystem files;
    CommandSystem commands;
    UserVarSystem vars;
    ColorSystem colors;
    std::unique_ptr<CountingDevice> device;
    std::unique_ptr<ResourceManager> manager;
    std::unique_ptr<ShaderSystem> shaders;
    Database database;
    GameData gameData;
    RandomSystem random{7};
    World world;
    std::unique_ptr<AreaDefinition> area;
    WorldViewScene scene;
    // Flushes to the graphics device singleton, the counting device.
    ShaderBatch batch;
    std::unique_ptr<WorldView> view;
    std::unique_ptr<FrameRenderer> frame;
    std::vector<ResourceHandle> models;
    const Shader* particleShader = nullptr;
    bool ready = false;
};

void RunWorldFrames(benchmark::State& state, bool naive)
{
    WorldViewBenchWorld world;
    if (!world.ready || !world.MakeLevel() || !world.LoadModels()) {
        state.SkipWithError("the staged game folder, its start level or its models are missing");
        return;
    }
    for (int i = 0; i < kWarmUpFrames; ++i) {
        world.QueueFrame();
        naive ? world.DrawNaive() : world.view->DrawSurfaces(world.batch);
    }
    std::vector<double> frameMs;
    frameMs.reserve(kFrames);
    world.device->draws = world.device->states = 0;
    BenchAllocations::Reset();
    size_t surfaces = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        BenchAllocations::SetCounting(true);
        world.QueueFrame();
        surfaces = world.view->GetQueue().GetFrameSurfaces().size();
        naive ? world.DrawNaive() : world.view->DrawSurfaces(world.batch);
        BenchAllocations::SetCounting(false);
        frameMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    auto frames = static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    std::nth_element(frameMs.begin(), frameMs.begin() + static_cast<std::ptrdiff_t>(frameMs.size() / 2), frameMs.end());
    state.counters["median_frame_ms"] = frameMs.empty() ? 0.0 : frameMs[frameMs.size() / 2];
    state.counters["draw_calls_per_frame"] = static_cast<double>(world.device->draws) / frames;
    state.counters["matrix_loads_per_frame"] = static_cast<double>(world.device->states) / frames;
    state.counters["allocations_per_frame"] = static_cast<double>(BenchAllocations::Count()) / frames;
    state.counters["surfaces"] = static_cast<double>(surfaces);
}

void WorldViewFrameSorted(benchmark::State& state)
{
    RunWorldFrames(state, false);
}
BENCHMARK(WorldViewFrameSorted)->Iterations(BenchIterations(kFrames))->Unit(benchmark::kMillisecond);

void WorldViewFrameNaive(benchmark::State& state)
{
    RunWorldFrames(state, true);
}
BENCHMARK(WorldViewFrameNaive)->Iterations(BenchIterations(kFrames))->Unit(benchmark::kMillisecond);

} // namespace
