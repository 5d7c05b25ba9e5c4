// GraphicsDevice -- the graphics library behind one interface: texture ids and uploads, the context lock, frame state and batches.
#include "resources/GraphicsDevice.h"

#include "core/UserVarSystem.h"

#include <algorithm>

GraphicsDevice* gGraphicsDevice = nullptr;

size_t TextureLevelBytes(PixelFormat format, int32_t width, int32_t height)
{
    size_t w = static_cast<size_t>(std::max(width, 1));
    size_t h = static_cast<size_t>(std::max(height, 1));
    switch (format) {
    case PixelFormat::kRgb:
        return w * h * 3;
    case PixelFormat::kRgba:
        return w * h * 4;
    case PixelFormat::kDxt1:
        return ((w + 3) / 4) * ((h + 3) / 4) * 8;
    case PixelFormat::kDxt3:
    case PixelFormat::kDxt5:
        return ((w + 3) / 4) * ((h + 3) / 4) * 16;
    }
    return 0;
}

size_t TextureChainBytes(PixelFormat format, int32_t width, int32_t height, int32_t levelCount)
{
    size_t total = 0;
    for (int32_t level = 0; level < levelCount && level < 32; ++level)
        total += TextureLevelBytes(format, std::max(width >> level, 1), std::max(height >> level, 1));
    return total;
}

GraphicsDevice::GraphicsDevice(int32_t firstTextureId) : nextTextureId(firstTextureId)
{
    contextLock.SetContextHooks([this] { MakeCurrent(); }, [this] { ReleaseCurrent(); });
}

GraphicsDevice::~GraphicsDevice()
{
    contextLock.SetContextHooks({}, {});
}

void GraphicsDevice::RegisterVars()
{
    gUserVarSystem->RegisterVar("compressedTextures", "1");
    gUserVarSystem->RegisterVar("r_betterLighting", "0");
    filteringQualityVar = gUserVarSystem->RegisterVar("filteringQuality", "1");
    anisotropicVar = gUserVarSystem->RegisterVar("r_anisotropic", "0");
    ApplyVars();
}

void GraphicsDevice::ApplyVars()
{
    if (filteringQualityVar.IsValid())
        filteringQuality.store(filteringQualityVar.GetInt());
    if (anisotropicVar.IsValid())
        anisotropic.store(anisotropicVar.GetInt() != 0);
}

int32_t GraphicsDevice::AllocTextureId()
{
    AcquireContext();
    int32_t id;
    if (!freedTextureIds.empty()) {
        id = freedTextureIds.front();
        freedTextureIds.pop_front();
    } else {
        id = nextTextureId++;
    }
    ++liveTextureIds;
    ReleaseContext();
    return id;
}

void GraphicsDevice::DeleteTexture(int32_t textureId)
{
    if (textureId == -1)
        return;
    AcquireContext();
    DestroyTexture(textureId);
    freedTextureIds.push_back(textureId);
    --liveTextureIds;
    liveTextures.erase(textureId);
    ReleaseContext();
}

int32_t GraphicsDevice::UploadTexture(const uint8_t* pixels, int32_t width, int32_t height, PixelFormat format,
                                      int32_t levelCount)
{
    if (!pixels || width <= 0 || height <= 0 || levelCount <= 0)
        return -1;
    TextureUpload upload;
    upload.pixels = pixels;
    upload.width = width;
    upload.height = height;
    upload.format = format;
    upload.levelCount = levelCount;
    upload.byteCount = TextureChainBytes(format, width, height, levelCount);
    // Chosen inside the context, where a change of the settings is applied to the textures
    // already made: an upload on the loader meanwhile is one of those, or takes the new choice.
    AcquireContext();
    upload.minFilter = ChooseFilter(levelCount);
    upload.anisotropy = ChooseAnisotropy();
    int32_t id = AllocTextureId();
    CreateTexture(id, upload);
    liveTextures[id] = {width, height, levelCount, format};
    ReleaseContext();
    return id;
}

bool GraphicsDevice::UpdateTexture(int32_t textureId, int32_t level, const PixelRect& rect, PixelFormat format,
                                   const uint8_t* pixels)
{
    bool compressed = format != PixelFormat::kRgb && format != PixelFormat::kRgba;
    if (!pixels || compressed || level < 0 || level >= 32 || rect.x < 0 || rect.y < 0 || rect.width <= 0 ||
        rect.height <= 0)
        return false;
    AcquireContext();
    auto found = liveTextures.find(textureId);
    bool fits = found != liveTextures.end() && found->second.format == format && level < found->second.levelCount;
    if (fits) {
        // Widened, so that a huge offset cannot wrap past the level's edge.
        int64_t levelWidth = std::max(found->second.width >> level, 1);
        int64_t levelHeight = std::max(found->second.height >> level, 1);
        fits = int64_t{rect.x} + rect.width <= levelWidth && int64_t{rect.y} + rect.height <= levelHeight;
    }
    if (fits)
        ReplaceTexturePixels(textureId, level, rect, format, pixels);
    ReleaseContext();
    return fits;
}

bool GraphicsDevice::ReadPixels(const PixelRect& rect, std::vector<uint8_t>& rgba)
{
    rgba.clear();
    // 16384 is past any window the library can make; it keeps the byte count far from overflow.
    constexpr int32_t kMaxSide = 16384;
    if (rect.width <= 0 || rect.height <= 0 || rect.width > kMaxSide || rect.height > kMaxSide)
        return false;
    rgba.resize(static_cast<size_t>(rect.width) * static_cast<size_t>(rect.height) * 4);
    AcquireContext();
    bool read = ReadFramePixels(rect, rgba.data());
    ReleaseContext();
    if (!read)
        rgba.clear();
    return read;
}

void GraphicsDevice::SetLiveTexturesAnisotropy(float value)
{
    AcquireContext();
    for (const auto& [id, texture] : liveTextures)
        SetTextureAnisotropy(id, value);
    ReleaseContext();
}

int32_t GraphicsDevice::GetLiveTextureCount()
{
    AcquireContext();
    int32_t count = liveTextureIds;
    ReleaseContext();
    return count;
}

TextureFilter GraphicsDevice::ChooseFilter(int32_t levelCount) const
{
    int32_t quality = filteringQuality.load();
    if (levelCount <= 1 || quality == 0)
        return TextureFilter::kLinear;
    return quality == 1 ? TextureFilter::kLinearMipmapNearest : TextureFilter::kLinearMipmapLinear;
}

float GraphicsDevice::ChooseAnisotropy() const
{
    if (!SupportsAnisotropy() || !anisotropic.load())
        return 0.0f;
    float chosen = uploadAnisotropy.load();
    return chosen > 0.0f ? chosen : GetMaxAnisotropy();
}
