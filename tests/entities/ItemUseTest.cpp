// ItemUseTest -- an item used by a sentient, branch by branch; requirement tiers; what worn items add to stats and damage; the trade factor of food and drink.
#include "entities/CombatWorld.h"
#include "entities/Attachments.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

constexpr const char* kItemRecords = R"(
HealingDraught
{
    Type Item
    ItemType Drink
    CanBeUsed 1
    MaxStack 5
    MinHealthGainBase 10
    MaxHealthGainBase 10
    ItemTimer 1
    ItemTimerTime 2
}
HomeStone
{
    Type Item
    ItemType Other
    CanBeUsed 1
    TeleportHome 1
}
Sparkler
{
    Type Item
    ItemType Other
    CanBeUsed 1
    UseEffectName "effects/normalhit.mdl"
}
Tonic
{
    Type Item
    ItemType Food
    CanBeUsed 1
    UseStatChanges 1
    StatChangeBaseStrength 2
    StatChangeScore 10
}
Charm
{
    Type Item
    ItemType Other
    CanBeUsed 1
    ModifiersAllowed 1
    MinLevel 4
}
Glinting
{
    Type MagicModifier
    Prefix 1
}
TreasureChart
{
    Type Item
    ItemType TreasureMap
    CanBeUsed 1
}
Circlet
{
    Type Item
    ItemType Head
    NoDrop 1
}
Breastplate
{
    Type Item
    ItemType Chest
    ItemRequirement ArmorPlate
    Armor 20
    Defense 5
    StatChangeStrength 3
    MinDamagePhysical 2
    MaxDamagePhysical 6
    MinDamageFire 1
    MaxDamageFire 3
}
)";

// A sentient whose item timer and known skills the test sets, and which notes its home trips.
class ItemTester : public Sentient {
public:
    bool IsItemTimerReady(int32_t timer) const override { return !busyTimers.count(timer); }
    void SetItemTimer(int32_t timer, float seconds) override { started.push_back(timer * 100 + static_cast<int32_t>(seconds)); }
    bool KnowsSkill(int32_t id) const override { return known.count(id) != 0; }
    bool StartTeleportHome() override { return ++homeTrips > 0; }

    std::set<int32_t> busyTimers;
    std::set<int32_t> known{0};
    std::vector<int32_t> started;
    int32_t homeTrips = 0;
};

class ItemUse : public CombatWorld {
protected:
    void SetUp() override { LoadCombat(kItemRecords); }

    ItemTester* User()
    {
        auto* user = Fighter<ItemTester>(0, 0);
        user->inventory->ResizeBag(InventoryGroupIndex::Bag1, 8);
        user->inventory->ResizeBag(InventoryGroupIndex::Equipment, EquipedLocation::None);
        user->health = 10;
        return user;
    }

    // A new item of the record in the bag's first free cell; its place.
    Item* Give(Sentient& user, const char* name, int32_t stack = 1)
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        item->SetStackCount(stack);
        Item* raw = item.get();
        std::unique_ptr<ItemBase> owned(item.release());
        EXPECT_TRUE(user.inventory->AddItem(owned, InventoryGroupIndex::Bag1));
        return raw;
    }

    void Wear(Sentient& user, Item* item, int32_t slot)
    {
        int32_t bag = -1;
        int32_t at = -1;
        ASSERT_TRUE(user.inventory->FindItem(item, bag, at));
        ASSERT_TRUE(user.inventory->MoveItem(bag, at, InventoryGroupIndex::Equipment, slot));
    }

    void Use(Sentient& user, Item* item)
    {
        int32_t bag = -1;
        int32_t slot = -1;
        ASSERT_TRUE(user.inventory->FindItem(item, bag, slot));
        Item::UseItemAt(*user.inventory, bag, slot, &user);
    }
};

} // namespace

TEST_F(ItemUse, AStackOfThreeLosesOneAUseAndGoesWithTheLast)
{
    ItemTester* user = User();
    Item* draught = Give(*user, "HealingDraught", 3);
    Use(*user, draught);
    EXPECT_EQ(draught->GetStackCount(), 2);
    EXPECT_EQ(user->health, 20);
    Use(*user, draught);
    EXPECT_EQ(draught->GetStackCount(), 1);
    Use(*user, draught);
    EXPECT_EQ(user->inventory->CountItems(InventoryGroupIndex::Bag1), 0);
    EXPECT_EQ(user->health, 40);
    EXPECT_EQ(user->started, (std::vector<int32_t>{102, 102, 102}));
}

TEST_F(ItemUse, ARunningTimerKeepsTheChargeAndChangesNothing)
{
    ItemTester* user = User();
    user->busyTimers.insert(1);
    Item* draught = Give(*user, "HealingDraught", 3);
    EXPECT_FALSE(draught->Use(user));
    EXPECT_EQ(draught->GetStackCount(), 3);
    EXPECT_EQ(user->health, 10);
    EXPECT_TRUE(user->started.empty());
}

