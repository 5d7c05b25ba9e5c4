// ClientHostileTest -- datagrams of every kind the client reads, cut at every offset, with each byte flipped and with hostile counts, numbers, owner loops and NaN: no crash or hang, and a refused one changes nothing.
#include "client/ClientLockstepWorld.h"

#include "client/QuestClient.h"

#include <cstring>
#include <limits>

namespace {

// What a refused datagram must leave as it was.
struct ClientSnapshot {
    std::vector<int32_t> entities;
    std::vector<float> places;
    int32_t stamp = 0;
    TimeStamp clock;
    size_t quests = 0;
    size_t resources = 0;
    bool active = false;
    int32_t level = -1;

    bool operator==(const ClientSnapshot& other) const
    {
        return entities == other.entities && places == other.places && stamp == other.stamp &&
               clock.days == other.clock.days && clock.hours == other.clock.hours &&
               clock.minutes == other.clock.minutes && clock.seconds == other.clock.seconds &&
               quests == other.quests && resources == other.resources && active == other.active &&
               level == other.level;
    }
};

class ClientHostile : public ClientLockstepWorld {
protected:
    // A world whose update holds every state kind.
    void SetUp() override
    {
        StartLockstep();
        // Onto the open ground of the added level, where anything can be laid.
        link->position = WorldPos{1, 1000.0f, 1000.0f, true};
        Client::SendUpdate();
        LockstepFrame(0);
        ASSERT_EQ(player->position.level, 1);
        Actor* goblin = AddGoblin(Near(60.0f, 0.0f));
        ASSERT_NE(goblin, nullptr);
        ASSERT_NE(AddChest(Near(-60.0f, 0.0f)), nullptr);
        ASSERT_NE(AddGate(Near(0.0f, 60.0f)), nullptr);
        float x = -200.0f;
        for (const char* name : {"Dagger", "Coins", "Scroll"})
            ASSERT_NE(DropItem(name, Near(x += 120.0f, 200.0f)), nullptr) << name;
        ASSERT_NE(Fire("Ray", goblin, player), nullptr);
        ASSERT_NE(Fire("Arc", goblin, player), nullptr);
        LockstepFrame(50);
        update = WriteUpdate();
    }

    ClientSnapshot Snapshot() const
    {
        ClientSnapshot snapshot;
        for (int32_t i = 0; i < GameClient::kMaxEntities; ++i)
            if (const EntityClient* entity = gameClient->GetEntity(i)) {
                snapshot.entities.push_back(i);
                snapshot.places.push_back(entity->position.x);
                snapshot.places.push_back(entity->position.y);
            }
        snapshot.stamp = gameClient->GetUpdateStamp();
        snapshot.clock = gameClient->clock;
        snapshot.quests = gameClient->GetQuests().size();
        snapshot.resources = app->GetResources().GetSize();
        snapshot.active = app->IsActive();
        snapshot.level = app->GetCurrentLevel();
        return snapshot;
    }

    void Dispatch(const uint8_t* bytes, size_t size)
    {
        MessageBuffer buffer;
        buffer.WriteBytes(bytes, size);
        buffer.SetReadPos(0);
        Client::DispatchDatagram(buffer, host->GetClients().front()->address);
    }

    // Every cut of the datagram is refused whole.
    void ExpectEveryCutRefused(const MessageBuffer& whole)
    {
        ClientSnapshot before = Snapshot();
        for (size_t cut = 0; cut < whole.Size(); ++cut) {
            Dispatch(whole.Data(), cut);
            ASSERT_EQ(Snapshot(), before) << "cut at " << cut;
        }
    }

    // Each byte flipped: a refused one changes nothing; one that reads whole is applied, and the
    // real update puts the mirror back.
    void FlipEveryByte(const MessageBuffer& whole)
    {
        std::vector<uint8_t> bytes(whole.Data(), whole.Data() + whole.Size());
        for (size_t at = 0; at < bytes.size(); ++at) {
            ClientSnapshot before = Snapshot();
            bytes[at] ^= 0xFF;
            Dispatch(bytes.data(), bytes.size());
            bytes[at] ^= 0xFF;
            if (Snapshot().stamp == before.stamp) {
                ASSERT_EQ(Snapshot(), before) << "flipped byte " << at;
            }
            Dispatch(bytes.data(), bytes.size());
        }
    }

    // The update with the 32-bit word at the offset replaced.
    MessageBuffer WithWord(size_t offset, uint32_t word) const
    {
        MessageBuffer copy;
        copy.WriteBytes(update.Data(), update.Size());
        std::memcpy(const_cast<uint8_t*>(copy.Data()) + offset, &word, sizeof word);
        copy.SetReadPos(0);
        return copy;
    }

    // Where the first entity record starts: after the type, the level, the empty name list and
    // the line count with its lines.
    size_t FirstEntityOffset() const
    {
        MessageBuffer copy;
        copy.WriteBytes(update.Data(), update.Size());
        copy.SetReadPos(4);
        NetGameUpdateHead head;
        EXPECT_TRUE(NetMessages::ReadGameUpdateHead(copy, head));
        return copy.GetReadPos();
    }

