// WorldMap -- what the player has explored of every level (raised each frame round the player), the full-screen map of the world painted from it, its pins and travel clicks, and its file per character.
#include "render/WorldMap.h"

#include "core/CommandSystem.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "render/FrameScene.h"
#include "render/MapPanel.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderStage.h"
#include "resources/shaders/ShaderTextures.h"
#include "resources/textures/TextureResource.h"
#include "rules/GameData.h"
#include "world/LevelQueries.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

WorldMap* gWorldMap = nullptr;

namespace {

float WorldMapTileSize()
{
    return gGameData ? gGameData->GetTuning().tileSize : 64.0f;
}

} // namespace

WorldMap::WorldMap() = default;

WorldMap::~WorldMap()
{
    for (auto& record : levels)
        if (record)
            DeleteLevelTexture(*record);
}

void WorldMap::DeleteLevelTexture(ExploredLevel& record)
{
    if (record.texture >= 0 && graphics.device)
        graphics.device->DeleteTexture(record.texture);
    record.texture = -1;
}

void WorldMap::ReleaseHandles()
{
    legendFont.Reset();
    legendFontName.clear();
}

void WorldMap::RegisterCommands()
{
    drawMapVar = gUserVarSystem->RegisterVar("drawWorldMap", "0");
    zoneNamesVar = gUserVarSystem->RegisterVar("wm_showZoneNames", "1");
    gCommandSystem->RegisterCommand(
        "clearMap", [this](const std::vector<std::string>&) { ClearCurrentLevel(); }, "Clears the current map", "",
        "");
}

bool WorldMap::IsOpen() const
{
    return drawMapVar.IsValid() && drawMapVar.GetInt() != 0;
}

bool WorldMap::IsTeleportMode() const
{
    return source && source->IsTeleportMode();
}

// ---- Levels ----------------------------------------------------------------------------------

const ExploredLevel* WorldMap::FindLevel(int32_t level) const
{
    if (level < 0 || static_cast<size_t>(level) >= levels.size())
        return nullptr;
    const ExploredLevel* record = levels[static_cast<size_t>(level)].get();
    return record && !record->image.empty() ? record : nullptr;
}

ExploredLevel* WorldMap::FindMutable(int32_t level)
{
    return const_cast<ExploredLevel*>(FindLevel(level));
}

// Only a level of the world gets a record, so a hostile index never sizes the list.
ExploredLevel& WorldMap::GetOrCreate(int32_t level)
{
    if (static_cast<size_t>(level) >= levels.size())
        levels.resize(static_cast<size_t>(level) + 1);
    std::unique_ptr<ExploredLevel>& record = levels[static_cast<size_t>(level)];
    if (!record)
        record = std::make_unique<ExploredLevel>();
    if (record->image.empty())
        record->image.assign(static_cast<size_t>(side) * static_cast<size_t>(side) * 4, 0);
    return *record;
}

void WorldMap::ResetForWorld(int32_t difficulty, uint32_t seed)
{
    for (auto& record : levels)
        if (record)
            DeleteLevelTexture(*record);
    levels.clear();
    shaderColours.clear();
    // The game data is read by now; every record of the world has this side.
    if (gGameData)
        side = std::max(1, gGameData->GetTuning().levelTileWidth);
    identityDifficulty = difficulty;
    identitySeed = seed;
}

void WorldMap::SyncWorldIdentity()
{
    if (!gWorld || gWorld->GetLevelCount() == 0)
        return;
    if (gWorld->GetDifficulty() != identityDifficulty || gWorld->GetLayoutSeed() != identitySeed)
        ResetForWorld(gWorld->GetDifficulty(), gWorld->GetLayoutSeed());
}

void WorldMap::SyncMenu()
{
    bool open = IsOpen();
    if (panel && open != panel->IsWorldMapShown())
        panel->ShowWorldMap(open);
    if (!open)
        recentre = true;
}

// ---- Exploration -----------------------------------------------------------------------------

