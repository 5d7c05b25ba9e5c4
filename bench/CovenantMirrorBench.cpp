// CovenantMirrorBench -- one update's covenant news on the client: 32 covenants' records read and applied to their mirrors, and the player covenant's part with 8 recruits (each written by the host's recruit) read and applied; mean and worst time over 1,000 updates and the allocations after warm-up.
#include "BenchAllocations.h"
#include "BenchDataWorld.h"
#include "BenchIterations.h"
#include "client/CovenantClient.h"
#include "client/InventoryClient.h"
#include "client/PlayerCovenantClient.h"
#include "core/MessageBuffer.h"
#include "covenants/Recruit.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kCovenantMirrorBenchCovenants = 32;
constexpr int32_t kCovenantMirrorBenchRecruits = 8;
constexpr const char* kCovenantMirrorBenchMonster = "MonsterGoblinScout";

class CovenantMirrorBenchWorld : public BenchDataWorld {
public:
    CovenantMirrorBenchWorld() : BenchDataWorld("emberlode-covenantmirrorbench", 4712)
    {
        for (int32_t i = 0; i < kCovenantMirrorBenchCovenants; ++i)
            WriteRecord(i);
        WritePart();
        for (int32_t i = 0; i < kCovenantMirrorBenchCovenants; ++i)
            mirrors.push_back(std::make_unique<CovenantClient>());
        staged.resize(static_cast<size_t>(kCovenantMirrorBenchCovenants));
        own = std::make_unique<PlayerCovenantClient>();
    }

    // One update's worth: every record read and applied, then the player covenant's part.
    bool Read()
    {
        records.SetReadPos(0);
        for (int32_t i = 0; i < kCovenantMirrorBenchCovenants; ++i) {
            CovenantClient::Record& record = staged[static_cast<size_t>(i)];
            if (!CovenantClient::ReadRecord(records, kCovenantMirrorBenchCovenants, record))
                return false;
            mirrors[static_cast<size_t>(i)]->Apply(record);
        }
        part.SetReadPos(0);
        return own->ReadUpdate(part);
    }

    MessageBuffer records;
    MessageBuffer part;

private:
    // A covenant's record in the order the host's covenant writes it.
    void WriteRecord(int32_t i)
    {
        records.WriteInt(i % std::max(1, gameData.GetCovenantDefinitionCount()));
        records.WriteString("Covenant " + std::to_string(i));
        records.WriteInt(1);
        records.WriteFloat(100.0f + static_cast<float>(i));
        records.WriteFloat(200.0f);
        records.WriteBool(false);
        for (int32_t value = 0; value < 10; ++value)
            records.WriteInt(i * 10 + value);
        records.WriteInt(5);
        records.WriteInt(80);
        records.WriteInt(100);
        for (int32_t j = 0; j < kCovenantMirrorBenchCovenants; ++j) {
            records.WriteFloat(static_cast<float>((i * 7 + j * 3) % 100));
            records.WriteInt(1);
            records.WriteInt(j % 3);
            records.WriteTimeStamp(TimeStamp{1, 2, 3, 4.0f});
        }
        records.WriteInt(0);
        records.WriteInt(0);
        records.WriteInt(0);
        records.WriteBool(false);
        records.WriteInt(-1);
    }

    // The player covenant's part in the order the host's player covenant writes it.
    void WritePart()
    {
        part.WriteString("Ember Hall");
        part.WriteInt(0);
        part.WriteFloat(10.0f);
        part.WriteFloat(20.0f);
        part.WriteInt(kCovenantMirrorBenchCovenants - 1);
        InventoryClient().Write(part, false);
        part.WriteInt(kCovenantMirrorBenchRecruits);
        const DatabaseEntry* monster = database.FindEntryByName(kCovenantMirrorBenchMonster);
        for (int32_t slot = 0; slot < kCovenantMirrorBenchRecruits; ++slot) {
            part.WriteInt(slot);
            Recruit recruit;
            recruit.definitionEntry = monster ? monster->GetId() : -1;
            recruit.stats.Set(CharacterStat::Level, 10 + slot);
            recruit.WriteUpdate(part);
        }
        for (int32_t word = 0; word < 4 + 3; ++word)
            part.WriteInt(word);
        for (int32_t flag = 0; flag < 4; ++flag)
            part.WriteBool(false);
        part.WriteInt(-1);
        part.WriteInt(80);
        part.WriteInt(100);
        part.WriteBool(false);
    }

    std::vector<std::unique_ptr<CovenantClient>> mirrors;
    std::vector<CovenantClient::Record> staged;
    std::unique_ptr<PlayerCovenantClient> own;
};

void BM_CovenantMirrorUpdate(benchmark::State& state)
{
    CovenantMirrorBenchWorld bench;
    if (!bench.Read()) {
        state.SkipWithError("the mirrors refused the update");
        return;
    }
    for (int i = 0; i < 3; ++i)
        bench.Read();
    double worst = 0.0;
    BenchAllocations::Reset();
    BenchAllocations::SetCounting(true);
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(bench.Read());
        std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        worst = std::max(worst, spent.count());
    }
    BenchAllocations::SetCounting(false);
    state.counters["worst_us"] = worst;
    state.counters["bytes"] = static_cast<double>(bench.records.Size() + bench.part.Size());
    state.counters["allocs/update"] =
        benchmark::Counter(static_cast<double>(BenchAllocations::Count()), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CovenantMirrorUpdate)->Iterations(BenchIterations(1000))->Unit(benchmark::kMicrosecond);

} // namespace
