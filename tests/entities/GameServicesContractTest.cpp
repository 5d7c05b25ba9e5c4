// GameServicesContractTest -- what every game behind GameServices must do: table refusal and reuse, the radius bits, the ring order, timed actions.
#include "entities/EntityWorld.h"
#include "entities/Sentient.h"

#include "core/Event.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace {

// Gives its number up when the game adds it.
class RefusingEntity : public Entity {
public:
    void OnAddedToGame() override { entityNumber = -1; }
};

class ProjectileProbe : public Entity {
public:
    bool IsProjectile() const override { return true; }
};

class ChestProbe : public Entity {
public:
    bool IsChest() const override { return true; }
};

// Counts the "delete" deliveries it sees instead of dying.
class DeliveryProbe : public Entity {
public:
    EventClass* GetEventClass() const override { return table; }
    void OnProbe(Event&) { times.push_back(gGameServices->GetGameTime()); }
    static inline EventClass* table = nullptr;
    std::vector<double> times;
};

class GameServicesContract : public EntityWorld {
protected:
    GameServices& Services() { return game; }

    std::set<int32_t> Kept(const Entity* source, uint32_t filter)
    {
        std::vector<Entity*> found;
        Services().FindEntitiesInRadius(At(100, 100), source, 50.0f, filter, found, false);
        std::set<int32_t> numbers;
        for (Entity* entity : found)
            numbers.insert(entity->entityNumber);
        return numbers;
    }
};

} // namespace

TEST_F(GameServicesContract, TableFullRefusesWithTheLogLine)
{
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        ASSERT_EQ(Services().AddEntity(new Entity()), i);
    Entity extra;
    EXPECT_EQ(Services().AddEntity(&extra), -1);
    EXPECT_EQ(extra.entityNumber, -1);
    EXPECT_EQ(CountLogged("Couldn't add entity, too many entities\n"), 1);
}

TEST_F(GameServicesContract, EntityGivingItsNumberUpLeavesTheSlotEmpty)
{
    RefusingEntity refusing;
    EXPECT_EQ(Services().AddEntity(&refusing), -1);
    EXPECT_EQ(Services().GetEntity(0), nullptr);
    auto* next = new Entity();
    EXPECT_EQ(Services().AddEntity(next), 0);
}

TEST_F(GameServicesContract, FreedSlotWaitsOneSecondBeforeReuse)
{
    Entity* first = Spawn();
    Spawn();
    Services().RemoveEntity(first);
    delete first;
    auto* early = new Entity();
    EXPECT_EQ(Services().AddEntity(early), 2) << "slot 0 was freed just now";
    Services().RemoveEntity(early);
    delete early;
    game.StepFor(1.0f);
    auto* late = new Entity();
    EXPECT_EQ(Services().AddEntity(late), 0);
}

TEST_F(GameServicesContract, FullTableReusesTheSlotFreeLongest)
{
    std::vector<Entity*> all;
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        all.push_back(Spawn());
    Services().RemoveEntity(all[7]);
    delete all[7];
    game.Step();
    Services().RemoveEntity(all[3]);
    delete all[3];
    auto* next = new Entity();
    EXPECT_EQ(Services().AddEntity(next), 7);
}

TEST_F(GameServicesContract, NumbersOutsideTheTableNameNoEntity)
{
    Spawn();
    EXPECT_EQ(Services().GetEntity(-1), nullptr);
    EXPECT_EQ(Services().GetEntity(GameServices::kMaxEntities), nullptr);
}

