// BenchShippedGame -- what the benchmarks running the whole shipped program share: a game folder linked to the staged one, the platform without the frame cap's sleep, the world host's player and the world's first dungeon level.
#pragma once

#include "BenchGameFolder.h"

#include "app/Application.h"
#include "SwappableApplication.h"
#include "core/DebugSystem.h"
#include "platform/PosixTimerSystem.h"

#include "entities/Player.h"
#include "platform/PosixPlatformSystem.h"
#include "server/WorldHost.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

// The real platform without the frame cap's sleep: frames follow one another at once, and the
// frame's own work is what is measured. Other threads still sleep, so that none of them spins, and
// the main thread still yields while it waits for the loader, as the program does.
class BenchUncappedPlatform : public PosixPlatformSystem {
public:
    using PosixPlatformSystem::PosixPlatformSystem;
    void Sleep(uint32_t milliseconds) override
    {
        if (milliseconds == 0 || std::this_thread::get_id() != mainThread)
            PosixPlatformSystem::Sleep(milliseconds);
    }

    std::thread::id mainThread = std::this_thread::get_id();
};

// A fresh folder of that name in the temporary folder: links to the staged game folder's entries
// but its "User", and an empty "User" of its own.
inline std::string BenchShippedGameFolder(const char* name)
{
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / name;
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder / "User");
    for (const fs::directory_entry& entry : fs::directory_iterator(BenchGameFolder())) {
        if (entry.path().filename() == "User")
            continue;
        if (entry.is_directory())
            fs::create_directory_symlink(entry.path(), folder / entry.path().filename(), error);
        else
            fs::create_symlink(entry.path(), folder / entry.path().filename(), error);
    }
    return folder.string();
}

// The player of the world host's first client, or none before one has joined.
inline Player* BenchHostPlayer()
{
    if (!gWorldHost || gWorldHost->GetClients().empty())
        return nullptr;
    return WorldHost::GetRecordPlayer(*gWorldHost->GetClients().front());
}

// The index of the world's first level made by the dungeon generator, -1 when it has none.
inline int32_t BenchFirstDungeonLevel()
{
    int32_t kind = AreaDefinition::ParseLevelGeneratorName("Dungeon");
    if (kind == 0)
        return -1;
    for (int32_t index = 0; index < gWorld->GetLevelCount(); ++index)
        if (const Level* level = gWorld->GetLevel(index); level && level->area && level->area->levelGenerator == kind)
            return index;
    return -1;
}

// The program's systems over the folder, its sound on the null device, the platform without the
// frame cap's sleep and the log kept off the benchmark's output. With a clock, the timer reads it,
// and the benchmark moves the game's time itself.
inline void InstallBenchSystems(SwappableApplication& app, const std::string& folder, DisplayChoice display,
                                const uint64_t* clock = nullptr)
{
    setenv("ALSOFT_DRIVERS", "null", 1);
    InstallSystems(app, folder, display);
    if (clock)
        app.GetSystem(SystemSlot::Timer).create = [clock] {
            gTimerSystem = new PosixTimerSystem([clock] { return *clock; });
        };
    app.GetSystem(SystemSlot::Platform).create = [folder] {
        gPlatformSystem = new BenchUncappedPlatform(folder + "/User");
    };
    app.GetSystem(SystemSlot::Debug).create = [create = app.GetSystem(SystemSlot::Debug).create] {
        create();
        gDebugSystem->SetEchoToStdout(false);
    };
}
