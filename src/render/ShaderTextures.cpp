// ShaderTextures -- a shader resource and its first texture.
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

