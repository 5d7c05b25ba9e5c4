// UIWidgetPlayerSources -- the player's pieces of the widgets' text sources: hover names of the selected and the widget's entity, its running timed action, the game's version, the level the player stands on, a skill's name and the tomes on the bookshelf.
#include "ui/UIWidget.h"

#include "core/ColorSystem.h"
#include "core/EngineEnums.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kPlayerSourceSelectedFullName = 7;
constexpr int32_t kPlayerSourceSelectedName = 8;
constexpr int32_t kPlayerSourceSelectedTitle = 9;
constexpr int32_t kPlayerSourceEntityName = 10;
constexpr int32_t kPlayerSourceEntityNameSimple = 11;
constexpr int32_t kPlayerSourceAreaName = 19;
constexpr int32_t kPlayerSourceTimedEvent = 30;
constexpr int32_t kPlayerSourceVersion = 31;
constexpr int32_t kPlayerSourceTomes = 47;

constexpr int32_t kPlayerSourceGreen = 2;
// The skill names come from the first of the class's trees.
constexpr int32_t kPlayerSourceSkillTree = 0;

std::string PlayerSourceHoverName(const UiGameView& view, int32_t entity, int32_t type)
{
    if (entity < 0)
        return {};
    switch (type) {
    case kPlayerSourceSelectedFullName: return view.GetEntityHoverName(entity, true, true, true);
    case kPlayerSourceSelectedName: return view.GetEntityHoverName(entity, true, true, false);
    case kPlayerSourceSelectedTitle: return view.GetEntityHoverName(entity, true, false, true);
    case kPlayerSourceEntityName: return view.GetEntityHoverName(entity, false, true, true);
    default: return view.GetEntityHoverName(entity, true, true, true);
    }
}

std::string PlayerSourceTimedEvent(const UiGameView& view, int32_t entity)
{
    int32_t action = entity < 0 ? 0 : view.GetEntityTimedAction(entity);
    const EnumTable* table = EnumTable::Find("TimedAction");
    if (action <= 0 || !table || action >= table->GetCount())
        return {};
    // While the action's time is known, its whole seconds still to go fill the phrase's first
    // place: the fallen hero's "Rise again" said nothing of the lifestone's wait.
    UiEntityFacts facts;
    if (!view.GetEntity(entity, facts) || !facts.hasTimedEvent)
        return "$$" + table->GetName(action) + "$$";
    auto left = static_cast<int32_t>(std::ceil(std::max(facts.maxTimedEvent - facts.timedEvent, 0.0f)));
    return MakeLocToken(table->GetName(action), "%d", left);
}

std::string PlayerSourceAreaName(const UiGameView& view)
{
    std::string name = view.GetPlayerLevelName();
    if (name.empty())
        return {};
    return (view.IsQuestTargetHere() ? ColorSystem::MakeColorCode(kPlayerSourceGreen) : std::string()) + name;
}

std::string PlayerSourceTomes(const UiGameView& view)
{
    int32_t shelf = gGameData ? gGameData->GetTuning().bookshelfSize : 0;
    int32_t tomes = view.HasLocalPlayer() ? view.CountFilledSlots(InventoryGroupIndex::Bookshelf, shelf) : 0;
    return MakeLocToken("TomesXOfY", "%d %d", tomes, shelf);
}

} // namespace

std::string UIWidget::BuildPlayerSourceText(int32_t type, int32_t param) const
{
    const UiGameView& view = gUISystem->GetGameView();
    switch (type) {
    case kPlayerSourceSelectedFullName:
    case kPlayerSourceSelectedName:
    case kPlayerSourceSelectedTitle: return PlayerSourceHoverName(view, view.GetSelectedEntityNumber(), type);
    case kPlayerSourceEntityName:
    case kPlayerSourceEntityNameSimple: return PlayerSourceHoverName(view, GetEntityNumber(), type);
    case kPlayerSourceAreaName: return PlayerSourceAreaName(view);
    case kPlayerSourceTimedEvent: return PlayerSourceTimedEvent(view, GetEntityNumber());
    case kPlayerSourceVersion: return gUserVarSystem ? gUserVarSystem->GetStringByName("version") : std::string();
    case kPlayerSourceTomes: return PlayerSourceTomes(view);
    default: return view.GetSkillName(kPlayerSourceSkillTree, param);
    }
}
