// BehaviorKind -- the part every behaviour kind shares: its type id and the copy of its tuning from a prototype.
#pragma once

#include "entities/BehaviorBase.h"
#include "world/WorldPos.h"

// Derived keeps what its loaders read in a member `tuning`; that, and only that, is what a
// clone takes from its prototype.
template <class Derived, int32_t kKind>
class BehaviorKind : public BehaviorBase {
public:
    static constexpr int32_t kType = kKind;

    int32_t GetType() const override { return kKind; }
    void InitFromData(const BehaviorBase& prototype) override
    {
        if (const auto* same = dynamic_cast<const Derived*>(&prototype))
            static_cast<Derived&>(*this).tuning = same->tuning;
    }
};

// The position one grid cell away in compass direction d (0 north, clockwise to 7 north-west;
// any d wraps into 0..7), normalised onto its level.
WorldPos BehaviorCellStep(const WorldPos& from, int32_t direction);
