// CovenantSoakTest -- eight computer-run covenants in the real game for two game hours of fixed steps, tuned to quarrel, trade and raid: relations, fear and wishes stay sound, each keeps at most one raid gate, the entity table stays bounded, and a raid survives its leader's death.
#include "server/spawn/SpawnWorld.h"

#include "covenants/ActorCovenant.h"
#include "entities/Gate.h"
#include "rules/RulesEnums.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

namespace {

constexpr int32_t kCovenantSoakRivals = 8;
constexpr float kCovenantSoakStep = 0.05f;
// Two game hours of steps, and a game minute of them.
constexpr int32_t kCovenantSoakSteps = 2 * 60 * 60 * 20;
constexpr int32_t kCovenantSoakMinute = 60 * 20;
// What a covenant may add to the table beyond its set-up: guards, relic displays, a gate and
// teleport effects.
constexpr int32_t kCovenantSoakSlack = 16;

constexpr const char* kCovenantSoakTuning = R"(
    MinAiCovenants 8
    MaxAiCovenants 8
    MaxRecruits 4
    MaxMoney 1000000
    TaxPeriod 60
)";

constexpr const char* kCovenantSoakRecords = R"(
ObjectLifestone
{
    Type Object
}
ObjectRaidGate
{
    Type Object
}
ObjectPedestal
{
    Type Object
}
SoakRivalBase
{
    Type Covenant
    BaseOnly 1
    LifestoneHealthMult 2
    MinDifficultyModifier 1
    MaxDifficultyModifier 1
    StartNumRecruitsPerLevel 1
    StartRecruitMinLevelPercent 1
    StartRecruitMaxLevelPercent 1
    StartMoneyDropsBase 2
    StartMoneyDropsPerLevel 1
    TimeBetweenSimilatedBattlesAverage 30
    TimePerAdventure 120
    TimeBetweenAdventures 60
    TimeBetweenRandomRelationChanges 20
    AdventureTypeTime 60
    StopRaidTime 30
    TimeBetweenGuardChanges 120
    AlertTime 30
    SlowStartTime 120
    RelationForPeaceTreatyAverage 70
    PositiveRelationMultAverage 1
    NegativeRelationMultAverage 1
    MaxNaturalHate 1
    NaturalHateMult 1
    BaseFear 5
    MaxFear 30
    MinPowerDiff 0.5
    MaxPowerDiff 2
    TradeFactorFear 0.01
    TradeFactorRelation 0.01
    DemandFactorFear 0.1
    DemandFactorRelation -0.05
    DemandFactorRelationCutoff 50
    DamageForgetPerSec 1
    RelationChangeMinNormal -0.5
    RelationChangeMaxNormal 0.5
    RelationChangeMinLongWar 1
    RelationChangeMaxLongWar 3
    MaxWarTime 900
    MaxWarRelation 40
    RaidChanceMultBadRelations 10
    RaidChanceMultRaidedLately 0.5
    MinimumTimeBetweenRaids 120
    MediumRaidTime 120
    LongRaidTime 300
    StopRaidChanceChangeMediumRaid -1.5
    StopRaidChanceChangeLongRaid -3
    RelationChangeMinWarStart -3
    RelationChangeMaxWarStart -1
    RelationChangeMinRaidStart -3
    RelationChangeMaxRaidStart -1
    TotalTradeChance 0.5
    DemandChanceStartX 0
    DemandChanceStartY 1
    DemandChanceEndX 100
    DemandChanceEndY 1
    TradeChanceStartX 0
    TradeChanceStartY 1
    TradeChanceEndX 100
    TradeChanceEndY 1
    GiftChanceStartX 0
    GiftChanceStartY 1
    GiftChanceEndX 100
    GiftChanceEndY 1
    GiftChanceCrystals 1
    GiftChanceInfluence 1
    DemandChanceCrystals 1
    DemandChanceInfluence 1
    TradeChanceItem 1
    DemandChanceWar 1
    TradeChanceWar 1
    GenericValueChunkPercent 0.1
    MinComparisionCrystals 100
    MinComparisionInfluenceNumKills 1
    RelationChangeMultMyCrystals 1
    RelationChangeMultTheirCrystals 1
    RelationChangeCrystalsMaxPerTrade 10
    RelationChangeMultMyInfluence 1
    RelationChangeMultTheirInfluence 1
    RelationChangeInfluenceMaxPerTrade 10
    RelationChangeEqualTrade 0.5
    RelationChangeMinDemand -2
    RelationChangeMaxDemand -1
    RelationChangeMinDemandRejected -2
    RelationChangeMaxDemandRejected -1
    RelationChangeMinTradeIgnored -1
    RelationChangeMaxTradeIgnored -0.5
    RumorChanceStartX 0
    RumorChanceStartY 5
    RumorChanceEndX 100
    RumorChanceEndY 5
    RumorChanceQuick 1
    SharedAdventureXp 100
}
Rival0
{
    Base SoakRivalBase
    Type Covenant
}
Rival1
{
    Base SoakRivalBase
    Type Covenant
}
Rival2
{
    Base SoakRivalBase
    Type Covenant
}
Rival3
{
    Base SoakRivalBase
    Type Covenant
}
Rival4
{
    Base SoakRivalBase
    Type Covenant
}
Rival5
{
    Base SoakRivalBase
    Type Covenant
}
Rival6
{
    Base SoakRivalBase
    Type Covenant
}
Rival7
{
    Base SoakRivalBase
    Type Covenant
}
Human
{
    Type Covenant
}
)";

