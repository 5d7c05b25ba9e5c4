// Covenant -- attacks on a member, a guard or the home (war on the attacker's covenant, the defenders roused, the home's fall) and the covenant's elimination.
#include "covenants/Covenant.h"

#include "covenants/CovenantHost.h"
#include "entities/Actor.h"
#include "rules/RulesEnums.h"

namespace {

// A hit this close to the house sets the covenant thinking again at once.
constexpr float kCovenantAttacksHomeRange = 200.0f;

} // namespace

void Covenant::ForEachDefender(const std::function<void(Actor&)>& order) const
{
    for (int32_t slot = 0; slot < GetRecruitSlots(); ++slot)
        if (Actor* actor = GetRecruitActor(slot))
            order(*actor);
    for (int32_t slot = 0; slot < kGuardSlots; ++slot)
        if (auto* guard = dynamic_cast<Actor*>(GetGuard(slot)))
            order(*guard);
}

void Covenant::OnMemberDamaged(Entity& victim, Entity* attacker, int32_t damage)
{
    OnMemberAttacked(victim, attacker, damage, false);
}

void Covenant::OnMemberAttacked(Entity& victim, Entity* attacker, int32_t damage, bool flag)
{
    if (!attacker || attacker == &victim)
        return;
    // A member's splash on another member is no act of war: no war, hate or defence follows.
    bool own = attacker->covenantIndex == index;
    Covenant* enemy = !own && gCovenantHost ? gCovenantHost->GetCovenant(attacker->covenantIndex) : nullptr;
    if (enemy) {
        if (GetTreatyState(enemy->index) != CovenantTreaty::War)
            gCovenantHost->AnnounceDiplomacy(index, enemy->index, CovenantTreaty::War, false);
        ForEachDefender([attacker](Actor& defender) { defender.AddToHateList(attacker); });
    }
    if (!flag && victim.position.Distance2D(GetHomePosition()) < kCovenantAttacksHomeRange)
        ResetThinkTimer();
    if (&victim != GetHomeEntity())
        return;
    if (victim.maxHealth > 0 && victim.health <= 0) {
        Eliminate(attacker, true, true);
        return;
    }
    if (!own)
        ForEachDefender([attacker, damage](Actor& defender) {
            defender.AddHate(attacker, static_cast<float>(damage), 0);
        });
}

void Covenant::Eliminate(Entity*, bool killMembers, bool credit)
{
    if (eliminated)
        return;
    if (credit && gCovenantHost)
        gCovenantHost->OnCovenantDestroyed(*this, PickMostHatedCovenant());
    eliminated = true;
    ClearStatistics();
    for (int32_t stat = CovenantStat::InfluenceAdventure; stat <= CovenantStat::InfluenceTransferred; ++stat)
        statistics.Set(stat, 0);
    // No war is fought with a fallen covenant, and no route to it pays or costs anything more.
    if (gCovenantHost) {
        gCovenantHost->SetPeaceWithAll(index);
        gCovenantHost->ClearTradeRoutesOfAll(index);
    }
    if (killMembers) {
        KillAllMembers();
        RemoveAllGuards();
    } else {
        DisbandMembers();
    }
    for (int32_t other = 0; other < kMaxCovenants; ++other)
        ClearOfferTo(other, true);
    SetLifestoneGlow(0.0f);
    RecomputeBonuses();
}
