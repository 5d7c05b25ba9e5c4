// FrameBench -- whole frames of the running game in an 800 x 600 offscreen window: the town with its people, a fight of 30 monsters in a dungeon with 1,000 particles and the inventory open, and the world map open; each frame's time (median, p99, worst), the client's, the world host's and the software renderer's share of it, the processor time of the main and the other threads, its draw calls, overdraw and allocations.
#include "BenchAllocations.h"
#include "BenchGameFolder.h"
#include "BenchIterations.h"
#include "BenchShippedGame.h"
#include "SwappableApplication.h"

#include "app/Application.h"
#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/SafePointer.h"
#include "core/system/GraphicsSystem.h"
#include "entities/Entity.h"
#include "entities/Player.h"
#include "platform/PosixPlatformSystem.h"
#include "render/OpenGLApi.h"
#include "render/OpenGLDevice.h"
#include "resources/GraphicsContextLock.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/effects/EffectHost.h"
#include "resources/effects/EffectSystem.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWarmUpFrames = 60;
constexpr int kMonsters = 30;
constexpr double kSlowFrameMs = 50.0;
constexpr double kWidth = 800.0;
constexpr double kHeight = 600.0;

// Every draw call the game has passed to the library so far.
uint64_t DrawCalls()
{
    auto* device = dynamic_cast<OpenGLDevice*>(gGraphicsDevice);
    return device ? static_cast<OpenGLApi&>(device->GetApi()).GetDrawCalls() : 0;
}

// A clock's reading in ms: the main thread's own processor time or the whole process's.
double CpuMs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

// The fragments the frame's drawing wrote or blended, through the library's occlusion query
// (samples passed): divided by the window's pixels it is the frame's overdraw.
class FragmentCount {
public:
    using GenQueries = void (*)(GLsizei, GLuint*);
    using QueryCall = void (*)(GLenum, GLuint);
    using EndQuery = void (*)(GLenum);
    using GetQueryObject = void (*)(GLuint, GLenum, GLuint*);
    static constexpr GLenum kSamplesPassed = 0x8914;
    static constexpr GLenum kQueryResult = 0x8866;

    void Begin()
    {
        GraphicsContextLock& context = gGraphicsDevice->GetContextLock();
        context.AcquireContext();
        if (!begin) {
            auto generate = reinterpret_cast<GenQueries>(SDL_GL_GetProcAddress("glGenQueries"));
            begin = reinterpret_cast<QueryCall>(SDL_GL_GetProcAddress("glBeginQuery"));
            end = reinterpret_cast<EndQuery>(SDL_GL_GetProcAddress("glEndQuery"));
            result = reinterpret_cast<GetQueryObject>(SDL_GL_GetProcAddress("glGetQueryObjectuiv"));
            if (generate && begin && end && result)
                generate(1, &query);
        }
        if (query != 0)
            begin(kSamplesPassed, query);
        context.ReleaseContext();
    }

    void End()
    {
        GraphicsContextLock& context = gGraphicsDevice->GetContextLock();
        context.AcquireContext();
        if (query != 0) {
            end(kSamplesPassed);
            GLuint samples = 0;
            result(query, kQueryResult, &samples);
            total += samples;
        }
        context.ReleaseContext();
    }

    double total = 0.0;

private:
    GLuint query = 0;
    QueryCall begin = nullptr;
    EndQuery end = nullptr;
    GetQueryObject result = nullptr;
};

// With EMBERLODE_FRAMEBENCH_TRACE set, every frame over 50 ms is told on standard output: its
// wall time beside the main thread's and the whole process's processor time (a frame the machine
// took away from us shows wall time without processor time; a shader the driver compiles shows
// both on the main thread), its steps, and the resource manager's rows asked for and loaded
// during it. The resource waits of the main thread are logged ("Waited on") just before.
class SlowFrameTrace {
public:
    SlowFrameTrace() : on(std::getenv("EMBERLODE_FRAMEBENCH_TRACE") != nullptr)
    {
        if (!on)
            return;
        ExecuteCommandLine("set d_printFilesWaitingOn 1");
        gDebugSystem->SetEchoToStdout(true);
    }

