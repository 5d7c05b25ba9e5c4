// NeutralCovenant -- a covenant for tests that answers every question neutrally; tests override only what they script.
#pragma once

#include "entities/EntityCovenant.h"

class NeutralCovenant : public EntityCovenant {
public:
    bool IsMember(const Sentient&) const override { return false; }
    WorldPos GetHomePosition() const override { return home; }
    Entity* GetHomeEntity() const override { return nullptr; }
    int32_t GetHomeStat(int32_t) const override { return 0; }
    void RecomputeTotals() override {}
    void ModifyMemberStat(int32_t, int32_t&, int32_t) const override {}
    void OnMemberDied(Sentient&) override {}
    void RecordMemberExperience(int32_t, int32_t, float) override {}
    void OnMemberGainedExperience(Sentient&, int32_t) override {}
    bool IsRaiding() const override { return false; }
    bool IsBeingRaided() const override { return false; }

    WorldPos home;
};
