// Vendor -- a shopkeeper: an actor whose loot bag is a shop stock of staples, random goods, guards for hire and buy-back slots, renewed on a timer.
#include "entities/Vendor.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/MessageBuffer.h"
#include "core/RandomSystem.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/Player.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/items/InventoryBag.h"
#include "rules/monsters/MonsterType.h"

#include <algorithm>
#include <cmath>

namespace {

// The staple records of slots 1 to 4.
constexpr const char* kVendorStapleRecords[] = {"BasePotionHealth", "BaseFood", "BasePotionMana", "BaseDrink"};

bool VendorIsWeapon(int32_t kind)
{
    return kind >= ItemRequirement::WeaponDagger && kind <= ItemRequirement::WeaponStaff;
}

bool VendorIsArmorOrShield(int32_t kind)
{
    return (kind >= ItemRequirement::ArmorCloth && kind <= ItemRequirement::ArmorPlate) ||
           kind == ItemRequirement::Cape || kind == ItemRequirement::Shield;
}

std::unique_ptr<Item> VendorNewItemOf(const DatabaseEntry* entry)
{
    if (!entry)
        return nullptr;
    auto item = std::make_unique<Item>();
    item->SetEntry(entry);
    item->ResolveDefinition();
    return item->GetDefinition() ? std::move(item) : nullptr;
}

} // namespace

Vendor::Vendor()
{
    inventory->ResizeBag(kStockBag, stockSize);
    slotKinds.assign(static_cast<size_t>(stockSize), kEmptySlot);
    restockTimer.listed = 1;
    timers.push_back(&restockTimer);
    for (int32_t i = 0; i < 4; ++i)
        lastSlots[static_cast<size_t>(i)] = stockSize - 4 + i;
}

void Vendor::Load(const DatabaseEntry* record)
{
    Actor::Load(record);
    if (!record)
        return;
    guardVendor = record->GetInt("GuardVendor") != 0;
    gambler = record->GetInt("Gambler") != 0;
    float changeTime = record->GetFloat("ItemChangeTime", 0.0f);
    restockTimer.minimum = restockTimer.maximum = std::isfinite(changeTime) ? changeTime : 0.0f;
    magicChance = record->GetInt("MagicChance");
    minSpread = record->GetInt("MinSpread");
    maxSpread = record->GetInt("MaxSpread");
    aboveLevelChance = record->GetFloat("AboveLevelChance", 0.0f);
    aboveLevelSpread = record->GetInt("AboveLevelSpread");
    classSkewChance = record->GetFloat("ClassSkewChance", 0.0f);
    useVendorLevel = record->GetInt("UseVendorLevel") != 0;
    maxItemGenerationTries = record->GetInt("MaxItemGenerationTries");
    allowWeapons = record->GetInt("AllowWeapons") != 0;
    allowArmor = record->GetInt("AllowArmor") != 0;
    allowMisc = record->GetInt("AllowMisc") != 0;
    // The keys are spelled so in every record.
    minGambleSuccessChance = record->GetInt("MinGambleSucessChance");
    maxGambleSuccessChance = record->GetInt("MaxGambleSucessChance");
    randomItemLimit = DrawInclusive(record->GetInt("MinRandomItemsToGenerate"), record->GetInt("MaxRandomItemsToGenerate"));
    AssignSlotKinds();
}

int32_t Vendor::DrawInclusive(int32_t low, int32_t high) const
{
    return DrawRandomIndex(RandomStream::GameData, low, high);
}

void Vendor::AssignSlotKinds()
{
    for (int32_t slot = 0; slot < stockSize; ++slot) {
        int32_t kind = kRandomGoodsSlot;
        if (slot >= stockSize - 2)
            kind = kBuyBackSlot;
        else if (slot >= stockSize - 4)
            kind = kKeptSlot;
        else if (guardVendor)
            kind = kGuardSlot;
        else if (!gambler && slot < 4)
            kind = kPotionHealthSlot + slot;
        slotKinds[static_cast<size_t>(slot)] = kind;
    }
}

