// EventSystemTest -- names and ids, delivery through class tables with base fall-back, the pool, kept records, entity references.
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/Listener.h"
#include "core/SafeClass.h"
#include "core/TypeRegistry.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

class EventWorld : public ::testing::Test {
protected:
    EventWorld()
    {
        gTypeRegistry = &types;
        gEventSystem = &events;
        hit = events.RegisterEvent("SuccessfulHit");
        fade = events.RegisterEvent("fadeTo");
    }
    ~EventWorld() override
    {
        gEventSystem = nullptr;
        gTypeRegistry = nullptr;
    }

    TypeRegistry types;
    EventSystem events;
    int hit = -1;
    int fade = -1;
};

// A base listener class and one derived from it, each with its own table.
class Creature : public SafeClass, public Listener {
public:
    static EventClass* table;
    EventClass* GetEventClass() const override { return table; }
    void OnHit(Event& event) { seen.push_back("creature hit " + std::to_string(event.params.ReadInt())); }
    void OnFade(Event& event) { seen.push_back("creature fade " + std::to_string(event.params.ReadInt())); }
    std::vector<std::string> seen;
};
EventClass* Creature::table = nullptr;

class Player : public Creature {
public:
    static EventClass* table;
    EventClass* GetEventClass() const override { return table; }
    void OnHit(Event& event) { seen.push_back("player hit " + std::to_string(event.params.ReadInt())); }
};
EventClass* Player::table = nullptr;

class ListenerWorld : public EventWorld {
protected:
    ListenerWorld()
    {
        Creature::table = types.RegisterType("Creature", "Listener", nullptr, nullptr);
        Player::table = types.RegisterType("Player", "Creature", nullptr, nullptr);
        Listener::Subscribe(Creature::table, hit, &Creature::OnHit);
        Listener::Subscribe(Creature::table, fade, &Creature::OnFade);
        Listener::Subscribe(Player::table, hit, &Player::OnHit);
    }

    Event* HitEvent(int32_t damage)
    {
        Event* event = events.MakeEvent(hit);
        event->params.WriteInt(damage);
        return event;
    }
};

} // namespace

TEST_F(EventWorld, NamesGetStableIdsAndLookUpWithoutRegardToCase)
{
    EXPECT_EQ(hit, 0);
    EXPECT_EQ(fade, 1);
    EXPECT_EQ(events.RegisterEvent("successfulhit"), hit);
    EXPECT_EQ(events.FindEvent("FADETO"), fade);
    EXPECT_EQ(events.FindEvent("delete"), -1);
    EXPECT_EQ(events.GetEventName(fade), "fadeTo");
    EXPECT_EQ(events.GetEventName(7), "");
    EXPECT_EQ(events.GetEventName(-1), "");
}

TEST_F(EventWorld, RegistryKeepsOneTablePerClassAndSurvivesAnUnknownBase)
{
    EventClass* first = types.RegisterType("Entity", "Listener", nullptr, nullptr);
    EXPECT_EQ(types.RegisterType("ENTITY", "Nothing", nullptr, nullptr), first);
    EXPECT_EQ(first->GetBase(), types.FindType("Listener"));
    EventClass* orphan = types.RegisterType("Orphan", "NotRegistered", nullptr, nullptr);
    ASSERT_NE(orphan, nullptr);
    EXPECT_EQ(orphan->GetBase(), nullptr);
    EXPECT_EQ(types.FindType("Missing"), nullptr);
}

TEST_F(ListenerWorld, DerivedHandlerWinsAndMissingOnesFallBackToTheBase)
{
    Player player;
    Creature creature;
    events.DispatchEvent(HitEvent(7), {&player, &creature});
    Event* fadeEvent = events.MakeEvent(fade);
    fadeEvent->params.WriteInt(3);
    events.DispatchEvent(fadeEvent, {&player});

    EXPECT_EQ(player.seen, (std::vector<std::string>{"player hit 7", "creature fade 3"}));
    // The second listener reads the parameters from the start too.
    EXPECT_EQ(creature.seen, (std::vector<std::string>{"creature hit 7"}));
}

