// PosixNetworkSystemTest -- local mode's queue by port and order, and socket mode on loopback: exact bytes, the self-address rule, sizes and the send guard.
#include "platform/PosixNetworkSystem.h"

#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "core/UserVarSystem.h"
#include "support/LogLines.h"

#include "BenchAllocations.h"

#include <arpa/inet.h>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Every wait is for a descriptor to become readable, bounded: 200 polls of at most 10 ms.
constexpr int kNetworkWaitPolls = 200;
constexpr int kNetworkWaitSliceMs = 10;

sockaddr_in LoopbackAddress(const char* dotted, uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, dotted, &address.sin_addr);
    return address;
}

std::vector<uint8_t> Pattern(size_t count, uint8_t seed)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return bytes;
}

MessageBuffer BufferOf(const std::vector<uint8_t>& bytes)
{
    MessageBuffer buffer;
    buffer.WriteBytes(bytes.data(), bytes.size());
    return buffer;
}

std::vector<uint8_t> BytesOf(const MessageBuffer& buffer)
{
    return std::vector<uint8_t>(buffer.Data(), buffer.Data() + buffer.Size());
}

bool SameAddress(const sockaddr_in& a, const sockaddr_in& b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

bool WaitReadable(int socket)
{
    pollfd watched{socket, POLLIN, 0};
    for (int i = 0; i < kNetworkWaitPolls; ++i) {
        if (poll(&watched, 1, kNetworkWaitSliceMs) > 0)
            return true;
    }
    return false;
}

// A plain UDP socket beside the network system, bound to a loopback address and a free port.
class RawUdpSocket {
public:
    explicit RawUdpSocket(const char* dotted, uint16_t port = 0) : address(LoopbackAddress(dotted, port))
    {
        handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        socklen_t size = sizeof address;
        bound = handle >= 0 && bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                getsockname(handle, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    }
    ~RawUdpSocket()
    {
        if (handle >= 0)
            close(handle);
    }
    RawUdpSocket(const RawUdpSocket&) = delete;
    RawUdpSocket& operator=(const RawUdpSocket&) = delete;

    bool SendTo(const std::vector<uint8_t>& bytes, const sockaddr_in& to) const
    {
        return sendto(handle, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
               static_cast<ssize_t>(bytes.size());
    }
    // What waits now, without waiting; empty when nothing does.
    std::vector<uint8_t> TakeWaiting() const
    {
        std::vector<uint8_t> bytes(70000);
        ssize_t got = recv(handle, bytes.data(), bytes.size(), MSG_DONTWAIT);
        bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
        return bytes;
    }

    int handle = -1;
    bool bound = false;
    sockaddr_in address{};
};

class NetworkWorld : public ::testing::Test {
protected:
    NetworkWorld()
    {
        gDebugSystem = &debug;
        debug.SetDeveloper(true);
        debug.SetMaxConsoleLines(1 << 16);
        network.GetLocalAddress(client.address, kClientPort, false);
        network.GetLocalAddress(host.address, kWorldHostPort, false);
    }

    // The bytes of one Receive, with its sender.
    std::vector<uint8_t> ReceiveOne(const NetworkEndpoint& endpoint, sockaddr_in& sender)
    {
        MessageBuffer out;
        network.Receive(out, endpoint, sender);
        return BytesOf(out);
    }

    bool Send(const std::vector<uint8_t>& bytes, const NetworkEndpoint& from, const sockaddr_in& to)
    {
        MessageBuffer buffer = BufferOf(bytes);
        return network.SendTo(buffer, from, to);
    }

    DebugSystem debug;
    PosixNetworkSystem network;
    NetworkEndpoint client;
    NetworkEndpoint host;
    sockaddr_in sender{};
};

} // namespace

TEST_F(NetworkWorld, InitSaysSoOnceAndLocalAddressIsLoopbackWhateverIsAsked)
{
    network.Init();
    network.Init();
    EXPECT_EQ(CountLinesHolding(debug, "Initializing networking"), 1);
    EXPECT_TRUE(network.IsInitialised());
    EXPECT_FALSE(network.SetLocalMode(false)) << "the mode is fixed once initialised";
    EXPECT_TRUE(network.IsLocalMode());

    sockaddr_in address;
    memset(&address, 0xAB, sizeof address);
    ASSERT_TRUE(network.GetLocalAddress(address, kWorldHostPort, true));
    // The 16-byte record: family, port and address in network order, then eight zeros.
    const uint8_t expected[16] = {AF_INET & 0xFF, AF_INET >> 8, 0x13, 0x8A, 127, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(memcmp(&address, expected, sizeof expected), 0);
    ASSERT_TRUE(network.GetJoinAddress(address, kWorldHostPort));
    EXPECT_TRUE(SameAddress(address, LoopbackAddress("127.0.0.1", kWorldHostPort)));
}

TEST_F(NetworkWorld, LocalClientReachesHostAndTheAnswerComesBack)
{
    MessageBuffer join;
    join.WriteString("join");
    join.WriteInt(-7);
    join.ReadString();
    ASSERT_TRUE(network.SendTo(join, client, host.address));
    EXPECT_EQ(join.GetReadPos(), 0u) << "the sent buffer is read again from its start";
    EXPECT_FALSE(network.Poll(client));
    ASSERT_TRUE(network.Poll(host));
    EXPECT_EQ(ReceiveOne(host, sender), BytesOf(join));
    EXPECT_TRUE(SameAddress(sender, LoopbackAddress("127.0.0.1", kClientPort)));

    ASSERT_TRUE(Send({1, 0, 255}, host, sender));
    ASSERT_TRUE(network.Poll(client));
    EXPECT_EQ(ReceiveOne(client, sender), (std::vector<uint8_t>{1, 0, 255}));
    EXPECT_TRUE(SameAddress(sender, host.address));
    EXPECT_FALSE(network.Poll(host));
    EXPECT_FALSE(network.Poll(client));
}

TEST_F(NetworkWorld, LocalDestinationAddressIsIgnoredOnlyThePortDecides)
{
    // Queued in the process: local mode never opens a socket, so nothing leaves it.
    ASSERT_TRUE(Send({42}, client, LoopbackAddress("127.0.0.9", kWorldHostPort)));
    EXPECT_FALSE(network.Poll(client));
    EXPECT_TRUE(network.Poll(host));
    EXPECT_EQ(ReceiveOne(host, sender), (std::vector<uint8_t>{42}));
}

TEST_F(NetworkWorld, DatagramsForOnePortComeOldestFirstOnePerReceive)
{
    ASSERT_TRUE(Send({1}, client, host.address));
    ASSERT_TRUE(Send({9}, host, client.address));
    ASSERT_TRUE(Send({2, 2}, client, host.address));
    EXPECT_EQ(ReceiveOne(host, sender), (std::vector<uint8_t>{1}));
    EXPECT_EQ(ReceiveOne(host, sender), (std::vector<uint8_t>{2, 2}));
    EXPECT_FALSE(network.Poll(host));
    EXPECT_EQ(ReceiveOne(client, sender), (std::vector<uint8_t>{9}));
}

TEST_F(NetworkWorld, EmptyBufferIsRefusedAndQueuesNothing)
{
    MessageBuffer empty;
    EXPECT_FALSE(network.SendTo(empty, client, host.address));
    EXPECT_FALSE(network.Poll(host));
}

TEST_F(NetworkWorld, NothingWaitingPollsFalseAndReceiveClearsTheSender)
{
    EXPECT_FALSE(network.Poll(host));
    memset(&sender, 0x5A, sizeof sender);
    EXPECT_TRUE(ReceiveOne(host, sender).empty());
    EXPECT_TRUE(SameAddress(sender, sockaddr_in{}));
}

TEST_F(NetworkWorld, FlushEmptiesOnlyItsPortAndReturnsFalse)
{
    for (uint8_t i = 0; i < 3; ++i)
        ASSERT_TRUE(Send({i}, client, host.address));
    ASSERT_TRUE(Send({7}, host, client.address));
    EXPECT_FALSE(network.Flush(host));
    EXPECT_FALSE(network.Poll(host));
    EXPECT_EQ(ReceiveOne(client, sender), (std::vector<uint8_t>{7}));
}

TEST_F(NetworkWorld, FlushStopsAfterItsBoundSoAFloodCannotSpinIt)
{
    for (int i = 0; i <= PosixNetworkSystem::kMaxFlushDatagrams; ++i)
        ASSERT_TRUE(Send({1}, client, host.address));
    network.Flush(host);
    // One past the bound is left.
    ASSERT_TRUE(network.Poll(host));
    EXPECT_EQ(ReceiveOne(host, sender), (std::vector<uint8_t>{1}));
    EXPECT_FALSE(network.Poll(host));
}

TEST_F(NetworkWorld, APortsQueueIsBoundedTheOldestGoingWithOneWarning)
{
    const size_t bound = PosixNetworkSystem::kMaxQueuedPerPort;
    for (size_t i = 0; i < bound + 10; ++i)
        ASSERT_TRUE(Send({static_cast<uint8_t>(i & 0xFF), static_cast<uint8_t>(i >> 8)}, client, host.address));
    // The other port's datagram is not pushed out: it is received last.
    ASSERT_TRUE(Send({77}, host, client.address));
    EXPECT_EQ(CountLinesHolding(debug, "datagrams wait for port"), 1);
    // The ten oldest went; the rest come in order.
    EXPECT_EQ(ReceiveOne(host, sender), (std::vector<uint8_t>{10, 0}));
    for (size_t i = 11; i < bound + 10; ++i)
        ASSERT_EQ(ReceiveOne(host, sender), (std::vector<uint8_t>{static_cast<uint8_t>(i & 0xFF), static_cast<uint8_t>(i >> 8)}));
    EXPECT_FALSE(network.Poll(host));
    EXPECT_EQ(ReceiveOne(client, sender), (std::vector<uint8_t>{77}));
    // Emptied, the port warns again at its next overflow.
    for (size_t i = 0; i <= bound; ++i)
        ASSERT_TRUE(Send({1}, client, host.address));
    EXPECT_EQ(CountLinesHolding(debug, "datagrams wait for port"), 2);
}

TEST_F(NetworkWorld, AHostAndClientTradingUpdatesThroughTheQueueAllocateNothingOnceWarm)
{
    // As the two halves of a game do: a kept buffer written and sent each frame, a kept buffer
    // cleared and received into; the reader a datagram behind, so the queue never empties.
    MessageBuffer update;
    MessageBuffer received;
    auto send = [&](int32_t number) {
        update.Clear();
        for (int32_t i = 0; i < 50 + (number & 7); ++i)
            update.WriteInt(number + i);
        return network.SendTo(update, host, client.address);
    };
    auto receive = [&] {
        received.Clear();
        network.Receive(received, client, sender);
        received.SetReadPos(0);
        return received.ReadInt();
    };
    int32_t wrong = 0;
    auto frames = [&](int32_t from, int32_t to) {
        for (int32_t number = from; number < to; ++number)
            wrong += send(number) && receive() == number - 1 ? 0 : 1;
    };
    ASSERT_TRUE(send(0));
    frames(1, 100);
    BenchAllocations::Reset();
    BenchAllocations::SetCounting(true);
    frames(100, 1100);
    BenchAllocations::SetCounting(false);
    EXPECT_EQ(wrong, 0) << "every datagram came whole and in order";
    EXPECT_EQ(BenchAllocations::Count(), 0);
    // The last one sent still waits, and only it.
    ASSERT_TRUE(network.Poll(client));
    EXPECT_EQ(receive(), 1099);
    EXPECT_FALSE(network.Poll(client));
}

TEST_F(NetworkWorld, AReceiveIntoAFilledBufferAppendsTheDatagram)
{
    ASSERT_TRUE(Send({5, 6}, client, host.address));
    MessageBuffer out;
    const uint8_t first = 1;
    out.WriteBytes(&first, 1);
    network.Receive(out, host, sender);
    EXPECT_EQ(std::vector<uint8_t>(out.Data(), out.Data() + out.Size()), (std::vector<uint8_t>{1, 5, 6}));
}

TEST_F(NetworkWorld, LocalModeCarriesDatagramsOfAnySize)
{
    std::vector<uint8_t> update = Pattern(100000, 3);
    ASSERT_TRUE(Send(update, host, client.address));
    EXPECT_EQ(ReceiveOne(client, sender), update);
}

TEST_F(NetworkWorld, SettingsChooseTheModeAndTheJoinAddress)
{
    UserVarSystem vars;
    gUserVarSystem = &vars;
    // Reads "net_socketMode" as it registers it.
    vars.SetStringByName("net_socketMode", "1");
    vars.SetStringByName("net_joinAddress", "127.0.0.9");
    network.RegisterVars();
    EXPECT_FALSE(network.IsLocalMode());
    sockaddr_in join;
    EXPECT_TRUE(network.GetJoinAddress(join, kWorldHostPort));
    EXPECT_TRUE(SameAddress(join, LoopbackAddress("127.0.0.9", kWorldHostPort)));

    vars.SetStringByName("net_joinAddress", "127.0.0.x");
    EXPECT_FALSE(network.GetJoinAddress(join, kWorldHostPort));
    EXPECT_EQ(CountLinesHolding(debug, "\"127.0.0.x\" is not an IPv4 address"), 1);
}

TEST(NetworkSocketAddress, ResolverBroadcastAndJoinDefaultInSocketMode)
{
    bool resolves = true;
    PosixNetworkSystem network([&resolves](in_addr& out) {
        inet_pton(AF_INET, "127.0.0.5", &out);
        return resolves;
    });
    ASSERT_TRUE(network.SetLocalMode(false));
    sockaddr_in address{};
    ASSERT_TRUE(network.GetLocalAddress(address, kClientPort, false));
    EXPECT_TRUE(SameAddress(address, LoopbackAddress("127.0.0.5", kClientPort)));
    ASSERT_TRUE(network.GetLocalAddress(address, kClientPort, true));
    EXPECT_TRUE(SameAddress(address, LoopbackAddress("255.255.255.255", kClientPort)));
    ASSERT_TRUE(network.GetJoinAddress(address, kWorldHostPort));
    EXPECT_TRUE(SameAddress(address, LoopbackAddress("255.255.255.255", kWorldHostPort)));
    resolves = false;
    EXPECT_FALSE(network.GetLocalAddress(address, kClientPort, false));
}

namespace {

// Socket mode: the world host on 127.0.0.1 and the client on 127.0.0.2, each on a free port.
class SocketWorld : public NetworkWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(network.SetLocalMode(false));
        network.Init();
        ASSERT_TRUE(network.IsInitialised());
        host.address = LoopbackAddress("127.0.0.1", 0);
        client.address = LoopbackAddress("127.0.0.2", 0);
        ASSERT_TRUE(network.OpenSocket(host));
        ASSERT_TRUE(network.OpenSocket(client));
        ASSERT_NE(host.address.sin_port, 0) << "the bound port is written back";
        ASSERT_NE(client.address.sin_port, 0);
    }
    void TearDown() override
    {
        network.CloseSocket(host);
        network.CloseSocket(client);
    }

    // The bytes of the next datagram for the endpoint, waiting for it to arrive.
    std::vector<uint8_t> AwaitOne(const NetworkEndpoint& endpoint)
    {
        if (!network.Poll(endpoint) && !WaitReadable(endpoint.socket))
            return {};
        EXPECT_TRUE(network.Poll(endpoint));
        return ReceiveOne(endpoint, sender);
    }
};

} // namespace

TEST_F(SocketWorld, OneDatagramEachWayWithExactBytesAndSenders)
{
    std::vector<uint8_t> join = {'j', 0, 0xFF, 0x80, 1};
    ASSERT_TRUE(Send(join, client, host.address));
    EXPECT_TRUE(WaitReadable(host.socket)) << "another address goes over the socket";
    EXPECT_EQ(AwaitOne(host), join);
    EXPECT_TRUE(SameAddress(sender, client.address));

    std::vector<uint8_t> answer = Pattern(1999, 11);
    ASSERT_TRUE(Send(answer, host, sender));
    EXPECT_EQ(AwaitOne(client), answer);
    EXPECT_TRUE(SameAddress(sender, host.address));
}

TEST_F(SocketWorld, DatagramToOwnAddressGoesThroughTheQueueAnyPort)
{
    RawUdpSocket listener("127.0.0.2");
    ASSERT_TRUE(listener.bound);
    ASSERT_TRUE(Send({5, 6}, client, listener.address));
    NetworkEndpoint sameHost;
    sameHost.address = listener.address;
    EXPECT_TRUE(network.Poll(sameHost)) << "waiting at once: no socket was involved";
    EXPECT_EQ(ReceiveOne(sameHost, sender), (std::vector<uint8_t>{5, 6}));
    EXPECT_TRUE(SameAddress(sender, client.address));

    // A marker over the same socket: had the datagram been sent, it would be there before it.
    ASSERT_EQ(sendto(client.socket, "m", 1, 0, reinterpret_cast<const sockaddr*>(&listener.address),
                     sizeof listener.address),
              1);
    ASSERT_TRUE(WaitReadable(listener.handle));
    EXPECT_EQ(listener.TakeWaiting(), (std::vector<uint8_t>{'m'}));
}

TEST_F(SocketWorld, QueuedDatagramsComeBeforeSocketOnes)
{
    ASSERT_TRUE(Send({1}, client, host.address));
    ASSERT_TRUE(WaitReadable(host.socket));
    ASSERT_TRUE(Send({2}, host, host.address));
    EXPECT_EQ(ReceiveOne(host, sender), (std::vector<uint8_t>{2}));
    EXPECT_TRUE(SameAddress(sender, host.address));
    EXPECT_EQ(ReceiveOne(host, sender), (std::vector<uint8_t>{1}));
    EXPECT_TRUE(SameAddress(sender, client.address));
}

TEST_F(SocketWorld, DatagramsAboveTheOldLimitArriveWholeUpToTheLargest)
{
    RawUdpSocket raw("127.0.0.3");
    ASSERT_TRUE(raw.bound);
    std::vector<uint8_t> update = Pattern(3000, 1);
    ASSERT_TRUE(raw.SendTo(update, host.address));
    EXPECT_EQ(AwaitOne(host), update);
    EXPECT_TRUE(SameAddress(sender, raw.address));

    std::vector<uint8_t> largest = Pattern(PosixNetworkSystem::kMaxDatagramBytes, 2);
    ASSERT_TRUE(Send(largest, client, host.address));
    EXPECT_EQ(AwaitOne(host), largest);
}

TEST_F(SocketWorld, SendAboveTheLargestDatagramIsRefusedWithAWarning)
{
    EXPECT_FALSE(Send(Pattern(PosixNetworkSystem::kMaxDatagramBytes + 1, 0), client, host.address));
    EXPECT_FALSE(Send(Pattern(70000, 0), client, host.address));
    EXPECT_EQ(CountLinesHolding(debug, "a datagram holds at most 65507"), 2);
    // A marker proves nothing else is on its way.
    ASSERT_TRUE(Send({3}, client, host.address));
    EXPECT_EQ(AwaitOne(host), (std::vector<uint8_t>{3}));
}

TEST_F(SocketWorld, ReceiveWithoutPollNeverWaits)
{
    EXPECT_FALSE(network.Poll(host));
    EXPECT_TRUE(ReceiveOne(host, sender).empty());
    EXPECT_TRUE(SameAddress(sender, sockaddr_in{}));
}

TEST_F(SocketWorld, FlushEmptiesTheSocketAndTheQueue)
{
    ASSERT_TRUE(Send({1}, client, host.address));
    ASSERT_TRUE(WaitReadable(host.socket));
    ASSERT_TRUE(Send({2}, host, host.address));
    EXPECT_FALSE(network.Flush(host));
    EXPECT_FALSE(network.Poll(host));
    ASSERT_TRUE(Send({3}, client, host.address));
    EXPECT_EQ(AwaitOne(host), (std::vector<uint8_t>{3}));
}

// The world host reads its socket once a frame: a long frame while its clients send must not
// cost the datagrams that wait (a join request among them), nor a client's long frame the host's
// updates. 600 datagrams of a kilobyte are some three times what a socket holds by default.
TEST_F(SocketWorld, ASocketHoldsWhatArrivesWhileItsOwnerIsBusy)
{
    constexpr int kDatagrams = 600;
    std::ifstream limit("/proc/sys/net/core/rmem_max");
    long rmemMax = 0;
    if (!(limit >> rmemMax) || rmemMax < 2 * 1024 * 1024)
        GTEST_SKIP() << "net.core.rmem_max (" << rmemMax << ") lets no socket hold more than the default";
    std::vector<uint8_t> update = Pattern(1000, 5);
    for (int i = 0; i < kDatagrams; ++i)
        ASSERT_TRUE(Send(update, client, host.address));
    int received = 0;
    while (received < kDatagrams && (network.Poll(host) || WaitReadable(host.socket))) {
        EXPECT_EQ(ReceiveOne(host, sender), update);
        ++received;
    }
    EXPECT_EQ(received, kDatagrams) << "the socket dropped what its owner had not yet read";
}

TEST_F(SocketWorld, OpeningAPortAlreadyBoundFailsAndLeavesNoSocket)
{
    NetworkEndpoint second;
    second.address = host.address;
    EXPECT_FALSE(network.OpenSocket(second));
    EXPECT_EQ(second.socket, -1);
}

TEST(NetworkCutDatagram, LargerThanTheReceiveBufferIsDroppedWholeNeverCut)
{
    DebugSystem debug;
    gDebugSystem = &debug;
    PosixNetworkSystem network(PosixNetworkSystem::ResolveHostAddress, 2000);
    ASSERT_TRUE(network.SetLocalMode(false));
    NetworkEndpoint host;
    host.address = LoopbackAddress("127.0.0.1", 0);
    ASSERT_TRUE(network.OpenSocket(host));
    RawUdpSocket raw("127.0.0.1");
    ASSERT_TRUE(raw.bound);

    ASSERT_TRUE(raw.SendTo(Pattern(2001, 4), host.address));
    ASSERT_TRUE(WaitReadable(host.socket));
    MessageBuffer out;
    sockaddr_in sender{};
    network.Receive(out, host, sender);
    EXPECT_EQ(out.Size(), 0u);
    EXPECT_TRUE(SameAddress(sender, sockaddr_in{}));
    EXPECT_EQ(CountLinesHolding(debug, "Dropped a 2001-byte datagram"), 1);

    std::vector<uint8_t> fits = Pattern(2000, 5);
    ASSERT_TRUE(raw.SendTo(fits, host.address));
    ASSERT_TRUE(WaitReadable(host.socket));
    network.Receive(out, host, sender);
    EXPECT_EQ(BytesOf(out), fits);
    network.CloseSocket(host);
}

namespace {

// Swaps the test program's report of refused sends for the test's own, and back.
class ScopedRefusedSendReport {
public:
    explicit ScopedRefusedSendReport(NetworkSystem::RefusedSendReport report)
        : programReport(NetworkSystem::GetRefusedSendReport())
    {
        NetworkSystem::SetLoopbackOnly(std::move(report));
    }
    ~ScopedRefusedSendReport() { NetworkSystem::SetLoopbackOnly(programReport); }

private:
    NetworkSystem::RefusedSendReport programReport;
};

} // namespace

TEST(NetworkSendGuard, RefusesEveryAddressOutsideLoopback)
{
    DebugSystem debug;
    gDebugSystem = &debug;
    ASSERT_TRUE(NetworkSystem::IsLoopbackOnly()) << "every test program switches the guard on";
    std::vector<std::string> refused;
    ScopedRefusedSendReport counting([&refused](const std::string& to) { refused.push_back(to); });

    PosixNetworkSystem network;
    ASSERT_TRUE(network.SetLocalMode(false));
    // Never opened: had the guard let a send through, the send itself would have failed.
    NetworkEndpoint unopened;
    unopened.address = LoopbackAddress("127.0.0.2", kClientPort);
    MessageBuffer buffer = BufferOf({1, 2, 3});
    EXPECT_FALSE(network.SendTo(buffer, unopened, LoopbackAddress("192.0.2.1", kWorldHostPort)));
    EXPECT_FALSE(network.SendTo(buffer, unopened, LoopbackAddress("128.0.0.1", kWorldHostPort)));
    EXPECT_FALSE(network.SendTo(buffer, unopened, LoopbackAddress("127.255.255.255", kWorldHostPort)));
    EXPECT_FALSE(network.SendTo(buffer, unopened, LoopbackAddress("127.255.255.254", kWorldHostPort)));

    EXPECT_EQ(refused, (std::vector<std::string>{"192.0.2.1:5002", "128.0.0.1:5002", "127.255.255.255:5002"}));
    EXPECT_EQ(CountLinesHolding(debug, "Refused a datagram to 192.0.2.1:5002"), 1);
}
