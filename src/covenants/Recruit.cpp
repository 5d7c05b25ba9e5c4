// Recruit -- an NPC that joined a covenant: attaching its actor, spawning it again and its stored values.
#include "covenants/Recruit.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "covenants/Covenant.h"
#include "covenants/CovenantHost.h"
#include "entities/Actor.h"
#include "entities/CharacterSettings.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/SkillList.h"
#include "entities/StatusEffect.h"
#include "rules/GameData.h"
#include "rules/items/ItemFormulas.h"
#include "rules/monsters/MonsterDefinition.h"
#include "rules/monsters/MonsterType.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>
#include <string>

Recruit::Recruit()
{
    inventory = std::make_unique<Inventory>();
}

Recruit::~Recruit()
{
    if (Actor* attached = GetActor())
        attached->ScheduleDelete(0.0f);
    actor.Clear();
}

Actor* Recruit::GetActor() const
{
    return actor.GetAs<Actor>();
}

void Recruit::SetActor(Actor* newActor, bool skipSetup)
{
    actor.Set(newActor);
    if (!newActor || skipSetup)
        return;
    newActor->covenantIndex = covenantIndex;
    // The suffix lets a kind of creature carry its own recruit effect; none by default.
    std::string effect = std::string(kEffectPrefix) + (isHero ? "Hero" : "Basic") +
                         newActor->DefString("RecruitEffectSuffix");
    // The recruit effects are monster enhancements, which the by-name call refuses.
    if (const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName(effect) : nullptr)
        newActor->AddStatusEffect(record, newActor, 1);
    extraValue = newActor->GetNameSeed();
}

int32_t Recruit::GetStat(int32_t stat) const
{
    if (const Actor* attached = GetActor())
        return attached->stats.Get(stat);
    return stats.Get(stat);
}

Item* Recruit::GetEquipped(int32_t slot) const
{
    const Actor* attached = GetActor();
    const InventoryBase* source = attached ? static_cast<const InventoryBase*>(attached->inventory.get())
                                           : inventory.get();
    return source ? dynamic_cast<Item*>(source->GetItem(kEquipmentBag, slot)) : nullptr;
}

// ---- Capture and spawn -------------------------------------------------------------------------

namespace {

int32_t RecruitEntryId(const SimpleData* data)
{
    return data && data->GetEntry() ? data->GetEntry()->GetId() : -1;
}

// The record names the creature by its monster type, which gives its definition and archetype.
const MonsterType* RecruitMonsterType(int32_t typeId)
{
    const DatabaseEntry* entry = gDatabase ? gDatabase->GetEntryByIndex(typeId) : nullptr;
    return entry && gGameData ? gGameData->FindMonsterTypeBy(entry) : nullptr;
}

const DatabaseEntry* RecruitEntryOfType(int32_t id, DatabaseEntryType::Value type)
{
    const DatabaseEntry* entry = gDatabase ? gDatabase->GetEntryByIndex(id) : nullptr;
    return entry && entry->GetType() == type ? entry : nullptr;
}

} // namespace

void Recruit::CaptureFromActor(const Actor* source)
{
    if (!source)
        return;
    definitionEntry = RecruitEntryId(source->GetMonsterType());
    stats.CopyFrom(source->stats);
    if (source->inventory)
        inventory->CopyFrom(*source->inventory);
    idList.clear();
    if (source->skillList)
        for (const auto& skill : source->skillList->GetSkills())
            idList.push_back(RecruitEntryId(skill ? skill->definition : nullptr));
}

Actor* Recruit::Spawn(Covenant* covenant, bool restoreSkills)
{
    const MonsterType* type = RecruitMonsterType(definitionEntry);
    if (!type || !type->definition) {
        DebugSystem::Print(kPrintWarning, "Recruit of covenant %d names no creature (%d)\n", covenantIndex,
                           definitionEntry);
        return nullptr;
    }
    auto* made = new Actor();
    made->SetUpFromMonsterType(type, std::max(1, stats.Get(CharacterStat::Level)), false);
    made->stats.CopyFrom(stats);
    made->inventory->CopyFrom(*inventory);
    made->inventory->SetOwner(made);
    for (int32_t id : entryList)
        if (const DatabaseEntry* record = gDatabase ? gDatabase->GetEntryByIndex(id) : nullptr)
            made->AddStatusEffect(record, made, 1);
    if (restoreSkills) {
        for (int32_t id : idList)
            if (const DatabaseEntry* record = gDatabase && id >= 0 ? gDatabase->GetEntryByIndex(id) : nullptr)
                made->LearnSkill(gGameData->FindSkillDefinition(record->GetName()));
    }
    made->hero = isHero;
    if (restoreSkills)
        made->SetNameSeed(extraValue);
    else
        extraValue = made->GetNameSeed();
    SetActor(made, false);
    if (covenant) {
        covenant->ApplyTraitEffects(*made);
        covenant->ApplyRelicEffects(*made);
    }
    made->RecalculateStats(true);
    made->health = made->maxHealth;
    return made;
}

