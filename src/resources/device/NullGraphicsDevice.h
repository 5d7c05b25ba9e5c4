// NullGraphicsDevice -- a graphics device that draws nothing: the program runs headless on it.
#pragma once

#include "resources/GraphicsDevice.h"

class NullGraphicsDevice : public GraphicsDevice {
public:
    explicit NullGraphicsDevice(bool compressedTextures = true) : compressedTextures(compressedTextures) {}

    bool SupportsCompressedTextures() const override { return compressedTextures; }
    void DrawBatch(const DeviceBatch&) override {}
    void SetProjectionMatrix(const Matrix4&) override {}
    void SetModelViewMatrix(const Matrix4&) override {}
    void SetViewport(const PixelRect&) override {}
    void Clear(uint32_t, const Color&, float) override {}
    void Present() override {}

protected:
    void CreateTexture(int32_t, const TextureUpload&) override {}
    void DestroyTexture(int32_t) override {}
    void ReplaceTexturePixels(int32_t, int32_t, const PixelRect&, PixelFormat, const uint8_t*) override {}
    // There is no frame to read.
    bool ReadFramePixels(const PixelRect&, uint8_t*) override { return false; }

private:
    bool compressedTextures;
};
