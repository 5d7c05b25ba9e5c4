// VendorStockTest -- a vendor's slot kinds, staples, random goods and their limits, guards, buy-back, prices, restocking, theft and saved state.
#include "entities/CombatSystem.h"
#include "entities/EntityWorld.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "entities/Vendor.h"
#include "core/Database.h"
#include "core/MessageBuffer.h"
#include "rules/items/InventoryBag.h"
#include "rules/monsters/MonsterType.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

constexpr const char* kVendorRecords = R"(
GameSystem
{
    BaseXpNeededEachLevel 1000
    GridSize 32 32
    MinSellPercent 0.2
    MaxSellPercent 0.6
    MinSellPercentPrice 1000
}
ClassMonsterGeneric
{
    Type Class
    HealthPerVit 4
    StartVitality 10
}
StatusEffectBasicRegen
{
    Type StatusEffect
    BasicRegen 1
    Forever 1
    EffectType OnlyOne
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
    ItemChangeTime 10
    MaxItemGenerationTries 3
    AllowWeapons 1
    AllowArmor 1
    AllowMisc 1
}
ActorPlainShop
{
    Type Actor
    Class ClassMonsterGeneric
    Npc 1
    Vendor 1
}
ActorLimitedShop
{
    Type Actor
    Base ActorShop
    MinRandomItemsToGenerate 3
    MaxRandomItemsToGenerate 3
}
ActorGambler
{
    Type Actor
    Base ActorShop
    Gambler 1
    MinGambleSucessChance 30
    MaxGambleSucessChance 30
}
ActorGuardShop
{
    Type Actor
    Base ActorShop
    GuardVendor 1
}
ActorWeaponShop
{
    Type Actor
    Base ActorShop
    AllowArmor 0
    AllowMisc 0
}
MonsterShop
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorShop
    MinLevel 1
    MaxLevel 50
}
MonsterPlainShop
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorPlainShop
}
MonsterLimitedShop
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorLimitedShop
}
MonsterGambler
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorGambler
}
MonsterGuardShop
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorGuardShop
}
MonsterWeaponShop
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorWeaponShop
}
MonsterHound
{
    Type MonsterType
    Archetype ArchetypeShop
    Definition ActorPlainShop
    GuardItem HoundWrit
}
Sword
{
    Type Item
    ItemType HandPrimary
    ItemRequirement WeaponSword
    CanSpawnOnVendor 1
    Value 100
}
Cloak
{
    Type Item
    ItemType Back
    ItemRequirement Cape
    CanSpawnOnVendor 1
    Value 80
}
Ring
{
    Type Item
    ItemType Ring
    CanSpawnOnVendor 1
    Value 2000
}
Arrows
{
    Type Item
    ItemType Other
    MaxStack 20
    CanSpawnOnVendor 1
    Value 1
}
Relicless
{
    Type Item
    ItemType Other
    Value 5
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
BaseFood
{
    Type Item
    BaseOnly 1
}
BasePotionMana
{
    Type Item
    BaseOnly 1
}
BaseDrink
{
    Type Item
    BaseOnly 1
}
HoundWrit
{
    Type Item
    ItemType Guard
    MaxStack 1000000000
    Value 50
}
)";

// The game's side of a vendor: staples and guards by record, random goods from a script.
class ShopServices : public FakeGameServices {
public:
    std::unique_ptr<Item> GenerateItem(const DatabaseEntry* record, int32_t level) override
    {
        stapleLevels.push_back(level);
        if (!record || record->GetName() != "BasePotionHealth")
            return nullptr;
        return Make("HealthDraught");
    }
    std::unique_ptr<Item> GenerateShopItem(const ShopItemRequest& request) override
    {
        ++shopCalls;
        lastRequest = request;
        if (script.empty())
            return nullptr;
        std::string name = script.front();
        script.pop_front();
        return Make(name.c_str());
    }
    const MonsterType* PickGuardType(int32_t) const override { return guardType; }

