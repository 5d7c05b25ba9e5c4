// ActorCovenant -- the rival's trading: offers made, composed, balanced, received and answered, resent and withdrawn; deals carried out and watched; item-buy offers; its goods handed over and taken.
#include "covenants/ActorCovenant.h"

#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "covenants/CovenantHost.h"
#include "covenants/OfferValuation.h"
#include "entities/Inventory.h"
#include "entities/Sentient.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"
#include "rules/items/ItemBase.h"
#include "rules/items/ItemDefinition.h"

#include <algorithm>
#include <cmath>

namespace {

// A part of a stock is 4 to 6 per cent of it.
constexpr double kActorCovenantPartShare = 0.04;
constexpr double kActorCovenantPartSpread = 0.02;
// Of the other's crystals, at most this share pays for an offer before influence makes up the rest.
constexpr double kActorCovenantCrystalShare = 0.75;
// The item-buy walk looks through the carried bags.
constexpr int32_t kActorCovenantFirstBuyBag = InventoryGroupIndex::Bag1;
constexpr int32_t kActorCovenantLastBuyBag = InventoryGroupIndex::Bag4;
constexpr int32_t kActorCovenantLargestRoute = TradeRouteType::kCount - 1;
// Multipliers read here: a gift's, a demand's and any trade's likelihood.
constexpr int32_t kActorCovenantGiftMultiplier = 11;
constexpr int32_t kActorCovenantDemandMultiplier = 12;
constexpr int32_t kActorCovenantTradeMultiplier = 13;
// The third-covenant actions in the order they are weighed.
constexpr int32_t kActorCovenantActions[] = {TradeOfferAction::ProposePeace, TradeOfferAction::JointWar,
                                             TradeOfferAction::MakePeace, TradeOfferAction::CancelRoute,
                                             TradeOfferAction::JointRaid};

// ceil(stock x (4% + 2% x draw)); a fresh draw each time.
int32_t ActorCovenantPart(int64_t stock)
{
    double share = kActorCovenantPartShare + kActorCovenantPartSpread * DrawRandomFloat();
    return static_cast<int32_t>(std::min(std::ceil(static_cast<double>(stock) * share), 2147483647.0));
}

bool ActorCovenantOffersPeace(const Offer& offer)
{
    return std::any_of(offer.entries.begin(), offer.entries.end(),
                       [](const OfferEntry& entry) { return entry.kind == TradeOfferKind::Peace; });
}

int32_t ActorCovenantPackItem(int32_t bag, int32_t slot)
{
    return static_cast<int32_t>(PackBits16(static_cast<uint32_t>(bag), static_cast<uint32_t>(slot), 16));
}

bool ActorCovenantNamesItem(const Offer& offer, int32_t side, int32_t value)
{
    return std::any_of(offer.entries.begin(), offer.entries.end(), [&](const OfferEntry& entry) {
        return entry.side == side && entry.kind == TradeOfferKind::Item && entry.value == value;
    });
}

// What a covenant's leader would notice in another leader's bags.
bool ActorCovenantWantsToBuy(const ItemBase& item)
{
    const ItemDefinition* definition = item.GetDefinition();
    if (!definition || definition->noDrop)
        return false;
    int32_t type = item.GetItemType();
    return type == ItemType::Relic || type == ItemType::Chest || type == ItemType::HandPrimary ||
           type == ItemType::HandSecondary || item.GetQuality() > 0;
}

const GameSystemTuning& ActorCovenantOffersTuning()
{
    static const GameSystemTuning kActorCovenantOffersDefaults;
    return gGameData ? gGameData->GetTuning() : kActorCovenantOffersDefaults;
}

} // namespace

// ---- Pending offers --------------------------------------------------------------------------------

void ActorCovenant::SendOffer(Covenant& to, const Offer& offer)
{
    if (offer.entries.empty() || &to == this)
        return;
    StorePendingOffer(offer, to.index, kOfferResendSeconds);
    to.ReceiveOffer(*this, offer);
}

