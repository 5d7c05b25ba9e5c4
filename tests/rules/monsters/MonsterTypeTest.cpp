// MonsterTypeTest -- Monster archetypes and types: level windows under world difficulty, filters, eligibility, versions, links and kill scores.
#include "rules/monsters/RecordWorld.h"
#include "rules/IntArray.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterEnhancement.h"
#include "rules/monsters/MonsterType.h"

namespace {

// Normal is difficulty 1 with a start of 1; Champion, difficulty 2, starts at 5.
const char* kMonsterTypeTuning = "DifficultyMonsterLevelStartNormal 1\nDifficultyMonsterLevelStartChampion 5\n"
                      "XpMultMonsterNormal 1\nXpMultMonsterBoss 3\n";

const std::string kMonsterTypeRecords = RecordWorld::Records({
    "Goblins: Type MonsterArchetype; InitChance 1; SpawnChance 5; FactionName \"Goblins\"",
    "Shy: Type MonsterArchetype; InitChance 0; SpawnChance 5; Class Nobody; Skill Bite; Skill Nothing",
    "Brute: Type Class",
    "Bite: Type Skill",
    "Dressed: Type MonsterArchetype; NamePlate 1; Class Brute; NameList \"npcsMale\"; CanAttack 1; Radius 14; "
        "SelectRadius 20; HideFromMiniMap 1; Skill Bite; SkinSurface 2; SkinTexture \"a.tga\"; "
        "SkinTexture \"b.tga\"; RandomSize 1; MinSize 0.8; MaxSize 0.5; StartStrength 6; StrengthPerLevel 1.5; "
        "MaxDamage 3; MaxDamagePerLevel 0.5",
    "Grunt: Type Actor; CanBeSpawned 1",
    "Scout: Type MonsterType; Archetype Goblins; Definition Grunt; MinLevel 3; MaxLevel 7; Version Raider; "
        "Version Chief; Version Nobody",
    "Raider: Type MonsterType; Archetype Goblins; MinLevel 6; MaxLevel 9; Rarity Rare; FactionName \"Raiders\"; "
        "BaseType Scout",
    "Chief: Type MonsterType; Archetype Goblins; MinLevel 8; MaxLevel 12; Rarity Boss",
    "Ghost: Type MonsterType; Archetype Goblins; MinLevel 1; MaxLevel 20; Rarity Unique",
    "King: Type MonsterType; Archetype Goblins; MinLevel 1; MaxLevel 20; Rarity Legend",
    "Hidden: Type MonsterType; Archetype Goblins; MinLevel 1; MaxLevel 20; Excluded 1",
    "Timid: Type MonsterType; Archetype Shy; MinLevel 1; MaxLevel 20",
    "Sturdy: Type MonsterEnhancement; EnhancementType minor; SpawnChance 4; MinLevel 2; MaxLevel 6",
    "Fierce: Type MonsterEnhancement; EnhancementType MAJOR",
    "Odd: Type MonsterEnhancement; EnhancementType Lesser",
    "Guarded: Type MonsterEnhancement; EnhancementType Major; NpcOnly 1",
    "Plain: Type MonsterEnhancement",
});

std::vector<std::string> Names(const std::vector<MonsterType*>& types)
{
    std::vector<std::string> names;
    for (const MonsterType* type : types)
        names.emplace_back(type->GetEntry()->GetName());
    return names;
}

class MonsterTypes : public RecordWorld {
protected:
    MonsterTypes() { LoadRecords(kMonsterTypeTuning, kMonsterTypeRecords); }

    MonsterType& Type(const char* name)
    {
        MonsterType* type = gameData.FindMonsterType(name);
        EXPECT_NE(type, nullptr) << name;
        return *type;
    }
};

} // namespace

TEST_F(MonsterTypes, LevelWindowsShiftByTheWorldsDifficulty)
{
    MonsterType& scout = Type("Scout");
    MonsterArchetype* goblins = gameData.FindArchetype("Goblins");
    std::vector<MonsterType*> found;

    gameData.SetWorldDifficulty(WorldDifficultyLevel::Normal);  // start 1: no shift
    EXPECT_EQ(scout.GetMinLevel(), 3);
    EXPECT_EQ(scout.GetMaxLevel(), 7);
    gameData.SetWorldDifficulty(WorldDifficultyLevel::Champion);  // start 5: four up
    EXPECT_EQ(scout.GetMinLevel(), 7);
    EXPECT_EQ(scout.GetMaxLevel(), 11);

    goblins->GetTypesForLevel(6, found);
    EXPECT_EQ(Names(found), (std::vector<std::string>{"Ghost", "King", "Hidden"}));
    goblins->GetTypesForLevel(7, found);
    EXPECT_EQ(Names(found), (std::vector<std::string>{"Scout", "Ghost", "King", "Hidden"}));
    goblins->GetTypesForLevel(11, found);
    EXPECT_EQ(Names(found), (std::vector<std::string>{"Scout", "Raider", "Ghost", "King", "Hidden"}));
}

