// WorldViewOverlays -- what is laid over the drawn world: the bloom glow and the darkening of the places the player does not see or has not explored.
#pragma once

#include "core/Matrix.h"
#include "core/UserVarRef.h"
#include "resources/GraphicsDevice.h"
#include "world/WorldPos.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class FrameScene;
class GLApi;
class GLStateCache;
class ImmediateDraw;
class WorldView;

// Main thread, with the device's context held by the caller.
class WorldViewOverlays {
public:
    // Texels on a side of the explored overlay: one a tile round the player.
    static constexpr int32_t kExploredSide = 64;
    // An unseen tile the world map calls explored from this amount on shows at half light.
    static constexpr float kExploredThreshold = 0.75f;
    // Darkening passes and blur taps a side are held to this: a mistyped setting would
    // otherwise stall the frame.
    static constexpr int32_t kMaxBloomPasses = 32;

    // The world map's smoothed explored amount (0 .. 1) of a tile of a level.
    using ExploredAmountHook = std::function<float(int32_t level, int32_t tileX, int32_t tileY)>;

    WorldViewOverlays(GraphicsDevice& device, GLApi& gl, GLStateCache& cache, ImmediateDraw& immediate,
                      WorldView& view);
    ~WorldViewOverlays();
    WorldViewOverlays(const WorldViewOverlays&) = delete;
    WorldViewOverlays& operator=(const WorldViewOverlays&) = delete;

    // "r_bloom" and its settings, as the renderer registered them.
    void FindVars();
    void SetScene(FrameScene* newScene) { scene = newScene; }
    // Unset (no world map): every tile counts as unexplored.
    void SetExploredAmountHook(ExploredAmountHook hook) { exploredAmount = std::move(hook); }

    // Multiplies the world by the player's sight round the player; only with the fog of war on,
    // the map not revealed and a local player.
    void DrawExploredOverlay(float zoom);
    // The frame's bright parts darkened, blurred and added back over the view, under "r_bloom".
    void ApplyBloom(const PixelRect& viewRect);

    // The screen, bloom and overlay textures let go; each is made again at its next use, at the
    // view's size then.
    void FreeTextures();

    // The smallest power of two not below the value (1 for values below 1).
    static int32_t PowerOfTwoAtLeast(int32_t value);
    // The weight of blur tap k of n taps a side at the intensity; 0 for n below 1.
    static float BloomTapWeight(int32_t k, int32_t n, float intensity);

    // Texel (column, row) of the last overlay, four bytes each; rows run along y.
    const std::vector<uint8_t>& GetExploredTexels() const { return exploredTexels; }
    std::array<int32_t, 2> GetScreenTextureSize() const { return {screenWidth, screenHeight}; }
    int32_t GetBloomTextureSide() const { return bloomSide; }

private:
    void FillExploredTexels(const WorldPos& player);
    void MakeBloomTextures(const PixelRect& viewRect);
    void BlurPass(int32_t taps, float distance, float intensity, float du, float dv);
    void DrawFull(int32_t texture, const Color& color, float s1, float t1, uint32_t source, uint32_t destination,
                  float du = 0.0f, float dv = 0.0f);

    GraphicsDevice& device;
    GLApi& gl;
    GLStateCache& cache;
    ImmediateDraw& immediate;
    WorldView& view;
    FrameScene* scene = nullptr;
    ExploredAmountHook exploredAmount;
    int32_t exploredTexture = -1;
    std::vector<uint8_t> exploredTexels;
    int32_t screenTexture = -1;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    int32_t bloomTexture = -1;
    int32_t bloomSide = 0;
    // The "r_bloomTextureSize" the bloom texture was made for.
    int32_t bloomSizeMade = 0;
    UserVarRef bloomVar;
    UserVarRef darkenPassesVar;
    UserVarRef blurVar;
    UserVarRef blurDistanceVar;
    UserVarRef intensityVar;
    UserVarRef textureSizeVar;
};
