// StageRenderState -- how one texture stage blends, clamps and colours, as written in a shader file and as the renderer reads it.
#pragma once

#include "core/ColorSystem.h"
#include "resources/shaders/ShaderEnums.h"

#include <array>
#include <cstdint>
#include <vector>

// The four wave parameters in file order; the renderer evaluates them.
using WaveParameters = std::array<float, 4>;
constexpr WaveParameters kDefaultWave = {0.0f, 1.0f, 1.0f, 0.0f};

// Only the fields of the entry's own type mean anything.
struct UVModEntry {
    int32_t type = UVMod::None;
    float scrollU = 0.0f;
    float scrollV = 0.0f;
    float scale = 0.0f;
    float offsetU = 0.0f;
    float offsetV = 0.0f;
};

// Shared by the stage definition and the built stage, so a build copies it in one assignment.
struct StageRenderState {
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
};
