// CovenantTrait -- a "CovenantTrait" record: a covenant's character, with its status effect and covenant multipliers.
#include "rules/covenants/CovenantTrait.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "rules/covenants/CovenantDefinition.h"

#include <vector>

void CovenantTrait::Load(const DatabaseEntry* newEntry)
{
    *this = CovenantTrait();
    multipliers.fill(1.0f);
    entry = newEntry;
    if (!entry)
        return;
    std::string recordName(entry->GetName());
    name = entry->GetString("Name");
    description = entry->GetString("Desc");
    textureName = entry->GetString("TextureName");
    statusEffectName = entry->GetString("StatusEffect");
    statusEffect = gDatabase && !statusEffectName.empty() ? gDatabase->FindEntryByName(statusEffectName) : nullptr;
    if (!statusEffectName.empty() && !statusEffect)
        DebugSystem::Print(kPrintWarning, "CovenantTrait %s: no status effect %s\n", recordName.c_str(),
                           statusEffectName.c_str());
    noRandom = entry->GetInt("NoRandom") != 0;
    std::vector<std::string> lines;
    entry->GetStringList("Multiplier", lines, true, true);
    for (const std::string& line : lines) {
        std::string index;
        float factor = 0.0f;
        int32_t slot = -1;
        if (CovenantDefinition::ParseNameValue(line, index, factor) && IsIntegerText(index))
            slot = ParseInt(index);
        if (slot < 0 || slot >= kCovenantMultiplierCount) {
            DebugSystem::Print(kPrintError, "CovenantTrait %s: bad Multiplier line \"%s\"\n", recordName.c_str(),
                               line.c_str());
            continue;
        }
        multipliers[static_cast<size_t>(slot)] = factor;
    }
}

float CovenantTrait::GetMultiplier(int32_t index) const
{
    return index >= 0 && index < kCovenantMultiplierCount ? multipliers[static_cast<size_t>(index)] : 1.0f;
}
