// Skill -- a skill known by a host entity: its use check with the refusals, its use in stages, its cooldown, its use-check gate and its passive share.
#include "entities/Skill.h"

#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/LocSystem.h"
#include "core/RandomSystem.h"
#include "core/StringUtil.h"
#include "entities/GameServices.h"
#include "entities/Item.h"
#include "entities/ItemGround.h"
#include "entities/Sentient.h"
#include "entities/StatusEffect.h"
#include "rules/CharacterClass.h"
#include "rules/GameData.h"
#include "rules/skills/SkillDefinition.h"
#include "resources/models/Animation.h"
#include "rules/statuseffects/StatusEffectBase.h"

#include <algorithm>
#include <cmath>

namespace {

// The kind of the notice that a skill's item lies at its owner's feet.
constexpr int32_t kSkillItemNoticeKind = 4;

struct SkillRefusal {
    const char* key;
    int32_t kind;
};

// By SkillUseResult; a null key tells nobody. NoPower is built from the class's power name.
constexpr SkillRefusal kSkillRefusals[SkillUseResult::kCount] = {
    {nullptr, 0},
    {nullptr, 0},
    {nullptr, 0},
    {"$$CantUseWhenDead$$", 5},
    {"$$DontHaveSkill$$", 5},
    {"$$CantUseYet$$", 5},
    {nullptr, 4},
    {"$$NeedAnEnemy$$", 5},
    {"$$CanOnlyUseInCombat$$", 5},
    {"$$OutOfRange$$", 5},
    {"$$MissingRequirement$$", 5},
    {"$$BlockedFromUsing$$", 5},
    {"$$DontMeetRequirements$$", 5},
    {"$$CantSee$$", 5},
    {"$$InViewOfEnemies$$", 5},
};

// Priorities and modes of the animations a use plays.
constexpr int32_t kSkillIdlePriority = 1;
constexpr int32_t kSkillCastPriority = 10;
constexpr int32_t kSkillAnimationPriority = 11;
constexpr const char* kSkillMarker = "skillMarker";

bool SkillIsDead(const Entity& entity)
{
    return entity.maxHealth > 0 && entity.health <= 0;
}

// The time of the "skillMarker" event in the named animation of the user's model.
float SkillMarkerTime(const Sentient& user, const std::string& animation)
{
    const Animation* record = animation.empty() ? nullptr : user.FindAnimationRecord(animation);
    return record ? record->GetServerEventTime(kSkillMarker, user.speed) : 0.0f;
}

} // namespace

// ---- Derived values -------------------------------------------------------------------------

int32_t Skill::GetPowerCost(const Sentient* user) const
{
    if (!definition)
        return 0;
    if (user && (user->flags & EntityFlag::SkillMarked))
        return 0;
    int32_t cost = definition->GetPowerAtLevel(GetLevel());
    if (user)
        user->ApplyDynamicStatToInt(DynamicStat::PowerNeeded, cost);
    return cost;
}

float Skill::GetCastTime(const Sentient* user) const
{
    if (!definition)
        return 0.0f;
    float time = definition->GetCastTimeAtLevel(GetLevel());
    if (user)
        user->ApplyDynamicStat(DynamicStat::CastTime, this, time);
    return time;
}

float Skill::GetHateChange(const Sentient& user) const
{
    if (!definition)
        return 0.0f;
    float hate = definition->GetHateChangeAtLevel(GetLevel());
    user.ApplyDynamicStat(DynamicStat::HateChange, this, hate);
    return hate;
}

bool Skill::IsSpell() const
{
    return definition && definition->GetCastTimeAtLevel(GetLevel()) > 0.0f;
}

int32_t Skill::GetRecordId() const
{
    return definition && definition->GetEntry() ? definition->GetEntry()->GetId() : -1;
}

bool Skill::IsPlayerUser(const Sentient* user) const
{
    if (!user || !gGameServices)
        return false;
    const auto& players = gGameServices->GetPlayers();
    return std::find(players.begin(), players.end(), user) != players.end();
}

// ---- The use check ---------------------------------------------------------------------------

bool Skill::HasSkill(const Sentient& user) const
{
    if (!definition || definition->basicSkill)
        return definition != nullptr;
    if (definition->statReq == CharacterStat::None) {
        int32_t slot = GetSlotNumber();
        return slot != 0 && user.GetStat(slot) > 0;
    }
    return user.GetStat(definition->statReq) >= definition->pointsReq;
}

bool Skill::CanSeeTarget(const Sentient& user, const Entity* target) const
{
    return !definition->needsEnemy || !target || user.CanSee(target);
}