int32_t Vendor::GetSlotKind(int32_t slot) const
{
    return slot >= 0 && slot < stockSize ? slotKinds[static_cast<size_t>(slot)] : kEmptySlot;
}

Item* Vendor::GetStockItem(int32_t slot) const
{
    return dynamic_cast<Item*>(inventory->GetItem(kStockBag, slot));
}

int32_t Vendor::GetGambleChance(int32_t slot) const
{
    return slot >= 0 && slot < stockSize ? gambleChances[static_cast<size_t>(slot)] : 0;
}

Sentient* Vendor::FirstPlayer() const
{
    if (!gGameServices || gGameServices->GetPlayers().empty())
        return nullptr;
    return gGameServices->GetPlayers().front();
}

bool Vendor::IsTradingWithFirstPlayer() const
{
    const auto* player = dynamic_cast<const Player*>(FirstPlayer());
    return player && player->GetInteractionTarget() == this;
}

// ---- Filling the stock -------------------------------------------------------------------------

void Vendor::PlaceInStock(int32_t slot, std::unique_ptr<Item> item, int32_t gambleChance)
{
    inventory->DeleteAt(kStockBag, slot);
    gambleChances[static_cast<size_t>(slot)] = 0;
    if (!item)
        return;
    if (!gambler)
        item->SetIdentified(true);
    std::unique_ptr<ItemBase> placed = std::move(item);
    if (inventory->PlaceItem(placed, kStockBag, slot, kPlaceAnyGroup))
        gambleChances[static_cast<size_t>(slot)] = gambleChance;
}

void Vendor::RegenerateSlot(int32_t slot)
{
    switch (GetSlotKind(slot)) {
    case kGuardSlot: RegenerateGuard(slot); break;
    case kPotionHealthSlot:
    case kFoodSlot:
    case kPotionManaSlot:
    case kDrinkSlot:
        RegenerateStaple(slot, kVendorStapleRecords[GetSlotKind(slot) - kPotionHealthSlot]);
        break;
    case kRandomGoodsSlot: RegenerateRandomGoods(slot); break;
    case kEmptySlot: PlaceInStock(slot, nullptr, 0); break;
    default: break;  // kept and buy-back slots keep what they hold
    }
}

void Vendor::RegenerateStaple(int32_t slot, const char* recordName)
{
    const DatabaseEntry* record = gDatabase ? gDatabase->FindEntryByName(recordName) : nullptr;
    std::unique_ptr<Item> item = record && gGameServices ? gGameServices->GenerateItem(record, stockLevel) : nullptr;
    PlaceInStock(slot, std::move(item), 0);
}

void Vendor::RegenerateGuard(int32_t slot)
{
    const MonsterType* type = gGameServices ? gGameServices->PickGuardType(stockLevel) : nullptr;
    const DatabaseEntry* record = nullptr;
    if (type && type->GetEntry() && gDatabase)
        record = gDatabase->FindEntryByName(type->GetEntry()->GetString("GuardItem"));
    std::unique_ptr<Item> item = VendorNewItemOf(record);
    if (item)
        item->SetStackCount(kGuardQuantity);
    PlaceInStock(slot, std::move(item), 0);
}

bool Vendor::IsAllowedGoods(const Item& item) const
{
    const ItemDefinition* definition = item.GetDefinition();
    if (!definition || !item.GetEntry() || item.GetEntry()->GetInt("CanSpawnOnVendor") == 0)
        return false;
    int32_t kind = definition->itemRequirement;
    bool weapon = VendorIsWeapon(kind);
    bool armor = VendorIsArmorOrShield(kind);
    if ((weapon && !allowWeapons) || (armor && !allowArmor) || (!weapon && !armor && !allowMisc))
        return false;
    const Sentient* player = FirstPlayer();
    if (player && !Item::MeetsItemRequirement(*player, item)) {
        float r = DrawRandomFloat();
        if (classSkewChance > r)
            return false;
    }
    return true;
}

