// ActorCovenant -- the rival's diplomatic mind: relation drift, fear and wishes, war, pacts and routes given up, and raids through a raid gate.
#include "covenants/ActorCovenant.h"

#include "core/Database.h"
#include "core/RandomSystem.h"
#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/Gate.h"
#include "entities/GameServices.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr const char* kActorCovenantRaidGateRecord = "ObjectRaidGate";
// Multipliers read here: the relation wanted for peace, and a cancelled treaty's weight.
constexpr int32_t kActorCovenantPeaceMultiplier = 8;
// A raid's party stands within these rings of the home.
constexpr int32_t kActorCovenantRaidRings = 5;
// The smallest stop total that keeps a raid going.
constexpr float kActorCovenantStopRaidFloor = 0.01f;

// The home's health over its maximum; 0 without a maximum.
float ActorCovenantHealthFraction(const Covenant& covenant)
{
    int32_t most = covenant.GetHomeMaxHealth();
    return most > 0 ? static_cast<float>(covenant.GetHomeHealth()) / static_cast<float>(most) : 0.0f;
}

// The seconds in a stamp, for comparing durations.
double ActorCovenantSeconds(const TimeStamp& stamp)
{
    return ((static_cast<double>(stamp.days) * 24.0 + stamp.hours) * 60.0 + stamp.minutes) * 60.0 + stamp.seconds;
}

} // namespace

float ActorCovenant::Roll(std::string_view minKey, std::string_view maxKey) const
{
    return Definition() ? Definition()->Roll(minKey, maxKey) : 0.0f;
}

const char* ActorCovenant::LifeStoneHarm(float healthFraction) const
{
    if (healthFraction < DefinitionFloat("LifeStoneDangerLevel"))
        return "LifeStoneDanger";
    if (healthFraction < DefinitionFloat("LifeStoneThreatenedLevel"))
        return "LifeStoneThreatened";
    if (healthFraction < DefinitionFloat("LifeStoneDamagedLevel"))
        return "LifeStoneDamaged";
    return nullptr;
}

// ---- Relations and fear ---------------------------------------------------------------------------------

float ActorCovenant::GetRelationForPeaceTreaty(const Covenant& other) const
{
    float wanted = Definition() ? Definition()->GetRelationForPeaceTreaty(difficultyLevel) : 0.0f;
    float feared = other.index >= 0 && other.index < kMaxCovenants ? fear[static_cast<size_t>(other.index)] : 0.0f;
    return wanted * GetFloatStat(kActorCovenantPeaceMultiplier) - feared;
}

float ActorCovenant::WarPressure(int32_t other) const
{
    const Covenant* them = gCovenantHost ? gCovenantHost->GetCovenant(other) : nullptr;
    return them ? GetRelationForPeaceTreaty(*them) - GetRelation(other) : 0.0f;
}

void ActorCovenant::RecomputeWishes(int32_t other)
{
    if (other < 0 || other >= kMaxCovenants)
        return;
    auto u = static_cast<size_t>(other);
    float relation = GetRelation(other);
    tradeWish[u] = fear[u] * DefinitionFloat("TradeFactorFear") + relation * DefinitionFloat("TradeFactorRelation");
    demandWish[u] = std::max(0.0f, fear[u] * DefinitionFloat("DemandFactorFear") +
                                       DefinitionFloat("DemandFactorRelation") *
                                           (relation - DefinitionFloat("DemandFactorRelationCutoff")));
}

