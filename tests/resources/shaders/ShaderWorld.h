// ShaderWorld -- a resource manager with textures, fonts and the shader system over a temporary game folder, drawn on a recording device.
#pragma once

#include "resources/ResourceWorld.h"
#include "resources/device/RecordingGraphicsDevice.h"
#include "resources/fonts/FontResource.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderLookup.h"
#include "resources/shaders/ShaderSystem.h"
#include "resources/textures/TextureResource.h"

#include <memory>
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

    // A w x h 24-bit Targa of one colour (blue, green, red in the file).
    void WriteTarga(const std::string& path, int width, int height)
    {
        std::string bytes(18, '\0');
        bytes[2] = 2;
        bytes[12] = static_cast<char>(width);
        bytes[13] = static_cast<char>(width >> 8);
        bytes[14] = static_cast<char>(height);
        bytes[15] = static_cast<char>(height >> 8);
        bytes[16] = 24;
        bytes.append(static_cast<size_t>(width * height * 3), '\x40');
        WriteAsset(path, bytes);
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
