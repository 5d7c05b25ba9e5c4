// DefinitionFile -- what the three effect definition kinds share: the keyword loop's value reads, naming and the texture rule.
#include "resources/effects/DefinitionFile.h"

#include "core/DebugSystem.h"
#include "core/FileSystem.h"
#include "core/TextParser.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"

float ReadLineFloat(TextParser& parser)
{
    float value = 0.0f;
    parser.ReadFloat(value, false);
    return value;
}

int32_t ReadLineInt(TextParser& parser)
{
    int32_t value = 0;
    parser.ReadInt(value, false);
    return value;
}

bool ReadLineFlag(TextParser& parser)
{
    return ReadLineInt(parser) != 0;
}

std::string ReadLineName(TextParser& parser)
{
    return parser.ReadString(false);
}

Vector3 ReadLineVector(TextParser& parser)
{
    Vector3 out;
    out.x = ReadLineFloat(parser);
    out.y = ReadLineFloat(parser);
    out.z = ReadLineFloat(parser);
    return out;
}

Color ReadLineColor(TextParser& parser)
{
    Vector3 values = ReadLineVector(parser);
    return {values.x, values.y, values.z};
}

void LoadDefinitionTexture(std::string_view name, bool additive, ResourceHandle& out)
{
    if (name.empty())
        return;
    std::string path(name);
    FileSystem::PrefixPath(path, PathBase("Textures"));
    LoadTextureByName(path, out, additive ? TextureUsage::Additive : TextureUsage::AlphaBlended);
}

bool RequestDefinition(std::string_view name, ResourceHandle& out)
{
    size_t dot = name.find_last_of("./");
    std::string_view extension = dot != std::string_view::npos && name[dot] == '.' ? name.substr(dot + 1) : "";
    bool known = StringEqualsNoCase(extension, "eff") || StringEqualsNoCase(extension, "bem") ||
                 StringEqualsNoCase(extension, "swp");
    if (!known && !name.empty())
        DebugSystem::Print(kPrintWarning, "%.*s is no effect, beam or swipe file\n", static_cast<int>(name.size()),
                           name.data());
    if (!known || !gResourceManager) {
        out.Reset();
        return false;
    }
    std::string path(name);
    FileSystem::PrefixPath(path, PathBase("Effects"));
    gResourceManager->Load(path, out);
    return out.IsValid();
}
