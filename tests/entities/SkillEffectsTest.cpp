// SkillEffectsTest -- what a skill does when it runs: its victims and their validity, spent states, hate, projectiles fanned and the facing restored, heals and their criticals, blinks, suicide, noise, reversed projectiles, gusts and slammed doors, and an actor's rating and choice of skills.
#include "entities/ActorWorld.h"

#include "entities/Item.h"
#include "entities/Player.h"
#include "entities/Projectile.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"
#include "rules/skills/SkillDefinition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr const char* kSkillEffectRecords = R"(
Dart
{
    Type Projectile
    ProjectileType Normal
    Speed 200
}
SkillSweep
{
    Type Skill
    BasicSkill 1
    NeedsEnemy 1
    ExtraEnemies 3
    MaxRange 300
    MinDamage 5
    MaxDamage 5
}
SkillTaunt
{
    Type Skill
    BasicSkill 1
    NeedsEnemy 1
    HateChange 10
    RandomHateVictim 1
    MaxRange 100
}
SkillGrudge
{
    Type Skill
    BasicSkill 1
    NeedsEnemy 1
    HateChange 4
    SilentHateChange 2
}
SkillWard
{
    Type Skill
    BasicSkill 1
    NeedsFriend 1
    StatusEffect StatusEffectBasicRegen
    HateChange 7
}
SkillQuietWard
{
    Type Skill
    BasicSkill 1
    NeedsFriend 1
    StatusEffect StatusEffectBasicRegen
}
SkillFan
{
    Type Skill
    BasicSkill 1
    NeedsEnemy 1
    Projectile Dart
    ProjAdditionalDir -1
    ProjAdditionalDir 2
}
SkillExecutioner
{
    Type Skill
    BasicSkill 1
    NeedsEnemy 1
    MinDamage 1000
    MaxDamage 1000
    Projectile Dart
    ProjectileOnKill 1
}
SkillBackstab
{
    Type Skill
    BasicSkill 1
    NeedsEnemy 1
    RequiredEntityState-One Hit
}
SkillMend
{
    Type Skill
    BasicSkill 1
    Self 1
    Heal 10
    SkillType Heal
    BasePriority 1
    MaxRange 200
}
SkillBlink
{
    Type Skill
    BasicSkill 1
    Blink 1
    TargetEffect "effects/puff.mdl"
    EffectTime 1
}
SkillEnd
{
    Type Skill
    BasicSkill 1
    Self 1
    Suicide 1
}
SkillFinisher
{
    Type Skill
    BasicSkill 1
    NeedsEnemy 1
    SkillType Finish
    BasePriority 3
}
SkillBash
{
    Type Skill
    BasicSkill 1
    NeedsEnemy 1
    SkillType DirectDamage
    BasePriority 0.6
}
SkillPlain
{
    Type Skill
    BasicSkill 1
    SkillType Simple
    BasePriority 0.4
}
SkillCallPack
{
    Type Skill
    BasicSkill 1
    Self 1
    MonstersToSpawn 2
    MonsterType MonsterTester
}
SkillRoar
{
    Type Skill
    BasicSkill 1
    NeedsEnemy 1
    NoiseRange 200
}
SkillDeflect
{
    Type Skill
    BasicSkill 1
    Self 1
    ReverseProjectile 1
    MaxRange 100
    DamageMultAll 0.5
}
SkillGale
{
    Type Skill
    BasicSkill 1
    Self 1
    WindDistance 150
    WindPower 3
}
SkillSlam
{
    Type Skill
    BasicSkill 1
    Self 1
    ShutDoorDistance 120
}
Bane
{
    Type StatusEffect
    PerLevel BanePerLevel
    HealthChange -10
    TickTime 1
    TotalTime 10
    GroupName "Bane"
}
BanePerLevel
{
    Type StatusEffect
    BaseOnly 1
    HealthChange -10
}
Blight
{
    Type StatusEffect
    HealthChange -10
    TickTime 1
    TotalTime 10
    GroupName "Blight"
}
SkillCureHalf
{
    Type Skill
    BasicSkill 1
    Self 1
    CureEffectName "Bane"
    CureEffectStrength 15
}
SkillCureTrace
{
    Type Skill
    BasicSkill 1
    Self 1
    CureEffectName "Bane"
    CureEffectStrength 0.5
}
SkillCureWhole
{
    Type Skill
    BasicSkill 1
    Self 1
    CureEffectName "Bane"
    CureEffectStrength 40
}
SkillSureShot
{
    Type Skill
    BasicSkill 1
    Projectile Dart
    AlwaysWorks 1
}
SkillBlindShot
{
    Type Skill
    BasicSkill 1
    Projectile Dart
    AlwaysWorks 1
    DontLookAtTarget 1
}
CharmDear
{
    Type Item
    ItemSlotType Powerup
    Value 50
}
CharmCheap
{
    Type Item
    ItemSlotType Powerup
    Value 20
}
Pebble
{
    Type Item
    Value 1
}
SkillReroll
{
    Type Skill
    BasicSkill 1
    Self 1
    ChangePowerupTries 3
}
SkillQuiet
{
    Type Skill
    BasicSkill 1
    SkillType Simple
    BasePriority 0.4
    Passive 1
}
)";

