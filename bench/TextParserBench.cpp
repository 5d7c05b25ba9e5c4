// TextParserBench -- tokens per second over a generated 1 MB text of keywords, numbers and comments.
#include "core/TextParser.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

std::string MakeText(size_t bytes)
{
    static const char* const kWords[] = {"Model", "Texture", "Speed", "Radius", "Color", "Blend"};
    std::mt19937 random(42);
    std::string text;
    text.reserve(bytes + 128);
    while (text.size() < bytes) {
        text += kWords[random() % 6];
        text += ' ';
        switch (random() % 4) {
        case 0: text += std::to_string(random() % 10000); break;
        case 1: text += std::to_string((random() % 10000) / 100.0f); break;
        case 2: text += "\"two words\""; break;
        default: text += "1 2 3 // trailing comment"; break;
        }
        text += random() % 8 ? "\r\n" : "\r\n/* block\ncomment */\r\n";
    }
    return text;
}

void TextParserTokens(benchmark::State& state)
{
    const std::string text = MakeText(1 << 20);
    int64_t tokens = 0;
    for (auto _ : state) {
        TextParser parser(text.data(), text.size());
        std::string token;
        while (parser.NextToken(token, true))
            ++tokens;
        benchmark::DoNotOptimize(token);
    }
    state.SetItemsProcessed(tokens);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void TextParserTypedLines(benchmark::State& state)
{
    const std::string text = MakeText(1 << 20);
    int64_t values = 0;
    for (auto _ : state) {
        TextParser parser(text.data(), text.size());
        std::string keyword;
        float sum = 0;
        while (parser.NextToken(keyword, true)) {
            float value = 0;
            while (parser.ReadFloat(value, false)) {
                sum += value;
                ++values;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(values);
}

} // namespace

BENCHMARK(TextParserTokens)->Unit(benchmark::kMillisecond);
BENCHMARK(TextParserTypedLines)->Unit(benchmark::kMillisecond);
