// ClientCommandsTest -- the client's command table row by row, the world host's request rows both halves share, a typed request on its way to the host, and the host's lines that may run only the client's own commands.
#include "client/ClientCommandTable.h"
#include "client/ClientWorld.h"
#include "server/Game.h"
#include "server/ServerCommands.h"
#include "world/ServerRequestTable.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

class ClientCommands : public ClientWorld {
protected:
    ClientCommands() { ServerCommands::Register(host->GetClientCommands()); }

    // Replaces the host's command of the name with one that records its arguments and context.
    void RecordHostCommand(const char* name)
    {
        host->GetClientCommands().RegisterContextCommand(
            name,
            [this](const std::vector<std::string>& args, BaseClass* context) {
                hostRuns.push_back(args);
                hostContexts.push_back(context);
            },
            "", "", "", kCommandNoArgumentCheck);
    }

    std::vector<std::vector<std::string>> hostRuns;
    std::vector<BaseClass*> hostContexts;
};

size_t CountWords(const char* text)
{
    std::istringstream words(text);
    return static_cast<size_t>(std::distance(std::istream_iterator<std::string>(words),
                                             std::istream_iterator<std::string>()));
}

// The commands the notifications and the in-game handlers run; the others are registered by the
// systems whose handlers they are.
const char* const kClientCommandsHandledHere[] = {
    "dmg", "kill", "death", "timer", "warp", "warpDir", "usedSkill", "itemTimer", "npcChat", "clearNpcChat",
    "useCurrentPowerup", "calculateSkillLevel", "reloadCollision", "ClientAcceptQuest", "ClientDeclineQuest",
    "ClientSkipPlayerQuest", "ClientSkipQuest", "ClientIncrementAttribute", "War", "selectPlayer", "npcRecruit",
    "npcRemove", "clientForceFood", "clientForcePotion", "npcDirectInvite", "npcDirectRemove", "npcDirectKick",
    "npcEquipment", "npcRescue", "npcDelivery", "npcEscort", "selectPartyMember", "startRumorClient"};

bool IsHandledHere(const char* name)
{
    return std::any_of(std::begin(kClientCommandsHandledHere), std::end(kClientCommandsHandledHere),
                       [&](const char* own) { return std::strcmp(own, name) == 0; });
}

TEST_F(ClientCommands, TheTableHoldsItsRowsInRegistrationOrderWithOneTypeLetterPerArgument)
{
    const char* expected[] = {
        "msg", "dipRes", "calculateSkillLevel", "reloadCollision", "clearOffer", "chooseGoldAmount", "addGoldToOffer",
        "chooseInfluenceAmount", "addInfluenceToOffer", "chooseCrystalsAmount", "addCrystalsToOffer",
        "chooseOtherCovenant", "addAgreementToOffer", "addAdventureToOffer", "addItemToOffer", "addTradeRouteToOffer",
        "addToOffer", "removeFromOffer", "offerTrade", "cancelCurrentTreaty", "offerToPlayer", "offerExpired",
        "acceptTrade", "ignoreTrade", "rejectTrade", "ClientAcceptQuest", "ClientDeclineQuest",
        "ClientSkipPlayerQuest", "ClientSkipQuest", "ClientIncrementAttribute", "War", "PrevItemComparision",
        "NextItemComparision", "switchItemSetClient", "selectPlayer", "dmg", "kill", "death", "timer", "npcRecruit",
        "npcDirectInvite", "npcRemove", "clientForceFood", "clientForcePotion", "npcDirectRemove", "npcDirectKick",
        "npcEquipment", "npcRescue", "npcDelivery", "npcEscort", "selectPartyMember", "warp", "warpDir", "usedSkill",
        "itemTimer", "exportHtml", "exportVbulletin", "emailCharHtml", "randomPlayerName", "parseCharacter",
        "deleteCharacter", "updateParsedCharacter", "clearNpcChat", "npcChat", "stopNpcChatSound",
        "selectPrevRecruit", "selectNextRecruit", "selectFirstRecruit", "nextTarget", "startRumorClient",
        "selectLifestone", "newUser", "loadUser", "deleteUser", "deleteUserSaveAdventure", "unlock", "adventureWon",
        "cheat_lock", "selectBestAdventure", "updateStory", "playStoryVoice", "stopStoryVoice", "useCurrentPowerup",
    };
    const auto& rows = ClientCommandTable::GetRows();
    ASSERT_EQ(std::size(expected), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_STREQ(rows[i].name, expected[i]) << i;
        EXPECT_EQ(CountWords(rows[i].argNames), std::strlen(rows[i].argTypes)) << rows[i].name;
        EXPECT_NE(std::strlen(rows[i].help), 0u) << rows[i].name;
    }
    const ClientCommandRow* timer = ClientCommandTable::FindRow("TIMER");
    ASSERT_NE(timer, nullptr);
    EXPECT_STREQ(timer->argNames, "entityNum time timerType");
    EXPECT_STREQ(timer->argTypes, "ifi");
    EXPECT_STREQ(timer->help, "Tells the client about a timer event");
    const ClientCommandRow* story = ClientCommandTable::FindRow("playStoryVoice");
    ASSERT_NE(story, nullptr);
    EXPECT_STREQ(story->argTypes, "sB");
    EXPECT_STREQ(ClientCommandTable::FindRow("selectBestAdventure")->argNames, "worldUuserVar unlockText defaultValue");
    EXPECT_STREQ(ClientCommandTable::FindRow("dmg")->help, "Tells the client about a damage event");
    EXPECT_EQ(ClientCommandTable::FindRow("useItem"), nullptr);
}