class SkillEffects : public ActorWorld {
protected:
    SkillEffects()
    {
        Projectile::RegisterTypeNames();
        LoadRecords(std::string(kActorRecords) + kSkillEffectRecords);
    }

    Skill& Learn(Actor& actor, const char* name)
    {
        auto* skill = dynamic_cast<Skill*>(actor.LearnSkill(gameData.FindSkillDefinition(name)));
        EXPECT_NE(skill, nullptr) << name;
        return *skill;
    }

    Projectile* Dart(Entity* source, Entity* target)
    {
        StatPairList damage;
        damage.Add(DamageType::Physical, 1.0f, 1.0f);
        ProjectileLaunch launch;
        launch.damage = &damage;
        launch.source = source;
        launch.target = target;
        launch.targetPosition = target->position;
        launch.startPosition = target->position;
        launch.startPosition.x += 50.0f;
        return Entity::FireProjectile("Dart", launch);
    }

    std::unique_ptr<ItemBase> NewItem(const char* name) const
    {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        item->SetStackCount(1);
        item->ComputeStats();
        item->ResolveDefinition();
        return item;
    }

    std::string ItemIn(const Sentient& owner, int32_t slot) const
    {
        const ItemBase* item = owner.inventory->GetItem(InventoryGroupIndex::Bag1, slot);
        return item && item->GetEntry() ? std::string(item->GetEntry()->GetName()) : std::string("-");
    }

    int32_t CountProjectiles() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            if (const Entity* entity = game.GetEntity(i); entity && entity->IsProjectile())
                ++count;
        return count;
    }
};

} // namespace

TEST_F(SkillEffects, ExtraEnemiesTakeTheOnlyCandidateOnce)
{
    Actor* user = SpawnActor();
    Sentient* target = SpawnTarget(30, 0);
    Sentient* other = SpawnTarget(-30, 0);
    user->AddToHateList(target);
    user->AddToHateList(other);
    Skill& sweep = Learn(*user, "SkillSweep");
    EXPECT_TRUE(sweep.ApplyToEnemies(*user, target));
    EXPECT_EQ(target->health, 95);
    EXPECT_EQ(other->health, 95);
}

TEST_F(SkillEffects, AFriendlyVictimOfAHostileSkillIsFoundButSpared)
{
    Actor* user = SpawnActor();
    Sentient* target = SpawnTarget(30, 0);
    Skill& sweep = Learn(*user, "SkillSweep");
    game.relationship = 4;
    EXPECT_FALSE(sweep.IsValidVictim(*user, target));
    EXPECT_TRUE(sweep.ApplyToEnemies(*user, target));
    EXPECT_EQ(target->health, 100);
    game.relationship = 0;
    EXPECT_TRUE(sweep.IsValidVictim(*user, target));
}

