// PlayerCovenant -- the player's covenant: construction and reset, the house, the client's settings, the recruits and the storage the player reaches.
#include "covenants/PlayerCovenant.h"

#include "core/Database.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "covenants/CovenantHost.h"
#include "covenants/Recruit.h"
#include "entities/Actor.h"
#include "entities/CharacterSettings.h"
#include "entities/GameServices.h"
#include "entities/Gate.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Player.h"
#include "entities/Stash.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

#include <cmath>

namespace {

// Every world starts in its town, where the players' houses stand.
constexpr int32_t kPlayerCovenantStartLevel = 0;
// The house gate's tiles to the right of the lifestone.
constexpr int32_t kPlayerCovenantGateTiles = 3;
// The stash bags a covenant stash opens: Stash and StashBag1..8.
constexpr int32_t kPlayerCovenantFirstStashBag = InventoryGroupIndex::Stash;
constexpr int32_t kPlayerCovenantLastStashBag = InventoryGroupIndex::Stash + 8;

int32_t PlayerCovenantMaxRecruits()
{
    return gGameData ? std::max(0, gGameData->GetTuning().maxRecruits) : 0;
}

// (Xp / XpNeeded + Level)^2, or Level^2 without XpNeeded.
int32_t PlayerCovenantWeight(const IntArray& stats)
{
    return Covenant::RecruitPower(stats.Get(CharacterStat::Level), stats.Get(CharacterStat::Xp),
                                  stats.Get(CharacterStat::XpNeeded));
}

// The worn items' values with their stacks.
int64_t PlayerCovenantWornValue(const InventoryBase* inventory)
{
    int64_t total = 0;
    if (!inventory)
        return total;
    for (int32_t slot = 0; slot < inventory->GetSlotCount(InventoryGroupIndex::Equipment); ++slot)
        if (const ItemBase* item = inventory->GetItem(InventoryGroupIndex::Equipment, slot))
            total += item->GetValue(true);
    return total;
}

} // namespace

PlayerCovenant::PlayerCovenant() : candidate(std::make_unique<Recruit>())
{
    // The worlds' results travel in the record: all four from the start.
    worldResults.SetCount(kWorldResultCount);
    inventory->ResizeBag(InventoryGroupIndex::Stash, kStashSlots);
    SetRecruitSlots(PlayerCovenantMaxRecruits());
    Reset();
    SetDefinitionByName(kDefinitionName);
}

// The candidate only points at an NPC of the world: it must not take the NPC with it.
PlayerCovenant::~PlayerCovenant()
{
    Reset();
    candidate->SetActor(nullptr, true);
}

void PlayerCovenant::Reset()
{
    houseGate.Clear();
    targetCovenant = -1;
    eliminated = false;
    ClearRelations();
    nextThinkTime = TimeStamp{};
}

void PlayerCovenant::SetPlayer(Player* leader)
{
    player.Set(leader);
    if (leader)
        leader->covenantIndex = index;
}

Player* PlayerCovenant::GetPlayer() const
{
    return player.GetAs<Player>();
}

Player* PlayerCovenant::GetLeader() const
{
    return player.GetAs<Player>();
}

Gate* PlayerCovenant::GetHouseGate() const
{
    return houseGate.GetAs<Gate>();
}

// ---- The house ----------------------------------------------------------------------------------

WorldPos PlayerCovenant::HouseTile(int32_t tilesRight, int32_t tilesDown)
{
    WorldPos where;
    if (!gGameData)
        return where;
    const GameSystemTuning& tuning = gGameData->GetTuning();
    auto hx = static_cast<int32_t>(std::floor(static_cast<float>(tuning.levelTileWidth) * tuning.startPosition.x));
    auto hy = static_cast<int32_t>(std::floor(static_cast<float>(tuning.levelTileHeight) * tuning.startPosition.y));
    where.level = kPlayerCovenantStartLevel;
    where.x = static_cast<float>(hx + tilesRight) * tuning.tileSize;
    where.y = static_cast<float>(hy + tilesDown) * tuning.tileSize;
    Actor::SnapToWorldGrid(where);
    return where;
}

