// CombatSystemTest -- attack resolution: hit chances, defence results and their lines, special hits, absorption, area damage, the kill order and its awards, the practice roll.
#include "entities/Chest.h"
#include "entities/CombatWorld.h"
#include "entities/NeutralCovenant.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// A covenant that writes down what it is told of its members.
class JournalCovenant : public NeutralCovenant {
public:
    void OnMemberDied(Sentient& member) override { journal->push_back("fallen " + std::to_string(member.entityNumber)); }
    void OnMemberDamaged(Entity& member, Entity*, int32_t) override
    {
        journal->push_back("damaged " + std::to_string(member.entityNumber));
    }

    Entity* GetHomeEntity() const override { return home; }

    std::vector<std::string>* journal = nullptr;
    Entity* home = nullptr;
};

class CombatRules : public CombatWorld {
protected:
    void SetUp() override { LoadCombat(); }

    // The share of attacks that hit, over a seeded stream.
    double HitShare(int32_t attack, int32_t defense)
    {
        CombatDummy* attacker = Dummy(0, 0, 100);
        CombatDummy* target = Dummy(10, 0, 1000000000);
        attacker->statValues[CharacterStat::Attack] = attack;
        target->statValues[CharacterStat::Defense] = defense;
        attacker->damage.Add(DamageType::Physical, 1, 1);
        int32_t hits = 0;
        for (int32_t i = 0; i < 4000; ++i)
            hits += ResolveAttack(attacker, target, nullptr, false, 1.0f) > 0 ? 1 : 0;
        return hits / 4000.0;
    }
};

} // namespace

TEST_F(CombatRules, HitChanceFollowsAttackAgainstDefense)
{
    EXPECT_NEAR(HitShare(10, 15), 0.5, 0.03);
    EXPECT_NEAR(HitShare(10, 30), 0.25, 0.03);
    EXPECT_NEAR(HitShare(10, 5), 1.0 - 0.5 * 5.0 / 15.0, 0.03);
    EXPECT_EQ(HitShare(0, 0), 0.0);
    EXPECT_EQ(HitShare(0, 50), 0.0);
    EXPECT_EQ(HitShare(1, 0), 1.0);
}

TEST_F(CombatRules, AMissedTargetWithoutDefenseAlwaysBlocks)
{
    CombatDummy* attacker = Dummy(0, 0, 100);
    CombatDummy* target = Dummy(10, 0, 100);
    for (int32_t i = 0; i < 20; ++i)
        EXPECT_EQ(ResolveAttack(attacker, target, nullptr, false, 1.0f), 0);
    std::vector<std::string> lines = LinesStarting("dmg ");
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines[0], "dmg " + std::to_string(target->entityNumber) + " $$Block$$");
    ASSERT_GE(target->told.size(), 2u);
    EXPECT_EQ(target->told[0], "event 0 " + std::to_string(attacker->entityNumber));
    EXPECT_EQ(target->told[1], "missedBy 1");
    EXPECT_EQ(attacker->told[0], "event 11 " + std::to_string(target->entityNumber));
    EXPECT_EQ(attacker->told[1], "missed 1");
}

TEST_F(CombatRules, EachDefenceNamesItsLineAndRecordsItsEvents)
{
    // Only one defence stat is set at a time, so the roll can land nowhere else.
    const int32_t stats[] = {CharacterStat::Block, CharacterStat::Parry, CharacterStat::Deflection,
                             CharacterStat::Evade, CharacterStat::Dodge};
    const char* names[] = {"Block", "Parry", "Deflection", "Dodge", "Evade"};
    for (int32_t result = 1; result <= 5; ++result) {
        game.lines.clear();
        CombatDummy* attacker = Dummy(0, 0, 100);
        CombatDummy* target = Dummy(10, 0, 100);
        target->statValues[CharacterStat::Defense] = 10;
        target->statValues[stats[result - 1]] = 10;
        ResolveAttack(attacker, target, nullptr, false, 1.0f);
        ASSERT_EQ(game.lines.size(), 1u) << result;
        EXPECT_EQ(game.lines[0], "dmg " + std::to_string(target->entityNumber) + " $$" + names[result - 1] + "$$");
        EXPECT_EQ(target->told[0], "event " + std::to_string(result - 1) + " " + std::to_string(attacker->entityNumber));
        EXPECT_EQ(attacker->told[0], "event " + std::to_string(result + 10) + " " + std::to_string(target->entityNumber));
        EXPECT_EQ(target->told[1], "missedBy " + std::to_string(result));
    }
}

