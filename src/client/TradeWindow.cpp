// TradeWindow -- the trade and diplomacy window on the client: the offer being built and the last offer a covenant made, the request lines that send, accept and refuse them, and the lists the window's menus show.
#include "client/TradeWindow.h"

#include "client/ClientApp.h"
#include "client/ClientCommandTable.h"
#include "client/ClientMessages.h"
#include "client/ClientUi.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// The covenant's answer the window shows while nothing is offered: "they are listening".
constexpr int32_t kTradeListeningResponse = 1;
constexpr int64_t kTradeCoinsPerPiece = 100;

TradeWindow* TradeWindowOf()
{
    return gGameClient ? &gGameClient->GetTrade() : nullptr;
}

// A user var's whole number in 64 bits, so that a typed amount past the 32-bit range is seen as
// such rather than wrapped; false for text that is none.
bool TradeWindowVar(const char* name, int64_t& out)
{
    std::string text = gUserVarSystem ? gUserVarSystem->GetStringByName(name) : std::string();
    if (!IsIntegerText(text))
        return false;
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    out = static_cast<int64_t>(std::clamp<long long>(value, INT64_MIN / 4, INT64_MAX / 4));
    return true;
}

// 0 for text that is no number.
int64_t TradeWindowVar(const char* name)
{
    int64_t value = 0;
    return TradeWindowVar(name, value) ? value : 0;
}

// The "TradeSide" the chooser menus set: the player's side unless it names the other.
int32_t TradeWindowSide()
{
    return TradeWindowVar("TradeSide") == TradeWindow::kOtherSide ? TradeWindow::kOtherSide
                                                                    : TradeWindow::kPlayerSide;
}

int32_t TradeWindowArg(const TradeWindow::Args& args, size_t i)
{
    return i < args.size() ? ParseInt(args[i]) : 0;
}

void TradeWindowMenu(const char* line)
{
    ClientUi* ui = gClientApp ? gClientApp->GetUi() : nullptr;
    if (ui)
        ui->RunMenuLine(line);
}

// The side a menu chose, as the command was given: 0, 1, or 2 for an agreement binding both.
void TradeWindowSetSide(const TradeWindow::Args& args, size_t i, int32_t highest)
{
    int32_t side = TradeWindowArg(args, i);
    if (gUserVarSystem)
        gUserVarSystem->SetIntByName("TradeSide", side >= 0 && side <= highest ? side : 0);
}

// A covenant the window may deal with: one the client knows, never the player's own wherever the
// list holds it, and not one already gone from the game.
bool TradeWindowCanDealWith(int32_t covenant, const PlayerCovenantClient* own)
{
    const CovenantClient* other = gGameClient ? gGameClient->GetCovenant(covenant, false) : nullptr;
    return other && !other->eliminated && !(own && covenant == own->index);
}

// Opened with no creature chosen, the window deals with the covenant whose offer waits on the
// player's word, else the one it dealt with last, else the first rival still standing: a window
// that dealt with nobody sent nothing and answered no offer.
int32_t TradeWindowDefaultPartner(const PlayerCovenantClient* own)
{
    int32_t asking = own ? own->FindCovenantRecord() : -1;
    if (TradeWindowCanDealWith(asking, own))
        return asking;
    if (TradeWindowCanDealWith(gGameClient->selectedCovenant, own))
        return gGameClient->selectedCovenant;
    for (int32_t covenant = 0; covenant < gGameClient->GetCovenantCount(); ++covenant)
        if (TradeWindowCanDealWith(covenant, own))
            return covenant;
    return -1;
}

} // namespace

void TradeWindow::RegisterCommands()
{
    RegisterAmountCommands();
    RegisterOfferCommands();
    RegisterAnswerCommands();
    RegisterLists();
}

void TradeWindow::Reset()
{
    offer.clear();
    incoming.clear();
    offeredGoods.clear();
    incomingType = 0;
    incomingFrom = -1;
}

