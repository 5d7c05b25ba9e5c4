// UIUseSlot -- one box of the quick-use bar: holds its own copy of a dragged skill or item slot, uses it on a right click or the hot key, and keeps what it holds in the local player's quick-use table.
#pragma once

#include "resources/ResourceHandle.h"
#include "ui/UIWidget.h"

#include <cstdint>
#include <memory>
#include <string>

class UISlotBase;

// Main thread. Not a slot itself: it owns one (or none) and draws it in its own place. A use
// slot without an "index" (-1) neither reads nor stores the player's table.
class UIUseSlot : public UIWidget {
public:
    // Quick-use kinds of the player's table.
    static constexpr int32_t kKindItem = 0;
    static constexpr int32_t kKindSkill = 1;
    static constexpr int32_t kKindEmpty = 2;

    UIUseSlot();
    ~UIUseSlot() override;

    void Draw() override;
    void Update(float seconds) override;
    void OnActivate() override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title) override;
    void OnPlayerChanged() override;
    void OnAttach() override { OnPlayerChanged(); }
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    void OnDropOutside() override;
    bool AcceptDrop(UIWidget* target) override;
    UIWidget* NewOfSameKind() const override { return new UIUseSlot(); }
    void CopyFrom(const UIWidget& source) override;

    // The content made anew by kind (item or skill slot; any other kind empties the slot).
    // report: a skill the player lacks says so.
    void SetContent(int32_t kind, int32_t a, int32_t b, int32_t itemId, bool report);
    void ClearContent();
    // This slot's record into the local player's table.
    void Store() const;
    // The empty record with its sound: the "clearUseSlot" command.
    void Clear();
    UISlotBase* GetContent() const { return content.get(); }
    // The content is an item slot whose item is no longer carried.
    bool HasRunOut() const;

    std::unique_ptr<UISlotBase> content;
    int32_t index = -1;

private:
    // The picture of an empty slot, and the cover over an item that ran out.
    ResourceHandle emptyPicture;
    ResourceHandle coverPicture;

    void TakeDragged();
    void DrawContent();
    // An item held here whose timer ran out this frame queues the player's use hint.
    void UpdateItemReadyHint();

    bool itemCooling = false;
};
