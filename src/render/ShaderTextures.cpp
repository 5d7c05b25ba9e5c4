// ShaderTextures -- a shader resource's first texture and its size, and how often that texture repeats over a quad.
#include "render/ShaderTextures.h"

#include "resources/ResourceManager.h"
#include "resources/shaders/Shader.h"
#include "resources/textures/TextureResource.h"

#include <algorithm>
#include <cmath>

const Shader* ShaderTextures::GetShader(int32_t handle)
{
    if (handle == -1 || !gResourceManager)
        return nullptr;
    return dynamic_cast<const Shader*>(gResourceManager->Get(handle));
}

const TextureResource* ShaderTextures::GetShaderTexture(int32_t handle)
{
    const Shader* shader = GetShader(handle);
    if (!shader || shader->stages.empty())
        return nullptr;
    const ResourceHandle& texture = shader->stages.front()->GetCurrentTexture(true, 0.0f);
    return dynamic_cast<const TextureResource*>(gResourceManager->Get(texture));
}

Tiling ShaderTextures::GetShaderTextureSize(int32_t handle)
{
    const TextureResource* texture = GetShaderTexture(handle);
    if (!texture)
        return {};
    return {static_cast<float>(texture->GetWidth()), static_cast<float>(texture->GetHeight())};
}