WorldPos PlayerCovenant::GetHouseGateSpot()
{
    return HouseTile(kPlayerCovenantGateTiles, 0);
}

template <class Kind>
Kind* PlayerCovenant::PlaceHouseObject(const char* record, const WorldPos& where)
{
    const DatabaseEntry* entry = gDatabase ? gDatabase->FindEntryByName(record) : nullptr;
    if (!entry) {
        DebugSystem::Print(kPrintWarning, "Covenant %d: no %s record for its house\n", index, record);
        return nullptr;
    }
    auto* made = new Kind();
    made->SetEntry(entry);
    made->SetPosition(where);
    made->covenantIndex = index;
    if (gGameServices && gGameServices->AddEntity(made) != -1)
        return made;
    delete made;
    return nullptr;
}

void PlayerCovenant::BuildHouse()
{
    if (!gGameData)
        return;
    PlaceHouseObject<Stash>(kCovenantStashRecord, HouseTile(-5, -2));
    PlaceHouseObject<Stash>(kBookshelfRecord, HouseTile(-5, 0));
    PlaceHouseObject<Stash>(kPlayerStashRecord, HouseTile(-5, 2));
    if (Entity* lifestone = PlaceHouseObject<Entity>(kLifestoneRecord, HouseTile(0, 0))) {
        // Without health until the client's settings give it some: it stands whatever strikes it.
        lifestone->maxHealth = -1;
        lifestone->health = std::min(lifestone->health, -1);
        homeLevel = lifestone->position.level;
        homeX = lifestone->position.x;
        homeY = lifestone->position.y;
        SetHome(lifestone);
    }
    houseGate.Set(PlaceHouseObject<Gate>(kHouseGateRecord, GetHouseGateSpot()));
    CreatePedestals();
}

void PlayerCovenant::SetLifestoneHealth(int32_t health, int32_t maxHealth)
{
    if (Entity* lifestone = GetHomeEntity()) {
        lifestone->maxHealth = maxHealth;
        lifestone->health = std::min(health, maxHealth);
    }
}

// ---- The client's settings ------------------------------------------------------------------------

bool PlayerCovenant::ReadSettings(MessageBuffer& buffer)
{
    std::string newName = buffer.ReadString();
    bool hasInventory = buffer.ReadBool();
    auto newInventory = std::make_unique<Inventory>();
    newInventory->ResizeBag(InventoryGroupIndex::Stash, kStashSlots);
    if (hasInventory && !newInventory->Read(buffer, false, CharacterSettings::kRecordVersion)) {
        DebugSystem::Print(kPrintWarning, "Covenant settings: the inventory is refused\n");
        return false;
    }
    bool loaded = buffer.ReadBool();
    std::vector<std::unique_ptr<Recruit>> newRecruits(static_cast<size_t>(GetRecruitSlots()));
    IntArray newStatistics(statistics.GetCount());
    int32_t health = -1;
    int32_t maxHealth = -1;
    if (loaded) {
        int32_t count = buffer.ReadInt();
        if (buffer.Overrun() || count < 0 || count > PlayerCovenantMaxRecruits()) {
            DebugSystem::Print(kPrintWarning, "Covenant settings: %d recruits are refused\n", count);
            return false;
        }
        for (int32_t i = 0; i < count; ++i) {
            int32_t number = buffer.ReadInt();
            auto recruit = std::make_unique<Recruit>();
            bool whole = false;
            bool read = recruit->ReadSettings(buffer, whole);
            if (!whole || buffer.Overrun())
                return false;
            if (!read)
                continue;
            if (number < 0 || number >= GetRecruitSlots() || newRecruits[static_cast<size_t>(number)]) {
                DebugSystem::Print(kPrintWarning, "Covenant settings: recruit number %d is dropped\n", number);
                continue;
            }
            newRecruits[static_cast<size_t>(number)] = std::move(recruit);
        }
        if (!newStatistics.ReadValues(buffer, statistics.GetCount()))
            return false;
        health = buffer.ReadInt();
        maxHealth = buffer.ReadInt();
    }
    if (buffer.Overrun()) {
        DebugSystem::Print(kPrintWarning, "Covenant settings are cut short\n");
        return false;
    }
    name = std::move(newName);
    inventory = std::move(newInventory);
    if (!hasInventory) {
        std::unique_ptr<ItemBase> bag = std::make_unique<Item>();
        bag->SetEntryByName(kFirstBagRecord);
        if (bag->GetEntry())
            inventory->AddItem(bag, InventoryGroupIndex::Stash);
    }
    recruits = std::move(newRecruits);
    if (loaded)
        statistics.CopyFrom(newStatistics);
    settingsLoaded = loaded;
    readHealth = health;
    readMaxHealth = maxHealth;
    return true;
}

