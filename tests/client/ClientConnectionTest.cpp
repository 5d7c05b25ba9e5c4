// ClientConnectionTest -- the client's connection over the in-process queue with the real world host: the join (asked for again while a lost datagram keeps it unwelcomed), welcomes, new worlds, the resource table, the update it sends and the lines it runs.
#include "client/ClientWorld.h"

#include "client/ClientCommandTable.h"
#include "platform/PosixNetworkSystem.h"
#include "render/TextEvents.h"
#include "support/LogLines.h"
#include "world/Level.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <filesystem>
#include <list>

namespace {

class ClientConnection : public ClientWorld {
protected:
    // Datagrams from somewhere else on the loopback address, straight to the client's port.
    void SendToClient(MessageBuffer& buffer)
    {
        sockaddr_in to = other.endpoint.address;
        to.sin_port = htons(kClientPort);
        ASSERT_TRUE(gNetworkSystem->SendTo(buffer, other.endpoint, to));
    }

    NetWelcome WelcomeLikeTheHosts() const
    {
        NetWelcome welcome;
        welcome.level = 0;
        welcome.difficulty = gWorld->GetDifficulty();
        welcome.worldSeed = gWorld->GetLayoutSeed();
        welcome.worldName = gWorld->GetAdventureName();
        welcome.subSeed = gWorld->GetSecretSeed();
        return welcome;
    }

    int32_t CountEntities() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameClient::kMaxEntities; ++i)
            count += gameClient->GetEntity(i) != nullptr;
        return count;
    }

    // One frame of a client still joining: the host's tick and frame around the client's
    // receive, then the client's update, which asks again for a join not yet welcomed.
    void JoiningFrame(float seconds)
    {
        host->Tick(static_cast<uint32_t>(seconds * 1000.0f), false);
        Client::Receive();
        host->ServerFrame();
        host->ServerFrameEnd();
        Client::Update(seconds);
    }

    int32_t CountPlayers() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            count += dynamic_cast<Player*>(game->GetEntity(i)) != nullptr;
        return count;
    }

    TestClient other{5100};
    // Takes what waits for the world host off the queue, as a network that loses it would.
    TestClient toHost{kWorldHostPort};
    TestClient toClient{kClientPort};
};

TEST_F(ClientConnection, JoinsThroughHelloAndWelcomeThenMirrorsItsPlayer)
{
    StartAndJoin();
    ASSERT_EQ(link->settingsFor.size(), 1u);
    EXPECT_EQ(link->settingsFor[0].second, gWorld->GetLayoutSeed());
    EXPECT_EQ(link->welcomes, std::vector<int32_t>{game->GetCurrentLevel()});
    EXPECT_EQ(ntohs(app->GetServerAddress().sin_port), kWorldHostPort);
    EXPECT_FALSE(gameClient->IsStarted());

    ClientFrame(0);
    EXPECT_TRUE(gameClient->IsStarted());
    EntityClient* mirror = gameClient->GetEntity(link->player->entityNumber);
    ASSERT_NE(mirror, nullptr);
    EXPECT_EQ(mirror->position.x, link->player->position.x);
    EXPECT_EQ(mirror->GetRecord(), link->player->GetEntry());
    EXPECT_EQ(link->tails, 1);
    // The first update's start steps ran once: the start topic and the start lines.
    EXPECT_EQ(link->hints, std::vector<std::string>{"Welcome"});
    EXPECT_EQ(ui.lines, std::vector<std::string>{"showMenu Hud"});
    ClientFrame(50);
    EXPECT_EQ(link->hints.size(), 1u);
    EXPECT_EQ(ui.lines.size(), 1u);
}

TEST_F(ClientConnection, AnEqualWelcomeReloadsNothingAndADifferentOneRebuildsTheWorld)
{
    StartAndJoin();
    ClientFrame(0);
    const Level* before = gWorld->GetLevel(0);
    MessageBuffer buffer;
    NetMessages::WriteWelcome(buffer, WelcomeLikeTheHosts());
    SendToClient(buffer);
    Deliver();
    EXPECT_EQ(gWorld->GetLevel(0), before);
    EXPECT_EQ(link->welcomes.size(), 2u);

    NetWelcome other = WelcomeLikeTheHosts();
    other.worldSeed += 1;
    buffer.Clear();
    NetMessages::WriteWelcome(buffer, other);
    SendToClient(buffer);
    Deliver();
    EXPECT_EQ(gWorld->GetLayoutSeed(), other.worldSeed);
    EXPECT_GT(gWorld->GetLevelCount(), 0);
}

