// Camera -- points the world camera: the one place the game view, the editors and the model widgets set where it stands, looks and how far it sees.
#pragma once

class WorldView;
struct WorldPos3;

class Camera {
public:
    Camera() = delete;

    // The camera at the eye looking at the point, kept in the view: loads the model view and the
    // projection (+-320 w zoom by +-240 zoom, near 2, far 2048) and rebuilds the view planes.
    static void SetProjection(const WorldPos3& eye, const WorldPos3& lookAt, WorldView& view, float zoom);
};
