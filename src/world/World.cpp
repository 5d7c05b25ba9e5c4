// World -- the adventure's map: its levels on the layout grid, sections and areas, secret levels, monster levels and par times.
#include "world/World.h"

#include "core/ColorCode.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/EnumTable.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "core/Vector.h"
#include "core/system/PlatformSystem.h"
#include "resources/ResourceManager.h"
#include "rules/GameData.h"
#include "world/AreaDefinition.h"
#include "world/AreaResource.h"
#include "world/LayoutGrid.h"
#include "world/LevelCells.h"
#include "world/LevelData.h"
#include "world/LevelGenerator.h"
#include "world/LevelQueries.h"
#include "world/WorldGateRecords.h"
#include "world/WorldLayout.h"
#include "world/WorldSection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <unordered_set>

World* gWorld = nullptr;

namespace {

constexpr LevelStep kWorldDirectionSteps[kWorldDirectionCount] = {
    {-1, 1}, {0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0},
};

constexpr const char* kWorldGeneratorNames[] = {"Normal", "Cave", "Dungeon"};
constexpr const char* kWorldTreasureAreaName = "$$WenmarrsTreasure$$";
// Colour-table entries of the par-time lines: beaten, missed, and the plain text after them.
constexpr int32_t kWorldParBeatenColor = 2;
constexpr int32_t kWorldParMissedColor = 1;
constexpr int32_t kWorldPlainTextColor = 145;
constexpr float kWorldDurationPrecision = 0.05f;
// A blocked-near question never probes more than this many tiles out, whatever radius it asks.
constexpr float kWorldMaxBlockedNearTiles = 8.0f;

// Where a passage opens along a side: an inner block, so the corner blocks never hold it. Level 0
// opens at block 3 where the side is long enough; a side of fewer than 3 blocks has no inner
// block and opens in its middle.
int32_t WorldPassageOpening(int32_t blocks, bool levelZero)
{
    if (blocks < 3)
        return std::max(blocks / 2, 0);
    if (levelZero)
        return std::clamp(3, 1, blocks - 2);
    return 1 + (gRandomSystem ? gRandomSystem->RandomInt(RandomStream::BlockPoints, blocks - 2) : 0);
}

// One step across a level edge for whole coordinates: -1 below, 1 at or beyond the count.
int32_t WorldEdgeStep(int32_t value, int32_t count)
{
    return value < 0 ? -1 : (value >= count ? 1 : 0);
}

const GameSystemTuning& WorldTuning()
{
    static const GameSystemTuning defaults;
    return gGameData ? gGameData->GetTuning() : defaults;
}

std::string WorldParLine(const char* key, int32_t seconds, bool beaten)
{
    std::string duration = FormatSeconds(static_cast<float>(seconds), DurationStyle::Words, kWorldDurationPrecision);
    return MakeColorCode(beaten ? kWorldParBeatenColor : kWorldParMissedColor) + "$$" + key + "~<" + duration +
           "@@>~$$" + MakeColorCode(kWorldPlainTextColor);
}

} // namespace

LevelStep LevelStepOfDirection(int32_t direction)
{
    if (direction < 0 || direction >= kWorldDirectionCount)
        return {};
    return kWorldDirectionSteps[direction];
}

int32_t DirectionOfLevelStep(LevelStep step)
{
    for (int32_t direction = 0; direction < kWorldDirectionCount; ++direction) {
        if (kWorldDirectionSteps[direction].dx == step.dx && kWorldDirectionSteps[direction].dy == step.dy)
            return direction;
    }
    return kNoWorldDirection;
}

int32_t LevelSideOfDirection(int32_t direction)
{
    switch (direction) {
    case 1: return 0;
    case 7: return 1;
    case 3: return 2;
    case 5: return 3;
    default: return -1;
    }
}

World::World()
{
    const GameSystemTuning& tuning = WorldTuning();
    SetLevelSize(static_cast<float>(tuning.levelTileWidth) * tuning.tileSize,
                 static_cast<float>(tuning.levelTileHeight) * tuning.tileSize);
}

World::~World()
{
    Destroy();
}

void World::Create()
{
    selectedSizeEntry = -1;
    callbacksEnabled = true;
    Reset();
}

void World::Reset()
{
    active = false;
    // The levels go with their references below; the anchors that held them go first.
    anchors.Clear();
    secretLevelsMade = false;
    // Generated levels give their area files back first, announcing their release.
    for (auto& level : levels)
        LevelGenerator::DropAllReferences(*level);
    levels.clear();
    secretLevelCount = 0;
    sections.clear();
    secretAreas.clear();
    layoutGrid.reset();
    pendingJoins.clear();
    worldSizes.clear();
    selectedSize = -1;
    highestMonsterLevel = 0;
    lowestMonsterLevel = 0;
    EnumTable::RegisterNames({"RandomGenerator", 0, kWorldGeneratorNames});
}

void World::Destroy()
{
    callbacksEnabled = false;
    Reset();
}

