// UIWidgetTextSources -- the texts of the widgets' text sources: levels, user vars, key names, covenant ranks, win progress and score bonuses, and the choice of the piece that builds each of the others, read from the game view at every build.
#include "ui/UIWidget.h"

#include "core/ColorSystem.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TimeStamp.h"
#include "core/UserVarSystem.h"
#include "core/VirtualKeys.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"

namespace {

// Colour-table entries the pieces start with.
constexpr int32_t kSourcesRed = 1;
constexpr int32_t kSourcesGreen = 2;
constexpr int32_t kSourcesGrey = 4;
constexpr int32_t kSourcesYellow = 5;
constexpr int32_t kSourcesOrange = 6;
constexpr int32_t kSourcesPurple = 7;
// The treaty value of an alliance.
constexpr int32_t kSourcesAlliance = 6;
constexpr int32_t kSourcesQuestSlots = 6;

std::string SourcesPhrase(const char* key)
{
    return std::string("$$") + key + "$$";
}

// The first key when the count is exactly one, else the second, with the count.
std::string SourcesCount(const char* one, const char* many, int32_t count)
{
    return MakeLocToken(count == 1 ? one : many, "%d", count);
}

int32_t SourcesLevelColor(int32_t difference)
{
    if (difference <= -5)
        return kSourcesGrey;
    if (difference <= -2)
        return kSourcesGreen;
    if (difference <= 2)
        return kSourcesYellow;
    if (difference <= 4)
        return kSourcesOrange;
    return difference == 5 ? kSourcesRed : kSourcesPurple;
}

// The position of the covenant in the power order; -1 when it has none.
int32_t SourcesPowerRank(const UiGameView& view, int32_t covenant)
{
    for (int32_t position = 0; covenant >= 0 && position < view.GetCovenantCount(); ++position)
        if (view.GetCovenantByPower(position) == covenant)
            return position;
    return -1;
}

// The covenants other than the player's: destroyed, standing, and standing in alliance with it.
struct SourcesWinCounts {
    int32_t destroyed = 0;
    int32_t standing = 0;
    int32_t allied = 0;
    int32_t rank = 0;
};

bool SourcesCountCovenants(const UiGameView& view, SourcesWinCounts& counts)
{
    int32_t player = view.GetPlayerCovenantIndex();
    if (player < 0)
        return false;
    for (int32_t i = 0; i < view.GetCovenantCount(); ++i) {
        UiCovenantFacts covenant;
        if (i == player || !view.GetCovenant(i, covenant))
            continue;
        if (covenant.defeated) {
            ++counts.destroyed;
            continue;
        }
        ++counts.standing;
        if (view.GetTreaty(player, i) == kSourcesAlliance)
            ++counts.allied;
    }
    counts.rank = SourcesPowerRank(view, player) + 1;
    return true;
}

std::string SourcesRankText(int32_t rank)
{
    const char* ending = gLocSystem && gLocSystem->AddsRankEndings() ? gLocSystem->GetRankEnding(rank) : "";
    return MakeLocToken("WinProgressRank", "%d%s", rank, ending);
}

std::string SourcesWinText(int32_t type, const SourcesWinCounts& c)
{
    std::string progress = SourcesPhrase("WinProgressStart") +
                           SourcesCount("WinProgressOneDestroyed", "WinProgressDestroyed", c.destroyed);
    std::string alliances = SourcesPhrase("WinProgressSeperator") +
                            SourcesCount("WinProgressOneAlliance", "WinProgressAlliance", c.allied);
    int32_t toBeat = c.standing - c.allied;
    switch (type) {
    case 59: return progress;
    case 60: return SourcesPhrase("ForMilitaryWin") + SourcesCount("WinRemainingOneDestroy", "WinRemainingDestroy", c.standing);
    case 61: return progress + alliances + SourcesPhrase("WinProgressSeperator") + SourcesRankText(c.rank);
    case 62:
        return SourcesPhrase("ForDiplomaticWin") +
               SourcesCount("WinRemainingOneDestroyAlly", "WinRemainingDestroyAlly", toBeat) +
               (c.rank != 1 ? SourcesPhrase("WinRemainingRank") : std::string());
    case 63: return progress + alliances;
    default:
        return SourcesPhrase("ForAllianceWin") +
               SourcesCount("WinRemainingOneDestroyAlly", "WinRemainingDestroyAlly", toBeat);
    }
}

int32_t SourcesPlayerStat(const UiGameView& view, const std::string& statName)
{
    int32_t index = EnumTable::LookupIn("CharacterStat", statName);
    int32_t value = 0;
    if (!view.HasLocalPlayer() || !view.GetPlayerStat(index, value))
        return 0;
    return value;
}

// The bound key's name, or "" for an action nothing is bound to or no action at all.
std::string SourcesBoundKeyName(const std::string& action)
{
    if (!gVirtualKeys)
        return {};
    int32_t code = gVirtualKeys->FindByName(action, true);
    return code < 0 ? std::string() : gVirtualKeys->GetBoundKeyName(code);
}

} // namespace

std::string UIWidget::BuildText(const std::vector<TextSourceElement>& list) const
{
    std::string built;
    for (const TextSourceElement& element : list)
        built += BuildSourceText(element.type, element.param, element.argument);
    return built;
}

std::string UIWidget::BuildEntityLevelText() const
{
    UiEntityFacts entity;
    if (!GetEntity(entity))
        return {};
    return ColorSystem::MakeColorCode(SourcesLevelColor(GetEntityLevelDifference())) +
           StringFormat("%d", entity.level);
}

