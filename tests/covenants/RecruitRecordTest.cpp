// RecruitRecordTest -- a recruit's record: capture and spawn, its recruit effect, the slot for an offered item, its update and save forms and the client's settings read with hostile input.
#include "core/MessageBuffer.h"
#include "covenants/CovenantWorld.h"
#include "entities/SkillList.h"
#include "entities/StatusEffect.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr const char* kRecruitRecords = R"(
EnhancementRecruitBasic
{
    Type MonsterEnhancement
    GroupName "EnhancementRecruitBasic"
    Forever 1
}
EnhancementRecruitHero
{
    Type MonsterEnhancement
    GroupName "EnhancementRecruitHero"
    Forever 1
}
EnhancementRecruitHeroFeral
{
    Type MonsterEnhancement
    GroupName "EnhancementRecruitHeroFeral"
    Forever 1
}
EnhancementHardy
{
    Type MonsterEnhancement
    GroupName "EnhancementHardy"
    Forever 1
}
ActorFeral
{
    Type Actor
    Base ActorTestBase
    RecruitEffectSuffix "Feral"
}
MonsterFeral
{
    Type MonsterType
    Archetype ArchetypeTest
    Definition ActorFeral
}
Greatsword
{
    Type Item
    ItemType HandBoth
    AlwaysIdentified 1
    MinDamagePhysical 5
    MaxDamagePhysical 9
    Value 50
}
Buckler
{
    Type Item
    ItemType HandSecondary
    AlwaysIdentified 1
    Armor 3
    Value 20
}
Dagger
{
    Type Item
    ItemType HandPrimary
    AlwaysIdentified 1
    MinDamagePhysical 1
    MaxDamagePhysical 2
    Value 5
}
Longsword
{
    Type Item
    ItemType HandPrimary
    AlwaysIdentified 1
    MinDamagePhysical 3
    MaxDamagePhysical 6
    Value 40
}
)";

} // namespace

class RecruitRecord : public CovenantWorld {
protected:
    RecruitRecord() { LoadRecords(std::string(kActorRecords) + kCovenantRecords + kRecruitRecords); }

    int32_t Id(const char* name) const { return database.FindEntryByName(name)->GetId(); }

    std::unique_ptr<Item> MakeItem(const char* record)
    {
        auto item = std::make_unique<Item>();
        item->SetEntryByName(record);
        return item;
    }

    void Wear(Actor& actor, const char* record, int32_t slot)
    {
        std::unique_ptr<ItemBase> item = MakeItem(record);
        ASSERT_TRUE(actor.inventory->PlaceItem(item, InventoryGroupIndex::Equipment, slot, kPlaceAnyGroup));
    }

    static bool Carries(const Actor& actor, const char* effect)
    {
        for (const auto& carried : actor.GetStatusEffects())
            if (carried->GetEntry() && carried->GetEntry()->GetName() == effect)
                return true;
        return false;
    }

    // A settings record as the client writes it: type, the stat values, the inventory, the
    // enhancements with their count, the seed, the skills with their count.
    MessageBuffer Settings(int32_t type, const std::vector<int32_t>& enhancements, const std::vector<int32_t>& skills,
                           int32_t enhancementCount = -2, int32_t skillCount = -2)
    {
        MessageBuffer buffer;
        buffer.WriteInt(type);
        IntArray stats(RecruitBase::kStatCount);
        stats.Set(CharacterStat::Level, 9);
        stats.WriteValues(buffer);
        Inventory inventory;
        inventory.ResizeBag(InventoryGroupIndex::Equipment, 18);
        std::unique_ptr<ItemBase> sword = MakeItem("Dagger");
        inventory.PlaceItem(sword, InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary, kPlaceAnyGroup);
        inventory.Write(buffer, false);
        buffer.WriteInt(enhancementCount == -2 ? static_cast<int32_t>(enhancements.size()) : enhancementCount);
        for (int32_t id : enhancements)
            buffer.WriteInt(id);
        buffer.WriteUInt(777);
        buffer.WriteInt(skillCount == -2 ? static_cast<int32_t>(skills.size()) : skillCount);
        for (int32_t id : skills)
            buffer.WriteInt(id);
        return buffer;
    }

