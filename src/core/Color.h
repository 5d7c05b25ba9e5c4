// Color -- one red, green and blue colour as three floats, and its packed and written forms.
#pragma once

#include <cstdint>
#include <string>

// Three floats, red, green and blue; on the 0 to 1 scale unless an operation says otherwise.
struct Color {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;

};

// "#" and two lower-case hexadecimal digits per channel, red first.
std::string ColorToHexString(const Color& color);