void PlayerCovenant::PlaceInWorld()
{
    TakeTreatiesFromOthers();
    BuildHouse();
    if (!settingsLoaded)
        return;
    SpawnRecruits();
    SetLifestoneHealth(readHealth, readMaxHealth);
}

void PlayerCovenant::TakeTreatiesFromOthers()
{
    // Mended: a player's covenant is made anew as it joins and the world file keeps no record of
    // it, so a resumed world held each war, pact and trade route on the rivals' side only: the
    // player's covenant stood at peace with its enemies and drew nothing from its routes.
    if (!gCovenantHost)
        return;
    for (int32_t other = 0; other < gCovenantHost->GetCovenantCount() && other < kMaxCovenants; ++other) {
        const Covenant* covenant = gCovenantHost->GetCovenant(other);
        if (!covenant || other == index || !covenant->HasRelation(index))
            continue;
        SetTreaty(other, covenant->GetTreatyState(index), covenant->GetTreatyTimeStamp(index));
        SetTradeRoute(other, covenant->GetTradeRouteKind(index), covenant->GetRelationTimeStamp(index));
    }
}

void PlayerCovenant::SpawnRecruits()
{
    for (const auto& recruit : recruits) {
        if (!recruit)
            continue;
        recruit->covenantIndex = index;
        if (!eliminated)
            SpawnRecruit(*recruit);
    }
}

void PlayerCovenant::SpawnRecruit(Recruit& recruit)
{
    Actor* actor = recruit.Spawn(this, true);
    if (!actor)
        return;
    WorldPos spot = FindSpotNearHome(actor);
    // Without a lifestone there is no house to stand in: the recruit stays a record.
    if (spot.level < 0 || !gGameServices) {
        recruit.SetActor(nullptr, true);
        delete actor;
        return;
    }
    actor->SetPosition(spot);
    actor->homePosition = spot;
    actor->homeSet = true;
    if (gGameServices->AddEntity(actor) == -1) {
        recruit.SetActor(nullptr, true);
        delete actor;
    }
}

// ---- A new world ---------------------------------------------------------------------------------

void PlayerCovenant::ResetForNewWorld()
{
    Reset();
    BuildHouse();
    SpawnRecruits();
    statistics.Set(CovenantStat::Money, 0);
    for (int32_t stat = CovenantStat::InfluenceAdventure; stat <= CovenantStat::InfluenceTransferred; ++stat)
        statistics.Set(stat, 0);
    RecomputeBonuses();
    UpdateStatistics();
    SetHomeHealth(GetHomeMaxHealth());
    for (int32_t slot = 0; slot < kGuardSlots; ++slot) {
        DeleteInventoryItem(InventoryGroupIndex::House, slot);
        RemoveGuard(slot);
    }
}

// ---- Recruits ------------------------------------------------------------------------------------

Actor* PlayerCovenant::GetRecruitActor(int32_t i, const Entity* requester) const
{
    return requester ? GetRecruitActor(i) : nullptr;
}

