// ServerCommandsTest -- the server's command table driven through a real command system: its order, hostile lines changing nothing, the trade window's offers, the end of a world and the player's requests.
#include "server/CommandWorld.h"

#include "core/LocSystem.h"
#include "entities/Gate.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"
#include "rules/GameData.h"
#include "server/quests/Quest.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

// A townsperson of the recruit kind, as the town's recruit record makes one.
class TownRecruit : public Actor {
public:
    int32_t GetNpcType() const override { return NpcType::Recruit; }
};

// A world quest that records only being abandoned.
class AbandonedWorldQuest : public Quest {
public:
    AbandonedWorldQuest() : Quest(nullptr) {}
    void Abandon() override { calls.emplace_back("abandon"); }
    std::vector<std::string> calls;
};

class ServerCommandsTest : public CommandWorld {};

// Records the end of a use, for the skill request that lets an interaction go first.
class UseSpy : public Entity {
public:
    void OnUseEnded(Entity* user) override { endedBy = user; }
    Entity* endedBy = nullptr;
};

std::string RepeatWords(const std::string& word, size_t count)
{
    std::string words;
    for (size_t i = 0; i < count; ++i)
        words += " " + word;
    return words;
}

std::string ReadShippedFile(const std::string& name)
{
    const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
    std::ifstream file(std::string(gameDir ? gameDir : ".") + "/Assets/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

int32_t CountLines(const std::vector<std::string>& lines, const std::string& wanted)
{
    int32_t count = 0;
    for (const std::string& line : lines)
        count += line == wanted ? 1 : 0;
    return count;
}

} // namespace

// ---- The table --------------------------------------------------------------------------------------

TEST_F(ServerCommandsTest, TableHoldsTheFiftyFourCommandsInRegistrationOrder)
{
    const char* expected[] = {
        "offer", "acceptOffer", "rejectOffer", "cancelTreaty", "cancelTradeRoute", "declareWar", "suggestTrade",
        "alliedVictoryAccept", "alliedVictoryReject", "confirmWin", "switchItemSet", "IdentifyAll", "SkipTutorial",
        "RestartTutorial", "WarpConfirm", "useSkill", "IncAtrb", "increaseSkill", "decreaseSkill", "moveItem",
        "useItem", "dropItem", "sellItem", "buyItem", "forceUse", "forceFood", "forcePotion", "recruit", "rescue",
        "delivery", "escort", "invite", "removeNpc", "kickout", "resurrect", "useEntity", "pickupEntity",
        "acceptQuest", "declineQuest", "skipQuest", "solveQuest", "completeQuest", "gate", "gateToCovenant",
        "gateTown", "entityInfo", "Raid", "stopRaid", "resetNpcIntro", "getNpcChat", "stopSharedAdventure",
        "startRumor", "shiftPowerupsDown", "shiftPowerupsUp"};
    const auto& table = ServerCommands::GetTable();
    ASSERT_EQ(std::size(expected), table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_STREQ(table[i].name, expected[i]) << i;
        EXPECT_TRUE(commands.IsCommand(expected[i])) << expected[i];
    }
}

TEST_F(ServerCommandsTest, OnlyTheOfferLinesSkipTheArgumentCheck)
{
    for (const auto& definition : ServerCommands::GetTable()) {
        bool offerLine = std::string(definition.name).find("ffer") != std::string::npos;
        EXPECT_EQ((definition.flags & kCommandNoArgumentCheck) != 0, offerLine) << definition.name;
        if (offerLine) {
            EXPECT_STREQ(definition.argTypes, "") << definition.name;
        }
    }
    EXPECT_STREQ(ServerCommands::GetTable()[46].argTypes, "iIIIIIIIIII");
    EXPECT_STREQ(ServerCommands::GetTable()[15].argTypes, "ddddff");
}

TEST_F(ServerCommandsTest, ConsoleCommandsAreNotServerCommands)
{
    EXPECT_FALSE(Run("quit"));
    EXPECT_FALSE(Run("setUserVar zoom 2"));
    EXPECT_FALSE(Run("newWorld 0 0 0 x"));
}

// ---- Hostile lines ------------------------------------------------------------------------------------

// Every command, with arguments missing, one too many, and every argument replaced by text
// that is no number, -1, 1500, the 32-bit extremes, "nan" and "inf": nothing runs that changes
// anything. The player's covenant is index 0 and the player entity 0, so words read as 0 name
// only the player's own.
TEST_F(ServerCommandsTest, HostileArgumentsChangeNothing)
{
    AddCovenant();
    const std::string before = Snapshot();
    const char* hostile[] = {"abc", "-1", "1500", "2147483647", "-2147483648", "nan", "inf", "-1e39", ""};
    for (const auto& definition : ServerCommands::GetTable()) {
        size_t count = std::string(definition.argTypes).size();
        std::vector<std::string> lines;
        lines.push_back(std::string(definition.name) + RepeatWords("1", count + 1));
        if (count > 0)
            lines.push_back(std::string(definition.name) + RepeatWords("1", count - 1));
        for (const char* word : hostile) {
            std::string quoted = std::string("\"") + word + "\"";
            lines.push_back(std::string(definition.name) + RepeatWords(quoted, std::max<size_t>(count, 1)));
            lines.push_back(std::string(definition.name) + RepeatWords(quoted, 5));
        }
        for (const std::string& line : lines) {
            if (std::string(definition.name) == "entityInfo")
                continue;  // prints to the log, whatever the number
            Run(line);
            ASSERT_EQ(Snapshot(), before) << line;
        }
    }
}

TEST_F(ServerCommandsTest, ChecklessLinesRefuseWrongCounts)
{
    EXPECT_FALSE(Run("WarpConfirm 0 1"));
    EXPECT_FALSE(Run("WarpConfirm 0 1 2 3"));
    EXPECT_FALSE(Run("useSkill 0 0 -1 0 nan 1"));
    EXPECT_FALSE(Run("useSkill 0 0 -1 0 1 inf"));
    EXPECT_FALSE(Run("confirmWin 1"));
    EXPECT_FALSE(Run("Raid 1 2 3 4 5 6 7 8 9 10 11 12"));
    EXPECT_TRUE(Run("Raid 1 2 3 4 5 6 7 8 9 10 11"));
    EXPECT_TRUE(Run("Raid 1"));
    EXPECT_FALSE(Run("Raid x"));
}

TEST_F(ServerCommandsTest, NoPlayerRunsOnlyTheCommandsThatNeedNone)
{
    DealCovenant* other = AddCovenant();
    other->pendingFor = mine->index;
    game->SetVictoryPending(true, true);
    std::string before = Snapshot();
    for (const char* line : {"offer 0 1", "declareWar 1", "stopRaid", "startRumor 1 0", "getNpcChat",
                             "alliedVictoryReject", "resurrect"}) {
        commands.Execute(line, nullptr);
        EXPECT_EQ(Snapshot(), before) << line;
    }
    commands.Execute("confirmWin", nullptr);
    EXPECT_TRUE(game->IsWorldWonConfirmed());
    commands.Execute("alliedVictoryAccept", nullptr);
    EXPECT_FALSE(game->IsAlliedVictoryPending());
}

// ---- The trade window -----------------------------------------------------------------------------------

TEST_F(ServerCommandsTest, OfferWithoutEntriesIsAnEmptyGiftOfTypeTwo)
{
    DealCovenant* other = AddCovenant();
    ASSERT_EQ(other->index, 1);
    Run("offer 0 1");
    EXPECT_EQ(game->GetTradeOffer().type, 2);
    EXPECT_TRUE(game->GetTradeOffer().entries.empty());
    EXPECT_TRUE(game->GetTradeOffer().itemsOnly);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "offer from 0 type 2 items 1 [ ]");
}

