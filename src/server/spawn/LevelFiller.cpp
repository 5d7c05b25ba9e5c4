// LevelFiller -- fills a level once per world: the objects its area pieces place on their tiles, then its random monsters; rebuilds saved level objects.
#include "server/spawn/LevelFiller.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "resources/ResourceManager.h"
#include "resources/models/ModelResource.h"
#include "entities/Actor.h"
#include "entities/Entity.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Sentient.h"
#include "entities/Chest.h"
#include "entities/Door.h"
#include "entities/Gate.h"
#include "entities/Secret.h"
#include "entities/SoulStone.h"
#include "entities/Torch.h"
#include "entities/TrapGround.h"
#include "entities/Trigger.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterType.h"
#include "server/Game.h"
#include "server/spawn/SpawnSystem.h"
#include "world/AreaResource.h"
#include "world/Level.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/LevelQueries.h"
#include "world/World.h"

#include <cmath>
#include <vector>

namespace {

constexpr const char* kLevelObjectKindNames[LevelObjectKind::kCount] = {
    "Normal", "Door", "Torch", "Secret", "Item", "Monster", "Chest", "Trap", "Gate", "Trigger", "SimpleAnimating"};

const GameSystemTuning& FillerTuning()
{
    static const GameSystemTuning kDefaults;
    return gGameData ? gGameData->GetTuning() : kDefaults;
}

// Where an object of a level's tile stands.
WorldPos FillerTileCentre(int32_t level, int32_t cellX, int32_t cellY)
{
    const GameSystemTuning& tuning = FillerTuning();
    WorldPos spot;
    spot.level = level;
    spot.x = static_cast<float>(cellX) * tuning.tileSize + tuning.gridSize.x;
    spot.y = static_cast<float>(cellY) * tuning.tileSize + tuning.gridSize.y;
    return spot;
}

// The "ObjectType" line of the model file; empty when the model cannot be loaded.
std::string FillerModelObjectType(std::string_view modelName)
{
    if (!gResourceManager)
        return {};
    ResourceHandle handle;
    gResourceManager->Load(modelName, handle);
    const auto* model = handle.IsValid() ? dynamic_cast<const ModelResource*>(gResourceManager->Get(handle)) : nullptr;
    return model ? model->objectType : std::string();
}

} // namespace

int32_t LevelFiller::GetObjectKind(const DatabaseEntry& record)
{
    std::string name = record.GetString("ObjectType");
    for (int32_t kind = 0; kind < LevelObjectKind::kCount; ++kind)
        if (StringEqualsNoCase(name, kLevelObjectKindNames[kind]))
            return kind;
    return LevelObjectKind::Normal;
}

LevelFiller::LevelFiller(SpawnSystem& spawnSystem) : spawn(spawnSystem), modelLookup(&FillerModelObjectType) {}

const DatabaseEntry* LevelFiller::FindObjectRecord(std::string_view modelName) const
{
    std::string name = modelLookup && !modelName.empty() ? modelLookup(modelName) : std::string();
    return gDatabase && !name.empty() ? gDatabase->FindEntryByName(name) : nullptr;
}

WorldPos LevelFiller::RandomPointInLevel(int32_t level) const
{
    WorldPos point;
    if (!gWorld || !gWorld->GetLevel(level))
        return point;
    const GameSystemTuning& tuning = FillerTuning();
    float width = static_cast<float>(tuning.levelTileWidth) * tuning.tileSize;
    float height = static_cast<float>(tuning.levelTileHeight) * tuning.tileSize;
    point.level = level;
    point.x = DrawRandomScaled(RandomStream::GameData, width);
    point.y = DrawRandomScaled(RandomStream::GameData, height);
    // The middle of its grid cell, as every placed entity stands.
    point.x = (std::floor(point.x / tuning.gridSize.x) + 0.5f) * tuning.gridSize.x;
    point.y = (std::floor(point.y / tuning.gridSize.y) + 0.5f) * tuning.gridSize.y;
    point.Normalize();
    return point;
}

// ---- Population -------------------------------------------------------------------------------------

bool LevelFiller::PopulateLevel(int32_t level)
{
    if (!gGame || gGame->GetPlayers().empty() || !gWorld || !gWorld->GetLevel(level))
        return false;
    if (gGame->IsLevelPopulated(level))
        return true;
    if (!gWorld->IsLevelValid(level) || !gGame->IsLevelGenerated(level))
        return false;
    gGame->MarkLevelPopulated(level);
    int32_t monsters = CountLevelMonsters(level);
    int32_t chests = CountLevelChests(level);
    int32_t traps = CountLevelTraps(level);
    PlaceAreaObjects(level);
    SpawnRandomMonsters(level, monsters);
    for (int32_t i = 0; i < chests; ++i)
        SpawnChestAt(RandomPointInLevel(level));
    SpawnRandomTraps(level, traps);
    return true;
}