// ---- Levels ------------------------------------------------------------------------------------

void Recruit::SetAssignedLevel(int32_t level)
{
    assignedLevel = level;
    Covenant* covenant = gCovenantHost ? gCovenantHost->GetCovenant(covenantIndex) : nullptr;
    if (covenant)
        covenant->OnLevelReached(level, GetActor());
}

void Recruit::PickAssignedLevel(int32_t delta)
{
    if (!gWorld)
        return;
    int32_t base = 1;
    if (assignedLevel == -1) {
        const Actor* attached = GetActor();
        if (!attached)
            return;
        base = attached->stats.Get(CharacterStat::Level);
    } else if (assignedLevel >= 0 && assignedLevel < gWorld->GetLevelCount()) {
        base = gWorld->GetLevelMonsterLevel(assignedLevel);
    }
    int32_t wanted = std::max(1, base + delta);
    float fraction = DrawRandomFloat();
    const Level* picked = gWorld->PickTargetLevel(wanted, fraction, true);
    if (!picked)
        return;
    Covenant* covenant = gCovenantHost ? gCovenantHost->GetCovenant(covenantIndex) : nullptr;
    if (covenant && !covenant->AllowsTarget(GetActor(), picked->index))
        return;
    SetAssignedLevel(picked->index);
}

// ---- Equipment ---------------------------------------------------------------------------------

namespace {

bool RecruitTwoHanded(const ItemBase* item)
{
    return item && item->GetItemType() == ItemType::HandBoth;
}

// What a trader would give for the item, by its kind's multiplier.
int32_t RecruitItemWorth(const ItemBase& item)
{
    float price = static_cast<float>(item.GetPrice());
    if (item.GetMaxStack() > 1)
        price *= static_cast<float>(item.GetStackCount());
    return static_cast<int32_t>(std::ceil(item.GetValueMultiplier() * price));
}

// How much a worn item does for its wearer: its armour and the top of its damage.
int32_t RecruitItemRating(const ItemBase& item)
{
    int32_t rating = item.GetArmor();
    for (int32_t type = 0; type < DamageType::kCount; ++type)
        rating += item.GetDamage(type).max;
    return rating;
}

int32_t RecruitNextSlot(int32_t slot)
{
    switch (slot) {
    case EquipedLocation::Ring1: return EquipedLocation::Ring2;
    case EquipedLocation::Jewelry1: return EquipedLocation::Jewelry2;
    case EquipedLocation::HandPrimary: return EquipedLocation::HandSecondary;
    default: return -1;
    }
}

} // namespace

int32_t Recruit::ChooseEquipSlot(const Item* item) const
{
    const Actor* attached = GetActor();
    if (!item || !attached || !attached->inventory || item->GetItemType() > ItemType::Ranged)
        return kNoSlot;
    const Inventory& worn = *attached->inventory;
    int32_t slot = item->GetItemType() == ItemType::HandEither ? static_cast<int32_t>(EquipedLocation::HandPrimary)
                                                               : BagForSlotType(item->GetItemType());
    if (slot == kNoSlot)
        return kNoSlot;
    int32_t best = kNoSlot;
    int32_t bestValue = 0;
    for (; slot >= 0; slot = RecruitNextSlot(slot)) {
        if (worn.CanPlace(*item, kEquipmentBag, slot, kPlaceIgnoreOccupant | kPlaceIgnoreOffHand) == kPlaceRefused)
            continue;
        const ItemBase* current = GetEquipped(slot);
        if (slot == EquipedLocation::HandSecondary && RecruitTwoHanded(GetEquipped(EquipedLocation::HandPrimary)))
            return kCannotWearNow;
        if (slot == EquipedLocation::HandPrimary && RecruitTwoHanded(item) &&
            GetEquipped(EquipedLocation::HandSecondary))
            return kCannotWearNow;
        if (!current)
            return slot;
        // A two-handed item against a one-handed one is judged at the off hand instead.
        if (slot == EquipedLocation::HandPrimary && RecruitTwoHanded(current) != RecruitTwoHanded(item))
            continue;
        bool beats = RecruitItemWorth(*item) > RecruitItemWorth(*current);
        int32_t rating = RecruitItemRating(*current);
        if (beats && (best == kNoSlot || rating < bestValue)) {
            best = slot;
            bestValue = rating;
        }
    }
    return best;
}

