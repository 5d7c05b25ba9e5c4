// Skill -- what an execution does: hits and their follow-ups on enemies, help for allies, and the further effects in their fixed order.
#include "entities/Skill.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "core/ScratchList.h"
#include "entities/Actor.h"
#include "entities/CombatSystem.h"
#include "entities/EntityCovenant.h"
#include "entities/GameServices.h"
#include "entities/Item.h"
#include "entities/Projectile.h"
#include "entities/Sentient.h"
#include "rules/CharacterClass.h"
#include "rules/items/InventoryBase.h"
#include "rules/items/ItemDefinition.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kSkillEffectsEnemyStateFirst = 11;
constexpr int32_t kSkillEffectsEnemyStateLast = 21;
constexpr int32_t kSkillEffectsMaxStateBit = 31;
constexpr int32_t kSkillEffectsRelocateTries = 5;
constexpr float kSkillEffectsBlinkReach = 200.0f;
constexpr float kSkillEffectsDisappearRange = 300.0f;
constexpr uint32_t kSkillEffectsRandomHateMask = 0x2151;
constexpr int32_t kSkillEffectsSummonTries = 3;
constexpr int32_t kSkillEffectsSummonRings = 6;
// A record's tries at a high level could grow without end: every draw makes an item.
constexpr int32_t kSkillEffectsMaxPowerupTries = 100;

// floor(r x count) with r from stream 0; count - 1 when that reaches count.
size_t SkillEffectsDraw(size_t count)
{
    float r = DrawRandomFloat();
    return std::min(static_cast<size_t>(std::floor(r * static_cast<float>(count))), count - 1);
}

// The user's SkillDamage modifier of the skill's damage.
float SkillEffectsDamageFactor(const Sentient& user, const Skill* skill)
{
    float factor = 1.0f;
    user.ApplyDynamicStat(DynamicStat::SkillDamage, skill, factor);
    return factor;
}

bool SkillEffectsIsDeadNow(const Entity& entity)
{
    return entity.maxHealth > 0 && entity.health <= 0;
}

void SkillEffectsAdd(std::vector<Entity*>& list, Entity* entity)
{
    if (entity && std::find(list.begin(), list.end(), entity) == list.end())
        list.push_back(entity);
}

bool SkillEffectsIsPlayer(const Entity* entity)
{
    if (!entity || !gGameServices)
        return false;
    const auto& players = gGameServices->GetPlayers();
    return std::find(players.begin(), players.end(), entity) != players.end();
}

// A player that uses "Suicide" dies through its own damage path and is its own killer, so that
// its death events, debt, soul stone and rising run; any other user is simply deleted.
void SkillEffectsEndUser(Sentient& user)
{
    if (!SkillEffectsIsPlayer(&user)) {
        user.ScheduleDelete(0.0f);
        return;
    }
    user.TakeDamage(std::max(user.health, 1), &user, false, false);
    if (SkillEffectsIsDeadNow(user))
        HandleKill(&user, &user);
}

// The direction turned one step: left (negative) counts down, 7 after 0.
int32_t SkillEffectsTurn(int32_t direction, int32_t step)
{
    return ((direction + step) % 8 + 8) % 8;
}

} // namespace

// ---- Enemies ---------------------------------------------------------------------------------

bool Skill::IsValidVictim(const Sentient& user, const Entity* victim) const
{
    if (!victim || !definition)
        return false;
    if (definition->requiredEnemyStatus != 0 && !victim->HasStatusType(definition->requiredEnemyStatus))
        return false;
    if (!(definition->statusEffectOnSelf && victim == &user)) {
        bool friendly = definition->self || definition->needsFriend || definition->allAllies;
        bool hostile = !friendly && (definition->needsEnemy || definition->extraEnemies != 0 || definition->allEnemies);
        int32_t relation = gGameServices ? gGameServices->GetRelationship(victim, &user) : 2;
        if ((friendly && relation == 0) || (hostile && relation == 4))
            return false;
    }
    return !definition->victimMustMove || victim->CanMove();
}

