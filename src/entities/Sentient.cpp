// Sentient -- the host's living, fighting entity: stats and their recomputation, status effects, party, experience, regeneration.
#include "entities/Sentient.h"

#include "core/DatabaseEntry.h"
#include "core/MessageBuffer.h"
#include "core/ScratchList.h"
#include "core/StringUtil.h"
#include "entities/Actor.h"
#include "entities/EntityCovenant.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/SkillList.h"
#include "entities/StatusEffect.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/skills/SkillBase.h"

#include <algorithm>

namespace {

// The equipment slots a client draws, in the order the state lists them.
constexpr int32_t kSentientShownSlots[] = {
    EquipedLocation::Head,  EquipedLocation::Shoulders, EquipedLocation::Chest,       EquipedLocation::Wrists,
    EquipedLocation::Hands, EquipedLocation::Waist,     EquipedLocation::Legs,        EquipedLocation::Feet,
    EquipedLocation::HandPrimary, EquipedLocation::HandSecondary};

// Entity-state bits of a sentient's own combat outcomes, and where the target's land.
constexpr int32_t kSentientOwnStateBits = 11;
constexpr int32_t kSentientHasEnemiesBit = 22;

bool SentientIsAlive(const Entity& entity)
{
    return entity.maxHealth <= 0 || entity.health >= 1;
}

} // namespace

Sentient::Sentient() : stats(kStatCount)
{
    stats.Set(CharacterStat::PowerRising, 1);
    stats.Set(CharacterStat::Level, 1);
    stats.Set(CharacterStat::LastSkillRaised, -1);
    inventory = std::make_unique<Inventory>();
    inventory->SetOwner(this);
    skillList = std::make_unique<SkillList>();
    // Room for the usual fight's records at once: a first hit or parry against a new foe then
    // never grows the list in the middle of a step.
    combatRecords.reserve(kReservedCombatRecords);
    // Likewise a first blow struck or taken: only a crowd beyond the cells around the body
    // grows the engaged list, and then at its peak.
    engaged.reserve(kReservedEngaged);
    retargetTimer.listed = 1;
    powerDecayTimer.listed = 1;
    timers.push_back(&retargetTimer);
    timers.push_back(&powerDecayTimer);
}

Sentient::~Sentient()
{
    LeaveEngagedHateLists();
    statusEffects.clear();
    RemoveCompanion();
}

void Sentient::LeaveEngagedHateLists()
{
    // The actors change the engaged list as they let go: walk a copy.
    ScratchList<SafePointer> haters;
    for (const EngagedEntry& entry : engaged)
        haters->push_back(entry.entity);
    for (const SafePointer& pointer : *haters)
        if (auto* actor = pointer.GetAs<Actor>())
            actor->RemoveFromHateList(this);
}

void Sentient::Update(float seconds)
{
    Entity::Update(seconds);
    if (skillList->Update(characterClass, seconds, this))
        RecalculateStats(false);
    if (ApplyEquippedSetBonuses())
        RecalculateStats(false);
    UpdateStatusEffects(seconds);
    UpdateCombatRecords(seconds);
    UpdatePowerDecay();
}

bool Sentient::ApplyEquippedSetBonuses()
{
    bool applied = false;
    int32_t slots = inventory->GetSlotCount(InventoryGroupIndex::Equipment);
    for (int32_t slot = 0; slot < slots; ++slot)
        if (const auto* item = dynamic_cast<const Item*>(inventory->GetItem(InventoryGroupIndex::Equipment, slot)))
            applied = item->ApplySetBonuses(*this) || applied;
    return applied;
}

bool Sentient::KnowsSkill(int32_t skillId) const
{
    if (skillId == 0 || (characterClass && characterClass->AllowsSkill(skillId)))
        return true;
    if (std::find(extraSkills.begin(), extraSkills.end(), skillId) != extraSkills.end())
        return true;
    return skillList->FindSkillByEntryIndex(skillId) != nullptr;
}

int32_t Sentient::GetStat(int32_t stat) const
{
    return stats.Get(stat);
}

