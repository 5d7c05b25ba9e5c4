// GameServicesContract -- the suite every game behind GameServices must pass: table refusal and reuse, the radius bits, the ring order, timed actions; a game's tests instantiate it with a harness.
#pragma once

#include "core/Event.h"
#include "entities/EntityRulesWorld.h"
#include "entities/GameServices.h"
#include "entities/Sentient.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// A harness makes one game for a test, installs it as gGameServices and scripts what the
// contract asks of the world:
//   GameServices& Services();
//   void Step();                                     one fixed step, due actions delivered
//   int32_t CountPendingActions() const;
//   void SetPlayers(std::vector<Sentient*>);
//   void SetRelationship(int32_t code);              for every pair of sentients
//   void BlockBodies(std::function<bool(const WorldPos&)>);              the body test
//   void BlockCells(std::function<bool(const WorldPos&)>);               the cell test
//   void BlockLines(std::function<bool(const WorldPos&, const WorldPos&)>);   line traces
//   const std::vector<std::string>& QueuedLines() const;   the lines for the clients
//   void DestroyAll();                               the entities left, while events exist
// The game takes the entities the tests add; the tests delete those they remove.
namespace GameServicesContractProbes {

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

// Records in which step each delivery came instead of acting on it. (A game may run its timed
// actions before or after its clock moves in a step, so the step count is what is compared.)
class DeliveryProbe : public Entity {
public:
    EventClass* GetEventClass() const override { return table; }
    void OnProbe(Event&) { times.push_back(stepsRun); }
    static inline EventClass* table = nullptr;
    static inline int32_t stepsRun = 0;
    std::vector<int32_t> times;
};

} // namespace GameServicesContractProbes

template <class Harness>
class GameServicesContract : public EntityRulesWorld {
protected:
    using RefusingEntity = GameServicesContractProbes::RefusingEntity;
    using ProjectileProbe = GameServicesContractProbes::ProjectileProbe;
    using ChestProbe = GameServicesContractProbes::ChestProbe;
    using DeliveryProbe = GameServicesContractProbes::DeliveryProbe;

    static constexpr float kStepSeconds = 0.05f;

    GameServicesContract() { DeliveryProbe::stepsRun = 0; }
    ~GameServicesContract() override { harness.DestroyAll(); }

    GameServices& Services() { return harness.Services(); }

    void StepFor(float seconds)
    {
        int32_t steps = static_cast<int32_t>(seconds / kStepSeconds + 0.5f);
        for (int32_t i = 0; i < steps; ++i) {
            ++DeliveryProbe::stepsRun;
            harness.Step();
        }
    }

    template <class T = Entity>
    T* Spawn(float x = 0.0f, float y = 0.0f)
    {
        auto* entity = new T();
        entity->SetPosition(At(x, y));
        EXPECT_NE(Services().AddEntity(entity), -1);
        return entity;
    }

    std::set<int32_t> Kept(const Entity* source, uint32_t filter)
    {
        std::vector<Entity*> found;
        Services().FindEntitiesInRadius(At(100, 100), source, 50.0f, filter, found, false);
        std::set<int32_t> numbers;
        for (Entity* entity : found)
            numbers.insert(entity->entityNumber);
        return numbers;
    }

    // The probe's handler table and its event, registered afresh with this test's systems.
    int RegisterProbe()
    {
        DeliveryProbe::table = types.RegisterType("DeliveryProbe", "Entity", nullptr, nullptr);
        int probeId = events.RegisterEvent("probe");
        Listener::Subscribe(DeliveryProbe::table, probeId, &DeliveryProbe::OnProbe);
        return probeId;
    }

    Harness harness;
};

TYPED_TEST_SUITE_P(GameServicesContract);

