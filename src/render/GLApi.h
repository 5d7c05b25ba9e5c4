// GLApi -- the OpenGL calls the state cache, the batch's stages and the world's overlays make, behind one interface, so a test can record them without a context.
#pragma once

#include <GL/gl.h>

#include <cstdint>

// Arguments are the library's own enums and values. Context-thread only, with the context held.
class GLApi {
public:
    virtual ~GLApi() = default;

    virtual void Enable(uint32_t capability) = 0;
    virtual void Disable(uint32_t capability) = 0;
    virtual void BlendFunc(uint32_t source, uint32_t destination) = 0;
    virtual void DepthFunc(uint32_t function) = 0;
    virtual void DepthMask(bool write) = 0;
    // All four channels together.
    virtual void ColorMask(bool write) = 0;
    virtual void AlphaFunc(uint32_t function, float reference) = 0;
    virtual void CullFace(uint32_t face) = 0;
    // The mask is always all ones.
    virtual void StencilFunc(uint32_t function, int32_t reference) = 0;
    virtual void StencilOp(uint32_t fail, uint32_t depthFail, uint32_t depthPass) = 0;
    virtual void BindTexture(uint32_t name) = 0;
    // On GL_TEXTURE_2D.
    virtual void TexParameter(uint32_t parameter, int32_t value) = 0;
    // The minification and magnification filters of the bound texture.
    void SetTextureFilter(int32_t minification, int32_t magnification);
    virtual void EnableClientState(uint32_t array) = 0;
    virtual void DisableClientState(uint32_t array) = 0;
    virtual void VertexPointer(int32_t size, int32_t stride, const float* positions) = 0;
    virtual void TexCoordPointer(int32_t size, int32_t stride, const float* coordinates) = 0;
    // Unsigned bytes.
    virtual void ColorPointer(int32_t size, int32_t stride, const uint8_t* colors) = 0;
    virtual void Color3f(float red, float green, float blue) = 0;
    virtual void Color4f(float red, float green, float blue, float alpha) = 0;
    // GL_TRIANGLES with 16-bit indices (a batch holds at most 65536 vertices).
    virtual void DrawTriangles(int32_t indexCount, const uint16_t* indices) = 0;
    // GL_LINES over the first count vertices of the arrays.
    virtual void DrawLines(int32_t vertexCount) = 0;
    virtual void LineWidth(float width) = 0;
    // Turns GL_LINE_STIPPLE on with the factor and the 16-bit pattern, or off for factor 0.
    virtual void LineStipple(int32_t factor, uint16_t pattern) = 0;
    // GL_FRONT_AND_BACK.
    virtual void PolygonMode(uint32_t mode) = 0;
    // The compiled-vertex-array calls; false when the driver lacks them (nothing is called).
    virtual bool LockArrays(int32_t first, int32_t count) = 0;
    virtual void UnlockArrays() = 0;
    // The read buffer's rectangle from (x, y), lower left, into the bound GL_TEXTURE_2D at
    // (0, 0) of level 0.
    virtual void CopyTexSubImage2D(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void Viewport(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    // Sixteen floats in the library's order into GL_TEXTURE; the model view is current after.
    virtual void LoadTextureMatrix(const float* matrix) = 0;
};

inline void GLApi::SetTextureFilter(int32_t minification, int32_t magnification)
{
    TexParameter(GL_TEXTURE_MIN_FILTER, minification);
    TexParameter(GL_TEXTURE_MAG_FILTER, magnification);
}
