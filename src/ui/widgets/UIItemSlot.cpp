// UIItemSlot -- one place of an inventory on screen (a bag cell, an equipment location, a bag row, a stash cell, a vendor's offer): the item's icon and overlays, its tooltip, and the clicks and drags that become the world host's item requests.
#include "ui/widgets/UIItemSlot.h"

#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "client/ClientMusic.h"
#include "client/GameClient.h"
#include "client/ItemClient.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "core/CommandSystem.h"
#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "render/Renderer.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/items/ItemFormulas.h"
#include "resources/ResourceManager.h"
#include "resources/shaders/ShaderLookup.h"
#include "ui/UISystem.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr const char* kItemSlotBlackTexture = "Textures/black.tga";
// The carried groups a followed item is looked for in: Main, Equipment and Bag1..Bag4.
constexpr int32_t kItemSlotCarriedGroups = 6;
constexpr int32_t kItemSlotGroupCount = InventoryGroupIndex::kCount;

// The four textures a slot draws over items, by their "GameSystem" names.
constexpr const char* kItemSlotTuningTextures[4] = {"TextureNameEquipmentSlotHighlight",
                                                    "TextureNameEquipmentSlotHighlightBad",
                                                    "TextureNameItemOutline", "TextureNameUnidentifiedItem"};

#define EMBERLODE_ITEM_SLOT_NAME(name) #name,
constexpr const char* kItemSlotTypeNames[] = {EMBERLODE_ITEM_SLOT_TYPE(EMBERLODE_ITEM_SLOT_NAME)};
#undef EMBERLODE_ITEM_SLOT_NAME

bool ItemSlotIsNumber(const std::string& token)
{
    if (token.empty())
        return false;
    size_t first = (token[0] == '-' || token[0] == '+') ? 1 : 0;
    return first < token.size() && token[first] >= '0' && token[first] <= '9';
}

PlayerClient* ItemSlotPlayer()
{
    if (!gClientApp || !gGameClient)
        return nullptr;
    auto* player = dynamic_cast<PlayerClient*>(gClientApp->GetLink());
    return player && player->GetEntityNumber() >= 0 ? player : nullptr;
}

void ItemSlotMessage(const std::string& key)
{
    if (gGameClient)
        gGameClient->GetMessages().ShowMessage(key, false);
}

// The requirement the local player falls short of for wearing the item, in the tooltip's words;
// empty when it may be worn (or there is nothing to wear). A worn item counts too: the wearer
// may have fallen short of it since (an item lending an attribute taken off, a weakening), and
// moving it to another place of the equipment wears it anew.
std::string ItemSlotUnmetForWearing(const ItemClient* item)
{
    PlayerClient* player = ItemSlotPlayer();
    if (!item || !player || !player->GetStats())
        return {};
    if (!item->IsWearableType() && item->GetGroup() != InventoryGroupIndex::Equipment)
        return {};
    return item->GetUnmetRequirement(*player->GetStats());
}

// Why an equipment place refuses an item of its own kind: the wearer falls short of it, or a
// two-handed weapon and a shield would share the hands. Empty without a player.
std::string ItemSlotWearRefusal(const ItemClient* item, int32_t place)
{
    if (!ItemSlotPlayer())
        return {};
    std::string unmet = ItemSlotUnmetForWearing(item);
    if (!unmet.empty())
        return unmet;
    bool hand = place == EquipedLocation::HandPrimary || place == EquipedLocation::HandSecondary;
    return hand ? "$$CantEquip2HandedWeaponAndShield$$" : std::string();
}

void ItemSlotSound(InterfaceSound which)
{
    if (!gGameClient)
        return;
    int32_t owner = -1;
    SoundPos where;
    ClientMusic::FindLocalPlayerSpot(owner, where);
    gGameClient->GetMusic().PlayInterfaceSoundAt(which, owner, where);
}

bool ItemSlotNoDrop(const ItemClient* item)
{
    return item && item->GetDefinition() && item->GetDefinition()->noDrop;
}

UIItemSlot* ItemSlotDragged()
{
    return gUISystem ? dynamic_cast<UIItemSlot*>(gUISystem->dragWidget) : nullptr;
}

void ItemSlotEndDrag()
{
    if (gUISystem)
        gUISystem->dragWidget = nullptr;
}

} // namespace

