// TextureGen -- the procedural textures: plain colours, checker and gradients, UI frames, effect sprites, tiles, font pages.
#include "gen/ArchiveWriter.h"
#include "gen/ContentFamilies.h"
#include "gen/FontGlyphs.h"
#include "gen/Image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// ---- Noise that tiles: lattice values wrap with the period, so a tile meets itself seamlessly.

uint32_t TextureNoiseHash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x85EBCA6Bu;
    h ^= h >> 16;
    return h;
}

float HashUnit(uint32_t x, uint32_t y, uint32_t seed)
{
    return static_cast<float>(TextureNoiseHash(x, y, seed) & 0xFFFF) / 65535.0f;
}

float SmoothStep(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

// x and y in lattice cells; period cells across.
float ValueNoise(float x, float y, int period, uint32_t seed)
{
    int x0 = static_cast<int>(std::floor(x));
    int y0 = static_cast<int>(std::floor(y));
    float fx = SmoothStep(x - static_cast<float>(x0));
    float fy = SmoothStep(y - static_cast<float>(y0));
    auto at = [&](int ix, int iy) {
        return HashUnit(static_cast<uint32_t>(((ix % period) + period) % period),
                        static_cast<uint32_t>(((iy % period) + period) % period), seed);
    };
    float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
    float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
    return top + (bottom - top) * fy;
}

// Octaves of value noise over a square of side pixels, starting at period cells across; 0 to 1.
float Fractal(int px, int py, int side, int period, int octaves, uint32_t seed)
{
    float sum = 0.0f;
    float weight = 1.0f;
    float total = 0.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        float cells = static_cast<float>(period << octave);
        float u = static_cast<float>(px) * cells / static_cast<float>(side);
        float v = static_cast<float>(py) * cells / static_cast<float>(side);
        sum += ValueNoise(u, v, period << octave, seed + static_cast<uint32_t>(octave)) * weight;
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

bool AddImage(ArchiveWriter& archive, const std::string& path, const Image& image)
{
    return archive.Add(path, image.ToTarga());
}

// ---- Plain colours, checker, gradients.

Image Solid(const Color& color)
{
    Image image(16, 16, false);
    image.Fill(color);
    return image;
}

Image Checker()
{
    Image image(64, 64, false);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            float shade = ((x / 8 + y / 8) % 2 == 0) ? 0.9f : 0.4f;
            image.Set(x, y, {shade, shade, shade, 1.0f});
        }
    }
    return image;
}

// Black to white along x (across) or y (down); with alpha the ramp is in the alpha of white.
Image Gradient(int width, int height, bool across, bool inAlpha)
{
    Image image(width, height, inAlpha);
    int length = across ? width : height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float t = static_cast<float>(across ? x : y) / static_cast<float>(length - 1);
            image.Set(x, y, inAlpha ? Color{1.0f, 1.0f, 1.0f, t} : Color{t, t, t, 1.0f});
        }
    }
    return image;
}

// ---- UI frames: a dark outline, a bevelled metal border, an inner line and a fill.

struct FrameStyle {
    Color light;
    Color dark;
    Color fillTop;
    Color fillBottom;
    int border;
    bool sunken;
};

const Color kOutline = {0.04f, 0.03f, 0.02f, 1.0f};

Image Frame(int width, int height, const FrameStyle& style)
{
    Image image(width, height, true);
    for (int y = 0; y < height; ++y) {
        float t = static_cast<float>(y) / static_cast<float>(height - 1);
        for (int x = 0; x < width; ++x)
            image.Set(x, y, Mix(style.fillTop, style.fillBottom, t));
    }
    for (int ring = 0; ring <= style.border + 1; ++ring) {
        for (int x = ring; x < width - ring; ++x) {
            for (int y = ring; y < height - ring; ++y) {
                bool onRing = x == ring || y == ring || x == width - 1 - ring || y == height - 1 - ring;
                if (!onRing)
                    continue;
                bool upperLeft = x == ring || y == ring;
                Color metal = (upperLeft != style.sunken) ? style.light : style.dark;
                bool edge = ring == 0 || ring == style.border + 1;
                image.Set(x, y, edge ? kOutline : Mix(metal, style.dark, 0.25f * static_cast<float>(ring - 1)));
            }
        }
    }
    return image;
}

// Small studs in the corners of the border.
void AddStuds(Image& image, int inset, const Color& color)
{
    const int corners[4][2] = {{inset, inset},
                               {image.Width() - 1 - inset, inset},
                               {inset, image.Height() - 1 - inset},
                               {image.Width() - 1 - inset, image.Height() - 1 - inset}};
    for (const auto& corner : corners) {
        image.Set(corner[0], corner[1], color);
        image.Set(corner[0] - 1, corner[1], Scale(color, 0.7f));
        image.Set(corner[0], corner[1] - 1, Scale(color, 0.85f));
    }
}