void World::RegisterResourceTypes()
{
    gResourceManager->RegisterType("ara", kMemGeneral, true, "", true, AreaResource::Create, AreaResource::CreateMissing);
}

bool World::ReadFromDatabase(std::string_view name, int32_t newDifficulty, bool fatalWhenMissing)
{
    Reset();
    active = true;
    if (gGameData) {
        SetLevelSize(gGameData->GetTuning().levelWidth, gGameData->GetTuning().levelHeight);
        gGameData->SetStartPosition({});
    }
    if (layoutSeed == 0)
        layoutSeed = DrawRandomStep(RandomStream::GameData);
    if (gRandomSystem)
        gRandomSystem->SetState(RandomStream::BlockPoints, layoutSeed);

    adventureName = name;
    const DatabaseEntry* adventure = gDatabase ? gDatabase->FindEntryByName(name) : nullptr;
    if (!adventure) {
        adventureName = "World";
        adventure = gDatabase ? gDatabase->FindEntryByName(adventureName) : nullptr;
    }
    if (!adventure) {
        Reset();
        if (fatalWhenMissing)
            gPlatformSystem->CriticalError("Invalid Adventure!\n");
        DebugSystem::Print(kPrintWarning, "No adventure %.*s and no World record\n", static_cast<int>(name.size()),
                           name.data());
        return false;
    }
    if (!ReadSizes(*adventure)) {
        Reset();
        return false;
    }
    CreateLayoutGrid(worldSizes[static_cast<size_t>(selectedSize)]);
    ReadSecretAreas(*adventure);
    ReadSections(*adventure);
    WorldLayout layout(*this, *layoutGrid, worldSizes[static_cast<size_t>(selectedSize)]);
    for (auto& section : sections)
        layout.LayOutSection(*section);
    JoinGrid();
    JoinAreas();
    for (auto& level : levels)
        level->seed = DrawRandomStep(RandomStream::BlockPoints);
    for (auto& section : sections)
        section->Finish();
    difficulty = newDifficulty;
    if (gGameData)
        gGameData->SetWorldDifficulty(difficulty);
    AssignMonsterLevels();
    UpdateMonsterLevelRange();
    ReadRules(*adventure);
    layoutGrid.reset();
    PublishStartPosition();
    return true;
}

void World::PublishStartPosition() const
{
    GameData::StartPosition start;
    Vector2 at;
    start.valid = GetLevelStartPosition(start.level, "", at);
    start.x = at.x;
    start.y = at.y;
    if (gGameData)
        gGameData->SetStartPosition(start);
}

bool World::ReadSizes(const DatabaseEntry& adventure)
{
    std::vector<std::string> names;
    adventure.GetStringList("WorldSize", names, true, false);
    for (const std::string& sizeName : names) {
        if (const DatabaseEntry* entry = gDatabase->FindEntryByName(sizeName))
            worldSizes.push_back(WorldSize::FromEntry(*entry));
    }
    if (worldSizes.empty()) {
        DebugSystem::Print(kPrintWarning, "Adventure %s has no world size: it can't be played\n", adventureName.c_str());
        return false;
    }
    SelectSize();
    return true;
}

void World::SelectSize()
{
    const DatabaseEntry* wanted = selectedSizeEntry != -1 ? gDatabase->GetEntryByIndex(selectedSizeEntry) : nullptr;
    std::string wantedName = wanted ? wanted->GetString("Name") : std::string("Standard");
    for (size_t i = 0; i < worldSizes.size(); ++i) {
        if (worldSizes[i].name == wantedName) {
            selectedSize = static_cast<int32_t>(i);
            selectedSizeEntry = worldSizes[i].entryIndex;
            return;
        }
    }
    // The layout needs a size: the first one stands in.
    DebugSystem::Print(kPrintWarning, "Adventure %s has no world size %s; %s is used\n", adventureName.c_str(),
                       wantedName.c_str(), worldSizes.front().name.c_str());
    selectedSize = 0;
}

void World::ReadSecretAreas(const DatabaseEntry& adventure)
{
    secretChanceTotal = 0.0f;
    secretLevelCount = adventure.GetInt("NumSecretLevels");
    std::vector<std::string> names;
    adventure.GetStringList("Secret", names, true, false);
    for (const std::string& areaName : names) {
        const DatabaseEntry* entry = gDatabase->FindEntryByName(areaName);
        if (!entry)
            continue;
        auto area = std::make_unique<AreaDefinition>();
        area->Load(entry);
        secretChanceTotal += area->spawnChance;
        secretAreas.push_back(std::move(area));
    }
}

void World::ReadSections(const DatabaseEntry& adventure)
{
    std::vector<std::string> names;
    adventure.GetStringList("Section", names, true, false);
    for (const std::string& sectionName : names) {
        const DatabaseEntry* entry = gDatabase->FindEntryByName(sectionName);
        if (!entry)
            continue;
        auto section = std::make_unique<WorldSection>();
        section->Load(*entry);
        sections.push_back(std::move(section));
    }
}

