// ActorUpdateTest -- the actor's step: waking near players, the aggression range factors, stealth, no scan with a target, the behaviour choice and walking a path.
#include "entities/ActorWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

class ActorUpdate : public ActorWorld {
protected:
    void Tick(Actor* actor, int steps = 1)
    {
        for (int i = 0; i < steps; ++i) {
            actor->Update(FakeGameServices::kStep);
            game.Step();
        }
    }

    // Notices the actor gave its one scripted behaviour.
    ScriptedBehavior* Watch(Actor* actor)
    {
        auto behavior = std::make_unique<ScriptedBehavior>();
        ScriptedBehavior* raw = behavior.get();
        actor->AddBehavior(std::move(behavior));
        return raw;
    }
};

} // namespace

TEST_F(ActorUpdate, TheActorsOwnEventsReachEveryBehaviour)
{
    Actor* actor = SpawnActor();
    ScriptedBehavior* first = Watch(actor);
    ScriptedBehavior* second = Watch(actor);
    Sentient* foe = SpawnTarget(40, 0);
    struct Case {
        const char* what;
        void (*raise)(Actor&, Sentient&);
    };
    const Case cases[] = {
        {"a hit it made", [](Actor& a, Sentient& f) { a.OnSuccessfulHit(5, &f, true, false, false, false, true); }},
        {"a blow taken", [](Actor& a, Sentient& f) { a.RaiseWhenHit(&f, false); }},
        {"a blow missed", [](Actor& a, Sentient& f) { a.OnMissedBy(&f, 0); }},
        {"a kill", [](Actor& a, Sentient& f) { a.OnSuccessfulKill(&f); }},
    };
    for (const Case& c : cases) {
        first->calls.clear();
        second->calls.clear();
        c.raise(*actor, *foe);
        EXPECT_EQ(std::count(first->calls.begin(), first->calls.end(), "event"), 1) << c.what;
        EXPECT_EQ(std::count(second->calls.begin(), second->calls.end(), "event"), 1) << c.what;
    }
}

TEST_F(ActorUpdate, WakesWhenAPlayerComesWithinTheIdleDistanceAndSleepsAgain)
{
    Actor* actor = SpawnActor();
    Sentient* player = SpawnTarget(600, 0, true);
    Tick(actor, 2);
    EXPECT_FALSE(actor->IsActive());
    player->SetPosition(At(400, 0));
    Tick(actor, 13);  // the activity test runs every 0.5 to 0.6 s
    EXPECT_TRUE(actor->IsActive());
    actor->AddHate(player, 1.0f, 0);
    player->SetPosition(At(900, 0));
    Tick(actor, 13);
    EXPECT_FALSE(actor->IsActive());
    EXPECT_TRUE(actor->GetHateList().empty());
}

TEST_F(ActorUpdate, AggressionRangeScalesWithTheLevelDifference)
{
    Actor* actor = SpawnActor("MonsterTester", 12);
    EXPECT_FLOAT_EQ(actor->GetAggressionRange(SpawnTarget(0, 0, false, 10)), 240.0f);   // 1.2x
    EXPECT_FLOAT_EQ(actor->GetAggressionRange(SpawnTarget(0, 0, false, 32)), 50.0f);    // 0.25x
    EXPECT_FLOAT_EQ(actor->GetAggressionRange(SpawnTarget(0, 0, false, 0)), 400.0f);    // 2x at most
    game.relationship = 0;
    EXPECT_FLOAT_EQ(actor->GetAggressionRange(SpawnTarget(0, 0, false, 12)), 250.0f);   // hostile: 1.25x
}

TEST_F(ActorUpdate, SensesEnemiesInRangeButNotWithATarget)
{
    game.relationship = 1;
    Actor* actor = SpawnActor();
    actor->SetActive(true);
    Sentient* near = SpawnTarget(150, 0);
    Sentient* beyond = SpawnTarget(260, 0);
    actor->SenseEnemies();
    EXPECT_NE(actor->FindHateEntry(near), nullptr);
    EXPECT_EQ(actor->FindHateEntry(beyond), nullptr);
    actor->UpdateHateTarget(0.05f);
    ASSERT_EQ(actor->GetCurrentTarget(), near);
    beyond->SetPosition(At(100, 0));
    actor->sensingTimer.remaining = 0.0f;
    actor->SenseEnemies();
    EXPECT_EQ(actor->FindHateEntry(beyond), nullptr);
}