    void Begin()
    {
        if (!on)
            return;
        draws = DrawCalls();
        began = CpuMs(CLOCK_MONOTONIC);
        thread = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        process = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        ReadRows(rows, loaded);
        ReadThreads(threads);
    }

    void End(size_t index, double wallMs, double host, double update, double draw, double raster)
    {
        if (!on)
            return;
        double threadMs = CpuMs(CLOCK_THREAD_CPUTIME_ID) - thread;
        double processMs = CpuMs(CLOCK_PROCESS_CPUTIME_ID) - process;
        int32_t rowsAfter = 0;
        int32_t loadedAfter = 0;
        ReadRows(rowsAfter, loadedAfter);
        if (wallMs <= kSlowFrameMs)
            return;
        std::vector<ThreadTime> after;
        ReadThreads(after);
        std::printf("slow frame %zu at %.3f s: %.1f ms wall, %.1f ms main thread, %.1f ms process; host %.1f, client update "
                    "%.1f, draw %.1f, raster %.1f; %d draw calls; rows asked %d, loaded %d\n",
                    index, began / 1000.0, wallMs, threadMs, processMs, host, update, draw, raster, static_cast<int>(DrawCalls() - draws),
                    rowsAfter - rows, loadedAfter - loaded);
        for (const ThreadTime& now : after) {
            auto before = std::find_if(threads.begin(), threads.end(),
                                       [&now](const ThreadTime& then) { return then.id == now.id; });
            double ms = (now.ns - (before == threads.end() ? 0 : before->ns)) / 1.0e6;
            if (ms >= 1.0)
                std::printf("  thread %s: %.1f ms\n", now.name.c_str(), ms);
        }
    }

private:
    struct ThreadTime {
        std::string id;
        std::string name;
        double ns = 0.0;
    };

    // Each thread of the process with its processor time so far, from the kernel's task list.
    static void ReadThreads(std::vector<ThreadTime>& out)
    {
        out.clear();
        for (const fs::directory_entry& task : fs::directory_iterator("/proc/self/task")) {
            ThreadTime thread{task.path().filename().string(), {}, 0.0};
            std::ifstream(task.path() / "comm") >> thread.name;
            std::ifstream(task.path() / "schedstat") >> thread.ns;
            out.push_back(thread);
        }
    }

    static void ReadRows(int32_t& rows, int32_t& loaded)
    {
        rows = gResourceManager->GetResourceCount();
        loaded = 0;
        for (int32_t row = 0; row < rows; ++row)
            loaded += gResourceManager->IsLoaded(row) ? 1 : 0;
    }

    bool on;
    uint64_t draws = 0;
    double began = 0.0;
    double thread = 0.0;
    double process = 0.0;
    int32_t rows = 0;
    int32_t loaded = 0;
    std::vector<ThreadTime> threads;
};

// A thousand glows that hover round the player and never die while measured.
constexpr const char* kParticleEffect = "texture Effects/glow.tga\nadditive\nspawnCount 1000\nsphere 3 0\n"
                                        "velocity crand 0.3 crand 0.3 crand 0.3\nsize 0.2\nmaxAge 1000000\n"
                                        "color 1 0.55 0.16\n";

// An effect's anchor standing where the world host put the player.
class PlayerSpot : public SafeClass, public EffectHost {
public:
    SafeClass& GetSafeObject() override { return *this; }
    EffectHost* GetEffectOwner() override { return nullptr; }
    float GetOpacity() override { return 1.0f; }
    bool IsDead() override { return false; }
    bool IsHidden() override { return false; }
    int32_t FindAttachPoint(std::string_view) override { return -1; }
    void GetAttachPointTransform(int32_t, AttachTransform& out) override
    {
        out.position = {where.level, {where.x, where.y, 1.0f}};
        out.orientation = Matrix3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    }
    int32_t FindEquippedAttachPoint(int32_t, std::string_view) override { return -1; }
    void GetEquippedAttachPointTransform(int32_t, int32_t, AttachTransform& out) override
    {
        GetAttachPointTransform(-1, out);
    }
    void GetBeamEndPoint(int32_t, int32_t& entityNumber, int32_t& attachIndex) override
    {
        entityNumber = attachIndex = -1;
    }
    int32_t GetItemTypeColorIndex() override { return -1; }
    int32_t GetCovenantColorIndex() override { return -1; }

