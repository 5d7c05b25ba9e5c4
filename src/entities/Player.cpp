// Player -- the host's entity for a client's character: creation, its step, client positions and exploration, targets, item timers, death and resurrection.
#include "entities/Player.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/EnumTable.h"
#include "core/Event.h"
#include "core/EventSystem.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "core/TypeRegistry.h"
#include "entities/Actor.h"
#include "entities/CharacterSettings.h"
#include "entities/EntityCovenant.h"
#include "entities/EntityQuest.h"
#include "entities/GameServices.h"
#include "entities/Inventory.h"
#include "entities/Item.h"
#include "entities/SoulStone.h"
#include "entities/Vendor.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/GameSystemTuning.h"
#include "world/World.h"

#include <algorithm>
#include <cmath>

EventClass* Player::eventClass = nullptr;

namespace {

constexpr int32_t kPlayerDyingPriority = 13;
constexpr int32_t kPlayerDeadPriority = 15;
constexpr int32_t kPlayerLivesKind = 2;
constexpr float kPlayerResurrectVolume = 100.0f;
constexpr const char* kPlayerResurrectSound = "Sounds/Player/resurrect.ogg";
constexpr const char* kPlayerRegenEffect = "StatusEffectBasicRegen";
// The kind of the town NPCs' chat line about a player's death.
constexpr int32_t kPlayerDeathChatKind = 24;
// The bags a new character's inventory sizes itself; bags 0 and 25 take their sizes from the
// game data.
constexpr int32_t kPlayerPackBag = 0;
constexpr int32_t kPlayerBeltBag = 1;
constexpr int32_t kPlayerBeltSize = 18;
constexpr int32_t kPlayerSixthBag = 6;
constexpr int32_t kPlayerCovenantHouseBag = 24;
constexpr int32_t kPlayerSmallBagSize = 8;
constexpr int32_t kPlayerBookshelfBag = 25;

const GameSystemTuning* PlayerTuning()
{
    return gGameData ? &gGameData->GetTuning() : nullptr;
}

WorldPos PlayerNoGatePosition()
{
    WorldPos where;
    where.level = -1;
    return where;
}

// Modes 18 and 19 use their target while they last.
// Trading: the vendor sets up its stock for the customer.
constexpr int32_t kPlayerTradeMode = 22;

bool PlayerModeUsesTarget(int32_t mode)
{
    return mode == 18 || mode == 19;
}

} // namespace

Player::Player() : statistics(PlayerStatistic::kCount)
{
    statistics.Set(PlayerStatistic::StrongestKilledType, -1);
    statistics.Set(PlayerStatistic::StrongestKillerType, -1);
    statistics.Set(PlayerStatistic::WeakestKillerType, -1);
    lightIntensity = kLightIntensity;
    sentientLightColor = Color{1.0f, 1.0f, 1.0f};
    // Registered here so that the entity's step counts their remaining time down.
    for (RandomTimer& timer : itemTimers) {
        timer.listed = 1;
        timers.push_back(&timer);
    }
    for (std::unique_ptr<EntityQuest>& quest : questSlots)
        quest = gGameServices ? gGameServices->CreatePlayerQuest() : nullptr;
    ResetState();
}

Player::~Player() = default;

void Player::RegisterEventClass(EventSystem& events, TypeRegistry& types)
{
    Sentient::RegisterEventClass(events, types);
    if (eventClass && types.FindType("Player") == eventClass)
        return;
    eventClass = types.RegisterType("Player", "Sentient", nullptr, nullptr);
    Listener::Subscribe(eventClass, GetEventId(SentientEvent::Resurrect), &Player::OnResurrectEvent);
    Listener::Subscribe(eventClass, GetEventId(SentientEvent::SuccessfulKill), &Player::OnSuccessfulKillEvent);
    Listener::Subscribe(eventClass, GetEventId(SentientEvent::CreateGate), &Player::OnCreateGateEvent);
}

EventClass* Player::GetEventClass() const
{
    return eventClass ? eventClass : Sentient::GetEventClass();
}

// ---- Creation ---------------------------------------------------------------------------------

void Player::SetUpNew(int32_t classIndex)
{
    SetClass(classIndex, true);
    if (const CharacterClass* playerClass = GetClass())
        for (int32_t i = 0; i < 5; ++i)
            stats.Set(CharacterStat::BaseStrength + i, playerClass->startAttributes[static_cast<size_t>(i)]);
    RecalculateStats(true);
    health = maxHealth;
    ApplyBagSizes();
    ResetState();
    AddStatusEffectByName(kPlayerRegenEffect, this, 1);
}

