// CovenantMirrorTest -- every covenant's record as the host's covenants write it, read into the client's mirrors field by field; relations held in range, the low-relation topic offered on the fall, traits bounded, and cut or hostile records refused without a trace.
#include "client/PlayerClientWorld.h"
#include "client/PlayerCovenantClient.h"

#include "covenants/PlayerCovenant.h"
#include "covenants/PlayerHouseRecords.h"
#include "rules/covenants/DiplomacyText.h"

#include <climits>
#include <memory>

namespace {

constexpr const char* kCovenantMirrorRecords = R"(
Elves
{
    Type Covenant
    Name "$$CovenantElves$$"
    SmallCrestName "textures/crests/elves_small.tga"
}
TraitBold
{
    Type CovenantTrait
}
TraitWary
{
    Type CovenantTrait
}
ObjectPedestal
{
    Type Object
}
)";

} // namespace

class CovenantMirror : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorld("UsingCovenants 1\nMaxRecruits 4\nStartPosition 0.5 0.5\n",
                   std::string(kPlayerHouseRecords) + kCovenantMirrorRecords);
        ui.hintChain = {{"LowRelation", ""}};
        MakePlayer();
        player->SetCovenant(&own);
    }

    // One record in the host's order, toward count covenants, each relation the value given.
    static MessageBuffer Written(int32_t count, float relation, bool eliminated, int32_t traitCount = 2)
    {
        MessageBuffer buffer;
        buffer.WriteInt(0);
        buffer.WriteString("Elder Grove");
        buffer.WriteInt(1);
        buffer.WriteFloat(10.0f);
        buffer.WriteFloat(20.0f);
        buffer.WriteBool(eliminated);
        for (int32_t value : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})
            buffer.WriteInt(value);
        buffer.WriteInt(4);   // leader level
        buffer.WriteInt(50);  // home health
        buffer.WriteInt(40);  // home maximum
        for (int32_t j = 0; j < count; ++j) {
            buffer.WriteFloat(relation);
            buffer.WriteInt(2);
            buffer.WriteInt(3);
            buffer.WriteTimeStamp(TimeStamp{1, 2, 3, 4.0f});
        }
        buffer.WriteInt(77);
        buffer.WriteInt(traitCount);
        for (int32_t i = 0; i < std::min(traitCount, 2); ++i)
            buffer.WriteInt(1 - i);
        buffer.WriteInt(88);
        buffer.WriteBool(true);
        buffer.WriteInt(-1);
        buffer.SetReadPos(0);
        return buffer;
    }

    static bool Read(CovenantClient& covenant, MessageBuffer buffer, int32_t count)
    {
        CovenantClient::Record record;
        if (!CovenantClient::ReadRecord(buffer, count, record))
            return false;
        covenant.Apply(record);
        return true;
    }

    PlayerCovenantClient own;
};

TEST_F(CovenantMirror, EveryCovenantOfTheHostArrivesFieldByField)
{
    Join();
    // Four more covenants beside the player's, each with its own values.
    for (int32_t i = 0; i < 4; ++i) {
        auto covenant = std::make_unique<PlayerCovenant>();
        covenant->SetDefinitionByName(i % 2 ? "Human" : "Elves");
        covenant->name = "Rival " + std::to_string(i);
        covenant->homeLevel = i;
        covenant->homeX = 100.0f + i;
        covenant->homeY = 200.0f + i;
        covenant->eliminated = i == 2;
        covenant->statistics.Set(CovenantStat::InfluenceWorld, 10 * i);
        covenant->statistics.Set(CovenantStat::InfluenceAdventure, 3);
        covenant->statistics.Set(CovenantStat::Money, 1000 + i);
        covenant->statistics.Set(CovenantStat::People, 5 + i);
        covenant->leaderLevel = 7 + i;
        covenant->SetHomeMaxHealth(300);
        covenant->SetHomeHealth(150 + i);
        covenant->targetCovenant = i == 1 ? 0 : -1;
        game->AddCovenant(std::move(covenant));
    }
    for (int32_t i = 0; i < game->GetCovenantCount(); ++i)
        for (int32_t j = 0; j < game->GetCovenantCount(); ++j)
            if (i != j)
                game->GetCovenant(i)->SetRelation(j, 10.0f * static_cast<float>(i + j));
    game->GetCovenant(1)->SetTreatyState(2, 2);
    for (int32_t i = 0; i < 3; ++i)
        ClientFrame(50);

    ASSERT_EQ(gameClient->GetCovenantCount(), game->GetCovenantCount());
    ASSERT_EQ(gameClient->GetCovenantCount(), 5);
    for (int32_t i = 0; i < game->GetCovenantCount(); ++i) {
        const Covenant* host = game->GetCovenant(i);
        const CovenantClient* mirror = gameClient->GetCovenant(i, false);
        ASSERT_NE(mirror, nullptr) << i;
        EXPECT_EQ(mirror->GetDefinitionIndex(), host->GetDefinitionIndex()) << i;
        EXPECT_EQ(mirror->GetName(), host->GetName()) << i;
        EXPECT_EQ(mirror->homeLevel, host->homeLevel) << i;
        EXPECT_FLOAT_EQ(mirror->homeY, host->homeY) << i;
        EXPECT_EQ(mirror->eliminated, host->eliminated) << i;
        for (int32_t stat : {CovenantStat::InfluenceAdventure, CovenantStat::InfluenceWorld, CovenantStat::Money,
                             CovenantStat::People, CovenantStat::GuardCosts})
            EXPECT_EQ(mirror->statistics.Get(stat), host->statistics.Get(stat)) << i << " " << stat;
        EXPECT_EQ(mirror->GetTotalInfluence(), host->GetTotalInfluence()) << i;
        EXPECT_EQ(mirror->leaderLevel, host->leaderLevel) << i;
        EXPECT_EQ(mirror->GetHomeHealth(), host->GetHomeHealth()) << i;
        EXPECT_EQ(mirror->GetHomeMaxHealth(), host->GetHomeMaxHealth()) << i;
        EXPECT_EQ(mirror->targetCovenant, host->targetCovenant) << i;
        for (int32_t j = 0; j < game->GetCovenantCount(); ++j) {
            EXPECT_FLOAT_EQ(mirror->GetRelation(j), host->GetRelation(j)) << i << " " << j;
            EXPECT_EQ(mirror->GetTreatyState(j), host->GetTreatyState(j)) << i << " " << j;
        }
        EXPECT_EQ(DiplomacyText::MoodDescription(*mirror, 0), DiplomacyText::MoodDescription(*host, 0)) << i;
    }
}

