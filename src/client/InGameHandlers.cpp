// InGameHandlers -- the client commands a running game's menus, keys and NPC dialogs use: requests about NPCs, the party, quests and diplomacy, local selections, and the skill-level and collision tools.
#include "client/InGameHandlers.h"

#include "client/ClientCommandTable.h"
#include "client/ClientMessages.h"
#include "client/ClientMusic.h"
#include "client/CovenantClient.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/QuestClient.h"
#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/UserVarSystem.h"
#include "resources/ResourceManager.h"
#include "world/World.h"

#include <climits>

namespace {

struct InGameHandlersEntry {
    const char* name;
    InGameHandlers::Handler handler;
};

} // namespace

InGameHandlers::Handler InGameHandlers::GetHandler(std::string_view name)
{
    using IG = InGameHandlers;
    static constexpr InGameHandlersEntry kInGameHandlers[] = {
        {"calculateSkillLevel", &IG::CalculateSkillLevelCommand},
        {"reloadCollision", &IG::ReloadCollision},
        {"ClientAcceptQuest", &IG::ClientAcceptQuest},
        {"ClientDeclineQuest", &IG::ClientDeclineQuest},
        {"ClientSkipPlayerQuest", &IG::ClientSkipPlayerQuest},
        {"ClientSkipQuest", &IG::ClientSkipQuest},
        {"ClientIncrementAttribute", &IG::ClientIncrementAttribute},
        {"War", &IG::War},
        {"selectPlayer", &IG::SelectPlayer},
        {"npcRecruit", &IG::NpcRecruit},
        {"npcRemove", &IG::NpcRemove},
        {"clientForceFood", &IG::ClientForceFood},
        {"clientForcePotion", &IG::ClientForcePotion},
        {"npcDirectInvite", &IG::NpcDirectInvite},
        {"npcDirectRemove", &IG::NpcDirectRemove},
        {"npcDirectKick", &IG::NpcDirectKick},
        {"npcEquipment", &IG::NpcEquipment},
        {"npcRescue", &IG::NpcRescue},
        {"npcDelivery", &IG::NpcDelivery},
        {"npcEscort", &IG::NpcEscort},
        {"selectPartyMember", &IG::SelectPartyMember},
        {"startRumorClient", &IG::StartRumorClient},
    };
    for (const InGameHandlersEntry& entry : kInGameHandlers)
        if (StringEqualsNoCase(entry.name, name))
            return entry.handler;
    return nullptr;
}

void InGameHandlers::RegisterListProviders()
{
    if (gCommandSystem)
        gCommandSystem->RegisterInfoProc("getAvailableQuests", &InGameHandlers::GetAvailableQuests);
}

// ---- Look-ups -------------------------------------------------------------------------------------------

EntityClient* InGameHandlers::GetSelectedNpc(const PlayerClient& player)
{
    EntityClient* target = player.GetInteractionTarget();
    return target && target->isNpc ? target : nullptr;
}

int32_t InGameHandlers::GetPartyMember(const PlayerClient& player, const std::string& number)
{
    int32_t place = ParseInt(number);
    if (place < 0 || place >= static_cast<int32_t>(player.party.size()))
        return -1;
    return player.party[static_cast<size_t>(place)];
}

int32_t InGameHandlers::GetSelectedCovenant()
{
    if (!ClientCommandTable::GetLocalPlayer() || !gGameClient)
        return -1;
    int32_t covenant = gGameClient->selectedCovenant;
    return gGameClient->GetCovenant(covenant, false) ? covenant : -1;
}

void InGameHandlers::QueueForSelectedNpc(const char* format)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    EntityClient* npc = player ? GetSelectedNpc(*player) : nullptr;
    if (npc)
        ClientCommandTable::Queue(StringFormat(format, npc->entityNumber));
}

void InGameHandlers::QueueForSelectedRecruit(const char* format)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    EntityClient* npc = player ? GetSelectedNpc(*player) : nullptr;
    PlayerCovenantClient* covenant = player ? player->GetCovenant() : nullptr;
    int32_t slot = npc && covenant ? covenant->FindRecruitSlot(npc->entityNumber) : -1;
    if (slot >= 0)
        ClientCommandTable::Queue(StringFormat(format, slot));
}

