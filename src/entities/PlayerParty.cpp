// Player -- recruits and the party, the two gate pairs, the teleports and the other side's containers.
#include "entities/Player.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "entities/EntityCovenant.h"
#include "entities/GameServices.h"
#include "entities/Gate.h"
#include "entities/Inventory.h"
#include "entities/Stash.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "world/AreaDefinition.h"
#include "world/Level.h"
#include "world/World.h"

#include <cmath>

namespace {

constexpr int32_t kPlayerPartyRefusalKind = 4;
constexpr const char* kPlayerGateRecord = "ObjectPlayerGate";
constexpr const char* kPlayerRaidGateRecord = "ObjectRaidGate";
constexpr const char* kPlayerRecruitSound = "Sounds/newRecruit.ogg";
constexpr float kPlayerRecruitVolume = 100.0f;
// The rings searched for a free spot for the first gate when the spot may not be forced.
constexpr int32_t kPlayerGateRings = 8;
// A teleport to a covenant lands this far along x from its home.
constexpr float kPlayerCovenantHomeOffset = 200.0f;
constexpr int32_t kPlayerOtherSideBag = 15;
constexpr int32_t kPlayerLastStashBag = 23;
// The interaction mode of trading with a covenant: its container is the other side.
constexpr int32_t kPlayerCovenantContainerMode = 17;

bool PlayerLevelAllowsGates(int32_t level)
{
    const Level* record = gWorld ? gWorld->GetLevel(level) : nullptr;
    return record && record->area && record->area->playerCanCreateGate;
}

} // namespace

int32_t Player::GetPartyLimit()
{
    return gGameData ? gGameData->GetTuning().maxAdventureGroupSize : 0;
}

int32_t Player::CountCompanions() const
{
    std::vector<int32_t> numbers;
    CollectCompanionNumbers(numbers);
    return static_cast<int32_t>(numbers.size());
}

// ---- Recruits and the party ---------------------------------------------------------------------

void Player::AddRecruit(Sentient* npc, bool wantsParty)
{
    EntityCovenant* covenant = GetCovenant();
    if (!covenant)
        return;
    if (GetCharacterFlag(CharacterFlag::kLoner)) {
        SendMessage("$$LonerChallengeWarning$$", kPlayerPartyRefusalKind);
        return;
    }
    if (!npc || !covenant->HasRoomForRecruit()) {
        SendMessage("$$AlreadyHaveMaxCovenantRecruits$$", kPlayerPartyRefusalKind);
        return;
    }
    if (wantsParty && CountCompanions() >= GetPartyLimit() - 1) {
        SendMessage("$$AlreadyHaveMaxPartySize$$", kPlayerPartyRefusalKind);
        return;
    }
    if (!covenant->TakeRecruit(*npc))
        return;
    if (wantsParty)
        AddCompanion(npc, GetPartyLimit());
    else
        covenant->SendRecruitToHouse(*npc);
    QueueWorldEvent(kPlayerRecruitSound, 0.0f, kPlayerRecruitVolume);
}

void Player::AddToParty(Sentient* recruit, int32_t limit)
{
    EntityCovenant* covenant = GetCovenant();
    if (!covenant || !recruit)
        return;
    if (CountCompanions() >= limit - 1) {
        SendMessage("$$AlreadyHaveMaxPartySize$$", kPlayerPartyRefusalKind);
        return;
    }
    if (covenant->ReleaseFromHouse(*recruit))
        AddCompanion(recruit, limit);
}

void Player::DismissCompanions()
{
    std::vector<int32_t> numbers;
    CollectCompanionNumbers(numbers);
    EntityCovenant* covenant = GetCovenant();
    for (int32_t number : numbers) {
        auto* companion = dynamic_cast<Sentient*>(gGameServices ? gGameServices->GetEntity(number) : nullptr);
        if (!companion)
            continue;
        companion->RemoveCompanion();
        if (covenant)
            covenant->SendRecruitToHouse(*companion);
    }
}

// ---- Gates ----------------------------------------------------------------------------------------

