// TrapTest -- a trap's way from armed to spent: trigger chance, the one disarm chance, duds, delays, each kind of skill, alarms, sounds and effects, and a trap destroyed with its events still pending.
#include "entities/CombatWorld.h"
#include "entities/Projectile.h"
#include "entities/Skill.h"
#include "entities/Torch.h"
#include "entities/Trap.h"

#include "core/Event.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kTrapRecords = R"(
Dart
{
    Type Projectile
    ProjectileType Normal
    Speed 200
}
SkillTrapDart
{
    Type Skill
    NeedsEnemy 1
    Projectile Dart
    ProjMinDamage 4
    ProjMaxDamage 4
}
SkillTrapGust
{
    Type Skill
    WindDistance 150
    WindPower 6
}
SkillTrapAmbush
{
    Type Skill
    MonstersToSpawn 2
}
SkillTrapSlam
{
    Type Skill
    ShutDoorDistance 120
}
DartTrap
{
    Type Trap
    TriggerChance 1
    TriggerSound "sounds/click.wav"
    DisarmSound "sounds/disarm.wav"
    TrapSound "sounds/twang.wav"
    TrapEffect "effects/puff.mdl"
    ShortDelayMin 2
    ShortDelayMax 2
    LongDelayMin 6
    LongDelayMax 6
    GroundTrapDelayMult 0.5
    Skill SkillTrapDart
}
LongTrap
{
    Type Trap
    TriggerChance 1
    ShortDelayMin 2
    ShortDelayMax 2
    LongDelayMin 6
    LongDelayMax 6
    LongDelayChance 1
    TrapSound "sounds/twang.wav"
}
DudTrap
{
    Type Trap
    TriggerChance 1
    DudChance 1
    TriggerSound "sounds/click.wav"
    TrapSound "sounds/twang.wav"
}
QuietDudTrap
{
    Type Trap
    TriggerChance 1
    DudChance 1
    Silent 1
    TriggerSound "sounds/click.wav"
}
NeverTrap
{
    Type Trap
    TriggerChance 0
}
GustTrap
{
    Type Trap
    TriggerChance 1
    Skill SkillTrapGust
}
AmbushTrap
{
    Type Trap
    TriggerChance 1
    Skill SkillTrapAmbush
}
SlamTrap
{
    Type Trap
    TriggerChance 1
    Skill SkillTrapSlam
}
AlarmTrap
{
    Type Trap
    TriggerChance 1
    AlarmChance 1
    AlarmRange 100
    AlarmSound "sounds/bell.wav"
}
NamelessSkillTrap
{
    Type Trap
    TriggerChance 1
    TrapSound "sounds/twang.wav"
    Skill SkillNobodyWrote
}
WindyTorch
{
    MaxWind 5
}
StormTorch
{
    MaxWind 8
}
StillTorch
{
}
)";

// A trap victim or bystander that writes down what traps tell it.
class TrapDummy : public CombatDummy {
public:
    void OnTrapDisarmed(int32_t level) override { told.push_back("disarmed " + std::to_string(level)); }
    void ShutByTrap() override { told.push_back("shut"); }
};

// A listener of "HeardSound" that keeps whom the sound named.
class TrapHearer : public TrapDummy {
public:
    EventClass* GetEventClass() const override { return table; }
    void OnHeard(Event& event) { heardFrom.push_back(event.ReadEntity()); }

    static EventClass* table;
    std::vector<SafeClass*> heardFrom;
};
EventClass* TrapHearer::table = nullptr;

class TrapLogic : public CombatWorld {
protected:
    void SetUp() override
    {
        LoadCombat(kTrapRecords);
        Trap::RegisterEventClass(events, types);
        TrapHearer::table = types.RegisterType("TrapHearer", "Entity", nullptr, nullptr);
        Listener::Subscribe(TrapHearer::table, events.RegisterEvent("HeardSound"), &TrapHearer::OnHeard);
        chest = Spawn<TrapDummy>(100.0f, 100.0f);
        chest->statValues[10] = 4;
        victim = Spawn<TrapDummy>(130.0f, 100.0f);
        victim->maxHealth = victim->health = 50;
    }

    std::unique_ptr<Trap> Arm(const char* record, bool ground = false)
    {
        auto trap = std::make_unique<Trap>();
        trap->SetOwner(chest);
        trap->groundTrap = ground;
        trap->Load(database.FindEntryByName(record));
        return trap;
    }

    int32_t CountSounds(const std::string& name) const
    {
        return static_cast<int32_t>(std::count_if(game.worldEvents.begin(), game.worldEvents.end(),
                                                  [&](const WorldEventRequest& r) { return r.name == name; }));
    }

