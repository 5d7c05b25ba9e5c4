// Projectile -- an entity carrying an attack from a source to a target: homing, lobbed and straight shots, growing rings, and beams that chain from victim to victim.
#include "entities/Projectile.h"

#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/EnumTableGroup.h"
#include "core/MathUtil.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "core/Vector.h"
#include "entities/CombatSystem.h"
#include "entities/GameServices.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr const char* kProjectileTypeNames[ProjectileType::kCount] = {"Normal", "Ring",     "Beam",
                                                                      "Lob",    "Straight", "StraightLob"};
constexpr EnumTable::NameList kProjectileTypeTable[] = {
    {"ProjectileType", ProjectileType::Normal, kProjectileTypeNames}};
constexpr int32_t kProjectileIdlePriority = 2;

const EnumTableGroup& ProjectileTypeGroup()
{
    static const EnumTableGroup group(kProjectileTypeTable);
    return group;
}

void ProjectileStartTimer(RandomTimer& timer, float seconds)
{
    timer.running = 1;
    timer.total = seconds;
    timer.remaining = seconds;
}

bool ProjectileIsTorch(const Entity* entity)
{
    const DatabaseEntry* record = entity ? entity->GetEntry() : nullptr;
    return record && record->GetString("ObjectType") == "Torch";
}

bool ProjectileHasIn(const std::vector<SafePointer>& list, const Entity* entity)
{
    return std::any_of(list.begin(), list.end(), [entity](const SafePointer& p) { return p.Get() == entity; });
}

// The distance from the point to the segment from the origin to the end.
float ProjectileDistanceToSegment(const Vector2& point, const Vector2& end)
{
    float lengthSquared = end.x * end.x + end.y * end.y;
    float t = lengthSquared > 0.0f ? (point.x * end.x + point.y * end.y) / lengthSquared : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return Vector2Length(point - end * t);
}

} // namespace

void Projectile::RegisterTypeNames()
{
    ProjectileTypeGroup().Register();
}

int32_t Projectile::GetTypeByName(std::string_view name)
{
    const EnumTable* table = ProjectileTypeGroup().Find("ProjectileType");
    return table ? table->Lookup(name) : ProjectileType::Normal;
}

Projectile::Projectile()
{
    for (RandomTimer* timer : {&lifeTimer, &damageTimer, &chainTimer}) {
        timer->listed = 1;
        timers.push_back(timer);
    }
}

Projectile::~Projectile() = default;

// ---- Loading ---------------------------------------------------------------------------------

void Projectile::Load(const DatabaseEntry* record)
{
    Entity::Load(record);
    if (!record)
        return;
    speed = record->GetFloat("Speed", 0.0f);
    float life = record->GetFloat("Life", 0.0f);
    if (life > 0.0f)
        ProjectileStartTimer(lifeTimer, life);
    float chainTime = record->GetFloat("ChainTime", 0.0f);
    if (chainTime > 0.0f)
        ProjectileStartTimer(chainTimer, chainTime);
    PlayAnimation("idle", kProjectileIdlePriority, AnimationMode::Loop, false);
    explosion = record->GetString("Explosion");
    projectileType = GetTypeByName(record->GetString("ProjectileType"));
    maxChains = record->GetInt("MaxChains");
    chainDistance = record->GetFloat("ChainDistance", 0.0f);
    coneDegrees = record->GetFloat("ConeDegrees", 0.0f);
    ringRadius = record->GetFloat("StartDistance", 0.0f);
    constantDamage = record->GetInt("ConstantDamage") != 0;
    damageTime = record->GetFloat("DamageTime", 0.0f);
    startsAtTarget = record->GetInt("StartsAtTarget") != 0;
    beamAttack = record->GetInt("BeamAttack") != 0;
    LoadBeamAndLooks(record);
    LoadMotion(record);
}

void Projectile::LoadBeamAndLooks(const DatabaseEntry* record)
{
    std::string beam = record->GetString("Beam");
    beamRecord = beam.empty() || !gDatabase ? nullptr : gDatabase->FindEntryByName(beam);
    if (!beam.empty() && !beamRecord)
        DebugSystem::Print(3, "Unknown beam - %s!\n", beam.c_str());
    float intensity = record->GetFloat("LightIntensity", 0.0f);
    if (intensity > 0.0f) {
        lightColor = ParseColor(record->GetString("LightColor"));
        lightFalloff = intensity;
    }
    sourceTag = record->GetString("SourceTag");
    destTag = record->GetString("DestTag");
    hitsEverything = record->GetInt("HitsEverything") != 0;
    canHitTorches = record->GetInt("CanHitTorches") != 0;
}

