// QuestHost -- what a server quest asks of the game around it: the quest list, the town, the world's level rules, item drops and faction standing.
#pragma once

#include "core/TimeStamp.h"

#include <cstdint>

class Actor;
class DatabaseEntry;
class Entity;
class MonsterType;
class Player;
class Quest;
class QuestWorld;

// The game's quest list implements it; a quest keeps the host it was made with and reaches
// no game object any other way, so its tests drive it with a scripted host.
class QuestHost {
public:
    virtual ~QuestHost() = default;

    // ---- The quest list ----
    // Ends the world quest and frees it; the caller must not touch the quest afterwards.
    virtual void DeleteQuest(Quest& quest) = 0;
    // A new world quest of that definition, from an origin quest (or none) at a level (-1:
    // the game picks one).
    virtual void StartQuest(const DatabaseEntry* definition, Quest* origin, int32_t level) = 0;
    // Whether another running world quest equals this one.
    virtual bool HasDuplicateQuest(const Quest& quest) const = 0;
    virtual bool IsQuestCompleteForAnyPlayer(int32_t questId) const = 0;
    // The world quest of that number; null outside the list or for an empty entry.
    virtual Quest* GetWorldQuest(int32_t questId) const = 0;
    // Recruit quests ended: the game's recruits forget their quest state.
    virtual void ResetRecruitQuests() = 0;

    // ---- Generation checks the quest set-up runs ----
    virtual bool CanStartQuest(const Quest& quest) const = 0;
    virtual bool PlaceQuestAtLevel(Quest& quest, int32_t level) = 0;

    // ---- Clock, world and town ----
    virtual TimeStamp GetNow() const = 0;
    virtual int32_t GetDifficulty() const = 0;
    // Null while there is no world.
    virtual const QuestWorld* GetQuestWorld() const = 0;
    virtual bool AreUniqueMonstersAllowed(int32_t level) const = 0;
    // Takes back the spawn-chance multiplier a quest put on a monster type at a level.
    virtual void UndoSpawnChanceChange(int32_t level, const MonsterType* monsterType, float multiplier) = 0;
    virtual int32_t CountTownNpcs() const = 0;
    // Null outside the list and for an empty entry.
    virtual Actor* GetTownNpc(int32_t index) const = 0;

    // ---- Players ----
    // The world's first solved-quest bit; a quest's "QuestSolvedBit" counts from it.
    virtual int32_t GetSolvedBitBase() const = 0;
    virtual bool IsSolvedBitSet(const Player& player, int32_t bit) const = 0;
    // A generated armour or weapon (as the flags allow), dropped for the player.
    virtual void DropRewardItem(const Quest& quest, Player& player, bool armor, bool weapon) = 0;
    // The item of that record, generated and dropped at the player.
    virtual void DropItem(const DatabaseEntry* item, Player& player) = 0;
    // How the two stand toward each other (0 and 1 are the hostile standings).
    virtual int32_t GetRelationship(const Entity& first, const Entity& second) const = 0;
    // The target's faction changes its relation toward the player by the amount.
    virtual void ChangeFactionRelation(Entity& target, const Player& player, float amount) = 0;
};