TYPED_TEST_P(GameServicesContract, TableFullRefusesWithTheLogLine)
{
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        ASSERT_EQ(this->Services().AddEntity(new Entity()), i);
    Entity extra;
    EXPECT_EQ(this->Services().AddEntity(&extra), -1);
    EXPECT_EQ(extra.entityNumber, -1);
    EXPECT_EQ(this->CountLogged("Couldn't add entity, too many entities\n"), 1);
}

TYPED_TEST_P(GameServicesContract, EntityGivingItsNumberUpLeavesTheSlotEmpty)
{
    GameServicesContractProbes::RefusingEntity refusing;
    EXPECT_EQ(this->Services().AddEntity(&refusing), -1);
    EXPECT_EQ(this->Services().GetEntity(0), nullptr);
    auto* next = new Entity();
    EXPECT_EQ(this->Services().AddEntity(next), 0);
}

TYPED_TEST_P(GameServicesContract, FreedSlotWaitsOneSecondBeforeReuse)
{
    Entity* first = this->Spawn();
    this->Spawn();
    // A game may count its never-used slots as freed when it began: let the clock move first.
    this->StepFor(0.05f);
    this->Services().RemoveEntity(first);
    delete first;
    auto* early = new Entity();
    EXPECT_EQ(this->Services().AddEntity(early), 2) << "slot 0 was freed just now";
    this->Services().RemoveEntity(early);
    delete early;
    this->StepFor(1.1f);
    auto* late = new Entity();
    EXPECT_EQ(this->Services().AddEntity(late), 0);
}

TYPED_TEST_P(GameServicesContract, FullTableReusesTheSlotFreeLongest)
{
    std::vector<Entity*> all;
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        all.push_back(this->Spawn());
    this->Services().RemoveEntity(all[7]);
    delete all[7];
    this->StepFor(0.05f);
    this->Services().RemoveEntity(all[3]);
    delete all[3];
    auto* next = new Entity();
    EXPECT_EQ(this->Services().AddEntity(next), 7);
}

TYPED_TEST_P(GameServicesContract, NumbersOutsideTheTableNameNoEntity)
{
    this->Spawn();
    EXPECT_EQ(this->Services().GetEntity(-1), nullptr);
    EXPECT_EQ(this->Services().GetEntity(GameServices::kMaxEntities), nullptr);
}

TYPED_TEST_P(GameServicesContract, RadiusFilterBits)
{
    auto* source = this->template Spawn<Sentient>(100, 100);
    auto* companion = this->template Spawn<Sentient>(110, 100);
    auto* stranger = this->template Spawn<Sentient>(120, 100);
    auto* corpse = this->template Spawn<Sentient>(130, 100);
    auto* projectile = this->template Spawn<GameServicesContractProbes::ProjectileProbe>(100, 110);
    auto* chest = this->template Spawn<GameServicesContractProbes::ChestProbe>(100, 120);
    this->template Spawn<Sentient>(400, 400);  // out of reach
    source->AddCompanion(companion, 4);
    for (Sentient* living : {source, companion, stranger}) {
        living->maxHealth = 10;
        living->health = 10;
    }
    corpse->maxHealth = 10;
    stranger->covenantIndex = 0;
    int32_t s = source->entityNumber, f = companion->entityNumber, h = stranger->entityNumber;
    int32_t d = corpse->entityNumber, p = projectile->entityNumber, c = chest->entityNumber;

    EXPECT_EQ(this->Kept(source, 0x1), (std::set<int32_t>{s, f, h, d, p, c}));
    EXPECT_EQ(this->Kept(source, 0x11), (std::set<int32_t>{f, h, d, p, c}));
    EXPECT_EQ(this->Kept(source, 0x2), (std::set<int32_t>{f}));
    EXPECT_EQ(this->Kept(source, 0x44), (std::set<int32_t>{h}));
    EXPECT_EQ(this->Kept(source, 0x20), (std::set<int32_t>{d}));
    EXPECT_EQ(this->Kept(source, 0x80), (std::set<int32_t>{p}));
    EXPECT_EQ(this->Kept(source, 0x800), (std::set<int32_t>{c}));
    EXPECT_EQ(this->Kept(source, 0x101), (std::set<int32_t>{s, h, d, p, c}));
    EXPECT_EQ(this->Kept(source, 0x401), (std::set<int32_t>{s, f, d, p, c}));
    EXPECT_EQ(this->Kept(source, 0x2001), (std::set<int32_t>{s, f, h, d}));
    EXPECT_TRUE(this->Kept(nullptr, 0x1001).empty()) << "the relation bit keeps nothing without a source";
    this->harness.SetRelationship(3);
    EXPECT_EQ(this->Kept(source, 0x18), (std::set<int32_t>{f, h, d}));
    this->harness.SetRelationship(2);
    EXPECT_TRUE(this->Kept(source, 0x18).empty());
    EXPECT_EQ(this->Kept(source, 0x210), (std::set<int32_t>{f, h, d}));
}