bool Skill::IsAnchorBlocked(const Sentient& user) const
{
    if (definition->projectile.empty() || !definition->alwaysWorks || !gGameServices)
        return false;
    WorldPos anchor;
    user.GetAnchorPosition(anchor);
    float fraction = 1.0f;
    return gGameServices->TraceLine(user.position, anchor, &user, nullptr, fraction);
}

// Checks 5 to 11: whether the user may use the skill now.
int32_t Skill::CheckReadiness(const Sentient& user, const Entity* target, int32_t stage) const
{
    if (!user.CanUseSkills(IsSpell()))
        return SkillUseResult::Blocked;
    if (stage == SkillStage::Request && !armed)
        return SkillUseResult::Refused;
    if (!CanSeeTarget(user, target) || IsAnchorBlocked(user))
        return SkillUseResult::CantSee;
    if (!IsReady())
        return SkillUseResult::NotReady;
    if (stage == SkillStage::Request && definition->waitForAnim && user.IsPlayingAnimation(definition->animation))
        return SkillUseResult::Busy;
    if (definition->noAttackers && user.HasEnemyNear())
        return SkillUseResult::Watched;
    return SkillUseResult::Ok;
}

// Checks 12 to 17: equipment, power, target, state and range.
int32_t Skill::CheckRequirements(const Sentient& user, const Entity* target) const
{
    if (!HasRequiredEquipment(&user))
        return SkillUseResult::Requirements;
    if (user.GetStat(CharacterStat::Power) < definition->GetPowerAtLevel(GetLevel()))
        return SkillUseResult::NoPower;
    if (definition->needsEnemy && (!target || !user.IsRelatedTo(target)))
        return SkillUseResult::NeedEnemy;
    if (definition->combatOnly && !target)
        return SkillUseResult::NotInCombat;
    if (!definition->MatchesEntityStates(user.entityState))
        return SkillUseResult::MissingState;
    if (definition->needsEnemy && !IsTargetInReach(&user, target))
        return SkillUseResult::OutOfRange;
    return SkillUseResult::Ok;
}

int32_t Skill::CheckUse(Sentient* user, Entity* target, int32_t stage, bool force) const
{
    if (!user || !definition)
        return SkillUseResult::Refused;
    if (force)
        return SkillUseResult::Ok;
    if (SkillIsDead(*user))
        return SkillUseResult::Dead;
    if (!HasSkill(*user))
        return SkillUseResult::NotKnown;
    int32_t code = CheckReadiness(*user, target, stage);
    return code != SkillUseResult::Ok ? code : CheckRequirements(*user, target);
}

bool Skill::IsTargetInReach(const Entity* user, const Entity* target) const
{
    if (!definition || !user || !target)
        return false;
    const auto* userSkills = dynamic_cast<const SkillUser*>(user);
    const auto* targetSkills = dynamic_cast<const SkillUser*>(target);
    if (userSkills && targetSkills)
        return definition->IsTargetInRangeAndSight(userSkills, targetSkills);
    // A target that is no sentient (a chest, a door) is judged by the range limits alone.
    float distance = EntityDistance2D(user, target, true);
    return !(definition->minRange != 0.0f && distance < definition->minRange) &&
           !(definition->maxRange != 0.0f && distance > definition->maxRange);
}

void Skill::SendRefusal(Sentient* user, int32_t code) const
{
    if (!user || code < 0 || code >= SkillUseResult::kCount)
        return;
    const SkillRefusal& refusal = kSkillRefusals[code];
    if (code == SkillUseResult::NoPower) {
        const CharacterClass* characterClass = user->GetClass();
        std::string powerName = characterClass ? characterClass->powerName : std::string();
        user->SendMessage(MakeLocToken("NotEnoughPower", "%s", powerName.c_str()), refusal.kind);
    } else if (code == SkillUseResult::Blocked) {
        user->SendMessage(BlockedMessage(*user), refusal.kind);
    } else if (refusal.key) {
        user->SendMessage(refusal.key, refusal.kind);
    }
}

// Names the effect in the way, so that a player knows what to wait out or cure.
std::string Skill::BlockedMessage(const Sentient& user) const
{
    const StatusEffect* blocker = user.FindSkillBlocker(IsSpell());
    if (!blocker || blocker->name.empty())
        return kSkillRefusals[SkillUseResult::Blocked].key;
    return MakeLocToken("BlockedBy", "%.*s", static_cast<int>(blocker->name.size()), blocker->name.data());
}

bool Skill::IsValidTarget(const Entity* candidate) const
{
    if (!definition || !candidate)
        return false;
    const Entity* user = ownerSentient;
    if (definition->needsFriend) {
        bool npc = candidate->GetNpcType() != 0 && (candidate->covenantIndex == -1 ||
                                                    (user && candidate->covenantIndex == user->covenantIndex));
        return npc || (user && user->IsFriendly(candidate));
    }
    return definition->needsEnemy && ownerSentient && ownerSentient->IsRelatedTo(candidate);
}

