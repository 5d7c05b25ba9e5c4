// Game -- treaty changes, trade routes and raids between covenants, applied to both sides, passed on and announced to the players.
#include "server/Game.h"

#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "covenants/Covenant.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/DiplomacyText.h"

#include <algorithm>

namespace {

constexpr const char* kGameDiplomacyWarSound = "Sounds/declaredWar.ogg";
constexpr const char* kGameDiplomacyRaidSound = "Sounds/startedRaid.ogg";
constexpr float kGameDiplomacyDangerFraction = 0.25f;
constexpr float kGameDiplomacyThreatFraction = 0.5f;
// Trade-offer kinds whose amounts both sides can offset: influence, money and crystals.
constexpr int32_t kGameDiplomacyNettedKinds[] = {TradeOfferKind::Influence, TradeOfferKind::LeaderMoney,
                                                 TradeOfferKind::CovenantMoney};

bool GameDiplomacyIsPact(int32_t treaty)
{
    return treaty == CovenantTreaty::NonAggressionPact || treaty == CovenantTreaty::MutualProtectionPact ||
           treaty == CovenantTreaty::Alliance;
}

bool GameDiplomacyIsHostile(int32_t treaty)
{
    return treaty == CovenantTreaty::War || treaty == CovenantTreaty::Raid;
}

std::string GameDiplomacyLine(const Covenant& covenant)
{
    return DiplomacyText::CovenantLine(covenant);
}

} // namespace

Covenant* Game::FindLivingCovenant(int32_t index) const
{
    Covenant* covenant = GetCovenant(index);
    return covenant && !covenant->eliminated ? covenant : nullptr;
}

void Game::AnnounceDiplomacy(int32_t first, int32_t second, int32_t treaty, bool silent)
{
    Covenant* a = FindLivingCovenant(first);
    Covenant* b = FindLivingCovenant(second);
    if (!a || !b || a == b || treaty < 0 || treaty >= CovenantTreaty::kCount)
        return;
    if (diplomacyDepth >= kMaxDiplomacyDepth) {
        DebugSystem::Print(kPrintWarning, "Diplomacy follow-ups nest deeper than %d; the change %d %d %d is dropped\n",
                           kMaxDiplomacyDepth, first, second, treaty);
        return;
    }
    if (!leftStartLevel && static_cast<const EntityCovenant*>(a) == GetFirstPlayerCovenant())
        leftStartLevel = true;
    int32_t ab = a->GetTreatyState(b->index);
    int32_t ba = b->GetTreatyState(a->index);
    // A war between covenants where one raids the other stays a raid, quietly.
    if (treaty == CovenantTreaty::War && (a->targetCovenant == b->index || b->targetCovenant == a->index)) {
        treaty = CovenantTreaty::Raid;
        silent = true;
    }
    if (ab == treaty && ba == treaty)
        return;
    bool endsPact = treaty == CovenantTreaty::Peace || GameDiplomacyIsHostile(treaty);
    if (GameDiplomacyIsPact(ba) && endsPact)
        BroadcastPactCancelled(*a, *b);
    a->SetTreaty(b->index, treaty, elapsed);
    b->SetTreaty(a->index, treaty, elapsed);
    if (!silent)
        AnnounceTreaty(*a, *b, treaty, ab);
    ++diplomacyDepth;
    FollowUpTreaty(*a, *b, treaty);
    --diplomacyDepth;
}

void Game::AnnounceTreaty(Covenant& first, Covenant& second, int32_t treaty, int32_t oldTreaty)
{
    std::string one = GameDiplomacyLine(first);
    std::string two = GameDiplomacyLine(second);
    std::string pact = DiplomacyText::Treaty(treaty);
    switch (treaty) {
    case CovenantTreaty::War:
        AnnounceForCovenant(&second, 0, MakeLocToken("XDeclaresWarOnY", "%s %s %s", one.c_str(), pact.c_str(),
                                                     two.c_str()));
        break;
    case CovenantTreaty::Peace:
        if (GameDiplomacyIsPact(oldTreaty)) {
            std::string ended = DiplomacyText::Treaty(oldTreaty);
            SendMessage(MakeLocToken("XCancelledTreatyWithY", "%s %s %s", one.c_str(), ended.c_str(), two.c_str()),
                        kMessageNewsKind);
        } else {
            SendMessage(MakeLocToken("XAndYDeclarePeace", "%s %s", one.c_str(), two.c_str()), kMessageNewsKind);
        }
        break;
    case CovenantTreaty::Alliance:
        SendMessage(MakeLocToken("XAndYHaveForgedAnAlliance", "%s %s %s", one.c_str(), two.c_str(), pact.c_str()),
                    kMessageNewsKind);
        break;
    case CovenantTreaty::NonAggressionPact:
    case CovenantTreaty::MutualProtectionPact:
        SendMessage(MakeLocToken("XAndYHaveSignedZTreaty", "%s %s %s", one.c_str(), two.c_str(), pact.c_str()),
                    kMessageNewsKind);
        break;
    default:
        break;
    }
}

