// Camera -- points the world camera: the one place the game view, the editors and the model widgets set where it stands, looks and how far it sees.
#include "render/Camera.h"

#include "render/Renderer.h"
#include "render/WorldView.h"
#include "resources/GraphicsDevice.h"

#include <cmath>

namespace {

Vector3 CameraCross(const Vector3& a, const Vector3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

} // namespace

void Camera::SetProjection(const WorldPos3& eye, const WorldPos3& lookAt, WorldView& view, float zoom)
{
    WorldViewCamera& camera = view.camera;
    camera.eye = eye;
    camera.lookAt = lookAt;
    // The look-at point's level is the camera's level from here on.
    camera.position = Renderer::ToCameraLevel(view, eye);
    Vector3 forward = Vector3{lookAt.x, lookAt.y, lookAt.z} - camera.position;
    float height = -forward.z;
    Vector3Normalize(forward);
    Vector3 left = CameraCross({0.0f, 0.0f, 1.0f}, forward);
    // Straight down has no left of its own: the screen's left is then +y.
    if (Vector3Normalize(left) == 0.0f)
        left = {0.0f, 1.0f, 0.0f};
    Vector3 up = CameraCross(forward, left);
    const Vector3 rows[3] = {forward, left, up};
    for (int row = 0; row < 3; ++row) {
        camera.rotation.m[row][0] = rows[row].x;
        camera.rotation.m[row][1] = rows[row].y;
        camera.rotation.m[row][2] = rows[row].z;
    }
    Vector3 toTarget = Vector3{lookAt.x, lookAt.y, lookAt.z} - camera.position;
    float ground = std::sqrt(toTarget.x * toTarget.x + toTarget.y * toTarget.y);
    camera.ratio = height != 0.0f ? ground / height : 1.0f;
    Renderer::SetViewMatrix(camera);
    GraphicsDevice& device = view.GetDevice();
    device.SetModelViewMatrix(camera.modelView);
    // Sprites face this camera, and beams turn their width across its view.
    view.GetEffects().SetBillboardAxes(left * -1.0f, up);
    Renderer::SetWorldProjection(view, zoom);
    view.BuildViewPlanes(zoom);
    view.zoom = zoom;
}
