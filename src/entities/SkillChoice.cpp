// Skill -- how a computer-run owner rates its skills and picks one, and whom a skill is for.
#include "entities/Skill.h"

#include "core/RandomSystem.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Sentient.h"
#include "entities/SkillList.h"
#include "rules/GameData.h"
#include "rules/Formulas.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <algorithm>
#include <vector>

namespace {

constexpr float kSkillChoiceRandomShare = 0.05f;
constexpr uint32_t kSkillChoiceStealthedBit = 0x400;

// A target worth a saved skill: a covenant's member or an actor of a spawn category above 0.
bool SkillChoiceIsTough(const Entity* target)
{
    if (!target)
        return false;
    if (target->GetCovenant())
        return true;
    const auto* actor = dynamic_cast<const Actor*>(target);
    return actor && actor->spawnCategory != 0;
}

bool SkillChoiceIsAlive(const Entity* entity)
{
    return entity && entity->maxHealth >= 1 && entity->health >= 1;
}

const DatabaseEntry* SkillChoiceEffect(const SkillDefinition& definition)
{
    const StatusEffectBase* effect = definition.GetStatusEffect();
    return effect ? effect->GetEntry() : nullptr;
}

// The part of a hit of the skill's damage type the target's resistance takes away.
float SkillChoiceAbsorbed(const SkillDefinition& definition, const Entity& target, const Sentient& owner)
{
    int32_t resistance = target.GetStat(CharacterStat::ResistancePhysical + definition.GetMainDamageType());
    return gGameData ? ResistanceAbsorbFraction(gGameData->GetTuning(), resistance, owner.GetStat(CharacterStat::Level))
                     : 0.0f;
}

} // namespace

float Skill::RatePriority(Sentient& owner)
{
    priority = 0.0f;
    if (!definition || !armed || definition->passive || !IsReady())
        return priority;
    Entity* target = owner.GetCurrentTarget();
    if (definition->saveForToughEnemies && !SkillChoiceIsTough(target))
        return priority;
    if (CheckUse(&owner, target, 0, false) != SkillUseResult::Ok)
        return priority;
    priority = RateByType(owner, target);
    bool hidden = (owner.flags & EntityFlag::Hidden) != 0;
    if (definition->unhide)
        priority = hidden ? 1.0f : 0.0f;
    else if (definition->hide)
        priority = hidden ? 0.0f : 1.0f;
    if (priority > 0.0f && gRandomSystem)
        priority += gRandomSystem->RandomScaled(RandomStream::GameData, priority) * kSkillChoiceRandomShare;
    return priority;
}

float Skill::RateByType(Sentient& owner, Entity* target) const
{
    float base = definition->basePriority;
    const DatabaseEntry* effect = SkillChoiceEffect(*definition);
    switch (definition->skillType) {
    case SkillType::Dot:
        if (!target)
            return 0.0f;
        if (target->CanAddStatusEffect(effect, &owner))
            return (base - (1.0f - target->GetHealthFraction())) * (1.0f - SkillChoiceAbsorbed(*definition, *target, owner));
        return 0.0f;
    case SkillType::DirectDamage:
        return target ? base * (1.0f - SkillChoiceAbsorbed(*definition, *target, owner)) : 0.0f;
    case SkillType::Situational:
        return definition->requiredEnemyStatus != 0 && target && target->HasStatusType(definition->requiredEnemyStatus)
                   ? base
                   : 0.0f;
    case SkillType::Finish: {
        float fraction = target ? target->GetHealthFraction() : 1.0f;
        return !target ? 0.0f : fraction < 0.1f ? 1.0f : fraction < 0.2f ? 0.75f : 0.0f;
    }
    case SkillType::Heal: {
        Entity* ally = ChooseTarget(owner);
        if (!ally)
            return 0.0f;
        if (GetHealAmount(nullptr, ally) > ally->maxHealth - ally->health)
            return 0.0f;
        return base - ally->GetHealthFraction();
    }
    case SkillType::Buff:
        return ChooseTarget(owner) ? base : 0.0f;
    case SkillType::Debuff:
        return target && target->CanAddStatusEffect(effect, &owner) ? base : 0.0f;
    case SkillType::Stealth: {
        if (owner.entityState & kSkillChoiceStealthedBit)
            return 0.0f;
        const auto* actor = dynamic_cast<const Actor*>(&owner);
        return actor && !actor->IsPlainSkillTarget() ? 0.0f : base;
    }
    default:
        return base;
    }
}

Entity* Skill::ChooseTarget(Sentient& owner) const
{
    if (!definition)
        return nullptr;
    if (definition->skillType == SkillType::Heal || definition->skillType == SkillType::Buff) {
        std::vector<Sentient*>& party = partyScratch;
        party.clear();
        owner.CollectPartyInRange(party, definition->maxRange);
        if (std::find(party.begin(), party.end(), &owner) == party.end())
            party.insert(party.begin(), &owner);
        const DatabaseEntry* effect = SkillChoiceEffect(*definition);
        Entity* best = nullptr;
        float lowest = 1.0f;
        for (Sentient* member : party) {
            if (!SkillChoiceIsAlive(member))
                continue;
            if (definition->skillType == SkillType::Buff) {
                if (member->CanAddStatusEffect(effect, &owner))
                    return member;
                continue;
            }
            float fraction = member->maxHealth <= 0 ? 1.0f : member->GetHealthFraction();
            if (fraction < lowest) {
                lowest = fraction;
                best = member;
            }
        }
        return best;
    }
    if (definition->self)
        return &owner;
    return owner.GetCurrentTarget();
}

Skill* SkillList::ChooseSkill(Sentient& owner)
{
    chosen = nullptr;
    float best = 0.0f;
    for (const auto& entry : GetSkills()) {
        auto* skill = dynamic_cast<Skill*>(entry.get());
        if (!skill)
            continue;
        float rating = skill->RatePriority(owner);
        if (rating > best) {
            best = rating;
            chosen = skill;
        }
    }
    return chosen;
}
