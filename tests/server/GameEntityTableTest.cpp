// GameEntityTableTest -- the 1500-slot table: which slot a new entity takes, refusals, the players list, numbers outside the table, the reset.
#include "server/GameWorld.h"

#include "entities/Sentient.h"

#include <climits>

namespace {

class TablePlayer : public Sentient {
public:
    bool IsPlayer() const override { return true; }
};

class RefusingPlayer : public TablePlayer {
public:
    void OnAddedToGame() override { entityNumber = -1; }
};

class CountedEntity : public Entity {
public:
    explicit CountedEntity(int32_t& deaths) : deaths(deaths) {}
    ~CountedEntity() override { ++deaths; }
    int32_t& deaths;
};

class GameEntityTable : public GameWorld {
protected:
    int32_t Add() { return game->AddEntity(new Entity()); }
    void Remove(int32_t number)
    {
        Entity* entity = game->GetEntity(number);
        ASSERT_NE(entity, nullptr);
        game->RemoveEntity(entity);
        delete entity;
    }
};

TEST_F(GameEntityTable, AtTheStartTheFirstFreeSlotIsTakenEvenIfJustFreed)
{
    Add();
    Add();
    Remove(0);
    EXPECT_EQ(Add(), 0) << "every free slot is equally young at elapsed time 0";
}

TEST_F(GameEntityTable, JustFreedSlotWaitsWhileAnOlderOneExists)
{
    for (int32_t i = 0; i < 3; ++i)
        Add();
    Step();
    Remove(0);
    EXPECT_EQ(Add(), 3) << "slot 3 has been free since the start";
    Step(19);
    EXPECT_EQ(Add(), 4) << "slot 0 is not a second old yet, slot 4 is older";
    Step(2);
    EXPECT_EQ(Add(), 0) << "a second has passed: the first such slot, at once";
}

TEST_F(GameEntityTable, AllRecentlyFreedTakesTheLongestFreeAndTheFirstOfEqualAges)
{
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        ASSERT_EQ(Add(), i);
    Remove(9);
    Remove(4);
    Step();
    Remove(2);
    EXPECT_EQ(Add(), 4);
    EXPECT_EQ(Add(), 9);
    EXPECT_EQ(Add(), 2);
}

TEST_F(GameEntityTable, TheLastAddOfAFullTableIsRefusedAndKeepsItsNumber)
{
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        ASSERT_EQ(Add(), i);
    Entity extra;
    extra.entityNumber = 77;
    EXPECT_EQ(game->AddEntity(&extra), -1);
    EXPECT_EQ(extra.entityNumber, 77);
    EXPECT_EQ(CountLogged("Couldn't add entity, too many entities\n"), 1);
    EXPECT_EQ(game->CountEntities(), GameServices::kMaxEntities);
}

TEST_F(GameEntityTable, ARefusingPlayerLeavesNeitherSlotNorPlayerEntry)
{
    auto* refusing = new RefusingPlayer();
    refusing->SetPosition(At(100, 100));
    EXPECT_EQ(game->AddEntity(refusing), -1);
    EXPECT_EQ(game->GetEntity(0), nullptr);
    std::vector<int32_t> inGrid;
    game->CollectLevelEntities(0, inGrid);
    EXPECT_TRUE(inGrid.empty());
    for (Sentient* player : game->GetPlayers())
        EXPECT_NE(player, refusing);
    delete refusing;  // the caller's to delete: nothing in the game may point at it now
    auto* player = Spawn<TablePlayer>(100, 100);
    ASSERT_FALSE(game->GetPlayers().empty());
    EXPECT_EQ(game->GetPlayers()[0], player);
    EXPECT_EQ(player->entityNumber, 0);
}

TEST_F(GameEntityTable, APlayerTakesTheEntryOfARemovedPlayer)
{
    auto* first = Spawn<TablePlayer>(0, 0);
    auto* second = Spawn<TablePlayer>(10, 0);
    game->RemoveEntity(first);
    delete first;
    ASSERT_EQ(game->GetPlayers().size(), 2u);
    EXPECT_EQ(game->GetPlayers()[0], nullptr);
    auto* third = Spawn<TablePlayer>(20, 0);
    EXPECT_EQ(game->GetPlayers(), (std::vector<Sentient*>{third, second}));
}

TEST_F(GameEntityTable, NumbersOutsideTheTableNameNoEntity)
{
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        Add();
    for (int32_t number : {-1, GameServices::kMaxEntities, INT_MAX, INT_MIN})
        EXPECT_EQ(game->GetEntity(number), nullptr) << number;
    EXPECT_NE(game->GetEntity(GameServices::kMaxEntities - 1), nullptr);
}

TEST_F(GameEntityTable, AnAddedEntityStandsInItsLevelsGridAndLeavesItWhenRemoved)
{
    Entity* entity = Spawn(500, 500, 1);
    std::vector<int32_t> numbers;
    game->CollectLevelEntities(1, numbers);
    EXPECT_EQ(numbers, std::vector<int32_t>{entity->entityNumber});
    game->RemoveEntity(entity);
    game->CollectLevelEntities(1, numbers);
    EXPECT_TRUE(numbers.empty());
    EXPECT_EQ(entity->entityNumber, 0) << "the entity keeps its number";
    delete entity;
}

TEST_F(GameEntityTable, ResetDeletesEveryEntityOnceAndEmptiesTheTable)
{
    int32_t deaths = 0;
    for (int32_t i = 0; i < 50; ++i) {
        auto* entity = new CountedEntity(deaths);
        entity->SetPosition(At(10.0f * static_cast<float>(i), 0));
        game->AddEntity(entity);
    }
    auto* player = Spawn<TablePlayer>(0, 0);
    (void)player;
    game->Reset();
    EXPECT_EQ(deaths, 50);
    EXPECT_EQ(game->CountEntities(), 0);
    EXPECT_TRUE(game->GetPlayers().empty());
    EXPECT_EQ(game->GetLevelRecordCount(), 0);
    game->ResetLevels();
    EXPECT_EQ(Add(), 0) << "the slots' stamps are cleared with them";
}

} // namespace
