// GLStateCache -- the OpenGL states last sent, so that a state is sent only when it changes.
#pragma once

#include <cstdint>
#include <unordered_map>

// Context-thread only. Code that changes a cached state directly calls Reset first, or the cache
// would go on skipping a change it believes already made.
class GLStateCache {
public:
    // Forgets every cached value: the next call of each kind is sent.
    void Reset();

    void SetEnabled(uint32_t capability, bool enabled);
    void BlendFunc(uint32_t source, uint32_t destination);
    void DepthFunc(uint32_t function);
    void DepthMask(bool write);
    void ColorMask(bool write);
    void AlphaFunc(uint32_t function, float reference);
    void CullFace(uint32_t face);
    void BindTexture(uint32_t name);

private:
    std::unordered_map<uint32_t, bool> enabled;
    int64_t blend = -1;
    int64_t depthFunc = -1;
    int32_t depthMask = -1;
    int32_t colorMask = -1;
    int64_t alphaFunc = -1;
    float alphaReference = 0.0f;
    int64_t cullFace = -1;
    int64_t boundTexture = -1;
};
