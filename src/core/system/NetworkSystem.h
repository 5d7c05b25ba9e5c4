// NetworkSystem -- the datagram transport between client and world host: in-process queues or UDP sockets.
#pragma once

#include "core/BaseClass.h"

class NetworkSystem : public BaseClass {
public:
    // Starts the socket layer; only needed when local mode is off.
    virtual bool Startup() = 0;
    virtual void Cleanup() = 0;

    // Local mode is on from creation and nothing in the program turns it off.
    bool IsLocalMode() const { return localMode; }

protected:
    bool localMode = true;
};

extern NetworkSystem* gNetworkSystem;
