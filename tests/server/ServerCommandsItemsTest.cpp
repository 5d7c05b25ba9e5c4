// ServerCommandsItemsTest -- the player's item request lines through the real command system and game: moves, drops, trade with a vendor, gifts to creatures, pick-ups, points, the weapon sets and the front cells, and a vendor's goods that only trade can move.
#include "server/CommandWorld.h"

#include "core/StringUtil.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Vendor.h"
#include "rules/GameData.h"
#include "rules/items/ItemRecords.h"

#include <algorithm>

namespace {

class ServerCommandsItems : public CommandWorld {
protected:
    ServerCommandsItems()
    {
        player->inventory->ResizeBag(InventoryGroupIndex::Main, 4);
        player->inventory->ResizeBag(InventoryGroupIndex::Bag1, 4);
        player->inventory->ResizeBag(InventoryGroupIndex::Backup, 2);
        EXPECT_TRUE(player->IsAlive());
        game->GetClientLines().clear();
        game->GetPlayerLines().clear();
    }

    static std::unique_ptr<ItemBase> Make(const char* name)
    {
        auto item = std::make_unique<Item>();
        item->SetEntryByName(name);
        return item;
    }

    ItemBase* Put(const char* name, int32_t bag, int32_t slot)
    {
        std::unique_ptr<ItemBase> item = Make(name);
        ItemBase* raw = item.get();
        EXPECT_TRUE(player->inventory->PlaceItem(item, bag, slot, kPlaceAnyGroup)) << name;
        return raw;
    }

    ItemBase* At(int32_t bag, int32_t slot) const { return player->inventory->GetItem(bag, slot); }

    // A vendor the player trades with, holding one blade in cell 4 of its stock.
    Vendor* OpenShop()
    {
        auto* vendor = Spawn<Vendor>(120.0f, 100.0f);
        player->SetInteraction(22, vendor->entityNumber);
        std::unique_ptr<ItemBase> blade = Make("Blade");
        blade->SetIdentified(true);
        EXPECT_TRUE(vendor->inventory->PlaceItem(blade, Vendor::kStockBag, 4, kPlaceAnyGroup));
        return vendor;
    }

    // Told to the player's own client alone.
    int32_t Said(const std::string& key) const
    {
        const auto& lines = game->GetPlayerLines();
        return static_cast<int32_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& line) {
            return line.first == player->entityNumber && line.second.find("msg 4") == 0 &&
                   line.second.find(key) != std::string::npos;
        }));
    }

    int32_t Money() const { return player->stats.Get(CharacterStat::Money); }
};

} // namespace

// ---- Moving and dropping ------------------------------------------------------------------------------

TEST_F(ServerCommandsItems, MoveItemMovesBetweenCellsAndSaysWhenTheCellRefuses)
{
    ItemBase* pebble = Put("Pebble", InventoryGroupIndex::Bag1, 0);
    Run("moveItem 2 0 2 3");
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 3), pebble);
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 0), nullptr);
    Run("moveItem 2 3 1 14");  // a pebble is no weapon
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 3), pebble);
    EXPECT_EQ(Said("$$CantMoveItemHere$$"), 1);
    Run("moveItem 2 0 2 1");  // nothing there: no request
    Run("moveItem 2 3 2 99");
    EXPECT_EQ(Said("$$CantMoveItemHere$$"), 2);
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 3), pebble);
}

TEST_F(ServerCommandsItems, AVendorsGoodsMoveOnlyByTrade)
{
    Vendor* vendor = OpenShop();
    ItemBase* blade = vendor->GetStockItem(4);
    Run("moveItem 15 4 2 0");
    Run("dropItem 15 4");
    EXPECT_EQ(vendor->GetStockItem(4), blade);
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 0), nullptr);
    Put("Pebble", InventoryGroupIndex::Bag1, 0);
    Run("moveItem 2 0 15 5");
    EXPECT_EQ(vendor->GetStockItem(5), nullptr);
    EXPECT_NE(At(InventoryGroupIndex::Bag1, 0), nullptr);
}