const Color kBronzeLight = {0.78f, 0.62f, 0.36f, 1.0f};
const Color kBronzeDark = {0.36f, 0.25f, 0.13f, 1.0f};

// The screens' shared pieces: a stat bar's fill, white so that each bar tints it its own colour,
// and the dark, faintly clouded backdrop behind the full-screen menus (tiled, so it wraps).
bool AddScreenParts(ArchiveWriter& archive)
{
    Image fill(64, 16, true);
    for (int y = 0; y < fill.Height(); ++y) {
        float t = static_cast<float>(y) / static_cast<float>(fill.Height() - 1);
        float shine = t < 0.35f ? 1.0f : 1.0f - 0.45f * (t - 0.35f) / 0.65f;
        for (int x = 0; x < fill.Width(); ++x)
            fill.Set(x, y, {shine, shine, shine, 1.0f});
    }
    Image backdrop(128, 128, false);
    for (int y = 0; y < backdrop.Height(); ++y) {
        for (int x = 0; x < backdrop.Width(); ++x) {
            float cloud = Fractal(x, y, 128, 4, 4, 77);
            backdrop.Set(x, y, {0.05f + 0.07f * cloud, 0.035f + 0.045f * cloud, 0.025f + 0.03f * cloud, 1.0f});
        }
    }
    // The covenant cards' lifestone bar: green, darker at the left end, with the fill's shine.
    Image green(64, 8, true);
    for (int y = 0; y < green.Height(); ++y) {
        float shine = y < 3 ? 1.0f : 0.75f;
        for (int x = 0; x < green.Width(); ++x) {
            float t = static_cast<float>(x) / static_cast<float>(green.Width() - 1);
            green.Set(x, y, {0.08f * shine, (0.45f + 0.5f * t) * shine, 0.1f * shine, 1.0f});
        }
    }
    return AddImage(archive, "Textures/UI/bar_fill.tga", fill) && AddImage(archive, "Textures/UI/backdrop.tga", backdrop) &&
           AddImage(archive, "Textures/UI/gradiant_green.tga", green);
}

bool AddFrames(ArchiveWriter& archive)
{
    // Opaque: a window over the in-game bar or another window hides what lies under it, where a
    // see-through face let the bar's words show between the window's own rows.
    // The screens stretch a frame over the widget, so its metal is the same share of every
    // widget's width and height: drawn large, that share stays a thin rim on a big window or a
    // long field (a 64-pixel window's rim took 30 units of a tall window, and its heading sat on it).
    Image window = Frame(256, 256, {kBronzeLight, kBronzeDark, {0.11f, 0.09f, 0.07f, 1.0f}, {0.07f, 0.05f, 0.04f, 1.0f}, 3, false});
    AddStuds(window, 2, {0.95f, 0.85f, 0.6f, 1.0f});
    Image button = Frame(128, 64, {kBronzeLight, kBronzeDark, {0.34f, 0.25f, 0.15f, 1.0f}, {0.19f, 0.13f, 0.08f, 1.0f}, 2, false});
    Image pressed = Frame(128, 64, {kBronzeLight, kBronzeDark, {0.15f, 0.11f, 0.07f, 1.0f}, {0.24f, 0.17f, 0.10f, 1.0f}, 2, true});
    Image slot = Frame(256, 256, {kBronzeLight, kBronzeDark, {0.05f, 0.04f, 0.03f, 0.9f}, {0.09f, 0.07f, 0.05f, 0.9f}, 1, true});
    Image tooltip = Frame(32, 32, {{0.7f, 0.7f, 0.65f, 1.0f}, {0.45f, 0.45f, 0.42f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.8f}, {0.02f, 0.02f, 0.03f, 0.8f}, 1, false});
    return AddImage(archive, "Textures/UI/frame_window.tga", window) && AddScreenParts(archive) &&
           AddImage(archive, "Textures/UI/frame_button.tga", button) &&
           AddImage(archive, "Textures/UI/frame_button_pressed.tga", pressed) &&
           AddImage(archive, "Textures/UI/frame_slot.tga", slot) &&
           AddImage(archive, "Textures/UI/frame_tooltip.tga", tooltip);
}

// ---- Widget parts: scroll-bar arrows, tracks and thumbs, the slider, the hover outline.

