// InTheWay -- whether a placed level model stands between the camera and the local player, so the level pass fades it.
#include "render/InTheWay.h"

#include "render/FrameScene.h"
#include "render/ImmediateDraw.h"
#include "render/ModelRenderer.h"
#include "resources/models/AnimationResource.h"
#include "resources/models/ModelResource.h"


namespace InWay {

Rect GetModelScreenRect(const ModelResource& model, const WorldPos& cell, float time, const FrameScene& scene)
{
    const AnimationResource* file = ModelAnimationFile(model, 0);
    if (!file)
        return {};
    int32_t frame = ModelAnimationFrame(time, *file);
    Vector3 low = file->GetFrameBoundsMin(frame);
    Vector3 high = file->GetFrameBoundsMax(frame);
    Box2D box{};
    for (int corner = 0; corner < 8; ++corner) {
        WorldPos3 at;
        at.level = cell.level;
        at.x = cell.x + ((corner & 1) ? high.x : low.x);
        at.y = cell.y + ((corner & 2) ? high.y : low.y);
        float height = (corner & 4) ? high.z : low.z;
        Vector2 point = scene.WorldToScreenRaised(at, height);
        if (corner == 0)
            box = {point.x, point.y, point.x, point.y};
        else
            ImmediateDraw::GrowBox2D(point.x, point.y, box);
    }
    return Rect{box[0], box[1], box[2], box[3]};
}

namespace {

bool InTheWayBelow(const ModelResource& model, const WorldPos& cell, const WorldPos& player)
{
    if (player.level != cell.level)
        return false;
    // Measured in the cell's own frame, so a box reaching past the level's edge stays whole.
    Vector2 low = Vector2{cell.x, cell.y} + model.inWayMinOffset;
    Vector2 high = Vector2{cell.x, cell.y} + model.inWayMaxOffset;
    return player.x >= low.x && player.x <= high.x && player.y >= low.y && player.y <= high.y;
}

} // namespace

bool IsModelInTheWay(const ModelResource* model, const WorldPos& cell, int32_t direction, float time,
                     const WorldPos* player, const Rect& playerRect, const FrameScene& scene)
{
    if (!model || !player || model->inWayAlphaType == kNever)
        return false;
    int32_t type = model->inWayAlphaType;
    if (type == kBelow)
        return InTheWayBelow(*model, cell, *player);
    // The model's place seen from the player's: with the camera off to +x, -y, a model at +x, -y
    // of the player stands nearer the camera and its height covers the player. Measured the
    // other way round (the player from the model) every test below would fade the models that
    // stand behind the player and never the tree in front of it.
    Vector2 d = cell.DeltaTo(*player) * -1.0f;
    if (d.x <= 0.0f && d.y >= 0.0f)
        return false;
    bool alongY = direction == 0 || direction == 4;
    bool alongX = direction == 2 || direction == 6;
    if (type == kSouth && (alongY || alongX))
        return alongY ? d.y < 0.0f : d.x > 0.0f;
    if (type == kEast && (alongY || alongX))
        return alongY ? d.x > 0.0f : d.y < 0.0f;
    if (d.x >= 0.0f && d.y >= d.x)
        return false;
    if (d.x <= 0.0f && d.y <= 0.0f && d.y >= d.x)
        return false;
    return RectsOverlap(GetModelScreenRect(*model, cell, time, scene), playerRect);
}

} // namespace InWay