TEST_F(ListenerWorld, SubscribingToAMissingTableDoesNothing)
{
    Listener::Subscribe(static_cast<EventClass*>(nullptr), hit, &Creature::OnHit);
    Listener plain;
    Event* event = HitEvent(1);
    events.QueueEvent(event);
    events.AddListenerEntry(hit, &plain);
    events.DispatchQueue();
    EXPECT_FALSE(event->handled);
}

TEST_F(ListenerWorld, QueuedEventsReachTheirSubscribersOnlyAndRecordsReturnToThePool)
{
    Player player;
    Creature bystander;
    events.AddListenerEntry(hit, &player);
    events.AddListenerEntry(hit, &player);
    events.AddListenerEntry(fade, &bystander);
    Event* event = HitEvent(12);
    events.QueueEvent(event);
    events.QueueEvent(event);
    EXPECT_EQ(events.GetQueuedCount(), 1u);
    EXPECT_TRUE(player.seen.empty());

    events.DispatchQueue();
    EXPECT_EQ(player.seen, (std::vector<std::string>{"player hit 12"}));
    EXPECT_TRUE(bystander.seen.empty());
    EXPECT_EQ(events.GetQueuedCount(), 0u);
    EXPECT_EQ(events.GetPooledCount(), 1u);

    // The pooled record comes back emptied.
    Event* again = events.AllocEvent();
    EXPECT_EQ(again, event);
    EXPECT_EQ(again->id, -1);
    EXPECT_TRUE(again->name.empty());
    EXPECT_EQ(again->params.Size(), 0u);
    EXPECT_FALSE(again->handled);
    EXPECT_EQ(events.GetPooledCount(), 0u);
}

TEST_F(ListenerWorld, KeptEventStaysWithItsOwnerUntilReleased)
{
    Player player;
    events.AddListenerEntry(hit, &player);
    Event* event = HitEvent(5);
    event->kept = true;
    events.QueueEvent(event);
    events.DispatchQueue();
    EXPECT_TRUE(event->handled);
    EXPECT_EQ(events.GetPooledCount(), 0u);
    events.FreeEvent(event);
    EXPECT_EQ(events.GetPooledCount(), 0u);

    // Queued again with the flag cleared, it is delivered once more and then pooled.
    event->kept = false;
    events.QueueEvent(event);
    events.DispatchQueue();
    EXPECT_EQ(player.seen.size(), 2u);
    EXPECT_EQ(events.GetPooledCount(), 1u);
    events.FreeEvent(event);
    EXPECT_EQ(events.GetPooledCount(), 1u);
}

TEST_F(ListenerWorld, EventsQueuedByAHandlerWaitForTheNextDispatch)
{
    Player player;
    events.AddListenerEntry(hit, &player);
    events.AddListenerEntry(fade, &player);
    Listener::Subscribe(Player::table, fade, [this](Listener&, Event&) { events.QueueEvent(HitEvent(2)); });
    events.QueueEvent(events.MakeEvent(fade));
    events.DispatchQueue();
    EXPECT_TRUE(player.seen.empty());
    EXPECT_EQ(events.GetQueuedCount(), 1u);
    events.DispatchQueue();
    EXPECT_EQ(player.seen, (std::vector<std::string>{"player hit 2"}));
}

TEST_F(ListenerWorld, ListenerDestroyedByAnEarlierHandlerIsNotCalled)
{
    auto victim = std::make_unique<Creature>();
    Player killer;
    Listener::Subscribe(Player::table, hit, [&victim](Listener&, Event&) { victim.reset(); });
    events.AddListenerEntry(hit, &killer);
    events.AddListenerEntry(hit, victim.get());
    events.QueueEvent(HitEvent(9));
    events.DispatchQueue();
    EXPECT_EQ(victim, nullptr);

    // Its subscriptions went with it.
    events.QueueEvent(HitEvent(9));
    events.DispatchQueue();
}