// A raised 16 x 16 button with a light triangle pointing up, down, left or right.
Image ScrollArrow(int direction)
{
    Image image = Frame(16, 16, {kBronzeLight, kBronzeDark, {0.34f, 0.25f, 0.15f, 1.0f}, {0.19f, 0.13f, 0.08f, 1.0f}, 1, false});
    const Color tip = {0.95f, 0.85f, 0.6f, 1.0f};
    for (int row = 0; row < 5; ++row) {
        for (int across = -row; across <= row; ++across) {
            int along = 5 + row;
            int side = 8 + across;
            switch (direction) {
            case 0: image.Set(side, along, tip); break;
            case 1: image.Set(side, 15 - along, tip); break;
            case 2: image.Set(along, side, tip); break;
            default: image.Set(15 - along, side, tip); break;
            }
        }
    }
    return image;
}

// A tick drawn three pixels thick on a clear square, to lie over the check box's frame.
Image CheckTick()
{
    Image image(16, 16, true);
    image.Fill({0.0f, 0.0f, 0.0f, 0.0f});
    const Color ink = {0.45f, 1.0f, 0.35f, 1.0f};
    for (int x = 3; x <= 12; ++x) {
        int y = x <= 6 ? 6 + x : 18 - x;
        for (int thick = -1; thick <= 1; ++thick)
            image.Set(x, y + thick, ink);
    }
    return image;
}

// The open list behind drop-down choices and the closed box's face.
bool AddDropDownParts(ArchiveWriter& archive)
{
    const FrameStyle box = {kBronzeDark, kBronzeLight, {0.08f, 0.06f, 0.04f, 0.95f}, {0.14f, 0.1f, 0.06f, 0.95f}, 1, true};
    // The open list hides wholly what it drops over: its choices are read over other words.
    const FrameStyle list = {kBronzeLight, kBronzeDark, {0.12f, 0.09f, 0.06f, 1.0f}, {0.06f, 0.05f, 0.03f, 1.0f}, 1, false};
    return AddImage(archive, "Textures/UI/checkbox_uncheck.tga", Frame(16, 16, box)) &&
           AddImage(archive, "Textures/UI/checkbox.tga", CheckTick()) &&
           AddImage(archive, "Textures/UI/scrollbar_downarrow.tga", ScrollArrow(1)) &&
           AddImage(archive, "Textures/UI/dropdown_bg.tga", Frame(128, 16, box)) &&
           AddImage(archive, "Textures/UI/dropdown_menu.tga", Frame(128, 64, list));
}

// A square frame of the colour, `width` pixels thick, over a clear middle.
Image SlotRing(int side, int width, const Color& colour)
{
    Image ring(side, side, true);
    ring.Fill({0.0f, 0.0f, 0.0f, 0.0f});
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if (x < width || y < width || x >= side - width || y >= side - width)
                ring.Set(x, y, colour);
    return ring;
}

// Thin diagonal stripes over a clear ground: the veil over an item nobody has identified.
Image SlotVeil(int side)
{
    Image veil(side, side, true);
    veil.Fill({0.0f, 0.0f, 0.0f, 0.0f});
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if ((x + y) % 8 < 2)
                veil.Set(x, y, {0.55f, 0.35f, 0.85f, 0.8f});
    return veil;
}

bool AddSlotOverlays(ArchiveWriter& archive)
{
    return AddImage(archive, "Textures/UI/slot_highlight.tga", SlotRing(32, 3, {0.35f, 0.95f, 0.35f, 1.0f})) &&
           AddImage(archive, "Textures/UI/slot_highlight_bad.tga", SlotRing(32, 3, {0.95f, 0.25f, 0.2f, 1.0f})) &&
           AddImage(archive, "Textures/UI/item_outline.tga", SlotRing(32, 1, {1.0f, 1.0f, 1.0f, 1.0f})) &&
           AddImage(archive, "Textures/UI/unidentified.tga", SlotVeil(32)) &&
           AddImage(archive, "Textures/outline.tga", SlotRing(32, 2, {1.0f, 1.0f, 1.0f, 1.0f}));
}

