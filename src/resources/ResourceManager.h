// ResourceManager -- finds, loads on a background thread, shares by counted handles, caches and frees file-backed assets.
#pragma once

#include "core/BaseClass.h"
#include "core/Memory.h"
#include "core/NoCaseLess.h"
#include "core/UserVarRef.h"
#include "resources/ResourceHandle.h"
#include "resources/ResourceRef.h"
#include "resources/ResourceType.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class CriticalSection;
class GraphicsContextLock;
class Resource;

// One row of the table; a handle is its index. A row is live (found by name) while it is
// loaded or referenced.
struct ResourceEntry {
    Resource* object = nullptr;
    std::string name;
    uint32_t nameHash = 0;
    bool loaded = false;
    int32_t refCount = 0;
    // The load found no file and no fallback: Get ends the program.
    bool missing = false;
    int32_t loadArgument = 0;
    // On the free-row list: guards against listing a row twice, which would hand it out twice.
    bool free = false;
    // Its factory is running on the loader thread; a Get of it from there is a cycle.
    bool loading = false;
};

class ResourceManager : public BaseClass {
public:
    // The loader's pause when a pass found nothing to do.
    static constexpr uint32_t kIdleSleepMs = 10;

    ResourceManager();
    // Stops the loader if Shutdown was not called. Objects still referenced are not deleted.
    ~ResourceManager() override;

    // Creates the lock, starts the loader thread, registers the commands, the "txt" type and
    // "d_printFilesWaitingOn".
    void Init();
    // Sets the quit flag and waits until the loader has skipped every queued load, deleted
    // every unreferenced cached object and returned.
    void Shutdown();

    // Extensions are matched without regard to case; a second registration of one is ignored.
    void RegisterType(std::string_view extension, MemoryCategory memoryCategory, bool readsFile,
                      std::string_view alternativeExtension, bool reloadable, ResourceFactory factory,
                      ResourceFallback fallback = {}, ResourcePrerequisite prerequisite = {});
    // Replaces a registered type's refresh; an empty one reads the file as it is.
    void SetRefresh(std::string_view extension, ResourceRefresh refresh);

    // Makes out refer to the named resource (releasing what it held); an empty name clears it.
    void Load(std::string_view name, ResourceHandle& out, int32_t loadArgument = 0);
    void AddRef(int32_t handle);
    // Does not clear the caller's handle. A ResourceHandle is given up with its Reset.
    void Release(int32_t handle);
    void Release(const ResourceHandle& handle) = delete;

    // Null for -1 or a handle outside the table; otherwise the object, waiting for the loader
    // if it is not loaded yet. Called from the loader thread (a factory needing another
    // resource) it loads the row there and then.
    Resource* Get(int32_t handle);
    // Get, with a use of the object taken under the lock: a reload on another thread cannot
    // delete it while the caller holds the result.
    ResourceRef<Resource> GetRef(int32_t handle);
    // With takeLock false the caller holds the lock and the row is loaded.
    Resource* WaitFor(int32_t row, bool takeLock);
    std::string GetName(int32_t row);
    // Whether the row's object is built; false for -1 and a row outside the table. Never waits.
    bool IsLoaded(int32_t row);
    int32_t GetResourceCount();
    int32_t GetReferenceCount(int32_t row);
    bool IsOfExtension(int32_t row, std::string_view extension);
    // Queues every loaded row of the extension again; handles and counts stay as they are.
    void ReloadExtension(std::string_view extension, bool force, int32_t typeId);
    // Returns when the load queue is empty (a load taken off it may still be running). The
    // caller's graphics context is given up for the wait, as in Get.
    void WaitForLoadQueue();
    void PrintResourceInfo(std::string_view name);

    // The context a waiting Get gives up, so the loader's graphics work can go on meanwhile.
    void SetGraphicsContextLock(GraphicsContextLock* lock) { contextLock = lock; }
    bool IsLoaderThread() const;

private:
    // What the loader copies out of a row under the lock before working on it outside.
    struct PendingLoad {
        int32_t row = -1;
        std::string name;
        int32_t loadArgument = 0;
    };
    // What a waiter reads of a loaded row.
    struct LoadedRow {
        ResourceRef<Resource> object;
        bool missing = false;
        std::string name;
    };
    enum class WaitStep { kReady, kWait, kLoadHere, kGiveUp };

    static void LoaderThread(void* argument);
    void RunLoader();
    bool LoadNext();
    bool UnloadNext();
    int32_t NextToLoad();
    int32_t NextToUnload();
    void LoadRow(const PendingLoad& pending);
    Resource* BuildObject(const std::string& name, int32_t loadArgument, uint8_t*& bytes, bool& missing);
    void FinishLoad(int32_t row, Resource* object, bool missing, uint8_t* bytes);
    bool LoadHere(int32_t row, int depth);
    void FreeRow(int32_t row);

    WaitStep PollRow(int32_t row, LoadedRow& out);
    void ReadLoaded(const ResourceEntry& entry, LoadedRow& out) const;
    ResourceRef<Resource> WaitForRow(int32_t row);
    ResourceRef<Resource> FinishWait(const LoadedRow& row, bool waited);
    // Spins, the caller's context given up, until the loader stops or settled() holds under the lock.
    template <typename Settled> void WaitUntil(Settled settled);

    int32_t FindEntry(std::string_view name, uint32_t hash) const;
    int32_t AllocateEntry(std::string_view name, uint32_t hash, int32_t loadArgument);
    void CancelUnload(int32_t row);
    bool IsRow(int32_t row) const { return row >= 0 && row < static_cast<int32_t>(entries.size()); }
    bool CheckRow(int32_t row, const char* operation) const;
    // CheckRow, and the row not on the free list.
    bool CheckHeldRow(int32_t row, const char* operation) const;
    const ResourceType* FindType(std::string_view name);
    // A copy, taken under the lock: the refresh may be replaced while a load runs.
    ResourceRefresh FindRefresh(std::string_view name);

    void RegisterCommands();
    void RegisterTextType();

    mutable std::mutex typesLock;
    std::map<std::string, ResourceType, NoCaseLess> types;
    std::atomic<bool> threadRunning{false};
    std::atomic<bool> quit{false};
    std::vector<ResourceEntry> entries;
    std::deque<int32_t> loadQueue;
    std::deque<int32_t> unloadQueue;
    std::deque<int32_t> freeRows;
    int32_t waitedFor = -1;
    CriticalSection* lock = nullptr;
    UserVarRef printFilesWaitingOn;
    GraphicsContextLock* contextLock = nullptr;
    std::atomic<int64_t> loaderThreadId{-1};
};

extern ResourceManager* gResourceManager;
