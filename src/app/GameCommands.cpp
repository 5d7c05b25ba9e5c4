// GameCommands -- the top-level commands that start and end a game: "start", "resumeGame", "saveAndExit" and "exitWithoutSave".
#include "app/GameCommands.h"

#include "client/ClientApp.h"
#include "core/Application.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "server/WorldHost.h"
#include "ui/UISystem.h"

#include <string>
#include <vector>

namespace {

using GameCommandArgs = std::vector<std::string>;

bool GameCommandsInGame()
{
    return gClientApp && (gClientApp->IsConnected() || gClientApp->IsActive());
}

std::string GameCommandsVar(const char* name)
{
    return gUserVarSystem ? gUserVarSystem->GetStringByName(name) : std::string();
}

// The world is made as "newWorld" makes one, from the new-game screen's vars.
void GameCommandsSetUpWorld()
{
    if (!gWorldHost)
        return;
    gWorldHost->SetUpServer(false, 0, GetDifficultyLevelByName(GameCommandsVar("DifficultyLevel")),
                            GetWorldDifficultyLevelByName(GameCommandsVar("WorldDifficultyLevel")),
                            ParseInt(GameCommandsVar("NumCovenants")), GameCommandsVar("PlayerName"));
}

void GameCommandsStart(const GameCommandArgs& args)
{
    const std::string& mode = args[0];
    bool both = mode == "both";
    if (!both && mode != "client") {
        DebugSystem::Print(kPrintWarning, "Unknown start mode %s: both or client\n", mode.c_str());
        return;
    }
    if (GameCommandsInGame()) {
        DebugSystem::Print(kPrintWarning, "A game is already in progress: end it before starting another\n");
        return;
    }
    if (gUISystem)
        gUISystem->CloseAllMenus();
    if (!Client::StartClient(false, GameCommandsVar("PlayerName")))
        return;
    if (both)
        GameCommandsSetUpWorld();
    Client::Connect();
    if (gUISystem)
        gUISystem->ShowGameMenus();
}

void GameCommandsExitWithoutSave()
{
    if (!GameCommandsInGame()) {
        DebugSystem::Print(kPrintWarning, "No game in progress to end\n");
        return;
    }
    if (gUISystem)
        gUISystem->CloseAllMenus();
    Client::EndGame();
}

} // namespace

void InstallGameCommands(Application& app)
{
    app.AddStartUpHook(StartUpStep::Game, [] {
        gCommandSystem->RegisterCommand("start", &GameCommandsStart,
                                        "Starts a game: both (client and world host) or client", "mode", "s");
        gCommandSystem->RegisterCommand(
            "resumeGame",
            [](const GameCommandArgs&) {
                DebugSystem::Print(kPrintWarning, "Can't resume a game: saved worlds can't be loaded yet\n");
            },
            "Resumes the last character's game", "", "");
        gCommandSystem->RegisterCommand(
            "saveAndExit",
            [](const GameCommandArgs&) {
                DebugSystem::Print(kPrintWarning, "Can't save and end the game: worlds can't be saved yet\n");
            },
            "Saves the game in progress and ends it", "", "");
        gCommandSystem->RegisterCommand(
            "exitWithoutSave", [](const GameCommandArgs&) { GameCommandsExitWithoutSave(); },
            "Ends the game in progress without saving", "", "");
        return true;
    });
}
