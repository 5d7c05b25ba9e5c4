// PlayerClient -- the player's operations the keys, the menus and the character save call: every hint seen or none, the weapon set switched, recruits and hostile creatures picked by key, the gates the player knows, the party's recruit slots, and the power test before a skill request.
#include "client/PlayerClient.h"

#include "client/ClientApp.h"
#include "client/ClientCommandTable.h"
#include "client/ClientUi.h"
#include "client/GameClient.h"
#include "client/ItemClient.h"
#include "client/PlayerCovenantClient.h"
#include "client/RecruitClient.h"
#include "core/CommandSystem.h"
#include "core/MathUtil.h"
#include "core/StringUtil.h"
#include "core/Vector.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "rules/skills/SkillBase.h"
#include "rules/skills/SkillDefinition.h"
#include "world/World.h"

#include <algorithm>
#include <cstdint>

namespace {

// A server flag: the entity is not to be picked (stealthed, or out of play).
constexpr uint32_t kOperationsUnpickable = 0x400;
// How far the next hostile target may stand, edge to edge, in grid cells.
constexpr float kOperationsTargetCells = 1.9f;
// The groups a character's worth is counted over: the pack up to the stash's last bag.
constexpr int32_t kOperationsCarriedBags = 15;
constexpr float kOperationsMaxDpsHundredths = 2.0e9f;
// A free cell is looked for among the eight around the player's, for the kinds movement tests.
constexpr int32_t kOperationsNeighbours = 8;
constexpr int32_t kOperationsMoveKindMask = 5;

ClientUi* OperationsUi()
{
    return gClientApp ? gClientApp->GetUi() : nullptr;
}

EntityClient* OperationsEntity(int32_t number)
{
    return gGameClient && number >= 0 ? gGameClient->GetEntity(number) : nullptr;
}

} // namespace

// ---- Hints -----------------------------------------------------------------------------------------------

void PlayerClient::SetAllHintsSeen()
{
    ClientUi* ui = OperationsUi();
    size_t count = std::max(hintsSeen.size(), static_cast<size_t>(ui ? std::max(ui->GetHintCount(), 0) : 0));
    hintsSeen.assign(count, true);
}

void PlayerClient::ResetHints()
{
    std::fill(hintsSeen.begin(), hintsSeen.end(), false);
    if (ClientUi* ui = OperationsUi())
        TriggerHint(ui->GetStartTopic());
}

// ---- The weapon set ----------------------------------------------------------------------------------

void PlayerClient::SwitchItemSet()
{
    itemSet = itemSet == 0 ? 1 : 0;
    // The hand that changes is heard: the first item of the two sets' hands.
    const std::pair<int32_t, int32_t> places[] = {{InventoryGroupIndex::Backup, 0},
                                                  {InventoryGroupIndex::Equipment, EquipedLocation::HandPrimary},
                                                  {InventoryGroupIndex::Backup, 1},
                                                  {InventoryGroupIndex::Equipment, EquipedLocation::HandSecondary}};
    for (const auto& [group, slot] : places) {
        if (const auto* item = dynamic_cast<const ItemClient*>(GetInventory().GetItem(group, slot))) {
            item->PlayDropSound();
            return;
        }
    }
}

// ---- Recruits and targets by key -----------------------------------------------------------------------

int32_t PlayerClient::GetRecruitWalkSlots() const
{
    int32_t own = covenant ? covenant->GetRecruitSlots() : 0;
    int32_t most = gGameData ? gGameData->GetTuning().maxRecruits : 0;
    // A walk over fewer slots than the covenant holds would never reach its last recruits.
    return most >= own ? most : own;
}

EntityClient* PlayerClient::GetRecruitEntity(int32_t slot) const
{
    const RecruitClient* recruit = covenant ? covenant->GetRecruit(slot) : nullptr;
    return recruit ? OperationsEntity(recruit->entityNumber) : nullptr;
}

void PlayerClient::SelectAdjacentRecruit(int32_t step)
{
    EntityClient* target = GetInteractionTarget();
    if (!target || !covenant || !(target->health > 0 || target->maxHealth <= 0))
        return;
    int32_t start = covenant->FindRecruitSlot(target->entityNumber);
    int32_t slots = GetRecruitWalkSlots();
    if (start < 0 || slots <= 0)
        return;
    for (int32_t i = 1; i < slots; ++i) {
        int32_t slot = ((start + step * i) % slots + slots) % slots;
        if (EntityClient* entity = GetRecruitEntity(slot)) {
            SetTarget(entity, false);
            return;
        }
    }
}