TEST_F(MonsterTypes, CollectFiltersByRarityAndOverlap)
{
    std::vector<MonsterType*> found;
    gameData.CollectMonsterTypes(GameData::kMonsterFilterAll, found, 8, 9);
    EXPECT_EQ(Names(found), (std::vector<std::string>{"Raider", "Chief", "Ghost", "King", "Hidden", "Timid"}));
    gameData.CollectMonsterTypes(GameData::kMonsterFilterNormal, found, 7, 7);
    EXPECT_EQ(Names(found), (std::vector<std::string>{"Scout", "Raider", "Hidden", "Timid"}));
    gameData.CollectMonsterTypes(GameData::kMonsterFilterUnique, found, 1, 1);
    EXPECT_EQ(Names(found), std::vector<std::string>{"Ghost"});
    gameData.CollectMonsterTypes(GameData::kMonsterFilterLegend, found, 1, 1);
    EXPECT_EQ(Names(found), std::vector<std::string>{"King"});
    gameData.CollectMonsterTypes(GameData::kMonsterFilterBoss, found, 12, 40);
    EXPECT_EQ(Names(found), std::vector<std::string>{"Chief"});
    gameData.CollectMonsterTypes(16, found, 12, 12);
    EXPECT_EQ(Names(found), std::vector<std::string>{"Chief"});
    // A window ending just below the range does not meet it.
    gameData.CollectMonsterTypes(GameData::kMonsterFilterBoss, found, 13, 40);
    EXPECT_TRUE(found.empty());
}

TEST_F(MonsterTypes, EligibleTypesLeaveOutSpecialExcludedAndUnweighted)
{
    EXPECT_EQ(gameData.CountEligibleMonsterTypes(8), 2);
    EXPECT_EQ(gameData.GetEligibleMonsterType(8, 0), &Type("Raider"));
    EXPECT_EQ(gameData.GetEligibleMonsterType(8, 2), nullptr);
    EXPECT_EQ(gameData.GetEligibleMonsterType(8, -1), nullptr);
    EXPECT_EQ(gameData.CountEligibleMonsterTypes(13), 0);
    EXPECT_EQ(gameData.CountEligibleMonsterTypes(3), 1);
}

TEST_F(MonsterTypes, LinksResolveAndMissingNamesAreLogged)
{
    MonsterType& scout = Type("Scout");
    EXPECT_EQ(scout.index, 0);
    EXPECT_EQ(Type("Timid").index, 6);
    EXPECT_EQ(gameData.GetMonsterType(6), &Type("Timid"));
    EXPECT_EQ(gameData.GetMonsterType(7), nullptr);
    ASSERT_NE(scout.definition, nullptr);
    EXPECT_EQ(scout.definition->GetEntry()->GetName(), "Grunt");
    EXPECT_EQ(Type("Raider").baseType, &scout);
    EXPECT_EQ(gameData.FindArchetype("Goblins")->types.size(), 6u);
    EXPECT_EQ(CountLogged("^c005MonsterType Scout: no MonsterType record Nobody\n"), 1);
    EXPECT_EQ(CountProblems(), 3);  // with Shy's missing class and skill
}

TEST_F(MonsterTypes, FactionNameFallsBackToTheArchetype)
{
    EXPECT_EQ(Type("Scout").GetFactionName(), "Goblins");
    EXPECT_EQ(Type("Raider").GetFactionName(), "Raiders");
    EXPECT_EQ(Type("Timid").GetFactionName(), "");
}

TEST_F(MonsterTypes, VersionPicksFollowTheSeededStream)
{
    MonsterType& scout = Type("Scout");
    ASSERT_EQ(scout.versions.size(), 2u);
    EXPECT_EQ(scout.GetVersion(-1), nullptr);
    EXPECT_EQ(scout.GetVersion(2), nullptr);
    for (int i = 0; i < 20; ++i) {
        RandomSystem expected = Copy();
        float draw = expected.RandomFloat(RandomStream::GameData);
        MonsterType* want = scout.GetVersion(draw < 0.5f ? 0 : 1);
        EXPECT_EQ(scout.PickRandomVersion(), want);
        EXPECT_EQ(random.GetState(RandomStream::GameData), expected.GetState(RandomStream::GameData));
    }
    // Without versions nothing is drawn.
    uint32_t state = random.GetState(RandomStream::GameData);
    EXPECT_EQ(Type("Chief").PickRandomVersion(), nullptr);
    EXPECT_EQ(random.GetState(RandomStream::GameData), state);
    EXPECT_EQ(gameData.FindArchetype("Shy")->PickRandomFromList(), &Type("Timid"));
}

