// StashAndVendorWindowsTest -- both halves over the connection: a stash opened by the client shows the player's stored bags, whose cells take items and give them back through the host's "moveItem"; a vendor's goods reach its customer, are bought, sold, bought back and gambled for with the money checked on both sides; hand-made lines move nothing.
#include "ui/ItemSlotWorld.h"

#include "client/ClientMessages.h"
#include "core/DatabaseEntry.h"
#include "entities/Stash.h"
#include "entities/Vendor.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"

#include <sstream>

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kTraderRecords = R"(
ArchetypeKin
{
    Type MonsterArchetype
}
ActorTrader
{
    Type Actor
    Vendor 1
}
ActorDicer
{
    Type Actor
    Vendor 1
    Gambler 1
}
MonsterTrader
{
    Type MonsterType
    Archetype ArchetypeKin
    Definition ActorTrader
}
MonsterDicer
{
    Type MonsterType
    Archetype ArchetypeKin
    Definition ActorDicer
}
ChestOfMine
{
    Type Object
    Stash 1
    PlayerStash 1
}
)";

class StashAndVendorWindows : public ItemSlotWorld {
protected:
    StashAndVendorWindows() { Actor::RegisterEventClass(events, types); }

    // The window cells right of the item slot world's own: two goods of a vendor (the second a
    // buy-back cell), the stash's first bag place and two cells of the bag stored there.
    static std::string WindowCells()
    {
        return std::string(kItemSlotMenu) +
               "ItemSlot { internalName Goods4 inventorySlot Loot 4 vendorSlot 1 position 300 0 size 32 32 }\n"
               "ItemSlot { internalName BuyBack inventorySlot Loot 23 vendorSlot 1 repurchaseSlot 1 "
               "position 340 0 size 32 32 }\n"
               "ItemSlot { internalName Place0 inventorySlot Loot 0 itemSlotType Bag position 300 100 size 32 32 }\n"
               "ItemSlot { internalName Stored1 inventorySlot LootBag1 1 position 340 100 size 32 32 }\n";
    }

    void Start()
    {
        StartWithMenu(WindowCells(), "MinSellPercent 0.25\nMaxSellPercent 0.5\nMinSellPercentPrice 1000\n"
                                    "SellFractionStart 0.5\nSellFractionEnd 0.5\nSellFractionLevels 10\n",
                      kTraderRecords);
    }

    template <class T>
    T* Beside(T* entity)
    {
        entity->SetPosition(hostPlayer->position.Offset(Vector2{40.0f, 0.0f}));
        EXPECT_NE(game->AddEntity(entity), -1);
        return entity;
    }

    Stash* PlaceStash()
    {
        auto* stash = new Stash();
        stash->SetEntry(database.FindEntryByName("ChestOfMine"));
        return Beside(stash);
    }

    Vendor* PlaceVendor(const char* monsterType)
    {
        auto* vendor = new Vendor();
        vendor->SetUpFromMonsterType(gameData.FindMonsterType(monsterType), 1, false);
        return Beside(vendor);
    }

    // The client deals with the entity in the mode, as a click on it would; the host hears it
    // with the next update.
    void DealWith(const Entity* entity, int32_t mode)
    {
        Sync();
        EntityClient* mirrored = entity ? gameClient->GetEntity(entity->entityNumber) : nullptr;
        if (entity) {
            ASSERT_NE(mirrored, nullptr);
        }
        player->SetTarget(mirrored, false);
        player->SetInteractionMode(true, mode, true);
        Sync();
    }

    // A line as a hand-made client would send it.
    void Send(const std::string& line)
    {
        Client::QueueServerCommand(line);
        Sync();
    }

    std::string Cells() const
    {
        std::ostringstream out;
        for (int32_t bag = 0; bag < InventoryGroupIndex::kCount; ++bag)
            for (int32_t slot = 0; slot < hostPlayer->inventory->GetSlotCount(bag); ++slot)
                if (const ItemBase* item = HostAt(bag, slot))
                    out << bag << ':' << slot << '=' << item->GetEntry()->GetName() << ' ';
        return out.str();
    }

