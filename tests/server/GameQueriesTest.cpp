// GameQueriesTest -- the radius filter against a walk of the whole table, spawn rings at their edges, clear lines, line traces by their masks, and places that are no number.
#include "server/GameWorld.h"

#include "core/RandomSystem.h"
#include "entities/Sentient.h"

#include <cmath>
#include <limits>
#include <set>

namespace {

class QueryProjectile : public Entity {
public:
    bool IsProjectile() const override { return true; }
};

class QueryChest : public Entity {
public:
    bool IsChest() const override { return true; }
};

class GameQueries : public GameWorld {
protected:
    // The radius bits as the table of the game's rules states them, applied to every entity of
    // the table by exact distance.
    std::set<int32_t> Oracle(const WorldPos& centre, const Entity* source, float radius, uint32_t filter,
                             bool addSourceRadius) const
    {
        if (addSourceRadius && source)
            radius += source->radius;
        std::set<int32_t> kept;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
            const Entity* e = game->GetEntity(i);
            // Off every level is in no grid.
            if (!e || e->position.level == -1 || Vector2Length(centre.DeltaTo(e->position)) - e->radius > radius)
                continue;
            bool living = e->maxHealth > 0 && e->health > 0;
            bool sentients = dynamic_cast<const Sentient*>(e) && dynamic_cast<const Sentient*>(source);
            int32_t relation = game->GetRelationship(source, e);
            bool excluded = ((filter & 0x10) && e == source) || ((filter & 0x40) && !living) ||
                            ((filter & 0x1000) && !(source && source->IsRelatedTo(e))) ||
                            ((filter & 0x2000) && !e->IsCreature()) ||
                            ((filter & 0x100) && source && source->IsFriendly(e)) ||
                            ((filter & 0x400) && e->covenantIndex >= 0);
            bool included = (filter & 0x1) || ((filter & 0x2) && source && source->IsFriendly(e)) ||
                            ((filter & 0x8) && sentients && relation > 2) ||
                            ((filter & 0x200) && sentients && relation > 1) ||
                            ((filter & 0x4) && source && source->IsHostile(e)) ||
                            ((filter & 0x20) && e->maxHealth > 0 && e->health < 1) ||
                            ((filter & 0x80) && e->IsProjectile()) || ((filter & 0x800) && e->IsChest());
            if (!excluded && included)
                kept.insert(i);
        }
        return kept;
    }

    std::set<int32_t> Found(const WorldPos& centre, const Entity* source, float radius, uint32_t filter,
                            bool addSourceRadius) const
    {
        std::vector<Entity*> found;
        game->FindEntitiesInRadius(centre, source, radius, filter, found, addSourceRadius);
        std::set<int32_t> numbers;
        for (Entity* entity : found)
            numbers.insert(entity->entityNumber);
        EXPECT_EQ(numbers.size(), found.size());
        return numbers;
    }

    // Carried into the level it lands on, as every position of a moving entity is.
    WorldPos Place(RandomSystem& stream, float spread)
    {
        int32_t level = stream.RandomInt(RandomStream::GameData, 3);
        WorldPos place = At(2048.0f + (stream.RandomFloat(RandomStream::GameData) - 0.5f) * spread,
                            2048.0f + (stream.RandomFloat(RandomStream::GameData) - 0.5f) * spread, level);
        place.Normalize();
        return place;
    }
};

TEST_F(GameQueries, EveryFilterAndItsNearestAgreeWithAWalkOfTheWholeTable)
{
    RandomSystem stream(77);
    std::vector<Entity*> all;
    for (int32_t i = 0; i < 300; ++i) {
        int32_t kind = stream.RandomInt(RandomStream::GameData, 4);
        Entity* entity = kind == 0 ? Spawn<Sentient>(0, 0) : kind == 1 ? Spawn<QueryProjectile>(0, 0)
                                                       : kind == 2 ? Spawn<QueryChest>(0, 0) : Spawn(0, 0);
        entity->SetPosition(Place(stream, 8000.0f));
        entity->radius = stream.RandomFloat(RandomStream::GameData) * 30.0f;
        entity->maxHealth = stream.RandomInt(RandomStream::GameData, 3);
        entity->health = stream.RandomInt(RandomStream::GameData, 3);
        entity->covenantIndex = stream.RandomInt(RandomStream::GameData, 3) - 1;
        all.push_back(entity);
    }
    for (int32_t k = 0; k + 1 < 300; k += 3)
        if (auto* leader = dynamic_cast<Sentient*>(all[static_cast<size_t>(k)]))
            if (auto* companion = dynamic_cast<Sentient*>(all[static_cast<size_t>(k + 1)]))
                leader->AddCompanion(companion, 4);
    const uint32_t bits[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000};
    for (int32_t query = 0; query < 600; ++query) {
        uint32_t filter = 0;
        for (uint32_t bit : bits)
            if (stream.RandomInt(RandomStream::GameData, 4) == 0)
                filter |= bit;
        game->relationship = stream.RandomInt(RandomStream::GameData, 5);
        const Entity* source = query % 5 == 0 ? nullptr : all[static_cast<size_t>(stream.RandomInt(RandomStream::GameData, 300))];
        WorldPos centre = source && query % 2 ? source->position : Place(stream, 8000.0f);
        float radius = stream.RandomFloat(RandomStream::GameData) * 1200.0f;
        bool wide = query % 3 == 0;
        std::set<int32_t> kept = Oracle(centre, source, radius, filter, wide);
        ASSERT_EQ(Found(centre, source, radius, filter, wide), kept) << "query " << query << " filter " << filter;
        // Random places tie on no distance, so the nearest is one entity.
        const Entity* nearest = nullptr;
        for (int32_t number : kept) {
            const Entity* entity = game->GetEntity(number);
            if (!nearest || Vector2Length(centre.DeltaTo(entity->position)) < Vector2Length(centre.DeltaTo(nearest->position)))
                nearest = entity;
        }
        ASSERT_EQ(game->FindNearestEntity(centre, source, radius, filter, wide), nearest) << "query " << query;
    }
}

