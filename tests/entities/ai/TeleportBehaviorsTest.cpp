// TeleportBehaviorsTest -- the blink away from a near enemy, the jump to a far leader and the raider's arrival at the raided home.
#include "entities/NeutralCovenant.h"
#include "entities/ai/BehaviorTeleport.h"
#include "entities/ai/BehaviorTeleportRaid.h"
#include "entities/ai/BehaviorTeleportToLeader.h"
#include "entities/ai/BehaviorWorld.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class TeleportBehaviors : public BehaviorWorld {
protected:
    TeleportBehaviors()
    {
        teleport->actor = actor;
        teleport->tuning.minRange = 50.0f;
        teleport->tuning.teleportTime = 10.0f;
        actor->AddHate(enemy, 5.0f, 0);
        actor->UpdateHateTarget(0.05f);
    }

    Actor* actor = SpawnActor("MonsterTester", 5, 400.0f, 400.0f);
    Sentient* enemy = SpawnTarget(350.0f, 400.0f);
    std::unique_ptr<BehaviorTeleport> teleport = std::make_unique<BehaviorTeleport>();
};

} // namespace

TEST_F(TeleportBehaviors, ItBlinksOnlyWhileTheEnemyIsStrictlyNearer)
{
    EXPECT_FALSE(teleport->WantsToRun()) << "exactly MinRange";
    enemy->SetPosition(At(350.1f, 400.0f));
    EXPECT_TRUE(teleport->WantsToRun());
    EXPECT_FALSE(teleport->ContinueRunning());
}

TEST_F(TeleportBehaviors, TheBlinkLands200AwayFromTheEnemyThenWaitsTenToElevenSeconds)
{
    enemy->SetPosition(At(370.0f, 400.0f));
    ASSERT_TRUE(teleport->WantsToRun());
    teleport->Start();
    EXPECT_GT(actor->position.x, 560.0f);
    EXPECT_LT(actor->position.x, 680.0f);
    teleport->Stop();
    EXPECT_GE(teleport->teleportTimer.remaining, 10.0f);
    EXPECT_LT(teleport->teleportTimer.remaining, 11.0f);
    enemy->SetPosition(At(actor->position.x - 10.0f, actor->position.y));
    EXPECT_FALSE(teleport->WantsToRun());
    teleport->teleportTimer.Update(11.0f);
    EXPECT_TRUE(teleport->WantsToRun());
}

TEST_F(TeleportBehaviors, ADestinationOffEveryLevelLeavesTheActorWhereItIs)
{
    game.levelCount = 1;
    actor->SetPosition(At(400.0f, 10.0f));
    enemy->SetPosition(At(400.0f, 150.0f));  // the blink would end 190 south of the level's edge
    teleport->Start();
    EXPECT_EQ(actor->position.level, 0);
    EXPECT_FLOAT_EQ(actor->position.y, 10.0f);
}

// ---- To the leader ----------------------------------------------------------------------------------

namespace {

class PartnerCovenant : public NeutralCovenant {
public:
    bool IsMember(const Sentient&) const override { return true; }
    int32_t GetPartnerIndex() const override { return partner; }
    int32_t GetPartnerTreaty() const override { return treaty; }
    bool IsInRaidingParty(const Sentient&) const override { return inParty; }
    bool IsRaiding() const override { return raiding; }

    int32_t partner = -1;
    int32_t treaty = 0;
    bool inParty = true;
    bool raiding = true;
};

class LeaderTeleport : public BehaviorWorld {
protected:
    LeaderTeleport()
    {
        follower->SetLeader(leader);
        jump->tuning.maxRange = 300.0f;
        jump->tuning.maxOptimalRange = 40.0f;
    }

    ~LeaderTeleport() override { follower->covenantIndex = -1; }

    Actor* follower = SpawnActor("MonsterTester", 5, 100.0f, 100.0f);
    Actor* leader = SpawnActor("MonsterTester", 5, 500.0f, 100.0f);
    std::unique_ptr<BehaviorTeleportToLeader> jump = BoundTo<BehaviorTeleportToLeader>(follower);
};

} // namespace

TEST_F(LeaderTeleport, AFarLeaderIsJoinedInsideTheArrivalBoxAndTheHateIsDropped)
{
    EXPECT_TRUE(jump->WantsToRun());
    Sentient* enemy = SpawnTarget(90.0f, 100.0f);
    follower->AddHate(enemy, 5.0f, 0);
    jump->Start();
    EXPECT_FALSE(jump->ContinueRunning()) << "one step per run";
    EXPECT_LE(std::abs(follower->position.x - 500.0f), 40.0f + 32.0f);
    EXPECT_LE(std::abs(follower->position.y - 100.0f), 40.0f + 32.0f);
    EXPECT_TRUE(follower->GetHateList().empty());
}

