// GameClientNames -- the names the client shows for creatures and NPCs, and the covenant home nearest a place.
#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "core/DatabaseEntry.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The word a rank adds to the rank line; ranks 0 and past the table add none.
const char* GameClientNamesRankWord(int32_t rank)
{
    static constexpr const char* kWords[] = {"", "$$Champion$$", "$$Champion$$", "$$Elite$$",
                                             "$$Elite$$", "$$Unique$$", "$$Legend$$", "$$Boss$$"};
    return rank >= 0 && rank < static_cast<int32_t>(std::size(kWords)) ? kWords[rank] : "";
}

// NPC types whose title is the level and the class title rather than the type's own word.
constexpr int32_t kGameClientNamesTownsfolk = 0;
constexpr int32_t kGameClientNamesRecruit = 4;
constexpr int32_t kGameClientNamesNoTitleType = 5;

float GameClientNamesHomeDistance(const CovenantClient& covenant, const WorldPos& position)
{
    WorldPos from = position;
    if (covenant.homeLevel != from.level)
        from.ToLevelFrame(covenant.homeLevel);
    return std::hypot(covenant.homeX - from.x, covenant.homeY - from.y);
}

} // namespace

// The rank's colour, and on the rank line the level, replace what out held past kept; rank 0
// without a level keeps it.
void GameClient::GetMonsterDisplayName(std::string& out, int32_t rank, int32_t level, std::string_view name,
                                       bool isNpc, bool nameLine, bool decorate, size_t kept)
{
    size_t start = std::min(kept, out.size());
    if (rank != 0 && gGameData) {
        out.resize(start);
        out += gGameData->GetMonsterRarityColorCode(rank);
    }
    bool words = decorate && !isNpc;
    if (nameLine) {
        if (words && (rank == 3 || rank == 4))
            out += "$$Elite$$ ";
        out += name;
        if (words && (rank == 1 || rank == 2))
            out += " $$Champion$$";
        return;
    }
    if (!words)
        return;
    if (level > 0) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", level);
        out.resize(start);
        out += "$$LevelAbrev$$ ";
        out += number;
        if (rank != 0)
            out += ' ';
    }
    out += GameClientNamesRankWord(rank);
}

void GameClient::GetNpcDisplayName(const EntityClient& entity, std::string& out, bool withName, bool withTitle)
{
    const DatabaseEntry* record = entity.GetRecord();
    if (!record)
        return;
    if (withName) {
        // The entity's own name is the one its seed gives, the name the host's messages and
        // quests use; the type's words stand in only for an entity without one.
        out = entity.GetPersonalName().empty() ? entity.displayName : entity.GetPersonalName();
        if (out.empty())
            out = record->GetString("Name");
        if (out.empty() && entity.classRecord && entity.classRecord->GetEntry())
            out = entity.classRecord->GetEntry()->GetString("PlayerName");
        if (entity.isNpcGhost)
            out += "$$NPCsGhost$$";
    }
    if (!withTitle)
        return;
    int32_t type = entity.GetNpcType();
    if (entity.isNpcGhost || type == kGameClientNamesNoTitleType)
        return;
    if (entity.isNpcRenegade) {
        out += " $$TheRenegade$$";
    } else if (entity.isNpcThief) {
        out += " $$TheThief$$";
    } else if (type == kGameClientNamesTownsfolk || type == kGameClientNamesRecruit) {
        const char* ending =
            gLocSystem && gLocSystem->AddsRankEndings() ? gLocSystem->GetRankEnding(entity.level) : "";
        const std::string title = entity.classRecord ? entity.classRecord->title : std::string();
        StringAppendFormat(out, "%d%s %s", entity.level, ending, title.c_str());
    } else {
        StringAppendFormat(out, "$$NpcType%s$$", GetNameByIndex(type).c_str());
    }
}

CovenantClient* GameClient::FindNearestCovenantHome(const WorldPos& position) const
{
    int32_t count = std::min(covenantCount, static_cast<int32_t>(covenants.size()));
    // The player's covenant is asked first so that it wins a tie; without one the first covenant
    // that exists starts the search.
    CovenantClient* best = nullptr;
    int32_t own = Client::GetPlayerCovenantIndex();
    if (own >= 0 && own < count)
        best = covenants[static_cast<size_t>(own)].get();
    for (int32_t i = 0; !best && i < count; ++i)
        best = covenants[static_cast<size_t>(i)].get();
    if (!best)
        return nullptr;
    float bestDistance = GameClientNamesHomeDistance(*best, position);
    for (int32_t i = 0; i < count; ++i) {
        CovenantClient* covenant = covenants[static_cast<size_t>(i)].get();
        if (!covenant)
            continue;
        float distance = GameClientNamesHomeDistance(*covenant, position);
        if (distance < bestDistance) {
            best = covenant;
            bestDistance = distance;
        }
    }
    return best;
}
