// StatusEffect -- a timed effect carried by a sentient on the host: its timers, its ticks, its stat shares, its absorption, bonus damage and reactions to its carrier's combat.
#include "entities/StatusEffect.h"

#include "core/Database.h"
#include "core/RandomSystem.h"
#include "core/ScratchList.h"
#include "entities/CombatSystem.h"
#include "entities/EntityCovenant.h"
#include "entities/GameServices.h"
#include "entities/Sentient.h"
#include "entities/Skill.h"
#include "rules/CharacterClass.h"
#include "rules/Formulas.h"
#include "rules/GameData.h"
#include "rules/StatPairList.h"
#include "rules/skills/SkillDefinition.h"

#include <algorithm>
#include <cmath>

namespace {

// The full ticks of a duration; 0 where either time is unusable, which leaves a merge to its
// restart alone.
int32_t StatusEffectFullTicks(float totalTime, float tickTime)
{
    if (!std::isfinite(tickTime) || !(tickTime > 0.0f))
        return 0;
    double ticks = static_cast<double>(totalTime) / static_cast<double>(tickTime);
    if (!std::isfinite(ticks) || ticks < 1.0 || ticks > 1e9)
        return 0;
    return static_cast<int32_t>(ticks);
}

bool StatusEffectCarrierDead(const Sentient& carrier)
{
    return carrier.maxHealth > 0 && carrier.health <= 0;
}

} // namespace

StatusEffect::StatusEffect()
{
    tickDamage.Reserve(1);
}

StatusEffect::~StatusEffect()
{
    RemoveModelFromCarrier();
}

void StatusEffect::RemoveModelFromCarrier()
{
    if (owner && HasModel())
        owner->RemoveAttachment(effectTagName, effectModelName);
}

void StatusEffect::Recycle()
{
    RemoveModelFromCarrier();
    owner = nullptr;
    for (std::unique_ptr<Skill>& skill : ownSkills)
        skill.reset();
    source.Clear();
    instanceId = 0;
    succeeded = false;
    elementalType = 0;
    tickDamage.Clear();
    Forget();
}

// ---- Definition and carrier --------------------------------------------------------------------

void StatusEffect::SetDefinition(const DatabaseEntry* record, int32_t newLevel, SkillUser* source)
{
    StatusEffectBase::SetDefinition(record, newLevel, source);
    auto* sourceSentient = dynamic_cast<Sentient*>(source);
    if (!sourceSentient)
        return;
    AdaptToSource(*sourceSentient);
    MakeOwnSkills();
}

void StatusEffect::AdaptToSource(Sentient& sourceSentient)
{
    sourceSentient.ApplyDynamicStat(DynamicStat::HealthChange, nullptr, healthChange);
    sourceSentient.ApplyDynamicStat(DynamicStat::TotalTime, nullptr, totalTime);
    float power = 1.0f;
    sourceSentient.ApplyDynamicStat(DynamicStat::GeneralPower, nullptr, power);
    if (power == 1.0f)
        return;
    auto scaled = [power](int32_t value) { return static_cast<int32_t>(static_cast<float>(value) * power); };
    for (int32_t stat = 0; stat < kStatKeyCount; ++stat) {
        statChange.Set(stat, scaled(statChange.Get(stat)));
        statMult.Set(stat, scaled(statMult.Get(stat)));
    }
    powerLeechPerHit = scaled(powerLeechPerHit);
    absorbDamage = scaled(absorbDamage);
    healthChange *= power;
    powerChange *= power;
}

void StatusEffect::MakeOwnSkills()
{
    const std::string_view names[kOwnSkillCount] = {onHitSkill, whenHitSkill, whenMissedSkill, whenKilledSkill};
    for (int32_t i = 0; i < kOwnSkillCount; ++i) {
        std::unique_ptr<Skill>& skill = ownSkills[i];
        skill.reset();
        // A name that finds no definition makes no skill: nothing fires where no rules say what.
        const SkillDefinition* definition =
            gGameData && !names[i].empty() ? gGameData->FindSkillDefinition(names[i]) : nullptr;
        if (!definition)
            continue;
        skill = std::make_unique<Skill>();
        skill->definition = definition;
        skill->treeIndex = 0;
        skill->indexInTree = 0;
    }
}