void Skill::CollectVictims(Sentient& user, Entity* target, std::vector<Entity*>& out) const
{
    out.clear();
    Entity* first = target ? target : user.GetCurrentTarget();
    if (definition->needsEnemy)
        SkillEffectsAdd(out, first);
    if ((definition->extraEnemies == 0 && !definition->allEnemies) || !gGameServices)
        return;
    ScratchList<Entity*> candidates;
    gGameServices->FindEntitiesInRadius(user.position, &user, definition->maxRange, RadiusFilter::Hostile, *candidates,
                                        false);
    std::erase(*candidates, first);
    if (definition->allEnemies) {
        for (Entity* candidate : *candidates)
            SkillEffectsAdd(out, candidate);
        return;
    }
    for (int32_t i = 0; i < definition->extraEnemies && !candidates->empty(); ++i) {
        size_t drawn = SkillEffectsDraw(candidates->size());
        SkillEffectsAdd(out, (*candidates)[drawn]);
        candidates->erase(candidates->begin() + static_cast<std::ptrdiff_t>(drawn));
    }
}

bool Skill::ApplyToEnemies(Sentient& user, Entity* target)
{
    if (!definition)
        return false;
    ScratchList<Entity*> victims;
    CollectVictims(user, target, *victims);
    ScratchList<SafePointer> kept;
    for (Entity* victim : *victims)
        kept->emplace_back(victim);
    int32_t total = 0;
    for (const SafePointer& pointer : *kept)
        if (Entity* victim = pointer.GetAs<Entity>(); victim && IsValidVictim(user, victim))
            HitVictim(user, *victim, total);
    if (total > 0)
        user.ReportDamageDealt(total);
    return !victims->empty();
}

void Skill::HitVictim(Sentient& user, Entity& victim, int32_t& total)
{
    user.AddEngaged(&victim);
    victim.AddEngaged(&user);
    int32_t hit = -1;
    if (definition->attack)
        hit = ResolveAttack(&user, &victim, this, false, 1.0f);
    else if (definition->magicAttack)
        hit = DealSkillDamage(&user, &victim, this, 1.0f);
    // The states the skill needed are spent on this victim.
    uint32_t consumed = definition->requiredStatesOne | definition->requiredStatesAll;
    auto* sentientVictim = dynamic_cast<Sentient*>(&victim);
    for (int32_t bit = 0; bit <= kSkillEffectsMaxStateBit; ++bit) {
        if ((consumed & (1u << bit)) == 0)
            continue;
        user.ClearCombatEvent(bit, victim.entityNumber);
        if (sentientVictim && bit >= kSkillEffectsEnemyStateFirst && bit <= kSkillEffectsEnemyStateLast)
            sentientVictim->ClearCombatEvent(bit - kSkillEffectsEnemyStateFirst, user.entityNumber);
    }
    if ((definition->attack || definition->magicAttack) && hit <= 0 && !definition->alwaysWorks)
        return;
    int32_t level = GetLevel();
    int32_t dealt = 0;
    int32_t high = definition->AtLevel(&SkillDefinition::maxDamage, level);
    if (high > 0 && victim.IsDamageable()) {
        StatPairList damage;
        definition->AddDamageAtLevel(damage, level);
        damage.Multiply(SkillEffectsDamageFactor(user, this));
        dealt = DealDamage(&user, &victim, damage, false, false);
    }
    ChangeVictimHate(user, victim);
    if (definition->enemyEvent != 0)
        victim.Notify(definition->enemyEvent, nullptr);
    if (definition->interrupt && sentientVictim)
        sentientVictim->CancelAllActions();
    const StatusEffectBase* effect = definition->GetStatusEffect();
    if (effect && effect->GetEntry() && !definition->projStatusEffect && !definition->statusEffectOnSelf) {
        victim.AddStatusEffect(effect->GetEntry(), &user, level);
        if (EntityCovenant* covenant = victim.GetCovenant())
            covenant->OnMemberDamaged(victim, &user, 0);
    }
    bool killed = dealt > 0 && SkillEffectsIsDeadNow(victim);
    FireAtVictim(user, victim, killed);
    if (!definition->targetEffect.empty() && gGameServices)
        gGameServices->SpawnModelEntity(definition->targetEffect, victim.position, definition->effectTime);
    if (!definition->dispelEffectName.empty() && sentientVictim)
        sentientVictim->WeakenEffectsByGroup(definition->dispelEffectName, definition->dispelEffectStrength);
    if (definition->powerAdded > 0 && (!definition->powerAddedOnKill || killed)) {
        user.AddPower(definition->AtLevel(&SkillDefinition::powerAdded, level));
        user.stats.Set(CharacterStat::PowerRising, 1);
    } else if (definition->haltsPowerDrop) {
        user.stats.Set(CharacterStat::PowerRising, 1);
    }
    if (definition->noiseRange > 0.0f && gGameServices)
        gGameServices->MakeNoise(&user, &victim, definition->noiseRange);
    total += dealt;
}

