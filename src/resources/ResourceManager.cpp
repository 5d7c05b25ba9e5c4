// ResourceManager -- finds, loads on a background thread, shares by counted handles, caches and frees file-backed assets.
#include "resources/ResourceManager.h"

#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "core/system/CriticalSection.h"
#include "core/system/PlatformSystem.h"
#include "resources/GraphicsContextLock.h"
#include "resources/Resource.h"
#include "resources/TextResource.h"

#include <algorithm>
#include <utility>

ResourceManager* gResourceManager = nullptr;

namespace {

// Two zero bytes after the data, as the file system's own buffers have, so that a text reader
// may look one wide terminator past the end.
constexpr uint32_t kSlackBytes = 2;
constexpr uint32_t kMaxFileBytes = UINT32_MAX - kSlackBytes;
// Prerequisites loaded inline may chain; a cycle among them stops here.
constexpr int kMaxInlineDepth = 16;

const std::string& FirstArgument(const std::vector<std::string>& args)
{
    static const std::string empty;
    return args.empty() ? empty : args[0];
}

// Reads the whole file under the type's memory category and closes it; false (nothing kept)
// for a file too large for the 32-bit byte count.
bool ReadWholeFile(std::string_view name, File* file, MemoryCategory category, uint8_t*& bytes, uint32_t& count)
{
    size_t size = file->GetSize();
    if (size > kMaxFileBytes) {
        DebugSystem::Print(kPrintError, "%.*s is too large to load\n", static_cast<int>(name.size()), name.data());
        gFileSystem->Close(file);
        return false;
    }
    bytes = static_cast<uint8_t*>(MemAllocArray(size + kSlackBytes, category));
    size_t got = bytes ? file->Read(size, bytes) : 0;
    gFileSystem->Close(file);
    if (!bytes)
        return false;
    bytes[got] = 0;
    bytes[got + 1] = 0;
    count = static_cast<uint32_t>(got);
    return true;
}

File* OpenForLoad(const std::string& name, const ResourceType* type)
{
    if (!type || !type->readsFile || !gFileSystem)
        return nullptr;
    return gFileSystem->Open(name, kFileRead | kFileBinary);
}

} // namespace

ResourceManager::ResourceManager() = default;

ResourceManager::~ResourceManager()
{
    Shutdown();
    delete lock;
    if (gResourceManager == this)
        gResourceManager = nullptr;
}

void ResourceManager::Init()
{
    if (!lock)
        lock = gPlatformSystem->CreateCriticalSection();
    threadRunning.store(true);
    if (!gPlatformSystem->StartThread(&ResourceManager::LoaderThread, 0, this)) {
        // Get then loads each resource itself, on the calling thread.
        threadRunning.store(false);
        DebugSystem::Print(kPrintError, "Couldn't start the resource loader thread\n");
    }
    RegisterCommands();
    RegisterTextType();
    printFilesWaitingOn = gUserVarSystem->RegisterVar("d_printFilesWaitingOn", "0");
}

void ResourceManager::Shutdown()
{
    quit.store(true);
    while (threadRunning.load())
        gPlatformSystem->Sleep(0);
    // The loader leaves with the unload queue empty; this frees what was cached when no
    // loader ever ran.
    while (UnloadNext()) {
    }
}

void ResourceManager::RegisterCommands()
{
    gCommandSystem->RegisterCommand(
        "reloadExtension",
        [this](const std::vector<std::string>& args) { ReloadExtension(FirstArgument(args), false, -1); },
        "Reloads all resources with this extension", "extension", "s");
    gCommandSystem->RegisterCommand(
        "printResourceInfo", [this](const std::vector<std::string>& args) { PrintResourceInfo(FirstArgument(args)); },
        "Prints out the info for the named resource", "resourceName", "s");
}

void ResourceManager::RegisterTextType()
{
    RegisterType("txt", kMemGeneral, true, "", true, &TextResource::Create, &TextResource::CreateEmpty);
}

void ResourceManager::RegisterType(std::string_view extension, MemoryCategory memoryCategory, bool readsFile,
                                   std::string_view alternativeExtension, bool reloadable, ResourceFactory factory,
                                   ResourceFallback fallback, ResourcePrerequisite prerequisite)
{
    ResourceType type;
    type.factory = std::move(factory);
    type.fallback = std::move(fallback);
    type.prerequisite = std::move(prerequisite);
    type.memoryCategory = memoryCategory;
    type.alternativeExtension = alternativeExtension;
    type.readsFile = readsFile;
    type.reloadable = reloadable;
    std::lock_guard<std::mutex> guard(typesLock);
    types.try_emplace(std::string(extension), std::move(type));
}

