// Game -- the fixed step in its order, the respawn queues, the active-actor report and the game's part of each game update.
#include "server/Game.h"

#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "core/Vector.h"
#include "covenants/Covenant.h"
#include "entities/Actor.h"
#include "entities/Entity.h"
#include "entities/Player.h"
#include "entities/Sentient.h"
#include "rules/GameData.h"
#include "rules/quests/QuestBase.h"
#include "server/quests/GameQuests.h"
#include "server/quests/Quest.h"
#include "server/spawn/SpawnSystem.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

namespace {

const GameSystemTuning& GameUpdateTuning()
{
    static const GameSystemTuning kDefaults;
    return gGameData ? gGameData->GetTuning() : kDefaults;
}

constexpr double kGameHoursPerDay = 24.0;
// Periods are counted down in float steps: a timer within this of 0 has run out, or a period
// of whole steps would take one step more than it says.
constexpr float kGameTimerTolerance = 1e-4f;

} // namespace

void Game::Update(float seconds)
{
    stepLength = seconds;
    for (RandomTimer& timer : timers)
        timer.Update(seconds);
    UpdateTimedActions(seconds);
    StampPlayerLevels();
    UpdatePlayerSurroundings(seconds);
    for (GameLevelRecord& record : levels)
        UpdateLevel(record, seconds);
    UpdateEntityPurge();
    UpdateEntities(seconds);
    for (size_t i = 0; i < covenants.size(); ++i)
        covenants[i]->Update(seconds);
    UpdateQuests(seconds);
    UpdateDynamicChat(seconds);
    UpdateWeatherChat(seconds);
    UpdateUpkeep();
    elapsed.seconds += seconds;
    elapsed.Normalize();
    UpdateEndOfGame();
    AdvanceTimeOfDay(seconds);
    ReportActiveActors();
}

void Game::StampPlayerLevels()
{
    for (const Sentient* player : players) {
        if (!player)
            continue;
        int32_t level = player->position.level;
        if (!leftStartLevel && level != -1 && level != 0)
            leftStartLevel = true;
        if (GameLevelRecord* record = FindLevel(level))
            record->lastVisit = elapsed;
    }
}

