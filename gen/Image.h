// Image -- a picture the generator draws on, top row first, written out as a Targa file.
#pragma once

#include <cstdint>
#include <vector>

struct Color {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;
};

Color Mix(const Color& from, const Color& to, float t);
Color Scale(const Color& color, float factor);

class Image {
public:
    // withAlpha: written as 32-bit, else 24-bit.
    Image(int width, int height, bool withAlpha);

    int Width() const { return width; }
    int Height() const { return height; }
    // Coordinates outside the picture are ignored (Set) or read as transparent black (Get).
    void Set(int x, int y, const Color& color);
    Color Get(int x, int y) const;
    void Fill(const Color& color);
    void FillRect(int left, int top, int right, int bottom, const Color& color);

    // An uncompressed true-colour Targa (image type 2, descriptor 0): the bottom row first, as
    // the format's default origin has it, so the engine's texture shows the picture upright.
    std::vector<uint8_t> ToTarga() const;

private:
    int width;
    int height;
    bool withAlpha;
    std::vector<Color> pixels;
};
