// CovenantChartsTest -- the relations screen's power and influence charts over a covenant history of 0, 5, 20 and 100 points: which points each step reads, where the lines lie, the weighted power range, hidden series, and a covenant that joined part way.
#include "ui/RelationsWorld.h"

#include "core/EngineEnums.h"

#include <map>
#include <utility>

namespace {

// Two covenants with current stats and a history of points, each nine values a covenant.
class ChartView : public FakeGameView {
public:
    bool HasCovenantMirror() const override { return mirror; }
    bool GetCovenantStat(int32_t covenant, int32_t index, int32_t& out) const override
    {
        auto found = stats.find({covenant, index});
        out = found == stats.end() ? 0 : found->second;
        return covenant >= 0 && covenant < GetCovenantCount();
    }
    int32_t GetHistoryCount() const override { return static_cast<int32_t>(history.size()); }
    bool GetHistoryValue(int32_t point, int32_t covenant, int32_t value, int32_t& out) const override
    {
        if (point < 0 || point >= GetHistoryCount())
            return false;
        const std::vector<int32_t>& sample = history[static_cast<size_t>(point)];
        size_t at = static_cast<size_t>(covenant) * 9 + static_cast<size_t>(value);
        if (covenant < 0 || at >= sample.size())
            return false;
        out = sample[at];
        return true;
    }

    bool mirror = true;
    std::map<std::pair<int32_t, int32_t>, int32_t> stats;
    std::vector<std::vector<int32_t>> history;
};

class CovenantCharts : public RelationsWorld {
protected:
    void SetUp() override
    {
        Start(1, {}, "PowerWeightHouse 2\nPowerWeightPeople 0.5\n");
        chart.running = true;
        chart.playerCovenant = 0;
        chart.covenants.resize(2);
        chart.covenants[0].name = "Ours";
        chart.covenants[1].name = "Theirs";
        ui->SetGameView(&chart);
        Open();
    }

    void TearDown() override { ui->SetGameView(&view); }

    // History point h holds h as covenant 0's adventure influence and 0 for covenant 1.
    void MakeHistory(int32_t points)
    {
        chart.history.clear();
        for (int32_t h = 0; h < points; ++h) {
            std::vector<int32_t> sample(18, 0);
            sample[5] = h;
            chart.history.push_back(sample);
        }
    }

    // Covenant c's segments: the covenants' lines are drawn one covenant after the other, each
    // with as many segments.
    std::vector<RecordedLine> Segments(int32_t c) const
    {
        std::vector<RecordedLine> all = canvas.OfWidth(3.0f);
        size_t each = all.size() / chart.covenants.size();
        return {all.begin() + static_cast<std::ptrdiff_t>(each * static_cast<size_t>(c)),
                all.begin() + static_cast<std::ptrdiff_t>(each * static_cast<size_t>(c + 1))};
    }

    static float YOf(float value, float lower, float upper) { return 100.0f + (1.0f - (value - lower) / (upper - lower)) * 280.0f; }

    ChartView chart;
};

} // namespace

TEST_F(CovenantCharts, WithoutHistoryThereAreNoSegmentsAndTheNamesStandAtTheRightEdge)
{
    chart.stats[{0, CovenantStat::InfluenceAdventure}] = 100;
    chart.stats[{1, CovenantStat::InfluenceAdventure}] = 40;
    menu->HandleMenuCommand("ShowInfluenceCompare");
    Draw();
    EXPECT_TRUE(canvas.OfWidth(3.0f).empty());
    // Each line's name at its end, then the legend above the chart: a swatch and the name an entry.
    ASSERT_EQ(canvas.texts.size(), 4u);
    EXPECT_EQ(canvas.texts[0].text, "^f015Ours");
    EXPECT_FLOAT_EQ(canvas.texts[0].x, 540.0f);
    EXPECT_FLOAT_EQ(canvas.texts[0].y, 100.0f);
    // The lower bound is 0 while the minimum is above it.
    EXPECT_FLOAT_EQ(canvas.texts[1].y, YOf(40.0f, 0.0f, 100.0f));
    for (size_t c = 0; c < 2; ++c) {
        const RecordedText& name = canvas.texts[2 + c];
        EXPECT_EQ(name.text, canvas.texts[c].text) << c;
        EXPECT_LT(name.y + 16.0f, 100.0f) << "above the chart";
        EXPECT_GT(name.x, c == 0 ? 100.0f : canvas.texts[2].x + 60.0f) << "side by side";
    }
    ASSERT_EQ(canvas.lines.size(), 2u) << "a swatch a covenant";
    EXPECT_LT(canvas.lines[1].x1, canvas.texts[3].x);

    // No covenant mirror: the page alone.
    chart.mirror = false;
    Draw();
    EXPECT_TRUE(canvas.texts.empty());
}

