// GameQuests -- what happens in the world passed on to the quests: deaths, the NPCs quests are for, escorts, chests, triggers, town traps and the quests' monster rarity factors.
#include "server/quests/GameQuests.h"

#include "core/StringUtil.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/RulesEnums.h"
#include "rules/quests/QuestDefinition.h"
#include "server/Game.h"
#include "server/quests/Quest.h"

#include <algorithm>

// Each walk goes by number and reads the entry afresh: a quest's reaction may start or delete
// others.

void GameQuests::OnEntityKilled(Entity& victim, Entity* killer)
{
    NotifyMeetingKill(victim, killer);
    for (size_t i = 0; i < list.size(); ++i)
        if (Quest* quest = list[i].get())
            quest->OnEntityKilled(victim, killer);
}

void GameQuests::FindQuestsFor(const Entity& entity, std::vector<int32_t>& out) const
{
    out.clear();
    for (const auto& quest : list)
        if (quest && quest->IsFor(entity))
            out.push_back(quest->questId);
}

void GameQuests::NotifyMeetingKill(Entity& victim, Entity* killer)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (Quest* quest = list[i].get(); quest && quest->type == QuestType::Meeting)
            quest->OnMeetingKill(victim, killer);
}

void GameQuests::KeepEscortsNear(Player& player, const WorldPos& from)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (Quest* quest = list[i].get(); quest && quest->questId != -1)
            quest->KeepEscortNear(player, from);
}

void GameQuests::OnChestOpened(const Entity& chest, Sentient* opener)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (Quest* quest = list[i].get())
            quest->OnTreasureOpened(chest, opener);
}

float GameQuests::GetQuestMultiplier(const MonsterType& monsterType, int32_t level) const
{
    float product = 1.0f;
    for (const auto& quest : list) {
        if (!quest || !quest->definition || quest->definition->monsterRarityMultiplier <= 0.0f ||
            quest->QuestBase::target != &monsterType)
            continue;
        if (quest->targetLevel == -1)
            quest->AssignTargetLevels();
        if (quest->targetLevel == level)
            product *= quest->definition->monsterRarityMultiplier;
    }
    return product;
}

void GameQuests::OnTriggerFired(std::string_view name)
{
    for (size_t i = 0; i < list.size(); ++i) {
        Quest* quest = list[i].get();
        if (!quest || quest->type != QuestType::Trigger || !quest->definition || quest->IsComplete() ||
            !StringEqualsNoCase(quest->definition->triggerName, name))
            continue;
        quest->SetComplete();
        CompletePlayerQuests(static_cast<int32_t>(i));
    }
}

void GameQuests::OnTownTrapCleared(const Entity& trap)
{
    for (size_t i = 0; i < list.size(); ++i) {
        Quest* quest = list[i].get();
        if (!quest || quest->type != QuestType::TownTraps)
            continue;
        bool laid = false;
        for (const SafePointer& spawned : quest->spawned)
            laid = laid || spawned.Get() == &trap;
        if (!laid)
            continue;
        quest->progress = std::min(quest->progress + 1, quest->count);
        int32_t number = static_cast<int32_t>(i);
        for (Sentient* sentient : game.GetPlayers()) {
            auto* player = dynamic_cast<Player*>(sentient);
            for (int32_t slot = 0; player && slot < Player::kQuestSlotCount; ++slot) {
                EntityQuest* copy = player->GetQuestSlot(slot);
                if (copy && !copy->IsEmpty() && copy->questId == number)
                    copy->progress = quest->progress;
            }
        }
        if (quest->IsComplete() && !IsQuestHeldByPlayer(number))
            DeleteQuest(number);
    }
}
