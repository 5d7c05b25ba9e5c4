// GameTimedActionsTest -- events delivered after a delay: the step they land in, cancelling, finding, targets that went away, broadcasts.
#include "server/GameWorld.h"

#include "core/Event.h"

namespace {

// Counts deliveries by step; may schedule a follow-up from inside its handler.
class TimedProbe : public Entity {
public:
    EventClass* GetEventClass() const override { return table; }
    void OnProbe(Event& event)
    {
        steps.push_back(*stepCounter);
        scratchSeen.push_back(event.scratch);
        if (chainDelay >= 0.0f) {
            float delay = chainDelay;
            chainDelay = -1.0f;
            gGameServices->ScheduleTimedAction(this, gEventSystem->MakeEvent(event.id), delay);
        }
    }
    static inline EventClass* table = nullptr;
    std::vector<int32_t> steps;
    std::vector<int32_t> scratchSeen;
    float chainDelay = -1.0f;
    int32_t* stepCounter = nullptr;
};

// A listener that is no entity, as a trap is: it schedules its own events.
class TimedListener : public SafeClass, public Listener {
public:
    EventClass* GetEventClass() const override { return table; }
    void OnProbe(Event&) { ++heard; }
    static inline EventClass* table = nullptr;
    int32_t heard = 0;
};

// A listener the game cannot watch for its end.
class UnwatchedListener : public Listener {
public:
    EventClass* GetEventClass() const override { return TimedListener::table; }
};

class GameTimedActions : public GameWorld {
protected:
    GameTimedActions()
    {
        TimedProbe::table = types.RegisterType("TimedProbe", "Entity", nullptr, nullptr);
        probeId = events.RegisterEvent("probe");
        otherId = events.RegisterEvent("unheard");
        Listener::Subscribe(TimedProbe::table, probeId, &TimedProbe::OnProbe);
        TimedListener::table = types.RegisterType("TimedListener", "Listener", nullptr, nullptr);
        Listener::Subscribe(TimedListener::table, probeId, &TimedListener::OnProbe);
    }

    TimedProbe* Probe()
    {
        auto* probe = Spawn<TimedProbe>(100, 100);
        probe->stepCounter = &stepsRun;
        return probe;
    }

    void Run(int32_t count)
    {
        for (int32_t i = 0; i < count; ++i) {
            ++stepsRun;
            Step();
        }
    }

    Event* Make(int id) { return events.MakeEvent(id); }

