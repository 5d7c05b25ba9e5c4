// SpyCovenant -- a covenant that writes what the game asked of it into a shared log.
#pragma once

#include "core/MessageBuffer.h"
#include "covenants/Covenant.h"

#include <string>
#include <vector>

class SpyCovenant : public Covenant {
public:
    explicit SpyCovenant(std::vector<std::string>* log = nullptr) : log(log) {}

    void Start(int32_t startingLevel, int32_t difficulty) override
    {
        Note("start " + std::to_string(startingLevel) + " " + std::to_string(difficulty));
    }
    void RecalculateMemberStats(const Entity*) override { Note("members"); }
    void SetUpFirstWorld() override { Note("first world " + std::to_string(GetDefinitionIndex())); }
    void Update(float) override { Note("covenant " + std::to_string(index)); }
    void PayUpkeep() override { Note("upkeep " + std::to_string(index)); }
    Entity* GetLeader() const override { return nullptr; }

    bool IsMember(const Sentient&) const override { return false; }
    WorldPos GetHomePosition() const override { return {}; }
    Entity* GetHomeEntity() const override { return nullptr; }
    int32_t GetHomeStat(int32_t) const override { return 0; }
    void RecomputeTotals() override {}
    void ModifyMemberStat(int32_t, int32_t&, int32_t) const override {}
    void OnMemberDied(Sentient&) override {}
    void RecordMemberExperience(int32_t, int32_t, float) override {}
    void OnMemberGainedExperience(Sentient&, int32_t) override {}
    bool IsRaiding() const override { return false; }
    bool IsBeingRaided() const override { return false; }

private:
    void Note(const std::string& line)
    {
        if (log)
            log->push_back(line);
    }

    std::vector<std::string>* log;
};
