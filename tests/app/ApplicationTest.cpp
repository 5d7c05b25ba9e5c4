// ApplicationTest -- the whole life on the shipped game folder with a scripted platform and a hand-stepped clock.
#include "app/Application.h"
#include "audio/SoundSystem.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "core/VirtualKeys.h"
#include "core/system/SystemInfo.h"
#include "core/system/SystemInfo.h"
#include "core/system/TimerSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "platform/PosixTimerSystem.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/FontResource.h"
#include "resources/fonts/ScreenText.h"
#include "rules/GameData.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "covenants/Covenant.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/Door.h"
#include "entities/Inventory.h"
#include "entities/Player.h"
#include "rules/items/InventoryBase.h"
#include "rules/monsters/MonsterType.h"
#include "rules/quests/QuestDefinition.h"
#include "server/spawn/SpawnSystem.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "server/Game.h"
#include "server/WorldHost.h"
#include "support/SwappableApplication.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/LevelQueries.h"
#include "world/World.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// No sound card: OpenAL Soft's null device mixes for nobody. Set before the first OpenAL call
// of the process.
const bool kNullSoundDevice = setenv("ALSOFT_DRIVERS", "null", 1) == 0;

// The real platform services, but the window's event pump closes the window when the script
// says so and sleeping moves the test's clock instead of the wall clock.
class ScriptedPlatform : public PosixPlatformSystem {
public:
    ScriptedPlatform(const std::string& userFolder, uint64_t& now) : PosixPlatformSystem(userFolder), now(now)
    {
        SetMessagePump([this] { return ++pumps != closeOnPump; });
    }

    void OnQuit() override { ++quits; }
    [[noreturn]] void CriticalError(const std::string& message) override { throw std::runtime_error(message); }
    // Each frame also spends 3 ms of work. The resource loader's idle pauses are real ones,
    // and so are the main thread's yields while it waits for the loader at start-up.
    void Sleep(uint32_t milliseconds) override
    {
        if (std::this_thread::get_id() != mainThread || milliseconds == 0) {
            PosixPlatformSystem::Sleep(milliseconds);
            return;
        }
        sleeps.push_back(milliseconds);
        now += milliseconds + 3;
    }

    uint64_t& now;
    std::thread::id mainThread = std::this_thread::get_id();
    int pumps = 0;
    int closeOnPump = -1;
    int quits = 0;
    std::vector<uint32_t> sleeps;
};

class LifeWorld : public ::testing::Test {
protected:
    LifeWorld()
    {
        const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
        if (gameDir)
            std::filesystem::copy(gameDir, folder.Path(), std::filesystem::copy_options::recursive);
        std::filesystem::remove_all(folder.Path() / "User");
        working = folder.Path().string();
        InstallSystems(app, working);
        app.GetSystem(SystemSlot::Platform).create = [this] {
            platform = new ScriptedPlatform(working + "/User", now);
            gPlatformSystem = platform;
        };
        app.GetSystem(SystemSlot::Timer).create = [this] {
            gTimerSystem = new PosixTimerSystem([this] { return now; });
        };
        app.GetSystem(SystemSlot::Debug).create = [create = app.GetSystem(SystemSlot::Debug).create] {
            create();
            gDebugSystem->SetEchoToStdout(false);
        };
        for (int slot = 0; slot < kSystemSlotCount; ++slot)
            RecordLife(static_cast<SystemSlot>(slot));
        gApplication = &app;
    }
    ~LifeWorld() override { app.ShutDown(); }

    void RecordLife(SystemSlot slot)
    {
        SystemHooks& hooks = app.GetSystem(slot);
        int index = static_cast<int>(slot);
        if (hooks.create)
            hooks.create = [this, index, create = hooks.create] {
                create();
                created.push_back(index);
            };
        if (hooks.destroy)
            hooks.destroy = [this, index, destroy = hooks.destroy] {
                destroyed.push_back(index);
                destroy();
            };
    }

    std::string Log() const { return folder.Read("User/log.txt"); }

    // The program started on a fixed seed (it seeds from the clock otherwise) with a new world.
    void StartNewWorld(uint32_t seed)
    {
        ASSERT_TRUE(app.StartUp());
        gRandomSystem->Seed(seed);
        app.RunFrame();
        ASSERT_TRUE(ExecuteCommandLine("newWorld 0 Average Normal 0"));
    }

    // A player of the level at the world's start, in the table and joined.
    Player* JoinPlayer(int32_t level)
    {
        auto* player = new Player();
        player->stats.Set(CharacterStat::Level, level);
        player->SetPosition(gGame->GetStartPosition(0));
        EXPECT_NE(gGame->AddEntity(player), -1);
        gGame->OnPlayerJoined(*player);
        return player;
    }

    void RunFrames(int count, uint64_t millis = 60)
    {
        for (int frame = 0; frame < count; ++frame) {
            now += millis;
            app.RunFrame();
        }
    }

    // No error and no warning in the log, then the program shut down.
    void ExpectCleanLogAndShutDown()
    {
        gDebugSystem->Flush();
        std::string log = Log();
        EXPECT_EQ(log.find("^c001"), std::string::npos) << log;
        EXPECT_EQ(log.find("^c005"), std::string::npos) << log;
        app.ShutDown();
    }

    TempFolder folder;
    std::string working;
    SwappableApplication app;
    ScriptedPlatform* platform = nullptr;
    // Starts just short of the 32-bit wrap, so the frames measured cross it.
    uint64_t now = 0xFFFFFFF0u;
    std::vector<int> created;
    std::vector<int> destroyed;
};

int SlotIndex(SystemSlot slot)
{
    return static_cast<int>(slot);
}

} // namespace

