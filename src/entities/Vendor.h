// Vendor -- a shopkeeper: an actor whose loot bag is a shop stock of staples, random goods, guards for hire and buy-back slots, renewed on a timer.
#pragma once

#include "core/RandomTimer.h"
#include "entities/Actor.h"
#include "rules/items/ItemBase.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The stock is bag 15 of the vendor's own inventory, 24 slots, owned by the vendor. Three
// kinds come from the record: an ordinary merchant, a gambler ("Gambler") and a guard vendor
// ("GuardVendor").
class Vendor : public Actor {
public:
    static constexpr int32_t kStockSize = 24;
    static constexpr int32_t kStockBag = InventoryGroupIndex::Loot;
    // A guard slot's stack: more than any buyer takes.
    static constexpr int32_t kGuardQuantity = ItemBase::kEndlessStack;
    // The mode in which a taken item loses one unit from its stack instead of leaving whole.
    static constexpr int32_t kTakeOneMode = 2;

    enum SlotKind : int32_t {
        kGuardSlot = 0,
        kPotionHealthSlot = 1,
        kFoodSlot = 2,
        kPotionManaSlot = 3,
        kDrinkSlot = 4,
        kRandomGoodsSlot = 5,
        kKeptSlot = 6,
        kBuyBackSlot = 7,
        kEmptySlot = 8,
    };

    Vendor();

    // The entity's keys, then the vendor's, the random-goods limit drawn (stream 0), the slot kinds.
    void Load(const DatabaseEntry* record) override;
    // The actor's step; then, while in the table with a customer met and a first player: the
    // stock follows the level and one slot is renewed per restock interval unless the first
    // player is trading here.
    void Update(float seconds) override;
    bool IsVendor() const override { return true; }
    void WriteSaved(MessageBuffer& buffer) const override;
    bool ReadSaved(MessageBuffer& buffer, int32_t version) override;
    // The actor's part, the stock level, the inventory and the gamble chances.
    void WriteToBuffer(MessageBuffer& buffer) const;
    // False, the vendor unchanged, when any part is cut short or malformed.
    bool ReadFromBuffer(MessageBuffer& buffer, int32_t version);

    // The first customer (a player starting to trade, or a thief quest asking) sets the stock
    // level from its Level and fills the stock; the vendor turns to a customer other than itself.
    void MeetCustomer(Entity* customer);
    // Every slot in order, then the timer restarts.
    void Restock();
    void RegenerateSlot(int32_t slot);
    // What a buyer takes from the slot (after it has its goods): the item that left the slot,
    // null when it stayed or (mode 2) was used up. A staple is replaced at once.
    std::unique_ptr<Item> TakeFromStock(int32_t slot, int32_t mode);
    // A sale into the buy-back slots: the last slot's item moves one down (the one there goes),
    // then the sold item (a new one of its kind with that quantity when above 0) takes the last.
    void AcceptSoldItem(std::unique_ptr<Item> item, int32_t quantity);
    bool IsBuyBackSlot(int32_t slot) const { return GetSlotKind(slot) == kBuyBackSlot; }
    // 1, except for an occupied buy-back slot: the game's sell share of the item's value.
    float GetPriceFactor(int32_t slot) const;
    // Meets the first player first when no customer came yet; then whether any random-goods
    // slot holds an item.
    bool HasRandomStock();
    // Each try takes one occupied random-goods slot at random; the tries that took something,
    // with the summed value. Stops at the first try that finds the random slots empty.
    int32_t StealItems(int32_t tries, int32_t& totalValue);

    // A gambler's chance in percent that the item in the slot is won; 0 elsewhere.
    int32_t GetGambleChance(int32_t slot) const;
    int32_t GetSlotKind(int32_t slot) const;
    Item* GetStockItem(int32_t slot) const;
    int32_t GetStockLevel() const { return stockLevel; }
    bool IsGambler() const { return gambler; }
    bool IsGuardVendor() const { return guardVendor; }
    int32_t GetRandomItemLimit() const { return randomItemLimit; }
    int32_t GetRandomItemsGenerated() const { return randomItemsGenerated; }
    const RandomTimer& GetRestockTimer() const { return restockTimer; }

private:
    void AssignSlotKinds();
    void PlaceInStock(int32_t slot, std::unique_ptr<Item> item, int32_t gambleChance);
    void RegenerateStaple(int32_t slot, const char* recordName);
    void RegenerateGuard(int32_t slot);
    void RegenerateRandomGoods(int32_t slot);
    std::unique_ptr<Item> MakeRandomGoods() const;
    bool IsAllowedGoods(const Item& item) const;
    Sentient* FirstPlayer() const;
    bool IsTradingWithFirstPlayer() const;
    void FollowStockLevel();
    void RestartRestockTimer();
    int32_t DrawInclusive(int32_t low, int32_t high) const;

    int32_t stockLevel = -1;
    bool guardVendor = false;
    bool gambler = false;
    std::vector<int32_t> slotKinds;
    RandomTimer restockTimer;
    std::array<int32_t, 4> lastSlots{};
    int32_t stockSize = kStockSize;
    int32_t magicChance = 0;
    int32_t minSpread = 0;
    int32_t maxSpread = 0;
    float aboveLevelChance = 0.0f;
    int32_t aboveLevelSpread = 0;
    float classSkewChance = 0.0f;
    bool useVendorLevel = false;
    int32_t maxItemGenerationTries = 0;
    bool allowWeapons = false;
    bool allowArmor = false;
    bool allowMisc = false;
    int32_t minGambleSuccessChance = 0;
    int32_t maxGambleSuccessChance = 0;
    int32_t randomItemLimit = 0;
    // Never reset, and not saved: a loaded vendor counts afresh.
    int32_t randomItemsGenerated = 0;
    // The stock's stack counts never exceed an item's stack limit, so a gambler's chance per
    // slot is kept beside the stock.
    std::array<int32_t, kStockSize> gambleChances{};
};
