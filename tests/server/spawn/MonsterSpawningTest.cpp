// MonsterSpawningTest -- rarity by day and night, legend and unique fall-backs, enchantments, vendors, crowding and a full table.
#include "SpawnWorld.h"
#include "entities/Attachments.h"

#include "core/Database.h"
#include "entities/StatusEffect.h"
#include "entities/Vendor.h"

#include <map>
#include <set>
#include <vector>

namespace {

int gMonsterSpawnDeleted = 0;

class CountedActor : public Actor {
public:
    ~CountedActor() override { ++gMonsterSpawnDeleted; }
};

std::set<std::string> MonsterEffectNames(const Actor& actor)
{
    std::set<std::string> names;
    for (const auto& effect : actor.GetStatusEffects())
        if (effect && effect->GetEntry())
            names.insert(std::string(effect->GetEntry()->GetName()));
    return names;
}

} // namespace

class MonsterRarityPick : public SpawnWorld {};

TEST_F(MonsterRarityPick, DayAndNightReadTheirOwnChances)
{
    LoadSpawn();
    AreaDefinition& area = GiveArea("MonsterGrunt", 1.0f);
    area.dayRankChances = {0, 100, 0, 0, 0, 0, 0, 0};
    area.nightRankChances = {0, 100, 100, 100, 100, 100, 100, 100};
    game->SetTimeOfDay(12.0);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(spawn.PickMonsterRarity(MonsterRarity::Normal, Type("MonsterGrunt"), 0), MonsterRarity::Common);
    game->SetTimeOfDay(22.0);
    EXPECT_EQ(spawn.PickMonsterRarity(MonsterRarity::Normal, Type("MonsterGrunt"), 0), MonsterRarity::Boss);
    game->SetTimeOfDay(5.5);
    EXPECT_EQ(spawn.PickMonsterRarity(MonsterRarity::Uncommon, Type("MonsterGrunt"), 0), MonsterRarity::Boss);
    // The minimum holds when the first roll fails, and a level without an area rolls nothing.
    game->SetTimeOfDay(12.0);
    EXPECT_EQ(spawn.PickMonsterRarity(MonsterRarity::Rare, Type("MonsterGrunt"), 0), MonsterRarity::Rare);
    EXPECT_EQ(spawn.PickMonsterRarity(MonsterRarity::Uncommon, Type("MonsterGrunt"), 2), MonsterRarity::Uncommon);
}

TEST_F(MonsterRarityPick, ChanceOfHundredAlwaysHoldsAndNinetyNineMayFail)
{
    LoadSpawn();
    AreaDefinition& area = GiveArea("MonsterGrunt", 1.0f);
    area.dayRankChances = {0, 100, 0, 0, 0, 0, 0, 0};
    game->SetTimeOfDay(12.0);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(spawn.PickMonsterRarity(MonsterRarity::Normal, nullptr, 0), MonsterRarity::Common);
    area.dayRankChances = {0, 99, 0, 0, 0, 0, 0, 0};
    int stayed = 0;
    for (int i = 0; i < 3000; ++i)
        stayed += spawn.PickMonsterRarity(MonsterRarity::Normal, nullptr, 0) == MonsterRarity::Normal;
    EXPECT_GT(stayed, 5);
    EXPECT_LT(stayed, 100);
}

class MonsterSpawn : public SpawnWorld {};

TEST_F(MonsterSpawn, LegendWithoutLinksEndsAsVeryRare)
{
    LoadSpawn();
    std::unique_ptr<Actor> plain(spawn.SpawnMonster(Type("MonsterGrunt"), MonsterRarity::Legend, 5, 0, true));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->monsterRarity, MonsterRarity::VeryRare);
    EXPECT_EQ(plain->GetMonsterType(), Type("MonsterGrunt"));

    std::unique_ptr<Actor> legend(spawn.SpawnMonster(Type("MonsterLinked"), MonsterRarity::Legend, 5, 0, true));
    EXPECT_EQ(legend->monsterRarity, MonsterRarity::Legend);
    EXPECT_EQ(legend->GetMonsterType(), Type("MonsterGruntLegend"));

    std::unique_ptr<Actor> unique(spawn.SpawnMonster(Type("MonsterVersioned"), MonsterRarity::Legend, 5, 0, true));
    EXPECT_EQ(unique->monsterRarity, MonsterRarity::Unique);
    EXPECT_EQ(unique->GetMonsterType(), Type("MonsterGruntUnique"));

    std::unique_ptr<Actor> itself(spawn.SpawnMonster(Type("MonsterGruntUnique"), MonsterRarity::Unique, 5, 0, true));
    EXPECT_EQ(itself->GetMonsterType(), Type("MonsterGruntUnique"));
    EXPECT_EQ(spawn.SpawnMonster(nullptr, MonsterRarity::Rare, 5, 0, false), nullptr);
}

