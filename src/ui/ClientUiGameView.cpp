// ClientUiGameView -- the interface's view of the game over the client's mirrors: the game's flags, the local player's entity number and the mirrored entities.
#include "ui/ClientUiGameView.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/LocalPlayerLink.h"

bool ClientUiGameView::IsGameRunning() const
{
    return gGameClient && gGameClient->IsStarted();
}

bool ClientUiGameView::HasLocalPlayer() const
{
    return IsGameRunning() && GetPlayerEntityNumber() >= 0;
}

int32_t ClientUiGameView::GetPlayerEntityNumber() const
{
    LocalPlayerLink* link = gClientApp ? gClientApp->GetLink() : nullptr;
    return link ? link->GetEntityNumber() : -1;
}

bool ClientUiGameView::GetEntity(int32_t number, UiEntityFacts& out) const
{
    if (!gGameClient)
        return false;
    const EntityClient* entity = gGameClient->GetEntity(number);
    if (!entity)
        return false;
    out = UiEntityFacts{};
    out.health = entity->health;
    out.maxHealth = entity->maxHealth;
    out.power = entity->power;
    out.maxPower = entity->maxPower;
    out.level = entity->level;
    out.rank = entity->rank;
    out.covenant = entity->covenantIndex;
    return true;
}
