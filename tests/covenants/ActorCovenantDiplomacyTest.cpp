// ActorCovenantDiplomacyTest -- a rival's relations, fear and war, and its raids: the wish at its edges, one gate per covenant, the stop total and the party brought home.
#include "covenants/ActorCovenantWorld.h"
#include "entities/CombatSystem.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

class CovenantRelations : public ActorCovenantWorld {
protected:
    static constexpr const char* kMindRecords = R"(
CovenantMind
{
    Type Covenant
    Name "$$CovenantMind$$"
    LifestoneHealthMult 2
    MinDifficultyModifier 1
    MaxDifficultyModifier 1
    StartNumRecruitsPerLevel 1
    StartRecruitMinLevelPercent 1
    StartRecruitMaxLevelPercent 1
    TimeBetweenRandomRelationChanges 10
    StopRaidTime 10
    AdventureTypeTime 100
    RelationForPeaceTreatyAverage 30
    PositiveRelationMultAverage 1
    NegativeRelationMultAverage 1
    BaseFear 10
    MaxFear 15
    LifeStoneDangerLevel 0.25
    LifeStoneThreatenedLevel 0.5
    LifeStoneDamagedLevel 0.75
    FearMultLifeStoneDanger 4
    FearMultLifeStoneThreatened 2
    FearMultLifeStoneDamaged 1.25
    MinPowerDiff 1
    MaxPowerDiff 1
    RaidChanceMultBadRelations 100
    SlowStartTime 100
    WinningRaidWellLifeStoneDifference 0.5
    WinningRaidLifeStoneDifference 0.2
}
ObjectRaidGate
{
    Type Object
}
CovenantTired
{
    Base CovenantMind
    StopRaidChanceChangeLifeStoneDamaged -0.99
}
CovenantStubborn
{
    Base CovenantMind
    StopRaidChanceChangeLifeStoneDamaged -0.98
}
)";

    CovenantRelations()
    {
        LoadRivalRecords(kMindRecords);
        host.homePosition = At(1000.0f, 1000.0f);
        mind = &AddRival("CovenantMind");
        mind->Start(2, 1);
        host.homePosition = At(2000.0f, 1000.0f);
        other = &AddRival("CovenantMind");
        other->Start(2, 1);
        for (ActorCovenant* covenant : {mind, other}) {
            covenant->EnsureRelationSlots(1);
            covenant->naturalHate = {};
        }
    }

    int32_t CountGates() const
    {
        int32_t gates = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            if (const Entity* entity = game.GetEntity(i);
                entity && entity->GetEntry() && entity->GetEntry()->GetName() == "ObjectRaidGate")
                ++gates;
        return gates;
    }

    ActorCovenant* mind = nullptr;
    ActorCovenant* other = nullptr;
};

TEST_F(CovenantRelations, WarComesOnlyWhenThePressureIsAboveNothing)
{
    // Wanted for peace: 30 x 1 less no fear.
    mind->SetRelation(other->index, 30.0f);
    EXPECT_FLOAT_EQ(mind->WarPressure(other->index), 0.0f);
    mind->DiplomacyPass();
    // The pass recomputes fear (10 at full health), which lowers the bar: still peace.
    EXPECT_EQ(mind->GetTreatyState(other->index), CovenantTreaty::Peace);
    EXPECT_FLOAT_EQ(mind->fear[static_cast<size_t>(other->index)], 10.0f);
    EXPECT_FLOAT_EQ(mind->WarPressure(other->index), -10.0f);

    mind->SetRelation(other->index, 19.9f);
    mind->DiplomacyPass();
    EXPECT_EQ(mind->GetTreatyState(other->index), CovenantTreaty::War);
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "treaty 0 1 2"), host.calls.end());
}

