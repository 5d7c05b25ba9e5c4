// EffectPos -- a place as live effects keep it: a level index and a point in that level's frame.
#pragma once

#include "core/Vector.h"

#include <cstdint>

// The world's own position type lives in a later library, so effects keep this one and leave
// every crossing of a level edge to the EffectContext.
struct EffectPos {
    int32_t level = -1;
    Vector3 point;
};
