// SafePointer -- a pointer to a SafeClass object that reads as null once the object is gone.
#include "core/SafePointer.h"

#include "core/ListUtil.h"
#include "core/SafeClass.h"

SafePointer::SafePointer(SafeClass* target)
{
    Set(target);
}

SafePointer::SafePointer(const SafePointer& other)
{
    Set(other.target);
}

SafePointer& SafePointer::operator=(const SafePointer& other)
{
    Set(other.target);
    return *this;
}

SafePointer::~SafePointer()
{
    Set(nullptr);
}

void SafePointer::Set(SafeClass* newTarget)
{
    if (newTarget == target)
        return;
    if (target)
        ListRemoveFirst(target->referrers, this);
    target = newTarget;
    if (target)
        target->referrers.push_back(this);
}