TEST_F(ServerCommandsItems, DropItemLaysTheItemOnTheGroundBesideThePlayer)
{
    Put("Pebble", InventoryGroupIndex::Bag1, 2);
    int32_t before = game->CountEntities();
    Run("dropItem 2 2");
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 2), nullptr);
    ASSERT_EQ(game->CountEntities(), before + 1);
    ItemGround* ground = nullptr;
    for (int32_t number = 0; number < GameServices::kMaxEntities && !ground; ++number)
        ground = dynamic_cast<ItemGround*>(game->GetEntity(number));
    ASSERT_NE(ground, nullptr);
    EXPECT_EQ(ground->GetItem()->GetEntry()->GetName(), "Pebble");
    EXPECT_LT(std::abs(ground->position.x - player->position.x), 100.0f);
    // Picked up again through its own request.
    Run("pickupEntity " + std::to_string(ground->entityNumber));
    ASSERT_NE(At(InventoryGroupIndex::Bag1, 0), nullptr);
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 0)->GetEntry()->GetName(), "Pebble");
}

TEST_F(ServerCommandsItems, AnItemBeyondThePlayersReachIsNotPickedUp)
{
    Put("Pebble", InventoryGroupIndex::Bag1, 2);
    Run("dropItem 2 2");
    ItemGround* ground = nullptr;
    for (int32_t number = 0; number < GameServices::kMaxEntities && !ground; ++number)
        ground = dynamic_cast<ItemGround*>(game->GetEntity(number));
    ASSERT_NE(ground, nullptr);
    int32_t number = ground->entityNumber;
    // From another level and from across this one: the item stays where it lies.
    for (WorldPos away : {CommandWorld::At(100.0f, 100.0f, 2), CommandWorld::At(700.0f, 100.0f)}) {
        player->SetPosition(away);
        Run("pickupEntity " + std::to_string(number));
        EXPECT_EQ(game->GetEntity(number), ground);
        EXPECT_EQ(player->inventory->CountItems(InventoryGroupIndex::Bag1), 0);
    }
    player->SetPosition(ground->position);
    Run("pickupEntity " + std::to_string(number));
    EXPECT_EQ(player->inventory->CountItems(InventoryGroupIndex::Bag1), 1);
}

TEST_F(ServerCommandsItems, AnItemsPickupTextIsToldWhenItIsTakenAndOnlyThen)
{
    auto told = [&] {
        const auto& lines = game->GetPlayerLines();
        return std::count_if(lines.begin(), lines.end(), [&](const auto& line) {
            return line.first == player->entityNumber && line.second.find("msg 2 \"$$KeepsakeFound") == 0 &&
                   line.second.find("Keepsake") != std::string::npos;
        });
    };
    for (const char* name : {"Pebble", "Keepsake"}) {
        Put(name, InventoryGroupIndex::Bag1, 2);
        Run("dropItem 2 2");
    }
    std::vector<int32_t> lying;
    for (int32_t number = 0; number < GameServices::kMaxEntities; ++number)
        if (dynamic_cast<ItemGround*>(game->GetEntity(number)))
            lying.push_back(number);
    ASSERT_EQ(lying.size(), 2u);
    // Every cell full: the keepsake stays where it lies, and nothing is told of it.
    for (int32_t bag = InventoryGroupIndex::Main; bag <= InventoryGroupIndex::Bag4; ++bag)
        player->inventory->ResizeBag(bag, 0);
    for (int32_t number : lying)
        Run("pickupEntity " + std::to_string(number));
    EXPECT_EQ(told(), 0);
    player->inventory->ResizeBag(InventoryGroupIndex::Bag1, 4);
    for (int32_t number : lying)
        Run("pickupEntity " + std::to_string(number));
    EXPECT_EQ(player->inventory->CountItems(InventoryGroupIndex::Bag1), 2);
    EXPECT_EQ(told(), 1) << "the keepsake's text, once; the pebble has none";
}

