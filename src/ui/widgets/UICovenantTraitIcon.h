// UICovenantTraitIcon -- the icon and the description of one trait of the widget's covenant.
#pragma once

#include "ui/UIWidget.h"

#include <cstdint>
#include <string>

class CovenantTrait;

// Main thread. Made in code by the menu that lists a covenant's traits, which sets the slot; no
// layout keyword could give it one. Copies clone as a plain widget.
class UICovenantTraitIcon : public UIWidget {
public:
    explicit UICovenantTraitIcon(int32_t slot = -1) : traitSlot(slot) {}
    ~UICovenantTraitIcon() override;

    // The texture follows the trait at the slot; none without one.
    void Update(float seconds) override;
    // The trait's name, and its description on a line of its own when it has one.
    bool GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title) override;

    // The trait at the slot of the widget's covenant; null for none.
    const CovenantTrait* GetTrait() const;

    int32_t traitSlot = -1;
};