TEST_F(ActorUpdate, FriendsAndHiddenEntitiesAreNotSensed)
{
    Actor* actor = SpawnActor();
    Sentient* friendly = SpawnTarget(50, 0);  // relationship 2
    actor->SenseEnemies();
    EXPECT_EQ(actor->FindHateEntry(friendly), nullptr);
    game.relationship = 0;
    friendly->flags |= EntityFlag::Hidden;
    actor->sensingTimer.remaining = 0.0f;
    actor->SenseEnemies();
    EXPECT_EQ(actor->FindHateEntry(friendly), nullptr);
}

TEST_F(ActorUpdate, StealthedEntitiesAreNoticedByChance)
{
    game.relationship = 1;
    auto noticeRate = [this](float x) {
        int noticed = 0;
        for (int i = 0; i < 400; ++i) {
            auto actor = std::make_unique<Actor>();
            actor->SetUpFromMonsterType(Type("MonsterTester"), 5, false);
            actor->SetPosition(At(0, 0));
            Sentient* sneak = SpawnTarget(x, 0);
            sneak->entityState |= 0x400;
            actor->SenseEnemies();
            noticed += actor->FindHateEntry(sneak) ? 1 : 0;
            game.RemoveEntity(sneak);
            delete sneak;
        }
        return noticed / 400.0;
    };
    EXPECT_NEAR(noticeRate(50.0f), 0.4, 0.07);  // half the range or nearer: 0.5 x 0.8
    EXPECT_LT(noticeRate(199.0f), 0.03);        // at the edge: (1 - 199/200) x 0.8
}

TEST_F(ActorUpdate, WalksThePathAndArrives)
{
    Actor* actor = SpawnActor("MonsterTester", 5, 0, 0);
    ScriptedBehavior* watcher = Watch(actor);
    game.pathSteps = {2, 2};  // two cells east
    actor->MoveTo(At(64, 0));
    // 100 units a second: 5 units a step, 64 units in 13 steps.
    for (int i = 0; i < 12; ++i)
        actor->Walk();
    EXPECT_TRUE(actor->moving);
    actor->Walk();
    EXPECT_FLOAT_EQ(actor->position.x, 64.0f);
    EXPECT_FLOAT_EQ(actor->position.y, 0.0f);
    EXPECT_FALSE(actor->moving);
    EXPECT_NE(std::find(watcher->calls.begin(), watcher->calls.end(), "notify 5"), watcher->calls.end());
    EXPECT_EQ(game.pathSearches, 1);
}

TEST_F(ActorUpdate, ExactlyReachingAWaypointTakesTheNextOneNextStep)
{
    Actor* actor = SpawnActor("MonsterTester", 5, 0, 0);
    game.pathSteps = {0, 0};
    actor->MoveTo(At(0, 64));
    actor->stats.Set(CharacterStat::Movement, 640);  // 32 units a step: one cell exactly
    actor->Walk();
    EXPECT_FLOAT_EQ(actor->position.y, 32.0f);
    EXPECT_TRUE(actor->waypointReached);
    EXPECT_FALSE(actor->headingToWaypoint);
    actor->Walk();
    EXPECT_FLOAT_EQ(actor->position.y, 64.0f);
}

TEST_F(ActorUpdate, AFailedSearchNotifiesAndLeavesTheActorStanding)
{
    Actor* actor = SpawnActor("MonsterTester", 5, 0, 0);
    ScriptedBehavior* watcher = Watch(actor);
    game.pathAnswer = [](const Entity&, const WorldPos&, const WorldPos&, const Entity*) { return false; };
    actor->MoveTo(At(64, 0));
    actor->Walk();
    EXPECT_FALSE(actor->moving);
    EXPECT_FLOAT_EQ(actor->position.x, 0.0f);
    EXPECT_EQ(watcher->calls.front(), "notify 4");
}

TEST_F(ActorUpdate, AttackedActorsCallForHelpAndHate)
{
    Actor* actor = SpawnActor();
    Sentient* attacker = SpawnTarget(30, 0);
    actor->OnAttackedBy(attacker);
    EXPECT_NE(actor->FindHateEntry(attacker), nullptr);
    ASSERT_FALSE(game.hooks.empty());
    EXPECT_EQ(game.hooks.back(), "help " + std::to_string(actor->entityNumber) + " 200");
}
