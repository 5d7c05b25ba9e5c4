// UIStatValue -- one number of the game state (a character, fun or covenant stat, a record, health or power) shown as text with a detailed tooltip.
#include "ui/widgets/UIStatValue.h"

#include "core/ColorSystem.h"
#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/TimeStamp.h"
#include "rules/CharacterClass.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "ui/UISystem.h"
#include "ui/UiGameView.h"

#include <cmath>

namespace {

// The colour code that returns to the colour before.
constexpr int32_t kStatValuePopColor = 145;
constexpr int32_t kStatValueFirstAttribute = 5;
constexpr int32_t kStatValueLastAttribute = 9;
constexpr int32_t kStatValueMinDamage = 88;
constexpr int32_t kStatValuePower = 80;
constexpr int32_t kStatValueCovenantMoney = 10;

// The table a stat type's names belong to; null for a type outside them.
const char* StatValueTableOf(int32_t type)
{
    switch (type) {
    case StatType::Normal:
    case StatType::GlobalNormal: return "CharacterStat";
    case StatType::Fun:
    case StatType::GlobalFun: return "CharacterFunStat";
    case StatType::Covenant:
    case StatType::PlayerCovenant: return "CovenantStat";
    case StatType::CovenantFun: return "CovenantFunStat";
    case StatType::GlobalOther:
    case StatType::Other: return "StatOtherIndex";
    default: return nullptr;
    }
}

// A stat the view does not hold reads 0.
template <typename Getter> int32_t StatValueRead(Getter getter)
{
    int32_t value = 0;
    return getter(value) ? value : 0;
}

} // namespace

UIStatValue::~UIStatValue() = default;

// ---- Values ----

int32_t UIStatValue::GetValue(int32_t offset) const
{
    // An index outside the stat lists (none given, or the second of two stats past the last)
    // reads 0 rather than whatever lies beyond.
    if (statIndex < 0)
        return 0;
    return ReadStat(statIndex + offset);
}

int32_t UIStatValue::GetSecondValue() const
{
    return secondStatIndex < 0 ? 0 : ReadStat(secondStatIndex);
}

int32_t UIStatValue::ReadStat(int32_t index) const
{
    if (!gUISystem)
        return 0;
    if (entityType == UIEntity::PlayerClient)
        return ReadPlayerStat(index);
    if (statType != StatType::Other)
        return 0;
    const UiGameView& view = gUISystem->GetGameView();
    UiCovenantFacts covenant;
    if (GetCovenant(covenant)) {
        switch (index) {
        case StatOtherIndex::CovenantHealth: return covenant.homeHealth;
        case StatOtherIndex::CovenantMaxHealth: return covenant.maxHomeHealth;
        case StatOtherIndex::CovenantPower: return covenant.strength;
        case StatOtherIndex::CovenantMaxPower: {
            UiCovenantFacts strongest;
            return view.GetCovenant(view.GetCovenantByPower(0), strongest) ? strongest.strength : 0;
        }
        default: break;
        }
    }
    return ReadEntityStat(index);
}

int32_t UIStatValue::ReadPlayerStat(int32_t index) const
{
    const UiGameView& view = gUISystem->GetGameView();
    switch (statType) {
    case StatType::Normal: return StatValueRead([&](int32_t& v) { return view.GetPlayerStat(index, v); });
    case StatType::Fun: return StatValueRead([&](int32_t& v) { return view.GetPlayerFunStat(index, v); });
    case StatType::PlayerCovenant:
        return StatValueRead([&](int32_t& v) { return view.GetCovenantStat(view.GetPlayerCovenantIndex(), index, v); });
    case StatType::CovenantFun:
        return StatValueRead(
            [&](int32_t& v) { return view.GetCovenantFunStat(view.GetPlayerCovenantIndex(), index, v); });
    case StatType::Covenant:
        return StatValueRead([&](int32_t& v) { return view.GetCovenantStat(covenantNumber, index, v); });
    case StatType::GlobalNormal:
    case StatType::GlobalFun:
    case StatType::GlobalOther: return view.GetGlobalStatBest(statType, index);
    case StatType::Other: break;
    default: return 0;
    }
    UiEntityFacts player;
    if (!view.HasLocalPlayer() || !view.GetEntity(view.GetPlayerEntityNumber(), player))
        return 0;
    switch (index) {
    case StatOtherIndex::Health: return player.health;
    case StatOtherIndex::MaxHealth: return player.maxHealth;
    case StatOtherIndex::TimedEvent: return static_cast<int32_t>(player.timedEvent * 100.0f);
    case StatOtherIndex::MaxTimedEvent: return static_cast<int32_t>(player.maxTimedEvent * 100.0f);
    default: return view.GetPlayerComputedValue(index);
    }
}