    std::string ShownName(const std::string& slot) const
    {
        const ItemClient* item = Slot(slot).GetItem();
        return item && item->GetEntry() ? std::string(item->GetEntry()->GetName()) : std::string();
    }

    ItemBase* Stock(Vendor* vendor, const char* name, int32_t slot)
    {
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntryByName(name);
        item->SetIdentified(true);
        ItemBase* raw = item.get();
        EXPECT_TRUE(vendor->inventory->PlaceItem(item, Vendor::kStockBag, slot, kPlaceAnyGroup)) << name;
        return raw;
    }

    int32_t HostMoney() const { return hostPlayer->stats.Get(CharacterStat::Money); }
};

} // namespace

// ---- The stash ----

TEST_F(StashAndVendorWindows, AnOpenStashShowsTheStoredBagAndItsCellsTakeAnItemAndGiveItBack)
{
    Start();
    Stash* stash = PlaceStash();
    Give("Pack", InventoryGroupIndex::Stash, 0);
    ItemBase* pebble = Give("Pebble", InventoryGroupIndex::Bag1, 0);
    ASSERT_EQ(hostPlayer->inventory->GetSlotCount(InventoryGroupIndex::StashBag1), 4)
        << "the stored bag's cells open with it";
    Sync();
    EXPECT_EQ(ShownName("Place0"), "") << "no stash open: nothing in its places";

    DealWith(stash, 10);
    EXPECT_EQ(ShownName("Place0"), "Pack");
    Press(5, 5);
    Press(345, 105);
    EXPECT_EQ(Queued(), Lines({"moveItem 2 0 16 1"}));
    Sync();
    EXPECT_EQ(HostAt(InventoryGroupIndex::StashBag1, 1), pebble);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0), nullptr);
    EXPECT_EQ(ShownName("Stored1"), "Pebble");
    EXPECT_EQ(ShownName("Cell0"), "");
    Press(305, 105);
    EXPECT_EQ(Shown("$$CantPickupBagsWithItems$$"), 1) << "the stored bag holds the pebble now";
    EXPECT_EQ(ui->dragWidget, nullptr);

    Press(345, 105);
    Press(45, 5);
    EXPECT_EQ(Queued(), Lines({"moveItem 16 1 2 1"}));
    Sync();
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 1), pebble);
    EXPECT_EQ(ShownName("Stored1"), "");

    // Walked away: the places are empty again and a stash line reaches nothing.
    DealWith(nullptr, 0);
    EXPECT_EQ(ShownName("Place0"), "");
    Send("moveItem 2 1 16 1");
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 1), pebble);
    EXPECT_EQ(HostAt(InventoryGroupIndex::StashBag1, 1), nullptr);
}

TEST_F(StashAndVendorWindows, HandMadeStashLinesBreakingTheRulesMoveNothing)
{
    Start();
    Stash* stash = PlaceStash();
    Give("Pack", InventoryGroupIndex::Stash, 0);
    Give("Satchel", InventoryGroupIndex::Stash, 1);
    Give("Pebble", InventoryGroupIndex::Bag1, 0);
    Give("Charm", InventoryGroupIndex::Bag1, 1);
    Give("Helm", InventoryGroupIndex::StashBag2, 0);
    DealWith(stash, 10);
    std::string before = Cells();
    for (const char* line : {"moveItem 2 1 16 0",   // an item that must stay carried
                             "moveItem 2 0 16 4",   // past the stored bag's four cells
                             "moveItem 2 0 18 0",   // a place with no bag
                             "moveItem 15 0 16 0",  // a bag into its own cells
                             "moveItem 15 1 16 0",  // a bag holding items
                             "moveItem 16 0 2 3",   // nothing there
                             "moveItem 2 0 24 0", "moveItem 2 0 16 -1", "moveItem 16 x 2 3"})
        Send(line);
    EXPECT_EQ(Cells(), before);
    Send("moveItem 17 0 16 2");
    EXPECT_NE(HostAt(InventoryGroupIndex::StashBag1, 2), nullptr) << "between two stored bags";
    EXPECT_EQ(ShownName("Stored1"), "");
}

