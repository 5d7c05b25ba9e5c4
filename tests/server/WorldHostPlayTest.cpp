// WorldHostPlayTest -- the world host as play uses it: the frame delivers the step's events, only the first client asks for a new world or ends a won one, warps hold, uses need reach, and a client's lines have a budget and keep to it.
#include "server/WorldHostWorld.h"

#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/Listener.h"
#include "core/StringUtil.h"
#include "entities/Actor.h"
#include "server/ServerCommands.h"
#include "server/quests/GameQuests.h"
#include "support/LogLines.h"

#include <memory>

namespace {

// Hears every delivery of the events it is entered for.
class HeardEvents : public Listener {
public:
    void ObserveEvent(Event& event) override { names.push_back(event.name); }
    std::vector<std::string> names;
};

// Counts the uses it receives.
class UseCounter : public Entity {
public:
    void OnUsedBy(Entity* user) override
    {
        ++usedBy;
        Entity::OnUsedBy(user);
    }
    void Use(Entity*) override { ++used; }
    int usedBy = 0;
    int used = 0;
};

class WorldHostPlay : public WorldHostWorld {
protected:
    WorldHostPlay()
    {
        Sentient::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        // The clients' requests, as the program's game registers them.
        ServerCommands::Register(host->GetClientCommands());
        StartWorld();
    }
};

TEST_F(WorldHostPlay, TheWorldLaysOutItsThreeMeadows)
{
    EXPECT_EQ(gWorld->GetLevelCount(), 3);
    EXPECT_EQ(CountLinesHolding(debug, "doesn't fit"), 0);
    // Each the neighbour of the next across its lower edge.
    EXPECT_EQ(gWorld->GetNeighbourLevel(0, DirectionOfLevelStep({0, 1})), 1);
    EXPECT_EQ(gWorld->GetNeighbourLevel(1, DirectionOfLevelStep({0, 1})), 2);
}

TEST_F(WorldHostPlay, AHitOfTheFrameReachesItsListenerAndTheQueueIsEmptyAfterTheStep)
{
    TestClient client(6201);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    auto* monster = Spawn<Sentient>(player->position.x + 40.0f, player->position.y, player->position.level);
    HeardEvents heard;
    events.AddListenerEntry(events.FindEvent("SuccessfulHit"), &heard);
    events.AddListenerEntry(events.FindEvent("WhenHit"), &heard);
    player->OnSuccessfulHit(4, monster, true, false, false, false, true);
    monster->RaiseWhenHit(player, false);
    EXPECT_EQ(events.GetQueuedCount(), 2u);
    Frame(60);
    EXPECT_EQ(heard.names, (std::vector<std::string>{"SuccessfulHit", "WhenHit"}));
    EXPECT_EQ(events.GetQueuedCount(), 0u);
    // A frame without a step still delivers nothing twice.
    Frame(0);
    EXPECT_EQ(heard.names.size(), 2u);
    events.RemoveListener(&heard);
}

TEST_F(WorldHostPlay, OnlyTheFirstClientMayAskForANewWorldAndTheOthersJoinAgain)
{
    TestClient first(6202);
    TestClient second(6203);
    Player* one = Join(first, "One");
    Player* two = Join(second, "Two");
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    uint32_t seed = gWorld->GetLayoutSeed();
    SendUpdate(second, UpdateAt(two->position, {"newWorld 0 Hard Normal 0", "\"newWorld\" 0 Hard Normal 0"}));
    Frame(0);
    EXPECT_EQ(gWorld->GetLayoutSeed(), seed) << "the second client's line changes nothing";
    EXPECT_EQ(CountLinesHolding(debug, "Unknown server command - newWorld 0 Hard Normal 0"), 1);
    EXPECT_EQ(CountLinesHolding(debug, "Unknown server command - \"newWorld\" 0 Hard Normal 0"), 1)
        << "a quoted name is the same command";
    EXPECT_EQ(WorldHost::GetRecordPlayer(*host->GetClients()[1]), two);
    first.ReceiveAll();
    second.ReceiveAll();

    SendUpdate(first, UpdateAt(one->position, {"newWorld 0 Hard Normal 0"}));
    Frame(0);
    EXPECT_EQ(first.ReceiveTypes(), (std::vector<int32_t>{NetMessageType::kNewWorld, NetMessageType::kGameUpdate}));
    EXPECT_EQ(second.ReceiveTypes(), std::vector<int32_t>{NetMessageType::kNewWorld})
        << "its player went with the old world: the announcement, then nothing";
    ASSERT_EQ(host->GetClients().size(), 1u);
    EXPECT_EQ(WorldHost::GetRecordPlayer(*host->GetClients()[0]), one);
    SendUpdate(second, UpdateAt(At(100.0f, 100.0f), {"probe"}));
    Frame(0);
    EXPECT_TRUE(second.ReceiveTypes().empty());

    Player* again = Join(second, "Two again");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(host->GetClients().size(), 2u);
    EXPECT_EQ(again->playerName, "Two again");
    EXPECT_EQ(host->GetFirstPlayerNumber(), one->entityNumber) << "the first client stays first";
}

TEST_F(WorldHostPlay, ANewWorldPlacesTheKeptPlayerAtItsStartAndItsDifficultyIsTheWorlds)
{
    TestClient client(6204);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    // Far into the last level: a world of one level has no such place.
    ASSERT_TRUE(player->SetClientPosition(At(900.0f, 700.0f, 2)));
    host->NewWorld(0, DifficultyLevel::Hard, 2, 0);
    ASSERT_EQ(game->GetEntity(player->entityNumber), player);
    WorldPos start = game->GetStartPosition(game->GetCurrentLevel());
    EXPECT_EQ(player->position.level, start.level);
    EXPECT_TRUE(player->position.IsWithinRange(start, 0.5f));
    EXPECT_EQ(gWorld->GetDifficulty(), 2);
    ASSERT_NE(gWorld->FindAnchor(player->entityNumber), nullptr);
    EXPECT_EQ(gWorld->FindAnchor(player->entityNumber)->anchoredLevel, start.level);
    // The client hears of its new place as of a warp, and its stale place does not pull it back.
    client.ReceiveAll();
    SendUpdate(client, UpdateAt(At(900.0f, 700.0f, 2)));
    Frame(0);
    EXPECT_EQ(player->position.level, start.level);
}

TEST_F(WorldHostPlay, AfterAWarpStaleUpdatesAreIgnoredUntilTheClientArrivesOrConfirms)
{
    TestClient client(6205);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    SendUpdate(client, UpdateAt(At(300.0f, 300.0f, 0)));
    Frame(0);
    ASSERT_FLOAT_EQ(player->position.x, 300.0f);
    WorldPos target = At(2000.0f, 1500.0f, 1);
    player->Warp(target);
    ASSERT_TRUE(player->position.IsWithinRange(target, 0.5f));
    // The client had not heard of the warp yet: its update still stands where it was.
    SendUpdate(client, UpdateAt(At(310.0f, 300.0f, 0)));
    Frame(0);
    EXPECT_EQ(player->position.level, 1) << "a stale update does not pull the player back";
    EXPECT_FLOAT_EQ(player->position.x, 2000.0f);
    // The interaction is still the client's to set while the warp holds.
    NetClientUpdate stale = UpdateAt(At(320.0f, 300.0f, 0));
    stale.interactionMode = 3;
    SendUpdate(client, stale);
    Frame(0);
    EXPECT_EQ(player->interactionMode, 3);
    EXPECT_EQ(player->position.level, 1);
    // "WarpConfirm" at the target ends the wait: the next update moves the player again.
    SendUpdate(client, UpdateAt(At(330.0f, 300.0f, 0), {"WarpConfirm 1 2000.0 1500.0"}));
    Frame(0);
    EXPECT_EQ(player->position.level, 1);
    SendUpdate(client, UpdateAt(At(2010.0f, 1500.0f, 1)));
    Frame(0);
    EXPECT_FLOAT_EQ(player->position.x, 2010.0f);

    // An update at the warp target also ends it, and is taken.
    player->Warp(At(500.0f, 500.0f, 2));
    SendUpdate(client, UpdateAt(At(500.3f, 499.8f, 2)));
    Frame(0);
    SendUpdate(client, UpdateAt(At(600.0f, 500.0f, 2)));
    Frame(0);
    EXPECT_FLOAT_EQ(player->position.x, 600.0f);
}

TEST_F(WorldHostPlay, UsesReachOnlyWhatStandsBesideThePlayerOnItsLevelOrATouchingOne)
{
    TestClient client(6206);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    WorldPos at = At(1000.0f, gWorld->GetLevelHeight() - 20.0f, 0);
    SendUpdate(client, UpdateAt(at));
    Frame(0);
    auto* near = Spawn<UseCounter>(1040.0f, at.y, 0);
    // Just over the lower edge: on the level below, a few units away.
    auto* across = Spawn<UseCounter>(1000.0f, 15.0f, 1);
    auto* far = Spawn<UseCounter>(1000.0f, 3900.0f, 2);
    auto* sameLevelFar = Spawn<UseCounter>(1000.0f + 300.0f, at.y, 0);
    for (UseCounter* target : {far, sameLevelFar}) {
        for (int32_t mode : {18, 19, 20, 21}) {
            NetClientUpdate update = UpdateAt(at, {"useEntity " + std::to_string(target->entityNumber)});
            update.interactionMode = mode;
            update.target = target->entityNumber;
            SendUpdate(client, update);
            Frame(0);
            EXPECT_EQ(target->usedBy + target->used, 0) << mode;
            EXPECT_EQ(player->interactionMode, 0) << "a refused use changes nothing";
            EXPECT_EQ(player->GetInteractionTarget(), nullptr);
        }
    }
    for (UseCounter* target : {near, across}) {
        NetClientUpdate update = UpdateAt(at, {"useEntity " + std::to_string(target->entityNumber)});
        update.interactionMode = 20;
        update.target = target->entityNumber;
        SendUpdate(client, update);
        Frame(0);
        EXPECT_EQ(target->used, 2) << "the mode and the line each use it";
        EXPECT_EQ(player->GetInteractionTarget(), target);
        SendUpdate(client, UpdateAt(at));
        Frame(0);
    }
    NetClientUpdate talk = UpdateAt(at);
    talk.interactionMode = 18;
    talk.target = near->entityNumber;
    SendUpdate(client, talk);
    Frame(0);
    EXPECT_EQ(near->usedBy, 1);
}

TEST_F(WorldHostPlay, FloodsOfLinesKeepWithinTheLogBudgetAndTheUpdateSize)
{
    TestClient first(6207);
    TestClient second(6208);
    Player* one = Join(first, "One");
    Player* two = Join(second, "Two");
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    first.ReceiveAll();
    size_t logBefore = debug.GetConsoleLines().size();
    std::vector<std::string> unknown(64, "noSuchRequest with some words");
    std::vector<std::string> skips(64, "SkipTutorial");
    std::vector<std::string> uses(64, "useEntity 1499");
    for (int i = 0; i < 16; ++i) {
        SendUpdate(first, UpdateAt(one->position, unknown));
        SendUpdate(first, UpdateAt(one->position, skips));
        SendUpdate(second, UpdateAt(two->position, uses));
    }
    Frame(60);
    EXPECT_EQ(CountLinesHolding(debug, "Unknown server command - noSuchRequest"), WorldHost::kMaxClientLogLines);
    EXPECT_EQ(CountLinesHolding(debug, "Left 1008 more log lines of the client at 127.0.0.1:6207"), 1);
    EXPECT_EQ(CountLinesHolding(debug, "of the client at 127.0.0.1:6208"), 0) << "refused uses log nothing";
    size_t logged = debug.GetConsoleLines().size() - logBefore;
    EXPECT_LE(logged, static_cast<size_t>(WorldHost::kMaxClientLogLines + 4));
    // A thousand notices of the skipped tutorial: the newest that fit, one warning.
    std::vector<MessageBuffer> updates = first.ReceiveAll();
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_LT(updates[0].Size(), 65507u);
    updates[0].ReadInt();
    NetGameUpdateHead head;
    ASSERT_TRUE(NetMessages::ReadGameUpdateHead(updates[0], head));
    size_t lineBytes = 0;
    for (const std::string& line : head.lines)
        lineBytes += line.size() + 1;
    EXPECT_LE(lineBytes, WorldHost::kMaxUpdateLineBytes);
    EXPECT_GT(lineBytes, WorldHost::kMaxUpdateLineBytes - 100);
    EXPECT_EQ(CountLinesHolding(debug, "oldest of 1024 lines out of the update of player"), 1)
        << "once, for the client whose notices they are";
    // The next frame starts with fresh budgets and no lines left over.
    SendUpdate(first, UpdateAt(one->position, {"noSuchRequest again"}));
    Frame(0);
    EXPECT_EQ(CountLinesHolding(debug, "Unknown server command - noSuchRequest again"), 1);
    std::vector<MessageBuffer> next = first.ReceiveAll();
    ASSERT_EQ(next.size(), 1u);
    next[0].ReadInt();
    ASSERT_TRUE(NetMessages::ReadGameUpdateHead(next[0], head));
    EXPECT_TRUE(head.lines.empty());
}

TEST_F(WorldHostPlay, AWarpLineGoesOnlyToItsOwnPlayersClient)
{
    TestClient first(6209);
    TestClient second(6210);
    Player* one = Join(first, "One");
    Player* two = Join(second, "Two");
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    first.ReceiveAll();
    game->QueueClientCommand("everyone");
    two->Warp(At(500.0f, 600.0f, 1));
    Frame(0);
    auto lines = [](TestClient& client) {
        std::vector<MessageBuffer> received = client.ReceiveAll();
        NetGameUpdateHead head;
        if (received.size() != 1 || received[0].ReadInt() != NetMessageType::kGameUpdate ||
            !NetMessages::ReadGameUpdateHead(received[0], head))
            return std::vector<std::string>{"unreadable"};
        return head.lines;
    };
    EXPECT_EQ(lines(first), std::vector<std::string>{"everyone"});
    EXPECT_EQ(lines(second), (std::vector<std::string>{"everyone", "warp 1 500.0 600.0"}));
    Frame(0);
    EXPECT_TRUE(lines(second).empty());
}

// Mended: every line went to every client and only the newest 16 KB were kept, so one client's
// flood of refusals pushed the others' kills, damage and offers out of their updates.
TEST_F(WorldHostPlay, AClientsRefusalsReachOnlyItAndItsFloodLeavesTheOthersLinesWhole)
{
    TestClient first(6211);
    TestClient second(6212);
    Player* one = Join(first, "One");
    Player* two = Join(second, "Two");
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    first.ReceiveAll();
    second.ReceiveAll();
    // A thousand refused deliveries and notices from the first client.
    auto* smith = Spawn<Actor>(one->position.x + 30.0f, one->position.y, one->position.level);
    std::vector<std::string> flood;
    for (int i = 0; i < 32; ++i) {
        flood.push_back(StringFormat("delivery %d", smith->entityNumber));
        flood.push_back("SkipTutorial");
    }
    for (int i = 0; i < 16; ++i)
        SendUpdate(first, UpdateAt(one->position, flood));
    game->QueueClientCommand(StringFormat("kill %d", smith->entityNumber));
    game->QueueClientCommand(StringFormat("dmg %d 12", smith->entityNumber));
    game->QueueClientCommandFor(two->entityNumber, "offerExpired 3");
    Frame(0);

    std::vector<std::string> theirs = UpdateLines(second);
    EXPECT_EQ(theirs, (std::vector<std::string>{StringFormat("kill %d", smith->entityNumber),
                                                StringFormat("dmg %d 12", smith->entityNumber), "offerExpired 3"}));
    std::vector<std::string> mine = UpdateLines(first);
    size_t bytes = 0;
    int refusals = 0;
    for (const std::string& line : mine) {
        bytes += line.size() + 1;
        refusals += line.find("DontHavePackageForX") != std::string::npos ? 1 : 0;
        EXPECT_NE(line, "offerExpired 3") << "another player's line";
    }
    EXPECT_LE(bytes, WorldHost::kMaxUpdateLineBytes);
    EXPECT_GT(refusals, 0) << "its own refusals come first";
    EXPECT_EQ(CountLinesHolding(debug, "lines out of the update of player " + std::to_string(two->entityNumber)), 0);
}

// Mended: any client could confirm the first player's win or take its allied victory.
TEST_F(WorldHostPlay, OnlyTheFirstClientConfirmsAWinOrAnswersAnAlliedVictory)
{
    TestClient first(6213);
    TestClient second(6214);
    Player* one = Join(first, "One");
    Player* two = Join(second, "Two");
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    game->SetVictoryPending(true, true);
    const char* lines[] = {"confirmWin", "alliedVictoryAccept", "alliedVictoryReject", "\"confirmWin\""};
    for (const char* line : lines) {
        SendUpdate(second, UpdateAt(two->position, {line}));
        Frame(0);
        EXPECT_EQ(CountLinesHolding(debug, std::string("Unknown server command - ") + line), 1) << line;
        EXPECT_FALSE(game->IsGameOver()) << line;
        EXPECT_TRUE(game->IsWinAwaitingConfirm()) << line;
        EXPECT_TRUE(game->IsAlliedVictoryPending()) << line;
    }
    SendUpdate(first, UpdateAt(one->position, {"confirmWin"}));
    Frame(0);
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_TRUE(game->IsWorldWonConfirmed());
}

} // namespace

