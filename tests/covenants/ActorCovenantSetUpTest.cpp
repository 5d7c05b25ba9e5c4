// ActorCovenantSetUpTest -- a rival's set-up by starting level (home, recruits, money, goods, relics), its traits and starting relations, its timers and its step while the world sleeps.
#include "covenants/ActorCovenantWorld.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

#include <algorithm>

class CovenantSetUp : public ActorCovenantWorld {
protected:
    ActorCovenant& SetUpRival(int32_t startingLevel, const char* definition = "CovenantRival")
    {
        ActorCovenant& rival = AddRival(definition);
        host.homePosition = At(1000.0f, 1000.0f);
        rival.Start(startingLevel, 1);
        return rival;
    }

    static int32_t CountActors(const ActorCovenant& rival)
    {
        int32_t count = 0;
        for (int32_t slot = 0; slot < rival.GetRecruitSlots(); ++slot)
            count += rival.GetRecruitActor(slot) ? 1 : 0;
        return count;
    }

    int32_t CountLogged(const std::string& text) const
    {
        std::vector<std::string> lines = Logged();
        return static_cast<int32_t>(
            std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; }));
    }
};

TEST_F(CovenantSetUp, StartingLevelZeroGivesALeaderAloneWithNothing)
{
    ActorCovenant& rival = SetUpRival(0);
    ASSERT_NE(rival.GetHomeEntity(), nullptr);
    EXPECT_EQ(rival.GetHomeEntity()->covenantIndex, rival.index);
    EXPECT_EQ(rival.CountRecruits(), 1);
    ASSERT_NE(rival.GetLeader(), nullptr);
    EXPECT_EQ(rival.GetLeader()->GetStat(CharacterStat::Level), 1);
    EXPECT_EQ(rival.GetMoney(), 0);
    EXPECT_EQ(CountItems(rival, ActorCovenant::kGoodsBag), 0);
    EXPECT_EQ(CountItems(rival, InventoryGroupIndex::House), 0);
    EXPECT_TRUE(std::none_of(host.calls.begin(), host.calls.end(), [](const std::string& c) { return c.rfind("random", 0) == 0; }));
}

TEST_F(CovenantSetUp, StartingLevelFiveGivesRecruitsMoneyStartingItemsAndOneRelic)
{
    ActorCovenant& rival = SetUpRival(5);
    // floor(0.5 x 5) recruits and the leader, each between floor(0.5 x 5 + 0.5) and 5.
    EXPECT_EQ(rival.CountRecruits(), 3);
    EXPECT_EQ(CountActors(rival), 3);
    for (int32_t slot = 0; slot < 3; ++slot) {
        int32_t level = rival.GetRecruitRecord(slot)->GetStat(CharacterStat::Level);
        EXPECT_GE(level, 3) << slot;
        EXPECT_LE(level, 5) << slot;
        EXPECT_EQ(rival.GetRecruitActor(slot)->covenantIndex, rival.index);
    }
    // Only the last made is the leader.
    EXPECT_FALSE(rival.GetRecruitRecord(0)->isHero);
    EXPECT_TRUE(rival.GetRecruitRecord(2)->isHero);
    EXPECT_EQ(rival.GetLeader(), rival.GetRecruitActor(2));
    // floor(5 x 0.5 x (10 + 30) x 0.5 x (2 + 1 x 5)) = 350.
    EXPECT_EQ(rival.GetMoney(), 350);
    // One trinket per recruit; no random item at level 5; floor(0.2 x 5) relic.
    EXPECT_EQ(CountItems(rival, ActorCovenant::kGoodsBag), 3);
    EXPECT_EQ(CountItems(rival, InventoryGroupIndex::House), 1);
    EXPECT_NE(rival.GetRelicDisplay(Covenant::kFirstRelicSlot), nullptr);
    EXPECT_TRUE(std::none_of(host.calls.begin(), host.calls.end(), [](const std::string& c) { return c.rfind("random", 0) == 0; }));
    // The lifestone stands whole.
    EXPECT_GT(rival.GetHomeMaxHealth(), 0);
    EXPECT_EQ(rival.GetHomeHealth(), rival.GetHomeMaxHealth());
}