UIItemSlot::UIItemSlot()
{
    canClick = true;
    // No button runs the click list: presses reach the slot only through OnClick, and its own
    // use (Activate) only through a right click or the hot key.
    clickButton = 6;
    emptyColor = color;
    // An item's description is read over whatever lies under it: its box hides that wholly.
    highlightBackgroundAlpha = 1.0f;
    if (gResourceManager) {
        if (gRenderer) {
            tintTexture = gRenderer->GetStandardHandle(Renderer::kHandleWhite);
            cooldownTexture = gRenderer->GetStandardHandle(Renderer::kHandleWhite);
        }
        ResourceHandle* tuned[4] = {&highlightTexture, &highlightBadTexture, &outlineTexture, &unidentifiedTexture};
        for (int32_t i = 0; i < 4; ++i) {
            std::string name = gGameData ? gGameData->GetNameById(kItemSlotTuningTextures[i]) : std::string();
            if (!name.empty())
                LoadTextureByName(name, *tuned[i], TextureUsage::Overlay);
        }
    }
    // The third font of the game's list when it has more than two, else the first.
    if (gGameData && gResourceManager) {
        const std::string& fontName = gGameData->GetTextFontName(gGameData->GetTuning().fonts.size() > 2 ? 2 : 0);
        if (!fontName.empty())
            gResourceManager->Load(fontName, font);
    }
}

UIItemSlot::~UIItemSlot() = default;

// ---- Layout ----

bool UIItemSlot::ReadProperty(const std::string& key, TextParser& parser)
{
    if (StringEqualsNoCase(key, "inventorySlot")) {
        group = GetInventoryGroupIndexByName(parser.ReadString(false));
        std::string cell = parser.ReadString(false);
        index = ItemSlotIsNumber(cell) ? ParseInt(cell) : GetEquipedLocationByName(cell);
        return false;
    }
    if (StringEqualsNoCase(key, "itemSlotType")) {
        itemSlotType = GetItemSlotTypeByName(parser.ReadString(false));
        return false;
    }
    bool* flags[] = {&vendorSlot, &repurchaseSlot, &onlyDrop, &hideIfEmpty, &canMove};
    const char* flagKeys[] = {"vendorSlot", "repurchaseSlot", "onlyDrop", "hideIfEmpty", "canMove"};
    for (size_t i = 0; i < std::size(flags); ++i) {
        if (StringEqualsNoCase(key, flagKeys[i])) {
            *flags[i] = parser.GetBool(false);
            return false;
        }
    }
    if (StringEqualsNoCase(key, "texture")) {
        emptyTexture = parser.ReadString(false);
        SetTexture(emptyTexture);
        return false;
    }
    bool ended = UIWidget::ReadProperty(key, parser);
    if (StringEqualsNoCase(key, "color"))
        emptyColor = color;
    return ended;
}

void UIItemSlot::AttachToMenu()
{
    if (!hideIfEmpty)
        SetTexture(kItemSlotBlackTexture);
}

void UIItemSlot::CopyFrom(const UIWidget& source)
{
    UISlotBase::CopyFrom(source);
    const auto* slot = dynamic_cast<const UIItemSlot*>(&source);
    if (!slot || slot == this)
        return;
    group = slot->group;
    index = slot->index;
    itemSlotType = slot->itemSlotType;
    vendorSlot = slot->vendorSlot;
    repurchaseSlot = slot->repurchaseSlot;
    tintTexture = slot->tintTexture;
    cooldownTexture = slot->cooldownTexture;
    highlightTexture = slot->highlightTexture;
    highlightBadTexture = slot->highlightBadTexture;
    outlineTexture = slot->outlineTexture;
    unidentifiedTexture = slot->unidentifiedTexture;
    followedDefinition = slot->followedDefinition;
    shownDefinition = slot->shownDefinition;
    onlyDrop = slot->onlyDrop;
    emptyTexture = slot->emptyTexture;
    emptyColor = slot->emptyColor;
    hideIfEmpty = slot->hideIfEmpty;
    canMove = slot->canMove;
}

// ---- What the slot shows ----

