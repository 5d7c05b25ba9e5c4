// ConfigWorld -- a test world for commands, user vars and key bindings over a temporary game folder.
#pragma once

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "platform/PosixFileSystem.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>

class ConfigWorld : public ::testing::Test {
protected:
    ConfigWorld() : files(folder.Path().string())
    {
        files.SetRootFolders("Assets");
        gDebugSystem = &debug;
        gFileSystem = &files;
        gCommandSystem = &commands;
        gVirtualKeys = &keys;
        commands.RegisterCommands();
        keys.RegisterCommands();
        NewUserVars();
    }

    // A fresh user-var system, as a new run of the program has.
    UserVarSystem& NewUserVars()
    {
        vars = std::make_unique<UserVarSystem>();
        gUserVarSystem = vars.get();
        vars->RegisterCommands();
        return *vars;
    }

    void UseKeyNames()
    {
        keys.SetKeyNames(
            [this](std::string_view name) {
                for (const auto& [code, known] : keyNames)
                    if (StringEqualsNoCase(known, name))
                        return code;
                return -1;
            },
            [this](int code) {
                auto found = keyNames.find(code);
                return found == keyNames.end() ? std::string() : found->second;
            });
    }

    int CountLogged(const std::string& line) const
    {
        std::vector<std::string> lines = debug.GetConsoleLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }

    std::string UserConfig() const { return folder.Read("User/user.cfg"); }

    std::map<int, std::string> keyNames = {{30, "A"}, {41, "Grave"}, {48, "B"}, {88, "F12"}};
    DebugSystem debug;
    TempFolder folder;
    PosixFileSystem files;
    CommandSystem commands;
    VirtualKeys keys;
    std::unique_ptr<UserVarSystem> vars;
};