TEST_F(LifeWorld, SystemsAreCreatedInOrderAndDestroyedInTheirOwnOrder)
{
    ASSERT_TRUE(app.StartUp());
    std::vector<int> filled;
    for (int slot = 0; slot < kSystemSlotCount; ++slot) {
        if (app.GetSystem(static_cast<SystemSlot>(slot)).create)
            filled.push_back(slot);
    }
    // The engine core at least, each once, in slot order.
    EXPECT_EQ(created, filled);
    for (SystemSlot core : {SystemSlot::Platform, SystemSlot::FileSystem, SystemSlot::Debug, SystemSlot::Localisation,
                            SystemSlot::Listener, SystemSlot::Command, SystemSlot::VirtualKeys, SystemSlot::UserVars,
                            SystemSlot::Timer, SystemSlot::Profiler, SystemSlot::Color, SystemSlot::NameGenerator,
                            SystemSlot::Random, SystemSlot::Database})
        EXPECT_NE(std::find(created.begin(), created.end(), SlotIndex(core)), created.end()) << SlotIndex(core);

    app.ShutDown();
    std::vector<int> sortedDestroyed = destroyed;
    std::sort(sortedDestroyed.begin(), sortedDestroyed.end());
    EXPECT_EQ(sortedDestroyed, filled);
    auto position = [this](SystemSlot slot) {
        return std::find(destroyed.begin(), destroyed.end(), SlotIndex(slot)) - destroyed.begin();
    };
    // The order the systems' lifetimes need, for the systems this program has.
    const SystemSlot chain[] = {SystemSlot::Effect,        SystemSlot::Graphics,        SystemSlot::SystemInfo,
                                SystemSlot::Shader,        SystemSlot::ResourceManager, SystemSlot::Platform,
                                SystemSlot::NameGenerator, SystemSlot::Color,           SystemSlot::Profiler,
                                SystemSlot::Timer};
    std::vector<long> present;
    for (SystemSlot slot : chain) {
        if (position(slot) < static_cast<long>(destroyed.size()))
            present.push_back(position(slot));
    }
    EXPECT_TRUE(std::is_sorted(present.begin(), present.end()));
    EXPECT_LT(position(SystemSlot::Database), position(SystemSlot::Platform));
    EXPECT_EQ(destroyed.back(), SlotIndex(SystemSlot::Debug));
    EXPECT_EQ(gDebugSystem, nullptr);
    EXPECT_EQ(gPlatformSystem, nullptr);
    EXPECT_EQ(gCommandSystem, nullptr);
}

TEST_F(LifeWorld, QuitEndsTheLoopAfterTheCurrentFrameAndStatisticsReachTheLog)
{
    std::vector<std::string> steps;
    std::vector<uint32_t> deltas;
    int frames = 0;
    app.AddFrameHook(FrameStep::WorldHostTick, [&](uint32_t frameMs) { deltas.push_back(frameMs); });
    app.AddFrameHook(FrameStep::ClientUpdate, [&](uint32_t) {
        if (++frames == 3)
            ExecuteCommandLine("quit");
    });
    app.AddFrameHook(FrameStep::ServerFrameEnd, [&](uint32_t) { steps.push_back("end"); });
    app.AddShutDownHook(ShutDownStep::EndGame, [&] { steps.push_back("game ended"); });
    ASSERT_TRUE(app.StartUp());
    app.Run();

    EXPECT_EQ(frames, 3);
    EXPECT_EQ(platform->quits, 1);
    // The quitting frame ran to its end, sleep included.
    EXPECT_EQ(steps.back(), "end");
    EXPECT_EQ(platform->sleeps, (std::vector<uint32_t>(3, Application::kNoDisplayFrameMs)));
    // Frames of 10 ms sleep and 3 ms work, from the frame timer's start; the third crosses
    // the clock's wrap and is measured by its rule, one short of the true 13.
    EXPECT_EQ(deltas, (std::vector<uint32_t>{0, 13, 12}));
    EXPECT_EQ(app.GetFrameDelta(), 12u);

    EXPECT_EQ(app.GetStopReason(), "quit command");
    app.ShutDown();
    EXPECT_EQ(steps.back(), "game ended");
    std::string log = Log();
    size_t started = log.find("Debug system started\n");
    size_t stopping = log.find("\nShutting down at ");
    size_t files = log.find("File system: ");
    // The shut-down says when and why it began before anything is let go; on the test's clock
    // the run took the three frames of 13 ms, measured across the wrap one short like a frame.
    ASSERT_NE(stopping, std::string::npos) << log;
    unsigned seconds = 0;
    unsigned milliseconds = 0;
    char reason[16] = {};
    ASSERT_EQ(sscanf(log.c_str() + stopping, "\nShutting down at %*d-%*d-%*d %*d:%*d:%*d, %u.%u s after the start: %15[^\n]",
                     &seconds, &milliseconds, reason),
              3)
        << log;
    EXPECT_EQ(seconds * 1000 + milliseconds, 38u);
    EXPECT_STREQ(reason, "quit command");
    EXPECT_LT(started, stopping);
    EXPECT_LT(stopping, files);
    size_t memory = log.find("Memory statistics:\n");
    size_t debug = log.find("Debug: ");
    size_t vars = log.find(" user vars\n");
    size_t profiler = log.find("Profiler: no frames profiled\n");
    ASSERT_NE(started, std::string::npos) << log;
    EXPECT_LT(started, files);
    EXPECT_LT(files, memory);
    EXPECT_LT(memory, debug);
    EXPECT_LT(debug, vars);
    EXPECT_LT(vars, profiler);
    EXPECT_NE(profiler, std::string::npos);
}

TEST_F(LifeWorld, ClosingTheWindowFinishesTheFrameLikeQuit)
{
    int ends = 0;
    app.AddFrameHook(FrameStep::ServerFrameEnd, [&](uint32_t) { ++ends; });
    ASSERT_TRUE(app.StartUp());
    platform->closeOnPump = 2;
    app.Run();
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(platform->quits, 0);
    EXPECT_EQ(app.GetStopReason(), "window closed");
    app.ShutDown();
    std::string log = Log();
    EXPECT_NE(log.find(" s after the start: window closed\n"), std::string::npos) << log;
}

