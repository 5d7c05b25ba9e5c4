// Recruit -- an NPC that joined a covenant: its saved record and, while it stands in the world, its actor.
#pragma once

#include "core/SafePointer.h"
#include "rules/recruits/RecruitBase.h"

#include <cstdint>

class Actor;
class Covenant;
class Item;
class MessageBuffer;

// The record outlives its creature (dead, not yet spawned, between worlds, in a save or in the
// client's settings) and can spawn it again with the same type, stats, inventory, monster
// enhancements, skills and name. While the creature stands in the world the record reads its
// live state from the actor. A record destroyed while attached schedules its actor's "delete".
class Recruit : public RecruitBase {
public:
    // The equipment bag of a recruit's inventory.
    static constexpr int32_t kEquipmentBag = 1;
    // ChooseEquipSlot's answers besides a slot.
    static constexpr int32_t kNoSlot = 17;
    static constexpr int32_t kCannotWearNow = -1;
    static constexpr const char* kEffectPrefix = "EnhancementRecruit";

    Recruit();
    ~Recruit() override;

    // Copies the actor's record, stats, inventory and skills; nothing for null.
    void CaptureFromActor(const Actor* actor);
    // A new actor made from the record, set up and attached; the caller places it and adds it
    // to the entity table. Null when the record names no creature.
    Actor* Spawn(Covenant* covenant, bool restoreSkills);
    // Attaches the actor (null detaches); unless skipSetup, the actor joins the covenant and
    // takes its recruit effect, and the record takes its name seed.
    void SetActor(Actor* actor, bool skipSetup);
    Actor* GetActor() const;
    // Stores the level and tells the covenant.
    void SetAssignedLevel(int32_t level);
    // Sends the recruit to a level about delta above its own.
    void PickAssignedLevel(int32_t delta);
    // The live stat while spawned, else the stored one; 0 outside the stats.
    int32_t GetStat(int32_t stat) const;
    // The item worn in the equipment slot (the actor's while spawned, else the record's); null
    // for an empty slot, one outside the bag or a cell holding no Item.
    Item* GetEquipped(int32_t slot) const;
    // The equipment slot the recruit would wear the item in: kNoSlot for none, kCannotWearNow
    // while a two-handed item and an off-hand item would clash.
    int32_t ChooseEquipSlot(const Item* item) const;
    // The client's settings datagram. False, the record unchanged, for a cut record or one
    // naming no creature.
    bool ReadSettings(MessageBuffer& buffer);
    // As above; whole says whether the record was read to its end (a record naming no creature
    // is; a cut one, or one with a refused count, is not), so a list of records can go on.
    bool ReadSettings(MessageBuffer& buffer, bool& whole);
    // The record in the game update; the enhancement list is first rebuilt from the actor.
    void WriteUpdate(MessageBuffer& buffer);
    // The save form: the actor's state captured first, then the base record and isHero.
    void Write(MessageBuffer& buffer) override;
    bool Read(int32_t version, MessageBuffer& buffer) override;

    int32_t covenantIndex = -1;
    bool outWithParty = false;
    int32_t assignedLevel = -1;
    int32_t winStreak = 0;
    int32_t lossStreak = 0;
    bool isHero = false;

private:
    SafePointer actor;
};
