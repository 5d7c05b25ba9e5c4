// ResourceWorld -- a resource manager with its loader thread over a temporary game folder, probes and gates.
#pragma once

#include "core/Memory.h"
#include "resources/AssetFolderWorld.h"
#include "resources/Resource.h"
#include "resources/ResourceManager.h"

#include <algorithm>
#include <chrono>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// A one-way barrier: Wait blocks until Open.
class LoadBarrier {
public:
    void Open()
    {
        std::lock_guard<std::mutex> guard(mutex);
        open = true;
        changed.notify_all();
    }
    void Wait()
    {
        std::unique_lock<std::mutex> guard(mutex);
        changed.wait(guard, [this] { return open; });
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
};

// A resource that counts its instances and remembers which factory built it from what.
class ProbeResource : public Resource {
public:
    ProbeResource(std::string builtBy, std::string content, int32_t typeId = -1)
        : builtBy(std::move(builtBy)), content(std::move(content)), typeId(typeId)
    {
        ++live;
    }
    ~ProbeResource() override
    {
        std::lock_guard<std::mutex> guard(liveLock);
        --live;
        liveChanged.notify_all();
    }
    int32_t GetTypeId() const override { return typeId; }

    // Blocks until the number of live probes is the given one; false if that takes a minute,
    // which only a broken loader does.
    static bool WaitForLive(int count)
    {
        std::unique_lock<std::mutex> guard(liveLock);
        return liveChanged.wait_for(guard, std::chrono::minutes(1), [count] { return live.load() == count; });
    }

    static inline std::atomic<int> live{0};
    static inline std::mutex liveLock;
    static inline std::condition_variable liveChanged;
    std::string builtBy;
    std::string content;
    int32_t typeId;
};

class ResourceWorld : public AssetFolderWorld {
protected:
    ResourceWorld()
    {
        baselineBytes = MemBytesInUse(kMemTotal);
        baselineProbes = ProbeResource::live.load();
        manager = std::make_unique<ResourceManager>();
        gResourceManager = manager.get();
        manager->Init();
        // A row that reads no file: each load of a fresh name is one trip through the loader.
        manager->RegisterType("sync", kMemGeneral, false, "", true, [](const std::string&, uint8_t*, uint32_t, int32_t) {
            return new Resource();
        });
        manager->RegisterType("blk", kMemGeneral, false, "", true, [this](const std::string& name, uint8_t*, uint32_t, int32_t) {
            GateFor(name).Wait();
            return new Resource();
        });
        platform.onMainThreadSleep = [this] { OpenGates(); };
    }

    ~ResourceWorld() override
    {
        manager.reset();
        SetMemoryThreshold(0);
    }

    // Every test ends with the loader stopped and nothing of its own left allocated.
    void TearDown() override
    {
        blockers.clear();
        manager->Shutdown();
        EXPECT_EQ(ProbeResource::live.load(), baselineProbes);
        EXPECT_EQ(MemBytesInUse(kMemTotal), baselineBytes);
    }

    // Queues a load that holds the loader until the main thread next yields, which it does
    // only once a Get has named the row it waits for (or in WaitForLoadQueue and Shutdown).
    void BlockLoader()
    {
        std::string name = "hold" + std::to_string(blockers.size()) + ".blk";
        {
            std::lock_guard<std::mutex> guard(gatesLock);
            gatesByName[name] = &gates.emplace_back();
        }
        manager->Load(name, blockers.emplace_back());
    }

    LoadBarrier& GateFor(const std::string& name)
    {
        std::lock_guard<std::mutex> guard(gatesLock);
        return *gatesByName.at(name);
    }

    void OpenGates()
    {
        std::lock_guard<std::mutex> guard(gatesLock);
        for (LoadBarrier& gate : gates)
            gate.Open();
    }

    // Registers a type whose factory makes probes and records, in order, the names it built.
    void RegisterProbe(const std::string& extension, bool readsFile, const std::string& alternative = "",
                       ResourcePrerequisite prerequisite = {}, bool withFallback = false, bool reloadable = true)
    {
        ResourceFallback fallback;
        if (withFallback)
            fallback = [extension](const std::string&) { return new ProbeResource(extension + " fallback", ""); };
        manager->RegisterType(
            extension, kMemGeneral, readsFile, alternative, reloadable,
            [this, extension](const std::string& name, uint8_t* bytes, uint32_t count, int32_t) {
                Record(name);
                return new ProbeResource(extension, std::string(reinterpret_cast<const char*>(bytes), count));
            },
            fallback, std::move(prerequisite));
    }

    void Record(const std::string& name)
    {
        std::lock_guard<std::mutex> guard(builtLock);
        built.push_back(name);
    }

    std::vector<std::string> Built()
    {
        std::lock_guard<std::mutex> guard(builtLock);
        return built;
    }

    ProbeResource* GetProbe(int32_t handle) { return dynamic_cast<ProbeResource*>(manager->Get(handle)); }

    // Returns once the loader has finished at least one whole pass after the call.
    void RunLoaderPass()
    {
        ResourceHandle first;
        ResourceHandle second;
        manager->Load("pass" + std::to_string(passNumber++) + ".sync", first);
        manager->Get(first);
        manager->Load("pass" + std::to_string(passNumber++) + ".sync", second);
        manager->Get(second);
    }

    std::unique_ptr<ResourceManager> manager;
    int64_t baselineBytes = 0;
    int baselineProbes = 0;
    int passNumber = 0;
    std::mutex gatesLock;
    std::deque<LoadBarrier> gates;
    std::map<std::string, LoadBarrier*> gatesByName;
    std::deque<ResourceHandle> blockers;
    std::mutex builtLock;
    std::vector<std::string> built;
};
