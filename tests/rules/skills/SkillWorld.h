// SkillWorld -- a test world for skills and status effects: a database of the test's own records with the game data read from it.
#pragma once

#include "rules/RulesWorld.h"
#include "rules/IntArray.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <string>
#include <string_view>

// Records written one to a line, "Name { Key value | Key value }", as the database reads them:
// each key on its own line.
inline std::string ExpandRecords(std::string_view compact)
{
    std::string records;
    for (char c : compact) {
        if (c == '{')
            records += "\n{\n";
        else if (c == '}')
            records += "\n}\n";
        else
            records += c == '|' ? '\n' : c;
    }
    return records;
}

class SkillWorld : public RulesWorld {
protected:
    // The records after a "GameSystem" record that shows every detail and prices a skill
    // point at 10 copper, unless the tuning lines (read first) say otherwise.
    void LoadRecords(const std::string& records, const std::string& tuning = "")
    {
        Load({{"rules.dbr", "GameSystem\n{\n" + tuning + "\n ShowSkillDetails 1\n ShowStatusEffectDetails 1\n"
                            " MoneyPerSkillPoint 10\n}\n" + ExpandRecords(records)}});
        gameData.Load(database);
    }

    const SkillDefinition& Skill(std::string_view name) const
    {
        const SkillDefinition* skill = gameData.FindSkillDefinition(name);
        EXPECT_NE(skill, nullptr) << name;
        static const SkillDefinition kMissing;
        return skill ? *skill : kMissing;
    }

    // A status effect of the entry at a level, as a skill or the world sets one up.
    void SetEffect(StatusEffectBase& effect, std::string_view name, int32_t level)
    {
        effect.SetDefinition(database.FindEntryByName(name), level, nullptr);
    }

    static IntArray Stats() { return IntArray(kStatKeyCount); }
};