TEST_F(ClientConnection, AResourceSlotGrowsTheTableAndABadSlotDropsTheWelcome)
{
    StartWorld("UsingCovenants 0\n");
    ASSERT_TRUE(Client::Connect());
    NetWelcome welcome = WelcomeLikeTheHosts();
    welcome.resources = {{7, "Sounds/chime.wav"}};
    MessageBuffer buffer;
    NetMessages::WriteWelcome(buffer, welcome);
    SendToClient(buffer);
    Deliver();
    ASSERT_TRUE(app->IsActive());
    EXPECT_EQ(app->GetResources().GetSize(), 8u);
    EXPECT_EQ(app->GetResources().GetName(7), "Sounds/chime.wav");
    EXPECT_EQ(app->GetResources().GetName(6), "");
    // The name a slot holds, as the client answers it; the empty name for -1 and past the table.
    for (auto [slot, name] : {std::pair{7, "Sounds/chime.wav"}, {6, ""}, {-1, ""}, {8, ""}})
        EXPECT_EQ(Client::GetSoundName(slot), name) << slot;

    // A slot the host can never name: the whole welcome is refused, the table kept.
    for (int32_t bad : {NetMessages::kMaxResourceNames, -2}) {
        welcome.resources = {{3, "Sounds/other.wav"}, {bad, "x"}};
        buffer.Clear();
        NetMessages::WriteWelcome(buffer, welcome);
        SendToClient(buffer);
        Deliver();
        EXPECT_EQ(app->GetResources().GetName(3), "") << bad;
        EXPECT_EQ(app->GetResources().GetSize(), 8u) << bad;
    }
}

TEST_F(ClientConnection, ItsOwnKindsAndUpdatesBeforeTheWelcomeAreIgnored)
{
    StartWorld("UsingCovenants 0\n");
    ASSERT_TRUE(Client::Connect());
    for (int32_t type : {NetMessageType::kJoinRequest, NetMessageType::kClientUpdate,
                         NetMessageType::kClientSettings, NetMessageType::kGameUpdate, 99}) {
        MessageBuffer buffer;
        buffer.WriteInt(type);
        buffer.WriteInt(0);
        buffer.WriteInt(NetMessages::kListEnd);
        SendToClient(buffer);
    }
    Deliver();
    EXPECT_FALSE(app->IsActive());
    EXPECT_EQ(gameClient->GetUpdateStamp(), 0);
    // Nothing answered any of them.
    EXPECT_TRUE(other.ReceiveAll().empty());
}

TEST_F(ClientConnection, ANewWorldClearsTheMirrorAndTheNextUpdateFillsItAgain)
{
    StartAndJoin();
    ClientFrame(0);
    ASSERT_GT(CountEntities(), 0);
    ASSERT_TRUE(gCommandSystem->Execute("newWorld 0 1 1 0"));
    Deliver();
    EXPECT_EQ(CountEntities(), 0);
    EXPECT_EQ(link->newWorlds, 1);
    EXPECT_EQ(ui.newWorlds, 1);
    EXPECT_EQ(app->GetCurrentLevel(), 0);
    host->ServerFrame();
    Deliver();
    EXPECT_NE(gameClient->GetEntity(link->player->entityNumber), nullptr);
}

// The messages of the world that ended are not the new world's: its log and notices start empty.
TEST_F(ClientConnection, ANewWorldTakesTheLastWorldsMessagesAway)
{
    TextEvents events;
    gTextEvents = &events;
    StartAndJoin();
    events.AddTextEvent("the old world's news", 0.0f, 380.0f, 30.0f, TextEvents::kLogKind, false, true);
    events.AddTextEvent("an old notice", 320.0f, 190.0f, 1.0f, 7, true, false);
    EXPECT_TRUE(gCommandSystem->Execute("newWorld 0 1 1 0"));
    Deliver();
    EXPECT_TRUE(events.GetRecords().empty());
    EXPECT_EQ(events.GetLogTotal(), 0);
    EXPECT_EQ(events.GetLogActive(), 0);
    gTextEvents = nullptr;
}

TEST_F(ClientConnection, QueuedLinesGoInTheNextUpdateOnceEach)
{
    StartAndJoin();
    std::vector<std::vector<std::string>> heard;
    host->GetClientCommands().RegisterContextCommand(
        "probe", [&](const std::vector<std::string>& args, BaseClass*) { heard.push_back(args); }, "", "a", "S");
    Client::QueueServerCommand("probe one");
    Client::QueueServerCommand("probe \"two words\"");
    ClientFrame(0);
    EXPECT_TRUE(app->GetQueuedLines().empty());
    ClientFrame(0);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[1].back(), "two words");
    ClientFrame(0);
    EXPECT_EQ(heard.size(), 2u);
}

