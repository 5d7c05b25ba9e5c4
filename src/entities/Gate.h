// Gate -- the level object that carries a player elsewhere: to its linked partner, home, to a named gate, down a level, or a world gate's activation.
#pragma once

#include "core/SafePointer.h"
#include "entities/Entity.h"
#include "entities/GameServices.h"
#include "world/WorldGateRecords.h"

#include <cstdint>
#include <string>

class Player;

// What using a gate does; the creator sets it.
namespace GateKind {
enum : int32_t {
    World = 0,      // activates for the player, or takes an activated player home
    Linked = kLinkedGateKind, // to a free spot beside the partner
    LinkedExact = 2, // exactly onto the partner; the trip is offered to the quests
    Secret = 3,     // as Linked; the first passage finds a secret
    Home = 4,       // beside the covenant house's gate
    Depth = 5,      // to the start of the level below
    Named = 6,      // to the nearest target of the same name
    NamedTarget = 7, // the end of named gates; using it does nothing
};
} // namespace GateKind

class Gate : public Entity {
public:
    // The record a pair is made of when its maker names none.
    static constexpr const char* kDefaultRecord = kLinkedGateRecord;
    static constexpr const char* kTownRecord = kTownGateRecord;
    // Rings 0..this around each end are searched for a free spot.
    static constexpr int32_t kPairRings = 4;
    static constexpr int32_t kPartnerRings = 4;
    static constexpr float kSoundRadius = 300.0f;
    static constexpr float kEffectSeconds = 2.0f;

    // Two gates of the record (kDefaultRecord when null) at free spots near a and b (else the
    // spots themselves), linked, of the kind, in the game's table. When either cannot be made
    // or added, neither is left behind and both are null.
    static LinkedGates CreateLinkedPair(const DatabaseEntry* record, const WorldPos& a, const WorldPos& b, int32_t kind);

    void Load(const DatabaseEntry* record) override;
    // The partner's place: level, x, y; -1, 0, 0 without one.
    void WriteNetState(MessageBuffer& buffer) const override;
    // Players only; what happens is the kind's.
    void OnUsedBy(Entity* user) override;
    bool TraitL() const override { return false; }

    void Link(Gate* partner) { linked.Set(partner); }
    Gate* GetLinked() const { return linked.GetAs<Gate>(); }

    int32_t kind = GateKind::World;
    std::string gateName;
    bool travelled = false;
    std::string soundName;
    std::string effectName;

private:
    void UseWorldGate(Player& player);
    void UseLinked(Player& player);
    void UseLinkedExact(Player& player);
    void UseHome(Player& player);
    void UseDepth(Player& player);
    void UseNamed(Player& player);
    Gate* FindNamedTarget() const;
    // Stops the player, warps it there, then the arrival sound and effect. Nowhere (level -1)
    // means no journey at all.
    void Travel(Player& player, const WorldPos& destination);

    SafePointer linked;
};
