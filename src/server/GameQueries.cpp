// Game -- the entity grid of each level, the radius and line searches, the world's cell tests, timed actions and broadcasts.
#include "server/Game.h"

#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/Vector.h"
#include "entities/Entity.h"
#include "entities/Torch.h"
#include "rules/GameData.h"
#include "server/WorldHost.h"
#include "world/NetMessages.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

// No entity's body is wider than this: a trace gathers the entities this near its line.
constexpr float kGameLargestEntityRadius = 64.0f;
constexpr uint32_t kGameDefaultSolidMask = 5;
constexpr uint32_t kGameSightMask = 1;

const GameSystemTuning& GameQueriesTuning()
{
    static const GameSystemTuning kDefaults;
    return gGameData ? gGameData->GetTuning() : kDefaults;
}

bool GameIsFinite(const WorldPos& position)
{
    return std::isfinite(position.x) && std::isfinite(position.y);
}

// The distance from the point to the segment from the origin to the end.
float GameDistanceToSegment(const Vector2& point, const Vector2& end)
{
    float lengthSquared = end.x * end.x + end.y * end.y;
    float t = lengthSquared > 0.0f ? (point.x * end.x + point.y * end.y) / lengthSquared : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return Vector2Length(point - end * t);
}

// Blocking for a trace: flagged solid, its kind in the mask; with the sight mask a plain
// entity (kind 0) blocks only when it or its owner always blocks.
bool GameCountsForTrace(const Entity& entity, uint32_t mask)
{
    if (!entity.netFlag || entity.solidType < 0 || entity.solidType >= 32 || !(mask & (1u << entity.solidType)))
        return false;
    if (mask != kGameSightMask || entity.solidType != 0)
        return true;
    return entity.BlocksEntity(nullptr);
}

} // namespace

// ---- The entity grid -------------------------------------------------------------------------

void Game::GridAdd(int32_t number, const WorldPos& position)
{
    GameLevelRecord* record = FindLevel(position.level);
    // A place that is no number would poison every search of its level.
    if (!record || !record->grid || !GameIsFinite(position))
        return;
    record->grid->Insert({number, position.x, position.y});
    gridPlaces[static_cast<size_t>(number)] = {position.level, position.x, position.y};
}

void Game::GridRemove(int32_t number)
{
    if (static_cast<uint32_t>(number) >= gridPlaces.size())
        return;
    GridPlace& place = gridPlaces[static_cast<size_t>(number)];
    GameLevelRecord* record = FindLevel(place.level);
    if (record && record->grid)
        record->grid->Remove(number, place.x, place.y);
    place = GridPlace{};
}

void Game::GridQuery(int32_t level, float x, float y, float radius, std::vector<int32_t>& out) const
{
    const GameLevelRecord* record = FindLevel(level);
    if (record && record->grid)
        record->grid->CollectInRadius(x, y, radius, out);
}

void Game::GridMove(Entity* entity, const WorldPos& position)
{
    if (!entity || GetEntity(entity->entityNumber) != entity)
        return;
    GridRemove(entity->entityNumber);
    GridAdd(entity->entityNumber, position);
}

void Game::AddToGrid(Entity* entity)
{
    if (entity && entity->position.level != -1)
        GridMove(entity, entity->position);
}

void Game::MoveInGrid(Entity* entity, const WorldPos&, const WorldPos& to)
{
    GridMove(entity, to);
}

void Game::FindEntitiesNear(const WorldPos& position, float radius, bool wide, std::vector<int32_t>& out) const
{
    out.clear();
    if (!GameIsFinite(position) || !std::isfinite(radius) || !FindLevel(position.level))
        return;
    if (wide)
        radius += kWideSearchMargin;
    GridQuery(position.level, position.x, position.y, radius, out);
    if (!gWorld)
        return;
    for (int32_t direction = 0; direction < kWorldDirectionCount; ++direction) {
        int32_t neighbour = gWorld->GetNeighbourLevel(position.level, direction);
        if (neighbour == -1 || neighbour == position.level)
            continue;
        WorldPos there = position;
        there.ToLevelFrame(neighbour);
        GridQuery(neighbour, there.x, there.y, radius, out);
    }
}

void Game::CollectLevelEntities(int32_t level, std::vector<int32_t>& out) const
{
    out.clear();
    const GameLevelRecord* record = FindLevel(level);
    if (record && record->grid)
        record->grid->CollectAll(out);
}

void Game::CollectEntitiesNear(const WorldPos& position, float radius, bool useRadii, std::vector<int32_t>& out) const
{
    FindEntitiesNear(position, radius, false, queryNumbers);
    for (int32_t number : queryNumbers) {
        const Entity* entity = GetEntity(number);
        if (!entity)
            continue;
        float distance = Vector2Length(position.DeltaTo(entity->position));
        if (useRadii)
            distance -= entity->radius;
        if (distance <= radius)
            out.push_back(number);
    }
}

// ---- The world's cells -------------------------------------------------------------------------

bool Game::IsKnownLevel(int32_t level) const
{
    return FindLevel(level) != nullptr;
}

bool Game::IsWorldCellBlocked(const WorldPos& position, bool sight) const
{
    if (!GameIsFinite(position) || !gWorld)
        return true;
    return sight ? gWorld->IsCellSightBlocked(position) : gWorld->IsCellBlocked(position);
}

