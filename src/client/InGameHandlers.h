// InGameHandlers -- the client commands a running game's menus, keys and NPC dialogs use: requests about NPCs, the party, quests and diplomacy, local selections, and the skill-level and collision tools.
#pragma once

#include "core/CommandSystem.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class EntityClient;
class PlayerClient;

// Main thread only. The handlers do nothing without a local player (no game running) unless
// they say otherwise, and check their arguments, indices and pointers; none reports an error.
class InGameHandlers {
public:
    using Args = std::vector<std::string>;
    using Handler = void (*)(const Args& args);

    // The player's interaction mode that shows an NPC's equipment.
    static constexpr int32_t kModeNpcEquipment = 15;

    // The handler of the command of the name; null for a command handled elsewhere.
    static Handler GetHandler(std::string_view name);
    // "getAvailableQuests".
    static void RegisterListProviders();

    // The skill level the points buy: a cost that starts at the base and grows by 1 after each
    // payment. A base below 0 buys nothing.
    static int32_t CalculateSkillLevel(int32_t baseCost, int32_t skillPoints);
    // The quests the local player's selected entity offers and the player does not hold.
    static void GetAvailableQuests(std::vector<ListEntry>& rows);

private:
    // The local player's selected entity when it is an NPC; null otherwise.
    static EntityClient* GetSelectedNpc(const PlayerClient& player);
    // The entity number of the party member at that place of the party; -1 for none.
    static int32_t GetPartyMember(const PlayerClient& player, const std::string& number);
    // The covenant the diplomacy window is open with, while a game runs and the client mirrors
    // it; -1 otherwise.
    static int32_t GetSelectedCovenant();
    // Queues the line with the selected NPC's number; nothing without one.
    static void QueueForSelectedNpc(const char* format);
    // Queues the line with the recruit number of the selected NPC in the player's covenant;
    // nothing when it is none of the covenant's recruits.
    static void QueueForSelectedRecruit(const char* format);
    static void QueueForPartyMember(const char* format, const Args& args);
    // Queues the line with the user var's number; nothing when it holds no whole number.
    static void QueueQuestLine(const char* format, const char* userVar);

    static void NpcRecruit(const Args& args);
    static void NpcRemove(const Args& args);
    static void ClientForceFood(const Args& args);
    static void ClientForcePotion(const Args& args);
    static void NpcDirectInvite(const Args& args);
    static void NpcDirectRemove(const Args& args);
    static void NpcDirectKick(const Args& args);
    static void NpcRescue(const Args& args);
    static void NpcDelivery(const Args& args);
    static void NpcEscort(const Args& args);
    static void SelectPartyMember(const Args& args);
    static void SelectPlayer(const Args& args);
    static void NpcEquipment(const Args& args);
    static void ClientAcceptQuest(const Args& args);
    static void ClientDeclineQuest(const Args& args);
    static void ClientSkipQuest(const Args& args);
    static void ClientSkipPlayerQuest(const Args& args);
    static void War(const Args& args);
    static void StartRumorClient(const Args& args);
    static void ClientIncrementAttribute(const Args& args);
    static void CalculateSkillLevelCommand(const Args& args);
    static void ReloadCollision(const Args& args);
};