TEST_F(SkillEffects, RandomHateWithNobodyAroundFallsOnTheUser)
{
    Actor* user = SpawnActor();
    Actor* victim = SpawnActor("MonsterTester", 5, 30, 0);
    Skill& taunt = Learn(*user, "SkillTaunt");
    taunt.ApplyToEnemies(*user, victim);
    ASSERT_NE(victim->FindHateEntry(user), nullptr);
    EXPECT_FLOAT_EQ(victim->FindHateEntry(user)->hate, 10.0f);
}

TEST_F(SkillEffects, HateAndSilentHateAddUp)
{
    Actor* user = SpawnActor();
    Actor* victim = SpawnActor("MonsterTester", 5, 30, 0);
    Learn(*user, "SkillGrudge").ApplyToEnemies(*user, victim);
    EXPECT_FLOAT_EQ(victim->FindHateEntry(user)->hate, 6.0f);
}

TEST_F(SkillEffects, ABuffMakesTheBuffedOnesFoesHateTheBufferByTheSkillsHateChange)
{
    struct Case {
        const char* skill;
        bool watcherHostile;
        float skillHate;
        bool bufferHated;
    };
    for (const Case& c : {Case{"SkillWard", true, 7.0f, true}, Case{"SkillWard", false, 7.0f, false},
                          Case{"SkillQuietWard", true, 0.0f, false}}) {
        SCOPED_TRACE(std::string(c.skill) + (c.watcherHostile ? " hostile" : " calm"));
        Actor* buffer = SpawnActor("MonsterTester", 5, 0, 0);
        Actor* buffed = SpawnActor("MonsterTester", 5, 30, 0);
        Actor* watcher = SpawnActor("MonsterTester", 5, 60, 0);
        buffed->AddEngaged(watcher);
        if (c.watcherHostile)
            watcher->AddToHateList(buffed);
        Skill& skill = Learn(*buffer, c.skill);
        EXPECT_FLOAT_EQ(skill.GetHateChange(*buffer), c.skillHate);
        const int32_t usual = game.relationship;
        game.relationship = 4;
        EXPECT_TRUE(skill.ApplyToAllies(*buffer, buffed));
        game.relationship = usual;
        const HateEntry* entry = watcher->FindHateEntry(buffer);
        if (c.bufferHated) {
            ASSERT_NE(entry, nullptr);
            EXPECT_FLOAT_EQ(entry->hate, c.skillHate);
        } else {
            EXPECT_EQ(entry, nullptr);
        }
    }
}

TEST_F(SkillEffects, ExtraProjectilesFanOutAndTheFacingIsRestored)
{
    Actor* user = SpawnActor();
    Sentient* target = SpawnTarget(30, 0);
    user->facing = 0;
    Learn(*user, "SkillFan").ApplyToEnemies(*user, target);
    EXPECT_EQ(CountProjectiles(), 3);
    EXPECT_EQ(user->facing, 0);
}

TEST_F(SkillEffects, AProjectileOnKillFiresOnlyAfterAKill)
{
    Actor* user = SpawnActor();
    Sentient* sturdy = SpawnTarget(30, 0);
    sturdy->maxHealth = sturdy->health = 5000;
    Skill& executioner = Learn(*user, "SkillExecutioner");
    executioner.ApplyToEnemies(*user, sturdy);
    EXPECT_EQ(CountProjectiles(), 0);
    Sentient* frail = SpawnTarget(-30, 0);
    executioner.ApplyToEnemies(*user, frail);
    EXPECT_EQ(CountProjectiles(), 1);
}

