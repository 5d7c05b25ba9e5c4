// Sentient -- the combat events of a sentient: their registration and parameters, its reactions to hits, misses and kills, power gained in combat, its attack and its death.
#include "entities/Sentient.h"

#include "core/DatabaseEntry.h"
#include "core/EnumTable.h"
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/ScratchList.h"
#include "core/TypeRegistry.h"
#include "entities/CombatSystem.h"
#include "entities/EntityCovenant.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/StatusEffect.h"
#include "resources/models/Animation.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"

#include <array>

namespace {

constexpr const char* kSentientEventNames[SentientEvent::kCount] = {
    "SuccessfulHit", "WhenHit",     "WhenMissed", "WhenKilled", "EnemyKilled", "SuccessfulKill",
    "IdentifyItem",  "UseSkill",    "UseEntity",  "Attack",     "CreateGate",  "Resurrect"};

std::array<int, SentientEvent::kCount> gSentientEventIds = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
EventClass* gSentientEventClass = nullptr;

constexpr int32_t kSentientAttackPriority = 9;
constexpr const char* kSentientAttackMarker = "attackMarker";

float SentientClassGain(const CharacterClass* characterClass, int32_t kind)
{
    return characterClass ? characterClass->powerGainOn[static_cast<size_t>(kind)] : 0.0f;
}

// A fresh record of the sentient event, or null before the events are registered.
Event* SentientMakeEvent(int32_t sentientEvent)
{
    int id = Sentient::GetEventId(sentientEvent);
    return gEventSystem && id >= 0 ? gEventSystem->MakeEvent(id) : nullptr;
}

// An event another class registers ("EnemyHealed", "EnemyBuffed"); null until it has.
Event* SentientMakeNamedEvent(const char* name)
{
    int id = gEventSystem ? gEventSystem->FindEvent(name) : -1;
    return id >= 0 ? gEventSystem->MakeEvent(id) : nullptr;
}

void SentientOfferEvent(Listener& listener, Event& event)
{
    event.params.SetReadPos(0);
    if (const EventHandler* handler = listener.FindEventHandler(event))
        (*handler)(listener, event);
}

} // namespace

void Sentient::RegisterEventClass(EventSystem& events, TypeRegistry& types)
{
    for (int32_t i = 0; i < SentientEvent::kCount; ++i)
        gSentientEventIds[static_cast<size_t>(i)] = events.RegisterEvent(kSentientEventNames[i]);
    // The game may have named the class first; its handlers are bound into that table all the same.
    if (gSentientEventClass && types.FindType("Sentient") == gSentientEventClass)
        return;
    gSentientEventClass = types.RegisterType("Sentient", "Entity", nullptr, nullptr);
    Listener::Subscribe(gSentientEventClass, GetEventId(SentientEvent::IdentifyItem), &Sentient::OnIdentifyItemEvent);
    Listener::Subscribe(gSentientEventClass, GetEventId(SentientEvent::UseSkill), &Sentient::OnUseSkillEvent);
    Listener::Subscribe(gSentientEventClass, GetEventId(SentientEvent::UseEntity), &Sentient::OnUseEntityEvent);
    Listener::Subscribe(gSentientEventClass, GetEventId(SentientEvent::Attack), &Sentient::OnAttackEvent);
}

int Sentient::GetEventId(int32_t sentientEvent)
{
    if (sentientEvent < 0 || sentientEvent >= SentientEvent::kCount)
        return -1;
    return gSentientEventIds[static_cast<size_t>(sentientEvent)];
}

EventClass* Sentient::GetEventClass() const
{
    return gSentientEventClass ? gSentientEventClass : Entity::GetEventClass();
}

void Sentient::ReceiveEvent(Event& event, bool queue)
{
    // The carried effects react to events with their own rules, each reading from the start;
    // by index, since a skill an effect fires may add effects to the end of the list.
    for (size_t i = 0; i < statusEffects.size(); ++i)
        if (!statusEffects[i]->IsExpired())
            statusEffects[i]->OnOwnerEvent(event);
    event.params.SetReadPos(0);
    if (!queue || event.kept || !gEventSystem)
        return;
    gEventSystem->QueueEvent(&event);
}

