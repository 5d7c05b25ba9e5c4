// PosixCriticalSection -- the platform lock over a recursive mutex: the owning thread may enter again.
#pragma once

#include "core/system/CriticalSection.h"

#include <mutex>

class PosixCriticalSection : public CriticalSection {
public:
    void Enter() override;
    void Leave() override;

private:
    std::recursive_mutex mutex;
};