int32_t LevelFiller::CountLevelMonsters(int32_t level) const
{
    // The level's monsters are its blocks' rolls together.
    const Level* record = gWorld->GetLevel(level);
    int32_t blocks = record && record->data ? record->data->geometry.BlockCount() : 0;
    int32_t count = 0;
    for (int32_t block = 0; block < blocks; ++block)
        count += gWorld->RollBlockMonsters(level, block, false);
    return count;
}

int32_t LevelFiller::CountLevelChests(int32_t level) const
{
    const Level* record = gWorld->GetLevel(level);
    int32_t blocks = record && record->data ? record->data->geometry.BlockCount() : 0;
    int32_t count = 0;
    for (int32_t block = 0; block < blocks; ++block)
        count += gWorld->RollBlockChests(level, block, false);
    return count;
}

Chest* LevelFiller::CreateChest(const DatabaseEntry* definition, int32_t levelIndex, int32_t level)
{
    const Level* record = gWorld ? gWorld->GetLevel(levelIndex) : nullptr;
    if (!definition)
        definition = record ? LevelQueries::PickChestType(*record) : nullptr;
    if (!definition)
        return nullptr;
    if (level == 0)
        level = spawn.RollDropLevel(record ? gWorld->GetLevelMonsterLevel(levelIndex) : 1);
    auto* chest = new Chest();
    chest->SetEntry(definition);
    chest->level = level;
    chest->Randomize(levelIndex);
    return chest;
}

Entity* LevelFiller::SpawnChestAt(const WorldPos& position)
{
    Chest* chest = CreateChest(nullptr, position.level, 0);
    if (!chest || !gGameServices)
        return nullptr;
    SpawnSearch search;
    search.entity = chest;
    WorldPos spot = position;
    gGameServices->FindSpawnPosition(position, FillerTuning().warpRings, search, true, spot);
    return AddPlaced(chest, spot, -1);
}

int32_t LevelFiller::CountLevelTraps(int32_t level) const
{
    const Level* record = gWorld->GetLevel(level);
    if (!record || !record->data || !gWorld->AreTrapsAllowed(level))
        return 0;
    int32_t count = 0;
    for (int32_t block = 0; block < record->data->geometry.BlockCount(); ++block)
        count += gWorld->RollLevelTrapsPerBlock(level);
    return count;
}

void LevelFiller::PlaceAreaObjects(int32_t level)
{
    Level* record = gWorld->GetLevel(level);
    const AreaResource* area = record ? LevelGenerator::GetArea(*record) : nullptr;
    if (!area)
        return;
    const GameSystemTuning& tuning = FillerTuning();
    std::vector<int32_t> chests;
    struct LaidItem {
        const DatabaseEntry* record;
        const std::string* modelName;
        int32_t x, y, facing;
    };
    std::vector<LaidItem> items;
    for (int32_t y = 0; y < tuning.levelTileHeight; ++y) {
        for (int32_t x = 0; x < tuning.levelTileWidth; ++x) {
            ResourceHandle model;
            int32_t facing = 0;
            int32_t object = LevelQueries::GetTileObject(*record, x, y, model, facing);
            if (object < 0 || static_cast<size_t>(object) >= area->GetObjectTypes().size())
                continue;
            const std::string& modelName = area->GetObjectTypes()[static_cast<size_t>(object)].name;
            const DatabaseEntry* objectRecord = FindObjectRecord(modelName);
            // Items wait for every chest of the pieces, whichever tile came first.
            if (objectRecord && GetObjectKind(*objectRecord) == LevelObjectKind::Item) {
                items.push_back({objectRecord, &modelName, x, y, facing});
                continue;
            }
            Entity* placed = PlaceLevelObject(level, x, y, objectRecord, modelName, facing);
            if (dynamic_cast<Chest*>(placed))
                chests.push_back(placed->entityNumber);
        }
    }
    for (const LaidItem& item : items)
        if (!StoreInNearbyChest(chests, *item.record, FillerTileCentre(level, item.x, item.y)))
            PlaceLevelObject(level, item.x, item.y, item.record, *item.modelName, item.facing);
}

