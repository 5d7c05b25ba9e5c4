// PosixNetworkSystem -- the datagram transport on Linux: the in-process queue of local mode and UDP sockets.
#include "platform/PosixNetworkSystem.h"

#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "core/UserVarSystem.h"

#include <arpa/inet.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr const char* kPosixNetworkDefaultJoinAddress = "255.255.255.255";

bool PosixNetworkSameHost(const sockaddr_in& a, const sockaddr_in& b)
{
    return a.sin_family == b.sin_family && a.sin_addr.s_addr == b.sin_addr.s_addr;
}

// What the test programs' guard lets through: 127.0.0.0/8 without its broadcast address.
bool PosixNetworkIsLoopbackUnicast(const sockaddr_in& address)
{
    uint32_t host = ntohl(address.sin_addr.s_addr);
    return (host >> 24) == 127 && host != 0x7FFFFFFFu;
}

} // namespace

PosixNetworkSystem::PosixNetworkSystem(AddressResolver resolver, size_t receiveBufferBytes)
    : resolver(std::move(resolver)), receiveBuffer(std::max<size_t>(receiveBufferBytes, 1))
{
}

PosixNetworkSystem::~PosixNetworkSystem()
{
    if (initialised && !localMode)
        Cleanup();
}

void PosixNetworkSystem::RegisterVars()
{
    UserVarRef socketMode = gUserVarSystem->RegisterVar("net_socketMode", "0");
    joinAddressVar = gUserVarSystem->RegisterVar("net_joinAddress", kPosixNetworkDefaultJoinAddress);
    SetLocalMode(socketMode.GetInt() == 0);
}

bool PosixNetworkSystem::SetLocalMode(bool on)
{
    if (initialised)
        return false;
    localMode = on;
    return true;
}

// The POSIX socket layer is part of the C library: there is nothing to start or stop.
bool PosixNetworkSystem::Startup()
{
    return true;
}

void PosixNetworkSystem::Cleanup()
{
}

void PosixNetworkSystem::CloseSocket(NetworkEndpoint& endpoint)
{
    if (endpoint.socket < 0)
        return;
    close(endpoint.socket);
    endpoint.socket = -1;
}

void PosixNetworkSystem::Init()
{
    if (initialised)
        return;
    DebugSystem::Print(kPrintDeveloper, "Initializing networking\n");
    if (!localMode && !Startup())
        return;
    initialised = true;
}

bool PosixNetworkSystem::MakeAddress(sockaddr_in& out, in_addr_t networkAddress, uint16_t port)
{
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    out.sin_addr.s_addr = networkAddress;
    return true;
}

bool PosixNetworkSystem::GetLocalAddress(sockaddr_in& out, uint16_t port, bool broadcast)
{
    memset(&out, 0, sizeof out);
    if (localMode)
        return MakeAddress(out, htonl(INADDR_LOOPBACK), port);
    if (broadcast)
        return MakeAddress(out, htonl(INADDR_BROADCAST), port);
    in_addr host{};
    if (!resolver || !resolver(host))
        return false;
    return MakeAddress(out, host.s_addr, port);
}

bool PosixNetworkSystem::GetJoinAddress(sockaddr_in& out, uint16_t port)
{
    memset(&out, 0, sizeof out);
    if (localMode)
        return MakeAddress(out, htonl(INADDR_LOOPBACK), port);
    std::string text = joinAddressVar.IsValid() ? joinAddressVar.GetString() : kPosixNetworkDefaultJoinAddress;
    in_addr join{};
    if (inet_pton(AF_INET, text.c_str(), &join) != 1) {
        DebugSystem::Print(kPrintWarning, "net_joinAddress \"%s\" is not an IPv4 address\n", text.c_str());
        return false;
    }
    return MakeAddress(out, join.s_addr, port);
}

bool PosixNetworkSystem::ResolveHostAddress(in_addr& out)
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0)
        return false;
    bool usable = found && found->ai_addr && found->ai_addrlen >= sizeof(sockaddr_in);
    if (usable)
        out = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return usable;
}

