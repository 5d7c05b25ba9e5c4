// TradeWindow -- the lists of the trade and diplomacy window: what each side holds, its tradeable goods, the treaties, routes and agreements on offer, the two offers, the treaties in force and the covenants an agreement may name.
#include "client/TradeWindow.h"

#include "client/ClientCommandTable.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "rules/Formulas.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/DiplomacyText.h"
#include "rules/items/ItemBase.h"
#include "rules/items/ItemDefinition.h"

#include <algorithm>
#include <iterator>

namespace {

// The bags whose goods each side lists: the player's four carried bags, and the loot bag that
// mirrors what the other covenant shows.
constexpr int32_t kTradePlayerBags[] = {2, 3, 4, 5};
constexpr int32_t kTradeOtherBags[] = {15};

bool TradeListAtWar(int32_t treaty)
{
    return treaty == CovenantTreaty::War || treaty == CovenantTreaty::Raid;
}

// The treaty whose name an entry of kinds 2 to 5 carries.
int32_t TradeListTreatyOf(int32_t kind)
{
    switch (kind) {
    case TradeOfferKind::Peace: return CovenantTreaty::Peace;
    case TradeOfferKind::NonAggressionPact: return CovenantTreaty::NonAggressionPact;
    case TradeOfferKind::MutualProtectionPact: return CovenantTreaty::MutualProtectionPact;
    default: return CovenantTreaty::Alliance;
    }
}

bool TradeListIsTradeable(const ItemBase& item)
{
    const ItemDefinition* definition = item.GetDefinition();
    if (definition && definition->noDrop)
        return false;
    int32_t type = item.GetItemType();
    return type == ItemType::Relic || type == ItemType::Chest || type == ItemType::HandPrimary ||
           type == ItemType::HandSecondary || item.GetQuality() > ItemRarity::Normal;
}

// An item's row shows its tooltip, and beside it what the player (or the recruit or house post
// the comparison keys chose) has in its place.
void TradeListItemHelp(PlayerClient& player, const ItemBase& item, ListEntry& row)
{
    ItemTooltipOptions options{player.GetStats()};
    item.BuildTooltip(options, row.helpText);
    player.BuildEquippedComparison(&item, options, row.extra);
}

ListEntry TradeListRow(std::string text, std::string command)
{
    ListEntry row;
    row.name = std::move(text);
    row.value = std::move(command);
    return row;
}

const char* TradeListAgreementKey(int32_t action)
{
    switch (action) {
    case TradeOfferAction::ProposePeace: return "$$MakePeaceWith$$";
    case TradeOfferAction::JointWar: return "$$DeclareWarOn$$";
    case TradeOfferAction::JointRaid: return "$$Raid$$";
    case TradeOfferAction::MakePeace: return "$$BreakTreatyWith$$";
    default: return "$$BreakTradeRouteWith$$";
    }
}

std::string TradeListCrystals(int64_t count)
{
    bool plural = gLocSystem && gLocSystem->AddsPluralEndings() && count >= 2;
    return StringFormat("%s $$Crystal$$%s", FormatThousands(static_cast<int32_t>(count)).c_str(), plural ? "s" : "");
}

} // namespace

