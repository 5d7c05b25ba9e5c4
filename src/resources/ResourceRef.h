// ResourceRef -- a counted use of one resource object, which keeps it alive after its row has let it go.
#pragma once

#include "resources/Resource.h"

#include <utility>

// Rows are shared by handle; a ResourceRef instead holds the object itself. A reload gives its
// row a new object while surfaces, batches and builds on the loader thread still hold the old
// one: the old one is deleted when the last of them lets go.
// T may be const-qualified: ResourceRef<const Shader> for a drawing-only use.
template <class T>
class ResourceRef {
public:
    ResourceRef() = default;
    // Taking a raw pointer adds a use; nothing for null.
    ResourceRef(T* object) : object(object) { AddUse(); }
    ResourceRef(const ResourceRef& other) : object(other.object) { AddUse(); }
    ResourceRef(ResourceRef&& other) noexcept : object(std::exchange(other.object, nullptr)) {}
    ~ResourceRef() { Reset(); }

    ResourceRef& operator=(ResourceRef other) noexcept
    {
        std::swap(object, other.object);
        return *this;
    }

    void Reset()
    {
        if (object)
            Resource::ReleaseUse(std::exchange(object, nullptr));
    }

    T* Get() const { return object; }
    T* operator->() const { return object; }
    T& operator*() const { return *object; }
    explicit operator bool() const { return object != nullptr; }
    friend bool operator==(const ResourceRef& a, const ResourceRef& b) { return a.object == b.object; }
    friend bool operator==(const ResourceRef& a, T* b) { return a.object == b; }

private:
    void AddUse()
    {
        if (object)
            object->AddUse();
    }

    T* object = nullptr;
};
