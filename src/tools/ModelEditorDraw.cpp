// ModelEditorDraw -- the model viewer's picture: a cleared screen, the model lit from beside it, the current tag's marker and the attachment hung on it.
#include "tools/ModelEditor.h"

#include "core/ColorSystem.h"
#include "render/LightingSystem.h"
#include "render/Renderer.h"
#include "render/WorldView.h"
#include "resources/GraphicsDevice.h"

namespace {

// Colour, depth and stencil.
constexpr uint32_t kModelEditorClearMask = 0x4500;
constexpr float kModelEditorTagMarkerSize = 0.5f;

} // namespace

void ModelEditor::Draw()
{
    if (!active || !gRenderer)
        return;
    WorldView& view = gRenderer->GetWorldView();
    WorldPos3 eye = viewPoint;
    eye.x += WorldView::kNormalEyeOffset.x;
    eye.y += WorldView::kNormalEyeOffset.y;
    eye.z += WorldView::kNormalEyeOffset.z;
    view.SetProjection(eye, viewPoint, zoom);
    view.GetDevice().Clear(kModelEditorClearMask, Color{0.0f, 0.0f, 0.0f}, 1.0f);
    Color first;
    ColorSystem::GetColorByIndex(first.r, first.g, first.b, 0);
    if (gLightingSystem)
        gLightingSystem->AddLight(viewPoint.level, kLightX, kViewY, first, kLightRadius, 0);
    ModelSurfacesDesc desc;
    desc.model = model.GetValue();
    desc.animation = animation;
    desc.time = time;
    desc.position = viewPoint;
    desc.rotation = orientation;
    desc.fullBright = true;
    if (desc.model != -1)
        view.AddModelSurfaces(desc);
    Vector3 offset;
    Matrix3 matrix;
    if (GetTagPlace(offset, matrix)) {
        WorldPos3 at = viewPoint.Add(offset);
        if (showTagsVar.GetInt() != 0)
            view.AddGroundQuad(at, kModelEditorTagMarkerSize, first, 1.0f, marker.GetValue());
        if (attachment.IsValid() && showAttachmentVar.GetInt() != 0) {
            ModelSurfacesDesc hung;
            hung.model = attachment.GetValue();
            hung.animation = attachmentAnimation;
            hung.time = attachmentTime;
            hung.position = at;
            hung.rotation = matrix;
            hung.scale = attachmentScale;
            hung.fullBright = true;
            view.AddModelSurfaces(hung);
        }
    }
    view.DrawSurfaces(gRenderer->GetWorldBatch());
}
