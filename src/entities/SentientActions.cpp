// Sentient -- the timed actions of a sentient (casts, identifying, using, gates, resurrection) with their timer lines, its handlers of them, skill requests and dropped equipment.
#include "entities/Sentient.h"

#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/StringUtil.h"
#include "entities/CombatSystem.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Skill.h"
#include "entities/SkillList.h"

namespace {

// The pending kinds a new action cancels besides a cast.
constexpr int32_t kSentientOtherActions[] = {SentientEvent::UseEntity, SentientEvent::IdentifyItem,
                                             SentientEvent::CreateGate, SentientEvent::Resurrect};
constexpr int32_t kSentientIdlePriority = 2;
constexpr int32_t kSentientVendorDropKind = 15;

Event* SentientNewAction(int32_t sentientEvent)
{
    int id = Sentient::GetEventId(sentientEvent);
    return gEventSystem && id >= 0 ? gEventSystem->MakeEvent(id) : nullptr;
}

} // namespace

// ---- Starting and cancelling --------------------------------------------------------------

void Sentient::QueueTimerLine(float seconds, int32_t kind) const
{
    if (gGameServices)
        gGameServices->QueueClientCommand(StringFormat("timer %d %f %d", entityNumber, seconds, kind));
}

void Sentient::CancelPendingKinds()
{
    if (!gGameServices)
        return;
    for (int32_t kind : kSentientOtherActions)
        gGameServices->CancelTimedActions(GetEventId(kind), this);
}

bool Sentient::StartSkillUse(int32_t skillId, float castTime, Entity* target, bool showTimer, int32_t extra)
{
    if (!gGameServices)
        return false;
    if (Event* pending = gGameServices->FindTimedAction(GetEventId(SentientEvent::UseSkill), this)) {
        pending->params.SetReadPos(0);
        if (static_cast<int32_t>(pending->params.ReadUInt()) == skillId)
            return false;
    }
    CancelAction();
    CancelPendingKinds();
    Event* event = SentientNewAction(SentientEvent::UseSkill);
    if (!event)
        return false;
    event->params.WriteUInt(static_cast<uint32_t>(skillId));
    event->params.WriteBool(target != nullptr);
    event->WriteEntity(target);
    event->params.WriteInt(extra);
    gGameServices->ScheduleTimedAction(this, event, castTime);
    if (showTimer)
        QueueTimerLine(castTime, ActionTimerKind::kSkill);
    return true;
}

void Sentient::StartIdentifyItem(Item* item, float seconds)
{
    if (!gGameServices)
        return;
    CancelAction();
    CancelPendingKinds();
    Event* event = SentientNewAction(SentientEvent::IdentifyItem);
    if (!event)
        return;
    event->WriteEntity(item);
    gGameServices->ScheduleTimedAction(this, event, seconds);
    QueueTimerLine(seconds, ActionTimerKind::kIdentify);
}

bool Sentient::StartTimedEvent(int eventId, int32_t kind, float seconds)
{
    if (!gGameServices || !gEventSystem || eventId < 0 || gGameServices->FindTimedAction(eventId, this))
        return false;
    CancelAction();
    CancelPendingKinds();
    gGameServices->ScheduleTimedAction(this, gEventSystem->MakeEvent(eventId), seconds);
    QueueTimerLine(seconds, kind);
    return true;
}

void Sentient::CancelAction()
{
    if (!gGameServices || !gGameServices->CancelTimedActions(GetEventId(SentientEvent::UseSkill), this))
        return;
    PlayAnimation("idle", kSentientIdlePriority, AnimationMode::Loop, true);
    Notify(SentientNotice::kActionCancelled, nullptr);
    QueueTimerLine(0.0f, ActionTimerKind::kCleared);
}

void Sentient::CancelUseEntity()
{
    if (!gGameServices)
        return;
    gGameServices->CancelTimedActions(GetEventId(SentientEvent::UseEntity), this);
    QueueTimerLine(0.0f, ActionTimerKind::kCleared);
}

void Sentient::CancelAllActions()
{
    CancelAction();
    CancelPendingKinds();
}

// ---- Handlers of the scheduled actions -----------------------------------------------------

void Sentient::OnIdentifyItemEvent(Event& event)
{
    event.params.SetReadPos(0);
    if (auto* item = dynamic_cast<Item*>(event.ReadEntity())) {
        item->SetIdentified(true);
        OnItemIdentified(item);
    }
}