    MessageBuffer update;
};

TEST_F(ClientHostile, AGameUpdateCutAnywhereIsRefusedWhole)
{
    Dispatch(update.Data(), update.Size());
    ASSERT_GT(Snapshot().entities.size(), 8u);
    ExpectEveryCutRefused(update);
}

TEST_F(ClientHostile, AGameUpdateWithAnyByteFlippedNeverBreaksTheClient)
{
    Dispatch(update.Data(), update.Size());
    FlipEveryByte(update);
    ClientSnapshot healed = Snapshot();
    Dispatch(update.Data(), update.Size());
    EXPECT_EQ(Snapshot().entities, healed.entities);
}

TEST_F(ClientHostile, HelloWelcomeAndNewWorldCutAnywhereChangeNothing)
{
    NetWelcome welcome;
    welcome.level = 0;
    welcome.difficulty = gWorld->GetDifficulty();
    welcome.worldSeed = gWorld->GetLayoutSeed();
    welcome.worldName = gWorld->GetAdventureName();
    welcome.subSeed = gWorld->GetSecretSeed();
    welcome.resources = {{2, "Sounds/a.wav"}, {40, "Sounds/b.wav"}};
    MessageBuffer welcomeBytes;
    NetMessages::WriteWelcome(welcomeBytes, welcome);
    MessageBuffer newWorldBytes;
    NetMessages::WriteNewWorld(newWorldBytes, {welcome.difficulty, welcome.worldSeed, welcome.subSeed});
    MessageBuffer helloBytes;
    NetMessages::WriteHello(helloBytes, {1, 99});
    Dispatch(update.Data(), update.Size());
    for (const MessageBuffer* whole : {&welcomeBytes, &newWorldBytes, &helloBytes})
        ExpectEveryCutRefused(*whole);
}

TEST_F(ClientHostile, HostileCountsAndNumbersAreRefusedWhole)
{
    Dispatch(update.Data(), update.Size());
    ClientSnapshot before = Snapshot();
    size_t first = FirstEntityOffset();
    for (uint32_t number : {1500u, static_cast<uint32_t>(-2), 0x7FFFFFFFu}) {
        MessageBuffer bad = WithWord(first, number);
        Client::DispatchDatagram(bad, host->GetClients().front()->address);
        EXPECT_EQ(Snapshot(), before) << number;
    }
    // The effect count of the first record: huge or negative.
    for (uint32_t count : {0x7FFFFFFFu, static_cast<uint32_t>(-1)}) {
        MessageBuffer copy;
        copy.WriteBytes(update.Data(), update.Size());
        copy.SetReadPos(first);
        NetEntityHeader header;
        ASSERT_TRUE(NetMessages::ReadEntityHeader(copy, header));
        size_t countAt = copy.GetReadPos() - 4 - 8 * header.shownEffects.size();
        MessageBuffer bad = WithWord(countAt, count);
        Client::DispatchDatagram(bad, host->GetClients().front()->address);
        EXPECT_EQ(Snapshot(), before) << count;
    }
}

TEST_F(ClientHostile, OwnerLoopsAndNonFiniteValuesLeaveTheEntityAsItWas)
{
    Dispatch(update.Data(), update.Size());
    size_t first = FirstEntityOffset();
    MessageBuffer copy;
    copy.WriteBytes(update.Data(), update.Size());
    copy.SetReadPos(first);
    NetEntityHeader header;
    ASSERT_TRUE(NetMessages::ReadEntityHeader(copy, header));
    EntityClient* mirror = gameClient->GetEntity(header.number);
    ASSERT_NE(mirror, nullptr);
    float x = mirror->position.x;
    // The x of the position: after number, record, flags, solid word, covenant and level.
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    uint32_t nanWord = 0;
    std::memcpy(&nanWord, &kNaN, sizeof nanWord);
    MessageBuffer bad = WithWord(first + 6 * 4, nanWord);
    Client::DispatchDatagram(bad, host->GetClients().front()->address);
    EXPECT_EQ(mirror->position.x, x);
    EXPECT_EQ(gameClient->GetEntity(header.number), mirror);

    // Two entities owning each other: neither has an owner, and their scale stays finite.
    EntityClient* other = nullptr;
    for (int32_t i = 0; i < GameClient::kMaxEntities && !other; ++i)
        if (gameClient->GetEntity(i) && gameClient->GetEntity(i) != mirror)
            other = gameClient->GetEntity(i);
    ASSERT_NE(other, nullptr);
    mirror->parentNumber = other->entityNumber;
    other->parentNumber = mirror->entityNumber;
    EXPECT_EQ(mirror->GetOwner(), nullptr);
    EXPECT_TRUE(std::isfinite(mirror->GetScale()));
    EXPECT_TRUE(std::isfinite(other->GetAlpha()));
}

} // namespace
