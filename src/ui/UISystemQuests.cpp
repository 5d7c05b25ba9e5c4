// UISystem -- a new quest that asks to be shown: the quest window opened on its slot.
#include "ui/UISystem.h"

#include "ui/UIMenu.h"
#include "ui/UIWidget.h"

#include <string>

void UISystem::ShowQuestSlot(int32_t slot)
{
    UIMenu* quests = FindMenu("Quests");
    if (!quests)
        return;
    if (!quests->IsShown())
        ShowMenu("Quests");
    quests->HandleMenuCommand("menuCommand unselectAll");
    if (UIWidget* row = FindWidgetByPath("Quests::Quest" + std::to_string(slot)))
        row->SetSelected(true);
}