TEST_F(SkillEffects, TheStatesASkillNeedsAreSpent)
{
    Actor* user = SpawnActor();
    Sentient* target = SpawnTarget(30, 0);
    user->AddHate(target, 1.0f, 0);
    user->UpdateHateTarget(0.05f);
    user->RecordCombatEvent(EntityState::Hit, target->entityNumber);
    user->Update(0.0f);
    ASSERT_NE(user->entityState & (1u << EntityState::Hit), 0u);
    Learn(*user, "SkillBackstab").ApplyToEnemies(*user, target);
    user->Update(0.0f);
    EXPECT_EQ(user->entityState & (1u << EntityState::Hit), 0u);
}

TEST_F(SkillEffects, AboutOneHealInTwentyIsCritical)
{
    Actor* user = SpawnActor();
    Skill& mend = Learn(*user, "SkillMend");
    int32_t criticals = 0;
    for (int i = 0; i < 2000; ++i) {
        int32_t amount = mend.GetHealAmount(user, user);
        ASSERT_TRUE(amount == 10 || amount == 20) << amount;
        criticals += amount == 20 ? 1 : 0;
    }
    EXPECT_NEAR(criticals / 2000.0, 0.05, 0.015);
    EXPECT_EQ(mend.GetHealAmount(nullptr, user), 10);
}

TEST_F(SkillEffects, ABlinkThatFindsNoRoomStaysButShowsItsEffect)
{
    Actor* user = SpawnActor("MonsterTester", 5, 2000, 2000);
    game.bodyBlocked = [](const WorldPos&) { return true; };
    Learn(*user, "SkillBlink").ApplyFurtherEffects(*user, nullptr);
    EXPECT_FLOAT_EQ(user->position.x, 2000.0f);
    EXPECT_FLOAT_EQ(user->position.y, 2000.0f);
    // The effect is a model entity, shown for its time.

    int32_t models = 0;
    for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
        if (const Entity* entity = game.GetEntity(i); entity && entity->spareAfterDelete)
            ++models;
    EXPECT_EQ(models, 1);
    game.bodyBlocked = nullptr;
    Learn(*user, "SkillBlink").ApplyFurtherEffects(*user, nullptr);
    EXPECT_FALSE(user->position.x == 2000.0f && user->position.y == 2000.0f);
    EXPECT_LE(std::abs(user->position.x - 2000.0f), 232.0f);
}

TEST_F(SkillEffects, SuicideKillsAPlayerThroughItsDamageAndDeletesOthers)
{
    Actor* player = SpawnActor();
    game.players.push_back(player);
    Learn(*player, "SkillEnd").ApplyFurtherEffects(*player, nullptr);
    EXPECT_TRUE(player->IsDead());
    int32_t playerNumber = player->entityNumber;
    Actor* other = SpawnActor();
    int32_t number = other->entityNumber;
    Learn(*other, "SkillEnd").ApplyFurtherEffects(*other, nullptr);
    game.Step();
    EXPECT_EQ(game.GetEntity(number), nullptr);
    EXPECT_EQ(game.GetEntity(playerNumber), player);
}

TEST_F(SkillEffects, AFinishSkillRatesByTheTargetsHealth)
{
    Actor* user = SpawnActor();
    Sentient* target = SpawnTarget(30, 0);
    user->AddHate(target, 1.0f, 0);
    user->UpdateHateTarget(0.05f);
    Skill& finisher = Learn(*user, "SkillFinisher");
    target->health = 10;  // exactly 0.1
    float rating = finisher.RatePriority(*user);
    EXPECT_GE(rating, 0.75f);
    EXPECT_LT(rating, 0.75f * 1.05f);
    target->health = 9;
    EXPECT_GE(finisher.RatePriority(*user), 1.0f);
    target->health = 50;
    EXPECT_EQ(finisher.RatePriority(*user), 0.0f);
}

TEST_F(SkillEffects, AHealRatesTheMissingHealthAndNothingWhenItWouldOverheal)
{
    Actor* user = SpawnActor();
    Skill& mend = Learn(*user, "SkillMend");
    user->health = user->maxHealth - 5;
    EXPECT_EQ(mend.RatePriority(*user), 0.0f);
    user->health = user->maxHealth / 2;
    float expected = 1.0f - user->GetHealthFraction();
    EXPECT_GE(mend.RatePriority(*user), expected);
    EXPECT_LT(mend.RatePriority(*user), expected * 1.05f + 1e-6f);
    EXPECT_EQ(mend.ChooseTarget(*user), user);
}

