// SentientEquipmentTest -- what a sentient's items decide: its attack animation, its keys, the equipment the clients see, its reach.
#include "entities/SentientWorld.h"

#include "core/MessageBuffer.h"
#include "entities/Inventory.h"
#include "entities/Item.h"

#include <gtest/gtest.h>

#include <cstring>

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
}
Greatsword
{
    Type Item
    ItemType HandBoth
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

TEST_F(SentientEquipment, TheSecondPieceOfASetWornGivesItsBonusOnceAndTakingOneOffEndsIt)
{
    int32_t bare = fighter->GetStat(CharacterStat::Strength);
    Put("Helm", InventoryGroupIndex::Equipment, EquipedLocation::Head);
    fighter->Update(0.05f);
    EXPECT_EQ(fighter->GetStat(CharacterStat::Strength), bare) << "one piece earns nothing";
    Put("Greaves", InventoryGroupIndex::Equipment, EquipedLocation::Legs);
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