    static std::unique_ptr<Item> Make(const char* name)
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(gDatabase->FindEntryByName(name));
        return item;
    }

    std::vector<int32_t> stapleLevels;
    std::deque<std::string> script;
    int32_t shopCalls = 0;
    ShopItemRequest lastRequest;
    const MonsterType* guardType = nullptr;
};

} // namespace

class VendorStock : public EntityRulesWorld {
protected:
    VendorStock()
    {
        Sentient::RegisterEventClass(events, types);
        Actor::RegisterEventClass(events, types);
        Player::RegisterEventClass(events, types);
        gGameServices = &shop;
        LoadRecords(kVendorRecords);
    }

    ~VendorStock() override
    {
        shop.DestroyAll();
        gGameServices = nullptr;
        CombatSystem::Destroy();
    }

    Vendor* MakeVendor(const char* typeName = "MonsterShop", int32_t level = 5)
    {
        auto* vendor = new Vendor();
        vendor->SetUpFromMonsterType(gameData.FindMonsterType(typeName), level, false);
        vendor->SetPosition(At(100.0f, 100.0f));
        EXPECT_NE(shop.AddEntity(vendor), -1);
        return vendor;
    }

    Player* MakePlayer(int32_t level = 4)
    {
        auto* player = new Player();
        player->SetPosition(At(150.0f, 100.0f));
        EXPECT_NE(shop.AddEntity(player), -1);
        player->stats.Set(CharacterStat::Level, level);
        shop.players.push_back(player);
        return player;
    }

    // Every slot's record name, "" for an empty slot.
    static std::vector<std::string> Stock(const Vendor& vendor)
    {
        std::vector<std::string> names;
        for (int32_t slot = 0; slot < Vendor::kStockSize; ++slot) {
            Item* item = vendor.GetStockItem(slot);
            names.emplace_back(item ? std::string(item->GetEntry()->GetName()) : std::string());
        }
        return names;
    }

    static int32_t CountStock(const Vendor& vendor)
    {
        int32_t count = 0;
        for (int32_t slot = 0; slot < Vendor::kStockSize; ++slot)
            count += vendor.GetStockItem(slot) ? 1 : 0;
        return count;
    }

    ShopServices shop;
};

TEST_F(VendorStock, SlotKindsByVendorKind)
{
    Vendor* ordinary = MakeVendor();
    std::vector<int32_t> kinds;
    for (int32_t slot = 0; slot < Vendor::kStockSize; ++slot)
        kinds.push_back(ordinary->GetSlotKind(slot));
    std::vector<int32_t> expected = {1, 2, 3, 4};
    expected.insert(expected.end(), 16, 5);
    expected.insert(expected.end(), {6, 6, 7, 7});
    EXPECT_EQ(kinds, expected);
    Vendor* gambler = MakeVendor("MonsterGambler");
    EXPECT_EQ(gambler->GetSlotKind(0), Vendor::kRandomGoodsSlot);
    EXPECT_EQ(gambler->GetSlotKind(19), Vendor::kRandomGoodsSlot);
    EXPECT_EQ(gambler->GetSlotKind(20), Vendor::kKeptSlot);
    Vendor* guards = MakeVendor("MonsterGuardShop");
    EXPECT_EQ(guards->GetSlotKind(0), Vendor::kGuardSlot);
    EXPECT_EQ(guards->GetSlotKind(19), Vendor::kGuardSlot);
    EXPECT_TRUE(guards->IsBuyBackSlot(23));
    EXPECT_FALSE(guards->IsBuyBackSlot(24));
    EXPECT_FALSE(guards->IsBuyBackSlot(-1));
    EXPECT_EQ(ordinary->GetStockLevel(), -1);
    EXPECT_EQ(ordinary->GetRestockTimer().minimum, 10.0f);
}