// Without regard to case, so that "a.TGA" finds the "tga" type like every other look-up of
// a file name does.
const ResourceType* ResourceManager::FindType(std::string_view name)
{
    std::string extension = FileExtension(name);
    if (extension.empty())
        return nullptr;
    std::lock_guard<std::mutex> guard(typesLock);
    auto found = types.find(extension);
    return found == types.end() ? nullptr : &found->second;
}

void ResourceManager::SetRefresh(std::string_view extension, ResourceRefresh refresh)
{
    std::lock_guard<std::mutex> guard(typesLock);
    auto found = types.find(extension);
    if (found != types.end())
        found->second.refresh = std::move(refresh);
}

ResourceRefresh ResourceManager::FindRefresh(std::string_view name)
{
    std::string extension = FileExtension(name);
    std::lock_guard<std::mutex> guard(typesLock);
    auto found = types.find(extension);
    return found == types.end() ? ResourceRefresh() : found->second.refresh;
}

// ---- Handles -------------------------------------------------------------------------------

void ResourceManager::Load(std::string_view name, ResourceHandle& out, int32_t loadArgument)
{
    if (name.empty()) {
        out.Reset();
        return;
    }
    CriticalSectionGuard guard(lock);
    uint32_t hash = HashStringNoCase(name);
    int32_t row = FindEntry(name, hash);
    if (row < 0) {
        row = AllocateEntry(name, hash, loadArgument);
        loadQueue.push_back(row);
    } else if (++entries[row].refCount == 1) {
        CancelUnload(row);
    }
    int32_t held = std::exchange(out.value, row);
    if (held != -1)
        Release(held);
}

void ResourceManager::AddRef(int32_t handle)
{
    if (handle == -1)
        return;
    CriticalSectionGuard guard(lock);
    if (CheckHeldRow(handle, "AddRef"))
        ++entries[handle].refCount;
}

void ResourceManager::Release(int32_t handle)
{
    if (handle == -1)
        return;
    CriticalSectionGuard guard(lock);
    if (CheckHeldRow(handle, "Release") && --entries[handle].refCount <= 0)
        unloadQueue.push_back(handle);
}

int32_t ResourceManager::FindEntry(std::string_view name, uint32_t hash) const
{
    for (int32_t row = 0; row < static_cast<int32_t>(entries.size()); ++row) {
        const ResourceEntry& entry = entries[row];
        bool live = entry.loaded || entry.refCount > 0;
        if (live && entry.nameHash == hash && StringEqualsNoCase(entry.name, name))
            return row;
    }
    return -1;
}

int32_t ResourceManager::AllocateEntry(std::string_view name, uint32_t hash, int32_t loadArgument)
{
    int32_t row;
    if (!freeRows.empty()) {
        row = freeRows.front();
        freeRows.pop_front();
    } else {
        row = static_cast<int32_t>(entries.size());
        entries.emplace_back();
    }
    ResourceEntry& entry = entries[row];
    entry = ResourceEntry();
    entry.name = name;
    entry.nameHash = hash;
    entry.refCount = 1;
    entry.loadArgument = loadArgument;
    return row;
}

void ResourceManager::CancelUnload(int32_t row)
{
    unloadQueue.erase(std::remove(unloadQueue.begin(), unloadQueue.end(), row), unloadQueue.end());
}

// A handle past the table would be read out of range; it is refused like -1.
bool ResourceManager::CheckRow(int32_t row, const char* operation) const
{
    if (IsRow(row))
        return true;
    DebugSystem::Print(kPrintError, "%s of resource handle %d, which is not in the table\n", operation, row);
    return false;
}

// A freed row waits to be handed to the next new name: a use counted on it would make it
// live with no object, and the next load would hand it out a second time.
bool ResourceManager::CheckHeldRow(int32_t row, const char* operation) const
{
    if (!CheckRow(row, operation))
        return false;
    if (!entries[row].free)
        return true;
    DebugSystem::Print(kPrintError, "%s of resource handle %d, which was freed\n", operation, row);
    return false;
}

// Under the lock. Objects of the row, if any, are the caller's to delete.
void ResourceManager::FreeRow(int32_t row)
{
    ResourceEntry& entry = entries[row];
    entry.object = nullptr;
    entry.loaded = false;
    entry.loading = false;
    if (!entry.free) {
        entry.free = true;
        freeRows.push_back(row);
    }
    CancelUnload(row);
}

// ---- Queries -------------------------------------------------------------------------------

std::string ResourceManager::GetName(int32_t row)
{
    if (row == -1)
        return std::string();
    CriticalSectionGuard guard(lock);
    return CheckRow(row, "GetName") ? entries[row].name : std::string();
}

