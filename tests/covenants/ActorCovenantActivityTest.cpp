// ActorCovenantActivityTest -- what a rival wants to do and its activity machine: every activity against every wish, rests, the party sent out and brought home.
#include "covenants/ActorCovenantWorld.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

class CovenantActivity : public ActorCovenantWorld {
protected:
    CovenantActivity()
    {
        host.homePosition = At(1000.0f, 1000.0f);
        rival = &AddRival();
        rival->Start(5, 1);
    }

    // Sets up the conditions of the wish and lets the activity timer run out, so the next
    // choice is fresh.
    void Want(int32_t wish)
    {
        host.openQuests.clear();
        rival->nextThinkTime = {};
        if (wish == ActorCovenant::WishTownAttack)
            host.openQuests.emplace_back(ActorCovenant::kTownAttackQuest, nullptr);
        else if (wish == ActorCovenant::WishSiege)
            host.openQuests.emplace_back(ActorCovenant::kSiegeQuest, nullptr);
        else if (wish == ActorCovenant::WishStay)
            rival->nextThinkTime.minutes = 5;
        rival->timerSet[ActorCovenant::ActivityTimer].running = 0;
    }

    // The actor hates the entity and makes it its target; null clears both.
    void SetTarget(Actor& actor, Entity* target)
    {
        if (target)
            actor.AddHate(target, 5.0f, 0);
        else
            actor.ClearHateList();
        actor.UpdateHateTarget(0.05f);
        ASSERT_EQ(actor.GetCurrentTarget(), target);
    }

    // The teleport effects standing: model entities of the game.
    int32_t CountEffects() const
    {
        int32_t effects = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            if (const Entity* entity = game.GetEntity(i); entity && entity->spareAfterDelete)
                ++effects;
        return effects;
    }

    ActorCovenant* rival = nullptr;
};

TEST_F(CovenantActivity, EveryActivityAgainstEveryWish)
{
    using A = ActorCovenant;
    // Activity before, wish, activity after; the rest and adventure timers still running.
    struct Cell {
        int32_t before;
        int32_t wish;
        int32_t after;
    };
    const Cell cells[] = {
        {A::Ready, A::WishAdventure, A::Adventuring},     {A::Ready, A::WishTownAttack, A::DefendTownAttack},
        {A::Ready, A::WishSiege, A::DefendSiege},         {A::Ready, A::WishStay, A::Ready},
        {A::DefendTownAttack, A::WishAdventure, A::Home}, {A::DefendTownAttack, A::WishTownAttack, A::DefendTownAttack},
        {A::DefendTownAttack, A::WishSiege, A::Home},     {A::DefendTownAttack, A::WishStay, A::Home},
        {A::DefendSiege, A::WishAdventure, A::Home},      {A::DefendSiege, A::WishTownAttack, A::Home},
        {A::DefendSiege, A::WishSiege, A::DefendSiege},   {A::DefendSiege, A::WishStay, A::Home},
        {A::Adventuring, A::WishAdventure, A::Adventuring}, {A::Adventuring, A::WishTownAttack, A::Home},
        {A::Adventuring, A::WishSiege, A::Home},          {A::Adventuring, A::WishStay, A::Home},
        {A::Home, A::WishAdventure, A::Resting},          {A::Home, A::WishTownAttack, A::DefendTownAttack},
        {A::Home, A::WishSiege, A::DefendSiege},          {A::Home, A::WishStay, A::Home},
        {A::Resting, A::WishAdventure, A::Resting},       {A::Resting, A::WishTownAttack, A::DefendTownAttack},
        {A::Resting, A::WishSiege, A::DefendSiege},       {A::Resting, A::WishStay, A::Resting},
        {A::AdventuringWithCovenant, A::WishAdventure, A::AdventuringWithCovenant},
        {A::AdventuringWithCovenant, A::WishTownAttack, A::Home},
        {A::AdventuringWithCovenant, A::WishSiege, A::Home},
        {A::AdventuringWithCovenant, A::WishStay, A::Home},
    };
    for (const Cell& cell : cells) {
        rival->activity = cell.before;
        rival->adventurePartner = -1;
        rival->timerSet[A::RestTimer].running = 1;
        rival->timerSet[A::RestTimer].remaining = 50.0f;
        rival->timerSet[A::AdventureTimer].running = 1;
        rival->timerSet[A::AdventureTimer].remaining = 50.0f;
        rival->timerSet[A::BattleTimer].running = 1;
        rival->timerSet[A::BattleTimer].remaining = 50.0f;
        Want(cell.wish);
        rival->UpdateActivity();
        EXPECT_EQ(rival->activity, cell.after) << "from " << cell.before << " wishing " << cell.wish;
    }
}

TEST_F(CovenantActivity, ASpentRestEndsInReadyWhateverIsWanted)
{
    for (int32_t wish : {ActorCovenant::WishAdventure, ActorCovenant::WishStay}) {
        rival->activity = ActorCovenant::Resting;
        rival->timerSet[ActorCovenant::RestTimer].running = 1;
        rival->timerSet[ActorCovenant::RestTimer].remaining = 0.0f;
        Want(wish);
        rival->UpdateActivity();
        EXPECT_EQ(rival->activity, ActorCovenant::Ready) << wish;
    }
}

