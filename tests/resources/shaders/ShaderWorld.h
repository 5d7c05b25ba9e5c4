// ShaderWorld -- a resource manager with textures, fonts and the shader system over a temporary game folder, drawn on a recording device.
#pragma once

#include "resources/ResourceWorld.h"
#include "support/RecordingGraphicsDevice.h"
#include "resources/fonts/FontResource.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderLookup.h"
#include "resources/shaders/ShaderSystem.h"
#include "resources/textures/TextureResource.h"
#include "resources/textures/TextureWorld.h"

#include <memory>
#include <sstream>
#include <string>

class ShaderWorld : public ResourceWorld {
protected:
    ShaderWorld()
    {
        debug.SetDeveloper(true);
        gColorSystem = &colors;
        gGraphicsDevice = &device;
        device.RegisterVars();
        TextureResource::RegisterTypes(*manager);
        FontResource::RegisterType(*manager);
    }

    ~ShaderWorld() override
    {
        gShaderSystem = nullptr;
        shaders.reset();
        gGraphicsDevice = nullptr;
        gColorSystem = nullptr;
    }

    // Every handle a test holds is given up before the loader is stopped and counted.
    void TearDown() override
    {
        for (ResourceHandle& handle : held)
            handle.Reset();
        ResourceWorld::TearDown();
    }

    // Reads the shader files written so far.
    void StartShaders()
    {
        shaders = std::make_unique<ShaderSystem>();
        gShaderSystem = shaders.get();
        shaders->Start();
    }

    // A font file in which byte b is glyph b, glyph b's texture strip b / 256 to (b + 1) / 256.
    // Printable glyphs are 4 + b % 3 wide and 8 high; glyph 0 is 12 high (the default line
    // height); the others have no size. A scale multiplies every size; a height scale, when
    // given, the heights alone.
    static std::string MakeGlyphFont(int scale, int heightScale = 0)
    {
        if (heightScale == 0)
            heightScale = scale;
        std::ostringstream text;
        text << "size 8\ncharIndexes {\n";
        for (int byte = 0; byte < 256; ++byte)
            text << byte << ' ';
        text << "}\ncharData {\n";
        for (int glyph = 0; glyph < 256; ++glyph) {
            bool printable = glyph >= 32 && glyph < 127;
            int height = glyph == 0 ? 12 : (printable ? 8 : 0);
            text << glyph / 256.0 << " 0.25 " << (glyph + 1) / 256.0 << " 0.75 " << (4 + glyph % 3) * scale << ' '
                 << height * heightScale << '\n';
        }
        text << "}\n";
        return text.str();
    }

    // A w x h 24-bit Targa of one grey.
    void WriteTarga(const std::string& path, int width, int height)
    {
        WriteAsset(path, AsText(MakeTarga(width, height, 24, std::vector<uint8_t>(width * height * 3u, 0x40))));
    }

    // A handle the fixture releases at the end.
    ResourceHandle& Hold()
    {
        held.emplace_back();
        return held.back();
    }

    ResourceHandle& LoadShader(const std::string& name, int32_t usage)
    {
        ResourceHandle& handle = Hold();
        LoadTextureByName(name, handle, usage);
        return handle;
    }

    Shader* GetShader(int32_t handle) { return dynamic_cast<Shader*>(manager->Get(handle)); }

    std::string TextureName(const ResourceHandle& handle) { return manager->GetName(handle); }

    ColorSystem colors;
    RecordingGraphicsDevice device;
    std::unique_ptr<ShaderSystem> shaders;
    std::deque<ResourceHandle> held;
};