TEST_F(MonsterSpawn, RareMonsterGetsItsRarityRecordAndOneEnchantment)
{
    LoadSpawn();
    const std::set<std::string> random = {"EnhancementMinorA", "EnhancementMinorB", "EnhancementMajorA",
                                          "EnhancementOtherA"};
    for (int i = 0; i < 20; ++i) {
        std::unique_ptr<Actor> rare(spawn.SpawnMonster(Type("MonsterGrunt"), MonsterRarity::Rare, 5, 7, false));
        std::set<std::string> names = MonsterEffectNames(*rare);
        EXPECT_TRUE(names.count("EnhancementRarityRare"));
        int drawn = 0;
        for (const std::string& name : names)
            drawn += random.count(name) ? 1 : 0;
        EXPECT_EQ(drawn, 1);
        EXPECT_EQ(rare->spawnFlag, 7);
        EXPECT_EQ(rare->stats.Get(CharacterStat::Level), 5);
    }
    std::unique_ptr<Actor> plain(spawn.SpawnMonster(Type("MonsterGrunt"), MonsterRarity::Rare, 5, 0, true));
    std::set<std::string> names = MonsterEffectNames(*plain);
    EXPECT_TRUE(names.count("EnhancementRarityRare"));
    for (const std::string& name : names)
        EXPECT_FALSE(random.count(name)) << name;
}

TEST_F(MonsterSpawn, RareNpcDrawsOnlyFromTheNpcTableWithoutARarityRecord)
{
    LoadSpawn();
    const std::set<std::string> npcOnly = {"EnhancementNpcA", "EnhancementNpcB", "EnhancementNpcC", "EnhancementNpcD"};
    for (int i = 0; i < 20; ++i) {
        std::unique_ptr<Actor> npc(spawn.SpawnMonster(Type("MonsterVillager"), MonsterRarity::Rare, 5, 0, false));
        ASSERT_TRUE(npc->npc);
        int drawn = 0;
        for (const std::string& name : MonsterEffectNames(*npc)) {
            EXPECT_TRUE(npcOnly.count(name) || name == "StatusEffectBasicRegen") << name;
            drawn += npcOnly.count(name) ? 1 : 0;
        }
        // Three draws over four records: repeats of one record count once.
        EXPECT_GE(drawn, 1);
        EXPECT_LE(drawn, 3);
    }
}

TEST_F(MonsterSpawn, VendorTypesMakeVendors)
{
    LoadSpawn();
    std::unique_ptr<Actor> shop(spawn.SpawnMonster(Type("MonsterShopkeeper"), MonsterRarity::Normal, 5, 0, false));
    EXPECT_NE(dynamic_cast<Vendor*>(shop.get()), nullptr);
    std::unique_ptr<Actor> grunt(spawn.SpawnMonster(Type("MonsterGrunt"), MonsterRarity::Normal, 5, 0, false));
    EXPECT_EQ(dynamic_cast<Vendor*>(grunt.get()), nullptr);
}

TEST_F(MonsterSpawn, LevelComesFromTheWorldUnlessTheTypeFixesIt)
{
    LoadSpawn();
    GiveArea("MonsterGrunt", 1.0f);
    std::unique_ptr<Actor> grunt(spawn.TrySpawnMonster(0, 1.0f, 0, MonsterRarity::Normal));
    ASSERT_NE(grunt, nullptr);
    EXPECT_EQ(grunt->stats.Get(CharacterStat::Level), 12);
    GiveArea("MonsterFixedLevel", 1.0f);
    std::unique_ptr<Actor> fixed(spawn.TrySpawnMonster(0, 1.0f, 0, MonsterRarity::Normal));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->stats.Get(CharacterStat::Level), 7);
}

