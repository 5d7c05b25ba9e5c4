// LocalPlayerLink -- what the connection and the game client ask of the local player's mirror: its settings, its part of each client update, and its part of each game update.
#pragma once

#include "world/WorldPos.h"

#include <cstdint>
#include <string>

class CovenantBase;
class EntityClient;
class MessageBuffer;

// The player mirror implements it; the connection owns the one it is given.
class LocalPlayerLink {
public:
    virtual ~LocalPlayerLink() = default;

    // The character settings block answering a hello; the player records the world it was for.
    virtual void WriteSettings(MessageBuffer& buffer, int32_t difficulty, uint32_t worldSeed) = 0;

    // ---- What each client update carries ----
    virtual WorldPos GetPosition() const = 0;
    virtual WorldPos GetMoveTarget() const = 0;
    virtual int32_t GetInteractionMode() const = 0;
    // The entity number the update names: the selected entity, or the pending target.
    virtual int32_t GetUpdateTarget() const = 0;
    virtual int32_t GetEntityNumber() const = 0;
    // The NPC whose chat lines the player hears; the selected entity unless the player says.
    virtual int32_t GetChatPartner() const { return GetUpdateTarget(); }
    // The mirror of the player's own covenant; null while there is none.
    virtual CovenantBase* GetPlayerCovenant() const { return nullptr; }

    // ---- What the connection tells it ----
    // The welcome's level: the player stands there at its own x and y.
    virtual void OnWelcome(int32_t level) = 0;
    virtual void OnNewWorld() = 0;
    // The player's own frame, after the game client's.
    virtual void UpdateFrame(float seconds) = 0;
    // Writes the character's file; false when nothing was saved.
    virtual bool SaveCharacter() = 0;
    // A hardcore character that died: its files are gone and nothing saves it again.
    virtual bool IsGone() const { return false; }
    // The name the character's files are saved under; empty before there is a character.
    virtual std::string GetCharacterName() const { return std::string(); }
    // The name the character's files (its ".chr", world and maps) are saved under: the file it
    // was loaded from, whatever name the file holds; the character's own name unless the player
    // says otherwise.
    virtual std::string GetSaveName() const { return GetCharacterName(); }

    // ---- What the game update tells it ----
    // An entity seen for the first time: the pick-up help.
    virtual void ShowPickupHelp(const EntityClient& entity) = 0;
    // A help topic chain, from its first topic.
    virtual void TriggerHint(const std::string& topic) = 0;
    // One help topic, shown when the player has not seen it; no chain is walked.
    virtual void OfferHelpTopic(const std::string&) {}
    // Whether the player has opened the gates of the level in this world.
    virtual bool GetCurrentLevelGateFlag(int32_t level) const = 0;
    // The update's tail after the game part (the player covenant's part when there is one, then
    // the player's part), read whole: false leaves everything as it was and drops the update.
    virtual bool ReadUpdateTail(MessageBuffer& buffer) = 0;
    // Takes what ReadUpdateTail read, after the entities and the game part have been applied;
    // the buffer is the datagram it was read from.
    virtual void ApplyUpdateTail(MessageBuffer& buffer) = 0;
};