const Offer* ActorCovenant::GetPendingOffer(int32_t other) const
{
    const PendingOffer* pending = GetPendingOfferRecord(other);
    return pending && !pending->offer.entries.empty() ? &pending->offer : nullptr;
}

void ActorCovenant::UpdatePendingOffers(float seconds)
{
    int32_t count = gCovenantHost ? std::min(gCovenantHost->GetCovenantCount(), kMaxCovenants) : 0;
    for (int32_t u = 0; u < count; ++u) {
        PendingOffer& pending = pendingOffers[static_cast<size_t>(u)];
        if (pending.offer.entries.empty())
            continue;
        // An offer read from a save before its covenant joined finds its goods now.
        if (pending.goods.size() != pending.offer.entries.size() && !FindOfferedGoodsAgain(u)) {
            DropSavedOffer(u);
            continue;
        }
        if (!pending.running)
            continue;
        pending.remaining = std::max(0.0f, pending.remaining - seconds);
        if (pending.remaining > 0.0f)
            continue;
        if (pending.resendsLeft <= 0) {
            WithdrawOffer(u, true);
            continue;
        }
        --pending.resendsLeft;
        pending.remaining = pending.total = pending.interval;
        // The other may answer at once, which clears the record: it hears a copy.
        Offer again = pending.offer;
        if (Covenant* to = gCovenantHost->GetCovenant(u))
            to->ReceiveOffer(*this, again);
    }
}

void ActorCovenant::WithdrawOffer(int32_t other, bool ignored)
{
    const Offer* pending = GetPendingOffer(other);
    if (!pending)
        return;
    bool demand = pending->type == kDemandOffer;
    ClearOfferTo(other, false);
    if (demand)
        ChangeRelation(other, Roll("RelationChangeMinDemandRejected", "RelationChangeMaxDemandRejected"), false);
    if (ignored)
        ChangeRelation(other, Roll("RelationChangeMinTradeIgnored", "RelationChangeMaxTradeIgnored"), false);
    if (Covenant* to = gCovenantHost ? gCovenantHost->GetCovenant(other) : nullptr)
        to->OnOfferExpired(*this);
}

// ---- Making an offer -----------------------------------------------------------------------------------