bool ResourceManager::IsLoaded(int32_t row)
{
    CriticalSectionGuard guard(lock);
    return IsRow(row) && entries[row].loaded && entries[row].object;
}

int32_t ResourceManager::GetResourceCount()
{
    CriticalSectionGuard guard(lock);
    return static_cast<int32_t>(entries.size());
}

int32_t ResourceManager::GetReferenceCount(int32_t row)
{
    CriticalSectionGuard guard(lock);
    return IsRow(row) ? entries[row].refCount : 0;
}

bool ResourceManager::IsOfExtension(int32_t row, std::string_view extension)
{
    CriticalSectionGuard guard(lock);
    return IsRow(row) && entries[row].loaded && StringEqualsNoCase(FileExtension(entries[row].name), extension);
}

bool ResourceManager::IsLoaderThread() const
{
    int64_t loader = loaderThreadId.load();
    return loader != -1 && loader == static_cast<int64_t>(gPlatformSystem->GetCurrentThreadId());
}

// ---- Get and waiting -----------------------------------------------------------------------

Resource* ResourceManager::Get(int32_t handle)
{
    return GetRef(handle).Get();
}

ResourceRef<Resource> ResourceManager::GetRef(int32_t handle)
{
    if (handle == -1)
        return {};
    {
        CriticalSectionGuard guard(lock);
        if (!CheckRow(handle, "Get"))
            return {};
        // Counted while the lock still keeps a reload or an unload from the object.
        if (entries[handle].loaded)
            return ResourceRef<Resource>(WaitFor(handle, false));
    }
    // Every level the caller holds is given up, not just one: a loader factory waiting for
    // the context would otherwise never get it, and this wait would never end.
    ContextHandOver handOver(IsLoaderThread() ? nullptr : contextLock);
    return WaitForRow(handle);
}

Resource* ResourceManager::WaitFor(int32_t row, bool takeLock)
{
    if (takeLock)
        return WaitForRow(row).Get();
    if (!CheckRow(row, "WaitFor") || !entries[row].loaded)
        return nullptr;
    // The drawing asks for loaded rows many times a frame: their name is copied only for the
    // message about a missing one.
    if (!entries[row].missing)
        return entries[row].object;
    LoadedRow loadedRow;
    ReadLoaded(entries[row], loadedRow);
    return FinishWait(loadedRow, false).Get();
}

ResourceRef<Resource> ResourceManager::WaitForRow(int32_t row)
{
    LoadedRow loadedRow;
    bool waited = false;
    for (;;) {
        WaitStep step = PollRow(row, loadedRow);
        if (step == WaitStep::kReady)
            break;
        if (step == WaitStep::kGiveUp)
            return {};
        if (step == WaitStep::kLoadHere) {
            if (!LoadHere(row, 0))
                return {};
            continue;
        }
        waited = true;
        gPlatformSystem->Sleep(0);
    }
    return FinishWait(loadedRow, waited);
}

ResourceManager::WaitStep ResourceManager::PollRow(int32_t row, LoadedRow& out)
{
    CriticalSectionGuard guard(lock);
    if (!CheckRow(row, "WaitFor"))
        return WaitStep::kGiveUp;
    const ResourceEntry& entry = entries[row];
    if (entry.loaded) {
        ReadLoaded(entry, out);
        return WaitStep::kReady;
    }
    // The loader cannot wait for itself, and with no loader nobody else will load the row.
    if (IsLoaderThread() || !threadRunning.load())
        return WaitStep::kLoadHere;
    // The loader skips rows nobody holds, so waiting for one would never end.
    if (entry.refCount <= 0 || entry.free || quit.load()) {
        DebugSystem::Print(kPrintError, "Can't wait for %s: nobody holds it\n", entry.name.c_str());
        return WaitStep::kGiveUp;
    }
    // A row the loader is on already needs no jump; naming it again would leave a stale
    // choice behind once it is done.
    if (!entry.loading)
        waitedFor = row;
    return WaitStep::kWait;
}

void ResourceManager::ReadLoaded(const ResourceEntry& entry, LoadedRow& out) const
{
    out.object = entry.object;
    out.missing = entry.missing;
    out.name = entry.name;
}

ResourceRef<Resource> ResourceManager::FinishWait(const LoadedRow& row, bool waited)
{
    // Intended: a file without which the game cannot run ends it.
    if (row.missing)
        gPlatformSystem->CriticalError(StringFormat("Critical file %s not found!", row.name.c_str()));
    if (waited && printFilesWaitingOn.GetBool() && !StringEqualsNoCase(FileExtension(row.name), "sdr"))
        DebugSystem::Print(kPrintPlain, "Waited on %s\n", row.name.c_str());
    return row.object;
}