std::unique_ptr<Item> Vendor::MakeRandomGoods() const
{
    ShopItemRequest request;
    request.level = stockLevel;
    request.minSpread = minSpread;
    request.maxSpread = maxSpread;
    request.aboveChance = aboveLevelChance;
    request.aboveSpread = aboveLevelSpread;
    request.magicBonus = magicChance;
    for (int32_t attempt = 0; attempt < maxItemGenerationTries; ++attempt) {
        std::unique_ptr<Item> item = gGameServices ? gGameServices->GenerateShopItem(request) : nullptr;
        if (item && IsAllowedGoods(*item))
            return item;
    }
    return nullptr;
}

void Vendor::RegenerateRandomGoods(int32_t slot)
{
    if ((randomItemLimit >= 1 && randomItemsGenerated >= randomItemLimit) || !FirstPlayer())
        return;
    std::unique_ptr<Item> item = MakeRandomGoods();
    int32_t gambleChance = 0;
    if (item && item->GetMaxStack() > 1)
        item->SetStackCount(DrawInclusive(1, item->GetMaxStack()));
    else if (item && gambler)
        gambleChance = DrawInclusive(minGambleSuccessChance, maxGambleSuccessChance);
    PlaceInStock(slot, std::move(item), gambleChance);
    ++randomItemsGenerated;
}

void Vendor::RestartRestockTimer()
{
    if (gRandomSystem)
        restockTimer.Restart(*gRandomSystem);
    else
        restockTimer.running = 1, restockTimer.total = restockTimer.remaining = restockTimer.minimum;
}

void Vendor::Restock()
{
    for (int32_t slot = 0; slot < stockSize; ++slot)
        RegenerateSlot(slot);
    RestartRestockTimer();
}

void Vendor::MeetCustomer(Entity* customer)
{
    if (stockLevel == -1 && customer) {
        stockLevel = customer->GetStat(CharacterStat::Level);
        Restock();
    }
    if (customer && customer != this)
        FaceEntity(customer, false);
}

// ---- The step -------------------------------------------------------------------------------------

void Vendor::Update(float seconds)
{
    Actor::Update(seconds);
    if (entityNumber < 0 || entityNumber >= GameServices::kMaxEntities || !gGameServices ||
        gGameServices->GetEntity(entityNumber) != this || stockLevel == -1 || !FirstPlayer())
        return;
    FollowStockLevel();
    if (!IsTradingWithFirstPlayer() && restockTimer.IsExpired()) {
        RestartRestockTimer();
        RegenerateSlot(DrawInclusive(0, stockSize - 1));
    }
}

void Vendor::FollowStockLevel()
{
    const Sentient* player = FirstPlayer();
    int32_t wanted = useVendorLevel ? stats.Get(CharacterStat::Level) : player->GetStat(CharacterStat::Level);
    if (wanted == stockLevel)
        return;
    stockLevel = wanted;
    if (!guardVendor)
        for (int32_t slot = 0; slot < 4; ++slot)
            RegenerateSlot(slot);
}

// ---- Trade -------------------------------------------------------------------------------------------

std::unique_ptr<Item> Vendor::TakeFromStock(int32_t slot, int32_t mode)
{
    Item* held = GetStockItem(slot);
    if (!held)
        return nullptr;
    int32_t kind = GetSlotKind(slot);
    std::unique_ptr<Item> taken;
    if (kind >= kPotionHealthSlot && kind <= kDrinkSlot) {
        // Staples never run out.
        std::unique_ptr<Item> fresh = VendorNewItemOf(held->GetEntry());
        taken.reset(dynamic_cast<Item*>(inventory->RemoveAt(kStockBag, slot).release()));
        PlaceInStock(slot, std::move(fresh), 0);
    } else if (!(held->IsStackable() && held->GetStackCount() > 1)) {
        taken.reset(dynamic_cast<Item*>(inventory->RemoveAt(kStockBag, slot).release()));
        gambleChances[static_cast<size_t>(slot)] = 0;
    }
    if (mode != kTakeOneMode)
        return taken;
    // An item that stayed in its slot has more than one unit.
    if (held->GetStackCount() > 1) {
        held->SetStackCount(held->GetStackCount() - 1);
        return taken;
    }
    return nullptr;
}

