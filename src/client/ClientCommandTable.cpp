// ClientCommandTable -- the client's console commands: the rows the menus, key bindings and the world host's lines run, in registration order, and the world host's request names typed lines are handed on by.
#include "client/ClientCommandTable.h"

#include "client/ClientApp.h"
#include "client/InGameHandlers.h"
#include "client/PlayerClient.h"
#include "client/ServerNotifications.h"
#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "world/ServerRequestTable.h"

const std::array<ClientCommandRow, ClientCommandTable::kCount>& ClientCommandTable::GetRows()
{
    // Names, argument names, type letters and help texts as the console's help shows them.
    static constexpr std::array<ClientCommandRow, kCount> kClientCommandRows = {{
        {"msg", "messageType message", "ds", "Adds a message to the message queue"},
        {"dipRes", "responseIndex covenantIndex", "dd", "Sets the diplomacy response string"},
        {"calculateSkillLevel", "baseCost skillPoints", "dd", "Gets the skill level from for the given data"},
        {"reloadCollision", "", "", "Reloads collision data for models/levels"},
        {"clearOffer", "", "", "Clear the current trade offer"},
        {"chooseGoldAmount", "side", "i", "Choose gold amount"},
        {"addGoldToOffer", "", "", "Adds gold to the current trade offer"},
        {"chooseInfluenceAmount", "side", "i", "Choose influence amount"},
        {"addInfluenceToOffer", "", "", "Adds influence to the current trade offer"},
        {"chooseCrystalsAmount", "side", "i", "Choose crystals amount"},
        {"addCrystalsToOffer", "", "", "Adds crystals to the current trade offer"},
        {"chooseOtherCovenant", "agreementType tradeSide", "ii", "Choose other covenant"},
        {"addAgreementToOffer", "", "", "Adds an agreement to the current trade offer"},
        {"addAdventureToOffer", "", "", "Adds adventure to the current trade offer"},
        {"addItemToOffer", "side itemIndex", "ii", "Adds item to the current trade offer"},
        {"addTradeRouteToOffer", "tradeRouteType", "i", "Adds trade route to the current trade offer"},
        {"addToOffer", "side type", "ii", "Adds to the current trade offer"},
        {"removeFromOffer", "offerIndex", "i", "Removes the trade item at the index specified from the trade offer"},
        {"offerTrade", "tradeType", "i", "Offers the current trade"},
        {"cancelCurrentTreaty", "", "", "Cancels the currently selected treaty"},
        {"offerToPlayer", "", "", "Trade offer to the player covenant", kCommandNoArgumentCheck},
        {"offerExpired", "covenantIndex", "i", "Trade offer to the player covenant has expired"},
        {"acceptTrade", "", "", "Accepts the current trade"},
        {"ignoreTrade", "", "", "Ignores the current trade"},
        {"rejectTrade", "", "", "Rejects the current trade"},
        {"ClientAcceptQuest", "", "", "Accepts the current quest"},
        {"ClientDeclineQuest", "", "", "Declines the current quest"},
        {"ClientSkipPlayerQuest", "", "", "Skips the current quest"},
        {"ClientSkipQuest", "", "", "Skips the current quest"},
        {"ClientIncrementAttribute", "AttributeName", "s", "Increments the names attribute"},
        {"War", "", "", "Declares war on current covenant"},
        {"PrevItemComparision", "", "", "Goes to the previous item comparision person"},
        {"NextItemComparision", "", "", "Goes to the next item comparision person"},
        {"switchItemSetClient", "", "", "Switches the players item set"},
        {"selectPlayer", "", "", "Selects the player"},
        {"dmg", "entityNum damage", "is", "Tells the client about a damage event"},
        {"kill", "databaseIndex", "d", "Report of a kill"},
        {"death", "databaseIndex", "d", "Report of a death"},
        {"timer", "entityNum time timerType", "ifi", "Tells the client about a timer event"},
        {"npcRecruit", "joinParty", "b", "Tries to recruit the currently selected npc to join the covenant/party"},
        {"npcDirectInvite", "", "", "Invites a recruited npc to the party"},
        {"npcRemove", "partyMemberNumber", "d", "Removes a npc from the party"},
        {"clientForceFood", "partyMemberNumber", "d", "Forces the npc to use player's food"},
        {"clientForcePotion", "partyMemberNumber", "d", "Forces the npc to use player's potion"},
        {"npcDirectRemove", "", "", "Removes a npc from the party"},
        {"npcDirectKick", "", "", "Kicks out the specified npc from the covenant"},
        {"npcEquipment", "", "", "Shows the currently selected npcs equipment"},
        {"npcRescue", "", "", "Tries to rescue the currently selected npc"},
        {"npcDelivery", "", "", "Tries to deliver a package to the currently selected npc"},
        {"npcEscort", "", "", "Tries to escort the currently selected npc"},
        {"selectPartyMember", "partyMemberIndex", "d", "Selects the specified party member"},
        {"warp", "level x y", "dff", "Warps the player to the specified coordinates"},
        {"warpDir", "direction", "d", "Warps the player to the specified direction"},
        {"usedSkill", "skillDatabaseIndex used", "dd", "Tells the client that a skill was used (or not used)"},
        {"itemTimer", "itemTimerIndex time", "df", "Tells the client that a item timer needs to be started"},
        {"exportHtml", "whatToExport", "s", "Exports something to html (character, covenant, or global stats)"},
        {"exportVbulletin", "", "", "Exports character to vbulletin format"},
        {"emailCharHtml", "", "", "Exports and sets up email with character html"},
        {"randomPlayerName", "", "", "Generates a random player name"},
        {"parseCharacter", "", "", "parses character to get some info"},
        {"deleteCharacter", "", "", "Deletes the current character"},
        {"updateParsedCharacter", "", "", "Updates the parsed character"},
        {"clearNpcChat", "", "", "Clears the chat text from npc"},
        {"npcChat", "chatText", "s", "Chat text from npc"},
        {"stopNpcChatSound", "", "", "Stops the current npc chat sound"},
        {"selectPrevRecruit", "", "", "Selects the previous recruit"},
        {"selectNextRecruit", "", "", "Selects the next recruit"},
        {"selectFirstRecruit", "", "", "Selects the first recruit"},
        {"nextTarget", "", "", "Selects the next target"},
        {"startRumorClient", "rumorLevel", "d", "Starts a rumor against the current covenant"},
        {"selectLifestone", "covenantIndex", "d", "Selects the specified covenant's lifestone"},
        {"newUser", "", "", "Creates a new user"},
        {"loadUser", "", "", "Loads a user"},
        {"deleteUser", "", "", "Deletes the current user"},
        {"deleteUserSaveAdventure", "", "", "Deletes the current user adventure save"},
        {"unlock", "unlockName", "s", "Unlocks the specified thing"},
        {"adventureWon", "", "", "Adventure won"},
        {"cheat_lock", "unlockName", "s", "Locks the specified thing"},
        {"selectBestAdventure", "worldUuserVar unlockText defaultValue", "sss", "Selects the best adventure available"},
        {"updateStory", "userVar storyUserVar", "ss", "Updates the story"},
        {"playStoryVoice", "userVar force", "sB", "Play the story dialog"},
        {"stopStoryVoice", "", "", "Stops the story dialog"},
        {"useCurrentPowerup", "", "", "Uses the current powerup"},
    }};
    return kClientCommandRows;
}

