// SkillBase -- one skill of a character, shared by host and client: its place in the class's trees, its level stat, its reuse timer and its use checks.
#include "rules/skills/SkillBase.h"

#include "core/EngineEnums.h"
#include "rules/CharacterClass.h"
#include "rules/SkillUser.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <algorithm>

namespace {

// More links than there are level stats can only be a loop.
constexpr int32_t kMaxLinkChain = kMaxSkillTrees * kSkillsPerTree;

} // namespace

SkillBase::SkillBase()
{
    reuseTimer.listed = 1;
}

void SkillBase::Update(float seconds)
{
    if (reuseTimer.running)
        reuseTimer.remaining = std::max(0.0f, reuseTimer.remaining - seconds);
}

int32_t SkillBase::GetLevel() const
{
    if (!definition)
        return 0;
    if (definition->basicSkill)
        return 1;
    if (!owner)
        return 0;
    if (definition->statReq != CharacterStat::None)
        return definition->GetLevelForPoints(owner->GetStat(definition->statReq));
    int32_t slot = GetSlotNumber();
    return slot != 0 ? owner->GetStat(slot) : 0;
}

int32_t SkillBase::GetSlotNumber() const
{
    const SkillBase* skill = this;
    for (int32_t links = 0; links <= kMaxLinkChain; ++links) {
        if (!skill->definition || skill->definition->basicSkill)
            return 0;
        if (skill->treeIndex < 0 || skill->treeIndex >= kMaxSkillTrees || skill->indexInTree < 0 ||
            skill->indexInTree >= kSkillsPerTree)
            return 0;
        if (!skill->parent)
            return skill->treeIndex * kSkillsPerTree + skill->indexInTree + kFirstSkillStat;
        skill = skill->parent;
    }
    return 0;
}

float SkillBase::GetRemainingReuseTime() const
{
    return reuseTimer.running ? reuseTimer.remaining : 0.0f;
}

bool SkillBase::IsReady() const
{
    return !reuseTimer.running || reuseTimer.remaining <= 0.0f;
}

float SkillBase::GetReuseFraction() const
{
    if (!definition || IsReady())
        return 0.0f;
    float reuseTime = definition->GetReuseTimeAtLevel(GetLevel());
    return reuseTime != 0.0f ? reuseTimer.remaining / reuseTime : 0.0f;
}

int32_t SkillBase::GetCostForLevel(int32_t n) const
{
    if (!definition || definition->statReq != CharacterStat::None)
        return 0;
    return definition->GetCostForLevel(n);
}

bool SkillBase::HasRequiredEquipment(const SkillUser* user) const
{
    if (!definition)
        return true;
    auto holds = [user](int32_t slot, int32_t requirement) {
        return user && user->GetItemRequirementAt(InventoryGroupIndex::Equipment, slot) == requirement;
    };
    if (definition->weaponType != ItemRequirement::None && !holds(EquipedLocation::HandPrimary, definition->weaponType))
        return false;
    return !definition->requiresShield || holds(EquipedLocation::HandSecondary, ItemRequirement::Shield);
}

int32_t SkillBase::CanUse(const SkillUser* user, const IntArray& stats, const SkillUser* target,
                          uint32_t stateBits) const
{
    // A skill without a definition can never be used.
    if (!definition)
        return SkillUse::StatesNotMet;
    if (!HasRequiredEquipment(user))
        return SkillUse::MissingEquipment;
    return definition->CheckUse(stats, GetLevel(), user, target, stateBits);
}

bool SkillBase::AffectsCriticalHits() const
{
    if (!definition)
        return false;
    const auto& mult = definition->dynamicStatMult;
    if (mult[DynamicStat::CriticalHit] > 0.0f || mult[DynamicStat::CriticalHeal] > 0.0f ||
        mult[DynamicStat::MagicCriticalHit] > 0.0f)
        return true;
    return definition->GetStatusEffect() && definition->GetStatusEffect()->HasCriticalMult();
}

bool SkillBase::AffectsCrushingBlows() const
{
    if (!definition)
        return false;
    const auto& mult = definition->dynamicStatMult;
    if (mult[DynamicStat::CrushingBlow] > 0.0f || mult[DynamicStat::MagicCrushingBlow] > 0.0f)
        return true;
    return definition->GetStatusEffect() && definition->GetStatusEffect()->HasCrushingBlowMult();
}

bool SkillBase::AffectsDeepWounds() const
{
    if (!definition)
        return false;
    if (definition->dynamicStatMult[DynamicStat::DeepWounds] > 0.0f)
        return true;
    return definition->GetStatusEffect() && definition->GetStatusEffect()->HasDeepWoundsMult();
}

bool SkillBase::IsSingleEnemyAttack(const SkillUser* target) const
{
    if (target && !target->IsTargetable())
        return false;
    return definition && definition->needsEnemy && !definition->allEnemies && !definition->alwaysWorks;
}
