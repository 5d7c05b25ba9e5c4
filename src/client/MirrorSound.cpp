// MirrorSound -- plays a sound the client's mirrors announce something with (an eliminated covenant, an alarm, an item used or dropped) at the local player.
#include "client/MirrorSound.h"

#include "audio/SoundSystem.h"
#include "client/ClientMusic.h"

void PlayMirrorSound(int32_t handle)
{
    if (handle == -1 || !gSoundSystem || !gSoundSystem->IsInitialised())
        return;
    int32_t owner = -1;
    SoundPos where;
    ClientMusic::FindLocalPlayerSpot(owner, where);
    gSoundSystem->PlayOwnedSound(handle, where, owner, 0, false, 0.0f, 0.0f);
}