// "AttackSound" or "CombatEffect" + the kind's name; the bare stem for a kind outside the table.
// Spelt once: every swing asks for both.
const std::string& Sentient::AttackSoundKey(bool effect, int32_t kind)
{
    using Keys = std::array<std::string, AttackSoundType::kCount + 1>;
    auto spell = [](const char* stem) {
        Keys keys;
        const EnumTable* kinds = EnumTable::Find("AttackSoundType");
        for (int32_t k = 0; k < AttackSoundType::kCount; ++k)
            keys[static_cast<size_t>(k)] = kinds ? stem + kinds->GetName(k) : stem;
        keys.back() = stem;
        return keys;
    };
    static const Keys kSoundKeys = spell("AttackSound");
    static const Keys kEffectKeys = spell("CombatEffect");
    const Keys& keys = effect ? kEffectKeys : kSoundKeys;
    return kind < 0 || kind >= AttackSoundType::kCount ? keys.back() : keys[static_cast<size_t>(kind)];
}

void Sentient::GetAttackSound(int32_t kind, std::string& out) const
{
    out.clear();
    if (kind < 0 || kind >= AttackSoundType::kCount)
        return;
    const Item* weapon = GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary);
    if (const DatabaseEntry* record = weapon ? weapon->GetEntry() : nullptr)
        if (const DatabaseField* field = record->FindField(AttackSoundKey(false, kind)))
            out.assign(field->value);
    if (out.empty() && gGameData)
        out.assign(gGameData->GetTuning().attackSound[static_cast<size_t>(kind)]);
}

// ---- Reactions -------------------------------------------------------------------------------

void Sentient::RaiseWhenHit(Entity* attacker, bool flag)
{
    float gain = SentientClassGain(characterClass, PowerGain::Damage);
    if (gain > 0.0f)
        GainPower(gain);
    if (Event* event = SentientMakeEvent(SentientEvent::WhenHit)) {
        event->WriteEntity(attacker);
        event->params.WriteBool(flag);
        ReceiveEvent(*event, true);
    }
}

void Sentient::OnMissedBy(Entity* attacker, int32_t missKind)
{
    float gain = SentientClassGain(characterClass, PowerGain::BlockOrParry);
    if (gain > 0.0f && (missKind == 1 || missKind == 2))
        GainPower(gain);
    if (Event* event = SentientMakeEvent(SentientEvent::WhenMissed)) {
        event->WriteEntity(attacker);
        ReceiveEvent(*event, true);
    }
}

void Sentient::OnSuccessfulHit(int32_t damage, Entity* target, bool hit, bool critical, bool crushing, bool deep,
                               bool last)
{
    float sum = 0.0f;
    const std::pair<bool, int32_t> terms[] = {{hit, PowerGain::Hit},
                                              {critical, PowerGain::CriticalHit},
                                              {crushing, PowerGain::CrushingBlow},
                                              {deep, PowerGain::DeepWounds}};
    for (const auto& [applies, kind] : terms) {
        float gain = SentientClassGain(characterClass, kind);
        if (applies && gain > 0.0f)
            sum += gain;
    }
    if (sum > 0.0f) {
        // A slow weapon gains more power a hit than a quick one.
        if (const Item* weapon = GetItem(InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary)) {
            float speed = weapon->GetEntry() ? weapon->GetEntry()->GetFloat("Speed", 0.0f) : 0.0f;
            sum *= speed - weapon->GetWeaponSpeedBonus() * speed;
        }
        GainPower(sum);
    }
    if (Event* event = SentientMakeEvent(SentientEvent::SuccessfulHit)) {
        event->WriteEntity(target);
        event->params.WriteInt(damage);
        event->params.WriteBool(hit);
        event->params.WriteBool(last);
        ReceiveEvent(*event, true);
    }
}

