// EditorViews -- the editors as the frame sees them: whether the area editor holds the screen, and both editors' views drawn after the world.
#include "tools/EditorViews.h"

#include "tools/LevelEditor.h"
#include "tools/ModelEditor.h"

bool EditorViews::IsAreaEditorOpen() const
{
    return gLevelEditor && gLevelEditor->IsActive();
}

bool EditorViews::IsModelEditorActive() const
{
    return gModelEditor && gModelEditor->IsActive();
}

void EditorViews::RefreshGroundDetail()
{
    if (gLevelEditor)
        gLevelEditor->RefreshGroundDetail();
}

void EditorViews::DrawViews()
{
    if (gLevelEditor)
        gLevelEditor->Draw();
    if (gModelEditor)
        gModelEditor->Draw();
}
