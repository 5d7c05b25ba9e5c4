// Covenant -- the home and the members in it: setting the home, its health ratio, a member's rise and death, a guard's fall, the relationship toward an entity and the relation queries over the game's covenants.
#include "covenants/Covenant.h"

#include "covenants/CovenantHost.h"
#include "entities/Actor.h"
#include "entities/Entity.h"
#include "entities/Sentient.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"

#include <cmath>

namespace {

constexpr float kCovenantHomeFloorShare = 0.25f;

bool IsPactTreaty(int32_t treaty)
{
    return treaty == CovenantTreaty::NonAggressionPact || treaty == CovenantTreaty::MutualProtectionPact ||
           treaty == CovenantTreaty::Alliance;
}

} // namespace

// ---- The home ----------------------------------------------------------------------------------

void Covenant::SetHome(Entity* entity)
{
    home.Set(entity);
    if (!entity)
        return;
    homeLevel = entity->position.level;
    homeX = entity->position.x;
    homeY = entity->position.y;
    entity->covenantIndex = index;
    // A home stays where it was set: it is never moved off a blocked spot.
    entity->relocatable = false;
    entity->visualFlags[EntityBase::kVisualFlagPlaced] = false;
}

float Covenant::GetHomeHealthRatio() const
{
    int32_t maxHealth = GetHomeMaxHealth();
    return maxHealth < 1 ? 0.0f : static_cast<float>(GetHomeHealth()) / static_cast<float>(maxHealth);
}

float Covenant::GetResurrectionTime(const Entity* entity) const
{
    if (eliminated)
        return -1.0f;
    const auto* actor = dynamic_cast<const Actor*>(entity);
    if (!entity || (actor && actor->guard))
        return 0.0f;
    const CovenantDefinition* own = GetDefinition();
    float minTime = own ? own->minRezTime : 0.0f;
    float maxTime = own ? own->maxRezTime : 0.0f;
    if (entity == GetLeader())
        return (own ? own->heroRezTimeMult : 0.0f) * minTime;
    return minTime + (1.0f - GetHomeHealthRatio()) * (maxTime - minTime);
}

// A fallen member weakens the lifestone, but never below a quarter of its maximum.
void Covenant::OnMemberDied(Sentient& member)
{
    const auto* actor = dynamic_cast<const Actor*>(&member);
    if (actor && IsRecruitRaiding(*actor))
        CheckRaidBeatenOff(member);
    Entity* lifestone = GetHomeEntity();
    if ((actor && actor->guard) || !lifestone)
        return;
    auto floor = static_cast<int32_t>(std::floor(static_cast<double>(lifestone->maxHealth) * kCovenantHomeFloorShare));
    if (lifestone->health > floor)
        lifestone->health = std::max(floor, lifestone->health - member.maxHealth);
}

// The last of the raid party to fall beats the raid off: the raided covenant counts a defence
// won, and the raiders give the raid up, so that one raid is counted once.
void Covenant::CheckRaidBeatenOff(Sentient& fallen)
{
    int32_t standing = 0;
    int32_t down = 0;
    CountRaidParty(standing, down);
    Covenant* raided = gCovenantHost ? gCovenantHost->GetCovenant(targetCovenant) : nullptr;
    if (standing > 0 || down == 0 || !raided)
        return;
    raided->CountDeath(&fallen);
    GiveUpRaid();
}

bool Covenant::KeepsMemberActive(const Sentient& member) const
{
    const auto* actor = dynamic_cast<const Actor*>(&member);
    return actor && IsRecruitEngaged(*actor);
}

void Covenant::OnMemberKilled(Entity& victim, Entity*)
{
    const auto* actor = dynamic_cast<const Actor*>(&victim);
    if (actor && actor->guard && victim.covenantIndex == index)
        RecomputeBonuses();
}

void Covenant::RemoveAllGuards()
{
    for (int32_t slot = 0; slot < kGuardSlots; ++slot) {
        DeleteInventoryItem(InventoryGroupIndex::House, slot);
        RemoveGuard(slot);
    }
}

// ---- Relationships and queries -----------------------------------------------------------------

int32_t Covenant::GetRelationshipCode(const Entity* entity) const
{
    if (!entity)
        return 2;
    if (entity->covenantIndex == index)
        return 4;
    int32_t treaty = entity->covenantIndex >= 0 ? GetTreatyState(entity->covenantIndex) : CovenantTreaty::None;
    return treaty == CovenantTreaty::War || treaty == CovenantTreaty::Raid ? 0 : 2;
}

int32_t Covenant::CountCovenantsTargeting(const Covenant* except) const
{
    int32_t count = 0;
    for (int32_t i = 0; gCovenantHost && i < gCovenantHost->GetCovenantCount(); ++i) {
        const Covenant* other = gCovenantHost->GetCovenant(i);
        count += other && other != except && other->targetCovenant == index ? 1 : 0;
    }
    return count;
}

int32_t Covenant::CountWars(const Covenant* except) const
{
    int32_t count = 0;
    for (int32_t i = 0; gCovenantHost && i < gCovenantHost->GetCovenantCount(); ++i) {
        const Covenant* other = gCovenantHost->GetCovenant(i);
        count += other && other != except && !other->eliminated && HasRelation(i) &&
                         GetTreatyState(i) == CovenantTreaty::War
                     ? 1
                     : 0;
    }
    return count;
}

int32_t Covenant::CountPartnersOf(const Covenant& x, int32_t treaty) const
{
    int32_t count = 0;
    for (int32_t i = 0; gCovenantHost && i < gCovenantHost->GetCovenantCount(); ++i) {
        const Covenant* other = gCovenantHost->GetCovenant(i);
        count += other && other != this && !other->eliminated && x.HasRelation(i) && x.GetTreatyState(i) == treaty &&
                         GetTreatyState(i) != CovenantTreaty::Alliance
                     ? 1
                     : 0;
    }
    return count;
}

int32_t Covenant::CountProtectionPartnersOf(const Covenant& x) const
{
    return CountPartnersOf(x, CovenantTreaty::MutualProtectionPact);
}

int32_t Covenant::CountAlliesOf(const Covenant& x) const
{
    return CountPartnersOf(x, CovenantTreaty::Alliance);
}

bool Covenant::IsAtWarWithPartnerOf(const Covenant& x) const
{
    if (x.eliminated || !gCovenantHost)
        return false;
    for (int32_t i = 0; i < gCovenantHost->GetCovenantCount(); ++i) {
        if (i == index || i == x.index || !HasRelation(i) || !IsPactTreaty(GetTreatyState(i)) || !x.HasRelation(i))
            continue;
        int32_t theirs = x.GetTreatyState(i);
        if (theirs == CovenantTreaty::War || theirs == CovenantTreaty::Raid)
            return true;
    }
    return false;
}

bool Covenant::IsThinkDelayed() const
{
    return TimeLess(GetGameTime(), nextThinkTime);
}
