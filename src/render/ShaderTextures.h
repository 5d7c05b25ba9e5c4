// ShaderTextures -- a shader resource and its first texture.
#pragma once

#include <cstdint>

class Shader;

class ShaderTextures {
public:
    // Null for handle -1 or a handle that holds no shader.
    static const Shader* GetShader(int32_t handle);
};
