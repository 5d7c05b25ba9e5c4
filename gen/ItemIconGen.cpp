// ItemIconGen -- the items' icons in their cells: each kind of thing its own picture (a sword, a helm, a loaf, a flask, a sack...), drawn in the thing's own colour with a dark outline on a clear ground, so that no item looks like another kind or like a skill's coloured tile.
#include "gen/ArchiveWriter.h"
#include "gen/ContentFamilies.h"
#include "gen/Image.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kItemIconSide = 32;

enum class ItemGlyph {
    Sword, Hammer, Staff, Sling, Helm, Tunic, Gauntlet, Greaves, Boot, Buckler, Cape, Band, Amulet, Loaf, Ham, Cup,
    Flask, Sack, Book, Gem, Scroll
};

// Inside when the result is above 0, with a soft edge of about a pixel.
float ItemEdge(float inside)
{
    return std::clamp(inside * 16.0f, 0.0f, 1.0f);
}

float ItemBox(float x, float y, float left, float top, float right, float bottom)
{
    return ItemEdge(std::min({x - left, right - x, y - top, bottom - y}));
}

float ItemDisc(float x, float y, float cx, float cy, float radius)
{
    return ItemEdge(radius - std::hypot(x - cx, y - cy));
}

float ItemLine(float x, float y, float ax, float ay, float bx, float by, float halfWidth)
{
    float dx = bx - ax;
    float dy = by - ay;
    float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return ItemEdge(halfWidth - std::hypot(x - ax - t * dx, y - ay - t * dy));
}

float ItemRing(float x, float y, float cx, float cy, float radius, float halfWidth)
{
    return ItemEdge(halfWidth - std::fabs(std::hypot(x - cx, y - cy) - radius));
}