class CovenantSoak : public SpawnWorld {
protected:
    CovenantSoak()
    {
        std::string records = kSpawnBaseRecords;
        const std::string head = "GameSystem\n{\n";
        records.insert(records.find(head) + head.size(), kCovenantSoakTuning);
        LoadRecords(records + kCovenantSoakRecords + kSpawnRecord);
        spawn.Load();
        gSpawnSystem = &spawn;
        game->SetCovenantMaker([] { return std::make_unique<ActorCovenant>(); });
        game->NewWorld(4, 1, 1, kCovenantSoakRivals);
        // The rivals keep still until a player first stands outside the town: one steps out and
        // back, and the rivals are left to themselves.
        Player* scout = AddPlayer(100.0f, 100.0f);
        scout->SetPosition(WorldPos{1, 100.0f, 100.0f, true});
        game->Update(kCovenantSoakStep);
        scout->SetPosition(At(100.0f, 100.0f));
        game->Update(kCovenantSoakStep);
    }

    ActorCovenant* Rival(int32_t i) const { return dynamic_cast<ActorCovenant*>(game->GetCovenant(i)); }

    int32_t CountEntities() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            count += game->GetEntity(i) ? 1 : 0;
        return count;
    }

    // Raid gates standing, by covenant; false when a covenant holds more than one.
    bool GatesAtMostOneEach() const
    {
        std::array<int32_t, kMaxCovenants> gates{};
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i) {
            const auto* gate = dynamic_cast<const Gate*>(game->GetEntity(i));
            if (!gate || gate->covenantIndex < 0 || gate->covenantIndex >= kMaxCovenants || !gate->GetEntry() ||
                gate->GetEntry()->GetName() != "ObjectRaidGate")
                continue;
            if (++gates[static_cast<size_t>(gate->covenantIndex)] > 1)
                return false;
        }
        return true;
    }

    // Every relation in 0..100 and a number; fear and wishes finite.
    ::testing::AssertionResult MindsAreSound() const
    {
        int32_t count = game->GetCovenantCount();
        for (int32_t i = 0; i < count; ++i) {
            const ActorCovenant* rival = Rival(i);
            for (int32_t u = 0; rival && u < count; ++u) {
                float relation = rival->GetRelation(u);
                auto slot = static_cast<size_t>(u);
                if (!(relation >= 0.0f && relation <= 100.0f))
                    return ::testing::AssertionFailure() << i << " toward " << u << " relation " << relation;
                if (!std::isfinite(rival->fear[slot]) || !std::isfinite(rival->tradeWish[slot]) ||
                    !std::isfinite(rival->demandWish[slot]))
                    return ::testing::AssertionFailure() << i << " toward " << u << " fear or wishes";
            }
        }
        return ::testing::AssertionSuccess();
    }
};

} // namespace

TEST_F(CovenantSoak, EightRivalsQuarrelAndRaidForTwoHoursAndStaySound)
{
    ASSERT_EQ(game->GetCovenantCount(), kCovenantSoakRivals);
    ASSERT_TRUE(game->IsWorldAwake());
    for (int32_t i = 0; i < kCovenantSoakRivals; ++i) {
        ASSERT_NE(Rival(i), nullptr);
        ASSERT_NE(Rival(i)->GetLeader(), nullptr) << i;
    }
    const int32_t setUpEntities = CountEntities();
    int32_t raidsStarted = 0;
    int32_t raidsStopped = 0;
    int32_t wars = 0;
    bool leaderKilled = false;
    std::array<int32_t, kCovenantSoakRivals> targets;
    targets.fill(-1);
    for (int32_t step = 1; step <= kCovenantSoakSteps; ++step) {
        game->Update(kCovenantSoakStep);
        for (int32_t i = 0; i < kCovenantSoakRivals; ++i) {
            ActorCovenant* rival = Rival(i);
            int32_t target = rival->targetCovenant;
            auto slot = static_cast<size_t>(i);
            if (target != targets[slot]) {
                raidsStarted += target != -1 ? 1 : 0;
                raidsStopped += targets[slot] != -1 ? 1 : 0;
                targets[slot] = target;
            }
            // The first raid loses its leader at once: it goes on and takes the leader back once risen.
            if (target != -1 && !leaderKilled) {
                if (auto* leader = dynamic_cast<Sentient*>(rival->GetLeader())) {
                    leader->TakeDamage(leader->health + leader->maxHealth + 1, nullptr, false, true);
                    leaderKilled = true;
                }
            }
        }
        ASSERT_TRUE(MindsAreSound()) << "step " << step;
        // A gate taken down this step leaves with the step's own deletions.
        game->UpdateTimedActions(0.0f);
        ASSERT_TRUE(GatesAtMostOneEach()) << "step " << step;
        if (step % kCovenantSoakMinute == 0) {
            ASSERT_LE(CountEntities(), setUpEntities + kCovenantSoakRivals * kCovenantSoakSlack) << "step " << step;
        }
    }
    for (int32_t i = 0; i < kCovenantSoakRivals; ++i)
        for (int32_t u = 0; u < kCovenantSoakRivals; ++u)
            wars += Rival(i)->IsAtWarWith(u) ? 1 : 0;
    EXPECT_TRUE(leaderKilled);
    EXPECT_GE(raidsStarted, 1);
    EXPECT_GE(raidsStopped, 1);
    EXPECT_GT(wars, 0);
}
