// PlayerItemsTest -- what a player does with items and points: pick-ups (a stack joining its kind counted at its own worth) and their refusals, identifying everything, skills and attributes bought, the front cells and the weapon sets.
#include "core/Database.h"
#include "entities/EntityWorld.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/NeutralCovenant.h"
#include "entities/Player.h"
#include "entities/Stash.h"
#include "entities/SkillList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

constexpr const char* kItemsRecords = R"(
GameSystem
{
    MaxMoney 500
    IdentifyCost 10
    MoneyPerSkillPoint 4
    MaxBaseStrength 12
    InventorySize 30
    GridSize 32
}
Dodge
{
    Type Skill
    StatReq None
    BaseCost 2
    CostIncreasePerLevel 1
}
Drill
{
    Type SkillTree
    Skill Dodge
}
ClassWanderer
{
    Type Class
    HealthPerVit 5
    StartStrength 11
    StartVitality 10
    SkillTree Drill
}
Pebble
{
    Type Item
    ItemType Other
    MaxStack 3
}
Garnet
{
    Type Item
    ItemType Other
    MaxStack 5
    Value 40
}
Amulet
{
    Type Item
    ItemType Neck
    ModifiersAllowed 1
    MinLevel 3
}
Glinting
{
    Type MagicModifier
    Prefix 1
}
Satchel
{
    Type Item
    ItemType Bag
    BagSize 2
}
Coins
{
    Type Money
}
Heirloom
{
    Type Item
    ItemType Other
    NoDrop 1
}
ObjectCovenantStash
{
    Type Object
    Stash 1
}
)";

// A covenant whose storage is an inventory of its own.
class StorageCovenant : public NeutralCovenant {
public:
    InventoryBag* GetStorageBag(int32_t bag) const override
    {
        return bag >= InventoryGroupIndex::Stash && bag <= InventoryGroupIndex::StashBag8 ? storage.GetBag(bag) : nullptr;
    }
    InventoryBase* GetStorage() const override { return &storage; }
    mutable Inventory storage;
};

class PlayerItemsWorld : public EntityWorld {
protected:
    PlayerItemsWorld()
    {
        Player::RegisterEventClass(events, types);
        LoadRecords(kItemsRecords);
    }

    Player* MakePlayer()
    {
        auto* player = Spawn<Player>(1000.0f, 1000.0f);
        player->SetUpNew(0);
        player->Update(0.0f);
        player->inventory->ResizeBag(InventoryGroupIndex::Bag1, 2);
        game.lines.clear();
        return player;
    }

    static std::unique_ptr<Item> Make(const char* name)
    {
        auto item = std::make_unique<Item>();
        item->SetEntryByName(name);
        return item;
    }

    ItemGround* OnGround(std::unique_ptr<Item> item)
    {
        ItemGround* ground = ItemGround::Drop(At(1010.0f, 1000.0f), item, true, true, false);
        EXPECT_NE(ground, nullptr);
        return ground;
    }

    bool Sent(const std::string& text) const
    {
        return std::any_of(game.lines.begin(), game.lines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }
};

} // namespace

// ---- Picking up -------------------------------------------------------------------------------------

TEST_F(PlayerItemsWorld, MoneyFromTheGroundIsCappedAtTheMaximum)
{
    Player* player = MakePlayer();
    player->stats.Set(CharacterStat::Money, 450);
    auto coins = Make("Coins");
    coins->money = 80;
    ItemGround* ground = OnGround(std::move(coins));
    ASSERT_TRUE(player->PickUpItem(ground->entityNumber));
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 500);
}

TEST_F(PlayerItemsWorld, AnItemGoesIntoTheBackpackAndAFullBackpackLosesNothing)
{
    Player* player = MakePlayer();
    ItemGround* first = OnGround(Make("Amulet"));
    ASSERT_TRUE(player->PickUpItem(first->entityNumber));
    EXPECT_NE(player->inventory->GetItem(InventoryGroupIndex::Bag1, 0), nullptr);
    ASSERT_TRUE(player->PickUpItem(OnGround(Make("Amulet"))->entityNumber));
    ItemGround* third = OnGround(Make("Amulet"));
    EXPECT_FALSE(player->PickUpItem(third->entityNumber));
    EXPECT_TRUE(Sent("$$NoRoomInInventory$$"));
    EXPECT_NE(third->GetItem(), nullptr);  // still on the ground
    game.Step();
    EXPECT_EQ(game.GetEntity(third->entityNumber), third);
}