TEST_F(CovenantSetUp, AboveLevelFiveRandomItemsComeWithTheirSpreadAndRelicsStopAtFour)
{
    host.randomItem = "Trinket";
    SetUpRival(6);
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "random 6 -2 1"), host.calls.end());

    ActorCovenant& strong = SetUpRival(30);
    EXPECT_EQ(CountItems(strong, InventoryGroupIndex::House), 4);
}

TEST_F(CovenantSetUp, RelicDrawsNameTheThreeRelicsByThirds)
{
    const std::pair<float, const char*> cases[] = {{0.0f, "Relic1"}, {0.2f, "Relic1"}, {0.329f, "Relic1"},
                                                   {0.33f, "Relic2"}, {0.5f, "Relic2"}, {0.669f, "Relic2"},
                                                   {0.67f, "Relic3"}, {0.9f, "Relic3"}};
    for (auto [draw, name] : cases)
        EXPECT_STREQ(ActorCovenant::RelicRecordFor(draw), name) << draw;
}

TEST_F(CovenantSetUp, WithoutALeaderThereIsNoMoney)
{
    host.recruitType = nullptr;
    ActorCovenant& rival = SetUpRival(5);
    EXPECT_EQ(rival.CountRecruits(), 0);
    EXPECT_EQ(rival.GetLeader(), nullptr);
    EXPECT_EQ(rival.GetMoney(), 0);
    // The goods come from the recruits; the relic still comes.
    EXPECT_EQ(CountItems(rival, ActorCovenant::kGoodsBag), 0);
    EXPECT_EQ(CountItems(rival, InventoryGroupIndex::House), 1);
}

TEST_F(CovenantSetUp, AMaxMoneyOfZeroIsNoCapOnTheStartingMoney)
{
    LoadRivalRecords("", "MaxMoney 0\n");
    EXPECT_EQ(SetUpRival(5).GetMoney(), 350);
}

TEST_F(CovenantSetUp, TimersTakeTheirSpreadsAndOneWithoutLengthStaysStoppedAndIsNamed)
{
    ActorCovenant& rival = SetUpRival(1);
    const auto& timers = rival.timerSet;
    EXPECT_FLOAT_EQ(timers[ActorCovenant::AdventureTimer].minimum, 75.0f);
    EXPECT_FLOAT_EQ(timers[ActorCovenant::AdventureTimer].maximum, 125.0f);
    EXPECT_FLOAT_EQ(timers[ActorCovenant::RestTimer].minimum, 75.0f);
    EXPECT_FLOAT_EQ(timers[ActorCovenant::ActivityTimer].minimum, 90.0f);
    EXPECT_FLOAT_EQ(timers[ActorCovenant::ActivityTimer].maximum, 110.0f);
    EXPECT_FLOAT_EQ(timers[ActorCovenant::BattleTimer].minimum, 90.0f);
    EXPECT_FLOAT_EQ(timers[ActorCovenant::GuardTimer].maximum, 110.0f);

    ActorCovenant& lazy = SetUpRival(1, "CovenantLazy");
    EXPECT_EQ(CountLogged("TimePerAdventure"), 1);
    EXPECT_EQ(CountLogged("TimeBetweenAdventures"), 1);
    // The adventure starts, but its timer without a length never runs: no battle every step.
    host.clock.seconds = 0.0f;
    lazy.UpdateActivity();
    EXPECT_EQ(lazy.activity, ActorCovenant::Adventuring);
    EXPECT_FALSE(lazy.timerSet[ActorCovenant::AdventureTimer].running);
    EXPECT_FALSE(lazy.timerSet[ActorCovenant::BattleTimer].running);
    EXPECT_FALSE(lazy.timerSet[ActorCovenant::BattleTimer].IsExpired());
}

TEST_F(CovenantSetUp, AFullTableLeavesTheRivalHomelessWithUnspawnedRecruits)
{
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        game.AddEntity(new Entity());
    ActorCovenant& rival = SetUpRival(5);
    EXPECT_EQ(rival.GetHomeEntity(), nullptr);
    EXPECT_EQ(rival.CountRecruits(), 3);
    EXPECT_EQ(CountActors(rival), 0);
    EXPECT_EQ(CountLogged("homeless"), 1);
    // Homeless and leaderless, it still steps.
    rival.Update(0.05f);
}