// The first player's covenant is not left out: its own chances below decide, and leaving it out would
// give a single player's game no offers from rivals at all.
void ActorCovenant::MakeOffer(int32_t u)
{
    Covenant* other = gCovenantHost ? gCovenantHost->GetCovenant(u) : nullptr;
    const CovenantDefinition* definition = Definition();
    if (!other || other == this || other->eliminated || !definition || GetPendingOffer(u))
        return;
    if (!(DrawRandomFloat() < DefinitionFloat("TotalTradeChance") * GetFloatStat(kActorCovenantTradeMultiplier)))
        return;
    float x = std::clamp(GetRelation(u) + fear[static_cast<size_t>(u)] * DefinitionFloat("TradeRelationFearMult"),
                         0.0f, 100.0f);
    // A line below nothing weighs nothing.
    float d = std::max(0.0f, definition->demandChance.At(x) * GetFloatStat(kActorCovenantDemandMultiplier));
    float t = std::max(0.0f, definition->tradeChance.At(x));
    float g = std::max(0.0f, definition->giftChance.At(x) * GetFloatStat(kActorCovenantGiftMultiplier));
    if (!(d + t + g > 0.0f))
        return;
    float r = DrawRandomScaled(RandomStream::GameData, d + t + g);
    bool player = other->IsPlayerCovenant();
    if (r < d || r >= d + t) {
        bool demand = r < d;
        if (player &&
            !(DrawRandomFloat() < DefinitionFloat(demand ? "DemandChanceWithPlayer" : "GiftChanceWithPlayer")))
            return;
        Offer offer;
        offer.entries.resize(1);
        if (!ComposeOffer(*other, demand, !demand, offer.entries[0]))
            return;
        offer.type = demand ? kDemandOffer : kGiftOffer;
        offer.itemsOnly = offer.HoldsOnlyGoods();
        SendOffer(*other, offer);
        return;
    }
    int32_t treaty = GetTreatyState(u);
    if (treaty == CovenantTreaty::War || treaty == CovenantTreaty::Raid)
        return;
    float close = -DefinitionFloat("CloseToWantingTreaty");
    int32_t proposal = 0;
    if ((treaty == CovenantTreaty::None || treaty == CovenantTreaty::Peace) && NonAggressionMeasure(*other, 0) > close)
        proposal = TradeOfferKind::NonAggressionPact;
    else if (treaty == CovenantTreaty::NonAggressionPact && MutualProtectionMeasure(*other, 0) > close)
        proposal = TradeOfferKind::MutualProtectionPact;
    else if (treaty == CovenantTreaty::MutualProtectionPact && AllianceMeasure(*other, 0) > close)
        proposal = TradeOfferKind::Alliance;
    Offer offer;
    if (proposal != 0) {
        offer.entries = {{2, proposal, 0}};
        if (BalanceOffer(*other, offer, 1.0f) == kAnswerBalanced) {
            SendOffer(*other, offer);
            return;
        }
    }
    float closeRoute = -DefinitionFloat("CloseToWantingTradeRoute");
    for (int32_t size = kActorCovenantLargestRoute; size > GetTradeRouteKind(u); --size) {
        if (!(TradeRouteMeasure(*other, 0, size) > closeRoute))
            continue;
        offer.entries = {{2, TradeOfferKind::TradeRoute, size}};
        if (BalanceOffer(*other, offer, 1.0f) == kAnswerBalanced) {
            SendOffer(*other, offer);
            return;
        }
    }
    if (player && !(DrawRandomFloat() < DefinitionFloat("ItemTradeChanceWithPlayer")))
        return;
    offer.entries.assign(1, OfferEntry{});
    if (!ComposeOffer(*other, false, false, offer.entries[0]))
        return;
    offer.type = kTradeOffer;
    if (BalanceOffer(*other, offer, 1.0f) == kAnswerBalanced)
        SendOffer(*other, offer);
}

