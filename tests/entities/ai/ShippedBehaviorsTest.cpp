// ShippedBehaviorsTest -- the shipped behaviour records pass the lint with the behaviour checks, planted faults are reported, every shipped archetype's stack builds without a log line, and the shipped tuning names records that exist.
#include "core/Database.h"
#include "core/DebugSystem.h"
#include "entities/ai/BehaviorEatCorpse.h"
#include "entities/ai/BehaviorFactory.h"
#include "entities/ai/BehaviorLint.h"
#include "entities/ai/BehaviorPray.h"
#include "entities/ai/BehaviorRanged.h"
#include "entities/ai/BehaviorRetreat.h"
#include "entities/ai/BehaviorSpawner.h"
#include "entities/ai/BehaviorStack.h"
#include "rules/GameData.h"
#include "rules/PlantedGame.h"
#include "rules/monsters/MonsterArchetype.h"
#include "support/ShippedGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

std::vector<std::string> ShippedBehaviorsLint(const std::string& gameDir)
{
    GameFolderFiles game(gameDir);
    game.files.MountAssetArchives();
    return ContentLint::CheckGameContent(game.debug, "English", BehaviorLintChecks());
}

bool ShippedBehaviorsReported(const std::vector<std::string>& problems, std::string_view part)
{
    return std::any_of(problems.begin(), problems.end(),
                       [&](const std::string& problem) { return problem.find(part) != std::string::npos; });
}

} // namespace

TEST(ShippedBehaviors, RecordsHaveNoProblems)
{
    ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
    for (const std::string& problem : ShippedBehaviorsLint(ShippedGameFolder()))
        ADD_FAILURE() << problem;
}

TEST(ShippedBehaviors, ReportsEachKindOfPlantedFault)
{
    TempFolder folder;
    WritePlantedGame(folder, "GameSystem\n{\n Type Info\n GameName G\n Version V\n}\n"
                             "CombatSystem\n{\n Type Info\n CombatEventTime 1\n}\n"
                             "Dancers\n{\n Type BehaviorStack\n Behavior Melee\n Behavior Dance\n}\n"
                             "ArchetypeOdd\n{\n Type MonsterArchetype\n BehaviorStack Nowhere\n"
                             " MeleeData Dancers\n}\n");
    std::vector<std::string> problems = ShippedBehaviorsLint(folder.Path());
    for (const char* part : {"Behavior names no behaviour kind Dance", "BehaviorStack names no behaviour stack Nowhere",
                             "MeleeData names no behaviour data Dancers"})
        EXPECT_TRUE(ShippedBehaviorsReported(problems, part)) << part;
    EXPECT_FALSE(ShippedBehaviorsReported(problems, "kind Melee"));
}

TEST(ShippedBehaviors, EveryArchetypesStackBuildsSilentlyEndsInSleepAndTogetherTheyUseEveryKind)
{
    ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
    GameFolderFiles shipped(ShippedGameFolder());
    Database database;
    GameData gameData;
    gDatabase = &database;
    gGameData = &gameData;
    database.Load();
    gameData.Load(database);
    size_t before = shipped.debug.GetConsoleLines().size();
    BehaviorStackList stacks;
    BuildBehaviorStacks(stacks);
    std::vector<std::string> lines = shipped.debug.GetConsoleLines();
    for (size_t i = before; i < lines.size(); ++i)
        ADD_FAILURE() << lines[i];
    int32_t named = 0;
    for (int32_t i = 0; i < gameData.GetArchetypes().GetCount(); ++i)
        named += gameData.GetArchetypes().Get(i)->GetEntry()->GetString("BehaviorStack").empty() ? 0 : 1;
    EXPECT_EQ(static_cast<int32_t>(stacks.size()), named);
    EXPECT_GE(named, 4);
    std::set<int32_t> kinds;
    for (const auto& stack : stacks) {
        ASSERT_FALSE(stack->behaviors.empty());
        EXPECT_EQ(stack->behaviors.back()->GetType(), BehaviorType::kSleep);
        for (const auto& behavior : stack->behaviors)
            kinds.insert(behavior->GetType());
    }
    for (int32_t kind = 0; kind < BehaviorType::kCount; ++kind)
        EXPECT_TRUE(kinds.count(kind)) << "no shipped stack uses " << GetBehaviorName(kind);
    // Every kind whose tuning comes from a data entry has its default one.
    for (const char* kind : {"Idle", "Approach", "Retreat", "Spawner", "RaiseDead", "DestroyCorpse", "EatCorpse",
                             "FollowLeader", "AvoidLeader", "TeleportToLeader", "TeleportRaid", "Pray",
                             "LifestoneRegen", "Adventure", "Jump"})
        EXPECT_NE(database.FindEntryByName(std::string("BehaviorDataDefault") + kind), nullptr) << kind;
    gGameData = nullptr;
    gDatabase = nullptr;
}

TEST(ShippedBehaviors, TheShippedTuningNamesRecordsThatExist)
{
    ASSERT_FALSE(ShippedGameFolder().empty()) << "EMBERLODE_GAME_DIR not set";
    GameFolderFiles shipped(ShippedGameFolder());
    Database database;
    GameData gameData;
    gDatabase = &database;
    gGameData = &gameData;
    database.Load();
    gameData.Load(database);
    BehaviorStackList stacks;
    BuildBehaviorStacks(stacks);
    auto prototype = [&](const char* archetype, int32_t kind) -> const BehaviorBase* {
        for (const auto& stack : stacks)
            if (stack->owner == gameData.FindArchetype(archetype))
                for (const auto& behavior : stack->behaviors)
                    if (behavior->GetType() == kind)
                        return behavior.get();
        return nullptr;
    };
    const auto* spawner = dynamic_cast<const BehaviorSpawner*>(prototype("ArchetypeBoneCaller", BehaviorType::kSpawner));
    ASSERT_NE(spawner, nullptr);
    EXPECT_NE(spawner->tuning.spawnEntry, nullptr) << "the cinderling record";
    const auto* ranged = dynamic_cast<const BehaviorRanged*>(prototype("ArchetypeBoneCaller", BehaviorType::kRanged));
    ASSERT_NE(ranged, nullptr);
    EXPECT_NE(database.FindEntryByName(ranged->tuning.projName), nullptr);
    const auto* eater = dynamic_cast<const BehaviorEatCorpse*>(prototype("ArchetypeBeast", BehaviorType::kEatCorpse));
    ASSERT_NE(eater, nullptr);
    EXPECT_NE(eater->tuning.statusEffect, nullptr);
    EXPECT_GT(eater->tuning.maxCorpsesToEat, 0);
    const auto* retreat = dynamic_cast<const BehaviorRetreat*>(prototype("ArchetypeGoblinCantor", BehaviorType::kRetreat));
    ASSERT_NE(retreat, nullptr);
    EXPECT_FLOAT_EQ(retreat->tuning.lowHealth, 0.4f) << "the cantor's own retreat data over the default";
    EXPECT_NE(gameData.FindSkillDefinition(BehaviorPray::kPrayerSkill), nullptr);
    for (const char* archetype : {"ArchetypeUndead", "ArchetypeBeast", "ArchetypeBoneCaller"})
        EXPECT_NE(gameData.FindArchetype(archetype)->soundGroup, nullptr) << archetype;
    gGameData = nullptr;
    gDatabase = nullptr;
}
