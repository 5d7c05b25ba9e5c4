// Application -- the composition root: creates every system, runs the frame loop, shuts down.
#pragma once

int RunApplication();
