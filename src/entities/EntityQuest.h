// EntityQuest -- a quest as a player's quest slot holds it: the saved quest state plus what the server's quests do for the player who carries it.
#pragma once

#include "rules/quests/QuestBase.h"

#include <cstdint>

class Entity;
class Event;
class Player;

// The server's quests derive from it; the game makes the player's six through
// GameServices::CreatePlayerQuest. A slot is empty while its quest's level is -1; questId is
// the number of the game's quest the slot's copy was made from.
class EntityQuest : public QuestBase {
public:
    // The quest types the player's operations tell apart.
    static constexpr int32_t kRecruitType = 11;
    static constexpr int32_t kTalkType = 27;
    static constexpr int32_t kEntityTargetType = 29;
    static constexpr int32_t kResurrectionType = 33;

    bool IsEmpty() const { return level == -1; }

    // One step of the goals that change with time or with the carrier's state.
    virtual void Advance(Player& carrier, float seconds) = 0;
    // Every event that reaches the carrier passes here first (a kill counts for a kill goal).
    virtual void SeeEvent(Player& carrier, Event& event) = 0;
    // The kill counting alone, for a record no player carries (a rival covenant's).
    virtual void CountKill(Event&) {}
    // Pays the reward to the carrier.
    virtual void PayReward(Player& carrier) = 0;
    // The step of a talk-to quest when the carrier speaks to its NPC.
    virtual void TalkStep(Player& carrier, Entity& npc) = 0;
    // Whether the quest is handed back to that NPC.
    virtual bool IsFor(const Entity& npc) const = 0;
    // The entity a quest of type 29 is about; none for the others.
    virtual Entity* GetTargetEntity() const = 0;
    // The game's quest announces that the carrier took it on.
    virtual void OnAccepted(Player& carrier) = 0;
    // Whether a picked-up quest item may count here: this copy and every quest up its chain of
    // copies still take items, and the chain ends at a quest of the game that exists.
    virtual bool CanTakeItemThroughLinks() = 0;
    // Declined by its carrier (or, for the game's own quest, by a carrier of its copy); what is
    // left of it is the server quest's business, and until one replaces this nothing changes.
    virtual void Abandon() {}

    // Set once the quest was handed in; such a quest is left alone.
    bool turnedIn = false;
};
