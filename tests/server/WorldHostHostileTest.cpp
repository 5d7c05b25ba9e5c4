// WorldHostHostileTest -- datagrams cut at every offset, bit-flipped, with huge or negative counts, unended strings, impossible positions and floods: no crash, no hang, and a refused one changes nothing.
#include "server/WorldHostWorld.h"

#include <cmath>
#include <limits>

namespace {

// What a refused datagram must leave as it was.
struct HostState {
    size_t clients = 0;
    int32_t entities = 0;
    WorldPos position;
    WorldPos moveTarget;
    int32_t interactionMode = 0;
    int32_t probes = 0;
    size_t lines = 0;

    bool operator==(const HostState& other) const
    {
        return clients == other.clients && entities == other.entities && position.level == other.position.level &&
               position.x == other.position.x && position.y == other.position.y &&
               moveTarget.level == other.moveTarget.level && moveTarget.x == other.moveTarget.x &&
               moveTarget.y == other.moveTarget.y && interactionMode == other.interactionMode &&
               probes == other.probes && lines == other.lines;
    }
};

std::vector<uint8_t> BytesOf(const MessageBuffer& buffer)
{
    return std::vector<uint8_t>(buffer.Data(), buffer.Data() + buffer.Size());
}

class WorldHostHostile : public WorldHostWorld {
protected:
    WorldHostHostile()
    {
        StartWorld();
        host->GetClientCommands().RegisterContextCommand(
            "probe", [this](const std::vector<std::string>&, BaseClass*) { ++probes; }, "", "", "");
        player = Join(client);
        SendUpdate(client, UpdateAt(At(800.0f, 800.0f)));
        Frame(0);
        client.ReceiveAll();
    }

    HostState State() const
    {
        return {host->GetClients().size(), game->CountEntities(), player->position, player->moveTarget,
                player->interactionMode, probes, game->GetClientLines().size()};
    }

    // The bytes arrive from the client; the tick handles them. True when nothing changed.
    bool Unchanged(TestClient& sender, const std::vector<uint8_t>& bytes)
    {
        HostState before = State();
        if (!bytes.empty())
            sender.SendBytes(bytes);
        host->Tick(0, false);
        bool same = State() == before;
        host->ServerFrame();
        sender.ReceiveAll();
        client.ReceiveAll();
        return same;
    }

    std::vector<uint8_t> ValidUpdate() const
    {
        MessageBuffer buffer;
        NetClientUpdate update = UpdateAt(At(1200.0f, 900.0f), {"probe", "probe"});
        update.interactionMode = 3;
        NetMessages::WriteClientUpdate(buffer, update);
        return BytesOf(buffer);
    }

    std::vector<uint8_t> ValidSettings() const
    {
        MessageBuffer buffer;
        WriteNewCharacter(buffer, "Mallory");
        return BytesOf(buffer);
    }

    TestClient client{6201};
    TestClient stranger{6202};
    Player* player = nullptr;
    int32_t probes = 0;
};

TEST_F(WorldHostHostile, EveryCutOfAClientUpdateIsDroppedWhole)
{
    ASSERT_NE(player, nullptr);
    std::vector<uint8_t> bytes = ValidUpdate();
    for (size_t cut = 1; cut < bytes.size(); ++cut)
        EXPECT_TRUE(Unchanged(client, std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut))) << "cut at " << cut;
    EXPECT_FALSE(Unchanged(client, bytes)) << "the whole update is taken";
    EXPECT_EQ(probes, 2);
}

TEST_F(WorldHostHostile, EveryCutOfTheSettingsMakesNoClientAndNoPlayer)
{
    ASSERT_NE(player, nullptr);
    std::vector<uint8_t> bytes = ValidSettings();
    for (size_t cut = 1; cut < bytes.size(); ++cut)
        EXPECT_TRUE(Unchanged(stranger, std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut))) << "cut at " << cut;
    EXPECT_FALSE(Unchanged(stranger, bytes));
    EXPECT_EQ(host->GetClients().size(), 2u);
}

TEST_F(WorldHostHostile, FlippedBitsNeverCrashAndNeverLeaveAPositionOffTheWorld)
{
    ASSERT_NE(player, nullptr);
    for (const std::vector<uint8_t>& valid : {ValidUpdate(), ValidSettings()}) {
        for (size_t bit = 0; bit < valid.size() * 8; ++bit) {
            std::vector<uint8_t> flipped = valid;
            flipped[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
            Unchanged(valid == ValidUpdate() ? client : stranger, flipped);
            ASSERT_GE(player->position.level, 0);
            ASSERT_LT(player->position.level, gWorld->GetLevelCount());
            ASSERT_TRUE(std::isfinite(player->position.x) && std::isfinite(player->position.y));
        }
    }
    EXPECT_LE(host->GetClients().size(), WorldHost::kMaxClients);
}

TEST_F(WorldHostHostile, HugeAndNegativeLineCountsAreRefused)
{
    ASSERT_NE(player, nullptr);
    for (int32_t count : {std::numeric_limits<int32_t>::max(), -1, 3}) {
        MessageBuffer buffer;
        NetClientUpdate update = UpdateAt(At(1500.0f, 1500.0f));
        NetMessages::WriteClientUpdate(buffer, update);
        std::vector<uint8_t> bytes = BytesOf(buffer);
        // The count is the last word of an update without lines.
        bytes.resize(bytes.size() - 4);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(count) >> shift));
        bytes.insert(bytes.end(), {'p', 'r', 'o', 'b', 'e', 0});
        EXPECT_TRUE(Unchanged(client, bytes)) << count;
    }
}

