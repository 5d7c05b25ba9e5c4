// GameCommands -- the top-level commands that start, resume and end a game: "start", "resumeGame", "saveAndExit" and "exitWithoutSave".
#include "app/GameCommands.h"

#include "client/ClientApp.h"
#include "client/LocalPlayerLink.h"
#include "core/Application.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "server/WorldHost.h"
#include "ui/UISystem.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using GameCommandArgs = std::vector<std::string>;

// A hand-edited settings file can ask for any number; rivals past the game's levels would roll
// their goods at levels no record has.
constexpr int32_t kRivalsMaxStartingLevel = 100;

bool GameCommandsInGame()
{
    return gClientApp && (gClientApp->IsConnected() || gClientApp->IsActive());
}

std::string GameCommandsVar(const char* name)
{
    return gUserVarSystem ? gUserVarSystem->GetStringByName(name) : std::string();
}

// The world is made as "newWorld" makes one, from the new-game screen's vars and the rivals'
// starting level, or loaded from the character's save. A world a lost game left running ends
// first: the next one is its own.
void GameCommandsSetUpWorld(bool resume, const std::string& characterName)
{
    if (!gWorldHost)
        return;
    if (gWorldHost->IsActive())
        gWorldHost->EndServer();
    // Mended: the rivals always started at level 0, with no purse, recruits or goods.
    int32_t rivalsLevel = std::clamp(ParseInt(GameCommandsVar("CovenantStartingLevel")), 0, kRivalsMaxStartingLevel);
    // The covenants' difficulty, chosen on the new-character screen, is the game's difficulty too.
    gWorldHost->SetUpServer(resume, rivalsLevel, GetDifficultyLevelByName(GameCommandsVar("CovenantDifficultyLevel")),
                            GetWorldDifficultyLevelByName(GameCommandsVar("WorldDifficultyLevel")),
                            ParseInt(GameCommandsVar("NumCovenants")), characterName);
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
        GameCommandsSetUpWorld(false, GameCommandsVar("PlayerName"));
    Client::Connect();
    if (gUISystem)
        gUISystem->ShowGameMenus();
}

// The client and the world host both end: a later "start" or "resumeGame" makes or loads a
// world of its own rather than rejoining the old one.
void GameCommandsEndGame()
{
    if (gUISystem)
        gUISystem->CloseAllMenus();
    Client::EndGame();
    if (gWorldHost)
        gWorldHost->EndServer();
}

void GameCommandsExitWithoutSave()
{
    if (!GameCommandsInGame()) {
        DebugSystem::Print(kPrintWarning, "No game in progress to end\n");
        return;
    }
    GameCommandsEndGame();
}

void GameCommandsSetVar(const char* name, const std::string& value)
{
    if (gUserVarSystem)
        gUserVarSystem->SetStringByName(name, value);
}

// The character and its world are written before anything ends; a character that could not be
// written keeps the game running, so nothing is lost by a save that only claims to be one.
void GameCommandsSaveAndExit()
{
    if (!GameCommandsInGame() || !gClientApp->GetLink()) {
        DebugSystem::Print(kPrintWarning, "No game in progress to save\n");
        return;
    }
    // A fallen hardcore character is gone: there is nothing to save, only the game to leave.
    if (gClientApp->GetLink()->IsGone()) {
        GameCommandsEndGame();
        if (gUISystem)
            gUISystem->ShowMenu("Main");
        return;
    }
    // The name is asked after the save: a new character's first save chooses its file.
    bool saved = gClientApp->SaveCharacter();
    std::string name = gClientApp->GetLink()->GetSaveName();
    if (name.empty() || !saved) {
        DebugSystem::Print(kPrintWarning, "The character couldn't be saved; the game goes on\n");
        if (gUserVarSystem)
            gUserVarSystem->SetLastError("$$ErrorSaveFailed$$", "");
        return;
    }
    const auto& saveWorld = gClientApp->GetHooks().saveWorld;
    if (saveWorld && !saveWorld(name))
        DebugSystem::Print(kPrintWarning, "The world of %s couldn't be saved; it starts anew when resumed\n",
                           name.c_str());
    // The character's own name when it names its file, else the file's.
    std::string shown = gClientApp->GetLink()->GetCharacterName();
    GameCommandsSetVar("resumeGameChar", CharacterFileBase(shown) == name ? shown : name);
    GameCommandsEndGame();
    // Shown here rather than by the menu: a failed save must leave the game, not the title, on screen.
    if (gUISystem)
        gUISystem->ShowMenu("Main");
}

// The character named by "resumeGameChar" is loaded, then its saved world (a new one when that
// is missing or unreadable, which the world host tells the player), and the client joins it.
void GameCommandsResumeGame()
{
    if (GameCommandsInGame()) {
        DebugSystem::Print(kPrintWarning, "A game is already in progress: end it before resuming another\n");
        return;
    }
    std::string name = GameCommandsVar("resumeGameChar");
    if (name.empty()) {
        DebugSystem::Print(kPrintWarning, "No saved character to resume\n");
        return;
    }
    if (!Client::StartClient(true, name)) {
        DebugSystem::Print(kPrintWarning, "Couldn't load the character %s\n", name.c_str());
        if (gUserVarSystem)
            gUserVarSystem->SetLastError("$$ErrorCharacterLoad$$", "");
        return;
    }
    if (gUISystem)
        gUISystem->CloseAllMenus();
    GameCommandsSetUpWorld(true, name);
    Client::Connect();
    if (gUISystem)
        gUISystem->ShowGameMenus();
}

} // namespace

void InstallGameCommands(Application& app)
{
    app.AddStartUpHook(StartUpStep::Game, [] {
        gCommandSystem->RegisterCommand("start", &GameCommandsStart,
                                        "Starts a game: both (client and world host) or client", "mode", "s");
        gCommandSystem->RegisterCommand(
            "resumeGame", [](const GameCommandArgs&) { GameCommandsResumeGame(); },
            "Resumes the game of the character named by resumeGameChar", "", "");
        gCommandSystem->RegisterCommand(
            "saveAndExit", [](const GameCommandArgs&) { GameCommandsSaveAndExit(); },
            "Saves the game in progress and ends it", "", "");
        gCommandSystem->RegisterCommand(
            "exitWithoutSave", [](const GameCommandArgs&) { GameCommandsExitWithoutSave(); },
            "Ends the game in progress without saving", "", "");
        return true;
    });
}
