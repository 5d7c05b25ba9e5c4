// BehaviorRaiseDead -- brings a fallen ally, or a fallen creature of one record, back to life after a raising animation.
#include "entities/ai/BehaviorRaiseDead.h"

#include "core/Database.h"
#include "entities/Actor.h"
#include "entities/ai/BehaviorSearch.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"

BehaviorRaiseDead::BehaviorRaiseDead()
{
    RegisterTimer(searchTimer);
}

void BehaviorRaiseDead::LoadData(const DatabaseEntry& entry)
{
    tuning.maxRange = entry.GetFloat("MaxRange", 0.0f);
    tuning.raiseAnyFriendly = entry.GetInt("RaiseAnyFriendly") != 0;
    std::string name = entry.GetString("RaiseEntity");
    tuning.raiseEntity = name.empty() || !gDatabase ? nullptr : gDatabase->FindEntryByName(name);
    tuning.raiseTime = entry.GetFloat("RaiseTime", 0.0f);
    tuning.animName = entry.GetString("AnimName");
    tuning.effectName = entry.GetString("EffectName");
    tuning.effectTime = entry.GetFloat("EffectTime", 0.0f);
}

void BehaviorRaiseDead::RestartSearch()
{
    BehaviorRestartTimer(searchTimer, tuning.raiseTime, 1.1f * tuning.raiseTime);
}

bool BehaviorRaiseDead::CanRaise(const Entity& entity) const
{
    const auto* fallen = dynamic_cast<const Actor*>(&entity);
    if (!fallen || fallen == actor)
        return false;
    if (tuning.raiseAnyFriendly) {
        if (!gGameServices || gGameServices->GetRelationship(fallen, actor) <= 1)
            return false;
    } else if (!tuning.raiseEntity || fallen->GetEntry() != tuning.raiseEntity) {
        return false;
    }
    const MonsterType* type = fallen->GetMonsterType();
    return type && type->archetype && type->archetype->raisable && fallen->spawnCategory < 5 && fallen->IsDead() &&
           fallen->GetDeathState() == ActorDeathState::kDead;
}

Entity* BehaviorRaiseDead::FindCorpse()
{
    if (!gGameServices)
        return nullptr;
    gGameServices->CollectEntitiesNear(actor->position, tuning.maxRange, false, nearby);
    for (int32_t number : nearby)
        if (Entity* entity = gGameServices->GetEntity(number); entity && CanRaise(*entity))
            return entity;
    return nullptr;
}

bool BehaviorRaiseDead::WantsToRun()
{
    return BehaviorSearchWhenDue(searchTimer, [this] { RestartSearch(); }, [this] { return FindCorpse() != nullptr; });
}

bool BehaviorRaiseDead::ContinueRunning()
{
    const Entity* fallen = target.GetAs<Entity>();
    return fallen && fallen->IsDead() && !done;
}

void BehaviorRaiseDead::Start()
{
    RestartSearch();
    Entity* fallen = FindCorpse();
    target.Set(fallen);
    if (!fallen) {
        done = true;
        return;
    }
    actor->PlayAnimation(tuning.animName, kRaisePriority, AnimationMode::ReturnToIdle, true);
}

void BehaviorRaiseDead::Think(float)
{
    if (!tuning.animName.empty() && actor->IsPlayingAnimation(tuning.animName))
        return;
    if (auto* fallen = target.GetAs<Actor>())
        fallen->Resurrect();
    done = true;
}