bool Game::IsCellBlocked(const WorldPos& position) const
{
    return IsWorldCellBlocked(position, false);
}

bool Game::IsCellSightBlocked(const WorldPos& position) const
{
    return IsWorldCellBlocked(position, true);
}

bool Game::IsBodyBlocked(const WorldPos& position, float bodyRadius) const
{
    if (!GameIsFinite(position) || !std::isfinite(bodyRadius) || !gWorld)
        return true;
    return gWorld->IsBlockedNear(position, std::max(0.0f, bodyRadius));
}

// ---- Line traces -----------------------------------------------------------------------------------

// Steps of the given length from the start along the delta, each point carried into its level;
// the last point is the end itself. A zero delta tests nothing.
bool Game::TraceCells(const WorldPos& start, const Vector2& delta, float stepLength, bool sight) const
{
    float longest = std::max(std::fabs(delta.x), std::fabs(delta.y));
    if (!(longest > 0.0f))
        return false;
    float stepCount = std::ceil(longest / stepLength);
    if (!std::isfinite(stepCount) || stepCount > static_cast<float>(kMaxTraceSteps))
        return true;
    int32_t steps = static_cast<int32_t>(stepCount);
    for (int32_t i = 1; i <= steps; ++i) {
        float t = i == steps ? 1.0f : static_cast<float>(i) / static_cast<float>(steps);
        WorldPos point{start.level, start.x + delta.x * t, start.y + delta.y * t, true};
        point.Normalize();
        if (sight ? IsCellSightBlocked(point) : IsCellBlocked(point))
            return true;
    }
    return false;
}

bool Game::TraceLine(const WorldPos& start, const WorldPos& end, uint32_t mask, const Entity* shooter,
                     const Entity* ignored, Entity*& hit) const
{
    hit = nullptr;
    if (!GameIsFinite(start) || !GameIsFinite(end))
        return true;
    Vector2 delta = start.DeltaTo(end);
    if (!std::isfinite(delta.x) || !std::isfinite(delta.y))
        return true;
    const GameSystemTuning& tuning = GameQueriesTuning();
    float stepLength = tuning.tileSize > 0.0f ? tuning.tileSize : tuning.gridSize.x;
    if (TraceCells(start, delta, stepLength, mask == kGameSightMask))
        return true;
    if (!shooter)
        return false;
    WorldPos middle = start.Offset(delta * 0.5f);
    std::vector<Entity*>& near = traceEntities;
    FindEntitiesInRadius(middle, nullptr, Vector2Length(delta) * 0.5f + kGameLargestEntityRadius, 0x1, near, false);
    for (Entity* entity : near) {
        if (entity == shooter || entity == ignored || !GameCountsForTrace(*entity, mask))
            continue;
        if (GameDistanceToSegment(start.DeltaTo(entity->position), delta) < entity->radius) {
            hit = entity;
            return true;
        }
    }
    return false;
}

bool Game::TraceLine(const WorldPos& from, const WorldPos& to, const Entity* shooter, const Entity* ignored,
                     float& fraction) const
{
    fraction = 0.0f;
    if (!GameIsFinite(from) || !GameIsFinite(to))
        return true;
    Vector2 delta = from.DeltaTo(to);
    if (!std::isfinite(delta.x) || !std::isfinite(delta.y))
        return true;
    // The way a body walks: the movement cells at the grid's own spacing.
    if (TraceCells(from, delta, GameQueriesTuning().gridSize.x, false))
        return true;
    if (shooter) {
        Entity* hit = nullptr;
        if (TraceLine(from, to, kGameDefaultSolidMask, shooter, ignored, hit))
            return true;
    }
    fraction = 1.0f;
    return false;
}

// ---- Timed actions and broadcasts ----------------------------------------------------------------

void Game::ScheduleTimedAction(Listener* target, Event* event, float delay)
{
    timedActions.Schedule(event, target, std::isfinite(delay) ? delay : 0.0f);
}

bool Game::CancelTimedActions(int eventId, const Listener* target)
{
    return timedActions.Cancel(eventId, target);
}

Event* Game::FindTimedAction(int eventId, const Listener* target) const
{
    return timedActions.Find(eventId, target);
}

void Game::ExtinguishTorchesNear(const WorldPos& position, float radius, float windStrength)
{
    std::vector<int32_t> near;
    CollectEntitiesNear(position, radius, false, near);
    for (int32_t number : near)
        if (auto* torch = dynamic_cast<Torch*>(GetEntity(number)))
            torch->BlowOut(windStrength);
}

// ---- Sounds -----------------------------------------------------------------------------------------

void Game::QueueWorldEvent(const WorldEventRequest& request)
{
    // Mended: each use of a locked door or chest a client asked for was heard by every client
    // near, without bound, until their updates passed what a datagram holds. What a client's
    // requests make heard takes room of its budget.
    if (request.name.empty())
        return;
    // The host names the sound and keeps it, so the handle still names it when a client reads
    // the record; a sound nobody can name would reach the clients as nothing at all.
    int32_t handle = gWorldHost ? gWorldHost->RegisterResource(request.name) : -1;
    if (handle == -1 || !TakeRequestRoom(NetMessages::kSoundRecordBytes))
        return;
    GameSoundRecord record;
    record.sound = handle;
    record.entityNumber = request.entityNumber;
    record.position = request.position;
    record.value = request.value;
    record.radius = request.radius;
    QueueSound(record);
}