namespace {

// A townsperson with something to say, and the records that make it.
constexpr const char* kWorldHostTalkRecords = R"(
ArchetypeTown
{
    Type MonsterArchetype
}
ChatTell
{
    Type NpcChat
    DialogType None
    MinLevel 1
    MaxLevel 100
    ChanceEachChat 1
    ChatText TellNews
}
ActorTeller
{
    Type Actor
    Npc 1
    NpcType Steward
    ChatIntro TellIntro
    NpcChat ChatTell
}
MonsterTeller
{
    Type MonsterType
    Archetype ArchetypeTown
    Definition ActorTeller
    MinLevel 1
    MaxLevel 30
}
)";

class WorldHostTalk : public WorldHostWorld {
protected:
    WorldHostTalk()
    {
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        ServerCommands::Register(host->GetClientCommands());
        StartWorld("", kWorldHostTalkRecords);
    }

    Actor* Teller(const WorldPos& at)
    {
        auto* teller = new Actor();
        teller->SetUpFromMonsterType(gameData.FindMonsterType("MonsterTeller"), 3, false);
        teller->SetPosition(at);
        EXPECT_NE(game->AddEntity(teller), -1);
        return teller;
    }
};

} // namespace

// Mended: every "getNpcChat" queued its "npcChat" line for every client, even an empty one, with
// a partner at any distance, so one client's 64 updates of 64 requests pushed the other's kill
// and damage lines out of its update. The chat now goes to its asker alone, and only from an NPC
// within the asker's reach.
TEST_F(WorldHostTalk, AFloodOfTalkFromOneClientLeavesTheOthersLinesWhole)
{
    TestClient first(6213);
    TestClient second(6214);
    Player* one = Join(first, "One");
    Player* two = Join(second, "Two");
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    Actor* beside = Teller(At(one->position.x + 30.0f, one->position.y, one->position.level));
    Actor* afar = Teller(At(one->position.x + 900.0f, one->position.y, one->position.level));
    struct Case {
        const char* partner;
        Actor* teller;
        bool heard;
    };
    const Case cases[] = {{"a teller out of reach", afar, false}, {"a teller beside the asker", beside, true}};
    for (const Case& c : cases) {
        first.ReceiveAll();
        second.ReceiveAll();
        NetClientUpdate flood = UpdateAt(one->position, std::vector<std::string>(64, "getNpcChat"));
        flood.target = c.teller->entityNumber;
        for (int i = 0; i < 64; ++i)
            SendUpdate(first, flood);
        game->QueueClientCommand(StringFormat("kill %d", c.teller->entityNumber));
        game->QueueClientCommand(StringFormat("dmg %d 12", c.teller->entityNumber));
        Frame(0);

        EXPECT_EQ(UpdateLines(second), (std::vector<std::string>{StringFormat("kill %d", c.teller->entityNumber),
                                                                         StringFormat("dmg %d 12", c.teller->entityNumber)}))
            << c.partner;
        std::vector<std::string> mine = UpdateLines(first);
        int32_t chats = 0;
        for (const std::string& line : mine)
            if (line.starts_with("npcChat \""))
                chats += line.find("Tell") != std::string::npos ? 1 : 1000;
        EXPECT_EQ(chats > 0, c.heard) << c.partner;
        EXPECT_LT(chats, 1000) << c.partner << ": every chat line says the teller's words";
    }
}

