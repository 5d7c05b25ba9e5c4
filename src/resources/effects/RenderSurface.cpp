// RenderSurface -- the base of every surface queued for a drawing pass: its shader, sort key and draw hooks.
#include "resources/effects/RenderSurface.h"

#include "resources/shaders/ShaderEnums.h"

void RenderSurface::SetSortKey(int32_t layer, int32_t depth, int32_t sort, int32_t shaderIndex, float opacity)
{
    uint32_t depthBits = static_cast<uint32_t>(depth) & kFarthestDepth;
    uint32_t indexBits = static_cast<uint32_t>(shaderIndex) & 0x7FFFu;
    if (opacity == 1.0f) {
        sortClass = sort;
        sortKey = (static_cast<uint32_t>(sort) & 7u) << 29 | indexBits << 12 | depthBits;
        return;
    }
    int32_t translucentClass = sort == SortType::Opaque ? SortType::AdvancedTransparent : sort;
    sortClass = translucentClass;
    sortKey = (static_cast<uint32_t>(translucentClass) & 7u) << 29 | depthBits << 17 |
              (static_cast<uint32_t>(layer) & 3u) << 15 | indexBits;
}