TEST_F(ServerCommandsTest, OfferReadsEntriesInThreesAndKeepsATypeThatAsks)
{
    AddCovenant();
    Run("offer 1 1 0 1 50 1 8 65537");
    EXPECT_EQ(game->GetTradeOffer().type, 1);
    EXPECT_FALSE(game->GetTradeOffer().itemsOnly);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "offer from 0 type 1 items 0 [ 0/1/50 1/8/65537 ]");
}

TEST_F(ServerCommandsTest, OfferDropsACutThreeAndSurplusWords)
{
    AddCovenant();
    Run("offer 1 1 0 1");
    EXPECT_EQ(log.back(), "offer from 0 type 2 items 1 [ ]");
    Run("offer 1 1 2 6 5 0 7");
    EXPECT_EQ(log.back(), "offer from 0 type 1 items 1 [ 2/6/5 ]");
}

TEST_F(ServerCommandsTest, BadOffersAreRefusedWhole)
{
    AddCovenant();
    Run("offer 1 1 0 1 50");
    const std::string before = Snapshot();
    for (const char* line : {"offer 1 1 0 1 -1", "offer 1 1 0 0 5", "offer 1 1 0 12 5", "offer 1 1 3 1 5",
                             "offer 1 1 -1 1 5", "offer 1 1 0 1 5 0 -7 5", "offer 1 0", "offer 1 2", "offer 1 -1",
                             "offer 1", "acceptOffer 1 1", "rejectOffer 1 1 0 11 -65536", "offer 1 1 0 7 65537",
                             "offer 1 1 0 11 2097153", "offer 1 1 0 11 65540", "rejectOffer 1 1 1 7 1"}) {
        Run(line);
        EXPECT_EQ(Snapshot(), before) << line;
    }
}