void Player::ApplyBagSizes()
{
    if (const GameSystemTuning* tuning = PlayerTuning()) {
        inventory->ResizeBag(kPlayerPackBag, tuning->inventorySize);
        inventory->ResizeBag(kPlayerBookshelfBag, tuning->bookshelfSize);
    }
    inventory->ResizeBag(kPlayerBeltBag, kPlayerBeltSize);
    inventory->ResizeBag(kPlayerSixthBag, kPlayerSmallBagSize);
    inventory->ResizeBag(kPlayerCovenantHouseBag, kPlayerSmallBagSize);
}

void Player::ResetState()
{
    interactionMode = 0;
    playerGatePosition = PlayerNoGatePosition();
    raidGatePosition = PlayerNoGatePosition();
    for (SafePointer* gate : {&playerGate, &homeGate, &raidGate, &raidHomeGate})
        gate->Set(nullptr);
    ReleaseTargets();
    ResetQuestSlots();
    MakeSavedListsReady();
    moveTargetValid = false;
    killingSpree.Clear();
    specificSpree.Clear();
    objectSpree.Clear();
    massacre.Clear();
}

void Player::ReleaseTargets()
{
    selectedTarget.Set(nullptr);
    interactionTarget.Set(nullptr);
    autoTarget.Set(nullptr);
}

// ---- The step -----------------------------------------------------------------------------------

void Player::Update(float seconds)
{
    WatchHouseBag();
    ChooseAutoTarget();
    Sentient::Update(seconds);
    AdvancePlayTime(seconds);
    if (health > 0 || maxHealth == 0) {
        AdvanceQuests(seconds);
        CheckHealthBonuses();
        intensity.Update(seconds);
    } else {
        UpdateDying();
    }
}

// A hidden player picks no fights; otherwise the nearest engaged enemy, its own or its party's.
void Player::ChooseAutoTarget()
{
    Entity* current = autoTarget.GetAs<Entity>();
    if (current && !current->IsDead())
        return;
    const GameSystemTuning* tuning = PlayerTuning();
    Entity* chosen = nullptr;
    if (tuning && tuning->autoTarget && !(flags & kFlagHidden)) {
        chosen = GetNearestEngaged();
        std::vector<int32_t> party;
        CollectCompanionNumbers(party);
        for (size_t i = 0; !chosen && i < party.size(); ++i)
            if (auto* member = dynamic_cast<Sentient*>(gGameServices ? gGameServices->GetEntity(party[i]) : nullptr))
                chosen = member->GetNearestEngaged();
    }
    autoTarget.Set(chosen);
}

void Player::AdvancePlayTime(float seconds)
{
    int64_t milliseconds = static_cast<int64_t>(statistics.Get(PlayerStatistic::PlayMilliseconds)) +
                           static_cast<int64_t>(std::floor(std::max(seconds, 0.0f) * 1000.0f));
    if (milliseconds > kMillisecondsPerDay) {
        milliseconds = std::max<int64_t>(milliseconds - kMillisecondsPerDay, 0);
        statistics.Add(PlayerStatistic::DaysPlayed, 1);
    }
    statistics.Set(PlayerStatistic::PlayMilliseconds, static_cast<int32_t>(milliseconds));
}

void Player::UpdateDying()
{
    if (dyingState == PlayerDying::kAlive) {
        PlayAnimation("dying", kPlayerDyingPriority, AnimationMode::Hold, false);
        dyingState = PlayerDying::kDying;
    }
    if (finished && PlayAnimation("dead", kPlayerDeadPriority, AnimationMode::Loop, false))
        dyingState = PlayerDying::kDead;
}

// ---- Moving and exploring ----------------------------------------------------------------------

bool Player::SetClientPosition(const WorldPos& where)
{
    bool known = gGameServices && gGameServices->IsKnownLevel(where.level);
    if (!known || !std::isfinite(where.x) || !std::isfinite(where.y)) {
        DebugSystem::Print(2, "Refused a client position (level %d) for player %d\n", where.level, entityNumber);
        return false;
    }
    SetPosition(where);
    return true;
}

void Player::SetPosition(const WorldPos& newPosition)
{
    if (newPosition.level == position.level && std::fabs(newPosition.x - position.x) < kMinimumMove &&
        std::fabs(newPosition.y - position.y) < kMinimumMove)
        return;
    Sentient::SetPosition(newPosition);
    Notify(1, nullptr);
    autoTarget.Set(nullptr);
    RecordExplored(newPosition.level);
}

