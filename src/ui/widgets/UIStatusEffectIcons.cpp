// UIStatusEffectIcons -- a row of up to ten icons of the status effects on an entity, each with the effect's name and description as its tooltip.
#include "ui/widgets/UIStatusEffectIcons.h"

#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/TimeStamp.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"
#include "ui/UISystem.h"

#include <cmath>

namespace {

// The database entry type of a monster enhancement.
constexpr int32_t kStatusIconsEnhancement = 6;
// The texture usage the icons load with.
constexpr int32_t kStatusIconsLoadFlags = 5;

} // namespace

// ---- One slot ----

void StatusEffectData::Load()
{
    icon.Reset();
    if (record == -1 || effect.iconName.empty() || !gResourceManager)
        return;
    LoadTextureByName(effect.iconName, icon, kStatusIconsLoadFlags);
}

void StatusEffectData::SetEffect(const UiStatusEffectFacts* shown)
{
    if (!shown) {
        hasEffect = false;
        effect = UiStatusEffectFacts{};
        record = -1;
        icon.Reset();
        return;
    }
    hasEffect = true;
    bool changed = shown->record != record;
    effect = *shown;
    // The same definition keeps the icon it loaded.
    if (changed) {
        record = shown->record;
        Load();
    }
}

// ---- The row ----

UIStatusEffectIcons::~UIStatusEffectIcons() = default;

void UIStatusEffectIcons::Refresh(bool withTexts)
{
    UiEntityFacts entity;
    int32_t number = GetEntityNumber();
    if (!gUISystem || number < 0 || !GetEntity(entity) ||
        !gUISystem->GetGameView().GetStatusEffects(number, effects, withTexts))
        effects.clear();
    if (!enhancementsOnly) {
        count = std::min(static_cast<int32_t>(effects.size()), kMaxIcons);
        for (int32_t slot = 0; slot < kMaxIcons; ++slot)
            icons[static_cast<size_t>(slot)].SetEffect(slot < count ? &effects[static_cast<size_t>(slot)] : nullptr);
        return;
    }
    // Only the first ten effects are looked at; the slots past the count are left as they were.
    count = 0;
    for (size_t i = 0; i < effects.size() && i < static_cast<size_t>(kMaxIcons); ++i)
        if (effects[i].entryType == kStatusIconsEnhancement)
            icons[static_cast<size_t>(count++)].SetEffect(&effects[i]);
}

void UIStatusEffectIcons::Draw()
{
    if (!IsVisible())
        return;
    Refresh(false);
    if (!gScreenText)
        return;
    for (int32_t slot = 0; slot < count; ++slot) {
        const ResourceHandle& picture = icons[static_cast<size_t>(slot)].GetIcon();
        if (!picture.IsValid())
            continue;
        float x = GetScreenPosition().x + static_cast<float>(slot) * offset[0];
        float y = GetScreenPosition().y + static_cast<float>(slot) * offset[1];
        gScreenText->DrawShaderRect(picture, color, x, y, x + iconSize[0], y + iconSize[1], 1.0f, false, false, 0);
    }
}

bool UIStatusEffectIcons::GetHelpText(int32_t x, int32_t y, std::string& out, std::string& /*title*/)
{
    Refresh(true);
    for (int32_t slot = 0; slot < count; ++slot) {
        // Whole-number edges, both included.
        auto left = static_cast<int32_t>(GetScreenPosition().x + static_cast<float>(slot) * offset[0]);
        auto top = static_cast<int32_t>(GetScreenPosition().y + static_cast<float>(slot) * offset[1]);
        auto right = static_cast<int32_t>(GetScreenPosition().x + static_cast<float>(slot) * offset[0] + iconSize[0]);
        auto bottom = static_cast<int32_t>(GetScreenPosition().y + static_cast<float>(slot) * offset[1] + iconSize[1]);
        if (x < left || x > right || y < top || y > bottom)
            continue;
        const StatusEffectData& icon = icons[static_cast<size_t>(slot)];
        if (!icon.HasEffect())
            return true;
        const UiStatusEffectFacts& effect = icon.GetEffect();
        out = effect.displayName + "\n" + effect.description;
        if (effect.secondsLeft < 0.0f)
            return true;
        if (!out.empty() && out.back() != '\n')
            out += "\n";
        out += "$$TimeLeft$$: " + FormatSeconds(effect.secondsLeft, DurationStyle::Clock, 0.05f);
        return true;
    }
    return false;
}

bool UIStatusEffectIcons::ReadProperty(const std::string& key, TextParser& parser)
{
    const std::string& file = gUISystem ? gUISystem->loadingFile : std::string();
    if (StringEqualsNoCase(key, "offset") || StringEqualsNoCase(key, "iconSize")) {
        float* pair = StringEqualsNoCase(key, "offset") ? offset : iconSize;
        pair[0] = ReadLayoutFloat(parser, file);
        pair[1] = ReadLayoutFloat(parser, file);
    } else if (StringEqualsNoCase(key, "enhancementsOnly")) {
        enhancementsOnly = parser.GetBool(false);
    } else {
        return UIWidget::ReadProperty(key, parser);
    }
    return false;
}

void UIStatusEffectIcons::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* other = dynamic_cast<const UIStatusEffectIcons*>(&source);
    if (!other || other == this)
        return;
    std::copy(std::begin(other->offset), std::end(other->offset), offset);
    std::copy(std::begin(other->iconSize), std::end(other->iconSize), iconSize);
    enhancementsOnly = other->enhancementsOnly;
    // The icons are refreshed from the entity at the copy's first draw.
    count = 0;
}