TEST_F(ServerCommandsTest, ARouteOfAKindOutsideTheRouteKindsIsRefusedWhenRead)
{
    AddCovenant();
    Run("offer 1 1 0 1 50");
    const std::string before = Snapshot();
    size_t heard = log.size();
    for (const char* line : {"offer 1 1 0 9 6", "offer 1 1 0 9 2147483647", "offer 1 1 0 1 5 1 9 7"}) {
        Run(line);
        EXPECT_EQ(Snapshot(), before) << line;
        EXPECT_EQ(log.size(), heard) << "the covenant never hears of it: " << line;
    }
    Run("offer 1 1 0 9 2");
    ASSERT_EQ(log.size(), heard + 1);
    EXPECT_NE(log.back().find("[ 0/9/2 ]"), std::string::npos) << log.back();
}

TEST_F(ServerCommandsTest, ThirtyTwoEntriesAreTheMost)
{
    AddCovenant();
    Run("offer 0 1" + RepeatWords("0 1 1", 32));
    EXPECT_EQ(game->GetTradeOffer().entries.size(), 32u);
    const std::string before = Snapshot();
    Run("offer 0 1" + RepeatWords("0 1 1", 33));
    EXPECT_EQ(Snapshot(), before);
    Run("offer 0 1" + RepeatWords("0 1 1", 100000));
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(ServerCommandsTest, AcceptOfferTakesOnlyTheTermsOfThePendingOfferAsTheServerHoldsIt)
{
    DealCovenant* other = AddCovenant();
    Run("acceptOffer 0 1 1 6 900");
    EXPECT_TRUE(log.empty());
    other->hasPending = true;
    other->pendingFor = mine->index;
    other->pending.type = 3;
    other->pending.entries = {{1, TradeOfferKind::LeaderMoney, 4}};
    // Terms the covenant never offered are no acceptance of its offer.
    for (const char* changed : {"acceptOffer 0 1 1 6 900", "acceptOffer 3 1 1 6 5", "acceptOffer 0 1 1 6 4",
                                "acceptOffer 3 1 1 6 4 1 6 4", "acceptOffer 3 1"})
        Run(changed);
    EXPECT_TRUE(log.empty());
    // The player, its covenant's leader, must still hold what the offer asks of it.
    mine->leader = player;
    player->stats.Set(CharacterStat::Money, 4);
    Run("acceptOffer 3 1 1 6 4");
    ASSERT_EQ(log.size(), 1u);
    // The rival passes the player's answer back to it: in the words of an offer taken.
    EXPECT_EQ(log[0], "result from 0 type 3 items 1 [ 1/6/4 ] accepted 1 21");
    EXPECT_EQ(game->GetTradeOffer().entries, other->pending.entries);
}

TEST_F(ServerCommandsTest, AcceptOfferForAnotherCovenantsPendingOfferIsRefused)
{
    DealCovenant* other = AddCovenant();
    other->hasPending = true;
    other->pendingFor = 5;
    Run("acceptOffer 0 1");
    EXPECT_TRUE(log.empty());
}

TEST_F(ServerCommandsTest, RejectOfferReportsTheLinesOffer)
{
    AddCovenant();
    Run("rejectOffer 0 1 0 6 10");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "result from 0 type 0 items 1 [ 0/6/10 ] accepted 0 22");
}

