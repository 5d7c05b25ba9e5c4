// SpawnMonsters -- the spawn system's monsters: whether one turns up, its type, level and rarity, its enchantments and its place.
#include "server/spawn/SpawnSystem.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "entities/Actor.h"
#include "entities/Vendor.h"
#include "rules/GameData.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterType.h"
#include "server/Game.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <algorithm>
#include <string>

namespace {

const AreaDefinition* SpawnAreaOf(int32_t level)
{
    const Level* record = gWorld ? gWorld->GetLevel(level) : nullptr;
    return record ? record->area : nullptr;
}

// An integer percent 0..99: a draw of exactly 100 counts as 99, so a chance of 100 always holds.
int32_t SpawnPercentRoll()
{
    return std::min(static_cast<int32_t>(DrawRandomScaled(RandomStream::GameData, 100.0f)), 99);
}

// Uniform index below count; a draw equal to the count is taken as count - 1.
size_t SpawnUniformIndex(size_t count)
{
    size_t k = static_cast<size_t>(DrawRandomScaled(RandomStream::GameData, static_cast<float>(count)));
    return std::min(k, count - 1);
}

} // namespace

bool SpawnSystem::IsNight() const
{
    if (!gGame || !gGameData)
        return false;
    double hours = gGame->GetTimeOfDay();
    const GameSystemTuning& tuning = gGameData->GetTuning();
    return hours < tuning.sunriseStart || hours > tuning.sunsetEnd;
}

int32_t SpawnSystem::MonsterLevelOf(const MonsterType& type, int32_t worldLevel)
{
    int32_t minLevel = type.GetMinLevel();
    return minLevel == type.GetMaxLevel() ? minLevel : worldLevel;
}

Actor* SpawnSystem::TrySpawnMonster(int32_t level, float factor, int32_t spawnFlag, int32_t minRarity)
{
    const AreaDefinition* area = SpawnAreaOf(level);
    float chance = area ? area->monsterChancePerBlock : 0.0f;
    if (chance * factor <= DrawRandomFloat() || !gWorld)
        return nullptr;
    int32_t worldLevel = 1;
    MonsterType* type = gWorld->PickLevelMonster(level, worldLevel);
    if (!type)
        return nullptr;
    int32_t monsterLevel = MonsterLevelOf(*type, worldLevel);
    int32_t rarity = type->rarity != 0 ? type->rarity : PickMonsterRarity(minRarity, type, level);
    return SpawnMonster(type, rarity, monsterLevel, spawnFlag, false);
}

int32_t SpawnSystem::PickMonsterRarity(int32_t minRarity, const MonsterType* type, int32_t level) const
{
    bool night = IsNight();
    float multiplier = type && gGame ? gGame->GetMonsterRarityMultiplier(*type, level) : 1.0f;
    const AreaDefinition* area = SpawnAreaOf(level);
    int32_t rarity = std::clamp(minRarity, 0, MonsterRarity::kCount - 1);
    for (int32_t next = rarity + 1; next < MonsterRarity::kCount; ++next) {
        float chance = area ? area->GetMonsterRankChance(night, next) : 0.0f;
        if (!(static_cast<float>(SpawnPercentRoll()) < chance * multiplier))
            break;
        rarity = next;
    }
    return rarity;
}

Actor* SpawnSystem::SpawnMonster(const MonsterType* type, int32_t rarity, int32_t level, int32_t spawnFlag,
                                 bool noEnchantments)
{
    if (!type)
        return nullptr;
    if (rarity == MonsterRarity::Legend && type->rarity != MonsterRarity::Legend) {
        if (type->legendType)
            type = type->legendType;
        else
            rarity = MonsterRarity::Unique;
    }
    if (rarity == MonsterRarity::Unique && type->rarity != MonsterRarity::Unique) {
        if (const MonsterType* version = type->PickRandomVersion())
            type = version;
        else
            rarity = MonsterRarity::VeryRare;
    }
    bool vendor = type->vendor || (type->definition && type->definition->GetInt("Vendor") != 0);
    Actor* actor = vendor ? new Vendor() : new Actor();
    if (spawnFlag != 0)
        actor->spawnFlag = spawnFlag;
    actor->SetUpFromMonsterType(type, level, false);
    actor->monsterRarity = rarity;
    actor->RecalculateStats(true);
    int32_t wanted = noEnchantments ? 0 : CountEnchantments(rarity, actor->npc);
    if (rarity != MonsterRarity::Normal && !actor->npc && gDatabase) {
        std::string name = std::string("EnhancementRarity") + MonsterRarityName(rarity);
        if (const DatabaseEntry* entry = gDatabase->FindEntryByName(name))
            actor->AddStatusEffect(entry, actor, 1);
    }
    int32_t added = 0;
    for (int32_t attempt = 0; attempt < 2 * wanted && added < wanted; ++attempt) {
        const DatabaseEntry* enhancement = PickEnchantment(*actor, rarity, actor->stats.Get(CharacterStat::Level));
        if (!enhancement)
            continue;
        actor->AddStatusEffect(enhancement, actor, 1);
        ++added;
    }
    actor->RecalculateStats(true);
    return actor;
}

