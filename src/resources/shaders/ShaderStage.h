// ShaderStage -- one texture stage of a built shader: its texture or animation frames, blending, colour and alpha.
#pragma once

#include "resources/ResourceHandle.h"
#include "resources/shaders/ShaderDefinition.h"
#include "resources/shaders/StageRenderState.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The renderer reads the fields directly; the render state means what the stage definition's does.
struct ShaderStage : StageRenderState {
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

    // The first stage of a blended-tile shader whose tiles have constant colours keeps its
    // colour for the later stages (ColorGen Saved and SavedAndConstant).
    bool savesColor = false;
    ResourceHandle texture;
    std::vector<ResourceHandle> animTextures;
    float animRate = 0.0f;
};