TEST_F(ServerCommandsTest, OffersToTheOwnCovenantAreRefused)
{
    Run("offer 0 0");
    Run("rejectOffer 0 0");
    EXPECT_TRUE(log.empty());
}

// ---- Treaties, routes, rumours and the covenant's undertakings ----------------------------------------------

TEST_F(ServerCommandsTest, DiplomacyLinesNameThePlayersCovenantFirst)
{
    AddCovenant();
    Run("cancelTreaty 1");
    Run("declareWar 1");
    Run("cancelTradeRoute 1");
    Run("declareWar 0");
    Run("declareWar 2");
    std::vector<std::string> expected = {"treaty 0 1 1 0", "treaty 0 1 2 0", "route 0 1 0 0"};
    EXPECT_EQ(log, expected);
}

TEST_F(ServerCommandsTest, RumorLevelsZeroToTwoOnly)
{
    AddCovenant();
    for (const char* line : {"startRumor 1 3", "startRumor 1 -1", "startRumor 1 2147483647", "startRumor 0 1"})
        Run(line);
    EXPECT_TRUE(log.empty());
    Run("startRumor 1 0");
    Run("startRumor 1 2");
    std::vector<std::string> expected = {"rumor 0 0 1", "rumor 2 0 1"};
    EXPECT_EQ(log, expected);
}

TEST_F(ServerCommandsTest, SuggestTradeAsksTheCovenantOfTheEntityDealtWith)
{
    DealCovenant* other = AddCovenant();
    auto* envoy = Spawn<Actor>(200.0f, 200.0f);
    envoy->covenantIndex = other->index;
    Run("suggestTrade");
    player->SetInteractionTarget(envoy);
    envoy->covenantIndex = mine->index;
    Run("suggestTrade");
    EXPECT_TRUE(log.empty());
    envoy->covenantIndex = other->index;
    Run("suggestTrade");
    std::vector<std::string> expected = {"suggest 1 to 0"};
    EXPECT_EQ(log, expected);
}

TEST_F(ServerCommandsTest, CovenantRequestsGoToThePlayersCovenant)
{
    auto* recruit = Spawn<Actor>(200.0f, 200.0f);
    // The number is the recruit's place in the covenant's list; a place holding no one is no request.
    Run("kickout 0");
    mine->recruits = {recruit};
    Run("kickout 1");
    Run("kickout 0");
    Run("stopRaid");
    Run("stopSharedAdventure");
    std::vector<std::string> expected = {"kick out " + std::to_string(recruit->entityNumber), "stop raid 0",
                                         "stop adventure 0"};
    EXPECT_EQ(log, expected);
    player->covenantIndex = -1;
    Run("stopRaid");
    EXPECT_EQ(log, expected);
}

// ---- The end of a world -------------------------------------------------------------------------------------

TEST_F(ServerCommandsTest, ConfirmWinTwiceEndsTheWorldOnce)
{
    Run("confirmWin");
    EXPECT_FALSE(game->IsGameOver());
    game->SetVictoryPending(false, true);
    Run("confirmWin");
    Run("confirmWin");
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_TRUE(game->IsWorldWonConfirmed());
    EXPECT_FALSE(game->IsWinAwaitingConfirm());
    EXPECT_EQ(CountLines(game->GetClientLines(), "msg 2 \"$$YouHaveConqueredThisWorld$$\""), 1);
}

TEST_F(ServerCommandsTest, ConfirmedWinIsNotWonAgainByTheStep)
{
    game->SetVictoryPending(false, true);
    Run("confirmWin");
    game->Update(0.05f);
    EXPECT_EQ(CountLines(game->GetClientLines(), "msg 2 \"$$YouHaveConqueredThisWorld$$\""), 1);
}

