// SkillListClient -- the local player's skills on the client: four trees of fifteen client skills, rebuilt when the class changes, each laid out in its tree's panel by tier.
#include "client/SkillListClient.h"

#include "core/EngineEnums.h"
#include "rules/skills/SkillDefinition.h"

#include <map>

namespace {

int32_t SkillListClientTier(const SkillBase& skill)
{
    return skill.definition ? skill.definition->GetInt("Tier") : 0;
}

} // namespace

int32_t SkillClient::GetMaxLevel() const
{
    return definition ? definition->GetMaxLevel() : 0;
}

int32_t SkillClient::GetLevelCost() const
{
    return definition ? definition->GetPowerAtLevel(GetLevel()) : 0;
}

int32_t SkillClient::GetUseRefusal(const IntArray& stats, const SkillUser* target, uint32_t stateBits) const
{
    if (!definition || definition->passive)
        return kRefusedNotUsable;
    int32_t code = CanUse(owner, stats, target, stateBits);
    // The host's range and sight test is the shared test's last: past every other check the
    // client asks its own, with no facing and a margin inside both limits, so the player walks
    // in until the host will not refuse.
    if (definition->needsEnemy && (code == SkillUse::Usable || code == SkillUse::OutOfRangeOrSight))
        code = definition->IsTargetWellInRange(owner, target) ? SkillUse::Usable : SkillUse::OutOfRangeOrSight;
    bool enemiesNear = (stateBits & (1u << EntityState::HasEnemies)) != 0;
    if (code == SkillUse::Usable && definition->noAttackers && enemiesNear)
        return kRefusedEnemiesNear;
    return code;
}

void SkillListClient::Layout()
{
    for (int32_t tree = 0; tree < kTrees; ++tree) {
        // Tier to the count of the tree's skills in it, then to its row.
        std::map<int32_t, int32_t> counts;
        for (const auto& skill : GetSkills())
            if (skill && skill->treeIndex == tree)
                ++counts[SkillListClientTier(*skill)];
        std::map<int32_t, int32_t> rows;
        for (const auto& [tier, count] : counts)
            rows[tier] = static_cast<int32_t>(rows.size());
        float rowCount = static_cast<float>(counts.size());
        std::map<int32_t, int32_t> placed;
        for (const auto& skill : GetSkills()) {
            if (!skill || skill->treeIndex != tree)
                continue;
            auto& shown = static_cast<SkillClient&>(*skill);
            int32_t tier = SkillListClientTier(shown);
            shown.layoutX = static_cast<float>(++placed[tier]) / static_cast<float>(counts[tier] + 1);
            shown.layoutY = static_cast<float>(rows[tier] + 1) / (rowCount + 1.0f);
        }
    }
}
