// ShaderBatch -- the immediate-mode batch: geometry drawn with one shader, handed to the graphics device when flushed.
#pragma once

#include "core/ColorSystem.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceRef.h"
#include "resources/shaders/Shader.h"

#include <cstdint>

class TextureResource;

// A rectangle of texture coordinates: u of the left and right edges, v of the top and bottom.
struct QuadTexCoords {
    float left = 0.0f;
    float top = 1.0f;
    float right = 1.0f;
    float bottom = 0.0f;
};

// Main thread. Flushing fetches each stage's current texture through the resource manager and
// draws with the graphics context held.
class ShaderBatch {
public:
    // The texture units one draw can use; a shader with more stages is refused when built.
    static constexpr int32_t kMaxStages = 8;

    // A null device means the graphics device singleton at each flush.
    explicit ShaderBatch(GraphicsDevice* device = nullptr) : device(device) {}

    // Starts a batch with the shader, empty, with shader time 0. A batch still open is dropped.
    // The open batch holds a use of the shader, so a reload cannot delete it under the batch.
    void BeginBatch(const Shader* shader);
    bool IsActive() const { return static_cast<bool>(shader); }
    const Shader* GetShader() const { return shader.Get(); }
    // The time animated stages of a shader with useShaderTime show.
    void SetShaderTime(float time) { shaderTime = time; }
    // The opacity and write mask of the surfaces drawn in this batch (RenderSurface's fields).
    void SetSurfaceState(float opacity, int32_t writeMask);
    // Lit colour generators give white in this batch.
    void SetUnlit(bool unlit) { batch.lighting.unlit = unlit; }
    // Lit colour generators give a lifted light in this batch (see BatchLighting).
    void SetHovered(bool hovered) { batch.lighting.hovered = hovered; }
    // The geometry's world position and turn (3 x 3, row vectors; null for none), for lighting.
    void SetPlacement(const float (&origin)[3], const float* rotation);
    // The light of the entity drawn: its colour and its six sides (see DeviceBatch).
    void SetLightSubject(const Color& light, const float (&sphere)[18]);

    // One textured rectangle between two corners of the 640 x 480 user-interface space.
    void DrawScreenQuad(float x0, float y0, float x1, float y1, const QuadTexCoords& texCoords, const Color& color,
                        float alpha);
    // One rectangle with the texture laid over it once.
    void AddQuad(float x0, float y0, float x1, float y1, const Color& color, float alpha);
    // Coordinates for a rectangle of the size drawn with the shader: tiled, its first texture
    // repeats once per texture size; tiled to fit, that count rounded to whole repeats (at
    // least one); otherwise, or without a sized texture, it spans the rectangle once.
    static QuadTexCoords ComputeQuadTexCoords(int32_t shader, float width, float height, bool tiled, bool tiledToFit);

    // Raw geometry for queued surfaces. A normal is sent when given; a vertex colour when
    // colored. Returns the vertex's index in the batch. A batch has a normal for every vertex
    // or none: a vertex without one among lit vertices gets a zero normal, and the reverse.
    uint16_t AddVertex(const DeviceVertex& vertex, const float* normal, bool colored);
    // Gives the vertex a colour of its own for one stage (below kMaxStages). Until a stage has
    // such a colour its vertices draw with their own; nothing for a vertex not yet added.
    void SetStageColor(uint16_t vertex, int32_t stage, const uint8_t (&rgba)[4]);
    void AddTriangle(uint16_t a, uint16_t b, uint16_t c);
    // Room for count more vertices: a full batch is drawn first and begun again with the
    // same shader, since indexes are 16 bits.
    void Reserve(uint32_t count);

    // Draws what was added (nothing for an empty batch) and ends the batch.
    void FlushBatch(uint32_t firstWord = 0, uint32_t secondWord = 0);

private:
    // The stages' textures record the device's frame as their last use.
    void CollectStages(const GraphicsDevice& target);
    void ClearBatch();

    GraphicsDevice* device;
    ResourceRef<const Shader> shader;
    float shaderTime = 0.0f;
    DeviceBatch batch;
    // Per stage, the colours of SetStageColor, moved into the batch's stages at the flush.
    std::vector<uint8_t> stageColors[kMaxStages];
};
