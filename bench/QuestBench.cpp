// QuestBench -- the game's quest step over the shipped records: every quest's event timer runs out each step, so each tries its world events.
#include "BenchSpawnWorld.h"
#include "core/Database.h"
#include "entities/Player.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The shipped database, game data and adventure, a player in town and the quests under test.
class QuestBenchWorld : public BenchSpawnWorld {
public:
    QuestBenchWorld() : BenchSpawnWorld("emberlode-questbench", 38)
    {
        Player::RegisterEventClass(events, types);
        StartGame(std::make_unique<BenchOpenGroundGame>());
        player = new Player();
        player->stats.Set(CharacterStat::Level, 5);
        player->SetPosition(game->GetStartPosition(0));
        game->AddEntity(player);
        game->GetQuests().questsEnabled = false;
    }

    // The count of quests of the shipped event-rich definition at the player's level; false
    // without the shipped records.
    bool MakeQuests(int32_t count)
    {
        const DatabaseEntry* entry = database.FindEntryByName("QuestBandAtLarge");
        if (!entry)
            return false;
        for (int32_t i = 0; i < count; ++i) {
            auto quest = std::make_unique<Quest>(&game->GetQuests());
            if (!quest->Setup(entry, 5, 1000u + static_cast<uint32_t>(i), 0, {}))
                return false;
            quest->count = 1000;
            game->GetQuests().AddQuest(std::move(quest));
        }
        return true;
    }

    // Every timer out; quests the events started go, so each step sees the same list.
    void Rewind(int32_t count)
    {
        GameQuests& quests = game->GetQuests();
        for (int32_t i = static_cast<int32_t>(quests.GetList().size()) - 1; i >= count; --i)
            quests.DeleteQuest(i);
        for (int32_t i = 0; i < count; ++i)
            if (Quest* quest = quests.GetQuest(i)) {
                quest->failed = false;
                quest->eventTimer.running = 1;
                quest->eventTimer.remaining = 0.0f;
            }
    }

    Player* player = nullptr;
};

void QuestUpdateQuests(benchmark::State& state)
{
    QuestBenchWorld bench;
    int32_t count = static_cast<int32_t>(state.range(0));
    if (!bench.MakeQuests(count)) {
        state.SkipWithError("the shipped game folder is needed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        bench.Rewind(count);
        state.ResumeTiming();
        bench.game->GetQuests().Update(0.05f);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(QuestUpdateQuests)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

} // namespace