TEST_F(LifeWorld, StartUpReadsTheShippedFilesInOrder)
{
    ASSERT_TRUE(app.StartUp());
    gDebugSystem->Flush();
    std::string log = Log();
    size_t version = log.find("Emberlode ");
    size_t started = log.find("Debug system started\n");
    ASSERT_NE(version, std::string::npos) << log;
    EXPECT_LT(version, started);
    // The shipped settings were read and the top-level commands exist.
    EXPECT_EQ(gDebugSystem->GetMaxConsoleLines(), 100);
    for (const char* command : {"quit", "start", "resumeGame", "saveAndExit", "exitWithoutSave", "printmem"})
        EXPECT_TRUE(gCommandSystem->IsCommand(command)) << command;
    EXPECT_EQ(log.find("^c001"), std::string::npos) << log;
    EXPECT_EQ(log.find("^c005"), std::string::npos) << log;
    // Developer lines are off by default, those held from before the settings were read too.
    EXPECT_EQ(log.find("Mounted assets001.zip: "), std::string::npos) << log;
    // The shipped binding found its key through the language's key names.
    EXPECT_EQ(gVirtualKeys->GetEntryValue(gVirtualKeys->FindByName("VirtualToggleConsole", true)), 41);
}

TEST_F(LifeWorld, InactiveOrMinimisedWindowIdlesTheFrame)
{
    ASSERT_TRUE(app.StartUp());
    gSystemInfo->applicationActive = false;
    app.RunFrame();
    gSystemInfo->applicationActive = true;
    gSystemInfo->minimised = true;
    app.RunFrame();
    gSystemInfo->minimised = false;
    app.RunFrame();
    ASSERT_EQ(platform->sleeps.size(), 3u);
    EXPECT_EQ(platform->sleeps[0], Application::kInactiveFrameMs);
    EXPECT_EQ(platform->sleeps[1], Application::kInactiveFrameMs);
    EXPECT_NE(platform->sleeps[2], Application::kInactiveFrameMs);
}

TEST_F(LifeWorld, ShippedFontsAndShadersAreLoadedAtStartUpAndFreedWhileTheDeviceExists)
{
    int32_t texturesLeft = -1;
    SystemHooks& graphics = app.GetSystem(SystemSlot::Graphics);
    graphics.destroy = [&texturesLeft, destroy = graphics.destroy] {
        texturesLeft = gGraphicsDevice->GetLiveTextureCount();
        destroy();
    };
    ASSERT_TRUE(app.StartUp());
    // The five font pages at least went to the device before the first frame.
    EXPECT_GE(gGraphicsDevice->GetLiveTextureCount(), 5);
    EXPECT_EQ(gScreenText->GetLadderFont(0).GetName(), "Textures/Fonts/font_small.fnt");
    EXPECT_EQ(gScreenText->GetLadderFont(3).GetName(), "Textures/Fonts/font_huge.fnt");
    // Every font a text code names is a shipped font.
    for (int32_t code = 0; code < 5; ++code) {
        ResourceHandle font;
        gResourceManager->Load(gGameData->GetTextFontName(code), font);
        EXPECT_NE(dynamic_cast<FontResource*>(gResourceManager->Get(font)), nullptr) << code;
    }
    EXPECT_EQ(gGameData->GetTextFontName(4), "Textures/Fonts/font_bold.fnt");
    app.ShutDown();
    EXPECT_EQ(texturesLeft, 0);
}

TEST_F(LifeWorld, FailedStartUpStepStopsBeforeTheGameAndTheRunFails)
{
    bool gameStarted = false;
    app.AddStartUpHook(StartUpStep::Sound, [] { return false; });
    app.AddStartUpHook(StartUpStep::Game, [&] { return gameStarted = true; });
    EXPECT_EQ(RunApplication(app), 1);
    EXPECT_FALSE(app.IsRunning());
    EXPECT_FALSE(gameStarted);
    EXPECT_EQ(destroyed.back(), SlotIndex(SystemSlot::Debug));
    std::string log = Log();
    EXPECT_EQ(log.find("Debug system started"), std::string::npos) << log;
    EXPECT_NE(log.find(" s after the start: a start-up step failed\n"), std::string::npos) << log;
}

TEST_F(LifeWorld, QuitDuringTheStartUpRunsNoFrameAndIsNoFailure)
{
    int frames = 0;
    app.AddStartUpHook(StartUpStep::Game, [this] {
        app.Quit();
        return true;
    });
    app.AddFrameHook(FrameStep::ClientDraw, [&](uint32_t) { ++frames; });
    EXPECT_EQ(RunApplication(app), 0);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(destroyed.back(), SlotIndex(SystemSlot::Debug));
}

TEST_F(LifeWorld, DeveloperLinesPrintedBeforeTheSettingsAreReadReachTheLogWhenTheyTurnThemOn)
{
    folder.Write("User/user.cfg", "developer 1\n");
    ASSERT_TRUE(app.StartUp());
    gDebugSystem->Flush();
    std::string log = Log();
    // After the version, which heads every log: the file system's mount lines, which come
    // before the debug system exists, let alone the settings.
    EXPECT_EQ(log.rfind("Emberlode 0.1 (development)\nMounted assets001.zip: ", 0), 0u) << log;
    EXPECT_NE(log.find("\nArchive assets002.zip not present\n"), std::string::npos) << log;
    EXPECT_LT(log.find("\nMounted Assets, User and 1 archive"), log.find("\nLanguage loaded: "));
}

TEST_F(LifeWorld, LogFileTurnedOnWhileRunningOpensTheLog)
{
    folder.Write("User/user.cfg", "logfile 0\n");
    ASSERT_TRUE(app.StartUp());
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User/log.txt"));
    ExecuteCommandLine("setUserVar logfile 1");
    app.RunFrame();
    DebugSystem::Print(kPrintPlain, "after the change\n");
    gDebugSystem->Flush();
    std::string log = Log();
    EXPECT_NE(log.find("after the change\n"), std::string::npos) << log;
    // The start-up's lines were let go when the log was refused; the version heads it all the same.
    EXPECT_EQ(log.find("Debug system started"), std::string::npos) << log;
    EXPECT_EQ(log.rfind("Emberlode 0.1 (development)\n", 0), 0u) << log;
}