TEST_F(GameServicesContract, RadiusFilterBits)
{
    auto* source = Spawn<Sentient>(100, 100);
    auto* companion = Spawn<Sentient>(110, 100);
    auto* stranger = Spawn<Sentient>(120, 100);
    auto* corpse = Spawn<Sentient>(130, 100);
    auto* projectile = Spawn<ProjectileProbe>(100, 110);
    auto* chest = Spawn<ChestProbe>(100, 120);
    Spawn<Sentient>(400, 400);  // out of reach
    source->AddCompanion(companion, 4);
    for (Sentient* living : {source, companion, stranger}) {
        living->maxHealth = 10;
        living->health = 10;
    }
    corpse->maxHealth = 10;
    stranger->covenantIndex = 0;
    int32_t s = source->entityNumber, f = companion->entityNumber, h = stranger->entityNumber;
    int32_t d = corpse->entityNumber, p = projectile->entityNumber, c = chest->entityNumber;

    EXPECT_EQ(Kept(source, 0x1), (std::set<int32_t>{s, f, h, d, p, c}));
    EXPECT_EQ(Kept(source, 0x11), (std::set<int32_t>{f, h, d, p, c}));
    EXPECT_EQ(Kept(source, 0x2), (std::set<int32_t>{f}));
    EXPECT_EQ(Kept(source, 0x44), (std::set<int32_t>{h}));
    EXPECT_EQ(Kept(source, 0x20), (std::set<int32_t>{d}));
    EXPECT_EQ(Kept(source, 0x80), (std::set<int32_t>{p}));
    EXPECT_EQ(Kept(source, 0x800), (std::set<int32_t>{c}));
    EXPECT_EQ(Kept(source, 0x101), (std::set<int32_t>{s, h, d, p, c}));
    EXPECT_EQ(Kept(source, 0x401), (std::set<int32_t>{s, f, d, p, c}));
    EXPECT_EQ(Kept(source, 0x2001), (std::set<int32_t>{s, f, h, d}));
    EXPECT_TRUE(Kept(nullptr, 0x1001).empty()) << "the relation bit keeps nothing without a source";
    game.relationship = 3;
    EXPECT_EQ(Kept(source, 0x18), (std::set<int32_t>{f, h, d}));
    game.relationship = 2;
    EXPECT_TRUE(Kept(source, 0x18).empty());
    EXPECT_EQ(Kept(source, 0x210), (std::set<int32_t>{f, h, d}));
}

TEST_F(GameServicesContract, SourceRadiusWidensTheSearchOnlyWhenAsked)
{
    auto* source = Spawn(100, 100);
    source->radius = 30.0f;
    Spawn(170, 100);
    std::vector<Entity*> found;
    Services().FindEntitiesInRadius(At(100, 100), source, 50.0f, 0x11, found, false);
    EXPECT_TRUE(found.empty());
    Services().FindEntitiesInRadius(At(100, 100), source, 50.0f, 0x11, found, true);
    EXPECT_EQ(found.size(), 1u);
}

TEST_F(GameServicesContract, RingVisitsBorderCellsNorthRowFirstWestToEast)
{
    std::vector<std::pair<float, float>> visited;
    game.bodyBlocked = [&visited](const WorldPos& where) {
        visited.emplace_back(where.x, where.y);
        return true;
    };
    Entity body;
    SpawnSearch search;
    search.entity = &body;
    WorldPos out;
    EXPECT_FALSE(Services().FindSpawnPositionInRing(At(1000, 1000), 1, search, out));
    float g = Tuning().gridSize.x;
    std::vector<std::pair<float, float>> expected = {
        {1000 - g, 1000 + g}, {1000, 1000 + g}, {1000 + g, 1000 + g}, {1000 - g, 1000},
        {1000 + g, 1000},     {1000 - g, 1000 - g}, {1000, 1000 - g}, {1000 + g, 1000 - g}};
    EXPECT_EQ(visited, expected);
    visited.clear();
    Services().FindSpawnPositionInRing(At(1000, 1000), 2, search, out);
    EXPECT_EQ(visited.size(), 16u);
}

TEST_F(GameServicesContract, SpawnSearchTakesTheFirstRingWithRoom)
{
    float g = Tuning().gridSize.x;
    game.bodyBlocked = [](const WorldPos& where) { return where.x < 1000.0f + 1.5f * 32.0f; };
    Entity body;
    SpawnSearch search;
    search.entity = &body;
    WorldPos out;
    ASSERT_TRUE(Services().FindSpawnPosition(At(1000, 1000), 4, search, false, out));
    EXPECT_FLOAT_EQ(out.x, 1000 + 2 * g);
    EXPECT_FLOAT_EQ(out.y, 1000 + 2 * g);
}

TEST_F(GameServicesContract, SpawnSearchFallsBackToTheCentreOnlyWhenAsked)
{
    game.bodyBlocked = [](const WorldPos&) { return true; };
    Entity body;
    SpawnSearch search;
    search.entity = &body;
    WorldPos out = At(5, 5);
    EXPECT_FALSE(Services().FindSpawnPosition(At(1000, 1000), 2, search, false, out));
    ASSERT_TRUE(Services().FindSpawnPosition(At(1000, 1000), -1, search, true, out));
    EXPECT_FLOAT_EQ(out.x, 1000.0f);
}

TEST_F(GameServicesContract, BodyTestCountsOnlySolidKindsInTheMask)
{
    Entity body;
    body.radius = 20.0f;
    auto* gate = Spawn(1010, 1000);
    gate->solidType = 1;
    EXPECT_TRUE(Services().IsSpotFreeForBody(At(1000, 1000), &body, 0)) << "mask 0 means Normal and Transparent";
    EXPECT_FALSE(Services().IsSpotFreeForBody(At(1000, 1000), &body, 2));
    gate->netFlag = false;
    EXPECT_TRUE(Services().IsSpotFreeForBody(At(1000, 1000), &body, 2));
    EXPECT_FALSE(Services().IsSpotFreeForBody(At(1000, 1000), nullptr, 7));
    game.bodyBlocked = [](const WorldPos&) { return true; };
    body.flags |= EntityFlag::IgnoresObstacles;
    EXPECT_TRUE(Services().IsSpotFreeForBody(At(1000, 1000), &body, 7));
}

