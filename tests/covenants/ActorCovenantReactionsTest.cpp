// ActorCovenantReactionsTest -- how a rival takes what others do: cancelled pacts and routes, rumours, meetings, kills near and far, adventuring together and raids shared with an ally.
#include "covenants/ActorCovenantWorld.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

// The other party: it keeps the changes it hears of and answers a shared adventure unless told not to.
class ReactionSpy : public PlainCovenant {
public:
    void DescribeRelationChange(const Covenant*, float change) override { described.push_back(change); }
    void StartAdventuringWith(Covenant& other) override
    {
        if (!refuses)
            adventurePartner = other.index;
    }
    void StopAdventuringWith(Covenant& by) override
    {
        stoppedBy.push_back(by.index);
        adventurePartner = -1;
    }

    std::vector<float> described;
    std::vector<int32_t> stoppedBy;
    bool refuses = false;
};

class CovenantTraits : public ActorCovenantWorld {
protected:
    static constexpr const char* kReactionRecords = R"(
ObjectRaidGate
{
    Type Object
}
CovenantTouchy
{
    Type Covenant
    Name "$$CovenantTouchy$$"
    LifestoneHealthMult 2
    MinDifficultyModifier 1
    MaxDifficultyModifier 1
    StartNumRecruitsPerLevel 1
    StartRecruitMinLevelPercent 1
    StartRecruitMaxLevelPercent 1
    AdventureTypeTime 100
    StopRaidTime 10
    RelationForPeaceTreatyAverage 30
    PositiveRelationMultAverage 1
    NegativeRelationMultAverage 1
    RaidChanceMultBadRelations 100
    RelationChangeCancelledTreaty 0
    RelationChangeCancelledTreaty 0
    RelationChangeCancelledTreaty 0
    RelationChangeCancelledTreaty 0
    RelationChangeCancelledTreaty -10
    RelationChangeCancelledTreaty -15
    RelationChangeCancelledTreaty -20
    RelationChangeCancelledTradeRoute 0
    RelationChangeCancelledTradeRoute -2
    RelationChangeCancelledTradeRoute -4
    RelationChangeCancelledTradeRoute -6
    RelationChangeCancelledTradeRoute -8
    RelationChangeCancelledTradeRoute -10
    CancelledTreatyMultiplierNotMe 0.5
    CancelledTradeRouteMultiplierNotMe 0.25
    RelationChangeMinStartedRumor -5
    RelationChangeMaxStartedRumor -5
    SharedAdventureJealousMinRelation 40
    RelationChangeSharedAdventureJealous -2
    SharedAdventureXp 100
    RelationChangeSharedAdventureXp 2
    RelationChangeMinKilledEnemy 6
    RelationChangeMaxKilledEnemy 6
    MaxDistanceThreateningMonster 600
    RelationChangeMinKilledThreateningMonster 0.5
    RelationChangeMaxKilledThreateningMonster 0.5
    SharedRaidMinDamagePercent 0.25
    SharedRaidSuccessMinRelation 3
    SharedRaidSuccessMaxRelation 3
    SharedRaidFailureMinRelation -4
    SharedRaidFailureMaxRelation -4
}
CovenantNumb
{
    Base CovenantTouchy
    SharedAdventureXp 0
}
CovenantWary
{
    Base CovenantTouchy
    MinimumTimeBetweenRaids 1000
    RaidChanceMultRaidedLately 0
}
CovenantSpy
{
    Type Covenant
    Name "$$CovenantSpy$$"
    PositiveRelationMultAverage 1
    NegativeRelationMultAverage 1
}
)";

    CovenantTraits()
    {
        LoadRivalRecords(kReactionRecords);
        rival = &MakeRival("CovenantTouchy", 1000.0f);
        spy = &AddCovenantOf<ReactionSpy>("CovenantSpy");
        spy->leader = SpawnActor("MonsterTester", 5, 3000.0f, 3000.0f);
        third = &AddCovenantOf<ReactionSpy>("CovenantSpy");
        for (Covenant* covenant : {static_cast<Covenant*>(rival), static_cast<Covenant*>(spy), static_cast<Covenant*>(third)})
            covenant->EnsureRelationSlots(4);
        rival->SetRelation(spy->index, 50.0f);
        rival->SetRelation(third->index, 50.0f);
    }

    ActorCovenant& MakeRival(const char* definition, float x)
    {
        host.homePosition = At(x, 1000.0f);
        ActorCovenant& made = AddRival(definition);
        made.Start(2, 1);
        made.naturalHate = {};
        return made;
    }

    float Toward(const Covenant& other) const { return rival->GetRelation(other.index); }

    ActorCovenant* rival = nullptr;
    ReactionSpy* spy = nullptr;
    ReactionSpy* third = nullptr;
};