// A coin pile is only counted, and lies where it was until the next step lets it go: asked for
// again before then, by the same player or by another beside it, it pays nothing more.
TEST_F(ServerCommandsItems, APileAskedForTwiceBeforeAStepIsPaidOnce)
{
    auto* other = Spawn<Player>(110.0f, 100.0f);
    other->SetUpNew(0);
    other->stats.Set(CharacterStat::Money, 0);
    auto coins = std::make_unique<Item>();
    coins->SetEntryByName("Coins");
    coins->money = 50;
    ItemGround* pile = ItemGround::Drop(player->position, coins, true, false, false);
    ASSERT_NE(pile, nullptr);
    int32_t number = pile->entityNumber;
    std::string line = "pickupEntity " + std::to_string(number);
    Run(line);
    Run(line);
    commands.Execute(line, other);
    EXPECT_EQ(Money(), 50);
    EXPECT_EQ(other->stats.Get(CharacterStat::Money), 0);
    game->Update(0.05f);
    EXPECT_EQ(game->GetEntity(number), nullptr) << "gone at the step";
}

TEST_F(ServerCommandsItems, ABagIsDroppedOnlyWhenEmpty)
{
    ItemBase* satchel = Put("Satchel", InventoryGroupIndex::Main, 1);
    player->inventory->ResizeBag(InventoryGroupIndex::Bag2, 2);
    Put("Pebble", InventoryGroupIndex::Bag2, 0);
    Run("dropItem 0 1");
    EXPECT_EQ(At(InventoryGroupIndex::Main, 1), satchel);
    player->inventory->DeleteAt(InventoryGroupIndex::Bag2, 0);
    Run("dropItem 0 1");
    EXPECT_EQ(At(InventoryGroupIndex::Main, 1), nullptr);
}

TEST_F(ServerCommandsItems, AVendorsCellCannotBeDroppedOnItsOwnCounter)
{
    OpenShop();
    player->inventory->ResizeBag(Vendor::kStockBag, 2);
    Put("Pebble", Vendor::kStockBag, 0);
    Run("dropItem 15 0");
    EXPECT_EQ(Said("$$CantDropItem$$"), 1);
    EXPECT_NE(At(Vendor::kStockBag, 0), nullptr);
}

// ---- Trade ------------------------------------------------------------------------------------------

TEST_F(ServerCommandsItems, SellAndBuyLinesTradeWithTheVendorDealtWith)
{
    Put("Blade", InventoryGroupIndex::Bag1, 1);
    Run("sellItem 2 1");  // nobody to sell to
    EXPECT_NE(At(InventoryGroupIndex::Bag1, 1), nullptr);
    Vendor* vendor = OpenShop();
    player->stats.Set(CharacterStat::Money, 100);
    Run("sellItem 2 1");
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 1), nullptr);
    EXPECT_EQ(Money(), 130);
    ItemBase* stocked = vendor->GetStockItem(4);
    Run("buyItem 15 4");
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 0), stocked);
    EXPECT_EQ(Money(), 70);
    EXPECT_EQ(vendor->GetStockItem(4), nullptr);
    Run("buyItem 15 4");
    Run("buyItem 2 0");
    EXPECT_EQ(Money(), 70);
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 0), stocked);
}

TEST_F(ServerCommandsItems, AVendorBeyondThePlayersReachNeitherBuysNorSells)
{
    Put("Blade", InventoryGroupIndex::Bag1, 1);
    Vendor* vendor = OpenShop();
    ItemBase* stocked = vendor->GetStockItem(4);
    player->stats.Set(CharacterStat::Money, 100);
    WorldPos beside = player->position;
    // The vendor dealt with stays the interaction target while the player stands on another
    // level, and across this one: neither line moves an item or a coin.
    for (WorldPos away : {CommandWorld::At(120.0f, 100.0f, 2), CommandWorld::At(700.0f, 100.0f)}) {
        player->SetPosition(away);
        ASSERT_EQ(player->GetInteractionTarget(), vendor);
        Run("sellItem 2 1");
        Run("buyItem 15 4");
        EXPECT_NE(At(InventoryGroupIndex::Bag1, 1), nullptr);
        EXPECT_EQ(vendor->GetStockItem(4), stocked);
        EXPECT_EQ(Money(), 100);
    }
    // Back beside it, the same lines trade.
    player->SetPosition(beside);
    Run("sellItem 2 1");
    Run("buyItem 15 4");
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 0), stocked);
    EXPECT_EQ(vendor->GetStockItem(4), nullptr);
    EXPECT_EQ(Money(), 70);
}

