// Application -- the composition root: creates every system, runs the frame loop, shuts down.
#include "app/Application.h"

#include "core/DebugSystem.h"

int RunApplication()
{
    gDebugSystem = new DebugSystem();
    gDebugSystem->SetEchoToStdout(true);
    DebugSystem::Print(kPrintPlain, "Emberlode starting\n");
    delete gDebugSystem;
    return 0;
}
