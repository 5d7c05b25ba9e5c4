// CovenantRankingTest -- the influence and power rankings of the covenants a game update brings, ties in index order, the leader announcements (the first check only records, later ones every 30 seconds) and the relation queries.
#include "client/ClientServicesWorld.h"

#include "client/CovenantRankings.h"
#include "client/PlayerCovenantClient.h"
#include "core/MessageBuffer.h"
#include "rules/covenants/DiplomacyText.h"
#include "world/NetMessages.h"

namespace {

class CovenantRankingWorld : public ClientServicesWorld {
protected:
    struct Sent {
        Sent(int32_t influence, int32_t people, std::vector<float> relations = {}, std::vector<int32_t> treaties = {})
            : influence(influence), people(people), relations(std::move(relations)), treaties(std::move(treaties))
        {
        }
        int32_t influence = 0;
        int32_t people = 0;
        std::vector<float> relations;
        std::vector<int32_t> treaties;
        bool fallen = false;
    };

    void SetUp() override
    {
        WriteSound("Sounds/UI/alert.wav");
        JoinWithTuning("SoundNameMessageAlert \"Sounds/UI/alert.wav\"\nPowerWeightHouse 0\n"
                       "PowerWeightAbsoluteInfluence 0\nPowerWeightPeople 2\nPowerWeightItems 0\n"
                       "PowerWeightLifeStone 0\n");
        ClientFrame(0);
        link->playerCovenant = &own;
        own.index = 7;
    }

    // A game update of no entities whose game part carries the covenants.
    void Send(const std::vector<Sent>& covenants)
    {
        MessageBuffer buffer;
        buffer.WriteInt(NetMessages::kListEnd);
        buffer.WriteTimeStamp(TimeStamp{});
        buffer.WriteInt(1);
        buffer.WriteInt(static_cast<int32_t>(covenants.size()));
        for (const Sent& sent : covenants) {
            buffer.WriteInt(-1);
            buffer.WriteString("Covenant");
            buffer.WriteInt(0);
            buffer.WriteFloat(0.0f);
            buffer.WriteFloat(0.0f);
            buffer.WriteBool(sent.fallen);
            for (int32_t influence : {0, 0, sent.influence, 0})
                buffer.WriteInt(influence);
            buffer.WriteInt(0);
            for (int32_t holding : {sent.people, 0, 0, 0, 0})
                buffer.WriteInt(holding);
            for (int32_t value : {1, 0, 0})
                buffer.WriteInt(value);
            for (size_t j = 0; j < covenants.size(); ++j) {
                buffer.WriteFloat(j < sent.relations.size() ? sent.relations[j] : 0.0f);
                buffer.WriteInt(j < sent.treaties.size() ? sent.treaties[j] : 1);
                buffer.WriteInt(0);
                buffer.WriteTimeStamp(TimeStamp{});
            }
            for (int32_t value : {0, 0, 0})
                buffer.WriteInt(value);
            buffer.WriteBool(false);
            buffer.WriteInt(-1);
        }
        buffer.WriteFloat(12.0f);
        buffer.WriteInt(0);
        buffer.WriteInt(0);
        for (int i = 0; i < 5; ++i)
            buffer.WriteFloat(i < 2 ? 1.0f : 0.0f);
        buffer.WriteBool(false);
        buffer.WriteBool(false);
        buffer.SetReadPos(0);
        ASSERT_TRUE(gameClient->ReadGameUpdate(buffer, nullptr));
    }

    std::vector<int32_t> Order(const std::vector<CovenantRankings::Place>& ranking) const
    {
        std::vector<int32_t> order;
        for (const CovenantRankings::Place& place : ranking)
            order.push_back(place.covenant);
        return order;
    }

    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        for (const TextEvents::Record& record : textEvents.GetRecords())
            if (record.kind == ClientMessages::kLogEventId)
                lines.push_back(record.text);
        return lines;
    }

    CovenantRankings& Rankings() { return gameClient->GetRankings(); }

    CovenantClient own;
};

TEST_F(CovenantRankingWorld, BothRankingsRunHighestFirstAndTiesKeepTheLowerIndexFirst)
{
    Send({{5, 4}, {9, 1}, {9, 4}, {0, 0}});
    gameClient->Update(0.0f);
    EXPECT_EQ(Order(Rankings().GetInfluenceRanking()), (std::vector<int32_t>{1, 2, 0, 3}));
    EXPECT_EQ(Rankings().GetInfluenceRanking()[0].value, 9);
    EXPECT_EQ(Order(Rankings().GetPowerRanking()), (std::vector<int32_t>{0, 2, 1, 3}));
    EXPECT_EQ(Rankings().GetPowerRanking()[0].value, 8);
    EXPECT_EQ(Rankings().GetInfluenceRank(2), 1);
    EXPECT_EQ(Rankings().GetPowerRank(1), 2);
    EXPECT_EQ(Rankings().GetPowerRank(4), -1);
    EXPECT_EQ(Rankings().GetLeadingPowerCovenant(), 0);
    EXPECT_EQ(Rankings().GetPowerRankCovenant(3), 3);
    EXPECT_EQ(Rankings().GetPowerRankCovenant(4), -1);
    EXPECT_EQ(Rankings().GetPowerRankCovenant(-1), -1);
    // Fewer covenants in the next update: the rankings shrink with them.
    ASSERT_NE(gameClient->GetLastCovenant(), nullptr);
    EXPECT_EQ(gameClient->GetLastCovenant()->index, 3);
    Send({{1, 1}});
    gameClient->Update(0.0f);
    EXPECT_EQ(Order(Rankings().GetPowerRanking()), std::vector<int32_t>{0});
    // The mirrors past the count stay, but the last covenant is the last one counted.
    ASSERT_NE(gameClient->GetLastCovenant(), nullptr);
    EXPECT_EQ(gameClient->GetLastCovenant()->index, 0);
}