void World::ReadRules(const DatabaseEntry& adventure)
{
    textFile = adventure.GetString("TextFile");
    adventure.GetStringList("BeginningQuest", beginningQuests, true, false);
    adventure.GetStringList("PlayerStatusEffect", playerStatusEffects, true, false);
    adventure.GetStringList("UnlockOnWin", unlocksOnWin, true, false);
    playerLives = adventure.GetInt("PlayerLives");
    secretCount = adventure.GetInt("NumSecrets");
    greatTimeSeconds = adventure.GetInt("GreatTimeInSeconds");
    greatTimeScoreMult = adventure.GetFloat("GreatTimeScoreMult", 0.0f);
    goodTimeSeconds = adventure.GetInt("GoodTimeInSeconds");
    goodTimeScoreMult = adventure.GetFloat("GoodTimeScoreMult", 0.0f);
    epilogueText = adventure.GetString("EpilogText");
    musicName = adventure.GetString("MusicName");
}

void World::AssignMonsterLevels()
{
    int32_t base = gGameData ? gGameData->GetDifficultyMonsterLevelStart(difficulty) : 1;
    for (auto& section : sections) {
        AssignSectionMonsterLevels(*section, base);
        base += section->monsterLevelsFromDepth;
    }
}

void World::AssignSectionMonsterLevels(WorldSection& section, int32_t base)
{
    section.lowestMonsterLevel = base;
    section.highestMonsterLevel = base;
    const WorldSize* size = GetSelectedSize();
    if (!layoutGrid || !size)
        return;
    float depthStep = size->sectionLevelDepth != 0
                          ? static_cast<float>(section.monsterLevelsFromDepth) / static_cast<float>(size->sectionLevelDepth)
                          : 0.0f;
    int32_t halfWidth = layoutGrid->GetWidth() / 2;
    for (int32_t row = section.firstRow; row <= section.lastRow; ++row) {
        int32_t first = 0;
        int32_t last = -1;
        layoutGrid->GetSpan(row, first, last);
        for (int32_t column = first; column <= last; ++column) {
            Level* level = GetGridCell(column, row);
            if (!level)
                continue;
            float value = static_cast<float>(std::abs(column - halfWidth)) * section.monsterLevelsFromWidth +
                          static_cast<float>(base) + static_cast<float>(row - section.firstRow) * depthStep;
            level->monsterLevel = static_cast<int32_t>(value);
            if (level->area)
                level->area->BuildMonsterPools(level->monsterLevel);
            PassMonsterLevelDownGates(level->index);
            section.highestMonsterLevel = std::max(section.highestMonsterLevel, level->monsterLevel);
        }
    }
}

void World::PassMonsterLevelDownGates(int32_t index)
{
    Level* top = GetLevel(index);
    if (!top)
        return;
    // Gates pair up in both directions and content may link a chain back on itself: each level
    // is given its level once.
    std::unordered_set<int32_t> visited{index};
    std::vector<Level*> pending{top};
    while (!pending.empty()) {
        Level* from = pending.back();
        pending.pop_back();
        for (int32_t i = 0; i < LevelQueries::GetGateCount(*from); ++i) {
            Level* next = GetLevel(LevelQueries::GetGate(*from, i).targetLevel);
            if (!next || !visited.insert(next->index).second)
                continue;
            next->monsterLevel = from->monsterLevel + 1;
            if (next->area)
                next->area->BuildMonsterPools(next->monsterLevel);
            pending.push_back(next);
        }
    }
}

void World::UpdateMonsterLevelRange()
{
    highestMonsterLevel = 0;
    lowestMonsterLevel = 100;
    for (const auto& level : levels) {
        highestMonsterLevel = std::max(highestMonsterLevel, level->monsterLevel);
        lowestMonsterLevel = std::min(lowestMonsterLevel, level->monsterLevel);
    }
}

void World::DropSecretLevels()
{
    // A second call rebuilds from the new seed instead of appending a second set.
    for (auto& [key, anchor] : anchors.GetAll()) {
        if (anchor.anchoredLevel >= firstSecretLevel)
            anchors.Move(*anchors.Find(key), -1);
    }
    while (GetLevelCount() > firstSecretLevel) {
        Level& level = *levels.back();
        LevelGenerator::DropAllReferences(level);
        if (level.area)
            std::erase(level.area->levels, &level);
        levels.pop_back();
    }
}

void World::CreateSecretLevels()
{
    if (secretLevelsMade)
        DropSecretLevels();
    secretLevelsMade = true;
    if (gRandomSystem)
        gRandomSystem->SetState(RandomStream::Quest, secretSeed);
    firstSecretLevel = GetLevelCount();
    for (int32_t i = 0; i < secretLevelCount; ++i) {
        if (AreaDefinition* area = PickSecretArea())
            AddDetachedLevel(area);
    }
    treasureLevel = GetLevelCount();
    for (auto& area : secretAreas) {
        if (StringEqualsNoCase(area->name, kWorldTreasureAreaName)) {
            AddDetachedLevel(area.get());
            break;
        }
    }
}

