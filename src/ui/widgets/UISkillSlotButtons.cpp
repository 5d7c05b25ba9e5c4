// UISkillSlotButtons -- the two small buttons beside a skill slot (their parent widget) that ask the world host to raise or lower its skill by one level (or, beside the menus' display-only player, buy a trophy upgrade), each drawn only while it can act.
#include "ui/widgets/UISkillSlotButtons.h"

#include "client/ClientApp.h"
#include "client/ClientMusic.h"
#include "client/ClientProfiles.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/UserProfile.h"
#include "core/EngineEnums.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/skills/SkillDefinition.h"
#include "rules/skills/SkillText.h"
#include "rules/skills/SkillTree.h"
#include "ui/widgets/UISkillSlot.h"

#include <algorithm>

namespace {

const UISkillSlot* SkillSlotButtonParent(const UIWidget& button)
{
    return dynamic_cast<const UISkillSlot*>(button.parentWidget);
}

// The level the world host will not lower the skill below: its own starting level, or the one
// the local player's class starts it at in its tree.
int32_t SkillSlotButtonStartingLevel(const UISkillSlot& slot, const SkillDefinition& definition)
{
    const PlayerClient* player = UISlotBase::GetPlayer();
    const CharacterClass* playerClass = gGameData && player ? gGameData->GetCharacterClass(player->classIndex) : nullptr;
    const SkillTree* tree = playerClass ? playerClass->GetSkillTree(slot.skillTree) : nullptr;
    return std::max(definition.startingSkillLevel, tree ? tree->GetStartingLevel(slot.skillIndex) : 0);
}

// The user whose trophy points the display-only player spends; null without one.
UserProfile* SkillSlotButtonProfile()
{
    return gGameClient ? gGameClient->GetProfiles().GetCurrent() : nullptr;
}

} // namespace

SkillClient* SkillSlotButtonSkill(const UIWidget& button)
{
    const UISkillSlot* slot = SkillSlotButtonParent(button);
    SkillClient* skill = slot && UISlotBase::GetPlayer() ? slot->FindSkill() : nullptr;
    return skill && skill->definition ? skill : nullptr;
}

// ---- Raising ----

bool UISkillSlotIncrease::CanIncrease() const
{
    const SkillClient* skill = SkillSlotButtonSkill(*this);
    if (!skill)
        return false;
    int32_t level = skill->GetLevel();
    int32_t maximum = skill->GetMaxLevel();
    if (maximum != 0 && level >= maximum)
        return false;
    const PlayerClient& player = *UISlotBase::GetPlayer();
    // The menus' display-only player is raised with the user's trophy points, at the profile's prices.
    if (player.displayOnly) {
        const UserProfile* profile = SkillSlotButtonProfile();
        const UISkillSlot& slot = *SkillSlotButtonParent(*this);
        int32_t cost = profile ? profile->GetUpgradeCost(player, slot.skillTree, slot.skillIndex) : -1;
        return cost >= 0 && cost <= profile->GetUpgrade(CharacterStat::SkillPointsLeft);
    }
    return skill->GetCostForLevel(level) <= player.GetStat(CharacterStat::SkillPointsLeft);
}

void UISkillSlotIncrease::Draw()
{
    if (CanIncrease())
        UIWidget::Draw();
}

void UISkillSlotIncrease::OnClick(int32_t button, bool down, int32_t /*x*/, int32_t /*y*/)
{
    if (button != 0 || !down || !CanIncrease())
        return;
    const UISkillSlot& slot = *SkillSlotButtonParent(*this);
    PlayerClient& player = *UISlotBase::GetPlayer();
    if (player.displayOnly) {
        // A trophy upgrade: the profile keeps it for every new character, and the preview shows it.
        if (UserProfile* profile = SkillSlotButtonProfile())
            profile->IncreaseSkill(player, slot.skillTree, slot.skillIndex);
    } else {
        Client::QueueServerCommand(StringFormat("increaseSkill %d %d ", slot.skillTree, slot.skillIndex));
    }
    UISlotBase::PlaySlotSound(InterfaceSound::SkillIncrease);
}

bool UISkillSlotIncrease::GetHelpText(int32_t /*x*/, int32_t /*y*/, std::string& text, std::string& /*title*/)
{
    if (!CanIncrease())
        return false;
    const SkillClient& skill = *SkillSlotButtonSkill(*this);
    text = MakeLocToken("LeftClickToIncreaseXByY", "%s %d", skill.definition->baseName.c_str(), 1);
    AppendCostForNextPoint(*skill.definition, UISlotBase::GetPlayer()->stats, skill.GetSlotNumber(), false, text);
    return true;
}

// ---- Lowering ----

bool UISkillSlotDecrease::CanDecrease() const
{
    const SkillClient* skill = SkillSlotButtonSkill(*this);
    return skill && SkillSlotButtonStartingLevel(*SkillSlotButtonParent(*this), *skill->definition) < skill->GetLevel();
}

void UISkillSlotDecrease::Draw()
{
    if (CanDecrease())
        UIWidget::Draw();
}

void UISkillSlotDecrease::OnClick(int32_t button, bool down, int32_t /*x*/, int32_t /*y*/)
{
    if (button != 0 || !down || !CanDecrease())
        return;
    const UISkillSlot& slot = *SkillSlotButtonParent(*this);
    Client::QueueServerCommand(StringFormat("decreaseSkill %d %d ", slot.skillTree, slot.skillIndex));
    UISlotBase::PlaySlotSound(InterfaceSound::SkillIncrease);
}

bool UISkillSlotDecrease::GetHelpText(int32_t /*x*/, int32_t /*y*/, std::string& text, std::string& /*title*/)
{
    if (!CanDecrease())
        return false;
    const SkillClient& skill = *SkillSlotButtonSkill(*this);
    text = MakeLocToken("SkillDecreaseClick", "%s", skill.definition->baseName.c_str()) + "\n";
    AppendCostToDecrease(*skill.definition, UISlotBase::GetPlayer()->stats, skill.GetSlotNumber(), text);
    return true;
}
