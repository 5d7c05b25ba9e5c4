// ActorSetUpTest -- an actor built from a monster type: its stats under the difficulty factors, sprint speed, hiding, learned skills, the spending of skill points and the wielded weapon's share of the unarmed damage.
#include "entities/ActorWorld.h"

#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/SkillList.h"
#include "entities/Skill.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"

#include <gtest/gtest.h>

namespace {

class ActorSetUp : public ActorWorld {};

int32_t SkillLevelOf(const Actor& actor, const char* name)
{
    const SkillBase* skill = actor.skillList->FindSkillByName(name);
    return skill ? actor.GetStat(skill->GetSlotNumber()) : -1;
}

} // namespace

TEST_F(ActorSetUp, StatsFollowTheClassLevelAndDifficultyFactors)
{
    Actor* actor = SpawnActor("MonsterTester", 10);
    // Class damage at level 10: 2 + 10 = 12 and 4 + 20 = 24, times the damage factor 2.
    EXPECT_EQ(actor->GetStat(CharacterStat::MinDamage), 24);
    EXPECT_EQ(actor->GetStat(CharacterStat::MaxDamage), 48);
    EXPECT_EQ(actor->GetStat(CharacterStat::Armor), 15);
    // Vitality 10 + 2 x 10 = 30: 30 x 4 + 10 x 6 = 180, times HealthMult 1 and the factor 1.5.
    EXPECT_EQ(actor->maxHealth, 270);
    EXPECT_EQ(actor->health, actor->maxHealth);
    // Dexterity 18 x 1, times DefenseMult 2.
    EXPECT_EQ(actor->GetStat(CharacterStat::Defense), 36);
    // Fire: class 1 + 0.5 x 10 = 6 (factor 1) + the definition's 7 and the type's 3.
    EXPECT_EQ(actor->GetStat(CharacterStat::ResistanceFire), 16);
    EXPECT_EQ(actor->GetStat(CharacterStat::Movement), 100);
}

TEST_F(ActorSetUp, ATownNpcIgnoresTheDifficultyFactors)
{
    EXPECT_EQ(SpawnActor("MonsterNamed", 10)->GetStat(CharacterStat::MinDamage), 12);
    gameData.SetWorldDifficulty(WorldDifficultyLevel::Normal);
    EXPECT_EQ(SpawnActor("MonsterTester", 10)->GetStat(CharacterStat::MinDamage), 12);
}

TEST_F(ActorSetUp, EqualSprintBoundsAlwaysGiveThatSpeed)
{
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(SpawnActor()->sprintSpeed, 3);
    Actor* actor = SpawnActor();
    actor->sprinting = true;
    actor->RecalculateStats(false);
    EXPECT_EQ(actor->GetStat(CharacterStat::Movement), 3);
}

TEST_F(ActorSetUp, LevelZeroKeepsSkillOneAtOne)
{
    Actor* actor = SpawnActor("MonsterTester", 0);
    EXPECT_EQ(actor->GetStat(CharacterStat::Level), 0);
    EXPECT_EQ(actor->GetStat(CharacterStat::Skill1), 1);
}

TEST_F(ActorSetUp, LearnsItsSkillsAndItsDeathSkill)
{
    Actor* actor = SpawnActor();
    ASSERT_NE(actor->skillList->FindSkillByName("SkillClaw"), nullptr);
    ASSERT_NE(actor->deathSkill, nullptr);
    EXPECT_EQ(static_cast<SkillBase*>(actor->deathSkill), actor->skillList->FindSkillByName("SkillHowl"));
    EXPECT_EQ(actor->skillList->GetSkills().size(), 2u);
    EXPECT_GE(actor->factionIndex, 0);
    EXPECT_EQ(game.factions[static_cast<size_t>(actor->factionIndex)], "Testers");
}

TEST_F(ActorSetUp, SkillPointsGoToTheCheapestSkillUntilItsCap)
{
    // 4 starting points + 5 for level 5: Rend costs 2, 3, 4 for levels 1..3 (cap 3).
    Actor* actor = SpawnActor("MonsterSpender", 5);
    EXPECT_EQ(SkillLevelOf(*actor, "SkillRend"), 3);
    // The death skill is learned after the spending and gets nothing.
    EXPECT_EQ(SkillLevelOf(*actor, "SkillHowl"), 0);
}

TEST_F(ActorSetUp, SpendingEndsForAFreeSkillWithoutACap)
{
    Actor* actor = SpawnActor("MonsterFreeSpender", 5);
    EXPECT_EQ(SkillLevelOf(*actor, "SkillFreeKnack"), Actor::kMaxSpentSkillLevel);
}