    // The record's fields in one comparable line.
    static std::string Describe(const Recruit& recruit)
    {
        std::string text = std::to_string(recruit.definitionEntry) + " " + std::to_string(recruit.extraValue) + " L" +
                           std::to_string(recruit.stats.Get(CharacterStat::Level)) + " e";
        for (int32_t id : recruit.entryList)
            text += " " + std::to_string(id);
        text += " s";
        for (int32_t id : recruit.idList)
            text += " " + std::to_string(id);
        text += " i" + std::to_string(recruit.inventory->CountItems(InventoryGroupIndex::Equipment));
        return text;
    }
};

TEST_F(RecruitRecord, WithoutAnActorTheUpdateEndsInFourWords)
{
    Recruit recruit;
    recruit.definitionEntry = Id("MonsterTester");
    MessageBuffer buffer;
    recruit.WriteUpdate(buffer);
    ASSERT_GE(buffer.Size(), 16u);
    buffer.SetReadPos(buffer.Size() - 16);
    EXPECT_EQ(buffer.ReadInt(), -1);
    EXPECT_EQ(buffer.ReadInt(), 0);
    EXPECT_EQ(buffer.ReadInt(), 0);
    EXPECT_EQ(buffer.ReadInt(), 0);
    // The head: the type, then the bare stat values.
    buffer.SetReadPos(0);
    EXPECT_EQ(buffer.ReadInt(), Id("MonsterTester"));
    IntArray stats(RecruitBase::kStatCount);
    EXPECT_TRUE(stats.ReadValues(buffer, RecruitBase::kStatCount));
}

TEST_F(RecruitRecord, SpawnedRecruitsCarryTheirKindsEffect)
{
    PlainCovenant& covenant = AddCovenant();
    Recruit hero;
    hero.covenantIndex = covenant.index;
    hero.isHero = true;
    hero.definitionEntry = Id("MonsterFeral");
    hero.stats.Set(CharacterStat::Level, 4);
    Actor* feral = hero.Spawn(&covenant, false);
    ASSERT_NE(feral, nullptr);
    ASSERT_NE(game.AddEntity(feral), -1);
    EXPECT_TRUE(Carries(*feral, "EnhancementRecruitHeroFeral"));
    EXPECT_TRUE(feral->hero);
    EXPECT_EQ(feral->covenantIndex, covenant.index);
    EXPECT_EQ(feral->health, feral->maxHealth);
    EXPECT_EQ(covenant.traitTargets, (std::vector<Entity*>{feral}));

    Recruit basic;
    basic.definitionEntry = Id("MonsterTester");
    Actor* plain = basic.Spawn(nullptr, false);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(game.AddEntity(plain), -1);
    EXPECT_TRUE(Carries(*plain, "EnhancementRecruitBasic"));
    EXPECT_FALSE(Carries(*plain, "EnhancementRecruitHero"));
    EXPECT_EQ(basic.extraValue, plain->GetNameSeed());

    // The enhancement list is rebuilt from the actor: the recruit effect is one.
    MessageBuffer buffer;
    basic.WriteUpdate(buffer);
    EXPECT_EQ(basic.entryList, (std::vector<int32_t>{Id("EnhancementRecruitBasic")}));

    Recruit nothing;
    nothing.definitionEntry = Id("Dagger");
    EXPECT_EQ(nothing.Spawn(nullptr, false), nullptr);
}

