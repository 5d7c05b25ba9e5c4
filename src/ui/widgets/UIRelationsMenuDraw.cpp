// UIRelationsMenuDraw -- the relations screen's own pictures: the relation graph between the cards on the ring, with its legend, and the power and influence charts over the covenant history.
#include "ui/widgets/UIRelationsMenu.h"

#include "core/ColorSystem.h"
#include "core/EngineEnums.h"
#include "render/ImmediateDraw.h"
#include "render/Renderer.h"
#include "render/TextMeasure.h"
#include "resources/fonts/ScreenText.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "ui/UISystem.h"
#include "ui/UIWidget.h"
#include "ui/UiGameView.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr uint16_t kSolid = 0xFFFF;
constexpr uint16_t kTreatyPattern = 0xF0F0;
constexpr uint16_t kTradePattern = 0xCCCC;
constexpr int32_t kColorSelected = 0;
constexpr int32_t kColorUnselected = 4;
// The treaty kind and route kind that draw no line.
constexpr int32_t kPeace = 1;
constexpr int32_t kNoRoute = 0;
// The chart's box in the 640 x 480 space.
constexpr float kChartLeft = 100.0f;
constexpr float kChartWidth = 440.0f;
constexpr float kChartTop = 100.0f;
constexpr float kChartHeight = 280.0f;
// The legend above the chart, under the heading: a swatch and a name an entry, four entries a row.
constexpr float kLegendLeft = 100.0f;
constexpr float kLegendTop = 42.0f;
constexpr float kLegendColumn = 110.0f;
constexpr int32_t kLegendColumns = 4;
constexpr float kLegendSwatch = 12.0f;
constexpr float kLegendRow = 16.0f;
// Where a history point keeps the first influence value.
constexpr int32_t kFirstInfluenceValue = 5;

constexpr int32_t kRelationsPowerStats[UIRelationsMenu::kPowerSeries] = {
    CovenantStat::House, CovenantStat::AbsoluteInfluence, CovenantStat::People, CovenantStat::Items,
    CovenantStat::LifeStone};
constexpr int32_t kRelationsInfluenceStats[UIRelationsMenu::kInfluenceSeries] = {
    CovenantStat::InfluenceAdventure, CovenantStat::InfluenceCompetition, CovenantStat::InfluenceWorld,
    CovenantStat::InfluenceTransferred};

const UiGameView& RelationsDrawView()
{
    static const UiGameView none;
    return gUISystem ? gUISystem->GetGameView() : none;
}

float RelationsWeight(bool power, int32_t category)
{
    if (!power)
        return 1.0f;
    return gGameData ? gGameData->GetTuning().powerWeight[static_cast<size_t>(category)] : 0.0f;
}

int32_t RelationsStatOf(bool power, int32_t category)
{
    return power ? kRelationsPowerStats[category] : kRelationsInfluenceStats[category];
}

} // namespace

void RelationsCanvas::DrawLine(float x0, float y0, float x1, float y1, float width, const Color& color,
                               uint16_t pattern)
{
    if (gRenderer)
        gRenderer->GetImmediateDraw().DrawLine(x0, y0, x1, y1, width, color, pattern);
}

void RelationsCanvas::DrawText(const std::string& text, float x, float y, const Color& color)
{
    if (gScreenText)
        gScreenText->DrawTextNarrow(font, text, static_cast<int32_t>(x), static_cast<int32_t>(y), color, true, 1.0f);
}

RelationsCanvas& UIRelationsMenu::Canvas()
{
    return canvas ? *canvas : ownCanvas;
}

Color UIRelationsMenu::TableColor(int32_t index)
{
    Color color{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index < 0 || index > kLastColor ? 0 : index);
    return color;
}

Color UIRelationsMenu::RelationColor(float relation)
{
    float low = gUISystem ? gUISystem->settings.minRelationForColoring : 0.0f;
    float high = gUISystem ? gUISystem->settings.maxRelationForColoring : 0.0f;
    if (relation <= low)
        return Color{1.0f, 0.0f, 0.0f};
    if (relation >= high)
        return Color{0.0f, 1.0f, 0.0f};
    return Color{(high - relation) / (high - low), (relation - low) / (high - low), 0.0f};
}

