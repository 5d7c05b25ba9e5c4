// WorldHostScriptedClientTest -- a client scripted over the in-process queue: the join, frames of updates both ways, the lines' order, "newWorld", what reaches each client and which commands a client may run.
#include "server/WorldHostWorld.h"

#include "server/SpyCovenant.h"
#include "support/LogLines.h"

#include <algorithm>

namespace {

// Queues a line for the clients in every step it runs.
class SteppingEntity : public Entity {
public:
    void Update(float seconds) override
    {
        Entity::Update(seconds);
        gGame->QueueClientCommand("stepped");
    }
};

// A game update as the test client reads it; whole is false when it did not read to the end.
struct ReadGameUpdate {
    NetGameUpdateHead head;
    std::vector<int32_t> entities;
    int32_t playerNumber = -1;
    std::vector<NetSoundRecord> sounds;
    bool whole = false;
};

class WorldHostScriptedClient : public WorldHostWorld {
protected:
    WorldHostScriptedClient()
    {
        StartWorld();
        host->GetClientCommands().RegisterContextCommand(
            "probe",
            [this](const std::vector<std::string>& args, BaseClass* context) {
                probedAtStep = static_cast<int32_t>(host->GetStepCount());
                probeContext = context;
                probeArgs = args;
                gGame->QueueClientCommand("probed");
            },
            "", "argument", "S");
    }

    // The player's own entity state and player part are the player's business: the reader
    // steps over as many bytes as the player writes.
    ReadGameUpdate Parse(MessageBuffer& buffer, Player& player)
    {
        MessageBuffer part;
        player.WritePlayerPart(part);
        std::vector<uint8_t> skipped(part.Size());
        ReadGameUpdate read;
        buffer.SetReadPos(0);
        EXPECT_EQ(buffer.ReadInt(), NetMessageType::kGameUpdate);
        if (!NetMessages::ReadGameUpdateHead(buffer, read.head))
            return read;
        while (!buffer.Overrun()) {
            size_t at = buffer.GetReadPos();
            if (buffer.ReadInt() == NetMessages::kListEnd)
                break;
            buffer.SetReadPos(at);
            NetEntityHeader header;
            if (!NetMessages::ReadEntityHeader(buffer, header))
                return read;
            read.entities.push_back(header.number);
            // Each class's state after its header, as long as the entity writes it.
            MessageBuffer entityState;
            if (const Entity* entity = game->GetEntity(header.number))
                entity->WriteNetState(entityState);
            std::vector<uint8_t> stateBytes(entityState.Size());
            buffer.ReadBytes(stateBytes.data(), stateBytes.size());
        }
        // The game's part: clock, difficulty, no covenants, time of day, no named actors, no
        // quests, two factors, the weather and the two end flags.
        for (int i = 0; i < 3; ++i)
            buffer.ReadInt();
        buffer.ReadFloat();
        buffer.ReadInt();
        EXPECT_EQ(buffer.ReadInt(), 0);
        buffer.ReadFloat();
        EXPECT_EQ(buffer.ReadUInt(), 0u);
        EXPECT_EQ(buffer.ReadUInt(), 0u);
        for (int i = 0; i < 5; ++i)
            buffer.ReadFloat();
        buffer.ReadBool();
        buffer.ReadBool();
        read.playerNumber = buffer.ReadInt();
        buffer.ReadBytes(skipped.data(), part.Size() - 4);
        read.whole = NetMessages::ReadSounds(buffer, read.sounds) && !buffer.Overrun() && buffer.BytesLeft() == 0;
        return read;
    }

    // The one game update the client was sent this frame.
    ReadGameUpdate NextUpdate(TestClient& client, Player& player)
    {
        std::vector<MessageBuffer> received = client.ReceiveAll();
        EXPECT_EQ(received.size(), 1u);
        if (received.empty())
            return {};
        return Parse(received.back(), player);
    }

