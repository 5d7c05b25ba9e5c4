// PlayerCovenant -- the player's covenant in diplomacy: offers, answers and expiries as its client's lines, relation changes as messages, the raid the player leads, and adventuring together.
#include "covenants/PlayerCovenant.h"

#include "core/LocSystem.h"
#include "core/MathUtil.h"
#include "core/StringUtil.h"
#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/items/ItemBase.h"
#include "rules/covenants/OfferAnswers.h"

#include <algorithm>
#include <cmath>

namespace {

// The message kinds of the player's screen: adventuring, and relation changes.
constexpr int32_t kPlayerCovenantAdventureKind = 2;
constexpr int32_t kPlayerCovenantRelationKind = 6;
// A counter-offer answered so goes back to the player as an offer.
constexpr int32_t kPlayerCovenantReofferResponse = 2;
constexpr int32_t kPlayerCovenantCounterOffer = 3;
// Adventuring together joins the two leaders alone.
constexpr int32_t kPlayerCovenantAdventurePartySize = 2;

std::string PlayerCovenantText(const Covenant& covenant)
{
    return gCovenantHost ? gCovenantHost->GetCovenantText(covenant.index) : std::string();
}

void PlayerCovenantMessage(const std::string& text, int32_t kind)
{
    if (gGameServices)
        gGameServices->SendMessage(text, kind);
}

// One decimal above 0.1, two above 0.01, else three; the bounds are 0.1 multiplied down in
// single precision.
int32_t PlayerCovenantDecimals(float change)
{
    float size = std::fabs(change);
    float bound = 0.1f;
    int32_t decimals = 1;
    while (decimals < 3 && !(size > bound)) {
        bound *= 0.1f;
        ++decimals;
    }
    return decimals;
}

} // namespace

void PlayerCovenant::TellClient(const std::string& line) const
{
    // The events of this covenant are its own player's to decide: no other client hears them.
    if (const Player* leader = GetPlayer(); leader && gGameServices)
        gGameServices->QueueClientCommandFor(leader->entityNumber, line);
}

void PlayerCovenant::CountStatistic(int32_t stat) const
{
    if (Player* leader = GetPlayer())
        leader->statistics.Add(stat, 1);
}

bool PlayerCovenant::IsRaidUnderWay() const
{
    return targetCovenant != -1 && HasRelation(targetCovenant) &&
           GetTreatyState(targetCovenant) == CovenantTreaty::Raid;
}

// ---- Offers --------------------------------------------------------------------------------------

void PlayerCovenant::ReceiveOffer(Covenant& from, const Offer& offer)
{
    const Player* leader = GetPlayer();
    if (!leader || !gGameServices)
        return;
    std::vector<std::string> lines(1, StringFormat("offerToPlayer %d %d", offer.type, from.index));
    AppendTradeOfferEntries(lines.front(), offer.entries);
    ListOfferedGoods(from, offer, lines);
    // Heard whole or not at all: the terms without the names of the goods, or the names without
    // the terms, would be a different deal. Its maker is told: its window went on listening.
    // A player's covenant only when its own request made the offer: a peace proposal a deal
    // makes in a third player's name was never that player's offer.
    if (!gGameServices->QueueClientCommandsFor(leader->entityNumber, lines)) {
        const Entity* maker = from.GetPlayer();
        if (!maker || maker->entityNumber == gGameServices->GetRequestPlayer())
            from.OnOfferResult(*this, kAnswerOfferNotHeard);
    }
}

// The client mirrors no other covenant's goods: an offer naming only a place in them showed the
// player an empty line and put a thing never seen into the pack. What the offering covenant puts
// in is named after the terms, "offerItem covenant side value \"name\"".
void PlayerCovenant::ListOfferedGoods(const Covenant& from, const Offer& offer, std::vector<std::string>& lines) const
{
    // A counter-offer keeps the player's own sides: the other covenant gives side 1 of it.
    int32_t givenBy = offer.type == kPlayerCovenantCounterOffer ? 1 : 0;
    for (const TradeOfferEntry& entry : offer.entries) {
        if (entry.kind != TradeOfferKind::Item || entry.side != givenBy)
            continue;
        const auto place = static_cast<uint32_t>(entry.value);
        const ItemBase* item = from.GetStoredItem(static_cast<int32_t>(UnpackBits16(place, 0)),
                                                  static_cast<int32_t>(UnpackBits16(place, 16)));
        if (!item)
            continue;
        std::string name = item->GetDisplayName();
        std::replace(name.begin(), name.end(), '"', '\'');
        lines.push_back(StringFormat("offerItem %d %d %d \"%s\"", from.index, entry.side, entry.value, name.c_str()));
    }
}