    WorldPos where;
};

// A copy of the staged game folder made of links, with the benchmark's particle effect beside the
// shipped effects and a user folder of its own.
std::string MakeFrameFolder()
{
    fs::path folder = fs::temp_directory_path() / "emberlode-framebench";
    std::error_code error;
    fs::remove_all(folder, error);
    fs::path game = BenchGameFolder();
    BenchLinkFolderEntries(game / "Assets", folder / "Assets", "Effects");
    for (const fs::directory_entry& entry : fs::directory_iterator(game))
        if (entry.is_regular_file())
            fs::create_symlink(entry.path(), folder / entry.path().filename(), error);
    std::ofstream(folder / "Assets" / "Effects" / "framebench.eff") << kParticleEffect;
    fs::create_directories(folder / "User");
    std::ofstream(folder / "User" / "user.cfg") << "r_width 800\nr_height 600\n";
    return folder.string();
}

class FrameGame {
public:
    FrameGame() : folder(MakeFrameFolder())
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("LP_NUM_THREADS", "2", 0);
        InstallBenchSystems(app, folder, DisplayChoice::kWindow);
        gApplication = &app;
        started = app.StartUp();
        // The end of each step's hooks, in the frame's order: the shares fall between them.
        for (int step = 0; step < static_cast<int>(FrameStep::Count); ++step)
            app.AddFrameHook(static_cast<FrameStep>(step), [this, step](uint32_t) { marks[step] = Clock::now(); });
    }
    ~FrameGame()
    {
        app.ShutDown();
        std::error_code error;
        fs::remove_all(folder, error);
    }

    // A new game through the console's own command, run until the client mirrors its player.
    bool EnterTheWorld()
    {
        if (!started || !ExecuteCommandLine("start both"))
            return false;
        for (int i = 0; i < 400 && !Joined(); ++i)
            RunDrawnFrame();
        return Joined();
    }

    static bool Joined()
    {
        return gClientApp && gClientApp->IsActive() && gClientApp->GetLocalPlayer() &&
               gClientApp->GetLocalPlayer()->GetBody() && BenchHostPlayer();
    }

    // The host's player warped to the first of the world's dungeon levels, run until that level
    // is made and the client stands on it; false when the world has none.
    bool GoDownIntoADungeon()
    {
        int32_t dungeon = BenchFirstDungeonLevel();
        if (dungeon == -1)
            return false;
        BenchHostPlayer()->Warp(gGame->GetStartPosition(dungeon));
        auto arrived = [dungeon] {
            return gWorld->IsLevelGenerated(dungeon) && BenchHostPlayer()->position.level == dungeon &&
                   gClientApp->GetLocalPlayer()->GetPosition().level == dungeon;
        };
        for (int i = 0; i < 400 && !arrived(); ++i)
            RunDrawnFrame();
        return arrived();
    }

    // A window's swap waits until the frame is drawn; the offscreen surface's does not, so the
    // software renderer would queue dozens of frames and pay for them all at the next texture
    // change, a second's hitch that no player sees. Each frame here waits like a window.
    static void FinishDrawing()
    {
        GraphicsContextLock& context = gGraphicsDevice->GetContextLock();
        context.AcquireContext();
        glFinish();
        context.ReleaseContext();
    }

    void RunDrawnFrame()
    {
        app.RunFrame();
        FinishDrawing();
    }

    // The measured frames: each frame's wall time, and the client's and host's parts of it.
    void Measure(benchmark::State& state)
    {
        // The warm-up counts fragments too: the driver builds what the query needs at its first
        // use, which would otherwise fall in the first measured frame.
        FragmentCount fragments;
        for (int i = 0; i < kWarmUpFrames; ++i) {
            fragments.Begin();
            RunDrawnFrame();
            fragments.End();
        }
        fragments.total = 0.0;
        std::vector<double> frames;
        // Room for every measured frame, so that the benchmark's own list is not counted.
        frames.reserve(static_cast<size_t>(state.max_iterations));
        double clientMs = 0.0;
        double hostMs = 0.0;
        double rasterMs = 0.0;
        uint64_t drawCalls = DrawCalls();
        SlowFrameTrace trace;
        double mainCpu = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        double processCpu = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        BenchAllocations::Reset();
        BenchAllocations::SetCounting(true);
        Worst worst;
        for (auto _ : state) {
            BenchAllocations::SetCounting(false);
            trace.Begin();
            fragments.Begin();
            BenchAllocations::SetCounting(true);
            Clock::time_point start = Clock::now();
            app.RunFrame();
            Clock::time_point ran = Clock::now();
            FinishDrawing();
            Clock::time_point end = Clock::now();
            frames.push_back(Ms(start, end));
            // Tick, then receive and update, then the host's frame, then the draw, then its end.
            double host = Ms(start, marks[0]) + Ms(marks[2], marks[3]) + Ms(marks[4], marks[5]);
            double update = Ms(marks[0], marks[2]);
            double draw = Ms(marks[3], marks[4]);
            double raster = Ms(ran, end);
            hostMs += host;
            clientMs += update + draw;
            rasterMs += raster;
            if (frames.back() > worst.ms)
                worst = {frames.back(), host, update, draw, raster, static_cast<double>(frames.size() - 1)};
            BenchAllocations::SetCounting(false);
            fragments.End();
            trace.End(frames.size() - 1, frames.back(), host, update, draw, raster);
            BenchAllocations::SetCounting(true);
        }
        BenchAllocations::SetCounting(false);
        if (frames.empty())
            return;
        auto count = static_cast<double>(frames.size());
        // Processor time, which a loaded machine does not inflate as it does wall time: the main
        // thread's, and the other threads' (the software renderer's above all).
        mainCpu = CpuMs(CLOCK_THREAD_CPUTIME_ID) - mainCpu;
        state.counters["main_cpu_ms"] = mainCpu / count;
        state.counters["other_cpu_ms"] = (CpuMs(CLOCK_PROCESS_CPUTIME_ID) - processCpu - mainCpu) / count;
        std::vector<double> sorted = frames;
        std::sort(sorted.begin(), sorted.end());
        state.counters["median_ms"] = sorted[sorted.size() / 2];
        state.counters["p99_ms"] = sorted[std::min(sorted.size() - 1, static_cast<size_t>(std::ceil(count * 0.99)) - 1)];
        state.counters["worst_ms"] = sorted.back();
        state.counters["frames_over_50ms"] = static_cast<double>(
            std::count_if(sorted.begin(), sorted.end(), [](double ms) { return ms > kSlowFrameMs; }));
        // Where the worst frame's time went, and when it came: a hitch's owner and its moment.
        state.counters["worst_frame"] = worst.index;
        state.counters["worst_host_ms"] = worst.host;
        state.counters["worst_client_update_ms"] = worst.update;
        state.counters["worst_client_draw_ms"] = worst.draw;
        state.counters["worst_raster_ms"] = worst.raster;
        state.counters["client_ms"] = clientMs / count;
        state.counters["host_ms"] = hostMs / count;
        // The software renderer finishing the frame's pixels after the client handed them over.
        state.counters["raster_ms"] = rasterMs / count;
        state.counters["draw_calls"] = static_cast<double>(DrawCalls() - drawCalls) / count;
        state.counters["overdraw"] = fragments.total / count / (kWidth * kHeight);
        state.counters["allocations"] = static_cast<double>(BenchAllocations::Count()) / count;
        state.counters["driver_allocations"] = static_cast<double>(BenchAllocations::DriverCount()) / count;
    }

    struct Worst {
        double ms = 0.0;
        double host = 0.0;
        double update = 0.0;
        double draw = 0.0;
        double raster = 0.0;
        double index = -1.0;
    };

    static double Ms(Clock::time_point from, Clock::time_point to)
    {
        return std::chrono::duration<double, std::milli>(to - from).count();
    }

    std::string folder;
    SwappableApplication app;
    bool started = false;
    std::array<Clock::time_point, static_cast<size_t>(FrameStep::Count)> marks{};
};

