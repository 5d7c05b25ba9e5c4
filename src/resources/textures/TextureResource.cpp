// TextureResource -- one graphics-library texture loaded from a Targa image or a texture cache file.
#include "resources/textures/TextureResource.h"

#include "core/DebugSystem.h"
#include "resources/ResourceManager.h"
#include "resources/textures/TextureCacheFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kSmallSides[3] = {4, 2, 1};

} // namespace

TextureResource::~TextureResource()
{
    if (textureId != -1 && gGraphicsDevice)
        gGraphicsDevice->DeleteTexture(textureId);
}

void TextureResource::RegisterTypes(ResourceManager& manager)
{
    manager.RegisterType("tga", kMemGraphics, true, "", true, LoadTarga, CreatePlaceholder);
    manager.RegisterType("rtx", kMemGraphics, true, "tga", true, LoadRtx, CreatePlaceholder);
    manager.RegisterType("ctx", kMemGraphics, true, "tga", true, LoadCtx, CreatePlaceholder);
}

Resource* TextureResource::LoadTarga(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument)
{
    TargaImage image;
    if (!image.Parse(bytes, byteCount, name))
        return CreatePlaceholder(name);
    auto* texture = new TextureResource();
    texture->header = image.GetHeader();
    image.SwapRedBlue();
    if (loadArgument == kKeepPixels) {
        texture->KeepBytes(bytes, byteCount);
        texture->keptPixels = image.GetPixels();
    }
    texture->Upload(image.GetPixels(), image.GetBytesPerPixel() == 4 ? PixelFormat::kRgba : PixelFormat::kRgb, 1);
    return texture;
}

Resource* TextureResource::LoadRtx(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    TextureCacheFile cache;
    if (!cache.ParseRtx(bytes, byteCount, name))
        return CreatePlaceholder(name);
    auto* texture = new TextureResource();
    texture->header.width = static_cast<uint16_t>(cache.width);
    texture->header.height = static_cast<uint16_t>(cache.height);
    texture->header.pixelDepth = cache.bytesPerPixel == 4 ? 32 : 24;
    if (cache.width == cache.height) {
        const uint8_t* level = cache.chain;
        for (int32_t k = 0; k < cache.levelCount; ++k) {
            int32_t side = std::max(cache.width >> k, 1);
            if (k > 0)
                texture->SetSmallLevel(side, level, cache.bytesPerPixel);
            level += TextureLevelBytes(cache.format, side, side);
        }
    }
    texture->Upload(cache.chain, cache.format, cache.levelCount);
    return texture;
}

Resource* TextureResource::LoadCtx(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    TextureCacheFile cache;
    if (!cache.ParseCtx(bytes, byteCount, name))
        return CreatePlaceholder(name);
    auto* texture = new TextureResource();
    texture->header.width = static_cast<uint16_t>(cache.width);
    texture->header.height = static_cast<uint16_t>(cache.height);
    texture->header.pixelDepth = 32;
    texture->Upload(cache.chain, cache.format, cache.levelCount);
    if (cache.smallLevels) {
        const uint8_t* level = cache.smallLevels;
        int32_t first = cache.levelCount >= 3 ? 0 : 3 - cache.levelCount;
        for (int32_t slot = first; slot < 3; ++slot) {
            int32_t side = kSmallSides[slot];
            texture->SetSmallLevel(side, level, cache.bytesPerPixel);
            level += static_cast<size_t>(side * side * cache.bytesPerPixel);
        }
    }
    return texture;
}

std::array<uint8_t, TextureResource::kPlaceholderSide * TextureResource::kPlaceholderSide * 3>
TextureResource::PlaceholderPixels()
{
    std::array<uint8_t, kPlaceholderSide * kPlaceholderSide * 3> pixels;
    for (int32_t y = 0; y < kPlaceholderSide; ++y) {
        for (int32_t x = 0; x < kPlaceholderSide; ++x) {
            bool cross = x == y || x == kPlaceholderSide - y;
            uint8_t* pixel = &pixels[static_cast<size_t>(y * kPlaceholderSide + x) * 3];
            pixel[0] = 255;
            pixel[1] = cross ? 0 : 255;
            pixel[2] = cross ? 0 : 255;
        }
    }
    return pixels;
}

Resource* TextureResource::CreatePlaceholder(const std::string&)
{
    auto* texture = new TextureResource();
    texture->placeholder = true;
    texture->header.imageType = TargaImage::kTrueColor;
    texture->header.width = kPlaceholderSide;
    texture->header.height = kPlaceholderSide;
    texture->header.pixelDepth = 24;
    auto pixels = PlaceholderPixels();
    texture->Upload(pixels.data(), PixelFormat::kRgb, 1);
    return texture;
}

const uint8_t* TextureResource::GetSmallLevel(int32_t side) const
{
    int32_t slot = SmallLevelSlot(side);
    return slot < 0 ? nullptr : smallLevels[static_cast<size_t>(slot)].get();
}

void TextureResource::PrintInfo()
{
    DebugSystem::Print(kPrintPlain, "Texture %d x %d, %d bits, texture id %d%s\n", GetWidth(), GetHeight(),
                       GetPixelDepth(), textureId, placeholder ? " (placeholder)" : "");
}

int32_t TextureResource::SmallLevelSlot(int32_t side)
{
    for (int32_t slot = 0; slot < 3; ++slot) {
        if (kSmallSides[slot] == side)
            return slot;
    }
    return -1;
}

void TextureResource::SetSmallLevel(int32_t side, const uint8_t* pixels, int32_t bytesPerPixel)
{
    int32_t slot = SmallLevelSlot(side);
    if (slot < 0)
        return;
    auto copy = std::make_unique<uint8_t[]>(static_cast<size_t>(side * side * 4));
    for (int32_t i = 0; i < side * side; ++i) {
        const uint8_t* from = pixels + static_cast<size_t>(i * bytesPerPixel);
        uint8_t* to = copy.get() + static_cast<size_t>(i * 4);
        std::memcpy(to, from, 3);
        to[3] = bytesPerPixel == 4 ? from[3] : 255;
    }
    smallLevels[static_cast<size_t>(slot)] = std::move(copy);
}

void TextureResource::Upload(const uint8_t* pixels, PixelFormat format, int32_t levelCount)
{
    if (gGraphicsDevice)
        textureId = gGraphicsDevice->UploadTexture(pixels, GetWidth(), GetHeight(), format, levelCount);
}