TEST_F(MonsterSpawn, NoChanceOrNoAreaSpawnsNothing)
{
    LoadSpawn();
    GiveArea("MonsterGrunt", 0.0f);
    EXPECT_EQ(spawn.TrySpawnMonster(0, 1.0f, 0, 0), nullptr);
    EXPECT_EQ(spawn.TrySpawnMonster(1, 1.0f, 0, 0), nullptr);
    EXPECT_EQ(spawn.TrySpawnMonster(-1, 1.0f, 0, 0), nullptr);
    GiveArea("MonsterGrunt", 1.0f);
    EXPECT_EQ(spawn.TrySpawnMonster(0, 0.0f, 0, 0), nullptr);
}

TEST_F(MonsterSpawn, PlacedAtAFreeSpotWithTheRarityModel)
{
    LoadSpawn();
    Actor* rare = spawn.PlaceSpawnedMonster(spawn.SpawnMonster(Type("MonsterGrunt"), MonsterRarity::Rare, 5, 0, true),
                                            At(300.0f, 300.0f));
    ASSERT_NE(rare, nullptr);
    EXPECT_EQ(game->GetEntity(rare->entityNumber), rare);
    EXPECT_EQ(rare->position.level, 0);
    EXPECT_EQ(CountAttachedTo(*game, *rare), 1);
    Actor* npc = spawn.PlaceSpawnedMonster(spawn.SpawnMonster(Type("MonsterVillager"), MonsterRarity::Rare, 5, 0, true),
                                           At(900.0f, 300.0f));
    ASSERT_NE(npc, nullptr);
    EXPECT_EQ(CountAttachedTo(*game, *npc), 0);
    EXPECT_EQ(spawn.PlaceSpawnedMonster(nullptr, At(1.0f, 1.0f)), nullptr);
}

TEST_F(MonsterSpawn, ByNameAtItsOwnLevelOrTheGivenOne)
{
    LoadSpawn();
    Actor* fixed = spawn.SpawnMonsterByName("monsterfixedlevel", At(400.0f, 400.0f), -1);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->stats.Get(CharacterStat::Level), 7);
    EXPECT_EQ(game->GetEntity(fixed->entityNumber), fixed) << "placed in the table";
    Actor* given = spawn.SpawnMonsterByName("MonsterGrunt", At(800.0f, 400.0f), 19);
    ASSERT_NE(given, nullptr);
    EXPECT_EQ(given->stats.Get(CharacterStat::Level), 19);
    EXPECT_EQ(spawn.SpawnMonsterByName("MonsterNobody", At(1.0f, 1.0f), 3), nullptr);
}

// Every type of the list turns up, and nothing else; an empty list gives nothing.
TEST_F(MonsterSpawn, FromAListATypeIsDrawnEvenly)
{
    LoadSpawn();
    const std::vector<const MonsterType*> types = {Type("MonsterGrunt"), Type("MonsterGiant")};
    std::map<const MonsterType*, int32_t> drawn;
    for (int32_t i = 0; i < 40; ++i) {
        Actor* monster = spawn.SpawnMonsterFromList(types, 5, At(200.0f + 60.0f * static_cast<float>(i % 20),
                                                                  200.0f + 300.0f * static_cast<float>(i / 20)));
        ASSERT_NE(monster, nullptr);
        EXPECT_EQ(monster->stats.Get(CharacterStat::Level), 5);
        ++drawn[monster->GetMonsterType()];
    }
    ASSERT_EQ(drawn.size(), 2u);
    for (auto [type, count] : drawn)
        EXPECT_GE(count, 8) << (type ? std::string(type->GetEntry()->GetName()) : "none");
    EXPECT_EQ(spawn.SpawnMonsterFromList({}, 5, At(1.0f, 1.0f)), nullptr);
}

