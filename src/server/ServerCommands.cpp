// ServerCommands -- the world host's commands for its clients' request lines: the table, the look-ups they share and their handlers.
#include "server/ServerCommands.h"

#include "core/CommandSystem.h"
#include "core/StringUtil.h"
#include "covenants/Covenant.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "world/World.h"

#include <cmath>

const std::array<ServerCommands::Definition, ServerCommands::kCount>& ServerCommands::GetTable()
{
    // Registration order is the table's; flag bit 0 lets the offer lines through unchecked.
    using SC = ServerCommands;
    static constexpr std::array<Definition, kCount> kTable = {{
        {"offer", "Offers a deal to a covenant", "", "", kCommandNoArgumentCheck, true, &SC::Offer},
        {"acceptOffer", "Accepts a covenant's offer", "", "", kCommandNoArgumentCheck, true, &SC::AcceptOffer},
        {"rejectOffer", "Rejects a covenant's offer", "", "", kCommandNoArgumentCheck, true, &SC::RejectOffer},
        {"cancelTreaty", "Cancels the treaty with a covenant", "covenantIndex", "d", 0, true, &SC::CancelTreaty},
        {"cancelTradeRoute", "Cancels the trade route with a covenant", "covenantIndex", "d", 0, true,
         &SC::CancelTradeRoute},
        {"declareWar", "Declares war on a covenant", "covenantIndex", "d", 0, true, &SC::DeclareWar},
        {"suggestTrade", "Asks the covenant dealt with to suggest a trade", "", "", 0, true, &SC::SuggestTrade},
        {"alliedVictoryAccept", "Accepts the allied victory", "", "", 0, false, &SC::AlliedVictoryAccept},
        {"alliedVictoryReject", "Rejects the allied victory", "", "", 0, true, &SC::AlliedVictoryReject},
        {"confirmWin", "Confirms the victory", "", "", 0, false, &SC::ConfirmWin},
        {"switchItemSet", "Swaps the weapon sets", "", "", 0, true, &SC::SwitchItemSet},
        {"IdentifyAll", "Identifies every carried item", "", "", 0, true, &SC::IdentifyAll},
        {"SkipTutorial", "Ends the tutorial", "", "", 0, true, &SC::SkipTutorial},
        {"RestartTutorial", "Starts the tutorial again", "", "", 0, true, &SC::RestartTutorial},
        {"WarpConfirm", "Confirms the arrival of a warp", "level x y", "dff", 0, true, &SC::WarpConfirm},
        {"useSkill", "Uses a skill", "skillTreeIndex skillIndex targetEntnum mouseLevel mouseX mouseY", "ddddff", 0,
         true, &SC::UseSkill},
        {"IncAtrb", "Raises an attribute", "attributeName", "s", 0, true, &SC::IncreaseAttribute},
        {"increaseSkill", "Raises a skill", "skillTreeIndex skillIndex", "dd", 0, true, &SC::IncreaseSkill},
        {"decreaseSkill", "Lowers a skill", "skillTreeIndex skillIndex", "dd", 0, true, &SC::DecreaseSkill},
        {"moveItem", "Moves an item", "oldGroup oldSlot newGroup newSlot", "dddd", 0, true, &SC::MoveItem},
        {"useItem", "Uses an item", "group slot", "dd", 0, true, &SC::UseItem},
        {"dropItem", "Drops an item", "group slot", "dd", 0, true, &SC::DropItem},
        {"sellItem", "Sells an item to the vendor", "group slot", "dd", 0, true, &SC::SellItem},
        {"buyItem", "Buys an item from the vendor", "group slot", "dd", 0, true, &SC::BuyItem},
        {"forceUse", "Makes a creature use an item", "entnum group slot", "ddd", 0, true, &SC::ForceUse},
        {"forceFood", "Feeds a creature", "entnum", "d", 0, true, &SC::ForceFood},
        {"forcePotion", "Gives a creature a health potion", "entnum", "d", 0, true, &SC::ForcePotion},
        {"recruit", "Recruits a creature", "entnum joinParty", "dd", 0, true, &SC::Recruit},
        {"rescue", "Rescues a creature", "entnum", "d", 0, true, &SC::Unserved},
        {"delivery", "Delivers a quest package", "entnum", "d", 0, true, &SC::Delivery},
        {"escort", "Escorts a creature", "entnum", "d", 0, true, &SC::Unserved},
        {"invite", "Takes a recruit into the party", "recruitNum", "d", 0, true, &SC::Invite},
        {"removeNpc", "Sends a companion home", "entnum", "d", 0, true, &SC::RemoveNpc},
        {"kickout", "Sends a recruit away from the covenant", "entnum", "d", 0, true, &SC::KickOut},
        {"resurrect", "Asks to be resurrected", "", "", 0, true, &SC::Resurrect},
        {"useEntity", "Uses an entity", "entnum", "d", 0, true, &SC::UseEntity},
        {"pickupEntity", "Picks an item up", "entnum", "d", 0, true, &SC::PickUpEntity},
        {"acceptQuest", "Accepts a quest", "questIndex", "d", 0, true, &SC::AcceptQuest},
        {"declineQuest", "Declines a quest", "questToDecline", "d", 0, true, &SC::DeclineQuest},
        {"skipQuest", "Skips a quest", "questToSkip", "d", 0, true, &SC::SkipQuest},
        {"solveQuest", "Solves the quest of the NPC talked to", "", "", 0, true, &SC::SolveQuest},
        {"completeQuest", "Turns a quest in", "questIndex", "d", 0, true, &SC::CompleteQuest},
        {"gate", "Goes through a gate", "gateNum", "d", 0, true, &SC::Gate},
        {"gateToCovenant", "Gates to a covenant", "covenantNum", "d", 0, true, &SC::GateToCovenant},
        {"gateTown", "Gates to a town", "townGateNum", "d", 0, true, &SC::GateTown},
        {"entityInfo", "Prints an entity's information to the log", "entityNum", "d", 0, false, &SC::EntityInfo},
        {"Raid", "Starts a raid on a covenant", "covenantIndex npc1 npc2 npc3 npc4 npc5 npc6 npc7 npc8 npc9 npc10",
         "iIIIIIIIIII", 0, true, &SC::Raid},
        {"stopRaid", "Stops the covenant's raid", "", "", 0, true, &SC::StopRaid},
        {"resetNpcIntro", "Lets the NPC talked to introduce itself again", "", "", 0, true, &SC::ResetNpcIntro},
        {"getNpcChat", "Asks the NPC talked to for a line", "", "", 0, true, &SC::GetNpcChat},
        {"stopSharedAdventure", "Ends the covenant's shared adventure", "", "", 0, true, &SC::StopSharedAdventure},
        {"startRumor", "Spreads a rumour about a covenant", "covenantIndex rumorLevel", "dd", 0, true, &SC::StartRumor},
        {"shiftPowerupsDown", "Shifts the powerups down", "", "", 0, true, &SC::ShiftPowerupsDown},
        {"shiftPowerupsUp", "Shifts the powerups up", "", "", 0, true, &SC::ShiftPowerupsUp},
    }};

    return kTable;
}

