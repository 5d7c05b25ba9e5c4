// GLStateCache -- the OpenGL states last sent, so that a state is sent only when it changes.
#include "render/GLStateCache.h"

#include <GL/gl.h>

void GLStateCache::Reset()
{
    enabled.clear();
    blend = -1;
    depthFunc = -1;
    depthMask = -1;
    colorMask = -1;
    alphaFunc = -1;
    cullFace = -1;
    boundTexture = -1;
}

void GLStateCache::SetEnabled(uint32_t capability, bool on)
{
    auto found = enabled.find(capability);
    if (found != enabled.end() && found->second == on)
        return;
    enabled[capability] = on;
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

void GLStateCache::BlendFunc(uint32_t source, uint32_t destination)
{
    int64_t packed = int64_t{source} << 32 | destination;
    if (packed == blend)
        return;
    blend = packed;
    glBlendFunc(source, destination);
}

void GLStateCache::DepthFunc(uint32_t function)
{
    if (function == depthFunc)
        return;
    depthFunc = function;
    glDepthFunc(function);
}

void GLStateCache::DepthMask(bool write)
{
    if (int32_t{write} == depthMask)
        return;
    depthMask = write;
    glDepthMask(write ? GL_TRUE : GL_FALSE);
}

void GLStateCache::ColorMask(bool write)
{
    if (int32_t{write} == colorMask)
        return;
    colorMask = write;
    GLboolean value = write ? GL_TRUE : GL_FALSE;
    glColorMask(value, value, value, value);
}

void GLStateCache::AlphaFunc(uint32_t function, float reference)
{
    if (function == alphaFunc && reference == alphaReference)
        return;
    alphaFunc = function;
    alphaReference = reference;
    glAlphaFunc(function, reference);
}

void GLStateCache::CullFace(uint32_t face)
{
    if (face == cullFace)
        return;
    cullFace = face;
    glCullFace(face);
}

void GLStateCache::BindTexture(uint32_t name)
{
    if (name == boundTexture)
        return;
    boundTexture = name;
    glBindTexture(GL_TEXTURE_2D, name);
}
