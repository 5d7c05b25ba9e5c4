// PlayerClient -- skills used from the client: the click's skill on its target, the request line that asks the world host for a use, and a use held back until the target comes within range.
#include "client/PlayerClient.h"

#include "client/ClientApp.h"
#include "client/ClientMessages.h"
#include "client/GameClient.h"
#include "client/ScreenConversion.h"
#include "core/DatabaseEntry.h"
#include "core/StringUtil.h"
#include "core/system/InputSystem.h"
#include "rules/items/ItemBase.h"
#include "rules/items/ItemDefinition.h"
#include "rules/skills/SkillDefinition.h"

namespace {

// Modes a skill use leaves for none: activating and using an object.
constexpr int32_t kPlayerSkillsActivateMode = 18;
constexpr int32_t kPlayerSkillsUseMode = 19;

// Skills used at once, without a target: on the user itself, or on every ally.
bool PlayerSkillsIsImmediate(const SkillDefinition& definition)
{
    return definition.self || definition.allAllies;
}

bool PlayerSkillsNeedsTarget(const SkillDefinition& definition)
{
    return definition.needsEnemy || definition.needsFriend;
}

bool PlayerSkillsFacesTarget(const SkillDefinition& definition)
{
    return (definition.attack || definition.needsEnemy) && !definition.self && !definition.dontLookAtTarget;
}

// An enemy to a skill: alive, and a click on it would attack it (a click on a townsperson talks).
bool PlayerSkillsIsEnemy(const EntityClient& entity)
{
    return entity.IsAlive() && entity.GetClickAction(true, true) == PlayerClient::kModeAttack;
}

} // namespace

SkillClient* PlayerClient::FindClientSkill(int32_t tree, int32_t index) const
{
    return dynamic_cast<SkillClient*>(skillList.FindSkill(tree, index));
}

EntityClient* PlayerClient::GetSkillTarget() const
{
    EntityClient* target = GetInteractionTarget();
    if (target && target->IsAlive())
        return target;
    if (GetInteractionMode() == kModeAutoAttack && gGameClient)
        if (EntityClient* opponent = gGameClient->GetEntity(opponentNumber))
            return opponent;
    return target;
}

int32_t PlayerClient::GetItemRequirementAt(int32_t bag, int32_t slot) const
{
    const ItemBase* item = inventory ? inventory->GetItem(bag, slot) : nullptr;
    const ItemDefinition* definition = item ? item->GetDefinition() : nullptr;
    return definition ? definition->itemRequirement : kNoItem;
}

// A skill's key with the cursor on an enemy means that enemy, as a click on it would.
EntityClient* PlayerClient::GetHoveredEnemy() const
{
    EntityClient* hovered = gClientApp ? gClientApp->GetHoverEntity() : nullptr;
    return hovered && hovered != GetBody() && PlayerSkillsIsEnemy(*hovered) ? hovered : nullptr;
}