TEST_F(PlayerItemsWorld, AStackPickedUpOntoOneOfItsKindMergesAndCountsAtItsOwnWorth)
{
    Player* player = MakePlayer();
    ASSERT_TRUE(player->PickUpItem(OnGround(Make("Garnet"))->entityNumber));
    auto pair = Make("Garnet");
    pair->SetStackCount(2);
    int32_t pairWorth = pair->GetValue(true);
    ASSERT_GT(pairWorth, Make("Garnet")->GetValue(true));
    ASSERT_TRUE(player->PickUpItem(OnGround(std::move(pair))->entityNumber));
    const ItemBase* held = player->inventory->GetItem(InventoryGroupIndex::Bag1, 0);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->GetStackCount(), 3);
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Bag1, 1), nullptr) << "merged, not placed apart";
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::HighestItemValue), pairWorth)
        << "the pair as picked up, read before it joined the stack";
}

TEST_F(PlayerItemsWorld, ADeadPlayerPicksUpNothing)
{
    Player* player = MakePlayer();
    ItemGround* ground = OnGround(Make("Pebble"));
    player->health = 0;
    EXPECT_FALSE(player->PickUpItem(ground->entityNumber));
    EXPECT_FALSE(player->PickUpItem(GameServices::kMaxEntities));
    EXPECT_NE(ground->GetItem(), nullptr);
}

// ---- Identifying --------------------------------------------------------------------------------------

// Nothing to identify costs nothing, and the player hears why nothing happened.
TEST_F(PlayerItemsWorld, IdentifyingNothingCostsNothingAndSaysSo)
{
    Player* player = MakePlayer();
    auto pebble = Make("Pebble");
    std::unique_ptr<ItemBase> owned = std::move(pebble);
    player->inventory->AddItem(owned, InventoryGroupIndex::Bag1);
    player->stats.Set(CharacterStat::Money, 100);
    player->IdentifyAll();
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 100);
    EXPECT_EQ(game.lines.size(), 1u);
    EXPECT_TRUE(Sent("$$NothingToIdentify$$"));
}

TEST_F(PlayerItemsWorld, IdentifyingEverythingNeedsTheWholeCost)
{
    Player* player = MakePlayer();
    auto amulet = Make("Amulet");
    amulet->SetLevel(5);
    ASSERT_TRUE(amulet->AddAffix(gameData.GetItemRecords().FindMagicModifier("Glinting"), 0.5f));
    amulet->SetIdentified(false);
    Item* held = amulet.get();
    std::unique_ptr<ItemBase> owned = std::move(amulet);
    player->inventory->AddItem(owned, InventoryGroupIndex::Bag1);
    int32_t cost = held->GetIdentifyCost();
    ASSERT_GT(cost, 0);
    player->stats.Set(CharacterStat::Money, cost - 1);
    player->IdentifyAll();
    EXPECT_TRUE(Sent("$$DontHaveEnoughMoneyToIdentifyEverything$$"));
    EXPECT_TRUE(held->IsUnidentified());
    player->stats.Set(CharacterStat::Money, cost + 5);
    player->IdentifyAll();
    EXPECT_FALSE(held->IsUnidentified());
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 5);
}

TEST_F(PlayerItemsWorld, SharedBagsAreNeitherPaidForNorIdentified)
{
    Player* player = MakePlayer();
    player->inventory->ResizeBag(InventoryGroupIndex::Bag2, 2);
    player->inventory->GetBag(InventoryGroupIndex::Bag2)->SetShared(true);
    auto amulet = Make("Amulet");
    amulet->SetLevel(5);
    ASSERT_TRUE(amulet->AddAffix(gameData.GetItemRecords().FindMagicModifier("Glinting"), 0.5f));
    amulet->SetIdentified(false);
    Item* held = amulet.get();
    std::unique_ptr<ItemBase> owned = std::move(amulet);
    ASSERT_TRUE(player->inventory->AddItem(owned, InventoryGroupIndex::Bag2));
    player->stats.Set(CharacterStat::Money, 100);
    player->IdentifyAll();
    EXPECT_TRUE(held->IsUnidentified());
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 100);
    EXPECT_TRUE(Sent("$$NothingToIdentify$$"));
}