void StatusEffect::SetOwner(Sentient* carrier)
{
    RemoveModelFromCarrier();
    owner = carrier;
    if (owner && HasModel())
        Entity::CreateAttachment(nullptr, owner, effectModelName, effectTagName, 1.0f);
    for (std::unique_ptr<Skill>& skill : ownSkills)
        if (skill)
            skill->SetOwner(carrier);
}

// ---- Life ----------------------------------------------------------------------------------------

void StatusEffect::Start()
{
    if (owner && alpha < 1.0f)
        owner->FadeTo(alpha, kFadeSeconds);
    if (!gRandomSystem)
        return;
    RestartTickTimer();
    if (forever)
        return;
    // The record's time stays as it is: a merge restarts from it again.
    float duration = totalTime;
    if (strengthTime > 0.0f && owner)
        duration *= GetStrengthFactor(strengthTime, owner->GetStat(CharacterStat::Level));
    durationTimer.minimum = durationTimer.maximum = duration;
    durationTimer.Restart(*gRandomSystem);
}

void StatusEffect::End()
{
    if (!owner)
        return;
    if (alpha < 1.0f)
        owner->FadeTo(1.0f, kFadeSeconds);
    if (succeeded && successEndEffect)
        owner->AddStatusEffect(successEndEffect, owner, level);
}

void StatusEffect::RestartTickTimer()
{
    float spread = tickTime * randomizeTickTime;
    tickTimer.minimum = tickTime - spread;
    tickTimer.maximum = tickTime + spread;
    tickTimer.Restart(*gRandomSystem);
}

bool StatusEffect::Update(Sentient& carrier, float seconds)
{
    RandomTimer::UpdateList(timers, seconds);
    if (finished)
        return true;
    bool dead = StatusEffectCarrierDead(carrier);
    if (removeOnDeath && dead)
        return true;
    if (IsBroken(carrier))
        return true;
    if (dead)
        return false;
    if (tickTimer.running && tickTimer.remaining <= 0.0f)
        Tick(carrier);
    return !forever && durationTimer.IsExpired();
}

// The conditions that end an effect before its time, in the order they are asked.
bool StatusEffect::IsBroken(Sentient& carrier)
{
    if (mustRemainUnknown && IsSeenByEnemy(carrier)) {
        if (printFailure)
            carrier.SendMessage(checkSuccess && !succeeded ? "$$InViewOfEnemies$$" : "$$SpottedByEnemy$$", 5);
        return true;
    }
    if (mustHaveNoEnemy && carrier.GetCurrentEnemy())
        return true;
    if ((mustFocus || mustPartiallyFocus) && carrier.TraitP())
        return true;
    return itemSetEffect && !carrier.IsItemSetComplete(GetEntry());
}

bool StatusEffect::IsSeenByEnemy(const Sentient& carrier)
{
    if (!gGameServices)
        return false;
    ScratchList<Entity*> nearby;
    gGameServices->FindEntitiesInRadius(carrier.position, &carrier, kUnknownRange,
                                        RadiusFilter::Hostile | RadiusFilter::Living | RadiusFilter::NotSource, *nearby,
                                        false);
    return std::any_of(nearby->begin(), nearby->end(), [&carrier](const Entity* enemy) {
        return dynamic_cast<const Sentient*>(enemy) && carrier.CanSee(enemy);
    });
}

void StatusEffect::Tick(Sentient& carrier)
{
    if (healthChange != 0.0f || healthChangePercent != 0.0f)
        TickHealth(carrier);
    if (powerChange != 0.0f || powerChangePercent != 0.0f)
        TickPower(carrier);
    if (basicRegen)
        carrier.RegenerateTick();
    if (aura)
        TickAura(carrier);
    if (checkSuccess)
        succeeded = true;
    if (gRandomSystem)
        RestartTickTimer();
}

