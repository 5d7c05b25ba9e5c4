// Image -- a picture the generator draws on, top row first, written out as a Targa file.
#include "gen/Image.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t ImageToByte(float value)
{
    return static_cast<uint8_t>(std::clamp(static_cast<int>(std::floor(value * 255.0f + 0.5f)), 0, 255));
}

} // namespace

Color Mix(const Color& from, const Color& to, float t)
{
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
            from.a + (to.a - from.a) * t};
}

Color Scale(const Color& color, float factor)
{
    return {color.r * factor, color.g * factor, color.b * factor, color.a};
}

Image::Image(int width, int height, bool withAlpha)
    : width(width), height(height), withAlpha(withAlpha), pixels(static_cast<size_t>(width) * height)
{
}

void Image::Set(int x, int y, const Color& color)
{
    if (x >= 0 && y >= 0 && x < width && y < height)
        pixels[static_cast<size_t>(y) * width + x] = color;
}

Color Image::Get(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return {0.0f, 0.0f, 0.0f, 0.0f};
    return pixels[static_cast<size_t>(y) * width + x];
}

void Image::Fill(const Color& color)
{
    std::fill(pixels.begin(), pixels.end(), color);
}

void Image::FillRect(int left, int top, int right, int bottom, const Color& color)
{
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x)
            Set(x, y, color);
    }
}

std::vector<uint8_t> Image::ToTarga() const
{
    int bytesPerPixel = withAlpha ? 4 : 3;
    std::vector<uint8_t> out(18, 0);
    out[2] = 2;
    out[12] = static_cast<uint8_t>(width);
    out[13] = static_cast<uint8_t>(width >> 8);
    out[14] = static_cast<uint8_t>(height);
    out[15] = static_cast<uint8_t>(height >> 8);
    out[16] = static_cast<uint8_t>(bytesPerPixel * 8);
    out.reserve(out.size() + static_cast<size_t>(width) * height * bytesPerPixel);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Color& color = pixels[static_cast<size_t>(y) * width + x];
            out.push_back(ImageToByte(color.b));
            out.push_back(ImageToByte(color.g));
            out.push_back(ImageToByte(color.r));
            if (withAlpha)
                out.push_back(ImageToByte(color.a));
        }
    }
    return out;
}