TEST_F(ClientCommands, RowsWithHandlersAreInBothRegistriesAndTheRestWaitForTheirOwners)
{
    CommandSystem& serverLines = app->GetServerLineCommands();
    for (const ClientCommandRow& row : ClientCommandTable::GetRows()) {
        bool own = IsHandledHere(row.name);
        // The host's lines reach only its notifications.
        EXPECT_EQ(serverLines.IsCommand(row.name), own && ClientCommandTable::IsHostLine(row.name)) << row.name;
        EXPECT_EQ(commands.IsCommand(row.name), own) << row.name;
    }
    // A row is never taken with an empty handler: that would send the line to the world host.
    EXPECT_FALSE(ClientCommandTable::Attach(*app, "msg", nullptr));
    EXPECT_FALSE(ClientCommandTable::Attach(*app, "noSuchRow", [](const std::vector<std::string>&) {}));
    EXPECT_FALSE(commands.IsCommand("msg"));
    int32_t ran = 0;
    ASSERT_TRUE(ClientCommandTable::Attach(*app, "msg", [&](const std::vector<std::string>&) { ++ran; }));
    EXPECT_TRUE(ExecuteCommandLine("msg 1 hello"));
    EXPECT_TRUE(serverLines.Execute("msg 2 \"from the host\""));
    EXPECT_EQ(ran, 2);
    EXPECT_TRUE(app->GetQueuedLines().empty());
}

// Before any game every handler, given any words, queues nothing and runs safely.
TEST_F(ClientCommands, WithoutAGameNoCommandQueuesAnything)
{
    const char* hostile[] = {"1", "abc", "-1", "1500", "2147483647", "-2147483648", "nan", "inf", ""};
    for (const char* name : kClientCommandsHandledHere) {
        for (const char* word : hostile) {
            std::string line = std::string(name);
            for (int i = 0; i < 3; ++i)
                line += std::string(" \"") + word + "\"";
            ExecuteCommandLine(line);
            app->GetServerLineCommands().Execute(line);
        }
        ASSERT_TRUE(app->GetQueuedLines().empty()) << name;
    }
}

TEST_F(ClientCommands, BothHalvesRegisterTheWorldHostsRequestsFromOneTable)
{
    StartWorld("UsingCovenants 0\n");
    const auto& rows = ServerRequestTable::GetRows();
    const auto& server = ServerCommands::GetTable();
    ASSERT_EQ(rows.size(), server.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_STREQ(server[i].name, rows[i].name);
        EXPECT_STREQ(server[i].help, rows[i].help);
        EXPECT_STREQ(server[i].argNames, rows[i].argNames);
        EXPECT_STREQ(server[i].argTypes, rows[i].argTypes);
        EXPECT_EQ(server[i].flags, rows[i].flags);
        EXPECT_NE(server[i].handler, nullptr) << rows[i].name;
        EXPECT_TRUE(host->GetClientCommands().IsCommand(rows[i].name)) << rows[i].name;
        // Handed on from the console, but never run when the world host itself sends the name.
        EXPECT_TRUE(commands.IsCommand(rows[i].name)) << rows[i].name;
        EXPECT_FALSE(app->GetServerLineCommands().IsCommand(rows[i].name)) << rows[i].name;
    }
}

TEST_F(ClientCommands, ATypedRequestLeavesInTheNextUpdateAndReachesTheHostWithThePlayer)
{
    StartAndJoin();
    RecordHostCommand("useItem");
    EXPECT_TRUE(ExecuteCommandLine("useItem 1 2"));
    // The arguments are counted before the line is handed on.
    ExecuteCommandLine("useItem 1");
    ASSERT_EQ(app->GetQueuedLines().size(), 1u);
    EXPECT_EQ(app->GetQueuedLines().front(), "useItem 1 2");
    ClientFrame(0);
    EXPECT_TRUE(app->GetQueuedLines().empty());
    ClientFrame(0);
    ASSERT_EQ(hostRuns.size(), 1u);
    EXPECT_EQ(hostRuns[0], (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(hostContexts[0], link->player);
}

TEST_F(ClientCommands, TheHostsLinesRunOnlyTheClientsOwnCommands)
{
    int32_t consoleRuns = 0;
    auto count = [&](const std::vector<std::string>&) { ++consoleRuns; };
    commands.RegisterCommand("quit", count, "Quits", "", "");
    commands.RegisterCommand("setUserVar", count, "Sets a user var", "name value", "ss");
    StartAndJoin();
    RecordHostCommand("useItem");
    gGame->QueueClientCommand("quit");
    gGame->QueueClientCommand("setUserVar x 1");
    gGame->QueueClientCommand("useItem 1 2");
    gGame->QueueClientCommand("npcChat \"Well met\"");
    for (int i = 0; i < 3; ++i)
        ClientFrame(0);
    // The chat line proves the lines arrived; the others ran nothing and went nowhere.
    EXPECT_EQ(gameClient->npcChatText, "Well met");
    EXPECT_EQ(consoleRuns, 0);
    EXPECT_TRUE(vars.GetStringByName("x").empty());
    EXPECT_TRUE(hostRuns.empty());
}

} // namespace
