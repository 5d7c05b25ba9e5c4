// AreaDefinition -- one kind of area of an adventure: its piece file, size in levels, per-block spawn rolls, monster pools and gates.
#include "world/AreaDefinition.h"

#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EnumTable.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/monsters/MonsterArchetype.h"
#include "rules/monsters/MonsterType.h"
#include "world/Level.h"
#include "world/World.h"

#include <algorithm>
#include <unordered_set>

namespace {

// Monster levels are counted up to the game data's level limit: a hostile offset cannot make
// the pool walk run for billions of levels.
constexpr int32_t kAreaHighestPoolLevel = kLevelLimit;

int32_t AreaRollPerBlock(bool always, float chance, int32_t minimum, int32_t maximum)
{
    if (!always && !(chance > DrawRandomFloat(RandomStream::GameData)))
        return 0;
    return DrawRandomIndex(RandomStream::GameData, minimum, maximum);
}

int32_t AreaPickKind(const std::vector<AreaSpawnKind>& kinds, float total)
{
    if (!(total > 0.0f))
        return -1;
    float target = DrawRandomScaled(RandomStream::GameData, total);
    float sum = 0.0f;
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (!kinds[i].entry)
            continue;
        sum += kinds[i].spawnChance;
        if (sum > target)
            return static_cast<int32_t>(i);
    }
    return -1;
}

void AreaReadKinds(const DatabaseEntry& entry, const char* key, std::vector<AreaSpawnKind>& kinds, float& total)
{
    std::vector<std::string> names;
    entry.GetStringList(key, names, true, false);
    for (const std::string& name : names) {
        const DatabaseEntry* kind = gDatabase ? gDatabase->FindEntryByName(name) : nullptr;
        if (!kind)
            continue;
        kinds.push_back({kind->GetFloat("SpawnChance", 0.0f), kind});
        total += kinds.back().spawnChance;
    }
}

void AreaReadArchetypes(const DatabaseEntry& entry, const char* key, std::vector<MonsterArchetype*>& out)
{
    std::vector<std::string> names;
    entry.GetStringList(key, names, true, false);
    for (const std::string& name : names) {
        const DatabaseEntry* found = gDatabase ? gDatabase->FindEntryByName(name) : nullptr;
        MonsterArchetype* archetype = found && gGameData ? gGameData->FindArchetype(found) : nullptr;
        if (archetype && archetype->initChance > 0.0f)
            out.push_back(archetype);
    }
}

Color AreaSunColor(const DatabaseEntry& entry, const char* colorKey, const char* intensityKey)
{
    Color color = ParseColor(entry.GetString(colorKey));
    float intensity = entry.GetFloat(intensityKey, 0.0f);
    return {color.r * intensity, color.g * intensity, color.b * intensity};
}

float AreaArchetypeSpawnChance(const MonsterType* type)
{
    return type->archetype ? type->archetype->spawnChance : 0.0f;
}

void AreaLoadShader(const std::string& name, ResourceHandle& out)
{
    if (gResourceManager)
        LoadTextureByName(name, out, TextureUsage::TwoSidedVertexColor);
}

} // namespace

AreaDefinition::AreaDefinition() = default;
AreaDefinition::~AreaDefinition() = default;

