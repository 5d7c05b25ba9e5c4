// ShaderTextures -- a shader resource and its first texture.
#pragma once

#include <cstdint>

class Shader;
class TextureResource;

class ShaderTextures {
public:
    // Null for handle -1 or a handle that holds no shader.
    static const Shader* GetShader(int32_t handle);
    // The first stage's texture at time 0 (frame 0 of an animation); null when there is none.
    static const TextureResource* GetShaderTexture(int32_t handle);
};
