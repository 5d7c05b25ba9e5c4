// FirstLevelsTest -- what a new hero meets in the shipped world: its first hunts are set on the levels beyond the town, and the wild creatures slain there come back once no one stands near.
#include "server/WorldSaveWorld.h"

#include "entities/CombatSystem.h"
#include "rules/GameSystemTuning.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

class FirstLevels : public WorldSaveWorld {
protected:
    // The shipped world made anew from the seed, its first player standing in the town, and the
    // steps that draw a new world's first quests.
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LoadShippedRecords());
        StartSpawnSystem();
    }

    void StartWorld(uint32_t seed)
    {
        if (host->IsActive())
            host->EndServer();
        RemakeGame();
        random.SetState(RandomStream::GameData, seed);
        host->SetUpServer(false, 0, 1, 1, 0, "Ada");
        player = new Player();
        ASSERT_NE(game->AddEntity(player), -1);
        player->SetPosition(game->GetStartPosition(0));
        for (int i = 0; i < kFirstQuestSteps; ++i)
            game->Update(kStep);
        ASSERT_FALSE(game->GetQuests().GetList().empty()) << "a new world begins with quests";
    }

    // The levels the running quests hunt on, the town's own errands left out.
    std::set<int32_t> HuntedLevels() const
    {
        std::set<int32_t> levels;
        for (const auto& quest : game->GetQuests().GetList())
            if (quest && !kTownErrands.count(quest->type))
                levels.insert(quest->targetLevel);
        return levels;
    }

    int32_t CountWildCreaturesOn(int32_t level) const
    {
        int32_t count = 0;
        for (int32_t number = 0; number < Game::kMaxEntities; ++number)
            if (const auto* actor = dynamic_cast<const Actor*>(game->GetEntity(number));
                actor && actor->position.level == level && !actor->npc && actor->covenantIndex < 0 && !actor->IsDead())
                ++count;
        return count;
    }

    inline static const std::set<int32_t> kTownErrands = {QuestType::TownAttack, QuestType::Thief,
                                                          QuestType::Assassin, QuestType::MonsterScout,
                                                          QuestType::TownTraps};
    static constexpr float kStep = 0.05f;
    static constexpr int kFirstQuestSteps = 20;
};

// Mended: the town was a hunting ground of monster level 1, so a new hero's first quests were
// all set there and nothing slain on the first levels beyond it ever came back.
TEST_F(FirstLevels, ANewHerosHuntsAreSetBeyondTheTownOnTheFirstLevels)
{
    for (uint32_t seed : {0x1234u, 0xBEEFu, 0x5EEDu, 0xC0FFEEu}) {
        StartWorld(seed);
        if (HasFatalFailure())
            return;
        std::set<int32_t> hunted = HuntedLevels();
        EXPECT_EQ(hunted.count(0), 0u) << "seed " << seed << ": no hunt in the town";
        EXPECT_TRUE(hunted.count(1) || hunted.count(2)) << "seed " << seed << ": a hunt beyond the town's gate";
    }
}

TEST_F(FirstLevels, CreaturesSlainOnAHuntedLevelComeBackOnceNoOneStandsNear)
{
    StartWorld(0x1234u);
    std::set<int32_t> hunted = HuntedLevels();
    int32_t level = hunted.count(1) ? 1 : 2;
    ASSERT_TRUE(hunted.count(level)) << "a hunt on a first level";
    // A row of the level's own creatures across its middle, far from the hero in the town.
    constexpr int kSlain = 20;
    for (int i = 0; i < kSlain; ++i) {
        WorldPos home = At(1200.0f + 90.0f * static_cast<float>(i), 2048.0f, level);
        Actor* creature = gSpawnSystem->TrySpawnMonsterAt(level, home, MonsterRarity::Normal);
        for (int tries = 0; !creature && tries < 50; ++tries)
            creature = gSpawnSystem->TrySpawnMonsterAt(level, home, MonsterRarity::Normal);
        ASSERT_NE(creature, nullptr) << "the level's table has a creature for it";
        creature->homeSet = true;
        creature->homePosition = creature->position;
        creature->health = 0;
        HandleKill(creature, player);
    }
    ASSERT_NE(game->GetRespawnQueue(level), nullptr);
    EXPECT_EQ(game->GetRespawnQueue(level)->size(), static_cast<size_t>(kSlain));
    int32_t before = CountWildCreaturesOn(level);

    float wait = gGameData->GetTuning().monsterRespawnTime * 1.06f;
    for (float waited = 0.0f; waited < wait; waited += kStep)
        game->Update(kStep);
    EXPECT_TRUE(game->GetRespawnQueue(level)->empty()) << "each slain creature's turn came, none kept waiting";
    EXPECT_GT(CountWildCreaturesOn(level), before) << "some came back, as each comes back by its area's chance";
}

} // namespace
