// InputSystem -- keyboard and mouse devices turned into "keyPress" and "buttonPress" command lines.
#include "core/system/InputSystem.h"

InputSystem* gInputSystem = nullptr;