bool Player::IsLevelExplored(int32_t level) const
{
    return level >= 0 && level < static_cast<int32_t>(exploredLevels.size()) &&
           exploredLevels[static_cast<size_t>(level)];
}

void Player::RecordExplored(int32_t level)
{
    if (level < 0 || IsLevelExplored(level))
        return;
    if (level >= static_cast<int32_t>(exploredLevels.size()))
        exploredLevels.resize(static_cast<size_t>(level) + 1, false);
    exploredLevels[static_cast<size_t>(level)] = true;
    if (level == 0)
        return;
    int32_t monsterLevel = gWorld ? gWorld->GetLevelMonsterLevel(level) : 1;
    int32_t gained = GainExperience(monsterLevel, ExperienceKind::kLevel, 1.0f);
    if (gained > 0)
        QueueLine(StringFormat("dmg %d +%d$$xp$$", entityNumber, gained));
}

// ---- Targets ------------------------------------------------------------------------------------

void Player::SetInteraction(int32_t mode, int32_t targetNumber)
{
    Entity* target = gGameServices ? gGameServices->GetEntity(targetNumber) : nullptr;
    Entity* old = interactionTarget.GetAs<Entity>();
    if (mode == interactionMode && target == old)
        return;
    if (target && mode >= 18 && mode <= 21 && !IsWithinUseReach(*target))
        return;
    if (PlayerModeUsesTarget(interactionMode) && old)
        old->OnUseEnded(this);
    interactionMode = mode;
    SetInteractionTarget(target);
    if (!target)
        return;
    if (PlayerModeUsesTarget(mode))
        target->OnUsedBy(this);
    else if (mode == 20 || mode == 21)
        target->Use(this);
    else if (auto* vendor = dynamic_cast<Vendor*>(target); vendor && mode == kPlayerTradeMode)
        vendor->MeetCustomer(this);
}

bool Player::IsWithinUseReach(const Entity& target) const
{
    const GameSystemTuning* tuning = PlayerTuning();
    float cell = tuning ? tuning->gridSize.x : 32.0f;
    float reach = radius + target.radius + 2.0f * cell;
    // A level that does not touch the player's lies far away in the player's frame.
    Vector2 delta = target.position.DeltaTo(position);
    return std::isfinite(delta.x) && std::isfinite(delta.y) && delta.x * delta.x + delta.y * delta.y <= reach * reach;
}

void Player::SetInteractionTarget(Entity* target)
{
    selectedTarget.Set(target);
    interactionTarget.Set(target);
}

Entity* Player::GetCurrentTarget() const
{
    Entity* selected = selectedTarget.GetAs<Entity>();
    if (selected && !selected->IsDead())
        return selected;
    Entity* automatic = autoTarget.GetAs<Entity>();
    if (interactionMode == 3 && automatic && automatic->IsAlive())
        return automatic;
    return nullptr;
}

void Player::OnAttackedBy(Entity* attacker)
{
    if (attacker == this)
        return;
    Sentient::OnAttackedBy(attacker);
    RetargetOn(attacker);
}

void Player::RetargetOn(Entity* attacker)
{
    const GameSystemTuning* tuning = PlayerTuning();
    Entity* current = autoTarget.GetAs<Entity>();
    if (!tuning || !tuning->autoTarget || !attacker || attacker == current)
        return;
    bool replace = !current || current->IsDead();
    if (!replace) {
        float dx = current->position.x - position.x;
        float dy = current->position.y - position.y;
        replace = std::sqrt(dx * dx + dy * dy) >= kAutoTargetRange * tuning->gridSize.x;
    }
    if (!replace)
        return;
    autoTarget.Set(attacker);
    if (!retargetTimer.running || retargetTimer.remaining <= 0.0f) {
        retargetTimer.total = kRetargetSeconds;
        retargetTimer.remaining = kRetargetSeconds;
        retargetTimer.running = 1;
    }
}

// ---- Relations --------------------------------------------------------------------------------

namespace {

// An actor whose definition says it cannot be attacked.
bool PlayerActorIsProtected(const Actor& actor)
{
    return actor.GetDefinition() && !actor.DefBool("CanBeAttacked");
}

} // namespace