TYPED_TEST_P(GameServicesContract, SourceRadiusWidensTheSearchOnlyWhenAsked)
{
    auto* source = this->Spawn(100, 100);
    source->radius = 30.0f;
    this->Spawn(170, 100);
    std::vector<Entity*> found;
    this->Services().FindEntitiesInRadius(this->At(100, 100), source, 50.0f, 0x11, found, false);
    EXPECT_TRUE(found.empty());
    this->Services().FindEntitiesInRadius(this->At(100, 100), source, 50.0f, 0x11, found, true);
    EXPECT_EQ(found.size(), 1u);
}

TYPED_TEST_P(GameServicesContract, RingVisitsBorderCellsNorthRowFirstWestToEast)
{
    std::vector<std::pair<float, float>> visited;
    this->harness.BlockBodies([&visited](const WorldPos& where) {
        visited.emplace_back(where.x, where.y);
        return true;
    });
    Entity body;
    SpawnSearch search;
    search.entity = &body;
    WorldPos out;
    EXPECT_FALSE(this->Services().FindSpawnPositionInRing(this->At(1000, 1000), 1, search, out));
    float g = this->Tuning().gridSize.x;
    std::vector<std::pair<float, float>> expected = {
        {1000 - g, 1000 + g}, {1000, 1000 + g}, {1000 + g, 1000 + g}, {1000 - g, 1000},
        {1000 + g, 1000},     {1000 - g, 1000 - g}, {1000, 1000 - g}, {1000 + g, 1000 - g}};
    EXPECT_EQ(visited, expected);
    visited.clear();
    this->Services().FindSpawnPositionInRing(this->At(1000, 1000), 2, search, out);
    EXPECT_EQ(visited.size(), 16u);
}

TYPED_TEST_P(GameServicesContract, SpawnSearchTakesTheFirstRingWithRoom)
{
    float g = this->Tuning().gridSize.x;
    this->harness.BlockBodies([](const WorldPos& where) { return where.x < 1000.0f + 1.5f * 32.0f; });
    Entity body;
    SpawnSearch search;
    search.entity = &body;
    WorldPos out;
    ASSERT_TRUE(this->Services().FindSpawnPosition(this->At(1000, 1000), 4, search, false, out));
    EXPECT_FLOAT_EQ(out.x, 1000 + 2 * g);
    EXPECT_FLOAT_EQ(out.y, 1000 + 2 * g);
}

TYPED_TEST_P(GameServicesContract, SpawnSearchFallsBackToTheCentreOnlyWhenAsked)
{
    this->harness.BlockBodies([](const WorldPos&) { return true; });
    Entity body;
    SpawnSearch search;
    search.entity = &body;
    WorldPos out = this->At(5, 5);
    EXPECT_FALSE(this->Services().FindSpawnPosition(this->At(1000, 1000), 2, search, false, out));
    ASSERT_TRUE(this->Services().FindSpawnPosition(this->At(1000, 1000), -1, search, true, out));
    EXPECT_FLOAT_EQ(out.x, 1000.0f);
}