void UIRelationsMenu::Draw()
{
    if (!IsShown())
        return;
    UIMenu* page = GetCurrentPage();
    if (!page)
        return;
    switch (currentPage) {
    case kMainPage: DrawGraph(); break;
    case kPowerComparePage: DrawChart(true); break;
    case kInfluenceComparePage: DrawChart(false); break;
    case kWinProgressPage: page->Draw(); break;
    default:
        page->Draw();
        selectedNameWidget->Draw();
        selectedTextWidget->Draw();
        break;
    }
}

// ---- The relation graph ----

void UIRelationsMenu::DrawGraph()
{
    if (UIMenu* page = GetCurrentPage())
        page->Draw();
    bool treatyDrawn = false;
    bool tradeDrawn = false;
    const UiGameView& view = RelationsDrawView();
    int32_t count = CoveredCount();
    for (int32_t i = 0; i < count; ++i) {
        for (int32_t j = i + 1; j < count; ++j) {
            UiCovenantFacts a;
            UiCovenantFacts b;
            bool eitherSelected = covenantCards[static_cast<size_t>(i)].selected ||
                                  covenantCards[static_cast<size_t>(j)].selected;
            if (!eitherSelected || !view.GetCovenant(i, a) || !view.GetCovenant(j, b) || a.defeated || b.defeated)
                continue;
            DrawPair(i, j, treatyDrawn, tradeDrawn);
        }
    }
    DrawCards();
    DrawLegend(treatyDrawn, tradeDrawn);
}

void UIRelationsMenu::DrawPair(int32_t i, int32_t j, bool& treatyDrawn, bool& tradeDrawn)
{
    const UiGameView& view = RelationsDrawView();
    int32_t local = view.GetPlayerCovenantIndex();
    float ax = 0.0f;
    float ay = 0.0f;
    float bx = 0.0f;
    float by = 0.0f;
    RingPosition(RingSlot(i, local), covenantCount, ax, ay);
    RingPosition(RingSlot(j, local), covenantCount, bx, by);
    float dx = bx - ax;
    float dy = by - ay;
    float degrees = dx == 0.0f && dy == 0.0f ? 0.0f : std::atan2(dy, dx) * (180.0f / 3.1415927f);
    degrees = std::fmod(degrees, 360.0f);
    if (degrees < 0.0f)
        degrees += 360.0f;
    if (degrees > 180.0f)
        degrees -= 360.0f;
    float normal = (degrees + 90.0f) * 0.017453293f;
    float nx = std::cos(normal);
    float ny = std::sin(normal);
    float length = std::sqrt(nx * nx + ny * ny);
    nx /= length;
    ny /= length;
    RelationsCanvas& out = Canvas();
    if (showRelations.GetInt() != 0)
        out.DrawLine(ax, ay, bx, by, 3.0f, RelationColor(view.GetRelation(i, j)), kSolid);
    int32_t treaty = view.GetTreaty(i, j);
    if (showTreaties.GetInt() != 0 && treaty != kPeace) {
        Color color = TableColor(gGameData ? gGameData->GetTreatyColor(treaty) : 0);
        out.DrawLine(ax + 4.0f * nx, ay + 4.0f * ny, bx + 4.0f * nx, by + 4.0f * ny, 4.0f, color, kTreatyPattern);
        treatyDrawn = true;
    }
    int32_t route = view.GetTradeRouteKind(i, j);
    if (showTradeRoutes.GetInt() != 0 && route != kNoRoute) {
        Color color = TableColor(gGameData ? gGameData->GetTradeRouteColor(route) : 0);
        out.DrawLine(ax - 4.0f * nx, ay - 4.0f * ny, bx - 4.0f * nx, by - 4.0f * ny, 1.0f, color, kTradePattern);
        tradeDrawn = true;
    }
}

