// DxtCodec -- S3TC block compression (DXT1, DXT3, DXT5) of 4 x 4 pixel blocks, and its decoder.
#include "resources/textures/DxtCodec.h"

#include "core/Color.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kBlockPixels = 16;

struct ColorBlock {
    uint16_t endpoint[2];
    uint32_t indexes;
};

int32_t SquaredDistance(const int32_t a[3], const int32_t b[3])
{
    int32_t dr = a[0] - b[0];
    int32_t dg = a[1] - b[1];
    int32_t db = a[2] - b[2];
    return dr * dr + dg * dg + db * db;
}

// The two pixels furthest apart; later pairs must be strictly further to win.
void ChooseEndpoints(const DxtBlockPixels& pixels, uint16_t& first, uint16_t& second)
{
    int32_t rgb[kBlockPixels][3];
    for (int i = 0; i < kBlockPixels; ++i)
        UnpackRgb565(pixels.color[i], rgb[i]);
    int32_t best = 0;
    int bestA = 0;
    int bestB = 0;
    for (int i = 0; i < kBlockPixels; ++i) {
        for (int j = i + 1; j < kBlockPixels; ++j) {
            int32_t distance = SquaredDistance(rgb[i], rgb[j]);
            if (distance > best) {
                best = distance;
                bestA = i;
                bestB = j;
            }
        }
    }
    first = pixels.color[bestA];
    second = pixels.color[bestB];
}

// transparentMode: three colours, alpha below 128 takes index 3.
ColorBlock EncodeColors(const DxtBlockPixels& pixels, bool transparentMode)
{
    ColorBlock block{};
    ChooseEndpoints(pixels, block.endpoint[0], block.endpoint[1]);
    if (transparentMode ? block.endpoint[0] > block.endpoint[1] : block.endpoint[0] < block.endpoint[1])
        std::swap(block.endpoint[0], block.endpoint[1]);
    int32_t e0[3];
    int32_t e1[3];
    UnpackRgb565(block.endpoint[0], e0);
    UnpackRgb565(block.endpoint[1], e1);
    float palette[4][3];
    int paletteSize = transparentMode ? 3 : 4;
    for (int c = 0; c < 3; ++c) {
        palette[0][c] = static_cast<float>(e0[c]);
        palette[1][c] = static_cast<float>(e1[c]);
        if (transparentMode) {
            palette[2][c] = (palette[0][c] + palette[1][c]) / 2.0f;
        } else {
            palette[2][c] = (2.0f * palette[0][c] + palette[1][c]) / 3.0f;
            palette[3][c] = (palette[0][c] + 2.0f * palette[1][c]) / 3.0f;
        }
    }
    for (int i = 0; i < kBlockPixels; ++i) {
        uint32_t index = 3;
        if (!transparentMode || pixels.alpha[i] >= 128) {
            int32_t rgb[3];
            UnpackRgb565(pixels.color[i], rgb);
            int32_t bestDistance = -1;
            for (int p = 0; p < paletteSize; ++p) {
                float dr = static_cast<float>(rgb[0]) - palette[p][0];
                float dg = static_cast<float>(rgb[1]) - palette[p][1];
                float db = static_cast<float>(rgb[2]) - palette[p][2];
                int32_t distance = static_cast<int32_t>(dr * dr + dg * dg + db * db);
                if (bestDistance < 0 || distance < bestDistance) {
                    bestDistance = distance;
                    index = static_cast<uint32_t>(p);
                }
            }
        }
        block.indexes |= index << (2 * i);
    }
    return block;
}