Item* Sentient::GetItem(int32_t bag, int32_t index) const
{
    return dynamic_cast<Item*>(inventory->GetItem(bag, index));
}

InventoryBag* Sentient::GetBag(int32_t index) const
{
    return inventory->GetBag(index);
}

bool Sentient::BagHasRoom(int32_t bag) const
{
    const InventoryBag* found = inventory->GetBag(bag);
    return found && found->HasEmptySlot();
}

float Sentient::GetMovementSpeed() const
{
    return static_cast<float>(stats.Get(CharacterStat::Movement));
}

void Sentient::WriteNetState(MessageBuffer& buffer) const
{
    for (int32_t slot : kSentientShownSlots) {
        const ItemBase* item = inventory->GetItem(InventoryGroupIndex::Equipment, slot);
        const DatabaseEntry* record = item ? item->GetEntry() : nullptr;
        buffer.WriteInt(record ? record->GetId() : -1);
    }
}

void Sentient::TakeDamage(int32_t amount, Entity* attacker, bool overTime, bool quiet)
{
    Entity::TakeDamage(amount, attacker, overTime, quiet);
    OnDamageTaken(amount, attacker, overTime, quiet);
}

void Sentient::OnDamageTaken(int32_t, Entity* attacker, bool overTime, bool quiet)
{
    if (overTime)
        Notify(SentientNotice::kDamagedOverTime, attacker);
    else if (!quiet)
        Notify(SentientNotice::kDamaged, attacker);
}

int32_t Sentient::Heal(int32_t amount, Entity* source, bool show)
{
    if (maxHealth > 0 && health <= 0)
        return 0;
    int32_t gained = Entity::Heal(amount, source, show);
    if (show)
        RaiseHealed(source, gained);
    return gained;
}

void Sentient::OnAttackedBy(Entity* attacker)
{
    if (attacker == this)
        return;
    GetPartyTop()->AlertParty(attacker);
    Notify(SentientNotice::kAttacked, attacker);
}

void Sentient::Warp(const WorldPos& target)
{
    // Projectiles chasing a sentient that moved far lose their target.
    WorldPos from = position;
    if (gGameServices && from.Distance2D(target) > 100.0f) {
        std::vector<Entity*> near;
        gGameServices->FindEntitiesInRadius(from, nullptr, 500.0f, RadiusFilter::Projectiles, near, false);
        for (Entity* projectile : near)
            if (projectile->GetCurrentTarget() == this)
                projectile->ScheduleDelete(0.0f);
    }
    Entity::Warp(target);
    CancelAction();
}

// ---- SkillUser -----------------------------------------------------------------------------

int32_t Sentient::GetItemRequirementAt(int32_t bag, int32_t slot) const
{
    const ItemBase* item = inventory->GetItem(bag, slot);
    const ItemDefinition* definition = item ? item->GetDefinition() : nullptr;
    return definition ? definition->itemRequirement : kNoItem;
}

bool Sentient::IsEnemy(const SkillUser& other) const
{
    return IsHostile(dynamic_cast<const Entity*>(&other));
}

float Sentient::GetDistance2D(const SkillUser& other, bool lessRadii) const
{
    return EntityDistance2D(this, dynamic_cast<const EntityBase*>(&other), lessRadii);
}

Vector2 Sentient::GetDeltaTo(const SkillUser& other) const
{
    const auto* entity = dynamic_cast<const EntityBase*>(&other);
    return entity ? position.DeltaTo(entity->position) : Vector2{};
}

// ---- Engaged entities and combat state --------------------------------------------------------

// One entry per entity, and those of entities destroyed dropped: a list that took an entry
// for every hit grew without end over a long fight, and each foe on it heard of a heal, a buff
// or a death as many times as it had struck, hating the healer that many times over.
void Sentient::AddEngaged(Entity* entity)
{
    if (!entity)
        return;
    std::erase_if(engaged, [](const EngagedEntry& entry) { return !entry.entity; });
    for (EngagedEntry& entry : engaged) {
        if (entry.entity.Get() == entity) {
            ++entry.times;
            return;
        }
    }
    engaged.push_back(EngagedEntry{SafePointer(entity), 1});
}