    int32_t probedAtStep = -1;
    BaseClass* probeContext = nullptr;
    std::vector<std::string> probeArgs;
};

TEST_F(WorldHostScriptedClient, JoinsThroughHelloSettingsAndWelcome)
{
    TestClient client(6101);
    SendRequest(client);
    Frame(0);
    std::vector<MessageBuffer> hello = client.ReceiveAll();
    ASSERT_EQ(hello.size(), 1u);
    EXPECT_EQ(hello[0].ReadInt(), NetMessageType::kHello);
    NetHello readHello;
    ASSERT_TRUE(NetMessages::ReadHello(hello[0], readHello));
    EXPECT_EQ(readHello.difficulty, game->GetCurrentDifficultyValue());
    EXPECT_EQ(readHello.worldSeed, gWorld->GetLayoutSeed());
    EXPECT_TRUE(host->GetClients().empty()) << "a join request makes no client";

    SendSettings(client, "Ada");
    Frame(0);
    std::vector<MessageBuffer> answers = client.ReceiveAll();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].ReadInt(), NetMessageType::kWelcome);
    NetWelcome welcome;
    ASSERT_TRUE(NetMessages::ReadWelcome(answers[0], welcome));
    EXPECT_EQ(welcome.level, 0);
    EXPECT_EQ(welcome.difficulty, game->GetCurrentDifficultyValue());
    EXPECT_EQ(welcome.worldSeed, gWorld->GetLayoutSeed());
    EXPECT_EQ(welcome.worldName, "World");
    EXPECT_EQ(welcome.subSeed, gWorld->GetSecretSeed());
    ASSERT_EQ(host->GetClients().size(), 1u);
    Player* player = WorldHost::GetRecordPlayer(*host->GetClients()[0]);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->playerName, "Ada");
    EXPECT_EQ(player->position.level, 0);
    EXPECT_EQ(host->GetFirstPlayerNumber(), player->entityNumber);
    ReadGameUpdate update = Parse(answers[1], *player);
    EXPECT_TRUE(update.whole);
    EXPECT_EQ(update.playerNumber, player->entityNumber);
}

TEST_F(WorldHostScriptedClient, NamesGoInTheWelcomeOnceEachAndInUpdatesAsTheyChange)
{
    game->RegisterResourceName(3, "Models/a.mdl");
    game->RegisterResourceName(1, "Sounds/b.wav");
    game->RegisterResourceName(3, "Models/a.mdl");
    TestClient client(6119);
    SendRequest(client);
    SendSettings(client, "Ada");
    Frame(0);
    std::vector<MessageBuffer> received = client.ReceiveAll();
    ASSERT_EQ(received.size(), 3u);
    received[1].ReadInt();
    NetWelcome welcome;
    ASSERT_TRUE(NetMessages::ReadWelcome(received[1], welcome));
    ASSERT_EQ(welcome.resources.size(), 2u);
    EXPECT_EQ(welcome.resources[0].index, 1);
    EXPECT_EQ(welcome.resources[1].name, "Models/a.mdl");
    Player* player = WorldHost::GetRecordPlayer(*host->GetClients()[0]);
    ASSERT_NE(player, nullptr);
    ReadGameUpdate first = Parse(received[2], *player);
    EXPECT_EQ(first.head.resources.size(), 2u) << "the changes before the frame go in its update";

    game->RegisterResourceName(3, "Models/c.mdl");
    game->RegisterResourceName(3, "Models/a.mdl");
    game->RegisterResourceName(1, "Sounds/b.wav");
    Frame(0);
    ReadGameUpdate update = NextUpdate(client, *player);
    ASSERT_EQ(update.head.resources.size(), 2u) << "a name changed twice is sent twice; an unchanged one not";
    // The table holds a handle's latest name: both entries carry it.
    EXPECT_EQ(update.head.resources[0].index, 3);
    EXPECT_EQ(update.head.resources[0].name, "Models/a.mdl");
    EXPECT_EQ(update.head.resources[1].name, "Models/a.mdl");
    Frame(0);
    EXPECT_TRUE(NextUpdate(client, *player).head.resources.empty());
}

TEST_F(WorldHostScriptedClient, LinesRunBeforeTheStepsAndTheStepsLinesArriveTheSameFrame)
{
    TestClient client(6102);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    Spawn<SteppingEntity>(3000.0f, 3000.0f);
    WorldPos where = At(900.0f, 700.0f);
    SendUpdate(client, UpdateAt(where, {"probe", "probe \"two words\""}));
    Frame(120);
    EXPECT_EQ(probedAtStep, 0) << "before the frame's first step";
    EXPECT_EQ(probeContext, player);
    EXPECT_EQ(probeArgs, std::vector<std::string>{"two words"});
    ReadGameUpdate update = NextUpdate(client, *player);
    EXPECT_TRUE(update.whole);
    EXPECT_EQ(update.head.lines, (std::vector<std::string>{"probed", "probed", "stepped", "stepped"}));
    EXPECT_FLOAT_EQ(player->position.x, 900.0f);
    EXPECT_FLOAT_EQ(player->moveTarget.y, 700.0f);

    Frame(0);
    update = NextUpdate(client, *player);
    EXPECT_TRUE(update.head.lines.empty()) << "a frame's lines go once";
    EXPECT_TRUE(update.whole) << "a frame without steps still sends its update";
}

