// WorldHostCovenantJoinTest -- joining a game that uses covenants through the datagram queue: the covenant block read whole before the character, the house and covenant made for the player, its record in every update, hostile blocks refused and a new world keeping the covenant.
#include "server/WorldHostWorld.h"

#include "covenants/PlayerCovenant.h"
#include "server/ServerCommands.h"
#include "entities/Item.h"
#include "rules/items/InventoryBase.h"
#include "covenants/PlayerHouseRecords.h"
#include "support/LogLines.h"
#include "support/ShippedGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// The house's records and the pedestals its relics stand on.
const std::string kCovenantJoinRecords = std::string(kPlayerHouseRecords) + "ObjectPedestal\n{\n    Type Object\n}\n";

} // namespace

class WorldHostCovenantJoin : public WorldHostWorld {
protected:
    void SetUp() override
    {
        StartWorld("UsingCovenants 1\nMaxRecruits 4\nStartPosition 0.5 0.5\n", kCovenantJoinRecords);
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
        return player ? dynamic_cast<PlayerCovenant*>(game->GetGameCovenant(player->covenantIndex)) : nullptr;
    }

    int32_t CountEntitiesOf(const char* record) const
    {
        int32_t count = 0;
        for (int32_t number = 0; number < 1500; ++number)
            if (const Entity* entity = game->GetEntity(number);
                entity && entity->GetEntry() && entity->GetEntry()->GetName() == record)
                ++count;
        return count;
    }

    // The covenant's record in the update: its name, home, index and the inventory's bag count
    // (the game part's record of the covenant carries the name and home too, but not the rest).
    static bool HoldsCovenantRecord(const MessageBuffer& update, const std::string& covenantName,
                                    const PlayerCovenant& covenant)
    {
        MessageBuffer expected;
        expected.WriteString(covenantName);
        expected.WriteInt(covenant.homeLevel);
        expected.WriteFloat(covenant.homeX);
        expected.WriteFloat(covenant.homeY);
        expected.WriteInt(covenant.index);
        expected.WriteInt(InventoryBase::kBagCount);
        const uint8_t* begin = update.Data();
        const uint8_t* end = begin + update.Size();
        return std::search(begin, end, expected.Data(), expected.Data() + expected.Size()) != end;
    }
};

TEST_F(WorldHostCovenantJoin, AJoiningClientLeadsANewCovenantWithItsHouseAndRecord)
{
    TestClient client(6101);
    Player* player = JoinWithCovenant(client, "Ember Hall", "Ada");
    ASSERT_NE(player, nullptr);
    std::vector<int32_t> types = client.ReceiveTypes();
    EXPECT_NE(std::find(types.begin(), types.end(), NetMessageType::kWelcome), types.end());
    PlayerCovenant* covenant = CovenantOf(player);
    ASSERT_NE(covenant, nullptr);
    EXPECT_EQ(covenant->GetPlayerLeader(), player);
    EXPECT_EQ(covenant->name, "Ember Hall");
    EXPECT_EQ(covenant->GetDefinitionName(), "Human");
    for (const char* record : {"ObjectCovenantStash", "ObjectBookshelf", "ObjectPlayerStash", "ObjectLifestone",
                               "ObjectGate"})
        EXPECT_EQ(CountEntitiesOf(record), 1) << record;
    EXPECT_EQ(CountEntitiesOf("ObjectPedestal"), 4);
    ASSERT_NE(covenant->GetLifestone(), nullptr);
    EXPECT_EQ(covenant->GetLifestone()->position.level, 0);
    EXPECT_EQ(covenant->inventory->CountItems(InventoryGroupIndex::Stash), 1);

    Frame(50);
    std::vector<MessageBuffer> received = client.ReceiveAll();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].ReadInt(), NetMessageType::kGameUpdate);
    EXPECT_TRUE(HoldsCovenantRecord(received[0], "Ember Hall", *covenant));
    EXPECT_EQ(CountLinesHolding(debug, "Refused"), 0);
    // A lost world is counted in the first player's covenant, whose record carries it.
    game->LoseWorld();
    EXPECT_EQ(covenant->worldResults.Get(Covenant::kWorldsLost), 1);
}

TEST_F(WorldHostCovenantJoin, TwoClientsLeadTwoCovenants)
{
    TestClient first(6102);
    TestClient second(6103);
    Player* one = JoinWithCovenant(first, "First Hall", "One");
    Player* two = JoinWithCovenant(second, "Second Hall", "Two");
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    ASSERT_NE(CovenantOf(one), nullptr);
    ASSERT_NE(CovenantOf(two), nullptr);
    EXPECT_NE(one->covenantIndex, two->covenantIndex);
    EXPECT_EQ(CovenantOf(two)->name, "Second Hall");
    EXPECT_EQ(CountEntitiesOf("ObjectLifestone"), 2);
    first.ReceiveAll();
    second.ReceiveAll();
    Frame(50);
    std::vector<MessageBuffer> toSecond = second.ReceiveAll();
    ASSERT_EQ(toSecond.size(), 1u);
    EXPECT_TRUE(HoldsCovenantRecord(toSecond[0], "Second Hall", *CovenantOf(two)));
    EXPECT_FALSE(HoldsCovenantRecord(toSecond[0], "First Hall", *CovenantOf(one)))
        << "each client hears only its own covenant's record";
}