bool ActorCovenant::ComposeOffer(const Covenant& other, bool demand, bool gift, OfferEntry& entry) const
{
    using Candidate = CovenantDefinition::OfferCandidate;
    const CovenantDefinition* definition = Definition();
    if (!definition || !gCovenantHost)
        return false;
    std::vector<std::pair<OfferEntry, float>> candidates;
    auto add = [&](const OfferEntry& made, float weight) { candidates.emplace_back(made, std::max(0.0f, weight)); };
    auto addPart = [&](int32_t side, int32_t kind, int64_t stock, Candidate candidate) {
        if (stock <= 0)
            return;
        if (int32_t amount = ActorCovenantPart(stock); amount > 0)
            add({side, kind, amount}, definition->GetOfferChance(candidate, demand, gift, 0));
    };
    if (gift || demand) {
        const Covenant& giver = gift ? static_cast<const Covenant&>(*this) : other;
        int32_t side = gift ? 0 : 1;
        addPart(side, TradeOfferKind::CovenantMoney, giver.statistics.Get(CovenantStat::Money), Candidate::Crystals);
        addPart(side, TradeOfferKind::Influence, giver.GetTotalInfluence(), Candidate::Influence);
    } else {
        std::vector<int32_t> held;
        for (int32_t slot = 0; slot < inventory->GetSlotCount(kGoodsBag); ++slot)
            if (inventory->GetItem(kGoodsBag, slot))
                held.push_back(slot);
        if (!held.empty()) {
            auto n = static_cast<int32_t>(held.size());
            auto k = std::clamp(
                static_cast<int32_t>(std::floor(DrawRandomScaled(RandomStream::GameData, static_cast<float>(n)))), 0,
                n - 1);
            add({0, TradeOfferKind::Item, ActorCovenantPackItem(kGoodsBag, held[static_cast<size_t>(k)])},
                definition->GetOfferChance(Candidate::StoredItem, demand, gift, 0));
        }
    }
    if (!gift) {
        for (int32_t action : kActorCovenantActions) {
            for (int32_t w = 0; w < gCovenantHost->GetCovenantCount(); ++w) {
                if (w == index || w == other.index)
                    continue;
                bool mineTied = HasPactWith(w) || GetTradeRouteKind(w) > 0;
                bool wanted = false;
                switch (action) {
                case TradeOfferAction::ProposePeace: wanted = mineTied && !other.eliminated && other.IsAtWarWith(w); break;
                case TradeOfferAction::JointWar: wanted = !eliminated && IsAtWarWith(w) && !other.IsAtWarWith(w); break;
                case TradeOfferAction::MakePeace: wanted = !mineTied && !other.eliminated && other.HasPactWith(w); break;
                case TradeOfferAction::CancelRoute: wanted = !mineTied && other.GetTradeRouteKind(w) > 0; break;
                default: {
                    const Covenant* third = gCovenantHost->GetCovenant(w);
                    wanted = third && other.targetCovenant != w &&
                             (targetCovenant == w ||
                              (!third->IsBeingRaided() &&
                               WantsToRaid(w, false, DefinitionFloat("RaidChanceMultEnemyBeingRaided"))));
                    break;
                }
                }
                if (!wanted)
                    continue;
                OfferEntry made{action == TradeOfferAction::JointWar ? 2 : 1, TradeOfferKind::JointAction,
                                ActorCovenantPackItem(action, w)};
                if (OfferValuation::AgreementValue(*this, made, other, 0) != 0.0f)
                    add(made, definition->GetOfferChance(Candidate::ThirdCovenant, demand, gift, action));
            }
        }
    }
    float sum = 0.0f;
    for (const auto& candidate : candidates)
        sum += candidate.second;
    if (candidates.empty() || !(sum > 0.0f))
        return false;
    float t = DrawRandomScaled(RandomStream::GameData, sum);
    float running = 0.0f;
    for (const auto& [made, weight] : candidates) {
        running += weight;
        if (running > t) {
            entry = made;
            return true;
        }
    }
    // Rounding can leave the last sum at the draw: the last candidate that weighs anything.
    for (auto it = candidates.rbegin(); it != candidates.rend(); ++it)
        if (it->second > 0.0f) {
            entry = it->first;
            return true;
        }
    return false;
}

// ---- Balancing -----------------------------------------------------------------------------------------

