// Covenant -- a covenant of the world host as the game runs it: construction, the home, the plain virtual answers, offers and the record of the game update.
#include "covenants/Covenant.h"

#include "core/MessageBuffer.h"
#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/Entity.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "rules/RulesEnums.h"
#include "rules/covenants/CovenantDefinition.h"

Covenant::Covenant() : guards(kGuardSlots), relicDisplays(kRelicSlots), multipliers(kMultiplierCount, 1.0f)
{
    inventory = std::make_unique<Inventory>();
}

// The records go first: each schedules its attached actor's removal while the game still runs.
Covenant::~Covenant()
{
    recruits.clear();
}

// ---- The home ----------------------------------------------------------------------------------

void Covenant::SetHomeHealth(int32_t health)
{
    if (Entity* lifestone = GetHomeEntity())
        lifestone->health = health;
}

int32_t Covenant::GetHomeHealth() const
{
    const Entity* lifestone = GetHomeEntity();
    return lifestone ? lifestone->health : 0;
}

void Covenant::SetHomeMaxHealth(int32_t maxHealth)
{
    Entity* lifestone = GetHomeEntity();
    if (!lifestone)
        return;
    lifestone->maxHealth = maxHealth;
    lifestone->health = std::min(lifestone->health, maxHealth);
}

int32_t Covenant::GetHomeMaxHealth() const
{
    const Entity* lifestone = GetHomeEntity();
    return lifestone ? lifestone->maxHealth : 0;
}

WorldPos Covenant::GetHomePosition() const
{
    WorldPos where;
    where.level = homeLevel;
    where.x = homeX;
    where.y = homeY;
    return where;
}

Entity* Covenant::GetHomeEntity() const
{
    return home.GetAs<Entity>();
}

int32_t Covenant::GetHomeStat(int32_t stat) const
{
    if (stat == CharacterStat::Armor)
        return GetBestMemberValue(kBestArmor);
    if (stat == CharacterStat::Defense)
        return GetBestMemberValue(kBestDefense);
    if (stat >= CharacterStat::ResistancePhysical && stat <= CharacterStat::ResistanceMagic)
        return GetBestMemberValue(kBestResistance + stat - CharacterStat::ResistancePhysical);
    return 0;
}

// ---- The game ----------------------------------------------------------------------------------

const CovenantBase* Covenant::GetPartner(int32_t other) const
{
    return gCovenantHost ? gCovenantHost->GetCovenant(other) : nullptr;
}

TimeStamp Covenant::GetGameTime() const
{
    return gCovenantHost ? gCovenantHost->GetGameClock() : TimeStamp{};
}

bool Covenant::IsRaiding() const
{
    return targetCovenant != -1 && GetTreatyState(targetCovenant) == CovenantTreaty::Raid;
}

bool Covenant::IsBeingRaidedExcept(const Covenant* except) const
{
    if (!gCovenantHost)
        return false;
    for (int32_t i = 0; i < gCovenantHost->GetCovenantCount(); ++i) {
        const Covenant* other = gCovenantHost->GetCovenant(i);
        if (other && other != except && other != this && other->targetCovenant == index &&
            GetTreatyState(i) == CovenantTreaty::Raid)
            return true;
    }
    return false;
}

// ---- Plain answers -----------------------------------------------------------------------------

void Covenant::UpdatePeopleStatistic()
{
    statistics.Set(CovenantStat::People, 0);
}

void Covenant::UpdateItemsStatistic()
{
    statistics.Set(CovenantStat::Items, 0);
}

Item* Covenant::GetInventoryItem(int32_t bag, int32_t slot) const
{
    return inventory ? dynamic_cast<Item*>(inventory->GetItem(bag, slot)) : nullptr;
}

void Covenant::DeleteInventoryItem(int32_t bag, int32_t slot)
{
    if (inventory)
        inventory->DeleteAt(bag, slot);
}

InventoryBag* Covenant::GetInventoryBag(int32_t bag) const
{
    return inventory ? inventory->GetBag(bag) : nullptr;
}

void Covenant::CountRaidParty(int32_t& alive, int32_t& fallen) const
{
    alive = 0;
    fallen = 0;
}

float Covenant::GetFloatStat(int32_t m) const
{
    // An index from a caller's table must not read past the multipliers.
    return m >= 0 && m < kMultiplierCount ? multipliers[static_cast<size_t>(m)] : 1.0f;
}

float Covenant::GetRelationForPeaceTreaty(const Covenant&) const
{
    const CovenantDefinition* own = GetDefinition();
    return own ? own->GetRelationForPeaceTreaty(GetDifficultyLevel()) : 0.0f;
}

float Covenant::GetTreatyCancelChange(int32_t treaty) const
{
    const CovenantDefinition* own = GetDefinition();
    return own ? own->GetRelationChangeCancelledTreaty(treaty) : 0.0f;
}

void Covenant::SendOffer(Covenant& to, const Offer& offer)
{
    if (!offer.entries.empty())
        to.ReceiveOffer(*this, offer);
}