TEST_F(ServerCommandsTest, AlliedVictoryAcceptOnlyWhilePending)
{
    Run("alliedVictoryAccept");
    EXPECT_FALSE(game->IsGameOver());
    game->SetVictoryPending(true, false);
    Run("alliedVictoryAccept");
    Run("alliedVictoryAccept");
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_FALSE(game->IsAlliedVictoryPending());
    EXPECT_EQ(CountLines(game->GetClientLines(), "msg 2 \"$$YouHaveConqueredThisWorld$$\""), 1);
}

TEST_F(ServerCommandsTest, AlliedVictoryRejectGoesToWarWithEveryLivingCovenant)
{
    AddCovenant();
    DealCovenant* destroyed = AddCovenant();
    destroyed->eliminated = true;
    AddCovenant();
    Run("alliedVictoryReject");
    EXPECT_TRUE(log.empty());
    game->SetVictoryPending(true, false);
    Run("alliedVictoryReject");
    Run("alliedVictoryReject");
    std::vector<std::string> expected = {"treaty 1 0 2 0", "treaty 3 0 2 0"};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(game->IsAlliedVictoryPending());
    EXPECT_FALSE(game->IsGameOver());
}

// ---- The player's requests ---------------------------------------------------------------------------------

TEST_F(ServerCommandsTest, WarpConfirmWithinHalfAUnitEndsTheWait)
{
    player->moveTarget = At(500.0f, 600.0f, 1);
    player->moveTargetValid = true;
    Run("WarpConfirm 1 500.6 600");
    Run("WarpConfirm 1 500 599.4");
    Run("WarpConfirm 2 500 600");
    EXPECT_TRUE(player->moveTargetValid);
    Run("WarpConfirm 1 500.5 599.5");
    EXPECT_FALSE(player->moveTargetValid);
}

TEST_F(ServerCommandsTest, WarpConfirmOutsideTheWorldIsNoRequest)
{
    player->moveTarget = At(0.0f, 0.0f, 0);
    player->moveTargetValid = true;
    Run("WarpConfirm -1 0 0");
    Run("WarpConfirm 3 0 0");
    Run("WarpConfirm 0 nan 0");
    EXPECT_TRUE(player->moveTargetValid);
}

TEST_F(ServerCommandsTest, UseSkillKeepsTheMousePositionAndEndsAUseFirst)
{
    auto* chest = Spawn<UseSpy>(120.0f, 100.0f);
    player->interactionMode = 18;
    player->SetInteractionTarget(chest);
    Run("useSkill 0 0 1500 1 250.5 300");
    EXPECT_EQ(player->skillTargetPosition.level, 1);
    EXPECT_FLOAT_EQ(player->skillTargetPosition.x, 250.5f);
    EXPECT_FLOAT_EQ(player->skillTargetPosition.y, 300.0f);
    EXPECT_EQ(chest->endedBy, player);
}

TEST_F(ServerCommandsTest, UseSkillWithATargetNamingNothingUsesItWithoutOne)
{
    game->SetPlayers({player});
    auto* skill = static_cast<Skill*>(
        player->skillList->AddSkill(gameData.FindSkillDefinition("Plain"), player, 1, 2));
    player->stats.Set(CharacterStat::Strength, 5);
    player->stats.Set(CharacterStat::Power, 50);
    game->GetClientLines().clear();
    Run("useSkill 0 2 -1 0 10 10");
    Run("useSkill 1 3 -1 0 10 10");
    EXPECT_TRUE(game->GetClientLines().empty());
    Run("useSkill 1 2 1500 0 10 10");
    std::vector<std::string> expected = {"usedSkill " + std::to_string(skill->GetRecordId()) + " 1"};
    EXPECT_EQ(game->GetClientLines(), expected);
    EXPECT_EQ(player->stats.Get(CharacterStat::Power), 40);
}

