// FrameTools -- what the frame asks of the editors: whether the area editor holds the screen, and their views drawn after the world.
#pragma once

// The editors fill it; without one no editor view is drawn.
class FrameTools {
public:
    virtual ~FrameTools() = default;

    // The area editor replaces the world view and the camera looks at the origin.
    virtual bool IsAreaEditorOpen() const = 0;
    // The area editor's and the model editor's views, each while its tool is active.
    virtual void DrawViews() = 0;
};
