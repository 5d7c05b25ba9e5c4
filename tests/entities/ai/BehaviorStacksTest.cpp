// BehaviorStacksTest -- stacks built from the database in priority order, tuned per archetype, and cloned into actors.
#include "entities/ai/BehaviorApproach.h"
#include "entities/ai/BehaviorWorld.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class BehaviorStacks : public BehaviorWorld {
protected:
    static std::vector<int32_t> TypesOf(const BehaviorStack& stack)
    {
        std::vector<int32_t> types;
        for (const auto& behavior : stack.behaviors)
            types.push_back(behavior->GetType());
        return types;
    }
};

} // namespace

TEST_F(BehaviorStacks, OnlyArchetypesNamingAStackGetOneInListOrder)
{
    ASSERT_EQ(game.behaviorStacks.size(), 3u);
    EXPECT_EQ(game.behaviorStacks[0]->owner, gameData.FindArchetype("ArchetypeFighter"));
    EXPECT_EQ(game.behaviorStacks[1]->owner, gameData.FindArchetype("ArchetypeCloseFighter"));
    EXPECT_EQ(StackOf("ArchetypeTest"), nullptr);
}

TEST_F(BehaviorStacks, TheDerivedEntrysBehavioursComeFirst)
{
    const BehaviorStack* stack = StackOf("ArchetypeFighter");
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(TypesOf(*stack), (std::vector<int32_t>{BehaviorType::kSuicide, BehaviorType::kApproach,
                                                     BehaviorType::kFollowLeader, BehaviorType::kSleep}));
    for (const auto& prototype : stack->behaviors)
        EXPECT_EQ(prototype->actor, nullptr);
}

TEST_F(BehaviorStacks, TwoArchetypesOnOneEntryAreTunedApart)
{
    auto approachOf = [&](const char* name) {
        return dynamic_cast<const BehaviorApproach*>(StackOf(name)->behaviors[1].get());
    };
    ASSERT_NE(approachOf("ArchetypeFighter"), nullptr);
    ASSERT_NE(approachOf("ArchetypeCloseFighter"), nullptr);
    EXPECT_FLOAT_EQ(approachOf("ArchetypeFighter")->tuning.maxRange, 100.0f);
    EXPECT_FLOAT_EQ(approachOf("ArchetypeCloseFighter")->tuning.maxRange, 20.0f);
}

TEST_F(BehaviorStacks, AMissingStackEntryLeavesAnEmptyStackSilently)
{
    const BehaviorStack* stack = StackOf("ArchetypeLost");
    ASSERT_NE(stack, nullptr);
    EXPECT_TRUE(stack->behaviors.empty());
    for (const std::string& line : Logged())
        EXPECT_EQ(line.find("StackNowhere"), std::string::npos) << line;
}

TEST_F(BehaviorStacks, AnActorGetsItsOwnClonesInOrderWithItselfAsActor)
{
    Actor* actor = SpawnActor("MonsterFighter");
    const BehaviorStack* stack = StackOf("ArchetypeFighter");
    ASSERT_EQ(actor->GetBehaviors().size(), stack->behaviors.size());
    for (size_t i = 0; i < stack->behaviors.size(); ++i) {
        const BehaviorBase* clone = actor->GetBehaviors()[i].get();
        EXPECT_NE(clone, stack->behaviors[i].get());
        EXPECT_EQ(clone->GetType(), stack->behaviors[i]->GetType());
        EXPECT_EQ(clone->actor, actor);
    }
    auto* approach = dynamic_cast<const BehaviorApproach*>(actor->GetBehaviors()[1].get());
    ASSERT_NE(approach, nullptr);
    EXPECT_FLOAT_EQ(approach->tuning.maxRange, 100.0f);
    EXPECT_EQ(actor->GetCurrentBehavior(), nullptr);
}

TEST_F(BehaviorStacks, AnArchetypeWithoutAStackGivesNoBehaviours)
{
    Actor* actor = SpawnActor("MonsterTester");
    EXPECT_TRUE(actor->GetBehaviors().empty());
    actor->UpdateBehaviors(0.05f);
    EXPECT_EQ(actor->GetCurrentBehavior(), nullptr);
}