TEST_F(CovenantActivity, AFightOnTheSpotOrARaidKeepsTheRivalAtHome)
{
    Actor* member = rival->GetRecruitActor(0);
    ASSERT_NE(member, nullptr);
    SetTarget(*member, SpawnTarget(1100.0f, 1000.0f));
    Want(ActorCovenant::WishAdventure);
    rival->UpdateActivity();
    EXPECT_EQ(rival->activity, ActorCovenant::Ready);
    EXPECT_EQ(rival->cachedActivity, ActorCovenant::WishStay);

    // The wish holds while the activity timer runs.
    SetTarget(*member, nullptr);
    rival->UpdateActivity();
    EXPECT_EQ(rival->activity, ActorCovenant::Ready);

    // The leader's own fight counts only while it adventures with nobody.
    Want(ActorCovenant::WishAdventure);
    auto* leader = static_cast<Actor*>(rival->GetLeader());
    SetTarget(*leader, SpawnTarget(1100.0f, 1000.0f));
    rival->adventurePartner = 0;
    EXPECT_EQ(rival->ChooseActivity(), ActorCovenant::WishAdventure);
    rival->adventurePartner = -1;
    Want(ActorCovenant::WishAdventure);
    EXPECT_EQ(rival->ChooseActivity(), ActorCovenant::WishStay);
    SetTarget(*leader, nullptr);

    // A raid under way freezes the machine.
    ActorCovenant& target = AddRival();
    rival->targetCovenant = target.index;
    rival->SetTreatyState(target.index, CovenantTreaty::Raid);
    Want(ActorCovenant::WishAdventure);
    rival->UpdateActivity();
    EXPECT_EQ(rival->activity, ActorCovenant::Ready);
}

TEST_F(CovenantActivity, TheAlertShortensTheChoice)
{
    LoadRivalRecords("CovenantWary\n{\n Type Covenant\n MinDifficultyModifier 1\n MaxDifficultyModifier 1\n AdventureTypeTime 100\n"
                " AlertTime 60\n AlertAdventureTypeTimeMult 0.5\n}\n");
    ActorCovenant& wary = AddRival("CovenantWary");
    wary.Start(1, 1);
    wary.ResetThinkTimer();
    EXPECT_TRUE(wary.IsAlerted());
    wary.ChooseActivity();
    EXPECT_FLOAT_EQ(wary.timerSet[ActorCovenant::ActivityTimer].minimum, 45.0f);
    host.clock.minutes = 2;
    EXPECT_FALSE(wary.IsAlerted());
    wary.timerSet[ActorCovenant::ActivityTimer].running = 0;
    wary.ChooseActivity();
    EXPECT_FLOAT_EQ(wary.timerSet[ActorCovenant::ActivityTimer].maximum, 110.0f);
}

TEST_F(CovenantActivity, AnAdventureSendsTheLeaderAndAPartnerOutAndHomeBringsThemBack)
{
    Actor* leader = static_cast<Actor*>(rival->GetLeader());
    ASSERT_NE(leader, nullptr);
    game.levelPoint = At(500.0f, 600.0f);
    int32_t effectsBefore = CountEffects();
    // A party of two: the draw times three recruits gives 1, plus one.
    ScriptDraw(0.5f);
    rival->SendOutParty();
    Recruit* head = rival->GetRecruitRecord(2);
    EXPECT_TRUE(head->outWithParty);
    ASSERT_GE(head->assignedLevel, 1);
    EXPECT_EQ(leader->position.level, head->assignedLevel);
    int32_t out = 0;
    for (int32_t slot = 0; slot < 2; ++slot) {
        Recruit* other = rival->GetRecruitRecord(slot);
        if (!other->outWithParty)
            continue;
        ++out;
        EXPECT_EQ(other->assignedLevel, head->assignedLevel);
        EXPECT_EQ(other->GetActor()->GetLeader(), leader);
    }
    EXPECT_EQ(out, 1);
    // Two teleports around the leader's jump; the partner walks.
    EXPECT_EQ(CountEffects(), effectsBefore + 2);

    rival->ReturnHome(true);
    // Two for each of the two coming home.
    EXPECT_EQ(CountEffects(), effectsBefore + 6);
    EXPECT_EQ(rival->activity, ActorCovenant::Home);
    EXPECT_FALSE(head->outWithParty);
    EXPECT_EQ(leader->position.level, 0);
    EXPECT_TRUE(rival->timerSet[ActorCovenant::RestTimer].running);
    EXPECT_FALSE(rival->timerSet[ActorCovenant::AdventureTimer].running);
    for (int32_t slot = 0; slot < 3; ++slot)
        EXPECT_EQ(rival->GetRecruitActor(slot)->GetLeader(), nullptr);
}

TEST_F(CovenantActivity, ARestGathersAtAHealthyTownPerson)
{
    Entity* person = Spawn<Entity>(300.0f, 400.0f);
    host.townPerson = person;
    rival->activity = ActorCovenant::Home;
    Want(ActorCovenant::WishAdventure);
    rival->UpdateActivity();
    EXPECT_EQ(rival->activity, ActorCovenant::Resting);
    ASSERT_TRUE(rival->HasRallyPoint());
    EXPECT_FLOAT_EQ(rival->GetRallyPoint().x, 300.0f);
    for (int32_t slot = 0; slot < 3; ++slot)
        EXPECT_EQ(rival->GetRecruitRecord(slot)->assignedLevel, 0);

    // A plague on the person: no rally point.
    rival->ReturnHome(false);
    EXPECT_FALSE(rival->HasRallyPoint());
    Want(ActorCovenant::WishAdventure);
    host.openQuests.emplace_back(ActorCovenant::kPlagueQuest, person);
    rival->UpdateActivity();
    EXPECT_EQ(rival->activity, ActorCovenant::Resting);
    EXPECT_FALSE(rival->HasRallyPoint());
}
