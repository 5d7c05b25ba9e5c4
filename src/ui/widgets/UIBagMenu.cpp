// UIBagMenu -- a window on one bag of the local player: the template menu that fits the bag's size cloned into it, as many item slots shown as the bag has, closed when the bag is gone.
#include "ui/widgets/UIBagMenu.h"

#include "client/ClientApp.h"
#include "client/PlayerClient.h"
#include "core/DebugSystem.h"
#include "core/EngineEnums.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIItemSlot.h"

#include <algorithm>

void UIBagMenu::Update(float seconds)
{
    UIMenu::Update(seconds);
    if (!IsShown())
        return;
    int32_t bagSize = GetBagSize();
    if (bagSize == 0) {
        if (pushed && gUISystem)
            gUISystem->RemoveMenu(this);
        return;
    }
    Rebuild(bagSize);
    ShowSlotsBelow(bagSize);
}

void UIBagMenu::ShowSlotsBelow(int32_t bagSize)
{
    for (UIWidget* widget : GetWidgets())
        if (auto* slot = dynamic_cast<UIItemSlot*>(widget))
            slot->SetVisible(slot->index < bagSize);
}

void UIBagMenu::OnShow(bool /*firstTime*/)
{
    Rebuild(GetBagSize());
    if (!gUISystem)
        return;
    std::vector<UIMenu*>& open = gUISystem->openBagMenus;
    if (std::find(open.begin(), open.end(), this) == open.end())
        open.push_back(this);
    gUISystem->ArrangeOpenBagMenus();
}

void UIBagMenu::OnHide()
{
    if (!gUISystem)
        return;
    std::vector<UIMenu*>& open = gUISystem->openBagMenus;
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    gUISystem->ArrangeOpenBagMenus();
}

bool UIBagMenu::ReadProperty(const std::string& key, TextParser& parser)
{
    if (StringEqualsNoCase(key, "group")) {
        SetGroup(GetInventoryGroupIndexByName(parser.ReadString(false)));
        return true;
    }
    if (StringEqualsNoCase(key, "bagTemplate")) {
        bagTemplateSizes.push_back(parser.GetInt(false));
        bagTemplateMenus.push_back(parser.ReadString(false));
        return true;
    }
    return UIMenu::ReadProperty(key, parser);
}

void UIBagMenu::SetGroup(int32_t newGroup)
{
    group = newGroup;
    for (UIWidget* widget : GetWidgets()) {
        if (auto* slot = dynamic_cast<UIItemSlot*>(widget)) {
            slot->group = group;
            slot->itemSlotType = ItemSlotType::General;
        }
    }
}

int32_t UIBagMenu::GetBagSize() const
{
    const auto* player = gClientApp ? dynamic_cast<const PlayerClient*>(gClientApp->GetLink()) : nullptr;
    if (!player || player->GetEntityNumber() < 0)
        return 0;
    int32_t row = InventoryGroupIndex::Main;
    int32_t place = 0;
    if (group >= InventoryGroupIndex::Bag1 && group <= InventoryGroupIndex::Bag4) {
        place = group - InventoryGroupIndex::Bag1;
    } else if (group >= InventoryGroupIndex::LootBag1 && group <= InventoryGroupIndex::LootBag8) {
        row = InventoryGroupIndex::Loot;
        place = group - InventoryGroupIndex::LootBag1;
    }
    // Any other group reads the first place of the bag row, as the game always has.
    const ItemBase* bag = player->GetInventory().GetItem(row, place);
    return bag && bag->GetDefinition() ? bag->GetDefinition()->bagSize : 0;
}

std::string UIBagMenu::TemplateFor(int32_t bagSize) const
{
    for (size_t i = 0; i < bagTemplateSizes.size() && i < bagTemplateMenus.size(); ++i)
        if (bagTemplateSizes[i] == bagSize)
            return bagTemplateMenus[i];
    return {};
}

void UIBagMenu::Rebuild(int32_t bagSize)
{
    std::string templateName = TemplateFor(bagSize);
    if (templateName == currentTemplate)
        return;
    currentTemplate = templateName;
    UIMenu* source = gUISystem && !templateName.empty() ? gUISystem->FindMenu(templateName) : nullptr;
    if (!source)
        return;
    // Copying from itself would read the widgets being destroyed.
    if (source == this) {
        DebugSystem::Print(kPrintWarning, "Bag menu %s names itself as a bag template\n", name.c_str());
        return;
    }
    // The UI system and the drag may still point at the widgets about to go.
    gUISystem->ForgetWidgetsOf(this);
    AddWidgetsFrom(source);
    source->GetSize(size[0], size[1]);
    SetGroup(group);
}
