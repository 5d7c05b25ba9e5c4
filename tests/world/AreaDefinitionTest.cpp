// AreaDefinitionTest -- area records: defaults and keys, per-block rolls and weighted picks on scripted streams, monster pools and their cycles.
#include "world/AreaDefinition.h"

#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"
#include "support/LogLines.h"
#include "world/Level.h"
#include "world/WorldDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Goblins (types 1-5 and 4-9, a variant pair that also names each other as base), wolves, and
// an archetype that never starts a pool.
const std::string kAreaTestMonsters =
    "ArchGoblin\n{\n Type MonsterArchetype\n InitChance 1\n SpawnChance 10\n}\n"
    "ArchWolf\n{\n Type MonsterArchetype\n InitChance 3\n SpawnChance 30\n}\n"
    "ArchNever\n{\n Type MonsterArchetype\n InitChance 0\n SpawnChance 5\n}\n"
    "GoblinScout\n{\n Type MonsterType\n Archetype ArchGoblin\n MinLevel 1\n MaxLevel 5\n NextVariant GoblinRaider\n}\n"
    "GoblinRaider\n{\n Type MonsterType\n Archetype ArchGoblin\n MinLevel 4\n MaxLevel 9\n BaseType GoblinScout\n"
    " NextVariant GoblinScout\n}\n"
    "WolfPup\n{\n Type MonsterType\n Archetype ArchWolf\n MinLevel 1\n MaxLevel 3\n}\n"
    "WolfOld\n{\n Type MonsterType\n Archetype ArchWolf\n MinLevel 20\n MaxLevel 30\n}\n"
    "NeverType\n{\n Type MonsterType\n Archetype ArchNever\n MinLevel 1\n MaxLevel 99\n}\n"
    "ChestPlain\n{\n Type Chest\n SpawnChance 1\n}\n"
    "ChestRich\n{\n Type Chest\n SpawnChance 3\n}\n"
    "ChestNone\n{\n Type Chest\n}\n"
    "TrapNone\n{\n Type Trap\n SpawnChance 0\n}\n"
    "Totem\n{\n Type QuestItem\n}\n";

class AreaDefinitionRecords : public WorldDatabase {
protected:
    AreaDefinitionRecords() { LoadRecords(kAreaTestMonsters + kAreaRecords); }

    AreaDefinition& Make(const std::string& name)
    {
        made.push_back(std::make_unique<AreaDefinition>());
        made.back()->Load(database.FindEntryByName(name));
        return *made.back();
    }

    // The next draw of a stream, without taking it.
    float Peek(RandomStream stream, int ahead = 0) const
    {
        RandomSystem copy;
        copy.SetState(stream, random.GetState(stream));
        for (int i = 0; i < ahead; ++i)
            copy.Next(stream);
        return copy.RandomFloat(stream);
    }

    MonsterType* Type(const char* name) const { return gameData.FindMonsterType(name); }

    static inline const std::string kAreaRecords =
        "Blank\n{\n Type Area\n}\n"
        "Full\n{\n Type Area\n Name \"$$Hollow$$\"\n AreaFileName Levels/hollow.ara\n SoundFileName wind.ogg\n"
        " MinWidth 2\n MaxWidth 2\n MinHeight 5\n MaxHeight 3\n MinDepth 2\n MaxDepth 4\n MaxBlockWidth 6\n"
        " MonsterChancePerBlock 0.5\n MinMonstersPerBlock 2\n MaxMonstersPerBlock 4\n ChestChancePerBlock 0\n"
        " MinChestsPerBlock 1\n MaxChestsPerBlock 1\n QuestItem Totem\n DaySunColor \"1 0.5 0.25\"\n"
        " DaySunIntensity 2\n NightSunColor \"0.5 0.5 1\"\n NightSunIntensity 0.5\n MonsterChanceRare 0.25\n"
        " MonsterNightChanceBoss 0.75\n RandomLevelGenerator cave\n EntranceGateName Entrance\n DownGateName Down\n"
        " UpGateName Up\n StartPosition \"100 200\"\n StartPositionDown \"7 8\"\n SpawnGate 1\n AreaDown Blank\n"
        " ChestSpawn ChestPlain\n ChestSpawn Nowhere\n ChestSpawn ChestRich\n TrapSpawn TrapNone\n"
        " MonsterSpawn ArchGoblin\n MonsterSpawn ArchNever\n MonsterSpawn Nowhere\n MonsterSpawn ArchWolf\n"
        " DesiredMonsterSpawn ArchWolf\n DesiredChanceMult 2\n NumMonsterTypesToUse 10\n MaxMonsterLevelOffset 4\n"
        " MinDesiredMonsterLevelOffset -5\n MaxDesiredMonsterLevelOffset 0\n TrapsAllowed 1\n MusicName dark\n}\n"
        "Swamp\n{\n Type Area\n RandomLevelGenerator Swamp\n ChestSpawn ChestNone\n}\n";

