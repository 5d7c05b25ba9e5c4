// RecordWorld -- a test world for record kinds of the game data: a temporary database, the game data read from it, a seeded random stream.
#pragma once

#include "core/DatabaseWorld.h"
#include "core/RandomSystem.h"
#include "rules/GameData.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>

class RecordWorld : public DatabaseWorld {
protected:
    RecordWorld() : random(20240611u)
    {
        gGameData = &gameData;
        gRandomSystem = &random;
    }

    ~RecordWorld() override
    {
        if (gGameData == &gameData)
            gGameData = nullptr;
        if (gRandomSystem == &random)
            gRandomSystem = nullptr;
    }

    // A "GameSystem" record holding the tuning lines, the records, and the game data read from both.
    void LoadRecords(const std::string& tuning, const std::string& records)
    {
        Load({{"rules.dbr", "GameSystem\n{\n" + tuning + "\n}\n"}, {"records.dbr", records}});
        gameData.Load(database);
    }

public:
    // Records written one to a line, "Name: Key value; Key value", as the database wants them:
    // each key on its own line between braces.
    static std::string Records(std::initializer_list<const char*> lines)
    {
        std::string text;
        for (std::string_view line : lines) {
            size_t colon = line.find(':');
            text.append(line.substr(0, colon)).append("\n{\n");
            for (size_t start = colon + 1; start < line.size();) {
                size_t end = std::min(line.find(';', start), line.size());
                text.append(line.substr(start, end - start)).append("\n");
                start = end + 1;
            }
            text.append("}\n");
        }
        return text;
    }

protected:
    // Warning and error lines: the debug system starts them with colour 5 or colour 1.
    int CountProblems() const
    {
        int count = 0;
        for (const std::string& line : Logged())
            count += line.rfind("^c005", 0) == 0 || line.rfind("^c001", 0) == 0 ? 1 : 0;
        return count;
    }

    // The stream as it stands, for working out what the next draws give.
    RandomSystem Copy() const { return random; }

    GameData gameData;
    RandomSystem random;
};