ItemClient* UIItemSlot::GetItem() const
{
    PlayerClient* player = ItemSlotPlayer();
    // A cell outside its bag or a group outside the inventory shows nothing.
    if (!player || index < 0 || group < 0 || group >= kItemSlotGroupCount)
        return nullptr;
    if (group < InventoryGroupIndex::LootBag1 || group > InventoryGroupIndex::LootBag8)
        return dynamic_cast<ItemClient*>(player->GetInventory().GetItem(group, index));
    const InventoryBase* stash = GetStashInventory();
    int32_t stashGroup = group - (InventoryGroupIndex::LootBag1 - InventoryGroupIndex::StashBag1);
    return stash ? dynamic_cast<ItemClient*>(stash->GetItem(stashGroup, index)) : nullptr;
}

const InventoryBase* UIItemSlot::GetStashInventory() const
{
    PlayerClient* player = ItemSlotPlayer();
    const EntityClient* stash = player ? player->GetInteractionTarget() : nullptr;
    const DatabaseEntry* record = stash ? stash->GetRecord() : nullptr;
    if (!record || stash->IsDead() || record->GetInt("Stash") == 0)
        return nullptr;
    if (record->GetInt("PlayerStash") != 0)
        return &player->GetInventory();
    PlayerCovenantClient* covenant = player->GetCovenant();
    return covenant ? &covenant->GetInventory() : nullptr;
}

const InventoryBase* UIItemSlot::GetBagContents(int32_t& contents) const
{
    contents = GetBagGroup();
    PlayerClient* player = ItemSlotPlayer();
    if (contents < 0 || !player)
        return nullptr;
    if (contents < InventoryGroupIndex::LootBag1 || contents > InventoryGroupIndex::LootBag8)
        return &player->GetInventory();
    contents -= InventoryGroupIndex::LootBag1 - InventoryGroupIndex::StashBag1;
    return GetStashInventory();
}

int32_t UIItemSlot::BagItemCount() const
{
    int32_t contents = -1;
    const InventoryBase* inventory = GetBagContents(contents);
    return inventory ? inventory->CountItems(contents) : 0;
}

int32_t UIItemSlot::GetBagGroup() const
{
    if (index < 0)
        return -1;
    if (group == InventoryGroupIndex::Main)
        return index + InventoryGroupIndex::Bag1;
    if (group == InventoryGroupIndex::Loot)
        return index + InventoryGroupIndex::LootBag1;
    return -1;
}

EntityClient* UIItemSlot::GetCounterpart()
{
    PlayerClient* player = ItemSlotPlayer();
    return player ? gGameClient->GetEntity(player->GetTargetNumber(true)) : nullptr;
}

bool UIItemSlot::CounterpartFlag(const char* key)
{
    const EntityClient* counterpart = GetCounterpart();
    return counterpart && counterpart->HasRecordFlag(key);
}

// Only the gambler's own goods are a wager: the gambler stays the counterpart after its window
// closes, and the carried items read as the gambler's goods until another trader was opened.
bool UIItemSlot::IsGambleCase() const
{
    return vendorSlot && CounterpartFlag("Gambler") && index != 22 && index != 23;
}

bool UIItemSlot::TypeTakes(const ItemClient& item, int32_t type)
{
    return type == ItemSlotType::General || ItemMatchesSlotType(item, type);
}

const char* UIItemSlot::SlotTypeName(int32_t type)
{
    return type >= 0 && type < ItemSlotType::kCount ? kItemSlotTypeNames[type] : "None";
}

std::string UIItemSlot::GetText() const
{
    const ItemClient* item = GetItem();
    return item && item->GetEntry() ? item->GetEntry()->GetString("TextFile") : std::string();
}

std::string UIItemSlot::GetLocationText() const
{
    return GetText();
}

// The slot's type and, in the equipment, the wearing rules (requirements, the off hand); what
// a group takes besides is judged by the move rules after, each with its own message.
bool UIItemSlot::MayHold(const ItemClient* item) const
{
    if (!item)
        return true;
    PlayerClient* player = ItemSlotPlayer();
    if (!player || !TypeTakes(*item, itemSlotType))
        return false;
    return group != InventoryGroupIndex::Equipment ||
           player->GetInventory().CanPlace(*item, group, index, kPlaceIgnoreOccupant) != kPlaceRefused;
}