TEST_F(WorldHostScriptedClient, NewWorldIsAnnouncedAndKeepsThePlayer)
{
    TestClient client(6103);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    Entity* bystander = Spawn(1000.0f, 1000.0f);
    SafePointer watch(bystander);
    SendUpdate(client, UpdateAt(player->position, {"newWorld 0 Hard Normal 0"}));
    Frame(0);
    std::vector<MessageBuffer> received = client.ReceiveAll();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].ReadInt(), NetMessageType::kNewWorld);
    NetNewWorld announced;
    ASSERT_TRUE(NetMessages::ReadNewWorld(received[0], announced));
    EXPECT_EQ(announced.difficulty, game->GetCurrentDifficultyValue());
    EXPECT_EQ(announced.worldSeed, gWorld->GetLayoutSeed());
    EXPECT_EQ(announced.subSeed, gWorld->GetSecretSeed());
    EXPECT_EQ(received[1].ReadInt(), NetMessageType::kGameUpdate);
    EXPECT_EQ(WorldHost::GetRecordPlayer(*host->GetClients()[0]), player) << "the same player crosses over";
    EXPECT_EQ(game->GetEntity(player->entityNumber), player);
    EXPECT_FALSE(watch) << "everything else went with the old world";
    EXPECT_EQ(game->GetDifficulty(), DifficultyLevel::Hard);
    EXPECT_TRUE(game->IsWorldRunning());
    ASSERT_NE(gWorld->FindAnchor(player->entityNumber), nullptr) << "the world keeps the player's levels again";
    EXPECT_EQ(gWorld->FindAnchor(player->entityNumber)->anchoredLevel, 0);
}

TEST_F(WorldHostScriptedClient, TheUpdateCarriesWhatThePlayerSeesOnceEachInSlotOrder)
{
    TestClient client(6104);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    WorldPos where = At(1000.0f, 1000.0f);
    SendUpdate(client, UpdateAt(where));
    Entity* inside = Spawn(1599.9f, 1000.0f);
    Spawn(1600.0f, 1000.0f);
    Entity* below = Spawn(1000.0f, 400.1f);
    Frame(0);
    ReadGameUpdate update = NextUpdate(client, *player);
    ASSERT_TRUE(update.whole);
    std::vector<int32_t> expected{player->entityNumber, inside->entityNumber, below->entityNumber};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(update.entities, expected);
}

TEST_F(WorldHostScriptedClient, EveryClientOfTheFrameHearsItsSoundsAndTheListGoesAfterTheLast)
{
    TestClient first(6105);
    TestClient second(6106);
    Player* one = Join(first, "One");
    Player* two = Join(second, "Two");
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    SendUpdate(first, UpdateAt(At(1000.0f, 1000.0f)));
    SendUpdate(second, UpdateAt(At(1010.0f, 1000.0f)));
    Frame(0);
    first.ReceiveAll();
    second.ReceiveAll();
    GameSoundRecord near;
    near.sound = 5;
    near.position = At(1005.0f, 1000.0f);
    near.radius = 50.0f;
    game->QueueSound(near);
    Frame(0);
    EXPECT_EQ(NextUpdate(first, *one).sounds.size(), 1u);
    EXPECT_EQ(NextUpdate(second, *two).sounds.size(), 1u);
    EXPECT_TRUE(game->GetSounds().empty());
}

TEST_F(WorldHostScriptedClient, AClientWhosePlayerIsGoneGetsNoUpdate)
{
    TestClient first(6107);
    TestClient second(6108);
    ASSERT_NE(Join(first, "One"), nullptr);
    Player* two = Join(second, "Two");
    ASSERT_NE(two, nullptr);
    game->RemoveEntity(two);
    delete two;
    first.ReceiveAll();
    second.ReceiveAll();
    SendUpdate(second, UpdateAt(At(1000.0f, 1000.0f), {"probe"}));
    Frame(0);
    EXPECT_EQ(first.ReceiveTypes(), std::vector<int32_t>{NetMessageType::kGameUpdate});
    EXPECT_TRUE(second.ReceiveTypes().empty());
    EXPECT_EQ(probedAtStep, -1) << "its lines have no player to run for";
    EXPECT_EQ(host->GetClients().size(), 1u) << "the record of a gone player is let go";
}

