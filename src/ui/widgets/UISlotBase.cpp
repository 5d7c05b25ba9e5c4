// UISlotBase -- the base of the widgets that stand for one thing the player owns and may drag: the slot reference that drags and quick-use slots read, and the drop outside every menu.
#include "ui/widgets/UISlotBase.h"

#include "client/ClientApp.h"
#include "client/ClientMusic.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "ui/UISystem.h"

void UISlotBase::OnDropOutside()
{
    if (gUISystem)
        ForceUse(gUISystem->GetGameView().GetHoveredEntity());
    if (gUISystem && gUISystem->dragWidget == this)
        gUISystem->dragWidget = nullptr;
}

void UISlotBase::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* slot = dynamic_cast<const UISlotBase*>(&source);
    if (!slot || slot == this)
        return;
    fullDisplay = slot->fullDisplay;
    inUseSlot = slot->inUseSlot;
}

bool UISlotBase::IsDragged() const
{
    return drawnAtCursor || (gUISystem && gUISystem->dragWidget == this);
}

PlayerClient* UISlotBase::GetPlayer()
{
    auto* player = gClientApp ? dynamic_cast<PlayerClient*>(gClientApp->GetLink()) : nullptr;
    return player && (player->GetEntityNumber() >= 0 || player->displayOnly) ? player : nullptr;
}

void UISlotBase::PlaySlotSound(InterfaceSound which)
{
    if (!gGameClient)
        return;
    int32_t owner = -1;
    SoundPos where;
    ClientMusic::FindLocalPlayerSpot(owner, where);
    gGameClient->GetMusic().PlayInterfaceSoundAt(which, owner, where);
}
