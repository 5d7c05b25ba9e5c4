// EntityClient -- what a click on an entity would do (the interaction mode it offers the local player), its pick priority, and the entity as the shared skill rules see it.
#include "client/EntityClient.h"

#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/PlayerClient.h"
#include "client/PlayerCovenantClient.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "rules/covenants/CovenantBase.h"

namespace {

// The interaction modes a click can answer.
namespace ClickMode {
constexpr int32_t kNothing = 0;
constexpr int32_t kAttack = 2;
constexpr int32_t kApproach = 4;
constexpr int32_t kTalk = 5;
constexpr int32_t kUnavailable = 6;
constexpr int32_t kSharedAdventure = 7;
constexpr int32_t kInParty = 8;
constexpr int32_t kInCovenant = 9;
constexpr int32_t kStash = 10;
constexpr int32_t kBookshelf = 11;
constexpr int32_t kNpcList = 12;
constexpr int32_t kWorldMap = 14;
constexpr int32_t kHouse = 16;
constexpr int32_t kEnemyHouse = 17;
constexpr int32_t kActivateGate = 18;
constexpr int32_t kUse = 19;
constexpr int32_t kToggleUse = 20;
constexpr int32_t kToggleInUse = 21;
constexpr int32_t kTrade = 22;
constexpr int32_t kPickUp = 23;
constexpr int32_t kQuestGiver = 24;
constexpr int32_t kSolveQuest = 25;
constexpr int32_t kRescue = 26;
constexpr int32_t kDeliver = 27;
constexpr int32_t kEscort = 28;
} // namespace ClickMode

// The server flag of a quest target that wants rescuing.
constexpr uint32_t kEntityClientRescueFlag = 0x200;
// Treaty states that make two covenants enemies.
constexpr int32_t kEntityClientTreatyWar = 2;
constexpr int32_t kEntityClientTreatyRaid = 3;

PlayerClient* EntityClientLocalPlayer()
{
    return gClientApp ? gClientApp->GetLocalPlayer() : nullptr;
}

int32_t EntityClientPlayerCovenantIndex(const PlayerClient* player)
{
    const PlayerCovenantClient* mine = player ? player->GetCovenant() : nullptr;
    return mine ? mine->index : -1;
}

} // namespace

// ---- The click ----------------------------------------------------------------------------------

bool EntityClient::IsOfPlayerCovenant() const
{
    int32_t mine = EntityClientPlayerCovenantIndex(EntityClientLocalPlayer());
    return covenantIndex != -1 && mine != -1 && covenantIndex == mine;
}

bool EntityClient::IsAtWarWithPlayer() const
{
    int32_t mine = EntityClientPlayerCovenantIndex(EntityClientLocalPlayer());
    const CovenantClient* theirs = covenantIndex >= 0 && gGameClient ? gGameClient->GetCovenant(covenantIndex, false)
                                                                     : nullptr;
    if (!theirs || mine < 0 || mine >= kMaxCovenants)
        return false;
    int32_t treaty = theirs->GetTreatyState(mine);
    return treaty == kEntityClientTreatyWar || treaty == kEntityClientTreatyRaid;
}

bool EntityClient::IsQuestTarget() const
{
    bool whole = GetAlpha() >= 1.0f;
    return (canBeRescued && whole) || (flags & kEntityClientRescueFlag) || (canReceiveDelivery && whole) ||
           (canBeEscorted && whole);
}

bool EntityClient::HasQuestToComplete() const
{
    const PlayerClient* player = EntityClientLocalPlayer();
    if (!player)
        return false;
    if (IsQuestTarget())
        return GetAlpha() < 1.0f;
    return player->FindQuestForNpc(*this) != -1;
}

int32_t EntityClient::GetClickAction(bool inReach, bool allowWhileStealthed) const
{
    auto reach = [inReach](int32_t mode) { return inReach ? mode : ClickMode::kApproach; };
    if (isPlayerBody || IsHidden())
        return ClickMode::kNothing;
    int32_t type = record ? record->GetType() : DatabaseEntryType::None;
    if (type == DatabaseEntryType::Item)
        return IsReadyToTake() ? reach(ClickMode::kPickUp) : ClickMode::kNothing;
    if (type == DatabaseEntryType::Money || type == DatabaseEntryType::QuestItem)
        return reach(ClickMode::kPickUp);
    // Mended: the level objects' chests (objects of the Chest kind) took no click at all.
    if (isChest) {
        if (!isUsableObject)
            return ClickMode::kNothing;
        return canAttack ? ClickMode::kAttack : reach(ClickMode::kUse);
    }
    if (IsDead())
        return ClickMode::kNothing;
    bool fullyShown = GetAlpha() >= 1.0f;
    bool rescue = (canBeRescued && fullyShown) || (flags & kEntityClientRescueFlag) != 0;
    if (isVendor && !rescue) {
        if (serverFloat <= 0.0f || !inReach)
            return ClickMode::kApproach;
        return givesQuests && HasQuestToComplete() ? ClickMode::kSolveQuest : ClickMode::kTrade;
    }
    if (isNpc)
        return GetNpcClickAction(inReach, rescue);
    return GetObjectClickAction(inReach, allowWhileStealthed, type);
}