void PlayerCovenant::OnOfferAnswered(Covenant& from, const Offer& offer, bool accepted, int32_t response)
{
    // Cleared before the deal is carried out: an answer is given once, and an offer accepted
    // cannot be accepted again.
    if (from.IsPlayerCovenant())
        ClearOfferTo(from.index, false);
    if (accepted && gCovenantHost)
        gCovenantHost->ExecuteOffer(offer, this, &from);
    if (offer.type == kPlayerCovenantCounterOffer && response == kPlayerCovenantReofferResponse)
        ReceiveOffer(from, offer);
    OnOfferResult(from, response);
}

const Offer* PlayerCovenant::GetPendingOffer(int32_t other) const
{
    const PendingOffer* pending = GetPendingOfferRecord(other);
    return pending && !pending->offer.entries.empty() ? &pending->offer : nullptr;
}

void PlayerCovenant::OnOfferResult(Covenant& from, int32_t response)
{
    TellClient(StringFormat("dipRes %d %d", response, from.index));
}

void PlayerCovenant::OnOfferExpired(Covenant& from)
{
    TellClient(StringFormat("offerExpired %d", from.index));
}

void PlayerCovenant::DescribeRelationChange(const Covenant* other, float change)
{
    // A change that is no number would print as one.
    if (!other || other->eliminated || change == 0.0f || !std::isfinite(change))
        return;
    int32_t decimals = PlayerCovenantDecimals(change);
    std::string text = StringFormat("%+.*f $$relation$$ (%s)", decimals, static_cast<double>(change),
                                    PlayerCovenantText(*other).c_str());
    PlayerCovenantMessage(text, kPlayerCovenantRelationKind);
}

// ---- Adventuring together ---------------------------------------------------------------------------

void PlayerCovenant::StartAdventuringWith(Covenant& other)
{
    Player* leader = GetPlayer();
    auto* partnerLeader = dynamic_cast<Sentient*>(other.GetLeader());
    // Two players' covenants tell each other: the second call finds the partnership made.
    if (!leader || !partnerLeader || &other == this || adventurePartner == other.index)
        return;
    if (IsRaiding() || other.IsRaiding() || IsBeingRaided() || other.IsBeingRaided()) {
        PlayerCovenantMessage("$$CantAdventureTogetherDuringRaids$$", kPlayerCovenantAdventureKind);
        return;
    }
    if (gCovenantHost && (gCovenantHost->HasOpenQuest(QuestType::TownAttack, nullptr) ||
                          gCovenantHost->HasOpenQuest(QuestType::Siege, nullptr))) {
        PlayerCovenantMessage("$$CantAdventureTogetherDuringTownAttacks$$", kPlayerCovenantAdventureKind);
        return;
    }
    leader->DismissCompanions();
    adventurePartner = other.index;
    other.StartAdventuringWith(*this);
    leader->AddCompanion(partnerLeader, kPlayerCovenantAdventurePartySize);
    PlayerCovenantMessage(MakeLocToken("AdventuringWithX", "%s", PlayerCovenantText(other).c_str()),
                          kPlayerCovenantAdventureKind);
}

void PlayerCovenant::StopAdventuringWith(Covenant& by)
{
    if (adventurePartner == -1)
        return;
    if (&by == this) {
        Covenant* partner = gCovenantHost ? gCovenantHost->GetCovenant(adventurePartner) : nullptr;
        adventurePartner = -1;
        if (partner)
            partner->StopAdventuringWith(*this);
    } else {
        PlayerCovenantMessage(MakeLocToken("XHasStoppedAdventuringWithUs", "%s", PlayerCovenantText(by).c_str()),
                              kPlayerCovenantAdventureKind);
    }
    if (Player* leader = GetPlayer())
        leader->DismissCompanions();
    adventurePartner = -1;
}

// ---- The raid ---------------------------------------------------------------------------------------

void PlayerCovenant::StartRaid(int32_t target, Player& leader, const std::vector<int32_t>& party)
{
    // The order sets out from wherever the player stands, as the relations screen gives it, but
    // only a living player rides out, and only against a covenant that still stands. Mended: a
    // fallen covenant's ruins were raided, and a dead player's body was sent out to start a war.
    Covenant* raided = gCovenantHost ? gCovenantHost->GetCovenant(target) : nullptr;
    if (!raided || raided == this || raided->eliminated || !leader.IsAlive())
        return;
    leader.Warp(raided->GetSpawnPointNearHome());
    targetCovenant = target;
    leader.DismissCompanions();
    std::vector<int32_t> joined;
    int32_t limit = gGameData ? gGameData->GetTuning().maxRaidGroupSize : 0;
    for (int32_t number : party) {
        // The numbers come from the client: a number outside the slots, or one already in, is skipped.
        Actor* actor = GetRecruitActor(number);
        if (!actor || std::find(joined.begin(), joined.end(), number) != joined.end())
            continue;
        joined.push_back(number);
        leader.AddToParty(actor, limit);
        // Mended: a recruit the full party turned away was still set on the target's lifestone,
        // and went off to attack it alone.
        if (Entity* lifestone = raided->GetHomeEntity(); lifestone && actor->GetLeader() == &leader)
            actor->AddToHateList(lifestone);
    }
    raidUnderway = false;
}

