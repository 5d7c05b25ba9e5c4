// SkillUseTest -- the use check code by code, the stages of a use with casts and their lines, costs, cooldowns, the use-check gate on a seeded stream, and the passive shares of a skill list.
#include "entities/CombatWorld.h"
#include "entities/Inventory.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kSkillRecords = R"(
Plain
{
    Type Skill
    StatReq Strength
    PointsReq 5
    Power 10
    ReuseTime 3
}
Unknown
{
    Type Skill
    StatReq Strength
    PointsReq 50
}
Spell
{
    Type Skill
    StatReq Strength
    PointsReq 5
    CastTime 1
    Power 10
}
Shot
{
    Type Skill
    StatReq Strength
    PointsReq 5
    NeedsEnemy 1
    MaxRange 100
}
Lurk
{
    Type Skill
    StatReq Strength
    PointsReq 5
    NoAttackers 1
}
Blade
{
    Type Skill
    StatReq Strength
    PointsReq 5
    WeaponType WeaponSword
}
Rally
{
    Type Skill
    StatReq Strength
    PointsReq 5
    CombatOnly 1
}
Riposte
{
    Type Skill
    StatReq Strength
    PointsReq 5
    RequiredEntityState-One Parry
}
Fury
{
    Type Skill
    StatReq Strength
    PointsReq 5
    Power 10
    UseAllRage 1
}
Watchful
{
    Type Skill
    StatReq Strength
    PointsReq 5
    UseCheckTime 2
    UseCheckChance 0.5
}
Stout
{
    Type Skill
    StatReq Strength
    PointsReq 5
    Passive 1
    StatChangeArmor 7
    StatMultMaxHealth 0.5
    DynamicStatChangeCriticalHit 11
    StatusEffect Hardened
}
Hardened
{
    Type StatusEffect
    Forever 1
}
Silenced
{
    Type StatusEffect
    Forever 1
    CantUseSpells 1
}
)";

// A sentient whose target and animation the test sets.
class SkillTester : public Sentient {
public:
    Entity* GetCurrentTarget() const override { return aim; }
    Entity* aim = nullptr;
};

class SkillUseChecks : public CombatWorld {
protected:
    void SetUp() override { LoadCombat(kSkillRecords); }

    SkillTester* User(bool player)
    {
        auto* user = Fighter<SkillTester>(0, 0);
        user->stats.Set(CharacterStat::Power, 50);
        if (player)
            game.players.push_back(user);
        return user;
    }

    Skill& Learn(Sentient& user, const char* name)
    {
        auto skill = std::make_unique<Skill>();
        skill->definition = gameData.FindSkillDefinition(name);
        skill->SetOwner(&user);
        skills.push_back(std::move(skill));
        return *skills.back();
    }

    // A skill of the user's own list, which its scheduled uses look up.
    Skill& LearnListed(Sentient& user, const char* name, int32_t index)
    {
        return *static_cast<Skill*>(user.skillList->AddSkill(gameData.FindSkillDefinition(name), &user, 0, index));
    }

    std::string Used(const Skill& skill, int32_t done) const
    {
        return "usedSkill " + std::to_string(skill.GetRecordId()) + " " + std::to_string(done);
    }

    std::vector<std::unique_ptr<Skill>> skills;
};

} // namespace