void Sentient::OnSuccessfulKill(Entity* victim)
{
    if (Event* event = SentientMakeEvent(SentientEvent::SuccessfulKill)) {
        event->WriteEntity(victim);
        event->kept = true;
        std::vector<Sentient*> party;
        Sentient* head = GetLeader() ? GetLeader() : this;
        party.push_back(head);
        for (const SafePointer& pointer : head->companions)
            if (Sentient* companion = pointer.GetAs<Sentient>())
                party.push_back(companion);
        for (Sentient* member : party) {
            SentientOfferEvent(*member, *event);
            member->ReceiveEvent(*event, false);
        }
        event->kept = false;
        if (gEventSystem)
            gEventSystem->QueueEvent(event);
    }
    float gain = SentientClassGain(characterClass, PowerGain::Kill);
    if (gain > 0.0f) {
        GainPower(gain);
        if (characterClass->powerDirection) {
            stats.Set(CharacterStat::PowerRising, 1);
            powerDecayTimer.running = 1;
            powerDecayTimer.total = characterClass->powerTimer;
            powerDecayTimer.remaining = characterClass->powerTimer;
        }
        stats.Set(CharacterStat::PowerRising, 1);
    }
}

void Sentient::CollectEngagedListeners(std::vector<Listener*>& out) const
{
    for (const EngagedEntry& entry : engaged)
        if (Entity* entity = entry.entity.GetAs<Entity>())
            out.push_back(entity);
}

void Sentient::RaiseBuffed(Entity* other, uint32_t value)
{
    if (other == this)
        return;
    ScratchList<Listener*> listeners;
    CollectEngagedListeners(*listeners);
    Event* event = SentientMakeNamedEvent("EnemyBuffed");
    if (!event)
        return;
    event->WriteEntity(this);
    event->WriteEntity(other);
    event->params.WriteUInt(value);
    gEventSystem->DispatchEvent(event, *listeners);
}

void Sentient::RaiseHealed(Entity* healer, int32_t amount)
{
    Event* event = SentientMakeNamedEvent("EnemyHealed");
    if (!event)
        return;
    ScratchList<Listener*> listeners;
    CollectEngagedListeners(*listeners);
    event->WriteEntity(this);
    event->WriteEntity(healer);
    event->params.WriteInt(amount);
    gEventSystem->DispatchEvent(event, *listeners);
}

// ---- Attack and death ----------------------------------------------------------------------

void Sentient::Attack()
{
    if (!CanAttack())
        return;
    Entity* target = GetCurrentTarget();
    if (!target || (target->flags & EntityFlag::Hidden))
        return;
    const char* animation = GetAttackAnimationName();
    PlayAnimation(animation, kSentientAttackPriority, AnimationMode::ReturnToIdle, false);
    if (target != this)
        FaceEntity(target, false);
    if (!gGameServices)
        return;
    gGameServices->CancelTimedActions(GetEventId(SentientEvent::Attack), this);
    Event* event = SentientMakeEvent(SentientEvent::Attack);
    if (!event)
        return;
    event->WriteEntity(target);
    const Animation* record = FindAnimationRecord(animation);
    float delay = record ? record->GetServerEventTime(kSentientAttackMarker, speed) : 0.0f;
    gGameServices->ScheduleTimedAction(this, event, delay);
}

void Sentient::OnDeath(Entity* killer)
{
    if (EntityCovenant* covenant = GetCovenant())
        covenant->OnMemberDied(*this);
    CancelAction();
    CancelUseEntity();
    CancelAction();
    CancelPendingKinds();
    netFlag = false;
    if (Event* event = SentientMakeEvent(SentientEvent::WhenKilled)) {
        event->WriteEntity(killer);
        ReceiveEvent(*event, true);
    }
    Event* event = SentientMakeEvent(SentientEvent::EnemyKilled);
    if (!event)
        return;
    event->WriteEntity(this);
    ScratchList<Listener*> listeners;
    CollectEngagedListeners(*listeners);
    gEventSystem->DispatchEvent(event, *listeners);
}