TEST_F(WorldHostScriptedClient, OnlyTheClientCommandsRunAndUserVarsAreNotSubstituted)
{
    bool quitRan = false;
    commands.RegisterCommand("quit", [&quitRan](const std::vector<std::string>&) { quitRan = true; }, "", "", "");
    vars.RegisterVar("secret", "hidden");
    TestClient client(6109);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    SendUpdate(client, UpdateAt(player->position, {"quit", "probe ##secret##", "setUserVar paused 1"}));
    Frame(0);
    EXPECT_FALSE(quitRan);
    EXPECT_EQ(probeArgs, std::vector<std::string>{"##secret##"});
    EXPECT_EQ(CountLinesHolding(debug, "Unknown server command - quit"), 1);
    EXPECT_EQ(CountLinesHolding(debug, "Unknown server command - setUserVar paused 1"), 1);
    EXPECT_FALSE(host->IsPaused());
}

TEST_F(WorldHostScriptedClient, ARepeatedJoinIsWelcomedAgainAndANinthClientIsRefused)
{
    TestClient client(6110);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    SendSettings(client, "Again");
    Frame(0);
    EXPECT_EQ(client.ReceiveTypes(), (std::vector<int32_t>{NetMessageType::kWelcome, NetMessageType::kGameUpdate}));
    EXPECT_EQ(host->GetClients().size(), 1u);
    EXPECT_EQ(player->playerName, "Ada");
    for (uint16_t port = 6111; port < 6118; ++port) {
        TestClient other(port);
        EXPECT_NE(Join(other, "Other"), nullptr) << port;
    }
    EXPECT_EQ(host->GetClients().size(), WorldHost::kMaxClients);
    int32_t entities = game->CountEntities();
    TestClient ninth(6118);
    EXPECT_EQ(Join(ninth, "Ninth"), nullptr);
    EXPECT_EQ(host->GetClients().size(), WorldHost::kMaxClients);
    EXPECT_EQ(game->CountEntities(), entities);
    EXPECT_EQ(CountLinesHolding(debug, "the world takes at most 8"), 1);
}

} // namespace

namespace {

class WorldHostCovenantClient : public WorldHostScriptedClient {
protected:
    // The first player's covenant, as the player's covenant will be once it exists.
    SpyCovenant* GiveCovenant(Player& player)
    {
        auto covenant = std::make_unique<SpyCovenant>();
        SpyCovenant* raw = covenant.get();
        game->AddCovenant(std::move(covenant));
        player.covenantIndex = raw->index;
        return raw;
    }
};

TEST_F(WorldHostCovenantClient, ALostGameOfADefeatedFirstCovenantPausesTheHost)
{
    TestClient client(6120);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    SpyCovenant* covenant = GiveCovenant(*player);
    Frame(60);
    EXPECT_FALSE(host->IsPaused());
    covenant->eliminated = true;
    Frame(60);
    EXPECT_TRUE(game->IsGameOver());
    EXPECT_TRUE(host->IsPaused());
    uint32_t steps = host->GetStepCount();
    Frame(400);
    EXPECT_EQ(host->GetStepCount(), steps);
    EXPECT_EQ(client.ReceiveTypes().back(), NetMessageType::kGameUpdate) << "updates still go out";
}

TEST_F(WorldHostCovenantClient, NewWorldKeepsTheFirstPlayersCovenantAndLinksItAgain)
{
    TestClient client(6121);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    GiveCovenant(*player);
    SpyCovenant* kept = GiveCovenant(*player);
    host->NewWorld(0, DifficultyLevel::Average, WorldDifficultyLevel::Normal, 0);
    ASSERT_EQ(game->GetCovenantCount(), 1) << "only the player's covenant crosses over";
    EXPECT_EQ(game->GetCovenant(0), kept);
    EXPECT_EQ(player->covenantIndex, 0);
    EXPECT_EQ(player->GetCovenant(), kept);
}

TEST_F(WorldHostCovenantClient, ResumingWithoutASavedWorldStillSetsTheHostUpAndSaysSo)
{
    WorldHost fresh;
    gWorldHost = &fresh;
    fresh.SetUpServer(true, 0, 1, 1, 0, "Nobody");
    EXPECT_TRUE(fresh.IsActive());
    EXPECT_TRUE(game->IsWorldRunning());
    EXPECT_EQ(fresh.GetFirstPlayerNumber(), -1);
    EXPECT_EQ(CountLinesHolding(debug, "No saved world of Nobody can be loaded"), 1);
    gWorldHost = host.get();
}

} // namespace
