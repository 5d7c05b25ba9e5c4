// SkillList -- the skills of a host entity, made as host Skills, and the passive shares of its active skills in stats, dynamic stats and damage.
#include "entities/SkillList.h"

#include "entities/Sentient.h"
#include "entities/Skill.h"
#include "rules/skills/SkillDefinition.h"

#include <algorithm>

std::unique_ptr<SkillBase> SkillList::CreateSkill()
{
    return std::make_unique<Skill>();
}

const Skill* SkillList::ActiveAt(const Sentient& owner, size_t i) const
{
    const auto* skill = static_cast<const Skill*>(GetSkills()[i].get());
    return skill && skill->IsActiveFor(owner) ? skill : nullptr;
}

void SkillList::AddStatTotals(const Sentient& owner, std::array<int32_t, CharacterStat::Num>& flat,
                              std::array<float, CharacterStat::Num>& mult,
                              std::array<float, DamageType::kCount>& damageMult) const
{
    for (size_t i = 0; i < GetSkills().size(); ++i) {
        const Skill* skill = ActiveAt(owner, i);
        if (!skill)
            continue;
        const SkillDefinition& definition = *skill->definition;
        const SkillDefinition* perLevel = definition.GetPerLevel();
        int32_t level = skill->GetLevel();
        if (level <= 0)
            continue;
        for (int32_t type = 0; type < DamageType::kCount; ++type)
            damageMult[static_cast<size_t>(type)] += definition.GetDamageMultAtLevel(type, level);
        // Most tables are nearly empty: only the stats the record or its per-level record name
        // are looked at.
        const std::vector<int32_t>& change = definition.statChange.GetValues();
        const std::vector<int32_t>& times = definition.statMult.GetValues();
        const std::vector<int32_t>* changeStep = perLevel ? &perLevel->statChange.GetValues() : nullptr;
        const std::vector<int32_t>* timesStep = perLevel ? &perLevel->statMult.GetValues() : nullptr;
        size_t count = std::min(change.size(), flat.size());
        for (size_t stat = 0; stat < count; ++stat) {
            bool changes = change[stat] != 0 || (changeStep && stat < changeStep->size() && (*changeStep)[stat] != 0);
            if (changes && !definition.applyStatsOnIncrease)
                flat[stat] += definition.GetStatChangeAtLevel(static_cast<int32_t>(stat), level);
            bool multiplies = (stat < times.size() && times[stat] != 0) ||
                              (timesStep && stat < timesStep->size() && (*timesStep)[stat] != 0);
            if (multiplies)
                mult[stat] += definition.GetStatMultAtLevel(static_cast<int32_t>(stat), level);
        }
    }
}

void SkillList::AddDynamicStatChange(const Sentient& owner, int32_t index, const Skill* used, float& value) const
{
    const SkillDefinition* usedDefinition = used ? used->definition : nullptr;
    for (size_t i = 0; i < GetSkills().size(); ++i) {
        const Skill* skill = ActiveAt(owner, i);
        if (!skill || !skill->definition->passive || !skill->definition->IsEnhancedBy(usedDefinition, nullptr))
            continue;
        int32_t level = skill->GetLevel();
        value += skill->definition->GetDynamicStatChangeAtLevel(index, level);
        float perRage = skill->definition->GetDamagePerExtraRageAtLevel(level);
        if (index == DynamicStat::ExtraDamage && perRage > 0.0f) {
            int32_t extra = owner.GetStat(CharacterStat::Power) - skill->definition->GetPowerAtLevel(level);
            value += static_cast<float>(extra) * perRage;
        }
    }
}

float SkillList::GetDynamicStatMult(const Sentient& owner, int32_t index, const Skill* used) const
{
    const SkillDefinition* usedDefinition = used ? used->definition : nullptr;
    float sum = 0.0f;
    for (size_t i = 0; i < GetSkills().size(); ++i) {
        const Skill* skill = ActiveAt(owner, i);
        if (skill && skill->definition->passive && skill->definition->IsEnhancedBy(usedDefinition, nullptr))
            sum += skill->definition->GetDynamicStatMultAtLevel(index, skill->GetLevel());
    }
    return sum;
}

void SkillList::AddDefendingDynamicStatChange(const Sentient& owner, int32_t index, float& value) const
{
    for (size_t i = 0; i < GetSkills().size(); ++i)
        if (const Skill* skill = ActiveAt(owner, i))
            value += skill->definition->GetDefendingDynamicStatChangeAtLevel(index, skill->GetLevel());
}

float SkillList::GetDefendingDynamicStatMult(const Sentient& owner, int32_t index) const
{
    float sum = 0.0f;
    for (size_t i = 0; i < GetSkills().size(); ++i)
        if (const Skill* skill = ActiveAt(owner, i))
            sum += skill->definition->GetDefendingDynamicStatMultAtLevel(index, skill->GetLevel());
    return sum;
}
