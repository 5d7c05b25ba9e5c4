// Application -- the engine's life: systems created in order, start-up, the frame loop and shut-down.
#include "core/Application.h"

#include "core/CommandSystem.h"
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/LocSystem.h"
#include "core/Memory.h"
#include "core/Profiler.h"
#include "core/UserVarSystem.h"
#include "core/system/GraphicsSystem.h"
#include "core/system/PlatformSystem.h"
#include "core/system/SystemInfo.h"
#include "core/system/TimerSystem.h"

#include <ctime>
#include <filesystem>
#include <system_error>

Application* gApplication = nullptr;

namespace {

// Roughly the reverse of creation, with the exceptions the systems' lifetimes need: the
// effect system goes before the graphics system; after the graphics system come the system
// information, the shader tables, the resource manager, then the platform, and only then
// the name generator, colours, profiler and timer. The debug system goes last so that every
// system can log while it is destroyed.
constexpr SystemSlot kDestroyOrder[] = {
    SystemSlot::WorldHost, SystemSlot::Client, SystemSlot::ModelEditor, SystemSlot::AreaEditor,
    SystemSlot::Network, SystemSlot::Sound, SystemSlot::Input, SystemSlot::UserInterface,
    SystemSlot::Database, SystemSlot::Maps, SystemSlot::Effect, SystemSlot::Graphics,
    SystemSlot::SystemInfo, SystemSlot::Shader, SystemSlot::ResourceManager, SystemSlot::Platform,
    SystemSlot::NameGenerator, SystemSlot::Color, SystemSlot::Profiler, SystemSlot::Timer,
    SystemSlot::Random, SystemSlot::UserVars, SystemSlot::VirtualKeys, SystemSlot::Command,
    SystemSlot::Listener, SystemSlot::Localisation, SystemSlot::FileSystem, SystemSlot::Debug,
};
static_assert(sizeof kDestroyOrder / sizeof kDestroyOrder[0] == kSystemSlotCount, "every slot is destroyed once");

constexpr const char* kLogFileName = "log.txt";

} // namespace

Application::Application() = default;

Application::~Application()
{
    if (gApplication == this)
        gApplication = nullptr;
}

void Application::SetSystem(SystemSlot slot, SystemHooks hooks)
{
    systems[static_cast<int>(slot)] = std::move(hooks);
}

void Application::AddStartUpHook(StartUpStep step, StartUpHook hook)
{
    startUpHooks[static_cast<int>(step)].push_back(std::move(hook));
}

void Application::AddFrameHook(FrameStep step, FrameHook hook)
{
    frameHooks[static_cast<int>(step)].push_back(std::move(hook));
}

void Application::AddShutDownHook(ShutDownStep step, ShutDownHook hook)
{
    shutDownHooks[static_cast<int>(step)].push_back(std::move(hook));
}

bool Application::StartUp()
{
    running = true;
    stopReason.clear();
    CreateSystems();
    if (gTimerSystem)
        startUpMs = gTimerSystem->GetTime();
    RegisterAllCommands();
    OpenLog();
    LoadGameData();
    if (!RunStartUpHooks(StartUpStep::GameData) || !RunStartUpHooks(StartUpStep::Sound) ||
        !RunStartUpHooks(StartUpStep::World))
        return false;
    if (gSystemInfo)
        gSystemInfo->LogSystemInfo();
    if (!RunStartUpHooks(StartUpStep::Input))
        return false;
    DebugSystem::Print(kPrintPlain, "Debug system started\n");
    if (gTimerSystem)
        frameStartMs = gTimerSystem->GetTime();
    if (!RunStartUpHooks(StartUpStep::Game))
        return false;
    RegisterTopLevelCommands();
    // The start-up lines are on disk before the first frame, whatever the log's flush mode.
    if (gDebugSystem)
        gDebugSystem->Flush();
    // A quit during the start-up is no failure: the loop just runs no frame.
    return true;
}

void Application::CreateSystems()
{
    created = true;
    for (SystemHooks& system : systems) {
        if (system.create)
            system.create();
    }
}

void Application::RegisterAllCommands()
{
    for (SystemHooks& system : systems) {
        if (system.registerCommands)
            system.registerCommands();
    }
    if (gCommandSystem)
        gCommandSystem->RegisterCommand(
            "printmem", [](const std::vector<std::string>&) { PrintMemoryStatistics(); },
            "Prints the memory in use by category", "", "");
}

void Application::RegisterTopLevelCommands()
{
    if (gCommandSystem)
        gCommandSystem->RegisterCommand(
            "quit", [this](const std::vector<std::string>&) { Quit(); }, "Quits the game", "", "");
}

bool Application::RunStartUpHooks(StartUpStep step)
{
    for (StartUpHook& hook : startUpHooks[static_cast<int>(step)]) {
        if (!hook()) {
            Stop("a start-up step failed");
            return false;
        }
    }
    return true;
}