// The town as a new game starts in it: its buildings, the tutor and the town's people.
void FrameTown(benchmark::State& state)
{
    FrameGame game;
    if (!game.EnterTheWorld()) {
        state.SkipWithError("the game did not start");
        return;
    }
    game.Measure(state);
}

// Thirty goblins of the world host's own making fight the player, who cannot fall, down in one of
// the world's dungeons; a thousand particles glow round him and the inventory stands open.
void FrameFight(benchmark::State& state)
{
    FrameGame game;
    if (!game.EnterTheWorld()) {
        state.SkipWithError("the game did not start");
        return;
    }
    if (!game.GoDownIntoADungeon()) {
        state.SkipWithError("the world has no dungeon to fight in");
        return;
    }
    Player* player = BenchHostPlayer();
    player->flags |= EntityFlag::Invulnerable;
    const DatabaseEntry* goblin = gDatabase->FindEntryByName("MonsterGoblinScout");
    int placed = 0;
    for (int i = 0; i < kMonsters; ++i) {
        Entity* monster = goblin ? gGame->MakeMonster(nullptr, goblin, 1, 0) : nullptr;
        if (!monster)
            break;
        float angle = 6.2831853f * static_cast<float>(i) / kMonsters;
        monster->SetPosition(player->position.Offset(Vector2{std::cos(angle) * 140.0f, std::sin(angle) * 140.0f}));
        if (gGame->AddEntity(monster) == -1)
            delete monster;
        else
            ++placed;
    }
    if (placed != kMonsters) {
        state.SkipWithError("the monsters were not all placed");
        return;
    }
    PlayerSpot spot;
    spot.where = player->position;
    gEffectSystem->SpawnEffect(&spot, "framebench.eff", "");
    ExecuteCommandLine("toggleMenu Inventory");
    game.Measure(state);
    size_t particles = 0;
    for (const auto& effect : gEffectSystem->GetLiveEffects())
        particles += effect->particles.size();
    state.counters["particles"] = static_cast<double>(particles);
    int shown = 0;
    for (int32_t number = 0; number < GameClient::kMaxEntities; ++number)
        if (const EntityClient* entity = gGameClient->GetEntity(number); entity && entity->IsMonster())
            ++shown;
    state.counters["monsters_shown"] = shown;
}

