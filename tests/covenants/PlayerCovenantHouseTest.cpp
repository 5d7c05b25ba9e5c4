// PlayerCovenantHouseTest -- the player covenant's house where the tile table puts it, spots near the lifestone and the house gate, a new world's reset, recruits leaving and the storage the player reaches.
#include "covenants/PlayerCovenantWorld.h"
#include "covenants/Recruit.h"
#include "entities/Gate.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Stash.h"

#include <gtest/gtest.h>

class PlayerCovenantHouse : public PlayerCovenantWorld {
protected:
    // A covenant whose settings were read (with the recruits of the slots) and placed.
    PlayerCovenant& PlacedCovenant(std::vector<int32_t> slots = {})
    {
        PlayerCovenant& covenant = AddPlayerCovenant();
        CovenantSettingsBlock block;
        block.loaded = true;
        for (int32_t slot : slots)
            block.recruits.push_back({slot, Id("MonsterTester"), 4});
        block.health = 70;
        block.maxHealth = 80;
        MessageBuffer buffer = Written(block);
        EXPECT_TRUE(covenant.ReadSettings(buffer));
        covenant.PlaceInWorld();
        return covenant;
    }

    static void ExpectAtTile(const Entity* entity, int32_t x, int32_t y)
    {
        ASSERT_NE(entity, nullptr);
        EXPECT_EQ(entity->position.level, 0);
        EXPECT_NEAR(entity->position.x, Tile(x, y).x, 16.0f);
        EXPECT_NEAR(entity->position.y, Tile(x, y).y, 16.0f);
    }
};

TEST_F(PlayerCovenantHouse, FiveObjectsAndFourPedestalsStandWhereTheTileTablePutsThem)
{
    PlayerCovenant& covenant = PlacedCovenant();
    const int32_t hx = kHouseTileX;
    const int32_t hy = kHouseTileY;
    std::vector<Entity*> stash = EntitiesOf("ObjectCovenantStash");
    std::vector<Entity*> shelf = EntitiesOf("ObjectBookshelf");
    std::vector<Entity*> own = EntitiesOf("ObjectPlayerStash");
    std::vector<Entity*> lifestone = EntitiesOf("ObjectLifestone");
    std::vector<Entity*> gate = EntitiesOf("ObjectGate");
    ASSERT_EQ(stash.size(), 1u);
    ASSERT_EQ(shelf.size(), 1u);
    ASSERT_EQ(own.size(), 1u);
    ASSERT_EQ(lifestone.size(), 1u);
    ASSERT_EQ(gate.size(), 1u);
    ExpectAtTile(stash[0], hx - 5, hy - 2);
    ExpectAtTile(shelf[0], hx - 5, hy);
    ExpectAtTile(own[0], hx - 5, hy + 2);
    ExpectAtTile(lifestone[0], hx, hy);
    ExpectAtTile(gate[0], hx + 3, hy);
    EXPECT_NE(dynamic_cast<Stash*>(stash[0]), nullptr);
    EXPECT_TRUE(dynamic_cast<Stash*>(own[0])->IsPlayerStash());
    EXPECT_EQ(covenant.GetHouseGate(), gate[0]);
    EXPECT_EQ(covenant.GetHomeEntity(), lifestone[0]);
    for (Entity* object : {stash[0], shelf[0], own[0], lifestone[0], gate[0]})
        EXPECT_EQ(object->covenantIndex, covenant.index);
    EXPECT_FLOAT_EQ(covenant.GetHomePosition().x, lifestone[0]->position.x);
    EXPECT_EQ(EntitiesOf("ObjectPedestal").size(), 4u);
    for (int32_t i = 0; i < Covenant::kRelicSlots; ++i)
        ASSERT_NE(covenant.GetPedestal(i), nullptr);
}

TEST_F(PlayerCovenantHouse, WithoutALifestoneOrGateThereIsNoSpot)
{
    PlayerCovenant& covenant = AddPlayerCovenant();
    Entity* walker = Spawn<Entity>(50.0f, 50.0f);
    EXPECT_EQ(covenant.FindSpotNearHome(walker).level, -1);
    EXPECT_EQ(covenant.FindSpotNearHouseGate(walker).level, -1);
    WorldPos out;
    auto* player = Spawn<Player>(60.0f, 60.0f);
    EXPECT_FALSE(covenant.FindSpotNearHouseGate(*player, out));

    PlayerCovenant& housed = PlacedCovenant();
    WorldPos home = housed.FindSpotNearHome(walker);
    EXPECT_EQ(home.level, 0);
    EXPECT_LE(home.Distance2D(housed.GetHomePosition()), 6.0f * 32.0f * 1.5f);
    ASSERT_TRUE(housed.FindSpotNearHouseGate(*player, out));
    EXPECT_LE(out.Distance2D(housed.GetHouseGate()->position), 6.0f * 32.0f * 1.5f);
}

