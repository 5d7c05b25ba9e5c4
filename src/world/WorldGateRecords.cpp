// WorldGateRecords -- the one rule both halves size a character's known-gate lists by: the town's level at every world difficulty.
#include "world/WorldGateRecords.h"

#include "core/Database.h"
#include "core/EngineEnums.h"
#include "rules/items/ItemPtrList.h"
#include "world/World.h"

void FillWorldGateRecords(ItemPtrList& out)
{
    out.DeleteAll();
    if (!gWorld || !gWorld->GetLevel(0) || !gDatabase || !gDatabase->FindEntryByName(kTownGateRecord))
        return;
    for (int32_t worldDifficulty = 0; worldDifficulty < WorldDifficultyLevel::kCount; ++worldDifficulty)
        out.Add(0, worldDifficulty);
}
