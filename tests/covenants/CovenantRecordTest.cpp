// CovenantRecordTest -- a covenant's record in the game update: its exact bytes, and five covenants read back in the clients' order.
#include "core/MessageBuffer.h"
#include "covenants/CovenantWorld.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

namespace {

// Little-endian words and NUL-terminated strings, built by hand to hold the writer to its layout.
struct Golden {
    std::vector<uint8_t> bytes;
    Golden& Int(int32_t value)
    {
        auto bits = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<uint8_t>(bits >> shift));
        return *this;
    }
    Golden& Float(float value) { return Int(static_cast<int32_t>(std::bit_cast<uint32_t>(value))); }
    Golden& Text(const char* text)
    {
        bytes.insert(bytes.end(), text, text + std::strlen(text) + 1);
        return *this;
    }
};

// One record as the clients read it: their order of fields, every relation entry kept.
struct ReadRecord {
    struct Relation {
        float value = 0.0f;
        int32_t treaty = 0;
        int32_t route = 0;
        TimeStamp stamp;
    };
    int32_t definition = 0;
    std::string name;
    int32_t level = 0;
    float x = 0.0f;
    float y = 0.0f;
    int32_t eliminated = 0;
    std::array<int32_t, 4> influence{};
    std::array<int32_t, 6> stats{};
    int32_t leaderLevel = 0;
    int32_t homeHealth = 0;
    int32_t homeMaxHealth = 0;
    std::vector<Relation> relations;
    int32_t adventure = 0;
    std::vector<int32_t> traits;
    int32_t leaderMoney = 0;
    int32_t raided = 0;
    int32_t target = 0;

    bool Read(MessageBuffer& buffer, int32_t covenantCount)
    {
        definition = buffer.ReadInt();
        name = buffer.ReadString();
        level = buffer.ReadInt();
        x = buffer.ReadFloat();
        y = buffer.ReadFloat();
        eliminated = buffer.ReadInt();
        for (int32_t& value : influence)
            value = buffer.ReadInt();
        for (int32_t& value : stats)
            value = buffer.ReadInt();
        leaderLevel = buffer.ReadInt();
        homeHealth = buffer.ReadInt();
        homeMaxHealth = buffer.ReadInt();
        relations.resize(static_cast<size_t>(covenantCount));
        for (Relation& relation : relations) {
            relation.value = buffer.ReadFloat();
            relation.treaty = buffer.ReadInt();
            relation.route = buffer.ReadInt();
            buffer.ReadTimeStamp(relation.stamp);
        }
        adventure = buffer.ReadInt();
        int32_t count = 0;
        if (!buffer.ReadCount(count, sizeof(int32_t)))
            return false;
        traits.resize(static_cast<size_t>(count));
        for (int32_t& trait : traits)
            trait = buffer.ReadInt();
        leaderMoney = buffer.ReadInt();
        raided = buffer.ReadInt();
        target = buffer.ReadInt();
        return !buffer.Overrun();
    }
};

} // namespace

class CovenantRecord : public CovenantWorld {};

TEST_F(CovenantRecord, OneCovenantWritesTheExactBytes)
{
    PlainCovenant& covenant = AddCovenant();
    GiveHome(covenant, 80, 120, 640.0f, 320.0f);
    covenant.statistics.Set(CovenantStat::InfluenceAdventure, 7);
    covenant.statistics.Set(CovenantStat::InfluenceTransferred, -2);
    covenant.statistics.Set(CovenantStat::GuardCosts, 11);
    covenant.statistics.Set(CovenantStat::Money, 99);
    covenant.leaderLevel = 6;
    // Positions with a trait are written in order; an empty position is left out.
    covenant.traitIds.Set(1, 1);
    covenant.traitIds.Set(3, 0);
    covenant.targetCovenant = -1;

    MessageBuffer buffer;
    covenant.Write(buffer);

    Golden golden;
    golden.Int(0).Text("CovenantTest").Int(0).Float(640.0f).Float(320.0f).Int(0);
    golden.Int(7).Int(0).Int(0).Int(-2);
    golden.Int(11).Int(0).Int(0).Int(0).Int(0).Int(99);
    golden.Int(6).Int(80).Int(120);
    // The one relation entry, toward itself: a fresh record.
    golden.Float(0.0f).Int(CovenantTreaty::Peace).Int(0).Int(0).Int(0).Int(0).Float(0.0f);
    golden.Int(0).Int(2).Int(1).Int(0).Int(0).Int(0).Int(-1);
    ASSERT_EQ(buffer.Size(), golden.bytes.size());
    EXPECT_EQ(std::vector<uint8_t>(buffer.Data(), buffer.Data() + buffer.Size()), golden.bytes);
}