void TradeWindow::RegisterLists()
{
    if (!gCommandSystem)
        return;
    struct SideList {
        const char* player;
        const char* other;
        void (*fill)(const TradeWindow& trade, int32_t side, std::vector<ListEntry>& rows);
    };
    static constexpr SideList kSideLists[] = {
        {"getTradePlayerGold", "getTradeOtherGold",
         [](const TradeWindow& t, int32_t side, std::vector<ListEntry>& rows) { t.ListGold(side, rows); }},
        {"getTradePlayerInfluence", "getTradeOtherInfluence",
         [](const TradeWindow& t, int32_t side, std::vector<ListEntry>& rows) { t.ListInfluence(side, rows); }},
        {"getTradePlayerCrystals", "getTradeOtherCrystals",
         [](const TradeWindow& t, int32_t side, std::vector<ListEntry>& rows) { t.ListCrystals(side, rows); }},
        {"getTradePlayerMoneyInfluence", "getTradeOtherMoneyInfluence",
         [](const TradeWindow& t, int32_t side, std::vector<ListEntry>& rows) {
             t.ListInfluence(side, rows);
             t.ListCrystals(side, rows);
         }},
        {"getTradePlayerAllMoney", "getTradeOtherAllMoney",
         [](const TradeWindow& t, int32_t side, std::vector<ListEntry>& rows) {
             t.ListGold(side, rows);
             t.ListInfluence(side, rows);
             t.ListCrystals(side, rows);
         }},
        {"getTradePlayerItems", "getTradeOtherItems",
         [](const TradeWindow& t, int32_t side, std::vector<ListEntry>& rows) { t.ListItems(side, rows); }},
        {"getTradePlayerTreaties", "getTradeOtherTreaties",
         [](const TradeWindow& t, int32_t side, std::vector<ListEntry>& rows) { t.ListTreaties(side, rows); }},
        {"getTradePlayerOffer", "getTradeOtherOffer",
         [](const TradeWindow& t, int32_t side, std::vector<ListEntry>& rows) { t.ListOffer(t.offer, side, rows); }},
        {"getIncomingTradePlayerOffer", "getIncomingTradeOtherOffer",
         [](const TradeWindow& t, int32_t side, std::vector<ListEntry>& rows) {
             t.ListOffer(t.incoming, side, rows);
         }},
    };
    for (const SideList& list : kSideLists) {
        auto fill = list.fill;
        gCommandSystem->RegisterInfoProc(list.player, [fill](std::vector<ListEntry>& rows) {
            if (gGameClient)
                fill(gGameClient->GetTrade(), kPlayerSide, rows);
        });
        gCommandSystem->RegisterInfoProc(list.other, [fill](std::vector<ListEntry>& rows) {
            if (gGameClient)
                fill(gGameClient->GetTrade(), kOtherSide, rows);
        });
    }
    gCommandSystem->RegisterInfoProc("getCurrentTreaties", [](std::vector<ListEntry>& rows) {
        if (gGameClient)
            gGameClient->GetTrade().ListCurrentTreaties(rows);
    });
    gCommandSystem->RegisterInfoProc("getCovenantsForAgreement", [](std::vector<ListEntry>& rows) {
        if (gGameClient)
            gGameClient->GetTrade().ListCovenantsForAgreement(rows);
    });
    gCommandSystem->RegisterInfoProc("getNpcList", [](std::vector<ListEntry>& rows) {
        if (PlayerCovenantClient* own = GetLocalCovenant())
            own->ListRecruits(rows);
    });
}

// ---- What each side holds ------------------------------------------------------------------------------

void TradeWindow::ListGold(int32_t side, std::vector<ListEntry>& rows) const
{
    // The other side's purse is not mirrored: its row asks for an amount without showing one.
    std::string text = side == kPlayerSide ? FormatMoney(static_cast<int32_t>(GetMoney(side))) : "$$Money$$";
    rows.push_back(TradeListRow(text, StringFormat("ChooseGoldAmount %d", side)));
}

void TradeWindow::ListInfluence(int32_t side, std::vector<ListEntry>& rows) const
{
    std::string amount = FormatThousands(static_cast<int32_t>(GetInfluence(side)));
    rows.push_back(TradeListRow(StringFormat("%s $$Influence$$", amount.c_str()),
                                StringFormat("ChooseInfluenceAmount %d", side)));
}

void TradeWindow::ListCrystals(int32_t side, std::vector<ListEntry>& rows) const
{
    rows.push_back(TradeListRow(TradeListCrystals(GetCrystals(side)), StringFormat("ChooseCrystalsAmount %d", side)));
}

void TradeWindow::ListItems(int32_t side, std::vector<ListEntry>& rows) const
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    if (!player)
        return;
    const InventoryClient& inventory = player->GetInventory();
    auto bags = side == kPlayerSide ? std::vector<int32_t>(std::begin(kTradePlayerBags), std::end(kTradePlayerBags))
                                    : std::vector<int32_t>(std::begin(kTradeOtherBags), std::end(kTradeOtherBags));
    for (int32_t bag : bags) {
        for (int32_t slot = 0; slot < inventory.GetSlotCount(bag); ++slot) {
            const ItemBase* item = inventory.GetItem(bag, slot);
            int32_t place = TradeOfferEntry::PackItemPlace(bag, slot);
            if (!item || !TradeListIsTradeable(*item) ||
                std::count(offer.begin(), offer.end(), TradeOfferEntry{side, TradeOfferKind::Item, place}) > 0)
                continue;
            ListEntry row = TradeListRow(item->GetDisplayName(), StringFormat("addItemToOffer %d %d", side, place));
            TradeListItemHelp(*player, *item, row);
            rows.push_back(std::move(row));
        }
    }
}

