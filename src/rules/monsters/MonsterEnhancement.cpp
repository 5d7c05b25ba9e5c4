// MonsterEnhancement -- a "MonsterEnhancement" record: an enchantment the spawn system lays on monsters, as a status effect.
#include "rules/monsters/MonsterEnhancement.h"

#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"

#include <string>

void MonsterEnhancement::Load(const DatabaseEntry* newEntry)
{
    *this = MonsterEnhancement();
    entry = newEntry;
    if (!entry)
        return;
    spawnChance = entry->GetFloat("SpawnChance", 0.0f);
    minLevel = entry->GetInt("MinLevel");
    maxLevel = entry->GetInt("MaxLevel");
    std::string type = entry->GetString("EnhancementType");
    if (entry->GetInt("NpcOnly") != 0)
        table = Table::Npc;
    else if (StringEqualsNoCase(type, "Minor"))
        table = Table::Minor;
    else if (StringEqualsNoCase(type, "Major"))
        table = Table::Major;
}
