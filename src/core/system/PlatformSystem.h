// PlatformSystem -- operating-system services behind one interface: sleep, threads, fatal errors, byte order.
#pragma once

#include "core/BaseClass.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CriticalSection;

// Which registry tree a key path lives in.
enum RegistryRoot : int {
    kRegistryCurrentUser = 0,
    kRegistryLocalMachine = 1,
};

// Registry results use the operating system's error numbers so callers can compare with them.
constexpr int32_t kRegistrySuccess = 0;
constexpr int32_t kRegistryNotFound = 2;
constexpr int32_t kRegistryInvalidHandle = 6;
constexpr int32_t kRegistryInvalidData = 13;
constexpr int32_t kRegistryWriteFault = 29;
constexpr int32_t kRegistryMoreData = 234;

// Answers of OpenLink.
constexpr int32_t kLinkOpened = 0;
constexpr int32_t kLinkRefused = 2;
// A "mailto:" too long to hand over: the caller takes the clipboard road instead.
constexpr int32_t kLinkTooLong = 5;

class PlatformSystem : public BaseClass {
public:
    using ThreadEntry = void (*)(void* argument);
    // Starts the program of argv[0] with the rest as its arguments, no shell between; answers
    // 0 when it started, else the error number. Tests install one that records and starts nothing.
    using LinkLauncher = std::function<int(const std::vector<std::string>& argv)>;

    // Hands an "http://", "https://" or "mailto:" address to the user's own browser or mail
    // program: kLinkOpened, kLinkTooLong for a "mailto:" past kMaxMailLink bytes, else
    // kLinkRefused (another scheme, or no program to open it, each logged).
    virtual int32_t OpenLink(const std::string& text) = 0;
    static constexpr size_t kMaxMailLink = 2000;
    static void SetLinkLauncher(LinkLauncher launcher) { linkLauncher = std::move(launcher); }
    static const LinkLauncher& GetLinkLauncher() { return linkLauncher; }

    // 0 milliseconds yields the processor.
    virtual void Sleep(uint32_t milliseconds) = 0;
    // Logs, flushes the log, tells the user and exits with code 1. Never returns.
    [[noreturn]] virtual void CriticalError(const std::string& message) = 0;
    // False once the program has been asked to quit (window closed, SIGINT, SIGTERM).
    virtual bool PumpMessages() = 0;
    // Why PumpMessages returned false, for the log's shut-down line: "window closed",
    // "SIGINT", "SIGTERM" or "quit requested".
    virtual std::string GetQuitReason() const = 0;
    // Called by the "quit" command after it has cleared the running flag.
    virtual void OnQuit() = 0;

    // Offered for a machine report that reads a system registry; the Linux report reads its
    // own files instead, so nothing in this program calls these.
    // Text values of at most 511 characters; longer ones read as kRegistryMoreData.
    virtual int32_t RegistryWriteString(RegistryRoot root, const std::string& keyPath,
                                        const std::string& valueName, const std::string& text) = 0;
    // The out value is emptied (zeroed) first and stays so on any failure.
    virtual int32_t RegistryReadString(RegistryRoot root, const std::string& keyPath,
                                       const std::string& valueName, std::string& text) = 0;
    virtual int32_t RegistryReadDword(RegistryRoot root, const std::string& keyPath,
                                      const std::string& valueName, uint32_t& value) = 0;

    // The thread runs detached and ends by returning from its entry; stackSize 0 takes the default.
    virtual bool StartThread(ThreadEntry entry, uint32_t stackSize, void* argument) = 0;
    // Ends the calling thread at once, never returning. A thread started here may instead
    // return from its entry, which ends it as well.
    [[noreturn]] virtual void EndThread() = 0;
    virtual uint32_t GetCurrentThreadId() = 0;
    // The scheduling priority of the calling process; SetPriority returns non-zero on success.
    virtual int32_t GetPriority() = 0;
    virtual int32_t SetPriority(int32_t priority) = 0;
    virtual CriticalSection* CreateCriticalSection() = 0;

    // The text is placed unchanged; asHtml only picks the clipboard format where the desktop has
    // one for HTML. False when no clipboard is reachable: nothing was put there.
    virtual bool ClipboardPut(const std::string& text, bool asHtml) = 0;
    // Appends the plain-text clipboard to appendTo; false when no clipboard could be read. Offered
    // as the other half of ClipboardPut: nothing in the game pastes.
    virtual bool ClipboardGet(std::string& appendTo) = 0;

    // Conversions between the host's order and the little-endian order of files and datagrams.
    virtual bool IsBigEndian() const = 0;
    virtual uint16_t ToLittle16(uint16_t value) const = 0;
    virtual int16_t ToLittleS16(int16_t value) const = 0;
    virtual uint32_t ToLittleU32(uint32_t value) const = 0;
    virtual int32_t ToLittle32(int32_t value) const = 0;
    virtual uint32_t ToLittleFloat(float value) const = 0;
    virtual uint64_t ToLittle64(uint64_t value) const = 0;
    virtual uint16_t FromLittle16(uint16_t value) const = 0;
    virtual int16_t FromLittleS16(int16_t value) const = 0;
    virtual uint32_t FromLittleU32(uint32_t value) const = 0;
    virtual int32_t FromLittle32(int32_t value) const = 0;
    virtual float FromLittleFloat(const void* fourBytes) const = 0;
    virtual double FromLittleDouble(const void* eightBytes) const = 0;

    // Answer the user interface's "IsWindows" and "IsMac" conditions.
    virtual bool IsWindows() const = 0;
    virtual bool IsMac() const = 0;

private:
    static inline LinkLauncher linkLauncher;
};

extern PlatformSystem* gPlatformSystem;
