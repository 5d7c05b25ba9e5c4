// PlayerCovenantClient -- the client's mirror of the local player's own covenant: the block it joins with, its part of every game update, its block in the character file, its recruits, alarms, lifestone news and the history of every covenant's standing.
#include "client/PlayerCovenantClient.h"

#include "client/ClientApp.h"
#include "client/EntityClient.h"
#include "client/GameClient.h"
#include "client/InventoryClient.h"
#include "client/LocalPlayerLink.h"
#include "core/CommandSystem.h"
#include "core/DebugSystem.h"
#include "core/MessageBuffer.h"
#include "resources/ResourceManager.h"
#include "rules/GameData.h"
#include "rules/RulesEnums.h"

#include <algorithm>

namespace {

int32_t PlayerCovenantClientSlots()
{
    return gGameData ? std::max(0, gGameData->GetTuning().maxRecruits) : 0;
}

void PlayerCovenantClientLoadSound(const char* path, ResourceHandle& out)
{
    if (gResourceManager)
        gResourceManager->Load(path, out);
}

} // namespace

PlayerCovenantClient::PlayerCovenantClient()
    : recruits(static_cast<size_t>(PlayerCovenantClientSlots())), hero(std::make_unique<RecruitClient>())
{
    inventory = std::make_unique<InventoryClient>();
    statistics.SetCount(CovenantStat::kCount);
    PlayerCovenantClientLoadSound("Sounds/alarm.ogg", alarmSound);
    PlayerCovenantClientLoadSound("Sounds/town_being_attacked.ogg", townAttackedSound);
    PlayerCovenantClientLoadSound("Sounds/treatyRequest.ogg", treatyRequestSound);
    PlayerCovenantClientLoadSound("Sounds/declaredWar.ogg", declaredWarSound);
    PlayerCovenantClientLoadSound("Sounds/startedRaid.ogg", startedRaidSound);
    Reset();
}

PlayerCovenantClient::~PlayerCovenantClient() = default;

void PlayerCovenantClient::Reset()
{
    history.clear();
    firstSampleMinute = 0;
    sampled = false;
    lastSampleTime = TimeStamp();
    lowestSampled.fill(0);
    highestSampled.fill(0);
    for (auto& record : covenantRecords)
        record.clear();
    lastLifestoneFraction = 1.0f;
    alertFlags.fill(false);
    storedIndices = {-1, -1};
    pendingOffers.clear();
    ignoredCovenants.clear();
}

InventoryClient& PlayerCovenantClient::GetInventory() const
{
    return static_cast<InventoryClient&>(*inventory);
}

// ---- Joining ---------------------------------------------------------------------------------------

void PlayerCovenantClient::WriteSettings(MessageBuffer& buffer) const
{
    buffer.WriteString(GetName());
    buffer.WriteBool(hasInventory);
    if (hasInventory)
        inventory->Write(buffer, false);
    buffer.WriteBool(loaded);
    if (!loaded)
        return;
    int32_t count = 0;
    for (const auto& recruit : recruits)
        count += recruit ? 1 : 0;
    buffer.WriteInt(count);
    for (int32_t slot = 0; slot < GetRecruitSlots(); ++slot) {
        if (const RecruitClient* recruit = GetRecruit(slot)) {
            buffer.WriteInt(slot);
            recruit->WriteSettings(buffer);
        }
    }
    statistics.WriteValues(buffer);
    buffer.WriteInt(GetHomeHealth());
    buffer.WriteInt(GetHomeMaxHealth());
}

// ---- The covenant part of the game update ------------------------------------------------------------

