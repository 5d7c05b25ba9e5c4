// QuestWorldEventsTest -- the world-event step of running quests: its gate and timer, the player-near veto, events forced one by one with their news, supplies, the siege's volleys and the end on success.
#include "server/quests/QuestKindWorld.h"

#include "entities/GameServices.h"
#include "rules/StatPairList.h"

namespace {

constexpr const char* kQuestWorldEventsRecords = R"(
Quiet
{
    Type Quest
    QuestType KillMonsters
    DuplicatesAllowed 1
    UprisingChance 1
}
Watched
{
    Type Quest
    QuestType KillMonsters
    DuplicatesAllowed 1
    MinEventTime 1
    MaxEventTime 2
    NoEventsNearPlayer 1
    PlayerNearDistance 250
    EndChance 1
}
HighWindow
{
    Type Quest
    QuestType KillMonsters
    DuplicatesAllowed 1
    MinEventTime 1
    MaxEventTime 2
    MinEventLevelDiff 3
    MaxEventLevelDiff 5
    EndChance 1
}
Shortage
{
    Type Quest
    QuestType PoisonedSupply
    DuplicatesAllowed 1
    MinEventTime 1
    MaxEventTime 2
    SupplyChangeChance 1
    MultChange 0.5
    MaxMult 1.8
    StartMult 1
    TitleList "SupplyFood"
    TitleList "SupplyAle"
}
Spoiled
{
    Type Quest
    QuestType PoisonedSupply
    DuplicatesAllowed 1
    StartMult 0
    MaxMult 2
    TitleList "SupplyFood"
}
Ending
{
    Type Quest
    QuestType PoisonedSupply
    DuplicatesAllowed 1
    MinEventTime 1
    MaxEventTime 2
    EndChance 1
    SupplyChangeChance 1
    MultChange 0.5
    MaxMult 3
    StartMult 1
    TitleList "SupplyFood"
}
Gatherer
{
    Type Quest
    QuestType LevelQuestItem
    DuplicatesAllowed 1
    MinEventTime 1
    MaxEventTime 2
    NpcGatherRescueChance 1
    EndOnSuccess 1
}
Lost
{
    Type Quest
    QuestType RescueNpc
    HasWorldLevel 1
    DuplicatesAllowed 1
}
Band
{
    Type Quest
    QuestType KillMonsters
    DuplicatesAllowed 1
    MinEventTime 1
    MaxEventTime 2
    GateOutChance 1
    EffectModelName "models/gate.mdl"
}
Sickness
{
    Type Quest
    QuestType Plague
    DuplicatesAllowed 1
    MinEventTime 1
    MaxEventTime 2
    SpreadChance 1
}
Engines
{
    Type Quest
    QuestType Siege
    DuplicatesAllowed 1
    DamageMult 3
}
)";

class WorldEvents : public QuestKindWorld {
protected:
    WorldEvents() { Load(kQuestWorldEventsRecords); }

    // The timer started, then run out: the next step tries the events.
    void Expire(Quest& quest)
    {
        quest.UpdateWorldEvents(0.0f);
        quest.UpdateWorldEvents(5.0f);
    }

    float FoodValue() const
    {
        float food = 0.0f;
        float drink = 0.0f;
        game->GetTradeValues(food, drink);
        return food;
    }
};

} // namespace

TEST_F(WorldEvents, NoEventTimeMeansNoTimerAndNoDraws)
{
    Quest* quiet = Make("Quiet");
    ASSERT_NE(quiet, nullptr);
    uint32_t before = random.GetState(RandomStream::GameData);
    for (int32_t i = 0; i < 10; ++i)
        quiet->UpdateWorldEvents(100.0f);
    EXPECT_EQ(random.GetState(RandomStream::GameData), before);
    EXPECT_FALSE(quiet->eventTimer.running);
}

TEST_F(WorldEvents, AQuestOutsideTheLevelWindowNeverRunsItsTimer)
{
    Quest* high = Make("HighWindow");
    ASSERT_NE(high, nullptr);
    Expire(*high);
    EXPECT_FALSE(high->eventTimer.running);
    EXPECT_FALSE(high->failed) << "its end never came";
}

// A player standing exactly at "PlayerNearDistance" from the target still holds the events back.
TEST_F(WorldEvents, APlayerAtTheNearDistanceHoldsTheEventsBack)
{
    Quest* watched = Make("Watched");
    ASSERT_NE(watched, nullptr);
    Actor* figure = Creature("MonsterWolf", 550.0f);
    watched->target.Set(figure);
    Expire(*watched);
    EXPECT_FALSE(watched->failed) << "250 away is near";
    figure->SetPosition(At(551.0f, 100.0f));
    Expire(*watched);
    EXPECT_TRUE(watched->failed);
}

