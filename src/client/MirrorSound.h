// MirrorSound -- plays a sound the client's mirrors announce something with (an eliminated covenant, an alarm, an item used or dropped) at the local player.
#pragma once

#include <cstdint>

// Nothing for -1 or while sound is off; the sound follows the local player's entity (-1 when
// there is none), with no fade.
void PlayMirrorSound(int32_t handle);
