// ActorCovenant -- the rival's work in the world save: what it was doing, its timers, the raid it leads, where its recruits stood and the offers it waits on.
#include "covenants/ActorCovenant.h"

#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/GameServices.h"
#include "entities/Item.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

// A pending offer's record: the other's index, the type, the flag and the entry count, then the
// entries and its resend state of seven words.
constexpr size_t kActorCovenantOfferBytes = 4 * 4;
constexpr size_t kActorCovenantEntryBytes = 4 * 3;
// A recruit slot holds at least its presence word.
constexpr size_t kActorCovenantSlotBytes = 4;

bool ActorCovenantIsIndexOrNone(int32_t value)
{
    return value >= -1 && value < kMaxCovenants;
}

// A place on a level of this world with a number for each coordinate.
bool ActorCovenantIsPlace(const WorldPos& place)
{
    return gWorld && gWorld->GetLevel(place.level) && std::isfinite(place.x) && std::isfinite(place.y);
}

} // namespace

void ActorCovenant::WriteWork(MessageBuffer& buffer) const
{
    buffer.WriteInt(activity);
    buffer.WriteInt(cachedActivity);
    buffer.WriteInt(kTimerCount);
    for (const RandomTimer& timer : timerSet)
        timer.Write(buffer);
    buffer.WriteTimeStamp(alertUntil);
    buffer.WriteTimeStamp(nextThinkTime);
    buffer.WriteFloat(lastHealthRatio);
    buffer.WriteFloat(recentDamage);
    buffer.WriteInt(kMaxCovenants);
    for (float damage : damageFrom)
        buffer.WriteFloat(damage);
    buffer.WriteBool(hasRallyPoint);
    WriteWorldPos(buffer, rallyPoint);
    buffer.WriteBool(raidUnderWay);
    buffer.WriteInt(targetCovenant);
    buffer.WriteTimeStamp(raidStart);
    buffer.WriteTimeStamp(lastRaidEnd);
    buffer.WriteInt(sharedRaidPartner);
    buffer.WriteFloat(sharedRaidTargetDamage);
    buffer.WriteFloat(sharedRaidPartnerDamage);
    buffer.WriteInt(adventurePartner);
    buffer.WriteInt(kMaxCovenants);
    for (int32_t xp : sharedAdventureXp)
        buffer.WriteInt(xp);
    buffer.WriteInt(buyWalkBag);
    buffer.WriteInt(buyWalkSlot);
    buffer.WriteInt(GetRecruitSlots());
    for (const auto& recruit : recruits) {
        buffer.WriteBool(recruit != nullptr);
        if (!recruit)
            continue;
        buffer.WriteBool(recruit->outWithParty);
        buffer.WriteInt(recruit->assignedLevel);
        buffer.WriteInt(recruit->winStreak);
        buffer.WriteInt(recruit->lossStreak);
        // A fallen covenant's members do not stand again: they have no place to come back to.
        const Actor* actor = eliminated ? nullptr : recruit->GetActor();
        buffer.WriteBool(actor != nullptr);
        if (actor)
            WriteWorldPos(buffer, actor->position);
    }
    WritePendingOffers(buffer);
}

void ActorCovenant::WritePendingOffers(MessageBuffer& buffer) const
{
    int32_t count = 0;
    for (const PendingOffer& pending : pendingOffers)
        count += pending.offer.entries.empty() ? 0 : 1;
    buffer.WriteInt(count);
    for (int32_t other = 0; other < kMaxCovenants; ++other) {
        const PendingOffer& pending = pendingOffers[static_cast<size_t>(other)];
        if (pending.offer.entries.empty())
            continue;
        buffer.WriteInt(other);
        buffer.WriteInt(pending.offer.type);
        buffer.WriteBool(pending.offer.itemsOnly);
        buffer.WriteInt(static_cast<int32_t>(pending.offer.entries.size()));
        for (const OfferEntry& entry : pending.offer.entries) {
            buffer.WriteInt(entry.side);
            buffer.WriteInt(entry.kind);
            buffer.WriteInt(entry.value);
        }
        buffer.WriteFloat(pending.interval);
        buffer.WriteBool(pending.running);
        buffer.WriteBool(pending.open);
        buffer.WriteFloat(pending.minimum);
        buffer.WriteFloat(pending.maximum);
        buffer.WriteFloat(pending.total);
        buffer.WriteFloat(pending.remaining);
        buffer.WriteInt(pending.resendsLeft);
    }
}

