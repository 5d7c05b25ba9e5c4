// PosixPlatformSystem -- the operating-system services on Linux: sleep, threads, quit signals, fatal errors, registry file.
#include "platform/PosixPlatformSystem.h"

#include "core/DebugSystem.h"
#include "platform/LittleEndian.h"
#include "platform/PosixCriticalSection.h"

#include <SDL.h>

#include <atomic>
#include <bit>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits.h>
#include <pthread.h>
#include <sched.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

namespace {

// Process-wide because a signal handler can reach nothing else; lock-free so it is safe there.
std::atomic<bool> gQuitRequested{false};
// The signal that asked to quit, 0 for none: the shut-down line names it.
std::atomic<int> gQuitSignal{0};
// When the first SIGINT came, on the signal clock; -1 before one has.
std::atomic<int64_t> gFirstInterruptMs{-1};
std::atomic<PosixPlatformSystem::SignalClock> gSignalClock{nullptr};
std::atomic<PosixPlatformSystem::HastyExitHook> gHastyExitHook{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free &&
              std::atomic<int64_t>::is_always_lock_free &&
              std::atomic<PosixPlatformSystem::SignalClock>::is_always_lock_free);

// The exit code of a run ended by a second Ctrl-C, the shells' code for SIGINT.
constexpr int kInterruptedExitCode = 128 + SIGINT;

int64_t MonotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The handler stays installed: a second SIGTERM (the timeout tool sends two) must not kill a
// program that is already saving its settings and letting go of its lock. Only a second SIGINT,
// more than a second after the first, ends a program that seems stuck, through the hasty-exit
// hook. Everything here is lock-free, as a signal handler must be.
void OnQuitSignal(int signalNumber)
{
    PosixPlatformSystem::SignalClock clock = gSignalClock.load();
    int64_t now = clock ? clock() : MonotonicMs();
    if (signalNumber == SIGINT) {
        int64_t none = -1;
        if (!gFirstInterruptMs.compare_exchange_strong(none, now) &&
            now - none > PosixPlatformSystem::kForcedExitAfterMs)
            PosixPlatformSystem::EndInHaste(kInterruptedExitCode);
    }
    int noSignal = 0;
    gQuitSignal.compare_exchange_strong(noSignal, signalNumber);
    gQuitRequested.store(true);
}

struct ThreadStart {
    PlatformSystem::ThreadEntry entry;
    void* argument;
};

void* RunThread(void* startRecord)
{
    ThreadStart start = *static_cast<ThreadStart*>(startRecord);
    delete static_cast<ThreadStart*>(startRecord);
    start.entry(start.argument);
    return nullptr;
}

size_t ThreadStackBytes(uint32_t requested)
{
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    size_t minimum = static_cast<size_t>(PTHREAD_STACK_MIN);
    size_t bytes = requested < minimum ? minimum : requested;
    return (bytes + page - 1) / page * page;
}

const char* RegistryRootName(RegistryRoot root)
{
    switch (root) {
    case kRegistryCurrentUser: return "HKEY_CURRENT_USER";
    case kRegistryLocalMachine: return "HKEY_LOCAL_MACHINE";
    }
    return nullptr;
}

} // namespace

PosixPlatformSystem::PosixPlatformSystem(const std::string& userFolder) : registry(RegistryFilePath(userFolder))
{
    gQuitRequested.store(false);
    gQuitSignal.store(0);
    gFirstInterruptMs.store(-1);
}

std::string PosixPlatformSystem::RegistryFilePath(const std::string& userFolder)
{
    return userFolder + "/registry.txt";
}

bool PosixPlatformSystem::InstallQuitSignalHandlers(SignalClock clock)
{
    gSignalClock.store(clock);
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

void PosixPlatformSystem::SetHastyExitHook(HastyExitHook hook)
{
    gHastyExitHook.store(hook);
}

void PosixPlatformSystem::RunHastyExitHook()
{
    // Taken out first, so that it runs once though a fault inside it ends in a critical error.
    if (HastyExitHook hook = gHastyExitHook.exchange(nullptr))
        hook();
}

void PosixPlatformSystem::EndInHaste(int exitCode)
{
    RunHastyExitHook();
    std::_Exit(exitCode);
}

void PosixPlatformSystem::Sleep(uint32_t milliseconds)
{
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
    }
}

