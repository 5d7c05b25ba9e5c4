// Game -- the exploration of the cells around each player, which populates their levels, the tutor made for a player still in the tutorial, and the tutorial's start and end.
#include "server/Game.h"

#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "server/spawn/SpawnSystem.h"
#include "world/WorldPos.h"

#include <cmath>

namespace {

const GameSystemTuning& GameSurroundingsTuning()
{
    static const GameSystemTuning kGameSurroundingsDefaults;
    return gGameData ? gGameData->GetTuning() : kGameSurroundingsDefaults;
}

// The explored-cell index of a point already carried into its level; -1 off the grid.
int32_t GameSurroundingsCellOf(const WorldPos& point, const GameSystemTuning& tuning)
{
    float column = std::floor(point.x / tuning.gridSize.x);
    float row = std::floor(point.y / tuning.gridSize.y);
    // Checked per axis: a column past the row's end would otherwise name a cell of the next row.
    if (!(column >= 0.0f && row >= 0.0f && column < static_cast<float>(tuning.cellsPerLevelX) &&
          row < static_cast<float>(tuning.cellsPerLevelY)))
        return -1;
    return static_cast<int32_t>(row) * tuning.cellsPerLevelX + static_cast<int32_t>(column);
}

} // namespace

void Game::UpdatePlayerSurroundings(float)
{
    if (!worldRunning)
        return;
    for (const Sentient* player : players) {
        if (!player)
            continue;
        ExploreAround(*player);
        PlaceTutorFor(*player);
    }
}

void Game::ExploreAround(const Sentient& player)
{
    const GameSystemTuning& tuning = GameSurroundingsTuning();
    for (int32_t dy = -spawnSteps; dy <= spawnSteps; ++dy) {
        for (int32_t dx = -spawnSteps; dx <= spawnSteps; ++dx) {
            WorldPos probe = player.position;
            probe.x += static_cast<float>(dx) * spawnStepDistance;
            probe.y += static_cast<float>(dy) * spawnStepDistance;
            probe.Normalize();
            int32_t cell = GameSurroundingsCellOf(probe, tuning);
            if (cell >= 0)
                SpawnLevelBlock(probe.level, cell);
        }
    }
}

void Game::SpawnLevelBlock(int32_t level, int32_t cell)
{
    // IsCellExplored sizes the level's list on first use and refuses what lies outside it.
    if (!FindLevel(level) || cell < 0 || IsCellExplored(level, cell))
        return;
    if (gSpawnSystem && gSpawnSystem->GetLevelFiller().PopulateLevel(level))
        SetCellExplored(level, cell);
}

void Game::PlaceTutorFor(const Sentient& player)
{
    if (GetTutor())
        return;
    // The world holds one tutorial, its first player's: a tutor made for another player could
    // be neither taken nor sent away by anyone once the first player's had gone.
    const auto* person = dynamic_cast<const Player*>(&player);
    if (!tutorSpotGiven || !person || person != quests->GetFirstPlayer() ||
        person->GetCharacterFlag(CharacterFlag::kTutorialOver))
        return;
    tutor.Set(SpawnTownNpc(NpcType::Tutor));
    // Mended: a resumed world made its tutor with a new name every time.
    if (auto* made = tutor.GetAs<Actor>())
        GiveTutorTheWorldsName(*made);
}

// ---- The tutorial's start and end -------------------------------------------------------------------

void Game::EndTutorial(bool skipped)
{
    if (Entity* leaving = GetTutor())
        leaving->FadeOutAndDelete(kTutorFadeSeconds);
    tutor.Clear();
    quests->EndTutorial(skipped);
}

void Game::StartTutorial()
{
    // Mended: a restart began a second chain of steps beside the one already running.
    std::vector<std::unique_ptr<Quest>>& list = quests->GetList();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] && list[i]->IsTutorialStep())
            quests->DeleteQuest(static_cast<int32_t>(i));
    quests->StartQuestByName(GameSurroundingsTuning().tutorialQuest);
}
