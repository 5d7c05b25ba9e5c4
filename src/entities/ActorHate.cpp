// Actor -- the hate list: who the actor hates, how much, whom it targets, and whom it may hate at all.
#include "entities/Actor.h"

#include "core/RandomSystem.h"
#include "entities/EntityCovenant.h"
#include "rules/GameData.h"

#include <algorithm>

namespace {

bool ActorIsValidTarget(const Entity* entity)
{
    return entity && entity->maxHealth >= 1 && entity->health >= 1 && entity->IsDamageable() &&
           (entity->flags & EntityFlag::Hidden) == 0;
}

bool ActorIsUntargetable(const Entity* entity)
{
    return !entity || (entity->flags & EntityFlag::NeverHated) != 0;
}

// The game's players are the clients' sentients.
bool ActorIsPlayer(const Entity* entity)
{
    if (!entity || !gGameServices)
        return false;
    const auto& players = gGameServices->GetPlayers();
    return std::find(players.begin(), players.end(), entity) != players.end();
}

void ActorRestartReach(RandomTimer& timer)
{
    timer.minimum = Actor::kReachMinSeconds;
    timer.maximum = Actor::kReachMaxSeconds;
    if (gRandomSystem)
        timer.Restart(*gRandomSystem);
}

} // namespace

bool HateEntry::IsReachable(Actor& actor)
{
    if (reachTimer.running && reachTimer.remaining > 0.0f)
        return reachable;
    ActorRestartReach(reachTimer);
    const Entity* target = entity.GetAs<Entity>();
    reachable = target && actor.CanReach(target);
    return reachable;
}

void Actor::AddToHateList(Entity* entity)
{
    if (ActorIsUntargetable(entity) || !IsRelatedTo(entity) || FindHateEntry(entity))
        return;
    HateEntry entry;
    entry.entity.Set(entity);
    ActorRestartReach(entry.reachTimer);
    entity->AddEngaged(this);
    hateList.push_back(std::move(entry));
}

HateEntry* Actor::FindHateEntry(const Entity* entity)
{
    for (HateEntry& entry : hateList)
        if (entry.entity.Get() == entity)
            return &entry;
    return nullptr;
}

void Actor::AddHate(Entity* entity, float amount, int32_t kind)
{
    if (ActorIsUntargetable(entity) || !IsRelatedTo(entity))
        return;
    HateEntry* entry = FindHateEntry(entity);
    if (!entry) {
        AddToHateList(entity);
        entry = FindHateEntry(entity);
        if (!entry)
            return;
    }
    if (const auto* sentient = dynamic_cast<const Sentient*>(entity)) {
        if (kind == 1)
            sentient->ApplyDynamicStat(DynamicStat::HateChange, nullptr, amount);
        else if (kind == 2)
            sentient->ApplyDynamicStat(DynamicStat::HealingHate, nullptr, amount);
        if (sentient->IsGuard() && gGameData)
            amount = gGameData->GetTuning().guardHateMult;
    }
    if (entry->hate == 0.0f && amount > 0.0f)
        PlayActorSound(DefString("OnHateSound"));
    if (kind == 2)
        amount *= DefFloat("HealingHateMult");
    entry->hate += amount;
}

void Actor::ScaleDownHate(float fraction)
{
    for (HateEntry& entry : hateList)
        if (entry.entity)
            entry.hate -= fraction * entry.hate;
}

void Actor::UpdateHateTarget(float seconds)
{
    // Entries whose entity is gone could never be chosen again; they are dropped here.
    hateList.erase(std::remove_if(hateList.begin(), hateList.end(), [](const HateEntry& entry) { return !entry.entity; }),
                   hateList.end());
    Entity* current = GetCurrentTarget();
    HateEntry* currentEntry = current ? FindHateEntry(current) : nullptr;
    Entity* best = nullptr;
    float bestHate = -1.0f;
    if (currentEntry && ActorIsValidTarget(current) && currentEntry->IsReachable(*this)) {
        best = current;
        bestHate = currentEntry->hate;
    }
    for (HateEntry& entry : hateList) {
        if (entry.reachTimer.running)
            entry.reachTimer.remaining = std::max(0.0f, entry.reachTimer.remaining - seconds);
        Entity* entity = entry.entity.GetAs<Entity>();
        if (!ActorIsValidTarget(entity)) {
            entry.hate = -1.0f;
            continue;
        }
        entry.hate = std::max(entry.hate, 0.0f);
        if (entry.hate > bestHate) {
            if (entry.IsReachable(*this)) {
                best = entity;
                bestHate = entry.hate;
            }
        } else if (entry.hate == bestHate && entity != best && entry.IsReachable(*this)) {
            if (EntityDistance2D(this, entity, false) < EntityDistance2D(this, best, false))
                best = entity;
        }
    }
    if (best && best != current)
        PlayActorSound(DefString("OnSightSound"));
    currentTarget.Set(best);
}

