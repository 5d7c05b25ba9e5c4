// ResourceHandle -- an owner's counted reference to one row of the resource manager; -1 holds nothing.
#include "resources/ResourceHandle.h"

#include "resources/ResourceManager.h"

#include <utility>

ResourceHandle::ResourceHandle(const ResourceHandle& other) : value(other.value)
{
    if (value != -1 && gResourceManager)
        gResourceManager->AddRef(value);
}

ResourceHandle::ResourceHandle(ResourceHandle&& other) noexcept : value(std::exchange(other.value, -1)) {}

ResourceHandle::~ResourceHandle()
{
    Reset();
}

ResourceHandle& ResourceHandle::operator=(const ResourceHandle& other)
{
    Assign(other);
    return *this;
}

void ResourceHandle::Assign(const ResourceHandle& other)
{
    if (this == &other)
        return;
    // The new reference first: assigning a second handle of the same row never lets the count
    // touch 0 and queue the row to be unloaded.
    int32_t taken = other.value;
    if (taken != -1 && gResourceManager)
        gResourceManager->AddRef(taken);
    Reset();
    value = taken;
}

ResourceHandle& ResourceHandle::operator=(ResourceHandle&& other) noexcept
{
    if (this != &other) {
        Reset();
        value = std::exchange(other.value, -1);
    }
    return *this;
}

void ResourceHandle::Reset()
{
    if (value == -1)
        return;
    if (gResourceManager)
        gResourceManager->Release(value);
    value = -1;
}

std::string ResourceHandle::GetName() const
{
    return value == -1 || !gResourceManager ? std::string() : gResourceManager->GetName(value);
}