// ---- Creatures -------------------------------------------------------------------------------------------

TEST_F(ServerCommandsItems, GiftsToAMonsterAreRefusedWithTheirMessage)
{
    auto* monster = Spawn<Actor>(140.0f, 100.0f);
    monster->maxHealth = monster->health = 10;
    ItemBase* ration = Put("Ration", InventoryGroupIndex::Bag1, 0);
    std::string number = std::to_string(monster->entityNumber);
    Run("forceUse " + number + " 2 0");
    Run("forceFood " + number);
    EXPECT_EQ(Said("$$InvalidCantGiveItemsMonsters$$"), 2);
    Run("forcePotion " + number);  // no potion carried: nothing to give
    EXPECT_EQ(Said("$$InvalidCantGiveItemsMonsters$$"), 2);
    EXPECT_EQ(At(InventoryGroupIndex::Bag1, 0), ration);
}

// Mended: these six took a creature at any distance. Beyond the player's reach each line is no
// request at all; beside it, the same line reaches the quests or the refusal.
TEST_F(ServerCommandsItems, RequestsAboutACreatureNeedItBesideThePlayer)
{
    auto* far = Spawn<Actor>(900.0f, 100.0f);
    far->maxHealth = far->health = 10;
    auto* near = Spawn<Actor>(140.0f, 100.0f);
    near->maxHealth = near->health = 10;
    Put("Ration", InventoryGroupIndex::Bag1, 0);
    for (const char* request : {"forceUse %d 2 0", "forceFood %d", "forcePotion %d", "rescue %d", "escort %d",
                                "delivery %d"}) {
        game->GetPlayerLines().clear();
        log.clear();
        std::string before = Snapshot();
        Run(StringFormat(request, far->entityNumber));
        EXPECT_EQ(Snapshot(), before) << request;
        EXPECT_TRUE(game->GetPlayerLines().empty()) << request;
    }
    // Beside the player the gift is refused with its message, and the delivery is offered.
    Run(StringFormat("forceFood %d", near->entityNumber));
    ASSERT_FALSE(game->GetPlayerLines().empty());
    EXPECT_NE(game->GetPlayerLines().back().second.find("InvalidCantGiveItemsMonsters"), std::string::npos);
    Run(StringFormat("delivery %d", near->entityNumber));
    EXPECT_EQ(log, std::vector<std::string>{"delivery " + std::to_string(near->entityNumber)});
}

TEST_F(ServerCommandsItems, UseItemCountsAnItemWithAUse)
{
    Put("Ration", InventoryGroupIndex::Bag1, 0);
    Run("useItem 2 0");
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::ItemsUsed), 1);
    Run("useItem 2 3");
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::ItemsUsed), 1);
}

// ---- Points, identifying, sets and the front cells ---------------------------------------------------

TEST_F(ServerCommandsItems, AttributeAndIdentifyLinesSpendPointsAndMoney)
{
    player->stats.Set(CharacterStat::AttributePointsLeft, 1);
    int32_t strength = player->stats.Get(CharacterStat::BaseStrength);
    Run("IncAtrb Strength");
    Run("IncAtrb Strength");
    EXPECT_EQ(player->stats.Get(CharacterStat::BaseStrength), strength + 1);
    EXPECT_EQ(player->stats.Get(CharacterStat::AttributePointsLeft), 0);
    auto* amulet = static_cast<Item*>(Put("Amulet", InventoryGroupIndex::Bag1, 0));
    amulet->SetLevel(5);
    ASSERT_TRUE(amulet->AddAffix(gameData.GetItemRecords().FindMagicModifier("Glinting"), 0.5f));
    amulet->SetIdentified(false);
    Run("IdentifyAll");
    EXPECT_EQ(Said("$$DontHaveEnoughMoneyToIdentifyEverything$$"), 1);
    player->stats.Set(CharacterStat::Money, 1000);
    Run("IdentifyAll");
    EXPECT_FALSE(amulet->IsUnidentified());
    EXPECT_LT(Money(), 1000);
}

