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
Onslaught
{
    Type Quest
    QuestType TownAttack
    MinCount 2
    MaxCount 2
    DuplicatesAllowed 1
}
Missing
{
    Type Quest
    QuestType RescueNpc
    DuplicatesAllowed 1
}
Pack
{
    Type Quest
    QuestType KillMonsterGroup
    DuplicatesAllowed 1
}
Vengeance
{
    Type Quest
    QuestType Revenge
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

    // A quest read back from a save: its stored choices stand and only its set-up runs again.
    Quest* Restored(const char* name, const char* targetType)
    {
        Quest* quest = Make(name);
        quest->QuestBase::target = gameData.FindMonsterType(targetType);
        quest->targetLevel = 1;
        return quest;
    }
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

// A town attack read back after its gate fell (health fraction 0) brings no new gate, but its
// band comes again; one whose gate still stood brings the gate back as its target.
TEST_F(QuestSetUp, ARestoredTownAttackBringsItsGateOnlyWhileTheGateStood)
{
    Quest* fallen = Restored("Onslaught", "MonsterWolf");
    fallen->spawnPosition = At(800.0f, 800.0f);
    fallen->targetHealthFraction = 0.0f;
    fallen->Generate(true, nullptr);
    EXPECT_FALSE(fallen->ended);
    EXPECT_EQ(CountActorsOfType("MonsterTownAttackGate"), 0);
    EXPECT_EQ(CountActorsOfType("MonsterWolf"), 2);
    EXPECT_EQ(fallen->spawnedCount, 2);

    Quest* standing = Restored("Onslaught", "MonsterWolf");
    standing->spawnPosition = At(800.0f, 800.0f);
    standing->targetHealthFraction = 0.5f;
    standing->Generate(true, nullptr);
    ASSERT_NE(standing->target.GetAs<Actor>(), nullptr);
    EXPECT_EQ(CountActorsOfType("MonsterTownAttackGate"), 1);
    EXPECT_TRUE(standing->target.GetAs<Actor>()->questFigure);
}

// What a finished quest put into the world is not put there again: a complete rescue brings no
// lost traveller, a band whose every member fell brings none; an open one does.
TEST_F(QuestSetUp, AFinishedQuestRestoredSpawnsNothingAndAnOpenOneItsFigures)
{
    Quest* rescued = Restored("Missing", "MonsterWolf");
    rescued->progress = rescued->count;
    rescued->Generate(true, nullptr);
    EXPECT_EQ(CountActorsOfType("NpcRescueClassBeast"), 0);
    Quest* lost = Restored("Missing", "MonsterWolf");
    lost->Generate(true, nullptr);
    ASSERT_EQ(CountActorsOfType("NpcRescueClassBeast"), 1);
    EXPECT_TRUE(lost->target.GetAs<Actor>()->questFlag4);

    Quest* broken = Restored("Pack", "MonsterWolf");
    const MonsterType* wolf = gameData.FindMonsterType("MonsterWolf");
    const MonsterType* bear = gameData.FindMonsterType("MonsterBear");
    broken->goals = {QuestGoal{1, 1, wolf, 0}, QuestGoal{1, 1, bear, 0}};
    broken->Generate(true, nullptr);
    EXPECT_EQ(CountActorsOfType("MonsterWolf") + CountActorsOfType("MonsterBear"), 0);
    Quest* band = Restored("Pack", "MonsterWolf");
    band->goals = {QuestGoal{0, 1, wolf, 0}, QuestGoal{0, 1, bear, 0}};
    band->Generate(true, nullptr);
    EXPECT_EQ(CountActorsOfType("MonsterWolf"), 1);
    EXPECT_EQ(CountActorsOfType("MonsterBear"), 1);
}

// A revenge brings its avenger and the killer it hunts; one grown out of another quest finds the
// killer there already and brings no second.
TEST_F(QuestSetUp, ARevengeBringsItsKillerUnlessItGrewOutOfTheQuestThatHasIt)
{
    Quest* first = Restored("Vengeance", "MonsterWolf");
    first->Generate(true, nullptr);
    EXPECT_EQ(CountActorsOfType("NpcRevengeClassBeast"), 1);
    EXPECT_EQ(CountActorsOfType("MonsterWolf"), 1);

    Quest* derived = Restored("Vengeance", "MonsterWolf");
    derived->derived = true;
    derived->Generate(true, nullptr);
    EXPECT_EQ(CountActorsOfType("NpcRevengeClassBeast"), 2);
    EXPECT_EQ(CountActorsOfType("MonsterWolf"), 1) << "no second tormentor";
}
