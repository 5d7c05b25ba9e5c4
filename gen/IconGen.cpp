// IconGen -- the interface icons: one for every skill, status effect, monster enhancement and covenant trait, every covenant's small crest, and the quest marks shown over a creature's head.
#include "gen/ArchiveWriter.h"
#include "gen/ContentFamilies.h"
#include "gen/Image.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int kIconSide = 32;

// The emblem drawn on an icon, as a coverage function of a point in [-1, 1] squared (y down).
enum class IconGlyph { Blade, Arrow, Shield, Cross, Drop, Burst, Ring, Chevron, Eye, Bars, Wave, Fist, Exclaim, Query, Info };

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

float IconCoverage(IconGlyph glyph, float x, float y)
{
    float r = std::hypot(x, y);
    switch (glyph) {
    case IconGlyph::Blade:
        return std::max(IconBand(IconSegment(x, y, -0.5f, 0.5f, 0.6f, -0.6f), 0.09f),
                        IconBand(IconSegment(x, y, -0.55f, 0.2f, -0.2f, 0.55f), 0.07f));
    case IconGlyph::Arrow:
        return std::max({IconBand(IconSegment(x, y, -0.6f, 0.6f, 0.55f, -0.55f), 0.05f),
                         IconBand(IconSegment(x, y, 0.55f, -0.55f, 0.15f, -0.5f), 0.07f),
                         IconBand(IconSegment(x, y, 0.55f, -0.55f, 0.5f, -0.15f), 0.07f)});
    case IconGlyph::Shield: {
        float width = 0.55f * (1.0f - std::max(0.0f, y) * 0.9f);
        return y > -0.6f && y < 0.65f && std::fabs(x) < width ? 1.0f - 0.4f * IconBand(std::fabs(x), 0.06f) : 0.0f;
    }
    case IconGlyph::Cross:
        return std::max(IconBand(IconSegment(x, y, 0.0f, -0.6f, 0.0f, 0.6f), 0.16f),
                        IconBand(IconSegment(x, y, -0.6f, 0.0f, 0.6f, 0.0f), 0.16f));
    case IconGlyph::Drop:
        return IconBand(std::hypot(x, y - 0.2f), 0.4f) + (y < 0.2f && std::fabs(x) < (y + 0.7f) * 0.45f ? 1.0f : 0.0f);
    case IconGlyph::Burst: {
        float rays = 0.35f + 0.25f * std::cos(8.0f * std::atan2(y, x));
        return IconBand(r, rays);
    }
    case IconGlyph::Ring: return IconBand(std::fabs(r - 0.45f), 0.1f);
    case IconGlyph::Chevron:
        return std::max(IconBand(IconSegment(x, y, -0.5f, 0.25f, 0.0f, -0.3f), 0.1f),
                        IconBand(IconSegment(x, y, 0.0f, -0.3f, 0.5f, 0.25f), 0.1f));
    case IconGlyph::Eye:
        return std::max(IconBand(std::fabs(std::hypot(x, y * 2.0f) - 0.55f), 0.06f), IconBand(r, 0.17f));
    case IconGlyph::Bars:
        return std::max({IconBand(IconSegment(x, y, -0.4f, 0.5f, -0.4f, 0.1f), 0.1f),
                         IconBand(IconSegment(x, y, 0.0f, 0.5f, 0.0f, -0.15f), 0.1f),
                         IconBand(IconSegment(x, y, 0.4f, 0.5f, 0.4f, -0.45f), 0.1f)});
    case IconGlyph::Wave: return IconBand(std::fabs(y - 0.25f * std::sin(x * 6.0f)), 0.1f) * (std::fabs(x) < 0.65f ? 1.0f : 0.0f);
    case IconGlyph::Fist: return IconBand(std::max(std::fabs(x), std::fabs(y + 0.05f)), 0.38f);
    case IconGlyph::Exclaim:
        return std::max(IconBand(IconSegment(x, y, 0.0f, -0.6f, 0.0f, 0.2f), 0.13f), IconBand(std::hypot(x, y - 0.5f), 0.14f));
    // A small "i": the dot above, the stem with its foot below; nothing like the quest marks.
    case IconGlyph::Info:
        return std::max({IconBand(std::hypot(x, y + 0.5f), 0.14f), IconBand(IconSegment(x, y, 0.0f, -0.15f, 0.0f, 0.55f), 0.11f),
                         IconBand(IconSegment(x, y, -0.2f, 0.58f, 0.2f, 0.58f), 0.07f)});
    case IconGlyph::Query: {
        // The hook of the mark: the upper three quarters of a ring, then a stem down to the dot.
        float hook = !(x < 0.0f && y > -0.3f) ? IconBand(std::fabs(std::hypot(x, y + 0.3f) - 0.3f), 0.1f) : 0.0f;
        return std::max({hook, IconBand(IconSegment(x, y, 0.0f, 0.0f, 0.0f, 0.2f), 0.1f),
                         IconBand(std::hypot(x, y - 0.5f), 0.13f)});
    }
    }
    return 0.0f;
}

