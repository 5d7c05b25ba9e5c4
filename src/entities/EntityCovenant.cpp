// EntityCovenant -- a covenant as its member entities see it; the covenants library implements it.
#include "entities/EntityCovenant.h"

#include "entities/Entity.h"
#include "entities/Sentient.h"
#include "rules/items/InventoryBag.h"

WorldPos EntityCovenant::GetSpawnPointNearHome() const
{
    const Entity* home = GetHomeEntity();
    WorldPos point = home ? home->position : GetHomePosition();
    point.x += kSpawnPointOffset;
    point.Normalize();
    return point;
}

void EntityCovenant::CheckMemberItems(const Entity& victim) const
{
    const auto* looted = dynamic_cast<const Sentient*>(&victim);
    const InventoryBag* loot = looted ? looted->GetBag(InventoryGroupIndex::Loot) : nullptr;
    if (!loot)
        return;
    for (int32_t slot = 0; slot < loot->GetSlotCount(); ++slot)
        if (const ItemBase* item = loot->GetItem(slot))
            AnnounceFoundItem(*item);
}
