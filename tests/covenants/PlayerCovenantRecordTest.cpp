// PlayerCovenantRecordTest -- the player covenant's record in its client's game update: exact bytes, read back in the client's order, the think-time flag and the recruit candidate the player's target makes.
#include "covenants/PlayerCovenantWorld.h"
#include "covenants/Recruit.h"
#include "entities/Inventory.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kCandidateRecords = R"(
ActorVillager
{
    Type Actor
    Base ActorTestBase
    Npc 1
}
ActorRescuee
{
    Type Actor
    Base ActorVillager
    CanBeRescued 1
}
ActorCourierTarget
{
    Type Actor
    Base ActorVillager
    CanReceiveDelivery 1
}
ActorEscortee
{
    Type Actor
    Base ActorVillager
    CanBeEscorted 1
}
ActorQuestGiver
{
    Type Actor
    Base ActorVillager
    GivesQuests 1
    NpcType Steward
}
ActorRecruiter
{
    Type Actor
    Base ActorVillager
    GivesQuests 1
    NpcType Recruit
}
MonsterVillager
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorVillager
}
MonsterRescuee
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorRescuee
}
MonsterCourierTarget
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorCourierTarget
}
MonsterEscortee
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorEscortee
}
MonsterQuestGiver
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorQuestGiver
}
MonsterRecruiter
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorRecruiter
}
)";

// The record as the client reads it, field by field; false when it is cut or runs on.
struct ClientCovenantPart {
    std::string name;
    int32_t homeLevel = 0;
    float homeX = 0.0f;
    float homeY = 0.0f;
    int32_t index = 0;
    std::vector<int32_t> slots;
    std::vector<int32_t> entityNumbers;
    std::vector<int32_t> counters;
    int32_t maxNpcs = 0;
    int32_t maxLifestone = 0;
    int32_t money = 0;
    bool eliminated = false;
    bool beingRaided = false;
    bool thinking = false;
    bool raiding = false;
    int32_t target = 0;
    int32_t health = 0;
    int32_t maxHealth = 0;
    bool candidate = false;
    int32_t candidateNumber = -1;

    // A recruit block: type, stat values, inventory, entity number, the values list with its
    // count, the word, the second list with its count.
    static bool ReadRecruit(MessageBuffer& buffer, int32_t& entityNumber)
    {
        buffer.ReadInt();
        IntArray stats(RecruitBase::kStatCount);
        Inventory inventory;
        if (!stats.ReadValues(buffer) || !inventory.Read(buffer, false, 51))
            return false;
        entityNumber = buffer.ReadInt();
        int32_t count = buffer.ReadInt();
        for (int32_t i = 0; i < count && !buffer.Overrun(); ++i)
            buffer.ReadInt();
        buffer.ReadUInt();
        count = buffer.ReadInt();
        for (int32_t i = 0; i < count && !buffer.Overrun(); ++i)
            buffer.ReadInt();
        return !buffer.Overrun();
    }

    bool Read(MessageBuffer& buffer)
    {
        name = buffer.ReadString();
        homeLevel = buffer.ReadInt();
        homeX = buffer.ReadFloat();
        homeY = buffer.ReadFloat();
        index = buffer.ReadInt();
        Inventory inventory;
        if (!inventory.Read(buffer, false, 51))
            return false;
        int32_t count = buffer.ReadInt();
        for (int32_t i = 0; i < count && !buffer.Overrun(); ++i) {
            slots.push_back(buffer.ReadInt());
            int32_t number = -1;
            if (!ReadRecruit(buffer, number))
                return false;
            entityNumbers.push_back(number);
        }
        for (int32_t i = 0; i < 4; ++i)
            counters.push_back(buffer.ReadInt());
        maxNpcs = buffer.ReadInt();
        maxLifestone = buffer.ReadInt();
        money = buffer.ReadInt();
        eliminated = buffer.ReadBool();
        beingRaided = buffer.ReadBool();
        thinking = buffer.ReadBool();
        raiding = buffer.ReadBool();
        target = buffer.ReadInt();
        health = buffer.ReadInt();
        maxHealth = buffer.ReadInt();
        candidate = buffer.ReadBool();
        if (candidate && !ReadRecruit(buffer, candidateNumber))
            return false;
        return !buffer.Overrun() && buffer.GetReadPos() == buffer.Size();
    }
};

} // namespace