bool AddWidgetParts(ArchiveWriter& archive)
{
    const FrameStyle track = {kBronzeDark, kBronzeLight, {0.05f, 0.04f, 0.03f, 0.9f}, {0.09f, 0.07f, 0.05f, 0.9f}, 1, true};
    const FrameStyle thumb = {kBronzeLight, kBronzeDark, {0.6f, 0.45f, 0.25f, 1.0f}, {0.4f, 0.28f, 0.15f, 1.0f}, 1, false};
    Image outline(32, 32, true);
    for (int ring = 0; ring < 2; ++ring) {
        for (int i = ring; i < 32 - ring; ++i) {
            const Color gold = {1.0f, 0.85f, 0.3f, 1.0f};
            outline.Set(i, ring, gold);
            outline.Set(i, 31 - ring, gold);
            outline.Set(ring, i, gold);
            outline.Set(31 - ring, i, gold);
        }
    }
    Image notch = Frame(8, 32, thumb);
    Image bar = Frame(64, 16, track);
    return AddImage(archive, "Textures/UI/scroll_up.tga", ScrollArrow(0)) &&
           AddImage(archive, "Textures/UI/scroll_down.tga", ScrollArrow(1)) &&
           AddImage(archive, "Textures/UI/scroll_left.tga", ScrollArrow(2)) &&
           AddImage(archive, "Textures/UI/scroll_right.tga", ScrollArrow(3)) &&
           AddImage(archive, "Textures/UI/scroll_track.tga", Frame(16, 64, track)) &&
           AddImage(archive, "Textures/UI/scroll_thumb.tga", Frame(16, 32, thumb)) &&
           AddImage(archive, "Textures/UI/scroll_track_horiz.tga", Frame(64, 16, track)) &&
           AddImage(archive, "Textures/UI/scroll_thumb_horiz.tga", Frame(32, 16, thumb)) &&
           AddImage(archive, "Textures/UI/slider_bar.tga", bar) &&
           AddImage(archive, "Textures/UI/slider_notch.tga", notch) &&
           AddImage(archive, "Textures/skillOutline.tga", outline) && AddDropDownParts(archive) &&
           AddSlotOverlays(archive);
}

// ---- The help boxes' frame: eight pieces stretched along the edges and into the corners. Each
// runs from the box's outside (row 0) inward: a dark outline, two rows of pale bronze, a dark
// line, then clear, so that the box's own background shows through.

Color HelpBorderShade(int depth)
{
    const Color pale = {0.86f, 0.74f, 0.5f, 1.0f};
    switch (depth) {
    case 0: return kOutline;
    case 1: return pale;
    case 2: return Scale(pale, 0.8f);
    case 3: return {0.3f, 0.21f, 0.11f, 0.9f};
    default: return {0.0f, 0.0f, 0.0f, 0.0f};
    }
}

// An edge piece 16 long and 8 deep; side 0 top, 1 bottom, 2 left, 3 right.
Image HelpBorderEdge(int side)
{
    bool across = side < 2;
    Image image(across ? 16 : 8, across ? 8 : 16, true);
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            int depth = side == 0 ? y : side == 1 ? 7 - y : side == 2 ? x : 7 - x;
            image.Set(x, y, HelpBorderShade(depth));
        }
    }
    return image;
}

// A corner 8 x 8, the nearer of its two edges winning, with a bright stud where they meet;
// cornerX and cornerY: 0 for the left or top, 1 for the right or bottom.
Image HelpBorderCorner(int cornerX, int cornerY)
{
    Image image(8, 8, true);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            int dx = cornerX == 0 ? x : 7 - x;
            int dy = cornerY == 0 ? y : 7 - y;
            image.Set(x, y, HelpBorderShade(std::min(dx, dy)));
        }
    }
    image.Set(cornerX == 0 ? 2 : 5, cornerY == 0 ? 2 : 5, {1.0f, 0.92f, 0.68f, 1.0f});
    return image;
}

bool AddHelpBorders(ArchiveWriter& archive)
{
    return AddImage(archive, "Textures/helpBorderTop.tga", HelpBorderEdge(0)) &&
           AddImage(archive, "Textures/helpBorderBottom.tga", HelpBorderEdge(1)) &&
           AddImage(archive, "Textures/helpBorderLeft.tga", HelpBorderEdge(2)) &&
           AddImage(archive, "Textures/helpBorderRight.tga", HelpBorderEdge(3)) &&
           AddImage(archive, "Textures/helpBorderUpperLeft.tga", HelpBorderCorner(0, 0)) &&
           AddImage(archive, "Textures/helpBorderUpperRight.tga", HelpBorderCorner(1, 0)) &&
           AddImage(archive, "Textures/helpBorderLowerLeft.tga", HelpBorderCorner(0, 1)) &&
           AddImage(archive, "Textures/helpBorderLowerRight.tga", HelpBorderCorner(1, 1));
}

// ---- Effect sprites: white, shaped by their alpha, so that effects colour them freely.

template <typename Shape>
Image Sprite(int side, Shape shape)
{
    Image image(side, side, true);
    float half = static_cast<float>(side) / 2.0f;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            float dx = (static_cast<float>(x) + 0.5f - half) / half;
            float dy = (static_cast<float>(y) + 0.5f - half) / half;
            float alpha = std::clamp(shape(dx, dy, x, y), 0.0f, 1.0f);
            image.Set(x, y, {1.0f, 1.0f, 1.0f, alpha});
        }
    }
    return image;
}

