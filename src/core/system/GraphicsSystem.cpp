// GraphicsSystem -- the window, the GL context and per-frame display services; this is what the frame loop needs so far.
#include "core/system/GraphicsSystem.h"

GraphicsSystem* gGraphicsSystem = nullptr;
