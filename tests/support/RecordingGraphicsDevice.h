// RecordingGraphicsDevice -- a graphics device that keeps a copy of every upload, deletion, batch and frame-state call, for tests.
#pragma once

#include "resources/GraphicsDevice.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

// What one upload handed the library; the pixels are copied.
struct RecordedUpload {
    int32_t textureId = -1;
    int32_t width = 0;
    int32_t height = 0;
    PixelFormat format = PixelFormat::kRgb;
    int32_t levelCount = 0;
    TextureFilter minFilter = TextureFilter::kLinear;
    float anisotropy = 0.0f;
    std::vector<uint8_t> pixels;
    // Whether the uploading thread held the context.
    bool contextHeld = false;
};

// A rectangle replaced by UpdateTexture; the pixels are copied.
struct RecordedUpdate {
    int32_t textureId = -1;
    int32_t level = 0;
    PixelRect rect;
    PixelFormat format = PixelFormat::kRgb;
    std::vector<uint8_t> pixels;
};

struct RecordedClear {
    uint32_t buffers = 0;
    Color color;
    float alpha = 0.0f;
};

// The frame-state calls, each list in call order.
struct RecordedFrameState {
    std::vector<Matrix4> projections;
    std::vector<Matrix4> modelViews;
    std::vector<PixelRect> viewports;
    std::vector<RecordedClear> clears;
    int32_t presentCount = 0;
};

// Uploads come from the loader thread, so every record is taken under a lock; the getters
// return copies.
class RecordingGraphicsDevice : public GraphicsDevice {
public:
    explicit RecordingGraphicsDevice(bool compressedTextures = true, bool anisotropy = false)
        : compressedTextures(compressedTextures), anisotropy(anisotropy)
    {
    }

    bool SupportsCompressedTextures() const override { return compressedTextures; }
    bool SupportsAnisotropy() const override { return anisotropy; }
    float GetMaxAnisotropy() const override { return 8.0f; }
    void DrawBatch(const DeviceBatch& batch) override;
    void SetProjectionMatrix(const Matrix4& projection) override;
    void SetModelViewMatrix(const Matrix4& modelView) override;
    void SetViewport(const PixelRect& viewport) override;
    // A colour clear fills the recorded frame that ReadPixels reads with the colour.
    void Clear(uint32_t buffers, const Color& color, float alpha) override;
    void Present() override;

    std::vector<RecordedUpload> GetUploads() const;
    // The last upload under the id; empty when there was none.
    std::optional<RecordedUpload> FindUpload(int32_t textureId) const;
    std::vector<int32_t> GetDeletions() const;
    std::vector<DeviceBatch> GetBatches() const;
    std::vector<RecordedUpdate> GetUpdates() const;
    RecordedFrameState GetFrameState() const;
    // How often the context was made current and released.
    int32_t GetMakeCurrentCount() const;
    int32_t GetReleaseCurrentCount() const;
    void Clear();

protected:
    void MakeCurrent() override;
    void ReleaseCurrent() override;
    void CreateTexture(int32_t textureId, const TextureUpload& upload) override;
    void DestroyTexture(int32_t textureId) override;
    void ReplaceTexturePixels(int32_t textureId, int32_t level, const PixelRect& rect, PixelFormat format,
                              const uint8_t* pixels) override;
    bool ReadFramePixels(const PixelRect& rect, uint8_t* rgba) override;

private:
    bool compressedTextures;
    bool anisotropy;
    mutable std::mutex lock;
    std::vector<RecordedUpload> uploads;
    std::vector<int32_t> deletions;
    std::vector<DeviceBatch> batches;
    std::vector<RecordedUpdate> updates;
    RecordedFrameState frameState;
    // The colour of the last colour clear, as bytes; nothing has been drawn before one.
    uint8_t frameColor[4] = {0, 0, 0, 0};
    int32_t makeCurrentCount = 0;
    int32_t releaseCurrentCount = 0;
};