void Sentient::RemoveEngaged(Entity* entity)
{
    auto it = std::find_if(engaged.begin(), engaged.end(),
                           [entity](const EngagedEntry& entry) { return entry.entity.Get() == entity; });
    if (it != engaged.end() && --it->times <= 0)
        engaged.erase(it);
}

bool Sentient::IsEngaged(bool targetingMe, bool targetingMyParty, bool visibleOnly, float range) const
{
    for (const EngagedEntry& entry : engaged) {
        const Entity* other = entry.entity.GetAs<Entity>();
        if (!other || !SentientIsAlive(*other) || other->IsTrap())
            continue;
        if (range > 0.0f && EntityDistance2D(this, other, false) > range)
            continue;
        if (visibleOnly && dynamic_cast<const Sentient*>(other) && !CanSee(other))
            continue;
        if (targetingMe) {
            if (other->GetCurrentTarget() == this)
                return true;
        } else if (targetingMyParty) {
            if (IsInParty(dynamic_cast<const Sentient*>(other->GetCurrentTarget())))
                return true;
        } else {
            return true;
        }
    }
    return false;
}

bool Sentient::IsInCombat() const
{
    const Entity* target = GetCurrentTarget();
    if (target && SentientIsAlive(*target) && IsRelatedTo(target) &&
        EntityDistance2D(this, target, false) < kTargetCombatRange)
        return true;
    return IsEngaged(false, true, false, kEngagedRange);
}

bool Sentient::HasEnemyNear() const
{
    return IsEngaged(false, false, false, kEngagedRange);
}

bool Sentient::IsNearCovenantHome() const
{
    const EntityCovenant* covenant = GetCovenant();
    return covenant && covenant->IsMember(*this) && position.Distance2D(covenant->GetHomePosition()) <= kHomeRange;
}

bool Sentient::CanSee(const Entity* other) const
{
    if (other == this)
        return true;
    if (!other)
        return false;
    float cell = gGameData ? gGameData->GetTuning().gridSize.x : 0.0f;
    if (EntityDistance2D(this, other, true) < cell)
        return true;
    float fraction = 1.0f;
    return gGameServices && !gGameServices->TraceLine(position, other->position, this, other, fraction);
}

bool Sentient::CanWalkStraightTo(const WorldPos& target) const
{
    float fraction = 0.0f;
    return gGameServices && gGameServices->IsKnownLevel(target.level) &&
           !gGameServices->TraceLine(position, target, this, nullptr, fraction);
}

const char* Sentient::GetAttackAnimationName() const
{
    if (inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary))
        return "attackOneHandWithShield";
    const ItemBase* weapon = inventory->GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    if (!weapon)
        return "attack";
    return weapon->GetItemType() == ItemType::HandBoth ? "attackTwoHand" : "attackOneHand";
}

bool Sentient::HasItemMatching(std::string_view name) const
{
    std::vector<std::string> keys;
    for (int32_t bag = 0; bag < InventoryBase::kBagCount; ++bag) {
        int32_t slots = inventory->GetSlotCount(bag);
        for (int32_t slot = 0; slot < slots; ++slot) {
            const ItemBase* item = inventory->GetItem(bag, slot);
            if (!item || !item->GetEntry())
                continue;
            item->GetEntry()->GetStringList("KeyName", keys, true, false);
            if (std::any_of(keys.begin(), keys.end(), [name](const std::string& key) { return StringEqualsNoCase(key, name); }))
                return true;
        }
    }
    return false;
}

void Sentient::RecordCombatEvent(int32_t stateBit, int32_t entityNumber)
{
    CombatRecord* record = nullptr;
    for (CombatRecord& candidate : combatRecords)
        if (candidate.entityNumber == entityNumber && candidate.stateBit == stateBit)
            record = &candidate;
    for (CombatRecord& candidate : combatRecords)
        if (!record && candidate.entityNumber == -1)
            record = &candidate;
    if (!record)
        record = &combatRecords.emplace_back();
    record->entityNumber = entityNumber;
    record->stateBit = stateBit;
    record->remaining = gGameServices ? gGameServices->GetCombatEventTime() : 0.0f;
}

