// SoakClients -- the bot soak's other clients: this test program run again once per client, each joining the soak's world host over loopback sockets, and what each one's mirror held of its player, written to a file and read back.
#include "play/SoakClients.h"

#include "core/MessageBuffer.h"
#include "entities/Inventory.h"
#include "rules/PlayerPartLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/prctl.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace {

std::string SoakHex(const MessageBuffer& bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.Size() * 2);
    for (size_t i = 0; i < bytes.Size(); ++i) {
        uint8_t byte = bytes.Data()[i];
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

} // namespace

std::vector<int32_t> SoakComparedStats()
{
    std::vector<int32_t> stats;
    for (int32_t stat = 0; stat < PlayerPartLayout::kAttributes; ++stat)
        stats.push_back(stat);
    for (int32_t stat : PlayerPartLayout::kStats)
        stats.push_back(stat);
    for (int32_t stat = CharacterStat::Skill1; stat <= CharacterStat::Skill60; ++stat)
        stats.push_back(stat);
    return stats;
}

SoakPlayerView SoakPlayerView::Of(const PlayerClient& mirror)
{
    SoakPlayerView view;
    view.entity = mirror.GetEntityNumber();
    const WorldPos at = mirror.GetPosition();
    view.level = at.level;
    view.x = at.x;
    view.y = at.y;
    for (int32_t stat : SoakComparedStats())
        view.stats.push_back(mirror.GetStat(stat));
    if (const EntityClient* body = mirror.GetBody()) {
        view.health = body->health;
        view.maxHealth = body->maxHealth;
    }
    MessageBuffer items;
    mirror.GetInventory().Write(items, false);
    view.inventory = SoakHex(items);
    return view;
}

std::string SoakKeptItems(const PlayerClient& mirror)
{
    MessageBuffer items;
    mirror.GetInventory().Write(items, false, InventoryGroupIndex::Loot, nullptr);
    return SoakHex(items);
}

SoakPlayerView SoakPlayerView::Of(Player& host)
{
    SoakPlayerView view;
    view.entity = host.entityNumber;
    view.level = host.position.level;
    view.x = host.position.x;
    view.y = host.position.y;
    for (int32_t stat : SoakComparedStats())
        view.stats.push_back(host.GetStat(stat));
    view.health = host.health;
    view.maxHealth = host.maxHealth;
    // As the game update writes it: the container the player looks into (a trader's goods) in
    // the opened-container bag.
    MessageBuffer items;
    host.inventory->Write(items, false, InventoryGroupIndex::Loot, host.GetBag(InventoryGroupIndex::Loot));
    view.inventory = SoakHex(items);
    return view;
}

std::string SoakPlayerView::Text() const
{
    std::ostringstream text;
    text << entity << ' ' << level << ' ' << x << ' ' << y << ' ' << health << ' ' << maxHealth << ' '
         << stats.size();
    for (int32_t value : stats)
        text << ' ' << value;
    text << ' ' << (inventory.empty() ? "-" : inventory) << '\n';
    return text.str();
}

bool SoakPlayerView::Parse(const std::string& text)
{
    std::istringstream in(text);
    size_t count = 0;
    if (!(in >> entity >> level >> x >> y >> health >> maxHealth >> count) || count > 4096)
        return false;
    stats.assign(count, 0);
    for (int32_t& value : stats)
        if (!(in >> value))
            return false;
    if (!(in >> inventory))
        return false;
    if (inventory == "-")
        inventory.clear();
    return true;
}

std::vector<std::string> SoakViewDifferences(const SoakPlayerView& mirror, const SoakPlayerView& host)
{
    std::vector<std::string> differences;
    auto differ = [&differences](const std::string& what, auto seen, auto held) {
        std::ostringstream line;
        line << what << ": the mirror holds " << seen << ", the host " << held;
        differences.push_back(line.str());
    };
    if (mirror.level != host.level)
        differ("level", mirror.level, host.level);
    float dx = mirror.x - host.x;
    float dy = mirror.y - host.y;
    if (dx * dx + dy * dy >= 4.0f)
        differ("place", std::to_string(mirror.x) + "," + std::to_string(mirror.y),
               std::to_string(host.x) + "," + std::to_string(host.y));
    std::vector<int32_t> numbers = SoakComparedStats();
    if (mirror.stats.size() != host.stats.size())
        differ("stat count", mirror.stats.size(), host.stats.size());
    for (size_t i = 0; i < mirror.stats.size() && i < host.stats.size(); ++i)
        if (mirror.stats[i] != host.stats[i])
            differ("stat " + std::to_string(numbers[i]), mirror.stats[i], host.stats[i]);
    if (mirror.health != host.health)
        differ("health", mirror.health, host.health);
    if (mirror.maxHealth != host.maxHealth)
        differ("most health", mirror.maxHealth, host.maxHealth);
    if (mirror.inventory != host.inventory)
        differ("inventory bytes", mirror.inventory, host.inventory);
    return differences;
}