// A rounded square of the tint, lit from above, with a dark rim and the glyph in a pale shade.
Image DrawIcon(IconGlyph glyph, const Color& tint)
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

struct IconRecipe {
    const char* path;
    IconGlyph glyph;
    Color tint;
};

constexpr Color kIconMartial = {0.55f, 0.22f, 0.16f, 1.0f};
constexpr Color kIconRanged = {0.30f, 0.45f, 0.22f, 1.0f};
constexpr Color kIconRite = {0.25f, 0.35f, 0.60f, 1.0f};
constexpr Color kIconDiscipline = {0.50f, 0.42f, 0.22f, 1.0f};
constexpr Color kIconHarm = {0.45f, 0.15f, 0.35f, 1.0f};
constexpr Color kIconBoon = {0.20f, 0.48f, 0.45f, 1.0f};
constexpr Color kIconTrait = {0.40f, 0.32f, 0.28f, 1.0f};
constexpr Color kIconQuest = {0.70f, 0.55f, 0.12f, 1.0f};
constexpr Color kIconQuestDone = {0.25f, 0.55f, 0.20f, 1.0f};
constexpr Color kIconHelp = {0.18f, 0.36f, 0.66f, 1.0f};

// The names the database records give as their "TextureName".
constexpr IconRecipe kIconRecipes[] = {
    {"textures/icons/skills/strike.tga", IconGlyph::Blade, kIconMartial},
    {"textures/icons/skills/cleave.tga", IconGlyph::Wave, kIconMartial},
    {"textures/icons/skills/shieldbash.tga", IconGlyph::Shield, kIconMartial},
    {"textures/icons/skills/hamstring.tga", IconGlyph::Chevron, kIconMartial},
    {"textures/icons/skills/aimedshot.tga", IconGlyph::Arrow, kIconRanged},
    {"textures/icons/skills/volley.tga", IconGlyph::Bars, kIconRanged},
    {"textures/icons/skills/venomarrow.tga", IconGlyph::Drop, kIconRanged},
    {"textures/icons/skills/mend.tga", IconGlyph::Cross, kIconRite},
    {"textures/icons/skills/stoneskin.tga", IconGlyph::Fist, kIconRite},
    {"textures/icons/skills/ward.tga", IconGlyph::Ring, kIconRite},
    {"textures/icons/skills/rallyingcry.tga", IconGlyph::Burst, kIconRite},
    {"textures/icons/skills/toughness.tga", IconGlyph::Shield, kIconDiscipline},
    {"textures/icons/skills/keeneye.tga", IconGlyph::Eye, kIconDiscipline},
    {"textures/icons/skills/fortitude.tga", IconGlyph::Chevron, kIconDiscipline},
    {"textures/icons/skills/emberbolt.tga", IconGlyph::Arrow, kIconRite},
    {"textures/icons/skills/emberarc.tga", IconGlyph::Wave, kIconRite},
    {"textures/icons/skills/steadyembers.tga", IconGlyph::Burst, kIconDiscipline},
    {"textures/icons/skills/fortunesdraw.tga", IconGlyph::Query, kIconDiscipline},
    {"textures/icons/skills/tempering.tga", IconGlyph::Fist, kIconDiscipline},
    {"textures/icons/skills/provisioning.tga", IconGlyph::Bars, kIconDiscipline},
    {"textures/icons/effects/regen.tga", IconGlyph::Cross, kIconBoon},
    {"textures/icons/effects/venom.tga", IconGlyph::Drop, kIconHarm},
    {"textures/icons/effects/deepwound.tga", IconGlyph::Blade, kIconHarm},
    {"textures/icons/effects/stun.tga", IconGlyph::Burst, kIconHarm},
    {"textures/icons/effects/hamstring.tga", IconGlyph::Chevron, kIconHarm},
    {"textures/icons/effects/stoneskin.tga", IconGlyph::Fist, kIconBoon},
    {"textures/icons/effects/ward.tga", IconGlyph::Ring, kIconBoon},
    {"textures/icons/effects/rallyingaura.tga", IconGlyph::Burst, kIconBoon},
    {"textures/icons/effects/rallied.tga", IconGlyph::Bars, kIconBoon},
    {"textures/icons/effects/renewal.tga", IconGlyph::Wave, kIconBoon},
    {"textures/icons/effects/burning.tga", IconGlyph::Wave, kIconHarm},
    {"textures/icons/effects/poison.tga", IconGlyph::Drop, kIconHarm},
    {"textures/icons/effects/steadyembers.tga", IconGlyph::Burst, kIconBoon},
    // The effects of the stealth, aura, shield, edge and retribution records.
    {"textures/icons/effects/stealth.tga", IconGlyph::Eye, kIconBoon},
    {"textures/icons/effects/ambushready.tga", IconGlyph::Blade, kIconBoon},
    {"textures/icons/effects/cut.tga", IconGlyph::Blade, kIconHarm},
    {"textures/icons/effects/frostbind.tga", IconGlyph::Chevron, kIconHarm},
    {"textures/icons/effects/smoulder.tga", IconGlyph::Burst, kIconHarm},
    {"textures/icons/effects/singed.tga", IconGlyph::Wave, kIconHarm},
    {"textures/icons/effects/trapward.tga", IconGlyph::Shield, kIconBoon},
    {"textures/icons/effects/prismaticedge.tga", IconGlyph::Burst, kIconBoon},
    {"textures/icons/effects/retribution.tga", IconGlyph::Fist, kIconBoon},
    {"textures/icons/enhancements/tough.tga", IconGlyph::Shield, kIconHarm},
    {"textures/icons/enhancements/swift.tga", IconGlyph::Chevron, kIconHarm},
    {"textures/icons/enhancements/savage.tga", IconGlyph::Blade, kIconHarm},
    {"textures/icons/enhancements/venomous.tga", IconGlyph::Drop, kIconHarm},
    {"textures/icons/enhancements/stoneborn.tga", IconGlyph::Fist, kIconHarm},
    {"textures/icons/enhancements/warded.tga", IconGlyph::Ring, kIconHarm},
    {"textures/icons/enhancements/townguard.tga", IconGlyph::Shield, kIconBoon},
    {"textures/icons/enhancements/recruit.tga", IconGlyph::Eye, kIconBoon},
    {"textures/icons/enhancements/rarity.tga", IconGlyph::Burst, kIconHarm},
    {"textures/traits/warlike.tga", IconGlyph::Blade, kIconTrait},
    {"textures/traits/mercantile.tga", IconGlyph::Bars, kIconTrait},
    {"textures/traits/devout.tga", IconGlyph::Cross, kIconTrait},
    {"textures/traits/cunning.tga", IconGlyph::Eye, kIconTrait},
    {"textures/traits/stalwart.tga", IconGlyph::Shield, kIconTrait},
    {"textures/traits/scholarly.tga", IconGlyph::Burst, kIconTrait},
    // Each covenant's small crest, in its colour, drawn over its lifestone.
    {"textures/crests/emberguard.tga", IconGlyph::Burst, {0.85f, 0.45f, 0.12f, 1.0f}},
    {"textures/crests/ashencircle.tga", IconGlyph::Ring, {0.50f, 0.50f, 0.52f, 1.0f}},
    {"textures/crests/ironpact.tga", IconGlyph::Bars, {0.20f, 0.32f, 0.70f, 1.0f}},
    {"textures/crests/veilwalkers.tga", IconGlyph::Eye, {0.50f, 0.22f, 0.62f, 1.0f}},
    {"textures/crests/redthorn.tga", IconGlyph::Blade, {0.72f, 0.12f, 0.12f, 1.0f}},
    {"textures/crests/saltmark.tga", IconGlyph::Wave, {0.18f, 0.62f, 0.66f, 1.0f}},
    {"textures/crests/lanternorder.tga", IconGlyph::Cross, {0.86f, 0.76f, 0.22f, 1.0f}},
    {"textures/crests/human.tga", IconGlyph::Shield, {0.22f, 0.58f, 0.25f, 1.0f}},
    // The treasure map: the cross that marks the spot. The other items' pictures are
    // ItemIconGen's.
    {"textures/icons/items/map.tga", IconGlyph::Cross, kIconQuest},
    // Over a creature with a quest to give, and over one a finished quest goes back to.
    {"textures/icons/questavailable.tga", IconGlyph::Exclaim, kIconQuest},
    {"textures/icons/questcompleted.tga", IconGlyph::Query, kIconQuestDone},
    // The help topics' button, told apart from both quest marks by its shape and its blue.
    {"textures/icons/helptopic.tga", IconGlyph::Info, kIconHelp},
};

} // namespace

bool GenerateIcons(ArchiveWriter& archive)
{
    for (const IconRecipe& recipe : kIconRecipes) {
        if (!archive.Add(recipe.path, DrawIcon(recipe.glyph, recipe.tint).ToTarga()))
            return false;
    }
    return true;
}
