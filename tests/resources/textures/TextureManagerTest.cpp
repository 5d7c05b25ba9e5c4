// TextureManagerTest -- textures through the resource manager: the Targa stand-in for caches, the placeholder and reload.
#include "resources/shaders/ShaderWorld.h"

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