void WorldMap::UpdateExploration()
{
    SyncWorldIdentity();
    SyncMenu();
    if (identityDifficulty == -1)
        return;
    WorldPos target;
    if (!scene || !scene->IsGameRunning() || !scene->GetCameraTarget(target) || target.level < 0)
        return;
    if (dragging) {
        if (!IsOpen()) {
            dragging = false;
            if (source)
                source->SetClickHook({});
        } else if (gInputSystem) {
            // In the 640 x 480 units the press came in. Mended: the window's pixels were taken,
            // so in any larger window a click's own press scrolled the map away from under the
            // cursor and the covenant's mark clicked was no longer there at the release.
            HandleMouseButton(0, true, gInputSystem->GetCursorX(), gInputSystem->GetCursorY());
        }
    }
    if (panel && scrollExtent > 0) {
        scrollRow = scrollExtent - panel->GetScrollPosition(true) - 1;
        scrollColumn = panel->GetScrollPosition(false);
    }
    ExploreAround(target);
}

void WorldMap::ExploreAround(const WorldPos& target)
{
    float tile = WorldMapTileSize();
    if (!gWorld || !(tile > 0.0f))
        return;
    float centreX = (std::floor(target.x / tile) + 0.5f) * tile;
    float centreY = (std::floor(target.y / tile) + 0.5f) * tile;
    int32_t steps = static_cast<int32_t>(std::floor(2.0f * kExploreReach / tile));
    for (int32_t row = 0; row <= steps; ++row) {
        for (int32_t column = 0; column <= steps; ++column) {
            WorldPos point{target.level, centreX - kExploreReach + static_cast<float>(column) * tile,
                           centreY - kExploreReach + static_cast<float>(row) * tile, true};
            point.Normalize();
            if (!gWorld->GetLevel(point.level))
                continue;
            int32_t tileX = static_cast<int32_t>(std::floor(point.x / tile));
            int32_t tileY = static_cast<int32_t>(std::floor(point.y / tile));
            if (tileX < 0 || tileY < 0 || tileX >= side || tileY >= side)
                continue;
            ExploredLevel& record = GetOrCreate(point.level);
            uint8_t amount = record.image[static_cast<size_t>((tileY * side + tileX) * 4 + 3)];
            if (amount == 255)
                continue;
            float distance = target.Distance2D(point);
            int32_t value = 0;
            if (distance <= kFullReach)
                value = 255;
            else if (distance < kExploreReach)
                value = static_cast<int32_t>(255.0f * (1.0f - (distance - kFullReach) / (kExploreReach - kFullReach)));
            if (value > 0 && source && !source->IsVisibleToPlayer(point))
                value = 0;
            if (value > amount)
                SetExploredPixel(point.level, tileX, tileY, value);
        }
    }
}

void WorldMap::SetExploredPixel(int32_t level, int32_t tileX, int32_t tileY, int32_t value)
{
    if (level < 0 || tileX < 0 || tileY < 0 || tileX >= side || tileY >= side)
        return;
    bool fromEntity = false;
    std::array<uint8_t, 3> colour = TileColour(level, tileX, tileY, fromEntity);
    if (value >= 255 && fromEntity)
        value = kEntityFullAlpha;
    ExploredLevel& record = GetOrCreate(level);
    uint8_t* pixel = &record.image[static_cast<size_t>((tileY * side + tileX) * 4)];
    std::array<uint8_t, 4> bytes{colour[0], colour[1], colour[2], static_cast<uint8_t>(std::clamp(value, 0, 255))};
    if (std::equal(bytes.begin(), bytes.end(), pixel))
        return;
    std::copy(bytes.begin(), bytes.end(), pixel);
    record.changed = true;
    if (pixelChanged)
        pixelChanged(level, tileX, tileY);
}

std::array<uint8_t, 3> WorldMap::TileColour(int32_t level, int32_t tileX, int32_t tileY, bool& fromEntity)
{
    ResourceHandle shader = source ? source->GetEntityMapShader(level, tileX, tileY) : ResourceHandle{};
    fromEntity = shader.IsValid();
    if (!fromEntity && gWorld)
        shader = gWorld->GetTile(level, tileX, tileY);
    if (!shader.IsValid())
        return {0, 0, 0};
    auto cached = shaderColours.find(shader.GetValue());
    if (cached != shaderColours.end())
        return cached->second;
    std::array<uint8_t, 3> colour = ShaderColour(shader.GetValue());
    shaderColours.emplace(shader.GetValue(), colour);
    return colour;
}

