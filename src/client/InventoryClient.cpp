// InventoryClient -- the client's mirror of an inventory: the 27 bags of the shared inventory, made of client items, owned by the entity that carries them.
#include "client/InventoryClient.h"

#include "client/ItemClient.h"
#include "client/PlayerClient.h"

void InventoryClient::SetOwner(SafeClass* newOwner)
{
    owner = dynamic_cast<PlayerClient*>(newOwner);
}

SafeClass* InventoryClient::GetOwner() const
{
    return owner;
}

std::unique_ptr<ItemBase> InventoryClient::CreateItem() const
{
    return std::make_unique<ItemClient>();
}
