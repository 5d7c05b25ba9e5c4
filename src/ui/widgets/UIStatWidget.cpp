// UIStatWidget -- a widget moved along a line in proportion to a stat, such as the experience pointer.
#include "ui/widgets/UIStatWidget.h"

#include "core/EnumTable.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "ui/UISystem.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// The experience owed after a death: the pointer shows how much of the level it holds back.
constexpr int32_t kStatWidgetXpDebt = 87;

int32_t StatWidgetPlayerStat(const char* statName)
{
    int32_t index = EnumTable::LookupIn("CharacterStat", statName, true);
    int32_t value = 0;
    return gUISystem && gUISystem->GetGameView().GetPlayerStat(index, value) ? value : 0;
}

} // namespace

UIStatWidget::~UIStatWidget() = default;

float UIStatWidget::GetFraction() const
{
    float fraction = 0.0f;
    if (statType == StatType::Normal && statIndex == kStatWidgetXpDebt) {
        int32_t debt = GetValue();
        int32_t needed = StatWidgetPlayerStat("XpNeeded");
        if (debt > 0 && needed != 0)
            fraction = static_cast<float>(debt + StatWidgetPlayerStat("Xp")) / static_cast<float>(needed);
    } else if (statMultiplier != 0.0f) {
        // Without a multiplier the widget stays at its start rather than dividing by zero.
        fraction = static_cast<float>(GetValue()) / statMultiplier;
    }
    if (fraction > 1.0f && statWraps)
        fraction -= std::trunc(fraction);
    return fraction;
}

void UIStatWidget::Update(float /*seconds*/)
{
    if (!statControlsPosition)
        return;
    float fraction = GetFraction();
    position[0] = startPosition[0] + (endPosition[0] - startPosition[0]) * fraction - size[0] * 0.5f;
    position[1] = startPosition[1] + (endPosition[1] - startPosition[1]) * fraction;
}

void UIStatWidget::Draw()
{
    if (hasDontDrawValue && GetValue() == dontDrawValue)
        return;
    UIWidget::Draw();
}

bool UIStatWidget::ReadProperty(const std::string& key, TextParser& parser)
{
    const std::string& file = gUISystem ? gUISystem->loadingFile : std::string();
    if (StringEqualsNoCase(key, "startPosition") || StringEqualsNoCase(key, "endPosition")) {
        float* point = StringEqualsNoCase(key, "startPosition") ? startPosition : endPosition;
        point[0] = ReadLayoutFloat(parser, file);
        point[1] = ReadLayoutFloat(parser, file);
    } else if (StringEqualsNoCase(key, "statControlsPosition")) {
        statControlsPosition = parser.GetInt(false) != 0;
    } else if (StringEqualsNoCase(key, "statMultiplier")) {
        statMultiplier = ReadLayoutFloat(parser, file);
    } else if (StringEqualsNoCase(key, "dontDrawValue")) {
        dontDrawValue = parser.GetInt(false);
        hasDontDrawValue = true;
    } else if (StringEqualsNoCase(key, "statWraps")) {
        statWraps = parser.GetBool(false);
    } else {
        return UIStatValue::ReadProperty(key, parser);
    }
    return false;
}

void UIStatWidget::CopyFrom(const UIWidget& source)
{
    UIStatValue::CopyFrom(source);
    const auto* other = dynamic_cast<const UIStatWidget*>(&source);
    if (!other || other == this)
        return;
    statControlsPosition = other->statControlsPosition;
    std::copy(std::begin(other->startPosition), std::end(other->startPosition), startPosition);
    std::copy(std::begin(other->endPosition), std::end(other->endPosition), endPosition);
    statMultiplier = other->statMultiplier;
    statWraps = other->statWraps;
    hasDontDrawValue = other->hasDontDrawValue;
    dontDrawValue = other->dontDrawValue;
}