class PlayerCovenantRecord : public PlayerCovenantWorld {
protected:
    PlayerCovenantRecord() : PlayerCovenantWorld(kCandidateRecords) {}

    static MessageBuffer Update(PlayerCovenant& covenant)
    {
        MessageBuffer buffer;
        covenant.WriteUpdate(buffer);
        buffer.SetReadPos(0);
        return buffer;
    }

    // An actor of the monster type the player targets.
    Actor* Targeted(Player& player, const char* type)
    {
        Actor* actor = SpawnActor(type, 3, 150.0f, 100.0f);
        actor->RecalculateStats(true);
        player.SetSelectedTarget(actor);
        return actor;
    }
};

TEST_F(PlayerCovenantRecord, ANewCovenantWithoutAHouseSendsTheseBytes)
{
    PlayerCovenant& covenant = AddPlayerCovenant();
    MessageBuffer expected;
    expected.WriteString("Human");
    expected.WriteInt(-1);
    expected.WriteFloat(0.0f);
    expected.WriteFloat(0.0f);
    expected.WriteInt(covenant.index);
    covenant.inventory->Write(expected, false);
    for (int32_t word : {0, 0, 0, 0, 0, 4, 100, 0, 0, 0, 0, 0, -1, 0, 0, 0})
        expected.WriteInt(word);
    MessageBuffer written = Update(covenant);
    ASSERT_EQ(written.Size(), expected.Size());
    EXPECT_EQ(std::vector<uint8_t>(written.Data(), written.Data() + written.Size()),
              std::vector<uint8_t>(expected.Data(), expected.Data() + expected.Size()));
}

TEST_F(PlayerCovenantRecord, RecruitsInSlotsZeroAndThreeReadBackInTheClientsOrder)
{
    PlayerCovenant& covenant = AddPlayerCovenant();
    CovenantSettingsBlock block;
    block.loaded = true;
    block.recruits = {{3, Id("MonsterTester"), 5}, {0, Id("MonsterTester"), 2}};
    block.statistics[CovenantStat::Money] = 640;
    block.statistics[CovenantStat::MaxNPCs] = 6;
    block.statistics[CovenantStat::MaxLifeStone] = 150;
    block.health = 55;
    block.maxHealth = 75;
    MessageBuffer settings = Written(block);
    ASSERT_TRUE(covenant.ReadSettings(settings));
    covenant.PlaceInWorld();
    covenant.CountWorldResult(Covenant::kWorldsLost);
    covenant.CountWorldResult(Covenant::kWorldsLost);
    covenant.CountWorldResult(Covenant::kWorldsWonAllied);
    covenant.targetCovenant = 1;
    MessageBuffer buffer = Update(covenant);
    ClientCovenantPart record;
    ASSERT_TRUE(record.Read(buffer));
    EXPECT_EQ(record.name, "Ember Hall");
    EXPECT_EQ(record.homeLevel, 0);
    EXPECT_FLOAT_EQ(record.homeX, covenant.GetHomeEntity()->position.x);
    EXPECT_EQ(record.slots, (std::vector<int32_t>{0, 3}));
    EXPECT_EQ(record.entityNumbers,
              (std::vector<int32_t>{covenant.GetRecruitActor(0)->entityNumber, covenant.GetRecruitActor(3)->entityNumber}));
    EXPECT_EQ(record.counters, (std::vector<int32_t>{0, 2, 0, 1}));
    EXPECT_EQ(record.maxNpcs, 6);
    EXPECT_EQ(record.maxLifestone, 150);
    EXPECT_EQ(record.money, 640);
    EXPECT_TRUE(record.raiding);
    EXPECT_EQ(record.target, 1);
    EXPECT_EQ(record.health, 55);
    EXPECT_EQ(record.maxHealth, 75);
    EXPECT_FALSE(record.candidate);
}