TEST_F(ItemUse, AnUnidentifiedMagicItemStartsIdentifyingAndIsKept)
{
    ItemTester* user = User();
    game.identifyTime = 3.0f;
    Item* charm = Give(*user, "Charm");
    ASSERT_TRUE(charm->AddAffix(gameData.GetItemRecords().FindMagicModifier("Glinting"), 0.5f));
    for (int32_t i = 0; i < 3; ++i)
        Use(*user, charm);
    EXPECT_EQ(user->inventory->CountItems(InventoryGroupIndex::Bag1), 1);
    EXPECT_NE(game.FindTimedAction(Sentient::GetEventId(SentientEvent::IdentifyItem), user), nullptr);
    EXPECT_EQ(game.lines.back(), "timer " + std::to_string(user->entityNumber) + " 3.000000 2");
    game.StepFor(3.1f);
    EXPECT_TRUE(charm->IsIdentified());
    Use(*user, charm);
    EXPECT_EQ(user->inventory->CountItems(InventoryGroupIndex::Bag1), 0);
}

TEST_F(ItemUse, AHomeStoneStartsTheTripAndStays)
{
    ItemTester* user = User();
    Item* stone = Give(*user, "HomeStone");
    Use(*user, stone);
    Use(*user, stone);
    EXPECT_EQ(user->homeTrips, 2);
    EXPECT_EQ(user->inventory->CountItems(InventoryGroupIndex::Bag1), 1);
}

TEST_F(ItemUse, AUseEffectWithoutATimeLastsFiveSeconds)
{
    ItemTester* user = User();
    Item* sparkler = Give(*user, "Sparkler");
    Use(*user, sparkler);
    EXPECT_EQ(CountAttachedTo(game, *user), 1);
    game.StepFor(4.9f);
    EXPECT_EQ(CountAttachedTo(game, *user), 1);
    game.StepFor(0.2f);
    EXPECT_EQ(CountAttachedTo(game, *user), 0);
}

TEST_F(ItemUse, StatChangesAreGivenOnUseAndScoreIsShown)
{
    ItemTester* user = User();
    int32_t strength = user->GetStat(CharacterStat::Strength);
    Use(*user, Give(*user, "Tonic"));
    EXPECT_EQ(user->GetStat(CharacterStat::BaseStrength), 12);
    EXPECT_EQ(user->GetStat(CharacterStat::Strength), strength + 2);
    EXPECT_EQ(user->GetStat(CharacterStat::Score), 10);
    EXPECT_EQ(LinesStarting("dmg"), (std::vector<std::string>{"dmg " + std::to_string(user->entityNumber) +
                                                              " ^f006+10$$ScorePrint$$"}));
}

TEST_F(ItemUse, AMapIsTheGamesToDecide)
{
    ItemTester* user = User();
    Item* chart = Give(*user, "TreasureChart");
    Use(*user, chart);
    EXPECT_EQ(user->inventory->CountItems(InventoryGroupIndex::Bag1), 1);
    game.mapUsedUp = true;
    Use(*user, chart);
    EXPECT_EQ(user->inventory->CountItems(InventoryGroupIndex::Bag1), 0);
    EXPECT_EQ(game.notices.size(), 2u);
}

TEST_F(ItemUse, WornArmourGoesOnAndIsNotUsedUp)
{
    ItemTester* user = User();
    user->known.insert(ItemRequirement::ArmorPlate);
    Item* plate = Give(*user, "Breastplate");
    Use(*user, plate);
    EXPECT_EQ(user->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Chest), plate);
}

TEST_F(ItemUse, ArmourTiersFollowTheHighestKnownSkill)
{
    ItemTester* user = User();
    auto meets = [&](int32_t requirement) {
        ItemBase probe;
        probe.SetEntry(database.FindEntryByName("Breastplate"));
        const_cast<ItemDefinition*>(probe.GetDefinition())->itemRequirement = requirement;
        return Item::MeetsItemRequirement(*user, probe);
    };
    for (int32_t known : {int32_t(ItemRequirement::ArmorCloth), int32_t(ItemRequirement::ArmorLeather),
                          int32_t(ItemRequirement::ArmorMail), int32_t(ItemRequirement::ArmorPlate),
                          int32_t(ItemRequirement::Cape)})
        user->known.insert(known);
    EXPECT_TRUE(meets(ItemRequirement::ArmorPlate));
    EXPECT_TRUE(meets(ItemRequirement::ArmorMail));
    EXPECT_FALSE(meets(ItemRequirement::ArmorLeather));
    EXPECT_FALSE(meets(ItemRequirement::Cape));
    user->known = {0, ItemRequirement::ArmorLeather, ItemRequirement::ArmorCloth};
    EXPECT_TRUE(meets(ItemRequirement::ArmorCloth));
    EXPECT_FALSE(meets(ItemRequirement::ArmorMail));
    user->known = {0, ItemRequirement::ArmorCloth};
    EXPECT_TRUE(meets(ItemRequirement::ArmorCloth));
    EXPECT_TRUE(meets(ItemRequirement::None));
    EXPECT_FALSE(meets(ItemRequirement::WeaponAxe));
}

