// ShippedShaderWorld -- the shader world over the shipped game folder: its assets and archive linked into the temporary one, the shader files read.
#pragma once

#include "resources/shaders/ShaderWorld.h"
#include "support/ShippedGame.h"

#include <cstddef>
#include <string>
#include <vector>

class ShippedShaderWorld : public ShaderWorld {
protected:
    void SetUp() override
    {
        if (!LinkShippedGame(folder.Path()))
            GTEST_SKIP() << "EMBERLODE_GAME_DIR not set";
        ASSERT_TRUE(files.MountArchive("assets001.zip")) << "the build writes game/assets001.zip";
        setUpLines = debug.GetConsoleLines().size();
        StartShaders();
    }

    // What was printed since the archive was mounted (so the shader files' reading counts),
    // developer lines included.
    std::vector<std::string> NewLines() const
    {
        std::vector<std::string> lines = debug.GetConsoleLines();
        return {lines.begin() + static_cast<std::ptrdiff_t>(setUpLines), lines.end()};
    }

    // Null unless the handle holds a texture that is not the stand-in for a missing one.
    const TextureResource* RealTexture(int32_t handle)
    {
        auto* texture = dynamic_cast<TextureResource*>(manager->Get(handle));
        return texture && !texture->IsPlaceholder() ? texture : nullptr;
    }

    size_t setUpLines = 0;
};
