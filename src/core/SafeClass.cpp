// SafeClass -- an object that knows the safe pointers aimed at it and clears them when it dies.
#include "core/SafeClass.h"

#include "core/ListUtil.h"

SafeClass::~SafeClass()
{
    for (SafePointer* pointer : referrers)
        pointer->target = nullptr;
}

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
