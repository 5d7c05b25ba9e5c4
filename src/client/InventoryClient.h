// InventoryClient -- the client's mirror of an inventory: the 27 bags of the shared inventory, made of client items, owned by the entity that carries them.
#pragma once

#include "rules/items/InventoryBase.h"

class IntArray;
class PlayerClient;

class InventoryClient : public InventoryBase {
public:
    // The owner's stats are what its equipment's requirements are tested against; null for none.
    explicit InventoryClient(const IntArray* ownerStats = nullptr) : ownerStats(ownerStats) {}

    // Only a client player owns an inventory: any other entity leaves it without an owner.
    void SetOwner(SafeClass* newOwner) override;
    SafeClass* GetOwner() const override;
    std::unique_ptr<ItemBase> CreateItem() const override;
    const IntArray* GetOwnerStats() const override { return ownerStats; }

private:
    PlayerClient* owner = nullptr;
    const IntArray* ownerStats = nullptr;
};
