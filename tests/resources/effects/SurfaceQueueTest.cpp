// SurfaceQueueTest -- the frame's surface queue: pool reuse across passes, sort key bits, the tile adder and batching by key and shader.
#include "resources/shaders/ShaderWorld.h"

#include "resources/effects/EffectSurfaces.h"
#include "resources/effects/SurfaceQueue.h"
#include "resources/shaders/ShaderBatch.h"

namespace {

constexpr std::array<float, 3> kCornerA = {0.0f, 0.0f, 0.0f};
constexpr std::array<float, 3> kCornerB = {2.0f, 3.0f, 1.0f};
const Color kWhite{1.0f, 1.0f, 1.0f};

class SurfaceQueueTest : public ShaderWorld {
protected:
    SurfaceQueueTest()
    {
        WriteAsset("Shaders/tiles.sdr", "Ground/stone { sort Opaque { texture stone.tga } }\n"
                                        "Ground/water { sort Transparent { texture water.tga } }\n");
        WriteTarga("stone.tga", 4, 4);
        WriteTarga("water.tga", 4, 4);
        StartShaders();
        stone = LoadShader("Ground/stone", TextureUsage::Plain);
        water = LoadShader("Ground/water", TextureUsage::Plain);
    }

    // The queue's pool surfaces are charged to the allocator: it goes before the count.
    void TearDown() override
    {
        queue.reset();
        ShaderWorld::TearDown();
    }

    void AddTiles(int count, int32_t shader)
    {
        for (int i = 0; i < count; ++i)
            queue->AddTileSurface(shader, kCornerA, kCornerB, false, false, kWhite, 1.0f);
    }