TYPED_TEST_P(GameServicesContract, BodyTestCountsOnlySolidKindsInTheMask)
{
    Entity body;
    body.radius = 20.0f;
    auto* gate = this->Spawn(1010, 1000);
    gate->solidType = 1;
    EXPECT_TRUE(this->Services().IsSpotFreeForBody(this->At(1000, 1000), &body, 0)) << "mask 0 means Normal and Transparent";
    EXPECT_FALSE(this->Services().IsSpotFreeForBody(this->At(1000, 1000), &body, 2));
    gate->netFlag = false;
    EXPECT_TRUE(this->Services().IsSpotFreeForBody(this->At(1000, 1000), &body, 2));
    EXPECT_FALSE(this->Services().IsSpotFreeForBody(this->At(1000, 1000), nullptr, 7));
    this->harness.BlockBodies([](const WorldPos&) { return true; });
    body.flags |= EntityFlag::IgnoresObstacles;
    EXPECT_TRUE(this->Services().IsSpotFreeForBody(this->At(1000, 1000), &body, 7));
}

// The blocker test looks at bodies only: walls under the body leave it clear, where the body
// test refuses the spot.
TYPED_TEST_P(GameServicesContract, BlockerTestSeesBodiesButNotWalls)
{
    Entity body;
    body.radius = 20.0f;
    this->harness.BlockBodies([](const WorldPos&) { return true; });
    EXPECT_FALSE(this->Services().IsSpotFreeForBody(this->At(1000, 1000), &body, 7));
    EXPECT_TRUE(this->Services().IsSpotClearOfBlockers(this->At(1000, 1000), &body, 7));
    auto* other = this->Spawn(1010, 1000);
    EXPECT_FALSE(this->Services().IsSpotClearOfBlockers(this->At(1000, 1000), &body, 7));
    EXPECT_TRUE(this->Services().IsSpotClearOfBlockers(this->At(1000, 1000), &body, 7, other)) << "the one ignored";
    other->solidType = 1;
    EXPECT_TRUE(this->Services().IsSpotClearOfBlockers(this->At(1000, 1000), &body, 0)) << "a kind outside the mask";
    EXPECT_FALSE(this->Services().IsSpotClearOfBlockers(this->At(1000, 1000), nullptr, 7));
}

TYPED_TEST_P(GameServicesContract, SpotTestRefusesChestsAndBlockedCells)
{
    this->template Spawn<GameServicesContractProbes::ChestProbe>(1000, 1000);
    EXPECT_FALSE(this->Services().IsSpotFree(this->At(1000.04f, 1000)));
    EXPECT_TRUE(this->Services().IsSpotFree(this->At(1000.1f, 1000)));
    this->harness.BlockCells([](const WorldPos&) { return true; });
    EXPECT_FALSE(this->Services().IsSpotFree(this->At(2000, 2000)));
}

TYPED_TEST_P(GameServicesContract, ClearLineStopsAtWallsAndBlockersOnTheWay)
{
    auto* target = this->Spawn(1200, 1000);
    EXPECT_TRUE(this->Services().HasClearLine(this->At(1000, 1000), target, 0));
    auto* blocker = this->Spawn(1100, 1005);
    blocker->radius = 10.0f;
    EXPECT_FALSE(this->Services().HasClearLine(this->At(1000, 1000), target, 0));
    blocker->solidType = 1;
    EXPECT_TRUE(this->Services().HasClearLine(this->At(1000, 1000), target, 0));
    this->harness.BlockLines([](const WorldPos&, const WorldPos&) { return true; });
    EXPECT_FALSE(this->Services().HasClearLine(this->At(1000, 1000), target, 0));
    EXPECT_FALSE(this->Services().HasClearLine(this->At(1000, 1000), nullptr, 0));
}