TEST_F(CovenantCharts, UpToTwentyPointsEveryStepButTheLastReadsTheFirstPoint)
{
    chart.stats[{0, CovenantStat::InfluenceAdventure}] = 100;
    menu->HandleMenuCommand("ShowInfluenceCompare");
    for (int32_t points : {5, 20}) {
        MakeHistory(points);
        chart.history[0][5] = 50;
        Draw();
        std::vector<RecordedLine> ours = Segments(0);
        ASSERT_EQ(ours.size(), static_cast<size_t>(points)) << points;
        for (int32_t s = 0; s < points; ++s) {
            const RecordedLine& line = ours[static_cast<size_t>(s)];
            EXPECT_FLOAT_EQ(line.x0, 100.0f + 440.0f * static_cast<float>(s) / static_cast<float>(points)) << s;
            EXPECT_FLOAT_EQ(line.y0, YOf(50.0f, 0.0f, 100.0f)) << points << " " << s;
            float end = s + 1 == points ? YOf(100.0f, 0.0f, 100.0f) : YOf(50.0f, 0.0f, 100.0f);
            EXPECT_FLOAT_EQ(line.y1, end) << points << " " << s;
        }
        EXPECT_FLOAT_EQ(ours.back().x1, 540.0f);
    }
}

TEST_F(CovenantCharts, AHundredPointsAreReadEveryFourthThenTheCurrentValue)
{
    chart.stats[{0, CovenantStat::InfluenceAdventure}] = 100;
    MakeHistory(100);
    menu->HandleMenuCommand("ShowInfluenceCompare");
    Draw();
    std::vector<RecordedLine> ours = Segments(0);
    ASSERT_EQ(ours.size(), 20u);
    for (int32_t s = 0; s < 20; ++s)
        EXPECT_FLOAT_EQ(ours[static_cast<size_t>(s)].y0, YOf(4.0f * static_cast<float>(s), 0.0f, 100.0f)) << s;
    EXPECT_FLOAT_EQ(ours.back().y1, 100.0f);
    EXPECT_EQ(Segments(1).size(), 20u);
}

TEST_F(CovenantCharts, PowerIsWeightedAndEverySeriesHiddenLeavesFlatLinesAtTheBottom)
{
    chart.stats[{0, CovenantStat::House}] = 10;
    chart.stats[{0, CovenantStat::People}] = 40;
    chart.stats[{1, CovenantStat::House}] = 30;
    MakeHistory(3);
    menu->HandleMenuCommand("ShowPowerCompare");
    Draw();
    // House weighs 2, people 0.5: the range runs from 2 x 10 + 0 to 2 x 30 + 0.5 x 40.
    EXPECT_FLOAT_EQ(menu->powerRange[0], 20.0f);
    EXPECT_FLOAT_EQ(menu->powerRange[1], 80.0f);
    ASSERT_EQ(Segments(0).size(), 3u);
    // Ours now: 2 x 10 + 0.5 x 40 = 40; the lower bound is 0 as the minimum is above it.
    EXPECT_FLOAT_EQ(Segments(0).back().y1, YOf(40.0f, 0.0f, 80.0f));

    for (int32_t k = 0; k < UIRelationsMenu::kPowerSeries; ++k)
        menu->HandleMenuCommand("TogglePower " + std::to_string(k));
    Draw();
    ASSERT_FALSE(canvas.OfWidth(3.0f).empty());
    for (const RecordedLine& line : canvas.OfWidth(3.0f)) {
        EXPECT_FLOAT_EQ(line.y0, 380.0f);
        EXPECT_FLOAT_EQ(line.y1, 380.0f);
    }
    // The labels show which series are hidden.
    UIWidget* label = ui->FindMenu("RelationsPowerCompare")->FindWidget("Power2");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->color.g, UIRelationsMenu::TableColor(4).g);
}

TEST_F(CovenantCharts, ACovenantThatJoinedPartWayReadsZeroBeforeIt)
{
    chart.stats[{0, CovenantStat::InfluenceAdventure}] = 100;
    chart.stats[{1, CovenantStat::InfluenceAdventure}] = 80;
    MakeHistory(4);
    // Covenant 1 is in the last two points only, at 60.
    for (int32_t h = 0; h < 4; ++h) {
        chart.history[static_cast<size_t>(h)][5] = 100;
        if (h < 2)
            chart.history[static_cast<size_t>(h)].resize(9);
        else
            chart.history[static_cast<size_t>(h)][9 + 5] = 60;
    }
    menu->HandleMenuCommand("ShowInfluenceCompare");
    Draw();
    std::vector<RecordedLine> theirs = Segments(1);
    ASSERT_EQ(theirs.size(), 4u);
    // Every step before the last reads point 0, taken before it joined.
    EXPECT_FLOAT_EQ(theirs[0].y0, 380.0f);
    EXPECT_FLOAT_EQ(theirs.back().y1, YOf(80.0f, 0.0f, 100.0f));
}