int32_t ActorCovenant::BalanceOffer(const Covenant& other, Offer& offer, float factor) const
{
    if (offer.entries.empty())
        return kAnswerEmpty;
    OfferValuation::Worth worth = OfferValuation::ValueOffer(*this, other, 0, OfferValuation::kModeJudge, offer);
    float g = worth.gain;
    float v = worth.give;
    if (v > g)
        v *= factor;
    else
        g /= factor;
    offer.itemsOnly = offer.HoldsOnlyGoods();
    if (offer.itemsOnly) {
        if (g < v) {
            auto d = static_cast<int32_t>(std::min(std::ceil(static_cast<double>(v) - g), 2147483647.0));
            if (OfferValuation::GetLeaderMoney(other) < d)
                return kAnswerOtherCannotPay;
            if (d > 0)
                offer.entries.push_back({1, TradeOfferKind::LeaderMoney, d});
            return kAnswerBalanced;
        }
        if (g > v) {
            auto d = static_cast<int32_t>(std::min(std::floor(static_cast<double>(g) - v), 2147483647.0));
            if (GetMoney() >= d) {
                if (d > 0)
                    offer.entries.push_back({0, TradeOfferKind::LeaderMoney, d});
                return kAnswerBalanced;
            }
            // Goods this covenant already gives in the offer cannot pay twice.
            int32_t best = -1;
            int32_t bestValue = 0;
            for (int32_t slot = 0; slot < inventory->GetSlotCount(kGoodsBag); ++slot) {
                const ItemBase* item = inventory->GetItem(kGoodsBag, slot);
                if (!item || ActorCovenantNamesItem(offer, 0, ActorCovenantPackItem(kGoodsBag, slot)))
                    continue;
                auto value = static_cast<int32_t>(std::min(std::ceil(static_cast<double>(GetItemTradeValue(*item, true))), 2147483647.0));
                if (value > bestValue && value <= d) {
                    best = slot;
                    bestValue = value;
                }
            }
            int32_t rest = d - bestValue;
            if (best == -1 || GetMoney() < rest)
                return kAnswerCannotPay;
            offer.entries.push_back({0, TradeOfferKind::Item, ActorCovenantPackItem(kGoodsBag, best)});
            if (rest != 0)
                offer.entries.push_back({0, TradeOfferKind::LeaderMoney, rest});
            return kAnswerBalanced;
        }
        return kAnswerEven;
    }
    if (g == v)
        return kAnswerBalanced;
    // The side that falls short pays: crystals when they are enough, else three quarters of its
    // crystals and influence for the rest.
    bool theyPay = g < v;
    const Covenant& payer = theyPay ? other : static_cast<const Covenant&>(*this);
    int32_t side = theyPay ? 1 : 0;
    double gap = theyPay ? std::ceil(static_cast<double>(v) - g) : std::floor(static_cast<double>(g) - v);
    auto d = static_cast<int32_t>(std::min(gap, 2147483647.0));
    int32_t c = OfferValuation::FindCrystalAmount(payer, offer, *this, !theyPay, d, side);
    if (c > 0) {
        offer.entries.push_back({side, TradeOfferKind::CovenantMoney, c});
        return kAnswerBalanced;
    }
    auto t = static_cast<int32_t>(std::floor(kActorCovenantCrystalShare * payer.statistics.Get(CovenantStat::Money)));
    float crystals = std::fabs(OfferValuation::CrystalsValue(*this, t, !theyPay));
    double covered = theyPay ? std::floor(crystals) : std::ceil(crystals);
    auto rest = static_cast<int32_t>(std::clamp(d - covered, -2147483647.0, 2147483647.0));
    int32_t i = OfferValuation::FindInfluenceAmount(payer, offer, *this, !theyPay, rest, side);
    if (i <= 0)
        return theyPay ? kAnswerOtherCannotPay : kAnswerCannotPay;
    offer.entries.push_back({side, TradeOfferKind::CovenantMoney, t});
    offer.entries.push_back({side, TradeOfferKind::Influence, i});
    return kAnswerBalanced;
}

// ---- Offers received and answered -------------------------------------------------------------------