// ---- The loader ----------------------------------------------------------------------------

void ResourceManager::LoaderThread(void* argument)
{
    // The platform that started the thread ends it. The running flag falls only as that end
    // unwinds this stack: Shutdown's caller may take the manager and the platform away the
    // moment it falls.
    PlatformSystem* platform = gPlatformSystem;
    struct Stopped {
        ResourceManager& manager;
        ~Stopped() { manager.threadRunning.store(false); }
    } stopped{*static_cast<ResourceManager*>(argument)};
    stopped.manager.RunLoader();
    platform->EndThread();
}

void ResourceManager::RunLoader()
{
    loaderThreadId.store(static_cast<int64_t>(gPlatformSystem->GetCurrentThreadId()));
    for (;;) {
        bool quitting = quit.load();
        bool loaded = LoadNext();
        bool unloaded = UnloadNext();
        gPlatformSystem->Sleep(loaded || unloaded ? 0 : kIdleSleepMs);
        if (quitting && !unloaded)
            break;
    }
    loaderThreadId.store(-1);
}

int32_t ResourceManager::NextToLoad()
{
    if (waitedFor != -1) {
        int32_t row = waitedFor;
        std::string name = entries[row].name;
        int32_t loadArgument = entries[row].loadArgument;
        const ResourceType* type = FindType(name);
        int32_t before = type && type->prerequisite ? type->prerequisite(name, loadArgument) : -1;
        // A prerequisite that is loaded already (or will never be) no longer holds the row
        // back; waiting for it would keep the loader choosing it forever.
        if (IsRow(before) && !entries[before].loaded && entries[before].refCount > 0)
            return before;
        waitedFor = -1;
        return row;
    }
    if (loadQueue.empty())
        return -1;
    int32_t row = loadQueue.front();
    loadQueue.pop_front();
    return row;
}

int32_t ResourceManager::NextToUnload()
{
    if (unloadQueue.empty())
        return -1;
    int32_t row = unloadQueue.front();
    unloadQueue.pop_front();
    return row;
}

bool ResourceManager::LoadNext()
{
    PendingLoad pending;
    {
        CriticalSectionGuard guard(lock);
        int32_t row = NextToLoad();
        if (row < 0)
            return false;
        ResourceEntry& entry = entries[row];
        if (entry.loaded || entry.free || quit.load())
            return true;
        // Released before its turn: the row goes back for reuse instead of lingering unfound.
        if (entry.refCount <= 0) {
            FreeRow(row);
            return true;
        }
        entry.loading = true;
        pending = {row, entry.name, entry.loadArgument};
    }
    LoadRow(pending);
    return true;
}

// On the loader thread a factory may need a resource that is still queued; with no loader
// running the caller has to load it. Either way the row is loaded here and now, its
// prerequisite first.
bool ResourceManager::LoadHere(int32_t row, int depth)
{
    PendingLoad pending;
    int32_t before = -1;
    {
        CriticalSectionGuard guard(lock);
        ResourceEntry& entry = entries[row];
        if (entry.loaded)
            return true;
        if (entry.loading || depth > kMaxInlineDepth) {
            DebugSystem::Print(kPrintError, "%s needs itself to load\n", entry.name.c_str());
            return false;
        }
        if (entry.refCount <= 0 || entry.free)
            return false;
        entry.loading = true;
        pending = {row, entry.name, entry.loadArgument};
        const ResourceType* type = FindType(pending.name);
        if (type && type->prerequisite)
            before = type->prerequisite(pending.name, pending.loadArgument);
    }
    if (IsRow(before) && before != row)
        LoadHere(before, depth + 1);
    LoadRow(pending);
    return true;
}

void ResourceManager::LoadRow(const PendingLoad& pending)
{
    uint8_t* bytes = nullptr;
    bool missing = false;
    Resource* object = BuildObject(pending.name, pending.loadArgument, bytes, missing);
    FinishLoad(pending.row, object, missing, bytes);
}

