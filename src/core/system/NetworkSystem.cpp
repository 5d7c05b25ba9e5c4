// NetworkSystem -- the datagram transport between client and world host: in-process queues or UDP sockets.
#include "core/system/NetworkSystem.h"

#include "core/DebugSystem.h"

NetworkSystem* gNetworkSystem = nullptr;

void NetworkSystem::ReportRefusedSend(const std::string& destination)
{
    DebugSystem::Print(kPrintError, "Refused a datagram to %s: only 127.0.0.0/8 may be reached here\n",
                       destination.c_str());
    if (refusedSendReport)
        refusedSendReport(destination);
}
