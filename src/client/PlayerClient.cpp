// PlayerClient -- the client's copy of the local player: its character (stats, inventory, skills, quests, party, hints), its body in the world, its part of every game update, the settings it joins with and its character file.
#include "client/PlayerClient.h"

#include "client/CharacterSetUp.h"
#include "client/ClientApp.h"
#include "client/ClientSight.h"
#include "client/ClientUi.h"
#include "client/GameClient.h"
#include "client/PlayerCovenantClient.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/MessageBuffer.h"
#include "core/UserVarSystem.h"
#include "rules/CharacterFlags.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "world/World.h"
#include "world/WorldGateRecords.h"

#include <algorithm>

namespace {

// The idle animation's priority, and the stealthy one's.
constexpr int32_t kPlayerClientIdlePriority = 6;
constexpr int32_t kPlayerClientStealthIdlePriority = 7;
// The facing the player starts with.
constexpr int32_t kPlayerClientStartFacing = 3;
// A target farther than the greatest selection distance stays selected when it carries this flag
// (a quest's target) and stands in the player's own covenant.
constexpr uint32_t kPlayerClientKeptTargetFlag = 0x200;

// The modes of talking to, trading with and using a target: the player stands facing it.
bool PlayerClientFacesTarget(int32_t mode)
{
    return mode == 5 || mode == 6 || (mode >= 8 && mode <= 11) || (mode >= 15 && mode <= 22) || mode == 24;
}

ClientUi* PlayerClientUi()
{
    return gClientApp ? gClientApp->GetUi() : nullptr;
}

const GameSystemTuning* PlayerClientTuning()
{
    return gGameData ? &gGameData->GetTuning() : nullptr;
}

} // namespace

PlayerClient::PlayerClient()
    : stats(CharacterStat::kCount), funStats(CharacterFunStat::kCount),
      inventory(std::make_unique<InventoryClient>(&stats))
{
    ownsPriorityLight = true;
    inventory->SetOwner(this);
    messageLog.WriteInt(0);
    staging.inventory = std::make_unique<InventoryClient>(&stats);
    staging.inventory->SetOwner(this);
    for (auto& slot : questSlots)
        slot = std::make_unique<QuestClient>();
    quickUse.push_back({1, 0, 0, -1});
    ClientUi* ui = PlayerClientUi();
    hintsSeen.assign(static_cast<size_t>(ui ? std::max(ui->GetHintCount(), 0) : 0), false);
    characterFlags.assign(CharacterFlag::kCount, false);
    InitUseHints();
    Reset();
}

PlayerClient::~PlayerClient()
{
    // The held-button hook points at this player.
    if (aiming)
        StopAiming();
}

void PlayerClient::Reset()
{
    facing = kPlayerClientStartFacing;
    PlayAnimation("idle", kPlayerClientIdlePriority, AnimationMode::ReturnToIdle, false);
    interactionMode = 0;
    interactionTarget.Clear();
    opponentNumber = -1;
    pausedWithAction = false;
    pendingTree = -1;
    pendingSkill = -1;
    if (aiming)
        StopAiming();
    aimKind = kAimMove;
    returnPoint = WorldPos{-1, 0.0f, 0.0f, true};
    secondPoint = WorldPos{-1, 0.0f, 0.0f, true};
    party.clear();
    for (auto& slot : questSlots)
        slot->Reset();
    ownNumber = -1;
    placedByHost = false;
    comparisonRecruit = -1;
    comparisonGuardSlot = 0;
    comparisonRelicSlot = 0;
    body.Clear();
    itemLists[0].DeleteAll();
    StopMoving();
    levelName.clear();
    levelNameIndex = -1;
    lowHealthPlaying = false;
    activitySound = 0;
    lastTickSecond = -1;
}

void PlayerClient::NewGame()
{
    Reset();
    worldDifficulty = gWorld ? gWorld->GetDifficulty() : 0;
    worldWord = gWorld ? gWorld->GetLayoutSeed() : 0;
    PrepareItemLists();
}

void PlayerClient::PrepareItemLists()
{
    // Every update asks: lists that already hold the world's gates need no records made.
    auto ready = [this](int32_t list) {
        return itemLists[static_cast<size_t>(list)].IsLoaded() && itemLists[static_cast<size_t>(list)].GetCount() > 0;
    };
    if (ready(0) && ready(1))
        return;
    ItemPtrList records;
    FillWorldGateRecords(records);
    for (int32_t list : {0, 1}) {
        // A list made before the world had its gates holds none, and would never take them.
        if (itemLists[static_cast<size_t>(list)].GetCount() == 0)
            itemLists[static_cast<size_t>(list)].DeleteAll();
        itemLists[static_cast<size_t>(list)].EnsureLoaded(records);
    }
}