TEST_F(WorldHostHostile, StringsWithoutTheirNulAreRefused)
{
    ASSERT_NE(player, nullptr);
    std::vector<uint8_t> update = ValidUpdate();
    update.pop_back();
    EXPECT_TRUE(Unchanged(client, update));
    MessageBuffer settings;
    NetMessages::WriteClientSettingsType(settings);
    settings.WriteInt(0);
    std::vector<uint8_t> bytes = BytesOf(settings);
    bytes.insert(bytes.end(), 100, 'M');
    EXPECT_TRUE(Unchanged(stranger, bytes));
}

TEST_F(WorldHostHostile, PositionsOffTheWorldAreDroppedTogetherWhileTheRestApplies)
{
    ASSERT_NE(player, nullptr);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float width = gWorld->GetLevelWidth();
    std::vector<WorldPos> hostile{At(10.0f, 10.0f, -1), At(10.0f, 10.0f, 1000000), At(10.0f, 10.0f, gWorld->GetLevelCount()),
                                  At(nan, 10.0f), At(10.0f, inf), At(-inf, 10.0f), At(1e30f, 10.0f),
                                  At(10.0f, -1e30f), At(2.0f * width + 1.0f, 10.0f), At(-width - 1.0f, 10.0f)};
    for (const WorldPos& bad : hostile) {
        for (int which = 0; which < 2; ++which) {
            NetClientUpdate update = UpdateAt(At(1300.0f, 1300.0f), {"probe"});
            (which == 0 ? update.position : update.moveTarget) = bad;
            MessageBuffer buffer;
            NetMessages::WriteClientUpdate(buffer, update);
            int32_t probesBefore = probes;
            client.Send(buffer);
            Frame(0);
            client.ReceiveAll();
            EXPECT_FLOAT_EQ(player->position.x, 800.0f) << bad.level << " " << bad.x << " " << bad.y;
            EXPECT_FLOAT_EQ(player->moveTarget.x, 800.0f);
            EXPECT_EQ(probes, probesBefore + 1) << "the lines still run";
        }
    }
    // Past an edge with no level beyond it (the levels lie one below the other): nothing.
    for (const WorldPos& beyond : {At(width + 5.0f, 10.0f), At(10.0f, -5.0f)}) {
        SendUpdate(client, UpdateAt(beyond));
        Frame(0);
        EXPECT_FLOAT_EQ(player->position.x, 800.0f) << beyond.x << " " << beyond.y;
        EXPECT_EQ(player->position.level, 0);
    }
    // One level beyond the lower edge is a place of the level below, and taken as one.
    SendUpdate(client, UpdateAt(At(700.0f, gWorld->GetLevelHeight() + 25.0f)));
    Frame(0);
    EXPECT_EQ(player->position.level, 1) << "one level beyond the bounds is still taken";
    EXPECT_FLOAT_EQ(player->position.x, 700.0f);
    EXPECT_FLOAT_EQ(player->position.y, 25.0f);
    EXPECT_EQ(player->moveTarget.level, 1);
}

TEST_F(WorldHostHostile, UnknownTypesAndStrangersUpdatesChangeNothing)
{
    ASSERT_NE(player, nullptr);
    for (int32_t type : {-1, 2, 3, 5, 6, 7, std::numeric_limits<int32_t>::max()}) {
        std::vector<uint8_t> bytes = ValidUpdate();
        for (int shift = 0; shift < 32; shift += 8)
            bytes[static_cast<size_t>(shift / 8)] = static_cast<uint8_t>(static_cast<uint32_t>(type) >> shift);
        EXPECT_TRUE(Unchanged(client, bytes)) << type;
    }
    EXPECT_TRUE(Unchanged(stranger, ValidUpdate())) << "an update from an address that never joined";
}

TEST_F(WorldHostHostile, FloodsNeitherHangNorGrowPastTheClientLimit)
{
    ASSERT_NE(player, nullptr);
    MessageBuffer request;
    NetMessages::WriteJoinRequest(request);
    for (int32_t i = 0; i < 3 * WorldHost::kMaxDatagramsPerTick; ++i)
        stranger.Send(request);
    host->Tick(0, false);
    EXPECT_EQ(stranger.ReceiveAll().size(), static_cast<size_t>(WorldHost::kMaxDatagramsPerTick))
        << "one tick handles a bounded share";
    Frame(0);
    Frame(0);
    EXPECT_EQ(stranger.ReceiveAll().size(), 2u * static_cast<size_t>(WorldHost::kMaxDatagramsPerTick));
    std::vector<uint8_t> settings = ValidSettings();
    for (uint16_t port = 7000; port < 7100; ++port) {
        TestClient flooder(port);
        flooder.SendBytes(settings);
        flooder.SendBytes(settings);
    }
    Frame(0);
    EXPECT_EQ(host->GetClients().size(), WorldHost::kMaxClients);
    EXPECT_EQ(game->CountEntities(), static_cast<int32_t>(WorldHost::kMaxClients));
}

} // namespace
