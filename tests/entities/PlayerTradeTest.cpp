// PlayerTradeTest -- a player trading with a real vendor: sale prices and buy-back, purchases of stacks and staples, covenant goods, gambles won and lost on seeded streams, and every refusal leaving both sides as they were.
#include "entities/CombatSystem.h"
#include "entities/EntityWorld.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/NeutralCovenant.h"
#include "entities/Player.h"
#include "entities/Vendor.h"
#include "core/Database.h"
#include "rules/items/ItemRecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>

namespace {

constexpr const char* kTradeRecords = R"(
GameSystem
{
    GridSize 32 32
    MaxMoney 1000
    ItemPriceFactor 2
    SellFractionStart 0.5
    SellFractionEnd 0.3
    SellFractionLevels 10
    MinSellPercent 0.5
    MaxSellPercent 0.5
    MinSellPercentPrice 1000
}
ClassMonsterGeneric
{
    Type Class
    HealthPerVit 4
    StartVitality 10
}
ClassWanderer
{
    Type Class
    HealthPerVit 5
    StartVitality 10
}
ArchetypeShop
{
    Type MonsterArchetype
}
ActorShop
{
    Type Actor
    Class ClassMonsterGeneric
    Npc 1
    Vendor 1
    MaxItemGenerationTries 1
    AllowWeapons 1
    AllowArmor 1
    AllowMisc 1
}
ActorSureGambler
{
    Type Actor
    Base ActorShop
    Gambler 1
    MinGambleSucessChance 100
    MaxGambleSucessChance 100
}
ActorHopelessGambler
{
    Type Actor
    Base ActorSureGambler
    MinGambleSucessChance 0
    MaxGambleSucessChance 0
}
ActorGuardShop
{
    Type Actor
    Base ActorShop
    GuardVendor 1
}
MonsterShop
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorShop
}
MonsterSureGambler
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorSureGambler
}
MonsterHopelessGambler
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorHopelessGambler
}
MonsterGuardShop
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorGuardShop
}
MonsterHound
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorShop
    GuardItem HoundWrit
}
Sword
{
    Type Item
    ItemType HandPrimary
    ItemRequirement WeaponSword
    CanSpawnOnVendor 1
    ModifiersAllowed 1
    ItemLevel 5
    Value 100
}
Glinting
{
    Type MagicModifier
    Prefix 1
}
Arrows
{
    Type Item
    ItemType Other
    MaxStack 20
    CanSpawnOnVendor 1
    ItemLevel 1
    Value 3
}
Heirloom
{
    Type Item
    ItemType Other
    Unsellable 1
    Value 50
}
Ember
{
    Type Item
    ItemType Other
    CovenantCurrency 1
    ItemLevel 1
    Value 40
}
HoundWrit
{
    Type Item
    ItemType Guard
    Guard MonsterHound
    MaxStack 1000000000
    Value 50
}
HealthDraught
{
    Type Item
    ItemType Drink
    MaxStack 5
    Value 10
}
BasePotionHealth
{
    Type Item
    BaseOnly 1
}
Satchel
{
    Type Item
    ItemType Bag
    BagSize 2
}
)";

// Staples and guards by record, random goods from a script; "MagicSword" is a sword with an affix.
class TradeServices : public FakeGameServices {
public:
    std::unique_ptr<Item> GenerateItem(const DatabaseEntry* record, int32_t) override
    {
        return record && record->GetName() == "BasePotionHealth" ? Make("HealthDraught") : nullptr;
    }
    std::unique_ptr<Item> GenerateShopItem(const ShopItemRequest&) override
    {
        if (script.empty())
            return nullptr;
        std::string name = script.front();
        script.pop_front();
        bool magic = name == "MagicSword";
        bool unique = name == "UniqueSword";
        auto item = Make(magic || unique ? "Sword" : name.c_str());
        if (magic)
            item->AddAffix(gGameData->GetItemRecords().FindMagicModifier("Glinting"), 0.5f);
        if (unique)
            item->SetQuality(ItemRarity::Unique);
        return item;
    }
    const MonsterType* PickGuardType(int32_t) const override { return guardType; }