// ---- Records -----------------------------------------------------------------------------------

bool Recruit::ReadSettings(MessageBuffer& buffer)
{
    bool whole = false;
    return ReadSettings(buffer, whole);
}

bool Recruit::ReadSettings(MessageBuffer& buffer, bool& whole)
{
    whole = false;
    int32_t type = buffer.ReadInt();
    IntArray newStats(kStatCount);
    Inventory newInventory;
    std::vector<int32_t> enhancements;
    std::vector<int32_t> skills;
    bool read = !buffer.Overrun() && newStats.ReadValues(buffer, kStatCount) &&
                newInventory.Read(buffer, false, CharacterSettings::kRecordVersion);
    int32_t count = 0;
    read = read && buffer.ReadCount(count, sizeof(int32_t)) && count <= kMaxListEntries;
    for (int32_t i = 0; read && i < count; ++i) {
        int32_t id = buffer.ReadInt();
        if (RecruitEntryOfType(id, DatabaseEntryType::MonsterEnhancement))
            enhancements.push_back(id);
        else
            DebugSystem::Print(kPrintWarning, "Recruit settings: %d is no monster enhancement\n", id);
    }
    uint32_t seed = read ? buffer.ReadUInt() : 0;
    read = read && buffer.ReadCount(count, sizeof(int32_t)) && count <= kMaxListEntries;
    for (int32_t i = 0; read && i < count; ++i) {
        int32_t id = buffer.ReadInt();
        if (id == -1 || RecruitEntryOfType(id, DatabaseEntryType::Skill))
            skills.push_back(id);
        else
            DebugSystem::Print(kPrintWarning, "Recruit settings: %d is no skill\n", id);
    }
    if (!read || buffer.Overrun()) {
        DebugSystem::Print(kPrintWarning, "Recruit settings are cut short or hold a refused count\n");
        return false;
    }
    whole = true;
    const MonsterType* monster = RecruitMonsterType(type);
    if (!monster || !monster->definition) {
        DebugSystem::Print(kPrintWarning, "Recruit settings name no creature (%d)\n", type);
        return false;
    }
    definitionEntry = type;
    stats.CopyFrom(newStats);
    inventory->CopyFrom(newInventory);
    entryList = std::move(enhancements);
    extraValue = seed;
    idList = std::move(skills);
    return true;
}

void Recruit::WriteUpdate(MessageBuffer& buffer)
{
    Actor* attached = GetActor();
    if (!attached) {
        buffer.WriteInt(definitionEntry);
        stats.WriteValues(buffer);
        inventory->Write(buffer, false);
        for (int32_t word : {-1, 0, 0, 0})
            buffer.WriteInt(word);
        return;
    }
    buffer.WriteInt(RecruitEntryId(attached->GetMonsterType()));
    attached->stats.WriteValues(buffer);
    attached->inventory->Write(buffer, false);
    buffer.WriteInt(attached->entityNumber);
    entryList.clear();
    for (const auto& effect : attached->GetStatusEffects())
        if (effect && effect->GetEntry() && effect->GetEntry()->GetType() == DatabaseEntryType::MonsterEnhancement)
            entryList.push_back(effect->GetEntry()->GetId());
    buffer.WriteUInt(static_cast<uint32_t>(entryList.size()));
    for (int32_t id : entryList)
        buffer.WriteInt(id);
    buffer.WriteUInt(attached->GetNameSeed());
    std::vector<int32_t> skills;
    // Only a creature that learns its skills tells which it knows.
    if (attached->DefBool("UseSkillPoints") && attached->skillList)
        for (const auto& skill : attached->skillList->GetSkills())
            skills.push_back(RecruitEntryId(skill ? skill->definition : nullptr));
    buffer.WriteInt(static_cast<int32_t>(skills.size()));
    for (int32_t id : skills)
        buffer.WriteInt(id);
}

void Recruit::Write(MessageBuffer& buffer)
{
    CaptureFromActor(GetActor());
    RecruitBase::Write(buffer);
    buffer.WriteBool(isHero);
}

bool Recruit::Read(int32_t version, MessageBuffer& buffer)
{
    if (!RecruitBase::Read(version, buffer))
        return false;
    bool hero = buffer.ReadBool();
    if (buffer.Overrun())
        return false;
    isHero = hero;
    return true;
}