void UIRelationsMenu::DrawCards()
{
    const UiGameView& view = RelationsDrawView();
    for (int32_t i = 0; i < CoveredCount(); ++i) {
        Card& card = covenantCards[static_cast<size_t>(i)];
        UiCovenantFacts covenant;
        bool eliminated = view.GetCovenant(i, covenant) && covenant.defeated;
        card.nameWidget->color = TableColor(!card.selected || eliminated ? kColorUnselected : kColorSelected);
        card.eliminatedSign->visible = eliminated;
        card.card->Update(0.0f);
        card.card->Draw();
    }
}

void UIRelationsMenu::DrawLegend(bool treatyDrawn, bool tradeDrawn)
{
    RelationsCanvas& out = Canvas();
    Color color = TableColor(0);
    bool full = simplify.GetInt() == 0;
    out.DrawLine(80.0f, 136.0f, 160.0f, 136.0f, 2.5f, color, kSolid);
    if (full || treatyDrawn)
        out.DrawLine(80.0f, 231.0f, 160.0f, 231.0f, 4.0f, color, kTreatyPattern);
    if (full || tradeDrawn)
        out.DrawLine(80.0f, 326.0f, 160.0f, 326.0f, 1.0f, color, kTradePattern);
}

// ---- The charts ----

void UIRelationsMenu::ComputeRange(bool power, float range[2]) const
{
    const UiGameView& view = RelationsDrawView();
    range[0] = 0.0f;
    range[1] = 0.0f;
    const Series* series = power ? powerSeries.data() : influenceSeries.data();
    int32_t categories = power ? kPowerSeries : kInfluenceSeries;
    for (int32_t k = 0; k < categories; ++k) {
        if (!series[k].shown)
            continue;
        int32_t lowest = std::numeric_limits<int32_t>::max();
        int32_t highest = std::numeric_limits<int32_t>::min();
        for (int32_t c = 0; c < CoveredCount(); ++c) {
            int32_t value = 0;
            view.GetCovenantStat(c, RelationsStatOf(power, k), value);
            lowest = std::min(lowest, value);
            highest = std::max(highest, value);
        }
        if (lowest > highest)
            continue;
        float weight = RelationsWeight(power, k);
        range[0] += weight * static_cast<float>(lowest);
        range[1] += weight * static_cast<float>(highest);
    }
}

float UIRelationsMenu::ChartValue(bool power, int32_t covenant, int32_t point) const
{
    const UiGameView& view = RelationsDrawView();
    const Series* series = power ? powerSeries.data() : influenceSeries.data();
    int32_t categories = power ? kPowerSeries : kInfluenceSeries;
    float sum = 0.0f;
    for (int32_t k = 0; k < categories; ++k) {
        if (!series[k].shown)
            continue;
        // A point taken before the covenant existed reads its values as 0.
        int32_t value = 0;
        if (point < 0)
            view.GetCovenantStat(covenant, RelationsStatOf(power, k), value);
        else
            view.GetHistoryValue(point, covenant, (power ? 0 : kFirstInfluenceValue) + k, value);
        sum += static_cast<float>(value) * RelationsWeight(power, k);
    }
    return sum;
}

void UIRelationsMenu::ChartPoint(bool power, int32_t covenant, int32_t step, int32_t steps, const float range[2],
                                 float& x, float& y) const
{
    int32_t points = RelationsDrawView().GetHistoryCount();
    int32_t point = step * (points / (steps + 1));
    float value = ChartValue(power, covenant, step == steps ? -1 : point);
    float lower = range[0] > 0.0f ? 0.0f : range[0];
    float t = range[1] > 0.0f ? (value - lower) / (range[1] - lower) : 0.0f;
    // Without history there is one point only: it stands at the chart's right edge.
    x = steps > 0 ? static_cast<float>(step) / static_cast<float>(steps) * kChartWidth + kChartLeft
                  : kChartLeft + kChartWidth;
    y = kChartTop + (1.0f - t) * kChartHeight;
}

