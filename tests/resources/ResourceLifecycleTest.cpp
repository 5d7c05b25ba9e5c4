// ResourceLifecycleTest -- the manager through the engine's start-up and shut-down: loader started, used, stopped, nothing left.
#include "core/Application.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/Memory.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "resources/ResourceManager.h"
#include "resources/TextResource.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace {

template <class T>
void Destroy(T*& pointer)
{
    delete pointer;
    pointer = nullptr;
}

// The systems the manager stands on, in their slots, and the manager as the composition root
// installs it: created fourteenth, started with the commands, flushed at shut-down.
void InstallResourceLife(Application& app, const std::string& root)
{
    app.SetSystem(SystemSlot::Platform, {[root] {
                                             auto* platform = new PosixPlatformSystem(root + "/User");
                                             platform->SetCriticalErrorHandler(
                                                 [](const std::string& message) { throw std::runtime_error(message); });
                                             gPlatformSystem = platform;
                                         },
                                         nullptr, [] { Destroy(gPlatformSystem); }});
    app.SetSystem(SystemSlot::FileSystem, {[root] {
                                               gFileSystem = new PosixFileSystem(root);
                                               gFileSystem->SetRootFolders("Assets");
                                           },
                                           nullptr, [] { Destroy(gFileSystem); }});
    app.SetSystem(SystemSlot::Debug, {[] { gDebugSystem = new DebugSystem(); }, nullptr, [] { Destroy(gDebugSystem); }});
    app.SetSystem(SystemSlot::Command, {[] { gCommandSystem = new CommandSystem(); },
                                        [] { gCommandSystem->RegisterCommands(); },
                                        [] { Destroy(gCommandSystem); }});
    app.SetSystem(SystemSlot::UserVars, {[] { gUserVarSystem = new UserVarSystem(); },
                                         [] { gUserVarSystem->RegisterCommands(); },
                                         [] { Destroy(gUserVarSystem); }});
    app.SetSystem(SystemSlot::ResourceManager, {[] { gResourceManager = new ResourceManager(); },
                                                [] { gResourceManager->Init(); },
                                                [] { Destroy(gResourceManager); }});
    app.AddShutDownHook(ShutDownStep::ReleaseResources, [] { gResourceManager->Shutdown(); });
}

TEST(ResourceLifecycle, TheLoaderStartsWithTheEngineLoadsTextAndStopsWithNothingLeft)
{
    TempFolder folder;
    folder.Write("Assets/readme.txt", "read me");
    int64_t baseline = MemBytesInUse(kMemTotal);
    bool builtOnLoader = false;
    {
        Application app;
        InstallResourceLife(app, folder.Path().string());
        ASSERT_TRUE(app.StartUp());
        gResourceManager->RegisterType("where", kMemGeneral, false, "", true,
                                       [&](const std::string&, uint8_t*, uint32_t, int32_t) {
                                           builtOnLoader = gResourceManager->IsLoaderThread();
                                           return new Resource();
                                       });
        ResourceHandle text, where;
        gResourceManager->Load("readme.txt", text);
        gResourceManager->Load("probe.where", where);
        auto* resource = dynamic_cast<TextResource*>(gResourceManager->Get(text));
        ASSERT_NE(resource, nullptr);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(resource->GetBytes()), resource->GetByteCount()), "read me");
        EXPECT_NE(gResourceManager->Get(where), nullptr);
        EXPECT_TRUE(ExecuteCommandLine("printResourceInfo readme.txt"));
        EXPECT_GT(MemBytesInUse(kMemTotal), baseline);
        text.Reset();
        where.Reset();
        app.ShutDown();
        EXPECT_EQ(gResourceManager, nullptr);
    }
    EXPECT_TRUE(builtOnLoader);
    EXPECT_EQ(MemBytesInUse(kMemTotal), baseline);
}

} // namespace