void PosixPlatformSystem::CriticalError(const std::string& message)
{
    const char* ending = !message.empty() && message.back() == '\n' ? "" : "\n";
    DebugSystem::Print(kPrintError, "Critical Error: %s%s", message.c_str(), ending);
    if (gDebugSystem)
        gDebugSystem->Flush();
    fprintf(stderr, "Critical Error: %s%s", message.c_str(), ending);
    fflush(nullptr);
    // Before the message box, which a full-screen window would hide.
    RunHastyExitHook();
    if (SDL_WasInit(SDL_INIT_VIDEO) &&
        CanShowMessageBox(SDL_GetCurrentVideoDriver(), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY")))
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Critical Error", message.c_str(), nullptr);
    EndInHaste(1);
}

bool PosixPlatformSystem::PumpMessages()
{
    // A closed window is a quit request, which stays seen like a signal's.
    if (messagePump && !messagePump()) {
        windowClosed = true;
        gQuitRequested.store(true);
    }
    return !gQuitRequested.load();
}

std::string PosixPlatformSystem::GetQuitReason() const
{
    switch (gQuitSignal.load()) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    default: return windowClosed ? "window closed" : "quit requested";
    }
}

void PosixPlatformSystem::SetMessagePump(std::function<bool()> pump)
{
    messagePump = std::move(pump);
}

bool PosixPlatformSystem::CanShowMessageBox(const char* videoDriver, const char* display, const char* waylandDisplay)
{
    if (!videoDriver || std::strcmp(videoDriver, "offscreen") == 0 || std::strcmp(videoDriver, "dummy") == 0)
        return false;
    return (display && *display) || (waylandDisplay && *waylandDisplay);
}

void PosixPlatformSystem::OnQuit()
{
    // The "quit" command has already cleared the running flag; the request also reaches any later pump.
    gQuitRequested.store(true);
}

int32_t PosixPlatformSystem::RegistryWriteString(RegistryRoot root, const std::string& keyPath,
                                                 const std::string& valueName, const std::string& text)
{
    const char* rootName = RegistryRootName(root);
    if (!rootName)
        return kRegistryInvalidHandle;
    return registry.WriteString(std::string(rootName) + "\\" + keyPath, valueName, text);
}

int32_t PosixPlatformSystem::RegistryReadString(RegistryRoot root, const std::string& keyPath,
                                                const std::string& valueName, std::string& text)
{
    text.clear();
    const char* rootName = RegistryRootName(root);
    if (!rootName)
        return kRegistryInvalidHandle;
    return registry.ReadString(std::string(rootName) + "\\" + keyPath, valueName, text);
}

int32_t PosixPlatformSystem::RegistryReadDword(RegistryRoot root, const std::string& keyPath,
                                               const std::string& valueName, uint32_t& value)
{
    value = 0;
    const char* rootName = RegistryRootName(root);
    if (!rootName)
        return kRegistryInvalidHandle;
    return registry.ReadDword(std::string(rootName) + "\\" + keyPath, valueName, value);
}

bool PosixPlatformSystem::StartThread(ThreadEntry entry, uint32_t stackSize, void* argument)
{
    // Detached: a thread ends by returning from its entry, and nobody joins it.
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize != 0)
        pthread_attr_setstacksize(&attributes, ThreadStackBytes(stackSize));
    auto* start = new ThreadStart{entry, argument};
    pthread_t thread;
    int result = pthread_create(&thread, &attributes, RunThread, start);
    pthread_attr_destroy(&attributes);
    if (result != 0) {
        delete start;
        DebugSystem::Print(kPrintError, "Couldn't start a thread: %s\n", strerror(result));
        return false;
    }
    return true;
}

void PosixPlatformSystem::EndThread()
{
    pthread_exit(nullptr);
}

uint32_t PosixPlatformSystem::GetCurrentThreadId()
{
    return static_cast<uint32_t>(gettid());
}

int32_t PosixPlatformSystem::GetPriority()
{
    return getpriority(PRIO_PROCESS, 0);
}

int32_t PosixPlatformSystem::SetPriority(int32_t priority)
{
    return setpriority(PRIO_PROCESS, 0, priority) == 0 ? 1 : 0;
}

CriticalSection* PosixPlatformSystem::CreateCriticalSection()
{
    return new PosixCriticalSection();
}

