// PlayerTest -- a player's creation, its step, client positions and exploration, targets, item timers, death and lives.
#include "core/LocSystem.h"
#include "entities/Actor.h"
#include "entities/CombatSystem.h"
#include "entities/EntityWorld.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/NeutralCovenant.h"
#include "entities/Player.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"
#include "entities/StatusEffect.h"
#include "rules/items/InventoryBag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>

namespace {

class PlayerWorld : public EntityWorld {
protected:
    static constexpr const char* kRecords = R"(
GameSystem
{
    BaseXpNeededEachLevel 1000
    LevelDiscoveryXpMult 0.5
    InventorySize 30
    BookshelfSize 12
    ResurrectHealthPercent 0.5
    ResurrectPowerPercent 0.25
    AutoTarget 1
    GridSize 32
}
ClassWanderer
{
    Type Class
    BaseSpeed 150
    MaxPower 100
    PowerStart 40
    HealthPerVit 5
    StartStrength 11
    StartDexterity 12
    StartVitality 13
    StartIntelligence 14
    StartSpirit 15
    Scale 1.25
    CombatEffectCriticalHit "Effects/crit.eff"
}
StatusEffectBasicRegen
{
    Type StatusEffect
    BasicRegen 1
    Forever 1
    TickTime 1
    EffectType OnlyOne
    GroupName "BasicRegen"
}
Brute
{
    Type Object
}
GreatSword
{
    Type Item
    ItemType HandBoth
}
Buckler
{
    Type Item
    ItemType HandSecondary
}
Dagger
{
    Type Item
    ItemType HandPrimary
}
SkillEnd
{
    Type Skill
    BasicSkill 1
    Self 1
    Suicide 1
}
)";

    PlayerWorld() { Player::RegisterEventClass(events, types); }

    Player* MakePlayer(const std::string& extraSystem = "")
    {
        std::string records = kRecords;
        if (!extraSystem.empty())
            records.insert(records.find("GridSize"), extraSystem + "\n    ");
        LoadRecords(records);
        auto* player = Spawn<Player>(100.0f, 100.0f);
        player->SetUpNew(0);
        game.lines.clear();
        return player;
    }

    bool HasLine(const std::string& line) const
    {
        for (const std::string& queued : game.lines)
            if (queued == line)
                return true;
        return false;
    }

    static void Kill(Entity& victim, Entity* killer)
    {
        victim.health = 0;
        HandleKill(&victim, killer);
    }
};

// A covenant of its own for the player; the tests set its resurrection wait.
class PlayerTestCovenant : public NeutralCovenant {
public:
    bool IsMember(const Sentient&) const override { return true; }
    float GetResurrectionTime(const Entity*) const override { return wait; }

    float wait = 0.0f;
};

} // namespace

// ---- Creation ---------------------------------------------------------------------------------

TEST_F(PlayerWorld, CreationMarksTheThreeKillRecordsEmptyAndNothingElse)
{
    Player* player = MakePlayer();
    ASSERT_EQ(player->statistics.GetCount(), PlayerStatistic::kCount);
    for (int32_t i = 0; i < PlayerStatistic::kCount; ++i) {
        bool record = i == 8 || i == 12 || i == 14;
        EXPECT_EQ(player->statistics.Get(i), record ? -1 : 0) << "entry " << i;
    }
}

TEST_F(PlayerWorld, CreationTakesTheClassStartAttributesAndFillsHealth)
{
    Player* player = MakePlayer();
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(player->stats.Get(CharacterStat::BaseStrength + i), 11 + i);
    EXPECT_GT(player->maxHealth, 0);
    EXPECT_EQ(player->health, player->maxHealth);
    EXPECT_FLOAT_EQ(player->lightIntensity, Player::kLightIntensity);
    EXPECT_FLOAT_EQ(player->GetSizeScale(), 1.25f);
}

TEST_F(PlayerWorld, CreationSizesTheBagsAndAppliesBasicRegeneration)
{
    Player* player = MakePlayer();
    EXPECT_EQ(player->GetBag(0)->GetSlotCount(), 30);
    EXPECT_EQ(player->GetBag(1)->GetSlotCount(), 18);
    EXPECT_EQ(player->GetBag(6)->GetSlotCount(), 8);
    EXPECT_EQ(player->GetBag(24)->GetSlotCount(), 8);
    EXPECT_EQ(player->GetBag(25)->GetSlotCount(), 12);
    ASSERT_EQ(player->GetStatusEffects().size(), 1u);
    EXPECT_EQ(player->GetStatusEffects()[0]->GetEntry(), database.FindEntryByName("StatusEffectBasicRegen"));
}