std::string SoakAddress(pid_t run, int32_t client)
{
    auto id = static_cast<uint32_t>(run);
    return "127." + std::to_string(1 + id % 254) + "." + std::to_string(id / 254 % 254) + "." + std::to_string(client);
}

// ---- The watchdog -------------------------------------------------------------------------------------

SoakWatchdog::SoakWatchdog(uint64_t allowanceMs, Milliseconds wall, std::function<void()> onStopped)
    : allowanceMs(allowanceMs), wall(std::move(wall)), onStopped(std::move(onStopped))
{
}

SoakWatchdog::~SoakWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

bool SoakWatchdog::Check()
{
    uint64_t now = wall();
    uint64_t count = progress.load();
    if (!checked || count != lastSeen) {
        checked = true;
        lastSeen = count;
        lastMoved = now;
    }
    if (!fired && now - lastMoved >= allowanceMs) {
        fired = true;
        onStopped();
    }
    return !fired;
}

void SoakWatchdog::Start()
{
    thread = std::thread([this] {
        std::unique_lock<std::mutex> lock(mutex);
        while (!wake.wait_for(lock, std::chrono::seconds(1), [this] { return stopping; }))
            Check();
    });
}

// ---- The other clients' time --------------------------------------------------------------------

void SoakCountingNetwork::Receive(MessageBuffer& out, const NetworkEndpoint& endpoint, sockaddr_in& sender)
{
    PosixNetworkSystem::Receive(out, endpoint, sender);
    if (out.Size() > 0)
        ++heard;
}

SoakClientClock::SoakClientClock(Milliseconds wall) : wall(std::move(wall))
{
}

uint64_t SoakClientClock::Read(uint64_t played, uint64_t heard)
{
    if (!started) {
        started = true;
        time = played;
        lastPlayed = played;
        lastWall = wall();
        lastHeard = heard;
    }
    if (played <= lastPlayed)
        return time;
    uint64_t step = played - lastPlayed;
    uint64_t now = wall();
    // At least a millisecond: the client's time always moves on with its frames.
    if (heard == lastHeard)
        step = std::clamp<uint64_t>(now - lastWall, 1, step);
    time += step;
    lastPlayed = played;
    lastWall = now;
    lastHeard = heard;
    return time;
}

// ---- The other clients' processes ------------------------------------------------------------

SoakClientProcess::~SoakClientProcess()
{
    Kill();
}

bool SoakClientProcess::Start(const std::filesystem::path& exchange, int32_t client, const std::string& address,
                              const std::string& host, const std::string& filter)
{
    output = exchange / ("client" + std::to_string(client) + ".out");
    std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<std::string> arguments = {program, "--gtest_filter=" + filter, "--gtest_also_run_disabled_tests"};
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    environment.push_back(std::string(kExchangeVar) + "=" + exchange.string());
    environment.push_back(std::string(kClientVar) + "=" + std::to_string(client));
    environment.push_back(std::string(kAddressVar) + "=" + address);
    environment.push_back(std::string(kHostVar) + "=" + host);
    environment.push_back(std::string(kParentVar) + "=" + std::to_string(getpid()));
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    // Nothing else of this process reaches the client: no socket of its world host, no file of
    // its game, nor what the libraries under it opened without closing on exec.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    int result = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        pid = -1;
        ADD_FAILURE() << "client " << client << " could not be started: " << std::strerror(result);
        return false;
    }
    return true;
}

bool SoakClientProcess::DieWithTheParent()
{
    const char* parent = std::getenv(kParentVar);
    if (!parent || prctl(PR_SET_PDEATHSIG, SIGKILL) != 0)
        return false;
    // The parent may have ended before the signal was asked for.
    return getppid() == static_cast<pid_t>(std::atol(parent));
}

