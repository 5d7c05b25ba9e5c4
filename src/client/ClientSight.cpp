// ClientSight -- what the player's character can see: the shadow grids around its destination, the fade while it walks and the maps' shader at a map cell.
#include "client/ClientSight.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/LocalPlayerLink.h"
#include "resources/models/ModelResource.h"
#include "rules/GameData.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

// The border cells the rays run to, in order, and the steps behind a blocker that the soft
// grid leaves lit. The margins differ between the runs; the soft grid keeps that asymmetry.
struct ClientSightRun {
    int32_t fromX, fromY, toX, toY, margin;
};
constexpr ClientSightRun kClientSightRuns[] = {
    {0, 40, 40, 40, 2},
    {0, 39, 0, 1, 2},
    {40, 39, 40, 1, 0},
    {0, 0, 40, 0, 0},
};

LocalPlayerLink* ClientSightLink()
{
    return gClientApp ? gClientApp->GetLink() : nullptr;
}

Vector2 ClientSightCellSize()
{
    if (!gGameData)
        return {32.0f, 32.0f};
    const GameSystemTuning& tuning = gGameData->GetTuning();
    return {tuning.gridSize.x, tuning.gridSize.y};
}

bool ClientSightSamePlace(const WorldPos& a, const WorldPos& b)
{
    return a.level == b.level && a.x == b.x && a.y == b.y;
}

// The position in the frame of the level, which it then names.
WorldPos ClientSightInFrame(const WorldPos& position, int32_t level)
{
    WorldPos moved = position;
    if (moved.level != level) {
        moved.ToLevelFrame(level);
        moved.level = level;
    }
    return moved;
}

void ClientSightSet(ClientSight::Grid& grid, float x, float y)
{
    auto column = static_cast<int32_t>(std::floor(x + 0.5f));
    auto row = static_cast<int32_t>(std::floor(y + 0.5f));
    if (column >= 0 && column < ClientSight::kGridSide && row >= 0 && row < ClientSight::kGridSide)
        grid[static_cast<size_t>(row * ClientSight::kGridSide + column)] = true;
}

bool ClientSightStepBlocked(const WorldPos& centre, float x, float y, const Vector2& cell,
                            const std::vector<ClientSight::Blocker>& blockers)
{
    WorldPos at{centre.level, centre.x + (x - ClientSight::kGridCentre) * cell.x,
                centre.y + (y - ClientSight::kGridCentre) * cell.y, true};
    for (const ClientSight::Blocker& blocker : blockers)
        if (std::hypot(at.x - blocker.x, at.y - blocker.y) < blocker.radius)
            return true;
    return gWorld && gWorld->IsCellSightBlocked(at);
}

void ClientSightTraceRay(const WorldPos& centre, int32_t endX, int32_t endY, int32_t margin, const Vector2& cell,
                         const std::vector<ClientSight::Blocker>& blockers, ClientSight::Grid& full,
                         ClientSight::Grid& soft)
{
    int32_t ex = endX - ClientSight::kGridCentre;
    int32_t ey = endY - ClientSight::kGridCentre;
    int32_t steps = std::max(std::abs(ex), std::abs(ey));
    if (steps == 0)
        return;
    float dx = static_cast<float>(ex) / static_cast<float>(steps);
    float dy = static_cast<float>(ey) / static_cast<float>(steps);
    float x = ClientSight::kGridCentre;
    float y = ClientSight::kGridCentre;
    int32_t behind = -1;
    for (int32_t step = 0; step < steps; ++step) {
        x += dx;
        y += dy;
        if (behind < 0) {
            if (ClientSightStepBlocked(centre, x, y, cell, blockers))
                behind = 0;
            continue;
        }
        ++behind;
        ClientSightSet(full, x, y);
        if (behind > margin)
            ClientSightSet(soft, x, y);
    }
}

} // namespace

// ---- The grids -----------------------------------------------------------------------------------

bool ClientSight::BlocksSight(const EntityClient& entity)
{
    if (entity.blocksSight)
        return true;
    const ModelResource* model = entity.GetLoadedModel();
    return model && model->blocksSight;
}

