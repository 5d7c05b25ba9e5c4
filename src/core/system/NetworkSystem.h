// NetworkSystem -- the datagram transport between client and world host: in-process queues or UDP sockets.
#pragma once

#include "core/BaseClass.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <netinet/in.h>

class MessageBuffer;

// The ports the world host and the client bind (host byte order).
constexpr uint16_t kWorldHostPort = 5002;
constexpr uint16_t kClientPort = 5003;

// A socket and its own address, kept by the client and by the world host. The address is the
// plain 16-byte POSIX record, port and address in network byte order.
struct NetworkEndpoint {
    int32_t socket = -1;
    sockaddr_in address{};
};

// Each datagram is the whole content of one message buffer: the transport adds no header,
// sequence number, acknowledgement or resend.
class NetworkSystem : public BaseClass {
public:
    // The largest payload of an IPv4 UDP datagram: a socket refuses a longer one whole.
    static constexpr size_t kMaxDatagramBytes = 65507;

    // Starts the socket layer; only needed when local mode is off.
    virtual bool Startup() = 0;
    virtual void Cleanup() = 0;
    virtual void CloseSocket(NetworkEndpoint& endpoint) = 0;

    // Once, while the commands are registered; says "Initializing networking" at level 1.
    virtual void Init() = 0;
    // The address of this machine at the port (host byte order): 127.0.0.1 in local mode,
    // 255.255.255.255 when broadcast is asked for, else the host's first IPv4 address.
    virtual bool GetLocalAddress(sockaddr_in& out, uint16_t port, bool broadcast) = 0;
    // Where the client sends its join request: 127.0.0.1 in local mode, else the join-address setting.
    virtual bool GetJoinAddress(sockaddr_in& out, uint16_t port) = 0;
    // Binds the endpoint's address; port 0 picks a free port and writes it back.
    virtual bool OpenSocket(NetworkEndpoint& endpoint) = 0;
    // Never blocks: true when a datagram waits for the endpoint.
    virtual bool Poll(const NetworkEndpoint& endpoint) = 0;
    // False for an empty buffer or a failed send; the buffer's read position goes back to its start.
    virtual bool SendTo(MessageBuffer& buffer, const NetworkEndpoint& sender, const sockaddr_in& destination) = 0;
    // Appends at most one datagram to out, queued ones before socket ones; sender is cleared
    // first and then holds the address the datagram came from.
    virtual void Receive(MessageBuffer& out, const NetworkEndpoint& endpoint, sockaddr_in& sender) = 0;
    // Throws away whatever waits for the endpoint (left from an earlier game). Returns false.
    virtual bool Flush(const NetworkEndpoint& endpoint) = 0;

    // Local mode is on from creation and only a setting turns it off.
    bool IsLocalMode() const { return localMode; }

    // Called with the refused destination ("a.b.c.d:port").
    using RefusedSendReport = std::function<void(const std::string& destination)>;

    // Test programs switch this guard on before any test runs: every send that would leave
    // the process for an address outside 127.0.0.0/8, or for its broadcast address, is
    // refused, logged as an error and handed to the report (which fails the test). An empty
    // report switches it off.
    static void SetLoopbackOnly(RefusedSendReport report) { refusedSendReport = std::move(report); }
    static bool IsLoopbackOnly() { return static_cast<bool>(refusedSendReport); }
    static const RefusedSendReport& GetRefusedSendReport() { return refusedSendReport; }

protected:
    static void ReportRefusedSend(const std::string& destination);

    bool localMode = true;

private:
    static inline RefusedSendReport refusedSendReport;
};

extern NetworkSystem* gNetworkSystem;
