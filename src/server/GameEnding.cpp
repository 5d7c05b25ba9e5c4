// Game -- the end of a world won: the win test, every covenant ended, the victory counted and the reward chest placed in the town.
#include "server/Game.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "covenants/Covenant.h"
#include "entities/Chest.h"
#include "entities/EntityQuest.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/quests/QuestBase.h"
#include "rules/quests/QuestDefinition.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"

#include <algorithm>
#include <memory>

namespace {

// Where the reward chest is looked for a spot: the town's square on level 0.
constexpr float kGameEndingChestX = 1944.0f;
constexpr float kGameEndingChestY = 2016.0f;
constexpr int32_t kGameEndingChestFacing = 5;

const GameSystemTuning& GameEndingTuning()
{
    static const GameSystemTuning kGameEndingDefaults;
    return gGameData ? gGameData->GetTuning() : kGameEndingDefaults;
}

} // namespace

bool Game::IsWorldWon() const
{
    if (!worldRunning)
        return false;
    const GameSystemTuning& tuning = GameEndingTuning();
    // Without a condition to meet the world would count as won on its first step.
    if (!tuning.winConditionCovenantsEliminated && !tuning.winConditionAllQuestsSolved)
        return false;
    if (tuning.winConditionCovenantsEliminated) {
        for (const std::unique_ptr<Covenant>& covenant : covenants)
            if (covenant && !covenant->IsPlayerCovenant() && !covenant->eliminated &&
                static_cast<const EntityCovenant*>(covenant.get()) != GetFirstPlayerCovenant())
                return false;
    }
    if (!tuning.winConditionAllQuestsSolved)
        return true;
    return AreHeldQuestsSolved();
}

bool Game::AreHeldQuestsSolved() const
{
    const auto* player = players.empty() ? nullptr : dynamic_cast<const Player*>(players.front());
    const std::vector<std::unique_ptr<Quest>>& worldQuests = quests->GetList();
    if (!player || worldQuests.empty())
        return false;
    bool holdsOne = false;
    for (int32_t slot = 0; slot < Player::kQuestSlotCount; ++slot) {
        const EntityQuest* held = player->GetQuestSlot(slot);
        if (!held || held->IsEmpty() || static_cast<uint32_t>(held->questId) >= worldQuests.size())
            continue;
        const QuestBase* quest = worldQuests[static_cast<size_t>(held->questId)].get();
        if (!quest)
            continue;
        holdsOne = true;
        bool optional = quest->definition && quest->definition->optional;
        if (!quest->IsComplete() && !optional)
            return false;
    }
    return holdsOne;
}

void Game::DestroyAllCovenants(int32_t count)
{
    // A count past the list stops at its end.
    int32_t last = std::min(count, GetCovenantCount());
    for (int32_t i = 0; i < last; ++i) {
        Covenant* covenant = GetCovenant(i);
        if (!covenant)
            continue;
        covenant->EndWorld(0, 0, 0);
        covenant->eliminated = true;
    }
}

void Game::WinWorld(bool largeReward)
{
    gameOver = true;
    Sentient* first = players.empty() ? nullptr : players.front();
    if (!first)
        return;
    auto* own = const_cast<Covenant*>(dynamic_cast<const Covenant*>(GetFirstPlayerCovenant()));
    const GameSystemTuning& tuning = GameEndingTuning();
    if (tuning.usingCovenants && !own)
        return;
    if (tuning.usingCovenants) {
        int32_t chestLevel = 0;
        for (const std::unique_ptr<Covenant>& covenant : covenants)
            if (covenant && covenant.get() != own)
                chestLevel = std::max(chestLevel, covenant->leaderLevel);
        DestroyAllCovenants(GetCovenantCount());
        own->CountWorldResult(largeReward ? Covenant::kWorldsWon : Covenant::kWorldsWonAllied);
        PlaceRewardChest(largeReward ? "ChestRewardLarge" : "ChestRewardMedium",
                         chestLevel + tuning.rewardChestLevelBonus);
    }
    // A world without covenants is conquered too, only without a chest to say so.
    SendMessage("$$YouHaveConqueredThisWorld$$", kMessageOwnKind);
    if (tuning.usingCovenants)
        SendMessage("$$RewardChestAvailable$$", kMessageNewsKind);
    if (auto* player = dynamic_cast<Player*>(first))
        player->WinAdventure();
}

Entity* Game::PlaceRewardChest(std::string_view recordName, int32_t level)
{
    WorldPos square;
    square.level = 0;
    square.x = kGameEndingChestX;
    square.y = kGameEndingChestY;
    return PlaceRewardChestAt(recordName, level, square, GameEndingTuning().warpRings);
}

Entity* Game::PlaceRewardChestAt(std::string_view recordName, int32_t level, const WorldPos& centre, int32_t rings)
{
    const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName(recordName) : nullptr;
    if (!record) {
        DebugSystem::Print(kPrintWarning, "Reward chest %.*s not found\n", static_cast<int>(recordName.size()),
                           recordName.data());
        return nullptr;
    }
    auto chest = std::make_unique<Chest>();
    // Mended: loaded without taking the record, the chest reached the clients as no kind of
    // thing at all, which no click could open.
    chest->SetEntry(record);
    chest->level = level;
    SpawnSearch search;
    search.entity = chest.get();
    WorldPos spot = centre;
    FindSpawnPosition(centre, rings, search, true, spot);
    chest->SetPosition(spot);
    chest->facing = kGameEndingChestFacing;
    // A chest the full table refuses is let go here, never left half in the world.
    if (AddEntity(chest.get()) == -1)
        return nullptr;
    return chest.release();
}
