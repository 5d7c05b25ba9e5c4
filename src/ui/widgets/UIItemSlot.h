// UIItemSlot -- one place of an inventory on screen (a bag cell, an equipment location, a bag row, a stash cell, a vendor's offer): the item's icon and overlays, its tooltip, and the clicks and drags that become the world host's item requests.
#pragma once

#include "resources/ResourceHandle.h"
#include "ui/widgets/UISlotBase.h"

#include <cstdint>
#include <string>

class DatabaseEntry;
class InventoryBase;
class EntityClient;
class ItemClient;
class PlayerClient;

// Main thread. The slot reads the client's inventory mirrors and never changes them: every
// change is a request line the world host answers with its next update.
class UIItemSlot : public UISlotBase {
public:
    UIItemSlot();
    ~UIItemSlot() override;

    // ---- Widget operations ----
    void Draw() override;
    void Update(float seconds) override;
    void OnActivate() override { Activate(); }
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title) override;
    void OnAttach() override { AttachToMenu(); }
    void OnDropOutside() override { DropOutside(); }
    // An empty slot that shows itself draws the black cell.
    void AttachToMenu();
    // The dragged item let go outside every menu: force-used on the hovered entity, else dropped.
    void DropOutside();
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    bool AcceptDrop(UIWidget* dropped) override;
    // The item's history: its "TextFile", or an empty text.
    std::string GetLocationText() const override;
    UIWidget* NewOfSameKind() const override { return new UIItemSlot(); }
    void CopyFrom(const UIWidget& source) override;

    // ---- Slot operations ----
    void GetSlotRef(int32_t& kind, int32_t& a, int32_t& b) const override;
    void SetSlotRef(int32_t newGroup, int32_t newIndex) override;
    void ClearSlot() override;
    int32_t GetItemId() const override;
    void SetItem(int32_t id) override;
    bool Resync() override { return FollowItem(); }
    // The item here waits for its item timer to run out before it can be used again.
    bool IsCoolingDown() const;
    bool ForceUse(int32_t entityNumber) override;

    // ---- What the slot shows and trades with ----
    // The item in the slot's cell of the local player's (or the used stash's) inventory.
    ItemClient* GetItem() const;
    // The group whose items the bag in this cell holds; -1 outside the bag rows.
    int32_t GetBagGroup() const;
    // The inventory and group holding the cells of the bag in this slot's bag row; null when
    // none. A stored bag's cells are the open stash's, where GetItem reads them.
    const InventoryBase* GetBagContents(int32_t& contents) const;
    int32_t BagItemCount() const;
    // The inventory of the stash the local player has open (its own or its covenant's); null
    // when no stash is open.
    const InventoryBase* GetStashInventory() const;
    // The entity the player trades with; null for none.
    static EntityClient* GetCounterpart();
    static bool CounterpartFlag(const char* key);
    // A gambler's offer, bought unseen at its gamble price; the buy-back cells are plain sales.
    bool IsGambleCase() const;
    // A "General" slot (every bag cell) takes any item; the others the items of their type.
    static bool TypeTakes(const ItemClient& item, int32_t type);
    // The "ItemSlotType" name; "None" outside the table.
    static const char* SlotTypeName(int32_t type);
    // The item's "TextFile", or an empty text.
    std::string GetText() const;

    // ---- Operations ----
    void Activate();
    void Buy();
    void Sell();
    // Moves the slot to the first carried cell holding the followed definition; false when none.
    bool FollowItem();
    void RefreshIcon();
    // Whether the item may lie in this slot (no item always may).
    bool MayHold(const ItemClient* item) const;
    // The slot names a cell the local player's inventory has (a stash's cells are the stash's).
    bool HasCell() const;

    int32_t group = 0;
    int32_t index = -1;
    int32_t itemSlotType = 19;
    bool vendorSlot = false;
    bool repurchaseSlot = false;
    ResourceHandle tintTexture;
    ResourceHandle cooldownTexture;
    ResourceHandle highlightTexture;
    ResourceHandle highlightBadTexture;
    ResourceHandle outlineTexture;
    ResourceHandle unidentifiedTexture;
    const DatabaseEntry* followedDefinition = nullptr;
    const DatabaseEntry* shownDefinition = nullptr;
    bool onlyDrop = false;
    std::string emptyTexture;
    Color emptyColor;
    bool hideIfEmpty = false;
    bool canMove = true;

private:
    void LeftClick();
    void RightClick();
    bool IsAvailable(const UIItemSlot* dragged) const;
    bool TakesDrop(const UIItemSlot* dragged) const;
    void Refuse(const UIItemSlot* dragged) const;
    void PickUp();
    void DropOn(UIItemSlot& dragged);
    void Move(UIItemSlot& dragged);
    bool MoveFits(const UIItemSlot& dragged) const;
    bool KeepsBagsOutOfThemselves(const UIItemSlot& dragged) const;
    // What the vendor charges for one unit, as the host reckons it.
    int32_t BuyPrice(const ItemClient& item) const;
    // 1, or in a repurchase slot the share of the unit's value that buys it back.
    float VendorPriceFactor(const ItemClient& item) const;
    bool CanAfford(const ItemClient& item, int32_t price) const;
    static bool IsShelvedTome(const PlayerClient& player, const ItemClient& item);
    float CooldownLeft(const ItemClient& item) const;
    void DrawOverlays(const PlayerClient& player, const ItemClient* item);
    void DrawCounts(const ItemClient& item);
    bool DrawDropHighlight();
    void AppendCooldownLine(const ItemClient& item, std::string& out) const;
    // "Can't use for another ..." while the item's timer runs; empty when it may be used.
    std::string CooldownText(const ItemClient& item) const;
    std::string IconName(const ItemClient& item) const;
};
