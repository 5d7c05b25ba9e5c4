// UICovenantTraitIcon -- the icon and the description of one trait of the widget's covenant.
#include "ui/widgets/UICovenantTraitIcon.h"

#include "rules/GameData.h"
#include "rules/covenants/CovenantTrait.h"
#include "ui/UiGameView.h"

UICovenantTraitIcon::~UICovenantTraitIcon() = default;

const CovenantTrait* UICovenantTraitIcon::GetTrait() const
{
    UiCovenantFacts covenant;
    if (traitSlot < 0 || !gGameData || !GetCovenant(covenant))
        return nullptr;
    if (traitSlot >= static_cast<int32_t>(covenant.traits.size()))
        return nullptr;
    int32_t index = covenant.traits[static_cast<size_t>(traitSlot)];
    if (index < 0 || index >= gGameData->GetCovenantTraitCount())
        return nullptr;
    return gGameData->GetCovenantTrait(index);
}

void UICovenantTraitIcon::Update(float seconds)
{
    UIWidget::Update(seconds);
    const CovenantTrait* trait = GetTrait();
    SetTexture(trait ? trait->textureName : std::string());
}

bool UICovenantTraitIcon::GetHelpText(int32_t /*x*/, int32_t /*y*/, std::string& text, std::string& /*title*/)
{
    const CovenantTrait* trait = GetTrait();
    if (!trait)
        return false;
    text = trait->name;
    if (!trait->description.empty())
        text += "\n" + trait->description;
    return true;
}
