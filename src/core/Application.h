// Application -- the engine's life: systems created in order, start-up, the frame loop and shut-down.
#pragma once

#include "core/BaseClass.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Every system of the program, in the order of creation. A slot the composition root leaves
// empty is skipped, so a subsystem joins by filling its slot, not by editing the sequence.
enum class SystemSlot : int {
    Platform,
    FileSystem,
    Debug,
    Localisation,
    Listener,  // the class-type registry and the event system
    Command,
    VirtualKeys,
    UserVars,
    Timer,
    Profiler,
    Color,
    NameGenerator,
    Random,
    ResourceManager,
    Shader,
    Graphics,
    Effect,
    Maps,  // the world map and the mini-map
    Database,
    UserInterface,
    SystemInfo,
    Input,
    Sound,
    Network,
    ModelEditor,
    AreaEditor,
    Client,
    WorldHost,
    Count,
};
constexpr int kSystemSlotCount = static_cast<int>(SystemSlot::Count);

struct SystemHooks {
    // Creates the system and sets its global pointer.
    std::function<void()> create;
    // Registers its console commands and user vars.
    std::function<void()> registerCommands;
    // Destroys it and clears its global pointer.
    std::function<void()> destroy;
};

// Points in the start-up where later subsystems do their part. A hook that returns false
// stops the start-up with the running flag cleared (it reports its own fatal error).
enum class StartUpStep : int {
    GameData,  // the database has loaded: the rule tables are read from it
    Sound,     // the sound driver starts
    World,     // the world, the spawn system, the screen size; the menus, maps and editors register
    Input,     // the input devices start
    Game,      // after "Debug system started": the game, the client, the path finder
    Count,
};

// The frame's steps between the engine's own; each hook receives the frame delta in ms.
enum class FrameStep : int {
    WorldHostTick,   // after the clock: fixed steps due, server datagrams drained
    ClientReceive,   // after the message pump
    ClientUpdate,
    ServerFrame,     // the due fixed steps
    ClientDraw,      // after the console update
    ServerFrameEnd,
    Count,
};

enum class ShutDownStep : int {
    EndGame,           // the game saved or ended; the path finder, the client and the game destroyed
    ReleaseResources,  // the resources flushed, input stopped
    Count,
};

class Application : public BaseClass {
public:
    using StartUpHook = std::function<bool()>;
    using FrameHook = std::function<void(uint32_t frameMs)>;
    using ShutDownHook = std::function<void()>;

    // The frame's sleep while there is no graphics system to set the frame-rate cap, so
    // that a run with nothing to draw does not spin a processor core.
    static constexpr uint32_t kNoDisplayFrameMs = 10;
    // The frame's sleep while the window is inactive or minimised.
    static constexpr uint32_t kInactiveFrameMs = 100;

    Application();
    ~Application() override;

    void SetSystem(SystemSlot slot, SystemHooks hooks);
    void AddStartUpHook(StartUpStep step, StartUpHook hook);
    void AddFrameHook(FrameStep step, FrameHook hook);
    void AddShutDownHook(ShutDownStep step, ShutDownHook hook);

    // Creates and registers every system, opens the log, loads localisation and the
    // database and starts the frame timer. False when a start-up step failed.
    bool StartUp();
    // Frames until the running flag is cleared ("quit", or the window closed, or a signal).
    void Run();
    void RunFrame();
    // Saves or ends the game, prints the statistics and destroys the systems.
    void ShutDown();
    // "quit": clears the running flag (the current frame still ends) and tells the platform.
    void Quit();
    // Why the run is ending, for the shut-down's first line; empty while nothing stopped it.
    const std::string& GetStopReason() const { return stopReason; }

    bool IsRunning() const { return running; }
    // The last frame's length in whole ms, from the start of one frame to the start of the next.
    uint32_t GetFrameDelta() const { return frameDelta; }

protected:
    // By slot. Open to a derived application, which may wrap or swap one system's hooks after
    // the composition root has filled them.
    std::array<SystemHooks, kSystemSlotCount> systems;

private:
    void CreateSystems();
    void RegisterAllCommands();
    void RegisterTopLevelCommands();
    void DestroySystems();
    bool RunStartUpHooks(StartUpStep step);
    void RunFrameHooks(FrameStep step);
    void OpenLog();
    void LoadGameData();
    void PrintStatistics();
    uint32_t FrameSleepMs() const;
    // Clears the running flag; the first reason given is the one the shut-down line names.
    void Stop(const std::string& reason);
    void PrintShutDownLine();

    bool running = false;
    bool created = false;
    uint32_t frameStartMs = 0;
    uint32_t startUpMs = 0;
    std::string stopReason;
    uint32_t frameDelta = 0;
    std::array<std::vector<StartUpHook>, static_cast<int>(StartUpStep::Count)> startUpHooks;
    std::array<std::vector<FrameHook>, static_cast<int>(FrameStep::Count)> frameHooks;
    std::array<std::vector<ShutDownHook>, static_cast<int>(ShutDownStep::Count)> shutDownHooks;
};

extern Application* gApplication;