const ClientCommandRow* ClientCommandTable::FindRow(std::string_view name)
{
    for (const ClientCommandRow& row : GetRows())
        if (StringEqualsNoCase(row.name, name))
            return &row;
    return nullptr;
}

bool ClientCommandTable::IsHostLine(std::string_view name)
{
    static constexpr const char* kHostLines[] = {"msg",       "dipRes",  "offerToPlayer", "offerExpired",
                                                 "dmg",       "kill",    "death",         "timer",
                                                 "warp",      "warpDir", "usedSkill",     "itemTimer",
                                                 "npcChat",   "clearNpcChat", "stopNpcChatSound", "unlock",
                                                 "adventureWon", "offerItem"};
    for (const char* line : kHostLines)
        if (StringEqualsNoCase(line, name))
            return true;
    return false;
}

void ClientCommandTable::Register(ClientApp& app)
{
    for (const ClientCommandRow& row : GetRows()) {
        Handler handler = ServerNotifications::GetHandler(row.name);
        if (!handler)
            handler = InGameHandlers::GetHandler(row.name);
        if (handler)
            app.RegisterClientCommand(row.name, handler, row.help, row.argNames, row.argTypes, row.flags);
    }
    InGameHandlers::RegisterListProviders();
    if (!gCommandSystem)
        return;
    // Handler-less: the command system checks the arguments, then hands the line on.
    for (const ServerRequest& request : ServerRequestTable::GetRows())
        gCommandSystem->RegisterCommand(request.name, nullptr, request.help, request.argNames, request.argTypes,
                                        request.flags);
}

bool ClientCommandTable::Attach(ClientApp& app, std::string_view name, CommandSystem::Handler handler)
{
    const ClientCommandRow* row = FindRow(name);
    if (!row || !handler) {
        DebugSystem::Print(kPrintError, "Couldn't attach the client command %.*s\n", static_cast<int>(name.size()),
                           name.data());
        return false;
    }
    app.RegisterClientCommand(row->name, std::move(handler), row->help, row->argNames, row->argTypes, row->flags);
    return true;
}

PlayerClient* ClientCommandTable::GetLocalPlayer()
{
    if (!gClientApp || !gClientApp->IsActive())
        return nullptr;
    return dynamic_cast<PlayerClient*>(gClientApp->GetLink());
}

void ClientCommandTable::Queue(const std::string& line)
{
    if (gClientApp)
        gClientApp->QueueServerCommand(line);
}