void Projectile::LoadMotion(const DatabaseEntry* record)
{
    lobSpeed = record->GetFloat("LobSpeed", 0.0f);
    lobVerticalAccel = record->GetFloat("LobVerticalAccel", 0.0f);
    explosionProjectile = record->GetString("ExplosionProjectile");
    useLaunchPositions = record->GetInt("UseOriginalPositions") != 0;
    directionChangeChance = record->GetFloat("DirectionChangeChance", 0.0f);
}

// ---- Ends and tags -------------------------------------------------------------------------

void Projectile::SetSource(Entity* entity)
{
    source.Set(entity);
    if (projectileType == ProjectileType::Beam && entity) {
        sourceTagIndex = entity->GetTagIndex(sourceTag);
        if (sourceTagIndex < 0)
            sourceTagIndex = entity->GetTagIndex("");
    }
}

void Projectile::SetTarget(Entity* entity)
{
    target.Set(entity);
    if (projectileType == ProjectileType::Beam && entity) {
        targetTag = entity->GetTagIndex(destTag);
        if (targetTag < 0)
            targetTag = entity->GetTagIndex("");
    }
    if (entity)
        hitList.emplace_back(entity);
}

void Projectile::SetBeamStart(Entity* entity)
{
    beamStart.Set(entity);
    if (projectileType == ProjectileType::Beam && entity) {
        beamStartTag = entity->GetTagIndex(entity == GetSource() ? sourceTag : destTag);
        if (beamStartTag < 0)
            beamStartTag = entity->GetTagIndex("");
    }
}

void Projectile::Reverse(Entity* by)
{
    SetTarget(GetSource());
    SetSource(by);
}

WorldPos Projectile::GetTargetPoint() const
{
    const Entity* aimed = GetCurrentTarget();
    return aimed ? aimed->position : launchTarget;
}

// ---- Start and steps -----------------------------------------------------------------------

void Projectile::Start()
{
    if (projectileType == ProjectileType::Beam) {
        // A beam fired on its own heads its own chain.
        if (!chainHead)
            chainHead.Set(this);
        totalDamage += DealDamage(GetSource(), GetCurrentTarget(), damage, false, false);
        if (Entity* shooter = GetSource())
            shooter->ReportDamageDealt(totalDamage);
    } else if (projectileType == ProjectileType::Ring) {
        if (speed == 0.0f && GetSource()) {
            facing = GetSource()->facing;
            Vector2 ahead = AxisVector2FromIndex(facing);
            Vector2Normalize(ahead);
            if (coneDegrees != 0.0f)
                launchTarget = position.Offset(ahead * kConeLead);
        } else {
            FaceTowards(GetTargetPoint(), false);
        }
    } else if (projectileType == ProjectileType::Lob || projectileType == ProjectileType::StraightLob) {
        halfDistance = 0.5f * position.Distance2D(GetTargetPoint());
        if (projectileType == ProjectileType::StraightLob) {
            launchTarget = GetTargetPoint();
            target.Clear();
            if (lobSpeed > 0.0f)
                verticalSpeed = halfDistance / lobSpeed * lobVerticalAccel;
        }
    } else if (projectileType == ProjectileType::Straight && GetSource()) {
        facing = GetSource()->facing;
    }
    if (startsAtTarget)
        SetPosition(GetTargetPoint());
    if (useLaunchPositions && GetCurrentTarget()) {
        launchTarget = GetCurrentTarget()->position;
        launchStart = position;
    }
    if (constantDamage && lifeTimer.running && lifeTimer.total > 0.0f)
        damage.Multiply(1.0f / lifeTimer.total);
}

