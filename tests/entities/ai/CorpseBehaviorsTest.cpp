// CorpseBehaviorsTest -- raising the dead: the search-timer pattern, which corpses qualify, and the raising itself.
#include "entities/ai/BehaviorRaiseDead.h"
#include "entities/ai/BehaviorWorld.h"

#include <gtest/gtest.h>

namespace {

class CorpseBehaviors : public BehaviorWorld {
protected:
    CorpseBehaviors()
    {
        raiser->actor = actor;
        raiser->tuning.maxRange = 200.0f;
        raiser->tuning.raiseTime = 1.0f;
    }

    // A corpse lying as the dying left it: dead, its corpse state 2.
    Actor* Corpse(const char* typeName, float x)
    {
        Actor* corpse = SpawnActor(typeName, 5, x, 0.0f);
        corpse->health = 0;
        corpse->OnDyingDone();
        return corpse;
    }

    // The first call starts the timer; the search waits until it has run out.
    bool AskAfterTheTimer()
    {
        EXPECT_FALSE(raiser->WantsToRun());
        raiser->searchTimer.Update(1.1f);
        return raiser->WantsToRun();
    }

    Actor* actor = SpawnActor();
    std::unique_ptr<BehaviorRaiseDead> raiser = std::make_unique<BehaviorRaiseDead>();
};

} // namespace

TEST_F(CorpseBehaviors, WithNeitherFriendsNorARecordNothingIsEverRaised)
{
    Corpse("MonsterRisen", 50.0f);
    EXPECT_FALSE(AskAfterTheTimer());
    EXPECT_TRUE(raiser->searchTimer.running) << "a miss restarts the search";
    EXPECT_GT(raiser->searchTimer.remaining, 0.0f);
}

TEST_F(CorpseBehaviors, ACorpseOfTheRecordOnARaisableArchetypeRisesWhenTheAnimationEnds)
{
    Actor* corpse = Corpse("MonsterRisen", 50.0f);
    Corpse("MonsterTester", 40.0f);  // not raisable, though nearer
    raiser->tuning.raiseEntity = corpse->GetEntry();
    ASSERT_TRUE(AskAfterTheTimer());
    raiser->Start();
    EXPECT_FALSE(raiser->done);
    EXPECT_TRUE(raiser->ContinueRunning());
    raiser->Think(0.05f);
    EXPECT_TRUE(corpse->IsAlive());
    EXPECT_EQ(corpse->GetDeathState(), ActorDeathState::kAlive);
    EXPECT_FALSE(raiser->ContinueRunning());
}

TEST_F(CorpseBehaviors, AFriendlyCorpseRisesWithRaiseAnyFriendly)
{
    Actor* corpse = Corpse("MonsterRisen", 50.0f);
    raiser->tuning.raiseAnyFriendly = true;
    game.relationship = 1;
    EXPECT_FALSE(AskAfterTheTimer()) << "relationship 1 is not friendly enough";
    game.relationship = 2;
    raiser->searchTimer.Update(1.1f);
    EXPECT_TRUE(raiser->WantsToRun());
    raiser->Start();
    raiser->Think(0.05f);
    EXPECT_TRUE(corpse->IsAlive());
}