    std::unique_ptr<SurfaceQueue> queue = std::make_unique<SurfaceQueue>();
    int32_t stone = -1;
    int32_t water = -1;
};

// A surface of another kind, as the renderer's adders make them.
class CountingSurface : public RenderSurface {
public:
    void BeginDraw() override { ++begun; }
    bool IsHidden() const override { return hidden; }
    // One triangle, so that its batch is drawn.
    void AddGeometry(ShaderBatch& batch, bool) override
    {
        ++added;
        uint16_t first = batch.AddVertex(DeviceVertex(), nullptr, false);
        batch.AddVertex(DeviceVertex(), nullptr, false);
        batch.AddVertex(DeviceVertex(), nullptr, false);
        batch.AddTriangle(first, first + 1, first + 2);
    }
    void EndDraw() override { ++ended; }
    int begun = 0;
    int added = 0;
    int ended = 0;
    bool hidden = false;
};

TEST_F(SurfaceQueueTest, PoolsHandTheirSurfacesOutAgainEachPass)
{
    queue->BeginSurfaceFrame();
    AddTiles(3, stone);
    const auto& pool = queue->GetTileSurfacePool();
    ASSERT_EQ(pool.GetCount(), 3u);
    std::vector<TileRenderSurface*> first = {pool.At(0), pool.At(1), pool.At(2)};

    queue->BeginSurfaceFrame();
    AddTiles(2, water);
    EXPECT_EQ(pool.GetUsed(), 2u);
    EXPECT_EQ(queue->GetFrameSurfaces(), (std::vector<RenderSurface*>{first[0], first[1]}));

    queue->BeginSurfaceFrame();
    AddTiles(5, stone);
    ASSERT_EQ(pool.GetCount(), 5u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(pool.At(i), first[i]);
    EXPECT_EQ(queue->GetFrameSurfaces().size(), 5u);

    // Nothing to draw with: nothing queued, no surface used.
    queue->BeginSurfaceFrame();
    queue->AddTileSurface(-1, kCornerA, kCornerB, false, false, kWhite, 1.0f);
    EXPECT_TRUE(queue->GetFrameSurfaces().empty());
    EXPECT_EQ(pool.GetUsed(), 0u);

    RenderSurfacePool<CountingSurface> others;
    queue->AddPool(&others);
    queue->AddSurface(others.Take());
    queue->GetBonePaletteStarts().push_back(-1);
    queue->GetBonePalette().push_back({});
    queue->BeginSurfaceFrame();
    queue->BeginSurfaceFrame();
    EXPECT_EQ(others.GetUsed(), 0u);
    EXPECT_TRUE(queue->GetFrameSurfaces().empty());
    EXPECT_TRUE(queue->GetBonePaletteStarts().empty());
    EXPECT_TRUE(queue->GetBonePalette().empty());
}

TEST_F(SurfaceQueueTest, TileKeysDependOnTheShaderAlone)
{
    Shader* stoneShader = GetShader(stone);
    Shader* waterShader = GetShader(water);
    stoneShader->index = 5;
    waterShader->index = 300;
    queue->BeginSurfaceFrame();
    queue->AddTileSurface(stone, kCornerA, kCornerB, true, true, Color{1.0f, 0.5f, 0.0f}, 0.25f);
    AddTiles(1, water);
    auto* tile = static_cast<TileRenderSurface*>(queue->GetFrameSurfaces()[0]);
    EXPECT_EQ(tile->sortKey, 0u << 29 | 5u << 12 | 0xFFFu);
    EXPECT_EQ(queue->GetFrameSurfaces()[1]->sortKey, 2u << 29 | 300u << 12 | 0xFFFu);
    EXPECT_EQ(queue->GetFrameSurfaces()[1]->sortClass, SortType::Transparent);

    // Indexes agreeing in their low 15 bits key alike.
    waterShader->sort = SortType::Opaque;
    waterShader->index = 5 + (1 << 15);
    AddTiles(1, water);
    EXPECT_EQ(queue->GetFrameSurfaces()[2]->sortKey, tile->sortKey);

    CountingSurface surface;
    surface.SetSortKey(2, 0x123, SortType::Opaque, 0x7ABC, 0.5f);
    EXPECT_EQ(surface.sortClass, SortType::AdvancedTransparent);
    EXPECT_EQ(surface.sortKey, 3u << 29 | 0x123u << 17 | 2u << 15 | 0x7ABCu);
    surface.SetSortKey(3, -1, SortType::Additive, 1, 0.0f);
    EXPECT_EQ(surface.sortKey, 4u << 29 | 0xFFFu << 17 | 3u << 15 | 1u);
}

TEST_F(SurfaceQueueTest, DrawingSortsAndBatchesByKeyAndShader)
{
    queue->BeginSurfaceFrame();
    AddTiles(1, water);
    queue->AddTileSurface(stone, kCornerA, kCornerB, false, true, Color{1.0f, 0.5f, 0.0f}, 0.25f);
    AddTiles(1, water);
    AddTiles(1, stone);
    RenderSurfacePool<CountingSurface> others;
    CountingSurface* hidden = others.Take();
    hidden->hidden = true;
    hidden->shader = GetShader(water);
    hidden->SetSortKey(0, 0, SortType::Additive, 0, 1.0f);
    queue->AddSurface(hidden);
    device.Clear();
    ShaderBatch batch(&device);
    queue->DrawQueuedSurfaces(batch);

    std::vector<DeviceBatch> batches = device.GetBatches();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].shader, GetShader(stone));
    EXPECT_EQ(batches[1].shader, GetShader(water));
    EXPECT_EQ(batches[0].vertices.size(), 8u);
    EXPECT_EQ(batches[1].indexes.size(), 12u);
    // The hidden surface began and ended a batch of its own and added nothing to it.
    EXPECT_EQ(hidden->begun, 1);
    EXPECT_EQ(hidden->added, 0);
    EXPECT_EQ(hidden->ended, 1);