TEST_F(CombatRules, APlainMissPrintsNothingAndNoLineIsEverEmpty)
{
    CombatDummy* attacker = Dummy(0, 0, 100);
    CombatDummy* target = Dummy(10, 0, 100);
    target->statValues[CharacterStat::Defense] = 100;
    target->statValues[CharacterStat::Dodge] = 50;
    for (int32_t i = 0; i < 200; ++i)
        ResolveAttack(attacker, target, nullptr, false, 1.0f);
    EXPECT_GT(game.lines.size(), 60u);
    EXPECT_LT(game.lines.size(), 140u);
    for (const std::string& line : game.lines)
        EXPECT_EQ(line.find("$$$$"), std::string::npos) << line;
}

TEST_F(CombatRules, ACrushingCriticalHitDealsTwiceTheMaximum)
{
    Sentient* attacker = Fighter(0, 0, "Certain");
    Sentient* target = Fighter(20, 0);
    attacker->stats.Set(CharacterStat::Attack, 1000000);
    int32_t before = target->health;
    EXPECT_EQ(ResolveAttack(attacker, target, nullptr, false, 1.0f), 8);
    EXPECT_EQ(target->health, before - 8);
    std::vector<std::string> lines = LinesStarting("dmg " + std::to_string(target->entityNumber));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "dmg " + std::to_string(target->entityNumber) + " $$CritHitPrint~<8@@>~$$");
}

TEST_F(CombatRules, AttacksOutOfReachDoNothingUnlessForced)
{
    CombatDummy* attacker = Dummy(0, 0, 100);
    CombatDummy* target = Dummy(100, 0, 100);
    attacker->statValues[CharacterStat::Attack] = 10;
    attacker->damage.Add(DamageType::Physical, 3, 3);
    EXPECT_EQ(ResolveAttack(attacker, target, nullptr, false, 1.0f), 0);
    EXPECT_TRUE(game.lines.empty());
    EXPECT_EQ(ResolveAttack(attacker, target, nullptr, true, 1.0f), 3);
    target->health = 0;
    EXPECT_EQ(ResolveAttack(attacker, target, nullptr, true, 1.0f), 0);
}

TEST_F(CombatRules, ResistanceAndArmourAbsorbAndANegativeValueAbsorbsNothing)
{
    CombatDummy* attacker = Dummy(0, 0, 100);
    CombatDummy* target = Dummy(10, 0, 100);
    attacker->damage.Add(DamageType::Physical, 10, 10);
    target->statValues[CharacterStat::ResistancePhysical] = 3;
    target->statValues[CharacterStat::Armor] = 4;
    EXPECT_EQ(DealDamageList(attacker->damage, attacker, target, false, false), 7);
    attacker->statValues[CharacterStat::Attack] = 10;
    EXPECT_EQ(ResolveAttack(attacker, target, nullptr, true, 1.0f), 3);
    attacker->statValues[CharacterStat::ArmorPiercing] = 10;
    target->statValues[CharacterStat::ResistancePhysical] = -20;
    EXPECT_EQ(ResolveAttack(attacker, target, nullptr, true, 1.0f), 10);
}

TEST_F(CombatRules, ANegativeTotalHealsSilentlyAndZeroShowsZero)
{
    CombatDummy* attacker = Dummy(0, 0, 100);
    CombatDummy* target = Dummy(10, 0, 100);
    target->health = 50;
    target->incomingSign = -1;
    attacker->statValues[CharacterStat::Attack] = 10;
    attacker->damage.Add(DamageType::Physical, 5, 5);
    EXPECT_EQ(ResolveAttack(attacker, target, nullptr, false, 1.0f), -5);
    EXPECT_EQ(target->health, 55);
    EXPECT_TRUE(LinesStarting("dmg").empty());
    attacker->damage.Clear();
    attacker->damage.Add(DamageType::Physical, 0, 0);
    EXPECT_EQ(ResolveAttack(attacker, target, nullptr, false, 1.0f), 0);
    EXPECT_EQ(target->health, 55);
    ASSERT_EQ(LinesStarting("dmg").size(), 1u);
    EXPECT_EQ(LinesStarting("dmg")[0], "dmg " + std::to_string(target->entityNumber) + " 0");
}

