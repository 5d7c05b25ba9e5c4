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
    stencilFunc = -1;
    stencilReference = 0;
    stencilOps[0] = stencilOps[1] = stencilOps[2] = -1;
    wrapS = wrapT = -1;
}

void GLStateCache::ResetState()
{
    SetEnabled(GL_DEPTH_TEST, false);
    DepthMask(false);
    SetEnabled(GL_CULL_FACE, false);
    cullFace = -1;
    SetEnabled(GL_ALPHA_TEST, false);
    alphaFunc = -1;
    SetEnabled(GL_STENCIL_TEST, false);
    stencilFunc = -1;
    ColorMask(true);
}

bool GLStateCache::IsEnabled(uint32_t capability) const
{
    auto found = enabled.find(capability);
    return found != enabled.end() && found->second;
}

void GLStateCache::SetEnabled(uint32_t capability, bool on)
{
    auto found = enabled.find(capability);
    if (found != enabled.end() && found->second == on)
        return;
    enabled[capability] = on;
    if (on)
        gl.Enable(capability);
    else
        gl.Disable(capability);
}

void GLStateCache::BlendFunc(uint32_t source, uint32_t destination)
{
    int64_t packed = int64_t{source} << 32 | destination;
    if (packed == blend)
        return;
    blend = packed;
    gl.BlendFunc(source, destination);
}

void GLStateCache::DepthFunc(uint32_t function)
{
    if (function == depthFunc)
        return;
    depthFunc = function;
    gl.DepthFunc(function);
}

void GLStateCache::DepthMask(bool write)
{
    if (int32_t{write} == depthMask)
        return;
    depthMask = write;
    gl.DepthMask(write);
}

void GLStateCache::ColorMask(bool write)
{
    if (int32_t{write} == colorMask)
        return;
    colorMask = write;
    gl.ColorMask(write);
}

void GLStateCache::AlphaFunc(uint32_t function, float reference)
{
    if (function == alphaFunc && reference == alphaReference)
        return;
    alphaFunc = function;
    alphaReference = reference;
    gl.AlphaFunc(function, reference);
}

void GLStateCache::CullFace(uint32_t face)
{
    if (face == cullFace)
        return;
    cullFace = face;
    gl.CullFace(face);
}

void GLStateCache::BindTexture(uint32_t name)
{
    if (name == boundTexture)
        return;
    boundTexture = name;
    gl.BindTexture(name);
}

void GLStateCache::SetCull(bool on, uint32_t face)
{
    SetEnabled(GL_CULL_FACE, on);
    if (on)
        CullFace(face);
}

void GLStateCache::SetBlend(bool on, uint32_t source, uint32_t destination)
{
    SetEnabled(GL_BLEND, on);
    if (on)
        BlendFunc(source, destination);
}

void GLStateCache::SetAlphaTest(bool on, uint32_t function, float reference)
{
    SetEnabled(GL_ALPHA_TEST, on);
    if (on)
        AlphaFunc(function, reference);
}

void GLStateCache::SetStencil(bool on, uint32_t function, int32_t reference)
{
    SetEnabled(GL_STENCIL_TEST, on);
    if (!on || (function == stencilFunc && reference == stencilReference))
        return;
    stencilFunc = function;
    stencilReference = reference;
    gl.StencilFunc(function, reference);
}

void GLStateCache::SetStencilOp(uint32_t fail, uint32_t depthFail, uint32_t depthPass)
{
    if (!IsEnabled(GL_STENCIL_TEST))
        return;
    if (fail == stencilOps[0] && depthFail == stencilOps[1] && depthPass == stencilOps[2])
        return;
    stencilOps[0] = fail;
    stencilOps[1] = depthFail;
    stencilOps[2] = depthPass;
    gl.StencilOp(fail, depthFail, depthPass);
}

void GLStateCache::SetWrap(uint32_t newWrapS, uint32_t newWrapT)
{
    wrapS = newWrapS;
    wrapT = newWrapT;
    gl.TexParameter(GL_TEXTURE_WRAP_S, static_cast<int32_t>(newWrapS));
    gl.TexParameter(GL_TEXTURE_WRAP_T, static_cast<int32_t>(newWrapT));
}