TEST_F(SkillEffects, TheActorChoosesItsBestUsableSkill)
{
    Actor* user = SpawnActor();
    Learn(*user, "SkillQuiet");
    Skill& plain = Learn(*user, "SkillPlain");
    Skill& bash = Learn(*user, "SkillBash");
    EXPECT_EQ(user->skillList->ChooseSkill(*user), &plain);  // no target: the bash rates 0
    Sentient* target = SpawnTarget(30, 0);
    user->AddHate(target, 1.0f, 0);
    user->UpdateHateTarget(0.05f);
    EXPECT_EQ(user->skillList->ChooseSkill(*user), &bash);
    bash.reuseTimer.running = 1;
    bash.reuseTimer.remaining = 2.0f;
    Skill* chosen = user->skillList->ChooseSkill(*user);
    EXPECT_EQ(chosen, &plain) << (chosen ? chosen->definition->GetEntry()->GetName() : "none");
}

TEST_F(SkillEffects, SummonedMonstersJoinTheFightAgainstTheTarget)
{
    Actor* user = SpawnActor("MonsterTester", 5, 2000, 2000);
    Sentient* target = SpawnTarget(2030, 2000);
    user->AddHate(target, 1.0f, 0);
    user->UpdateHateTarget(0.05f);
    std::vector<Actor*> made;
    game.monsterMaker = [&](const DatabaseEntry*, const DatabaseEntry* type, int32_t level, int32_t) -> Entity* {
        EXPECT_NE(type, nullptr);
        EXPECT_EQ(level, 5);
        auto* monster = new Actor();
        monster->SetUpFromMonsterType(Type("MonsterTester"), level, false);
        made.push_back(monster);
        return monster;
    };
    Learn(*user, "SkillCallPack").ApplyFurtherEffects(*user, nullptr);
    ASSERT_EQ(made.size(), 2u);
    for (Actor* monster : made) {
        EXPECT_NE(monster->entityNumber, -1);
        EXPECT_TRUE(monster->summoned);
        EXPECT_TRUE(monster->IsActive());
        ASSERT_NE(monster->FindHateEntry(target), nullptr);
        EXPECT_FLOAT_EQ(monster->FindHateEntry(target)->hate, 1.0f);
    }
}

TEST_F(SkillEffects, ASummonWithNoRoomDeletesItsMonsterAndStops)
{
    Actor* user = SpawnActor("MonsterTester", 5, 2000, 2000);
    game.bodyBlocked = [](const WorldPos&) { return true; };
    int32_t calls = 0;
    game.monsterMaker = [&](const DatabaseEntry*, const DatabaseEntry*, int32_t level, int32_t) -> Entity* {
        ++calls;
        auto* monster = new Actor();
        monster->SetUpFromMonsterType(Type("MonsterTester"), level, false);
        return monster;
    };
    Learn(*user, "SkillCallPack").ApplyFurtherEffects(*user, nullptr);
    EXPECT_EQ(calls, 1);
}

// ---- Noise, reversed projectiles, wind and doors ---------------------------------------------------

TEST_F(SkillEffects, ANoisyHitCallsTheActorsAroundTheVictimToTheUser)
{
    Actor* user = SpawnActor();
    Sentient* victim = SpawnTarget(300, 0);
    Actor* near = SpawnActor("MonsterTester", 5, 450, 0);
    Actor* far = SpawnActor("MonsterTester", 5, 520, 0);
    game.relationship = 0;
    Learn(*user, "SkillRoar").ApplyToEnemies(*user, victim);
    EXPECT_NE(near->FindHateEntry(user), nullptr) << "150 from the victim";
    EXPECT_EQ(far->FindHateEntry(user), nullptr) << "220 from the victim";
    EXPECT_EQ(near->FindHateEntry(victim), nullptr) << "the user is the one heard";
}

