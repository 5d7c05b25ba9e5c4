// StageDrawer -- draws a flushed batch once per stage of its shader: deformation, shader-wide state, then each stage's colours, alpha, texture coordinates, blending, alpha test, texture and filters.
#include "render/StageDrawer.h"

#include "render/LightingSystem.h"
#include "resources/shaders/ScreenPrimitives.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderStage.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kStageDrawerTwoPi = 6.28318530718f;
// How far a hovered model's light is lifted towards white: a dark creature under the cursor is
// plainly seen, one in full light is left as it is (its hover tint marks it there).
constexpr float kStageDrawerHoverLift = 0.35f;
constexpr int32_t kStageDrawerVertexStride = static_cast<int32_t>(sizeof(DeviceVertex));

// The alpha byte is written by the alpha step after the colours.
void StageDrawerPack(uint8_t* out, const Color& color)
{
    uint32_t packed = Color::ToRGBA32(color, 0.0f);
    for (int channel = 0; channel < 4; ++channel)
        out[channel] = static_cast<uint8_t>(packed >> (8 * channel));
}

Color StageDrawerMultiply(const Color& a, const Color& b)
{
    return Color{a.r * b.r, a.g * b.g, a.b * b.b};
}

const Color kStageDrawerWhite{1.0f, 1.0f, 1.0f};

// What a stage without a record of its own draws with: the shader defaults.
const ShaderStage& StageDrawerDefaultStage()
{
    static const ShaderStage stage = [] {
        ShaderStage made;
        made.clampU = made.clampV = GlConstant::kRepeat;
        return made;
    }();
    return stage;
}

const ShaderRenderState& StageDrawerDefaultShader()
{
    static const ShaderRenderState shader = [] {
        ShaderRenderState made;
        made.cullEnabled = false;
        return made;
    }();
    return shader;
}

bool StageDrawerPerVertexColorGen(int32_t colorGen, bool betterLighting)
{
    switch (colorGen) {
    case ColorGen::Vertex:
    case ColorGen::VertexAndConstant:
    case ColorGen::Saved:
    case ColorGen::SavedAndConstant:
    case ColorGen::CodeGenerated:
        return true;
    case ColorGen::Sphere:
    case ColorGen::SphereAndConstant:
        return betterLighting;
    default:
        return false;
    }
}

} // namespace

int32_t StageDrawer::ChooseMode(int32_t colorGen, int32_t alphaGen, bool forcedAlpha, bool betterLighting)
{
    bool perVertex = StageDrawerPerVertexColorGen(colorGen, betterLighting);
    bool alpha = forcedAlpha || alphaGen == AlphaGen::Constant || alphaGen == AlphaGen::Wave;
    if (alphaGen == AlphaGen::CodeGenerated || alphaGen == AlphaGen::StageGenerated)
        alpha = perVertex = true;
    if (alpha)
        return perVertex ? kStageColorPerVertexAlpha : kStageColorConstantAlpha;
    return perVertex ? kStageColorPerVertex : kStageColorConstant;
}

void StageDrawer::Draw(const DeviceBatch& batch, const StageDrawSettings& settings)
{
    if (batch.indexes.empty() || batch.vertices.empty() || (!batch.shader && batch.stages.empty()))
        return;
    vertexCount = batch.vertices.size();
    Deform(batch, settings.runningTime);
    SetShaderState(batch);
    gl.EnableClientState(GL_VERTEX_ARRAY);
    gl.VertexPointer(3, positionStride, positionArray);
    bool locked = gl.LockArrays(0, static_cast<int32_t>(vertexCount));
    constant = {1.0f, 1.0f, 1.0f, 1.0f};
    for (size_t i = 0; i < batch.stages.size(); ++i)
        DrawStage(batch, i, settings);
    if (locked)
        gl.UnlockArrays();
    gl.DisableClientState(GL_COLOR_ARRAY);
    gl.DisableClientState(GL_VERTEX_ARRAY);
    gl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (settings.showNormals != 0)
        DrawNormals(batch);
    if (settings.showTris != 0)
        DrawWireframe(batch, settings);
    trianglesDrawn += static_cast<int64_t>(batch.indexes.size() / 3);
}

