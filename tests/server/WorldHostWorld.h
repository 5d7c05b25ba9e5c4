// WorldHostWorld -- a world host over the real game and the in-process datagram queue, a small adventure to make worlds from, and test clients that talk to it through the queue.
#pragma once

#include "core/CommandSystem.h"
#include "core/MessageBuffer.h"
#include "core/UserVarSystem.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Player.h"
#include "platform/PosixNetworkSystem.h"
#include "server/GameWorld.h"
#include "server/WorldHost.h"
#include "world/NetMessages.h"

#include <arpa/inet.h>
#include <memory>
#include <string>
#include <vector>

// A client of its own port on the loopback address: what it sends, the host sees from there.
class TestClient {
public:
    explicit TestClient(uint16_t port)
    {
        endpoint.address.sin_family = AF_INET;
        endpoint.address.sin_port = htons(port);
        endpoint.address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        host.sin_family = AF_INET;
        host.sin_port = htons(kWorldHostPort);
        host.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }

    void Send(MessageBuffer& buffer) { ASSERT_TRUE(gNetworkSystem->SendTo(buffer, endpoint, host)); }
    void SendBytes(const std::vector<uint8_t>& bytes)
    {
        MessageBuffer buffer;
        buffer.WriteBytes(bytes.data(), bytes.size());
        Send(buffer);
    }

    // Every datagram waiting for this client, oldest first.
    std::vector<MessageBuffer> ReceiveAll()
    {
        std::vector<MessageBuffer> received;
        while (gNetworkSystem->Poll(endpoint)) {
            MessageBuffer buffer;
            sockaddr_in sender{};
            gNetworkSystem->Receive(buffer, endpoint, sender);
            buffer.SetReadPos(0);
            received.push_back(std::move(buffer));
        }
        return received;
    }

    // The types of what waits, in order; the datagrams are consumed.
    std::vector<int32_t> ReceiveTypes()
    {
        std::vector<int32_t> types;
        for (MessageBuffer& buffer : ReceiveAll())
            types.push_back(buffer.ReadInt());
        return types;
    }

    NetworkEndpoint endpoint;
    sockaddr_in host{};
};

