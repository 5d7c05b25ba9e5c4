// EntityClient -- what the maps, the cursor's pick and the help labels ask of an entity: its blip and colour, its pick priority, whether an item may be dropped on it, whether a help label names it.
#include "client/EntityClient.h"

#include "client/ClientApp.h"
#include "client/ClientSight.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/StatusEffectClient.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"

namespace {

// The colour-table indices of the blips.
namespace BlipColour {
constexpr int32_t kQuestItem = 0;
constexpr int32_t kHostile = 1;
constexpr int32_t kFriend = 2;
constexpr int32_t kQuestGiver = 3;
constexpr int32_t kNeutral = 6;
constexpr int32_t kUsable = 8;
} // namespace BlipColour

constexpr uint32_t kEntityClientMapHelpHidden = 0x1;

const PlayerClient* EntityClientMapPlayer()
{
    return gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
}

} // namespace

const EntityClient* EntityClient::GetTopOwner() const
{
    // GetOwner answers null for a loop or an overlong chain, so this walk ends.
    const EntityClient* top = this;
    while (const EntityClient* owner = top->GetOwner())
        top = owner;
    return top;
}

bool EntityClient::IsMonster() const
{
    // The world host names a creature by its actor definition; the monster type is found from it.
    return monsterType || (record && record->GetType() == DatabaseEntryType::MonsterType);
}

bool EntityClient::IsLyingOnGround() const
{
    int32_t type = record ? record->GetType() : DatabaseEntryType::None;
    return type == DatabaseEntryType::Item || type == DatabaseEntryType::Money || type == DatabaseEntryType::QuestItem;
}

bool EntityClient::IsPlayerQuestItem() const
{
    const EntityClient* own = gClientApp ? gClientApp->GetLocalPlayerEntity() : nullptr;
    return record && record->GetType() == DatabaseEntryType::QuestItem && own && questRecord &&
           questRecord == own->GetRecord();
}

const std::vector<int32_t>* EntityClient::GetPartyRecord() const
{
    const PlayerClient* player = EntityClientMapPlayer();
    return player && player->IsInParty(entityNumber) ? &player->party : nullptr;
}

bool EntityClient::IsInPartyWith(const EntityClient& other) const
{
    if (&other == this || (entityNumber != -1 && other.entityNumber == entityNumber))
        return true;
    const PlayerClient* player = EntityClientMapPlayer();
    if (!player)
        return false;
    // The player answers through its own object or through its body in the table.
    auto isLeader = [player](const EntityClient& entity) {
        return &entity == player || (entity.entityNumber != -1 && entity.entityNumber == player->GetEntityNumber());
    };
    const std::vector<int32_t>* record = GetPartyRecord();
    const std::vector<int32_t>* otherRecord = other.GetPartyRecord();
    return (record && (otherRecord == record || isLeader(other))) || (otherRecord && isLeader(*this));
}

bool EntityClient::IsInPlayersParty() const
{
    const PlayerClient* player = EntityClientMapPlayer();
    return player && IsInPartyWith(*player);
}

int32_t EntityClient::GetMapColorIndex() const
{
    return GetTopOwner()->GetOwnMapColorIndex();
}

int32_t EntityClient::GetOwnMapColorIndex() const
{
    if (isStash || isNpcList || isUsableObject || isToggleUsableObject || isVendor)
        return BlipColour::kUsable;
    if (entityNumber != -1 && entityNumber == Client::GetLocalPlayerNumber())
        return BlipColour::kFriend;
    if (IsPlayerQuestItem())
        return BlipColour::kQuestItem;
    bool own = IsOfPlayerCovenant();
    if (covenantIndex != -1 && !own)
        return IsAtWarWithPlayer() ? BlipColour::kHostile : BlipColour::kNeutral;
    if (!isNpc) {
        if (!IsMonster() || IsDead())
            return kNoMapColour;
        if (!questOffers.empty())
            return BlipColour::kQuestGiver;
        return own ? BlipColour::kFriend : BlipColour::kHostile;
    }
    if (IsInPlayersParty() || own)
        return BlipColour::kFriend;
    if (isNpcRenegade || isNpcThief)
        return BlipColour::kHostile;
    return BlipColour::kQuestGiver;
}

bool EntityClient::GetMapColor(float& red, float& green, float& blue) const
{
    return GetMapColour(GetMapColorIndex(), red, green, blue);
}

bool EntityClient::IsShownOnMap(bool partyOnly) const
{
    if (hideFromMiniMap || !(GetAlpha() > 0.0f))
        return false;
    if (alwaysOnMap)
        return true;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    if (IsDead() || GetOwner() || !GetMapColor(red, green, blue) || isPlayerBody || IsHidden() || isSecret)
        return false;
    if (gGameClient && !gGameClient->GetSight().IsVisibleToPlayer(position))
        return false;
    if (!partyOnly)
        return true;
    return (isNpc && IsInPlayersParty()) || IsPlayerQuestItem();
}

float EntityClient::GetPickPriority() const
{
    // A corpse is never picked: the loot it dropped lies under it.
    if (!(GetAlpha() > 0.0f) || IsDead())
        return 0.0f;
    return IsLyingOnGround() ? 0.75f : 1.0f;
}

bool EntityClient::AcceptsDroppedItem() const
{
    return covenantIndex == -1 || IsOfPlayerCovenant() || IsQuestTarget();
}

bool EntityClient::IsVisibleWithOwners() const
{
    const ClientSight* sight = gGameClient ? &gGameClient->GetSight() : nullptr;
    if (!sight)
        return true;
    for (const EntityClient* link = this; link; link = link->GetOwner())
        if (link->hideWhenOutOfSight && !sight->IsVisibleToPlayer(link->position))
            return false;
    return true;
}

bool EntityClient::ShouldShowHelp(bool objectsMode) const
{
    if (hideFromMiniMap && !showsAltHelp)
        return false;
    if (!IsVisibleWithOwners())
        return false;
    if (!hideWhenOutOfSight && gGameClient && !gGameClient->GetSight().IsVisibleToPlayer(position))
        return false;
    if (!(GetAlpha() > 0.0f) || (flags & kEntityClientMapHelpHidden))
        return false;
    if (!objectsMode)
        return IsMonster() && !IsDead();
    int32_t type = record ? record->GetType() : DatabaseEntryType::None;
    // Money and quest items are taken at once, items once shown whole and landed.
    if (IsLyingOnGround())
        return type != DatabaseEntryType::Item || IsReadyToTake();
    if (isChest)
        return netSolid;
    if (isUsableObject || isToggleUsableObject)
        return !useOnlyWhenSolid || netSolid;
    return isGate;
}

void EntityClient::CollectStatusEffects(std::vector<StatusEffectClient*>& out) const
{
    for (const auto& effect : GetStatusEffectList())
        out.push_back(effect.get());
}
