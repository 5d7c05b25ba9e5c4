// QuestTargetLevelsTest -- where the shipped world's quests send the player: never into a secret or treasure level, which no gate or edge leads into, whether or not a chest has opened a way.
#include "server/WorldSaveWorld.h"

#include "core/DatabaseEntry.h"
#include "entities/Chest.h"
#include "world/GameQuestWorld.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class QuestTargetLevels : public WorldSaveWorld {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(StartShippedWorldWithAPlayer(firstSecret));
        ASSERT_NE(gWorld->GetLevel(gWorld->GetTreasureLevel()), nullptr) << "and a treasure level";
    }

    // Every level a quest of the monster level is sent to, over the whole range of its roll.
    static std::set<int32_t> TargetsOf(int32_t monsterLevel)
    {
        GameQuestWorld world;
        std::set<int32_t> targets;
        for (int32_t step = 0; step < 100; ++step)
            targets.insert(world.PickQuestLevel(monsterLevel, static_cast<float>(step) / 100.0f, false));
        return targets;
    }

    int32_t firstSecret = -1;
};

// A secret level is reached only through a chest that links it in, by chance, and the treasure
// level only through its own map; the shipped world's detached levels start at monster level 1,
// the level of every quest a new character is offered.
TEST_F(QuestTargetLevels, AQuestGoesOnlyWhereAWayLeadsEvenOnceAChestOpensASecretLevel)
{
    for (int32_t monsterLevel = 1; monsterLevel <= 4; ++monsterLevel)
        for (int32_t target : TargetsOf(monsterLevel))
            EXPECT_LT(target, firstSecret) << "a quest of monster level " << monsterLevel << " sent to level " << target;
    // The quests the world starts itself go the same way.
    const QuestDefinition* clear = gameData.FindQuestDefinition(database.FindEntryByName("QuestClearLevel"));
    ASSERT_NE(clear, nullptr);
    // One of a kind to a level: a second one to the same place is turned down as a duplicate.
    int32_t started = 0;
    for (int32_t i = 0; i < 40; ++i) {
        Quest* quest = game->GetQuests().StartQuestFromDefinition(clear);
        if (!quest)
            continue;
        ++started;
        EXPECT_GE(quest->targetLevel, 0) << "a level to clear";
        EXPECT_LT(quest->targetLevel, firstSecret) << "a level to clear that a way leads into";
    }
    EXPECT_GT(started, 0);

    // A chest opens the first secret level and raises it: the way in is found by chance, so the
    // quests of that level still go elsewhere, as they would for a player who never found it.
    Chest* chest = nullptr;
    ASSERT_NO_FATAL_FAILURE(AddSecretLinkChest(At(640, 640, 1), chest));
    chest->Use(player);
    ASSERT_EQ(game->PeekSecretLevel(), firstSecret + 1) << "the chest opened the first secret level";
    int32_t raised = gWorld->GetLevelMonsterLevel(firstSecret);
    for (int32_t target : TargetsOf(raised))
        EXPECT_LT(target, firstSecret);
    EXPECT_FALSE(TargetsOf(1).count(gWorld->GetTreasureLevel()));
}

} // namespace
