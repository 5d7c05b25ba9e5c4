// ModelBench -- every shipped model loaded with its files, skins and textures through the resource manager; poses of the 12-bone humanoid.
#include "BenchGameFolder.h"
#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "resources/ResourceManager.h"
#include "resources/device/NullGraphicsDevice.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/ModelResource.h"
#include "resources/models/ModelResourceTypes.h"
#include "resources/models/SkeletonResource.h"
#include "resources/shaders/ShaderSystem.h"
#include "resources/textures/TextureResource.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The engine systems the models stand on, over the shipped game folder, installed while a
// benchmark runs; each load starts from an empty resource manager and shader system.
class ModelBenchWorld {
public:
    ModelBenchWorld() : platform((fs::temp_directory_path() / "emberlode-modelbench").string()), files(BenchGameFolder().string())
    {
        saved = {gDebugSystem, gPlatformSystem, gFileSystem, gCommandSystem, gUserVarSystem};
        gDebugSystem = &debug;
        gPlatformSystem = &platform;
        files.SetRootFolders("Assets");
        mounted = files.MountArchive("assets001.zip");
        gFileSystem = &files;
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gColorSystem = &colors;
        // The device takes its lock from the platform, so it is made once the platform is in place.
        device = std::make_unique<NullGraphicsDevice>();
        gGraphicsDevice = device.get();
        device->RegisterVars();
        files.ListFiles("Models", "mdl", names, kLocationAssets, true, true, true);
    }
    ~ModelBenchWorld()
    {
        Stop();
        gGraphicsDevice = nullptr;
        gColorSystem = nullptr;
        gDebugSystem = saved.debug;
        gPlatformSystem = saved.platform;
        gFileSystem = saved.files;
        gCommandSystem = saved.commands;
        gUserVarSystem = saved.vars;
    }

    void Start()
    {
        manager = std::make_unique<ResourceManager>();
        gResourceManager = manager.get();
        RegisterModelResourceTypes(*manager);
        manager->Init();
        TextureResource::RegisterTypes(*manager);
        shaders = std::make_unique<ShaderSystem>();
        gShaderSystem = shaders.get();
        shaders->Start();
    }

    void Stop()
    {
        held.clear();
        if (manager)
            manager->Shutdown();
        gShaderSystem = nullptr;
        shaders.reset();
        gResourceManager = nullptr;
        manager.reset();
    }

    ModelResource* Load(const std::string& name)
    {
        manager->Load(name, held.emplace_back());
        return dynamic_cast<ModelResource*>(manager->Get(held.back()));
    }

    struct Saved {
        DebugSystem* debug;
        PlatformSystem* platform;
        FileSystem* files;
        CommandSystem* commands;
        UserVarSystem* vars;
    } saved;
    DebugSystem debug;
    PosixPlatformSystem platform;
    PosixFileSystem files;
    CommandSystem commands;
    UserVarSystem vars;
    ColorSystem colors;
    std::unique_ptr<NullGraphicsDevice> device;
    bool mounted = false;
    std::vector<std::string> names;
    std::unique_ptr<ResourceManager> manager;
    std::unique_ptr<ShaderSystem> shaders;
    std::vector<ResourceHandle> held;
};

// Each model fetched with every file it names, then the loader left to finish the shaders'
// textures: the whole start-up cost of the shipped models.
void ModelLoadShipped(benchmark::State& state)
{
    ModelBenchWorld world;
    if (!world.mounted || world.names.empty()) {
        state.SkipWithError("the shipped game folder and its archive are needed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        world.Start();
        state.ResumeTiming();
        for (const std::string& name : world.names) {
            ModelResource* model = world.Load(name);
            if (!model)
                continue;
            for (int32_t part : {model->skeleton.GetValue(), model->mesh.GetValue(), model->tags.GetValue(), model->skin.GetValue()})
                benchmark::DoNotOptimize(world.manager->Get(part));
            for (int32_t i = 0; i < model->GetAnimationCount(); ++i)
                benchmark::DoNotOptimize(model->GetAnimation(i)->GetResource());
        }
        world.manager->WaitForLoadQueue();
        state.PauseTiming();
        world.Stop();
        state.ResumeTiming();
    }
    state.counters["models"] = static_cast<double>(world.names.size());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * world.names.size()));
}
BENCHMARK(ModelLoadShipped)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every bone of the humanoid posed in model space from one frame of its walk: one item is a
// whole skeleton's pose.
void ModelPoseHumanoid(benchmark::State& state)
{
    ModelBenchWorld world;
    world.Start();
    ModelResource* model = world.mounted ? world.Load("Models/goblin.mdl") : nullptr;
    const AnimationResource* walk = model ? model->GetAnimation(model->PickAnimation("walk"))->GetResource() : nullptr;
    if (!walk) {
        state.SkipWithError("the shipped goblin model is needed");
        return;
    }
    int32_t bones = model->GetSkeleton()->GetBoneCount();
    int32_t frame = 0;
    ModelBonePose pose;
    for (auto _ : state) {
        const BonePose* records = walk->GetFramePoses(frame);
        for (int32_t bone = 0; bone < bones; ++bone) {
            model->ComputeBonePose(records, bones, bone, pose);
            benchmark::DoNotOptimize(pose);
        }
        frame = (frame + 1) % walk->GetFrameCount();
    }
    state.counters["bones"] = bones;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(ModelPoseHumanoid);

// The weapon's place in the world between two frames of the swing, as a drawn weapon asks it.
void ModelWeaponTransform(benchmark::State& state)
{
    ModelBenchWorld world;
    world.Start();
    ModelResource* model = world.mounted ? world.Load("Models/goblin.mdl") : nullptr;
    if (!model || model->FindTag("weapon") < 0) {
        state.SkipWithError("the shipped goblin model is needed");
        return;
    }
    TagPoseQuery query;
    query.animation = model->PickAnimation("attackOneHand");
    query.attachPoint = model->FindTag("weapon");
    TagTransform at;
    float frames = static_cast<float>(model->GetAnimation(query.animation)->GetFrameCount());
    for (auto _ : state) {
        query.time = query.time + 0.37f < frames ? query.time + 0.37f : 0.0f;
        benchmark::DoNotOptimize(model->ComputeTagTransform(query, at));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(ModelWeaponTransform);

} // namespace
