// CursorGen -- the mouse cursor pictures (normal, attack, loot, use, grab, talk, busy) and the round glow menus draw over a widget.
#include "gen/ArchiveWriter.h"
#include "gen/ContentFamilies.h"
#include "gen/Image.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace {

constexpr int kCursorSide = 32;
const Color kCursorInk{0.05f, 0.04f, 0.03f, 1.0f};
const Color kCursorClear{0.0f, 0.0f, 0.0f, 0.0f};

// A 32 x 32 picture of one colour where the shape holds, outlined in dark ink.
Image CursorPicture(const Color& fill, const std::function<bool(float x, float y)>& inside)
{
    Image image(kCursorSide, kCursorSide, true);
    image.Fill(kCursorClear);
    for (int y = 0; y < kCursorSide; ++y) {
        for (int x = 0; x < kCursorSide; ++x) {
            float cx = static_cast<float>(x) + 0.5f;
            float cy = static_cast<float>(y) + 0.5f;
            if (inside(cx, cy)) {
                image.Set(x, y, fill);
                continue;
            }
            bool edge = false;
            for (int dy = -1; dy <= 1 && !edge; ++dy)
                for (int dx = -1; dx <= 1 && !edge; ++dx)
                    edge = inside(cx + static_cast<float>(dx), cy + static_cast<float>(dy));
            if (edge)
                image.Set(x, y, kCursorInk);
        }
    }
    return image;
}

bool CursorArrow(float x, float y)
{
    // The point at the top left, where the hot spot is.
    return x >= 1.0f && y >= 1.0f && x <= y * 0.62f + 1.0f && y <= 22.0f - (x - 1.0f) * 0.3f;
}

bool CursorBlade(float x, float y)
{
    float along = (x + y) * 0.7071f;
    float across = std::fabs(x - y) * 0.7071f;
    bool blade = along > 1.0f && along < 30.0f && across < 2.2f;
    bool guard = std::fabs(along - 24.0f) < 1.6f && across < 6.5f;
    return blade || guard || CursorArrow(x * 2.0f, y * 2.0f);
}

bool CursorBag(float x, float y)
{
    float dx = x - 18.0f;
    float dy = y - 20.0f;
    bool body = dx * dx / 100.0f + dy * dy / 81.0f < 1.0f;
    bool neck = std::fabs(x - 18.0f) < 3.0f && y > 7.0f && y < 12.0f;
    return body || neck || CursorArrow(x * 2.0f, y * 2.0f);
}

bool CursorGear(float x, float y)
{
    float dx = x - 18.0f;
    float dy = y - 18.0f;
    float radius = std::sqrt(dx * dx + dy * dy);
    float teeth = 9.0f + 2.5f * (std::cos(8.0f * std::atan2(dy, dx)) > 0.3f ? 1.0f : 0.0f);
    return (radius < teeth && radius > 3.5f) || CursorArrow(x * 2.0f, y * 2.0f);
}

bool CursorFist(float x, float y)
{
    float dx = x - 16.0f;
    float dy = y - 17.0f;
    bool palm = std::fabs(dx) < 9.0f && std::fabs(dy) < 8.0f;
    bool knuckles = y > 6.0f && y < 10.0f && std::fabs(dx) < 8.0f && std::fmod(x, 4.0f) > 0.8f;
    return palm || knuckles;
}

bool CursorBubble(float x, float y)
{
    float dx = x - 16.0f;
    float dy = y - 13.0f;
    bool bubble = dx * dx / 169.0f + dy * dy / 81.0f < 1.0f;
    bool tail = y >= 20.0f && y < 29.0f && x > 9.0f && x < 9.0f + (29.0f - y) * 0.6f;
    return bubble || tail;
}

bool CursorHourglass(float x, float y)
{
    float dy = std::fabs(y - 16.0f);
    bool glass = y > 4.0f && y < 28.0f && std::fabs(x - 16.0f) < 1.5f + dy * 0.7f;
    bool caps = (std::fabs(y - 3.5f) < 1.5f || std::fabs(y - 28.5f) < 1.5f) && std::fabs(x - 16.0f) < 11.0f;
    return glass || caps;
}

// White at the centre, fading to clear at the rim: tinted and faded by the widget that glows.
Image GlowCircle()
{
    constexpr int kSide = 64;
    Image image(kSide, kSide, true);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            float dx = (static_cast<float>(x) + 0.5f) / (kSide / 2.0f) - 1.0f;
            float dy = (static_cast<float>(y) + 0.5f) / (kSide / 2.0f) - 1.0f;
            float fade = std::clamp(1.0f - std::sqrt(dx * dx + dy * dy), 0.0f, 1.0f);
            image.Set(x, y, {1.0f, 1.0f, 1.0f, fade * fade});
        }
    }
    return image;
}

} // namespace

bool GenerateCursors(ArchiveWriter& archive)
{
    struct Picture {
        const char* path;
        Color fill;
        bool (*inside)(float, float);
    };
    const Picture pictures[] = {
        {"Textures/cursors/normalCursor.tga", {0.95f, 0.9f, 0.8f, 1.0f}, CursorArrow},
        {"Textures/cursors/attackCursor.tga", {0.85f, 0.2f, 0.15f, 1.0f}, CursorBlade},
        {"Textures/cursors/lootCursor.tga", {0.9f, 0.75f, 0.3f, 1.0f}, CursorBag},
        {"Textures/cursors/useCursor.tga", {0.6f, 0.75f, 0.9f, 1.0f}, CursorGear},
        {"Textures/cursors/grabbedCursor.tga", {0.9f, 0.8f, 0.65f, 1.0f}, CursorFist},
        {"Textures/cursors/talkCursor.tga", {0.95f, 0.95f, 0.95f, 1.0f}, CursorBubble},
        {"Textures/cursors/busyCursor.tga", {0.85f, 0.7f, 0.4f, 1.0f}, CursorHourglass},
    };
    for (const Picture& picture : pictures)
        if (!archive.Add(picture.path, CursorPicture(picture.fill, picture.inside).ToTarga()))
            return false;
    return archive.Add("Textures/circle.tga", GlowCircle().ToTarga());
}