TEST_F(ServerCommandsTest, UseSkillOutsideTheWorldIsNoRequest)
{
    auto* chest = Spawn<UseSpy>(120.0f, 100.0f);
    player->interactionMode = 19;
    player->SetInteractionTarget(chest);
    const std::string before = Snapshot();
    Run("useSkill 0 0 -1 3 1 1");
    Run("useSkill 0 0 -1 -1 1 1");
    Run("useSkill 0 0 -1 0 1e39 1");
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(chest->endedBy, nullptr);
}

TEST_F(ServerCommandsTest, DeliveryNobodyTakesTellsThePlayer)
{
    auto* npc = Spawn<Actor>(150.0f, 100.0f);
    game->GetClientLines().clear();
    game->GetPlayerLines().clear();
    Run("delivery " + std::to_string(npc->entityNumber));
    EXPECT_TRUE(game->GetClientLines().empty()) << "no other client hears the refusal";
    ASSERT_EQ(game->GetPlayerLines().size(), 1u);
    EXPECT_EQ(game->GetPlayerLines()[0].first, player->entityNumber);
    EXPECT_EQ(game->GetPlayerLines()[0].second,
              "msg 4 \"" + MakeLocToken("DontHavePackageForX", "%s", "Orla the Smith") + "\"");
    game->GetPlayerLines().clear();
    game->questTakesDelivery = true;
    Run("delivery " + std::to_string(npc->entityNumber));
    EXPECT_TRUE(game->GetClientLines().empty());
    EXPECT_TRUE(game->GetPlayerLines().empty());
}

TEST_F(ServerCommandsTest, DeliveryRefusalReadsInTheShippedEnglish)
{
    for (const char* file : {"Loc/English.loc", "Loc/layout.loc", "Loc/keyNames.loc", "Loc/codePageToUnicode.map"})
        folder.Write(std::string("Assets/") + file, ReadShippedFile(file));
    LocSystem loc;
    gLocSystem = &loc;
    ASSERT_TRUE(loc.Load("English"));
    auto* npc = Spawn<Actor>(150.0f, 100.0f);
    game->GetPlayerLines().clear();
    Run("delivery " + std::to_string(npc->entityNumber));
    ASSERT_EQ(game->GetPlayerLines().size(), 1u);
    std::vector<std::string> words = CommandSystem::ParseLine(game->GetPlayerLines()[0].second);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(loc.Translate(words[2]), "You carry no package for Orla the Smith.");
    gLocSystem = nullptr;
}

TEST_F(ServerCommandsTest, DeliveryToAnythingButAnActorIsNoRequest)
{
    auto* thing = Spawn<UseSpy>(150.0f, 100.0f);
    Run("delivery " + std::to_string(thing->entityNumber));
    Run("delivery 0");
    EXPECT_TRUE(log.empty());
}

TEST_F(ServerCommandsTest, RemoveNpcSendsARecruitHome)
{
    auto* recruit = Spawn<Actor>(150.0f, 100.0f);
    recruit->SetLeader(player);
    mine->recruit = recruit;
    mine->recruitHome = At(700.0f, 800.0f, 2);
    Run("removeNpc " + std::to_string(recruit->entityNumber));
    EXPECT_EQ(recruit->GetLeader(), nullptr);
    EXPECT_EQ(recruit->position.level, 2);
    EXPECT_FLOAT_EQ(recruit->position.x, 700.0f);
    EXPECT_TRUE(recruit->homeSet);
    EXPECT_FLOAT_EQ(recruit->homePosition.y, 800.0f);
    EXPECT_TRUE(recruit->sentHome);
}

TEST_F(ServerCommandsTest, RemoveNpcOfACompanionThatIsNoRecruitOnlyDetachesIt)
{
    auto* companion = Spawn<Actor>(150.0f, 100.0f);
    companion->SetLeader(player);
    Run("removeNpc " + std::to_string(companion->entityNumber));
    EXPECT_EQ(companion->GetLeader(), nullptr);
    EXPECT_FLOAT_EQ(companion->position.x, 150.0f);
    EXPECT_FALSE(companion->sentHome);
}

