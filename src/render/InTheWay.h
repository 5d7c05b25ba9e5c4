// InTheWay -- whether a placed level model stands between the camera and the local player, so the level pass fades it.
#pragma once

#include "core/MathUtil.h"
#include "world/WorldPos.h"

#include <cstdint>

class FrameScene;
class ModelResource;

namespace InWay {

// The model's "InWayAlphaType" values.
constexpr int32_t kNever = 0;
constexpr int32_t kNormal = 1;
constexpr int32_t kSouth = 2;
constexpr int32_t kEast = 3;
constexpr int32_t kBelow = 4;

// The user-interface rectangle round the eight corners of the model's bounds at the time's
// frame, each raised by its height; empty without an animation.
Rect GetModelScreenRect(const ModelResource& model, const WorldPos& cell, float time, const FrameScene& scene);

// False without a model or a player (null). direction is the placement's facing, 0, 2, 4 or 6;
// the player's rectangle is in the same units as GetModelScreenRect's.
bool IsModelInTheWay(const ModelResource* model, const WorldPos& cell, int32_t direction, float time,
                     const WorldPos* player, const Rect& playerRect, const FrameScene& scene);

} // namespace InWay
