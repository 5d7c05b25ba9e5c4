// OpenGLApi -- the GLApi of the real library: each call passed to OpenGL as it stands.
#pragma once

#include "render/GLApi.h"

class OpenGLApi : public GLApi {
public:
    using LockArraysCall = void (*)(int32_t, int32_t);
    using UnlockArraysCall = void (*)();

    // The extension's entry points, once the context is up; null for a driver without them.
    void SetCompiledArrays(LockArraysCall lock, UnlockArraysCall unlock);

    void Enable(uint32_t capability) override;
    void Disable(uint32_t capability) override;
    void BlendFunc(uint32_t source, uint32_t destination) override;
    void DepthFunc(uint32_t function) override;
    void DepthMask(bool write) override;
    void ColorMask(bool write) override;
    void AlphaFunc(uint32_t function, float reference) override;
    void CullFace(uint32_t face) override;
    void StencilFunc(uint32_t function, int32_t reference) override;
    void StencilOp(uint32_t fail, uint32_t depthFail, uint32_t depthPass) override;
    void BindTexture(uint32_t name) override;
    void TexParameter(uint32_t parameter, int32_t value) override;
    void EnableClientState(uint32_t array) override;
    void DisableClientState(uint32_t array) override;
    void VertexPointer(int32_t size, int32_t stride, const float* positions) override;
    void TexCoordPointer(int32_t size, int32_t stride, const float* coordinates) override;
    void ColorPointer(int32_t size, int32_t stride, const uint8_t* colors) override;
    void Color3f(float red, float green, float blue) override;
    void Color4f(float red, float green, float blue, float alpha) override;
    void DrawTriangles(int32_t indexCount, const uint16_t* indices) override;
    void DrawLines(int32_t vertexCount) override;
    void LineWidth(float width) override;
    void LineStipple(int32_t factor, uint16_t pattern) override;
    void PolygonMode(uint32_t mode) override;
    bool LockArrays(int32_t first, int32_t count) override;
    void UnlockArrays() override;
    void CopyTexSubImage2D(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void Viewport(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void LoadTextureMatrix(const float* matrix) override;

    // Every draw call passed to the library so far: the frame benchmark's count.
    uint64_t GetDrawCalls() const { return drawCalls; }

private:
    LockArraysCall lockArrays = nullptr;
    UnlockArraysCall unlockArrays = nullptr;
    uint64_t drawCalls = 0;
};
