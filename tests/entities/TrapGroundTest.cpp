// TrapGroundTest -- ground plates: who sets them off and how often they look, one attempt by nearness, named triggers, the plate's level for the disarm chance, removal once the trap is over, and a quest's plate counted once.
#include "entities/CombatWorld.h"
#include "entities/Trap.h"
#include "entities/TrapGround.h"

#include "core/SafePointer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr const char* kPlateRecords = R"(
PlateCertain
{
    Type Trap
    ThinkTime 2
    MaxTouchTime 0
    TriggerDistance 50
    TriggerChance 1
    DudChance 1
    TriggerSound "sounds/click.wav"
}
PlateMissing
{
    Type Trap
    ThinkTime 0.5
    TriggerDistance 50
    TriggerChance 0
}
PlateNamed
{
    Type Trap
    ThinkTime 0.5
    TriggerDistance 0
    TriggerChance 1
    DudChance 1
    TriggerName "NorthLever"
    TriggerSound "sounds/click.wav"
}
PlateSlow
{
    Type Trap
    ThinkTime 0.5
    TriggerDistance 50
    TriggerChance 1
    ShortDelayMin 2
    ShortDelayMax 2
    GroundTrapDelayMult 0.5
    TrapSound "sounds/twang.wav"
}
)";

class GroundTrapPlate : public CombatWorld {
protected:
    void SetUp() override
    {
        LoadCombat(kPlateRecords);
        Trap::RegisterEventClass(events, types);
        player = Spawn<CombatDummySentient>(500.0f, 500.0f);
        game.players.push_back(player);
    }

    // A sentient whose stats the test sets, standing in for a player.
    class CombatDummySentient : public Sentient {
    public:
        int32_t GetStat(int32_t stat) const override { return stat == CharacterStat::DisarmTrap ? disarm : 0; }
        void OnTrapDisarmed(int32_t level) override { disarmedLevel = level; }
        int32_t disarm = 0;
        int32_t disarmedLevel = -1;
    };

    TrapGround* Plate(const char* record, float x = 100.0f, float y = 100.0f, int32_t level = 1)
    {
        auto* plate = new TrapGround();
        plate->SetEntry(database.FindEntryByName(record));
        plate->SetLevel(level);
        plate->ArmTrap();
        plate->SetPosition(At(x, y));
        EXPECT_NE(game.AddEntity(plate), -1);
        return plate;
    }

    // The plate's step, then the game's; false once the plate has left the table.
    bool Run(const SafePointer& plate, float seconds)
    {
        int32_t steps = static_cast<int32_t>(seconds / FakeGameServices::kStep + 0.5f);
        for (int32_t i = 0; i < steps && plate; ++i) {
            plate.GetAs<TrapGround>()->Update(FakeGameServices::kStep);
            game.Step();
        }
        return static_cast<bool>(plate);
    }

    int32_t CountSounds(const std::string& name) const
    {
        return static_cast<int32_t>(std::count_if(game.worldEvents.begin(), game.worldEvents.end(),
                                                  [&](const WorldEventRequest& r) { return r.name == name; }));
    }

    CombatDummySentient* player = nullptr;
};

} // namespace

TEST_F(GroundTrapPlate, APlayerWithinReachSetsItOffAndTheSpentPlateGoes)
{
    TrapGround* plate = Plate("PlateCertain");
    SafePointer watch(plate);
    EXPECT_TRUE(Run(watch, 3.0f)) << "nobody near";
    EXPECT_FALSE(plate->IsTriggered());
    player->SetPosition(At(140.0f, 100.0f));
    EXPECT_FALSE(Run(watch, 3.0f));
    EXPECT_EQ(CountSounds("sounds/click.wav"), 1);
}

TEST_F(GroundTrapPlate, ReachIsStrictlyLessThanTheTriggerDistance)
{
    TrapGround* plate = Plate("PlateCertain");
    SafePointer watch(plate);
    player->SetPosition(At(150.0f, 100.0f));
    Run(watch, 3.0f);
    EXPECT_FALSE(plate->IsTriggered());
}

