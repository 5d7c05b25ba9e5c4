// UIBagMenu -- a window on one bag of the local player: the template menu that fits the bag's size cloned into it, as many item slots shown as the bag has, closed when the bag is gone.
#pragma once

#include "ui/UIMenu.h"

#include <cstdint>
#include <string>
#include <vector>

// Main thread. Made for "MenuType BagMenu".
class UIBagMenu : public UIMenu {
public:
    void Update(float seconds) override;
    void OnShow(bool firstTime) override;
    void OnHide() override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;

    // Every item slot of the menu shows the group and takes any item.
    void SetGroup(int32_t newGroup);
    // The slot count of the bag item standing in this bag's place; 0 for none.
    int32_t GetBagSize() const;
    // The first template listed for the size; empty for none.
    std::string TemplateFor(int32_t bagSize) const;
    // The template's widgets cloned in place of this menu's, unless they are there already.
    void Rebuild(int32_t bagSize);

    int32_t group = 0;
    std::vector<int32_t> bagTemplateSizes;
    std::vector<std::string> bagTemplateMenus;
    std::string currentTemplate;

private:
    void ShowSlotsBelow(int32_t bagSize);
};