    // One tile: (A.x, B.y, B.z), (B.x, B.y, B.z), (B.x, A.y, A.z), (A.x, A.y, A.z), facing up.
    const DeviceBatch& stones = batches[0];
    const std::array<std::array<float, 3>, 4> corners = {{{0, 3, 1}, {2, 3, 1}, {2, 0, 0}, {0, 0, 0}}};
    const std::array<std::array<float, 2>, 4> texCoords = {{{0, 1}, {1, 1}, {1, 0}, {0, 0}}};
    for (size_t v = 0; v < 4; ++v) {
        for (size_t axis = 0; axis < 3; ++axis)
            EXPECT_FLOAT_EQ(stones.vertices[v].position[axis], corners[v][axis]);
        EXPECT_FLOAT_EQ(stones.vertices[v].texCoord[0], texCoords[v][0]);
        EXPECT_FLOAT_EQ(stones.vertices[v].texCoord[1], texCoords[v][1]);
    }
    EXPECT_FLOAT_EQ(stones.normals[2], 1.0f);
    // The coloured tile sends its colour; the batch therefore has colours.
    EXPECT_TRUE(stones.hasColors);
    const bool coloredFirst = stones.vertices[0].color[1] == 128;
    const DeviceVertex& colored = stones.vertices[coloredFirst ? 0 : 4];
    EXPECT_EQ((std::array<uint8_t, 4>{colored.color[0], colored.color[1], colored.color[2], colored.color[3]}),
              (std::array<uint8_t, 4>{255, 128, 0, 64}));
    EXPECT_FALSE(batches[1].hasColors);
    ASSERT_EQ(stones.stages.size(), 1u);
    EXPECT_EQ(stones.stages[0].stage, GetShader(stone)->stages[0].get());
    EXPECT_NE(stones.stages[0].textureId, -1);
}

TEST_F(SurfaceQueueTest, APoolTakenOutOrGoneBeforeTheQueueIsNoLongerStarted)
{
    RenderSurfacePool<CountingSurface> kept;
    RenderSurfacePool<CountingSurface> removed;
    queue->AddPool(&kept);
    queue->AddPool(&removed);
    kept.Take();
    removed.Take();
    queue->RemovePool(&removed);
    queue->BeginSurfaceFrame();
    EXPECT_EQ(kept.GetUsed(), 0u);
    EXPECT_EQ(removed.GetUsed(), 1u);

    // The effect pools leave with their owner; the next pass touches only what is left (the
    // sanitizer build catches a start of a freed pool).
    auto effects = std::make_unique<EffectSurfaces>(*queue);
    effects->AddParticleSurface(*GetShader(stone), {0, 0, 0}, 0.0f, 1.0f, kWhite, 1.0f, 0.0f);
    effects.reset();
    queue->BeginSurfaceFrame();
    queue->BeginSurfaceFrame();
    EXPECT_TRUE(queue->GetFrameSurfaces().empty());
}

TEST_F(SurfaceQueueTest, APoolTakenOutTakesItsQueuedSurfacesOutOfThePass)
{
    queue->BeginSurfaceFrame();
    AddTiles(1, stone);
    auto effects = std::make_unique<EffectSurfaces>(*queue);
    effects->AddParticleSurface(*GetShader(water), {0, 0, 0}, 0.0f, 1.0f, kWhite, 1.0f, 0.0f);
    RenderSurfacePool<CountingSurface> others;
    queue->AddPool(&others);
    CountingSurface* kept = others.Take();
    kept->shader = GetShader(water);
    kept->SetSortKey(0, 0, SortType::Additive, 0, 1.0f);
    queue->AddSurface(kept);
    effects->AddParticleSurface(*GetShader(water), {1, 0, 0}, 0.0f, 1.0f, kWhite, 1.0f, 0.0f);
    ASSERT_EQ(queue->GetFrameSurfaces().size(), 4u);
    const RenderSurface* tile = queue->GetFrameSurfaces()[0];

    // The particles go with their pool, mid-pass; what is left keeps its order and is drawn
    // (the sanitizer build catches a draw of a freed surface).
    effects.reset();
    EXPECT_EQ(queue->GetFrameSurfaces(), (std::vector<RenderSurface*>{const_cast<RenderSurface*>(tile), kept}));
    ShaderBatch batch(&device);
    queue->DrawQueuedSurfaces(batch);
    EXPECT_EQ(kept->added, 1);
    queue->RemovePool(&others);
    EXPECT_EQ(queue->GetFrameSurfaces().size(), 1u);
}

