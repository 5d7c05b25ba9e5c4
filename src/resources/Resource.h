// Resource -- the base of every object the resource manager builds from a file: kept file bytes and its row.
#pragma once

#include "core/BaseClass.h"

#include <atomic>
#include <cstdint>
#include <string>

class Resource : public BaseClass {
public:
    Resource() = default;
    // Frees the file bytes when the object kept them.
    ~Resource() override;
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    virtual void PrintInfo();
    // A kind number that ReloadExtension can filter on; -1 for kinds that do not say.
    virtual int32_t GetTypeId() const;

    // The file name of the row that holds this object.
    std::string GetName() const;

    // Takes ownership of a file buffer from the engine allocator (MemAllocArray); the manager
    // then leaves it alone.
    void KeepBytes(uint8_t* bytes, uint32_t byteCount);
    const uint8_t* GetBytes() const { return fileBytes; }
    uint8_t* GetBytes() { return fileBytes; }
    uint32_t GetByteCount() const { return byteCount; }
    bool KeepsBytes() const { return keepsBytes; }

    void SetHandle(int32_t row) { handle = row; }

    // An object starts with one use, its maker's: the resource manager's row, or whoever built
    // it outside the manager. Each ResourceRef adds one. Any thread may add or let go of a use;
    // letting go of the last one deletes the object.
    void AddUse() const { uses.fetch_add(1, std::memory_order_relaxed); }
    static void ReleaseUse(const Resource* resource);

private:
    mutable std::atomic<int32_t> uses{1};
    uint8_t* fileBytes = nullptr;
    uint32_t byteCount = 0;
    bool keepsBytes = false;
    int32_t handle = -1;
};
