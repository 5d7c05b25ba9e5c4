// UISystem -- a new quest that asks to be shown: the quest window opened on its slot.
#include "ui/UISystem.h"

#include "core/UserVarSystem.h"
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
    // After the window is shown: its text takes its own user var's first value as it opens.
    // Mended: the slot named before that, so a window it opened told the first slot's quest.
    if (gUserVarSystem)
        gUserVarSystem->SetIntByName("SelectedActiveQuest", slot);
    if (UIWidget* row = FindWidgetByPath("Quests::Quest" + std::to_string(slot)))
        row->SetSelected(true);
}