// The desktop's clipboard through SDL, which reaches it only while its video part runs (the game
// window's); without it there is no clipboard. SDL carries text alone, so HTML goes as its plain
// source text: a mail program pastes the page's markup rather than the page.
bool PosixPlatformSystem::ClipboardPut(const std::string& text, bool /*asHtml*/)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return false;
    if (SDL_SetClipboardText(text.c_str()) != 0) {
        DebugSystem::Print(kPrintWarning, "Couldn't put the text on the clipboard: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

bool PosixPlatformSystem::ClipboardGet(std::string& appendTo)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return false;
    if (SDL_HasClipboardText() == SDL_FALSE)
        return true;
    char* text = SDL_GetClipboardText();
    if (!text)
        return false;
    appendTo += text;
    SDL_free(text);
    return true;
}

int32_t PosixPlatformSystem::OpenLink(const std::string& text)
{
    bool mail = text.rfind("mailto:", 0) == 0;
    if (!mail && text.rfind("http://", 0) != 0 && text.rfind("https://", 0) != 0) {
        DebugSystem::Print(kPrintWarning, "Refused to open %s\n", text.c_str());
        return kLinkRefused;
    }
    if (mail && text.size() > kMaxMailLink)
        return kLinkTooLong;
    ReapOpeners();
    int error = GetLinkLauncher() ? GetLinkLauncher()({"xdg-open", text}) : SpawnOpener(text);
    if (error == 0)
        return kLinkOpened;
    if (error == ENOENT)
        DebugSystem::Print(kPrintWarning, "Can't open %s: xdg-open is not installed\n", text.c_str());
    else
        DebugSystem::Print(kPrintWarning, "Can't open %s: %s\n", text.c_str(), std::strerror(error));
    return kLinkRefused;
}

int PosixPlatformSystem::SpawnOpener(const std::string& text)
{
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return EAGAIN;
    for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        posix_spawn_file_actions_addopen(&actions, stream, "/dev/null", stream == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
    // The address is one argument of its own: nothing in it reaches a shell.
    std::string program = "xdg-open";
    std::string address = text;
    char* argv[] = {program.data(), address.data(), nullptr};
    pid_t child = 0;
    int error = posix_spawnp(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error == 0)
        openers.push_back(child);
    return error;
}

void PosixPlatformSystem::ReapOpeners()
{
    std::erase_if(openers, [](pid_t child) { return waitpid(child, nullptr, WNOHANG) != 0; });
}

bool PosixPlatformSystem::IsBigEndian() const
{
    return std::endian::native == std::endian::big;
}

uint16_t PosixPlatformSystem::ToLittle16(uint16_t value) const
{
    return HostLittleEndian::Convert(value);
}

int16_t PosixPlatformSystem::ToLittleS16(int16_t value) const
{
    return static_cast<int16_t>(HostLittleEndian::Convert(static_cast<uint16_t>(value)));
}

uint32_t PosixPlatformSystem::ToLittleU32(uint32_t value) const
{
    return HostLittleEndian::Convert(value);
}

int32_t PosixPlatformSystem::ToLittle32(int32_t value) const
{
    return static_cast<int32_t>(HostLittleEndian::Convert(static_cast<uint32_t>(value)));
}

uint32_t PosixPlatformSystem::ToLittleFloat(float value) const
{
    return HostLittleEndian::Convert(std::bit_cast<uint32_t>(value));
}

uint64_t PosixPlatformSystem::ToLittle64(uint64_t value) const
{
    return HostLittleEndian::Convert(value);
}

uint16_t PosixPlatformSystem::FromLittle16(uint16_t value) const
{
    return HostLittleEndian::Convert(value);
}

int16_t PosixPlatformSystem::FromLittleS16(int16_t value) const
{
    return static_cast<int16_t>(HostLittleEndian::Convert(static_cast<uint16_t>(value)));
}

uint32_t PosixPlatformSystem::FromLittleU32(uint32_t value) const
{
    return HostLittleEndian::Convert(value);
}

int32_t PosixPlatformSystem::FromLittle32(int32_t value) const
{
    return static_cast<int32_t>(HostLittleEndian::Convert(static_cast<uint32_t>(value)));
}

float PosixPlatformSystem::FromLittleFloat(const void* fourBytes) const
{
    uint32_t bits;
    memcpy(&bits, fourBytes, sizeof bits);
    return std::bit_cast<float>(HostLittleEndian::Convert(bits));
}

double PosixPlatformSystem::FromLittleDouble(const void* eightBytes) const
{
    uint64_t bits;
    memcpy(&bits, eightBytes, sizeof bits);
    return std::bit_cast<double>(HostLittleEndian::Convert(bits));
}

bool PosixPlatformSystem::IsWindows() const
{
    return false;
}

bool PosixPlatformSystem::IsMac() const
{
    return false;
}