TEST_F(CovenantTraits, ACancelledPactOrRouteCostsTheCancellerFullyForItsPartnerAndLessForOnlookers)
{
    spy->SetTreatyState(rival->index, CovenantTreaty::NonAggressionPact);
    rival->OnTreatyCancelled(*spy, *rival);
    EXPECT_FLOAT_EQ(Toward(*spy), 40.0f);
    spy->SetTreatyState(third->index, CovenantTreaty::MutualProtectionPact);
    rival->OnTreatyCancelled(*spy, *third);
    EXPECT_FLOAT_EQ(Toward(*spy), 32.5f);
    // Its own cancelling changes nothing toward anyone.
    rival->OnTreatyCancelled(*rival, *spy);
    EXPECT_FLOAT_EQ(Toward(*spy), 32.5f);

    rival->OnTradeRouteCancelled(*third, *rival, 3);
    EXPECT_FLOAT_EQ(Toward(*third), 44.0f);
    rival->OnTradeRouteCancelled(*third, *spy, 4);
    EXPECT_FLOAT_EQ(Toward(*third), 42.0f);
    // A route of no kind, or of one past the table, is nothing.
    rival->OnTradeRouteCancelled(*third, *rival, 0);
    rival->OnTradeRouteCancelled(*third, *rival, 9);
    EXPECT_FLOAT_EQ(Toward(*third), 42.0f);
}

TEST_F(CovenantTraits, ARumourAndAMeetingBeyondTheJealousyLineAreHeardByTheirCovenants)
{
    rival->OnRumorStartedBy(*spy, 100);
    EXPECT_FLOAT_EQ(Toward(*spy), 45.0f);
    EXPECT_EQ(spy->described, std::vector<float>{-5.0f});

    // Below 40 the meeting stings by how far below: (1 - 20 / 40) x -2.
    rival->SetRelation(spy->index, 20.0f);
    rival->OnCovenantsMeet(*spy, *third);
    EXPECT_FLOAT_EQ(Toward(*spy), 19.0f);
    EXPECT_FLOAT_EQ(Toward(*third), 50.0f);
    EXPECT_EQ(spy->described.back(), -1.0f);
    EXPECT_TRUE(third->described.empty());
}

