// BehaviorEatCorpse -- walks to an edible corpse, eats it and grows from the meal, a limited number of times in its life.
#include "entities/ai/BehaviorEatCorpse.h"

#include "core/Database.h"
#include "core/StringUtil.h"
#include "entities/Actor.h"
#include "entities/ai/BehaviorSearch.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"

namespace {

// Corpses of covenant members are not food.
constexpr uint32_t kEatCorpseFilter = RadiusFilter::Dead | RadiusFilter::NoCovenant;

bool EatCorpseIsEdible(const Entity& entity)
{
    const auto* fallen = dynamic_cast<const Actor*>(&entity);
    const MonsterType* type = fallen ? fallen->GetMonsterType() : nullptr;
    return type && type->archetype && type->archetype->edible;
}

} // namespace

BehaviorEatCorpse::BehaviorEatCorpse()
{
    RegisterTimer(searchTimer);
}

void BehaviorEatCorpse::LoadData(const DatabaseEntry& entry)
{
    tuning.maxRange = entry.GetFloat("MaxRange", 0.0f);
    tuning.senseTime = entry.GetFloat("SenseTime", 0.0f);
    tuning.animName = entry.GetString("AnimName");
    tuning.maxCorpsesToEat = entry.GetInt("MaxCorpsesToEat");
    std::string effect = entry.GetString("StatusEffect");
    tuning.statusEffect = effect.empty() || !gDatabase ? nullptr : gDatabase->FindEntryByName(effect);
    tuning.healthRegen = entry.GetFloat("HealthRegen", 0.0f);
    entry.GetIntList("ShowSurface", tuning.showSurface, true, false);
    tuning.canMove = entry.GetInt("CanMove") != 0;
    tuning.eatEffect = entry.GetString("EatEffect");
    tuning.victimEffect = entry.GetString("VictimEffect");
    tuning.doneSoundName = entry.GetString("DoneSoundName");
}

void BehaviorEatCorpse::RestartSearch()
{
    BehaviorRestartTimer(searchTimer, 0.9f * tuning.senseTime, 1.1f * tuning.senseTime);
}

Entity* BehaviorEatCorpse::FindCorpse()
{
    return BehaviorFindNearest(*actor, tuning.maxRange, kEatCorpseFilter, EatCorpseIsEdible);
}

bool BehaviorEatCorpse::WantsToRun()
{
    if (corpsesEaten >= tuning.maxCorpsesToEat)
        return false;
    const Entity* enemy = actor->GetCurrentEnemy();
    const auto* fighter = dynamic_cast<const Sentient*>(enemy);
    if (fighter && fighter->GetCurrentEnemy() == actor)
        return false;
    return BehaviorSearchWhenDue(searchTimer, [this] { RestartSearch(); }, [this] { return FindCorpse() != nullptr; });
}

bool BehaviorEatCorpse::ContinueRunning()
{
    const Entity* meal = corpse.GetAs<Entity>();
    return meal && meal->IsDead() && !done;
}

void BehaviorEatCorpse::Start()
{
    // Restarted as the other corpse kinds do: otherwise the same corpse is found again the
    // moment the meal ends and eaten twice in a row.
    RestartSearch();
    corpse.Set(FindCorpse());
    if (tuning.canMove)
        phase = Walking;
    else
        phase = tuning.animName.empty() ? Finishing : Eating;
}

void BehaviorEatCorpse::BeginEating(Entity& meal)
{
    if (tuning.canMove) {
        if (actor->position.IsWithinRange(meal.position, kBesideReach))
            actor->facing = (meal.facing + 4) % 8;
        else
            actor->FaceEntity(&meal, false);
    }
    actor->PlayAnimation(tuning.animName, kEatPriority, AnimationMode::ReturnToIdle, true);
    phase = Finishing;
}

void BehaviorEatCorpse::FinishMeal(Entity& meal)
{
    if (gGameServices) {
        if (!tuning.victimEffect.empty())
            gGameServices->SpawnModelEntity(tuning.victimEffect, meal.position, kEffectSeconds);
        if (!tuning.eatEffect.empty())
            gGameServices->SpawnModelEntity(tuning.eatEffect, actor->position, kEffectSeconds);
    }
    actor->QueueWorldEvent(tuning.doneSoundName, kDoneSoundRadius, 0.0f);
    // Each meal shows the next listed part of the body, if the model has it.
    if (static_cast<size_t>(corpsesEaten) < tuning.showSurface.size())
        actor->SetSurfaceShown(tuning.showSurface[static_cast<size_t>(corpsesEaten)], true);
    ++corpsesEaten;
    // A name that found no record gives no effect; the meal still counts.
    if (tuning.statusEffect)
        actor->AddStatusEffect(tuning.statusEffect, actor, corpsesEaten);
    // Shown only: the meal's health is the effect's to give.
    auto shown = static_cast<int32_t>(static_cast<float>(actor->maxHealth) * tuning.healthRegen);
    if (gGameServices)
        gGameServices->QueueClientCommand(StringFormat("dmg %d +%d", actor->entityNumber, shown));
    done = true;
    phase = Over;
}

void BehaviorEatCorpse::Think(float)
{
    Entity* meal = corpse.GetAs<Entity>();
    if (!meal)
        return;
    switch (phase) {
    case Walking:
        actor->MoveToEntity(meal);
        break;
    case Eating:
        BeginEating(*meal);
        break;
    case Finishing:
        if (tuning.animName.empty() || !actor->IsPlayingAnimation(tuning.animName))
            FinishMeal(*meal);
        break;
    default:
        break;
    }
}

void BehaviorEatCorpse::OnNotifyCurrent(int32_t code, Entity*)
{
    if (phase != Walking)
        return;
    if (code == ActorNotice::kArrived)
        phase = Eating;
    else if (code == ActorNotice::kPathFailed)
        done = true;
}

void BehaviorEatCorpse::Stop()
{
    actor->StopMoving();
}