void Skill::ChangeVictimHate(Sentient& user, Entity& victim) const
{
    auto* actor = dynamic_cast<Actor*>(&victim);
    if (!actor)
        return;
    int32_t level = GetLevel();
    float hate = GetHateChange(user);
    if (hate != 0.0f) {
        Entity* hated = &user;
        if (definition->randomHateVictim && gGameServices) {
            ScratchList<Entity*> around;
            gGameServices->FindEntitiesInRadius(victim.position, &victim, definition->maxRange,
                                                kSkillEffectsRandomHateMask, *around, false);
            std::erase(*around, static_cast<Entity*>(&user));
            if (!around->empty())
                hated = (*around)[SkillEffectsDraw(around->size())];
        }
        actor->AddHate(hated, hate, 3);
    }
    float silent = definition->GetSilentHateChangeAtLevel(level);
    user.ApplyDynamicStat(DynamicStat::HateChange, this, silent);
    if (silent != 0.0f)
        actor->AddHate(&user, silent, 5);
    float reduce = definition->GetReduceAllHateAtLevel(level);
    user.ApplyDynamicStat(DynamicStat::HateChange, this, reduce);
    if (reduce != 0.0f)
        actor->ScaleDownHate(reduce);
}

void Skill::FireAtVictim(Sentient& user, Entity& victim, bool killed) const
{
    if (definition->projectile.empty() || definition->alwaysWorks || (definition->projectileOnKill && !killed))
        return;
    WorldPos anchor;
    user.GetAnchorPosition(anchor);
    FireProjectile(user, &victim, anchor);
    int32_t facing = user.facing;
    for (int32_t turn : definition->projAdditionalDir) {
        int32_t step = turn < 0 ? -1 : 1;
        for (int32_t i = 0; i < std::abs(turn); ++i)
            user.facing = SkillEffectsTurn(user.facing, step);
        FireProjectile(user, nullptr, anchor);
        user.facing = facing;
    }
}

void Skill::FireProjectile(Sentient& user, Entity* target, const WorldPos& point) const
{
    int32_t level = GetLevel();
    float skillDamage = SkillEffectsDamageFactor(user, this);
    StatPairList direct;
    int32_t high = definition->AtLevel(&SkillDefinition::projMaxDamage, level);
    if (high >= 1) {
        definition->AddProjectileDamageAtLevel(direct, level);
        direct.Multiply(skillDamage);
    } else if (definition->projectileDamage) {
        user.BuildDamageList(this, direct);
    }
    StatPairList radial;
    int32_t radialHigh = definition->AtLevel(&SkillDefinition::projRadiusMaxDamage, level);
    if (radialHigh >= 1) {
        definition->AddProjectileRadiusDamageAtLevel(radial, level);
        radial.Multiply(skillDamage);
        float roll = DrawRandomScaled(RandomStream::GameData, 100.0f, 1.0f);
        if (user.GetDynamicStat(DynamicStat::CriticalHit, this) > roll)
            radial.Multiply(2.0f);
    } else if (definition->radiusDamage) {
        user.BuildDamageList(this, radial);
    }
    ProjectileLaunch launch;
    launch.damage = &direct;
    launch.radiusDamage = &radial;
    launch.normalAttack = definition->projNormalAttack;
    launch.magicAttack = definition->projMagicAttack;
    launch.source = &user;
    launch.target = target;
    launch.targetPosition = point;
    const StatusEffectBase* effect = definition->GetStatusEffect();
    launch.statusEffect = definition->projStatusEffect && effect ? effect->GetEntry() : nullptr;
    launch.statusEffectLevel = level;
    launch.radius = definition->GetProjRadiusAtLevel(level);
    launch.attack = this;
    Entity::FireProjectile(definition->projectile, launch);
}

// ---- Allies ----------------------------------------------------------------------------------

