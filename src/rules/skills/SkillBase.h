// SkillBase -- one skill of a character, shared by host and client: its place in the class's trees, its level stat, its reuse timer and its use checks.
#pragma once

#include "core/RandomTimer.h"

#include <cstdint>

class IntArray;
class SkillDefinition;
class SkillUser;

// Four trees of fifteen skills: the level stats Skill1..Skill60 (10..69) fill exactly.
constexpr int32_t kSkillsPerTree = 15;
constexpr int32_t kFirstSkillStat = 10;

// Made and owned by a skill list. The level lives in the owner's stats, not in the skill.
class SkillBase {
public:
    SkillBase();
    virtual ~SkillBase() = default;
    SkillBase(const SkillBase&) = delete;
    SkillBase& operator=(const SkillBase&) = delete;

    // Counts the reuse timer down to 0; it stays running, so the time reads as spent.
    virtual void Update(float seconds);
    // Called when the list has placed the skill, before SetOwner.
    virtual void OnPlaced() {}
    virtual void SetOwner(SkillUser* newOwner) { owner = newOwner; }

    int32_t GetLevel() const;
    // The stat that holds the level: tree x 15 + index + 10 of the last skill of the link
    // chain; 0 (no level stat) for a basic skill, an index out of range or a looping chain.
    int32_t GetSlotNumber() const;
    float GetRemainingReuseTime() const;
    bool IsReady() const;
    // Of the reuse time at the current level, for the clock sweep of the slot.
    float GetReuseFraction() const;
    // Skill points level n costs; 0 for a skill that takes its level from a stat.
    int32_t GetCostForLevel(int32_t n) const;
    bool HasRequiredEquipment(const SkillUser* user) const;
    // 12 when the equipment is missing, else the definition's use check (SkillUse codes).
    int32_t CanUse(const SkillUser* user, const IntArray& stats, const SkillUser* target, uint32_t stateBits) const;
    bool AffectsCriticalHits() const;
    bool AffectsCrushingBlows() const;
    bool AffectsDeepWounds() const;
    // A skill aimed at one enemy; never at a target that cannot be targeted.
    bool IsSingleEnemyAttack(const SkillUser* target) const;

    const SkillDefinition* definition = nullptr;
    RandomTimer reuseTimer;
    int32_t treeIndex = -1;
    int32_t indexInTree = -1;
    SkillUser* owner = nullptr;
    // The skill this one is linked to; it shares that skill's level stat.
    const SkillBase* parent = nullptr;
};
