// Game -- what the actors ask of the game: walks between two points, generated levels and the faction list.
#include "server/Game.h"

#include "core/Vector.h"
#include "entities/Entity.h"
#include "rules/GameData.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

// The direction code of a cell step, 0 north (+y) then clockwise; -1 for no step.
int32_t GameActorsStepCode(int32_t dx, int32_t dy)
{
    constexpr int32_t kCodes[3][3] = {{5, 6, 7}, {4, -1, 0}, {3, 2, 1}};
    return kCodes[dx + 1][dy + 1];
}

int32_t GameActorsSign(float value)
{
    return value > 0.5f ? 1 : value < -0.5f ? -1 : 0;
}

} // namespace

bool Game::FindPath(const Entity& mover, const WorldPos& from, const WorldPos& target, const Entity* targetEntity,
                    PathRecord* path)
{
    if (!gGameData || !std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(target.x) ||
        !std::isfinite(target.y))
        return false;
    const FloatPair& grid = gGameData->GetTuning().gridSize;
    if (grid.x <= 0.0f || grid.y <= 0.0f)
        return false;
    float reach = grid.x * 1.5f + (targetEntity ? mover.radius + targetEntity->radius : 0.0f);
    WorldPos there = target;
    there.ToLevelFrame(from.level);
    float cellsX = (there.x - from.x) / grid.x;
    float cellsY = (there.y - from.y) / grid.y;
    WorldPos at = from;
    int32_t count = 0;
    while (std::hypot(there.x - at.x, there.y - at.y) >= reach) {
        if (count >= PathRecord::kMaxSteps)
            return false;
        int32_t dx = GameActorsSign(cellsX);
        int32_t dy = GameActorsSign(cellsY);
        int32_t code = GameActorsStepCode(dx, dy);
        if (code < 0)
            break;
        at.x += static_cast<float>(dx) * grid.x;
        at.y += static_cast<float>(dy) * grid.y;
        cellsX -= static_cast<float>(dx);
        cellsY -= static_cast<float>(dy);
        if ((mover.flags & EntityFlag::IgnoresObstacles) == 0 && IsCellBlocked(at))
            return false;
        if (path)
            path->steps[static_cast<size_t>(count)] = code;
        ++count;
    }
    if (path) {
        path->count = count;
        path->cursor = 0;
    }
    return true;
}

bool Game::IsLevelGenerated(int32_t level) const
{
    return gWorld && gWorld->IsLevelGenerated(level);
}

int32_t Game::GetOrAddFaction(std::string_view name)
{
    if (name.empty())
        return -1;
    auto found = std::find(factions.begin(), factions.end(), name);
    if (found == factions.end())
        found = factions.insert(factions.end(), std::string(name));
    return static_cast<int32_t>(found - factions.begin());
}