AreaDefinition* World::PickSecretArea()
{
    if (secretAreas.empty())
        return nullptr;
    float target = DrawRandomScaled(RandomStream::Quest, secretChanceTotal);
    float sum = 0.0f;
    for (auto& area : secretAreas) {
        sum += area->spawnChance;
        if (sum > target)
            return area.get();
    }
    return nullptr;
}

void World::AddDetachedLevel(AreaDefinition* area)
{
    auto level = std::make_unique<Level>();
    level->area = area;
    level->monsterLevel = 1;
    area->BuildMonsterPools(1);
    level->seed = DrawRandomStep(RandomStream::Quest);
    area->levels.push_back(AddLevel(std::move(level)));
}

const WorldSize* World::GetSelectedSize() const
{
    if (selectedSize < 0 || selectedSize >= static_cast<int32_t>(worldSizes.size()))
        return nullptr;
    return &worldSizes[static_cast<size_t>(selectedSize)];
}

void World::SetLevelSize(float width, float height)
{
    levelWidth = width;
    levelHeight = height;
}

void World::InvalidateCachedBlocksOf(const AreaResource* area)
{
    for (const std::unique_ptr<Level>& level : levels)
        if (level->data && (!area || LevelGenerator::GetArea(*level) == area))
            LevelQueries::InvalidateCachedBlocks(*level);
}

Level* World::GetLevel(int32_t index) const
{
    if (index < 0 || index >= GetLevelCount())
        return nullptr;
    return levels[static_cast<size_t>(index)].get();
}

Level* World::AddLevel(std::unique_ptr<Level> level)
{
    level->index = GetLevelCount();
    levels.push_back(std::move(level));
    return levels.back().get();
}

void World::CreateLayoutGrid(const WorldSize& size)
{
    layoutGrid = std::make_unique<LayoutGrid>(size.width, size.height);
}

Level* World::GetGridCell(int32_t column, int32_t row) const
{
    return layoutGrid ? layoutGrid->GetCell(column, row) : nullptr;
}

Level* World::AddLevelToGrid(int32_t row, int32_t column, std::unique_ptr<Level> level, bool path)
{
    level->column = column;
    level->row = row;
    Level* added = AddLevel(std::move(level));
    if (layoutGrid)
        layoutGrid->Place(row, column, added, path);
    return added;
}

Level* World::AddSubLevel(Level* parent, std::unique_ptr<Level> level)
{
    Level* added = AddLevel(std::move(level));
    WorldPos parentPoint = RandomPointInLevel(parent->index);
    WorldPos newPoint = RandomPointInLevel(added->index);
    int32_t parentGateCount = static_cast<int32_t>(parent->gates.size());
    parent->gates.push_back({parentPoint, added->index, static_cast<int32_t>(added->gates.size()), true});
    added->gates.push_back({newPoint, parent->index, parentGateCount, false});
    added->hasParent = true;
    added->parent = parent;
    return added;
}

void World::ConnectLevels(Level* a, Level* b, LevelJoin join)
{
    if (!a || !b)
        return;
    int32_t direction = DirectionBetween(a->index, b->index);
    if (direction == kNoWorldDirection)
        return;
    a->neighbours[static_cast<size_t>(direction)] = b->index;
    b->neighbours[static_cast<size_t>((direction + 4) % 8)] = a->index;
    int32_t sideA = LevelSideOfDirection(direction);
    if (sideA < 0)
        return;
    size_t sa = static_cast<size_t>(sideA);
    size_t sb = static_cast<size_t>(kLevelSideCount - 1 - sideA);
    if (a->area == b->area || join == LevelJoin::Open) {
        a->sideKinds[sa] = b->sideKinds[sb] = kLevelSideOpen;
    } else if (join == LevelJoin::Undecided) {
        a->sideKinds[sa] = b->sideKinds[sb] = kLevelSideUndecided;
        auto same = [&](const std::pair<int32_t, int32_t>& p) {
            return (p.first == a->index && p.second == b->index) || (p.first == b->index && p.second == a->index);
        };
        if (std::none_of(pendingJoins.begin(), pendingJoins.end(), same))
            pendingJoins.emplace_back(a->index, b->index);
    } else if (join == LevelJoin::Passage) {
        int32_t opening = WorldPassageOpening(LevelGeometry::Current().blocksPerRow, a->index == 0);
        a->sideKinds[sa] = b->sideKinds[sb] = kLevelSidePassage;
        a->sideOpenings[sa] = b->sideOpenings[sb] = opening;
        if (a->area && b->area) {
            a->area->joinedAreas.push_back(b->area);
            b->area->joinedAreas.push_back(a->area);
        }
    } else {
        a->sideKinds[sa] = b->sideKinds[sb] = kLevelSideWall;
    }
}