bool Player::IsRelatedTo(const Entity* other) const
{
    if (!other || other == this || !other->CanBeAttacked())
        return false;
    const auto* actor = dynamic_cast<const Actor*>(other);
    if (!actor)
        return other->IsAlive() && !(covenantIndex >= 0 && other->covenantIndex == covenantIndex);
    if (PlayerActorIsProtected(*actor))
        return false;
    if (!actor->npc)
        return true;
    return gGameServices && gGameServices->GetRelationship(this, other) == 0;
}

bool Player::IsNeverHostileTo(const Entity* other) const
{
    if (!other || !GetCovenant())
        return false;
    if (other->GetCovenant())
        return gGameServices && gGameServices->GetRelationship(this, other) > 0;
    const auto* actor = dynamic_cast<const Actor*>(other);
    if (!actor)
        return false;
    if (PlayerActorIsProtected(*actor))
        return true;
    return actor->npc && gGameServices && gGameServices->GetRelationship(this, other) > 1;
}

bool Player::TalksToOwnCovenantNpc() const
{
    const auto* npc = dynamic_cast<const Actor*>(GetInteractionTarget());
    return npc && npc->npc && covenantIndex >= 0 && npc->covenantIndex == covenantIndex;
}

// ---- Small answers ----------------------------------------------------------------------------

void Player::GetCombatEffect(int32_t kind, std::string& out) const
{
    out.clear();
    const DatabaseEntry* record = GetClass() ? GetClass()->GetEntry() : nullptr;
    const EnumTable* kinds = EnumTable::Find("AttackSoundType");
    if (!record || !kinds || kind < 0 || kind >= AttackSoundType::kCount)
        return;
    out = record->GetString("CombatEffect" + kinds->GetName(kind));
}

void Player::GetAnchorPosition(WorldPos& out) const
{
    out = skillTargetPosition;
    out.wrap = true;
}

void Player::ReportDamageDealt(int32_t total)
{
    statistics.Set(PlayerStatistic::LargestSkillDamage, std::max(statistics.Get(PlayerStatistic::LargestSkillDamage), total));
}

void Player::ReportHealingDone(int32_t amount)
{
    statistics.Set(PlayerStatistic::LargestHeal, std::max(statistics.Get(PlayerStatistic::LargestHeal), amount));
}

void Player::OnItemObtained(Item* item)
{
    if (item)
        statistics.Set(PlayerStatistic::HighestItemValue,
                       std::max(statistics.Get(PlayerStatistic::HighestItemValue), item->GetValue(true)));
}

namespace {

// The covenant this player's covenant adventures with; null without either.
EntityCovenant* PlayerPartnerCovenant(const Player& player)
{
    const EntityCovenant* own = player.GetCovenant();
    return own && gGameServices ? gGameServices->GetCovenant(own->GetPartnerIndex()) : nullptr;
}

} // namespace

float Player::GetLootMoneyFactor() const
{
    return PlayerPartnerCovenant(*this) ? 0.5f : 1.0f;
}

void Player::OnVictimLooted(Entity* victim)
{
    const EntityCovenant* partner = PlayerPartnerCovenant(*this);
    if (partner && victim)
        partner->CheckMemberItems(*victim);
}

bool Player::IsItemTimerReady(int32_t index) const
{
    if (index <= 0 || index >= kItemTimerCount)
        return true;
    const RandomTimer& timer = itemTimers[static_cast<size_t>(index)];
    return !timer.running || timer.remaining <= 0.0f;
}

void Player::SetItemTimer(int32_t index, float seconds)
{
    // Timer 0 stands for items without a cooldown.
    if (index <= 0 || index >= kItemTimerCount)
        return;
    RandomTimer& timer = itemTimers[static_cast<size_t>(index)];
    timer.total = seconds;
    timer.remaining = seconds;
    timer.running = 1;
    QueueLine(StringFormat("itemTimer %d %.1f", index, seconds));
}

float Player::GetSizeScale() const
{
    const DatabaseEntry* record = GetClass() ? GetClass()->GetEntry() : nullptr;
    return record ? record->GetFloat("Scale", 1.0f) : 1.0f;
}

void Player::SendMessage(std::string_view text, int32_t kind)
{
    // Mended: every client heard each player's refusals, and one client's flood of them pushed
    // the others' own lines out of their updates.
    if (gGameServices)
        gGameServices->SendMessageTo(entityNumber, text, kind);
}

void Player::QueueWarpDirection()
{
    if (gGameServices)
        gGameServices->QueueClientCommandFor(entityNumber, StringFormat("warpDir %d", facing));
}

