// QuestCompletionTest -- solving a quest through the player's turn-in, the questions the game asks a quest about itself, and a meeting's outcome.
#include "server/quests/QuestKindWorld.h"

namespace {

constexpr const char* kQuestCompletionRecords = R"(
Join
{
    Type Quest
    QuestType Recruit
    DuplicatesAllowed 1
}
Hunt
{
    Type Quest
    QuestType KillMonsters
    DuplicatesAllowed 1
    QuestSolvedBit 7
    TutorialEnd 1
}
Tainted
{
    Type Quest
    QuestType PoisonedSupply
    DuplicatesAllowed 1
}
Other
{
    Type Quest
    QuestType PoisonedSupply
    DuplicatesAllowed 1
}
Ledger
{
    Type Quest
    QuestType LevelQuestItem
    DuplicatesAllowed 1
}
Parley
{
    Type Quest
    QuestType Meeting
    DuplicatesAllowed 1
}
Barbarians
{
    Type Quest
    QuestType WarAgainstBarbarians
    DuplicatesAllowed 1
}
)";

class QuestCompletion : public QuestKindWorld {
protected:
    QuestCompletion() { Load(kQuestCompletionRecords); }
};

} // namespace

TEST_F(QuestCompletion, ARecruitsSolvingIsItsOwnNews)
{
    Quest* join = Make("Join");
    Quest* hunt = Make("Hunt");
    ASSERT_TRUE(join && hunt);
    join->target.Set(Creature("MonsterBear", 500.0f));
    game->GetClientLines().clear();
    join->OnSolved(*player);
    EXPECT_EQ(CountLinesWith("QuestSolvedRecruit"), 1);
    EXPECT_EQ(CountLinesWith("QuestSolved~"), 0);
    hunt->OnSolved(*player);
    EXPECT_EQ(CountLinesWith("QuestSolved~"), 1);
}

// Turned in through the player: the story bit at the world's base, the tutorial's end.
TEST_F(QuestCompletion, HandingInSetsTheSolvedBitAndEndsTheTutorial)
{
    Quest* hunt = Make("Hunt");
    ASSERT_NE(hunt, nullptr);
    ASSERT_NE(player->AcceptQuest(hunt->questId), nullptr);
    int32_t bit = quests().GetSolvedBitBase() + 7;
    EXPECT_FALSE(player->GetCharacterFlag(bit));
    player->CompleteQuest(hunt->questId);
    EXPECT_TRUE(player->GetCharacterFlag(bit));
    EXPECT_TRUE(hunt->HasPlayerSolved(player));
}

TEST_F(QuestCompletion, DuplicatesAreToldApartByWhatTheirKindIsAbout)
{
    Quest* first = Make("Tainted");
    Quest* second = Make("Tainted");
    Quest* other = Make("Other");
    ASSERT_TRUE(first && second && other);
    first->npcId = 0;
    second->npcId = 1;
    other->npcId = 0;
    EXPECT_FALSE(first->IsDuplicateOf(*second)) << "another supply";
    EXPECT_FALSE(first->IsDuplicateOf(*other)) << "another definition";
    second->npcId = 0;
    EXPECT_TRUE(first->IsDuplicateOf(*second));
    second->failed = true;
    EXPECT_FALSE(first->IsDuplicateOf(*second)) << "a failed quest is no duplicate";
}

// A copy takes a quest item only while every quest up its chain can and exists.
TEST_F(QuestCompletion, AnItemIsTakenThroughTheLinkChainOnlyWhileItHolds)
{
    Quest* ledger = Make("Ledger");
    ASSERT_NE(ledger, nullptr);
    ledger->count = 2;
    auto* copy = static_cast<Quest*>(player->AcceptQuest(ledger->questId));
    ASSERT_NE(copy, nullptr);
    copy->count = 2;
    EXPECT_TRUE(copy->CanTakeItemThroughLinks());
    copy->progress = 2;
    EXPECT_FALSE(copy->CanTakeItemThroughLinks()) << "the copy is full";
    copy->progress = 0;
    ledger->linkedCopy = true;
    EXPECT_FALSE(copy->CanTakeItemThroughLinks()) << "a chain that comes back to itself";
    ledger->linkedCopy = false;
    EXPECT_TRUE(ledger->CanTakeItemThroughLinks());
}

TEST_F(QuestCompletion, AMeetingWhoseLeadersAreDeadStartsNoWar)
{
    Quest* parley = Make("Parley");
    ASSERT_NE(parley, nullptr);
    parley->goals.assign(2, QuestGoal{});
    parley->goals[0].target = gameData.FindMonsterType("MonsterWolf");
    parley->goals[1].target = gameData.FindMonsterType("MonsterBear");
    Actor* first = Creature("MonsterWolf", 500.0f);
    Actor* second = Creature("MonsterBear", 550.0f);
    first->health = second->health = 0;
    parley->target.Set(first);
    parley->secondEntity.Set(second);
    int32_t number = parley->questId;
    size_t before = quests().GetList().size();
    parley->ResolveMeeting();
    EXPECT_EQ(quests().GetQuest(number), nullptr);
    int32_t running = 0;
    for (const auto& quest : quests().GetList())
        running += quest != nullptr;
    EXPECT_EQ(running, 0) << "no war of either side; list was " << before;
}

TEST_F(QuestCompletion, AQuestIsAboutTheMonsterTypesItsKindNames)
{
    Quest* join = Make("Join");
    Quest* parley = Make("Parley");
    ASSERT_TRUE(join && parley);
    const MonsterType* wolf = gameData.FindMonsterType("MonsterWolf");
    join->QuestBase::target = wolf;
    parley->goals.assign(1, QuestGoal{});
    parley->goals[0].target = wolf;
    EXPECT_FALSE(join->IsAboutMonsterType(wolf)) << "a recruit quest is about no monster";
    EXPECT_TRUE(parley->IsAboutMonsterType(wolf));
    EXPECT_FALSE(parley->IsAboutMonsterType(gameData.FindMonsterType("MonsterBear")));
    EXPECT_FALSE(parley->IsAboutMonsterType(nullptr));
}