// In place on a copy of the positions, in the shader's order; without deformations the batch's
// own vertices are drawn.
void StageDrawer::Deform(const DeviceBatch& batch, float time)
{
    const ShaderRenderState& shader = batch.shader ? *batch.shader : StageDrawerDefaultShader();
    if (shader.deformVerts.empty()) {
        positionArray = batch.vertices[0].position;
        positionStride = kStageDrawerVertexStride;
        positions.clear();
        return;
    }
    positions.resize(vertexCount * 3);
    for (size_t v = 0; v < vertexCount; ++v)
        std::copy_n(batch.vertices[v].position, 3, positions.data() + v * 3);
    bool haveNormals = batch.normals.size() >= vertexCount * 3;
    for (const DeformVertsEntry& deform : shader.deformVerts) {
        for (size_t v = 0; v < vertexCount; ++v) {
            float* p = positions.data() + v * 3;
            const float* n = haveNormals ? batch.normals.data() + v * 3 : nullptr;
            float distance = 0.0f;
            if (deform.type == DeformVertsType::Offset) {
                distance = deform.offset;
            } else if (deform.type == DeformVertsType::Wave) {
                // y alone is squared: the ripple runs diagonally across the model.
                float s = (p[0] + p[1] * p[1] + p[2]) * deform.waveValue + deform.wave[3] +
                          time / 60.0f * deform.wave[2];
                distance = std::sin(kStageDrawerTwoPi * s) * deform.wave[1] + deform.wave[0];
            } else if (deform.type == DeformVertsType::MinZ) {
                p[2] = std::max(p[2], deform.minZ);
                continue;
            }
            if (!n)
                continue;
            for (int k = 0; k < 3; ++k)
                p[k] += n[k] * distance;
        }
    }
    positionArray = positions.data();
    positionStride = 0;
}

void StageDrawer::SetShaderState(const DeviceBatch& batch)
{
    const ShaderRenderState& shader = batch.shader ? *batch.shader : StageDrawerDefaultShader();
    cache.SetCull(shader.cullEnabled && !(batch.writeMask & kWriteMaskTwoSided), static_cast<uint32_t>(shader.cullFace));
    cache.DepthFunc(static_cast<uint32_t>(shader.depthFunc));
    cache.SetEnabled(GL_DEPTH_TEST, shader.testDepth);
    cache.DepthMask((batch.writeMask & kWriteMaskNoDepth) ? false : shader.writeDepth);
    cache.ColorMask((batch.writeMask & kWriteMaskNoColor) ? false : shader.writeColor);
    cache.SetStencil(shader.stencilEnabled, static_cast<uint32_t>(shader.stencilFunc), shader.stencilRef);
    cache.SetStencilOp(static_cast<uint32_t>(shader.stencilFail), static_cast<uint32_t>(shader.stencilDepthFail),
                       static_cast<uint32_t>(shader.stencilPass));
}