std::string UIWidget::BuildCovenantRankText() const
{
    int32_t covenant = GetCovenantIndex();
    if (covenant < 0)
        return {};
    int32_t rank = SourcesPowerRank(gUISystem->GetGameView(), covenant);
    return rank < 0 ? std::string() : StringFormat("$$PowerAbrev$$: #%d", rank + 1);
}

std::string UIWidget::BuildQuestText(int32_t type, int32_t param) const
{
    const UiGameView& view = gUISystem->GetGameView();
    switch (type) {
    case 23: {
        if (!view.HasLocalPlayer())
            return {};
        bool any = false;
        for (int32_t slot = 0; slot < kSourcesQuestSlots; ++slot)
            any = any || view.IsQuestSlotFilled(slot);
        if (!any)
            return SourcesPhrase("NoActiveQuests");
        // A slot the user var names outside the six shows nothing.
        std::string slot = GetUserVarString();
        return IsIntegerText(slot) ? view.GetQuestSlotText(ParseInt(slot)) : std::string();
    }
    case 24: return view.GetQuestSlotTitle(param);
    case 25: return BuildPotentialQuestText();
    case 26:
    case 27: {
        int32_t slot = view.FindQuestSlotSolvedBy(GetEntityNumber());
        if (slot < 0)
            return {};
        return type == 26 ? view.GetQuestSlotText(slot) : view.GetQuestSlotTitle(slot);
    }
    case 29: return view.GetNpcChatText();
    default: {
        float left = 0.0f;
        int32_t slot = view.FindShortestTimeQuestSlot(left);
        if (slot < 0)
            return {};
        return type == 48 ? view.GetQuestSlotTitle(slot) : FormatSeconds(left, DurationStyle::Clock, 0.05f);
    }
    }
}

std::string UIWidget::BuildPotentialQuestText() const
{
    const UiGameView& view = gUISystem->GetGameView();
    std::string chosen = gUserVarSystem ? gUserVarSystem->GetStringByName("SelectedQuest") : std::string();
    if (!IsIntegerText(chosen) || !view.KnowsWorldQuest(ParseInt(chosen)))
        return SourcesPhrase("NoNewQuestsAvailable");
    int32_t entity = GetEntityNumber();
    if (entity < 0 || !view.HasLocalPlayer())
        return {};
    std::string text;
    return view.GetOfferedQuestText(entity, ParseInt(chosen), text) ? text : SourcesPhrase("NoNewQuestsAvailable");
}

std::string UIWidget::BuildSourceText(int32_t type, int32_t param, const std::string& argument) const
{
    if (!gUISystem)
        return {};
    const UiGameView& view = gUISystem->GetGameView();
    switch (type) {
    case 1: return view.GetPlayerName();
    case 4: return view.GetPlayerClassName();
    case 2:
    case 3: return view.GetPlayerTitle(type == 2);
    case 12: return BuildEntityLevelText();
    case 13: return GetUserVarString();
    case 14: return gUserVarSystem && gUserVarSystem->FindVar(argument) ? gUserVarSystem->GetStringByName(argument)
                                                                        : std::string();
    case 21: return view.GetSkillTreeName(param);
    case 22: return StringFormat("$$Shelf$$ %d", param + 1);
    case 23:
    case 24:
    case 25:
    case 26:
    case 27:
    case 29:
    case 48:
    case 49: return BuildQuestText(type, param);
    case 28: return view.GetDiplomacyResponse();
    case 34: return BuildCovenantRankText();
    case 15:
    case 16:
    case 17:
    case 18:
    case 33:
    case 35:
    case 36:
    case 37:
    case 38:
    case 39:
    case 53:
    case 65: return BuildCovenantSourceText(type);
    case 5:
    case 6:
    case 20:
    case 32:
    case 50:
    case 55:
    case 67:
    case 68:
    case 84:
    case 85:
    case 86:
    case 92:
    case 94:
    case 44:
    case 51:
    case 56:
    case 66:
    case 82: return BuildGameSourceText(type, param);
    case 40: {
        UIMenu* page = menu ? menu->GetSubMenu(param) : nullptr;
        return page ? page->name : std::string();
    }
    case 45:
    case 46: {
        std::string topic = gUserVarSystem ? gUserVarSystem->GetStringByName("HelpTopic") : std::string();
        return (type == 45 ? "$$HelpText" : "$$HelpTitle") + topic + "$$";
    }
    case 52: return argument;
    case 54: return SourcesBoundKeyName(argument);
    case 57: return GetHotKeyHelp(argument);
    case 58: {
        std::string bound = SourcesBoundKeyName(argument);
        return bound.empty() ? argument : bound;
    }
    case 59:
    case 60:
    case 61:
    case 62:
    case 63:
    case 64: {
        SourcesWinCounts counts;
        return SourcesCountCovenants(view, counts) ? SourcesWinText(type, counts) : std::string();
    }
    case 83: {
        float multiplier = view.GetAdventureRewardMultiplier();
        return multiplier == 1.0f ? SourcesPhrase("NoScoreBonus")
                                  : StringFormat("+%.0f%%", (multiplier - 1.0f) * 100.0f);
    }
    case 91: return view.HasLocalPlayer() ? FormatThousands(SourcesPlayerStat(view, argument)) : std::string();
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 19:
    case 30:
    case 31:
    case 47:
    case 69: return BuildPlayerSourceText(type, param);
    default: break;
    }
    if ((type >= 70 && type <= 81) || (type >= 87 && type <= 90) || type == 93 || type == 95 || type == 96)
        return BuildProfileText(type, argument);
    return {};
}
