// PosixCriticalSection -- the platform lock over a recursive mutex: the owning thread may enter again.
#include "platform/PosixCriticalSection.h"

void PosixCriticalSection::Enter()
{
    mutex.lock();
}

void PosixCriticalSection::Leave()
{
    mutex.unlock();
}
