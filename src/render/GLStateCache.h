// GLStateCache -- the OpenGL states last sent, so that a state is sent only when it changes.
#pragma once

#include "render/GLApi.h"

#include <cstdint>
#include <unordered_map>

// Context-thread only. Code that changes a cached state directly calls Reset first, or the cache
// would go on skipping a change it believes already made. A state the cache has not seen since
// Reset is sent on its first use.
class GLStateCache {
public:
    explicit GLStateCache(GLApi& gl) : gl(gl) {}

    // Forgets every cached value: the next call of each kind is sent.
    void Reset();
    // Turns off what the cache holds on: depth test, depth write, face culling (its face
    // forgotten), alpha test (function and reference forgotten), stencil test (the same); the
    // colour writes on. Before two-dimensional drawing.
    void ResetState();

    void SetEnabled(uint32_t capability, bool enabled);
    void BlendFunc(uint32_t source, uint32_t destination);
    void DepthFunc(uint32_t function);
    void DepthMask(bool write);
    void ColorMask(bool write);
    void AlphaFunc(uint32_t function, float reference);
    void CullFace(uint32_t face);
    void BindTexture(uint32_t name);

    // Culling on with the face, or off (the face is then not compared).
    void SetCull(bool enabled, uint32_t face);
    // Blending on with the factors, or off.
    void SetBlend(bool enabled, uint32_t source, uint32_t destination);
    // The alpha test on with its function and reference, or off.
    void SetAlphaTest(bool enabled, uint32_t function, float reference);
    // The stencil test on with its function and reference (mask all ones), or off.
    void SetStencil(bool enabled, uint32_t function, int32_t reference);
    // Sent only while the stencil test is on and an operation differs.
    void SetStencilOp(uint32_t fail, uint32_t depthFail, uint32_t depthPass);
    // Always sent, the texture bound just now being a different object; remembered.
    void SetWrap(uint32_t wrapS, uint32_t wrapT);

    // What the cache holds; -1 (or false) for a state not seen since Reset.
    bool IsEnabled(uint32_t capability) const;
    int64_t GetDepthMask() const { return depthMask; }
    int64_t GetColorMask() const { return colorMask; }
    int64_t GetWrapS() const { return wrapS; }
    int64_t GetWrapT() const { return wrapT; }

private:
    GLApi& gl;
    std::unordered_map<uint32_t, bool> enabled;
    int64_t blend = -1;
    int64_t depthFunc = -1;
    int32_t depthMask = -1;
    int32_t colorMask = -1;
    int64_t alphaFunc = -1;
    float alphaReference = 0.0f;
    int64_t cullFace = -1;
    int64_t boundTexture = -1;
    int64_t stencilFunc = -1;
    int64_t stencilReference = 0;
    int64_t stencilOps[3] = {-1, -1, -1};
    int64_t wrapS = -1;
    int64_t wrapT = -1;
};