TEST_F(GameQueries, RingZeroTestsOnlyTheCentreAndANegativeMaximumTestsNothing)
{
    int32_t asked = 0;
    game->bodyBlocked = [&asked](const WorldPos&) {
        ++asked;
        return true;
    };
    Entity body;
    SpawnSearch search;
    search.entity = &body;
    WorldPos out;
    EXPECT_FALSE(game->FindSpawnPosition(At(500, 500), 0, search, false, out));
    EXPECT_EQ(asked, 1);
    asked = 0;
    EXPECT_TRUE(game->FindSpawnPosition(At(500, 500), -1, search, true, out));
    EXPECT_EQ(asked, 0);
    EXPECT_FLOAT_EQ(out.x, 500.0f);
    game->bodyBlocked = nullptr;
    EXPECT_TRUE(game->FindSpawnPosition(At(500, 500), 0, search, false, out));
    EXPECT_FLOAT_EQ(out.y, 500.0f);
}

TEST_F(GameQueries, RingsCarryIntoTheNeighbourLevelOnlyWhenAllowed)
{
    game->bodyBlocked = [](const WorldPos& where) { return where.level == 0; };
    Entity body;
    SpawnSearch search;
    search.entity = &body;
    WorldPos out;
    WorldPos edge = At(RowWorld::kLevelSize - 5.0f, 1000, 0);
    EXPECT_FALSE(game->FindSpawnPositionInRing(edge, 1, search, out));
    search.otherLevels = true;
    ASSERT_TRUE(game->FindSpawnPositionInRing(edge, 1, search, out));
    EXPECT_EQ(out.level, 1);
    EXPECT_NEAR(out.x, 32.0f - 5.0f, 1e-3f);
}

TEST_F(GameQueries, AClearLineMaskOfZeroMeansNormalAndTransparentBlockers)
{
    Entity* target = Spawn(1300, 1000);
    Entity* blocker = Spawn(1150, 1000);
    blocker->radius = 20.0f;
    for (int32_t type : {0, 2}) {
        blocker->solidType = type;
        EXPECT_FALSE(game->HasClearLine(At(1000, 1000), target, 0)) << type;
    }
    for (int32_t type : {1, 3}) {
        blocker->solidType = type;
        EXPECT_TRUE(game->HasClearLine(At(1000, 1000), target, 0)) << type;
        EXPECT_FALSE(game->HasClearLine(At(1000, 1000), target, 1u << type)) << type;
    }
    target->flags |= EntityFlag::IgnoresObstacles;
    game->cellBlocked = [](const WorldPos&) { return true; };
    EXPECT_TRUE(game->HasClearLine(At(1000, 1000), target, 7)) << "always reachable";
}

TEST_F(GameQueries, ATraceStopsAtTheFirstBlockedCellOfTheRightKind)
{
    game->cellBlocked = [](const WorldPos& where) { return where.x > 1200.0f && where.x < 1264.0f; };
    Entity* hit = nullptr;
    EXPECT_TRUE(game->TraceLine(At(1000, 1000), At(1500, 1000), 4u, nullptr, nullptr, hit));
    EXPECT_EQ(hit, nullptr);
    EXPECT_FALSE(game->TraceLine(At(1000, 1000), At(1500, 1000), 1u, nullptr, nullptr, hit)) << "mask 1 asks sight";
    game->sightBlocked = game->cellBlocked;
    EXPECT_TRUE(game->TraceLine(At(1000, 1000), At(1500, 1000), 1u, nullptr, nullptr, hit));
    EXPECT_FALSE(game->TraceLine(At(1000, 1000), At(1190, 1000), 4u, nullptr, nullptr, hit));
}