    std::vector<std::unique_ptr<AreaDefinition>> made;
};

TEST_F(AreaDefinitionRecords, NewAndEmptyRecordDefaults)
{
    AreaDefinition fresh;
    EXPECT_EQ(fresh.minDepth, 1);
    EXPECT_EQ(fresh.maxDepth, 1);
    EXPECT_EQ(fresh.defaultShader.GetValue(), -1);
    EXPECT_EQ(fresh.defaultMapShader.GetValue(), -1);

    AreaDefinition& blank = Make("Blank");
    EXPECT_EQ(blank.name, "");
    EXPECT_EQ(blank.minDepth, 0);
    EXPECT_EQ(blank.levelGenerator, 0);
    EXPECT_FLOAT_EQ(blank.monsterChancePerBlock, 0.0f);
    EXPECT_EQ(blank.questItem, nullptr);
    EXPECT_FALSE(blank.spawnGate);
    EXPECT_FLOAT_EQ(blank.daySunColor.r, 0.0f);
    EXPECT_EQ(blank.dayRankChances, (std::array<float, 8>{}));
    EXPECT_EQ(CountLinesHolding(debug, "Unknown RandomGenerator"), 0);
}

TEST_F(AreaDefinitionRecords, KeysLandInTheirFields)
{
    AreaDefinition& full = Make("Full");
    EXPECT_EQ(full.name, "$$Hollow$$");
    EXPECT_EQ(full.areaFileName, "Levels/hollow.ara");
    EXPECT_EQ(full.maxBlockWidth, 6);
    EXPECT_EQ(full.questItem, database.FindEntryByName("Totem"));
    EXPECT_FLOAT_EQ(full.daySunColor.r, 2.0f);
    EXPECT_FLOAT_EQ(full.daySunColor.b, 0.5f);
    EXPECT_FLOAT_EQ(full.nightSunColor.b, 0.5f);
    EXPECT_FLOAT_EQ(full.GetMonsterRankChance(false, MonsterRarity::Rare), 0.25f);
    EXPECT_FLOAT_EQ(full.GetMonsterRankChance(true, MonsterRarity::Boss), 0.75f);
    EXPECT_FLOAT_EQ(full.GetMonsterRankChance(true, 8), 0.0f);
    EXPECT_EQ(full.levelGenerator, 1);
    EXPECT_EQ(full.areaDown, "Blank");
    EXPECT_TRUE(full.trapsAllowed);
    EXPECT_EQ(full.musicName, "dark");
    // Unknown and zero-chance archetypes are dropped; kinds keep their file order.
    ASSERT_EQ(full.monsterArchetypes.size(), 2u);
    EXPECT_EQ(full.monsterArchetypes[1]->name, "ArchWolf");
    EXPECT_TRUE(full.IsDesired(full.monsterArchetypes[1]));
    EXPECT_FALSE(full.IsDesired(full.monsterArchetypes[0]));
    ASSERT_EQ(full.chestKinds.size(), 2u);
    EXPECT_FLOAT_EQ(full.chestKindTotal, 4.0f);

    Make("Swamp");
    EXPECT_EQ(CountLinesHolding(debug, "Unknown RandomGenerator name Swamp"), 1);
}

TEST_F(AreaDefinitionRecords, SizeRollsOnStreamOne)
{
    AreaDefinition& full = Make("Full");
    uint32_t streamZero = random.GetState(RandomStream::GameData);
    for (int i = 0; i < 20; ++i) {
        int32_t width = 0;
        int32_t height = 0;
        full.RollSize(width, height);
        EXPECT_EQ(width, 2);
        EXPECT_EQ(height, 5);  // a minimum above the maximum takes the minimum
    }
    EXPECT_EQ(random.GetState(RandomStream::GameData), streamZero);
}