void Actor::ClearHateList()
{
    for (HateEntry& entry : hateList)
        if (Entity* entity = entry.entity.GetAs<Entity>())
            entity->RemoveEngaged(this);
    hateList.clear();
    currentTarget.Clear();
}

void Actor::RemoveFromHateList(const Entity* entity)
{
    if (!entity)
        return;
    if (currentTarget.Get() == entity)
        currentTarget.Clear();
    for (size_t i = 0; i < hateList.size();) {
        if (hateList[i].entity.Get() == entity) {
            const_cast<Entity*>(entity)->RemoveEngaged(this);
            hateList.erase(hateList.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

void Actor::RemoveCovenantFromHateList(const EntityCovenant* covenant)
{
    if (!covenant || !gGameServices)
        return;
    for (size_t i = 0; i < hateList.size();) {
        Entity* entity = hateList[i].entity.GetAs<Entity>();
        if (entity && gGameServices->GetCovenant(entity->covenantIndex) == covenant) {
            if (currentTarget.Get() == entity)
                currentTarget.Clear();
            entity->RemoveEngaged(this);
            hateList.erase(hateList.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

Entity* Actor::FindNearestHated() const
{
    Entity* best = nullptr;
    float bestDistance = 0.0f;
    bool first = true;
    for (const HateEntry& entry : hateList) {
        Entity* entity = entry.entity.GetAs<Entity>();
        float distance = entity ? EntityDistance2D(this, entity, false) : kNoEntityDistance;
        if (first || distance < bestDistance) {
            best = entity;
            bestDistance = distance;
            first = false;
        }
    }
    return best;
}

bool Actor::IsHostile(const Entity* other) const
{
    if (maxHealth > 0 && health <= 0 && IsRelatedTo(other))
        return true;
    return std::any_of(hateList.begin(), hateList.end(),
                       [other](const HateEntry& entry) { return other && entry.entity.Get() == other; });
}

bool Actor::IsRelatedTo(const Entity* other) const
{
    if (!other || other == this)
        return false;
    if (npc && !other->CanBeAttacked())
        return false;
    const auto* otherActor = dynamic_cast<const Actor*>(other);
    bool otherIsPlayer = ActorIsPlayer(other);
    if (monsterFoe && (otherIsPlayer || (otherActor && otherActor->npc)))
        return false;
    if (npc && otherActor && otherActor->monsterFoe)
        return false;
    if (covenantIndex >= 0 && covenantIndex == other->covenantIndex)
        return false;
    if (!otherActor)
        return true;
    if (otherActor->definition && !otherActor->DefBool("CanBeAttacked"))
        return false;
    if (!npc)
        return true;
    const Sentient* leader = GetLeader();
    if (!ActorIsPlayer(leader))
        return true;
    if (!leader->IsRelatedTo(other))
        return false;
    std::vector<Sentient*> group;
    leader->CollectParty(group);
    for (const Sentient* member : group) {
        if (other->IsHostile(member))
            return true;
        if (member != this && member->GetCurrentTarget() == other)
            return true;
    }
    return false;
}

bool Actor::IsEngaged(bool targetingMe, bool targetingMyParty, bool visibleOnly, float range) const
{
    if (Sentient::IsEngaged(targetingMe, targetingMyParty, visibleOnly, range))
        return true;
    return std::any_of(hateList.begin(), hateList.end(), [this](const HateEntry& entry) {
        const Entity* entity = entry.entity.GetAs<Entity>();
        return entity && entity->GetCurrentTarget() == this;
    });
}