bool ActorCovenant::ReadWork(MessageBuffer& buffer)
{
    int32_t readActivity = buffer.ReadInt();
    int32_t readWish = buffer.ReadInt();
    int32_t timers = buffer.ReadInt();
    if (buffer.Overrun() || readActivity < Ready || readActivity > AdventuringWithCovenant || readWish < WishStay ||
        readWish > WishSiege || timers != kTimerCount)
        return false;
    activity = readActivity;
    cachedActivity = readWish;
    for (RandomTimer& timer : savedTimers)
        if (!timer.Read(buffer) || timer.remaining < 0.0f || timer.total < 0.0f)
            return false;
    if (!buffer.ReadFiniteTimeStamp(alertUntil) || !buffer.ReadFiniteTimeStamp(nextThinkTime))
        return false;
    lastHealthRatio = buffer.ReadFloat();
    recentDamage = buffer.ReadFloat();
    int32_t count = 0;
    if (buffer.Overrun() || !std::isfinite(lastHealthRatio) || !std::isfinite(recentDamage) ||
        !buffer.ReadCount(count, sizeof(float)) || count != kMaxCovenants)
        return false;
    for (float& damage : damageFrom)
        if (damage = buffer.ReadFloat(); !std::isfinite(damage))
            return false;
    hasRallyPoint = buffer.ReadBool();
    if (buffer.Overrun() || !ReadWorldPos(buffer, rallyPoint) || !ReadRaid(buffer))
        return false;
    adventurePartner = buffer.ReadInt();
    if (buffer.Overrun() || !ActorCovenantIsIndexOrNone(adventurePartner) ||
        !buffer.ReadCount(count, sizeof(int32_t)) || count != kMaxCovenants)
        return false;
    for (int32_t& xp : sharedAdventureXp)
        xp = buffer.ReadInt();
    buyWalkBag = buffer.ReadInt();
    buyWalkSlot = buffer.ReadInt();
    if (buffer.Overrun() || !ReadWorkRecruits(buffer) || !ReadPendingOffers(buffer))
        return false;
    workRead = true;
    return true;
}

bool ActorCovenant::ReadRaid(MessageBuffer& buffer)
{
    raidUnderWay = buffer.ReadBool();
    targetCovenant = buffer.ReadInt();
    if (buffer.Overrun() || !ActorCovenantIsIndexOrNone(targetCovenant) ||
        !buffer.ReadFiniteTimeStamp(raidStart) || !buffer.ReadFiniteTimeStamp(lastRaidEnd))
        return false;
    sharedRaidPartner = buffer.ReadInt();
    sharedRaidTargetDamage = buffer.ReadFloat();
    sharedRaidPartnerDamage = buffer.ReadFloat();
    return !buffer.Overrun() && ActorCovenantIsIndexOrNone(sharedRaidPartner) &&
           std::isfinite(sharedRaidTargetDamage) && std::isfinite(sharedRaidPartnerDamage);
}

bool ActorCovenant::ReadWorkRecruits(MessageBuffer& buffer)
{
    int32_t count = 0;
    if (!buffer.ReadCount(count, kActorCovenantSlotBytes) || count > GetRecruitSlots())
        return false;
    savedPlaces.assign(recruits.size(), WorldPos{});
    for (int32_t slot = 0; slot < count; ++slot) {
        Recruit* recruit = recruits[static_cast<size_t>(slot)].get();
        bool present = buffer.ReadBool();
        // The slots' work follows their records: a slot that differs is not this covenant's.
        if (buffer.Overrun() || present != (recruit != nullptr))
            return false;
        if (!recruit)
            continue;
        recruit->outWithParty = buffer.ReadBool();
        recruit->assignedLevel = buffer.ReadInt();
        recruit->winStreak = buffer.ReadInt();
        recruit->lossStreak = buffer.ReadInt();
        bool standing = buffer.ReadBool();
        WorldPos& place = savedPlaces[static_cast<size_t>(slot)];
        if (buffer.Overrun() || recruit->assignedLevel < -1 || recruit->winStreak < 0 || recruit->lossStreak < 0 ||
            (standing && !ReadWorldPos(buffer, place)))
            return false;
    }
    return true;
}

bool ActorCovenant::ReadPendingOffers(MessageBuffer& buffer)
{
    int32_t count = 0;
    if (!buffer.ReadCount(count, kActorCovenantOfferBytes) || count > kMaxCovenants)
        return false;
    for (PendingOffer& pending : pendingOffers)
        pending = PendingOffer{};
    for (int32_t i = 0; i < count; ++i) {
        int32_t other = buffer.ReadInt();
        Offer offer;
        offer.type = buffer.ReadInt();
        offer.itemsOnly = buffer.ReadBool();
        int32_t entries = 0;
        if (buffer.Overrun() || other < 0 || other >= kMaxCovenants || offer.type < TradeOfferType::Trade ||
            offer.type > TradeOfferType::Preview || !buffer.ReadCount(entries, kActorCovenantEntryBytes) ||
            entries < 1 || entries > Offer::kMaxEntries)
            return false;
        for (int32_t e = 0; e < entries; ++e) {
            OfferEntry entry;
            entry.side = buffer.ReadInt();
            entry.kind = buffer.ReadInt();
            entry.value = buffer.ReadInt();
            if (buffer.Overrun() || entry.side < 0 || entry.side > Offer::kMaxSide ||
                entry.kind < TradeOfferKind::kFirst || entry.kind > TradeOfferKind::kLast)
                return false;
            offer.entries.push_back(entry);
        }
        PendingOffer& pending = pendingOffers[static_cast<size_t>(other)];
        if (!pending.offer.entries.empty())
            return false;
        pending.offer = std::move(offer);
        pending.interval = buffer.ReadFloat();
        pending.running = buffer.ReadBool();
        pending.open = buffer.ReadBool();
        pending.minimum = buffer.ReadFloat();
        pending.maximum = buffer.ReadFloat();
        pending.total = buffer.ReadFloat();
        pending.remaining = buffer.ReadFloat();
        pending.resendsLeft = buffer.ReadInt();
        for (float value : {pending.interval, pending.minimum, pending.maximum, pending.total, pending.remaining})
            if (!std::isfinite(value) || value < 0.0f)
                return false;
        if (buffer.Overrun() || pending.resendsLeft < 0)
            return false;
    }
    return true;
}