TEST_F(WorldHostCovenantJoin, ACutCovenantBlockOrARefusedCharacterMakesNothing)
{
    TestClient client(6104);
    SendRequest(client);
    Frame(0);
    client.ReceiveAll();
    MessageBuffer whole = CovenantSettings("Ember Hall", "Ada");
    // Cut inside the covenant block (after the type word and part of the name).
    for (size_t cut : {size_t{4}, size_t{7}, size_t{4 + 11}, size_t{4 + 11 + 4}}) {
        MessageBuffer part;
        part.WriteBytes(whole.Data(), cut);
        client.Send(part);
        Frame(0);
    }
    EXPECT_EQ(CountLinesHolding(debug, "Refused the covenant sent by 127.0.0.1"), 4);
    // A whole covenant block with a character cut short.
    MessageBuffer characterCut;
    characterCut.WriteBytes(whole.Data(), whole.Size() - 2);
    client.Send(characterCut);
    Frame(0);
    EXPECT_EQ(CountLinesHolding(debug, "Refused the character sent by 127.0.0.1"), 1);
    EXPECT_EQ(FindRecord(client), nullptr);
    EXPECT_EQ(game->GetCovenantCount(), 0);
    EXPECT_EQ(CountEntitiesOf("ObjectLifestone"), 0);
    EXPECT_TRUE(client.ReceiveTypes().empty());
    // The whole block still joins.
    client.Send(whole);
    Frame(0);
    ASSERT_NE(FindRecord(client), nullptr);
    EXPECT_EQ(game->GetCovenantCount(), 1);
}

TEST_F(WorldHostCovenantJoin, ANewWorldKeepsTheFirstPlayersCovenantAndBuildsItsHouseAgain)
{
    TestClient client(6105);
    Player* player = JoinWithCovenant(client, "Ember Hall", "Ada");
    ASSERT_NE(player, nullptr);
    PlayerCovenant* covenant = CovenantOf(player);
    ASSERT_NE(covenant, nullptr);
    covenant->statistics.Set(CovenantStat::Money, 300);
    client.ReceiveAll();
    SendUpdate(client, UpdateAt(player->position, {"newWorld 0 Hard Normal 0"}));
    Frame(0);
    EXPECT_EQ(CovenantOf(player), covenant);
    EXPECT_EQ(covenant->GetPlayerLeader(), player);
    EXPECT_EQ(covenant->statistics.Get(CovenantStat::Money), 0);
    EXPECT_EQ(CountEntitiesOf("ObjectLifestone"), 1);
    EXPECT_EQ(CountEntitiesOf("ObjectGate"), 1);
    ASSERT_NE(covenant->GetLifestone(), nullptr);
    client.ReceiveAll();
    Frame(50);
    std::vector<MessageBuffer> received = client.ReceiveAll();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(HoldsCovenantRecord(received[0], "Ember Hall", *covenant));
}

// Whether one of the datagrams holds the line among its bytes.
bool HeardLine(const std::vector<MessageBuffer>& datagrams, const std::string& line)
{
    for (const MessageBuffer& buffer : datagrams) {
        const uint8_t* begin = buffer.Data();
        const uint8_t* end = begin + buffer.Size();
        if (std::search(begin, end, line.begin(), line.end()) != end)
            return true;
    }
    return false;
}