bool PlayerClient::UseSkill(int32_t tree, int32_t index, EntityClient* target)
{
    SkillClient* skill = FindClientSkill(tree, index);
    if (!skill || !skill->definition)
        return false;
    const SkillDefinition& definition = *skill->definition;
    if (!target && definition.needsEnemy)
        target = GetHoveredEnemy();
    if (PlayerSkillsNeedsTarget(definition)) {
        EntityClient* chosen = target ? target : GetSkillTarget();
        FaceSkillTarget(definition, chosen);
        if (skill->GetUseRefusal(stats, chosen, statusFlags) == SkillUse::OutOfRangeOrSight) {
            // Walk up and attack; the frame sends the use once the target is in range.
            if (target && target != GetInteractionTarget())
                SetTarget(target, false);
            SetInteractionMode(true, kModeAttack, true);
            pendingTree = tree;
            pendingSkill = index;
            return false;
        }
    }
    skill->pending = true;
    if (interactionMode == kPlayerSkillsActivateMode || interactionMode == kPlayerSkillsUseMode)
        SetInteractionMode(true, 0, true);
    int32_t cursorX = gInputSystem ? gInputSystem->GetCursorX() : 0;
    int32_t cursorY = gInputSystem ? gInputSystem->GetCursorY() : 0;
    WorldPos mouse = Client::ScreenToWorld(cursorX, cursorY, true);
    int32_t targetNumber = target ? target->entityNumber : -1;
    if (definition.needsFriend) {
        // A party member is chosen by the cursor resting on it.
        const EntityClient* hovered = gClientApp ? gClientApp->GetHoverEntity() : nullptr;
        targetNumber = hovered && hovered->GetPartyRecord() ? hovered->entityNumber : -1;
    }
    if (gClientApp)
        gClientApp->QueueServerCommand(StringFormat("useSkill %d %d %d %d %f %f", tree, index, targetNumber,
                                                    mouse.level, static_cast<double>(mouse.x),
                                                    static_cast<double>(mouse.y)));
    FaceSkillTarget(definition, target);
    return true;
}

// The host turns its player to the target as the use arrives, before its own range and sight
// check; the client turns first as well, or a target within reach but outside a skill's sight
// cone would hold the use back for as long as the player stands. Only an enemy is turned to: a
// townsperson or a corpse left chosen is no target the use takes.
void PlayerClient::FaceSkillTarget(const SkillDefinition& definition, const EntityClient* target)
{
    if (PlayerSkillsFacesTarget(definition) && target && target != this && target != GetBody() &&
        PlayerSkillsIsEnemy(*target))
        FaceTowards(target->position, false);
}

bool PlayerClient::TrySkill(int32_t index, EntityClient* target)
{
    int32_t kind = target ? target->GetClickAction(true, true) : 0;
    SkillClient* skill = FindClientSkill(0, index);
    if (!skill || !skill->definition)
        return false;
    const SkillDefinition& definition = *skill->definition;
    if (PlayerSkillsIsImmediate(definition)) {
        UseSkill(0, index, target);
        return false;
    }
    if (kind != kModeAttack) {
        if (target)
            SelectTargetAndMode(target, false);
        return false;
    }
    bool canPay = CanPayForSkill(definition.GetEntry() ? definition.GetEntry()->GetId() : -1);
    if (PlayerSkillsNeedsTarget(definition)) {
        SelectTargetAndMode(target, false);
        if (canPay) {
            UseSkill(0, index, target);
            return true;
        }
        if (gGameClient)
            gGameClient->GetMessages().ShowMessage("$$NotEnoughPower$$", false);
        return false;
    }
    UseSkill(0, index, target);
    SetTarget(target, true);
    SetInteractionMode(false, 0, true);
    return canPay;
}

void PlayerClient::SelectTargetAndMode(EntityClient* target, bool allowStealthed)
{
    SetTarget(target, false);
    SetInteractionMode(true, target->GetClickAction(TargetWithinReach(), allowStealthed), allowStealthed);
}

void PlayerClient::SendPendingSkill()
{
    if (pendingTree < 0 || pendingSkill < 0)
        return;
    SkillClient* skill = FindClientSkill(pendingTree, pendingSkill);
    if (!skill) {
        pendingTree = -1;
        pendingSkill = -1;
        return;
    }
    EntityClient* target = GetSkillTarget();
    // Mended: the held use turned the player back every frame, so a player sent elsewhere by a
    // click walked away facing the target; it turns only in a frame it stands, as the frame does.
    if (skill->definition && !walkedThisFrame)
        FaceSkillTarget(*skill->definition, target);
    if (skill->GetUseRefusal(stats, target, statusFlags) != SkillUse::Usable)
        return;
    int32_t tree = pendingTree;
    int32_t index = pendingSkill;
    pendingTree = -1;
    pendingSkill = -1;
    UseSkill(tree, index, target);
}