void ActorCovenant::ReceiveOffer(Covenant& from, const Offer& offer)
{
    if (offer.entries.empty() || &from == this || from.index < 0 || from.index >= kMaxCovenants)
        return;
    bool plain = offer.type == kTradeOffer || offer.type == kDemandOffer || offer.type == kGiftOffer;
    // An offer that names what its giver lacks is refused as it stands.
    if (!offer.IsWellFormed(from, *this) || !gCovenantHost || !gCovenantHost->CanAffordOffer(&from, this, offer)) {
        from.OnOfferAnswered(*this, offer, false, plain ? kAnswerTradeRefused : kAnswerRefused);
        return;
    }
    auto u = static_cast<size_t>(from.index);
    OfferValuation::Worth own = OfferValuation::ValueOffer(*this, from, 1, OfferValuation::kModeJudge, offer);
    float g = own.gain;
    float v = own.give;
    if (!offer.itemsOnly) {
        OfferValuation::Worth theirs = OfferValuation::ValueOffer(from, *this, 0, OfferValuation::kModeJudge, offer);
        float surplus = std::max(0.0f, theirs.gain - theirs.give);
        g += tradeWish[u] * (surplus + DefinitionFloat("RelationChangeEqualTrade"));
        if (offer.type == kDemandOffer)
            g += DrawRandomScaled(RandomStream::GameData, demandWish[u]) * DefinitionFloat("BaseDemandValue");
    }
    bool accepted = false;
    int32_t answer = kAnswerRefused;
    Offer answered = offer;
    switch (offer.type) {
    case kTradeOffer:
        accepted = v <= g;
        answer = accepted ? kAnswerTradeAccepted : kAnswerTradeRefused;
        break;
    case kDemandOffer:
        accepted = v <= g;
        answer = accepted ? kAnswerDemandMet : kAnswerDemandRefused;
        break;
    case kGiftOffer:
        accepted = v <= g;
        answer = accepted ? kAnswerGiftAccepted : kAnswerTradeRefused;
        break;
    case kCounterOffer:
        answered.SwapSides();
        answer = BalanceOffer(from, answered, kCounterOfferFactor);
        answered.SwapSides();
        break;
    default: answer = v <= g ? kAnswerBalanced : v < kCounterOfferFactor * g ? kAnswerClose : kAnswerRefused; break;
    }
    if (offer.type == kDemandOffer && !accepted) {
        float change = ChangeRelation(from.index, Roll("RelationChangeMinDemand", "RelationChangeMaxDemand"), false);
        from.DescribeRelationChange(this, change);
    }
    // A real offer of peace (not the window's preview of one) is answered before the world: a
    // refusal is news.
    if (plain && gCovenantHost && ActorCovenantOffersPeace(offer))
        gCovenantHost->AnnouncePeaceResponse(*this, from, accepted);
    from.OnOfferAnswered(*this, answered, accepted, answer);
}

void ActorCovenant::OnOfferAnswered(Covenant& to, const Offer& offer, bool accepted, int32_t response)
{
    const PendingOffer* pending = GetPendingOfferRecord(to.index);
    if (!pending || pending->offer.entries.empty() || !pending->Matches(offer))
        return;
    // The terms as this covenant made them; the record is cleared first, so the goods leaving
    // with the deal withdraw nothing.
    Offer deal = pending->offer;
    ClearOfferTo(to.index, false);
    // Mended: an answered offer stayed listed on the player's screen as though it still waited.
    to.OnOfferExpired(*this);
    if (!accepted && deal.type == kDemandOffer) {
        float change = ChangeRelation(to.index, Roll("RelationChangeMinDemandRejected", "RelationChangeMaxDemandRejected"), false);
        to.DescribeRelationChange(this, change);
    }
    if (accepted && gCovenantHost)
        gCovenantHost->ExecuteOffer(deal, this, &to);
    to.OnOfferResult(*this, response);
}

// ---- Deals carried out ----------------------------------------------------------------------------------