void AreaDefinition::Load(const DatabaseEntry* entry)
{
    record = entry;
    if (!entry)
        return;
    const DatabaseEntry& e = *entry;
    name = e.GetString("Name");
    areaFileName = e.GetString("AreaFileName");
    soundFileName = e.GetString("SoundFileName");
    minWidth = e.GetInt("MinWidth");
    maxWidth = e.GetInt("MaxWidth");
    minHeight = e.GetInt("MinHeight");
    maxHeight = e.GetInt("MaxHeight");
    minDepth = e.GetInt("MinDepth");
    maxDepth = e.GetInt("MaxDepth");
    maxBlockWidth = e.GetInt("MaxBlockWidth");
    maxBlockHeight = e.GetInt("MaxBlockHeight");
    minBlocks = e.GetInt("MinBlocks");
    monsterChancePerBlock = e.GetFloat("MonsterChancePerBlock", 0.0f);
    minMonstersPerBlock = e.GetInt("MinMonstersPerBlock");
    maxMonstersPerBlock = e.GetInt("MaxMonstersPerBlock");
    chestChancePerBlock = e.GetFloat("ChestChancePerBlock", 0.0f);
    minChestsPerBlock = e.GetInt("MinChestsPerBlock");
    maxChestsPerBlock = e.GetInt("MaxChestsPerBlock");
    trapChancePerBlock = e.GetFloat("TrapChancePerBlock", 0.0f);
    minTrapsPerBlock = e.GetInt("MinTrapsPerBlock");
    maxTrapsPerBlock = e.GetInt("MaxTrapsPerBlock");
    questItemChancePerBlock = e.GetFloat("QuestItemChancePerBlock", 0.0f);
    maxQuestItemsPerBlock = e.GetInt("MaxQuestItemsPerBlock");
    std::string questItemName = e.GetString("QuestItem");
    questItem = gDatabase && !questItemName.empty() ? gDatabase->FindEntryByName(questItemName) : nullptr;
    monsterTypesToUse = e.GetInt("NumMonsterTypesToUse");
    minMonsterLevelOffset = e.GetInt("MinMonsterLevelOffset");
    maxMonsterLevelOffset = e.GetInt("MaxMonsterLevelOffset");
    minDesiredMonsterLevelOffset = e.GetInt("MinDesiredMonsterLevelOffset");
    maxDesiredMonsterLevelOffset = e.GetInt("MaxDesiredMonsterLevelOffset");
    npcSpawnChance = e.GetFloat("NpcSpawnChance", 0.0f);
    dungeonChance = e.GetFloat("DungeonChance", 0.0f);
    spawnGate = e.GetInt("SpawnGate") != 0;
    spawnChance = e.GetFloat("SpawnChance", 0.0f);
    daySunColor = AreaSunColor(e, "DaySunColor", "DaySunIntensity");
    nightSunColor = AreaSunColor(e, "NightSunColor", "NightSunIntensity");
    colorTransitionTime = e.GetFloat("ColorTransitionTime", 0.0f);
    LoadLists(e);
    levelGenerator = ParseLevelGeneratorName(e.GetString("RandomLevelGenerator"));
    AreaLoadShader(e.GetString("DefaultShader"), defaultShader);
    entranceGateName = e.GetString("EntranceGateName");
    downGateName = e.GetString("DownGateName");
    upGateName = e.GetString("UpGateName");
    treasureMapChestName = e.GetString("TreasureMapChestName");
    weatherIntensityMult = e.GetFloat("WeatherIntensityMult", 0.0f);
    maxBlockFailures = e.GetInt("MaxBlockFailures");
    maxLevelFailures = e.GetInt("MaxLevelFailures");
    playerCanCreateGate = e.GetInt("PlayerCanCreateGate") != 0;
    uniqueMonstersAllowed = e.GetInt("UniqueMonstersAllowed") != 0;
    secretLevel = e.GetInt("SecretLevel") != 0;
    textFile = e.GetString("TextFile");
    startPosition = ParseVector2(e.GetString("StartPosition"));
    areaDown = e.GetString("AreaDown");
    areaNorth = e.GetString("AreaNorth");
    areaSouth = e.GetString("AreaSouth");
    areaWest = e.GetString("AreaWest");
    areaEast = e.GetString("AreaEast");
    canBePurged = e.GetInt("CanBePurged") != 0;
    autoMap = e.GetInt("AutoMap") != 0;
    trapsAllowed = e.GetInt("TrapsAllowed") != 0;
    musicName = e.GetString("MusicName");
    AreaLoadShader(e.GetString("DefaultMapShader"), defaultMapShader);
}

void AreaDefinition::LoadLists(const DatabaseEntry& entry)
{
    AreaReadArchetypes(entry, "MonsterSpawn", monsterArchetypes);
    AreaReadArchetypes(entry, "DesiredMonsterSpawn", desiredArchetypes);
    desiredChanceMult = entry.GetFloat("DesiredChanceMult", 0.0f);
    AreaReadKinds(entry, "ChestSpawn", chestKinds, chestKindTotal);
    AreaReadKinds(entry, "TrapSpawn", trapKinds, trapKindTotal);
    const EnumTable* ranks = EnumTable::Find("MonsterRarity");
    for (int32_t rank = 0; rank < MonsterRarity::kCount; ++rank) {
        std::string rankName = ranks ? ranks->GetName(rank) : std::string();
        dayRankChances[static_cast<size_t>(rank)] = entry.GetFloat("MonsterChance" + rankName, 0.0f);
        nightRankChances[static_cast<size_t>(rank)] = entry.GetFloat("MonsterNightChance" + rankName, 0.0f);
    }
}

int32_t AreaDefinition::ParseLevelGeneratorName(std::string_view generatorName)
{
    const EnumTable* table = EnumTable::Find("RandomGenerator");
    return table ? table->Lookup(generatorName) : 0;
}