TEST_F(ClientConnection, HostLinesRunOnlyTheClientsOwnCommandsWithoutVarSubstitution)
{
    StartAndJoin();
    vars.RegisterVar("secret", "hidden");
    game->QueueClientCommand("npcChat ##secret##");
    game->QueueClientCommand("quit");
    ClientFrame(0);
    ClientFrame(0);
    EXPECT_EQ(gameClient->npcChatText, "##secret##");
    EXPECT_EQ(CountLinesHolding(debug, "Unknown command - quit"), 1);
    // The same command is the console's too.
    EXPECT_TRUE(gCommandSystem->IsCommand("npcChat"));
}

TEST_F(ClientConnection, ALostJoinRequestAndLostSettingsAreAskedForAgainUntilTheWelcome)
{
    StartWorld("UsingCovenants 0\n");
    ASSERT_TRUE(Client::Connect());
    EXPECT_EQ(toHost.ReceiveTypes(), std::vector<int32_t>{NetMessageType::kJoinRequest});
    JoiningFrame(0.9f);
    EXPECT_TRUE(toHost.ReceiveTypes().empty()) << "no second ask within the first second";
    JoiningFrame(0.2f);
    // This ask arrives: the host says hello, and the settings that answer it are lost.
    JoiningFrame(0.0f);
    EXPECT_EQ(toHost.ReceiveTypes(), std::vector<int32_t>{NetMessageType::kClientSettings});
    EXPECT_FALSE(app->IsActive());
    EXPECT_TRUE(host->GetClients().empty());

    // The next ask waits twice as long, and this time nothing is lost.
    JoiningFrame(1.9f);
    EXPECT_TRUE(toHost.ReceiveTypes().empty()) << "the wait doubles after an ask";
    JoiningFrame(0.2f);
    JoiningFrame(0.0f);
    JoiningFrame(0.0f);
    ASSERT_TRUE(app->IsActive());
    EXPECT_EQ(host->GetClients().size(), 1u);
    EXPECT_EQ(link->settingsFor.size(), 2u) << "one answer to each hello";
    // Welcomed, the client asks no more: only its updates go to the host.
    for (int i = 0; i < 40; ++i)
        JoiningFrame(1.0f);
    for (int32_t type : toHost.ReceiveTypes())
        EXPECT_EQ(type, NetMessageType::kClientUpdate);
}

TEST_F(ClientConnection, ALostWelcomeIsAskedForAgainAndTheHostKeepsTheOnePlayerItMade)
{
    StartWorld("UsingCovenants 0\n");
    ASSERT_TRUE(Client::Connect());
    JoiningFrame(0.0f);
    // The host reads the settings, makes the player and welcomes it; the welcome is lost.
    host->Tick(0, false);
    EXPECT_EQ(toClient.ReceiveTypes(), std::vector<int32_t>{NetMessageType::kWelcome});
    Client::Receive();
    Client::Update(0.5f);
    ASSERT_FALSE(app->IsActive());
    ASSERT_EQ(host->GetClients().size(), 1u);
    JoiningFrame(0.6f);
    JoiningFrame(0.0f);
    JoiningFrame(0.0f);
    ASSERT_TRUE(app->IsActive()) << "the second ask was welcomed";
    EXPECT_EQ(host->GetClients().size(), 1u);
    EXPECT_EQ(CountPlayers(), 1) << "the settings sent again made no second player";
    // The test's link reads its part of the update from the host's player, as the join's helper sets it.
    link->player = WorldHost::GetRecordPlayer(*host->GetClients().front());
    ASSERT_NE(link->player, nullptr);
    link->position = link->player->position;
    ClientFrame(0);
    EXPECT_NE(gameClient->GetEntity(link->player->entityNumber), nullptr) << "the welcomed client mirrors its player";
}

} // namespace