void World::JoinGrid()
{
    if (!layoutGrid)
        return;
    // Each cell is joined with those left, above-left, above, above-right and right of it; the
    // rest reach it from their own side.
    constexpr LevelStep kJoinSteps[] = {{-1, 0}, {-1, 1}, {0, 1}, {1, 1}, {1, 0}};
    for (int32_t row = 0; row < layoutGrid->GetRowCount(); ++row) {
        int32_t first = 0;
        int32_t last = -1;
        layoutGrid->GetSpan(row, first, last);
        for (int32_t column = first; column <= last; ++column) {
            Level* level = GetGridCell(column, row);
            for (LevelStep step : kJoinSteps)
                ConnectLevels(level, GetGridCell(column + step.dx, row + step.dy), LevelJoin::Undecided);
        }
    }
    // Each pass that changes anything adds a neighbour, so the passes end.
    for (bool changed = true; changed;) {
        changed = false;
        for (auto& level : levels)
            changed = LevelGenerator::SettleNeighbours(*this, *level) || changed;
    }
}

void World::JoinAreas()
{
    auto joinable = [](const AreaDefinition* a, const AreaDefinition* b) {
        return !a->IsJoinedWith(b) && (a->section == b->section || a->fixed);
    };
    for (size_t i = 0; i < pendingJoins.size(); ++i) {
        Level* first = GetLevel(pendingJoins[i].first);
        Level* second = GetLevel(pendingJoins[i].second);
        AreaDefinition* a = first ? first->area : nullptr;
        AreaDefinition* b = second ? second->area : nullptr;
        if (!a || !b || !joinable(a, b) || !joinable(b, a))
            continue;
        std::vector<std::pair<Level*, Level*>> shared;
        for (const auto& [x, y] : pendingJoins) {
            Level* lx = GetLevel(x);
            Level* ly = GetLevel(y);
            if ((lx->area == a && ly->area == b) || (lx->area == b && ly->area == a))
                shared.emplace_back(lx, ly);
        }
        int32_t chosen = shared.size() > 1 && gRandomSystem
                             ? gRandomSystem->RandomInt(RandomStream::BlockPoints, static_cast<int32_t>(shared.size()))
                             : 0;
        for (auto& [lx, ly] : shared)
            ConnectLevels(lx, ly, LevelJoin::Wall);
        ConnectLevels(shared[static_cast<size_t>(chosen)].first, shared[static_cast<size_t>(chosen)].second,
                      LevelJoin::Passage);
    }
}

WorldPos World::RandomPointInLevel(int32_t index)
{
    Level* level = GetLevel(index);
    return level ? LevelQueries::RandomPointInLevel(*level) : WorldPos{-1, 0.0f, 0.0f, true};
}

int32_t World::GetNeighbourLevel(int32_t level, int32_t direction) const
{
    const Level* found = GetLevel(level);
    if (!found || direction < 0 || direction >= kWorldDirectionCount)
        return -1;
    return found->neighbours[static_cast<size_t>(direction)];
}

LevelGridInfo World::GetLevelInfo(int32_t level) const
{
    const Level* found = GetLevel(level);
    if (!found)
        return {};
    return {found->column, found->row, found->depth};
}

int32_t World::CombineDirections(int32_t first, int32_t second)
{
    if (first < 0 || first >= kWorldDirectionCount || second < 0 || second >= kWorldDirectionCount)
        return kNoWorldDirection;
    LevelStep a = kWorldDirectionSteps[first];
    LevelStep b = kWorldDirectionSteps[second];
    return DirectionOfLevelStep({a.dx + b.dx, a.dy + b.dy});
}

int32_t World::DirectionBetween(int32_t levelA, int32_t levelB) const
{
    const Level* a = GetLevel(levelA);
    const Level* b = GetLevel(levelB);
    if (!a || !b || a->column < 0 || a->row < 0 || b->column < 0 || b->row < 0)
        return kNoWorldDirection;
    return DirectionOfLevelStep({b->column - a->column, b->row - a->row});
}

int32_t World::GetLevelMonsterLevel(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found ? found->monsterLevel : 1;
}

std::string World::GetLevelName(int32_t level) const
{
    const Level* found = GetLevel(level);
    if (!found || !found->area)
        return {};
    return found->area->DisplayName(found->monsterLevel);
}

WorldPos World::GetLevelGatePos(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found ? found->gatePosition : WorldPos{-1, 0.0f, 0.0f, true};
}

bool World::IsLevelGenerated(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found && found->data && found->data->generated;
}

bool World::AreUniqueMonstersAllowed(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found && found->area && found->area->uniqueMonstersAllowed;
}

bool World::IsGreatTime(const TimeStamp& elapsed) const
{
    return elapsed.GetTotalSeconds() < static_cast<float>(greatTimeSeconds);
}

bool World::IsGoodTime(const TimeStamp& elapsed) const
{
    return elapsed.GetTotalSeconds() < static_cast<float>(goodTimeSeconds);
}

float World::GetTimeScoreMult(const TimeStamp& elapsed) const
{
    if (IsGreatTime(elapsed))
        return greatTimeScoreMult;
    if (IsGoodTime(elapsed))
        return goodTimeScoreMult;
    return 1.0f;
}

