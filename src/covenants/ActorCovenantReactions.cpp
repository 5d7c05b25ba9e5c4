// ActorCovenant -- how the rival takes what others do: cancelled pacts and routes, rumours, kills, shared adventures and shared raids.
#include "covenants/ActorCovenant.h"

#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"

#include <algorithm>
#include <cmath>

namespace {

// The relation toward a raid's target falls this much at a time until a shared raid is wanted.
constexpr float kActorCovenantSharedRaidStep = 1.0f;

// The covenant the creature belongs to; null for none.
Covenant* ActorCovenantCovenantOf(const Entity* entity)
{
    return entity && gCovenantHost ? gCovenantHost->GetCovenant(entity->covenantIndex) : nullptr;
}

} // namespace

// ---- Cancelled pacts and routes -------------------------------------------------------------------

void ActorCovenant::OnTreatyCancelled(Covenant& by, Covenant& with)
{
    const CovenantDefinition* definition = Definition();
    if (&by == this || !definition)
        return;
    // Told while the pact still stands, so its kind is the treaty in force.
    float change = definition->GetRelationChangeCancelledTreaty(by.GetTreatyState(with.index));
    if (&with != this)
        change *= DefinitionFloat("CancelledTreatyMultiplierNotMe");
    ChangeRelation(by.index, change, false);
}

void ActorCovenant::OnTradeRouteCancelled(Covenant& by, Covenant& with, int32_t kind)
{
    const CovenantDefinition* definition = Definition();
    if (&by == this || !definition || kind <= TradeRouteType::None || kind >= TradeRouteType::kCount)
        return;
    float change = definition->GetRelationChangeCancelledTradeRoute(kind);
    if (&with != this)
        change *= DefinitionFloat("CancelledTradeRouteMultiplierNotMe");
    ChangeRelation(by.index, change, false);
}

// ---- Rumours and meetings ----------------------------------------------------------------------------

void ActorCovenant::OnRumorStartedBy(Covenant& source, int32_t)
{
    float change = ChangeRelation(source.index, Roll("RelationChangeMinStartedRumor", "RelationChangeMaxStartedRumor"), false);
    source.DescribeRelationChange(this, change);
}

void ActorCovenant::OnCovenantsMeet(Covenant& first, Covenant& second)
{
    float jealous = DefinitionFloat("SharedAdventureJealousMinRelation");
    for (Covenant* met : {&first, &second}) {
        if (met == this || !(jealous > 0.0f) || !(GetRelation(met->index) < jealous))
            continue;
        float change = ChangeRelation(met->index,
                                      (1.0f - GetRelation(met->index) / jealous) * DefinitionFloat("RelationChangeSharedAdventureJealous"),
                                      false);
        met->DescribeRelationChange(this, change);
    }
}

// ---- Adventuring together ----------------------------------------------------------------------------

void ActorCovenant::StartAdventuringWith(Covenant& other)
{
    if (&other == this || other.eliminated || (activity == AdventuringWithCovenant && adventurePartner == other.index))
        return;
    ReturnHome(true);
    activity = AdventuringWithCovenant;
    adventurePartner = other.index;
    sharedAdventureXp[static_cast<size_t>(std::clamp(other.index, 0, kMaxCovenants - 1))] = 0;
    // The partner hears of it too; one that refuses leaves this covenant at home.
    other.StartAdventuringWith(*this);
    if (other.adventurePartner != index && activity == AdventuringWithCovenant && adventurePartner == other.index) {
        activity = Home;
        adventurePartner = -1;
    }
}

void ActorCovenant::StopAdventuringWith(Covenant& by)
{
    if (activity != AdventuringWithCovenant)
        return;
    Covenant* partner = gCovenantHost ? gCovenantHost->GetCovenant(adventurePartner) : nullptr;
    ReturnHome(false);
    adventurePartner = -1;
    if (&by == this && partner && partner != this)
        partner->StopAdventuringWith(*this);
}