void ActorCovenant::RecomputeFear(int32_t other)
{
    const Covenant* them = gCovenantHost ? gCovenantHost->GetCovenant(other) : nullptr;
    if (!them || other >= kMaxCovenants)
        return;
    float f = DefinitionFloat("BaseFear");
    float own = ActorCovenantHealthFraction(*this);
    if (const char* harm = LifeStoneHarm(own))
        f *= DefinitionFloat(std::string("FearMult") + harm);
    float d = own - ActorCovenantHealthFraction(*them);
    // Raids and wars are judged by the same lifestone gaps.
    float wellGap = DefinitionFloat("WinningRaidWellLifeStoneDifference");
    float gap = DefinitionFloat("WinningRaidLifeStoneDifference");
    auto winning = [&](const char* well, const char* win, const char* badly, const char* lose) {
        if (d > wellGap)
            f *= DefinitionFloat(well);
        else if (d > gap)
            f *= DefinitionFloat(win);
        if (d < -wellGap)
            f *= DefinitionFloat(badly);
        else if (d < -gap)
            f *= DefinitionFloat(lose);
    };
    auto power = [&f, this](const char* key, int32_t count) {
        if (count > 0)
            f *= std::pow(DefinitionFloat(key), static_cast<float>(count));
    };
    if (targetCovenant == other || them->targetCovenant == index) {
        winning("FearMultWinningRaidWell", "FearMultWinningRaid", "FearMultLosingRaidBadly", "FearMultLosingRaid");
    } else if (GetTreatyState(other) == CovenantTreaty::War) {
        winning("FearMultWinningWarWell", "FearMultWinningWar", "FearMultLosingWarBadly", "FearMultLosingWar");
    } else {
        power("FearMultProtectionPacts", CountProtectionPartnersOf(*this));
        power("FearMultEnemyProtectionPacts", CountProtectionPartnersOf(*them));
        power("FearMultAlliances", CountAlliesOf(*this));
        power("FearMultEnemyAlliances", CountAlliesOf(*them));
    }
    if (targetCovenant != -1 && targetCovenant != other)
        f *= DefinitionFloat("FearMultAlreadyRaidingSomeone");
    if (them->targetCovenant != -1 && them->targetCovenant != index)
        f *= DefinitionFloat("FearMultEnemyAlreadyRaidingSomeone");
    power("FearMultOtherWars", CountWars(nullptr));
    power("FearMultEnemyOtherWars", them->CountWars(nullptr));
    power("FearMultBeingRaided", CountCovenantsTargeting(nullptr));
    power("FearMultEnemyBeingRaided", them->CountCovenantsTargeting(nullptr));
    int32_t strength = ComputeStrength();
    if (strength > 0)
        f *= std::clamp(static_cast<float>(them->ComputeStrength()) / static_cast<float>(strength),
                        DefinitionFloat("MinPowerDiff"), DefinitionFloat("MaxPowerDiff"));
    // A value that is no number would poison every later product.
    fear[static_cast<size_t>(other)] = std::isfinite(f) ? std::min(f, DefinitionFloat("MaxFear")) : 0.0f;
}

// ---- The diplomacy pass ------------------------------------------------------------------------------------

void ActorCovenant::DriftRelation(int32_t u)
{
    const Covenant* them = gCovenantHost ? gCovenantHost->GetCovenant(u) : nullptr;
    if (!them || them == this)
        return;
    ChangeRelation(u, -naturalHate[static_cast<size_t>(u)], false);
    switch (GetTreatyState(u)) {
    case CovenantTreaty::NonAggressionPact:
        ChangeRelation(u, Roll("RelationChangeMinNonAggression", "RelationChangeMaxNonAggression"), true);
        break;
    case CovenantTreaty::MutualProtectionPact:
        ChangeRelation(u, Roll("RelationChangeMinMutualProtection", "RelationChangeMaxMutualProtection"), true);
        break;
    case CovenantTreaty::Alliance:
        ChangeRelation(u, Roll("RelationChangeMinAlliance", "RelationChangeMaxAlliance"), true);
        break;
    default: ChangeRelation(u, Roll("RelationChangeMinNormal", "RelationChangeMaxNormal"), false); break;
    }
    if (IsAtWarWith(u)) {
        TimeStamp lasted = TimeStamp::Difference(GetTreatyTimeStamp(u), GetGameTime());
        lasted.Normalize();
        if (ActorCovenantSeconds(lasted) > DefinitionFloat("MaxWarTime") && GetRelation(u) < DefinitionFloat("MaxWarRelation"))
            ChangeRelation(u, Roll("RelationChangeMinLongWar", "RelationChangeMaxLongWar"), true);
    }
    if (ActorCovenantHealthFraction(*them) < DefinitionFloat("MaxWeakLifeStone"))
        ChangeRelation(u, Roll("RelationChangeMinWeakLifeStone", "RelationChangeMaxWeakLifeStone"), false);
    for (int32_t w = 0; w < gCovenantHost->GetCovenantCount(); ++w) {
        if (w == index || w == u)
            continue;
        bool pact = HasPactWith(w);
        if (pact && them->IsAtWarWith(w))
            ChangeRelation(u, Roll("RelationChangeMinEnemyOfFriend", "RelationChangeMaxEnemyOfFriend"), false);
        else if (!pact && IsAtWarWith(w)) {
            if (them->IsAtWarWith(w))
                ChangeRelation(u, Roll("RelationChangeMinEnemyOfEnemy", "RelationChangeMaxEnemyOfEnemy"), true);
            if (them->HasPactWith(w))
                ChangeRelation(u, Roll("RelationChangeMinFriendOfEnemy", "RelationChangeMaxFriendOfEnemy"), false);
        }
    }
}