TEST_F(GroundTrapPlate, AMissedChanceLeavesItTriggeredAndNeverTriedByNearnessAgain)
{
    TrapGround* plate = Plate("PlateMissing");
    SafePointer watch(plate);
    player->SetPosition(At(110.0f, 100.0f));
    EXPECT_TRUE(Run(watch, 5.0f));
    EXPECT_TRUE(plate->IsTriggered());
    EXPECT_FALSE(plate->GetTrap()->IsTriggered());
    EXPECT_EQ(game.CountScheduledActions(), 0);
}

TEST_F(GroundTrapPlate, WithoutReachOnlyItsNamedTriggerSetsItOff)
{
    TrapGround* plate = Plate("PlateNamed");
    SafePointer watch(plate);
    player->SetPosition(At(100.0f, 100.0f));
    EXPECT_TRUE(Run(watch, 3.0f));
    EXPECT_FALSE(plate->IsTriggered());
    plate->OnNamedTrigger(player, "SouthLever");
    plate->OnNamedSignal(player, "");
    EXPECT_FALSE(plate->IsTriggered());
    plate->OnNamedTrigger(player, "northlever");
    EXPECT_TRUE(plate->IsTriggered());
    EXPECT_FALSE(Run(watch, 1.0f));
    EXPECT_EQ(CountSounds("sounds/click.wav"), 1);
}

TEST_F(GroundTrapPlate, AnUnnamedPlateAnswersNoTriggerEvenANamelessOne)
{
    TrapGround* plate = Plate("PlateMissing");
    plate->OnNamedSignal(player, "");
    EXPECT_FALSE(plate->IsTriggered());
}

TEST_F(GroundTrapPlate, TheThinkIntervalLiesWithinATenthOfItsTime)
{
    float low = 10.0f;
    float high = 0.0f;
    for (int32_t i = 0; i < 300; ++i) {
        TrapGround* plate = Plate("PlateCertain", 100.0f + static_cast<float>(i), 100.0f);
        plate->Update(FakeGameServices::kStep);
        float drawn = plate->GetThinkTimer().total;
        low = std::min(low, drawn);
        high = std::max(high, drawn);
        game.RemoveEntity(plate);
        delete plate;
    }
    EXPECT_GE(low, 1.8f);
    EXPECT_LE(high, 2.2f);
    EXPECT_LT(low, 1.85f) << "the draw spans the interval";
    EXPECT_GT(high, 2.15f);
}

TEST_F(GroundTrapPlate, ThePlatesLevelIsTheTrapsLevelForTheDisarmChance)
{
    TrapGround* plate = Plate("PlateSlow", 100.0f, 100.0f, 7);
    EXPECT_EQ(plate->GetStat(TrapGround::kLevelStat), 7);
    EXPECT_EQ(plate->GetStat(CharacterStat::Level), 0);
    player->disarm = 17;
    player->SetPosition(At(110.0f, 100.0f));
    SafePointer watch(plate);
    EXPECT_FALSE(Run(watch, 1.0f)) << "a disarmed plate removes itself";
    EXPECT_EQ(player->disarmedLevel, 7);
    EXPECT_EQ(CountSounds("sounds/twang.wav"), 0);
}

TEST_F(GroundTrapPlate, ItsTrapWaitsTheGroundShareOfTheDelay)
{
    TrapGround* plate = Plate("PlateSlow");
    EXPECT_TRUE(plate->GetTrap()->groundTrap);
    player->SetPosition(At(110.0f, 100.0f));
    SafePointer watch(plate);
    Run(watch, 0.1f);
    ASSERT_TRUE(plate->GetTrap()->IsTriggered());
    Run(watch, 0.9f);
    EXPECT_EQ(CountSounds("sounds/twang.wav"), 0);
    EXPECT_FALSE(Run(watch, 0.2f));
    EXPECT_EQ(CountSounds("sounds/twang.wav"), 1);
}