float Falloff(float distance, float power)
{
    return distance >= 1.0f ? 0.0f : std::pow(1.0f - distance, power);
}

// The mini-map's shape: an opaque disc whose rim fades over its outer tenth, so that the
// alpha-tested stencil takes the disc and the map's edge reads soft.
bool AddMiniMapMask(ArchiveWriter& archive)
{
    Image mask = Sprite(128, [](float dx, float dy, int, int) {
        return (1.0f - std::sqrt(dx * dx + dy * dy)) * 10.0f;
    });
    // The in-game screen's bronze ring round the disc; clear inside, so the map shows through.
    Image frame(128, 128, true);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            float dx = (static_cast<float>(x) + 0.5f - 64.0f) / 64.0f;
            float dy = (static_cast<float>(y) + 0.5f - 64.0f) / 64.0f;
            float band = std::fabs(std::sqrt(dx * dx + dy * dy) - 0.95f) / 0.05f;
            float light = 0.75f + 0.25f * (dy < 0.0f ? -dy : 0.0f);
            frame.Set(x, y, {0.62f * light, 0.45f * light, 0.25f * light, std::clamp(1.5f - band, 0.0f, 1.0f)});
        }
    }
    return AddImage(archive, "Textures/UI/minimapmask.tga", mask) &&
           AddImage(archive, "Textures/UI/minimapframe.tga", frame);
}

bool AddSprites(ArchiveWriter& archive)
{
    Image soft = Sprite(64, [](float dx, float dy, int, int) { return Falloff(std::sqrt(dx * dx + dy * dy), 2.0f); });
    Image glow = Sprite(64, [](float dx, float dy, int, int) { return Falloff(std::sqrt(dx * dx + dy * dy), 4.0f) * 1.5f; });
    Image spark = Sprite(64, [](float dx, float dy, int, int) {
        float streak = Falloff(std::fabs(dx), 1.5f) * Falloff(std::fabs(dy) * 7.0f, 2.0f);
        float core = Falloff(std::sqrt(dx * dx + dy * dy) * 3.0f, 2.0f);
        return streak + core;
    });
    Image ring = Sprite(64, [](float dx, float dy, int, int) {
        float band = std::fabs(std::sqrt(dx * dx + dy * dy) - 0.72f) / 0.16f;
        return Falloff(band, 2.0f);
    });
    Image smoke = Sprite(64, [](float dx, float dy, int x, int y) {
        float body = Falloff(std::sqrt(dx * dx + dy * dy), 1.5f);
        return body * (0.35f + 0.65f * Fractal(x, y, 64, 4, 3, 71));
    });
    return AddImage(archive, "Textures/Effects/particle_soft.tga", soft) &&
           AddImage(archive, "Textures/Effects/glow.tga", glow) && AddImage(archive, "Textures/Effects/spark.tga", spark) &&
           AddImage(archive, "Textures/Effects/ring.tga", ring) && AddImage(archive, "Textures/Effects/smoke.tga", smoke);
}

// ---- Ground and wall tiles, 128 x 128, seamless.

constexpr int kTile = 128;

Image Earth(uint32_t seed, const Color& tint)
{
    Image image(kTile, kTile, false);
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            float broad = Fractal(x, y, kTile, 4, 4, seed);
            float grit = HashUnit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed + 99);
            float pebble = Fractal(x, y, kTile, 16, 1, seed + 7) > 0.8f ? 0.25f : 0.0f;
            float shade = 0.62f + 0.55f * (broad - 0.5f) + 0.08f * (grit - 0.5f) + pebble;
            image.Set(x, y, Scale(tint, shade));
        }
    }
    return image;
}

Image Grass(uint32_t seed, const Color& tint)
{
    Image image(kTile, kTile, false);
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            float patches = Fractal(x, y, kTile, 4, 3, seed);
            // Blades: noise stretched along y.
            float blades = ValueNoise(static_cast<float>(x) * 0.5f, static_cast<float>(y) * 0.125f, 64, seed + 3);
            Color base = Scale(tint, 0.55f + 0.5f * patches + 0.3f * (blades - 0.5f));
            image.Set(x, y, Mix(base, {0.45f, 0.38f, 0.22f, 1.0f}, patches < 0.3f ? 0.35f : 0.0f));
        }
    }
    return image;
}