    static std::unique_ptr<Item> Make(const char* name)
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(gDatabase->FindEntryByName(name));
        return item;
    }

    std::deque<std::string> script;
    const MonsterType* guardType = nullptr;
};

// A player's covenant that keeps a stock of covenant goods.
class StockCovenant : public NeutralCovenant {
public:
    void AddCurrency(int32_t amount) override { currency = std::max(0, currency + amount); }
    int32_t GetCurrency() const override { return currency; }
    int32_t currency = 0;
};

class PlayerTrade : public EntityRulesWorld {
protected:
    PlayerTrade()
    {
        Sentient::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        gGameServices = &shop;
        LoadRecords(kTradeRecords);
        player = new Player();
        player->SetPosition(At(150.0f, 100.0f));
        EXPECT_NE(shop.AddEntity(player), -1);
        player->SetUpNew(0);
        player->stats.Set(CharacterStat::Level, 4);
        player->inventory->ResizeBag(InventoryGroupIndex::Bag1, 2);
        shop.players.push_back(player);
        shop.covenants = {&covenant};
        player->covenantIndex = 0;
    }

    ~PlayerTrade() override
    {
        shop.DestroyAll();
        gGameServices = nullptr;
        CombatSystem::Destroy();
    }

    // A vendor the player trades with: the trade mode sets its stock up.
    Vendor* OpenShop(const char* typeName, std::initializer_list<const char*> goods = {})
    {
        auto* vendor = new Vendor();
        vendor->SetUpFromMonsterType(gameData.FindMonsterType(typeName), 5, false);
        vendor->SetPosition(At(100.0f, 100.0f));
        EXPECT_NE(shop.AddEntity(vendor), -1);
        shop.script.assign(goods.begin(), goods.end());
        player->SetInteraction(22, vendor->entityNumber);
        EXPECT_EQ(vendor->GetStockLevel(), 4);
        shop.lines.clear();
        return vendor;
    }

    Item* Give(const char* name, int32_t bag = InventoryGroupIndex::Bag1)
    {
        std::unique_ptr<ItemBase> item = TradeServices::Make(name);
        auto* raw = static_cast<Item*>(item.get());
        EXPECT_TRUE(player->inventory->AddItem(item, bag));
        return raw;
    }

    int32_t Money() const { return player->stats.Get(CharacterStat::Money); }
    Item* Carried(int32_t slot) const
    {
        return static_cast<Item*>(player->inventory->GetItem(InventoryGroupIndex::Bag1, slot));
    }
    std::string StockName(const Vendor& vendor, int32_t slot) const
    {
        const Item* item = vendor.GetStockItem(slot);
        return item ? std::string(item->GetEntry()->GetName()) : std::string();
    }
    bool Sent(const std::string& text) const
    {
        return std::any_of(shop.lines.begin(), shop.lines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }
    std::string LastSound() const { return shop.worldEvents.empty() ? "" : shop.worldEvents.back().name; }

    TradeServices shop;
    StockCovenant covenant;
    Player* player = nullptr;
};

} // namespace

// ---- Selling ----------------------------------------------------------------------------------------

TEST_F(PlayerTrade, ASalePaysTheLevelsFractionAndFillsTheBuyBackCellsLatestLast)
{
    Vendor* vendor = OpenShop("MonsterShop");
    Item* sword = Give("Sword");
    ASSERT_EQ(sword->GetValue(true), 100);
    player->stats.Set(CharacterStat::Money, 10);
    player->SellItem(InventoryGroupIndex::Bag1, 0);
    // Level 5 of 10 lies halfway from 0.5 to 0.3.
    EXPECT_EQ(Money(), 10 + 40);
    EXPECT_EQ(Carried(0), nullptr);
    EXPECT_EQ(vendor->GetStockItem(23), sword);
    Give("Arrows")->SetStackCount(7);
    player->SellItem(InventoryGroupIndex::Bag1, 0);
    // A stack goes whole: seven arrows of 3 at level 1's fraction 0.48.
    EXPECT_EQ(Money(), 50 + 10);
    EXPECT_EQ(vendor->GetStockItem(22), sword);
    ASSERT_EQ(StockName(*vendor, 23), "Arrows");
    EXPECT_EQ(vendor->GetStockItem(23)->GetStackCount(), 7);
}