// ---- The link --------------------------------------------------------------------------------------

int32_t PlayerClient::GetInteractionMode() const
{
    bool autoAttack = gUserVarSystem && gUserVarSystem->GetBoolByName("ui_autoAttack");
    if (interactionMode == 0 && opponentNumber != -1 && !walkedThisFrame && autoAttack)
        return 3;
    return interactionMode;
}

int32_t PlayerClient::GetTargetNumber(bool allowOpponent) const
{
    const EntityClient* target = GetInteractionTarget();
    if (target && !target->IsDead())
        return target->entityNumber;
    if (allowOpponent && GetInteractionMode() == 3)
        return opponentNumber;
    return target ? target->entityNumber : -1;
}

void PlayerClient::OnWelcome(int32_t level)
{
    WorldPos standing = position;
    standing.level = level;
    SetPosition(standing);
    moveTarget = position;
}

void PlayerClient::OnNewWorld()
{
    Reset();
    NewGame();
    // The history and the lifestone news belong to the world that ended.
    if (covenant)
        covenant->Reset();
}

void PlayerClient::ShowPickupHelp(const EntityClient& entity)
{
    const DatabaseEntry* shown = entity.GetRecord();
    if (!shown)
        return;
    int32_t type = shown->GetType();
    if (type != DatabaseEntryType::Item && type != DatabaseEntryType::Money && type != DatabaseEntryType::QuestItem)
        return;
    TriggerHint("Alt");
    if (type == DatabaseEntryType::Money)
        TriggerHint("Money");
}

void PlayerClient::TriggerHint(const std::string& topic)
{
    ClientUi* ui = PlayerClientUi();
    if (!ui)
        return;
    std::string name = topic;
    // A chain whose names lead back into it stops after one walk over every hint.
    for (int32_t steps = 0; !name.empty() && steps <= ui->GetHintCount(); ++steps) {
        int32_t hint = ui->FindHint(name);
        if (hint < 0)
            return;
        if (!HasHintBeenSeen(hint)) {
            ui->ShowHint(hint);
            return;
        }
        name = ui->GetNextHintName(hint);
    }
}

bool PlayerClient::HasHintBeenSeen(int32_t hint) const
{
    return hint >= 0 && static_cast<size_t>(hint) < hintsSeen.size() && hintsSeen[static_cast<size_t>(hint)];
}

void PlayerClient::SetHintSeen(int32_t hint)
{
    if (hint < 0)
        return;
    if (static_cast<size_t>(hint) >= hintsSeen.size())
        hintsSeen.resize(static_cast<size_t>(hint) + 1, false);
    hintsSeen[static_cast<size_t>(hint)] = true;
    if (ClientUi* ui = PlayerClientUi())
        TriggerHint(ui->GetNextHintName(hint));
}

bool PlayerClient::GetCurrentLevelGateFlag(int32_t level) const
{
    const ItemPtrList& known = itemLists[0];
    for (int32_t i = 0; i < known.GetCount(); ++i) {
        const ItemPtrEntry* entry = const_cast<ItemPtrList&>(known).Get(i);
        if (entry->number == level && entry->flag)
            return true;
    }
    return false;
}

void PlayerClient::OfferHelpTopic(const std::string& topic)
{
    ClientUi* ui = PlayerClientUi();
    int32_t hint = ui && !topic.empty() ? ui->FindHint(topic) : -1;
    if (hint >= 0 && !HasHintBeenSeen(hint))
        ui->ShowHint(hint);
}

void PlayerClient::SetCovenant(PlayerCovenantClient* mirror)
{
    covenant = mirror;
    savedBlock = mirror;
}

CovenantBase* PlayerClient::GetPlayerCovenant() const
{
    return covenant;
}

PlayerCovenantClient* PlayerClient::PrepareCovenant()
{
    if (covenant || !gGameData || !gGameData->GetTuning().usingCovenants)
        return covenant;
    ownCovenant = std::make_unique<PlayerCovenantClient>();
    if (gUserVarSystem)
        ownCovenant->name = gUserVarSystem->GetStringByName("CovenantName");
    ownCovenant->LoadGlobalInventory();
    SetCovenant(ownCovenant.get());
    return covenant;
}

bool PlayerClient::UsesCovenant() const
{
    return covenant && gGameData && gGameData->GetTuning().usingCovenants;
}

bool PlayerClient::ReadUpdateTail(MessageBuffer& buffer)
{
    // The host sends its covenant's part between the game part and the player's.
    if (UsesCovenant() && !covenant->ParseUpdate(buffer))
        return false;
    return ParsePlayerPart(buffer);
}

