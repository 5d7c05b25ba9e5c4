// TextureRtx -- a source image with its whole mip chain as raw pixels: built from a Targa, read and written as ".rtx".
#pragma once

#include "resources/textures/TargaImage.h"
#include "resources/textures/TextureBase.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class TextureRtx : public TextureBase {
public:
    // Reads an uncompressed 24- or 32-bit Targa through the file system; the pixels stay in
    // file order (blue first) until SwapRedBlue. False, with the Targa checks' messages, when
    // the file is missing or not one the game reads.
    bool LoadTarga(std::string_view path);
    // The same from bytes already read, named in messages as name.
    bool DecodeTarga(const uint8_t* bytes, size_t byteCount, std::string_view name);
    // Takes a copy of width x height pixels of bytesPerPixel (3 or 4) as the source.
    void SetSource(const uint8_t* pixels, int32_t width, int32_t height, int32_t bytesPerPixel);
    // Reads the ".rtx" of the path (its extension replaced); the chain is the file's.
    bool Load(std::string_view path);
    // The same from bytes already in memory (copied); the name is for the messages.
    bool Decode(const uint8_t* bytes, size_t byteCount, std::string_view name);

    // Every level down to 1 x 1 from the source, each pixel of level k + 1 the weighted mean
    // of 4 x 4 pixels of level k (weights 1, 2, 2, 1 on each axis, the division truncating).
    void BuildMipChain();
    // Swaps the first and third byte of every source pixel (Targa order to RGB and back).
    void SwapRedBlue();
    // Set: samples outside the level are left out of the filter. Clear (the default): they
    // wrap around, which suits images that tile.
    void SetEdgeMode(bool skipOutside) { edgeMode = skipOutside; }

    // The ".rtx" bytes: the header words and the chain.
    std::vector<uint8_t> Encode() const;
    // Writes Encode through the file system (the user folder); false when it cannot.
    bool WriteRtx(std::string_view path) const;

    const TargaHeader& GetHeader() const { return header; }
    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetBytesPerPixel() const { return bytesPerPixel; }
    int32_t GetLevelCount() const { return levelCount; }
    // The first level of the chain; null before one is built or read.
    const uint8_t* GetChain() const { return chain; }
    size_t GetChainBytes() const { return chainBytes; }
    const uint8_t* GetSource() const { return source.empty() ? nullptr : source.data(); }

private:
    void FilterLevel(const uint8_t* from, int32_t fromWidth, int32_t fromHeight, uint8_t* to, int32_t toWidth,
                     int32_t toHeight) const;

    std::vector<uint8_t> fileBytes;
    TargaHeader header;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> source;
    // Points into ownedChain when the chain was built, into fileBytes when it was read.
    const uint8_t* chain = nullptr;
    std::vector<uint8_t> ownedChain;
    size_t chainBytes = 0;
    int32_t bytesPerPixel = 0;
    int32_t levelCount = 0;
    bool edgeMode = false;
};
