// SkillUser -- an entity as the shared skill rules see it, as user or target: its stats, what it holds, whom it fights, where it stands and faces.
#pragma once

#include "core/Vector.h"

#include <cstdint>

// The world entities (server and client) implement it; the rules records only ask.
class SkillUser {
public:
    // GetItemRequirementAt's answer for an empty slot, or a bag or slot out of range.
    static constexpr int32_t kNoItem = -1;

    virtual ~SkillUser() = default;

    // The entity's current value of a CharacterStat.
    virtual int32_t GetStat(int32_t stat) const = 0;
    // The ItemRequirement of the item in that slot of that inventory bag; kNoItem when there is none.
    virtual int32_t GetItemRequirementAt(int32_t bag, int32_t slot) const = 0;
    virtual bool IsEnemy(const SkillUser& other) const = 0;
    // False for an entity that cannot be aimed at directly.
    virtual bool IsTargetable() const { return true; }
    // The horizontal distance to the other entity, less both radii when asked.
    virtual float GetDistance2D(const SkillUser& other, bool lessRadii) const = 0;
    // The horizontal vector from this entity's position to the other's, the other re-expressed
    // in this entity's level when they stand in different levels.
    virtual Vector2 GetDeltaTo(const SkillUser& other) const = 0;
    // The facing direction index 0..7.
    virtual int32_t GetDirectionIndex() const = 0;
};
