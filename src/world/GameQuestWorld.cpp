// GameQuestWorld -- the running world as the quests see it: level picks, level flags, names and the level records a quest names.
#include "world/GameQuestWorld.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "world/AreaDefinition.h"
#include "world/World.h"

namespace {

const Level* GameQuestWorldLevel(int32_t level)
{
    return gWorld ? gWorld->GetLevel(level) : nullptr;
}

} // namespace

bool GameQuestWorld::IsReady() const
{
    return gWorld && gWorld->GetLevelCount() > 0;
}

int32_t GameQuestWorld::GetLevelCount() const
{
    return gWorld ? gWorld->GetLevelCount() : 0;
}

bool GameQuestWorld::IsLevelFlagSet(int32_t level) const
{
    return gWorld && gWorld->IsLevelBelowAnother(level);
}

std::string GameQuestWorld::GetLevelName(int32_t level) const
{
    return gWorld ? gWorld->GetLevelName(level) : std::string();
}

int32_t GameQuestWorld::GetLinkedLevel(int32_t level) const
{
    const Level* found = GameQuestWorldLevel(level);
    return found && found->hasParent && found->parent ? found->parent->index : -1;
}

int32_t GameQuestWorld::GetBossLevel(int32_t slot) const
{
    const DatabaseEntry* tier = gDatabase ? gDatabase->FindEntryByName(StringFormat("BossTier%d", slot)) : nullptr;
    const DatabaseEntry* area = tier ? gDatabase->FindEntryByName(tier->GetString("Area")) : nullptr;
    return area ? FindLevelOfArea(area) : -1;
}

int32_t GameQuestWorld::PickQuestLevel(int32_t questLevel, float roll, bool aboveGroundOnly) const
{
    if (!gWorld)
        return -1;
    // No quest is sent into the secret and treasure levels, last in the list: a secret level is
    // reached only once a chest links it in, by chance, and the treasure level only by its own
    // quest, so work there could never be done. Both halves pick alike from the same world.
    int32_t firstShut = gWorld->AreSecretLevelsMade() ? gWorld->GetFirstSecretLevel() : World::kNoShutLevel;
    const Level* found = gWorld->PickTargetLevel(questLevel, roll, aboveGroundOnly, firstShut);
    return found ? found->index : -1;
}

int32_t GameQuestWorld::FindLevelOfArea(const DatabaseEntry* area) const
{
    const Level* found = gWorld ? gWorld->FindLevelOfArea(area) : nullptr;
    return found ? found->index : -1;
}

const DatabaseEntry* GameQuestWorld::GetLevelAreaEntry(int32_t level) const
{
    const Level* found = GameQuestWorldLevel(level);
    return found && found->area ? found->area->record : nullptr;
}

const DatabaseEntry* GameQuestWorld::GetLevelItemEntry(int32_t level) const
{
    const Level* found = GameQuestWorldLevel(level);
    return found && found->area ? found->area->questItem : nullptr;
}