void AreaDefinition::RollSize(int32_t& width, int32_t& height) const
{
    width = DrawRandomIndex(RandomStream::BlockPoints, minWidth, maxWidth);
    height = DrawRandomIndex(RandomStream::BlockPoints, minHeight, maxHeight);
}

int32_t AreaDefinition::RollMonstersPerBlock(bool always) const
{
    return AreaRollPerBlock(always, monsterChancePerBlock, minMonstersPerBlock, maxMonstersPerBlock);
}

int32_t AreaDefinition::RollChestsPerBlock(bool always) const
{
    return AreaRollPerBlock(always, chestChancePerBlock, minChestsPerBlock, maxChestsPerBlock);
}

int32_t AreaDefinition::RollTrapsPerBlock() const
{
    return AreaRollPerBlock(false, trapChancePerBlock, minTrapsPerBlock, maxTrapsPerBlock);
}

int32_t AreaDefinition::PickChestKind() const
{
    return AreaPickKind(chestKinds, chestKindTotal);
}

int32_t AreaDefinition::PickTrapKind() const
{
    return AreaPickKind(trapKinds, trapKindTotal);
}

void AreaDefinition::BuildMonsterPools(int32_t depth)
{
    if (poolsBuilt)
        return;
    poolsBuilt = true;
    CollectCandidates(depth);
    for (int32_t i = 0; i < monsterTypesToUse; ++i) {
        MonsterType* drawn = DrawCandidate();
        if (!drawn)
            break;
        AddToPoolA(drawn);
    }
}

void AreaDefinition::CollectCandidates(int32_t depth)
{
    std::vector<MonsterType*> types;
    for (MonsterArchetype* archetype : monsterArchetypes) {
        bool desired = IsDesired(archetype);
        int32_t low = depth + (desired ? minDesiredMonsterLevelOffset : minMonsterLevelOffset);
        int32_t high = depth + (desired ? maxDesiredMonsterLevelOffset : maxMonsterLevelOffset);
        low = std::clamp(low, 1, kAreaHighestPoolLevel);
        high = std::clamp(high, 1, kAreaHighestPoolLevel);
        for (int32_t level = low; level <= high; ++level) {
            archetype->GetTypesForLevel(level, types);
            for (MonsterType* type : types) {
                if (type->excluded)
                    continue;
                MonsterType* candidate = type->baseType ? type->baseType : type;
                if (std::find(candidates.begin(), candidates.end(), candidate) == candidates.end())
                    candidates.push_back(candidate);
            }
        }
    }
}

float AreaDefinition::CandidateWeight(const MonsterType* type) const
{
    if (!type->archetype)
        return 0.0f;
    float weight = type->archetype->initChance;
    return IsDesired(type->archetype) ? weight * desiredChanceMult : weight;
}

MonsterType* AreaDefinition::DrawCandidate()
{
    float total = 0.0f;
    for (const MonsterType* type : candidates) {
        if (type)
            total += CandidateWeight(type);
    }
    float target = DrawRandomScaled(RandomStream::GameData, total);
    float sum = 0.0f;
    for (MonsterType*& type : candidates) {
        if (!type)
            continue;
        sum += CandidateWeight(type);
        if (sum > target) {
            MonsterType* drawn = type;
            type = nullptr;
            return drawn;
        }
    }
    return nullptr;
}

void AreaDefinition::AddToPoolA(MonsterType* type)
{
    // Variant and base links come from the database: a loop among them must end.
    std::unordered_set<const MonsterType*> visited;
    std::vector<MonsterType*> pending{type};
    while (!pending.empty()) {
        MonsterType* chain = pending.back();
        pending.pop_back();
        for (MonsterType* t = chain; t && !t->excluded && visited.insert(t).second; t = t->nextVariant) {
            poolA.push_back(t);
            poolATotal += AreaArchetypeSpawnChance(t);
            if (t->baseType)
                pending.push_back(t->baseType);
        }
    }
}

void AreaDefinition::AddToPoolB(MonsterType* type, float weightFactor, int32_t tag)
{
    std::unordered_set<const MonsterType*> visited;
    std::vector<MonsterType*> pending{type};
    while (!pending.empty()) {
        MonsterType* chain = pending.back();
        pending.pop_back();
        for (MonsterType* t = chain; t && visited.insert(t).second; t = t->nextVariant) {
            bool held = std::any_of(poolB.begin(), poolB.end(),
                                    [&](const AreaPoolEntry& e) { return e.type == t && e.tag == tag; });
            if (held)
                break;
            AreaPoolEntry added{AreaArchetypeSpawnChance(t) * weightFactor, t, tag};
            auto emptied = std::find_if(poolB.begin(), poolB.end(), [](const AreaPoolEntry& e) { return !e.type; });
            if (emptied != poolB.end())
                *emptied = added;
            else
                poolB.push_back(added);
            poolBTotal += added.weight;
            if (t->baseType)
                pending.push_back(t->baseType);
        }
    }
}