TEST_F(PlayerWorld, APlayerMovesIsAnimateAndStaysOutOfTheWorldSave)
{
    Player* player = MakePlayer();
    EXPECT_TRUE(player->IsPlayer());
    EXPECT_TRUE(player->CanMove());
    EXPECT_FALSE(player->IsInanimate());
    EXPECT_FALSE(player->IsFree());
}

// ---- The step -----------------------------------------------------------------------------------

TEST_F(PlayerWorld, PlayTimeRollsOverIntoADayPastItsLength)
{
    Player* player = MakePlayer();
    player->statistics.Set(PlayerStatistic::PlayMilliseconds, Player::kMillisecondsPerDay);
    player->Update(0.0f);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::DaysPlayed), 0) << "exactly a day is not past it";
    player->Update(0.001f);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::DaysPlayed), 1);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::PlayMilliseconds), 1);
}

TEST_F(PlayerWorld, PlayTimeCountsWholeMillisecondsOfEachStep)
{
    Player* player = MakePlayer();
    for (int32_t i = 0; i < 4; ++i)
        player->Update(0.05f);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::PlayMilliseconds), 200);
}

TEST_F(PlayerWorld, ADeadPlayerStartsDyingOnceAndALivingOneDoesNot)
{
    Player* player = MakePlayer();
    player->Update(0.05f);
    EXPECT_EQ(player->dyingState, PlayerDying::kAlive);
    player->health = 0;
    player->Update(0.05f);
    EXPECT_EQ(player->dyingState, PlayerDying::kDying);
}

// ---- Client positions and exploration --------------------------------------------------------

TEST_F(PlayerWorld, AMoveUnderAHundredthOfAUnitChangesNothing)
{
    game.levelCount = 3;
    Player* player = MakePlayer();
    WorldPos before = player->position;
    int32_t moves = game.gridMoves;
    EXPECT_TRUE(player->SetClientPosition(At(100.005f, 99.995f)));
    EXPECT_EQ(player->position.x, before.x);
    EXPECT_EQ(player->position.y, before.y);
    EXPECT_EQ(game.gridMoves, moves);
    player->SetPosition(At(100.0f, 100.0f, 2));
    EXPECT_TRUE(player->IsLevelExplored(2)) << "the same small step onto another level is a move";
}

TEST_F(PlayerWorld, ClientPositionsOnUnknownLevelsOrNotFiniteAreRefused)
{
    game.levelCount = 2;
    Player* player = MakePlayer();
    WorldPos before = player->position;
    int32_t moves = game.gridMoves;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(player->SetClientPosition(At(10.0f, 10.0f, 2)));
    EXPECT_FALSE(player->SetClientPosition(At(10.0f, 10.0f, -1)));
    EXPECT_FALSE(player->SetClientPosition(At(nan, 10.0f)));
    EXPECT_FALSE(player->SetClientPosition(At(10.0f, -inf)));
    EXPECT_EQ(player->position.x, before.x);
    EXPECT_EQ(player->position.level, before.level);
    EXPECT_EQ(game.gridMoves, moves);
    EXPECT_FALSE(player->IsLevelExplored(2));
    EXPECT_TRUE(player->SetClientPosition(At(10.0f, 10.0f, 1)));
    EXPECT_EQ(player->position.level, 1);
}

TEST_F(PlayerWorld, ALevelPaysItsExplorationExperienceOnce)
{
    game.levelCount = 3;
    Player* player = MakePlayer();
    ASSERT_TRUE(player->SetClientPosition(At(50.0f, 50.0f, 2)));
    int32_t xp = player->stats.Get(CharacterStat::Xp);
    EXPECT_EQ(xp, 50) << "100 x the level discovery factor at an even level";
    EXPECT_TRUE(HasLine("dmg " + std::to_string(player->entityNumber) + " +50$$xp$$"));
    ASSERT_TRUE(player->SetClientPosition(At(50.0f, 50.0f, 1)));
    ASSERT_TRUE(player->SetClientPosition(At(80.0f, 50.0f, 2)));
    EXPECT_EQ(player->stats.Get(CharacterStat::Xp), 100) << "level 1 paid, level 2 not again";
}

