// QuestKillsTest -- deaths in the world through the game's death hook: group goals, the town attack, the NPC a quest needs, the thief, the siege, revenge and the kill counting of a carrier.
#include "server/quests/QuestKindWorld.h"

#include "core/Event.h"
#include "core/EventSystem.h"

namespace {

constexpr const char* kQuestKillsRecords = R"(
Band
{
    Type Quest
    QuestType KillMonsterGroup
    DuplicatesAllowed 1
}
Raid
{
    Type Quest
    QuestType TownAttack
    DuplicatesAllowed 1
}
Missing
{
    Type Quest
    QuestType RescueNpc
    HasWorldLevel 1
    DuplicatesAllowed 1
    GhostRevengeChance 1
    RevengeChance 1
}
Haunt
{
    Type Quest
    QuestType GhostRevenge
    HasWorldLevel 1
    DuplicatesAllowed 1
}
Vengeance
{
    Type Quest
    QuestType Revenge
    HasWorldLevel 1
    DuplicatesAllowed 1
}
Pickpocket
{
    Type Quest
    QuestType Thief
    DuplicatesAllowed 1
}
Engines
{
    Type Quest
    QuestType Siege
    DuplicatesAllowed 1
}
Hunt
{
    Type Quest
    QuestType KillMonsters
    DefaultMonster MonsterWolf
    DuplicatesAllowed 1
}
Renegade
{
    Type Quest
    QuestType Renegade
    DuplicatesAllowed 1
}
)";

class QuestKills : public QuestKindWorld {
protected:
    QuestKills() { Load(kQuestKillsRecords); }

    const MonsterType* Type(const char* name) { return gameData.FindMonsterType(name); }
};

} // namespace

TEST_F(QuestKills, AGroupMemberCountsOnceWithItsLineAndTheLastCompletesTheQuest)
{
    Quest* band = Make("Band");
    ASSERT_NE(band, nullptr);
    band->goals.assign(2, QuestGoal{});
    band->goals[0].target = Type("MonsterWolf");
    band->goals[1].target = Type("MonsterBear");
    band->goals[0].required = band->goals[1].required = 1;
    ASSERT_NE(player->AcceptQuest(band->questId), nullptr);

    game->GetClientLines().clear();
    Kill(*Creature("MonsterWolf", 400.0f), player);
    EXPECT_EQ(band->goals[0].progress, 1);
    EXPECT_EQ(CountLinesWith("QuestKilledMonster"), 1);
    Kill(*Creature("MonsterWolf", 450.0f), player);
    EXPECT_EQ(CountLinesWith("QuestKilledMonster"), 1) << "a goal already counted counts nothing";
    EXPECT_EQ(Completed(), 0);
    Kill(*Creature("MonsterBear", 500.0f), player);
    EXPECT_EQ(CountLinesWith("QuestKilledMonster"), 2);
    EXPECT_TRUE(band->IsComplete());
    EXPECT_EQ(Completed(), 1) << "the holder handed it in";
}

TEST_F(QuestKills, ATownAttackEndsWithItsLastAttackerNotItsBoss)
{
    Quest* raid = Make("Raid");
    ASSERT_NE(raid, nullptr);
    raid->QuestBase::target = Type("MonsterWolf");
    Actor* gate = Creature("MonsterBear", 300.0f);
    Actor* first = Creature("MonsterWolf", 400.0f);
    Actor* second = Creature("MonsterWolf", 500.0f);
    raid->target.Set(gate);
    raid->AddGroupMember(first);
    raid->AddGroupMember(second);
    int32_t number = raid->questId;

    game->GetClientLines().clear();
    Kill(*gate, player);
    Kill(*first, player);
    EXPECT_EQ(CountLinesWith("QuestSuccessTownAttack"), 0) << "an attacker still lives";
    ASSERT_EQ(quests().GetQuest(number), raid);
    EXPECT_EQ(raid->spawnedCount, 1);
    Kill(*Creature("MonsterWolf", 600.0f), player);
    EXPECT_EQ(raid->spawnedCount, 1) << "a stranger is no attacker";
    Kill(*second, player);
    EXPECT_EQ(CountLinesWith("QuestSuccessTownAttack"), 1);
    EXPECT_EQ(quests().GetQuest(number), nullptr) << "a repelled attack is deleted";
}