TEST_F(LeaderTeleport, TenBlockedTriesLeaveTheActorWhereItIs)
{
    game.lineBlocked = [](const WorldPos&, const WorldPos&) { return true; };
    jump->Start();
    EXPECT_FLOAT_EQ(follower->position.x, 100.0f);
    EXPECT_FLOAT_EQ(follower->position.y, 100.0f);
}

TEST_F(LeaderTeleport, NoJumpToADeadLeaderOrOneWithinRange)
{
    leader->health = 0;
    EXPECT_FALSE(jump->WantsToRun());
    leader->health = leader->maxHealth;
    leader->SetPosition(At(400.0f, 100.0f));
    EXPECT_FALSE(jump->WantsToRun()) << "exactly MaxRange";
}

TEST_F(LeaderTeleport, APartneredActorFollowsOnlyOnLevel0AndStaysAtThePartnersHomeWithoutItsLeader)
{
    game.levelCount = 2;
    PartnerCovenant own;
    NeutralCovenant partner;
    partner.home = At(-300.0f, 100.0f);  // 400 from the follower, 800 from its leader
    game.covenants = {&own, &partner};
    own.partner = 1;
    follower->covenantIndex = 0;
    EXPECT_FALSE(jump->WantsToRun()) << "at the partner's home, the leader far from it";
    partner.home = At(2000.0f, 100.0f);
    EXPECT_TRUE(jump->WantsToRun());
    leader->SetPosition(At(500.0f, 100.0f, 1));
    EXPECT_FALSE(jump->WantsToRun()) << "the leader is not on level 0";
}

// ---- Raids ---------------------------------------------------------------------------------------------

namespace {

class RaidTeleport : public BehaviorWorld {
protected:
    RaidTeleport()
    {
        home->SetPosition(At(600.0f, 300.0f));
        raided.homeEntity = home;
        raided.home = home->position;
        game.covenants = {&raiders, &raided};
        raiders.partner = 1;
        raiders.treaty = EntityCovenant::kTreatyRaid;
        raider->covenantIndex = 0;
        raid->tuning.maxRange = 300.0f;
        raid->tuning.maxRangeWithEnemy = 50.0f;
    }

    ~RaidTeleport() override { raider->covenantIndex = -1; }

    class HomeCovenant : public NeutralCovenant {
    public:
        Entity* GetHomeEntity() const override { return homeEntity; }
        Entity* homeEntity = nullptr;
    };

    PartnerCovenant raiders;
    HomeCovenant raided;
    Entity* home = Spawn<Entity>(600.0f, 300.0f);
    Actor* raider = SpawnActor("MonsterTester", 5, 100.0f, 300.0f);
    std::unique_ptr<BehaviorTeleportRaid> raid = BoundTo<BehaviorTeleportRaid>(raider);
};

} // namespace

TEST_F(RaidTeleport, ARaiderFarFromTheRaidedHomeArrivesAtItsSpawnPointWithItsHateCleared)
{
    Sentient* enemy = SpawnTarget(40.0f, 300.0f);
    raider->AddHate(enemy, 5.0f, 0);
    raider->UpdateHateTarget(0.05f);
    ASSERT_TRUE(raid->WantsToRun()) << "the enemy is 60 away";
    raid->Start();
    EXPECT_NEAR(raider->position.x, 800.0f, 32.0f) << "200 along x from the home entity";
    EXPECT_NEAR(raider->position.y, 300.0f, 32.0f);
    EXPECT_TRUE(raider->GetHateList().empty());
}

TEST_F(RaidTeleport, EveryConditionOfTheRaidIsNeeded)
{
    ASSERT_TRUE(raid->WantsToRun());
    raiders.treaty = 2;
    EXPECT_FALSE(raid->WantsToRun()) << "not a raid";
    raiders.treaty = EntityCovenant::kTreatyRaid;
    raiders.inParty = false;
    EXPECT_FALSE(raid->WantsToRun()) << "not in the raiding party";
    raiders.inParty = true;
    raiders.raiding = false;
    EXPECT_FALSE(raid->WantsToRun()) << "no raid under way";
    raiders.raiding = true;
    raiders.partner = 5;
    EXPECT_FALSE(raid->WantsToRun()) << "no partner covenant";
    raiders.partner = 1;
    raider->SetPosition(At(301.0f, 300.0f));
    EXPECT_FALSE(raid->WantsToRun()) << "nearer than MaxRange to the raided home";
    raider->SetPosition(At(300.0f, 300.0f));
    EXPECT_TRUE(raid->WantsToRun()) << "exactly MaxRange";
}

TEST_F(RaidTeleport, AnEnemyTooNearKeepsTheRaiderFighting)
{
    Sentient* enemy = SpawnTarget(60.0f, 300.0f);
    raider->AddHate(enemy, 5.0f, 0);
    raider->UpdateHateTarget(0.05f);
    EXPECT_FALSE(raid->WantsToRun()) << "40 away, below 50";
}