bool LevelFiller::StoreInNearbyChest(const std::vector<int32_t>& chests, const DatabaseEntry& record,
                                     const WorldPos& spot) const
{
    for (int32_t number : chests)
        if (auto* chest = dynamic_cast<Chest*>(gGameServices ? gGameServices->GetEntity(number) : nullptr))
            if (chest->TryStoreRecord(&record, spot))
                return true;
    return false;
}

void LevelFiller::SpawnRandomMonsters(int32_t level, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        WorldPos point = RandomPointInLevel(level);
        Actor* actor = spawn.TrySpawnMonster(level, 1.0f, 0, MonsterRarity::Normal);
        if (!actor)
            continue;
        if (!spawn.IsUncrowded(*actor, point)) {
            delete actor;
            continue;
        }
        spawn.PlaceSpawnedMonster(actor, point);
    }
}

void LevelFiller::SpawnRandomTraps(int32_t level, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        SpawnGroundTrapAt(RandomPointInLevel(level), -1);
}

TrapGround* LevelFiller::CreateGroundTrap(int32_t levelIndex, int32_t level)
{
    const Level* record = gWorld ? gWorld->GetLevel(levelIndex) : nullptr;
    const DatabaseEntry* trap = record ? LevelQueries::PickTrapType(*record) : nullptr;
    if (!trap)
        return nullptr;
    auto* plate = new TrapGround();
    plate->SetEntry(trap);
    plate->SetSpawnTag(spawn.RollDropLevel(level));
    return plate;
}

Entity* LevelFiller::SpawnGroundTrapAt(const WorldPos& position, int32_t level)
{
    if (level == -1)
        level = gWorld && gWorld->GetLevel(position.level) ? gWorld->GetLevelMonsterLevel(position.level) : 1;
    TrapGround* plate = CreateGroundTrap(position.level, level);
    if (!plate || !gGameServices)
        return nullptr;
    SpawnSearch search;
    search.freeSpot = true;
    WorldPos spot = position;
    gGameServices->FindSpawnPosition(position, FillerTuning().warpRings, search, true, spot);
    return AddPlaced(plate, spot, -1);
}

// ---- Objects ------------------------------------------------------------------------------------------

Entity* LevelFiller::PlaceLevelObject(int32_t level, int32_t cellX, int32_t cellY, const DatabaseEntry* record,
                                      std::string_view modelName, int32_t facing)
{
    if (!record || modelName.empty())
        return nullptr;
    WorldPos spot = FillerTileCentre(level, cellX, cellY);
    int32_t cell = cellY * FillerTuning().levelTileWidth + cellX;
    switch (GetObjectKind(*record)) {
    case LevelObjectKind::Torch: return PlacePlainObject(new Torch(), *record, modelName, spot, cell, facing);
    case LevelObjectKind::SimpleAnimating: {
        // A soul stone comes back from the world save as a stone, to read back what it holds.
        Entity* made = record->GetName() == SoulStone::kRecordName ? new SoulStone() : new Entity();
        return PlacePlainObject(made, *record, modelName, spot, cell, facing);
    }
    case LevelObjectKind::Trigger: return PlacePlainObject(new Trigger(), *record, modelName, spot, cell, facing);
    case LevelObjectKind::Item: return PlaceItemObject(*record, spot, cell);
    case LevelObjectKind::Monster: return PlaceMonsterObject(*record, modelName, spot, cell, level);
    case LevelObjectKind::Trap: {
        auto* plate = new TrapGround();
        plate->SetEntry(record);
        plate->LoadModels(modelName);
        plate->facing = facing;
        plate->SetSpawnTag(gWorld ? gWorld->GetLevelMonsterLevel(level) : 1);
        // No cell tag: a plate's spawn word is its level, which the cell would overwrite.
        return AddPlaced(plate, spot, -1);
    }
    case LevelObjectKind::Gate: {
        auto* gate = new Gate();
        gate->SetEntry(record);
        // The model names the gate's record again when a saved world rebuilds it.
        gate->LoadModels(modelName);
        gate->facing = facing;
        gate->kind = GetGateKind(*record);
        // A way down without a name of its own takes the one its level's area gives its ways down:
        // the level below is entered at the start position of that name.
        if (gate->kind == GateKind::Depth && gate->gateName.empty() && gWorld)
            gate->gateName = gWorld->GetGateObjectName(level, gate->kind, true);
        return AddPlaced(gate, spot, cell);
    }
    case LevelObjectKind::Door: return PlacePlainObject(new Door(), *record, modelName, spot, cell, facing);
    case LevelObjectKind::Secret: return PlacePlainObject(new Secret(), *record, modelName, spot, cell, facing);
    case LevelObjectKind::Chest: {
        auto* chest = new Chest();
        chest->SetEntry(record);
        chest->LoadModels(modelName);
        chest->facing = facing;
        chest->level = gWorld ? gWorld->GetLevelMonsterLevel(level) : 1;
        chest->Randomize(level);
        return AddPlaced(chest, spot, cell);
    }
    default: return nullptr;
    }
}

