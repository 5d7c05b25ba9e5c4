// CovenantHost -- the process-wide pointer to the game that holds the covenants.
#include "covenants/CovenantHost.h"

CovenantHost* gCovenantHost = nullptr;