// ---- What each side holds ------------------------------------------------------------------------------

int32_t TradeWindow::GetAgreementSide()
{
    int64_t side = TradeWindowVar("TradeSide");
    return side == kOtherSide || side == kBothSides ? static_cast<int32_t>(side) : kPlayerSide;
}

int32_t TradeWindow::GetPartner() const
{
    int32_t partner = client.selectedCovenant;
    return client.GetCovenant(partner, false) ? partner : -1;
}

int32_t TradeWindow::GetOwnCovenant() const
{
    // The player's covenant is the last of the list the host sends.
    const CovenantClient* own = client.GetLastCovenant();
    return own ? own->index : -1;
}

int32_t TradeWindow::SideCovenant(int32_t side) const
{
    return side == kPlayerSide ? GetOwnCovenant() : GetPartner();
}

PlayerCovenantClient* TradeWindow::GetLocalCovenant()
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    return player ? player->GetCovenant() : nullptr;
}

int64_t TradeWindow::GetMoney(int32_t side) const
{
    if (side == kPlayerSide) {
        PlayerClient* player = ClientCommandTable::GetLocalPlayer();
        return player ? player->GetStat(CharacterStat::Money) : 0;
    }
    // The client mirrors no rival leader's purse: what it holds is the world host's to judge,
    // which answers a deal the rival cannot pay with a refusal.
    return GetPartner() >= 0 ? INT32_MAX : 0;
}

int64_t TradeWindow::GetInfluence(int32_t side) const
{
    CovenantClient* covenant = client.GetCovenant(SideCovenant(side), false);
    return covenant ? covenant->statistics.Get(CovenantStat::AbsoluteInfluence) : 0;
}

int64_t TradeWindow::GetCrystals(int32_t side) const
{
    CovenantClient* covenant = client.GetCovenant(SideCovenant(side), false);
    return covenant ? covenant->statistics.Get(CovenantStat::Money) : 0;
}

// ---- Building the offer -----------------------------------------------------------------------------------

void TradeWindow::ShowRefusal(const char* text) const
{
    client.GetMessages().ShowMessage(text, false);
}

void TradeWindow::ResetResponse() const
{
    client.GetMessages().SetDiplomacyResponse(client.selectedCovenant, kTradeListeningResponse);
}

bool TradeWindow::Add(const TradeOfferEntry& entry)
{
    bool amount = entry.kind == TradeOfferKind::Influence || entry.kind == TradeOfferKind::LeaderMoney ||
                  entry.kind == TradeOfferKind::CovenantMoney;
    std::vector<TradeOfferEntry> built = offer;
    if (amount)
        std::erase_if(built, [&](const TradeOfferEntry& e) { return e.side == entry.side && e.kind == entry.kind; });
    // The world host refuses a longer line whole, unseen.
    if (static_cast<int32_t>(built.size()) >= TradeOfferEntry::kMaxEntries) {
        ShowRefusal("$$TradeOfferFull$$");
        return false;
    }
    built.push_back(entry);
    offer = std::move(built);
    Send(TradeOfferType::Preview);
    return true;
}

bool TradeWindow::AddAmount(int32_t kind, int64_t amount, int64_t held, const char* notEnough)
{
    // The world host drops a value of 0 or less unseen; a total past the 32-bit range would
    // wrap into another amount on the line.
    if (amount <= 0) {
        ShowRefusal("$$TradeNoAmount$$");
        return false;
    }
    if (amount > INT32_MAX || held < amount) {
        ShowRefusal(notEnough);
        return false;
    }
    return Add({TradeWindowSide(), kind, static_cast<int32_t>(amount)});
}

void TradeWindow::Remove(int32_t position)
{
    if (position < 0 || position >= static_cast<int32_t>(offer.size()))
        return;
    offer.erase(offer.begin() + position);
    if (offer.empty())
        ResetResponse();
    else
        Send(TradeOfferType::Preview);
}

