// PlayerCovenantGoodsTest -- the goods a deal moves are the player's own: found and taken from its inventory, and given into its carried bags (their stacks first) or onto the ground at its feet.
#include "covenants/PlayerCovenantWorld.h"
#include "entities/ItemGround.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr const char* kPlayerCovenantGoodsRecords = R"(
GoodsTonic
{
    Type Item
    ItemType Potion
    AlwaysIdentified 1
    MaxStack 5
    Value 10
}
GoodsBand
{
    Type Item
    ItemType Ring
    AlwaysIdentified 1
    Value 40
}
)";

} // namespace

class PlayerCovenantGoods : public PlayerCovenantWorld {
protected:
    PlayerCovenantGoods() : PlayerCovenantWorld(kPlayerCovenantGoodsRecords)
    {
        covenant = &AddPlayerCovenant();
        player = AddPlayer(*covenant, 300.0f, 300.0f);
        player->inventory->ResizeBag(InventoryGroupIndex::Bag1, 1);
        player->inventory->ResizeBag(InventoryGroupIndex::Bag2, 1);
    }

    static std::unique_ptr<ItemBase> Make(const char* record, int32_t count = 1)
    {
        std::unique_ptr<ItemBase> item = FakeCovenantHost::MakeItem(record);
        item->SetStackCount(count);
        return item;
    }

    int32_t CountOnGround() const
    {
        int32_t count = 0;
        for (int32_t number = 0; number < 1500; ++number)
            count += dynamic_cast<const ItemGround*>(game.GetEntity(number)) ? 1 : 0;
        return count;
    }

    PlayerCovenant* covenant = nullptr;
    Player* player = nullptr;
};

TEST_F(PlayerCovenantGoods, TheGoodsADealNamesAreThePlayersAndLeaveIt)
{
    std::unique_ptr<ItemBase> band = Make("GoodsBand");
    ItemBase* raw = band.get();
    ASSERT_TRUE(player->inventory->PlaceItem(band, InventoryGroupIndex::Bag2, 0, 0));
    EXPECT_EQ(covenant->GetStoredItem(InventoryGroupIndex::Bag2, 0), raw);
    EXPECT_EQ(covenant->GetStoredItem(InventoryGroupIndex::Bag2, 1), nullptr);
    EXPECT_EQ(covenant->GetStoredItem(-1, 0), nullptr);
    std::unique_ptr<ItemBase> taken = covenant->RemoveStoredItem(InventoryGroupIndex::Bag2, 0);
    EXPECT_EQ(taken.get(), raw);
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Bag2, 0), nullptr);
    EXPECT_EQ(covenant->RemoveStoredItem(InventoryGroupIndex::Bag2, 0), nullptr);

    // Without a player there are no goods, and none can be given.
    covenant->SetPlayer(nullptr);
    EXPECT_EQ(covenant->GetStoredItem(InventoryGroupIndex::Bag2, 0), nullptr);
    EXPECT_FALSE(covenant->GiveStoredItem(taken, InventoryGroupIndex::Bag2));
    EXPECT_EQ(taken.get(), raw);
}

TEST_F(PlayerCovenantGoods, GivenGoodsJoinAStackFirstThenAFreeCellThenTheGround)
{
    // A stack in the second bag takes the tonics before the empty first bag does.
    std::unique_ptr<ItemBase> stack = Make("GoodsTonic", 2);
    ItemBase* held = stack.get();
    ASSERT_TRUE(player->inventory->PlaceItem(stack, InventoryGroupIndex::Bag2, 0, 0));
    std::unique_ptr<ItemBase> tonics = Make("GoodsTonic", 3);
    EXPECT_TRUE(covenant->GiveStoredItem(tonics, InventoryGroupIndex::Stash));
    EXPECT_EQ(tonics, nullptr);
    EXPECT_EQ(held->GetStackCount(), 5);
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Bag1, 0), nullptr);

    // A band goes to the free cell; the next one, with both bags full, to the ground.
    std::unique_ptr<ItemBase> band = Make("GoodsBand");
    EXPECT_TRUE(covenant->GiveStoredItem(band, InventoryGroupIndex::Stash));
    EXPECT_NE(player->inventory->GetItem(InventoryGroupIndex::Bag1, 0), nullptr);
    EXPECT_EQ(CountOnGround(), 0);
    std::unique_ptr<ItemBase> another = Make("GoodsBand");
    EXPECT_TRUE(covenant->GiveStoredItem(another, InventoryGroupIndex::Stash));
    EXPECT_EQ(another, nullptr);
    EXPECT_EQ(CountOnGround(), 1);
}

TEST_F(PlayerCovenantGoods, OnlyTheCarriedBagsHoldGoodsForADeal)
{
    for (int32_t bag : {InventoryGroupIndex::Main, InventoryGroupIndex::Equipment, InventoryGroupIndex::Stash,
                        InventoryGroupIndex::House, InventoryGroupIndex::Bag4})
        player->inventory->ResizeBag(bag, std::max(1, player->inventory->GetSlotCount(bag)));
    std::vector<std::pair<int32_t, ItemBase*>> placed;
    for (int32_t bag : {InventoryGroupIndex::Main, InventoryGroupIndex::Equipment, InventoryGroupIndex::Stash,
                        InventoryGroupIndex::House, InventoryGroupIndex::Bag4}) {
        std::unique_ptr<ItemBase> band = Make("GoodsBand");
        ItemBase* raw = band.get();
        ASSERT_TRUE(player->inventory->PlaceItem(band, bag, 0, kPlaceAnyGroup | kPlaceIgnoreOccupant)) << bag;
        placed.emplace_back(bag, raw);
    }
    for (auto [bag, raw] : placed) {
        bool carried = bag == InventoryGroupIndex::Bag4;
        EXPECT_EQ(covenant->GetStoredItem(bag, 0), carried ? raw : nullptr) << bag;
        EXPECT_EQ(covenant->RemoveStoredItem(bag, 0).get() == raw, carried) << bag;
        EXPECT_EQ(player->inventory->GetItem(bag, 0), carried ? nullptr : raw) << "left where it was: " << bag;
    }
}
