// NetEntityState -- the class-specific state after each entity header of the game update: which kind a record's entity writes, and the reader of every kind.
#pragma once

#include "world/NetMessages.h"
#include "world/WorldPos.h"

#include <cstdint>
#include <vector>

class DatabaseEntry;

// What follows an entity's header. The world host's class writes it; the receiver knows the
// class only through the entity's record, so one function names the kind of a record and both
// halves follow it. An entity without a record writes no state.
namespace NetStateKind {
enum Value : int32_t {
    None,        // plain entities
    Equipment,   // a player: the ten shown equipment records
    Creature,    // a monster or vendor: equipment, then the creature block
    Item,        // quality
    Money,       // amount
    QuestItem,   // the quest's number
    Chest,       // the closed word
    Projectile,  // a beam's ends, or the lobbed flag and height
    Gate,        // the partner's place
};
} // namespace NetStateKind

// Everything any kind carries; the reader fills the fields of the kind it reads. Reused across
// updates, so that reading keeps its vectors' capacity.
struct NetEntityState {
    static constexpr int32_t kShownEquipment = 10;

    int32_t kind = NetStateKind::None;
    int32_t equipment[kShownEquipment] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    // The creature block.
    int32_t power = 0;
    int32_t maxPower = 0;
    int32_t movement = 0;
    bool summoned = false;
    int32_t rank = 0;
    std::vector<int32_t> questOffers;
    uint32_t nameSeed = 0;
    int32_t level = 0;
    // Item quality, money amount or quest number.
    int32_t value = 0;
    bool chestClosed = false;
    // A beam: start entity, start tag, target entity, target tag.
    bool beam = false;
    int32_t beamWords[4] = {-1, -1, -1, -1};
    bool lobbed = false;
    float height = 0.0f;
    WorldPos gateDestination;
};

namespace NetEntityStates {
// The kind of state the world host's entity of that record writes.
int32_t KindOf(const DatabaseEntry* record);
// Reads the state of the kind into out in place; false for a cut or a bad count.
bool ReadState(MessageBuffer& buffer, int32_t kind, NetEntityState& out);
} // namespace NetEntityStates
