// Player -- trade with the vendor dealt with: sales into its buy-back cells, purchases from its stock and gambles on a gambler's goods.
#include "entities/Player.h"

#include "core/DatabaseEntry.h"
#include "core/RandomSystem.h"
#include "entities/EntityCovenant.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Vendor.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int32_t kPlayerTradeRefusalKind = 4;
constexpr const char* kPlayerTradeGambleWon = "Sounds/gamblingSuccess.ogg";
constexpr const char* kPlayerTradeGambleLost = "Sounds/gamblingFailure.ogg";
constexpr float kPlayerTradeSoundVolume = 100.0f;

// Goods paid in the covenant's stock rather than money: covenant currency and guards for hire.
bool PlayerTradeIsCovenantGoods(const ItemBase& item)
{
    return item.GetGuardRecord() || (item.GetDefinition() && item.GetDefinition()->covenantCurrency != 0);
}

// A bag item whose bag still holds items cannot leave: its contents would be lost with it.
bool PlayerTradeHoldsFullBag(const InventoryBase& inventory, int32_t bag, int32_t slot)
{
    int32_t contents = InventoryBase::GetContentGroup(bag, slot);
    return contents >= 0 && inventory.CountItems(contents) > 0;
}

std::unique_ptr<Item> PlayerTradeOneUnitOf(const Item& held)
{
    auto unit = std::make_unique<Item>();
    unit->CopyFrom(held);
    unit->ResolveDefinition();
    unit->SetStackCount(1);
    return unit;
}

} // namespace

Vendor* Player::GetTradePartner()
{
    auto* vendor = dynamic_cast<Vendor*>(GetInteractionTarget());
    // Only a vendor within the player's reach. Mended: the trade lines were taken whatever the
    // distance, so a client could buy and sell with any vendor of the world from anywhere.
    if (!vendor || !IsWithinUseReach(*vendor))
        return nullptr;
    if (vendor->IsDead()) {
        SendMessage("$$VendorIsDead$$", kPlayerTradeRefusalKind);
        return nullptr;
    }
    return vendor;
}

// ---- Selling ----------------------------------------------------------------------------------------

void Player::SellItem(int32_t bag, int32_t slot)
{
    Vendor* vendor = GetTradePartner();
    if (!vendor || bag == Vendor::kStockBag || !gGameData)
        return;
    auto* item = dynamic_cast<Item*>(inventory->GetItem(bag, slot));
    const ItemDefinition* definition = item ? item->GetDefinition() : nullptr;
    // The server does not trust the client's own refusals of undroppable items and full bags.
    if (!definition || definition->unsellable || definition->noDrop || PlayerTradeHoldsFullBag(*inventory, bag, slot))
        return;
    bool covenantGoods = PlayerTradeIsCovenantGoods(*item);
    EntityCovenant* covenant = GetCovenant();
    if (covenantGoods != vendor->IsGuardVendor() || (covenantGoods && !covenant))
        return;
    double fraction = LerpByLevel(gGameData->GetTuning(), item->GetLevel());
    double price = std::floor(static_cast<double>(item->GetValue(true)) * fraction);
    auto paid = static_cast<int32_t>(std::clamp(price, 0.0, static_cast<double>(std::numeric_limits<int32_t>::max())));
    if (covenantGoods)
        covenant->AddCurrency(paid);
    else
        AddMoney(paid);
    std::unique_ptr<ItemBase> sold = inventory->RemoveAt(bag, slot);
    vendor->AcceptSoldItem(std::unique_ptr<Item>(static_cast<Item*>(sold.release())), 0);
    RecalculateStats(false);
}

// ---- Buying and gambling -----------------------------------------------------------------------------

void Player::BuyItem(int32_t bag, int32_t slot)
{
    Vendor* vendor = GetTradePartner();
    if (!vendor || bag != Vendor::kStockBag)
        return;
    vendor->MeetCustomer(this);
    Item* held = vendor->GetStockItem(slot);
    if (!held || !held->GetDefinition())
        return;
    bool gamble = vendor->IsGambler() && !vendor->IsBuyBackSlot(slot);
    double listed = std::floor(static_cast<double>(held->GetValue(false)) * vendor->GetPriceFactor(slot));
    int64_t price = gamble ? held->GetPrice() : static_cast<int64_t>(std::max(listed, 0.0));
    bool covenantGoods = PlayerTradeIsCovenantGoods(*held);
    EntityCovenant* covenant = GetCovenant();
    int64_t funds = covenantGoods ? (covenant ? covenant->GetCurrency() : 0) : stats.Get(CharacterStat::Money);
    if (price > funds)
        return;
    // One unit of a stack; anything else leaves the stock whole.
    std::unique_ptr<Item> goods = held->GetStackCount() > 1 ? PlayerTradeOneUnitOf(*held) : nullptr;
    const DatabaseEntry* entry = held->GetEntry();
    // Mended: room is tested before the gamble and the stock, so a refusal costs nothing.
    if (!inventory->HasRoom(goods ? *goods : *held, InventoryGroupIndex::Bag1)) {
        bool questItem = entry && entry->GetType() == DatabaseEntryType::QuestItem;
        SendMessage(questItem ? "$$AlreadyHaveAllWeNeed$$" : "$$NoRoomInInventory$$", kPlayerTradeRefusalKind);
        return;
    }
    bool won = false;
    if (gamble) {
        int32_t roll = gRandomSystem ? gRandomSystem->RandomIndex(RandomStream::GameData, 0, 99) : 99;
        won = roll < vendor->GetGambleChance(slot);
    }
    std::unique_ptr<Item> taken = vendor->TakeFromStock(slot, goods ? Vendor::kTakeOneMode : 0);
    if (!goods)
        goods = std::move(taken);
    if (gamble && !won) {
        // A lost gamble hands over a plain item of the goods' kind.
        goods = std::make_unique<Item>();
        goods->Load(entry);
    }
    if (!goods)
        return;
    if (gamble)
        goods->SetIdentified(true);
    if (covenantGoods)
        covenant->AddCurrency(static_cast<int32_t>(-price));
    else
        stats.SubtractFloored(CharacterStat::Money, static_cast<int32_t>(price));
    // Told before placing: a unit that merges into a stack is gone once placed.
    if (gamble) {
        OnItemIdentified(goods.get());
        bool magic = won && !goods->GetAffixes().empty();
        QueueWorldEvent(magic ? kPlayerTradeGambleWon : kPlayerTradeGambleLost, 0.0f, kPlayerTradeSoundVolume);
    }
    OnItemObtained(goods.get());
    std::unique_ptr<ItemBase> placed = std::move(goods);
    inventory->AddItem(placed, InventoryGroupIndex::Bag1);
    RecalculateStats(false);
}
