// ItemClient -- the client's mirror of one item of an inventory the client holds: the shared item record as the last update or file gave it, its use and drop sounds, its skill hint, the item-timer gate and the use request.
#include "client/ItemClient.h"

#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/MirrorSound.h"
#include "client/PlayerClient.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "resources/ResourceManager.h"

#include <string>

namespace {

void ItemClientLoadSound(const DatabaseEntry* entry, const char* key, ResourceHandle& out)
{
    std::string name = entry ? std::string(entry->GetString(key, "")) : std::string();
    if (name.empty() || !gResourceManager)
        out.Reset();
    else
        gResourceManager->Load(name, out);
}

const PlayerClient* ItemClientLocalPlayer()
{
    return gClientApp ? dynamic_cast<const PlayerClient*>(gClientApp->GetLink()) : nullptr;
}

} // namespace

void ItemClient::Load(const DatabaseEntry* newEntry)
{
    ItemBase::Load(newEntry);
    if (!newEntry)
        return;
    ItemClientLoadSound(newEntry, "UseSoundName", useSound);
    ItemClientLoadSound(newEntry, "DropSoundName", dropSound);
    showSkillHint = newEntry->GetInt("ShowSkillHint") != 0;
}

bool ItemClient::IsUsable() const
{
    const PlayerClient* player = ItemClientLocalPlayer();
    if (!player)
        return false;
    if (player->IsItemTimerActive(GetInt("ItemTimer")))
        return false;
    return ItemBase::IsUsable();
}

float ItemClient::GetValueMultiplier() const
{
    const GameClient* game = GetGame();
    if (!game)
        return 1.0f;
    switch (GetItemType()) {
    case ItemType::Food: return game->foodPriceFactor;
    case ItemType::Drink: return game->drinkPriceFactor;
    default: return 1.0f;
    }
}

GameClient* ItemClient::GetGame() const
{
    return gGameClient;
}

void ItemClient::RequestUse(int32_t group, int32_t slot) const
{
    Client::QueueServerCommand(StringFormat("useItem %d %d", group, slot));
    PlayMirrorSound(useSound);
}

void ItemClient::PlayDropSound() const
{
    PlayMirrorSound(dropSound);
}
