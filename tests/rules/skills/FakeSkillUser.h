// FakeSkillUser -- an entity for the skill tests: stats, held items, foes, a position and a facing, all set by hand.
#pragma once

#include "core/EngineEnums.h"
#include "rules/SkillUser.h"

#include <cmath>
#include <map>
#include <set>
#include <utility>

class FakeSkillUser : public SkillUser {
public:
    int32_t GetStat(int32_t stat) const override
    {
        auto found = stats.find(stat);
        return found == stats.end() ? 0 : found->second;
    }
    int32_t GetItemRequirementAt(int32_t bag, int32_t slot) const override
    {
        auto found = items.find({bag, slot});
        return found == items.end() ? kNoItem : found->second;
    }
    bool IsEnemy(const SkillUser& other) const override { return enemies.count(&other) != 0; }
    // The gap between the two circles.
    float GetDistance2D(const SkillUser& other, bool lessRadii) const override
    {
        Vector2 delta = GetDeltaTo(other);
        float distance = std::sqrt(delta.x * delta.x + delta.y * delta.y);
        return lessRadii ? distance - radius - static_cast<const FakeSkillUser&>(other).radius : distance;
    }
    Vector2 GetDeltaTo(const SkillUser& other) const override
    {
        return static_cast<const FakeSkillUser&>(other).position - position;
    }
    int32_t GetDirectionIndex() const override { return direction; }
    bool IsTargetable() const override { return targetable; }

    void Hold(int32_t slot, int32_t requirement) { items[{InventoryGroupIndex::Equipment, slot}] = requirement; }

    std::map<int32_t, int32_t> stats;
    std::map<std::pair<int32_t, int32_t>, int32_t> items;
    std::set<const SkillUser*> enemies;
    Vector2 position;
    float radius = 0.0f;
    int32_t direction = 2;  // facing +x
    bool targetable = true;
};
