// Resource -- the base of every object the resource manager builds from a file: kept file bytes and its row.
#include "resources/Resource.h"

#include "core/DebugSystem.h"
#include "core/Memory.h"
#include "resources/ResourceManager.h"

Resource::~Resource()
{
    if (keepsBytes)
        MemFreeArray(fileBytes);
}

void Resource::ReleaseUse(const Resource* resource)
{
    // Acquire-release: the thread that deletes sees every write made under the other uses.
    if (resource && resource->uses.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete resource;
}

void Resource::PrintInfo()
{
    DebugSystem::Print(kPrintPlain, "This type doesn't support printInfo yet (ask a programmer if really needed)\n");
}

int32_t Resource::GetTypeId() const
{
    return -1;
}

std::string Resource::GetName() const
{
    return gResourceManager ? gResourceManager->GetName(handle) : std::string();
}

void Resource::KeepBytes(uint8_t* bytes, uint32_t count)
{
    fileBytes = bytes;
    byteCount = count;
    keepsBytes = bytes != nullptr;
}