TEST_F(PlayerTrade, SaleMoneyStopsAtTheCap)
{
    OpenShop("MonsterShop");
    Give("Sword");
    player->stats.Set(CharacterStat::Money, 990);
    player->SellItem(InventoryGroupIndex::Bag1, 0);
    EXPECT_EQ(Money(), 1000);
}

TEST_F(PlayerTrade, RefusedSalesLeaveTheItemAndTheMoney)
{
    Vendor* vendor = OpenShop("MonsterShop");
    Give("Heirloom");
    Give("Ember");
    player->SellItem(InventoryGroupIndex::Bag1, 0);  // unsellable
    player->SellItem(InventoryGroupIndex::Bag1, 1);  // covenant goods to an ordinary vendor
    player->SellItem(InventoryGroupIndex::Bag1, 5);  // no such cell
    player->SellItem(Vendor::kStockBag, 0);          // the vendor's own goods
    EXPECT_NE(Carried(0), nullptr);
    EXPECT_NE(Carried(1), nullptr);
    EXPECT_EQ(Money(), 0);
    EXPECT_EQ(vendor->GetStockItem(23), nullptr);
    EXPECT_EQ(StockName(*vendor, 0), "HealthDraught");
    // A bag holding items cannot be sold with them.
    std::unique_ptr<ItemBase> satchel = TradeServices::Make("Satchel");
    player->inventory->ResizeBag(InventoryGroupIndex::Main, 4);
    ASSERT_TRUE(player->inventory->PlaceItem(satchel, InventoryGroupIndex::Main, 1, 0));
    player->inventory->ResizeBag(InventoryGroupIndex::Bag2, 2);
    Give("Heirloom", InventoryGroupIndex::Bag2);
    player->SellItem(InventoryGroupIndex::Main, 1);
    EXPECT_NE(player->inventory->GetItem(InventoryGroupIndex::Main, 1), nullptr);
    EXPECT_EQ(vendor->GetStockItem(23), nullptr);
}

TEST_F(PlayerTrade, CovenantGoodsSellOnlyToAGuardVendorForTheCovenantsStock)
{
    Vendor* guards = OpenShop("MonsterGuardShop");
    Give("Sword");
    Give("Ember");
    player->SellItem(InventoryGroupIndex::Bag1, 0);
    EXPECT_NE(Carried(0), nullptr);
    player->SellItem(InventoryGroupIndex::Bag1, 1);
    EXPECT_EQ(Carried(1), nullptr);
    EXPECT_EQ(covenant.currency, 19);  // 40 at level 1's fraction 0.48, rounded down
    EXPECT_EQ(Money(), 0);
    EXPECT_EQ(StockName(*guards, 23), "Ember");
}

TEST_F(PlayerTrade, ADeadVendorNeitherBuysNorSells)
{
    Vendor* vendor = OpenShop("MonsterShop");
    Give("Sword");
    player->stats.Set(CharacterStat::Money, 500);
    vendor->health = 0;
    player->SellItem(InventoryGroupIndex::Bag1, 0);
    EXPECT_TRUE(Sent("$$VendorIsDead$$"));
    EXPECT_NE(Carried(0), nullptr);
    shop.lines.clear();
    player->BuyItem(Vendor::kStockBag, 0);
    EXPECT_TRUE(Sent("$$VendorIsDead$$"));
    EXPECT_EQ(Money(), 500);
    EXPECT_EQ(Carried(1), nullptr);
}

// ---- Buying -----------------------------------------------------------------------------------------