TEST_F(PlayerCovenantRecord, TheThinkFlagComparesDaysHoursMinutesThenSecondsStrictly)
{
    PlayerCovenant& covenant = AddPlayerCovenant();
    struct Case {
        TimeStamp stamp;
        bool after;
    };
    host.clock = {2, 5, 30, 10.0f};
    const Case cases[] = {
        {{2, 5, 30, 10.0f}, false},  // equal in every field
        {{2, 5, 30, 10.5f}, true},   // equal minutes, later seconds
        {{2, 5, 30, 9.5f}, false},   // equal minutes, earlier seconds
        {{2, 5, 31, 0.0f}, true},    // a later minute decides before the seconds
        {{2, 5, 29, 59.0f}, false},  // an earlier minute, whatever its seconds
        {{2, 6, 0, 0.0f}, true},     // a later hour
        {{3, 0, 0, 0.0f}, true},     // a later day
        {{1, 23, 59, 59.0f}, false}, // an earlier day
    };
    for (const Case& check : cases) {
        covenant.nextThinkTime = check.stamp;
        MessageBuffer buffer = Update(covenant);
        ClientCovenantPart record;
        ASSERT_TRUE(record.Read(buffer));
        EXPECT_EQ(record.thinking, check.after) << check.stamp.days << ":" << check.stamp.hours << ":"
                                                << check.stamp.minutes << ":" << check.stamp.seconds;
    }
}

TEST_F(PlayerCovenantRecord, AnotherCovenantsRaidAndEliminationAreFlagged)
{
    PlayerCovenant& covenant = AddPlayerCovenant();
    PlainCovenant& raider = AddCovenant();
    raider.targetCovenant = covenant.index;
    MessageBuffer peace = Update(covenant);
    ClientCovenantPart record;
    ASSERT_TRUE(record.Read(peace));
    EXPECT_FALSE(record.beingRaided) << "a target without the raid treaty is no raid";
    covenant.SetTreatyState(raider.index, CovenantTreaty::Raid);
    covenant.eliminated = true;
    MessageBuffer raided = Update(covenant);
    ClientCovenantPart second;
    ASSERT_TRUE(second.Read(raided));
    EXPECT_TRUE(second.beingRaided);
    EXPECT_TRUE(second.eliminated);
    EXPECT_FALSE(second.raiding);
    EXPECT_EQ(second.target, -1);
}

TEST_F(PlayerCovenantRecord, OnlyAFriendlyFreeNpcOnNoErrandBecomesTheCandidate)
{
    PlayerCovenant& covenant = AddPlayerCovenant();
    Player* player = AddPlayer(covenant);
    struct Case {
        const char* definition;
        bool candidate;
    };
    for (const Case& check : {Case{"MonsterVillager", true}, Case{"MonsterRescuee", false},
                              Case{"MonsterCourierTarget", false}, Case{"MonsterEscortee", false},
                              Case{"MonsterQuestGiver", false}, Case{"MonsterRecruiter", true},
                              Case{"MonsterTester", false}}) {
        Actor* actor = Targeted(*player, check.definition);
        covenant.Update(0.05f);
        EXPECT_EQ(covenant.GetCandidate()->GetActor() == actor, check.candidate) << check.definition;
        MessageBuffer buffer = Update(covenant);
        ClientCovenantPart record;
        ASSERT_TRUE(record.Read(buffer)) << check.definition;
        EXPECT_EQ(record.candidate, check.candidate) << check.definition;
        if (check.candidate) {
            EXPECT_EQ(record.candidateNumber, actor->entityNumber);
            // Only pointed at: the NPC keeps its own covenant and takes no recruit effect.
            EXPECT_EQ(actor->covenantIndex, -1);
            EXPECT_TRUE(actor->GetStatusEffects().empty());
        }
    }
    // A villager that hates the player, is dead or serves a covenant is no candidate.
    Actor* hostile = Targeted(*player, "MonsterVillager");
    hostile->AddToHateList(player);
    covenant.Update(0.05f);
    EXPECT_EQ(covenant.GetCandidate()->GetActor(), nullptr);
    Actor* serving = Targeted(*player, "MonsterVillager");
    serving->covenantIndex = 7;
    covenant.Update(0.05f);
    EXPECT_EQ(covenant.GetCandidate()->GetActor(), nullptr);
    Actor* dead = Targeted(*player, "MonsterVillager");
    covenant.Update(0.05f);
    ASSERT_EQ(covenant.GetCandidate()->GetActor(), dead);
    dead->health = 0;
    covenant.Update(0.05f);
    EXPECT_EQ(covenant.GetCandidate()->GetActor(), nullptr) << "the candidate is emptied first every step";
}
