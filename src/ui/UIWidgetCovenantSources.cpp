// UIWidgetCovenantSources -- the covenant pieces of the widgets' text sources: names plain and coloured, influence rank, taxes and trade income, the trade partner, the relations toward the player's covenant and the raid under way, read from the game view at every build.
#include "ui/UIWidget.h"

#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"
#include "ui/UiNameTables.h"

namespace {

constexpr int32_t kCovenantSourceName = 15;
constexpr int32_t kCovenantSourceShortName = 16;
constexpr int32_t kCovenantSourceColoredName = 17;
constexpr int32_t kCovenantSourceColoredShortName = 18;
constexpr int32_t kCovenantSourceInfluenceRank = 33;
constexpr int32_t kCovenantSourceTaxesSimple = 35;
constexpr int32_t kCovenantSourceTaxes = 36;
constexpr int32_t kCovenantSourceTaxesVerbose = 37;
constexpr int32_t kCovenantSourceHas = 38;
constexpr int32_t kCovenantSourceOffers = 39;
constexpr int32_t kCovenantSourceRelations = 53;
constexpr int32_t kCovenantSourceRaiding = 65;

// A name that is already a localisation key stays one key.
void CovenantSourceKey(const std::string& name, std::string& out)
{
    if (name.empty())
        return;
    if (name.rfind("$$", 0) == 0) {
        out += name;
        return;
    }
    out += "$$";
    out += name;
    out += "$$";
}

std::string CovenantSourceColoredName(const UiGameView& view, int32_t index)
{
    std::string name;
    if (index >= 0)
        view.AppendCovenantName(index, true, name);
    return name;
}

void CovenantSourceVerboseTaxes(const UiGameView& view, int32_t index, const UiCovenantFacts& covenant, std::string& out)
{
    StringAppendFormat(out, "$$BaseTaxes$$: %d\n", covenant.baseTaxes);
    bool anyRoute = false;
    for (int32_t other = 0; other < view.GetCovenantCount(); ++other) {
        if (other == index || !view.HasTradeRoute(index, other))
            continue;
        anyRoute = true;
        out += "$$TradeWith$$ ";
        view.AppendCovenantName(other, true, out);
        StringAppendFormat(out, ": %d\n", view.GetTradeRouteIncome(index, other));
    }
    if (!anyRoute)
        out += "$$NoTradeRoutes$$\n";
    if (covenant.guardCosts > 0)
        StringAppendFormat(out, "$$GuardCosts$$: -%d\n", covenant.guardCosts);
    else
        out += "$$GuardCosts$$: 0\n";
}

// How the covenant stands toward the player's covenant, then toward every other one standing.
// Each card builds this every frame: the names are written straight into the text.
void CovenantSourceRelations(const UiGameView& view, int32_t index, const UiCovenantFacts& covenant, std::string& out)
{
    int32_t player = view.GetPlayerCovenantIndex();
    if (covenant.defeated || index == player || player < 0)
        return;
    size_t start = out.size();
    out += "$$RelationWith$$ ";
    if (!view.AppendCovenantName(player, false, out)) {
        out.resize(start);
        return;
    }
    StringAppendFormat(out, " %.1f (max 100.0)\n", static_cast<double>(view.GetOwnRelation(index, player)));
    UiCovenantFacts third;
    for (int32_t other = 0; other < view.GetCovenantCount(); ++other) {
        if (other == index || other == player || !view.GetCovenantState(other, third) || third.defeated)
            continue;
        out += "  $$ShortRelationWith$$ ";
        view.AppendCovenantName(other, true, out);
        StringAppendFormat(out, " %.1f\n", static_cast<double>(view.GetOwnRelation(index, other)));
    }
}

} // namespace

int32_t UIWidget::GetSourceCovenantIndex() const
{
    if (entityType >= UIEntity::PlayerCovenant)
        return GetCovenantIndex();
    UiEntityFacts entity;
    return GetEntity(entity) ? entity.covenant : -1;
}

void UIWidget::BuildCovenantSourceText(int32_t type, std::string& out) const
{
    const UiGameView& view = gUISystem->GetGameView();
    if (type == kCovenantSourceColoredShortName) {
        int32_t index = entityType == UIEntity::EnemyCovenant ? entityIndex : view.GetPlayerCovenantIndex();
        if (index >= 0)
            view.AppendCovenantName(index, true, out);
        return;
    }
    if (type == kCovenantSourceHas || type == kCovenantSourceOffers) {
        std::string partner = CovenantSourceColoredName(view, view.GetTradePartner());
        if (!partner.empty())
            out += MakeLocToken(type == kCovenantSourceHas ? "XCovenantHas" : "XCovenantOffers", "%s", partner.c_str());
        return;
    }
    int32_t index = GetSourceCovenantIndex();
    UiCovenantFacts covenant;
    // The texts of a whole answer only where a piece shows them.
    bool texts = type == kCovenantSourceName || type == kCovenantSourceShortName || type == kCovenantSourceColoredName;
    if (index < 0 || !(texts ? view.GetCovenant(index, covenant) : view.GetCovenantState(index, covenant)))
        return;
    switch (type) {
    case kCovenantSourceName: CovenantSourceKey(covenant.name, out); return;
    case kCovenantSourceShortName: out += covenant.name; return;
    case kCovenantSourceColoredName: out += covenant.coloredName; return;
    case kCovenantSourceInfluenceRank: {
        int32_t rank = view.GetCovenantInfluenceRank(index);
        if (rank >= 0)
            StringAppendFormat(out, "$$InfluenceAbrev$$: #%d", rank + 1);
        return;
    }
    case kCovenantSourceTaxesSimple: StringAppendFormat(out, "%d $$Taxes$$", covenant.taxes); return;
    case kCovenantSourceTaxes: StringAppendFormat(out, "$$TaxesAbrev$$: %d", covenant.taxes); return;
    case kCovenantSourceTaxesVerbose: CovenantSourceVerboseTaxes(view, index, covenant, out); return;
    case kCovenantSourceRelations: CovenantSourceRelations(view, index, covenant, out); return;
    case kCovenantSourceRaiding: {
        std::string target = CovenantSourceColoredName(view, covenant.targetCovenant);
        if (!target.empty())
            out += MakeLocToken("RaidingCovenant", "%s", target.c_str());
        return;
    }
    default: return;
    }
}