// Rows of blocks with mortar between; every other row shifted by half a block when staggered.
Image Masonry(int blockWidth, int blockHeight, bool staggered, uint32_t seed, const Color& tint, const Color& mortar)
{
    Image image(kTile, kTile, false);
    for (int y = 0; y < kTile; ++y) {
        int row = y / blockHeight;
        int shift = staggered && row % 2 == 1 ? blockWidth / 2 : 0;
        for (int x = 0; x < kTile; ++x) {
            int sx = (x + shift) % kTile;
            int column = sx / blockWidth;
            bool joint = sx % blockWidth == 0 || y % blockHeight == 0;
            float stone = 0.75f + 0.3f * HashUnit(static_cast<uint32_t>(column), static_cast<uint32_t>(row), seed);
            float grain = Fractal(x, y, kTile, 8, 3, seed + 5);
            bool lit = sx % blockWidth == 1 || y % blockHeight == 1;
            Color color = joint ? Scale(mortar, 0.8f + 0.3f * grain) : Scale(tint, stone * (0.8f + 0.4f * grain));
            image.Set(x, y, lit && !joint ? Scale(color, 1.12f) : color);
        }
    }
    return image;
}

Image Planks(uint32_t seed, const Color& tint)
{
    Image image(kTile, kTile, false);
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            int plank = x / 16;
            bool gap = x % 16 == 0;
            float grain = ValueNoise(static_cast<float>(x) * 0.5f, static_cast<float>(y) * 0.0625f, 64, seed + plank);
            float tone = 0.7f + 0.3f * HashUnit(static_cast<uint32_t>(plank), 0, seed);
            image.Set(x, y, gap ? Scale(tint, 0.25f) : Scale(tint, tone * (0.75f + 0.4f * grain)));
        }
    }
    return image;
}

// A dense hedge seen from above: rounded clumps of leaves, each lit on its upper left and
// falling into deep shadow where it meets its neighbours, so that a ring of it reads as a
// barrier against the paler, flatter meadow. Clump centres are jittered on a wrapping 5 x 5
// lattice, so the tile meets itself seamlessly.
Image Hedge(uint32_t seed, const Color& tint)
{
    constexpr int kCells = 5;
    constexpr float kCell = static_cast<float>(kTile) / kCells;
    Image image(kTile, kTile, false);
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            // The lattice is warped by noise so the clumps' outlines are ragged, not cobbles.
            float cx = static_cast<float>(x) / kCell + 0.6f * (Fractal(x, y, kTile, 8, 2, seed + 2) - 0.5f);
            float cy = static_cast<float>(y) / kCell + 0.6f * (Fractal(x, y, kTile, 8, 2, seed + 3) - 0.5f);
            cx = std::fmod(cx + kCells, static_cast<float>(kCells));
            cy = std::fmod(cy + kCells, static_cast<float>(kCells));
            int ix = static_cast<int>(cx);
            int iy = static_cast<int>(cy);
            float nearest = 1e9f;
            float second = 1e9f;
            float nearDx = 0.0f;
            float nearDy = 0.0f;
            for (int oy = -1; oy <= 1; ++oy) {
                for (int ox = -1; ox <= 1; ++ox) {
                    uint32_t wx = static_cast<uint32_t>((ix + ox + kCells) % kCells);
                    uint32_t wy = static_cast<uint32_t>((iy + oy + kCells) % kCells);
                    float px = static_cast<float>(ix + ox) + 0.2f + 0.6f * HashUnit(wx, wy, seed);
                    float py = static_cast<float>(iy + oy) + 0.2f + 0.6f * HashUnit(wx, wy, seed + 1);
                    float dx = cx - px;
                    float dy = cy - py;
                    float d = std::sqrt(dx * dx + dy * dy);
                    if (d < nearest) {
                        second = nearest;
                        nearest = d;
                        nearDx = dx;
                        nearDy = dy;
                    } else if (d < second) {
                        second = d;
                    }
                }
            }
            // Near the line between two clumps is the shadow between them.
            float gap = std::clamp((second - nearest) / 0.35f, 0.0f, 1.0f);
            // A dome lit from the upper left: the side facing the light is brighter.
            float light = std::clamp(0.5f - 0.7f * (nearDx + nearDy), 0.0f, 1.0f);
            // Single leaves: fine noise, a few of them catching the light.
            float leaves = Fractal(x, y, kTile, 32, 2, seed + 5);
            float speck = HashUnit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed + 9);
            float shade = (0.4f + 0.7f * light) * (0.45f + 0.9f * leaves) * (0.85f + 0.3f * speck);
            shade *= 0.15f + 0.85f * std::sqrt(gap);
            image.Set(x, y, Scale(tint, shade));
        }
    }
    return image;
}