TEST_F(CovenantRecord, FiveCovenantsReadBackInTheClientsOrder)
{
    for (int32_t i = 0; i < 5; ++i)
        AddCovenant(i % 2 == 0 ? "CovenantTest" : "CovenantOther");
    Covenant& named = *host.covenants[1];
    named.name = "The Ash Pact";
    Sentient* leader = Spawn<Sentient>(0.0f, 0.0f);
    leader->stats.Set(CharacterStat::Money, 1234);
    owned[3]->leader = leader;
    TimeStamp stamp{2, 3, 4, 5.5f};
    named.SetRelation(4, 61.5f);
    named.SetTreaty(4, CovenantTreaty::Alliance, stamp);
    named.SetTradeRoute(4, 2, stamp);
    // Covenant 0 raids covenant 3, which stands at Raid toward it.
    host.covenants[0]->targetCovenant = 3;
    host.covenants[3]->SetTreatyState(0, CovenantTreaty::Raid);
    host.covenants[4]->eliminated = true;

    MessageBuffer buffer;
    for (Covenant* covenant : host.covenants)
        covenant->Write(buffer);

    std::vector<ReadRecord> records(5);
    for (ReadRecord& record : records)
        ASSERT_TRUE(record.Read(buffer, 5));
    EXPECT_EQ(buffer.BytesLeft(), 0u);

    EXPECT_EQ(records[0].name, "CovenantTest");
    EXPECT_EQ(records[1].name, "The Ash Pact");
    EXPECT_EQ(records[1].definition, 1);
    for (const ReadRecord& record : records)
        EXPECT_EQ(record.relations.size(), 5u);
    const ReadRecord::Relation& toFour = records[1].relations[4];
    EXPECT_FLOAT_EQ(toFour.value, 61.5f);
    EXPECT_EQ(toFour.treaty, CovenantTreaty::Alliance);
    EXPECT_EQ(toFour.route, 2);
    EXPECT_EQ(toFour.stamp.days, 2);
    EXPECT_EQ(toFour.stamp.minutes, 4);
    EXPECT_FLOAT_EQ(toFour.stamp.seconds, 5.5f);
    // Missing records read as fresh ones.
    EXPECT_EQ(records[2].relations[0].treaty, CovenantTreaty::Peace);
    EXPECT_FLOAT_EQ(records[2].relations[0].value, 0.0f);
    // Leader money: only covenant 3 has a leader; no leader and no home write 0.
    EXPECT_EQ(records[3].leaderMoney, 1234);
    EXPECT_EQ(records[2].leaderMoney, 0);
    EXPECT_EQ(records[2].homeHealth, 0);
    EXPECT_EQ(records[2].homeMaxHealth, 0);
    EXPECT_EQ(records[2].level, -1);
    EXPECT_EQ(records[3].raided, 1);
    EXPECT_EQ(records[0].raided, 0);
    EXPECT_EQ(records[0].target, 3);
    EXPECT_EQ(records[4].eliminated, 1);
    EXPECT_TRUE(records[2].traits.empty());
}

TEST_F(CovenantRecord, ARecordWithoutItsDefinitionStillWritesWhole)
{
    PlainCovenant& covenant = AddCovenant();
    covenant.SetDefinitionIndex(57);
    MessageBuffer buffer;
    covenant.Write(buffer);
    ReadRecord record;
    ASSERT_TRUE(record.Read(buffer, 1));
    EXPECT_EQ(record.definition, -1);
    EXPECT_EQ(record.name, "");
    EXPECT_EQ(buffer.BytesLeft(), 0u);
}

TEST_F(CovenantRecord, IndicesPastTheLastCovenantNeverReachTheRecords)
{
    PlainCovenant& covenant = AddCovenant();
    PlainCovenant& other = AddCovenant("CovenantOther");
    // The game checks its own indices; the covenant answers outside values plainly.
    EXPECT_FLOAT_EQ(covenant.GetFloatStat(14), 1.0f);
    EXPECT_FLOAT_EQ(covenant.GetFloatStat(-1), 1.0f);
    EXPECT_EQ(covenant.GetPendingOfferRecord(32), nullptr);
    covenant.ClearOfferTo(40, true);
    EXPECT_EQ(covenant.GetGuard(4), nullptr);
    EXPECT_EQ(covenant.GetRecruitActor(-1), nullptr);
    EXPECT_EQ(other.GetPedestal(4), nullptr);
}

TEST_F(CovenantRecord, ThinkTimerCarriesIntoTheNextDay)
{
    PlainCovenant& covenant = AddCovenant();
    host.clock = TimeStamp{3, 23, 59, 55.0f};
    covenant.ResetThinkTimer();
    EXPECT_EQ(covenant.nextThinkTime.days, 4);
    EXPECT_EQ(covenant.nextThinkTime.hours, 0);
    EXPECT_EQ(covenant.nextThinkTime.minutes, 0);
    EXPECT_FLOAT_EQ(covenant.nextThinkTime.seconds, 5.0f);
}

TEST_F(CovenantRecord, HomeHealthAndOffersFollowTheirRules)
{
    PlainCovenant& covenant = AddCovenant();
    PlainCovenant& other = AddCovenant("CovenantOther");
    // No home: getters 0, setters nothing.
    covenant.SetHomeMaxHealth(50);
    EXPECT_EQ(covenant.GetHomeMaxHealth(), 0);
    Entity* lifestone = GiveHome(covenant, 80, 100);
    covenant.SetHomeMaxHealth(50);
    EXPECT_EQ(lifestone->health, 50);
    lifestone->health = 30;
    covenant.SetHomeMaxHealth(50);
    EXPECT_EQ(lifestone->health, 30);

    EXPECT_FLOAT_EQ(covenant.GetRelationForPeaceTreaty(other), 30.0f);
    const PendingOffer* pending = covenant.GetPendingOfferRecord(1);
    ASSERT_NE(pending, nullptr);
    EXPECT_TRUE(pending->open);
    EXPECT_FALSE(pending->running);
}
