// Skin -- the ".skn" skin: which shader draws each surface id of a mesh; entries can be replaced at run time.
#pragma once

#include "resources/Resource.h"
#include "resources/ResourceHandle.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Keywords, case ignored, each with its values on its own line: "dir" and a folder put before
// every texture name after it; "surface", the surface id, a texture name and "noHighlight" to
// leave the surface out of highlighting (any other third word, or none, keeps it in).
class Skin : public Resource {
public:
    struct Entry {
        int32_t surfaceId = 0;
        ResourceHandle shader;
        bool highlight = true;
    };

    // The "skn" factory (loader thread); any text gives a skin.
    static Resource* Load(const std::string& name, uint8_t* bytes, uint32_t byteCount, int32_t loadArgument);
    void Parse(const uint8_t* bytes, uint32_t byteCount);

    // The first entry of the surface id, or null.
    const Entry* FindSurface(int32_t id) const;
    // A copy holding its own reference; empty when no entry has the id.
    ResourceHandle GetSurfaceShader(int32_t id) const;
    // The shader of the texture name, as model skins are lit, for the surface; a new entry when
    // none has the id.
    void SetSurfaceTexture(int32_t id, std::string_view textureName);
    void SetSurfaceTextureHandle(int32_t id, const ResourceHandle& shader);
    void CopyFrom(const Skin& other);

    const std::vector<Entry>& GetEntries() const { return entries; }

private:
    Entry& FindOrAddEntry(int32_t id);

    std::vector<Entry> entries;
};
