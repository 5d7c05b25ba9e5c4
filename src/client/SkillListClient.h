// SkillListClient -- the local player's skills on the client: four trees of fifteen client skills, rebuilt when the class changes, each laid out in its tree's panel by tier.
#pragma once

#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillListBase.h"

#include <cstdint>

class IntArray;

// A client skill: the shared skill with the switched-on byte of a toggle skill, whether a use of
// it waits for the world host's answer, and its place in its tree's panel.
class SkillClient : public SkillBase {
public:
    // The refusals the client adds to the shared use test's codes.
    static constexpr int32_t kRefusedNotUsable = 12;
    static constexpr int32_t kRefusedEnemiesNear = 14;

    // 1 for a basic skill, else the definition's "MaxSkillLevel"; 0 without a definition.
    int32_t GetMaxLevel() const;
    // The power a use costs at the skill's level: "Power" at level 0, else that plus (level - 1)
    // times the per-level record's; 0 without a definition.
    int32_t GetLevelCost() const;
    // 12 for a skill that cannot be used at all (none, or passive); else the shared use test with
    // the owner as user, its range judged by the client's own test (IsTargetWellInRange); a
    // passing skill that refuses attackers ("NoAttackers") answers 14 while the state bits say
    // enemies are near.
    int32_t GetUseRefusal(const IntArray& stats, const SkillUser* target, uint32_t stateBits) const;
    // The skill changes critical hits, crushing blows or deep wounds: its tooltip offers the
    // help topic that explains those percentages.
    bool ShowsCombatPercents() const
    {
        return AffectsCriticalHits() || AffectsCrushingBlows() || AffectsDeepWounds();
    }

    bool switchedOn = false;
    bool pending = false;
    // Within the tree's panel, 0..1 each; 0 for a skill its tree does not place.
    float layoutX = 0.0f;
    float layoutY = 0.0f;
};

class SkillListClient : public SkillListBase {
public:
    static constexpr int32_t kTrees = 4;

    // Each tree's skills in rows by the definition's "Tier", the rows in increasing tier order,
    // each row's skills spread evenly in list order.
    void Layout();

protected:
    std::unique_ptr<SkillBase> CreateSkill() override { return std::make_unique<SkillClient>(); }
    void AfterRebuild() override { Layout(); }
};
