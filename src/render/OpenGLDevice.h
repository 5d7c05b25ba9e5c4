// OpenGLDevice -- the graphics device on an OpenGL context: texture upload under the program's own names, frame state and batches.
#pragma once

#include "render/GLStateCache.h"
#include "render/OpenGLApi.h"
#include "render/StageDrawer.h"
#include "resources/GraphicsDevice.h"

#include <cstdint>
#include <string>
#include <vector>

class GraphicsSystem;

// Texture ids are the OpenGL names themselves, chosen by the program from kFirstTextureName up.
// The context is made current through the display's MakeCurrent, on whichever thread takes the
// lock, so textures upload from the resource loader as well as from the main thread.
class OpenGLDevice : public GraphicsDevice {
public:
    static constexpr int32_t kFirstTextureName = 1024;

    explicit OpenGLDevice(GraphicsSystem& display);

    // Once the window and its context exist: reads the driver's names and extensions and sets
    // the initial state (recorded in the state cache). Takes the context itself.
    void StartDisplay();
    // "GL_RENDERER, GL_VERSION" of the driver; empty before StartDisplay.
    const std::string& GetDriverName() const { return driverName; }
    GLStateCache& GetStateCache() { return stateCache; }
    GLApi& GetApi() { return api; }

    // Triangles and stage passes drawn since the last reset (the "r_trisRendered" line).
    int64_t GetTrianglesDrawn() const { return stageDrawer.GetTrianglesDrawn(); }
    int64_t GetTrianglePasses() const { return stageDrawer.GetTrianglePasses(); }
    void ResetFrameCounters() { stageDrawer.ResetCounters(); }
    // What the batches read of the settings and the frame; set once a frame by the renderer.
    void SetDrawSettings(const StageDrawSettings& settings) { drawSettings = settings; }
    const StageDrawSettings& GetDrawSettings() const { return drawSettings; }

    bool SupportsCompressedTextures() const override { return compressedTextures; }
    bool SupportsAnisotropy() const override { return anisotropy; }
    float GetMaxAnisotropy() const override { return maxAnisotropy; }
    // The driver's largest texture side; 64, the least any driver offers, before StartDisplay.
    int32_t GetMaxTextureSize() const { return maxTextureSize; }
    void SetTextureAnisotropy(int32_t textureId, float value) override;
    void DrawBatch(const DeviceBatch& batch) override;
    void SetProjectionMatrix(const Matrix4& projection) override;
    void SetModelViewMatrix(const Matrix4& modelView) override;
    void SetViewport(const PixelRect& viewport) override;
    void Clear(uint32_t buffers, const Color& color, float alpha) override;
    void Present() override;

protected:
    void MakeCurrent() override;
    void ReleaseCurrent() override;
    void CreateTexture(int32_t textureId, const TextureUpload& upload) override;
    void DestroyTexture(int32_t textureId) override;
    void ReplaceTexturePixels(int32_t textureId, int32_t level, const PixelRect& rect, PixelFormat format,
                              const uint8_t* pixels) override;
    bool ReadFramePixels(const PixelRect& rect, uint8_t* rgba) override;

private:
    using CompressedTexImage = void (*)(uint32_t, int32_t, uint32_t, int32_t, int32_t, int32_t, int32_t, const void*);

    void ReadCapabilities();
    void SetInitialState();
    void UploadLevel(const TextureUpload& upload, int32_t level, int32_t width, int32_t height, const uint8_t* bytes);

    GraphicsSystem& display;
    std::string driverName;
    bool compressedTextures = false;
    bool anisotropy = false;
    float maxAnisotropy = 1.0f;
    int32_t maxTextureSize = 64;
    CompressedTexImage compressedTexImage = nullptr;
    OpenGLApi api;
    GLStateCache stateCache{api};
    StageDrawer stageDrawer{api, stateCache};
    StageDrawSettings drawSettings;
    // A DXT level decoded for a driver without S3TC; kept to reuse its storage.
    std::vector<uint8_t> decoded;
};
