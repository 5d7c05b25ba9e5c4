// ServerCommands -- the world host's commands for its clients' request lines: the table, the look-ups they share and their handlers.
#include "server/ServerCommands.h"

#include "core/CommandSystem.h"
#include "core/StringUtil.h"
#include "covenants/Covenant.h"
#include "entities/Actor.h"
#include "entities/Player.h"
#include "server/Game.h"
#include "world/ServerRequestTable.h"
#include "world/World.h"

#include <cmath>

const std::array<ServerCommands::Definition, ServerCommands::kCount>& ServerCommands::GetTable()
{
    // The handlers in the order of the request rows, which they are paired with by position.
    using SC = ServerCommands;
    struct Attachment {
        bool needsPlayer;
        Handler handler;
    };
    static constexpr std::array<Attachment, kCount> kServerCommandsHandlers = {{
        {true, &SC::Offer},
        {true, &SC::AcceptOffer},
        {true, &SC::RejectOffer},
        {true, &SC::CancelTreaty},
        {true, &SC::CancelTradeRoute},
        {true, &SC::DeclareWar},
        {true, &SC::SuggestTrade},
        {false, &SC::AlliedVictoryAccept},
        {true, &SC::AlliedVictoryReject},
        {false, &SC::ConfirmWin},
        {true, &SC::SwitchItemSet},
        {true, &SC::IdentifyAll},
        {true, &SC::SkipTutorial},
        {true, &SC::RestartTutorial},
        {true, &SC::WarpConfirm},
        {true, &SC::UseSkill},
        {true, &SC::IncreaseAttribute},
        {true, &SC::IncreaseSkill},
        {true, &SC::DecreaseSkill},
        {true, &SC::MoveItem},
        {true, &SC::UseItem},
        {true, &SC::DropItem},
        {true, &SC::SellItem},
        {true, &SC::BuyItem},
        {true, &SC::ForceUse},
        {true, &SC::ForceFood},
        {true, &SC::ForcePotion},
        {true, &SC::Recruit},
        {true, &SC::Rescue},
        {true, &SC::Delivery},
        {true, &SC::Escort},
        {true, &SC::Invite},
        {true, &SC::RemoveNpc},
        {true, &SC::KickOut},
        {true, &SC::Resurrect},
        {true, &SC::UseEntity},
        {true, &SC::PickUpEntity},
        {true, &SC::AcceptQuest},
        {true, &SC::DeclineQuest},
        {true, &SC::SkipQuest},
        {true, &SC::SolveQuest},
        {true, &SC::CompleteQuest},
        {true, &SC::Gate},
        {true, &SC::GateToCovenant},
        {true, &SC::GateTown},
        {false, &SC::EntityInfo},
        {true, &SC::Raid},
        {true, &SC::StopRaid},
        {true, &SC::ResetNpcIntro},
        {true, &SC::GetNpcChat},
        {true, &SC::StopSharedAdventure},
        {true, &SC::StartRumor},
        {true, &SC::ShiftPowerupsDown},
        {true, &SC::ShiftPowerupsUp},
    }};
    static const std::array<Definition, kCount> kTable = [] {
        std::array<Definition, kCount> table{};
        const auto& rows = ServerRequestTable::GetRows();
        for (size_t i = 0; i < table.size(); ++i)
            table[i] = Definition{rows[i], kServerCommandsHandlers[i].needsPlayer, kServerCommandsHandlers[i].handler};
        return table;
    }();
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

Entity* ServerCommands::FindEntityInReach(const Player& player, int32_t number)
{
    Entity* entity = FindEntity(number);
    return entity && player.IsWithinUseReach(*entity) ? entity : nullptr;
}

Actor* ServerCommands::FindActorInReach(const Player& player, int32_t number)
{
    return dynamic_cast<Actor*>(FindEntityInReach(player, number));
}

Covenant* ServerCommands::FindCovenant(int32_t index)
{
    return gGame ? gGame->GetCovenant(index) : nullptr;
}

Covenant* ServerCommands::GetPlayerCovenant(const Player& player)
{
    return FindCovenant(player.covenantIndex);
}

bool ServerCommands::IsUsablePosition(const WorldPos& position)
{
    return gGame && gGame->IsKnownLevel(position.level) && std::isfinite(position.x) && std::isfinite(position.y);
}
