// Skin -- the ".skn" skin: which shader draws each surface id of a mesh; entries can be replaced at run time.
#include "resources/models/Skin.h"

#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "resources/models/ModelFileParser.h"
#include "resources/shaders/ShaderLookup.h"

Resource* Skin::Load(const std::string&, uint8_t* bytes, uint32_t byteCount, int32_t)
{
    auto* skin = new Skin();
    skin->Parse(bytes, byteCount);
    return skin;
}

void Skin::Parse(const uint8_t* bytes, uint32_t byteCount)
{
    TextParser parser(bytes, bytes ? byteCount : 0);
    std::string prefix;
    std::string keyword;
    while (parser.NextToken(keyword, true)) {
        if (StringEqualsNoCase(keyword, "dir")) {
            prefix = ModelFileParser::MakeDirectoryPrefix(parser.ReadString(false));
        } else if (StringEqualsNoCase(keyword, "surface")) {
            Entry& entry = entries.emplace_back();
            entry.surfaceId = parser.GetInt(false);
            LoadTextureByName(prefix + parser.ReadString(false), entry.shader, TextureUsage::SphereLit);
            entry.highlight = !StringEqualsNoCase(parser.ReadString(false), "noHighlight");
        }
    }
}

const Skin::Entry* Skin::FindSurface(int32_t id) const
{
    for (const Entry& entry : entries) {
        if (entry.surfaceId == id)
            return &entry;
    }
    return nullptr;
}

ResourceHandle Skin::GetSurfaceShader(int32_t id) const
{
    const Entry* entry = FindSurface(id);
    return entry ? entry->shader : ResourceHandle();
}

Skin::Entry& Skin::FindOrAddEntry(int32_t id)
{
    for (Entry& entry : entries) {
        if (entry.surfaceId == id)
            return entry;
    }
    Entry& added = entries.emplace_back();
    added.surfaceId = id;
    return added;
}

void Skin::SetSurfaceTexture(int32_t id, std::string_view textureName)
{
    LoadTextureByName(textureName, FindOrAddEntry(id).shader, TextureUsage::SphereLit);
}

void Skin::SetSurfaceTextureHandle(int32_t id, const ResourceHandle& shader)
{
    FindOrAddEntry(id).shader = shader;
}

void Skin::CopyFrom(const Skin& other)
{
    if (&other != this)
        entries = other.entries;
}
