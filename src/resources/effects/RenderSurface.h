// RenderSurface -- the base of every surface queued for a drawing pass: its shader, sort key and draw hooks.
#pragma once

#include "core/BaseClass.h"
#include "resources/ResourceRef.h"
#include "resources/shaders/Shader.h"

#include <cstdint>

class ShaderBatch;

class RenderSurface : public BaseClass {
public:
    // What a depth of -1 stands for: the farthest, all twelve bits set.
    static constexpr uint32_t kFarthestDepth = 0xFFF;

    // Called for the first surface of each batch.
    virtual void BeginDraw() {}
    // A hidden surface adds nothing.
    virtual bool IsHidden() const { return false; }
    // Adds the surface's vertices to the batch; normals only when wanted.
    virtual void AddGeometry(ShaderBatch& batch, bool wantNormals) = 0;
    // Called on a batch's last surface after the batch is drawn.
    virtual void EndDraw() {}
    // Whether this surface may go on in the batch the previous one (of the same key and
    // shader) began: a surface whose BeginDraw set state of its own says no to another's.
    virtual bool JoinsBatchOf(const RenderSurface& /*previous*/) const { return true; }

    // With opacity exactly 1: sort in bits 31-29, the shader index's low 15 bits in 28-12
    // (bits 28 and 27 stay clear), the depth's low 12 bits in 11-0, the layer unused. Otherwise
    // the translucent layout: class (sort, or AdvancedTransparent for Opaque) in 31-29, depth
    // in 28-17, layer in 16-15, index in 14-0. sortClass records the class used.
    void SetSortKey(int32_t layer, int32_t depth, int32_t sort, int32_t shaderIndex, float opacity);

    // The shader object drawn with, held as a use until the surface is refilled or freed: a
    // reload while the surface is queued leaves it drawing the old shader, not freed memory.
    ResourceRef<const Shader> shader;
    uint32_t sortKey = 0;
    int32_t sortClass = 0;
    // Lighting taken as white: no light is computed, so no normals are sent.
    bool fullBright = false;
    // Anything but 1 draws the batch alpha-blended.
    float opacity = 1.0f;
    // 1 turns colour writes off, 2 depth writes, while the batch is drawn.
    int32_t writeMask = 0;
};
