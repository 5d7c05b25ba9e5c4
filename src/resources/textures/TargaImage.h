// TargaImage -- the header and checks of an uncompressed true-colour Targa file, as the texture loaders read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The 18-byte header of a Targa file, field by field; 16-bit fields are little-endian in the file.
struct TargaHeader {
    static constexpr uint32_t kBytes = 18;

    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint8_t imageType = 0;
    uint16_t colorMapFirst = 0;
    uint16_t colorMapLength = 0;
    uint8_t colorMapEntrySize = 0;
    uint16_t xOrigin = 0;
    uint16_t yOrigin = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t pixelDepth = 0;
    uint8_t descriptor = 0;

    // Needs kBytes bytes.
    static TargaHeader Read(const uint8_t* bytes);
    void Write(uint8_t* bytes) const;
};

// A view of a checked file: the pixels point into the caller's bytes.
class TargaImage {
public:
    // The only image type the game reads: uncompressed true colour.
    static constexpr uint8_t kTrueColor = 2;
    // The descriptor bit of an image whose first row in the file is its top one.
    static constexpr uint8_t kTopOrigin = 0x20;

    // Runs every check, printing each failure with the name at error level and going on to
    // the next, so that one bad file reports all its faults: image type 2, no colour map,
    // 24 or 32 bits, a size of at least 1 x 1, and enough bytes for the pixels after the header
    // and the image ID. False when any failed; the view is then left empty. A file whose rows
    // run from the top (descriptor bit 0x20, as many tools write) has them turned over in
    // place and the bit cleared, in the header and the bytes: every reader gets the bottom row
    // first, as the graphics library takes it.
    bool Parse(uint8_t* bytes, size_t byteCount, std::string_view name);

    const TargaHeader& GetHeader() const { return header; }
    // The first pixel, after the header and the image ID; blue, green, red (, alpha) in file order.
    uint8_t* GetPixels() const { return pixels; }
    int32_t GetWidth() const { return static_cast<int16_t>(header.width); }
    int32_t GetHeight() const { return static_cast<int16_t>(header.height); }
    int32_t GetBytesPerPixel() const { return header.pixelDepth / 8; }
    size_t GetPixelBytes() const;
    // Swaps the first and third byte of every pixel, in place.
    void SwapRedBlue();

private:
    void TurnTopOriginRowsOver(uint8_t* bytes);

    TargaHeader header;
    uint8_t* pixels = nullptr;
};
