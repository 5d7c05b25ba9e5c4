// SentientEquipmentTest -- what a sentient's items decide: its attack animation, its keys, the equipment the clients see, its reach.
#include "entities/SentientWorld.h"

#include "core/MessageBuffer.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class SentientEquipment : public SentientWorld {
protected:
    void SetUp() override
    {
        LoadRecords(std::string(kRecords) + R"(
Dagger
{
    Type Item
    ItemType HandPrimary
    AttackSoundCriticalHit "Sounds/stab.wav"
}
Greatsword
{
    Type Item
    ItemType HandBoth
}
Rapier
{
    Type Item
    ItemType HandPrimary
    Speed 1.25
}
Hasty
{
    Type MagicModifier
    WeaponSpeed 0.5
}
Buckler
{
    Type Item
    ItemType HandSecondary
}
Helm
{
    Type Item
    ItemType Head
    PartialBonusStatusEffect KinBonus
}
Greaves
{
    Type Item
    ItemType Legs
    PartialBonusStatusEffect KinBonus
}
KinBonus
{
    Type StatusEffect
    Forever 1
    ItemSetEffect 1
    EffectType OnlyOne
    GroupName "KinBonus"
    StatChangeStrength 3
}
Cudgel
{
    Type Item
    ItemType HandPrimary
    DefaultItem Knuckles
}
Pavise
{
    Type Item
    ItemType HandSecondary
    DefaultItem Knuckles
}
Knuckles
{
    Type Item
    ItemType HandEither
}
Tonic
{
    Type Item
    ItemType Other
    MaxStack 5
}
Drill
{
    Type Skill
    ApplyStatsOnIncrease 1
    StatChangeStrength 2
}
Targe
{
    Type Item
    ItemType HandSecondary
    DefaultItem Bracer
}
Bracer
{
    Type Item
    ItemType Wrists
}
Darts
{
    Type Item
    ItemType Ranged
    MaxStack 4
}
Javelins
{
    Type Item
    ItemType Ranged
    MaxStack 1000000000
}
RustyKey
{
    Type Item
    KeyName "CellarDoor"
    KeyName "Shed"
}
)");
        fighter = MakeTester(0, 0, 0, 10, 0, 0);
        fighter->inventory->ResizeBag(InventoryGroupIndex::Main, 4);
        fighter->inventory->ResizeBag(InventoryGroupIndex::Equipment, EquipedLocation::None);
    }

    void Put(const char* record, int32_t bag, int32_t slot)
    {
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntry(Record(record));
        ASSERT_TRUE(fighter->inventory->PlaceItem(item, bag, slot, kPlaceAnyGroup)) << record;
    }

    std::unique_ptr<ItemBase> Make(const char* record, int32_t stack = 1)
    {
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntry(Record(record));
        item->SetStackCount(stack);
        return item;
    }

    std::string Worn(int32_t slot) const
    {
        const ItemBase* item = fighter->inventory->GetItem(InventoryGroupIndex::Equipment, slot);
        return item ? std::string(item->GetEntry()->GetName()) : std::string("-");
    }

    Sentient* fighter = nullptr;
};

} // namespace

