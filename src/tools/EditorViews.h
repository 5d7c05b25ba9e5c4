// EditorViews -- the editors as the frame sees them: whether the area editor holds the screen, and both editors' views drawn after the world.
#pragma once

#include "render/FrameTools.h"

// Reads the editors through their process pointers; either may be missing.
class EditorViews : public FrameTools {
public:
    bool IsAreaEditorOpen() const override;
    bool IsModelEditorActive() const override;
    void DrawViews() override;
    void RefreshGroundDetail() override;
};
