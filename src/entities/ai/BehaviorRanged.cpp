// BehaviorRanged -- fires projectiles at the enemy while it stands inside a distance band.
#include "entities/ai/BehaviorRanged.h"

#include "core/DatabaseEntry.h"
#include "entities/Actor.h"
#include "entities/Projectile.h"
#include "rules/StatPairList.h"


BehaviorRanged::BehaviorRanged()
{
    RegisterTimer(fireTimer);
}

void BehaviorRanged::LoadFromArchetype(const DatabaseEntry& entry)
{
    tuning.minFireRange = entry.GetFloat("MinFireRange", 0.0f);
    tuning.maxFireRange = entry.GetFloat("MaxFireRange", 0.0f);
    tuning.projName = entry.GetString("ProjName");
    tuning.projAnim = entry.GetString("ProjAnim");
    tuning.projDamage = entry.GetInt("ProjDamage");
    tuning.projAttackSpeed = entry.GetFloat("ProjAttackSpeed", 0.0f);
}

bool BehaviorRanged::InBand() const
{
    Entity* enemy = actor->GetCurrentEnemy();
    if (!enemy)
        return false;
    float distance = EntityDistance2D(actor, enemy, false);
    return tuning.minFireRange <= distance && distance <= tuning.maxFireRange;
}

void BehaviorRanged::Think(float)
{
    Entity* target = actor->GetCurrentEnemy();
    if (!target || !InBand() || (fireTimer.running && fireTimer.remaining > 0.0f))
        return;
    Fire(*target);
}

void BehaviorRanged::Fire(Entity& target)
{
    StatPairList damage;
    if (tuning.projDamage != 0) {
        float low = static_cast<float>(tuning.projDamage);
        damage.Add(0, low, low);
    }
    ProjectileLaunch launch;
    launch.damage = &damage;
    launch.source = actor;
    launch.target = &target;
    launch.targetPosition = target.position;
    // An empty or unknown record fires nothing; the shot's rhythm goes on regardless.
    Entity::FireProjectile(tuning.projName, launch);
    if (!tuning.projAnim.empty())
        actor->PlayAnimation(tuning.projAnim, kFirePriority, AnimationMode::ReturnToIdle, true);
    fireTimer.running = 1;
    fireTimer.minimum = fireTimer.maximum = fireTimer.total = fireTimer.remaining = tuning.projAttackSpeed;
    if (&target != actor)
        actor->FaceEntity(&target, false);
}