bool Projectile::IsPastItsLife()
{
    age += gGameServices ? gGameServices->GetStepLength() : 0.0f;
    if (lifeTimer.running && lifeTimer.remaining <= 0.0f)
        return true;
    if (age < kSafetyLife)
        return false;
    // A record that never ends its projectiles would fill the entity table; said once a record.
    std::string name(GetEntry() ? GetEntry()->GetName() : std::string_view());
    if (CombatSystem::Instance()->NoteSafetyLife(name))
        DebugSystem::Print(2, "Projectile %s reached its safety life\n", name.c_str());
    return true;
}

void Projectile::Update(float seconds)
{
    Entity::Update(seconds);
    if (deleting)
        return;
    if (projectileType == ProjectileType::Normal && !GetCurrentTarget()) {
        deleting = true;
        ScheduleDelete(0.0f);
        return;
    }
    if (projectileType == ProjectileType::Beam && chainTimer.running && chainTimer.remaining <= 0.0f)
        TryToChain();
    // Every type honours its life, so a record without a way to end still ends.
    if (IsPastItsLife()) {
        deleting = true;
        ScheduleDelete(0.0f);
        return;
    }
    switch (projectileType) {
    case ProjectileType::Straight:
        UpdateStraight(seconds);
        break;
    case ProjectileType::Normal:
    case ProjectileType::Lob:
    case ProjectileType::StraightLob:
        UpdateHoming(seconds);
        break;
    case ProjectileType::Ring:
        UpdateRing(seconds);
        break;
    default:
        break;
    }
}

void Projectile::UpdateStraight(float seconds)
{
    Vector2 way;
    if (useLaunchPositions) {
        way = launchStart.DeltaTo(launchTarget);
        Vector2Normalize(way);
    } else {
        if (directionChangeChance > 0.0f && DrawRandomFloat() < directionChangeChance)
            facing = DrawRandomFloat() < 0.5f ? (facing + 7) % 8 : (facing + 1) % 8;
        way = AxisVector2FromIndex(facing);
    }
    WorldPos next = position.Offset(way * (speed * seconds));
    float fraction = 1.0f;
    if (gGameServices && gGameServices->TraceLine(position, next, this, GetSource(), fraction)) {
        Hit(nullptr);
        return;
    }
    // A living body on the way stops the shot as a wall would.
    nearScratch.clear();
    Vector2 step = position.DeltaTo(next);
    if (gGameServices)
        gGameServices->FindEntitiesInRadius(position, this, Vector2Length(step) + radius,
                                            RadiusFilter::Living | RadiusFilter::Every, nearScratch, false);
    for (Entity* entity : nearScratch) {
        if (entity == GetSource() || entity == this || entity->IsProjectile())
            continue;
        if (ProjectileDistanceToSegment(position.DeltaTo(entity->position), step) < entity->radius + radius) {
            Hit(entity);
            return;
        }
    }
    SetPosition(next);
}

void Projectile::UpdateHoming(float seconds)
{
    Vector2 way = position.DeltaTo(GetTargetPoint());
    float length = Vector2Length(way);
    float travel = speed * seconds;
    if (length < travel) {
        Hit(GetCurrentTarget());
        return;
    }
    if (length > 0.0f && travel > 0.0f) {
        SetPosition(position.Offset(way * (travel / length)));
        facing = AngleToDirection(Vector2Angle(way));
    }
    if (projectileType == ProjectileType::Lob) {
        height += (length > halfDistance ? lobSpeed : -lobSpeed) * seconds;
    } else if (projectileType == ProjectileType::StraightLob) {
        height += verticalSpeed;
        verticalSpeed -= lobVerticalAccel * seconds;
    }
}

bool Projectile::IsInCone(const Entity& entity) const
{
    if (coneDegrees <= 0.0f)
        return true;
    Vector2 ahead = position.DeltaTo(GetTargetPoint());
    Vector2 toEntity = position.DeltaTo(entity.position);
    Vector2Normalize(ahead);
    Vector2Normalize(toEntity);
    return ahead.x * toEntity.x + ahead.y * toEntity.y > std::cos(coneDegrees * 0.5f * kDegreesToRadians);
}