std::string PosixNetworkSystem::AddressText(const sockaddr_in& address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

bool PosixNetworkSystem::OpenSocket(NetworkEndpoint& endpoint)
{
    if (localMode)
        return true;
    int handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (handle < 0)
        return false;
    int on = 1;
    sockaddr_in bound{};
    socklen_t boundSize = sizeof bound;
    if (setsockopt(handle, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        bind(handle, reinterpret_cast<const sockaddr*>(&endpoint.address), sizeof endpoint.address) != 0 ||
        getsockname(handle, reinterpret_cast<sockaddr*>(&bound), &boundSize) != 0) {
        close(handle);
        return false;
    }
    // Best effort: a smaller buffer than asked still works, it only drops sooner.
    int receiveBytes = kSocketReceiveBytes;
    setsockopt(handle, SOL_SOCKET, SO_RCVBUF, &receiveBytes, sizeof receiveBytes);
    endpoint.socket = handle;
    endpoint.address.sin_port = bound.sin_port;
    return true;
}

bool PosixNetworkSystem::Poll(const NetworkEndpoint& endpoint)
{
    if (HasQueued(endpoint.address.sin_port))
        return true;
    return !localMode && SocketReadable(endpoint.socket);
}

// poll rather than select: select cannot watch a descriptor at or above FD_SETSIZE.
bool PosixNetworkSystem::SocketReadable(int socket)
{
    if (socket < 0)
        return false;
    pollfd watched{socket, POLLIN, 0};
    return poll(&watched, 1, 0) > 0 && (watched.revents & POLLIN) != 0;
}

bool PosixNetworkSystem::SendTo(MessageBuffer& buffer, const NetworkEndpoint& sender, const sockaddr_in& destination)
{
    if (buffer.Size() == 0)
        return false;
    // The port is not compared: a client and a world host on one machine share the queue.
    if (localMode || PosixNetworkSameHost(destination, sender.address)) {
        Queue(buffer, sender, destination);
        return true;
    }
    return SendOverSocket(buffer, sender, destination);
}

void PosixNetworkSystem::Queue(MessageBuffer& buffer, const NetworkEndpoint& sender, const sockaddr_in& destination)
{
    buffer.SetReadPos(0);
    PortQueue& port = queues[destination.sin_port];
    if (port.Waiting() >= kMaxQueuedPerPort) {
        if (!port.overflowWarned)
            DebugSystem::Print(kPrintWarning, "Over %zu datagrams wait for port %d: the oldest are dropped\n",
                               kMaxQueuedPerPort, ntohs(destination.sin_port));
        port.overflowWarned = true;
        DropOldest(port);
    }
    QueuedDatagram& datagram = port.datagrams.emplace_back();
    if (!spareBytes.empty()) {
        datagram.bytes.swap(spareBytes.back());
        spareBytes.pop_back();
    }
    datagram.bytes.assign(buffer.Data(), buffer.Data() + buffer.Size());
    datagram.sender = sender.address;
}

void PosixNetworkSystem::DropOldest(PortQueue& port)
{
    std::vector<uint8_t>& bytes = port.datagrams[port.head].bytes;
    if (spareBytes.size() < kMaxSpareDatagrams) {
        bytes.clear();
        spareBytes.push_back(std::move(bytes));
    }
    ++port.head;
    // Emptied, the list starts again at its front; a list never quite emptied drops what its
    // head has passed once that is half of it, so that it stays as long as its busiest moment.
    if (port.head == port.datagrams.size()) {
        port.datagrams.clear();
        port.head = 0;
    } else if (port.head * 2 >= port.datagrams.size()) {
        port.datagrams.erase(port.datagrams.begin(), port.datagrams.begin() + static_cast<std::ptrdiff_t>(port.head));
        port.head = 0;
    }
}

bool PosixNetworkSystem::SendOverSocket(const MessageBuffer& buffer, const NetworkEndpoint& sender,
                                        const sockaddr_in& destination)
{
    std::string to = AddressText(destination);
    if (buffer.Size() > kMaxDatagramBytes) {
        DebugSystem::Print(kPrintWarning, "Can't send %zu bytes to %s: a datagram holds at most %zu\n",
                           buffer.Size(), to.c_str(), kMaxDatagramBytes);
        return false;
    }
    if (IsLoopbackOnly() && !PosixNetworkIsLoopbackUnicast(destination)) {
        ReportRefusedSend(to);
        return false;
    }
    ssize_t sent;
    do {
        sent = sendto(sender.socket, buffer.Data(), buffer.Size(), 0, reinterpret_cast<const sockaddr*>(&destination),
                      sizeof destination);
    } while (sent < 0 && errno == EINTR);
    // A short send would deliver a cut datagram: it counts as a failure.
    return sent == static_cast<ssize_t>(buffer.Size());
}

void PosixNetworkSystem::Receive(MessageBuffer& out, const NetworkEndpoint& endpoint, sockaddr_in& sender)
{
    memset(&sender, 0, sizeof sender);
    if (TakeQueued(out, endpoint.address.sin_port, sender))
        return;
    if (!localMode)
        ReceiveFromSocket(out, endpoint, sender);
}

bool PosixNetworkSystem::HasQueued(in_port_t port) const
{
    auto found = queues.find(port);
    return found != queues.end() && found->second.Waiting() > 0;
}

bool PosixNetworkSystem::TakeQueued(MessageBuffer& out, in_port_t port, sockaddr_in& sender)
{
    auto found = queues.find(port);
    if (found == queues.end() || found->second.Waiting() == 0)
        return false;
    PortQueue& waiting = found->second;
    QueuedDatagram& datagram = waiting.datagrams[waiting.head];
    // An empty buffer takes the bytes over, its own storage going to the spares in their place;
    // one that holds bytes already gets them appended.
    if (out.Size() == 0)
        out.SwapBytes(datagram.bytes);
    else
        out.WriteBytes(datagram.bytes.data(), datagram.bytes.size());
    sender = datagram.sender;
    DropOldest(waiting);
    if (waiting.Waiting() == 0)
        waiting.overflowWarned = false;
    return true;
}

void PosixNetworkSystem::ReceiveFromSocket(MessageBuffer& out, const NetworkEndpoint& endpoint, sockaddr_in& sender)
{
    if (endpoint.socket < 0)
        return;
    socklen_t senderSize = sizeof sender;
    ssize_t received;
    // MSG_DONTWAIT: a Receive without a Poll before it must not hang the frame.
    do {
        received = recvfrom(endpoint.socket, receiveBuffer.data(), receiveBuffer.size(), MSG_TRUNC | MSG_DONTWAIT,
                            reinterpret_cast<sockaddr*>(&sender), &senderSize);
    } while (received < 0 && errno == EINTR);
    if (received < 0) {
        memset(&sender, 0, sizeof sender);
        return;
    }
    // MSG_TRUNC makes recvfrom report the datagram's whole length: a cut datagram is never delivered.
    if (static_cast<size_t>(received) > receiveBuffer.size()) {
        DebugSystem::Print(kPrintWarning, "Dropped a %zd-byte datagram from %s: larger than %zu bytes\n", received,
                           AddressText(sender).c_str(), receiveBuffer.size());
        memset(&sender, 0, sizeof sender);
        return;
    }
    out.WriteBytes(receiveBuffer.data(), static_cast<size_t>(received));
}

bool PosixNetworkSystem::Flush(const NetworkEndpoint& endpoint)
{
    MessageBuffer scratch;
    sockaddr_in sender{};
    for (int count = 0; count < kMaxFlushDatagrams && Poll(endpoint); ++count) {
        scratch.Clear();
        Receive(scratch, endpoint, sender);
    }
    return false;
}