bool Player::CreateGate(const WorldPos& where, bool raid, bool force)
{
    if (!raid && !PlayerLevelAllowsGates(where.level)) {
        SendMessage("$$CantCreateGateHere$$", kPlayerPartyRefusalKind);
        return false;
    }
    EntityCovenant* covenant = GetCovenant();
    if (!covenant || !gGameServices || !gDatabase)
        return false;
    WorldPos first = where;
    SpawnSearch search;
    search.freeSpot = true;
    if (!gGameServices->FindSpawnPosition(where, kPlayerGateRings, search, force, first))
        return false;
    // The house side takes the same search, so that without force a crowded house refuses.
    WorldPos house;
    WorldPos second;
    if (!covenant->FindSpotNearHouseGate(*this, house) ||
        !gGameServices->FindSpawnPosition(house, kPlayerGateRings, search, force, second))
        return false;
    const DatabaseEntry* record = gDatabase->FindEntryByName(raid ? kPlayerRaidGateRecord : kPlayerGateRecord);
    RemoveGates(raid);
    LinkedGates pair = gGameServices->CreateLinkedGates(record, first, second, GateKind::Linked);
    if (!pair.first || !pair.second)
        return false;
    (raid ? raidGate : playerGate).Set(pair.first);
    (raid ? raidHomeGate : homeGate).Set(pair.second);
    (raid ? raidGatePosition : playerGatePosition) = where;
    return true;
}

void Player::RemoveGates(bool raid)
{
    for (SafePointer* gate : {raid ? &raidGate : &playerGate, raid ? &raidHomeGate : &homeGate}) {
        if (Entity* entity = gate->GetAs<Entity>())
            entity->ScheduleDelete(0.0f);
        gate->Set(nullptr);
    }
}

Entity* Player::GetGate(bool raid, bool home) const
{
    const SafePointer& gate = raid ? (home ? raidHomeGate : raidGate) : (home ? homeGate : playerGate);
    return gate.GetAs<Entity>();
}

void Player::OnCreateGateEvent(Event&)
{
    CreateGate(position, false, false);
}

// ---- Teleports ------------------------------------------------------------------------------------

void Player::PrepareTeleport()
{
    CancelPendingKinds();
    SetInteraction(0, -1);
}

void Player::GateTo(int32_t gateNumber)
{
    const ItemPtrEntry* entry = gateLists[0].Get(gateNumber);
    if (!entry)
        return;
    WorldPos target = gWorld ? gWorld->GetLevelGatePos(entry->number) : WorldPos{};
    EntityCovenant* covenant = GetCovenant();
    if (target.level < 0 && !(covenant && covenant->FindSpotNearHouseGate(*this, target)))
        return;
    PrepareTeleport();
    Warp(target);
}

void Player::GateToCovenant(int32_t covenantNumber)
{
    EntityCovenant* covenant = gGameServices ? gGameServices->GetCovenant(covenantNumber) : nullptr;
    const Entity* home = covenant ? covenant->GetHomeEntity() : nullptr;
    if (!home)
        return;
    WorldPos target = home->position;
    target.x += kPlayerCovenantHomeOffset;
    PrepareTeleport();
    Warp(target);
}

void Player::GateToTown(int32_t)
{
    // The town's one gate stands on level 0 where the tuning puts it. Mended: the number the
    // client sent was taken for a level, so any level's gate could be reached, known or not.
    if (!gGameData || !gWorld || !gWorld->GetLevel(0))
        return;
    const FloatPair& place = gGameData->GetTuning().townGatePosition;
    PrepareTeleport();
    WarpEntityNear(*this, WorldPos{0, place.x, place.y, true});
}

// ---- Containers -----------------------------------------------------------------------------------

InventoryBag* Player::GetBag(int32_t index) const
{
    bool otherSide = index >= kPlayerOtherSideBag && index <= kPlayerLastStashBag;
    if (!otherSide)
        return Sentient::GetBag(index);
    const Entity* target = GetInteractionTarget();
    const auto* other = dynamic_cast<const Sentient*>(target);
    if (interactionMode == 10) {
        if (const auto* stash = dynamic_cast<const Stash*>(target))
            return stash->GetStashBag(this, index);
        return other ? other->GetBag(index) : nullptr;
    }
    if (index != kPlayerOtherSideBag)
        return Sentient::GetBag(index);
    if (interactionMode == kPlayerCovenantContainerMode) {
        const EntityCovenant* covenant = target ? target->GetCovenant() : nullptr;
        return covenant ? covenant->GetInventoryBag(index) : nullptr;
    }
    if (interactionMode == 15 || interactionMode == 22)
        return other ? other->GetBag(index) : nullptr;
    return Sentient::GetBag(index);
}
