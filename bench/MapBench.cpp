// MapBench -- the maps' share of a frame on an offscreen OpenGL window: a walk over 3 x 3 levels of 64 x 64 tiles, a tile every 8 frames, with the exploration, the mini-map and then the world map drawn; dirty uploads against uploading every frame, in milliseconds and bytes uploaded a frame.
#include "BenchDataWorld.h"

#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/UserVarSystem.h"
#include "platform/SdlGraphicsSystem.h"
#include "render/FrameScene.h"
#include "render/ImmediateDraw.h"
#include "render/MapPanel.h"
#include "render/MapSource.h"
#include "render/MiniMap.h"
#include "render/OpenGLDevice.h"
#include "render/WorldMap.h"
#include "render/WorldView.h"
#include "world/AreaDefinition.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int32_t kMapBenchFrames = 600;
constexpr int32_t kMapBenchFramesPerTile = 8;

class MapBenchScene : public FrameScene {
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
    bool GetLocalPlayerScreenBox(std::array<float, 4>&) const override { return false; }
    Vector2 WorldToScreenRaised(const WorldPos3& p, float) const override { return {p.x, p.y}; }
    WorldPos target;
};

class MapBenchSource : public MapSource {
public:
    explicit MapBenchSource(const MapBenchScene& scene) : scene(scene) {}
    bool GetPlayerPosition(WorldPos& out) const override { return scene.GetCameraTarget(out); }
    bool IsTeleportMode() const override { return false; }
    bool IsVisibleToPlayer(const WorldPos&) const override { return true; }
    ResourceHandle GetEntityMapShader(int32_t, int32_t, int32_t) override { return {}; }
    std::string GetEntityPinText(int32_t) const override { return {}; }
    void AddEntityPins(std::vector<MapPin>& pins, bool) override
    {
        MapPin player;
        scene.GetCameraTarget(player.position);
        pins.push_back(player);
    }
    void AddTravelPins(std::vector<MapPin>&, bool) override {}
    void GetCovenants(std::vector<MapCovenant>&) const override {}
    bool KnowsLevel(int32_t) const override { return false; }
    bool IsQuestLevel(int32_t) const override { return false; }
    void QueueServerCommand(const std::string&) override {}
    void ShowRefusal(const std::string&) override {}
    void SetClickHook(ClickHook) override {}
    const MapBenchScene& scene;
};

class MapBenchPanel : public MapPanel {
public:
    bool IsWorldMapShown() const override { return shown; }
    void ShowWorldMap(bool newShown) override { shown = newShown; }
    void SetScrollRange(bool, int32_t, int32_t) override {}
    int32_t GetScrollPosition(bool) const override { return 0; }
    void SetScrollPosition(bool, int32_t) override {}
    void ScrollByPixels(bool, float) override {}
    bool GetMiniMapRect(std::array<float, 4>& out) const override
    {
        out = {520.0f, 8.0f, 112.0f, 112.0f};
        return true;
    }
    bool GetLegendLayout(MapLegendLayout&) const override { return false; }
    void GetCoveredRects(std::vector<std::array<float, 4>>& out) const override { out.clear(); }
    bool shown = false;
};

