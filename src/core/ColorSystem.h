// ColorSystem -- the table of 149 named colours and colour parsing.
#pragma once

#include "core/BaseClass.h"
#include "core/Color.h"

#include <cstdint>
#include <string>
#include <string_view>

// Red, green and blue of every named colour on the 0 to 1 scale, in table order. Texts pick a
// colour with "^c" and its index in three digits; 145 "Pop" returns to the colour before.
// Only the first eleven, 145 and 146 are fixed by the game; the rest are our own choice of
// web colour names, with the forum export's colours kept at their indices (26 Sienna,
// 32 DeepSkyBlue, 35 DimGray, 61 SandyBrown, 95 and 147 purples, 128 Silver).
#define EMBERLODE_COLOR_TYPE(X)                                                          \
    X(White, 1.0f, 1.0f, 1.0f) X(Red, 1.0f, 0.0f, 0.0f)                                  \
    X(Green, 0.251f, 0.902f, 0.251f) X(Blue, 0.302f, 0.502f, 1.0f)                       \
    X(Grey, 0.6f, 0.6f, 0.6f) X(Yellow, 1.0f, 1.0f, 0.0f)                                \
    X(Orange, 1.0f, 0.6f, 0.0f) X(Purple, 0.702f, 0.302f, 0.902f)                        \
    X(Cyan, 0.0f, 1.0f, 1.0f) X(Pink, 1.0f, 0.549f, 0.749f)                              \
    X(Black, 0.0f, 0.0f, 0.0f) X(AliceBlue, 0.941f, 0.973f, 1.0f)                        \
    X(AntiqueWhite, 0.98f, 0.922f, 0.843f) X(Aquamarine, 0.498f, 1.0f, 0.831f)           \
    X(Ash, 0.702f, 0.678f, 0.659f) X(Azure, 0.941f, 1.0f, 1.0f)                          \
    X(Beige, 0.961f, 0.961f, 0.863f) X(Bisque, 1.0f, 0.894f, 0.769f)                     \
    X(BlanchedAlmond, 1.0f, 0.922f, 0.804f) X(BlueViolet, 0.541f, 0.169f, 0.886f)        \
    X(Bronze, 0.804f, 0.498f, 0.196f) X(Brown, 0.647f, 0.165f, 0.165f)                   \
    X(BurlyWood, 0.871f, 0.722f, 0.529f) X(CadetBlue, 0.373f, 0.62f, 0.627f)             \
    X(Chartreuse, 0.498f, 1.0f, 0.0f) X(Chocolate, 0.824f, 0.412f, 0.118f)               \
    X(Sienna, 0.627f, 0.322f, 0.176f) X(Coral, 1.0f, 0.498f, 0.314f)                     \
    X(CornflowerBlue, 0.392f, 0.584f, 0.929f) X(Cornsilk, 1.0f, 0.973f, 0.863f)          \
    X(Crimson, 0.863f, 0.078f, 0.235f) X(DarkBlue, 0.0f, 0.0f, 0.545f)                   \
    X(DeepSkyBlue, 0.0f, 0.749f, 1.0f) X(DarkCyan, 0.0f, 0.545f, 0.545f)                 \
    X(DarkGoldenrod, 0.722f, 0.525f, 0.043f) X(DimGray, 0.412f, 0.412f, 0.412f)          \
    X(DarkGray, 0.663f, 0.663f, 0.663f) X(DarkGreen, 0.0f, 0.392f, 0.0f)                 \
    X(DarkKhaki, 0.741f, 0.718f, 0.42f) X(DarkMagenta, 0.545f, 0.0f, 0.545f)             \
    X(DarkOliveGreen, 0.333f, 0.42f, 0.184f) X(DarkOrange, 1.0f, 0.549f, 0.0f)           \
    X(DarkRed, 0.545f, 0.0f, 0.0f) X(DarkSalmon, 0.914f, 0.588f, 0.478f)                 \
    X(DarkSeaGreen, 0.561f, 0.737f, 0.561f) X(DarkSlateBlue, 0.282f, 0.239f, 0.545f)     \
    X(DarkSlateGray, 0.184f, 0.31f, 0.31f) X(DarkTurquoise, 0.0f, 0.808f, 0.82f)         \
    X(DarkViolet, 0.58f, 0.0f, 0.827f) X(DeepPink, 1.0f, 0.078f, 0.576f)                 \
    X(DodgerBlue, 0.118f, 0.565f, 1.0f) X(FireBrick, 0.698f, 0.133f, 0.133f)             \
    X(FloralWhite, 1.0f, 0.98f, 0.941f) X(ForestGreen, 0.133f, 0.545f, 0.133f)           \
    X(Frost, 0.749f, 0.902f, 1.0f) X(Gainsboro, 0.863f, 0.863f, 0.863f)                  \
    X(GhostWhite, 0.973f, 0.973f, 1.0f) X(Gold, 1.0f, 0.843f, 0.0f)                      \
    X(Goldenrod, 0.855f, 0.647f, 0.125f) X(GreenYellow, 0.678f, 1.0f, 0.184f)            \
    X(Honeydew, 0.941f, 1.0f, 0.941f) X(SandyBrown, 0.957f, 0.643f, 0.376f)              \
    X(HotPink, 1.0f, 0.412f, 0.706f) X(IndianRed, 0.804f, 0.361f, 0.361f)                \
    X(Indigo, 0.294f, 0.0f, 0.51f) X(Ivory, 1.0f, 1.0f, 0.941f)                          \
    X(Jade, 0.0f, 0.659f, 0.42f) X(Khaki, 0.941f, 0.902f, 0.549f)                        \
    X(Lavender, 0.902f, 0.902f, 0.98f) X(LavenderBlush, 1.0f, 0.941f, 0.961f)            \
    X(LawnGreen, 0.486f, 0.988f, 0.0f) X(LemonChiffon, 1.0f, 0.98f, 0.804f)              \
    X(LightBlue, 0.678f, 0.847f, 0.902f) X(LightCoral, 0.941f, 0.502f, 0.502f)           \
    X(LightCyan, 0.878f, 1.0f, 1.0f) X(LightGoldenrodYellow, 0.98f, 0.98f, 0.824f)       \
    X(LightGray, 0.827f, 0.827f, 0.827f) X(LightGreen, 0.565f, 0.933f, 0.565f)           \
    X(LightPink, 1.0f, 0.714f, 0.757f) X(LightSalmon, 1.0f, 0.627f, 0.478f)              \
    X(LightSeaGreen, 0.125f, 0.698f, 0.667f) X(LightSkyBlue, 0.529f, 0.808f, 0.98f)      \
    X(LightSlateGray, 0.467f, 0.533f, 0.6f) X(LightSteelBlue, 0.69f, 0.769f, 0.871f)     \
    X(LightYellow, 1.0f, 1.0f, 0.878f) X(Lime, 0.0f, 1.0f, 0.0f)                         \
    X(LimeGreen, 0.196f, 0.804f, 0.196f) X(Linen, 0.98f, 0.941f, 0.902f)                 \
    X(Magenta, 1.0f, 0.0f, 1.0f) X(Maroon, 0.502f, 0.0f, 0.0f)                           \
    X(MediumAquamarine, 0.4f, 0.804f, 0.667f) X(MediumBlue, 0.0f, 0.0f, 0.804f)          \
    X(MediumOrchid, 0.729f, 0.333f, 0.827f) X(MediumPurple, 0.576f, 0.439f, 0.859f)      \
    X(MediumSeaGreen, 0.235f, 0.702f, 0.443f) X(DarkOrchid, 0.6f, 0.196f, 0.8f)          \
    X(MediumSlateBlue, 0.482f, 0.408f, 0.933f) X(MediumSpringGreen, 0.0f, 0.98f, 0.604f) \
    X(MediumTurquoise, 0.282f, 0.82f, 0.8f) X(MediumVioletRed, 0.78f, 0.082f, 0.522f)    \
    X(MidnightBlue, 0.098f, 0.098f, 0.439f) X(MintCream, 0.961f, 1.0f, 0.98f)            \
    X(MistyRose, 1.0f, 0.894f, 0.882f) X(Moccasin, 1.0f, 0.894f, 0.71f)                  \
    X(Moss, 0.42f, 0.549f, 0.239f) X(NavajoWhite, 1.0f, 0.871f, 0.678f)                  \
    X(Navy, 0.0f, 0.0f, 0.502f) X(OldLace, 0.992f, 0.961f, 0.902f)                       \
    X(Olive, 0.502f, 0.502f, 0.0f) X(OliveDrab, 0.42f, 0.557f, 0.137f)                   \
    X(OrangeRed, 1.0f, 0.271f, 0.0f) X(Orchid, 0.855f, 0.439f, 0.839f)                   \
    X(PaleGoldenrod, 0.933f, 0.91f, 0.667f) X(PaleGreen, 0.596f, 0.984f, 0.596f)         \
    X(PaleTurquoise, 0.686f, 0.933f, 0.933f) X(PaleVioletRed, 0.859f, 0.439f, 0.576f)    \
    X(PapayaWhip, 1.0f, 0.937f, 0.835f) X(PeachPuff, 1.0f, 0.855f, 0.725f)               \
    X(Peru, 0.804f, 0.522f, 0.247f) X(Plum, 0.867f, 0.627f, 0.867f)                      \
    X(PowderBlue, 0.69f, 0.878f, 0.902f) X(RebeccaPurple, 0.4f, 0.2f, 0.6f)              \
    X(RosyBrown, 0.737f, 0.561f, 0.561f) X(RoyalBlue, 0.255f, 0.412f, 0.882f)            \
    X(Rust, 0.722f, 0.251f, 0.051f) X(SaddleBrown, 0.545f, 0.271f, 0.075f)               \
    X(Salmon, 0.98f, 0.502f, 0.447f) X(SeaGreen, 0.18f, 0.545f, 0.341f)                  \
    X(Silver, 0.753f, 0.753f, 0.753f) X(SeaShell, 1.0f, 0.961f, 0.933f)                  \
    X(SkyBlue, 0.529f, 0.808f, 0.922f) X(SlateBlue, 0.416f, 0.353f, 0.804f)              \
    X(SlateGray, 0.439f, 0.502f, 0.565f) X(Snow, 1.0f, 0.98f, 0.98f)                     \
    X(SpringGreen, 0.0f, 1.0f, 0.498f) X(SteelBlue, 0.275f, 0.51f, 0.706f)               \
    X(Tan, 0.824f, 0.706f, 0.549f) X(Teal, 0.0f, 0.502f, 0.502f)                         \
    X(Thistle, 0.847f, 0.749f, 0.847f) X(Tomato, 1.0f, 0.388f, 0.278f)                   \
    X(Turquoise, 0.251f, 0.878f, 0.816f) X(Violet, 0.933f, 0.51f, 0.933f)                \
    X(Wheat, 0.961f, 0.871f, 0.702f) X(WhiteSmoke, 0.961f, 0.961f, 0.961f)               \
    X(YellowGreen, 0.604f, 0.804f, 0.196f) X(Pop, 0.8f, 0.8f, 0.8f)                      \
    X(None, 0.0f, 0.0f, 0.0f) X(Amethyst, 0.6f, 0.4f, 0.8f)                              \
    X(Ember, 1.0f, 0.451f, 0.098f)