class WorldHostWorld : public GameWorld {
protected:
    // One section of three meadows one below the other (start, path, end): a world of three
    // levels, laid out from the seeds.
    static constexpr const char* kAdventure = R"(
SizeStandard
{
    Name Standard
    Width 1
    Height 3
    SectionLevelDepth 3
}
AreaMeadow
{
    Type Area
    Name Meadow
    MinWidth 1
    MaxWidth 1
}
SectionOne
{
    StartArea AreaMeadow
    Area AreaMeadow
    EndArea AreaMeadow
}
World
{
    Type Adventure
    WorldSize SizeStandard
    Section SectionOne
}
ClassWanderer
{
    Type Class
    BaseSpeed 150
    HealthPerVit 5
    StartVitality 10
}
StatusEffectBasicRegen
{
    Type StatusEffect
    BasicRegen 1
    Forever 1
    TickTime 1
    EffectType OnlyOne
    GroupName "BasicRegen"
}
)";

    WorldHostWorld()
    {
        gUserVarSystem = &vars;
        gCommandSystem = &commands;
        gNetworkSystem = &network;
        host = std::make_unique<WorldHost>();
        gWorldHost = host.get();
        host->RegisterCommands();
    }

    ~WorldHostWorld() override
    {
        gWorldHost = nullptr;
        host.reset();
        gNetworkSystem = nullptr;
        gCommandSystem = nullptr;
        gUserVarSystem = nullptr;
    }

    // The game's tuning lines, the adventure and any further records, then a new world set up
    // with the host active.
    void StartWorld(const std::string& gameSystemLines = "", const std::string& moreRecords = "")
    {
        LoadRecords("GameSystem\n{\n" + gameSystemLines + "\n}\n" + kAdventure + moreRecords);
        host->SetUpServer(false, 0, 1, 1, 0, "Tester");
    }

    // One frame of the main loop's three calls.
    void Frame(uint32_t elapsedMs, bool hold = false)
    {
        host->Tick(elapsedMs, hold);
        host->ServerFrame();
        host->ServerFrameEnd();
    }

    // A new character's record as a client writes it after the hello.
    static void WriteNewCharacter(MessageBuffer& buffer, const std::string& name, int32_t classIndex = 0)
    {
        NetMessages::WriteClientSettingsType(buffer);
        buffer.WriteInt(0);
        buffer.WriteString(name);
        buffer.WriteInt(classIndex);
        buffer.WriteInt(0);
        buffer.WriteInt(0);
    }

    static void SendRequest(TestClient& client)
    {
        MessageBuffer buffer;
        NetMessages::WriteJoinRequest(buffer);
        client.Send(buffer);
    }

    static void SendSettings(TestClient& client, const std::string& name)
    {
        MessageBuffer buffer;
        WriteNewCharacter(buffer, name);
        client.Send(buffer);
    }

    static void SendUpdate(TestClient& client, const NetClientUpdate& update)
    {
        MessageBuffer buffer;
        NetMessages::WriteClientUpdate(buffer, update);
        client.Send(buffer);
    }

    // The whole conversation up to the welcome; the player the host made for the client.
    Player* Join(TestClient& client, const std::string& name = "Ada")
    {
        SendRequest(client);
        Frame(0);
        SendSettings(client, name);
        Frame(0);
        client.ReceiveAll();
        const ClientRecord* record = FindRecord(client);
        return record ? WorldHost::GetRecordPlayer(*record) : nullptr;
    }

    const ClientRecord* FindRecord(const TestClient& client) const
    {
        for (const auto& record : host->GetClients())
            if (record->address.sin_port == client.endpoint.address.sin_port)
                return record.get();
        return nullptr;
    }

    // A new covenant's block: its name, no inventory, not loaded.
    static void WriteNewCovenant(MessageBuffer& buffer, const std::string& covenantName)
    {
        buffer.WriteString(covenantName);
        buffer.WriteBool(false);
        buffer.WriteBool(false);
    }

    // The settings datagram: the type, the covenant block, a new character of class 0 (with no
    // skill bonuses when the game gives new characters some).
    MessageBuffer CovenantSettings(const std::string& covenantName, const std::string& character) const
    {
        MessageBuffer buffer;
        NetMessages::WriteClientSettingsType(buffer);
        WriteNewCovenant(buffer, covenantName);
        buffer.WriteInt(0);
        buffer.WriteString(character);
        buffer.WriteInt(0);
        if (gameData.GetTuning().useNewCharSkillBonuses)
            buffer.WriteInt(0);
        buffer.WriteInt(0);
        buffer.WriteInt(0);
        return buffer;
    }

    // The conversation up to the welcome for a character leading a new covenant of the name.
    Player* JoinWithCovenant(TestClient& client, const std::string& covenantName, const std::string& character)
    {
        SendRequest(client);
        Frame(0);
        MessageBuffer settings = CovenantSettings(covenantName, character);
        client.Send(settings);
        Frame(0);
        const ClientRecord* record = FindRecord(client);
        return record ? WorldHost::GetRecordPlayer(*record) : nullptr;
    }

    PlayerCovenant* CovenantOf(const Player* player) const
    {
        return player ? dynamic_cast<PlayerCovenant*>(game->GetCovenant(player->covenantIndex)) : nullptr;
    }

    // The lines of the client's one game update of the frame; {"unreadable"} for anything else.
    static std::vector<std::string> UpdateLines(TestClient& client)
    {
        std::vector<MessageBuffer> received = client.ReceiveAll();
        NetGameUpdateHead head;
        if (received.size() != 1 || received[0].ReadInt() != NetMessageType::kGameUpdate ||
            !NetMessages::ReadGameUpdateHead(received[0], head))
            return {"unreadable"};
        return head.lines;
    }

    // An update that stands the player where it is and runs the lines.
    static NetClientUpdate UpdateAt(const WorldPos& where, std::vector<std::string> lines = {})
    {
        NetClientUpdate update;
        update.position = where;
        update.moveTarget = where;
        update.target = -1;
        update.lines = std::move(lines);
        return update;
    }

    UserVarSystem vars;
    CommandSystem commands;
    PosixNetworkSystem network;
    std::unique_ptr<WorldHost> host;
};