// ---- Treaties, routes and agreements ------------------------------------------------------------------

bool TradeWindow::Holds(int32_t side, int32_t kind) const
{
    return std::any_of(offer.begin(), offer.end(),
                       [&](const TradeOfferEntry& e) { return e.side == side && e.kind == kind; });
}

bool TradeWindow::CanAgreeAbout(int32_t action, int32_t side, int32_t third) const
{
    int32_t own = GetOwnCovenant();
    int32_t partner = GetPartner();
    const CovenantClient* candidate = client.GetCovenant(third, false);
    if (!candidate || third == own || third == partner || candidate->eliminated)
        return false;
    const CovenantClient* sideCovenant = client.GetCovenant(SideCovenant(side), false);
    int32_t treaty = sideCovenant ? sideCovenant->GetTreatyState(third) : CovenantTreaty::Peace;
    switch (action) {
    case TradeOfferAction::ProposePeace: return TradeListAtWar(treaty);
    case TradeOfferAction::MakePeace: return !TradeListAtWar(treaty) && treaty != CovenantTreaty::Peace;
    case TradeOfferAction::CancelRoute: return sideCovenant && sideCovenant->GetTradeRouteKind(third) != 0;
    case TradeOfferAction::JointWar: {
        // Whatever the side: a war both parties already fight needs no agreement.
        const CovenantClient* mine = client.GetCovenant(own, false);
        const CovenantClient* theirs = client.GetCovenant(partner, false);
        return !(mine && theirs && TradeListAtWar(mine->GetTreatyState(third)) &&
                 TradeListAtWar(theirs->GetTreatyState(third)));
    }
    default: return true;
    }
}

void TradeWindow::ListCovenantsForAgreement(std::vector<ListEntry>& rows) const
{
    int32_t action = gUserVarSystem ? gUserVarSystem->GetIntByName("AgreementType") : 0;
    int32_t side = GetAgreementSide();
    for (int32_t third = 0; third < client.GetCovenantCount(); ++third) {
        TradeOfferEntry entry{side, TradeOfferKind::JointAction, TradeOfferEntry::PackAgreement(action, third)};
        if (!CanAgreeAbout(action, side, third) || std::count(offer.begin(), offer.end(), entry) > 0)
            continue;
        rows.push_back(TradeListRow(client.GetCovenantName(third), StringFormat("%d", third)));
    }
}

void TradeWindow::ListTreaties(int32_t side, std::vector<ListEntry>& rows) const
{
    int32_t partner = client.selectedCovenant;
    const CovenantClient* mine = client.GetCovenant(GetOwnCovenant(), false);
    // No relation record can name a covenant past the 32 a game holds.
    int32_t treaty = mine && partner >= 0 && partner < kMaxCovenants ? mine->GetTreatyState(partner)
                                                                     : CovenantTreaty::Peace;
    bool atWar = TradeListAtWar(treaty);
    if (atWar && !Holds(kBothSides, TradeOfferKind::Peace))
        rows.push_back(TradeListRow(DiplomacyText::Treaty(CovenantTreaty::Peace),
                                    StringFormat("addToOffer %d %d", kBothSides, TradeOfferKind::Peace)));
    int32_t firstPact = treaty == CovenantTreaty::Peace                  ? TradeOfferKind::NonAggressionPact
                        : treaty == CovenantTreaty::NonAggressionPact    ? TradeOfferKind::MutualProtectionPact
                        : treaty == CovenantTreaty::MutualProtectionPact ? TradeOfferKind::Alliance
                                                                         : TradeOfferKind::Alliance + 1;
    bool pactOffered = Holds(kBothSides, TradeOfferKind::NonAggressionPact) ||
                       Holds(kBothSides, TradeOfferKind::MutualProtectionPact) ||
                       Holds(kBothSides, TradeOfferKind::Alliance);
    for (int32_t kind = firstPact; !pactOffered && kind <= TradeOfferKind::Alliance; ++kind)
        rows.push_back(TradeListRow(DiplomacyText::Treaty(TradeListTreatyOf(kind)),
                                    StringFormat("addToOffer %d %d", kBothSides, kind)));
    if (!atWar && !Holds(kBothSides, TradeOfferKind::SharedAdventure)) {
        ListEntry row = TradeListRow("$$SharedAdventureTitle$$", "addAdventureToOffer");
        row.helpText = "$$SharedAdventureDesc$$";
        rows.push_back(std::move(row));
    }
    struct Agreement {
        int32_t action;
        int32_t side;
    };
    const Agreement agreements[] = {{TradeOfferAction::JointWar, kBothSides},
                                    {TradeOfferAction::JointRaid, kBothSides},
                                    {TradeOfferAction::ProposePeace, side},
                                    {TradeOfferAction::MakePeace, side},
                                    {TradeOfferAction::CancelRoute, side}};
    for (const Agreement& agreement : agreements) {
        bool any = false;
        for (int32_t third = 0; !any && third < client.GetCovenantCount(); ++third)
            any = CanAgreeAbout(agreement.action, agreement.side, third);
        if (any)
            rows.push_back(TradeListRow(std::string(TradeListAgreementKey(agreement.action)) + "...",
                                        StringFormat("chooseOtherCovenant %d %d", agreement.action, agreement.side)));
    }
    int32_t route = mine && partner >= 0 && partner < kMaxCovenants ? mine->GetTradeRouteKind(partner) : 0;
    bool routeOffered = Holds(kBothSides, TradeOfferKind::TradeRoute);
    for (int32_t kind = std::max(route, 0) + 1; !routeOffered && kind < TradeRouteType::kCount; ++kind)
        rows.push_back(TradeListRow(DiplomacyText::TradeRoute(kind) + " $$TradeRoute$$",
                                    StringFormat("addTradeRouteToOffer %d", kind)));
}

