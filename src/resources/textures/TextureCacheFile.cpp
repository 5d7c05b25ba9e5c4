// TextureCacheFile -- the checked header of a ".rtx" (raw mip chain) or ".ctx" (block-compressed mip chain) file.
#include "resources/textures/TextureCacheFile.h"

#include "core/DebugSystem.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

uint32_t ReadWord(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// The readers take the low 16 bits of a size word as a signed number.
int32_t ReadSize(const uint8_t* bytes)
{
    return static_cast<int16_t>(ReadWord(bytes) & 0xFFFF);
}

void PrintTooShort(std::string_view name)
{
    std::string file(name);
    DebugSystem::Print(kPrintError, "Texture file %s is too short\n", file.c_str());
}

} // namespace

int32_t TextureCacheFile::FullLevelCount(int32_t width, int32_t height)
{
    int32_t levels = 1;
    while (width > 1 || height > 1) {
        width = std::max(width / 2, 1);
        height = std::max(height / 2, 1);
        ++levels;
    }
    return levels;
}

int32_t TextureCacheFile::SmallLevelPixels(int32_t levelCount)
{
    if (levelCount <= 1)
        return 1;
    return levelCount == 2 ? 5 : 21;
}

bool TextureCacheFile::CheckFields(std::string_view name)
{
    std::string file(name);
    if (width < 1 || height < 1) {
        DebugSystem::Print(kPrintError, "Incorrect texture size in file %s\n", file.c_str());
        return false;
    }
    if (bytesPerPixel != 3 && bytesPerPixel != 4) {
        DebugSystem::Print(kPrintError, "Incorrect pixel size in file %s\n", file.c_str());
        return false;
    }
    if (levelCount < 1 || levelCount > FullLevelCount(width, height)) {
        DebugSystem::Print(kPrintError, "Incorrect level count in file %s\n", file.c_str());
        return false;
    }
    return true;
}

bool TextureCacheFile::ParseRtx(const uint8_t* bytes, size_t byteCount, std::string_view name)
{
    *this = TextureCacheFile();
    if (!bytes || byteCount < kRtxHeaderBytes) {
        PrintTooShort(name);
        return false;
    }
    width = ReadSize(bytes);
    height = ReadSize(bytes + 4);
    bytesPerPixel = static_cast<int32_t>(ReadWord(bytes + 8));
    levelCount = static_cast<int32_t>(ReadWord(bytes + 12));
    if (!CheckFields(name))
        return false;
    format = bytesPerPixel == 4 ? PixelFormat::kRgba : PixelFormat::kRgb;
    chainBytes = TextureChainBytes(format, width, height, levelCount);
    if (byteCount - kRtxHeaderBytes < chainBytes) {
        PrintTooShort(name);
        return false;
    }
    chain = bytes + kRtxHeaderBytes;
    return true;
}

bool TextureCacheFile::ParseCtx(const uint8_t* bytes, size_t byteCount, std::string_view name)
{
    *this = TextureCacheFile();
    if (!bytes || byteCount < kCtxHeaderBytes) {
        PrintTooShort(name);
        return false;
    }
    height = ReadSize(bytes);
    width = ReadSize(bytes + 4);
    bytesPerPixel = static_cast<int32_t>(ReadWord(bytes + 8));
    levelCount = static_cast<int32_t>(ReadWord(bytes + 12));
    std::memcpy(tag, bytes + 16, sizeof(tag));
    if (!CheckFields(name))
        return false;
    if (std::memcmp(tag, "DXT1", 4) == 0) {
        format = PixelFormat::kDxt1;
        mode = DxtMode::kDxt1;
    } else if (std::memcmp(tag, "DXT3", 4) == 0) {
        format = PixelFormat::kDxt3;
        mode = DxtMode::kDxt3;
    } else {
        format = PixelFormat::kDxt5;
        mode = DxtMode::kDxt5;
    }
    chainBytes = TextureChainBytes(format, width, height, levelCount);
    size_t smallBytes = width == height ? static_cast<size_t>(SmallLevelPixels(levelCount) * bytesPerPixel) : 0;
    if (byteCount - kCtxHeaderBytes < chainBytes + smallBytes) {
        PrintTooShort(name);
        return false;
    }
    chain = bytes + kCtxHeaderBytes;
    if (smallBytes > 0)
        smallLevels = chain + chainBytes;
    return true;
}
