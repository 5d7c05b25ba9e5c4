// ShaderStage -- one texture stage of a built shader: its texture or animation frames, blending, colour and alpha.
#pragma once

#include "core/ColorSystem.h"
#include "resources/ResourceHandle.h"
#include "resources/shaders/ShaderDefinition.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The renderer reads the fields directly; the meaning of each is that of the stage definition.
struct ShaderStage {
    // Loads the definition's texture (or its frames) as the texture cache of the same base
    // name, then copies the definition's settings.
    void Build(const ShaderStageDefinition& definition);
    // Counted: the old texture is released, the new one referenced.
    void SetTexture(const ResourceHandle& handle) { texture = handle; }
    // The texture to draw with now: the single texture, or the frame of the animation at
    // the given time (useGivenTime) or at the engine clock.
    const ResourceHandle& GetCurrentTexture(bool useGivenTime, float time) const;
    // Frame floor(rate x time), wrapped over all count frames (count > 0).
    static size_t FrameAt(float rate, float time, size_t count);

    bool blendEnabled = false;
    int32_t srcBlend = GlConstant::kOne;
    int32_t dstBlend = GlConstant::kOne;
    int32_t clampU = GlConstant::kClamp;
    int32_t clampV = GlConstant::kClamp;
    int32_t colorGen = ColorGen::Identity;
    Color constantColor;
    WaveParameters colorWave = kDefaultWave;
    int32_t alphaGen = AlphaGen::Identity;
    float constantAlpha = 0.0f;
    WaveParameters alphaWave = kDefaultWave;
    std::vector<UVModEntry> uvMods;
    int32_t colorArrayKind = ColorArrayKind::None;
    bool alphaTestEnabled = false;
    int32_t alphaTestFunc = 0;
    float alphaTestRef = 0.0f;
    // The first stage of a blended-tile shader whose tiles have constant colours keeps its
    // colour for the later stages (ColorGen Saved and SavedAndConstant).
    bool savesColor = false;
    ResourceHandle texture;
    std::vector<ResourceHandle> animTextures;
    float animRate = 0.0f;
};
