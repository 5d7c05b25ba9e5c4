// StageDrawerBench -- the flush's own work on a thousand-quad batch: per-vertex light from sixteen lights, code colours and a scrolled stage, with the library calls made no-ops.
#include "render/LightingSystem.h"
#include "render/StageDrawer.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderLookup.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Every call does nothing: what is left is the drawer's own arithmetic.
class StageDrawerBenchGL : public GLApi {
public:
    void Enable(uint32_t) override {}
    void Disable(uint32_t) override {}
    void BlendFunc(uint32_t, uint32_t) override {}
    void DepthFunc(uint32_t) override {}
    void DepthMask(bool) override {}
    void ColorMask(bool) override {}
    void AlphaFunc(uint32_t, float) override {}
    void CullFace(uint32_t) override {}
    void StencilFunc(uint32_t, int32_t) override {}
    void StencilOp(uint32_t, uint32_t, uint32_t) override {}
    void BindTexture(uint32_t) override {}
    void TexParameter(uint32_t, int32_t) override {}
    void EnableClientState(uint32_t) override {}
    void DisableClientState(uint32_t) override {}
    void VertexPointer(int32_t, int32_t, const float*) override {}
    void TexCoordPointer(int32_t, int32_t, const float*) override {}
    void ColorPointer(int32_t, int32_t, const uint8_t*) override {}
    void Color3f(float, float, float) override {}
    void Color4f(float, float, float, float) override {}
    void DrawTriangles(int32_t, const uint16_t*) override {}
    void DrawLines(int32_t) override {}
    void LineWidth(float) override {}
    void LineStipple(int32_t, uint16_t) override {}
    void PolygonMode(uint32_t) override {}
    bool LockArrays(int32_t, int32_t) override { return false; }
    void UnlockArrays() override {}
    void CopyTexSubImage2D(int32_t, int32_t, int32_t, int32_t) override {}
    void Viewport(int32_t, int32_t, int32_t, int32_t) override {}
    void LoadTextureMatrix(const float*) override {}
};

void AddBenchStage(Shader& shader, DeviceBatch& batch, int32_t colorGen, int32_t alphaGen)
{
    auto stage = std::make_unique<ShaderStage>();
    stage->colorGen = colorGen;
    stage->alphaGen = alphaGen;
    stage->colorArrayKind = ChooseColorArrayKind(colorGen, alphaGen);
    stage->constantColor = Color{0.5f, 0.75f, 1.0f};
    shader.stages.push_back(std::move(stage));
    DeviceStage device;
    device.stage = shader.stages.back().get();
    device.textureId = 1024;
    batch.stages.push_back(device);
}

void BM_FlushThousandLitQuads(benchmark::State& state)
{
    LightingSystem lights;
    lights.SetTuning({2.0f, 0.3f, 0.5f, 0.4f, 0.8f});
    lights.SetMaxLights(16);
    for (int i = 0; i < 16; ++i)
        lights.AddLight(-1, static_cast<float>(i * 40), static_cast<float>(i * 25), Color{0.3f, 0.2f, 0.1f}, 120.0f, 0);
    Shader shader;
    DeviceBatch batch;
    batch.shader = &shader;
    for (int quad = 0; quad < 1000; ++quad) {
        for (int corner = 0; corner < 4; ++corner) {
            DeviceVertex vertex;
            vertex.position[0] = static_cast<float>(quad % 40) * 16.0f + static_cast<float>(corner & 1) * 16.0f;
            vertex.position[1] = static_cast<float>(quad / 40) * 16.0f + static_cast<float>(corner >> 1) * 16.0f;
            batch.vertices.push_back(vertex);
        }
        uint16_t first = static_cast<uint16_t>(quad * 4);
        batch.indexes.insert(batch.indexes.end(), {first, static_cast<uint16_t>(first + 1), static_cast<uint16_t>(first + 3),
                                                   first, static_cast<uint16_t>(first + 3), static_cast<uint16_t>(first + 2)});
    }
    AddBenchStage(shader, batch, ColorGen::VertexAndConstant, AlphaGen::Identity);
    AddBenchStage(shader, batch, ColorGen::CodeGenerated, AlphaGen::CodeGenerated);
    UVModEntry scroll;
    scroll.type = UVMod::Scroll;
    scroll.scrollU = 0.5f;
    shader.stages.back()->uvMods.push_back(scroll);
    StageDrawerBenchGL gl;
    GLStateCache cache(gl);
    StageDrawer drawer(gl, cache);
    StageDrawSettings settings;
    settings.lighting = &lights;
    for (auto _ : state) {
        drawer.Draw(batch, settings);
        benchmark::DoNotOptimize(drawer.GetColors().data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(batch.vertices.size()));
}
BENCHMARK(BM_FlushThousandLitQuads);

} // namespace