TEST_F(RecruitRecord, SpawningTwiceWithSkillsRestoredKeepsTheName)
{
    Recruit recruit;
    recruit.definitionEntry = Id("MonsterTester");
    recruit.stats.Set(CharacterStat::Level, 3);
    recruit.extraValue = 0xBEEF;
    recruit.entryList = {Id("EnhancementHardy")};
    recruit.idList = {Id("SkillHowl"), -1};
    for (int round = 0; round < 2; ++round) {
        Actor* actor = recruit.Spawn(nullptr, true);
        ASSERT_NE(actor, nullptr);
        EXPECT_EQ(actor->GetNameSeed(), 0xBEEFu);
        EXPECT_TRUE(Carries(*actor, "EnhancementHardy"));
        EXPECT_NE(actor->skillList->FindSkillByName("SkillHowl"), nullptr);
        recruit.SetActor(nullptr, true);
        delete actor;
    }
    EXPECT_EQ(recruit.extraValue, 0xBEEFu);
}

TEST_F(RecruitRecord, CaptureAndStatsFollowTheLiveCreature)
{
    Actor* actor = SpawnActor("MonsterTester", 6);
    Wear(*actor, "Dagger", EquipedLocation::HandPrimary);
    Recruit recruit;
    recruit.SetActor(actor, true);
    actor->stats.Set(CharacterStat::Xp, 321);
    EXPECT_EQ(recruit.GetStat(CharacterStat::Xp), 321);
    EXPECT_EQ(recruit.GetStat(-5), 0);
    ASSERT_NE(recruit.GetEquipped(EquipedLocation::HandPrimary), nullptr);
    EXPECT_EQ(recruit.GetEquipped(EquipedLocation::HandPrimary), actor->GetItem(1, EquipedLocation::HandPrimary));
    EXPECT_EQ(recruit.GetEquipped(40), nullptr);
    EXPECT_EQ(recruit.GetEquipped(-1), nullptr);

    recruit.CaptureFromActor(actor);
    EXPECT_EQ(recruit.definitionEntry, Id("MonsterTester"));
    EXPECT_EQ(recruit.stats.Get(CharacterStat::Xp), 321);
    EXPECT_EQ(static_cast<size_t>(recruit.GetNumIds()), actor->skillList->GetSkills().size());
    recruit.SetActor(nullptr, true);
    actor->stats.Set(CharacterStat::Xp, 5);
    EXPECT_EQ(recruit.GetStat(CharacterStat::Xp), 321);
    const Item* kept = recruit.GetEquipped(EquipedLocation::HandPrimary);
    ASSERT_NE(kept, nullptr) << "the captured record keeps the recruit's gear";
    EXPECT_NE(kept, actor->GetItem(1, EquipedLocation::HandPrimary));
}

TEST_F(RecruitRecord, OfferedWeaponsFindTheirHand)
{
    Actor* actor = SpawnActor("MonsterTester", 6);
    actor->inventory->ResizeBag(InventoryGroupIndex::Equipment, 18);
    Recruit recruit;
    recruit.SetActor(actor, true);
    std::unique_ptr<Item> greatsword = MakeItem("Greatsword");
    std::unique_ptr<Item> longsword = MakeItem("Longsword");
    std::unique_ptr<Item> dagger = MakeItem("Dagger");
    EXPECT_EQ(recruit.ChooseEquipSlot(longsword.get()), EquipedLocation::HandPrimary);
    EXPECT_EQ(recruit.ChooseEquipSlot(nullptr), Recruit::kNoSlot);
    std::unique_ptr<Item> writ = MakeItem("GuardWrit");
    EXPECT_EQ(recruit.ChooseEquipSlot(writ.get()), Recruit::kNoSlot);

    Wear(*actor, "Buckler", EquipedLocation::HandSecondary);
    // Two hands wanted while the off hand is used.
    EXPECT_EQ(recruit.ChooseEquipSlot(greatsword.get()), Recruit::kCannotWearNow);
    Wear(*actor, "Dagger", EquipedLocation::HandPrimary);
    EXPECT_EQ(recruit.ChooseEquipSlot(longsword.get()), EquipedLocation::HandPrimary);
    EXPECT_EQ(recruit.ChooseEquipSlot(dagger.get()), Recruit::kNoSlot);

    Recruit unspawned;
    EXPECT_EQ(unspawned.ChooseEquipSlot(longsword.get()), Recruit::kNoSlot);
}

