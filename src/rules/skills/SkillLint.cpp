// SkillLint -- the content checks of skills, skill trees, classes and status effects: names that lead nowhere or are looked up before they load.
#include "rules/skills/SkillLint.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "rules/ContentLint.h"
#include "rules/skills/SkillBase.h"

#include <string>
#include <vector>

namespace {

// The entry of that name when it is a listed record of the type; null otherwise.
const DatabaseEntry* FindRecord(const ContentLint& lint, const std::string& name, int32_t type)
{
    const DatabaseEntry* found = lint.GetDatabase().FindEntryByName(name);
    return found && found->GetType() == type && !found->IsBaseOnly() ? found : nullptr;
}

std::vector<std::string> Values(const DatabaseEntry& entry, const char* key)
{
    std::vector<std::string> values;
    entry.GetStringList(key, values, true, false);
    return values;
}

// Ids grow in database order: the sub-database in the high word, the place in it in the low.
void CheckEarlierSkill(ContentLint& lint, const DatabaseEntry& entry, const char* key, const std::string& name)
{
    const DatabaseEntry* skill = FindRecord(lint, name, DatabaseEntryType::Skill);
    if (!skill)
        lint.Report(entry, StringFormat("%s names no skill %s", key, name.c_str()));
    else if (skill->GetId() >= entry.GetId())
        lint.Report(entry, StringFormat("%s names the later skill %s, which loading cannot see", key, name.c_str()));
}

void CheckNamedRecords(ContentLint& lint, const DatabaseEntry& entry, const char* key, int32_t type, const char* what)
{
    for (const std::string& name : Values(entry, key)) {
        if (!FindRecord(lint, name, type))
            lint.Report(entry, StringFormat("%s names no %s %s", key, what, name.c_str()));
    }
}

} // namespace

void CheckSkillRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    if (std::string perLevel = entry.GetString("PerLevel"); !perLevel.empty())
        CheckEarlierSkill(lint, entry, "PerLevel", perLevel);
    for (const std::string& name : Values(entry, "Skill"))
        CheckEarlierSkill(lint, entry, "Skill", name);
    if (std::string effect = entry.GetString("StatusEffect"); !effect.empty()) {
        const DatabaseEntry* found = lint.GetDatabase().FindEntryByName(effect);
        if (!found || found->GetType() != DatabaseEntryType::StatusEffect)
            lint.Report(entry, StringFormat("StatusEffect names no status effect %s", effect.c_str()));
    }
    if (std::string linked = entry.GetString("Linked");
        !linked.empty() && !FindRecord(lint, linked, DatabaseEntryType::Skill))
        lint.Report(entry, StringFormat("Linked names no skill %s", linked.c_str()));
    // A skill the player sees has a name, and an icon beside it.
    if (!entry.GetString("Name").empty())
        lint.CheckTexture(entry, "TextureName");
}

void CheckSkillTreeRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    CheckNamedRecords(lint, entry, "Skill", DatabaseEntryType::Skill, "skill");
    if (Values(entry, "Skill").size() > kSkillsPerTree)
        lint.Report(entry, StringFormat("holds more than %d skills", kSkillsPerTree));
}

void CheckClassRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    CheckNamedRecords(lint, entry, "SkillTree", DatabaseEntryType::SkillTree, "skill tree");
}

void CheckStatusEffectRecord(ContentLint& lint, const DatabaseEntry& entry)
{
    for (const char* key : {"PerLevel", "AuraStatusEffect", "SuccessEndEffect"}) {
        if (!entry.GetString(key).empty())
            lint.CheckEntryName(entry, key);
    }
    // An aura applies its effect on every tick: a Normal one would pile one more on each
    // victim each time.
    if (std::string applied = entry.GetString("AuraStatusEffect"); !applied.empty()) {
        const DatabaseEntry* found = lint.GetDatabase().FindEntryByName(applied);
        if (found && StringEqualsNoCase(found->GetString("EffectType", "Normal"), "Normal"))
            lint.Report(entry, StringFormat("AuraStatusEffect %s is of the Normal type and would pile up on every tick",
                                            applied.c_str()));
    }
    // The skills an effect fires are found by name when it is made: a name that leads nowhere
    // fires nothing.
    for (const char* key : {"OnHitSkill", "WhenHitSkill", "WhenMissedSkill", "WhenKilledSkill"}) {
        std::string skill = entry.GetString(key);
        if (!skill.empty() && !FindRecord(lint, skill, DatabaseEntryType::Skill))
            lint.Report(entry, StringFormat("%s names no skill %s", key, skill.c_str()));
    }
    if (!entry.GetString("Name").empty())
        lint.CheckTexture(entry, "TextureName");
}