void PlayerCovenant::EndRaid(Player& leader)
{
    Covenant* raided = gCovenantHost ? gCovenantHost->GetCovenant(targetCovenant) : nullptr;
    CountStatistic(CharacterFunStat::RaidsOffensiveTotal);
    if (raided && raided->eliminated)
        CountStatistic(CharacterFunStat::RaidsOffensiveWon);
    if (raided && raided != this)
        gCovenantHost->StopRaid(index, raided->index);
    targetCovenant = -1;
    raidUnderway = false;
    leader.DismissCompanions();
    leader.RemoveGates(true);
    for (int32_t slot = 0; slot < GetRecruitSlots(); ++slot) {
        Actor* actor = GetRecruitActor(slot);
        if (!actor)
            continue;
        SendRecruitHome(*actor);
        actor->ClearHateList();
    }
    WorldPos home = FindSpotNearHome(&leader);
    if (home.level >= 0)
        leader.Warp(home);
}

// Mended: nothing ended a player's raid whose party had all fallen, so each further fall of a
// raider counted the raided covenant another defence won.
void PlayerCovenant::GiveUpRaid()
{
    if (Player* leader = GetPlayer())
        EndRaid(*leader);
}

bool PlayerCovenant::IsRecruitRaiding(const Actor& actor) const
{
    const Player* leader = GetPlayer();
    return leader && IsRaidUnderWay() && leader->IsInParty(&actor);
}

void PlayerCovenant::CountRaidParty(int32_t& alive, int32_t& fallen) const
{
    alive = 0;
    fallen = 0;
    const Player* leader = GetPlayer();
    if (!leader || !IsRaidUnderWay())
        return;
    for (int32_t slot = 0; slot < GetRecruitSlots(); ++slot) {
        const Actor* actor = GetRecruitActor(slot);
        if (!actor || !leader->IsInParty(actor))
            continue;
        if (actor->maxHealth < 1 || actor->health < 1)
            ++fallen;
        else
            ++alive;
    }
}

void PlayerCovenant::ForgetCovenant(const Covenant& other)
{
    Covenant::ForgetCovenant(other);
    if (other.index == targetCovenant)
        if (Player* leader = GetPlayer())
            EndRaid(*leader);
}

void PlayerCovenant::CountDeath(Entity*)
{
    if (eliminated)
        return;
    CountStatistic(CharacterFunStat::RaidsDefensiveWon);
    CountStatistic(CharacterFunStat::RaidsDefensiveTotal);
}

void PlayerCovenant::Eliminate(Entity* destroyer, bool killMembers, bool credit)
{
    // A fall is counted once.
    if (eliminated)
        return;
    if (IsBeingRaided())
        CountStatistic(CharacterFunStat::RaidsDefensiveTotal);
    else if (destroyer && destroyer->covenantIndex == -1)
        CountStatistic(CharacterFunStat::DestroyedByMonsters);
    Covenant::Eliminate(destroyer, killMembers, credit);
}

// ---- The roster as the player's requests see it ------------------------------------------------------

bool PlayerCovenant::IsRecruit(const Sentient& sentient) const
{
    return FindRecruitByActor(&sentient) != nullptr;
}

void PlayerCovenant::KickOut(int32_t entityNumber)
{
    for (int32_t slot = 0; slot < GetRecruitSlots(); ++slot)
        if (const Actor* actor = GetRecruitActor(slot); actor && actor->entityNumber == entityNumber)
            RemoveRecruit(slot);
}

bool PlayerCovenant::TakeRecruit(Sentient& npc)
{
    auto* actor = dynamic_cast<Actor*>(&npc);
    if (!actor || IsRecruit(npc) || FindFreeRecruitSlot() == -1)
        return false;
    AddRecruit(*actor);
    return IsRecruit(npc);
}

bool PlayerCovenant::ReleaseFromHouse(Sentient& recruit)
{
    auto* actor = dynamic_cast<Actor*>(&recruit);
    if (!actor || !IsRecruit(recruit))
        return false;
    actor->sentHome = false;
    return true;
}