int32_t UIStatValue::ReadEntityStat(int32_t index) const
{
    UiEntityFacts entity;
    if (!GetEntity(entity))
        return 0;
    switch (index) {
    case StatOtherIndex::Health: return entity.health;
    case StatOtherIndex::MaxHealth: return entity.maxHealth;
    case StatOtherIndex::Power: return entity.power;
    case StatOtherIndex::MaxPower: return entity.maxPower;
    case StatOtherIndex::TimedEvent: return static_cast<int32_t>(entity.timedEvent * 100.0f);
    case StatOtherIndex::MaxTimedEvent: return static_cast<int32_t>(entity.maxTimedEvent * 100.0f);
    default: return 0;
    }
}

// ---- Tests ----

bool UIStatValue::IsMaxed() const
{
    return secondStatIndex != -1 && GetValue() >= GetSecondValue();
}

bool UIStatValue::IsPlayerAttribute() const
{
    return entityType == UIEntity::PlayerClient && statType == StatType::Normal &&
           statIndex >= kStatValueFirstAttribute && statIndex <= kStatValueLastAttribute;
}

int32_t UIStatValue::GetBaseAttribute() const
{
    int32_t base = 0;
    return gUISystem && gUISystem->GetGameView().GetPlayerStat(statIndex - kStatValueFirstAttribute, base) ? base : 0;
}

int32_t UIStatValue::GetAttributeTarget() const
{
    return GetBaseAttribute() + gUISystem->GetGameView().GetSkillAttributeBonus(statIndex - kStatValueFirstAttribute);
}

bool UIStatValue::IsIncreased() const
{
    return IsPlayerAttribute() && GetValue() > GetAttributeTarget();
}

bool UIStatValue::IsDecreased() const
{
    return IsPlayerAttribute() && GetValue() < GetAttributeTarget();
}

bool UIStatValue::IsBaseMaxed() const
{
    if (!IsPlayerAttribute() || !gUISystem->GetGameView().GetEntityClass(GetEntityNumber()) || !gGameData)
        return false;
    // A cap of 0 is the game data's "no cap".
    int32_t cap = gGameData->GetAttributeCap(statIndex - kStatValueFirstAttribute);
    return cap > 0 && GetBaseAttribute() >= cap;
}

// ---- Texts ----

std::string UIStatValue::FormatConvertedValue() const
{
    int32_t value = GetValue();
    switch (conversionType) {
    case StatConversionType::Money:
    case StatConversionType::MoneyShort: return FormatMoney(value);
    case StatConversionType::CovenantMoney: return StringFormat("%d $$Crystals$$", value);
    case StatConversionType::Float: return StringFormat("%.1f", static_cast<float>(value) / 100.0f);
    case StatConversionType::TimeInTwoStats: return FormatDurationShort(GetValue(1), value);
    case StatConversionType::Percent: {
        int32_t whole = GetSecondValue();
        float share = whole > 0 ? static_cast<float>(value) / static_cast<float>(whole) * 100.0f : 0.0f;
        return StringFormat("%.0f%%", share);
    }
    case StatConversionType::Level: return StringFormat("$$LevelAbrev$$ %d", value);
    case StatConversionType::LargeNumber: return FormatThousands(value);
    default: return {};
    }
}

