// SafePointer -- a pointer to a SafeClass object that reads as null once the object is gone.
#pragma once

class SafeClass;

// Reads as null once its target has been destroyed. The pointers aimed at one target are
// linked through themselves, so aiming one never touches the heap; a copy joins the list anew
// rather than sharing the original's place.
class SafePointer {
public:
    SafePointer() = default;
    explicit SafePointer(SafeClass* target);
    SafePointer(const SafePointer& other);
    SafePointer& operator=(const SafePointer& other);
    ~SafePointer();

    // Leaves the old target's list and joins the new one's; null allowed.
    void Set(SafeClass* newTarget);
    void Clear() { Set(nullptr); }
    SafeClass* Get() const { return target; }
    // Null as well when the target is not of class T.
    template <class T>
    T* GetAs() const
    {
        return dynamic_cast<T*>(target);
    }
    explicit operator bool() const { return target != nullptr; }

private:
    friend class SafeClass;

    SafeClass* target = nullptr;
    SafePointer* previous = nullptr;
    SafePointer* next = nullptr;
};