void ActorCovenant::DiplomacyPass()
{
    if (!gCovenantHost)
        return;
    StartTimer(RelationsTimer);
    int32_t count = gCovenantHost->GetCovenantCount();
    for (int32_t u = 0; u < count; ++u)
        DriftRelation(u);
    float forget = DefinitionFloat("DamageForgetPerSec") * DefinitionFloat("TimeBetweenRandomRelationChanges");
    for (int32_t u = 0; u < count && u < kMaxCovenants; ++u) {
        Covenant* them = gCovenantHost->GetCovenant(u);
        if (!them || them == this || them->eliminated)
            continue;
        auto slot = static_cast<size_t>(u);
        RecomputeFear(u);
        RecomputeWishes(u);
        damageFrom[slot] = std::max(0.0f, damageFrom[slot] - forget);
        int32_t treaty = GetTreatyState(u);
        bool leave = (treaty == CovenantTreaty::NonAggressionPact &&
                      DefinitionFloat("RelationForNonAggresionPact") - GetRelation(u) + GetTreatyCancelChange(treaty) > 0.0f) ||
                     (treaty == CovenantTreaty::MutualProtectionPact &&
                      DefinitionFloat("RelationForMutualProtectionPact") - GetRelation(u) + GetTreatyCancelChange(treaty) > 0.0f) ||
                     (treaty == CovenantTreaty::Alliance && AllianceMeasure(*them, 0) > 0.0f);
        if (leave)
            gCovenantHost->AnnounceDiplomacy(index, them->index, CovenantTreaty::Peace, false);
        int32_t route = GetTradeRouteKind(u);
        if (route > 0 && Definition() &&
            Definition()->GetRelationForTradeRoute(route) - GetRelation(u) +
                    Definition()->GetRelationChangeCancelledTradeRoute(route) > 0.0f)
            gCovenantHost->SetTradeRoute(this, them, TradeRouteType::None, false);
        if (!IsAtWarWith(u) && WarPressure(u) > 0.0f) {
            WithdrawOffer(u, false);
            gCovenantHost->AnnounceDiplomacy(index, them->index, CovenantTreaty::War, false);
            if (activity == AdventuringWithCovenant && adventurePartner == u)
                StopAdventuringWith(*this);
        }
        MakeOffer(u);
        MaybeStartRumor(u);
        if (WantsToRaid(u, false, 0.0f))
            StartRaid(u);
    }
    recentDamage = std::max(0.0f, recentDamage - forget);
}

float ActorCovenant::GetTreatyCancelChange(int32_t treaty) const
{
    return Covenant::GetTreatyCancelChange(treaty) * GetFloatStat(10);
}

// ---- Raids -----------------------------------------------------------------------------------------------