// A hostile host sends every command of the client's table, with arguments that fit: only its
// own notifications run; each other one is refused by name, and no profile, character or save is
// deleted, no export written and no program started (the test program fails any start).
TEST_F(ClientConnection, AHostSendingEveryClientCommandRunsOnlyItsNotifications)
{
    StartAndJoin();
    const char* kept[] = {"User/chars/ann.usr", "User/chars/ann.chr", "User/chars/ann.wld", "User/chars/ann.map",
                          "User/chars/bob.chr", "User/chars/bob.his"};
    for (const char* path : kept)
        folder.Write(path, path);
    vars.SetStringByName("UserName", "ann");
    vars.SetStringByName("PlayerName", "bob");
    vars.SetStringByName("resumeGameChar", "bob");
    int32_t refused = 0;
    int32_t queued = 0;
    for (const ClientCommandRow& row : ClientCommandTable::GetRows()) {
        std::string line = row.name;
        for (const char* type = row.argTypes; *type; ++type)
            line += *type == 's' ? " character" : *type == 'f' ? " 1.0" : " 1";
        game->QueueClientCommand(line);
        refused += ClientCommandTable::IsHostLine(row.name) ? 0 : 1;
        // A few lines a frame, so that every update stays within one datagram.
        if (++queued % 8 == 0)
            ClientFrame(0);
    }
    for (int i = 0; i < 3; ++i)
        ClientFrame(0);

    EXPECT_EQ(CountLinesHolding(debug, "Refused the world host's command "), refused);
    for (const char* name : {"deleteUser", "deleteUserSaveAdventure", "deleteCharacter", "exportHtml",
                             "exportVbulletin", "emailCharHtml", "newUser", "loadUser", "cheat_lock"})
        EXPECT_EQ(CountLinesHolding(debug, std::string("Refused the world host's command ") + name + ":"), 1) << name;
    for (const char* path : kept)
        EXPECT_EQ(folder.Read(path), path) << path;
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "User" / "Exports"));
    EXPECT_EQ(vars.GetStringByName("resumeGameChar"), "bob");
    EXPECT_EQ(gameClient->npcChatText, "character") << "the host's own lines still run";
}

// Over sockets a new world, a welcome or a game update counts only from the host that answered
// the join: the same messages from another address on the network change nothing.
TEST_F(ClientConnection, OverSocketsOnlyTheJoinedHostsMessagesAreTaken)
{
    StartAndJoin();
    NetworkSystem* inProcess = gNetworkSystem;
    PosixNetworkSystem sockets;
    ASSERT_TRUE(sockets.SetLocalMode(false));
    gNetworkSystem = &sockets;
    sockaddr_in joined = other.endpoint.address;
    joined.sin_port = htons(kWorldHostPort);
    sockaddr_in stranger = other.endpoint.address;
    for (const sockaddr_in& from : {stranger, joined}) {
        MessageBuffer newWorld;
        NetMessages::WriteNewWorld(newWorld, NetNewWorld{gWorld->GetDifficulty(), gWorld->GetLayoutSeed(), 7});
        newWorld.SetReadPos(0);
        Client::DispatchDatagram(newWorld, from);
        MessageBuffer welcome;
        NetMessages::WriteWelcome(welcome, WelcomeLikeTheHosts());
        welcome.SetReadPos(0);
        Client::DispatchDatagram(welcome, from);
    }
    gNetworkSystem = inProcess;
    EXPECT_EQ(link->newWorlds, 1) << "the stranger's new world was not taken, the host's was";
    EXPECT_EQ(ui.newWorlds, 1);
}

// ---- Over loopback sockets -----------------------------------------------------------------------------

namespace {

// Both halves over sockets, each on a loopback address of its own as two machines would be. The
// addresses follow the process, so that test runs beside each other never share a port.
class ClientOverSockets : public ClientWorld {
protected:
    static constexpr int32_t kHostMachine = 61;
    static constexpr int32_t kClientMachine = 62;
    static constexpr int32_t kStrangerMachine = 63;

    ClientOverSockets()
    {
        gNetworkSystem = &sockets;
        sockets.RegisterVars();
        sockets.SetLocalMode(false);
        vars.SetStringByName("net_joinAddress", Machine(kHostMachine));
    }

    ~ClientOverSockets() override
    {
        for (NetworkEndpoint& stranger : strangers)
            sockets.CloseSocket(stranger);
        // Both halves close their sockets while the transport that opened them still stands.
        ReleaseClient();
        gWorldHost = nullptr;
        host.reset();
        gNetworkSystem = &network;
    }

    static std::string Machine(int32_t last)
    {
        auto run = static_cast<uint32_t>(getpid());
        return "127." + std::to_string(1 + run % 254) + "." + std::to_string(run / 254 % 254) + "." +
               std::to_string(last);
    }

