// Inventory -- the bags of a host entity, whose items are host Items and whose owner is the entity.
#include "entities/Inventory.h"

#include "entities/Item.h"
#include "entities/Sentient.h"

std::unique_ptr<ItemBase> Inventory::CreateItem() const
{
    return std::make_unique<Item>();
}

const IntArray* Inventory::GetOwnerStats() const
{
    const Sentient* sentient = owner.GetAs<Sentient>();
    return sentient ? &sentient->stats : nullptr;
}