void ActorCovenant::OnSharedAdventureXp(Entity& entity, int32_t amount)
{
    Covenant* partner = gCovenantHost ? gCovenantHost->GetCovenant(adventurePartner) : nullptr;
    auto step = static_cast<int32_t>(DefinitionFloat("SharedAdventureXp"));
    // A step of nothing would be reached for ever: then nothing is counted.
    if (!partner || partner == this || activity != AdventuringWithCovenant || &entity != GetLeader() || amount <= 0 ||
        step <= 0)
        return;
    int32_t& counted = sharedAdventureXp[static_cast<size_t>(partner->index)];
    int64_t total = std::min<int64_t>(int64_t{counted} + amount, 2147483647);
    // Mended: one step at a time, a huge share ran billions of rounds. Every step reached
    // changes the relation alike, so they are taken together, described once and seen once.
    int64_t reached = total / step;
    counted = static_cast<int32_t>(total % step);
    if (reached == 0)
        return;
    float change = ChangeRelation(partner->index,
                                  static_cast<float>(reached) * DefinitionFloat("RelationChangeSharedAdventureXp"), true);
    partner->DescribeRelationChange(this, change);
    for (int32_t c = 0; c < gCovenantHost->GetCovenantCount(); ++c)
        if (Covenant* onlooker = gCovenantHost->GetCovenant(c); onlooker && !onlooker->eliminated)
            onlooker->OnCovenantsMeet(*this, *partner);
}

// ---- Shared raids ---------------------------------------------------------------------------------------

void ActorCovenant::JoinSharedRaid(Covenant& partner, Covenant& target)
{
    if (&partner == this || &target == this || targetCovenant != -1 || target.index < 0 || target.index >= kMaxCovenants)
        return;
    while (!WantsToRaid(target.index, true, 0.0f)) {
        float relation = GetRelation(target.index);
        if (!(relation > 0.0f))
            return;
        SetRelation(target.index, std::max(0.0f, relation - kActorCovenantSharedRaidStep));
    }
    sharedRaidPartner = partner.index;
    sharedRaidTargetDamage = TotalDamageTaken(target);
    sharedRaidPartnerDamage = target.GetDamageFrom(&partner);
    StartRaid(target.index);
}

void ActorCovenant::ForgetCovenant(const Covenant& other)
{
    Covenant::ForgetCovenant(other);
    if (targetCovenant != -1 && other.index == targetCovenant)
        EndRaid();
}

// ---- Kills ---------------------------------------------------------------------------------------------

void ActorCovenant::OnMemberKilled(Entity& victim, Entity* killer)
{
    Covenant::OnMemberKilled(victim, killer);
    const Covenant* fallenSide = ActorCovenantCovenantOf(&victim);
    Covenant* killerSide = ActorCovenantCovenantOf(killer);
    if (const auto* monster = dynamic_cast<const Actor*>(&victim); !fallenSide && monster && !monster->npc) {
        OnThreateningMonsterKilled(killer, victim);
        return;
    }
    if (fallenSide && killerSide && killerSide != this && IsAtWarWith(fallenSide->index)) {
        int32_t members = fallenSide->GetRecruitCount();
        if (members >= 1) {
            float change = ChangeRelation(killerSide->index,
                                          Roll("RelationChangeMinKilledEnemy", "RelationChangeMaxKilledEnemy") /
                                              static_cast<float>(members),
                                          true);
            killerSide->DescribeRelationChange(this, change);
        }
    }
    if (adventurePartner == -1 && fallenSide == this)
        if (Recruit* recruit = FindRecruitByActor(&victim); recruit && recruit->outWithParty)
            recruit->PickAssignedLevel(-1);
}

void ActorCovenant::OnThreateningMonsterKilled(Entity* killer, const Entity& monster)
{
    Covenant* killerSide = ActorCovenantCovenantOf(killer);
    const Entity* home = GetHomeEntity();
    if (!killerSide || killerSide == this || !home || monster.position.level != home->position.level)
        return;
    float dx = monster.position.x - home->position.x;
    float dy = monster.position.y - home->position.y;
    float reach = DefinitionFloat("MaxDistanceThreateningMonster");
    if (!(dx * dx + dy * dy <= reach * reach))
        return;
    float change = ChangeRelation(killerSide->index,
                                  Roll("RelationChangeMinKilledThreateningMonster", "RelationChangeMaxKilledThreateningMonster"),
                                  true);
    killerSide->DescribeRelationChange(this, change);
}
