// GraphicsDevice -- the graphics library behind one interface: texture ids and uploads, the context lock, frame state and batches.
#pragma once

#include "core/BaseClass.h"
#include "core/Color.h"
#include "core/Matrix.h"
#include "core/UserVarRef.h"
#include "resources/GraphicsContextLock.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

class Shader;
struct ShaderStage;

// How the bytes of an upload are laid out. The DXT formats are the S3TC block formats.
enum class PixelFormat : int32_t { kRgb = 0, kRgba = 1, kDxt1 = 2, kDxt3 = 3, kDxt5 = 4 };

// The minification filter an upload asks for; magnification is always linear.
enum class TextureFilter : int32_t { kLinear = 0, kLinearMipmapNearest = 1, kLinearMipmapLinear = 2 };

// One texture as the library receives it. The levels lie one after the other from the largest;
// level k is max(width >> k, 1) x max(height >> k, 1) pixels (TextureLevelBytes gives its size).
struct TextureUpload {
    const uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    PixelFormat format = PixelFormat::kRgb;
    int32_t levelCount = 1;
    // The sum of the level sizes: what the device may read from pixels.
    size_t byteCount = 0;
    TextureFilter minFilter = TextureFilter::kLinear;
    // 0 leaves the library's default; otherwise the maximum anisotropy to set.
    float anisotropy = 0.0f;
};

struct DeviceVertex {
    float position[3] = {0.0f, 0.0f, 0.0f};
    float texCoord[2] = {0.0f, 0.0f};
    // Red, green, blue, alpha; used only when the batch has colours.
    uint8_t color[4] = {255, 255, 255, 255};
};

// One stage of the batch's shader as it is drawn at this flush.
struct DeviceStage {
    // The stage's blending, clamping, colour and alpha settings; owned by the shader.
    const ShaderStage* stage = nullptr;
    // The texture id the stage draws with now (its animation frame at the batch's time); -1 for none.
    int32_t textureId = -1;
    // Red, green, blue, alpha per vertex when the stage has colours of its own (the stages of a
    // blended tile fade in by their own alpha), else empty and the vertices' colours serve.
    std::vector<uint8_t> colors;
};

// What a surface asks of the writes while its batch is drawn.
constexpr int32_t kWriteMaskNoColor = 1;
constexpr int32_t kWriteMaskNoDepth = 2;
// A picture laid flat on the screen: drawn whichever way its shader culls (a ground tile's
// shader, shown in a list, faces away from the screen's projection).
constexpr int32_t kWriteMaskTwoSided = 4;

// How a batch's colour generators light it.
struct BatchLighting {
    // Colour generators that light (Vertex, Origin, Sphere and their kin) give white.
    bool unlit = false;
    // Where the geometry stands in the world, and how its vertices are turned (row vectors,
    // 3 x 3, when hasRotation), for lighting each vertex at its world position.
    float origin[3] = {0.0f, 0.0f, 0.0f};
    bool hasRotation = false;
    float rotation[9] = {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    // The light of the entity the geometry belongs to: EntityLight's colour, and the six sides
    // (right, left, front, back, top, bottom; RGB each) Sphere lights vertices from.
    bool hasLightSubject = false;
    Color subjectLight;
    float subjectSphere[18] = {};
    // The geometry belongs to the thing under the cursor: every lit colour is lifted towards
    // white, so that it stands out even in the dark.
    bool hovered = false;
};

// An immediate-mode batch as it is flushed: what the renderer's batch hands the library.
struct DeviceBatch {
    // The shader the batch was begun with; the caller keeps it alive until the draw returns.
    const Shader* shader = nullptr;
    // Seconds the animated stages of a shader running on its own clock show.
    float shaderTime = 0.0f;
    // One per stage of the shader, in order, at most the batch's stage limit.
    std::vector<DeviceStage> stages;
    std::vector<DeviceVertex> vertices;
    // Three per triangle, into vertices.
    std::vector<uint16_t> indexes;
    // Three floats per vertex when normals were wanted, else empty.
    std::vector<float> normals;
    bool hasColors = false;
    bool hasTexCoords = true;
    // The surfaces' opacity: anything but 1 draws the batch alpha-blended at that strength.
    float opacity = 1.0f;
    // kWriteMaskNoColor, kWriteMaskNoDepth and kWriteMaskTwoSided.
    int32_t writeMask = 0;
    BatchLighting lighting;
    // The two words given to the flush.
    uint32_t flushWords[2] = {0, 0};
};

// Which buffers a clear empties.
constexpr uint32_t kClearColorBuffer = 1;
constexpr uint32_t kClearDepthBuffer = 2;
constexpr uint32_t kClearStencilBuffer = 4;

// A rectangle of pixels, origin at the bottom left as the library counts them.
struct PixelRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Bytes of one level of a texture in the format; DXT levels are whole 4 x 4 blocks.
size_t TextureLevelBytes(PixelFormat format, int32_t width, int32_t height);
// Bytes of levels 0 .. levelCount - 1 together.
size_t TextureChainBytes(PixelFormat format, int32_t width, int32_t height, int32_t levelCount);

// The base holds what the program itself keeps of the graphics library (the texture-id pool,
// the context lock and the upload settings); a device supplies the library calls. Texture ids
// are small integers the program hands out, not the library's names for its objects.
class GraphicsDevice : public BaseClass {
public:
    // The context lock needs the platform system. Ids are handed out from firstTextureId up.
    explicit GraphicsDevice(int32_t firstTextureId = 1);
    ~GraphicsDevice() override;
    GraphicsDevice(const GraphicsDevice&) = delete;
    GraphicsDevice& operator=(const GraphicsDevice&) = delete;

