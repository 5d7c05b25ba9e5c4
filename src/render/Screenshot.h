// Screenshot -- the frame just drawn, read from the back buffer and written under "Screenshots/" as JPEG, PNG or Targa, numbered so nothing is overwritten.
#pragma once

#include "resources/GraphicsDevice.h"

#include <array>
#include <cstdint>
#include <string>

class Screenshot {
public:
    // The rectangle read: the remembered view (x, y, width, height) rounded to pixels, limited
    // to the mode's size in full screen; in a window 2 pixels narrower and lower, so the
    // window's border never shows.
    static PixelRect ChooseRect(const std::array<float, 4>& view, bool fullScreen, int32_t modeWidth,
                                int32_t modeHeight);
    // "r_screenshotType": 0 "jpg", 1 "png", anything else "tga".
    static const char* Extension(int32_t type);
    // Reads the rectangle and writes "Screenshots/ssNNNN.<ext>" in the user folder (the first
    // number free for that extension). Returns the name written; empty when nothing was (no
    // pixels, every number taken, or the file could not be written).
    static std::string Take(GraphicsDevice& device, const PixelRect& rect, int32_t type);
};
