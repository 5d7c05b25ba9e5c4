// ShaderReloadTest -- "reloadShaders" with the graphics context held, while the loader builds blended tiles and surfaces and a batch use the old shaders.
#include "resources/shaders/ShaderWorld.h"

#include "resources/effects/SurfaceQueue.h"
#include "resources/shaders/ScreenPrimitives.h"
#include "resources/shaders/ShaderBatch.h"

namespace {

constexpr int kTiles = 6;
constexpr int kRounds = 4;
constexpr int kBlendedPerRound = 8;
const Color kGrey{0.5f, 0.5f, 0.5f};

std::string TileTexture(int tile, int round)
{
    return "ground/t" + std::to_string(tile) + "r" + std::to_string(round);
}

class ShaderReloadTest : public ShaderWorld {
protected:
    ShaderReloadTest() { manager->SetGraphicsContextLock(&device.GetContextLock()); }

    // The queue's surfaces hold shaders, which hold textures: they go first.
    void TearDown() override
    {
        queue.reset();
        manager->SetGraphicsContextLock(nullptr);
        ShaderWorld::TearDown();
    }

    // Each round's tile shaders draw textures of their own, so every reload makes them anew
    // and queues uploads the loader needs the context for.
    void WriteTiles(int round)
    {
        std::string text;
        for (int tile = 0; tile < kTiles; ++tile) {
            WriteTarga(TileTexture(tile, round) + ".tga", 4, 4);
            text += "Ground/t" + std::to_string(tile) + " { { texture " + TileTexture(tile, round) +
                    ".tga\n colorGen Constant \"0.5 0.5 0.5\" } }\n";
        }
        WriteAsset("Shaders/tiles.sdr", text);
    }

    std::unique_ptr<SurfaceQueue> queue = std::make_unique<SurfaceQueue>();
};

TEST_F(ShaderReloadTest, SurfacesBatchesAndBlendedTileBuildsKeepTheShadersTheyUseThroughReloads)
{
    WriteTiles(0);
    StartShaders();
    std::vector<int32_t> tiles;
    for (int tile = 0; tile < kTiles; ++tile)
        tiles.push_back(LoadShader("Ground/t" + std::to_string(tile), TextureUsage::TwoSidedVertexColor));
    std::vector<int32_t> blended;
    for (int round = 1; round <= kRounds; ++round) {
        queue->BeginSurfaceFrame();
        for (int32_t tile : tiles)
            queue->AddTileSurface(tile, {0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, false, false, kGrey, 1.0f);
        std::vector<const Shader*> queued;
        for (const RenderSurface* surface : queue->GetFrameSurfaces())
            queued.push_back(surface->shader.Get());
        ASSERT_EQ(queued.size(), static_cast<size_t>(kTiles));
        ShaderBatch open(&device);
        open.BeginBatch(GetShader(tiles[0]));
        ScreenPrimitives::AppendScreenRect(open, 0.0f, 0.0f, 1.0f, 1.0f, kGrey, 1.0f);
        // Queued before the reload: the loader builds them from the tile shaders it replaces.
        for (int i = 0; i < kBlendedPerRound; ++i) {
            ResourceHandle& handle = Hold();
            MakeBlendedTileShaderName({tiles[i % kTiles], tiles[(i + round) % kTiles], tiles[(i + 2) % kTiles]}, handle);
            blended.push_back(handle);
        }

        WriteTiles(round);
        // As a renderer's frame would: the reload gives the context up while it waits.
        device.AcquireContext();
        ASSERT_TRUE(commands.Execute("reloadShaders"));
        EXPECT_EQ(device.GetContextLock().GetDepth(), 1);
        device.ReleaseContext();

        for (int tile = 0; tile < kTiles; ++tile) {
            const Shader* rebuilt = GetShader(tiles[tile]);
            ASSERT_NE(rebuilt, nullptr);
            EXPECT_NE(rebuilt, queued[tile]);
            EXPECT_EQ(TextureName(rebuilt->stages[0]->texture), TileTexture(tile, round) + ".ctx");
            // The queued surface's shader is the old one, whole.
            EXPECT_EQ(TextureName(queued[tile]->stages[0]->texture), TileTexture(tile, round - 1) + ".ctx");
        }
        size_t before = device.GetBatches().size();
        ShaderBatch drawn(&device);
        queue->DrawQueuedSurfaces(drawn);
        open.FlushBatch();
        std::vector<DeviceBatch> batches = device.GetBatches();
        ASSERT_EQ(batches.size(), before + kTiles + 1);
        EXPECT_EQ(batches.back().shader, queued[0]);
        EXPECT_EQ(batches.back().stages.size(), 1u);
    }
    for (int32_t handle : blended) {
        const Shader* shader = GetShader(handle);
        ASSERT_NE(shader, nullptr);
        EXPECT_TRUE(shader->isBlendedTiles);
        EXPECT_EQ(shader->stages.size(), 3u);
    }
    EXPECT_EQ(CountLogged("^c001"), 0);
}

} // namespace