void PlayerClient::ApplyUpdateTail(MessageBuffer& buffer)
{
    if (UsesCovenant()) {
        covenant->ApplyUpdate();
        covenant->AfterUpdate();
    }
    ApplyPlayerPart(buffer);
}

// ---- Questions -------------------------------------------------------------------------------------

float PlayerClient::GetMovementSpeed() const
{
    return static_cast<float>(stats.Get(CharacterStat::Movement));
}

bool PlayerClient::IsInParty(int32_t entityNumber) const
{
    return entityNumber != -1 && std::find(party.begin(), party.end(), entityNumber) != party.end();
}

int32_t PlayerClient::FindQuestForNpc(const EntityClient& npc) const
{
    for (int32_t slot = 0; slot < kQuestSlots; ++slot) {
        const QuestClient* quest = GetQuestSlot(slot);
        if (quest && quest->IsComplete() &&
            std::find(npc.questOffers.begin(), npc.questOffers.end(), quest->questId) != npc.questOffers.end())
            return slot;
    }
    return -1;
}

bool PlayerClient::GetCharacterFlag(int32_t flag) const
{
    return flag >= 0 && static_cast<size_t>(flag) < characterFlags.size() && characterFlags[static_cast<size_t>(flag)];
}

void PlayerClient::SetCharacterFlag(int32_t flag, bool value)
{
    if (flag < 0)
        return;
    if (static_cast<size_t>(flag) >= characterFlags.size())
        characterFlags.resize(static_cast<size_t>(flag) + 1, false);
    characterFlags[static_cast<size_t>(flag)] = value;
}

const QuestClient* PlayerClient::GetQuestSlot(int32_t slot) const
{
    if (slot < 0 || slot >= kQuestSlots)
        return nullptr;
    const QuestClient* quest = questSlots[static_cast<size_t>(slot)].get();
    return quest->level != -1 ? quest : nullptr;
}

bool PlayerClient::IsItemTimerActive(int32_t group) const
{
    const RandomTimer* timer = const_cast<PlayerClient*>(this)->GetItemTimer(group);
    return timer && timer->running && timer->remaining > 0.0f;
}

std::array<int32_t, 4> PlayerClient::GetQuickUse(int32_t index)
{
    // A hostile slot number can neither grow the table without bound nor write before it.
    if (index < 0 || index >= kMaxQuickUse)
        return {2, -1, -1, -1};
    if (static_cast<size_t>(index) >= quickUse.size())
        quickUse.resize(static_cast<size_t>(index) + 1, {2, -1, -1, -1});
    return quickUse[static_cast<size_t>(index)];
}

std::array<int32_t, 4> PlayerClient::GetQuickUseRecord(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= quickUse.size())
        return {2, -1, -1, -1};
    return quickUse[static_cast<size_t>(index)];
}

bool PlayerClient::SetQuickUse(int32_t index, const std::array<int32_t, 4>& words)
{
    if (index < 0 || index >= kMaxQuickUse)
        return false;
    GetQuickUse(index);
    quickUse[static_cast<size_t>(index)] = words;
    return true;
}

// ---- The frame -------------------------------------------------------------------------------------

const std::vector<std::unique_ptr<StatusEffectClient>>& PlayerClient::GetStatusEffectList() const
{
    const EntityClient* shown = GetBody();
    return shown && shown != this ? shown->GetStatusEffectList() : EntityClient::GetStatusEffectList();
}

void PlayerClient::SetOwnNumber(int32_t number)
{
    ownNumber = number;
    body.Set(gGameClient ? gGameClient->GetEntity(number) : nullptr);
}

void PlayerClient::SetPosition(const WorldPos& newPosition)
{
    float dx = newPosition.x - position.x;
    float dy = newPosition.y - position.y;
    if (newPosition.level == position.level && dx * dx + dy * dy <= 0.01f * 0.01f)
        return;
    EntityClient::SetPosition(newPosition);
}

void PlayerClient::SyncBody()
{
    EntityClient* shown = GetBody();
    if (!shown)
        return;
    shown->SetPosition(position);
    // The body is what the world draws: it faces where the player walks and turns, as it stands
    // where the player does.
    shown->facing = facing;
    shown->isPlayerBody = true;
    lightColor = shown->lightColor;
    lightFalloff = shown->lightFalloff;
    covenantIndex = shown->covenantIndex;
    scale = shown->scale;
    for (size_t location = 0; location < equipment.size(); ++location)
        CopyEquipmentLocation(equipment[location], shown->equipment[location]);
    maxHealth = shown->maxHealth;
    health = std::min(shown->health, shown->maxHealth);
}

void PlayerClient::UpdateFrame(float seconds)
{
    SyncBody();
    Update(seconds);
    ForgetIfFallenForGood();
    if (UsesCovenant()) {
        covenant->Update(seconds);
        covenant->SampleHistory();
    }
}

