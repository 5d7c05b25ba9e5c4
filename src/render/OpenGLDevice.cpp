// OpenGLDevice -- the graphics device on an OpenGL context: texture upload under the program's own names, frame state and batches.
#include "render/OpenGLDevice.h"

#include "core/DebugSystem.h"
#include "core/system/GraphicsSystem.h"
#include "resources/shaders/ShaderRenderState.h"
#include "resources/shaders/Shader.h"
#include "resources/shaders/ShaderStage.h"
#include "resources/textures/DxtCodec.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>

namespace {

bool OpenGLDeviceHasExtension(const char* extensions, const char* name)
{
    if (!extensions)
        return false;
    size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + 1, name)) {
        bool starts = at == extensions || at[-1] == ' ';
        bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends)
            return true;
    }
    return false;
}

uint32_t OpenGLDeviceMinFilter(TextureFilter filter)
{
    switch (filter) {
    case TextureFilter::kLinearMipmapNearest:
        return GL_LINEAR_MIPMAP_NEAREST;
    case TextureFilter::kLinearMipmapLinear:
        return GL_LINEAR_MIPMAP_LINEAR;
    case TextureFilter::kLinear:
        break;
    }
    return GL_LINEAR;
}

uint32_t OpenGLDeviceCompressedFormat(PixelFormat format)
{
    switch (format) {
    case PixelFormat::kDxt1:
        return GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
    case PixelFormat::kDxt3:
        return GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
    default:
        return GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
    }
}

DxtMode OpenGLDeviceDxtMode(PixelFormat format)
{
    if (format == PixelFormat::kDxt1)
        return DxtMode::kDxt1;
    return format == PixelFormat::kDxt3 ? DxtMode::kDxt3 : DxtMode::kDxt5;
}

} // namespace

OpenGLDevice::OpenGLDevice(GraphicsSystem& display) : GraphicsDevice(kFirstTextureName), display(display) {}

void OpenGLDevice::MakeCurrent()
{
    display.MakeCurrent();
}

void OpenGLDevice::ReleaseCurrent()
{
    display.ReleaseContext();
}

void OpenGLDevice::StartDisplay()
{
    AcquireContext();
    ReadCapabilities();
    SetInitialState();
    ReleaseContext();
}

void OpenGLDevice::ReadCapabilities()
{
    auto text = [](GLenum name) {
        const GLubyte* value = glGetString(name);
        return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
    };
    driverName = text(GL_RENDERER) + ", " + text(GL_VERSION);
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    compressedTexImage = reinterpret_cast<CompressedTexImage>(display.GetProcAddress("glCompressedTexImage2DARB"));
    compressedTextures = compressedTexImage && OpenGLDeviceHasExtension(extensions, "GL_ARB_texture_compression") &&
                         OpenGLDeviceHasExtension(extensions, "GL_EXT_texture_compression_s3tc");
    anisotropy = OpenGLDeviceHasExtension(extensions, "GL_EXT_texture_filter_anisotropic");
    if (OpenGLDeviceHasExtension(extensions, "GL_EXT_compiled_vertex_array")) {
        api.SetCompiledArrays(reinterpret_cast<OpenGLApi::LockArraysCall>(display.GetProcAddress("glLockArraysEXT")),
                              reinterpret_cast<OpenGLApi::UnlockArraysCall>(display.GetProcAddress("glUnlockArraysEXT")));
    }
    if (anisotropy)
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy);
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    maxTextureSize = std::max<int32_t>(side, 64);
}

void OpenGLDevice::SetInitialState()
{
    stateCache.Reset();
    // Levels are stored tightly packed, so an RGB row of a small level is not a multiple of 4.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glClearDepth(1.0);
    stateCache.CullFace(GL_FRONT);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    stateCache.SetEnabled(GL_TEXTURE_2D, true);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glShadeModel(GL_SMOOTH);
    stateCache.DepthFunc(GL_LEQUAL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    stateCache.DepthMask(true);
    stateCache.SetEnabled(GL_DEPTH_TEST, true);
    stateCache.ColorMask(true);
    stateCache.SetEnabled(GL_ALPHA_TEST, false);
    stateCache.AlphaFunc(GL_NEVER, 0.0f);
    stateCache.SetEnabled(GL_CULL_FACE, false);
    stateCache.SetEnabled(GL_BLEND, false);
    // The stencil operations are recorded only while the test is on.
    stateCache.SetEnabled(GL_STENCIL_TEST, true);
    stateCache.SetStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    stateCache.SetEnabled(GL_STENCIL_TEST, false);
    glStencilMask(0xFFFFFFFFu);
    glClearStencil(0);
    stateCache.SetEnabled(GL_LIGHTING, false);
    stateCache.SetEnabled(GL_MULTISAMPLE, display.IsMultisampleInUse());
}

void OpenGLDevice::CreateTexture(int32_t textureId, const TextureUpload& upload)
{
    stateCache.BindTexture(static_cast<uint32_t>(textureId));
    size_t offset = 0;
    for (int32_t level = 0; level < upload.levelCount; ++level) {
        int32_t width = std::max(upload.width >> level, 1);
        int32_t height = std::max(upload.height >> level, 1);
        size_t size = TextureLevelBytes(upload.format, width, height);
        if (offset + size > upload.byteCount)
            break;
        UploadLevel(upload, level, width, height, upload.pixels + offset);
        offset += size;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, std::max(upload.levelCount - 1, 0));
    api.SetTextureFilter(static_cast<GLint>(OpenGLDeviceMinFilter(upload.minFilter)), GL_LINEAR);
    if (anisotropy && upload.anisotropy > 0.0f)
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, upload.anisotropy);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    stateCache.BindTexture(0);
}