bool PlayerCovenantClient::ParseUpdate(MessageBuffer& buffer)
{
    UpdateStaging& s = staging;
    s.name = buffer.ReadString();
    s.homeLevel = buffer.ReadInt();
    s.homeX = buffer.ReadFloat();
    s.homeY = buffer.ReadFloat();
    s.index = buffer.ReadInt();
    // Read into the inventory the last update replaced, whose items take the same items again.
    if (!s.inventory)
        s.inventory = std::make_unique<InventoryClient>();
    if (buffer.Overrun() || !s.inventory->Read(buffer, false, 0))
        return false;
    s.recruitCount = buffer.ReadInt();
    if (buffer.Overrun() || s.recruitCount < 0 || s.recruitCount > GetRecruitSlots()) {
        DebugSystem::Print(kPrintDeveloper, "The covenant part names %d recruits\n", s.recruitCount);
        return false;
    }
    // Each slot's record is read into the object the slot's last record was read into.
    s.recruits.resize(recruits.size());
    s.named.assign(recruits.size(), false);
    for (int32_t i = 0; i < s.recruitCount; ++i) {
        int32_t slot = buffer.ReadInt();
        if (buffer.Overrun() || slot < 0 || slot >= GetRecruitSlots() || s.named[static_cast<size_t>(slot)]) {
            DebugSystem::Print(kPrintDeveloper, "The covenant part names recruit slot %d\n", slot);
            return false;
        }
        std::unique_ptr<RecruitClient>& recruit = s.recruits[static_cast<size_t>(slot)];
        if (!recruit)
            recruit = std::make_unique<RecruitClient>();
        if (!recruit->ReadUpdate(buffer))
            return false;
        s.named[static_cast<size_t>(slot)] = true;
    }
    for (int32_t& value : s.tracked)
        value = buffer.ReadInt();
    for (int32_t& value : s.stats)
        value = buffer.ReadInt();
    s.eliminated = buffer.ReadBool();
    for (bool& alert : s.alerts)
        alert = buffer.ReadBool();
    s.targetCovenant = buffer.ReadInt();
    s.health = buffer.ReadInt();
    s.maxHealth = buffer.ReadInt();
    s.heroNamed = buffer.ReadBool();
    if (buffer.Overrun())
        return false;
    if (s.heroNamed) {
        // The hero two updates old is read into; the name is the new record's own.
        if (!s.hero)
            s.hero = std::make_unique<RecruitClient>();
        s.hero->displayName.clear();
        s.hero->nameStamp = -1;
        if (!s.hero->ReadUpdate(buffer))
            return false;
    }
    return !buffer.Overrun();
}

void PlayerCovenantClient::ApplyUpdate()
{
    UpdateStaging& s = staging;
    name = std::move(s.name);
    homeLevel = s.homeLevel;
    homeX = s.homeX;
    homeY = s.homeY;
    index = s.index;
    // The read inventory becomes the covenant's; the old one takes the next update. Both are
    // the client's inventories: this one is made as such, and so is every one it replaces.
    if (s.inventory) {
        std::unique_ptr<InventoryBase> read = std::move(s.inventory);
        s.inventory.reset(static_cast<InventoryClient*>(inventory.release()));
        inventory = std::move(read);
    }
    LocalPlayerLink* player = gClientApp ? gClientApp->GetLink() : nullptr;
    if (s.recruitCount > 0 && s.recruitCount != recruitCount && player)
        player->OfferHelpTopic("YourRecruits");
    recruitCount = s.recruitCount;
    TakeRecruits(s.recruits, s.named);
    for (int32_t i = 0; i < kTrackedValues; ++i) {
        int32_t value = s.tracked[static_cast<size_t>(i)];
        if (value != trackedValues.Get(i)) {
            trackedTotals.Add(i, static_cast<int32_t>(std::clamp<int64_t>(int64_t{value} - trackedValues.Get(i),
                                                                          INT32_MIN, INT32_MAX)));
            trackedValues.Set(i, value);
        }
    }
    statistics.Set(CovenantStat::MaxNPCs, s.stats[0]);
    statistics.Set(CovenantStat::MaxLifeStone, s.stats[1]);
    statistics.Set(CovenantStat::Money, s.stats[2]);
    // The client's loss screen waits for this flag of its own covenant.
    eliminated = s.eliminated;
    alertFlags = s.alerts;
    targetCovenant = s.targetCovenant;
    SetHomeMaxHealth(s.maxHealth);
    SetHomeHealth(std::min(s.health, s.maxHealth));
    if (s.heroNamed) {
        hero.swap(s.hero);
    } else {
        hero->entityNumber = -1;
    }
}

