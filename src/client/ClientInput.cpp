// ClientInput -- the client's input commands: keys and mouse buttons offered to their takers in a fixed order, the world host's forwarded lines, the wheel's zoom, the web links, the menus' display-only player and the entity under the cursor.
#include "client/ClientInput.h"

#include "client/ClientApp.h"
#include "client/ClientProfiles.h"
#include "client/ClientUi.h"
#include "client/GameClient.h"
#include "client/MailLinks.h"
#include "client/PlayerClient.h"
#include "client/ScreenConversion.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "core/system/InputSystem.h"
#include "resources/textures/TextureTools.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"

#include <algorithm>
#include <memory>

namespace {

using ClientInputArgs = std::vector<std::string>;

bool ClientInputKeyHeld(int32_t key)
{
    return gInputSystem && gInputSystem->IsKeyDown(key);
}

// Alt+Tab, Alt+Enter and Ctrl+Esc belong to the desktop.
bool ClientInputIsDesktopKey(int32_t key)
{
    bool alt = ClientInputKeyHeld(Client::kKeyLeftAlt) || ClientInputKeyHeld(Client::kKeyRightAlt);
    bool ctrl = ClientInputKeyHeld(Client::kKeyLeftCtrl) || ClientInputKeyHeld(Client::kKeyRightCtrl);
    return (alt && (key == Client::kKeyTab || key == Client::kKeyEnter)) || (ctrl && key == Client::kKeyEscape);
}

bool ClientInputConsoleShown()
{
    return gDebugSystem && gDebugSystem->GetConsole().IsShown();
}

ClientUi* ClientInputUi()
{
    return gClientApp ? gClientApp->GetUi() : nullptr;
}

void ClientInputZoomBy(float step, bool up)
{
    if (ClientUi* ui = ClientInputUi(); ui && ui->HandleWheel(up))
        return;
    if (!gUserVarSystem)
        return;
    TextureTools::SetZoom(ParseFloat(gUserVarSystem->GetStringByName("zoom")) + step);
}

PlayerClient* ClientInputFakePlayer()
{
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    return player && player->displayOnly ? player : nullptr;
}

void ClientInputRegister(const char* name, CommandSystem::Handler handler, const char* help, const char* argNames,
                         const char* argTypes)
{
    gCommandSystem->RegisterCommand(name, std::move(handler), help, argNames, argTypes);
}

} // namespace

void ClientInput::RegisterCommands()
{
    if (!gCommandSystem)
        return;
    const char* keyHelp = "Tells the client about a key press event";
    const char* scrollHelp = "Mouse scroll up command";
    ClientInputRegister(
        "keyPress",
        [](const ClientInputArgs& a) { Client::OnKeyPress(ParseInt(a[0]), ParseInt(a[1]) != 0, ParseInt(a[2]) != 0); },
        keyHelp, "key down repeat", "ibb");
    ClientInputRegister(
        "buttonPress",
        [](const ClientInputArgs& a) {
            Client::OnButtonPress(ParseInt(a[0]), ParseInt(a[1]) != 0, ParseInt(a[2]), ParseInt(a[3]));
        },
        keyHelp, "button down posX posY", "ibii");
    // Eleven parameters: the longest request, the raid order, names a covenant and ten raiders.
    ClientInputRegister("serverCommand", &Client::OnServerCommand, "Server command so just forward it along",
                        "commandName parm1 parm2 parm3 parm4 parm5 parm6 parm7 parm8 parm9 parm10 parm11",
                        "sSSSSSSSSSSS");
    ClientInputRegister("mouseScrollUp", [](const ClientInputArgs&) { Client::OnMouseScrollUp(); }, scrollHelp, "",
                        "");
    ClientInputRegister("mouseScrollDown", [](const ClientInputArgs&) { Client::OnMouseScrollDown(); }, scrollHelp,
                        "", "");
    ClientInputRegister("openBrowser", [](const ClientInputArgs& a) { Client::OnOpenBrowser(a[0]); },
                        "Opens the default browser to the specified page", "webAddress", "s");
    ClientInputRegister("visitWebsite", [](const ClientInputArgs& a) { Client::OnVisitWebsite(a[0]); },
                        "Visits the website for the game", "userVarName", "s");
    ClientInputRegister("orderGame", [](const ClientInputArgs&) { Client::OnOrderGame(); },
                        "Visits the website page where you can order the game", "", "");
    ClientInputRegister("buildFakePlayer", [](const ClientInputArgs&) { Client::BuildFakePlayer(); },
                        "Builds a fake player for use in UI", "", "");
    ClientInputRegister("updateFakePlayer", [](const ClientInputArgs&) { Client::UpdateFakePlayer(); },
                        "Updates the fake player for use in UI", "", "");
    ClientInputRegister("deleteFakePlayer", [](const ClientInputArgs&) { Client::DeleteFakePlayer(); },
                        "Deletes the fake player for use in UI", "", "");
}

// ---- Keys and buttons ------------------------------------------------------------------------------