TEST_F(VendorStock, DefaultRecordStocksOnlyTheStaples)
{
    MakePlayer();
    Vendor* vendor = MakeVendor("MonsterPlainShop");
    shop.script.assign(40, "Sword");
    vendor->MeetCustomer(shop.players.front());
    // Tries 0: every random slot empty; only the one staple the game knows.
    EXPECT_EQ(shop.shopCalls, 0);
    EXPECT_EQ(Stock(*vendor)[0], "HealthDraught");
    EXPECT_EQ(CountStock(*vendor), 1);
    EXPECT_EQ(vendor->GetStockLevel(), 4);
    EXPECT_EQ(shop.stapleLevels, (std::vector<int32_t>{4, 4, 4, 4}));
    EXPECT_TRUE(vendor->GetStockItem(0)->IsIdentified());
}

TEST_F(VendorStock, RandomGoodsRespectTheAllowedKinds)
{
    MakePlayer();
    Vendor* vendor = MakeVendor("MonsterWeaponShop");
    // Each slot takes up to three tries: cloak and ring are refused, the sword kept.
    for (int i = 0; i < 16; ++i)
        shop.script.insert(shop.script.end(), {"Cloak", "Ring", "Sword"});
    vendor->MeetCustomer(shop.players.front());
    for (int32_t slot = 4; slot < 20; ++slot)
        EXPECT_EQ(Stock(*vendor)[static_cast<size_t>(slot)], "Sword") << slot;
    EXPECT_EQ(shop.lastRequest.level, 4);
}

TEST_F(VendorStock, RandomItemLimitOfThreeFillsOnlyThreeSlotsEver)
{
    MakePlayer();
    Vendor* vendor = MakeVendor("MonsterLimitedShop");
    EXPECT_EQ(vendor->GetRandomItemLimit(), 3);
    shop.script.assign(200, "Sword");
    vendor->MeetCustomer(shop.players.front());
    EXPECT_EQ(CountStock(*vendor), 1 + 3);
    vendor->Restock();
    EXPECT_EQ(CountStock(*vendor), 1 + 3);
    EXPECT_EQ(vendor->GetRandomItemsGenerated(), 3);
}

TEST_F(VendorStock, StackableGoodsGetAQuantityAndGamblersAChance)
{
    MakePlayer();
    Vendor* vendor = MakeVendor();
    shop.script.assign(16, "Arrows");
    vendor->MeetCustomer(shop.players.front());
    for (int32_t slot = 4; slot < 20; ++slot) {
        ASSERT_NE(vendor->GetStockItem(slot), nullptr);
        EXPECT_GE(vendor->GetStockItem(slot)->GetStackCount(), 1);
        EXPECT_LE(vendor->GetStockItem(slot)->GetStackCount(), 20);
        EXPECT_EQ(vendor->GetGambleChance(slot), 0);
    }
    Vendor* gambler = MakeVendor("MonsterGambler");
    shop.script.assign(20, "Sword");
    gambler->MeetCustomer(shop.players.front());
    EXPECT_EQ(gambler->GetGambleChance(0), 30);
    EXPECT_EQ(gambler->GetGambleChance(19), 30);
    EXPECT_FALSE(gambler->GetStockItem(0)->IsIdentified());
}

TEST_F(VendorStock, NoFirstPlayerKeepsRandomSlotsAsTheyAre)
{
    Vendor* vendor = MakeVendor();
    Player* customer = new Player();
    ASSERT_NE(shop.AddEntity(customer), -1);
    customer->stats.Set(CharacterStat::Level, 3);
    shop.script.assign(20, "Sword");
    vendor->MeetCustomer(customer);
    EXPECT_EQ(shop.shopCalls, 0);
    EXPECT_EQ(CountStock(*vendor), 1);
}