// Outside the lock: reads the file (or its alternative) and runs the factory or the fallback.
Resource* ResourceManager::BuildObject(const std::string& name, int32_t loadArgument, uint8_t*& bytes, bool& missing)
{
    std::string working = name;
    if (ResourceRefresh refresh = FindRefresh(working))
        refresh(working);
    const ResourceType* type = FindType(working);
    File* file = OpenForLoad(working, type);
    if (!file && type && !type->alternativeExtension.empty()) {
        working.erase(static_cast<size_t>(FindExtensionPos(working, 0)));
        working += '.';
        working += type->alternativeExtension;
        type = FindType(working);
        file = OpenForLoad(working, type);
    }
    uint32_t count = 0;
    if (file && ReadWholeFile(working, file, type->memoryCategory, bytes, count))
        return type->factory ? type->factory(name, bytes, count, loadArgument) : nullptr;
    if (!file && type && !type->readsFile)
        return type->factory ? type->factory(name, nullptr, 0, loadArgument) : nullptr;
    DebugSystem::Print(kPrintError, "Couldn't find %s\n", name.c_str());
    if (type && type->fallback)
        return type->fallback(name);
    missing = true;
    return nullptr;
}

void ResourceManager::FinishLoad(int32_t row, Resource* object, bool missing, uint8_t* bytes)
{
    bool kept = object && object->KeepsBytes() && object->GetBytes() == bytes;
    bool abandoned;
    {
        CriticalSectionGuard guard(lock);
        ResourceEntry& entry = entries[row];
        entry.loading = false;
        // Every reference went while the factory ran: nobody can ask for the object, and
        // caching it would leave a row that no name finds.
        abandoned = entry.refCount <= 0;
        if (abandoned) {
            FreeRow(row);
        } else {
            entry.object = object;
            entry.loaded = true;
            entry.missing = missing;
            if (object)
                object->SetHandle(row);
        }
    }
    if (!kept)
        MemFreeArray(bytes);
    if (abandoned)
        Resource::ReleaseUse(object);
}

bool ResourceManager::UnloadNext()
{
    if (!quit.load() && !MemoryOverThreshold())
        return false;
    Resource* doomed = nullptr;
    {
        CriticalSectionGuard guard(lock);
        int32_t row = NextToUnload();
        if (row < 0)
            return false;
        ResourceEntry& entry = entries[row];
        if (!entry.loaded || entry.refCount > 0)
            return true;
        doomed = entry.object;
        FreeRow(row);
    }
    Resource::ReleaseUse(doomed);
    return true;
}

// ---- Reload, commands ----------------------------------------------------------------------

void ResourceManager::ReloadExtension(std::string_view extension, bool force, int32_t typeId)
{
    if (!force) {
        std::string dotted(1, '.');
        dotted.append(extension);
        const ResourceType* type = FindType(dotted);
        if (!type || !type->reloadable) {
            DebugSystem::Print(kPrintPlain, "Can't reload extension %.*s through this method!\n",
                               static_cast<int>(extension.size()), extension.data());
            return;
        }
    }
    CriticalSectionGuard guard(lock);
    for (int32_t row = 0; row < static_cast<int32_t>(entries.size()); ++row) {
        const ResourceEntry& entry = entries[row];
        if (!entry.loaded || !StringEqualsNoCase(FileExtension(entry.name), extension))
            continue;
        if (typeId != -1 && (!entry.object || entry.object->GetTypeId() != typeId))
            continue;
        Resource* object = std::exchange(entries[row].object, nullptr);
        entries[row].loaded = false;
        loadQueue.push_back(row);
        // Whoever still uses the old object keeps it until they let go.
        Resource::ReleaseUse(object);
    }
}

template <typename Settled> void ResourceManager::WaitUntil(Settled settled)
{
    // The loader cannot wait for itself.
    if (IsLoaderThread())
        return;
    // As in Get: the loader's uploads need the context the caller may hold.
    ContextHandOver handOver(contextLock);
    for (;;) {
        {
            CriticalSectionGuard guard(lock);
            if (!threadRunning.load() || settled())
                return;
        }
        gPlatformSystem->Sleep(0);
    }
}

void ResourceManager::WaitForLoadQueue()
{
    WaitUntil([this] { return loadQueue.empty(); });
}

void ResourceManager::PrintResourceInfo(std::string_view name)
{
    File* file = gFileSystem ? gFileSystem->Open(name, kFileRead | kFileBinary) : nullptr;
    if (!file) {
        DebugSystem::Print(kPrintPlain, "%.*s file doesn't exist\n", static_cast<int>(name.size()), name.data());
        return;
    }
    gFileSystem->Close(file);
    // A file of no resource type would load as missing, and the Get below would end the program.
    if (!FindType(name)) {
        DebugSystem::Print(kPrintPlain, "%.*s is not a resource type\n", static_cast<int>(name.size()), name.data());
        return;
    }
    ResourceHandle temporary;
    Load(name, temporary, 0);
    if (Resource* object = Get(temporary))
        object->PrintInfo();
    Release(std::exchange(temporary.value, -1));
}
