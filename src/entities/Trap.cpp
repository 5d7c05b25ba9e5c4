// Trap -- the trap logic a chest, a door or a ground plate carries: trigger chance, disarm, dud, delayed activation of its skill, alarm, sound and effect.
#include "entities/Trap.h"

#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/RandomSystem.h"
#include "core/TypeRegistry.h"
#include "entities/Entity.h"
#include "entities/GameServices.h"
#include "entities/Skill.h"
#include "rules/GameData.h"
#include "rules/skills/SkillDefinition.h"

namespace {

// A world object's level is its stat 10.
constexpr int32_t kTrapLevelStat = 10;

} // namespace

int Trap::triggerEventId = -1;
int Trap::activateEventId = -1;
EventClass* Trap::eventClass = nullptr;

void Trap::RegisterEventClass(EventSystem& events, TypeRegistry& types)
{
    triggerEventId = events.RegisterEvent(kTriggerEvent);
    activateEventId = events.RegisterEvent(kActivateEvent);
    eventClass = types.RegisterType("Trap", "Listener", nullptr, nullptr);
    Listener::Subscribe(eventClass, triggerEventId, &Trap::OnTrigger);
    Listener::Subscribe(eventClass, activateEventId, &Trap::OnActivate);
}

Trap::Trap() = default;

Trap::~Trap()
{
    CancelPending();
}

EventClass* Trap::GetEventClass() const
{
    return eventClass ? eventClass : Listener::GetEventClass();
}

void Trap::CancelPending()
{
    if (!gGameServices)
        return;
    gGameServices->CancelTimedActions(triggerEventId, this);
    gGameServices->CancelTimedActions(activateEventId, this);
}

void Trap::Load(const DatabaseEntry* record)
{
    if (!record)
        return;
    triggerChance = record->GetFloat("TriggerChance", 0.0f);
    triggerSound = record->GetString("TriggerSound");
    alarmSound = record->GetString("AlarmSound");
    disarmSound = record->GetString("DisarmSound");
    trapSound = record->GetString("TrapSound");
    trapEffect = record->GetString("TrapEffect");
    shortDelayMin = record->GetFloat("ShortDelayMin", 0.0f);
    shortDelayMax = record->GetFloat("ShortDelayMax", 0.0f);
    longDelayMin = record->GetFloat("LongDelayMin", 0.0f);
    longDelayMax = record->GetFloat("LongDelayMax", 0.0f);
    groundTrapDelayMult = record->GetFloat("GroundTrapDelayMult", 0.0f);
    dudChance = record->GetFloat("DudChance", 0.0f);
    longDelayChance = record->GetFloat("LongDelayChance", 0.0f);
    alarmChance = record->GetFloat("AlarmChance", 0.0f);
    alarmRange = record->GetFloat("AlarmRange", 0.0f);
    silent = record->GetInt("Silent") != 0;
    skill.reset();
    std::string skillName = record->GetString("Skill");
    if (skillName.empty())
        return;
    // A name that finds no definition makes no skill: nothing fires where no rules say what.
    const SkillDefinition* definition = gGameData ? gGameData->FindSkillDefinition(skillName) : nullptr;
    if (!definition)
        return;
    skill = std::make_unique<Skill>();
    skill->definition = definition;
    skill->treeIndex = 0;
    skill->indexInTree = 0;
    skill->SetOwner(this);
}

void Trap::SetOwner(Entity* entity)
{
    owner.Set(entity);
}

Entity* Trap::GetOwner() const
{
    return owner.GetAs<Entity>();
}

Entity* Trap::GetVictim() const
{
    return victim.GetAs<Entity>();
}

bool Trap::IsOver() const
{
    return spent || (firedFlag && !fired);
}

int32_t Trap::GetStat(int32_t stat) const
{
    const Entity* entity = GetOwner();
    return entity ? entity->GetStat(stat) : 0;
}

int32_t Trap::GetDirectionIndex() const
{
    const Entity* entity = GetOwner();
    return entity ? entity->facing : 0;
}

// ---- Triggering and disarming ------------------------------------------------------------------

