// GeneratedTextures -- "generateTextures": the four grey-scale Targa files that effect shaders draw with, computed and written.
#include "render/GeneratedTextures.h"

#include "core/CommandSystem.h"
#include "core/RandomSystem.h"
#include "resources/textures/ImageWriter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>

namespace {

constexpr int32_t kGeneratedRampSide = 64;
constexpr int32_t kGeneratedStarSide = 16;

// Computed in single precision on purpose: the swipe's far corner, 0.7, must round to 179.
uint8_t GeneratedTexturesByte(float value)
{
    float clamped = std::clamp(value, 0.0f, 1.0f);
    return static_cast<uint8_t>(std::floor(clamped * 255.0f + 0.5f));
}

void GeneratedTexturesFill(std::vector<uint8_t>& rgb, int32_t side, float (*value)(int32_t row, int32_t column))
{
    rgb.resize(static_cast<size_t>(side) * static_cast<size_t>(side) * 3);
    for (int32_t row = 0; row < side; ++row) {
        for (int32_t column = 0; column < side; ++column) {
            uint8_t byte = GeneratedTexturesByte(value(row, column));
            std::fill_n(rgb.begin() + (static_cast<ptrdiff_t>(row) * side + column) * 3, 3, byte);
        }
    }
}

} // namespace

void GeneratedTextures::RegisterCommands()
{
    gCommandSystem->RegisterCommand(
        "generateTextures", [](const std::vector<std::string>&) { Generate(); },
        "Generates a bunch of general textures", "", "");
}

void GeneratedTextures::FillSwipe(std::vector<uint8_t>& rgb)
{
    GeneratedTexturesFill(rgb, kGeneratedRampSide, [](int32_t row, int32_t column) {
        float value = static_cast<float>(column) / 63.0f * 0.5f + static_cast<float>(row) / 63.0f * 0.5f;
        return std::max(0.0f, value - 0.15f - 0.15f);
    });
}

void GeneratedTextures::FillSwipeSquare(std::vector<uint8_t>& rgb)
{
    GeneratedTexturesFill(rgb, kGeneratedRampSide,
                          [](int32_t row, int32_t) { return static_cast<float>(row) / 63.0f; });
}

void GeneratedTextures::FillStar(std::vector<uint8_t>& rgb)
{
    GeneratedTexturesFill(rgb, kGeneratedStarSide, [](int32_t row, int32_t column) {
        float a = 1.0f - 0.1f * static_cast<float>(std::abs(row - 8));
        float b = 1.0f - 0.1f * static_cast<float>(std::abs(column - 8));
        return std::max(a, b) * a * b;
    });
}

// One draw of stream 0 per pixel, in row order.
void GeneratedTextures::FillNoise(std::vector<uint8_t>& rgb)
{
    GeneratedTexturesFill(rgb, kGeneratedRampSide, [](int32_t, int32_t) {
        float value = gRandomSystem ? gRandomSystem->RandomFloat(RandomStream::GameData) : 0.0f;
        return 0.5f + 0.5f * value;
    });
}

void GeneratedTextures::Generate()
{
    std::vector<uint8_t> rgb;
    FillSwipe(rgb);
    WriteTga(kGeneratedRampSide, kGeneratedRampSide, 3, rgb.data(), "whiteSwipe.tga");
    FillSwipeSquare(rgb);
    WriteTga(kGeneratedRampSide, kGeneratedRampSide, 3, rgb.data(), "swipeSquare.tga");
    FillStar(rgb);
    WriteTga(kGeneratedStarSide, kGeneratedStarSide, 3, rgb.data(), "whiteStar.tga");
    FillNoise(rgb);
    WriteTga(kGeneratedRampSide, kGeneratedRampSide, 3, rgb.data(), "noise.tga");
}
