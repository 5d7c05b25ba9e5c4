// TextureResource -- one graphics-library texture loaded from a Targa image or a texture cache file.
#pragma once

#include "resources/GraphicsDevice.h"
#include "resources/Resource.h"
#include "resources/textures/TargaImage.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class ResourceManager;

class TextureResource : public Resource {
public:
    // The load argument that keeps the decoded Targa pixels in the resource's file bytes.
    static constexpr int32_t kKeepPixels = 8;
    // Side of the placeholder image.
    static constexpr int32_t kPlaceholderSide = 16;

    TextureResource() = default;
    // Deletes the texture id through the graphics device.
    ~TextureResource() override;

    // "tga", "rtx" and "ctx", with the placeholder as fallback and "tga" as the caches' alternative.
    static void RegisterTypes(ResourceManager& manager);

    // The factories and the fallback, as the resource manager calls them (loader thread).
    static Resource* LoadTarga(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    static Resource* LoadRtx(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    static Resource* LoadCtx(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    static Resource* CreatePlaceholder(const std::string& name);

    // A 16 x 16 RGB red cross on white, rows as uploaded.
    static std::array<uint8_t, kPlaceholderSide * kPlaceholderSide * 3> PlaceholderPixels();

    const TargaHeader& GetHeader() const { return header; }
    // The header's sizes read as signed 16-bit numbers.
    int32_t GetWidth() const { return static_cast<int16_t>(header.width); }
    int32_t GetHeight() const { return static_cast<int16_t>(header.height); }
    // 24 or 32.
    int32_t GetPixelDepth() const { return header.pixelDepth; }
    int32_t GetTextureId() const { return textureId; }
    int32_t GetSecondTextureId() const { return secondTextureId; }
    void SetSecondTextureId(int32_t id) { secondTextureId = id; }
    bool IsPlaceholder() const { return placeholder; }
    // The decoded Targa pixels (red first) when the texture was loaded with kKeepPixels, else null.
    const uint8_t* GetKeptPixels() const { return keptPixels; }

    // The RGBA copy of the 4 x 4, 2 x 2 or 1 x 1 mip level (side 4, 2 or 1); null when the
    // loader filled none (Targa files, non-square caches) or for another side.
    const uint8_t* GetSmallLevel(int32_t side) const;

    // The graphics device's frame in which a batch last drew with the texture; -1 before any.
    void MarkUsed(int64_t frame) { lastUsedFrame.store(frame); }
    int64_t GetLastUsedFrame() const { return lastUsedFrame.load(); }

    void PrintInfo() override;

private:
    // Index 0: 4 x 4 (64 bytes), 1: 2 x 2 (16 bytes), 2: 1 x 1 (4 bytes).
    static int32_t SmallLevelSlot(int32_t side);
    void SetSmallLevel(int32_t side, const uint8_t* pixels, int32_t bytesPerPixel);
    void Upload(const uint8_t* pixels, PixelFormat format, int32_t levelCount);

    TargaHeader header;
    int32_t textureId = -1;
    int32_t secondTextureId = -1;
    std::array<std::unique_ptr<uint8_t[]>, 3> smallLevels;
    const uint8_t* keptPixels = nullptr;
    bool placeholder = false;
    std::atomic<int64_t> lastUsedFrame{-1};
};