void StatusEffect::TickHealth(Sentient& carrier)
{
    if (!IsActiveNow() || !gRandomSystem)
        return;
    float amount = ScaleByStrength(healthChange) + static_cast<float>(carrier.GetStat(CharacterStat::MaxHealth)) * healthChangePercent;
    int32_t n = gRandomSystem->RandomRound(amount);
    if (n < 0) {
        tickDamage.Clear();
        tickDamage.Add(damageType, static_cast<float>(-n), static_cast<float>(-n));
        DealDamage(source.GetAs<Entity>(), &carrier, tickDamage, true, false);
    } else if (n > 0) {
        carrier.Heal(n, source.GetAs<Entity>(), informOthers);
    }
}

void StatusEffect::TickPower(Sentient& carrier)
{
    if (!IsActiveNow() || !gRandomSystem)
        return;
    const CharacterClass* settings = carrier.GetClass();
    if (isPowerRegen && settings && !settings->canRegenPower)
        return;
    float amount = powerChange + static_cast<float>(carrier.GetStat(CharacterStat::MaxPower)) * powerChangePercent;
    int32_t n = gRandomSystem->RandomRound(amount);
    if (n > 0) {
        int32_t cap = carrier.GetStat(CharacterStat::MaxPower);
        if (cap > 0)
            carrier.stats.AddCapped(CharacterStat::Power, n, cap);
        else
            carrier.stats.Add(CharacterStat::Power, n);
    } else if (n < 0) {
        carrier.stats.SubtractFloored(CharacterStat::Power, -n);
    }
}

void StatusEffect::TickAura(Sentient& carrier)
{
    if (!IsActiveNow() || !gGameServices || !auraStatusEffect)
        return;
    if (!auraOffensive && !carrier.sharesAuras)
        return;
    uint32_t filter = auraOffensive ? kOffensiveAuraFilter : kFriendlyAuraFilter;
    ScratchList<Entity*> nearby;
    gGameServices->FindEntitiesInRadius(carrier.position, &carrier, auraDistance, filter, *nearby, false);
    for (Entity* entity : *nearby)
        if (auto* reached = dynamic_cast<Sentient*>(entity))
            reached->AddStatusEffect(auraStatusEffect, &carrier, level);
}

void StatusEffect::CombineWith(const StatusEffect& newer)
{
    if (!combinedStatusEffect.empty()) {
        if (gDatabase)
            if (const DatabaseEntry* combined = gDatabase->FindEntryByName(combinedStatusEffect))
                SetEntry(combined);
        return;
    }
    if (healthChange == 0.0f)
        return;
    int32_t full = StatusEffectFullTicks(totalTime, tickTime);
    if (full > 0) {
        float remaining = durationTimer.running ? durationTimer.remaining : 0.0f;
        int32_t left = StatusEffectFullTicks(remaining, tickTime);
        float combined = (static_cast<float>(full) * newer.healthChange + static_cast<float>(left) * healthChange) /
                         static_cast<float>(full);
        double scaledLevel = std::round(static_cast<double>(combined) / healthChange * level);
        level = std::isfinite(scaledLevel)
                    ? std::max(1, ClampLevel(static_cast<int32_t>(std::clamp(scaledLevel, 0.0, 1e6))))
                    : 1;
        healthChange = combined;
    }
    Start();
}

// ---- What the effect counts for ---------------------------------------------------------------

bool StatusEffect::Counts() const
{
    return !finished && IsActiveNow() && (!itemSetEffect || (owner && owner->IsItemSetComplete(GetEntry())));
}

void StatusEffect::GetStatChange(int32_t stat, int32_t& total, int32_t pass) const
{
    if (!Counts())
        return;
    if (pass == 0 && stat >= CharacterStat::Strength && stat <= CharacterStat::Spirit)
        total += statChange.Get(stat);
    else if (pass == 1)
        total += statChange.Get(stat);
    if (stat == CharacterStat::Movement && cantMove)
        total = 0;
}

float StatusEffect::GetStatMult(int32_t stat) const
{
    return Counts() ? static_cast<float>(statMult.Get(stat)) / kStatMultScale : 0.0f;
}

bool StatusEffect::IsActiveNow() const
{
    if (!onlyWhenRaiding && !onlyWhenBeingRaided)
        return true;
    const EntityCovenant* covenant = owner ? owner->GetCovenant() : nullptr;
    if (!covenant)
        return false;
    return (!onlyWhenRaiding || covenant->IsRaiding()) && (!onlyWhenBeingRaided || covenant->IsBeingRaided());
}
