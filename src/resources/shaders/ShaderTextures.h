// ShaderTextures -- a shader resource's first texture and its size, and how often that texture repeats over a quad.
#pragma once

#include <cstdint>

class Shader;
class TextureResource;

// Repeats of a texture across a quad (or a texture's size), u across and v down.
struct Tiling {
    float u = 0.0f;
    float v = 0.0f;
};

// Main thread; lookups through the resource manager, which holds what they give.
class ShaderTextures {
public:
    // Null for handle -1 or a handle that holds no shader.
    static const Shader* GetShader(int32_t handle);
    // The first stage's texture at time 0 (frame 0 of an animation); null when there is none.
    static const TextureResource* GetShaderTexture(int32_t handle);
    // That texture's width and height, or (0, 0).
    static Tiling GetShaderTextureSize(int32_t handle);
    // Quad size over texture size on each axis; (0, 0) unless both sizes are positive. Rounded,
    // each is the nearest whole number and at least 1.
    static Tiling GetShaderTiling(float width, float height, int32_t handle, bool round);
};