    int probeId = -1;
    int otherId = -1;
    int32_t stepsRun = 0;
};

TEST_F(GameTimedActions, DelayZeroFiresInTheNextStepEvenWhenScheduledByAHandler)
{
    TimedProbe* probe = Probe();
    probe->chainDelay = 0.0f;
    game->ScheduleTimedAction(probe, Make(probeId), 0.0f);
    Run(3);
    EXPECT_EQ(probe->steps, (std::vector<int32_t>{1, 2}));
}

TEST_F(GameTimedActions, DelaysLandOnTheStepThatUsesThemUp)
{
    TimedProbe* probe = Probe();
    game->ScheduleTimedAction(probe, Make(probeId), 0.15f);
    game->ScheduleTimedAction(probe, Make(probeId), 0.149f);
    game->ScheduleTimedAction(probe, Make(probeId), 0.151f);
    Run(5);
    EXPECT_EQ(probe->steps, (std::vector<int32_t>{3, 3, 4}));
}

TEST_F(GameTimedActions, ACancelledActionIsFoundUntilThePurgeAndNeverDelivered)
{
    TimedProbe* probe = Probe();
    Event* first = Make(probeId);
    game->ScheduleTimedAction(probe, first, 0.05f);
    game->ScheduleTimedAction(probe, Make(probeId), 0.05f);
    EXPECT_TRUE(game->CancelTimedActions(probeId, probe)) << "both go with one call";
    EXPECT_FALSE(game->CancelTimedActions(otherId, probe));
    first->scratch = 9;
    EXPECT_EQ(game->FindTimedAction(probeId, probe), first);
    EXPECT_EQ(first->scratch, 0) << "a find clears the scratch word";
    Run(1);
    EXPECT_EQ(game->FindTimedAction(probeId, probe), nullptr);
    Run(3);
    EXPECT_TRUE(probe->steps.empty());
    EXPECT_EQ(game->CountPendingTimedActions(), 0);
}

TEST_F(GameTimedActions, AnActionWhoseTargetIsGoneIsDroppedAtItsTime)
{
    TimedProbe* removed = Probe();
    game->ScheduleTimedAction(removed, Make(probeId), 0.1f);
    game->RemoveEntity(removed);
    delete removed;
    // Never in the table: only the safe pointer notices it went.
    auto* loose = new TimedProbe();
    game->ScheduleTimedAction(loose, Make(probeId), 0.1f);
    delete loose;
    size_t pooledBefore = events.GetPooledCount();
    Run(1);
    EXPECT_EQ(game->CountPendingTimedActions(), 1) << "the loose one waits for its time";
    Run(2);
    EXPECT_EQ(game->CountPendingTimedActions(), 0);
    EXPECT_EQ(events.GetPooledCount(), pooledBefore + 2) << "both records went back to the pool";
}

TEST_F(GameTimedActions, AnEventTheTargetHasNoHandlerForIsDroppedSilently)
{
    TimedProbe* probe = Probe();
    game->ScheduleTimedAction(probe, Make(otherId), 0.0f);
    game->ScheduleTimedAction(probe, Make(probeId), 0.0f);
    Run(1);
    EXPECT_EQ(probe->steps, std::vector<int32_t>{1});
    EXPECT_EQ(game->CountPendingTimedActions(), 0);
}

TEST_F(GameTimedActions, AKeptRecordStaysWithItsOwner)
{
    TimedProbe* probe = Probe();
    Event kept;
    kept.id = probeId;
    kept.kept = true;
    size_t pooledBefore = events.GetPooledCount();
    game->ScheduleTimedAction(probe, &kept, 0.0f);
    Run(1);
    EXPECT_EQ(probe->steps.size(), 1u);
    EXPECT_EQ(events.GetPooledCount(), pooledBefore);
}

TEST_F(GameTimedActions, ResetReturnsEveryRecordToThePool)
{
    TimedProbe* probe = Probe();
    for (int32_t i = 0; i < 5; ++i)
        game->ScheduleTimedAction(probe, Make(probeId), 10.0f);
    size_t pooledBefore = events.GetPooledCount();
    game->Reset();
    EXPECT_EQ(events.GetPooledCount(), pooledBefore + 5);
    EXPECT_EQ(game->CountPendingTimedActions(), 0);
}

TEST_F(GameTimedActions, BroadcastReachesTheFilteredEntitiesInRadiusOnly)
{
    TimedProbe* source = Probe();
    auto* near = Spawn<TimedProbe>(150, 100);
    auto* far = Spawn<TimedProbe>(400, 100);
    for (TimedProbe* probe : {source, near, far})
        probe->stepCounter = &stepsRun;
    game->BroadcastEventInRadius(Make(probeId), source, 100.0f, 0x11);
    EXPECT_TRUE(source->steps.empty());
    EXPECT_EQ(near->steps.size(), 1u);
    EXPECT_TRUE(far->steps.empty());
    size_t pooledBefore = events.GetPooledCount();
    game->BroadcastEventInRadius(Make(probeId), nullptr, 1000.0f, 0x1);
    EXPECT_EQ(near->steps.size(), 1u) << "without a source nobody hears";
    EXPECT_EQ(events.GetPooledCount(), pooledBefore) << "the record still goes back";
}

// ---- Listeners that are not entities -------------------------------------------------------------

TEST_F(GameTimedActions, AListenerThatIsNoEntityGetsItsEventsAndCanCancelThem)
{
    TimedListener listener;
    game->ScheduleTimedAction(&listener, Make(probeId), 0.1f);
    game->ScheduleTimedAction(&listener, Make(otherId), 0.1f);
    EXPECT_NE(game->FindTimedAction(probeId, &listener), nullptr);
    EXPECT_TRUE(game->CancelTimedActions(otherId, &listener));
    Run(3);
    EXPECT_EQ(listener.heard, 1);
    EXPECT_EQ(game->CountPendingTimedActions(), 0);
}

TEST_F(GameTimedActions, AListenerGoneBeforeItsTimeIsSkipped)
{
    auto listener = std::make_unique<TimedListener>();
    game->ScheduleTimedAction(listener.get(), Make(probeId), 0.1f);
    listener.reset();
    Run(3);
    EXPECT_EQ(game->CountPendingTimedActions(), 0);
}

TEST_F(GameTimedActions, AListenerTheGameCannotWatchIsRefused)
{
    UnwatchedListener listener;
    Event* event = Make(probeId);
    size_t pooledBefore = events.GetPooledCount();
    game->ScheduleTimedAction(&listener, event, 0.0f);
    EXPECT_EQ(game->CountPendingTimedActions(), 0);
    EXPECT_EQ(events.GetPooledCount(), pooledBefore + 1) << "the record goes back to the pool";
}

} // namespace
