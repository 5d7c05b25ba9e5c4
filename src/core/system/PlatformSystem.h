// PlatformSystem -- operating-system services behind one interface: sleep, threads, fatal errors, byte order.
#pragma once

#include "core/BaseClass.h"

#include <cstdint>
#include <string>

class CriticalSection;

class PlatformSystem : public BaseClass {
public:
    using ThreadEntry = void (*)(void* argument);

    // 0 milliseconds yields the processor.
    virtual void Sleep(uint32_t milliseconds) = 0;
    // Logs, flushes the log, tells the user and exits with code 1. Never returns.
    [[noreturn]] virtual void CriticalError(const std::string& message) = 0;
    // False once the program has been asked to quit (window closed, SIGINT, SIGTERM).
    virtual bool PumpMessages() = 0;
    virtual void OnQuit() = 0;
    virtual bool StartThread(ThreadEntry entry, uint32_t stackSize, void* argument) = 0;
    virtual uint32_t GetCurrentThreadId() = 0;
    virtual CriticalSection* CreateCriticalSection() = 0;
    virtual bool ClipboardPut(const std::string& text, bool asHtml) = 0;
    virtual bool ClipboardGet(std::string& appendTo) = 0;
    virtual bool IsBigEndian() const = 0;
    virtual uint16_t ToLittle16(uint16_t value) const = 0;
    virtual uint32_t ToLittleU32(uint32_t value) const = 0;
    virtual int32_t ToLittle32(int32_t value) const = 0;
    virtual uint32_t ToLittleFloat(float value) const = 0;
    virtual uint64_t ToLittle64(uint64_t value) const = 0;
    virtual uint16_t FromLittle16(uint16_t value) const = 0;
    virtual uint32_t FromLittleU32(uint32_t value) const = 0;
    virtual int32_t FromLittle32(int32_t value) const = 0;
    virtual float FromLittleFloat(const void* fourBytes) const = 0;
    virtual double FromLittleDouble(const void* eightBytes) const = 0;
};

extern PlatformSystem* gPlatformSystem;