    // Steps until the sound is first queued; -1 when it is not within the steps.
    int32_t StepsUntilSound(const std::string& name, int32_t limit)
    {
        for (int32_t step = 1; step <= limit; ++step) {
            game.Step();
            if (CountSounds(name) > 0)
                return step;
        }
        return -1;
    }

    int32_t CountEntitiesOf(bool (*test)(const Entity&)) const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            count += game.GetEntity(i) && test(*game.GetEntity(i)) ? 1 : 0;
        return count;
    }

    Entity* FindEntityOf(bool (*test)(const Entity&)) const
    {
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            if (Entity* entity = game.GetEntity(i); entity && test(*entity))
                return entity;
        return nullptr;
    }

    TrapDummy* chest = nullptr;
    TrapDummy* victim = nullptr;
};

} // namespace

// ---- Triggering --------------------------------------------------------------------------------

TEST_F(TrapLogic, CertainChanceTriggersOnTheFirstAttemptAndNotAgainOnceTriggered)
{
    auto trap = Arm("DudTrap");
    trap->TryTrigger(victim, 0.0f);
    EXPECT_EQ(game.CountPendingActions(), 1);
    game.Step();
    EXPECT_TRUE(trap->IsTriggered());
    EXPECT_EQ(CountSounds("sounds/click.wav"), 1);
    trap->TryTrigger(victim, 0.0f);
    game.StepFor(1.0f);
    EXPECT_EQ(CountSounds("sounds/click.wav"), 1) << "a triggered trap clicks once";
}

TEST_F(TrapLogic, ANewAttemptBeforeTheTriggerReplacesTheWaitingOne)
{
    auto trap = Arm("DudTrap");
    Entity* other = Spawn<TrapDummy>(90.0f, 100.0f);
    trap->TryTrigger(victim, 5.0f);
    trap->TryTrigger(other, 5.0f);
    EXPECT_EQ(game.CountPendingActions(), 1);
    EXPECT_EQ(trap->GetVictim(), other);
}

TEST_F(TrapLogic, NoChanceNoVictimOrNoGameMeansNoTrigger)
{
    auto never = Arm("NeverTrap");
    for (int32_t i = 0; i < 50; ++i)
        never->TryTrigger(victim, 0.0f);
    auto certain = Arm("DudTrap");
    certain->TryTrigger(nullptr, 0.0f);
    EXPECT_EQ(game.CountScheduledActions(), 0);
}

TEST_F(TrapLogic, TheTriggerFallsWithinTheDelayGiven)
{
    for (int32_t round = 0; round < 20; ++round) {
        auto trap = Arm("DudTrap");
        game.worldEvents.clear();
        trap->TryTrigger(victim, 1.0f);
        int32_t steps = StepsUntilSound("sounds/click.wav", 40);
        ASSERT_GE(steps, 1);
        EXPECT_LE(steps, 21) << "a fraction of one second, plus the step it is first counted in";
    }
}

TEST_F(TrapLogic, WithoutAnOwnerTheTriggerDoesNothing)
{
    auto trap = std::make_unique<Trap>();
    trap->Load(database.FindEntryByName("DudTrap"));
    trap->TryTrigger(victim, 0.0f);
    game.Step();
    EXPECT_FALSE(trap->IsTriggered());
    EXPECT_FALSE(trap->IsSpent());
}

// ---- Disarming -----------------------------------------------------------------------------------

TEST_F(TrapLogic, AVictimWithoutTheSkillNeverDisarms)
{
    for (int32_t i = 0; i < 200; ++i)
        EXPECT_FALSE(Arm("DartTrap")->TryDisarm(victim));
    EXPECT_TRUE(victim->told.empty());
}

TEST_F(TrapLogic, TenAboveTheTrapsLevelAlwaysDisarmsAndTheVictimHearsTheLevel)
{
    victim->statValues[CharacterStat::DisarmTrap] = 14;
    auto trap = Arm("DartTrap");
    trap->TryTrigger(victim, 0.0f);
    game.Step();
    EXPECT_TRUE(trap->IsSpent());
    EXPECT_FALSE(trap->IsTriggered());
    EXPECT_EQ(CountSounds("sounds/disarm.wav"), 1);
    EXPECT_EQ(CountSounds("sounds/click.wav"), 0);
    EXPECT_EQ(victim->told, (std::vector<std::string>{"disarmed 4"}));
    game.StepFor(10.0f);
    EXPECT_EQ(CountSounds("sounds/twang.wav"), 0) << "a disarmed trap never fires";
}

TEST_F(TrapLogic, EvenSkillDisarmsAboutHalfTheTime)
{
    victim->statValues[CharacterStat::DisarmTrap] = 4;
    int32_t disarmed = 0;
    for (int32_t i = 0; i < 2000; ++i)
        disarmed += Arm("DartTrap")->TryDisarm(victim) ? 1 : 0;
    EXPECT_NEAR(disarmed, 1000, 100);
    EXPECT_FALSE(Arm("DartTrap")->TryDisarm(nullptr));
}

