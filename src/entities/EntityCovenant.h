// EntityCovenant -- a covenant as its member entities see it; the covenants library implements it.
#pragma once

#include "world/WorldPos.h"

#include <cstdint>

class Entity;
class EntityQuest;
class InventoryBag;
class InventoryBase;
class ItemBase;
class Item;
class Sentient;

class EntityCovenant {
public:
    virtual ~EntityCovenant() = default;

    virtual bool IsMember(const Sentient& sentient) const = 0;
    virtual WorldPos GetHomePosition() const = 0;
    // The entity that stands for the covenant's home (its lifestone; the entity its hurt members
    // go to to regenerate); null when it has none.
    virtual Entity* GetHomeEntity() const = 0;
    // The covenant's Defense, Armor or resistance value, answered for its home entity.
    virtual int32_t GetHomeStat(int32_t stat) const = 0;
    // After a member's stats changed.
    virtual void RecomputeTotals() = 0;
    // The covenant's flat change of a member's stat in a pass of the stat computation.
    virtual void ModifyMemberStat(int32_t stat, int32_t& value, int32_t pass) const = 0;
    virtual void OnMemberDied(Sentient& member) = 0;
    virtual void RecordMemberExperience(int32_t sourceLevel, int32_t kind, float multiplier) = 0;
    virtual void OnMemberGainedExperience(Sentient& member, int32_t amount) = 0;
    // A member was damaged by the attacker (none for a trap or the world).
    virtual void OnMemberDamaged(Entity&, Entity*, int32_t) {}
    virtual bool IsRaiding() const = 0;
    virtual bool IsBeingRaided() const = 0;

    // ---- What its actors ask -------------------------------------------------------------------
    // The leader the covenant's kills are credited through; none when it has none.
    virtual Entity* GetLeader() const { return nullptr; }
    // Whether a kill by a member counts however far the leader is.
    virtual bool CreditsAtAnyDistance() const { return false; }
    // Seconds before a dead member rises; 0 or less: it does not.
    virtual float GetResurrectionTime(const Entity*) const { return 0.0f; }
    virtual WorldPos GetResurrectPosition(const Sentient&) const { return GetHomePosition(); }
    // A risen member, already at its resurrect position, is moved on where the covenant wants it.
    virtual void TeleportMember(Entity&) {}
    // Whether the member stays awake whatever the distance to the players.
    virtual bool KeepsMemberActive(const Sentient&) const { return false; }
    // The covenants of computer-run houses: their members loot for the house.
    virtual bool IsActorCovenant() const { return false; }
    virtual int32_t GetMemberSlotWord() const { return -1; }
    virtual void OnVictimLooted(Sentient&, Entity&) {}
    // The unique-item notice over what a victim of a member, or of its partner's member, left in
    // its loot bag: each item goes through AnnounceFoundItem, which is silent for a person's
    // covenant.
    virtual void CheckMemberItems(const Entity& victim) const;
    // The quest the covenant pursues; its members' events pass its kill counting. None for a
    // covenant that keeps no quest record, or while its record is empty.
    virtual EntityQuest* GetActiveQuest() const { return nullptr; }
    // An item found by the covenant's side, told to every client when it is unique; a covenant
    // of a person announces nothing.
    virtual void AnnounceFoundItem(const ItemBase&) const {}
    // The covenant it is partnered with; -1 when none. A partnered member follows its leader
    // only in town.
    virtual int32_t GetPartnerIndex() const { return -1; }

    // ---- What its monsters' behaviours ask ------------------------------------------------------
    // The member's chance to strike the target: 0 when the target refuses, -1 when it is flagged.
    // A member's corpse destroyer leaves a corpse it could still strike.
    virtual float GetHitChanceAgainst(const Sentient&, const Entity&) const { return 0.0f; }
    // The treaty state towards its partner covenant (kTreatyRaid: a raid on it).
    virtual int32_t GetPartnerTreaty() const { return 0; }
    // Whether the member belongs to the party sent on the raid.
    virtual bool IsInRaidingParty(const Sentient&) const { return false; }
    // Where raiders and visitors of this covenant arrive: 200 along x from its home entity (its
    // home position when it has no home entity).
    virtual WorldPos GetSpawnPointNearHome() const;
    // Whether its current adventure exists and is under way.
    virtual bool HasActiveAdventure() const { return false; }
    // The place its travellers head for; false when it sends them nowhere.
    virtual bool GetTravelDestination(WorldPos&) const { return false; }

    static constexpr int32_t kTreatyRaid = 3;
    static constexpr float kSpawnPointOffset = 200.0f;

    // ---- What gates ask of a player's covenant -------------------------------------------------
    // A free spot beside the covenant house's gate for the player; false when the house has none.
    virtual bool FindSpotNearHouseGate(const Sentient&, WorldPos&) const { return false; }

    // ---- What a player asks of its covenant's recruits -------------------------------------------
    // A covenant without recruits (every one but the player's) holds none and takes none.
    virtual int32_t CountRecruits() const { return 0; }
    // Whether one more recruit fits under the game's "MaxRecruits".
    virtual bool HasRoomForRecruit() const { return false; }
    // The actor of the recruit at that place of the covenant's list; none outside it, for an
    // empty place or a recruit not spawned.
    virtual Sentient* GetRecruitActor(int32_t) const { return nullptr; }
    // The NPC becomes one of the covenant's recruits; false when it cannot.
    virtual bool TakeRecruit(Sentient&) { return false; }
    // The recruit goes to the covenant house, its target state reset.
    virtual void SendRecruitToHouse(Sentient&) {}
    // The recruit leaves the house for the party; false when it cannot.
    virtual bool ReleaseFromHouse(Sentient&) { return false; }
    // Covenant goods a member picked up or sold join the covenant's stock; a negative amount
    // spends from it, never below 0.
    virtual void AddCurrency(int32_t) {}
    // The covenant's stock of covenant goods, which pays for guards and covenant currency.
    virtual int32_t GetCurrency() const { return 0; }

    // ---- What a player's house bag and trade window ask ----------------------------------------
    // The covenant's own bag of that inventory group number; null when it keeps none.
    virtual InventoryBag* GetInventoryBag(int32_t) const { return nullptr; }
    // The leader put the item into slot i of its house bag, respectively took it out.
    virtual void OnHouseItemPlaced(int32_t, Item&) {}
    virtual void OnHouseItemRemoved(int32_t) {}

    // ---- What a covenant stash asks --------------------------------------------------------------
    // The covenant's own storage bag of the inventory group number (Stash, StashBag1..8); null
    // when it keeps none of that number.
    virtual InventoryBag* GetStorageBag(int32_t) const { return nullptr; }
    // The inventory those storage bags belong to, so items can move between it and a member's.
    virtual InventoryBase* GetStorage() const { return nullptr; }
};