void PlayerCovenant::ReleaseRecruitActor(Actor& actor)
{
    Recruit* recruit = FindRecruitByActor(&actor);
    if (!recruit)
        return;
    recruit->CaptureFromActor(&actor);
    actor.ScheduleDelete(0.0f);
    recruit->SetActor(nullptr, true);
}

void PlayerCovenant::RemoveRecruit(int32_t i)
{
    if (!GetRecruitRecord(i))
        return;
    if (Actor* actor = GetRecruitActor(i)) {
        actor->RemoveCompanion();
        ReleaseRecruitActor(*actor);
    }
    recruits[static_cast<size_t>(i)].reset();
}

WorldPos PlayerCovenant::FindSpotNear(const Entity* centre, const Entity* entity) const
{
    WorldPos spot;
    if (!centre) {
        spot.level = -1;
        return spot;
    }
    spot = centre->position;
    SpawnSearch search;
    search.entity = entity;
    search.otherLevels = true;
    if (gGameServices)
        gGameServices->FindSpawnPosition(centre->position, kSpotRings, search, true, spot);
    return spot;
}

WorldPos PlayerCovenant::FindSpotNearHome(const Entity* entity) const
{
    return FindSpotNear(GetHomeEntity(), entity);
}

WorldPos PlayerCovenant::FindSpotNearHouseGate(const Entity* entity) const
{
    return FindSpotNear(GetHouseGate(), entity);
}

bool PlayerCovenant::FindSpotNearHouseGate(const Sentient& entity, WorldPos& out) const
{
    if (!GetHouseGate())
        return false;
    out = FindSpotNearHouseGate(&entity);
    return true;
}

void PlayerCovenant::SendRecruitHome(Actor& actor)
{
    if (!FindRecruitByActor(&actor))
        return;
    WorldPos spot = FindSpotNearHome(&actor);
    if (spot.level < 0)
        return;
    actor.Warp(spot);
    actor.homePosition = actor.position;
    actor.homeSet = true;
}

void PlayerCovenant::SendRecruitToHouse(Sentient& recruit)
{
    if (auto* actor = dynamic_cast<Actor*>(&recruit))
        SendRecruitHome(*actor);
}

void PlayerCovenant::CaptureRecruits()
{
    for (const auto& recruit : recruits)
        if (recruit && recruit->GetActor())
            recruit->CaptureFromActor(recruit->GetActor());
}

// ---- Statistics ----------------------------------------------------------------------------------

void PlayerCovenant::UpdatePeopleStatistic()
{
    int64_t total = 0;
    for (const auto& recruit : recruits) {
        if (!recruit)
            continue;
        const Actor* actor = recruit->GetActor();
        total += PlayerCovenantWeight(actor ? actor->stats : recruit->stats);
    }
    if (const Player* leader = GetPlayer())
        total += PlayerCovenantWeight(leader->stats);
    statistics.Set(CovenantStat::People, static_cast<int32_t>(std::clamp<int64_t>(total, INT32_MIN, INT32_MAX)));
}

void PlayerCovenant::UpdateItemsStatistic()
{
    int64_t total = 0;
    for (const auto& recruit : recruits) {
        if (!recruit)
            continue;
        const Actor* actor = recruit->GetActor();
        total += PlayerCovenantWornValue(actor ? actor->inventory.get() : recruit->inventory.get());
    }
    if (const Player* leader = GetPlayer())
        total += PlayerCovenantWornValue(leader->inventory.get());
    statistics.Set(CovenantStat::Items, static_cast<int32_t>(std::clamp<int64_t>(total, INT32_MIN, INT32_MAX)));
}

// ---- Storage -------------------------------------------------------------------------------------