// ---- Use and execution -----------------------------------------------------------------------

void Skill::Use(Sentient* user, Entity* target, int32_t stage, bool force)
{
    if (!definition)
        return;
    int32_t code = CheckUse(user, target, stage, force);
    int32_t result = SkillExecution::Failed;
    if (code != SkillUseResult::Ok)
        SendRefusal(user, code);
    else
        result = Execute(user, target, stage, force);
    FinishUse(user, result, stage);
}

void Skill::FinishUse(Sentient* user, int32_t result, int32_t stage)
{
    if (result == SkillExecution::Nothing)
        return;
    bool player = IsPlayerUser(user);
    if (result == SkillExecution::Executed) {
        float reuse = definition->GetReuseTimeAtLevel(GetLevel());
        reuseTimer.total = reuse;
        reuseTimer.remaining = reuse;
        reuseTimer.running = 1;
        if (player)
            gGameServices->QueueClientCommand(StringFormat("usedSkill %d %d", GetRecordId(), 1));
        RestartUseCheck();
        return;
    }
    if (player)
        gGameServices->QueueClientCommand(StringFormat("usedSkill %d %d", GetRecordId(), 0));
    if (result != SkillExecution::Failed || !user)
        return;
    if (stage != SkillStage::Request && (!definition->animation.empty() || !definition->castingAnimation.empty()))
        user->PlayAnimation("idle", kSkillIdlePriority, AnimationMode::Loop, false);
    user->Notify(SentientNotice::kActionCancelled, nullptr);
}

int32_t Skill::Execute(Sentient* user, Entity* target, int32_t stage, bool force)
{
    if (!user || !definition)
        return SkillExecution::Failed;
    Entity* resolved = definition->needsEnemy && target ? target : user->GetCurrentTarget();
    if (CheckUse(user, resolved, stage, force) != SkillUseResult::Ok)
        return SkillExecution::Failed;
    if (user->GetStat(CharacterStat::Power) < GetPowerCost(user))
        return SkillExecution::Failed;
    user->Notify(SentientNotice::kSkillStarting, nullptr);
    if (stage == SkillStage::Request && GetCastTime(user) > 0.0f) {
        if (!definition->castingAnimation.empty())
            user->PlayAnimation(definition->castingAnimation, kSkillCastPriority, AnimationMode::Loop, false);
        return Defer(*user, target, SkillStage::CastDone);
    }
    if (stage != SkillStage::Marker && SkillMarkerTime(*user, definition->animation) > 0.0f) {
        user->PlayAnimation(definition->animation, kSkillAnimationPriority, AnimationMode::ReturnToIdle, true);
        return Defer(*user, target, SkillStage::Marker);
    }
    if (stage == SkillStage::Request && !definition->animation.empty())
        user->PlayAnimation(definition->animation, kSkillAnimationPriority, AnimationMode::ReturnToIdle, false);
    return Perform(*user, target, resolved);
}

int32_t Skill::Defer(Sentient& user, Entity* target, int32_t nextStage)
{
    bool cast = nextStage == SkillStage::CastDone;
    float delay = cast ? GetCastTime(&user) : SkillMarkerTime(user, definition->animation);
    bool scheduled = user.StartSkillUse(GetRecordId(), delay, target, cast, nextStage);
    return scheduled ? SkillExecution::Deferred : SkillExecution::Nothing;
}

int32_t Skill::Perform(Sentient& user, Entity* target, Entity* resolved)
{
    user.Notify(SentientNotice::kActionCancelled, nullptr);
    if (IsSingleEnemyAttack(nullptr) && resolved && user.CanTurn())
        user.FaceEntity(resolved, false);
    if (definition->needsEnemy || definition->allEnemies) {
        if (!ApplyToEnemies(user, target) && !definition->alwaysWorks)
            return SkillExecution::Failed;
        if (target)
            target->OnSkillUsedOn(&user, this);
    }
    if (definition->self || definition->needsFriend || definition->allAllies || definition->statusEffectOnSelf) {
        if (!ApplyToAllies(user, target))
            return SkillExecution::Failed;
    }
    if (definition->useAllRage)
        user.stats.Set(CharacterStat::Power, 0);
    else
        user.stats.SubtractFloored(CharacterStat::Power, GetPowerCost(&user));
    ApplyFurtherEffects(user, resolved);
    user.QueueWorldEvent(definition->soundName, kSoundRadius, 0.0f);
    return SkillExecution::Executed;
}

// ---- Steps, owner and levels -----------------------------------------------------------------

void Skill::Update(float seconds)
{
    SkillBase::Update(seconds);
    UpdateUseCheckGate(seconds);
    KeepPassiveEffect();
}