void World::BuildTimeText(std::string& out, const TimeStamp& elapsed) const
{
    out = "$$CurrentTime~<" + FormatDuration(elapsed, DurationStyle::Words, kWorldDurationPrecision) + "@@>~$$";
    out += "\n\n";
    out += WorldParLine("GreatTime", greatTimeSeconds, IsGreatTime(elapsed));
    out += "\n";
    out += WorldParLine("GoodTime", goodTimeSeconds, IsGoodTime(elapsed));
}

void World::AddLevelCallback(WorldSide side, LevelEvent event, LevelCallback callback)
{
    callbacks[static_cast<int>(side)][static_cast<int>(event)].push_back(callback);
}

void World::MakeBlendedTexture(const std::vector<int32_t>& textures, ResourceHandle& out) const
{
    if (blendedTextureHook)
        blendedTextureHook(textures, out);
}

void World::NotifyLevelGenerated(int32_t level, bool client) const
{
    if (!callbacksEnabled)
        return;
    for (LevelCallback callback : callbacks[static_cast<int>(WorldSide::Server)][static_cast<int>(LevelEvent::Generated)])
        callback(level);
    if (!client)
        return;
    for (LevelCallback callback : callbacks[static_cast<int>(WorldSide::Client)][static_cast<int>(LevelEvent::Generated)])
        callback(level);
}

void World::NotifyLevelReleased(int32_t level, bool client) const
{
    if (!callbacksEnabled)
        return;
    WorldSide side = client ? WorldSide::Client : WorldSide::Server;
    for (LevelCallback callback : callbacks[static_cast<int>(side)][static_cast<int>(LevelEvent::Released)])
        callback(level);
}

void World::UpdateLevelGeneration()
{
    for (auto& level : levels) {
        const LevelData* data = level->data.get();
        if (level->generationWanted || (data && data->active && !data->areaAcquired))
            LevelGenerator::EnsureGenerated(*level);
    }
}

int32_t World::WrapTileToLevel(int32_t level, int32_t& tileX, int32_t& tileY) const
{
    LevelGeometry g = LevelGeometry::Current();
    int32_t dx = WorldEdgeStep(tileX, g.levelTileWidth);
    int32_t dy = WorldEdgeStep(tileY, g.levelTileHeight);
    if (!GetLevel(level))
        return -1;
    if (dx == 0 && dy == 0)
        return level;
    tileX -= dx * g.levelTileWidth;
    tileY -= dy * g.levelTileHeight;
    return GetNeighbourLevel(level, DirectionOfLevelStep({dx, dy}));
}

int32_t World::WrapCellToLevel(int32_t level, int32_t& cellX, int32_t& cellY) const
{
    LevelGeometry g = LevelGeometry::Current();
    int32_t dx = WorldEdgeStep(cellX, g.CellsAcross());
    int32_t dy = WorldEdgeStep(cellY, g.CellsDown());
    if (!GetLevel(level))
        return -1;
    if (dx == 0 && dy == 0)
        return level;
    cellX -= dx * g.CellsAcross();
    cellY -= dy * g.CellsDown();
    return GetNeighbourLevel(level, DirectionOfLevelStep({dx, dy}));
}

namespace {

// The cell of a position: cells are centred on the grid points of the world grid. False for a
// coordinate that is not finite or lies far outside any level.
bool WorldCellOf(const WorldPos& position, int32_t& cellX, int32_t& cellY)
{
    const GameSystemTuning& tuning = WorldTuning();
    float fx = std::floor((position.x - tuning.gridOffset.x) / tuning.gridSize.x + 0.5f);
    float fy = std::floor((position.y - tuning.gridOffset.y) / tuning.gridSize.y + 0.5f);
    constexpr float kLimit = 1.0e6f;
    if (!(std::fabs(fx) < kLimit) || !(std::fabs(fy) < kLimit))
        return false;
    cellX = static_cast<int32_t>(fx);
    cellY = static_cast<int32_t>(fy);
    return true;
}

} // namespace

bool World::IsCellBlocked(const WorldPos& position) const
{
    int32_t cx = 0;
    int32_t cy = 0;
    if (!WorldCellOf(position, cx, cy))
        return true;
    Level* level = GetLevel(WrapCellToLevel(position.level, cx, cy));
    return !level || LevelCells::IsCellBlocked(*level, cx, cy);
}

bool World::IsCellSightBlocked(const WorldPos& position) const
{
    int32_t cx = 0;
    int32_t cy = 0;
    if (!WorldCellOf(position, cx, cy))
        return true;
    Level* level = GetLevel(WrapCellToLevel(position.level, cx, cy));
    return !level || LevelCells::IsCellSightBlocked(*level, cx, cy);
}