void Trap::TryTrigger(Entity* newVictim, float delay)
{
    if (!newVictim || triggered || !gGameServices || !gEventSystem)
        return;
    if (!(triggerChance > DrawRandomFloat(RandomStream::GameData, 1.0f)))
        return;
    gGameServices->CancelTimedActions(triggerEventId, this);
    float wait = DrawRandomScaled(RandomStream::GameData, delay, 1.0f);
    gGameServices->ScheduleTimedAction(this, gEventSystem->MakeEvent(triggerEventId), wait);
    victim.Set(newVictim);
}

bool Trap::TryDisarm(Entity* candidate)
{
    if (!candidate)
        return false;
    const Entity* entity = GetOwner();
    int32_t trapLevel = entity ? entity->GetStat(kTrapLevelStat) : 0;
    int32_t disarm = candidate->GetStat(CharacterStat::DisarmTrap);
    if (disarm == 0)
        return false;
    if (!(GameData::GetDisarmTrapChance(disarm, trapLevel) > DrawRandomFloat(RandomStream::GameData, 1.0f)))
        return false;
    PlayAtOwner(disarmSound);
    candidate->OnTrapDisarmed(trapLevel);
    return true;
}

void Trap::OnTrigger(Event&)
{
    Entity* entity = GetOwner();
    if (!entity)
        return;
    if (TryDisarm(GetVictim())) {
        spent = true;
        return;
    }
    if (!silent)
        entity->QueueWorldEvent(triggerSound, kSoundRadius, 0.0f);
    triggered = true;
    if (dudChance > DrawRandomFloat(RandomStream::GameData, 1.0f)) {
        spent = true;
        return;
    }
    if (gGameServices && gEventSystem)
        gGameServices->ScheduleTimedAction(this, gEventSystem->MakeEvent(activateEventId), DrawDelay());
}

float Trap::DrawDelay() const
{
    bool longDelay = longDelayChance > DrawRandomFloat(RandomStream::GameData, 1.0f);
    float delay = longDelay ? DrawRandomRange(RandomStream::GameData, longDelayMin, longDelayMax)
                            : DrawRandomRange(RandomStream::GameData, shortDelayMin, shortDelayMax);
    return groundTrap ? delay * groundTrapDelayMult : delay;
}

// ---- Activation ---------------------------------------------------------------------------------

void Trap::OnActivate(Event&)
{
    Entity* entity = GetOwner();
    Entity* target = GetVictim();
    // A victim gone before now is shot at by nothing: no skill without someone to aim it at.
    if (entity && target && skill)
        UseSkill(*entity, target);
    if (entity && alarmChance > DrawRandomFloat(RandomStream::GameData, 1.0f))
        SoundAlarm(*entity, target);
    PlayAtOwner(trapSound);
    if (entity && !trapEffect.empty() && gGameServices)
        gGameServices->SpawnModelEntity(trapEffect, entity->position, kEffectSeconds);
    if (fired)
        firedFlag = true;
    else
        spent = true;
}

void Trap::UseSkill(Entity& entity, Entity* target)
{
    const SkillDefinition& rules = *skill->definition;
    if (rules.monstersToSpawn > 0 || rules.maxMonstersToSpawn > 0) {
        skill->SpawnMonstersFrom(entity, target);
    } else if (rules.windDistance > 0.0f && rules.windPower > 0.0f) {
        if (gGameServices)
            gGameServices->ExtinguishTorchesNear(entity.position, rules.windDistance, rules.windPower);
    } else if (rules.shutDoorDistance > 0.0f) {
        skill->ShutDoorsNear(entity.position);
    } else {
        fired.Set(skill->UseFromObject(entity, target, entity.position));
    }
}

void Trap::SoundAlarm(Entity& entity, Entity* target)
{
    PlayAtOwner(alarmSound);
    if (!gGameServices || !gEventSystem)
        return;
    Event* heard = gEventSystem->MakeEvent(gEventSystem->RegisterEvent("HeardSound"));
    heard->WriteEntity(target);
    gGameServices->BroadcastEventInRadius(heard, &entity, alarmRange, kAlarmFilter);
}

void Trap::PlayAtOwner(const std::string& sound) const
{
    const Entity* entity = GetOwner();
    if (sound.empty() || !entity || !gGameServices)
        return;
    WorldEventRequest request;
    request.name = sound;
    request.entityNumber = entity->entityNumber;
    request.position = entity->position;
    request.radius = kSoundRadius;
    gGameServices->QueueWorldEvent(request);
}
