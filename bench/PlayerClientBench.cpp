// PlayerClientBench -- the player's part of a game update with all 27 bags full of shipped items, read and applied by the client's player, and that character saved to its file: mean and worst of the runs, in milliseconds.
#include "BenchAllocations.h"
#include "BenchHostWorld.h"
#include "BenchIterations.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "core/MessageBuffer.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "world/WorldGateRecords.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

constexpr const char* kPlayerClientBenchItems[] = {"EmberKnife", "PaddedCap", "HideBoots"};
// Slots given to every bag, so that the whole inventory is full.
constexpr int32_t kPlayerClientBenchSlots = 24;

// A host player carrying a full inventory, its update read once by the client so that the
// player's body exists in the mirror.
class PlayerClientBenchWorld : public BenchHostWorld {
public:
    PlayerClientBenchWorld() : BenchHostWorld("emberlode-playerclientbench", 2612, 4096.0f)
    {
        player = Place(new Player(), {1, 2048.0f, 2048.0f, true});
        player->playerName = "Bench";
        // The lists a joined player has, made ready from the world's gate records.
        FillWorldGateRecords(player->gateLists[0]);
        FillInventory();
        client.player.Set(player);
        client.currentLevel = 1;
        mirror = std::make_unique<PlayerClient>();
        MessageBuffer update;
        partAt = WriteUpdate(update);
        ReadPart(update);
    }

    // The whole update; the game client reads up to the player's part, whose start is returned.
    size_t WriteUpdate(MessageBuffer& buffer)
    {
        BenchHostWorld::WriteUpdate(buffer);
        gameClient->ReadGameUpdate(buffer, nullptr);
        return buffer.GetReadPos();
    }

    bool ReadPart(MessageBuffer& buffer)
    {
        buffer.SetReadPos(partAt);
        if (!mirror->ParsePlayerPart(buffer))
            return false;
        mirror->ApplyPlayerPart(buffer);
        return true;
    }

    std::unique_ptr<PlayerClient> mirror;
    Player* player = nullptr;
    size_t partAt = 0;

private:
    void FillInventory()
    {
        Inventory& inventory = *player->inventory;
        int32_t made = 0;
        for (int32_t bag = 0; bag < InventoryBase::kBagCount; ++bag) {
            inventory.ResizeBag(bag, kPlayerClientBenchSlots);
            for (int32_t slot = 0; slot < inventory.GetSlotCount(bag); ++slot) {
                std::unique_ptr<ItemBase> item = inventory.CreateItem();
                item->Load(database.FindEntryByName(kPlayerClientBenchItems[made++ % 3]));
                if (!inventory.PlaceItem(item, bag, slot, kPlaceAnyGroup | kPlaceIgnoreOffHand))
                    continue;
            }
        }
    }
};

// Times each run of the body; reports the mean and the worst in milliseconds.
template <class Body>
void PlayerClientBenchRun(benchmark::State& state, Body&& body)
{
    double total = 0.0;
    double worst = 0.0;
    int64_t runs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        body();
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        total += ms;
        worst = std::max(worst, ms);
        ++runs;
    }
    state.counters["mean_ms"] = runs ? total / static_cast<double>(runs) : 0.0;
    state.counters["worst_ms"] = worst;
}

void BM_PlayerClientReadsItsPart(benchmark::State& state)
{
    PlayerClientBenchWorld bench;
    MessageBuffer update;
    bench.partAt = bench.WriteUpdate(update);
    if (!bench.ReadPart(update)) {
        state.SkipWithError("the player refused the host's part");
        return;
    }
    int32_t items = 0;
    for (int32_t bag = 0; bag < InventoryBase::kBagCount; ++bag)
        items += bench.mirror->GetInventory().CountItems(bag);
    // As in the running game after its first updates: the player's inventory, the one the
    // next part is read into, and the items each read before are all there to be read into.
    for (int i = 0; i < 4; ++i)
        bench.ReadPart(update);
    BenchAllocations::Reset();
    PlayerClientBenchRun(state, [&] {
        BenchAllocations::SetCounting(true);
        benchmark::DoNotOptimize(bench.ReadPart(update));
        BenchAllocations::SetCounting(false);
    });
    state.counters["items"] = items;
    state.counters["bytes"] = static_cast<double>(update.Size() - bench.partAt);
    state.counters["allocs/read"] =
        benchmark::Counter(static_cast<double>(BenchAllocations::Count()), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PlayerClientReadsItsPart)->Iterations(BenchIterations(1000))->Unit(benchmark::kMicrosecond);

void BM_PlayerClientSavesTheCharacter(benchmark::State& state)
{
    PlayerClientBenchWorld bench;
    if (!bench.mirror->SaveCharacter()) {
        state.SkipWithError("the character was not saved");
        return;
    }
    PlayerClientBenchRun(state, [&] { benchmark::DoNotOptimize(bench.mirror->SaveCharacter()); });
    MessageBuffer file;
    bench.mirror->WriteCharacter(file);
    state.counters["bytes"] = static_cast<double>(file.Size());
}
BENCHMARK(BM_PlayerClientSavesTheCharacter)->Iterations(BenchIterations(1000))->Unit(benchmark::kMicrosecond);

} // namespace