// The shipped game data's level geometry, nine levels joined open, and a 640 x 480 window.
class MapBenchWorld : public BenchDataWorld {
public:
    MapBenchWorld() : BenchDataWorld("emberlode_map_bench", 20261207)
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gColorSystem = &colors;
        commands.RegisterCommands();
        vars.RegisterCommands();
        vars.RegisterVar("drawUI", "1");
        gWorld = &world;
        world.Create();
        const GameSystemTuning& tuning = gameData.GetTuning();
        world.SetLevelSize(tuning.tileSize * static_cast<float>(tuning.levelTileWidth),
                           tuning.tileSize * static_cast<float>(tuning.levelTileHeight));
        area.name = "Bench";
        for (int32_t row = 0; row < 3; ++row) {
            for (int32_t column = 0; column < 3; ++column) {
                auto level = std::make_unique<Level>();
                level->area = &area;
                level->column = column;
                level->row = row;
                area.levels.push_back(world.AddLevel(std::move(level)));
            }
        }
        for (int32_t a = 0; a < world.GetLevelCount(); ++a)
            for (int32_t b = a + 1; b < world.GetLevelCount(); ++b)
                world.ConnectLevels(world.GetLevel(a), world.GetLevel(b), LevelJoin::Open);
        display = std::make_unique<SdlGraphicsSystem>();
        device = std::make_unique<OpenGLDevice>(*display);
        display->RegisterDisplayVars();
        device->RegisterVars();
        vars.SetStringByName("r_width", "640");
        vars.SetStringByName("r_height", "480");
        vars.SetStringByName("monitorSync", "0");
        display->ChooseStartMode();
        display->SetupDisplay();
        device->StartDisplay();
        immediate = std::make_unique<ImmediateDraw>(device->GetApi(), device->GetStateCache());
        view = std::make_unique<WorldView>(*device);
        view->RegisterVars();
        view->SetViewSize(640, 480);
    }
    ~MapBenchWorld()
    {
        view.reset();
        immediate.reset();
        device.reset();
        display.reset();
        world.Destroy();
        gWorld = nullptr;
        gColorSystem = nullptr;
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
    }

    // A fresh pair of maps drawing on this window.
    void MakeMaps(std::unique_ptr<WorldMap>& worldMap, std::unique_ptr<MiniMap>& miniMap)
    {
        worldMap = std::make_unique<WorldMap>();
        worldMap->RegisterCommands();
        miniMap = std::make_unique<MiniMap>(*worldMap);
        miniMap->RegisterCommands();
        MapGraphics graphics{device.get(), &device->GetApi(), &device->GetStateCache(), immediate.get(), view.get(),
                             {}, {}, {}};
        worldMap->SetGraphics(graphics);
        worldMap->SetScene(&scene);
        worldMap->SetSource(&source);
        worldMap->SetPanel(&panel);
        miniMap->SetGraphics(graphics);
        miniMap->SetScene(&scene);
        miniMap->SetSource(&source);
        miniMap->SetPanel(&panel);
        miniMap->Setup();
    }

    CommandSystem commands;
    UserVarSystem vars;
    ColorSystem colors;
    World world;
    AreaDefinition area;
    MapBenchScene scene;
    MapBenchSource source{scene};
    MapBenchPanel panel;
    std::unique_ptr<SdlGraphicsSystem> display;
    std::unique_ptr<OpenGLDevice> device;
    std::unique_ptr<ImmediateDraw> immediate;
    std::unique_ptr<WorldView> view;
};

MapBenchWorld& BenchWorld()
{
    static MapBenchWorld world;
    return world;
}

// Range 0: the world map open; range 1: every frame uploads everything. One iteration is the
// whole walk from the middle level's corner across it, on fresh maps.
void BM_MapWalk(benchmark::State& state)
{
    MapBenchWorld& bench = BenchWorld();
    bool worldMapOpen = state.range(0) != 0;
    bool everyFrame = state.range(1) != 0;
    bench.vars.SetStringByName("drawWorldMap", worldMapOpen ? "1" : "0");
    float tile = bench.gameData.GetTuning().tileSize;
    int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<WorldMap> worldMap;
        std::unique_ptr<MiniMap> miniMap;
        bench.MakeMaps(worldMap, miniMap);
        worldMap->SetUploadEveryFrame(everyFrame);
        miniMap->SetUploadEveryFrame(everyFrame);
        state.ResumeTiming();
        bench.device->AcquireContext();
        for (int32_t frame = 0; frame < kMapBenchFrames; ++frame) {
            float step = static_cast<float>(frame / kMapBenchFramesPerTile) * tile;
            bench.scene.target = WorldPos{4, 8.5f * tile + step, 8.5f * tile + step * 0.5f, true};
            worldMap->UpdateExploration();
            if (worldMapOpen)
                worldMap->Draw();
            else
                miniMap->Draw();
        }
        glFinish();
        bench.device->ReleaseContext();
        bytes += worldMap->GetUploadedBytes() + miniMap->GetUploadedBytes();
    }
    double frames = static_cast<double>(state.iterations()) * kMapBenchFrames;
    // Seconds a frame over the timed walks, by the wall clock: Mesa draws on threads of its own.
    state.counters["s/frame"] =
        benchmark::Counter(kMapBenchFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["bytes/frame"] = static_cast<double>(bytes) / frames;
}

BENCHMARK(BM_MapWalk)
    ->ArgNames({"worldMap", "everyFrame"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
