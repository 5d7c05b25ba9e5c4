// Trigger -- a switch in a level that fires once, by use or by a player coming near: it broadcasts its name, may reveal a super secret, unlock something and fade away; kept in the world save.
#include "entities/Trigger.h"

#include "core/DatabaseEntry.h"
#include "core/MessageBuffer.h"
#include "entities/GameServices.h"
#include "entities/Sentient.h"

namespace {
constexpr int32_t kTriggerFiredPriority = 5;
constexpr int32_t kTriggerIdlePriority = 2;
} // namespace

Trigger::Trigger()
{
    netFlag = false;
}

Trigger::~Trigger() = default;

void Trigger::Load(const DatabaseEntry* record)
{
    Entity::Load(record);
    if (!record)
        return;
    triggerName = record->GetString("TriggerName");
    triggerDistance = record->GetFloat("TriggerDistance", 0.0f);
    netFlag = record->GetInt("Solid") != 0;
    superSecret = record->GetInt("SuperSecret") != 0;
    unlockName = record->GetString("UnlockName");
    fadeTime = record->GetFloat("FadeTime", 0.0f);
}

void Trigger::Update(float seconds)
{
    Entity::Update(seconds);
    PlayAnimation(triggered ? kIdleOnAnimation : kIdleOffAnimation, kTriggerIdlePriority, AnimationMode::Loop, false);
    if (triggered || triggerDistance <= 0.0f || !gGameServices)
        return;
    Sentient* player = gGameServices->FindNearestPlayer(position);
    if (player && EntityDistance2D(this, player, false) < triggerDistance)
        Fire(player);
}

void Trigger::Use(Entity* user)
{
    Fire(user);
}

void Trigger::Fire(Entity* user)
{
    if (triggered)
        return;
    PlayAnimation(kFiredAnimation, kTriggerFiredPriority, AnimationMode::ReturnToIdle, true);
    triggered = true;
    if (!gGameServices)
        return;
    gGameServices->ScanEntitySlots(triggerName, user);
    if (superSecret && user)
        gGameServices->OnSuperSecretFound(*user);
    if (!unlockName.empty() && user)
        user->Unlock(unlockName);
    if (fadeTime > 0.0f)
        FadeOutAndDelete(fadeTime);
}

bool Trigger::IsFree() const
{
    return ShouldSaveWithWorld();
}

void Trigger::WriteSaved(MessageBuffer& buffer) const
{
    WriteSavedState(buffer);
}

bool Trigger::ReadSaved(MessageBuffer& buffer, int32_t version)
{
    return ReadSavedState(buffer, version);
}

bool Trigger::ShouldSaveWithWorld() const
{
    return !(triggered && fadeTime > 0.0f);
}

void Trigger::WriteSavedState(MessageBuffer& buffer) const
{
    buffer.WriteInt(triggered ? 1 : 0);
}

bool Trigger::ReadSavedState(MessageBuffer& buffer, int32_t)
{
    if (buffer.BytesLeft() < sizeof(int32_t))
        return false;
    if (buffer.ReadInt() != 0) {
        PlayAnimation(kFiredAnimation, kTriggerFiredPriority, AnimationMode::ReturnToIdle, true);
        triggered = true;
    }
    return true;
}