TEST_F(ServerCommandsTest, RemoveNpcLeavesAnotherLeadersCompanionWithItsLeader)
{
    auto* otherLeader = Spawn<Actor>(300.0f, 100.0f);
    auto* companion = Spawn<Actor>(310.0f, 100.0f);
    companion->SetLeader(otherLeader);
    Run("removeNpc " + std::to_string(companion->entityNumber));
    EXPECT_EQ(companion->GetLeader(), otherLeader);
}

// The line goes to the asker's client alone, only when the actor it talks with stands in its
// reach and says something.
TEST_F(ServerCommandsTest, NpcChatComesFromTheActorTalkedToAndGoesToTheAskerOnly)
{
    auto* near = Spawn<Actor>(150.0f, 100.0f);
    auto* far = Spawn<Actor>(900.0f, 100.0f);
    const std::string said = "$$Greeting$$ \"friend\"";
    const std::string line = "npcChat \"$$Greeting$$ \\\"friend\\\"\"";
    struct Case {
        const char* state;
        Entity* partner;
        std::string chat;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"no partner", nullptr, said, {}},
        {"a partner in reach", near, said, {line}},
        {"a partner with nothing to say", near, "", {}},
        {"a partner out of reach", far, said, {}},
    };
    for (const Case& c : cases) {
        player->SetInteractionTarget(c.partner);
        game->chat = c.chat;
        game->GetClientLines().clear();
        game->GetPlayerLines().clear();
        Run("getNpcChat");
        EXPECT_TRUE(game->GetClientLines().empty()) << c.state << ": nothing for every client";
        std::vector<std::string> mine;
        for (const auto& [number, text] : game->GetPlayerLines())
            if (number == player->entityNumber)
                mine.push_back(text);
        EXPECT_EQ(mine, c.lines) << c.state;
        EXPECT_EQ(game->GetPlayerLines().size(), mine.size()) << c.state;
    }
    std::vector<std::string> words = CommandSystem::ParseLine(line);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[1], said);
}

TEST_F(ServerCommandsTest, DeclineQuestAbandonsTheGamesQuestThenTheSlots)
{
    auto world = std::make_unique<AbandonedWorldQuest>();
    AbandonedWorldQuest* original = world.get();
    game->GetWorldQuests().push_back(std::make_unique<AbandonedWorldQuest>());
    game->GetWorldQuests().push_back(std::move(world));
    ASSERT_EQ(game->playerQuests.size(), 6u);
    ScriptedQuest* slot = game->playerQuests[4];
    slot->level = 2;
    slot->questId = 1;
    Run("declineQuest 4");
    std::vector<std::string> abandoned = {"abandon"};
    EXPECT_EQ(original->calls, abandoned);
    EXPECT_EQ(slot->calls, abandoned);
}

TEST_F(ServerCommandsTest, DeclineQuestOfAnEmptySlotOrNoSlotChangesNothing)
{
    game->GetWorldQuests().push_back(std::make_unique<AbandonedWorldQuest>());
    auto* original = static_cast<AbandonedWorldQuest*>(game->GetWorldQuests()[0].get());
    for (ScriptedQuest* slot : game->playerQuests)
        slot->questId = 0;
    game->playerQuests[5]->level = 3;
    game->playerQuests[5]->questId = 7;
    for (const char* line : {"declineQuest 0", "declineQuest 6", "declineQuest -1", "declineQuest 2147483647"})
        Run(line);
    EXPECT_TRUE(original->calls.empty());
    Run("declineQuest 5");
    EXPECT_TRUE(original->calls.empty());
    std::vector<std::string> abandoned = {"abandon"};
    EXPECT_EQ(game->playerQuests[5]->calls, abandoned);
}

TEST_F(ServerCommandsTest, ResetNpcIntroClearsTheActorsFlag)
{
    auto* npc = Spawn<Actor>(150.0f, 100.0f);
    npc->introShown = true;
    Run("resetNpcIntro");
    EXPECT_TRUE(npc->introShown);
    player->SetInteractionTarget(npc);
    Run("resetNpcIntro");
    EXPECT_FALSE(npc->introShown);
}

// ---- Requests the player's own operations carry out --------------------------------------------------

