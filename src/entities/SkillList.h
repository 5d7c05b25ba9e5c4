// SkillList -- the skills of a host entity, made as host Skills, and the passive shares of its active skills in stats, dynamic stats and damage.
#pragma once

#include "core/EngineEnums.h"
#include "rules/skills/SkillListBase.h"

#include <array>
#include <cstdint>

class Sentient;
class Skill;

// A skill counts for these sums when its owner has it and wears what it needs; its values are
// those of its level.
class SkillList : public SkillListBase {
public:
    // Flat changes and percentages of every stat, for one recomputation of the owner's stats:
    // flat only from skills that do not give their changes on raising.
    // The damage percentages by damage type come in the same walk.
    void AddStatTotals(const Sentient& owner, std::array<int32_t, CharacterStat::Num>& flat,
                       std::array<float, CharacterStat::Num>& mult,
                       std::array<float, DamageType::kCount>& damageMult) const;
    // "DynamicStatChange" of the passive skills that enhance the skill (any skill without one);
    // for ExtraDamage also the power above the cost times "DamagePerExtraRage".
    void AddDynamicStatChange(const Sentient& owner, int32_t index, const Skill* used, float& value) const;
    float GetDynamicStatMult(const Sentient& owner, int32_t index, const Skill* used) const;
    void AddDefendingDynamicStatChange(const Sentient& owner, int32_t index, float& value) const;
    float GetDefendingDynamicStatMult(const Sentient& owner, int32_t index) const;
    // Rates every skill for the owner and keeps the first of the highest rating above 0; none
    // when no skill rates above 0 (SkillChoice.cpp).
    Skill* ChooseSkill(Sentient& owner);
    Skill* GetChosenSkill() const { return chosen; }

protected:
    std::unique_ptr<SkillBase> CreateSkill() override;

private:
    const Skill* ActiveAt(const Sentient& owner, size_t i) const;

    Skill* chosen = nullptr;
};
