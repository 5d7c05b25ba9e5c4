// GraphicsDevice -- the graphics library behind one small interface: texture ids, uploads, the context lock and batches.
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

GraphicsDevice::GraphicsDevice()
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
    upload.minFilter = ChooseFilter(levelCount);
    upload.anisotropy = ChooseAnisotropy();
    AcquireContext();
    int32_t id = AllocTextureId();
    CreateTexture(id, upload);
    ReleaseContext();
    return id;
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
    return SupportsAnisotropy() && anisotropic.load() ? GetMaxAnisotropy() : 0.0f;
}
