// GameSurroundingsTest -- the cells around each player explored every step, their levels populated once, and the tutor made for a player still in the tutorial.
#include "server/spawn/SpawnWorld.h"

#include "support/LogLines.h"
#include "world/Level.h"

#include <string>

namespace {

constexpr const char* kGameSurroundingsTutor = R"(
ActorTownTutor
{
    Type Actor
    Base ActorSpawnNpc
    NpcType Tutor
}
MonsterTownTutor
{
    Type MonsterType
    Archetype ArchetypeSpawnTest
    Definition ActorTownTutor
    MinLevel 3
    MaxLevel 3
    Excluded 1
}
)";

// Cells of the test geometry: 32 units a side, 128 to a row of a 4,096-unit level.
constexpr int32_t kCellsPerRow = 128;

int32_t CellAt(float x, float y)
{
    return static_cast<int32_t>(y / 32.0f) * kCellsPerRow + static_cast<int32_t>(x / 32.0f);
}

} // namespace

class GameSurroundings : public SpawnWorld {
protected:
    // The spawn world's records with the given lines added to its "GameSystem"; the game is
    // made again afterwards so that it reads them.
    void Start(const std::string& tuningLines, bool tutorListedInTown = true)
    {
        std::string records = kSpawnBaseRecords;
        if (!tutorListedInTown)
            records.replace(records.find("    NpcType Tutor\n"), 18, "");
        records.insert(records.find('{') + 2, tuningLines + "\n");
        LoadRecords(records + kGameSurroundingsTutor + kSpawnRecord);
        spawn.Load();
        gSpawnSystem = &spawn;
        game = std::make_unique<ScriptedGame>();
        game->ResetLevels();
        gGame = game.get();
        gGameServices = game.get();
    }

    // The level holds an area with a name (it is valid) and is generated.
    void MakeReady(int32_t level)
    {
        GiveArea("MonsterGrunt", 0.0f, level).name = "Testlands";
        game->generated.insert(level);
    }

    Player* AddPlayerAt(float x, float y) { return AddPlayer(x, y); }

    int32_t CountTutors() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < GameServices::kMaxEntities; ++i)
            if (const Entity* entity = game->GetEntity(i); entity && entity->GetNpcType() == NpcType::Tutor)
                ++count;
        return count;
    }

    ~GameSurroundings() override
    {
        for (int32_t level = 0; level < 3; ++level)
            row.world.GetLevel(level)->area = nullptr;
    }
};

TEST_F(GameSurroundings, WithNoStepsOnlyThePlayersOwnCellIsExploredAndOnlyWhileTheWorldRuns)
{
    Start("SpawnSteps 0\nSpawnStepDistance 32");
    MakeReady(0);
    AddPlayerAt(1000.0f, 2000.0f);
    Step(3);
    EXPECT_EQ(game->GetExploredCount(0), 0) << "no world runs yet";
    EXPECT_FALSE(game->IsLevelPopulated(0));
    game->SetWorldRunning();
    Step();
    EXPECT_TRUE(game->IsLevelPopulated(0));
    EXPECT_EQ(game->GetExploredCount(0), 1);
    EXPECT_TRUE(game->IsCellExplored(0, CellAt(1000.0f, 2000.0f)));
    EXPECT_FALSE(game->IsCellExplored(0, CellAt(1032.0f, 2000.0f)));
    EXPECT_FALSE(game->IsCellExplored(0, CellAt(1000.0f, 2032.0f)));
}

TEST_F(GameSurroundings, TheSquareOfProbesCrossesIntoTheNeighbourLevelAndStopsAtTheWorldsEdge)
{
    Start("SpawnSteps 2\nSpawnStepDistance 32");
    MakeReady(0);
    MakeReady(1);
    game->SetWorldRunning();
    // Of the five columns of five probes, two fall past the edge on level 1.
    AddPlayerAt(4090.0f, 100.0f);
    Step();
    EXPECT_EQ(game->GetExploredCount(0), 15);
    EXPECT_EQ(game->GetExploredCount(1), 10);
    EXPECT_TRUE(game->IsCellExplored(1, CellAt(58.0f, 164.0f)));
    EXPECT_TRUE(game->IsCellExplored(0, CellAt(4026.0f, 36.0f)));
    EXPECT_TRUE(game->IsLevelPopulated(1));
    // At the world's left edge the probes past it belong to no level and are dropped.
    AddPlayerAt(10.0f, 3000.0f);
    Step();
    EXPECT_EQ(game->GetExploredCount(0), 15 + 15);
}

