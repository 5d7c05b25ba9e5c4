// AreaEdgeRoles -- the nine edge-type names an area file may give special meaning, and which block edge fits which requirement.
#include "world/AreaEdgeRoles.h"

#include "core/StringUtil.h"

namespace {

constexpr const char* kAreaEdgeRoleWords[AreaEdgeRole::kCount] = {
    "levelEdgeClosed", "levelEdgeOpen", "levelBottleneck", "closed", "door",
    "wall",            "bottomOpen",    "leftOpen",        "cornerOnly",
};

} // namespace

void AreaEdgeRoles::Resolve(const std::vector<std::string>& edgeTypeNames)
{
    roles.fill(-1);
    for (size_t index = 0; index < edgeTypeNames.size(); ++index) {
        for (int32_t role = 0; role < AreaEdgeRole::kCount; ++role) {
            if (StringEqualsNoCase(edgeTypeNames[index], kAreaEdgeRoleWords[role]))
                roles[static_cast<size_t>(role)] = static_cast<int32_t>(index);
        }
    }
}

bool AreaEdgeRoles::Is(int32_t edge, AreaEdgeRole::Value role) const
{
    int32_t index = Get(role);
    return index >= 0 && edge == index;
}

bool AreaEdgeRoles::IsLevelBorderType(int32_t edge) const
{
    using namespace AreaEdgeRole;
    return Is(edge, LevelEdgeClosed) || Is(edge, LevelEdgeOpen) || Is(edge, LevelBottleneck);
}

bool AreaEdgeRoles::EdgeFits(int32_t edge, int32_t requirement) const
{
    using namespace AreaEdgeRole;
    switch (requirement) {
    case EdgeRequirement::kClosedLevelBorder:
        return Is(edge, LevelEdgeClosed) || Is(edge, Closed);
    case EdgeRequirement::kOpenLevelBorder:
        return Is(edge, LevelEdgeOpen);
    case EdgeRequirement::kLevelExit:
        return Is(edge, LevelBottleneck);
    case EdgeRequirement::kNoNeighbourYet:
        return !IsLevelBorderType(edge);
    default:
        break;
    }
    bool doorOrWall = Is(edge, Door) || Is(edge, Wall);
    if (Is(requirement, Door) || Is(requirement, Wall))
        return !IsLevelBorderType(edge);
    if (Is(requirement, BottomOpen))
        return Is(edge, BottomOpen) || Is(edge, CornerOnly) || doorOrWall;
    if (Is(requirement, LeftOpen))
        return Is(edge, LeftOpen) || Is(edge, CornerOnly) || doorOrWall;
    if (Is(requirement, CornerOnly))
        return Is(edge, BottomOpen) || Is(edge, LeftOpen);
    return doorOrWall || edge == requirement;
}
