// BehaviorKind -- the part every behaviour kind shares: its type id and the copy of its tuning from a prototype.
#pragma once

#include "entities/BehaviorBase.h"

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
