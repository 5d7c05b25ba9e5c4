// PlatformSystem -- operating-system services behind one interface: sleep, threads, fatal errors, byte order.
#include "core/system/PlatformSystem.h"

PlatformSystem* gPlatformSystem = nullptr;
