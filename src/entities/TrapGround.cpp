// TrapGround -- a hidden plate on the floor that carries a trap: it sets it off on the nearest player (or anyone, for a quest's plate) or on a named trigger, and removes itself once the trap is over.
#include "entities/TrapGround.h"

#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "entities/GameServices.h"
#include "entities/Sentient.h"
#include "entities/Trap.h"

#include <vector>

TrapGround::TrapGround()
{
    thinkTimer.listed = 1;
    timers.push_back(&thinkTimer);
}

TrapGround::~TrapGround() = default;

void TrapGround::Load(const DatabaseEntry* record)
{
    Entity::Load(record);
    if (!record)
        return;
    float thinkTime = record->GetFloat("ThinkTime", 0.0f);
    thinkTimer.minimum = thinkTime * (1.0f - kThinkSpread);
    thinkTimer.maximum = thinkTime * (1.0f + kThinkSpread);
    maxTouchTime = record->GetFloat("MaxTouchTime", 0.0f);
    triggerDistance = record->GetFloat("TriggerDistance", 0.0f);
    triggerName = record->GetString("TriggerName");
}

void TrapGround::ArmTrap()
{
    trap = std::make_unique<Trap>();
    trap->SetOwner(this);
    trap->groundTrap = true;
    trap->Load(GetEntry());
}

void TrapGround::OnPlaced()
{
    if (!trap)
        ArmTrap();
}

void TrapGround::SetSpawnTag(int32_t tag)
{
    Entity::SetSpawnTag(tag);
    SetLevel(tag);
}

void TrapGround::SetQuestPlate(bool counts, bool anyone)
{
    countsForQuest = counts;
    triggeredByAnyone = anyone;
}

int32_t TrapGround::GetStat(int32_t stat) const
{
    return stat == kLevelStat ? level : 0;
}

bool TrapGround::IsTrapOver() const
{
    return !trap || trap->IsOver();
}

void TrapGround::Update(float seconds)
{
    Entity::Update(seconds);
    if (removing)
        return;
    if (IsTrapOver()) {
        Remove();
        return;
    }
    if (!triggered && (!thinkTimer.running || thinkTimer.remaining <= 0.0f)) {
        if (gRandomSystem)
            thinkTimer.Restart(*gRandomSystem);
        Think();
    }
}

void TrapGround::Remove()
{
    removing = true;
    if (countsForQuest && gGameServices)
        gGameServices->OnTownTrapCleared(*this);
    ScheduleDelete(0.0f);
}

void TrapGround::Think()
{
    if (!gGameServices)
        return;
    if (triggeredByAnyone) {
        std::vector<Entity*> near;
        gGameServices->FindEntitiesInRadius(position, this, triggerDistance, kAnyoneFilter, near, true);
        if (!near.empty())
            SetOff(near.front());
        return;
    }
    Sentient* player = gGameServices->FindNearestPlayer(position);
    if (player && EntityDistance2D(this, player, false) < triggerDistance)
        SetOff(player);
}

void TrapGround::SetOff(Entity* victim)
{
    if (trap)
        trap->TryTrigger(victim, maxTouchTime);
    // One attempt by nearness: a failed chance leaves it waiting for a named trigger.
    triggered = true;
}

void TrapGround::OnNamedSignal(Entity* activator, std::string_view name)
{
    OnNamedTrigger(activator, name);
}

void TrapGround::OnNamedTrigger(Entity* activator, std::string_view name)
{
    // An unnamed plate answers no trigger, not even one that broadcasts no name.
    if (!triggerName.empty() && StringEqualsNoCase(name, triggerName))
        SetOff(activator);
}