TEST_F(AreaDefinitionRecords, PerBlockRollsHonourTheChance)
{
    AreaDefinition& full = Make("Full");
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(full.RollChestsPerBlock(false), 0);
        EXPECT_EQ(full.RollChestsPerBlock(true), 1);
        float chance = Peek(RandomStream::GameData);
        float count = Peek(RandomStream::GameData, 1);
        int32_t monsters = full.RollMonstersPerBlock(false);
        if (0.5f > chance)
            EXPECT_EQ(monsters, 2 + std::min(static_cast<int32_t>(count * 3.0f), 2)) << chance;
        else
            EXPECT_EQ(monsters, 0) << chance;
        EXPECT_EQ(full.RollTrapsPerBlock(), 0);
    }
}

TEST_F(AreaDefinitionRecords, ChestAndTrapPicksWalkTheWeights)
{
    AreaDefinition& full = Make("Full");
    for (int i = 0; i < 50; ++i) {
        float draw = Peek(RandomStream::GameData);
        EXPECT_EQ(full.PickChestKind(), draw * 4.0f < 1.0f ? 0 : 1) << draw;
    }
    EXPECT_EQ(full.PickTrapKind(), -1);
    EXPECT_EQ(Make("Swamp").PickChestKind(), -1);
}

TEST_F(AreaDefinitionRecords, PoolsDrawEachCandidateOnceAndFollowVariantCycles)
{
    AreaDefinition& full = Make("Full");
    full.BuildMonsterPools(3);
    // Goblins at 3..7 (the raider's base is the scout), wolves as desired at 1..3.
    EXPECT_EQ(full.candidates.size(), 2u);
    // Ten draws wanted, two candidates: both drawn, each emptied.
    EXPECT_TRUE(std::all_of(full.candidates.begin(), full.candidates.end(), [](MonsterType* t) { return !t; }));
    // Scout, raider (its variant), pup; the raider's way back to the scout ends at the visited set.
    EXPECT_EQ(full.poolA, (std::vector<MonsterType*>{Type("GoblinScout"), Type("GoblinRaider"), Type("WolfPup")}));
    EXPECT_FLOAT_EQ(full.poolATotal, 10.0f + 10.0f + 30.0f);
    // Built once: a second call at another depth changes nothing.
    full.BuildMonsterPools(25);
    EXPECT_EQ(full.poolA.size(), 3u);
}

TEST_F(AreaDefinitionRecords, PickMonsterChoosesPoolByWeight)
{
    AreaDefinition& full = Make("Full");
    EXPECT_EQ(full.PickMonster(), nullptr);
    full.AddToPoolA(Type("WolfPup"));
    full.AddToPoolB(Type("GoblinScout"), 1.0f, 7);
    EXPECT_FLOAT_EQ(full.poolATotal, 30.0f);
    // The scout, then its variant the raider (whose base is the scout again: stopped).
    ASSERT_EQ(full.poolB.size(), 2u);
    EXPECT_FLOAT_EQ(full.poolBTotal, 20.0f);
    for (int i = 0; i < 50; ++i) {
        float which = Peek(RandomStream::GameData);
        float inside = Peek(RandomStream::GameData, 1);
        MonsterType* picked = full.PickMonster();
        if (which * 50.0f >= 30.0f)
            EXPECT_EQ(picked, inside * 20.0f < 10.0f ? Type("GoblinScout") : Type("GoblinRaider"));
        else
            EXPECT_EQ(picked, Type("WolfPup"));
    }
}

