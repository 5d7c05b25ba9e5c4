// IconGen -- the interface icons: one for every skill, status effect, monster enhancement and covenant trait.
#include "gen/ArchiveWriter.h"
#include "gen/ContentFamilies.h"
#include "gen/Image.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int kIconSide = 32;

// The emblem drawn on an icon, as a coverage function of a point in [-1, 1] squared (y down).
enum class Glyph { Blade, Arrow, Shield, Cross, Drop, Burst, Ring, Chevron, Eye, Bars, Wave, Fist };

float IconBand(float distance, float halfWidth)
{
    return std::clamp((halfWidth - distance) * 8.0f, 0.0f, 1.0f);
}

// Distance from p to the segment a-b.
float IconSegment(float px, float py, float ax, float ay, float bx, float by)
{
    float dx = bx - ax, dy = by - ay;
    float t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

float IconCoverage(Glyph glyph, float x, float y)
{
    float r = std::hypot(x, y);
    switch (glyph) {
    case Glyph::Blade:
        return std::max(IconBand(IconSegment(x, y, -0.5f, 0.5f, 0.6f, -0.6f), 0.09f),
                        IconBand(IconSegment(x, y, -0.55f, 0.2f, -0.2f, 0.55f), 0.07f));
    case Glyph::Arrow:
        return std::max({IconBand(IconSegment(x, y, -0.6f, 0.6f, 0.55f, -0.55f), 0.05f),
                         IconBand(IconSegment(x, y, 0.55f, -0.55f, 0.15f, -0.5f), 0.07f),
                         IconBand(IconSegment(x, y, 0.55f, -0.55f, 0.5f, -0.15f), 0.07f)});
    case Glyph::Shield: {
        float width = 0.55f * (1.0f - std::max(0.0f, y) * 0.9f);
        return y > -0.6f && y < 0.65f && std::fabs(x) < width ? 1.0f - 0.4f * IconBand(std::fabs(x), 0.06f) : 0.0f;
    }
    case Glyph::Cross:
        return std::max(IconBand(IconSegment(x, y, 0.0f, -0.6f, 0.0f, 0.6f), 0.16f),
                        IconBand(IconSegment(x, y, -0.6f, 0.0f, 0.6f, 0.0f), 0.16f));
    case Glyph::Drop:
        return IconBand(std::hypot(x, y - 0.2f), 0.4f) + (y < 0.2f && std::fabs(x) < (y + 0.7f) * 0.45f ? 1.0f : 0.0f);
    case Glyph::Burst: {
        float rays = 0.35f + 0.25f * std::cos(8.0f * std::atan2(y, x));
        return IconBand(r, rays);
    }
    case Glyph::Ring: return IconBand(std::fabs(r - 0.45f), 0.1f);
    case Glyph::Chevron:
        return std::max(IconBand(IconSegment(x, y, -0.5f, 0.25f, 0.0f, -0.3f), 0.1f),
                        IconBand(IconSegment(x, y, 0.0f, -0.3f, 0.5f, 0.25f), 0.1f));
    case Glyph::Eye:
        return std::max(IconBand(std::fabs(std::hypot(x, y * 2.0f) - 0.55f), 0.06f), IconBand(r, 0.17f));
    case Glyph::Bars:
        return std::max({IconBand(IconSegment(x, y, -0.4f, 0.5f, -0.4f, 0.1f), 0.1f),
                         IconBand(IconSegment(x, y, 0.0f, 0.5f, 0.0f, -0.15f), 0.1f),
                         IconBand(IconSegment(x, y, 0.4f, 0.5f, 0.4f, -0.45f), 0.1f)});
    case Glyph::Wave: return IconBand(std::fabs(y - 0.25f * std::sin(x * 6.0f)), 0.1f) * (std::fabs(x) < 0.65f ? 1.0f : 0.0f);
    case Glyph::Fist: return IconBand(std::max(std::fabs(x), std::fabs(y + 0.05f)), 0.38f);
    }
    return 0.0f;
}

// A rounded square of the tint, lit from above, with a dark rim and the glyph in a pale shade.
Image Icon(Glyph glyph, const Color& tint)
{
    Image image(kIconSide, kIconSide, true);
    const Color rim = {0.05f, 0.04f, 0.03f, 1.0f};
    const Color glyphShade = Mix(tint, {1.0f, 0.97f, 0.88f, 1.0f}, 0.8f);
    float half = static_cast<float>(kIconSide) / 2.0f;
    for (int py = 0; py < kIconSide; ++py) {
        for (int px = 0; px < kIconSide; ++px) {
            float x = (static_cast<float>(px) + 0.5f - half) / half;
            float y = (static_cast<float>(py) + 0.5f - half) / half;
            float corner = std::hypot(std::max(std::fabs(x) - 0.75f, 0.0f), std::max(std::fabs(y) - 0.75f, 0.0f));
            if (corner > 0.25f) {
                image.Set(px, py, {0.0f, 0.0f, 0.0f, 0.0f});
                continue;
            }
            Color fill = Scale(tint, 1.15f - 0.45f * (y + 1.0f) / 2.0f);
            fill = Mix(fill, glyphShade, std::clamp(IconCoverage(glyph, x, y), 0.0f, 1.0f));
            bool edge = corner > 0.17f || std::max(std::fabs(x), std::fabs(y)) > 0.93f;
            image.Set(px, py, edge ? rim : fill);
        }
    }
    return image;
}

struct IconSpec {
    const char* path;
    Glyph glyph;
    Color tint;
};

constexpr Color kMartial = {0.55f, 0.22f, 0.16f, 1.0f};
constexpr Color kRanged = {0.30f, 0.45f, 0.22f, 1.0f};
constexpr Color kRite = {0.25f, 0.35f, 0.60f, 1.0f};
constexpr Color kDiscipline = {0.50f, 0.42f, 0.22f, 1.0f};
constexpr Color kHarm = {0.45f, 0.15f, 0.35f, 1.0f};
constexpr Color kBoon = {0.20f, 0.48f, 0.45f, 1.0f};
constexpr Color kTrait = {0.40f, 0.32f, 0.28f, 1.0f};

// The names the database records give as their "TextureName".
constexpr IconSpec kIcons[] = {
    {"textures/icons/skills/strike.tga", Glyph::Blade, kMartial},
    {"textures/icons/skills/cleave.tga", Glyph::Wave, kMartial},
    {"textures/icons/skills/shieldbash.tga", Glyph::Shield, kMartial},
    {"textures/icons/skills/hamstring.tga", Glyph::Chevron, kMartial},
    {"textures/icons/skills/aimedshot.tga", Glyph::Arrow, kRanged},
    {"textures/icons/skills/volley.tga", Glyph::Bars, kRanged},
    {"textures/icons/skills/venomarrow.tga", Glyph::Drop, kRanged},
    {"textures/icons/skills/mend.tga", Glyph::Cross, kRite},
    {"textures/icons/skills/stoneskin.tga", Glyph::Fist, kRite},
    {"textures/icons/skills/ward.tga", Glyph::Ring, kRite},
    {"textures/icons/skills/rallyingcry.tga", Glyph::Burst, kRite},
    {"textures/icons/skills/toughness.tga", Glyph::Shield, kDiscipline},
    {"textures/icons/skills/keeneye.tga", Glyph::Eye, kDiscipline},
    {"textures/icons/skills/fortitude.tga", Glyph::Chevron, kDiscipline},
    {"textures/icons/effects/regen.tga", Glyph::Cross, kBoon},
    {"textures/icons/effects/venom.tga", Glyph::Drop, kHarm},
    {"textures/icons/effects/deepwound.tga", Glyph::Blade, kHarm},
    {"textures/icons/effects/stun.tga", Glyph::Burst, kHarm},
    {"textures/icons/effects/hamstring.tga", Glyph::Chevron, kHarm},
    {"textures/icons/effects/stoneskin.tga", Glyph::Fist, kBoon},
    {"textures/icons/effects/ward.tga", Glyph::Ring, kBoon},
    {"textures/icons/effects/rallyingaura.tga", Glyph::Burst, kBoon},
    {"textures/icons/effects/rallied.tga", Glyph::Bars, kBoon},
    {"textures/icons/effects/renewal.tga", Glyph::Wave, kBoon},
    {"textures/icons/enhancements/tough.tga", Glyph::Shield, kHarm},
    {"textures/icons/enhancements/swift.tga", Glyph::Chevron, kHarm},
    {"textures/icons/enhancements/savage.tga", Glyph::Blade, kHarm},
    {"textures/icons/enhancements/venomous.tga", Glyph::Drop, kHarm},
    {"textures/icons/enhancements/stoneborn.tga", Glyph::Fist, kHarm},
    {"textures/icons/enhancements/warded.tga", Glyph::Ring, kHarm},
    {"textures/icons/enhancements/townguard.tga", Glyph::Shield, kBoon},
    {"textures/icons/enhancements/recruit.tga", Glyph::Eye, kBoon},
    {"textures/icons/enhancements/rarity.tga", Glyph::Burst, kHarm},
    {"textures/traits/warlike.tga", Glyph::Blade, kTrait},
    {"textures/traits/mercantile.tga", Glyph::Bars, kTrait},
    {"textures/traits/devout.tga", Glyph::Cross, kTrait},
    {"textures/traits/cunning.tga", Glyph::Eye, kTrait},
    {"textures/traits/stalwart.tga", Glyph::Shield, kTrait},
    {"textures/traits/scholarly.tga", Glyph::Burst, kTrait},
};

} // namespace

bool GenerateIcons(ArchiveWriter& archive)
{
    for (const IconSpec& spec : kIcons) {
        if (!archive.Add(spec.path, Icon(spec.glyph, spec.tint).ToTarga()))
            return false;
    }
    return true;
}