TEST_F(CovenantRelations, FearMultipliesByTheLifestoneAndStopsAtItsCap)
{
    Entity* home = const_cast<Entity*>(mind->GetHomeEntity());
    ASSERT_NE(home, nullptr);
    const std::pair<float, float> cases[] = {{1.0f, 10.0f}, {0.7f, 12.5f}, {0.4f, 15.0f}, {0.2f, 15.0f}};
    for (auto [fraction, feared] : cases) {
        home->health = static_cast<int32_t>(std::lround(fraction * static_cast<float>(home->maxHealth)));
        mind->RecomputeFear(other->index);
        EXPECT_FLOAT_EQ(mind->fear[static_cast<size_t>(other->index)], feared) << fraction;
    }
    // Fear toward no covenant changes nothing and reads nothing outside the table.
    mind->RecomputeFear(-1);
    mind->RecomputeFear(kMaxCovenants + 3);
}

TEST_F(CovenantRelations, RelationChangesStayWithinTheirRange)
{
    mind->SetRelation(other->index, 95.0f);
    mind->ChangeRelation(other->index, 20.0f, true);
    EXPECT_FLOAT_EQ(mind->GetRelation(other->index), 100.0f);
    mind->ChangeRelation(other->index, -250.0f, false);
    EXPECT_FLOAT_EQ(mind->GetRelation(other->index), 0.0f);
    // A covenant that does not exist is left alone.
    mind->ChangeRelation(7, 10.0f, true);
    EXPECT_FLOAT_EQ(mind->GetRelation(7), 0.0f);
}

class CovenantRaids : public CovenantRelations {};

namespace {

// A raided covenant that notes each raid it beat off, with the raider that fell last.
class DefendingCovenant : public PlainCovenant {
public:
    void CountDeath(Entity* lastRaider) override { defences.push_back(lastRaider); }
    std::vector<Entity*> defences;
};

} // namespace

TEST_F(CovenantRaids, TheWishAtItsEdges)
{
    // Pressure 0: c = 1 exactly, wanted once the slow start is ignored.
    mind->SetRelation(other->index, 30.0f);
    EXPECT_TRUE(mind->WantsToRaid(other->index, true, 0.0f));
    // Pressure 1: c = 2, halved at half the slow start, to exactly 1.
    mind->SetRelation(other->index, 29.0f);
    host.clock.seconds = 50.0f;
    EXPECT_TRUE(mind->WantsToRaid(other->index, false, 0.0f));
    host.clock.seconds = 49.0f;
    EXPECT_FALSE(mind->WantsToRaid(other->index, false, 0.0f));
    // Friendly enough that c falls to 0 or below: never.
    mind->SetRelation(other->index, 100.0f);
    EXPECT_FALSE(mind->WantsToRaid(other->index, true, 0.0f));
    // Not toward itself, a covenant gone, or while raiding already.
    mind->SetRelation(other->index, 29.0f);
    EXPECT_FALSE(mind->WantsToRaid(mind->index, true, 0.0f));
    EXPECT_FALSE(mind->WantsToRaid(9, true, 0.0f));
    other->eliminated = true;
    EXPECT_FALSE(mind->WantsToRaid(other->index, true, 0.0f));
    other->eliminated = false;
    mind->targetCovenant = other->index;
    EXPECT_FALSE(mind->WantsToRaid(other->index, true, 0.0f));
}

TEST_F(CovenantRaids, ARaidKeepsOneGateAndItsPartyAndEndsWithBoth)
{
    ActorCovenant& third = AddRival("CovenantMind");
    mind->StartRaid(other->index);
    EXPECT_EQ(mind->targetCovenant, other->index);
    EXPECT_EQ(mind->GetTreatyState(other->index), CovenantTreaty::Raid);
    EXPECT_EQ(CountGates(), 1);
    Recruit* leader = mind->GetRecruitRecord(mind->CountRecruits() - 1);
    ASSERT_TRUE(leader->isHero);
    EXPECT_TRUE(leader->outWithParty);
    // The raid freezes the activity machine.
    mind->activity = ActorCovenant::Ready;
    mind->UpdateActivity();
    EXPECT_EQ(mind->activity, ActorCovenant::Ready);

    // Re-forming the party every step makes no further gate.
    leader->outWithParty = false;
    for (int32_t i = 0; i < 100; ++i)
        mind->Update(0.05f);
    EXPECT_EQ(CountGates(), 1);
    EXPECT_TRUE(leader->outWithParty);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "raid 0 1"), 1);

    // A new target takes the old gate down first.
    mind->targetCovenant = -1;
    mind->StartRaid(third.index);
    game.Step();
    EXPECT_EQ(CountGates(), 1);

    mind->EndRaid();
    game.Step();
    EXPECT_EQ(CountGates(), 0);
    EXPECT_EQ(mind->targetCovenant, -1);
    EXPECT_EQ(mind->activity, ActorCovenant::Home);
    EXPECT_FALSE(leader->outWithParty);
    EXPECT_EQ(leader->GetActor()->position.level, 0);
}