TEST_F(SkillUseChecks, EachCheckAnswersWithEveryEarlierOnePassing)
{
    SkillTester* user = User(false);
    CombatDummy* near = Dummy(40, 0, 100);
    CombatDummy* far = Dummy(400, 0, 100);
    EXPECT_EQ(Learn(*user, "Plain").CheckUse(nullptr, nullptr, 0, false), SkillUseResult::Refused);
    EXPECT_EQ(Learn(*user, "Plain").CheckUse(user, nullptr, 0, false), SkillUseResult::Ok);
    EXPECT_EQ(Learn(*user, "Unknown").CheckUse(user, nullptr, 0, false), SkillUseResult::NotKnown);
    EXPECT_EQ(Learn(*user, "Unknown").CheckUse(user, nullptr, 0, true), SkillUseResult::Ok);
    Skill& unarmed = Learn(*user, "Plain");
    unarmed.armed = false;
    EXPECT_EQ(unarmed.CheckUse(user, nullptr, 0, false), SkillUseResult::Refused);
    EXPECT_EQ(unarmed.CheckUse(user, nullptr, 1, false), SkillUseResult::Ok);
    Skill& cooling = Learn(*user, "Plain");
    cooling.reuseTimer.running = 1;
    cooling.reuseTimer.remaining = 0.5f;
    EXPECT_EQ(cooling.CheckUse(user, nullptr, 0, false), SkillUseResult::NotReady);
    user->AddEngaged(near);
    EXPECT_EQ(Learn(*user, "Lurk").CheckUse(user, nullptr, 0, false), SkillUseResult::Watched);
    user->RemoveEngaged(near);
    EXPECT_EQ(Learn(*user, "Lurk").CheckUse(user, nullptr, 0, false), SkillUseResult::Ok);
    EXPECT_EQ(Learn(*user, "Blade").CheckUse(user, nullptr, 0, false), SkillUseResult::Requirements);
    user->stats.Set(CharacterStat::Power, 9);
    EXPECT_EQ(Learn(*user, "Plain").CheckUse(user, nullptr, 0, false), SkillUseResult::NoPower);
    EXPECT_EQ(Learn(*user, "Shot").CheckUse(user, nullptr, 0, false), SkillUseResult::NeedEnemy);
    EXPECT_EQ(Learn(*user, "Rally").CheckUse(user, nullptr, 0, false), SkillUseResult::NotInCombat);
    EXPECT_EQ(Learn(*user, "Rally").CheckUse(user, near, 0, false), SkillUseResult::Ok);
    EXPECT_EQ(Learn(*user, "Riposte").CheckUse(user, nullptr, 0, false), SkillUseResult::MissingState);
    user->entityState = 1u << EntityState::Parry;
    EXPECT_EQ(Learn(*user, "Riposte").CheckUse(user, nullptr, 0, false), SkillUseResult::Ok);
    EXPECT_EQ(Learn(*user, "Shot").CheckUse(user, far, 0, false), SkillUseResult::OutOfRange);
    EXPECT_EQ(Learn(*user, "Shot").CheckUse(user, near, 0, false), SkillUseResult::Ok);
    game.lineBlocked = [](const WorldPos&, const WorldPos&) { return true; };
    EXPECT_EQ(Learn(*user, "Shot").CheckUse(user, far, 0, false), SkillUseResult::CantSee);
    user->AddStatusEffectByName("Silenced", nullptr, 1);
    EXPECT_EQ(Learn(*user, "Spell").CheckUse(user, nullptr, 0, false), SkillUseResult::Blocked);
    EXPECT_EQ(Learn(*user, "Plain").CheckUse(user, nullptr, 0, false), SkillUseResult::NoPower);
    user->health = 0;
    EXPECT_EQ(Learn(*user, "Plain").CheckUse(user, nullptr, 0, false), SkillUseResult::Dead);
}

TEST_F(SkillUseChecks, OnlyAPlayerIsToldWhy)
{
    SkillTester* monster = User(false);
    Learn(*monster, "Unknown").Use(monster, nullptr, 0, false);
    EXPECT_TRUE(game.lines.empty());
    SkillTester* player = User(true);
    Skill& unknown = Learn(*player, "Unknown");
    unknown.Use(player, nullptr, 0, false);
    EXPECT_EQ(game.lines, (std::vector<std::string>{Used(unknown, 0)}));
}

TEST_F(SkillUseChecks, ACastDefersThenExecutesWithItsLines)
{
    SkillTester* player = User(true);
    Skill& spell = LearnListed(*player, "Spell", 0);
    spell.Use(player, nullptr, 0, false);
    EXPECT_EQ(game.lines, (std::vector<std::string>{"timer " + std::to_string(player->entityNumber) + " 1.000000 1",
                                                    Used(spell, 0)}));
    EXPECT_EQ(player->GetStat(CharacterStat::Power), 50);
    game.lines.clear();
    game.StepFor(1.05f);
    EXPECT_EQ(game.lines, (std::vector<std::string>{Used(spell, 1)}));
    EXPECT_EQ(player->GetStat(CharacterStat::Power), 40);
    // Without an animation marker the cast itself was the only delay.
    EXPECT_EQ(game.CountPendingActions(), 0);
}

TEST_F(SkillUseChecks, ASecondRequestDuringTheCastTellsNothing)
{
    SkillTester* player = User(true);
    Skill& spell = Learn(*player, "Spell");
    spell.Use(player, nullptr, 0, false);
    game.lines.clear();
    spell.Use(player, nullptr, 0, false);
    EXPECT_TRUE(game.lines.empty());
    EXPECT_EQ(game.CountPendingActions(), 1);
}