TEST_F(CovenantTraits, AdventuringTogetherIsSharedByBothAndTheLeadersExperienceWarmsTheRelation)
{
    spy->refuses = true;
    rival->StartAdventuringWith(*spy);
    EXPECT_NE(rival->activity, ActorCovenant::AdventuringWithCovenant);
    EXPECT_EQ(rival->adventurePartner, -1);

    spy->refuses = false;
    rival->StartAdventuringWith(*spy);
    EXPECT_EQ(rival->activity, ActorCovenant::AdventuringWithCovenant);
    EXPECT_EQ(rival->adventurePartner, spy->index);
    EXPECT_EQ(spy->adventurePartner, rival->index);

    Entity* leader = rival->GetLeader();
    ASSERT_NE(leader, nullptr);
    rival->OnSharedAdventureXp(*leader, 250);
    EXPECT_FLOAT_EQ(Toward(*spy), 54.0f);
    EXPECT_EQ(rival->sharedAdventureXp[static_cast<size_t>(spy->index)], 50);
    EXPECT_EQ(spy->described, (std::vector<float>{4.0f})) << "two steps reached at once, told once";
    // Only the leader's experience counts.
    rival->OnSharedAdventureXp(*spy->leader, 1000);
    EXPECT_FLOAT_EQ(Toward(*spy), 54.0f);

    // Stopping tells the partner; outside a shared adventure a stop does nothing.
    rival->StopAdventuringWith(*rival);
    EXPECT_EQ(rival->adventurePartner, -1);
    EXPECT_EQ(spy->stoppedBy, std::vector<int32_t>{rival->index});
    rival->StopAdventuringWith(*rival);
    EXPECT_EQ(spy->stoppedBy.size(), 1u);
}

// The steps a share reaches are taken together: a huge share costs no more than a small one.
TEST_F(CovenantTraits, AHugeSharedExperienceIsCountedInOneGoAndSeenOnce)
{
    ActorCovenant& jealous = MakeRival("CovenantTouchy", 2000.0f);
    jealous.EnsureRelationSlots(4);
    jealous.SetRelation(rival->index, 20.0f);
    jealous.SetRelation(spy->index, 50.0f);
    rival->StartAdventuringWith(*spy);
    ASSERT_EQ(rival->adventurePartner, spy->index);
    rival->OnSharedAdventureXp(*rival->GetLeader(), 30);
    rival->OnSharedAdventureXp(*rival->GetLeader(), 2147483647);
    // (30 + the share) capped at the largest count: 21474836 steps of 100, 47 left over.
    EXPECT_EQ(rival->sharedAdventureXp[static_cast<size_t>(spy->index)], 47);
    EXPECT_FLOAT_EQ(Toward(*spy), 100.0f);
    ASSERT_EQ(spy->described.size(), 1u);
    EXPECT_FLOAT_EQ(spy->described[0], 21474836.0f * 2.0f);
    EXPECT_FLOAT_EQ(jealous.GetRelation(rival->index), 19.0f) << "an onlooker stung once: (1 - 20 / 40) x -2";
    EXPECT_FLOAT_EQ(jealous.GetRelation(spy->index), 50.0f) << "above the jealousy line";
}

TEST_F(CovenantTraits, AStepOfNoExperienceCountsNothingAndEnds)
{
    ActorCovenant& numb = MakeRival("CovenantNumb", 2000.0f);
    numb.EnsureRelationSlots(4);
    numb.SetRelation(spy->index, 50.0f);
    numb.StartAdventuringWith(*spy);
    ASSERT_EQ(numb.adventurePartner, spy->index);
    numb.OnSharedAdventureXp(*numb.GetLeader(), 500);
    EXPECT_FLOAT_EQ(numb.GetRelation(spy->index), 50.0f);
    EXPECT_EQ(numb.sharedAdventureXp[static_cast<size_t>(spy->index)], 0);
}

TEST_F(CovenantTraits, AKillOfAnEnemysMemberIsCreditedByTheFallenCovenantsSize)
{
    Actor* first = SpawnActor("MonsterTester", 5, 3100.0f, 3000.0f);
    Actor* second = SpawnActor("MonsterTester", 5, 3200.0f, 3000.0f);
    spy->AddRecruit(*first);
    spy->AddRecruit(*second);
    Actor* killer = SpawnActor("MonsterTester", 5, 3300.0f, 3000.0f);
    killer->covenantIndex = third->index;
    // Not at war with the fallen covenant: nothing.
    rival->OnMemberKilled(*first, killer);
    EXPECT_FLOAT_EQ(Toward(*third), 50.0f);
    rival->SetTreatyState(spy->index, CovenantTreaty::War);
    rival->OnMemberKilled(*first, killer);
    EXPECT_FLOAT_EQ(Toward(*third), 53.0f);
    EXPECT_EQ(third->described, std::vector<float>{3.0f});
}

