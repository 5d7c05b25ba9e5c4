// WorldHostResources -- the real resource manager behind a test's world host, with a kind of resource made from its name alone, as a generated sound would be.
#pragma once

#include "platform/PosixPlatformSystem.h"
#include "resources/Resource.h"
#include "resources/ResourceManager.h"
#include "server/WorldHost.h"

#include <string>

// Made after the host, gone before it: the host lets go of what it registered first, as at the
// program's shut-down before the manager's flush.
class WorldHostResources {
public:
    WorldHostResources(WorldHost& host, const std::string& userFolder, const char* kind)
        : host(host), platform(userFolder)
    {
        gPlatformSystem = &platform;
        gResourceManager = &manager;
        manager.Init();
        manager.RegisterType(kind, kMemGeneral, false, "", false,
                             [](const std::string&, uint8_t*, uint32_t, int32_t) { return new Resource(); });
    }

    ~WorldHostResources()
    {
        host.ReleaseResources();
        manager.Shutdown();
        gResourceManager = nullptr;
        gPlatformSystem = nullptr;
    }

    WorldHostResources(const WorldHostResources&) = delete;
    WorldHostResources& operator=(const WorldHostResources&) = delete;

private:
    WorldHost& host;
    PosixPlatformSystem platform;
    ResourceManager manager;
};