bool SoakClientProcess::HasEnded()
{
    if (pid < 0 || ended)
        return true;
    int waited = 0;
    if (waitpid(pid, &waited, WNOHANG) != pid)
        return false;
    ended = true;
    status = WIFEXITED(waited) ? WEXITSTATUS(waited) : 128 + WTERMSIG(waited);
    return true;
}

std::string SoakClientProcess::EndText() const
{
    if (!ended)
        return "still running";
    if (status > 128)
        return "killed by signal " + std::to_string(status - 128) + " (" + strsignal(status - 128) + ")";
    return "exit status " + std::to_string(status);
}

std::string SoakClientProcess::OutputTail() const
{
    std::string text = SoakExchange::Read(output);
    // A sanitizer's report or a crash's stack names the fault in its first lines, well before
    // the tail: it is shown from its start.
    size_t report = std::string::npos;
    for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "WARNING: ThreadSanitizer",
                             "runtime error:", SoakCrashStack::kHeading})
        report = std::min(report, text.find(mark));
    if (report != std::string::npos) {
        size_t line = text.rfind('\n', report);
        constexpr size_t kReportBytes = 20000;
        return text.substr(line == std::string::npos ? 0 : line + 1, kReportBytes);
    }
    constexpr size_t kTail = 3000;
    return text.size() > kTail ? text.substr(text.size() - kTail) : text;
}

namespace {

void SoakWriteCrashStack(int signal)
{
    // Only what is safe in a signal handler: write and the stack walk, whose library was loaded
    // before any crash (Install walks once).
    constexpr int kFrames = 64;
    void* frames[kFrames];
    int count = backtrace(frames, kFrames);
    const char* name = strsignal(signal);
    ssize_t written = write(STDERR_FILENO, SoakCrashStack::kHeading, std::strlen(SoakCrashStack::kHeading));
    written += write(STDERR_FILENO, name, std::strlen(name));
    written += write(STDERR_FILENO, "\n", 1);
    (void)written;
    backtrace_symbols_fd(frames, count, STDERR_FILENO);
    std::signal(signal, SIG_DFL);
    raise(signal);
}

} // namespace

void SoakCrashStack::Install()
{
    void* warm[1];
    backtrace(warm, 1);
    for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        std::signal(signal, SoakWriteCrashStack);
}

void SoakClientProcess::Kill()
{
    if (pid < 0 || HasEnded())
        return;
    kill(pid, SIGKILL);
    int waited = 0;
    waitpid(pid, &waited, 0);
    ended = true;
    status = 128 + SIGKILL;
}

// ---- The exchange folder ----------------------------------------------------------------------

std::filesystem::path SoakExchange::Settled(const std::filesystem::path& exchange, int32_t client)
{
    return exchange / ("settled" + std::to_string(client));
}

std::filesystem::path SoakExchange::View(const std::filesystem::path& exchange, int32_t client)
{
    return exchange / ("view" + std::to_string(client));
}

std::filesystem::path SoakExchange::Folder(const std::filesystem::path& exchange, int32_t client)
{
    return exchange / ("folder" + std::to_string(client));
}

std::filesystem::path SoakExchange::State(const std::filesystem::path& exchange, int32_t client)
{
    return exchange / ("state" + std::to_string(client));
}

std::string SoakExchange::Report(const std::filesystem::path& exchange, int32_t client)
{
    constexpr size_t kLogLines = 40;
    std::string state = Read(State(exchange, client));
    std::string folder = Read(Folder(exchange, client));
    std::string log = folder.empty() ? std::string() : Read(std::filesystem::path(folder) / "User" / "log.txt");
    size_t from = log.size();
    for (size_t lines = 0; from > 0 && lines <= kLogLines;)
        lines += log[--from] == '\n';
    if (from > 0)
        log.erase(0, from + 1);
    return "its state: " + (state.empty() ? std::string("none written\n") : state) + "its log (" + folder +
           "/User/log.txt), the last lines:\n" + log;
}

void SoakExchange::Publish(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::path partial = file;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << text;
    }
    std::filesystem::rename(partial, file);
}

std::string SoakExchange::Read(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