void UIRelationsMenu::DrawChart(bool power)
{
    UIMenu* page = GetCurrentPage();
    const Series* series = power ? powerSeries.data() : influenceSeries.data();
    int32_t categories = power ? kPowerSeries : kInfluenceSeries;
    for (int32_t k = 0; k < categories; ++k) {
        std::string label = StringFormat(power ? "Power%d" : "Influence%d", k);
        if (UIWidget* widget = page ? page->FindWidget(label) : nullptr)
            widget->color = TableColor(series[k].shown ? kColorSelected : kColorUnselected);
    }
    if (page)
        page->Draw();
    // Mended: the chart's names were drawn in no font, and so not at all; they take the page's
    // axis words' font.
    if (UIWidget* words = page ? page->FindWidget("YAxisLabel") : nullptr)
        Canvas().font = words->font.GetValue();
    const UiGameView& view = RelationsDrawView();
    if (!view.HasCovenantMirror())
        return;
    int32_t steps = std::min(view.GetHistoryCount(), kMaxChartSteps);
    float* range = power ? powerRange : influenceRange;
    ComputeRange(power, range);
    RelationsCanvas& out = Canvas();
    std::vector<ChartEndName>& names = chartEndNames;
    names.clear();
    for (int32_t c = 0; c < CoveredCount(); ++c) {
        UiCovenantFacts covenant;
        if (!view.GetCovenant(c, covenant))
            continue;
        Color color = TableColor(covenant.colorIndex);
        float x = 0.0f;
        float y = 0.0f;
        ChartPoint(power, c, 0, steps, range, x, y);
        for (int32_t s = 0; s < steps; ++s) {
            float nextX = 0.0f;
            float nextY = 0.0f;
            ChartPoint(power, c, s + 1, steps, range, nextX, nextY);
            out.DrawLine(x, y, nextX, nextY, 3.0f, color, kSolid);
            x = nextX;
            y = nextY;
        }
        names.push_back(ChartEndName{"^f015" + covenant.name, x, y, color});
    }
    DrawChartEndNames(names);
    DrawChartLegend();
}

void UIRelationsMenu::DrawChartEndNames(std::vector<ChartEndName>& names)
{
    RelationsCanvas& out = Canvas();
    float height = 0.0f;
    for (const ChartEndName& name : names)
        height = std::max(height, MeasureTextA(name.text, out.font).height);
    // Top to bottom by their lines' ends, each name's top half a name above its end, then pushed
    // down below the one before it, and the whole column pulled up when it ran below the chart.
    std::stable_sort(names.begin(), names.end(),
                     [](const ChartEndName& a, const ChartEndName& b) { return a.y < b.y; });
    float lowest = kChartTop + kChartHeight - height / 2.0f;
    float previous = kChartTop - height / 2.0f - height;
    for (ChartEndName& name : names) {
        name.y = std::max(name.y - height / 2.0f, previous + height);
        previous = name.y;
    }
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        it->y = std::min(it->y, lowest);
        lowest = it->y - height;
    }
    for (const ChartEndName& name : names)
        out.DrawText(name.text, name.x, name.y, name.color);
}

void UIRelationsMenu::DrawChartLegend()
{
    const UiGameView& view = RelationsDrawView();
    RelationsCanvas& out = Canvas();
    for (int32_t c = 0; c < CoveredCount(); ++c) {
        UiCovenantFacts covenant;
        if (!view.GetCovenant(c, covenant))
            continue;
        Color color = TableColor(covenant.colorIndex);
        float x = kLegendLeft + static_cast<float>(c % kLegendColumns) * kLegendColumn;
        float y = kLegendTop + static_cast<float>(c / kLegendColumns) * kLegendRow;
        out.DrawLine(x, y + kLegendRow / 2.0f, x + kLegendSwatch, y + kLegendRow / 2.0f, kLegendRow / 2.0f, color,
                     kSolid);
        out.DrawText("^f015" + covenant.name, x + kLegendSwatch + 4.0f, y, color);
    }
}