Entity* LevelFiller::PlacePlainObject(Entity* entity, const DatabaseEntry& record, std::string_view modelName,
                                      const WorldPos& spot, int32_t cell, int32_t facing)
{
    if (entity->GetEntry() != &record)
        entity->SetEntry(&record);
    entity->LoadModels(modelName);
    entity->facing = facing;
    entity->netFlag = false;
    return AddPlaced(entity, spot, cell);
}

// Placed at the spot with its cell (-1 for none) and entered into the table, then its placement
// step; a refused entity is deleted. The step comes once it stands in the table: a door builds
// its second half and rolls its trap from where it stands, a plate arms, and a refused door
// leaves no half behind.
Entity* LevelFiller::AddPlaced(Entity* entity, const WorldPos& spot, int32_t cell)
{
    entity->SetPosition(spot);
    entity->SetGridPosition(spot);
    if (cell >= 0)
        entity->SetSpawnTag(cell);
    if (!gGameServices || gGameServices->AddEntity(entity) == -1) {
        delete entity;
        return nullptr;
    }
    entity->OnPlaced();
    return entity;
}

int32_t LevelFiller::GetGateKind(const DatabaseEntry& record)
{
    if (record.GetInt("TeleportStart") != 0)
        return GateKind::Named;
    if (record.GetInt("TeleportEnd") != 0)
        return GateKind::NamedTarget;
    return GateKind::Depth;
}

Entity* LevelFiller::PlaceItemObject(const DatabaseEntry& record, const WorldPos& spot, int32_t cell)
{
    if (!gGameServices)
        return nullptr;
    std::vector<Entity*> near;
    gGameServices->FindEntitiesInRadius(spot, nullptr, kItemSentientRange, RadiusFilter::Every, near, false);
    for (Entity* entity : near)
        if (dynamic_cast<Sentient*>(entity))
            return nullptr;
    auto item = std::make_unique<Item>();
    item->SetEntry(&record);
    item->ComputeStats();
    item->ResolveDefinition();
    ItemGround* ground = ItemGround::Drop(spot, item, true, true, false);
    if (ground)
        ground->SetSpawnTag(cell);
    return ground;
}

Entity* LevelFiller::PlaceMonsterObject(const DatabaseEntry& record, std::string_view modelName, const WorldPos& spot,
                                        int32_t cell, int32_t level)
{
    MonsterType* type = gGameData ? gGameData->FindMonsterTypeBy(&record) : nullptr;
    if (!type)
        return nullptr;
    Actor* actor = spawn.SpawnMonster(type, type->rarity, type->GetMinLevel(), 0, false);
    if (!actor)
        return nullptr;
    actor->LoadModels(modelName);
    actor = spawn.PlaceSpawnedMonster(actor, spot);
    if (!actor)
        return nullptr;
    actor->SetSpawnTag(cell);
    if (gWorld)
        gWorld->AddLevelMonsterType(level, type);
    return actor;
}

Entity* LevelFiller::RestoreLevelObject(const WorldPos& position, int32_t facing, std::string_view modelName,
                                        std::string_view recordName)
{
    // Saved floats are not trusted: a place that is not finite or lies off its level gives none.
    if (!std::isfinite(position.x) || !std::isfinite(position.y) || !gWorld || !gWorld->GetLevel(position.level))
        return nullptr;
    if (position.x < 0.0f || position.y < 0.0f || position.x >= gWorld->GetLevelWidth() ||
        position.y >= gWorld->GetLevelHeight())
        return nullptr;
    const GameSystemTuning& tuning = FillerTuning();
    int32_t cellX = static_cast<int32_t>(std::floor(position.x / tuning.tileSize));
    int32_t cellY = static_cast<int32_t>(std::floor(position.y / tuning.tileSize));
    const DatabaseEntry* shown = FindObjectRecord(modelName);
    const DatabaseEntry* named = gDatabase && !recordName.empty() ? gDatabase->FindEntryByName(recordName) : nullptr;
    // A name from the file makes nothing the model would not: a chest stays a chest.
    const DatabaseEntry* record = shown && named && GetObjectKind(*named) == GetObjectKind(*shown) ? named : shown;
    return PlaceLevelObject(position.level, cellX, cellY, record, modelName, facing);
}
