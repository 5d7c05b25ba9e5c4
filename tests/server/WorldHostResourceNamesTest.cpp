// WorldHostResourceNamesTest -- a resource the host registers through the real resource manager: its handle named once in the table and kept, the same name again no change, no name no entry.
#include "server/WorldHostResources.h"
#include "server/WorldHostWorld.h"

namespace {

class WorldHostResourceNames : public WorldHostWorld {
protected:
    WorldHostResources resources{*host, (folder.Path() / "User").string(), "tone"};
};

TEST_F(WorldHostResourceNames, AHandleIsNamedOnceAndKeptWhileTheTableNamesIt)
{
    int32_t handle = host->RegisterResource("Sounds/ding.tone");
    ASSERT_GE(handle, 0);
    ASSERT_GT(game->GetResourceNames().size(), static_cast<size_t>(handle));
    EXPECT_EQ(game->GetResourceNames()[static_cast<size_t>(handle)], "Sounds/ding.tone");
    EXPECT_EQ(game->GetChangedResourceNames(), std::vector<int32_t>{handle});
    EXPECT_EQ(host->RegisterResource("Sounds/ding.tone"), handle);
    EXPECT_EQ(game->GetChangedResourceNames().size(), 1u) << "the same name at the same handle is no change";
    size_t names = game->GetResourceNames().size();
    EXPECT_EQ(host->RegisterResource(""), -1);
    EXPECT_EQ(game->GetResourceNames().size(), names);
    EXPECT_EQ(game->GetChangedResourceNames().size(), 1u);
}

} // namespace

namespace {

TEST_F(WorldHostResourceNames, ASoundTheGameQueuesIsNamedThroughTheHost)
{
    Entity* source = Spawn(100.0f, 100.0f);
    source->QueueWorldEvent("Sounds/ding.tone", 50.0f, 0.5f);
    source->QueueWorldEvent("Sounds/ding.tone", 50.0f, 0.5f);
    ASSERT_EQ(game->GetSounds().size(), 2u);
    int32_t handle = game->GetSounds()[0].sound;
    EXPECT_EQ(game->GetSounds()[1].sound, handle) << "the kept resource answers to the same handle";
    EXPECT_EQ(game->GetResourceNames()[static_cast<size_t>(handle)], "Sounds/ding.tone");
    EXPECT_EQ(host->RegisterResource("Sounds/ding.tone"), handle);
    gWorldHost = nullptr;
    source->QueueWorldEvent("Sounds/ding.tone", 50.0f, 0.5f);
    EXPECT_EQ(game->GetSounds().size(), 2u) << "without a host nobody could name it";
    gWorldHost = host.get();
}

} // namespace