void Projectile::UpdateRing(float seconds)
{
    ringRadius += speed * seconds;
    if (constantDamage) {
        if (damageTimer.running && damageTimer.remaining > 0.0f)
            return;
        ProjectileStartTimer(damageTimer, damageTime);
        hitList.clear();
    }
    Entity* shooter = GetSource();
    if (!shooter || !gGameServices)
        return;
    gGameServices->FindEntitiesInRadius(position, shooter, ringRadius, RadiusFilter::Living | RadiusFilter::Hostile,
                                        nearScratch, false);
    for (Entity* entity : nearScratch) {
        if (entity == shooter || !IsInCone(*entity) || ProjectileHasIn(hitList, entity))
            continue;
        hitList.emplace_back(entity);
        Hit(entity);
        if (deleting || !GetSource())
            return;
    }
}

// ---- Hits ----------------------------------------------------------------------------------

void Projectile::Hit(Entity* entity)
{
    if (deleting || (ProjectileIsTorch(entity) && !canHitTorches))
        return;
    Entity* shooter = GetSource();
    bool hostile = entity && (!shooter || shooter->IsHostile(entity));
    if (hostile)
        DealHit(entity);
    if (hostile && statusEffect)
        entity->AddStatusEffect(statusEffect, shooter, statusEffectLevel);
    WorldPos impact = projectileType == ProjectileType::Ring && entity ? entity->position : position;
    if (areaRadius > 0.0f && shooter) {
        int32_t area = DealAreaDamage(shooter, position, areaRadius, radiusDamage, hitsEverything);
        totalDamage = static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(totalDamage) + area,
                                                               std::numeric_limits<int32_t>::min(),
                                                               std::numeric_limits<int32_t>::max()));
    }
    Explode(impact);
    if ((shooter = GetSource()))
        shooter->ReportDamageDealt(totalDamage);
    if (projectileType != ProjectileType::Ring && projectileType != ProjectileType::Beam) {
        deleting = true;
        ScheduleDelete(0.0f);
    }
}

void Projectile::DealHit(Entity* entity)
{
    Entity* shooter = GetSource();
    int32_t dealt = 0;
    if (beamAttack) {
        SpawnBeamLink(beamRecord, entity, 0);
    } else if (normalAttack) {
        dealt = ResolveAttack(shooter, entity, nullptr, true, damageMultiplier);
    } else if (magicAttack) {
        dealt = DealSkillDamage(shooter, entity, attack, damageMultiplier);
    } else if (entity->IsDamageable()) {
        dealt = DealDamage(shooter, entity, damage, false, false);
    }
    totalDamage = static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(totalDamage) + dealt,
                                                           std::numeric_limits<int32_t>::min(),
                                                           std::numeric_limits<int32_t>::max()));
}

void Projectile::Explode(const WorldPos& impact)
{
    if (!explosion.empty() && gGameServices)
        gGameServices->SpawnModelEntity(explosion, impact, kExplosionSeconds);
    if (explosionProjectile.empty() || !GetSource() || explosionDepth >= kMaxExplosionDepth)
        return;
    ProjectileLaunch launch;
    launch.damage = &damage;
    launch.magicAttack = true;
    launch.source = GetSource();
    launch.targetPosition = position;
    launch.radiusDamage = &radiusDamage;
    launch.radius = areaRadius;
    launch.startPosition = position;
    launch.explosionDepth = explosionDepth + 1;
    FireProjectile(explosionProjectile, launch);
}

// ---- Beams ---------------------------------------------------------------------------------

Projectile* Projectile::SpawnBeamLink(const DatabaseEntry* record, Entity* victim, int32_t index)
{
    if (!record || !gGameServices)
        return nullptr;
    auto* link = new Projectile();
    link->SetEntry(record);
    link->attack = attack;
    link->SetSource(GetSource());
    link->SetBeamStart(beamStart ? beamStart.GetAs<Entity>() : this);
    link->SetTarget(victim);
    link->damage = damage;
    link->normalAttack = normalAttack;
    link->magicAttack = magicAttack;
    link->statusEffect = statusEffect;
    link->statusEffectLevel = statusEffectLevel;
    link->areaRadius = areaRadius;
    link->radiusDamage = radiusDamage;
    link->chainIndex = index;
    link->chainHead.Set(index == 0 ? link : chainHead.Get());
    link->SetPosition(position);
    if (gGameServices->AddEntity(link) == -1) {
        delete link;
        return nullptr;
    }
    link->Start();
    return link;
}