Item* PlayerCovenant::GetInventoryItem(int32_t bag, int32_t slot) const
{
    if (bag != InventoryGroupIndex::House)
        return Covenant::GetInventoryItem(bag, slot);
    const Player* leader = GetPlayer();
    return leader && leader->inventory ? dynamic_cast<Item*>(leader->inventory->GetItem(bag, slot)) : nullptr;
}

void PlayerCovenant::DeleteInventoryItem(int32_t bag, int32_t slot)
{
    if (bag != InventoryGroupIndex::House) {
        Covenant::DeleteInventoryItem(bag, slot);
        return;
    }
    if (Player* leader = GetPlayer(); leader && leader->inventory)
        leader->inventory->DeleteAt(bag, slot);
}

ItemBase* PlayerCovenant::GetStoredItem(int32_t bag, int32_t slot) const
{
    const Player* leader = GetPlayer();
    // Mended: a deal could name a worn item, a bag with its contents, or the stash's goods.
    bool carried = bag >= InventoryGroupIndex::Bag1 && bag <= InventoryGroupIndex::Bag4;
    return carried && leader && leader->inventory ? leader->inventory->GetItem(bag, slot) : nullptr;
}

std::unique_ptr<ItemBase> PlayerCovenant::RemoveStoredItem(int32_t bag, int32_t slot)
{
    Player* leader = GetPlayer();
    return GetStoredItem(bag, slot) ? leader->inventory->RemoveAt(bag, slot) : nullptr;
}

bool PlayerCovenant::GiveStoredItem(std::unique_ptr<ItemBase>& item, int32_t)
{
    Player* leader = GetPlayer();
    if (!leader || !leader->inventory || !dynamic_cast<Item*>(item.get()))
        return false;
    InventoryBase& carried = *leader->inventory;
    constexpr int32_t kBags[] = {InventoryGroupIndex::Bag1, InventoryGroupIndex::Bag2};
    if (carried.GetSlotCount(InventoryGroupIndex::Bag1) > 0) {
        // A stack of either bag takes it whole before a free cell does.
        for (int32_t bag : kBags)
            for (int32_t slot = 0; slot < carried.GetSlotCount(bag); ++slot)
                if (const ItemBase* there = carried.GetItem(bag, slot);
                    there && there->CanStackWith(*item) && carried.PlaceItem(item, bag, slot, 0))
                    return true;
        for (int32_t bag : kBags)
            if (carried.AddItem(item, bag))
                return true;
    }
    std::unique_ptr<Item> dropped(static_cast<Item*>(item.release()));
    if (ItemGround::Drop(leader->position, dropped, false, true, true))
        return true;
    item = std::move(dropped);
    return false;
}

InventoryBag* PlayerCovenant::GetStorageBag(int32_t bag) const
{
    if (bag < kPlayerCovenantFirstStashBag || bag > kPlayerCovenantLastStashBag)
        return nullptr;
    return GetInventoryBag(bag);
}

void PlayerCovenant::OnHouseItemPlaced(int32_t slot, Item& item)
{
    if (item.GetItemType() == ItemType::Guard && slot >= 0 && slot < kGuardSlots && !item.IsGuardFallen())
        SpawnGuard(&item, slot);
    else if (item.GetItemType() == ItemType::Relic && slot >= kFirstRelicSlot && slot < kHouseSlots && !eliminated)
        PlaceRelic(&item, slot);
    RecomputeBonuses();
}

void PlayerCovenant::OnHouseItemRemoved(int32_t slot)
{
    if (slot >= 0 && slot < kGuardSlots)
        RemoveGuard(slot);
    else
        RemoveRelicDisplay(slot);
    RecomputeBonuses();
}

void PlayerCovenant::AddCurrency(int32_t amount)
{
    int64_t total = static_cast<int64_t>(statistics.Get(CovenantStat::Money)) + amount;
    statistics.Set(CovenantStat::Money, static_cast<int32_t>(std::clamp<int64_t>(total, 0, INT32_MAX)));
}

int32_t PlayerCovenant::GetCurrency() const
{
    return statistics.Get(CovenantStat::Money);
}