TEST_F(GameSurroundings, ALevelIsPopulatedOnceAndACellWaitsUntilItsLevelIsGenerated)
{
    Start("SpawnSteps 1\nSpawnStepDistance 32");
    GiveArea("MonsterGrunt", 1.0f, 0).name = "Testlands";
    game->SetWorldRunning();
    Player* player = AddPlayerAt(500.0f, 500.0f);
    Step(2);
    EXPECT_EQ(game->GetExploredCount(0), 0) << "a level not generated yet explores nothing";
    EXPECT_FALSE(game->IsLevelPopulated(0));
    game->generated.insert(0);
    Step();
    ASSERT_TRUE(game->IsLevelPopulated(0));
    EXPECT_EQ(game->GetExploredCount(0), 9);
    int32_t populated = game->CountEntities();
    // Walking on explores new cells but never fills the level again.
    for (int32_t i = 1; i <= 20; ++i) {
        player->SetPosition(At(500.0f + 32.0f * static_cast<float>(i), 500.0f));
        Step();
    }
    EXPECT_EQ(game->GetExploredCount(0), 9 + 20 * 3);
    EXPECT_EQ(game->CountEntities(), populated);
}

TEST_F(GameSurroundings, SpawnLevelBlockExploresOneCellAndIgnoresWhatLiesOutside)
{
    Start("");
    MakeReady(0);
    AddPlayerAt(100.0f, 100.0f);
    game->SpawnLevelBlock(0, 777);
    EXPECT_TRUE(game->IsCellExplored(0, 777));
    EXPECT_EQ(game->GetExploredCount(0), 1);
    game->SpawnLevelBlock(0, 777);
    EXPECT_EQ(game->GetExploredCount(0), 1);
    game->SpawnLevelBlock(0, -1);
    game->SpawnLevelBlock(0, kCellsPerRow * kCellsPerRow);
    game->SpawnLevelBlock(9, 0);
    game->SpawnLevelBlock(-1, 0);
    EXPECT_EQ(game->GetExploredCount(0), 1);
    EXPECT_EQ(game->GetExploredCount(9), 0);
}

TEST_F(GameSurroundings, SpawnStepsIsHeldWithinItsBoundsAndLogged)
{
    Start("SpawnSteps 40\nSpawnStepDistance 32");
    EXPECT_EQ(game->GetSpawnSteps(), Game::kMaxSpawnSteps);
    EXPECT_EQ(CountLinesHolding(debug, "SpawnSteps 40 is outside"), 1);
    Start("SpawnSteps -3\nSpawnStepDistance 32");
    EXPECT_EQ(game->GetSpawnSteps(), 0);
    EXPECT_EQ(CountLinesHolding(debug, "SpawnSteps -3 is outside"), 1);
    Start("SpawnSteps 32\nSpawnStepDistance 32");
    EXPECT_EQ(game->GetSpawnSteps(), 32);
    EXPECT_EQ(CountLinesHolding(debug, "SpawnSteps 32"), 0);
}

TEST_F(GameSurroundings, ATutorComesOnceForAPlayerInTheTutorialAndAgainWhenItIsGone)
{
    Start("TownSpotTutor \"0 700 700\"\nTownFacingTutor 5", false);
    MakeReady(0);
    game->SetWorldRunning();
    Player* done = AddPlayerAt(100.0f, 100.0f);
    done->SetCharacterFlag(CharacterFlag::kTutorialOver, true);
    Step(2);
    EXPECT_EQ(game->GetTutor(), nullptr) << "a player past the tutorial needs none";
    AddPlayerAt(300.0f, 100.0f);
    Step(2);
    EXPECT_EQ(game->GetTutor(), nullptr) << "the world's one tutorial is its first player's";
    done->SetCharacterFlag(CharacterFlag::kTutorialOver, false);
    Step(5);
    Entity* tutor = game->GetTutor();
    ASSERT_NE(tutor, nullptr);
    int32_t first = tutor->entityNumber;
    EXPECT_EQ(CountTutors(), 1) << "one for the game, not one per player or step";
    EXPECT_EQ(tutor->position.level, 0);
    EXPECT_NEAR(tutor->position.x, 700.0f, 100.0f);
    EXPECT_EQ(tutor->facing, 5);
    EXPECT_EQ(game->GetEntity(tutor->entityNumber), tutor);
    tutor->ScheduleDelete(0.0f);
    Step(3);
    ASSERT_NE(game->GetTutor(), nullptr);
    EXPECT_NE(game->GetTutor()->entityNumber, first);
    EXPECT_EQ(CountTutors(), 1);
}

TEST_F(GameSurroundings, NoTutorWithoutItsTownSpotAndNoneBesideTheOneTheTownLists)
{
    Start("");
    MakeReady(0);
    game->SetWorldRunning();
    AddPlayerAt(100.0f, 100.0f);
    Step(3);
    EXPECT_EQ(game->GetTutor(), nullptr);
    EXPECT_EQ(CountTutors(), 0);
    // A town that lists the tutor makes it with its NPCs; the step makes no second one.
    Start("TownSpotTutor \"0 700 700\"", true);
    MakeReady(0);
    game->SetWorldRunning();
    AddPlayerAt(100.0f, 100.0f);
    game->CreateTownNpcs();
    ASSERT_NE(game->GetTutor(), nullptr);
    Step(3);
    EXPECT_EQ(CountTutors(), 1);
}