bool PlayerClient::SelectFirstRecruit(bool partyOnly)
{
    if (!covenant)
        return false;
    for (int32_t slot = 0; slot < GetRecruitWalkSlots(); ++slot) {
        EntityClient* entity = GetRecruitEntity(slot);
        if (entity && (!partyOnly || entity->GetPartyRecord())) {
            SetTarget(entity, false);
            return true;
        }
    }
    SetTarget(nullptr, false);
    return false;
}

bool PlayerClient::IsHostileTo(const EntityBase& other) const
{
    const auto* entity = dynamic_cast<const EntityClient*>(&other);
    return entity && entity->GetClickAction(true, false) == kModeAttack;
}

bool PlayerClient::IsTargetInOwnCovenant() const
{
    const EntityClient* target = GetInteractionTarget();
    if (!target || !covenant || covenant->index == -1 || target->covenantIndex != covenant->index)
        return false;
    return covenant->FindRecruitSlot(target->entityNumber) != -1 || covenant->IsHero(target->entityNumber);
}

bool PlayerClient::IsNextTargetCandidate(const EntityClient& entity) const
{
    if (entity.maxHealth < 1 || !IsAliveTarget(entity) || !IsHostileTo(entity))
        return false;
    float cell = gGameData ? gGameData->GetTuning().gridSize.x : 0.0f;
    float gap = position.Distance2D(entity.position) - radius - entity.radius;
    return gap < kOperationsTargetCells * cell;
}

void PlayerClient::SelectNextHostileTarget()
{
    EntityClient* target = GetInteractionTarget();
    int32_t current = target ? target->entityNumber : -1;
    EntityClient* lowest = nullptr;
    for (int32_t number = 0; number < GameClient::kMaxEntities; ++number) {
        EntityClient* entity = number == ownNumber ? nullptr : OperationsEntity(number);
        if (!entity || !IsNextTargetCandidate(*entity))
            continue;
        if (number > current) {
            SetTarget(entity, true);
            return;
        }
        if (!lowest)
            lowest = entity;
    }
    // Past the last: round to the lowest.
    if (lowest && lowest != target) {
        SetInteractionMode(false, 0, true);
        SetTarget(lowest, false);
    }
}

bool PlayerClient::FindStandableCell(WorldPos& cell, int32_t& direction) const
{
    WorldPos here = SnapToWorldGrid(position);
    if (CanMoveTo(here, kOperationsMoveKindMask)) {
        cell = here;
        direction = AngleToDirection(Vector2Angle(position.DeltaTo(here)));
        return true;
    }
    FloatPair size = gGameData ? gGameData->GetTuning().gridSize : FloatPair{32.0f, 32.0f};
    bool found = false;
    float nearest = 0.0f;
    for (int32_t side = 0; side < kOperationsNeighbours; ++side) {
        WorldPos next = SnapToWorldGrid(here.Offset(GridOffsetFromIndex(side, size.x, size.y)));
        if (!CanMoveTo(next, kOperationsMoveKindMask))
            continue;
        float distance = position.Distance2D(next);
        // A later side wins only when strictly nearer: ties keep the lower direction.
        if (!found || distance < nearest) {
            found = true;
            nearest = distance;
            cell = next;
            direction = side;
        }
    }
    return found;
}

bool PlayerClient::IsAliveTarget(const EntityClient& entity)
{
    if (entity.maxHealth >= 1 && entity.health < 1)
        return false;
    return (entity.flags & kOperationsUnpickable) == 0;
}

// ---- Gates, the party, skills -------------------------------------------------------------------------

void PlayerClient::BuildKnownGateList(std::vector<ListEntry>& rows) const
{
    const ItemPtrList& known = itemLists[0];
    for (int32_t i = 0; i < known.GetCount(); ++i) {
        const ItemPtrEntry* entry = const_cast<ItemPtrList&>(known).Get(i);
        ListEntry row;
        row.name = gWorld ? gWorld->GetLevelName(entry->number) : std::string();
        row.value = StringFormat("%d", i);
        // A gate the player has not opened yet is listed, greyed.
        row.enabled = entry->flag ? 1 : 0;
        rows.push_back(std::move(row));
    }
}