void TradeWindow::Clear()
{
    offer.clear();
    ResetResponse();
}

void TradeWindow::Send(int32_t type) const
{
    int32_t partner = GetPartner();
    if (partner < 0)
        return;
    std::string line = StringFormat("offer %d %d", type, partner);
    AppendTradeOfferEntries(line, offer);
    ClientCommandTable::Queue(line);
}

// ---- Offers from the covenants -----------------------------------------------------------------------------

void TradeWindow::ForgetIncoming(int32_t from)
{
    if (from == incomingFrom) {
        incoming.clear();
        incomingType = 0;
        incomingFrom = -1;
    }
}

void TradeWindow::ReceiveOffer(const Args& args)
{
    incoming.clear();
    offeredGoods.clear();
    if (args.size() < 2)
        return;
    incomingType = ParseInt(args[0]);
    int32_t from = ParseInt(args[1]);
    incomingFrom = from;
    // A line the host never writes (a cut triple, a negative value) is not guessed at.
    if (!ReadTradeOfferEntries(args, 2, incoming)) {
        DebugSystem::Print(kPrintWarning, "Refused an offer line from covenant %d\n", from);
        return;
    }
    if (incomingType == TradeOfferType::CounterOffer) {
        offer = incoming;
        return;
    }
    if (PlayerCovenantClient* own = GetLocalCovenant())
        own->ReceiveOffer(from, incomingType, incoming);
}

void TradeWindow::ReceiveOfferedGoods(const Args& args)
{
    if (args.size() < 4 || ParseInt(args[0]) != incomingFrom)
        return;
    TradeOfferEntry entry{ParseInt(args[1]), TradeOfferKind::Item, ParseInt(args[2])};
    if (std::find(incoming.begin(), incoming.end(), entry) != incoming.end())
        offeredGoods.emplace_back(entry, args[3]);
}

void TradeWindow::Answer(const char* request) const
{
    PlayerCovenantClient* own = GetLocalCovenant();
    int32_t partner = client.selectedCovenant;
    const PlayerCovenantClient::PendingOffer* pending = own ? own->GetPendingOffer(partner) : nullptr;
    if (!pending)
        return;
    std::string line = StringFormat("%s %d %d", request, pending->type, partner);
    AppendTradeOfferEntries(line, pending->entries);
    ClientCommandTable::Queue(line);
    // Answered: the relations screen no longer opens on it.
    own->ClearCovenantRecord(partner);
}

// ---- The commands --------------------------------------------------------------------------------------------

void TradeWindow::RegisterAmountCommands()
{
    if (!gClientApp)
        return;
    ClientCommandTable::Attach(*gClientApp, "chooseGoldAmount", [](const Args& args) {
        TradeWindowSetSide(args, 0, TradeWindow::kOtherSide);
        TradeWindowMenu("showMenu ChooseGoldAmount");
    });
    ClientCommandTable::Attach(*gClientApp, "chooseInfluenceAmount", [](const Args& args) {
        TradeWindowSetSide(args, 0, TradeWindow::kOtherSide);
        TradeWindowMenu("showMenu ChooseInfluenceAmount");
    });
    ClientCommandTable::Attach(*gClientApp, "chooseCrystalsAmount", [](const Args& args) {
        TradeWindowSetSide(args, 0, TradeWindow::kOtherSide);
        TradeWindowMenu("showMenu ChooseCrystalsAmount");
    });
    ClientCommandTable::Attach(*gClientApp, "chooseOtherCovenant", [](const Args& args) {
        if (gUserVarSystem)
            gUserVarSystem->SetIntByName("AgreementType", TradeWindowArg(args, 0));
        TradeWindowSetSide(args, 1, TradeWindow::kBothSides);
        TradeWindowMenu("showMenu ChooseOtherCovenant");
    });
    ClientCommandTable::Attach(*gClientApp, "addGoldToOffer", [](const Args&) {
        if (TradeWindow* trade = TradeWindowOf()) {
            int64_t total = (TradeWindowVar("GoldAmount") * kTradeCoinsPerPiece + TradeWindowVar("SilverAmount")) *
                                kTradeCoinsPerPiece +
                            TradeWindowVar("CopperAmount");
            trade->AddAmount(TradeOfferKind::LeaderMoney, total, trade->GetMoney(TradeWindowSide()),
                             "$$NotEnoughMoney$$");
        }
    });
    ClientCommandTable::Attach(*gClientApp, "addInfluenceToOffer", [](const Args&) {
        if (TradeWindow* trade = TradeWindowOf())
            trade->AddAmount(TradeOfferKind::Influence, TradeWindowVar("InfluenceAmount"),
                             trade->GetInfluence(TradeWindowSide()), "$$NotEnoughInfluence$$");
    });
    ClientCommandTable::Attach(*gClientApp, "addCrystalsToOffer", [](const Args&) {
        if (TradeWindow* trade = TradeWindowOf())
            trade->AddAmount(TradeOfferKind::CovenantMoney, TradeWindowVar("CrystalsAmount"),
                             trade->GetCrystals(TradeWindowSide()), "$$NotEnoughCrystals$$");
    });
}