// ---- Points -------------------------------------------------------------------------------------------

TEST_F(PlayerItemsWorld, ASkillIsBoughtWithPointsAndMoney)
{
    Player* player = MakePlayer();
    int32_t stat = CharacterStat::Skill1;
    int32_t level = player->stats.Get(stat);
    int32_t points = 2 + level;  // base cost and one more per level held
    player->stats.Set(CharacterStat::SkillPointsLeft, points);
    player->stats.Set(CharacterStat::Money, 4 * points - 1);
    player->RaiseSkill(0, 0);
    EXPECT_TRUE(Sent("$$NotEnoughMoney$$"));
    EXPECT_EQ(player->stats.Get(stat), level);
    player->stats.Set(CharacterStat::Money, 4 * points);
    player->RaiseSkill(0, 0);
    EXPECT_EQ(player->stats.Get(stat), level + 1);
    EXPECT_EQ(player->stats.Get(CharacterStat::LastSkillRaised), stat);
    EXPECT_EQ(player->stats.Get(CharacterStat::SkillPointsLeft), 0);
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 0);
}

TEST_F(PlayerItemsWorld, LoweringASkillChargesThreeTimesTheRefundsMoney)
{
    Player* player = MakePlayer();
    int32_t stat = CharacterStat::Skill1;
    player->stats.Set(stat, 3);
    int32_t refund = 2 + 2;  // the cost of going from level 2 to 3
    player->stats.Set(CharacterStat::SkillPointsLeft, 50);
    player->stats.Set(CharacterStat::Money, 3 * 4 * refund - 1);
    player->LowerSkill(0, 0);
    EXPECT_TRUE(Sent("$$NotEnoughMoney$$"));
    EXPECT_EQ(player->stats.Get(stat), 3);
    player->stats.Set(CharacterStat::Money, 3 * 4 * refund);
    player->LowerSkill(0, 0);
    EXPECT_EQ(player->stats.Get(stat), 2);
    EXPECT_EQ(player->stats.Get(CharacterStat::SkillPointsLeft), 50 + refund);
    EXPECT_EQ(player->stats.Get(CharacterStat::Money), 0);
}

TEST_F(PlayerItemsWorld, AnAttributeRisesBelowItsCapWhilePointsAreLeft)
{
    Player* player = MakePlayer();
    player->stats.Set(CharacterStat::AttributePointsLeft, 3);
    player->RaiseAttribute("Strength");
    EXPECT_EQ(player->stats.Get(CharacterStat::BaseStrength), 12);
    player->RaiseAttribute("Strength");  // the cap of 12
    player->RaiseAttribute("Luck");
    player->RaiseAttribute("BaseStrength");
    EXPECT_EQ(player->stats.Get(CharacterStat::BaseStrength), 12);
    EXPECT_EQ(player->stats.Get(CharacterStat::AttributePointsLeft), 2);
    player->stats.Set(CharacterStat::AttributePointsLeft, 0);
    int32_t spirit = player->stats.Get(CharacterStat::BaseSpirit);
    player->RaiseAttribute("Spirit");
    EXPECT_EQ(player->stats.Get(CharacterStat::BaseSpirit), spirit);
}

// ---- Moving ------------------------------------------------------------------------------------------

TEST_F(PlayerItemsWorld, ThePowerupCellsFillFromTheFront)
{
    Player* player = MakePlayer();
    constexpr int32_t cells = InventoryBase::kPowerupBag;
    ASSERT_TRUE(player->inventory->ResizeBag(cells, 4));
    std::unique_ptr<ItemBase> satchel = Make("Satchel");
    ItemBase* held = satchel.get();
    ASSERT_TRUE(player->inventory->PlaceItem(satchel, cells, 2, 0));
    player->CloseFrontSlotGaps(0);
    EXPECT_EQ(player->inventory->GetItem(cells, 0), held);
    player->CloseFrontSlotGaps(1);
    EXPECT_EQ(player->inventory->GetItem(cells, 0), held);
}