int32_t PlayerClient::GetKnownGateCount() const
{
    return itemLists[0].GetCount();
}

void PlayerClient::StoreParty()
{
    partyRecruitIndices.clear();
    if (!covenant)
        return;
    for (int32_t number : party) {
        int32_t slot = number == -1 ? -1 : covenant->FindRecruitSlot(number);
        if (slot != -1)
            partyRecruitIndices.push_back(slot);
    }
}

bool PlayerClient::CanPayForSkill(int32_t skillEntry) const
{
    // The client list makes only client skills.
    const auto* skill = static_cast<const SkillClient*>(skillList.FindSkillByEntryIndex(skillEntry));
    if (!skill || !skill->definition)
        return false;
    return stats.Get(CharacterStat::Power) >= skill->GetLevelCost();
}

int32_t PlayerClient::GetBagValue(int32_t bag) const
{
    int64_t sum = 0;
    for (int32_t slot = 0; slot < inventory->GetSlotCount(bag); ++slot)
        if (const ItemBase* item = inventory->GetItem(bag, slot))
            sum += item->GetValue(true);
    return static_cast<int32_t>(std::clamp<int64_t>(sum, 0, INT32_MAX));
}

int32_t PlayerClient::GetCarriedValue() const
{
    int64_t sum = 0;
    for (int32_t bag = 0; bag < kOperationsCarriedBags; ++bag)
        sum += GetBagValue(bag);
    return static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX));
}

float PlayerClient::GetDamagePerSecond() const
{
    return ::GetDamagePerSecond(stats);
}

int32_t PlayerClient::GetDpsHundredths() const
{
    // Held below the int32 limit: mirrored stats can make the quotient any size.
    return static_cast<int32_t>(std::min(GetDamagePerSecond() * 100.0f, kOperationsMaxDpsHundredths));
}

// ---- The keys' commands --------------------------------------------------------------------------------

void PlayerClient::RegisterCommands(ClientApp& app)
{
    auto onPlayer = [](void (*run)(PlayerClient&)) {
        return [run](const std::vector<std::string>&) {
            if (PlayerClient* player = ClientCommandTable::GetLocalPlayer())
                run(*player);
        };
    };
    ClientCommandTable::Attach(app, "PrevItemComparision", onPlayer([](PlayerClient& p) { p.CycleComparisonTarget(-1); }));
    ClientCommandTable::Attach(app, "NextItemComparision", onPlayer([](PlayerClient& p) { p.CycleComparisonTarget(1); }));
    ClientCommandTable::Attach(app, "switchItemSetClient", onPlayer([](PlayerClient& p) {
        p.SwitchItemSet();
        ClientCommandTable::Queue("switchItemSet");
    }));
    ClientCommandTable::Attach(app, "selectPrevRecruit", onPlayer([](PlayerClient& p) { p.SelectPrevRecruit(); }));
    ClientCommandTable::Attach(app, "selectNextRecruit", onPlayer([](PlayerClient& p) { p.SelectNextRecruit(); }));
    ClientCommandTable::Attach(app, "selectFirstRecruit", onPlayer([](PlayerClient& p) {
        if (!p.SelectFirstRecruit(true))
            p.SelectFirstRecruit(false);
    }));
    ClientCommandTable::Attach(app, "nextTarget", onPlayer([](PlayerClient& p) { p.SelectNextHostileTarget(); }));
    ClientCommandTable::Attach(app, "selectLifestone", [](const std::vector<std::string>& args) {
        PlayerClient* player = ClientCommandTable::GetLocalPlayer();
        int32_t covenant = player && !args.empty() ? ParseInt(args[0]) : -1;
        for (int32_t number = 0; covenant >= 0 && number < GameClient::kMaxEntities; ++number) {
            EntityClient* entity = OperationsEntity(number);
            if (entity && entity->isLifeStone && entity->covenantIndex == covenant)
                player->SelectTargetAndMode(entity, false);
        }
    });
    if (gCommandSystem)
        gCommandSystem->RegisterInfoProc("getGateList", [](std::vector<ListEntry>& rows) {
            if (PlayerClient* player = ClientCommandTable::GetLocalPlayer())
                player->BuildKnownGateList(rows);
        });
}
