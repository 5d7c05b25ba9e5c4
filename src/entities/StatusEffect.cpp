// StatusEffect -- a timed effect carried by a sentient on the host: its timers, its ticks, its stat shares and its breaking events.
#include "entities/StatusEffect.h"

#include "core/Database.h"
#include "core/RandomSystem.h"
#include "entities/EntityCovenant.h"
#include "entities/Sentient.h"

#include <cmath>

void StatusEffect::SetDefinition(const DatabaseEntry* record, int32_t newLevel, Sentient* sourceSentient)
{
    StatusEffectBase::SetDefinition(record, newLevel, sourceSentient);
}

void StatusEffect::Start()
{
    if (!gRandomSystem)
        return;
    RestartTickTimer();
    if (!forever) {
        durationTimer.minimum = totalTime;
        durationTimer.maximum = totalTime;
        durationTimer.Restart(*gRandomSystem);
    }
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
    bool dead = carrier.maxHealth > 0 && carrier.health <= 0;
    if (removeOnDeath && dead)
        return true;
    if (dead)
        return false;
    if (tickTimer.running && tickTimer.remaining <= 0.0f) {
        if (basicRegen)
            carrier.RegenerateTick();
        if (checkSuccess)
            succeeded = true;
        if (gRandomSystem)
            RestartTickTimer();
    }
    return !forever && durationTimer.IsExpired();
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
    int32_t full = tickTime > 0.0f ? static_cast<int32_t>(totalTime / tickTime) : 0;
    if (full > 0) {
        float remaining = durationTimer.running ? durationTimer.remaining : 0.0f;
        int32_t left = static_cast<int32_t>(remaining / tickTime);
        float combined = (static_cast<float>(full) * newer.healthChange + static_cast<float>(left) * healthChange) /
                         static_cast<float>(full);
        level = std::max(1, static_cast<int32_t>(std::lround(combined / healthChange * static_cast<float>(level))));
        healthChange = combined;
    }
    Start();
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

void StatusEffect::OnSimpleEvent(int32_t event)
{
    bool breaks = (event == removeOnEvent && event != SimpleEvent::None) ||
                  (mustFocus && (event == SimpleEvent::Move || event == SimpleEvent::UseSkill)) ||
                  (mustPartiallyFocus && event == SimpleEvent::UseSkill) ||
                  (event == SimpleEvent::SkillFinished && skillUseBreaks) ||
                  ((event == SimpleEvent::Hit || event == SimpleEvent::DamageOverTime) && damageBreaks) ||
                  (event == SimpleEvent::Attacked && attackedBreaks);
    if (breaks)
        Expire();
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