#define EMBERLODE_COLOR_CONSTANT(name, red, green, blue) name,
#define EMBERLODE_COLOR_ONE(name, red, green, blue) +1

namespace ColorType {
enum Value : int32_t { EMBERLODE_COLOR_TYPE(EMBERLODE_COLOR_CONSTANT) };
constexpr int32_t kCount = 0 EMBERLODE_COLOR_TYPE(EMBERLODE_COLOR_ONE);
// What an unknown name gives; also the map colour that means "no blip".
constexpr int32_t kDefault = None;
static_assert(kCount == 149, "the colour table holds 149 colours");
} // namespace ColorType

class ColorSystem : public BaseClass {
public:
    ColorSystem();

    // An index outside the table gives entry 0; without a colour system the output is left as it was.
    static void GetColorByIndex(float& red, float& green, float& blue, int32_t index);
    // The "ColorType" name of an entry; empty outside the table.
    static std::string_view GetColorName(int32_t index);
    // "^c" and the index in three digits (the inline codes themselves are in core/ColorCode.h).
    static std::string MakeColorCode(int32_t index);

private:
    Color colors[ColorType::kCount];
};

extern ColorSystem* gColorSystem;

// The empty text gives entry 10; a "ColorType" name (case ignored) gives that entry; any other
// text is read as three numbers red, green and blue separated by blanks (missing ones 0).
Color ParseColor(std::string_view text);
