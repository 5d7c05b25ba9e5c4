// WorldGateRecords -- the one rule both halves size a character's known-gate lists by: the town's level at every world difficulty.
#pragma once

#include <cstdint>

class ItemPtrList;

// The record of the town's world gate; without it a world has no world gate.
constexpr const char* kTownGateRecord = "ObjectTownGate";
// The kind of a gate that leads to a free spot beside its partner, and the record such a pair is
// made of when its maker names none.
constexpr int32_t kLinkedGateKind = 1;
constexpr const char* kLinkedGateRecord = "ObjectGate";

// Empties the list and fills it with one entry (level 0, difficulty) per world difficulty when
// the world has a town level and the database the town gate's record; the host's lists and the
// client's carry their flags without a count, so both must make the same entries.
void FillWorldGateRecords(ItemPtrList& out);
