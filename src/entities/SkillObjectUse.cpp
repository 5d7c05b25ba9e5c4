// Skill -- what a skill does when a world object uses it (a trapped chest, door or plate): an ambush, doors slammed shut, a missile or an effect on the victim.
#include "entities/Skill.h"

#include "entities/Entity.h"
#include "entities/GameServices.h"
#include "entities/Projectile.h"
#include "rules/StatPairList.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <vector>

namespace {
// A world object's level is its stat 10 (the level stat of a skill in tree 0, slot 0).
constexpr int32_t kSkillObjectLevelStat = 10;
} // namespace

void Skill::SpawnMonstersFrom(const Entity& source, Entity* target) const
{
    if (definition)
        SummonAround(source.position, source.GetStat(kSkillObjectLevelStat), target);
}

void Skill::ShutDoorsNear(const WorldPos& position) const
{
    if (!definition || !gGameServices || definition->shutDoorDistance <= 0.0f)
        return;
    std::vector<int32_t> near;
    gGameServices->CollectEntitiesNear(position, definition->shutDoorDistance, false, near);
    // By number: a door that shuts may change what stands around it.
    for (int32_t number : near)
        if (Entity* entity = gGameServices->GetEntity(number))
            entity->ShutByTrap();
}

Entity* Skill::UseFromObject(Entity& source, Entity* target, const WorldPos& start) const
{
    if (!definition)
        return nullptr;
    int32_t level = GetLevel();
    if (definition->projectile.empty()) {
        const StatusEffectBase* effect = definition->GetStatusEffect();
        if (target && effect && effect->GetEntry())
            target->AddStatusEffect(effect->GetEntry(), &source, level);
        return nullptr;
    }
    // Only a part the definition gives damage to is sent, as a sentient's missile does.
    StatPairList direct;
    if (definition->AtLevel(&SkillDefinition::projMaxDamage, level) >= 1)
        definition->AddProjectileDamageAtLevel(direct, level);
    StatPairList radial;
    if (definition->AtLevel(&SkillDefinition::projRadiusMaxDamage, level) >= 1)
        definition->AddProjectileRadiusDamageAtLevel(radial, level);
    ProjectileLaunch launch;
    launch.damage = &direct;
    launch.radiusDamage = &radial;
    launch.normalAttack = definition->projNormalAttack;
    launch.magicAttack = definition->projMagicAttack;
    launch.source = &source;
    launch.target = target;
    launch.targetPosition = target ? target->position : start;
    launch.startPosition = start;
    const StatusEffectBase* effect = definition->GetStatusEffect();
    launch.statusEffect = definition->projStatusEffect && effect ? effect->GetEntry() : nullptr;
    launch.statusEffectLevel = level;
    launch.radius = definition->GetProjRadiusAtLevel(level);
    launch.attack = this;
    return Entity::FireProjectile(definition->projectile, launch);
}
