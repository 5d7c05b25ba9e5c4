// LayoutInvariants -- what every laid-out world must satisfy, checked level by level: symmetric neighbours, one passage per joined pair of areas, reachability from level 0.
#pragma once

#include "world/World.h"

#include <string>
#include <vector>

// Each returns the problems found, one line each; empty when the world keeps the rule.
namespace LayoutInvariants {

// Every neighbour names the level back from the opposite direction, and the two facing sides
// agree (kind, and opening for a passage).
std::vector<std::string> CheckNeighbours(const World& world);
// A pair of areas with touching levels has exactly one passage when the areas are joined and
// none otherwise; a passage between sections joins only start and end areas.
std::vector<std::string> CheckPassages(const World& world);
// Levels on the grid lie inside it, one level a cell.
std::vector<std::string> CheckPlacements(const World& world, int32_t width, int32_t height);
// Every level of a section can be walked to from level 0: over open sides and passages, and
// through gates. The secret and treasure levels (no section) are reached by other means.
std::vector<std::string> CheckReachable(const World& world);
// All of the above.
std::vector<std::string> CheckAll(const World& world, int32_t width, int32_t height);

} // namespace LayoutInvariants