void Sentient::ClearCombatEvent(int32_t stateBit, int32_t entityNumber)
{
    for (CombatRecord& record : combatRecords)
        if (record.entityNumber == entityNumber && record.stateBit == stateBit)
            record.entityNumber = -1;
}

void Sentient::UpdateCombatRecords(float seconds)
{
    for (CombatRecord& record : combatRecords) {
        if (record.entityNumber == -1)
            continue;
        record.remaining -= seconds;
        if (record.remaining <= 0.0f)
            record.entityNumber = -1;
    }
    for (const std::unique_ptr<StatusEffect>& effect : statusEffects)
        entityState |= effect->entityStates;
    if (IsEngaged(false, false, true, kEngagedRange))
        entityState |= 1u << kSentientHasEnemiesBit;
    else
        entityState &= ~(1u << kSentientHasEnemiesBit);
    const Entity* target = GetCurrentTarget();
    if (!target)
        return;
    for (const CombatRecord& record : combatRecords)
        if (record.entityNumber == target->entityNumber && record.stateBit >= 0 &&
            record.stateBit < kSentientOwnStateBits)
            entityState |= 1u << record.stateBit;
    if (dynamic_cast<const Sentient*>(target))
        for (int32_t bit = 0; bit < kSentientOwnStateBits; ++bit)
            if (target->entityState & (1u << bit))
                entityState |= 1u << (bit + kSentientOwnStateBits);
}

void Sentient::UpdatePowerDecay()
{
    if (!characterClass || !characterClass->powerDirection)
        return;
    if (powerDecayTimer.running && powerDecayTimer.remaining > 0.0f)
        return;
    stats.Set(CharacterStat::PowerRising, 0);
    powerDecayTimer.running = 1;
    powerDecayTimer.total = characterClass->powerTimer;
    powerDecayTimer.remaining = characterClass->powerTimer;
}

// ---- Party ---------------------------------------------------------------------------------

bool Sentient::WouldLeadInLoop(const Sentient* candidate) const
{
    // The walk is bounded: no party is deeper than the entity table is long.
    for (int32_t step = 0; candidate && step <= GameServices::kMaxEntities; ++step) {
        if (candidate == this)
            return true;
        candidate = candidate->GetLeader();
    }
    return candidate != nullptr;
}

void Sentient::SetLeader(Sentient* newLeader)
{
    if (newLeader && WouldLeadInLoop(newLeader))
        return;
    if (GetLeader())
        RemoveCompanion();
    leader.Set(newLeader);
}

void Sentient::AddCompanion(Sentient* companion, int32_t maxPartySize)
{
    if (!companion || static_cast<int32_t>(companions.size()) >= maxPartySize - 1)
        return;
    companion->SetLeader(this);
    if (companion->GetLeader() != this)
        return;
    companions.emplace_back(companion);
    UpdateCompanionAverage();
}

void Sentient::RemoveCompanion()
{
    Sentient* former = GetLeader();
    leader.Clear();
    if (!former)
        return;
    auto& list = former->companions;
    auto it = std::find_if(list.begin(), list.end(), [this](const SafePointer& p) { return p.Get() == this; });
    if (it != list.end())
        list.erase(it);
    former->UpdateCompanionAverage();
}

void Sentient::ReleaseCompanions()
{
    for (SafePointer& pointer : companions)
        if (Sentient* companion = pointer.GetAs<Sentient>())
            companion->leader.Clear();
    companions.clear();
    UpdateCompanionAverage();
}

void Sentient::UpdateCompanionAverage()
{
    if (GetLeader())
        return;
    int32_t members = 1;
    for (const SafePointer& pointer : companions)
        if (pointer)
            ++members;
    // Each member keeps half of what sharing with the others would take away.
    float share = 1.0f / static_cast<float>(members);
    share += (1.0f - share) * 0.5f;
    partyShare = share;
    for (SafePointer& pointer : companions)
        if (Sentient* companion = pointer.GetAs<Sentient>())
            companion->partyShare = share;
}

