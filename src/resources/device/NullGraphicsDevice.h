// NullGraphicsDevice -- a graphics device that draws nothing: the program runs headless on it.
#pragma once

#include "resources/GraphicsDevice.h"

class NullGraphicsDevice : public GraphicsDevice {
public:
    explicit NullGraphicsDevice(bool compressedTextures = true) : compressedTextures(compressedTextures) {}

    bool SupportsCompressedTextures() const override { return compressedTextures; }
    void DrawBatch(const DeviceBatch&) override {}

protected:
    void CreateTexture(int32_t, const TextureUpload&) override {}
    void DestroyTexture(int32_t) override {}

private:
    bool compressedTextures;
};
