// RulesWorld -- a test world for the game rules: a temporary game folder with its database, log and game data.
#pragma once

#include "core/DatabaseWorld.h"
#include "rules/GameData.h"

#include <string>

class RulesWorld : public DatabaseWorld {
protected:
    RulesWorld() { gGameData = &gameData; }

    // A database whose one record "GameSystem" holds the lines, and the game data read from it.
    void LoadGameSystem(const std::string& lines)
    {
        Load({{"rules.dbr", "GameSystem\n{\n" + lines + "\n}\n"}});
        gameData.Load(database);
    }

    const GameSystemTuning& Tuning() const { return gameData.GetTuning(); }

    GameData gameData;
};