// The bound key's name was the one ".cfg" files use, never the language's form for it.
TEST_F(LifeWorld, BoundKeysAreNamedAsTheLanguageShowsThem)
{
    ASSERT_TRUE(app.StartUp());
    int toggle = gVirtualKeys->FindByName("VirtualToggleConsole", true);
    int screenshot = gVirtualKeys->FindByName("VirtualTakeScreenshot", true);
    EXPECT_EQ(gVirtualKeys->GetBoundKeyName(screenshot), "F12");
    EXPECT_TRUE(gVirtualKeys->Bind(26, false, "VirtualToggleConsole"));
    EXPECT_EQ(gVirtualKeys->GetBoundKeyName(toggle), "Left Bracket");
    EXPECT_EQ(gVirtualKeys->GetBoundKeyName(26), "Left Bracket");
    EXPECT_EQ(gVirtualKeys->GetBoundKeyName(16), "Q");
    EXPECT_TRUE(gVirtualKeys->Bind(2, true, "VirtualTakeScreenshot"));
    EXPECT_EQ(gVirtualKeys->GetBoundKeyName(screenshot), "Middle Mouse Button");
    // The file keeps the key's own name.
    EXPECT_NE(folder.Read("User/user.cfg").find("VirtualKey VirtualToggleConsole LeftBracket\n"), std::string::npos);
}

TEST_F(LifeWorld, ProfiledFramesAreReportedAtShutDown)
{
    ASSERT_TRUE(app.StartUp());
    ExecuteCommandLine("setUserVar profile 1");
    int frames = 0;
    app.AddFrameHook(FrameStep::ClientDraw, [&](uint32_t) {
        if (++frames == 2)
            app.Quit();
    });
    app.Run();
    app.ShutDown();
    // The sleep of each frame falls after the profiler closes it: 0 ms frames.
    EXPECT_NE(Log().find("Profiler: 2 frames, 0.00 ms average, 0 ms longest, 0 spikes\n"), std::string::npos) << Log();
}