TEST_F(PlayerWorld, EnteringLevelZeroFirstGivesNoExperience)
{
    game.levelCount = 2;
    Player* player = MakePlayer();
    ASSERT_TRUE(player->SetClientPosition(At(300.0f, 300.0f, 0)));
    EXPECT_TRUE(player->IsLevelExplored(0));
    EXPECT_EQ(player->stats.Get(CharacterStat::Xp), 0);
    EXPECT_TRUE(game.lines.empty());
}

// ---- Targets -------------------------------------------------------------------------------------

TEST_F(PlayerWorld, AnAttackerBecomesTheAutoTargetOnlyWhenTheOldOneIsGoneDeadOrFar)
{
    Player* player = MakePlayer();
    auto* first = Spawn<Sentient>(120.0f, 100.0f);
    auto* second = Spawn<Sentient>(130.0f, 100.0f);
    first->maxHealth = first->health = 10;
    second->maxHealth = second->health = 10;
    player->OnAttackedBy(first);
    EXPECT_EQ(player->GetAutoTarget(), first);
    EXPECT_FLOAT_EQ(player->retargetTimer.remaining, Player::kRetargetSeconds);
    player->OnAttackedBy(second);
    EXPECT_EQ(player->GetAutoTarget(), first) << "a near, living auto target stays";
    first->SetPosition(At(100.0f + 1.9f * 32.0f, 100.0f));
    player->OnAttackedBy(second);
    EXPECT_EQ(player->GetAutoTarget(), second) << "1.9 grid cells away is too far";
    second->health = 0;
    player->OnAttackedBy(first);
    EXPECT_EQ(player->GetAutoTarget(), first);
    player->OnAttackedBy(player);
    EXPECT_EQ(player->GetAutoTarget(), first) << "the player never targets itself";
}

TEST_F(PlayerWorld, TheAutoTargetIsTheCurrentTargetOnlyInFightingMode)
{
    Player* player = MakePlayer();
    auto* enemy = Spawn<Sentient>(120.0f, 100.0f);
    enemy->maxHealth = enemy->health = 10;
    player->OnAttackedBy(enemy);
    EXPECT_EQ(player->GetCurrentTarget(), nullptr);
    player->interactionMode = 3;
    EXPECT_EQ(player->GetCurrentTarget(), enemy);
    auto* chosen = Spawn<Sentient>(140.0f, 100.0f);
    player->SetSelectedTarget(chosen);
    EXPECT_EQ(player->GetCurrentTarget(), chosen);
    enemy->SetPosition(At(125.0f, 100.0f));
    player->SetPosition(At(110.0f, 100.0f));
    EXPECT_EQ(player->GetAutoTarget(), nullptr) << "moving drops the auto target";
}

// ---- Item timers ---------------------------------------------------------------------------------

TEST_F(PlayerWorld, ItemTimerZeroIsAlwaysReadyAndSettingItDoesNothing)
{
    Player* player = MakePlayer();
    player->SetItemTimer(0, 5.0f);
    EXPECT_TRUE(player->IsItemTimerReady(0));
    EXPECT_FALSE(player->itemTimers[0].running);
    player->SetItemTimer(Player::kItemTimerCount, 5.0f);
    EXPECT_TRUE(game.lines.empty());
}

TEST_F(PlayerWorld, AnItemTimerRunsDownWithTheStepAndTellsTheClients)
{
    Player* player = MakePlayer();
    player->SetItemTimer(2, 0.5f);
    EXPECT_TRUE(HasLine("itemTimer 2 0.5"));
    EXPECT_FALSE(player->IsItemTimerReady(2));
    EXPECT_TRUE(player->IsItemTimerReady(1));
    for (int32_t i = 0; i < 9; ++i)
        player->Update(0.05f);
    EXPECT_FALSE(player->IsItemTimerReady(2));
    player->Update(0.05f);
    EXPECT_TRUE(player->IsItemTimerReady(2));
}

// ---- Statistics reported by combat -------------------------------------------------------------

TEST_F(PlayerWorld, ReportedDamageAndHealingKeepTheirLargest)
{
    Player* player = MakePlayer();
    player->ReportDamageDealt(40);
    player->ReportDamageDealt(12);
    player->ReportHealingDone(7);
    player->ReportHealingDone(30);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::LargestSkillDamage), 40);
    EXPECT_EQ(player->statistics.Get(PlayerStatistic::LargestHeal), 30);
}

