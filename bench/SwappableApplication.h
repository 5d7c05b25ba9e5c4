// SwappableApplication -- the program's application with each system's hooks in reach, for a benchmark to swap one.
#pragma once

#include "core/Application.h"

class SwappableApplication : public Application {
public:
    SystemHooks& GetSystem(SystemSlot slot) { return systems[static_cast<int>(slot)]; }
};