// The world map drawn in place of the world.
void FrameWorldMap(benchmark::State& state)
{
    FrameGame game;
    if (!game.EnterTheWorld()) {
        state.SkipWithError("the game did not start");
        return;
    }
    ExecuteCommandLine("toggleMenu WorldMap");
    game.Measure(state);
}

// A new player's first start: the program started on a fresh user folder, which holds no texture
// cache yet, until its first frame (the title menu) is drawn.
void FrameFirstTitle(benchmark::State& state)
{
    std::vector<double> starts;
    // Its two parts: the program's start-up, and the title's first frame after it.
    std::vector<double> startUps;
    std::vector<double> firstFrames;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        FrameGame game;
        if (!game.started) {
            state.SkipWithError("the game did not start");
            return;
        }
        Clock::time_point started = Clock::now();
        game.RunDrawnFrame();
        Clock::time_point end = Clock::now();
        starts.push_back(FrameGame::Ms(start, end));
        startUps.push_back(FrameGame::Ms(start, started));
        firstFrames.push_back(FrameGame::Ms(started, end));
        state.SetIterationTime(starts.back() / 1000.0);
    }
    auto median = [](std::vector<double>& values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    state.counters["median_ms"] = median(starts);
    state.counters["worst_ms"] = starts.back();
    state.counters["start_up_ms"] = median(startUps);
    state.counters["first_frame_ms"] = median(firstFrames);
}

} // namespace

BENCHMARK(FrameFirstTitle)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(BenchIterations(7));
BENCHMARK(FrameTown)->Unit(benchmark::kMillisecond)->Iterations(BenchIterations(600));
BENCHMARK(FrameFight)->Unit(benchmark::kMillisecond)->Iterations(BenchIterations(600));
BENCHMARK(FrameWorldMap)->Unit(benchmark::kMillisecond)->Iterations(BenchIterations(600));
