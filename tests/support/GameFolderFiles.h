// GameFolderFiles -- a log and a file system over one game folder, the process's own while the object lives.
#pragma once

#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "platform/PosixFileSystem.h"

#include <string>

// For tests that only read a game folder, the shipped one or one they wrote: no user folder.
class GameFolderFiles {
public:
    explicit GameFolderFiles(const std::string& gameDir) : files(gameDir)
    {
        debug.SetMaxConsoleLines(1 << 16);
        gDebugSystem = &debug;
        files.SetRootFolders("Assets");
        gFileSystem = &files;
    }

    ~GameFolderFiles()
    {
        gFileSystem = nullptr;
        gDebugSystem = nullptr;
    }

    GameFolderFiles(const GameFolderFiles&) = delete;
    GameFolderFiles& operator=(const GameFolderFiles&) = delete;

    DebugSystem debug;
    PosixFileSystem files;
};
