// ShaderEnums -- the shader enumerations with their tables, and the name parsers for the graphics library's state values.
#include "resources/shaders/ShaderEnums.h"

#include "core/DebugSystem.h"
#include "core/EnumTableGroup.h"
#include "core/StringUtil.h"

#include <span>
#include <string>

namespace {

#define EMBERLODE_ENUM_TEXT(name) #name,
#define EMBERLODE_NAMES(Table, LIST) constexpr const char* k##Table##Names[] = {LIST(EMBERLODE_ENUM_TEXT)};

EMBERLODE_NAMES(ColorGen, EMBERLODE_COLOR_GEN)
EMBERLODE_NAMES(AlphaGen, EMBERLODE_ALPHA_GEN)
EMBERLODE_NAMES(UVMod, EMBERLODE_UV_MOD)
EMBERLODE_NAMES(DeformVertsType, EMBERLODE_DEFORM_VERTS_TYPE)
EMBERLODE_NAMES(SortType, EMBERLODE_SORT_TYPE)

#define EMBERLODE_TABLE(Table) EnumTable::NameList{#Table, Table::kDefault, k##Table##Names}

constexpr EnumTable::NameList kTables[] = {
    EMBERLODE_TABLE(ColorGen), EMBERLODE_TABLE(AlphaGen),  EMBERLODE_TABLE(UVMod),
    EMBERLODE_TABLE(DeformVertsType), EMBERLODE_TABLE(SortType),
};

#undef EMBERLODE_TABLE
#undef EMBERLODE_NAMES
#undef EMBERLODE_ENUM_TEXT

const EnumTableGroup& Tables()
{
    static const EnumTableGroup group(kTables);
    return group;
}

struct NamedValue {
    const char* name;
    int32_t value;
};

// kind names the table in the developer line, which ends the line the files' messages begin.
int32_t ParseNamed(std::span<const NamedValue> names, std::string_view name, const char* kind, int32_t fallback)
{
    for (const NamedValue& entry : names) {
        if (StringEqualsNoCase(entry.name, name))
            return entry.value;
    }
    std::string text(name);
    DebugSystem::Print(kPrintDeveloper, "Unknown %s %s\n", kind, text.c_str());
    return fallback;
}

using namespace GlConstant;

constexpr NamedValue kSourceBlends[] = {
    {"Zero", kZero},
    {"One", kOne},
    {"SrcAlpha", kSrcAlpha},
    {"OneMinusSrcAlpha", kOneMinusSrcAlpha},
    {"DstAlpha", kDstAlpha},
    {"OneMinusDstAlpha", kOneMinusDstAlpha},
    {"DstColor", kDstColor},
    {"OneMinusDstColor", kOneMinusDstColor},
    {"SrcAlphaSaturate", kSrcAlphaSaturate},
};

constexpr NamedValue kDestBlends[] = {
    {"Zero", kZero},
    {"One", kOne},
    {"SrcColor", kSrcColor},
    {"OneMinusSrcColor", kOneMinusSrcColor},
    {"SrcAlpha", kSrcAlpha},
    {"OneMinusSrcAlpha", kOneMinusSrcAlpha},
    {"DstAlpha", kDstAlpha},
    {"OneMinusDstAlpha", kOneMinusDstAlpha},
};

constexpr NamedValue kCompareFuncs[] = {
    {"Never", kNever}, {"Less", kLess},         {"Equal", kEqual},   {"LEqual", kLEqual},
    {"Greater", kGreater}, {"NotEqual", kNotEqual}, {"GEqual", kGEqual}, {"Always", kAlways},
};

constexpr NamedValue kStencilActions[] = {
    {"Keep", kKeep}, {"Zero", kZero}, {"Replace", kReplace}, {"Incr", kIncr}, {"Decr", kDecr}, {"Invert", kInvert},
};

constexpr NamedValue kClampModes[] = {
    {"Clamp", kClamp},
    {"Repeat", kRepeat},
    {"ClampToEdge", kClampToEdge},
};

} // namespace

void RegisterShaderEnumTables()
{
    Tables().Register();
}

EMBERLODE_ENUM_LOOKUP(ColorGenFromName, Tables(), "ColorGen")
EMBERLODE_ENUM_LOOKUP(AlphaGenFromName, Tables(), "AlphaGen")
EMBERLODE_ENUM_LOOKUP(UVModFromName, Tables(), "UVMod")
EMBERLODE_ENUM_LOOKUP(DeformVertsTypeFromName, Tables(), "DeformVertsType")
EMBERLODE_ENUM_LOOKUP(SortTypeFromName, Tables(), "SortType")

int32_t ParseSourceBlend(std::string_view name)
{
    return ParseNamed(kSourceBlends, name, "source blend", kOne);
}

int32_t ParseDestBlend(std::string_view name)
{
    return ParseNamed(kDestBlends, name, "dest blend", kOne);
}

int32_t ParseCompareFunc(std::string_view name)
{
    return ParseNamed(kCompareFuncs, name, "comparison func", kLEqual);
}

int32_t ParseStencilAction(std::string_view name)
{
    return ParseNamed(kStencilActions, name, "stencil action", kKeep);
}

int32_t ParseClampMode(std::string_view name)
{
    return ParseNamed(kClampModes, name, "Clamp Mode", kClamp);
}