bool Skill::ApplyToAllies(Sentient& user, Entity* target)
{
    if (!definition)
        return false;
    ScratchList<Entity*> beneficiaries;
    bool related = target && (user.IsFriendly(target) || user.IsInParty(dynamic_cast<Sentient*>(target)) ||
                              (dynamic_cast<Sentient*>(target) && user.IsFactionAlly(*dynamic_cast<Sentient*>(target))));
    if (definition->needsFriend && target && !target->IsInanimate() && related)
        beneficiaries->push_back(target);
    else if (definition->self || definition->statusEffectOnSelf)
        beneficiaries->push_back(&user);
    if (definition->allAllies && gGameServices) {
        ScratchList<Entity*> allies;
        gGameServices->FindEntitiesInRadius(user.position, &user, definition->maxRange, RadiusFilter::Friendly, *allies,
                                            false);
        SkillEffectsAdd(*allies, &user);
        for (Entity* ally : *allies)
            SkillEffectsAdd(*beneficiaries, ally);
    }
    for (Entity* beneficiary : *beneficiaries)
        if (IsValidVictim(user, beneficiary))
            HelpBeneficiary(user, *beneficiary);
    return !beneficiaries->empty();
}

void Skill::HelpBeneficiary(Sentient& user, Entity& beneficiary)
{
    int32_t level = GetLevel();
    auto* sentient = dynamic_cast<Sentient*>(&beneficiary);
    const StatusEffectBase* effect = definition->GetStatusEffect();
    if (effect && effect->GetEntry()) {
        beneficiary.AddStatusEffect(effect->GetEntry(), &user, level);
        if (sentient && sentient != &user)
            sentient->RaiseBuffed(&user, static_cast<uint32_t>(GetRecordId()));
    }
    int32_t amount = GetHealAmount(&user, &beneficiary);
    if (amount != 0 || definition->healPercent > 0.0f) {
        beneficiary.Heal(amount, &user, true);
        user.ReportHealingDone(amount);
    }
    if (sentient && !definition->dispelEffectName.empty())
        sentient->WeakenEffectsByGroup(definition->dispelEffectName, definition->dispelEffectStrength);
    if (sentient && !definition->cureEffectName.empty())
        sentient->CureDamageOverTimeByGroup(definition->cureEffectName, definition->GetCureEffectStrengthAtLevel(level));
    if (definition->powerAdded > 0)
        user.AddPower(definition->AtLevel(&SkillDefinition::powerAdded, level));
    if (!definition->targetEffect.empty() && gGameServices)
        gGameServices->SpawnModelEntity(definition->targetEffect, beneficiary.position, definition->effectTime);
    if (sentient && definition->unhide)
        sentient->flags &= ~EntityFlag::Hidden;
    if (sentient && definition->hide)
        sentient->flags |= EntityFlag::Hidden;
}

int32_t Skill::GetHealAmount(const Sentient* user, const Entity* beneficiary) const
{
    if (!definition)
        return 0;
    int32_t base = definition->GetHealAtLevel(
        GetLevel(), beneficiary ? std::optional<int32_t>(beneficiary->maxHealth) : std::nullopt);
    if (!user)
        return base;
    float roll = DrawRandomScaled(RandomStream::GameData, 100.0f, 1.0f);
    const CharacterClass* characterClass = user->GetClass();
    float chance = (characterClass ? characterClass->criticalPerInt : 0.0f) *
                       static_cast<float>(user->GetStat(CharacterStat::Intelligence)) +
                   5.0f;
    user->ApplyDynamicStat(DynamicStat::CriticalHeal, this, chance);
    return chance > roll ? 2 * base : base;
}

// ---- Further effects ---------------------------------------------------------------------------

