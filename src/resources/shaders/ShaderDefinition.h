// ShaderDefinition -- one shader as a ".sdr" file writes it: render states, deformations and texture stages.
#pragma once

#include "core/BaseClass.h"
#include "resources/shaders/ShaderRenderState.h"
#include "resources/shaders/StageRenderState.h"

#include <memory>
#include <string>
#include <vector>

struct ShaderStageDefinition : StageRenderState {
    // As written; the stage loads the texture cache of the same base name.
    std::string textureFile;
    // Texture names of an animated stage, in frame order.
    std::vector<std::string> animFrames;
    // Frames per second.
    float animRate = 0.0f;
    bool usesSphere = false;
};

struct ShaderDefinition : BaseClass, ShaderRenderState {
    // Looked up without regard to case.
    std::string name;
    std::vector<std::unique_ptr<ShaderStageDefinition>> stages;
};