TEST_F(PlayerWorld, TheCombatEffectComesFromTheClassRecordByKind)
{
    Player* player = MakePlayer();
    std::string effect;
    player->GetCombatEffect(AttackSoundType::CriticalHit, effect);
    EXPECT_EQ(effect, "Effects/crit.eff");
    player->GetCombatEffect(AttackSoundType::NormalHit, effect);
    EXPECT_EQ(effect, "");
    player->GetCombatEffect(-1, effect);
    EXPECT_EQ(effect, "");
}

// ---- Death -----------------------------------------------------------------------------------------

TEST_F(PlayerWorld, ADeathWithoutACovenantKillerAddsDebtAndNamesTheKillerRecord)
{
    game.experienceLoss = 0.1f;
    Player* player = MakePlayer();
    auto* brute = Spawn<Entity>(110.0f, 100.0f);
    brute->SetEntry(database.FindEntryByName("Brute"));
    int32_t needed = player->stats.Get(CharacterStat::XpNeeded);
    ASSERT_GT(needed, 0);
    Kill(*player, brute);
    EXPECT_EQ(player->stats.Get(CharacterStat::XpDebt), static_cast<int32_t>(std::ceil(needed * 0.1f)));
    EXPECT_TRUE(HasLine("death " + std::to_string(database.FindEntryByName("Brute")->GetId())));
}

TEST_F(PlayerWorld, ASuicideIsADeathAtTheirOwnHands)
{
    game.experienceLoss = 0.1f;
    Player* player = MakePlayer();
    player->SetEntry(database.FindEntryByName("Brute"));
    game.players = {player};
    int32_t needed = player->stats.Get(CharacterStat::XpNeeded);
    auto* skill = dynamic_cast<Skill*>(player->skillList->AddSkill(gameData.FindSkillDefinition("SkillEnd"), player, 0, 0));
    ASSERT_NE(skill, nullptr);
    skill->ApplyFurtherEffects(*player, nullptr);
    EXPECT_TRUE(player->IsDead());
    EXPECT_EQ(player->stats.Get(CharacterStat::XpDebt), static_cast<int32_t>(std::ceil(needed * 0.1f)));
    EXPECT_TRUE(HasLine("death " + std::to_string(database.FindEntryByName("Brute")->GetId())));
    EXPECT_EQ(game.notices, (std::vector<std::string>{"died " + std::to_string(player->entityNumber)}));
    game.players.clear();
}

TEST_F(PlayerWorld, ADeathAtACovenantMembersHandsCostsNothing)
{
    game.experienceLoss = 0.1f;
    PlayerTestCovenant covenant;
    game.covenants.push_back(&covenant);
    Player* player = MakePlayer();
    auto* rival = Spawn<Sentient>(110.0f, 100.0f);
    rival->covenantIndex = 0;
    Kill(*player, rival);
    EXPECT_EQ(player->stats.Get(CharacterStat::XpDebt), 0);
}

// ---- Resurrection and lives --------------------------------------------------------------------

TEST_F(PlayerWorld, ResurrectionRestoresItsShareOfHealthAndPower)
{
    Player* player = MakePlayer();
    player->stats.Set(CharacterStat::Power, 0);
    player->health = 0;
    player->dyingState = PlayerDying::kDead;
    player->Resurrect(false);
    EXPECT_EQ(player->health, player->maxHealth / 2);
    EXPECT_EQ(player->stats.Get(CharacterStat::Power), player->stats.Get(CharacterStat::MaxPower) / 4);
    EXPECT_EQ(player->dyingState, PlayerDying::kAlive);
    ASSERT_FALSE(game.worldEvents.empty());
    EXPECT_EQ(game.worldEvents.back().name, "Sounds/Player/resurrect.ogg");
}

TEST_F(PlayerWorld, OnlyTheDeadAreResurrected)
{
    Player* player = MakePlayer();
    player->health = 3;
    player->Resurrect(false);
    EXPECT_EQ(player->health, 3);
    EXPECT_TRUE(game.worldEvents.empty());
}

TEST_F(PlayerWorld, WithLimitedLivesNoneLeftKeepsThePlayerDead)
{
    Player* player = MakePlayer("LimitedLives 1");
    player->stats.Set(CharacterStat::Lives, 0);
    player->health = 0;
    player->Resurrect(true);
    EXPECT_TRUE(player->IsDead());
}