// The area editor's tiles: a tile without a texture shows as a grey square with a pale edge, and
// the tile under the cursor is washed in yellow inside a yellow ring; the collision overlays'
// squares are white, tinted as they are drawn.
bool AddEditorTiles(ArchiveWriter& archive)
{
    Image outline(32, 32, false);
    outline.Fill({0.22f, 0.22f, 0.24f, 1.0f});
    for (int i = 0; i < 32; ++i) {
        const Color edge = {0.7f, 0.7f, 0.72f, 1.0f};
        outline.Set(i, 0, edge);
        outline.Set(i, 31, edge);
        outline.Set(0, i, edge);
        outline.Set(31, i, edge);
    }
    const Color yellow = {1.0f, 0.9f, 0.2f, 1.0f};
    Image highlight = SlotRing(32, 2, yellow);
    for (int y = 2; y < 30; ++y)
        for (int x = 2; x < 30; ++x)
            highlight.Set(x, y, {yellow.r, yellow.g, yellow.b, 0.3f});
    Image cell(8, 8, false);
    cell.Fill({1.0f, 1.0f, 1.0f, 1.0f});
    return AddImage(archive, "Textures/Editor/EditorCell.tga", cell) &&
           AddImage(archive, "Textures/Editor/EditorOutline.tga", outline) &&
           AddImage(archive, "Textures/Editor/EditorHighlight.tga", highlight);
}

bool AddTiles(ArchiveWriter& archive)
{
    const Color earthTints[5] = {{0.52f, 0.38f, 0.24f, 1.0f},
                                 {0.48f, 0.36f, 0.25f, 1.0f},
                                 {0.56f, 0.42f, 0.27f, 1.0f},
                                 {0.44f, 0.33f, 0.22f, 1.0f},
                                 {0.58f, 0.47f, 0.32f, 1.0f}};
    bool ok = true;
    for (int i = 0; i < 5; ++i) {
        char path[64];
        std::snprintf(path, sizeof(path), "Textures/areas/grasslands/floor_earth_%02d.tga", i + 1);
        ok = ok && AddImage(archive, path, Earth(100 + static_cast<uint32_t>(i) * 17, earthTints[i]));
    }
    const Color grassTints[3] = {{0.30f, 0.50f, 0.18f, 1.0f}, {0.34f, 0.52f, 0.20f, 1.0f}, {0.27f, 0.45f, 0.17f, 1.0f}};
    for (int i = 0; i < 3; ++i) {
        char path[64];
        std::snprintf(path, sizeof(path), "Textures/areas/grasslands/floor_grass_%02d.tga", i + 1);
        ok = ok && AddImage(archive, path, Grass(200 + static_cast<uint32_t>(i) * 13, grassTints[i]));
    }
    const Color stone = {0.55f, 0.55f, 0.53f, 1.0f};
    const Color mortar = {0.22f, 0.21f, 0.20f, 1.0f};
    return ok && AddImage(archive, "Textures/areas/dungeon/floor_stone_01.tga", Masonry(32, 32, false, 301, stone, mortar)) &&
           AddImage(archive, "Textures/areas/dungeon/floor_stone_02.tga", Masonry(32, 32, true, 302, {0.5f, 0.49f, 0.46f, 1.0f}, mortar)) &&
           AddImage(archive, "Textures/areas/dungeon/wall_stone_01.tga", Masonry(32, 16, true, 303, stone, mortar)) &&
           AddImage(archive, "Textures/areas/dungeon/wall_brick_01.tga", Masonry(32, 16, true, 304, {0.58f, 0.27f, 0.19f, 1.0f}, {0.62f, 0.58f, 0.5f, 1.0f})) &&
           AddImage(archive, "Textures/areas/dungeon/wall_wood_01.tga", Planks(305, {0.50f, 0.34f, 0.20f, 1.0f})) &&
           AddEditorTiles(archive);
}

// ---- Font pages. Each page holds characters 32 to 127 in 16 columns and 6 rows of cells of
// (6 x scale) by (10 x scale) pixels, the cell of character c at column (c - 32) % 16 and row
// (c - 32) / 16 counted from the picture's top-left corner; 127 stays empty. Every glyph
// advances by its whole cell. Pixels are white; the glyph is in the alpha.

constexpr int kPageColumns = 16;
constexpr int kPageRows = 6;

int PowerOfTwoAtLeast(int value)
{
    int result = 1;
    while (result < value)
        result *= 2;
    return result;
}

// bold: each pixel also covers the one to its right.
Image FontPage(int scale, bool bold)
{
    int cellWidth = kGlyphColumns * scale;
    int cellHeight = kGlyphRows * scale;
    Image image(PowerOfTwoAtLeast(kPageColumns * cellWidth), PowerOfTwoAtLeast(kPageRows * cellHeight), true);
    image.Fill({1.0f, 1.0f, 1.0f, 0.0f});
    for (int character = kFirstGlyph; character < kFirstGlyph + kGlyphCount; ++character) {
        int left = (character - kFirstGlyph) % kPageColumns * cellWidth;
        int top = (character - kFirstGlyph) / kPageColumns * cellHeight;
        for (int y = 0; y < cellHeight; ++y) {
            for (int x = 0; x < cellWidth; ++x) {
                int gx = x / scale;
                int gy = y / scale;
                bool on = GlyphPixel(character, gx, gy) || (bold && x >= 1 && GlyphPixel(character, (x - 1) / scale, gy));
                if (on)
                    image.Set(left + x, top + y, {1.0f, 1.0f, 1.0f, 1.0f});
            }
        }
    }
    return image;
}

