// ShaderEnums -- the shader enumerations with their tables, and the name parsers for the graphics library's state values.
#pragma once

#include "core/EngineEnums.h"

#include <cstdint>
#include <string_view>

#define EMBERLODE_COLOR_GEN(X)                                                                               \
    X(Identity) X(Vertex) X(VertexAndConstant) X(Constant) X(Origin) X(OriginAndConstant) X(Wave)             \
    X(CodeGenerated) X(SameAsPreviousStage) X(EntityLight) X(Saved) X(SavedAndConstant) X(Sphere)             \
    X(SphereAndConstant)
#define EMBERLODE_ALPHA_GEN(X) X(Identity) X(Constant) X(Wave) X(CodeGenerated) X(StageGenerated)
#define EMBERLODE_UV_MOD(X) X(None) X(Scroll) X(Scale) X(Offset)
#define EMBERLODE_DEFORM_VERTS_TYPE(X) X(None) X(Offset) X(Wave) X(MinZ)
#define EMBERLODE_SORT_TYPE(X) X(Opaque) X(Shadow) X(Transparent) X(AdvancedTransparent) X(Additive)

EMBERLODE_DECLARE_ENUM(ColorGen, EMBERLODE_COLOR_GEN, 14, Identity)
EMBERLODE_DECLARE_ENUM(AlphaGen, EMBERLODE_ALPHA_GEN, 5, Identity)
EMBERLODE_DECLARE_ENUM(UVMod, EMBERLODE_UV_MOD, 4, None)
EMBERLODE_DECLARE_ENUM(DeformVertsType, EMBERLODE_DEFORM_VERTS_TYPE, 4, None)
EMBERLODE_DECLARE_ENUM(SortType, EMBERLODE_SORT_TYPE, 5, Opaque)

// What colour data the renderer sends with a stage's vertices.
namespace ColorArrayKind {
enum Value : int32_t { PerVertex = 0, PerVertexWithAlpha = 1, None = 2, AlphaOnly = 3 };
} // namespace ColorArrayKind

// The graphics library's constants that shader files name; the renderer passes them on unchanged.
namespace GlConstant {
constexpr int32_t kZero = 0;
constexpr int32_t kOne = 1;
constexpr int32_t kSrcColor = 0x300;
constexpr int32_t kOneMinusSrcColor = 0x301;
constexpr int32_t kSrcAlpha = 0x302;
constexpr int32_t kOneMinusSrcAlpha = 0x303;
constexpr int32_t kDstAlpha = 0x304;
constexpr int32_t kOneMinusDstAlpha = 0x305;
constexpr int32_t kDstColor = 0x306;
constexpr int32_t kOneMinusDstColor = 0x307;
constexpr int32_t kSrcAlphaSaturate = 0x308;
constexpr int32_t kNever = 0x200;
constexpr int32_t kLess = 0x201;
constexpr int32_t kEqual = 0x202;
constexpr int32_t kLEqual = 0x203;
constexpr int32_t kGreater = 0x204;
constexpr int32_t kNotEqual = 0x205;
constexpr int32_t kGEqual = 0x206;
constexpr int32_t kAlways = 0x207;
constexpr int32_t kKeep = 0x1E00;
constexpr int32_t kReplace = 0x1E01;
constexpr int32_t kIncr = 0x1E02;
constexpr int32_t kDecr = 0x1E03;
constexpr int32_t kInvert = 0x150A;
constexpr int32_t kClamp = 0x2900;
constexpr int32_t kRepeat = 0x2901;
constexpr int32_t kClampToEdge = 0x812F;
constexpr int32_t kFront = 0x0404;
constexpr int32_t kBack = 0x0405;
} // namespace GlConstant

// Fills "ColorGen", "AlphaGen", "UVMod", "DeformVertsType" and "SortType"; the lookups below
// fill them on first use too, so calling this is only about when.
void RegisterShaderEnumTables();

// The table's value for the name; an unknown name logs "Unknown %s name %s\n" and gives 0.
int32_t ColorGenFromName(std::string_view name);
int32_t AlphaGenFromName(std::string_view name);
int32_t UVModFromName(std::string_view name);
int32_t DeformVertsTypeFromName(std::string_view name);
int32_t SortTypeFromName(std::string_view name);

// Case-blind; an unknown name logs at the developer level and gives the default in brackets.
int32_t ParseSourceBlend(std::string_view name);   // One
int32_t ParseDestBlend(std::string_view name);     // One
int32_t ParseCompareFunc(std::string_view name);   // LEqual
int32_t ParseStencilAction(std::string_view name); // Keep
int32_t ParseClampMode(std::string_view name);     // Clamp