TEST_F(PlayerCovenantHouse, ANewWorldClearsMoneyInfluenceAndGuardsAndBringsTheRecruitsHome)
{
    PlayerCovenant& covenant = PlacedCovenant({1, 2});
    Player* player = AddPlayer(covenant);
    ASSERT_TRUE(player->inventory->ResizeBag(InventoryGroupIndex::House, Covenant::kHouseSlots));
    std::unique_ptr<ItemBase> writ = std::make_unique<Item>();
    writ->SetEntryByName("GuardWrit");
    ASSERT_TRUE(player->inventory->PlaceItem(writ, InventoryGroupIndex::House, 0, 0));
    covenant.SpawnGuard(covenant.GetInventoryItem(InventoryGroupIndex::House, 0), 0);
    ASSERT_NE(covenant.GetGuard(0), nullptr);
    covenant.statistics.Set(CovenantStat::Money, 500);
    covenant.statistics.Set(CovenantStat::InfluenceWorld, 77);
    covenant.targetCovenant = 3;
    covenant.SetRelation(2, 60.0f);
    covenant.SetHomeHealth(10);
    covenant.CaptureRecruits();
    // The old world goes with everything in it but the player, as the game keeps it.
    game.RemoveEntity(player);
    game.DestroyAll();
    ASSERT_EQ(covenant.GetRecruitActor(1), nullptr);
    ASSERT_EQ(covenant.GetHouseGate(), nullptr);

    covenant.ResetForNewWorld();
    ASSERT_NE(game.AddEntity(player), -1);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::Money), 0);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::InfluenceWorld), 0);
    EXPECT_EQ(covenant.GetInventoryItem(InventoryGroupIndex::House, 0), nullptr);
    EXPECT_EQ(covenant.GetGuard(0), nullptr);
    EXPECT_EQ(covenant.targetCovenant, -1);
    EXPECT_FALSE(covenant.HasRelation(2));
    EXPECT_EQ(EntitiesOf("ObjectLifestone").size(), 1u);
    EXPECT_EQ(covenant.GetHomeHealth(), covenant.GetHomeMaxHealth());
    for (int32_t slot : {1, 2}) {
        ASSERT_NE(covenant.GetRecruitActor(slot), nullptr) << slot;
        EXPECT_EQ(covenant.GetRecruitActor(slot)->stats.Get(CharacterStat::Level), 4);
        EXPECT_TRUE(covenant.GetRecruitActor(slot)->homeSet);
    }
}

TEST_F(PlayerCovenantHouse, ARecruitLeavesTheRosterWithItsActorReleased)
{
    PlayerCovenant& covenant = PlacedCovenant({0, 2});
    Player* player = AddPlayer(covenant);
    EXPECT_EQ(covenant.GetRecruitCount(), 3);
    Actor* actor = covenant.GetRecruitActor(2);
    ASSERT_NE(actor, nullptr);
    EXPECT_EQ(covenant.GetRecruitActor(2, nullptr), nullptr);
    EXPECT_EQ(covenant.GetRecruitActor(2, player), actor);
    EXPECT_EQ(covenant.GetRecruitActor(kMaxRecruits, player), nullptr);
    EXPECT_EQ(covenant.GetRecruitActor(1, player), nullptr);
    player->AddCompanion(actor, 4);
    ASSERT_EQ(actor->GetLeader(), player);
    int32_t number = actor->entityNumber;

    for (int32_t bad : {-1, 1, kMaxRecruits})
        covenant.RemoveRecruit(bad);
    EXPECT_EQ(covenant.CountRecruits(), 2);
    covenant.RemoveRecruit(2);
    EXPECT_EQ(covenant.GetRecruitRecord(2), nullptr);
    EXPECT_EQ(covenant.GetRecruitCount(), 2);
    EXPECT_EQ(actor->GetLeader(), nullptr);
    EXPECT_EQ(player->FirstCompanion(), nullptr);
    game.StepFor(0.2f);
    EXPECT_EQ(game.GetEntity(number), nullptr);
}