void Player::Warp(const WorldPos& target)
{
    Sentient::Warp(target);
    // A refused warp left the player where it stood: nothing to tell.
    bool known = gGameServices && gGameServices->IsKnownLevel(target.level);
    if (!known || !std::isfinite(target.x) || !std::isfinite(target.y))
        return;
    if (gGameServices)
        gGameServices->QueueClientCommandFor(entityNumber,
                                             StringFormat("warp %d %.1f %.1f", position.level, position.x, position.y));
    moveTarget = position;
    moveTargetValid = true;
}

void Player::QueueLine(std::string_view text)
{
    if (gGameServices)
        gGameServices->QueueClientCommand(text);
}

// ---- Death and resurrection ------------------------------------------------------------------

void Player::OnDeath(Entity* killer)
{
    Sentient::OnDeath(killer);
    RecordKiller(killer);
    bool byCovenant = killer && killer != this && killer->GetCovenant();
    // A death at a covenant member's hands costs no experience and leaves no stone.
    if (!byCovenant) {
        LeaveSoulStone(AddXpDebtOnDeath());
        if (gGameServices)
            gGameServices->AddDynamicNpcChat(kPlayerDeathChatKind, playerName, 0);
    }
    if (const DatabaseEntry* named = killer ? killer->GetNetRecord() : nullptr)
        QueueLine(StringFormat("death %d", named->GetId()));
    intensity.Add(killer, IntensityEvent::Killed);
}

void Player::LeaveSoulStone(int32_t debt)
{
    if (gGameServices && gDatabase && gDatabase->FindEntryByName(SoulStone::kRecordName))
        gGameServices->SpawnSoulStone(*this, debt);
}

void Player::OnResurrectEvent(Event&)
{
    Resurrect(true);
}

void Player::Resurrect(bool atHome)
{
    if (!IsDead())
        return;
    const GameSystemTuning* tuning = PlayerTuning();
    bool limitedLives = tuning && tuning->limitedLives;
    if (limitedLives && stats.Get(CharacterStat::Lives) < 1)
        return;
    // Mended: a hardcore character rose again at the lifestone, though its one life was spent.
    if (GetCharacterFlag(CharacterFlag::kStaysDead))
        return;
    EntityCovenant* covenant = GetCovenant();
    if (atHome && covenant)
        Warp(covenant->GetResurrectPosition(*this));
    float healthPercent = tuning ? tuning->resurrectHealthPercent : 0.0f;
    health = std::max(1, static_cast<int32_t>(healthPercent * static_cast<float>(maxHealth)));
    if (stats.Get(CharacterStat::MaxPower) > 0 && tuning) {
        int32_t power = static_cast<int32_t>(tuning->resurrectPowerPercent *
                                             static_cast<float>(stats.Get(CharacterStat::MaxPower)));
        stats.Set(CharacterStat::Power, std::max(stats.Get(CharacterStat::Power), power));
    }
    PlayAnimation("idle", AnimationPriority::kAlwaysWins, AnimationMode::ReturnToIdle, true);
    dyingState = PlayerDying::kAlive;
    netFlag = true;
    if (gGameServices)
        gGameServices->NotifyObjectsOfKind33();
    QueueWorldEvent(kPlayerResurrectSound, 0.0f, kPlayerResurrectVolume);
    if (limitedLives) {
        stats.SubtractFloored(CharacterStat::Lives, 1);
        AnnounceLivesLeft();
        if (stats.Get(CharacterStat::Lives) == 0 && tuning->bonusNoLivesLeftScore > 0)
            AwardBonus("BonusNoLivesLeft", tuning->bonusNoLivesLeftScore);
    }
    lowestHealth = 0;
}

void Player::AnnounceLivesLeft()
{
    int32_t lives = stats.Get(CharacterStat::Lives);
    if (lives == 1)
        SendMessage("$$OneLifeLeft$$", kPlayerLivesKind);
    else
        SendMessage(MakeLocToken("XLivesLeft", "%d", lives), kPlayerLivesKind);
}

void Player::RequestResurrect()
{
    EntityCovenant* covenant = GetCovenant();
    float wait = covenant ? covenant->GetResurrectDelay(*this) : 0.0f;
    if (wait <= 0.0f) {
        Resurrect(true);
        return;
    }
    // A rise already under way keeps its own clock: asking again neither restarts nor skips it.
    StartTimedEvent(GetEventId(SentientEvent::Resurrect), 7, wait);
}

bool Player::IsFree() const
{
    return false;
}