ItemBase* Covenant::GetStoredItem(int32_t bag, int32_t slot) const
{
    return inventory ? inventory->GetItem(bag, slot) : nullptr;
}

std::unique_ptr<ItemBase> Covenant::RemoveStoredItem(int32_t bag, int32_t slot)
{
    return inventory ? inventory->RemoveAt(bag, slot) : nullptr;
}

bool Covenant::GiveStoredItem(std::unique_ptr<ItemBase>& item, int32_t bag)
{
    return inventory && inventory->AddItem(item, bag);
}

void Covenant::ForgetCovenant(const Covenant& other)
{
    for (int32_t slot = 0; slot < GetRecruitSlots(); ++slot)
        if (Actor* actor = GetRecruitActor(slot))
            actor->RemoveCovenantFromHateList(&other);
}

void Covenant::ResetThinkTimer()
{
    nextThinkTime = GetGameTime();
    nextThinkTime.seconds += kThinkDelaySeconds;
    nextThinkTime.Normalize();
}

WorldPos Covenant::GetRallyPoint() const
{
    WorldPos point;
    point.level = -1;
    return point;
}

// ---- Offers ------------------------------------------------------------------------------------

const PendingOffer* Covenant::GetPendingOfferRecord(int32_t other) const
{
    return other >= 0 && other < kMaxCovenants ? &pendingOffers[static_cast<size_t>(other)] : nullptr;
}

ItemBase* Covenant::FindOfferedItem(const OfferEntry& entry, int32_t other) const
{
    const Covenant* giver = entry.side == 0 ? this : (gCovenantHost ? gCovenantHost->GetCovenant(other) : nullptr);
    if (entry.kind != TradeOfferKind::Item || !giver)
        return nullptr;
    auto bag = static_cast<int32_t>(static_cast<uint32_t>(entry.value) & 0xFFFFu);
    auto slot = static_cast<int32_t>(static_cast<uint32_t>(entry.value) >> 16);
    return giver->GetStoredItem(bag, slot);
}

bool Covenant::HoldsOfferedGoods(int32_t other) const
{
    const PendingOffer* pending = GetPendingOfferRecord(other);
    if (!pending || pending->goods.size() != pending->offer.entries.size())
        return false;
    for (size_t i = 0; i < pending->goods.size(); ++i)
        if (pending->offer.entries[i].kind == TradeOfferKind::Item &&
            (!pending->goods[i] || FindOfferedItem(pending->offer.entries[i], other) != pending->goods[i].Get()))
            return false;
    return true;
}

void Covenant::ClearOfferTo(int32_t other, bool notify)
{
    if (other < 0 || other >= kMaxCovenants)
        return;
    PendingOffer& pending = pendingOffers[static_cast<size_t>(other)];
    pending.offer = Offer{};
    pending.goods.clear();
    pending.running = false;
    Covenant* to = gCovenantHost ? gCovenantHost->GetCovenant(other) : nullptr;
    if (notify && to)
        to->ReceiveOffer(*this, pending.offer);
}

// ---- The record of the game update -------------------------------------------------------------

void Covenant::Write(MessageBuffer& buffer) const
{
    buffer.WriteInt(GetDefinitionIndex());
    buffer.WriteString(GetName());
    buffer.WriteInt(homeLevel);
    buffer.WriteFloat(homeX);
    buffer.WriteFloat(homeY);
    buffer.WriteInt(eliminated ? 1 : 0);
    for (int32_t stat = CovenantStat::InfluenceAdventure; stat <= CovenantStat::InfluenceTransferred; ++stat)
        buffer.WriteInt(statistics.Get(stat));
    for (int32_t stat : {CovenantStat::GuardCosts, CovenantStat::People, CovenantStat::Items, CovenantStat::LifeStone,
                         CovenantStat::House, CovenantStat::Money})
        buffer.WriteInt(statistics.Get(stat));
    buffer.WriteInt(leaderLevel);
    buffer.WriteInt(GetHomeHealth());
    buffer.WriteInt(GetHomeMaxHealth());
    int32_t count = gCovenantHost ? gCovenantHost->GetCovenantCount() : 0;
    // A record toward an index past 31 cannot exist: it reads, and is written, as a fresh one.
    for (int32_t other = 0; other < count; ++other) {
        buffer.WriteFloat(GetRelation(other));
        buffer.WriteInt(GetTreatyState(other));
        buffer.WriteInt(GetTradeRouteKind(other));
        buffer.WriteTimeStamp(GetRelationTimeStamp(other));
    }
    buffer.WriteInt(GetAdventureInfo());
    buffer.WriteInt(GetTraitCount());
    for (int32_t position = 0; position < kMaxCovenantTraits; ++position)
        if (GetTraitId(position) >= 0)
            buffer.WriteInt(GetTraitId(position));
    const Entity* leader = GetLeader();
    buffer.WriteInt(leader ? leader->GetStat(CharacterStat::Money) : 0);
    buffer.WriteInt(IsBeingRaided() ? 1 : 0);
    buffer.WriteInt(targetCovenant);
}