TEST_F(LifeWorld, TheShippedGamePlaysItsThemeMusicOnTheNullDeviceWithoutAWarning)
{
    ASSERT_TRUE(app.StartUp());
    app.AddFrameHook(FrameStep::ClientDraw, [this](uint32_t) { app.Quit(); });
    app.Run();
    ASSERT_TRUE(gSoundSystem->IsInitialised());
    EXPECT_EQ(gSoundSystem->GetMusicChannel(), 0);
    SoundInstance* music = gSoundSystem->GetChannel(0);
    EXPECT_TRUE(music->IsActive());
    EXPECT_TRUE(music->IsLooping());
    EXPECT_EQ(gResourceManager->GetName(music->GetResource()), "Music/theme.ogg");
    // The theme fades in over the record's two seconds.
    EXPECT_TRUE(music->IsFading());
    gDebugSystem->Flush();
    std::string log = Log();
    EXPECT_NE(log.find("Sound system initialized\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("^c001"), std::string::npos) << log;
    EXPECT_EQ(log.find("^c005"), std::string::npos) << log;
    app.ShutDown();
}

TEST_F(LifeWorld, SoundSwitchedOffInTheSettingsLeavesTheGameSilent)
{
    folder.Write("User/user.cfg", "s_initSound 0\n");
    ASSERT_TRUE(app.StartUp());
    app.AddFrameHook(FrameStep::ClientDraw, [this](uint32_t) { app.Quit(); });
    app.Run();
    EXPECT_FALSE(gSoundSystem->IsInitialised());
    EXPECT_EQ(gSoundSystem->GetMusicChannel(), -1);
    EXPECT_EQ(gSoundSystem->GetDeviceName(), "");
    gDebugSystem->Flush();
    EXPECT_NE(Log().find("Skipped sound system initialization\n"), std::string::npos) << Log();
    app.ShutDown();
}

TEST_F(LifeWorld, TheThemeFadesOutWhenTheMusicVolumeGoesToZeroAndReturnsWithIt)
{
    ASSERT_TRUE(app.StartUp());
    app.RunFrame();
    ASSERT_EQ(gSoundSystem->GetMusicChannel(), 0);
    ExecuteCommandLine("setUserVar s_volumeMusic 0");
    // The record's fade of two seconds runs on the game clock: each frame here is 13 ms.
    for (int frame = 0; frame < 200; ++frame)
        app.RunFrame();
    EXPECT_FALSE(gSoundSystem->GetChannel(0)->IsActive());
    ExecuteCommandLine("setUserVar s_volumeMusic 0.5");
    app.RunFrame();
    app.RunFrame();
    // The theme starts again, on the other music channel.
    EXPECT_EQ(gSoundSystem->GetMusicChannel(), 1);
    EXPECT_TRUE(gSoundSystem->GetChannel(1)->IsActive());
    app.ShutDown();
}

TEST_F(LifeWorld, TheSoundIsMutedWhileTheWindowIsInactive)
{
    ASSERT_TRUE(app.StartUp());
    app.RunFrame();
    EXPECT_FALSE(gSoundSystem->IsMuted());
    gSystemInfo->applicationActive = false;
    app.RunFrame();
    EXPECT_TRUE(gSoundSystem->IsMuted());
    gSystemInfo->applicationActive = true;
    app.RunFrame();
    EXPECT_FALSE(gSoundSystem->IsMuted());
    app.ShutDown();
}

// ---- The world host in the shipped game ------------------------------------------------------

TEST_F(LifeWorld, NewWorldOnTheConsoleStartsTheShippedWorldAndTheHostTakesOnlyTheRequests)
{
    ASSERT_TRUE(app.StartUp());
    CommandSystem& requests = gWorldHost->GetClientCommands();
    EXPECT_TRUE(requests.IsCommand("useSkill"));
    EXPECT_TRUE(requests.IsCommand("newWorld"));
    EXPECT_FALSE(requests.IsCommand("quit"));
    EXPECT_FALSE(requests.IsCommand("setUserVar"));
    app.RunFrame();
    EXPECT_FALSE(gWorldHost->IsActive());
    EXPECT_TRUE(ExecuteCommandLine("newWorld 0 Average Normal 0"));
    EXPECT_TRUE(gWorldHost->IsActive());
    EXPECT_TRUE(gGame->IsWorldRunning());
    EXPECT_GT(gWorld->GetLevelCount(), 0);
    RunFrames(3);
    EXPECT_GE(gWorldHost->GetStepCount(), 3u) << "three frames of 60 ms each hold at least one step";
    // The frame generates the level the new world's start anchors.
    const Level* start = gWorld->GetLevel(gGame->GetCurrentLevel());
    ASSERT_NE(start, nullptr);
    ASSERT_NE(start->data, nullptr);
    EXPECT_TRUE(start->data->generated);
    EXPECT_FALSE(start->generationWanted);
    ExpectCleanLogAndShutDown();
}

// The town NPCs of the table, by their NPC type; each type at most once.
int32_t CountTownNpcsInTheTable()
{
    int32_t count = 0;
    for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
        if (const Entity* entity = gGame->GetEntity(number); entity && entity->GetNpcType() > 0)
            ++count;
    return count;
}

TEST_F(LifeWorld, ANewWorldMakesTheShippedTownNpcsAtTheirSpotsAsItsNamedActors)
{
    ASSERT_TRUE(app.StartUp());
    app.RunFrame();
    ASSERT_TRUE(ExecuteCommandLine("newWorld 0 Average Normal 0"));
    const int32_t slots = gGame->GetTownNpcSlotCount();
    EXPECT_EQ(slots, 11) << "one slot per NpcType line of the shipped tuning; the tutor comes later";
    ASSERT_EQ(gGame->CountNamedActors(), slots);
    for (int32_t slot = 0; slot < slots; ++slot) {
        Entity* npc = gGame->GetTownNpc(gGame->GetTownNpcType(slot));
        ASSERT_NE(npc, nullptr) << "slot " << slot;
        EXPECT_EQ(npc->GetNpcType(), gGame->GetTownNpcType(slot));
        EXPECT_EQ(gGame->GetEntity(npc->entityNumber), npc);
        EXPECT_EQ(npc->position.level, 0) << "in town";
        EXPECT_EQ(static_cast<Entity*>(gGame->GetNamedActor(slot)), npc) << "the quests name town NPCs by their slot";
        std::string name;
        gGame->GetNamedEntry(slot, name);
        EXPECT_FALSE(name.empty()) << slot;
    }
    EXPECT_EQ(gGame->CountLivingTownNpcs(), slots);
    EXPECT_EQ(CountTownNpcsInTheTable(), slots);
    // Another world makes them again in place of the first ones.
    ASSERT_TRUE(ExecuteCommandLine("newWorld 0 Average Normal 0"));
    EXPECT_EQ(CountTownNpcsInTheTable(), slots);
    EXPECT_EQ(gGame->CountLivingTownNpcs(), slots);
    RunFrames(3);
    EXPECT_EQ(CountTownNpcsInTheTable(), slots);
    ExpectCleanLogAndShutDown();
}

TEST_F(LifeWorld, EveryShippedLevelPastTheTownHidesOneBonusChestWhenItIsGenerated)
{
    ASSERT_TRUE(app.StartUp());
    // The program seeds its streams from the clock; one fixed world makes every run alike.
    gRandomSystem->Seed(20261207);
    app.RunFrame();
    ASSERT_TRUE(ExecuteCommandLine("newWorld 0 Average Normal 0"));
    const GameSystemTuning& tuning = gGameData->GetTuning();
    const std::set<std::string> names{tuning.bonusChestNormalName, tuning.bonusChestDecentName,
                                      tuning.bonusChestGoodName, tuning.bonusChestGreatName};
    ASSERT_EQ(names.size(), 4u);
    for (const std::string& name : names)
        EXPECT_NE(gDatabase->FindEntryByName(name), nullptr) << name;
    // Generated as a player's arrival does, each level's area pieces and rolls placed with it.
    for (int32_t index = 0; index < gWorld->GetLevelCount(); ++index) {
        Level& level = *gWorld->GetLevel(index);
        LevelGenerator::AddReference(level, kLevelReferenceActive);
        LevelGenerator::EnsureGenerated(level);
    }
    std::map<int32_t, int32_t> bonusChests;
    for (int32_t number = 0; number < GameServices::kMaxEntities; ++number) {
        const auto* chest = dynamic_cast<const Chest*>(gGame->GetEntity(number));
        if (chest && names.count(std::string(chest->GetEntry()->GetName()))) {
            ++bonusChests[chest->position.level];
            Level& level = *gWorld->GetLevel(chest->position.level);
            int32_t block = LevelQueries::WorldToBlock(level, chest->position.x, chest->position.y);
            const int32_t perRow = level.data->geometry.blocksPerRow;
            EXPECT_TRUE(LevelQueries::IsBlockReachable(level, block % perRow, block / perRow));
        }
    }
    for (int32_t index = 0; index < gWorld->GetLevelCount(); ++index) {
        const Level& level = *gWorld->GetLevel(index);
        bool none = index == 0 || level.area->record->GetInt("NoBonusChest") != 0;
        EXPECT_EQ(bonusChests[index], none ? 0 : 1) << "level " << index << " of " << level.area->name;
    }
    ExpectCleanLogAndShutDown();
}

// The shipped doors stand in gaps of their levels' walls: each one opens on use and shuts
// again though the walls lie within its radius, and only while nobody stands in its doorway.
TEST_F(LifeWorld, EveryShippedDoorOpensAndShutsAgainstTheWallsBesideIt)
{
    ASSERT_NO_FATAL_FAILURE(StartNewWorld(20261207));
    Player* player = JoinPlayer(1);
    for (int32_t index = 0; index < gWorld->GetLevelCount(); ++index) {
        Level& level = *gWorld->GetLevel(index);
        LevelGenerator::AddReference(level, kLevelReferenceActive);
        LevelGenerator::EnsureGenerated(level);
    }
    std::vector<Door*> doors;
    for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
        if (auto* door = dynamic_cast<Door*>(gGame->GetEntity(number)); door && door->IsPrimary())
            doors.push_back(door);
    ASSERT_FALSE(doors.empty()) << "the grasslands' hedge holds a door";
    int32_t againstWalls = 0;
    auto settle = [this](Door* door, int32_t state) {
        for (int frame = 0; frame < 40 && door->GetState() != state; ++frame)
            RunFrames(1);
        return door->GetState() == state;
    };
    for (Door* door : doors) {
        againstWalls += gWorld->IsBlockedNear(door->position, door->radius) ? 1 : 0;
        EXPECT_EQ(door->GetState(), DoorState::Closed);
        EXPECT_TRUE(door->alwaysBlocks) << "a shut door blocks";
        door->Use(player);
        ASSERT_TRUE(settle(door, DoorState::Open)) << "door " << door->entityNumber;
        EXPECT_FALSE(door->alwaysBlocks);
        player->SetPosition(door->position);
        door->Use(player);
        EXPECT_EQ(door->GetState(), DoorState::Open) << "not shut on the player in its doorway";
        player->SetPosition(gGame->GetStartPosition(0));
        door->Use(player);
        ASSERT_TRUE(settle(door, DoorState::Closed)) << "door " << door->entityNumber << " shuts again";
        EXPECT_TRUE(door->alwaysBlocks);
    }
    EXPECT_GT(againstWalls, 0) << "a door stands beside the walls of its gap";
    ExpectCleanLogAndShutDown();
}

// A door left open is written with the world and comes back open where it stood, once: the
// level it stands on is not filled with its pieces' objects a second time.
TEST_F(LifeWorld, AShippedDoorLeftOpenIsOpenAndAloneInTheLoadedWorld)
{
    ASSERT_NO_FATAL_FAILURE(StartNewWorld(20261207));
    Player* player = JoinPlayer(1);
    auto doorsAt = [](const WorldPos& place) {
        std::vector<Door*> found;
        for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
            if (auto* door = dynamic_cast<Door*>(gGame->GetEntity(number));
                door && door->position.level == place.level && door->position.Distance2D(place) < 1.0f)
                found.push_back(door);
        return found;
    };
    Door* door = nullptr;
    for (int32_t index = 1; index < gWorld->GetLevelCount() && !door; ++index) {
        Level& level = *gWorld->GetLevel(index);
        LevelGenerator::AddReference(level, kLevelReferenceActive);
        LevelGenerator::EnsureGenerated(level);
        RunFrames(1);
        for (int32_t number = 0; number < GameServices::kMaxEntities && !door; ++number)
            door = dynamic_cast<Door*>(gGame->GetEntity(number));
    }
    ASSERT_NE(door, nullptr) << "a level holds the hedge's door";
    door->Use(player);
    for (int frame = 0; frame < 40 && door->GetState() != DoorState::Open; ++frame)
        RunFrames(1);
    ASSERT_EQ(door->GetState(), DoorState::Open);
    const WorldPos place = door->position;

    ASSERT_TRUE(gGame->SaveWorld("Doorkeeper"));
    gGame->Reset();
    ASSERT_EQ(gGame->LoadWorld("Doorkeeper"), Game::WorldLoadResult::Loaded);
    Level& level = *gWorld->GetLevel(place.level);
    LevelGenerator::AddReference(level, kLevelReferenceActive);
    LevelGenerator::EnsureGenerated(level);
    player = JoinPlayer(1);
    RunFrames(3);
    std::vector<Door*> found = doorsAt(place);
    ASSERT_EQ(found.size(), 1u) << "the door, and no second one from the level's pieces";
    EXPECT_EQ(found[0]->GetState(), DoorState::Open);
    EXPECT_FALSE(found[0]->alwaysBlocks) << "an open door lets the player through";
    ExpectCleanLogAndShutDown();
}

// A monster that hides waits for a player to come close, then springs out to fight: hidden, it
// can neither be struck nor strike, so one that never came out would stand unkillable for ever.
TEST_F(LifeWorld, EveryShippedMonsterThatHidesSpringsOutAtAPlayerNearby)
{
    ASSERT_NO_FATAL_FAILURE(StartNewWorld(20261207));
    Player* player = JoinPlayer(5);
    // Out in the wilds past the town, where beasts take a player for prey.
    Level& wilds = *gWorld->GetLevel(1);
    LevelGenerator::AddReference(wilds, kLevelReferenceActive);
    LevelGenerator::EnsureGenerated(wilds);
    SpawnSearch search;
    search.freeSpot = true;
    WorldPos spot;
    ASSERT_TRUE(gGame->FindSpawnPosition({1, gWorld->GetLevelWidth() / 2.0f, gWorld->GetLevelHeight() / 2.0f, true}, 40,
                                         search, false, spot));
    player->SetPosition(spot);
    player->maxHealth = player->health = 100000;
    // A player stands for the players' faction through its own covenant, as a joined one does.
    gGame->AddCovenant(std::make_unique<PlayerCovenant>());
    player->covenantIndex = gGame->GetCovenantCount() - 1;
    WorldPos near = spot;
    near.x += 60.0f;
    int32_t hiders = 0;
    for (int32_t i = 0; i < gGameData->GetMonsterTypeCount(); ++i) {
        const MonsterType* type = gGameData->GetMonsterType(i);
        Actor* actor = gSpawnSystem->SpawnQuestMonster(type, 5, near);
        if (!actor)
            continue;
        if (actor->DefFloat("HideChance") <= 0.0f) {
            actor->ScheduleDelete(0.0f);
            continue;
        }
        ++hiders;
        SCOPED_TRACE(type->GetEntry()->GetName());
        ASSERT_LE(gGame->GetRelationship(actor, player), 1) << "the beast takes the player for prey";
        actor->flags |= EntityFlag::Hidden;
        for (int frame = 0; frame < 60 && (actor->flags & EntityFlag::Hidden); ++frame)
            RunFrames(1);
        EXPECT_FALSE(actor->flags & EntityFlag::Hidden) << "came out of hiding at the player";
        actor->ScheduleDelete(0.0f);
        RunFrames(1);
    }
    EXPECT_GT(hiders, 0) << "the shipped beasts hide";
    ExpectCleanLogAndShutDown();
}

// A player in a new shipped world gets the world's initial quests and the story's first, and
// every shipped quest definition either starts or ends cleanly, all without a warning.
TEST_F(LifeWorld, TheShippedWorldStartsItsQuestsAndEveryDefinitionStartsOrEndsCleanly)
{
    ASSERT_NO_FATAL_FAILURE(StartNewWorld(20261207));
    Player* player = JoinPlayer(1);
    GameQuests& quests = gGame->GetQuests();
    EXPECT_TRUE(quests.GetList().empty()) << "the story waits for the world's initial quests";
    RunFrames(3);
    EXPECT_FALSE(quests.initialQuestsPending);
    std::multiset<std::string> started;
    for (const auto& quest : quests.GetList())
        if (quest)
            started.insert(std::string(quest->definition->GetEntry()->GetName()));
    // The town draws two or three quests, any of which may be refused as a duplicate of one
    // drawn before it; a beginning quest is refused in turn when a town quest of its definition
    // already runs. So each beginning definition runs once, whoever started it, and the list
    // holds no more than the draws, the beginning quests and the story, and no two alike.
    const std::vector<std::string>& beginning = gWorld->GetBeginningQuests();
    ASSERT_FALSE(beginning.empty());
    for (const std::string& name : beginning)
        EXPECT_EQ(started.count(name), 1u) << name;
    ASSERT_EQ(started.count("QuestStoryScout"), 1u);
    EXPECT_LE(started.size(), static_cast<size_t>(quests.GetPacing().maxInitialQuests) + beginning.size() + 1);
    for (const auto& quest : quests.GetList())
        for (const auto& other : quests.GetList())
            if (quest && other && !quest->definition->duplicatesAllowed && !quest->definition->alwaysAdd) {
                EXPECT_FALSE(quest->IsDuplicateOf(*other)) << quest->questId << " and " << other->questId;
            }
    const Quest* story = nullptr;
    for (const auto& quest : quests.GetList())
        if (quest && quest->definition->GetEntry()->GetName() == "QuestStoryScout")
            story = quest.get();
    EXPECT_TRUE(player->HasQuest(story->questId)) << "the story gives itself to the player";

    const int32_t definitions = gGameData->GetQuestDefinitions().GetCount();
    for (int32_t index = 0; index < definitions; ++index)
        for (int32_t attempt = 0; attempt < 3; ++attempt)
            if (Quest* quest = quests.StartQuest(index, nullptr, -1))
                quests.DeleteQuest(quest->questId);
    RunFrames(3);
    ExpectCleanLogAndShutDown();
}

// The world's quests run for a game hour with a quest and an event started every step: every
// quest's number stays its place in the list, no slot names a quest that is gone, and the
// entities the quests put into the world stay within the table.
TEST_F(LifeWorld, QuestSoakKeepsTheQuestListAndSlotsWhole)
{
    ASSERT_NO_FATAL_FAILURE(StartNewWorld(20261208));
    Player* player = JoinPlayer(6);
    GameQuests& quests = gGame->GetQuests();
    quests.forceQuests = true;
    size_t most = 0;
    for (int frame = 0; frame < 120; ++frame) {
        now += 30;
        app.RunFrame();
        const auto& list = quests.GetList();
        most = std::max(most, list.size());
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i]) {
                ASSERT_EQ(list[i]->questId, static_cast<int32_t>(i)) << "frame " << frame;
            }
        }
        for (int32_t slot = 0; slot < Player::kQuestSlotCount; ++slot) {
            const EntityQuest* copy = player->GetQuestSlot(slot);
            if (copy && !copy->IsEmpty()) {
                ASSERT_NE(quests.GetQuest(copy->questId), nullptr) << "frame " << frame << " slot " << slot;
            }
        }
        ASSERT_LT(gGame->CountEntities(), GameServices::kMaxEntities - 50) << "frame " << frame;
    }
    EXPECT_GT(most, 3u) << "quests came and went";
    quests.forceQuests = false;
    gDebugSystem->Flush();
    std::string log = Log();
    EXPECT_EQ(log.find("^c001"), std::string::npos) << log;
    app.ShutDown();
}

