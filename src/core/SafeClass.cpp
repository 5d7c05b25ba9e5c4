// SafeClass -- an object that knows the safe pointers aimed at it and clears them when it dies.
#include "core/SafeClass.h"

SafeClass::~SafeClass()
{
    for (SafePointer* pointer = firstReferrer; pointer;) {
        SafePointer* following = pointer->next;
        pointer->target = nullptr;
        pointer->previous = pointer->next = nullptr;
        pointer = following;
    }
}