int32_t EntityClient::GetNpcClickAction(bool inReach, bool rescue) const
{
    if (IsAtWarWithPlayer() || canAttack)
        return ClickMode::kAttack;
    if (!inReach)
        return ClickMode::kApproach;
    bool fullyShown = GetAlpha() >= 1.0f;
    if (rescue)
        return ClickMode::kRescue;
    if (canReceiveDelivery && fullyShown)
        return ClickMode::kDeliver;
    if (canBeEscorted && fullyShown)
        return ClickMode::kEscort;
    // A quest target not fully shown yet.
    if (canBeRescued || canReceiveDelivery || canBeEscorted)
        return ClickMode::kNothing;
    if (givesQuests && covenantIndex == -1) {
        if (serverFloat <= 0.0f)
            return ClickMode::kApproach;
        return HasQuestToComplete() ? ClickMode::kSolveQuest : ClickMode::kQuestGiver;
    }
    const PlayerClient* player = EntityClientLocalPlayer();
    bool inParty = IsInPlayersParty();
    if (IsOfPlayerCovenant()) {
        if (!player)
            return ClickMode::kNothing;
        return inParty ? ClickMode::kInParty : ClickMode::kInCovenant;
    }
    if (covenantIndex == -1)
        return ClickMode::kTalk;
    return inParty ? ClickMode::kSharedAdventure : ClickMode::kUnavailable;
}

int32_t EntityClient::GetObjectClickAction(bool inReach, bool allowWhileStealthed, int32_t type) const
{
    auto reach = [inReach](int32_t mode) { return inReach ? mode : ClickMode::kApproach; };
    const PlayerClient* player = EntityClientLocalPlayer();
    bool own = IsOfPlayerCovenant();
    if (isStash)
        return reach(isBookshelf ? ClickMode::kBookshelf : ClickMode::kStash);
    if (isPedestal)
        return reach(own ? ClickMode::kHouse : ClickMode::kEnemyHouse);
    if (isNpcList)
        return reach(ClickMode::kNpcList);
    if (isGate) {
        if (!inReach)
            return ClickMode::kApproach;
        if (own)
            return ClickMode::kWorldMap;
        return player && !player->GetCurrentLevelGateFlag(position.level) ? ClickMode::kActivateGate : ClickMode::kUse;
    }
    if (type == DatabaseEntryType::Trap)
        return ClickMode::kNothing;
    if (canAttack && !own) {
        if (!questOffers.empty()) {
            if (!inReach)
                return ClickMode::kApproach;
            return HasQuestToComplete() ? ClickMode::kSolveQuest : ClickMode::kQuestGiver;
        }
        if (covenantIndex != -1 && !IsAtWarWithPlayer())
            return reach(ClickMode::kEnemyHouse);
        if (player && (player->statusFlags & PlayerClient::kStatusStealthed) && !allowWhileStealthed)
            return ClickMode::kApproach;
        return reach(ClickMode::kAttack);
    }
    if (isLifeStone) {
        if (!inReach)
            return ClickMode::kApproach;
        return own ? ClickMode::kUse : ClickMode::kAttack;
    }
    if (isToggleUsableObject) {
        if (!inReach)
            return ClickMode::kApproach;
        if (useOnlyWhenSolid && !netSolid)
            return ClickMode::kNothing;
        bool inUse = player && player->GetTargetNumber(true) == entityNumber &&
                     player->GetInteractionMode() == ClickMode::kToggleUse;
        return inUse ? ClickMode::kToggleInUse : ClickMode::kToggleUse;
    }
    if (!netSolid)
        return ClickMode::kNothing;
    if (player && entityNumber == player->GetEntityNumber())
        return ClickMode::kApproach;
    return own ? reach(ClickMode::kHouse) : ClickMode::kNothing;
}

// ---- As the skill rules see it -------------------------------------------------------------------

bool EntityClient::IsEnemy(const SkillUser& other) const
{
    const auto* entity = dynamic_cast<const EntityClient*>(&other);
    const PlayerClient* player = EntityClientLocalPlayer();
    if (!entity || !player)
        return false;
    // Only the local player's hostility is known here: the client asks what a click would do.
    auto isPlayer = [player](const EntityClient* e) { return e == player || e == player->GetBody(); };
    if (isPlayer(this))
        return entity->GetClickAction(true, true) == ClickMode::kAttack;
    if (isPlayer(entity))
        return GetClickAction(true, true) == ClickMode::kAttack;
    return false;
}

float EntityClient::GetDistance2D(const SkillUser& other, bool lessRadii) const
{
    return EntityDistance2D(this, dynamic_cast<const EntityBase*>(&other), lessRadii);
}

Vector2 EntityClient::GetDeltaTo(const SkillUser& other) const
{
    const auto* entity = dynamic_cast<const EntityBase*>(&other);
    return entity ? position.DeltaTo(entity->position) : Vector2{};
}
