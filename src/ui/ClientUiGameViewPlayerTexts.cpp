// ClientUiGameView -- what the player's text sources read from the client: an entity's hover name and running timed action, the level the player stands on and whether a quest of theirs is there, a skill's name and the filled slots of a bag.
#include "ui/ClientUiGameView.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/QuestClient.h"
#include "rules/items/InventoryBase.h"
#include "rules/skills/SkillDefinition.h"
#include "world/World.h"

#include <algorithm>
#include <climits>

namespace {

const EntityClient* PlayerTextsEntity(int32_t number)
{
    return gGameClient ? gGameClient->GetEntity(number) : nullptr;
}

PlayerClient* PlayerTextsPlayer()
{
    return gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
}

// The level of the player's body; -1 without one.
int32_t PlayerTextsLevel()
{
    PlayerClient* player = PlayerTextsPlayer();
    const EntityClient* body = player ? player->GetBody() : nullptr;
    return body ? body->position.level : -1;
}

} // namespace

std::string ClientUiGameView::GetEntityHoverName(int32_t entity, bool nameOnly, bool forAnyEntity, bool withOwnTag) const
{
    const EntityClient* shown = PlayerTextsEntity(entity);
    return shown ? shown->GetHoverText(nameOnly, forAnyEntity, withOwnTag) : std::string();
}

int32_t ClientUiGameView::GetEntityTimedAction(int32_t entity) const
{
    const EntityClient* shown = PlayerTextsEntity(entity);
    return shown ? shown->timerType : 0;
}

std::string ClientUiGameView::GetPlayerLevelName() const
{
    int32_t level = PlayerTextsLevel();
    return level >= 0 && gWorld ? gWorld->GetLevelName(level) : std::string();
}

bool ClientUiGameView::IsQuestTargetHere() const
{
    PlayerClient* player = PlayerTextsPlayer();
    int32_t level = PlayerTextsLevel();
    if (!player || level < 0)
        return false;
    for (int32_t slot = 0; slot < PlayerClient::kQuestSlots; ++slot) {
        QuestClient* quest = player->GetQuestSlot(slot);
        if (quest && quest->IsTargetLevel(level))
            return true;
    }
    return false;
}

std::string ClientUiGameView::GetSkillName(int32_t tree, int32_t index) const
{
    PlayerClient* player = PlayerTextsPlayer();
    const SkillBase* skill = player ? player->GetSkillList().FindSkill(tree, index) : nullptr;
    return skill && skill->definition ? skill->definition->name : std::string();
}

// The count never reaches past the bag's own slots, whatever count is asked.
int32_t ClientUiGameView::CountFilledSlots(int32_t bag, int32_t count) const
{
    PlayerClient* player = PlayerTextsPlayer();
    if (!player || bag < 0 || bag >= InventoryBase::kBagCount)
        return 0;
    const InventoryBase& inventory = player->GetInventory();
    int32_t last = std::min(count, inventory.GetSlotCount(bag));
    int32_t filled = 0;
    for (int32_t slot = 0; slot < last; ++slot)
        filled += inventory.GetItem(bag, slot) ? 1 : 0;
    return filled;
}

// The skill an attribute point would bring nearer its next level.
bool ClientUiGameView::GetBonusSkill(int32_t attribute, std::string& name, int32_t& nextLevel, int32_t& needed) const
{
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    if (!player || attribute < 0 || attribute > CharacterStat::BaseSpirit)
        return false;
    for (const auto& skill : player->GetSkillList().GetSkills()) {
        const SkillDefinition* definition = skill ? skill->definition : nullptr;
        // A skill may name the base attribute or the attribute with its bonuses; either way the
        // points it misses are the base points still to spend.
        bool raised = definition && (definition->statReq == attribute ||
                                     definition->statReq == attribute + CharacterStat::Strength);
        if (!raised)
            continue;
        int32_t level = skill->GetLevel();
        int32_t missing = definition->GetMissingRequirementPoints(level, player->stats);
        if (missing <= 0)
            continue;
        // A record's name may already be a key.
        name = definition->name.rfind("$$", 0) == 0 ? definition->name : "$$" + definition->name + "$$";
        nextLevel = level + 1;
        needed = missing + player->stats.Get(attribute);
        return true;
    }
    return false;
}

int32_t ClientUiGameView::GetSkillAttributeBonus(int32_t attribute) const
{
    PlayerClient* player = gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
    if (!player || attribute < 0 || attribute > CharacterStat::BaseSpirit)
        return 0;
    int64_t bonus = 0;
    for (const auto& skill : player->GetSkillList().GetSkills()) {
        const SkillDefinition* definition = skill ? skill->definition : nullptr;
        int32_t level = definition ? skill->GetLevel() : 0;
        if (level > 0 && definition->passive && !definition->applyStatsOnIncrease)
            bonus += definition->GetStatChangeAtLevel(attribute + CharacterStat::Strength, level);
    }
    return static_cast<int32_t>(std::clamp<int64_t>(bonus, INT32_MIN, INT32_MAX));
}