bool UIItemSlot::HasCell() const
{
    PlayerClient* player = ItemSlotPlayer();
    if (!player || index < 0 || group < 0 || group >= kItemSlotGroupCount)
        return false;
    bool looted = group >= InventoryGroupIndex::LootBag1 && group <= InventoryGroupIndex::LootBag8;
    return looted || index < player->GetInventory().GetSlotCount(group);
}

// ---- Slot operations ----

void UIItemSlot::GetSlotRef(int32_t& kind, int32_t& a, int32_t& b) const
{
    kind = 0;
    a = group;
    b = index;
}

void UIItemSlot::SetSlotRef(int32_t newGroup, int32_t newIndex)
{
    group = newGroup;
    index = newIndex;
    const ItemClient* item = GetItem();
    followedDefinition = item ? item->GetEntry() : nullptr;
}

void UIItemSlot::ClearSlot()
{
    group = InventoryGroupIndex::Main;
    index = -1;
}

int32_t UIItemSlot::GetItemId() const
{
    return followedDefinition ? followedDefinition->GetId() : -1;
}

void UIItemSlot::SetItem(int32_t id)
{
    if (id != -1 && gDatabase)
        followedDefinition = gDatabase->GetEntryByIndex(id);
}

bool UIItemSlot::FollowItem()
{
    const ItemClient* shown = GetItem();
    if (shown && shown->GetEntry() == followedDefinition)
        return true;
    PlayerClient* player = ItemSlotPlayer();
    if (!player || !followedDefinition)
        return false;
    const InventoryClient& inventory = player->GetInventory();
    for (int32_t bag = 0; bag < kItemSlotCarriedGroups; ++bag) {
        for (int32_t cell = 0; cell < inventory.GetSlotCount(bag); ++cell) {
            const ItemBase* item = inventory.GetItem(bag, cell);
            if (item && item->GetEntry() == followedDefinition) {
                group = bag;
                index = cell;
                return true;
            }
        }
    }
    return false;
}

bool UIItemSlot::ForceUse(int32_t entityNumber)
{
    const ItemClient* item = GetItem();
    if (!item || !item->GetEntry() || item->GetEntry()->GetInt("CanForceUse") == 0 || entityNumber < 0)
        return false;
    const EntityClient* target = gGameClient ? gGameClient->GetEntity(entityNumber) : nullptr;
    if (!target || target->IsDead() || !target->AcceptsDroppedItem())
        return false;
    Client::QueueServerCommand(StringFormat("forceUse %d %d %d", entityNumber, group, index));
    return true;
}

bool UIItemSlot::AcceptDrop(UIWidget* dropped)
{
    if (!dropped || dropped->entityType != 4 || !ForceUse(dropped->GetEntityNumber()))
        return false;
    ItemSlotEndDrag();
    return true;
}

// ---- Clicks ----

void UIItemSlot::OnClick(int32_t button, bool down, int32_t /*x*/, int32_t /*y*/)
{
    if (!down)
        return;
    bool eitherButton = gGameData && gGameData->GetTuning().eitherButtonToUseItem;
    if (button == 1 || (button == 0 && eitherButton))
        RightClick();
    else if (button == 0)
        LeftClick();
}

void UIItemSlot::RightClick()
{
    if (vendorSlot) {
        Buy();
    } else if (itemSlotType == ItemSlotType::Bag) {
        if (group == InventoryGroupIndex::Main)
            ExecuteCommandLine(StringFormat("pushPopMenu bag%d", index));
        else if (group == InventoryGroupIndex::Loot)
            ExecuteCommandLine(StringFormat("pushPopMenu stashBag%d", index));
    } else {
        Activate();
    }
}

void UIItemSlot::LeftClick()
{
    // A slot naming no cell of the inventory takes part in nothing, but for a trader's sell area:
    // a vendor slot that only takes drops, where an item dropped is sold.
    bool sellArea = vendorSlot && onlyDrop && ItemSlotDragged();
    if (!canMove || (ItemSlotPlayer() && !HasCell() && !sellArea))
        return;
    UIItemSlot* dragged = ItemSlotDragged();
    if (!IsAvailable(dragged) && !TakesDrop(dragged)) {
        Refuse(dragged);
        return;
    }
    if (!dragged) {
        PickUp();
        return;
    }
    DropOn(*dragged);
}