TYPED_TEST_P(GameServicesContract, TimedActionsFallDueOnStepBoundaries)
{
    int probeId = this->RegisterProbe();
    auto* probe = this->template Spawn<GameServicesContractProbes::DeliveryProbe>();
    this->Services().ScheduleTimedAction(probe, this->events.MakeEvent(probeId), 0.0f);
    this->Services().ScheduleTimedAction(probe, this->events.MakeEvent(probeId), 0.1f);
    EXPECT_NE(this->Services().FindTimedAction(probeId, probe), nullptr);
    this->StepFor(0.2f);
    EXPECT_EQ(probe->times, (std::vector<int32_t>{1, 2})) << "a delay of 0 lands on the next step";
    EXPECT_EQ(this->Services().FindTimedAction(probeId, probe), nullptr);
}

TYPED_TEST_P(GameServicesContract, CancelledAndOrphanedActionsNeverArrive)
{
    int probeId = this->RegisterProbe();
    auto* kept = this->template Spawn<GameServicesContractProbes::DeliveryProbe>();
    auto* removed = this->template Spawn<GameServicesContractProbes::DeliveryProbe>();
    this->Services().ScheduleTimedAction(kept, this->events.MakeEvent(probeId), 0.1f);
    this->Services().ScheduleTimedAction(removed, this->events.MakeEvent(probeId), 0.1f);
    EXPECT_TRUE(this->Services().CancelTimedActions(probeId, kept));
    EXPECT_FALSE(this->Services().CancelTimedActions(probeId, kept));
    this->Services().RemoveEntity(removed);
    delete removed;
    this->StepFor(0.5f);
    EXPECT_TRUE(kept->times.empty());
    EXPECT_EQ(this->harness.CountPendingActions(), 0);
}

TYPED_TEST_P(GameServicesContract, NearestPlayerIsTheFirstOfEqualDistances)
{
    auto* far = this->template Spawn<Sentient>(300, 0);
    auto* first = this->template Spawn<Sentient>(100, 0);
    auto* second = this->template Spawn<Sentient>(0, 100);
    this->harness.SetPlayers({nullptr, far, first, second});
    EXPECT_EQ(this->Services().FindNearestPlayer(this->At(0, 0)), first);
    this->harness.SetPlayers({});
    EXPECT_EQ(this->Services().FindNearestPlayer(this->At(0, 0)), nullptr);
}

TYPED_TEST_P(GameServicesContract, MessagesAreQueuedAsMsgLines)
{
    this->Services().SendMessage("$$LevelUp$$", 3);
    ASSERT_EQ(this->harness.QueuedLines().size(), 1u);
    EXPECT_EQ(this->harness.QueuedLines()[0], "msg 3 \"$$LevelUp$$\"");
}

REGISTER_TYPED_TEST_SUITE_P(GameServicesContract,
                            TableFullRefusesWithTheLogLine,
                            EntityGivingItsNumberUpLeavesTheSlotEmpty,
                            FreedSlotWaitsOneSecondBeforeReuse,
                            FullTableReusesTheSlotFreeLongest,
                            NumbersOutsideTheTableNameNoEntity,
                            RadiusFilterBits,
                            SourceRadiusWidensTheSearchOnlyWhenAsked,
                            RingVisitsBorderCellsNorthRowFirstWestToEast,
                            SpawnSearchTakesTheFirstRingWithRoom,
                            SpawnSearchFallsBackToTheCentreOnlyWhenAsked,
                            BodyTestCountsOnlySolidKindsInTheMask,
                            BlockerTestSeesBodiesButNotWalls,
                            SpotTestRefusesChestsAndBlockedCells,
                            ClearLineStopsAtWallsAndBlockersOnTheWay,
                            TimedActionsFallDueOnStepBoundaries,
                            CancelledAndOrphanedActionsNeverArrive,
                            NearestPlayerIsTheFirstOfEqualDistances,
                            MessagesAreQueuedAsMsgLines);