void ActorCovenant::TakeBackPendingOffers()
{
    for (int32_t other = 0; other < kMaxCovenants; ++other) {
        PendingOffer& pending = pendingOffers[static_cast<size_t>(other)];
        if (pending.offer.entries.empty() || (other != index && FindOfferedGoodsAgain(other)))
            continue;
        // Goods of a covenant not yet in the game (the player's, before it joins) are found once it is.
        if (other != index && !(gCovenantHost && gCovenantHost->GetCovenant(other)))
            pending.goods.clear();
        else
            DropSavedOffer(other);
    }
}

bool ActorCovenant::FindOfferedGoodsAgain(int32_t other)
{
    PendingOffer& pending = pendingOffers[static_cast<size_t>(other)];
    pending.goods.clear();
    bool held = true;
    for (const OfferEntry& entry : pending.offer.entries) {
        ItemBase* goods = FindOfferedItem(entry, other);
        held = held && (entry.kind != TradeOfferKind::Item || goods);
        pending.goods.emplace_back(goods);
    }
    return held;
}

void ActorCovenant::DropSavedOffer(int32_t other)
{
    DebugSystem::Print(kPrintWarning, "Covenant %s: its saved offer to covenant %d names what is not there; it is dropped\n",
                       GetName().c_str(), other);
    pendingOffers[static_cast<size_t>(other)] = PendingOffer{};
}

void ActorCovenant::PlaceSavedRecruit(Recruit& recruit, const WorldPos& place)
{
    recruit.covenantIndex = index;
    Actor* actor = recruit.Spawn(this, true);
    if (!actor)
        return;
    WorldPos home = FindSpotNearHome(actor);
    actor->SetPosition(ActorCovenantIsPlace(place) ? place : home);
    actor->homePosition = home;
    // A refused creature is gone; its record stays, to be spawned again later.
    if (!gGameServices || gGameServices->AddEntity(actor) == -1) {
        recruit.SetActor(nullptr, true);
        delete actor;
    }
}

void ActorCovenant::PlaceSaved()
{
    WorldPos where;
    where.level = homeLevel;
    where.x = homeX;
    where.y = homeY;
    MakeHome(where);
    for (int32_t slot = kFirstRelicSlot; slot < kHouseSlots; ++slot)
        if (auto* relic = dynamic_cast<Item*>(GetHouseItem(slot)))
            PlaceRelic(relic, slot);
    for (int32_t slot = 0; slot < kGuardSlots; ++slot) {
        auto* guard = dynamic_cast<Item*>(GetHouseItem(slot));
        if (guard && !guard->IsGuardFallen())
            SpawnGuard(guard, slot);
    }
    for (size_t slot = 0; slot < recruits.size(); ++slot)
        if (recruits[slot] && !eliminated)
            PlaceSavedRecruit(*recruits[slot], slot < savedPlaces.size() ? savedPlaces[slot] : WorldPos{});
    // Those out with the party follow its leader again.
    Recruit* leader = FindLeaderRecruit();
    Actor* head = leader ? leader->GetActor() : nullptr;
    for (const auto& recruit : recruits)
        if (Actor* follower = recruit && recruit->outWithParty ? recruit->GetActor() : nullptr;
            head && follower && follower != head)
            head->AddCompanion(follower, GetRecruitSlots() + 1);
    RecomputeBonuses();
    // As it stood: a fallen covenant's lifestone keeps the health its members gave it.
    SetHomeMaxHealth(savedHomeMaxHealth);
    SetHomeHealth(std::min(savedHomeHealth, savedHomeMaxHealth));
    SetUpTimers();
    if (!workRead)
        return;
    for (int32_t id = 0; id < kTimerCount; ++id) {
        RandomTimer& timer = Timer(id);
        const RandomTimer& saved = savedTimers[static_cast<size_t>(id)];
        timer.running = saved.running;
        timer.minimum = saved.minimum;
        timer.maximum = saved.maximum;
        timer.total = saved.total;
        timer.remaining = saved.remaining;
    }
    if (raidUnderWay && !eliminated)
        MakeRaidGate();
}
