// TextureCtx -- a mip chain block-compressed in an S3TC format: written and read as ".ctx", decoded to raw pixels.
#pragma once

#include "resources/textures/DxtCodec.h"
#include "resources/textures/TextureBase.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class TextureCtx : public TextureBase {
public:
    // The ".ctx" bytes of a whole raw mip chain (levels down to 1 x 1, bytesPerPixel 3 or 4),
    // compressed in the mode; empty when the sizes are not powers of two or the chain is not whole.
    static std::vector<uint8_t> Encode(const uint8_t* chain, int32_t width, int32_t height, int32_t levelCount,
                                       int32_t bytesPerPixel, DxtMode mode);
    // DXT1 for three bytes a pixel, DXT5 for four; writes through the file system (the user
    // folder). False, and nothing written, when Encode refuses or the file cannot be opened.
    bool Compress(const uint8_t* chain, int32_t width, int32_t height, int32_t levelCount, int32_t bytesPerPixel,
                  std::string_view outputPath);

    // Reads the ".ctx" of the path (its extension replaced) and decodes every level.
    bool Load(std::string_view path);
    // The same from bytes already in memory; the name is for the messages.
    bool Decode(const uint8_t* bytes, size_t byteCount, std::string_view name);

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetBytesPerPixel() const { return bytesPerPixel; }
    int32_t GetLevelCount() const { return levelCount; }
    DxtMode GetMode() const { return mode; }
    // The bytes of the first compressed level.
    size_t GetFirstLevelBytes() const { return firstLevelBytes; }
    // The decoded chain, levels one after the other with the header's bytes per pixel.
    const std::vector<uint8_t>& GetChain() const { return chain; }

private:
    // Every level of the compressed chain that starts at blocks, decoded into one raw chain with
    // the header's bytes per pixel; the header fields must already be set.
    void Decompress(const uint8_t* blocks);

    int32_t height = 0;
    int32_t width = 0;
    int32_t bytesPerPixel = 0;
    int32_t levelCount = 0;
    std::vector<uint8_t> chain;
    size_t firstLevelBytes = 0;
    DxtMode mode = DxtMode::kDxt1;
};
