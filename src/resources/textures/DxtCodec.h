// DxtCodec -- S3TC block compression (DXT1, DXT3, DXT5) of 4 x 4 pixel blocks, and its decoder.
#pragma once

#include <cstddef>
#include <cstdint>

// Numbered as the compressed cache file records its compression mode.
enum class DxtMode : int32_t { kDxt1 = 0, kDxt3 = 1, kDxt5 = 2 };

// One block's input, 16 pixels in row order: 5:6:5 colours and 8-bit alpha.
struct DxtBlockPixels {
    uint16_t color[16] = {};
    uint8_t alpha[16] = {};
};

// 8 bytes a block for DXT1, 16 for DXT3 and DXT5.
size_t DxtBlockBytes(DxtMode mode);

// Red & 0xF8 into bits 11-15, green & 0xFC into bits 5-10, blue >> 3 into bits 0-4.
uint16_t PackRgb565(uint8_t red, uint8_t green, uint8_t blue);
// Back to the 8-bit scale by shifting alone, so a colour that 5:6:5 holds exactly comes back unchanged.
void UnpackRgb565(uint16_t color, int32_t rgb[3]);

// DXT1 uses three colours and a transparent index when any pixel has alpha below 128.
void EncodeDxtBlock(DxtMode mode, const DxtBlockPixels& pixels, uint8_t* out);
// 16 RGBA pixels in row order. DXT3 and DXT5 colour blocks always use four colours.
void DecodeDxtBlock(DxtMode mode, const uint8_t* block, uint8_t out[64]);

// A whole level of width x height pixels of bytesPerPixel (3 or 4) bytes, rows in storage
// order, as blocks in row order. Edge blocks repeat the last column and row of the level, so
// that the padding does not pull the endpoints away from the pixels that exist.
void CompressDxtLevel(DxtMode mode, const uint8_t* pixels, int32_t width, int32_t height, int32_t bytesPerPixel,
                      uint8_t* out);
void DecompressDxtLevel(DxtMode mode, const uint8_t* blocks, int32_t width, int32_t height, int32_t bytesPerPixel,
                        uint8_t* out);