Sentient* Sentient::GetPartyTop() const
{
    const Sentient* top = this;
    for (int32_t step = 0; step <= GameServices::kMaxEntities && top->GetLeader(); ++step)
        top = top->GetLeader();
    return const_cast<Sentient*>(top);
}

void Sentient::CollectParty(std::vector<Sentient*>& out) const
{
    Sentient* top = GetPartyTop();
    out.push_back(top);
    for (const SafePointer& pointer : top->companions)
        if (Sentient* companion = pointer.GetAs<Sentient>())
            out.push_back(companion);
}

bool Sentient::IsInParty(const Sentient* other) const
{
    if (!other)
        return false;
    const Sentient* top = GetPartyTop();
    if (other == top)
        return true;
    return std::any_of(top->companions.begin(), top->companions.end(),
                       [other](const SafePointer& p) { return p.Get() == other; });
}

Sentient* Sentient::FirstCompanion() const
{
    for (const SafePointer& pointer : companions)
        if (Sentient* companion = pointer.GetAs<Sentient>())
            return companion;
    return nullptr;
}

Entity* Sentient::GetNearestEngaged() const
{
    Entity* nearest = nullptr;
    float nearestDistance = EntityBase::kNoEntityDistance;
    for (const EngagedEntry& entry : engaged) {
        Entity* entity = entry.entity.GetAs<Entity>();
        if (!entity || !entity->IsAlive() || (entity->flags & kFlagHidden) ||
            (entity->entityState & (1u << EntityState::Stealthed)))
            continue;
        if (const auto* sentient = dynamic_cast<const Sentient*>(entity); sentient && sentient->HasDamageBreakEffect())
            continue;
        float distance = EntityDistance2D(this, entity, false);
        if (distance < nearestDistance) {
            nearest = entity;
            nearestDistance = distance;
        }
    }
    return nearest;
}

void Sentient::CollectCompanionNumbers(std::vector<int32_t>& out) const
{
    for (const SafePointer& pointer : companions)
        if (const Sentient* companion = pointer.GetAs<Sentient>())
            out.push_back(companion->entityNumber);
}

void Sentient::AlertParty(Entity* attacker)
{
    Alert(attacker);
    for (SafePointer& pointer : companions)
        if (Sentient* companion = pointer.GetAs<Sentient>())
            companion->Alert(attacker);
}

void Sentient::AlertCompanions(Entity* attacker)
{
    for (SafePointer& pointer : companions)
        if (Sentient* companion = pointer.GetAs<Sentient>())
            companion->AlertCompanion(attacker);
}

bool Sentient::IsFriendly(const Entity* other) const
{
    if (!other)
        return false;
    if (covenantIndex >= 0 && other->covenantIndex == covenantIndex)
        return true;
    if (std::any_of(companions.begin(), companions.end(), [other](const SafePointer& p) { return p.Get() == other; }))
        return true;
    return other == leader.Get();
}

bool Sentient::IsHostile(const Entity* other) const
{
    if (!other || other == this || IsNeverHostileTo(other) || IsFriendly(other) || other->maxHealth == 0)
        return false;
    return IsRelatedTo(other);
}

bool Sentient::IsFactionAlly(const Sentient& other) const
{
    return gGameServices && gGameServices->GetRelationship(this, &other) >= 3;
}

void Sentient::CollectPartyInRange(std::vector<Sentient*>& out, float range) const
{
    const Sentient* head = GetLeader();
    if (!head || !gGameServices)
        return;
    for (const SafePointer& pointer : head->companions) {
        const Sentient* companion = pointer.GetAs<Sentient>();
        if (!companion || companion->entityNumber < 0 || companion->entityNumber >= GameServices::kMaxEntities)
            continue;
        auto* member = dynamic_cast<Sentient*>(gGameServices->GetEntity(companion->entityNumber));
        if (member && position.Distance2D(member->position) <= range)
            out.push_back(member);
    }
    if (position.Distance2D(head->position) <= range)
        out.push_back(const_cast<Sentient*>(head));
}