TEST_F(SkillUseChecks, CostsCooldownsAndForce)
{
    SkillTester* player = User(true);
    Skill& plain = Learn(*player, "Plain");
    plain.Use(player, nullptr, 0, false);
    EXPECT_EQ(player->GetStat(CharacterStat::Power), 40);
    EXPECT_EQ(plain.CheckUse(player, nullptr, 0, false), SkillUseResult::NotReady);
    for (int32_t i = 0; i < 61; ++i)
        plain.Update(0.05f);
    EXPECT_EQ(plain.CheckUse(player, nullptr, 0, false), SkillUseResult::Ok);
    EXPECT_TRUE(plain.reuseTimer.running);
    // Force skips the checks but not the price.
    player->stats.Set(CharacterStat::Power, 5);
    EXPECT_EQ(Learn(*player, "Unknown").Execute(player, nullptr, 0, true), SkillExecution::Executed);
    EXPECT_EQ(plain.Execute(player, nullptr, 0, true), SkillExecution::Failed);
    player->flags |= EntityFlag::SkillMarked;
    EXPECT_EQ(plain.GetPowerCost(player), 0);
    EXPECT_EQ(plain.Execute(player, nullptr, 0, true), SkillExecution::Executed);
    EXPECT_EQ(player->GetStat(CharacterStat::Power), 5);
    player->stats.Set(CharacterStat::Power, 30);
    EXPECT_EQ(Learn(*player, "Fury").Execute(player, nullptr, 0, false), SkillExecution::Executed);
    EXPECT_EQ(player->GetStat(CharacterStat::Power), 0);
}

TEST_F(SkillUseChecks, AnEnemySkillWithATargetIsExecutedAndCoolsDown)
{
    SkillTester* player = User(true);
    CombatDummy* near = Dummy(40, 0, 100);
    Skill& shot = Learn(*player, "Shot");
    shot.Use(player, near, 0, false);
    EXPECT_TRUE(shot.reuseTimer.running);
}

TEST_F(SkillUseChecks, TheGateHoldsAMonstersSkillForAboutItsTime)
{
    SkillTester* monster = User(false);
    Skill& watchful = Learn(*monster, "Watchful");
    int32_t armedRolls = 0;
    int32_t rolls = 0;
    for (int32_t step = 0; step < 20000; ++step) {
        watchful.Update(0.05f);
        if (watchful.useCheckTimer.running) {
            ASSERT_GE(watchful.useCheckTimer.total, 1.8f - 1e-4f);
            ASSERT_LT(watchful.useCheckTimer.total, 2.2f + 1e-4f);
        }
        if (watchful.useCheckTimer.remaining >= watchful.useCheckTimer.total - 0.0001f && step > 0) {
            ++rolls;
            armedRolls += watchful.armed ? 1 : 0;
        }
    }
    EXPECT_GT(rolls, 400);
    EXPECT_NEAR(static_cast<double>(armedRolls) / rolls, 0.5, 0.08);
    SkillTester* player = User(true);
    Skill& always = Learn(*player, "Watchful");
    always.armed = false;
    always.Update(0.05f);
    EXPECT_TRUE(always.armed);
}

TEST_F(SkillUseChecks, APassiveSkillAddsItsSharesAndKeepsItsEffect)
{
    SkillTester* user = User(false);
    int32_t armor = user->GetStat(CharacterStat::Armor);
    int32_t health = user->GetStat(CharacterStat::MaxHealth);
    float critical = user->GetDynamicStat(DynamicStat::CriticalHit, nullptr);
    SkillBase* stout = user->skillList->AddSkill(gameData.FindSkillDefinition("Stout"), user, 0, 0);
    ASSERT_NE(stout, nullptr);
    user->RecalculateStats(false);
    EXPECT_EQ(user->GetStat(CharacterStat::Armor), armor + 7);
    EXPECT_EQ(user->GetStat(CharacterStat::MaxHealth), health + health / 2);
    EXPECT_FLOAT_EQ(user->GetDynamicStat(DynamicStat::CriticalHit, nullptr), critical + 11.0f);
    stout->Update(0.05f);
    stout->Update(0.05f);
    int32_t hardened = 0;
    for (const auto& effect : user->GetStatusEffects())
        hardened += effect->GetEntry() == database.FindEntryByName("Hardened") ? 1 : 0;
    EXPECT_EQ(hardened, 1);
    user->stats.Set(CharacterStat::BaseStrength, 1);
    user->RecalculateStats(false);
    EXPECT_EQ(user->GetStat(CharacterStat::Armor), armor);
}
