// ItemClientTest -- the host player's items arrive as client items with their own keys; the item-timer gate, the price factors of food and drink, the use request through to the host, and the inventory's owner test.
#include "client/ItemClient.h"
#include "client/PlayerClientWorld.h"

#include "entities/Inventory.h"
#include "entities/Item.h"
#include "server/ServerCommands.h"

namespace {

constexpr const char* kItemClientRecords = R"(
ItemPie
{
    Type Item
    ItemType Food
    CanBeUsed 1
    MaxStack 5
    UseSoundName "sounds/munch.ogg"
    ItemTimer 1
    ItemTimerTime 2
    ShowSkillHint 1
}
ItemAle
{
    Type Item
    ItemType Drink
    CanBeUsed 1
    ItemTimer 3
}
ItemCharm
{
    Type Item
    ItemType Other
    CanBeUsed 1
    ItemTimer 9
}
)";

class ItemClientMirror : public PlayerClientWorld {
protected:
    void SetUp() override
    {
        StartWorldOnly("", kItemClientRecords);
        MakePlayer();
        Join();
        hostPlayer->inventory->ResizeBag(InventoryGroupIndex::Bag1, 6);
        for (const char* record : {"ItemPie", "ItemAle", "ItemCharm"}) {
            std::unique_ptr<ItemBase> item = std::make_unique<Item>();
            item->SetEntryByName(record);
            item->SetStackCount(2);
            ASSERT_TRUE(hostPlayer->inventory->AddItem(item, InventoryGroupIndex::Bag1)) << record;
        }
        ClientFrame(50);
        ClientFrame(50);
    }

    const ItemClient* Shown(int32_t slot) const
    {
        return dynamic_cast<const ItemClient*>(player->GetInventory().GetItem(InventoryGroupIndex::Bag1, slot));
    }
};

TEST_F(ItemClientMirror, TheHostsItemsArriveAsClientItemsWithTheirOwnKeys)
{
    for (int32_t slot = 0; slot < 3; ++slot) {
        ASSERT_NE(Shown(slot), nullptr) << slot;
        EXPECT_EQ(Shown(slot)->GetEntry(), hostPlayer->inventory->GetItem(InventoryGroupIndex::Bag1, slot)->GetEntry());
    }
    EXPECT_TRUE(Shown(0)->ShowsSkillHint());
    EXPECT_FALSE(Shown(1)->ShowsSkillHint());
    // Without a resource manager no sound is held, and nothing breaks.
    EXPECT_FALSE(Shown(0)->GetUseSound().IsValid());

    gameClient->foodPriceFactor = 1.5f;
    gameClient->drinkPriceFactor = 0.5f;
    EXPECT_FLOAT_EQ(Shown(0)->GetValueMultiplier(), 1.5f);
    EXPECT_FLOAT_EQ(Shown(1)->GetValueMultiplier(), 0.5f);
    EXPECT_FLOAT_EQ(Shown(2)->GetValueMultiplier(), 1.0f);

    // The factors are the client game's: without one, every item is worth its plain value.
    EXPECT_EQ(Shown(0)->GetGame(), gGameClient);
    GameClient* game = gGameClient;
    gGameClient = nullptr;
    EXPECT_EQ(Shown(0)->GetGame(), nullptr);
    EXPECT_FLOAT_EQ(Shown(0)->GetValueMultiplier(), 1.0f);
    gGameClient = game;
}

TEST_F(ItemClientMirror, AnItemWaitsForItsTimerAndATimerNeverStartedCountsAsNone)
{
    EXPECT_TRUE(Shown(0)->IsUsable());
    RandomTimer* timer = player->GetItemTimer(1);
    ASSERT_NE(timer, nullptr);
    timer->running = 1;
    timer->remaining = 0.1f;
    EXPECT_FALSE(Shown(0)->IsUsable());
    // Timer 3 was never started, and 9 is no timer the player keeps.
    EXPECT_TRUE(Shown(1)->IsUsable());
    EXPECT_TRUE(Shown(2)->IsUsable());
    EXPECT_EQ(player->GetItemTimer(9), nullptr);
    player->Update(0.1f);
    EXPECT_TRUE(Shown(0)->IsUsable());

    // Without a local player nothing is usable.
    gClientApp = nullptr;
    EXPECT_FALSE(Shown(0)->IsUsable());
    gClientApp = app.get();
}

TEST_F(ItemClientMirror, UsingAnItemAsksTheHostWhichStartsItsTimer)
{
    ServerCommands::Register(host->GetClientCommands());
    ASSERT_TRUE(hostPlayer->IsItemTimerReady(1));
    Shown(0)->RequestUse(InventoryGroupIndex::Bag1, 0);
    ASSERT_FALSE(app->GetQueuedLines().empty());
    EXPECT_EQ(app->GetQueuedLines().back(), "useItem 2 0");
    ClientFrame(50);
    ClientFrame(50);
    EXPECT_EQ(hostPlayer->statistics.Get(PlayerStatistic::ItemsUsed), 1);
    EXPECT_FALSE(hostPlayer->IsItemTimerReady(1));
    // The host's "itemTimer" line starts the client's timer: the rest of the stack waits for it.
    ClientFrame(50);
    ClientFrame(50);
    ASSERT_NE(Shown(0), nullptr);
    EXPECT_EQ(Shown(0)->GetStackCount(), 1);
    EXPECT_FALSE(Shown(0)->IsUsable());
}

TEST_F(ItemClientMirror, OnlyAClientPlayerOwnsAnInventory)
{
    InventoryClient inventory;
    EntityClient stranger;
    inventory.SetOwner(&stranger);
    EXPECT_EQ(inventory.GetOwner(), nullptr);
    inventory.SetOwner(player);
    EXPECT_EQ(inventory.GetOwner(), player);
    EXPECT_EQ(player->GetInventory().GetOwner(), player);
}

} // namespace
