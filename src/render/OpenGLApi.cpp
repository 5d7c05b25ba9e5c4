// OpenGLApi -- the GLApi of the real library: each call passed to OpenGL as it stands.
#include "render/OpenGLApi.h"

#include <GL/gl.h>

void OpenGLApi::SetCompiledArrays(LockArraysCall lock, UnlockArraysCall unlock)
{
    bool both = lock && unlock;
    lockArrays = both ? lock : nullptr;
    unlockArrays = both ? unlock : nullptr;
}

void OpenGLApi::Enable(uint32_t capability)
{
    glEnable(capability);
}

void OpenGLApi::Disable(uint32_t capability)
{
    glDisable(capability);
}

void OpenGLApi::BlendFunc(uint32_t source, uint32_t destination)
{
    glBlendFunc(source, destination);
}

void OpenGLApi::DepthFunc(uint32_t function)
{
    glDepthFunc(function);
}

void OpenGLApi::DepthMask(bool write)
{
    glDepthMask(write ? GL_TRUE : GL_FALSE);
}

void OpenGLApi::ColorMask(bool write)
{
    GLboolean value = write ? GL_TRUE : GL_FALSE;
    glColorMask(value, value, value, value);
}

void OpenGLApi::AlphaFunc(uint32_t function, float reference)
{
    glAlphaFunc(function, reference);
}

void OpenGLApi::CullFace(uint32_t face)
{
    glCullFace(face);
}

void OpenGLApi::StencilFunc(uint32_t function, int32_t reference)
{
    glStencilFunc(function, reference, 0xFFFFFFFFu);
}

void OpenGLApi::StencilOp(uint32_t fail, uint32_t depthFail, uint32_t depthPass)
{
    glStencilOp(fail, depthFail, depthPass);
}

void OpenGLApi::BindTexture(uint32_t name)
{
    glBindTexture(GL_TEXTURE_2D, name);
}

void OpenGLApi::TexParameter(uint32_t parameter, int32_t value)
{
    glTexParameteri(GL_TEXTURE_2D, parameter, value);
}

void OpenGLApi::EnableClientState(uint32_t array)
{
    glEnableClientState(array);
}

void OpenGLApi::DisableClientState(uint32_t array)
{
    glDisableClientState(array);
}

void OpenGLApi::VertexPointer(int32_t size, int32_t stride, const float* positions)
{
    glVertexPointer(size, GL_FLOAT, stride, positions);
}

void OpenGLApi::TexCoordPointer(int32_t size, int32_t stride, const float* coordinates)
{
    glTexCoordPointer(size, GL_FLOAT, stride, coordinates);
}

void OpenGLApi::ColorPointer(int32_t size, int32_t stride, const uint8_t* colors)
{
    glColorPointer(size, GL_UNSIGNED_BYTE, stride, colors);
}

void OpenGLApi::Color3f(float red, float green, float blue)
{
    glColor3f(red, green, blue);
}

void OpenGLApi::Color4f(float red, float green, float blue, float alpha)
{
    glColor4f(red, green, blue, alpha);
}

void OpenGLApi::DrawTriangles(int32_t indexCount, const uint16_t* indices)
{
    ++drawCalls;
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_SHORT, indices);
}

void OpenGLApi::DrawLines(int32_t vertexCount)
{
    ++drawCalls;
    glDrawArrays(GL_LINES, 0, vertexCount);
}

void OpenGLApi::LineWidth(float width)
{
    glLineWidth(width);
}

void OpenGLApi::LineStipple(int32_t factor, uint16_t pattern)
{
    if (factor == 0) {
        glDisable(GL_LINE_STIPPLE);
        return;
    }
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(factor, pattern);
}

void OpenGLApi::PolygonMode(uint32_t mode)
{
    glPolygonMode(GL_FRONT_AND_BACK, mode);
}

bool OpenGLApi::LockArrays(int32_t first, int32_t count)
{
    if (!lockArrays)
        return false;
    lockArrays(first, count);
    return true;
}

void OpenGLApi::UnlockArrays()
{
    if (unlockArrays)
        unlockArrays();
}

void OpenGLApi::CopyTexSubImage2D(int32_t x, int32_t y, int32_t width, int32_t height)
{
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, y, width, height);
}

void OpenGLApi::Viewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    glViewport(x, y, width, height);
}

void OpenGLApi::LoadTextureMatrix(const float* matrix)
{
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(matrix);
    glMatrixMode(GL_MODELVIEW);
}