TEST_F(SkillEffects, AReversedProjectileFliesBackAtItsSourceAndEveryOneAtTheUserGrowsStronger)
{
    Actor* user = SpawnActor();
    Actor* archer = SpawnActor("MonsterTester", 5, 300, 0);
    Sentient* bystander = SpawnTarget(0, 60);
    Projectile* returned = Dart(archer, user);
    Projectile* sourceless = Dart(nullptr, user);
    Projectile* elsewhere = Dart(archer, bystander);
    ASSERT_TRUE(returned && sourceless && elsewhere);
    Learn(*user, "SkillDeflect").ApplyFurtherEffects(*user, nullptr);
    EXPECT_EQ(returned->GetCurrentTarget(), archer);
    EXPECT_EQ(returned->GetSource(), user);
    EXPECT_FLOAT_EQ(returned->damageMultiplier, 1.5f);
    EXPECT_EQ(sourceless->GetCurrentTarget(), user) << "nobody to send it back to";
    EXPECT_FLOAT_EQ(sourceless->damageMultiplier, 1.5f);
    EXPECT_EQ(elsewhere->GetCurrentTarget(), bystander);
    EXPECT_FLOAT_EQ(elsewhere->damageMultiplier, 1.0f);
}

TEST_F(SkillEffects, AGustBlowsAtTheUserAndASlamShutsTheDoorsWithinItsDistance)
{
    struct DoorProbe : Entity {
        void ShutByTrap() override { shut = true; }
        bool shut = false;
    };
    Actor* user = SpawnActor("MonsterTester", 5, 100, 100);
    Learn(*user, "SkillGale").ApplyFurtherEffects(*user, nullptr);
    EXPECT_NE(std::find(game.hooks.begin(), game.hooks.end(), "wind 100 100 150 3"), game.hooks.end());
    auto* near = Spawn<DoorProbe>(200, 100);
    auto* far = Spawn<DoorProbe>(230, 100);
    Learn(*user, "SkillSlam").ApplyFurtherEffects(*user, nullptr);
    EXPECT_TRUE(near->shut);
    EXPECT_FALSE(far->shut);
}

TEST_F(SkillEffects, ACureTakesItsStrengthOffThePoisonOfItsGroupAlone)
{
    // A poison of -30 a tick at level 3 (-10 a level): what each cure leaves of it.
    struct Case {
        const char* skill;
        float healthChange;
        int32_t level;
        bool over;
    };
    const Case cases[] = {
        {"SkillCureHalf", -15.0f, 2, false},
        {"SkillCureTrace", -29.5f, 3, false},
        {"SkillCureWhole", 10.0f, -1, true},
    };
    for (const Case& c : cases) {
        Actor* user = SpawnActor();
        user->AddStatusEffect(database.FindEntryByName("Bane"), user, 3);
        user->AddStatusEffect(database.FindEntryByName("Blight"), user, 1);
        auto group = [user](const char* name) -> const StatusEffect& {
            for (const auto& effect : user->GetStatusEffects())
                if (effect->groupName == name)
                    return *effect;
            return *user->GetStatusEffects().front();
        };
        const StatusEffect& bane = group("Bane");
        const StatusEffect& blight = group("Blight");
        ASSERT_FLOAT_EQ(bane.healthChange, -30.0f);
        EXPECT_TRUE(Learn(*user, c.skill).ApplyToAllies(*user, nullptr)) << c.skill;
        EXPECT_FLOAT_EQ(bane.healthChange, c.healthChange) << c.skill;
        if (c.level >= 0) {
            EXPECT_EQ(bane.level, c.level) << c.skill;
        }
        EXPECT_EQ(bane.IsExpired(), c.over) << c.skill;
        EXPECT_FLOAT_EQ(blight.healthChange, -10.0f) << c.skill << ": another group is left alone";
        EXPECT_FALSE(blight.IsExpired()) << c.skill;
    }
}