TEST_F(ActorSetUp, LevelUpSpendsAgain)
{
    Actor* actor = SpawnActor("MonsterSpender", 1);
    // 5 points: Rend to 2 (2 + 3).
    EXPECT_EQ(SkillLevelOf(*actor, "SkillRend"), 2);
    actor->stats.Set(CharacterStat::Level, 8);
    actor->SpendSkillPoints();
    // The free, uncapped death skill now comes first and stops at the level bound; Rend
    // gets 12 points: 2 + 3 + 4.
    EXPECT_EQ(SkillLevelOf(*actor, "SkillHowl"), Actor::kMaxSpentSkillLevel);
    EXPECT_EQ(SkillLevelOf(*actor, "SkillRend"), 3);
}

TEST_F(ActorSetUp, ZeroHideChanceNeverHidesWhateverTheGroupDid)
{
    game.lastActorHid = true;
    Actor* actor = SpawnActor("MonsterTester");
    EXPECT_EQ(actor->flags & EntityFlag::Hidden, 0u);
    EXPECT_FALSE(game.lastActorHid);
}

TEST_F(ActorSetUp, AGroupThatHidRaisesTheHideChance)
{
    // Over many spawns, alone (0.2) and right after one that hid (0.5).
    auto rate = [this](bool groupHid) {
        int hid = 0;
        for (int i = 0; i < 400; ++i) {
            game.lastActorHid = groupHid;
            auto actor = std::make_unique<Actor>();
            actor->SetUpFromMonsterType(Type("MonsterHider"), 1, false);
            hid += (actor->flags & EntityFlag::Hidden) ? 1 : 0;
            EXPECT_EQ(game.lastActorHid, (actor->flags & EntityFlag::Hidden) != 0);
        }
        return hid / 400.0;
    };
    EXPECT_NEAR(rate(false), 0.2, 0.06);
    EXPECT_NEAR(rate(true), 0.5, 0.07);
}

TEST_F(ActorSetUp, ExperienceAndScoreFollowTheSpawnCategory)
{
    Actor* actor = SpawnActor();
    actor->spawnCategory = 3;
    EXPECT_FLOAT_EQ(actor->GetExperienceValue(), 8.0f);
    EXPECT_EQ(actor->GetScoreForKill(), 20);
    actor->spawnCategory = 99;  // outside the table: the last category
    EXPECT_FLOAT_EQ(actor->GetExperienceValue(), 2.0f);
}

TEST_F(ActorSetUp, AcceptsOnlyItsActionKindsUnlessSummoned)
{
    Actor* actor = SpawnActor();
    for (int32_t kind = 0; kind < 24; ++kind) {
        bool own = kind == 4 || kind == 12 || kind == 13 || kind == 14 || kind == 19;
        actor->summoned = false;
        EXPECT_EQ(actor->AcceptsAction(kind), own) << kind;
        actor->summoned = true;
        EXPECT_TRUE(actor->AcceptsAction(kind)) << kind;
    }
    EXPECT_TRUE(Entity().AcceptsAction(5)) << "any other entity takes part in everything";
}

TEST_F(ActorSetUp, AWeaponInThePrimaryHandAddsItsDamageToTheUnarmedRange)
{
    LoadRecords(std::string(kActorRecords) + "Cudgel\n{\n Type Item\n ItemType HandPrimary\n MinDamagePhysical 3\n"
                                              " MaxDamagePhysical 7\n MinDamageFire 1\n MaxDamageFire 2\n}\n");
    Actor* actor = SpawnActor();
    StatPairList bare;
    actor->GetUnarmedDamage(bare);
    const StatPair* bareRange = bare.Find(DamageType::Physical, false);
    ASSERT_NE(bareRange, nullptr);
    std::unique_ptr<ItemBase> weapon = std::make_unique<Item>();
    weapon->SetEntry(database.FindEntryByName("Cudgel"));
    DamageRange blunt = weapon->GetDamage(DamageType::Physical);
    DamageRange burning = weapon->GetDamage(DamageType::Fire);
    ASSERT_GT(blunt.max, 0);
    ASSERT_GT(burning.max, 0);
    ASSERT_TRUE(actor->inventory->PlaceItem(weapon, InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary,
                                            kPlaceAnyGroup));
    StatPairList armed;
    actor->GetUnarmedDamage(armed);
    const StatPair* physical = armed.Find(DamageType::Physical, false);
    const StatPair* fire = armed.Find(DamageType::Fire, false);
    ASSERT_TRUE(physical && fire);
    EXPECT_FLOAT_EQ(physical->a, bareRange->a + static_cast<float>(blunt.min));
    EXPECT_FLOAT_EQ(physical->b, bareRange->b + static_cast<float>(blunt.max));
    EXPECT_FLOAT_EQ(fire->a, static_cast<float>(burning.min));
    EXPECT_FLOAT_EQ(fire->b, static_cast<float>(burning.max));
}
