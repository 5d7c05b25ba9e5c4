// TextureCacheFile -- the checked header of a ".rtx" (raw mip chain) or ".ctx" (block-compressed mip chain) file.
#pragma once

#include "resources/GraphicsDevice.h"
#include "resources/textures/DxtCodec.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Both layouts are little-endian 32-bit words followed by the levels from the largest down.
// ".rtx": width, height, bytes per pixel, level count, then raw levels.
// ".ctx": height, width, bytes per pixel, level count, a four-character tag ("DXT1", "DXT3",
// "DXT5"), then the compressed levels and, for a square texture only, raw copies of the
// 4 x 4, 2 x 2 and 1 x 1 levels (fewer when the chain is shorter) with that many bytes a pixel.
struct TextureCacheFile {
    static constexpr size_t kRtxHeaderBytes = 16;
    static constexpr size_t kCtxHeaderBytes = 20;

    // Headers were once trusted, so a damaged cache read past its buffer: every field is now
    // checked against the bytes that follow. Each parse logs what it refused, with the name.
    bool ParseRtx(const uint8_t* bytes, size_t byteCount, std::string_view name);
    // A tag other than "DXT1" and "DXT3" is read as DXT5.
    bool ParseCtx(const uint8_t* bytes, size_t byteCount, std::string_view name);

    // Levels down to 1 x 1, each side halving with integer division and staying at least 1.
    static int32_t FullLevelCount(int32_t width, int32_t height);
    // 1, 5 or 21: the pixels of the raw small levels a square ".ctx" of that many levels ends with.
    static int32_t SmallLevelPixels(int32_t levelCount);

    int32_t width = 0;
    int32_t height = 0;
    int32_t bytesPerPixel = 0;
    int32_t levelCount = 0;
    // kRgb or kRgba for ".rtx"; a DXT format for ".ctx".
    PixelFormat format = PixelFormat::kRgb;
    DxtMode mode = DxtMode::kDxt1;
    char tag[4] = {};
    const uint8_t* chain = nullptr;
    size_t chainBytes = 0;
    // ".ctx" of a square texture: the raw small levels; null otherwise.
    const uint8_t* smallLevels = nullptr;

private:
    // Width and height (low 16 bits, signed), bytes per pixel and level count.
    bool CheckFields(std::string_view name);
};
