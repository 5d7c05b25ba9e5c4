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

std::string ColorToHexString(const Color& color)
{
    return StringFormat("#%02x%02x%02x", ToByte(color.r * 255.0f), ToByte(color.g * 255.0f),
                        ToByte(color.b * 255.0f));
}