// How much of the point (in [-1, 1] squared, y down) the thing covers.
float ItemCoverage(ItemGlyph glyph, float x, float y)
{
    switch (glyph) {
    case ItemGlyph::Sword:
        return std::max({ItemLine(x, y, -0.45f, 0.45f, 0.55f, -0.55f, 0.09f), ItemLine(x, y, -0.55f, 0.15f, -0.15f, 0.55f, 0.07f),
                         ItemDisc(x, y, -0.58f, 0.58f, 0.1f)});
    case ItemGlyph::Hammer:
        return std::max(ItemLine(x, y, -0.5f, 0.6f, 0.2f, -0.1f, 0.07f), ItemLine(x, y, -0.05f, -0.55f, 0.55f, 0.05f, 0.2f));
    case ItemGlyph::Staff:
        return std::max(ItemLine(x, y, -0.55f, 0.65f, 0.4f, -0.3f, 0.07f), ItemDisc(x, y, 0.45f, -0.42f, 0.2f));
    case ItemGlyph::Sling:
        return std::max({ItemRing(x, y, 0.0f, -0.1f, 0.5f, 0.06f) * (y > -0.1f ? 1.0f : 0.0f),
                         ItemLine(x, y, -0.5f, -0.1f, -0.3f, -0.6f, 0.05f), ItemLine(x, y, 0.5f, -0.1f, 0.3f, -0.6f, 0.05f),
                         ItemDisc(x, y, 0.0f, 0.4f, 0.17f)});
    case ItemGlyph::Helm:
        return std::max({ItemDisc(x, y, 0.0f, 0.1f, 0.58f) * (y < 0.1f ? 1.0f : 0.0f), ItemBox(x, y, -0.58f, 0.05f, -0.3f, 0.55f),
                         ItemBox(x, y, 0.3f, 0.05f, 0.58f, 0.55f), ItemLine(x, y, 0.0f, 0.05f, 0.0f, 0.45f, 0.07f)});
    case ItemGlyph::Tunic:
        return std::min(std::max({ItemBox(x, y, -0.35f, -0.45f, 0.35f, 0.6f), ItemBox(x, y, -0.68f, -0.45f, -0.3f, 0.05f),
                                  ItemBox(x, y, 0.3f, -0.45f, 0.68f, 0.05f)}),
                        1.0f - ItemDisc(x, y, 0.0f, -0.5f, 0.17f));
    case ItemGlyph::Gauntlet:
        return std::max({ItemBox(x, y, -0.32f, -0.05f, 0.28f, 0.62f), ItemLine(x, y, -0.25f, -0.05f, -0.25f, -0.55f, 0.07f),
                         ItemLine(x, y, -0.08f, -0.05f, -0.08f, -0.62f, 0.07f), ItemLine(x, y, 0.09f, -0.05f, 0.09f, -0.58f, 0.07f),
                         ItemLine(x, y, 0.24f, 0.0f, 0.26f, -0.45f, 0.06f), ItemLine(x, y, 0.28f, 0.3f, 0.55f, 0.0f, 0.08f)});
    case ItemGlyph::Greaves:
        return std::max(ItemBox(x, y, -0.5f, -0.6f, -0.1f, 0.6f), ItemBox(x, y, 0.1f, -0.6f, 0.5f, 0.6f)) *
               (1.0f - ItemLine(x, y, -0.6f, -0.05f, 0.6f, -0.05f, 0.04f));
    case ItemGlyph::Boot:
        return std::max({ItemBox(x, y, -0.4f, -0.62f, 0.08f, 0.3f), ItemBox(x, y, -0.4f, 0.2f, 0.45f, 0.55f),
                         ItemDisc(x, y, 0.45f, 0.375f, 0.175f)});
    case ItemGlyph::Buckler:
        return std::max(ItemRing(x, y, 0.0f, 0.0f, 0.52f, 0.1f),
                        std::max(ItemDisc(x, y, 0.0f, 0.0f, 0.17f), ItemDisc(x, y, 0.0f, 0.0f, 0.62f) * 0.6f));
    case ItemGlyph::Cape: {
        float half = 0.18f + 0.42f * (y + 0.55f) / 1.2f;
        return std::max(ItemEdge(std::min({half - std::fabs(x), y + 0.55f, 0.65f - y})), ItemDisc(x, y, 0.0f, -0.58f, 0.13f));
    }
    case ItemGlyph::Band:
        return std::max(ItemRing(x, y, 0.0f, 0.15f, 0.38f, 0.09f), ItemDisc(x, y, 0.0f, -0.3f, 0.17f));
    case ItemGlyph::Amulet:
        return std::max({ItemLine(x, y, -0.45f, -0.62f, 0.0f, 0.05f, 0.04f), ItemLine(x, y, 0.45f, -0.62f, 0.0f, 0.05f, 0.04f),
                         ItemDisc(x, y, 0.0f, 0.32f, 0.26f)});
    case ItemGlyph::Loaf: {
        float loaf = ItemEdge(1.0f - std::hypot(x / 0.68f, (y - 0.05f) / 0.42f));
        float scores = std::max({ItemLine(x, y, -0.38f, 0.1f, -0.22f, -0.15f, 0.035f),
                                 ItemLine(x, y, -0.08f, 0.1f, 0.08f, -0.15f, 0.035f),
                                 ItemLine(x, y, 0.22f, 0.1f, 0.38f, -0.15f, 0.035f)});
        return loaf * (1.0f - 0.6f * scores);
    }
    case ItemGlyph::Ham:
        return std::max({ItemEdge(1.0f - std::hypot((x - 0.12f) / 0.5f, (y + 0.08f) / 0.42f)),
                         ItemLine(x, y, -0.3f, 0.25f, -0.6f, 0.55f, 0.07f), ItemDisc(x, y, -0.62f, 0.6f, 0.11f)});
    case ItemGlyph::Cup:
        return std::max({ItemEdge(std::min({0.42f - 0.1f * (y + 0.45f) - std::fabs(x), y + 0.45f, 0.3f - y})),
                         ItemRing(x, y, 0.45f, -0.1f, 0.17f, 0.06f), ItemBox(x, y, -0.3f, 0.42f, 0.3f, 0.55f),
                         ItemLine(x, y, 0.0f, 0.25f, 0.0f, 0.45f, 0.07f)});
    case ItemGlyph::Flask:
        return std::max({ItemDisc(x, y, 0.0f, 0.22f, 0.43f), ItemBox(x, y, -0.13f, -0.55f, 0.13f, -0.1f),
                         ItemBox(x, y, -0.2f, -0.65f, 0.2f, -0.52f)});
    case ItemGlyph::Sack:
        return std::max({ItemDisc(x, y, 0.0f, 0.22f, 0.48f), ItemEdge(std::min(0.18f + 0.3f * (y + 0.35f) - std::fabs(x), y + 0.35f)),
                         ItemLine(x, y, -0.25f, -0.35f, 0.25f, -0.35f, 0.06f), ItemDisc(x, y, -0.2f, -0.5f, 0.1f),
                         ItemDisc(x, y, 0.2f, -0.5f, 0.1f)});
    case ItemGlyph::Book:
        return ItemBox(x, y, -0.48f, -0.58f, 0.5f, 0.58f) * (1.0f - 0.7f * ItemLine(x, y, -0.3f, -0.6f, -0.3f, 0.6f, 0.04f));
    case ItemGlyph::Gem:
        return ItemEdge(1.0f - (std::fabs(x) / 0.52f + std::fabs(y) / 0.62f)) *
               (1.0f - 0.4f * ItemLine(x, y, -0.52f, 0.0f, 0.52f, 0.0f, 0.03f));
    case ItemGlyph::Scroll:
        return std::max({ItemBox(x, y, -0.45f, -0.38f, 0.45f, 0.38f), ItemDisc(x, y, -0.5f, 0.0f, 0.17f),
                         ItemDisc(x, y, 0.5f, 0.0f, 0.17f)}) *
               (1.0f - 0.6f * std::max(ItemLine(x, y, -0.28f, -0.12f, 0.28f, -0.12f, 0.03f),
                                       ItemLine(x, y, -0.28f, 0.1f, 0.2f, 0.1f, 0.03f)));
    }
    return 0.0f;
}