bool UIItemSlot::IsAvailable(const UIItemSlot* /*dragged*/) const
{
    PlayerClient* player = ItemSlotPlayer();
    if (!player)
        return false;
    bool buys = CounterpartFlag("Vendor");
    if (group == InventoryGroupIndex::Loot && !buys) {
        const EntityClient* counterpart = GetCounterpart();
        if (!counterpart || counterpart->covenantIndex != player->covenantIndex)
            return false;
    }
    if (itemSlotType != ItemSlotType::Bag || (group == InventoryGroupIndex::Loot && buys))
        return true;
    return BagItemCount() == 0;
}

bool UIItemSlot::TakesDrop(const UIItemSlot* dragged) const
{
    int32_t contents = -1;
    const InventoryBase* inventory = GetBagContents(contents);
    if (itemSlotType != ItemSlotType::Bag || !dragged || !inventory)
        return false;
    return inventory->CountItems(contents) < inventory->GetSlotCount(contents) || dragged->group == GetBagGroup();
}

void UIItemSlot::Refuse(const UIItemSlot* dragged) const
{
    if (dragged && dragged->GetItem())
        ItemSlotMessage("$$BagIsFull$$");
    else if (itemSlotType == ItemSlotType::Bag)
        ItemSlotMessage("$$CantPickupBagsWithItems$$");
    else
        ItemSlotMessage("$$CantTakeThisItem$$");
}

void UIItemSlot::PickUp()
{
    if (onlyDrop || !GetItem() || !gUISystem)
        return;
    gUISystem->dragWidget = this;
    ItemSlotSound(InterfaceSound::ItemPickup);
}

void UIItemSlot::DropOn(UIItemSlot& dragged)
{
    if (vendorSlot && !dragged.vendorSlot)
        dragged.Sell();
    else if (dragged.vendorSlot && !vendorSlot)
        dragged.Buy();
    else
        Move(dragged);
    ItemSlotEndDrag();
    if (const ItemClient* item = dragged.GetItem())
        PlayUiSound(item->GetUseSound());
}

void UIItemSlot::Move(UIItemSlot& dragged)
{
    if (!MoveFits(dragged))
        return;
    if (!KeepsBagsOutOfThemselves(dragged) || !dragged.KeepsBagsOutOfThemselves(*this)) {
        ItemSlotMessage("$$CantMoveItemHere$$");
        return;
    }
    const ItemClient* mine = GetItem();
    const ItemClient* theirs = dragged.GetItem();
    bool stays = !ItemSlotPlayer() || (ItemSlotNoDrop(theirs) && group >= kItemSlotCarriedGroups) ||
                 (ItemSlotNoDrop(mine) && dragged.group >= kItemSlotCarriedGroups);
    if (stays) {
        ItemSlotMessage("$$ItemMustStayInInventory$$");
        return;
    }
    Client::QueueServerCommand(StringFormat("moveItem %d %d %d %d", dragged.group, dragged.index, group, index));
}

bool UIItemSlot::MoveFits(const UIItemSlot& dragged) const
{
    const ItemClient* mine = GetItem();
    const ItemClient* theirs = dragged.GetItem();
    if (dragged.MayHold(mine) && MayHold(theirs))
        return true;
    const char* typeName = nullptr;
    if (theirs && !TypeTakes(*theirs, itemSlotType))
        typeName = SlotTypeName(itemSlotType);
    else if (mine && !TypeTakes(*mine, dragged.itemSlotType))
        typeName = SlotTypeName(dragged.itemSlotType);
    if (typeName) {
        ItemSlotMessage(StringFormat("$$SlotCanOnlyHold$$ $$%sOnlyHold$$!", typeName));
        return false;
    }
    // The kinds fit, yet an equipment place refuses: it went back to the pack without a word.
    std::string refusal;
    if (theirs && group == InventoryGroupIndex::Equipment && !MayHold(theirs))
        refusal = ItemSlotWearRefusal(theirs, index);
    else if (mine && dragged.group == InventoryGroupIndex::Equipment && !dragged.MayHold(mine))
        refusal = ItemSlotWearRefusal(mine, dragged.index);
    if (!refusal.empty())
        ItemSlotMessage(refusal);
    return false;
}

// Outside the bag rows the test passes whenever the other slot names a group, as the game did.
bool UIItemSlot::KeepsBagsOutOfThemselves(const UIItemSlot& other) const
{
    int32_t bag = GetBagGroup();
    if (bag >= 0)
        return bag != other.group;
    return other.group != -1;
}