TEST_F(PlayerWorld, WithLimitedLivesTwoLeaveOneAndSayTheLastIsLeft)
{
    Player* player = MakePlayer("LimitedLives 1");
    player->stats.Set(CharacterStat::Lives, 2);
    player->health = 0;
    player->Resurrect(true);
    EXPECT_TRUE(player->IsAlive());
    EXPECT_EQ(player->stats.Get(CharacterStat::Lives), 1);
    EXPECT_TRUE(HasLine("msg 2 \"$$OneLifeLeft$$\""));
}

TEST_F(PlayerWorld, WithLimitedLivesMoreLeftCountsThem)
{
    Player* player = MakePlayer("LimitedLives 1");
    player->stats.Set(CharacterStat::Lives, 4);
    player->health = 0;
    player->Resurrect(true);
    EXPECT_EQ(player->stats.Get(CharacterStat::Lives), 3);
    EXPECT_TRUE(HasLine("msg 2 \"" + MakeLocToken("XLivesLeft", "%d", 3) + "\""));
}

TEST_F(PlayerWorld, AResurrectionRequestWaitsForTheCovenantsDelay)
{
    PlayerTestCovenant covenant;
    covenant.wait = 1.0f;
    covenant.home = At(400.0f, 400.0f);
    game.covenants.push_back(&covenant);
    Player* player = MakePlayer();
    player->covenantIndex = 0;
    player->health = 0;
    player->RequestResurrect();
    EXPECT_TRUE(player->IsDead());
    game.StepFor(1.1f);
    EXPECT_TRUE(player->IsAlive());
    EXPECT_NEAR(player->position.x, 400.0f, 200.0f) << "brought back at the covenant house";
}

TEST_F(PlayerWorld, ARepeatedResurrectionRequestKeepsTheFirstWait)
{
    PlayerTestCovenant covenant;
    covenant.wait = 2.0f;
    game.covenants.push_back(&covenant);
    Player* player = MakePlayer();
    player->covenantIndex = 0;
    player->health = 0;
    player->RequestResurrect();
    game.StepFor(1.0f);
    player->RequestResurrect();
    player->RequestResurrect();
    EXPECT_TRUE(player->IsDead()) << "asking again does not skip the wait";
    game.StepFor(0.9f);
    EXPECT_TRUE(player->IsDead()) << "nor does it restart or shorten it";
    game.StepFor(0.2f);
    EXPECT_TRUE(player->IsAlive()) << "the first request still raises the player on time";
}

TEST_F(PlayerWorld, AResurrectionRequestWithoutACovenantIsAtOnce)
{
    Player* player = MakePlayer();
    player->health = 0;
    player->RequestResurrect();
    EXPECT_TRUE(player->IsAlive());
}

// ---- Interaction ---------------------------------------------------------------------------------

namespace {

// Counts what a player does to it.
class PlayerTestUsable : public Entity {
public:
    void Use(Entity*) override { ++uses; }
    void OnUsedBy(Entity*) override { ++starts; }
    void OnUseEnded(Entity*) override { ++ends; }

    int32_t uses = 0;
    int32_t starts = 0;
    int32_t ends = 0;
};

} // namespace

TEST_F(PlayerWorld, AnInteractionOfModes18And19StartsAndEndsTheTargetsUse)
{
    Player* player = MakePlayer();
    auto* shrine = Spawn<PlayerTestUsable>(110.0f, 100.0f);
    player->SetInteraction(18, shrine->entityNumber);
    EXPECT_EQ(shrine->starts, 1);
    EXPECT_EQ(player->GetInteractionTarget(), shrine);
    EXPECT_EQ(player->GetUseTarget(), shrine);
    player->SetInteraction(18, shrine->entityNumber);
    EXPECT_EQ(shrine->starts, 1) << "the same mode and target change nothing";
    player->SetInteraction(2, shrine->entityNumber);
    EXPECT_EQ(shrine->ends, 1);
    EXPECT_EQ(shrine->starts, 1);
    EXPECT_EQ(player->interactionMode, 2);
}

TEST_F(PlayerWorld, AnInteractionOfModes20And21UsesTheTargetAndNumbersPastTheTableNameNone)
{
    Player* player = MakePlayer();
    auto* lever = Spawn<PlayerTestUsable>(110.0f, 100.0f);
    player->SetInteraction(20, lever->entityNumber);
    player->SetInteraction(21, lever->entityNumber);
    EXPECT_EQ(lever->uses, 2);
    player->SetInteraction(20, GameServices::kMaxEntities);
    EXPECT_EQ(player->GetInteractionTarget(), nullptr);
    EXPECT_EQ(lever->uses, 2);
    EXPECT_EQ(lever->ends, 0);
}