TEST_F(PlayerTrade, AStapleIsBoughtAtItsValueAndAlwaysReplaced)
{
    Vendor* vendor = OpenShop("MonsterShop");
    player->stats.Set(CharacterStat::Money, 25);
    Item* staple = vendor->GetStockItem(0);
    player->BuyItem(Vendor::kStockBag, 0);
    EXPECT_EQ(Carried(0), staple);
    EXPECT_EQ(Money(), 15);
    EXPECT_EQ(StockName(*vendor, 0), "HealthDraught");
    EXPECT_NE(vendor->GetStockItem(0), staple);
    player->BuyItem(Vendor::kStockBag, 0);
    // The second draught joins the first one's stack.
    EXPECT_EQ(Carried(0)->GetStackCount(), 2);
    EXPECT_EQ(Money(), 5);
    player->BuyItem(Vendor::kStockBag, 0);  // 10 is more than 5: nothing happens
    EXPECT_EQ(Carried(0)->GetStackCount(), 2);
    EXPECT_EQ(Money(), 5);
    EXPECT_TRUE(shop.lines.empty());
}

TEST_F(PlayerTrade, AStackInStockSellsOneUnitAtATime)
{
    Vendor* vendor = OpenShop("MonsterShop", {"Arrows"});
    ASSERT_EQ(StockName(*vendor, 4), "Arrows");
    vendor->GetStockItem(4)->SetStackCount(2);
    player->stats.Set(CharacterStat::Money, 100);
    player->BuyItem(Vendor::kStockBag, 4);
    EXPECT_EQ(vendor->GetStockItem(4)->GetStackCount(), 1);
    ASSERT_NE(Carried(0), nullptr);
    EXPECT_EQ(Carried(0)->GetStackCount(), 1);
    EXPECT_EQ(Money(), 97);
    Item* last = vendor->GetStockItem(4);
    player->BuyItem(Vendor::kStockBag, 4);
    EXPECT_EQ(vendor->GetStockItem(4), nullptr);
    EXPECT_EQ(Carried(0)->GetStackCount(), 2);
    EXPECT_NE(Carried(0), last);  // merged into the stack already carried
    EXPECT_EQ(Money(), 94);
}

TEST_F(PlayerTrade, BuyingBackPaysTheSellShareOfTheValue)
{
    Vendor* vendor = OpenShop("MonsterShop");
    Item* sword = Give("Sword");
    player->SellItem(InventoryGroupIndex::Bag1, 0);
    ASSERT_EQ(Money(), 40);
    player->BuyItem(Vendor::kStockBag, 23);
    // The buy-back factor of 0.5 makes the price 50: more than the 40 held.
    EXPECT_EQ(vendor->GetStockItem(23), sword);
    player->stats.Set(CharacterStat::Money, 60);
    player->BuyItem(Vendor::kStockBag, 23);
    EXPECT_EQ(Carried(0), sword);
    EXPECT_EQ(Money(), 10);
}

TEST_F(PlayerTrade, AFullBagRefusesThePurchaseAndLosesNothing)
{
    Vendor* vendor = OpenShop("MonsterShop", {"Sword"});
    Give("Heirloom");
    Give("Heirloom");
    player->stats.Set(CharacterStat::Money, 500);
    Item* sword = vendor->GetStockItem(4);
    player->BuyItem(Vendor::kStockBag, 4);
    EXPECT_TRUE(Sent("$$NoRoomInInventory$$"));
    EXPECT_EQ(vendor->GetStockItem(4), sword);
    EXPECT_EQ(Money(), 500);
    player->BuyItem(Vendor::kStockBag, 30);
    player->BuyItem(InventoryGroupIndex::Bag1, 4);
    EXPECT_EQ(Money(), 500);
}

TEST_F(PlayerTrade, GuardsAreBoughtOneAtATimeFromTheCovenantsStock)
{
    shop.guardType = gameData.FindMonsterType("MonsterHound");
    Vendor* guards = OpenShop("MonsterGuardShop");
    ASSERT_EQ(StockName(*guards, 0), "HoundWrit");
    player->stats.Set(CharacterStat::Money, 500);
    covenant.currency = 49;
    player->BuyItem(Vendor::kStockBag, 0);
    EXPECT_EQ(Carried(0), nullptr);
    covenant.currency = 120;
    player->BuyItem(Vendor::kStockBag, 0);
    ASSERT_NE(Carried(0), nullptr);
    EXPECT_EQ(Carried(0)->GetStackCount(), 1);
    EXPECT_NE(Carried(0)->GetGuardRecord(), nullptr);
    EXPECT_EQ(covenant.currency, 70);
    EXPECT_EQ(Money(), 500);
    EXPECT_EQ(guards->GetStockItem(0)->GetStackCount(), Vendor::kGuardQuantity - 1);
}

