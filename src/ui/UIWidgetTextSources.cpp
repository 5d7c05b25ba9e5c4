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

void SourcesPhrase(const char* key, std::string& out)
{
    out += "$$";
    out += key;
    out += "$$";
}

// The first key when the count is exactly one, else the second, with the count.
void SourcesCount(const char* one, const char* many, int32_t count, std::string& out)
{
    // Written on the stack: these pieces are built again every frame.
    char token[64];
    out.append(token, WriteLocToken(token, sizeof token, count == 1 ? one : many, "%d", count));
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
    // The standing alone: the names and traits a whole answer copies are not read here.
    UiCovenantFacts covenant;
    for (int32_t i = 0; i < view.GetCovenantCount(); ++i) {
        if (i == player || !view.GetCovenantState(i, covenant))
            continue;
        if (covenant.defeated) {
            ++counts.destroyed;
            continue;
        }
        ++counts.standing;
        if (view.GetTreaty(player, i) == kSourcesAlliance)
            ++counts.allied;
    }
    counts.rank = view.GetCovenantPowerRank(player) + 1;
    return true;
}

void SourcesRankText(int32_t rank, std::string& out)
{
    const char* ending = gLocSystem && gLocSystem->AddsRankEndings() ? gLocSystem->GetRankEnding(rank) : "";
    char token[64];
    out.append(token, WriteLocToken(token, sizeof token, "WinProgressRank", "%d%s", rank, ending));
}

void SourcesWinText(int32_t type, const SourcesWinCounts& c, std::string& out)
{
    auto progress = [&c, &out] {
        SourcesPhrase("WinProgressStart", out);
        SourcesCount("WinProgressOneDestroyed", "WinProgressDestroyed", c.destroyed, out);
    };
    auto alliances = [&c, &out] {
        SourcesPhrase("WinProgressSeperator", out);
        SourcesCount("WinProgressOneAlliance", "WinProgressAlliance", c.allied, out);
    };
    int32_t toBeat = c.standing - c.allied;
    switch (type) {
    case 59: progress(); return;
    case 60:
        SourcesPhrase("ForMilitaryWin", out);
        SourcesCount("WinRemainingOneDestroy", "WinRemainingDestroy", c.standing, out);
        return;
    case 61:
        progress();
        alliances();
        SourcesPhrase("WinProgressSeperator", out);
        SourcesRankText(c.rank, out);
        return;
    case 62:
        SourcesPhrase("ForDiplomaticWin", out);
        SourcesCount("WinRemainingOneDestroyAlly", "WinRemainingDestroyAlly", toBeat, out);
        if (c.rank != 1)
            SourcesPhrase("WinRemainingRank", out);
        return;
    case 63:
        progress();
        alliances();
        return;
    default:
        SourcesPhrase("ForAllianceWin", out);
        SourcesCount("WinRemainingOneDestroyAlly", "WinRemainingDestroyAlly", toBeat, out);
        return;
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
    AppendText(list, built);
    return built;
}

void UIWidget::AppendText(const std::vector<TextSourceElement>& list, std::string& out) const
{
    for (const TextSourceElement& element : list)
        BuildSourceText(element.type, element.param, element.argument, out);
}

void UIWidget::BuildEntityLevelText(std::string& out) const
{
    UiEntityFacts entity;
    if (!GetEntity(entity))
        return;
    // A colour code is a few characters: it stays in the string's own room.
    out += ColorSystem::MakeColorCode(SourcesLevelColor(GetEntityLevelDifference()));
    StringAppendFormat(out, "%d", entity.level);
}

void UIWidget::BuildCovenantRankText(std::string& out) const
{
    int32_t covenant = GetCovenantIndex();
    if (covenant < 0)
        return;
    int32_t rank = gUISystem->GetGameView().GetCovenantPowerRank(covenant);
    if (rank >= 0)
        StringAppendFormat(out, "$$PowerAbrev$$: #%d", rank + 1);
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
            return "$$NoActiveQuests$$";
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
        return "$$NoNewQuestsAvailable$$";
    int32_t entity = GetEntityNumber();
    if (entity < 0 || !view.HasLocalPlayer())
        return {};
    std::string text;
    return view.GetOfferedQuestText(entity, ParseInt(chosen), text) ? text : "$$NoNewQuestsAvailable$$";
}

void UIWidget::BuildSourceText(int32_t type, int32_t param, const std::string& argument, std::string& out) const
{
    if (!gUISystem)
        return;
    const UiGameView& view = gUISystem->GetGameView();
    switch (type) {
    case 1: out += view.GetPlayerName(); return;
    case 4: out += view.GetPlayerClassName(); return;
    case 2:
    case 3: out += view.GetPlayerTitle(type == 2); return;
    case 12: BuildEntityLevelText(out); return;
    case 13: out += GetUserVarString(); return;
    case 14:
        if (gUserVarSystem && gUserVarSystem->FindVar(argument))
            out += gUserVarSystem->GetStringByName(argument);
        return;
    case 21: out += view.GetSkillTreeName(param); return;
    case 22: StringAppendFormat(out, "$$Shelf$$ %d", param + 1); return;
    case 23:
    case 24:
    case 25:
    case 26:
    case 27:
    case 29:
    case 48:
    case 49: out += BuildQuestText(type, param); return;
    case 28: out += view.GetDiplomacyResponse(); return;
    case 34: BuildCovenantRankText(out); return;
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
    case 65: BuildCovenantSourceText(type, out); return;
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
    case 82: out += BuildGameSourceText(type, param); return;
    case 40:
        if (UIMenu* page = menu ? menu->GetSubMenu(param) : nullptr)
            out += page->name;
        return;
    case 45:
    case 46:
        out += type == 45 ? "$$HelpText" : "$$HelpTitle";
        if (gUserVarSystem)
            out += gUserVarSystem->GetStringByName("HelpTopic");
        out += "$$";
        return;
    case 52: out += argument; return;
    case 54: out += SourcesBoundKeyName(argument); return;
    case 57: out += GetHotKeyHelp(argument); return;
    case 58: {
        std::string bound = SourcesBoundKeyName(argument);
        out += bound.empty() ? argument : bound;
        return;
    }
    case 59:
    case 60:
    case 61:
    case 62:
    case 63:
    case 64: {
        SourcesWinCounts counts;
        if (SourcesCountCovenants(view, counts))
            SourcesWinText(type, counts, out);
        return;
    }
    case 83: {
        float multiplier = view.GetAdventureRewardMultiplier();
        if (multiplier == 1.0f)
            SourcesPhrase("NoScoreBonus", out);
        else
            StringAppendFormat(out, "+%.0f%%", static_cast<double>((multiplier - 1.0f) * 100.0f));
        return;
    }
    case 91:
        if (view.HasLocalPlayer())
            out += FormatThousands(SourcesPlayerStat(view, argument));
        return;
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 19:
    case 30:
    case 31:
    case 47:
    case 69: out += BuildPlayerSourceText(type, param); return;
    default: break;
    }
    if ((type >= 70 && type <= 81) || (type >= 87 && type <= 90) || type == 93 || type == 95 || type == 96)
        out += BuildProfileText(type, argument);
}
