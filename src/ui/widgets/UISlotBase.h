// UISlotBase -- the base of the widgets that stand for one thing the player owns and may drag: the slot reference that drags and quick-use slots read, and the drop outside every menu.
#pragma once

#include "ui/UIWidget.h"

#include <cstdint>

class PlayerClient;
enum class InterfaceSound : int32_t;

// Main thread. Kind 0 of the slot reference is an item slot (bag, cell), kind 1 a skill slot
// (tree, index).
class UISlotBase : public UIWidget {
public:
    // A force-use on the entity under the cursor, then the drag ends.
    void OnDropOutside() override;
    void CopyFrom(const UIWidget& source) override;

    virtual void GetSlotRef(int32_t& kind, int32_t& a, int32_t& b) const = 0;
    virtual void SetSlotRef(int32_t a, int32_t b) = 0;
    virtual void ClearSlot() = 0;
    // The database index of what the slot follows; -1 for nothing.
    virtual int32_t GetItemId() const = 0;
    virtual void SetItem(int32_t id) = 0;
    // Finds the content again where it moved; false when it is gone.
    virtual bool Resync() = 0;
    virtual bool ForceUse(int32_t /*entityNumber*/) { return false; }
    // Says why the content cannot be used (a skill not learned).
    virtual void ReportUnavailable() {}

    // Whether the slot is being drawn at the cursor or is the UI system's dragged widget.
    bool IsDragged() const;
    // The local player in a game, or the character set-up's preview player; null for neither.
    static PlayerClient* GetPlayer();
    // One of the game client's interface sounds at the local player.
    static void PlaySlotSound(InterfaceSound which);

    bool fullDisplay = true;
    bool inUseSlot = false;
};