void ActorCovenant::OnOfferExecuted(const Offer& offer, int32_t side, Covenant* other)
{
    if (!other || other == this || other->index < 0 || other->index >= kMaxCovenants)
        return;
    if (offer.type == kGiftOffer && side == 0)
        return;
    OfferValuation::Worth own = OfferValuation::ValueOffer(*this, *other, side, OfferValuation::kModeCarriedOut, offer);
    float g = own.gain;
    float v = own.give;
    if (!offer.itemsOnly) {
        int32_t otherSide = side == 0 ? 1 : 0;
        OfferValuation::Worth theirs = OfferValuation::ValueOffer(*other, *this, otherSide, OfferValuation::kModeCarriedOut, offer);
        g += tradeWish[static_cast<size_t>(other->index)] *
             (std::max(0.0f, theirs.gain - theirs.give) + DefinitionFloat("RelationChangeEqualTrade"));
    }
    float d = g - v;
    if (offer.itemsOnly) {
        float worth = static_cast<float>(other->statistics.Get(CovenantStat::Items)) +
                      static_cast<float>(OfferValuation::GetLeaderMoney(*other));
        float m = std::max(worth, DefinitionFloat("MinComparisionGold"));
        // Nothing to compare with would divide by nothing.
        if (!(m > 0.0f))
            m = 1.0f;
        if (d > 0.0f)
            d = d / m * DefinitionFloat("RelationChangePersistentTradeExtraMult");
        d += std::min(g, v) / m * DefinitionFloat("RelationChangePersistentTradeMult");
        float items = 0.0f;
        for (const OfferEntry& entry : offer.entries)
            if (entry.kind == TradeOfferKind::Item && entry.side != side)
                items += std::max(0.0f, OfferValuation::ValueOfferEntry(*this, *other, side, OfferValuation::kModeCarriedOut, entry));
        if (g > 0.0f && items / g < 1.0f)
            d -= (1.0f - items / g) * d * (1.0f - DefinitionFloat("RelationChangeCrapItemsMult"));
        d = std::min(d, DefinitionFloat("MaxRelationChangePersistentTrade"));
    } else {
        d = d > 0.0f ? d + DefinitionFloat("RelationChangeEqualTrade") : DefinitionFloat("RelationChangeEqualTrade");
        if (offer.type == kDemandOffer && side == 0)
            d *= DefinitionFloat("RelationChangeDemandAcceptedMult");
    }
    bool demandOnMe = offer.type == kDemandOffer && side == 1;
    if (demandOnMe)
        d += Roll("RelationChangeMinDemand", "RelationChangeMaxDemand");
    float change = ChangeRelation(other->index, d, !(demandOnMe && d < 0.0f));
    other->DescribeRelationChange(this, change);
}

void ActorCovenant::OnKillReport(const Offer& offer, Covenant& maker, Covenant& accepter)
{
    if (offer.type == kDemandOffer) {
        if (HasPactWith(accepter.index) || GetTradeRouteKind(accepter.index) > 0)
            ChangeRelation(maker.index, Roll("RelationChangeMinDemandOfFriend", "RelationChangeMaxDemandOfFriend"), false);
        return;
    }
    if (IsAtWarWith(maker.index))
        ChangeRelation(accepter.index, Roll("RelationChangeMinTradeWithEnemy", "RelationChangeMaxTradeWithEnemy"), false);
    if (IsAtWarWith(accepter.index))
        ChangeRelation(maker.index, Roll("RelationChangeMinTradeWithEnemy", "RelationChangeMaxTradeWithEnemy"), false);
}

// ---- Item-buy offers --------------------------------------------------------------------------------------

void ActorCovenant::UpdateAdventureParty(Covenant& other)
{
    const auto* leader = dynamic_cast<const Sentient*>(other.GetLeader());
    if (!leader || !leader->inventory || &other == this)
        return;
    const InventoryBase& carried = *leader->inventory;
    if (buyWalkBag < kActorCovenantFirstBuyBag) {
        buyWalkBag = kActorCovenantFirstBuyBag;
        buyWalkSlot = -1;
    }
    while (buyWalkBag <= kActorCovenantLastBuyBag) {
        if (++buyWalkSlot >= carried.GetSlotCount(buyWalkBag)) {
            ++buyWalkBag;
            buyWalkSlot = -1;
            continue;
        }
        const ItemBase* item = carried.GetItem(buyWalkBag, buyWalkSlot);
        if (!item || !ActorCovenantWantsToBuy(*item))
            continue;
        Offer offer;
        offer.entries = {{0, TradeOfferKind::Item, ActorCovenantPackItem(buyWalkBag, buyWalkSlot)}};
        offer.SwapSides();
        offer.type = kTradeOffer;
        // Only the item against this covenant's money is a purchase.
        if (BalanceOffer(other, offer, DefinitionFloat("TradeAdvantage")) == kAnswerBalanced &&
            offer.entries.size() == 2 && offer.entries[1].side == 0 && offer.entries[1].kind == TradeOfferKind::LeaderMoney)
            SendOffer(other, offer);
        return;
    }
    buyWalkBag = -1;
    buyWalkSlot = -1;
}

