// WorldViewOverlays -- what is laid over the drawn world: the bloom glow and the darkening of the places the player does not see or has not explored.
#include "render/WorldViewOverlays.h"

#include "core/ColorSystem.h"
#include "core/UserVarSystem.h"
#include "render/FrameScene.h"
#include "render/GLApi.h"
#include "render/GLStateCache.h"
#include "render/ImmediateDraw.h"
#include "render/WorldView.h"
#include "rules/GameData.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#ifndef GL_CLAMP
#define GL_CLAMP 0x2900
#endif

namespace {

const Matrix4 kWorldViewOverlaysIdentity{
    {{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}}};

} // namespace

WorldViewOverlays::WorldViewOverlays(GraphicsDevice& device, GLApi& gl, GLStateCache& cache,
                                     ImmediateDraw& immediate, WorldView& view)
    : device(device), gl(gl), cache(cache), immediate(immediate), view(view)
{
}

WorldViewOverlays::~WorldViewOverlays()
{
    FreeTextures();
}

void WorldViewOverlays::FreeTextures()
{
    for (int32_t* texture : {&exploredTexture, &screenTexture, &bloomTexture}) {
        if (*texture >= 0)
            device.DeleteTexture(*texture);
        *texture = -1;
    }
}

void WorldViewOverlays::FindVars()
{
    bloomVar = gUserVarSystem->RegisterVar("r_bloom", "0");
    darkenPassesVar = gUserVarSystem->RegisterVar("r_bloomDarkenPasses", "1");
    blurVar = gUserVarSystem->RegisterVar("r_bloomBlur", "2");
    blurDistanceVar = gUserVarSystem->RegisterVar("r_bloomBlurDistance", "1.0");
    intensityVar = gUserVarSystem->RegisterVar("r_bloomIntensity", "1.4");
    textureSizeVar = gUserVarSystem->RegisterVar("r_bloomTextureSize", "256");
}

int32_t WorldViewOverlays::PowerOfTwoAtLeast(int32_t value)
{
    int32_t power = 1;
    // Held below 2^30: a larger setting would overflow the doubling.
    while (power < value && power < (1 << 30))
        power *= 2;
    return power;
}

float WorldViewOverlays::BloomTapWeight(int32_t k, int32_t n, float intensity)
{
    if (n < 1)
        return 0.0f;
    float share = static_cast<float>(k * k) / static_cast<float>(n * n);
    return (1.0f - share) * intensity / static_cast<float>(2 * n + 1);
}

// ---- The explored overlay ------------------------------------------------------------------

void WorldViewOverlays::FillExploredTexels(const WorldPos& player)
{
    float tile = gGameData->GetTuning().tileSize;
    for (int32_t row = 0; row < kExploredSide; ++row) {
        for (int32_t column = 0; column < kExploredSide; ++column) {
            WorldPos at = player;
            at.x += static_cast<float>(column - kExploredSide / 2) * tile;
            at.y += static_cast<float>(row - kExploredSide / 2) * tile;
            at.Normalize();
            int32_t v = static_cast<int32_t>(std::lround(scene->GetVisibility(at) * 255.0f));
            if (v < 255 && exploredAmount &&
                exploredAmount(at.level, static_cast<int32_t>(std::floor(at.x / tile)),
                               static_cast<int32_t>(std::floor(at.y / tile))) >= kExploredThreshold)
                v = (v + 255) / 2;
            auto value = static_cast<uint8_t>(std::clamp(v, 0, 255));
            uint8_t* texel = &exploredTexels[static_cast<size_t>((row * kExploredSide + column) * 4)];
            texel[0] = texel[1] = texel[2] = value;
            texel[3] = 255;
        }
    }
}

void WorldViewOverlays::DrawExploredOverlay(float zoom)
{
    WorldPos player;
    if (!gGameData || !gGameData->GetTuning().showLineOfSight || !scene || scene->IsRevealed() ||
        !scene->HasLocalPlayer() || !scene->GetCameraTarget(player))
        return;
    float tile = gGameData->GetTuning().tileSize;
    if (!(tile > 0.0f))
        return;
    if (exploredTexels.empty())
        exploredTexels.assign(static_cast<size_t>(kExploredSide * kExploredSide * 4), 0);
    if (exploredTexture < 0)
        exploredTexture = device.UploadTexture(exploredTexels.data(), kExploredSide, kExploredSide,
                                               PixelFormat::kRgba, 1);
    if (exploredTexture < 0)
        return;
    FillExploredTexels(player);
    device.UpdateTexture(exploredTexture, 0, PixelRect{0, 0, kExploredSide, kExploredSide}, PixelFormat::kRgba,
                         exploredTexels.data());
    cache.BindTexture(static_cast<uint32_t>(exploredTexture));
    gl.SetTextureFilter(GL_LINEAR, GL_LINEAR);

    view.BeginWorldView(player, zoom, false);
    cache.ResetState();
    // The quad lies on whole tiles; the texture matrix slides the texels so that texel
    // (32, 32) is centred on the player's own place, texel c sampling the player's place
    // plus (c - 32) tiles.
    float half = static_cast<float>(kExploredSide / 2);
    float x0 = (std::floor(player.x / tile) - half) * tile;
    float y0 = (std::floor(player.y / tile) - half) * tile;
    float span = static_cast<float>(kExploredSide) * tile;
    Matrix4 slide = kWorldViewOverlaysIdentity;
    slide.m[3][0] = (x0 - (player.x - (half + 0.5f) * tile)) / span;
    slide.m[3][1] = (y0 - (player.y - (half + 0.5f) * tile)) / span;
    gl.LoadTextureMatrix(&slide.m[0][0]);
    Color white;
    ColorSystem::GetColorByIndex(white.r, white.g, white.b, 0);
    immediate.DrawScreenQuad(exploredTexture, x0, y0, x0 + span, y0 + span, white, 1.0f, {0.0f, 0.0f, 1.0f, 1.0f},
                             GL_REPEAT, GL_DST_COLOR, GL_ZERO);
    // Left loaded, the slide would move every texture drawn after it.
    gl.LoadTextureMatrix(&kWorldViewOverlaysIdentity.m[0][0]);
}