// The shipped world's own events, as a band at large calls them: it drags two peoples into war
// and sends a war gate with its band against the town; traps are laid in the streets, a trader
// wanders out, the covenants' crystals move and a newcomer replaces a townsperson who is gone;
// all on the shipped records without a warning.
TEST_F(LifeWorld, TheShippedEventsOfEveryKindHappenInTheShippedWorld)
{
    ASSERT_NO_FATAL_FAILURE(StartNewWorld(20261209));
    JoinPlayer(6);
    GameQuests& quests = gGame->GetQuests();
    const QuestDefinition* bandAtLarge = gGameData->FindQuestDefinition(gDatabase->FindEntryByName("QuestBandAtLarge"));
    ASSERT_NE(bandAtLarge, nullptr);
    Quest* band = nullptr;
    for (int attempt = 0; attempt < 20 && !band; ++attempt)
        band = quests.StartQuestFromDefinition(bandAtLarge);
    ASSERT_NE(band, nullptr);
    auto startOf = [&](int32_t type) {
        Quest* started = nullptr;
        for (int attempt = 0; attempt < 40 && !started; ++attempt)
            started = quests.StartQuestOfType(type, band);
        return started;
    };

    Quest* war = startOf(QuestType::War);
    ASSERT_NE(war, nullptr) << "the band drags the world into war";
    ASSERT_EQ(war->goals.size(), 2u);
    EXPECT_TRUE(quests.AreFactionsAtWar(*war->goals[0].target, *war->goals[1].target));

    Quest* attack = startOf(QuestType::TownAttack);
    ASSERT_NE(attack, nullptr);
    auto* gate = attack->target.GetAs<Actor>();
    ASSERT_NE(gate, nullptr);
    EXPECT_EQ(gate->GetMonsterType(), gGameData->FindMonsterType("MonsterTownAttackGate"));
    EXPECT_GE(attack->spawnedCount, 3) << "the gate's band";
    EXPECT_LE(attack->spawnedCount, 5);

    Quest* traps = startOf(QuestType::TownTraps);
    ASSERT_NE(traps, nullptr);
    EXPECT_GE(traps->spawnedCount, 3) << "plates laid in the town";
    Quest* trader = startOf(QuestType::WanderingVendor);
    ASSERT_NE(trader, nullptr);
    auto* vendor = trader->target.GetAs<Actor>();
    ASSERT_NE(vendor, nullptr);
    EXPECT_EQ(vendor->GetMonsterType(), gGameData->FindMonsterType("NpcVendorWanderingClassWarden"));

    ASSERT_GT(gGame->GetCovenantCount(), 0);
    auto crystals = [] {
        int64_t total = 0;
        for (int32_t i = 0; i < gGame->GetCovenantCount(); ++i)
            if (const Covenant* covenant = gGame->GetCovenant(i))
                total += covenant->statistics.Get(CovenantStat::Money);
        return total;
    };
    for (int32_t i = 0; i < gGame->GetCovenantCount(); ++i)
        if (Covenant* covenant = gGame->GetCovenant(i))
            covenant->statistics.Set(CovenantStat::Money, 2000);
    int64_t before = crystals();
    EXPECT_EQ(quests.StartQuestOfType(QuestType::CrystalGain, nullptr), nullptr) << "over as it happens";
    EXPECT_GE(crystals(), before + 100);
    before = crystals();
    quests.StartQuestOfType(QuestType::CrystalLoss, nullptr);
    EXPECT_LE(crystals(), before - 100);
    for (int32_t type : {QuestType::InfluenceGain, QuestType::InfluenceLoss, QuestType::GuardBreaksFree})
        quests.StartQuestOfType(type, nullptr);

    // A townsperson gone: a newcomer takes the place.
    Actor* gone = gGame->GetNamedActor(1);
    ASSERT_NE(gone, nullptr);
    gGame->RemoveEntity(gone);
    delete gone;
    ASSERT_EQ(gGame->GetNamedActor(1), nullptr);
    quests.StartQuestOfType(QuestType::NewNpc, nullptr);
    EXPECT_NE(gGame->GetNamedActor(1), nullptr);

    RunFrames(3);
    ExpectCleanLogAndShutDown();
}

