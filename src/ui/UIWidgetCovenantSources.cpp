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
std::string CovenantSourceKey(const std::string& name)
{
    if (name.empty())
        return {};
    return name.rfind("$$", 0) == 0 ? name : "$$" + name + "$$";
}

std::string CovenantSourceColoredName(const UiGameView& view, int32_t index)
{
    UiCovenantFacts covenant;
    return index >= 0 && view.GetCovenant(index, covenant) ? covenant.coloredName : std::string();
}

std::string CovenantSourceVerboseTaxes(const UiGameView& view, int32_t index, const UiCovenantFacts& covenant)
{
    std::string text = StringFormat("$$BaseTaxes$$: %d\n", covenant.baseTaxes);
    bool anyRoute = false;
    for (int32_t other = 0; other < view.GetCovenantCount(); ++other) {
        if (other == index || !view.HasTradeRoute(index, other))
            continue;
        anyRoute = true;
        text += StringFormat("$$TradeWith$$ %s: %d\n", CovenantSourceColoredName(view, other).c_str(),
                             view.GetTradeRouteIncome(index, other));
    }
    if (!anyRoute)
        text += "$$NoTradeRoutes$$\n";
    return text + (covenant.guardCosts > 0 ? StringFormat("$$GuardCosts$$: -%d\n", covenant.guardCosts)
                                           : std::string("$$GuardCosts$$: 0\n"));
}

// How the covenant stands toward the player's covenant, then toward every other one standing.
std::string CovenantSourceRelations(const UiGameView& view, int32_t index, const UiCovenantFacts& covenant)
{
    int32_t player = view.GetPlayerCovenantIndex();
    UiCovenantFacts own;
    if (covenant.defeated || index == player || player < 0 || !view.GetCovenant(player, own))
        return {};
    std::string text = StringFormat("$$RelationWith$$ %s %.1f (max 100.0)\n", own.name.c_str(),
                                    static_cast<double>(view.GetOwnRelation(index, player)));
    for (int32_t other = 0; other < view.GetCovenantCount(); ++other) {
        UiCovenantFacts third;
        if (other == index || other == player || !view.GetCovenant(other, third) || third.defeated)
            continue;
        text += StringFormat("  $$ShortRelationWith$$ %s %.1f\n", third.coloredName.c_str(),
                             static_cast<double>(view.GetOwnRelation(index, other)));
    }
    return text;
}

} // namespace

int32_t UIWidget::GetSourceCovenantIndex() const
{
    if (entityType >= UIEntity::PlayerCovenant)
        return GetCovenantIndex();
    UiEntityFacts entity;
    return GetEntity(entity) ? entity.covenant : -1;
}

std::string UIWidget::BuildCovenantSourceText(int32_t type) const
{
    const UiGameView& view = gUISystem->GetGameView();
    if (type == kCovenantSourceColoredShortName) {
        int32_t index = entityType == UIEntity::EnemyCovenant ? entityIndex : view.GetPlayerCovenantIndex();
        return CovenantSourceColoredName(view, index);
    }
    if (type == kCovenantSourceHas || type == kCovenantSourceOffers) {
        std::string partner = CovenantSourceColoredName(view, view.GetTradePartner());
        if (partner.empty())
            return {};
        return MakeLocToken(type == kCovenantSourceHas ? "XCovenantHas" : "XCovenantOffers", "%s", partner.c_str());
    }
    int32_t index = GetSourceCovenantIndex();
    UiCovenantFacts covenant;
    if (index < 0 || !view.GetCovenant(index, covenant))
        return {};
    switch (type) {
    case kCovenantSourceName: return CovenantSourceKey(covenant.name);
    case kCovenantSourceShortName: return covenant.name;
    case kCovenantSourceColoredName: return covenant.coloredName;
    case kCovenantSourceInfluenceRank: {
        int32_t rank = view.GetCovenantInfluenceRank(index);
        return rank < 0 ? std::string() : StringFormat("$$InfluenceAbrev$$: #%d", rank + 1);
    }
    case kCovenantSourceTaxesSimple: return StringFormat("%d $$Taxes$$", covenant.taxes);
    case kCovenantSourceTaxes: return StringFormat("$$TaxesAbrev$$: %d", covenant.taxes);
    case kCovenantSourceTaxesVerbose: return CovenantSourceVerboseTaxes(view, index, covenant);
    case kCovenantSourceRelations: return CovenantSourceRelations(view, index, covenant);
    case kCovenantSourceRaiding: {
        std::string target = CovenantSourceColoredName(view, covenant.targetCovenant);
        return target.empty() ? std::string() : MakeLocToken("RaidingCovenant", "%s", target.c_str());
    }
    default: return {};
    }
}
