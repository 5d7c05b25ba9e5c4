// ShaderRenderState -- a shader's own render states, deformations and batch keys, as written in a shader file and as the renderer reads them.
#pragma once

#include "resources/shaders/ShaderEnums.h"
#include "resources/shaders/StageRenderState.h"

#include <cstdint>
#include <string>
#include <vector>

// Only the fields of the entry's own type mean anything.
struct DeformVertsEntry {
    int32_t type = DeformVertsType::None;
    float offset = 0.0f;
    float waveValue = 0.0f;
    WaveParameters wave = kDefaultWave;
    float minZ = 0.0f;
};

// Shared by the shader definition and the built shader, so a build copies it in one assignment.
struct ShaderRenderState {
    bool cullEnabled = true;
    int32_t cullFace = GlConstant::kBack;
    bool testDepth = true;
    bool writeDepth = true;
    int32_t depthFunc = GlConstant::kLEqual;
    bool writeColor = true;
    bool hasDeforms = false;
    bool usesSphere = false;
    int32_t sort = SortType::Opaque;
    // Load order over all files: the renderer's batches sort by it.
    int32_t index = 0;
    std::string blendGroup;
    int32_t blendGroupHash = 0;
    bool blend = true;
    std::vector<DeformVertsEntry> deformVerts;
    bool stencilEnabled = false;
    int32_t stencilFunc = GlConstant::kAlways;
    int32_t stencilRef = 0;
    int32_t stencilFail = GlConstant::kKeep;
    int32_t stencilDepthFail = GlConstant::kKeep;
    int32_t stencilPass = GlConstant::kKeep;
    bool useMipMaps = true;
    bool useFiltering = true;
    // Level generation marks the cells under a piece drawn with this shader.
    bool blocksCollision = false;
    bool blocksSight = false;
    // Animated stages run on the time the drawing code sets on its batch, not the clock.
    bool useShaderTime = false;
    // A model surface with this shader is drawn only while the model flags it highlighted.
    bool highlightsSurface = false;
};