// The average colour of the shader's first texture is its 1 x 1 level.
std::array<uint8_t, 3> WorldMap::ShaderColour(int32_t shader)
{
    const TextureResource* image = ShaderTextures::GetShaderTexture(shader);
    const uint8_t* average = image ? image->GetSmallLevel(1) : nullptr;
    if (!average)
        return {0, 0, 0};
    return {average[0], average[1], average[2]};
}

float WorldMap::GetExplored(int32_t level, int32_t tileX, int32_t tileY, bool wrapped) const
{
    if (!wrapped && gWorld && level >= 0)
        level = gWorld->WrapTileToLevel(level, tileX, tileY);
    const ExploredLevel* record = FindLevel(level);
    if (!record || tileX < 0 || tileY < 0 || tileX >= side || tileY >= side)
        return 0.0f;
    uint8_t amount = record->image[static_cast<size_t>((tileY * side + tileX) * 4 + 3)];
    return amount == 255 ? 1.0f : static_cast<float>(amount) / 255.0f;
}

float WorldMap::GetExploredSmoothed(int32_t level, int32_t tileX, int32_t tileY) const
{
    int32_t carriedX = tileX;
    int32_t carriedY = tileY;
    if (gWorld && level >= 0)
        gWorld->WrapTileToLevel(level, carriedX, carriedY);
    int32_t stepX = carriedX % 2 == 0 ? -1 : 1;
    int32_t stepY = carriedY % 2 == 0 ? -1 : 1;
    float sum = 3.0f * GetExplored(level, tileX, tileY, false) + GetExplored(level, tileX + stepX, tileY, false) +
                GetExplored(level, tileX, tileY + stepY, false) +
                GetExplored(level, tileX + stepX, tileY + stepY, false);
    float smoothed = sum / 6.0f;
    return smoothed >= 0.95f ? 1.0f : smoothed;
}

// ---- Gates and commands ----------------------------------------------------------------------

void WorldMap::RecordGate(const WorldPos& position, int32_t gateId)
{
    const Level* level = gWorld ? gWorld->GetLevel(position.level) : nullptr;
    if (!level)
        return;
    if (gateId == -1) {
        if (position.level > 0)
            GetOrCreate(position.level).levelGate = position;
        return;
    }
    if (gateId < 0 || gateId >= LevelQueries::GetGateCount(*level))
        return;
    ExploredLevel& record = GetOrCreate(position.level);
    if (record.connectionGates.size() <= static_cast<size_t>(gateId))
        record.connectionGates.resize(static_cast<size_t>(gateId) + 1, WorldPos{-1, 0.0f, 0.0f, true});
    record.connectionGates[static_cast<size_t>(gateId)] = position;
}

void WorldMap::RevealFirstLevel()
{
    // Asked on the game's first update, before any frame has drawn the map: the world's identity
    // is taken here so that level 0's record exists to be revealed.
    SyncWorldIdentity();
    if (identityDifficulty == -1 || !gWorld || !gWorld->GetLevel(0))
        return;
    for (int32_t y = 0; y < side; ++y) {
        for (int32_t x = 0; x < side; ++x)
            SetExploredPixel(0, x, y, 255);
    }
}

void WorldMap::ClearCurrentLevel()
{
    WorldPos target;
    if (identityDifficulty == -1 || !scene || !scene->GetCameraTarget(target))
        return;
    ExploredLevel* record = FindMutable(target.level);
    if (!record)
        return;
    std::fill(record->image.begin(), record->image.end(), uint8_t{0});
    record->changed = true;
}

// The display keeps its context through a restart, and with it every old texture: each goes
// before its level's new one is made, or each restart would leave one behind per level.
void WorldMap::RecreateTextures()
{
    for (auto& record : levels) {
        if (!record)
            continue;
        DeleteLevelTexture(*record);
        if (graphics.device && !record->image.empty())
            UploadLevel(*record);
    }
}
