// FrameUi -- what the frame asks of the user interface: which menus stand, its panels, menus and cursor drawn in their turn, and where the message log sits.
#pragma once

#include "core/Vector.h"

#include <array>
#include <vector>

// The user-interface system fills it; without one the frame draws no menus.
class FrameUi {
public:
    virtual ~FrameUi() = default;

    // A menu covering the whole screen: no world is drawn behind it.
    virtual bool IsFullScreenMenuShown() const = 0;
    // A menu that takes the input: entity overlays hidden, the message log held.
    virtual bool IsBlockingMenuShown() const = 0;
    // The help panel, drawn under the message log.
    virtual void DrawHelpBottom(float seconds) = 0;
    // The menus, updated with the frame time and drawn.
    virtual void UpdateAndDraw(float seconds) = 0;
    // The second standing panel, over the console.
    virtual void DrawHelpTop(float seconds) = 0;
    virtual void DrawCursor() = 0;
    // The message log's top-left corner in 640 x 480 units, and the offset added to it while
    // "fullUseSlots" is set.
    virtual Vector2 GetLogPosition() const = 0;
    virtual Vector2 GetAlternateLogOffset() const = 0;
    // A box in 640 x 480 units: a shown widget's, or, with window set, the whole of an open window,
    // its face and all.
    struct WidgetBox {
        std::array<float, 4> box{}; // left, top, right, bottom
        bool window = false;
    };
    // What the menus drawn show: each open window whole, and on a menu that fills the screen each
    // visible widget with a picture or words but a backdrop. Tooltips are none of them.
    virtual void GetWindowBoxes(std::vector<WidgetBox>& out) const { out.clear(); }
};
