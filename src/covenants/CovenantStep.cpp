// Covenant -- the step of a covenant: statistics, the lifestone's regeneration, warnings and glow, the guard watch, and the bonuses its relics and members give.
#include "covenants/Covenant.h"

#include "core/MathUtil.h"
#include "core/RandomSystem.h"
#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/Entity.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Sentient.h"
#include "rules/covenants/CovenantDefinition.h"

#include <cmath>

void Covenant::Update(float seconds)
{
    if (eliminated)
        return;
    UpdateStatistics();
    Entity* lifestone = GetHomeEntity();
    if (lifestone) {
        float amount = static_cast<float>(GetBestMemberValue(kBestRegeneration)) * seconds / 60.0f;
        if (GetHomeHealthRatio() < kThreatRatio)
            amount *= 0.5f;
        int32_t gain = DrawRandomRound(amount);
        if (lifestone->health < lifestone->maxHealth)
            lifestone->health = std::min(lifestone->maxHealth, lifestone->health + gain);
        float ratio = GetHomeHealthRatio();
        if (gCovenantHost && ratio < kDangerRatio && lastHealthRatio >= kDangerRatio)
            gCovenantHost->AnnounceLifestone(index, ratio);
        else if (gCovenantHost && ratio < kThreatRatio && lastHealthRatio >= kThreatRatio)
            gCovenantHost->AnnounceLifestone(index, ratio);
        // A falling ratio is always followed; a rising one only well past a warning's line, so
        // a lifestone hovering at the line does not warn every step.
        if (ratio <= lastHealthRatio || (lastHealthRatio < kDangerRatio && ratio > kDangerRearmRatio) ||
            (lastHealthRatio < kThreatRatio && ratio > kThreatRearmRatio))
            lastHealthRatio = ratio;
        SetLifestoneGlow(ratio);
    }
    if (const Entity* leader = GetLeader())
        leaderLevel = leader->GetStat(CharacterStat::Level);
    statistics.Set(CovenantStat::AbsoluteInfluence, GetTotalInfluence());
    WatchGuards();
    MirrorGuardHealth();
}

void Covenant::UpdateStatistics()
{
    UpdatePeopleStatistic();
    UpdateItemsStatistic();
    statistics.Set(CovenantStat::LifeStone, SaturatingInt(static_cast<double>(GetHomeHealth()) + GetHomeMaxHealth()));
    statistics.Set(CovenantStat::House, HouseValue(false));
}

void Covenant::ClearStatistics()
{
    for (int32_t stat : {CovenantStat::House, CovenantStat::AbsoluteInfluence, CovenantStat::People,
                         CovenantStat::Items, CovenantStat::LifeStone})
        statistics.Set(stat, 0);
}

void Covenant::SetLifestoneGlow(float ratio)
{
    Entity* lifestone = GetHomeEntity();
    if (!lifestone)
        return;
    float tint = ratio > 0.0f ? ratio : 0.0f;
    lifestone->lightColor.r = lifestone->lightColor.g = lifestone->lightColor.b = tint;
    lifestone->lightFalloff = ratio > 0.0f ? ratio * kGlowPerRatio + kGlowBase : 0.0f;
}

ItemBase* Covenant::GetHouseItem(int32_t slot) const
{
    return inventory ? inventory->GetItem(InventoryGroupIndex::House, slot) : nullptr;
}

int32_t Covenant::HouseValue(bool guardsOnly) const
{
    double total = 0.0;
    for (int32_t slot = 0; slot < (guardsOnly ? kGuardSlots : kHouseSlots); ++slot)
        if (const ItemBase* item = GetHouseItem(slot))
            total += item->GetValue(true);
    return SaturatingInt(total);
}

void Covenant::ResetGuardPrices(const ItemBase& item)
{
    item.InvalidatePrices();
}

void Covenant::WatchGuards()
{
    bool fallen = false;
    for (int32_t slot = 0; slot < kGuardSlots; ++slot) {
        Item* item = GetInventoryItem(InventoryGroupIndex::House, slot);
        if (!item || item->IsGuardFallen())
            continue;
        const Entity* guard = GetGuard(slot);
        // A guard that cannot be hurt (maximum health below 1) never falls.
        if (guard && (guard->maxHealth < 1 || guard->health > 0))
            continue;
        item->SetGuardFallen(true);
        ResetGuardPrices(*item);
        fallen = true;
    }
    if (fallen)
        RecomputeBonuses();
}