// ---- Bloom ---------------------------------------------------------------------------------

void WorldViewOverlays::MakeBloomTextures(const PixelRect& viewRect)
{
    int32_t wantedSize = textureSizeVar.GetInt();
    if (bloomTexture >= 0 && wantedSize != bloomSizeMade) {
        device.DeleteTexture(bloomTexture);
        bloomTexture = -1;
    }
    int32_t width = PowerOfTwoAtLeast(viewRect.width);
    int32_t height = PowerOfTwoAtLeast(viewRect.height);
    // A view grown past the screen texture (a resized window) needs a larger one.
    if (screenTexture >= 0 && (width > screenWidth || height > screenHeight)) {
        device.DeleteTexture(screenTexture);
        screenTexture = -1;
    }
    if (screenTexture < 0) {
        std::vector<uint8_t> zeros(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
        screenTexture = device.UploadTexture(zeros.data(), width, height, PixelFormat::kRgba, 1);
        screenWidth = width;
        screenHeight = height;
    }
    if (bloomTexture < 0) {
        int32_t side = PowerOfTwoAtLeast(wantedSize);
        if (side != wantedSize) {
            char text[16];
            std::snprintf(text, sizeof(text), "%d", side);
            textureSizeVar.SetString(text);
        }
        std::vector<uint8_t> zeros(static_cast<size_t>(side) * static_cast<size_t>(side) * 4, 0);
        bloomTexture = device.UploadTexture(zeros.data(), side, side, PixelFormat::kRgba, 1);
        bloomSide = side;
        bloomSizeMade = textureSizeVar.GetInt();
    }
}

void WorldViewOverlays::DrawFull(int32_t texture, const Color& color, float s1, float t1, uint32_t source,
                                 uint32_t destination, float du, float dv)
{
    immediate.DrawScreenQuad(texture, -1.0f, -1.0f, 1.0f, 1.0f, color, 1.0f, {du, dv, s1 + du, t1 + dv}, GL_CLAMP,
                             source, destination);
}

void WorldViewOverlays::BlurPass(int32_t taps, float distance, float intensity, float du, float dv)
{
    bool first = true;
    for (int32_t k = -taps; k <= taps; ++k) {
        float weight = BloomTapWeight(k, taps, intensity);
        if (weight < 0.01f)
            continue;
        float shift = static_cast<float>(k) * distance;
        DrawFull(bloomTexture, Color{weight, weight, weight}, 1.0f, 1.0f, GL_ONE, first ? GL_ZERO : GL_ONE,
                 shift * du, shift * dv);
        first = false;
    }
    cache.BindTexture(static_cast<uint32_t>(bloomTexture));
    gl.CopyTexSubImage2D(0, 0, bloomSide, bloomSide);
}

void WorldViewOverlays::ApplyBloom(const PixelRect& viewRect)
{
    if (!bloomVar.IsValid() || !bloomVar.GetBool() || viewRect.width <= 0 || viewRect.height <= 0)
        return;
    MakeBloomTextures(viewRect);
    if (screenTexture < 0 || bloomTexture < 0)
        return;
    // The quads span -1 .. 1: the whole viewport, whatever its size.
    device.SetProjectionMatrix(kWorldViewOverlaysIdentity);
    device.SetModelViewMatrix(kWorldViewOverlaysIdentity);
    cache.ResetState();
    cache.BindTexture(static_cast<uint32_t>(screenTexture));
    gl.CopyTexSubImage2D(viewRect.x, viewRect.y, viewRect.width, viewRect.height);

    // The frame shrunk into the bloom square, then multiplied by itself: only bright parts stay.
    gl.Viewport(0, 0, bloomSide, bloomSide);
    float s1 = static_cast<float>(viewRect.width) / static_cast<float>(screenWidth);
    float t1 = static_cast<float>(viewRect.height) / static_cast<float>(screenHeight);
    const Color white{1.0f, 1.0f, 1.0f};
    DrawFull(screenTexture, white, s1, t1, GL_ONE, GL_ZERO);
    for (int32_t pass = 0; pass < std::min(darkenPassesVar.GetInt(), kMaxBloomPasses); ++pass)
        DrawFull(screenTexture, white, s1, t1, GL_DST_COLOR, GL_ZERO);
    cache.BindTexture(static_cast<uint32_t>(bloomTexture));
    gl.CopyTexSubImage2D(0, 0, bloomSide, bloomSide);

    int32_t taps = std::min(blurVar.GetInt(), kMaxBloomPasses);
    if (taps > 0) {
        float distance = blurDistanceVar.GetFloat();
        float intensity = intensityVar.GetFloat();
        BlurPass(taps, distance, intensity, 0.0f, 1.0f / static_cast<float>(viewRect.height));
        BlurPass(taps, distance, intensity, 1.0f / static_cast<float>(viewRect.width), 0.0f);
    }

    gl.Viewport(viewRect.x, viewRect.y, viewRect.width, viewRect.height);
    DrawFull(screenTexture, white, s1, t1, GL_ONE, GL_ZERO);
    DrawFull(bloomTexture, white, 1.0f, 1.0f, GL_ONE, GL_ONE);
}