// The time is the tuning's for the amulet's "MinLevel" (3) against the player's level, never the
// identify price: base 4, 2 more per level the player lacks, 1 less per level above, 1 at least.
TEST_F(ServerCommandsItems, UsingAnUnidentifiedItemTakesTheIdentifyTimeOfItsLevel)
{
    struct Case {
        int32_t playerLevel;
        float seconds;
    };
    for (Case c : {Case{3, 4.0f}, Case{1, 8.0f}, Case{5, 2.0f}, Case{9, 1.0f}}) {
        player->stats.Set(CharacterStat::Level, c.playerLevel);
        auto* amulet = static_cast<Item*>(Put("Amulet", InventoryGroupIndex::Bag1, 0));
        ASSERT_TRUE(amulet->AddAffix(gameData.GetItemRecords().FindMagicModifier("Glinting"), 0.5f));
        amulet->SetIdentified(false);
        game->GetClientLines().clear();
        Run("useItem 2 0");
        ASSERT_FALSE(game->GetClientLines().empty()) << c.playerLevel;
        EXPECT_EQ(game->GetClientLines().back(), StringFormat("timer %d %f 2", player->entityNumber, c.seconds))
            << c.playerLevel;
        game->Update(c.seconds - 0.1f);
        EXPECT_TRUE(amulet->IsUnidentified()) << c.playerLevel;
        game->Update(0.2f);
        EXPECT_FALSE(amulet->IsUnidentified()) << c.playerLevel;
        player->inventory->DeleteAt(InventoryGroupIndex::Bag1, 0);
    }
}

TEST_F(ServerCommandsItems, SwitchItemSetTradesTheWeaponSets)
{
    ItemBase* blade = Put("Blade", InventoryGroupIndex::Backup, 0);
    Run("switchItemSet");
    EXPECT_EQ(At(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary), blade);
    Run("switchItemSet");
    EXPECT_EQ(At(InventoryGroupIndex::Backup, 0), blade);
}

TEST_F(ServerCommandsItems, ShiftLinesTurnThePowerupCellsEachTheirWay)
{
    constexpr int32_t cells = InventoryBase::kPowerupBag;
    ItemBase* first = Put("Ration", cells, 0);
    ItemBase* second = Put("Pebble", cells, 1);
    ItemBase* third = Put("Satchel", cells, 2);
    Run("shiftPowerupsDown");  // the first to the third cell
    EXPECT_EQ(At(cells, 0), third);
    EXPECT_EQ(At(cells, 2), first);
    Run("shiftPowerupsUp");  // the first to the second cell
    EXPECT_EQ(At(cells, 0), second);
    EXPECT_EQ(At(cells, 1), third);
    EXPECT_EQ(At(cells, 2), first);
    EXPECT_EQ(Said("$$CantMoveItemHere$$"), 0);
    // Using the first powerup closes the gap it leaves behind.
    player->inventory->DeleteAt(cells, 0);
    Put("Ration", cells, 0);
    Run("useItem 2 0");
    EXPECT_EQ(At(cells, 0), third);
    EXPECT_EQ(At(cells, 1), first);
    EXPECT_EQ(At(cells, 2), nullptr);
}

TEST_F(ServerCommandsItems, AShiftThatFindsNoThirdCellIsRefusedOnce)
{
    constexpr int32_t cells = InventoryBase::kPowerupBag;
    ASSERT_TRUE(player->inventory->ResizeBag(cells, 2));
    ItemBase* first = Put("Ration", cells, 0);
    ItemBase* second = Put("Pebble", cells, 1);
    Run("shiftPowerupsDown");
    EXPECT_EQ(Said("$$CantMoveItemHere$$"), 1);
    EXPECT_EQ(At(cells, 0), first);
    EXPECT_EQ(At(cells, 1), second);
    Run("shiftPowerupsUp");  // the two trade places
    EXPECT_EQ(At(cells, 0), second);
    EXPECT_EQ(Said("$$CantMoveItemHere$$"), 1);
}