void OpenGLDevice::UploadLevel(const TextureUpload& upload, int32_t level, int32_t width, int32_t height,
                               const uint8_t* bytes)
{
    switch (upload.format) {
    case PixelFormat::kRgb:
    case PixelFormat::kRgba: {
        GLenum format = upload.format == PixelFormat::kRgb ? GL_RGB : GL_RGBA;
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0, format, GL_UNSIGNED_BYTE, bytes);
        return;
    }
    case PixelFormat::kDxt1:
    case PixelFormat::kDxt3:
    case PixelFormat::kDxt5:
        break;
    }
    if (compressedTexImage) {
        size_t size = TextureLevelBytes(upload.format, width, height);
        compressedTexImage(GL_TEXTURE_2D, level, OpenGLDeviceCompressedFormat(upload.format), width, height, 0,
                           static_cast<int32_t>(size), bytes);
        return;
    }
    // A driver without S3TC gets the level decoded.
    decoded.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    DecompressDxtLevel(OpenGLDeviceDxtMode(upload.format), bytes, width, height, 4, decoded.data());
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, decoded.data());
}

void OpenGLDevice::SetTextureAnisotropy(int32_t textureId, float value)
{
    if (!anisotropy)
        return;
    AcquireContext();
    stateCache.BindTexture(static_cast<uint32_t>(textureId));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, value);
    stateCache.BindTexture(0);
    ReleaseContext();
}

void OpenGLDevice::DestroyTexture(int32_t textureId)
{
    GLuint name = static_cast<GLuint>(textureId);
    glDeleteTextures(1, &name);
    // A deleted bound texture leaves name 0 bound.
    stateCache.BindTexture(0);
}

void OpenGLDevice::ReplaceTexturePixels(int32_t textureId, int32_t level, const PixelRect& rect, PixelFormat format,
                                        const uint8_t* pixels)
{
    stateCache.BindTexture(static_cast<uint32_t>(textureId));
    glTexSubImage2D(GL_TEXTURE_2D, level, rect.x, rect.y, rect.width, rect.height,
                    format == PixelFormat::kRgb ? GL_RGB : GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    stateCache.BindTexture(0);
}

bool OpenGLDevice::ReadFramePixels(const PixelRect& rect, uint8_t* rgba)
{
    glReadPixels(rect.x, rect.y, rect.width, rect.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return glGetError() == GL_NO_ERROR;
}

void OpenGLDevice::SetProjectionMatrix(const Matrix4& projection)
{
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(&projection.m[0][0]);
    glMatrixMode(GL_MODELVIEW);
}

void OpenGLDevice::SetModelViewMatrix(const Matrix4& modelView)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&modelView.m[0][0]);
}

void OpenGLDevice::SetViewport(const PixelRect& viewport)
{
    glViewport(viewport.x, viewport.y, std::max(viewport.width, 0), std::max(viewport.height, 0));
}

void OpenGLDevice::Clear(uint32_t buffers, const Color& color, float alpha)
{
    GLbitfield mask = 0;
    if (buffers & kClearColorBuffer) {
        glClearColor(color.r, color.g, color.b, alpha);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (buffers & kClearDepthBuffer)
        mask |= GL_DEPTH_BUFFER_BIT;
    if (buffers & kClearStencilBuffer)
        mask |= GL_STENCIL_BUFFER_BIT;
    // A clear honours the write masks: the buffers it empties are opened first.
    if (mask & GL_COLOR_BUFFER_BIT)
        stateCache.ColorMask(true);
    if (mask & GL_DEPTH_BUFFER_BIT)
        stateCache.DepthMask(true);
    glClear(mask);
}

void OpenGLDevice::Present()
{
    display.SwapBuffers();
}

void OpenGLDevice::DrawBatch(const DeviceBatch& batch)
{
    stageDrawer.Draw(batch, drawSettings);
}
