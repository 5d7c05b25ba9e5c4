// MonsterDefinition -- an "Actor" record: what a creature or town NPC is made of, as the rules and the spawn code read it.
#include "rules/monsters/MonsterDefinition.h"

#include "core/DatabaseEntry.h"
#include "rules/RulesEnums.h"

void MonsterDefinition::Load(const DatabaseEntry* newEntry)
{
    *this = MonsterDefinition();
    entry = newEntry;
    if (!entry)
        return;
    auto flag = [this](const char* key) { return entry->GetInt(key) != 0; };
    name = entry->GetName();
    className = entry->GetString("Class");
    modelName = entry->GetString("ModelName");
    factionName = entry->GetString("FactionName");
    npcType = GetNpcTypeByName(entry->GetString("NpcType"));
    npc = flag("Npc");
    givesQuests = flag("GivesQuests");
    canBeSpawned = flag("CanBeSpawned");
    canKidnap = flag("CanKidnap");
    canBeBoss = flag("CanBeBoss");
    canGiveMonsterQuest = flag("CanGiveMonsterQuest");
    canHaveUprising = flag("CanHaveUprising");
    canBeRescued = flag("CanBeRescued");
    canReceiveDelivery = flag("CanReceiveDelivery");
    canBeEscorted = flag("CanBeEscorted");
    canBeRaised = flag("CanBeRaised");
    xpMult = entry->GetFloat("XpMult", 0.0f);
    scoreForKill = entry->GetInt("ScoreForKill");
    scale = entry->GetFloat("Scale", 0.0f);
    radius = entry->GetFloat("Radius", 0.0f);
    entry->GetStringList("Skill", skills, true, false);
    entry->GetStringList("StartingItem", startingItems, true, false);
    entry->GetStringList("Enhancement", enhancements, true, false);
    entry->GetIntList("HideSurface", hiddenSurfaces, true, false);
    chatIntro = entry->GetString("ChatIntro");
    entry->GetStringList("NpcChat", chatNames, true, false);
}