// A treasure map a character carries, used through the world host's own request line, sets its
// quest and buries its chest; the character who opens that chest has solved it.
TEST_F(LifeWorld, AShippedTreasureMapSetsItsQuestAndItsChestSolvesIt)
{
    ASSERT_NO_FATAL_FAILURE(StartNewWorld(20261210));
    auto* player = new Player();
    player->SetPosition(gGame->GetStartPosition(0));
    ASSERT_NE(gGame->AddEntity(player), -1);
    player->SetUpNew(0);
    player->stats.Set(CharacterStat::Level, 6);
    gGame->OnPlayerJoined(*player);
    // Carried as a character carries it: in the cells a satchel in the first bag place opens.
    std::unique_ptr<ItemBase> satchel = player->inventory->CreateItem();
    satchel->Load(gDatabase->FindEntryByName("LeatherSatchel"));
    ASSERT_TRUE(player->inventory->PlaceItem(satchel, InventoryGroupIndex::Main, 0, 0));
    std::unique_ptr<ItemBase> map = player->inventory->CreateItem();
    map->Load(gDatabase->FindEntryByName("TreasureMapWeathered"));
    const int32_t slot = 3;
    ASSERT_TRUE(player->inventory->PlaceItem(map, InventoryGroupIndex::Bag1, slot, 0));
    int32_t held = player->CountActiveQuests();

    ASSERT_TRUE(gWorldHost->GetClientCommands().Execute(
        "useItem " + std::to_string(InventoryGroupIndex::Bag1) + " " + std::to_string(slot), player));
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Bag1, slot), nullptr) << "the map is used up";
    ASSERT_EQ(player->CountActiveQuests(), held + 1);
    Quest* quest = nullptr;
    for (const auto& running : gGame->GetQuests().GetList())
        if (running && running->type == QuestType::TreasureMap)
            quest = running.get();
    ASSERT_NE(quest, nullptr);
    EXPECT_TRUE(player->HasQuest(quest->questId));
    auto* chest = quest->treasureChest.GetAs<Chest>();
    ASSERT_NE(chest, nullptr);
    EXPECT_EQ(chest->position.level, quest->targetLevel);

    int32_t score = player->stats.Get(CharacterStat::Score);
    chest->Use(player);
    EXPECT_FALSE(player->HasQuest(quest->questId)) << "handed in";
    EXPECT_EQ(player->stats.Get(CharacterStat::Score), score + 250);
    gDebugSystem->Flush();
    std::string log = Log();
    EXPECT_EQ(log.find("^c001"), std::string::npos) << log;
    app.ShutDown();
}