TEST_F(PlayerCovenantHouse, ARecruitSentHomeStaysByTheLifestone)
{
    PlayerCovenant& covenant = PlacedCovenant({0});
    Actor* actor = covenant.GetRecruitActor(0);
    ASSERT_NE(actor, nullptr);
    actor->SetPosition(At(900.0f, 700.0f));
    actor->homeSet = false;
    covenant.SendRecruitToHouse(*actor);
    EXPECT_LE(actor->position.Distance2D(covenant.GetHomePosition()), 6.0f * 32.0f * 1.5f);
    EXPECT_TRUE(actor->homeSet);
    EXPECT_FLOAT_EQ(actor->homePosition.x, actor->position.x);
    // A stranger is not the covenant's to send.
    auto* stranger = Spawn<Actor>(900.0f, 700.0f);
    covenant.SendRecruitToHouse(*stranger);
    EXPECT_FLOAT_EQ(stranger->position.x, 900.0f);
}

TEST_F(PlayerCovenantHouse, TheHouseBagIsThePlayersAndTheStashBagsTheCovenants)
{
    PlayerCovenant& covenant = PlacedCovenant();
    EXPECT_EQ(covenant.GetInventoryItem(InventoryGroupIndex::House, 0), nullptr);
    Player* player = AddPlayer(covenant);
    EXPECT_EQ(player->covenantIndex, covenant.index);
    ASSERT_TRUE(player->inventory->ResizeBag(InventoryGroupIndex::House, Covenant::kHouseSlots));
    std::unique_ptr<ItemBase> relic = std::make_unique<Item>();
    relic->SetEntryByName("RelicWhole");
    ASSERT_TRUE(player->inventory->PlaceItem(relic, InventoryGroupIndex::House, 5, 0));
    ASSERT_NE(covenant.GetInventoryItem(InventoryGroupIndex::House, 5), nullptr);
    EXPECT_EQ(covenant.GetInventoryItem(InventoryGroupIndex::House, -1), nullptr);
    EXPECT_EQ(covenant.GetInventoryItem(InventoryGroupIndex::House, Covenant::kHouseSlots), nullptr);
    covenant.DeleteInventoryItem(InventoryGroupIndex::House, Covenant::kHouseSlots);
    covenant.DeleteInventoryItem(InventoryGroupIndex::House, 5);
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::House, 5), nullptr);

    EXPECT_EQ(covenant.GetStorageBag(InventoryGroupIndex::Stash), covenant.GetInventoryBag(InventoryGroupIndex::Stash));
    EXPECT_NE(covenant.GetStorageBag(InventoryGroupIndex::Stash + 8), nullptr);
    EXPECT_EQ(covenant.GetStorageBag(InventoryGroupIndex::Stash + 9), nullptr);
    EXPECT_EQ(covenant.GetStorageBag(InventoryGroupIndex::House), nullptr);
    // The covenant's goods are its crystals, never below none.
    covenant.AddCurrency(30);
    covenant.AddCurrency(-50);
    EXPECT_EQ(covenant.GetCurrency(), 0);
    covenant.AddCurrency(25);
    EXPECT_EQ(covenant.statistics.Get(CovenantStat::Money), 25);
}

// A resumed world keeps each treaty and trade route on the other covenants' side only: the
// player's covenant, made anew as it joins, takes its side of each from theirs.
TEST_F(PlayerCovenantHouse, APlacedCovenantTakesItsSideOfEachTreatyAndRouteFromTheOthers)
{
    PlainCovenant& enemy = AddCovenant();
    PlainCovenant& partner = AddCovenant();
    PlainCovenant& stranger = AddCovenant();
    int32_t own = enemy.index + 3;
    TimeStamp declared;
    declared.days = 2;
    TimeStamp opened;
    opened.days = 3;
    enemy.SetTreaty(own, CovenantTreaty::War, declared);
    partner.SetTreaty(own, CovenantTreaty::Alliance, declared);
    partner.SetTradeRoute(own, TradeRouteType::Medium, opened);
    stranger.ClearRelations();

    PlayerCovenant& covenant = PlacedCovenant();
    ASSERT_EQ(covenant.index, own);
    EXPECT_EQ(covenant.GetTreatyState(enemy.index), CovenantTreaty::War);
    EXPECT_TRUE(covenant.IsAtWarWith(enemy.index));
    EXPECT_EQ(covenant.GetTreatyTimeStamp(enemy.index).days, 2);
    EXPECT_EQ(covenant.GetTreatyState(partner.index), CovenantTreaty::Alliance);
    EXPECT_EQ(covenant.GetTradeRouteKind(partner.index), TradeRouteType::Medium);
    EXPECT_EQ(covenant.GetRelationTimeStamp(partner.index).days, 3);
    EXPECT_FALSE(covenant.HasRelation(stranger.index)) << "a covenant without a record toward it gives none";
    EXPECT_EQ(covenant.GetTreatyState(stranger.index), CovenantTreaty::Peace);
}