void Game::UpdateLevel(GameLevelRecord& record, float seconds)
{
    if (record.respawns.empty())
        return;
    const int32_t level = record.level;
    // Due entries leave the queue; those kept waiting join it again at its end.
    std::vector<RespawnEntry>& due = dueRespawns;
    due.clear();
    for (size_t i = 0; i < record.respawns.size();) {
        RespawnEntry& entry = record.respawns[i];
        entry.remaining = std::max(0.0f, entry.remaining - seconds);
        if (entry.remaining > 0.0f) {
            ++i;
            continue;
        }
        due.push_back(entry);
        record.respawns.erase(record.respawns.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (const RespawnEntry& entry : due) {
        if (IsRespawnKeptWaiting(entry, level))
            QueueRespawn(level, GameUpdateTuning().monsterRespawnTime, entry.position);
        else
            SpawnRespawn(level, entry.position);
    }
}

bool Game::IsRespawnKeptWaiting(const RespawnEntry& entry, int32_t level) const
{
    const Sentient* player = FindNearestPlayer(entry.position);
    if (!AnyQuestSolvable(level) || !player)
        return true;
    float minimum = GameUpdateTuning().respawnMinPlayerDistance;
    if (entry.position.Distance2D(player->position) < minimum)
        return true;
    std::vector<Entity*> linked;
    player->CollectLinkedEntities(linked);
    for (const Entity* other : linked)
        if (other && entry.position.Distance2D(other->position) < minimum)
            return true;
    return false;
}

bool Game::AnyQuestSolvable(int32_t level) const
{
    for (const auto& quest : quests->GetList())
        if (quest && quest->IsTargetLevel(level))
            return true;
    return false;
}

void Game::UpdateEntityPurge()
{
    const GameSystemTuning& tuning = GameUpdateTuning();
    // Without a threshold or a period the purge is off: it would clear a level every step.
    if (tuning.purgeEntitiesThreshold <= 0.0f || tuning.purgeEntitiesTime.y <= 0.0f || !gRandomSystem)
        return;
    RandomTimer& timer = timers[static_cast<size_t>(kPurgeTimer)];
    if (!timer.running) {
        timer.minimum = tuning.purgeEntitiesTime.x;
        timer.maximum = tuning.purgeEntitiesTime.y;
        timer.Restart(*gRandomSystem);
        return;
    }
    if (timer.remaining > kGameTimerTolerance ||
        static_cast<float>(CountEntities()) < tuning.purgeEntitiesThreshold * static_cast<float>(kMaxEntities))
        return;
    int32_t level = ChoosePurgeLevel();
    if (level == -1)
        return;
    ClearLevel(level);
    timer.Restart(*gRandomSystem);
}

bool Game::HasPlayerOn(int32_t level) const
{
    return std::any_of(players.begin(), players.end(),
                       [level](const Sentient* player) { return player && player->position.level == level; });
}

// The start level is never purged. The levels' remaining spawns join the choice with the spawn
// system; until then the first level that qualifies is taken.
int32_t Game::ChoosePurgeLevel() const
{
    for (int32_t level = 1; level < GetLevelRecordCount(); ++level) {
        const GameLevelRecord& record = levels[static_cast<size_t>(level)];
        if (IsLevelGenerated(level) && record.grid && record.grid->CountEntries() > 0 && !HasPlayerOn(level) &&
            IsLevelPurgeable(level))
            return level;
    }
    return -1;
}

bool Game::IsLevelPurgeable(int32_t level) const
{
    return gWorld && gWorld->CanLevelBePurged(level);
}

void Game::UpdateEntities(float seconds)
{
    for (int32_t i = 0; i < kMaxEntities; ++i) {
        Entity* entity = slots[static_cast<size_t>(i)].entity;
        if (entity && entity->NeedsUpdate())
            entity->Update(seconds);
    }
}

void Game::UpdateQuests(float seconds)
{
    quests->Update(seconds);
    // An escorted NPC that cannot walk after its player keeps up by steps.
    for (Sentient* player : players)
        if (player)
            KeepEscortsNear(*player, player->position);
}

void Game::UpdateUpkeep()
{
    RandomTimer& upkeep = timers[static_cast<size_t>(kUpkeepTimer)];
    if (upkeep.running && upkeep.remaining > kGameTimerTolerance)
        return;
    for (size_t i = 0; i < covenants.size(); ++i)
        covenants[i]->PayUpkeep();
    RestartUpkeepPeriod();
}

void Game::RestartUpkeepPeriod()
{
    RandomTimer& upkeep = timers[static_cast<size_t>(kUpkeepTimer)];
    float period = GameUpdateTuning().taxPeriod;
    upkeep.running = 1;
    upkeep.minimum = upkeep.maximum = upkeep.total = upkeep.remaining = period;
}

const EntityCovenant* Game::GetFirstPlayerCovenant() const
{
    return players.empty() || !players.front() ? nullptr : players.front()->GetCovenant();
}

bool Game::IsFirstPlayerTargetCovenant(const Covenant& covenant) const
{
    const auto* first = players.empty() ? nullptr : dynamic_cast<const Player*>(players.front());
    const Entity* target = first ? first->GetInteractionTarget() : nullptr;
    return target && target->covenantIndex >= 0 && target->covenantIndex == covenant.index;
}

bool Game::IsFirstPlayerUnassigned() const
{
    const auto* first = players.empty() ? nullptr : dynamic_cast<const Player*>(players.front());
    return first && first->interactionMode == 0;
}

void Game::UpdateEndOfGame()
{
    if (!gameOver && IsWorldWon()) {
        if (!GameUpdateTuning().confirmWin || winConfirmed)
            WinWorld(true);
        else
            winAwaitsConfirm = true;
    }
    if (worldRunning && !gameOver && IsPlayerCovenantDefeated())
        LoseWorld();
    UpdateAlliedVictoryOffer();
}

// The offer stands until the player answers it. A full win, won or awaiting its confirmation,
// comes before it, and an ended world takes it back, so no answer can end the world twice.
void Game::UpdateAlliedVictoryOffer()
{
    if (gameOver || winAwaitsConfirm) {
        alliedVictoryPending = false;
        return;
    }
    if (!worldRunning || alliedVictoryPending)
        return;
    // A refusal waits for the alliance to break: with no rival left alive it never does, and
    // the refused offer would otherwise come back on every step.
    if (!IsAlliedVictoryPossible())
        alliedVictoryRefused = false;
    else if (!alliedVictoryRefused)
        alliedVictoryPending = true;
}

void Game::AdvanceTimeOfDay(float seconds)
{
    double hours = static_cast<double>(GameUpdateTuning().realToWorldTimeFactor) * seconds / 3600.0;
    if (!std::isfinite(hours))
        return;
    timeOfDay += hours;
    // Whole days come off, however long the step was; exactly 24 waits for the next step.
    if (timeOfDay > kGameHoursPerDay)
        timeOfDay -= std::floor(timeOfDay / kGameHoursPerDay) * kGameHoursPerDay;
}

void Game::ReportActiveActors() const
{
    if (!aiNumActive.IsValid() || aiNumActive.GetInt() == 0)
        return;
    int32_t count = 0;
    for (const Slot& slot : slots) {
        const auto* actor = dynamic_cast<const Actor*>(slot.entity);
        if (actor && actor->IsActive())
            ++count;
    }
    DebugSystem::Print(0, "Active actors = %d\n", count);
}

void Game::WriteNetPart(MessageBuffer& buffer, const Sentient* player) const
{
    buffer.WriteInt(elapsed.days);
    buffer.WriteInt(elapsed.hours);
    buffer.WriteInt(elapsed.minutes);
    buffer.WriteFloat(elapsed.seconds);
    buffer.WriteInt(difficulty);
    buffer.WriteInt(GetCovenantCount());
    for (const auto& covenant : covenants)
        covenant->Write(buffer);
    buffer.WriteFloat(static_cast<float>(timeOfDay));
    // Each named actor as its NPC type and name; an empty entry as 0 and no name.
    buffer.WriteUInt(static_cast<uint32_t>(namedActors.size()));
    for (int32_t index = 0; index < CountNamedActors(); ++index) {
        const Actor* named = GetNamedActor(index);
        std::string name;
        GetNamedEntry(index, name);
        buffer.WriteInt(named ? named->GetNpcType() : 0);
        buffer.WriteString(name);
    }
    const std::vector<std::unique_ptr<Quest>>& worldQuests = quests->GetList();
    buffer.WriteUInt(static_cast<uint32_t>(worldQuests.size()));
    for (const auto& quest : worldQuests) {
        buffer.WriteRaw32(quest ? 1u : 0u);
        if (quest)
            quest->Write(buffer, false);
    }
    buffer.WriteFloat(factorA);
    buffer.WriteFloat(factorB);
    // The weather where the client's player stands; a clear sky without one.
    float intensity = 0.0f;
    Vector2 wind;
    if (player)
        GetWeatherAt(player->position, intensity, wind);
    buffer.WriteFloat(intensity);
    buffer.WriteFloat(wind.x);
    buffer.WriteFloat(wind.y);
    buffer.WriteBool(alliedVictoryPending);
    buffer.WriteBool(winAwaitsConfirm);
}