void Covenant::MirrorGuardHealth()
{
    for (int32_t slot = 0; slot < kGuardSlots; ++slot) {
        const Entity* guard = GetGuard(slot);
        Item* item = guard ? GetInventoryItem(InventoryGroupIndex::House, slot) : nullptr;
        if (item && item->GetGuardHealth() != guard->health) {
            item->SetGuardHealth(guard->health);
            ResetGuardPrices(*item);
        }
    }
}

void Covenant::GuardCosts()
{
    double total = 0.0;
    const auto* leader = dynamic_cast<const Sentient*>(GetLeader());
    if (leader && leader->inventory)
        for (int32_t bag = InventoryGroupIndex::Bag1; bag <= InventoryGroupIndex::Bag4; ++bag)
            for (int32_t slot = 0; slot < leader->inventory->GetSlotCount(bag); ++slot)
                if (const ItemBase* item = leader->inventory->GetItem(bag, slot))
                    total += item->GetGuardCost();
    for (int32_t slot = 0; slot < kGuardSlots; ++slot)
        if (const ItemBase* item = GetHouseItem(slot))
            total += item->GetGuardCost();
    statistics.Set(CovenantStat::GuardCosts, SaturatingInt(total));
}

int32_t Covenant::RecruitPower(int32_t level, int32_t xp, int32_t xpNeeded)
{
    double power = xpNeeded >= 1 ? static_cast<double>(xp) / xpNeeded + level : static_cast<double>(level);
    return SaturatingInt(power * power);
}

int32_t Covenant::GetBestMemberValue(int32_t place) const
{
    return place >= 0 && place < kBestMemberCount ? bestMember[static_cast<size_t>(place)] : 0;
}

void Covenant::RecomputeBonuses()
{
    bestMember.fill(0);
    for (int32_t m = 0; m < kMultiplierCount; ++m) {
        float product = 1.0f;
        for (int32_t slot = kFirstRelicSlot; slot < kHouseSlots; ++slot)
            if (const ItemBase* relic = GetInventoryItem(InventoryGroupIndex::House, slot))
                product *= relic->GetRelicFactor(m);
        multipliers[static_cast<size_t>(m)] = product;
    }
    GuardCosts();
    std::vector<const Entity*> members;
    for (int32_t slot = 0; slot < GetRecruitSlots(); ++slot)
        if (const Actor* actor = GetRecruitActor(slot))
            members.push_back(actor);
    if (const Entity* player = GetPlayer())
        members.push_back(player);
    double healthSum = 0.0;
    for (const Entity* member : members) {
        healthSum += member->maxHealth;
        bestMember[kBestRegeneration] = std::max(bestMember[kBestRegeneration], member->maxHealth);
        bestMember[kBestArmor] = std::max(bestMember[kBestArmor], member->GetStat(CharacterStat::Armor));
        int32_t defense = SaturatingInt(member->GetStat(CharacterStat::Defense) * 0.75);
        bestMember[kBestDefense] = std::max(bestMember[kBestDefense], defense);
        for (int32_t i = 0; i < 6; ++i)
            bestMember[static_cast<size_t>(kBestResistance + i)] =
                std::max(bestMember[static_cast<size_t>(kBestResistance + i)],
                         member->GetStat(CharacterStat::ResistancePhysical + i));
    }
    const CovenantDefinition* own = GetDefinition();
    float regenMult = own ? own->lifestoneRegenMult : 0.0f;
    float healthMult = own ? own->lifestoneHealthMult : 0.0f;
    bestMember[kBestRegeneration] =
        SaturatingInt(std::ceil(static_cast<double>(regenMult) * bestMember[kBestRegeneration]));
    int32_t lifestoneMax = SaturatingInt(
        std::floor(static_cast<double>(healthMult) * GetFloatStat(kLifestoneHealthMultiplier) * healthSum));
    Entity* lifestone = GetHomeEntity();
    if (!lifestone)
        return;
    if (lifestone->maxHealth < 0)
        lifestone->health = lifestoneMax;
    lifestone->maxHealth = lifestoneMax;
    lifestone->health = std::min(lifestone->health, lifestoneMax);
}
