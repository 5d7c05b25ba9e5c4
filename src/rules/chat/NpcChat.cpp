// NpcChat -- an "NpcChat" record: lines a town NPC says in one situation and level range, and the picks over them.
#include "rules/chat/NpcChat.h"

#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/RandomSystem.h"
#include "rules/RulesEnums.h"

#include <algorithm>

void NpcChat::Load(const DatabaseEntry* newEntry)
{
    *this = NpcChat();
    entry = newEntry;
    if (!entry)
        return;
    std::string typeName = entry->GetString("DialogType");
    // The table lookup stays quiet about an empty name; a set without a type is a fault too.
    if (typeName.empty())
        DebugSystem::Print(kPrintError, "Unknown %s name %s\n", "ChatDialogType", "");
    dialogType = GetChatDialogTypeByName(typeName);
    minLevel = entry->GetFloat("MinLevel", 0.0f);
    maxLevel = entry->GetFloat("MaxLevel", 0.0f);
    dynamicChance = entry->GetFloat("DynamicChance", 0.0f);
    dynamicTimeLimit = entry->GetFloat("DynamicTimeLimit", 0.0f);
    chanceEachChat = entry->GetFloat("ChanceEachChat", 0.0f);
    entry->GetStringList("ChatText", chatText, true, true);
    dynamic = entry->GetInt("Dynamic") != 0;
}

bool NpcChat::Matches(int32_t askedType, int32_t level) const
{
    int32_t wanted = askedType == ChatDialogType::Any ? ChatDialogType::None : askedType;
    float at = static_cast<float>(level);
    return dialogType == wanted && minLevel <= at && at <= maxLevel;
}

float NpcChat::GetChatChance() const
{
    return static_cast<float>(chatText.size()) * chanceEachChat;
}

namespace {

// A set that weighs less than nothing is never drawn, and takes nothing from the others.
float PickWeight(const NpcChat* set, int32_t askedType, int32_t level)
{
    return set && set->Matches(askedType, level) ? std::max(0.0f, set->GetChatChance()) : 0.0f;
}

} // namespace

std::string NpcChat::PickChatText() const
{
    if (chatText.empty())
        return std::string();
    int32_t count = static_cast<int32_t>(chatText.size());
    int32_t k = gRandomSystem ? gRandomSystem->RandomInt(RandomStream::GameData, count) : 0;
    return chatText[static_cast<size_t>(k)];
}

const NpcChat* NpcChat::PickChat(const std::vector<const NpcChat*>& sets, int32_t askedType, int32_t level)
{
    float total = 0.0f;
    for (const NpcChat* set : sets)
        total += PickWeight(set, askedType, level);
    if (!(total > 0.0f))
        return nullptr;
    float target = (DrawRandomFloat()) * total;
    float sum = 0.0f;
    for (const NpcChat* set : sets) {
        float weight = PickWeight(set, askedType, level);
        sum += weight;
        if (weight > 0.0f && sum > target)
            return set;
    }
    return nullptr;
}