bool AddFonts(ArchiveWriter& archive)
{
    return AddImage(archive, "Textures/Fonts/font_small.tga", FontPage(1, false)) &&
           AddImage(archive, "Textures/Fonts/font_medium.tga", FontPage(2, false)) &&
           AddImage(archive, "Textures/Fonts/font_large.tga", FontPage(3, false)) &&
           AddImage(archive, "Textures/Fonts/font_huge.tga", FontPage(4, false)) &&
           AddImage(archive, "Textures/Fonts/font_bold.tga", FontPage(2, true));
}

} // namespace

// The renderer's stock looks of entities: a soft shadow under them, the hover tints by friend
// or foe, and the glows of set, unique and artifact equipment. Tints are flat colours the
// shaders add over the model. The white ring under the player's target takes its colour from
// the target's side.
bool AddEntityStock(ArchiveWriter& archive)
{
    Image shadow = Sprite(64, [](float dx, float dy, int, int) { return Falloff(std::sqrt(dx * dx + dy * dy), 1.5f) * 0.6f; });
    for (int y = 0; y < shadow.Height(); ++y)
        for (int x = 0; x < shadow.Width(); ++x)
            shadow.Set(x, y, {0.0f, 0.0f, 0.0f, shadow.Get(x, y).a});
    struct Tint {
        const char* path;
        Color color;
    };
    const Tint tints[] = {
        {"Textures/Stock/outline_cyan.tga", {0.2f, 0.9f, 1.0f, 0.5f}},
        {"Textures/Stock/outline_green.tga", {0.25f, 1.0f, 0.3f, 0.5f}},
        {"Textures/Stock/outline_white.tga", {1.0f, 1.0f, 1.0f, 0.45f}},
        {"Textures/Stock/outline_orange.tga", {1.0f, 0.6f, 0.15f, 0.5f}},
        {"Textures/Stock/outline_blue.tga", {0.3f, 0.45f, 1.0f, 0.5f}},
        {"Textures/Stock/outline_red.tga", {1.0f, 0.2f, 0.15f, 0.5f}},
        {"Textures/Stock/glow_set.tga", {0.3f, 1.0f, 0.4f, 0.35f}},
        {"Textures/Stock/glow_unique.tga", {1.0f, 0.8f, 0.25f, 0.35f}},
        {"Textures/Stock/glow_artifact.tga", {1.0f, 0.4f, 0.9f, 0.35f}},
    };
    Image ring = Sprite(64, [](float dx, float dy, int, int) {
        float fromRim = std::fabs(std::sqrt(dx * dx + dy * dy) - 0.8f);
        return (0.14f - fromRim) * 14.0f;
    });
    if (!AddImage(archive, "Textures/Stock/shadow.tga", shadow) ||
        !AddImage(archive, "Textures/Stock/selected_target.tga", ring))
        return false;
    for (const Tint& tint : tints) {
        Image flat(8, 8, true);
        flat.Fill(tint.color);
        if (!AddImage(archive, tint.path, flat))
            return false;
    }
    return true;
}

bool GenerateTextures(ArchiveWriter& archive)
{
    return AddImage(archive, "Textures/white.tga", Solid({1.0f, 1.0f, 1.0f, 1.0f})) &&
           AddImage(archive, "Textures/black.tga", Solid({0.0f, 0.0f, 0.0f, 1.0f})) &&
           AddImage(archive, "Textures/checker.tga", Checker()) &&
           AddImage(archive, "Textures/gradient_horizontal.tga", Gradient(256, 16, true, false)) &&
           AddImage(archive, "Textures/gradient_vertical.tga", Gradient(16, 256, false, false)) &&
           AddImage(archive, "Textures/gradient_alpha.tga", Gradient(256, 16, true, true)) && AddFrames(archive) &&
           AddWidgetParts(archive) && AddHelpBorders(archive) && AddMiniMapMask(archive) && AddSprites(archive) &&
           AddTiles(archive) && AddFonts(archive) && AddEntityStock(archive) &&
           AddImage(archive, "Textures/areas/grasslands/wall_hedge_01.tga", Hedge(306, {0.13f, 0.30f, 0.10f, 1.0f}));
}
