// StageDrawer -- draws a flushed batch once per stage of its shader: deformation, shader-wide state, then each stage's colours, alpha, texture coordinates, blending, alpha test, texture and filters.
#pragma once

#include "core/Color.h"
#include "render/GLStateCache.h"
#include "resources/GraphicsDevice.h"

#include <array>
#include <cstdint>
#include <vector>

class LightingSystem;
struct ShaderStage;

// What a flush reads of the settings, copied once a frame.
struct StageDrawSettings {
    int32_t filteringQuality = 1;
    bool betterLighting = false;
    int32_t showNormals = 0;
    int32_t showTris = 0;
    // The game clock's seconds field (0 to below 60): waves, scrolls and animations run on it.
    float runningTime = 0.0f;
    // The texture the wireframe view draws with; -1 for none.
    int32_t whiteTextureId = -1;
    // Null: every lit colour is white.
    const LightingSystem* lighting = nullptr;
};

// Colour-array modes: per-vertex RGB, per-vertex RGBA, one RGB colour, one RGBA colour.
enum StageColorMode : int32_t { kStageColorPerVertex = 0, kStageColorPerVertexAlpha = 1, kStageColorConstant = 2,
                                kStageColorConstantAlpha = 3 };

// Main thread with the context held. Every state goes through the cache; the arrays are kept
// from flush to flush and only grow.
class StageDrawer {
public:
    StageDrawer(GLApi& gl, GLStateCache& cache) : gl(gl), cache(cache) {}

    // Nothing for a batch without indices or without a shader (a batch with stage records but
    // no shader draws them with the shader defaults: the device's own tests do).
    void Draw(const DeviceBatch& batch, const StageDrawSettings& settings);

    int64_t GetTrianglesDrawn() const { return trianglesDrawn; }
    int64_t GetTrianglePasses() const { return trianglePasses; }
    void ResetCounters() { trianglesDrawn = trianglePasses = 0; }

    // The mode rule: per-vertex for Vertex, VertexAndConstant, Saved, SavedAndConstant and
    // CodeGenerated colours, and for Sphere and SphereAndConstant under better lighting; alpha
    // for Constant and Wave alpha, and CodeGenerated and StageGenerated, which are per-vertex too.
    static int32_t ChooseMode(int32_t colorGen, int32_t alphaGen, bool forcedAlpha, bool betterLighting);

    // What the last stage drawn produced, for the tests: four bytes a vertex and the constant.
    const std::vector<uint8_t>& GetColors() const { return colors; }
    const std::array<float, 4>& GetConstant() const { return constant; }
    const std::vector<float>& GetPositions() const { return positions; }
    const std::vector<float>& GetModifiedTexCoords() const { return modifiedTexCoords; }

private:
    void Deform(const DeviceBatch& batch, float time);
    void SetShaderState(const DeviceBatch& batch);
    void DrawStage(const DeviceBatch& batch, size_t stageIndex, const StageDrawSettings& settings);
    static bool BlendsBySourceAlpha(const ShaderStage& stage, bool translucent);
    const std::vector<uint16_t>& TrianglesWithAlpha(const DeviceBatch& batch);
    const float* ModifyTexCoords(const DeviceBatch& batch, const ShaderStage& stage, float time, int32_t& stride);
    // True when the stage's colour is the constant.
    bool GenerateColors(const DeviceBatch& batch, const ShaderStage& stage, const StageDrawSettings& settings);
    void GenerateAlpha(const DeviceBatch& batch, const DeviceStage& stage, int32_t mode, float time);
    void LightVertices(const DeviceBatch& batch, const ShaderStage& stage, const StageDrawSettings& settings,
                       const Color& multiply);
    void LightMeshVertices(const DeviceBatch& batch, bool unlit, const Color* multiply);
    Color LightAt(const StageDrawSettings& settings, float x, float y) const;
    Color OriginLight(const DeviceBatch& batch, const StageDrawSettings& settings) const;
    // The light as the batch shows it: lifted a share of the way to white for a hovered model.
    static Color ShownLight(const DeviceBatch& batch, const Color& light);
    void SetFilters(const DeviceBatch& batch, const StageDrawSettings& settings);
    void SendColors(int32_t mode);
    void DrawNormals(const DeviceBatch& batch);
    void DrawWireframe(const DeviceBatch& batch, const StageDrawSettings& settings);
    size_t VertexCount() const { return vertexCount; }

    GLApi& gl;
    GLStateCache& cache;
    size_t vertexCount = 0;
    // Where the positions are read: the batch's vertices, or the deformed copy.
    const float* positionArray = nullptr;
    int32_t positionStride = 0;
    std::vector<float> positions;
    std::vector<float> modifiedTexCoords;
    std::vector<uint8_t> colors;
    // The triangles a stage draws when it leaves out those it would draw at alpha 0.
    std::vector<uint16_t> stageIndexes;
    std::vector<float> savedColors;
    std::vector<float> normalLines;
    std::array<float, 4> constant = {1.0f, 1.0f, 1.0f, 1.0f};
    int64_t trianglesDrawn = 0;
    int64_t trianglePasses = 0;
};