void Skill::RestartUseCheck()
{
    float time = definition ? definition->GetUseCheckTimeAtLevel(GetLevel()) : 0.0f;
    if (time <= 0.0f)
        return;
    float offset = (DrawRandomFloat() * 2.0f - 1.0f) * 0.1f * time;
    useCheckTimer.total = time + offset;
    useCheckTimer.remaining = time + offset;
    useCheckTimer.running = 1;
    armed = false;
}

void Skill::UpdateUseCheckGate(float seconds)
{
    if (!definition || !ownerSentient || IsPlayerUser(ownerSentient)) {
        armed = true;
        return;
    }
    if (armed && CheckUse(ownerSentient, ownerSentient->GetCurrentTarget(), SkillStage::Request, false) !=
                     SkillUseResult::Ok)
        RestartUseCheck();
    float time = definition->GetUseCheckTimeAtLevel(GetLevel());
    if (time <= 0.0f)
        return;
    if (!useCheckTimer.running) {
        RestartUseCheck();
        return;
    }
    useCheckTimer.Update(seconds);
    if (useCheckTimer.remaining > 0.0f)
        return;
    armed = DrawRandomFloat() < definition->GetUseCheckChanceAtLevel(GetLevel());
    float offset = (DrawRandomFloat() * 2.0f - 1.0f) * 0.1f * time;
    useCheckTimer.total = time + offset;
    useCheckTimer.remaining = time + offset;
}

void Skill::KeepPassiveEffect()
{
    if (!definition || !definition->passive || !ownerSentient || !definition->GetStatusEffect())
        return;
    const DatabaseEntry* record = definition->GetStatusEffect()->GetEntry();
    if (!record)
        return;
    int32_t level = GetLevel();
    for (const auto& effect : ownerSentient->GetStatusEffects())
        if (effect->GetEntry() == record && !effect->IsExpired() && effect->level >= level)
            return;
    ownerSentient->AddStatusEffect(record, ownerSentient, level);
}

void Skill::SetOwner(SkillUser* newOwner)
{
    SkillBase::SetOwner(newOwner);
    ownerSentient = dynamic_cast<Sentient*>(newOwner);
}

// Upgrading and adding items on a level of 2 or more come with the owner's equipment rules;
// the stat changes are given once for every level.
void Skill::ApplyLevel(int32_t level)
{
    if (!ownerSentient || !definition)
        return;
    if (definition->upgradeItemType != ItemType::Other && level >= 2)
        UpgradeOwnersItem(*ownerSentient);
    if (definition->addItemInList && level >= 2)
        AddItemFromList(*ownerSentient);
    if (!definition->applyStatsOnIncrease)
        return;
    for (int32_t stat = 0; stat < CharacterStat::Num; ++stat) {
        int32_t change = definition->statChange.Get(stat);
        if (change > 0)
            ownerSentient->stats.Add(stat, change);
    }
}

void Skill::UpgradeOwnersItem(Sentient& owner) const
{
    int32_t type = definition->upgradeItemType;
    const Item* worn = owner.GetItem(InventoryGroupIndex::Equipment, Sentient::GetEquipSlot(type));
    if (worn && worn->GetItemType() == type)
        owner.EquipNewItems(worn->GetEntry(), worn, true, worn->GetLevel() + 1);
}

void Skill::AddItemFromList(Sentient& owner) const
{
    std::vector<std::string> names;
    definition->addItemInList->GetStringList("Item", names, true, false);
    if (names.empty() || !gGameServices || !gDatabase)
        return;
    size_t pick =
        std::min(static_cast<size_t>(DrawRandomScaled(RandomStream::GameData, static_cast<float>(names.size()))),
                 names.size() - 1);
    std::unique_ptr<Item> made =
        gGameServices->GenerateItem(gDatabase->FindEntryByName(names[pick]), owner.GetStat(CharacterStat::Level));
    std::unique_ptr<ItemBase> given(made.release());
    for (int32_t bag = InventoryGroupIndex::Bag1; given && bag <= InventoryGroupIndex::Bag4; ++bag)
        owner.GiveItem(given, bag);
    if (!given)
        return;
    // Mended: a store that found no room in the bags was destroyed in silence.
    std::unique_ptr<Item> left(static_cast<Item*>(given.release()));
    ItemGround::Drop(owner.position, left, false, false, true);
    if (left)
        DebugSystem::Print(kPrintWarning, "No room for the skill's item %s, in the bags or on the ground\n",
                           left->GetEntry() ? std::string(left->GetEntry()->GetName()).c_str() : "");
    else
        owner.SendMessage("$$NoRoomInInventory$$", kSkillItemNoticeKind);
}

bool Skill::IsActiveFor(const Sentient& user) const
{
    return definition && HasRequiredEquipment(&user) && HasSkill(user);
}