// ---- A client joining again -------------------------------------------------------------------

namespace {

struct WorldHostRejoinCase {
    const char* name;
    int32_t clients;
    int32_t rejoining;
};

void PrintTo(const WorldHostRejoinCase& c, std::ostream* out)
{
    *out << c.name;
}

class WorldHostRejoin : public WorldHostPlay, public ::testing::WithParamInterface<WorldHostRejoinCase> {};

} // namespace

// Mended: the new character was listed after the old one, which then left its entry empty, so a
// lone client's list read [empty, player]: the quests found no first player and stopped.
TEST_P(WorldHostRejoin, ARejoinKeepsTheFirstPlace)
{
    const WorldHostRejoinCase& c = GetParam();
    std::vector<std::unique_ptr<TestClient>> clients;
    std::vector<Player*> joined;
    for (int32_t i = 0; i < c.clients; ++i) {
        clients.push_back(std::make_unique<TestClient>(static_cast<uint16_t>(6230 + i)));
        joined.push_back(Join(*clients.back(), "Hero" + std::to_string(i)));
        ASSERT_NE(joined.back(), nullptr);
    }
    // Each plays a frame: settings after that are a join again, not a second hello.
    for (int32_t i = 0; i < c.clients; ++i)
        SendUpdate(*clients[i], UpdateAt(joined[i]->position));
    Frame(0);

    // The same character, back from its client's title screen.
    std::string name = "Hero" + std::to_string(c.rejoining);
    Player* again = Join(*clients[c.rejoining], name);
    ASSERT_NE(again, nullptr);
    ASSERT_NE(again, joined[c.rejoining]);
    EXPECT_EQ(again->playerName, name);
    joined[c.rejoining] = again;
    // The list keeps its length: the entry the new player first took is empty again.
    std::vector<Sentient*> expected(joined.begin(), joined.end());
    expected.push_back(nullptr);
    EXPECT_EQ(game->GetPlayers(), expected);
    EXPECT_EQ(game->GetQuests().GetFirstPlayer(), joined[0]);
    EXPECT_EQ(host->GetFirstPlayerNumber(), joined[0]->entityNumber);
    EXPECT_EQ(CountLinesHolding(debug, name + " left the world"), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, WorldHostRejoin,
                         ::testing::Values(WorldHostRejoinCase{"TheOnlyClient", 1, 0},
                                           WorldHostRejoinCase{"TheFirstOfTwo", 2, 0},
                                           WorldHostRejoinCase{"TheSecondOfTwo", 2, 1},
                                           WorldHostRejoinCase{"TheFirstOfThree", 3, 0}),
                         [](const ::testing::TestParamInfo<WorldHostRejoinCase>& info) { return info.param.name; });

TEST_F(WorldHostPlay, AJoiningPlayerStandsAtTheWorldDefinitionsStartTheGameDataHolds)
{
    ASSERT_EQ(game->GetCurrentLevel(), 0);
    GameData::StartPosition kept;
    gGameData->GetStartPosition(kept);
    gGameData->SetStartPosition({0, 321.0f, 123.0f, true});
    TestClient client(6207);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->position.level, 0);
    EXPECT_TRUE(player->position.IsWithinRange(At(321.0f, 123.0f, 0), 0.5f));
    // Another level keeps its area's own start.
    gGameData->SetStartPosition({0, 321.0f, 123.0f, true});
    WorldPos other = game->GetStartPosition(1);
    EXPECT_EQ(other.level, 1);
    EXPECT_FALSE(other.x == 321.0f && other.y == 123.0f);
    gGameData->SetStartPosition(kept);
}
