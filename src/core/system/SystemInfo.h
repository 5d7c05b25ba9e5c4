// SystemInfo -- the machine report written at start-up and the window's active and minimised flags.
#pragma once

#include "core/BaseClass.h"

class SystemInfo : public BaseClass {
public:
    // Gathers the machine description and writes it to the log; called once at start-up.
    virtual void LogSystemInfo() = 0;

    // Kept current by the window's event handling; the frame loop idles while inactive or minimised.
    bool applicationActive = true;
    bool minimised = false;
};

extern SystemInfo* gSystemInfo;
