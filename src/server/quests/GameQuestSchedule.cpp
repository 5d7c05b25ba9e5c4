// GameQuests -- the quest scheduler: the pacing keys, the quests a world starts with, new quests and events by their timers, old quests cleared, and the story chain.
#include "server/quests/GameQuests.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/quests/QuestDefinition.h"
#include "server/Game.h"
#include "server/quests/Quest.h"
#include "server/spawn/SpawnSystem.h"
#include "world/World.h"

#include <algorithm>
#include <set>

// ---- Pacing -----------------------------------------------------------------------------------------

void QuestPacing::Load(const DatabaseEntry* gameSystem)
{
    *this = QuestPacing{};
    if (!gameSystem)
        return;
    minInitialQuests = gameSystem->GetInt("MinInitialQuests");
    maxInitialQuests = gameSystem->GetInt("MaxInitialQuests");
    gameSystem->GetStringList("BeginningQuest", beginningQuests, true, false);
    gameSystem->GetIntList("QuestThreshold", questThresholds, true, false);
    gameSystem->GetFloatList("QuestChance", questChances, true, false);
    if (questThresholds.size() != questChances.size()) {
        DebugSystem::Print(kPrintWarning, "%s: %d QuestThreshold but %d QuestChance entries; the shorter list rules\n",
                           std::string(gameSystem->GetName()).c_str(), static_cast<int32_t>(questThresholds.size()),
                           static_cast<int32_t>(questChances.size()));
        size_t shorter = std::min(questThresholds.size(), questChances.size());
        questThresholds.resize(shorter);
        questChances.resize(shorter);
    }
    eventChance = gameSystem->GetFloat("EventChance", 0.0f);
    newQuestMinTime = gameSystem->GetFloat("NewQuestMinTime", 0.0f);
    newQuestMaxTime = gameSystem->GetFloat("NewQuestMaxTime", 0.0f);
    newEventMinTime = gameSystem->GetFloat("NewEventMinTime", 0.0f);
    newEventMaxTime = gameSystem->GetFloat("NewEventMaxTime", 0.0f);
    deleteOldQuestsThreshold = gameSystem->GetInt("DeleteOldQuestsThreshold");
    deleteOldQuestsTime = gameSystem->GetFloat("DeleteOldQuestsTime", 0.0f);
    deleteOldQuestsLevelDiff = gameSystem->GetInt("DeleteOldQuestsLevelDiff");
    easyQuestLevelDiff = gameSystem->GetInt("EasyQuestLevelDiff");
    hardQuestLevelDiff = gameSystem->GetInt("HardQuestLevelDiff");
    minLevelForHardQuests = gameSystem->GetInt("MinLevelForHardQuests");
    int32_t tries = gameSystem->GetInt("CreateQuestTries");
    createQuestTries = std::clamp(tries, 1, kMaxCreateQuestTries);
    // 0 is the key left out: one try, as a missing key gives, without a word.
    if (tries != 0 && tries != createQuestTries)
        DebugSystem::Print(kPrintWarning, "GameSystem CreateQuestTries %d is outside 1..%d; %d is used\n", tries,
                           kMaxCreateQuestTries, createQuestTries);
}

float QuestPacing::ChanceFor(int32_t count) const
{
    for (size_t i = 0; i < questThresholds.size(); ++i)
        if (questThresholds[i] > count)
            return questChances[i];
    return 0.0f;
}

// ---- The step ---------------------------------------------------------------------------------------

void GameQuests::Update(float seconds)
{
    // No quest's code runs on the quests deleted since the last step any more.
    finished.clear();
    if (!GetFirstPlayer())
        return;
    for (RandomTimer& timer : timers)
        timer.Update(seconds);
    if (initialQuestsPending)
        StartInitialQuests();
    if (timers[kNewQuestTimer].IsExpired() && questsEnabled &&
        DrawRandomFloat(RandomStream::GameData, 1.0f) < pacing.ChanceFor(CountCountedQuests()))
        OfferTownQuest();
    if (timers[kNewEventTimer].IsExpired() && questsEnabled &&
        DrawRandomFloat(RandomStream::GameData, 1.0f) < pacing.eventChance)
        StartWorldEvent();
    DeleteOldQuest();
    RestartTimers();
    // By number: a quest's step may start or delete others.
    for (size_t i = 0; i < list.size(); ++i)
        if (Quest* quest = list[i].get())
            quest->Update(seconds);
    if (forceQuests) {
        StartRandomQuest();
        StartWorldEvent();
    }
    if (randomMonsters && gSpawnSystem && gGameData && DrawRandomFloat(RandomStream::GameData, 1.0f) < 0.01f) {
        Player* first = GetFirstPlayer();
        const MonsterType* type = gGameData->GetMonsterType(
            gRandomSystem->RandomInt(RandomStream::GameData, gGameData->GetMonsterTypeCount()));
        if (first && type)
            gSpawnSystem->SpawnQuestMonster(type, first->stats.Get(CharacterStat::Level), first->position);
    }
}

