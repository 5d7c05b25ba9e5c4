// Color -- one red, green and blue colour as three floats, and its packed and written forms.
#pragma once

#include <cstdint>
#include <string>

// Three floats, red, green and blue; on the 0 to 1 scale unless an operation says otherwise.
struct Color {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;

    // Components on the 0 to 255 scale, each rounded and clamped, packed 5-6-5 (red highest).
    static uint16_t ToRgb565(float red, float green, float blue);
    // Bytes R, G, B, A from the low end, each channel times 255 rounded and clamped.
    static uint32_t ToRGBA32(const Color& color, float alpha);
    // Divides the components by the largest one when that is 1 or more, so the hue stays.
    static void ScaleToUnit(Color& color);
};

// "#" and two lower-case hexadecimal digits per channel, red first.
std::string ColorToHexString(const Color& color);