void InGameHandlers::QueueForPartyMember(const char* format, const Args& args)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    int32_t member = player && !args.empty() ? GetPartyMember(*player, args[0]) : -1;
    if (member >= 0)
        ClientCommandTable::Queue(StringFormat(format, member));
}

void InGameHandlers::QueueQuestLine(const char* format, const char* userVar)
{
    if (!ClientCommandTable::GetLocalPlayer() || !gUserVarSystem)
        return;
    // The world host reads a quest number: text that is none would stand for quest 0.
    std::string text = gUserVarSystem->GetStringByName(userVar);
    if (IsIntegerText(text))
        ClientCommandTable::Queue(StringFormat(format, ParseInt(text)));
}

// ---- NPCs and the party ---------------------------------------------------------------------------------

void InGameHandlers::NpcRecruit(const Args& args)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    EntityClient* npc = player ? GetSelectedNpc(*player) : nullptr;
    if (npc && !args.empty())
        ClientCommandTable::Queue(StringFormat("recruit %d %d", npc->entityNumber, ParseInt(args[0])));
}

void InGameHandlers::NpcRemove(const Args& args)
{
    QueueForPartyMember("removeNpc %d", args);
}

void InGameHandlers::ClientForceFood(const Args& args)
{
    QueueForPartyMember("forceFood %d", args);
}

void InGameHandlers::ClientForcePotion(const Args& args)
{
    QueueForPartyMember("forcePotion %d", args);
}

void InGameHandlers::NpcDirectRemove(const Args&)
{
    QueueForSelectedNpc("removeNpc %d");
}

void InGameHandlers::NpcDirectInvite(const Args&)
{
    QueueForSelectedRecruit("invite %d");
}

void InGameHandlers::NpcDirectKick(const Args&)
{
    QueueForSelectedRecruit("kickout %d");
}

void InGameHandlers::NpcRescue(const Args&)
{
    QueueForSelectedNpc("rescue %d");
}

void InGameHandlers::NpcDelivery(const Args&)
{
    QueueForSelectedNpc("delivery %d");
}

void InGameHandlers::NpcEscort(const Args&)
{
    QueueForSelectedNpc("escort %d");
}

// ---- Local selections -----------------------------------------------------------------------------------

void InGameHandlers::SelectPartyMember(const Args& args)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    int32_t member = player && !args.empty() ? GetPartyMember(*player, args[0]) : -1;
    EntityClient* entity = member >= 0 && gGameClient ? gGameClient->GetEntity(member) : nullptr;
    if (entity)
        player->SetTarget(entity, false);
}

void InGameHandlers::SelectPlayer(const Args&)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    EntityClient* body = player ? player->GetBody() : nullptr;
    if (body && player->GetInteractionTarget() != body)
        player->SetTarget(body, false);
}

void InGameHandlers::NpcEquipment(const Args&)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    if (player && player->GetInteractionTarget())
        player->SetInteractionMode(true, kModeNpcEquipment, false);
}

// ---- Quests ---------------------------------------------------------------------------------------------

void InGameHandlers::ClientAcceptQuest(const Args&)
{
    // With nothing on offer the window would close without a word.
    if (gUserVarSystem && gGameClient && !IsIntegerText(gUserVarSystem->GetStringByName("SelectedQuest"))) {
        gGameClient->GetMessages().ShowMessage("$$NoQuestToTakeOn$$", false);
        return;
    }
    QueueQuestLine("acceptQuest %d", "SelectedQuest");
}

void InGameHandlers::ClientDeclineQuest(const Args&)
{
    QueueQuestLine("declineQuest %d", "QuestToDecline");
}

void InGameHandlers::ClientSkipQuest(const Args&)
{
    QueueQuestLine("skipQuest %d", "SelectedQuest");
}

void InGameHandlers::ClientSkipPlayerQuest(const Args&)
{
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    if (!player || !gUserVarSystem)
        return;
    // A slot that holds no quest asks the host to skip none.
    const QuestClient* quest = player->GetQuestSlot(gUserVarSystem->GetIntByName("QuestToSkip"));
    ClientCommandTable::Queue(StringFormat("skipQuest %d", quest ? quest->questId : -1));
}

