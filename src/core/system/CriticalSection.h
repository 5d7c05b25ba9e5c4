// CriticalSection -- a recursive lock from the platform.
#pragma once

class CriticalSection {
public:
    virtual ~CriticalSection() = default;
    virtual void Enter() = 0;
    virtual void Leave() = 0;
};

// Holds a critical section for one scope.
class CriticalSectionGuard {
public:
    explicit CriticalSectionGuard(CriticalSection* section) : section(section) { if (section) section->Enter(); }
    ~CriticalSectionGuard() { if (section) section->Leave(); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

private:
    CriticalSection* section;
};
