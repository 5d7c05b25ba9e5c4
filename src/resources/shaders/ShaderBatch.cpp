// ShaderBatch -- the immediate-mode batch: geometry drawn with one shader, handed to the graphics device when flushed.
#include "resources/shaders/ShaderBatch.h"

#include "resources/ResourceManager.h"
#include "resources/shaders/ScreenPrimitives.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderTextures.h"
#include "resources/textures/TextureResource.h"

#include <algorithm>

namespace {

constexpr uint32_t kMaxVertices = 0x10000;

} // namespace

void ShaderBatch::BeginBatch(const Shader* newShader)
{
    shader = newShader;
    shaderTime = 0.0f;
    ClearBatch();
    batch.shader = newShader;
}

void ShaderBatch::SetSurfaceState(float opacity, int32_t writeMask)
{
    batch.opacity = opacity;
    batch.writeMask = writeMask;
}

void ShaderBatch::SetPlacement(const float (&origin)[3], const float* rotation)
{
    std::copy_n(origin, 3, batch.lighting.origin);
    batch.lighting.hasRotation = rotation != nullptr;
    if (rotation)
        std::copy_n(rotation, 9, batch.lighting.rotation);
}

void ShaderBatch::SetLightSubject(const Color& light, const float (&sphere)[18])
{
    batch.lighting.hasLightSubject = true;
    batch.lighting.subjectLight = light;
    std::copy_n(sphere, 18, batch.lighting.subjectSphere);
}

// Emptied, not replaced: the arrays keep their storage from one batch to the next.
void ShaderBatch::ClearBatch()
{
    batch.shader = nullptr;
    batch.shaderTime = 0.0f;
    // The stage colours the flush lent the batch come back with their storage: the stages
    // themselves are remade by the next flush, and their arrays with them.
    for (size_t i = 0; i < batch.stages.size() && i < static_cast<size_t>(kMaxStages); ++i)
        stageColors[i].swap(batch.stages[i].colors);
    for (DeviceStage& stage : batch.stages)
        stage.colors.clear();
    batch.stages.clear();
    for (std::vector<uint8_t>& colors : stageColors)
        colors.clear();
    batch.vertices.clear();
    batch.indexes.clear();
    batch.normals.clear();
    batch.hasColors = false;
    batch.opacity = 1.0f;
    batch.writeMask = 0;
    batch.flushWords[0] = 0;
    batch.flushWords[1] = 0;
    batch.lighting = BatchLighting();
}

void ShaderBatch::DrawScreenQuad(float x0, float y0, float x1, float y1, const QuadTexCoords& texCoords,
                                 const Color& color, float alpha)
{
    ScreenPrimitives::AppendScreenQuad(*this, x0, y0, x1, y1, color, alpha, texCoords.left, texCoords.bottom,
                                       texCoords.right, texCoords.top);
}

void ShaderBatch::AddQuad(float x0, float y0, float x1, float y1, const Color& color, float alpha)
{
    ScreenPrimitives::AppendScreenRect(*this, x0, y0, x1, y1, color, alpha);
}

QuadTexCoords ShaderBatch::ComputeQuadTexCoords(int32_t shader, float width, float height, bool tiled,
                                                bool tiledToFit)
{
    QuadTexCoords coords;
    if (!tiled && !tiledToFit)
        return coords;
    Tiling repeats = ShaderTextures::GetShaderTiling(width, height, shader, tiledToFit);
    if (repeats.u > 0.0f && repeats.v > 0.0f) {
        coords.right = repeats.u;
        coords.top = repeats.v;
    }
    return coords;
}

uint16_t ShaderBatch::AddVertex(const DeviceVertex& vertex, const float* normal, bool colored)
{
    static constexpr float kNoNormal[3] = {0.0f, 0.0f, 0.0f};
    if (normal && batch.normals.empty())
        batch.normals.resize(batch.vertices.size() * 3, 0.0f);
    batch.vertices.push_back(vertex);
    if (normal || !batch.normals.empty()) {
        const float* sent = normal ? normal : kNoNormal;
        batch.normals.insert(batch.normals.end(), sent, sent + 3);
    }
    for (std::vector<uint8_t>& colors : stageColors) {
        if (!colors.empty())
            colors.insert(colors.end(), vertex.color, vertex.color + 4);
    }
    batch.hasColors = batch.hasColors || colored;
    return static_cast<uint16_t>(batch.vertices.size() - 1);
}

void ShaderBatch::SetStageColor(uint16_t vertex, int32_t stage, const uint8_t (&rgba)[4])
{
    if (stage < 0 || stage >= kMaxStages || vertex >= batch.vertices.size())
        return;
    std::vector<uint8_t>& colors = stageColors[stage];
    if (colors.empty()) {
        for (const DeviceVertex& each : batch.vertices)
            colors.insert(colors.end(), each.color, each.color + 4);
    }
    std::copy(rgba, rgba + 4, colors.begin() + static_cast<ptrdiff_t>(vertex) * 4);
}

void ShaderBatch::AddTriangle(uint16_t a, uint16_t b, uint16_t c)
{
    batch.indexes.insert(batch.indexes.end(), {a, b, c});
}

void ShaderBatch::Reserve(uint32_t count)
{
    if (batch.vertices.size() + count <= kMaxVertices || !IsActive())
        return;
    // Held across the flush, which lets the batch's own use go.
    ResourceRef<const Shader> current = shader;
    float time = shaderTime;
    float opacity = batch.opacity;
    int32_t writeMask = batch.writeMask;
    // The second half of the geometry is lit as the first.
    BatchLighting lighting = batch.lighting;
    FlushBatch();
    BeginBatch(current.Get());
    shaderTime = time;
    SetSurfaceState(opacity, writeMask);
    batch.lighting = lighting;
}

void ShaderBatch::CollectStages(const GraphicsDevice& target)
{
    batch.shaderTime = shaderTime;
    size_t stageCount = std::min(shader->stages.size(), static_cast<size_t>(kMaxStages));
    batch.stages.resize(stageCount);
    for (size_t i = 0; i < stageCount; ++i) {
        const ShaderStage* stage = shader->stages[i].get();
        const ResourceHandle& handle = stage->GetCurrentTexture(shader->useShaderTime, shaderTime);
        auto* texture = gResourceManager ? dynamic_cast<TextureResource*>(gResourceManager->Get(handle)) : nullptr;
        batch.stages[i].stage = stage;
        batch.stages[i].textureId = texture ? texture->GetTextureId() : -1;
        if (texture)
            texture->MarkUsed(target.GetFrameNumber());
        batch.stages[i].colors.swap(stageColors[i]);
    }
}

void ShaderBatch::FlushBatch(uint32_t firstWord, uint32_t secondWord)
{
    if (!IsActive())
        return;
    GraphicsDevice* target = device ? device : gGraphicsDevice;
    if (target && !batch.indexes.empty()) {
        CollectStages(*target);
        batch.flushWords[0] = firstWord;
        batch.flushWords[1] = secondWord;
        target->AcquireContext();
        target->DrawBatch(batch);
        target->ReleaseContext();
    }
    shader.Reset();
    ClearBatch();
}
