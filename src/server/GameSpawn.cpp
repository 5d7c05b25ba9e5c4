// GameSpawn -- the game's hand-offs to the spawn system: monster loot, made and respawned monsters, shop goods and guards.
#include "server/Game.h"

#include "core/RandomSystem.h"
#include "entities/Actor.h"
#include "entities/Chest.h"
#include "entities/Item.h"
#include "entities/Sentient.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterType.h"
#include "server/spawn/SpawnSystem.h"

#include <algorithm>
#include <vector>

namespace {

// The types of the archetype that are not kept out of random spawns and whose window holds the level.
const MonsterType* GameSpawnPickOfArchetype(const DatabaseEntry* archetypeEntry, int32_t level)
{
    const MonsterArchetype* archetype = gGameData ? gGameData->FindArchetype(archetypeEntry) : nullptr;
    if (!archetype)
        return nullptr;
    std::vector<const MonsterType*> types;
    for (int32_t i = 0; i < gGameData->GetMonsterTypeCount(); ++i) {
        const MonsterType* type = gGameData->GetMonsterType(i);
        if (type && type->archetype == archetype && !type->excluded && type->GetMinLevel() <= level &&
            level <= type->GetMaxLevel())
            types.push_back(type);
    }
    if (types.empty())
        return nullptr;
    float r = DrawRandomFloat();
    size_t k = std::min(static_cast<size_t>(r * static_cast<float>(types.size())), types.size() - 1);
    return types[k];
}

} // namespace

std::unique_ptr<Item> Game::GenerateItem(const DatabaseEntry* record, int32_t level)
{
    return gSpawnSystem ? gSpawnSystem->CreateRandomItem(level, record) : nullptr;
}

std::unique_ptr<Item> Game::DrawRandomItem(int32_t level)
{
    if (!gSpawnSystem)
        return nullptr;
    SpawnSystem::ItemRequest request;
    request.baseLevel = level;
    return gSpawnSystem->GenerateItem(request);
}

void Game::DropMonsterLoot(Sentient& victim, float moneyFactor, float itemsChance, float magicChance)
{
    // The killer's loot money factor is the share of the items that fall to the ground.
    if (gSpawnSystem)
        gSpawnSystem->DropMonsterLoot(victim, moneyFactor, itemsChance, static_cast<int32_t>(magicChance));
}

Entity* Game::MakeMonster(const DatabaseEntry* archetype, const DatabaseEntry* monsterType, int32_t level,
                          int32_t minRarity)
{
    if (!gSpawnSystem || !gGameData)
        return nullptr;
    const MonsterType* type = nullptr;
    if (monsterType)
        type = gGameData->FindMonsterTypeBy(monsterType);
    else if (archetype)
        type = GameSpawnPickOfArchetype(archetype, level);
    else
        type = gSpawnSystem->PickRandomMonsterType(level);
    if (!type)
        return nullptr;
    int32_t rarity = type->rarity != 0 ? type->rarity : std::max(minRarity, 0);
    return gSpawnSystem->SpawnMonster(type, rarity, level, 0, false);
}

std::unique_ptr<Item> Game::GenerateShopItem(const ShopItemRequest& request)
{
    if (!gSpawnSystem)
        return nullptr;
    SpawnSystem::ItemRequest generate;
    generate.baseLevel = request.level;
    generate.minSpread = request.minSpread;
    generate.maxSpread = request.maxSpread;
    generate.aboveChance = request.aboveChance;
    generate.maxAbove = request.aboveSpread;
    generate.magicBonus = request.magicBonus;
    return gSpawnSystem->GenerateItem(generate);
}

const MonsterType* Game::PickGuardType(int32_t level) const
{
    return gSpawnSystem ? gSpawnSystem->PickGuardType(level) : nullptr;
}

void Game::SpawnRespawn(int32_t level, const WorldPos& position)
{
    if (gSpawnSystem)
        gSpawnSystem->TrySpawnMonsterAt(level, position, MonsterRarity::Normal);
}

bool Game::IsLevelPopulated(int32_t level) const
{
    const GameLevelRecord* record = FindLevel(level);
    return record && record->populated;
}

void Game::MarkLevelPopulated(int32_t level)
{
    if (GameLevelRecord* record = FindLevel(level))
        record->populated = true;
}

const DatabaseEntry* Game::PickTrapRecord(int32_t level)
{
    const SpawnEntry* entry = gSpawnSystem ? gSpawnSystem->PickWeightedByLevel(SpawnSystem::Traps, level) : nullptr;
    return entry ? entry->definition : nullptr;
}

void Game::GenerateChestLoot(Chest& chest, float itemsChance, float magicChance)
{
    if (gSpawnSystem)
        gSpawnSystem->DropChestLoot(chest, chest.itemChance, chest.minItems, chest.maxItems, chest.level,
                                    chest.increasedMagicChance, itemsChance, static_cast<int32_t>(magicChance));
}