void AreaDefinition::AddToPoolBIfKnown(MonsterType* type, float weightFactor, int32_t tag)
{
    if (!type)
        return;
    std::unordered_set<const MonsterType*> visited;
    MonsterType* root = type;
    while (root->baseType && visited.insert(root).second)
        root = root->baseType;
    bool known = std::find(candidates.begin(), candidates.end(), root) != candidates.end() ||
                 std::find(poolA.begin(), poolA.end(), root) != poolA.end();
    if (known)
        AddToPoolB(type, weightFactor, tag);
}

void AreaDefinition::RemoveFromPoolB(int32_t tag)
{
    for (AreaPoolEntry& entry : poolB) {
        if (!entry.type || entry.tag != tag)
            continue;
        poolBTotal -= entry.weight;
        entry = {};
    }
}

MonsterType* AreaDefinition::PickMonster() const
{
    if (!(poolATotal > 0.0f) && !(poolBTotal > 0.0f))
        return nullptr;
    float draw = DrawRandomFloat(RandomStream::GameData);
    float sum = 0.0f;
    if (draw * (poolATotal + poolBTotal) >= poolATotal) {
        float target = DrawRandomScaled(RandomStream::GameData, poolBTotal);
        for (const AreaPoolEntry& entry : poolB) {
            if (!entry.type)
                continue;
            sum += entry.weight;
            if (sum > target)
                return entry.type;
        }
        return nullptr;
    }
    float target = DrawRandomScaled(RandomStream::GameData, poolATotal);
    for (MonsterType* type : poolA) {
        sum += AreaArchetypeSpawnChance(type);
        if (sum > target)
            return type;
    }
    return nullptr;
}

bool AreaDefinition::IsDesired(const MonsterArchetype* archetype) const
{
    return std::find(desiredArchetypes.begin(), desiredArchetypes.end(), archetype) != desiredArchetypes.end();
}

bool AreaDefinition::IsJoinedWith(const AreaDefinition* area) const
{
    return std::find(joinedAreas.begin(), joinedAreas.end(), area) != joinedAreas.end();
}

float AreaDefinition::GetMonsterRankChance(bool night, int32_t rank) const
{
    if (rank < 0 || rank >= MonsterRarity::kCount)
        return 0.0f;
    return (night ? nightRankChances : dayRankChances)[static_cast<size_t>(rank)];
}

const std::string& AreaDefinition::GetGateName(int32_t levelIndex, bool down) const
{
    if (!down)
        return upGateName;
    bool own = std::any_of(levels.begin(), levels.end(),
                           [levelIndex](const Level* level) { return level->index == levelIndex; });
    return own ? downGateName : entranceGateName;
}

Vector2 AreaDefinition::GetStartPosition(std::string_view gateName) const
{
    if (!record || gateName.empty())
        return startPosition;
    return ParseVector2(record->GetString("StartPosition" + std::string(gateName)));
}

WorldPos AreaDefinition::GetCenterPosition() const
{
    GameSystemTuning defaults;
    const GameSystemTuning& tuning = gGameData ? gGameData->GetTuning() : defaults;
    WorldPos centre;
    centre.level = levels.empty() ? -1 : levels.front()->index;
    centre.x = 0.5f * static_cast<float>(tuning.levelTileWidth) * tuning.tileSize;
    centre.y = 0.5f * static_cast<float>(tuning.levelTileHeight) * tuning.tileSize;
    return centre;
}

void AreaDefinition::PlaceGate()
{
    if (!used || levels.empty() || !spawnGate || !gWorld)
        return;
    Level* level = levels[static_cast<size_t>(
        DrawRandomIndex(RandomStream::BlockPoints, 0, static_cast<int32_t>(levels.size()) - 1))];
    level->gatePosition = gWorld->RandomPointInLevel(level->index);
    level->hasGate = true;
}

Level* AreaDefinition::FindGateLevel() const
{
    auto found = std::find_if(levels.begin(), levels.end(), [](const Level* level) { return level->hasGate; });
    return found == levels.end() ? nullptr : *found;
}

std::string AreaDefinition::DisplayName(int32_t monsterLevel) const
{
    if (name.empty() || monsterLevel < 1)
        return name;
    return StringFormat("%s lvl %d", name.c_str(), monsterLevel);
}
