// PosixNetworkSystem -- the datagram transport on Linux: the in-process queue of local mode and UDP sockets.
#pragma once

#include "core/UserVarRef.h"
#include "core/system/NetworkSystem.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

// Local mode (the default, and what the game uses): datagrams never leave the process; they
// wait in one queue and are picked up by destination port, whatever the destination address.
// Socket mode: UDP sockets, with the queue still carrying datagrams a sender addresses to itself.
class PosixNetworkSystem : public NetworkSystem {
public:
    // This machine's first IPv4 address (network byte order); false when there is none.
    using AddressResolver = std::function<bool(in_addr& out)>;

    static constexpr size_t kReceiveBufferBytes = 64 * 1024;
    // A flood of datagrams cannot keep Flush spinning.
    static constexpr int kMaxFlushDatagrams = 10000;
    // Datagrams waiting in the in-process queue for one port; past this the oldest goes, as a
    // full socket buffer would drop it.
    static constexpr size_t kMaxQueuedPerPort = 16384;
    // What a socket asks the kernel to hold for it (the kernel caps it at net.core.rmem_max):
    // the default of some 200 kB is a few hundred small datagrams, which the world host's up to
    // eight clients fill within one long frame of the host, and a handful of large game updates,
    // which a client fills within one long frame of its own. What overflows is lost.
    static constexpr int kSocketReceiveBytes = 4 * 1024 * 1024;

    // A datagram larger than receiveBufferBytes is dropped whole on receipt.
    explicit PosixNetworkSystem(AddressResolver resolver = ResolveHostAddress,
                                size_t receiveBufferBytes = kReceiveBufferBytes);
    ~PosixNetworkSystem() override;

    // "net_socketMode" (0: local mode) and "net_joinAddress" (dotted IPv4, socket mode only).
    // The mode is read here, before Init.
    void RegisterVars();
    // Refused (false) once initialised: open sockets and queued datagrams belong to one mode.
    bool SetLocalMode(bool on);

    bool Startup() override;
    void Cleanup() override;
    void CloseSocket(NetworkEndpoint& endpoint) override;
    void Init() override;
    bool GetLocalAddress(sockaddr_in& out, uint16_t port, bool broadcast) override;
    bool GetJoinAddress(sockaddr_in& out, uint16_t port) override;
    bool OpenSocket(NetworkEndpoint& endpoint) override;
    bool Poll(const NetworkEndpoint& endpoint) override;
    bool SendTo(MessageBuffer& buffer, const NetworkEndpoint& sender, const sockaddr_in& destination) override;
    void Receive(MessageBuffer& out, const NetworkEndpoint& endpoint, sockaddr_in& sender) override;
    bool Flush(const NetworkEndpoint& endpoint) override;

    bool IsInitialised() const { return initialised; }

    static bool ResolveHostAddress(in_addr& out);
    // "a.b.c.d:port".
    static std::string AddressText(const sockaddr_in& address);

private:
    struct QueuedDatagram {
        std::vector<uint8_t> bytes;
        sockaddr_in sender{};
    };
    // One port's datagrams, oldest first from head on. Warned once per overflow, until it
    // empties again. A list and a head rather than a double-ended queue, whose blocks a steady
    // flow would make and free in turn.
    struct PortQueue {
        std::vector<QueuedDatagram> datagrams;
        size_t head = 0;
        bool overflowWarned = false;
        size_t Waiting() const { return datagrams.size() - head; }
    };
    // The bytes of datagrams taken, emptied with their room kept for the next ones queued;
    // at most this many, so that a burst of large ones is not held for ever.
    static constexpr size_t kMaxSpareDatagrams = 64;

    void Queue(MessageBuffer& buffer, const NetworkEndpoint& sender, const sockaddr_in& destination);
    bool TakeQueued(MessageBuffer& out, in_port_t port, sockaddr_in& sender);
    bool HasQueued(in_port_t port) const;
    // The oldest of the port's datagrams gone, its bytes kept among the spares.
    void DropOldest(PortQueue& port);
    static bool SocketReadable(int socket);
    bool SendOverSocket(const MessageBuffer& buffer, const NetworkEndpoint& sender, const sockaddr_in& destination);
    void ReceiveFromSocket(MessageBuffer& out, const NetworkEndpoint& endpoint, sockaddr_in& sender);
    static bool MakeAddress(sockaddr_in& out, in_addr_t networkAddress, uint16_t port);

    bool initialised = false;
    // By destination port in network byte order: taking one is a look-up, not a scan.
    std::unordered_map<in_port_t, PortQueue> queues;
    std::vector<std::vector<uint8_t>> spareBytes;
    AddressResolver resolver;
    std::vector<uint8_t> receiveBuffer;
    UserVarRef joinAddressVar;
};
