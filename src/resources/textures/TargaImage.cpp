// TargaImage -- the header and checks of an uncompressed true-colour Targa file, as the texture loaders read it.
#include "resources/textures/TargaImage.h"

#include "core/DebugSystem.h"
#include "core/system/PlatformSystem.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace {

// The header's words are little-endian: the platform turns them to and from the host's order;
// without one (a tool, a test) they are put together byte by byte.
uint16_t Read16(const uint8_t* bytes)
{
    if (!gPlatformSystem)
        return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    uint16_t stored;
    std::memcpy(&stored, bytes, 2);
    return gPlatformSystem->FromLittle16(stored);
}

void Write16(uint8_t* bytes, uint16_t value)
{
    if (!gPlatformSystem) {
        bytes[0] = static_cast<uint8_t>(value);
        bytes[1] = static_cast<uint8_t>(value >> 8);
        return;
    }
    uint16_t stored = gPlatformSystem->ToLittle16(value);
    std::memcpy(bytes, &stored, 2);
}

} // namespace

TargaHeader TargaHeader::Read(const uint8_t* bytes)
{
    TargaHeader header;
    header.idLength = bytes[0];
    header.colorMapType = bytes[1];
    header.imageType = bytes[2];
    header.colorMapFirst = Read16(bytes + 3);
    header.colorMapLength = Read16(bytes + 5);
    header.colorMapEntrySize = bytes[7];
    header.xOrigin = Read16(bytes + 8);
    header.yOrigin = Read16(bytes + 10);
    header.width = Read16(bytes + 12);
    header.height = Read16(bytes + 14);
    header.pixelDepth = bytes[16];
    header.descriptor = bytes[17];
    return header;
}

void TargaHeader::Write(uint8_t* bytes) const
{
    bytes[0] = idLength;
    bytes[1] = colorMapType;
    bytes[2] = imageType;
    Write16(bytes + 3, colorMapFirst);
    Write16(bytes + 5, colorMapLength);
    bytes[7] = colorMapEntrySize;
    Write16(bytes + 8, xOrigin);
    Write16(bytes + 10, yOrigin);
    Write16(bytes + 12, width);
    Write16(bytes + 14, height);
    bytes[16] = pixelDepth;
    bytes[17] = descriptor;
}

bool TargaImage::Parse(uint8_t* bytes, size_t byteCount, std::string_view name)
{
    header = TargaHeader();
    pixels = nullptr;
    std::string file(name);
    if (!bytes || byteCount < TargaHeader::kBytes) {
        DebugSystem::Print(kPrintError, "Not enough pixel data in file %s\n", file.c_str());
        return false;
    }
    TargaHeader read = TargaHeader::Read(bytes);
    bool ok = true;
    if (read.imageType != kTrueColor) {
        DebugSystem::Print(kPrintError, "Incorrect image type in file %s\n", file.c_str());
        ok = false;
    }
    if (read.colorMapType != 0) {
        DebugSystem::Print(kPrintError, "Incorrect color map type in file %s\n", file.c_str());
        ok = false;
    }
    if (read.pixelDepth != 24 && read.pixelDepth != 32) {
        DebugSystem::Print(kPrintError, "Incorrect pixel size in file %s\n", file.c_str());
        ok = false;
    }
    // The sizes are used as signed numbers: a negative one would make the length check pass.
    int32_t width = static_cast<int16_t>(read.width);
    int32_t height = static_cast<int16_t>(read.height);
    if (width < 1 || height < 1) {
        DebugSystem::Print(kPrintError, "Incorrect image size in file %s\n", file.c_str());
        ok = false;
    }
    // The image ID sits between the header and the pixels; reading from byte 18 regardless
    // would shift every pixel of a file that carries one.
    size_t bytesPerPixel = read.pixelDepth == 32 ? 4 : 3;
    size_t needed = TargaHeader::kBytes + read.idLength +
                    bytesPerPixel * static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0));
    if (byteCount < needed) {
        DebugSystem::Print(kPrintError, "Not enough pixel data in file %s\n", file.c_str());
        ok = false;
    }
    if (!ok)
        return false;
    header = read;
    pixels = bytes + TargaHeader::kBytes + read.idLength;
    if (header.descriptor & kTopOrigin)
        TurnTopOriginRowsOver(bytes);
    return true;
}

void TargaImage::TurnTopOriginRowsOver(uint8_t* bytes)
{
    size_t rowBytes = static_cast<size_t>(GetBytesPerPixel()) * static_cast<size_t>(GetWidth());
    int32_t height = GetHeight();
    for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels + rowBytes * top, pixels + rowBytes * (top + 1), pixels + rowBytes * bottom);
    header.descriptor &= static_cast<uint8_t>(~kTopOrigin);
    bytes[17] = header.descriptor;
}

size_t TargaImage::GetPixelBytes() const
{
    if (!pixels)
        return 0;
    return static_cast<size_t>(GetBytesPerPixel()) * static_cast<size_t>(GetWidth()) *
           static_cast<size_t>(GetHeight());
}

void TargaImage::SwapRedBlue()
{
    size_t stride = static_cast<size_t>(GetBytesPerPixel());
    size_t total = GetPixelBytes();
    for (size_t i = 0; i + stride <= total; i += stride)
        std::swap(pixels[i], pixels[i + 2]);
}
