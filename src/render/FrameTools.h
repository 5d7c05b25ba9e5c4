// FrameTools -- what the frame asks of the editors: whether the area editor holds the screen or the model viewer is open, their views drawn after the world, and the area in edit laid again at a new ground detail.
#pragma once

// The editors fill it; without one no editor view is drawn.
class FrameTools {
public:
    virtual ~FrameTools() = default;

    // The area editor replaces the world view and the camera looks at the origin.
    virtual bool IsAreaEditorOpen() const = 0;
    // The model viewer is open: its model is shown without shadows.
    virtual bool IsModelEditorActive() const = 0;
    // The area editor's and the model editor's views, each while its tool is active.
    virtual void DrawViews() = 0;
    // "r_groundDetail" changed: the area in edit shows its ground at the new detail.
    virtual void RefreshGroundDetail() = 0;
};