void Game::FollowUpTreaty(Covenant& first, Covenant& second, int32_t treaty)
{
    switch (treaty) {
    case CovenantTreaty::War:
    case CovenantTreaty::Raid:
        DeclareWar(first, second);
        break;
    case CovenantTreaty::Peace:
        first.MakePeace(second);
        second.MakePeace(first);
        break;
    case CovenantTreaty::MutualProtectionPact:
        HonourProtectionPact(first, second);
        HonourProtectionPact(second, first);
        break;
    case CovenantTreaty::Alliance:
        HonourAlliance(first, second);
        HonourAlliance(second, first);
        break;
    default:
        break;
    }
}

void Game::HonourProtectionPact(Covenant& side, Covenant& partner)
{
    // By index: a follow-up may change what the list's covenants hold, never the list itself.
    for (int32_t i = 0; i < GetCovenantCount(); ++i) {
        Covenant* third = FindLivingCovenant(i);
        if (!third || third == &side || third == &partner || third->targetCovenant != partner.index)
            continue;
        int32_t toThird = side.GetTreatyState(third->index);
        if (toThird != CovenantTreaty::MutualProtectionPact && toThird != CovenantTreaty::Alliance)
            AnnounceDiplomacy(third->index, side.index, CovenantTreaty::War, false);
    }
}

void Game::HonourAlliance(Covenant& ally, Covenant& partner)
{
    for (int32_t i = 0; i < GetCovenantCount(); ++i) {
        Covenant* third = FindLivingCovenant(i);
        if (!third || third == &ally || third == &partner ||
            !GameDiplomacyIsHostile(third->GetTreatyState(partner.index)))
            continue;
        if (ally.GetTreatyState(third->index) != CovenantTreaty::Alliance)
            AnnounceDiplomacy(third->index, ally.index, CovenantTreaty::War, false);
    }
}

void Game::DeclareWar(Covenant& declarer, Covenant& target)
{
    SetTradeRoute(&declarer, &target, 0, false);
    target.OnWarDeclaredOn(declarer);
    for (int32_t i = 0; i < GetCovenantCount(); ++i) {
        Covenant* third = FindLivingCovenant(i);
        if (!third || third == &declarer || third == &target)
            continue;
        int32_t s1 = declarer.GetTreatyState(third->index);
        int32_t s2 = target.GetTreatyState(third->index);
        if (GameDiplomacyIsHostile(s1))
            continue;
        bool protects = s2 == CovenantTreaty::MutualProtectionPact && s1 != CovenantTreaty::MutualProtectionPact &&
                        s1 != CovenantTreaty::Alliance;
        bool allied = s2 == CovenantTreaty::Alliance && s1 != CovenantTreaty::Alliance;
        if (!protects && !allied)
            continue;
        AnnounceDiplomacy(third->index, declarer.index, CovenantTreaty::War, true);
        std::string honoured = DiplomacyText::Treaty(s2);
        std::string war = DiplomacyText::Treaty(CovenantTreaty::War);
        AnnounceForCovenant(third, 0,
                            MakeLocToken("DeclareWarHonorTreaty", "%s %s %s %s %s", GameDiplomacyLine(*third).c_str(),
                                         honoured.c_str(), GameDiplomacyLine(target).c_str(), war.c_str(),
                                         GameDiplomacyLine(declarer).c_str()));
    }
    WorldEventRequest sound;
    sound.name = kGameDiplomacyWarSound;
    QueueWorldEvent(sound);
}

void Game::SetTradeRoute(Covenant* first, Covenant* second, int32_t kind, bool silent)
{
    if (!first || !second || first == second || first->eliminated || second->eliminated ||
        first != GetCovenant(first->index) || second != GetCovenant(second->index))
        return;
    int32_t ab = first->GetTradeRouteKind(second->index);
    int32_t ba = second->GetTradeRouteKind(first->index);
    // A route already in force keeps its start, so its income keeps growing.
    if (ab != kind)
        first->SetTradeRoute(second->index, kind, elapsed);
    if (ba != kind)
        second->SetTradeRoute(first->index, kind, elapsed);
    std::string one = GameDiplomacyLine(*first);
    std::string two = GameDiplomacyLine(*second);
    if (kind == 0) {
        if (ab == 0 && ba == 0)
            return;
        BroadcastTradeRouteChanged(*first, *second, ab);
        if (!silent) {
            std::string route = DiplomacyText::TradeRoute(ab);
            AnnounceForCovenant(first, 0, MakeLocToken("XCancelledYTradeRouteWithZ", "%s %s %s", one.c_str(),
                                                       route.c_str(), two.c_str()));
        }
        return;
    }
    if (!silent && !(ab == kind && ba == kind)) {
        std::string route = DiplomacyText::TradeRoute(kind);
        AnnounceForCovenant(first, 0,
                            MakeLocToken("XAndYStartZTradeRoute", "%s %s %s", one.c_str(), two.c_str(), route.c_str()));
    }
}