// ---- The vendor ----

TEST_F(StashAndVendorWindows, AVendorsGoodsAreBoughtSoldAndBoughtBackForTheMoneyBothSidesReckon)
{
    Start();
    Vendor* vendor = PlaceVendor("MonsterTrader");
    DealWith(vendor, 22);
    ASSERT_EQ(vendor->GetStockLevel(), hostPlayer->stats.Get(CharacterStat::Level)) << "met its customer";
    ItemBase* helm = Stock(vendor, "Helm", 4);
    hostPlayer->stats.Set(CharacterStat::Money, 29);
    Sync();
    EXPECT_EQ(ShownName("Goods4"), "Helm") << "the goods reach the customer";

    Press(305, 5, 1);
    EXPECT_EQ(Shown("$$CantAffordItem$$"), 1) << "one short of the helm's value";
    EXPECT_TRUE(Queued().empty());
    hostPlayer->stats.Set(CharacterStat::Money, 30);
    Sync();
    Press(305, 5, 1);
    EXPECT_EQ(Queued(), Lines({"buyItem 15 4"}));
    Sync();
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0), helm);
    EXPECT_EQ(HostMoney(), 0);
    EXPECT_EQ(player->GetStat(CharacterStat::Money), 0) << "the money shown follows";
    EXPECT_EQ(ShownName("Goods4"), "");

    // Sold by dropping it on the goods; it waits in the last buy-back cell.
    Press(5, 5);
    Press(305, 5);
    EXPECT_EQ(Queued(), Lines({"sellItem 2 0"}));
    Sync();
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0), nullptr);
    EXPECT_EQ(HostMoney(), 15) << "half its value";
    EXPECT_EQ(ShownName("BuyBack"), "Helm");

    // Bought back at the price the host asks, no more and no less.
    auto price = static_cast<int32_t>(30 * vendor->GetPriceFactor(23));
    ASSERT_GT(price, 0);
    hostPlayer->stats.Set(CharacterStat::Money, price - 1);
    Sync();
    Press(345, 5, 1);
    EXPECT_TRUE(Queued().empty()) << "one short of the buy-back price";
    hostPlayer->stats.Set(CharacterStat::Money, price);
    Sync();
    Press(345, 5, 1);
    EXPECT_EQ(Queued(), Lines({"buyItem 15 23"}));
    Sync();
    EXPECT_EQ(HostMoney(), 0);
    ASSERT_NE(HostAt(InventoryGroupIndex::Bag1, 0), nullptr);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0)->GetEntry()->GetName(), "Helm");
    EXPECT_EQ(ShownName("BuyBack"), "");
}

TEST_F(StashAndVendorWindows, AStackOnTheCounterIsPricedAndSoldOneUnitAtATimeAsTheHostSellsIt)
{
    Start();
    Vendor* vendor = PlaceVendor("MonsterTrader");
    DealWith(vendor, 22);
    ItemBase* pebbles = Stock(vendor, "Pebble", 4);
    pebbles->SetStackCount(5);
    int32_t unit = pebbles->GetValue(false);
    ASSERT_GT(unit, 0);
    ASSERT_GT(pebbles->GetValue(true), unit);
    hostPlayer->stats.Set(CharacterStat::Money, unit);
    Sync();
    std::string tooltip;
    std::string title;
    ASSERT_TRUE(Slot("Goods4").GetHelpText(305, 5, tooltip, title));
    EXPECT_NE(tooltip.find("$$TooltipPrice$$ " + FormatMoney(unit)), std::string::npos) << tooltip;

    Press(305, 5, 1);
    EXPECT_EQ(Shown("$$CantAffordItem$$"), 0) << "one unit's price is in hand";
    EXPECT_EQ(Queued(), Lines({"buyItem 15 4"}));
    Sync();
    EXPECT_EQ(HostMoney(), 0);
    ASSERT_NE(HostAt(InventoryGroupIndex::Bag1, 0), nullptr);
    EXPECT_EQ(HostAt(InventoryGroupIndex::Bag1, 0)->GetStackCount(), 1);
    EXPECT_EQ(vendor->GetStockItem(4)->GetStackCount(), 4);
    Press(305, 5, 1);
    EXPECT_EQ(Shown("$$CantAffordItem$$"), 1) << "the next unit is one too many";
}