void Skill::ApplyFurtherEffects(Sentient& user, Entity*)
{
    if (!definition)
        return;
    AlertFactionOf(user);
    if (definition->monstersToSpawn >= 1 || definition->maxMonstersToSpawn >= 1)
        Summon(user);
    if (!definition->projectile.empty() && definition->alwaysWorks) {
        WorldPos anchor;
        user.GetAnchorPosition(anchor);
        FireProjectile(user, nullptr, anchor);
        if (!definition->dontLookAtTarget) {
            user.FaceTowards(anchor, false);
            user.QueueWarpDirection();
        }
    }
    if (definition->reverseProjectile)
        ReverseProjectilesAt(user);
    if (definition->blink || definition->teleport)
        Relocate(user);
    int32_t level = GetLevel();
    if (definition->explosion) {
        StatPairList damage;
        float amount = static_cast<float>(definition->AtLevel(&SkillDefinition::explosionDamage, level));
        damage.Add(definition->explosionDamageType, amount, amount);
        DealAreaDamage(&user, user.position, definition->GetExplosionRangeAtLevel(level), damage, false);
    }
    if (!definition->areaEffect.empty() && gGameServices)
        gGameServices->SpawnModelEntity(definition->areaEffect, user.position, definition->effectTime);
    // A gust's only mark on the world is the torches it blows out.
    if (definition->windDistance > 0.0f && definition->windPower > 0.0f && gGameServices)
        gGameServices->ExtinguishTorchesNear(user.position, definition->windDistance, definition->windPower);
    ShutDoorsNear(user.position);
    if (definition->suicide)
        SkillEffectsEndUser(user);
    if (definition->turnLeft)
        user.facing = SkillEffectsTurn(user.facing, -1);
    else if (definition->turnRight)
        user.facing = SkillEffectsTurn(user.facing, 1);
    ChangePowerups(user);
    if (definition->tryToDisappear && !user.IsEngaged(false, false, true, kSkillEffectsDisappearRange))
        user.Disappear();
}

bool Skill::IsPowerup(const ItemBase* item)
{
    const ItemDefinition* itemDefinition = item ? item->GetDefinition() : nullptr;
    // Our records carry no flag that keeps an item out of this draw beyond "NoDrop", which
    // already keeps it out of the spawn tables: the slot type alone decides.
    return itemDefinition && itemDefinition->slotType == ItemSlotType::Powerup;
}

void Skill::ChangePowerups(Sentient& user) const
{
    int32_t tries = std::min(definition->AtLevel(&SkillDefinition::changePowerupTries, GetLevel()),
                             kSkillEffectsMaxPowerupTries);
    if (tries <= 0 || !gGameServices || !user.inventory)
        return;
    InventoryBase& inventory = *user.inventory;
    int32_t level = user.GetStat(CharacterStat::Level);
    int32_t slots = std::min(InventoryBase::kPowerupCells, inventory.GetSlotCount(InventoryBase::kPowerupBag));
    bool changed = false;
    for (int32_t slot = 0; slot < slots; ++slot) {
        if (!IsPowerup(inventory.GetItem(InventoryBase::kPowerupBag, slot)))
            continue;
        std::unique_ptr<Item> kept;
        for (int32_t i = 0; i < tries; ++i) {
            std::unique_ptr<Item> drawn = gGameServices->DrawRandomItem(level);
            if (IsPowerup(drawn.get()) && (!kept || drawn->GetValue(false) < kept->GetValue(false)))
                kept = std::move(drawn);
        }
        if (!kept)
            continue;
        std::unique_ptr<ItemBase> old = inventory.RemoveAt(InventoryBase::kPowerupBag, slot);
        std::unique_ptr<ItemBase> placed(kept.release());
        // A cell that refuses the new item keeps the old one.
        if (inventory.PlaceItem(placed, InventoryBase::kPowerupBag, slot, 0))
            changed = true;
        else
            inventory.PlaceItem(old, InventoryBase::kPowerupBag, slot, 0);
    }
    if (changed)
        user.RecalculateStats(false);
}

void Skill::ReverseProjectilesAt(Sentient& user) const
{
    if (!gGameServices)
        return;
    float strengthening = definition->GetDamageMultAllAtLevel(GetLevel());
    std::vector<Entity*> near;
    gGameServices->FindEntitiesInRadius(user.position, &user, definition->maxRange, RadiusFilter::Projectiles, near,
                                        false);
    for (Entity* entity : near) {
        auto* projectile = dynamic_cast<Projectile*>(entity);
        if (!projectile || projectile->GetCurrentTarget() != &user)
            continue;
        if (projectile->GetSource())
            projectile->Reverse(&user);
        projectile->damageMultiplier += strengthening;
    }
}