void TradeWindow::RegisterOfferCommands()
{
    if (!gClientApp)
        return;
    ClientCommandTable::Attach(*gClientApp, "addAgreementToOffer", [](const Args&) {
        TradeWindow* trade = TradeWindowOf();
        if (!trade)
            return;
        // A third covenant the list does not hold would pack a negative or foreign index.
        int64_t third = -1;
        if (!TradeWindowVar("OtherCovenant", third) || third < 0 || third >= trade->client.GetCovenantCount() ||
            !trade->client.GetCovenant(static_cast<int32_t>(third), false)) {
            trade->ShowRefusal("$$TradeChooseCovenant$$");
            return;
        }
        int32_t action = static_cast<int32_t>(TradeWindowVar("AgreementType"));
        trade->Add({GetAgreementSide(), TradeOfferKind::JointAction,
                    TradeOfferEntry::PackAgreement(action, static_cast<int32_t>(third))});
    });
    ClientCommandTable::Attach(*gClientApp, "addAdventureToOffer", [](const Args&) {
        if (TradeWindow* trade = TradeWindowOf())
            trade->Add({kBothSides, TradeOfferKind::SharedAdventure, 0});
    });
    ClientCommandTable::Attach(*gClientApp, "addItemToOffer", [](const Args& args) {
        TradeWindow* trade = TradeWindowOf();
        int32_t place = TradeWindowArg(args, 1);
        if (trade && place >= 0)
            trade->Add({TradeWindowArg(args, 0) == 1 ? kOtherSide : kPlayerSide, TradeOfferKind::Item, place});
    });
    ClientCommandTable::Attach(*gClientApp, "addTradeRouteToOffer", [](const Args& args) {
        if (TradeWindow* trade = TradeWindowOf())
            trade->Add({kBothSides, TradeOfferKind::TradeRoute, TradeWindowArg(args, 0)});
    });
    ClientCommandTable::Attach(*gClientApp, "addToOffer", [](const Args& args) {
        int32_t side = TradeWindowArg(args, 0);
        if (TradeWindow* trade = TradeWindowOf(); trade && side >= 0 && side <= TradeOfferEntry::kMaxSide)
            trade->Add({side, TradeWindowArg(args, 1), 0});
    });
    ClientCommandTable::Attach(*gClientApp, "removeFromOffer", [](const Args& args) {
        if (TradeWindow* trade = TradeWindowOf())
            trade->Remove(TradeWindowArg(args, 0));
    });
    ClientCommandTable::Attach(*gClientApp, "clearOffer", [](const Args&) {
        if (TradeWindow* trade = TradeWindowOf())
            trade->Clear();
    });
    ClientCommandTable::Attach(*gClientApp, "offerTrade", [](const Args& args) {
        TradeWindow* trade = TradeWindowOf();
        if (!trade)
            return;
        // A covenant answers an offer of something, to someone: an empty deal, or one to nobody,
        // went out unanswered and the page went on saying they were listening.
        if (trade->GetPartner() < 0)
            trade->ShowRefusal("$$TradeChooseCovenant$$");
        else if (trade->offer.empty())
            trade->ShowRefusal("$$TradeOfferEmpty$$");
        else
            trade->Send(TradeWindowArg(args, 0));
    });
    ClientCommandTable::Attach(*gClientApp, "cancelCurrentTreaty", [](const Args&) {
        TradeWindow* trade = TradeWindowOf();
        int32_t partner = trade ? trade->GetPartner() : -1;
        std::string which = gUserVarSystem ? gUserVarSystem->GetStringByName("TreatyToCancel") : std::string();
        if (partner < 0)
            return;
        if (which == "MainTreaty")
            ClientCommandTable::Queue(StringFormat("cancelTreaty %d", partner));
        else if (which == "TradeRoute")
            ClientCommandTable::Queue(StringFormat("cancelTradeRoute %d", partner));
    });
}