TEST_F(ItemUse, EquipmentSharesByKind)
{
    ItemTester* user = User();
    Item* plate = Give(*user, "Breastplate");
    int32_t bag = -1;
    int32_t slot = -1;
    user->inventory->FindItem(plate, bag, slot);
    ASSERT_TRUE(user->inventory->MoveItem(bag, slot, InventoryGroupIndex::Equipment, EquipedLocation::Chest));
    auto share = [&](int32_t kind, int32_t stat) {
        int32_t total = 1;
        Item::AddEquipmentStat(*user->inventory, kind, stat, total);
        return total - 1;
    };
    EXPECT_EQ(share(0, CharacterStat::Strength), 3);
    EXPECT_EQ(share(0, CharacterStat::Armor), 0);
    EXPECT_EQ(share(1, CharacterStat::Armor), 20);
    EXPECT_EQ(share(1, CharacterStat::Defense), 5);
    EXPECT_EQ(share(1, CharacterStat::MinDamage), 3);
    EXPECT_EQ(share(1, CharacterStat::MaxDamage), 9);
    EXPECT_EQ(share(1, CharacterStat::Strength), 3);
    EXPECT_EQ(share(2, CharacterStat::Strength), 0);
    int32_t armor = user->GetStat(CharacterStat::Armor);
    int32_t strength = user->GetStat(CharacterStat::Strength);
    user->RecalculateStats(false);
    EXPECT_EQ(user->GetStat(CharacterStat::Armor), armor + 20);
    EXPECT_EQ(user->GetStat(CharacterStat::Strength), strength + 3);
    // The worn damage joins the damage list: unarmed 1..4 plus the plate's physical 2..6 and fire 1..3.
    EXPECT_EQ(user->GetStat(CharacterStat::MinDamage), 1 + 2 + 1);
    EXPECT_EQ(user->GetStat(CharacterStat::MaxDamage), 4 + 6 + 3);
}

TEST_F(ItemUse, FoodAndDrinkArePricedByTheGamesTradeValues)
{
    game.tradeValues = {1.5f, 0.5f};
    Item food;
    food.SetEntry(database.FindEntryByName("Tonic"));
    Item drink;
    drink.SetEntry(database.FindEntryByName("HealingDraught"));
    Item other;
    other.SetEntry(database.FindEntryByName("HomeStone"));
    EXPECT_FLOAT_EQ(food.GetValueMultiplier(), 1.5f);
    EXPECT_FLOAT_EQ(drink.GetValueMultiplier(), 0.5f);
    EXPECT_FLOAT_EQ(other.GetValueMultiplier(), 1.0f);
}

TEST_F(ItemUse, DroppedEquipmentLandsOnTheGroundAndStopsCounting)
{
    ItemTester* user = User();
    Item* plate = Give(*user, "Breastplate");
    int32_t bag = -1;
    int32_t slot = -1;
    user->inventory->FindItem(plate, bag, slot);
    ASSERT_TRUE(user->inventory->MoveItem(bag, slot, InventoryGroupIndex::Equipment, EquipedLocation::Chest));
    user->RecalculateStats(false);
    int32_t armor = user->GetStat(CharacterStat::Armor);
    auto* bystander = Fighter<ItemTester>(20, 0);
    user->DropItem(InventoryGroupIndex::Equipment, EquipedLocation::Chest, bystander);
    EXPECT_EQ(user->inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Chest), nullptr);
    const ItemGround* ground = nullptr;
    for (int32_t i = 0; i < GameServices::kMaxEntities && !ground; ++i)
        if (Entity* entity = game.GetEntity(i); entity && entity->IsGroundItem())
            ground = static_cast<const ItemGround*>(entity);
    ASSERT_NE(ground, nullptr);
    EXPECT_EQ(ground->GetItem(), plate);
    EXPECT_EQ(user->GetStat(CharacterStat::Armor), armor - 20);
}

TEST_F(ItemUse, WornItemsDropSlotBySlotUnlessTheyMayNotOrAVendorAsks)
{
    ItemTester* user = User();
    Item* plate = Give(*user, "Breastplate");
    Item* circlet = Give(*user, "Circlet");
    Wear(*user, plate, EquipedLocation::Chest);
    Wear(*user, circlet, EquipedLocation::Head);
    struct VendorProbe : ItemTester {
        bool IsVendor() const override { return true; }
    };
    auto* seller = Fighter<VendorProbe>(30, 0);
    auto* bystander = Fighter<ItemTester>(20, 0);
    user->DropEquipment(15, seller);
    user->DropEquipped(EquipedLocation::Chest, 15, seller);
    EXPECT_EQ(user->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Chest), plate) << "the vendor's kind";
    user->DropEquipment(15, bystander);
    EXPECT_EQ(user->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Chest), nullptr);
    int32_t grounded = 0;
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        if (Entity* entity = game.GetEntity(i); entity && entity->IsGroundItem())
            grounded += static_cast<const ItemGround*>(entity)->GetItem() == plate ? 1 : 100;
    EXPECT_EQ(grounded, 1) << "the plate, and nothing else, lies on the ground";
    EXPECT_EQ(user->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Head), circlet) << "it may not drop";
}
