// RecordingGraphicsDevice -- a graphics device that keeps a copy of every upload, deletion and batch, for tests.
#include "resources/device/RecordingGraphicsDevice.h"

void RecordingGraphicsDevice::DrawBatch(const DeviceBatch& batch)
{
    std::lock_guard<std::mutex> guard(lock);
    batches.push_back(batch);
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
