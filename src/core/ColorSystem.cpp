// ColorSystem -- the table of 149 named colours and colour parsing.
#include "core/ColorSystem.h"

#include "core/ColorCode.h"
#include "core/EnumTable.h"
#include "core/StringUtil.h"

#include <cmath>

ColorSystem* gColorSystem = nullptr;

namespace {

#define EMBERLODE_COLOR_VALUE(name, red, green, blue) Color{red, green, blue},
#define EMBERLODE_COLOR_TEXT(name, red, green, blue) #name,

constexpr Color kColors[] = {EMBERLODE_COLOR_TYPE(EMBERLODE_COLOR_VALUE)};
constexpr const char* kColorNames[] = {EMBERLODE_COLOR_TYPE(EMBERLODE_COLOR_TEXT)};

#undef EMBERLODE_COLOR_VALUE
#undef EMBERLODE_COLOR_TEXT

constexpr int32_t kEmptyTextColor = ColorType::Black;

// Reads up to three blank-separated numbers; a missing or non-finite one is 0.
Color ParseNumbers(std::string_view text)
{
    float values[3] = {0.0f, 0.0f, 0.0f};
    size_t position = 0;
    for (float& value : values) {
        while (position < text.size() && (text[position] == ' ' || text[position] == '\t'))
            ++position;
        size_t end = position;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t')
            ++end;
        if (end > position) {
            float parsed = ParseFloat(text.substr(position, end - position));
            value = std::isfinite(parsed) ? parsed : 0.0f;
        }
        position = end;
    }
    return Color{values[0], values[1], values[2]};
}

const EnumTable* ColorTypeTable()
{
    static const EnumTable* table = EnumTable::Find("ColorType");
    return table;
}

} // namespace

ColorSystem::ColorSystem()
{
    for (int32_t i = 0; i < ColorType::kCount; ++i)
        colors[i] = kColors[i];
}

void ColorSystem::GetColorByIndex(float& red, float& green, float& blue, int32_t index)
{
    if (!gColorSystem)
        return;
    if (index < 0 || index >= ColorType::kCount)
        index = 0;
    const Color& color = gColorSystem->colors[index];
    red = color.r;
    green = color.g;
    blue = color.b;
}

std::string_view ColorSystem::GetColorName(int32_t index)
{
    if (index < 0 || index >= ColorType::kCount)
        return {};
    return kColorNames[index];
}

std::string ColorSystem::MakeColorCode(int32_t index)
{
    return ::MakeColorCode(index);
}

Color ParseColor(std::string_view text)
{
    Color color;
    if (text.empty()) {
        ColorSystem::GetColorByIndex(color.r, color.g, color.b, kEmptyTextColor);
        return color;
    }
    const EnumTable* names = ColorTypeTable();
    int32_t index = names ? names->Lookup(text, true) : ColorType::kDefault;
    // The default is also what a miss gives, so it is read as numbers; its own name reads as 0 0 0,
    // which is its colour.
    if (index == ColorType::kDefault)
        return ParseNumbers(text);
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}
