// UITextWrapBench -- wrapping a 20,000-character text into a 300-unit text widget, and a frame of a text built again unchanged beside one wrapped again every frame.
#include "render/TextMeasure.h"
#include "ui/widgets/UIText.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

// A proportional font's cost: every glyph's width looked up and summed, as the text measure does.
float UITextWrapBenchWidth(int32_t /*font*/, std::u16string_view text)
{
    float width = 0.0f;
    for (char16_t c : text)
        width += static_cast<float>(4 + c % 5) + 1.0f;
    return width;
}

std::string UITextWrapBenchText(size_t length)
{
    static const char* const kWords[] = {"the ", "ember ", "lode ", "carried ", "north ", "through ",
                                         "old ", "halls ", "of ", "stone, ", "and ", "silence.\n"};
    std::string text;
    for (size_t i = 0; text.size() < length; ++i)
        text += kWords[i % std::size(kWords)];
    text.resize(length);
    return text;
}

void UITextWrapLongText(benchmark::State& state)
{
    WString text = NarrowToWide(UITextWrapBenchText(20000));
    std::vector<WString> lines;
    for (auto _ : state) {
        WrapTextLines(text, 300.0f - UIText::kScrollBarMargin, -1, UITextWrapBenchWidth, lines);
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(UITextWrapLongText)->Unit(benchmark::kMillisecond);

// Sixty frames of a source-built text of a few lines that does not change.
void UITextWrapUnchangedFrames(benchmark::State& state)
{
    UIText widget;
    widget.size[0] = 300.0f;
    widget.size[1] = 200.0f;
    std::string built = UITextWrapBenchText(600);
    for (auto _ : state) {
        for (int frame = 0; frame < 60; ++frame)
            widget.SetWrappedText(built);
        benchmark::DoNotOptimize(widget.lines.data());
    }
    state.SetItemsProcessed(state.iterations() * 60);
}
BENCHMARK(UITextWrapUnchangedFrames)->Unit(benchmark::kMicrosecond);

// The same sixty frames wrapped again every frame, for comparison.
void UITextWrapEveryFrame(benchmark::State& state)
{
    WString built = NarrowToWide(UITextWrapBenchText(600));
    std::vector<WString> lines;
    for (auto _ : state) {
        for (int frame = 0; frame < 60; ++frame)
            WrapTextLines(built, 300.0f - UIText::kScrollBarMargin, -1, UITextWrapBenchWidth, lines);
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetItemsProcessed(state.iterations() * 60);
}
BENCHMARK(UITextWrapEveryFrame)->Unit(benchmark::kMicrosecond);

} // namespace