void PlayerClient::ForgetIfFallenForGood()
{
    const EntityClient* body = GetBody();
    if (gone || !HasHardcoreMode() || !body || !body->IsDead())
        return;
    gone = true;
    // A character never saved has no files of its own: one of its name may be another's.
    if (!fileBase.empty())
        CharacterSetUp::DeleteCharacterFiles(fileBase);
}

void PlayerClient::Update(float seconds)
{
    if (!GetBody())
        return;
    EntityClient::Update(seconds);
    UpdateAim();
    UpdateModes();
    EntityClient* target = GetInteractionTarget();
    bool chasing = interactionMode == kModeAttack || interactionMode == kModeApproach;
    if (chasing && target && !target->IsHidden())
        Follow(target);
    walkedThisFrame = Move(seconds);
    target = GetInteractionTarget();
    if (!walkedThisFrame && target && target != this && target != GetBody() && PlayerClientFacesTarget(interactionMode))
        FaceTowards(target->position, false);
    // Mended: the grids were traced in the game client's frame, before this walk and the clicks
    // moved the move target they centre on, so the fog ran a frame behind.
    if (gGameClient)
        gGameClient->GetSight().UpdateLineOfSight();
    SendPendingSkill();
    bool stealthed = (statusFlags & kStatusStealthed) != 0;
    PlayAnimation(stealthed ? "idleStealth" : "idle",
                  stealthed ? kPlayerClientStealthIdlePriority : kPlayerClientIdlePriority, AnimationMode::ReturnToIdle,
                  false);
    skillList.Update(gGameData ? gGameData->GetCharacterClass(stats.Get(CharacterStat::Class)) : nullptr, seconds,
                     this);
    for (RandomTimer& slotEvent : slotEvents)
        slotEvent.Update(seconds);
    for (const auto& quest : questSlots)
        quest->CheckProgress(*this);
    UpdateLevelName();
    UpdateOwnSounds();
    UpdateUseHints(seconds);
    UpdateHints();
}

RandomTimer* PlayerClient::GetItemTimer(int32_t group)
{
    if (group < 1 || group >= kSlotEvents)
        return nullptr;
    return &slotEvents[static_cast<size_t>(group)];
}

void PlayerClient::UpdateModes()
{
    const EntityClient* shown = GetBody();
    const EntityClient* target = GetInteractionTarget();
    if (interactionMode == kModeDead && !shown->IsDead())
        interactionMode = 0;
    // Mended: these dropped the mode without leaving it, so the windows it opened (a trader's,
    // a stash's) stayed open once their target was gone.
    bool targetGone = !target && interactionMode != kModeDead;
    if (targetGone || (interactionMode == kModeAttack && target && target->IsDead()))
        DropMode();
    if (shown->IsDead() && interactionMode != kModeDead) {
        // The windows of the mode the player fell in (a stash, a trader) close with it.
        LeaveMode(interactionMode);
        interactionMode = kModeDead;
    }
    if (target && !StillWhereItsWindowOpened())
        DropMode();
    if (interactionMode == kModeApproach && target && TargetWithinReach())
        SetInteractionMode(false, target->GetClickAction(true, false), false);
    if (pausedWithAction)
        interactionMode = kModePaused;
    const GameSystemTuning* tuning = PlayerClientTuning();
    float reach = tuning ? tuning->maxSelectedEntityDistance : 0.0f;
    bool kept = target && (target->flags & kPlayerClientKeptTargetFlag) && target->covenantIndex == covenantIndex;
    if (target && reach > 0.0f && !kept) {
        Vector2 delta = position.DeltaTo(target->position);
        if (delta.x * delta.x + delta.y * delta.y > reach * reach) {
            DropMode();
            pendingTree = -1;
            pendingSkill = -1;
            interactionTarget.Clear();
        }
    }
}

void PlayerClient::DropMode()
{
    // The death screen and the pause keep to their own rules; any other mode is left properly,
    // closing what it opened.
    if (interactionMode == kModeDead || interactionMode == kModePaused)
        interactionMode = 0;
    else if (interactionMode != 0)
        SetInteractionMode(true, 0, true);
}

void PlayerClient::UpdateHints()
{
    const EntityClient* shown = GetBody();
    if (shown->health < shown->maxHealth / 2)
        TriggerHint("LowHealth");
    const EntityClient* member = !party.empty() && gGameClient ? gGameClient->GetEntity(party.front()) : nullptr;
    if (member && member->health < member->maxHealth / 2)
        TriggerHint("PartyMemberLowHealth");
    if (shown->maxHealth > 0 && shown->health <= 0)
        TriggerHint("Death");
}