TEST_F(CovenantMirror, RelationsAreHeldInRangeAndTheFallTowardTheLastCovenantIsTold)
{
    Join();
    CovenantClient covenant;
    covenant.index = 0;
    ASSERT_TRUE(Read(covenant, Written(3, 50.0f, false), 3));
    EXPECT_TRUE(ui.shownHints.empty());
    ASSERT_TRUE(Read(covenant, Written(3, 45.0f, false), 3));
    EXPECT_EQ(ui.shownHints, (std::vector<std::string>{"LowRelation"}));
    // Already at 45, a further fall is no news.
    ASSERT_TRUE(Read(covenant, Written(3, 40.0f, false), 3));
    EXPECT_EQ(ui.shownHints.size(), 1u);
    EXPECT_EQ(covenant.GetTreatyState(2), 2);
    EXPECT_EQ(covenant.GetTradeRouteKind(2), 3);
    EXPECT_EQ(covenant.GetRelationTimeStamp(2).hours, 2);

    ASSERT_TRUE(Read(covenant, Written(3, 120.0f, false), 3));
    EXPECT_FLOAT_EQ(covenant.GetRelation(1), 100.0f);
    ASSERT_TRUE(Read(covenant, Written(3, -3.0f, false), 3));
    EXPECT_FLOAT_EQ(covenant.GetRelation(1), 0.0f);
}

TEST_F(CovenantMirror, TheRestOfTheRecordLandsAndRelationsPastThirtyTwoAreDropped)
{
    CovenantClient covenant;
    ASSERT_TRUE(Read(covenant, Written(40, 30.0f, true), 40));
    EXPECT_EQ(covenant.name, "Elder Grove");
    EXPECT_TRUE(covenant.eliminated);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::InfluenceAdventure), 1);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::InfluenceTransferred), 4);
    EXPECT_EQ(covenant.GetTotalInfluence(), 10);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::GuardCosts), 5);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::Money), 10);
    // The health is held to the maximum.
    EXPECT_EQ(covenant.GetHomeHealth(), 40);
    EXPECT_FLOAT_EQ(covenant.GetRelation(31), 30.0f);
    EXPECT_FALSE(covenant.HasRelation(32));
    EXPECT_EQ(covenant.recordWord1, 77);
    EXPECT_EQ(covenant.GetTraitCount(), 2);
    EXPECT_EQ(covenant.GetTraitId(0), 1);
    EXPECT_EQ(covenant.GetTraitId(1), 0);
    EXPECT_EQ(covenant.recordWord2, 88);
    EXPECT_TRUE(covenant.recordFlag);
    EXPECT_TRUE(covenant.received);

    CovenantClient none;
    ASSERT_TRUE(Read(none, Written(1, 30.0f, false, 0), 1));
    EXPECT_EQ(none.GetTraitCount(), 0);
    EXPECT_EQ(none.GetTraitId(0), -1);
}

TEST_F(CovenantMirror, ACutRecordOrAHostileTraitCountIsRefused)
{
    MessageBuffer whole = Written(2, 30.0f, false);
    CovenantClient::Record record;
    for (size_t cut = 0; cut < whole.Size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(whole.Data(), cut);
        part.SetReadPos(0);
        EXPECT_FALSE(CovenantClient::ReadRecord(part, 2, record)) << cut;
    }
    for (int32_t traits : {-1, 5, INT_MAX}) {
        MessageBuffer hostile = Written(2, 30.0f, false, traits);
        EXPECT_FALSE(CovenantClient::ReadRecord(hostile, 2, record)) << traits;
    }
    MessageBuffer sound = Written(2, 30.0f, false);
    EXPECT_FALSE(CovenantClient::ReadRecord(sound, -1, record));
}