void GameQuests::RestartTimers()
{
    if (!gRandomSystem)
        return;
    const float bounds[kTimerCount][2] = {{pacing.newQuestMinTime, pacing.newQuestMaxTime},
                                          {pacing.newEventMinTime, pacing.newEventMaxTime},
                                          {pacing.deleteOldQuestsTime, pacing.deleteOldQuestsTime}};
    for (int32_t i = 0; i < kTimerCount; ++i) {
        RandomTimer& timer = timers[i];
        if (timer.running && !timer.IsExpired())
            continue;
        timer.minimum = bounds[i][0];
        timer.maximum = bounds[i][1];
        timer.Restart(*gRandomSystem);
    }
}

Quest* GameQuests::StartRandomQuest()
{
    return gGameData ? StartQuestFromDefinition(gGameData->FindQuestDefinition(gGameData->PickRandomQuest())) : nullptr;
}

void GameQuests::OfferTownQuest()
{
    if (Entity* giver = game.PickLivingQuestGiver())
        game.OfferNpcQuest(*giver, GetFirstPlayer());
    else
        StartRandomQuest();
}

void GameQuests::StartInitialQuests()
{
    if (initialQuestSwitch && gRandomSystem && gGameData) {
        int32_t count =
            gRandomSystem->RandomIndex(RandomStream::GameData, pacing.minInitialQuests, pacing.maxInitialQuests);
        for (int32_t i = 0; i < count; ++i)
            StartRandomQuest();
    }
    for (const std::string& name : pacing.beginningQuests)
        StartQuestByName(name);
    if (gWorld)
        for (const std::string& name : gWorld->GetBeginningQuests())
            StartQuestByName(name);
    initialQuestsPending = false;
}

// ---- Old quests ---------------------------------------------------------------------------------------

bool GameQuests::HasMatchingRevenge(const Quest& quest) const
{
    if (quest.type != QuestType::UniqueMonsterSpotted)
        return false;
    return std::any_of(list.begin(), list.end(), [&quest](const std::unique_ptr<Quest>& other) {
        return other && !other->IsComplete() && !other->failed &&
               (other->type == QuestType::GhostRevenge || other->type == QuestType::Revenge) &&
               other->QuestBase::target == quest.QuestBase::target;
    });
}

bool GameQuests::IsDeletableOld(const Quest& quest, const Player& player) const
{
    int32_t playerLevel = player.stats.Get(CharacterStat::Level);
    return quest.definition && quest.definition->canRemoveFromAge &&
           quest.level <= playerLevel - pacing.deleteOldQuestsLevelDiff && !player.HasQuest(quest.questId) &&
           !HasMatchingRevenge(quest);
}

// The definitions flagged "CanRemoveFromAge" are the ones old age may delete.
void GameQuests::DeleteOldQuest()
{
    Player* first = GetFirstPlayer();
    if (!first || !timers[kDeleteTimer].IsExpired() || CountCountedQuests() < pacing.deleteOldQuestsThreshold)
        return;
    const Quest* lowest = nullptr;
    for (const auto& quest : list)
        if (quest && IsDeletableOld(*quest, *first) && (!lowest || quest->level < lowest->level))
            lowest = quest.get();
    if (lowest)
        DeleteQuest(lowest->questId);
}

// ---- The story ---------------------------------------------------------------------------------------

void GameQuests::StartStoryQuest()
{
    Player* first = GetFirstPlayer();
    if (!first || initialQuestsPending || pacing.beginningQuests.empty() || !gDatabase || !gGameData)
        return;
    bool running = std::any_of(list.begin(), list.end(), [](const std::unique_ptr<Quest>& quest) {
        return quest && !quest->ended && quest->definition && quest->definition->questSolvedBit != -1;
    });
    if (running)
        return;
    std::set<const QuestDefinition*> visited;
    std::string name = pacing.beginningQuests.front();
    while (true) {
        const DatabaseEntry* entry = gDatabase->FindEntryByName(name);
        const QuestDefinition* definition = entry ? gGameData->FindQuestDefinition(entry) : nullptr;
        if (!definition)
            return;
        // Mended: a "NextQuest" chain that comes back on itself would walk for ever.
        if (!visited.insert(definition).second) {
            DebugSystem::Print(kPrintWarning, "Story quest %s: its NextQuest chain comes back to it\n", name.c_str());
            return;
        }
        if (definition->questSolvedBit != -1) {
            int64_t bit = int64_t{GetSolvedBitBase()} + definition->questSolvedBit;
            if (bit < 0 || bit > Quest::kMaxSolvedBit) {
                DebugSystem::Print(kPrintWarning, "Story quest %s: solved bit %lld lies outside 0..%d\n", name.c_str(),
                                   static_cast<long long>(bit), Quest::kMaxSolvedBit);
            } else if (!IsSolvedBitSet(*first, static_cast<int32_t>(bit))) {
                Begin(*definition, nullptr, PickQuestLevel(-1));
                return;
            }
        }
        name = definition->nextQuest;
    }
}
