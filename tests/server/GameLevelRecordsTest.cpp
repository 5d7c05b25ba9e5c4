// GameLevelRecordsTest -- the per-level records: explored cells and their saved form, clearing a level, the purge of a crowded table, signals and sounds at the first player.
#include "server/GameWorld.h"

#include "core/MessageBuffer.h"
#include "entities/Sentient.h"

namespace {

class RecordsPlayer : public Sentient {
public:
    bool IsPlayer() const override { return true; }
};

class SignalProbe : public Entity {
public:
    void OnNamedSignal(Entity* activator, std::string_view name) override
    {
        heard.emplace_back(name);
        from = activator;
    }
    std::vector<std::string> heard;
    Entity* from = nullptr;
};

class GameLevelRecords : public GameWorld {
protected:
    GameLevelRecords() { LoadGameSystem("GridSize 32 32\nTileSize 64"); }

    int32_t CellCount() const { return Tuning().cellsPerLevelX * Tuning().cellsPerLevelY; }

    // The explored bits and count as a world save holds them.
    static MessageBuffer Saved(const std::vector<bool>& bits, int32_t count)
    {
        MessageBuffer buffer;
        buffer.WriteBoolVector(bits);
        buffer.WriteInt(count);
        return buffer;
    }
};

TEST_F(GameLevelRecords, ExploringACellTwiceCountsOnceButStampsBothTimes)
{
    EXPECT_FALSE(game->IsCellExplored(1, 5));
    game->SetCellExplored(1, 5);
    Step(4);
    game->SetCellExplored(1, 5);
    EXPECT_TRUE(game->IsCellExplored(1, 5));
    EXPECT_EQ(game->GetExploredCount(1), 1);
    EXPECT_NEAR(game->GetLastVisit(1)->seconds, 0.2f, 1e-5f);
    game->SetCellExplored(1, CellCount());
    game->SetCellExplored(1, -1);
    EXPECT_EQ(game->GetExploredCount(1), 1) << "cells outside the grid count nothing";
    EXPECT_FALSE(game->IsCellExplored(9, 0));
    game->SetCellExplored(9, 0);
    EXPECT_EQ(game->GetLastVisit(9), nullptr);
}

TEST_F(GameLevelRecords, TheSavedExploredCellsReadBack)
{
    std::vector<bool> bits(static_cast<size_t>(CellCount()), false);
    bits[3] = bits[77] = true;
    MessageBuffer buffer = Saved(bits, 2);
    ASSERT_TRUE(game->ReadLevelExplored(2, buffer));
    EXPECT_TRUE(game->IsCellExplored(2, 77));
    EXPECT_FALSE(game->IsCellExplored(2, 78));
    EXPECT_EQ(game->GetExploredCount(2), 2);
}

TEST_F(GameLevelRecords, ACutOrLyingSaveLeavesTheLevelUnexplored)
{
    std::vector<bool> bits(64, true);
    MessageBuffer whole = Saved(bits, 64);
    for (size_t cut = 0; cut < whole.Size(); ++cut) {
        game->SetCellExplored(0, 1);
        MessageBuffer part;
        part.WriteBytes(whole.Data(), cut);
        EXPECT_FALSE(game->ReadLevelExplored(0, part)) << cut;
        EXPECT_EQ(game->GetExploredCount(0), 0) << cut;
        EXPECT_FALSE(game->IsCellExplored(0, 1)) << cut;
    }
    for (int32_t count : {-1, 65, INT32_MAX}) {
        MessageBuffer lying = Saved(bits, count);
        EXPECT_FALSE(game->ReadLevelExplored(0, lying)) << count;
        EXPECT_EQ(game->GetExploredCount(0), 0);
    }
}

TEST_F(GameLevelRecords, ClearingALevelLetsItsFreeEntitiesGoInTheNextStep)
{
    Entity* loose = Spawn(100, 100, 1);
    auto* player = Spawn<RecordsPlayer>(200, 100, 1);
    Entity* member = Spawn(300, 100, 1);
    member->covenantIndex = 0;
    Entity* elsewhere = Spawn(100, 100, 2);
    int32_t looseNumber = loose->entityNumber;
    game->SetCellExplored(1, 4);
    game->QueueRespawn(1, 100.0f, At(50, 50, 1));
    game->ClearLevel(1);
    EXPECT_EQ(game->GetExploredCount(1), 0);
    EXPECT_FALSE(game->IsCellExplored(1, 4));
    EXPECT_TRUE(game->GetRespawnQueue(1)->empty());
    EXPECT_EQ(game->GetEntity(looseNumber), loose) << "it goes by its own delete";
    Step();
    EXPECT_EQ(game->GetEntity(looseNumber), nullptr);
    EXPECT_EQ(game->GetEntity(player->entityNumber), player);
    EXPECT_EQ(game->GetEntity(member->entityNumber), member);
    EXPECT_EQ(game->GetEntity(elsewhere->entityNumber), elsewhere);
}

class GamePurge : public GameLevelRecords {
protected:
    GamePurge()
    {
        LoadGameSystem("PurgeEntitiesTime 1 1\nPurgeEntitiesThreshold 0.01");
        game->generated = {0, 1, 2};
        game->purgeable = {0, 1, 2};
    }

