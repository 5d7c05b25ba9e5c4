// UiNameTables -- the words layout files use for conditions, entities, text sources, colour sources, UI modes, text orientation and font types.
#pragma once

#include <cstdint>

// The tables are process-wide enum-name tables; registering them again refills the same tables.
namespace UiNameTables {

constexpr int32_t kConditionCount = 101;
constexpr int32_t kEntityCount = 9;
constexpr int32_t kTextSourceCount = 97;
constexpr int32_t kColorSourceCount = 3;
constexpr int32_t kModeCount = 2;

// "UICondition", "UIEntity", "UITextSource", "UIColorSource", "UIMode", "TextOrientation" and
// "FontType", each with the default 0.
void Register();

} // namespace UiNameTables

// The values code names (the tables hold every name).
namespace UICondition {
enum Value : int32_t {
    None = 0,
    ParentWidgetSelected = 6,
    ParentWidgetVisible = 7,
    UserVarSet = 23,
    LowHealth = 29,
    AlwaysTrue = 59,
};
} // namespace UICondition

namespace UIEntity {
enum Value : int32_t {
    PlayerServer = 0,
    PlayerClient = 1,
    Selected = 2,
    SelectedRecruit = 3,
    PartyMember = 4,
    PlayerCovenant = 5,
    PlayerCovenantServer = 6,
    EnemyCovenant = 7,
    SortedCovenantByPower = 8,
};
} // namespace UIEntity

namespace UIMode {
enum Value : int32_t { Normal = 0, IncreaseSkill = 1 };
} // namespace UIMode

namespace TextOrientation {
enum Value : int32_t { BottomLeft = 0, Center = 1, CenterLeft = 2, CenterRight = 3 };
} // namespace TextOrientation
