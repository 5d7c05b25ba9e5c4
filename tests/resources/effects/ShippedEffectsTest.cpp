// ShippedEffectsTest -- the game's effect files load over the shipped assets without a message and draw with shipped shaders and textures.
#include "core/ColorSystem.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/UserVarSystem.h"
#include "platform/PosixFileSystem.h"
#include "platform/PosixPlatformSystem.h"
#include "resources/ResourceManager.h"
#include "resources/device/NullGraphicsDevice.h"
#include "resources/effects/BeamDefinition.h"
#include "resources/effects/EffectDefinition.h"
#include "resources/effects/EffectSystem.h"
#include "resources/effects/SwipeDefinition.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderSystem.h"
#include "resources/textures/TextureResource.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <deque>
#include <gtest/gtest.h>
#include <memory>

namespace {

class ShippedEffects : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* gameDir = std::getenv("EMBERLODE_GAME_DIR");
        if (!gameDir)
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        gDebugSystem = &debug;
        gPlatformSystem = &platform;
        files = std::make_unique<PosixFileSystem>(gameDir);
        files->SetRootFolders("Assets");
        gFileSystem = files.get();
        ASSERT_TRUE(files->MountArchive("assets001.zip")) << "the build writes game/assets001.zip";
        gCommandSystem = &commands;
        gUserVarSystem = &vars;
        gColorSystem = &colors;
        device = std::make_unique<NullGraphicsDevice>();
        gGraphicsDevice = device.get();
        device->RegisterVars();
        manager = std::make_unique<ResourceManager>();
        gResourceManager = manager.get();
        manager->Init();
        TextureResource::RegisterTypes(*manager);
        EffectSystem::RegisterTypes(*manager);
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

    // The definition's texture is a shader of the shipped files on a real texture.
    void ExpectShippedTexture(const ResourceHandle& texture, const std::string& name)
    {
        auto* shader = dynamic_cast<Shader*>(manager->Get(texture));
        ASSERT_NE(shader, nullptr) << name;
        std::string shaderName = manager->GetName(texture);
        EXPECT_NE(shaders->FindDefinition(shaderName.substr(0, shaderName.size() - 4)), nullptr) << name;
        ASSERT_FALSE(shader->stages.empty()) << name;
        auto* image = dynamic_cast<TextureResource*>(manager->Get(shader->stages[0]->texture));
        ASSERT_NE(image, nullptr) << name;
        EXPECT_FALSE(image->IsPlaceholder()) << name;
    }

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

TEST_F(ShippedEffects, EveryEffectFileLoadsQuietlyOnShippedTextures)
{
    std::vector<std::string> names;
    files->ListFiles("Effects", "", names, kLocationAssets, false, false, true);
    ASSERT_GE(names.size(), 7u);
    for (const std::string& name : names) {
        ResourceHandle& handle = handles.emplace_back();
        manager->Load("Effects/" + name, handle);
        Resource* definition = manager->Get(handle);
        if (auto* effect = dynamic_cast<EffectDefinition*>(definition))
            ExpectShippedTexture(effect->texture, name);
        else if (auto* beam = dynamic_cast<BeamDefinition*>(definition))
            ExpectShippedTexture(beam->texture, name);
        else if (auto* swipe = dynamic_cast<SwipeDefinition*>(definition))
            ExpectShippedTexture(swipe->texture, name);
        else
            ADD_FAILURE() << name << " is no effect file";
    }
    std::vector<std::string> console = debug.GetConsoleLines();
    EXPECT_TRUE(console.empty()) << console.front();

    // The client starts the rain on every world entry; it falls only with the weather.
    ResourceHandle& rain = handles.emplace_back();
    manager->Load(std::string("Effects/") + EffectSystem::kWorldEffect, rain);
    auto* effect = dynamic_cast<EffectDefinition*>(manager->Get(rain));
    ASSERT_NE(effect, nullptr);
    EXPECT_GT(effect->spawnInterval, 0.0f);
    EXPECT_TRUE(effect->spawnRateMultWeather);
}

} // namespace
