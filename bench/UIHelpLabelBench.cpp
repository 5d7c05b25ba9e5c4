// UIHelpLabelBench -- one frame's item labels laid out by the help box: 300 ground items spread over the screen and 100 piled at one point, each with overlap avoidance beside the same labels without it.
#include "ui/widgets/UIHelp.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

namespace {

struct UIHelpLabelBenchPoint {
    float x = 0.0f;
    float y = 0.0f;
};

// Points over the 640 x 480 screen from a fixed linear congruential stream, or all at its centre.
std::vector<UIHelpLabelBenchPoint> UIHelpLabelBenchPoints(int32_t count, bool piled)
{
    std::vector<UIHelpLabelBenchPoint> points;
    uint32_t seed = 12345u;
    for (int32_t i = 0; i < count; ++i) {
        if (piled) {
            points.push_back({320.0f, 240.0f});
            continue;
        }
        seed = seed * 1664525u + 1013904223u;
        float x = static_cast<float>(seed >> 8 & 0xFFFF) / 65536.0f * 640.0f;
        seed = seed * 1664525u + 1013904223u;
        float y = static_cast<float>(seed >> 8 & 0xFFFF) / 65536.0f * 480.0f;
        points.push_back({x, y});
    }
    return points;
}

// A frame: the boxes cleared, then every label placed by its 32 x 32 anchor, as drawing places them.
void UIHelpLabelBenchFrame(benchmark::State& state, int32_t count, bool piled, bool avoid)
{
    std::vector<UIHelpLabelBenchPoint> points = UIHelpLabelBenchPoints(count, piled);
    UIHelp help;
    const float anchorSize[2] = {UIHelp::kLabelAnchorSide, UIHelp::kLabelAnchorSide};
    // A short item name in the game's small font.
    const float textWidth = 64.0f;
    const float textHeight = 12.0f;
    for (auto _ : state) {
        help.ClearPlacedBoxes();
        for (const UIHelpLabelBenchPoint& point : points) {
            const float anchor[2] = {point.x, point.y};
            help.Layout(textWidth, textHeight, anchor, anchorSize, avoid);
        }
        benchmark::DoNotOptimize(help.position);
    }
    state.counters["labels"] = static_cast<double>(count);
}

void UIHelpLabelSpreadAvoiding(benchmark::State& state)
{
    UIHelpLabelBenchFrame(state, 300, false, true);
}
BENCHMARK(UIHelpLabelSpreadAvoiding)->Unit(benchmark::kMicrosecond);

void UIHelpLabelSpreadPlain(benchmark::State& state)
{
    UIHelpLabelBenchFrame(state, 300, false, false);
}
BENCHMARK(UIHelpLabelSpreadPlain)->Unit(benchmark::kMicrosecond);

void UIHelpLabelPiledAvoiding(benchmark::State& state)
{
    UIHelpLabelBenchFrame(state, 100, true, true);
}
BENCHMARK(UIHelpLabelPiledAvoiding)->Unit(benchmark::kMicrosecond);

void UIHelpLabelPiledPlain(benchmark::State& state)
{
    UIHelpLabelBenchFrame(state, 100, true, false);
}
BENCHMARK(UIHelpLabelPiledPlain)->Unit(benchmark::kMicrosecond);

} // namespace