void Sentient::OnUseSkillEvent(Event& event)
{
    event.params.SetReadPos(0);
    auto skillId = static_cast<int32_t>(event.params.ReadUInt());
    event.params.ReadBool();
    auto* target = dynamic_cast<Entity*>(event.ReadEntity());
    int32_t stage = event.params.ReadInt();
    if (Skill* skill = GetSkill(skillId))
        skill->Use(this, target, stage, false);
}

void Sentient::OnUseEntityEvent(Event&)
{
    if (Entity* target = GetUseTarget())
        target->Use(this);
}

void Sentient::OnAttackEvent(Event& event)
{
    event.params.SetReadPos(0);
    if (auto* target = dynamic_cast<Entity*>(event.ReadEntity()))
        ReportDamageDealt(ResolveAttack(this, target, nullptr, false, 1.0f));
}

// ---- Requests ------------------------------------------------------------------------------

void Sentient::UseEntityByNumber(int32_t number)
{
    if (number < 0 || number >= GameServices::kMaxEntities || !gGameServices)
        return;
    if (Entity* entity = gGameServices->GetEntity(number))
        entity->Use(this);
}

Skill* Sentient::GetSkill(int32_t skillId) const
{
    return dynamic_cast<Skill*>(skillList->FindSkillByEntryIndex(skillId));
}

void Sentient::UseSkillOn(int32_t skillId, Entity* target)
{
    Skill* skill = GetSkill(skillId);
    if (!skill)
        return;
    if (target && skill->IsValidTarget(target))
        skill->Use(this, target, SkillStage::Request, false);
    else if (skill->IsValidTarget(GetUseTarget()))
        skill->Use(this, GetUseTarget(), SkillStage::Request, false);
    else
        skill->Use(this, nullptr, SkillStage::Request, false);
}

// ---- Dropped equipment ---------------------------------------------------------------------

void Sentient::DropItem(int32_t group, int32_t slot, Entity* other)
{
    DropFromBag(group, slot, group, other);
}

void Sentient::DropEquipment(int32_t kind, Entity* other)
{
    for (int32_t slot = 0; slot < inventory->GetSlotCount(InventoryGroupIndex::Equipment); ++slot)
        DropEquipped(slot, kind, other);
}

void Sentient::DropEquipped(int32_t slot, int32_t kind, Entity* other)
{
    DropFromBag(InventoryGroupIndex::Equipment, slot, kind, other);
}

void Sentient::DropFromBag(int32_t bag, int32_t slot, int32_t kind, Entity* other)
{
    const Item* item = GetItem(bag, slot);
    if (!item || (item->GetDefinition() && item->GetDefinition()->noDrop))
        return;
    // A bag still holding items stays: its contents would be left without a bag.
    int32_t contents = InventoryBase::GetContentGroup(bag, slot);
    if (contents >= 0 && inventory->CountItems(contents) > 0)
        return;
    auto* vendor = dynamic_cast<Sentient*>(other);
    if (kind == kSentientVendorDropKind && vendor && vendor->IsVendor()) {
        SendMessage("$$CantDropItem$$", 4);
        return;
    }
    std::unique_ptr<ItemBase> taken = inventory->RemoveAt(bag, slot);
    std::unique_ptr<Item> owned(static_cast<Item*>(taken.release()));
    ItemGround::Drop(position, owned, false, false, true);
    if (owned) {
        // No spot on the ground: the item stays where it was.
        std::unique_ptr<ItemBase> back(owned.release());
        inventory->PlaceItem(back, bag, slot, kPlaceAnyGroup);
        return;
    }
    RecalculateStats(false);
}

bool Sentient::IsItemSetComplete(const DatabaseEntry* bonus) const
{
    if (!bonus)
        return false;
    int32_t wearing = 0;
    for (int32_t slot = 0; slot < inventory->GetSlotCount(InventoryGroupIndex::Equipment); ++slot) {
        const ItemBase* item = inventory->GetItem(InventoryGroupIndex::Equipment, slot);
        const ItemDefinition* definition = item ? item->GetDefinition() : nullptr;
        if (definition && (definition->partialBonusStatusEffect == bonus || definition->fullBonusStatusEffect == bonus))
            ++wearing;
    }
    return wearing >= 2;
}