TEST_F(StashAndVendorWindows, WithNoRoomLeftTheHostRefusesThePurchaseAndTakesNoMoney)
{
    Start();
    // The client's answers to the host's lines, the messages among them.
    gameClient->GetMessages().RegisterCommands();
    Vendor* vendor = PlaceVendor("MonsterTrader");
    DealWith(vendor, 22);
    Stock(vendor, "Helm", 4);
    for (int32_t cell = 0; cell < 6; ++cell)
        Give("Helm", InventoryGroupIndex::Bag1, cell);
    hostPlayer->stats.Set(CharacterStat::Money, 100);
    Sync();
    Press(305, 5, 1);
    Sync();
    EXPECT_EQ(HostMoney(), 100);
    EXPECT_NE(vendor->GetStockItem(4), nullptr);
    int32_t refusals = 0;
    for (const TextEvents::Record& record : textEvents.GetRecords())
        refusals += record.text.find("NoRoomInInventory") != std::string::npos ? 1 : 0;
    EXPECT_EQ(refusals, 1) << "the host's refusal is shown";
}

TEST_F(StashAndVendorWindows, AGamblersGoodsCostTheirGamblePriceAndComeIdentified)
{
    Start();
    Vendor* vendor = PlaceVendor("MonsterDicer");
    DealWith(vendor, 22);
    ItemBase* helm = Stock(vendor, "Helm", 4);
    helm->SetIdentified(false);
    int32_t price = helm->GetPrice();
    ASSERT_GT(price, 0);
    hostPlayer->stats.Set(CharacterStat::Money, price - 1);
    Sync();
    Press(305, 5, 1);
    EXPECT_EQ(Shown("$$CantAffordItem$$"), 1);
    hostPlayer->stats.Set(CharacterStat::Money, price);
    Sync();
    Press(305, 5, 1);
    EXPECT_EQ(Queued(), Lines({"buyItem 15 4"}));
    Sync();
    EXPECT_EQ(HostMoney(), 0);
    const ItemBase* won = HostAt(InventoryGroupIndex::Bag1, 0);
    ASSERT_NE(won, nullptr);
    EXPECT_EQ(won->GetEntry()->GetName(), "Helm");
    EXPECT_TRUE(won->IsIdentified());
}

TEST_F(StashAndVendorWindows, HandMadeTradeLinesTakeNothingTheyShouldNot)
{
    Start();
    Vendor* vendor = PlaceVendor("MonsterTrader");
    Give("Charm", InventoryGroupIndex::Bag1, 1);
    Give("Pebble", InventoryGroupIndex::Bag1, 2);
    DealWith(vendor, 22);
    ItemBase* helm = Stock(vendor, "Helm", 4);
    hostPlayer->stats.Set(CharacterStat::Money, 10);
    Sync();
    std::string before = Cells();
    for (const char* line : {"buyItem 15 4",     // ten coins for a thirty-coin helm
                             "buyItem 15 24", "buyItem 15 -1", "buyItem 2 2", "buyItem 15",
                             "sellItem 2 1",     // an item that must stay carried
                             "sellItem 15 4",    // the vendor's own goods
                             "sellItem 2 9", "sellItem 27 0", "moveItem 15 4 2 0", "dropItem 15 4"})
        Send(line);
    EXPECT_EQ(Cells(), before);
    EXPECT_EQ(HostMoney(), 10);
    EXPECT_EQ(vendor->GetStockItem(4), helm);

    // Not trading any more: the goods are out of reach.
    DealWith(nullptr, 0);
    hostPlayer->stats.Set(CharacterStat::Money, 100);
    Send("buyItem 15 4");
    EXPECT_EQ(vendor->GetStockItem(4), helm);
    EXPECT_EQ(ShownName("Goods4"), "");
}