void StageDrawer::DrawStage(const DeviceBatch& batch, size_t stageIndex, const StageDrawSettings& settings)
{
    const DeviceStage& deviceStage = batch.stages[stageIndex];
    const ShaderStage& stage = deviceStage.stage ? *deviceStage.stage : StageDrawerDefaultStage();
    float time = settings.runningTime;
    gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
    int32_t texStride = 0;
    const float* texCoords = ModifyTexCoords(batch, stage, time, texStride);
    gl.TexCoordPointer(2, texStride, texCoords);

    bool translucent = batch.opacity != 1.0f;
    if (translucent)
        cache.SetBlend(true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    else
        cache.SetBlend(stage.blendEnabled, static_cast<uint32_t>(stage.srcBlend), static_cast<uint32_t>(stage.dstBlend));

    int32_t mode = stage.colorArrayKind;
    bool sphere = stage.colorGen == ColorGen::Sphere || stage.colorGen == ColorGen::SphereAndConstant;
    if (translucent || sphere || !deviceStage.stage)
        mode = ChooseMode(stage.colorGen, stage.alphaGen, translucent, settings.betterLighting);

    bool constantMade = GenerateColors(batch, stage, settings);
    if (constantMade && (mode == kStageColorPerVertex || mode == kStageColorPerVertexAlpha)) {
        colors.resize(vertexCount * 4);
        uint8_t packed[4];
        StageDrawerPack(packed, Color{constant[0], constant[1], constant[2]});
        for (size_t v = 0; v < vertexCount; ++v)
            std::copy_n(packed, 4, colors.data() + v * 4);
    }
    if (mode == kStageColorPerVertexAlpha || mode == kStageColorConstantAlpha)
        GenerateAlpha(batch, deviceStage, mode, time);
    SendColors(mode);

    cache.SetAlphaTest(stage.alphaTestEnabled, static_cast<uint32_t>(stage.alphaTestFunc), stage.alphaTestRef);
    cache.SetEnabled(GL_TEXTURE_2D, deviceStage.textureId >= 0);
    cache.BindTexture(deviceStage.textureId >= 0 ? static_cast<uint32_t>(deviceStage.textureId) : 0);
    cache.SetWrap(static_cast<uint32_t>(stage.clampU), static_cast<uint32_t>(stage.clampV));
    SetFilters(batch, settings);
    bool writesDepth = cache.IsEnabled(GL_DEPTH_TEST) && cache.GetDepthMask() != 0;
    bool fadesOut = mode == kStageColorPerVertexAlpha && BlendsBySourceAlpha(stage, translucent) &&
                    !cache.IsEnabled(GL_STENCIL_TEST) && (stageIndex > 0 || !writesDepth);
    const std::vector<uint16_t>& indexes = fadesOut ? TrianglesWithAlpha(batch) : batch.indexes;
    if (indexes.empty())
        return;
    gl.DrawTriangles(static_cast<int32_t>(indexes.size()), indexes.data());
    trianglePasses += static_cast<int64_t>(indexes.size() / 3);
}

// The source alpha scales the fragment's whole mark: at alpha 0 it leaves the pixel as it was.
bool StageDrawer::BlendsBySourceAlpha(const ShaderStage& stage, bool translucent)
{
    if (translucent)
        return true;
    return stage.blendEnabled && stage.srcBlend == GL_SRC_ALPHA &&
           (stage.dstBlend == GL_ONE_MINUS_SRC_ALPHA || stage.dstBlend == GL_ONE);
}

// The triangles of the batch with some alpha at a vertex of this stage's colours. A triangle
// with none at its three corners is alpha 0 throughout, so a stage that blends by source alpha
// marks no pixel with it: its depth is the same as an earlier stage of the batch already wrote,
// or the batch writes none, and the stencil is off.
const std::vector<uint16_t>& StageDrawer::TrianglesWithAlpha(const DeviceBatch& batch)
{
    stageIndexes.clear();
    auto alpha = [this](uint16_t vertex) { return colors[static_cast<size_t>(vertex) * 4 + 3]; };
    for (size_t i = 0; i + 2 < batch.indexes.size(); i += 3) {
        const uint16_t* triangle = batch.indexes.data() + i;
        if (alpha(triangle[0]) != 0 || alpha(triangle[1]) != 0 || alpha(triangle[2]) != 0)
            stageIndexes.insert(stageIndexes.end(), triangle, triangle + 3);
    }
    return stageIndexes;
}

const float* StageDrawer::ModifyTexCoords(const DeviceBatch& batch, const ShaderStage& stage, float time,
                                          int32_t& stride)
{
    if (stage.uvMods.empty()) {
        stride = kStageDrawerVertexStride;
        return batch.vertices[0].texCoord;
    }
    modifiedTexCoords.resize(vertexCount * 2);
    for (size_t v = 0; v < vertexCount; ++v)
        std::copy_n(batch.vertices[v].texCoord, 2, modifiedTexCoords.data() + v * 2);
    float t = time / 60.0f;
    for (const UVModEntry& mod : stage.uvMods) {
        float du = 0.0f;
        float dv = 0.0f;
        float scale = 1.0f;
        if (mod.type == UVMod::Scroll) {
            float u = mod.scrollU * t;
            float w = mod.scrollV * t;
            du = u - std::floor(u);
            dv = w - std::floor(w);
        } else if (mod.type == UVMod::Scale) {
            scale = mod.scale;
        } else if (mod.type == UVMod::Offset) {
            du = mod.offsetU;
            dv = mod.offsetV;
        }
        for (size_t v = 0; v < vertexCount; ++v) {
            float* uv = modifiedTexCoords.data() + v * 2;
            uv[0] = uv[0] * scale + du;
            uv[1] = uv[1] * scale + dv;
        }
    }
    stride = 0;
    return modifiedTexCoords.data();
}

Color StageDrawer::LightAt(const StageDrawSettings& settings, float x, float y) const
{
    return settings.lighting ? settings.lighting->LightAtPoint(x, y) : kStageDrawerWhite;
}

Color StageDrawer::OriginLight(const DeviceBatch& batch, const StageDrawSettings& settings) const
{
    if (batch.lighting.unlit)
        return kStageDrawerWhite;
    return ShownLight(batch, LightAt(settings, batch.lighting.origin[0], batch.lighting.origin[1]));
}

Color StageDrawer::ShownLight(const DeviceBatch& batch, const Color& light)
{
    if (!batch.lighting.hovered)
        return light;
    auto lift = [](float channel) { return channel + std::max(0.0f, 1.0f - channel) * kStageDrawerHoverLift; };
    return Color{lift(light.r), lift(light.g), lift(light.b)};
}

bool StageDrawer::GenerateColors(const DeviceBatch& batch, const ShaderStage& stage, const StageDrawSettings& settings)
{
    const Color& stageColor = stage.constantColor;
    auto setConstant = [this](const Color& color) {
        constant[0] = color.r;
        constant[1] = color.g;
        constant[2] = color.b;
        return true;
    };
    switch (stage.colorGen) {
    case ColorGen::Identity:
        return setConstant(kStageDrawerWhite);
    case ColorGen::Constant:
        return setConstant(stageColor);
    case ColorGen::Wave: {
        float grey = ScreenPrimitives::WaveValue(stage.colorWave, 0.0f, settings.runningTime);
        return setConstant(Color{grey, grey, grey});
    }
    case ColorGen::Origin:
        return setConstant(OriginLight(batch, settings));
    case ColorGen::OriginAndConstant:
        return setConstant(StageDrawerMultiply(OriginLight(batch, settings), stageColor));
    case ColorGen::Vertex:
        LightVertices(batch, stage, settings, kStageDrawerWhite);
        return false;
    case ColorGen::VertexAndConstant:
        LightVertices(batch, stage, settings, stageColor);
        return false;
    case ColorGen::Saved:
    case ColorGen::SavedAndConstant: {
        const Color multiply = stage.colorGen == ColorGen::Saved ? kStageDrawerWhite : stageColor;
        colors.resize(vertexCount * 4);
        for (size_t v = 0; v < vertexCount; ++v) {
            Color saved = kStageDrawerWhite;
            if (savedColors.size() >= (v + 1) * 3)
                saved = Color{savedColors[v * 3], savedColors[v * 3 + 1], savedColors[v * 3 + 2]};
            StageDrawerPack(colors.data() + v * 4, StageDrawerMultiply(saved, multiply));
        }
        return false;
    }
    case ColorGen::CodeGenerated:
        colors.resize(vertexCount * 4);
        for (size_t v = 0; v < vertexCount; ++v)
            std::copy_n(batch.vertices[v].color, 4, colors.data() + v * 4);
        return false;
    case ColorGen::EntityLight:
        return setConstant(batch.lighting.unlit || !batch.lighting.hasLightSubject
                               ? kStageDrawerWhite
                               : ShownLight(batch, batch.lighting.subjectLight));
    case ColorGen::Sphere:
    case ColorGen::SphereAndConstant: {
        bool withConstant = stage.colorGen == ColorGen::SphereAndConstant;
        if (batch.lighting.hasLightSubject && settings.betterLighting) {
            LightMeshVertices(batch, batch.lighting.unlit, withConstant ? &stageColor : nullptr);
            return false;
        }
        Color light = OriginLight(batch, settings);
        return setConstant(withConstant ? StageDrawerMultiply(light, stageColor) : light);
    }
    default:
        // SameAsPreviousStage: the last stage's colours and constant stay.
        return false;
    }
}

// Each vertex's world position is its position (turned by the batch's rotation when it has
// one) plus the origin.
void StageDrawer::LightVertices(const DeviceBatch& batch, const ShaderStage& stage, const StageDrawSettings& settings,
                                const Color& multiply)
{
    colors.resize(vertexCount * 4);
    if (stage.savesColor)
        savedColors.resize(vertexCount * 3);
    for (size_t v = 0; v < vertexCount; ++v) {
        Color light = kStageDrawerWhite;
        if (!batch.lighting.unlit) {
            const float* p = positionStride == 0 ? positions.data() + v * 3 : batch.vertices[v].position;
            float x = p[0];
            float y = p[1];
            if (batch.lighting.hasRotation) {
                const float* r = batch.lighting.rotation;
                x = p[0] * r[0] + p[1] * r[3] + p[2] * r[6];
                y = p[0] * r[1] + p[1] * r[4] + p[2] * r[7];
            }
            light = ShownLight(batch, LightAt(settings, x + batch.lighting.origin[0], y + batch.lighting.origin[1]));
        }
        if (stage.savesColor) {
            savedColors[v * 3] = light.r;
            savedColors[v * 3 + 1] = light.g;
            savedColors[v * 3 + 2] = light.b;
        }
        StageDrawerPack(colors.data() + v * 4, StageDrawerMultiply(light, multiply));
    }
}

// Six sides: right, left, front, back, top, bottom; a vertex mixes three of them by its normal.
void StageDrawer::LightMeshVertices(const DeviceBatch& batch, bool unlit, const Color* multiply)
{
    Color side[6];
    for (int i = 0; i < 6; ++i) {
        side[i] = unlit ? kStageDrawerWhite
                        : ShownLight(batch, Color{batch.lighting.subjectSphere[i * 3], batch.lighting.subjectSphere[i * 3 + 1],
                                                  batch.lighting.subjectSphere[i * 3 + 2]});
        if (multiply)
            side[i] = StageDrawerMultiply(side[i], *multiply);
    }
    colors.resize(vertexCount * 4);
    bool uniform = batch.normals.size() < vertexCount * 3;
    for (int i = 1; i < 6 && !uniform; ++i) {
        uniform = std::fabs(side[i].r - side[0].r) < 0.01f && std::fabs(side[i].g - side[0].g) < 0.01f &&
                  std::fabs(side[i].b - side[0].b) < 0.01f;
        if (!uniform)
            break;
    }
    for (size_t v = 0; v < vertexCount; ++v) {
        Color color = side[0];
        if (!uniform) {
            const float* n = batch.normals.data() + v * 3;
            const Color& ySide = n[1] > 0.0f ? side[1] : side[0];
            const Color& xSide = n[0] < 0.0f ? side[3] : side[2];
            const Color& zSide = n[2] < 0.0f ? side[5] : side[4];
            float ax = std::fabs(n[0]);
            float ay = std::fabs(n[1]);
            float az = std::fabs(n[2]);
            color = Color{ay * ySide.r + ax * xSide.r + az * zSide.r, ay * ySide.g + ax * xSide.g + az * zSide.g,
                          ay * ySide.b + ax * xSide.b + az * zSide.b};
        }
        StageDrawerPack(colors.data() + v * 4, color);
    }
}

void StageDrawer::GenerateAlpha(const DeviceBatch& batch, const DeviceStage& deviceStage, int32_t mode, float time)
{
    const ShaderStage& stage = deviceStage.stage ? *deviceStage.stage : StageDrawerDefaultStage();
    float surfaceAlpha = batch.opacity;
    if (stage.alphaGen == AlphaGen::CodeGenerated || stage.alphaGen == AlphaGen::StageGenerated) {
        bool fromStage = stage.alphaGen == AlphaGen::StageGenerated && deviceStage.colors.size() >= vertexCount * 4;
        const uint8_t* source = fromStage ? deviceStage.colors.data() : batch.vertices[0].color;
        size_t stride = fromStage ? 4 : sizeof(DeviceVertex);
        colors.resize(vertexCount * 4);
        for (size_t v = 0; v < vertexCount; ++v)
            colors[v * 4 + 3] = source[v * stride + 3];
        return;
    }
    float alpha = surfaceAlpha;
    if (stage.alphaGen == AlphaGen::Constant)
        alpha = stage.constantAlpha * surfaceAlpha;
    else if (stage.alphaGen == AlphaGen::Wave)
        alpha = ScreenPrimitives::WaveValue(stage.alphaWave, 0.0f, time) * surfaceAlpha;
    constant[3] = alpha;
    if (mode != kStageColorPerVertexAlpha)
        return;
    colors.resize(vertexCount * 4);
    auto byte = static_cast<uint8_t>(Color::ToRGBA32(Color{}, alpha) >> 24);
    for (size_t v = 0; v < vertexCount; ++v)
        colors[v * 4 + 3] = byte;
}

void StageDrawer::SendColors(int32_t mode)
{
    switch (mode) {
    case kStageColorPerVertex:
        colors.resize(vertexCount * 4);
        gl.EnableClientState(GL_COLOR_ARRAY);
        gl.ColorPointer(3, 4, colors.data());
        break;
    case kStageColorPerVertexAlpha:
        colors.resize(vertexCount * 4);
        gl.EnableClientState(GL_COLOR_ARRAY);
        gl.ColorPointer(4, 0, colors.data());
        break;
    case kStageColorConstant:
        gl.DisableClientState(GL_COLOR_ARRAY);
        gl.Color3f(constant[0], constant[1], constant[2]);
        break;
    default:
        gl.DisableClientState(GL_COLOR_ARRAY);
        gl.Color4f(constant[0], constant[1], constant[2], constant[3]);
        break;
    }
}

void StageDrawer::SetFilters(const DeviceBatch& batch, const StageDrawSettings& settings)
{
    const ShaderRenderState& shader = batch.shader ? *batch.shader : StageDrawerDefaultShader();
    GLint minFilter = GL_LINEAR;
    GLint magFilter = GL_LINEAR;
    if (!shader.useFiltering) {
        minFilter = magFilter = GL_NEAREST;
    } else if (shader.useMipMaps && settings.filteringQuality == 1) {
        minFilter = GL_LINEAR_MIPMAP_NEAREST;
    } else if (shader.useMipMaps && settings.filteringQuality == 2) {
        minFilter = GL_LINEAR_MIPMAP_LINEAR;
    }
    gl.SetTextureFilter(minFilter, magFilter);
}

// A line from a quarter unit behind each vertex to five units out along its normal.
void StageDrawer::DrawNormals(const DeviceBatch& batch)
{
    if (batch.normals.size() < vertexCount * 3)
        return;
    normalLines.resize(vertexCount * 6);
    for (size_t v = 0; v < vertexCount; ++v) {
        const float* p = positionStride == 0 ? positions.data() + v * 3 : batch.vertices[v].position;
        const float* n = batch.normals.data() + v * 3;
        for (int k = 0; k < 3; ++k) {
            float start = p[k] - n[k] * 0.25f;
            normalLines[v * 6 + k] = start;
            normalLines[v * 6 + 3 + k] = start + n[k] * 5.0f;
        }
    }
    cache.SetEnabled(GL_TEXTURE_2D, false);
    gl.Color3f(1.0f, 1.0f, 1.0f);
    gl.LineWidth(1.0f);
    gl.EnableClientState(GL_VERTEX_ARRAY);
    gl.VertexPointer(3, 0, normalLines.data());
    gl.DrawLines(static_cast<int32_t>(vertexCount * 2));
    gl.DisableClientState(GL_VERTEX_ARRAY);
}

void StageDrawer::DrawWireframe(const DeviceBatch& batch, const StageDrawSettings& settings)
{
    cache.SetEnabled(GL_TEXTURE_2D, settings.whiteTextureId >= 0);
    cache.BindTexture(settings.whiteTextureId >= 0 ? static_cast<uint32_t>(settings.whiteTextureId) : 0);
    gl.Color3f(1.0f, 1.0f, 1.0f);
    if (settings.showTris == 2 && cache.IsEnabled(GL_DEPTH_TEST))
        cache.SetEnabled(GL_DEPTH_TEST, false);
    gl.PolygonMode(GL_LINE);
    gl.EnableClientState(GL_VERTEX_ARRAY);
    gl.VertexPointer(3, positionStride, positionArray);
    bool locked = gl.LockArrays(0, static_cast<int32_t>(vertexCount));
    gl.DrawTriangles(static_cast<int32_t>(batch.indexes.size()), batch.indexes.data());
    if (locked)
        gl.UnlockArrays();
    gl.DisableClientState(GL_VERTEX_ARRAY);
    gl.PolygonMode(GL_FILL);
}