bool ActorCovenant::WantsToRaid(int32_t u, bool ignoreSlowStart, float factor) const
{
    const Covenant* them = gCovenantHost ? gCovenantHost->GetCovenant(u) : nullptr;
    if (!them || them == this || them->eliminated || targetCovenant != -1 || !them->IsAvailable())
        return false;
    float c = 1.0f + WarPressure(u) / 100.0f * DefinitionFloat("RaidChanceMultBadRelations");
    if (!(c > 0.0f))
        return false;
    if (factor > 0.0f)
        c *= factor;
    float slow = DefinitionFloat("SlowStartTime");
    double elapsed = ActorCovenantSeconds(GetGameTime());
    // A slow start of no length is none.
    if (!ignoreSlowStart && slow > 0.0f && elapsed < slow)
        c *= static_cast<float>(elapsed / slow);
    if (IsAtWarWithPartnerOf(*them))
        c *= DefinitionFloat("RaidChanceMultEnemyOfAlly");
    auto byTreaty = [this](int32_t w, const char* prefix) {
        switch (GetTreatyState(w)) {
        case CovenantTreaty::Alliance: return DefinitionFloat(std::string(prefix) + "Alliance");
        case CovenantTreaty::MutualProtectionPact: return DefinitionFloat(std::string(prefix) + "MutualProtectionPact");
        case CovenantTreaty::NonAggressionPact: return DefinitionFloat(std::string(prefix) + "NonAggressionPact");
        default: return DefinitionFloat(std::string(prefix) + "Trade");
        }
    };
    if (them->targetCovenant != -1) {
        c *= DefinitionFloat("RaidChanceMultEnemyRaiding");
        if (HasPactWith(them->targetCovenant))
            c *= byTreaty(them->targetCovenant, "RaidChanceMultEnemyRaidingFriend");
    }
    if (them->IsBeingRaided()) {
        c *= DefinitionFloat("RaidChanceMultEnemyBeingRaided");
        for (int32_t w = 0; w < gCovenantHost->GetCovenantCount(); ++w) {
            const Covenant* ally = gCovenantHost->GetCovenant(w);
            if (ally && ally != this && HasPactWith(w) && ally->targetCovenant == u)
                c *= byTreaty(w, "RaidChanceMultEnemyBeingRaidedByFriend");
        }
    }
    if (IsBeingRaided())
        c *= DefinitionFloat("RaidChanceMultBeingRaided");
    TimeStamp since = TimeStamp::Difference(lastRaidEnd, GetGameTime());
    since.Normalize();
    if (ActorCovenantSeconds(since) < DefinitionFloat("MinimumTimeBetweenRaids"))
        c *= DefinitionFloat("RaidChanceMultRaidedLately");
    float own = ActorCovenantHealthFraction(*this);
    if (const char* harm = LifeStoneHarm(own))
        c *= DefinitionFloat(std::string("RaidChanceMult") + harm);
    return c >= 1.0f;
}

void ActorCovenant::StartRaid(int32_t u)
{
    Covenant* them = gCovenantHost ? gCovenantHost->GetCovenant(u) : nullptr;
    if (!them || them == this || them->eliminated)
        return;
    StopAdventuringWith(*this);
    targetCovenant = u;
    raidStart = GetGameTime();
    raidUnderWay = true;
    MakeRaidGate();
    gCovenantHost->StartRaid(index, them->index);
    WithdrawOffer(u, false);
    ReturnHome(false);
    ChooseRaidParty();
}

void ActorCovenant::MakeRaidGate()
{
    // One gate a covenant: a raid on a new target takes the old gate down first.
    if (Entity* old = raidGate.GetAs<Entity>())
        old->ScheduleDelete(0.0f);
    raidGate.Clear();
    auto* gate = new Gate();
    if (const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName(kActorCovenantRaidGateRecord) : nullptr)
        gate->SetEntry(record);
    gate->SetPosition(GetSpawnPointNearHome());
    gate->covenantIndex = index;
    if (gGameServices && gGameServices->AddEntity(gate) != -1)
        raidGate.Set(gate);
    else
        delete gate;
}

