// GraphicsSystem -- the window, the GL context and per-frame display services; this is what the frame loop needs so far.
#pragma once

#include "core/BaseClass.h"

#include <cstdint>

class GraphicsSystem : public BaseClass {
public:
    // Milliseconds the frame loop sleeps to hold the frame-rate cap; 0 when uncapped.
    virtual uint32_t FrameRateCapDelay() = 0;
};

extern GraphicsSystem* gGraphicsSystem;
