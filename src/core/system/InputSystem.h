// InputSystem -- keyboard and mouse devices turned into "keyPress" and "buttonPress" command lines.
#pragma once

#include "core/BaseClass.h"

class InputSystem : public BaseClass {
public:
    // False when the devices cannot be opened; start-up treats that as fatal.
    virtual bool Init() = 0;
    // Once a frame, before the client reads its commands.
    virtual void ProcessFrame() = 0;
    virtual void Shutdown() = 0;
};

extern InputSystem* gInputSystem;