TEST_F(CombatRules, FireSplitsIntoDirectDamageAndABurningEffect)
{
    CombatDummy* attacker = Dummy(0, 0, 100);
    Sentient* target = Fighter(10, 0);
    attacker->damage.Add(DamageType::Fire, 10, 10);
    EXPECT_EQ(DealDamageList(attacker->damage, attacker, target, false, false), 5);
    const StatusEffect* burning = nullptr;
    for (const auto& effect : target->GetStatusEffects())
        if (effect->GetEntry() == database.FindEntryByName("StatusEffectBasicFire"))
            burning = effect.get();
    ASSERT_NE(burning, nullptr);
    EXPECT_EQ(burning->level, 5);
    // Over time, the whole amount passes and no further effect is made.
    EXPECT_EQ(DealDamageList(attacker->damage, attacker, target, true, false), 10);
}

TEST_F(CombatRules, DeepWoundsCarryTheTotalAndStunsCarryOne)
{
    Sentient* attacker = Fighter(0, 0, "Wounding");
    Sentient* target = Fighter(20, 0);
    attacker->stats.Set(CharacterStat::Attack, 1000000);
    int32_t total = ResolveAttack(attacker, target, nullptr, false, 1.0f);
    ASSERT_GT(total, 0);
    int32_t deep = -1;
    int32_t stun = -1;
    for (const auto& effect : target->GetStatusEffects()) {
        if (effect->GetEntry() == database.FindEntryByName("StatusEffectDeepWound"))
            deep = effect->level;
        if (effect->GetEntry() == database.FindEntryByName("StatusEffectStunningBlow"))
            stun = effect->level;
    }
    EXPECT_EQ(deep, total);
    EXPECT_EQ(stun, 1);
    std::vector<std::string> lines = LinesStarting("dmg " + std::to_string(target->entityNumber));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "dmg " + std::to_string(target->entityNumber) + " $$StunHitPrint~<" + std::to_string(total) + "@@>~$$");
}

TEST_F(CombatRules, HugeDamageSaturatesInsteadOfWrapping)
{
    Sentient* attacker = Fighter(0, 0, "Certain");
    auto* target = Dummy(20, 0, INT_MAX);
    attacker->flags |= EntityFlag::HugeDamage;
    attacker->stats.Set(CharacterStat::Attack, 1000000);
    EXPECT_EQ(ResolveAttack(attacker, target, nullptr, false, 40000.0f), INT_MAX);
    EXPECT_EQ(target->health, 0);
}

TEST_F(CombatRules, AreaDamageReachesTheLivingInRangeButNotTheAttacker)
{
    CombatDummy* attacker = Dummy(0, 0, 100);
    attacker->radius = 10.0f;
    CombatDummy* near = Dummy(30, 0, 100);
    CombatDummy* far = Dummy(200, 0, 100);
    CombatDummy* dead = Dummy(20, 0, 100);
    dead->health = 0;
    StatPairList damage;
    damage.Add(DamageType::Physical, 4, 4);
    EXPECT_EQ(DealAreaDamage(attacker, attacker->position, 25.0f, damage, false), 4);
    EXPECT_EQ(near->health, 96);
    EXPECT_EQ(far->health, 100);
    EXPECT_EQ(attacker->health, 100);
    EXPECT_EQ(dead->health, 0);
}

TEST_F(CombatRules, AKillRunsInItsOrderAndLeavesTheVictimInItsSlot)
{
    std::string records = kCombatRecords;
    records.insert(records.find("PvpDamageMult"), "PlayerGetsCreditForAllKills 1\n    ");
    LoadRecords(records);
    std::vector<std::string> journal;
    auto* watcher = Fighter<KillSpy>(-50, 0);
    auto* killer = Fighter<KillSpy>(0, 0);
    auto* victim = Fighter<KillSpy>(20, 0);
    for (KillSpy* spy : {watcher, killer, victim})
        spy->journal = &journal;
    game.players = {watcher};
    victim->score = 3;
    int32_t victimNumber = victim->entityNumber;
    bool inSlotWhenDied = false;
    game.onNotice = [&](const std::string& notice) {
        journal.push_back(notice);
        if (notice.rfind("died", 0) == 0)
            inSlotWhenDied = game.GetEntity(victimNumber) == victim;
    };
    killer->flags |= EntityFlag::HugeDamage;
    killer->stats.Set(CharacterStat::Attack, 1000000);
    // The award's lines are queued before anyone is told of the kill.
    size_t linesBefore = game.lines.size();
    std::vector<std::string> awardedWhenTold;
    killer->onKill = [&] {
        for (size_t i = linesBefore; i < game.lines.size(); ++i)
            if (game.lines[i].find("$$xp$$") != std::string::npos || game.lines[i].find("$$ScorePrint$$") != std::string::npos)
                awardedWhenTold.push_back(game.lines[i]);
    };
    ResolveAttack(killer, victim, nullptr, false, 1.0f);
    std::string k = std::to_string(killer->entityNumber);
    std::string v = std::to_string(victimNumber);
    std::string w = std::to_string(watcher->entityNumber);
    EXPECT_EQ(journal, (std::vector<std::string>{"kill " + k, "told " + w, "credit " + k, "died " + v, "death " + v}));
    EXPECT_EQ(awardedWhenTold, (std::vector<std::string>{"dmg " + k + " ^f006+100$$xp$$", "dmg " + k + " ^f006+3$$ScorePrint$$"}));
    EXPECT_TRUE(inSlotWhenDied);
    EXPECT_EQ(game.GetEntity(victimNumber), victim);
    EXPECT_FALSE(victim->netFlag);
    game.players.clear();
}

