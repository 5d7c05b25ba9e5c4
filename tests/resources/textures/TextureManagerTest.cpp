// TextureManagerTest -- textures through the resource manager: the Targa stand-in for caches, the placeholder and reload.
#include "resources/shaders/ShaderWorld.h"
#include "resources/textures/TextureTools.h"

#include <filesystem>

class TextureManagerWorld : public ShaderWorld {
protected:
    TextureManagerWorld() { manager->SetGraphicsContextLock(&device.GetContextLock()); }

    TextureResource* GetTexture(const ResourceHandle& handle)
    {
        return dynamic_cast<TextureResource*>(manager->Get(handle));
    }

    void WriteTarga(const std::string& path, const std::vector<uint8_t>& pixels)
    {
        WriteAsset(path, AsText(MakeTarga(2, 1, 24, pixels)));
    }
};

TEST_F(TextureManagerWorld, MissingCachesFallBackToTheirTargaAndThenToThePlaceholder)
{
    WriteTarga("Textures/a.tga", {1, 2, 3, 4, 5, 6});
    ResourceHandle cached;
    ResourceHandle missing;
    manager->Load("Textures/a.ctx", cached);
    manager->Load("Textures/none.rtx", missing);
    TextureResource* texture = GetTexture(cached);
    ASSERT_NE(texture, nullptr);
    EXPECT_FALSE(texture->IsPlaceholder());
    EXPECT_EQ(texture->GetWidth(), 2);
    std::optional<RecordedUpload> upload = device.FindUpload(texture->GetTextureId());
    ASSERT_TRUE(upload);
    EXPECT_EQ(upload->pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    // Uploads run on the loader thread, inside the context.
    EXPECT_TRUE(upload->contextHeld);
    TextureResource* placeholder = GetTexture(missing);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_TRUE(placeholder->IsPlaceholder());
    EXPECT_EQ(CountLogged("Couldn't find Textures/none.rtx"), 1);
}

TEST_F(TextureManagerWorld, ReloadRebuildsTexturesAndReusesTheFreedIds)
{
    WriteTarga("Textures/c.tga", {1, 1, 1, 2, 2, 2});
    ResourceHandle handle;
    manager->Load("Textures/c.tga", handle);
    int32_t oldId = GetTexture(handle)->GetTextureId();
    WriteTarga("Textures/c.tga", {7, 7, 7, 8, 8, 8});
    ASSERT_TRUE(gCommandSystem->Execute("reloadExtension tga"));
    TextureResource* texture = GetTexture(handle);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(device.GetDeletions(), std::vector<int32_t>{oldId});
    EXPECT_EQ(texture->GetTextureId(), oldId);
    EXPECT_EQ(device.FindUpload(oldId)->pixels, (std::vector<uint8_t>{7, 7, 7, 8, 8, 8}));
}

// Built when first asked for, a cache holds the bytes the batch build writes, and a cache that is
// up to date is read as it is; with building off the Targa stands in and nothing is written.
TEST_F(TextureManagerWorld, CachesAreBuiltWhenFirstAskedForAsTheBatchBuildWritesThem)
{
    struct Case {
        std::string extension;
        void (*batch)();
    };
    const Case cases[] = {{"ctx", &TextureTools::BuildCtxFiles}, {"rtx", &TextureTools::BuildRtxFiles}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        // Named after the case, so that one case's caches are no source of the other's.
        auto path = [&c](const char* texture, const std::string& extension) {
            return "Textures/" + c.extension + texture + "." + extension;
        };
        auto cached = [&](const char* texture) {
            return std::filesystem::exists(folder.Path() / "User" / path(texture, c.extension));
        };
        for (const char* texture : {"Off", "Asked", "Ready"})
            WriteAsset(path(texture, "tga"), AsText(MakeTarga(8, 8, 24, PatternPixels(8, 8, 3))));
        ResourceHandle off;
        manager->Load(path("Off", c.extension), off);
        ASSERT_NE(GetTexture(off), nullptr);
        EXPECT_FALSE(cached("Off"));

        TextureTools::SetBuildOnLoad(*manager, true);
        ResourceHandle asked;
        manager->Load(path("Asked", c.extension), asked);
        TextureResource* texture = GetTexture(asked);
        ASSERT_NE(texture, nullptr);
        EXPECT_FALSE(texture->IsPlaceholder());
        ASSERT_TRUE(cached("Asked"));
        EXPECT_EQ(CountLogged("Created compressed texture " + path("Asked", c.extension)), 1);
        std::string built = folder.Read("User/" + path("Asked", c.extension));
        std::filesystem::remove(folder.Path() / "User" / path("Asked", c.extension));
        c.batch();
        EXPECT_EQ(folder.Read("User/" + path("Asked", c.extension)), built);

        // The batch build made this one: asked for, it is read as it is.
        ResourceHandle ready;
        manager->Load(path("Ready", c.extension), ready);
        ASSERT_NE(GetTexture(ready), nullptr);
        EXPECT_EQ(CountLogged("Created compressed texture " + path("Ready", c.extension)), 1);
        TextureTools::SetBuildOnLoad(*manager, false);
    }
}
