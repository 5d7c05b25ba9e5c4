// TextureWorld -- a recording graphics device over a temporary game folder, with Targa and cache file builders.
#pragma once

#include "support/ByteText.h"

#include "resources/AssetFolderWorld.h"
#include "support/RecordingGraphicsDevice.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// The bytes of an uncompressed Targa: header, image ID, pixels as given (file order).
inline std::vector<uint8_t> MakeTarga(int width, int height, int bits, const std::vector<uint8_t>& pixels,
                                      const std::string& imageId = "", uint8_t imageType = 2, uint8_t colorMap = 0)
{
    std::vector<uint8_t> bytes(18, 0);
    bytes.reserve(18 + imageId.size() + pixels.size());
    bytes[0] = static_cast<uint8_t>(imageId.size());
    bytes[1] = colorMap;
    bytes[2] = imageType;
    bytes[12] = static_cast<uint8_t>(width);
    bytes[13] = static_cast<uint8_t>(width >> 8);
    bytes[14] = static_cast<uint8_t>(height);
    bytes[15] = static_cast<uint8_t>(height >> 8);
    bytes[16] = static_cast<uint8_t>(bits);
    bytes.insert(bytes.end(), imageId.begin(), imageId.end());
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

// A picture whose every byte differs from its neighbours, so that misplaced bytes show.
inline std::vector<uint8_t> PatternPixels(int width, int height, int bytesPerPixel, int seed = 0)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * bytesPerPixel);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 7 + seed * 31 + (i / 3) * 13);
    return pixels;
}

class TextureWorld : public AssetFolderWorld {
protected:
    TextureWorld()
    {
        device = std::make_unique<RecordingGraphicsDevice>();
        gGraphicsDevice = device.get();
        device->RegisterVars();
    }

    ~TextureWorld() override
    {
        gGraphicsDevice = nullptr;
        device.reset();
    }

    void WriteAsset(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        AssetFolderWorld::WriteAsset(path, AsText(bytes));
    }

    bool UserFileExists(const std::string& path) const
    {
        return std::filesystem::exists(folder.Path() / "User" / path);
    }

    std::vector<uint8_t> ReadUser(const std::string& path) const
    {
        std::string text = folder.Read("User/" + path);
        return std::vector<uint8_t>(text.begin(), text.end());
    }

    size_t LogSize() const { return debug.GetConsoleLines().size(); }

    std::unique_ptr<RecordingGraphicsDevice> device;
};
