// PlayerCovenantHouseBagTest -- the player's house bag as its covenant shows it (guards standing, relics on their pedestals, both gone when taken out) and the covenant's container a player trading with it opens.
#include "covenants/PlayerCovenantWorld.h"
#include "entities/Inventory.h"
#include "entities/Item.h"

#include <gtest/gtest.h>

class PlayerCovenantHouseBag : public PlayerCovenantWorld {
protected:
    PlayerCovenantHouseBag() : covenant(AddPlayerCovenant())
    {
        EXPECT_TRUE(PlaceWithSettings(covenant));
        player = AddPlayer(covenant);
        player->maxHealth = player->health = 100;
        EXPECT_TRUE(player->inventory->ResizeBag(InventoryGroupIndex::House, Covenant::kHouseSlots));
    }

    Item* PutInHouseBag(const char* record, int32_t slot)
    {
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntryByName(record);
        auto* raw = static_cast<Item*>(item.get());
        return player->inventory->PlaceItem(item, InventoryGroupIndex::House, slot, kPlaceAnyGroup) ? raw : nullptr;
    }

    void Step() { player->Update(0.05f); }

    PlayerCovenant& covenant;
    Player* player = nullptr;
};

TEST_F(PlayerCovenantHouseBag, GuardsAndRelicsFollowWhatTheHouseBagHolds)
{
    ASSERT_NE(PutInHouseBag("GuardWrit", 1), nullptr);
    ASSERT_NE(PutInHouseBag("RelicWhole", 6), nullptr);
    EXPECT_EQ(covenant.GetGuard(1), nullptr) << "nothing shows before the player's step";
    Step();
    ASSERT_NE(covenant.GetGuard(1), nullptr);
    ASSERT_NE(covenant.GetRelicDisplay(6), nullptr);
    // The relic's bonus (0.1 a level at level 10) counts at once.
    EXPECT_FLOAT_EQ(covenant.GetFloatStat(2), 2.0f);
    Entity* guard = covenant.GetGuard(1);
    // Another step changes nothing: the same guard stands.
    Step();
    EXPECT_EQ(covenant.GetGuard(1), guard);

    // Moved to another relic slot, the relic moves pedestal; deleted, the guard goes.
    ASSERT_TRUE(player->inventory->MoveItem(InventoryGroupIndex::House, 6, InventoryGroupIndex::House, 4));
    player->inventory->DeleteAt(InventoryGroupIndex::House, 1);
    Step();
    EXPECT_EQ(covenant.GetGuard(1), nullptr);
    EXPECT_EQ(covenant.GetRelicDisplay(6), nullptr);
    EXPECT_NE(covenant.GetRelicDisplay(4), nullptr);
    std::unique_ptr<ItemBase> relic = player->inventory->RemoveAt(InventoryGroupIndex::House, 4);
    Step();
    EXPECT_EQ(covenant.GetRelicDisplay(4), nullptr);
    EXPECT_FLOAT_EQ(covenant.GetFloatStat(2), 1.0f);
}

TEST_F(PlayerCovenantHouseBag, AnEliminatedCovenantShowsNoRelicAndAGuardOnlyInAGuardSlot)
{
    ASSERT_NE(PutInHouseBag("GuardWrit", 5), nullptr);
    Step();
    EXPECT_EQ(covenant.GetRelicDisplay(5), nullptr);
    for (int32_t slot = 0; slot < Covenant::kGuardSlots; ++slot)
        EXPECT_EQ(covenant.GetGuard(slot), nullptr) << slot;
    covenant.eliminated = true;
    ASSERT_NE(PutInHouseBag("RelicHalf", 7), nullptr);
    Step();
    EXPECT_EQ(covenant.GetRelicDisplay(7), nullptr);
}

TEST_F(PlayerCovenantHouseBag, TradingWithACovenantOpensItsContainer)
{
    PlainCovenant& other = AddCovenant("CovenantOther");
    ASSERT_TRUE(other.inventory->ResizeBag(InventoryGroupIndex::Loot, 6));
    Actor* envoy = SpawnActor("MonsterTester", 3, 140.0f, 100.0f);
    envoy->covenantIndex = other.index;
    player->SetInteraction(17, envoy->entityNumber);
    EXPECT_EQ(player->GetBag(InventoryGroupIndex::Loot), other.inventory->GetBag(InventoryGroupIndex::Loot));
    // The stash bags past it stay the player's own outside a stash.
    EXPECT_EQ(player->GetBag(InventoryGroupIndex::Loot + 1), player->inventory->GetBag(InventoryGroupIndex::Loot + 1));
    envoy->covenantIndex = -1;
    EXPECT_EQ(player->GetBag(InventoryGroupIndex::Loot), nullptr);
}