bool Client::OnKeyPress(int32_t key, bool down, bool repeat)
{
    if (ClientInputIsDesktopKey(key))
        return false;
    // The console is the key hook while it is shown, over any tool's hook beneath it.
    if (ClientInputConsoleShown() && gDebugSystem->GetConsole().OnKey(key, down, repeat))
        return true;
    if (gClientApp && gClientApp->GetKeyHook() && gClientApp->GetKeyHook()(key, down, repeat))
        return true;
    if (ClientUi* ui = ClientInputUi(); ui && ui->HandleKey(key, down, repeat))
        return true;
    if (gClientApp && gClientApp->GetHooks().editorKey && gClientApp->GetHooks().editorKey(key, down))
        return true;
    return !repeat && gVirtualKeys && gVirtualKeys->RunBoundCommand(key, down, repeat);
}

bool Client::OnButtonPress(int32_t button, bool down, int32_t x, int32_t y)
{
    if (!gClientApp)
        return false;
    if (gClientApp->GetClickHook())
        return gClientApp->GetClickHook()(button, down, x, y);
    if (ClientDropDown* dropDown = gClientApp->GetOpenDropDown())
        return dropDown->OnDropDownPress(button, down);
    if (ClientInputConsoleShown() && (gDebugSystem->ConsoleTakesClick(button, down, x, y) || y < kConsoleBand))
        return true;
    ClientUi* ui = gClientApp->GetUi();
    if (ui && ui->HandleMouseButton(button, down, x, y))
        return true;
    const ClientAppHooks& hooks = gClientApp->GetHooks();
    if (hooks.worldMapClick && hooks.worldMapClick(button, down, x, y))
        return true;
    if (hooks.editorClick && hooks.editorClick(button, down, x, y))
        return true;
    if (ui && ui->IsBlockingMenuShown())
        return false;
    PlayerClient* player = gClientApp->GetLocalPlayer();
    return player && player->HandleClick(button, down, x, y);
}

void Client::OnServerCommand(const std::vector<std::string>& args)
{
    std::string line;
    for (const std::string& word : args) {
        if (word.empty())
            continue;
        if (!line.empty())
            line += ' ';
        line += word;
    }
    QueueServerCommand(line);
}

// ---- The wheel and the web ---------------------------------------------------------------------------

void Client::OnMouseScrollUp()
{
    ClientInputZoomBy(-kZoomStep, true);
}

void Client::OnMouseScrollDown()
{
    ClientInputZoomBy(kZoomStep, false);
}

void Client::OnOpenBrowser(const std::string& address)
{
    MailLinks::OpenWebLink(address);
}

void Client::OnVisitWebsite(const std::string& userVarName)
{
    if (gUserVarSystem)
        MailLinks::OpenWebLink(gUserVarSystem->GetStringByName(userVarName));
}

void Client::OnOrderGame()
{
    OnVisitWebsite("build_OrderUrl");
}

// ---- The display-only player ---------------------------------------------------------------------------

void Client::BuildFakePlayer()
{
    if (!gClientApp || gClientApp->GetLink())
        return;
    auto player = std::make_unique<PlayerClient>();
    player->displayOnly = true;
    int32_t fakeClass = gGameData ? gGameData->FindCharacterClassIndex("ClassFake") : -1;
    player->stats.Set(CharacterStat::Class, fakeClass);
    player->NewGame();
    // Its skills are shown and bought before any game runs the player's frame, which builds them.
    if (const CharacterClass* shown = gGameData ? gGameData->GetCharacterClass(fakeClass) : nullptr)
        player->GetSkillList().Rebuild(player.get(), shown);
    gClientApp->SetLink(std::move(player));
}

void Client::UpdateFakePlayer()
{
    PlayerClient* player = ClientInputFakePlayer();
    if (!player || !gGameClient)
        return;
    // The user's trophy upgrades as they stand now: a purchase runs this right after it.
    gGameClient->GetProfiles().ApplyUpgrades(gGameClient->characterSetUp);
    const IntArray& chosen = gGameClient->characterSetUp;
    int32_t count = std::min(player->stats.GetCount(), chosen.GetCount());
    for (int32_t i = 0; i < count; ++i)
        player->stats.Set(i, chosen.Get(i));
}

void Client::DeleteFakePlayer()
{
    if (ClientInputFakePlayer())
        gClientApp->SetLink(nullptr);
}

const EntityClient* Client::GetHoverIgnoredEntity()
{
    const PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    const EntityClient* chosen = player ? player->GetInteractionTarget() : nullptr;
    if (chosen && chosen->pickThrough && chosen->GetClickAction(true, true) != PlayerClient::kModeAttack)
        return nullptr;
    return player;
}

void Client::UpdateHoverEntity()
{
    if (!gClientApp)
        return;
    int32_t x = gInputSystem ? gInputSystem->GetCursorX() : 0;
    int32_t y = gInputSystem ? gInputSystem->GetCursorY() : 0;
    gClientApp->SetHoverEntity(PickEntityAt(x, y, GetHoverIgnoredEntity()));
}