// A recruit named again keeps its object (and the name the world gave it), so that what holds it
// stays good; the others go.
void PlayerCovenantClient::TakeRecruits(std::vector<std::unique_ptr<RecruitClient>>& staged,
                                        const std::vector<bool>& named)
{
    for (auto& recruit : recruits)
        if (recruit)
            recruit->stale = true;
    for (size_t slot = 0; slot < recruits.size() && slot < staged.size(); ++slot) {
        if (slot >= named.size() || !named[slot] || !staged[slot])
            continue;
        // A recruit new to the slot gets an object of its own, with a name of its own; the
        // staged one stays to read the slot's next record.
        if (!recruits[slot])
            recruits[slot] = std::make_unique<RecruitClient>();
        recruits[slot]->TakeRecord(*staged[slot]);
        recruits[slot]->stale = false;
    }
    for (auto& recruit : recruits)
        if (recruit && recruit->stale)
            recruit.reset();
}

bool PlayerCovenantClient::ReadUpdate(MessageBuffer& buffer)
{
    if (!ParseUpdate(buffer))
        return false;
    ApplyUpdate();
    return true;
}

void PlayerCovenantClient::AfterUpdate()
{
    if (index >= 0 && gGameClient)
        gGameClient->GetCovenant(index, false);
}

// ---- Questions -------------------------------------------------------------------------------------

RecruitClient* PlayerCovenantClient::GetRecruit(int32_t slot) const
{
    return slot >= 0 && slot < GetRecruitSlots() ? recruits[static_cast<size_t>(slot)].get() : nullptr;
}

int32_t PlayerCovenantClient::FindRecruitSlot(int32_t entityNumber) const
{
    if (entityNumber == -1)
        return -1;
    for (int32_t slot = 0; slot < GetRecruitSlots(); ++slot)
        if (const RecruitClient* recruit = GetRecruit(slot); recruit && recruit->entityNumber == entityNumber)
            return slot;
    return -1;
}

bool PlayerCovenantClient::IsHero(int32_t entityNumber) const
{
    return hero->entityNumber != -1 && hero->entityNumber == entityNumber;
}

void PlayerCovenantClient::ListRecruits(std::vector<ListEntry>& rows) const
{
    for (int32_t slot = 0; slot < GetRecruitSlots(); ++slot) {
        if (const RecruitClient* recruit = GetRecruit(slot)) {
            ListEntry row;
            row.name = recruit->displayName;
            row.value = std::to_string(slot);
            // Only a recruit standing in the world can be taken along: the world host has no one
            // else to send. One that has fallen, or is not back yet, is listed greyed and says why.
            const EntityClient* body = gGameClient ? gGameClient->GetEntity(recruit->entityNumber) : nullptr;
            if (recruit->entityNumber < 0 || (body && body->maxHealth > 0 && body->health < 1)) {
                row.enabled = 0;
                row.helpText = "$$RecruitNotInWorld$$";
            }
            rows.push_back(std::move(row));
        }
    }
}

bool PlayerCovenantClient::HasWarWith() const
{
    if (eliminated || !gGameClient)
        return false;
    for (int32_t other = 0; other < gGameClient->GetCovenantCount(); ++other) {
        const CovenantClient* covenant = gGameClient->GetCovenant(other, false);
        if (!covenant || !covenant->HasRelation(index))
            continue;
        int32_t treaty = covenant->GetTreatyState(index);
        if ((treaty == CovenantTreaty::MutualProtectionPact || treaty == CovenantTreaty::Alliance) &&
            covenant->eliminated)
            return true;
    }
    return false;
}
