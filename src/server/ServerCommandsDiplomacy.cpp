// ServerCommands -- the diplomacy lines: the trade window's offers, treaties, routes, rumours, the covenant's raids and the end of a world.
#include "server/ServerCommands.h"

#include "covenants/Covenant.h"
#include "covenants/PlayerCovenant.h"
#include "entities/Entity.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/OfferAnswers.h"
#include "server/Game.h"

namespace {

// The player's covenant and another it deals with, both present and not the same, else false.
bool ServerCommandsCovenantPair(const Player& player, int32_t index, Covenant*& mine, Covenant*& other)
{
    mine = ServerCommands::GetPlayerCovenant(player);
    other = ServerCommands::FindCovenant(index);
    return mine && other && mine != other;
}

bool ServerCommandsCovenantPair(const ServerCommands::Args& args, const Player& player, Covenant*& mine,
                                Covenant*& other)
{
    return ServerCommandsCovenantPair(player, ServerCommands::ToInt(args[0]), mine, other);
}

// The line's offer and the two covenants it concerns; false, nothing changed, when any is bad:
// the offer record is rebuilt only from a good line. The player's covenant made the offer, or
// (mineOffers false) answers the other's.
bool ServerCommandsOfferLine(const ServerCommands::Args& args, const Player& player, TradeOffer& offer,
                             Covenant*& mine, Covenant*& other, bool mineOffers)
{
    int32_t index = -1;
    return ServerCommands::ParseOffer(args, offer, index) && ServerCommandsCovenantPair(player, index, mine, other) &&
           (mineOffers ? offer.IsWellFormed(*mine, *other) : offer.IsWellFormed(*other, *mine));
}

// The answer a person's acceptance or refusal reaches the offering player with, in the words a
// rival's answer has. A rival passes the answer to its own offer back to the player who gave it.
// Mended: that answer was 0, whose words are a refusal, so an accepted deal read as refused.
int32_t ServerCommandsAnswerFor(const Covenant& offerer, int32_t type, bool accepted)
{
    if (!offerer.IsPlayerCovenant())
        return accepted ? kAnswerTheirOfferAccepted : kAnswerTheirOfferRefused;
    if (type == TradeOfferType::Demand)
        return accepted ? kAnswerDemandMet : kAnswerDemandRefused;
    if (type == TradeOfferType::Gift && accepted)
        return kAnswerGiftAccepted;
    return accepted ? kAnswerTradeAccepted : kAnswerTradeRefused;
}

} // namespace

// ---- The trade window -------------------------------------------------------------------------------

bool ServerCommands::ParseOffer(const Args& args, TradeOffer& offer, int32_t& covenantIndex)
{
    if (args.size() < 2)
        return false;
    // Words after the last whole triple are passed over, as the host always has; an endless or
    // negative list refuses the whole line. The entries are checked against the two covenants
    // once they are known.
    Args whole(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(2 + (args.size() - 2) / 3 * 3));
    TradeOffer parsed;
    if (!ReadTradeOfferEntries(whole, 2, parsed.entries))
        return false;
    parsed.type = ToInt(args[0]);
    covenantIndex = ToInt(args[1]);
    offer = std::move(parsed);
    return true;
}

void ServerCommands::Offer(const Args& args, Player* player)
{
    TradeOffer parsed;
    Covenant* mine = nullptr;
    Covenant* other = nullptr;
    if (!ServerCommandsOfferLine(args, *player, parsed, mine, other, true))
        return;
    bool asksNothing = true;
    for (const TradeOfferEntry& entry : parsed.entries)
        asksNothing = asksNothing && entry.side != 1 && entry.side != 2;
    if (asksNothing && (parsed.type == 0 || parsed.type == 1))
        parsed.type = 2;
    TradeOffer& offer = gGame->GetTradeOffer();
    offer = std::move(parsed);
    offer.itemsOnly = Game::IsItemsOnlyOffer(offer);
    if (!other->IsPlayerCovenant()) {
        other->ReceiveOffer(*mine, offer);
        return;
    }
    // A preview asks a rival's reaction while the offer is built; another player answers only
    // an offer made, which an edit must not replace on their screen.
    if (offer.type == TradeOfferType::Preview)
        return;
    int32_t dropped = gGame->CountDroppedRequestOutput();
    other->ReceiveOffer(*mine, offer);
    // An offer its player did not hear, past the budget of this client's requests, does not
    // wait: the last one heard stays the one that may be taken.
    if (gGame->CountDroppedRequestOutput() != dropped)
        return;
    // That player answers when they will: the offer waits on this side, as a rival's own offers
    // do, so that only its very terms can be accepted.
    mine->StorePendingOffer(offer, other->index, 0.0f);
}