TEST_F(GameQueries, ATraceOfTwoEqualPointsTestsNoCellOnlyEntities)
{
    game->cellBlocked = [](const WorldPos&) { return true; };
    Entity* shooter = Spawn(1000, 1000);
    Entity* blocker = Spawn(1005, 1000);
    blocker->radius = 10.0f;
    Entity* hit = nullptr;
    game->cellQuestions = 0;
    EXPECT_FALSE(game->TraceLine(At(1000, 1000), At(1000, 1000), 1u, shooter, nullptr, hit))
        << "a plain entity blocks sight only when flagged";
    EXPECT_EQ(game->cellQuestions, 0);
    EXPECT_FALSE(game->TraceLine(At(1000, 1000), At(1000, 1000), 4u, shooter, nullptr, hit)) << "kind 0 is not in mask 4";
    EXPECT_TRUE(game->TraceLine(At(1000, 1000), At(1000, 1000), 5u, shooter, nullptr, hit));
    EXPECT_EQ(hit, blocker);
    blocker->alwaysBlocks = true;
    EXPECT_TRUE(game->TraceLine(At(1000, 1000), At(1000, 1000), 1u, shooter, nullptr, hit));
    EXPECT_EQ(hit, blocker);
}

TEST_F(GameQueries, ATraceNeverStopsOnItsShooterOrTheIgnoredEntity)
{
    Entity* shooter = Spawn(1000, 1000);
    shooter->radius = 30.0f;
    shooter->alwaysBlocks = true;
    Entity* target = Spawn(1200, 1000);
    target->radius = 30.0f;
    target->alwaysBlocks = true;
    Entity* hit = nullptr;
    EXPECT_FALSE(game->TraceLine(At(1000, 1000), At(1200, 1000), 1u, shooter, target, hit));
    EXPECT_TRUE(game->TraceLine(At(1000, 1000), At(1200, 1000), 1u, shooter, nullptr, hit));
    EXPECT_EQ(hit, target);
    Entity* gate = Spawn(1100, 1010);
    gate->radius = 20.0f;
    gate->solidType = 1;
    EXPECT_TRUE(game->TraceLine(At(1000, 1000), At(1200, 1000), 2u, shooter, target, hit));
    EXPECT_EQ(hit, gate);
    EXPECT_FALSE(game->TraceLine(At(1000, 1000), At(1200, 1000), 4u, shooter, target, hit));
    gate->netFlag = false;
    EXPECT_FALSE(game->TraceLine(At(1000, 1000), At(1200, 1000), 2u, shooter, target, hit)) << "not solid";
}

TEST_F(GameQueries, ATraceCrossesIntoTheNeighbourLevel)
{
    std::vector<int32_t> levels;
    game->cellBlocked = [&levels](const WorldPos& where) {
        levels.push_back(where.level);
        return where.level == 1 && where.x > 100.0f;
    };
    Entity* hit = nullptr;
    EXPECT_FALSE(game->TraceLine(At(RowWorld::kLevelSize - 100, 50, 0), At(90, 50, 1), 4u, nullptr, nullptr, hit));
    EXPECT_EQ(levels.back(), 1);
    EXPECT_TRUE(game->TraceLine(At(RowWorld::kLevelSize - 100, 50, 0), At(300, 50, 1), 4u, nullptr, nullptr, hit));
}

TEST_F(GameQueries, PlacesThatAreNoNumberAreBlockedAndFindNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Entity* target = Spawn(1000, 1000);
    Entity* hit = nullptr;
    game->cellQuestions = 0;
    for (float bad : {nan, inf, -inf}) {
        EXPECT_TRUE(game->TraceLine(At(bad, 1000), At(1000, 1000), 4u, nullptr, nullptr, hit));
        EXPECT_TRUE(game->TraceLine(At(1000, 1000), At(1000, bad), 1u, target, nullptr, hit));
        EXPECT_FALSE(game->HasClearLine(At(bad, 1000), target, 0));
        std::vector<int32_t> numbers;
        game->CollectEntitiesNear(At(bad, bad), 1e9f, true, numbers);
        EXPECT_TRUE(numbers.empty());
        game->CollectEntitiesNear(At(1000, 1000), bad, true, numbers);
        EXPECT_TRUE(numbers.empty());
    }
    // A far end would take billions of steps: refused as blocked before any cell is asked.
    EXPECT_TRUE(game->TraceLine(At(1000, 1000), At(1e30f, 1000), 4u, nullptr, nullptr, hit));
    EXPECT_EQ(game->cellQuestions, 0);
}

TEST(GameWorldCells, TheRealGameAnswersBlockedForPlacesThatAreNoNumber)
{
    RowWorld row(2);
    Game game;
    game.ResetLevels();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(game.IsCellBlocked({0, nan, 10.0f, true}));
    EXPECT_TRUE(game.IsCellSightBlocked({0, 10.0f, nan, true}));
    EXPECT_TRUE(game.IsBodyBlocked({0, nan, nan, true}, 10.0f));
    EXPECT_TRUE(game.IsBodyBlocked({0, 10.0f, 10.0f, true}, nan));
    EXPECT_TRUE(game.IsCellBlocked({5, 10.0f, 10.0f, true})) << "no such level";
    EXPECT_FALSE(game.IsKnownLevel(2));
    EXPECT_TRUE(game.IsKnownLevel(1));
}

} // namespace
