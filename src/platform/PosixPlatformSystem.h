// PosixPlatformSystem -- the operating-system services on Linux: sleep, threads, quit signals, fatal errors, registry file.
#pragma once

#include "core/system/PlatformSystem.h"
#include "platform/TextRegistry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

class PosixPlatformSystem : public PlatformSystem {
public:
    // The registry file lives in the user folder ("<working folder>/User" in the game).
    explicit PosixPlatformSystem(const std::string& userFolder);

    // What runs just before the process ends without its shut-down (a critical error, a forced
    // exit): it puts back what the program changed outside itself and saves what it can. It may
    // run inside a signal handler, on a program stuck anywhere.
    using HastyExitHook = void (*)();
    // Milliseconds on a steady clock; read inside the signal handler.
    using SignalClock = int64_t (*)();
    // A second SIGINT this long after the first ends the program at once.
    static constexpr int64_t kForcedExitAfterMs = 1000;

    // SIGINT and SIGTERM then ask the program to quit, the same road as closing the window.
    // Once a quit is asked for, a SIGTERM changes nothing; a second SIGINT more than
    // kForcedExitAfterMs after the first, on the clock given (null: the monotonic clock), ends
    // the program through EndInHaste(130).
    static bool InstallQuitSignalHandlers(SignalClock clock = nullptr);
    static void SetHastyExitHook(HastyExitHook hook);
    // Runs the hasty-exit hook once and ends the process with the code, skipping the static
    // destructors: another thread may still be using what they would free.
    [[noreturn]] static void EndInHaste(int exitCode);
    // The window's event pump, run by every PumpMessages; its false (the window was closed) is
    // a quit request. Empty: no window.
    void SetMessagePump(std::function<bool()> pump);
    // Whether a fatal error may show a message box: only with a real display (not the
    // offscreen or dummy video drivers, and DISPLAY or WAYLAND_DISPLAY set), so that a headless
    // run can never block on one.
    static bool CanShowMessageBox(const char* videoDriver, const char* display, const char* waylandDisplay);

    void Sleep(uint32_t milliseconds) override;
    [[noreturn]] void CriticalError(const std::string& message) override;
    bool PumpMessages() override;
    std::string GetQuitReason() const override;
    // The next PumpMessages returns false.
    void OnQuit() override;

    int32_t RegistryWriteString(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                                const std::string& text) override;
    int32_t RegistryReadString(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                               std::string& text) override;
    int32_t RegistryReadDword(RegistryRoot root, const std::string& keyPath, const std::string& valueName,
                              uint32_t& value) override;

    bool StartThread(ThreadEntry entry, uint32_t stackSize, void* argument) override;
    // pthread_exit: the thread's stack is unwound, its objects destroyed, before it ends.
    [[noreturn]] void EndThread() override;
    uint32_t GetCurrentThreadId() override;
    // The nice value (-20 runs soonest, 19 latest). Linux applies it to the calling thread only,
    // which for the game is the main thread; raising it back needs privileges.
    int32_t GetPriority() override;
    int32_t SetPriority(int32_t priority) override;
    CriticalSection* CreateCriticalSection() override;

    bool ClipboardPut(const std::string& text, bool asHtml) override;
    bool ClipboardGet(std::string& appendTo) override;
    // Through the installed launcher when there is one, else "xdg-open" started by posix_spawnp
    // with its streams on /dev/null; started programs are reaped later without waiting.
    int32_t OpenLink(const std::string& text) override;

    bool IsBigEndian() const override;
    uint16_t ToLittle16(uint16_t value) const override;
    int16_t ToLittleS16(int16_t value) const override;
    uint32_t ToLittleU32(uint32_t value) const override;
    int32_t ToLittle32(int32_t value) const override;
    uint32_t ToLittleFloat(float value) const override;
    uint64_t ToLittle64(uint64_t value) const override;
    uint16_t FromLittle16(uint16_t value) const override;
    int16_t FromLittleS16(int16_t value) const override;
    uint32_t FromLittleU32(uint32_t value) const override;
    int32_t FromLittle32(int32_t value) const override;
    float FromLittleFloat(const void* fourBytes) const override;
    double FromLittleDouble(const void* eightBytes) const override;

    bool IsWindows() const override;
    bool IsMac() const override;

private:
    static void RunHastyExitHook();
    // "xdg-open" started on the address; 0 or the error number of the start.
    int SpawnOpener(const std::string& text);
    // Every opener that has ended since, reaped; none is waited for.
    void ReapOpeners();

    static std::string RegistryFilePath(const std::string& userFolder);

    TextRegistry registry;
    std::function<bool()> messagePump;
    bool windowClosed = false;
    std::vector<pid_t> openers;
};
