// BehaviorMelee -- chases the actor's enemy and swings at it within reach, giving up a chase that lasts too long.
#include "entities/ai/BehaviorMelee.h"

#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "entities/Actor.h"
#include "rules/RulesEnums.h"
#include "rules/items/InventoryBag.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"

#include <cmath>

namespace {

// The slot of the second bag whose item makes the swing time the actor's own attack speed.
constexpr int32_t kMeleeWeaponSlot = 14;

} // namespace

BehaviorMelee::BehaviorMelee()
{
    enemyPosition.level = -1;
    RegisterTimer(swingTimer);
}

void BehaviorMelee::LoadFromArchetype(const DatabaseEntry& entry)
{
    tuning.chaseTime = entry.GetFloat("ChaseTime", 0.0f);
    tuning.chaseGiveUpSound = entry.GetString("ChaseGiveUpSound");
    tuning.sprintChance = entry.GetFloat("SprintChance", 0.0f);
    tuning.hamstringChance = entry.GetFloat("HamstringChance", 0.0f);
}

bool BehaviorMelee::WantsToRun()
{
    return actor->GetCurrentEnemy() && !(actor->flags & EntityFlag::Hidden);
}

bool BehaviorMelee::ContinueRunning()
{
    return !gaveUp && actor->GetCurrentEnemy();
}

void BehaviorMelee::Start()
{
    enemy.Set(nullptr);
    chasing = false;
    chaseSeconds = 0.0f;
    lastSighting = 0.0;
    gaveUp = false;
}

void BehaviorMelee::SetSprint(bool value)
{
    if (actor->sprinting == value)
        return;
    actor->sprinting = value;
    actor->RecalculateStats(false);
}

void BehaviorMelee::Think(float)
{
    if (waitingOnAnimation && (actor->anim != swingAnimation || !actor->IsPlayingAnimation(actor->GetAttackAnimationName())))
        waitingOnAnimation = false;
    Entity* current = actor->GetCurrentEnemy();
    if (current != enemy.GetAs<Entity>()) {
        enemy.Set(current);
        if (current)
            enemyPosition = current->position;
        if (chasing) {
            chasing = false;
            SetSprint(false);
        }
    }
    if (!current)
        return;
    Chase(*current);
    actor->MoveToEntity(current);
    Swing(*current);
    enemyPosition = current->position;
}

bool BehaviorMelee::IsAhead(const Entity& target) const
{
    Vector2 delta = actor->position.DeltaTo(target.position);
    if (Vector2Length(delta) < 1.0f)
        return false;
    float off = WrapDegrees(Vector2Angle(delta) - DirectionToAngle(actor->facing));
    if (off > 180.0f)
        off -= 360.0f;
    return off >= -90.0f && off < 90.0f;
}

void BehaviorMelee::Chase(Entity& target)
{
    double now = gGameServices ? gGameServices->GetGameTime() : 0.0;
    if (IsAhead(target)) {
        if (!chasing) {
            chasing = true;
            chaseSeconds = 0.0f;
            float r = DrawRandomFloat(RandomStream::GameData, 1.0f);
            SetSprint(r < tuning.sprintChance);
        }
        lastSighting = now;
    } else if (chasing && now - lastSighting > kLostSightSeconds) {
        chasing = false;
        SetSprint(false);
    }
    if (!chasing)
        return;
    chaseSeconds += gGameServices ? gGameServices->GetStepLength() : 0.0f;
    if (tuning.chaseTime > 0.0f && chaseSeconds > tuning.chaseTime)
        gaveUp = true;
}

void BehaviorMelee::Swing(Entity& target)
{
    if (target.IsDead() || EntityDistance2D(actor, &target, false) >= kSwingReach)
        return;
    if (swingTimer.running && swingTimer.remaining > 0.0f)
        return;
    actor->Attack();
    float attackSpeed = static_cast<float>(actor->GetStat(CharacterStat::AttackSpeed));
    const InventoryBag* bag = actor->GetBag(1);
    float seconds = attackSpeed / 1000.0f;
    if (!bag || !bag->GetItem(kMeleeWeaponSlot)) {
        const MonsterType* type = actor->GetMonsterType();
        float interval = type && type->archetype ? type->archetype->GetRandomAttackInterval() : 1.0f;
        seconds = attackSpeed / 1500.0f * interval;
    }
    swingTimer.minimum = swingTimer.maximum = swingTimer.total = swingTimer.remaining = seconds;
    swingTimer.running = 1;
    if (actor->IsPlayingAnimation(actor->GetAttackAnimationName())) {
        waitingOnAnimation = true;
        swingAnimation = actor->anim;
    }
}

void BehaviorMelee::Stop()
{
    if (gaveUp) {
        WorldEventRequest request;
        request.name = tuning.chaseGiveUpSound;
        request.entityNumber = actor->entityNumber;
        request.position = actor->position;
        request.radius = 400.0f;
        if (gGameServices)
            gGameServices->QueueWorldEvent(request);
        actor->ClearHateList();
        actor->gaveUp = true;
    }
    SetSprint(false);
}

void BehaviorMelee::DebugPrint() const
{
    BehaviorBase::DebugPrint();
    if (const Entity* current = enemy.GetAs<Entity>())
        DebugSystem::Print(kPrintPlain, "  Current enemy: %d\n", current->entityNumber);
    else
        DebugSystem::Print(kPrintPlain, "  Current enemy: none\n");
    if (chasing)
        DebugSystem::Print(kPrintPlain, "  Chasing\n");
    if (waitingOnAnimation)
        DebugSystem::Print(kPrintPlain, "  WaitingOnAnimation\n");
}
