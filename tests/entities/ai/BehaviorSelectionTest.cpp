// BehaviorSelectionTest -- which behaviour of an actor's list has control each step, and where notices and events go.
#include "core/Event.h"
#include "core/EventSystem.h"
#include "entities/ai/BehaviorWorld.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Scripted behaviours that also note the order of calls across the whole list.
class BehaviorSelection : public BehaviorWorld {
protected:
    ScriptedBehavior* Add(Actor* actor, bool wants)
    {
        auto behavior = std::make_unique<ScriptedBehavior>();
        behavior->wants = wants;
        ScriptedBehavior* raw = behavior.get();
        actor->AddBehavior(std::move(behavior));
        return raw;
    }

    static bool Called(const ScriptedBehavior* behavior, const std::string& call)
    {
        return std::find(behavior->calls.begin(), behavior->calls.end(), call) != behavior->calls.end();
    }

    Actor* actor = SpawnActor();
};

// Reads one integer of the event in each delivery, so a second reader sees the start only
// when the read position was rewound.
class ReadingBehavior : public ScriptedBehavior {
public:
    void HandleEvent(Event& event) override { values.push_back(event.params.ReadInt()); }
    std::vector<int32_t> values;
};

} // namespace

TEST_F(BehaviorSelection, AHigherBehaviourInterruptsTheCurrentOneAndThinksThatStep)
{
    ScriptedBehavior* melee = Add(actor, false);
    ScriptedBehavior* approach = Add(actor, true);
    ScriptedBehavior* sleep = Add(actor, true);
    actor->UpdateBehaviors(0.05f);
    EXPECT_EQ(actor->GetCurrentBehavior(), approach);
    EXPECT_TRUE(sleep->calls.empty()) << "the walk stops at the winner";
    approach->calls.clear();
    melee->wants = true;
    actor->UpdateBehaviors(0.05f);
    EXPECT_EQ(actor->GetCurrentBehavior(), melee);
    EXPECT_EQ(approach->calls, (std::vector<std::string>{"continue", "stop"}));
    EXPECT_EQ(melee->calls.back(), "start");
    EXPECT_EQ(melee->thinks, 1);
    EXPECT_EQ(approach->thinks, 1);
}

TEST_F(BehaviorSelection, TheCurrentOneIsAskedToContinueNeverToWantAndThoseBelowAreNotAsked)
{
    ScriptedBehavior* first = Add(actor, true);
    ScriptedBehavior* below = Add(actor, true);
    actor->UpdateBehaviors(0.05f);
    first->calls.clear();
    actor->UpdateBehaviors(0.05f);
    EXPECT_EQ(first->calls, (std::vector<std::string>{"continue"}));
    EXPECT_TRUE(below->calls.empty());
    EXPECT_EQ(first->thinks, 2);
}

TEST_F(BehaviorSelection, ABehaviourThatMayNotGoOnIsStoppedEvenWithNothingElseToRun)
{
    ScriptedBehavior* only = Add(actor, true);
    actor->UpdateBehaviors(0.05f);
    only->wants = false;
    only->keep = false;
    actor->UpdateBehaviors(0.05f);
    EXPECT_EQ(actor->GetCurrentBehavior(), nullptr);
    EXPECT_EQ(only->calls.back(), "wants");
    EXPECT_TRUE(Called(only, "stop"));
    EXPECT_EQ(only->thinks, 1);
    only->wants = true;
    actor->UpdateBehaviors(0.05f);
    EXPECT_EQ(actor->GetCurrentBehavior(), only);
}

TEST_F(BehaviorSelection, ARestartedBehaviourStopsBeforeItStartsWithItsDoneFlagCleared)
{
    ScriptedBehavior* only = Add(actor, true);
    actor->UpdateBehaviors(0.05f);
    only->done = true;
    only->keep = false;
    only->calls.clear();
    actor->UpdateBehaviors(0.05f);
    EXPECT_EQ(only->calls, (std::vector<std::string>{"continue", "stop", "wants", "start"}));
    EXPECT_FALSE(only->done);
}