TEST_F(MonsterSpawn, AQuestMonsterWithoutALevelTakesTheLevelsOwn)
{
    LoadSpawn();
    row.world.GetLevel(0)->monsterLevel = 9;
    Actor* quest = spawn.SpawnQuestMonster(Type("MonsterGrunt"), -1, At(1200.0f, 400.0f));
    ASSERT_NE(quest, nullptr);
    EXPECT_EQ(quest->stats.Get(CharacterStat::Level), 9);
}

class MonsterCrowding : public SpawnWorld {};

TEST_F(MonsterCrowding, LargeBodiesKeepApartSmallOnesNever)
{
    LoadSpawn();
    Actor* giant = spawn.SpawnMonsterByName("MonsterGiant", At(1000.0f, 1000.0f), 5);
    ASSERT_NE(giant, nullptr);
    std::unique_ptr<Actor> second(spawn.SpawnMonster(Type("MonsterGiant"), 0, 5, 0, true));
    EXPECT_FALSE(spawn.IsUncrowded(*second, giant->position));
    EXPECT_TRUE(spawn.IsUncrowded(*second, At(3000.0f, 3000.0f)));
    std::unique_ptr<Actor> grunt(spawn.SpawnMonster(Type("MonsterGrunt"), 0, 5, 0, true));
    spawn.PlaceSpawnedMonster(spawn.SpawnMonster(Type("MonsterGrunt"), 0, 5, 0, true), At(2000.0f, 2000.0f));
    EXPECT_TRUE(spawn.IsUncrowded(*grunt, At(2000.0f, 2000.0f)));
}

TEST_F(MonsterCrowding, ACrowdedSpawnIsDeletedAndNotPlaced)
{
    LoadSpawn();
    GiveArea("MonsterGiant", 1.0f);
    ASSERT_NE(spawn.TrySpawnMonsterAt(0, At(1000.0f, 1000.0f), 0), nullptr);
    int32_t before = game->CountEntities();
    EXPECT_EQ(spawn.TrySpawnMonsterAt(0, At(1000.0f, 1000.0f), 0), nullptr);
    EXPECT_EQ(game->CountEntities(), before);
}

TEST_F(MonsterCrowding, AFullTableDeletesTheRefusedMonster)
{
    LoadSpawn();
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        Spawn(10.0f + static_cast<float>(i % 40) * 90.0f, 10.0f + static_cast<float>(i / 40) * 90.0f);
    gMonsterSpawnDeleted = 0;
    auto* actor = new CountedActor();
    actor->SetUpFromMonsterType(Type("MonsterGrunt"), 3, false);
    EXPECT_EQ(spawn.PlaceSpawnedMonster(actor, At(50.0f, 50.0f)), nullptr);
    EXPECT_EQ(gMonsterSpawnDeleted, 1);
    EXPECT_EQ(game->CountEntities(), GameServices::kMaxEntities);
}

TEST_F(MonsterSpawn, TheGameMakesMonstersOfATypeAnArchetypeOrAtRandom)
{
    LoadSpawn();
    std::unique_ptr<Entity> ofType(
        game->MakeMonster(nullptr, database.FindEntryByName("MonsterFixedLevel"), 4, MonsterRarity::Normal));
    ASSERT_NE(dynamic_cast<Actor*>(ofType.get()), nullptr);
    EXPECT_EQ(dynamic_cast<Actor*>(ofType.get())->GetMonsterType(), Type("MonsterFixedLevel"));
    EXPECT_EQ(ofType->GetStat(CharacterStat::Level), 4);
    std::unique_ptr<Entity> ofArchetype(
        game->MakeMonster(database.FindEntryByName("ArchetypeSpawnTest"), nullptr, 20, MonsterRarity::Rare));
    ASSERT_NE(ofArchetype, nullptr);
    EXPECT_FALSE(dynamic_cast<Actor*>(ofArchetype.get())->GetMonsterType()->excluded);
    EXPECT_EQ(dynamic_cast<Actor*>(ofArchetype.get())->monsterRarity, MonsterRarity::Rare);
    std::unique_ptr<Entity> random(game->MakeMonster(nullptr, nullptr, 20, MonsterRarity::Normal));
    EXPECT_NE(random, nullptr);
    EXPECT_EQ(game->MakeMonster(nullptr, nullptr, 200, MonsterRarity::Normal), nullptr);
}
