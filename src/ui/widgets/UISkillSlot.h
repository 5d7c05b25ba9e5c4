// UISkillSlot -- one skill of the local player on screen: its icon, cool-down sweep, level and next price, used by a right click or the hot key, dragged to quick-use slots, raised in the "IncreaseSkill" mode.
#pragma once

#include "resources/ResourceHandle.h"
#include "ui/widgets/UISlotBase.h"

#include <cstdint>

class PlayerClient;
class SkillClient;

// Main thread. Finds its skill again every update; keeps no other state between frames.
class UISkillSlot : public UISlotBase {
public:
    UISkillSlot();
    ~UISkillSlot() override;

    void Draw() override;
    void Update(float seconds) override;
    void OnActivate() override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    bool IsVisible() const override;
    bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title) override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UISkillSlot(); }
    void CopyFrom(const UIWidget& source) override;

    void GetSlotRef(int32_t& kind, int32_t& a, int32_t& b) const override;
    void SetSlotRef(int32_t tree, int32_t skillIndexInTree) override;
    void ClearSlot() override { SetSlotRef(-1, -1); }
    int32_t GetItemId() const override { return -1; }
    void SetItem(int32_t /*id*/) override {}
    bool Resync() override { return true; }
    // "DontHaveXSkill" with the skill's name when the player lacks the skill.
    void ReportUnavailable() override;

    // The local player's skill at (tree, index); null when it has none there.
    SkillClient* FindSkill() const;
    // The database id the player's skill list knows the shown skill by; -1 for none.
    int32_t SkillEntryId() const;

    int32_t skillTree = -1;
    int32_t skillIndex = -1;
    SkillClient* skill = nullptr;
    int32_t cachedLevel = -1;
    // The skill was ready at the last update: the ready notice goes out on the change to ready.
    bool readyHintShown = true;
    bool canPickup = true;
    int32_t minPointsToShow = -1;
    int32_t maxPointsToShow = -1;
    bool iconOnly = false;
    bool hideNumbers = false;
    bool manaHint = false;
    ResourceHandle outline;

private:
    // The plain texture the cool-down sweep is drawn with.
    ResourceHandle sweep;

    void PlaceInTree();
    void UpdateReadyHint(PlayerClient& player);
    void DrawLevel();
    void DrawPrice();
    void DrawLinkLine();
    void AppendUseRefusals(const PlayerClient& player, std::string& text) const;
    void OfferHelpTopics() const;
};