// The thing in its colour, lit from above, inside an outline a pixel and a half wide that the
// cell's dark ground shows round.
Image DrawItemIcon(ItemGlyph glyph, const Color& colour)
{
    Image image(kItemIconSide, kItemIconSide, true);
    const Color outline = {0.06f, 0.05f, 0.04f, 1.0f};
    float half = static_cast<float>(kItemIconSide) / 2.0f;
    float reach = 1.5f / half;
    for (int py = 0; py < kItemIconSide; ++py) {
        for (int px = 0; px < kItemIconSide; ++px) {
            float x = (static_cast<float>(px) + 0.5f - half) / half;
            float y = (static_cast<float>(py) + 0.5f - half) / half;
            float cover = std::clamp(ItemCoverage(glyph, x, y), 0.0f, 1.0f);
            float around = 0.0f;
            for (float dy : {-reach, 0.0f, reach})
                for (float dx : {-reach, 0.0f, reach})
                    around = std::max(around, ItemCoverage(glyph, x + dx, y + dy));
            Color lit = Scale(colour, 1.2f - 0.5f * (y + 1.0f) / 2.0f);
            lit.a = 1.0f;
            Color shown = Mix(outline, lit, cover);
            shown.a = std::clamp(std::max(cover, around), 0.0f, 1.0f);
            image.Set(px, py, shown);
        }
    }
    return image;
}

struct ItemIconRecipe {
    const char* path;
    ItemGlyph glyph;
    Color colour;
};

constexpr Color kSteel = {0.78f, 0.80f, 0.86f, 1.0f};
constexpr Color kIron = {0.58f, 0.60f, 0.64f, 1.0f};
constexpr Color kWood = {0.62f, 0.42f, 0.22f, 1.0f};
constexpr Color kLeather = {0.55f, 0.34f, 0.18f, 1.0f};

// The names the item records give as their "TextureName".
constexpr ItemIconRecipe kItemIconRecipes[] = {
    {"textures/icons/items/sword.tga", ItemGlyph::Sword, kSteel},
    {"textures/icons/items/hammer.tga", ItemGlyph::Hammer, kIron},
    {"textures/icons/items/staff.tga", ItemGlyph::Staff, kWood},
    {"textures/icons/items/sling.tga", ItemGlyph::Sling, kLeather},
    {"textures/icons/items/helm.tga", ItemGlyph::Helm, kIron},
    {"textures/icons/items/tunic.tga", ItemGlyph::Tunic, {0.66f, 0.52f, 0.34f, 1.0f}},
    {"textures/icons/items/gauntlets.tga", ItemGlyph::Gauntlet, kIron},
    {"textures/icons/items/greaves.tga", ItemGlyph::Greaves, kSteel},
    {"textures/icons/items/boots.tga", ItemGlyph::Boot, kLeather},
    {"textures/icons/items/shield.tga", ItemGlyph::Buckler, kWood},
    {"textures/icons/items/cape.tga", ItemGlyph::Cape, {0.70f, 0.18f, 0.16f, 1.0f}},
    {"textures/icons/items/ring.tga", ItemGlyph::Band, {0.86f, 0.55f, 0.30f, 1.0f}},
    {"textures/icons/items/amulet.tga", ItemGlyph::Amulet, {0.95f, 0.78f, 0.25f, 1.0f}},
    {"textures/icons/items/bread.tga", ItemGlyph::Loaf, {0.85f, 0.62f, 0.32f, 1.0f}},
    {"textures/icons/items/ham.tga", ItemGlyph::Ham, {0.86f, 0.45f, 0.42f, 1.0f}},
    {"textures/icons/items/drink.tga", ItemGlyph::Cup, {0.45f, 0.70f, 0.90f, 1.0f}},
    {"textures/icons/items/potion.tga", ItemGlyph::Flask, {0.90f, 0.25f, 0.30f, 1.0f}},
    {"textures/icons/items/charm.tga", ItemGlyph::Flask, {0.95f, 0.62f, 0.20f, 1.0f}},
    {"textures/icons/items/bag.tga", ItemGlyph::Sack, {0.72f, 0.60f, 0.40f, 1.0f}},
    {"textures/icons/items/tome.tga", ItemGlyph::Book, {0.60f, 0.20f, 0.22f, 1.0f}},
    {"textures/icons/items/relic.tga", ItemGlyph::Gem, {0.35f, 0.85f, 0.70f, 1.0f}},
    {"textures/icons/items/goods.tga", ItemGlyph::Gem, {0.85f, 0.80f, 0.55f, 1.0f}},
    {"textures/icons/items/writ.tga", ItemGlyph::Scroll, {0.90f, 0.84f, 0.66f, 1.0f}},
};

} // namespace

bool GenerateItemIcons(ArchiveWriter& archive)
{
    for (const ItemIconRecipe& recipe : kItemIconRecipes) {
        if (!archive.Add(recipe.path, DrawItemIcon(recipe.glyph, recipe.colour).ToTarga()))
            return false;
    }
    return true;
}