void TradeWindow::ListCurrentTreaties(std::vector<ListEntry>& rows) const
{
    const CovenantClient* partner = client.GetCovenant(GetPartner(), false);
    int32_t own = GetOwnCovenant();
    if (!partner)
        return;
    int32_t treaty = partner->GetTreatyState(own);
    if (treaty == CovenantTreaty::NonAggressionPact || treaty == CovenantTreaty::MutualProtectionPact ||
        treaty == CovenantTreaty::Alliance)
        rows.push_back(TradeListRow(DiplomacyText::Treaty(treaty), "MainTreaty"));
    if (int32_t route = partner->GetTradeRouteKind(own); route != 0)
        rows.push_back(TradeListRow(DiplomacyText::TradeRoute(route), "TradeRoute"));
}

// ---- The offers ---------------------------------------------------------------------------------------------

void TradeWindow::ListOffer(const std::vector<TradeOfferEntry>& entries, int32_t side,
                            std::vector<ListEntry>& rows) const
{
    // A clause that binds both (a pact, a route, an adventure together) is listed on both sides:
    // each gives it, and either list takes it back out.
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].side != side && entries[i].side != kBothSides)
            continue;
        ListEntry row = TradeListRow("", StringFormat("removeFromOffer %d", static_cast<int32_t>(i)));
        row.name = DescribeEntry(entries[i], &row);
        rows.push_back(std::move(row));
    }
}

std::string TradeWindow::DescribeEntry(const TradeOfferEntry& entry, ListEntry* row) const
{
    switch (entry.kind) {
    case TradeOfferKind::Influence: return StringFormat("%s $$Influence$$", FormatThousands(entry.value).c_str());
    case TradeOfferKind::CovenantMoney: return TradeListCrystals(entry.value);
    case TradeOfferKind::LeaderMoney: return FormatMoney(entry.value);
    case TradeOfferKind::TradeRoute: return DiplomacyText::TradeRoute(entry.value) + " $$TradeRoute$$";
    case TradeOfferKind::SharedAdventure: return "$$SharedAdventureTitle$$";
    case TradeOfferKind::JointAction:
        return StringFormat("%s %s", TradeListAgreementKey(entry.value & 0xFFFF),
                            client.GetCovenantName(entry.value >> 16).c_str());
    case TradeOfferKind::Item: {
        for (const auto& [told, name] : offeredGoods)
            if (told == entry)
                return name;
        PlayerClient* player = ClientCommandTable::GetLocalPlayer();
        const ItemBase* item =
            player ? player->GetInventory().GetItem(entry.value & 0xFFFF, entry.value >> 16) : nullptr;
        if (!item)
            return std::string();
        if (row)
            TradeListItemHelp(*player, *item, *row);
        return item->GetDisplayName();
    }
    default:
        return entry.kind >= TradeOfferKind::Peace && entry.kind <= TradeOfferKind::Alliance
                   ? DiplomacyText::Treaty(TradeListTreatyOf(entry.kind))
                   : std::string();
    }
}