TEST_F(ListenerWorld, AHandlersOwnDeliveryLeavesTheOneUnderWayWholeAndADestroyedListenerUncalled)
{
    Player killer;
    Creature watcher;
    auto victim = std::make_unique<Creature>();
    // Inside the fade's delivery the killer sends a hit to the watcher alone, then destroys the
    // victim that the fade has yet to reach.
    Listener::Subscribe(Player::table, fade, [&](Listener&, Event&) {
        events.DispatchEvent(HitEvent(4), {&watcher});
        victim.reset();
    });
    events.AddListenerEntry(fade, &killer);
    events.AddListenerEntry(fade, &watcher);
    events.AddListenerEntry(fade, victim.get());
    Event* event = events.MakeEvent(fade);
    event->params.WriteInt(7);
    events.QueueEvent(event);
    events.DispatchQueue();
    EXPECT_EQ(victim, nullptr);
    EXPECT_EQ(watcher.seen, (std::vector<std::string>{"creature hit 4", "creature fade 7"}));

    // The next delivery starts from the registered listeners, none of the last one's blanks.
    Creature late;
    events.AddListenerEntry(hit, &late);
    events.AddListenerEntry(hit, &watcher);
    events.QueueEvent(HitEvent(5));
    events.DispatchQueue();
    EXPECT_EQ(late.seen, (std::vector<std::string>{"creature hit 5"}));
    EXPECT_EQ(watcher.seen.back(), "creature hit 5");
}

TEST_F(ListenerWorld, EntityReferenceReadsNullOnceTheEntityIsDeleted)
{
    auto target = std::make_unique<Creature>();
    Creature attacker;
    Event* event = events.MakeEvent(hit);
    event->WriteEntity(&attacker);
    event->params.WriteInt(40);
    event->WriteEntity(target.get());
    event->WriteEntity(nullptr);
    event->kept = true;

    target.reset();
    event->params.SetReadPos(0);
    EXPECT_EQ(event->ReadEntity(), &attacker);
    EXPECT_EQ(event->params.ReadInt(), 40);
    EXPECT_EQ(event->ReadEntity(), nullptr);
    EXPECT_EQ(event->ReadEntity(), nullptr);
    // Past the end, and an index outside the list, both read as no entity.
    EXPECT_EQ(event->ReadEntity(), nullptr);
    event->Clear();
    event->params.WriteInt(1);
    event->params.WriteInt(-5);
    EXPECT_EQ(event->ReadEntity(), nullptr);
    EXPECT_EQ(event->ReadEntity(), nullptr);
}

TEST_F(ListenerWorld, PooledRecordLetsGoOfItsEntities)
{
    auto target = std::make_unique<Creature>();
    Event* event = events.MakeEvent(hit);
    event->WriteEntity(target.get());
    events.FreeEvent(event);
    // Deleting the entity now must not touch the pooled record's old pointer.
    target.reset();
    Event* again = events.AllocEvent();
    again->params.WriteInt(0);
    EXPECT_EQ(again->ReadEntity(), nullptr);
}

TEST_F(ListenerWorld, ReservedRecordsServeAFlowOfEventsAndCarryNothingFromOneUseToTheNext)
{
    events.Reserve(3);
    events.Reserve(2);
    EXPECT_EQ(events.GetRecordCount(), 3u);
    EXPECT_EQ(events.GetPooledCount(), 3u);

    Player player;
    events.AddListenerEntry(hit, &player);
    auto target = std::make_unique<Creature>();
    for (int32_t step = 0; step < 4; ++step) {
        for (int32_t i = 0; i < 3; ++i) {
            Event* event = HitEvent(10 * step + i);
            if (step == 0)
                event->WriteEntity(target.get());
            events.QueueEvent(event);
        }
        events.DispatchQueue();
    }
    // Three at a time never needs a fourth record.
    EXPECT_EQ(events.GetRecordCount(), 3u);
    EXPECT_EQ(player.seen.size(), 12u);
    EXPECT_EQ(player.seen.back(), "player hit 32");

    // A record used for a hit comes back as a fade with none of the hit's values.
    target.reset();
    Event* fadeEvent = events.MakeEvent(fade);
    EXPECT_EQ(fadeEvent->name, "fadeTo");
    EXPECT_EQ(fadeEvent->params.Size(), 0u);
    fadeEvent->params.WriteInt(0);
    EXPECT_EQ(fadeEvent->ReadEntity(), nullptr);
    events.FreeEvent(fadeEvent);

    // Beyond the reserve the pool still grows.
    std::vector<Event*> held;
    for (int32_t i = 0; i < 4; ++i)
        held.push_back(events.MakeEvent(hit));
    EXPECT_EQ(events.GetRecordCount(), 4u);
    for (Event* event : held)
        events.FreeEvent(event);
}
