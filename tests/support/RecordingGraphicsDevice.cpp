// RecordingGraphicsDevice -- a graphics device that keeps a copy of every upload, deletion, batch and frame-state call, for tests.
#include "support/RecordingGraphicsDevice.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t RecordingDeviceByte(float value)
{
    return static_cast<uint8_t>(std::clamp(std::round(value * 255.0f), 0.0f, 255.0f));
}

} // namespace

void RecordingGraphicsDevice::DrawBatch(const DeviceBatch& batch)
{
    std::lock_guard<std::mutex> guard(lock);
    batches.push_back(batch);
}

void RecordingGraphicsDevice::SetProjectionMatrix(const Matrix4& projection)
{
    std::lock_guard<std::mutex> guard(lock);
    frameState.projections.push_back(projection);
}

void RecordingGraphicsDevice::SetModelViewMatrix(const Matrix4& modelView)
{
    std::lock_guard<std::mutex> guard(lock);
    frameState.modelViews.push_back(modelView);
}

void RecordingGraphicsDevice::SetViewport(const PixelRect& viewport)
{
    std::lock_guard<std::mutex> guard(lock);
    frameState.viewports.push_back(viewport);
}

void RecordingGraphicsDevice::Clear(uint32_t buffers, const Color& color, float alpha)
{
    std::lock_guard<std::mutex> guard(lock);
    frameState.clears.push_back({buffers, color, alpha});
    if (buffers & kClearColorBuffer) {
        frameColor[0] = RecordingDeviceByte(color.r);
        frameColor[1] = RecordingDeviceByte(color.g);
        frameColor[2] = RecordingDeviceByte(color.b);
        frameColor[3] = RecordingDeviceByte(alpha);
    }
}

void RecordingGraphicsDevice::Present()
{
    std::lock_guard<std::mutex> guard(lock);
    ++frameState.presentCount;
}

std::vector<RecordedUpdate> RecordingGraphicsDevice::GetUpdates() const
{
    std::lock_guard<std::mutex> guard(lock);
    return updates;
}

RecordedFrameState RecordingGraphicsDevice::GetFrameState() const
{
    std::lock_guard<std::mutex> guard(lock);
    return frameState;
}

std::vector<RecordedUpload> RecordingGraphicsDevice::GetUploads() const
{
    std::lock_guard<std::mutex> guard(lock);
    return uploads;
}

std::optional<RecordedUpload> RecordingGraphicsDevice::FindUpload(int32_t textureId) const
{
    std::lock_guard<std::mutex> guard(lock);
    for (auto it = uploads.rbegin(); it != uploads.rend(); ++it) {
        if (it->textureId == textureId)
            return *it;
    }
    return std::nullopt;
}

std::vector<int32_t> RecordingGraphicsDevice::GetDeletions() const
{
    std::lock_guard<std::mutex> guard(lock);
    return deletions;
}

std::vector<DeviceBatch> RecordingGraphicsDevice::GetBatches() const
{
    std::lock_guard<std::mutex> guard(lock);
    return batches;
}

int32_t RecordingGraphicsDevice::GetMakeCurrentCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return makeCurrentCount;
}

int32_t RecordingGraphicsDevice::GetReleaseCurrentCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return releaseCurrentCount;
}

void RecordingGraphicsDevice::Clear()
{
    std::lock_guard<std::mutex> guard(lock);
    uploads.clear();
    deletions.clear();
    batches.clear();
    updates.clear();
    frameState = RecordedFrameState();
    makeCurrentCount = 0;
    releaseCurrentCount = 0;
}

void RecordingGraphicsDevice::MakeCurrent()
{
    std::lock_guard<std::mutex> guard(lock);
    ++makeCurrentCount;
}

void RecordingGraphicsDevice::ReleaseCurrent()
{
    std::lock_guard<std::mutex> guard(lock);
    ++releaseCurrentCount;
}

void RecordingGraphicsDevice::CreateTexture(int32_t textureId, const TextureUpload& upload)
{
    RecordedUpload record;
    record.textureId = textureId;
    record.width = upload.width;
    record.height = upload.height;
    record.format = upload.format;
    record.levelCount = upload.levelCount;
    record.minFilter = upload.minFilter;
    record.anisotropy = upload.anisotropy;
    record.pixels.assign(upload.pixels, upload.pixels + upload.byteCount);
    record.contextHeld = GetContextLock().IsHeldByCurrentThread();
    std::lock_guard<std::mutex> guard(lock);
    uploads.push_back(std::move(record));
}

void RecordingGraphicsDevice::DestroyTexture(int32_t textureId)
{
    std::lock_guard<std::mutex> guard(lock);
    deletions.push_back(textureId);
}

void RecordingGraphicsDevice::ReplaceTexturePixels(int32_t textureId, int32_t level, const PixelRect& rect,
                                                   PixelFormat format, const uint8_t* pixels)
{
    RecordedUpdate record{textureId, level, rect, format, {}};
    record.pixels.assign(pixels, pixels + TextureLevelBytes(format, rect.width, rect.height));
    std::lock_guard<std::mutex> guard(lock);
    updates.push_back(std::move(record));
}

bool RecordingGraphicsDevice::ReadFramePixels(const PixelRect& rect, uint8_t* rgba)
{
    std::lock_guard<std::mutex> guard(lock);
    size_t count = static_cast<size_t>(rect.width) * static_cast<size_t>(rect.height);
    for (size_t i = 0; i < count; ++i)
        std::copy(frameColor, frameColor + 4, rgba + i * 4);
    return true;
}