void ServerCommands::Register(CommandSystem& commands)
{
    for (const Definition& definition : GetTable()) {
        Handler handler = definition.handler;
        bool needsPlayer = definition.needsPlayer;
        commands.RegisterContextCommand(
            definition.name,
            [handler, needsPlayer](const std::vector<std::string>& args, BaseClass* context) {
                auto* player = dynamic_cast<Player*>(context);
                if ((player || !needsPlayer) && gGame)
                    handler(args, player);
            },
            definition.help, definition.argNames, definition.argTypes, definition.flags);
    }
}

// ---- Look-ups ---------------------------------------------------------------------------------------

int32_t ServerCommands::ToInt(const std::string& text)
{
    return ParseInt(text);
}

Entity* ServerCommands::FindEntity(int32_t number)
{
    return gGame ? gGame->GetEntity(number) : nullptr;
}

Actor* ServerCommands::FindActor(int32_t number)
{
    return dynamic_cast<Actor*>(FindEntity(number));
}

Covenant* ServerCommands::FindCovenant(int32_t index)
{
    return gGame ? gGame->GetGameCovenant(index) : nullptr;
}

Covenant* ServerCommands::GetPlayerCovenant(const Player& player)
{
    return FindCovenant(player.covenantIndex);
}

bool ServerCommands::IsUsablePosition(const WorldPos& position)
{
    return gGame && gGame->IsKnownLevel(position.level) && std::isfinite(position.x) && std::isfinite(position.y);
}

void ServerCommands::Unserved(const Args&, Player*) {}