TEST_F(CovenantRankingWorld, TheFirstCheckOnlyRecordsAndLaterOnesComeEveryThirtySeconds)
{
    Send({{9, 1}, {5, 1}});
    gameClient->Update(0.0f);
    EXPECT_EQ(Rankings().GetLastInfluenceLeader(), 0);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_TRUE(PlayingSounds().empty());

    Send({{5, 1}, {9, 3}});
    gameClient->Update(29.5f);
    EXPECT_TRUE(LogLines().empty());
    gameClient->Update(0.5f);
    std::string line = DiplomacyText::CovenantLine(*gameClient->GetCovenant(1, false));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"$$LeadingCovenantInInfluenceIsNow$$ " + line,
                                                    "$$LeadingCovenantInPowerIsNow$$ " + line}));
    EXPECT_EQ(PlayingSounds().size(), 2u);
    // A tie goes to the lower index, and stays there: it is announced once, never back and forth.
    Send({{9, 3}, {9, 3}});
    gameClient->Update(30.0f);
    EXPECT_EQ(LogLines().size(), 4u);
    for (int check = 0; check < 3; ++check)
        gameClient->Update(30.0f);
    EXPECT_EQ(LogLines().size(), 4u);
}

TEST_F(CovenantRankingWorld, WithoutThePlayersCovenantNothingIsRecordedAndANewGameForgets)
{
    link->playerCovenant = nullptr;
    Send({{9, 1}, {5, 1}});
    gameClient->Update(0.0f);
    EXPECT_EQ(Rankings().GetLastInfluenceLeader(), -1);
    link->playerCovenant = &own;
    gameClient->Update(0.0f);
    EXPECT_EQ(Rankings().GetLastPowerLeader(), 0);
    gameClient->Reset();
    EXPECT_EQ(Rankings().GetLastPowerLeader(), -1);
    EXPECT_TRUE(Rankings().GetPowerRanking().empty());
}

TEST_F(CovenantRankingWorld, RelationsAreMeanedBetweenOthersAndTakenFromTheOtherSideOfThePlayers)
{
    own.index = 2;
    own.SetRelation(0, 99.0f);
    Send({{0, 0, {0.0f, 40.0f, 70.0f}, {1, 3, 1}}, {0, 0, {20.0f, 0.0f, 10.0f}}, {0, 0, {}}});
    EXPECT_FLOAT_EQ(Rankings().GetRelationValue(0, 1), 30.0f);
    EXPECT_FLOAT_EQ(Rankings().GetRelationValue(0, 2), 70.0f);
    EXPECT_FLOAT_EQ(Rankings().GetRelationValue(2, 1), 10.0f);
    EXPECT_FLOAT_EQ(Rankings().GetRelationValue(2, 2), 0.5f);
    // A side without a mirror gives 0.
    EXPECT_FLOAT_EQ(Rankings().GetRelationValue(0, 9), 0.0f);
    EXPECT_EQ(Rankings().GetTreatyState(0, 1), 3);
    EXPECT_EQ(Rankings().GetTreatyState(9, 0), 1);
    ASSERT_TRUE(Rankings().GetTreatyRecord(0, 1).has_value());
    EXPECT_EQ(Rankings().GetTreatyRecord(0, 1)->treaty, 3);
    EXPECT_FALSE(Rankings().GetTreatyRecord(9, 0).has_value());
    EXPECT_FALSE(Rankings().GetTreatyRecord(0, 31).has_value());
}

// A covenant that fell while bound to the player's by a mutual protection pact or an alliance (on
// its own record) is told to the player's covenant; a lesser pact, a covenant still standing, or
// the player's covenant's own fall is not.
TEST_F(CovenantRankingWorld, AFallenCovenantBoundToThePlayersByAProtectionPactOrAllianceIsTold)
{
    PlayerCovenantClient mine;
    mine.index = 1;
    struct Case {
        int32_t treaty;
        bool fallen;
        bool ownFallen;
        bool told;
    };
    for (const Case& c : {Case{CovenantTreaty::Alliance, true, false, true},
                          Case{CovenantTreaty::MutualProtectionPact, true, false, true},
                          Case{CovenantTreaty::NonAggressionPact, true, false, false},
                          Case{CovenantTreaty::Alliance, false, false, false},
                          Case{CovenantTreaty::Alliance, true, true, false}}) {
        Sent other(1, 1, {0.0f, 50.0f}, {1, c.treaty});
        other.fallen = c.fallen;
        Send({other, Sent(1, 1)});
        mine.eliminated = c.ownFallen;
        EXPECT_EQ(mine.HasWarWith(), c.told) << c.treaty << " " << c.fallen << " " << c.ownFallen;
    }
}

} // namespace