// The rescue's NPC dies: both follow-ups roll (each chance 1) before the rescue fails, and every
// holder's copy fails with it.
TEST_F(QuestKills, ARescueNpcsDeathStartsBothRevengesThenFailsEverywhere)
{
    Quest* rescue = Make("Missing");
    ASSERT_NE(rescue, nullptr);
    Actor* npc = Creature("MonsterBear", 400.0f);
    rescue->target.Set(npc);
    EntityQuest* copy = player->AcceptQuest(rescue->questId);
    ASSERT_NE(copy, nullptr);
    int32_t number = rescue->questId;

    // The revenges take the kind of the NPC's killer: the one it was fighting.
    Actor* killer = Creature("MonsterWolf", 450.0f);
    npc->AddHate(killer, 100.0f, 0);
    npc->UpdateHateTarget(0.0f);
    ASSERT_EQ(npc->GetCurrentTarget(), killer);
    game->GetClientLines().clear();
    Kill(*npc, killer);
    EXPECT_EQ(CountLinesWith("QuestKilledRescueNpc"), 1);
    EXPECT_TRUE(copy->failed) << "the holder's copy fails";
    ASSERT_EQ(quests().GetQuest(number), rescue) << "held, so it stays";
    EXPECT_TRUE(rescue->failed);
    int32_t revenges = 0;
    for (const auto& quest : quests().GetList())
        revenges += quest && (quest->type == QuestType::GhostRevenge || quest->type == QuestType::Revenge);
    EXPECT_EQ(revenges, 2);
}

TEST_F(QuestKills, TheSiegeCountsOnlyItsOwnEngines)
{
    Quest* siege = Make("Engines");
    ASSERT_NE(siege, nullptr);
    siege->count = 2;
    Actor* engine = Creature("MonsterBear", 400.0f);
    siege->AddGroupMember(engine);
    Kill(*Creature("MonsterBear", 500.0f), player);
    EXPECT_EQ(siege->progress, 0);
    Kill(*engine, player);
    EXPECT_EQ(siege->progress, 1);
    EXPECT_EQ(siege->spawnedCount, 0);
    Kill(*engine, player);
    EXPECT_EQ(siege->progress, 1) << "taken off the list once";
}

TEST_F(QuestKills, AThiefOrRenegadeKilledIsNewsAndDone)
{
    Quest* thief = Make("Pickpocket");
    Quest* renegade = Make("Renegade");
    ASSERT_TRUE(thief && renegade);
    Actor* thiefFigure = Creature("MonsterWolf", 400.0f);
    Actor* renegadeFigure = Creature("MonsterBear", 500.0f);
    thief->target.Set(thiefFigure);
    renegade->target.Set(renegadeFigure);
    game->GetClientLines().clear();
    Kill(*renegadeFigure, player);
    EXPECT_EQ(CountLinesWith("QuestKilledRenegade"), 1);
    EXPECT_TRUE(renegade->IsComplete());
    EXPECT_FALSE(thief->IsComplete());
    Kill(*thiefFigure, player);
    EXPECT_EQ(CountLinesWith("$$QuestKilledThief$$"), 1);
    EXPECT_TRUE(thief->IsComplete());
}

// The avenging NPC dying fails the revenge; the kind it avenges dying completes it.
TEST_F(QuestKills, ARevengeEndsByWhoDies)
{
    Quest* kept = Make("Vengeance");
    Quest* lost = Make("Vengeance");
    ASSERT_TRUE(kept && lost);
    kept->QuestBase::target = lost->QuestBase::target = Type("MonsterWolf");
    Actor* avenger = Creature("MonsterBear", 400.0f);
    lost->target.Set(avenger);
    ASSERT_NE(player->AcceptQuest(kept->questId), nullptr);
    int32_t lostNumber = lost->questId;

    game->GetClientLines().clear();
    Kill(*avenger, player);
    EXPECT_EQ(CountLinesWith("QuestKilledRevenge"), 1);
    EXPECT_EQ(quests().GetQuest(lostNumber), nullptr) << "failed and held by nobody";
    Kill(*Creature("MonsterWolf", 500.0f), player);
    EXPECT_EQ(Completed(), 1);
}

// A carrier's "SuccessfulKill" counts the slain type for its kill quest; other events do not.
TEST_F(QuestKills, ACarriersKillEventCountsItsMonster)
{
    Quest* hunt = Make("Hunt");
    ASSERT_NE(hunt, nullptr);
    hunt->QuestBase::target = Type("MonsterWolf");
    hunt->count = 3;
    EntityQuest* copy = player->AcceptQuest(hunt->questId);
    ASSERT_NE(copy, nullptr);
    player->OnSuccessfulKill(Creature("MonsterWolf", 400.0f));
    player->OnSuccessfulKill(Creature("MonsterBear", 450.0f));
    EXPECT_EQ(copy->progress, 1);
    Event other;
    other.name = "WhenHit";
    other.WriteEntity(Creature("MonsterWolf", 500.0f));
    static_cast<Quest*>(copy)->OnSuccessfulKill(&other);
    static_cast<Quest*>(copy)->OnSuccessfulKill(nullptr);
    EXPECT_EQ(copy->progress, 1);
}
