// FakeFrameScene -- a client scene for the frame's tests: running or paused as set, a camera target, the player's screen box, a fixed slanted screen mapping and a log of the passes it was asked for.
#pragma once

#include "render/FrameScene.h"

#include <array>
#include <string>
#include <vector>

class FakeFrameScene : public FrameScene {
public:
    bool IsGameRunning() const override { return running; }
    bool IsPaused() const override { return paused; }
    bool GetCameraTarget(WorldPos& out) const override
    {
        out = target;
        return true;
    }
    void DrawEntities(WorldView&) override { Note("entities"); }
    void DrawEntityOverlays() override { Note("overlays"); }
    bool HasLocalPlayer() const override { return true; }
    bool IsRevealed() const override { return false; }
    float GetVisibility(const WorldPos&) const override { return 1.0f; }
    bool GetLocalPlayerScreenBox(std::array<float, 4>& out) const override
    {
        out = box;
        return true;
    }
    // x - y across, half their sum (less the height) down.
    Vector2 WorldToScreenRaised(const WorldPos3& p, float height) const override
    {
        return {p.x - p.y, -(p.x + p.y) * 0.5f - height};
    }

    bool running = true;
    bool paused = false;
    WorldPos target;
    std::array<float, 4> box = {0.0f, 0.0f, 10.0f, 10.0f};
    // Where the passes are noted; null notes nothing.
    std::vector<std::string>* log = nullptr;

private:
    void Note(const char* pass)
    {
        if (log)
            log->push_back(pass);
    }
};