bool World::IsBlockedNear(const WorldPos& position, float radius) const
{
    const GameSystemTuning& tuning = WorldTuning();
    float cellWidth = tuning.gridSize.x;
    float cellHeight = tuning.gridSize.y;
    // A huge radius would probe millions of cells: it is capped.
    float capped = std::clamp(std::isfinite(radius) ? radius : 0.0f, 0.0f, kWorldMaxBlockedNearTiles * tuning.tileSize);
    int32_t rings = cellWidth > 0.0f ? static_cast<int32_t>(std::floor(capped / cellWidth)) : 0;
    bool corners = static_cast<float>(rings) * cellWidth * std::sqrt(2.0f) <= capped;
    for (int32_t k = 0; k <= rings; ++k) {
        for (int32_t j = -k; j <= k; ++j) {
            for (int32_t i = -k; i <= k; ++i) {
                if (std::max(std::abs(i), std::abs(j)) != k)
                    continue;
                if (k == rings && !corners && std::abs(i) == std::abs(j))
                    continue;
                WorldPos probe{position.level, position.x + static_cast<float>(i) * cellWidth,
                               position.y + static_cast<float>(j) * cellHeight, true};
                probe.Normalize();
                if (IsCellBlocked(probe))
                    return true;
            }
        }
    }
    return false;
}

MonsterType* World::PickLevelMonster(int32_t level, int32_t& monsterLevel) const
{
    monsterLevel = GetLevelMonsterLevel(level);
    const Level* found = GetLevel(level);
    return found && found->area ? found->area->PickMonster() : nullptr;
}

ResourceHandle World::GetTile(int32_t level, int32_t tileX, int32_t tileY) const
{
    const Level* asking = GetLevel(level);
    if (!asking)
        return {};
    Level* reached = GetLevel(WrapTileToLevel(level, tileX, tileY));
    if (!reached)
        return asking->area ? asking->area->defaultShader : ResourceHandle{};
    return LevelQueries::GetTileTexture(*reached, tileX, tileY);
}

ResourceHandle World::GetGroundTexture(int32_t level, int32_t tileX, int32_t tileY) const
{
    Level* found = GetLevel(level);
    return found ? LevelCells::GetGroundTexture(*found, tileX, tileY) : ResourceHandle{};
}

void World::GetTileObjectInstance(int32_t level, int32_t tileX, int32_t tileY, ResourceHandle& model,
                                  TileObjectInstance& out) const
{
    Level* found = GetLevel(level);
    if (!found) {
        model.Reset();
        out = {};
        return;
    }
    LevelCells::GetTileObjectInstance(*found, tileX, tileY, model, out);
}

void World::SetTileObjectOpacity(int32_t level, int32_t tileX, int32_t tileY, float opacity)
{
    int32_t reached = WrapTileToLevel(level, tileX, tileY);
    if (Level* found = GetLevel(reached))
        LevelCells::SetTileObjectOpacity(*found, tileX, tileY, opacity);
}

const LevelTileCell* World::GetTileDrawData(int32_t level, int32_t tileX, int32_t tileY, ResourceHandle& model,
                                            TileObjectInstance& out) const
{
    int32_t reached = WrapTileToLevel(level, tileX, tileY);
    GetTileObjectInstance(reached, tileX, tileY, model, out);
    Level* found = GetLevel(reached);
    return found ? LevelCells::GetTileCell(*found, tileX, tileY) : nullptr;
}

bool World::IsLevelBelowAnother(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found && found->hasParent;
}

const Level* World::GetTopLevel(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found ? &LevelQueries::TopLevel(*found) : nullptr;
}

std::string World::GetLevelSoundFileName(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found && found->area ? found->area->soundFileName : std::string();
}

std::string World::GetLevelTreasureChestName(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found && found->area ? found->area->treasureMapChestName : std::string();
}

std::string World::GetLevelTextFile(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found && found->area ? found->area->textFile : std::string();
}

std::string World::GetGateObjectName(int32_t level, int32_t gateKind, bool down) const
{
    if (gateKind == kLinkedGateKind)
        return kLinkedGateRecord;
    const Level* found = GetLevel(level);
    return found && found->area ? found->area->GetGateName(level, down) : std::string();
}

std::string World::GetPlayerStatusEffect(int32_t index) const
{
    if (index < 0 || index >= static_cast<int32_t>(playerStatusEffects.size()))
        return {};
    return playerStatusEffects[static_cast<size_t>(index)];
}

bool World::CanLevelBePurged(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found && found->area && found->area->canBePurged;
}

bool World::AreTrapsAllowed(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found && found->area && found->area->trapsAllowed;
}

ResourceHandle World::GetLevelMapShader(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found && found->area ? found->area->defaultMapShader : ResourceHandle{};
}

const std::string& World::GetLevelMusicName(int32_t level) const
{
    const Level* found = GetLevel(level);
    if (found && found->area && !found->area->musicName.empty())
        return found->area->musicName;
    return musicName;
}

Level* World::FindLevelOfArea(const DatabaseEntry* areaEntry) const
{
    if (!areaEntry)
        return nullptr;
    for (const auto& level : levels) {
        if (level->area && level->area->record == areaEntry)
            return level.get();
    }
    return nullptr;
}

