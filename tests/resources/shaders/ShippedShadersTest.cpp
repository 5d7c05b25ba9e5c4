// ShippedShadersTest -- the game's shader files and fonts load through the resource manager over the shipped assets without a message.
#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "resources/ResourceManager.h"
#include "resources/device/NullGraphicsDevice.h"
#include "resources/fonts/FontResource.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderLookup.h"
#include "resources/shaders/ShaderSystem.h"
#include "resources/textures/TextureResource.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <deque>
#include <gtest/gtest.h>
#include <memory>

namespace {

class ShippedShaders : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
        if (!gameDir)
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        gDebugSystem = &debug;
        debug.SetMaxConsoleLines(1 << 16);
        gPlatformSystem = &platform;
        files = std::make_unique<PosixFileSystem>(gameDir);
        files->SetRootFolders("Assets");
        gFileSystem = files.get();
        ASSERT_TRUE(files->MountArchive("assets001.zip")) << "the build writes game/assets001.zip";
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gColorSystem = &colors;
        // The device's context lock comes from the platform.
        device = std::make_unique<NullGraphicsDevice>();
        gGraphicsDevice = device.get();
        device->RegisterVars();
        manager = std::make_unique<ResourceManager>();
        gResourceManager = manager.get();
        manager->Init();
        TextureResource::RegisterTypes(*manager);
        FontResource::RegisterType(*manager);
        shaders = std::make_unique<ShaderSystem>();
        gShaderSystem = shaders.get();
        shaders->Start();
    }

    void TearDown() override
    {
        handles.clear();
        if (manager)
            manager->Shutdown();
        gShaderSystem = nullptr;
        shaders.reset();
        gResourceManager = nullptr;
        manager.reset();
        gGraphicsDevice = nullptr;
        device.reset();
        gColorSystem = nullptr;
        gUserVarSystem = nullptr;
        gCommandSystem = nullptr;
        gFileSystem = nullptr;
        gPlatformSystem = nullptr;
        gDebugSystem = nullptr;
    }

    // Null unless the handle holds a texture that is not the stand-in for a missing one.
    const TextureResource* RealTexture(int32_t handle)
    {
        auto* texture = dynamic_cast<TextureResource*>(manager->Get(handle));
        return texture && !texture->IsPlaceholder() ? texture : nullptr;
    }

    ResourceHandle& Hold() { return handles.emplace_back(); }

    DebugSystem debug;
    TempFolder user;
    PosixPlatformSystem platform{(user.Path() / "User").string()};
    std::unique_ptr<PosixFileSystem> files;
    CommandSystem commands;
    UserVarSystem vars;
    ColorSystem colors;
    std::unique_ptr<NullGraphicsDevice> device;
    std::unique_ptr<ResourceManager> manager;
    std::unique_ptr<ShaderSystem> shaders;
    std::deque<ResourceHandle> handles;
};

TEST_F(ShippedShaders, EveryDefinitionBuildsOnRealTextures)
{
    ASSERT_GE(shaders->GetDefinitionCount(), 30u);
    for (size_t i = 0; i < shaders->GetDefinitionCount(); ++i) {
        const std::string name = shaders->GetDefinition(i).name;
        ResourceHandle& handle = Hold();
        LoadTextureByName(name, handle, TextureUsage::Plain);
        auto* shader = dynamic_cast<Shader*>(manager->Get(handle));
        ASSERT_NE(shader, nullptr) << name;
        EXPECT_EQ(shader->index, static_cast<int32_t>(i)) << name;
        ASSERT_FALSE(shader->stages.empty()) << name;
        for (const auto& stage : shader->stages) {
            if (stage->animTextures.empty()) {
                EXPECT_NE(RealTexture(stage->texture), nullptr) << name;
            }
            for (const ResourceHandle& frame : stage->animTextures)
                EXPECT_NE(RealTexture(frame), nullptr) << name;
        }
    }
    std::vector<std::string> console = debug.GetConsoleLines();
    EXPECT_TRUE(console.empty()) << console.front();
}

// The pages hold characters 32 to 126 in 16 columns of cells from the top-left corner.
TEST_F(ShippedShaders, FontsPlaceTheirGlyphsOnTheirPagesCells)
{
    std::vector<std::string> names;
    files->ListFiles("Textures/Fonts", "fnt", names, kLocationAssets, false, false, true);
    ASSERT_GE(names.size(), 4u);
    for (const std::string& name : names) {
        ResourceHandle& handle = Hold();
        manager->Load("Textures/Fonts/" + name, handle);
        auto* font = dynamic_cast<FontResource*>(manager->Get(handle));
        ASSERT_NE(font, nullptr) << name;
        auto* shader = dynamic_cast<Shader*>(manager->Get(font->GetShader()));
        ASSERT_NE(shader, nullptr) << name;
        const TextureResource* page = RealTexture(shader->stages[0]->texture);
        ASSERT_NE(page, nullptr) << name;
        for (int character : {' ', 'A', 'q', '~'}) {
            const FontGlyph* glyph = font->GetGlyph(font->GetGlyphIndex(character));
            ASSERT_NE(glyph, nullptr) << name;
            int cell = character - 32;
            float width = static_cast<float>(glyph->width);
            float height = static_cast<float>(glyph->height);
            EXPECT_NEAR(glyph->left * page->GetWidth(), (cell % 16) * width, 0.01f) << name << character;
            EXPECT_NEAR(glyph->top * page->GetHeight(), (cell / 16) * height, 0.01f) << name << character;
            EXPECT_NEAR(glyph->right * page->GetWidth(), (cell % 16 + 1) * width, 0.01f) << name << character;
            EXPECT_NEAR(glyph->bottom * page->GetHeight(), (cell / 16 + 1) * height, 0.01f) << name << character;
            EXPECT_EQ(height * 6.0f, width * 10.0f) << name;
        }
        EXPECT_EQ(font->GetGlyphIndex(200), 95);
        EXPECT_EQ(FontResource::GetGlyphWidth(*font->GetGlyph(95)), 0);
        EXPECT_EQ(font->GetDefaultLineHeight(), font->GetSize());
    }
    std::vector<std::string> console = debug.GetConsoleLines();
    EXPECT_TRUE(console.empty()) << console.front();
}

} // namespace