TEST_F(GameServicesContract, SpotTestRefusesChestsAndBlockedCells)
{
    Spawn<ChestProbe>(1000, 1000);
    EXPECT_FALSE(Services().IsSpotFree(At(1000.04f, 1000)));
    EXPECT_TRUE(Services().IsSpotFree(At(1000.1f, 1000)));
    game.cellBlocked = [](const WorldPos&) { return true; };
    EXPECT_FALSE(Services().IsSpotFree(At(2000, 2000)));
}

TEST_F(GameServicesContract, ClearLineStopsAtWallsAndBlockersOnTheWay)
{
    auto* target = Spawn(1200, 1000);
    EXPECT_TRUE(Services().HasClearLine(At(1000, 1000), target, 0));
    auto* blocker = Spawn(1100, 1005);
    blocker->radius = 10.0f;
    EXPECT_FALSE(Services().HasClearLine(At(1000, 1000), target, 0));
    blocker->solidType = 1;
    EXPECT_TRUE(Services().HasClearLine(At(1000, 1000), target, 0));
    game.lineBlocked = [](const WorldPos&, const WorldPos&) { return true; };
    EXPECT_FALSE(Services().HasClearLine(At(1000, 1000), target, 0));
    EXPECT_FALSE(Services().HasClearLine(At(1000, 1000), nullptr, 0));
}

TEST_F(GameServicesContract, TimedActionsFallDueOnStepBoundaries)
{
    DeliveryProbe::table = types.RegisterType("DeliveryProbe", "Entity", nullptr, nullptr);
    int probeId = events.RegisterEvent("probe");
    Listener::Subscribe(DeliveryProbe::table, probeId, &DeliveryProbe::OnProbe);
    auto* probe = Spawn<DeliveryProbe>();
    Services().ScheduleTimedAction(probe, events.MakeEvent(probeId), 0.0f);
    Services().ScheduleTimedAction(probe, events.MakeEvent(probeId), 0.1f);
    EXPECT_NE(Services().FindTimedAction(probeId, probe), nullptr);
    game.StepFor(0.2f);
    ASSERT_EQ(probe->times.size(), 2u);
    EXPECT_NEAR(probe->times[0], 0.05, 1e-6) << "a delay of 0 lands on the next step";
    EXPECT_NEAR(probe->times[1], 0.10, 1e-6);
    EXPECT_EQ(Services().FindTimedAction(probeId, probe), nullptr);
}

TEST_F(GameServicesContract, CancelledAndOrphanedActionsNeverArrive)
{
    DeliveryProbe::table = types.RegisterType("DeliveryProbe", "Entity", nullptr, nullptr);
    int probeId = events.RegisterEvent("probe");
    Listener::Subscribe(DeliveryProbe::table, probeId, &DeliveryProbe::OnProbe);
    auto* kept = Spawn<DeliveryProbe>();
    auto* removed = Spawn<DeliveryProbe>();
    Services().ScheduleTimedAction(kept, events.MakeEvent(probeId), 0.1f);
    Services().ScheduleTimedAction(removed, events.MakeEvent(probeId), 0.1f);
    EXPECT_TRUE(Services().CancelTimedActions(probeId, kept));
    EXPECT_FALSE(Services().CancelTimedActions(probeId, kept));
    Services().RemoveEntity(removed);
    delete removed;
    game.StepFor(0.5f);
    EXPECT_TRUE(kept->times.empty());
    EXPECT_EQ(game.CountPendingActions(), 0);
}

TEST_F(GameServicesContract, NearestPlayerIsTheFirstOfEqualDistances)
{
    auto* far = Spawn<Sentient>(300, 0);
    auto* first = Spawn<Sentient>(100, 0);
    auto* second = Spawn<Sentient>(0, 100);
    game.players = {nullptr, far, first, second};
    EXPECT_EQ(Services().FindNearestPlayer(At(0, 0)), first);
    game.players.clear();
    EXPECT_EQ(Services().FindNearestPlayer(At(0, 0)), nullptr);
}

TEST_F(GameServicesContract, MessagesAreQueuedAsMsgLines)
{
    Services().SendMessage("$$LevelUp$$", 3);
    ASSERT_EQ(game.lines.size(), 1u);
    EXPECT_EQ(game.lines[0], "msg 3 \"$$LevelUp$$\"");
}
