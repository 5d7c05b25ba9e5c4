// Stash -- the storage chest of a covenant house: it holds nothing itself, but opens the player's own storage bags or those of the player's covenant.
#include "entities/Stash.h"

#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "entities/EntityCovenant.h"
#include "entities/Sentient.h"

void Stash::Load(const DatabaseEntry* record)
{
    Entity::Load(record);
    playerStash = record && record->GetInt("PlayerStash") != 0;
}

InventoryBag* Stash::GetStashBag(const Sentient* player, int32_t bag) const
{
    if (!player)
        return nullptr;
    int32_t storage = -1;
    if (bag == InventoryGroupIndex::Loot)
        storage = InventoryGroupIndex::Stash;
    else if (bag >= InventoryGroupIndex::LootBag1 && bag <= InventoryGroupIndex::LootBag8)
        storage = bag - (InventoryGroupIndex::LootBag1 - InventoryGroupIndex::StashBag1);
    if (storage < 0)
        return nullptr;
    if (playerStash)
        return player->GetBag(storage);
    const EntityCovenant* covenant = player->GetCovenant();
    return covenant ? covenant->GetStorageBag(storage) : nullptr;
}