void TradeWindow::RegisterAnswerCommands()
{
    if (!gClientApp)
        return;
    ClientCommandTable::Attach(*gClientApp, "offerToPlayer", [](const Args& args) {
        if (TradeWindow* trade = TradeWindowOf())
            trade->ReceiveOffer(args);
    });
    gClientApp->RegisterClientCommand(
        "offerItem",
        [](const Args& args) {
            if (TradeWindow* trade = TradeWindowOf())
                trade->ReceiveOfferedGoods(args);
        },
        "Names an item of the goods a covenant offers", "covenantIndex side value name", "iiis", 0);
    ClientCommandTable::Attach(*gClientApp, "offerExpired", [](const Args& args) {
        if (PlayerCovenantClient* own = GetLocalCovenant())
            own->ExpireOffer(TradeWindowArg(args, 0));
        if (TradeWindow* trade = TradeWindowOf())
            trade->ForgetIncoming(TradeWindowArg(args, 0));
    });
    ClientCommandTable::Attach(*gClientApp, "acceptTrade", [](const Args&) {
        if (TradeWindow* trade = TradeWindowOf())
            trade->Answer("acceptOffer");
    });
    ClientCommandTable::Attach(*gClientApp, "rejectTrade", [](const Args&) {
        if (TradeWindow* trade = TradeWindowOf())
            trade->Answer("rejectOffer");
    });
    ClientCommandTable::Attach(*gClientApp, "ignoreTrade", [](const Args&) {
        PlayerCovenantClient* own = GetLocalCovenant();
        if (own && gGameClient)
            own->SetIgnored(gGameClient->selectedCovenant);
    });
    // The window opens toward a covenant: the one named, or that of the entity the player has
    // chosen (a rival's leader or recruit).
    if (gCommandSystem)
        gCommandSystem->RegisterCommand(
            "TalkToCovenant",
            [](const Args& args) {
                PlayerClient* player = ClientCommandTable::GetLocalPlayer();
                const EntityClient* target = Client::GetTargetEntity();
                int32_t covenant = !args.empty() ? ParseInt(args[0]) : target ? target->covenantIndex : -1;
                const PlayerCovenantClient* own = player ? player->GetCovenant() : nullptr;
                if (args.empty() && !TradeWindowCanDealWith(covenant, own))
                    covenant = TradeWindowDefaultPartner(own);
                if (!TradeWindowCanDealWith(covenant, own))
                    return;
                gGameClient->selectedCovenant = covenant;
                gGameClient->GetMessages().SetDiplomacyResponse(covenant, kTradeListeningResponse);
            },
            "Opens the trade window toward a covenant", "covenantIndex", "I");
}