TEST_F(VendorStock, GuardSlotsNeverRunOut)
{
    MakePlayer();
    shop.guardType = gameData.FindMonsterType("MonsterHound");
    Vendor* vendor = MakeVendor("MonsterGuardShop");
    vendor->MeetCustomer(shop.players.front());
    ASSERT_NE(vendor->GetStockItem(0), nullptr);
    EXPECT_EQ(vendor->GetStockItem(0)->GetEntry()->GetName(), "HoundWrit");
    EXPECT_EQ(vendor->GetStockItem(0)->GetStackCount(), Vendor::kGuardQuantity);
    EXPECT_EQ(vendor->TakeFromStock(0, Vendor::kTakeOneMode), nullptr);
    EXPECT_EQ(vendor->GetStockItem(0)->GetStackCount(), Vendor::kGuardQuantity - 1);
    // A guard vendor's slots 0..3 are not renewed when the level changes.
    Item* before = vendor->GetStockItem(0);
    shop.players.front()->stats.Set(CharacterStat::Level, 9);
    vendor->Update(0.05f);
    EXPECT_EQ(vendor->GetStockItem(0), before);
    EXPECT_EQ(vendor->GetStockLevel(), 9);
}

TEST_F(VendorStock, BuyingAStapleLeavesAFreshOne)
{
    MakePlayer();
    Vendor* vendor = MakeVendor();
    vendor->MeetCustomer(shop.players.front());
    Item* first = vendor->GetStockItem(0);
    std::unique_ptr<Item> bought = vendor->TakeFromStock(0, 0);
    ASSERT_EQ(bought.get(), first);
    ASSERT_NE(vendor->GetStockItem(0), nullptr);
    EXPECT_NE(vendor->GetStockItem(0), first);
    EXPECT_EQ(vendor->GetStockItem(0)->GetEntry()->GetName(), "HealthDraught");
    EXPECT_EQ(vendor->TakeFromStock(7, 0), nullptr);  // an empty slot gives nothing
}

TEST_F(VendorStock, StacksStayAndSinglesLeave)
{
    MakePlayer();
    Vendor* vendor = MakeVendor();
    shop.script = {"Arrows", "Sword"};
    vendor->MeetCustomer(shop.players.front());
    Item* arrows = vendor->GetStockItem(4);
    arrows->SetStackCount(3);
    EXPECT_EQ(vendor->TakeFromStock(4, 0), nullptr);
    EXPECT_EQ(vendor->GetStockItem(4), arrows);
    EXPECT_EQ(vendor->TakeFromStock(4, Vendor::kTakeOneMode), nullptr);
    EXPECT_EQ(arrows->GetStackCount(), 2);
    Item* sword = vendor->GetStockItem(5);
    std::unique_ptr<Item> taken = vendor->TakeFromStock(5, 0);
    EXPECT_EQ(taken.get(), sword);
    EXPECT_EQ(vendor->GetStockItem(5), nullptr);
}

TEST_F(VendorStock, ThreeSalesKeepTheLastTwo)
{
    Vendor* vendor = MakeVendor();
    vendor->AcceptSoldItem(ShopServices::Make("Sword"), 0);
    vendor->AcceptSoldItem(ShopServices::Make("Cloak"), 0);
    vendor->AcceptSoldItem(ShopServices::Make("Arrows"), 7);
    std::vector<std::string> stock = Stock(*vendor);
    EXPECT_EQ(stock[22], "Cloak");
    EXPECT_EQ(stock[23], "Arrows");
    EXPECT_EQ(vendor->GetStockItem(23)->GetStackCount(), 7);
    EXPECT_EQ(std::count(stock.begin(), stock.end(), "Sword"), 0);
}

TEST_F(VendorStock, PriceFactorOnlyOnOccupiedBuyBackSlots)
{
    Vendor* vendor = MakeVendor();
    EXPECT_FLOAT_EQ(vendor->GetPriceFactor(23), 1.0f);
    vendor->AcceptSoldItem(ShopServices::Make("Sword"), 0);
    // v = 100 below 1000: 0.6 - 0.4 x 100 / 1000.
    EXPECT_FLOAT_EQ(vendor->GetPriceFactor(23), 0.56f);
    vendor->AcceptSoldItem(ShopServices::Make("Ring"), 0);
    EXPECT_FLOAT_EQ(vendor->GetPriceFactor(23), 0.2f);
    EXPECT_FLOAT_EQ(vendor->GetPriceFactor(22), 0.56f);
    EXPECT_FLOAT_EQ(vendor->GetPriceFactor(0), 1.0f);
    EXPECT_FLOAT_EQ(vendor->GetPriceFactor(99), 1.0f);
}