TEST_F(SkillEffects, ASureShotTurnsItsUserToItsAimAndTellsItsClientUnlessToldNotTo)
{
    struct Case {
        const char* skill;
        int32_t facing;
        size_t lines;
    };
    // The aim lies due north-east of the shooter, who faces west.
    const Case cases[] = {{"SkillSureShot", -1, 1}, {"SkillBlindShot", 4, 0}};
    int32_t aimed = -1;
    for (const Case& c : cases) {
        auto* shooter = new Player();
        shooter->SetPosition(At(500.0f, 500.0f));
        ASSERT_NE(game.AddEntity(shooter), -1);
        shooter->skillTargetPosition = At(700.0f, 700.0f);
        shooter->facing = 4;
        game.playerLines.clear();
        Skill skill;
        skill.definition = gameData.FindSkillDefinition(c.skill);
        ASSERT_NE(skill.definition, nullptr) << c.skill;
        int32_t before = CountProjectiles();
        skill.ApplyFurtherEffects(*shooter, nullptr);
        EXPECT_EQ(CountProjectiles(), before + 1) << c.skill;
        if (c.facing >= 0) {
            EXPECT_EQ(shooter->facing, c.facing) << c.skill;
        } else {
            aimed = shooter->facing;
            EXPECT_NE(aimed, 4) << c.skill;
            shooter->FaceTowards(At(700.0f, 700.0f), false);
            EXPECT_EQ(aimed, shooter->facing) << c.skill << ": turned to the aim itself";
        }
        ASSERT_EQ(game.playerLines.size(), c.lines) << c.skill;
        if (c.lines == 1) {
            EXPECT_EQ(game.playerLines[0].first, shooter->entityNumber);
            EXPECT_EQ(game.playerLines[0].second, "warpDir " + std::to_string(aimed));
        }
    }
}

TEST_F(SkillEffects, EachPowerupOfTheFrontCellsBecomesTheCheapestPowerupOfItsDraws)
{
    struct Case {
        std::vector<const char*> draws;
        std::vector<std::string> cells;  // the first four cells of the first bag after the skill
    };
    // Before: a charm, nothing, a charm, and a plain item beside them in the fourth cell.
    const Case cases[] = {
        // Three draws a charm: the plain item drawn is thrown back, the cheaper charm kept.
        {{"CharmDear", "Pebble", "CharmCheap"}, {"CharmCheap", "-", "CharmCheap", "Pebble"}},
        {{"CharmDear", "Pebble", "Pebble"}, {"CharmDear", "-", "CharmDear", "Pebble"}},
        // Nothing but plain items: each cell keeps what it held.
        {{"Pebble"}, {"CharmDear", "-", "CharmCheap", "Pebble"}},
    };
    for (const Case& c : cases) {
        Actor* user = SpawnActor("MonsterTester", 7);
        user->inventory->ResizeBag(InventoryGroupIndex::Bag1, 6);
        for (auto [name, cell] : {std::pair{"CharmDear", 0}, std::pair{"CharmCheap", 2}, std::pair{"Pebble", 3}}) {
            std::unique_ptr<ItemBase> item = NewItem(name);
            ASSERT_TRUE(user->inventory->PlaceItem(item, InventoryGroupIndex::Bag1, cell, 0)) << name;
        }
        game.randomItems.clear();
        for (const char* name : c.draws)
            game.randomItems.push_back(database.FindEntryByName(name));
        game.nextRandomItem = 0;
        game.itemLevels.clear();
        Learn(*user, "SkillReroll").ApplyFurtherEffects(*user, nullptr);
        EXPECT_EQ((std::vector<std::string>{ItemIn(*user, 0), ItemIn(*user, 1), ItemIn(*user, 2), ItemIn(*user, 3)}),
                  c.cells);
        EXPECT_EQ(game.itemLevels, std::vector<int32_t>(6, 7)) << "three draws a charm, at the user's level";
    }
}
