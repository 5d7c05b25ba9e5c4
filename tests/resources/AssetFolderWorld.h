// AssetFolderWorld -- a temporary game folder with the log, platform, file system, commands and user vars over it installed.
#pragma once

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "support/LogLines.h"
#include "support/TempFolder.h"
#include "support/ThrowingCriticalError.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <thread>

// Runs a hook whenever the main thread yields, which a waiting Get does only after it has
// named the row it waits for: tests open their gates there, so no test depends on timing.
class TestPlatform : public ThrowingCriticalError<> {
public:
    explicit TestPlatform(const std::string& userFolder)
        : ThrowingCriticalError(userFolder), mainThread(std::this_thread::get_id())
    {
    }

    void Sleep(uint32_t milliseconds) override
    {
        if (std::this_thread::get_id() == mainThread && onMainThreadSleep)
            onMainThreadSleep();
        PosixPlatformSystem::Sleep(milliseconds);
    }

    [[noreturn]] void EndThread() override
    {
        threadsEnded.fetch_add(1);
        PosixPlatformSystem::EndThread();
    }

    std::function<void()> onMainThreadSleep;
    std::atomic<int> threadsEnded{0};

private:
    std::thread::id mainThread;
};

// Assets go below "Assets" and user files below "User" in the one temporary folder.
class AssetFolderWorld : public ::testing::Test {
protected:
    AssetFolderWorld() : platform((folder.Path() / "User").string()), files(folder.Path().string())
    {
        gDebugSystem = &debug;
        debug.SetMaxConsoleLines(1 << 20);
        gPlatformSystem = &platform;
        files.SetRootFolders("Assets");
        gFileSystem = &files;
        gCommandSystem = &commands;
        commands.RegisterCommands();
        gUserVarSystem = &vars;
        vars.RegisterCommands();
    }

    ~AssetFolderWorld() override
    {
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gFileSystem = nullptr;
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
    }

    void WriteAsset(const std::string& path, const std::string& bytes) { folder.Write("Assets/" + path, bytes); }

    int CountLogged(std::string_view text) const { return CountLinesHolding(debug, text); }

    DebugSystem debug;
    TempFolder folder;
    TestPlatform platform;
    PosixFileSystem files;
    CommandSystem commands;
    UserVarSystem vars;
};