TEST_F(AreaDefinitionRecords, PoolBTagsAddRemoveAndReuse)
{
    AreaDefinition& full = Make("Full");
    full.AddToPoolB(Type("WolfPup"), 2.0f, 1);
    full.AddToPoolB(Type("WolfPup"), 2.0f, 1);  // already held with this tag
    full.AddToPoolB(Type("WolfPup"), 1.0f, 2);
    ASSERT_EQ(full.poolB.size(), 2u);
    EXPECT_FLOAT_EQ(full.poolBTotal, 90.0f);
    full.RemoveFromPoolB(1);
    EXPECT_EQ(full.poolB[0].type, nullptr);
    EXPECT_FLOAT_EQ(full.poolBTotal, 30.0f);
    // Unknown to the pools: not added; once its archetype's type is in pool A, it is.
    full.AddToPoolBIfKnown(Type("WolfOld"), 1.0f, 3);
    EXPECT_FLOAT_EQ(full.poolBTotal, 30.0f);
    full.AddToPoolA(Type("WolfOld"));
    full.AddToPoolBIfKnown(Type("WolfOld"), 1.0f, 3);
    EXPECT_EQ(full.poolB[0].type, Type("WolfOld"));  // the emptied record is reused
    EXPECT_EQ(full.poolB.size(), 2u);
}

// The world's question for a level reaches that level's area: a type joins pool B only once the
// area knows it, and a bad level or no type changes nothing.
TEST_F(AreaDefinitionRecords, LevelMonsterCandidateJoinsTheLevelsAreaWhenItKnowsTheType)
{
    AreaDefinition& full = Make("Full");
    auto made = std::make_unique<Level>();
    made->area = &full;
    int32_t level = world.AddLevel(std::move(made))->index;
    world.AddLevelMonsterCandidate(level, Type("WolfOld"), 2.0f, 5);
    EXPECT_TRUE(full.poolB.empty());
    full.AddToPoolA(Type("WolfOld"));
    for (int32_t bad : {-1, level + 1})
        world.AddLevelMonsterCandidate(bad, Type("WolfOld"), 2.0f, 5);
    world.AddLevelMonsterCandidate(level, nullptr, 2.0f, 5);
    EXPECT_TRUE(full.poolB.empty());
    world.AddLevelMonsterCandidate(level, Type("WolfOld"), 2.0f, 5);
    ASSERT_EQ(full.poolB.size(), 1u);
    EXPECT_EQ(full.poolB[0].type, Type("WolfOld"));
    EXPECT_EQ(full.poolB[0].tag, 5);
    EXPECT_FLOAT_EQ(full.poolBTotal, 60.0f);  // the archetype's spawn chance, doubled
}

TEST_F(AreaDefinitionRecords, GateNamesStartPositionsAndNames)
{
    AreaDefinition& full = Make("Full");
    Level own;
    own.index = 4;
    full.levels.push_back(&own);
    const std::tuple<int32_t, bool, const char*> gates[] = {
        {4, true, "Down"}, {5, true, "Entrance"}, {-1, true, "Entrance"}, {4, false, "Up"}, {9, false, "Up"}};
    for (auto [level, down, name] : gates)
        EXPECT_EQ(full.GetGateName(level, down), name) << level << (down ? " down" : " up");
    EXPECT_FLOAT_EQ(full.GetStartPosition("Down").x, 7.0f);
    EXPECT_FLOAT_EQ(full.GetStartPosition("Nowhere").y, 0.0f);
    EXPECT_FLOAT_EQ(full.GetStartPosition("").y, 200.0f);
    AreaDefinition loose;
    loose.startPosition = {3.0f, 4.0f};
    EXPECT_FLOAT_EQ(loose.GetStartPosition("Down").x, 3.0f);
    EXPECT_EQ(full.DisplayName(3), "$$Hollow$$ lvl 3");
    EXPECT_EQ(full.DisplayName(0), "$$Hollow$$");
    EXPECT_EQ(loose.DisplayName(3), "");
    WorldPos centre = full.GetCenterPosition();
    EXPECT_EQ(centre.level, 4);
    EXPECT_FLOAT_EQ(centre.x, 2048.0f);
    EXPECT_EQ(loose.GetCenterPosition().level, -1);
}

TEST_F(AreaDefinitionRecords, GateGoesToAnAreaLevelOnlyWhenUsed)
{
    AreaDefinition& full = Make("Full");
    Level* level = world.AddLevel(std::make_unique<Level>());
    full.levels.push_back(level);
    full.PlaceGate();
    EXPECT_FALSE(level->hasGate);
    EXPECT_EQ(full.FindGateLevel(), nullptr);
    full.used = true;
    full.PlaceGate();
    EXPECT_TRUE(level->hasGate);
    EXPECT_EQ(level->gatePosition.level, level->index);
    EXPECT_EQ(full.FindGateLevel(), level);
}

} // namespace
