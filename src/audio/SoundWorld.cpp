// SoundWorld -- what the sound system asks of the game around it: positions, the listener, pause and window state.
#include "audio/SoundWorld.h"

#include "core/system/SystemInfo.h"

SoundPos SoundWorld::GetListenerReference() const
{
    return SoundPos();
}

SoundDelta SoundWorld::DeltaTo(const SoundPos& from, const SoundPos& to) const
{
    return {to.x - from.x, to.y - from.y, to.z - from.z};
}

void SoundWorld::Normalize(SoundPos&) const {}

bool SoundWorld::FindEntityPosition(int32_t, SoundPos&) const
{
    return false;
}

int32_t SoundWorld::GetLocalPlayerEntity() const
{
    return -1;
}

bool SoundWorld::IsPaused() const
{
    return false;
}

bool SoundWorld::IsApplicationActive() const
{
    return !gSystemInfo || gSystemInfo->applicationActive;
}

bool SoundWorld::AreStreamsHeld() const
{
    return false;
}