    // "compressedTextures" (1), "filteringQuality" (1), "r_anisotropic" (0) and
    // "r_betterLighting" (0). Uploads before this use the defaults.
    void RegisterVars();
    // Takes the upload settings from the vars (main thread, once a frame): uploads run on the
    // loader thread, which must not read the var table while the main thread may grow it.
    void ApplyVars();

    // Re-entrant, from any thread; every library call happens inside.
    void AcquireContext() { contextLock.AcquireContext(); }
    void ReleaseContext() { contextLock.ReleaseContext(); }
    GraphicsContextLock& GetContextLock() { return contextLock; }

    // A freed id first, else the next of the counter.
    int32_t AllocTextureId();
    // Deletes the library's texture and puts the id on the freed list; nothing for -1.
    void DeleteTexture(int32_t textureId);
    // Uploads levelCount levels (see TextureUpload) under a new id, with the filter chosen
    // from "filteringQuality" and the anisotropy from "r_anisotropic"; -1 when the pixels or
    // the sizes are unusable.
    int32_t UploadTexture(const uint8_t* pixels, int32_t width, int32_t height, PixelFormat format,
                          int32_t levelCount);

    // Replaces a rectangle of one level of a texture with pixels in the texture's own format
    // (uncompressed only); false, changing nothing, when the id is not live, the format differs,
    // or the rectangle is not inside the level.
    bool UpdateTexture(int32_t textureId, int32_t level, const PixelRect& rect, PixelFormat format,
                       const uint8_t* pixels);

    // Whether the driver takes S3TC uploads; read by the shaders' choice of texture extension.
    virtual bool SupportsCompressedTextures() const = 0;
    virtual bool SupportsAnisotropy() const { return false; }
    // The driver's largest anisotropy.
    virtual float GetMaxAnisotropy() const { return 1.0f; }
    // The anisotropy uploads set while "r_anisotropic" is on; 0 (the start) uses the maximum.
    void SetUploadAnisotropy(float value) { uploadAnisotropy.store(value); }
    // The anisotropy of a loaded texture; a device without the extension ignores it.
    virtual void SetTextureAnisotropy(int32_t textureId, float value)
    {
        (void)textureId;
        (void)value;
    }
    // SetTextureAnisotropy for every texture the device holds.
    void SetLiveTexturesAnisotropy(float value);

    // Draws one flushed batch with the context held by the caller.
    virtual void DrawBatch(const DeviceBatch& batch) = 0;

    // Frame state, each with the context held by the caller. The matrices are row-major for
    // row vectors (v x M), which is the library's column-major order as stored.
    virtual void SetProjectionMatrix(const Matrix4& projection) = 0;
    virtual void SetModelViewMatrix(const Matrix4& modelView) = 0;
    virtual void SetViewport(const PixelRect& viewport) = 0;
    // kClearColorBuffer, kClearDepthBuffer and kClearStencilBuffer; the colour's alpha is alpha.
    virtual void Clear(uint32_t buffers, const Color& color, float alpha) = 0;
    // Shows the frame drawn (swaps the buffers).
    virtual void Present() = 0;
    // Four bytes a pixel, rows from the bottom; false when the rectangle is empty or the
    // library cannot read.
    bool ReadPixels(const PixelRect& rect, std::vector<uint8_t>& rgba);

    // Ids handed out and not freed.
    int32_t GetLiveTextureCount();

    // The frame being drawn: the textures a batch draws with record it (texture usage).
    int64_t GetFrameNumber() const { return frameNumber.load(); }
    // Called once the frame has been shown.
    void AdvanceFrame() { frameNumber.fetch_add(1); }

protected:
    // The library's own operations, always called with the context held.
    virtual void MakeCurrent() {}
    virtual void ReleaseCurrent() {}
    virtual void CreateTexture(int32_t textureId, const TextureUpload& upload) = 0;
    virtual void DestroyTexture(int32_t textureId) = 0;
    // rect lies inside the level, pixels hold its bytes in format.
    virtual void ReplaceTexturePixels(int32_t textureId, int32_t level, const PixelRect& rect, PixelFormat format,
                                      const uint8_t* pixels) = 0;
    // rgba already holds width x height x 4 bytes.
    virtual bool ReadFramePixels(const PixelRect& rect, uint8_t* rgba) = 0;

private:
    TextureFilter ChooseFilter(int32_t levelCount) const;
    float ChooseAnisotropy() const;

    GraphicsContextLock contextLock;
    // What an update is checked against.
    struct LiveTexture {
        int32_t width = 0;
        int32_t height = 0;
        int32_t levelCount = 0;
        PixelFormat format = PixelFormat::kRgb;
    };

    // All under the context lock.
    int32_t nextTextureId = 1;
    std::deque<int32_t> freedTextureIds;
    int32_t liveTextureIds = 0;
    std::unordered_map<int32_t, LiveTexture> liveTextures;
    UserVarRef filteringQualityVar;
    UserVarRef anisotropicVar;
    std::atomic<int64_t> frameNumber{0};
    std::atomic<int32_t> filteringQuality{1};
    std::atomic<bool> anisotropic{false};
    std::atomic<float> uploadAnisotropy{0.0f};
};

extern GraphicsDevice* gGraphicsDevice;
