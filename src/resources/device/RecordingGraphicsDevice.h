// RecordingGraphicsDevice -- a graphics device that keeps a copy of every upload, deletion and batch, for tests.
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

    std::vector<RecordedUpload> GetUploads() const;
    // The last upload under the id; empty when there was none.
    std::optional<RecordedUpload> FindUpload(int32_t textureId) const;
    std::vector<int32_t> GetDeletions() const;
    std::vector<DeviceBatch> GetBatches() const;
    // How often the context was made current and released.
    int32_t GetMakeCurrentCount() const;
    int32_t GetReleaseCurrentCount() const;
    void Clear();

protected:
    void MakeCurrent() override;
    void ReleaseCurrent() override;
    void CreateTexture(int32_t textureId, const TextureUpload& upload) override;
    void DestroyTexture(int32_t textureId) override;

private:
    bool compressedTextures;
    bool anisotropy;
    mutable std::mutex lock;
    std::vector<RecordedUpload> uploads;
    std::vector<int32_t> deletions;
    std::vector<DeviceBatch> batches;
    int32_t makeCurrentCount = 0;
    int32_t releaseCurrentCount = 0;
};