// ---- Duds and delays ----------------------------------------------------------------------------

TEST_F(TrapLogic, ADudClicksAndIsSpentWithoutFiring)
{
    auto trap = Arm("DudTrap");
    trap->TryTrigger(victim, 0.0f);
    game.StepFor(5.0f);
    EXPECT_TRUE(trap->IsTriggered());
    EXPECT_TRUE(trap->IsSpent());
    EXPECT_EQ(CountSounds("sounds/click.wav"), 1);
    EXPECT_EQ(CountSounds("sounds/twang.wav"), 0);
}

TEST_F(TrapLogic, ASilentTrapDoesNotClick)
{
    auto trap = Arm("QuietDudTrap");
    trap->TryTrigger(victim, 0.0f);
    game.Step();
    EXPECT_TRUE(trap->IsTriggered());
    EXPECT_EQ(CountSounds("sounds/click.wav"), 0);
}

TEST_F(TrapLogic, ShortLongAndGroundDelays)
{
    // Trigger in the first step, then the drawn delay in whole steps.
    auto plain = Arm("DartTrap");
    plain->TryTrigger(victim, 0.0f);
    EXPECT_EQ(StepsUntilSound("sounds/twang.wav", 400), 1 + 40);

    game.worldEvents.clear();
    auto ground = Arm("DartTrap", true);
    ground->TryTrigger(victim, 0.0f);
    EXPECT_EQ(StepsUntilSound("sounds/twang.wav", 400), 1 + 20) << "half the delay on the ground";

    game.worldEvents.clear();
    auto slow = Arm("LongTrap");
    slow->TryTrigger(victim, 0.0f);
    EXPECT_EQ(StepsUntilSound("sounds/twang.wav", 400), 1 + 120);
}

// ---- What fires ----------------------------------------------------------------------------------

TEST_F(TrapLogic, AMissileKeepsTheTrapFiredUntilItIsGone)
{
    auto trap = Arm("DartTrap");
    ASSERT_NE(trap->GetSkill(), nullptr);
    trap->TryTrigger(victim, 0.0f);
    game.StepFor(2.05f);
    auto isMissile = [](const Entity& e) { return e.IsProjectile(); };
    ASSERT_EQ(CountEntitiesOf(isMissile), 1);
    Entity* missile = FindEntityOf(isMissile);
    EXPECT_TRUE(trap->HasFired());
    EXPECT_FALSE(trap->IsSpent());
    EXPECT_FALSE(trap->IsOver());
    EXPECT_EQ(CountEntitiesOf([](const Entity& e) { return e.spareAfterDelete; }), 1)
        << "the trap's effect stands beside the missile";
    game.RemoveEntity(missile);
    delete missile;
    EXPECT_TRUE(trap->IsOver());
    EXPECT_FALSE(trap->IsSpent());
}

TEST_F(TrapLogic, TheEffectStandsForFiveSeconds)
{
    auto trap = Arm("DartTrap");
    trap->TryTrigger(victim, 0.0f);
    game.StepFor(2.05f);
    auto isEffect = [](const Entity& e) { return e.spareAfterDelete; };
    EXPECT_EQ(CountEntitiesOf(isEffect), 1);
    game.StepFor(4.9f);
    EXPECT_EQ(CountEntitiesOf(isEffect), 1);
    game.StepFor(0.2f);
    EXPECT_EQ(CountEntitiesOf(isEffect), 0);
}

TEST_F(TrapLogic, AGustPutsOutTheTorchesItIsStrongEnoughFor)
{
    auto* weak = Spawn<Torch>(150.0f, 100.0f);
    weak->Load(database.FindEntryByName("WindyTorch"));
    auto* strong = Spawn<Torch>(150.0f, 120.0f);
    strong->Load(database.FindEntryByName("StormTorch"));
    auto* calm = Spawn<Torch>(110.0f, 100.0f);
    calm->Load(database.FindEntryByName("StillTorch"));
    auto* far = Spawn<Torch>(300.0f, 100.0f);
    far->Load(database.FindEntryByName("WindyTorch"));
    auto trap = Arm("GustTrap");
    trap->TryTrigger(victim, 0.0f);
    game.Step();
    game.Step();
    EXPECT_NE(std::find(game.hooks.begin(), game.hooks.end(), "wind 100 100 150 6"), game.hooks.end());
    EXPECT_FALSE(weak->IsLit());
    EXPECT_TRUE(strong->IsLit());
    EXPECT_TRUE(calm->IsLit()) << "wind means nothing to a torch without MaxWind";
    EXPECT_TRUE(far->IsLit());
    EXPECT_TRUE(trap->IsSpent());
}