    void Crowd(int32_t level, int32_t count)
    {
        for (int32_t i = 0; i < count; ++i)
            Spawn(100.0f + 10.0f * static_cast<float>(i), 500, level);
    }

    int32_t CountOn(int32_t level) const
    {
        std::vector<int32_t> numbers;
        game->CollectLevelEntities(level, numbers);
        return static_cast<int32_t>(numbers.size());
    }
};

TEST_F(GamePurge, BelowTheThresholdNothingIsPurgedAndTheTimerWaitsAtZero)
{
    Crowd(1, 10);
    Step(40);
    EXPECT_EQ(CountOn(1), 10) << "10 of 1500 is below 1 percent";
    EXPECT_LE(game->GetTimer(Game::kPurgeTimer).remaining, 0.0f);
    Crowd(2, 6);
    Step(2);
    EXPECT_EQ(CountOn(1), 0) << "the first level that qualifies goes";
    EXPECT_EQ(CountOn(2), 6);
    EXPECT_NEAR(game->GetTimer(Game::kPurgeTimer).remaining, 0.95f, 1e-4f) << "and the timer starts again";
}

TEST_F(GamePurge, TheStartLevelAndLevelsWithAPlayerOrNotBuiltOrNotPurgeableStay)
{
    Crowd(0, 16);
    Crowd(1, 1);
    Spawn<RecordsPlayer>(100, 100, 1);
    Crowd(2, 1);
    game->purgeable = {0, 1};
    Step(30);
    EXPECT_EQ(CountOn(0), 16);
    EXPECT_EQ(CountOn(1), 2);
    EXPECT_EQ(CountOn(2), 1);
    game->purgeable = {2};
    game->generated = {0, 1};
    Step(2);
    EXPECT_EQ(CountOn(2), 1);
    game->generated = {2};
    Step(2);
    EXPECT_EQ(CountOn(2), 0);
}

TEST_F(GamePurge, WithoutAThresholdThePurgeIsOff)
{
    LoadGameSystem("PurgeEntitiesTime 1 1");
    Crowd(1, 20);
    Step(40);
    EXPECT_EQ(CountOn(1), 20);
    EXPECT_FALSE(game->GetTimer(Game::kPurgeTimer).running);
}

TEST_F(GameLevelRecords, EveryEntityHearsANamedSignalInSlotOrder)
{
    auto* first = Spawn<SignalProbe>(0, 0);
    auto* second = Spawn<SignalProbe>(100, 100, 2);
    game->ScanEntitySlots("OpenSesame", first);
    EXPECT_EQ(first->heard, std::vector<std::string>{"OpenSesame"});
    EXPECT_EQ(second->heard, std::vector<std::string>{"OpenSesame"});
    EXPECT_EQ(second->from, first);
}

TEST_F(GameLevelRecords, ASoundWithNoNameOrNoResourceIsNotQueued)
{
    Spawn<RecordsPlayer>(100, 100);
    game->QueueSoundAtFirstPlayer("", 100.0f, 1.0f);
    game->QueueSoundAtFirstPlayer("Sounds/ding.wav", 100.0f, 1.0f);
    EXPECT_TRUE(game->GetSounds().empty()) << "without a handle a client could not name it";
    game->RemovePlayer(game->GetPlayers()[0]);
    EXPECT_EQ(game->GetPlayers().size(), 1u);
    EXPECT_EQ(game->GetPlayers()[0], nullptr);
    game->QueueSoundAtFirstPlayer("Sounds/ding.wav", 100.0f, 1.0f);
    EXPECT_TRUE(game->GetSounds().empty());
}

} // namespace