// ---- Gambling ---------------------------------------------------------------------------------------

TEST_F(PlayerTrade, ASureGambleHandsOverTheGoodsThemselvesIdentified)
{
    Vendor* gambler = OpenShop("MonsterSureGambler", {"MagicSword"});
    Item* goods = gambler->GetStockItem(0);
    ASSERT_NE(goods, nullptr);
    ASSERT_TRUE(goods->IsUnidentified());
    int32_t price = goods->GetPrice();
    player->stats.Set(CharacterStat::Money, price + 3);
    player->BuyItem(Vendor::kStockBag, 0);
    EXPECT_EQ(Carried(0), goods);
    EXPECT_FALSE(goods->IsUnidentified());
    EXPECT_EQ(Money(), 3);
    EXPECT_EQ(gambler->GetStockItem(0), nullptr);
    EXPECT_EQ(LastSound(), "Sounds/gamblingSuccess.ogg");
}

TEST_F(PlayerTrade, TheTownTalksOfAUniqueItemWonButNotOfAnOrdinaryOne)
{
    OpenShop("MonsterSureGambler", {"UniqueSword", "MagicSword"});
    player->stats.Set(CharacterStat::Money, 1000);
    player->BuyItem(Vendor::kStockBag, 1);
    EXPECT_TRUE(shop.playerHooks.empty());
    player->BuyItem(Vendor::kStockBag, 0);
    ASSERT_EQ(shop.playerHooks.size(), 1u);
    EXPECT_EQ(shop.playerHooks[0].rfind("chat 23 ", 0), 0u);
}

TEST_F(PlayerTrade, AHopelessGambleHandsOverAPlainItemOfTheKind)
{
    Vendor* gambler = OpenShop("MonsterHopelessGambler", {"MagicSword", "Sword"});
    ASSERT_EQ(gambler->GetGambleChance(0), 0);
    int32_t price = gambler->GetStockItem(0)->GetPrice();
    player->stats.Set(CharacterStat::Money, 1000);
    player->BuyItem(Vendor::kStockBag, 0);
    ASSERT_NE(Carried(0), nullptr);
    EXPECT_EQ(Carried(0)->GetEntry()->GetName(), "Sword");
    EXPECT_TRUE(Carried(0)->GetAffixes().empty());
    EXPECT_TRUE(Carried(0)->IsIdentified());
    EXPECT_EQ(Money(), 1000 - price);
    EXPECT_EQ(gambler->GetStockItem(0), nullptr);
    EXPECT_EQ(LastSound(), "Sounds/gamblingFailure.ogg");
    // A gamble won on goods without affixes sounds like a loss too.
    Vendor* sure = OpenShop("MonsterSureGambler", {"Sword"});
    player->BuyItem(Vendor::kStockBag, 0);
    EXPECT_EQ(sure->GetStockItem(0), nullptr);
    EXPECT_EQ(LastSound(), "Sounds/gamblingFailure.ogg");
}

TEST_F(PlayerTrade, AGambleWithoutRoomDrawsNothingAndCostsNothing)
{
    Vendor* gambler = OpenShop("MonsterSureGambler", {"MagicSword"});
    Give("Heirloom");
    Give("Heirloom");
    player->stats.Set(CharacterStat::Money, 1000);
    RandomSystem copy = random;
    Item* goods = gambler->GetStockItem(0);
    player->BuyItem(Vendor::kStockBag, 0);
    EXPECT_EQ(gambler->GetStockItem(0), goods);
    EXPECT_EQ(Money(), 1000);
    EXPECT_TRUE(shop.worldEvents.empty());
    EXPECT_EQ(random.Next(RandomStream::GameData), copy.Next(RandomStream::GameData));
}