TEST_F(TrapLogic, AnAmbushBringsTheSkillsMonstersAgainstTheVictim)
{
    std::vector<Entity*> made;
    game.monsterMaker = [&](const DatabaseEntry*, const DatabaseEntry*, int32_t, int32_t) -> Entity* {
        made.push_back(new TrapDummy());
        return made.back();
    };
    auto trap = Arm("AmbushTrap");
    trap->TryTrigger(victim, 0.0f);
    game.Step();
    game.Step();
    ASSERT_EQ(made.size(), 2u);
    for (Entity* monster : made) {
        EXPECT_NE(monster->entityNumber, -1);
        EXPECT_LT(Vector2Length(monster->position.DeltaTo(chest->position)), 7 * 32.0f);
    }
    EXPECT_TRUE(trap->IsSpent());
}

TEST_F(TrapLogic, ASlamShutsTheDoorsWithinItsReach)
{
    auto* nearDoor = Spawn<TrapDummy>(200.0f, 100.0f);
    auto* farDoor = Spawn<TrapDummy>(260.0f, 100.0f);
    auto trap = Arm("SlamTrap");
    trap->TryTrigger(victim, 0.0f);
    game.Step();
    game.Step();
    EXPECT_EQ(nearDoor->told, (std::vector<std::string>{"shut"}));
    EXPECT_TRUE(farDoor->told.empty());
}

TEST_F(TrapLogic, TheAlarmCallsTheLivingWithinRangeToTheVictim)
{
    auto* near = Spawn<TrapHearer>(150.0f, 100.0f);
    near->maxHealth = near->health = 10;
    auto* dead = Spawn<TrapHearer>(160.0f, 100.0f);
    dead->maxHealth = 10;
    dead->health = 0;
    auto* far = Spawn<TrapHearer>(250.0f, 100.0f);
    far->maxHealth = far->health = 10;
    auto trap = Arm("AlarmTrap");
    trap->TryTrigger(victim, 0.0f);
    game.Step();
    game.Step();
    EXPECT_EQ(CountSounds("sounds/bell.wav"), 1);
    EXPECT_EQ(near->heardFrom, (std::vector<SafeClass*>{victim}));
    EXPECT_TRUE(dead->heardFrom.empty());
    EXPECT_TRUE(far->heardFrom.empty());
}

// ---- Faults that must stay harmless --------------------------------------------------------------

TEST_F(TrapLogic, ASkillNameWithoutADefinitionFiresNothing)
{
    auto trap = Arm("NamelessSkillTrap");
    EXPECT_EQ(trap->GetSkill(), nullptr);
    trap->TryTrigger(victim, 0.0f);
    game.Step();
    game.Step();
    EXPECT_EQ(CountSounds("sounds/twang.wav"), 1);
    EXPECT_TRUE(trap->IsSpent());
    EXPECT_EQ(CountEntitiesOf([](const Entity& e) { return e.IsProjectile(); }), 0);
}

TEST_F(TrapLogic, AVictimGoneBeforeActivationGetsNoMissile)
{
    auto trap = Arm("DartTrap");
    trap->TryTrigger(victim, 0.0f);
    game.Step();
    ASSERT_TRUE(trap->IsTriggered());
    game.RemoveEntity(victim);
    delete victim;
    victim = nullptr;
    game.StepFor(2.0f);
    EXPECT_EQ(CountSounds("sounds/twang.wav"), 1);
    EXPECT_EQ(CountEntitiesOf([](const Entity& e) { return e.IsProjectile(); }), 0);
    EXPECT_TRUE(trap->IsSpent());
}

TEST_F(TrapLogic, ATrapDestroyedWithEventsPendingLeavesNothingToDeliver)
{
    auto waiting = Arm("DartTrap");
    waiting->TryTrigger(victim, 1.0f);
    auto armed = Arm("DartTrap");
    armed->TryTrigger(victim, 0.0f);
    game.Step();
    ASSERT_EQ(game.CountPendingActions(), 2) << "one Trigger, one Activate";
    waiting.reset();
    armed.reset();
    EXPECT_EQ(game.CountPendingActions(), 0);
    game.StepFor(3.0f);
    EXPECT_EQ(CountSounds("sounds/twang.wav"), 0);
}

TEST_F(TrapLogic, AnEntitysEventNeverReachesATrap)
{
    // A trap is a listener of its own: "delete" must not find an entity's handler on it.
    auto trap = Arm("DartTrap");
    game.ScheduleTimedAction(trap.get(), events.MakeEvent(Entity::GetDeleteEventId()), 0.0f);
    game.Step();
    EXPECT_EQ(trap->GetOwner(), chest);
}
