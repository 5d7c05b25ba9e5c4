// MessageBufferBench -- writing and reading back a million mixed values.
#include "core/MessageBuffer.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kValues = 1000000;

void MessageBufferWriteRead(benchmark::State& state)
{
    MessageBuffer buffer;
    for (auto _ : state) {
        buffer.Clear();
        for (int i = 0; i < kValues; i += 4) {
            buffer.WriteInt(i);
            buffer.WriteFloat(static_cast<float>(i) * 0.5f);
            buffer.WriteBool(i & 4);
            buffer.WriteString("value");
        }
        int64_t sum = 0;
        for (int i = 0; i < kValues; i += 4) {
            sum += buffer.ReadInt();
            sum += static_cast<int64_t>(buffer.ReadFloat());
            sum += buffer.ReadBool();
            sum += static_cast<int64_t>(buffer.ReadString().size());
        }
        benchmark::DoNotOptimize(sum);
    }
    // One item is one value written and read back.
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kValues);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(buffer.Size()) * 2);
}

} // namespace

BENCHMARK(MessageBufferWriteRead)->Unit(benchmark::kMillisecond);
