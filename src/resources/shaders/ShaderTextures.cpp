// ShaderTextures -- a shader resource's first texture and its size, and how often that texture repeats over a quad.
#include "resources/shaders/ShaderTextures.h"

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
    if (!shader || shader->stages.empty() || !shader->stages.front())
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

Tiling ShaderTextures::GetShaderTiling(float width, float height, int32_t handle, bool round)
{
    if (!(width > 0.0f) || !(height > 0.0f))
        return {};
    Tiling size = GetShaderTextureSize(handle);
    if (!(size.u > 0.0f) || !(size.v > 0.0f))
        return {};
    Tiling tiling{width / size.u, height / size.v};
    if (round) {
        tiling.u = std::max(std::round(tiling.u), 1.0f);
        tiling.v = std::max(std::round(tiling.v), 1.0f);
    }
    return tiling;
}
