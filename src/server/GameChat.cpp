// Game -- the names announcements use, what town NPCs say (their own chat and the events they pick up), and the rumours covenants spread.
#include "server/Game.h"

#include "core/EnumTable.h"
#include "core/LocSystem.h"
#include "core/NameGenerator.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "covenants/Covenant.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"
#include "rules/chat/NpcChat.h"
#include "rules/covenants/DiplomacyText.h"
#include "rules/monsters/MonsterDefinition.h"

#include <algorithm>
#include <cmath>

namespace {

const GameSystemTuning& GameChatTuning()
{
    static const GameSystemTuning kGameChatDefaults;
    return gGameData ? gGameData->GetTuning() : kGameChatDefaults;
}

std::string GameChatPlayerName(const Sentient& player)
{
    const auto* named = dynamic_cast<const Player*>(&player);
    return named ? named->playerName : std::string();
}

// The key with the player's name as a literal argument: a name holding "$$" stays a name.
std::string GameChatWithName(std::string_view key, const Sentient& player)
{
    std::string name = FormatLiteralToken("%s", GameChatPlayerName(player).c_str());
    return MakeLocToken(key, "%s", name.c_str());
}

} // namespace

// ---- Names ------------------------------------------------------------------------------------------

std::string Game::GetCovenantText(int32_t index) const
{
    const Covenant* covenant = GetCovenant(index);
    return covenant ? DiplomacyText::CovenantLine(*covenant) : std::string();
}

std::string Game::GetEntityDisplayName(Entity& entity)
{
    auto* actor = dynamic_cast<Actor*>(&entity);
    std::string name;
    if (actor)
        name = actor->GetName();
    else if (const auto* player = dynamic_cast<const Player*>(&entity))
        name = player->playerName;
    if (GetCovenant(entity.covenantIndex)) {
        name += StringFormat(" (%s)", GetCovenantText(entity.covenantIndex).c_str());
        return name;
    }
    int32_t npcType = actor ? actor->GetNpcType() : NpcType::None;
    if (npcType == NpcType::None || npcType == NpcType::OneShot)
        return name;
    RegisterRulesEnumTables();
    const EnumTable* types = EnumTable::Find("NpcType");
    if (types && !types->GetName(npcType).empty())
        name += StringFormat(" ($$NpcType%s$$)", types->GetName(npcType).c_str());
    return name;
}

std::string Game::RandomNpcName()
{
    const char* table = DrawRandomFloat() < 0.5f ? "npcsMale" : "npcsFemale";
    uint32_t seed = DrawRandomStep(RandomStream::GameData);
    return gNameGenerator ? gNameGenerator->Generate(table, seed) : std::string(NameGenerator::kFallbackName);
}

// ---- What an NPC says -------------------------------------------------------------------------------

std::string Game::GetNpcChat(Sentient& player, Actor& npc)
{
    std::string line;
    GetNpcChat(player, npc, ChatDialogType::Any, line);
    return line;
}

const NpcChat* Game::GetNpcChat(Sentient& player, Actor& npc, int32_t dialogType, std::string& line)
{
    line.clear();
    const MonsterDefinition* definition = npc.GetDefinition();
    if (!definition || (definition->chatIntro.empty() && definition->chats.empty()))
        return nullptr;
    if (dialogType == ChatDialogType::Any && !npc.introShown && !definition->chatIntro.empty()) {
        line = GameChatWithName(definition->chatIntro, player);
        npc.introShown = true;
        return nullptr;
    }
    if (dialogType == ChatDialogType::Any && DrawRandomFloat() < dynamicChatChance &&
        HasDynamicChat(npc.GetNpcType()) && TakeDynamicChat(npc.GetNpcType(), line))
        return nullptr;
    const NpcChat* chosen = NpcChat::PickChat(definition->chats, dialogType, player.stats.Get(CharacterStat::Level));
    if (chosen && !chosen->dynamic) {
        std::string key = chosen->PickChatText();
        if (!key.empty())
            line = GameChatWithName(key, player);
    }
    return chosen;
}

void Game::AddDynamicNpcChat(int32_t dialogType, std::string_view subject, int32_t npcTypeFilter)
{
    if (players.empty() || !players.front())
        return;
    Sentient& player = *players.front();
    std::string unused;
    for (int32_t index = 0; index < CountNamedActors(); ++index) {
        Actor* npc = GetNamedActor(index);
        if (!npc || (npcTypeFilter != 0 && npc->GetNpcType() != npcTypeFilter))
            continue;
        const NpcChat* entry = GetNpcChat(player, *npc, dialogType, unused);
        if (!entry || entry->chatText.empty() || !(DrawRandomFloat() < entry->dynamicChance))
            continue;
        std::string key = entry->PickChatText();
        AddDynamicChatLine(npc->GetNpcType(), MakeLocKey(key, subject), entry->dynamicTimeLimit);
    }
}

// ---- The dynamic chat store ---------------------------------------------------------------------------

void Game::AddDynamicChatLine(int32_t npcType, std::string_view text, float seconds)
{
    for (DynamicChatLine& record : dynamicChat) {
        if (record.remaining > 0.0f)
            continue;
        record = DynamicChatLine{npcType, std::string(text), seconds};
        return;
    }
    dynamicChat.push_back(DynamicChatLine{npcType, std::string(text), seconds});
}

