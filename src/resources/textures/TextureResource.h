// TextureResource -- one graphics-library texture loaded from a Targa image or a texture cache file.
#pragma once

#include "resources/GraphicsDevice.h"
#include "resources/Resource.h"

#include <array>
#include <cstdint>
#include <string>

class ResourceManager;

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

    // The RGBA copy of the 4 x 4, 2 x 2 or 1 x 1 mip level (side 4, 2 or 1); null when the
    // loader filled none (Targa files, non-square caches) or for another side.
    const uint8_t* GetSmallLevel(int32_t side) const;

    void PrintInfo() override;

private:
    // Index 0: 4 x 4 (64 bytes), 1: 2 x 2 (16 bytes), 2: 1 x 1 (4 bytes).
    static int32_t SmallLevelSlot(int32_t side);
    void SetSmallLevel(int32_t side, const uint8_t* pixels, int32_t bytesPerPixel);
    void Upload(const uint8_t* pixels, PixelFormat format, int32_t levelCount);

    TargaHeader header;
    int32_t textureId = -1;
    int32_t secondTextureId = -1;
    std::array<uint8_t*, 3> smallLevels = {nullptr, nullptr, nullptr};
    bool placeholder = false;
};
