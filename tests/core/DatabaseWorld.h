// DatabaseWorld -- a test world for the game database: a temporary game folder, its file system and log.
#pragma once

#include "core/Database.h"
#include "support/GameFolderFiles.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

class DatabaseWorld : public ::testing::Test {
protected:
    using Files = std::vector<std::pair<std::string, std::string>>;

    DatabaseWorld() { gDatabase = &database; }

    // Writes each sub-database under "Assets/Database", lists them in that order and loads.
    void Load(const Files& subDatabases)
    {
        std::string list;
        for (const auto& [name, text] : subDatabases) {
            folder.Write("Assets/Database/" + name, text);
            list += name + "\n";
        }
        LoadWithList(list);
    }

    void LoadWithList(const std::string& list)
    {
        folder.Write("Assets/Database/database.dbl", list);
        database.Load();
    }

    const DatabaseEntry& Entry(std::string_view name) const
    {
        const DatabaseEntry* entry = database.FindEntryByName(name);
        EXPECT_NE(entry, nullptr) << name;
        static const DatabaseEntry kMissing;
        return entry ? *entry : kMissing;
    }

    std::vector<std::string> ChainNames(std::string_view name) const
    {
        std::vector<std::string> names;
        for (const DatabaseEntry* base : Entry(name).GetBaseChain())
            names.emplace_back(base->GetName());
        return names;
    }

    std::vector<std::string> Logged() const { return debug.GetConsoleLines(); }

    int CountLogged(const std::string& line) const
    {
        std::vector<std::string> lines = Logged();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }

    // Lines logged as errors: they carry the error colour code in front.
    int CountErrors() const
    {
        std::vector<std::string> lines = Logged();
        return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                              [](const std::string& line) { return line.rfind("^c001", 0) == 0; }));
    }

    TempFolder folder;
    GameFolderFiles game{folder.Path().string()};
    DebugSystem& debug = game.debug;
    Database database;
};
