// UISkillSlotButtons -- the two small buttons beside a skill slot (their parent widget) that ask the world host to raise or lower its skill by one level, each drawn only while it can act.
#pragma once

#include "ui/UIWidget.h"

#include <cstdint>
#include <string>

class PlayerClient;
class SkillClient;
class UISkillSlot;

// Main thread. Without a skill slot as parent, or a skill in it, a button does nothing.
class UISkillSlotIncrease : public UIWidget {
public:
    UISkillSlotIncrease() { canClick = true; }

    void Draw() override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title) override;
    UIWidget* NewOfSameKind() const override { return new UISkillSlotIncrease(); }

    // Below the maximum level (none for 0) and the next level's price within "SkillPointsLeft".
    bool CanIncrease() const;
};

// Clones as a plain widget: it has no copy of its own.
class UISkillSlotDecrease : public UIWidget {
public:
    UISkillSlotDecrease() { canClick = true; }

    void Draw() override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title) override;

    // Above the skill's "StartingSkillLevel".
    bool CanDecrease() const;
};

// The parent skill slot's skill of the local (or preview) player; null for none.
SkillClient* SkillSlotButtonSkill(const UIWidget& button);