// The multiplier climbs by its step to its ceiling, the last step capped; the game's food value
// follows, and solving takes it back.
TEST_F(WorldEvents, ASupplyGrowsScarcerUpToItsCeiling)
{
    Quest* shortage = Make("Shortage");
    ASSERT_NE(shortage, nullptr);
    shortage->npcId = 0;
    game->GetClientLines().clear();
    Expire(*shortage);
    EXPECT_FLOAT_EQ(shortage->multiplier, 1.5f);
    EXPECT_FLOAT_EQ(FoodValue(), 1.5f);
    Expire(*shortage);
    EXPECT_FLOAT_EQ(shortage->multiplier, 1.8f) << "capped";
    Expire(*shortage);
    EXPECT_FLOAT_EQ(FoodValue(), 1.8f);
    EXPECT_EQ(CountLinesWith("QuestEventSupplyChange"), 2) << "no change once at the ceiling";
    EXPECT_EQ(CountLinesWith("SupplyFood"), 2);
    shortage->OnSolved(*player);
    EXPECT_FLOAT_EQ(FoodValue(), 1.0f);
}

// A supply that starts at 0 would divide by 0 when it is solved: the game value starts over.
TEST_F(WorldEvents, ASupplyStartingAtZeroComesBackToOne)
{
    Quest* spoiled = Make("Spoiled");
    ASSERT_NE(spoiled, nullptr);
    spoiled->npcId = 0;
    EXPECT_TRUE(spoiled->SetUpKind(nullptr, false));
    EXPECT_FLOAT_EQ(FoodValue(), 0.0f);
    spoiled->OnSolved(*player);
    EXPECT_FLOAT_EQ(FoodValue(), 1.0f);
    spoiled->npcId = 7;
    spoiled->SetSupplyMultiplier(1.0f, 1.5f);
    float food = 0.0f;
    float drink = 0.0f;
    game->GetTradeValues(food, drink);
    EXPECT_FLOAT_EQ(drink, 1.5f) << "a choice outside the list names no food";
}

TEST_F(WorldEvents, AnEventThatEndsTheQuestStopsTheRest)
{
    Quest* ending = Make("Ending");
    ASSERT_NE(ending, nullptr);
    ending->npcId = 0;
    Expire(*ending);
    EXPECT_TRUE(ending->failed);
    EXPECT_FLOAT_EQ(ending->multiplier, 1.0f) << "the supply change after the end never ran";
}

// Gather Rescue runs only at success 0 and takes it to -1, which keeps EndOnSuccess away.
TEST_F(WorldEvents, AGatherRescueDrivesSuccessBelowZero)
{
    Quest* gatherer = Make("Gatherer");
    ASSERT_NE(gatherer, nullptr);
    size_t before = quests().GetList().size();
    Expire(*gatherer);
    EXPECT_EQ(gatherer->success, -1);
    EXPECT_EQ(quests().GetList().size(), before + 1) << "a rescue started";
    Expire(*gatherer);
    EXPECT_EQ(gatherer->success, -1) << "not again below 0";
    EXPECT_FALSE(gatherer->failed);
}

TEST_F(WorldEvents, AGroupGatesOutOfTheWorldWithItsNews)
{
    Quest* band = Make("Band");
    ASSERT_NE(band, nullptr);
    Actor* leader = Creature("MonsterWolf", 500.0f);
    Actor* member = Creature("MonsterWolf", 550.0f);
    band->target.Set(leader);
    band->AddGroupMember(member);
    game->GetClientLines().clear();
    Expire(*band);
    EXPECT_TRUE(band->hidden);
    EXPECT_EQ(leader->position.level, -1);
    EXPECT_EQ(member->position.level, -1);
    EXPECT_EQ(CountLinesWith("$$QuestEventGateOut$$"), 1);
}

TEST_F(WorldEvents, APlagueSpreadsToEachLivingCarrierOnce)
{
    Quest* sickness = Make("Sickness");
    ASSERT_NE(sickness, nullptr);
    game->GetClientLines().clear();
    Expire(*sickness);
    ASSERT_EQ(sickness->members.size(), 1u) << "the only candidate is the player";
    EXPECT_EQ(sickness->members[0].victim.Get(), player);
    EXPECT_EQ(CountLinesWith("QuestEventSpread"), 1);
    Expire(*sickness);
    EXPECT_EQ(sickness->members.size(), 1u) << "no second time";
}

// Each volley multiplies a copy of the attacker's damage: ten volleys leave it as it was.
TEST_F(WorldEvents, EverySiegeVolleyLeavesTheEnginesDamageAlone)
{
    Quest* siege = Make("Engines");
    ASSERT_NE(siege, nullptr);
    Actor* engine = Creature("MonsterEngine", 500.0f);
    engine->RecalculateStats(true);
    siege->AddGroupMember(engine);
    int32_t low = 0;
    int32_t high = 0;
    engine->GetDamageList().SumRange(low, high);
    ASSERT_GT(high, 0);
    for (int32_t volley = 0; volley < 10; ++volley)
        siege->FireSiegeProjectiles();
    int32_t lowAfter = 0;
    int32_t highAfter = 0;
    engine->GetDamageList().SumRange(lowAfter, highAfter);
    EXPECT_EQ(lowAfter, low);
    EXPECT_EQ(highAfter, high);
}
