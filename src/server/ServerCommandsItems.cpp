// ServerCommands -- the player's item requests: moving, using, dropping, trading, giving to a creature, picking up, points and the powerup cells.
#include "server/ServerCommands.h"

#include "entities/Player.h"

namespace {

// The powerup cells turn one way or the other: the current one goes to the third or the second.
constexpr int32_t kServerCommandsPowerupsDown = 1;
constexpr int32_t kServerCommandsPowerupsUp = 2;

} // namespace

void ServerCommands::SwitchItemSet(const Args&, Player* player)
{
    player->SwapWeaponSets();
}

void ServerCommands::IdentifyAll(const Args&, Player* player)
{
    player->IdentifyAll();
}

void ServerCommands::IncreaseAttribute(const Args& args, Player* player)
{
    player->RaiseAttribute(args[0]);
}

void ServerCommands::IncreaseSkill(const Args& args, Player* player)
{
    player->RaiseSkill(ToInt(args[0]), ToInt(args[1]));
}

void ServerCommands::DecreaseSkill(const Args& args, Player* player)
{
    player->LowerSkill(ToInt(args[0]), ToInt(args[1]));
}

void ServerCommands::MoveItem(const Args& args, Player* player)
{
    player->MoveItem(ToInt(args[0]), ToInt(args[1]), ToInt(args[2]), ToInt(args[3]));
}

void ServerCommands::UseItem(const Args& args, Player* player)
{
    player->UseItem(ToInt(args[0]), ToInt(args[1]));
}

void ServerCommands::DropItem(const Args& args, Player* player)
{
    player->DropItem(ToInt(args[0]), ToInt(args[1]), player->GetInteractionTarget());
}

void ServerCommands::SellItem(const Args& args, Player* player)
{
    player->SellItem(ToInt(args[0]), ToInt(args[1]));
}

void ServerCommands::BuyItem(const Args& args, Player* player)
{
    player->BuyItem(ToInt(args[0]), ToInt(args[1]));
}

// An item goes only to a creature beside the player. Mended (the three lines): any number was
// taken, so a line could feed or dose a creature anywhere in the world.
void ServerCommands::ForceUse(const Args& args, Player* player)
{
    player->ForceUseItem(FindEntityInReach(*player, ToInt(args[0])), ToInt(args[1]), ToInt(args[2]));
}

void ServerCommands::ForceFood(const Args& args, Player* player)
{
    player->ForceFood(FindEntityInReach(*player, ToInt(args[0])));
}

void ServerCommands::ForcePotion(const Args& args, Player* player)
{
    player->ForcePotion(FindEntityInReach(*player, ToInt(args[0])));
}

void ServerCommands::PickUpEntity(const Args& args, Player* player)
{
    // Only what lies within the player's reach. Mended: any number was taken, so a line could
    // gather every item of the world from wherever the player stood.
    const Entity* item = FindEntity(ToInt(args[0]));
    if (item && player->IsWithinUseReach(*item))
        player->PickUpItem(item->entityNumber);
}

void ServerCommands::ShiftPowerupsDown(const Args&, Player* player)
{
    player->CloseFrontSlotGaps(kServerCommandsPowerupsDown);
}

void ServerCommands::ShiftPowerupsUp(const Args&, Player* player)
{
    player->CloseFrontSlotGaps(kServerCommandsPowerupsUp);
}
