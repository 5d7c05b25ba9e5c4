// GameQuestWorld -- the running world as the quests see it: level picks, level flags, names and the level records a quest names.
#pragma once

#include "rules/quests/QuestWorld.h"

// Answers from gWorld; with no world every answer is the neutral one QuestWorld names. The
// boss tiers 1..4 are the "BossTier1".."BossTier4" records: "MinLevel", "MaxLevel" and the
// "Area" whose level the tier's boss waits on.
class GameQuestWorld : public QuestWorld {
public:
    bool IsReady() const override;
    int32_t GetLevelCount() const override;
    bool IsLevelFlagSet(int32_t level) const override;
    std::string GetLevelName(int32_t level) const override;
    int32_t GetLinkedLevel(int32_t level) const override;
    int32_t GetBossLevel(int32_t slot) const override;
    int32_t PickQuestLevel(int32_t questLevel, float roll, bool aboveGroundOnly) const override;
    int32_t FindLevelOfArea(const DatabaseEntry* area) const override;
    const DatabaseEntry* GetLevelAreaEntry(int32_t level) const override;
    const DatabaseEntry* GetLevelItemEntry(int32_t level) const override;
};