void ServerCommands::AcceptOffer(const Args& args, Player* player)
{
    TradeOffer parsed;
    Covenant* mine = nullptr;
    Covenant* other = nullptr;
    if (!ServerCommandsOfferLine(args, *player, parsed, mine, other, false))
        return;
    // Only what the covenant itself offered can be accepted, as the server holds it: a client
    // cannot accept terms it wrote itself. What either side gives may have been spent or moved
    // since the offer was made: a deal neither can pay stays pending, untouched. Mended: an item
    // was checked only for being there, so another put in its cell went for the first one's price.
    const TradeOffer* pending = other->GetPendingOffer(mine->index);
    if (!pending || !pending->HasSameTerms(parsed) || !gGame->CanAffordOffer(other, mine, *pending) ||
        !other->HoldsOfferedGoods(mine->index))
        return;
    TradeOffer& offer = gGame->GetTradeOffer();
    offer = *pending;
    offer.itemsOnly = Game::IsItemsOnlyOffer(offer);
    other->OnOfferAnswered(*mine, offer, true, ServerCommandsAnswerFor(*other, offer.type, true));
}

void ServerCommands::RejectOffer(const Args& args, Player* player)
{
    TradeOffer parsed;
    Covenant* mine = nullptr;
    Covenant* other = nullptr;
    if (!ServerCommandsOfferLine(args, *player, parsed, mine, other, false))
        return;
    TradeOffer& offer = gGame->GetTradeOffer();
    offer = std::move(parsed);
    offer.itemsOnly = Game::IsItemsOnlyOffer(offer);
    other->OnOfferAnswered(*mine, offer, false, ServerCommandsAnswerFor(*other, offer.type, false));
}

// ---- Treaties and routes ------------------------------------------------------------------------------

void ServerCommands::CancelTreaty(const Args& args, Player* player)
{
    Covenant* mine = nullptr;
    Covenant* other = nullptr;
    if (ServerCommandsCovenantPair(args, *player, mine, other))
        gGame->AnnounceDiplomacy(mine->index, other->index, CovenantTreaty::Peace, false);
}

void ServerCommands::CancelTradeRoute(const Args& args, Player* player)
{
    Covenant* mine = nullptr;
    Covenant* other = nullptr;
    if (ServerCommandsCovenantPair(args, *player, mine, other))
        gGame->SetTradeRoute(mine, other, TradeRouteType::None, false);
}

void ServerCommands::DeclareWar(const Args& args, Player* player)
{
    Covenant* mine = nullptr;
    Covenant* other = nullptr;
    if (ServerCommandsCovenantPair(args, *player, mine, other))
        gGame->AnnounceDiplomacy(mine->index, other->index, CovenantTreaty::War, false);
}

void ServerCommands::SuggestTrade(const Args&, Player* player)
{
    // The covenant dealt with is the one of the entity the player deals with.
    Entity* target = player->GetInteractionTarget();
    Covenant* mine = nullptr;
    Covenant* other = nullptr;
    if (target && ServerCommandsCovenantPair(*player, target->covenantIndex, mine, other))
        other->SuggestTrade(*mine);
}

void ServerCommands::StartRumor(const Args& args, Player* player)
{
    Covenant* mine = nullptr;
    Covenant* target = nullptr;
    int32_t level = ToInt(args[1]);
    if (ServerCommandsCovenantPair(args, *player, mine, target) &&
        static_cast<uint32_t>(level) < static_cast<uint32_t>(RumorLevel::kCount))
        gGame->StartRumor(level, mine, target);
}

// ---- The covenant's own undertakings ----------------------------------------------------------------------

void ServerCommands::KickOut(const Args& args, Player* player)
{
    // The number is the recruit's place in the covenant's list, as the client sends it and as
    // "invite" reads it. Mended: it was taken for an entity number, so no recruit was ever sent away.
    Covenant* mine = GetPlayerCovenant(*player);
    Sentient* recruit = mine ? mine->GetRecruitActor(ToInt(args[0])) : nullptr;
    if (recruit)
        mine->KickOut(recruit->entityNumber);
}

void ServerCommands::Raid(const Args& args, Player* player)
{
    auto* mine = dynamic_cast<PlayerCovenant*>(GetPlayerCovenant(*player));
    if (!mine || args.empty())
        return;
    std::vector<int32_t> party;
    for (size_t i = 1; i < args.size(); ++i)
        party.push_back(ToInt(args[i]));
    mine->StartRaid(ToInt(args[0]), *player, party);
}

// A covenant's StopRaid is also how the game tells the raided one: a player's covenant ends
// its own raid on the request instead.
void ServerCommands::StopRaid(const Args&, Player* player)
{
    Covenant* mine = GetPlayerCovenant(*player);
    auto* own = dynamic_cast<PlayerCovenant*>(mine);
    if (own && own->targetCovenant != -1)
        own->EndRaid(*player);
    else if (mine && !own)
        mine->StopRaid();
}

// A player's covenant ends its shared adventure itself and tells its partner.
void ServerCommands::StopSharedAdventure(const Args&, Player* player)
{
    if (Covenant* mine = GetPlayerCovenant(*player))
        mine->StopAdventuringWith(*mine);
}

// ---- The end of a world ---------------------------------------------------------------------------------

void ServerCommands::AlliedVictoryAccept(const Args&, Player*)
{
    gGame->AcceptAlliedVictory();
}

void ServerCommands::AlliedVictoryReject(const Args&, Player* player)
{
    if (Covenant* mine = GetPlayerCovenant(*player))
        gGame->RejectAlliedVictory(*mine);
}

void ServerCommands::ConfirmWin(const Args&, Player*)
{
    gGame->ConfirmWin();
}