// ---- Buying, selling, using ----

int32_t UIItemSlot::BuyPrice(const ItemClient& item) const
{
    if (IsGambleCase())
        return item.GetPrice();
    // Mended: a stack was priced whole, while the host sells one unit of it.
    double price = std::floor(static_cast<double>(item.GetValue(false)) * VendorPriceFactor(item));
    return static_cast<int32_t>(std::clamp(price, 0.0, static_cast<double>(std::numeric_limits<int32_t>::max())));
}

float UIItemSlot::VendorPriceFactor(const ItemClient& item) const
{
    return repurchaseSlot && gGameData ? GetSellPercent(gGameData->GetTuning(), item.GetValue(false)) : 1.0f;
}

bool UIItemSlot::CanAfford(const ItemClient& item, int32_t price) const
{
    PlayerClient* player = ItemSlotPlayer();
    if (!player)
        return false;
    if (!item.GetGuardRecord())
        return price <= player->GetStat(CharacterStat::Money);
    PlayerCovenantClient* covenant = player->GetCovenant();
    return covenant && price <= covenant->statistics.Get(CovenantStat::Money);
}

void UIItemSlot::Buy()
{
    if (!vendorSlot)
        return;
    const ItemClient* item = GetItem();
    if (item && CanAfford(*item, BuyPrice(*item))) {
        Client::QueueServerCommand(StringFormat("buyItem %d %d", group, index));
        ItemSlotSound(InterfaceSound::BuyItem);
    } else if (item) {
        ItemSlotMessage("$$CantAffordItem$$");
    }
}

void UIItemSlot::Sell()
{
    const ItemClient* item = GetItem();
    bool buysItems = CounterpartFlag("Vendor");
    bool buysGuards = CounterpartFlag("GuardVendor");
    if (!item || (!buysItems && !buysGuards) || group == InventoryGroupIndex::Loot)
        return;
    if (ItemSlotNoDrop(item))
        ItemSlotMessage("$$CantSellItem$$");
    else if (BagItemCount() > 0)
        ItemSlotMessage("$$CantSellBagsWithItems$$");
    else if (item->GetGuardRecord() && !buysGuards)
        ItemSlotMessage("$$CanOnlySellGuardsToGuardVendor$$");
    else if (!item->GetGuardRecord() && buysGuards)
        ItemSlotMessage("$$CanOnlySellItemsToVendor$$");
    else {
        Client::QueueServerCommand(StringFormat("sellItem %d %d", group, index));
        ItemSlotSound(InterfaceSound::SellItem);
    }
}

void UIItemSlot::DropOutside()
{
    const ItemClient* item = GetItem();
    if (!item)
        return;
    ItemSlotEndDrag();
    if (gUISystem && ForceUse(gUISystem->GetGameView().GetHoveredEntity()))
        return;
    if (ItemSlotNoDrop(item))
        ItemSlotMessage("$$CantDropItem$$");
    else
        Client::QueueServerCommand(StringFormat("dropItem %d %d", group, index));
}

void UIItemSlot::Activate()
{
    const ItemClient* item = GetItem();
    if (!item)
        return;
    if (item->GetItemType() == ItemType::Tome) {
        if (group == InventoryGroupIndex::Loot && CounterpartFlag("Vendor"))
            return;
        if (gUISystem)
            gUISystem->ShowTextFile(GetText(), "Story");
        return;
    }
    // The wearable test is left out: it refuses food and drink, so no potion could be drunk from a
    // slot; the host judges the use of a wearable item by its own rules.
    bool carried = group != InventoryGroupIndex::Stash && group != InventoryGroupIndex::Loot && !item->IsUnidentified();
    // What the host would refuse without a word (an item still cooling down, one the wearer falls
    // short of) is refused here with the words the item's tooltip gives.
    std::string refusal = carried ? CooldownText(*item) : std::string();
    if (carried && refusal.empty() && group != InventoryGroupIndex::Equipment)
        refusal = ItemSlotUnmetForWearing(item);
    if (!refusal.empty()) {
        ItemSlotMessage(refusal);
        return;
    }
    if (!carried || !item->IsUsable())
        return;
    item->RequestUse(group, index);
}
