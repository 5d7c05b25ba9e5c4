// QuestHost -- what a server quest asks of the game around it: the quest list, the town, the covenants, the world's level rules, item drops and faction standing.
#pragma once

#include "core/TimeStamp.h"
#include "world/WorldPos.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Actor;
class Covenant;
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
    // A recruit quest was set up with its recruit: every rival house copies it into its own
    // quest record. A host without rival houses has nothing to do.
    virtual void CreateActorCovenantQuests(const Quest&) {}
    // Every player's slot copies take up the progress their world quests made, and the players
    // are sent their quests afresh.
    virtual void RefreshPlayerQuests() {}
    // Every player's slot copy of the quest fails.
    virtual void EndQuestForPlayers(int32_t questId) = 0;
    // The world quest goes unless a player's slot holds it.
    virtual void RemoveQuestIfUnheld(int32_t questId) = 0;
    // Every player hands the quest in.
    virtual void CompletePlayerQuests(int32_t questId) = 0;
    // A quest of a definition of the type drawn by the weights, from the origin; null when none
    // exists or it did not start.
    virtual Quest* StartQuestOfType(int32_t questType, Quest* origin) = 0;
    virtual bool HasOpenQuestOfType(int32_t questType) const = 0;
    virtual Quest* FindFirstRecruitQuest() const = 0;
    // Whether a running revenge quest, ghost or not, hunts the target of this unique-monster
    // quest; false for a quest of any other type.
    virtual bool HasMatchingRevenge(const Quest& quest) const = 0;
    // A level in the window around the first player's level; the request held to it (-1: drawn).
    virtual int32_t PickQuestLevel(int32_t requested) = 0;

    // ---- Generation checks the quest set-up runs ----
    virtual bool CanStartQuest(const Quest& quest) const = 0;
    virtual bool PlaceQuestAtLevel(Quest& quest, int32_t level) = 0;
    // The monster types of the kind (5 unique, 6 legend, 7 boss) whose level window meets
    // minLevel..maxLevel and that no running quest targets; out is cleared first.
    virtual void CollectFreeMonsterTypes(int32_t kind, int32_t minLevel, int32_t maxLevel,
                                         std::vector<MonsterType*>& out) const = 0;

    // The running world quest of the type about the entity: its target, or its monster type for a
    // quest of a monster kind; null when none.
    virtual Quest* FindQuestForTarget(int32_t questType, const Entity* entity) const = 0;
    // The target type of the running unique-monster quest with the highest success whose type
    // may be a boss; null without one.
    virtual const MonsterType* GetStrongestBossType() const = 0;

    // ---- Factions of monster types ----
    // The first type's faction's reputation toward the second's: 0..100, 50 neutral.
    virtual float GetFactionRelation(const MonsterType& from, const MonsterType& toward) const = 0;
    // Below this reputation two factions are enemies already.
    virtual float GetWarThreshold() const = 0;
    virtual bool AreFactionsAtWar(const MonsterType& first, const MonsterType& second) const = 0;
    // Sets the war flag both ways.
    virtual void SetFactionsAtWar(const MonsterType& first, const MonsterType& second) = 0;
    // Both types' factions exist and may go to war.
    virtual bool CanFactionsGoToWar(const MonsterType& first, const MonsterType& second) const = 0;

    // ---- Clock, world and town ----
    virtual TimeStamp GetNow() const = 0;
    virtual int32_t GetDifficulty() const = 0;
    // Null while there is no world.
    virtual const QuestWorld* GetQuestWorld() const = 0;
    virtual bool AreUniqueMonstersAllowed(int32_t level) const = 0;
    // Takes back the spawn-chance multiplier a quest put on a monster type at a level.
    virtual void UndoSpawnChanceChange(int32_t level, const MonsterType* monsterType, float multiplier) = 0;
    // Whether the type can turn up on the level.
    virtual bool CanMonsterAppear(int32_t level, const MonsterType& monsterType) const = 0;
    // Raises the type's spawn chance on the level by the multiplier.
    virtual void RaiseSpawnChance(int32_t level, const MonsterType* monsterType, float multiplier) = 0;
    // The town's centre in world units on level 0.
    virtual WorldPos GetTownCenter() const = 0;
    // The home of a living covenant drawn uniformly, with the covenant's line; false without one.
    virtual bool PickCovenantHome(WorldPos& home, std::string& covenantText) = 0;
    // A covenant not yet destroyed, drawn uniformly; null without one.
    virtual Covenant* PickRandomCovenant() = 0;
    virtual int32_t CountTownNpcs() const = 0;
    // Null outside the list and for an empty entry.
    virtual Actor* GetTownNpc(int32_t index) const = 0;
    // The town NPC of the NPC type; null without one.
    virtual Entity* GetTownNpcOfType(int32_t npcType) const = 0;
    // A name drawn for someone the news speaks of.
    virtual std::string RandomNpcName() = 0;
    // The entity's name as the players see it.
    virtual std::string GetEntityDisplayName(Entity& entity) = 0;
    // The trade value the supply quests move: food's, or the other goods'.
    virtual float& SupplyTradeValue(bool food) = 0;

    // Builds the NPC of the town slot anew.
    virtual void CreateTownNpc(int32_t slot) = 0;
    // Where the town keeps an NPC of the type; false for a type without a spot.
    virtual bool GetTownSpot(int32_t npcType, WorldPos& spot, int32_t& facing) const = 0;
    // A news line for the town's people to tell (the dialog type, the subject's text, an NPC
    // type or 0 for all).
    virtual void AddDynamicNpcChat(int32_t dialogType, std::string_view subject, int32_t npcTypeFilter) = 0;
    // A sound heard around the first player.
    virtual void QueueSoundAtFirstPlayer(std::string_view name, float radius, float value) = 0;

    // ---- Levels and monsters ----
    // Fills the level's block as a player's coming there would.
    virtual void SpawnLevelBlock(int32_t level, int32_t block) = 0;
    // A monster of the type in a free block of the level (the block written back); null when none
    // could be placed.
    virtual Actor* SpawnMonsterInRandomFreeBlock(int32_t level, int32_t& block, const MonsterType* monsterType,
                                                 int32_t levelOverride) = 0;
    // The players hear of the death, as of one in the world.
    virtual void AnnounceDeath(Entity& victim) = 0;

    // ---- Covenants ----
    virtual int32_t GetCovenantCount() const = 0;
    // Null outside the list and for an empty place.
    virtual Covenant* GetCovenant(int32_t index) const = 0;
    // The covenant's name as the news lines give it.
    virtual std::string GetCovenantText(int32_t index) const = 0;

    // ---- Players ----
    // The players list's first entry; null without one.
    virtual Player* GetFirstPlayer() const = 0;
    // Game time in whole seconds of the clock's days, hours, minutes and seconds.
    virtual float GetGameSeconds() const = 0;
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