TEST_F(CovenantSetUp, StartingRelationsComeFromTheDefinitionWithPeaceAndANaturalPull)
{
    LoadRivalRecords("CovenantFriendly\n{\n Type Covenant\n MinDifficultyModifier 1\n MaxDifficultyModifier 1\n"
                " StartingRelation CovenantRival 80\n StartingRelation Human 20\n MaxNaturalHate 2\n NaturalHateMult 1\n"
                " EnemyNaturalHateMult 10\n FriendNaturalHateMult 0\n}\n");
    ActorCovenant& rival = SetUpRival(1);
    ActorCovenant& friendly = SetUpRival(1, "CovenantFriendly");
    friendly.SetTreatyState(rival.index, CovenantTreaty::War);
    friendly.SetUpFirstWorld();
    EXPECT_FLOAT_EQ(friendly.GetRelation(rival.index), 80.0f);
    EXPECT_EQ(friendly.GetTreatyState(rival.index), CovenantTreaty::Peace);
    // The player's covenant comes after the rivals: "Human".
    EXPECT_FLOAT_EQ(friendly.GetRelation(2), 20.0f);
    // A friend pulls nothing; an enemy up to 2 x 10.
    EXPECT_FLOAT_EQ(friendly.naturalHate[static_cast<size_t>(rival.index)], 0.0f);
    EXPECT_GE(friendly.naturalHate[2], 0.0f);
    EXPECT_LT(friendly.naturalHate[2], 20.0f);
    // A definition that names no other gives 50 toward it.
    rival.SetUpFirstWorld();
    EXPECT_FLOAT_EQ(rival.GetRelation(friendly.index), 50.0f);
}

TEST_F(CovenantSetUp, TraitsNamedFirstThenDrawnWithoutRepeatsAndTheyMultiply)
{
    LoadRivalRecords("TraitBoastful\n{\n Type CovenantTrait\n Multiplier 3 2\n}\n"
                "TraitHidden\n{\n Type CovenantTrait\n NoRandom 1\n Multiplier 3 5\n}\n"
                "CovenantTraited\n{\n Type Covenant\n MinDifficultyModifier 1\n MaxDifficultyModifier 1\n NumTraits 4\n"
                " Trait TraitBoastful\n}\n");
    ActorCovenant& rival = SetUpRival(1, "CovenantTraited");
    // Four wanted, but only TraitSteady and TraitBold may be drawn besides the named one.
    ASSERT_EQ(rival.traits.size(), 3u);
    EXPECT_EQ(rival.traits[0].id, gameData.FindCovenantTraitIndex("TraitBoastful"));
    EXPECT_NE(rival.traits[1].id, rival.traits[2].id);
    for (const ActorCovenant::Trait& trait : rival.traits)
        EXPECT_NE(trait.id, gameData.FindCovenantTraitIndex("TraitHidden"));
    EXPECT_EQ(rival.GetTraitId(0), gameData.FindCovenantTraitIndex("TraitBoastful"));
    EXPECT_FLOAT_EQ(rival.GetFloatStat(3), 2.0f);
    EXPECT_FLOAT_EQ(rival.GetFloatStat(4), 1.0f);
    ActorCovenant& plain = SetUpRival(1);
    EXPECT_TRUE(plain.traits.empty());
    EXPECT_FLOAT_EQ(plain.GetFloatStat(3), 1.0f);
}

TEST_F(CovenantSetUp, NothingStepsWhileTheWorldSleepsOrTheCovenantIsGone)
{
    ActorCovenant& rival = SetUpRival(5);
    host.awake = false;
    for (int32_t i = 0; i < 100; ++i)
        rival.Update(0.05f);
    EXPECT_EQ(rival.activity, ActorCovenant::Ready);
    EXPECT_FALSE(rival.timerSet[ActorCovenant::ActivityTimer].running);

    host.awake = true;
    rival.Update(0.05f);
    EXPECT_EQ(rival.activity, ActorCovenant::Adventuring);
    float left = rival.timerSet[ActorCovenant::AdventureTimer].remaining;
    rival.Update(1.0f);
    EXPECT_FLOAT_EQ(rival.timerSet[ActorCovenant::AdventureTimer].remaining, left - 1.0f);

    rival.eliminated = true;
    rival.Update(1.0f);
    EXPECT_FLOAT_EQ(rival.timerSet[ActorCovenant::AdventureTimer].remaining, left - 1.0f);
}
