// SafeClass -- an object that knows the safe pointers aimed at it and clears them when it dies.
#pragma once

#include "core/SafePointer.h"
#include "core/SimpleData.h"

#include <vector>

class SafeClass : public SimpleData {
public:
    SafeClass() = default;
    // A copy is a different object: it takes the entry, but no pointer refers to it yet.
    SafeClass(const SafeClass& other) : SimpleData(other) {}
    SafeClass& operator=(const SafeClass& other)
    {
        SimpleData::operator=(other);
        return *this;
    }
    ~SafeClass() override;

private:
    friend class SafePointer;

    // The first of the pointers aimed at this object; the rest follow through their links.
    SafePointer* firstReferrer = nullptr;
};
