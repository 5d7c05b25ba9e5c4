// NetworkSystem -- the datagram transport between client and world host: in-process queues or UDP sockets.
#include "core/system/NetworkSystem.h"

NetworkSystem* gNetworkSystem = nullptr;
