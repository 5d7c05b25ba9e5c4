// NpcChat -- an "NpcChat" record: lines a town NPC says in one situation and level range, and the picks over them.
#pragma once

#include "core/SimpleData.h"

#include <cstdint>
#include <string>
#include <vector>

class NpcChat : public SimpleData {
public:
    // Reads every key; a missing or unknown "DialogType" logs "Unknown ChatDialogType name %s"
    // and gives None.
    void Load(const DatabaseEntry* entry) override;

    // Asking for Any (1) takes the sets of type None (0), never those of type Any; any other
    // type takes its own sets. The level must lie within minLevel..maxLevel, both inclusive.
    bool Matches(int32_t askedType, int32_t level) const;
    // lines x chanceEachChat.
    float GetChatChance() const;
    // A line drawn uniformly from random stream 0; empty without lines.
    std::string PickChatText() const;

    // Of the sets that match, one drawn with a weight of its chat chance: target = draw x
    // total, the first set whose running sum exceeds it. Null when none matches or the
    // total is 0 or less.
    static const NpcChat* PickChat(const std::vector<const NpcChat*>& sets, int32_t askedType, int32_t level);

    int32_t dialogType = 0;  // ChatDialogType
    float minLevel = 0.0f;
    float maxLevel = 0.0f;
    float dynamicChance = 0.0f;
    float dynamicTimeLimit = 0.0f;
    float chanceEachChat = 0.0f;
    std::vector<std::string> chatText;  // localisation keys
    bool dynamic = false;
};