void ActorCovenant::ChooseRaidParty()
{
    for (const auto& recruit : recruits)
        if (recruit)
            recruit->outWithParty = false;
    Recruit* leader = FindLeaderRecruit();
    if (!leader)
        return;
    leader->outWithParty = true;
    Actor* head = leader->GetActor();
    if (head)
        LeaveParty(*head);
    for (int32_t n = 0; n < (GetRecruitSlots() - 1) / 2; ++n) {
        Recruit* best = nullptr;
        float bestDraw = -1.0f;
        for (const auto& recruit : recruits) {
            if (!recruit || recruit->outWithParty)
                continue;
            float draw = DrawRandomFloat();
            if (draw > bestDraw) {
                best = recruit.get();
                bestDraw = draw;
            }
        }
        if (!best)
            break;
        best->outWithParty = true;
        if (Actor* follower = best->GetActor(); follower && head)
            head->AddCompanion(follower, GetRecruitSlots() + 1);
    }
    for (const auto& recruit : recruits) {
        Actor* actor = recruit && recruit->outWithParty ? recruit->GetActor() : nullptr;
        if (!actor || !gGameServices)
            continue;
        SpawnSearch search;
        search.entity = actor;
        WorldPos spot;
        if (gGameServices->FindSpawnPosition(GetHomePosition(), kActorCovenantRaidRings, search, true, spot))
            actor->Warp(spot);
        actor->RecalculateStats(false);
    }
}

bool ActorCovenant::ShouldStopRaid()
{
    const Covenant* them = gCovenantHost ? gCovenantHost->GetCovenant(targetCovenant) : nullptr;
    if (eliminated || !them || !them->IsAvailable() || them->eliminated)
        return true;
    RandomTimer& timer = Timer(StopRaidTimer);
    if (!timer.running) {
        StartTimer(StopRaidTimer);
        return false;
    }
    if (!timer.IsExpired())
        return false;
    StartTimer(StopRaidTimer);
    if (!IsAtWarWith(targetCovenant))
        return true;
    float s = 1.0f;
    float own = ActorCovenantHealthFraction(*this);
    if (const char* harm = LifeStoneHarm(own))
        s = 1.0f + DefinitionFloat(std::string("StopRaidChanceChange") + harm);
    float d = own - ActorCovenantHealthFraction(*them);
    float wellGap = DefinitionFloat("WinningRaidWellLifeStoneDifference");
    float gap = DefinitionFloat("WinningRaidLifeStoneDifference");
    if (d > wellGap)
        s += DefinitionFloat("StopRaidChanceChangeWinningRaidWell");
    else if (d > gap)
        s += DefinitionFloat("StopRaidChanceChangeWinningRaid");
    if (d < -wellGap)
        s += DefinitionFloat("StopRaidChanceChangeLosingRaidBadly");
    else if (d < -gap)
        s += DefinitionFloat("StopRaidChanceChangeLosingRaid");
    if (them->IsBeingRaidedExcept(this))
        s += DefinitionFloat("StopRaidChanceChangeBeingRaided");
    TimeStamp lasted = TimeStamp::Difference(raidStart, GetGameTime());
    lasted.Normalize();
    double seconds = ActorCovenantSeconds(lasted);
    if (seconds > DefinitionFloat("LongRaidTime"))
        s += DefinitionFloat("StopRaidChanceChangeLongRaid");
    else if (seconds > DefinitionFloat("MediumRaidTime"))
        s += DefinitionFloat("StopRaidChanceChangeMediumRaid");
    return s <= kActorCovenantStopRaidFloor;
}

float ActorCovenant::TotalDamageTaken(const Covenant& covenant)
{
    float total = covenant.GetDamageFrom(nullptr);
    for (int32_t c = 0; gCovenantHost && c < gCovenantHost->GetCovenantCount(); ++c)
        if (const Covenant* from = gCovenantHost->GetCovenant(c); from && from != &covenant)
            total += covenant.GetDamageFrom(from);
    return total;
}

