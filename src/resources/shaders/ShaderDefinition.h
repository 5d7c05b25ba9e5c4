// ShaderDefinition -- one shader as a ".sdr" file writes it: render states, deformations and texture stages.
#pragma once

#include "core/BaseClass.h"
#include "core/ColorSystem.h"
#include "resources/shaders/ShaderEnums.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The four wave parameters in file order; the renderer evaluates them.
using WaveParameters = std::array<float, 4>;
constexpr WaveParameters kDefaultWave = {0.0f, 1.0f, 1.0f, 0.0f};

// Only the fields of the entry's own type mean anything.
struct DeformVertsEntry {
    int32_t type = DeformVertsType::None;
    float offset = 0.0f;
    float waveValue = 0.0f;
    WaveParameters wave = kDefaultWave;
    float minZ = 0.0f;
};

// Only the fields of the entry's own type mean anything.
struct UVModEntry {
    int32_t type = UVMod::None;
    float scrollU = 0.0f;
    float scrollV = 0.0f;
    float scale = 0.0f;
    float offsetU = 0.0f;
    float offsetV = 0.0f;
};

struct ShaderStageDefinition {
    // As written; the stage loads the texture cache of the same base name.
    std::string textureFile;
    // Texture names of an animated stage, in frame order.
    std::vector<std::string> animFrames;
    // Frames per second.
    float animRate = 0.0f;
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
    bool usesSphere = false;
};

struct ShaderDefinition : BaseClass {
    // Looked up without regard to case.
    std::string name;
    bool cullEnabled = true;
    int32_t cullFace = GlConstant::kBack;
    bool testDepth = true;
    bool writeDepth = true;
    int32_t depthFunc = GlConstant::kLEqual;
    bool writeColor = true;
    bool hasDeforms = false;
    bool usesSphere = false;
    std::vector<std::unique_ptr<ShaderStageDefinition>> stages;
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
