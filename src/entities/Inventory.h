// Inventory -- the bags of a host entity, whose items are host Items and whose owner is the entity.
#pragma once

#include "core/SafePointer.h"
#include "rules/items/InventoryBase.h"

class Sentient;

class Inventory : public InventoryBase {
public:
    void SetOwner(SafeClass* newOwner) override { owner.Set(newOwner); }
    SafeClass* GetOwner() const override { return owner.Get(); }
    std::unique_ptr<ItemBase> CreateItem() const override;
    // The owner's stats when it is a sentient.
    const IntArray* GetOwnerStats() const override;

private:
    SafePointer owner;
};
