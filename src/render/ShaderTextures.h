// ShaderTextures -- a shader resource's first texture and its size, and how often that texture repeats over a quad.
#pragma once

#include <cstdint>

class Shader;
class TextureResource;

struct Tiling {
    float u = 0.0f;
    float v = 0.0f;
};

class ShaderTextures {
public:
    // Null for handle -1 or a handle that holds no shader.
    static const Shader* GetShader(int32_t handle);
    // The first stage's texture at time 0 (frame 0 of an animation); null when there is none.
    static const TextureResource* GetShaderTexture(int32_t handle);
    // That texture's width and height, or (0, 0).
    static Tiling GetShaderTextureSize(int32_t handle);
};