void Game::StartRaid(int32_t raider, int32_t raided)
{
    Covenant* a = GetCovenant(raider);
    Covenant* b = GetCovenant(raided);
    if (!a || !b || a == b)
        return;
    AnnounceForCovenant(b, 0, MakeLocToken("XIsRaidingY", "%s %s", GameDiplomacyLine(*a).c_str(),
                                           GameDiplomacyLine(*b).c_str()));
    b->OnRaidStarted(*a);
    AnnounceDiplomacy(raider, raided, CovenantTreaty::Raid, false);
    QueueSoundAtFirstPlayer(kGameDiplomacyRaidSound, 0.0f, 0.0f);
}

void Game::StopRaid(int32_t raider, int32_t raided)
{
    Covenant* a = GetCovenant(raider);
    Covenant* b = GetCovenant(raided);
    if (!a || !b || a == b)
        return;
    a->targetCovenant = -1;
    if (a->eliminated || b->eliminated || a->GetTreatyState(b->index) != CovenantTreaty::Raid)
        return;
    SendMessage(MakeLocToken("XHasStoppedRaidingY", "%s %s", GameDiplomacyLine(*a).c_str(),
                             GameDiplomacyLine(*b).c_str()),
                kMessageNewsKind);
    AnnounceDiplomacy(raider, raided, CovenantTreaty::War, false);
    a->StopRaid();
    b->StopRaid();
}

void Game::AnnounceLifestone(int32_t covenant, float healthFraction)
{
    Covenant* living = FindLivingCovenant(covenant);
    if (!living || !(healthFraction < kGameDiplomacyThreatFraction))
        return;
    const char* key = healthFraction < kGameDiplomacyDangerFraction ? "$$CovenantsLifestoneInDanger$$"
                                                                     : "$$CovenantsLifestoneIsThreatened$$";
    SendMessage(StringFormat("%s %s", GameDiplomacyLine(*living).c_str(), key), kMessageNewsKind);
}

void Game::BroadcastPactCancelled(Covenant& first, Covenant& second)
{
    for (int32_t i = 0; i < GetCovenantCount(); ++i)
        if (Covenant* covenant = FindLivingCovenant(i))
            covenant->OnTreatyCancelled(first, second);
}

void Game::BroadcastTradeRouteChanged(Covenant& first, Covenant& second, int32_t kind)
{
    for (int32_t i = 0; i < GetCovenantCount(); ++i)
        if (Covenant* covenant = FindLivingCovenant(i))
            covenant->OnTradeRouteCancelled(first, second, kind);
}

void Game::NetTradeOffer(TradeOffer& offer)
{
    for (int32_t kind : kGameDiplomacyNettedKinds) {
        int64_t totals[2] = {0, 0};
        // A negative amount offers nothing and takes nothing off.
        for (const TradeOfferEntry& entry : offer.entries)
            if (entry.kind == kind && entry.value > 0)
                totals[entry.side == 0 ? 0 : 1] += entry.value;
        int64_t common = std::min(totals[0], totals[1]);
        int64_t budgets[2] = {common, common};
        for (TradeOfferEntry& entry : offer.entries) {
            if (entry.kind != kind || entry.value <= 0)
                continue;
            int64_t& budget = budgets[entry.side == 0 ? 0 : 1];
            if (entry.value < budget) {
                budget -= entry.value;
                entry.value = 0;
            } else {
                entry.value = static_cast<int32_t>(entry.value - budget);
                budget = 0;
            }
        }
    }
}

void Game::SetPeaceWithAll(int32_t covenant)
{
    Covenant* own = GetCovenant(covenant);
    if (!own)
        return;
    for (int32_t i = 0; i < GetCovenantCount(); ++i) {
        Covenant* other = GetCovenant(i);
        if (!other || other == own)
            continue;
        own->SetTreaty(i, CovenantTreaty::Peace, elapsed);
        other->SetTreaty(covenant, CovenantTreaty::Peace, elapsed);
    }
}

void Game::ClearTradeRoutesOfAll(int32_t covenant)
{
    Covenant* own = GetCovenant(covenant);
    if (!own)
        return;
    for (int32_t i = 0; i < GetCovenantCount(); ++i) {
        Covenant* other = GetCovenant(i);
        if (!other || other == own)
            continue;
        own->SetTradeRoute(i, 0, elapsed);
        other->SetTradeRoute(covenant, 0, elapsed);
    }
}