std::string UIStatValue::BuildValueText(bool withMaxedSuffix) const
{
    std::string text;
    if (maxedColor != 0 && IsMaxed())
        text = ColorSystem::MakeColorCode(maxedColor);
    else if (increasedColor != 0 && IsIncreased())
        text = ColorSystem::MakeColorCode(increasedColor);
    else if (decreasedColor != 0 && IsDecreased())
        text = ColorSystem::MakeColorCode(decreasedColor);
    bool coloured = !text.empty();
    if (showName && !withMaxedSuffix) {
        text += "$$" + statName + "$$";
    } else {
        if (showStringValue)
            text += GetRecordHolderText();
        else if (conversionType != StatConversionType::None && !coloured)
            // Taken over whole rather than copied: a worth on screen is built every frame.
            text = FormatConvertedValue();
        else if (conversionType != StatConversionType::None)
            text += FormatConvertedValue();
        else if (secondStatIndex != -1)
            text += StringFormat("%d %s %d", GetValue(), divider.c_str(), GetSecondValue());
        else
            text += StringFormat("%d", GetValue());
        if (withMaxedSuffix && IsMaxed())
            text += " (maxed)";
    }
    if (coloured)
        text += ColorSystem::MakeColorCode(kStatValuePopColor);
    return text;
}

std::string UIStatValue::BuildBaseValueText() const
{
    bool maxed = IsBaseMaxed();
    bool coloured = maxedColor != 0 && maxed;
    std::string text = coloured ? ColorSystem::MakeColorCode(maxedColor) : std::string();
    text += StringFormat("%d", GetBaseAttribute());
    if (maxed)
        text += " (maxed)";
    if (coloured)
        text += ColorSystem::MakeColorCode(kStatValuePopColor);
    return text;
}

std::string UIStatValue::GetRecordHolderText() const
{
    bool global = statType == StatType::GlobalNormal || statType == StatType::GlobalFun ||
                  statType == StatType::GlobalOther;
    if (!global || !gUISystem || statIndex < 0)
        return {};
    return gUISystem->GetGameView().GetGlobalStatHolder(statType, statIndex);
}

// ---- Drawing and the tooltip ----

void UIStatValue::Draw()
{
    text = showStat ? BuildValueText(false) : std::string();
    StringExpandNewlines(text);
    UIWidget::Draw();
}

// The lines an attribute of value k gives, by the class's rates.
std::string UIStatValue::BuildAttributeLines(const CharacterClass& rates, int32_t k) const
{
    auto value = static_cast<float>(k);
    const char* power = rates.powerName.c_str();
    switch (statIndex) {
    case kStatValueFirstAttribute:
        return StringFormat("  +%.1f%% $$Damage$$\n\n", value * rates.damageMultPerStr * 100.0f);
    case kStatValueFirstAttribute + 1:
        return StringFormat("  +%d $$Defense$$\n", static_cast<int32_t>(std::floor(rates.defensePerDex * value))) +
               StringFormat("  +%d $$Attack$$\n\n", static_cast<int32_t>(std::floor(rates.attackPerDex * value)));
    case kStatValueFirstAttribute + 2:
        return StringFormat("  +%.1f $$Health$$\n\n", rates.healthPerVit * value);
    case kStatValueFirstAttribute + 3: {
        std::string lines = StringFormat("  +%d %s\n", rates.powerPerInt * k, power);
        if (rates.powerRegenPerInt > 0.0f)
            lines += StringFormat("  +%.2f %s $$RegenEverySecond$$\n",
                                    rates.powerRegenPerInt * value + rates.basePowerRegen, power);
        return lines + StringFormat("  +%.1f%% $$CriticalHitSpellChance$$\n\n", rates.criticalPerInt * value);
    }
    default: {
        std::string lines;
        if (rates.powerRegenPerSpr > 0.0f)
            lines += StringFormat("  +%.1f %s $$RegenEverySecond$$\n",
                                    rates.powerRegenPerSpr * value + rates.basePowerRegen, power);
        lines += StringFormat("  +%.1f $$ToElementalResistances$$\n", rates.resistancePerSpr * value);
        if (rates.powerPerSpr * k != 0)
            lines += StringFormat("  +%d %s\n", rates.powerPerSpr * k, power);
        return lines + "\n";
    }
    }
}

