// Color -- one red, green and blue colour as three floats, and its packed and written forms.
#include "core/Color.h"

#include "core/StringUtil.h"

#include <cmath>

namespace {

// Rounds to the nearest whole number and clamps into a byte; NaN reads as 0.
uint32_t ToByte(float value)
{
    if (!(value == value))
        return 0;
    float rounded = std::floor(value + 0.5f);
    if (rounded <= 0.0f)
        return 0;
    if (rounded >= 255.0f)
        return 255;
    return static_cast<uint32_t>(rounded);
}

} // namespace

uint16_t Color::ToRgb565(float red, float green, float blue)
{
    return static_cast<uint16_t>(((ToByte(red) & 0xF8) << 8) | ((ToByte(green) & 0xFC) << 3) | (ToByte(blue) >> 3));
}

uint32_t Color::ToRGBA32(const Color& color, float alpha)
{
    return ToByte(color.r * 255.0f) | (ToByte(color.g * 255.0f) << 8) | (ToByte(color.b * 255.0f) << 16) |
           (ToByte(alpha * 255.0f) << 24);
}

void Color::ScaleToUnit(Color& color)
{
    float largest = std::fmax(color.r, std::fmax(color.g, color.b));
    if (largest >= 1.0f) {
        color.r /= largest;
        color.g /= largest;
        color.b /= largest;
    }
}

std::string ColorToHexString(const Color& color)
{
    return StringFormat("#%02x%02x%02x", ToByte(color.r * 255.0f), ToByte(color.g * 255.0f),
                        ToByte(color.b * 255.0f));
}