TEST_F(MonsterTypes, KillScoreCountsLevelsAboveTheStartByRarity)
{
    IntArray stats(4);
    stats.Set(0, Type("Chief").index);
    stats.Set(1, PackMonsterKillInfo(12, MonsterRarity::Boss, 9));
    stats.Set(2, -1);
    EXPECT_EQ(gameData.GetKillScore(stats, 0, 1), 12 * 100 * 3);
    EXPECT_EQ(gameData.GetKillScore(stats, 0, 10), 3 * 100 * 3);
    EXPECT_EQ(gameData.GetKillScore(stats, 0, 13), 0);
    EXPECT_EQ(gameData.GetKillScore(stats, 2, 1), 0);   // no monster
    EXPECT_EQ(gameData.GetKillScore(stats, 3, 1), 0);   // no packed word after it
    EXPECT_EQ(gameData.GetKillScore(stats, -1, 1), 0);
    stats.Set(0, 99);                                  // a type the game data lacks
    EXPECT_EQ(gameData.GetKillScore(stats, 0, 1), 0);
    EXPECT_EQ(PackMonsterKillInfo(300, -2, 7), 255 | 0 << 8 | 7 << 16);
}

// The fields a creature's client mirror takes from its archetype; a missing class or skill is
// logged and left out.
TEST_F(MonsterTypes, ArchetypesCarryTheClientFieldsAndLevelValues)
{
    const MonsterArchetype& dressed = *gameData.FindArchetype("Dressed");
    EXPECT_TRUE(dressed.namePlate && dressed.canAttack && dressed.hideFromMiniMap && dressed.randomSize);
    EXPECT_EQ(dressed.classIndex, gameData.FindCharacterClassIndex("Brute"));
    EXPECT_EQ(dressed.nameListName, "npcsMale");
    EXPECT_EQ(dressed.radius, 14.0f);
    EXPECT_EQ(dressed.selectRadius, 20.0f);
    ASSERT_EQ(dressed.skills.size(), 1u);
    EXPECT_EQ(dressed.skills[0], gameData.FindSkillDefinition("Bite"));
    EXPECT_EQ(dressed.skinSurface, 2);
    EXPECT_EQ(dressed.skinTextures, (std::vector<std::string>{"a.tga", "b.tga"}));
    EXPECT_EQ(dressed.minSize, 0.8f);
    EXPECT_EQ(dressed.maxSize, 0.8f);  // never below the minimum
    EXPECT_EQ(dressed.attributes[0].At(3), 10);
    EXPECT_EQ(dressed.maxDamage.At(5), 5);

    const MonsterArchetype& shy = *gameData.FindArchetype("Shy");
    EXPECT_EQ(shy.classIndex, -1);
    EXPECT_EQ(shy.skills.size(), 1u);
    EXPECT_EQ(shy.skinSurface, -1);
    EXPECT_FALSE(shy.namePlate || shy.randomSize);
    EXPECT_EQ(CountLogged("^c005Archetype Shy names the missing class Nobody\n"), 1);
    EXPECT_EQ(CountLogged("^c005Archetype Shy names the missing skill Nothing\n"), 1);
}

// "NpcOnly" decides first; then the type is compared with Minor and Major without regard to case.
TEST_F(MonsterTypes, EnhancementsSortIntoTheirTablesWithInclusiveLevelWindows)
{
    using Table = MonsterEnhancement::Table;
    const std::pair<const char*, Table> expected[] = {
        {"Sturdy", Table::Minor}, {"Fierce", Table::Major}, {"Odd", Table::Other},
        {"Guarded", Table::Npc},  {"Plain", Table::Other},
    };
    const RecordList<MonsterEnhancement>& enhancements = gameData.GetMonsterEnhancements();
    ASSERT_EQ(enhancements.GetCount(), 5);
    for (auto [name, table] : expected)
        EXPECT_EQ(enhancements.FindByName(name)->table, table) << name;
    const MonsterEnhancement& sturdy = *enhancements.FindByName("Sturdy");
    EXPECT_EQ(sturdy.spawnChance, 4.0f);
    for (auto [level, holds] : {std::pair{1, false}, {2, true}, {6, true}, {7, false}})
        EXPECT_EQ(sturdy.HoldsLevel(level), holds) << level;
}