Level* World::PickTargetLevel(int32_t monsterLevel, float fraction, bool surfaceOnly, int32_t firstShutLevel) const
{
    std::vector<Level*> exact;
    std::vector<Level*> ranged;
    for (const auto& level : levels) {
        const AreaDefinition* area = level->area;
        if (!area || area->monsterChancePerBlock <= 0.0f || (surfaceOnly && level->hasParent) ||
            (level->index >= firstShutLevel && !level->section && !level->hasParent))
            continue;
        if (level->monsterLevel == monsterLevel)
            exact.push_back(level.get());
        int32_t low = std::max(1, level->monsterLevel + area->minMonsterLevelOffset);
        int32_t high = std::max(1, level->monsterLevel + area->maxMonsterLevelOffset);
        if (low <= monsterLevel && monsterLevel <= high)
            ranged.push_back(level.get());
    }
    const std::vector<Level*>& used = exact.empty() ? ranged : exact;
    if (used.empty())
        return nullptr;
    float clamped = std::isfinite(fraction) ? std::clamp(fraction, 0.0f, 1.0f) : 0.0f;
    size_t at = static_cast<size_t>(std::floor(static_cast<float>(used.size()) * clamped));
    return used[std::min(at, used.size() - 1)];
}

int32_t World::RollBlockMonsters(int32_t level, int32_t blockIndex, bool always) const
{
    Level* found = GetLevel(level);
    return found ? LevelQueries::RollBlockMonsters(*found, blockIndex, always) : 0;
}

int32_t World::RollBlockChests(int32_t level, int32_t blockIndex, bool always) const
{
    Level* found = GetLevel(level);
    return found ? LevelQueries::RollBlockChests(*found, blockIndex, always) : 0;
}

bool World::IsBlockInBounds(int32_t level, int32_t blockX, int32_t blockY) const
{
    const Level* found = GetLevel(level);
    return found && LevelQueries::IsBlockInBounds(*found, blockX, blockY);
}

bool World::IsBlockEmpty(int32_t level, int32_t blockX, int32_t blockY) const
{
    Level* found = GetLevel(level);
    return !found || LevelQueries::IsBlockEmpty(*found, blockX, blockY);
}

bool World::IsBlockReachable(int32_t level, int32_t blockX, int32_t blockY) const
{
    Level* found = GetLevel(level);
    return found && LevelQueries::IsBlockReachable(*found, blockX, blockY);
}

void World::AddLevelMonsterType(int32_t level, MonsterType* type) const
{
    const Level* found = GetLevel(level);
    if (found && found->area && type)
        found->area->AddToPoolA(type);
}

void World::AddLevelMonsterCandidate(int32_t level, MonsterType* type, float weightFactor, int32_t tag) const
{
    const Level* found = GetLevel(level);
    if (found && found->area && type)
        found->area->AddToPoolBIfKnown(type, weightFactor, tag);
}

bool World::GetLevelStartPosition(int32_t level, std::string_view gateName, Vector2& out) const
{
    const Level* found = GetLevel(level);
    if (!found || !found->area)
        return false;
    out = found->area->GetStartPosition(gateName);
    return true;
}

int32_t World::RollLevelTrapsPerBlock(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found && found->area ? found->area->RollTrapsPerBlock() : 0;
}

int32_t World::GetDownwardGateTarget(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found ? LevelQueries::GetDownwardGateTarget(*found) : -1;
}

bool World::IsMonsterTypeListed(int32_t level, const MonsterType* type) const
{
    const Level* found = GetLevel(level);
    if (!found || !found->area || !type)
        return false;
    const AreaDefinition& area = *found->area;
    return std::find(area.poolA.begin(), area.poolA.end(), type) != area.poolA.end() ||
           std::any_of(area.poolB.begin(), area.poolB.end(), [type](const AreaPoolEntry& e) { return e.type == type; });
}

void World::GetSunColour(int32_t level, Color& out, float blend) const
{
    const Level* found = GetLevel(level);
    if (!found || !found->area) {
        out = Color{};
        return;
    }
    float t = std::isfinite(blend) ? std::clamp(blend, 0.0f, 1.0f) : 0.0f;
    const Color& day = found->area->daySunColor;
    const Color& night = found->area->nightSunColor;
    out = Color{day.r + (night.r - day.r) * t, day.g + (night.g - day.g) * t, day.b + (night.b - day.b) * t};
}

bool World::IsLevelValid(int32_t level) const
{
    const Level* found = GetLevel(level);
    return found && found->area && !found->area->name.empty();
}

int32_t World::FindPathBetweenLevels(int32_t owner, const WorldPos& position)
{
    int32_t anchored = -1;
    anchors.Update(owner, position, &anchored);
    return anchored;
}

void World::RefreshGroundDetail()
{
    for (int32_t index = 0; index < GetLevelCount(); ++index) {
        Level* level = GetLevel(index);
        if (!level || !level->data)
            continue;
        if (AreaResource* area = LevelGenerator::GetArea(*level))
            area->ReapplyGroundDetail();
        FillLevelCells(index);
    }
}

void World::FillLevelCells(int32_t level) const
{
    Level* found = GetLevel(level);
    if (found && found->data)
        found->data->tileCells.clear();
}