void Game::UpdateDynamicChat(float seconds)
{
    for (DynamicChatLine& record : dynamicChat)
        if (record.remaining > 0.0f)
            record.remaining -= seconds;
}

bool Game::HasDynamicChat(int32_t npcType) const
{
    for (const DynamicChatLine& record : dynamicChat)
        if (record.npcType == npcType && record.remaining > 0.0f)
            return true;
    return false;
}

bool Game::TakeDynamicChat(int32_t npcType, std::string& out)
{
    DynamicChatLine* best = nullptr;
    for (DynamicChatLine& record : dynamicChat)
        if (record.npcType == npcType && record.remaining > 0.0f && (!best || record.remaining > best->remaining))
            best = &record;
    if (!best)
        return false;
    out = best->text;
    best->remaining = 0.0f;
    return true;
}

// ---- Rumours ----------------------------------------------------------------------------------------

int32_t Game::AverageCovenantValue(int32_t kind) const
{
    int64_t total = 0;
    int64_t count = 0;
    for (int32_t i = 0; i < GetCovenantCount(); ++i) {
        const Covenant* covenant = GetCovenant(i);
        if (!covenant || covenant->eliminated)
            continue;
        total += kind == kRumorResourceStat ? covenant->GetTotalInfluence() : covenant->statistics.Get(kind);
        ++count;
    }
    return count > 0 ? static_cast<int32_t>(total / count) : 0;
}

int32_t Game::RumorAmount(const Covenant& target, float minShare, float maxShare) const
{
    double base = AverageCovenantValue(kRumorResourceStat);
    double share = minShare + (maxShare - minShare) * DrawRandomFloat();
    double amount = std::ceil(base * share);
    if (!std::isfinite(amount))
        return 0;
    amount = std::clamp(amount, 0.0, static_cast<double>(std::max(0, target.GetTotalInfluence())));
    return static_cast<int32_t>(amount);
}

int32_t Game::RumorDamage(Covenant& target, float minShare, float maxShare)
{
    int32_t amount = RumorAmount(target, minShare, maxShare);
    // No floor: what the counter may hold is the covenant's business.
    if (amount > 0)
        target.statistics.Add(kRumorCounterStat, -amount);
    return amount;
}

int32_t Game::RumorBackfire(Covenant& target, float minShare, float maxShare)
{
    int32_t amount = RumorAmount(target, minShare, maxShare);
    if (amount > 0)
        target.AddToCappedStat(kRumorCounterStat, amount);
    return amount;
}

void Game::StartRumor(int32_t level, Covenant* source, Covenant* target)
{
    if (!source || !target || level < 0 || level >= RumorLevel::kCount)
        return;
    const GameSystemTuning& tuning = GameChatTuning();
    double cost = static_cast<double>(tuning.rumorCostPerLevel[static_cast<size_t>(level)]) * target->leaderLevel;
    int32_t purse = source->statistics.Get(kRumorPurseStat);
    if (!std::isfinite(cost) || purse < cost)
        return;
    source->statistics.Set(kRumorPurseStat, static_cast<int32_t>(std::max(0.0, purse - cost)));
    float minShare = tuning.rumorMinPercentChange;
    float maxShare = tuning.rumorMaxPercentChange;
    const char* key = nullptr;
    int32_t amount = 0;
    bool targetHears = false;
    if (DrawRandomFloat() < tuning.rumorChance[static_cast<size_t>(level)]) {
        key = "RumorSuccess";
        amount = RumorDamage(*target, minShare, maxShare);
        targetHears = true;
    } else {
        switch (PickRumorFailure()) {
        case 0:
            key = "RumorPartialFailure";
            amount = RumorDamage(*target, minShare, maxShare);
            break;
        case 1:
            key = "RumorCompleteFailure";
            break;
        case 2:
            key = "RumorUnknownBackfire";
            amount = RumorBackfire(*target, minShare, maxShare);
            targetHears = true;
            break;
        default:
            key = "RumorCompleteBackfire";
            amount = RumorBackfire(*target, minShare, maxShare);
            break;
        }
    }
    std::string text = MakeLocToken(key, "%s %s %s", GetCovenantText(source->index).c_str(),
                                    FormatThousands(amount).c_str(), GetCovenantText(target->index).c_str());
    AnnounceForCovenant(source, 0, text);
    if (targetHears)
        target->OnRumorStartedBy(*source, amount);
}

int32_t Game::PickRumorFailure() const
{
    const GameSystemTuning& tuning = GameChatTuning();
    const float weights[] = {tuning.rumorFailureChancePartial, tuning.rumorFailureChanceComplete,
                             tuning.rumorFailureChanceUnknownBackfire, tuning.rumorFailureChanceCompleteBackfire};
    float total = 0.0f;
    for (float weight : weights)
        total += std::max(0.0f, weight);
    float target = DrawRandomScaled(RandomStream::GameData, total);
    float sum = 0.0f;
    for (int32_t kind = 0; kind < 3; ++kind) {
        sum += std::max(0.0f, weights[kind]);
        // A draw equal to a running sum falls to the next kind.
        if (target < sum)
            return kind;
    }
    return 3;
}