TEST_F(CovenantRaids, TheStopTotalAtItsEdgeAndADestroyedRaiderStops)
{
    for (auto [name, stops] : {std::pair{"CovenantTired", true}, std::pair{"CovenantStubborn", false}}) {
        host.homePosition = At(3000.0f, 1000.0f);
        ActorCovenant& raider = AddRival(name);
        raider.Start(2, 1);
        raider.EnsureRelationSlots(other->index);
        raider.StartRaid(other->index);
        Entity* home = const_cast<Entity*>(raider.GetHomeEntity());
        home->health = home->maxHealth * 7 / 10;
        // The first question starts the timer; it answers once the timer is spent.
        EXPECT_FALSE(raider.ShouldStopRaid());
        raider.timerSet[ActorCovenant::StopRaidTimer].remaining = 0.0f;
        // The other's lifestone as hurt: no winning or losing.
        Entity* theirs = const_cast<Entity*>(other->GetHomeEntity());
        theirs->health = theirs->maxHealth * 7 / 10;
        EXPECT_EQ(raider.ShouldStopRaid(), stops) << name;
    }

    ActorCovenant& doomed = *rivals.back();
    doomed.eliminated = true;
    doomed.Update(0.05f);
    EXPECT_EQ(doomed.targetCovenant, -1);
}

// Only the fall of the party's last standing raider beats the raid off: the raided covenant counts
// one defence, and the raid ends, so that a risen party cannot be counted a second time.
TEST_F(CovenantRaids, ThePartysLastFallBeatsTheRaidOffAndIsCountedOnce)
{
    auto& defender = AddCovenantOf<DefendingCovenant>("CovenantMind");
    GiveHome(defender, 100, 100, 3000.0f, 1000.0f);
    mind->EnsureRelationSlots(defender.index);
    mind->StartRaid(defender.index);
    std::vector<Actor*> party;
    for (int32_t slot = 0; slot < mind->GetRecruitSlots(); ++slot) {
        Recruit* recruit = mind->GetRecruitRecord(slot);
        if (Actor* actor = recruit && recruit->outWithParty ? recruit->GetActor() : nullptr)
            party.push_back(actor);
    }
    ASSERT_GE(party.size(), 2u);
    host.calls.clear();
    // Killed as combat kills: the blow, then the kill.
    auto fall = [](Actor* raider) {
        raider->TakeDamage(raider->maxHealth, nullptr, false, false);
        HandleKill(raider, nullptr);
    };
    for (size_t i = 0; i + 1 < party.size(); ++i)
        fall(party[i]);
    EXPECT_TRUE(defender.defences.empty()) << "one raider still stands";
    EXPECT_EQ(mind->targetCovenant, defender.index);

    fall(party.back());
    EXPECT_EQ(defender.defences, std::vector<Entity*>{party.back()});
    EXPECT_EQ(mind->targetCovenant, -1);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(),
                         "raid off " + std::to_string(mind->index) + " " + std::to_string(defender.index)),
              1);
    int32_t alive = -1;
    int32_t fallen = -1;
    mind->CountRaidParty(alive, fallen);
    EXPECT_EQ(alive + fallen, 0) << "no raid, no party";
}
