// ShippedCombatContentTest -- the shipped combat records pass the content lint with the projectile checks, planted projectile faults are reported, and every shipped projectile, and each of them standing still, ends.
#include "entities/ShippedEntityWorld.h"
#include "entities/Projectile.h"
#include "entities/ProjectileLint.h"

#include "core/Database.h"
#include "rules/PlantedGame.h"
#include "support/ShippedGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

bool CombatContentReported(const std::vector<std::string>& problems, std::string_view part)
{
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& problem) { return problem.find(part) != std::string::npos; });
}

std::vector<std::string> CombatContentLint(const std::string& gameDir)
{
    GameFolderFiles game(gameDir);
    game.files.MountAssetArchives();
    return ContentLint::CheckGameContent(game.debug, "English", ProjectileLintChecks());
}

} // namespace

TEST(CombatContent, ShippedRecordsHaveNoProblems)
{
    ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
    for (const std::string& problem : CombatContentLint(ShippedGameFolder()))
        ADD_FAILURE() << problem;
}

TEST(CombatContent, ReportsEachKindOfPlantedFault)
{
    TempFolder folder;
    WritePlantedGame(folder,
                     "GameSystem\n{\n Type Info\n GameName G\n Version V\n DamageOverTimePercentCold 0.5\n"
                     " CombatEffectBlock effects/nothing.mdl\n}\n"
                     "CombatSystem\n{\n Type Info\n}\n"
                     "Wobble\n{\n Type Projectile\n ProjectileType Wobbly\n Beam Nothing\n"
                     " ExplosionProjectile Shoot\n ModelName effects/absent.mdl\n}\n"
                     "Shoot\n{\n Type Skill\n Projectile Shoot\n}\n"
                     "Cascade\n{\n Type Projectile\n ExplosionProjectile Cascade\n}\n"
                     "Ember\n{\n Type Projectile\n ExplosionProjectile Spark\n}\n"
                     "Spark\n{\n Type Projectile\n ProjectileType Beam\n Beam Ember\n}\n"
                     "Fuse\n{\n Type Projectile\n ExplosionProjectile Ember\n}\n");
    std::vector<std::string> problems = CombatContentLint(folder.Path());
    for (const char* part : {"StatusEffectBasicCold", "CombatEffectBlock names the missing model",
                             "CombatEventTime", "ProjectileType names no projectile kind Wobbly",
                             "Beam names no projectile Nothing", "ExplosionProjectile names no projectile Shoot",
                             "ModelName names the missing model", "Projectile names no projectile Shoot"})
        EXPECT_TRUE(CombatContentReported(problems, part)) << part;
    // A record that fires itself, and a pair that fire each other, lead back; one that only
    // leads into such a pair does not.
    int32_t loops = 0;
    for (const std::string& problem : problems) {
        if (problem.find("leads back") == std::string::npos)
            continue;
        ++loops;
        EXPECT_EQ(problem.find("Fuse"), std::string::npos) << problem;
    }
    EXPECT_EQ(loops, 3);
}

// The shipped database and game data over the shipped folder, with the fake game around them.
class ShippedProjectiles : public ShippedEntityWorld {
protected:
    ShippedProjectiles() { Projectile::RegisterTypeNames(); }

    CombatDummy* Dummy(float x, float y)
    {
        auto* dummy = new CombatDummy();
        WorldPos where;
        where.level = 0;
        where.x = x;
        where.y = y;
        dummy->SetPosition(where);
        dummy->maxHealth = dummy->health = 1000;
        EXPECT_NE(game.AddEntity(dummy), -1);
        return dummy;
    }
};

TEST_F(ShippedProjectiles, EveryOneEndsEvenStandingStill)
{
    ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
    database.Load();
    gameData.Load(database);
    std::vector<const DatabaseEntry*> records;
    // An entry's id is its file's number in the high half and its place in the file below.
    for (int32_t file = 0; database.GetEntryByIndex(file << 16); ++file)
        for (int32_t index = 0; const DatabaseEntry* entry = database.GetEntryByIndex((file << 16) | index); ++index)
            if (entry->GetType() == DatabaseEntryType::Projectile && !entry->IsBaseOnly())
                records.push_back(entry);
    ASSERT_GE(records.size(), 6u);
    std::vector<bool> kinds(ProjectileType::kCount, false);
    for (const DatabaseEntry* record : records) {
        std::string name(record->GetName());
        for (bool standing : {false, true}) {
            CombatDummy* source = Dummy(0, 0);
            CombatDummy* target = Dummy(2000, 0);
            StatPairList damage;
            damage.Add(DamageType::Physical, 1, 1);
            ProjectileLaunch launch;
            launch.damage = &damage;
            launch.source = source;
            launch.target = target;
            launch.targetPosition = target->position;
            Projectile* projectile = Entity::FireProjectile(name, launch);
            ASSERT_NE(projectile, nullptr) << name;
            kinds[static_cast<size_t>(projectile->projectileType)] = true;
            if (standing)
                projectile->speed = 0.0f;
            // Past the safety life, with the updates the game runs.
            for (int32_t step = 0; step < 620; ++step) {
                for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
                    if (Entity* entity = game.GetEntity(i))
                        entity->Update(FakeGameServices::kStep);
                game.Step();
            }
            for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
                EXPECT_FALSE(game.GetEntity(i) && game.GetEntity(i)->IsProjectile()) << name << " " << standing;
            game.DestroyAll();
        }
    }
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), true), ProjectileType::kCount);
}
