// ResourceHandle -- an owner's counted reference to one row of the resource manager; -1 holds nothing.
#pragma once

#include <cstdint>
#include <string>

// Holding a handle is holding one reference: a copy adds one, Reset and the destructor drop
// it. Give a handle up with Reset, never with ResourceManager::Release, which would leave the
// destructor to drop the same reference again.
class ResourceHandle {
public:
    ResourceHandle() = default;
    ResourceHandle(const ResourceHandle& other);
    ResourceHandle(ResourceHandle&& other) noexcept;
    ~ResourceHandle();
    ResourceHandle& operator=(const ResourceHandle& other);
    ResourceHandle& operator=(ResourceHandle&& other) noexcept;

    // Holds what other holds with a reference of its own, letting go of what it held before;
    // other may be this handle or another holding the same row.
    void Assign(const ResourceHandle& other);
    // Releases the reference (only while the manager exists) and holds nothing.
    void Reset();
    // "" when the handle holds nothing.
    std::string GetName() const;

    int32_t GetValue() const { return value; }
    bool IsValid() const { return value != -1; }
    operator int32_t() const { return value; }

private:
    friend class ResourceManager;

    int32_t value = -1;
};