TEST_F(SurfaceQueueTest, SurfacesOfOneKeyAreDrawnInTheOrderTheyWereQueued)
{
    RenderSurfacePool<CountingSurface> others;
    std::vector<RenderSurface*> queued;
    for (int pass = 0; pass < 2; ++pass) {
        queue->BeginSurfaceFrame();
        others.ResetUsed();
        queued.clear();
        // Two keys, interleaved, enough of them that a sort of its own order would mix them.
        for (int i = 0; i < 40; ++i) {
            CountingSurface* surface = others.Take();
            surface->shader = GetShader(i % 2 == 0 ? water : stone);
            surface->SetSortKey(0, 0, i % 2 == 0 ? SortType::Additive : SortType::Opaque, 0, 1.0f);
            queue->AddSurface(surface);
            queued.push_back(surface);
        }
        ShaderBatch batch(&device);
        queue->DrawQueuedSurfaces(batch);
        std::vector<RenderSurface*> expected;
        for (int odd = 1; odd >= 0; --odd) {
            for (size_t i = static_cast<size_t>(odd); i < queued.size(); i += 2)
                expected.push_back(queued[i]);
        }
        ASSERT_NE(queued[0]->sortKey, queued[1]->sortKey);
        if (queued[0]->sortKey < queued[1]->sortKey)
            std::rotate(expected.begin(), expected.begin() + 20, expected.end());
        EXPECT_EQ(queue->GetFrameSurfaces(), expected) << pass;
    }
}

TEST_F(SurfaceQueueTest, LitAndFullBrightSurfacesOfOneKeyGoInSeparateBatchesWithAlignedNormals)
{
    queue->BeginSurfaceFrame();
    AddTiles(1, stone);
    queue->AddTileSurface(stone, kCornerA, kCornerB, true, false, kWhite, 1.0f);
    AddTiles(1, stone);
    device.Clear();
    ShaderBatch batch(&device);
    queue->DrawQueuedSurfaces(batch);

    std::vector<DeviceBatch> batches = device.GetBatches();
    ASSERT_GE(batches.size(), 2u);
    size_t lit = 0;
    size_t bright = 0;
    for (const DeviceBatch& drawn : batches) {
        if (drawn.normals.empty()) {
            bright += drawn.vertices.size();
        } else {
            EXPECT_EQ(drawn.normals.size(), drawn.vertices.size() * 3);
            lit += drawn.vertices.size();
        }
    }
    EXPECT_EQ(lit, 8u);
    EXPECT_EQ(bright, 4u);
}

TEST_F(SurfaceQueueTest, OpacityAndWriteMaskReachTheDeviceAndSplitBatches)
{
    RenderSurfacePool<CountingSurface> others;
    queue->BeginSurfaceFrame();
    const std::pair<float, int32_t> states[] = {{0.5f, 0}, {0.5f, 0}, {0.5f, kWriteMaskNoDepth}, {0.25f, 0}};
    for (const auto& [opacity, mask] : states) {
        CountingSurface* surface = others.Take();
        surface->shader = GetShader(water);
        surface->opacity = opacity;
        surface->writeMask = mask;
        surface->SetSortKey(0, 7, SortType::Transparent, 1, 0.5f);
        queue->AddSurface(surface);
    }
    device.Clear();
    ShaderBatch batch(&device);
    queue->DrawQueuedSurfaces(batch);

    // Equal keys keep the order they were queued in.
    std::vector<DeviceBatch> batches = device.GetBatches();
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[0].vertices.size(), 6u);
    EXPECT_EQ((std::pair{batches[0].opacity, batches[0].writeMask}), (std::pair{0.5f, 0}));
    EXPECT_EQ((std::pair{batches[1].opacity, batches[1].writeMask}), (std::pair{0.5f, kWriteMaskNoDepth}));
    EXPECT_EQ((std::pair{batches[2].opacity, batches[2].writeMask}), (std::pair{0.25f, 0}));
}

} // namespace
