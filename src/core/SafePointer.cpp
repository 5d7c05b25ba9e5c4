// SafePointer -- a pointer to a SafeClass object that reads as null once the object is gone.
#include "core/SafePointer.h"

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
    if (target) {
        (previous ? previous->next : target->firstReferrer) = next;
        if (next)
            next->previous = previous;
    }
    target = newTarget;
    previous = nullptr;
    next = target ? target->firstReferrer : nullptr;
    if (next)
        next->previous = this;
    if (target)
        target->firstReferrer = this;
}