void InGameHandlers::GetAvailableQuests(std::vector<ListEntry>& rows)
{
    rows.clear();
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    EntityClient* giver = player ? player->GetInteractionTarget() : nullptr;
    if (!giver || !giver->IsAlive() || giver->entityNumber < 0 || !gGameClient)
        return;
    const auto& quests = gGameClient->GetQuests();
    for (int32_t number : giver->questOffers) {
        if (number < 0 || number >= static_cast<int32_t>(quests.size()) || !quests[static_cast<size_t>(number)])
            continue;
        bool held = false;
        for (int32_t slot = 0; slot < PlayerClient::kQuestSlots; ++slot) {
            const QuestClient* own = player->GetQuestSlot(slot);
            held = held || (own && own->questId == number);
        }
        if (held)
            continue;
        ListEntry row;
        row.name = quests[static_cast<size_t>(number)]->BuildLogTitle(*player);
        row.value = StringFormat("%d", number);
        rows.push_back(std::move(row));
    }
}

// ---- Diplomacy and play ---------------------------------------------------------------------------------

void InGameHandlers::War(const Args&)
{
    int32_t covenant = GetSelectedCovenant();
    if (covenant >= 0)
        ClientCommandTable::Queue(StringFormat("declareWar %d", covenant));
}

void InGameHandlers::StartRumorClient(const Args& args)
{
    int32_t covenant = GetSelectedCovenant();
    // The level goes on as it was typed, once it is known to be one number.
    if (covenant < 0 || args.empty() || !IsIntegerText(args[0]))
        return;
    // The world host spreads nothing a purse cannot pay, and says nothing: the price is told here.
    PlayerClient* player = ClientCommandTable::GetLocalPlayer();
    const PlayerCovenantClient* own = player ? player->GetCovenant() : nullptr;
    const CovenantClient* mirror = own ? gGameClient->GetCovenant(own->index, false) : nullptr;
    const CovenantClient* target = gGameClient->GetCovenant(covenant, false);
    int32_t cost = 0;
    if (mirror && target && target->GetRumorCost(ParseInt(args[0]), cost) &&
        mirror->statistics.Get(CovenantStat::Money) < cost) {
        gGameClient->GetMessages().ShowMessage(
            MakeLocToken("NotEnoughCrystalsForRumor", "%d %d", cost, mirror->statistics.Get(CovenantStat::Money)),
            false);
        return;
    }
    ClientCommandTable::Queue(StringFormat("startRumor %d %s", covenant, args[0].c_str()));
}

void InGameHandlers::ClientIncrementAttribute(const Args& args)
{
    // A name of blanks or quotes would reach the host as other words.
    if (!ClientCommandTable::GetLocalPlayer() || args.empty() || args[0].empty() ||
        args[0].find_first_of(" \t\"") != std::string::npos)
        return;
    ClientCommandTable::Queue(StringFormat("IncAtrb %s", args[0].c_str()));
    if (gGameClient)
        gGameClient->GetMusic().PlayInterfaceSound(InterfaceSound::AttributeIncrease);
}

// ---- Tools ----------------------------------------------------------------------------------------------

int32_t InGameHandlers::CalculateSkillLevel(int32_t baseCost, int32_t skillPoints)
{
    // A cost below 0 would pay the points back and count on until the level overflows.
    if (baseCost < 0)
        return 0;
    int64_t points = skillPoints;
    int64_t cost = baseCost;
    int32_t level = 0;
    while (points >= cost && level < INT32_MAX) {
        points -= cost;
        ++cost;
        ++level;
    }
    return level;
}

void InGameHandlers::CalculateSkillLevelCommand(const Args& args)
{
    if (args.size() < 2)
        return;
    DebugSystem::Print(kPrintPlain, "Skill level = %d\n", CalculateSkillLevel(ParseInt(args[0]), ParseInt(args[1])));
}

void InGameHandlers::ReloadCollision(const Args&)
{
    // The collision footprint is read with the rest of the model file: the models are read again.
    if (!gResourceManager)
        return;
    gResourceManager->ReloadExtension("mdl", true, -1);
    // The levels' cells are built from the footprints: once the models are back, build them again.
    gResourceManager->WaitForLoadQueue();
    if (gWorld)
        gWorld->InvalidateCachedBlocksOf(nullptr);
}
