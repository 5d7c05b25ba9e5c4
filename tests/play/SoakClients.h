// SoakClients -- the bot soak's other clients: this test program run again once per client, each joining the soak's world host over loopback sockets, and what each one's mirror held of its player, written to a file and read back; the watchdog on a run whose frames stopped.
#pragma once

#include "client/PlayerClient.h"
#include "entities/Player.h"
#include "platform/PosixNetworkSystem.h"

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What a client's mirror holds of its player, or what the world host holds of that player, in
// one shape, so the two can be compared even when they live in different processes.
struct SoakPlayerView {
    int32_t entity = -1;
    int32_t level = -1;
    float x = 0.0f;
    float y = 0.0f;
    // The attributes, the stats the player's part carries, then the skills.
    std::vector<int32_t> stats;
    // From the body's state: the player's part does not carry them.
    int32_t health = 0;
    int32_t maxHealth = 0;
    // The inventory as the game writes it, in hex.
    std::string inventory;

    static SoakPlayerView Of(const PlayerClient& mirror);
    static SoakPlayerView Of(Player& host);
    std::string Text() const;
    // False for a file that is cut short or not one of these.
    bool Parse(const std::string& text);
};

// The items a character file keeps of the mirror, as the game writes them in hex: every bag but
// the opened-container bag, which mirrors what the player looks into (a trader's goods).
std::string SoakKeptItems(const PlayerClient& mirror);

// The stat numbers a view lists, in its order.
std::vector<int32_t> SoakComparedStats();

// Every difference between a mirror and the host's view, each named; empty when they agree.
std::vector<std::string> SoakViewDifferences(const SoakPlayerView& mirror, const SoakPlayerView& host);

// The run's loopback addresses: the world host and the test's own client on host byte 1, the
// other clients on 2, 3 and so on. The middle bytes come from the run's process id, so two runs
// on one machine bind apart; every address lies in 127.0.0.0/8.
std::string SoakAddress(pid_t run, int32_t client);

// One other client: the test program started again with only the bot-client case selected and
// what it needs in its environment, its output kept in the exchange folder. Killed and reaped
// when the record goes, whatever ended the test.
class SoakClientProcess {
public:
    // Environment names the child reads.
    static constexpr const char* kExchangeVar = "EMBERLODE_SOAK_EXCHANGE";
    static constexpr const char* kClientVar = "EMBERLODE_SOAK_CLIENT";
    static constexpr const char* kAddressVar = "EMBERLODE_SOAK_ADDRESS";
    static constexpr const char* kHostVar = "EMBERLODE_SOAK_HOST";
    static constexpr const char* kParentVar = "EMBERLODE_SOAK_PARENT";

    // Called by the child first: it is killed when the test's process ends in any way, so no
    // bot plays on without the test; false when that process is gone already.
    static bool DieWithTheParent();

    SoakClientProcess() = default;
    ~SoakClientProcess();
    SoakClientProcess(const SoakClientProcess&) = delete;
    SoakClientProcess& operator=(const SoakClientProcess&) = delete;

    // False (and a failure) when the program could not be started.
    bool Start(const std::filesystem::path& exchange, int32_t client, const std::string& address,
               const std::string& host, const std::string& filter);
    // Whether it has ended; its exit status is kept once it has.
    bool HasEnded();
    bool Succeeded() const { return ended && status == 0; }
    // How it ended, for a failure's message: its exit status or the signal that killed it.
    std::string EndText() const;
    // The last lines it wrote, for a failure message.
    std::string OutputTail() const;
    void Kill();

private:
    pid_t pid = -1;
    bool ended = false;
    int status = -1;
    std::filesystem::path output;
};

// A soak process's loopback sockets, counting the datagrams its client takes: a joined client's
// clock asks whether the world host has said anything since the last frame.
class SoakCountingNetwork : public PosixNetworkSystem {
public:
    using PosixNetworkSystem::PosixNetworkSystem;
    void Receive(MessageBuffer& out, const NetworkEndpoint& endpoint, sockaddr_in& sender) override;
    uint64_t Heard() const { return heard; }

private:
    uint64_t heard = 0;
};

// The game time of another client's frames. The bots' frames each add a fixed step of game time,
// and a client process runs them far faster than the wall clock while the world host's process
// is slow to send (a long frame of its own, a new level made): a host silent for a few seconds
// would then have been silent past the client's minute, and the client would leave the game. So
// a frame after which the host said nothing counts no more time than the wall clock saw pass; a
// frame after the host spoke keeps its own step, as the bots' play is built on it.
class SoakClientClock {
public:
    using Milliseconds = std::function<uint64_t()>;
    explicit SoakClientClock(Milliseconds wall);

    // The client's time once the frames' game time has reached `played` and the client has taken
    // `heard` datagrams in all; read as often as wanted within a frame.
    uint64_t Read(uint64_t played, uint64_t heard);

private:
    Milliseconds wall;
    bool started = false;
    uint64_t time = 0;
    uint64_t lastPlayed = 0;
    uint64_t lastWall = 0;
    uint64_t lastHeard = 0;
};

// Ends a run whose frames have stopped. A busy machine makes a run slow, never stops it: what
// bounds the soak is its work (a count of game time per step), so the only wall-clock limit left is
// this one, on a count that has stood still (a lock that never opens, a wait on nothing) for the
// allowance. The wall clock is given, so that a test can step it.
class SoakWatchdog {
public:
    using Milliseconds = std::function<uint64_t()>;
    SoakWatchdog(uint64_t allowanceMs, Milliseconds wall, std::function<void()> onStopped);
    ~SoakWatchdog();
    SoakWatchdog(const SoakWatchdog&) = delete;
    SoakWatchdog& operator=(const SoakWatchdog&) = delete;

    // From any thread: the count of work done so far.
    void Progress(uint64_t count) { progress.store(count); }
    // False, once onStopped has run, when the count has not moved for the allowance.
    bool Check();
    // Checks every second on a thread of its own until the watchdog goes.
    void Start();

private:
    uint64_t allowanceMs;
    Milliseconds wall;
    std::function<void()> onStopped;
    std::atomic<uint64_t> progress{0};
    uint64_t lastSeen = 0;
    uint64_t lastMoved = 0;
    bool checked = false;
    bool fired = false;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::thread thread;
};

// A crash's stack on stderr: glibc's own abort for a corrupted heap ("free(): corrupted unsorted
// chunks") and a bare segmentation fault say nothing of where they happened. Not installed under
// a sanitizer, whose own report says more.
namespace SoakCrashStack {
inline constexpr const char* kHeading = "The soak process crashed: ";
void Install();
} // namespace SoakCrashStack

// Files in the exchange folder through which the test and its other clients keep step.
namespace SoakExchange {
// Written by the test: stop playing and stand still.
inline constexpr const char* kStop = "stop";
// Written by the test once its world host has run its last frame.
inline constexpr const char* kFrozen = "frozen";
std::filesystem::path Settled(const std::filesystem::path& exchange, int32_t client);
std::filesystem::path View(const std::filesystem::path& exchange, int32_t client);
// Written by each other client: its game folder, and what it last saw of its game.
std::filesystem::path Folder(const std::filesystem::path& exchange, int32_t client);
std::filesystem::path State(const std::filesystem::path& exchange, int32_t client);
// What a client left behind for a failure's message: its last state and its log's last lines.
std::string Report(const std::filesystem::path& exchange, int32_t client);
// Written whole under another name and then renamed, so a reader never sees half of it.
void Publish(const std::filesystem::path& file, const std::string& text);
std::string Read(const std::filesystem::path& file);
} // namespace SoakExchange
