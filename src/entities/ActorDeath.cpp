// Actor -- damage and its credit, the way from dying to corpse to gone, the loot, the death skill and rising again.
#include "entities/Actor.h"

#include "core/EventSystem.h"
#include "core/MathUtil.h"
#include "core/Vector.h"
#include "core/RandomSystem.h"
#include "entities/EntityCovenant.h"
#include "entities/Skill.h"
#include "rules/monsters/MonsterType.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kActorDyingPriority = 13;
constexpr int32_t kActorDeadPriority = 12;

void ActorCancelPending(const char* eventName, const Entity* entity)
{
    int id = gEventSystem ? gEventSystem->FindEvent(eventName) : -1;
    if (id >= 0 && gGameServices)
        gGameServices->CancelTimedActions(id, entity);
}

void ActorSetTimer(RandomTimer& timer, float seconds)
{
    timer.minimum = timer.maximum = timer.total = timer.remaining = seconds;
    timer.running = 1;
}

} // namespace

void Actor::OnDamageTaken(int32_t amount, Entity* attacker, bool overTime, bool quiet)
{
    Sentient::OnDamageTaken(amount, attacker, overTime, quiet);
    active = true;
    if (dynamic_cast<Sentient*>(attacker)) {
        AddToHateList(attacker);
        AddHate(attacker, static_cast<float>(amount), 1);
    }
    AddDamageCredit(attacker, amount);
    if (maxHealth > 0 && health <= 0) {
        killerCredit.Set(PickKiller(attacker));
        creditCovenants.clear();
        creditAmounts.clear();
    }
}

void Actor::AddDamageCredit(Entity* attacker, int32_t amount)
{
    const EntityCovenant* covenant = attacker ? attacker->GetCovenant() : nullptr;
    if (!covenant)
        return;
    auto found = std::find(creditCovenants.begin(), creditCovenants.end(), covenant);
    if (found != creditCovenants.end()) {
        creditAmounts[static_cast<size_t>(found - creditCovenants.begin())] += amount;
        return;
    }
    creditCovenants.push_back(covenant);
    creditAmounts.push_back(amount);
}

Entity* Actor::PickKiller(Entity* attacker) const
{
    const EntityCovenant* best = nullptr;
    int32_t bestAmount = 0;
    for (size_t i = 0; i < creditCovenants.size(); ++i) {
        const EntityCovenant* covenant = creditCovenants[i];
        const Entity* leader = covenant ? covenant->GetLeader() : nullptr;
        bool eligible = !covenant || covenant->CreditsAtAnyDistance() ||
                        (leader && Vector2Length(position.DeltaTo(leader->position)) <= kKillerLeaderRange);
        if (!eligible)
            continue;
        if (!best || creditAmounts[i] > bestAmount) {
            best = covenant;
            bestAmount = creditAmounts[i];
        }
    }
    Entity* leader = best ? best->GetLeader() : nullptr;
    if (!leader)
        return attacker;
    return attacker && attacker->GetCovenant() == best ? attacker : leader;
}

// ---- The death states ------------------------------------------------------------------------

void Actor::UpdateDeath()
{
    if (DefBool("HiddenWhenDead"))
        flags |= EntityFlag::Hidden;
    switch (deathState) {
    case ActorDeathState::kAlive:
        OnDeathStart();
        if (!PlayAnimation("dying", kActorDyingPriority, AnimationMode::Hold, false))
            OnDyingDone();
        break;
    case ActorDeathState::kDying:
        if (PlayAnimation("dead", kActorDeadPriority, AnimationMode::Loop, false))
            OnDyingDone();
        break;
    case ActorDeathState::kDead:
        // The death timer is on the entity's timer list and advances with every step.
        PlayAnimation("dead", kActorDeadPriority, AnimationMode::Loop, false);
        if (deathTimer.IsExpired()) {
            if (GetResurrectDelay() <= 0.0f)
                StartFading();
            else
                Resurrect();
        }
        break;
    case ActorDeathState::kFading:
        PlayAnimation("dead", kActorDeadPriority, AnimationMode::Loop, false);
        if (deathTimer.IsExpired())
            deathState = ActorDeathState::kRemove;
        break;
    default:
        // The corpse leaves the table only by its own "delete", scheduled once.
        if (!deleteScheduled) {
            deleteScheduled = true;
            ScheduleDelete(0.0f);
        }
        break;
    }
}

