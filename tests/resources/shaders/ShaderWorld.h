// ShaderWorld -- a resource manager with textures, fonts and the shader system over a temporary game folder, drawn on a recording device.
#pragma once

#include "resources/ResourceWorld.h"
#include "resources/device/RecordingGraphicsDevice.h"
#include "resources/fonts/FontResource.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderLookup.h"
#include "resources/shaders/ShaderSystem.h"
#include "resources/textures/TextureResource.h"
#include "resources/textures/TextureWorld.h"

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
