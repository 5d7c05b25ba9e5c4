// TextureRtx -- a source image with its whole mip chain as raw pixels: built from a Targa, read and written as ".rtx".
#include "resources/textures/TextureRtx.h"

#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "resources/GraphicsDevice.h"
#include "resources/textures/ImageWriter.h"
#include "resources/textures/TextureCacheFile.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr int32_t kTapWeights[4] = {1, 2, 2, 1};

void RtxAppendWord(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::string WithExtension(std::string_view path, const char* extension)
{
    std::string result(path);
    RemoveExtension(result);
    result += extension;
    return result;
}

PixelFormat RtxRawFormat(int32_t bytesPerPixel)
{
    return bytesPerPixel == 4 ? PixelFormat::kRgba : PixelFormat::kRgb;
}

} // namespace

bool TextureRtx::LoadTarga(std::string_view path)
{
    FileBuffer file = gFileSystem->LoadWholeFile(path);
    return file.IsValid() && DecodeTarga(file.Data(), file.Size(), path);
}

bool TextureRtx::DecodeTarga(const uint8_t* bytes, size_t byteCount, std::string_view name)
{
    fileBytes.assign(bytes, bytes + byteCount);
    TargaImage image;
    if (!image.Parse(fileBytes.data(), fileBytes.size(), name))
        return false;
    header = image.GetHeader();
    SetSource(image.GetPixels(), image.GetWidth(), image.GetHeight(), image.GetBytesPerPixel());
    return true;
}

void TextureRtx::SetSource(const uint8_t* pixels, int32_t sourceWidth, int32_t sourceHeight, int32_t sourceBytes)
{
    width = sourceWidth;
    height = sourceHeight;
    bytesPerPixel = sourceBytes;
    source.assign(pixels, pixels + TextureLevelBytes(RtxRawFormat(sourceBytes), sourceWidth, sourceHeight));
    chain = nullptr;
    ownedChain.clear();
    chainBytes = 0;
    levelCount = 0;
}

bool TextureRtx::Load(std::string_view path)
{
    std::string name = WithExtension(path, ".rtx");
    FileBuffer file = gFileSystem->LoadWholeFile(name);
    return file.IsValid() && Decode(file.Data(), file.Size(), name);
}

bool TextureRtx::Decode(const uint8_t* bytes, size_t byteCount, std::string_view name)
{
    TextureCacheFile cache;
    if (!cache.ParseRtx(bytes, byteCount, name))
        return false;
    fileBytes.assign(bytes, bytes + byteCount);
    width = cache.width;
    height = cache.height;
    bytesPerPixel = cache.bytesPerPixel;
    levelCount = cache.levelCount;
    chainBytes = cache.chainBytes;
    chain = fileBytes.data() + TextureCacheFile::kRtxHeaderBytes;
    ownedChain.clear();
    source.assign(chain, chain + TextureLevelBytes(RtxRawFormat(bytesPerPixel), width, height));
    return true;
}

void TextureRtx::BuildMipChain()
{
    if (source.empty())
        return;
    levelCount = TextureCacheFile::FullLevelCount(width, height);
    chainBytes = TextureChainBytes(RtxRawFormat(bytesPerPixel), width, height, levelCount);
    ownedChain.assign(chainBytes, 0);
    std::copy(source.begin(), source.end(), ownedChain.begin());
    uint8_t* level = ownedChain.data();
    int32_t levelWidth = width;
    int32_t levelHeight = height;
    for (int32_t k = 1; k < levelCount; ++k) {
        int32_t nextWidth = std::max(levelWidth / 2, 1);
        int32_t nextHeight = std::max(levelHeight / 2, 1);
        uint8_t* next = level + TextureLevelBytes(RtxRawFormat(bytesPerPixel), levelWidth, levelHeight);
        FilterLevel(level, levelWidth, levelHeight, next, nextWidth, nextHeight);
        level = next;
        levelWidth = nextWidth;
        levelHeight = nextHeight;
    }
    chain = ownedChain.data();
}

void TextureRtx::FilterLevel(const uint8_t* from, int32_t fromWidth, int32_t fromHeight, uint8_t* to,
                             int32_t toWidth, int32_t toHeight) const
{
    for (int32_t y = 0; y < toHeight; ++y) {
        for (int32_t x = 0; x < toWidth; ++x) {
            int32_t sums[4] = {0, 0, 0, 0};
            int32_t weights = 0;
            for (int32_t ty = 0; ty < 4; ++ty) {
                for (int32_t tx = 0; tx < 4; ++tx) {
                    int32_t sx = 2 * x - 1 + tx;
                    int32_t sy = 2 * y - 1 + ty;
                    bool outside = sx < 0 || sy < 0 || sx >= fromWidth || sy >= fromHeight;
                    if (outside && edgeMode)
                        continue;
                    // The mask keeps any size inside the level; it wraps exactly for powers of two.
                    sx &= fromWidth - 1;
                    sy &= fromHeight - 1;
                    int32_t weight = kTapWeights[tx] * kTapWeights[ty];
                    const uint8_t* pixel = from + (static_cast<size_t>(sy) * fromWidth + sx) * bytesPerPixel;
                    for (int32_t c = 0; c < bytesPerPixel; ++c)
                        sums[c] += pixel[c] * weight;
                    weights += weight;
                }
            }
            uint8_t* out = to + (static_cast<size_t>(y) * toWidth + x) * bytesPerPixel;
            for (int32_t c = 0; c < bytesPerPixel; ++c)
                out[c] = static_cast<uint8_t>(sums[c] / weights);
        }
    }
}

void TextureRtx::SwapRedBlue()
{
    size_t stride = static_cast<size_t>(bytesPerPixel);
    for (size_t i = 0; stride >= 3 && i + stride <= source.size(); i += stride)
        std::swap(source[i], source[i + 2]);
}

std::vector<uint8_t> TextureRtx::Encode() const
{
    std::vector<uint8_t> out;
    out.reserve(TextureCacheFile::kRtxHeaderBytes + chainBytes);
    RtxAppendWord(out, static_cast<uint32_t>(width));
    RtxAppendWord(out, static_cast<uint32_t>(height));
    RtxAppendWord(out, static_cast<uint32_t>(bytesPerPixel));
    RtxAppendWord(out, static_cast<uint32_t>(levelCount));
    if (chain)
        out.insert(out.end(), chain, chain + chainBytes);
    return out;
}

bool TextureRtx::WriteRtx(std::string_view path) const
{
    return chain && WriteImageFile(path, Encode());
}
