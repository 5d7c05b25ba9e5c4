// BehaviorSpawner -- brings one new creature of a named record into the world next to the actor per spawn interval while an enemy is near.
#include "entities/ai/BehaviorSpawner.h"

#include "core/Database.h"
#include "entities/Actor.h"
#include "entities/ai/BehaviorSearch.h"
#include "rules/GameData.h"

namespace {

// The blockers a new creature may not stand on: normal and transparent solids.
constexpr uint32_t kSpawnerSolidMask = 5;

} // namespace

WorldPos BehaviorCellStep(const WorldPos& from, int32_t direction)
{
    static constexpr int32_t kStepX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    static constexpr int32_t kStepY[8] = {1, 1, 0, -1, -1, -1, 0, 1};
    size_t d = static_cast<size_t>(((direction % 8) + 8) % 8);
    float cellX = gGameData ? gGameData->GetTuning().gridSize.x : 1.0f;
    float cellY = gGameData ? gGameData->GetTuning().gridSize.y : 1.0f;
    WorldPos to = from;
    to.x += static_cast<float>(kStepX[d]) * cellX;
    to.y += static_cast<float>(kStepY[d]) * cellY;
    to.Normalize();
    return to;
}

BehaviorSpawner::BehaviorSpawner()
{
    RegisterTimer(spawnTimer);
}

void BehaviorSpawner::LoadData(const DatabaseEntry& entry)
{
    tuning.range = entry.GetFloat("MaxRange", 0.0f);
    tuning.spawnTime = entry.GetFloat("SpawnTime", 0.0f);
    std::string name = entry.GetString("SpawnEntity");
    const DatabaseEntry* found = name.empty() || !gDatabase ? nullptr : gDatabase->FindEntryByName(name);
    tuning.spawnEntry = found && found->GetType() == DatabaseEntryType::Actor ? found : nullptr;
}

bool BehaviorSpawner::WantsToRun()
{
    Entity* enemy = actor->GetCurrentEnemy();
    if (!enemy || (spawnTimer.running && spawnTimer.remaining > 0.0f))
        return false;
    return EntityDistance2D(actor, enemy, false) < tuning.range;
}

void BehaviorSpawner::Start()
{
    Spawn();
    BehaviorRestartTimer(spawnTimer, tuning.spawnTime, 1.1f * tuning.spawnTime);
}

void BehaviorSpawner::Spawn()
{
    if (!tuning.spawnEntry || !gGameServices)
        return;
    auto* spawned = new Actor();
    spawned->Load(tuning.spawnEntry);
    for (int32_t direction = 0; direction < 8; ++direction) {
        WorldPos place = BehaviorCellStep(actor->position, direction);
        if (!gGameServices->IsSpotFreeForBody(place, spawned, kSpawnerSolidMask))
            continue;
        spawned->SetPosition(place);
        spawned->moveTarget = place;
        // A full table refuses it (and says so); it is then ours to delete.
        if (gGameServices->AddEntity(spawned) >= 0)
            return;
        break;
    }
    delete spawned;
}