TEST_F(VendorStock, NoRenewalWhileThePlayerTradesHere)
{
    Player* player = MakePlayer();
    Vendor* vendor = MakeVendor();
    shop.script.assign(16, "Sword");
    vendor->MeetCustomer(player);
    player->SetInteractionTarget(vendor);
    int32_t callsBefore = shop.shopCalls;
    size_t staplesBefore = shop.stapleLevels.size();
    for (int i = 0; i < 400; ++i)
        vendor->Update(0.05f);
    EXPECT_EQ(shop.shopCalls, callsBefore);
    EXPECT_EQ(shop.stapleLevels.size(), staplesBefore);
    EXPECT_TRUE(vendor->GetRestockTimer().IsExpired());
    // A level change still renews slots 0 to 3 at once.
    player->stats.Set(CharacterStat::Level, 6);
    vendor->Update(0.05f);
    EXPECT_EQ(shop.stapleLevels.size(), staplesBefore + 4);
    // Leaving: the next step renews one slot and restarts the timer.
    player->SetInteractionTarget(nullptr);
    vendor->Update(0.05f);
    EXPECT_FALSE(vendor->GetRestockTimer().IsExpired());
}

TEST_F(VendorStock, HasRandomStockMeetsTheFirstPlayerFirst)
{
    MakePlayer(7);
    Vendor* vendor = MakeVendor();
    shop.script = {"Sword"};
    EXPECT_TRUE(vendor->HasRandomStock());
    EXPECT_EQ(vendor->GetStockLevel(), 7);
}

TEST_F(VendorStock, StealingTakesRandomGoodsAndStopsWhenTheyAreGone)
{
    MakePlayer();
    Vendor* vendor = MakeVendor();
    shop.script = {"Sword", "Arrows"};
    vendor->MeetCustomer(shop.players.front());
    vendor->GetStockItem(5)->SetStackCount(4);
    int32_t value = 0;
    EXPECT_EQ(vendor->StealItems(5, value), 2);
    EXPECT_EQ(value, 100 + 4);
    EXPECT_FALSE(vendor->HasRandomStock());
    // Nothing left: no draw at all.
    uint32_t stateBefore = random.GetState(RandomStream::GameData);
    EXPECT_EQ(vendor->StealItems(3, value), 0);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(random.GetState(RandomStream::GameData), stateBefore);
    EXPECT_NE(vendor->GetStockItem(0), nullptr);  // staples are never stolen
}

TEST_F(VendorStock, SavedStateRoundTripsAndEveryCutFailsCleanly)
{
    MakePlayer();
    Vendor* vendor = MakeVendor();
    shop.script = {"Sword", "Arrows"};
    vendor->MeetCustomer(shop.players.front());
    vendor->AcceptSoldItem(ShopServices::Make("Ring"), 0);
    MessageBuffer saved;
    vendor->WriteSaved(saved);

    Vendor* copy = MakeVendor();
    MessageBuffer full;
    full.WriteBytes(saved.Data(), saved.Size());
    ASSERT_TRUE(copy->ReadSaved(full, 40));
    EXPECT_EQ(Stock(*copy), Stock(*vendor));
    EXPECT_EQ(copy->GetStockLevel(), 4);
    EXPECT_TRUE(copy->GetRestockTimer().running);

    for (size_t cut = 0; cut < saved.Size(); ++cut) {
        Vendor* fresh = MakeVendor();
        MessageBuffer part;
        part.WriteBytes(saved.Data(), cut);
        EXPECT_FALSE(fresh->ReadSaved(part, 40)) << cut;
        EXPECT_EQ(fresh->GetStockLevel(), -1) << cut;
        EXPECT_EQ(CountStock(*fresh), 0) << cut;
        shop.RemoveEntity(fresh);
        delete fresh;
    }
}