TEST_F(PlayerItemsWorld, TheWeaponSetsTradePlaces)
{
    Player* player = MakePlayer();
    player->inventory->ResizeBag(InventoryGroupIndex::Backup, 2);
    std::unique_ptr<ItemBase> spare = Make("Pebble");
    ItemBase* held = spare.get();
    ASSERT_TRUE(player->inventory->PlaceItem(spare, InventoryGroupIndex::Backup, 0, kPlaceAnyGroup));
    player->SwapWeaponSets();
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary), held);
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Backup, 0), nullptr);
    player->SwapWeaponSets();
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Backup, 0), held);
}

// ---- The covenant's stash ------------------------------------------------------------------------------

TEST_F(PlayerItemsWorld, AtTheCovenantStashItemsMoveIntoTheCovenantsBagsAndBackUnderTheSameRules)
{
    Player* player = MakePlayer();
    player->inventory->ResizeBag(InventoryGroupIndex::Bag1, 4);
    StorageCovenant covenant;
    game.covenants.push_back(&covenant);
    player->covenantIndex = 0;
    covenant.storage.ResizeBag(InventoryGroupIndex::Stash, 8);
    std::unique_ptr<ItemBase> satchel = Make("Satchel");
    ASSERT_TRUE(covenant.storage.PlaceItem(satchel, InventoryGroupIndex::Stash, 0, 0));
    ASSERT_EQ(covenant.storage.GetSlotCount(InventoryGroupIndex::StashBag1), 2);
    auto* stash = Spawn<Stash>(1010.0f, 1000.0f);
    stash->SetEntry(database.FindEntryByName("ObjectCovenantStash"));
    std::unique_ptr<ItemBase> pebble = Make("Pebble");
    ItemBase* kept = pebble.get();
    ASSERT_TRUE(player->inventory->PlaceItem(pebble, InventoryGroupIndex::Bag1, 0, 0));
    std::unique_ptr<ItemBase> heirloom = Make("Heirloom");
    ASSERT_TRUE(player->inventory->PlaceItem(heirloom, InventoryGroupIndex::Bag1, 1, 0));

    player->MoveItem(2, 0, 16, 1);
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Bag1, 0), kept) << "no stash open";
    player->SetInteraction(10, stash->entityNumber);
    player->MoveItem(2, 0, 16, 1);
    EXPECT_EQ(covenant.storage.GetItem(InventoryGroupIndex::StashBag1, 1), kept);
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Bag1, 0), nullptr);

    // Refused, with the message, and nothing moves: what must stay carried, a cell past the
    // stored bag's two, the stored bag while it holds an item.
    game.lines.clear();
    player->MoveItem(2, 1, 16, 0);
    player->MoveItem(2, 1, 16, 2);
    player->MoveItem(15, 0, 2, 0);
    EXPECT_NE(player->inventory->GetItem(InventoryGroupIndex::Bag1, 1), nullptr);
    EXPECT_EQ(covenant.storage.GetItem(InventoryGroupIndex::StashBag1, 1), kept);
    EXPECT_NE(covenant.storage.GetItem(InventoryGroupIndex::Stash, 0), nullptr);
    EXPECT_EQ(std::count_if(game.lines.begin(), game.lines.end(),
                            [](const std::string& line) { return line.find("$$CantMoveItemHere$$") != std::string::npos; }),
              3);

    // Swapped with what the player holds, then taken back; the emptied bag moves within the
    // covenant's places and its cells go with it.
    std::unique_ptr<ItemBase> amulet = Make("Amulet");
    ItemBase* worn = amulet.get();
    ASSERT_TRUE(player->inventory->PlaceItem(amulet, InventoryGroupIndex::Bag1, 0, 0));
    player->MoveItem(2, 0, 16, 1);
    EXPECT_EQ(covenant.storage.GetItem(InventoryGroupIndex::StashBag1, 1), worn);
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Bag1, 0), kept);
    player->MoveItem(16, 1, 2, 0);
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Bag1, 0), worn);
    EXPECT_EQ(covenant.storage.GetItem(InventoryGroupIndex::StashBag1, 1), kept);
    player->MoveItem(16, 1, 2, 2);
    EXPECT_EQ(player->inventory->GetItem(InventoryGroupIndex::Bag1, 2), kept);
    player->MoveItem(15, 0, 15, 3);
    EXPECT_EQ(covenant.storage.GetSlotCount(InventoryGroupIndex::StashBag1), 0);
    EXPECT_EQ(covenant.storage.GetSlotCount(InventoryGroupIndex::StashBag4), 2);
    game.covenants.clear();
}
