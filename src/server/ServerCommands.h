// ServerCommands -- the world host's commands for its clients' request lines: the table, the look-ups they share and their handlers.
#pragma once

#include "covenants/TradeOffer.h"
#include "world/ServerRequestTable.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class Actor;
class CommandSystem;
class Covenant;
class Entity;
class Player;
struct WorldPos;

// Every command is a context command whose context is the sending client's Player. Handlers
// that need the player do nothing without one. Arguments of the "d" letter are read as
// decimal integers, text that is no number counting as 0. Main thread only: the lines run
// while the world host drains a client's update.
class ServerCommands {
public:
    using Args = std::vector<std::string>;
    using Handler = void (*)(const Args& args, Player* player);

    // A request row of the shared table with the handler this side attaches to it.
    struct Definition : ServerRequest {
        bool needsPlayer = false;
        Handler handler = nullptr;
    };

    static constexpr int32_t kCount = ServerRequestTable::kCount;

    // In registration order.
    static const std::array<Definition, kCount>& GetTable();
    // Registers the table's commands, in order, with the command system.
    static void Register(CommandSystem& commands);

    // ---- Look-ups -------------------------------------------------------------------------------
    static int32_t ToInt(const std::string& text);
    // A number below 1500, compared unsigned, names the entity in that slot of the game's table.
    static Entity* FindEntity(int32_t number);
    static Actor* FindActor(int32_t number);
    // The same, only within the player's use reach: what the player hands an item to, rescues,
    // escorts, delivers to or talks with stands beside it.
    static Entity* FindEntityInReach(const Player& player, int32_t number);
    static Actor* FindActorInReach(const Player& player, int32_t number);
    // An index of the game's covenant list; none outside it or for an empty entry.
    static Covenant* FindCovenant(int32_t index);
    static Covenant* GetPlayerCovenant(const Player& player);
    // A position the world holds: a level of the world and finite coordinates.
    static bool IsUsablePosition(const WorldPos& position);

    // ---- The trade window's lines (ServerCommandsDiplomacy.cpp) ---------------------------------
    // Type, covenant index, then threes of side, kind, value; a cut three and surplus words are
    // dropped. False for a line with fewer than two words and for a bad entry: a value below
    // 0, a kind outside 1..11, a side outside 0..2, or more than 32 entries.
    static bool ParseOffer(const Args& args, TradeOffer& offer, int32_t& covenantIndex);

private:
    // Diplomacy, offers and the end of a world (ServerCommandsDiplomacy.cpp).
    static void Offer(const Args& args, Player* player);
    static void AcceptOffer(const Args& args, Player* player);
    static void RejectOffer(const Args& args, Player* player);
    static void CancelTreaty(const Args& args, Player* player);
    static void CancelTradeRoute(const Args& args, Player* player);
    static void DeclareWar(const Args& args, Player* player);
    static void SuggestTrade(const Args& args, Player* player);
    static void AlliedVictoryAccept(const Args& args, Player* player);
    static void AlliedVictoryReject(const Args& args, Player* player);
    static void ConfirmWin(const Args& args, Player* player);
    static void KickOut(const Args& args, Player* player);
    static void StopRaid(const Args& args, Player* player);
    static void StopSharedAdventure(const Args& args, Player* player);
    static void Raid(const Args& args, Player* player);
    static void StartRumor(const Args& args, Player* player);

    // The player's own requests (ServerCommandsPlayer.cpp).
    static void WarpConfirm(const Args& args, Player* player);
    static void UseSkill(const Args& args, Player* player);
    static void Rescue(const Args& args, Player* player);
    static void Delivery(const Args& args, Player* player);
    static void Escort(const Args& args, Player* player);
    static void RemoveNpc(const Args& args, Player* player);
    static void Resurrect(const Args& args, Player* player);
    static void UseEntity(const Args& args, Player* player);
    static void DeclineQuest(const Args& args, Player* player);
    static void EntityInfo(const Args& args, Player* player);
    static void ResetNpcIntro(const Args& args, Player* player);
    static void GetNpcChat(const Args& args, Player* player);
    static void SkipTutorial(const Args& args, Player* player);
    static void RestartTutorial(const Args& args, Player* player);
    static void Recruit(const Args& args, Player* player);
    static void Invite(const Args& args, Player* player);
    static void AcceptQuest(const Args& args, Player* player);
    static void SkipQuest(const Args& args, Player* player);
    static void SolveQuest(const Args& args, Player* player);
    static void CompleteQuest(const Args& args, Player* player);
    static void Gate(const Args& args, Player* player);
    static void GateToCovenant(const Args& args, Player* player);
    static void GateTown(const Args& args, Player* player);
    // The player's item requests (ServerCommandsItems.cpp).
    static void SwitchItemSet(const Args& args, Player* player);
    static void IdentifyAll(const Args& args, Player* player);
    static void IncreaseAttribute(const Args& args, Player* player);
    static void IncreaseSkill(const Args& args, Player* player);
    static void DecreaseSkill(const Args& args, Player* player);
    static void MoveItem(const Args& args, Player* player);
    static void UseItem(const Args& args, Player* player);
    static void DropItem(const Args& args, Player* player);
    static void SellItem(const Args& args, Player* player);
    static void BuyItem(const Args& args, Player* player);
    static void ForceUse(const Args& args, Player* player);
    static void ForceFood(const Args& args, Player* player);
    static void ForcePotion(const Args& args, Player* player);
    static void PickUpEntity(const Args& args, Player* player);
    static void ShiftPowerupsDown(const Args& args, Player* player);
    static void ShiftPowerupsUp(const Args& args, Player* player);
};
