// ShaderTextures -- a shader resource and its first texture.
#include "render/ShaderTextures.h"

#include "resources/ResourceManager.h"
#include "resources/shaders/Shader.h"

#include <algorithm>
#include <cmath>

const Shader* ShaderTextures::GetShader(int32_t handle)
{
    if (handle == -1 || !gResourceManager)
        return nullptr;
    return dynamic_cast<const Shader*>(gResourceManager->Get(handle));
}