// ---- Goods --------------------------------------------------------------------------------------------

float ActorCovenant::GetItemTradeValue(const ItemBase& item, bool own) const
{
    int32_t p = item.GetValue(true);
    float q = 0.0f;
    if (own) {
        int32_t slots = inventory->GetSlotCount(kGoodsBag);
        int32_t cheaper = 0;
        for (int32_t slot = 0; slot < slots; ++slot) {
            const ItemBase* there = inventory->GetItem(kGoodsBag, slot);
            if (there != &item && (there ? there->GetValue(true) : 0) < p)
                ++cheaper;
        }
        q = slots > 0 ? static_cast<float>(1 + cheaper) / static_cast<float>(slots) : 0.0f;
    } else {
        int32_t bag = kGoodsBag;
        int32_t slot = ChooseStoreSlot(item, bag);
        const ItemBase* there = slot >= 0 ? inventory->GetItem(bag, slot) : nullptr;
        if (slot >= 0 && !there) {
            q = 1.0f;
        } else if (there) {
            auto a = static_cast<float>(p);
            auto b = static_cast<float>(there->GetValue(true));
            q = (p == 0 || a <= b) ? 0.0f : b == 0.0f ? 1.0f : std::min(a / b - 1.0f, 1.0f);
        }
    }
    return (DefinitionFloat("TradeAdditionPercent") * q + GetSellPercent(ActorCovenantOffersTuning(), p)) *
           static_cast<float>(p);
}

std::unique_ptr<ItemBase> ActorCovenant::RemoveStoredItem(int32_t bag, int32_t slot)
{
    if (bag != kGoodsBag || !inventory->GetItem(bag, slot))
        return nullptr;
    std::unique_ptr<ItemBase> item = inventory->RemoveAt(bag, slot);
    int32_t named = ActorCovenantPackItem(bag, slot);
    int32_t count = gCovenantHost ? std::min(gCovenantHost->GetCovenantCount(), kMaxCovenants) : 0;
    for (int32_t u = 0; u < count; ++u)
        if (const Offer* pending = GetPendingOffer(u); pending && ActorCovenantNamesItem(*pending, 0, named))
            WithdrawOffer(u, false);
    return item;
}

bool ActorCovenant::GiveStoredItem(std::unique_ptr<ItemBase>& item, int32_t)
{
    StoreItem(std::move(item));
    return true;
}

// ---- Rumours ------------------------------------------------------------------------------------------

void ActorCovenant::MaybeStartRumor(int32_t u)
{
    Covenant* them = gCovenantHost ? gCovenantHost->GetCovenant(u) : nullptr;
    const CovenantDefinition* definition = Definition();
    if (!them || them == this || !definition)
        return;
    float x = std::clamp(GetRelation(u), 0.0f, 100.0f);
    if (!(definition->rumorChance.At(x) > DrawRandomScaled(RandomStream::GameData, 100.0f)))
        return;
    float quick = std::max(0.0f, DefinitionFloat("RumorChanceQuick"));
    float planned = std::max(0.0f, DefinitionFloat("RumorChancePlanned"));
    float crafted = std::max(0.0f, DefinitionFloat("RumorChanceCrafted"));
    float r = DrawRandomScaled(RandomStream::GameData, quick + planned + crafted);
    int32_t level = r < quick ? RumorLevel::Quick : r < quick + planned ? RumorLevel::Planned : RumorLevel::WellCrafted;
    double cost = std::ceil(static_cast<double>(ActorCovenantOffersTuning().rumorCostPerLevel[static_cast<size_t>(level)]) *
                            them->leaderLevel);
    if (std::isfinite(cost) && statistics.Get(CovenantStat::Money) >= cost)
        gCovenantHost->StartRumor(level, this, them);
}