void Application::OpenLog()
{
    if (!gDebugSystem)
        return;
    // The version heads every log file of the run, the one opened now or one "logfile" opens later.
    std::string version = gUserVarSystem ? gUserVarSystem->GetStringByName("version") : std::string();
    if (version.empty())
        DebugSystem::Print(kPrintWarning, "No version text: \"version\" is not set\n");
    else
        gDebugSystem->PrintLogHeader(version + "\n");
    bool wanted = !gUserVarSystem || gUserVarSystem->GetIntByName("logfile") != 0;
    std::string folder = gFileSystem ? gFileSystem->GetFolder(kLocationUser) : std::string("User");
    std::string path = folder + "/" + kLogFileName;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    if (!wanted) {
        gDebugSystem->DropPendingLogLines();
        // "logfile" turned on later opens it there.
        gDebugSystem->SetLogFilePath(path);
    } else if (!gDebugSystem->OpenLogFile(path)) {
        gDebugSystem->DropPendingLogLines();
        DebugSystem::Print(kPrintWarning, "Couldn't open %s\n", path.c_str());
    }
}

void Application::LoadGameData()
{
    // One plain line for each, so that a log without "developer 1" still says what was read.
    if (gLocSystem) {
        if (gLocSystem->LoadLanguageSetting())
            DebugSystem::Print(kPrintPlain, "Language loaded: %d texts\n", gLocSystem->GetTextCount());
        if (gDebugSystem)
            gLocSystem->InstallLogTranslator(*gDebugSystem);
    }
    if (gDatabase) {
        gDatabase->Load();
        DebugSystem::Print(kPrintPlain, "Database loaded: %d entries from %d files\n", gDatabase->GetEntryCount(),
                           gDatabase->GetSubDatabaseCount());
    }
}

void Application::Run()
{
    while (running)
        RunFrame();
}

void Application::RunFrame()
{
    if (gProfiler)
        gProfiler->FrameStart();
    if (gTimerSystem) {
        uint32_t now = gTimerSystem->GetTime();
        frameDelta = gTimerSystem->Elapsed(frameStartMs, now);
        frameStartMs = now;
        gTimerSystem->UpdateClock();
    }
    RunFrameHooks(FrameStep::WorldHostTick);
    if (gPlatformSystem && !gPlatformSystem->PumpMessages())
        Stop(gPlatformSystem->GetQuitReason());
    RunFrameHooks(FrameStep::ClientReceive);
    RunFrameHooks(FrameStep::ClientUpdate);
    RunFrameHooks(FrameStep::ServerFrame);
    // The console's update: settings typed into it or set by the menus take effect here.
    if (gUserVarSystem)
        gUserVarSystem->ApplyDebugVars();
    RunFrameHooks(FrameStep::ClientDraw);
    RunFrameHooks(FrameStep::ServerFrameEnd);
    if (gProfiler)
        gProfiler->FrameEnd();
    if (gPlatformSystem)
        gPlatformSystem->Sleep(FrameSleepMs());
}

void Application::RunFrameHooks(FrameStep step)
{
    for (FrameHook& hook : frameHooks[static_cast<int>(step)])
        hook(frameDelta);
}

uint32_t Application::FrameSleepMs() const
{
    if (gSystemInfo && (!gSystemInfo->applicationActive || gSystemInfo->minimised))
        return kInactiveFrameMs;
    if (gGraphicsSystem)
        return gGraphicsSystem->FrameRateCapDelay(frameDelta);
    return kNoDisplayFrameMs;
}

void Application::Quit()
{
    Stop("quit command");
    if (gPlatformSystem)
        gPlatformSystem->OnQuit();
}

void Application::Stop(const std::string& reason)
{
    if (stopReason.empty())
        stopReason = reason;
    running = false;
}

void Application::ShutDown()
{
    Stop("shut down by its owner");
    if (!created)
        return;
    PrintShutDownLine();
    for (auto& hooks : shutDownHooks) {
        for (ShutDownHook& hook : hooks)
            hook();
    }
    PrintStatistics();
    DestroySystems();
    created = false;
}

// When (the local time and the time since the start-up began) and why the shut-down begins.
void Application::PrintShutDownLine()
{
    std::time_t now = std::time(nullptr);
    char clock[32] = "?";
    if (const std::tm* local = std::localtime(&now))
        std::strftime(clock, sizeof clock, "%Y-%m-%d %H:%M:%S", local);
    uint32_t runMs = gTimerSystem ? gTimerSystem->Elapsed(startUpMs, gTimerSystem->GetTime()) : 0;
    DebugSystem::Print(kPrintPlain, "Shutting down at %s, %u.%03u s after the start: %s\n", clock, runMs / 1000,
                       runMs % 1000, stopReason.c_str());
}

void Application::PrintStatistics()
{
    if (gFileSystem)
        gFileSystem->PrintStatistics();
    PrintMemoryStatistics();
    if (gDebugSystem)
        gDebugSystem->PrintStatistics();
    if (gUserVarSystem)
        gUserVarSystem->PrintStatistics();
    if (gProfiler)
        gProfiler->PrintStatistics();
}

void Application::DestroySystems()
{
    for (SystemSlot slot : kDestroyOrder) {
        SystemHooks& system = systems[static_cast<int>(slot)];
        if (system.destroy)
            system.destroy();
    }
}
