// ActorCovenant -- the rival's members as others ask about them: raid parties, defenders, deaths and disbanding, the most hated covenant, levels first reached and stored goods.
#include "covenants/ActorCovenant.h"

#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/Inventory.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"
#include "world/World.h"

namespace {

// Experience of a level first reached.
constexpr int32_t kActorCovenantExplorationXp = 3;

} // namespace

bool ActorCovenant::IsRecruitEngaged(const Actor& actor) const
{
    if (targetCovenant != -1 || IsBeingRaided())
        return true;
    const Recruit* recruit = FindRecruitByActor(&actor);
    return recruit && recruit->outWithParty;
}

bool ActorCovenant::IsRecruitRaiding(const Actor& actor) const
{
    if (!IsRaiding())
        return false;
    const Recruit* recruit = FindRecruitByActor(&actor);
    return recruit && recruit->outWithParty;
}

bool ActorCovenant::IsRecruitDefending(const Actor& actor) const
{
    if (!IsBeingRaided())
        return false;
    const Recruit* recruit = FindRecruitByActor(&actor);
    return recruit && !recruit->outWithParty;
}

void ActorCovenant::CountRaidParty(int32_t& alive, int32_t& fallen) const
{
    alive = 0;
    fallen = 0;
    if (!IsRaiding())
        return;
    for (const auto& recruit : recruits) {
        if (!recruit || !recruit->outWithParty)
            continue;
        const Actor* actor = recruit->GetActor();
        if (actor && actor->maxHealth >= 1 && actor->health >= 1)
            ++alive;
        else
            ++fallen;
    }
}

void ActorCovenant::KillAllMembers()
{
    for (const auto& recruit : recruits)
        if (Actor* actor = recruit ? recruit->GetActor() : nullptr)
            actor->health = 0;
    for (int32_t slot = 0; slot < kGuardSlots; ++slot)
        if (Entity* guard = GetGuard(slot))
            guard->health = 0;
}

void ActorCovenant::DisbandMembers()
{
    for (const auto& recruit : recruits)
        if (Actor* actor = recruit ? recruit->GetActor() : nullptr)
            actor->FadeOutAndDelete(kGuardFadeSeconds);
    for (int32_t slot = 0; slot < kGuardSlots; ++slot)
        RemoveGuard(slot);
}

Covenant* ActorCovenant::PickMostHatedCovenant() const
{
    Covenant* hated = nullptr;
    float most = 0.0f;
    for (int32_t i = 0; gCovenantHost && i < gCovenantHost->GetCovenantCount() && i < kMaxCovenants; ++i) {
        Covenant* other = gCovenantHost->GetCovenant(i);
        if (!other || other->eliminated)
            continue;
        float h = damageFrom[static_cast<size_t>(i)];
        if (other->targetCovenant == index && other->GetDefinition())
            h *= other->GetDefinition()->destroyBonusIfRaiding;
        // Only a strictly greater hate replaces the first found.
        if (!hated || h > most) {
            hated = other;
            most = h;
        }
    }
    return hated && recentDamage < damageFrom[static_cast<size_t>(hated->index)] ? hated : nullptr;
}

void ActorCovenant::OnLevelReached(int32_t level, Entity* entity)
{
    if (level < 0 || !gWorld || level >= gWorld->GetLevelCount())
        return;
    if (visitedLevels.size() < static_cast<size_t>(gWorld->GetLevelCount()))
        visitedLevels.resize(static_cast<size_t>(gWorld->GetLevelCount()), false);
    if (visitedLevels[static_cast<size_t>(level)])
        return;
    visitedLevels[static_cast<size_t>(level)] = true;
    if (auto* sentient = dynamic_cast<Sentient*>(entity); sentient && level != 0)
        sentient->GainExperience(gWorld->GetLevelMonsterLevel(level), kActorCovenantExplorationXp, 1.0f);
}

ItemBase* ActorCovenant::GetStoredItem(int32_t bag, int32_t slot) const
{
    return bag == kGoodsBag ? inventory->GetItem(bag, slot) : nullptr;
}