TEST_F(RecruitRecord, SettingsReadInOrderAndDropWrongIndices)
{
    Recruit recruit;
    MessageBuffer buffer = Settings(Id("MonsterTester"), {Id("EnhancementHardy"), Id("Dagger"), 99999},
                                    {Id("SkillHowl"), -1, Id("EnhancementHardy")});
    ASSERT_TRUE(recruit.ReadSettings(buffer));
    EXPECT_EQ(Describe(recruit), std::to_string(Id("MonsterTester")) + " 777 L9 e " +
                                     std::to_string(Id("EnhancementHardy")) + " s " +
                                     std::to_string(Id("SkillHowl")) + " -1 i1");
    std::string warning = "Recruit settings: " + std::to_string(Id("Dagger")) + " is no monster enhancement";
    std::vector<std::string> lines = Logged();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [&](const std::string& line) { return line.find(warning) != std::string::npos; }));

    // A type naming no creature refuses the whole record.
    Recruit refused;
    std::string before = Describe(refused);
    MessageBuffer notCreature = Settings(Id("Dagger"), {}, {});
    EXPECT_FALSE(refused.ReadSettings(notCreature));
    EXPECT_EQ(Describe(refused), before);
}

TEST_F(RecruitRecord, HostileSettingsChangeNothing)
{
    MessageBuffer whole = Settings(Id("MonsterTester"), {Id("EnhancementHardy")}, {Id("SkillHowl")});
    std::vector<uint8_t> bytes(whole.Data(), whole.Data() + whole.Size());
    Recruit recruit;
    recruit.definitionEntry = Id("MonsterFeral");
    const std::string kept = Describe(recruit);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        MessageBuffer part;
        part.WriteBytes(bytes.data(), cut);
        ASSERT_FALSE(recruit.ReadSettings(part)) << "cut at " << cut;
        ASSERT_EQ(Describe(recruit), kept) << "cut at " << cut;
    }
    for (int32_t count : {-1, INT_MAX}) {
        MessageBuffer badEnhancements = Settings(Id("MonsterTester"), {}, {}, count, 0);
        EXPECT_FALSE(recruit.ReadSettings(badEnhancements));
        MessageBuffer badSkills = Settings(Id("MonsterTester"), {}, {}, 0, count);
        EXPECT_FALSE(recruit.ReadSettings(badSkills));
    }
    EXPECT_EQ(Describe(recruit), kept);
    // Flipped bits: whatever the record becomes, it reads whole or not at all.
    for (size_t bit = 0; bit < bytes.size() * 8; bit += 7) {
        std::vector<uint8_t> flipped = bytes;
        flipped[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        MessageBuffer part;
        part.WriteBytes(flipped.data(), flipped.size());
        Recruit target;
        target.definitionEntry = Id("MonsterFeral");
        if (!target.ReadSettings(part)) {
            EXPECT_EQ(Describe(target), kept);
        }
    }
}

TEST_F(RecruitRecord, TheSaveFormRoundTripsWithItsHeroFlag)
{
    Actor* actor = SpawnActor("MonsterTester", 7);
    Recruit recruit;
    recruit.isHero = true;
    recruit.SetActor(actor, true);
    MessageBuffer buffer;
    recruit.Write(buffer);
    Recruit copy;
    ASSERT_TRUE(copy.Read(RecruitBase::kVersionCountedStats, buffer));
    EXPECT_TRUE(copy.isHero);
    EXPECT_EQ(copy.definitionEntry, Id("MonsterTester"));
    EXPECT_EQ(copy.stats.Get(CharacterStat::Level), 7);
    // Cut before the flag: refused.
    MessageBuffer cut;
    cut.WriteBytes(buffer.Data(), buffer.Size() - 1);
    Recruit refused;
    EXPECT_FALSE(refused.Read(RecruitBase::kVersionCountedStats, cut));
    EXPECT_FALSE(refused.isHero);
}
