// Projectile -- an entity carrying an attack from a source to a target: homing, lobbed and straight shots, growing rings, and beams that chain from victim to victim.
#pragma once

#include "core/RandomTimer.h"
#include "entities/Entity.h"
#include "rules/StatPairList.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The "ProjectileType" names, in value order.
namespace ProjectileType {
enum : int32_t { Normal, Ring, Beam, Lob, Straight, StraightLob };
constexpr int32_t kCount = 6;
} // namespace ProjectileType

// What a projectile is fired with (Entity::FireProjectile).
struct ProjectileLaunch {
    const StatPairList* damage = nullptr;
    bool normalAttack = false;
    bool magicAttack = false;
    Entity* source = nullptr;
    Entity* target = nullptr;
    // Where it flies when it has no target.
    WorldPos targetPosition;
    const DatabaseEntry* statusEffect = nullptr;
    int32_t statusEffectLevel = 1;
    const StatPairList* radiusDamage = nullptr;
    float radius = 0.0f;
    const Skill* attack = nullptr;
    // Where it starts; on no level: at the target for a beam with a target, else at the source.
    WorldPos startPosition;
    // How many explosions led to this shot: 0 for one fired by a skill, an attack or a trap.
    int32_t explosionDepth = 0;
};

class Projectile : public Entity {
public:
    // Every projectile ends after this much game time, even one whose record never ends it.
    static constexpr float kSafetyLife = 30.0f;
    static constexpr float kExplosionSeconds = 2.0f;
    static constexpr float kConeLead = 32.0f;
    static constexpr float kDefaultLobAccel = 20.0f;
    // A shot this many explosions deep fires no further one, so no chain of records can fill the
    // entity table.
    static constexpr int32_t kMaxExplosionDepth = 4;

    // Registers the "ProjectileType" enum table; later calls change nothing.
    static void RegisterTypeNames();
    // The type of the name; Normal, logged at level 3, for an unknown one.
    static int32_t GetTypeByName(std::string_view name);

    Projectile();
    ~Projectile() override;

    void Load(const DatabaseEntry* record) override;
    void Update(float seconds) override;
    // After the header: a beam's ends, or a lobbed shot's height.
    void WriteNetState(MessageBuffer& buffer) const override;
    bool BlocksEntity(const Entity* other) const override;
    void CollectLinkedEntities(std::vector<Entity*>& list) const override;
    bool IsFree() const override;
    bool IsProjectile() const override { return true; }
    Entity* GetCurrentTarget() const override { return target.GetAs<Entity>(); }

    void SetSource(Entity* entity);
    void SetTarget(Entity* entity);
    void SetBeamStart(Entity* entity);
    Entity* GetSource() const { return source.GetAs<Entity>(); }
    // Once, after the projectile is placed and added.
    void Start();
    void Hit(Entity* entity);
    // Turned back at its source by the entity.
    void Reverse(Entity* by);

    float speed = 0.0f;
    StatPairList damage;
    const Skill* attack = nullptr;
    const DatabaseEntry* statusEffect = nullptr;
    int32_t statusEffectLevel = 0;
    float areaRadius = 0.0f;
    StatPairList radiusDamage;
    bool normalAttack = false;
    bool magicAttack = false;
    std::string explosion;
    int32_t projectileType = ProjectileType::Normal;
    RandomTimer lifeTimer;
    RandomTimer damageTimer;
    float ringRadius = 0.0f;
    RandomTimer chainTimer;
    int32_t maxChains = 0;
    float chainDistance = 0.0f;
    int32_t chainIndex = 0;
    bool chained = false;
    WorldPos launchStart;
    WorldPos launchTarget;
    float coneDegrees = 0.0f;
    bool constantDamage = false;
    float damageTime = 0.0f;
    bool startsAtTarget = false;
    bool beamAttack = false;
    const DatabaseEntry* beamRecord = nullptr;
    std::string sourceTag;
    std::string destTag;
    int32_t totalDamage = 0;
    bool hitsEverything = false;
    bool canHitTorches = false;
    float lobSpeed = 0.0f;
    float verticalSpeed = 0.0f;
    float lobVerticalAccel = kDefaultLobAccel;
    float halfDistance = 0.0f;
    float height = 0.0f;
    float damageMultiplier = 1.0f;
    std::string explosionProjectile;
    bool useLaunchPositions = false;
    float directionChangeChance = 0.0f;
    // Game time flown, for the safety life.
    float age = 0.0f;
    int32_t explosionDepth = 0;

private:
    WorldPos GetTargetPoint() const;
    bool IsPastItsLife();
    void UpdateStraight(float seconds);
    void UpdateHoming(float seconds);
    void UpdateRing(float seconds);
    void TryToChain();
    Projectile* SpawnBeamLink(const DatabaseEntry* record, Entity* victim, int32_t index);
    bool MayHit(const Entity* entity) const;
    bool IsInCone(const Entity& entity) const;
    void DealHit(Entity* entity);
    void Explode(const WorldPos& impact);
    void LoadMotion(const DatabaseEntry* record);
    void LoadBeamAndLooks(const DatabaseEntry* record);

    SafePointer beamStart;
    int32_t beamStartTag = -1;
    SafePointer target;
    int32_t targetTag = -1;
    SafePointer source;
    int32_t sourceTagIndex = -1;
    SafePointer chainHead;
    std::vector<SafePointer> hitList;
    // The searches of each step, kept so that a flying shot allocates nothing once warm.
    std::vector<Entity*> nearScratch;
    bool deleting = false;
};
