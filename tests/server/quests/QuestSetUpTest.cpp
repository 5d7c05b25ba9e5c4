// QuestSetUpTest -- the events a quest's set-up applies at once to a covenant: crystals and influence moved by a share of the covenants' average, a guard that breaks free, and nothing again when the quest is restored.
#include "server/quests/QuestKindWorld.h"

#include "server/SpyCovenant.h"

#include <memory>

namespace {

constexpr const char* kQuestSetUpRecords = R"(
GameSystem
{
    MaxInfluence 100000
}
Windfall
{
    Type Quest
    QuestType CrystalGain
    MinPercentChange 0.125
    MaxPercentChange 0.125
    DuplicatesAllowed 1
}
Theft
{
    Type Quest
    QuestType CrystalLoss
    MinPercentChange 0.125
    MaxPercentChange 0.125
    DuplicatesAllowed 1
}
Fame
{
    Type Quest
    QuestType InfluenceGain
    MinPercentChange 0.25
    MaxPercentChange 0.25
    DuplicatesAllowed 1
}
Scandal
{
    Type Quest
    QuestType InfluenceLoss
    MinPercentChange 0.5
    MaxPercentChange 0.5
    DuplicatesAllowed 1
}
Breakout
{
    Type Quest
    QuestType GuardBreaksFree
    DuplicatesAllowed 1
}
)";

// A covenant of the game whose guard places the test fills.
class HouseCovenant : public SpyCovenant {
public:
    HouseCovenant(const std::string& houseName, int32_t crystals)
    {
        name = houseName;
        statistics.SetCount(CovenantStat::kCount);
        statistics.Set(CovenantStat::Money, crystals);
    }

    void Post(int32_t slot, Actor& guard)
    {
        guards[static_cast<size_t>(slot)].Set(&guard);
        guard.guard = true;
        guard.covenantIndex = index;
    }
};

class QuestSetUp : public QuestKindWorld {
protected:
    QuestSetUp() { Load(kQuestSetUpRecords); }

    HouseCovenant& House(const std::string& name, int32_t crystals)
    {
        auto made = std::make_unique<HouseCovenant>(name, crystals);
        HouseCovenant& house = *made;
        game->AddCovenant(std::move(made));
        return house;
    }

    static int32_t Crystals(const Covenant& covenant) { return covenant.statistics.Get(CovenantStat::Money); }
};

} // namespace

// Two covenants with 1,000 and 3,000 crystals average 2,000: an eighth of it, 250, goes to one
// of them, and an eighth of the new average comes off one again, each with its news; a covenant
// with no crystals loses nothing and nothing is told.
TEST_F(QuestSetUp, CrystalsMoveByAShareOfTheAverageAndTheNewsTellsTheAmount)
{
    HouseCovenant& poor = House("Ashwick", 1000);
    HouseCovenant& rich = House("Emberguard", 3000);
    game->GetClientLines().clear();
    ASSERT_NE(Start("Windfall"), nullptr);
    EXPECT_EQ(Crystals(poor) + Crystals(rich), 4250);
    EXPECT_EQ(CountLinesWith("QuestAnnounceCrystalGain"), 1);
    EXPECT_EQ(CountLinesWith("@@250@@"), 1);

    ASSERT_NE(Start("Theft"), nullptr);
    EXPECT_EQ(Crystals(poor) + Crystals(rich), 4250 - 266) << "265.625 rounded up";
    EXPECT_EQ(CountLinesWith("QuestAnnounceCrystalLoss"), 1);

    poor.eliminated = true;
    rich.statistics.Set(CovenantStat::Money, 0);
    int32_t fallen = Crystals(poor);
    game->GetClientLines().clear();
    ASSERT_NE(Start("Theft"), nullptr);
    EXPECT_EQ(Crystals(rich), 0);
    EXPECT_EQ(Crystals(poor), fallen) << "the living hold none: nothing moves";
    EXPECT_TRUE(game->GetClientLines().empty());
}

// Influence lost comes off the world counter first and never below 0; influence won is world
// influence. A quest read back from a save applies neither again.
TEST_F(QuestSetUp, InfluenceMovesOnceAndARestoredQuestLeavesItAlone)
{
    HouseCovenant& house = House("Ashwick", 0);
    house.statistics.Set(CovenantStat::InfluenceWorld, 300);
    house.statistics.Set(CovenantStat::InfluenceCompetition, 500);
    Quest* scandal = Start("Scandal");
    ASSERT_NE(scandal, nullptr);
    EXPECT_EQ(house.statistics.Get(CovenantStat::InfluenceWorld), 0);
    EXPECT_EQ(house.statistics.Get(CovenantStat::InfluenceCompetition), 400) << "half of 800 lost in all";
    EXPECT_EQ(CountLinesWith("QuestAnnounceInfluenceLoss"), 1);

    Quest* fame = Start("Fame");
    ASSERT_NE(fame, nullptr);
    EXPECT_EQ(house.statistics.Get(CovenantStat::InfluenceWorld), 100) << "a quarter of 400";
    EXPECT_EQ(CountLinesWith("QuestAnnounceInfluenceGain"), 1);

    game->GetClientLines().clear();
    scandal->Generate(true, nullptr);
    fame->Generate(true, nullptr);
    EXPECT_EQ(house.statistics.Get(CovenantStat::InfluenceWorld), 100);
    EXPECT_EQ(house.statistics.Get(CovenantStat::InfluenceCompetition), 400);
    EXPECT_TRUE(game->GetClientLines().empty());
}

// The guard that breaks free leaves the house for good and fights for nobody; a house without
// guards has nothing to lose and no news.
TEST_F(QuestSetUp, AGuardBreakingFreeLeavesItsHouseWithTheNews)
{
    HouseCovenant& house = House("Ashwick", 0);
    ASSERT_NE(Start("Breakout"), nullptr);
    EXPECT_EQ(CountLinesWith("QuestAnnounceGuardBreaksFree"), 0);

    Actor* guard = Creature("MonsterBear", 900.0f);
    house.Post(2, *guard);
    ASSERT_NE(Start("Breakout"), nullptr);
    EXPECT_EQ(CountLinesWith("QuestAnnounceGuardBreaksFree~<Ashwick's@@>~"), 1);
    EXPECT_EQ(house.GetGuard(2), nullptr);
    EXPECT_EQ(guard->covenantIndex, -1);
    EXPECT_FALSE(guard->guard);
    EXPECT_EQ(game->GetEntity(guard->entityNumber), guard) << "it stays in the world";
}