TEST_F(GroundTrapPlate, AnUnarmedPlateRemovesItself)
{
    auto* plate = new TrapGround();
    plate->SetEntry(database.FindEntryByName("PlateCertain"));
    game.AddEntity(plate);
    SafePointer watch(plate);
    EXPECT_FALSE(Run(watch, 0.2f));
}

TEST_F(GroundTrapPlate, AQuestPlateCountsOnceForItsQuest)
{
    TrapGround* plate = Plate("PlateCertain");
    plate->SetQuestPlate(true, false);
    player->disarm = 100;
    player->SetPosition(At(110.0f, 100.0f));
    SafePointer watch(plate);
    Run(watch, FakeGameServices::kStep);
    ASSERT_TRUE(plate->GetTrap()->IsSpent());
    std::string notice = "townTrap " + std::to_string(plate->entityNumber);
    // Steps of the plate may come before its deletion is delivered.
    plate->Update(FakeGameServices::kStep);
    plate->Update(FakeGameServices::kStep);
    EXPECT_FALSE(Run(watch, 0.2f));
    EXPECT_EQ(std::count(game.hooks.begin(), game.hooks.end(), notice), 1);
}

TEST_F(GroundTrapPlate, AnOrdinaryPlateTellsNoQuest)
{
    TrapGround* plate = Plate("PlateCertain");
    player->SetPosition(At(110.0f, 100.0f));
    SafePointer watch(plate);
    EXPECT_FALSE(Run(watch, 1.0f));
    EXPECT_TRUE(std::none_of(game.hooks.begin(), game.hooks.end(),
                             [](const std::string& hook) { return hook.rfind("townTrap", 0) == 0; }));
}

TEST_F(GroundTrapPlate, APlateForAnyoneTakesTheFirstLivingOneNear)
{
    TrapGround* plate = Plate("PlateCertain");
    plate->SetQuestPlate(false, true);
    auto* corpse = Dummy(110.0f, 100.0f, 10);
    corpse->health = 0;
    SafePointer watch(plate);
    EXPECT_TRUE(Run(watch, 3.0f)) << "the dead set nothing off";
    EXPECT_FALSE(plate->IsTriggered());
    CombatDummy* walker = Dummy(120.0f, 100.0f, 10);
    Run(watch, 0.1f);
    EXPECT_FALSE(Run(watch, 2.5f));
    EXPECT_EQ(CountSounds("sounds/click.wav"), 1);
    EXPECT_NE(walker->entityNumber, -1);
}

TEST_F(GroundTrapPlate, ItsSpawnWordIsItsLevelAndItsPlacementArmsItOnce)
{
    auto* plate = new TrapGround();
    plate->SetEntry(database.FindEntryByName("PlateSlow"));
    plate->SetSpawnTag(6);
    EXPECT_EQ(plate->GetStat(TrapGround::kLevelStat), 6);
    EXPECT_EQ(plate->GetTrap(), nullptr) << "armed by its placement step, not before";
    plate->SetPosition(At(100.0f, 100.0f));
    ASSERT_NE(game.AddEntity(plate), -1);
    plate->OnPlaced();
    Trap* armed = plate->GetTrap();
    ASSERT_NE(armed, nullptr);
    EXPECT_TRUE(armed->groundTrap);
    plate->OnPlaced();
    EXPECT_EQ(plate->GetTrap(), armed) << "a second placement keeps the trap it has";
}

TEST_F(GroundTrapPlate, ASentientEngagedOnlyWithAPlateIsNotInCombat)
{
    TrapGround* plate = Plate("PlateNamed", 120.0f, 100.0f);
    auto* other = Spawn<CombatDummySentient>(130.0f, 100.0f);
    EXPECT_TRUE(plate->IsTrap());
    EXPECT_FALSE(other->IsTrap());
    player->SetPosition(At(110.0f, 100.0f));
    player->AddEngaged(plate);
    EXPECT_FALSE(player->IsEngaged(false, false, false, 0.0f));
    player->AddEngaged(other);
    EXPECT_TRUE(player->IsEngaged(false, false, false, 0.0f));
}