TEST_F(CombatRules, BrokenThingsAndSuicidesAreDeathsButNoKills)
{
    std::string records = kCombatRecords;
    records.insert(records.find("PvpDamageMult"), "PlayerGetsCreditForAllKills 1\n    ");
    LoadRecords(records);
    std::vector<std::string> journal;
    auto* watcher = Fighter<KillSpy>(-50, 0);
    auto* breaker = Fighter<KillSpy>(0, 0);
    auto* self = Fighter<KillSpy>(40, 0);
    for (KillSpy* spy : {watcher, breaker, self})
        spy->journal = &journal;
    game.players = {watcher};
    game.onNotice = [&](const std::string& notice) { journal.push_back(notice); };
    breaker->stats.Set(CharacterStat::Attack, 1000000);
    breaker->flags |= EntityFlag::HugeDamage;
    CombatDummy* barrel = Dummy(20, 0, 5);
    ResolveAttack(breaker, barrel, nullptr, false, 1.0f);
    EXPECT_EQ(barrel->health, 0);
    auto* chest = Spawn<Chest>(10, 10);
    chest->breakable = true;
    chest->maxHealth = chest->health = 5;
    ResolveAttack(breaker, chest, nullptr, false, 1.0f);
    EXPECT_TRUE(chest->IsBroken()) << "it still breaks open";
    self->health = 0;
    HandleKill(self, self);
    std::string b = std::to_string(breaker->entityNumber);
    std::string s = std::to_string(self->entityNumber);
    // A broken chest still drops its loot and counts towards its breaker's object spree;
    // nothing else is a kill.
    std::string c = std::to_string(chest->entityNumber);
    EXPECT_EQ(journal, (std::vector<std::string>{"died " + std::to_string(barrel->entityNumber), "loot " + c + " 0.0 0.0",
                                                 "kill " + b, "died " + c, "died " + s, "death " + s}));
    EXPECT_TRUE(LinesStarting("dmg " + b + " ^f006").empty()) << "no experience or score for breaking things";
    EXPECT_TRUE(LinesStarting("dmg " + s + " ^f006").empty()) << "none for one's own death";
    EXPECT_EQ(breaker->GetStat(CharacterStat::Xp), 0);
    EXPECT_FALSE(self->netFlag) << "the suicide's death ran";
    game.players.clear();
}

TEST_F(CombatRules, AHitThatKillsLeavesTheCorpseAlone)
{
    std::vector<std::string> journal;
    JournalCovenant covenant;
    covenant.journal = &journal;
    game.covenants = {&covenant};
    Sentient* attacker = Fighter(0, 0, "Wounding");
    attacker->stats.Set(CharacterStat::Attack, 1000000);
    for (int32_t health : {1000000, 1}) {
        journal.clear();
        auto* target = Fighter<KillSpy>(20, 0);
        target->journal = &journal;
        target->covenantIndex = 0;
        target->health = health;
        int32_t total = ResolveAttack(attacker, target, nullptr, false, 1.0f);
        ASSERT_GT(total, 0);
        bool killed = health == 1;
        std::string t = std::to_string(target->entityNumber);
        std::vector<std::string> expected = {"damaged " + t};
        if (killed)
            expected = {"death " + t, "fallen " + t};
        EXPECT_EQ(journal, expected) << "no damaged notice after the death";
        int32_t effects = 0;
        for (const auto& effect : target->GetStatusEffects())
            effects += effect->GetEntry() == database.FindEntryByName("StatusEffectDeepWound") ||
                       effect->GetEntry() == database.FindEntryByName("StatusEffectStunningBlow");
        EXPECT_EQ(effects, killed ? 0 : 2) << "no wound or stun on the dead";
    }
    game.covenants.clear();
}

