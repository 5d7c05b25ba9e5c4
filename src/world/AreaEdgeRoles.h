// AreaEdgeRoles -- the nine edge-type names an area file may give special meaning, and which block edge fits which requirement.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace AreaEdgeRole {
enum Value : int32_t {
    LevelEdgeClosed,
    LevelEdgeOpen,
    LevelBottleneck,
    Closed,
    Door,
    Wall,
    BottomOpen,
    LeftOpen,
    CornerOnly,
};
constexpr int32_t kCount = 9;
} // namespace AreaEdgeRole

// What the level generator asks of a block side: an edge-type index, or one of these codes.
namespace EdgeRequirement {
constexpr int32_t kNoNeighbourYet = -1;
constexpr int32_t kOpenLevelBorder = -2;
constexpr int32_t kClosedLevelBorder = -3;
constexpr int32_t kLevelExit = -4;
} // namespace EdgeRequirement

class AreaEdgeRoles {
public:
    AreaEdgeRoles() { roles.fill(-1); }

    // Each role takes the index of its word among the names (case ignored; a later duplicate
    // wins); -1 when the names lack it.
    void Resolve(const std::vector<std::string>& edgeTypeNames);
    int32_t Get(AreaEdgeRole::Value role) const { return roles[static_cast<size_t>(role)]; }

    // Whether a block edge of type edge may lie where the requirement is asked.
    bool EdgeFits(int32_t edge, int32_t requirement) const;

private:
    // A role the file does not name is -1 and matches no edge.
    bool Is(int32_t edge, AreaEdgeRole::Value role) const;
    bool IsLevelBorderType(int32_t edge) const;

    std::array<int32_t, AreaEdgeRole::kCount> roles{};
};