std::string UIStatValue::BuildTooltip() const
{
    std::string tooltip = "$$" + statName + "$$\n" + BuildValueText(false);
    // The rates are those of the class of the entity shown, as the client knows it.
    const CharacterClass* rates = gUISystem ? gUISystem->GetGameView().GetEntityClass(GetEntityNumber()) : nullptr;
    if (statType == StatType::Normal) {
        std::string header = highlightText.empty() ? "$$" + statName + "$$\n\n" : highlightText + "\n\n";
        if (statIndex == kStatValuePower && rates) {
            tooltip = rates->powerName + "\n" + BuildValueText(false);
        } else if (statIndex >= kStatValueFirstAttribute && statIndex <= kStatValueLastAttribute) {
            tooltip = header + "$$BaseAmount$$: " + BuildBaseValueText() + "\n" + "$$CurrentAmount$$: " +
                      BuildValueText(true) + "\n";
            int32_t k = GetValue();
            if (rates)
                tooltip += BuildAttributeLines(*rates, k) +
                           StringFormat("$$StatAt$$ %d $$%s$$:\n", k + 1, statName.c_str()) +
                           BuildAttributeLines(*rates, k + 1);
            tooltip += BuildBonusSkillLine();
        } else if (statIndex == kStatValueMinDamage) {
            tooltip = "$$Damage$$\n\n" + StringFormat("%d %s %d $$DamagePerSuccessulHit$$", GetValue(),
                                                        divider.c_str(), GetSecondValue());
        }
    } else if (statType == StatType::Covenant && statIndex == kStatValueCovenantMoney) {
        tooltip = "$$Money$$\n\n" + StringFormat("%d $$Crystals$$", GetValue());
    }
    BuildFigureTooltip(tooltip);
    if (!highlightText.empty())
        tooltip += highlightText;
    if (HasHighlightTextSource())
        tooltip += BuildText(highlightTextSource);
    return tooltip;
}

bool UIStatValue::GetHelpText(int32_t x, int32_t y, std::string& out, std::string& title)
{
    if (!highlightRedirect.empty() && gUISystem) {
        UIWidget* target = gUISystem->FindWidgetByPath(highlightRedirect);
        if (target && target != this && target->GetHelpText(x, y, out, title))
            return true;
    }
    if (!gUISystem || !gUISystem->GetGameView().HasLocalPlayer())
        return false;
    if (statType == StatType::Normal) {
        UiEntityFacts entity;
        if (!GetEntity(entity) || !entity.hasClass)
            return false;
    }
    out = BuildTooltip();
    return true;
}

// ---- Layout and copies ----

bool UIStatValue::ReadStatKeyword(const std::string& key, TextParser& parser)
{
    if (StringEqualsNoCase(key, "stat")) {
        std::string typeName = parser.ReadString(false);
        statName = parser.ReadString(false);
        std::string secondName = parser.ReadString(false);
        statType = EnumTable::LookupIn("StatType", typeName);
        if (const char* table = StatValueTableOf(statType)) {
            statIndex = EnumTable::LookupIn(table, statName);
            secondStatIndex = secondName.empty() ? -1 : EnumTable::LookupIn(table, secondName);
        }
    } else if (StringEqualsNoCase(key, "showName")) {
        showName = parser.GetInt(false) != 0;
    } else if (StringEqualsNoCase(key, "divider")) {
        divider = parser.ReadString(false);
    } else if (StringEqualsNoCase(key, "conversionType")) {
        conversionType = EnumTable::LookupIn("StatConversionType", parser.ReadString(false));
    } else if (StringEqualsNoCase(key, "showStringValue")) {
        showStringValue = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "showStat")) {
        showStat = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "maxedColor")) {
        maxedColor = EnumTable::LookupIn("ColorType", parser.ReadString(false));
    } else if (StringEqualsNoCase(key, "increasedColor")) {
        increasedColor = EnumTable::LookupIn("ColorType", parser.ReadString(false));
    } else if (StringEqualsNoCase(key, "decreasedColor")) {
        decreasedColor = EnumTable::LookupIn("ColorType", parser.ReadString(false));
    } else {
        return false;
    }
    return true;
}

bool UIStatValue::ReadProperty(const std::string& key, TextParser& parser)
{
    if (ReadStatKeyword(key, parser))
        return false;
    return UIWidget::ReadProperty(key, parser);
}

void UIStatValue::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* other = dynamic_cast<const UIStatValue*>(&source);
    if (!other || other == this)
        return;
    statName = other->statName;
    divider = other->divider;
    showName = other->showName;
    showStringValue = other->showStringValue;
    statType = other->statType;
    statIndex = other->statIndex;
    secondStatIndex = other->secondStatIndex;
    covenantNumber = other->covenantNumber;
    conversionType = other->conversionType;
    showStat = other->showStat;
    maxedColor = other->maxedColor;
    increasedColor = other->increasedColor;
    decreasedColor = other->decreasedColor;
}