// A covenant's home dies no death of its own: the covenant must hear of the blow that fells it,
// since that fall is what puts the covenant out of the game. A home beaten down bit by bit is told
// of every blow, the last one too.
TEST_F(CombatRules, TheBlowThatFellsACovenantsHomeIsToldToTheCovenant)
{
    std::vector<std::string> journal;
    JournalCovenant covenant;
    covenant.journal = &journal;
    game.covenants = {&covenant};
    Sentient* attacker = Fighter(0, 0);
    attacker->stats.Set(CharacterStat::Attack, 1000000);
    for (int32_t health : {1000000, 1}) {
        journal.clear();
        CombatDummy* home = Dummy(20, 0, health);
        home->covenantIndex = 0;
        covenant.home = home;
        ASSERT_GT(ResolveAttack(attacker, home, nullptr, false, 1.0f), 0);
        EXPECT_EQ(home->health <= 0, health == 1);
        std::string h = std::to_string(home->entityNumber);
        EXPECT_EQ(journal, (std::vector<std::string>{"damaged " + h})) << "health " << health;
    }
    game.covenants.clear();
}

TEST_F(CombatRules, APartySharesTheExperienceAndEachMemberScores)
{
    auto* killer = Fighter<KillSpy>(0, 0);
    auto* friendOf = Fighter<KillSpy>(5, 0);
    auto* victim = Fighter<KillSpy>(20, 0);
    std::vector<std::string> journal;
    for (KillSpy* spy : {killer, friendOf, victim})
        spy->journal = &journal;
    killer->AddCompanion(friendOf, 4);
    victim->score = 7;
    HandleKill(victim, killer);
    std::string k = std::to_string(killer->entityNumber);
    std::string f = std::to_string(friendOf->entityNumber);
    // Two members keep three quarters each of the victim's 100 points.
    EXPECT_EQ(LinesStarting("dmg"), (std::vector<std::string>{"dmg " + k + " ^f006+75$$xp$$",
                                                              "dmg " + k + " ^f006+7$$ScorePrint$$",
                                                              "dmg " + f + " ^f006+75$$xp$$",
                                                              "dmg " + f + " ^f006+7$$ScorePrint$$"}));
    EXPECT_EQ(killer->GetStat(CharacterStat::Score), 7);
    EXPECT_EQ(friendOf->GetStat(CharacterStat::Xp), 75);
}

TEST_F(CombatRules, ThePracticeRollRaisesATrainerAndNeverDropsItBelowOne)
{
    Sentient* learner = Fighter(0, 0);
    learner->stats.Set(CharacterStat::Level, 1);
    PracticeTrainer keen;
    keen.level = 5;
    for (int32_t i = 0; i < 10; ++i)
        EXPECT_TRUE(PracticeRoll(keen, *learner));
    EXPECT_EQ(keen.level, 6);
    EXPECT_EQ(keen.successes, 0);
    learner->stats.Set(CharacterStat::Level, 50);
    PracticeTrainer weak;
    for (int32_t i = 0; i < 30; ++i)
        EXPECT_FALSE(PracticeRoll(weak, *learner));
    EXPECT_EQ(weak.level, 1);
}

TEST_F(CombatRules, TheFirstPlayerHearsOfEveryKillWhenTheGameSaysSo)
{
    for (bool credit : {false, true}) {
        // The flag is a key of the game's own tuning record.
        std::string records = kCombatRecords;
        if (credit)
            records.insert(records.find("PvpDamageMult"), "PlayerGetsCreditForAllKills 1\n    ");
        LoadRecords(records);
        Sentient* player = Fighter(0, 0);
        game.players = {player};
        Sentient* killer = Fighter(50, 0);
        Sentient* victim = Fighter(60, 0);
        size_t queued = events.GetQueuedCount();
        HandleKill(victim, killer);
        // The killer's own "SuccessfulKill" is queued either way; the player's only with the flag.
        EXPECT_EQ(events.GetQueuedCount() - queued, credit ? 3u : 2u) << credit;
        events.DispatchQueue();
        game.players.clear();
    }
}