TEST_F(SentientEquipment, AttackAnimationFollowsTheHands)
{
    EXPECT_STREQ(fighter->GetAttackAnimationName(), "attack");
    Put("Dagger", InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    EXPECT_STREQ(fighter->GetAttackAnimationName(), "attackOneHand");
    fighter->inventory->DeleteAt(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    Put("Greatsword", InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    EXPECT_STREQ(fighter->GetAttackAnimationName(), "attackTwoHand");
    Put("Buckler", InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary);
    EXPECT_STREQ(fighter->GetAttackAnimationName(), "attackOneHandWithShield") << "a shield wins whatever the weapon";
}

TEST_F(SentientEquipment, TheAttackSoundIsTheWeaponsElseTheGamesDefault)
{
    struct Case {
        const char* weapon;
        int32_t kind;
        const char* sound;
    };
    const Case cases[] = {
        {nullptr, AttackSoundType::NormalHit, "Sounds/thud.wav"},
        {nullptr, AttackSoundType::CriticalHit, "Sounds/crack.wav"},
        {nullptr, AttackSoundType::Parry, ""},
        {"Dagger", AttackSoundType::CriticalHit, "Sounds/stab.wav"},
        {"Dagger", AttackSoundType::NormalHit, "Sounds/thud.wav"},
        {"Greatsword", AttackSoundType::CriticalHit, "Sounds/crack.wav"},
        {"Dagger", -1, ""},
        {"Dagger", AttackSoundType::kCount, ""},
    };
    std::string sound = "stale";
    for (const Case& c : cases) {
        fighter->inventory->DeleteAt(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
        if (c.weapon)
            Put(c.weapon, InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
        fighter->GetAttackSound(c.kind, sound);
        EXPECT_EQ(sound, c.sound) << (c.weapon ? c.weapon : "bare hands") << " " << c.kind;
    }
}

TEST_F(SentientEquipment, TheSecondPieceOfASetWornGivesItsBonusOnceAndTakingOneOffEndsIt)
{
    int32_t bare = fighter->GetStat(CharacterStat::Strength);
    const DatabaseEntry* kin = Record("KinBonus");
    EXPECT_FALSE(fighter->IsItemSetComplete(kin));
    Put("Helm", InventoryGroupIndex::Equipment, EquipedLocation::Head);
    fighter->Update(0.05f);
    EXPECT_FALSE(fighter->IsItemSetComplete(kin));
    EXPECT_EQ(fighter->GetStat(CharacterStat::Strength), bare) << "one piece earns nothing";
    Put("Greaves", InventoryGroupIndex::Equipment, EquipedLocation::Legs);
    EXPECT_TRUE(fighter->IsItemSetComplete(kin));
    EXPECT_FALSE(fighter->IsItemSetComplete(nullptr));
    for (int step = 0; step < 3; ++step)
        fighter->Update(0.05f);
    EXPECT_EQ(fighter->GetStat(CharacterStat::Strength), bare + 3);
    fighter->inventory->DeleteAt(InventoryGroupIndex::Equipment, EquipedLocation::Head);
    fighter->Update(0.05f);
    fighter->Update(0.05f);
    EXPECT_EQ(fighter->GetStat(CharacterStat::Strength), bare);
}

TEST_F(SentientEquipment, KeysMatchTheirLockNamesWithoutRegardToCase)
{
    EXPECT_FALSE(fighter->HasItemMatching("CellarDoor"));
    Put("RustyKey", InventoryGroupIndex::Main, 3);
    EXPECT_TRUE(fighter->HasItemMatching("cellardoor"));
    EXPECT_TRUE(fighter->HasItemMatching("SHED"));
    EXPECT_FALSE(fighter->HasItemMatching("Vault"));
}

TEST_F(SentientEquipment, NetStateNamesTheVisibleEquipment)
{
    Put("Dagger", InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    Put("Buckler", InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary);
    MessageBuffer buffer;
    fighter->WriteNetState(buffer);
    std::vector<int32_t> words(buffer.Size() / 4);
    std::memcpy(words.data(), buffer.Data(), buffer.Size());
    std::vector<int32_t> expected(10, -1);
    expected[8] = Record("Dagger")->GetId();
    expected[9] = Record("Buckler")->GetId();
    EXPECT_EQ(words, expected);
}

TEST_F(SentientEquipment, EmptyOrShortEquipmentBagShowsNothing)
{
    fighter->inventory->ResizeBag(InventoryGroupIndex::Equipment, 3);
    MessageBuffer buffer;
    fighter->WriteNetState(buffer);
    std::vector<int32_t> words(buffer.Size() / 4);
    std::memcpy(words.data(), buffer.Data(), buffer.Size());
    EXPECT_EQ(words, std::vector<int32_t>(10, -1));
    EXPECT_EQ(fighter->GetStat(CharacterStat::AttackSpeed), 1500);
}

TEST_F(SentientEquipment, AttackSpeedIsTheWeaponsSpeedLessItsAffixesShare)
{
    Put("Rapier", InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    fighter->RecalculateStats(false);
    EXPECT_EQ(fighter->GetStat(CharacterStat::AttackSpeed), 1250);
    Item* rapier = fighter->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    ASSERT_TRUE(rapier->AddAffix(gameData.GetItemRecords().FindMagicModifier("Hasty"), 0.5f));
    fighter->RecalculateStats(false);
    EXPECT_EQ(fighter->GetStat(CharacterStat::AttackSpeed), 625) << "1.25 - 0.5 x 1.25 seconds";
}

TEST_F(SentientEquipment, MeleeReachIsUnderTwoCellsBetweenBodies)
{
    Sentient* foe = Spawn<Sentient>(500, 500);
    fighter->radius = 10.0f;
    foe->radius = 10.0f;
    float cell = Tuning().gridSize.x;
    foe->SetPosition(At(500 + 20 + cell * 1.8f, 500));
    EXPECT_TRUE(IsWithinMeleeReach(fighter, foe));
    foe->SetPosition(At(500 + 20 + cell * 1.95f, 500));
    EXPECT_FALSE(IsWithinMeleeReach(fighter, foe));
    EXPECT_FALSE(IsWithinMeleeReach(fighter, nullptr));
}

TEST_F(SentientEquipment, AGivenItemMergesIntoItsStacksOrTakesAFreeCellOrStaysWithTheGiver)
{
    fighter->inventory->ResizeBag(InventoryGroupIndex::Bag1, 2);
    struct Case {
        const char* record;
        int32_t stack;
        int32_t bag;
        int32_t result;
        int32_t cellsAfter;
    };
    const Case cases[] = {
        {"Tonic", 2, InventoryGroupIndex::Bag1, Sentient::kGiveAdded, 1},
        {"Tonic", 2, InventoryGroupIndex::Bag1, Sentient::kGiveMerged, 1},
        {"Tonic", 2, InventoryGroupIndex::Bag1, Sentient::kGiveAdded, 2},  // one merged, one a cell of its own
        {"Tonic", 5, InventoryGroupIndex::Bag1, Sentient::kGiveRefused, 2},
        {"Helm", 1, InventoryGroupIndex::Main, Sentient::kGiveRefused, 0},  // the bag row holds bags only
    };
    for (const Case& c : cases) {
        std::unique_ptr<ItemBase> item = Make(c.record, c.stack);
        EXPECT_EQ(fighter->GiveItem(item, c.bag), c.result) << c.record << " " << c.stack;
        EXPECT_EQ(item != nullptr, c.result == Sentient::kGiveRefused) << "a refused item stays with its giver";
        EXPECT_EQ(fighter->inventory->CountItems(c.bag), c.cellsAfter) << c.record << " " << c.stack;
    }
    std::unique_ptr<ItemBase> none;
    EXPECT_EQ(fighter->GiveItem(none, InventoryGroupIndex::Bag1), Sentient::kGiveRefused);
}

TEST_F(SentientEquipment, ANewItemIsWornInItsSlotAndATwoHandedOneEmptiesTheOffHand)
{
    Put("Buckler", InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary);
    struct Case {
        const char* record;
        bool fromHelm;
        int32_t slot;
        int32_t offHandItems;
    };
    const Case cases[] = {{"Helm", false, EquipedLocation::Head, 1},
                          {"Helm", true, EquipedLocation::Head, 1},
                          {"Dagger", false, EquipedLocation::HandPrimary, 1},
                          {"Greatsword", false, EquipedLocation::HandPrimary, 0}};
    for (const Case& c : cases) {
        const auto* from = c.fromHelm ? fighter->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::Head) : nullptr;
        ASSERT_TRUE(fighter->EquipNewItems(Record(c.record), from, false, 7)) << c.record;
        EXPECT_EQ(Worn(c.slot), c.record);
        EXPECT_EQ(fighter->GetItem(InventoryGroupIndex::Equipment, c.slot)->GetLevel(), 7);
        EXPECT_EQ(Worn(EquipedLocation::HandSecondary) != "-", c.offHandItems == 1) << c.record;
    }
    EXPECT_EQ(fighter->inventory->CountItems(InventoryGroupIndex::Equipment), 2) << "each slot holds one item";
    EXPECT_FALSE(fighter->EquipNewItems(nullptr, nullptr, false, 1));
    EXPECT_FALSE(fighter->EquipNewItems(Record("RustyKey"), nullptr, false, 1)) << "a key is worn nowhere";
}

// Mended: a two-handed weapon left the off-hand item's stand-in worn, and a generated stack was
// worn as a single item.
TEST_F(SentientEquipment, ATwoHandedItemTakesTheOffHandsDefaultAlongAndAGeneratedStackIsFilled)
{
    game.makesItems = true;
    struct Case {
        const char* name;
        const char* offHand;
        const char* record;
        bool generate;
        int32_t slot;
        int32_t stack;
        size_t made;
        const char* wristsAfter;
        const char* offHandAfter;
    };
    constexpr int32_t kHand = EquipedLocation::HandPrimary;
    constexpr int32_t kRanged = EquipedLocation::Ranged;
    const Case cases[] = {
        {"an off hand with a default", "Targe", "Greatsword", false, kHand, 1, 0, "-", "-"},
        {"an off hand without one", "Buckler", "Greatsword", false, kHand, 1, 0, "Bracer", "-"},
        {"a one-handed weapon", "Targe", "Dagger", false, kHand, 1, 0, "Bracer", "Targe"},
        {"a generated two-hander", "Targe", "Greatsword", true, kHand, 1, 1, "-", "-"},
        {"a generated stack", "Buckler", "Darts", true, kRanged, 4, 4, "Bracer", "Buckler"},
        {"a stack made plainly", "Buckler", "Darts", false, kRanged, 1, 0, "Bracer", "Buckler"},
        {"a stack whose limit is endless", "Buckler", "Javelins", true, kRanged, 1001, 1001, "Bracer", "Buckler"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int32_t slot = 0; slot < EquipedLocation::None; ++slot)
            fighter->inventory->DeleteAt(InventoryGroupIndex::Equipment, slot);
        Put("Bracer", InventoryGroupIndex::Equipment, EquipedLocation::Wrists);
        Put(c.offHand, InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary);
        game.itemLevels.clear();
        ASSERT_TRUE(fighter->EquipNewItems(Record(c.record), nullptr, c.generate, 5));
        EXPECT_EQ(Worn(c.slot), c.record);
        EXPECT_EQ(fighter->GetItem(InventoryGroupIndex::Equipment, c.slot)->GetStackCount(), c.stack);
        EXPECT_EQ(game.itemLevels.size(), c.made) << "items generated";
        EXPECT_EQ(Worn(EquipedLocation::Wrists), c.wristsAfter);
        EXPECT_EQ(Worn(EquipedLocation::HandSecondary), c.offHandAfter);
    }
    // Generation that yields nothing equips nothing.
    game.makesItems = false;
    EXPECT_FALSE(fighter->EquipNewItems(Record("Darts"), nullptr, true, 5));
}

TEST_F(SentientEquipment, DefaultItemsStandInWhereTheirItemsWere)
{
    fighter->inventory->ResizeBag(InventoryGroupIndex::Bag1, 4);
    fighter->EquipDefaultItem(Record("Cudgel"));
    EXPECT_EQ(Worn(EquipedLocation::HandPrimary), "Cudgel") << "a free slot takes the item itself";
    fighter->EquipDefaultItem(Record("Cudgel"));
    EXPECT_EQ(Worn(EquipedLocation::HandPrimary), "Knuckles") << "a taken slot takes the default";
    EXPECT_EQ(fighter->inventory->CountItems(InventoryGroupIndex::Bag1), 1) << "the new cudgel is carried";
    fighter->EquipNewItems(Record("Cudgel"), nullptr, false, 3);
    fighter->EquipNewItems(Record("Pavise"), nullptr, false, 3);
    fighter->RestoreDefaultItem(ItemType::Head);
    fighter->RestoreDefaultItem(-1);
    fighter->RestoreDefaultItem(ItemType::Bag);
    EXPECT_EQ(Worn(EquipedLocation::HandPrimary), "Cudgel") << "the other types leave the hands alone";
    fighter->RestoreDefaultItem(ItemType::HandBoth);
    EXPECT_EQ(Worn(EquipedLocation::HandPrimary), "Knuckles");
    EXPECT_EQ(Worn(EquipedLocation::HandSecondary), "Knuckles") << "each hand takes its own item's default";
    EXPECT_EQ(fighter->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary)->GetLevel(), 3);
}

TEST_F(SentientEquipment, SkillLevelsApplyOnceEachFromTheFirst)
{
    auto* drill =
        static_cast<Skill*>(fighter->skillList->AddSkill(gameData.FindSkillDefinition("Drill"), fighter, 0, 0));
    ASSERT_NE(drill, nullptr);
    fighter->stats.Set(drill->GetSlotNumber(), 3);
    int32_t strength = fighter->stats.Get(CharacterStat::Strength);
    EXPECT_EQ(fighter->ApplySkillLevels(*drill), 3);
    EXPECT_EQ(fighter->stats.Get(CharacterStat::Strength), strength + 6);
}
