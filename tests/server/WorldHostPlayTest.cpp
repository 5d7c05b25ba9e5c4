// WorldHostPlayTest -- the world host as play uses it: the frame delivers the step's events, several clients each ask for a new world, warps hold, uses need reach, and a client's lines have a budget.
#include "server/WorldHostWorld.h"

#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/Listener.h"
#include "entities/Actor.h"
#include "support/LogLines.h"

namespace {

// Hears every delivery of the events it is entered for.
class HeardEvents : public Listener {
public:
    void ObserveEvent(Event& event) override { names.push_back(event.name); }
    std::vector<std::string> names;
};

class WorldHostPlay : public WorldHostWorld {
protected:
    WorldHostPlay()
    {
        Sentient::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        StartWorld();
    }
};

TEST_F(WorldHostPlay, TheWorldLaysOutItsThreeMeadows)
{
    EXPECT_EQ(gWorld->GetLevelCount(), 3);
    EXPECT_EQ(CountLinesHolding(debug, "doesn't fit"), 0);
    // Each the neighbour of the next across its lower edge.
    EXPECT_EQ(gWorld->GetNeighbourLevel(0, DirectionOfLevelStep({0, 1})), 1);
    EXPECT_EQ(gWorld->GetNeighbourLevel(1, DirectionOfLevelStep({0, 1})), 2);
}

TEST_F(WorldHostPlay, AHitOfTheFrameReachesItsListenerAndTheQueueIsEmptyAfterTheStep)
{
    TestClient client(6201);
    Player* player = Join(client);
    ASSERT_NE(player, nullptr);
    auto* monster = Spawn<Sentient>(player->position.x + 40.0f, player->position.y, player->position.level);
    HeardEvents heard;
    events.AddListenerEntry(events.FindEvent("SuccessfulHit"), &heard);
    events.AddListenerEntry(events.FindEvent("WhenHit"), &heard);
    player->OnSuccessfulHit(4, monster, true, false, false, false, true);
    monster->RaiseWhenHit(player, false);
    EXPECT_EQ(events.GetQueuedCount(), 2u);
    Frame(60);
    EXPECT_EQ(heard.names, (std::vector<std::string>{"SuccessfulHit", "WhenHit"}));
    EXPECT_EQ(events.GetQueuedCount(), 0u);
    // A frame without a step still delivers nothing twice.
    Frame(0);
    EXPECT_EQ(heard.names.size(), 2u);
    events.RemoveListener(&heard);
}

} // namespace
