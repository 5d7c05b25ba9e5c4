// CombatSystem -- resolves attacks into hits, damage, floating lines, effects and kills; holds the combat tuning of the "CombatSystem" record.
#pragma once

#include "core/UserVarRef.h"
#include "rules/StatPairList.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

class Entity;
class Sentient;
class Skill;
struct WorldPos;

// A trainer as the practice roll sees it: the level it asks for, its runs of results and the
// entity its successes teach.
struct PracticeTrainer {
    int32_t level = 1;
    int32_t successes = 0;
    int32_t failures = 0;
    Sentient* linked = nullptr;
};

// One object from the game's creation to its end; every combat operation below is a free
// function around it. All randomness is drawn from random stream 0.
class CombatSystem {
public:
    static constexpr float kShownEffectSeconds = 5.0f;
    static constexpr float kHitSoundRadius = 400.0f;

    // Created on first use: reads "CombatSystem" and registers "ShowCombatEffects".
    static CombatSystem* Instance();
    static void Destroy();

    // Seconds a sentient keeps a combat outcome in its entity state.
    float GetCombatEventTime() const { return combatEventTime; }
    bool ShowsCombatEffects() const;
    // True the first time a projectile of the record reaches its safety life, so the warning is
    // logged once a record rather than once a shot.
    bool NoteSafetyLife(std::string_view recordName);
    // Damage tables kept from hit to hit, so that a swing builds its table without the heap. A
    // hit can set off another before its own table is dealt (a death skill, a when-hit
    // reaction), so each depth of nesting has its own: every Take is paired with a Give.
    StatPairList& TakeDamageTable();
    void GiveDamageTable();

    // What a hit's sound and shown effect are named into, kept for their room.
    std::string soundName;
    std::string effectName;

private:
    CombatSystem();

    float combatEventTime = 0.0f;
    UserVarRef showCombatEffects;
    std::vector<std::string> safetyLifeRecords;
    std::deque<StatPairList> damageTables;
    size_t damageDepth = 0;
};

extern CombatSystem* gCombatSystem;

// The total damage dealt; 0 on a miss, a dead or missing party, or a failed reach test.
int32_t ResolveAttack(Entity* attacker, Entity* target, const Skill* attack, bool force, float multiplier);
// Damage without hit test, defences or armour (skills, projectiles, effects, traps).
int32_t DealDamage(Entity* attacker, Entity* target, StatPairList& damage, bool overTime, bool quiet);
int32_t DealSkillDamage(Entity* attacker, Entity* target, const Skill* attack, float multiplier);
int32_t DealDamageList(const StatPairList& damage, Entity* attacker, Entity* target, bool overTime, bool quiet);
// Every living entity within the radius of the position (the attacker's own radius added), the
// attacker excepted: everyone, or only those the attacker is hostile to.
int32_t DealAreaDamage(Entity* attacker, const WorldPos& position, float radius, const StatPairList& damage,
                       bool everyone);
// Shows the damage and takes it; a kill is handled here.
void ApplyHit(Entity* target, Entity* attacker, int32_t damage, int32_t direction, bool critical, bool crushing,
              bool stunning, bool deep, bool overTime, bool quiet);
// The kill of the victim: credit, experience and score, the game's credit and death handling,
// then the victim's own death. The victim is never removed here.
void HandleKill(Entity* victim, Entity* killer);
bool PracticeRoll(PracticeTrainer& trainer, const Sentient& learner);