TEST_F(WorldHostCovenantJoin, TwoPlayersTradeThroughTheirClientsEachDealCarriedOutOnceOnItsOwnTerms)
{
    ServerCommands::Register(host->GetClientCommands());
    TestClient first(6106);
    TestClient second(6107);
    Player* one = JoinWithCovenant(first, "First Hall", "One");
    Player* two = JoinWithCovenant(second, "Second Hall", "Two");
    ASSERT_NE(CovenantOf(one), nullptr);
    ASSERT_NE(CovenantOf(two), nullptr);
    one->stats.Set(CharacterStat::Money, 100);
    two->stats.Set(CharacterStat::Money, 50);
    std::string a = std::to_string(one->covenantIndex);
    std::string b = std::to_string(two->covenantIndex);
    // One gives 30 coppers for 10 of Two's; the offer reaches Two's client.
    SendUpdate(first, UpdateAt(one->position, {"offer 0 " + b + " 0 6 30 1 6 10"}));
    Frame(50);
    EXPECT_TRUE(HeardLine(second.ReceiveAll(), "offerToPlayer 0 " + a + " 0 6 30 1 6 10"));
    // Terms Two writes itself are not the offer: nothing moves.
    SendUpdate(second, UpdateAt(two->position, {"acceptOffer 0 " + a + " 0 6 90 1 6 10"}));
    Frame(50);
    EXPECT_EQ(one->stats.Get(CharacterStat::Money), 100);
    EXPECT_EQ(two->stats.Get(CharacterStat::Money), 50);
    first.ReceiveAll();

    // Two accepts the offer as made: the deal is carried out, and One hears it was accepted.
    SendUpdate(second, UpdateAt(two->position, {"acceptOffer 0 " + a + " 0 6 30 1 6 10"}));
    Frame(50);
    EXPECT_EQ(one->stats.Get(CharacterStat::Money), 80);
    EXPECT_EQ(two->stats.Get(CharacterStat::Money), 70);
    std::vector<MessageBuffer> toFirst = first.ReceiveAll();
    EXPECT_TRUE(HeardLine(toFirst, "dipRes 8 " + b)) << "in the words of an accepted trade";
    EXPECT_FALSE(HeardLine(toFirst, "dipRes 0 " + b)) << "not in those of a refusal";
    // The same acceptance again pays nothing more.
    SendUpdate(second, UpdateAt(two->position, {"acceptOffer 0 " + a + " 0 6 30 1 6 10"}));
    Frame(50);
    EXPECT_EQ(one->stats.Get(CharacterStat::Money), 80);
    EXPECT_EQ(two->stats.Get(CharacterStat::Money), 70);

    // A gift refused is refused in words, and cannot be taken afterwards.
    first.ReceiveAll();
    SendUpdate(first, UpdateAt(one->position, {"offer 2 " + b + " 0 6 5"}));
    Frame(50);
    SendUpdate(second, UpdateAt(two->position, {"rejectOffer 2 " + a + " 0 6 5"}));
    Frame(50);
    EXPECT_TRUE(HeardLine(first.ReceiveAll(), "dipRes 9 " + b));
    SendUpdate(second, UpdateAt(two->position, {"acceptOffer 2 " + a + " 0 6 5"}));
    Frame(50);
    EXPECT_EQ(one->stats.Get(CharacterStat::Money), 80);
    // A preview while the player edits is not an offer: the other player neither hears it nor
    // may take it, and the offer made before it still stands.
    second.ReceiveAll();
    SendUpdate(first, UpdateAt(one->position, {"offer 2 " + b + " 0 6 5"}));
    Frame(50);
    SendUpdate(first, UpdateAt(one->position, {"offer 4 " + b + " 0 6 7"}));
    Frame(50);
    std::vector<MessageBuffer> toSecond = second.ReceiveAll();
    EXPECT_TRUE(HeardLine(toSecond, "offerToPlayer 2 " + a + " 0 6 5"));
    EXPECT_FALSE(HeardLine(toSecond, "offerToPlayer 4 ")) << "an edit reaches no other player";
    SendUpdate(second, UpdateAt(two->position, {"acceptOffer 4 " + a + " 0 6 7"}));
    Frame(50);
    EXPECT_EQ(one->stats.Get(CharacterStat::Money), 80);
    SendUpdate(second, UpdateAt(two->position, {"acceptOffer 2 " + a + " 0 6 5"}));
    Frame(50);
    EXPECT_EQ(one->stats.Get(CharacterStat::Money), 75);
    EXPECT_EQ(two->stats.Get(CharacterStat::Money), 75);
    EXPECT_TRUE(HeardLine(first.ReceiveAll(), "dipRes 20 " + b)) << "in the words of an accepted gift";
}

// The shipped database, whose game uses covenants, behind the same world host.
class WorldHostShippedJoin : public WorldHostCovenantJoin {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LinkShippedGame(folder.Path())) << "EMBERLODE_GAME_DIR names the staged game folder";
        ASSERT_TRUE(gFileSystem->MountArchive("assets001.zip"));
        database.Load();
        gameData.Load(database);
        ASSERT_TRUE(gameData.GetTuning().usingCovenants);
        host->SetUpServer(false, 0, 1, 1, 0, "Tester");
    }
};

TEST_F(WorldHostShippedJoin, TheShippedGameTakesAJoiningClientWithItsCovenant)
{
    TestClient client(6106);
    Player* player = JoinWithCovenant(client, "Ember Hall", "Ada");
    ASSERT_NE(player, nullptr);
    PlayerCovenant* covenant = CovenantOf(player);
    ASSERT_NE(covenant, nullptr);
    EXPECT_EQ(covenant->GetDefinitionName(), "Human");
    for (const char* record : {"ObjectCovenantStash", "ObjectBookshelf", "ObjectPlayerStash", "ObjectLifestone"})
        EXPECT_EQ(CountEntitiesOf(record), 1) << record;
    ASSERT_NE(covenant->GetHouseGate(), nullptr);
    ASSERT_NE(covenant->GetInventoryItem(InventoryGroupIndex::Stash, 0), nullptr);
    EXPECT_EQ(covenant->GetInventoryItem(InventoryGroupIndex::Stash, 0)->GetEntry()->GetName(), "Bag1");
    client.ReceiveAll();
    Frame(50);
    std::vector<MessageBuffer> received = client.ReceiveAll();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_TRUE(HoldsCovenantRecord(received[0], "Ember Hall", *covenant));
    EXPECT_EQ(CountLinesHolding(debug, "Refused"), 0);
    EXPECT_EQ(CountLinesHolding(debug, "no Object"), 0);
}
