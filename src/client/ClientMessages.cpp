// ClientMessages -- what the client tells the player on screen: the world host's messages, refused actions, the diplomacy answer, and the won and lost game.
#include "client/ClientMessages.h"

#include "client/ClientApp.h"
#include "client/ClientCommandTable.h"
#include "client/ClientMusic.h"
#include "client/ClientProfiles.h"
#include "client/ClientUi.h"
#include "client/GameClient.h"
#include "client/LocalPlayerLink.h"
#include "core/StringUtil.h"
#include "render/TextEvents.h"
#include "rules/GameData.h"
#include "rules/covenants/CovenantBase.h"
#include "rules/covenants/DiplomacyText.h"

namespace {

ClientUi* ClientMessagesUi()
{
    return gClientApp ? gClientApp->GetUi() : nullptr;
}

LocalPlayerLink* ClientMessagesLink()
{
    return gClientApp ? gClientApp->GetLink() : nullptr;
}

} // namespace

void ClientMessages::RegisterCommands()
{
    if (!gClientApp)
        return;
    ClientCommandTable::Attach(*gClientApp, "msg", [](const std::vector<std::string>& args) {
        if (!gGameClient)
            return;
        int32_t type = ParseInt(args[0]);
        ClientMessages& messages = gGameClient->GetMessages();
        messages.AddMessage(type, args[1], false);
        if (type == 2 || type == 6)
            messages.ShowLogText(args[1]);
    });
    ClientCommandTable::Attach(*gClientApp, "dipRes", [](const std::vector<std::string>& args) {
        if (gGameClient)
            gGameClient->GetMessages().SetDiplomacyResponse(ParseInt(args[1]), ParseInt(args[0]));
    });
}

void ClientMessages::ShowText(const std::string& text, int32_t position, float seconds, int32_t id, bool centred,
                              bool allowMultiple) const
{
    if (!gTextEvents)
        return;
    ClientUi* ui = ClientMessagesUi();
    Vector2 where = ui ? ui->GetTextPosition(static_cast<ClientUi::TextPosition>(position)) : Vector2{};
    gTextEvents->AddTextEvent(text, where.x, where.y, seconds, id, centred, allowMultiple);
}

void ClientMessages::ShowLogText(const std::string& text)
{
    ShowText(text, static_cast<int32_t>(ClientUi::TextPosition::Log), kLogSeconds, kLogEventId, false, true);
}

void ClientMessages::ShowNewsText(const std::string& text) const
{
    if (!gTextEvents)
        return;
    ClientUi* ui = ClientMessagesUi();
    Vector2 where = ui ? ui->GetTextPosition(ClientUi::TextPosition::Log) : Vector2{};
    gTextEvents->AddNewsLine(text, where.x, where.y, kLogSeconds);
}

void ClientMessages::AddMessage(int32_t type, const std::string& text, bool silent)
{
    constexpr auto refusal = static_cast<int32_t>(ClientUi::TextPosition::Refusal);
    switch (type) {
    case 4:
        ShowMessage(text, false);
        return;
    case 5:
    case 2:
        ShowText(text, refusal, type == 5 ? 3.0f : 1.0f, kRefusalEventId, true, false);
        return;
    case 6:
        ShowText(text, static_cast<int32_t>(ClientUi::TextPosition::Notice), 1.0f, kNoticeEventId, true, false);
        return;
    default:
        if (!silent)
            client.GetMusic().PlayInterfaceSound(InterfaceSound::MessageAlert);
        if (type == kNewsType)
            ShowNewsText(text);
        else
            ShowLogText(text);
    }
}

void ClientMessages::ShowMessage(const std::string& text, bool silent)
{
    if (!silent)
        client.GetMusic().PlayInterfaceSound(InterfaceSound::InvalidAction);
    ShowText(text, static_cast<int32_t>(ClientUi::TextPosition::Refusal), 3.0f, kRefusalEventId, true, false);
}

void ClientMessages::SetDiplomacyResponse(int32_t covenantIndex, int32_t responseIndex)
{
    const CovenantBase* covenant = client.GetCovenant(covenantIndex, false);
    if (!covenant)
        return;
    LocalPlayerLink* link = ClientMessagesLink();
    const CovenantBase* own = link ? link->GetPlayerCovenant() : nullptr;
    // A response the covenant has no words for leaves the last answer standing.
    DiplomacyText::Response(*covenant, own ? own->index : -1, responseIndex, diplomacyResponse);
}

void ClientMessages::SetDiplomacyText(int32_t covenantIndex, int32_t kind)
{
    const CovenantBase* covenant = client.GetCovenant(covenantIndex, false);
    if (!covenant || kind < 5 || kind > 7)
        return;
    LocalPlayerLink* link = ClientMessagesLink();
    const CovenantBase* own = link ? link->GetPlayerCovenant() : nullptr;
    diplomacyResponse = StringFormat("%s $$DiplomacyResponse%d$$",
                                     DiplomacyText::MoodDescription(*covenant, own ? own->index : -1).c_str(), kind);
}

bool ClientMessages::IsVictoryPending() const
{
    return client.IsStarted() && client.victoryPending && !client.victoryHeld;
}

bool ClientMessages::IsPlayerCovenantEliminated() const
{
    LocalPlayerLink* link = ClientMessagesLink();
    const CovenantBase* own = link ? link->GetPlayerCovenant() : nullptr;
    return own && own->eliminated;
}

void ClientMessages::WinGame()
{
    client.gameOverShown = true;
    if (LocalPlayerLink* link = ClientMessagesLink())
        link->TriggerHint("WonGame");
    client.GetMusic().PlayInterfaceSound(InterfaceSound::WonGame);
    wonText = gGameData ? gGameData->GetTuning().wonGameText : std::string();
    client.GetProfiles().RecordWin();
    client.ApplyProfileUnlocks();
    if (!gGameData || !gGameData->GetTuning().forceWin)
        return;
    if (ClientUi* ui = ClientMessagesUi()) {
        ui->HideMenus();
        ui->RunMenuLine("showMenu WinGame");
    }
}

void ClientMessages::LoseGame()
{
    // The end of the game lets go of the player: where its sound plays is taken first.
    int32_t owner = -1;
    SoundPos where;
    ClientMusic::FindLocalPlayerSpot(owner, where);
    Client::EndGame();
    client.gameOverShown = true;
    if (ClientUi* ui = ClientMessagesUi()) {
        ui->HideMenus();
        ui->RunMenuLine("showMenu LoseGame");
    }
    client.GetMusic().PlayInterfaceSoundAt(InterfaceSound::LostGame, owner, where);
    lostText = gGameData ? gGameData->GetTuning().lostGameText : std::string();
}