TEST_F(ServerCommandsTest, QuestRequestsReachThePlayersSlots)
{
    ScriptedQuest* held = game->playerQuests[3];
    held->level = 4;
    held->questId = 9;
    Run("skipQuest 4");
    Run("skipQuest 6");
    Run("completeQuest -1");
    Run("completeQuest 8");
    EXPECT_TRUE(held->calls.empty());
    EXPECT_TRUE(player->HasQuest(9));
    Run("completeQuest 9");
    std::vector<std::string> rewarded = {"reward"};
    EXPECT_EQ(held->calls, rewarded);
    EXPECT_FALSE(player->HasQuest(9));
    held->level = 4;
    Run("skipQuest 3");
    EXPECT_FALSE(player->HasQuest(9));
}

TEST_F(ServerCommandsTest, RecruitsAndInvitationsGoThroughTheCovenant)
{
    auto* npc = Spawn<TownRecruit>(150.0f, 100.0f);
    auto* plain = Spawn<UseSpy>(160.0f, 100.0f);
    Run("recruit " + std::to_string(plain->entityNumber) + " 0");
    Run("invite 0");
    EXPECT_TRUE(log.empty());
    Run("recruit " + std::to_string(npc->entityNumber) + " 0");
    mine->recruits = {npc};
    Run("invite 1");
    Run("invite 0");
    std::string number = std::to_string(npc->entityNumber);
    std::vector<std::string> expected = {"take recruit " + number, "to house " + number, "release " + number};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(npc->GetLeader(), player);
}

// Only a living town recruit beside the player who serves no covenant joins; anyone else is
// refused with a word to the player, and the covenant takes no one.
TEST_F(ServerCommandsTest, ARecruitLineForAnyoneButAFreeTownRecruitBesideThePlayerIsRefused)
{
    auto* trader = Spawn<Actor>(150.0f, 100.0f);
    auto* far = Spawn<TownRecruit>(900.0f, 100.0f);
    auto* sworn = Spawn<TownRecruit>(150.0f, 110.0f);
    sworn->covenantIndex = 3;
    auto* dead = Spawn<TownRecruit>(150.0f, 120.0f);
    dead->maxHealth = 10;
    dead->health = 0;
    game->GetClientLines().clear();
    for (Actor* refused : std::initializer_list<Actor*>{trader, far, sworn, dead})
        Run("recruit " + std::to_string(refused->entityNumber) + " 1");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(sworn->covenantIndex, 3);
    EXPECT_EQ(far->GetLeader(), nullptr);
    int32_t refusals = 0;
    for (const auto& [number, line] : game->GetPlayerLines())
        refusals += number == player->entityNumber && line.find("NpcWontJoin") != std::string::npos ? 1 : 0;
    EXPECT_EQ(refusals, 4);

    auto* willing = Spawn<TownRecruit>(150.0f, 130.0f);
    Run("recruit " + std::to_string(willing->entityNumber) + " 1");
    std::string number = std::to_string(willing->entityNumber);
    EXPECT_EQ(log, (std::vector<std::string>{"take recruit " + number}));
    EXPECT_EQ(willing->GetLeader(), player);
}

TEST_F(ServerCommandsTest, GateToCovenantTakesThePlayerToItsHome)
{
    DealCovenant* other = AddCovenant();
    auto* house = Spawn<UseSpy>(900.0f, 900.0f);
    house->SetPosition(At(900.0f, 900.0f, 2));
    other->homeEntity = house;
    // The player stands at its own covenant's gate with the travel map open.
    auto* gate = Spawn<Gate>(120.0f, 100.0f);
    gate->covenantIndex = mine->index;
    player->SetInteraction(14, gate->entityNumber);
    Run("gateToCovenant 5");
    EXPECT_EQ(player->position.level, 0);
    Run("gateToCovenant 1");
    EXPECT_EQ(player->position.level, 2);
}

TEST_F(ServerCommandsTest, TheTutorialIsSkippedAndStartedAgain)
{
    Run("SkipTutorial");
    EXPECT_TRUE(player->GetCharacterFlag(CharacterFlag::kTutorialOver));
    Run("RestartTutorial");
    EXPECT_FALSE(player->GetCharacterFlag(CharacterFlag::kTutorialOver));
}
