// SystemInfo -- the machine report written at start-up and the window's active and minimised flags.
#include "core/system/SystemInfo.h"

SystemInfo* gSystemInfo = nullptr;