void Vendor::AcceptSoldItem(std::unique_ptr<Item> item, int32_t quantity)
{
    int32_t last = stockSize - 1;
    if (GetStockItem(last)) {
        std::unique_ptr<ItemBase> moved = inventory->RemoveAt(kStockBag, last);
        PlaceInStock(last - 1, std::unique_ptr<Item>(dynamic_cast<Item*>(moved.release())), 0);
    }
    if (item && quantity > 0) {
        std::unique_ptr<Item> copy = VendorNewItemOf(item->GetEntry());
        if (copy)
            copy->SetStackCount(quantity);
        item = std::move(copy);
    }
    PlaceInStock(last, std::move(item), 0);
}

float Vendor::GetPriceFactor(int32_t slot) const
{
    const Item* item = IsBuyBackSlot(slot) ? GetStockItem(slot) : nullptr;
    if (!item || !gGameData)
        return 1.0f;
    return GetSellPercent(gGameData->GetTuning(), item->GetValue(false));
}

bool Vendor::HasRandomStock()
{
    if (stockLevel == -1)
        MeetCustomer(FirstPlayer());
    for (int32_t slot = 0; slot < stockSize; ++slot)
        if (GetSlotKind(slot) == kRandomGoodsSlot && GetStockItem(slot))
            return true;
    return false;
}

int32_t Vendor::StealItems(int32_t tries, int32_t& totalValue)
{
    totalValue = 0;
    int32_t taken = 0;
    std::vector<int32_t> occupied;
    for (int32_t attempt = 0; attempt < tries; ++attempt) {
        occupied.clear();
        for (int32_t slot = 0; slot < stockSize; ++slot)
            if (GetSlotKind(slot) == kRandomGoodsSlot && GetStockItem(slot))
                occupied.push_back(slot);
        // Nothing left to take: no draw from an empty choice.
        if (occupied.empty())
            break;
        int32_t slot = occupied[static_cast<size_t>(DrawInclusive(0, static_cast<int32_t>(occupied.size()) - 1))];
        const Item* item = GetStockItem(slot);
        totalValue += item->GetValue(item->IsStackable());
        PlaceInStock(slot, nullptr, 0);
        ++taken;
    }
    return taken;
}

// ---- Saved state ---------------------------------------------------------------------------------------

void Vendor::WriteSaved(MessageBuffer& buffer) const
{
    WriteToBuffer(buffer);
}

bool Vendor::ReadSaved(MessageBuffer& buffer, int32_t version)
{
    return ReadFromBuffer(buffer, version);
}

void Vendor::WriteToBuffer(MessageBuffer& buffer) const
{
    Actor::WriteSaved(buffer);
    buffer.WriteInt(stockLevel);
    inventory->Write(buffer, true);
    for (int32_t chance : gambleChances)
        buffer.WriteInt(chance);
}

bool Vendor::ReadFromBuffer(MessageBuffer& buffer, int32_t version)
{
    // Every part is read aside first, so a cut record changes nothing.
    int32_t savedHealth = health;
    int32_t savedPower = stats.Get(CharacterStat::Power);
    int32_t level = 0;
    Inventory stock;
    std::array<int32_t, kStockSize> chances{};
    bool ok = Actor::ReadSaved(buffer, version);
    if (ok) {
        level = buffer.ReadInt();
        ok = !buffer.Overrun() && level >= -1 && stock.Read(buffer, true, version);
    }
    for (int32_t i = 0; ok && i < kStockSize; ++i) {
        chances[static_cast<size_t>(i)] = std::clamp(buffer.ReadInt(), 0, 100);
        ok = !buffer.Overrun();
    }
    if (!ok) {
        health = savedHealth;
        stats.Set(CharacterStat::Power, savedPower);
        return false;
    }
    stockLevel = level;
    inventory->CopyFrom(stock);
    inventory->ResizeBag(kStockBag, stockSize);
    gambleChances = chances;
    RestartRestockTimer();
    return true;
}