int32_t SpawnSystem::CountEnchantments(int32_t rarity, bool npc) const
{
    switch (rarity) {
    case MonsterRarity::Common: return 1;
    case MonsterRarity::Uncommon: return 2;
    case MonsterRarity::Rare: return npc ? 3 : 1;
    case MonsterRarity::VeryRare: return npc ? 4 : 2;
    default: return 0;
    }
}

int32_t SpawnSystem::PickEnchantmentTable(bool npc, int32_t rarity) const
{
    if (npc)
        return NpcEnhancements;
    if (rarity == MonsterRarity::Common || rarity == MonsterRarity::Uncommon)
        return MinorEnhancements;
    if (SpawnPercentRoll() < monsterEnchantmentNormalChance)
        return MinorEnhancements;
    return SpawnPercentRoll() < monsterEnchantmentMajorChance ? OtherEnhancements : MajorEnhancements;
}

const DatabaseEntry* SpawnSystem::PickEnchantment(const Actor& actor, int32_t rarity, int32_t level) const
{
    const SpawnEntry* entry = PickWeightedByLevel(PickEnchantmentTable(actor.npc, rarity), level);
    return entry ? entry->definition : nullptr;
}

Actor* SpawnSystem::PlaceSpawnedMonster(Actor* actor, const WorldPos& position)
{
    if (!actor || !gGameServices)
        return nullptr;
    SpawnSearch search;
    search.entity = actor;
    WorldPos spot = position;
    int32_t rings = gGameData ? gGameData->GetTuning().warpRings : 0;
    gGameServices->FindSpawnPosition(position, rings, search, true, spot);
    actor->SetPosition(spot);
    actor->SetGridPosition(spot);
    if (gGameServices->AddEntity(actor) == -1) {
        delete actor;
        return nullptr;
    }
    const std::string& model = GetEffectModel(actor->monsterRarity);
    if (!actor->npc && !model.empty())
        Entity::CreateAttachment(nullptr, actor, model, "origin", 1.0f);
    return actor;
}

Actor* SpawnSystem::SpawnMonsterByName(std::string_view name, const WorldPos& position, int32_t level)
{
    MonsterType* type = gGameData ? gGameData->FindMonsterType(name) : nullptr;
    if (!type)
        return nullptr;
    int32_t monsterLevel = level >= 0 ? level : type->GetMinLevel();
    return PlaceSpawnedMonster(SpawnMonster(type, type->rarity, monsterLevel, 0, false), position);
}

Actor* SpawnSystem::SpawnQuestMonster(const MonsterType* type, int32_t level, const WorldPos& position)
{
    if (!type)
        return nullptr;
    if (level < 0)
        level = MonsterLevelOf(*type, gWorld ? gWorld->GetLevelMonsterLevel(position.level) : 1);
    return PlaceSpawnedMonster(SpawnMonster(type, type->rarity, level, 0, false), position);
}

Actor* SpawnSystem::SpawnMonsterFromList(const std::vector<const MonsterType*>& types, int32_t level,
                                         const WorldPos& position)
{
    if (types.empty())
        return nullptr;
    return SpawnQuestMonster(types[SpawnUniformIndex(types.size())], level, position);
}

bool SpawnSystem::IsUncrowded(const Actor& actor, const WorldPos& position) const
{
    const MonsterType* type = actor.GetMonsterType();
    float tileSize = gGameData ? gGameData->GetTuning().tileSize : 64.0f;
    if (!type || type->size < tileSize || !gGameServices)
        return true;
    // A large body keeps one body's size from every other of its kind.
    std::vector<int32_t> near;
    gGameServices->CollectEntitiesNear(position, type->size, true, near);
    for (int32_t number : near) {
        const auto* other = dynamic_cast<const Actor*>(gGameServices->GetEntity(number));
        if (other && other != &actor && other->GetMonsterType() == type)
            return false;
    }
    return true;
}

Actor* SpawnSystem::TrySpawnMonsterAt(int32_t level, const WorldPos& position, int32_t minRarity)
{
    Actor* actor = TrySpawnMonster(level, 1.0f, 0, minRarity);
    if (!actor)
        return nullptr;
    if (!IsUncrowded(*actor, position)) {
        delete actor;
        return nullptr;
    }
    return PlaceSpawnedMonster(actor, position);
}

MonsterType* SpawnSystem::PickRandomMonsterType(int32_t level) const
{
    if (!gGameData)
        return nullptr;
    std::vector<MonsterType*> types;
    gGameData->CollectMonsterTypes(GameData::kMonsterFilterNormal, types, level, level);
    return types.empty() ? nullptr : types[SpawnUniformIndex(types.size())];
}

const MonsterType* SpawnSystem::PickGuardType(int32_t level) const
{
    if (!gGameData)
        return nullptr;
    std::vector<const MonsterType*> all;
    std::vector<const MonsterType*> fitting;
    for (int32_t i = 0; i < gGameData->GetMonsterTypeCount(); ++i) {
        const MonsterType* type = gGameData->GetMonsterType(i);
        if (!type || !type->GetEntry() || type->GetEntry()->GetString("GuardItem").empty())
            continue;
        all.push_back(type);
        if (type->GetMinLevel() <= level && level <= type->GetMaxLevel())
            fitting.push_back(type);
    }
    const std::vector<const MonsterType*>& pool = fitting.empty() ? all : fitting;
    return pool.empty() ? nullptr : pool[SpawnUniformIndex(pool.size())];
}
