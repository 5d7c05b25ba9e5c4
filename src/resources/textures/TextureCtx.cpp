// TextureCtx -- a mip chain block-compressed in an S3TC format: written and read as ".ctx", decoded to raw pixels.
#include "resources/textures/TextureCtx.h"

#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "resources/GraphicsDevice.h"
#include "resources/textures/ImageWriter.h"
#include "resources/textures/TextureCacheFile.h"

#include <algorithm>
#include <string>

namespace {

const char* const kTags[3] = {"DXT1", "DXT3", "DXT5"};

bool IsPowerOfTwo(int32_t value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

void CtxAppendWord(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

PixelFormat CompressedFormat(DxtMode mode)
{
    switch (mode) {
    case DxtMode::kDxt1:
        return PixelFormat::kDxt1;
    case DxtMode::kDxt3:
        return PixelFormat::kDxt3;
    case DxtMode::kDxt5:
        break;
    }
    return PixelFormat::kDxt5;
}

PixelFormat CtxRawFormat(int32_t bytesPerPixel)
{
    return bytesPerPixel == 4 ? PixelFormat::kRgba : PixelFormat::kRgb;
}

} // namespace

std::vector<uint8_t> TextureCtx::Encode(const uint8_t* chain, int32_t width, int32_t height, int32_t levelCount,
                                        int32_t bytesPerPixel, DxtMode mode)
{
    std::vector<uint8_t> out;
    // The raw small levels are the end of the chain, so only a whole chain can give them.
    if (!chain || !IsPowerOfTwo(width) || !IsPowerOfTwo(height) || (bytesPerPixel != 3 && bytesPerPixel != 4) ||
        levelCount != TextureCacheFile::FullLevelCount(width, height))
        return out;
    PixelFormat rawFormat = CtxRawFormat(bytesPerPixel);
    size_t rawBytes = TextureChainBytes(rawFormat, width, height, levelCount);
    out.reserve(TextureCacheFile::kCtxHeaderBytes + TextureChainBytes(CompressedFormat(mode), width, height, levelCount));
    CtxAppendWord(out, static_cast<uint32_t>(height));
    CtxAppendWord(out, static_cast<uint32_t>(width));
    CtxAppendWord(out, static_cast<uint32_t>(bytesPerPixel));
    CtxAppendWord(out, static_cast<uint32_t>(levelCount));
    const char* tag = kTags[static_cast<int>(mode)];
    out.insert(out.end(), tag, tag + 4);
    const uint8_t* level = chain;
    for (int32_t k = 0; k < levelCount; ++k) {
        int32_t levelWidth = std::max(width >> k, 1);
        int32_t levelHeight = std::max(height >> k, 1);
        size_t at = out.size();
        out.resize(at + TextureLevelBytes(CompressedFormat(mode), levelWidth, levelHeight));
        CompressDxtLevel(mode, level, levelWidth, levelHeight, bytesPerPixel, out.data() + at);
        level += TextureLevelBytes(rawFormat, levelWidth, levelHeight);
    }
    if (width == height) {
        size_t smallBytes = static_cast<size_t>(TextureCacheFile::SmallLevelPixels(levelCount) * bytesPerPixel);
        out.insert(out.end(), chain + rawBytes - smallBytes, chain + rawBytes);
    }
    return out;
}

bool TextureCtx::Compress(const uint8_t* pixels, int32_t sourceWidth, int32_t sourceHeight, int32_t levels,
                          int32_t sourceBytes, std::string_view outputPath)
{
    DxtMode chosen = sourceBytes == 3 ? DxtMode::kDxt1 : DxtMode::kDxt5;
    std::vector<uint8_t> bytes = Encode(pixels, sourceWidth, sourceHeight, levels, sourceBytes, chosen);
    return !bytes.empty() && WriteImageFile(outputPath, bytes);
}

bool TextureCtx::Load(std::string_view path)
{
    std::string name(path);
    RemoveExtension(name);
    name += ".ctx";
    FileBuffer file = gFileSystem->LoadWholeFile(name);
    return file.IsValid() && Decode(file.Data(), file.Size(), name);
}

bool TextureCtx::Decode(const uint8_t* bytes, size_t byteCount, std::string_view name)
{
    TextureCacheFile cache;
    if (!cache.ParseCtx(bytes, byteCount, name))
        return false;
    height = cache.height;
    width = cache.width;
    bytesPerPixel = cache.bytesPerPixel;
    levelCount = cache.levelCount;
    mode = cache.mode;
    firstLevelBytes = TextureLevelBytes(cache.format, width, height);
    Decompress(cache.chain);
    return true;
}

void TextureCtx::Decompress(const uint8_t* blocks)
{
    PixelFormat compressedFormat = CompressedFormat(mode);
    PixelFormat rawFormat = CtxRawFormat(bytesPerPixel);
    chain.assign(TextureChainBytes(rawFormat, width, height, levelCount), 0);
    uint8_t* out = chain.data();
    for (int32_t k = 0; k < levelCount; ++k) {
        int32_t levelWidth = std::max(width >> k, 1);
        int32_t levelHeight = std::max(height >> k, 1);
        DecompressDxtLevel(mode, blocks, levelWidth, levelHeight, bytesPerPixel, out);
        blocks += TextureLevelBytes(compressedFormat, levelWidth, levelHeight);
        out += TextureLevelBytes(rawFormat, levelWidth, levelHeight);
    }
}