TEST_F(CovenantTraits, AThreateningMonsterKilledNearTheHomeWarmsTowardTheKillersCovenant)
{
    Actor* killer = SpawnActor("MonsterTester", 5, 900.0f, 1000.0f);
    killer->covenantIndex = spy->index;
    Actor* near = SpawnActor("MonsterTester", 5, 1300.0f, 1000.0f);
    Actor* far = SpawnActor("MonsterTester", 5, 1700.0f, 1000.0f);
    rival->OnMemberKilled(*far, killer);
    EXPECT_FLOAT_EQ(Toward(*spy), 50.0f);
    rival->OnMemberKilled(*near, killer);
    EXPECT_FLOAT_EQ(Toward(*spy), 50.5f);
    EXPECT_EQ(spy->described, std::vector<float>{0.5f});
    // A killer of no covenant is owed nothing.
    killer->covenantIndex = -1;
    rival->OnMemberKilled(*near, killer);
    EXPECT_FLOAT_EQ(Toward(*spy), 50.5f);
}

TEST_F(CovenantTraits, ASharedRaidLowersTheRelationUntilWantedAndIsJudgedByThePartnersShare)
{
    ActorCovenant& target = MakeRival("CovenantTouchy", 2000.0f);
    target.EnsureRelationSlots(4);
    rival->EnsureRelationSlots(4);
    rival->SetRelation(target.index, 60.0f);
    rival->JoinSharedRaid(*spy, target);
    // Wanted from a pressure of 0: the peace threshold of 30.
    EXPECT_FLOAT_EQ(rival->GetRelation(target.index), 30.0f);
    EXPECT_EQ(rival->targetCovenant, target.index);
    EXPECT_TRUE(rival->IsSharedRaidPartner(spy->index));
    EXPECT_FALSE(rival->IsSharedRaidPartner(third->index));

    // The partner dealt half the target's damage: a success.
    target.damageFrom[static_cast<size_t>(spy->index)] += 50.0f;
    target.damageFrom[static_cast<size_t>(rival->index)] += 50.0f;
    rival->EndRaid();
    EXPECT_FLOAT_EQ(Toward(*spy), 53.0f);
    EXPECT_EQ(spy->described, std::vector<float>{3.0f});
    EXPECT_FALSE(rival->IsSharedRaidPartner(spy->index));

    // Once more with a partner that did nothing: a failure.
    rival->lastRaidEnd = {};
    rival->JoinSharedRaid(*spy, target);
    ASSERT_EQ(rival->targetCovenant, target.index);
    rival->EndRaid();
    EXPECT_FLOAT_EQ(Toward(*spy), 49.0f);
}

TEST_F(CovenantTraits, ASharedRaidNeverWantedStopsAtNothingAndAForgottenTargetEndsTheRaid)
{
    ActorCovenant& wary = MakeRival("CovenantWary", 2000.0f);
    ActorCovenant& target = MakeRival("CovenantTouchy", 3000.0f);
    for (ActorCovenant* covenant : {&wary, &target})
        covenant->EnsureRelationSlots(5);
    wary.SetRelation(target.index, 5.0f);
    wary.JoinSharedRaid(*spy, target);
    EXPECT_FLOAT_EQ(wary.GetRelation(target.index), 0.0f);
    EXPECT_EQ(wary.targetCovenant, -1);

    rival->EnsureRelationSlots(5);
    rival->SetRelation(target.index, 0.0f);
    rival->JoinSharedRaid(*spy, target);
    EXPECT_EQ(rival->targetCovenant, target.index);
    EXPECT_FLOAT_EQ(rival->GetRelation(target.index), 0.0f);
    rival->ForgetCovenant(target);
    EXPECT_EQ(rival->targetCovenant, -1);
    EXPECT_EQ(rival->activity, ActorCovenant::Home);
}