void Skill::AlertFactionOf(Sentient& user) const
{
    auto* hated = dynamic_cast<Sentient*>(user.GetCurrentTarget());
    if (definition->alertFaction.empty() || !hated || !gGameServices)
        return;
    int32_t faction = gGameServices->GetOrAddFaction(definition->alertFaction);
    float amount = 1.0f;
    if (definition->alertHateMult > 0.0f) {
        StatPairList plain;
        user.BuildDamageList(nullptr, plain);
        int32_t low = 0;
        int32_t high = 0;
        plain.SumRange(low, high);
        amount = static_cast<float>(high) * definition->alertHateMult;
    }
    std::vector<Entity*> around;
    gGameServices->FindEntitiesInRadius(user.position, &user, definition->maxRange,
                                        RadiusFilter::Every | RadiusFilter::NotSource, around, false);
    for (Entity* entity : around)
        if (auto* actor = dynamic_cast<Actor*>(entity); actor && actor->factionIndex == faction)
            actor->AddHate(hated, amount, 0);
}

void Skill::Summon(Sentient& user) const
{
    SummonAround(user.position, user.GetStat(CharacterStat::Level), user.GetCurrentTarget());
}

void Skill::SummonAround(const WorldPos& centre, int32_t level, Entity* hated) const
{
    if (!gGameServices)
        return;
    int32_t count = definition->monstersToSpawn;
    if (definition->minMonstersToSpawn >= 1 || definition->maxMonstersToSpawn >= 1) {
        int32_t spread = std::max(0, definition->maxMonstersToSpawn - definition->minMonstersToSpawn);
        count = definition->minMonstersToSpawn +
                (DrawRandomIndex(RandomStream::GameData, 0, spread));
    }
    bool named = definition->monsterArchetype || definition->monsterType;
    for (int32_t i = 0; i < count; ++i) {
        Entity* monster = nullptr;
        for (int32_t attempt = 0; attempt < kSkillEffectsSummonTries && !monster; ++attempt) {
            monster = gGameServices->MakeMonster(definition->monsterArchetype, definition->monsterType,
                                                 named ? level : 1, definition->minMonsterRarity);
            if (named)
                break;
        }
        if (!monster || !PlaceSummoned(centre, hated, *monster))
            return;
    }
}

bool Skill::PlaceSummoned(const WorldPos& centre, Entity* hated, Entity& monster) const
{
    SpawnSearch search;
    search.entity = &monster;
    WorldPos spot;
    if (!gGameServices->FindSpawnPosition(centre, kSkillEffectsSummonRings, search, false, spot)) {
        delete &monster;
        return false;
    }
    monster.SetPosition(spot);
    monster.SetMoveTarget(spot);
    // A monster the full table refuses is deleted rather than left without an owner.
    if (gGameServices->AddEntity(&monster) == -1) {
        delete &monster;
        return false;
    }
    monster.flags &= ~EntityFlag::Hidden;
    if (auto* actor = dynamic_cast<Actor*>(&monster)) {
        actor->summoned = true;
        if (hated)
            actor->AddHate(hated, 1.0f, 0);
        actor->SetActive(true);
    }
    return true;
}

void Skill::Relocate(Sentient& user) const
{
    if (!gGameServices)
        return;
    for (int32_t attempt = 0; attempt < kSkillEffectsRelocateTries; ++attempt) {
        WorldPos destination = user.position;
        if (definition->blink && gRandomSystem) {
            destination.x += gRandomSystem->RandomRange(RandomStream::GameData, -kSkillEffectsBlinkReach,
                                                        kSkillEffectsBlinkReach);
            destination.y += gRandomSystem->RandomRange(RandomStream::GameData, -kSkillEffectsBlinkReach,
                                                        kSkillEffectsBlinkReach);
        } else if (definition->teleport && SkillEffectsIsPlayer(ownerSentient)) {
            ownerSentient->GetAnchorPosition(destination);
        } else {
            break;
        }
        // A point a client chose must be a number and lie on a level before it is tested.
        if (!std::isfinite(destination.x) || !std::isfinite(destination.y))
            continue;
        destination.Normalize();
        if (!gGameServices->IsKnownLevel(destination.level))
            continue;
        if (gGameServices->IsSpotFreeForBody(destination, &user, 0)) {
            user.Warp(destination);
            break;
        }
    }
    if (!definition->targetEffect.empty())
        gGameServices->SpawnModelEntity(definition->targetEffect, user.position, definition->effectTime);
}
