// GameData -- the monster, attachment and NPC chat lists: loading, linking and the look-ups over them.
#include "rules/GameData.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "rules/IntArray.h"
#include "rules/chat/NpcChat.h"
#include "rules/monsters/Attachment.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterEnhancement.h"
#include "rules/monsters/MonsterType.h"

#include <algorithm>
#include <cmath>

namespace {

// Null for an empty name; a name the list lacks is logged, so the content lint sees it.
template <class T>
T* Resolve(const RecordList<T>& list, const std::string& name, const char* owner, std::string_view ownerName,
           const char* what)
{
    if (name.empty())
        return nullptr;
    T* found = list.FindByName(name);
    if (!found)
        DebugSystem::Print(kPrintWarning, "%s %s: no %s record %s\n", owner, std::string(ownerName).c_str(), what,
                           name.c_str());
    return found;
}

int32_t RarityFilterBits(int32_t rarity)
{
    switch (rarity) {
    case MonsterRarity::Unique: return GameData::kMonsterFilterUnique;
    case MonsterRarity::Legend: return GameData::kMonsterFilterLegend;
    case MonsterRarity::Boss: return GameData::kMonsterFilterBoss;
    default: return GameData::kMonsterFilterNormal;
    }
}

bool IsEligible(const MonsterType& type, int32_t level)
{
    return !type.IsUniqueOrLegend() && !type.excluded && type.archetype && type.archetype->initChance > 0.0f &&
           type.archetype->spawnChance > 0.0f && type.GetMinLevel() <= level && level <= type.GetMaxLevel();
}

} // namespace

void GameData::LoadMonsterRecords(const Database& database)
{
    archetypes.Load(database, DatabaseEntryType::MonsterArchetype);
    npcChats.Load(database, DatabaseEntryType::NpcChat);
    monsterDefinitions.Load(database, DatabaseEntryType::Actor);
    monsterEnhancements.Load(database, DatabaseEntryType::MonsterEnhancement);
    attachments.Load(database, DatabaseEntryType::Attachment);
    monsterTypes.Load(database, DatabaseEntryType::MonsterType);

    for (const auto& definition : monsterDefinitions)
        for (const std::string& chatName : definition->chatNames)
            if (const NpcChat* chat = Resolve(npcChats, chatName, "Actor", definition->name, "NpcChat"))
                definition->chats.push_back(chat);

    int32_t index = 0;
    for (const auto& type : monsterTypes) {
        std::string_view name = type->GetEntry()->GetName();
        type->index = index++;
        type->archetype = Resolve(archetypes, type->archetypeName, "MonsterType", name, "MonsterArchetype");
        type->definition = Resolve(monsterDefinitions, type->definitionName, "MonsterType", name, "Actor");
        type->baseType = Resolve(monsterTypes, type->baseTypeName, "MonsterType", name, "MonsterType");
        type->nextVariant = Resolve(monsterTypes, type->nextVariantName, "MonsterType", name, "MonsterType");
        type->legendType = Resolve(monsterTypes, type->legendTypeName, "MonsterType", name, "MonsterType");
        for (const std::string& versionName : type->versionNames)
            if (MonsterType* version = Resolve(monsterTypes, versionName, "MonsterType", name, "MonsterType"))
                type->versions.push_back(version);
        if (type->archetype)
            type->archetype->types.push_back(type.get());
    }
}

int32_t GameData::GetMonsterLevelShift() const
{
    return worldDifficulty == 0 ? 0 : GetDifficultyMonsterLevelStart(worldDifficulty) - 1;
}

MonsterArchetype* GameData::FindArchetype(std::string_view name) const
{
    return archetypes.FindByName(name);
}

MonsterArchetype* GameData::FindArchetype(const DatabaseEntry* entry) const
{
    return archetypes.FindByEntry(entry);
}

int32_t GameData::GetMonsterTypeCount() const
{
    return monsterTypes.GetCount();
}

MonsterType* GameData::GetMonsterType(int32_t index) const
{
    return monsterTypes.Get(index);
}

MonsterType* GameData::FindMonsterType(std::string_view name) const
{
    return monsterTypes.FindByName(name);
}

MonsterType* GameData::FindMonsterTypeBy(const DatabaseEntry* entry) const
{
    return monsterTypes.FindByEntry(entry);
}

void GameData::CollectMonsterTypes(int32_t filter, std::vector<MonsterType*>& out, int32_t minLevel,
                                   int32_t maxLevel) const
{
    out.clear();
    for (const auto& type : monsterTypes) {
        if (filter != kMonsterFilterAll && (filter & RarityFilterBits(type->rarity)) == 0)
            continue;
        if (type->GetMinLevel() <= maxLevel && minLevel <= type->GetMaxLevel())
            out.push_back(type.get());
    }
}

int32_t GameData::CountEligibleMonsterTypes(int32_t level) const
{
    int32_t count = 0;
    for (const auto& type : monsterTypes)
        count += IsEligible(*type, level) ? 1 : 0;
    return count;
}

MonsterType* GameData::GetEligibleMonsterType(int32_t level, int32_t n) const
{
    if (n < 0)
        return nullptr;
    for (const auto& type : monsterTypes)
        if (IsEligible(*type, level) && n-- == 0)
            return type.get();
    return nullptr;
}

int32_t GameData::GetKillScore(const IntArray& funStats, int32_t i, int32_t startLevel) const
{
    if (i < 0 || i + 1 >= funStats.GetCount())
        return 0;
    const MonsterType* type = GetMonsterType(funStats.Get(i));
    if (!type)
        return 0;
    uint32_t packed = static_cast<uint32_t>(funStats.Get(i + 1));
    int32_t level = static_cast<int32_t>(packed & 0xFF);
    int32_t rarity = static_cast<int32_t>((packed >> 8) & 0xFF);
    if (rarity >= MonsterRarity::kCount)
        rarity = type->rarity;
    int64_t levels = int64_t{level} - startLevel + 1;
    if (levels <= 0)
        return 0;
    double score = std::floor(static_cast<double>(levels) * 100.0 * GetXpMultMonster(rarity) + 0.5);
    return static_cast<int32_t>(std::clamp(score, 0.0, 2.0e9));
}

Attachment* GameData::FindAttachment(std::string_view name) const
{
    return attachments.FindByName(name);
}