std::vector<ClientSight::Blocker> ClientSight::CollectBlockers(const WorldPos& centre, bool narrow) const
{
    std::vector<Blocker> blockers;
    for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
        const EntityClient* entity = client.GetEntity(number);
        if (!entity || !entity->netSolid || entity->solidType != 0 || !BlocksSight(*entity))
            continue;
        WorldPos at = ClientSightInFrame(entity->position, centre.level);
        blockers.push_back(Blocker{at.x, at.y, entity->radius});
    }
    return narrow ? NarrowBlockers(centre, blockers) : blockers;
}

std::vector<ClientSight::Blocker> ClientSight::NarrowBlockers(const WorldPos& centre,
                                                              const std::vector<Blocker>& blockers)
{
    // Every step of a ray lies inside the window, so a blocker that cannot reach into it blocks
    // no ray.
    Vector2 cell = ClientSightCellSize();
    float reachX = kGridCentre * cell.x;
    float reachY = kGridCentre * cell.y;
    std::vector<Blocker> narrowed;
    for (const Blocker& blocker : blockers)
        if (std::fabs(blocker.x - centre.x) < reachX + blocker.radius &&
            std::fabs(blocker.y - centre.y) < reachY + blocker.radius)
            narrowed.push_back(blocker);
    return narrowed;
}

void ClientSight::TraceGrids(const WorldPos& centre, const std::vector<Blocker>& blockers, Grid& full, Grid& soft)
{
    full.assign(kGridCells, false);
    soft.assign(kGridCells, false);
    Vector2 cell = ClientSightCellSize();
    for (const ClientSightRun& run : kClientSightRuns) {
        int32_t stepX = run.toX > run.fromX ? 1 : run.toX < run.fromX ? -1 : 0;
        int32_t stepY = run.toY > run.fromY ? 1 : run.toY < run.fromY ? -1 : 0;
        for (int32_t x = run.fromX, y = run.fromY;; x += stepX, y += stepY) {
            ClientSightTraceRay(centre, x, y, run.margin, cell, blockers, full, soft);
            if (x == run.toX && y == run.toY)
                break;
        }
    }
}

void ClientSight::ComputeSightGrid(const WorldPos& centre, Grid& full, Grid& soft) const
{
    TraceGrids(centre, CollectBlockers(centre, true), full, soft);
}

void ClientSight::UpdateLineOfSight()
{
    LocalPlayerLink* link = ClientSightLink();
    if (!gGameData || !gGameData->GetTuning().showLineOfSight || fogOff || !link)
        return;
    WorldPos destination = link->GetMoveTarget();
    if (centresValid && ClientSightSamePlace(destination, currentCentre)) {
        if (client.losDirty) {
            ComputeSightGrid(previousCentre, previousFull, previousSoft);
            ComputeSightGrid(currentCentre, currentFull, currentSoft);
            client.losDirty = false;
        }
        return;
    }
    previousCentre = centresValid ? currentCentre : destination;
    if (centresValid && !client.losDirty) {
        previousFull = currentFull;
        previousSoft = currentSoft;
    } else {
        ComputeSightGrid(previousCentre, previousFull, previousSoft);
    }
    currentCentre = destination;
    centresValid = true;
    ComputeSightGrid(currentCentre, currentFull, currentSoft);
    client.losDirty = false;
}

void ClientSight::OnSightBlockerChanged(const EntityClient& entity)
{
    if (BlocksSight(entity))
        client.losDirty = true;
}

// ---- Questions -----------------------------------------------------------------------------------

bool ClientSight::IsShown() const
{
    return gGameData && gGameData->GetTuning().showLineOfSight && !fogOff;
}