bool Projectile::MayHit(const Entity* entity) const
{
    if (ProjectileIsTorch(entity) && !canHitTorches)
        return false;
    const auto* head = chainHead.GetAs<Projectile>();
    return !ProjectileHasIn(head ? head->hitList : hitList, entity);
}

void Projectile::TryToChain()
{
    auto* head = chainHead.GetAs<Projectile>();
    Entity* shooter = GetSource();
    if (!head || chained || !shooter || chainIndex >= head->maxChains - 1 || !gGameServices)
        return;
    gGameServices->FindEntitiesInRadius(shooter->position, shooter, chainDistance,
                                        RadiusFilter::Living | RadiusFilter::Hostile, nearScratch, false);
    for (Entity* entity : nearScratch) {
        if (entity == shooter || !MayHit(entity))
            continue;
        head->hitList.emplace_back(entity);
        chained = true;
        SpawnBeamLink(GetEntry(), entity, chainIndex + 1);
        return;
    }
}

// ---- State for the clients and links ---------------------------------------------------------

void Projectile::WriteNetState(MessageBuffer& buffer) const
{
    if (projectileType == ProjectileType::Beam) {
        buffer.WriteBool(true);
        const Entity* start = beamStart ? beamStart.GetAs<Entity>() : GetSource();
        buffer.WriteInt(start ? start->entityNumber : -1);
        buffer.WriteInt(beamStart ? beamStartTag : sourceTagIndex);
        const Entity* aimed = GetCurrentTarget();
        buffer.WriteInt(aimed ? aimed->entityNumber : -1);
        buffer.WriteInt(targetTag);
        return;
    }
    buffer.WriteBool(false);
    bool lobbed = projectileType == ProjectileType::Lob || projectileType == ProjectileType::StraightLob;
    buffer.WriteBool(lobbed);
    if (lobbed)
        buffer.WriteFloat(height);
}

bool Projectile::BlocksEntity(const Entity* other) const
{
    if (projectileType == ProjectileType::Beam) {
        const Entity* ends[] = {GetCurrentTarget(), GetSource()};
        for (const Entity* end : ends)
            if (end && end->BlocksEntity(other))
                return true;
    }
    return Entity::BlocksEntity(other);
}

void Projectile::CollectLinkedEntities(std::vector<Entity*>& list) const
{
    if (projectileType != ProjectileType::Beam)
        return;
    for (Entity* end : {GetCurrentTarget(), GetSource()}) {
        if (!end || std::find(list.begin(), list.end(), end) != list.end())
            continue;
        list.push_back(end);
        end->CollectLinkedEntities(list);
    }
}

// ---- Firing --------------------------------------------------------------------------------

Projectile* Entity::FireProjectile(std::string_view recordName, const ProjectileLaunch& launch)
{
    const DatabaseEntry* record = gDatabase && !recordName.empty() ? gDatabase->FindEntryByName(recordName) : nullptr;
    if (!record || !gGameServices)
        return nullptr;
    auto* projectile = new Projectile();
    projectile->SetEntry(record);
    projectile->SetSource(launch.source);
    projectile->SetTarget(launch.target);
    projectile->attack = launch.attack;
    projectile->launchTarget = launch.targetPosition;
    if (launch.damage)
        projectile->damage = *launch.damage;
    WorldPos start = launch.startPosition;
    if (start.level == -1) {
        bool atTarget = projectile->projectileType == ProjectileType::Beam && launch.target;
        const Entity* from = atTarget ? launch.target : launch.source;
        start = from ? from->position : launch.targetPosition;
    }
    projectile->SetPosition(start);
    projectile->areaRadius = launch.radius;
    projectile->magicAttack = launch.magicAttack;
    projectile->normalAttack = launch.normalAttack;
    projectile->statusEffect = launch.statusEffect;
    projectile->statusEffectLevel = launch.statusEffectLevel;
    projectile->explosionDepth = launch.explosionDepth;
    if (launch.radiusDamage)
        projectile->radiusDamage = *launch.radiusDamage;
    if (gGameServices->AddEntity(projectile) == -1) {
        delete projectile;
        return nullptr;
    }
    projectile->Start();
    return projectile;
}

bool Projectile::IsFree() const
{
    return false;
}