TEST_F(PlayerWorld, OnlyATownspersonOfItsOwnCovenantIsTheOwnCovenantsNpc)
{
    Player* player = MakePlayer();
    EXPECT_FALSE(player->TalksToOwnCovenantNpc()) << "nobody to talk to";
    auto* shrine = Spawn<PlayerTestUsable>(110.0f, 100.0f);
    player->SetInteraction(2, shrine->entityNumber);
    player->covenantIndex = 2;
    shrine->covenantIndex = 2;
    EXPECT_FALSE(player->TalksToOwnCovenantNpc()) << "no actor";
    auto* townsperson = Spawn<Actor>(120.0f, 100.0f);
    player->SetInteraction(2, townsperson->entityNumber);
    struct Case {
        bool npc;
        int32_t theirs;
        int32_t own;
        bool talks;
    };
    const Case cases[] = {{true, 2, 2, true}, {true, 3, 2, false}, {false, 2, 2, false}, {true, -1, -1, false}};
    for (const Case& c : cases) {
        townsperson->npc = c.npc;
        townsperson->covenantIndex = c.theirs;
        player->covenantIndex = c.own;
        EXPECT_EQ(player->TalksToOwnCovenantNpc(), c.talks) << c.npc << " " << c.theirs << " " << c.own;
    }
    EXPECT_FALSE(Entity().TalksToOwnCovenantNpc());
}

TEST_F(PlayerWorld, APartneredCovenantHalvesTheLootMoneyAndItsPartnerAnnouncesTheVictimsLoot)
{
    class PartnerCovenant : public NeutralCovenant {
    public:
        int32_t GetPartnerIndex() const override { return partner; }
        void AnnounceFoundItem(const ItemBase& item) const override { told.emplace_back(item.GetEntry()->GetName()); }
        int32_t partner = -1;
        mutable std::vector<std::string> told;
    } own, partner;
    game.covenants = {&own, &partner};
    Player* player = MakePlayer();
    auto* victim = Spawn<Sentient>();
    victim->inventory->ResizeBag(InventoryGroupIndex::Loot, 4);
    for (auto [name, slot] : {std::pair{"Dagger", 0}, std::pair{"Buckler", 2}}) {
        std::unique_ptr<ItemBase> item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        ASSERT_TRUE(victim->inventory->PlaceItem(item, InventoryGroupIndex::Loot, slot, kPlaceAnyGroup));
    }
    struct Case {
        int32_t ownIndex, partnerIndex;
        float factor;
        std::vector<std::string> told;
    };
    const Case cases[] = {
        {-1, 1, 1.0f, {}},                      // no covenant
        {0, -1, 1.0f, {}},                      // no partner
        {0, 1, 0.5f, {"Dagger", "Buckler"}},    // the partner hears every item of the loot bag
        {0, 7, 1.0f, {}},                       // a partner index of no covenant
    };
    for (const Case& c : cases) {
        player->covenantIndex = c.ownIndex;
        own.partner = c.partnerIndex;
        partner.told.clear();
        EXPECT_FLOAT_EQ(player->GetLootMoneyFactor(), c.factor) << c.ownIndex << " " << c.partnerIndex;
        player->OnVictimLooted(victim);
        EXPECT_EQ(partner.told, c.told) << c.ownIndex << " " << c.partnerIndex;
    }
    player->OnVictimLooted(nullptr);
    game.covenants.clear();
}

TEST_F(PlayerWorld, ATwoHandedWeaponBesideAShieldIsRefusedInEitherOrder)
{
    Player* player = MakePlayer();
    auto make = [&](const char* name) {
        auto item = std::make_unique<Item>();
        item->SetEntry(database.FindEntryByName(name));
        return item;
    };
    auto great = make("GreatSword");
    auto buckler = make("Buckler");
    auto dagger = make("Dagger");
    const std::tuple<Item*, Item*, int32_t> cases[] = {{great.get(), buckler.get(), 1}, {buckler.get(), great.get(), 1},
                                                       {dagger.get(), buckler.get(), 0}, {great.get(), nullptr, 0},
                                                       {great.get(), dagger.get(), 0}};
    for (auto [first, second, told] : cases) {
        game.lines.clear();
        player->CanEquip(first, second);
        EXPECT_EQ(std::count(game.lines.begin(), game.lines.end(), "msg 4 \"$$CantEquip2HandedWeaponAndShield$$\""),
                  told);
    }
}