void ActorCovenant::JudgeSharedRaid()
{
    Covenant* partner = gCovenantHost ? gCovenantHost->GetCovenant(sharedRaidPartner) : nullptr;
    const Covenant* them = gCovenantHost ? gCovenantHost->GetCovenant(targetCovenant) : nullptr;
    sharedRaidPartner = -1;
    if (!partner || !them || GetHomeMaxHealth() <= 0)
        return;
    float total = TotalDamageTaken(*them) - sharedRaidTargetDamage;
    float byPartner = them->GetDamageFrom(partner) - sharedRaidPartnerDamage;
    bool fairShare = (byPartner > 0.0f && byPartner < total) ||
                     (total != 0.0f && byPartner / total > DefinitionFloat("SharedRaidMinDamagePercent"));
    float change = fairShare ? ChangeRelation(partner->index, Roll("SharedRaidSuccessMinRelation", "SharedRaidSuccessMaxRelation"), true)
                             : ChangeRelation(partner->index, Roll("SharedRaidFailureMinRelation", "SharedRaidFailureMaxRelation"), false);
    partner->DescribeRelationChange(this, change);
}

void ActorCovenant::EndRaid()
{
    JudgeSharedRaid();
    Covenant* them = gCovenantHost ? gCovenantHost->GetCovenant(targetCovenant) : nullptr;
    if (them && gCovenantHost)
        gCovenantHost->StopRaid(index, them->index);
    targetCovenant = -1;
    StopRaid();
}

void ActorCovenant::StopRaid()
{
    // Told for either side of a raid: only the side that led one has a party to bring home.
    if (!raidUnderWay || targetCovenant != -1)
        return;
    raidUnderWay = false;
    sharedRaidPartner = -1;
    lastRaidEnd = GetGameTime();
    if (Entity* gate = raidGate.GetAs<Entity>())
        gate->ScheduleDelete(0.0f);
    raidGate.Clear();
    for (const auto& recruit : recruits) {
        if (!recruit || !recruit->outWithParty)
            continue;
        recruit->outWithParty = false;
        Actor* actor = recruit->GetActor();
        if (!actor)
            continue;
        actor->Warp(FindSpotNearHome(actor));
        actor->ClearHateList();
        actor->RecalculateStats(false);
    }
    activity = Home;
}

// ---- What others do to this covenant --------------------------------------------------------------------

void ActorCovenant::OnWarStarted(int32_t other)
{
    if (GetTreatyState(other) == CovenantTreaty::War)
        ChangeRelation(other, Roll("RelationChangeMinWarStart", "RelationChangeMaxWarStart"), false);
}

void ActorCovenant::OnRaidStarted(Covenant& raider)
{
    ChangeRelation(raider.index, Roll("RelationChangeMinRaidStart", "RelationChangeMaxRaidStart"), false);
    WithdrawOffer(raider.index, false);
}

void ActorCovenant::OnWarDeclaredOn(Covenant& declarer)
{
    float lowest = Roll("RelationChangeMinWarStart", "RelationChangeMaxWarStart") + DefinitionFloat("AgreementWarMaxRelation");
    if (GetRelation(declarer.index) > lowest)
        SetRelation(declarer.index, lowest);
    WithdrawOffer(declarer.index, false);
    if (activity == AdventuringWithCovenant && adventurePartner == declarer.index)
        StopAdventuringWith(*this);
}

float ActorCovenant::GetDamageFrom(const Covenant* other) const
{
    if (!other)
        return recentDamage;
    return other->index >= 0 && other->index < kMaxCovenants ? damageFrom[static_cast<size_t>(other->index)] : 0.0f;
}

void ActorCovenant::OnMemberAttacked(Entity& victim, Entity* attacker, int32_t damage, bool flag)
{
    if (victim.covenantIndex == index && attacker && damage > 0) {
        int32_t from = attacker->covenantIndex;
        if (from >= 0 && from < kMaxCovenants)
            damageFrom[static_cast<size_t>(from)] += static_cast<float>(damage);
        else if (from < 0)
            recentDamage += static_cast<float>(damage);
    }
    Covenant::OnMemberAttacked(victim, attacker, damage, flag);
}
