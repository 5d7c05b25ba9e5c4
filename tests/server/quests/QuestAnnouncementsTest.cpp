// QuestAnnouncementsTest -- what the world hears of a new quest: the title, the kind's news line and the announcement sound, or nothing.
#include "server/quests/QuestKindWorld.h"

namespace {

constexpr const char* kQuestAnnouncementsRecords = R"(
Loud
{
    Type Quest
    QuestType KillMonsters
    Announce 1
    AnnounceSound "Sounds/horn.ogg"
    DuplicatesAllowed 1
}
LoudBoss
{
    Type Quest
    QuestType BossKing
    Boss 1
    Announce 1
    DuplicatesAllowed 1
}
LoudEvent
{
    Type Quest
    QuestType Siege
    EventOnly 1
    Announce 1
    DuplicatesAllowed 1
}
Silent
{
    Type Quest
    QuestType Siege
    DuplicatesAllowed 1
}
Sieged
{
    Type Quest
    QuestType Siege
    Announce 1
    DuplicatesAllowed 1
}
Tainted
{
    Type Quest
    QuestType PoisonedSupply
    Announce 1
    TitleList "SupplyAle"
    DuplicatesAllowed 1
}
Warring
{
    Type Quest
    QuestType War
    Announce 1
    DuplicatesAllowed 1
}
)";

class QuestAnnouncements : public QuestKindWorld {
protected:
    QuestAnnouncements() { Load(kQuestAnnouncementsRecords); }

    int32_t CountNews() const { return CountLinesWith("msg 3 "); }
};

} // namespace

TEST_F(QuestAnnouncements, ABossOrEventOnlyQuestIsNeverAnnounced)
{
    game->GetClientLines().clear();
    Make("LoudBoss");
    Make("LoudEvent");
    Make("Silent");
    EXPECT_EQ(CountNews(), 0);
    EXPECT_TRUE(game->GetSounds().empty());
}

TEST_F(QuestAnnouncements, AKindWithoutANewsLineStillSendsItsTitle)
{
    game->GetClientLines().clear();
    Quest* loud = Make("Loud");
    ASSERT_NE(loud, nullptr);
    EXPECT_EQ(CountNews(), 1) << "the title alone";
}

TEST_F(QuestAnnouncements, EachKindSpeaksItsOwnLineAfterItsTitle)
{
    game->GetClientLines().clear();
    Make("Sieged");
    ASSERT_EQ(CountNews(), 2);
    EXPECT_NE(game->GetClientLines().back().find("$$QuestAnnounceSiege$$"), std::string::npos);

    game->GetClientLines().clear();
    Quest* tainted = Make("Tainted");
    ASSERT_NE(tainted, nullptr);
    EXPECT_NE(game->GetClientLines().back().find("QuestAnnouncePoisonedSupply"), std::string::npos);
    tainted->npcId = 0;
    EXPECT_NE(tainted->BuildAnnouncement().find("SupplyAle"), std::string::npos);
    tainted->npcId = 5;
    EXPECT_EQ(tainted->BuildAnnouncement().find("SupplyAle"), std::string::npos) << "outside the list: no name";

    Quest* war = Make("Warring");
    ASSERT_NE(war, nullptr);
    war->goals.assign(2, QuestGoal{});
    war->goals[0].target = gameData.FindMonsterType("MonsterWolf");
    war->goals[1].target = gameData.FindMonsterType("MonsterBear");
    std::string line = war->BuildAnnouncement();
    EXPECT_NE(line.find("QuestAnnounceWar"), std::string::npos);
    EXPECT_NE(line.find("$$$$Wolf$$$$"), std::string::npos) << line;
}
