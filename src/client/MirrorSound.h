// MirrorSound -- plays a sound the client's mirrors announce something with (an eliminated covenant, an alarm, a quest's end, an item used) at the local player.
#pragma once

#include <cstdint>

// Nothing for -1 or while sound is off; the sound follows the local player's entity (-1 when
// there is none), with no fade, on a free channel when there is one.
void PlayMirrorSound(int32_t handle);