TEST_F(BehaviorSelection, ALockedBehaviourIsNeitherAskedNorInterrupted)
{
    ScriptedBehavior* higher = Add(actor, false);
    ScriptedBehavior* locked = Add(actor, true);
    actor->UpdateBehaviors(0.05f);
    locked->locked = true;
    locked->keep = false;
    higher->wants = true;
    higher->calls.clear();
    locked->calls.clear();
    actor->UpdateBehaviors(0.05f);
    EXPECT_EQ(actor->GetCurrentBehavior(), locked);
    EXPECT_TRUE(locked->calls.empty());
    EXPECT_TRUE(higher->calls.empty());
    EXPECT_EQ(locked->thinks, 2);
    locked->locked = false;
    actor->UpdateBehaviors(0.05f);
    EXPECT_EQ(actor->GetCurrentBehavior(), higher);
}

TEST_F(BehaviorSelection, TimersOfEveryBehaviourRunDownBeforeTheChoice)
{
    ScriptedBehavior* idle = Add(actor, false);
    RandomTimer timer;
    timer.running = 1;
    timer.remaining = 0.06f;
    idle->timers.push_back(&timer);
    idle->timers.push_back(nullptr);
    actor->UpdateBehaviors(0.05f);
    EXPECT_NEAR(timer.remaining, 0.01f, 1e-6f);
    actor->UpdateBehaviors(0.05f);
    EXPECT_TRUE(timer.IsExpired());
}

TEST_F(BehaviorSelection, NoticesGoToTheCurrentOneAsCurrentAndToTheRestAsOther)
{
    ScriptedBehavior* first = Add(actor, false);
    ScriptedBehavior* current = Add(actor, true);
    ScriptedBehavior* last = Add(actor, true);
    actor->UpdateBehaviors(0.05f);
    actor->Notify(5, nullptr);
    EXPECT_EQ(first->calls.back(), "notify 5");
    EXPECT_EQ(current->calls.back(), "current 5");
    EXPECT_EQ(last->calls.back(), "notify 5");
}

TEST_F(BehaviorSelection, PassToBehaviorReachesTheCurrentOneOnlyFromTheStart)
{
    auto reading = std::make_unique<ReadingBehavior>();
    ReadingBehavior* current = reading.get();
    current->wants = true;
    ScriptedBehavior* other = Add(actor, false);
    actor->AddBehavior(std::move(reading));
    actor->UpdateBehaviors(0.05f);
    ASSERT_EQ(actor->GetCurrentBehavior(), current);
    Event* event = events.MakeEvent(events.FindEvent("PassToBehavior"));
    event->params.WriteInt(81);
    event->params.ReadInt();
    events.DispatchEvent(event, {actor});
    // The generic delivery and then the handler's own, each from the first value.
    EXPECT_EQ(current->values, (std::vector<int32_t>{81, 81}));
    EXPECT_EQ(std::count(other->calls.begin(), other->calls.end(), "event"), 1);
}

TEST_F(BehaviorSelection, EveryEventReachesEveryBehaviourFromTheStart)
{
    auto first = std::make_unique<ReadingBehavior>();
    auto second = std::make_unique<ReadingBehavior>();
    ReadingBehavior* a = first.get();
    ReadingBehavior* b = second.get();
    actor->AddBehavior(std::move(first));
    actor->AddBehavior(std::move(second));
    Event* event = events.MakeEvent(events.RegisterEvent("SomethingHappened"));
    event->params.WriteInt(7);
    events.DispatchEvent(event, {actor});
    EXPECT_EQ(a->values, (std::vector<int32_t>{7}));
    EXPECT_EQ(b->values, (std::vector<int32_t>{7}));
}

TEST_F(BehaviorSelection, TheInfoPrintNamesTheCurrentKindOrNone)
{
    actor->PrintInfo();
    auto before = Logged();
    EXPECT_NE(std::find(before.begin(), before.end(), "Current behavior: None\n"), before.end());
    ScriptedBehavior* idle = Add(actor, true);
    idle->type = BehaviorType::kIdle;
    actor->UpdateBehaviors(0.05f);
    actor->PrintInfo();
    auto lines = Logged();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Current behavior: Idle\n"), lines.end()) << ::testing::PrintToString(lines);
}