bool ClientSight::IsPositionInSight(const WorldPos& position, const Grid& grid, const WorldPos& centre) const
{
    if (!IsShown())
        return true;
    if (grid.size() != static_cast<size_t>(kGridCells))
        return false;
    Vector2 cell = ClientSightCellSize();
    WorldPos at = ClientSightInFrame(position, centre.level);
    float column = std::floor((at.x - centre.x) / cell.x + kGridCentre + 0.5f);
    float row = std::floor((at.y - centre.y) / cell.y + kGridCentre + 0.5f);
    // A position far off the window (or no number at all) has no lit neighbour in it.
    if (!(std::fabs(column - kGridCentre) <= kGridSide && std::fabs(row - kGridCentre) <= kGridSide))
        return false;
    auto baseColumn = static_cast<int32_t>(column);
    auto baseRow = static_cast<int32_t>(row);
    for (int32_t j = baseRow - 1; j <= baseRow + 1; ++j)
        for (int32_t i = baseColumn - 1; i <= baseColumn + 1; ++i)
            if (i >= 0 && i < kGridSide && j >= 0 && j < kGridSide && !grid[static_cast<size_t>(j * kGridSide + i)])
                return true;
    return false;
}

bool ClientSight::IsVisibleToPlayer(const WorldPos& position) const
{
    return IsPositionInSight(position, currentFull, currentCentre);
}

const ClientSight::Grid& ClientSight::GetGrid(bool current, bool soft) const
{
    if (current)
        return soft ? currentSoft : currentFull;
    return soft ? previousSoft : previousFull;
}

float ClientSight::GetSightFade(const WorldPos& position, bool soft) const
{
    if (!IsShown())
        return 1.0f;
    LocalPlayerLink* link = ClientSightLink();
    if (!link)
        return 0.0f;
    float now = IsPositionInSight(position, GetGrid(true, soft), currentCentre) ? 1.0f : 0.0f;
    WorldPos player = link->GetPosition();
    if (ClientSightSamePlace(player, currentCentre) || ClientSightSamePlace(currentCentre, previousCentre))
        return now;
    float before = IsPositionInSight(position, GetGrid(false, soft), previousCentre) ? 1.0f : 0.0f;
    if (before == now)
        return now;
    float walked = currentCentre.Distance2D(player);
    float span = currentCentre.Distance2D(previousCentre);
    // Past the old centre the blend would run outside 0..1: it stops at the old answer.
    float t = span > 0.0f ? std::clamp(walked / span, 0.0f, 1.0f) : 0.0f;
    return (1.0f - t) * now + t * before;
}

ResourceHandle ClientSight::GetMapShaderAt(int32_t level, int32_t mapX, int32_t mapY)
{
    if (!gGameData)
        return {};
    const GameSystemTuning& tuning = gGameData->GetTuning();
    WorldPos cell{level, static_cast<float>(mapX) * tuning.tileSize + tuning.gridSize.x,
                  static_cast<float>(mapY) * tuning.tileSize + tuning.gridSize.y, true};
    if (pickableStamp == -1 || pickableStamp != client.GetUpdateStamp()) {
        pickableEntities.clear();
        for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
            const EntityClient* entity = client.GetEntity(number);
            if (entity && ((entity->useMapShaderWhenSolid && entity->netSolid) || entity->alwaysUseMapShader))
                pickableEntities.push_back(number);
        }
        pickableStamp = client.GetUpdateStamp();
    }
    for (int32_t number : pickableEntities) {
        const EntityClient* entity = client.GetEntity(number);
        if (!entity)
            continue;
        WorldPos at = ClientSightInFrame(entity->position, level);
        if (std::hypot(at.x - cell.x, at.y - cell.y) >= kMapShaderRange)
            continue;
        if (entity->useDefaultMapShader)
            return gWorld ? gWorld->GetLevelMapShader(level) : ResourceHandle{};
        return entity->mapShader;
    }
    return {};
}

void ClientSight::Reset()
{
    fogOff = false;
    currentCentre = WorldPos{};
    previousCentre = WorldPos{};
    centresValid = false;
    currentFull.clear();
    currentSoft.clear();
    previousFull.clear();
    previousSoft.clear();
    pickableEntities.clear();
    pickableStamp = -1;
}