void WriteColorBlock(const ColorBlock& block, uint8_t* out)
{
    out[0] = static_cast<uint8_t>(block.endpoint[0]);
    out[1] = static_cast<uint8_t>(block.endpoint[0] >> 8);
    out[2] = static_cast<uint8_t>(block.endpoint[1]);
    out[3] = static_cast<uint8_t>(block.endpoint[1] >> 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<uint8_t>(block.indexes >> (8 * i));
}

void EncodeExplicitAlpha(const DxtBlockPixels& pixels, uint8_t* out)
{
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<uint8_t>((pixels.alpha[2 * i] >> 4) | (pixels.alpha[2 * i + 1] & 0xF0));
}

// The smallest alpha first selects the six-value palette with 0 and 255 at its end.
void EncodeInterpolatedAlpha(const DxtBlockPixels& pixels, uint8_t* out)
{
    int32_t a0 = *std::min_element(pixels.alpha, pixels.alpha + kBlockPixels);
    int32_t a1 = *std::max_element(pixels.alpha, pixels.alpha + kBlockPixels);
    const int32_t palette[8] = {a0,
                                a1,
                                (4 * a0 + a1 + 2) / 5,
                                (3 * a0 + 2 * a1 + 2) / 5,
                                (2 * a0 + 3 * a1 + 2) / 5,
                                (a0 + 4 * a1 + 2) / 5,
                                0,
                                255};
    uint64_t bits = 0;
    for (int i = 0; i < kBlockPixels; ++i) {
        int best = 0;
        for (int p = 1; p < 8; ++p) {
            if (std::abs(pixels.alpha[i] - palette[p]) < std::abs(pixels.alpha[i] - palette[best]))
                best = p;
        }
        bits |= static_cast<uint64_t>(best) << (3 * i);
    }
    out[0] = static_cast<uint8_t>(a0);
    out[1] = static_cast<uint8_t>(a1);
    for (int i = 0; i < 6; ++i)
        out[2 + i] = static_cast<uint8_t>(bits >> (8 * i));
}

void DecodeColors(const uint8_t* block, bool alwaysFourColors, uint8_t out[64])
{
    uint16_t endpoint0 = static_cast<uint16_t>(block[0] | block[1] << 8);
    uint16_t endpoint1 = static_cast<uint16_t>(block[2] | block[3] << 8);
    uint32_t indexes = static_cast<uint32_t>(block[4]) | static_cast<uint32_t>(block[5]) << 8 |
                       static_cast<uint32_t>(block[6]) << 16 | static_cast<uint32_t>(block[7]) << 24;
    int32_t colors[4][4];
    UnpackRgb565(endpoint0, colors[0]);
    UnpackRgb565(endpoint1, colors[1]);
    bool fourColors = alwaysFourColors || endpoint0 > endpoint1;
    for (int c = 0; c < 3; ++c) {
        if (fourColors) {
            colors[2][c] = (2 * colors[0][c] + colors[1][c]) / 3;
            colors[3][c] = (colors[0][c] + 2 * colors[1][c]) / 3;
        } else {
            colors[2][c] = (colors[0][c] + colors[1][c]) / 2;
            colors[3][c] = 0;
        }
    }
    for (int p = 0; p < 4; ++p)
        colors[p][3] = 255;
    if (!fourColors)
        colors[3][3] = 0;
    for (int i = 0; i < kBlockPixels; ++i) {
        const int32_t* color = colors[(indexes >> (2 * i)) & 3];
        for (int c = 0; c < 4; ++c)
            out[4 * i + c] = static_cast<uint8_t>(color[c]);
    }
}

void DecodeExplicitAlpha(const uint8_t* block, uint8_t out[64])
{
    for (int i = 0; i < 8; ++i) {
        out[4 * (2 * i) + 3] = static_cast<uint8_t>((block[i] & 0x0F) * 17);
        out[4 * (2 * i + 1) + 3] = static_cast<uint8_t>((block[i] >> 4) * 17);
    }
}

void DecodeInterpolatedAlpha(const uint8_t* block, uint8_t out[64])
{
    int32_t a0 = block[0];
    int32_t a1 = block[1];
    int32_t palette[8] = {a0, a1, 0, 0, 0, 0, 0, 255};
    if (a0 > a1) {
        for (int i = 2; i < 8; ++i)
            palette[i] = ((8 - i) * a0 + (i - 1) * a1) / 7;
    } else {
        for (int i = 2; i < 6; ++i)
            palette[i] = ((6 - i) * a0 + (i - 1) * a1) / 5;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
    for (int i = 0; i < kBlockPixels; ++i)
        out[4 * i + 3] = static_cast<uint8_t>(palette[(bits >> (3 * i)) & 7]);
}

} // namespace

size_t DxtBlockBytes(DxtMode mode)
{
    return mode == DxtMode::kDxt1 ? 8 : 16;
}

uint16_t PackRgb565(uint8_t red, uint8_t green, uint8_t blue)
{
    return Color::ToRgb565(red, green, blue);
}

void UnpackRgb565(uint16_t color, int32_t rgb[3])
{
    rgb[0] = (color >> 11 & 0x1F) << 3;
    rgb[1] = (color >> 5 & 0x3F) << 2;
    rgb[2] = (color & 0x1F) << 3;
}

void EncodeDxtBlock(DxtMode mode, const DxtBlockPixels& pixels, uint8_t* out)
{
    switch (mode) {
    case DxtMode::kDxt1: {
        bool transparent = std::any_of(pixels.alpha, pixels.alpha + kBlockPixels, [](uint8_t a) { return a < 128; });
        WriteColorBlock(EncodeColors(pixels, transparent), out);
        break;
    }
    case DxtMode::kDxt3:
        EncodeExplicitAlpha(pixels, out);
        WriteColorBlock(EncodeColors(pixels, false), out + 8);
        break;
    case DxtMode::kDxt5:
        EncodeInterpolatedAlpha(pixels, out);
        WriteColorBlock(EncodeColors(pixels, false), out + 8);
        break;
    }
}

void DecodeDxtBlock(DxtMode mode, const uint8_t* block, uint8_t out[64])
{
    switch (mode) {
    case DxtMode::kDxt1:
        DecodeColors(block, false, out);
        break;
    case DxtMode::kDxt3:
        DecodeColors(block + 8, true, out);
        DecodeExplicitAlpha(block, out);
        break;
    case DxtMode::kDxt5:
        DecodeColors(block + 8, true, out);
        DecodeInterpolatedAlpha(block, out);
        break;
    }
}

void CompressDxtLevel(DxtMode mode, const uint8_t* pixels, int32_t width, int32_t height, int32_t bytesPerPixel,
                      uint8_t* out)
{
    size_t blockBytes = DxtBlockBytes(mode);
    for (int32_t blockY = 0; blockY < height; blockY += 4) {
        for (int32_t blockX = 0; blockX < width; blockX += 4) {
            DxtBlockPixels block;
            for (int i = 0; i < kBlockPixels; ++i) {
                int32_t x = std::min(blockX + i % 4, width - 1);
                int32_t y = std::min(blockY + i / 4, height - 1);
                const uint8_t* pixel = pixels + (static_cast<size_t>(y) * width + x) * bytesPerPixel;
                block.color[i] = PackRgb565(pixel[0], pixel[1], pixel[2]);
                block.alpha[i] = bytesPerPixel == 4 ? pixel[3] : 255;
            }
            EncodeDxtBlock(mode, block, out);
            out += blockBytes;
        }
    }
}

void DecompressDxtLevel(DxtMode mode, const uint8_t* blocks, int32_t width, int32_t height, int32_t bytesPerPixel,
                        uint8_t* out)
{
    size_t blockBytes = DxtBlockBytes(mode);
    uint8_t decoded[64];
    for (int32_t blockY = 0; blockY < height; blockY += 4) {
        for (int32_t blockX = 0; blockX < width; blockX += 4) {
            DecodeDxtBlock(mode, blocks, decoded);
            blocks += blockBytes;
            for (int i = 0; i < kBlockPixels; ++i) {
                int32_t x = blockX + i % 4;
                int32_t y = blockY + i / 4;
                if (x >= width || y >= height)
                    continue;
                uint8_t* pixel = out + (static_cast<size_t>(y) * width + x) * bytesPerPixel;
                for (int c = 0; c < bytesPerPixel; ++c)
                    pixel[c] = decoded[4 * i + c];
            }
        }
    }
}
