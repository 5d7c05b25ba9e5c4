// MirrorSound -- plays a sound the client's mirrors announce something with (an eliminated covenant, an alarm, a quest's end, an item used) at the local player.
#include "client/MirrorSound.h"

#include "audio/SoundSystem.h"
#include "client/ClientApp.h"
#include "client/LocalPlayerLink.h"

void PlayMirrorSound(int32_t handle)
{
    if (handle == -1 || !gSoundSystem || !gSoundSystem->IsInitialised())
        return;
    const LocalPlayerLink* player = gClientApp ? gClientApp->GetLink() : nullptr;
    int32_t owner = player ? player->GetEntityNumber() : -1;
    if (SoundInstance* channel = gSoundSystem->FindFreeChannel())
        channel->Play(handle, SoundPos(), owner, 0, false, 0.0f, 0.0f);
}