void Actor::StartFading()
{
    deathState = ActorDeathState::kFading;
    ActorSetTimer(deathTimer, kFadeOutSeconds);
    FadeTo(0.0f, kFadeAlphaSeconds);
}

void Actor::OnDeathStart()
{
    DropLoot(true);
    deathState = ActorDeathState::kDying;
    ActorCancelPending("IdentifyItem", this);
    ActorCancelPending("UseSkill", this);
    ActorCancelPending("Attack", this);
    ClearHateList();
    if (gGameServices) {
        bool questRole = DefBool("CanBeRescued") || DefBool("CanReceiveDelivery") || DefBool("CanBeEscorted");
        if (questRole || questFigure)
            gGameServices->OnQuestFigureDied(*this);
        else if (npc && !GetCovenant())
            gGameServices->OnQuestNpcDied(*this);
        gGameServices->OnActorDeath(*this);
        if (monsterType && monsterType->GetInt("SpecialKill") != 0)
            gGameServices->RescanSpecialKills();
    }
    deathHandled = true;
}

void Actor::DropLoot(bool useKillerMoneyFactor)
{
    if (deathHandled || guard || npc || !gGameServices)
        return;
    Entity* killer = GetKillerCredit();
    float moneyFactor = killer && useKillerMoneyFactor ? killer->GetLootMoneyFactor() : 0.0f;
    float itemsChance = DefFloat("LootExtraItemsChance");
    float magicChance = DefFloat("LootExtraMagicChance");
    if (killer) {
        itemsChance += static_cast<float>(killer->GetStat(CharacterStat::ItemsChance));
        magicChance += static_cast<float>(killer->GetStat(CharacterStat::MagicChance));
        const auto* sentient = dynamic_cast<const Sentient*>(killer);
        if (const Sentient* leader = sentient ? sentient->GetLeader() : nullptr) {
            itemsChance += std::floor(0.5f * static_cast<float>(leader->GetStat(CharacterStat::ItemsChance)));
            magicChance += std::floor(0.5f * static_cast<float>(leader->GetStat(CharacterStat::MagicChance)));
        }
    }
    gGameServices->DropMonsterLoot(*this, moneyFactor, itemsChance, magicChance);
    if (killer)
        killer->OnVictimLooted(this);
}

void Actor::StartDeathTimer()
{
    float delay = GetCovenant() ? GetResurrectDelay() : 0.0f;
    ActorSetTimer(deathTimer, delay > 0.0f ? delay : DefFloat("DeathFadeTime"));
}

void Actor::OnDyingDone()
{
    deathState = ActorDeathState::kDead;
    StartDeathTimer();
    if (deathSkill)
        deathSkill->Use(this, nullptr, SkillStage::Request, true);
}

float Actor::GetResurrectDelay() const
{
    const EntityCovenant* covenant = GetCovenant();
    return covenant ? covenant->GetResurrectionTime(this) : 0.0f;
}

bool Actor::Resurrect()
{
    if (!DefBool("CanBeRaised") || spawnCategory >= 5 || !IsDead() || deathState != ActorDeathState::kDead)
        return false;
    flags &= ~EntityFlag::Hidden;
    deathState = ActorDeathState::kAlive;
    health = maxHealth;
    PlayAnimation("idle", AnimationPriority::kIdle, AnimationMode::ReturnToIdle, true);
    if (EntityCovenant* covenant = GetCovenant()) {
        Warp(covenant->GetResurrectPosition(*this));
        covenant->TeleportMember(*this);
    } else if (gGameServices) {
        SpawnSearch search;
        search.entity = this;
        WorldPos spot;
        if (gGameServices->FindSpawnPosition(position, kResurrectRings, search, false, spot))
            Warp(spot);
    }
    netFlag = true;
    visibleToWorld = false;
    if (gGameServices)
        gGameServices->NotifyObjectsOfKind33();
    return true;
}

void Actor::ConsumeCorpse()
{
    if (IsDead() && (!GetCovenant() || GetResurrectDelay() <= 0.0f))
        deathState = ActorDeathState::kRemove;
}