    static sockaddr_in At(const std::string& address, uint16_t port)
    {
        sockaddr_in out{};
        out.sin_family = AF_INET;
        out.sin_port = htons(port);
        inet_pton(AF_INET, address.c_str(), &out.sin_addr);
        return out;
    }

    // The world host on its machine, then the client on its own, joined through the sockets.
    void JoinOverSockets()
    {
        localAddress = Machine(kHostMachine);
        StartWorld("UsingCovenants 0\n");
        localAddress = Machine(kClientMachine);
        ASSERT_TRUE(Client::Connect());
        for (int i = 0; i < 10 && !app->IsActive(); ++i)
            ClientFrame(0);
        ASSERT_TRUE(app->IsActive());
        ASSERT_EQ(host->GetClients().size(), 1u);
        link->player = WorldHost::GetRecordPlayer(*host->GetClients().front());
        ASSERT_NE(link->player, nullptr);
    }

    // A socket of another machine, or of another program on the host's machine.
    NetworkEndpoint& Stranger(const std::string& address, uint16_t port)
    {
        NetworkEndpoint& stranger = strangers.emplace_back();
        stranger.address = At(address, port);
        EXPECT_TRUE(sockets.OpenSocket(stranger)) << address << ":" << port;
        return stranger;
    }

    std::string localAddress;
    PosixNetworkSystem sockets{[this](in_addr& out) { return inet_pton(AF_INET, localAddress.c_str(), &out) == 1; }};
    std::list<NetworkEndpoint> strangers;
};

} // namespace

// Mid-game, a hello, a welcome or a new world from anyone but the host that answered the join is
// passed over: the character is never sent to a stranger and the game goes on with its host.
TEST_F(ClientOverSockets, AStrangersHelloMidGameIsNotAnsweredAndTheHostKeepsTheGame)
{
    JoinOverSockets();
    const sockaddr_in joined = app->GetServerAddress();
    ASSERT_EQ(joined.sin_addr.s_addr, At(Machine(kHostMachine), kWorldHostPort).sin_addr.s_addr);
    const sockaddr_in client = At(Machine(kClientMachine), kClientPort);
    NetworkEndpoint& otherMachine = Stranger(Machine(kStrangerMachine), kWorldHostPort);
    NetworkEndpoint& otherProgram = Stranger(Machine(kHostMachine), kWorldHostPort + 97);
    struct Case {
        const char* what;
        NetworkEndpoint* from;
        int32_t kind;
    };
    const Case cases[] = {
        {"another machine's hello", &otherMachine, NetMessageType::kHello},
        {"another program's hello on the host's machine", &otherProgram, NetMessageType::kHello},
        {"another machine's welcome", &otherMachine, NetMessageType::kWelcome},
        {"another machine's new world", &otherMachine, NetMessageType::kNewWorld},
    };
    size_t settings = link->settingsFor.size();
    size_t welcomes = link->welcomes.size();
    for (const Case& c : cases) {
        MessageBuffer message;
        if (c.kind == NetMessageType::kHello)
            NetMessages::WriteHello(message, NetHello{gWorld->GetDifficulty(), gWorld->GetLayoutSeed() + 1});
        else if (c.kind == NetMessageType::kWelcome)
            NetMessages::WriteWelcome(message, NetWelcome{1, gWorld->GetDifficulty(), gWorld->GetLayoutSeed(),
                                                          gWorld->GetAdventureName(), gWorld->GetSecretSeed(), {}});
        else
            NetMessages::WriteNewWorld(message, NetNewWorld{gWorld->GetDifficulty(), gWorld->GetLayoutSeed(), 7});
        ASSERT_TRUE(sockets.SendTo(message, *c.from, client)) << c.what;
        int32_t tails = link->tails;
        ClientFrame(50);
        ClientFrame(50);
        EXPECT_FALSE(sockets.Poll(*c.from)) << c.what << ": the client answered it";
        EXPECT_EQ(app->GetServerAddress().sin_addr.s_addr, joined.sin_addr.s_addr) << c.what;
        EXPECT_EQ(app->GetServerAddress().sin_port, joined.sin_port) << c.what;
        EXPECT_EQ(link->settingsFor.size(), settings) << c.what << ": the character went out";
        EXPECT_EQ(link->welcomes.size(), welcomes) << c.what;
        EXPECT_EQ(link->newWorlds, 0) << c.what;
        EXPECT_GT(link->tails, tails) << c.what << ": the host's updates are still read";
    }
    EXPECT_EQ(host->GetClients().size(), 1u);
}
